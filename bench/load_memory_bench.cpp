// Peak memory of loading a 6000 × 4000 true-colour micrograph (72 MB of pixels) from BMP,
// PPM, TGA and TIFF files, as GNU time reports it (maximum resident size of a process that
// does nothing but the load), against the image's own size: the ratio counter is peak /
// image. `baseline` is the same process loading nothing (program, libraries), so
// (peak − baseline) / image is the load's own share.
//
// Deep TIFFs (16 bits a sample, grey and RGB, plain and LZW) are written by ImageMagick from the
// 24-bit TIFF; they load into an image of 8 bits a sample, against which their ratio counts.
//
// The loading process is this program again, started as `load_memory_bench --load FILE`
// under /usr/bin/time; the runs are skipped when GNU time (or, for the deep files,
// ImageMagick) is not installed.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <unistd.h>

#include "bench/bench_micrograph.h"
#include "imaging/formats/image_format.h"

namespace tesra {
namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
constexpr double kImageBytes = 3.0 * kWidth * kHeight;

std::string selfPath()
{
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

std::string tempName(const std::string& extension)
{
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp && *tmp ? tmp : "/tmp") + "/tesra_load_memory_bench." + extension;
}

std::map<std::string, std::string>& files()
{
    static std::map<std::string, std::string> made;
    return made;
}

// The test image saved once per extension.
const std::string& fileOf(const std::string& extension)
{
    auto found = files().find(extension);
    if (found != files().end())
        return found->second;
    const TPixelGraphic image = bench::grainMicrograph(kWidth, kHeight);
    FormatOptions options;
    options.pnmRawForm = true;
    const std::string name = tempName(extension);
    saveImage(image, name, options);
    return files()[extension] = name;
}

// The 24-bit TIFF turned into a deep one by ImageMagick `options` (with .tif added to the name),
// or an empty name when that fails.
std::string deepTiff(const std::string& name, const std::string& options)
{
    auto found = files().find(name);
    if (found != files().end())
        return found->second;
    const std::string out = tempName(name + ".tif");
    const std::string command = "/usr/bin/convert-im6.q16 " + fileOf("tif") + " " + options + " " + out + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        return {};
    return files()[name] = out;
}

// Maximum resident size in KB of `load_memory_bench --load FILE`, or -1.
long peakKilobytes(const std::string& file)
{
    const std::string command = "/usr/bin/time -f %M " + selfPath() + " --load " + file + " 2>&1 >/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return -1;
    long kb = -1;
    char line[256];
    while (std::fgets(line, sizeof line, pipe))
        kb = std::atol(line);
    return ::pclose(pipe) == 0 ? kb : -1;
}

// The peak of loading `file` against an image of `imageBytes`.
void measureFile(benchmark::State& state, const std::string& file, double imageBytes)
{
    if (::access("/usr/bin/time", X_OK) != 0) {
        state.SkipWithError("GNU time not installed");
        return;
    }
    if (file.empty()) {
        state.SkipWithError("ImageMagick could not write the file");
        return;
    }
    long peak = -1;
    for (auto _ : state)
        peak = peakKilobytes(file);
    if (peak < 0) {
        state.SkipWithError("the loading process failed");
        return;
    }
    const long baseline = peakKilobytes("-");
    state.counters["peak_MB"] = peak / 1024.0;
    state.counters["baseline_MB"] = baseline / 1024.0;
    state.counters["image_MB"] = imageBytes / (1024.0 * 1024.0);
    state.counters["peak/image"] = peak * 1024.0 / imageBytes;
    state.counters["(peak-baseline)/image"] = (peak - baseline) * 1024.0 / imageBytes;
}

void measure(benchmark::State& state, const std::string& extension)
{
    measureFile(state, extension.empty() ? std::string("-") : fileOf(extension), kImageBytes);
}

void measureDeep(benchmark::State& state, const std::string& name, const std::string& options, bool grey)
{
    measureFile(state, deepTiff(name, options), grey ? kImageBytes / 3 : kImageBytes);
}

void BM_PeakMemoryBmp(benchmark::State& state) { measure(state, "bmp"); }
BENCHMARK(BM_PeakMemoryBmp)->Unit(benchmark::kMillisecond)->Iterations(1);
void BM_PeakMemoryPpm(benchmark::State& state) { measure(state, "ppm"); }
BENCHMARK(BM_PeakMemoryPpm)->Unit(benchmark::kMillisecond)->Iterations(1);
void BM_PeakMemoryTga(benchmark::State& state) { measure(state, "tga"); }
BENCHMARK(BM_PeakMemoryTga)->Unit(benchmark::kMillisecond)->Iterations(1);
void BM_PeakMemoryTiff(benchmark::State& state) { measure(state, "tif"); }
BENCHMARK(BM_PeakMemoryTiff)->Unit(benchmark::kMillisecond)->Iterations(1);
void BM_PeakMemoryPng(benchmark::State& state) { measure(state, "png"); }
BENCHMARK(BM_PeakMemoryPng)->Unit(benchmark::kMillisecond)->Iterations(1);
void BM_PeakMemoryTiffRgb16(benchmark::State& state) { measureDeep(state, "rgb16", "-depth 16 -compress None", false); }
BENCHMARK(BM_PeakMemoryTiffRgb16)->Unit(benchmark::kMillisecond)->Iterations(1);
void BM_PeakMemoryTiffRgb16Lzw(benchmark::State& state) { measureDeep(state, "rgb16_lzw", "-depth 16 -compress LZW", false); }
BENCHMARK(BM_PeakMemoryTiffRgb16Lzw)->Unit(benchmark::kMillisecond)->Iterations(1);
void BM_PeakMemoryTiffGrey16(benchmark::State& state)
{
    measureDeep(state, "grey16", "-colorspace Gray -depth 16 -compress None", true);
}
BENCHMARK(BM_PeakMemoryTiffGrey16)->Unit(benchmark::kMillisecond)->Iterations(1);
void BM_PeakMemoryTiffGrey16Lzw(benchmark::State& state)
{
    measureDeep(state, "grey16_lzw", "-colorspace Gray -depth 16 -compress LZW", true);
}
BENCHMARK(BM_PeakMemoryTiffGrey16Lzw)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace tesra

// `--load FILE` loads one file and ends (`-` loads nothing); anything else runs the
// benchmarks.
int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--load") == 0) {
        if (std::strcmp(argv[2], "-") == 0)
            return 0;
        tesra::TPixelGraphic image;
        tesra::loadImage(argv[2], image);
        return image.Width() == tesra::kWidth ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (const auto& [extension, name] : tesra::files())
        std::remove(name.c_str());
    return 0;
}
