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

}  // namespace tesra
