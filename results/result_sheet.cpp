#include "results/result_sheet.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "common/user_text.h"
#include "results/fields_statistics.h"
#include "results/fields_texts.h"

namespace tesra {

namespace {

const std::string kEmpty;

// Texts are UTF-8 here; the ANSI clipboard turns "ø" into byte 248 and "±" into 177.
constexpr std::array<const char*, kSheetColumns> kLineHeaders{
    "A",
    "!",
    QT_TRANSLATE_NOOP("Core", "Line #"),
    QT_TRANSLATE_NOOP("Core", "Total length"),
    QT_TRANSLATE_NOOP("Core", "2d phase"),
    QT_TRANSLATE_NOOP("Core", "Intersections"),
    QT_TRANSLATE_NOOP("Core", "Length"),
    QT_TRANSLATE_NOOP("Core", "ø grain size"),
    QT_TRANSLATE_NOOP("Core", "Cal. Length"),
    QT_TRANSLATE_NOOP("Core", "ø cal. size"),
    QT_TRANSLATE_NOOP("Core", "Vol % 2nd P")};

constexpr std::array<const char*, kSumColumns> kSumHeaders{
    "",
    QT_TRANSLATE_NOOP("Core", "Total length"),
    QT_TRANSLATE_NOOP("Core", "2nd phase"),
    QT_TRANSLATE_NOOP("Core", "Intersections"),
    QT_TRANSLATE_NOOP("Core", "Length"),
    QT_TRANSLATE_NOOP("Core", "ø Grain size"),
    QT_TRANSLATE_NOOP("Core", "Cal. length"),
    QT_TRANSLATE_NOOP("Core", "ø Cal. size"),
    QT_TRANSLATE_NOOP("Core", "Vol % 2nd P"),
    "G"};

const char* const kPlusMinus = "±";

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
    m_sum[1][0] = QT_TRANSLATE_NOOP("Core", "Sum");
    m_sum[2][0] = QT_TRANSLATE_NOOP("Core", "Confidence / Error");
    m_warnung.caption = UserText(QT_TRANSLATE_NOOP("Core", "Anisotropie liegt vielleicht vor!"));
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

const std::string& ResultSheet::sumCell(int col, int row) const
{
    if (col < 0 || col >= kSumColumns || row < 0 || row >= kSumRows)
        return kEmpty;
    return m_sum[row][col];
}

std::string ResultSheet::n(long double value, int precision, int digits) const
{
    return FormatN(value, precision, digits, m_locale);
}

std::string ResultSheet::n(const std::optional<long double>& value, int precision, int digits) const
{
    return value ? n(*value, precision, digits) : std::string();
}

SheetIndicators IndicatorsOf(const MeasurementStatistics& st, int lineCount, const NumberLocale& locale,
                             const Calibration& calibration)
{
    SheetIndicators out;
    if (lineCount == 0)
        return out;
    out.needed.visible = st.neededIntercepts.has_value();
    if (st.neededIntercepts)
        out.needed.caption = UserText(QT_TRANSLATE_NOOP("Core", "Needed Intersections: ")) + FormatN(*st.neededIntercepts, 4, 1, locale);
    out.intercepts = UserText(QT_TRANSLATE_NOOP("Core", "Intersections: ")) + FormatN(st.total.count, 4, 1, locale);
    out.grainSize = UserText(QT_TRANSLATE_NOOP("Core", "Cal. grain size: "));
    if (st.total.calibratedGrainSize)
        out.grainSize += FormatN(*st.total.calibratedGrainSize, 10, 3, locale);
    out.grainSizeNumber = "G: " + GrainSizeNumberText(MeasurementGrainSizeNumber(st.total, calibration), locale);
    return out;
}

void ResultSheet::Recompute(const Measurement& measurement)
{
    Recompute(measurement, ComputeStatistics(measurement));
}

void ResultSheet::Recompute(const Measurement& measurement, const MeasurementStatistics& st)
{
    const int lineCount = measurement.lineCount();
    if (lineCount == 0) {
        ResetSheet();
        return;
    }
    m_rows.resize(static_cast<std::size_t>(lineCount) + 1);
    m_currentRow = std::clamp(m_currentRow, 1, lineCount);

    // The figures a line row and the sum row both show, from the length to the calibrated
    // grain size; the sum writes its count with fewer digits.
    const auto writeLengths = [this](std::string* cells, const LengthFigures& f, int countPrecision, int countDigits) {
        cells[0] = n(f.length, 10, 3);
        cells[1] = n(f.secondPhase, 10, 3);
        cells[2] = n(f.count, countPrecision, countDigits);
        cells[3] = n(f.effective, 10, 3);
        cells[4] = n(f.grainSize, 10, 3);
        cells[5] = n(f.calibratedLength, 10, 3);
        cells[6] = n(f.calibratedGrainSize, 10, 3);
    };

    for (int i = 1; i <= lineCount; ++i) {
        const LineFigures& line = st.lines[static_cast<std::size_t>(i - 1)];
        Row& row = m_rows[static_cast<std::size_t>(i)];
        SetRowMark(i, measurement.lines()[static_cast<std::size_t>(i - 1)].active);
        auto& cells = row.cells;
        cells[2] = std::to_string(i);
        writeLengths(&cells[3], line, 10, 3);
        cells[10] = n(line.secondPhasePercent, 6, 3);
        // "K" for an outlier, "A" appended for a circle with too few intercepts ("KA").
        cells[1] = st.spread && line.outlier ? "K" : "";
        if (line.fewIntercepts)
            cells[1] += "A";
        row.flagColour = cells[1].empty() ? CellColour::Window : CellColour::Red;
    }

    const LengthFigures& total = st.total;
    auto& sums = m_sum[1];
    writeLengths(&sums[1], total, 6, 1);
    // The sum's share of a set fraction is written as the line cells write it, a marked share
    // with ten digits.
    sums[8] = n(total.secondPhasePercent, st.fractionSet ? 6 : 10, 3);
    sums[9] = GrainSizeNumberText(MeasurementGrainSizeNumber(total, measurement.calibration), m_locale);
    m_indicators = IndicatorsOf(st, lineCount, m_locale, measurement.calibration);

    auto& limits = m_sum[2];
    if (!st.spread) {
        limits[3].clear();
        limits[5].clear();
        limits[7].clear();
        return;
    }
    const CountSpread& spread = *st.spread;
    limits[3] = n(spread.mean, 8, 1) + kPlusMinus + n(spread.halfWidth, 8, 1);
    limits[5] = kPlusMinus + n(spread.grainSizeError, 10, 3);
    limits[7] = kPlusMinus + n(spread.calibratedGrainSizeError, 10, 3);
    m_warnung.caption = UserText(QT_TRANSLATE_NOOP("Core", "Check for anisotropy! (")) + FormatF(spread.anisotropyRatio, 6, 2, m_locale) + ")";
    m_warnung.visible = spread.anisotropyWarning;
    m_statistics = {spread.cv, spread.targetCv, spread.s, spread.rootMeanCount};
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
    m_indicators = SheetIndicators();
    // The anisotropy notice spoke of the lines no longer there.
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

int ResultSheet::markToggleLine(const Measurement& measurement, bool& on) const
{
    const int line = lineNumberOfRow(m_currentRow);
    if (line < 1 || line > measurement.lineCount())
        return 0;
    // A row that shows no mark at all is switched on, so that a line taken out can always be
    // taken in again.
    on = m_rows[static_cast<std::size_t>(m_currentRow)].markColour != CellColour::Lime;
    return line;
}

bool ResultSheet::toggleRowMark(Measurement& measurement)
{
    bool on = false;
    const int line = markToggleLine(measurement, on);
    if (line == 0)
        return false;
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
    return FillIn(UserText(QT_TRANSLATE_NOOP("Core", "Delete line # %1?")), {std::to_string(n)});
}

int ResultSheet::deleteLine(Measurement& measurement, int n, int selectedLine)
{
    if (n < 1 || n > measurement.lineCount())
        return selectedLine;
    measurement.DeleteTestLine(n);
    return afterLineDeleted(measurement, n, selectedLine);
}

int ResultSheet::afterLineDeleted(const Measurement& measurement, int n, int selectedLine)
{
    // The rows below the deleted one move up with their texts and marks as the recomputation
    // rebuilds them; a sheet that held only one line row goes back to its empty state.
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
    auto label = [](const char* text) { return UserText(text); };
    std::string text = "CV: " + g(st.cv) + "  " + label(QT_TRANSLATE_NOOP("Core", "Soll CV: ")) + g(st.targetCv);
    text += "\rS: " + g(st.s) + "  " + label(QT_TRANSLATE_NOOP("Core", "Sqrt(Nmittel): ")) + g(st.rootMeanCount);
    text += "\r" + label(QT_TRANSLATE_NOOP("Core", "CV/SollCV: "));
    text += st.targetCv != 0.0L ? g(st.cv / st.targetCv) : label(QT_TRANSLATE_NOOP("Core", "not defined (Soll CV = 0)"));
    text += "\r" + label(QT_TRANSLATE_NOOP("Core", "S/Sqrt(Nmittel): "));
    text += st.rootMeanCount != 0.0L ? g(st.s / st.rootMeanCount)
                                     : label(QT_TRANSLATE_NOOP("Core", "not defined (Sqrt(Nmittel) = 0)"));
    return text;
}

}  // namespace tesra
