// Saving a 6000 × 4000 micrograph as PNG: our writer side by side with netpbm's pnmtopng and
// ImageMagick writing the same pixels (from a raw pixel map), in time and file size. The
// counter file_MB gives each file's size, cpu_s the processor time of one save (the outside
// programs' as children of this one); wall time suffers on a busy machine.
#include "imaging/formats/image_format.h"

#include "bench/bench_micrograph.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>

namespace {

using namespace tesra;
namespace fs = std::filesystem;

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

// Grains: cells with darker boundaries, a gentle shading across the field and sensor noise,
// in grey and in colour.
const TPixelGraphic& micrograph(bool colour)
{
    static TPixelGraphic images[2];
    TPixelGraphic& img = images[colour ? 1 : 0];
    if (!img.isEmpty())
        return img;
    img = bench::cellMicrograph(kWidth, kHeight, colour, 100, 7, true);
    return img;
}

std::string path(const std::string& name)
{
    const fs::path dir = fs::temp_directory_path() / "tesra-png-save-bench";
    fs::create_directories(dir);
    return (dir / name).string();
}

// The same pixels as a raw pixel map, for the outside programs.
std::string pixelMap(bool colour)
{
    const std::string p = path(colour ? "in.ppm" : "in.pgm");
    if (!fs::exists(p)) {
        FormatOptions options;
        options.pnmRawForm = true;
        saveImage(micrograph(colour), p, options);
    }
    return p;
}

double seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; }

double childSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double ownSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void BM_TesraPngSave(benchmark::State& state)
{
    const bool colour = state.range(0) != 0;
    const TPixelGraphic& image = micrograph(colour);
    const std::string out = path(colour ? "tesra-colour.png" : "tesra-grey.png");
    const double before = ownSeconds();
    for (auto _ : state)
        saveImage(image, out);
    state.counters["cpu_s"] = (ownSeconds() - before) / static_cast<double>(state.iterations());
    state.SetLabel(colour ? "colour" : "grey");
    state.counters["file_MB"] = static_cast<double>(fs::file_size(out)) / 1e6;
}
BENCHMARK(BM_TesraPngSave)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

void runTool(benchmark::State& state, const std::string& tool, const std::string& command, const std::string& out)
{
    if (std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) != 0) {
        state.SkipWithError((tool + " not installed").c_str());
        return;
    }
    // The tools' own processor time: on a busy machine wall time says little.
    const double before = childSeconds();
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError((tool + " failed").c_str());
    state.counters["cpu_s"] = (childSeconds() - before) / static_cast<double>(state.iterations());
    state.counters["file_MB"] = static_cast<double>(fs::file_size(out)) / 1e6;
}

void BM_PnmtopngSave(benchmark::State& state)
{
    const bool colour = state.range(0) != 0;
    const std::string in = pixelMap(colour);
    const std::string out = path(colour ? "netpbm-colour.png" : "netpbm-grey.png");
    state.SetLabel(colour ? "colour" : "grey");
    runTool(state, "pnmtopng", "pnmtopng " + in + " > " + out + " 2>/dev/null", out);
}
BENCHMARK(BM_PnmtopngSave)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

void BM_ImageMagickPngSave(benchmark::State& state)
{
    const bool colour = state.range(0) != 0;
    const std::string in = pixelMap(colour);
    const std::string out = path(colour ? "magick-colour.png" : "magick-grey.png");
    state.SetLabel(colour ? "colour" : "grey");
    runTool(state, "convert-im6.q16", "convert-im6.q16 " + in + " " + out + " 2>/dev/null", out);
}
BENCHMARK(BM_ImageMagickPngSave)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

}  // namespace
