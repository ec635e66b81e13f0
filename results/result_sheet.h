#pragma once
// The result sheet: every text and colour that the sheet window, its two panels and the main
// window's three indicators show, formatted from the measurement's statistics. The window
// only displays these cells; the grids hold no state of their own.
//
// Grid `Tabelle`: row 0 holds the column headers, rows 1.. belong to the test lines in
// order; there is always at least one (empty while there is no line) line row. Grid `Tabelle2`: 9 columns
// by 3 rows, row 0 and column 0 holding the titles, row 1 the sums, row 2 the confidence
// limits. Cells are addressed (column, row) as in the grids.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/number_format.h"
#include "common/user_text.h"
#include "app/measurement/measurement.h"
#include "results/measurement_statistics.h"

namespace tesra {

// Background of a cell. Only columns 0 (row mark) and 1 (flags) of `Tabelle` carry one.
enum class CellColour : std::uint8_t { Window, Lime, Silver, Red };

// The colour as 0x00BBGGRR (lime 65280, silver 12632256, red 255); Window has no fixed
// value (the system's window colour) and gives 0xFFFFFFFF.
std::uint32_t CellColourValue(CellColour colour);

// A panel that the sheet or the main window shows or hides with a caption.
struct SheetPanel {
    bool visible = false;
    std::string caption;
    friend bool operator==(const SheetPanel&, const SheetPanel&) = default;
};

// The four statistics the sheet keeps for the internal-values box (F2).
struct SheetStatistics {
    long double cv = 0.0L;
    long double targetCv = 0.0L;
    long double s = 0.0L;
    long double rootMeanCount = 0.0L;
};

constexpr int kSheetColumns = 11;  // `Tabelle`
constexpr int kSumColumns = 10;    // `Tabelle2`: the nine of the sums and G
constexpr int kSumRows = 3;

// Cell (0, r) of a marked row: character 252, which the Wingdings font draws as a tick
// (UTF-8 of the Windows-1252 character 252).
inline constexpr const char* kRowMarkText = "\xC3\xBC";

// Colours of the two panels as 0x00BBGGRR.
constexpr std::uint32_t kSecondPhaseNoticeColour = 12320767;  // `tFremd`, light yellow
constexpr std::uint32_t kWarningColour = 8421631;             // `tWarnung`, light red

// The main window's three indicators: `tMisInter` (shown with its caption, or hidden),
// `pInter` and `pKorn`.
struct SheetIndicators {
    SheetPanel needed;
    std::string intercepts = QT_TRANSLATE_NOOP("Core", "Intersections:");
    std::string grainSize = QT_TRANSLATE_NOOP("Core", "Cal. grain size:");
    std::string grainSizeNumber = "G:";  // `pG`: the grain size number, one decimal
    friend bool operator==(const SheetIndicators&, const SheetIndicators&) = default;
};

// The indicators for the statistics of a measurement of lineCount lines; without a line they
// read as after opening an image.
SheetIndicators IndicatorsOf(const MeasurementStatistics& statistics, int lineCount, const NumberLocale& locale,
                             const Calibration& calibration = {});

inline constexpr const char* kDeleteLineCaption = QT_TRANSLATE_NOOP("Core", "Delete line");
inline constexpr const char* kInternalValuesCaption = QT_TRANSLATE_NOOP("Core", "Interne Werte");

class ResultSheet {
public:
    explicit ResultSheet(NumberLocale locale = NumberLocale::German());

    // Decimal and thousands separators of every number the sheet writes from now on.
    void setLocale(const NumberLocale& locale) { m_locale = locale; }
    const NumberLocale& locale() const { return m_locale; }

    // --- Grid `Tabelle` ---

    // Rows including the header row; at least 2.
    int rowCount() const { return static_cast<int>(m_rows.size()); }
    // Text of cell (col, row); row 0 holds the headers. Empty outside the grid.
    const std::string& cell(int col, int row) const;
    // Background of cell (col, row); Window for every cell but those of columns 0 and 1.
    CellColour cellColour(int col, int row) const;
    // True when the row carries the tick (its column-0 cell is lime).
    bool rowMarked(int row) const { return cellColour(0, row) == CellColour::Lime; }
    int currentRow() const { return m_currentRow; }

    // --- Grid `Tabelle2` ---

    // Text of cell (col, row) of the sum grid; titles in row 0 and column 0.
    const std::string& sumCell(int col, int row) const;

    // --- Panels and indicators ---

    const SheetPanel& warning() const { return m_warnung; }          // `tWarnung`
    const SheetIndicators& indicators() const { return m_indicators; }
    const SheetPanel& neededIntercepts() const { return m_indicators.needed; } // main window `tMisInter`
    const std::string& interceptsCaption() const { return m_indicators.intercepts; } // `pInter`
    const std::string& grainSizeCaption() const { return m_indicators.grainSize; }   // `pKorn`
    const SheetStatistics& statistics() const { return m_statistics; }

    // --- Operations ---

    // Rewrites every line row (one per line, its mark from the line's `active`), the sums, the
    // confidence limits, the flags, the indicators and (with more than one line and a
    // non-zero count) the warning and kept statistics from the measurement's statistics.
    // Without a line the sheet shows one empty row, as `ResetSheet` leaves it.
    void Recompute(const Measurement& measurement);
    void Recompute(const Measurement& measurement, const MeasurementStatistics& statistics);

    // Back to the header and one empty line row, the sum and confidence cells emptied, the
    // indicators as after opening an image. Warning and kept statistics are left alone.
    void ResetSheet();

    // Row mark on: lime with the tick character; off: silver and empty.
    void SetRowMark(int row, bool on);

    // Makes line row n the current row (clamped to the line rows).
    void SelectLineRow(int n);

    // The line number standing in column 2 of the row, or 0 when it holds no number.
    int lineNumberOfRow(int row) const;

    // Double click: toggles the current row's mark (a lime mark goes off, any other on) and
    // stores it into `active` of the line named in column 2. Returns false, changing
    // nothing, when that cell names no line; the caller then neither repaints nor marks the
    // document modified.
    bool toggleRowMark(Measurement& measurement);
    // The line whose mark a double click toggles (0: none) and the mark it gets.
    int markToggleLine(const Measurement& measurement, bool& on) const;

    // Delete key, first step: the line named in column 2 of the current row, or 0 when
    // nothing is to be deleted (no number, no line, or a number beyond the line count).
    int deletionCandidate(const Measurement& measurement) const;
    // Text of the question asked before deleting line n ("Delete line # 3?").
    static std::string deleteQuestion(int n);
    // Delete key after the user said Yes: removes line n from the measurement and its row
    // from the sheet, recomputes, and returns the image window's new selected line (0 for
    // none), which is also made the current row. Does nothing and returns selectedLine when
    // n does not name a line.
    int deleteLine(Measurement& measurement, int n, int selectedLine);
    // The part of `deleteLine` after the line n is gone: the selection that follows it (also
    // made the current row) and the recomputation.
    int afterLineDeleted(const Measurement& measurement, int n, int selectedLine);

    // Text of the internal-values box (F2) from the kept statistics, lines separated by a
    // single CR. A ratio whose divisor is 0 reads "not defined".
    std::string internalValuesText() const;

private:
    struct Row {
        std::array<std::string, kSheetColumns> cells;
        CellColour markColour = CellColour::Window;
        CellColour flagColour = CellColour::Window;
    };

    std::string n(long double value, int precision, int digits) const;
    std::string n(const std::optional<long double>& value, int precision, int digits) const;

    NumberLocale m_locale;
    std::vector<Row> m_rows;
    std::array<std::array<std::string, kSumColumns>, kSumRows> m_sum;
    int m_currentRow = 1;
    SheetPanel m_warnung;
    SheetIndicators m_indicators;
    SheetStatistics m_statistics;
};

}  // namespace tesra
