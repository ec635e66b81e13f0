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

void ColorStorer::setRow(int y, const std::uint8_t* bgr)
{
    const int w = m_target.Width();
    if (static_cast<unsigned>(y) < static_cast<unsigned>(m_target.Height()) && prepareGreyRows()) {
        setGreyRow(y, bgr);
        return;
    }
    for (int i = 0; i < w; ++i) {
        const int x = y % 2 == 0 ? i : w - 1 - i;
        const std::uint8_t* p = bgr + 3 * static_cast<std::size_t>(x);
        setColor(x, y, rgb(p[2], p[1], p[0]));
    }
}

// Decides once per storer whether rows can skip the per-pixel path: every stored index must
// follow from the pixel's luminance through a table, and fit the target's pixel bits (else the
// per-pixel path raises its error at the pixel that fails). The tables are filled through
// ColorToIndex itself, so both paths store the same indexes.
bool ColorStorer::prepareGreyRows()
{
    if (m_greyRows != GreyRows::Unknown)
        return m_greyRows == GreyRows::Yes;
    m_greyRows = GreyRows::No;
    if (m_copy)
        return false;
    const auto maxIndex = static_cast<std::uint32_t>(paletteEntriesOf(m_target.PixelFormat()) - 1);
    if (m_dither) {
        if (!m_grey)
            return false;
        for (int g = 0; g < 256; ++g) {
            const std::uint32_t index = m_target.ColorToIndex(rgb(g, g, g));
            if (index > maxIndex || index >= static_cast<std::uint32_t>(m_target.PaletteCount()))
                return false;
            m_greyIndex[static_cast<std::size_t>(g)] = static_cast<std::uint8_t>(index);
            m_greyError[static_cast<std::size_t>(g)] = g - greenOf(m_target.PaletteColor(index));
        }
        // A palette that holds every grey exactly (256 greys) leaves no error anywhere: the
        // accumulators stay 0, and the dithered choice is the grey L / 3 itself, which a
        // table per luminance gives without the error loop.
        m_greyExact = std::all_of(m_greyError.begin(), m_greyError.end(), [](int d) { return d == 0; });
        if (m_greyExact)
            for (int l = 0; l < 766; ++l)
                m_luminanceIndex[static_cast<std::size_t>(l)] =
                    m_greyIndex[static_cast<std::size_t>(std::clamp(l / 3 + limit(0), 0, 255))];
    } else {
        if (TPixelGraphic::luminanceIndex(m_target.PaletteIdent(), 0) < 0)
            return false;
        for (int l = 0; l < 766; ++l) {
            const auto index = static_cast<std::uint32_t>(TPixelGraphic::luminanceIndex(m_target.PaletteIdent(), l));
            if (index > maxIndex)
                return false;
            m_luminanceIndex[static_cast<std::size_t>(l)] = static_cast<std::uint8_t>(index);
        }
    }
    const auto w = static_cast<std::size_t>(m_target.Width());
    m_luminance.assign(w, 0);
    m_indexes.assign(w, 0);
    if (m_dither && !m_greyExact) {
        m_greyCurrent.assign(w + 2, 0);
        m_greyNext.assign(w + 2, 0);
    }
    m_greyRows = GreyRows::Yes;
    return true;
}

void ColorStorer::setGreyRow(int y, const std::uint8_t* bgr)
{
    const int w = m_target.Width();
    if ((!m_dither || m_greyExact) && m_target.PixelFormat() == TPixelFormat::pf8Bit) {
        // One pass from the colours to the stored bytes.
        const std::uint8_t* table = m_luminanceIndex.data();
        std::uint8_t* row = m_target.rowData(y);
        if (m_target.RGBWeighting())
            for (int x = 0; x < w; ++x, bgr += 3)
                row[x] = table[(897 * bgr[2] + 1761 * bgr[1] + 342 * bgr[0]) / 1000];
        else
            for (int x = 0; x < w; ++x, bgr += 3)
                row[x] = table[bgr[2] + bgr[1] + bgr[0]];
        return;
    }
    int* lum = m_luminance.data();
    if (m_target.RGBWeighting()) {
        for (int x = 0; x < w; ++x, bgr += 3)
            lum[x] = (897 * bgr[2] + 1761 * bgr[1] + 342 * bgr[0]) / 1000;
    } else {
        for (int x = 0; x < w; ++x, bgr += 3)
            lum[x] = bgr[2] + bgr[1] + bgr[0];
    }

    std::uint8_t* out = m_indexes.data();
    if (!m_dither || m_greyExact) {
        for (int x = 0; x < w; ++x)
            out[x] = m_luminanceIndex[static_cast<std::size_t>(lum[x])];
    } else {
        if (y != m_greyRow) {
            m_greyRow = y;
            m_greyCurrent.swap(m_greyNext);
            std::fill(m_greyNext.begin(), m_greyNext.end(), 0);
        }
        // Slot of pixel x at index x (one spare pixel in front). The same steps as the grey
        // case of setColor: the green accumulator rounded, limited and added to L / 3.
        int* current = m_greyCurrent.data() + 1;
        int* next = m_greyNext.data() + 1;
        const int* lim = m_lim.data() + 255;
        const int direction = y % 2 == 0 ? 1 : -1;
        const int first = direction > 0 ? 0 : w - 1;
        // With 256 greys every g is an entry and leaves no error, so most pixels skip the
        // spreading.
        for (int i = 0, x = first; i < w; ++i, x += direction) {
            const int e = std::clamp(roundSixteenths(current[x]), -255, 255);
            const int g = std::clamp(lum[x] / 3 + lim[e], 0, 255);
            out[x] = m_greyIndex[static_cast<std::size_t>(g)];
            const int d = m_greyError[static_cast<std::size_t>(g)];
            if (d == 0)
                continue;
            current[x + direction] += 7 * d;
            next[x - direction] += 3 * d;
            next[x] += 5 * d;
            next[x + direction] += d;
        }
    }

    std::uint8_t* row = m_target.rowData(y);
    switch (m_target.PixelFormat()) {
    case TPixelFormat::pf8Bit:
        std::copy(out, out + w, row);
        break;
    case TPixelFormat::pf4Bit:
        for (int x = 0; x < w; ++x) {
            std::uint8_t& b = row[x >> 1];
            b = (x & 1) ? static_cast<std::uint8_t>((b & 0xF0) | out[x])
                        : static_cast<std::uint8_t>((b & 0x0F) | out[x] << 4);
        }
        break;
    case TPixelFormat::pf1Bit:
        for (int x = 0; x < w; ++x) {
            const auto mask = static_cast<std::uint8_t>(0x80u >> (x & 7));
            row[x >> 3] = static_cast<std::uint8_t>(out[x] ? (row[x >> 3] | mask) : (row[x >> 3] & ~mask));
        }
        break;
    case TPixelFormat::pf24Bit:
        break;
    }
}

}  // namespace tesra
