#pragma once
// Storing colours into palette-based buffers and converting between colour resolutions.
// TPixelGraphic::ColorToIndex (declared with the buffer) is defined here.
#include "imaging/pixel_graphic.h"

namespace tesra {

}  // namespace tesra
