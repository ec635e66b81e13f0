#pragma once
// The numbers of a measurement: per line and in total the lengths, the second-phase length,
// the effective length, the weighted count and the mean grain size, in pixels and in real
// units; the scatter of the counts, the confidence half-width, the outlier and circle flags,
// the anisotropy figure, the target CV and the intercepts still needed. Numbers only: the
// sheet, the main window's panels and the exports format them.
#include <optional>
#include <vector>

#include "app/measurement/measurement.h"

namespace tesra {

// Below this many intercepts a test circle is flagged "A": too few for its count to mean much.
constexpr long double kMinCircleCount = 15.0L;
// The total weighted count a measurement should reach.
constexpr long double kNeededCount = 50.0L;

// The figures of one test line, or of all lines together.
struct LengthFigures {
    long double length = 0.0L;       // pixels; the circumference for a circle
    long double secondPhase = 0.0L;  // marked, or the share set by calibration
    long double count = 0.0L;        // weighted intercept count
    long double effective = 0.0L;    // length less the second phase
    long double calibratedLength = 0.0L;  // effective length × scale
    // Mean grain size (effective length / count × conversion factor) in pixels and in real
    // units; none while the count is 0.
    std::optional<long double> grainSize;
    std::optional<long double> calibratedGrainSize;
    // Second phase in percent of the length: the fraction set by calibration, or the marked
    // share; none for a length of 0 without a set fraction.
    std::optional<long double> secondPhasePercent;
};

struct LineFigures : LengthFigures {
    bool outlier = false;      // "K": the count lies outside mean ± half-width
    bool fewIntercepts = false;  // "A": a circle with fewer than 15 intercepts
};

// The scatter of the per-line counts; only with more than one line and a non-zero total.
struct CountSpread {
    long double mean = 0.0L;           // M, mean count per line
    long double s = 0.0L;              // standard deviation of the counts
    long double cv = 0.0L;             // S / M
    long double halfWidth = 0.0L;      // H = 2 S / sqrt(n - 1)
    long double relative = 0.0L;       // H / M
    long double grainSizeError = 0.0L;           // D × H / M
    long double calibratedGrainSizeError = 0.0L; // Dc × H / M
    long double targetCv = 0.0L;       // for the total count truncated
    long double rootMeanCount = 0.0L;  // sqrt(M)
    long double anisotropyRatio = 0.0L;  // the larger of CV / target CV and S / sqrt(M)
    bool anisotropyWarning = false;      // CV > 2 × target CV or S > 2 sqrt(M)
};

struct MeasurementStatistics {
    // True when the second-phase fraction set by calibration replaces the marked stretches.
    bool fractionSet = false;
    std::vector<LineFigures> lines;  // element 0 is line 1
    LengthFigures total;
    std::optional<CountSpread> spread;
    // Intercepts still needed to reach kNeededCount; none once it is reached.
    std::optional<long double> neededIntercepts;
};

// All figures of the measurement with its own calibration.
MeasurementStatistics ComputeStatistics(const Measurement& measurement);

// The total count truncated towards zero, as the target-CV table takes it; values read from
// a damaged file (infinite, NaN) are held to the table's range instead of overflowing.
int TruncatedCount(long double count);

}  // namespace tesra
