// What the image window computes on every mouse move in the editing modes: snap the point
// onto the nearest line, look for the intercept under it and for the two intercepts that
// enclose it, on a full measurement (300 lines and circles, 5000 intercepts). And R, which
// NearestLine calls twice per line, per call against the libm rounding it could use instead.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "analysis/line_geometry.h"
#include "app/measurement/measurement.h"
#include "common/rounding.h"

namespace {

using namespace tesra;

Measurement fullMeasurement()
{
    Measurement m;
    std::mt19937 rng(7u);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<std::uint32_t>(n)); };
    // 240 straight lines (480 end intercepts) and 60 circles on a 2000 × 2000 image.
    for (int i = 0; i < 240; ++i)
        m.AddTestLine(pick(2000), pick(2000), pick(2000), pick(2000), false);
    for (int i = 0; i < 60; ++i) {
        const int x = pick(1500), y = pick(1500), side = 50 + pick(450);
        m.AddTestLine(x, y, x + side, y + side, true);
    }
    while (m.interceptCount() < kMaxIntercepts) {
        PixelPoint p{pick(2000), pick(2000)};
        const int line = NearestLine(m, p);
        m.AddIntercept(p, line, static_cast<InterceptType>(1 + pick(6)));
    }
    return m;
}

void BM_MouseMoveLookup(benchmark::State& state)
{
    const Measurement m = fullMeasurement();
    std::mt19937 rng(11u);
    std::vector<PixelPoint> mouse(1024);
    for (PixelPoint& p : mouse)
        p = {static_cast<std::int32_t>(rng() % 2000), static_cast<std::int32_t>(rng() % 2000)};
    std::size_t i = 0;
    for (auto _ : state) {
        PixelPoint p = mouse[i++ & 1023];
        const int line = NearestLine(m, p);
        const int k = NearestIntercept(m, p, line);
        const Neighbours n = FindNeighbours(m, p, line);
        benchmark::DoNotOptimize(line);
        benchmark::DoNotOptimize(k);
        benchmark::DoNotOptimize(n);
    }
}
BENCHMARK(BM_MouseMoveLookup)->Unit(benchmark::kMicrosecond);

// The parts on their own, to see where the time goes.
void BM_NearestLine(benchmark::State& state)
{
    const Measurement m = fullMeasurement();
    for (auto _ : state) {
        PixelPoint p{1234, 567};
        benchmark::DoNotOptimize(NearestLine(m, p));
    }
}
BENCHMARK(BM_NearestLine)->Unit(benchmark::kMicrosecond);

void BM_FindNeighbours(benchmark::State& state)
{
    const Measurement m = fullMeasurement();
    PixelPoint p{1234, 567};
    const int line = NearestLine(m, p);
    for (auto _ : state)
        benchmark::DoNotOptimize(FindNeighbours(m, p, line));
}
BENCHMARK(BM_FindNeighbours)->Unit(benchmark::kMicrosecond);

// Per call, over values with fractions of every kind (halves included).
std::vector<long double> roundingInputs()
{
    std::mt19937 rng(3u);
    std::vector<long double> v(4096);
    for (long double& x : v)
        x = static_cast<long double>(static_cast<int>(rng() % 400000) - 200000) / 8.0L;
    return v;
}

void BM_R(benchmark::State& state)
{
    const auto values = roundingInputs();
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(R(values[i++ & 4095]));
}
BENCHMARK(BM_R);

void BM_NearbyintlReference(benchmark::State& state)
{
    const auto values = roundingInputs();
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(static_cast<std::int64_t>(nearbyintl(values[i++ & 4095])));
}
BENCHMARK(BM_NearbyintlReference);

void BM_RintlReference(benchmark::State& state)
{
    const auto values = roundingInputs();
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(static_cast<std::int64_t>(rintl(values[i++ & 4095])));
}
BENCHMARK(BM_RintlReference);

}  // namespace
