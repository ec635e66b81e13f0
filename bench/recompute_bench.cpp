// Recomputation of a full result sheet (300 lines), which runs after every click that
// changes the measurement; against it, the bare formatting of the same number of cells.
#include <benchmark/benchmark.h>

#include <vector>

#include "common/number_format.h"
#include "app/measurement/measurement.h"
#include "results/result_sheet.h"

namespace {

tesra::Measurement FullMeasurement(bool byFraction)
{
    std::vector<tesra::TestLine> lines;
    for (int i = 0; i < tesra::kMaxLines; ++i) {
        tesra::TestLine l;
        l.x1 = 0;
        l.y1 = i;
        l.x2 = 1000 + i;
        l.y2 = i;
        l.length = 1000.0L + i + 0.123L;
        l.weightedCount = 10.0L + (i * 7) % 13 + 0.5L * (i % 2);
        l.secondPhaseLength = (i % 5) * 12.5L;
        l.isCircle = i % 10 == 0;
        lines.push_back(l);
    }
    tesra::Measurement m;
    m.setRecords(lines, {}, {});
    m.calibration.scale = 0.25L;
    m.calibration.secondPhasePercent = byFraction ? 10.0L : -1.0L;
    return m;
}

void BM_RecomputeFullSheet(benchmark::State& state)
{
    const tesra::Measurement m = FullMeasurement(state.range(0) != 0);
    tesra::ResultSheet sheet;
    for (auto _ : state) {
        sheet.Recompute(m);
        benchmark::DoNotOptimize(sheet.sumCell(7, 1).data());
    }
}
BENCHMARK(BM_RecomputeFullSheet)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Reference: the 8 N(10,3) and one N(6,3) texts per line that the recomputation writes.
void BM_FormatSheetNumbersOnly(benchmark::State& state)
{
    const tesra::NumberLocale locale = tesra::NumberLocale::German();
    for (auto _ : state) {
        for (int i = 0; i < tesra::kMaxLines; ++i) {
            for (int c = 0; c < 8; ++c)
                benchmark::DoNotOptimize(tesra::FormatN(1000.0L + i + c * 0.37L, 10, 3, locale).size());
            benchmark::DoNotOptimize(tesra::FormatN(i * 0.1L, 6, 3, locale).size());
        }
    }
}
BENCHMARK(BM_FormatSheetNumbersOnly)->Unit(benchmark::kMicrosecond);

}  // namespace
