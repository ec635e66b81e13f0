#include "analysis/grey_analysis.h"

#include <algorithm>

#include "analysis/line_geometry.h"
#include "common/rounding.h"

namespace tesra {

// ---- Grey profile ----

std::optional<GreyProfile> ComputeGreyProfile(const Measurement& m, const TPixelGraphic& image, int lineIndex)
{
    if (lineIndex < 1 || lineIndex > m.lineCount())
        return std::nullopt;
    const TestLine& line = m.line(lineIndex);
    GreyProfile profile;
    profile.lineIndex = lineIndex;
    profile.length = line.length;
    profile.isCircle = line.isCircle;
    profile.grey = greyValuesAlongLine(image, m, lineIndex);
    profile.increment.resize(profile.grey.size());
    for (std::size_t i = 1; i < profile.grey.size(); ++i)
        profile.increment[i] = int{profile.grey[i]} - int{profile.grey[i - 1]};

    for (const PhaseSegment& s : m.segments()) {
        if (s.line != lineIndex)
            continue;
        profile.spans.push_back({sampleOfPosition(line, m.intercept(s.first).position),
                                 sampleOfPosition(line, m.intercept(s.second).position)});
    }
    for (const Intercept& k : m.intercepts()) {
        if (k.line != lineIndex)
            continue;
        profile.markers.push_back({sampleOfPosition(line, k.position), k.type});
    }
    return profile;
}

// ---- Histogram ----

int GreyHistogram::barHeight(int j) const
{
    if (j < 0 || j > 255)
        return 0;
    return static_cast<int>(R(counts[static_cast<std::size_t>(j)] * barScale));
}

long double GreyHistogram::frequency(int j) const
{
    if (j < 0 || j > 255 || total == 0)
        return 0;
    return static_cast<long double>(counts[static_cast<std::size_t>(j)]) / static_cast<long double>(total);
}

namespace {

// Counts the raw values (green bytes, or palette indexes) of rows y0..y1-1. Four counter
// sets let neighbouring equal values, the common case, update independent memory.
void countRows(const TPixelGraphic& image, int y0, int y1, std::array<std::array<std::uint64_t, 256>, 4>& sets)
{
    const int width = image.Width();
    const std::size_t n = static_cast<std::size_t>(width);
    switch (image.PixelFormat()) {
    case TPixelFormat::pf24Bit:
        for (int y = y0; y < y1; ++y) {
            const std::uint8_t* p = image.rowData(y) + 1;  // green
            std::size_t k = 0;
            for (; k + 4 <= n; k += 4) {
                ++sets[0][p[3 * k]];
                ++sets[1][p[3 * k + 3]];
                ++sets[2][p[3 * k + 6]];
                ++sets[3][p[3 * k + 9]];
            }
            for (; k < n; ++k)
                ++sets[0][p[3 * k]];
        }
        return;
    case TPixelFormat::pf8Bit:
        for (int y = y0; y < y1; ++y) {
            const std::uint8_t* p = image.rowData(y);
            std::size_t k = 0;
            for (; k + 4 <= n; k += 4) {
                ++sets[0][p[k]];
                ++sets[1][p[k + 1]];
                ++sets[2][p[k + 2]];
                ++sets[3][p[k + 3]];
            }
            for (; k < n; ++k)
                ++sets[0][p[k]];
        }
        return;
    case TPixelFormat::pf1Bit:
    case TPixelFormat::pf4Bit:
        for (int y = y0; y < y1; ++y)
            for (int x = 0; x < width; ++x)
                ++sets[0][image.GetPixel(x, y)];
        return;
    }
}

}  // namespace

GreyHistogram ComputeHistogram(const TPixelGraphic& image, ProgressSink* progress)
{
    GreyHistogram h;
    const int width = image.Width();
    const int height = image.Height();
    // The counters do not depend on the order of the pixels. Walking the storage row by
    // row reads it as it lies; a walk column by column touches a new cache line, and soon a
    // new page, for every pixel and took three times as long on a 6000 × 4000 image. The
    // progress bar moves by the share of the image counted.
    ProgressScope scope(progress, height);
    if (width <= 0 || height <= 0)
        return h;

    std::array<std::array<std::uint64_t, 256>, 4> sets{};
    const int chunk = std::max(1, height / 100);
    for (int y0 = 0; y0 < height; y0 += chunk) {
        const int y1 = std::min(height, y0 + chunk);
        countRows(image, y0, y1, sets);
        scope.update(y1);
    }

    std::array<std::uint64_t, 256> raw{};
    for (std::size_t v = 0; v < 256; ++v)
        raw[v] = sets[0][v] + sets[1][v] + sets[2][v] + sets[3][v];
    if (image.PixelFormat() == TPixelFormat::pf24Bit) {
        h.counts = raw;
    } else {
        // Palette images count indexes first; each index then adds to the green component of
        // its colour. An index outside the palette fails as reading its pixel would.
        for (std::size_t i = 0; i < 256; ++i)
            if (raw[i] != 0)
                h.counts[static_cast<std::size_t>(greyOf(image.PaletteColor(static_cast<std::int64_t>(i))))] += raw[i];
    }

    for (const auto c : h.counts) {
        h.maxCount = std::max(h.maxCount, c);
        h.total += c;
    }
    if (h.maxCount > 0)
        h.barScale = 200.0L / static_cast<long double>(h.maxCount);
    return h;
}

// ---- Segment lengths ----

namespace {

// Intercepts at the same distance (a grain boundary where a second-phase stretch ends and
// the next begins, or a point entered twice) can stand in either order, but only one order
// puts the two ends of a marked stretch next to each other, so that the stretch is skipped
// and not counted as a grain. Within each run of equal distances, the intercept joined to
// the entry before the run goes first and one joined to the entries after it goes last;
// the others keep their entry order.
void orderTiedIntercepts(const Measurement& m, std::vector<SegmentEntry>& entries)
{
    const std::size_t n = entries.size();
    std::size_t start = 0;
    while (start < n) {
        std::size_t end = start + 1;
        while (end < n && entries[end].distance == entries[start].distance)
            ++end;
        if (end - start < 2) {
            start = end;
            continue;
        }
        std::size_t free = start;  // the first position still open to the back rule
        if (start > 0) {
            for (std::size_t k = start; k < end; ++k) {
                if (m.findSegment(entries[start - 1].intercept, entries[k].intercept) == 0)
                    continue;
                std::rotate(entries.begin() + static_cast<std::ptrdiff_t>(start),
                            entries.begin() + static_cast<std::ptrdiff_t>(k),
                            entries.begin() + static_cast<std::ptrdiff_t>(k + 1));
                free = start + 1;
                break;
            }
        }
        // The run that follows has one distance; any of its members may be the stretch's far end
        // (its own front rule then brings that member forward).
        std::size_t nextEnd = end;
        while (nextEnd < n && entries[nextEnd].distance == entries[end].distance)
            ++nextEnd;
        bool placed = false;
        for (std::size_t k = free; k < end && !placed; ++k) {
            for (std::size_t j = end; j < nextEnd; ++j) {
                if (m.findSegment(entries[k].intercept, entries[j].intercept) == 0)
                    continue;
                std::rotate(entries.begin() + static_cast<std::ptrdiff_t>(k),
                            entries.begin() + static_cast<std::ptrdiff_t>(k + 1),
                            entries.begin() + static_cast<std::ptrdiff_t>(end));
                placed = true;
                break;
            }
        }
        start = end;
    }
}

}  // namespace

std::optional<SegmentList> ComputeSegmentList(const Measurement& m, int lineIndex)
{
    if (lineIndex < 1 || lineIndex > m.lineCount())
        return std::nullopt;
    const TestLine& line = m.line(lineIndex);
    SegmentList list;
    list.lineIndex = lineIndex;
    const auto intercepts = m.intercepts();
    for (std::size_t k = 0; k < intercepts.size(); ++k) {
        if (intercepts[k].line == lineIndex)
            list.entries.push_back({static_cast<int>(k + 1), distanceAlongLine(line, intercepts[k].position)});
    }
    const std::size_t n = list.entries.size();
    if (n < 2)
        return std::nullopt;

    std::stable_sort(list.entries.begin(), list.entries.end(),
                     [](const SegmentEntry& a, const SegmentEntry& b) { return a.distance < b.distance; });
    orderTiedIntercepts(m, list.entries);

    const long double scale = m.calibration.scale;
    for (std::size_t k = 0; k + 1 < n; ++k) {
        const SegmentEntry& a = list.entries[k];
        const SegmentEntry& b = list.entries[k + 1];
        if (m.findSegment(a.intercept, b.intercept) != 0)
            continue;  // a second-phase stretch: not a grain
        SegmentRow row;
        row.number = static_cast<int>(list.rows.size()) + 1;
        row.length = b.distance - a.distance;
        row.calibratedLength = row.length * scale;
        list.sum += row.length;
        list.calibratedSum += row.length * scale;
        list.rows.push_back(row);
    }
    list.mean = list.sum / static_cast<long double>(n);
    list.calibratedMean = list.calibratedSum / static_cast<long double>(n);
    return list;
}

}  // namespace tesra
