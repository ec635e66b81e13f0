// The measurement document: capacities, creation of lines and circles, the intercept types,
// the cascade of deletions and the second-phase stretches. Expected values are worked out
// by hand from the geometry of each case.
#include "app/measurement/measurement.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <set>
#include <utility>

#include "analysis/line_geometry.h"

namespace tesra {
namespace {

constexpr long double kPiRef = 3.14159265358979323846264338327950288L;

// A horizontal straight line from (0, y) to (100, y) with its two end intercepts.
int addHorizontal(Measurement& m, int y)
{
    return m.AddTestLine(0, y, 100, y, false).index;
}

TEST(InterceptTypes, WeightsOnLinesAndCircles)
{
    struct Row {
        int type;
        long double straight;
        long double circle;
    };
    const Row rows[] = {{1, 1.0L, 1.0L}, {2, 0.5L, 0.5L}, {3, 1.5L, 2.0L},
                        {4, 1.0L, 1.0L}, {5, 0.0L, 0.0L}, {6, 0.5L, 0.5L},
                        {0, 0.0L, 0.0L}, {7, 0.0L, 0.0L}, {255, 0.0L, 0.0L}};
    for (const Row& r : rows) {
        EXPECT_EQ(InterceptWeight(r.type, false), r.straight) << "type " << r.type;
        EXPECT_EQ(InterceptWeight(r.type, true), r.circle) << "type " << r.type;
    }
}

TEST(InterceptTypes, ColoursButtonsAndNames)
{
    struct Row {
        int type;
        int r, g, b;
        const char* button;
        const char* name;
    };
    const Row rows[] = {
        {1, 0, 255, 0, "I", "Normal intersection"},
        {2, 255, 0, 0, "II", "Second phase boundary"},
        {3, 0, 0, 255, "III", "Triple point"},
        {4, 255, 255, 0, "IV", "Tangential"},
        {5, 0, 255, 255, "V", "Start / End in grain"},
        {6, 255, 0, 255, "VI", "Start/End at grain boundary"},
    };
    for (const Row& row : rows) {
        const std::uint32_t expected = static_cast<std::uint32_t>(row.r) | static_cast<std::uint32_t>(row.g) << 8
                                       | static_cast<std::uint32_t>(row.b) << 16;
        EXPECT_EQ(InterceptTypeColor(row.type), expected) << "type " << row.type;
        EXPECT_STREQ(InterceptTypeButton(row.type), row.button);
        EXPECT_STREQ(InterceptTypeName(row.type), row.name);
    }
    EXPECT_STREQ(InterceptTypeButton(0), "");
    EXPECT_STREQ(InterceptTypeName(7), "");
}

TEST(Calibration, ValuesAfterAnImageIsOpened)
{
    const Calibration c = DefaultCalibration(640, 480);
    EXPECT_EQ(c.scale, 1.0L);
    EXPECT_EQ(c.secondPhasePercent, -1.0L);
    EXPECT_EQ(c.conversionFactor, 1.56L);
    EXPECT_EQ(c.pixelLength, 0.0L);
    EXPECT_EQ(c.realLength, 0.0L);
    EXPECT_EQ(c.remark, "640x480");
}

TEST(AddTestLine, StraightLineGetsTwoStartEndIntercepts)
{
    Measurement m;
    const EditResult r = m.AddTestLine(30, 40, 0, 0, false);
    EXPECT_EQ(r, (EditResult{EditKind::Added, 1}));
    ASSERT_EQ(m.lineCount(), 1);
    const TestLine& line = m.line(1);
    // Stored with the smaller x first.
    EXPECT_EQ(line.x1, 0);
    EXPECT_EQ(line.y1, 0);
    EXPECT_EQ(line.x2, 30);
    EXPECT_EQ(line.y2, 40);
    EXPECT_TRUE(line.active);
    EXPECT_FALSE(line.isCircle);
    EXPECT_EQ(line.length, 50.0L);
    EXPECT_EQ(line.weightedCount, 0.0L);
    ASSERT_EQ(m.interceptCount(), 2);
    EXPECT_EQ(m.intercept(1).type, itStartEndInGrain);
    EXPECT_EQ(m.intercept(2).type, itStartEndInGrain);
    EXPECT_EQ(m.intercept(1).x, 0);
    EXPECT_EQ(m.intercept(1).position, 0.0L);
    EXPECT_EQ(m.intercept(2).x, 30);
    EXPECT_EQ(m.intercept(2).y, 40);
    EXPECT_EQ(m.intercept(2).position, 1.0L);
    EXPECT_EQ(m.intercept(1).line, 1);

    // The editing state is the caller's: the next intercept takes the type it asks for.
    EXPECT_EQ(m.AddIntercept({15, 20}, 1, itTriplePoint), (EditResult{EditKind::Added, 3}));
    EXPECT_EQ(m.intercept(3).type, itTriplePoint);
    EXPECT_EQ(m.line(1).weightedCount, 1.5L);
}

TEST(AddTestLine, CirclesAreSquaredOrderedAndGetNoIntercepts)
{
    struct Row {
        int x1, y1, x2, y2;           // as clicked
        int sx1, sy1, sx2, sy2;       // as stored
    };
    const Row rows[] = {
        {0, 0, 100, 40, 0, 0, 40, 40},       // wider than high: side 40
        {0, 0, 40, 100, 0, 0, 40, 40},       // higher than wide: side 40
        {100, 0, 0, 40, 60, 40, 100, 0},     // pulled to the left
        {0, 100, 40, 0, 0, 100, 40, 60},     // pulled upward
        {50, 50, 10, 10, 10, 10, 50, 50},    // square, drawn right to left
        {10, 10, 50, 50, 10, 10, 50, 50},    // the same square, left to right
    };
    for (const Row& r : rows) {
        Measurement m;
        ASSERT_FALSE(m.AddTestLine(r.x1, r.y1, r.x2, r.y2, true).refused());
        const TestLine& c = m.line(1);
        EXPECT_EQ(c.x1, r.sx1);
        EXPECT_EQ(c.y1, r.sy1);
        EXPECT_EQ(c.x2, r.sx2);
        EXPECT_EQ(c.y2, r.sy2);
        EXPECT_TRUE(c.isCircle);
        EXPECT_NEAR(static_cast<double>(c.length), static_cast<double>(kPiRef * (r.sx2 - r.sx1)), 1e-12);
        EXPECT_GT(c.length, 0.0L);
        EXPECT_EQ(m.interceptCount(), 0);
    }
}

TEST(AddTestLine, EqualXPutsTheSecondPointFirst)
{
    Measurement m;
    m.AddTestLine(5, 1, 5, 9, false);
    EXPECT_EQ(m.line(1).y1, 9);
    EXPECT_EQ(m.line(1).y2, 1);
    EXPECT_EQ(m.line(1).length, 8.0L);
    EXPECT_EQ(m.intercept(1).y, 9);
}

TEST(Capacities, LinesInterceptsAndSegmentsStopSilently)
{
    Measurement m;
    // 300 circles keep the intercepts free for the intercept limit below.
    for (int i = 0; i < kMaxLines; ++i)
        ASSERT_EQ(m.AddTestLine(0, i, 10, i + 10, true).index, i + 1);
    EXPECT_TRUE(m.AddTestLine(0, 0, 10, 10, true).refused());
    EXPECT_TRUE(m.AddTestLine(0, 0, 10, 10, false).refused());
    EXPECT_EQ(m.lineCount(), 300);
    EXPECT_EQ(m.interceptCount(), 0);

    // 101 intercepts on one circle give enough pairs for the segment limit.
    Measurement s;
    s.AddTestLine(0, 0, 2000, 2000, true);
    for (int i = 0; i < 101; ++i) {
        PixelPoint p{static_cast<std::int32_t>(1000 + 1000 * std::cos(i * 0.06)),
                     static_cast<std::int32_t>(1000 + 1000 * std::sin(i * 0.06))};
        ASSERT_FALSE(s.AddIntercept(p, 1, itNormal).refused());
    }
    int made = 0;
    for (int a = 1; a <= 101 && made < kMaxSegments; ++a)
        for (int b = a + 1; b <= 101 && made < kMaxSegments; ++b) {
            ASSERT_EQ(s.TogglePhaseSegment(a, b).kind, EditKind::Added);
            ++made;
        }
    EXPECT_EQ(s.segmentCount(), 5000);
    const long double before = s.line(1).secondPhaseLength;
    EXPECT_TRUE(s.TogglePhaseSegment(100, 101).refused());
    EXPECT_EQ(s.segmentCount(), 5000);
    EXPECT_EQ(s.line(1).secondPhaseLength, before);
    // Removing still works at the limit.
    EXPECT_EQ(s.TogglePhaseSegment(2, 1).kind, EditKind::Removed);

    Measurement n;
    n.AddTestLine(0, 0, 10000, 0, false);  // two end intercepts
    for (int i = 3; i <= kMaxIntercepts; ++i)
        ASSERT_EQ(n.AddIntercept({i, 0}, 1, itNormal).index, i);
    EXPECT_TRUE(n.AddIntercept({9999, 0}, 1, itNormal).refused());
    EXPECT_EQ(n.interceptCount(), 5000);
    EXPECT_EQ(n.line(1).weightedCount, 4998.0L);
    // A straight line added now keeps its line but cannot get its end intercepts.
    EXPECT_EQ(n.AddTestLine(0, 5, 10, 5, false).index, 2);
    EXPECT_EQ(n.interceptCount(), 5000);
}

TEST(AddIntercept, RefusedForMissingLinesAndInsideMarkedStretches)
{
    Measurement m;
    addHorizontal(m, 0);  // intercepts 1 at x=0, 2 at x=100
    EXPECT_TRUE(m.AddIntercept({50, 0}, 0, itNormal).refused());
    EXPECT_TRUE(m.AddIntercept({50, 0}, 2, itNormal).refused());
    ASSERT_EQ(m.AddIntercept({40, 0}, 1, itNormal).index, 3);
    ASSERT_EQ(m.AddIntercept({60, 0}, 1, itNormal).index, 4);
    ASSERT_EQ(m.TogglePhaseSegment(4, 3).kind, EditKind::Added);
    EXPECT_TRUE(m.AddIntercept({50, 0}, 1, itNormal).refused());
    EXPECT_EQ(m.line(1).weightedCount, 2.0L);
    // Outside the stretch, and exactly on a bounding intercept (no enclosing pair), are fine.
    EXPECT_EQ(m.AddIntercept({70, 0}, 1, itNormal).index, 5);
    EXPECT_EQ(m.AddIntercept({60, 0}, 1, itNormal).index, 6);
    EXPECT_EQ(m.intercept(5).position, 0.7L);
    EXPECT_EQ(m.line(1).weightedCount, 4.0L);
}

TEST(RetypeIntercept, MovesTheWeightBetweenTypes)
{
    struct Row {
        bool circle;
        InterceptType from;
        InterceptType to;
        long double change;
    };
    const Row rows[] = {
        {true, itTriplePoint, itNormal, -1.0L},
        {false, itTriplePoint, itNormal, -0.5L},
        {false, itStartEndInGrain, itTangent, 1.0L},
        {true, itSecondPhase, itTriplePoint, 1.5L},
        {false, itNormal, itNormal, 0.0L},
    };
    for (const Row& r : rows) {
        Measurement m;
        if (r.circle)
            m.AddTestLine(0, 0, 20, 20, true);
        else
            m.AddTestLine(0, 10, 20, 10, false);
        const int k = m.AddIntercept({10, r.circle ? 20 : 10}, 1, r.from).index;
        const long double before = m.line(1).weightedCount;
        EXPECT_EQ(m.RetypeIntercept(k, r.to), (EditResult{EditKind::Changed, k}));
        EXPECT_EQ(m.line(1).weightedCount - before, r.change);
        EXPECT_EQ(m.intercept(k).type, r.to);
    }
    Measurement empty;
    EXPECT_TRUE(empty.RetypeIntercept(1, itNormal).refused());
}

TEST(DeleteIntercept, RemovesItsSegmentsAndRenumbersTheRest)
{
    Measurement m;
    addHorizontal(m, 0);             // 1: x=0, 2: x=100
    m.AddIntercept({20, 0}, 1, itNormal);   // 3
    m.AddIntercept({40, 0}, 1, itTriplePoint);  // 4
    m.AddIntercept({60, 0}, 1, itNormal);   // 5
    m.TogglePhaseSegment(4, 5);       // 20 px
    m.TogglePhaseSegment(2, 3);       // 80 px
    EXPECT_EQ(m.line(1).secondPhaseLength, 100.0L);
    EXPECT_EQ(m.line(1).weightedCount, 3.5L);

    EXPECT_EQ(m.DeleteIntercept(3), (EditResult{EditKind::Removed, 3}));
    EXPECT_EQ(m.interceptCount(), 4);
    ASSERT_EQ(m.segmentCount(), 1);
    EXPECT_EQ(m.segment(1).first, 3);
    EXPECT_EQ(m.segment(1).second, 4);
    EXPECT_EQ(m.segment(1).length, 20.0L);
    EXPECT_EQ(m.line(1).secondPhaseLength, 20.0L);
    EXPECT_EQ(m.line(1).weightedCount, 2.5L);
    EXPECT_EQ(m.intercept(3).x, 40);
    EXPECT_EQ(m.intercept(4).x, 60);

    EXPECT_TRUE(m.DeleteIntercept(0).refused());
    EXPECT_TRUE(m.DeleteIntercept(5).refused());
}

TEST(DeleteTestLine, RemovesItsRecordsAndRenumbersTheFollowingLine)
{
    Measurement m;
    addHorizontal(m, 0);    // line 1: intercepts 1, 2
    addHorizontal(m, 10);   // line 2: intercepts 3, 4
    addHorizontal(m, 20);   // line 3: intercepts 5, 6
    m.AddIntercept({50, 10}, 2, itNormal);   // 7 on line 2
    m.AddIntercept({50, 20}, 3, itNormal);   // 8 on line 3
    m.TogglePhaseSegment(7, 3);               // line 2, 50 px
    m.TogglePhaseSegment(8, 6);               // line 3, 50 px
    m.TogglePhaseSegment(1, 2);               // line 1, 100 px

    EXPECT_EQ(m.DeleteTestLine(2), (EditResult{EditKind::Removed, 2}));
    EXPECT_EQ(m.lineCount(), 2);
    ASSERT_EQ(m.interceptCount(), 5);
    // Former 5, 6, 8 of line 3 are now 3, 4, 5 of line 2.
    EXPECT_EQ(m.intercept(3).line, 2);
    EXPECT_EQ(m.intercept(3).y, 20);
    EXPECT_EQ(m.intercept(4).line, 2);
    EXPECT_EQ(m.intercept(5).line, 2);
    EXPECT_EQ(m.intercept(5).x, 50);
    ASSERT_EQ(m.segmentCount(), 2);
    EXPECT_EQ(m.segment(1).first, 5);
    EXPECT_EQ(m.segment(1).second, 4);
    EXPECT_EQ(m.segment(1).line, 2);
    EXPECT_EQ(m.segment(2).first, 1);
    EXPECT_EQ(m.segment(2).line, 1);
    EXPECT_EQ(m.line(2).y1, 20);
    EXPECT_EQ(m.line(2).secondPhaseLength, 50.0L);

    EXPECT_TRUE(m.DeleteTestLine(3).refused());
    EXPECT_TRUE(m.DeleteTestLine(0).refused());
    m.DeleteTestLine(2);
    m.DeleteTestLine(1);
    EXPECT_EQ(m.lineCount(), 0);
    EXPECT_EQ(m.interceptCount(), 0);
    EXPECT_EQ(m.segmentCount(), 0);
}

TEST(TogglePhaseSegment, MarksAndUnmarksInEitherOrder)
{
    Measurement m;
    m.AddTestLine(0, 0, 30, 40, false);  // intercepts 1 (0,0), 2 (30,40)
    EXPECT_EQ(m.TogglePhaseSegment(2, 1), (EditResult{EditKind::Added, 1}));
    EXPECT_EQ(m.segment(1).first, 2);
    EXPECT_EQ(m.segment(1).second, 1);
    EXPECT_EQ(m.segment(1).line, 1);
    EXPECT_EQ(m.segment(1).length, 50.0L);
    EXPECT_EQ(m.line(1).secondPhaseLength, 50.0L);
    EXPECT_EQ(m.TogglePhaseSegment(1, 2), (EditResult{EditKind::Removed, 1}));
    EXPECT_EQ(m.segmentCount(), 0);
    EXPECT_EQ(m.line(1).secondPhaseLength, 0.0L);

    EXPECT_TRUE(m.TogglePhaseSegment(0, 1).refused());
    EXPECT_TRUE(m.TogglePhaseSegment(1, 3).refused());
    m.AddTestLine(0, 50, 10, 50, false);  // intercepts 3, 4 on line 2
    EXPECT_TRUE(m.TogglePhaseSegment(1, 3).refused());  // different lines
}

TEST(TogglePhaseSegment, CircleStretchesWrapThroughAngleZero)
{
    Measurement m;
    m.AddTestLine(0, 0, 200, 200, true);  // radius 100, centre (100, 100)
    // Points at the angles 1 and 5 (cos/sin worked out: (154, 184) and (128, 4)).
    const int atOne = m.AddIntercept({154, 184}, 1, itNormal).index;
    const int atFive = m.AddIntercept({128, 4}, 1, itNormal).index;
    const long double p1 = m.intercept(atOne).position;
    const long double p5 = m.intercept(atFive).position;
    EXPECT_NEAR(static_cast<double>(p1), 1.0, 0.01);
    EXPECT_NEAR(static_cast<double>(p5), 5.0, 0.01);

    m.TogglePhaseSegment(atOne, atFive);  // from 5 through 0 to 1
    EXPECT_NEAR(static_cast<double>(m.segment(1).length), static_cast<double>((p1 - p5 + 2 * kPiRef) * 100), 1e-9);
    m.TogglePhaseSegment(atOne, atFive);
    m.TogglePhaseSegment(atFive, atOne);  // from 1 forward to 5
    EXPECT_NEAR(static_cast<double>(m.segment(1).length), static_cast<double>((p5 - p1) * 100), 1e-9);
}

TEST(TogglePhaseSegment, TheOnlyInterceptOfACircleEnclosesTheWholeCircle)
{
    Measurement m;
    m.AddTestLine(0, 0, 20, 20, true);
    m.AddIntercept({20, 10}, 1, itNormal);
    const Neighbours n = FindNeighbours(m, {0, 10}, 1);
    ASSERT_TRUE(n.found);
    ASSERT_EQ(n.lower, 1);
    ASSERT_EQ(n.upper, 1);
    m.TogglePhaseSegment(n.upper, n.lower);
    EXPECT_NEAR(static_cast<double>(m.line(1).secondPhaseLength), static_cast<double>(20 * kPiRef), 1e-12);
    // And nothing can be put inside it.
    EXPECT_TRUE(m.AddIntercept({10, 20}, 1, itNormal).refused());
}

TEST(LoadedRecords, ReferencesAreCheckedBeforeAnythingIsReplaced)
{
    Measurement m;
    addHorizontal(m, 0);
    TestLine line;
    line.x2 = 10;
    line.length = 10;
    Intercept good;
    good.line = 1;
    PhaseSegment seg;
    seg.first = 1;
    seg.second = 2;
    seg.line = 1;

    struct Row {
        const char* what;
        std::vector<TestLine> lines;
        std::vector<Intercept> intercepts;
        std::vector<PhaseSegment> segments;
    };
    Intercept onLine0 = good;
    onLine0.line = 0;
    Intercept onLine2 = good;
    onLine2.line = 2;
    PhaseSegment toThree = seg;
    toThree.second = 3;
    PhaseSegment onLine5 = seg;
    onLine5.line = 5;
    const std::vector<Row> rows = {
        {"intercept on line 0", {line}, {onLine0}, {}},
        {"intercept beyond the lines", {line}, {onLine2}, {}},
        {"segment beyond the intercepts", {line}, {good, good}, {toThree}},
        {"segment on a missing line", {line}, {good, good}, {onLine5}},
        {"too many lines", std::vector<TestLine>(301, line), {}, {}},
        {"too many intercepts", {line}, std::vector<Intercept>(5001, good), {}},
        {"too many segments", {line}, {good, good}, std::vector<PhaseSegment>(5001, seg)},
    };
    for (const Row& r : rows) {
        EXPECT_THROW(m.setRecords(r.lines, r.intercepts, r.segments), MeasurementError) << r.what;
        EXPECT_EQ(m.lineCount(), 1) << r.what;
        EXPECT_EQ(m.interceptCount(), 2) << r.what;
    }
    m.setRecords({line, line}, {good, good}, {seg});
    EXPECT_EQ(m.lineCount(), 2);
    EXPECT_EQ(m.segmentCount(), 1);
    m.ClearMeasurement();
    EXPECT_EQ(m.lineCount() + m.interceptCount() + m.segmentCount(), 0);
}

TEST(LoadedRecords, OddButInRangeRecordsCanBeEditedSafely)
{
    // A file may pair intercepts of different lines, carry unknown types and a segment whose
    // line differs from its intercepts'; editing must keep every reference in range.
    TestLine a;
    a.x2 = 100;
    a.length = 100;
    a.weightedCount = 1;
    TestLine b = a;
    b.y1 = b.y2 = 50;
    Intercept onA;
    onA.line = 1;
    onA.type = static_cast<InterceptType>(9);
    onA.position = 0.5L;
    Intercept onB;
    onB.line = 2;
    onB.type = itNormal;
    PhaseSegment across;
    across.first = 1;
    across.second = 2;
    across.line = 2;
    across.length = 4;

    Measurement m;
    m.setRecords({a, b}, {onA, onB}, {across});
    EXPECT_EQ(m.RetypeIntercept(1, itNormal).kind, EditKind::Changed);
    EXPECT_EQ(m.line(1).weightedCount, 2.0L);  // the unknown type weighed nothing
    EXPECT_EQ(m.DeleteTestLine(2).kind, EditKind::Removed);
    EXPECT_EQ(m.lineCount(), 1);
    EXPECT_EQ(m.interceptCount(), 1);
    EXPECT_EQ(m.segmentCount(), 0);

    m.setRecords({a, b}, {onA, onB}, {across});
    m.DeleteTestLine(1);  // the segment's intercept 1 goes, and with it the segment
    EXPECT_EQ(m.segmentCount(), 0);
    EXPECT_EQ(m.intercept(1).line, 1);
    EXPECT_EQ(m.line(1).secondPhaseLength, -4.0L);  // taken off the line it named
}

TEST(LoadedRecords, LineSetLinesStartWithoutWeightsAndStopAtCapacity)
{
    Measurement m;
    TestLine line;
    line.x2 = 10;
    line.length = 10;
    line.weightedCount = 7;
    line.secondPhaseLength = 3;
    line.active = false;
    EXPECT_EQ(m.appendLine(line), 1);
    EXPECT_EQ(m.line(1).weightedCount, 0.0L);
    EXPECT_EQ(m.line(1).secondPhaseLength, 0.0L);
    EXPECT_FALSE(m.line(1).active);
    EXPECT_EQ(m.line(1).length, 10.0L);
    for (int i = 2; i <= kMaxLines; ++i)
        ASSERT_EQ(m.appendLine(line), i);
    EXPECT_EQ(m.appendLine(line), 0);
    m.setLineActive(300, true);
    EXPECT_TRUE(m.line(300).active);
    m.setLineActive(301, true);  // ignored
    EXPECT_THROW(m.line(301), std::out_of_range);
}

// A long random editing session; afterwards the document must still be consistent:
// sums equal to the records they sum, every reference in range, no pair marked twice.
TEST(MeasurementInvariants, HoldAfterALongRandomEditingSession)
{
    std::mt19937 rng(20240611u);  // the engine's sequence is fixed by the C++ standard
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<std::uint32_t>(n)); };
    Measurement m;
    int added = 0, refusedInside = 0, toggled = 0, lineDeletes = 0;

    auto check = [&](int step) {
        std::vector<long double> weights(static_cast<std::size_t>(m.lineCount()) + 1, 0.0L);
        std::vector<long double> phase(static_cast<std::size_t>(m.lineCount()) + 1, 0.0L);
        for (int k = 1; k <= m.interceptCount(); ++k) {
            const Intercept& it = m.intercept(k);
            ASSERT_GE(it.line, 1) << step;
            ASSERT_LE(it.line, m.lineCount()) << step;
            weights[it.line] += InterceptWeight(it.type, m.line(it.line).isCircle);
        }
        std::set<std::pair<int, int>> pairs;
        for (int s = 1; s <= m.segmentCount(); ++s) {
            const PhaseSegment& seg = m.segment(s);
            ASSERT_GE(seg.first, 1) << step;
            ASSERT_LE(seg.first, m.interceptCount()) << step;
            ASSERT_GE(seg.second, 1) << step;
            ASSERT_LE(seg.second, m.interceptCount()) << step;
            ASSERT_EQ(m.intercept(seg.first).line, m.intercept(seg.second).line) << step;
            ASSERT_EQ(seg.line, m.intercept(seg.first).line) << step;
            ASSERT_TRUE(pairs.insert({std::min(seg.first, seg.second), std::max(seg.first, seg.second)}).second)
                << "pair joined twice at step " << step;
            phase[seg.line] += seg.length;
        }
        for (int n = 1; n <= m.lineCount(); ++n) {
            // Weights are multiples of one half: their sums are exact in any order.
            ASSERT_EQ(m.line(n).weightedCount, weights[static_cast<std::size_t>(n)]) << "line " << n << " step " << step;
            ASSERT_NEAR(static_cast<double>(m.line(n).secondPhaseLength),
                        static_cast<double>(phase[static_cast<std::size_t>(n)]), 1e-6)
                << "line " << n << " step " << step;
        }
    };

    for (int step = 0; step < 6000; ++step) {
        const int op = pick(100);
        if (op < 6 || m.lineCount() == 0) {
            const int x1 = pick(400), y1 = pick(400), x2 = pick(400), y2 = pick(400);
            m.AddTestLine(x1, y1, x2, y2, pick(3) == 0);
        } else if (op < 50) {
            PixelPoint p{pick(420) - 10, pick(420) - 10};
            const int line = NearestLine(m, p);
            const EditResult r = m.AddIntercept(p, line, static_cast<InterceptType>(1 + pick(6)));
            if (r.refused())
                ++refusedInside;
            else
                ++added;
        } else if (op < 62 && m.interceptCount() > 0) {
            m.RetypeIntercept(1 + pick(m.interceptCount()), static_cast<InterceptType>(1 + pick(6)));
        } else if (op < 72 && m.interceptCount() > 0) {
            m.DeleteIntercept(1 + pick(m.interceptCount()));
        } else if (op < 97) {
            PixelPoint p{pick(400), pick(400)};
            const int line = NearestLine(m, p);
            const Neighbours n = FindNeighbours(m, p, line);
            if (n.found) {
                m.TogglePhaseSegment(n.upper, n.lower);
                ++toggled;
            }
        } else if (m.lineCount() > 0) {
            m.DeleteTestLine(1 + pick(m.lineCount()));
            ++lineDeletes;
        }
        if (step % 50 == 0)
            check(step);
        if (::testing::Test::HasFatalFailure())
            return;
    }
    check(6000);
    // The session really exercised the cascade.
    EXPECT_GT(added, 500);
    EXPECT_GT(refusedInside, 10);
    EXPECT_GT(toggled, 300);
    EXPECT_GT(lineDeletes, 20);
    EXPECT_GT(m.segmentCount(), 0);
}

}  // namespace
}  // namespace tesra
