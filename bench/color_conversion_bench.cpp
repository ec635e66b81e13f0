// Conversion of a 6000 × 4000 true-colour micrograph-like image to 256 colours (resolution 6:
// optimised palette of 236 image colours + 16 system colours, dithered) and to 256 greys
// (resolution 5), against ImageMagick's Floyd–Steinberg quantisation to 252 colours
// (convert-im6.q16 IN -dither FloydSteinberg -colors 252 OUT) on the same image.
//
// ImageMagick reads and writes an uncompressed PPM; BM_ImageMagickCopy measures that reading
// and writing alone, so its quantisation's own share is Colors252 − Copy. The ImageMagick runs
// are skipped when the program is not installed.
//
// Saving as a grey map: the whole save of the colour image as PGM (conversion to 256 greys,
// text form as the program writes it, and the raw form) against netpbm's ppmtopgm on the same
// pixels (-plain for the text form), and ImageMagick's grey conversion (-colorspace Gray).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <ostream>
#include <streambuf>
#include <string>
#include <utility>
#include <vector>

#include <sys/resource.h>

#include "imaging/color_conversion.h"
#include "imaging/formats/image_format.h"
#include "imaging/formats/pnm.h"
#include "bench/bench_micrograph.h"

namespace tesra {
namespace {

using namespace bench;

// Etched grains: irregular cells of their own brownish grey tone and slight tint, dark
// boundaries, and sensor noise — many distinct colours, as in a colour micrograph.
const TPixelGraphic& micrograph()
{
    static const TPixelGraphic image = [] {
        constexpr int cell = 60;
        const int cols = kLargeWidth / cell + 2, rows = kLargeHeight / cell + 2;
        std::uint32_t s = 2463534242u;
        struct Seed {
            int x, y, tone, tint;
        };
        std::vector<Seed> seeds(static_cast<std::size_t>(cols * rows));
        for (int j = 0; j < rows; ++j)
            for (int i = 0; i < cols; ++i)
                seeds[static_cast<std::size_t>(j * cols + i)] = {
                    (i - 1) * cell + static_cast<int>(nextRandom(s) % cell),
                    (j - 1) * cell + static_cast<int>(nextRandom(s) % cell), 70 + static_cast<int>(nextRandom(s) % 140),
                    static_cast<int>(nextRandom(s) % 41) - 20};
        TPixelGraphic g(kLargeWidth, kLargeHeight, TPixelFormat::pf24Bit);
        for (int y = 0; y < kLargeHeight; ++y) {
            std::uint8_t* row = g.rowData(y);
            for (int x = 0; x < kLargeWidth; ++x) {
                // Nearest and second-nearest seed among the 3 × 3 cells around.
                const int ci = x / cell + 1, cj = y / cell + 1;
                int d1 = 1 << 30, d2 = 1 << 30;
                const Seed* nearest = nullptr;
                for (int j = cj - 1; j <= cj + 1; ++j)
                    for (int i = ci - 1; i <= ci + 1; ++i) {
                        const Seed& sd = seeds[static_cast<std::size_t>(j * cols + i)];
                        const int d = (sd.x - x) * (sd.x - x) + (sd.y - y) * (sd.y - y);
                        if (d < d1) {
                            d2 = d1;
                            d1 = d;
                            nearest = &sd;
                        } else if (d < d2) {
                            d2 = d;
                        }
                    }
                const bool boundary = d2 - d1 < 2 * cell;
                const int noise = static_cast<int>(nextRandom(s) % 13) - 6;
                const int v = (boundary ? 45 : nearest->tone) + noise;
                auto clamp = [](int c) { return static_cast<std::uint8_t>(c < 0 ? 0 : c > 255 ? 255 : c); };
                row[3 * x] = clamp(v - 12 - nearest->tint / 2);      // blue
                row[3 * x + 1] = clamp(v + nearest->tint / 4);       // green
                row[3 * x + 2] = clamp(v + 10 + nearest->tint);      // red
            }
        }
        return g;
    }();
    return image;
}

void BM_ConvertToResolution6(benchmark::State& state)
{
    const TPixelGraphic& src = micrograph();
    for (auto _ : state) {
        TPixelGraphic t = ConvertTo(src, 6);
        benchmark::DoNotOptimize(t.bits());
    }
}
BENCHMARK(BM_ConvertToResolution6)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

void BM_ConvertToResolution5(benchmark::State& state)
{
    const TPixelGraphic& src = micrograph();
    for (auto _ : state) {
        TPixelGraphic t = ConvertTo(src, 5);
        benchmark::DoNotOptimize(t.bits());
    }
}
BENCHMARK(BM_ConvertToResolution5)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

void BM_OptimisedPaletteOnly(benchmark::State& state)
{
    const TPixelGraphic& src = micrograph();
    TPixelGraphic target(1, 1, TPixelFormat::pf8Bit);
    for (auto _ : state) {
        OptimisedPalette(target, src, 252, true);
        benchmark::DoNotOptimize(target.Palette().data());
    }
}
BENCHMARK(BM_OptimisedPaletteOnly)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

// ---- ImageMagick on the same pixels ----

const std::string& ppmPath()
{
    static const std::string path = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string p = std::string(tmp && *tmp ? tmp : "/tmp") + "/tesra_color_conversion_bench.ppm";
        const TPixelGraphic& g = micrograph();
        std::ofstream out(p, std::ios::binary);
        out << "P6\n" << kLargeWidth << ' ' << kLargeHeight << "\n255\n";
        std::vector<char> line(static_cast<std::size_t>(kLargeWidth) * 3);
        for (int y = 0; y < kLargeHeight; ++y) {
            const std::uint8_t* row = g.rowData(y);
            for (int x = 0; x < kLargeWidth; ++x) {
                line[static_cast<std::size_t>(3 * x)] = static_cast<char>(row[3 * x + 2]);
                line[static_cast<std::size_t>(3 * x + 1)] = static_cast<char>(row[3 * x + 1]);
                line[static_cast<std::size_t>(3 * x + 2)] = static_cast<char>(row[3 * x]);
            }
            out.write(line.data(), static_cast<std::streamsize>(line.size()));
        }
        return p;
    }();
    return path;
}

bool haveProgram(const std::string& name) { return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0; }

// Runs `command` (with the placeholders IN and OUT replaced by the test image and an output
// file of the given extension) once per iteration.
void runProgram(benchmark::State& state, const std::string& program, const std::string& arguments,
                const std::string& extension)
{
    if (!haveProgram(program)) {
        state.SkipWithError((program + " not installed").c_str());
        return;
    }
    const std::string in = ppmPath();
    const std::string out = in + ".out." + extension;
    std::string command = program + " " + arguments;
    for (const auto& [key, value] : {std::pair<std::string, std::string>{"IN", in}, {"OUT", out}}) {
        const std::size_t at = command.find(key);
        if (at != std::string::npos)
            command.replace(at, key.size(), value);
    }
    // The work happens in a child process, so its processor time is taken from the children's
    // usage (the CPU column shows only this process waiting).
    rusage before{}, after{};
    getrusage(RUSAGE_CHILDREN, &before);
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError((program + " failed").c_str());
            break;
        }
    }
    getrusage(RUSAGE_CHILDREN, &after);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec * 1e-6; };
    const double cpu = seconds(after.ru_utime) - seconds(before.ru_utime) + seconds(after.ru_stime) -
                       seconds(before.ru_stime);
    state.counters["child_cpu_ms"] = benchmark::Counter(cpu * 1000.0 / static_cast<double>(state.iterations()));
    std::remove(out.c_str());
}

void runImageMagick(benchmark::State& state, const std::string& options, const std::string& extension = "ppm")
{
    runProgram(state, "convert-im6.q16", "IN " + options + " OUT", extension);
}

void BM_ImageMagickColors252(benchmark::State& state) { runImageMagick(state, "-dither FloydSteinberg -colors 252"); }
BENCHMARK(BM_ImageMagickColors252)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

void BM_ImageMagickCopy(benchmark::State& state) { runImageMagick(state, ""); }
BENCHMARK(BM_ImageMagickCopy)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

void BM_ImageMagickGrey(benchmark::State& state) { runImageMagick(state, "-colorspace Gray", "pgm"); }
BENCHMARK(BM_ImageMagickGrey)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

// ---- Saving as a grey map ----

std::string pgmPath()
{
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp && *tmp ? tmp : "/tmp") + "/tesra_color_conversion_bench_out.pgm";
}

void saveGreyMap(benchmark::State& state, bool raw)
{
    const TPixelGraphic& src = micrograph();
    FormatOptions options;
    options.warningHandling = WarningHandling::Silent;
    options.pnmRawForm = raw;
    const std::string path = pgmPath();
    for (auto _ : state)
        saveImage(src, path, options);
    std::remove(path.c_str());
}

void BM_SavePgmText(benchmark::State& state) { saveGreyMap(state, false); }
BENCHMARK(BM_SavePgmText)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

void BM_SavePgmRaw(benchmark::State& state) { saveGreyMap(state, true); }
BENCHMARK(BM_SavePgmRaw)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

// The writer alone, into a sink that only counts the bytes.
class CountingBuffer : public std::streambuf {
public:
    std::size_t count = 0;

protected:
    std::streamsize xsputn(const char*, std::streamsize n) override
    {
        count += static_cast<std::size_t>(n);
        return n;
    }
    int_type overflow(int_type c) override
    {
        ++count;
        return c;
    }
};

void writeGreyMapOnly(benchmark::State& state, bool raw)
{
    const TPixelGraphic grey = ConvertTo(micrograph(), 5);
    for (auto _ : state) {
        CountingBuffer sink;
        std::ostream out(&sink);
        writePnm(grey, out, 2, raw);
        benchmark::DoNotOptimize(sink.count);
        state.counters["bytes"] = static_cast<double>(sink.count);
    }
}

void BM_WritePgmTextOnly(benchmark::State& state) { writeGreyMapOnly(state, false); }
BENCHMARK(BM_WritePgmTextOnly)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

void BM_WritePgmRawOnly(benchmark::State& state) { writeGreyMapOnly(state, true); }
BENCHMARK(BM_WritePgmRawOnly)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

void BM_PpmtopgmText(benchmark::State& state) { runProgram(state, "ppmtopgm", "-plain IN > OUT", "pgm"); }
BENCHMARK(BM_PpmtopgmText)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

void BM_PpmtopgmRaw(benchmark::State& state) { runProgram(state, "ppmtopgm", "IN > OUT", "pgm"); }
BENCHMARK(BM_PpmtopgmRaw)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

}  // namespace
}  // namespace tesra
