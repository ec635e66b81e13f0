// What small hostile files and large plain ones cost to load: time per load, and the peak
// resident memory of the process as a counter (run one benchmark per process with
// --benchmark_filter to read it per case). The reference for the loader is the size of the
// image buffer itself: peak / image is the ratio reported.
#include "imaging/formats/image_format.h"
#include "imaging/formats/png.h"
#include "imaging/formats/tiff.h"
#include "tests/imaging/formats/hostile_files.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>

namespace {

using namespace tesra;
namespace fs = std::filesystem;

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void readPngBytes(benchmark::State& state, const std::vector<std::uint8_t>& file)
{
    for (auto _ : state) {
        TPixelGraphic image;
        double gamma = 1.8;
        try {
            readPng(ByteSpan(file), image, gamma);
        } catch (const EPixelGraphic& e) {
            state.SetLabel(e.what());
        }
        benchmark::DoNotOptimize(image);
    }
    state.counters["file_KB"] = static_cast<double>(file.size()) / 1024.0;
    state.counters["peak_MB"] = peakMegabytes();
}

// 31622² RGBA, interlaced, data missing: must fail at once without a scratch image.
void BM_PngInterlacedAlphaBomb(benchmark::State& state) { readPngBytes(state, test::interlacedAlphaBomb()); }
BENCHMARK(BM_PngInterlacedAlphaBomb)->Unit(benchmark::kMillisecond)->Iterations(1);

// 1 × 1 pixel whose stream goes on for 1 GB of zeros after the row.
void BM_PngTrailingStreamBomb(benchmark::State& state) { readPngBytes(state, test::trailingStreamBomb(1024)); }
BENCHMARK(BM_PngTrailingStreamBomb)->Unit(benchmark::kMillisecond)->Iterations(1);

// Anonymous (private) resident memory in MB, from /proc/self/status: the image buffer and any
// copy of the file, but not the page cache that a mapped file is read through.
double anonymousMegabytes()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "RssAnon:") {
            double kb = 0;
            status >> kb;
            return kb / 1024.0;
        }
        status.ignore(1 << 10, '\n');
    }
    return 0;
}

// Samples the anonymous memory at every step of a load's progress: its peak while reading.
class MemorySampler : public ProgressSink {
public:
    void step(int) override { m_peak = std::max(m_peak, anonymousMegabytes()); }
    double peak() const { return m_peak; }

private:
    double m_peak = 0;
};

// A plain 8000 × 8000 24-bit BMP (192 MB) loaded from its file: peak memory against the image.
void BM_LoadLargeBmpFile(benchmark::State& state)
{
    const fs::path path = fs::temp_directory_path() / "tesra-hostile-bench-8000.bmp";
    constexpr int side = 8000;
    if (!fs::exists(path)) {
        TPixelGraphic image(side, side, TPixelFormat::pf24Bit);
        for (int y = 0; y < side; ++y) {
            std::uint8_t* row = image.rowData(y);
            for (int x = 0; x < 3 * side; ++x)
                row[x] = static_cast<std::uint8_t>(x * 7 + y);
        }
        saveImage(image, path.string());
    }
    const double imageMegabytes = 3.0 * side * side / (1024.0 * 1024.0);
    MemorySampler sampler;
    const double before = anonymousMegabytes();
    for (auto _ : state) {
        TPixelGraphic image;
        FormatOptions options;
        options.progress = &sampler;
        loadImage(path.string(), image, options);
        benchmark::DoNotOptimize(image);
    }
    state.counters["image_MB"] = imageMegabytes;
    state.counters["peak_rss_MB"] = peakMegabytes();
    state.counters["peak_private_MB"] = sampler.peak() - before;
    state.counters["private_per_image"] = (sampler.peak() - before) / imageMegabytes;
}
BENCHMARK(BM_LoadLargeBmpFile)->Unit(benchmark::kMillisecond)->Iterations(1);

// The small TIFFs of the hostile-file tests, one per run (see hostileTiffs() for the names):
// each must be answered at once, the label giving the answer.
void BM_HostileTiff(benchmark::State& state)
{
    const test::HostileTiffCase c = test::hostileTiffs()[static_cast<std::size_t>(state.range(0))];
    const std::vector<std::uint8_t> file = c.file.bytes();
    std::string answer = "loads";
    for (auto _ : state) {
        TPixelGraphic image;
        try {
            readTiff(ByteSpan(file), image, {});
        } catch (const EPixelGraphic& e) {
            answer = e.what();
        }
        benchmark::DoNotOptimize(image);
    }
    state.SetLabel(c.name + ": " + answer);
    state.counters["file_KB"] = static_cast<double>(file.size()) / 1024.0;
    state.counters["peak_MB"] = peakMegabytes();
}
BENCHMARK(BM_HostileTiff)->DenseRange(0, static_cast<int>(test::hostileTiffs().size()) - 1)
    ->Unit(benchmark::kMillisecond)->Iterations(1);

// A real 30000 × 30000 RGB image (black) in Deflate strips of one row, loaded from its file:
// it must still load, with the peak memory close to the image's 2.5 GB.
void BM_LoadLargeDeflateTiff(benchmark::State& state)
{
    const fs::path path = fs::temp_directory_path() / "tesra-hostile-bench-30000-deflate.tif";
    constexpr std::uint32_t side = 30000;
    if (!fs::exists(path)) {
        test::HostileTiff t;
        t.width = t.height = side;
        t.samples = 3;
        t.rowsPerStrip = 1;
        t.data = test::tiffZeros(8, 3ull * side);
        const std::vector<std::uint8_t> bytes = t.bytes();
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
    }
    const double imageMegabytes = 3.0 * side * side / (1024.0 * 1024.0);
    for (auto _ : state) {
        TPixelGraphic image;
        loadImage(path.string(), image);
        benchmark::DoNotOptimize(image);
    }
    state.counters["image_MB"] = imageMegabytes;
    state.counters["peak_rss_MB"] = peakMegabytes();
    state.counters["peak_per_image"] = peakMegabytes() / imageMegabytes;
}
BENCHMARK(BM_LoadLargeDeflateTiff)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
