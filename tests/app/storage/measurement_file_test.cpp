// Saving an image with its measurement and opening it again: real image files of four
// formats, the calibration through the dialog's rules, damaged trailers, and failing saves.
#include "app/storage/measurement_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <limits>
#include <ostream>
#include <sys/stat.h>
#include <unistd.h>

#include "common/extended_real.h"
#include "app/measurement/measurement_records.h"
#include "imaging/formats/format_error.h"
#include "imaging/formats/image_format.h"
#include "tests/app/storage/test_document.h"
#include "tests/test_support.h"

namespace tesra {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

struct Document : test::TestDocument {
    explicit Document(int w = 64, int h = 48) : TestDocument(w, h) {}
};

// 300 lines, 5000 intercepts and 5000 segments, with every field varied, built as records
// (not through the editing operations) so that odd values survive as they are.
void fillFull(Measurement& m)
{
    std::vector<TestLine> lines;
    for (int i = 1; i <= 300; ++i) {
        TestLine l;
        l.x1 = i;
        l.y1 = 2 * i;
        l.x2 = i + 50;
        l.y2 = -i;
        l.active = i % 3 != 0;
        l.weightedCount = i * 0.5L;
        l.secondPhaseLength = i / 7.0L;
        l.length = std::sqrt(static_cast<long double>(i)) * 100;
        l.isCircle = i % 5 == 0;
        lines.push_back(l);
    }
    std::vector<Intercept> intercepts;
    for (int k = 0; k < 5000; ++k) {
        Intercept c;
        c.x = k;
        c.y = -k;
        c.type = static_cast<InterceptType>(1 + k % 6);
        c.line = static_cast<std::uint16_t>(1 + k % 300);  // line L holds intercepts L, L+300, ...
        c.position = k / 4999.0L;
        intercepts.push_back(c);
    }
    std::vector<PhaseSegment> segments;
    for (int gap = 1; segments.size() < 5000; ++gap)
        for (int first = 1; first + 300 * gap <= 5000 && segments.size() < 5000; ++first) {
            const auto line = static_cast<std::uint16_t>(1 + (first - 1) % 300);
            segments.push_back({static_cast<std::uint16_t>(first), static_cast<std::uint16_t>(first + 300 * gap), line,
                                first / 3.0L});
        }
    m.setRecords(lines, intercepts, segments);
}

// Calibrates as the user would: fields typed, "Ok" pressed.
void calibrate(Document& d, const std::string& pixel, const std::string& real, const std::string& remark,
               const std::string& fraction, const std::string& factor)
{
    CalibrationFields& f = d.calibration.fields();
    f.tPixel = pixel;
    f.tEcht = real;
    f.tInfo = remark;
    f.tFremdPhase = fraction;
    f.tFaktor = factor;
    ASSERT_EQ(d.calibration.bOkClick(d.measurement), CalibrationFailure::None);
}

TPixelGraphic gradientImage()
{
    TPixelGraphic image(64, 48, TPixelFormat::pf24Bit);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            image.SetPixel(x, y, rgb(x * 4, y * 5, 128));
    return image;
}

template <typename Record, typename Encode>
void expectSameRecords(std::span<const Record> want, std::span<const Record> got, Encode encode, const char* what)
{
    ASSERT_EQ(want.size(), got.size()) << what;
    for (std::size_t i = 0; i < want.size(); ++i)
        ASSERT_EQ(encode(want[i]), encode(got[i])) << what << " " << i + 1;
}

class MeasurementFileRoundTrip : public ::testing::TestWithParam<const char*> {};

TEST_P(MeasurementFileRoundTrip, FullMeasurementThroughImageFile)
{
    const std::string ext = GetParam();
    const std::string dir = test::makeTempDir("storage-roundtrip");
    const std::string plain = dir + "/plain." + ext;
    const std::string saved = dir + "/probe." + ext;

    Document before;
    fillFull(before.measurement);
    calibrate(before, "123,4567", "25,5", "äöü µm", "", "1,7");
    const TPixelGraphic image = gradientImage();
    saveImage(image, plain);
    SaveImageWithMeasurement(image, saved, before.doc);

    // Image data exactly as the writer alone makes it, then the trailer with S = its size.
    const Bytes imageBytes = test::readFile(plain);
    const Bytes file = test::readFile(saved);
    const std::size_t trailerSize = 6 + 300 * 52 + 5000 * 24 + 5000 * 16 + 1074 - 6;
    ASSERT_EQ(file.size(), imageBytes.size() + trailerSize);
    EXPECT_TRUE(std::equal(imageBytes.begin(), imageBytes.end(), file.begin()));
    const std::size_t s = file.size() - 260;
    const std::uint32_t start = file[s] | file[s + 1] << 8 | file[s + 2] << 16 | static_cast<std::uint32_t>(file[s + 3]) << 24;
    EXPECT_EQ(start, imageBytes.size());

    // Open: the image first, then the trailer into a fresh document.
    TPixelGraphic loaded;
    loadImage(saved, loaded);
    ASSERT_EQ(loaded.Width(), 64);
    ASSERT_EQ(loaded.Height(), 48);
    const int tolerance = ext == "jpg" ? 24 : 0;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) {
            const std::uint32_t a = image.GetColor(x, y), b = loaded.GetColor(x, y);
            ASSERT_LE(std::abs(redOf(a) - redOf(b)), tolerance) << x << "," << y;
            ASSERT_LE(std::abs(greenOf(a) - greenOf(b)), tolerance) << x << "," << y;
            ASSERT_LE(std::abs(blueOf(a) - blueOf(b)), tolerance) << x << "," << y;
        }

    Document after;
    const TrailerReadResult r = ReadTrailer(saved, after.doc, after.state);
    EXPECT_EQ(r.status, TrailerStatus::Found) << r.detail;
    EXPECT_TRUE(r.processed);
    EXPECT_TRUE(r.message.empty()) << r.message;
    const Measurement& m = after.measurement;
    expectSameRecords(before.measurement.lines(), m.lines(), [](const TestLine& l) { return encodeTestLine(l); }, "line");
    expectSameRecords(before.measurement.intercepts(), m.intercepts(),
                      [](const Intercept& c) { return encodeIntercept(c); }, "intercept");
    expectSameRecords(before.measurement.segments(), m.segments(),
                      [](const PhaseSegment& g) { return encodePhaseSegment(g); }, "segment");

    // The calibration comes back through the dialog's fields: three decimals.
    EXPECT_NEAR(static_cast<double>(m.calibration.pixelLength), 123.457, 1e-12);
    EXPECT_NEAR(static_cast<double>(m.calibration.realLength), 25.5, 1e-12);
    EXPECT_NEAR(static_cast<double>(m.calibration.scale), 25.5 / 123.457, 1e-12);
    EXPECT_EQ(m.calibration.remark, "äöü µm");
    EXPECT_EQ(m.calibration.secondPhasePercent, -1.0L);
    EXPECT_EQ(m.calibration.conversionFactor, before.measurement.calibration.conversionFactor);
    EXPECT_EQ(after.calibration.fields().tPixel, "123,457");
    EXPECT_EQ(after.calibration.fields().tEcht, "25,500");
    EXPECT_EQ(after.calibration.fields().tInfo, "äöü µm");
    EXPECT_EQ(after.calibration.fields().tFaktor, "1,700");
    EXPECT_EQ(after.calibration.kalCaption(), "123,457 Pixel = 25,500");
    EXPECT_FALSE(after.calibration.secondPhaseNotice().visible);

    // Sheet rows: one per line plus the header, marks as stored, recomputed.
    ASSERT_EQ(after.sheet().rowCount(), 301);
    EXPECT_EQ(after.sheet().cell(2, 300), "300");
    EXPECT_TRUE(after.sheet().rowMarked(1));
    EXPECT_FALSE(after.sheet().rowMarked(3));
    EXPECT_EQ(after.sheet().cell(3, 100), "1.000,000");  // sqrt(100) × 100, German separators
    EXPECT_FALSE(after.sheet().sumCell(1, 1).empty());
    fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Formats, MeasurementFileRoundTrip, ::testing::Values("png", "jpg", "bmp", "tif"));

const Bytes kFactor2_5 = {0, 0, 0, 0, 0, 0, 0, 0xA0, 0x00, 0x40};

// A trailer built by hand behind 300 bytes of image data.
Bytes trailerFile(const std::string& calibrationBlocks, const Bytes& percent, bool withKey,
                  const Bytes& factor = kFactor2_5)
{
    Bytes b(300, 0x42);
    auto text = [&](const std::string& s) {
        b.push_back(static_cast<std::uint8_t>(s.size()));
        b.insert(b.end(), s.begin(), s.end());
        b.insert(b.end(), 255 - s.size(), 0);
    };
    // One straight line (0,0)-(30,40), length 50, no intercepts.
    b.insert(b.end(), {1, 0});
    const Bytes line = {0, 0, 0, 0, 0, 0, 0, 0, 30, 0, 0, 0, 40, 0, 0, 0, 1, 0};
    b.insert(b.end(), line.begin(), line.end());
    b.insert(b.end(), 20, 0);                                                 // weightedCount, secondPhaseLength 0
    b.insert(b.end(), {0, 0, 0, 0, 0, 0, 0, 0xC8, 0x04, 0x40});               // length 50
    b.insert(b.end(), {0, 0, 0, 0});
    b.insert(b.end(), {0, 0, 0, 0});  // no intercepts, no segments
    std::size_t pos = 0;
    while (pos < calibrationBlocks.size()) {  // blocks separated by '|'
        const std::size_t bar = calibrationBlocks.find('|', pos);
        const std::string item = calibrationBlocks.substr(pos, bar == std::string::npos ? std::string::npos : bar - pos);
        text(item);
        pos = bar == std::string::npos ? calibrationBlocks.size() : bar + 1;
    }
    b.insert(b.end(), percent.begin(), percent.end());
    if (withKey) {
        text("PropFaktor");
        b.insert(b.end(), factor.begin(), factor.end());
    }
    b.insert(b.end(), {44, 1, 0, 0});  // S = 300
    text("Tesra1");
    return b;
}
const Bytes kNoFraction = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0xBF};    // -1
const Bytes kFraction12_5 = {0, 0, 0, 0, 0, 0, 0, 0xC8, 0x02, 0x40};  // 12.5

TEST(ReadTrailer, CalibrationAsTexts)
{
    Document d;
    const Bytes file = trailerFile("100|25,5|Probe 4", kNoFraction, true);
    const TrailerReadResult r = ReadTrailer(file, file.size(), d.doc, d.state);
    ASSERT_EQ(r.status, TrailerStatus::Found) << r.detail;
    EXPECT_TRUE(r.message.empty());
    EXPECT_EQ(d.measurement.lineCount(), 1);
    EXPECT_EQ(d.measurement.calibration.scale, 0.255L);
    EXPECT_EQ(d.calibration.fields().tPixel, "100,000");
    EXPECT_EQ(d.calibration.fields().tInfo, "Probe 4");
    EXPECT_EQ(d.measurement.calibration.conversionFactor, 2.5L);
    EXPECT_EQ(d.calibration.fields().tFaktor, "2,500");
    EXPECT_EQ(d.sheet().cell(3, 1), "50,000");
}

TEST(ReadTrailer, InvalidStoredCalibrationTextReachesTheCaller)
{
    Document d;
    const Bytes file = trailerFile("abc|25.5|x", kNoFraction, true);
    const TrailerReadResult r = ReadTrailer(file, file.size(), d.doc, d.state);
    EXPECT_EQ(r.status, TrailerStatus::Found);
    EXPECT_EQ(r.calibrationFailure, CalibrationFailure::PixelLength);
    EXPECT_EQ(r.message, "Die Eingabe der Länge in Pixel ist fehlerhaft!");
    EXPECT_EQ(r.caption, "Kalibierung");
    // The lines are in; the calibration and the dialog's fields stay as they were.
    EXPECT_EQ(d.measurement.lineCount(), 1);
    EXPECT_EQ(d.measurement.calibration.scale, 1.0L);
    EXPECT_EQ(d.calibration.kalCaption(), "Not calibrated");
    EXPECT_EQ(d.calibration.fields().tPixel, "");
    EXPECT_FALSE(d.doc.calibrated());
}

// A stored length that is no number is refused with its message, and the dialog shows no
// "NAN" or "INF": its fields are those from before the load.
TEST(ReadTrailer, StoredLengthThatIsNoNumberLeavesTheFields)
{
    const long double nan = std::numeric_limits<long double>::quiet_NaN();
    const long double inf = std::numeric_limits<long double>::infinity();
    const struct {
        long double pixel, real;
        CalibrationFailure failure;
    } cases[] = {{nan, 25.5L, CalibrationFailure::PixelLength},
                 {inf, 25.5L, CalibrationFailure::PixelLength},
                 {-inf, 25.5L, CalibrationFailure::PixelLength},
                 {100.0L, nan, CalibrationFailure::RealLength},
                 {100.0L, -inf, CalibrationFailure::RealLength}};
    for (const auto& c : cases) {
        Document d;
        const CalibrationFields before = d.calibration.fields();
        TrailerContent content;
        content.calibration.form = StoredCalibrationForm::Calibrated;
        content.calibration.pixelLength = c.pixel;
        content.calibration.realLength = c.real;
        content.calibration.remark = "x";
        Bytes file(300, 0x42);
        const Bytes trailer = EncodeTrailer(content, file.size());
        file.insert(file.end(), trailer.begin(), trailer.end());
        const TrailerReadResult r = ReadTrailer(file, file.size(), d.doc, d.state);
        EXPECT_EQ(r.calibrationFailure, c.failure) << static_cast<double>(c.pixel) << " " << static_cast<double>(c.real);
        EXPECT_EQ(r.message, CalibrationFailureMessage(c.failure));
        EXPECT_EQ(d.calibration.fields(), before);
        EXPECT_FALSE(d.doc.calibrated());
        EXPECT_EQ(d.measurement.calibration.scale, 1.0L);
    }
}

TEST(ReadTrailer, SecondPhaseFractionAndMissingKey)
{
    Document d;
    const Bytes file = trailerFile("Nicht Kalibtiert", kFraction12_5, false);
    const TrailerReadResult r = ReadTrailer(file, file.size(), d.doc, d.state);
    ASSERT_EQ(r.status, TrailerStatus::Found) << r.detail;
    EXPECT_EQ(d.measurement.calibration.secondPhasePercent, 12.5L);
    EXPECT_EQ(d.calibration.fields().tFremdPhase, "12,500");
    EXPECT_EQ(d.calibration.secondPhaseNotice().caption, "Second phase fraction set by calibration: 12,500 Vol%");
    EXPECT_TRUE(d.calibration.secondPhaseNotice().visible);
    EXPECT_EQ(d.measurement.calibration.conversionFactor, 1.56L);
    EXPECT_EQ(d.calibration.fields().tFaktor, "1,560");
    // The recomputation uses the fraction: 12.5 % of 50 pixels.
    EXPECT_EQ(d.sheet().cell(4, 1), "6,250");
    EXPECT_EQ(d.sheet().cell(10, 1), "12,500");
}

Bytes extended(long double v)
{
    Bytes b(10);
    EncodeExtended(v, b.data());
    return b;
}

// Stored values the calibration dialog would refuse never reach the sheet: the dialog's
// message is reported, the fraction counts as not set, the factor keeps its default.
TEST(ReadTrailer, StoredFractionAndFactorPassTheDialogsChecks)
{
    const long double nan = std::numeric_limits<long double>::quiet_NaN();
    const long double inf = std::numeric_limits<long double>::infinity();
    for (long double fraction : {nan, inf, -inf, 150.0L, 100.0L, -5.0L}) {
        Document d;
        const Bytes file = trailerFile("100|25,5|Probe", extended(fraction), true);
        const TrailerReadResult r = ReadTrailer(file, file.size(), d.doc, d.state);
        ASSERT_EQ(r.status, TrailerStatus::Found) << r.detail;
        EXPECT_EQ(r.calibrationFailure, CalibrationFailure::SecondPhase) << static_cast<double>(fraction);
        EXPECT_EQ(r.message, "Die Eingabe des Fremdphasenanteils ist fehlerhaft!");
        EXPECT_EQ(r.caption, "Kalibierung");
        EXPECT_EQ(d.measurement.calibration.secondPhasePercent, -1.0L);
        EXPECT_TRUE(d.calibration.fields().tFremdPhase.empty());
        EXPECT_FALSE(d.calibration.secondPhaseNotice().visible);
        EXPECT_EQ(d.measurement.calibration.conversionFactor, 2.5L);  // the factor itself is fine
        EXPECT_EQ(d.sheet().cell(4, 1), "0,000");                       // no NAN on the sheet
    }
    for (long double factor : {0.0L, nan, inf}) {
        Document d;
        const Bytes file = trailerFile("Nicht Kalibtiert", kFraction12_5, true, extended(factor));
        const TrailerReadResult r = ReadTrailer(file, file.size(), d.doc, d.state);
        ASSERT_EQ(r.status, TrailerStatus::Found) << r.detail;
        EXPECT_EQ(r.calibrationFailure, CalibrationFailure::ConversionFactor) << static_cast<double>(factor);
        EXPECT_EQ(r.message, "Die Eingabe des Umrechnungsfaktors ist fehlerhaft!");
        EXPECT_EQ(d.measurement.calibration.conversionFactor, 1.56L);
        EXPECT_EQ(d.calibration.fields().tFaktor, "1,560");
        EXPECT_EQ(d.measurement.calibration.secondPhasePercent, 12.5L);
    }
    // The edges the dialog accepts: a fraction of 0 and a negative factor.
    Document d;
    const Bytes file = trailerFile("Nicht Kalibtiert", extended(0.0L), true, extended(-1.56L));
    const TrailerReadResult r = ReadTrailer(file, file.size(), d.doc, d.state);
    EXPECT_EQ(r.calibrationFailure, CalibrationFailure::None);
    EXPECT_EQ(d.measurement.calibration.secondPhasePercent, 0.0L);
    EXPECT_EQ(d.measurement.calibration.conversionFactor, -1.56L);
}

TEST(ReadTrailer, PlainDamagedAndTinyFiles)
{
    {
        Document d;
        d.calibration.showSecondPhaseNotice("left over");
        const Bytes tiny(256, 0);
        const TrailerReadResult r = ReadTrailer(tiny, tiny.size(), d.doc, d.state);
        EXPECT_EQ(r.status, TrailerStatus::TooSmall);
        EXPECT_FALSE(r.processed);
        EXPECT_TRUE(d.calibration.secondPhaseNotice().visible);  // nothing at all was done
    }
    {
        Document d;
        d.calibration.showSecondPhaseNotice("left over");
        const Bytes plain(2000, 7);
        const TrailerReadResult r = ReadTrailer(plain, plain.size(), d.doc, d.state);
        EXPECT_EQ(r.status, TrailerStatus::Absent);
        EXPECT_TRUE(r.processed);
        EXPECT_TRUE(r.message.empty());
        EXPECT_FALSE(d.calibration.secondPhaseNotice().visible);
        EXPECT_EQ(d.measurement.calibration.conversionFactor, 1.56L);
    }
    {
        Document d;
        Bytes file = trailerFile("Kalibtiert", kNoFraction, true);  // values and remark missing
        const TrailerReadResult r = ReadTrailer(file, file.size(), d.doc, d.state);
        EXPECT_EQ(r.status, TrailerStatus::Damaged);
        EXPECT_EQ(r.message, "The measurement stored in this file is damaged and was not loaded.");
        EXPECT_FALSE(r.detail.empty());
        EXPECT_EQ(d.measurement.lineCount(), 0);
        EXPECT_EQ(d.sheet().rowCount(), 2);
        EXPECT_TRUE(d.sheet().cell(2, 1).empty());
    }
}

TEST(ReadTrailer, DamagedTrailerBehindRealImageStillOpens)
{
    const std::string dir = test::makeTempDir("storage-damaged");
    const std::string name = dir + "/probe.bmp";
    Document before;
    before.measurement.AddTestLine(1, 1, 30, 20, false);
    SaveImageWithMeasurement(gradientImage(), name, before.doc);
    Bytes file = test::readFile(name);
    file[file.size() - (798 + 52 + 2 * 24)] = 0x2D;  // line count 45: does not fit
    test::writeFile(name, file);

    TPixelGraphic image;
    ASSERT_NO_THROW(loadImage(name, image));
    EXPECT_EQ(image.Width(), 64);
    Document after;
    const TrailerReadResult r = ReadTrailer(name, after.doc, after.state);
    EXPECT_EQ(r.status, TrailerStatus::Damaged);
    EXPECT_EQ(after.measurement.lineCount(), 0);
    EXPECT_EQ(after.measurement.interceptCount(), 0);
    fs::remove_all(dir);
}

TEST(ReadTrailer, MissingFileIsAnErrorWithTheSystemsMessage)
{
    Document d;
    try {
        ReadTrailer("/nonexistent-folder/probe.png", d.doc, d.state);
        FAIL();
    } catch (const StorageError& e) {
        EXPECT_NE(std::string(e.what()).find(std::strerror(ENOENT)), std::string::npos) << e.what();
    }
}

// ---- Saving never loses the previous file ----

std::vector<std::string> folderEntries(const std::string& dir)
{
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(SaveWithTrailer, WriterFailingHalfWayLeavesOldFile)
{
    const std::string dir = test::makeTempDir("storage-fail");
    const std::string name = dir + "/probe.png";
    const Bytes old = {1, 2, 3, 4, 5};
    test::writeFile(name, old);
    Document d;
    d.measurement.AddTestLine(0, 0, 10, 10, false);
    auto failing = [](std::ostream& out) {
        const std::string half(5000, 'x');
        out.write(half.data(), static_cast<std::streamsize>(half.size()));
        throw EImageFormat("PNG: ", "disk image writer broke");
    };
    try {
        SaveWithTrailer(name, failing, d.doc);
        FAIL();
    } catch (const EImageFormat& e) {
        EXPECT_STREQ(e.what(), "PNG: disk image writer broke");
    }
    EXPECT_EQ(test::readFile(name), old);
    EXPECT_EQ(folderEntries(dir), std::vector<std::string>{"probe.png"});

    // A stream that goes bad is reported as a file error, and the old file stays too.
    auto bad = [](std::ostream& out) {
        out.write("abc", 3);
        out.setstate(std::ios::badbit);
    };
    EXPECT_THROW(SaveWithTrailer(name, bad, d.doc), EImageFile);
    EXPECT_EQ(test::readFile(name), old);
    EXPECT_EQ(folderEntries(dir), std::vector<std::string>{"probe.png"});
    fs::remove_all(dir);
}

// A write-protected file is refused (a writable one in that folder is written in place; the
// safe-save tests cover that).
TEST(SaveWithTrailer, UnwritableFolderLeavesOldFile)
{
    const std::string dir = test::makeTempDir("storage-readonly");
    const std::string name = dir + "/probe.bmp";
    const Bytes old = {9, 9, 9};
    test::writeFile(name, old);
    ::chmod(name.c_str(), 0444);
    ::chmod(dir.c_str(), 0555);
    // Root writes into read-only folders; the check is then meaningless.
    const std::string probe = dir + "/can-write";
    if (std::FILE* f = std::fopen(probe.c_str(), "wb")) {
        std::fclose(f);
        std::remove(probe.c_str());
        ::chmod(dir.c_str(), 0755);
        fs::remove_all(dir);
        GTEST_SKIP() << "read-only folders do not stop this user";
    }
    Document d;
    try {
        SaveImageWithMeasurement(gradientImage(), name, d.doc);
        FAIL();
    } catch (const EImageFile& e) {
        EXPECT_NE(std::string(e.what()).find(std::strerror(EACCES)), std::string::npos) << e.what();
    }
    ::chmod(dir.c_str(), 0755);
    EXPECT_EQ(test::readFile(name), old);
    EXPECT_EQ(folderEntries(dir), std::vector<std::string>{"probe.bmp"});
    fs::remove_all(dir);
}

TEST(SaveWithTrailer, MissingFolderAndSymbolicLink)
{
    Document d;
    try {
        SaveImageWithMeasurement(gradientImage(), "/nonexistent-folder/probe.bmp", d.doc);
        FAIL();
    } catch (const EImageFile& e) {
        EXPECT_NE(std::string(e.what()).find(std::strerror(ENOENT)), std::string::npos) << e.what();
    }

    const std::string dir = test::makeTempDir("storage-link");
    const std::string real = dir + "/real.bmp";
    const std::string link = dir + "/link.bmp";
    test::writeFile(real, {1});
    fs::create_symlink("real.bmp", link);
    SaveImageWithMeasurement(gradientImage(), link, d.doc);
    EXPECT_TRUE(fs::is_symlink(link));
    const Bytes file = test::readFile(real);
    ASSERT_GT(file.size(), 798u);
    EXPECT_EQ(file[file.size() - 256], 6);  // tag "Tesra1"
    fs::remove_all(dir);
}

// Image data of 2 GB or more cannot carry a measurement: refused before a byte is written
// when its size is known beforehand.
TEST(SaveWithTrailer, ImageDataOf2GBIsRefusedAtOnce)
{
    const std::string dir = test::makeTempDir("storage-2gb");
    const std::string name = dir + "/huge.bmp";
    Document d;
    bool written = false;
    try {
        SaveWithTrailer(name, [&](std::ostream&) { written = true; }, d.doc, 1ull << 31);
        FAIL();
    } catch (const TrailerError& e) {
        EXPECT_STREQ(e.what(), "The image data is too large (2 GB or more) to carry a measurement.");
    }
    EXPECT_FALSE(written);
    EXPECT_TRUE(folderEntries(dir).empty());
    // One byte less still goes ahead (here with a few bytes written).
    EXPECT_NO_THROW(SaveWithTrailer(name, [](std::ostream& out) { out.write("abc", 3); }, d.doc,
                                    (1ull << 31) - 1));
    EXPECT_EQ(fs::file_size(name), 3u + 798u);
    fs::remove_all(dir);
}

TEST(SaveWithTrailer, EmptyAndCalibratedSizes)
{
    const std::string dir = test::makeTempDir("storage-sizes");
    const std::string name = dir + "/probe.dat";
    const Bytes image(1000, 0x5A);
    auto writeImage = [&](std::ostream& out) { out.write(reinterpret_cast<const char*>(image.data()), 1000); };
    Document d;
    SaveWithTrailer(name, writeImage, d.doc);
    EXPECT_EQ(fs::file_size(name), 1000u + 798u);
    calibrate(d, "10", "1", "", "", "1,56");
    SaveWithTrailer(name, writeImage, d.doc);
    EXPECT_EQ(fs::file_size(name), 1000u + 1074u);
    const Bytes file = test::readFile(name);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), file.begin()));
    EXPECT_EQ(file[1000 + 6], 10);  // "Kalibtiert"
    fs::remove_all(dir);
}

}  // namespace
}  // namespace tesra

namespace tesra {
namespace {

// Keeping the image data: the bytes before the old trailer stay, the trailer behind them is
// the new measurement's; the file must be the one recorded (also through a link), unchanged.
TEST(KeepImageData, NewTrailerBehindTheOldImageBytes)
{
    const std::string dir = test::makeTempDir("storage-keep");
    const std::string path = dir + "/probe.png";
    Document first;
    first.doc.AddTestLine(1, 1, 30, 1, false);
    const ImageFileState saved = SaveImageWithMeasurement(gradientImage(), path, first.doc);
    const Bytes before = test::readFile(path);
    const ParsedTrailer old = ParseTrailer(before);
    ASSERT_EQ(saved.imageDataSize, old.start);
    ASSERT_TRUE(CanKeepImageData(saved, path));
    fs::create_symlink(path, dir + "/link.png");
    EXPECT_TRUE(CanKeepImageData(saved, dir + "/link.png"));
    EXPECT_FALSE(CanKeepImageData(saved, dir + "/other.png"));

    Document second;
    second.doc.AddTestLine(1, 1, 30, 1, false);
    second.doc.AddTestLine(2, 5, 40, 20, false);
    const ImageFileState kept = SaveMeasurementKeepingImage(saved, second.doc);
    const Bytes after = test::readFile(path);
    const ParsedTrailer now = ParseTrailer(after);
    ASSERT_EQ(now.status, TrailerStatus::Found);
    EXPECT_EQ(now.start, old.start);
    EXPECT_TRUE(std::equal(before.begin(), before.begin() + static_cast<std::ptrdiff_t>(old.start), after.begin()));
    EXPECT_EQ(now.content.lines.size(), 2u);
    EXPECT_EQ(kept.size, after.size());
    EXPECT_TRUE(CanKeepImageData(kept, path));
    EXPECT_FALSE(CanKeepImageData(saved, path));  // the file has changed since `saved`

    // Written to by someone else at the same size: no longer the recorded file.
    Bytes changed = after;
    changed[100] ^= 0xFF;
    test::writeFile(path, changed);
    const timespec times[2] = {{0, UTIME_OMIT}, {kept.modifiedNs / 1000000000, kept.modifiedNs % 1000000000}};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
    EXPECT_FALSE(CanKeepImageData(kept, path));
    fs::remove_all(dir);
}

}  // namespace
}  // namespace tesra
