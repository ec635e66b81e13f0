#include "imaging/filters/bcg_filter.h"

#include <cmath>
#include <vector>

#include "common/rounding.h"

namespace tesra {

std::array<std::uint8_t, 256> BCGToneTable(int brightness, long double contrast, long double gamma)
{
    std::array<std::uint8_t, 256> table{};
    for (int i = 0; i < 256; ++i) {
        const long double x = i / 255.0L;
        long double y;
        if (gamma == 0.0L)
            y = 1.0L;  // x^0 = 1, also for x = 0
        else if (x == 0.0L)
            y = 0.0L;  // 0^g = 0; pow would give infinity for a negative exponent
        else
            y = std::pow(x, gamma);
        y = y * 255.0L;
        y = (y - 127.5L) * contrast + 127.5L;
        y = y + brightness * 255 * 0.01L;
        table[static_cast<std::size_t>(i)] = ClampByte(R(y));
    }
    return table;
}

std::array<std::uint8_t, 256> TBCGFilter::identityTable()
{
    std::array<std::uint8_t, 256> table{};
    for (int i = 0; i < 256; ++i)
        table[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    return table;
}

void TBCGFilter::Prepare()
{
    m_table = BCGToneTable(Brightness, Contrast, Gamma);
}

std::uint32_t TBCGFilter::PixelFunction(const TPixelGraphic& source, int x, int y) const
{
    return MapColor(source.GetColor(x, y));
}

std::uint32_t TBCGFilter::MapColor(std::uint32_t color) const
{
    if (UseY)
        return mapLuminance(color);
    return rgb(m_table[static_cast<std::size_t>(redOf(color))], m_table[static_cast<std::size_t>(greenOf(color))],
               m_table[static_cast<std::size_t>(blueOf(color))]);
}

std::uint32_t TBCGFilter::mapLuminance(std::uint32_t color) const
{
    const long double r = redOf(color) / 255.0L;
    const long double g = greenOf(color) / 255.0L;
    const long double b = blueOf(color) / 255.0L;
    const long double y = 0.299L * r + 0.587L * g + 0.114L * b;
    const long double cb = -0.169L * r - 0.331L * g + 0.5L * b;
    const long double cr = 0.5L * r - 0.419L * g - 0.081L * b;

    const long double t = y * 255.0L;
    long double kr = std::floor(t);
    // The luminance of white can come out a hair above 1; keep the index inside the table.
    if (kr < 0.0L)
        kr = 0.0L;
    if (kr > 255.0L)
        kr = 255.0L;
    const int k = static_cast<int>(kr);
    long double y2;
    if (k > 254) {
        y2 = m_table[static_cast<std::size_t>(k)] / 255.0L;
    } else {
        const long double f = t - k;
        y2 = ((1.0L - f) * m_table[static_cast<std::size_t>(k)] + f * m_table[static_cast<std::size_t>(k + 1)]) /
             255.0L;
    }
    const long double r2 = y2 + 1.403L * cr;
    const long double g2 = y2 - 0.344L * cb - 0.714L * cr;
    const long double b2 = y2 + 1.773L * cb;
    return rgb(ClampByte(R(r2 * 255.0L)), ClampByte(R(g2 * 255.0L)), ClampByte(R(b2 * 255.0L)));
}

void TBCGFilter::ComputeRows(const TPixelGraphic& source, const FilterRowSink& sink, ProgressScope& progress) const
{
    if (source.PixelFormat() != TPixelFormat::pf24Bit) {
        TImageFilter::ComputeRows(source, sink, progress);
        return;
    }
    const int width = source.Width();
    const std::size_t bytes = 3 * static_cast<std::size_t>(width);
    std::vector<std::uint8_t> out(bytes);
    // The luminance path costs some fifty extended-precision operations per colour, and a
    // micrograph holds few distinct colours: results are kept in a small direct-mapped cache.
    constexpr std::uint32_t kCacheBits = 12;
    std::vector<std::uint32_t> cacheKey(std::size_t{1} << kCacheBits, 0xFFFFFFFFu);  // no colour has a top byte
    std::vector<std::uint32_t> cacheValue(std::size_t{1} << kCacheBits, 0);
    for (int y = 0; y < source.Height(); ++y) {
        const std::uint8_t* in = source.rowData(y);
        if (!UseY) {
            // The same curve for every channel: one table over the row's bytes.
            for (std::size_t k = 0; k < bytes; ++k)
                out[k] = m_table[in[k]];
        } else {
            for (std::size_t k = 0; k < bytes; k += 3) {
                const std::uint32_t c = rgb(in[k + 2], in[k + 1], in[k]);
                const std::size_t slot = (c * 2654435761u) >> (32 - kCacheBits);
                if (cacheKey[slot] != c) {
                    cacheKey[slot] = c;
                    cacheValue[slot] = MapColor(c);
                }
                const std::uint32_t mapped = cacheValue[slot];
                out[k] = static_cast<std::uint8_t>(blueOf(mapped));
                out[k + 1] = static_cast<std::uint8_t>(greenOf(mapped));
                out[k + 2] = static_cast<std::uint8_t>(redOf(mapped));
            }
        }
        sink(y, out.data());
        progress.update(y + 1);
    }
}

}  // namespace tesra
