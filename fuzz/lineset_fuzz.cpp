// Any bytes as a line-set file loaded onto a 640 × 480 image holding one line already.
#include <cstddef>
#include <cstdint>
#include <span>

#include "app/storage/line_set.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tesra;
    Measurement measurement;
    ResultSheet sheet;
    CalibrationModel calibration;
    EditState state;
    calibration.resetForImage(measurement, sheet, 640, 480);
    measurement.AddTestLine(10, 10, 300, 200, false);
    sheet.Recompute(measurement);
    try {
        const LineSetLoadResult result = LoadLineSet(std::span<const std::uint8_t>(data, size), 640, 480,
                                                     {measurement, sheet, calibration, state});
        if (measurement.lineCount() != 1 + result.added || measurement.lineCount() > kMaxLines)
            __builtin_trap();
    } catch (const StorageError&) {
        // A short file adds nothing.
        if (measurement.lineCount() != 1)
            __builtin_trap();
    }
    return 0;
}
