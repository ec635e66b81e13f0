// The filter dialogs' live preview on a 6000 × 4000 true-colour image: opening the dialog
// until the first preview shows (scaling the image down and filtering it), and one slider
// move until the new preview shows.
#include <QSlider>

#include <cstdint>

#include "imaging/filters/uFilterDialogs.h"
#include "bench/uWindowBench.h"

namespace tesra {
namespace {

using bench::NoiseImage;

void waitForPreview(const TFilterPreviewDialog& dialog, int shown)
{
    while (dialog.previewsShown() <= shown || dialog.previewBusy())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void BM_OpenUntilFirstPreview(benchmark::State& state)
{
    for (auto _ : state) {
        TConvFilterDialog dialog(nullptr, ConvFilterKind::Sharpen, &NoiseImage(),
                                 DefaultConvParameters(ConvFilterKind::Sharpen));
        dialog.show();
        waitForPreview(dialog, 0);
    }
}
BENCHMARK(BM_OpenUntilFirstPreview)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SharpenSliderMove(benchmark::State& state)
{
    TConvFilterDialog dialog(nullptr, ConvFilterKind::Sharpen, &NoiseImage(),
                             DefaultConvParameters(ConvFilterKind::Sharpen));
    dialog.show();
    waitForPreview(dialog, 0);
    auto* s = dialog.findChild<QSlider*>(QStringLiteral("StdDeviation"));
    int k = 0;
    for (auto _ : state) {
        const int shown = dialog.previewsShown();
        s->setValue(75 + (++k % 2) * 30);  // 0.75 and 1.05: 3 × 3 and 5 × 5 kernels
        waitForPreview(dialog, shown);
    }
}
BENCHMARK(BM_SharpenSliderMove)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BrightnessSliderMove(benchmark::State& state)
{
    TBCGFilterDialog dialog(nullptr, &NoiseImage(), BCGParameters{});
    dialog.show();
    waitForPreview(dialog, 0);
    auto* s = dialog.findChild<QSlider*>(QStringLiteral("Brightness"));
    int k = 0;
    for (auto _ : state) {
        const int shown = dialog.previewsShown();
        s->setValue((++k % 2) * 20);
        waitForPreview(dialog, shown);
    }
}
BENCHMARK(BM_BrightnessSliderMove)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace tesra

int main(int argc, char** argv) { return tesra::bench::RunWindowBenchmarks(argc, argv); }
