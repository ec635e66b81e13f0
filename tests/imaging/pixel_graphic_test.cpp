#include "imaging/pixel_graphic.h"

#include <gtest/gtest.h>

#include <cstring>

#include "imaging/checked_size.h"

namespace tesra {
namespace {

TEST(PixelGraphic, NewBufferDefaults)
{
    TPixelGraphic g;
    EXPECT_EQ(g.Width(), 0);
    EXPECT_EQ(g.Height(), 0);
    EXPECT_TRUE(g.isEmpty());
    EXPECT_EQ(g.PaletteIdent(), pTrueColor);
    EXPECT_EQ(g.BackgroundValue(), 0u);
    EXPECT_FALSE(g.RangeCheck());
    EXPECT_TRUE(g.Dither());
    EXPECT_TRUE(g.DitherErrorLimitAuto());
    EXPECT_EQ(g.DitherErrorLimit(), 32);
    EXPECT_TRUE(g.DitherErrorLimitSoft());
    EXPECT_TRUE(g.RGBWeighting());
}

TEST(PixelGraphic, PaletteIdentOrder)
{
    // The kinds are numbered in this order wherever they are compared or stored.
    const TPaletteIdent order[] = {pNone,    pTrueColor, pUnknown,    pBlackWhite, pSysGray4,
                                   pSys16,   pGray4,     pGray16,     pGray236,    pGray256,
                                   pSpecial125, pSpecial216, pSpecial252, pOptimized252Sys16, pSource};
    for (int i = 0; i < kPaletteIdentCount; ++i)
        EXPECT_EQ(static_cast<int>(order[i]), i);
}

TEST(PixelGraphic, RowStrideIsDwordAligned)
{
    struct Row {
        int width;
        TPixelFormat format;
        std::size_t stride;
    } rows[] = {
        {1, TPixelFormat::pf1Bit, 4},   {32, TPixelFormat::pf1Bit, 4},  {33, TPixelFormat::pf1Bit, 8},
        {7, TPixelFormat::pf4Bit, 4},   {9, TPixelFormat::pf4Bit, 8},   {5, TPixelFormat::pf8Bit, 8},
        {1, TPixelFormat::pf24Bit, 4},  {3, TPixelFormat::pf24Bit, 12}, {5, TPixelFormat::pf24Bit, 16},
    };
    for (const Row& r : rows) {
        TPixelGraphic g(r.width, 3, r.format);
        EXPECT_EQ(g.rowStride(), r.stride) << r.width << " px, format " << static_cast<int>(r.format);
        EXPECT_EQ(g.bitsSize(), 3 * r.stride);
    }
}

TEST(PixelGraphic, TwentyFourBitPixelFromStoredBytes)
{
    TPixelGraphic g(2, 2, TPixelFormat::pf24Bit);
    // Pixel (1, 0): top row, stored last; bytes blue 10, green 200, red 30.
    std::uint8_t* p = g.bits() + g.rowStride() * 1 + 3;
    p[0] = 10;
    p[1] = 200;
    p[2] = 30;
    EXPECT_EQ(g.GetPixel(1, 0), 30u + 200u * 256u + 10u * 65536u);
    EXPECT_EQ(g.GetColor(1, 0), 30u + 200u * 256u + 10u * 65536u);
    EXPECT_EQ(g.greyValue(1, 0), 200);
    EXPECT_EQ(g.GetPixel(1, 1), 0u);
}

TEST(PixelGraphic, EightBitGreyFromPalette)
{
    TPixelGraphic g(3, 1, TPixelFormat::pf8Bit);
    std::vector<std::uint32_t> pal(256, 0);
    pal[5] = 0x404040;
    g.SetPalette(pal);
    g.bits()[2] = 5;
    EXPECT_EQ(g.GetPixel(2, 0), 5u);
    EXPECT_EQ(g.greyValue(2, 0), 64);
}

TEST(PixelGraphic, PureRedAndGreenGreyValues)
{
    TPixelGraphic g(2, 1, TPixelFormat::pf24Bit);
    g.SetPixel(0, 0, 0x0000FF);
    g.SetPixel(1, 0, 0x00FF00);
    EXPECT_EQ(g.greyValue(0, 0), 0);
    EXPECT_EQ(g.greyValue(1, 0), 255);
    EXPECT_EQ(greyOf(0x123456), 0x34);
}

TEST(PixelGraphic, OneBitTopLeftIsMsbOfLastStoredRow)
{
    TPixelGraphic g(10, 3, TPixelFormat::pf1Bit);
    g.SetPalette({0x000000, 0xFFFFFF});
    g.bits()[2 * g.rowStride()] = 0x80;  // last stored row = image row 0
    EXPECT_EQ(g.GetPixel(0, 0), 1u);
    EXPECT_EQ(g.GetPixel(1, 0), 0u);
    EXPECT_EQ(g.GetPixel(0, 2), 0u);
    EXPECT_EQ(g.GetColor(0, 0), 0xFFFFFFu);
    g.bits()[0] = 0x01;  // first stored row = image row 2, pixel 7
    EXPECT_EQ(g.GetPixel(7, 2), 1u);
    g.bits()[g.rowStride() + 1] = 0x40;  // middle row, pixel 9
    EXPECT_EQ(g.GetPixel(9, 1), 1u);
}

TEST(PixelGraphic, FourBitNibbles)
{
    TPixelGraphic g(3, 1, TPixelFormat::pf4Bit);
    g.bits()[0] = 0xA5;
    g.bits()[1] = 0x70;
    EXPECT_EQ(g.GetPixel(0, 0), 0xAu);
    EXPECT_EQ(g.GetPixel(1, 0), 0x5u);
    EXPECT_EQ(g.GetPixel(2, 0), 0x7u);
}

TEST(PixelGraphic, SetPixelStoresRawValues)
{
    TPixelGraphic one(9, 2, TPixelFormat::pf1Bit), four(3, 2, TPixelFormat::pf4Bit), eight(2, 2, TPixelFormat::pf8Bit),
        rgb24(2, 2, TPixelFormat::pf24Bit);
    one.SetPixel(8, 0, 1);
    one.SetPixel(0, 1, 1);
    EXPECT_EQ(one.bits()[one.rowStride() + 1], 0x80);
    EXPECT_EQ(one.bits()[0], 0x80);
    one.SetPixel(8, 0, 0);
    EXPECT_EQ(one.bits()[one.rowStride() + 1], 0x00);
    four.SetPixel(1, 0, 0xC);
    four.SetPixel(2, 0, 0x3);
    EXPECT_EQ(four.bits()[four.rowStride()], 0x0C);
    EXPECT_EQ(four.bits()[four.rowStride() + 1], 0x30);
    eight.SetPixel(1, 1, 200);
    EXPECT_EQ(eight.bits()[1], 200);
    rgb24.SetPixel(0, 0, 0x112233);  // red 0x33, green 0x22, blue 0x11
    const std::uint8_t* p = rgb24.rowData(0);
    EXPECT_EQ(p[0], 0x11);
    EXPECT_EQ(p[1], 0x22);
    EXPECT_EQ(p[2], 0x33);
    EXPECT_THROW(one.SetPixel(0, 0, 2), EPGInvalidPaletteIndex);
    EXPECT_THROW(four.SetPixel(0, 0, 16), EPGInvalidPaletteIndex);
    EXPECT_THROW(eight.SetPixel(0, 0, 256), EPGInvalidPaletteIndex);
}

TEST(PixelGraphic, OutsideReads)
{
    TPixelGraphic g(2, 2, TPixelFormat::pf24Bit);
    g.SetPixel(0, 0, 0xFFFFFF);
    EXPECT_EQ(g.GetColor(-1, 0), 0u);
    EXPECT_EQ(g.GetColor(0, 2), 0u);
    g.SetBackgroundValue(0x0000FF);
    EXPECT_EQ(g.GetColor(2, 0), 0x0000FFu);
    g.SetPixel(5, 5, 0x123456);  // ignored
    g.SetRangeCheck(true);
    EXPECT_THROW(g.GetColor(-1, 0), EPGXYIndexOutOfRange);
    EXPECT_THROW(g.SetPixel(0, -1, 0), EPGXYIndexOutOfRange);
    EXPECT_EQ(g.GetColor(0, 0), 0xFFFFFFu);

    // A palette image maps the outside raw value 0 through its palette.
    TPixelGraphic p(2, 2, TPixelFormat::pf8Bit);
    p.SetPalette({0x00AA00, 0x00BB00});
    p.SetPixel(0, 0, 1);
    EXPECT_EQ(p.GetColor(-5, 0), 0x00AA00u);
    EXPECT_EQ(p.greyValue(0, 99), 0xAA);
}

TEST(PixelGraphic, PaletteColorRules)
{
    TPixelGraphic g(1, 1, TPixelFormat::pf8Bit);
    // pTrueColor (a new buffer) gives the index back as the colour.
    EXPECT_EQ(g.PaletteColor(77), 77u);
    g.SetPalette({0x010203, 0x040506});
    EXPECT_EQ(g.PaletteColor(1), 0x040506u);
    EXPECT_THROW(g.PaletteColor(2), EPGInvalidPaletteIndex);
    EXPECT_THROW(g.PaletteColor(-1), EPGInvalidPaletteIndex);
    EXPECT_THROW(g.SetPalette(std::vector<std::uint32_t>(257, 0)), EPixelGraphic);
    g.SetPaletteIdent(pNone);
    EXPECT_EQ(g.PaletteCount(), 0);
    EXPECT_THROW(g.PaletteColor(0), EPGInvalidPaletteIndex);
    try {
        g.GetColor(0, 0);
        FAIL();
    } catch (const EPixelGraphic& e) {
        EXPECT_NE(std::string(e.what()).find("palette index 0"), std::string::npos) << e.what();
    }
}

TEST(PixelGraphic, AssignIsIndependent)
{
    TPixelGraphic a(3, 2, TPixelFormat::pf8Bit);
    a.SetPalette({0x111111, 0x222222, 0x333333});
    a.SetPixel(2, 1, 2);
    a.SetBackgroundValue(1);
    a.SetRangeCheck(true);
    a.SetDither(false);
    TPixelGraphic b;
    b.Assign(a);
    a.SetPixel(2, 1, 0);
    a.SetPalette({0x999999});
    EXPECT_EQ(b.Width(), 3);
    EXPECT_EQ(b.Height(), 2);
    EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf8Bit);
    EXPECT_EQ(b.GetPixel(2, 1), 2u);
    EXPECT_EQ(b.GetColor(2, 1), 0x333333u);
    EXPECT_EQ(b.BackgroundValue(), 1u);
    EXPECT_TRUE(b.RangeCheck());
    EXPECT_FALSE(b.Dither());
    EXPECT_EQ(b.PaletteIdent(), pUnknown);
}

TEST(PixelGraphic, SizeChecks)
{
    TPixelGraphic g(4, 4, TPixelFormat::pf8Bit);
    EXPECT_THROW(g.SetSize(-1, 5, TPixelFormat::pf24Bit), EPGInvalidSize);
    EXPECT_THROW(g.SetSize(5, -1, TPixelFormat::pf24Bit), EPGInvalidSize);
    // 2^31-1 squared pixels: the product would overflow 32 bits and far exceeds the limit.
    EXPECT_THROW(g.SetSize(2147483647, 2147483647, TPixelFormat::pf24Bit), EPGInvalidSize);
    EXPECT_THROW(g.SetSize(100000, 100000, TPixelFormat::pf1Bit), EPGInvalidSize);
    // A failed resize leaves the buffer as it was.
    EXPECT_EQ(g.Width(), 4);
    EXPECT_EQ(g.PixelFormat(), TPixelFormat::pf8Bit);
    g.SetSize(0, 7, TPixelFormat::pf24Bit);
    EXPECT_TRUE(g.isEmpty());
    try {
        g.SetSize(200000, 200000, TPixelFormat::pf24Bit);
    } catch (const EPixelGraphic& e) {
        EXPECT_STREQ(e.what(), "Image too large: 200000 x 200000 pixels at 24 bits per pixel");
    }
}

TEST(CheckedSize, LimitsAndOverflow)
{
    // The default limit takes a 30000 × 30000 24-bit micrograph (90000-byte rows).
    EXPECT_EQ(checkedImageBytes(30000, 30000, 24), std::optional<std::uint64_t>(2'700'000'000ULL));
    EXPECT_FALSE(checkedImageBytes(40000, 40000, 24));
    EXPECT_FALSE(checkedImageBytes(-1, 1, 8));
    EXPECT_FALSE(checkedImageBytes(INT64_MAX, INT64_MAX, 8));
    EXPECT_FALSE(checkedProduct(UINT64_MAX, 2));
    EXPECT_EQ(checkedImageBytes(0, 1000, 24), std::optional<std::uint64_t>(0));
    EXPECT_EQ(checkedRowStride(33, 1), std::optional<std::uint64_t>(8));

    const ImageSizeLimits saved = imageSizeLimits();
    setImageSizeLimits({1000, 3999});
    EXPECT_TRUE(checkedImageBytes(1000, 1, 24));
    EXPECT_FALSE(checkedImageBytes(1001, 1, 8));  // pixel limit
    EXPECT_FALSE(checkedImageBytes(10, 100, 32)); // 4000 bytes do not fit ...
    EXPECT_TRUE(checkedImageBytes(10, 100, 24));  // ... 3200 (32-byte rows) do
    EXPECT_THROW(TPixelGraphic(40, 40, TPixelFormat::pf8Bit), EPGInvalidSize);
    setImageSizeLimits(saved);
}

TEST(PixelGraphic, ColorResolution)
{
    struct Row {
        TPixelFormat format;
        TPaletteIdent ident;
        int resolution;
    } rows[] = {
        {TPixelFormat::pf1Bit, pBlackWhite, 0}, {TPixelFormat::pf1Bit, pUnknown, 1},
        {TPixelFormat::pf4Bit, pGray16, 2},     {TPixelFormat::pf4Bit, pSys16, 3},
        {TPixelFormat::pf4Bit, pUnknown, 4},    {TPixelFormat::pf8Bit, pGray256, 5},
        {TPixelFormat::pf8Bit, pSpecial252, 6}, {TPixelFormat::pf24Bit, pTrueColor, 7},
    };
    for (const Row& r : rows) {
        TPixelGraphic g(1, 1, r.format);
        g.SetPaletteIdent(r.ident);
        EXPECT_EQ(g.ColorResolution(), r.resolution);
    }
    EXPECT_STREQ(colorResolutionName(0), "black and white");
    EXPECT_STREQ(colorResolutionName(7), "16.7 million colors");
}

TEST(Progress, ScopeReportsBeginStepsAndEnd)
{
    struct Recorder : ProgressSink {
        std::string log;
        void begin() override { log += "b"; }
        void step(int p) override { log += std::to_string(p) + ","; }
        void end() override { log += "e"; }
    } rec;
    {
        ProgressScope scope(&rec, 4);
        for (int i = 1; i <= 4; ++i) {
            scope.update(i);
            scope.update(i);  // repeated values are not reported again
        }
    }
    EXPECT_EQ(rec.log, "b25,50,75,100,e");
    ProgressScope none(nullptr, 10);
    none.update(5);
}

}  // namespace
}  // namespace tesra
