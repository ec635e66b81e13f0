#include "results/sheet_export.h"

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace tesra {
namespace {

const char* const kLineHeader =
    "!\t#\tTotal length in Pixel\tSecond phase length \tIntersections\tEffective length\t"
    "\xC3\xB8 grain size in Pixel\tCalibrated length\t\xC3\xB8 cal. grain size\tSecond phase";
const char* const kSumHeader =
    "\t\tTotal length in Pixel\tTotal length of second phase\tIntersections\tEffective length\t"
    "\xC3\xB8 grain size in Pixel\tCalibrated length\t\xC3\xB8 cal. grain size\tSecond phase";

Measurement Lines(const std::vector<TestLine>& lines)
{
    Measurement m;
    m.setRecords(lines, {}, {});
    return m;
}

TestLine Line(long double length, long double secondPhase, long double count, bool circle = false)
{
    TestLine l;
    l.length = length;
    l.secondPhaseLength = secondPhase;
    l.weightedCount = count;
    l.isCircle = circle;
    return l;
}

ResultSheet Computed(const Measurement& m)
{
    ResultSheet sheet;
    sheet.Recompute(m);
    return sheet;
}

void ExpectLines(const ClipboardText& text, const std::vector<std::string>& expected)
{
    const auto& lines = text.Lines();
    ASSERT_EQ(lines.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(lines[i], expected[i]) << "line " << i + 1;
}

// Three lines, calibrated with 200 pixels = 100 units (scale 0.5) and a fraction of 12.5 %:
//   L 100, 250, 1400; N 10, 13, 20; E = L * 0.875 = 87.5, 218.75, 1225
//   D_i = E_i / N_i * 1.56 = 13.65, 26.25, 95.55;  calibrated: times 0.5
//   SL 1750, SN 43, E 1531.25, D = 55.552, Dc = 27.776; M = 14.33, S = 5.1316,
//   H = 2 S / sqrt(2) = 7.257, R = H / M = 0.50631: D R = 28.127, Dc R = 14.063
TEST(SheetExport, FullSheetOfThreeLines)
{
    Measurement m = Lines({Line(100, 5, 10), Line(250, 0, 13), Line(1400, 40, 20)});
    m.calibration.scale = 0.5L;
    m.calibration.secondPhasePercent = 12.5L;
    const ResultSheet sheet = Computed(m);
    const ClipboardText text =
        SheetExportText(sheet, m.calibration, "07.12.2026 09:15:00", "C:\\Proben\\probe.bmp", "Stahl 42");
    ExpectLines(text, {
        "Tesra measurement 07.12.2026 09:15:00",
        "File: C:\\Proben\\probe.bmp",
        "Remark: Stahl 42",
        "",
        "Calibration factor: \t0,500",
        "Conversion factor: \t1,560",
        "Second phase fraction set by calibration: 12,500 Vol% gesetzt",
        "",
        kLineHeader,
        "\t1\t100,000\t12,500\t10,000\t87,500\t13,650\t43,750\t6,825\t12,500",
        "\t2\t250,000\t31,250\t13,000\t218,750\t26,250\t109,375\t13,125\t12,500",
        "\t3\t1.400,000\t175,000\t20,000\t1.225,000\t95,550\t612,500\t47,775\t12,500",
        "",
        kSumHeader,
        "\t\t1.750,000\t218,750\t43,0\t1.531,250\t55,552\t765,625\t27,776\t12,500",
        "",
        "Confidence niveau of 95%:",
        "Confidence intervall:\t14,3\xC2\xB1" "7,3\tIntersections",
        "\xC3\xB8 grain size in Pixel:\t55,552\xC2\xB1" "28,127",
        "\xC3\xB8 cal. grain size:\t27,776\xC2\xB1" "14,063",
    });

    // The ANSI clipboard: CR LF after every line, "ø" as 248 and "±" as 177.
    const std::string ansi = text.Ansi();
    const std::string tail = "Confidence intervall:\t14,3\xB1" "7,3\tIntersections\r\n"
                             "\xF8 grain size in Pixel:\t55,552\xB1" "28,127\r\n"
                             "\xF8 cal. grain size:\t27,776\xB1" "14,063\r\n";
    ASSERT_GE(ansi.size(), tail.size());
    EXPECT_EQ(ansi.substr(ansi.size() - tail.size()), tail);
    for (std::size_t i = 0; i < ansi.size(); ++i) {
        const bool crAlone = ansi[i] == '\r' && (i + 1 == ansi.size() || ansi[i + 1] != '\n');
        const bool lfAlone = ansi[i] == '\n' && (i == 0 || ansi[i - 1] != '\r');
        EXPECT_FALSE(crAlone || lfAlone) << i;
    }
    EXPECT_EQ(std::count(ansi.begin(), ansi.end(), '\n'), 20);
    EXPECT_EQ(ansi.substr(0, 39), "Tesra measurement 07.12.2026 09:15:00\r\n");
    EXPECT_NE(ansi.find("\r\n!\t#\tTotal length in Pixel\tSecond phase length \tIntersections\t"
                        "Effective length\t\xF8 grain size in Pixel\tCalibrated length\t"
                        "\xF8 cal. grain size\tSecond phase\r\n"),
              std::string::npos);
    // UTF-8 form: the same lines, each closed by CR LF.
    const std::string utf8 = text.Utf8();
    EXPECT_EQ(utf8.substr(utf8.size() - 2), "\r\n");
    EXPECT_NE(utf8.find("\r\n\xC3\xB8 cal. grain size:\t27,776\xC2\xB1" "14,063\r\n"), std::string::npos);
}

TEST(SheetExport, EmptySheet)
{
    const ResultSheet sheet;
    const Calibration calibration;
    ExpectLines(SheetExportText(sheet, calibration, "d t", "probe.png", "640x480"), {
        "Tesra measurement d t",
        "File: probe.png",
        "Remark: 640x480",
        "",
        "Calibration factor: \t1,000",
        "Conversion factor: \t1,560",
        "",
        kLineHeader,
        "\t\t\t\t\t\t\t\t\t",
        "",
        kSumHeader,
        "\t\t\t\t\t\t\t\t\t",
        "",
        "Confidence niveau of 95%:",
        "Confidence intervall:\t\tIntersections",
        "\xC3\xB8 grain size in Pixel:\t",
        "\xC3\xB8 cal. grain size:\t",
    });
}

TEST(SheetExport, WithoutFractionTheEmptyLineFollowsTheFactor)
{
    Measurement m = Lines({Line(100, 5, 10), Line(250, 0, 13)});
    const ClipboardText text = SheetExportText(Computed(m), m.calibration, "", "", "");
    ASSERT_GE(text.Lines().size(), 8u);
    EXPECT_EQ(text.Lines()[5], "Conversion factor: \t1,560");
    EXPECT_EQ(text.Lines()[6], "");
    EXPECT_EQ(text.Lines()[7], kLineHeader);
}

TEST(SheetExport, OutlierCircleExportsKA)
{
    // Counts 30, 30, 30, 30 and a circle with 2: the circle lies below M - H.
    Measurement m = Lines({Line(100, 0, 30), Line(100, 0, 30), Line(100, 0, 30), Line(100, 0, 30),
                           Line(100, 0, 2, true)});
    const ClipboardText text = SheetExportText(Computed(m), m.calibration, "", "", "");
    EXPECT_EQ(text.Lines()[12].substr(0, 5), "KA\t5\t");
    EXPECT_EQ(text.Lines()[8].substr(0, 3), "\t1\t");
}

TEST(SheetExport, OneLineEndsWithTheBareMean)
{
    Measurement m = Lines({Line(100, 0, 10)});
    const ClipboardText text = SheetExportText(Computed(m), m.calibration, "", "", "");
    const auto& lines = text.Lines();
    ASSERT_EQ(lines.size(), 17u);
    EXPECT_EQ(lines[14], "Confidence intervall:\t\tIntersections");
    // 100 / 10 * 1.56
    EXPECT_EQ(lines[15], "\xC3\xB8 grain size in Pixel:\t15,600");
    EXPECT_EQ(lines[16], "\xC3\xB8 cal. grain size:\t15,600");
}

TEST(SheetExport, EnglishSeparators)
{
    Measurement m = Lines({Line(1400, 0, 10), Line(250, 0, 13)});
    m.calibration.scale = 0.5L;
    m.calibration.secondPhasePercent = 12.5L;
    ResultSheet sheet(NumberLocale::English());
    sheet.Recompute(m);
    const ClipboardText text = SheetExportText(sheet, m.calibration, "", "", "");
    EXPECT_EQ(text.Lines()[4], "Calibration factor: \t0.500");
    EXPECT_EQ(text.Lines()[6], "Second phase fraction set by calibration: 12.500 Vol% gesetzt");
    EXPECT_EQ(text.Lines()[9].substr(0, 13), "\t1\t1,400.000\t");
}

}  // namespace
}  // namespace tesra
