#pragma once
// A picture of a grain structure as an etched micrograph shows it: polygonal grains of
// slightly different grey, dark boundaries between them. The splash window and the about
// box draw their artwork from it, the shaping benchmark scans it.
#include <cstdint>
#include <vector>

namespace tesra {

struct GrainPictureOptions {
    int width = 0;
    int height = 0;
    int grainSize = 24;          // mean distance between grain centres, pixels
    double boundaryWidth = 1.6;  // pixels
    std::uint32_t seed = 1;      // the same seed draws the same structure
    // Colour of the boundaries, 0x00RRGGBB. Black makes them cut out by a black shape.
    std::uint32_t boundaryColour = 0x2A2622;
    // When set, only a round field of view (centre and radius in pixels) shows the
    // structure, with a thin rim; the rest is black.
    bool roundField = false;
    double fieldX = 0;
    double fieldY = 0;
    double fieldRadius = 0;
};

// Draws the structure: width × height pixels, row by row from the top, each 0xFFRRGGBB.
// An empty picture for a non-positive size.
std::vector<std::uint32_t> MakeGrainPicture(const GrainPictureOptions& options);

}  // namespace tesra
