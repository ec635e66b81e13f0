#pragma once
// The test images of the benchmarks that need a large true-colour micrograph, and what the
// memory benchmarks read of the process.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "imaging/formats/byte_reader.h"
#include "imaging/pixel_graphic.h"

namespace tesra::bench {

// One step of the benchmarks' xorshift generator: the same images on every run.
inline std::uint32_t nextRandom(std::uint32_t& s)
{
    s ^= s << 13;
    s ^= s >> 17;
    s ^= s << 5;
    return s;
}

// Grains of a few hundred pixels with slightly noisy interiors and darker boundaries.
inline TPixelGraphic grainMicrograph(int width, int height)
{
    TPixelGraphic g(width, height, TPixelFormat::pf24Bit);
    std::uint32_t state = 12345;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = g.rowData(y);
        for (int x = 0; x < width; ++x) {
            nextRandom(state);
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

// Grains on a jittered grid, each its own tone, dark boundaries and sensor noise.
inline TPixelGraphic etchedMicrograph(int width, int height)
{
    constexpr int cell = 48;
    const int cols = width / cell + 2, rows = height / cell + 2;
    std::vector<int> cx(static_cast<std::size_t>(cols * rows)), cy(cx.size()), tone(cx.size());
    std::uint32_t s = 12345;
    for (int j = 0; j < rows; ++j)
        for (int i = 0; i < cols; ++i) {
            const std::size_t k = static_cast<std::size_t>(j * cols + i);
            cx[k] = (i - 1) * cell + static_cast<int>(nextRandom(s) % cell);
            cy[k] = (j - 1) * cell + static_cast<int>(nextRandom(s) % cell);
            tone[k] = 90 + static_cast<int>(nextRandom(s) % 120);
        }
    TPixelGraphic g(width, height, TPixelFormat::pf24Bit);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = g.rowData(y);
        const int gj = y / cell + 1;
        for (int x = 0; x < width; ++x) {
            const int gi = x / cell + 1;
            int best = INT32_MAX, second = INT32_MAX, bestTone = 0;
            for (int dj = -1; dj <= 1; ++dj)
                for (int di = -1; di <= 1; ++di) {
                    const std::size_t k = static_cast<std::size_t>((gj + dj) * cols + gi + di);
                    const int dx = x - cx[k], dy = y - cy[k];
                    const int d = dx * dx + dy * dy;
                    if (d < best) {
                        second = best;
                        best = d;
                        bestTone = tone[k];
                    } else if (d < second) {
                        second = d;
                    }
                }
            int v = second - best < 2 * cell ? 40 : bestTone;
            v += static_cast<int>(nextRandom(s) % 13) - 6;
            v = v < 0 ? 0 : (v > 255 ? 255 : v);
            row[3 * x] = static_cast<std::uint8_t>(v * 85 / 100);
            row[3 * x + 1] = static_cast<std::uint8_t>(v * 95 / 100);
            row[3 * x + 2] = static_cast<std::uint8_t>(v);
        }
    }
    return g;
}

// Cells of 97 × 83 pixels, each its own tone from `base` up, with 3-pixel dark boundaries and
// noise (`noiseMask` of a linear congruential generator), in grey (8 bits, grey palette) or in
// colour; a shaded image brightens by a level every 400 pixels along the diagonal.
inline TPixelGraphic cellMicrograph(int width, int height, bool colour, int base, unsigned noiseMask, bool shaded)
{
    TPixelGraphic img(width, height, colour ? TPixelFormat::pf24Bit : TPixelFormat::pf8Bit);
    if (!colour)
        img.SetPaletteIdent(pGray256);
    std::uint32_t noise = 12345;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = img.rowData(y);
        for (int x = 0; x < width; ++x) {
            noise = noise * 1103515245u + 12345u;
            const int cell = ((x / 97) * 31 + (y / 83) * 17) % 120;
            const bool boundary = x % 97 < 3 || y % 83 < 3;
            const int shade = shaded ? (x + y) / 400 : 0;
            const int v = std::min(255, (boundary ? 40 : base + cell) + shade + static_cast<int>((noise >> 24) & noiseMask));
            if (colour) {
                row[3 * x] = static_cast<std::uint8_t>(v * 3 / 4);
                row[3 * x + 1] = static_cast<std::uint8_t>(v);
                row[3 * x + 2] = static_cast<std::uint8_t>(std::min(255, v + 20));
            } else {
                row[x] = static_cast<std::uint8_t>(v);
            }
        }
    }
    return img;
}

// A figure of this process from /proc/self/status in kB ("VmRSS:", "VmHWM:"); -1 without it.
inline long statusKb(const char* field)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::size_t n = std::strlen(field);
    while (std::getline(in, line))
        if (line.compare(0, n, field) == 0)
            return std::atol(line.c_str() + n);
    return -1;
}

// Starts a new peak: VmHWM falls back to the resident size of now.
inline void resetPeakMemory()
{
    std::ofstream reset("/proc/self/clear_refs");
    reset << "5";
}

// The bytes of a file; empty when it cannot be read.
inline std::vector<std::uint8_t> readWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Peak memory of one load from the file on disk: resets the peak (clear_refs 5), loads, and
// returns the growth of the peak over the resident size before, in MB.
template <class Load>
double peakOfLoadMb(const std::string& path, Load load)
{
    resetPeakMemory();
    const long before = statusKb("VmRSS:");
    {
        const std::vector<std::uint8_t> bytes = readWhole(path);
        TPixelGraphic image;
        load(ByteSpan(bytes), image);
        benchmark::DoNotOptimize(image.bits());
    }
    const long peak = statusKb("VmHWM:");
    return (peak - before) / 1024.0;
}

}  // namespace tesra::bench
