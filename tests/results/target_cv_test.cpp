#include "results/target_cv.h"

#include <climits>

#include <gtest/gtest.h>

namespace tesra {
namespace {

struct CvRow {
    int n;
    long double expected;  // worked out from the table's start, base and step by hand
};

// Both ends of every piece, one inside value per piece, and the values around the jumps.
constexpr CvRow kRows[] = {
    {INT_MIN, 0.0L}, {-3, 0.0L}, {0, 0.0L},
    {1, 0.5L}, {4, 0.5L}, {5, 0.455L},
    {6, 0.41L}, {7, 0.3875L}, {9, 0.3425L}, {10, 0.32L},
    // base 11: the piece starts at its own first count, 10 and 11 both give 0.32
    {11, 0.32L}, {12, 0.308L}, {15, 0.272L},
    {16, 0.252L}, {18, 0.236L}, {20, 0.22L},
    {21, 0.216L}, {25, 0.2L}, {30, 0.18L},
    {31, 0.178L}, {35, 0.17L},
    {36, 0.168L}, {40, 0.16L},
    {41, 0.158L}, {48, 0.144L}, {50, 0.14L},
    {51, 0.1392L}, {60, 0.132L}, {75, 0.12L},
    {76, 0.1192L}, {100, 0.10L},
    {101, 0.0996L}, {125, 0.09L}, {150, 0.08L},
    {151, 0.0798L}, {200, 0.07L},
    {201, 0.0699L}, {250, 0.065L}, {300, 0.06L},
    {301, 0.059925L}, {400, 0.0525L}, {500, 0.045L},
    {501, 0.04497L}, {750, 0.0375L}, {1000, 0.03L},
    {1001, 0.03L}, {5000, 0.03L}, {INT_MAX, 0.03L},
};

TEST(TargetCv, FollowsTheTableAtEveryPieceBoundary)
{
    for (const CvRow& row : kRows) {
        SCOPED_TRACE(row.n);
        EXPECT_NEAR(static_cast<double>(TargetCv(row.n)), static_cast<double>(row.expected), 1e-15);
    }
}

TEST(TargetCv, NeverRisesWithTheCount)
{
    for (int n = 1; n < 1100; ++n)
        EXPECT_LE(TargetCv(n + 1), TargetCv(n) + 1e-18L) << n;
}

}  // namespace
}  // namespace tesra
