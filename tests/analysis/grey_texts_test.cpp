// The grey-value window's clipboard texts line by line, their byte forms, the segment grid
// cells, and the mouse read-outs of the two plots.
#include <gtest/gtest.h>

#include <cmath>

#include "analysis/grey_texts.h"
#include "analysis/line_geometry.h"

namespace tesra {
namespace {

const GreyTextHeader kHeader{"11.06.2024 14:03:09", "probe 7.bmp", "Stahl, 500x"};

TEST(ProfileText, HeadAndOneLinePerSampleAfterTheFirst)
{
    TestLine line;
    line.x2 = 40;
    line.length = 40;
    Measurement m;
    m.setRecords({line}, {}, {});
    TPixelGraphic image(50, 3, TPixelFormat::pf24Bit);
    for (int x = 0; x < 50; ++x)
        image.SetPixel(x, 0, rgb(1, x * 3, 2));
    const auto profile = ComputeGreyProfile(m, image, 1);
    ASSERT_TRUE(profile);
    ASSERT_EQ(profile->grey.size(), 40u);
    const ClipboardText text = ProfileClipboardText(*profile, 1, kHeader);
    const auto& lines = text.Lines();
    ASSERT_EQ(lines.size(), 6u + 39u);
    EXPECT_EQ(lines[0], "Tesra gray values 11.06.2024 14:03:09");
    EXPECT_EQ(lines[1], "File: probe 7.bmp");
    EXPECT_EQ(lines[2], "Remark: Stahl, 500x");
    EXPECT_EQ(lines[3], "Line: 1");
    EXPECT_EQ(lines[4], "");
    EXPECT_EQ(lines[5], "Pixel\tGray");
    EXPECT_EQ(lines[6], "1\t3");
    EXPECT_EQ(lines[44], "39\t117");
    const std::string ansi = text.Ansi();
    EXPECT_EQ(ansi.substr(0, 39), "Tesra gray values 11.06.2024 14:03:09\r\n");
    EXPECT_EQ(ansi.substr(ansi.size() - 8), "39\t117\r\n");
}

TEST(HistogramText, LinesFrequenciesAndBytes)
{
    GreyHistogram h;
    h.counts[0] = 1;
    h.counts[128] = 2;
    h.counts[255] = 1234567;
    h.total = 1234570;
    h.maxCount = 1234567;
    const ClipboardText text = HistogramClipboardText(h, kHeader, NumberLocale::German());
    const auto& lines = text.Lines();
    ASSERT_EQ(lines.size(), 261u);
    EXPECT_EQ(lines[0], "Tesra histogram 11.06.2024 14:03:09");
    EXPECT_EQ(lines[3], "");
    EXPECT_EQ(lines[4], "Gray\tCounts\t***normierte H\u00e4ufigkeit***");
    EXPECT_EQ(lines[5], "0\t1\t0,00000081");      // 1 / 1234570 = 8.1e-7
    EXPECT_EQ(lines[6], "1\t0\t0,00000000");
    EXPECT_EQ(lines[133], "128\t2\t0,00000162");  // 1.62e-6
    EXPECT_EQ(lines[260], "255\t1234567\t0,99999757");  // no thousands separator anywhere
    const std::string ansi = text.Ansi();
    const auto head = ansi.find("normierte H");
    ASSERT_NE(head, std::string::npos);
    EXPECT_EQ(static_cast<unsigned char>(ansi[head + 11]), 228);
    EXPECT_NE(text.Utf8().find("H\xC3\xA4ufigkeit"), std::string::npos);
    EXPECT_EQ(ansi.substr(ansi.size() - 2), "\r\n");
}

TEST(HistogramText, FrequenciesOfARealImageAddUpToOne)
{
    TPixelGraphic image(37, 11, TPixelFormat::pf24Bit);
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 37; ++x)
            image.SetPixel(x, y, rgb(0, (x * 7 + y * 13) % 256, 0));
    const GreyHistogram h = ComputeHistogram(image);
    const ClipboardText text = HistogramClipboardText(h, kHeader, NumberLocale::English());
    long double sum = 0;
    for (std::size_t i = 5; i < text.Lines().size(); ++i) {
        const std::string& line = text.Lines()[i];
        sum += std::stold(line.substr(line.rfind('\t') + 1));
    }
    EXPECT_NEAR(static_cast<double>(sum), 1.0, 256 * 0.5e-8);
}

SegmentList threeRows()
{
    SegmentList list;
    list.rows = {{1, 12.5L, 6.25L}, {2, 1234.5L, 617.25L}, {3, 10, 5}};
    list.mean = 314.25L;
    list.calibratedMean = 157.125L;
    return list;
}

TEST(SegmentCells, LengthsWithThousandsSeparatorsAndThreeDecimals)
{
    const SegmentCells cells = FormatSegmentCells(threeRows(), NumberLocale::German());
    ASSERT_EQ(cells.rows.size(), 3u);
    EXPECT_EQ(cells.rows[0], (std::array<std::string, 3>{"1", "12,500", "6,250"}));
    EXPECT_EQ(cells.rows[1], (std::array<std::string, 3>{"2", "1.234,500", "617,250"}));
    EXPECT_EQ(cells.meanLength, "314,250");
    EXPECT_EQ(cells.meanCalibratedLength, "157,125");

    SegmentList none;  // every pair a second-phase stretch
    const SegmentCells empty = FormatSegmentCells(none, NumberLocale::English());
    ASSERT_EQ(empty.rows.size(), 1u);
    EXPECT_EQ(empty.rows[0], (std::array<std::string, 3>{"", "", ""}));
    EXPECT_EQ(empty.meanLength, "0.000");
}

TEST(SegmentText, HeadRowsAndClosingLines)
{
    const SegmentCells cells = FormatSegmentCells(threeRows(), NumberLocale::English());
    const ClipboardText text = SegmentClipboardText(cells, 12, kHeader);
    const std::vector<std::string> expected = {
        "Tesra segment lengths 11.06.2024 14:03:09",
        "File: probe 7.bmp",
        "Remark: Stahl, 500x",
        "Line: 12",
        "",
        "Segment # \tLength [Pixel]\tCalibrated length",
        "1\t12.500\t6.250",
        "2\t1,234.500\t617.250",
        "3\t10.000\t5.000",
        "",
        " \tLength [Pixel]\tCalibrated length",
        "Mean\t314.250\t157.125",
        "Std. deviation\t\t",
    };
    EXPECT_EQ(text.Lines(), expected);
    EXPECT_EQ(text.Ansi().substr(text.Ansi().size() - 18), "Std. deviation\t\t\r\n");
}

TEST(SegmentText, FromAComputedList)
{
    Measurement m;
    TestLine line;
    line.x2 = 4096;
    line.length = 4096;
    Intercept a, b;
    a.line = b.line = 1;
    b.position = 1234.5L / 4096;
    m.setRecords({line}, {a, b}, {});
    m.calibration.scale = 2;
    const auto list = ComputeSegmentList(m, 1);
    ASSERT_TRUE(list);
    const SegmentCells cells = FormatSegmentCells(*list, NumberLocale::German());
    EXPECT_EQ(cells.rows[0], (std::array<std::string, 3>{"1", "1.234,500", "2.469,000"}));
    EXPECT_EQ(cells.meanLength, "617,250");
}

std::vector<std::uint32_t> column(std::initializer_list<std::pair<int, std::uint32_t>> marks)
{
    std::vector<std::uint32_t> c(257, 0xFFFFFF);
    for (const auto& [y, colour] : marks)
        c[static_cast<std::size_t>(y)] = colour;
    return c;
}

TEST(ProfileReadout, ReadsThePlotColumn)
{
    const auto c = column({{55, rgb(255, 0, 255)}, {130, rgb(128, 128, 128)}, {128, rgb(255, 0, 0)}});
    const ProfileColumnReading r = ReadProfileColumn(c.data(), 257);
    EXPECT_EQ(r.grey, 200);
    EXPECT_EQ(r.inc, -2);
    EXPECT_EQ(ProfileReadoutText(10, r, 40, false, NumberLocale::German()),
              "Position: 25%   Gray: 200   Increment: -4");

    // Later rows override earlier ones.
    const auto twice = column({{10, rgb(255, 0, 255)}, {20, rgb(255, 0, 255)}});
    EXPECT_EQ(ReadProfileColumn(twice.data(), 257).grey, 235);
}

TEST(ProfileReadout, FlatGreyHidesTheProfilePoint)
{
    // Grey 127 puts both points at y = 128; the increment point is drawn last.
    const auto c = column({{128, rgb(128, 128, 128)}});
    const ProfileColumnReading r = ReadProfileColumn(c.data(), 257);
    EXPECT_EQ(r.grey, -1);
    EXPECT_EQ(ProfileReadoutText(20, r, 40, false, NumberLocale::English()), "Position: 50%   Gray: 127   Increment: 0");
}

TEST(ProfileReadout, CirclesReadInDegrees)
{
    const ProfileColumnReading r{90, 1};
    const long double length = 20 * kPi;
    const int quarter = static_cast<int>(std::lround(static_cast<double>(length / 4)));  // 16
    EXPECT_EQ(ProfileReadoutText(quarter, r, length, true, NumberLocale::English()),
              "Position: 92\u00b0   Gray: 90   Increment: 2");  // 16 / 62.83 × 360 = 91.7
    EXPECT_EQ(ProfileReadoutText(10, r, 40, true, NumberLocale::English()), "Position: 90\u00b0   Gray: 90   Increment: 2");
    EXPECT_EQ(ProfileReadoutText(1, r, 3, false, NumberLocale::English()), "Position: 33%   Gray: 90   Increment: 2");
}

TEST(HistogramReadout, PositionAndCount)
{
    GreyHistogram h;
    h.counts[128] = 600;
    EXPECT_EQ(HistogramReadoutText(128, h), "Position: 128   Count: 600");
    EXPECT_EQ(HistogramReadoutText(0, h), "Position: 0   Count: 0");
    EXPECT_EQ(HistogramReadoutText(256, h), "");
    EXPECT_EQ(HistogramReadoutText(-1, h), "");
}

}  // namespace
}  // namespace tesra
