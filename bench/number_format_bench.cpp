// The number formats run for every cell of the result sheet after every click.
#include <benchmark/benchmark.h>

#include "common/number_format.h"

namespace {

const tesra::NumberLocale kGerman = tesra::NumberLocale::German();

void BM_FormatN(benchmark::State& state)
{
    long double v = 1234.5678L;
    for (auto _ : state) {
        benchmark::DoNotOptimize(tesra::FormatN(v, 10, 3, kGerman));
        v += 0.001L;
    }
}
BENCHMARK(BM_FormatN);

void BM_FormatF(benchmark::State& state)
{
    long double v = 25.125L;
    for (auto _ : state) {
        benchmark::DoNotOptimize(tesra::FormatF(v, 10, 3, kGerman));
        v += 0.001L;
    }
}
BENCHMARK(BM_FormatF);

void BM_FormatG(benchmark::State& state)
{
    long double v = 1.0L / 3.0L;
    for (auto _ : state) {
        benchmark::DoNotOptimize(tesra::FormatG(v, 10, kGerman));
        v += 0.001L;
    }
}
BENCHMARK(BM_FormatG);

}  // namespace
