// Shaping a window after a 2000 x 2000 grain picture, the whole way to the window region:
// the row scan, the batches and one region union per batch.
#include <benchmark/benchmark.h>

#include <QImage>

#include "view/grain_picture.h"
#include "view/uQVTransImage.h"

namespace {

QImage grainImage()
{
    tesra::GrainPictureOptions options;
    options.width = 2000;
    options.height = 2000;
    options.grainSize = 24;
    options.boundaryColour = 0;  // black: cut out
    options.seed = 11;
    const std::vector<std::uint32_t> pixels = tesra::MakeGrainPicture(options);
    QImage image(2000, 2000, QImage::Format_RGB32);
    for (int y = 0; y < 2000; ++y)
        std::copy_n(pixels.begin() + y * 2000, 2000, reinterpret_cast<std::uint32_t*>(image.scanLine(y)));
    return image;
}

void BM_ShapeRegion_Grains2000(benchmark::State& state)
{
    const QImage image = grainImage();
    int rects = 0;
    for (auto _ : state) {
        const std::optional<QRegion> region = tesra::TQVTransImage::BitmapToRegion(image, Qt::black, 0);
        rects = region ? region->rectCount() : 0;
        benchmark::DoNotOptimize(rects);
    }
    state.counters["region_rectangles"] = rects;
}
BENCHMARK(BM_ShapeRegion_Grains2000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
