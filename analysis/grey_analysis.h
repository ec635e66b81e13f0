#pragma once
// The three grey-value analyses of the grey-value window: the grey profile along a test line
// with its markers, the grey histogram of the whole image, and the lengths of the segments
// between consecutive intercepts of a line. Pure computations over the measurement and the
// image buffer; the window only draws what these return.
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "app/measurement/measurement.h"
#include "imaging/pixel_graphic.h"

namespace tesra {

// ---- Grey profile ----

// An intercept drawn on the profile plot: its sample abscissa and its type.
struct ProfileMarker {
    std::int64_t abscissa = 0;
    InterceptType type = itNormal;
};
// A second-phase stretch on the plot, from the abscissa of its first intercept to that of
// its second (in the segment's own order, which need not be ascending).
struct ProfileSpan {
    std::int64_t first = 0;
    std::int64_t second = 0;
};

struct GreyProfile {
    int lineIndex = 0;
    long double length = 0;  // of the line; the read-out turns plot columns into positions
    bool isCircle = false;
    // Grey value (green component) of sample i, and its increment g_i − g_{i−1} (0 for i = 0).
    std::vector<std::uint8_t> grey;
    std::vector<int> increment;
    // The line's phase segments and intercepts, in array order.
    std::vector<ProfileSpan> spans;
    std::vector<ProfileMarker> markers;
};

// The profile of line lineIndex: the grey values of the samples of SampleLine, their
// increments and the markers at R(distance along the line). nullopt for a line index outside
// 1..lineCount.
std::optional<GreyProfile> ComputeGreyProfile(const Measurement& m, const TPixelGraphic& image, int lineIndex);

// ---- Histogram ----

struct GreyHistogram {
    // Pixels per grey value. The counters are 64-bit: one grey value of a large micrograph
    // easily occurs more than 65535 times.
    std::array<std::uint64_t, 256> counts{};
    std::uint64_t maxCount = 0;  // M, the largest counter; 0 for an empty image
    long double barScale = 0;    // 200 / M; 0 when M is 0
    std::uint64_t total = 0;     // T, the sum of all counters

    // Height in pixels of the bar of grey value j: R(count_j × barScale), so the tallest
    // bar is 200. 0 for j outside 0..255.
    int barHeight(int j) const;
    // count_j / T; 0 for an empty image or j outside 0..255.
    long double frequency(int j) const;
};

// Counts the grey value of every pixel of the image, reporting progress (may be null) as
// the share of the image counted. Throws EPGInvalidPaletteIndex when a pixel's index lies
// outside the palette, as reading that pixel would.
GreyHistogram ComputeHistogram(const TPixelGraphic& image, ProgressSink* progress = nullptr);

// ---- Segment lengths ----

// One intercept of the line with its distance along the line (pixels from the start point,
// or arc length from the circle's rightmost point).
struct SegmentEntry {
    int intercept = 0;  // 1-based index in the measurement
    long double distance = 0;
};

struct SegmentRow {
    int number = 0;
    long double length = 0;            // pixels
    long double calibratedLength = 0;  // length × scale
};

struct SegmentList {
    int lineIndex = 0;
    std::vector<SegmentEntry> entries;  // sorted by distance
    std::vector<SegmentRow> rows;       // consecutive pairs not joined by a phase segment
    long double sum = 0;
    long double calibratedSum = 0;
    // The sums divided by the number of intercepts on the line (not the number of rows).
    long double mean = 0;
    long double calibratedMean = 0;
};

// The segment list of line lineIndex with the calibration's scale. The intercepts are sorted
// by distance; among equal distances the ends of a phase segment are put next to their
// partners, the rest keep their order. Pairs joined by a phase segment (either way round)
// give no row. nullopt for a line outside 1..lineCount or with fewer than two
// intercepts.
std::optional<SegmentList> ComputeSegmentList(const Measurement& m, int lineIndex);

}  // namespace tesra
