#include "synthetic_micrograph.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <numbers>
#include <random>
#include <sstream>
#include <string>

#include "imaging/formats/jpeg.h"

namespace tesra::test {

namespace {

// Separable Gaussian blur of a grey plane, edges held.
void blurPlane(std::vector<float>& plane, int width, int height, double sigma)
{
    const int reach = static_cast<int>(std::ceil(3 * sigma));
    std::vector<float> kernel;
    float total = 0;
    for (int i = -reach; i <= reach; ++i) {
        kernel.push_back(static_cast<float>(std::exp(-0.5 * i * i / (sigma * sigma))));
        total += kernel.back();
    }
    for (float& k : kernel)
        k /= total;
    std::vector<float> out(plane.size());
    auto pass = [&](int lines, int along, std::size_t lineStep, std::size_t sampleStep) {
        for (int l = 0; l < lines; ++l) {
            for (int i = 0; i < along; ++i) {
                float sum = 0;
                for (int k = -reach; k <= reach; ++k) {
                    const int j = std::clamp(i + k, 0, along - 1);
                    sum += kernel[std::size_t(k + reach)] * plane[l * lineStep + j * sampleStep];
                }
                out[l * lineStep + i * sampleStep] = sum;
            }
        }
        plane.swap(out);
    };
    pass(height, width, std::size_t(width), 1);
    pass(width, height, 1, std::size_t(width));
}

}  // namespace

SyntheticMicrograph MakeGrainMicrograph(int width, int height, int grains, std::uint32_t seed,
                                        const MicrographLook& look)
{
    SyntheticMicrograph m;
    m.width = width;
    m.height = height;
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> ux(0, width), uy(0, height);
    std::uniform_int_distribution<int> shade(look.grainGreyLow, look.grainGreyHigh);
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

    std::vector<float> plane(m.labels.size());
    std::vector<std::uint8_t> edges(m.labels.size());
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int l = m.label(x, y);
            const bool edge = (x > 0 && m.label(x - 1, y) != l) || (x + 1 < width && m.label(x + 1, y) != l) ||
                              (y > 0 && m.label(x, y - 1) != l) || (y + 1 < height && m.label(x, y + 1) != l);
            edges[std::size_t(y) * width + x] = edge;
            plane[std::size_t(y) * width + x] = static_cast<float>(edge ? look.boundaryGrey : seeds[l].grey);
        }
    }
    if (look.blur > 0)
        blurPlane(plane, width, height, look.blur);
    if (look.noise > 0) {
        std::normal_distribution<float> noise(0.0f, static_cast<float>(look.noise));
        for (float& v : plane)
            v += noise(rng);
    }

    m.image.SetSize(width, height, TPixelFormat::pf24Bit);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = m.image.rowData(y);
        for (int x = 0; x < width; ++x) {
            const std::size_t i = std::size_t(y) * width + x;
            const int g = std::clamp(static_cast<int>(std::lround(plane[i])), 0, 255);
            row[3 * x] = static_cast<std::uint8_t>(g);
            row[3 * x + 1] = static_cast<std::uint8_t>(g);
            row[3 * x + 2] = static_cast<std::uint8_t>(edges[i] ? g : std::min(255, g + 10));
        }
    }
    if (look.jpegQuality > 0) {
        std::ostringstream out;
        writeJpeg(m.image, out, look.jpegQuality);
        const std::string bytes = out.str();
        TPixelGraphic decoded;
        readJpeg(ByteSpan(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), decoded);
        m.image = std::move(decoded);
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

namespace {

struct Run {
    int label;
    int length;      // steps
    int first;       // its first step
    int last;        // its last step
    int zigzag = -1;  // first step of the zigzag that ends it, -1 when it ends cleanly
};

// A path walked in `steps` fine steps, as runs of one grain. Rounding to pixels makes the
// walk zigzag over a boundary it runs along; runs shorter than a few pixels are such
// zigzags, not grains, and join the run before them. On a closed path the last run joins the
// first when they are the same grain.
std::vector<Run> grainRuns(const SyntheticMicrograph& m, int steps, bool closed, int shortest,
                           const std::function<Crossing(int)>& at)
{
    std::vector<Run> runs;
    for (int i = 0; i < steps; ++i) {
        const Crossing p = at(i);
        if (p.x < 0 || p.y < 0 || p.x >= m.width || p.y >= m.height)
            continue;
        const int label = m.label(p.x, p.y);
        if (runs.empty() || runs.back().label != label)
            runs.push_back({label, 0, i, i});
        runs.back().length++;
        runs.back().last = i;
    }
    std::vector<Run> kept;
    for (const Run& run : runs) {
        if (!kept.empty() && (run.length < shortest || run.label == kept.back().label)) {
            Run& back = kept.back();
            back.length += run.length;
            if (run.label != back.label && back.zigzag < 0)
                back.zigzag = run.first;
            if (run.label == back.label) {
                back.last = run.last;
                if (run.length >= shortest)
                    back.zigzag = -1;
            }
            continue;
        }
        kept.push_back(run);
    }
    if (closed && kept.size() > 1 && kept.front().label == kept.back().label) {
        kept.front().first = kept.back().first - steps;
        kept.pop_back();
    }
    return kept;
}

// The step after which the line leaves a run's grain: the start of the zigzag over the
// boundary, if any, so that a crossing lies in the middle of the zigzag.
double boundaryStart(const Run& run)
{
    return run.zigzag >= 0 ? run.zigzag : run.last + 1;
}

constexpr int kStepsPerPixel = 8;
constexpr int kShortestRun = 3 * kStepsPerPixel;

}  // namespace

std::vector<Crossing> CircleCrossings(const SyntheticMicrograph& m, int cx, int cy, int r)
{
    const int steps = static_cast<int>(std::ceil(2 * std::numbers::pi * r * kStepsPerPixel));
    auto at = [&](int i) {
        const double t = 2 * std::numbers::pi * i / steps;
        return Crossing{static_cast<int>(std::lround(cx + r * std::cos(t))),
                        static_cast<int>(std::lround(cy + r * std::sin(t)))};
    };
    const std::vector<Run> kept = grainRuns(m, steps, true, kShortestRun, at);
    std::vector<Crossing> out;
    if (kept.size() > 1)
        for (const Run& run : kept)
            out.push_back(at(run.last));
    return out;
}

std::vector<TrueCrossing> StraightLineCrossings(const SyntheticMicrograph& m, double x1, double y1, double x2, double y2)
{
    const double length = std::hypot(x2 - x1, y2 - y1);
    const int steps = static_cast<int>(std::ceil(length * kStepsPerPixel)) + 1;
    const double step = length / (steps - 1);
    auto point = [&](double i) {
        const double t = i / (steps - 1);
        return std::pair{x1 + t * (x2 - x1), y1 + t * (y2 - y1)};
    };
    auto at = [&](int i) {
        const auto [x, y] = point(i);
        return Crossing{static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y))};
    };
    const std::vector<Run> kept = grainRuns(m, steps, false, kShortestRun, at);
    std::vector<TrueCrossing> out;
    for (std::size_t i = 0; i + 1 < kept.size(); ++i) {
        const double mid = (boundaryStart(kept[i]) + kept[i + 1].first) / 2.0 - 0.5;
        const auto [x, y] = point(mid);
        out.push_back({x, y, mid * step});
    }
    return out;
}

std::vector<TrueCrossing> CircleLineCrossings(const SyntheticMicrograph& m, double cx, double cy, double r)
{
    const int steps = static_cast<int>(std::ceil(2 * std::numbers::pi * r * kStepsPerPixel));
    const double step = 2 * std::numbers::pi * r / steps;
    auto point = [&](double i) {
        const double t = 2 * std::numbers::pi * i / steps;
        return std::pair{cx + r * std::cos(t), cy + r * std::sin(t)};
    };
    auto at = [&](int i) {
        const auto [x, y] = point(i);
        return Crossing{static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y))};
    };
    const std::vector<Run> kept = grainRuns(m, steps, true, kShortestRun, at);
    std::vector<TrueCrossing> out;
    if (kept.size() < 2)
        return out;
    for (std::size_t i = 0; i < kept.size(); ++i) {
        const int next = i + 1 < kept.size() ? kept[i + 1].first : kept[0].first + steps;
        double mid = (boundaryStart(kept[i]) + next) / 2.0 - 0.5;
        if (mid >= steps)
            mid -= steps;
        if (mid < 0)
            mid += steps;
        const auto [x, y] = point(mid);
        out.push_back({x, y, mid * step});
    }
    std::sort(out.begin(), out.end(), [](const TrueCrossing& a, const TrueCrossing& b) { return a.along < b.along; });
    return out;
}

}  // namespace tesra::test
