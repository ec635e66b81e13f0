// Any bytes as a line-set file loaded onto a 640 × 480 image holding one line already.
#include <cstddef>
#include <cstdint>
#include <span>

#include "app/storage/line_set.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tesra;
    MeasuringDocument document;
    document.resetForImage(640, 480);
    document.AddTestLine(10, 10, 300, 200, false);
    const Measurement& measurement = document.measurement();
    try {
        LineSetLoadResult result;
        // As the program loads it: one step of the history, which one undo takes back.
        document.editMeasurement("Load line set", [&](Measurement& m) {
            result = LoadLineSet(std::span<const std::uint8_t>(data, size), 640, 480, m);
        });
        if (measurement.lineCount() != 1 + result.added || measurement.lineCount() > kMaxLines)
            __builtin_trap();
        if (result.added > 0) {
            document.Undo();
            if (measurement.lineCount() != 1 || measurement.interceptCount() != 2)
                __builtin_trap();
        }
    } catch (const StorageError&) {
        // A short file adds nothing.
        if (measurement.lineCount() != 1)
            __builtin_trap();
    }
    return 0;
}
