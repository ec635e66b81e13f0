#pragma once
// Geometry of test lines and circles: where a point lies along a line, how a clicked point
// is put onto the nearest line, which intercept lies under the mouse, which two intercepts
// enclose a point, and the row of pixels (and their grey values) that makes up a line's
// profile. Nothing here changes the measurement.
//
// Reals are long double (80-bit extended); every real that becomes a pixel goes through R
// (round half to even). Sums of squared integer coordinates are formed exactly.
//
// A straight line whose two points coincide, or a circle of side 0, has length 0. It is
// never drawn by the editing but can come from a file; every function gives a defined
// result for it: positions are 0, a point projects onto the line's first point (a circle's
// centre), distances along the line are 0 and sampling yields no pixels.
#include <cstdint>
#include <vector>

#include "app/measurement/measurement.h"

namespace tesra {

class TPixelGraphic;

inline constexpr long double kPi = 3.141592653589793238462643383279502884L;
inline constexpr long double kTwoPi = 2.0L * kPi;

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

// Index of the nearest active line (equal distances keep the lower index) with p moved
// onto it; 0 with p unchanged when there is no active line.
int NearestLine(const Measurement& m, PixelPoint& p);

// Index of the intercept of line lineIndex nearest to p if it lies within 5 pixels
// (exactly 5 included; equal distances keep the lower index), else 0.
int NearestIntercept(const Measurement& m, PixelPoint p, int lineIndex);

struct Neighbours {
    int lower = 0;
    int upper = 0;
    bool found = false;
    friend bool operator==(const Neighbours&, const Neighbours&) = default;
};

// The intercepts of line lineIndex just below and just above p's position along the line.
// On a circle the order wraps around at 2π. Not found when either side is missing, when an
// intercept lies exactly at p's position, or for line 0 or a line that does not exist.
Neighbours FindNeighbours(const Measurement& m, PixelPoint p, int lineIndex);
// The same for a position already computed on line lineIndex.
Neighbours FindNeighboursOfPosition(const Measurement& m, long double position, int lineIndex);

// Quarter around its line's centre in which intercept k lies: 1 upper right, 2 upper left,
// 3 lower left, 4 lower right (points on the centre's vertical go left, on its horizontal
// go up). 0 for k or its line out of range.
int Quadrant(const Measurement& m, int k);

// Most samples a line yields; only a damaged file can hold a longer line, whose samples
// stop there (a 30000-pixel image needs at most about 94,300 for its largest circle).
inline constexpr std::int64_t kMaxLineSamples = 1 << 20;

// Number of samples of a line: R(length + 0.5); 0 for a length that is 0, negative or not
// a number, at most kMaxLineSamples.
std::int64_t sampleCount(const TestLine& line);

// The pixel positions one pixel of path apart along the line: from the first point towards
// the second on a straight line, from the rightmost point through the lower half on a circle.
std::vector<PixelPoint> SampleLine(const TestLine& line);
// The same for line lineIndex of m; empty for an index out of range.
std::vector<PixelPoint> SampleLine(const Measurement& m, int lineIndex);

// Grey values (green components, 0-255) of the pixels at the given positions; pixels
// outside the image read the buffer's background value.
std::vector<std::uint8_t> greyValuesAt(const TPixelGraphic& image, const std::vector<PixelPoint>& samples);
// Grey values along line lineIndex of m (its profile); empty for an index out of range.
std::vector<std::uint8_t> greyValuesAlongLine(const TPixelGraphic& image, const Measurement& m, int lineIndex);

}  // namespace tesra
