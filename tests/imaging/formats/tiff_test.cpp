#include "imaging/formats/tiff.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "imaging/formats/format_error.h"
#include "tests/imaging/formats/jpeg_png_tiff_reference.h"

namespace tesra {
namespace {

using test::RefImage;

// Builds TIFF files by hand, field by field, independently of the writer under test: the
// pixel data at offset 8, then the directory, then the values that do not fit in an entry.
struct TiffBuilder {
    struct Field {
        std::uint16_t tag;
        std::uint16_t type;
        std::uint32_t count;
        std::vector<std::uint32_t> values;  // SHORT/LONG values, or raw bytes for other types
    };
    bool big = false;
    std::vector<std::uint8_t> pixels;
    std::vector<Field> fields;

    void set(std::uint16_t tag, std::uint16_t type, std::vector<std::uint32_t> values)
    {
        for (Field& f : fields)
            if (f.tag == tag) {
                f = {tag, type, static_cast<std::uint32_t>(values.size()), values};
                return;
            }
        fields.push_back({tag, type, static_cast<std::uint32_t>(values.size()), std::move(values)});
    }
    void remove(std::uint16_t tag) { std::erase_if(fields, [&](const Field& f) { return f.tag == tag; }); }

    // A minimal image: width × height, one strip at offset 8 with `data`.
    static TiffBuilder image(int width, int height, int bits, int samples, int photometric, std::vector<std::uint8_t> data)
    {
        TiffBuilder b;
        b.pixels = std::move(data);
        b.set(256, 3, {static_cast<std::uint32_t>(width)});
        b.set(257, 3, {static_cast<std::uint32_t>(height)});
        b.set(258, 3, std::vector<std::uint32_t>(static_cast<std::size_t>(samples), static_cast<std::uint32_t>(bits)));
        b.set(259, 3, {1});
        b.set(262, 3, {static_cast<std::uint32_t>(photometric)});
        b.set(273, 4, {8});
        b.set(277, 3, {static_cast<std::uint32_t>(samples)});
        b.set(278, 4, {static_cast<std::uint32_t>(height)});
        b.set(279, 4, {static_cast<std::uint32_t>(b.pixels.size())});
        return b;
    }

    void put16(std::vector<std::uint8_t>& out, std::uint32_t v) const
    {
        if (big) {
            out.push_back(static_cast<std::uint8_t>(v >> 8));
            out.push_back(static_cast<std::uint8_t>(v));
        } else {
            out.push_back(static_cast<std::uint8_t>(v));
            out.push_back(static_cast<std::uint8_t>(v >> 8));
        }
    }
    void put32(std::vector<std::uint8_t>& out, std::uint32_t v) const
    {
        if (big) {
            put16(out, v >> 16);
            put16(out, v & 0xFFFF);
        } else {
            put16(out, v & 0xFFFF);
            put16(out, v >> 16);
        }
    }
    static int typeSize(std::uint16_t type)
    {
        switch (type) {
        case 3:
            return 2;
        case 4:
            return 4;
        case 5:
            return 8;
        default:
            return 1;
        }
    }
    std::vector<std::uint8_t> encodeValues(const Field& f) const
    {
        std::vector<std::uint8_t> out;
        for (std::uint32_t v : f.values) {
            if (f.type == 3)
                put16(out, v);
            else if (f.type == 4 || f.type == 5)
                put32(out, v);
            else
                out.push_back(static_cast<std::uint8_t>(v));
        }
        return out;
    }

    std::vector<std::uint8_t> bytes() const
    {
        std::vector<std::uint8_t> out;
        out.push_back(big ? 'M' : 'I');
        out.push_back(big ? 'M' : 'I');
        put16(out, 42);
        const std::uint32_t dirPos = static_cast<std::uint32_t>((8 + pixels.size() + 1) & ~std::size_t(1));
        put32(out, dirPos);
        out.insert(out.end(), pixels.begin(), pixels.end());
        out.resize(dirPos, 0);
        std::uint32_t extra = dirPos + 2 + 12 * static_cast<std::uint32_t>(fields.size()) + 4;
        std::vector<std::uint8_t> tail;
        put16(out, static_cast<std::uint32_t>(fields.size()));
        for (const Field& f : fields) {
            put16(out, f.tag);
            put16(out, f.type);
            put32(out, f.count);
            std::vector<std::uint8_t> v = encodeValues(f);
            if (v.size() <= 4) {
                v.resize(4, 0);
                out.insert(out.end(), v.begin(), v.end());
            } else {
                put32(out, extra + static_cast<std::uint32_t>(tail.size()));
                tail.insert(tail.end(), v.begin(), v.end());
            }
        }
        put32(out, 0);
        out.insert(out.end(), tail.begin(), tail.end());
        return out;
    }
};

TPixelGraphic read(const std::vector<std::uint8_t>& bytes, const TiffWarning& warn = {})
{
    TPixelGraphic image;
    readTiff(ByteSpan(bytes), image, warn);
    return image;
}

std::string readError(const std::vector<std::uint8_t>& bytes, const TiffWarning& warn = {})
{
    try {
        read(bytes, warn);
    } catch (const EImageFormat& e) {
        return e.what();
    }
    return "(no error)";
}

TEST(TiffRead, GreyBytesInBothByteOrders)
{
    for (bool big : {false, true}) {
        TiffBuilder b = TiffBuilder::image(3, 2, 8, 1, 1, {0, 100, 255, 7, 8, 9});
        b.big = big;
        const TPixelGraphic image = read(b.bytes());
        ASSERT_EQ(image.Width(), 3);
        ASSERT_EQ(image.Height(), 2);
        EXPECT_EQ(image.PixelFormat(), TPixelFormat::pf8Bit);
        EXPECT_EQ(image.ColorResolution(), 5);
        EXPECT_EQ(image.greyValue(1, 0), 100);
        EXPECT_EQ(image.greyValue(2, 0), 255);
        EXPECT_EQ(image.greyValue(0, 1), 7);
    }
}

TEST(TiffRead, WhiteIsZeroIsInverted)
{
    // 1 bit: 0b10100000 of a 3-pixel row, white-is-zero: pixel 0 is black, 1 white, 2 black.
    const TPixelGraphic bw = read(TiffBuilder::image(3, 1, 1, 1, 0, {0xA0}).bytes());
    EXPECT_EQ(bw.ColorResolution(), 0);
    EXPECT_EQ(bw.GetColor(0, 0), rgb(0, 0, 0));
    EXPECT_EQ(bw.GetColor(1, 0), rgb(255, 255, 255));
    EXPECT_EQ(bw.GetColor(2, 0), rgb(0, 0, 0));
    // The bits beyond the row's last pixel stay 0 in the buffer.
    EXPECT_EQ(bw.rowData(0)[0] & 0x1F, 0);
    // 4 bits: value 3 white-is-zero is grey level (15 - 3) × 17 = 204.
    const TPixelGraphic g4 = read(TiffBuilder::image(2, 1, 4, 1, 0, {0x3F}).bytes());
    EXPECT_EQ(g4.ColorResolution(), 2);
    EXPECT_EQ(g4.greyValue(0, 0), 204);
    EXPECT_EQ(g4.greyValue(1, 0), 0);
    const TPixelGraphic g8 = read(TiffBuilder::image(1, 1, 8, 1, 0, {40}).bytes());
    EXPECT_EQ(g8.greyValue(0, 0), 215);
}

TEST(TiffRead, RgbCmykAndFourthSample)
{
    const TPixelGraphic rgbImage = read(TiffBuilder::image(1, 1, 8, 3, 2, {10, 200, 30}).bytes());
    EXPECT_EQ(rgbImage.GetColor(0, 0), rgb(10, 200, 30));
    // RGB plus a fourth sample: the fourth is ignored.
    const TPixelGraphic rgba = read(TiffBuilder::image(1, 1, 8, 4, 2, {10, 200, 30, 0}).bytes());
    EXPECT_EQ(rgba.GetColor(0, 0), rgb(10, 200, 30));
    // CMYK (10, 20, 30, 40): R = 255-10-40, G = 255-20-40, B = 255-30-40; sums above 255 give 0.
    const TPixelGraphic cmyk = read(TiffBuilder::image(2, 1, 8, 4, 5, {10, 20, 30, 40, 200, 0, 250, 100}).bytes());
    EXPECT_EQ(cmyk.ColorResolution(), 7);
    EXPECT_EQ(cmyk.GetColor(0, 0), rgb(205, 195, 185));
    EXPECT_EQ(cmyk.GetColor(1, 0), rgb(0, 155, 0));
}

TEST(TiffRead, PaletteEntriesAreDividedBy256)
{
    TiffBuilder b = TiffBuilder::image(2, 1, 4, 1, 3, {0x1F});
    std::vector<std::uint32_t> map(48, 0);
    map[1] = 0x1234;       // red of entry 1
    map[16 + 1] = 0xFF00;  // green
    map[32 + 1] = 0x00FF;  // blue
    map[15] = 0xFFFF;
    b.set(320, 3, map);
    const TPixelGraphic image = read(b.bytes());
    EXPECT_EQ(image.PixelFormat(), TPixelFormat::pf4Bit);
    EXPECT_EQ(image.PaletteIdent(), pUnknown);
    EXPECT_EQ(image.GetColor(0, 0), rgb(0x12, 0xFF, 0x00));
    EXPECT_EQ(image.GetColor(1, 0), rgb(0xFF, 0, 0));
}

TEST(TiffRead, PackBitsRows)
{
    // Row 0: a run of 3 × 0xAA (-2), then a literal of 1 byte; row 1: a no-op (-128), then 4 literals.
    TiffBuilder b = TiffBuilder::image(4, 2, 8, 1, 1, {0xFE, 0xAA, 0x00, 0x05, 0x80, 0x03, 1, 2, 3, 4});
    b.set(259, 3, {32773});
    const TPixelGraphic image = read(b.bytes());
    EXPECT_EQ(image.greyValue(0, 0), 0xAA);
    EXPECT_EQ(image.greyValue(2, 0), 0xAA);
    EXPECT_EQ(image.greyValue(3, 0), 5);
    EXPECT_EQ(image.greyValue(0, 1), 1);
    EXPECT_EQ(image.greyValue(3, 1), 4);

    // A run that reaches into the next row does not give the row's byte count.
    TiffBuilder across = TiffBuilder::image(4, 2, 8, 1, 1, {0xF9, 0x11});
    across.set(259, 3, {32773});
    EXPECT_EQ(readError(across.bytes()), "TIFF (PackBits): Invalid count of bytes in row 0");
    // Data that ends in the second row.
    TiffBuilder shortData = TiffBuilder::image(4, 2, 8, 1, 1, {0xFD, 0x11, 0x01, 1, 2});
    shortData.set(259, 3, {32773});
    EXPECT_EQ(readError(shortData.bytes()), "TIFF (PackBits): Invalid count of bytes in row 1");
}

TEST(TiffRead, RefusalsCarryTheirOwnTag)
{
    struct Row {
        const char* name;
        std::function<void(TiffBuilder&)> change;
        const char* message;
    };
    const Row rows[] = {
        {"ccitt", [](TiffBuilder& b) { b.set(259, 3, {2}); }, "TIFF: Unsupported compression CCITT 1D"},
        {"group3", [](TiffBuilder& b) { b.set(259, 3, {3}); }, "TIFF: Unsupported compression Group 3 Fax"},
        {"group4", [](TiffBuilder& b) { b.set(259, 3, {4}); }, "TIFF: Unsupported compression Group 4 Fax"},
        {"lzw", [](TiffBuilder& b) { b.set(259, 3, {5}); }, "TIFF: Unsupported compression LZW"},
        {"jpeg", [](TiffBuilder& b) { b.set(259, 3, {6}); }, "TIFF: Unsupported compression JPEG"},
        {"deflate", [](TiffBuilder& b) { b.set(259, 3, {8}); }, "TIFF: Unsupported compression 8"},
        {"mask", [](TiffBuilder& b) { b.set(262, 3, {4}); }, "TIFF: Unsupported photometric interpretation 4"},
        {"ycbcr", [](TiffBuilder& b) { b.set(262, 3, {6}); }, "TIFF: Unsupported photometric interpretation 6"},
        {"rgb8", [](TiffBuilder& b) { b.set(262, 3, {2}); }, "TIFF: Unsupported 8 Bits/Pixel"},
        {"cmyk8", [](TiffBuilder& b) { b.set(262, 3, {5}); }, "TIFF: Unsupported 8 Bits/Pixel"},
        {"rgb4", [](TiffBuilder& b) { b.set(258, 3, {4}); b.set(262, 3, {2}); }, "TIFF: Unsupported 4 Bits/Pixel"},
        {"bits16", [](TiffBuilder& b) { b.set(258, 3, {16}); }, "TIFF: Unsupported 16 Bits/Pixel"},
        {"bits2", [](TiffBuilder& b) { b.set(258, 3, {2}); }, "TIFF: Unsupported 2 Bits/Pixel"},
        {"type13", [](TiffBuilder& b) { b.set(700, 13, {0}); }, "TIFF: Unsupported field Type: 13"},
        {"type0", [](TiffBuilder& b) { b.set(700, 0, {0}); }, "TIFF: Unsupported field Type: 0"},
        {"spp0", [](TiffBuilder& b) { b.set(277, 3, {0}); }, "TIFF: Invalid SamplesPerPixel"},
        {"sppCount", [](TiffBuilder& b) { b.set(277, 3, {1, 1}); }, "TIFF: Invalid count of SamplesPerPixel"},
        {"bpsCount", [](TiffBuilder& b) { b.set(277, 3, {3}); b.set(258, 3, {8, 8}); },
         "TIFF: Invalid count of SamplesPerPixel"},
        {"rps0", [](TiffBuilder& b) { b.set(278, 4, {0}); }, "TIFF: Invalid RowsPerStrip"},
        {"noWidth", [](TiffBuilder& b) { b.remove(256); }, "TIFF: Invalid ImageWidth"},
        {"noOffsets", [](TiffBuilder& b) { b.remove(273); }, "TIFF: Invalid StripOffsets"},
        {"tiled", [](TiffBuilder& b) { b.remove(273); b.set(322, 3, {16}); }, "TIFF: Unsupported tiled image"},
        {"noColorMap", [](TiffBuilder& b) { b.set(262, 3, {3}); }, "TIFF: Invalid ColorMap"},
        {"stripOutside", [](TiffBuilder& b) { b.set(273, 4, {4000}); }, "TIFF: Unexpected end of file"},
        {"valuesOutside", [](TiffBuilder& b) { for (auto& f : b.fields) if (f.tag == 273) f.count = 1000; },
         "TIFF: Unexpected end of file"},
    };
    for (const Row& row : rows) {
        TiffBuilder b = TiffBuilder::image(2, 2, 8, 1, 1, {1, 2, 3, 4});
        row.change(b);
        std::sort(b.fields.begin(), b.fields.end(), [](const auto& x, const auto& y) { return x.tag < y.tag; });
        EXPECT_EQ(readError(b.bytes()), row.message) << row.name;
    }
    EXPECT_EQ(readError({'I', 'I', 43, 0, 8, 0, 0, 0}), "TIFF: Not a TIF file");
    EXPECT_EQ(readError({'I', 'I', 42, 0, 200, 0, 0, 0}), "TIFF: Unexpected end of file");
}

TEST(TiffRead, StripCountWarning)
{
    const std::string text = "TIFF: NumStripOffsets<>(ImageLength+RowsPerStrip-1) div RowsPerStrip";
    // Three rows of one row each should have three strips; the file has one.
    TiffBuilder one = TiffBuilder::image(1, 3, 8, 1, 1, {10, 20, 30});
    one.set(278, 4, {1});
    std::vector<std::string> asked;
    const TiffWarning yes = [&](const std::string& caption, const std::string& t) {
        asked.push_back(caption + "|" + t);
        return true;
    };
    const TPixelGraphic image = read(one.bytes(), yes);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], "TIFF-Warning|" + text);
    EXPECT_EQ(image.greyValue(0, 2), 30);

    const TiffWarning no = [](const std::string&, const std::string&) { return false; };
    EXPECT_EQ(readError(one.bytes(), no), text);

    // Two offsets for three strips: refused without asking.
    TiffBuilder two = TiffBuilder::image(1, 3, 8, 1, 1, {10, 20, 30});
    two.set(278, 4, {1});
    two.set(273, 4, {8, 9});
    two.set(279, 4, {1, 1});
    asked.clear();
    EXPECT_EQ(readError(two.bytes(), yes), text);
    EXPECT_TRUE(asked.empty());
}

TEST(TiffRead, EveryTruncationFailsCleanlyAndKeepsTheImage)
{
    TiffBuilder b = TiffBuilder::image(5, 3, 8, 3, 2, std::vector<std::uint8_t>(45, 77));
    const std::vector<std::uint8_t> whole = b.bytes();
    TPixelGraphic kept(2, 2, TPixelFormat::pf24Bit);
    kept.SetPixel(1, 1, rgb(1, 2, 3));
    for (std::size_t n = 0; n < whole.size(); ++n) {
        const std::vector<std::uint8_t> part(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
        EXPECT_THROW(readTiff(ByteSpan(part), kept, {}), EImageFormat) << n;
        EXPECT_EQ(kept.Width(), 2);
        EXPECT_EQ(kept.GetColor(1, 1), rgb(1, 2, 3));
    }
}

TEST(TiffRead, ProgressRunsOverTheRows)
{
    struct Counting : ProgressSink {
        int begins = 0, ends = 0, last = -1, steps = 0;
        void begin() override { ++begins; }
        void step(int percent) override
        {
            EXPECT_GT(percent, last);
            last = percent;
            ++steps;
        }
        void end() override { ++ends; }
    } sink;
    TiffBuilder b = TiffBuilder::image(2, 200, 8, 1, 1, std::vector<std::uint8_t>(400, 1));
    TPixelGraphic image;
    readTiff(ByteSpan(b.bytes()), image, {}, &sink);
    EXPECT_EQ(sink.begins, 1);
    EXPECT_EQ(sink.ends, 1);
    EXPECT_EQ(sink.last, 100);
    EXPECT_EQ(sink.steps, 101);  // every percentage from 0 (the first row is 0.5 %) to 100

    // A failing load ends its progress too.
    Counting failing;
    TiffBuilder bad = TiffBuilder::image(4, 2, 8, 1, 1, {0xF9, 0x11});
    bad.set(259, 3, {32773});
    EXPECT_THROW(readTiff(ByteSpan(bad.bytes()), image, {}, &failing), EImageFormat);
    EXPECT_EQ(failing.begins, failing.ends);
}

// ---- Writer ----

// An independent reader of the written directory: tag → (type, count, first value or offset).
struct WrittenEntry {
    int type;
    std::uint32_t count;
    std::uint32_t value;
};
std::map<int, WrittenEntry> writtenDirectory(const std::string& file, std::uint32_t* dirOffset = nullptr)
{
    auto u16 = [&](std::size_t p) { return std::uint32_t(std::uint8_t(file[p])) | std::uint32_t(std::uint8_t(file[p + 1])) << 8; };
    auto u32 = [&](std::size_t p) { return u16(p) | u16(p + 2) << 16; };
    std::map<int, WrittenEntry> out;
    const std::uint32_t dir = u32(4);
    if (dirOffset)
        *dirOffset = dir;
    const std::uint32_t n = u16(dir);
    for (std::uint32_t i = 0; i < n; ++i) {
        const std::size_t p = dir + 2 + 12 * i;
        const int type = static_cast<int>(u16(p + 2));
        const std::uint32_t count = u32(p + 4);
        out[static_cast<int>(u16(p))] = {type, count, (type == 3 && count == 1) ? u16(p + 8) : u32(p + 8)};
    }
    return out;
}

std::string write(const TPixelGraphic& image)
{
    std::ostringstream out;
    writeTiff(image, out);
    return out.str();
}

TEST(TiffWrite, RowsPerStripFromTheRowSize)
{
    EXPECT_EQ(tiffRowsPerStrip(3000, 1000), 10u);
    EXPECT_EQ(tiffRowsPerStrip(40000, 1000), 1u);  // a row above 32767 bytes: at least 1
    EXPECT_EQ(tiffRowsPerStrip(3, 5), 5u);         // at most the height

    // 1000 rows of 3000 bytes: 1000 pixels of 24 bits.
    TPixelGraphic image(1000, 1000, TPixelFormat::pf24Bit);
    const std::string file = write(image);
    const auto dir = writtenDirectory(file);
    EXPECT_EQ(dir.at(278).value, 10u);
    EXPECT_EQ(dir.at(273).count, 100u);
    EXPECT_EQ(dir.at(279).count, 100u);
}

TEST(TiffWrite, TagListOfEachResolution)
{
    struct Row {
        TPixelFormat format;
        TPaletteIdent palette;
        int bitsValue;  // BitsPerSample value (or 8 for three samples)
        int photometric;
        int samples;
        std::uint32_t colorMapCount;  // 0: no ColorMap
    };
    const Row rows[] = {
        {TPixelFormat::pf1Bit, pBlackWhite, 1, 1, 1, 0},  {TPixelFormat::pf4Bit, pGray16, 4, 1, 1, 0},
        {TPixelFormat::pf4Bit, pSys16, 4, 3, 1, 48},      {TPixelFormat::pf8Bit, pGray256, 8, 1, 1, 0},
        {TPixelFormat::pf8Bit, pSpecial216, 8, 3, 1, 768}, {TPixelFormat::pf24Bit, pTrueColor, 8, 2, 3, 0},
    };
    for (const Row& row : rows) {
        TPixelGraphic image(7, 3, row.format);
        image.SetPaletteIdent(row.palette);
        const std::string file = write(image);
        ASSERT_EQ(file.substr(0, 4), std::string("II\x2A\0", 4));
        std::uint32_t dirOffset = 0;
        const auto dir = writtenDirectory(file, &dirOffset);
        EXPECT_EQ(dirOffset % 2, 0u);
        std::vector<int> tags;
        for (const auto& [tag, e] : dir)
            tags.push_back(tag);
        std::vector<int> expected = {254, 256, 257, 258, 259, 262, 273, 277, 278, 279, 282, 283, 296};
        if (row.colorMapCount)
            expected.push_back(320);
        EXPECT_EQ(tags, expected);
        EXPECT_EQ(dir.at(254).value, 0u);
        EXPECT_EQ(dir.at(256).value, 7u);
        EXPECT_EQ(dir.at(257).value, 3u);
        EXPECT_EQ(dir.at(258).count, static_cast<std::uint32_t>(row.samples));
        if (row.samples == 1) {
            EXPECT_EQ(dir.at(258).value, static_cast<std::uint32_t>(row.bitsValue));
        }
        EXPECT_EQ(dir.at(259).value, 1u);
        EXPECT_EQ(dir.at(262).value, static_cast<std::uint32_t>(row.photometric));
        EXPECT_EQ(dir.at(277).value, static_cast<std::uint32_t>(row.samples));
        EXPECT_EQ(dir.at(296).value, 2u);
        for (int tag : {282, 283}) {
            const std::uint32_t at = dir.at(tag).value;
            EXPECT_EQ(at % 2, 0u);
            EXPECT_EQ(file.substr(at, 8), std::string("\x2C\x01\0\0\x01\0\0\0", 8));
        }
        if (row.colorMapCount) {
            EXPECT_EQ(dir.at(320).count, row.colorMapCount);
            EXPECT_EQ(dir.at(320).value % 2, 0u);
        }
    }
}

TEST(TiffWrite, ColorMapHoldsColoursTimes256)
{
    TPixelGraphic image(2, 1, TPixelFormat::pf4Bit);
    image.SetPalette({rgb(1, 2, 3), rgb(255, 0, 128)});
    const std::string file = write(image);
    const auto dir = writtenDirectory(file);
    const std::uint32_t at = dir.at(320).value;
    auto entry = [&](int i) {
        return std::uint32_t(std::uint8_t(file[at + 2 * i])) | std::uint32_t(std::uint8_t(file[at + 2 * i + 1])) << 8;
    };
    EXPECT_EQ(entry(0), 256u);        // red of entry 0
    EXPECT_EQ(entry(1), 255u * 256);  // red of entry 1
    EXPECT_EQ(entry(2), 0u);          // entries beyond the palette are 0
    EXPECT_EQ(entry(16), 512u);       // green of entry 0
    EXPECT_EQ(entry(33), 128u * 256);  // blue of entry 1
}

TEST(TiffWrite, RefusesTwoColoursAndEmptyImages)
{
    TPixelGraphic two(4, 4, TPixelFormat::pf1Bit);
    two.SetPalette({rgb(255, 0, 0), rgb(0, 0, 255)});
    EXPECT_THROW(write(two), EImageFormat);
    EXPECT_THROW(write(TPixelGraphic()), EImageFormat);
}

// A test picture with every colour level of every channel somewhere.
TPixelGraphic colourPicture(int width, int height)
{
    TPixelGraphic image(width, height, TPixelFormat::pf24Bit);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.SetPixel(x, y, rgb((x * 255) / (width - 1), (y * 255) / (height - 1), (x * y) % 256));
    return image;
}

TPixelGraphic atResolution(int resolution, int width, int height)
{
    const TPixelFormat formats[] = {TPixelFormat::pf1Bit, TPixelFormat::pf1Bit, TPixelFormat::pf4Bit,
                                    TPixelFormat::pf4Bit, TPixelFormat::pf4Bit, TPixelFormat::pf8Bit,
                                    TPixelFormat::pf8Bit, TPixelFormat::pf24Bit};
    if (resolution == 7)
        return colourPicture(width, height);
    TPixelGraphic image(width, height, formats[resolution]);
    switch (resolution) {
    case 0:
        image.SetPaletteIdent(pBlackWhite);
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
        image.SetPaletteIdent(pSpecial216);
        break;
    }
    const int entries = image.PaletteCount();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.SetPixel(x, y, static_cast<std::uint32_t>((x * 7 + y * 3) % entries));
    return image;
}

// Every resolution the writer accepts, read back by our reader and by Pillow and ImageMagick.
TEST(TiffWrite, RoundTripAtEveryResolution)
{
    const std::string dir = test::makeTempDir("tiff_round");
    for (int resolution : {0, 2, 3, 4, 5, 6, 7}) {
        const TPixelGraphic image = atResolution(resolution, 37, 11);
        ASSERT_EQ(image.ColorResolution(), resolution);
        const std::string file = write(image);
        const std::vector<std::uint8_t> bytes(file.begin(), file.end());
        const TPixelGraphic back = read(bytes);
        ASSERT_EQ(back.Width(), 37);
        EXPECT_EQ(back.PixelFormat(), image.PixelFormat());
        for (int y = 0; y < 11; ++y)
            for (int x = 0; x < 37; ++x)
                ASSERT_EQ(back.GetColor(x, y), image.GetColor(x, y)) << resolution << " " << x << "," << y;

        const std::string path = dir + "/r" + std::to_string(resolution) + ".tif";
        test::writeFile(path, bytes);
        // Colour maps hold each colour × 256; other readers scale 16-bit map entries by 1/257,
        // which makes 255 into 254. Our reader divides by 256 and gets the colours back exactly.
        const int tolerance = resolution == 3 || resolution == 4 || resolution == 6 ? 1 : 0;
        for (const auto& ref : {test::decodeWithPillow(path), test::decodeWithImageMagick(path)}) {
            if (!ref)
                continue;
            const int difference = test::maxDifference(image, *ref);
            EXPECT_GE(difference, 0) << "resolution " << resolution;
            EXPECT_LE(difference, tolerance) << "resolution " << resolution;
        }
    }
    if (!test::havePillow() || !test::haveImageMagick())
        GTEST_SKIP() << "Pillow or ImageMagick not installed: written files checked by our reader only";
}

// ---- Files nobody here wrote ----

struct CorpusFile {
    std::string path;
    std::string answer;  // an answer image of the suite, or empty
};

std::vector<CorpusFile> goTiffFiles()
{
    const std::string dir = "/usr/share/gocode/src/golang.org/x/image/testdata";
    std::vector<CorpusFile> out;
    for (const std::string& f : test::filesIn(dir, {".tiff"})) {
        const std::string base = test::baseName(f);
        std::string answer;
        // The grey and palette versions are not the colour answer image; they are compared
        // with an independent decoder of the file itself.
        if (base.find("gray") != std::string::npos || base.find("paletted") != std::string::npos)
            answer.clear();
        else if (base.rfind("video-001", 0) == 0)
            answer = dir + "/video-001.png";
        else if (base.rfind("bw-", 0) == 0)
            answer = dir + "/bw-gopher.png";
        else if (base.rfind("blue-purple-pink", 0) == 0)
            answer = dir + "/blue-purple-pink.png";
        out.push_back({f, answer});
    }
    return out;
}

class GoTiff : public testing::TestWithParam<CorpusFile> {};

// Each file either decodes to its answer image (or, without one, to what Pillow and
// ImageMagick agree on), or is refused with one of the reader's TIFF messages.
TEST_P(GoTiff, MatchesAnswerOrIsRefused)
{
    const CorpusFile& c = GetParam();
    TPixelGraphic image;
    try {
        image = read(test::readFile(c.path));
    } catch (const EImageFormat& e) {
        const std::string m = e.what();
        EXPECT_EQ(m.rfind("TIFF", 0), 0u) << m;
        // Variants outside ours: LZW, deflate, fax, 16 bits, tiles.
        const bool expected = m.find("Unsupported") != std::string::npos;
        EXPECT_TRUE(expected) << c.path << ": " << m;
        return;
    }
    std::optional<RefImage> ref;
    if (!c.answer.empty())
        ref = test::decodeWithPillow(c.answer);
    if (!ref)
        ref = test::decodeWithPillow(c.path);
    if (!ref)
        GTEST_SKIP() << "Pillow (python3-pil) not installed";
    EXPECT_EQ(test::maxDifference(image, *ref), 0) << c.path;
}

INSTANTIATE_TEST_SUITE_P(Corpus, GoTiff, testing::ValuesIn(goTiffFiles()),
                         [](const auto& info) { return test::testName(info.param.path); });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(GoTiff);

struct CheckitFile {
    std::string path;
    bool shouldPass;
};

std::vector<CheckitFile> checkitFiles()
{
    std::vector<CheckitFile> out;
    for (const char* sub : {"tiffs_should_pass", "tiffs_should_pass/bigendian", "tiffs_should_fail"}) {
        const std::string dir = std::string("/usr/share/checkit_tiff/") + sub;
        if (!std::filesystem::is_directory(dir))
            continue;
        for (const auto& e : std::filesystem::directory_iterator(dir))
            if (e.is_regular_file())
                out.push_back({e.path().string(), std::string(sub).find("pass") != std::string::npos});
    }
    std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.path < b.path; });
    return out;
}

class CheckitTiff : public testing::TestWithParam<CheckitFile> {};

// The suite's verdicts are about conformance, not about what a reader must show. A file is
// either refused with a TIFF message (never a crash or another error), or decoded; a decoded
// file agrees with the majority of Pillow and ImageMagick where they can read it.
TEST_P(CheckitTiff, DecodesLikeOthersOrIsRefused)
{
    const CheckitFile& c = GetParam();
    TPixelGraphic image;
    try {
        image = read(test::readFile(c.path), [](const std::string&, const std::string&) { return true; });
    } catch (const EImageFormat& e) {
        EXPECT_EQ(std::string(e.what()).rfind("TIFF", 0), 0u) << e.what();
        return;
    }
    const auto pillow = test::decodeWithPillow(c.path);
    const auto magick = test::decodeWithImageMagick(c.path);
    int agreeing = 0, asked = 0;
    for (const auto& ref : {pillow, magick}) {
        if (!ref)
            continue;
        ++asked;
        agreeing += test::maxDifference(image, *ref) == 0;
    }
    if (asked == 0)
        GTEST_SKIP() << "neither Pillow nor ImageMagick decodes " << c.path;
    EXPECT_GE(agreeing, 1) << c.path;
}

INSTANTIATE_TEST_SUITE_P(Corpus, CheckitTiff, testing::ValuesIn(checkitFiles()),
                         [](const auto& info) { return test::testName(info.param.path); });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(CheckitTiff);

}  // namespace
}  // namespace tesra
