#pragma once
// What the specimen window and the report show of a specimen: the column titles and cell
// texts of the field table and the lines of the summary, in the sheet's number format.
#include <string>
#include <vector>

#include "common/number_format.h"
#include "results/fields_statistics.h"

namespace tesra {

// File, lines, test length, intercepts, ℓ̄ in pixels, ℓ̄ in the unit, G.
inline constexpr int kSpecimenColumns = 7;

std::vector<std::string> SpecimenColumnTitles(LengthUnit unit);
// A field's cells; the file as its name without the folder.
std::vector<std::string> SpecimenRowTexts(const FieldNumbers& field, const NumberLocale& locale);

struct SummaryLine {
    std::string title;
    std::string value;
};

// n, mean ℓ̄ ± CI, s, t, % RA, G of the mean, fields needed for 10 % RA; a figure that
// cannot be computed yet reads "–".
std::vector<SummaryLine> SpecimenSummaryTexts(const SpecimenSummary& summary, const NumberLocale& locale);

// G as the sheet and the panels show it: one decimal; empty without a value.
std::string GrainSizeNumberText(const std::optional<long double>& g, const NumberLocale& locale);

}  // namespace tesra
