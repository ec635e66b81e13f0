#pragma once
// The geometry of one test line or circle, from its own record alone: lengths, centres,
// where a point lies along the line, the nearest point of the line to a click, the samples
// one pixel of path apart, and which of a line's intercepts enclose a position. The
// measurement uses it to keep its records' lengths and positions; the analyses and the
// image window use it through line_geometry.h.
//
// Reals are long double (80-bit extended); every real that becomes a pixel goes through R
// (round half to even). Sums of squared integer coordinates are formed exactly.
//
// A straight line whose two points coincide, or a circle of side 0, has length 0. It is
// never drawn by the editing but can come from a file; every function gives a defined
// result for it: positions are 0, a point projects onto the line's first point (a circle's
// centre), distances along the line are 0 and sampling yields no pixels.
#include <cstdint>
#include <span>
#include <vector>

#include "app/measurement/shapes.h"

namespace tesra {

inline constexpr long double kPi = 3.141592653589793238462643383279502884L;
inline constexpr long double kTwoPi = 2.0L * kPi;

// A whole coordinate as a pixel coordinate. Only coordinates of damaged files or callers can
// leave the 32-bit range; they stop at its ends instead of wrapping.
std::int32_t toPixel(std::int64_t v);

// Exact (x2-x1)² + (y2-y1)² for pixel coordinates; the same value as the 32-bit integer
// sum wherever that does not overflow.
long double squaredDistance(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2);

// Length of a test line from its stored corner points: π × side for a circle (side =
// x2 - x1), sqrt(dx² + dy²) for a straight line.
long double testLineLength(const TestLine& line);

// Centre of a line (a circle's centre, the midpoint of a straight line) and a circle's
// radius (half its side).
long double centreX(const TestLine& line);
long double centreY(const TestLine& line);
long double circleRadius(const TestLine& line);

// Place of a point along a line: distance from the first point / length on a straight line
// (0..1), the angle φ from the rightmost point through the lower half on a circle (0..2π).
// A point right or left of the circle's whole extent (never made by snapping; only a caller
// or a file can give one) counts as the rightmost point (0, or 2π above the centre) or the
// leftmost point (π).
long double positionOnLine(const TestLine& line, long double x, long double y);
inline long double positionOnLine(const TestLine& line, PixelPoint p) { return positionOnLine(line, p.x, p.y); }

// Distance along the line in pixels of a position: p × length, or p × length / 2π on a
// circle (the arc length clockwise on the screen from the rightmost point).
long double distanceAlongLine(const TestLine& line, long double position);

// Profile sample at which a position is drawn: R(distance along the line).
std::int64_t sampleOfPosition(const TestLine& line, long double position);

struct Projection {
    PixelPoint q;               // nearest point of the line, on whole pixels
    long double distance = 0;   // from P to the exact circle, or to the rounded Q on a line
};

// The point of the line nearest to p. A point exactly at a circle's centre projects to the
// circle's rightmost point (R(cx + r), R(cy)), at distance r.
Projection ProjectToLine(const TestLine& line, PixelPoint p);

struct Neighbours {
    int lower = 0;
    int upper = 0;
    bool found = false;
    friend bool operator==(const Neighbours&, const Neighbours&) = default;
};

// The intercepts of line lineIndex (whose record is `line`) just below and just above a
// position along it, as 1-based indexes into `intercepts`. On a circle the order wraps
// around at 2π. Not found when either side is missing or an intercept lies exactly at the
// position.
Neighbours NeighboursOnLine(std::span<const Intercept> intercepts, const TestLine& line, int lineIndex, long double position);

// Most samples a line yields; only a damaged file can hold a longer line, whose samples
// stop there (a 30000-pixel image needs at most about 94,300 for its largest circle).
inline constexpr std::int64_t kMaxLineSamples = 1 << 20;

// Number of samples of a line: R(length + 0.5); 0 for a length that is 0, negative or not
// a number, at most kMaxLineSamples.
std::int64_t sampleCount(const TestLine& line);

// The pixel positions one pixel of path apart along the line: from the first point towards
// the second on a straight line, from the rightmost point through the lower half on a circle.
std::vector<PixelPoint> SampleLine(const TestLine& line);

}  // namespace tesra
