// The "Histogram" command of the grey-value window on a 6000 × 4000 true-colour image, from
// the command until the plot is painted, beside the core's counting alone.

#include <cstdint>

#include "analysis/grey_analysis.h"
#include "analysis/uGrau.h"
#include "bench/uWindowBench.h"

namespace tesra {
namespace {

using bench::NoiseImage;

void BM_CoreHistogram(benchmark::State& state)
{
    const TPixelGraphic& image = NoiseImage();
    for (auto _ : state) {
        GreyHistogram h = ComputeHistogram(image);
        benchmark::DoNotOptimize(h);
    }
}
BENCHMARK(BM_CoreHistogram)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ShowHistogram(benchmark::State& state)
{
    MeasuringDocument document;
    TfGrau window(document);
    window.setImage(&NoiseImage());
    window.show();
    QApplication::processEvents();
    for (auto _ : state) {
        window.ShowHistogram();
        window.repaint();  // the plot is on the screen
    }
}
BENCHMARK(BM_ShowHistogram)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace tesra

int main(int argc, char** argv) { return tesra::bench::RunWindowBenchmarks(argc, argv); }
