#include "imaging/optimised_palette.h"

#include <gtest/gtest.h>

#include "imaging/palettes.h"

namespace tesra {
namespace {

using Palette = std::vector<std::uint32_t>;

// A 24-bit image of the given colours, each repeated as often as asked, in one long row.
TPixelGraphic trueColourImage(const std::vector<std::pair<std::uint32_t, int>>& runs)
{
    int n = 0;
    for (const auto& r : runs)
        n += r.second;
    TPixelGraphic g(n, 1, TPixelFormat::pf24Bit);
    int x = 0;
    for (const auto& r : runs)
        for (int i = 0; i < r.second; ++i)
            g.SetPixel(x++, 0, r.first);
    return g;
}

TEST(MedianCut, TwoColoursSplitOnGreen)
{
    // Cells (0,0,0) × 3 and (31,63,31) × 1. The box spans 16·31, 12·63, 16·31: green is the
    // widest, split at (0 + 63) div 2. Means of the black box (S = 3, S div 2 = 1): red
    // (3·4 + 1) div 3 = 4, green (3·2 + 1) div 3 = 2; the white cell's centre 252, 254, 252.
    const TPixelGraphic g = trueColourImage({{rgb(0, 0, 0), 3}, {rgb(255, 255, 255), 1}});
    EXPECT_EQ(medianCutPalette(g, 2), (Palette{rgb(4, 2, 4), rgb(252, 254, 252)}));
    // One box only: the weighted mean of both cells, (3·4 + 252 + 2) div 4 = 66,
    // (3·2 + 254 + 2) div 4 = 65.
    EXPECT_EQ(medianCutPalette(g, 1), (Palette{rgb(66, 65, 66)}));
}

TEST(MedianCut, VolumeRuleWhenFewBoxesAreLeft)
{
    // Black, red and blue. First split (size rule, 1 box of 3): red and blue extents are equal
    // (16·31 each), blue is not strictly greater, so red is split at 15: box 0 keeps black and
    // blue, box 1 takes red. Then 3 < 2·2: the box of greatest volume (box 0) is split on blue.
    const TPixelGraphic g = trueColourImage({{rgb(255, 0, 0), 1}, {rgb(0, 0, 0), 1}, {rgb(0, 0, 255), 1}});
    EXPECT_EQ(medianCutPalette(g, 3), (Palette{rgb(4, 2, 4), rgb(252, 2, 4), rgb(4, 2, 252)}));
    // Asking for more boxes than there are occupied cells stops at one box per cell.
    EXPECT_EQ(medianCutPalette(g, 10).size(), 3u);
    // Also when the volume rule is in force (3 < 2·2 after the first split) and every box is
    // a single cell: such a box is never split into an empty one.
    const TPixelGraphic two = trueColourImage({{rgb(0, 0, 0), 1}, {rgb(255, 255, 255), 1}});
    EXPECT_EQ(medianCutPalette(two, 3), (Palette{rgb(4, 2, 4), rgb(252, 254, 252)}));
}

TEST(MedianCut, SizeRuleSplitsTheWidestBoxInCells)
{
    // Four colours; N = 4 keeps the size rule for the second split (4 >= 2·2) and the volume
    // rule for the third (4 < 2·3).
    // Cells: A (0,0,0), B (0,0,4) (blue 32..39), C (31,0,0), D (31,0,31).
    // Box 0 spans r 0..31, g 0, b 0..31: blue not strictly widest, red split at 15:
    //   box 0 = {A, B} (r 0, b 0..4), box 1 = {C, D} (r 31, b 0..31).
    // Size rule: box 1 spans 32 cells, box 0 five: box 1 is split on blue at 15 -> {C}, {D}.
    // Volume rule: box 0 (16·4)² is the only one with volume: split on blue at 2 -> {A}, {B}.
    const TPixelGraphic g = trueColourImage(
        {{rgb(0, 0, 0), 1}, {rgb(0, 0, 32), 1}, {rgb(255, 0, 0), 1}, {rgb(255, 0, 255), 1}});
    EXPECT_EQ(medianCutPalette(g, 4),
              (Palette{rgb(4, 2, 4), rgb(252, 2, 4), rgb(252, 2, 252), rgb(4, 2, 36)}));
}

TEST(MedianCut, CountersStopAt65535)
{
    // 200465 black pixels and 65535 of (248, 0, 0): the black cell's counter stops at 65535, so
    // both cells weigh the same and red is (65535·4 + 65535·252 + 65535) div 131070 = 128.
    // (Unlimited counters would give 65.)
    TPixelGraphic g(1000, 266, TPixelFormat::pf24Bit);
    int n = 0;
    for (int y = 0; y < 266; ++y)
        for (int x = 0; x < 1000; ++x, ++n)
            g.SetPixel(x, y, n < 65535 ? rgb(248, 0, 0) : rgb(0, 0, 0));
    EXPECT_EQ(medianCutPalette(g, 1), (Palette{rgb(128, 2, 4)}));
}

TEST(Octree, ReducesTheDeepestLevelAndTruncatesMeans)
{
    // (0,0,0) and (0,0,8) part at level 4 (blue bit 3), white at the root. Three leaves for
    // N = 2: the level-4 node becomes a leaf of weight 6 with blue sum 40: 40/6 truncated = 6.
    const std::vector<WeightedColor> colours = {{rgb(0, 0, 0), 1}, {rgb(255, 255, 255), 1}, {rgb(0, 0, 8), 5}};
    EXPECT_EQ(octreePalette(colours, 2), (Palette{rgb(0, 0, 6), rgb(255, 255, 255)}));
    // The depth is now 5. (0,0,16) parts from the others at level 3 and makes a leaf at
    // level 5; the level-3 node is then reduced: blue (40 + 16) / 7 = 8.
    std::vector<WeightedColor> more = colours;
    more.push_back({rgb(0, 0, 16), 1});
    EXPECT_EQ(octreePalette(more, 2), (Palette{rgb(0, 0, 8), rgb(255, 255, 255)}));
}

TEST(Octree, ReductionChoiceBySmallestWeightedSum)
{
    // Two level-7 nodes: A = {(0,0,0), (0,0,1)}, B = {(0,0,2), (0,0,3)}.
    // Heavy A (key 2·0 + 3·0 + 10 = 10) against light B (key 5): B is merged, 5/2 -> 2.
    EXPECT_EQ(octreePalette({{rgb(0, 0, 0), 10}, {rgb(0, 0, 1), 10}, {rgb(0, 0, 2), 1}, {rgb(0, 0, 3), 1}}, 3),
              (Palette{rgb(0, 0, 0), rgb(0, 0, 1), rgb(0, 0, 2)}));
    // Equal keys (5 and 5): the node found first (A) is merged, 5/6 -> 0.
    EXPECT_EQ(octreePalette({{rgb(0, 0, 0), 1}, {rgb(0, 0, 1), 5}, {rgb(0, 0, 2), 1}, {rgb(0, 0, 3), 1}}, 3),
              (Palette{rgb(0, 0, 0), rgb(0, 0, 2), rgb(0, 0, 3)}));
    // Green counts three times, red twice: A = {(0,2,0), (0,3,0)} has key 15, B = {(2,0,0),
    // (3,0,0)} key 10, though both sum to 5. B is merged: red 5/2 -> 2.
    EXPECT_EQ(octreePalette({{rgb(0, 2, 0), 1}, {rgb(0, 3, 0), 1}, {rgb(2, 0, 0), 1}, {rgb(3, 0, 0), 1}}, 3),
              (Palette{rgb(0, 2, 0), rgb(0, 3, 0), rgb(2, 0, 0)}));
}

TEST(OptimisedPalette, EmptySourceAndSystemColours)
{
    TPixelGraphic empty, target(1, 1, TPixelFormat::pf4Bit);
    const Palette sys(systemColors(), systemColors() + 16);
    OptimisedPalette(target, empty, 16, false);
    EXPECT_EQ(target.Palette(), sys);
    EXPECT_EQ(target.PaletteIdent(), pUnknown);
    OptimisedPalette(target, empty, 2, false);
    EXPECT_EQ(target.Palette(), (Palette{rgb(0, 0, 0), rgb(128, 0, 0)}));
    // With system colours and N = 16 nothing is left for the image.
    const TPixelGraphic one = trueColourImage({{rgb(10, 20, 30), 4}});
    OptimisedPalette(target, one, 16, true);
    EXPECT_EQ(target.Palette(), sys);
    // N = 18: two from the image (one box: a single colour), then system colours up to 18.
    OptimisedPalette(target, one, 18, true);
    ASSERT_EQ(target.PaletteCount(), 17);
    EXPECT_EQ(target.Palette()[0], rgb(12, 22, 28));  // cell centre of (10, 20, 30)
    EXPECT_EQ(Palette(target.Palette().begin() + 1, target.Palette().end()), sys);
}

TEST(OptimisedPalette, PaletteSourceGoesThroughTheOctree)
{
    // A 256-grey image using every level: 236 image colours from the greys, then the sixteen
    // system colours.
    TPixelGraphic grey(256, 1, TPixelFormat::pf8Bit);
    grey.SetPaletteIdent(pGray256);
    for (int x = 0; x < 256; ++x)
        grey.SetPixel(x, 0, static_cast<std::uint32_t>(x));
    TPixelGraphic target(1, 1, TPixelFormat::pf8Bit);
    OptimisedPalette(target, grey, 252, true);
    const int fromImage = target.PaletteCount() - 16;
    ASSERT_GE(fromImage, 1);
    ASSERT_LE(fromImage, 236);
    for (int i = 0; i < fromImage; ++i) {
        const std::uint32_t c = target.Palette()[static_cast<std::size_t>(i)];
        EXPECT_TRUE(redOf(c) == greenOf(c) && greenOf(c) == blueOf(c)) << i;
    }
    EXPECT_EQ(Palette(target.Palette().begin() + fromImage, target.Palette().end()),
              Palette(systemColors(), systemColors() + 16));
    // Counts come from the pixels: only the indexes in use enter the tree.
    TPixelGraphic two(3, 1, TPixelFormat::pf8Bit);
    two.SetPalette({rgb(1, 1, 1), rgb(50, 60, 70), rgb(200, 0, 0)});
    two.SetPixel(0, 0, 2);
    two.SetPixel(1, 0, 2);
    two.SetPixel(2, 0, 1);
    OptimisedPalette(target, two, 16, false);
    EXPECT_EQ(target.Palette(), (Palette{rgb(50, 60, 70), rgb(200, 0, 0)}));
}

}  // namespace
}  // namespace tesra
