#pragma once
// The unit of a calibration's real length.
#include <optional>
#include <string>
#include <string_view>

namespace tesra {

// µm is the default: micrographs are calibrated in micrometres unless the user says otherwise.
enum class LengthUnit : unsigned char { Micrometre, Nanometre, Millimetre };

inline constexpr LengthUnit kDefaultLengthUnit = LengthUnit::Micrometre;

// What the user sees: "µm", "nm", "mm" (UTF-8).
const char* LengthUnitText(LengthUnit unit);
// The unit's plain ASCII code as stored in files: "um", "nm", "mm".
const char* LengthUnitCode(LengthUnit unit);
// Reads a unit from its text or its code; nothing for anything else.
std::optional<LengthUnit> ParseLengthUnit(std::string_view text);
// How many millimetres one unit is (µm: 0.001).
long double MillimetresPerUnit(LengthUnit unit);
// A length in one unit expressed in another.
long double ConvertLength(long double value, LengthUnit from, LengthUnit to);

}  // namespace tesra
