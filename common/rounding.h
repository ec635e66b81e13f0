#pragma once
// R(v): a real turned into a pixel coordinate or a count goes to the nearest integer, halves
// to the even neighbour (R(2.5) = 2, R(3.5) = 4, R(-2.5) = -2).
#include <algorithm>
#include <cmath>
#include <cstdint>

namespace tesra {

inline std::int64_t R(long double v)
{
    if (!std::isfinite(v))
        return 0;
    if (v >= 9.2e18L)
        return INT64_MAX;
    if (v <= -9.2e18L)
        return INT64_MIN;
    // rint rounds like nearbyint (ties to even under the default rounding mode) but may flag
    // the inexact result, which nobody here watches; glibc's nearbyint saves and restores the
    // floating-point environment on every call and costs some thirty times as much.
    return static_cast<std::int64_t>(std::rint(v));
}

// A rounded value as a colour byte: below 0 is 0, above 255 is 255.
inline std::uint8_t ClampByte(std::int64_t v)
{
    return static_cast<std::uint8_t>(std::clamp<std::int64_t>(v, 0, 255));
}

}  // namespace tesra
