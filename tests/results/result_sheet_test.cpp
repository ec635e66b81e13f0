#include "results/result_sheet.h"

#include <array>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace tesra {
namespace {

// ---------------------------------------------------------------------------------------
// Worked example: three straight lines and one circle.
//
//  line 1  (0,0)-(300,0)      L = 300      V V, 4 x I, 1 x III, 2 x II   N = 4 + 1.5 + 1 = 6.5
//          second phase between the two II intercepts at x = 100 and 160: P = 60
//  line 2  (0,0)-(300,400)    L = 500      V V, 8 x I, 1 x VI            N = 8 + 0.5 = 8.5
//  line 3  (0,0)-(0,1200)     L = 1200     V V, 20 x I, 1 x IV           N = 20 + 1 = 21
//  circle  box (400,0)-(500,100), L = 100 pi = 314.159265...
//                                          10 x I, 1 x III (2 on a circle) N = 12
//
//  SL = 2314.159265, SP = 60, SN = 48, E = SL - SP = 2254.159265
//  D = E / SN * 1.56 = 73.260176;  n = 4, M = 12
//  squares (-5.5)^2 + (-3.5)^2 + 9^2 + 0^2 = 123.5, S = sqrt(123.5 / 3) = 6.416125518
//  H = 2 S / sqrt(3) = 7.408703590, R = H / M = 0.617391966, D R = 45.230
//  M + H = 19.41 < 21: line 3 gets "K"; the circle has N < 15: "A"
//  T = TargetCv(48) = 0.16 - 8 * 0.002 = 0.144, CV = S / M = 0.534677127 > 2 T: warning
//  Q = sqrt(12) = 3.464101615; CV / T = 3.713, S / Q = 1.852: caption ratio 3,71
// The cell texts below were worked out from these values with a decimal calculator.
// ---------------------------------------------------------------------------------------

void AddIntercepts(std::vector<Intercept>& out, int line, InterceptType type, int count,
                   PixelPoint at = {})
{
    for (int i = 0; i < count; ++i) {
        Intercept x;
        x.x = at.x;
        x.y = at.y;
        x.type = type;
        x.line = static_cast<std::uint16_t>(line);
        out.push_back(x);
    }
}

TestLine Straight(int x1, int y1, int x2, int y2, long double length, long double count,
                  long double secondPhase)
{
    TestLine l;
    l.x1 = x1;
    l.y1 = y1;
    l.x2 = x2;
    l.y2 = y2;
    l.length = length;
    l.weightedCount = count;
    l.secondPhaseLength = secondPhase;
    return l;
}

Measurement WorkedExample()
{
    std::vector<TestLine> lines;
    std::vector<Intercept> intercepts;
    std::vector<PhaseSegment> segments;

    lines.push_back(Straight(0, 0, 300, 0, 300.0L, 6.5L, 60.0L));
    AddIntercepts(intercepts, 1, itStartEndInGrain, 1, {0, 0});
    AddIntercepts(intercepts, 1, itStartEndInGrain, 1, {300, 0});
    AddIntercepts(intercepts, 1, itNormal, 4, {40, 0});
    AddIntercepts(intercepts, 1, itTriplePoint, 1, {180, 0});
    AddIntercepts(intercepts, 1, itSecondPhase, 1, {100, 0});  // intercept 8
    AddIntercepts(intercepts, 1, itSecondPhase, 1, {160, 0});  // intercept 9
    segments.push_back({8, 9, 1, 60.0L});

    lines.push_back(Straight(0, 0, 300, 400, 500.0L, 8.5L, 0.0L));
    AddIntercepts(intercepts, 2, itStartEndInGrain, 2);
    AddIntercepts(intercepts, 2, itNormal, 8);
    AddIntercepts(intercepts, 2, itStartEndAtBoundary, 1);

    lines.push_back(Straight(0, 0, 0, 1200, 1200.0L, 21.0L, 0.0L));
    AddIntercepts(intercepts, 3, itStartEndInGrain, 2);
    AddIntercepts(intercepts, 3, itNormal, 20);
    AddIntercepts(intercepts, 3, itTangent, 1);

    TestLine circle = Straight(400, 0, 500, 100, 100.0L * std::numbers::pi_v<long double>, 12.0L, 0.0L);
    circle.isCircle = true;
    lines.push_back(circle);
    AddIntercepts(intercepts, 4, itNormal, 10);
    AddIntercepts(intercepts, 4, itTriplePoint, 1);

    Measurement m;
    m.setRecords(lines, intercepts, segments);
    return m;
}

struct ExampleCase {
    const char* name;
    NumberLocale locale;
    long double scale;
    long double fraction;
    std::array<std::array<const char*, 9>, 4> rows;  // columns 2..10
    std::array<const char*, 8> sums;                 // Tabelle2 row 1, columns 1..8
    std::array<const char*, 3> limits;               // Tabelle2 row 2, columns 3, 5, 7
    const char* needed;
    const char* intercepts;
    const char* warning;
};

const ExampleCase kExamples[] = {
    {"uncalibrated", NumberLocale::German(), 1.0L, -1.0L,
     {{{"1", "300,000", "60,000", "6,500", "240,000", "57,600", "240,000", "57,600", "20,000"},
       {"2", "500,000", "0,000", "8,500", "500,000", "91,765", "500,000", "91,765", "0,000"},
       {"3", "1.200,000", "0,000", "21,000", "1.200,000", "89,143", "1.200,000", "89,143", "0,000"},
       {"4", "314,159", "0,000", "12,000", "314,159", "40,841", "314,159", "40,841", "0,000"}}},
     {"2.314,159", "60,000", "48,0", "2.254,159", "73,260", "2.254,159", "73,260", "2,593"},
     {"12,0\xC2\xB1" "7,4", "\xC2\xB1" "45,230", "\xC2\xB1" "45,230"},
     "Needed Intersections: 2,0", "Intersections: 48,0", "Check for anisotropy! (3,71)"},
    {"calibrated", NumberLocale::German(), 0.25L, -1.0L,
     {{{"1", "300,000", "60,000", "6,500", "240,000", "57,600", "60,000", "14,400", "20,000"},
       {"2", "500,000", "0,000", "8,500", "500,000", "91,765", "125,000", "22,941", "0,000"},
       {"3", "1.200,000", "0,000", "21,000", "1.200,000", "89,143", "300,000", "22,286", "0,000"},
       {"4", "314,159", "0,000", "12,000", "314,159", "40,841", "78,540", "10,210", "0,000"}}},
     {"2.314,159", "60,000", "48,0", "2.254,159", "73,260", "563,540", "18,315", "2,593"},
     {"12,0\xC2\xB1" "7,4", "\xC2\xB1" "45,230", "\xC2\xB1" "11,308"},
     "Needed Intersections: 2,0", "Intersections: 48,0", "Check for anisotropy! (3,71)"},
    // With a fraction set the marked segment of line 1 no longer counts.
    {"calibrated with fraction 10", NumberLocale::German(), 0.25L, 10.0L,
     {{{"1", "300,000", "30,000", "6,500", "270,000", "64,800", "67,500", "16,200", "10,000"},
       {"2", "500,000", "50,000", "8,500", "450,000", "82,588", "112,500", "20,647", "10,000"},
       {"3", "1.200,000", "120,000", "21,000", "1.080,000", "80,229", "270,000", "20,057", "10,000"},
       {"4", "314,159", "31,416", "12,000", "282,743", "36,757", "70,686", "9,189", "10,000"}}},
     {"2.314,159", "231,416", "48,0", "2.082,743", "67,689", "520,686", "16,922", "10,000"},
     {"12,0\xC2\xB1" "7,4", "\xC2\xB1" "41,791", "\xC2\xB1" "10,448"},
     "Needed Intersections: 2,0", "Intersections: 48,0", "Check for anisotropy! (3,71)"},
    {"calibrated, English", NumberLocale::English(), 0.25L, -1.0L,
     {{{"1", "300.000", "60.000", "6.500", "240.000", "57.600", "60.000", "14.400", "20.000"},
       {"2", "500.000", "0.000", "8.500", "500.000", "91.765", "125.000", "22.941", "0.000"},
       {"3", "1,200.000", "0.000", "21.000", "1,200.000", "89.143", "300.000", "22.286", "0.000"},
       {"4", "314.159", "0.000", "12.000", "314.159", "40.841", "78.540", "10.210", "0.000"}}},
     {"2,314.159", "60.000", "48.0", "2,254.159", "73.260", "563.540", "18.315", "2.593"},
     {"12.0\xC2\xB1" "7.4", "\xC2\xB1" "45.230", "\xC2\xB1" "11.308"},
     "Needed Intersections: 2.0", "Intersections: 48.0", "Check for anisotropy! (3.71)"},
};

TEST(ResultSheetWorkedExample, EveryCellAsWorkedOutByHand)
{
    for (const ExampleCase& ex : kExamples) {
        SCOPED_TRACE(ex.name);
        Measurement m = WorkedExample();
        m.calibration.scale = ex.scale;
        m.calibration.secondPhasePercent = ex.fraction;
        ResultSheet sheet(ex.locale);
        sheet.Recompute(m);

        ASSERT_EQ(sheet.rowCount(), 5);
        for (int r = 1; r <= 4; ++r) {
            for (int c = 2; c <= 10; ++c)
                EXPECT_EQ(sheet.cell(c, r), ex.rows[r - 1][c - 2]) << "cell (" << c << "," << r << ")";
            EXPECT_EQ(sheet.cell(0, r), kRowMarkText);
            EXPECT_EQ(sheet.cellColour(0, r), CellColour::Lime);
        }
        for (int c = 1; c <= 8; ++c)
            EXPECT_EQ(sheet.sumCell(c, 1), ex.sums[c - 1]) << "sum column " << c;
        EXPECT_EQ(sheet.sumCell(3, 2), ex.limits[0]);
        EXPECT_EQ(sheet.sumCell(5, 2), ex.limits[1]);
        EXPECT_EQ(sheet.sumCell(7, 2), ex.limits[2]);
        for (int c : {1, 2, 4, 6, 8})
            EXPECT_EQ(sheet.sumCell(c, 2), "") << c;

        // Line 3 lies above M + H, the circle has fewer than 15 intercepts.
        EXPECT_EQ(sheet.cell(1, 1), "");
        EXPECT_EQ(sheet.cell(1, 2), "");
        EXPECT_EQ(sheet.cell(1, 3), "K");
        EXPECT_EQ(sheet.cell(1, 4), "A");
        EXPECT_EQ(sheet.cellColour(1, 1), CellColour::Window);
        EXPECT_EQ(sheet.cellColour(1, 2), CellColour::Window);
        EXPECT_EQ(sheet.cellColour(1, 3), CellColour::Red);
        EXPECT_EQ(sheet.cellColour(1, 4), CellColour::Red);

        EXPECT_EQ(sheet.neededIntercepts(), (SheetPanel{true, ex.needed}));
        EXPECT_EQ(sheet.interceptsCaption(), ex.intercepts);
        EXPECT_EQ(sheet.grainSizeCaption(), std::string("Cal. grain size: ") + ex.sums[6]);
        EXPECT_EQ(sheet.warning(), (SheetPanel{true, ex.warning}));

        const SheetStatistics& st = sheet.statistics();
        EXPECT_NEAR(static_cast<double>(st.cv), 0.534677126525560, 1e-13);
        EXPECT_NEAR(static_cast<double>(st.targetCv), 0.144, 1e-15);
        EXPECT_NEAR(static_cast<double>(st.s), 6.416125518306719, 1e-13);
        EXPECT_NEAR(static_cast<double>(st.rootMeanCount), 3.464101615137755, 1e-13);
    }
}

TEST(ResultSheetWorkedExample, InternalValuesTextHasSingleCarriageReturns)
{
    Measurement m = WorkedExample();
    for (const auto& [locale, expected] : {
             std::pair{NumberLocale::German(),
                       "CV: 0,5346771265  Soll CV: 0,144\rS: 6,416125518  Sqrt(Nmittel): 3,464101615"
                       "\rCV/SollCV: 3,713035601\rS/Sqrt(Nmittel): 1,852175898"},
             std::pair{NumberLocale::English(),
                       "CV: 0.5346771265  Soll CV: 0.144\rS: 6.416125518  Sqrt(Nmittel): 3.464101615"
                       "\rCV/SollCV: 3.713035601\rS/Sqrt(Nmittel): 1.852175898"}}) {
        ResultSheet sheet(locale);
        sheet.Recompute(m);
        EXPECT_EQ(sheet.internalValuesText(), expected);
    }
}

TEST(ResultSheetInternalValues, ZeroDivisorsReadNotDefined)
{
    // Before the first statistics all four are 0: both ratios would divide 0 by 0.
    ResultSheet sheet;
    EXPECT_EQ(sheet.internalValuesText(),
              "CV: 0  Soll CV: 0\rS: 0  Sqrt(Nmittel): 0\rCV/SollCV: not defined (Soll CV = 0)"
              "\rS/Sqrt(Nmittel): not defined (Sqrt(Nmittel) = 0)");
}

// ---------------------------------------------------------------------------------------
// Small measurements for the single rules.
// ---------------------------------------------------------------------------------------

Measurement LinesWithCounts(std::initializer_list<long double> counts, long double length = 100.0L,
                            bool circles = false)
{
    std::vector<TestLine> lines;
    for (long double c : counts) {
        TestLine l = Straight(0, 0, 100, 0, length, c, 0.0L);
        l.isCircle = circles;
        lines.push_back(l);
    }
    Measurement m;
    m.setRecords(lines, {}, {});
    return m;
}

ResultSheet Computed(const Measurement& m, NumberLocale locale = NumberLocale::German())
{
    ResultSheet sheet(locale);
    sheet.Recompute(m);
    return sheet;
}

// The numbers behind the cells, as the main window's panels and the exports read them.
TEST(MeasurementStatistics, WorkedExampleAsNumbers)
{
    const MeasurementStatistics st = ComputeStatistics(WorkedExample());
    ASSERT_EQ(st.lines.size(), 4u);
    EXPECT_NEAR(static_cast<double>(st.total.effective), 2254.159265, 1e-6);
    EXPECT_NEAR(static_cast<double>(*st.total.grainSize), 73.260176, 1e-6);
    EXPECT_EQ(st.neededIntercepts, 2.0L);
    ASSERT_TRUE(st.spread);
    EXPECT_EQ(st.spread->mean, 12.0L);
    EXPECT_NEAR(static_cast<double>(st.spread->s), 6.416125518, 1e-9);
    EXPECT_NEAR(static_cast<double>(st.spread->halfWidth), 7.408703590, 1e-9);
    EXPECT_NEAR(static_cast<double>(st.spread->targetCv), 0.144, 1e-12);
    EXPECT_TRUE(st.spread->anisotropyWarning);
    const bool outliers[] = {false, false, true, false};
    const bool fewIntercepts[] = {false, false, false, true};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(st.lines[i].outlier, outliers[i]) << i;
        EXPECT_EQ(st.lines[i].fewIntercepts, fewIntercepts[i]) << i;
    }
    // A line without intercepts has no grain size; no line at all, no spread.
    EXPECT_FALSE(ComputeStatistics(LinesWithCounts({0.0L})).lines[0].grainSize);
    EXPECT_FALSE(ComputeStatistics(Measurement()).spread);
}

TEST(ResultSheetRecompute, NoLineShowsOneEmptyRow)
{
    ResultSheet sheet = Computed(LinesWithCounts({5.0L, 7.0L}));
    sheet.Recompute(Measurement());
    EXPECT_EQ(sheet.rowCount(), 2);
    for (int c = 0; c < kSheetColumns; ++c)
        EXPECT_EQ(sheet.cell(c, 1), "");
    for (int c = 1; c < kSumColumns; ++c)
        EXPECT_EQ(sheet.sumCell(c, 1), "");
    EXPECT_EQ(sheet.interceptsCaption(), "Intersections:");
    EXPECT_EQ(sheet.grainSizeCaption(), "Cal. grain size:");
    EXPECT_FALSE(sheet.neededIntercepts().visible);
    EXPECT_EQ(sheet.cell(2, 0), "Line #");
    EXPECT_EQ(sheet.cell(7, 0), "\xC3\xB8 grain size");
    EXPECT_EQ(sheet.sumCell(0, 1), "Sum");
    EXPECT_EQ(sheet.sumCell(0, 2), "Confidence / Error");
    EXPECT_EQ(sheet.sumCell(8, 0), "Vol % 2nd P");
}

TEST(ResultSheetRecompute, OneLineShowsSumsButNoConfidenceAndKeepsTheWarning)
{
    // First two lines that raise the warning, then a single line.
    Measurement two = LinesWithCounts({2.0L, 40.0L});
    ResultSheet sheet = Computed(two);
    ASSERT_TRUE(sheet.warning().visible);
    const std::string caption = sheet.warning().caption;
    const SheetStatistics kept = sheet.statistics();
    ASSERT_EQ(sheet.cell(1, 2), "");  // H is large with two lines: no "K"

    Measurement one = LinesWithCounts({10.0L});
    sheet.Recompute(one);
    EXPECT_EQ(sheet.sumCell(3, 1), "10,0");
    // 100 / 10 * 1.56
    EXPECT_EQ(sheet.sumCell(5, 1), "15,600");
    EXPECT_EQ(sheet.sumCell(3, 2), "");
    EXPECT_EQ(sheet.sumCell(5, 2), "");
    EXPECT_EQ(sheet.sumCell(7, 2), "");
    EXPECT_EQ(sheet.cell(1, 1), "");
    EXPECT_EQ(sheet.warning(), (SheetPanel{true, caption}));
    EXPECT_EQ(sheet.statistics().cv, kept.cv);
    EXPECT_EQ(sheet.statistics().s, kept.s);

    // Another image: the warning spoke of lines that are gone.
    sheet.ResetSheet();
    EXPECT_FALSE(sheet.warning().visible);
}

TEST(ResultSheetRecompute, ZeroCountLeavesGrainSizesEmpty)
{
    ResultSheet sheet = Computed(LinesWithCounts({0.0L, 0.0L}));
    EXPECT_EQ(sheet.cell(5, 1), "0,000");
    EXPECT_EQ(sheet.cell(7, 1), "");
    EXPECT_EQ(sheet.cell(9, 1), "");
    EXPECT_EQ(sheet.sumCell(5, 1), "");
    EXPECT_EQ(sheet.sumCell(7, 1), "");
    EXPECT_EQ(sheet.sumCell(3, 2), "");
    EXPECT_EQ(sheet.grainSizeCaption(), "Cal. grain size: ");
    EXPECT_EQ(sheet.neededIntercepts(), (SheetPanel{true, "Needed Intersections: 50,0"}));
    EXPECT_FALSE(sheet.warning().visible);
    EXPECT_EQ(sheet.warning().caption, "Anisotropie liegt vielleicht vor!");
}

TEST(ResultSheetRecompute, NeededInterceptsAroundFifty)
{
    struct Row {
        long double count;
        NumberLocale locale;
        SheetPanel needed;
        const char* intercepts;
    };
    const Row rows[] = {
        {49.5L, NumberLocale::German(), {true, "Needed Intersections: 0,5"}, "Intersections: 49,5"},
        {49.5L, NumberLocale::English(), {true, "Needed Intersections: 0.5"}, "Intersections: 49.5"},
        {50.0L, NumberLocale::German(), {false, ""}, "Intersections: 50,0"},
        // N(4,1): four significant digits, so the half is rounded away before the decimal
        {1234.5L, NumberLocale::German(), {false, ""}, "Intersections: 1.235,0"},
        {1234.5L, NumberLocale::English(), {false, ""}, "Intersections: 1,235.0"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.intercepts);
        ResultSheet sheet = Computed(LinesWithCounts({row.count}), row.locale);
        EXPECT_EQ(sheet.neededIntercepts().visible, row.needed.visible);
        if (row.needed.visible) {
            EXPECT_EQ(sheet.neededIntercepts().caption, row.needed.caption);
        }
        EXPECT_EQ(sheet.interceptsCaption(), row.intercepts);
    }
}

TEST(ResultSheetRecompute, FractionByCalibrationOverridesMarkedSegments)
{
    Measurement m = LinesWithCounts({10.0L, 10.0L}, 200.0L);
    m.calibration.secondPhasePercent = 10.0L;
    std::vector<TestLine> lines(m.lines().begin(), m.lines().end());
    lines[0].secondPhaseLength = 55.0L;  // a marked stretch that the fraction overrides
    m.setRecords(lines, {}, {});
    for (const NumberLocale& locale : {NumberLocale::German(), NumberLocale::English()}) {
        const bool german = locale.decimalSeparator == ",";
        ResultSheet sheet = Computed(m, locale);
        for (int r = 1; r <= 2; ++r) {
            EXPECT_EQ(sheet.cell(4, r), german ? "20,000" : "20.000");
            EXPECT_EQ(sheet.cell(6, r), german ? "180,000" : "180.000");
            EXPECT_EQ(sheet.cell(10, r), german ? "10,000" : "10.000");
        }
        EXPECT_EQ(sheet.sumCell(2, 1), german ? "40,000" : "40.000");
        EXPECT_EQ(sheet.sumCell(8, 1), german ? "10,000" : "10.000");
    }
}

TEST(ResultSheetRecompute, CircleFlagBelowFifteen)
{
    // Equal counts keep the outlier flag away; only the circle rule acts.
    ResultSheet sheet = Computed(LinesWithCounts({14.5L, 14.5L}, 100.0L, true));
    EXPECT_EQ(sheet.cell(1, 1), "A");
    EXPECT_EQ(sheet.cellColour(1, 1), CellColour::Red);
    sheet = Computed(LinesWithCounts({15.0L, 15.0L}, 100.0L, true));
    EXPECT_EQ(sheet.cell(1, 1), "");
    EXPECT_EQ(sheet.cellColour(1, 1), CellColour::Window);
    // A single circle gets its flag as well.
    sheet = Computed(LinesWithCounts({3.0L}, 100.0L, true));
    EXPECT_EQ(sheet.cell(1, 1), "A");
}

TEST(ResultSheetRecompute, CountOnTheLimitIsNoOutlier)
{
    // Counts 12, 8, 12, 8, 10: M = 10, squares 16, S = sqrt(16 / 4) = 2, H = 2 * 2 / sqrt(4) = 2.
    // 12 = M + H and 8 = M - H exactly.
    ResultSheet sheet = Computed(LinesWithCounts({12.0L, 8.0L, 12.0L, 8.0L, 10.0L}));
    for (int r = 1; r <= 5; ++r)
        EXPECT_EQ(sheet.cell(1, r), "") << r;
    EXPECT_EQ(sheet.sumCell(3, 2), "10,0\xC2\xB1" "2,0");
    // 12.5 lies beyond the limit: M = 10.1, still H close to 2.
    sheet = Computed(LinesWithCounts({12.5L, 8.0L, 12.0L, 8.0L, 10.0L}));
    EXPECT_EQ(sheet.cell(1, 1), "K");
}

TEST(ResultSheetRecompute, OutlierCircleReadsKA)
{
    // Counts 30, 30, 30, 30, 2: M = 24.4, squares 4 * 5.6^2 + 22.4^2 = 627.2,
    // S = sqrt(156.8) = 12.522, H = 12.522: 2 < M - H = 11.878, 30 < M + H = 36.922.
    Measurement m = LinesWithCounts({30.0L, 30.0L, 30.0L, 30.0L, 2.0L});
    std::vector<TestLine> lines(m.lines().begin(), m.lines().end());
    lines[4].isCircle = true;
    m.setRecords(lines, {}, {});
    ResultSheet sheet = Computed(m);
    EXPECT_EQ(sheet.cell(1, 5), "KA");
    EXPECT_EQ(sheet.cellColour(1, 5), CellColour::Red);
    for (int r = 1; r <= 4; ++r)
        EXPECT_EQ(sheet.cell(1, r), "");
}

TEST(ResultSheetRecompute, ThousandsSeparators)
{
    const struct {
        NumberLocale locale;
        const char* length;
        const char* sum;
    } rows[] = {
        {NumberLocale::German(), "1.234,567", "2.469,134"},
        {NumberLocale::English(), "1,234.567", "2,469.134"},
    };
    for (const auto& row : rows) {
        ResultSheet sheet = Computed(LinesWithCounts({5.0L, 5.0L}, 1234.567L), row.locale);
        EXPECT_EQ(sheet.cell(3, 1), row.length);
        EXPECT_EQ(sheet.sumCell(1, 1), row.sum);
    }
}

TEST(ResultSheetRecompute, ZeroLengthLineHasNoFraction)
{
    ResultSheet sheet = Computed(LinesWithCounts({1.0L, 1.0L}, 0.0L));
    EXPECT_EQ(sheet.cell(10, 1), "");
    EXPECT_EQ(sheet.sumCell(8, 1), "");
    EXPECT_EQ(sheet.cell(3, 1), "0,000");
}

TEST(ResultSheetRecompute, DamagedValuesFromAFileDoNotStopTheSheet)
{
    const long double bad[] = {std::numeric_limits<long double>::quiet_NaN(),
                               std::numeric_limits<long double>::infinity(),
                               -std::numeric_limits<long double>::infinity(), 1.0e30L, -1.0e30L};
    for (long double value : bad) {
        SCOPED_TRACE(static_cast<double>(value));
        ResultSheet sheet = Computed(LinesWithCounts({value, 5.0L}));
        EXPECT_EQ(sheet.cell(2, 2), "2");
        EXPECT_EQ(sheet.cell(5, 2), "5,000");
    }
}

TEST(ResultSheetRecompute, OneRowPerLineMarkedAsTheLine)
{
    Measurement m = LinesWithCounts({1.0L, 2.0L, 3.0L});
    m.setLineActive(3, false);
    ResultSheet sheet = Computed(LinesWithCounts({1.0L}));
    sheet.Recompute(m);
    ASSERT_EQ(sheet.rowCount(), 4);
    EXPECT_EQ(sheet.cell(2, 3), "3");
    EXPECT_TRUE(sheet.rowMarked(2));
    EXPECT_FALSE(sheet.rowMarked(3));
}

// ---------------------------------------------------------------------------------------
// Row operations.
// ---------------------------------------------------------------------------------------

TEST(ResultSheetRows, FirstLineTakesTheEmptyFirstRow)
{
    Measurement m;
    ResultSheet sheet;
    ASSERT_EQ(m.AddTestLine(0, 0, 1234, 0, false).kind, EditKind::Added);
    sheet.Recompute(m);
    EXPECT_EQ(sheet.rowCount(), 2);
    EXPECT_EQ(sheet.cell(2, 1), "1");
    EXPECT_EQ(sheet.cell(3, 1), "1.234,000");
    EXPECT_TRUE(sheet.rowMarked(1));
    EXPECT_EQ(sheet.cell(0, 1), kRowMarkText);
    // Recomputed at once: two end intercepts of weight 0.
    EXPECT_EQ(sheet.cell(5, 1), "0,000");
    EXPECT_EQ(sheet.sumCell(3, 1), "0,0");

    ASSERT_EQ(m.AddTestLine(0, 10, 30, 50, false).kind, EditKind::Added);
    sheet.Recompute(m);
    EXPECT_EQ(sheet.rowCount(), 3);
    EXPECT_EQ(sheet.cell(2, 2), "2");
    EXPECT_EQ(sheet.cell(3, 2), "50,000");
    EXPECT_EQ(sheet.sumCell(1, 1), "1.284,000");
}

TEST(ResultSheetRows, RowMarkColoursAndToggle)
{
    Measurement m = LinesWithCounts({1.0L, 2.0L});
    ResultSheet sheet = Computed(m);
    sheet.SetRowMark(2, false);
    EXPECT_EQ(sheet.cellColour(0, 2), CellColour::Silver);
    EXPECT_EQ(sheet.cell(0, 2), "");
    EXPECT_EQ(CellColourValue(CellColour::Lime), 65280u);
    EXPECT_EQ(CellColourValue(CellColour::Silver), 12632256u);
    EXPECT_EQ(CellColourValue(CellColour::Red), 255u);

    sheet.SelectLineRow(1);
    EXPECT_TRUE(sheet.toggleRowMark(m));
    EXPECT_FALSE(sheet.rowMarked(1));
    EXPECT_EQ(sheet.cellColour(0, 1), CellColour::Silver);
    EXPECT_FALSE(m.line(1).active);
    EXPECT_TRUE(sheet.toggleRowMark(m));
    EXPECT_TRUE(sheet.rowMarked(1));
    EXPECT_TRUE(m.line(1).active);

    // The row of an inactive line read from a file can be ticked again.
    Measurement inactive = LinesWithCounts({1.0L});
    inactive.setLineActive(1, false);
    ResultSheet loaded = Computed(inactive);
    ASSERT_EQ(loaded.cellColour(0, 1), CellColour::Silver);
    EXPECT_TRUE(loaded.toggleRowMark(inactive));
    EXPECT_TRUE(inactive.line(1).active);

    // The mark enters no sum.
    const std::string sum = sheet.sumCell(3, 1);
    sheet.toggleRowMark(m);
    sheet.Recompute(m);
    EXPECT_EQ(sheet.sumCell(3, 1), sum);
}

TEST(ResultSheetRows, ToggleOnAnEmptySheetChangesNothing)
{
    Measurement m;
    ResultSheet sheet;
    EXPECT_FALSE(sheet.toggleRowMark(m));
    EXPECT_EQ(sheet.cellColour(0, 1), CellColour::Window);
}

TEST(ResultSheetRows, SelectLineRowStaysOnTheLineRows)
{
    ResultSheet sheet = Computed(LinesWithCounts({1.0L, 2.0L, 3.0L}));
    sheet.SelectLineRow(3);
    EXPECT_EQ(sheet.currentRow(), 3);
    sheet.SelectLineRow(0);
    EXPECT_EQ(sheet.currentRow(), 1);
    sheet.SelectLineRow(17);
    EXPECT_EQ(sheet.currentRow(), 3);
    EXPECT_EQ(sheet.lineNumberOfRow(2), 2);
}

TEST(ResultSheetRows, ResetSheetEmptiesEverything)
{
    ResultSheet sheet = Computed(WorkedExample());
    sheet.ResetSheet();
    EXPECT_EQ(sheet.rowCount(), 2);
    for (int c = 0; c < kSheetColumns; ++c)
        EXPECT_EQ(sheet.cell(c, 1), "");
    for (int r = 1; r < kSumRows; ++r)
        for (int c = 1; c < kSumColumns; ++c)
            EXPECT_EQ(sheet.sumCell(c, r), "");
    EXPECT_EQ(sheet.sumCell(0, 1), "Sum");
    EXPECT_EQ(sheet.cell(1, 0), "!");
    EXPECT_EQ(sheet.interceptsCaption(), "Intersections:");
    EXPECT_FALSE(sheet.neededIntercepts().visible);
}

// ---------------------------------------------------------------------------------------
// Deleting a line with the Delete key.
// ---------------------------------------------------------------------------------------

TEST(ResultSheetDelete, CandidateIsTheNumberOfTheCurrentRow)
{
    Measurement m = LinesWithCounts({1.0L, 2.0L, 3.0L});
    ResultSheet sheet = Computed(m);
    sheet.SelectLineRow(2);
    EXPECT_EQ(sheet.deletionCandidate(m), 2);
    EXPECT_EQ(ResultSheet::deleteQuestion(2), "Delete line # 2?");
    // A number beyond the lines deletes nothing.
    EXPECT_EQ(sheet.deletionCandidate(LinesWithCounts({1.0L})), 0);
    ResultSheet empty;
    EXPECT_EQ(empty.deletionCandidate(Measurement()), 0);
}

TEST(ResultSheetDelete, MiddleLineMovesTheRowsUp)
{
    Measurement m = LinesWithCounts({4.0L, 6.0L, 8.0L});
    m.setLineActive(3, false);
    ResultSheet sheet = Computed(m);
    sheet.SelectLineRow(2);
    EXPECT_EQ(sheet.deleteLine(m, 2, 2), 1);
    EXPECT_EQ(m.lineCount(), 2);
    EXPECT_EQ(sheet.rowCount(), 3);
    EXPECT_EQ(sheet.currentRow(), 1);
    EXPECT_EQ(sheet.cell(2, 2), "2");
    EXPECT_EQ(sheet.cell(5, 2), "8,000");
    EXPECT_FALSE(sheet.rowMarked(2));  // the mark went up with its row
    EXPECT_EQ(sheet.sumCell(3, 1), "12,0");
}

TEST(ResultSheetDelete, SelectedLineFollows)
{
    const struct {
        int lines;
        int deleted;
        int selected;
        int expected;
    } rows[] = {
        {3, 1, 1, 1},  // the first line: stays 1
        {3, 3, 3, 2},  // n > 1: n - 1
        {3, 2, 1, 1},  // another line was selected: unchanged
        {3, 1, 3, 2},  // ... but not beyond the last line
        {1, 1, 1, 0},  // no line left
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.lines << " " << row.deleted << " " << row.selected);
        Measurement m = row.lines == 3 ? LinesWithCounts({1.0L, 2.0L, 3.0L}) : LinesWithCounts({1.0L});
        ResultSheet sheet = Computed(m);
        sheet.SelectLineRow(row.deleted);
        EXPECT_EQ(sheet.deleteLine(m, row.deleted, row.selected), row.expected);
        EXPECT_EQ(sheet.currentRow(), std::max(row.expected, 1));
    }
}

TEST(ResultSheetDelete, OnlyLineLeavesAnEmptySheet)
{
    Measurement m = LinesWithCounts({10.0L});
    ResultSheet sheet = Computed(m);
    ASSERT_EQ(sheet.interceptsCaption(), "Intersections: 10,0");
    EXPECT_EQ(sheet.deleteLine(m, 1, 1), 0);
    EXPECT_EQ(m.lineCount(), 0);
    EXPECT_EQ(sheet.rowCount(), 2);
    for (int c = 0; c < kSheetColumns; ++c)
        EXPECT_EQ(sheet.cell(c, 1), "");
    for (int c = 1; c < kSumColumns; ++c)
        EXPECT_EQ(sheet.sumCell(c, 1), "");
    EXPECT_EQ(sheet.interceptsCaption(), "Intersections:");
    EXPECT_EQ(sheet.grainSizeCaption(), "Cal. grain size:");
}

}  // namespace
}  // namespace tesra
