#pragma once
// The test image of the benchmarks that need a large true-colour micrograph: grains of a few
// hundred pixels with slightly noisy interiors and darker boundaries.
#include <cstdint>

#include "imaging/pixel_graphic.h"

namespace tesra::bench {

inline TPixelGraphic grainMicrograph(int width, int height)
{
    TPixelGraphic g(width, height, TPixelFormat::pf24Bit);
    std::uint32_t state = 12345;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = g.rowData(y);
        for (int x = 0; x < width; ++x) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            const int gx = (x + (y / 7) % 11) / 45, gy = (y + (x / 9) % 13) / 38;
            const bool edge = (x + (y / 7) % 11) % 45 < 2 || (y + (x / 9) % 13) % 38 < 2;
            int v = edge ? 40 : 90 + (gx * 37 + gy * 71) % 120;
            v += static_cast<int>(state % 9) - 4;
            row[3 * x] = static_cast<std::uint8_t>(v);
            row[3 * x + 1] = static_cast<std::uint8_t>(v + 3);
            row[3 * x + 2] = static_cast<std::uint8_t>(v - 2);
        }
    }
    return g;
}

// The 6000 × 4000 one, made once.
inline constexpr int kLargeWidth = 6000;
inline constexpr int kLargeHeight = 4000;
inline const TPixelGraphic& largeGrainMicrograph()
{
    static const TPixelGraphic image = grainMicrograph(kLargeWidth, kLargeHeight);
    return image;
}

}  // namespace tesra::bench
