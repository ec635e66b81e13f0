#pragma once
// Turns a part of an image buffer into 32-bit screen pixels (0xFFRRGGBB), the form a window
// painter draws fastest. The window converts only the part it must paint, so no copy of the
// whole image, let alone a magnified one, is ever made.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

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

// Leaves the elements a vector grows by unset: the reductions write every pixel right after,
// and clearing tens of megabytes first would cost as much again.
template <typename T>
struct UnsetOnGrowth : std::allocator<T> {
    template <typename U>
    struct rebind {
        using other = UnsetOnGrowth<U>;
    };
    UnsetOnGrowth() = default;
    template <typename U>
    UnsetOnGrowth(const UnsetOnGrowth<U>&) noexcept {}
    template <typename U>
    void construct(U* p) noexcept
    {
        ::new (static_cast<void*>(p)) U;
    }
    template <typename U, typename... Args>
    void construct(U* p, Args&&... args)
    {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

// A picture in screen pixels (0xFFRRGGBB), rows one after the other.
struct ScreenRaster {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t, UnsetOnGrowth<std::uint32_t>> pixels;
};

// The whole image at half its size: each pixel the mean of a 2 × 2 block (of the one or two
// pixels left at an odd last row or column). The reduced views of a large micrograph start
// here, so that seeing it whole never needs a full-size copy.
ScreenRaster HalfScreenRaster(const TPixelGraphic& image);
// The same reduction of a reduced picture.
ScreenRaster HalfScreenRaster(const ScreenRaster& picture);

}  // namespace tesra
