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

// The program's own limits: a file that claims a huge image must be answered by what its data
// can hold, not by a cap of the fuzzer's. A legitimate file can cost a whole 4 GiB image, so
// run the targets with -rss_limit_mb=6144 -malloc_limit_mb=6144 and a -timeout a large image
// takes to decode under the sanitizers (60 s).
inline void UseProgramSizeLimits() { setImageSizeLimits(ImageSizeLimits{}); }

// Round trips through a writer run on images up to this many pixels: their faults do not depend
// on the size, and a copy of a gigabyte image in a string stream only costs time and memory.
constexpr std::uint64_t kRoundTripPixels = 4'000'000;

inline bool SmallEnoughForRoundTrip(const TPixelGraphic& image)
{
    return static_cast<std::uint64_t>(image.Width()) * static_cast<std::uint64_t>(image.Height()) <= kRoundTripPixels;
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
// target untouched. A decoded image of a modest size is written as a bitmap and read back: the same colours
// must come out.
template <class Read>
int ReadThroughBitmap(const std::uint8_t* data, std::size_t size, Read read)
{
    UseProgramSizeLimits();
    TPixelGraphic image;
    try {
        read(ByteSpan(data, size), image);
    } catch (const EPixelGraphic&) {
        if (!image.isEmpty())
            std::abort();
        return 0;
    }
    if (!SmallEnoughForRoundTrip(image))
        return 0;
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
