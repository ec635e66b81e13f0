#include "results/fields_statistics.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "results/measurement_statistics.h"

namespace tesra {

namespace {

constexpr long double kNaN = std::numeric_limits<long double>::quiet_NaN();

// The continued fraction of the regularised incomplete beta function, evaluated by the
// modified Lentz method; converges quickly for x < (a + 1) / (a + b + 2).
long double BetaContinuedFraction(long double a, long double b, long double x)
{
    constexpr long double tiny = 1.0e-300L;
    constexpr long double epsilon = 1.0e-18L;
    const long double qab = a + b;
    const long double qap = a + 1.0L;
    const long double qam = a - 1.0L;
    long double c = 1.0L;
    long double d = 1.0L - qab * x / qap;
    if (std::fabs(d) < tiny)
        d = tiny;
    d = 1.0L / d;
    long double h = d;
    for (int m = 1; m <= 100000; ++m) {
        const long double m2 = 2.0L * m;
        long double aa = m * (b - m) * x / ((qam + m2) * (a + m2));
        d = 1.0L + aa * d;
        d = std::fabs(d) < tiny ? 1.0L / tiny : 1.0L / d;
        c = 1.0L + aa / c;
        if (std::fabs(c) < tiny)
            c = tiny;
        h *= d * c;
        aa = -(a + m) * (qab + m) * x / ((a + m2) * (qap + m2));
        d = 1.0L + aa * d;
        d = std::fabs(d) < tiny ? 1.0L / tiny : 1.0L / d;
        c = 1.0L + aa / c;
        if (std::fabs(c) < tiny)
            c = tiny;
        const long double step = d * c;
        h *= step;
        if (std::fabs(step - 1.0L) < epsilon)
            break;
    }
    return h;
}

// The regularised incomplete beta function I_x(a, b).
long double IncompleteBeta(long double a, long double b, long double x)
{
    if (x <= 0.0L)
        return 0.0L;
    if (x >= 1.0L)
        return 1.0L;
    const long double front =
        std::exp(std::lgamma(a + b) - std::lgamma(a) - std::lgamma(b) + a * std::log(x) + b * std::log1p(-x));
    if (x < (a + 1.0L) / (a + b + 2.0L))
        return front * BetaContinuedFraction(a, b, x) / a;
    return 1.0L - front * BetaContinuedFraction(b, a, 1.0L - x) / b;
}

std::optional<long double> Ratio(long double numerator, long double denominator)
{
    if (denominator == 0.0L)
        return std::nullopt;
    return numerator / denominator;
}

std::optional<long double> Finite(long double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

}  // namespace

long double GrainSizeNumber(long double meanInterceptMm)
{
    if (!std::isfinite(meanInterceptMm) || meanInterceptMm <= 0.0L)
        return kNaN;
    return -6.643856L * std::log10(meanInterceptMm) - 3.288L;
}

long double StudentTQuantile(long double p, int degreesOfFreedom)
{
    if (degreesOfFreedom < 1 || !(p > 0.0L && p < 1.0L))
        return kNaN;
    if (p == 0.5L)
        return 0.0L;
    if (p < 0.5L)
        return -StudentTQuantile(1.0L - p, degreesOfFreedom);
    // P(T > t) = I_x(df/2, 1/2) / 2 with x = df / (df + t²). I_x grows with x, so the x
    // that gives the wanted tail is found by bisection; t follows from it.
    const long double df = degreesOfFreedom;
    const long double tail = 2.0L * (1.0L - p);
    long double low = 0.0L;
    long double high = 1.0L;
    for (int i = 0; i < 200 && high - low > 0.0L; ++i) {
        const long double middle = (low + high) / 2.0L;
        if (middle == low || middle == high)
            break;
        if (IncompleteBeta(df / 2.0L, 0.5L, middle) < tail)
            low = middle;
        else
            high = middle;
    }
    const long double x = (low + high) / 2.0L;
    return std::sqrt(df * (1.0L - x) / x);
}

long double StudentT975(int degreesOfFreedom)
{
    return StudentTQuantile(0.975L, degreesOfFreedom);
}

std::optional<long double> MeanInterceptMm(const FieldNumbers& field)
{
    if (!field.meanIntercept)
        return std::nullopt;
    return *field.meanIntercept * MillimetresPerUnit(field.unit);
}

std::optional<long double> FieldGrainSizeNumber(const FieldNumbers& field)
{
    const std::optional<long double> mm = MeanInterceptMm(field);
    if (!mm)
        return std::nullopt;
    return Finite(GrainSizeNumber(*mm));
}

std::optional<long double> MeasurementGrainSizeNumber(const LengthFigures& total, const Calibration& calibration)
{
    if (calibration.pixelLength == 0.0L || total.count == 0.0L)
        return std::nullopt;
    return Finite(GrainSizeNumber(total.calibratedLength / total.count * MillimetresPerUnit(calibration.unit)));
}

FieldNumbers MeasureField(std::string name, const Measurement& measurement, bool calibrated, LengthUnit unit)
{
    const LengthFigures total = ComputeStatistics(measurement).total;
    FieldNumbers field;
    field.name = std::move(name);
    field.lines = measurement.lineCount();
    field.testLengthPx = total.effective;
    field.intercepts = total.count;
    field.unit = unit;
    // ℓ̄ is the effective length per intercept, without the conversion factor that turns it
    // into the sheet's grain size.
    field.meanInterceptPx = Ratio(total.effective, total.count);
    if (calibrated && total.count != 0.0L)
        field.meanIntercept = Finite(total.calibratedLength / total.count);
    return field;
}

SpecimenSummary SummariseSpecimen(std::span<const FieldNumbers> fields)
{
    SpecimenSummary summary;
    summary.fields = static_cast<int>(fields.size());
    long double pixelSum = 0.0L;
    int pixelCount = 0;
    bool unitChosen = false;
    for (const FieldNumbers& field : fields) {
        summary.lines += field.lines;
        summary.testLengthPx += field.testLengthPx;
        summary.intercepts += field.intercepts;
        if (field.meanInterceptPx) {
            pixelSum += *field.meanInterceptPx;
            ++pixelCount;
        }
        if (field.meanIntercept && !unitChosen) {
            summary.unit = field.unit;
            unitChosen = true;
        }
    }
    if (pixelCount > 0)
        summary.meanInterceptPx = pixelSum / pixelCount;

    // ℓ̄ of the calibrated fields, all in the specimen's unit.
    long double sum = 0.0L;
    for (const FieldNumbers& field : fields) {
        if (field.meanIntercept) {
            sum += ConvertLength(*field.meanIntercept, field.unit, summary.unit);
            ++summary.n;
        }
    }
    if (summary.n == 0)
        return summary;
    const long double mean = sum / summary.n;
    summary.mean = mean;
    summary.grainSizeNumber = Finite(GrainSizeNumber(mean * MillimetresPerUnit(summary.unit)));
    if (summary.n < 2)
        return summary;

    long double squares = 0.0L;
    for (const FieldNumbers& field : fields) {
        if (field.meanIntercept) {
            const long double d = ConvertLength(*field.meanIntercept, field.unit, summary.unit) - mean;
            squares += d * d;
        }
    }
    const long double s = std::sqrt(squares / (summary.n - 1));
    const long double t = StudentT975(summary.n - 1);
    summary.s = s;
    summary.t = t;
    summary.ci95 = t * s / std::sqrt(static_cast<long double>(summary.n));
    summary.raPercent = Ratio(100.0L * *summary.ci95, mean);
    if (mean > 0.0L) {
        const long double root = t * s / (0.1L * mean);
        // A square that should be a whole number may come out a hair above it; that hair
        // must not ask for one more field. At least one field; a huge spread is capped.
        const long double needed = std::ceil(root * root * (1.0L - 1.0e-15L));
        if (std::isfinite(needed))
            summary.fieldsFor10PercentRa = static_cast<int>(std::clamp(needed, 1.0L, 1.0e9L));
    }
    return summary;
}

}  // namespace tesra
