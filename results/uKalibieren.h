#pragma once
// The calibration dialog "Calibrate": a modeless tool window over the core's CalibrationModel.
#include <QDialog>

#include "results/calibration_model.h"

namespace tesra {

class TfKalibieren : public QDialog {
    Q_OBJECT
public:
    explicit TfKalibieren(QWidget* parent = nullptr);
    ~TfKalibieren() override;

    CalibrationModel& model() { return m_model; }
    // The distance the user draws in the image arrives here (tPixel), live.
    void ShowCalibrationDistance(long double pixels);
    // Shows the model's field texts.
    void refresh();

private:
    CalibrationModel m_model;
};

// The program's calibration dialog, or nullptr when none exists.
TfKalibieren* fKalibieren();

}  // namespace tesra
