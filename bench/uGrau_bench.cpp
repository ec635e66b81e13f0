// The "Histogram" command of the grey-value window on a 6000 × 4000 true-colour image, from
// the command until the plot is painted, beside the core's counting alone.
#include <QApplication>
#include <benchmark/benchmark.h>

#include <cstdint>

#include "analysis/grey_analysis.h"
#include "analysis/uGrau.h"

namespace tesra {
namespace {

const TPixelGraphic& bigImage()
{
    static const TPixelGraphic image = [] {
        TPixelGraphic g(6000, 4000, TPixelFormat::pf24Bit);
        std::uint32_t state = 12345;
        for (int y = 0; y < g.Height(); ++y) {
            std::uint8_t* row = g.rowData(y);
            for (std::size_t k = 0; k < static_cast<std::size_t>(g.Width()) * 3; ++k) {
                state = state * 1664525u + 1013904223u;
                row[k] = static_cast<std::uint8_t>(state >> 24);
            }
        }
        return g;
    }();
    return image;
}

void BM_CoreHistogram(benchmark::State& state)
{
    const TPixelGraphic& image = bigImage();
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
    window.setImage(&bigImage());
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

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
