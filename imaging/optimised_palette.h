#pragma once
// Palettes built for the colours of an image: median cut over a 5-6-5 histogram for 24-bit
// sources, an octree over the used palette entries for palette sources.
#include <cstdint>
#include <vector>

#include "imaging/pixel_graphic.h"

namespace tesra {

// Gives target a palette (kind pUnknown) of at most n entries (1..256) for the colours of
// source. With withSystemColours, n − 16 entries come from the image and the sixteen system
// colours are appended while there is room. An empty source, or n − 16 < 1, gives the
// system colours cut to min(n, 16) entries. Only the palette of target changes.
void OptimisedPalette(TPixelGraphic& target, const TPixelGraphic& source, int n, bool withSystemColours);

// The palette of at most n entries that median cut finds for a 24-bit image, before any
// system colours are appended (exposed for tests).
std::vector<std::uint32_t> medianCutPalette(const TPixelGraphic& source, int n);
// The same for a histogram of 32 × 64 × 32 cells (index (r·64 + g)·32 + b) of 16-bit counts.
std::vector<std::uint32_t> medianCutPalette(const std::vector<std::uint16_t>& histogram, int n);

// The palette of at most n entries that the octree finds for weighted colours, added in the
// given order (exposed for tests). Zero weights are skipped.
struct WeightedColor {
    std::uint32_t color;
    std::uint64_t weight;
};
std::vector<std::uint32_t> octreePalette(const std::vector<WeightedColor>& colours, int n);

}  // namespace tesra
