#pragma once
// A micrograph-like test picture whose truth is known: Voronoi grains with dark boundaries,
// and the label of every pixel, so that the boundary crossings of any test line can be
// computed independently of the program's own geometry.
#include <cstdint>
#include <vector>

#include "imaging/pixel_graphic.h"

namespace tesra::test {

struct SyntheticMicrograph {
    int width = 0;
    int height = 0;
    std::vector<std::uint16_t> labels;  // grain of each pixel, row by row from the top
    TPixelGraphic image;                // 24-bit: grains in greys 140..215, boundaries 40

    int label(int x, int y) const { return labels[static_cast<std::size_t>(y) * width + x]; }
};

// Grains around `grains` random seeds (fixed by seed); a pixel with a 4-neighbour of another
// grain is boundary.
SyntheticMicrograph MakeGrainMicrograph(int width, int height, int grains, std::uint32_t seed);

struct Crossing {
    int x = 0;  // the pixel to click: the last pixel before the label changes
    int y = 0;
};

// Where a horizontal line at row y from x0 to x1 crosses from one grain into another.
std::vector<Crossing> RowCrossings(const SyntheticMicrograph& m, int y, int x0, int x1);
// Where a circle crosses grain boundaries, walking it in fine steps; the points are the
// pixels on the circle just before each change, one per change.
std::vector<Crossing> CircleCrossings(const SyntheticMicrograph& m, int cx, int cy, int r);

}  // namespace tesra::test
