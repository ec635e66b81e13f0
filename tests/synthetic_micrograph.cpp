#include "synthetic_micrograph.h"

#include <cmath>
#include <limits>
#include <numbers>
#include <random>

namespace tesra::test {

SyntheticMicrograph MakeGrainMicrograph(int width, int height, int grains, std::uint32_t seed)
{
    SyntheticMicrograph m;
    m.width = width;
    m.height = height;
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> ux(0, width), uy(0, height);
    std::uniform_int_distribution<int> shade(140, 215);
    struct Seed {
        double x, y;
        int grey;
    };
    std::vector<Seed> seeds(grains);
    for (Seed& s : seeds)
        s = {ux(rng), uy(rng), shade(rng)};

    // Seeds sorted into square cells about one grain wide; a pixel's nearest seed lies in its
    // own cell ring or the next ones out, which are searched until no nearer one can exist.
    const double cell = std::sqrt(double(width) * height / grains);
    const int cw = int(width / cell) + 1, ch = int(height / cell) + 1;
    std::vector<std::vector<int>> cells(static_cast<std::size_t>(cw) * ch);
    for (int i = 0; i < grains; ++i)
        cells[std::size_t(int(seeds[i].y / cell)) * cw + int(seeds[i].x / cell)].push_back(i);

    m.labels.resize(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int gx = int(x / cell), gy = int(y / cell);
            double best = std::numeric_limits<double>::max();
            int bi = 0;
            for (int ring = 0; ring < std::max(cw, ch); ++ring) {
                for (int cy = gy - ring; cy <= gy + ring; ++cy) {
                    for (int cx = gx - ring; cx <= gx + ring; ++cx) {
                        if (std::max(std::abs(cx - gx), std::abs(cy - gy)) != ring)
                            continue;
                        if (cx < 0 || cy < 0 || cx >= cw || cy >= ch)
                            continue;
                        for (int i : cells[std::size_t(cy) * cw + cx]) {
                            const double dx = seeds[i].x - x, dy = seeds[i].y - y;
                            const double d = dx * dx + dy * dy;
                            if (d < best) {
                                best = d;
                                bi = i;
                            }
                        }
                    }
                }
                // Everything in rings further out is at least ring * cell away.
                if (best < (ring * cell) * (ring * cell))
                    break;
            }
            m.labels[std::size_t(y) * width + x] = static_cast<std::uint16_t>(bi);
        }
    }

    m.image.SetSize(width, height, TPixelFormat::pf24Bit);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = m.image.rowData(y);
        for (int x = 0; x < width; ++x) {
            const int l = m.label(x, y);
            const bool edge = (x > 0 && m.label(x - 1, y) != l) || (x + 1 < width && m.label(x + 1, y) != l) ||
                              (y > 0 && m.label(x, y - 1) != l) || (y + 1 < height && m.label(x, y + 1) != l);
            const std::uint8_t g = static_cast<std::uint8_t>(edge ? 40 : seeds[l].grey);
            row[3 * x] = g;
            row[3 * x + 1] = g;
            row[3 * x + 2] = static_cast<std::uint8_t>(edge ? 40 : std::min(255, g + 10));
        }
    }
    return m;
}

std::vector<Crossing> RowCrossings(const SyntheticMicrograph& m, int y, int x0, int x1)
{
    std::vector<Crossing> out;
    for (int x = x0; x < x1; ++x)
        if (m.label(x, y) != m.label(x + 1, y))
            out.push_back({x, y});
    return out;
}

std::vector<Crossing> CircleCrossings(const SyntheticMicrograph& m, int cx, int cy, int r)
{
    // The circle walked in steps of an eighth of a pixel, as runs of one grain. Rounding to
    // pixels makes the walk zigzag over a boundary it runs along; runs shorter than a few
    // pixels are such zigzags, not grains, and join the run before them.
    const int steps = static_cast<int>(std::ceil(2 * std::numbers::pi * r * 8));
    auto at = [&](int i) {
        const double t = 2 * std::numbers::pi * i / steps;
        return Crossing{static_cast<int>(std::lround(cx + r * std::cos(t))),
                        static_cast<int>(std::lround(cy + r * std::sin(t)))};
    };
    struct Run {
        int label;
        int length;     // steps
        Crossing last;  // its last point
    };
    std::vector<Run> runs;
    for (int i = 0; i < steps; ++i) {
        const Crossing p = at(i);
        const int label = m.label(p.x, p.y);
        if (runs.empty() || runs.back().label != label)
            runs.push_back({label, 0, p});
        runs.back().length++;
        runs.back().last = p;
    }
    constexpr int kShortest = 3 * 8;
    std::vector<Run> kept;
    for (const Run& run : runs) {
        if (!kept.empty() && (run.length < kShortest || run.label == kept.back().label)) {
            kept.back().length += run.length;
            if (run.label == kept.back().label)
                kept.back().last = run.last;
            continue;
        }
        kept.push_back(run);
    }
    // The walk starts inside a grain: its first and last runs are the same grain.
    if (kept.size() > 1 && kept.front().label == kept.back().label)
        kept.pop_back();
    std::vector<Crossing> out;
    for (std::size_t i = 0; i < kept.size(); ++i)
        if (kept.size() > 1)
            out.push_back(kept[i].last);
    return out;
}

}  // namespace tesra::test
