#pragma once
// The pieces of the program that opening or saving a measurement touches, as right after an
// image of w × h pixels was opened in a German locale.
#include "app/storage/measurement_file.h"

namespace tesra::test {

struct TestDocument {
    Measurement measurement;
    ResultSheet sheet{NumberLocale::German()};
    CalibrationModel calibration{NumberLocale::German()};
    EditState state;

    TestDocument(int w, int h) { calibration.resetForImage(measurement, sheet, w, h); }
    MeasurementDocument parts() { return {measurement, sheet, calibration, state}; }
};

}  // namespace tesra::test
