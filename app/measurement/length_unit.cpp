#include "app/measurement/length_unit.h"

namespace tesra {

const char* LengthUnitText(LengthUnit unit)
{
    switch (unit) {
    case LengthUnit::Nanometre:
        return "nm";
    case LengthUnit::Millimetre:
        return "mm";
    case LengthUnit::Micrometre:
        break;
    }
    return "µm";
}

const char* LengthUnitCode(LengthUnit unit)
{
    return unit == LengthUnit::Micrometre ? "um" : LengthUnitText(unit);
}

std::optional<LengthUnit> ParseLengthUnit(std::string_view text)
{
    for (LengthUnit unit : {LengthUnit::Micrometre, LengthUnit::Nanometre, LengthUnit::Millimetre}) {
        if (text == LengthUnitText(unit) || text == LengthUnitCode(unit))
            return unit;
    }
    // The micro sign and the Greek small letter mu look the same; both mean micrometres.
    if (text == "\xCE\xBCm")
        return LengthUnit::Micrometre;
    return std::nullopt;
}

long double MillimetresPerUnit(LengthUnit unit)
{
    switch (unit) {
    case LengthUnit::Nanometre:
        return 1.0e-6L;
    case LengthUnit::Millimetre:
        return 1.0L;
    case LengthUnit::Micrometre:
        break;
    }
    return 1.0e-3L;
}

long double ConvertLength(long double value, LengthUnit from, LengthUnit to)
{
    if (from == to)
        return value;
    return value * MillimetresPerUnit(from) / MillimetresPerUnit(to);
}

}  // namespace tesra
