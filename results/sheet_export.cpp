#include "results/sheet_export.h"

namespace tesra {

namespace {

constexpr const char* kLineHeader =
    "!\t#\tTotal length in Pixel\tSecond phase length \tIntersections\tEffective length\t"
    "ø grain size in Pixel\tCalibrated length\tø cal. grain size\tSecond phase";

constexpr const char* kSumHeader =
    "\t\tTotal length in Pixel\tTotal length of second phase\tIntersections\tEffective length\t"
    "ø grain size in Pixel\tCalibrated length\tø cal. grain size\tSecond phase";

}  // namespace

ClipboardText SheetExportText(const ResultSheet& sheet, const Calibration& calibration,
                              const std::string& dateTime, const std::string& fileName,
                              const std::string& remark)
{
    const NumberLocale& locale = sheet.locale();
    ClipboardText text;
    text.AddLine("Tesra measurement " + dateTime);
    text.AddLine("File: " + fileName);
    text.AddLine("Remark: " + remark);
    text.AddLine("");
    text.AddLine("Calibration factor: \t" + FormatN(calibration.scale, 10, 3, locale));
    text.AddLine("Conversion factor: \t" + FormatN(calibration.conversionFactor, 10, 3, locale));
    if (calibration.secondPhasePercent != -1.0L) {
        text.AddLine("Second phase fraction set by calibration: "
                     + FormatF(calibration.secondPhasePercent, 6, 3, locale) + " Vol% gesetzt");
    }
    text.AddLine("");
    text.AddLine(kLineHeader);
    // The row mark of column 0 is not exported: the ten fields run from the flags on.
    for (int row = 1; row < sheet.rowCount(); ++row) {
        std::string line = sheet.cell(1, row);
        for (int col = 2; col < kSheetColumns; ++col)
            line += "\t" + sheet.cell(col, row);
        text.AddLine(std::move(line));
    }
    text.AddLine("");
    text.AddLine(kSumHeader);
    // Two leading fields so that each sum stands under its column of the line rows.
    std::string sums = "\t\t" + sheet.sumCell(1, 1);
    // G (the last column) is not part of the copied text.
    for (int col = 2; col < kSumColumns - 1; ++col)
        sums += "\t" + sheet.sumCell(col, 1);
    text.AddLine(std::move(sums));
    text.AddLine("");
    text.AddLine("Confidence niveau of 95%:");
    text.AddLine("Confidence intervall:\t" + sheet.sumCell(3, 2) + "\tIntersections");
    text.AddLine("ø grain size in Pixel:\t" + sheet.sumCell(5, 1) + sheet.sumCell(5, 2));
    text.AddLine("ø cal. grain size:\t" + sheet.sumCell(7, 1) + sheet.sumCell(7, 2));
    return text;
}

}  // namespace tesra
