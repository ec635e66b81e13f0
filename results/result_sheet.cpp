#include "results/result_sheet.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "results/target_cv.h"

namespace tesra {

namespace {

const std::string kEmpty;

// Texts are UTF-8 here; the ANSI clipboard turns "ø" into byte 248 and "±" into 177.
constexpr std::array<const char*, kSheetColumns> kLineHeaders{
    "A", "!", "Line #", "Total length", "2d phase", "Intersections", "Length",
    "ø grain size", "Cal. Length", "ø cal. size", "Vol % 2nd P"};

constexpr std::array<const char*, kSumColumns> kSumHeaders{
    "", "Total length", "2nd phase", "Intersections", "Length", "ø Grain size", "Cal. length",
    "ø Cal. size", "Vol % 2nd P"};

// Below this many intercepts a test circle is flagged "A": too few for its count to mean much.
constexpr long double kMinCircleCount = 15.0L;
// The count the indicator `tMisInter` asks for.
constexpr long double kNeededCount = 50.0L;

const char* const kPlusMinus = "±";

// The total count truncated towards zero for the target-CV table. A real count is at most
// 300 lines of 5000 intercepts of weight 2; values read from a damaged file (infinite, NaN)
// are held to the table's range instead of overflowing the integer.
int TruncatedCount(long double count)
{
    if (std::isnan(count))
        return 0;
    return static_cast<int>(std::trunc(std::clamp(count, -1.0e9L, 1.0e9L)));
}

}  // namespace

std::uint32_t CellColourValue(CellColour colour)
{
    switch (colour) {
    case CellColour::Lime:
        return 65280;
    case CellColour::Silver:
        return 12632256;
    case CellColour::Red:
        return 255;
    case CellColour::Window:
        break;
    }
    return 0xFFFFFFFFu;
}

ResultSheet::ResultSheet(NumberLocale locale) : m_locale(std::move(locale))
{
    m_rows.resize(2);
    for (int c = 0; c < kSheetColumns; ++c)
        m_rows[0].cells[c] = kLineHeaders[c];
    for (int c = 0; c < kSumColumns; ++c)
        m_sum[0][c] = kSumHeaders[c];
    m_sum[1][0] = "Sum";
    m_sum[2][0] = "Confidence / Error";
    m_warnung.caption = "Anisotropie liegt vielleicht vor!";
    resetIndicators();
}

const std::string& ResultSheet::cell(int col, int row) const
{
    if (col < 0 || col >= kSheetColumns || row < 0 || row >= rowCount())
        return kEmpty;
    return m_rows[row].cells[col];
}

CellColour ResultSheet::cellColour(int col, int row) const
{
    if (row < 1 || row >= rowCount())
        return CellColour::Window;
    if (col == 0)
        return m_rows[row].markColour;
    if (col == 1)
        return m_rows[row].flagColour;
    return CellColour::Window;
}

void ResultSheet::setRowCount(int rows)
{
    // A line row beyond the 300 lines of a measurement can never be needed.
    m_rows.resize(std::clamp(rows, 2, kMaxLines + 1));
    m_currentRow = std::clamp(m_currentRow, 1, rowCount() - 1);
}

void ResultSheet::setCell(int col, int row, std::string text)
{
    if (col < 0 || col >= kSheetColumns || row < 1 || row >= rowCount())
        return;
    m_rows[row].cells[col] = std::move(text);
}

const std::string& ResultSheet::sumCell(int col, int row) const
{
    if (col < 0 || col >= kSumColumns || row < 0 || row >= kSumRows)
        return kEmpty;
    return m_sum[row][col];
}

void ResultSheet::showSecondPhaseNotice(std::string caption)
{
    m_fremd.caption = std::move(caption);
    m_fremd.visible = true;
}

void ResultSheet::hideSecondPhaseNotice()
{
    m_fremd.visible = false;
}

std::string ResultSheet::n(long double value, int precision, int digits) const
{
    return FormatN(value, precision, digits, m_locale);
}

void ResultSheet::ensureLineRows(const Measurement& measurement)
{
    // Rows and lines normally match one to one (a row is appended per new line, the loaders
    // size the grid). Should a loader have left too few rows, the missing ones are added with
    // the line's mark so that no line goes unshown.
    const int lines = measurement.lineCount();
    while (rowCount() - 1 < lines) {
        m_rows.emplace_back();
        const int row = rowCount() - 1;
        SetRowMark(row, measurement.lines()[row - 1].active);
    }
}

void ResultSheet::Recompute(const Measurement& measurement)
{
    if (cell(2, 1).empty())
        return;
    ensureLineRows(measurement);

    const Calibration& calibration = measurement.calibration;
    const long double c = calibration.scale;
    const long double k = calibration.conversionFactor;
    const long double f = calibration.secondPhasePercent;
    const bool byFraction = f != -1.0L;
    const auto lines = measurement.lines();
    const int lineCount = measurement.lineCount();

    long double sl = 0.0L;
    long double sp = 0.0L;
    long double sn = 0.0L;
    for (int i = 1; i <= lineCount; ++i) {
        const TestLine& line = lines[i - 1];
        const long double l = line.length;
        const long double p = line.secondPhaseLength;
        const long double count = line.weightedCount;
        const long double e = byFraction ? l - l * f * 0.01L : l - p;
        auto& cells = m_rows[i].cells;
        cells[2] = std::to_string(i);
        cells[3] = n(l, 10, 3);
        cells[4] = byFraction ? n(l * f * 0.01L, 10, 3) : n(p, 10, 3);
        cells[5] = n(count, 10, 3);
        cells[6] = n(e, 10, 3);
        cells[7] = count != 0.0L ? n(e / count * k, 10, 3) : std::string();
        cells[8] = n(e * c, 10, 3);
        cells[9] = count != 0.0L ? n(e / count * c * k, 10, 3) : std::string();
        // A line of length 0 has no second-phase fraction; its cell stays empty like the
        // grain size of a line without intercepts.
        if (byFraction)
            cells[10] = n(f, 6, 3);
        else
            cells[10] = l != 0.0L ? n(p / l * 100.0L, 6, 3) : std::string();
        sl += l;
        sp += p;
        sn += count;
    }

    const long double e = byFraction ? sl - sl * f * 0.01L : sl - sp;
    const long double d = sn != 0.0L ? e / sn * k : 0.0L;
    const long double dc = sn != 0.0L ? e / sn * c * k : 0.0L;

    auto& sums = m_sum[1];
    sums[1] = n(sl, 10, 3);
    sums[2] = byFraction ? n(sl * f * 0.01L, 10, 3) : n(sp, 10, 3);
    sums[3] = n(sn, 6, 1);
    sums[4] = n(e, 10, 3);
    sums[5] = sn != 0.0L ? n(d, 10, 3) : std::string();
    sums[6] = n(e * c, 10, 3);
    sums[7] = sn != 0.0L ? n(dc, 10, 3) : std::string();
    if (byFraction)
        sums[8] = n(f, 6, 3);
    else
        sums[8] = sl != 0.0L ? n(sp / sl * 100.0L, 10, 3) : std::string();

    m_misInter.visible = sn < kNeededCount;
    if (m_misInter.visible)
        m_misInter.caption = "Needed Intersections: " + n(kNeededCount - sn, 4, 1);
    m_pInter = "Intersections: " + n(sn, 4, 1);
    m_pKorn = "Cal. grain size: " + sums[7];

    auto& limits = m_sum[2];
    if (lineCount > 1 && sn != 0.0L) {
        const long double count = lineCount;
        const long double mean = sn / count;
        long double squares = 0.0L;
        for (const TestLine& line : lines)
            squares += (line.weightedCount - mean) * (line.weightedCount - mean);
        const long double s = std::sqrt(squares / (count - 1.0L));
        const long double cv = s / mean;
        // The half-width is taken with the factor 2 and the root of n - 1, as the sheet has
        // always shown it.
        const long double h = 2.0L * s / std::sqrt(count - 1.0L);
        const long double relative = h / mean;
        limits[3] = n(mean, 8, 1) + kPlusMinus + n(h, 8, 1);
        limits[5] = kPlusMinus + n(d * relative, 10, 3);
        limits[7] = kPlusMinus + n(dc * relative, 10, 3);
        for (int i = 1; i <= lineCount; ++i) {
            const long double ni = lines[i - 1].weightedCount;
            const bool outlier = ni < mean - h || ni > mean + h;
            m_rows[i].flagColour = outlier ? CellColour::Red : CellColour::Window;
            if (outlier)
                m_rows[i].cells[1] = std::string(1, 'K');
            else
                m_rows[i].cells[1].clear();
        }
        const long double target = TargetCv(TruncatedCount(sn));
        const long double q = std::sqrt(mean);
        long double ratio = s / q;
        if (target != 0.0L)
            ratio = std::max(cv / target, ratio);
        m_warnung.caption = "Check for anisotropy! (" + FormatF(ratio, 6, 2, m_locale) + ")";
        m_warnung.visible = cv > 2.0L * target || s > 2.0L * q;
        m_statistics = {cv, target, s, q};
    } else {
        for (int i = 1; i < rowCount(); ++i) {
            m_rows[i].flagColour = CellColour::Window;
            m_rows[i].cells[1].clear();
        }
        limits[3].clear();
        limits[5].clear();
        limits[7].clear();
    }

    for (int i = 1; i <= lineCount; ++i) {
        const TestLine& line = lines[i - 1];
        if (line.isCircle && line.weightedCount < kMinCircleCount) {
            m_rows[i].flagColour = CellColour::Red;
            m_rows[i].cells[1] += "A";
        }
    }
}

void ResultSheet::AppendLineRow(const Measurement& measurement)
{
    const int lineCount = measurement.lineCount();
    m_lineSetSaveEnabled = lineCount > 0;
    if (lineCount == 0)
        return;
    // The first line takes the empty row 1 that the grid always has.
    if (!cell(2, 1).empty() && rowCount() <= kMaxLines)
        m_rows.emplace_back();
    const int row = rowCount() - 1;
    SetRowMark(row, true);
    auto& cells = m_rows[row].cells;
    cells[1].clear();
    cells[2] = std::to_string(lineCount);
    cells[3] = n(measurement.lines()[lineCount - 1].length, 10, 3);
    for (int c = 4; c < kSheetColumns; ++c)
        cells[c].clear();
    Recompute(measurement);
}

void ResultSheet::resetIndicators()
{
    m_misInter.visible = false;
    m_pInter = "Intersections:";
    m_pKorn = "Cal. grain size:";
}

void ResultSheet::ResetSheet()
{
    m_rows.resize(2);
    m_rows[1] = Row();
    for (int r = 1; r < kSumRows; ++r) {
        for (int c = 1; c < kSumColumns; ++c)
            m_sum[r][c].clear();
    }
    m_currentRow = 1;
    // The recomputation does nothing on an empty sheet, so the indicators are put back to
    // what an opened image shows instead of keeping the counts of lines no longer there;
    // the anisotropy notice spoke of those lines too.
    resetIndicators();
    m_warnung.visible = false;
}

void ResultSheet::SetRowMark(int row, bool on)
{
    if (row < 1 || row >= rowCount())
        return;
    m_rows[row].markColour = on ? CellColour::Lime : CellColour::Silver;
    m_rows[row].cells[0] = on ? kRowMarkText : "";
}

void ResultSheet::SelectLineRow(int n)
{
    m_currentRow = std::clamp(n, 1, rowCount() - 1);
}

int ResultSheet::lineNumberOfRow(int row) const
{
    const std::string& text = cell(2, row);
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end)
        return 0;
    return value;
}

bool ResultSheet::toggleRowMark(Measurement& measurement)
{
    const int line = lineNumberOfRow(m_currentRow);
    if (line < 1 || line > measurement.lineCount())
        return false;
    // A row that shows no mark at all (as a loader leaves an inactive line) is switched on,
    // so that a line taken out can always be taken in again.
    const bool on = m_rows[m_currentRow].markColour != CellColour::Lime;
    SetRowMark(m_currentRow, on);
    measurement.setLineActive(line, on);
    return true;
}

int ResultSheet::deletionCandidate(const Measurement& measurement) const
{
    const int line = lineNumberOfRow(m_currentRow);
    if (line < 1 || measurement.lineCount() < 1 || measurement.lineCount() < line)
        return 0;
    return line;
}

std::string ResultSheet::deleteQuestion(int n)
{
    return "Delete line # " + std::to_string(n) + "?";
}

int ResultSheet::deleteLine(Measurement& measurement, int n, int selectedLine)
{
    if (n < 1 || n > measurement.lineCount())
        return selectedLine;
    measurement.DeleteTestLine(n);

    // The rows below the current one move up with their texts and colours; a sheet that
    // held only one line row goes back to its empty state.
    if (rowCount() < 3) {
        ResetSheet();
    } else {
        m_rows.erase(m_rows.begin() + m_currentRow);
    }

    const int lineCount = measurement.lineCount();
    if (selectedLine == n)
        selectedLine = n > 1 ? n - 1 : (lineCount > 0 ? 1 : 0);
    // A selection behind the deleted line must not point past the last line.
    selectedLine = std::min(selectedLine, lineCount);
    SelectLineRow(selectedLine);
    Recompute(measurement);
    return selectedLine;
}

std::string ResultSheet::internalValuesText() const
{
    const SheetStatistics& st = m_statistics;
    auto g = [this](long double v) { return FormatG(v, 10, m_locale); };
    std::string text = "CV: " + g(st.cv) + "  Soll CV: " + g(st.targetCv);
    text += "\rS: " + g(st.s) + "  Sqrt(Nmittel): " + g(st.rootMeanCount);
    text += "\rCV/SollCV: ";
    text += st.targetCv != 0.0L ? g(st.cv / st.targetCv) : "not defined (Soll CV = 0)";
    text += "\rS/Sqrt(Nmittel): ";
    text += st.rootMeanCount != 0.0L ? g(st.s / st.rootMeanCount)
                                     : "not defined (Sqrt(Nmittel) = 0)";
    return text;
}

}  // namespace tesra
