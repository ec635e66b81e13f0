// Feeds arbitrary bytes to the BMP reader; a decoded image must survive a bitmap round trip.
#include "fuzz/fuzz_support.h"
#include "imaging/formats/bmp.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return tesra::fuzz::ReadThroughBitmap(data, size, [](tesra::ByteSpan bytes, tesra::TPixelGraphic& image) {
        tesra::readBmp(bytes, image);
    });
}
