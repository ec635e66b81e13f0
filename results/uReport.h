#pragma once
// The specimen report as a PDF: a summary page (the field table, mean ± CI, % RA, G, the
// calibrations, the files and the date), then per field its photo with the overlay and a
// scale bar, and its sheet.
#include <QString>

#include <vector>

#include "common/number_format.h"
#include "results/fields_statistics.h"

namespace tesra {

// Writes the report of the fields to `pdfFile` (replaced only when complete). The fields'
// image files are read again for their photos and sheets; a field whose file cannot be read
// gets a page that says so. False with `error` set when the PDF cannot be written.
bool WriteSpecimenReport(const QString& pdfFile, const std::vector<FieldNumbers>& fields, const NumberLocale& locale,
                         QString* error);

}  // namespace tesra
