#include "imaging/palettes.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

#include "imaging/color_conversion.h"

namespace tesra {
namespace {

std::uint32_t grey(int v) { return rgb(v, v, v); }

TEST(FixedPalettes, EntriesByKind)
{
    struct Row {
        TPaletteIdent kind;
        int count;
        int index;
        std::uint32_t entry;
    } rows[] = {
        {pBlackWhite, 2, 0, grey(0)},          {pBlackWhite, 2, 1, grey(255)},
        {pSysGray4, 4, 1, grey(128)},          {pSysGray4, 4, 2, grey(192)},
        {pSys16, 16, 1, rgb(128, 0, 0)},       {pSys16, 16, 3, rgb(128, 128, 0)},
        {pSys16, 16, 6, rgb(0, 128, 128)},     {pSys16, 16, 7, rgb(192, 192, 192)},
        {pSys16, 16, 8, rgb(128, 128, 128)},   {pSys16, 16, 13, rgb(255, 0, 255)},
        {pSys16, 16, 14, rgb(0, 255, 255)},    {pSys16, 16, 15, rgb(255, 255, 255)},
        {pGray4, 4, 1, grey(85)},              {pGray4, 4, 2, grey(170)},
        {pGray16, 16, 1, grey(17)},            {pGray16, 16, 15, grey(255)},
        {pGray236, 236, 1, grey(1)},           {pGray236, 236, 2, grey(2)},   // 255/235 = 1.085
        {pGray236, 236, 118, grey(128)},       {pGray236, 236, 235, grey(255)}, // 128.04, 255
        {pGray236, 236, 6, grey(7)},           // 6.51 rounds up
        {pGray256, 256, 77, grey(77)},
        {pSpecial125, 125, 25 * 1 + 5 * 2 + 3, rgb(64, 128, 192)},
        {pSpecial125, 125, 124, rgb(255, 255, 255)},
        {pSpecial216, 216, 36 * 5 + 6 * 1 + 4, rgb(255, 51, 204)},
        {pSpecial252, 252, 0, grey(0)},        {pSpecial252, 252, 9, rgb(255, 0, 0)},
    };
    for (const Row& r : rows) {
        const FixedPalette p = fixedPalette(r.kind);
        ASSERT_EQ(p.count, r.count) << static_cast<int>(r.kind);
        EXPECT_EQ(p.entries[r.index], r.entry) << static_cast<int>(r.kind) << " entry " << r.index;
    }
    for (TPaletteIdent k : {pNone, pTrueColor, pUnknown, pOptimized252Sys16, pSource})
        EXPECT_EQ(fixedPalette(k).count, 0);
}

TEST(FixedPalettes, Special252StartsWithSystemColoursAndHasNoRepeats)
{
    const FixedPalette sys = fixedPalette(pSys16), s252 = fixedPalette(pSpecial252);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(s252.entries[i], sys.entries[i]);
    EXPECT_EQ(std::set<std::uint32_t>(s252.entries, s252.entries + 252).size(), 252u);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(systemColors()[i], sys.entries[i]);
}

TEST(FixedPalettes, SettingAKindReplacesThePalette)
{
    TPixelGraphic g(1, 1, TPixelFormat::pf8Bit);
    g.SetPaletteIdent(pGray16);
    EXPECT_EQ(g.PaletteCount(), 16);
    EXPECT_EQ(g.PaletteColor(2), grey(34));
    g.SetPaletteIdent(pUnknown);  // relabels only
    EXPECT_EQ(g.PaletteCount(), 16);
    g.SetPaletteIdent(pTrueColor);
    EXPECT_EQ(g.PaletteCount(), 0);
}

struct IndexCase {
    TPaletteIdent kind;
    bool weighting;
    std::uint32_t colour;
    std::uint32_t index;
    const char* why;
};

TEST(ColorToIndex, ByPaletteKind)
{
    const IndexCase cases[] = {
        {pGray256, true, rgb(255, 0, 0), 76, "L = 228, (228 + 1) div 3"},
        {pGray256, true, rgb(0, 255, 0), 150, "L = 449"},
        {pGray256, true, rgb(0, 0, 255), 29, "L = 87"},
        {pGray256, true, rgb(255, 255, 255), 255, "L = 765"},
        {pGray256, false, rgb(255, 0, 0), 85, "plain sum 255"},
        {pGray256, false, rgb(100, 100, 100), 100, "plain sum 300"},
        {pBlackWhite, false, rgb(128, 128, 127), 1, "L = 383 reaches white"},
        {pBlackWhite, false, rgb(128, 127, 127), 0, "L = 382 stays black"},
        {pSysGray4, false, rgb(64, 64, 64), 0, "L = 192"},
        {pSysGray4, false, rgb(65, 64, 64), 1, "L = 193"},
        {pSysGray4, false, rgb(160, 160, 160), 1, "L = 480"},
        {pSysGray4, false, rgb(161, 160, 160), 2, "L = 481"},
        {pSysGray4, false, rgb(224, 223, 223), 2, "L = 670"},
        {pSysGray4, false, rgb(224, 224, 223), 3, "L = 671"},
        {pGray4, false, rgb(127, 0, 0), 0, "(127 + 127) div 255"},
        {pGray4, false, rgb(128, 0, 0), 1, "(128 + 127) div 255"},
        {pGray4, false, rgb(255, 255, 255), 3, "(765 + 127) div 255"},
        {pGray16, false, rgb(25, 0, 0), 0, "(25 + 25) div 51"},
        {pGray16, false, rgb(26, 0, 0), 1, "(26 + 25) div 51"},
        {pGray16, true, rgb(255, 255, 255), 15, "white"},
        {pSpecial125, true, rgb(224, 224, 224), 124, "224 is taken as 225"},
        {pSpecial125, true, rgb(223, 0, 32), 75, "(223 + 31) div 64 = 3, 32 -> 0"},
        {pSpecial125, true, rgb(0, 33, 0), 5, "(33 + 31) div 64 = 1"},
        {pSpecial216, true, rgb(26, 27, 255), 11, "0, 1, 5"},
        {pSys16, true, rgb(130, 0, 0), 1, "maroon"},
        {pSys16, true, rgb(200, 200, 200), 7, "silver"},
        {pSys16, true, rgb(0, 0, 64), 0, "as near black as navy: the lower index"},
        {pSys16, true, rgb(0, 0, 65), 4, "navy"},
        {pSys16, true, rgb(250, 250, 5), 11, "yellow"},
        {pGray236, true, rgb(128, 128, 128), 118, "entry 118 is 128"},
        {pGray236, true, rgb(200, 0, 0), 62, "greys 66 (entry 61) and 67 (entry 62): 26668 vs 26667"},
        {pSpecial252, true, rgb(192, 192, 192), 7, "silver is a system colour"},
        {pTrueColor, true, rgb(1, 2, 3), rgb(1, 2, 3), "own value"},
    };
    for (const IndexCase& c : cases) {
        TPixelGraphic g(1, 1, TPixelFormat::pf8Bit);
        g.SetPaletteIdent(c.kind);
        g.SetRGBWeighting(c.weighting);
        EXPECT_EQ(g.ColorToIndex(c.colour), c.index) << c.why;
    }
}

TEST(ColorToIndex, NoPaletteFails)
{
    TPixelGraphic g(1, 1, TPixelFormat::pf8Bit);
    g.SetPaletteIdent(pNone);
    try {
        g.ColorToIndex(0);
        FAIL();
    } catch (const EPGNoPalette& e) {
        EXPECT_STREQ(e.what(), "No palette");
    }
    g.SetPalette(nullptr, 0, pUnknown);
    EXPECT_THROW(g.ColorToIndex(0), EPGNoPalette);
}

TEST(ColorToIndex, LoadedPaletteNearestAndLowerIndexOnTies)
{
    TPixelGraphic g(1, 1, TPixelFormat::pf8Bit);
    g.SetPalette({grey(10), grey(20), grey(20), rgb(255, 0, 0)});
    EXPECT_EQ(g.ColorToIndex(grey(15)), 0u);  // 75 to both: the lower index
    EXPECT_EQ(g.ColorToIndex(grey(16)), 1u);  // entries 1 and 2 are equal: 1
    EXPECT_EQ(g.ColorToIndex(rgb(200, 30, 30)), 3u);
    // The remembered colour must not outlive a palette change.
    g.SetPalette({rgb(255, 0, 0), grey(10)});
    EXPECT_EQ(g.ColorToIndex(rgb(200, 30, 30)), 0u);
    EXPECT_EQ(g.ColorToIndex(rgb(200, 30, 30)), 0u);
    // Nor a change of the luminance weighting.
    TPixelGraphic w(1, 1, TPixelFormat::pf8Bit);
    w.SetPaletteIdent(pGray256);
    EXPECT_EQ(w.ColorToIndex(rgb(255, 0, 0)), 76u);
    w.SetRGBWeighting(false);
    EXPECT_EQ(w.ColorToIndex(rgb(255, 0, 0)), 85u);
}

TEST(NearestColorTable, AgreesWithPlainSearch)
{
    // The cell table must answer exactly like a search over every entry, ties included.
    std::mt19937 rng(12345);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 12; ++round) {
        const int count = 1 + round * 21;
        std::vector<std::uint32_t> pal;
        for (int i = 0; i < count; ++i) {
            // Coarse values make equal distances (ties) common.
            const int step = round % 2 ? 1 : 32;
            pal.push_back(rgb(byte(rng) / step * step, byte(rng) / step * step, byte(rng) / step * step));
        }
        const NearestColorTable table(pal.data(), count);
        for (int k = 0; k < 4000; ++k) {
            const std::uint32_t c = rgb(byte(rng), byte(rng), byte(rng));
            ASSERT_EQ(table.find(c), nearestEntry(pal.data(), count, c)) << "round " << round;
        }
    }
    for (TPaletteIdent kind : {pSys16, pGray236, pSpecial252}) {
        const FixedPalette p = fixedPalette(kind);
        for (int k = 0; k < 20000; ++k) {
            const std::uint32_t c = rgb(byte(rng), byte(rng), byte(rng));
            ASSERT_EQ(fixedNearestTable(kind)->find(c), nearestEntry(p.entries, p.count, c));
        }
        // Every entry finds itself.
        for (int i = 0; i < p.count; ++i)
            EXPECT_EQ(fixedNearestTable(kind)->find(p.entries[i]), i);
    }
}

}  // namespace
}  // namespace tesra
