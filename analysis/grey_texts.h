#pragma once
// The texts of the grey-value window: the three clipboard texts (profile, histogram, segment
// lengths), the cells of the segment grids, and the mouse read-outs of the two plots. The
// date and time, file name and remark are passed in; numbers use the caller's locale.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/grey_analysis.h"
#include "common/clipboard_text.h"
#include "common/number_format.h"

namespace tesra {

// The head every clipboard text of the window starts with (UTF-8).
struct GreyTextHeader {
    std::string dateTime;  // current date and time in the locale's short date, long time form
    std::string fileName;  // as shown in the main window's image-name field
    std::string remark;    // the calibration remark
};

// "Tesra gray values " + date, "File: ", "Remark: ", "Line: " + lineNumber, an empty line,
// "Pixel\tGray", then i ⟶ g_i for i = 1..N − 1.
ClipboardText ProfileClipboardText(const GreyProfile& profile, int lineNumber, const GreyTextHeader& header);

// "Tesra histogram " + date, "File: ", "Remark: ", an empty line, the head with
// "***normierte Häufigkeit***", then 256 lines j ⟶ count_j ⟶ count_j / T with 8 decimals.
ClipboardText HistogramClipboardText(const GreyHistogram& histogram, const GreyTextHeader& header,
                                     const NumberLocale& locale);

// The cells of the two segment grids as they are displayed.
struct SegmentCells {
    // Rows 1.. of the segment grid: number, length, calibrated length. At least one row: a
    // list whose every pair is a second-phase stretch shows one empty row.
    std::vector<std::array<std::string, 3>> rows;
    // Row 1 of the summary grid: the two means.
    std::string meanLength;
    std::string meanCalibratedLength;
};
// Lengths with thousands separators and 3 decimals (at most 10 significant digits).
SegmentCells FormatSegmentCells(const SegmentList& list, const NumberLocale& locale);

// "Tesra segment lengths " + date, "File: ", "Remark: ", "Line: ", an empty line, the column
// heads, one line per grid row, an empty line, the heads again after a blank, "Mean" and
// "Std. deviation" with two empty values.
ClipboardText SegmentClipboardText(const SegmentCells& cells, int lineNumber, const GreyTextHeader& header);

// ---- Mouse read-outs ----

// What a column of the profile plot shows: the last grey (128,128,128) increment point and
// the last fuchsia profile point from the top, as inc = 128 − y and grey = 255 − y; −1 when
// absent.
struct ProfileColumnReading {
    int grey = -1;
    int inc = -1;
};
// Reads the colours (0x00BBGGRR) of a plot column from y = 0 down.
ProfileColumnReading ReadProfileColumn(const std::uint32_t* colours, int count);

// "Position: P%   Gray: g   Increment: 2·inc" (a circle: "P°", P in degrees) for plot
// column x of a line of the given length; a profile point hidden under its increment point
// reads as inc + 127.
std::string ProfileReadoutText(int x, const ProfileColumnReading& reading, long double length, bool isCircle,
                               const NumberLocale& locale);

// "Position: x   Count: count_x"; empty for x outside 0..255.
std::string HistogramReadoutText(int x, const GreyHistogram& histogram);

}  // namespace tesra
