#include "results/target_cv.h"

#include <array>

namespace tesra {

namespace {

// One linear piece: T = start - (n - base) * (fall * reciprocal width). The step is kept as
// its two factors, the way the table was drawn up, so the products round as they always did.
struct CvPiece {
    int last;  // the piece holds n up to and including this count
    int base;
    long double start;
    long double fall;
    long double perCount;
};

// The piece 11..15 starts at its own first count (base 11, not 10), so the table holds 0.32
// for both 10 and 11 and drops to 0.252 at 16; every other piece starts one count early.
constexpr std::array<CvPiece, 14> kPieces{{
    {10, 6, 0.41L, 0.09L, 0.25L},
    {15, 11, 0.32L, 0.06L, 0.2L},
    {20, 15, 0.26L, 0.04L, 0.2L},
    {30, 20, 0.22L, 0.04L, 0.1L},
    {35, 30, 0.18L, 0.01L, 0.2L},
    {40, 35, 0.17L, 0.01L, 0.2L},
    {50, 40, 0.16L, 0.02L, 0.1L},
    {75, 50, 0.14L, 0.02L, 0.04L},
    {100, 75, 0.12L, 0.02L, 0.04L},
    {150, 100, 0.10L, 0.02L, 0.02L},
    {200, 150, 0.08L, 0.01L, 0.02L},
    {300, 200, 0.07L, 0.01L, 0.01L},
    {500, 300, 0.06L, 0.015L, 0.005L},
    {1000, 500, 0.045L, 0.015L, 0.002L},
}};

}  // namespace

long double TargetCv(int n)
{
    if (n <= 0)
        return 0.0L;
    if (n <= 4)
        return 0.5L;
    if (n == 5)
        return 0.455L;
    if (n > 1000)
        return 0.03L;
    for (const CvPiece& piece : kPieces) {
        if (n <= piece.last)
            return piece.start - (n - piece.base) * (piece.fall * piece.perCount);
    }
    return 0.03L;  // not reached: the pieces cover 6..1000
}

}  // namespace tesra
