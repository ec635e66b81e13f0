#include "view/image_raster.h"

#include <array>

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

// Halves a picture whose rows `row(y)` gives (as screen pixels), into `out`.
template <typename RowOf>
ScreenRaster halve(int width, int height, RowOf row)
{
    ScreenRaster out;
    out.width = (width + 1) / 2;
    out.height = (height + 1) / 2;
    out.pixels.resize(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height));
    for (int y = 0; y < out.height; ++y) {
        const std::uint32_t* a = row(2 * y);
        const std::uint32_t* b = 2 * y + 1 < height ? row(2 * y + 1) : a;
        std::uint32_t* dst = out.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(out.width);
        for (int x = 0; x < out.width; ++x) {
            const int x0 = 2 * x, x1 = x0 + 1 < width ? x0 + 1 : x0;
            const std::uint32_t p[4] = {a[x0], a[x1], b[x0], b[x1]};
            std::uint32_t r = 2, g = 2, bl = 2;  // rounding of the mean of four
            for (std::uint32_t v : p) {
                r += v >> 16 & 0xFFu;
                g += v >> 8 & 0xFFu;
                bl += v & 0xFFu;
            }
            dst[x] = 0xFF000000u | (r / 4) << 16 | (g / 4) << 8 | bl / 4;
        }
    }
    return out;
}

}  // namespace

namespace {

// True-colour images, the common case of large micrographs: the 2 × 2 means straight from
// the rows, without converting them first.
ScreenRaster halveTrueColour(const TPixelGraphic& image)
{
    const int width = image.Width(), height = image.Height();
    ScreenRaster out;
    out.width = (width + 1) / 2;
    out.height = (height + 1) / 2;
    out.pixels.resize(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height));
    for (int y = 0; y < out.height; ++y) {
        const std::uint8_t* a = image.rowData(2 * y);
        const std::uint8_t* b = 2 * y + 1 < height ? image.rowData(2 * y + 1) : a;
        std::uint32_t* dst = out.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(out.width);
        for (int x = 0; x < out.width; ++x) {
            const std::size_t i0 = 6 * static_cast<std::size_t>(x);
            const std::size_t i1 = 2 * x + 1 < width ? i0 + 3 : i0;
            std::uint32_t sum[3];
            for (int c = 0; c < 3; ++c)
                sum[c] = (2u + a[i0 + c] + a[i1 + c] + b[i0 + c] + b[i1 + c]) / 4;
            // Rows hold blue, green, red.
            dst[x] = 0xFF000000u | sum[2] << 16 | sum[1] << 8 | sum[0];
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
