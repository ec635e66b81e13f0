#pragma once
// Colour values of the image library, 0x00BBGGRR (red in the lowest byte), and the kinds of
// palette a buffer can have: what the image buffer and the palette tables both build on.
#include <cstdint>

namespace tesra {

// What kind of palette a buffer has. The order is fixed (stored and compared as numbers).
enum TPaletteIdent : std::uint8_t {
    pNone,
    pTrueColor,
    pUnknown,
    pBlackWhite,
    pSysGray4,
    pSys16,
    pGray4,
    pGray16,
    pGray236,
    pGray256,
    pSpecial125,
    pSpecial216,
    pSpecial252,
    pOptimized252Sys16,
    pSource,
};
inline constexpr int kPaletteIdentCount = 15;

// Colour value helpers for 0x00BBGGRR.
constexpr std::uint32_t rgb(int r, int g, int b)
{
    return static_cast<std::uint32_t>(r) | static_cast<std::uint32_t>(g) << 8 | static_cast<std::uint32_t>(b) << 16;
}
constexpr int redOf(std::uint32_t c) { return static_cast<int>(c & 0xFF); }
constexpr int greenOf(std::uint32_t c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int blueOf(std::uint32_t c) { return static_cast<int>((c >> 16) & 0xFF); }
// The grey value of a colour: its green component, unweighted and unrounded.
constexpr int greyOf(std::uint32_t c) { return static_cast<int>((c & 0xFF00) >> 8); }

}  // namespace tesra
