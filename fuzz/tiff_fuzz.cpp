// Feeds arbitrary bytes to the TIFF reader (with the strip-count warning answered OK). A
// decoded image of a modest size is written again and read back; the same pixels and palette
// must come out.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "fuzz/fuzz_support.h"
#include "imaging/formats/format_error.h"
#include "imaging/formats/tiff.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tesra;
    fuzz::UseProgramSizeLimits();
    const TiffWarning ok = [](const std::string&, const std::string&) { return true; };
    TPixelGraphic image;
    try {
        readTiff(ByteSpan(data, size), image, ok);
    } catch (const EPixelGraphic&) {
        return 0;
    }
    if (image.ColorResolution() == 1)  // two colours of a palette: not a resolution TIFF writes
        return 0;
    if (!fuzz::SmallEnoughForRoundTrip(image))
        return 0;
    std::ostringstream out;
    writeTiff(image, out);
    const std::string bytes = out.str();
    TPixelGraphic again;
    readTiff(ByteSpan(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), again, ok);
    if (again.PixelFormat() != image.PixelFormat() || !fuzz::SameColours(image, again))
        std::abort();
    return 0;
}
