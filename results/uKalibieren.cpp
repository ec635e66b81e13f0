#include "results/uKalibieren.h"

namespace tesra {
namespace {
TfKalibieren* g_kalibieren = nullptr;
}

TfKalibieren* fKalibieren() { return g_kalibieren; }

TfKalibieren::TfKalibieren(QWidget* parent) : QDialog(parent)
{
    g_kalibieren = this;
    setObjectName("fKalibieren");
    setWindowTitle("Calibrate");
}

TfKalibieren::~TfKalibieren()
{
    if (g_kalibieren == this)
        g_kalibieren = nullptr;
}

void TfKalibieren::ShowCalibrationDistance(long double pixels)
{
    m_model.showCalibrationDistance(pixels);
    refresh();
}

void TfKalibieren::refresh() {}

}  // namespace tesra
