// Shaping a window after a large picture: the row scan and batching of a 2000 x 2000 grain
// structure with black boundaries (every boundary crossing ends a run).
#include <benchmark/benchmark.h>

#include "view/bitmap_region.h"
#include "view/grain_picture.h"

namespace {

using namespace tesra;

const std::vector<std::uint32_t>& grainPicture()
{
    static const std::vector<std::uint32_t> pixels = [] {
        GrainPictureOptions options;
        options.width = 2000;
        options.height = 2000;
        options.grainSize = 24;
        options.boundaryColour = 0;  // black: cut out
        options.seed = 11;
        return MakeGrainPicture(options);
    }();
    return pixels;
}

// Counts what the window side would join, without joining.
class CountingSink : public RegionSink {
public:
    std::size_t rects = 0;
    std::size_t batches = 0;
    bool unite(std::span<const RegionRect> batch) override
    {
        rects += batch.size();
        ++batches;
        benchmark::DoNotOptimize(batch.data());
        return true;
    }
};

void BM_BitmapToRegion_Grains2000(benchmark::State& state)
{
    const auto& pixels = grainPicture();
    const BitmapView view{pixels.data(), 2000, 2000, 2000};
    CountingSink sink;
    for (auto _ : state) {
        sink = CountingSink{};
        benchmark::DoNotOptimize(BitmapToRegion(view, 0x000000, 0, sink));
    }
    state.counters["rectangles"] = static_cast<double>(sink.rects);
    state.counters["batches"] = static_cast<double>(sink.batches);
    state.SetItemsProcessed(state.iterations() * 2000 * 2000);
}
BENCHMARK(BM_BitmapToRegion_Grains2000)->Unit(benchmark::kMillisecond);

void BM_BitmapToRects_Grains2000(benchmark::State& state)
{
    const auto& pixels = grainPicture();
    const BitmapView view{pixels.data(), 2000, 2000, 2000};
    for (auto _ : state)
        benchmark::DoNotOptimize(BitmapToRects(view, 0x000000, 0));
}
BENCHMARK(BM_BitmapToRects_Grains2000)->Unit(benchmark::kMillisecond);

}  // namespace
