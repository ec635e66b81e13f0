#include "imaging/dither.h"

#include "imaging/palettes.h"

namespace tesra {

int autoDitherErrorLimit(TPaletteIdent kind)
{
    // Coarse palettes let the error travel far so that areas get the right mean; fine ones
    // keep it short so that it cannot build up into visible worms.
    switch (kind) {
    case pBlackWhite:
        return 255;
    case pSysGray4:
    case pSys16:
    case pGray4:
        return 128;
    case pGray236:
        return 3;
    case pGray256:
        return 2;
    case pSpecial125:
    case pSpecial252:
        return 104;
    case pSpecial216:
        return 86;
    case pOptimized252Sys16:
    case pSource:
        return 0;
    default:
        return 32;
    }
}

std::array<int, 511> ditherErrorLimits(int b, bool soft)
{
    std::array<int, 256> half{};
    for (int i = 0; i < 256; ++i)
        half[i] = i;
    if (b != 255)
        for (int i = b; i < 256; ++i)
            half[i] = b;
    if (soft)
        for (int i = 0; i < 255; ++i)
            if (b / 2 <= i && i <= (3 * b) / 2)
                half[i] = i / 2 + b / 4;
    std::array<int, 511> lim{};
    for (int i = 0; i < 256; ++i) {
        lim[static_cast<std::size_t>(255 + i)] = half[i];
        lim[static_cast<std::size_t>(255 - i)] = -half[i];
    }
    return lim;
}

std::array<int, 511> ditherErrorLimits(const TPixelGraphic& target)
{
    if (target.DitherErrorLimitAuto())
        return ditherErrorLimits(autoDitherErrorLimit(target.PaletteIdent()), true);
    return ditherErrorLimits(target.DitherErrorLimit(), target.DitherErrorLimitSoft());
}

ColorStorer::ColorStorer(TPixelGraphic& target)
    : m_target(target),
      m_copy(target.PixelFormat() == TPixelFormat::pf24Bit),
      m_dither(!m_copy && target.Dither()),
      m_grey(isGreyPalette(target.Palette().data(), target.PaletteCount()))
{
    if (!m_dither)
        return;
    m_lim = ditherErrorLimits(target);
    const std::size_t n = 3 * (static_cast<std::size_t>(target.Width()) + 2);
    m_current.assign(n, 0);
    m_next.assign(n, 0);
}

void ColorStorer::startRow(int y)
{
    m_row = y;
    m_direction = (y % 2 == 0) ? 1 : -1;
    m_current.swap(m_next);
    std::fill(m_next.begin(), m_next.end(), 0);
}

void ColorStorer::setColor(int x, int y, std::uint32_t c)
{
    if (m_copy) {
        m_target.SetPixel(x, y, c);
        return;
    }
    if (!m_dither || static_cast<unsigned>(x) >= static_cast<unsigned>(m_target.Width()) ||
        static_cast<unsigned>(y) >= static_cast<unsigned>(m_target.Height())) {
        m_target.SetPixel(x, y, m_target.ColorToIndex(c));
        return;
    }
    if (y != m_row)
        startRow(y);

    // Slot of pixel x in the accumulator rows (one spare pixel in front).
    const std::size_t here = 3 * (static_cast<std::size_t>(x) + 1);
    int error[3];
    std::uint32_t index;
    if (m_grey) {
        const int e = roundSixteenths(m_current[here + 1]);
        const int g = std::clamp(m_target.Luminance(c) / 3 + limit(e), 0, 255);
        index = m_target.ColorToIndex(rgb(g, g, g));
        error[0] = 0;
        error[1] = g - greenOf(m_target.PaletteColor(index));
        error[2] = 0;
    } else {
        const int v[3] = {redOf(c), greenOf(c), blueOf(c)};
        int w[3];
        for (int k = 0; k < 3; ++k)
            w[k] = std::clamp(v[k] + limit(roundSixteenths(m_current[here + k])), 0, 255);
        index = m_target.ColorToIndex(rgb(w[0], w[1], w[2]));
        const std::uint32_t entry = m_target.PaletteColor(index);
        error[0] = w[0] - redOf(entry);
        error[1] = w[1] - greenOf(entry);
        error[2] = w[2] - blueOf(entry);
    }
    m_target.SetPixel(x, y, index);

    // 7/16 ahead in this row; 3/16 behind, 5/16 below and 1/16 ahead in the next row, where
    // "ahead" is the scan direction of this row.
    const std::size_t ahead = m_direction > 0 ? here + 3 : here - 3;
    const std::size_t behind = m_direction > 0 ? here - 3 : here + 3;
    for (int k = 0; k < 3; ++k) {
        const int d = error[k];
        if (d == 0)
            continue;
        m_current[ahead + static_cast<std::size_t>(k)] += 7 * d;
        m_next[behind + static_cast<std::size_t>(k)] += 3 * d;
        m_next[here + static_cast<std::size_t>(k)] += 5 * d;
        m_next[ahead + static_cast<std::size_t>(k)] += d;
    }
}

}  // namespace tesra
