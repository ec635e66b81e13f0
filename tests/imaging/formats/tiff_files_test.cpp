// TIFF files written by other programs (tools/make_tiff_test_files.sh: netpbm, tiffcp,
// ImageMagick, Pillow) in every variant the reader takes: LZW and Deflate with and without
// the predictor, tiles, separate planes, both byte orders, reversed bit order, two pages,
// 16-bit grey and RGB and 32-bit floating-point grey. Each is compared with the samples it
// was made from; the deep ones with a reduction computed here from the formula.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <filesystem>
#include <optional>

#include "imaging/formats/format_error.h"
#include "imaging/formats/image_format.h"
#include "imaging/formats/tiff.h"
#include "tests/imaging/formats/jpeg_png_tiff_reference.h"
#include "tests/test_support.h"

namespace tesra {
namespace {

std::string dataDir() { return test::sourceDir() + "/tests/data/tiff"; }

// A source picture: width × height samples of 1 or 3 channels, as stored in the PNM file.
struct Source {
    int width = 0, height = 0, channels = 0;
    std::vector<double> samples;
    double at(int x, int y, int c) const { return samples[(static_cast<std::size_t>(y) * width + x) * channels + c]; }
};

// The PNM sources written by the generator (P5/P6, maxval 255 or 65535, big-endian words).
Source readSource(const std::string& path)
{
    const std::vector<std::uint8_t> d = test::readFile(path);
    std::size_t p = 0;
    auto token = [&] {
        while (p < d.size() && std::isspace(d[p]))
            ++p;
        std::string t;
        while (p < d.size() && !std::isspace(d[p]))
            t += static_cast<char>(d[p++]);
        return t;
    };
    Source s;
    s.channels = token() == "P6" ? 3 : 1;
    s.width = std::stoi(token());
    s.height = std::stoi(token());
    const int maxval = std::stoi(token());
    ++p;
    const std::size_t n = static_cast<std::size_t>(s.width) * s.height * s.channels;
    for (std::size_t i = 0; i < n; ++i) {
        if (maxval > 255) {
            s.samples.push_back((d[p] << 8) | d[p + 1]);
            p += 2;
        } else {
            s.samples.push_back(d[p++]);
        }
    }
    return s;
}

// The floating-point picture, by the generator's formula, in single precision as stored.
Source floatSource()
{
    Source s;
    s.width = 37;
    s.height = 23;
    s.channels = 1;
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x)
            s.samples.push_back(static_cast<float>((x - 20) * 0.375 + y * 1.5 - 3.25));
    return s;
}

// The expected byte of a deep sample: (v − lo) × 255 / (hi − lo), halves to even, worked out
// exactly on integers where the samples are integers.
int expectedByte(double v, double lo, double hi)
{
    if (v == std::floor(v) && lo == std::floor(lo) && hi == std::floor(hi)) {
        const long long q = static_cast<long long>(v - lo) * 255, d = static_cast<long long>(hi - lo);
        long long r = q / d;
        const long long rest = q % d;
        if (2 * rest > d || (2 * rest == d && r % 2 == 1))
            ++r;
        return static_cast<int>(r);
    }
    const long double exact = (static_cast<long double>(v) - lo) * 255 / (static_cast<long double>(hi) - lo);
    const long double down = std::floor(exact);
    if (exact - down > 0.5L || (exact - down == 0.5L && std::fmod(down, 2.0L) != 0))
        return static_cast<int>(down) + 1;
    return static_cast<int>(down);
}

class TiffFile : public testing::TestWithParam<std::string> {};

TEST_P(TiffFile, MatchesItsSource)
{
    const std::string name = GetParam();
    const std::string kind = name.substr(0, name.find('-'));
    TPixelGraphic image;
    DepthReduction reduction;
    readTiff(ByteSpan(test::readFile(dataDir() + "/" + name)), image, {}, nullptr, &reduction);

    const bool deep = kind == "grey16" || kind == "rgb16" || kind == "float32";
    // JPEG is lossy: its files are compared with what libtiff's tiff2rgba decodes from them.
    const std::string answer = dataDir() + "/" + name.substr(0, name.size() - 4) + ".answer.ppm";
    const bool lossy = name.find("jpeg") != std::string::npos;
    const Source src = lossy                ? readSource(answer)
                       : kind == "float32" ? floatSource()
                                           : readSource(dataDir() + "/" + kind + (kind.rfind("rgb", 0) == 0 ? ".ppm" : ".pgm"));
    ASSERT_EQ(image.Width(), src.width);
    ASSERT_EQ(image.Height(), src.height);
    EXPECT_EQ(image.ColorResolution(), kind == "bw" ? 0 : (kind.rfind("rgb", 0) == 0 ? 7 : 5));
    EXPECT_EQ(reduction.reduced(), deep);

    double lo = 0, hi = 0;
    if (deep) {
        lo = hi = src.samples[0];
        for (double v : src.samples) {
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
        EXPECT_EQ(reduction.bits, kind == "float32" || name.find("int32") != std::string::npos ? 32 : 16);
        EXPECT_EQ(reduction.minimum, lo);
        EXPECT_EQ(reduction.maximum, hi);
    }
    for (int y = 0; y < src.height; ++y)
        for (int x = 0; x < src.width; ++x) {
            int want[3];
            for (int c = 0; c < 3; ++c) {
                const double v = src.at(x, y, src.channels == 3 ? c : 0);
                want[c] = deep ? expectedByte(v, lo, hi) : static_cast<int>(v);
            }
            ASSERT_EQ(image.GetColor(x, y), rgb(want[0], want[1], want[2])) << name << " at " << x << "," << y;
        }

    // The 8-bit files decode in Pillow as in our reader.
    if (!deep) {
        const auto pillow = test::decodeWithPillow(dataDir() + "/" + name);
        if (pillow) {
            EXPECT_EQ(test::maxDifference(image, *pillow), 0) << name;
        }
    }
}

std::vector<std::string> tiffFiles()
{
    std::vector<std::string> out;
    for (const std::string& f : test::filesIn(dataDir(), {".tif"}))
        out.push_back(std::filesystem::path(f).filename().string());
    return out;
}

INSTANTIATE_TEST_SUITE_P(Written, TiffFile, testing::ValuesIn(tiffFiles()),
                         [](const auto& info) { return test::testName(info.param); });

TEST(TiffFiles, EveryVariantIsThere)
{
    // The generator's output is committed; a missing file would silently drop a variant.
    EXPECT_GE(tiffFiles().size(), 50u);
}

TEST(TiffFiles, ReducedImageSaysSoWithItsRange)
{
    TPixelGraphic image;
    DepthReduction r;
    readTiff(ByteSpan(test::readFile(dataDir() + "/grey16-tiffcp-lzw-pred.tif")), image, {}, nullptr, &r);
    EXPECT_EQ(depthReductionText(r), "16-bit image shown as 8-bit, range 300\u20132590");
    readTiff(ByteSpan(test::readFile(dataDir() + "/float32-pillow.tif")), image, {}, nullptr, &r);
    EXPECT_EQ(depthReductionText(r), "32-bit image shown as 8-bit, range -10.75\u201335.75");
    readTiff(ByteSpan(test::readFile(dataDir() + "/grey8-tiffcp-lzw.tif")), image, {}, nullptr, &r);
    EXPECT_FALSE(r.reduced());
    EXPECT_EQ(depthReductionText(r), "");
}

TEST(TiffFiles, LoadingTellsTheStatusPanelAboutTheReduction)
{
    std::vector<std::string> notes;
    FormatOptions options;
    options.loadNote = [&](const std::string& text) { notes.push_back(text); };
    TPixelGraphic image;
    loadImage(dataDir() + "/rgb16-tiffcp-lzw.tif", image, options);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0], "16-bit image shown as 8-bit, range 1000\u201360000");
    loadImage(dataDir() + "/rgb8-tiffcp-lzw.tif", image, options);
    EXPECT_EQ(notes.size(), 1u);
}

}  // namespace
}  // namespace tesra
