// Saving a 6000 × 4000 micrograph as PNG: our writer side by side with netpbm's pnmtopng and
// ImageMagick writing the same pixels (from a raw pixel map), in time and file size. The
// counter file_MB gives each file's size; time is wall time of one save.
#include "imaging/formats/image_format.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

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
    img = TPixelGraphic(kWidth, kHeight, colour ? TPixelFormat::pf24Bit : TPixelFormat::pf8Bit);
    if (!colour)
        img.SetPaletteIdent(pGray256);
    std::uint32_t noise = 12345;
    for (int y = 0; y < kHeight; ++y) {
        std::uint8_t* row = img.rowData(y);
        for (int x = 0; x < kWidth; ++x) {
            noise = noise * 1103515245u + 12345u;
            const int cell = ((x / 97) * 31 + (y / 83) * 17) % 120;
            const bool boundary = x % 97 < 3 || y % 83 < 3;
            const int shade = (x + y) / 400;
            const int v = std::min(255, (boundary ? 40 : 100 + cell) + shade + static_cast<int>((noise >> 24) & 7));
            if (colour) {
                row[3 * x] = static_cast<std::uint8_t>(v * 3 / 4);
                row[3 * x + 1] = static_cast<std::uint8_t>(v);
                row[3 * x + 2] = static_cast<std::uint8_t>(std::min(255, v + 20));
            } else {
                row[x] = static_cast<std::uint8_t>(v);
            }
        }
    }
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

void BM_TesraPngSave(benchmark::State& state)
{
    const bool colour = state.range(0) != 0;
    const TPixelGraphic& image = micrograph(colour);
    const std::string out = path(colour ? "tesra-colour.png" : "tesra-grey.png");
    for (auto _ : state)
        saveImage(image, out);
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
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError((tool + " failed").c_str());
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
