#pragma once
// The fixed palettes of the image library, by palette kind, and the library's own table of
// 252 colours whose first sixteen rows are the platform's system colours.
#include <cstdint>
#include <vector>

#include "imaging/colour_values.h"

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
// cube is cut into 32 × 32 × 32 cells; each cell keeps the entries that can be nearest to
// some colour inside it (an entry whose least distance to the cell exceeds another entry's
// greatest distance never can), sorted by that least distance so that a search stops as soon
// as no further entry can come nearer. Ties go to the lower index, so the answer is exactly
// nearestEntry's.
//
// A table made with buildAll = false fills each cell the first time a colour in it is looked
// up (a conversion touches only the cells its image uses); such a table belongs to one thread.
// A table built whole is never written again and may be shared.
class NearestColorTable {
public:
    NearestColorTable(const std::uint32_t* entries, int count, bool buildAll = false);
    // nearestEntry(entries, count, c); -1 for an empty palette.
    int find(std::uint32_t c) const
    {
        if (m_count == 0)
            return -1;
        const int r = redOf(c), g = greenOf(c), b = blueOf(c);
        const std::size_t cell = static_cast<std::size_t>((r >> 3) << 10 | (g >> 3) << 5 | (b >> 3));
        if (m_cellCount[cell] == kUnfilled)
            fillCell(cell);
        const std::uint32_t* k = m_pool.data() + m_cellStart[cell];
        const std::uint32_t* end = k + m_cellCount[cell];
        int best = -1;
        int bestDistance = 1 << 30;
        for (; k != end; ++k) {
            // Candidates are (least distance << 8 | index), ascending.
            if (static_cast<int>(*k >> 8) > bestDistance)
                break;
            const int i = static_cast<int>(*k & 0xFF);
            const int dr = m_r[i] - r, dg = m_g[i] - g, db = m_b[i] - b;
            const int d = dr * dr + dg * dg + db * db;
            if (d < bestDistance || (d == bestDistance && i < best)) {
                bestDistance = d;
                best = i;
            }
        }
        return best;
    }

private:
    static constexpr std::uint16_t kUnfilled = 0xFFFF;
    void fillCell(std::size_t cell) const;

    int m_count = 0;
    std::vector<int> m_r, m_g, m_b;
    mutable std::vector<std::uint32_t> m_cellStart;  // 32768 offsets into m_pool
    mutable std::vector<std::uint16_t> m_cellCount;  // kUnfilled until the cell is made
    mutable std::vector<std::uint32_t> m_pool;
};

// The shared table of a fixed kind that is looked up by nearness (pSys16, pGray236,
// pSpecial252); null for other kinds.
const NearestColorTable* fixedNearestTable(TPaletteIdent kind);

}  // namespace tesra
