#include "results/measurement_statistics.h"

#include <algorithm>
#include <cmath>

#include "results/target_cv.h"

namespace tesra {

int TruncatedCount(long double count)
{
    // A real count is at most 300 lines of 5000 intercepts of weight 2.
    if (std::isnan(count))
        return 0;
    return static_cast<int>(std::trunc(std::clamp(count, -1.0e9L, 1.0e9L)));
}

namespace {

// Lengths and grain sizes of a line or of the sum from its length l, marked second phase p
// and count. The operations keep the order the sheet has always used, so every figure is the
// same 80-bit value as before.
void fill(LengthFigures& out, long double l, long double p, long double count, const Calibration& cal,
          bool fractionSet)
{
    const long double c = cal.scale;
    const long double k = cal.conversionFactor;
    const long double f = cal.secondPhasePercent;
    out.length = l;
    out.secondPhase = fractionSet ? l * f * 0.01L : p;
    out.count = count;
    out.effective = fractionSet ? l - l * f * 0.01L : l - p;
    out.calibratedLength = out.effective * c;
    if (count != 0.0L) {
        out.grainSize = out.effective / count * k;
        out.calibratedGrainSize = out.effective / count * c * k;
    }
    if (fractionSet)
        out.secondPhasePercent = f;
    else if (l != 0.0L)
        out.secondPhasePercent = p / l * 100.0L;
}

}  // namespace

MeasurementStatistics ComputeStatistics(const Measurement& measurement)
{
    MeasurementStatistics st;
    const Calibration& cal = measurement.calibration;
    st.fractionSet = cal.secondPhasePercent != -1.0L;
    const auto lines = measurement.lines();
    st.lines.resize(lines.size());

    long double sl = 0.0L;
    long double sp = 0.0L;
    long double sn = 0.0L;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const TestLine& line = lines[i];
        fill(st.lines[i], line.length, line.secondPhaseLength, line.weightedCount, cal, st.fractionSet);
        st.lines[i].fewIntercepts = line.isCircle && line.weightedCount < kMinCircleCount;
        sl += line.length;
        sp += line.secondPhaseLength;
        sn += line.weightedCount;
    }
    fill(st.total, sl, sp, sn, cal, st.fractionSet);
    if (sn < kNeededCount)
        st.neededIntercepts = kNeededCount - sn;

    const std::size_t n = lines.size();
    if (n < 2 || sn == 0.0L)
        return st;
    CountSpread spread;
    const long double count = static_cast<long double>(n);
    spread.mean = sn / count;
    long double squares = 0.0L;
    for (const TestLine& line : lines)
        squares += (line.weightedCount - spread.mean) * (line.weightedCount - spread.mean);
    spread.s = std::sqrt(squares / (count - 1.0L));
    spread.cv = spread.s / spread.mean;
    // The half-width is taken with the factor 2 and the root of n - 1, as the sheet has
    // always shown it.
    spread.halfWidth = 2.0L * spread.s / std::sqrt(count - 1.0L);
    spread.relative = spread.halfWidth / spread.mean;
    spread.grainSizeError = st.total.grainSize.value_or(0.0L) * spread.relative;
    spread.calibratedGrainSizeError = st.total.calibratedGrainSize.value_or(0.0L) * spread.relative;
    for (std::size_t i = 0; i < n; ++i) {
        const long double ni = lines[i].weightedCount;
        st.lines[i].outlier = ni < spread.mean - spread.halfWidth || ni > spread.mean + spread.halfWidth;
    }
    spread.targetCv = TargetCv(TruncatedCount(sn));
    spread.rootMeanCount = std::sqrt(spread.mean);
    spread.anisotropyRatio = spread.s / spread.rootMeanCount;
    if (spread.targetCv != 0.0L)
        spread.anisotropyRatio = std::max(spread.cv / spread.targetCv, spread.anisotropyRatio);
    spread.anisotropyWarning = spread.cv > 2.0L * spread.targetCv || spread.s > 2.0L * spread.rootMeanCount;
    st.spread = spread;
    return st;
}

}  // namespace tesra
