#include "imaging/formats/png.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <sstream>

#include "imaging/formats/format_error.h"
#include "imaging/checked_size.h"
#include "imaging/formats/image_format.h"
#include "tests/imaging/formats/hostile_files.h"
#include "tests/imaging/formats/jpeg_png_tiff_reference.h"
#include "tests/test_support.h"

namespace tesra {
namespace {

using test::RefImage;

// PNG files built chunk by chunk with zlib, independently of libpng.
using PngBuilder = test::PngChunks;

TPixelGraphic read(const std::vector<std::uint8_t>& bytes, double* gamma = nullptr)
{
    TPixelGraphic image;
    double g = 1.8;
    readPng(ByteSpan(bytes), image, g);
    if (gamma)
        *gamma = g;
    return image;
}

TEST(PngRead, GreyDepthsGetTheirGreyPalettes)
{
    // Depth 2 is widened to 4 bits: values 0..3 are greys 0, 85, 170, 255.
    const TPixelGraphic g2 = read(PngBuilder().header(4, 1, 2, 0).rows({{0x1B}}).end());
    EXPECT_EQ(g2.PixelFormat(), TPixelFormat::pf4Bit);
    EXPECT_EQ(g2.ColorResolution(), 2);
    EXPECT_EQ(g2.greyValue(0, 0), 0);
    EXPECT_EQ(g2.greyValue(1, 0), 85);
    EXPECT_EQ(g2.greyValue(2, 0), 170);
    EXPECT_EQ(g2.greyValue(3, 0), 255);

    const TPixelGraphic g1 = read(PngBuilder().header(3, 1, 1, 0).rows({{0x40}}).end());
    EXPECT_EQ(g1.ColorResolution(), 0);
    EXPECT_EQ(g1.greyValue(1, 0), 255);
    EXPECT_EQ(g1.greyValue(0, 0), 0);

    // 16 bits: the high byte is kept.
    const TPixelGraphic g16 = read(PngBuilder().header(2, 1, 16, 0).rows({{0x12, 0xFF, 0xFE, 0x01}}).end());
    EXPECT_EQ(g16.ColorResolution(), 5);
    EXPECT_EQ(g16.greyValue(0, 0), 0x12);
    EXPECT_EQ(g16.greyValue(1, 0), 0xFE);
}

TEST(PngRead, PalettesByBitDepth)
{
    const std::vector<std::uint8_t> plte = {255, 0, 0, 0, 255, 0, 0, 0, 255};
    struct Row {
        int depth;
        TPixelFormat format;
        std::uint8_t byte;  // first pixel index 1, second index 2 (or 0 at depth 1)
    };
    for (const Row& row : {Row{1, TPixelFormat::pf1Bit, 0x80}, Row{2, TPixelFormat::pf4Bit, 0x60},
                           Row{4, TPixelFormat::pf4Bit, 0x12}}) {
        const TPixelGraphic image = read(PngBuilder().header(2, 1, row.depth, 3).chunk("PLTE", plte).rows({{row.byte}}).end());
        EXPECT_EQ(image.PixelFormat(), row.format) << row.depth;
        EXPECT_EQ(image.GetColor(0, 0), rgb(0, 255, 0)) << row.depth;
        EXPECT_EQ(image.GetColor(1, 0), row.depth == 1 ? rgb(255, 0, 0) : rgb(0, 0, 255)) << row.depth;
    }
    const TPixelGraphic p8 = read(PngBuilder().header(2, 1, 8, 3).chunk("PLTE", plte).rows({{2, 1}}).end());
    EXPECT_EQ(p8.PixelFormat(), TPixelFormat::pf8Bit);
    EXPECT_EQ(p8.ColorResolution(), 6);
    EXPECT_EQ(p8.GetColor(0, 0), rgb(0, 0, 255));
    // An index beyond the file's palette reads as black instead of failing later.
    const TPixelGraphic beyond = read(PngBuilder().header(1, 1, 8, 3).chunk("PLTE", plte).rows({{200}}).end());
    EXPECT_EQ(beyond.GetColor(0, 0), rgb(0, 0, 0));
}

TEST(PngRead, TransparencyIsCompositedOntoTheBackground)
{
    // Palette entry 0 (0, 0, 255) with alpha 128 over the file's background, entry 1
    // (200, 100, 0): red (0·128 + 200·127 + 127) div 255 = 100, green 50, blue 128.
    const TPixelGraphic pal = read(PngBuilder()
                                       .header(2, 1, 8, 3)
                                       .chunk("PLTE", {0, 0, 255, 200, 100, 0})
                                       .chunk("tRNS", {128})
                                       .chunk("bKGD", {1})
                                       .rows({{0, 1}})
                                       .end());
    EXPECT_EQ(pal.GetColor(0, 0), rgb(100, 50, 128));
    EXPECT_EQ(pal.GetColor(1, 0), rgb(200, 100, 0));
    EXPECT_EQ(pal.BackgroundValue(), 1u);

    // RGBA without a background: composited onto black; (255·128 + 127) div 255 = 128.
    const TPixelGraphic rgba = read(PngBuilder().header(2, 1, 8, 6).rows({{255, 0, 0, 128, 10, 20, 30, 255}}).end());
    EXPECT_EQ(rgba.PixelFormat(), TPixelFormat::pf24Bit);
    EXPECT_EQ(rgba.GetColor(0, 0), rgb(128, 0, 0));
    EXPECT_EQ(rgba.GetColor(1, 0), rgb(10, 20, 30));
    EXPECT_EQ(rgba.BackgroundValue(), 0u);

    // Grey with alpha over a grey background 100: (200·51 + 100·204 + 127) div 255 = 120.
    const TPixelGraphic ga =
        read(PngBuilder().header(1, 1, 8, 4).chunk("bKGD", {0, 100}).rows({{200, 51}}).end());
    EXPECT_EQ(ga.ColorResolution(), 5);
    EXPECT_EQ(ga.greyValue(0, 0), 120);
    EXPECT_EQ(ga.BackgroundValue(), 100u);

    // An RGB transparency value: that colour becomes the background (16-bit values).
    const TPixelGraphic trns = read(PngBuilder()
                                        .header(2, 1, 8, 2)
                                        .chunk("tRNS", {0, 1, 0, 2, 0, 3})
                                        .chunk("bKGD", {0, 9, 0, 8, 0, 7})
                                        .rows({{1, 2, 3, 1, 2, 4}})
                                        .end());
    EXPECT_EQ(trns.GetColor(0, 0), rgb(9, 8, 7));
    EXPECT_EQ(trns.GetColor(1, 0), rgb(1, 2, 4));
    EXPECT_EQ(trns.BackgroundValue(), rgb(9, 8, 7));

    // A 2-bit grey transparency value 1 over the background value 3 (white); the pixels are
    // 0, 2 and 1.
    const TPixelGraphic low = read(PngBuilder()
                                       .header(3, 1, 2, 0)
                                       .chunk("tRNS", {0, 1})
                                       .chunk("bKGD", {0, 3})
                                       .rows({{0x24}})
                                       .end());
    EXPECT_EQ(low.greyValue(0, 0), 0);
    EXPECT_EQ(low.greyValue(1, 0), 170);
    EXPECT_EQ(low.greyValue(2, 0), 255);  // value 1, transparent
}

TEST(PngRead, GammaChunkGivesTheImageGamma)
{
    double gamma = 0;
    read(PngBuilder().header(1, 1, 8, 0).chunk("gAMA", {0, 0, 0xB1, 0x8F}).rows({{0}}).end(), &gamma);
    EXPECT_NEAR(gamma, 1 / 0.45455, 1e-9);
    read(PngBuilder().header(1, 1, 8, 0).rows({{0}}).end(), &gamma);
    EXPECT_EQ(gamma, 1.8);  // left as it was
}

// Only a real gamma chunk gives the image a gamma: an sRGB chunk or an sRGB ICC profile,
// which libpng also reports as a gamma, leaves grey values as stored.
TEST(PngRead, GammaOnlyFromAGammaChunk)
{
    const std::vector<std::uint8_t> profile = test::readFile(test::sourceDir() + "/tests/data/png/srgb-profile.iccp");
    ASSERT_FALSE(profile.empty());
    const std::vector<std::uint8_t> gAMA = {0, 0, 0xB1, 0x8F};  // 0.45455
    struct Case {
        const char* name;
        std::vector<std::uint8_t> file;
        double gamma;
    };
    const Case cases[] = {
        {"sRGB only", test::PngChunks().header(2, 1, 8, 0).chunk("sRGB", {0}).compressed({0, 80, 44}).end(), 1.8},
        {"iCCP only", test::PngChunks().header(2, 1, 8, 0).chunk("iCCP", profile).compressed({0, 80, 44}).end(), 1.8},
        {"gAMA and sRGB", test::PngChunks().header(2, 1, 8, 0).chunk("gAMA", gAMA).chunk("sRGB", {0}).compressed({0, 80, 44}).end(),
         1 / 0.45455},
        {"gAMA only", test::PngChunks().header(2, 1, 8, 0).chunk("gAMA", {0, 1, 0x86, 0xA0}).compressed({0, 80, 44}).end(), 1.0},
    };
    const std::string dir = test::makeTempDir("png_gamma");
    for (const Case& c : cases) {
        double gamma = 0;
        const TPixelGraphic image = read(c.file, &gamma);
        EXPECT_NEAR(gamma, c.gamma, 1e-9) << c.name;
        // Through the loader with its correction: grey 80 and 44 stay as stored without a
        // gamma chunk (with one of 1/2.2 they become 62 and 30 on the 1.8 display gamma, with one of 1.0
        // 134 and 96).
        const std::string path = dir + "/probe.png";
        test::writeFile(path, c.file);
        TPixelGraphic loaded;
        loadImage(path, loaded);
        const bool corrected = std::string(c.name) == "gAMA and sRGB";
        const bool linear = std::string(c.name) == "gAMA only";
        EXPECT_EQ(loaded.greyValue(0, 0), corrected ? 62 : linear ? 134 : 80) << c.name;
        EXPECT_EQ(loaded.greyValue(1, 0), corrected ? 30 : linear ? 96 : 44) << c.name;
    }
    // A gamma chunk with a wrong checksum is dropped by libpng and gives no gamma either.
    std::vector<std::uint8_t> bad = test::PngChunks().header(2, 1, 8, 0).chunk("gAMA", gAMA).chunk("sRGB", {0}).compressed({0, 80, 44}).end();
    bad[33 + 12] ^= 1;  // inside the gamma chunk's value
    double gamma = 0;
    read(bad, &gamma);
    EXPECT_EQ(gamma, 1.8);
}

// Adam7 written by hand: the pixels of pass p in rows and columns stepping from its start.
std::vector<std::uint8_t> adam7Rows(const std::vector<std::vector<std::uint8_t>>& pixels, int bytesPerPixel)
{
    static const int startX[7] = {0, 4, 0, 2, 0, 1, 0}, stepX[7] = {8, 8, 4, 4, 2, 2, 1};
    static const int startY[7] = {0, 0, 4, 0, 2, 0, 1}, stepY[7] = {8, 8, 8, 4, 4, 2, 2};
    const int h = static_cast<int>(pixels.size());
    const int w = static_cast<int>(pixels[0].size()) / bytesPerPixel;
    std::vector<std::uint8_t> raw;
    for (int p = 0; p < 7; ++p) {
        if (startX[p] >= w || startY[p] >= h)
            continue;
        for (int y = startY[p]; y < h; y += stepY[p]) {
            raw.push_back(0);
            for (int x = startX[p]; x < w; x += stepX[p])
                for (int b = 0; b < bytesPerPixel; ++b)
                    raw.push_back(pixels[static_cast<std::size_t>(y)][static_cast<std::size_t>(x * bytesPerPixel + b)]);
        }
    }
    return raw;
}

// An interlaced file whose rows need finishing (alpha, 2-bit grey or palette) loads whenever
// the image itself fits the size limit: its passes are placed pixel by pixel, with no
// scratch copy of the whole image beside it.
TEST(PngRead, InterlacedRowsNeedNoScratchImage)
{
    const int w = 37, h = 23;
    std::vector<std::vector<std::uint8_t>> rgba(h), grey2(h), pal2(h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            rgba[y].insert(rgba[y].end(), {static_cast<std::uint8_t>(x * 7), static_cast<std::uint8_t>(y * 11),
                                           static_cast<std::uint8_t>(x + y), static_cast<std::uint8_t>((x * y) % 256)});
        grey2[y].assign((w + 3) / 4, 0);
        for (int x = 0; x < w; ++x)
            grey2[y][x / 4] = static_cast<std::uint8_t>(grey2[y][x / 4] | (((x + 2 * y) % 4) << (6 - 2 * (x % 4))));
        pal2[y] = grey2[y];
    }
    auto interlaced = [&](int depth, int type, const std::vector<std::vector<std::uint8_t>>& rows, int bpp) {
        test::PngChunks c;
        c.header(w, h, depth, type, 1);
        if (type == 3)
            c.chunk("PLTE", {255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 9, 9});
        return c.compressed(bpp ? adam7Rows(rows, bpp) : std::vector<std::uint8_t>()).end();
    };
    // 2-bit rows have no whole bytes per pixel: spread them one byte per pixel for the
    // pass layout and pack each pass row again.
    auto interlacedPacked = [&](int type) {
        static const int startX[7] = {0, 4, 0, 2, 0, 1, 0}, stepX[7] = {8, 8, 4, 4, 2, 2, 1};
        static const int startY[7] = {0, 0, 4, 0, 2, 0, 1}, stepY[7] = {8, 8, 8, 4, 4, 2, 2};
        std::vector<std::uint8_t> raw;
        for (int p = 0; p < 7; ++p) {
            if (startX[p] >= w || startY[p] >= h)
                continue;
            for (int y = startY[p]; y < h; y += stepY[p]) {
                raw.push_back(0);
                std::vector<std::uint8_t> packed;
                int n = 0;
                for (int x = startX[p]; x < w; x += stepX[p], ++n) {
                    if (n % 4 == 0)
                        packed.push_back(0);
                    const int v = (grey2[y][x / 4] >> (6 - 2 * (x % 4))) & 3;
                    packed.back() = static_cast<std::uint8_t>(packed.back() | (v << (6 - 2 * (n % 4))));
                }
                raw.insert(raw.end(), packed.begin(), packed.end());
            }
        }
        test::PngChunks c;
        c.header(w, h, 2, type, 1);
        if (type == 3)
            c.chunk("PLTE", {255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 9, 9});
        return c.compressed(raw).end();
    };
    const std::vector<std::uint8_t> alphaFile = interlaced(8, 6, rgba, 4);
    const std::vector<std::uint8_t> plainAlpha = PngBuilder().header(w, h, 8, 6).rows(rgba).end();

    // The 24-bit image fits in 2,576 bytes, libpng's RGBA rows would take 3,404.
    const ImageSizeLimits saved = imageSizeLimits();
    setImageSizeLimits({saved.maxPixels, 3000});
    TPixelGraphic image;
    double gamma = 1.8;
    EXPECT_NO_THROW(readPng(ByteSpan(alphaFile), image, gamma));
    setImageSizeLimits(saved);
    const TPixelGraphic expected = read(plainAlpha);
    ASSERT_EQ(image.Width(), w);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            ASSERT_EQ(image.GetColor(x, y), expected.GetColor(x, y)) << x << "," << y;

    for (int type : {0, 3}) {
        const TPixelGraphic lace = read(interlacedPacked(type));
        test::PngChunks c;
        c.header(w, h, 2, type);
        if (type == 3)
            c.chunk("PLTE", {255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 9, 9});
        std::vector<std::uint8_t> raw;
        for (const auto& r : grey2) {
            raw.push_back(0);
            raw.insert(raw.end(), r.begin(), r.end());
        }
        const TPixelGraphic plain = read(c.compressed(raw).end());
        ASSERT_EQ(lace.PixelFormat(), TPixelFormat::pf4Bit);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(lace.GetColor(x, y), plain.GetColor(x, y)) << type << " " << x << "," << y;
    }
}

// What follows the image's last row in the compressed stream is not inflated: a stream that
// goes on (here 8 MB of zeros) and never ends still gives the complete image.
TEST(PngRead, StreamAfterTheLastRowIsNotRead)
{
    for (bool finished : {false, true}) {
        const std::vector<std::uint8_t> file = test::trailingStreamBomb(8, finished);
        EXPECT_LT(file.size(), 20'000u);
        TPixelGraphic image;
        double gamma = 1.8;
        ASSERT_NO_THROW(readPng(ByteSpan(file), image, gamma)) << finished;
        EXPECT_EQ(image.greyValue(0, 0), 128);
    }
}

// A header of 100000 × (2^31 - 1) pixels (640 TB, beyond any address space) with the size
// limits lifted: the system refuses the memory, and the reader says so in its own words
// instead of letting std::bad_alloc out.
TEST(PngRead, MemoryTheSystemRefusesIsImageTooLarge)
{
    const std::vector<std::uint8_t> file = test::PngChunks().header(100000, 0x7FFFFFFF, 8, 2).compressed({0}).end();
    const ImageSizeLimits saved = imageSizeLimits();
    setImageSizeLimits({UINT64_MAX, UINT64_MAX});
    TPixelGraphic image;
    double gamma = 1.8;
    try {
        readPng(ByteSpan(file), image, gamma);
        ADD_FAILURE() << "accepted";
    } catch (const EImageFormat& e) {
        EXPECT_STREQ(e.what(), "PNG: Image too large");
    } catch (const std::bad_alloc&) {
        ADD_FAILURE() << "std::bad_alloc left the reader";
    }
    setImageSizeLimits(saved);
    // The interlaced bomb of 68 bytes under the normal limits fails at once for its missing data.
    EXPECT_THROW(read(test::interlacedAlphaBomb()), EImageFormat);
}

TEST(PngRead, DamagedFilesAreRefusedAndKeepTheImage)
{
    const std::vector<std::uint8_t> good = PngBuilder().header(5, 4, 8, 2).rows(std::vector<std::vector<std::uint8_t>>(
                                                                                    4, std::vector<std::uint8_t>(15, 9)))
                                               .end();
    TPixelGraphic kept(1, 1, TPixelFormat::pf24Bit);
    kept.SetPixel(0, 0, rgb(4, 5, 6));
    // Every cut before the last byte of the image data fails; the IEND chunk may be missing.
    for (std::size_t n = 0; n + 12 < good.size(); ++n) {
        const std::vector<std::uint8_t> part(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
        double g = 1.8;
        try {
            readPng(ByteSpan(part), kept, g);
            ADD_FAILURE() << "cut at " << n << " was accepted";
        } catch (const EImageFormat& e) {
            EXPECT_EQ(std::string(e.what()).rfind("PNG: ", 0), 0u) << e.what();
        }
        EXPECT_EQ(kept.GetColor(0, 0), rgb(4, 5, 6));
    }
    std::vector<std::uint8_t> badCrc = good;
    badCrc[29] ^= 1;  // inside the IHDR CRC
    EXPECT_THROW(read(badCrc), EImageFormat);

    // Image data over four chunks, the last going on after the last row: a damaged checksum
    // of any of them refuses the file, whether libpng read the chunk whole or stopped in it.
    std::vector<std::uint8_t> raw;
    for (int y = 0; y < 64; ++y) {
        raw.push_back(0);
        for (int x = 0; x < 3 * 64; ++x)
            raw.push_back(static_cast<std::uint8_t>(x * 7 + y * 13));
    }
    raw.insert(raw.end(), 4000, 0);
    uLongf zSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<std::uint8_t> z(zSize);
    compress2(z.data(), &zSize, raw.data(), static_cast<uLong>(raw.size()), 0);  // stored: the split is exact
    z.resize(zSize);
    PngBuilder split;
    split.header(64, 64, 8, 2);
    std::vector<std::size_t> crcAt;
    const std::size_t piece = (z.size() + 3) / 4;
    for (std::size_t at = 0; at < z.size(); at += piece) {
        split.chunk("IDAT", std::vector<std::uint8_t>(z.begin() + static_cast<std::ptrdiff_t>(at),
                                                      z.begin() + static_cast<std::ptrdiff_t>(std::min(z.size(), at + piece))));
        crcAt.push_back(split.out.size() - 1);
    }
    const std::vector<std::uint8_t> chunks = split.end();
    ASSERT_EQ(crcAt.size(), 4u);
    ASSERT_NO_THROW(read(chunks));
    for (std::size_t i = 0; i < crcAt.size(); ++i) {
        std::vector<std::uint8_t> damaged = chunks;
        damaged[crcAt[i]] ^= 0x40;
        try {
            read(damaged);
            ADD_FAILURE() << "damaged checksum of image data chunk " << i << " was accepted";
        } catch (const EImageFormat& e) {
            EXPECT_STREQ(e.what(), "PNG: IDAT: CRC error") << i;
        }
    }
}

TEST(PngRead, LibpngLimitsRefuseHugeHeaders)
{
    // 100000 × 100000 is beyond the buffer's pixel limit; refused before any allocation.
    try {
        read(PngBuilder().header(100000, 100000, 8, 2).rows({{0}}).end());
        FAIL() << "accepted";
    } catch (const EImageFormat& e) {
        EXPECT_EQ(std::string(e.what()).rfind("PNG: ", 0), 0u) << e.what();
    }
}

// ---- Writer ----

struct Chunks {
    int depth = 0;
    int colorType = -1;
    int interlace = -1;
    std::uint32_t gamma = 0;
    std::size_t paletteEntries = 0;
};

Chunks chunksOf(const std::string& file)
{
    Chunks c;
    auto u32 = [&](std::size_t p) {
        return std::uint32_t(std::uint8_t(file[p])) << 24 | std::uint32_t(std::uint8_t(file[p + 1])) << 16 |
               std::uint32_t(std::uint8_t(file[p + 2])) << 8 | std::uint8_t(file[p + 3]);
    };
    for (std::size_t p = 8; p + 8 <= file.size();) {
        const std::uint32_t len = u32(p);
        const std::string type = file.substr(p + 4, 4);
        if (type == "IHDR") {
            c.depth = std::uint8_t(file[p + 16]);
            c.colorType = std::uint8_t(file[p + 17]);
            c.interlace = std::uint8_t(file[p + 20]);
        } else if (type == "gAMA") {
            c.gamma = u32(p + 8);
        } else if (type == "PLTE") {
            c.paletteEntries = len / 3;
        }
        p += 12 + len;
    }
    return c;
}

TPixelGraphic picture(int resolution)
{
    const int w = 29, h = 13;
    if (resolution == 7) {
        TPixelGraphic image(w, h, TPixelFormat::pf24Bit);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                image.SetPixel(x, y, rgb(x * 8, y * 19, (x * y) % 256));
        return image;
    }
    const TPixelFormat formats[] = {TPixelFormat::pf1Bit, TPixelFormat::pf1Bit, TPixelFormat::pf4Bit,
                                    TPixelFormat::pf4Bit, TPixelFormat::pf4Bit, TPixelFormat::pf8Bit,
                                    TPixelFormat::pf8Bit};
    TPixelGraphic image(w, h, formats[resolution]);
    switch (resolution) {
    case 0:
        image.SetPaletteIdent(pBlackWhite);
        break;
    case 1:
        image.SetPalette({rgb(200, 0, 0), rgb(0, 0, 90)});
        break;
    case 2:
        image.SetPaletteIdent(pGray16);
        break;
    case 3:
        image.SetPaletteIdent(pSys16);
        break;
    case 4: {
        std::vector<std::uint32_t> p;
        for (int i = 0; i < 16; ++i)
            p.push_back(rgb(i * 16, 255 - i * 8, (i * 77) % 256));
        image.SetPalette(p);
        break;
    }
    case 5:
        image.SetPaletteIdent(pGray256);
        break;
    case 6:
        image.SetPaletteIdent(pSpecial125);
        break;
    }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.SetPixel(x, y, static_cast<std::uint32_t>((x * 5 + y * 3) % image.PaletteCount()));
    return image;
}

// Photograph-like pictures of several hundred rows, written with the fast settings, read back
// by Pillow pixel for pixel: the files stay valid for other readers.
TEST(PngWrite, PhotographsReadBackByPillow)
{
    if (!test::havePillow())
        GTEST_SKIP() << "Pillow (python3-pil) is not installed";
    const std::string dir = test::makeTempDir("png_photo");
    for (const bool colour : {true, false}) {
        TPixelGraphic image(333, 211, colour ? TPixelFormat::pf24Bit : TPixelFormat::pf8Bit);
        if (!colour)
            image.SetPaletteIdent(pGray256);
        std::uint32_t seed = 99;
        for (int y = 0; y < image.Height(); ++y)
            for (std::size_t i = 0; i < (colour ? 3u : 1u) * image.Width(); ++i) {
                seed = seed * 1103515245u + 12345u;
                image.rowData(y)[i] = static_cast<std::uint8_t>((i / 3 + 2 * y) % 200 + ((seed >> 24) & 31));
            }
        const std::string path = dir + (colour ? "/colour.png" : "/grey.png");
        saveImage(image, path);
        const auto ref = test::decodeWithPillow(path);
        ASSERT_TRUE(ref.has_value()) << path;
        EXPECT_EQ(test::maxDifference(image, *ref), 0) << path;
    }
    std::filesystem::remove_all(dir);
}

TEST(PngWrite, ColourTypesByResolutionAndRoundTrips)
{
    struct Row {
        int resolution;
        int depth;
        int colorType;
    };
    const Row rows[] = {{0, 1, 3}, {1, 1, 3}, {2, 4, 3}, {3, 4, 3}, {4, 4, 3}, {5, 8, 0}, {6, 8, 3}, {7, 8, 2}};
    const std::string dir = test::makeTempDir("png_round");
    for (const Row& row : rows) {
        const TPixelGraphic image = picture(row.resolution);
        ASSERT_EQ(image.ColorResolution(), row.resolution);
        std::ostringstream out;
        writePng(image, out, 1.8);
        const std::string file = out.str();
        const Chunks c = chunksOf(file);
        EXPECT_EQ(c.depth, row.depth) << row.resolution;
        EXPECT_EQ(c.colorType, row.colorType) << row.resolution;
        EXPECT_EQ(c.interlace, 0);
        EXPECT_EQ(c.gamma, 55556u);  // 1/1.8 × 100000, rounded
        if (row.colorType == 3) {
            EXPECT_EQ(c.paletteEntries, static_cast<std::size_t>(image.PaletteCount()));
        }

        const std::vector<std::uint8_t> bytes(file.begin(), file.end());
        const TPixelGraphic back = read(bytes);
        EXPECT_EQ(back.PixelFormat(), image.PixelFormat());
        for (int y = 0; y < image.Height(); ++y)
            for (int x = 0; x < image.Width(); ++x)
                ASSERT_EQ(back.GetColor(x, y), image.GetColor(x, y)) << row.resolution;

        const std::string path = dir + "/r" + std::to_string(row.resolution) + ".png";
        test::writeFile(path, bytes);
        for (const auto& ref : {test::decodeWithPillow(path), test::decodeWithImageMagick(path)}) {
            if (!ref)
                continue;
            EXPECT_EQ(test::maxDifference(image, *ref), 0) << row.resolution;
        }
    }
    std::ostringstream noGamma;
    writePng(picture(7), noGamma, 0);
    EXPECT_EQ(chunksOf(noGamma.str()).gamma, 0u);
    std::ostringstream empty;
    EXPECT_THROW(writePng(TPixelGraphic(), empty, 1.8), EImageFormat);
}

// ---- The PNG suite ----

// Background of a suite file by its own chunks, as 8-bit RGB; black without bKGD.
std::uint32_t suiteBackground(const std::vector<std::uint8_t>& f)
{
    auto u32 = [&](std::size_t p) {
        return std::uint32_t(f[p]) << 24 | std::uint32_t(f[p + 1]) << 16 | std::uint32_t(f[p + 2]) << 8 | f[p + 3];
    };
    auto u16 = [&](std::size_t p) { return std::uint32_t(f[p]) << 8 | f[p + 1]; };
    int depth = 8, type = 0;
    std::vector<std::uint32_t> palette;
    for (std::size_t p = 8; p + 8 <= f.size();) {
        const std::uint32_t len = u32(p);
        const std::string name(f.begin() + static_cast<std::ptrdiff_t>(p + 4), f.begin() + static_cast<std::ptrdiff_t>(p + 8));
        const std::size_t d = p + 8;
        if (name == "IHDR") {
            depth = f[d + 8];
            type = f[d + 9];
        } else if (name == "PLTE") {
            for (std::uint32_t i = 0; i + 2 < len; i += 3)
                palette.push_back(rgb(f[d + i], f[d + i + 1], f[d + i + 2]));
        } else if (name == "bKGD") {
            auto scale = [&](std::uint32_t v) {
                if (depth == 16)
                    return static_cast<int>(v >> 8);
                return static_cast<int>(v * 255 / ((1u << depth) - 1));
            };
            if (type == 3)
                return f[d] < palette.size() ? palette[f[d]] : 0;
            if (type == 0 || type == 4) {
                const int g = scale(u16(d));
                return rgb(g, g, g);
            }
            return rgb(scale(u16(d)), scale(u16(d + 2)), scale(u16(d + 4)));
        }
        p += 12 + len;
    }
    return 0;
}

std::vector<std::string> suiteFiles(bool corrupted)
{
    const std::string root = "/usr/share/doc/libsixel-examples/examples/images/pngsuite";
    std::vector<std::string> out;
    if (!std::filesystem::is_directory(root))
        return out;
    for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
        if (e.path().extension() != ".png")
            continue;
        if ((e.path().filename().string()[0] == 'x') == corrupted)
            out.push_back(e.path().string());
    }
    std::sort(out.begin(), out.end());
    return out;
}

class PngSuite : public testing::TestWithParam<std::string> {};

// Every valid suite file decodes; its pixels agree, within 1 for the rounding of the
// composite and of 16-bit samples, with an independent decoder: Pillow's RGBA composited
// onto the file's background (or black), or ImageMagick flattened onto it. Neither is right
// everywhere (Pillow clips 16-bit grey instead of scaling it), so agreeing with one suffices.
int pillowDifference(const TPixelGraphic& image, const RefImage& ref, std::uint32_t bg)
{
    if (image.Width() != ref.width || image.Height() != ref.height)
        return 256;
    int worst = 0;
    for (int y = 0; y < ref.height; ++y) {
        for (int x = 0; x < ref.width; ++x) {
            const std::uint8_t* p = ref.at(x, y);
            const std::uint32_t c = image.GetColor(x, y);
            const int ours[3] = {redOf(c), greenOf(c), blueOf(c)};
            const int back[3] = {redOf(bg), greenOf(bg), blueOf(bg)};
            for (int k = 0; k < 3; ++k) {
                const double expected = (p[k] * p[3] + back[k] * (255.0 - p[3])) / 255.0;
                worst = std::max(worst, static_cast<int>(std::ceil(std::abs(ours[k] - expected) - 1e-9)));
            }
        }
    }
    return worst;
}

TEST_P(PngSuite, MatchesAnIndependentDecoder)
{
    const std::vector<std::uint8_t> bytes = test::readFile(GetParam());
    const TPixelGraphic image = read(bytes);
    const std::uint32_t bg = suiteBackground(bytes);
    const auto pillow = test::decodeWithPillow(GetParam(), true);
    const auto magick = test::decodeWithImageMagickOn(GetParam(), bg);
    if (!pillow && !magick)
        GTEST_SKIP() << "neither Pillow nor ImageMagick installed";
    const int byPillow = pillow ? pillowDifference(image, *pillow, bg) : 256;
    const int byMagick = magick ? test::maxDifference(image, *magick) : 256;
    EXPECT_LE(std::min(byPillow, byMagick < 0 ? 256 : byMagick), 1)
        << GetParam() << ": Pillow " << byPillow << ", ImageMagick " << byMagick;
}

INSTANTIATE_TEST_SUITE_P(Suite, PngSuite, testing::ValuesIn(suiteFiles(false)),
                         [](const auto& info) { return test::testName(info.param); });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(PngSuite);

class PngSuiteCorrupted : public testing::TestWithParam<std::string> {};

TEST_P(PngSuiteCorrupted, IsRefusedCleanly)
{
    try {
        read(test::readFile(GetParam()));
        FAIL() << "accepted " << GetParam();
    } catch (const EImageFormat& e) {
        EXPECT_EQ(std::string(e.what()).rfind("PNG: ", 0), 0u) << e.what();
        EXPECT_GT(std::string(e.what()).size(), 5u);
    }
}

INSTANTIATE_TEST_SUITE_P(Suite, PngSuiteCorrupted, testing::ValuesIn(suiteFiles(true)),
                         [](const auto& info) { return test::testName(info.param); });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(PngSuiteCorrupted);

TEST(PngRead, SixelPicturesMatchPillow)
{
    const std::string dir = "/usr/share/doc/libsixel-examples/examples/images";
    if (!std::filesystem::is_directory(dir))
        GTEST_SKIP() << "libsixel-examples not installed";
    for (const char* name : {"snake.png", "snake-grayscale.png", "snake-palette.png", "snake-monochrome.png", "map8.png"}) {
        const std::string path = dir + "/" + name;
        const TPixelGraphic image = read(test::readFile(path));
        const auto ref = test::decodeWithPillow(path);
        if (!ref)
            GTEST_SKIP() << "Pillow (python3-pil) not installed";
        EXPECT_EQ(test::maxDifference(image, *ref), 0) << name;
    }
}

}  // namespace
}  // namespace tesra
