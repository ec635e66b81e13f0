#pragma once
// The fixed palettes of the image library, by palette kind, and the library's own table of
// 252 colours whose first sixteen rows are the platform's system colours.
#include <cstdint>

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

}  // namespace tesra
