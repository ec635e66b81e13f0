#include "imaging/color_conversion.h"

#include "imaging/palettes.h"

namespace tesra {

namespace {

int quantise125(int v)
{
    // 224 would fall to level 3 (192) although 255 is as near in the program's eyes: the
    // palette's rows are (v·255 + 3) div 4, and 224 is lifted so that it maps like 225.
    if (v == 224)
        v = 225;
    return (v + 31) / 64;
}

}  // namespace

std::uint32_t TPixelGraphic::ColorToIndex(std::uint32_t c) const
{
    if (m_paletteIdent == pTrueColor)
        return c;
    if (m_paletteIdent == pNone)
        throw EPGNoPalette();
    if (m_lastValid && m_lastColor == c)
        return m_lastIndex;
    std::uint32_t index = 0;
    switch (m_paletteIdent) {
    case pBlackWhite:
        index = static_cast<std::uint32_t>((Luminance(c) + 1) / 384);
        break;
    case pSysGray4: {
        const int l = Luminance(c);
        index = l <= 192 ? 0 : l <= 480 ? 1 : l <= 670 ? 2 : 3;
        break;
    }
    case pGray4:
        index = static_cast<std::uint32_t>((Luminance(c) + 127) / 255);
        break;
    case pGray16:
        index = static_cast<std::uint32_t>((Luminance(c) + 25) / 51);
        break;
    case pGray256:
        index = static_cast<std::uint32_t>((Luminance(c) + 1) / 3);
        break;
    case pSpecial125:
        index = static_cast<std::uint32_t>(25 * quantise125(redOf(c)) + 5 * quantise125(greenOf(c)) +
                                           quantise125(blueOf(c)));
        break;
    case pSpecial216:
        index = static_cast<std::uint32_t>(36 * ((redOf(c) + 24) / 51) + 6 * ((greenOf(c) + 24) / 51) +
                                           (blueOf(c) + 24) / 51);
        break;
    case pSys16:
    case pGray236:
    case pSpecial252: {
        const FixedPalette fixed = fixedPalette(m_paletteIdent);
        index = static_cast<std::uint32_t>(nearestEntry(fixed.entries, fixed.count, c));
        break;
    }
    default: {
        const int i = nearestEntry(m_palette.data(), static_cast<int>(m_palette.size()), c);
        if (i < 0)
            throw EPGNoPalette();
        index = static_cast<std::uint32_t>(i);
        break;
    }
    }
    m_lastValid = true;
    m_lastColor = c;
    m_lastIndex = index;
    return index;
}

}  // namespace tesra
