// The undo history under full load: undo and redo of loading a 300-line set (each line
// straight, with its two end intercepts), against the load itself; and the memory a history
// of 10,000 measurement edits keeps beside its image copies.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "app/document/measuring_document.h"
#include "app/storage/line_set.h"

namespace {

using namespace tesra;

std::vector<std::uint8_t> FullLineSet()
{
    Measurement lines;
    for (int i = 0; i < kMaxLines; ++i)
        lines.AddTestLine(10, 10 + i * 13, 5900, 30 + i * 13, false);
    return EncodeLineSet(lines);
}

void LoadSet(MeasuringDocument& document, const std::vector<std::uint8_t>& file)
{
    document.editMeasurement(edit_text::kLoadLineSet,
                             [&](Measurement& m) { LoadLineSet(file, 6000, 4000, m); });
}

// The reference: loading the set as the program does, as one step of the history.
void BM_LoadLineSet(benchmark::State& state)
{
    const std::vector<std::uint8_t> file = FullLineSet();
    for (auto _ : state) {
        state.PauseTiming();
        MeasuringDocument document;
        document.resetForImage(6000, 4000);
        state.ResumeTiming();
        LoadSet(document, file);
        benchmark::DoNotOptimize(document.measurement().lineCount());
    }
}
BENCHMARK(BM_LoadLineSet)->Unit(benchmark::kMillisecond);

void BM_UndoLineSet(benchmark::State& state)
{
    MeasuringDocument document;
    document.resetForImage(6000, 4000);
    LoadSet(document, FullLineSet());
    for (auto _ : state) {
        document.Undo();
        state.PauseTiming();
        document.Redo();
        state.ResumeTiming();
    }
    state.counters["lines"] = document.measurement().lineCount();
}
BENCHMARK(BM_UndoLineSet)->Unit(benchmark::kMillisecond);

void BM_RedoLineSet(benchmark::State& state)
{
    MeasuringDocument document;
    document.resetForImage(6000, 4000);
    LoadSet(document, FullLineSet());
    for (auto _ : state) {
        state.PauseTiming();
        document.Undo();
        state.ResumeTiming();
        document.Redo();
    }
    state.counters["lines"] = document.measurement().lineCount();
}
BENCHMARK(BM_RedoLineSet)->Unit(benchmark::kMillisecond);

// 10,000 edits of a session: lines, intercepts (most of them), retyping and deleting. The
// counter is the bytes the history keeps; the budget is 10 MB.
void BM_HistoryOfTenThousandEdits(benchmark::State& state)
{
    std::size_t bytes = 0;
    std::size_t steps = 0;
    for (auto _ : state) {
        MeasuringDocument document;
        document.resetForImage(6000, 4000);
        std::mt19937 rng(5);
        auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
        for (int i = 0; document.history().count() < 10000 && i < 1000000; ++i) {
            const Measurement& m = document.measurement();
            const int kind = pick(20);
            if (m.lineCount() < 300 && (m.lineCount() == 0 || kind == 0)) {
                const int y = pick(4000);
                document.AddTestLine(0, y, 5999, y, false);
            } else if (kind == 1 && m.interceptCount() > 0) {
                document.RetypeIntercept(1 + pick(m.interceptCount()), static_cast<InterceptType>(1 + pick(6)));
            } else if (kind == 2 && m.interceptCount() > 0) {
                document.DeleteIntercept(1 + pick(m.interceptCount()));
            } else if (m.interceptCount() < kMaxIntercepts) {
                const int n = 1 + pick(m.lineCount());
                document.AddIntercept({pick(6000), m.line(n).y1}, n, itNormal);
            }
        }
        bytes = document.history().memoryUse();
        steps = document.history().count();
    }
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
    state.counters["steps"] = static_cast<double>(steps);
}
BENCHMARK(BM_HistoryOfTenThousandEdits)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
