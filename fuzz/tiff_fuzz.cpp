// Feeds arbitrary bytes to the TIFF reader (with the strip-count warning answered OK). A
// decoded image is written again and read back; the same pixels and palette must come out.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "imaging/checked_size.h"
#include "imaging/formats/format_error.h"
#include "imaging/formats/tiff.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tesra;
    // Small images only: the fuzzer looks for faults, not for large allocations.
    static const bool limited = [] {
        setImageSizeLimits({4'000'000, 32ull << 20});
        return true;
    }();
    (void)limited;
    const TiffWarning ok = [](const std::string&, const std::string&) { return true; };
    TPixelGraphic image;
    try {
        readTiff(ByteSpan(data, size), image, ok);
    } catch (const EPixelGraphic&) {
        return 0;
    }
    if (image.ColorResolution() == 1)  // two colours of a palette: not a resolution TIFF writes
        return 0;
    std::ostringstream out;
    writeTiff(image, out);
    const std::string bytes = out.str();
    TPixelGraphic again;
    readTiff(ByteSpan(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), again, ok);
    if (again.Width() != image.Width() || again.Height() != image.Height() || again.PixelFormat() != image.PixelFormat())
        std::abort();
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            if (again.GetColor(x, y) != image.GetColor(x, y))
                std::abort();
    return 0;
}
