// Loading and saving a 6000 × 4000 micrograph-like image as PNG, JPEG and TIFF, against the
// libraries decoding the same file alone and against ImageMagick reading it.
//
//   BM_LoadPng / BM_LibpngAlone      readPng against a bare libpng decode loop (one row buffer)
//   BM_LoadJpeg / BM_LibjpegAlone    readJpeg against a bare libjpeg decode loop (one row buffer)
//   BM_LoadTiff / BM_ImageMagickTiff readTiff against convert-im6.q16 FILE null:
//   BM_Djpeg, BM_Pngtopam            the command-line decoders, for reference
//   BM_Save*                         the writers into memory
//   BM_BufferAllocation              making the empty 6000 × 4000 × 24-bit buffer alone: the
//                                    first touch of its 69 MB, which every load pays and the
//                                    libraries decoding into one row do not
//
// The command-line programs report child_cpu_ms, their own processor time per run, which is
// steadier than the wall time on a busy machine.
//
// Each load also reports peak_MB: the growth of the process's peak resident memory during one
// load, with the file read from disk inside the measurement, and limit_MB = buffer + file.
#include <benchmark/benchmark.h>

#include <csetjmp>
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

#include <jpeglib.h>
#include <png.h>
#include <sys/resource.h>

#include "imaging/formats/jpeg.h"
#include "imaging/formats/png.h"
#include "imaging/formats/tiff.h"
#include "bench/bench_micrograph.h"

namespace tesra {
namespace {

using namespace bench;

const TPixelGraphic& micrograph()
{
    static const TPixelGraphic image = etchedMicrograph(kLargeWidth, kLargeHeight);
    return image;
}

std::string fileFor(const char* ext)
{
    return std::string("/tmp/tesra_formats_bench.") + ext;
}

// The three files, written once by our writers.
const std::string& encoded(const char* ext)
{
    static const std::string png = [] {
        std::ostringstream out;
        writePng(micrograph(), out, 1.8);
        return out.str();
    }();
    static const std::string jpeg = [] {
        std::ostringstream out;
        writeJpeg(micrograph(), out, 80);
        return out.str();
    }();
    static const std::string tiff = [] {
        std::ostringstream out;
        writeTiff(micrograph(), out);
        return out.str();
    }();
    const std::string& bytes = std::strcmp(ext, "png") == 0 ? png : std::strcmp(ext, "jpg") == 0 ? jpeg : tiff;
    static bool written[3] = {};
    const int i = std::strcmp(ext, "png") == 0 ? 0 : std::strcmp(ext, "jpg") == 0 ? 1 : 2;
    if (!written[i]) {
        std::ofstream(fileFor(ext), std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        written[i] = true;
    }
    return bytes;
}

ByteSpan spanOf(const std::string& s) { return ByteSpan(reinterpret_cast<const std::uint8_t*>(s.data()), s.size()); }

void reportMemory(benchmark::State& state, const char* ext, double peakMb)
{
    const double bufferMb = static_cast<double>(micrograph().bitsSize()) / (1 << 20);
    const double fileMb = static_cast<double>(encoded(ext).size()) / (1 << 20);
    state.counters["peak_MB"] = peakMb;
    state.counters["limit_MB"] = bufferMb + fileMb;
    state.counters["file_MB"] = fileMb;
}

// ---- Our loads ----

void BM_LoadPng(benchmark::State& state)
{
    const std::string& bytes = encoded("png");
    for (auto _ : state) {
        TPixelGraphic image;
        double gamma = 1.8;
        readPng(spanOf(bytes), image, gamma);
        benchmark::DoNotOptimize(image.bits());
    }
    reportMemory(state, "png", peakOfLoadMb(fileFor("png"), [](ByteSpan d, TPixelGraphic& i) {
                     double g = 1.8;
                     readPng(d, i, g);
                 }));
}

void BM_LoadJpeg(benchmark::State& state)
{
    const std::string& bytes = encoded("jpg");
    for (auto _ : state) {
        TPixelGraphic image;
        readJpeg(spanOf(bytes), image);
        benchmark::DoNotOptimize(image.bits());
    }
    reportMemory(state, "jpg", peakOfLoadMb(fileFor("jpg"), [](ByteSpan d, TPixelGraphic& i) { readJpeg(d, i); }));
}

void BM_LoadTiff(benchmark::State& state)
{
    const std::string& bytes = encoded("tif");
    for (auto _ : state) {
        TPixelGraphic image;
        readTiff(spanOf(bytes), image, {});
        benchmark::DoNotOptimize(image.bits());
    }
    reportMemory(state, "tif", peakOfLoadMb(fileFor("tif"), [](ByteSpan d, TPixelGraphic& i) { readTiff(d, i, {}); }));
}

// ---- The libraries alone ----

struct BarePng {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos;
};

void bareRead(png_structp png, png_bytep out, png_size_t n)
{
    auto* b = static_cast<BarePng*>(png_get_io_ptr(png));
    if (n > b->size - b->pos)
        png_error(png, "eof");
    std::memcpy(out, b->data + b->pos, n);
    b->pos += n;
}

// libpng decoding every row of the file into one row buffer, with nothing else done.
void decodePngAlone(const std::string& bytes, std::vector<std::uint8_t>& row)
{
    BarePng src{reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), 0};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return;
    }
    png_set_read_fn(png, &src, bareRead);
    png_read_info(png, info);
    png_read_update_info(png, info);
    row.resize(png_get_rowbytes(png, info));
    const png_uint_32 h = png_get_image_height(png, info);
    for (png_uint_32 y = 0; y < h; ++y)
        png_read_row(png, row.data(), nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
}

void BM_LibpngAlone(benchmark::State& state)
{
    const std::string& bytes = encoded("png");
    std::vector<std::uint8_t> row;
    for (auto _ : state) {
        decodePngAlone(bytes, row);
        benchmark::DoNotOptimize(row.data());
    }
}

// libjpeg decoding every row with its default output colour space into one row buffer.
void BM_LibjpegAlone(benchmark::State& state)
{
    const std::string& bytes = encoded("jpg");
    for (auto _ : state) {
        jpeg_decompress_struct cinfo;
        jpeg_error_mgr err;
        cinfo.err = jpeg_std_error(&err);
        jpeg_create_decompress(&cinfo);
        jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()));
        jpeg_read_header(&cinfo, TRUE);
        jpeg_start_decompress(&cinfo);
        std::vector<JSAMPLE> row(static_cast<std::size_t>(cinfo.output_width) * cinfo.output_components);
        JSAMPROW rows[1] = {row.data()};
        while (cinfo.output_scanline < cinfo.output_height)
            jpeg_read_scanlines(&cinfo, rows, 1);
        jpeg_finish_decompress(&cinfo);
        jpeg_destroy_decompress(&cinfo);
        benchmark::DoNotOptimize(row.data());
    }
}

// ---- Programs ----

double childCpuMs()
{
    rusage r{};
    getrusage(RUSAGE_CHILDREN, &r);
    return (r.ru_utime.tv_sec + r.ru_stime.tv_sec) * 1e3 + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e3;
}

void runProgram(benchmark::State& state, const std::string& command, const char* ext)
{
    encoded(ext);
    if (std::system((command + " >/dev/null 2>&1").c_str()) != 0) {
        state.SkipWithError(("not available: " + command).c_str());
        return;
    }
    const double before = childCpuMs();
    for (auto _ : state) {
        if (std::system((command + " >/dev/null 2>&1").c_str()) != 0)
            state.SkipWithError("failed");
    }
    state.counters["child_cpu_ms"] = (childCpuMs() - before) / static_cast<double>(state.iterations());
}

void BM_BufferAllocation(benchmark::State& state)
{
    for (auto _ : state) {
        TPixelGraphic image(kLargeWidth, kLargeHeight, TPixelFormat::pf24Bit);
        benchmark::DoNotOptimize(image.bits());
    }
}

void BM_ImageMagickTiff(benchmark::State& state)
{
    runProgram(state, "/usr/bin/convert-im6.q16 " + fileFor("tif") + " null:", "tif");
}
void BM_ImageMagickPng(benchmark::State& state)
{
    runProgram(state, "/usr/bin/convert-im6.q16 " + fileFor("png") + " null:", "png");
}
void BM_ImageMagickJpeg(benchmark::State& state)
{
    runProgram(state, "/usr/bin/convert-im6.q16 " + fileFor("jpg") + " null:", "jpg");
}
void BM_Djpeg(benchmark::State& state) { runProgram(state, "/usr/bin/djpeg -outfile /dev/null " + fileFor("jpg"), "jpg"); }
void BM_Pngtopam(benchmark::State& state) { runProgram(state, "/usr/bin/pngtopam " + fileFor("png") + " > /dev/null", "png"); }

// ---- Saves ----

void BM_SavePng(benchmark::State& state)
{
    for (auto _ : state) {
        std::ostringstream out;
        writePng(micrograph(), out, 1.8);
        benchmark::DoNotOptimize(out);
    }
}
void BM_SaveJpeg(benchmark::State& state)
{
    for (auto _ : state) {
        std::ostringstream out;
        writeJpeg(micrograph(), out, 80);
        benchmark::DoNotOptimize(out);
    }
}
void BM_SaveTiff(benchmark::State& state)
{
    for (auto _ : state) {
        std::ostringstream out;
        writeTiff(micrograph(), out);
        benchmark::DoNotOptimize(out);
    }
}

BENCHMARK(BM_BufferAllocation)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadPng)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LibpngAlone)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Pngtopam)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImageMagickPng)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadJpeg)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LibjpegAlone)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Djpeg)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImageMagickJpeg)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadTiff)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImageMagickTiff)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SavePng)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SaveJpeg)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SaveTiff)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace tesra
