// Feeds arbitrary bytes to the PNG reader. A decoded image of a modest size is written again and read back; a
// lossless format must give the same pixels and palette.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "fuzz/fuzz_support.h"
#include "imaging/formats/format_error.h"
#include "imaging/formats/png.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tesra;
    fuzz::UseProgramSizeLimits();
    TPixelGraphic image;
    double gamma = 1.8;
    try {
        readPng(ByteSpan(data, size), image, gamma);
    } catch (const EPixelGraphic&) {
        return 0;
    }
    if (!fuzz::SmallEnoughForRoundTrip(image))
        return 0;
    std::ostringstream out;
    writePng(image, out, gamma);
    const std::string bytes = out.str();
    TPixelGraphic again;
    double againGamma = 1.8;
    readPng(ByteSpan(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), again, againGamma);
    if (again.PixelFormat() != image.PixelFormat() || !fuzz::SameColours(image, again))
        std::abort();
    return 0;
}
