// Saving a measurement into a 6000 × 4000 micrograph file: encoding the image again with the
// new trailer (what every save did before) against keeping the file's image data and writing
// only the new trailer behind it, for a PNG and a JPEG. The ratio to read is Keeping / Encoding
// of the same format.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/storage/measurement_file.h"
#include "bench/bench_micrograph.h"

namespace tesra {
namespace {

using bench::kLargeHeight;
using bench::kLargeWidth;
const TPixelGraphic& micrograph() { return bench::largeGrainMicrograph(); }

// Thirty lines on the image, as after a short session.
struct Document {
    MeasuringDocument doc{NumberLocale::German()};
    Document()
    {
        doc.resetForImage(kLargeWidth, kLargeHeight);
        for (int i = 0; i < 30; ++i)
            doc.AddTestLine(100, 100 + 120 * i, 5800, 150 + 120 * i, false);
    }
};

std::string pathFor(const std::string& extension)
{
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp && *tmp ? tmp : "/tmp") + "/tesra_measurement_save_bench." + extension;
}

void encoding(benchmark::State& state, const std::string& extension)
{
    const Document document;
    const std::string path = pathFor(extension);
    for (auto _ : state)
        SaveImageWithMeasurement(micrograph(), path, document.doc);
    std::remove(path.c_str());
}

void keeping(benchmark::State& state, const std::string& extension)
{
    const Document document;
    const std::string path = pathFor(extension);
    ImageFileState file = SaveImageWithMeasurement(micrograph(), path, document.doc);
    for (auto _ : state) {
        if (!CanKeepImageData(file, path)) {
            state.SkipWithError("the file cannot be kept");
            break;
        }
        file = SaveMeasurementKeepingImage(file, document.doc);
    }
    state.counters["file_MB"] = static_cast<double>(file.size) / (1024.0 * 1024.0);
    std::remove(path.c_str());
}

void BM_SavePngEncoding(benchmark::State& state) { encoding(state, "png"); }
BENCHMARK(BM_SavePngEncoding)->Unit(benchmark::kMillisecond)->Iterations(2);
void BM_SavePngKeeping(benchmark::State& state) { keeping(state, "png"); }
BENCHMARK(BM_SavePngKeeping)->Unit(benchmark::kMillisecond)->Iterations(5);
void BM_SaveJpegEncoding(benchmark::State& state) { encoding(state, "jpg"); }
BENCHMARK(BM_SaveJpegEncoding)->Unit(benchmark::kMillisecond)->Iterations(2);
void BM_SaveJpegKeeping(benchmark::State& state) { keeping(state, "jpg"); }
BENCHMARK(BM_SaveJpegKeeping)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace tesra
