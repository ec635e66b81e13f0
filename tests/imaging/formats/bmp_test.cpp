#include "imaging/formats/bmp.h"

#include "imaging/formats/png.h"
#include "tests/imaging/formats/format_test_support.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <sstream>

namespace tesra {
namespace {

namespace fs = std::filesystem;
using test::Bytes;

// A bitmap file with a 40-, 108- or 124-byte info header (or the 12-byte core header), built
// field by field from the published layout.
struct BmpLayout {
    std::uint32_t headerSize = 40;
    std::int32_t width = 1;
    std::int32_t height = 1;
    unsigned planes = 1;
    unsigned bits = 24;
    std::uint32_t compression = 0;
    std::vector<std::uint32_t> palette;  // 0x00RRGGBB written as B, G, R, 0
    std::vector<std::uint32_t> masks;    // red, green, blue
    std::vector<std::uint8_t> pixels;
    // Fields the pixels do not need, written as a careless writer may.
    std::optional<std::uint32_t> fileSize;  // default: the real size
    std::uint32_t imageSize = 0;
    std::int32_t density = 2835;
    std::optional<std::uint32_t> colorsUsed;  // default: the palette's size
};

std::vector<std::uint8_t> makeBmp(const BmpLayout& s)
{
    Bytes header;
    const bool core = s.headerSize == 12;
    if (core) {
        header.u32(12).u16(s.width).u16(s.height).u16(s.planes).u16(s.bits);
    } else {
        header.u32(s.headerSize).u32(s.width).u32(s.height).u16(s.planes).u16(s.bits).u32(s.compression);
        header.u32(s.imageSize).u32(static_cast<std::uint32_t>(s.density)).u32(static_cast<std::uint32_t>(s.density));
        header.u32(s.colorsUsed.value_or(static_cast<std::uint32_t>(s.palette.size()))).u32(0);
        if (s.headerSize > 40) {
            for (std::size_t i = 0; i < 3; ++i)
                header.u32(i < s.masks.size() ? s.masks[i] : 0);
            header.fill(s.headerSize - 52, 0);
        } else if (!s.masks.empty()) {
            for (std::uint32_t m : s.masks)
                header.u32(m);
        }
    }
    for (std::uint32_t c : s.palette) {
        header.u8(c & 0xFF).u8((c >> 8) & 0xFF).u8((c >> 16) & 0xFF);
        if (!core)
            header.u8(0);
    }
    Bytes file;
    const std::uint32_t offset = 14 + static_cast<std::uint32_t>(header.v.size());
    file.text("BM").u32(s.fileSize.value_or(offset + static_cast<std::uint32_t>(s.pixels.size()))).u32(0).u32(offset);
    file.add(header.v).add(s.pixels);
    return file.v;
}

TPixelGraphic decode(const std::vector<std::uint8_t>& file)
{
    TPixelGraphic image;
    readBmp(ByteSpan(file.data(), file.size()), image);
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

TEST(BmpReader, TwentyFourBitPixelIsBlueGreenRed)
{
    BmpLayout s;
    s.pixels = {10, 200, 30, 0};
    const TPixelGraphic img = decode(makeBmp(s));
    EXPECT_EQ(img.GetColor(0, 0), 30u + 200u * 256u + 10u * 65536u);
    EXPECT_EQ(img.greyValue(0, 0), 200);
}

TEST(BmpReader, BottomUpAndTopDownRows)
{
    BmpLayout s;
    s.width = 1;
    s.height = 2;
    s.bits = 8;
    s.palette = {0x000000, 0xFFFFFF};
    s.pixels = {1, 0, 0, 0, 0, 0, 0, 0};  // first stored row white
    EXPECT_EQ(decode(makeBmp(s)).GetColor(0, 1), 0xFFFFFFu);  // bottom-up: first row is the bottom
    s.height = -2;
    EXPECT_EQ(decode(makeBmp(s)).GetColor(0, 0), 0xFFFFFFu);  // top-down: first row is the top
}

TEST(BmpReader, OneBitCoreHeaderLeftmostPixelInHighBit)
{
    BmpLayout s;
    s.headerSize = 12;
    s.width = 9;
    s.height = 1;
    s.bits = 1;
    s.palette = {0x000000, 0xFFFFFF};
    s.pixels = {0x80, 0x80, 0, 0};
    const TPixelGraphic img = decode(makeBmp(s));
    EXPECT_EQ(img.GetColor(0, 0), 0xFFFFFFu);
    EXPECT_EQ(img.GetColor(1, 0), 0u);
    EXPECT_EQ(img.GetColor(8, 0), 0xFFFFFFu);
}

// Masks of the long headers (and of the 40-byte header followed by three masks) decide where
// red, green and blue are; values are scaled to 0..255.
TEST(BmpReader, BitFieldMasksInEveryHeaderKind)
{
    for (std::uint32_t headerSize : {40u, 52u, 56u, 108u, 124u}) {
        BmpLayout s;
        s.headerSize = headerSize;
        s.width = 3;
        s.bits = 16;
        s.compression = 3;
        s.masks = {0xF800, 0x07E0, 0x001F};  // 5-6-5
        s.pixels = {0x00, 0xF8, 0x20, 0x00, 0x10, 0x00, 0, 0};
        const TPixelGraphic img = decode(makeBmp(s));
        EXPECT_EQ(img.GetColor(0, 0), rgb(255, 0, 0)) << headerSize;
        EXPECT_EQ(img.GetColor(1, 0), rgb(0, 4, 0)) << headerSize;   // green 1 of 63 → 4.05
        EXPECT_EQ(img.GetColor(2, 0), rgb(0, 0, 132)) << headerSize; // blue 16 of 31 → 131.6
    }
}

TEST(BmpReader, SixteenBitsWithoutMasksAre555)
{
    BmpLayout s;
    s.bits = 16;
    s.pixels = {0x00, 0x7C, 0, 0};
    EXPECT_EQ(decode(makeBmp(s)).GetColor(0, 0), rgb(255, 0, 0));
}

TEST(BmpReader, RunLengthRunsAreCutAtTheRowEnd)
{
    BmpLayout s;
    s.width = 4;
    s.height = 2;
    s.bits = 8;
    s.compression = 1;
    s.palette = {0, 0x0000FF, 0x00FF00};
    // Bottom row: a run of 6 pixels of index 1 (two beyond the row), end of line;
    // top row: absolute 3 pixels 2, 0, 2 (padded), end of bitmap.
    s.pixels = {6, 1, 0, 0, 0, 3, 2, 0, 2, 0, 0, 1};
    const TPixelGraphic img = decode(makeBmp(s));
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(img.GetPixel(x, 1), 1u) << x;
    EXPECT_EQ(img.GetPixel(0, 0), 2u);
    EXPECT_EQ(img.GetPixel(1, 0), 0u);
    EXPECT_EQ(img.GetPixel(2, 0), 2u);
    EXPECT_EQ(img.GetPixel(3, 0), 0u);
}

TEST(BmpReader, RunLengthFourBitsAlternateNibbles)
{
    BmpLayout s;
    s.width = 5;
    s.height = 1;
    s.bits = 4;
    s.compression = 2;
    s.palette.assign(16, 0);
    s.pixels = {5, 0x12, 0, 1};
    const TPixelGraphic img = decode(makeBmp(s));
    const unsigned expected[] = {1, 2, 1, 2, 1};
    for (int x = 0; x < 5; ++x)
        EXPECT_EQ(img.GetPixel(x, 0), expected[x]);
}

TEST(BmpReader, MessagesOfRefusedHeaders)
{
    const std::string resave = " \u2014 save the image again as a Windows bitmap or as PNG and open it again";
    const std::string uncompressed = " \u2014 save the image as an uncompressed bitmap or as PNG and open it again";
    const std::string bits = " \u2014 save the image with 1, 4, 8, 24 or 32 bits per pixel, or as PNG, and open it again";
    struct Case {
        const char* name;
        void (*change)(BmpLayout&);
        std::string message;
    };
    const Case cases[] = {
        {"header size 60", [](BmpLayout& s) { s.headerSize = 60; }, "BMP: Invalid size of BitmapInfoHeader/BitmapCoreHeader" + resave},
        {"planes", [](BmpLayout& s) { s.planes = 2; }, "BMP: BitmapInfoHeader.biPlanes invalid"},
        {"bit count", [](BmpLayout& s) { s.bits = 2; }, "BMP: BitmapInfoHeader.biBitCount invalid" + bits},
        {"compression", [](BmpLayout& s) { s.compression = 4; }, "BMP: BitmapInfoHeader.biCompression invalid" + uncompressed},
        {"RLE4 at 8 bits", [](BmpLayout& s) { s.bits = 8, s.compression = 2; }, "BMP: BitmapInfoHeader.biCompression invalid" + uncompressed},
        {"bit fields at 24", [](BmpLayout& s) { s.compression = 3; }, "BMP: BitmapInfoHeader.biCompression invalid" + uncompressed},
        {"OS/2 Huffman", [](BmpLayout& s) { s.headerSize = 64, s.bits = 1, s.compression = 3, s.palette = {0, 0xFFFFFF}; },
         "BMP: BitmapInfoHeader.biCompression invalid" + uncompressed},
        {"RLE top-down",
         [](BmpLayout& s) { s.bits = 8, s.compression = 1, s.height = -1, s.palette = {0}; },
         "BMP: BitmapInfoHeader.biCompression invalid" + uncompressed},
        {"core planes", [](BmpLayout& s) { s.headerSize = 12, s.planes = 0; }, "BMP: BitmapCoreHeader.bcPlanes invalid"},
        {"core bit count", [](BmpLayout& s) { s.headerSize = 12, s.bits = 16; }, "BMP: BitmapCoreHeader.bcBitCount invalid" + bits},
        {"short pixels", [](BmpLayout& s) { s.pixels = {1, 2}; }, "BMP: Unexpected end of file"},
        {"width 0", [](BmpLayout& s) { s.width = 0; }, "BMP: Invalid image width"},
        {"core height 0", [](BmpLayout& s) { s.headerSize = 12, s.height = 0; }, "BMP: Invalid image height"},
        {"huge", [](BmpLayout& s) { s.width = 2'000'000'000, s.height = 2'000'000'000; }, "BMP: Image too large"},
    };
    for (const Case& c : cases) {
        BmpLayout s;
        s.pixels = {1, 2, 3, 0};
        c.change(s);
        EXPECT_EQ(decodeError(makeBmp(s)), c.message) << c.name;
    }
}

TEST(BmpReader, OsTwoHeaderOfSixtyFourBytes)
{
    // The 40 bytes every info header has, 24 of OS/2's own, four-byte palette entries.
    BmpLayout s;
    s.headerSize = 64;
    s.width = 3;
    s.bits = 8;
    s.palette = {0x102030, 0x405060, 0x708090};
    s.pixels = {2, 0, 1, 0};
    const TPixelGraphic img = decode(makeBmp(s));
    EXPECT_EQ(img.GetColor(0, 0), rgb(0x70, 0x80, 0x90));
    EXPECT_EQ(img.GetColor(1, 0), rgb(0x10, 0x20, 0x30));
    EXPECT_EQ(img.GetColor(2, 0), rgb(0x40, 0x50, 0x60));
}

TEST(BmpReader, FieldsThePixelsDoNotNeedAreNotChecked)
{
    const auto base = [] {
        BmpLayout s;
        s.width = 1;
        s.pixels = {10, 20, 30, 0};
        return s;
    };
    std::vector<BmpLayout> careless(6, base());
    careless[0].fileSize = 5;             // smaller than the file
    careless[1].fileSize = 999'999;       // larger than the file
    careless[2].imageSize = 1'000'000;    // more pixel bytes than there are
    careless[3].density = -2835;          // negative resolution
    careless[4].density = 2'000'000'000;  // absurd resolution
    careless[5].colorsUsed = 77;          // a colour count on a 24-bit file
    for (std::size_t i = 0; i < careless.size(); ++i)
        EXPECT_EQ(decode(makeBmp(careless[i])).GetColor(0, 0), rgb(30, 20, 10)) << i;
    // More colours than 8 bits address is a damaged palette, though.
    BmpLayout pal;
    pal.bits = 8;
    pal.palette = std::vector<std::uint32_t>(256, 0x112233);
    pal.colorsUsed = 300;
    pal.pixels = {255, 0, 0, 0};
    EXPECT_EQ(decodeError(makeBmp(pal)), "BMP: Invalid number of palette colours");
    // Run-length data may end early by design: there a file size beyond the data still means
    // a cut-off file.
    BmpLayout rle;
    rle.width = 4;
    rle.bits = 8;
    rle.compression = 1;
    rle.palette = {0, 0xFFFFFF};
    rle.pixels = {4, 1, 0, 1};
    EXPECT_EQ(decode(makeBmp(rle)).GetColor(3, 0), rgb(255, 255, 255));
    rle.fileSize = 2000;
    EXPECT_EQ(decodeError(makeBmp(rle)), "BMP: Unexpected end of file");
    // A file cut inside its pixels is still refused, whatever its size fields say.
    BmpLayout cut = base();
    cut.height = 3;
    cut.imageSize = 12;
    EXPECT_EQ(decodeError(makeBmp(cut)), "BMP: Unexpected end of file");
}

TEST(BmpReader, CutOffRunLengthDataIsAnError)
{
    BmpLayout s;
    s.width = 4;
    s.height = 2;
    s.bits = 8;
    s.compression = 1;
    s.palette = {0, 0xFFFFFF};
    s.pixels = {4, 1, 0, 0, 2};
    EXPECT_EQ(decodeError(makeBmp(s)), "BMP: Unexpected end of file");
}

TEST(BmpWriter, FileHeaderThenTheBuffersBitmap)
{
    TPixelGraphic img(3, 2, TPixelFormat::pf4Bit);
    img.SetPaletteIdent(pGray16);
    img.SetPixel(0, 0, 15);
    img.SetPixel(2, 1, 7);
    std::ostringstream out;
    writeBmp(img, out);
    const std::string f = out.str();
    const auto u32 = [&](std::size_t o) {
        return std::uint32_t(std::uint8_t(f[o])) | std::uint32_t(std::uint8_t(f[o + 1])) << 8 |
               std::uint32_t(std::uint8_t(f[o + 2])) << 16 | std::uint32_t(std::uint8_t(f[o + 3])) << 24;
    };
    ASSERT_EQ(f.size(), 14u + 40u + 16u * 4u + 2u * 4u);
    EXPECT_EQ(f.substr(0, 2), "BM");
    EXPECT_EQ(u32(2), f.size());
    EXPECT_EQ(u32(10), 14u + 40u + 64u);
    EXPECT_EQ(u32(14), 40u);
    EXPECT_EQ(u32(18), 3u);
    EXPECT_EQ(u32(22), 2u);
    EXPECT_EQ(std::uint8_t(f[28]), 4);
    EXPECT_EQ(u32(30), 0u);
    EXPECT_EQ(u32(46), 16u);
    EXPECT_EQ(u32(54 + 4 * 15), 0x00FFFFFFu);  // palette entry 15: white as B, G, R, 0
    EXPECT_EQ(std::uint8_t(f[118]), 0x00);     // bottom row first: (2,1) is in the low...
    EXPECT_EQ(std::uint8_t(f[119]), 0x70);     // ...high nibble of its second byte
    EXPECT_EQ(std::uint8_t(f[122]), 0xF0);     // top row: (0,0) in the first high nibble
}

// ---- The bitmap test suite ----

std::string suiteDir() { return test::sharedDir() + "/corpus/bmpsuite"; }

std::vector<std::string> suiteFiles(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(suiteDir() + "/" + folder, ec))
        if (e.path().extension() == ".bmp")
            names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The suite's answer picture of each good file; files that show the same picture share one.
std::string referenceFor(const std::string& bmp)
{
    static const std::map<std::string, std::string> shared = {
        {"pal1wb.bmp", "pal1"},      {"pal4rle.bmp", "pal4"},     {"pal8-0.bmp", "pal8"},
        {"pal8nonsquare.bmp", "pal8nonsquare-e"},                 {"pal8os2.bmp", "pal8"},
        {"pal8rle.bmp", "pal8"},     {"pal8topdown.bmp", "pal8"}, {"pal8v4.bmp", "pal8"},
        {"pal8v5.bmp", "pal8"},      {"rgb16-565pal.bmp", "rgb16-565"}, {"rgb16bfdef.bmp", "rgb16"},
        {"rgb24pal.bmp", "rgb24"},   {"rgb32.bmp", "rgb24"},      {"rgb32bf.bmp", "rgb24"},
        {"rgb32bfdef.bmp", "rgb24"},
    };
    const auto it = shared.find(bmp);
    const std::string stem = it != shared.end() ? it->second : fs::path(bmp).stem().string();
    return suiteDir() + "/reference/" + stem + ".png";
}

class BmpSuiteGood : public ::testing::TestWithParam<std::string> {};

TEST_P(BmpSuiteGood, MatchesItsReferencePicture)
{
    const auto file = test::readFile(suiteDir() + "/g/" + GetParam());
    TPixelGraphic img;
    ASSERT_NO_THROW(readBmp(ByteSpan(file.data(), file.size()), img));
    const auto refFile = test::readFile(referenceFor(GetParam()));
    TPixelGraphic ref;
    double gamma = 1.8;
    readPng(ByteSpan(refFile.data(), refFile.size()), ref, gamma);
    EXPECT_EQ(test::compareColors(img, ref), "");
}

// Test names from file names ("rgb16-565.bmp" → "rgb16565").
std::string testName(const ::testing::TestParamInfo<std::string>& info)
{
    std::string n = fs::path(info.param).stem().string();
    std::erase(n, '-');
    return n;
}

INSTANTIATE_TEST_SUITE_P(Corpus, BmpSuiteGood, ::testing::ValuesIn(suiteFiles("g")), testName);

class BmpSuiteBad : public ::testing::TestWithParam<std::string> {};

TEST_P(BmpSuiteBad, IsRefusedWithAMessage)
{
    const auto file = test::readFile(suiteDir() + "/b/" + GetParam());
    TPixelGraphic img;
    // Wrong file and image sizes and absurd resolutions in otherwise complete files: the
    // pixels do not need those fields, and the files show their picture.
    static const std::set<std::string> careless = {"badbitssize.bmp", "baddens1.bmp", "baddens2.bmp", "badfilesize.bmp"};
    if (careless.count(GetParam())) {
        ASSERT_NO_THROW(readBmp(ByteSpan(file.data(), file.size()), img));
        const auto refFile = test::readFile(suiteDir() + "/reference/pal1.png");
        TPixelGraphic ref;
        double gamma = 1.8;
        readPng(ByteSpan(refFile.data(), refFile.size()), ref, gamma);
        EXPECT_EQ(test::compareColors(img, ref), "");
        return;
    }
    EXPECT_THROW(readBmp(ByteSpan(file.data(), file.size()), img), EImageFormat);
    EXPECT_TRUE(img.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Corpus, BmpSuiteBad, ::testing::ValuesIn(suiteFiles("b")), testName);

// Questionable files may be read or refused, but only ever with the library's own error; a
// refused file leaves no half image, a read one has the size its header gives, and most of
// them (as the suite's answer pictures show) are read.
TEST(BmpSuiteQuestionable, ReadOrRefusedCleanly)
{
    const auto names = suiteFiles("q");
    if (names.empty())
        GTEST_SKIP() << "bitmap test suite not found in " << suiteDir();
    std::size_t read = 0;
    for (const std::string& name : names) {
        const auto file = test::readFile(suiteDir() + "/q/" + name);
        TPixelGraphic img;
        try {
            readBmp(ByteSpan(file.data(), file.size()), img);
        } catch (const EImageFormat&) {
            EXPECT_TRUE(img.isEmpty()) << name;
            continue;
        }
        ++read;
        ASSERT_GE(file.size(), 26u) << name;
        auto le = [&file](std::size_t at, int bytes) {
            std::uint32_t v = 0;
            for (int i = bytes - 1; i >= 0; --i)
                v = v << 8 | file[at + static_cast<std::size_t>(i)];
            return v;
        };
        const bool core = le(14, 4) == 12;  // the OS/2 1.x header has 16-bit sizes
        const auto width = static_cast<std::int32_t>(core ? le(18, 2) : le(18, 4));
        const auto height = core ? static_cast<std::int32_t>(le(20, 2)) : static_cast<std::int32_t>(le(22, 4));
        EXPECT_EQ(img.Width(), width) << name;
        EXPECT_EQ(img.Height(), std::abs(height)) << name;
    }
    EXPECT_GT(read, names.size() / 2);
}

// The 52-byte and OS/2 2.x headers of the suite's questionable files show their pictures.
TEST(BmpSuiteQuestionable, FiftyTwoAndSixtyFourByteHeaders)
{
    const std::pair<const char*, const char*> cases[] = {{"rgb32h52.bmp", "rgb24.png"}, {"pal8os2v2.bmp", "pal8.png"}};
    for (const auto& [bmp, png] : cases) {
        const auto file = test::readFile(suiteDir() + "/q/" + bmp);
        TPixelGraphic img;
        ASSERT_NO_THROW(readBmp(ByteSpan(file.data(), file.size()), img)) << bmp;
        const auto refFile = test::readFile(suiteDir() + "/reference/" + png);
        TPixelGraphic ref;
        double gamma = 1.8;
        readPng(ByteSpan(refFile.data(), refFile.size()), ref, gamma);
        EXPECT_EQ(test::compareColors(img, ref), "") << bmp;
    }
    // The 56-byte header with an alpha mask: the colours are read, the alpha is not used.
    const auto file = test::readFile(suiteDir() + "/q/rgba32h56.bmp");
    TPixelGraphic img;
    EXPECT_NO_THROW(readBmp(ByteSpan(file.data(), file.size()), img));
}

// ---- Bitmaps of other test collections, with their answer pictures ----

TEST(BmpOutsideFiles, MatchTheirAnswerPictures)
{
    const std::string go = "/usr/share/gocode/src/golang.org/x/image/testdata/";
    const std::pair<std::string, std::string> cases[] = {
        {go + "colormap.bmp", go + "colormap.png"},
        {go + "video-001.bmp", go + "video-001.png"},
        {go + "yellow_rose-small.bmp", go + "yellow_rose-small.png"},
    };
    // Not compared: yellow_rose-small-v5.bmp (its transparent pixels are composited in the answer,
    // our reader keeps colour only).
    int compared = 0;
    for (const auto& [bmp, png] : cases) {
        if (!fs::exists(bmp) || !fs::exists(png))
            continue;
        ++compared;
        const auto file = test::readFile(bmp);
        TPixelGraphic img;
        ASSERT_NO_THROW(readBmp(ByteSpan(file.data(), file.size()), img)) << bmp;
        const auto refFile = test::readFile(png);
        TPixelGraphic ref;
        double gamma = 1.8;
        readPng(ByteSpan(refFile.data(), refFile.size()), ref, gamma);
        EXPECT_EQ(test::compareColors(img, ref), "") << bmp;
    }
    if (compared == 0)
        GTEST_SKIP() << "golang-golang-x-image-dev and gdk-pixbuf-tests not installed";
}

TEST(BmpOutsideFiles, BrokenFilesRefusedCleanly)
{
    const std::string failDir = "/usr/libexec/installed-tests/gdk-pixbuf/test-images/fail";
    int seen = 0;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(failDir, ec)) {
        if (e.path().extension() != ".bmp")
            continue;
        ++seen;
        const auto bytes = test::readFile(e.path().string());
        TPixelGraphic img;
        EXPECT_THROW(readBmp(ByteSpan(bytes.data(), bytes.size()), img), EImageFormat) << e.path();
    }
    if (seen == 0)
        GTEST_SKIP() << "gdk-pixbuf-tests not installed";
}

}  // namespace
}  // namespace tesra
