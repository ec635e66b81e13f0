#include "view/grain_picture.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace tesra {
namespace {

// A small, well-mixing hash: the picture depends only on the seed and the position, never
// on the machine or the order of drawing.
std::uint64_t mix(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

double unit(std::uint64_t h) { return static_cast<double>(h >> 11) * (1.0 / 9007199254740992.0); }

struct Grain {
    double x;
    double y;
    double tone;     // grey level of the grain, 0..255
    double slopeX;   // etching shade across the grain
    double slopeY;
};

std::uint32_t rgb(double r, double g, double b)
{
    const auto channel = [](double v) {
        return static_cast<std::uint32_t>(std::clamp(std::lround(v), 8L, 255L));
    };
    return 0xFF000000u | (channel(r) << 16) | (channel(g) << 8) | channel(b);
}

std::uint32_t blend(std::uint32_t a, std::uint32_t b, double t)
{
    const auto at = [](std::uint32_t c, int shift) { return static_cast<double>((c >> shift) & 0xFF); };
    const auto mixChannel = [&](int shift) {
        return static_cast<std::uint32_t>(std::lround(at(a, shift) * (1 - t) + at(b, shift) * t));
    };
    return 0xFF000000u | (mixChannel(16) << 16) | (mixChannel(8) << 8) | mixChannel(0);
}

}  // namespace

std::vector<std::uint32_t> MakeGrainPicture(const GrainPictureOptions& options)
{
    if (options.width <= 0 || options.height <= 0)
        return {};
    const int cell = std::max(4, options.grainSize);
    const int cellsX = options.width / cell + 2;
    const int cellsY = options.height / cell + 2;

    // One grain centre per cell of a grid, placed in the middle 60 % of its cell: grains of
    // varied size and shape, but no huge or tiny ones. It also keeps a pixel's nearest centre
    // (at most 0.8 * sqrt(2) = 1.13 cells away) among the 3 x 3 cells around it, since any
    // centre two cells away is at least 1.2 cells off; near a boundary the same holds for the
    // second-nearest, which is all the boundary needs.
    std::vector<Grain> grains(static_cast<std::size_t>(cellsX) * static_cast<std::size_t>(cellsY));
    for (int cy = 0; cy < cellsY; ++cy) {
        for (int cx = 0; cx < cellsX; ++cx) {
            const std::uint64_t h = mix(options.seed * 0x100000001B3ull + static_cast<std::uint64_t>(cy) * 7919u +
                                        static_cast<std::uint64_t>(cx));
            Grain& g = grains[static_cast<std::size_t>(cy) * cellsX + cx];
            g.x = (cx + 0.2 + 0.6 * unit(mix(h ^ 1))) * cell;
            g.y = (cy + 0.2 + 0.6 * unit(mix(h ^ 2))) * cell;
            g.tone = 125 + 95 * unit(mix(h ^ 3));
            g.slopeX = (unit(mix(h ^ 4)) - 0.5) * 0.9;
            g.slopeY = (unit(mix(h ^ 5)) - 0.5) * 0.9;
        }
    }

    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(options.width) * static_cast<std::size_t>(options.height));
    const double soft = 1.2;  // darkened edge beside a boundary
    for (int y = 0; y < options.height; ++y) {
        for (int x = 0; x < options.width; ++x) {
            std::uint32_t& out = pixels[static_cast<std::size_t>(y) * options.width + x];
            double shade = 1.0;
            if (options.roundField) {
                const double r = std::hypot(x + 0.5 - options.fieldX, y + 0.5 - options.fieldY);
                if (r > options.fieldRadius) {
                    out = 0xFF000000u;
                    continue;
                }
                if (r > options.fieldRadius - 3) {
                    out = 0xFF6E7378u;  // the rim of the field of view
                    continue;
                }
                const double q = r / options.fieldRadius;
                shade = 1.0 - 0.3 * q * q;
            }
            // The nearest and second-nearest grain centres among the 3 x 3 cells around,
            // compared by squared distance; only the two winners need a square root.
            const int cx = x / cell;
            const int cy = y / cell;
            const double px = x + 0.5;
            const double py = y + 0.5;
            double q1 = 1e300;
            double q2 = 1e300;
            const Grain* nearest = nullptr;
            for (int ny = std::max(0, cy - 1); ny <= std::min(cellsY - 1, cy + 1); ++ny) {
                const Grain* rowGrains = &grains[static_cast<std::size_t>(ny) * cellsX];
                for (int nx = std::max(0, cx - 1); nx <= std::min(cellsX - 1, cx + 1); ++nx) {
                    const Grain& g = rowGrains[nx];
                    const double dx = px - g.x;
                    const double dy = py - g.y;
                    const double q = dx * dx + dy * dy;
                    if (q < q1) {
                        q2 = q1;
                        q1 = q;
                        nearest = &g;
                    } else if (q < q2) {
                        q2 = q;
                    }
                }
            }
            const double d1 = std::sqrt(q1);
            const double d2 = std::sqrt(q2);
            // Half the difference of the two distances is the distance to the boundary.
            const double edge = (d2 - d1) / 2;
            const std::uint64_t noiseHash = mix(options.seed ^ (static_cast<std::uint64_t>(y) << 32) ^
                                                static_cast<std::uint64_t>(x));
            const double noise = (unit(noiseHash) - 0.5) * 12;
            const double tone = (nearest->tone + nearest->slopeX * (x - nearest->x) +
                                 nearest->slopeY * (y - nearest->y) + noise) * shade;
            const std::uint32_t grain = rgb(tone + 8, tone + 3, tone - 6);
            const std::uint32_t boundary = 0xFF000000u | (options.boundaryColour & 0xFFFFFFu);
            if (edge < options.boundaryWidth / 2)
                out = boundary;
            else if (edge < options.boundaryWidth / 2 + soft)
                out = blend(boundary, grain, (edge - options.boundaryWidth / 2) / soft);
            else
                out = grain;
        }
    }
    return pixels;
}

}  // namespace tesra
