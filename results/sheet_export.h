#pragma once
// The text that the sheet's "Copy" button puts on the clipboard: header with date, file and
// calibration, one TAB-separated row per test line, the sums and the confidence limits, all
// taken from the sheet's cells as they stand.
#include <string>

#include "common/clipboard_text.h"
#include "app/measurement/measurement.h"
#include "results/result_sheet.h"

namespace tesra {

// dateTime is the current local date and time as the caller's platform writes it (short
// date, a blank, long time); fileName the image file held by the main window; remark the
// calibration dialog's remark field. Numbers of the header use the sheet's locale.
// Every line ends in CR LF; Ansi() gives the Windows-1252 bytes of the ANSI clipboard.
ClipboardText SheetExportText(const ResultSheet& sheet, const Calibration& calibration,
                              const std::string& dateTime, const std::string& fileName,
                              const std::string& remark);

}  // namespace tesra
