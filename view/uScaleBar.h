#pragma once
// Drawing the scale bar that photos and the report may carry.
#include <QSize>

#include "view/scale_bar.h"

class QPainter;

namespace tesra {

// Draws the bar in the bottom-right corner of an image of `imageSize` pixels on which the bar
// is `bar.pixels` long: a black bar with its label on a white box, sized to the image.
void PaintScaleBar(QPainter& painter, const ScaleBar& bar, const QSize& imageSize);

}  // namespace tesra
