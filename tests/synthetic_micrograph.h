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

// How the picture looks: the greys of grains and boundaries and what the microscope and the
// file do to them. The default is a clean etched micrograph.
struct MicrographLook {
    int grainGreyLow = 140;   // each grain gets one grey in this range
    int grainGreyHigh = 215;
    int boundaryGrey = 40;    // above the grains: bright boundaries
    double blur = 0;          // Gaussian blur, standard deviation in pixels
    double noise = 0;         // Gaussian noise, standard deviation in grey values
    int jpegQuality = 0;      // 1..100: stored as JPEG and read back; 0: not
};

// Grains around `grains` random seeds (fixed by seed); a pixel with a 4-neighbour of another
// grain is boundary, so boundaries are two pixels wide and centred on the grains' edge.
SyntheticMicrograph MakeGrainMicrograph(int width, int height, int grains, std::uint32_t seed,
                                        const MicrographLook& look = {});

struct Crossing {
    int x = 0;  // the pixel to click: the last pixel before the label changes
    int y = 0;
};

// Where a horizontal line at row y from x0 to x1 crosses from one grain into another.
std::vector<Crossing> RowCrossings(const SyntheticMicrograph& m, int y, int x0, int x1);
// Where a circle crosses grain boundaries, walking it in fine steps; the points are the
// pixels on the circle just before each change, one per change.
std::vector<Crossing> CircleCrossings(const SyntheticMicrograph& m, int cx, int cy, int r);

// A crossing as a point on the line: where the grains' edge cuts it, and the distance along
// the line (from the start, or from a circle's rightmost point clockwise on the screen).
struct TrueCrossing {
    double x = 0;
    double y = 0;
    double along = 0;
};
// The crossings of any straight line and of a circle, from the labels alone. Runs of a grain
// shorter than a few pixels along the line are the rounding's zigzag over a boundary that
// runs along the line, and count to the run before them.
std::vector<TrueCrossing> StraightLineCrossings(const SyntheticMicrograph& m, double x1, double y1, double x2, double y2);
std::vector<TrueCrossing> CircleLineCrossings(const SyntheticMicrograph& m, double cx, double cy, double r);

}  // namespace tesra::test
