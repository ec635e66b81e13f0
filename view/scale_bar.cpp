#include "view/scale_bar.h"

#include <cmath>

#include "common/csv_text.h"
#include "common/rounding.h"

namespace tesra {

std::optional<ScaleBar> ChooseScaleBar(int width, long double scale, LengthUnit unit)
{
    if (!(std::isfinite(scale) && scale > 0.0L) || width < 10)
        return std::nullopt;
    const long double target = width / 5.0L * scale;
    const long double decade = std::pow(10.0L, std::floor(std::log10(target)));
    long double length = decade;
    for (long double step : {2.0L, 5.0L, 10.0L}) {
        if (step * decade <= target)
            length = step * decade;
    }
    ScaleBar bar;
    bar.realLength = length;
    bar.pixels = static_cast<int>(R(length / scale));
    if (bar.pixels < 2)
        return std::nullopt;
    // A plain number (no separators to mislead): "0.5 µm", "200 µm".
    bar.label = CsvNumber(length) + " " + LengthUnitText(unit);
    return bar;
}

}  // namespace tesra
