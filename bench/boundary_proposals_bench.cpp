// Proposing boundary crossings: every line of a full measurement (300 lines and circles
// reaching across a 6000 × 4000 micrograph) and a single line across the whole image, against
// reading the plain grey profiles of the same lines as the reference.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "analysis/boundary_proposals.h"
#include "analysis/line_geometry.h"
#include "app/measurement/measurement.h"
#include "tests/synthetic_micrograph.h"

namespace {

using namespace tesra;

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

const test::SyntheticMicrograph& micrograph()
{
    static const test::SyntheticMicrograph m =
        test::MakeGrainMicrograph(kWidth, kHeight, 9000, 5u, {.blur = 1.0, .noise = 10});
    return m;
}

// 240 straight lines from edge region to edge region in every direction, 60 circles of
// radius 300 to 1900 pixels.
const Measurement& fullMeasurement()
{
    static const Measurement m = [] {
        Measurement out;
        std::mt19937 rng(7u);
        auto pick = [&](int lo, int hi) { return lo + static_cast<int>(rng() % static_cast<std::uint32_t>(hi - lo)); };
        for (int i = 0; i < 240; ++i) {
            if (i % 2)
                out.AddTestLine(pick(0, 500), pick(0, kHeight), pick(kWidth - 500, kWidth), pick(0, kHeight), false);
            else
                out.AddTestLine(pick(0, kWidth), pick(0, 400), pick(0, kWidth), pick(kHeight - 400, kHeight), false);
        }
        for (int i = 0; i < 60; ++i) {
            const int r = pick(300, 1900), x = pick(r, kWidth - r), y = pick(r, kHeight - r);
            out.AddTestLine(x - r, y - r, x + r, y + r, true);
        }
        return out;
    }();
    return m;
}

std::vector<int> allLines()
{
    std::vector<int> all;
    for (int i = 1; i <= fullMeasurement().lineCount(); ++i)
        all.push_back(i);
    return all;
}

void BM_GreyProfiles300Lines(benchmark::State& state)
{
    const test::SyntheticMicrograph& m = micrograph();
    const Measurement& lines = fullMeasurement();
    for (auto _ : state)
        for (int i = 1; i <= lines.lineCount(); ++i)
            benchmark::DoNotOptimize(greyValuesAlongLine(m.image, lines, i));
}
BENCHMARK(BM_GreyProfiles300Lines)->Unit(benchmark::kMillisecond);

void BM_Propose300Lines(benchmark::State& state)
{
    const test::SyntheticMicrograph& m = micrograph();
    const Measurement& lines = fullMeasurement();
    const std::vector<int> all = allLines();
    std::size_t proposals = 0;
    for (auto _ : state) {
        const std::vector<Proposal> found = ProposeForLines(m.image, lines, all, {});
        proposals = found.size();
        benchmark::DoNotOptimize(found.data());
    }
    state.counters["proposals"] = static_cast<double>(proposals);
}
BENCHMARK(BM_Propose300Lines)->Unit(benchmark::kMillisecond);

void BM_ProposeOneLineAcrossTheImage(benchmark::State& state)
{
    const test::SyntheticMicrograph& m = micrograph();
    TestLine line;
    line.x1 = 0;
    line.y1 = 0;
    line.x2 = kWidth - 1;
    line.y2 = kHeight - 1;
    for (auto _ : state)
        benchmark::DoNotOptimize(ProposeAlongLine(m.image, line, 1, {}));
}
BENCHMARK(BM_ProposeOneLineAcrossTheImage)->Unit(benchmark::kMillisecond);

}  // namespace
