#pragma once
// `tesra --fields FILE...`: the measurements stored in image files as one specimen table on
// standard output, without a window and without decoding a single image (only the trailer
// at the end of each file is read).
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <vector>

#include "results/fields_statistics.h"

namespace tesra {

// A file that can be read but holds no measurement that could be a field.
class FieldError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The field stored in an image file, read as "Open image" reads it (the calibration rounded
// and checked as the calibration dialog does). A stored calibration that the dialog would
// refuse leaves the field uncalibrated and its message in `warning`. Throws StorageError
// when the file cannot be read, FieldError when it holds no measurement or a damaged one.
FieldNumbers ReadField(const std::string& fileName, std::string& warning);

// Prints the specimen table of the files to out (kSpecimenCsvHeader, a row per readable file,
// the specimen row) and one line per unreadable file to err. Returns 0 when every file gave
// a field, 1 otherwise.
int PrintFields(const std::vector<std::string>& files, std::ostream& out, std::ostream& err);

}  // namespace tesra
