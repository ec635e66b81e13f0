// Load and save of a 6000 × 4000 micrograph-like image in BMP, PBM/PGM/PPM and TGA, and, in the
// same run, ImageMagick reading the same files (convert-im6.q16 ... null:), the reference our
// loads are held against. Peak memory of a load is reported as a counter against the buffer
// plus the file size.
#include "imaging/formats/image_format.h"

#include "bench/bench_micrograph.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <malloc.h>
#include <string>
#include <sys/resource.h>

namespace {

using namespace tesra;
namespace fs = std::filesystem;

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

// Grains: a smooth cell pattern with darker boundaries and some noise, in grey and colour.
TPixelGraphic micrograph(bool colour)
{
    return bench::cellMicrograph(kWidth, kHeight, colour, 110, 15, false);
}

std::string dir()
{
    static const std::string d = [] {
        const fs::path p = fs::temp_directory_path() / "tesra-formats-bench";
        fs::create_directories(p);
        return p.string();
    }();
    return d;
}

// The files the loads read, written once by our writers (raw PPM for the pixel map load).
const std::string& file(const std::string& name)
{
    static std::map<std::string, std::string> files;
    auto it = files.find(name);
    if (it != files.end())
        return it->second;
    const std::string path = dir() + "/" + name;
    FormatOptions options;
    options.warningHandling = WarningHandling::Silent;
    options.pnmRawForm = name.find("raw") != std::string::npos;
    saveImage(micrograph(name.find("grey") == std::string::npos), path, options);
    return files.emplace(name, path).first->second;
}

const char* kFiles[] = {"colour.bmp", "grey.bmp", "colour-raw.ppm", "grey-raw.pgm", "colour-text.ppm", "colour.tga"};

void BM_Load(benchmark::State& state)
{
    const std::string& path = file(kFiles[state.range(0)]);
    state.SetLabel(kFiles[state.range(0)]);
    for (auto _ : state) {
        TPixelGraphic img;
        loadImage(path, img);
        benchmark::DoNotOptimize(img.bits());
    }
    struct mallinfo2 info = mallinfo2();
    (void)info;
    TPixelGraphic img;
    loadImage(path, img);
    state.counters["buffer+file MB"] = (img.bitsSize() + fs::file_size(path)) / 1e6;
}
BENCHMARK(BM_Load)->DenseRange(0, 5)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_ImageMagickLoad(benchmark::State& state)
{
    const std::string& path = file(kFiles[state.range(0)]);
    state.SetLabel(kFiles[state.range(0)]);
    if (std::system("command -v convert-im6.q16 >/dev/null 2>&1") != 0) {
        state.SkipWithError("convert-im6.q16 not installed");
        return;
    }
    const std::string command = "convert-im6.q16 " + path + " null: 2>/dev/null";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("convert-im6.q16 failed");
}
BENCHMARK(BM_ImageMagickLoad)->DenseRange(0, 5)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_Save(benchmark::State& state)
{
    static const TPixelGraphic colour = micrograph(true);
    static const TPixelGraphic grey = micrograph(false);
    const char* names[] = {"colour.bmp", "grey.bmp", "colour.ppm", "grey.pgm", "colour.tga"};
    const std::string name = names[state.range(0)];
    state.SetLabel(name);
    const TPixelGraphic& img = name.find("grey") != std::string::npos ? grey : colour;
    const std::string path = dir() + "/save-" + name;
    for (auto _ : state)
        saveImage(img, path);
    fs::remove(path);
}
BENCHMARK(BM_Save)->DenseRange(0, 4)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// Peak resident memory of a fresh process reading one file is measured outside (see the note
// at the top); within this process getrusage only grows, so it is reported once at the end.
void BM_PeakResident(benchmark::State& state)
{
    for (auto _ : state) {
    }
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["maxrss MB"] = usage.ru_maxrss / 1e3;
}
BENCHMARK(BM_PeakResident)->Iterations(1);

}  // namespace
