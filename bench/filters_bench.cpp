// Sharpen and histogram on a 6000 × 4000 true-colour micrograph-sized image, against the
// same 3 × 3 convolution run by ImageMagick (convert-im6.q16, when installed) and against one
// plain pass over the pixel memory.
//
// The ImageMagick runs read and write an uncompressed PPM; BM_ImageMagickCopy measures that
// reading and writing alone, so the convolution's own share is Convolve − Copy.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "analysis/grey_analysis.h"
#include "bench/bench_micrograph.h"
#include "imaging/filters/conv_filter.h"
#include "imaging/filters/filter_dialogs.h"

namespace tesra {
namespace {

using bench::kLargeHeight;
using bench::kLargeWidth;
const TPixelGraphic& micrograph() { return bench::largeGrainMicrograph(); }

void BM_Sharpen(benchmark::State& state)
{
    const TPixelGraphic& src = micrograph();
    ConvParameters p = DefaultConvParameters(ConvFilterKind::Sharpen);  // σ 0.75, 50 %
    TConvFilter filter = MakeConvFilter(ConvFilterKind::Sharpen, p);
    TPixelGraphic target;
    for (auto _ : state) {
        ApplyFilter(src, target, filter);
        benchmark::DoNotOptimize(target.bits());
    }
}
BENCHMARK(BM_Sharpen)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Histogram(benchmark::State& state)
{
    const TPixelGraphic& src = micrograph();
    for (auto _ : state) {
        GreyHistogram h = ComputeHistogram(src);
        benchmark::DoNotOptimize(h.counts.data());
    }
}
BENCHMARK(BM_Histogram)->Unit(benchmark::kMillisecond)->UseRealTime();

// One pass over the pixel memory: every byte read once and summed.
void BM_MemoryPass(benchmark::State& state)
{
    const TPixelGraphic& src = micrograph();
    for (auto _ : state) {
        std::uint64_t sum = 0;
        const std::uint8_t* p = src.bits();
        const std::size_t n = src.bitsSize();
        for (std::size_t i = 0; i < n; ++i)
            sum += p[i];
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_MemoryPass)->Unit(benchmark::kMillisecond)->UseRealTime();

const std::string& ppmPath()
{
    static const std::string path = [] {
        const std::string name = "/tmp/tesra_filters_bench.ppm";
        const TPixelGraphic& g = micrograph();
        std::ofstream out(name, std::ios::binary);
        out << "P6\n" << kLargeWidth << " " << kLargeHeight << "\n255\n";
        std::string row(3 * static_cast<std::size_t>(kLargeWidth), '\0');
        for (int y = 0; y < kLargeHeight; ++y) {
            const std::uint8_t* p = g.rowData(y);
            for (int x = 0; x < kLargeWidth; ++x) {
                row[3 * x] = static_cast<char>(p[3 * x + 2]);
                row[3 * x + 1] = static_cast<char>(p[3 * x + 1]);
                row[3 * x + 2] = static_cast<char>(p[3 * x]);
            }
            out.write(row.data(), static_cast<std::streamsize>(row.size()));
        }
        return name;
    }();
    return path;
}

void runImageMagick(benchmark::State& state, const std::string& operation, const char* threads)
{
    if (std::system("command -v convert-im6.q16 >/dev/null 2>&1") != 0) {
        state.SkipWithError("convert-im6.q16 not installed");
        return;
    }
    const std::string command = std::string("MAGICK_THREAD_LIMIT=") + threads + " convert-im6.q16 " + ppmPath() +
                                " " + operation + " /tmp/tesra_filters_bench_out.ppm";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("convert-im6.q16 failed");
            return;
        }
    }
}

// The same kernel as BM_Sharpen, divided by its sum 72.
const char* const kSharpenKernel =
    "-define convolve:scale=1/72 -morphology Convolve '3x3: -3,-7,-3 -7,112,-7 -3,-7,-3'";

void BM_ImageMagickConvolve(benchmark::State& state) { runImageMagick(state, kSharpenKernel, "2"); }
BENCHMARK(BM_ImageMagickConvolve)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_ImageMagickConvolveOneThread(benchmark::State& state) { runImageMagick(state, kSharpenKernel, "1"); }
BENCHMARK(BM_ImageMagickConvolveOneThread)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_ImageMagickCopy(benchmark::State& state) { runImageMagick(state, "", "2"); }
BENCHMARK(BM_ImageMagickCopy)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace
}  // namespace tesra
