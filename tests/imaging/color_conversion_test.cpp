#include "imaging/color_conversion.h"

#include <gtest/gtest.h>

#include <random>

namespace tesra {
namespace {

TPixelGraphic colourSample()
{
    // A small image with a spread of colours and greys.
    TPixelGraphic g(23, 17, TPixelFormat::pf24Bit);
    for (int y = 0; y < g.Height(); ++y)
        for (int x = 0; x < g.Width(); ++x)
            g.SetPixel(x, y, rgb(x * 11, y * 15, (x * y * 7) % 256));
    return g;
}

TEST(ConvertTo, FormatAndPaletteOfEveryResolution)
{
    struct Row {
        int resolution;
        TPixelFormat format;
        int paletteCount;  // -1: any
    } rows[] = {
        {0, TPixelFormat::pf1Bit, 2},  {1, TPixelFormat::pf1Bit, 2},   {2, TPixelFormat::pf4Bit, 16},
        {3, TPixelFormat::pf4Bit, 16}, {4, TPixelFormat::pf4Bit, 16},  {5, TPixelFormat::pf8Bit, 256},
        {6, TPixelFormat::pf8Bit, -1}, {7, TPixelFormat::pf24Bit, 0},
    };
    const TPixelGraphic source = colourSample();
    for (const Row& r : rows) {
        const TPixelGraphic t = ConvertTo(source, r.resolution);
        EXPECT_EQ(t.Width(), 23);
        EXPECT_EQ(t.Height(), 17);
        EXPECT_EQ(t.PixelFormat(), r.format) << r.resolution;
        EXPECT_EQ(t.ColorResolution(), r.resolution);
        if (r.paletteCount >= 0) {
            EXPECT_EQ(t.PaletteCount(), r.paletteCount) << r.resolution;
        }
        if (r.resolution == 7)
            continue;
        // Every stored index lies in the palette.
        for (int y = 0; y < t.Height(); ++y)
            for (int x = 0; x < t.Width(); ++x) {
                ASSERT_LT(static_cast<int>(t.GetPixel(x, y)), t.PaletteCount());
            }
    }
    EXPECT_THROW(ConvertTo(source, 8), EPixelGraphic);
    EXPECT_THROW(ConvertTo(source, -1), EPixelGraphic);
}

TEST(ConvertTo, GreyLevelsSurviveResolutionFive)
{
    // With the weighted luminance a grey v has L = 3v exactly, so every level maps onto
    // itself and the dithering error stays 0.
    TPixelGraphic g(256, 3, TPixelFormat::pf24Bit);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 256; ++x)
            g.SetPixel(x, y, rgb(x, x, x));
    const TPixelGraphic t = ConvertTo(g, 5);
    EXPECT_EQ(t.PaletteIdent(), pGray256);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 256; ++x)
            ASSERT_EQ(t.GetPixel(x, y), static_cast<std::uint32_t>(x));
}

TEST(ConvertTo, SixteenGreyLevelsSurviveResolutionTwo)
{
    // Grey 17i has luminance 51i and maps onto entry i of pGray16 without error.
    TPixelGraphic g(16, 2, TPixelFormat::pf24Bit);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 16; ++x)
            g.SetPixel(x, y, rgb(17 * x, 17 * x, 17 * x));
    const TPixelGraphic t = ConvertTo(g, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 16; ++x)
            EXPECT_EQ(t.GetPixel(x, y), static_cast<std::uint32_t>(x));
}

TEST(ConvertTo, PaletteImageKeepsItsFewColoursAtResolutionSix)
{
    // Five colours of a 4-bit image: the octree keeps each as a leaf of its own, so every pixel
    // finds its exact colour and no error is spread.
    const std::uint32_t colours[] = {rgb(10, 20, 30), rgb(200, 100, 50), rgb(0, 0, 128), rgb(90, 90, 90),
                                     rgb(255, 255, 255)};
    TPixelGraphic g(7, 5, TPixelFormat::pf4Bit);
    g.SetPalette(std::vector<std::uint32_t>(std::begin(colours), std::end(colours)));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            g.SetPixel(x, y, static_cast<std::uint32_t>((x + 2 * y) % 5));
    const TPixelGraphic t = ConvertTo(g, 6);
    EXPECT_EQ(t.PaletteCount(), 5 + 16);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            ASSERT_EQ(t.GetColor(x, y), g.GetColor(x, y)) << x << "," << y;
}

TEST(ConvertTo, TrueColourCopiesEveryPixel)
{
    const TPixelGraphic source = colourSample();
    const TPixelGraphic t = ConvertTo(source, 7);
    for (int y = 0; y < source.Height(); ++y)
        for (int x = 0; x < source.Width(); ++x)
            ASSERT_EQ(t.GetColor(x, y), source.GetColor(x, y));
    // A palette image becomes its colours.
    TPixelGraphic p(2, 1, TPixelFormat::pf4Bit);
    p.SetPaletteIdent(pSys16);
    p.SetPixel(0, 0, 9);
    p.SetPixel(1, 0, 12);
    const TPixelGraphic q = ConvertTo(p, 7);
    EXPECT_EQ(q.GetColor(0, 0), rgb(255, 0, 0));
    EXPECT_EQ(q.GetColor(1, 0), rgb(0, 0, 255));
}

TEST(ConvertTo, WithoutDitherEveryPixelIsItsNearestIndex)
{
    TPixelGraphic source = colourSample();
    source.SetDither(false);
    const TPixelGraphic t = ConvertTo(source, 3);
    EXPECT_FALSE(t.Dither());
    for (int y = 0; y < source.Height(); ++y)
        for (int x = 0; x < source.Width(); ++x)
            ASSERT_EQ(t.GetColor(x, y),
                      systemColors()[nearestEntry(systemColors(), 16, source.GetColor(x, y))]);
}

TEST(ConvertTo, MidGreyBlackAndWhiteIsAChequerboard)
{
    // The 4 × 2 case worked through in dither_test, reached through the conversion.
    TPixelGraphic g(4, 2, TPixelFormat::pf24Bit);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            g.SetPixel(x, y, rgb(128, 128, 128));
    const TPixelGraphic t = ConvertTo(g, 0);
    const int expected[2][4] = {{1, 0, 1, 0}, {0, 1, 0, 1}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(t.GetPixel(x, y), static_cast<std::uint32_t>(expected[y][x])) << x << "," << y;
}

TEST(ConvertTo, TwoColourImageKeepsItsColours)
{
    // Resolution 1 of an image with two colours: median cut finds both cells, and dithering
    // with the error limit cannot turn one into the other.
    TPixelGraphic g(6, 4, TPixelFormat::pf24Bit);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            g.SetPixel(x, y, x < 3 ? rgb(20, 40, 200) : rgb(240, 200, 16));
    const TPixelGraphic t = ConvertTo(g, 1);
    ASSERT_EQ(t.PaletteCount(), 2);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(t.GetColor(x, y), x < 3 ? rgb(20, 42, 204) : rgb(244, 202, 20)) << x << "," << y;
}

TEST(ConvertTo, RandomImagesIntoEveryResolution)
{
    // Small random images of every format, palette size and settings: every conversion gives
    // a buffer of the asked resolution whose indexes all lie in its palette, and without
    // dithering every pixel is exactly the index ColorToIndex gives for its colour.
    std::mt19937 rng(777);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    for (int round = 0; round < 60; ++round) {
        const TPixelFormat format = static_cast<TPixelFormat>(pick(4));
        TPixelGraphic g(1 + pick(19), 1 + pick(13), format);
        if (format != TPixelFormat::pf24Bit) {
            std::vector<std::uint32_t> pal(static_cast<std::size_t>(paletteEntriesOf(format)));
            for (auto& c : pal)
                c = rgb(pick(256), pick(256), pick(256));
            g.SetPalette(pal);
        }
        for (int y = 0; y < g.Height(); ++y)
            for (int x = 0; x < g.Width(); ++x)
                g.SetPixel(x, y, format == TPixelFormat::pf24Bit ? rgb(pick(256), pick(256), pick(256))
                                                                 : static_cast<std::uint32_t>(pick(paletteEntriesOf(format))));
        g.SetDither(round % 3 != 0);
        g.SetRGBWeighting(round % 4 != 1);
        if (round % 5 == 2) {
            g.SetDitherErrorLimitAuto(false);
            g.SetDitherErrorLimit(static_cast<std::uint8_t>(pick(256)));
            g.SetDitherErrorLimitSoft(round % 2 == 0);
        }
        for (int s = 0; s < 8; ++s) {
            const TPixelGraphic t = ConvertTo(g, s);
            ASSERT_EQ(t.ColorResolution(), s);
            ASSERT_EQ(t.Width(), g.Width());
            for (int y = 0; y < t.Height(); ++y)
                for (int x = 0; x < t.Width(); ++x) {
                    if (s == 7) {
                        ASSERT_EQ(t.GetColor(x, y), g.GetColor(x, y));
                        continue;
                    }
                    ASSERT_LT(static_cast<int>(t.GetPixel(x, y)), t.PaletteCount());
                    if (!g.Dither()) {
                        ASSERT_EQ(t.GetPixel(x, y), t.ColorToIndex(g.GetColor(x, y)));
                    }
                }
        }
    }
}

// The grey resolutions store whole rows; the result must equal storing every pixel on its
// own in serpentine order, for true-colour and palette sources alike.
TEST(ConvertTo, GreyResolutionsMatchPixelByPixelStoring)
{
    std::mt19937 rng(2024);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    for (int round = 0; round < 40; ++round) {
        const TPixelFormat format = round % 2 == 0 ? TPixelFormat::pf24Bit : static_cast<TPixelFormat>(pick(3));
        TPixelGraphic g(1 + pick(40), 1 + pick(12), format);
        if (format != TPixelFormat::pf24Bit) {
            std::vector<std::uint32_t> pal(static_cast<std::size_t>(paletteEntriesOf(format)));
            for (auto& c : pal)
                c = rgb(pick(256), pick(256), pick(256));
            g.SetPalette(pal);
        }
        for (int y = 0; y < g.Height(); ++y)
            for (int x = 0; x < g.Width(); ++x)
                g.SetPixel(x, y, format == TPixelFormat::pf24Bit ? rgb(pick(256), pick(256), pick(256))
                                                                 : static_cast<std::uint32_t>(pick(paletteEntriesOf(format))));
        g.SetDither(round % 5 != 0);
        g.SetRGBWeighting(round % 3 != 1);
        if (round % 4 == 3) {
            g.SetDitherErrorLimitAuto(false);
            g.SetDitherErrorLimit(static_cast<std::uint8_t>(pick(256)));
        }
        for (const int s : {0, 2, 5}) {
            const TPixelGraphic fast = ConvertTo(g, s);
            TPixelGraphic slow(g.Width(), g.Height(), formatOfResolution(s));
            slow.SetPaletteIdent(s == 0 ? pBlackWhite : s == 2 ? pGray16 : pGray256);
            slow.SetDither(g.Dither());
            slow.SetDitherErrorLimitAuto(g.DitherErrorLimitAuto());
            slow.SetDitherErrorLimit(g.DitherErrorLimit());
            slow.SetRGBWeighting(g.RGBWeighting());
            ColorStorer storer(slow);
            for (int y = 0; y < g.Height(); ++y)
                for (int i = 0; i < g.Width(); ++i) {
                    const int x = y % 2 == 0 ? i : g.Width() - 1 - i;
                    storer.setColor(x, y, g.GetColor(x, y));
                }
            for (int y = 0; y < g.Height(); ++y)
                for (int x = 0; x < g.Width(); ++x)
                    ASSERT_EQ(fast.GetPixel(x, y), slow.GetPixel(x, y))
                        << "round " << round << ", resolution " << s << " at " << x << "," << y;
        }
    }
}

TEST(ConvertTo, EmptySource)
{
    const TPixelGraphic empty;
    const TPixelGraphic t = ConvertTo(empty, 6);
    EXPECT_TRUE(t.isEmpty());
    EXPECT_EQ(t.PaletteCount(), 16);  // the system colours of the empty case
}

TEST(ConvertTo, ProgressOfTheSourceIsPassedOn)
{
    struct Recorder : ProgressSink {
        int begins = 0, ends = 0, last = -1, steps = 0;
        void begin() override { ++begins; }
        void step(int p) override
        {
            last = p;
            ++steps;
        }
        void end() override { ++ends; }
    } rec;
    TPixelGraphic source = colourSample();
    source.setProgress(&rec);
    const TPixelGraphic t = ConvertTo(source, 6);
    EXPECT_EQ(t.progress(), &rec);
    EXPECT_EQ(rec.begins, 1);
    EXPECT_EQ(rec.ends, 1);
    EXPECT_EQ(rec.last, 100);
    EXPECT_EQ(rec.steps, 17);
}

}  // namespace
}  // namespace tesra
