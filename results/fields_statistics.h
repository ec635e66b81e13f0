#pragma once
// A specimen is measured in several fields (images). Each field gives its mean lineal
// intercept ℓ̄; the specimen's figures are the mean of the fields' ℓ̄ with a t-based 95 %
// confidence interval, its relative accuracy, the grain size number of the mean, and the
// number of fields that a relative accuracy of 10 % would take. Numbers only: the specimen
// window, the CSV files and the report format them.
#include <optional>
#include <span>
#include <string>

#include "app/measurement/measurement.h"
#include "app/measurement/length_unit.h"
#include "results/measurement_statistics.h"

namespace tesra {

// The grain size number from the mean lineal intercept in millimetres:
// G = −6.643856 · log10(ℓ̄) − 3.288. Not a number for a length that is not positive and finite.
long double GrainSizeNumber(long double meanInterceptMm);

// The quantile t(p, df) of Student's t distribution, for p in (0, 1) and df ≥ 1 degrees of
// freedom; not a number otherwise.
long double StudentTQuantile(long double p, int degreesOfFreedom);
// t(0.975, df): the factor of a two-sided 95 % confidence interval.
long double StudentT975(int degreesOfFreedom);

// The figures of one field.
struct FieldNumbers {
    std::string name;                           // the image file, as the user named it
    int lines = 0;
    long double testLengthPx = 0.0L;            // effective test length (second phase taken off)
    long double intercepts = 0.0L;              // weighted intercept count
    std::optional<long double> meanInterceptPx; // ℓ̄ = test length / intercepts; none without intercepts
    std::optional<long double> meanIntercept;   // ℓ̄ in `unit`; none when not calibrated
    LengthUnit unit = kDefaultLengthUnit;
};

// ℓ̄ of a field in millimetres, when calibrated.
std::optional<long double> MeanInterceptMm(const FieldNumbers& field);
// G of a field, when calibrated and ℓ̄ is positive.
std::optional<long double> FieldGrainSizeNumber(const FieldNumbers& field);

// G of a measurement's totals: none while it is not calibrated (no pixel length stored by the
// calibration dialog), without intercepts, or for a length that is not positive.
std::optional<long double> MeasurementGrainSizeNumber(const LengthFigures& total, const Calibration& calibration);

// The figures of the measurement as it stands: the effective test length and the weighted
// count of its statistics, ℓ̄ in pixels, and, when calibrated, ℓ̄ in the unit.
FieldNumbers MeasureField(std::string name, const Measurement& measurement, bool calibrated, LengthUnit unit);

struct SpecimenSummary {
    int fields = 0;
    int lines = 0;                              // sums over all fields
    long double testLengthPx = 0.0L;
    long double intercepts = 0.0L;
    std::optional<long double> meanInterceptPx; // mean of the fields' ℓ̄ in pixels
    // Over the calibrated fields with a ℓ̄ (n of them), in `unit` (the first such field's;
    // the others are converted into it):
    int n = 0;
    LengthUnit unit = kDefaultLengthUnit;
    std::optional<long double> mean;            // mean ℓ̄
    std::optional<long double> s;               // standard deviation (n − 1), n ≥ 2
    std::optional<long double> t;               // t(0.975, n − 1), n ≥ 2
    std::optional<long double> ci95;            // t · s / √n, n ≥ 2
    std::optional<long double> raPercent;       // 100 · ci95 / mean
    std::optional<long double> grainSizeNumber; // G of the mean
    std::optional<int> fieldsFor10PercentRa;    // n' = ⌈(t · s / (0.1 · mean))²⌉
};

SpecimenSummary SummariseSpecimen(std::span<const FieldNumbers> fields);

}  // namespace tesra
