// Loading a 6000 × 4000 micrograph-like image from LZW and Deflate TIFF files, against
// ImageMagick reading the same files (convert-im6.q16 FILE null:). The files are written from
// our uncompressed TIFF by ImageMagick (LZW and Deflate without a predictor, its default) and
// by libtiff's tiffcp (the same with the horizontal predictor, as microscope software often
// writes). 16-bit grey and RGB files, plain and LZW, show the cost of the reduction by the
// image's range.
//
//   BM_LoadTiff/<kind>        readTiff from the file's bytes in memory
//   BM_LibtiffAlone/<kind>    bare libtiff decoding every strip of the (mapped) file into
//                             one fresh buffer of the file's samples, nothing else done: the
//                             reference
//   BM_ImageMagickTiff/<kind> the program, reporting child_cpu_ms (its own processor time)
//
// Each load also reports peak_MB: the growth of the process's peak resident memory during one
// load with the file read from disk.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <sys/resource.h>

#include "imaging/formats/tiff.h"
#include "bench/bench_micrograph.h"

#ifdef TESRA_HAVE_LIBTIFF
#include <tiffio.h>
#endif

namespace tesra {
namespace {

using namespace bench;

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

TPixelGraphic micrograph()
{
    return etchedMicrograph(kWidth, kHeight);
}

const char* const kMagick = "/usr/bin/convert-im6.q16";

struct Kind {
    const char* name;
    const char* command;  // writes OUT from the uncompressed 24-bit file IN
};
const Kind kKinds[] = {
    {"lzw", "/usr/bin/convert-im6.q16 IN -compress LZW OUT"},
    {"deflate", "/usr/bin/convert-im6.q16 IN -compress Zip OUT"},
    {"lzw_predictor", "/usr/bin/tiffcp -c lzw:2 IN OUT"},
    {"deflate_predictor", "/usr/bin/tiffcp -c zip:2 IN OUT"},
    {"grey16_lzw", "/usr/bin/convert-im6.q16 IN -colorspace Gray -depth 16 -compress LZW OUT"},
    {"grey16", "/usr/bin/convert-im6.q16 IN -colorspace Gray -depth 16 -compress None OUT"},
    {"rgb16", "/usr/bin/convert-im6.q16 IN -depth 16 -compress None OUT"},
    {"rgb16_lzw", "/usr/bin/convert-im6.q16 IN -depth 16 -compress LZW OUT"},
    {"deflate_tiffcp", "/usr/bin/tiffcp -c zip IN OUT"},
};
constexpr int kKindCount = static_cast<int>(std::size(kKinds));

std::string fileOf(int kind) { return std::string("/tmp/tesra_tiff_bench_") + kKinds[kind].name + ".tif"; }

// The files, made once per run.
bool makeFiles()
{
    static const bool made = [] {
        const std::string base = "/tmp/tesra_tiff_bench_base.tif";
        {
            std::ofstream out(base, std::ios::binary);
            writeTiff(micrograph(), out);
        }
        for (int k = 0; k < static_cast<int>(std::size(kKinds)); ++k) {
            std::string cmd = kKinds[k].command;
            cmd.replace(cmd.find("IN"), 2, base);
            cmd.replace(cmd.find("OUT"), 3, fileOf(k));
            if (std::system((cmd + " >/dev/null 2>&1").c_str()) != 0)
                return false;
        }
        return true;
    }();
    return made;
}

double childCpuMs()
{
    rusage r{};
    getrusage(RUSAGE_CHILDREN, &r);
    return (r.ru_utime.tv_sec + r.ru_stime.tv_sec) * 1e3 + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e3;
}

void BM_LoadTiff(benchmark::State& state)
{
    const int kind = static_cast<int>(state.range(0));
    if (!makeFiles()) {
        state.SkipWithError("ImageMagick not available to write the files");
        return;
    }
    const std::vector<std::uint8_t> bytes = readWhole(fileOf(kind));
    for (auto _ : state) {
        TPixelGraphic image;
        readTiff(ByteSpan(bytes), image, {});
        benchmark::DoNotOptimize(image.bits());
    }
    state.counters["peak_MB"] = peakOfLoadMb(fileOf(kind), [](ByteSpan file, TPixelGraphic& image) {
        readTiff(file, image, {});
    });
    state.counters["file_MB"] = static_cast<double>(bytes.size()) / (1 << 20);
    state.SetLabel(kKinds[kind].name);
}

void BM_ImageMagickTiff(benchmark::State& state)
{
    const int kind = static_cast<int>(state.range(0));
    if (!makeFiles()) {
        state.SkipWithError("ImageMagick not available");
        return;
    }
    const std::string cmd = std::string(kMagick) + " " + fileOf(kind) + " null: >/dev/null 2>&1";
    const double before = childCpuMs();
    for (auto _ : state) {
        if (std::system(cmd.c_str()) != 0)
            state.SkipWithError("failed");
    }
    state.counters["child_cpu_ms"] = (childCpuMs() - before) / static_cast<double>(state.iterations());
    state.SetLabel(kKinds[kind].name);
}

#ifdef TESRA_HAVE_LIBTIFF
void BM_LibtiffAlone(benchmark::State& state)
{
    const int kind = static_cast<int>(state.range(0));
    if (!makeFiles()) {
        state.SkipWithError("ImageMagick not available to write the files");
        return;
    }
    TIFFSetWarningHandler(nullptr);
    for (auto _ : state) {
        TIFF* tif = TIFFOpen(fileOf(kind).c_str(), "r");
        if (!tif) {
            state.SkipWithError("libtiff cannot open the file");
            return;
        }
        // The whole image of the file's own samples, as a program reading through libtiff
        // holds it: every strip decoded into its place.
        const tmsize_t stripSize = TIFFStripSize(tif);
        const tstrip_t strips = TIFFNumberOfStrips(tif);
        std::unique_ptr<std::uint8_t[]> raster(new std::uint8_t[static_cast<std::size_t>(stripSize) * strips]);
        tmsize_t at = 0;
        for (tstrip_t s = 0; s < strips; ++s)
            at += TIFFReadEncodedStrip(tif, s, raster.get() + at, -1);
        benchmark::DoNotOptimize(raster.get());
        TIFFClose(tif);
    }
    state.SetLabel(kKinds[kind].name);
}
BENCHMARK(BM_LibtiffAlone)->DenseRange(0, kKindCount - 1)->Unit(benchmark::kMillisecond)->UseRealTime();
#endif

BENCHMARK(BM_LoadTiff)->DenseRange(0, kKindCount - 1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImageMagickTiff)->DenseRange(0, kKindCount - 1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace tesra
