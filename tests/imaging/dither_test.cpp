#include "imaging/dither.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>

namespace tesra {
namespace {

using Rows = std::vector<std::vector<int>>;  // grey levels, top row first
using Setup = std::function<void(TPixelGraphic&)>;

// No error limit at all: lim[i] = i.
void noLimit(TPixelGraphic& g)
{
    g.SetDitherErrorLimitAuto(false);
    g.SetDitherErrorLimit(255);
    g.SetDitherErrorLimitSoft(false);
}

// Stores the grey image into a black-and-white buffer in serpentine order and returns the
// indexes. With RGBWeighting a grey v has luminance 3v, so v + error >= 128 is white.
Rows ditherToBlackWhite(const Rows& greys, const Setup& setup)
{
    const int h = static_cast<int>(greys.size()), w = static_cast<int>(greys[0].size());
    TPixelGraphic g(w, h, TPixelFormat::pf1Bit);
    g.SetPaletteIdent(pBlackWhite);
    setup(g);
    ColorStorer storer(g);
    for (int y = 0; y < h; ++y)
        for (int i = 0; i < w; ++i) {
            const int x = y % 2 == 0 ? i : w - 1 - i;
            const int v = greys[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
            storer.setColor(x, y, rgb(v, v, v));
        }
    Rows out(static_cast<std::size_t>(h), std::vector<int>(static_cast<std::size_t>(w)));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            out[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = static_cast<int>(g.GetPixel(x, y));
    return out;
}

// The least grey level at (px, py) that comes out white; the error that reached the pixel is
// 128 minus it. -1 when none does.
int whiteFrom(Rows greys, int px, int py, const Setup& setup = noLimit)
{
    for (int v = 0; v < 256; ++v) {
        greys[static_cast<std::size_t>(py)][static_cast<std::size_t>(px)] = v;
        if (ditherToBlackWhite(greys, setup)[static_cast<std::size_t>(py)][static_cast<std::size_t>(px)] == 1)
            return v;
    }
    return -1;
}

// In the cases below, pixel values like 213 and 249 are chosen so that value + incoming error
// is exactly 255 (white, no error of their own), which keeps one error source per case.

TEST(Dither, ScanDirectionIsSerpentine)
{
    // Row 0 runs left to right: the left 100 becomes black and pushes its right neighbour
    // (100 + round(7·100/16) = 144) to white. Row 1 runs right to left, so there it is the
    // right pixel that goes first.
    EXPECT_EQ(ditherToBlackWhite({{100, 100}, {0, 0}}, noLimit), (Rows{{0, 1}, {0, 0}}));
    EXPECT_EQ(ditherToBlackWhite({{0, 0}, {100, 100}}, noLimit), (Rows{{0, 0}, {1, 0}}));
    EXPECT_EQ(ditherToBlackWhite({{0, 0}, {0, 0}, {100, 100}}, noLimit), (Rows{{0, 0}, {0, 0}, {0, 1}}));
}

TEST(Dither, WeightsOfTheFourNeighbours)
{
    // Row 0: the 96 at x = 1 becomes black with error 96. It sends 7/16 (42) to x = 2 of its own
    // row and to row 1: 3/16 (18) behind at x = 0, 5/16 (30) below at x = 1, 1/16 (6) ahead at
    // x = 2. Row 1 runs right to left, so x = 2 is stored first.
    EXPECT_EQ(whiteFrom({{0, 96, 0}, {0, 0, 0}}, 2, 0), 128 - 42);
    EXPECT_EQ(whiteFrom({{0, 96, 213}, {0, 0, 0}}, 2, 1), 128 - 6);
    EXPECT_EQ(whiteFrom({{0, 96, 213}, {0, 0, 249}}, 1, 1), 128 - 30);
    EXPECT_EQ(whiteFrom({{0, 96, 213}, {0, 225, 249}}, 0, 1), 128 - 18);
}

TEST(Dither, BehindAndAheadFollowTheRightToLeftRows)
{
    // Row 1 runs right to left: the 96 at x = 1 sends 7/16 to x = 0 of its row ...
    EXPECT_EQ(whiteFrom({{0, 0, 0}, {0, 96, 0}}, 0, 1), 128 - 42);
    // ... and to row 2 (left to right again): 1/16 ahead lands on x = 0, 3/16 behind on x = 2.
    EXPECT_EQ(whiteFrom({{0, 0, 0}, {213, 96, 0}, {0, 0, 0}}, 0, 2), 128 - 6);
    EXPECT_EQ(whiteFrom({{0, 0, 0}, {213, 96, 0}, {249, 0, 0}}, 1, 2), 128 - 30);
    EXPECT_EQ(whiteFrom({{0, 0, 0}, {213, 96, 0}, {249, 225, 0}}, 2, 2), 128 - 18);
    // Row 3 starts from cleared accumulators: nothing of row 1's error reaches it.
    // (Row 1's own accumulators held 672 at x = 0; row 3 runs right to left and stores x = 0 last.)
    EXPECT_EQ(whiteFrom({{0, 0, 0}, {213, 96, 0}, {249, 225, 237}, {0, 0, 0}}, 0, 3), 128);
}

TEST(Dither, AccumulatorsRoundHalvesAwayFromZero)
{
    // An error of 8 gives 5/16 · 8 = 2.5 below, which counts as 3; -8 gives -3.
    EXPECT_EQ(whiteFrom({{8, 251}, {0, 254}}, 0, 1), 128 - 3);
    EXPECT_EQ(whiteFrom({{247, 4}, {0, 1}}, 0, 1), 128 + 3);
    // 7/16 · 8 = 3.5 counts as 4.
    EXPECT_EQ(whiteFrom({{8, 0}, {0, 0}}, 1, 0), 128 - 4);
}

TEST(Dither, ErrorLimit)
{
    // The error of 42 that reaches x = 1 (see WeightsOfTheFourNeighbours), under several limits.
    const Rows image = {{96, 0}};
    auto limit = [](int b, bool soft) {
        return [b, soft](TPixelGraphic& g) {
            g.SetDitherErrorLimitAuto(false);
            g.SetDitherErrorLimit(static_cast<std::uint8_t>(b));
            g.SetDitherErrorLimitSoft(soft);
        };
    };
    EXPECT_EQ(whiteFrom(image, 1, 0, limit(16, false)), 128 - 16);
    EXPECT_EQ(whiteFrom(image, 1, 0, limit(16, true)), 128 - 16);       // 42 is above the knee
    EXPECT_EQ(whiteFrom(image, 1, 0, limit(64, true)), 128 - (21 + 16)); // in the knee: 42/2 + 64/4
    EXPECT_EQ(whiteFrom(image, 1, 0, limit(64, false)), 128 - 42);
    EXPECT_EQ(whiteFrom(image, 1, 0, limit(0, false)), 128);
    // Negative errors are limited alike: 160 gives white with error -95, -42 after 7/16.
    EXPECT_EQ(whiteFrom({{160, 0}}, 1, 0, limit(64, true)), 128 + 37);
    EXPECT_EQ(whiteFrom({{160, 0}}, 1, 0, noLimit), 128 + 42);
    // Automatic choice for black and white: limit 255 with the soft knee, which leaves 42 alone.
    EXPECT_EQ(whiteFrom(image, 1, 0, [](TPixelGraphic&) {}), 128 - 42);
}

TEST(Dither, ErrorLimitTable)
{
    auto at = [](const std::array<int, 511>& lim, int i) { return lim[static_cast<std::size_t>(i + 255)]; };
    const auto l255 = ditherErrorLimits(255, true);
    EXPECT_EQ(at(l255, 126), 126);
    EXPECT_EQ(at(l255, 127), 126);  // 127/2 + 63
    EXPECT_EQ(at(l255, 200), 163);
    EXPECT_EQ(at(l255, 254), 190);
    EXPECT_EQ(at(l255, 255), 255);  // the knee stops below 255
    EXPECT_EQ(at(l255, -200), -163);
    const auto l32 = ditherErrorLimits(32, true);
    const int expect32[][2] = {{0, 0}, {15, 15}, {16, 16}, {17, 16}, {31, 23}, {32, 24}, {48, 32}, {49, 32}, {255, 32}};
    for (const auto& e : expect32) {
        EXPECT_EQ(at(l32, e[0]), e[1]) << e[0];
        EXPECT_EQ(at(l32, -e[0]), -e[1]) << -e[0];
    }
    const auto l2 = ditherErrorLimits(2, true);
    EXPECT_EQ(at(l2, 1), 0);
    EXPECT_EQ(at(l2, 2), 1);
    EXPECT_EQ(at(l2, 3), 1);
    EXPECT_EQ(at(l2, 4), 2);
    const auto l0 = ditherErrorLimits(0, true);
    for (int i = -255; i <= 255; ++i)
        ASSERT_EQ(at(l0, i), 0);
    const auto l32hard = ditherErrorLimits(32, false);
    EXPECT_EQ(at(l32hard, 31), 31);
    EXPECT_EQ(at(l32hard, 100), 32);

    struct Kind {
        TPaletteIdent kind;
        int b;
    } kinds[] = {{pBlackWhite, 255}, {pSysGray4, 128}, {pSys16, 128},    {pGray4, 128},
                 {pGray236, 3},      {pGray256, 2},    {pSpecial125, 104}, {pSpecial252, 104},
                 {pSpecial216, 86},  {pOptimized252Sys16, 0}, {pSource, 0}, {pUnknown, 32},
                 {pGray16, 32}};
    for (const Kind& k : kinds)
        EXPECT_EQ(autoDitherErrorLimit(k.kind), k.b) << static_cast<int>(k.kind);
}

TEST(Dither, GreyPaletteUsesLuminanceAndGreenError)
{
    // Pure green: luminance 449, so the grey branch stores 449 div 3 = 149, where ColorToIndex
    // alone gives 150.
    TPixelGraphic g(1, 1, TPixelFormat::pf8Bit);
    g.SetPaletteIdent(pGray256);
    ColorStorer(g).setColor(0, 0, rgb(0, 255, 0));
    EXPECT_EQ(g.GetPixel(0, 0), 149u);
    g.SetDither(false);
    ColorStorer(g).setColor(0, 0, rgb(0, 255, 0));
    EXPECT_EQ(g.GetPixel(0, 0), 150u);
}

TEST(Dither, ColourPaletteDiffusesEachComponent)
{
    // Black, red, green, blue: not a grey palette, so red, green and blue carry their own errors.
    auto run = [](std::uint32_t first, std::uint32_t second) {
        TPixelGraphic g(2, 1, TPixelFormat::pf4Bit);
        g.SetPalette({rgb(0, 0, 0), rgb(255, 0, 0), rgb(0, 255, 0), rgb(0, 0, 255)});
        noLimit(g);
        ColorStorer s(g);
        s.setColor(0, 0, first);
        s.setColor(1, 0, second);
        return std::make_pair(g.GetPixel(0, 0), g.GetPixel(1, 0));
    };
    // (100, 0, 0) is black with red error 100; 7/16 of it is 44 (43.75).
    EXPECT_EQ(run(rgb(100, 0, 0), rgb(84, 0, 0)), std::make_pair(0u, 1u));  // 128: red
    EXPECT_EQ(run(rgb(100, 0, 0), rgb(83, 0, 0)), std::make_pair(0u, 0u));  // 127: black
    // (100, 0, 50): blue error 50 adds 22 (21.875) to the next blue, red error still 44.
    EXPECT_EQ(run(rgb(100, 0, 50), rgb(0, 0, 106)), std::make_pair(0u, 3u));  // (44, 0, 128): blue
    EXPECT_EQ(run(rgb(100, 0, 50), rgb(0, 0, 105)), std::make_pair(0u, 0u));  // (44, 0, 127): black
}

TEST(Dither, MidGreyIntoBlackAndWhite)
{
    // 4 × 2 of grey 128 with the automatic limit, worked through by hand:
    // row 0: 128 -> white (-127); 128-56 -> black (72); 128+32 -> white (-95); 128-42 -> black
    // row 1, right to left, accumulators -419, -52, -145, 335 (sixteenths):
    // 128+21 -> white (-106); 128-55 -> black (73); 128+29 -> white; 128-69 -> black.
    EXPECT_EQ(ditherToBlackWhite({{128, 128, 128, 128}, {128, 128, 128, 128}}, [](TPixelGraphic&) {}),
              (Rows{{1, 0, 1, 0}, {0, 1, 0, 1}}));
}

TEST(Dither, TwentyFourBitTargetCopiesAndOutsideIsDropped)
{
    TPixelGraphic g(2, 1, TPixelFormat::pf24Bit);
    ColorStorer s(g);
    s.setColor(1, 0, rgb(1, 2, 3));
    s.setColor(5, 0, rgb(1, 2, 3));
    EXPECT_EQ(g.GetColor(1, 0), rgb(1, 2, 3));
    TPixelGraphic p(2, 1, TPixelFormat::pf8Bit);
    p.SetPaletteIdent(pGray256);
    ColorStorer ps(p);
    ps.setColor(-1, 0, rgb(9, 9, 9));
    ps.setColor(0, 7, rgb(9, 9, 9));
    EXPECT_EQ(p.GetPixel(0, 0), 0u);
    TPixelGraphic none(2, 1, TPixelFormat::pf8Bit);
    none.SetPaletteIdent(pNone);
    ColorStorer ns(none);
    EXPECT_THROW(ns.setColor(0, 0, 0), EPGNoPalette);
}

// Whole rows give the same indexes as the same colours stored one by one, for every grey
// palette kind and pixel format (those have a row loop of their own), a loaded grey palette,
// and a colour palette (which takes the single-pixel path), with and without dithering,
// weighting and the various limits. Random colours, plus runs of one colour so that errors
// pile up to the limits.
TEST(Dither, RowsStoreLikeSinglePixels)
{
    struct Target {
        TPixelFormat format;
        TPaletteIdent kind;
    };
    const Target targets[] = {
        {TPixelFormat::pf1Bit, pBlackWhite}, {TPixelFormat::pf4Bit, pGray16},  {TPixelFormat::pf4Bit, pSysGray4},
        {TPixelFormat::pf4Bit, pGray4},      {TPixelFormat::pf8Bit, pGray256}, {TPixelFormat::pf8Bit, pGray236},
        {TPixelFormat::pf8Bit, pUnknown},    {TPixelFormat::pf4Bit, pSys16},   {TPixelFormat::pf8Bit, pGray16},
    };
    std::mt19937 rng(4711);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    for (int round = 0; round < 90; ++round) {
        const Target& t = targets[round % std::size(targets)];
        const int w = 1 + pick(37), h = 1 + pick(9);
        std::vector<std::uint8_t> pixels(3 * static_cast<std::size_t>(w * h));
        for (std::size_t i = 0; i < pixels.size(); i += 3) {
            const bool flat = round % 3 == 1;
            for (std::size_t k = 0; k < 3; ++k)
                pixels[i + k] = static_cast<std::uint8_t>(flat ? 40 + round : pick(256));
        }
        auto makeTarget = [&] {
            TPixelGraphic g(w, h, t.format);
            if (t.kind == pUnknown) {
                std::vector<std::uint32_t> greys;
                for (int k = 0; k < 7; ++k) {
                    const int v = pick(256);
                    greys.push_back(rgb(v, v, v));
                }
                g.SetPalette(greys, pUnknown);
            } else {
                g.SetPaletteIdent(t.kind);
            }
            g.SetDither(round % 4 != 0);
            g.SetRGBWeighting(round % 5 != 1);
            if (round % 3 == 2) {
                g.SetDitherErrorLimitAuto(false);
                g.SetDitherErrorLimit(static_cast<std::uint8_t>(pick(256)));
                g.SetDitherErrorLimitSoft(round % 2 == 0);
            }
            return g;
        };
        const auto state = rng;
        TPixelGraphic byPixel = makeTarget();
        rng = state;  // the same palette and limits again
        TPixelGraphic byRow = makeTarget();

        ColorStorer pixelStorer(byPixel);
        ColorStorer rowStorer(byRow);
        for (int y = 0; y < h; ++y) {
            const std::uint8_t* row = pixels.data() + 3 * static_cast<std::size_t>(y * w);
            for (int i = 0; i < w; ++i) {
                const int x = y % 2 == 0 ? i : w - 1 - i;
                const std::uint8_t* p = row + 3 * x;
                pixelStorer.setColor(x, y, rgb(p[2], p[1], p[0]));
            }
            rowStorer.setRow(y, row);
        }
        ASSERT_EQ(byRow.bitsSize(), byPixel.bitsSize());
        ASSERT_EQ(std::memcmp(byRow.bits(), byPixel.bits(), byRow.bitsSize()), 0)
            << "round " << round << ", palette kind " << int{t.kind};
    }
}

TEST(Dither, RowsIntoAPaletteTooLargeForThePixelsFailLikePixels)
{
    // 256 greys cannot be held in 4 bits: the first pixel whose index does not fit fails.
    TPixelGraphic g(3, 1, TPixelFormat::pf4Bit);
    g.SetPaletteIdent(pGray256);
    ColorStorer s(g);
    const std::uint8_t row[] = {0, 0, 0, 9, 9, 9, 200, 200, 200};
    EXPECT_THROW(s.setRow(0, row), EPGInvalidPaletteIndex);
    EXPECT_EQ(g.GetPixel(0, 0), 0u);
    TPixelGraphic none(2, 1, TPixelFormat::pf8Bit);
    none.SetPaletteIdent(pNone);
    ColorStorer ns(none);
    EXPECT_THROW(ns.setRow(0, row), EPGNoPalette);
}

}  // namespace
}  // namespace tesra
