// Feeds arbitrary bytes to the JPEG reader. A decoded image is written again and read back:
// the writer must accept every image the reader makes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "fuzz/fuzz_support.h"
#include "imaging/formats/format_error.h"
#include "imaging/formats/jpeg.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tesra;
    // A few bytes can describe a large JPEG: the reader must answer it by what its data holds.
    fuzz::UseProgramSizeLimits();
    TPixelGraphic image;
    try {
        readJpeg(ByteSpan(data, size), image);
    } catch (const EPixelGraphic&) {
        return 0;
    }
    if (static_cast<long>(image.Width()) * image.Height() > 65536)  // the writer on small images only
        return 0;
    std::ostringstream out;
    writeJpeg(image, out, 80);
    const std::string bytes = out.str();
    TPixelGraphic again;
    readJpeg(ByteSpan(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), again);
    if (again.Width() != image.Width() || again.Height() != image.Height() || again.PixelFormat() != image.PixelFormat())
        std::abort();
    return 0;
}
