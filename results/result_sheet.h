#pragma once
// The result sheet: every text and colour that the sheet window, its two panels and the main
// window's three indicators show, computed from the measurement. The window only displays
// these cells; the grids hold no state of their own.
//
// Grid `Tabelle`: row 0 holds the column headers, rows 1.. belong to the test lines in
// order; there is always at least one (possibly empty) line row. Grid `Tabelle2`: 9 columns
// by 3 rows, row 0 and column 0 holding the titles, row 1 the sums, row 2 the confidence
// limits. Cells are addressed (column, row) as in the grids.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/common/number_format.h"
#include "app/common/user_text.h"
#include "app/measurement/measurement.h"

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
constexpr int kSumColumns = 9;     // `Tabelle2`
constexpr int kSumRows = 3;

// Cell (0, r) of a marked row: character 252, which the Wingdings font draws as a tick
// (UTF-8 of the Windows-1252 character 252).
inline constexpr const char* kRowMarkText = "\xC3\xBC";

// Colours of the two panels as 0x00BBGGRR.
constexpr std::uint32_t kSecondPhaseNoticeColour = 12320767;  // `tFremd`, light yellow
constexpr std::uint32_t kWarningColour = 8421631;             // `tWarnung`, light red

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

    // For the loaders (trailer, line set): set the row count (at least 2; new rows are
    // empty) and the texts of line rows before `Recompute`. Out-of-range cells are ignored.
    void setRowCount(int rows);
    void setCell(int col, int row, std::string text);

    // --- Grid `Tabelle2` ---

    // Text of cell (col, row) of the sum grid; titles in row 0 and column 0.
    const std::string& sumCell(int col, int row) const;

    // --- Panels and indicators ---

    const SheetPanel& secondPhaseNotice() const { return m_fremd; }  // `tFremd`
    const SheetPanel& warning() const { return m_warnung; }          // `tWarnung`
    const SheetPanel& neededIntercepts() const { return m_misInter; } // main window `tMisInter`
    const std::string& interceptsCaption() const { return m_pInter; } // main window `pInter`
    const std::string& grainSizeCaption() const { return m_pKorn; }   // main window `pKorn`
    const SheetStatistics& statistics() const { return m_statistics; }
    // Whether the main window's `bLinieSpeichern` is enabled, as `AppendLineRow` left it.
    bool lineSetSaveEnabled() const { return m_lineSetSaveEnabled; }

    // `tFremd`: shown with the caption, or hidden. Only the calibration dialog's closing,
    // the trailer reader and the opening of an image change it.
    void showSecondPhaseNotice(std::string caption);
    void hideSecondPhaseNotice();

    // --- Operations ---

    // Rewrites every line row, the sums, the confidence limits, the flags, the indicators and
    // (with more than one line and a non-zero count) the warning and kept statistics from the
    // measurement and its calibration. Does nothing while cell (2,1) is empty.
    void Recompute(const Measurement& measurement);

    // After `AddTestLine`: a row for the measurement's last line (ticked, its number and
    // length), then `Recompute`; enables the line-set save when there is a line.
    void AppendLineRow(const Measurement& measurement);

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
    void ensureLineRows(const Measurement& measurement);
    void resetIndicators();

    NumberLocale m_locale;
    std::vector<Row> m_rows;
    std::array<std::array<std::string, kSumColumns>, kSumRows> m_sum;
    int m_currentRow = 1;
    SheetPanel m_fremd;
    SheetPanel m_warnung;
    SheetPanel m_misInter;
    std::string m_pInter;
    std::string m_pKorn;
    SheetStatistics m_statistics;
    bool m_lineSetSaveEnabled = false;
};

}  // namespace tesra
