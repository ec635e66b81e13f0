#pragma once
// The specimen as CSV: the table `tesra --fields` prints and the specimen window keeps in
// its file. One row per field, then the row "specimen" with the sums, the means and the
// confidence of the fields' mean lineal intercept. The file reads back into the fields.
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "results/fields_statistics.h"

namespace tesra {

inline constexpr const char* kSpecimenCsvHeader =
    "field,lines,test_length_px,intercepts,mean_intercept_px,mean_intercept,unit,G,ci95,ra_percent";
inline constexpr const char* kSpecimenRowName = "specimen";

// The header, a row per field and the specimen row.
std::string SpecimenCsv(std::span<const FieldNumbers> fields);

// A file that is not a specimen table.
class SpecimenFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The fields of a specimen table (the specimen row is left out; its figures follow from the
// fields). Throws SpecimenFileError naming the row when the header or a number is wrong.
std::vector<FieldNumbers> ReadSpecimenCsv(std::string_view text);

}  // namespace tesra
