// Any bytes as the end of an opened image file: the trailer is read into a fresh document,
// through the calibration dialog's rules, as "Open image" does.
#include <cstddef>
#include <cstdint>
#include <span>

#include "app/storage/measurement_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tesra;
    MeasuringDocument document;
    EditState state;
    document.resetForImage(640, 480);
    const Measurement& measurement = document.measurement();
    const std::span<const std::uint8_t> file(data, size);
    const TrailerReadResult result = ReadTrailer(file, file.size(), document, state);
    // A trailer is taken whole or not at all.
    if (result.status != TrailerStatus::Found && measurement.lineCount() + measurement.interceptCount() != 0)
        __builtin_trap();
    // What was taken can be written again.
    if (result.status == TrailerStatus::Found)
        (void)EncodeTrailer(TrailerContentOf(document), 0);
    return 0;
}
