#include "imaging/formats/jpeg.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "imaging/formats/format_error.h"
#include "tests/imaging/formats/jpeg_png_tiff_reference.h"

namespace tesra {
namespace {

TPixelGraphic read(const std::vector<std::uint8_t>& bytes)
{
    TPixelGraphic image;
    readJpeg(ByteSpan(bytes), image);
    return image;
}

std::string write(const TPixelGraphic& image, int quality = 80)
{
    std::ostringstream out;
    writeJpeg(image, out, quality);
    return out.str();
}

TPixelGraphic gradient(int width, int height)
{
    TPixelGraphic image(width, height, TPixelFormat::pf24Bit);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.SetPixel(x, y, rgb(x * 255 / (width - 1), y * 255 / (height - 1), 128));
    return image;
}

TPixelGraphic greyGradient(int width, int height)
{
    TPixelGraphic image(width, height, TPixelFormat::pf8Bit);
    image.SetPaletteIdent(pGray256);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.SetPixel(x, y, static_cast<std::uint32_t>((x + y) * 255 / (width + height - 2)));
    return image;
}

// The markers of a JPEG stream: SOF component count and the first DQT entries.
struct Markers {
    int components = 0;
    bool baseline = false;
    std::vector<std::vector<int>> tables;  // in zig-zag order
};

Markers markersOf(const std::string& f)
{
    Markers m;
    std::size_t p = 2;
    while (p + 4 <= f.size() && std::uint8_t(f[p]) == 0xFF) {
        const int marker = std::uint8_t(f[p + 1]);
        const std::size_t len = std::size_t(std::uint8_t(f[p + 2])) << 8 | std::uint8_t(f[p + 3]);
        if (marker == 0xDB) {
            for (std::size_t q = p + 4; q + 65 <= p + 2 + len; q += 65) {
                std::vector<int> t;
                for (int i = 0; i < 64; ++i)
                    t.push_back(std::uint8_t(f[q + 1 + i]));
                m.tables.push_back(t);
            }
        } else if (marker == 0xC0 || marker == 0xC2) {
            m.baseline = marker == 0xC0;
            m.components = std::uint8_t(f[p + 9]);
        } else if (marker == 0xDA) {
            break;
        }
        p += 2 + len;
    }
    return m;
}

TEST(JpegWrite, QualityEightyBaselineTables)
{
    // The standard tables scaled for quality 80: (q × 40 + 50) div 100. Luminance starts
    // 16, 11, 12 in zig-zag order; chrominance 17, 18, 18.
    const Markers colour = markersOf(write(gradient(40, 24)));
    EXPECT_TRUE(colour.baseline);
    EXPECT_EQ(colour.components, 3);
    ASSERT_EQ(colour.tables.size(), 2u);
    EXPECT_EQ(std::vector<int>(colour.tables[0].begin(), colour.tables[0].begin() + 3), (std::vector<int>{6, 4, 5}));
    EXPECT_EQ(std::vector<int>(colour.tables[1].begin(), colour.tables[1].begin() + 3), (std::vector<int>{7, 7, 7}));

    const Markers grey = markersOf(write(greyGradient(40, 24)));
    EXPECT_EQ(grey.components, 1);
    ASSERT_GE(grey.tables.size(), 1u);
    EXPECT_EQ(grey.tables[0][0], 6);
}

TEST(JpegWrite, RoundTripsThroughOursAndDjpeg)
{
    const std::string dir = test::makeTempDir("jpeg_round");
    for (const TPixelGraphic& image : {gradient(67, 45), greyGradient(67, 45)}) {
        const std::string file = write(image);
        const std::vector<std::uint8_t> bytes(file.begin(), file.end());
        const TPixelGraphic back = read(bytes);
        EXPECT_EQ(back.ColorResolution(), image.ColorResolution());
        // A smooth gradient at quality 80 stays within a few levels.
        const auto original = [&] {
            test::RefImage r;
            r.width = image.Width();
            r.height = image.Height();
            r.channels = 3;
            for (int y = 0; y < r.height; ++y)
                for (int x = 0; x < r.width; ++x) {
                    const std::uint32_t c = image.GetColor(x, y);
                    r.samples.insert(r.samples.end(), {std::uint8_t(redOf(c)), std::uint8_t(greenOf(c)), std::uint8_t(blueOf(c))});
                }
            return r;
        }();
        const int loss = test::maxDifference(back, original);
        EXPECT_GE(loss, 0);
        EXPECT_LE(loss, 12);

        const std::string path = dir + "/image.jpg";
        test::writeFile(path, bytes);
        const auto ref = test::decodeWithDjpeg(path);
        if (!ref)
            GTEST_SKIP() << "djpeg (libjpeg-turbo-progs) not installed";
        EXPECT_EQ(ref->channels, image.PixelFormat() == TPixelFormat::pf24Bit ? 3 : 1);
        EXPECT_EQ(test::maxDifference(back, *ref), 0);
    }
}

TEST(JpegWrite, RefusesOtherResolutionsAndReportsStreamFailures)
{
    TPixelGraphic bw(8, 8, TPixelFormat::pf1Bit);
    bw.SetPaletteIdent(pBlackWhite);
    try {
        write(bw);
        FAIL();
    } catch (const EImageFormat& e) {
        EXPECT_STREQ(e.what(), "JPG: Invalid color resolution");
    }
    EXPECT_THROW(write(TPixelGraphic()), EImageFormat);

    std::ofstream nowhere;  // never opened: every write fails
    EXPECT_THROW(writeJpeg(gradient(300, 300), nowhere, 80), EImageFile);
}

TEST(JpegRead, TruncatedFilesFailAndKeepTheImage)
{
    const std::string file = write(gradient(40, 40));
    TPixelGraphic kept(1, 1, TPixelFormat::pf24Bit);
    kept.SetPixel(0, 0, rgb(9, 9, 9));
    // Every cut before the end-of-image marker.
    for (std::size_t n = 0; n + 2 < file.size(); ++n) {
        const std::vector<std::uint8_t> part(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n));
        try {
            readJpeg(ByteSpan(part), kept);
            ADD_FAILURE() << "cut at " << n << " accepted";
        } catch (const EImageFormat& e) {
            EXPECT_EQ(std::string(e.what()).rfind("JPG: ", 0), 0u);
        }
        EXPECT_EQ(kept.GetColor(0, 0), rgb(9, 9, 9));
    }
    const std::vector<std::uint8_t> cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(file.size() / 2));
    try {
        read(cut);
    } catch (const EImageFormat& e) {
        EXPECT_STREQ(e.what(), "JPG: Unexpected end of file");
    }
    // Not a JPEG at all: the library's own message behind the tag.
    try {
        read({0xFF, 0xD8, 0x00, 0x00, 0x00});
        FAIL();
    } catch (const EImageFormat& e) {
        EXPECT_EQ(std::string(e.what()).rfind("JPG: ", 0), 0u);
    }
}

// Pictures from outside: baseline colour, grey and progressive, against djpeg and Pillow.
class JpegSixel : public testing::TestWithParam<std::string> {};

TEST_P(JpegSixel, MatchesDjpegAndPillow)
{
    const std::string path = "/usr/share/doc/libsixel-examples/examples/images/" + GetParam();
    if (!std::filesystem::exists(path))
        GTEST_SKIP() << "libsixel-examples not installed";
    const TPixelGraphic image = read(test::readFile(path));
    const auto djpeg = test::decodeWithDjpeg(path);
    const auto pillow = test::decodeWithPillow(path);
    if (!djpeg && !pillow)
        GTEST_SKIP() << "neither djpeg nor Pillow installed";
    if (djpeg) {
        EXPECT_EQ(test::maxDifference(image, *djpeg), 0);
        EXPECT_EQ(image.PixelFormat(), djpeg->channels == 1 ? TPixelFormat::pf8Bit : TPixelFormat::pf24Bit);
    }
    if (pillow) {
        EXPECT_EQ(test::maxDifference(image, *pillow), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Pictures, JpegSixel,
                         testing::Values("snake.jpg", "snake-grayscale.jpg", "snake-progressive.jpg", "egret.jpg"),
                         [](const auto& info) { return test::testName(info.param); });

// The same picture as PNG and as JPEG: equal size, and close in colour.
TEST(JpegRead, SamePictureAsPngIsClose)
{
    const std::string dir = "/usr/share/doc/libsixel-examples/examples/images/";
    if (!std::filesystem::exists(dir + "snake.jpg"))
        GTEST_SKIP() << "libsixel-examples not installed";
    const TPixelGraphic jpeg = read(test::readFile(dir + "snake.jpg"));
    const auto png = test::decodeWithPillow(dir + "snake.png");
    if (!png)
        GTEST_SKIP() << "Pillow not installed";
    ASSERT_EQ(jpeg.Width(), png->width);
    ASSERT_EQ(jpeg.Height(), png->height);
    double sum = 0;
    for (int y = 0; y < png->height; ++y)
        for (int x = 0; x < png->width; ++x)
            sum += std::abs(greenOf(jpeg.GetColor(x, y)) - greenOf(png->color(x, y)));
    EXPECT_LT(sum / (png->width * png->height), 8.0);
}

}  // namespace
}  // namespace tesra
