#include "imaging/formats/pcx.h"

#include "tests/imaging/formats/format_test_support.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tesra {
namespace {

namespace fs = std::filesystem;
using test::Bytes;

// A 128-byte header: version, bits per pixel, size, planes and bytes per line as given.
Bytes pcxHeader(unsigned version, unsigned bits, unsigned width, unsigned height, unsigned planes, unsigned bytesPerLine)
{
    Bytes h;
    h.u8(10).u8(version).u8(1).u8(bits).u16(0).u16(0).u16(width - 1).u16(height - 1).u16(72).u16(72);
    for (int i = 0; i < 16; ++i)
        h.u8(i * 16).u8(i * 8).u8(255 - i * 16);
    h.u8(0).u8(planes).u16(bytesPerLine).u16(1).u16(0).u16(0).fill(54, 0);
    return h;
}

TPixelGraphic decode(const std::vector<std::uint8_t>& file)
{
    TPixelGraphic image;
    readPcx(ByteSpan(file.data(), file.size()), image);
    return image;
}

std::string decodeError(const std::vector<std::uint8_t>& file)
{
    try {
        decode(file);
    } catch (const EImageFormat& e) {
        return e.what();
    }
    return "(no error)";
}

TEST(PcxReader, TrueColorPlanesAndRunsAcrossLines)
{
    // 2 × 2, three planes of 2 bytes: a run of 8 bytes of 7 spans line one and half of line two.
    Bytes f = pcxHeader(5, 8, 2, 2, 3, 2);
    f.u8(0xC8).u8(7).u8(1).u8(2).u8(3).u8(4);
    const TPixelGraphic img = decode(f.v);
    EXPECT_EQ(img.GetColor(0, 0), rgb(7, 7, 7));
    EXPECT_EQ(img.GetColor(0, 1), rgb(7, 1, 3));
    EXPECT_EQ(img.GetColor(1, 1), rgb(7, 2, 4));
}

TEST(PcxReader, PaletteBehindThePixels)
{
    Bytes f = pcxHeader(5, 8, 2, 1, 1, 2);
    f.u8(0xC1).u8(200).u8(3);  // a run of one 200 (a value ≥ 192 needs a run byte), then 3
    f.u8(12);
    for (int i = 0; i < 256; ++i)
        f.u8(i).u8(255 - i).u8(9);
    const TPixelGraphic img = decode(f.v);
    EXPECT_EQ(img.GetColor(0, 0), rgb(200, 55, 9));
    EXPECT_EQ(img.GetColor(1, 0), rgb(3, 252, 9));
}

TEST(PcxReader, SixteenColorPlanesUseTheHeaderMapFromVersionTwo)
{
    // 8 × 1, four planes of one byte: pixel 0 has bits in planes 0 and 2 → index 5.
    Bytes f = pcxHeader(5, 1, 8, 1, 4, 1);
    f.u8(0x80).u8(0x00).u8(0x80).u8(0x00);
    EXPECT_EQ(decode(f.v).GetColor(0, 0), rgb(80, 40, 175));  // header entry 5
    f.v[1] = 3;  // version 3: no palette in the header, the adapter's colours
    EXPECT_EQ(decode(f.v).GetColor(0, 0), rgb(170, 0, 170));
}

TEST(PcxReader, Messages)
{
    EXPECT_EQ(decodeError(pcxHeader(4, 8, 1, 1, 1, 2).u8(1).v), "PCX: Unknown subformat");
    EXPECT_EQ(decodeError(pcxHeader(5, 8, 1, 1, 2, 2).u8(1).v), "PCX: Unknown subformat");
    EXPECT_EQ(decodeError(pcxHeader(5, 8, 2, 2, 1, 2).u8(1).v), "PCX: Unexpected end of file");
    EXPECT_EQ(decodeError(pcxHeader(5, 8, 4, 1, 1, 2).v), "PCX: Invalid value for BytesPerLine");
    EXPECT_EQ(decodeError({10, 5, 1}), "PCX: Unexpected end of file");
}

// Files written by ImageMagick in several kinds, compared with ImageMagick's own reading.
TEST(PcxOutsideFiles, SamePixelsAsImageMagick)
{
    if (!test::onPath("convert-im6.q16"))
        GTEST_SKIP() << "imagemagick not installed";
    const std::string dir = test::makeTempDir("pcx");
    ASSERT_TRUE(test::runQuiet("convert-im6.q16 -size 53x17 plasma:fractal -seed 7 " + dir + "/src.ppm"));
    const std::pair<const char*, const char*> kinds[] = {
        {"rgb", ""}, {"pal256", "-colors 200 -type Palette"}, {"pal16", "-colors 16 -type Palette"},
        {"mono", "-monochrome"}, {"grey", "-colorspace gray -type Grayscale"},
    };
    for (const auto& [name, options] : kinds) {
        const std::string pcx = dir + "/" + name + ".pcx";
        ASSERT_TRUE(test::runQuiet("convert-im6.q16 " + dir + "/src.ppm " + options + " pcx:" + pcx)) << name;
        ASSERT_TRUE(test::runQuiet("convert-im6.q16 pcx:" + pcx + " -depth 8 -type TrueColor " + dir + "/back.ppm")) << name;
        TPixelGraphic ours;
        loadImage(pcx, ours);
        EXPECT_EQ(test::compareColors(ours, test::readToolPnm(dir + "/back.ppm")), "") << name;
    }
    fs::remove_all(dir);
}

}  // namespace
}  // namespace tesra
