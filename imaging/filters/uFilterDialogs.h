#pragma once
// The four filter dialogs (brightness/contrast/gamma, sharpen, detail, contour): modal, with
// sliders bound to the core's dialog data and a live preview.
#include <functional>

#include "imaging/filters/filter_dialogs.h"
#include "imaging/pixel_graphic.h"

class QWidget;

namespace tesra {

// Runs the brightness/contrast/gamma dialog with previewSource as its preview. parameters
// holds the start values and, on OK, the chosen ones (Cancel leaves them as they were).
bool RunBCGDialog(QWidget* parent, const TPixelGraphic& previewSource, BCGParameters& parameters);
// Runs the sharpen, detail or contour dialog, likewise.
bool RunConvDialog(QWidget* parent, ConvFilterKind kind, const TPixelGraphic* previewSource,
                   ConvParameters& parameters);

// Tests answer the filter dialogs through these instead of showing them; an empty function
// restores the real dialogs.
using BCGDialogHandler = std::function<bool(BCGParameters&)>;
using ConvDialogHandler = std::function<bool(ConvFilterKind, ConvParameters&)>;
void SetBCGDialogHandler(BCGDialogHandler handler);
void SetConvDialogHandler(ConvDialogHandler handler);

}  // namespace tesra
