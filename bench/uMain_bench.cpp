// Opening a large micrograph through the main window until the window has painted once,
// beside the bare load of the same file; and the time a filter dialog needs to show a new
// preview after a slider move on that image. Run on the offscreen platform from a Release
// build.
#include <QElapsedTimer>
#include <QPixmap>
#include <QSlider>


#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "app/uDialogs.h"
#include "app/uMain.h"
#include "app/uStartup.h"
#include "imaging/filters/uFilterDialogs.h"
#include "imaging/formats/image_format.h"
#include "view/uImage.h"
#include "bench/uWindowBench.h"

namespace tesra {
namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

// A grain-like grey picture: smooth cells with darker boundaries and a little noise, so
// the compressed files are as hard to decode as real micrographs.
TPixelGraphic micrograph()
{
    TPixelGraphic image(kWidth, kHeight, TPixelFormat::pf24Bit);
    std::uint32_t noise = 12345;
    for (int y = 0; y < kHeight; ++y) {
        std::uint8_t* row = image.rowData(y);
        for (int x = 0; x < kWidth; ++x) {
            noise = noise * 1103515245u + 12345u;
            const int cell = ((x / 97) * 7 + (y / 83) * 13) % 60;
            const bool boundary = x % 97 < 2 || y % 83 < 2;
            const int grey = (boundary ? 60 : 150 + cell) + static_cast<int>((noise >> 16) % 9);
            row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = static_cast<std::uint8_t>(grey);
        }
    }
    return image;
}

const std::string& fileOf(const std::string& extension)
{
    static std::string png, jpg;
    std::string& name = extension == "png" ? png : jpg;
    if (name.empty()) {
        static const TPixelGraphic image = micrograph();
        name = (std::filesystem::temp_directory_path() / ("tesra-bench-large." + extension)).string();
        saveImage(image, name);
    }
    return name;
}

void BareLoad(benchmark::State& state, const std::string& extension)
{
    const std::string& file = fileOf(extension);
    for (auto _ : state) {
        TPixelGraphic image;
        loadImage(file, image);
        benchmark::DoNotOptimize(image.bits());
    }
}

// Open image through the main window (dialog answered at once), then one complete paint of
// the whole frame with the image window in it.
void OpenToFirstPaint(benchmark::State& state, const std::string& extension)
{
    const QString file = QString::fromStdString(fileOf(extension));
    SetBoxHandler([](const BoxRequest&) { return BoxAnswer::Yes; });
    SetFileHandler([file](const FileRequest&) { return FileAnswer{file, 0}; });
    std::unique_ptr<TfMain> main(CreateProgramWindows());
    main->resize(1600, 1000);
    main->show();
    QApplication::processEvents();
    for (auto _ : state) {
        main->bLadenClick();
        const QPixmap frame = main->grab();
        benchmark::DoNotOptimize(frame.cacheKey());
    }
    main.reset();
    SetBoxHandler({});
    SetFileHandler({});
}

// A slider move in the sharpen dialog on the large image until the new preview shows.
void FilterPreviewUpdate(benchmark::State& state)
{
    static const TPixelGraphic image = micrograph();
    TSharpenFilterDialog dialog(nullptr, &image, DefaultConvParameters(ConvFilterKind::Sharpen));
    dialog.show();
    auto waitFor = [&dialog](int shown) {
        while (dialog.previewsShown() < shown)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    };
    waitFor(1);
    QSlider* slider = dialog.findChildren<QSlider*>().front();
    int position = slider->value();
    for (auto _ : state) {
        const int shown = dialog.previewsShown();
        position = position == slider->maximum() ? slider->minimum() : position + 1;
        slider->setValue(position);
        waitFor(shown + 1);
    }
    dialog.reject();
}

BENCHMARK_CAPTURE(BareLoad, png, std::string("png"))->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(OpenToFirstPaint, png, std::string("png"))->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BareLoad, jpg, std::string("jpg"))->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(OpenToFirstPaint, jpg, std::string("jpg"))->Unit(benchmark::kMillisecond)->UseRealTime();
void OpenOnly(benchmark::State& state, const std::string& extension)
{
    const QString file = QString::fromStdString(fileOf(extension));
    SetFileHandler([file](const FileRequest&) { return FileAnswer{file, 0}; });
    std::unique_ptr<TfMain> main(CreateProgramWindows());
    main->resize(1600, 1000);
    main->show();
    QApplication::processEvents();
    double openMs = 0, grabMs = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        main->bLadenClick();
        openMs += t.nsecsElapsed() / 1e6;
        t.restart();
        const QPixmap frame = main->grab();
        grabMs += t.nsecsElapsed() / 1e6;
    }
    state.counters["open_ms"] = openMs / state.iterations();
    state.counters["grab_ms"] = grabMs / state.iterations();
    main.reset();
    SetFileHandler({});
}
BENCHMARK_CAPTURE(OpenOnly, jpg, std::string("jpg"))->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(FilterPreviewUpdate)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace tesra

int main(int argc, char** argv)
{
    return tesra::bench::RunWindowBenchmarks(argc, argv, [] {
        for (const char* extension : {"png", "jpg"})
            std::filesystem::remove(std::filesystem::temp_directory_path() / (std::string("tesra-bench-large.") + extension));
    });
}
