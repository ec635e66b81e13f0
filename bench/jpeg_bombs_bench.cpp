// Hostile JPEG files of a few hundred bytes to a few kilobytes that declare huge images: the
// time and the peak memory one load costs before it is refused (or, in older readers, shown).
//
//   BM_JpegBomb/0  progressive grey, 30000 × 30000, 1000 empty scans after the first two
//   BM_JpegBomb/1  baseline colour, 31622 × 31622 × 3, the scan data of a 16 × 16 image
//   BM_JpegBomb/2  progressive colour, 30000 × 30000, the scans of a 16 × 16 image
//
// Each reports peak_MB (growth of the process's peak resident memory during the load),
// file_bytes and refused (1 when the load failed, as it should).
#include <benchmark/benchmark.h>

#include <csetjmp>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "imaging/formats/format_error.h"
#include "imaging/formats/jpeg.h"
#include "bench/bench_micrograph.h"

namespace tesra {
namespace {

using namespace bench;

struct ErrorJump {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

// A 16 × 16 JPEG written by libjpeg: grey or colour, baseline or progressive (optionally with
// a script of a DC scan and an AC scan, successive approximation off).
std::vector<std::uint8_t> smallJpeg(int components, bool progressive, bool twoScans)
{
    jpeg_compress_struct c{};
    ErrorJump err{};
    c.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = [](j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorJump*>(info->err)->jump, 1); };
    unsigned char* out = nullptr;
    unsigned long size = 0;
    static jpeg_scan_info scans[2] = {{1, {0, 0, 0, 0}, 0, 0, 0, 0}, {1, {0, 0, 0, 0}, 1, 63, 0, 0}};
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&c);
        std::free(out);
        return {};
    }
    jpeg_create_compress(&c);
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = 16;
    c.image_height = 16;
    c.input_components = components;
    c.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 75, TRUE);
    if (progressive)
        jpeg_simple_progression(&c);
    if (twoScans) {
        c.scan_info = scans;
        c.num_scans = 2;
    }
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(16 * components), 128);
    while (c.next_scanline < c.image_height) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&c, rows, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::vector<std::uint8_t> bytes(out, out + size);
    std::free(out);
    return bytes;
}

void patchSize(std::vector<std::uint8_t>& f, int width, int height)
{
    for (std::size_t i = 2; i + 9 < f.size(); ++i)
        if (f[i] == 0xFF && (f[i + 1] == 0xC0 || f[i + 1] == 0xC2)) {
            f[i + 5] = static_cast<std::uint8_t>(height >> 8);
            f[i + 6] = static_cast<std::uint8_t>(height);
            f[i + 7] = static_cast<std::uint8_t>(width >> 8);
            f[i + 8] = static_cast<std::uint8_t>(width);
            return;
        }
}

std::vector<std::uint8_t> bomb(int which)
{
    if (which == 0) {
        std::vector<std::uint8_t> f = smallJpeg(1, true, true);
        patchSize(f, 30000, 30000);
        // The AC scan's header again and again, without data.
        std::size_t sos = 0;
        for (std::size_t i = f.size() - 2; i > 2; --i)
            if (f[i] == 0xFF && f[i + 1] == 0xDA) {
                sos = i;
                break;
            }
        const std::size_t headerLength = 2 + ((f[sos + 2] << 8) | f[sos + 3]);
        const std::vector<std::uint8_t> header(f.begin() + static_cast<std::ptrdiff_t>(sos),
                                               f.begin() + static_cast<std::ptrdiff_t>(sos + headerLength));
        f.resize(f.size() - 2);
        for (int i = 0; i < 1000; ++i)
            f.insert(f.end(), header.begin(), header.end());
        f.push_back(0xFF);
        f.push_back(0xD9);
        return f;
    }
    std::vector<std::uint8_t> f = smallJpeg(3, which == 2, false);
    if (which == 1)
        patchSize(f, 31622, 31622);
    else
        patchSize(f, 30000, 30000);
    return f;
}

void BM_JpegBomb(benchmark::State& state)
{
    const std::vector<std::uint8_t> f = bomb(static_cast<int>(state.range(0)));
    resetPeakMemory();
    const long before = statusKb("VmRSS:");
    int refused = 0;
    for (auto _ : state) {
        TPixelGraphic image;
        try {
            readJpeg(ByteSpan(f.data(), f.size()), image);
        } catch (const EImageFormat&) {
            ++refused;
        }
        benchmark::DoNotOptimize(image.bits());
    }
    state.counters["peak_MB"] = (statusKb("VmHWM:") - before) / 1024.0;
    state.counters["file_bytes"] = static_cast<double>(f.size());
    state.counters["refused"] = refused == static_cast<int>(state.iterations()) ? 1 : 0;
}

BENCHMARK(BM_JpegBomb)->DenseRange(0, 2)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace tesra
