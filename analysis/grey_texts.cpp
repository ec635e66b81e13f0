#include "analysis/grey_texts.h"

#include "common/user_text.h"

namespace tesra {

namespace {

constexpr std::uint32_t kIncrementPointColour = 0x808080;  // grey (128, 128, 128)
constexpr std::uint32_t kProfilePointColour = 0xFF00FF;    // fuchsia (255, 0, 255)

void addHead(ClipboardText& text, const char* title, const GreyTextHeader& header)
{
    text.AddLine(std::string(title) + header.dateTime);
    text.AddLine("File: " + header.fileName);
    text.AddLine("Remark: " + header.remark);
}

// The head of a text about one line: the common head, the line's number, the column titles.
void addLineHead(ClipboardText& text, const char* title, const GreyTextHeader& header, int lineNumber,
                 const char* columns)
{
    addHead(text, title, header);
    text.AddLine("Line: " + std::to_string(lineNumber));
    text.AddLine("");
    text.AddLine(columns);
}

}  // namespace

ClipboardText ProfileClipboardText(const GreyProfile& profile, int lineNumber, const GreyTextHeader& header)
{
    ClipboardText text;
    addLineHead(text, "Tesra gray values ", header, lineNumber, "Pixel\tGray");
    // Sample 0 only starts the curve on the plot and is not listed.
    for (std::size_t i = 1; i < profile.grey.size(); ++i)
        text.AddLine(std::to_string(i) + "\t" + std::to_string(profile.grey[i]));
    return text;
}

ClipboardText HistogramClipboardText(const GreyHistogram& histogram, const GreyTextHeader& header,
                                     const NumberLocale& locale)
{
    ClipboardText text;
    addHead(text, "Tesra histogram ", header);
    text.AddLine("");
    text.AddLine("Gray\tCounts\t***normierte H\u00e4ufigkeit***");
    for (int j = 0; j < 256; ++j) {
        text.AddLine(std::to_string(j) + "\t" + std::to_string(histogram.counts[static_cast<std::size_t>(j)]) + "\t" +
                     FormatF(histogram.frequency(j), 10, 8, locale));
    }
    return text;
}

SegmentCells FormatSegmentCells(const SegmentList& list, const NumberLocale& locale)
{
    SegmentCells cells;
    for (const SegmentRow& row : list.rows) {
        cells.rows.push_back({std::to_string(row.number), FormatN(row.length, 10, 3, locale),
                              FormatN(row.calibratedLength, 10, 3, locale)});
    }
    if (cells.rows.empty())
        cells.rows.push_back({"", "", ""});
    cells.meanLength = FormatN(list.mean, 10, 3, locale);
    cells.meanCalibratedLength = FormatN(list.calibratedMean, 10, 3, locale);
    return cells;
}

ClipboardText SegmentClipboardText(const SegmentCells& cells, int lineNumber, const GreyTextHeader& header)
{
    ClipboardText text;
    addLineHead(text, "Tesra segment lengths ", header, lineNumber, "Segment # \tLength [Pixel]\tCalibrated length");
    for (const auto& row : cells.rows)
        text.AddLine(row[0] + "\t" + row[1] + "\t" + row[2]);
    text.AddLine("");
    text.AddLine(" \tLength [Pixel]\tCalibrated length");
    text.AddLine("Mean\t" + cells.meanLength + "\t" + cells.meanCalibratedLength);
    // The summary grid has no second row; its two cells are empty.
    text.AddLine("Std. deviation\t\t");
    return text;
}

ProfileColumnReading ReadProfileColumn(const std::uint32_t* colours, int count)
{
    ProfileColumnReading r;
    for (int y = 0; y < count; ++y) {
        if (colours[y] == kIncrementPointColour)
            r.inc = 128 - y;
        else if (colours[y] == kProfilePointColour)
            r.grey = 255 - y;
    }
    return r;
}

std::string ProfileReadoutText(int x, const ProfileColumnReading& reading, long double length, bool isCircle,
                               const NumberLocale& locale)
{
    // Where the profile point lies under the increment point drawn after it, the grey value
    // is read back from the increment point's row.
    const int grey = reading.grey == -1 ? reading.inc + 127 : reading.grey;
    const long double position = length != 0 ? x / length * (isCircle ? 360 : 100) : 0.0L;
    return UserText(QT_TRANSLATE_NOOP("Core", "Position: ")) + FormatF(position, 3, 0, locale) + (isCircle ? "\u00b0" : "%")
           + "   " + UserText(QT_TRANSLATE_NOOP("Core", "Gray: ")) + std::to_string(grey) + "   "
           + UserText(QT_TRANSLATE_NOOP("Core", "Increment: ")) + std::to_string(2 * reading.inc);
}

std::string HistogramReadoutText(int x, const GreyHistogram& histogram)
{
    if (x < 0 || x > 255)
        return {};
    return UserText(QT_TRANSLATE_NOOP("Core", "Position: ")) + std::to_string(x) + "   "
           + UserText(QT_TRANSLATE_NOOP("Core", "Count: ")) + std::to_string(histogram.counts[static_cast<std::size_t>(x)]);
}

}  // namespace tesra
