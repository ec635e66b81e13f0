#include "view/image_raster.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace tesra {

void CopyScreenPixels(const TPixelGraphic& image, int x0, int y0, int width, int height, std::uint32_t* dst,
                      std::size_t dstStride)
{
    if (width <= 0 || height <= 0)
        return;
    const TPixelFormat format = image.PixelFormat();
    if (format == TPixelFormat::pf24Bit) {
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* src = image.rowData(y0 + y) + 3 * static_cast<std::size_t>(x0);
            std::uint32_t* out = dst + static_cast<std::size_t>(y) * dstStride;
            for (int x = 0; x < width; ++x, src += 3)
                out[x] = 0xFF000000u | std::uint32_t{src[2]} << 16 | std::uint32_t{src[1]} << 8 | src[0];
        }
        return;
    }
    // Palette images: one lookup table for the whole rectangle. With pTrueColor the raw value
    // is the colour itself, as in GetColor.
    std::array<std::uint32_t, 256> table{};
    const int entries = paletteEntriesOf(format);
    for (int i = 0; i < entries; ++i) {
        std::uint32_t colour = 0;
        if (image.PaletteIdent() == pTrueColor)
            colour = static_cast<std::uint32_t>(i);
        else if (i < image.PaletteCount())
            colour = image.Palette()[static_cast<std::size_t>(i)];
        table[static_cast<std::size_t>(i)] = screenPixel(colour);
    }
    for (int y = 0; y < height; ++y) {
        std::uint32_t* out = dst + static_cast<std::size_t>(y) * dstStride;
        if (format == TPixelFormat::pf8Bit) {
            const std::uint8_t* src = image.rowData(y0 + y) + x0;
            for (int x = 0; x < width; ++x)
                out[x] = table[src[x]];
            continue;
        }
        for (int x = 0; x < width; ++x)
            out[x] = table[image.GetPixel(x0 + x, y0 + y) & 0xFFu];
    }
}

namespace {

// The rounded mean of four pixels whose blue sits in bits 0-7, green in 8-15 and red in
// 16-23 (the top byte is ignored), as a screen pixel. Blue and red add up in the two halves
// of one word, green alone: four 8-bit values and the rounding need 10 bits, so no channel
// spills into the next.
inline std::uint32_t meanOfFour(std::uint32_t p0, std::uint32_t p1, std::uint32_t p2, std::uint32_t p3)
{
    const std::uint32_t rb = (p0 & 0xFF00FFu) + (p1 & 0xFF00FFu) + (p2 & 0xFF00FFu) + (p3 & 0xFF00FFu) + 0x20002u;
    const std::uint32_t g = (p0 & 0xFF00u) + (p1 & 0xFF00u) + (p2 & 0xFF00u) + (p3 & 0xFF00u) + 0x200u;
    return 0xFF000000u | (rb >> 2 & 0xFF00FFu) | (g >> 2 & 0xFF00u);
}

// The 3 bytes blue, green, red of a pixel (and the byte after, which meanOfFour ignores).
inline std::uint32_t load4(const std::uint8_t* p)
{
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
inline std::uint32_t load3(const std::uint8_t* p)
{
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16;
}

ScreenRaster sizedHalf(int width, int height)
{
    ScreenRaster out;
    out.width = (width + 1) / 2;
    out.height = (height + 1) / 2;
    out.pixels.resize(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height));
    return out;
}

// Halves a picture whose rows `row(y)` gives (as screen pixels).
template <typename RowOf>
ScreenRaster halve(int width, int height, RowOf row)
{
    ScreenRaster out = sizedHalf(width, height);
    const int pairs = width / 2;
    for (int y = 0; y < out.height; ++y) {
        const std::uint32_t* a = row(2 * y);
        const std::uint32_t* b = 2 * y + 1 < height ? row(2 * y + 1) : a;
        std::uint32_t* dst = out.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(out.width);
        for (int x = 0; x < pairs; ++x)
            dst[x] = meanOfFour(a[2 * x], a[2 * x + 1], b[2 * x], b[2 * x + 1]);
        if (pairs < out.width)
            dst[pairs] = meanOfFour(a[width - 1], a[width - 1], b[width - 1], b[width - 1]);
    }
    return out;
}

// True-colour images, the common case of large micrographs: the 2 × 2 means straight from
// the rows, without converting them first. Four bytes are read at a time; the last pair of a
// row, whose fourth byte may lie past the buffer, byte by byte.
ScreenRaster halveTrueColour(const TPixelGraphic& image)
{
    const int width = image.Width(), height = image.Height();
    ScreenRaster out = sizedHalf(width, height);
    const int pairs = width / 2;
    const int wide = width % 2 == 0 ? pairs - 1 : pairs;
    for (int y = 0; y < out.height; ++y) {
        const std::uint8_t* a = image.rowData(2 * y);
        const std::uint8_t* b = 2 * y + 1 < height ? image.rowData(2 * y + 1) : a;
        std::uint32_t* dst = out.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(out.width);
        for (int x = 0; x < wide; ++x) {
            const std::size_t i = 6 * static_cast<std::size_t>(x);
            dst[x] = meanOfFour(load4(a + i), load4(a + i + 3), load4(b + i), load4(b + i + 3));
        }
        for (int x = std::max(wide, 0); x < out.width; ++x) {
            const std::size_t i0 = 6 * static_cast<std::size_t>(x);
            const std::size_t i1 = 2 * x + 1 < width ? i0 + 3 : i0;
            dst[x] = meanOfFour(load3(a + i0), load3(a + i1), load3(b + i0), load3(b + i1));
        }
    }
    return out;
}

}  // namespace

ScreenRaster HalfScreenRaster(const TPixelGraphic& image)
{
    const int width = image.Width(), height = image.Height();
    if (width <= 0 || height <= 0)
        return {};
    if (image.PixelFormat() == TPixelFormat::pf24Bit)
        return halveTrueColour(image);
    // Two converted rows at a time: the rows of the pair being reduced.
    std::vector<std::uint32_t> rows(2 * static_cast<std::size_t>(width));
    int first = -1;
    return halve(width, height, [&](int y) {
        if (y % 2 == 0 || first != y - 1) {
            const int count = y + 1 < height ? 2 : 1;
            CopyScreenPixels(image, 0, y, width, count, rows.data(), static_cast<std::size_t>(width));
            first = y;
        }
        return rows.data() + static_cast<std::size_t>(y - first) * static_cast<std::size_t>(width);
    });
}

ScreenRaster HalfScreenRaster(const ScreenRaster& picture)
{
    if (picture.width <= 0 || picture.height <= 0)
        return {};
    return halve(picture.width, picture.height, [&](int y) {
        return picture.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.width);
    });
}

}  // namespace tesra
