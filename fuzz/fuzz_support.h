#pragma once
// Pieces shared by the image-reader fuzz targets.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "imaging/checked_size.h"
#include "imaging/formats/bmp.h"
#include "imaging/formats/format_error.h"

namespace tesra::fuzz {

// Small images only: the fuzzer looks for faults, not for large allocations.
inline void LimitImageSizes(std::uint64_t pixels = 4'000'000, std::uint64_t bytes = 32ull << 20)
{
    static const bool limited = [&] {
        setImageSizeLimits({pixels, bytes});
        return true;
    }();
    (void)limited;
}

// Every pixel's colour must be the same in both images.
inline bool SameColours(const TPixelGraphic& a, const TPixelGraphic& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return false;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.GetColor(x, y) != b.GetColor(x, y))
                return false;
    return true;
}

// Reads the bytes with `read`; a failure must be one of the library's errors and leave the
// target untouched. A decoded image is written as a bitmap and read back: the same colours
// must come out.
template <class Read>
int ReadThroughBitmap(const std::uint8_t* data, std::size_t size, Read read)
{
    LimitImageSizes();
    TPixelGraphic image;
    try {
        read(ByteSpan(data, size), image);
    } catch (const EPixelGraphic&) {
        if (!image.isEmpty())
            std::abort();
        return 0;
    }
    std::ostringstream out;
    writeBmp(image, out);
    const std::string bytes = out.str();
    TPixelGraphic again;
    readBmp(ByteSpan(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), again);
    if (!SameColours(image, again))
        std::abort();
    return 0;
}

}  // namespace tesra::fuzz
