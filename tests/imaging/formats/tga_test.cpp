#include "imaging/formats/tga.h"

#include "imaging/formats/png.h"
#include "tests/imaging/formats/format_test_support.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace tesra {
namespace {

namespace fs = std::filesystem;
using test::Bytes;

const std::string kPixbufImages = "/usr/libexec/installed-tests/gdk-pixbuf/test-images";

TPixelGraphic decode(const std::vector<std::uint8_t>& file)
{
    TPixelGraphic image;
    readTga(ByteSpan(file.data(), file.size()), image);
    return image;
}

Bytes header(unsigned type, unsigned mapType, unsigned mapLength, unsigned mapBits, unsigned w, unsigned h, unsigned bits,
             unsigned descriptor)
{
    return Bytes().u8(0).u8(mapType).u8(type).u16(0).u16(mapLength).u8(mapBits).u16(0).u16(0).u16(w).u16(h).u8(bits).u8(
        descriptor);
}

TEST(TgaReader, TrueColorBottomUpAndTopDown)
{
    Bytes f = header(2, 0, 0, 0, 1, 2, 24, 0);
    f.u8(10).u8(200).u8(30).u8(0).u8(0).u8(255);  // first stored pixel: bottom row
    TPixelGraphic img = decode(f.v);
    EXPECT_EQ(img.GetColor(0, 1), rgb(30, 200, 10));
    EXPECT_EQ(img.GetColor(0, 0), rgb(255, 0, 0));
    f.v[17] = 0x20;  // origin at the top
    img = decode(f.v);
    EXPECT_EQ(img.GetColor(0, 0), rgb(30, 200, 10));
}

TEST(TgaReader, RunLengthPacketsCrossRowsAndAreCutAtTheEnd)
{
    // 3 × 2 grey, type 11: a run of 4 × 50, then a raw packet of 3 values of which 2 fit.
    Bytes f = header(11, 0, 0, 0, 3, 2, 8, 0x20);
    f.u8(0x83).u8(50).u8(0x02).u8(1).u8(2).u8(3);
    const TPixelGraphic img = decode(f.v);
    EXPECT_EQ(img.PaletteIdent(), pGray256);
    EXPECT_EQ(img.GetPixel(0, 1), 50u);
    EXPECT_EQ(img.GetPixel(1, 1), 1u);
    EXPECT_EQ(img.GetPixel(2, 1), 2u);
}

TEST(TgaReader, ColorMappedWithFirstEntryOffset)
{
    Bytes f = header(1, 1, 2, 24, 2, 1, 8, 0);
    f.v[3] = 5;  // first map entry 5
    f.u8(0).u8(0).u8(255).u8(0).u8(255).u8(0);  // entries 5 (red) and 6 (green), B G R
    f.u8(5).u8(6);
    const TPixelGraphic img = decode(f.v);
    EXPECT_EQ(img.GetColor(0, 0), rgb(255, 0, 0));
    EXPECT_EQ(img.GetColor(1, 0), rgb(0, 255, 0));
}

TEST(TgaReader, Messages)
{
    Bytes f = header(4, 0, 0, 0, 1, 1, 24, 0).u8(0).u8(0).u8(0);
    try {
        decode(f.v);
        FAIL();
    } catch (const EImageFormat& e) {
        EXPECT_STREQ(e.what(), "TGA: Invalid value for ImageType");
    }
    Bytes cut = header(2, 0, 0, 0, 2, 2, 24, 0).u8(1);
    try {
        decode(cut.v);
        FAIL();
    } catch (const EImageFormat& e) {
        EXPECT_STREQ(e.what(), "TGA: Unexpected end of file");
    }
}

// Writer: 18-byte header, type 2 or 1, lower-left origin, rows bottom-up in B, G, R.
TEST(TgaWriter, TypeTwoAndTypeOneLayouts)
{
    TPixelGraphic img(2, 2, TPixelFormat::pf24Bit);
    img.SetPixel(0, 1, rgb(1, 2, 3));
    std::ostringstream out;
    writeTga(img, out);
    const std::string s = out.str();
    ASSERT_EQ(s.size(), 18u + 12u);
    EXPECT_EQ(s[2], 2);
    EXPECT_EQ(s[16], 24);
    EXPECT_EQ(s[17], 0);
    EXPECT_EQ(s.substr(18, 3), std::string("\3\2\1"));  // bottom-left pixel first

    TPixelGraphic pal(3, 1, TPixelFormat::pf8Bit);
    pal.SetPalette(std::vector<std::uint32_t>{rgb(10, 20, 30), rgb(40, 50, 60)}, pUnknown);
    pal.SetPixel(2, 0, 1);
    std::ostringstream out2;
    writeTga(pal, out2);
    const std::string t = out2.str();
    ASSERT_EQ(t.size(), 18u + 6u + 3u);
    EXPECT_EQ(t[1], 1);
    EXPECT_EQ(t[2], 1);
    EXPECT_EQ(t[5], 2);    // map length
    EXPECT_EQ(t[7], 24);   // map entry size
    EXPECT_EQ(t[16], 8);
    EXPECT_EQ(t.substr(18, 6), std::string("\36\24\12\74\62\50"));
    EXPECT_EQ(t.substr(24, 3), std::string("\0\0\1", 3));
}

// ---- Outside files: the reference tests of an image loading library ----

std::vector<std::string> pixbufTgaFiles()
{
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(kPixbufImages + "/reftests/tga", ec))
        if (e.path().extension() == ".tga")
            names.push_back(e.path().filename().string());
    for (const char* extra : {"colormap-too-small.tga", "rle-too-many-pixels.tga", "rle-too-many-pixels-2.tga"})
        if (fs::exists(kPixbufImages + "/reftests/" + extra))
            names.push_back(std::string("../") + extra);
    std::sort(names.begin(), names.end());
    return names;
}

class TgaPixbufReference : public ::testing::TestWithParam<std::string> {};

// The answer pictures carry the alpha channel; where a pixel is not opaque only the opaque
// pixels are compared (our reader drops alpha).
TEST_P(TgaPixbufReference, MatchesTheAnswerPicture)
{
    const std::string path = kPixbufImages + "/reftests/tga/" + GetParam();
    const TPixelGraphic img = decode(test::readFile(path));
    const std::string refPath = path + ".ref.png";
    if (!test::onPath("/usr/bin/python3") || !test::runQuiet("/usr/bin/python3 -c 'import PIL'"))
        GTEST_SKIP() << "needs Debian's python3 with python3-pil";
    const std::string dir = test::makeTempDir("tga");
    ASSERT_TRUE(test::runQuiet("/usr/bin/python3 -c \"from PIL import Image; im=Image.open('" + refPath +
                          "').convert('RGBA'); im.convert('RGB').save('" + dir + "/c.ppm'); im.getchannel('A').save('" + dir +
                          "/a.pgm')\""));
    const TPixelGraphic ref = test::readToolPnm(dir + "/c.ppm");
    const TPixelGraphic alpha = test::readToolPnm(dir + "/a.pgm");
    fs::remove_all(dir);
    ASSERT_EQ(img.Width(), ref.Width());
    ASSERT_EQ(img.Height(), ref.Height());
    int differ = 0;
    for (int y = 0; y < ref.Height(); ++y)
        for (int x = 0; x < ref.Width(); ++x)
            if (greenOf(alpha.GetColor(x, y)) == 255 && img.GetColor(x, y) != ref.GetColor(x, y))
                ++differ;
    EXPECT_EQ(differ, 0);
}

INSTANTIATE_TEST_SUITE_P(Corpus, TgaPixbufReference, ::testing::ValuesIn(pixbufTgaFiles()), [](const auto& info) {
    std::string n = fs::path(info.param).stem().string();
    std::erase_if(n, [](char c) { return !isalnum(static_cast<unsigned char>(c)); });
    return n;
});

TEST(TgaPixbufBroken, RefusedCleanly)
{
    int seen = 0;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(kPixbufImages + "/fail", ec)) {
        if (e.path().extension() != ".tga")
            continue;
        ++seen;
        EXPECT_THROW(decode(test::readFile(e.path().string())), EImageFormat) << e.path();
    }
    if (seen == 0)
        GTEST_SKIP() << "gdk-pixbuf-tests not installed";
}

// Round trip through our writer: read back by our reader and by Pillow. (ImageMagick 6 is
// left out here: it shows lower-left-origin files upside down, against the other decoders.)
TEST(TgaWriter, RoundTripReadByUsAndByAnOutsideDecoder)
{
    TPixelGraphic img(37, 11, TPixelFormat::pf24Bit);
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 37; ++x)
            img.SetPixel(x, y, rgb(x * 7, y * 23, (x * y) & 255));
    TPixelGraphic pal(37, 11, TPixelFormat::pf8Bit);
    std::vector<std::uint32_t> entries;
    for (int i = 0; i < 200; ++i)
        entries.push_back(rgb(i, 255 - i, (i * 3) & 255));
    pal.SetPalette(entries, pUnknown);
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 37; ++x)
            pal.SetPixel(x, y, (x * 5 + y) % 200);
    const bool pillow = test::runQuiet("/usr/bin/python3 -c 'import PIL'");
    const std::string dir = test::makeTempDir("tga");
    for (const TPixelGraphic* source : {&img, &pal}) {
        const std::string file = dir + "/r.tga";
        saveImage(*source, file);
        TPixelGraphic back;
        loadImage(file, back);
        EXPECT_EQ(test::compareColors(back, *source), "");
        if (!pillow)
            continue;
        ASSERT_TRUE(test::runQuiet("/usr/bin/python3 -c \"from PIL import Image; Image.open('" + file +
                                   "').convert('RGB').save('" + dir + "/r.ppm')\""));
        EXPECT_EQ(test::compareColors(test::readToolPnm(dir + "/r.ppm"), *source), "");
    }
    fs::remove_all(dir);
}

}  // namespace
}  // namespace tesra
