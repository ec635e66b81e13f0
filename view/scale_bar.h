#pragma once
// The scale bar drawn on photos and in the report: a round length (1, 2 or 5 times a power
// of ten in the calibration's unit) about a fifth of the image wide.
#include <optional>
#include <string>

#include "app/measurement/length_unit.h"

namespace tesra {

struct ScaleBar {
    long double realLength = 0.0L;  // in the unit
    int pixels = 0;                 // the bar's length in image pixels
    std::string label;              // "50 µm"
};

// The bar for an image `width` pixels wide at `scale` units per pixel; none when the scale
// is not a positive finite number or the bar would be shorter than 2 pixels.
std::optional<ScaleBar> ChooseScaleBar(int width, long double scale, LengthUnit unit);

}  // namespace tesra
