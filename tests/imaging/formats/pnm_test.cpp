#include "imaging/formats/pnm.h"

#include "tests/imaging/formats/format_test_support.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace tesra {
namespace {

namespace fs = std::filesystem;

TPixelGraphic decode(const std::string& text)
{
    TPixelGraphic image;
    readPnm(ByteSpan(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), image);
    return image;
}

std::string decodeError(const std::string& text)
{
    try {
        decode(text);
    } catch (const EImageFormat& e) {
        return e.what();
    }
    return "(no error)";
}

std::string encode(const TPixelGraphic& image, int kind, bool raw = false)
{
    std::ostringstream out;
    writePnm(image, out, kind, raw);
    return out.str();
}

TEST(PnmReader, TextFormsWithCommentsAndPackedBits)
{
    // "1" is black in a bit map; digits may follow each other without space.
    const TPixelGraphic bits = decode("P1\n# comment\n3 2\n010\n1 1 0\n");
    EXPECT_EQ(bits.PaletteIdent(), pBlackWhite);
    EXPECT_EQ(bits.GetColor(0, 0), rgb(255, 255, 255));
    EXPECT_EQ(bits.GetColor(1, 0), rgb(0, 0, 0));
    EXPECT_EQ(bits.GetColor(1, 1), rgb(0, 0, 0));
    EXPECT_EQ(bits.GetColor(2, 1), rgb(255, 255, 255));

    // maxval 15: 15 → 255, 7 → R(7 × 255 / 15) = 119, values above maxval are taken as maxval.
    const TPixelGraphic grey = decode("P2 3 1 15 15 7 99");
    EXPECT_EQ(grey.PaletteIdent(), pGray256);
    EXPECT_EQ(grey.GetPixel(0, 0), 255u);
    EXPECT_EQ(grey.GetPixel(1, 0), 119u);
    EXPECT_EQ(grey.GetPixel(2, 0), 255u);

    const TPixelGraphic colour = decode("P3 1 1 255 30 200 10");
    EXPECT_EQ(colour.GetColor(0, 0), rgb(30, 200, 10));
}

TEST(PnmReader, RawFormsIncludingSixteenBitSamples)
{
    const std::string p4 = std::string("P4 10 1\n") + '\x80' + '\x40';
    const TPixelGraphic bits = decode(p4);
    EXPECT_EQ(bits.GetColor(0, 0), 0u);
    EXPECT_EQ(bits.GetColor(1, 0), rgb(255, 255, 255));
    EXPECT_EQ(bits.GetColor(9, 0), 0u);

    const std::string p6 = std::string("P6 1 1 65535\n") + '\xFF' + '\xFF' + '\x80' + '\x00' + '\x00' + '\x01';
    EXPECT_EQ(decode(p6).GetColor(0, 0), rgb(255, 128, 0));  // 0x8000 × 255 / 65535 = 127.5 → 128

    const std::string p5 = std::string("P5 2 1 255\n") + '\x05' + '\xFA';
    const TPixelGraphic grey = decode(p5);
    EXPECT_EQ(grey.GetPixel(0, 0), 5u);
    EXPECT_EQ(grey.GetPixel(1, 0), 250u);
}

TEST(PnmReader, Messages)
{
    const std::pair<std::string, std::string> cases[] = {
        {"Q3 1 1 255 0 0 0", "PBM, PGM, PPM: Not a PBM, PGM, PPM file"},
        {"P7 1 1 255 0", "PBM, PGM, PPM: Unknown subformat"},
        {"P2 2 2 255 1 2 3", "PBM, PGM, PPM: Unexpected end of file"},
        {std::string("P5 2 2 255\n") + "abc", "PBM, PGM, PPM: Unexpected end of file"},
        {"P2 0 2 255", "PBM, PGM, PPM: Invalid value for Width"},
        {"P2 2 x", "PBM, PGM, PPM: Invalid value for Height"},
        {"P2 1 1 70000 1", "PBM, PGM, PPM: Invalid value for MaxVal"},
        {"P3 99999 99999 255", "PBM, PGM, PPM: Image too large"},
    };
    for (const auto& [text, message] : cases)
        EXPECT_EQ(decodeError(text), message) << text;
}

TEST(PnmWriter, TextFormsExactly)
{
    TPixelGraphic bits(3, 1, TPixelFormat::pf1Bit);
    bits.SetPaletteIdent(pBlackWhite);
    bits.SetPixel(1, 0, 1);  // white
    EXPECT_EQ(encode(bits, 1), "P1\n3 1\n1 0 1\n");

    TPixelGraphic grey(2, 2, TPixelFormat::pf8Bit);
    grey.SetPaletteIdent(pGray256);
    grey.SetPixel(0, 0, 7);
    grey.SetPixel(1, 1, 255);
    EXPECT_EQ(encode(grey, 2), "P2\n2 2\n255\n7 0\n0 255\n");

    TPixelGraphic colour(2, 1, TPixelFormat::pf24Bit);
    colour.SetPixel(0, 0, rgb(1, 2, 3));
    colour.SetPixel(1, 0, rgb(40, 50, 60));
    EXPECT_EQ(encode(colour, 3), "P3\n2 1\n255\n1 2 3 40 50 60\n");
    EXPECT_EQ(encode(colour, 3, true), std::string("P6\n2 1\n255\n\1\2\3\50\62\74"));
}

TEST(PnmWriter, Refusals)
{
    TPixelGraphic empty;
    try {
        encode(empty, 3);
        FAIL();
    } catch (const EImageFormat& e) {
        EXPECT_STREQ(e.what(), "PBM, PGM, PPM: Width = 0 or Height = 0");
    }
    TPixelGraphic colour(1, 1, TPixelFormat::pf24Bit);
    try {
        encode(colour, 2);
        FAIL();
    } catch (const EImageFormat& e) {
        EXPECT_STREQ(e.what(), "PBM, PGM, PPM: Invalid color resolution");
    }
}

// ---- Outside files and an outside decoder ----

const std::string kSixel = "/usr/share/doc/libsixel-examples/examples/images";

TEST(PnmOutsideFiles, SamePixelsAsImageMagick)
{
    if (!fs::exists(kSixel + "/snake.ppm"))
        GTEST_SKIP() << "libsixel-examples not installed";
    if (!test::onPath("convert-im6.q16"))
        GTEST_SKIP() << "imagemagick not installed";
    const std::string dir = test::makeTempDir("pnm");
    for (const char* name : {"snake.pbm", "snake.pgm", "snake.ppm", "snake-ascii.pbm", "snake-ascii.pgm", "snake-ascii.ppm"}) {
        TPixelGraphic ours;
        loadImage(kSixel + "/" + name, ours);
        ASSERT_TRUE(test::runQuiet("convert-im6.q16 " + kSixel + "/" + name + " -depth 8 " + dir + "/t.ppm")) << name;
        EXPECT_EQ(test::compareColors(ours, test::readToolPnm(dir + "/t.ppm")), "") << name;
    }
    fs::remove_all(dir);
}

TEST(PnmOutsideFiles, BrokenFilesRefused)
{
    const std::string failDir = "/usr/libexec/installed-tests/gdk-pixbuf/test-images/fail";
    int seen = 0;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(failDir, ec)) {
        if (e.path().extension() != ".ppm")
            continue;
        ++seen;
        const auto bytes = test::readFile(e.path().string());
        TPixelGraphic img;
        EXPECT_THROW(readPnm(ByteSpan(bytes.data(), bytes.size()), img), EImageFormat) << e.path();
    }
    if (seen == 0)
        GTEST_SKIP() << "gdk-pixbuf-tests not installed";
}

TEST(PnmWriter, RoundTripsReadByUsAndByNetpbm)
{
    TPixelGraphic colour(23, 9, TPixelFormat::pf24Bit);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 23; ++x)
            colour.SetPixel(x, y, rgb(x * 11, y * 29, (x * y * 3) & 255));
    TPixelGraphic grey(23, 9, TPixelFormat::pf8Bit);
    grey.SetPaletteIdent(pGray256);
    TPixelGraphic bits(23, 9, TPixelFormat::pf1Bit);
    bits.SetPaletteIdent(pBlackWhite);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 23; ++x) {
            grey.SetPixel(x, y, (x * 13 + y * 7) & 255);
            bits.SetPixel(x, y, (x + y) % 3 == 0);
        }
    const std::string dir = test::makeTempDir("pnm");
    const std::pair<const TPixelGraphic*, std::string> cases[] = {{&bits, "pbm"}, {&grey, "pgm"}, {&colour, "ppm"}};
    for (bool raw : {false, true})
        for (const auto& [image, ext] : cases) {
            FormatOptions options;
            options.pnmRawForm = raw;
            const std::string file = dir + "/r." + ext;
            saveImage(*image, file, options);
            TPixelGraphic back;
            loadImage(file, back);
            EXPECT_EQ(test::compareColors(back, *image), "") << ext << raw;
            if (!test::onPath("pnmtopnm") && !test::onPath("pamtopnm"))
                continue;
            // netpbm reads our file and writes it out in raw form with its own encoder.
            ASSERT_TRUE(test::runQuiet("pamtopnm < " + file + " | pamdepth 255 | ppmtoppm > " + dir + "/n.ppm")) << ext;
            EXPECT_EQ(test::compareColors(test::readToolPnm(dir + "/n.ppm"), *image), "") << ext << raw;
        }
    fs::remove_all(dir);
}

}  // namespace
}  // namespace tesra
