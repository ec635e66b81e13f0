#pragma once
// Turns a part of an image buffer into 32-bit screen pixels (0xFFRRGGBB), the form a window
// painter draws fastest. The window converts only the part it must paint, so no copy of the
// whole image, let alone a magnified one, is ever made.
#include <cstddef>
#include <cstdint>

#include "imaging/pixel_graphic.h"

namespace tesra {

// 0xFFRRGGBB of a colour value 0x00BBGGRR.
constexpr std::uint32_t screenPixel(std::uint32_t colour)
{
    return 0xFF000000u | (colour & 0xFFu) << 16 | (colour & 0xFF00u) | (colour >> 16 & 0xFFu);
}

// Writes pixels x0..x0+width-1 of rows y0..y0+height-1 into dst, row after row, dstStride
// pixels apart. The rectangle must lie inside the image. A palette index without an entry
// shows black.
void CopyScreenPixels(const TPixelGraphic& image, int x0, int y0, int width, int height, std::uint32_t* dst,
                      std::size_t dstStride);

}  // namespace tesra
