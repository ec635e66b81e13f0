#pragma once
// The fixed palettes of the image library, by palette kind, and the library's own table of
// 252 colours whose first sixteen rows are the platform's system colours.
#include <cstdint>
#include <vector>

#include "imaging/pixel_graphic.h"

namespace tesra {

// A fixed palette: its entries, or null with count 0 for the kinds that have no fixed table
// (pNone, pTrueColor, pUnknown, pOptimized252Sys16, pSource).
struct FixedPalette {
    const std::uint32_t* entries = nullptr;
    int count = 0;
};

// The table of a fixed palette kind (pBlackWhite ... pSpecial252); {nullptr, 0} otherwise.
FixedPalette fixedPalette(TPaletteIdent kind);

// The sixteen system colours in platform order: black, maroon, green, olive, navy, purple,
// teal, silver, grey, red, lime, yellow, blue, fuchsia, aqua, white. They are also the first
// sixteen rows of the pSpecial252 table and the colours appended to optimised palettes.
const std::uint32_t* systemColors();

// True when every entry has red = green = blue (dithering then works on grey levels only).
bool isGreyPalette(const std::uint32_t* entries, int count);

// The index of the entry nearest to c by squared RGB distance (ΔR² + ΔG² + ΔB²), the lower
// index on equal distances; -1 for an empty palette. Plain search, for any palette.
int nearestEntry(const std::uint32_t* entries, int count, std::uint32_t c);

// Exact nearest-entry search for one palette, fast enough for a lookup per pixel. The colour
// cube is cut into 16 × 16 × 16 cells; each cell keeps the entries that can be nearest to
// some colour inside it (an entry whose least distance to the cell exceeds another entry's
// greatest distance never can). A lookup scans only its cell's list, in index order, so the
// answer is exactly nearestEntry's, ties included.
class NearestColorTable {
public:
    NearestColorTable(const std::uint32_t* entries, int count);
    // nearestEntry(entries, count, c); -1 for an empty palette.
    int find(std::uint32_t c) const
    {
        if (m_entries.empty())
            return -1;
        const int r = redOf(c), g = greenOf(c), b = blueOf(c);
        const unsigned cell = static_cast<unsigned>((r >> 4) << 8 | (g >> 4) << 4 | (b >> 4));
        int best = 0;
        int bestDistance = 1 << 30;
        for (std::uint32_t k = m_cellStart[cell]; k < m_cellStart[cell + 1]; ++k) {
            const int i = m_candidates[k];
            const std::uint32_t e = m_entries[static_cast<std::size_t>(i)];
            const int dr = redOf(e) - r, dg = greenOf(e) - g, db = blueOf(e) - b;
            const int d = dr * dr + dg * dg + db * db;
            if (d < bestDistance) {
                bestDistance = d;
                best = i;
            }
        }
        return best;
    }

private:
    std::vector<std::uint32_t> m_entries;
    std::vector<std::uint32_t> m_cellStart;  // 4097 offsets into m_candidates
    std::vector<std::uint8_t> m_candidates;  // entry indexes, ascending within a cell
};

// The shared table of a fixed kind that is looked up by nearness (pSys16, pGray236,
// pSpecial252); null for other kinds.
const NearestColorTable* fixedNearestTable(TPaletteIdent kind);

}  // namespace tesra
