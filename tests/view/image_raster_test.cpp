// Screen pixels of image parts, compared with the buffer's own colour reading pixel by pixel.
#include "view/image_raster.h"

#include <gtest/gtest.h>

#include <vector>

namespace tesra {
namespace {

void expectSameAsGetColor(const TPixelGraphic& g, int x0, int y0, int w, int h)
{
    std::vector<std::uint32_t> out(static_cast<std::size_t>(w + 3) * h, 0xDEADBEEF);
    CopyScreenPixels(g, x0, y0, w, h, out.data(), static_cast<std::size_t>(w + 3));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            ASSERT_EQ(out[static_cast<std::size_t>(y) * (w + 3) + x], screenPixel(g.GetColor(x0 + x, y0 + y)))
                << x << "," << y;
    // Nothing beyond the rectangle's width is touched.
    EXPECT_EQ(out[static_cast<std::size_t>(w)], 0xDEADBEEFu);
}

TEST(ImageRaster, ScreenPixelSwapsRedAndBlue)
{
    EXPECT_EQ(screenPixel(rgb(0x12, 0x34, 0x56)), 0xFF123456u);
}

TEST(ImageRaster, EveryFormatMatchesItsColours)
{
    for (TPixelFormat f : {TPixelFormat::pf1Bit, TPixelFormat::pf4Bit, TPixelFormat::pf8Bit, TPixelFormat::pf24Bit}) {
        TPixelGraphic g(13, 7, f);
        if (f != TPixelFormat::pf24Bit) {
            std::vector<std::uint32_t> pal;
            for (int i = 0; i < paletteEntriesOf(f); ++i)
                pal.push_back(rgb(i * 7 % 256, 255 - i, i * 13 % 256));
            g.SetPalette(pal);
        }
        const std::uint32_t top = f == TPixelFormat::pf24Bit ? 0xFFFFFF : static_cast<std::uint32_t>(paletteEntriesOf(f) - 1);
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 13; ++x)
                g.SetPixel(x, y, static_cast<std::uint32_t>(x * 31 + y * 1013) % (top + 1));
        expectSameAsGetColor(g, 0, 0, 13, 7);
        expectSameAsGetColor(g, 3, 2, 7, 4);
    }
}

TEST(ImageRaster, MissingPaletteEntriesShowBlack)
{
    TPixelGraphic g(4, 1, TPixelFormat::pf8Bit);
    g.SetPalette(std::vector<std::uint32_t>{rgb(255, 0, 0), rgb(0, 255, 0)});
    g.SetPixel(0, 0, 1);
    g.SetPixel(1, 0, 200);
    std::uint32_t out[4] = {};
    CopyScreenPixels(g, 0, 0, 4, 1, out, 4);
    EXPECT_EQ(out[0], 0xFF00FF00u);
    EXPECT_EQ(out[1], 0xFF000000u);
}

TEST(ImageRaster, HalvingAveragesEachTwoByTwoBlockInEveryFormat)
{
    // A 5 × 3 grey ramp: pixel (x, y) has grey 10 x + 50 y.
    std::vector<std::uint32_t> greys(256);
    for (int i = 0; i < 256; ++i)
        greys[static_cast<std::size_t>(i)] = rgb(i, i, i);
    TPixelGraphic palette(5, 3, TPixelFormat::pf8Bit);
    palette.SetPalette(greys);
    TPixelGraphic trueColour(5, 3, TPixelFormat::pf24Bit);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            const int v = 10 * x + 50 * y;
            palette.SetPixel(x, y, static_cast<std::uint32_t>(v));
            trueColour.SetPixel(x, y, rgb(v, v, 255 - v));
        }
    // Means by hand, rounded: (0+10+50+60)/4 = 30; the odd column and row stand alone or in pairs.
    const int expected[2][3] = {{30, 50, 65}, {105, 125, 140}};
    const ScreenRaster fromPalette = HalfScreenRaster(palette);
    const ScreenRaster fromTrueColour = HalfScreenRaster(trueColour);
    ASSERT_EQ(fromPalette.width, 3);
    ASSERT_EQ(fromPalette.height, 2);
    ASSERT_EQ(fromTrueColour.pixels.size(), 6u);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            const int v = expected[y][x];
            const std::size_t i = static_cast<std::size_t>(y * 3 + x);
            EXPECT_EQ(fromPalette.pixels[i], screenPixel(rgb(v, v, v))) << x << "," << y;
            EXPECT_EQ(fromTrueColour.pixels[i], screenPixel(rgb(v, v, 255 - v))) << x << "," << y;
        }
    // Halving the half: one more level.
    const ScreenRaster quarter = HalfScreenRaster(fromPalette);
    EXPECT_EQ(quarter.width, 2);
    EXPECT_EQ(quarter.height, 1);
    EXPECT_EQ(quarter.pixels[0], screenPixel(rgb(78, 78, 78)));  // (30 + 50 + 105 + 125) / 4, rounded
}

}  // namespace
}  // namespace tesra
