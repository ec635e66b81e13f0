// `tesra --fields`: five measured fields written as files with their trailers, printed as one
// specimen table; the unit that rides in the calibration block; files that are not fields.
#include "app/fields_mode.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "app/storage/trailer_layout.h"
#include "results/fields_csv.h"
#include "tests/test_support.h"

namespace tesra {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// A file of 1000 bytes of "image data" followed by a trailer: the reader never looks at the
// image, so any bytes will do.
Bytes FieldFile(std::vector<std::pair<long double, long double>> lengthsAndCounts, long double secondPhase,
                long double percent, StoredCalibration calibration)
{
    TrailerContent content;
    for (auto [length, count] : lengthsAndCounts) {
        TestLine line;
        line.x2 = 100;
        line.length = length;
        line.weightedCount = count;
        content.lines.push_back(line);
    }
    content.lines[0].secondPhaseLength = secondPhase;
    content.secondPhasePercent = percent;
    content.calibration = std::move(calibration);
    Bytes file(1000, 0x5A);
    const Bytes trailer = EncodeTrailer(content, file.size());
    file.insert(file.end(), trailer.begin(), trailer.end());
    return file;
}

StoredCalibration Calibrated(long double pixels, long double real, std::optional<LengthUnit> unit)
{
    StoredCalibration c;
    c.form = StoredCalibrationForm::Calibrated;
    c.pixelLength = pixels;
    c.realLength = real;
    c.remark = "objective 50x";
    c.unit = unit;
    return c;
}

class FieldsMode : public ::testing::Test {
protected:
    void SetUp() override { m_dir = test::makeTempDir("fields"); }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string write(const std::string& name, const Bytes& bytes)
    {
        const std::string path = m_dir + "/" + name;
        test::writeFile(path, bytes);
        return path;
    }
    int run(const std::vector<std::string>& files)
    {
        std::ostringstream out;
        std::ostringstream err;
        const int status = PrintFields(files, out, err);
        m_out = out.str();
        m_err = err.str();
        return status;
    }
    std::string m_dir;
    std::string m_out;
    std::string m_err;
};

// The five fields of the specimen worked out by hand in fields_statistics_test (0.5 µm per
// pixel; field 5 calibrated in nm, field 2 without a unit mark, as older files are).
TEST_F(FieldsMode, FiveFieldsGiveTheTableWorkedByHand)
{
    const std::vector<std::string> files{
        write("f1.bmp", FieldFile({{1000, 25}, {1000, 25}}, 0, -1, Calibrated(200, 100, LengthUnit::Micrometre))),
        write("f2.bmp", FieldFile({{1000, 20}, {1200, 25}, {800, 15}}, 360, -1, Calibrated(200, 100, std::nullopt))),
        write("f3.bmp", FieldFile({{2500, 50}}, 0, -1, Calibrated(200, 100, LengthUnit::Micrometre))),
        write("f4.bmp", FieldFile({{2000, 50}}, 0, 10, Calibrated(200, 100, LengthUnit::Micrometre))),
        write("f5.bmp", FieldFile({{1050, 30}, {1050, 20}}, 0, -1, Calibrated(200, 100000, LengthUnit::Nanometre))),
    };
    ASSERT_EQ(run(files), 0) << m_err;
    EXPECT_EQ(m_err, "");
    const std::string d = m_dir + "/";
    EXPECT_EQ(m_out,
              "field,lines,test_length_px,intercepts,mean_intercept_px,mean_intercept,unit,G,ci95,ra_percent\n"
              + d + "f1.bmp,2,2000,50,40,20,µm,7.999712057,,\n"
              + d + "f2.bmp,3,2640,60,44,22,µm,7.724705017,,\n"
              + d + "f3.bmp,1,2500,50,50,25,µm,7.355855886,,\n"
              + d + "f4.bmp,1,1800,50,36,18,µm,8.303718235,,\n"
              + d + "f5.bmp,2,2100,50,42,21000,nm,7.858933405,,\n"
              "specimen,9,11040,260,42.4,21.2,µm,7.831583532,3.213967571,15.16022439\n");
    // The table reads back into the same fields.
    const std::vector<FieldNumbers> back = ReadSpecimenCsv(m_out);
    ASSERT_EQ(back.size(), 5u);
    EXPECT_EQ(back[4].unit, LengthUnit::Nanometre);
    EXPECT_EQ(SpecimenCsv(back), m_out);
}

TEST_F(FieldsMode, UnreadableAndUnmeasuredFilesAreNamedAndTheOthersStillPrinted)
{
    const std::string good = write("good.bmp", FieldFile({{1000, 10}}, 0, -1, StoredCalibration{}));
    const std::string plain = write("plain.bmp", Bytes(5000, 0x11));
    Bytes damaged = FieldFile({{1000, 10}}, 0, -1, StoredCalibration{});
    damaged[1000] = 0xFF;  // the line count now exceeds the capacity
    const std::string broken = write("broken.bmp", damaged);
    const std::string missing = m_dir + "/missing.bmp";
    EXPECT_EQ(run({missing, good, plain, broken, m_dir}), 1);
    // Not calibrated: no unit, no calibrated ℓ̄, no G, and nothing calibrated in the specimen.
    EXPECT_EQ(m_out,
              "field,lines,test_length_px,intercepts,mean_intercept_px,mean_intercept,unit,G,ci95,ra_percent\n"
              + good + ",1,1000,10,100,,,,,\n"
              "specimen,1,1000,10,100,,,,,\n");
    std::istringstream lines(m_err);
    std::string line;
    for (const std::string& name : {missing, plain, broken, m_dir}) {
        ASSERT_TRUE(std::getline(lines, line));
        EXPECT_EQ(line.rfind(name + ": ", 0), 0u) << line;
    }
    EXPECT_FALSE(std::getline(lines, line)) << line;
}

// A stored calibration the calibration dialog refuses leaves the field uncalibrated, with a
// warning, but the field is still read.
TEST_F(FieldsMode, RefusedCalibrationIsAWarningNotAFailure)
{
    const std::string file = write("zero.bmp", FieldFile({{1000, 10}}, 0, -1, Calibrated(0, 100, std::nullopt)));
    EXPECT_EQ(run({file}), 0);
    EXPECT_NE(m_out.find(file + ",1,1000,10,100,,,,,\n"), std::string::npos) << m_out;
    EXPECT_EQ(m_err.rfind(file + ": ", 0), 0u) << m_err;
}

TEST(TrailerUnit, RidesInTheCalibrationBlockWithoutChangingTheLayout)
{
    TrailerContent content;
    content.calibration = Calibrated(200, 100, LengthUnit::Millimetre);
    Bytes with = EncodeTrailer(content, 0);
    content.calibration.unit.reset();
    const Bytes without = EncodeTrailer(content, 0);
    ASSERT_EQ(with.size(), without.size());
    EXPECT_EQ(with.size(), 1074u);
    // Only bytes behind the key's text differ.
    const std::size_t block = 6;
    for (std::size_t i = 0; i < with.size(); ++i) {
        if (with[i] != without[i]) {
            EXPECT_TRUE(i >= block + 11 && i < block + 256) << i;
        }
    }
    EXPECT_EQ(ParseTrailer(with).content.calibration.unit, LengthUnit::Millimetre);
    EXPECT_FALSE(ParseTrailer(without).content.calibration.unit.has_value());
    // Bytes left in the block by an older writer are no unit unless they are exactly a mark.
    with[block + kUnitMarkOffset + 7] = 'x';  // "unit=mmx..."
    EXPECT_FALSE(ParseTrailer(with).content.calibration.unit.has_value());
    std::fill(with.begin() + block + 11, with.begin() + block + 256, 'u');
    EXPECT_FALSE(ParseTrailer(with).content.calibration.unit.has_value());
    EXPECT_EQ(ParseTrailer(with).status, TrailerStatus::Found);
}

}  // namespace
}  // namespace tesra
