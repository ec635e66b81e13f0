// Feeds arbitrary bytes to the BMP reader. A decoded image is written again as a bitmap and
// read back: the same colours must come out, and the reader must never fail with anything but
// the library's own errors.
#include "imaging/checked_size.h"
#include "imaging/formats/bmp.h"
#include "imaging/formats/bmp.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tesra;
    // Small images only: the fuzzer looks for faults, not for large allocations.
    static const bool limited = [] {
        setImageSizeLimits({4'000'000, 32ull << 20});
        return true;
    }();
    (void)limited;
    TPixelGraphic image;
    try {
        readBmp(ByteSpan(data, size), image);
    } catch (const EPixelGraphic&) {
        if (!image.isEmpty())
            std::abort();  // a failed load must leave the target untouched
        return 0;
    }
    std::ostringstream out;
    writeBmp(image, out);
    const std::string bytes = out.str();
    TPixelGraphic again;
    readBmp(ByteSpan(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), again);
    if (again.Width() != image.Width() || again.Height() != image.Height())
        std::abort();
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            if (again.GetColor(x, y) != image.GetColor(x, y))
                std::abort();
    return 0;
}
