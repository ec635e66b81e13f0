#include "imaging/formats/tiff.h"

#include <gtest/gtest.h>

#include <bit>
#include <map>

#include <zlib.h>
#include <sstream>

#include "imaging/checked_size.h"
#include "imaging/formats/format_error.h"
#include "tests/imaging/formats/hostile_files.h"
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
    const std::string hintCompression = " \u2014 save the image uncompressed or as PNG and open it again";
    const std::string hintSamples = " \u2014 save the image as 8-bit grey or RGB, or as PNG, and open it again";
    struct Row {
        const char* name;
        std::function<void(TiffBuilder&)> change;
        std::string message;
    };
    const Row rows[] = {
        {"ccitt", [](TiffBuilder& b) { b.set(259, 3, {2}); }, "TIFF: Unsupported compression CCITT 1D" + hintCompression},
        {"group3", [](TiffBuilder& b) { b.set(259, 3, {3}); }, "TIFF: Unsupported compression Group 3 Fax" + hintCompression},
        {"group4", [](TiffBuilder& b) { b.set(259, 3, {4}); }, "TIFF: Unsupported compression Group 4 Fax" + hintCompression},
        {"jpeg", [](TiffBuilder& b) { b.set(259, 3, {6}); }, "TIFF: Unsupported compression JPEG" + hintCompression},
        {"newJpegData", [](TiffBuilder& b) { b.set(259, 3, {7}); }, "TIFF (JPEG): Invalid data in strip 1"},
        {"jpeg16", [](TiffBuilder& b) { b.set(258, 3, {16}); b.set(259, 3, {7}); },
         "TIFF: Unsupported JPEG data (1 \u00d7 16 bits)" + hintSamples},
        {"ycbcrJpegTables", [](TiffBuilder& b) { b.set(259, 3, {7}); b.set(277, 3, {3}); b.set(258, 3, {8, 8, 8}); b.set(262, 3, {6}); b.set(347, 3, {1, 2}); },
         "TIFF: Invalid JPEGTables"},
        {"other", [](TiffBuilder& b) { b.set(259, 3, {34712}); }, "TIFF: Unsupported compression 34712" + hintCompression},
        {"mask", [](TiffBuilder& b) { b.set(262, 3, {4}); }, "TIFF: Unsupported photometric interpretation 4" + hintSamples},
        {"ycbcr", [](TiffBuilder& b) { b.set(262, 3, {6}); }, "TIFF: Unsupported photometric interpretation 6" + hintSamples},
        {"rgb8", [](TiffBuilder& b) { b.set(262, 3, {2}); }, "TIFF: Unsupported 8 Bits/Pixel" + hintSamples},
        {"cmyk8", [](TiffBuilder& b) { b.set(262, 3, {5}); }, "TIFF: Unsupported 8 Bits/Pixel" + hintSamples},
        {"rgb4", [](TiffBuilder& b) { b.set(258, 3, {4}); b.set(262, 3, {2}); }, "TIFF: Unsupported 4 Bits/Pixel" + hintSamples},
        {"palette16", [](TiffBuilder& b) { b.set(258, 3, {16}); b.set(262, 3, {3}); }, "TIFF: Unsupported 16 Bits/Pixel" + hintSamples},
        {"greyAlpha16", [](TiffBuilder& b) { b.set(277, 3, {2}); b.set(258, 3, {8, 8}); }, "TIFF: Unsupported 16 Bits/Pixel" + hintSamples},
        {"bits2", [](TiffBuilder& b) { b.set(258, 3, {2}); }, "TIFF: Unsupported 2 Bits/Pixel" + hintSamples},
        {"signed8", [](TiffBuilder& b) { b.set(339, 3, {2}); }, "TIFF: Unsupported SampleFormat 2" + hintSamples},
        {"float16", [](TiffBuilder& b) { b.set(258, 3, {16}); b.set(339, 3, {3}); }, "TIFF: Unsupported SampleFormat 3" + hintSamples},
        {"predictor3", [](TiffBuilder& b) { b.set(259, 3, {5}); b.set(317, 3, {3}); }, "TIFF: Unsupported Predictor 3" + hintCompression},
        {"predictor4Bit", [](TiffBuilder& b) { b.set(258, 3, {4}); b.set(259, 3, {8}); b.set(317, 3, {2}); },
         "TIFF: Unsupported Predictor 2" + hintCompression},
        {"usedType13", [](TiffBuilder& b) { b.set(256, 13, {2}); }, "TIFF: Unsupported field Type: 13"},
        {"usedType16", [](TiffBuilder& b) { b.set(273, 16, {8}); }, "TIFF: Unsupported field Type: 16"},
        {"usedType0", [](TiffBuilder& b) { b.set(259, 0, {1}); }, "TIFF: Unsupported field Type: 0"},
        {"spp0", [](TiffBuilder& b) { b.set(277, 3, {0}); }, "TIFF: Invalid SamplesPerPixel"},
        {"sppCount", [](TiffBuilder& b) { b.set(277, 3, {1, 1}); }, "TIFF: Invalid count of SamplesPerPixel"},
        {"bpsCount", [](TiffBuilder& b) { b.set(277, 3, {3}); b.set(258, 3, {8, 8}); },
         "TIFF: Invalid count of SamplesPerPixel"},
        {"rps0", [](TiffBuilder& b) { b.set(278, 4, {0}); }, "TIFF: Invalid RowsPerStrip"},
        {"noWidth", [](TiffBuilder& b) { b.remove(256); }, "TIFF: Invalid ImageWidth"},
        {"noOffsets", [](TiffBuilder& b) { b.remove(273); }, "TIFF: Invalid StripOffsets"},
        {"tileNoLength", [](TiffBuilder& b) { b.remove(273); b.set(322, 3, {16}); }, "TIFF: Invalid TileLength"},
        {"tileOffsets", [](TiffBuilder& b) { b.remove(273); b.set(322, 3, {16}); b.set(323, 3, {16}); b.set(324, 4, {8, 8}); },
         "TIFF: Invalid TileOffsets"},
        {"tileOddBits", [](TiffBuilder& b) { b.set(258, 3, {1}); b.remove(273); b.set(322, 3, {3}); b.set(323, 3, {16}); b.set(324, 4, {8}); },
         "TIFF: Invalid TileWidth"},
        {"planar3", [](TiffBuilder& b) { b.set(284, 3, {3}); }, "TIFF: Invalid PlanarConfiguration"},
        {"noColorMap", [](TiffBuilder& b) { b.set(262, 3, {3}); }, "TIFF: Invalid ColorMap"},
        {"longColorMap", [](TiffBuilder& b) { b.set(262, 3, {3}); b.set(320, 4, std::vector<std::uint32_t>(768, 0)); },
         "TIFF: Invalid ColorMap"},
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

// A literal-only TIFF LZW encoder written for the tests: a clear code, each byte as a 9-bit
// code (with a clear code often enough that the width never grows), the end code.
std::vector<std::uint8_t> lzwLiterals(const std::vector<std::uint8_t>& bytes, bool withEnd = true)
{
    std::vector<unsigned> codes = {256};
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i % 200 == 199)
            codes.push_back(256);
        codes.push_back(bytes[i]);
    }
    if (withEnd)
        codes.push_back(257);
    std::vector<std::uint8_t> out;
    std::uint32_t acc = 0;
    int count = 0;
    for (unsigned c : codes) {
        acc = (acc << 9) | c;
        count += 9;
        while (count >= 8) {
            out.push_back(static_cast<std::uint8_t>(acc >> (count - 8)));
            count -= 8;
        }
    }
    if (count > 0)
        out.push_back(static_cast<std::uint8_t>(acc << (8 - count)));
    return out;
}

std::vector<std::uint8_t> zlibOf(const std::vector<std::uint8_t>& bytes)
{
    uLongf size = compressBound(static_cast<uLong>(bytes.size()));
    std::vector<std::uint8_t> out(size);
    compress2(out.data(), &size, bytes.data(), static_cast<uLong>(bytes.size()), 9);
    out.resize(size);
    return out;
}

TEST(TiffRead, UnknownFieldTypesOfUnusedTagsAreSkipped)
{
    // An EXIF directory pointer (type 13) and the 64-bit types of large files, on tags the
    // reader does not use, as SEM programs write them.
    TiffBuilder b = TiffBuilder::image(2, 1, 8, 1, 1, {5, 6});
    b.set(34665, 13, {0, 0, 0, 0});
    b.set(50000, 16, {1, 2, 3, 4, 5, 6, 7, 8});
    b.set(50001, 99, {1});
    const TPixelGraphic image = read(b.bytes());
    EXPECT_EQ(image.greyValue(1, 0), 6);
}

TEST(TiffRead, ColorMapOfAnotherTypeIsRefused)
{
    // FLOAT values would be scaled into the neighbouring channel: refused, as in the file
    // fuzzing found.
    TiffBuilder b = TiffBuilder::image(2, 1, 4, 1, 3, {0x1F});
    b.set(320, 11, std::vector<std::uint32_t>(48 * 4, 0x40));
    EXPECT_EQ(readError(b.bytes()), "TIFF: Invalid ColorMap");
    const std::string found = test::sourceDir() + "/fuzz/must_fail/tiff/tiff-colormap-float.tif";
    EXPECT_EQ(readError(test::readFile(found)), "TIFF: Invalid ColorMap");
}

TEST(TiffRead, ReversedBitOrder)
{
    // FillOrder 2: the first pixel is the lowest bit. 0b00000101 reversed is 0b10100000.
    TiffBuilder b = TiffBuilder::image(3, 1, 1, 1, 1, {0x05});
    b.set(266, 3, {2});
    const TPixelGraphic image = read(b.bytes());
    EXPECT_EQ(image.GetColor(0, 0), rgb(255, 255, 255));
    EXPECT_EQ(image.GetColor(1, 0), rgb(0, 0, 0));
    EXPECT_EQ(image.GetColor(2, 0), rgb(255, 255, 255));
    // Compressed data is reversed before it is decoded.
    std::vector<std::uint8_t> lzw = lzwLiterals({0x05});
    for (std::uint8_t& v : lzw) {
        std::uint8_t r = 0;
        for (int i = 0; i < 8; ++i)
            r = static_cast<std::uint8_t>(r | (((v >> i) & 1) << (7 - i)));
        v = r;
    }
    TiffBuilder c = TiffBuilder::image(3, 1, 1, 1, 1, lzw);
    c.set(259, 3, {5});
    c.set(266, 3, {2});
    EXPECT_EQ(read(c.bytes()).GetColor(1, 0), rgb(0, 0, 0));
}

TEST(TiffRead, LzwAndDeflateStreamsAreChecked)
{
    const std::vector<std::uint8_t> pixels = {1, 2, 3, 4, 5, 6};
    struct Row {
        const char* name;
        std::uint32_t compression;
        std::vector<std::uint8_t> data;
        std::string message;  // empty: loads
    };
    std::vector<std::uint8_t> badCode = lzwLiterals(pixels);
    badCode[1] |= 0x7F;  // the first code after the clear code becomes a table code
    const Row rows[] = {
        {"lzw", 5, lzwLiterals(pixels), ""},
        {"lzwWithoutEnd", 5, lzwLiterals(pixels, false), ""},
        {"lzwShort", 5, lzwLiterals({1, 2, 3}), "TIFF (LZW): Not enough data in strip 1"},
        // A stream that goes on beyond the image is refused, never decoded into memory.
        {"lzwLong", 5, lzwLiterals(std::vector<std::uint8_t>(5000, 9)), "TIFF (LZW): More data than the image holds in strip 1"},
        {"lzwInvalid", 5, badCode, "TIFF (LZW): Invalid data in strip 1"},
        {"deflate", 8, zlibOf(pixels), ""},
        {"deflateOld", 32946, zlibOf(pixels), ""},
        {"deflateShort", 8, zlibOf({1, 2}), "TIFF (Deflate): Not enough data in strip 1"},
        {"deflateBomb", 8, zlibOf(std::vector<std::uint8_t>(20 << 20, 0)), "TIFF (Deflate): More data than the image holds in strip 1"},
        {"deflateInvalid", 8, {0x78, 0x9C, 0xFF, 0xFF, 0xFF}, "TIFF (Deflate): Invalid data in strip 1"},
    };
    for (const Row& row : rows) {
        TiffBuilder b = TiffBuilder::image(3, 2, 8, 1, 1, row.data);
        b.set(259, 3, {row.compression});
        if (row.message.empty()) {
            const TPixelGraphic image = read(b.bytes());
            EXPECT_EQ(image.greyValue(0, 0), 1) << row.name;
            EXPECT_EQ(image.greyValue(2, 1), 6) << row.name;
        } else {
            EXPECT_EQ(readError(b.bytes()), row.message) << row.name;
        }
    }
    // A last strip that reaches beyond the image may hold its full rows, however many: only
    // the rows inside the image are decoded.
    for (std::uint32_t compression : {5u, 8u}) {
        auto encode = [&](const std::vector<std::uint8_t>& v) { return compression == 5 ? lzwLiterals(v) : zlibOf(v); };
        std::vector<std::uint8_t> data = encode(std::vector<std::uint8_t>(6, 5));
        const std::uint32_t first = static_cast<std::uint32_t>(data.size());
        const std::vector<std::uint8_t> last = encode(std::vector<std::uint8_t>(6, 7));  // rows 2 and 3 of 3
        data.insert(data.end(), last.begin(), last.end());
        TiffBuilder b = TiffBuilder::image(3, 3, 8, 1, 1, data);
        b.set(259, 3, {compression});
        b.set(273, 4, {8, 8 + first});
        b.set(278, 4, {2});
        b.set(279, 4, {first, static_cast<std::uint32_t>(last.size())});
        EXPECT_EQ(read(b.bytes()).greyValue(2, 2), 7) << compression;
    }
}

TEST(TiffRead, PredictorOnSixteenBitSamplesInBothByteOrders)
{
    // Two pixels of 16-bit RGB: differences 1000, 2000, 65535 (that is −1) for the second.
    for (bool big : {false, true}) {
        std::vector<std::uint8_t> raw;
        for (std::uint32_t v : {100u, 200u, 300u, 1000u, 2000u, 65535u}) {
            raw.push_back(static_cast<std::uint8_t>(big ? v >> 8 : v));
            raw.push_back(static_cast<std::uint8_t>(big ? v : v >> 8));
        }
        TiffBuilder b = TiffBuilder::image(2, 1, 16, 3, 2, zlibOf(raw));
        b.big = big;
        b.set(259, 3, {8});
        b.set(317, 3, {2});
        DepthReduction r;
        TPixelGraphic image;
        readTiff(ByteSpan(b.bytes()), image, {}, nullptr, &r);
        // Samples 100, 200, 300, 1100, 2200, 299 over the range 100..2200.
        EXPECT_EQ(r.minimum, 100);
        EXPECT_EQ(r.maximum, 2200);
        EXPECT_EQ(image.GetColor(0, 0), rgb(0, 12, 24)) << big;      // 100·255/2100 = 12.1, 200 → 24.3
        EXPECT_EQ(image.GetColor(1, 0), rgb(121, 255, 24)) << big;   // 1000·255/2100 = 121.4
    }
}

TEST(TiffRead, FloatingPointPredictorInBothByteOrders)
{
    // Two rows of three floats, each row's bytes split into planes (most significant first)
    // and differenced byte by byte, as the predictor's description has it.
    const float values[2][3] = {{1.5f, -2.25f, 100.0f}, {0.0f, 7.0f, -0.5f}};
    for (bool big : {false, true}) {
        std::vector<std::uint8_t> raw;
        for (const auto& row : values) {
            std::uint8_t planes[12];
            for (int i = 0; i < 3; ++i) {
                const std::uint32_t bits = std::bit_cast<std::uint32_t>(row[i]);
                for (int b = 0; b < 4; ++b)
                    planes[b * 3 + i] = static_cast<std::uint8_t>(bits >> (24 - 8 * b));
            }
            for (int k = 11; k > 0; --k)
                planes[k] = static_cast<std::uint8_t>(planes[k] - planes[k - 1]);
            raw.insert(raw.end(), planes, planes + 12);
        }
        TiffBuilder b = TiffBuilder::image(3, 2, 32, 1, 1, zlibOf(raw));
        b.big = big;
        b.set(259, 3, {8});
        b.set(317, 3, {3});
        b.set(339, 3, {3});
        DepthReduction r;
        TPixelGraphic image;
        readTiff(ByteSpan(b.bytes()), image, {}, nullptr, &r);
        EXPECT_EQ(r.minimum, -2.25) << big;
        EXPECT_EQ(r.maximum, 100.0) << big;
        EXPECT_EQ(image.greyValue(0, 0), 9) << big;    // 3.75 · 255 / 102.25 = 9.4
        EXPECT_EQ(image.greyValue(2, 1), 4) << big;    // 1.75 · 255 / 102.25 = 4.4
        EXPECT_EQ(image.greyValue(1, 1), 23) << big;   // 9.25 · 255 / 102.25 = 23.1
    }
}

TEST(TiffRead, DeepGreyKinds)
{
    // 16-bit white-is-zero: the largest sample is black.
    TiffBuilder w = TiffBuilder::image(3, 1, 16, 1, 0, {0x10, 0, 0x20, 0, 0x30, 0});
    const TPixelGraphic white = read(w.bytes());
    EXPECT_EQ(white.ColorResolution(), 5);
    EXPECT_EQ(white.greyValue(0, 0), 255);
    EXPECT_EQ(white.greyValue(1, 0), 127);  // halfway: 127.5 → 128 (even), then inverted
    EXPECT_EQ(white.greyValue(2, 0), 0);
    // Signed 16-bit: −2, 0, 2 spread over the scale.
    TiffBuilder s = TiffBuilder::image(3, 1, 16, 1, 1, {0xFE, 0xFF, 0, 0, 2, 0});
    s.set(339, 3, {2});
    const TPixelGraphic sig = read(s.bytes());
    EXPECT_EQ(sig.greyValue(0, 0), 0);
    EXPECT_EQ(sig.greyValue(1, 0), 128);
    EXPECT_EQ(sig.greyValue(2, 0), 255);
    // A uniform image has no range: black, and it says so.
    TiffBuilder u = TiffBuilder::image(2, 1, 16, 1, 1, {7, 0, 7, 0});
    DepthReduction r;
    TPixelGraphic uniform;
    readTiff(ByteSpan(u.bytes()), uniform, {}, nullptr, &r);
    EXPECT_EQ(uniform.greyValue(1, 0), 0);
    EXPECT_EQ(depthReductionText(r), "16-bit image shown as 8-bit, range 7\u20137");
}

TEST(TiffRead, TilesAndPlanesByHand)
{
    // 3 × 3 RGB in 2 × 2 tiles with separate planes: 4 tiles per plane, each 2 × 2 samples.
    TiffBuilder b;
    std::vector<std::uint8_t> tiles;
    std::vector<std::uint32_t> offsets;
    for (int plane = 0; plane < 3; ++plane)
        for (int ty = 0; ty < 2; ++ty)
            for (int tx = 0; tx < 2; ++tx) {
                offsets.push_back(8 + static_cast<std::uint32_t>(tiles.size()));
                for (int y = 0; y < 2; ++y)
                    for (int x = 0; x < 2; ++x)
                        tiles.push_back(static_cast<std::uint8_t>(plane * 100 + (ty * 2 + y) * 10 + tx * 2 + x));
            }
    b.pixels = tiles;
    b.set(256, 3, {3});
    b.set(257, 3, {3});
    b.set(258, 3, {8, 8, 8});
    b.set(259, 3, {1});
    b.set(262, 3, {2});
    b.set(277, 3, {3});
    b.set(284, 3, {2});
    b.set(322, 3, {2});
    b.set(323, 3, {2});
    b.set(324, 4, offsets);
    b.set(325, 4, std::vector<std::uint32_t>(12, 4));
    const TPixelGraphic image = read(b.bytes());
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) {
            const int v = y * 10 + x;
            EXPECT_EQ(image.GetColor(x, y), rgb(v, 100 + v, 200 + v)) << x << "," << y;
        }
    // Separate planes need every plane's strips.
    TiffBuilder p = TiffBuilder::image(2, 1, 8, 3, 2, {1, 2, 3, 4, 5, 6});
    p.set(284, 3, {2});
    EXPECT_EQ(readError(p.bytes()), "TIFF: NumStripOffsets<>(ImageLength+RowsPerStrip-1) div RowsPerStrip");
    p.set(273, 4, {8, 10, 12});
    p.set(279, 4, {2, 2, 2});
    EXPECT_EQ(read(p.bytes()).GetColor(1, 0), rgb(2, 4, 6));
}

TEST(TiffRead, DeepImagesNeedNoRoomForTheirSamples)
{
    // The samples are reduced chunk by chunk into the buffer: a limit that holds the buffer
    // alone (40 × 25 bytes) is enough for 2000 bytes of 16-bit samples.
    const ImageSizeLimits saved = imageSizeLimits();
    setImageSizeLimits({1'000'000, 1000});
    TiffBuilder b = TiffBuilder::image(40, 25, 16, 1, 1, std::vector<std::uint8_t>(2000, 1));
    b.pixels[1999] = 2;
    TPixelGraphic image;
    EXPECT_NO_THROW(image = read(b.bytes()));
    setImageSizeLimits(saved);
    EXPECT_EQ(image.greyValue(0, 0), 0);
    EXPECT_EQ(image.greyValue(39, 24), 255);
}

// Small files that promise huge images or huge decoding work are answered by what their data
// can hold: refused before anything is allocated, or loaded decoding only what lies inside
// the image. (What they cost is measured in hostile_files_bench.)
TEST(TiffRead, SmallFilesThatPromiseHugeWorkAreAnsweredByTheirData)
{
    for (const test::HostileTiffCase& c : test::hostileTiffs()) {
        const std::vector<std::uint8_t> bytes = c.file.bytes();
        EXPECT_LT(bytes.size(), 300u << 10) << c.name;
        if (!c.message.empty()) {
            EXPECT_EQ(readError(bytes), c.message) << c.name;
            continue;
        }
        const TPixelGraphic image = read(bytes);
        EXPECT_EQ(image.Width(), static_cast<int>(c.file.width)) << c.name;
        EXPECT_EQ(image.greyValue(image.Width() - 1, 0), 0) << c.name;
    }
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

std::optional<RefImage> decodeWithImageMagickStretched(const std::string& path)
{
    if (!test::haveImageMagick())
        return std::nullopt;
    const std::string out = test::tempFile("im_stretched.ppm");
    std::remove(out.c_str());
    const std::string cmd = "/usr/bin/convert-im6.q16 " + test::quoted(path + "[0]") +
                            " -set colorspace sRGB -auto-level -depth 8 " + test::quoted("ppm:" + out) + " >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0)
        return std::nullopt;
    return test::parsePnm(test::readFile(out));
}

// Each file either decodes to its answer image (or, without one, to what Pillow and
// ImageMagick agree on), or is refused with one of the reader's TIFF messages.
TEST_P(GoTiff, MatchesAnswerOrIsRefused)
{
    const CorpusFile& c = GetParam();
    TPixelGraphic image;
    DepthReduction reduction;
    try {
        readTiff(ByteSpan(test::readFile(c.path)), image, {}, nullptr, &reduction);
    } catch (const EImageFormat& e) {
        const std::string m = e.what();
        EXPECT_EQ(m.rfind("TIFF", 0), 0u) << m;
        // Variants outside ours: fax compressions.
        const bool expected = m.find("Unsupported") != std::string::npos;
        EXPECT_TRUE(expected) << c.path << ": " << m;
        return;
    }
    if (reduction.reduced()) {
        // Deep samples are stretched over their own range, as ImageMagick's auto-level does
        // (its 16-bit result is then rounded to 8 bits once more: at most 1 apart).
        const auto stretched = decodeWithImageMagickStretched(c.path);
        if (!stretched)
            GTEST_SKIP() << "ImageMagick not installed";
        EXPECT_LE(test::maxDifference(image, *stretched), 1) << c.path;
        EXPECT_GE(test::maxDifference(image, *stretched), 0) << c.path;
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
