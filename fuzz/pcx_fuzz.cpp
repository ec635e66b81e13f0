// Feeds arbitrary bytes to the PCX reader; a decoded image must survive a bitmap round trip.
#include "fuzz/fuzz_support.h"
#include "imaging/formats/pcx.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return tesra::fuzz::ReadThroughBitmap(data, size, [](tesra::ByteSpan bytes, tesra::TPixelGraphic& image) {
        tesra::readPcx(bytes, image);
    });
}
