#pragma once
// The records of what is laid over the image: whole pixels, test lines and circles, and the
// intercepts marked on them. They are plain values; the Measurement keeps them in order and
// the shape geometry measures them, so both build on this header alone.
#include <cstdint>

namespace tesra {

// A whole image pixel: x to the right, y downward, origin at the top-left pixel.
struct PixelPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

// The six intercept types. The enumeration has a byte as its base so that a type byte read
// from a file keeps its value even when it is outside 1..6 (such a type weighs 0).
enum InterceptType : std::uint8_t {
    itNormal = 1,             // I
    itSecondPhase = 2,        // II
    itTriplePoint = 3,        // III
    itTangent = 4,            // IV
    itStartEndInGrain = 5,    // V
    itStartEndAtBoundary = 6  // VI
};

// A test line or test circle. A circle is given by its bounding square: the two points are
// opposite corners, x1 <= x2, and y2 may be above or below y1.
struct TestLine {
    std::int32_t x1 = 0;
    std::int32_t y1 = 0;
    std::int32_t x2 = 0;
    std::int32_t y2 = 0;
    bool active = true;                    // ticked in the sheet, drawn lime; no result depends on it
    long double weightedCount = 0.0L;      // sum of the weights of the line's intercepts
    long double secondPhaseLength = 0.0L;  // sum of the lengths of the line's segments, pixels
    long double length = 0.0L;             // pixels; the circumference for a circle
    bool isCircle = false;
};

// A marked crossing of a grain boundary, a point on its line.
struct Intercept {
    std::int32_t x = 0;
    std::int32_t y = 0;
    InterceptType type = itNormal;
    std::uint16_t line = 0;          // 1-based line index
    long double position = 0.0L;     // 0..1 along a straight line, angle 0..2π on a circle
};

}  // namespace tesra
