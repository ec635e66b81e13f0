#pragma once
// A measuring document as right after an image of w × h pixels was opened in a German
// locale, with the sheet that shows it.
#include "app/storage/measurement_file.h"
#include "results/result_sheet.h"

namespace tesra::test {

struct TestDocument {
    MeasuringDocument doc{NumberLocale::German()};
    Measurement& measurement = doc.measurementForLoading();
    CalibrationModel& calibration = doc.calibrationTexts();
    EditState& state = doc.editState();

    TestDocument(int w, int h) { doc.resetForImage(w, h); }
    // The sheet as the sheet window shows the document now.
    const ResultSheet& sheet()
    {
        m_sheet.Recompute(measurement);
        return m_sheet;
    }

private:
    ResultSheet m_sheet{NumberLocale::German()};
};

}  // namespace tesra::test
