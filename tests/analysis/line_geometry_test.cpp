// Geometry of test lines: positions, projection of clicks, nearest line and intercept,
// enclosing intercepts with the wrap-around of circles, quadrants and sampling. Expected
// values are worked out by hand (or from the standard library's acos/cos/sin in double
// precision as an independent reference).
#include "analysis/line_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "imaging/pixel_graphic.h"

namespace tesra {
namespace {

constexpr double kPiD = 3.14159265358979323846;

TestLine straight(int x1, int y1, int x2, int y2, long double length)
{
    TestLine l;
    l.x1 = x1;
    l.y1 = y1;
    l.x2 = x2;
    l.y2 = y2;
    l.length = length;
    return l;
}

TestLine circle(int x1, int y1, int side)
{
    TestLine l;
    l.x1 = x1;
    l.y1 = y1;
    l.x2 = x1 + side;
    l.y2 = y1 + side;
    l.isCircle = true;
    l.length = static_cast<long double>(kPiD) * side;
    return l;
}

Intercept at(int x, int y, int line, long double position)
{
    Intercept it;
    it.x = x;
    it.y = y;
    it.line = static_cast<std::uint16_t>(line);
    it.position = position;
    return it;
}

std::vector<PixelPoint> pts(std::initializer_list<PixelPoint> list)
{
    return list;
}

TEST(LineLength, FromTheStoredPoints)
{
    EXPECT_EQ(testLineLength(straight(0, 0, 3, 4, 0)), 5.0L);
    EXPECT_EQ(testLineLength(straight(10, 10, 21, 10, 0)), 11.0L);
    EXPECT_NEAR(static_cast<double>(testLineLength(circle(0, 0, 20))), 20 * kPiD, 1e-12);
    // Far apart points: the square sum must not wrap (40000² + 40000² > 2^31).
    EXPECT_NEAR(static_cast<double>(testLineLength(straight(0, 0, 40000, 40000, 0))), 40000 * std::sqrt(2.0), 1e-6);
}

TEST(Position, StraightLinesAndCircles)
{
    const TestLine l = straight(0, 0, 6, 8, 10);
    EXPECT_EQ(positionOnLine(l, PixelPoint{3, 4}), 0.5L);
    EXPECT_EQ(positionOnLine(l, PixelPoint{0, 0}), 0.0L);
    EXPECT_EQ(positionOnLine(l, PixelPoint{6, 8}), 1.0L);

    const TestLine c = circle(0, 0, 20);  // centre (10, 10), radius 10
    struct Row {
        PixelPoint p;
        double expected;
    };
    const Row rows[] = {
        {{20, 10}, 0.0},
        {{10, 20}, kPiD / 2},       // lowest point on the screen
        {{0, 10}, kPiD},
        {{10, 0}, 3 * kPiD / 2},    // highest point
        {{18, 16}, std::acos(0.8)},
        {{17, 3}, 2 * kPiD - std::acos(0.7)},
        {{4, 2}, 2 * kPiD - std::acos(-0.6)},
    };
    for (const Row& r : rows)
        EXPECT_NEAR(static_cast<double>(positionOnLine(c, r.p)), r.expected, 1e-12) << r.p.x << "," << r.p.y;

    // Half-pixel centre: the rightmost point of a circle of side 21 is at angle 0.
    EXPECT_EQ(positionOnLine(circle(0, 0, 21), PixelPoint{21, 11}), 0.0L);
    // A point beyond the circle's horizontal extent (only a damaged file holds one).
    EXPECT_EQ(positionOnLine(c, PixelPoint{25, 12}), 0.0L);
    EXPECT_NEAR(static_cast<double>(positionOnLine(c, PixelPoint{-3, 12})), kPiD, 1e-15);
}

TEST(Position, DistanceAlongTheLineAndItsSample)
{
    const TestLine l = straight(0, 0, 0, 32, 32);
    EXPECT_EQ(distanceAlongLine(l, 0.390625L), 12.5L);
    EXPECT_EQ(sampleOfPosition(l, 0.390625L), 12);  // halves go to the even neighbour
    EXPECT_EQ(sampleOfPosition(l, 0.421875L), 14);  // 13.5
    const TestLine c = circle(0, 0, 20);
    EXPECT_NEAR(static_cast<double>(distanceAlongLine(c, kPiD / 2)), 5 * kPiD, 1e-12);
    EXPECT_NEAR(static_cast<double>(distanceAlongLine(c, kPiD)), 10 * kPiD, 1e-12);
    EXPECT_EQ(sampleOfPosition(c, kPiD), 31);
}

TEST(ProjectToLine, StraightLinesClampAndRoundHalfToEven)
{
    struct Row {
        TestLine line;
        PixelPoint p;
        PixelPoint q;
        double distance;
    };
    const Row rows[] = {
        {straight(0, 0, 10, 0, 10), {4, 3}, {4, 0}, 3.0},
        {straight(0, 0, 10, 0, 10), {-5, 2}, {0, 0}, std::sqrt(29.0)},     // before the start
        {straight(0, 0, 10, 0, 10), {20, -1}, {10, 0}, std::sqrt(101.0)},  // beyond the end
        {straight(0, 0, 4, 2, 0), {2, -1}, {1, 1}, std::sqrt(5.0)},         // t 0.3: (1.2, 0.6)
        {straight(0, 0, 2, 2, 0), {1, 0}, {0, 0}, 1.0},                     // t 0.25: (0.5, 0.5)
        {straight(0, 0, 2, 2, 0), {2, 1}, {2, 2}, 1.0},                     // t 0.75: (1.5, 1.5)
        {straight(0, 0, 2, 2, 0), {3, 0}, {2, 2}, std::sqrt(5.0)},          // t 0.75 again
    };
    for (const Row& r : rows) {
        const Projection pr = ProjectToLine(r.line, r.p);
        EXPECT_EQ(pr.q, r.q) << r.p.x << "," << r.p.y << " -> " << pr.q.x << "," << pr.q.y;
        EXPECT_NEAR(static_cast<double>(pr.distance), r.distance, 1e-15);
    }
}

TEST(ProjectToLine, CirclesMeasureToTheExactCircle)
{
    const TestLine c = circle(0, 0, 20);
    struct Row {
        PixelPoint p;
        PixelPoint q;
        double distance;
    };
    const Row rows[] = {
        {{30, 10}, {20, 10}, 10.0},
        {{13, 14}, {16, 18}, 5.0},   // 5 from the centre along (3, 4)
        {{10, 35}, {10, 20}, 15.0},
        {{4, 2}, {4, 2}, 0.0},       // on the circle: (-6, -8)
        {{10, 10}, {20, 10}, 10.0},  // the centre itself goes to the rightmost point
        {{11, 10}, {20, 10}, 9.0},
    };
    for (const Row& r : rows) {
        const Projection pr = ProjectToLine(c, r.p);
        EXPECT_EQ(pr.q, r.q) << r.p.x << "," << r.p.y;
        EXPECT_NEAR(static_cast<double>(pr.distance), r.distance, 1e-15);
    }
    // Distance to the exact circle, not to the rounded point: (1, 1) from centre (5.5, 5.5)
    // of a circle of radius 5.5 lies 4.5·√2 away from the centre.
    const Projection pr = ProjectToLine(circle(0, 0, 11), {1, 1});
    EXPECT_NEAR(static_cast<double>(pr.distance), 4.5 * std::sqrt(2.0) - 5.5, 1e-15);
}

TEST(ZeroLengthLines, GiveDefinedResultsEverywhere)
{
    const TestLine dot = straight(5, 5, 5, 5, 0);
    EXPECT_EQ(positionOnLine(dot, PixelPoint{9, 9}), 0.0L);
    const Projection pr = ProjectToLine(dot, {9, 8});
    EXPECT_EQ(pr.q, (PixelPoint{5, 5}));
    EXPECT_EQ(pr.distance, 5.0L);
    EXPECT_TRUE(SampleLine(dot).empty());
    EXPECT_EQ(distanceAlongLine(dot, 0.5L), 0.0L);

    const TestLine ring = circle(7, 7, 0);
    EXPECT_EQ(ring.length, 0.0L);
    EXPECT_EQ(positionOnLine(ring, PixelPoint{9, 9}), 0.0L);
    EXPECT_EQ(ProjectToLine(ring, {7, 7}).q, (PixelPoint{7, 7}));
    EXPECT_EQ(ProjectToLine(ring, {7, 7}).distance, 0.0L);
    EXPECT_EQ(ProjectToLine(ring, {10, 11}).q, (PixelPoint{7, 7}));
    EXPECT_EQ(ProjectToLine(ring, {10, 11}).distance, 5.0L);
    EXPECT_TRUE(SampleLine(ring).empty());

    // Through the measurement: intercepts and segments on it stay finite.
    Measurement m;
    m.AddTestLine(5, 5, 5, 5, false);
    ASSERT_EQ(m.interceptCount(), 2);
    EXPECT_EQ(m.intercept(2).position, 0.0L);
    EXPECT_EQ(m.TogglePhaseSegment(1, 2).kind, EditKind::Added);
    EXPECT_EQ(m.segment(1).length, 0.0L);
    PixelPoint p{40, 40};
    EXPECT_EQ(NearestLine(m, p), 1);
    EXPECT_EQ(p, (PixelPoint{5, 5}));
    m.AddTestLine(7, 7, 8, 7, true);  // no height: a circle of side 0
    EXPECT_EQ(m.line(2).length, 0.0L);
    EXPECT_FALSE(m.AddIntercept({7, 7}, 2, itNormal).refused());
    EXPECT_EQ(m.intercept(3).position, 0.0L);
}

TEST(NearestLine, TiesKeepTheLowerIndexAndInactiveLinesAreSkipped)
{
    Measurement m;
    PixelPoint p{50, 5};
    EXPECT_EQ(NearestLine(m, p), 0);
    EXPECT_EQ(p, (PixelPoint{50, 5}));

    m.AddTestLine(0, 0, 100, 0, false);    // 1: 5 above the point
    m.AddTestLine(0, 10, 100, 10, false);  // 2: 5 below
    m.AddTestLine(0, 7, 100, 7, false);    // 3: 2 below
    p = {50, 5};
    EXPECT_EQ(NearestLine(m, p), 3);
    EXPECT_EQ(p, (PixelPoint{50, 7}));

    m.setLineActive(3, false);
    p = {50, 5};
    EXPECT_EQ(NearestLine(m, p), 1);
    EXPECT_EQ(p, (PixelPoint{50, 0}));

    // No distance limit: a click far away still lands on the line.
    p = {50, 200};
    EXPECT_EQ(NearestLine(m, p), 2);
    EXPECT_EQ(p, (PixelPoint{50, 10}));

    m.setLineActive(1, false);
    m.setLineActive(2, false);
    p = {50, 5};
    EXPECT_EQ(NearestLine(m, p), 0);
    EXPECT_EQ(p, (PixelPoint{50, 5}));
}

TEST(NearestIntercept, FivePixelsIsTheLimitIncluded)
{
    Measurement m;
    m.setRecords({straight(0, 0, 100, 0, 100), straight(0, 50, 100, 50, 100)},
                 {at(13, 4, 1, 0.13L), at(20, 0, 2, 0.2L), at(30, 0, 1, 0.3L), at(25, 0, 1, 0.25L),
                  at(35, 0, 1, 0.35L), at(45, 1, 1, 0.45L)},
                 {});
    struct Row {
        PixelPoint p;
        int line;
        int expected;
    };
    const Row rows[] = {
        {{10, 0}, 1, 1},   // intercept 1 is 3 right and 4 below: exactly 5
        {{40, 0}, 1, 5},   // 5 right and 1 below of 6 (√26) loses to 5 left of 5 (5)
        {{40, 0}, 2, 0},   // intercept 2 is on line 2 but 20 away
        {{20, 0}, 2, 2},
        {{20, 0}, 1, 4},   // 25 is 5 away; 13,4 is √65; line 2's own intercept at 20 is ignored
        {{30, 0}, 1, 3},   // 30 exactly, before the ties of 25 and 35
        {{40, 3}, 1, 0},   // 45,1: √29 and 35,0: √34, both too far
        {{43, 3}, 1, 6},   // 45,1: √8
        {{60, 0}, 1, 0},
        {{20, 0}, 0, 0},
    };
    for (const Row& r : rows)
        EXPECT_EQ(NearestIntercept(m, r.p, r.line), r.expected) << r.p.x << "," << r.p.y;
    // Equal distances keep the lower index: 25 and 35 are both 5 from (30, 0) without 30.
    Measurement t;
    t.setRecords({straight(0, 0, 100, 0, 100)}, {at(35, 0, 1, 0.35L), at(25, 0, 1, 0.25L)}, {});
    EXPECT_EQ(NearestIntercept(t, {30, 0}, 1), 1);
    EXPECT_EQ(NearestIntercept(t, {31, 0}, 1), 1);
    EXPECT_EQ(NearestIntercept(t, {29, 0}, 1), 2);
}

TEST(FindNeighbours, StraightLines)
{
    Measurement m;
    m.setRecords({straight(0, 0, 100, 0, 100)},
                 {at(100, 0, 1, 1.0L), at(20, 0, 1, 0.2L), at(0, 0, 1, 0.0L), at(60, 0, 1, 0.6L)}, {});
    struct Row {
        PixelPoint p;
        Neighbours expected;
    };
    const Row rows[] = {
        {{40, 0}, {2, 4, true}},
        {{10, 0}, {3, 2, true}},
        {{61, 0}, {4, 1, true}},
        {{60, 0}, {0, 0, false}},  // exactly on an intercept
        {{0, 0}, {0, 0, false}},
    };
    for (const Row& r : rows)
        EXPECT_EQ(FindNeighbours(m, r.p, 1), r.expected) << r.p.x;
    EXPECT_EQ(FindNeighbours(m, {40, 0}, 0), Neighbours{});
    EXPECT_EQ(FindNeighbours(m, {40, 0}, 2), Neighbours{});

    Measurement inner;
    inner.setRecords({straight(0, 0, 100, 0, 100)}, {at(20, 0, 1, 0.2L), at(60, 0, 1, 0.6L)}, {});
    EXPECT_FALSE(FindNeighbours(inner, {80, 0}, 1).found);  // beyond every intercept
    EXPECT_FALSE(FindNeighbours(inner, {10, 0}, 1).found);
    EXPECT_EQ(FindNeighbours(inner, {80, 0}, 1).lower, 2);
}

TEST(FindNeighbours, CirclesWrapAroundAtTwoPi)
{
    const TestLine c = circle(0, 0, 200);  // centre (100, 100), radius 100
    Measurement m;
    m.setRecords({c}, {at(154, 184, 1, 1.0L), at(128, 4, 1, 5.0L)}, {});
    // (171, 29) lies at the angle 2π − acos(0.71) ≈ 5.50.
    EXPECT_NEAR(static_cast<double>(positionOnLine(c, PixelPoint{171, 29})), 2 * kPiD - std::acos(0.71), 1e-12);
    struct Row {
        long double position;
        Neighbours expected;
    };
    const Row rows[] = {
        {5.5L, {2, 1, true}},   // upper wraps to the smallest angle
        {0.5L, {2, 1, true}},   // lower wraps to the largest angle
        {3.0L, {1, 2, true}},
        {1.0L, {0, 0, false}},
    };
    for (const Row& r : rows)
        EXPECT_EQ(FindNeighboursOfPosition(m, r.position, 1), r.expected) << static_cast<double>(r.position);
    EXPECT_EQ(FindNeighbours(m, {171, 29}, 1), (Neighbours{2, 1, true}));

    // One intercept: it is both neighbours of every other point.
    Measurement one;
    one.setRecords({c}, {at(154, 184, 1, 1.0L)}, {});
    EXPECT_EQ(FindNeighboursOfPosition(one, 4.0L, 1), (Neighbours{1, 1, true}));
    EXPECT_EQ(FindNeighboursOfPosition(one, 0.2L, 1), (Neighbours{1, 1, true}));

    // Equal positions: the first in index order wins on both sides of the wrap.
    Measurement twins;
    twins.setRecords({c}, {at(0, 0, 1, 2.0L), at(0, 0, 1, 2.0L), at(0, 0, 1, 4.0L), at(0, 0, 1, 4.0L)}, {});
    EXPECT_EQ(FindNeighboursOfPosition(twins, 5.0L, 1), (Neighbours{3, 1, true}));
    EXPECT_EQ(FindNeighboursOfPosition(twins, 3.0L, 1), (Neighbours{1, 3, true}));
}

TEST(Quadrant, AroundTheLineCentre)
{
    Measurement m;
    m.setRecords({straight(0, 0, 10, 10, 0), circle(0, 0, 9)},
                 {at(6, 4, 1, 0), at(5, 4, 1, 0), at(5, 5, 1, 0), at(4, 6, 1, 0), at(6, 6, 1, 0), at(6, 5, 1, 0),
                  at(5, 4, 2, 0), at(4, 5, 2, 0), at(4, 4, 2, 0), at(5, 5, 2, 0)},
                 {});
    // Centre (5, 5) for line 1, (4.5, 4.5) for circle 2.
    const int expected[] = {1, 2, 2, 3, 4, 1, 1, 3, 2, 4};
    for (int k = 1; k <= 10; ++k)
        EXPECT_EQ(Quadrant(m, k), expected[k - 1]) << "intercept " << k;
    EXPECT_EQ(Quadrant(m, 0), 0);
    EXPECT_EQ(Quadrant(m, 11), 0);
}

TEST(SampleLine, CountAndPositionsOfStraightLines)
{
    struct Row {
        TestLine line;
        std::vector<PixelPoint> expected;
    };
    std::vector<PixelPoint> tenToNineteen, tenToTwentyOne;
    for (int x = 10; x <= 19; ++x)
        tenToNineteen.push_back({x, 10});
    for (int x = 10; x <= 21; ++x)
        tenToTwentyOne.push_back({x, 10});
    const std::vector<Row> rows = {
        {straight(10, 10, 20, 10, 10), tenToNineteen},     // N = R(10.5) = 10
        {straight(10, 10, 21, 10, 11), tenToTwentyOne},    // N = R(11.5) = 12
        {straight(0, 0, 3, 4, 5), pts({{0, 0}, {1, 1}, {1, 2}, {2, 2}, {2, 3}, {3, 4}})},
        {straight(5, 8, 2, 4, 5), pts({{5, 8}, {4, 7}, {4, 6}, {3, 6}, {3, 5}, {2, 4}})},  // negative steps
        {straight(0, 0, 2, 0, 2), pts({{0, 0}, {1, 0}})},  // R(2.5) = 2
    };
    for (const Row& r : rows)
        EXPECT_EQ(SampleLine(r.line), r.expected) << r.line.x1 << "," << r.line.y1 << "-" << r.line.x2;
}

TEST(SampleLine, NumberOfSamplesFollowsTheStoredLength)
{
    struct Row {
        long double length;
        std::int64_t n;
    };
    const Row rows[] = {
        {10.0L, 10}, {11.0L, 12}, {10.2L, 11}, {10.5L, 11}, {0.3L, 1}, {0.0L, 0}, {-4.0L, 0},
        {std::numeric_limits<long double>::quiet_NaN(), 0},
        {std::numeric_limits<long double>::infinity(), 0},
        {1e30L, kMaxLineSamples},
    };
    for (const Row& r : rows) {
        const TestLine l = straight(0, 0, 100, 0, r.length);
        EXPECT_EQ(sampleCount(l), r.n) << static_cast<double>(r.length);
        if (r.n < 100) {
            EXPECT_EQ(static_cast<std::int64_t>(SampleLine(l).size()), r.n);
        }
    }
    // A damaged length shorter than the points' distance: the steps grow beyond a pixel.
    const auto wide = SampleLine(straight(0, 0, 2147483647, 0, 1.5L));
    ASSERT_EQ(wide.size(), 2u);
    EXPECT_EQ(wide[1], (PixelPoint{1431655765, 0}));
}

TEST(SampleLine, CirclesStartRightAndRunThroughTheLowerHalf)
{
    const TestLine c = circle(0, 0, 20);
    const std::vector<PixelPoint> s = SampleLine(c);
    ASSERT_EQ(s.size(), 63u);
    for (std::size_t i = 0; i < s.size(); ++i) {
        // Reference in double: angle i · 2π / 20π = i / 10.
        const double a = static_cast<double>(i) / 10.0;
        EXPECT_EQ(s[i].x, static_cast<int>(std::lround(10 + 10 * std::cos(a)))) << i;
        EXPECT_EQ(s[i].y, static_cast<int>(std::lround(10 + 10 * std::sin(a)))) << i;
    }
    EXPECT_EQ(s[0], (PixelPoint{20, 10}));
    EXPECT_EQ(s[16], (PixelPoint{10, 20}));  // a quarter of the way: the lowest point
    EXPECT_EQ(s[31], (PixelPoint{0, 10}));   // half-way round, the leftmost point

    Measurement m;
    m.setRecords({c}, {}, {});
    EXPECT_EQ(SampleLine(m, 1), s);
    EXPECT_TRUE(SampleLine(m, 2).empty());
    EXPECT_TRUE(SampleLine(m, 0).empty());
}

TEST(GreyValues, GreenComponentAlongTheLineAndBackgroundOutside)
{
    TPixelGraphic image(4, 3, TPixelFormat::pf24Bit);
    for (int x = 0; x < 4; ++x)
        image.SetPixel(x, 1, rgb(200, 10 + 40 * x, 30));  // red and blue must not count
    Measurement m;
    m.setRecords({straight(-2, 1, 3, 1, 5)}, {}, {});  // starts outside the image
    const std::vector<std::uint8_t> grey = greyValuesAlongLine(image, m, 1);
    EXPECT_EQ(grey, (std::vector<std::uint8_t>{0, 0, 10, 50, 90, 130}));

    TPixelGraphic palette(2, 2, TPixelFormat::pf8Bit);
    std::vector<std::uint32_t> entries(256, 0);
    entries[0] = rgb(0, 77, 0);
    entries[5] = rgb(64, 64, 64);
    palette.SetPalette(entries);
    palette.SetPixel(1, 0, 5);
    // Outside reads palette entry 0.
    EXPECT_EQ(greyValuesAt(palette, {{1, 0}, {0, 0}, {5, 5}}), (std::vector<std::uint8_t>{64, 77, 77}));
}

}  // namespace
}  // namespace tesra
