#pragma once
// Geometry of test lines and circles within the measurement: how a clicked point is put
// onto the nearest line, which intercept lies under the mouse, which two intercepts enclose
// a point, the quadrant of an intercept, and the row of pixels (and their grey values) that
// makes up a line's profile. The geometry of one line by itself (lengths, positions,
// projection, sampling) is in shape_geometry.h, which this header brings along. Nothing here
// changes the measurement.
#include <cstdint>
#include <vector>

#include "app/measurement/measurement.h"
#include "app/measurement/shape_geometry.h"

namespace tesra {

class TPixelGraphic;

// Index of the nearest active line (equal distances keep the lower index) with p moved
// onto it; 0 with p unchanged when there is no active line.
int NearestLine(const Measurement& m, PixelPoint& p);

// Index of the intercept of line lineIndex nearest to p if it lies within 5 pixels
// (exactly 5 included; equal distances keep the lower index), else 0.
int NearestIntercept(const Measurement& m, PixelPoint p, int lineIndex);

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

// The pixel positions along line lineIndex of m; empty for an index out of range.
std::vector<PixelPoint> SampleLine(const Measurement& m, int lineIndex);

// Grey values (green components, 0-255) of the pixels at the given positions; pixels
// outside the image read the buffer's background value.
std::vector<std::uint8_t> greyValuesAt(const TPixelGraphic& image, const std::vector<PixelPoint>& samples);
// Grey values along line lineIndex of m (its profile); empty for an index out of range.
std::vector<std::uint8_t> greyValuesAlongLine(const TPixelGraphic& image, const Measurement& m, int lineIndex);

}  // namespace tesra
