#include "imaging/color_conversion.h"

#include "imaging/palettes.h"

#include <vector>

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

int TPixelGraphic::luminanceIndex(TPaletteIdent kind, int l)
{
    switch (kind) {
    case pBlackWhite:
        return (l + 1) / 384;
    case pSysGray4:
        return l <= 192 ? 0 : l <= 480 ? 1 : l <= 670 ? 2 : 3;
    case pGray4:
        return (l + 127) / 255;
    case pGray16:
        return (l + 25) / 51;
    case pGray256:
        return (l + 1) / 3;
    default:
        return -1;
    }
}

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
    case pSysGray4:
    case pGray4:
    case pGray16:
    case pGray256:
        index = static_cast<std::uint32_t>(luminanceIndex(m_paletteIdent, Luminance(c)));
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
        index = static_cast<std::uint32_t>(fixedNearestTable(m_paletteIdent)->find(c));
        break;
    }
    default: {
        if (!m_nearest.table)
            m_nearest.table =
                std::make_shared<NearestColorTable>(m_palette.data(), static_cast<int>(m_palette.size()));
        const int i = m_nearest.table->find(c);
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

TPixelFormat formatOfResolution(int resolution)
{
    static const TPixelFormat formats[] = {TPixelFormat::pf1Bit, TPixelFormat::pf1Bit, TPixelFormat::pf4Bit,
                                           TPixelFormat::pf4Bit, TPixelFormat::pf4Bit, TPixelFormat::pf8Bit,
                                           TPixelFormat::pf8Bit, TPixelFormat::pf24Bit};
    if (resolution < 0 || resolution > 7)
        throw EPixelGraphic("Invalid color resolution " + std::to_string(resolution));
    return formats[resolution];
}

TPixelGraphic ConvertTo(const TPixelGraphic& source, int resolution)
{
    TPixelGraphic target;
    target.SetSize(source.Width(), source.Height(), formatOfResolution(resolution));
    target.SetDither(source.Dither());
    target.SetDitherErrorLimitAuto(source.DitherErrorLimitAuto());
    target.SetDitherErrorLimit(source.DitherErrorLimit());
    target.SetDitherErrorLimitSoft(source.DitherErrorLimitSoft());
    target.SetRGBWeighting(source.RGBWeighting());
    target.setProgress(source.progress());
    switch (resolution) {
    case 0:
        target.SetPaletteIdent(pBlackWhite);
        break;
    case 1:
        OptimisedPalette(target, source, 2, false);
        break;
    case 2:
        target.SetPaletteIdent(pGray16);
        break;
    case 3:
        target.SetPaletteIdent(pSys16);
        break;
    case 4:
        OptimisedPalette(target, source, 16, false);
        break;
    case 5:
        target.SetPaletteIdent(pGray256);
        break;
    case 6:
        OptimisedPalette(target, source, 252, true);
        break;
    default:
        break;
    }

    const int w = source.Width(), h = source.Height();
    ProgressScope progress(source.progress(), h);
    if (resolution == 7) {
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x)
                target.SetPixel(x, y, source.GetColor(x, y));
            progress.update(y + 1);
        }
        return target;
    }
    ColorStorer storer(target);
    const bool trueColour = source.PixelFormat() == TPixelFormat::pf24Bit;
    std::vector<std::uint8_t> colours(trueColour ? 0 : 3 * static_cast<std::size_t>(w));
    for (int y = 0; y < h; ++y) {
        if (trueColour) {
            storer.setRow(y, source.rowData(y));
        } else {
            // Read in the order the pixels are stored (odd rows from the right), so that a
            // pixel outside the palette fails at the same pixel as before.
            for (int i = 0; i < w; ++i) {
                const int x = y % 2 == 0 ? i : w - 1 - i;
                const std::uint32_t c = source.GetColor(x, y);
                std::uint8_t* p = colours.data() + 3 * static_cast<std::size_t>(x);
                p[0] = static_cast<std::uint8_t>(blueOf(c));
                p[1] = static_cast<std::uint8_t>(greenOf(c));
                p[2] = static_cast<std::uint8_t>(redOf(c));
            }
            storer.setRow(y, colours.data());
        }
        progress.update(y + 1);
    }
    return target;
}

}  // namespace tesra
