#include "analysis/test_patterns.h"

#include <cmath>

#include <gtest/gtest.h>

namespace tesra {
namespace {

bool Inside(const PatternLine& l, int w, int h)
{
    return l.x1 >= 0 && l.x2 >= 0 && l.y1 >= 0 && l.y2 >= 0 && l.x1 < w && l.x2 < w && l.y1 < h && l.y2 < h;
}

// Every pattern on images from tiny to huge, square, wide and tall: all points inside, the
// shapes as promised.
TEST(TestPatterns, StayInsideTheImageAndKeepTheirShape)
{
    for (int w : {16, 17, 100, 641, 6000}) {
        for (int h : {16, 33, 480, 4000}) {
            const auto circles = MakeTestPattern(TestPattern::Circles, w, h);
            ASSERT_EQ(circles.size(), 3u) << w << "x" << h;
            const int r = circles[0].x2 - circles[0].x1;
            for (int i = 0; i < 3; ++i) {
                const PatternLine& c = circles[i];
                EXPECT_TRUE(c.circle && Inside(c, w, h));
                EXPECT_EQ(c.x2 - c.x1, c.y2 - c.y1);
                EXPECT_EQ(3 * (c.x2 - c.x1), r * (3 - i));  // diameters 3 : 2 : 1
                EXPECT_EQ(c.x1 + c.x2, circles[0].x1 + circles[0].x2);  // one centre
                EXPECT_EQ(c.y1 + c.y2, circles[0].y1 + circles[0].y2);
            }
            const auto star = MakeTestPattern(TestPattern::Star, w, h);
            ASSERT_EQ(star.size(), 4u);
            const double angles[] = {0, 45, 90, 135};
            for (int i = 0; i < 4; ++i) {
                const PatternLine& l = star[i];
                EXPECT_TRUE(!l.circle && Inside(l, w, h));
                // Angle in the usual sense, y upward.
                double a = std::atan2(-(l.y2 - l.y1), l.x2 - l.x1) * 180 / M_PI;
                a = std::fmod(a + 360, 180);
                EXPECT_NEAR(a, angles[i], 1e-9) << w << "x" << h << " line " << i;
                EXPECT_EQ(l.x1 + l.x2, star[0].x1 + star[0].x2);  // through the centre
                EXPECT_EQ(l.y1 + l.y2, star[0].y1 + star[0].y2);
                EXPECT_NEAR(std::hypot(l.x2 - l.x1, l.y2 - l.y1), star[0].x2 - star[0].x1, 1.5);
            }
            for (int n : {1, 2, 7}) {
                for (int m : {1, 5}) {
                    const auto grid = MakeTestPattern(TestPattern::Grid, w, h, n, m);
                    ASSERT_EQ(grid.size(), static_cast<std::size_t>(n + m));
                    for (const PatternLine& l : grid)
                        EXPECT_TRUE(Inside(l, w, h) && (l.x1 == l.x2 || l.y1 == l.y2));
                }
                const auto parallel = MakeTestPattern(TestPattern::Parallel, w, h, n);
                ASSERT_EQ(parallel.size(), static_cast<std::size_t>(n));
                for (std::size_t i = 1; i < parallel.size(); ++i) {
                    // Evenly spaced (to the pixel), all across the same width.
                    EXPECT_NEAR(parallel[i].y1 - parallel[i - 1].y1, parallel[1].y1 - parallel[0].y1, 1);
                    EXPECT_EQ(parallel[i].x2 - parallel[i].x1, parallel[0].x2 - parallel[0].x1);
                }
            }
        }
    }
}

TEST(TestPatterns, RefuseWhatTheImageCannotHold)
{
    EXPECT_TRUE(MakeTestPattern(TestPattern::Circles, 15, 400).empty());
    EXPECT_TRUE(MakeTestPattern(TestPattern::Parallel, 400, 400, 0).empty());
    EXPECT_TRUE(MakeTestPattern(TestPattern::Parallel, 400, 20, 100).empty());
    EXPECT_TRUE(MakeTestPattern(TestPattern::Grid, 400, 400, 3, 0).empty());
}

}  // namespace
}  // namespace tesra
