#pragma once
// The sheet and the intercept list as CSV files (see common/csv_text.h): plain numbers
// with a point, the unit in the column names, the same bytes in every locale. The clipboard
// Copy keeps its own text.
#include <string>

#include "app/measurement/length_unit.h"
#include "app/measurement/measurement.h"

namespace tesra {

// A row per line and a row "total": lengths, counts and grain sizes in pixels and (when
// calibrated) in the unit, the second phase in percent, the outlier ("K") and circle ("A")
// flags, and in the total row ℓ̄ and G.
std::string SheetCsv(const Measurement& measurement, bool calibrated, LengthUnit unit);

// Every intercept: its line, x, y, type (1..6) and position along the line (0..1, or the
// angle in radians on a circle).
std::string InterceptCsv(const Measurement& measurement);

}  // namespace tesra
