#include "results/fields_statistics.h"

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

namespace tesra {
namespace {

// t(0.975, n − 1) for n = 2..30 as printed in statistics tables (three decimals).
TEST(StudentT, MatchesThePrintedTableForTwoToThirtyFields)
{
    const double table[] = {12.706, 4.303, 3.182, 2.776, 2.571, 2.447, 2.365, 2.306, 2.262, 2.228,
                            2.201,  2.179, 2.160, 2.145, 2.131, 2.120, 2.110, 2.101, 2.093, 2.086,
                            2.080,  2.074, 2.069, 2.064, 2.060, 2.056, 2.052, 2.048, 2.045};
    for (int n = 2; n <= 30; ++n)
        EXPECT_NEAR(static_cast<double>(StudentT975(n - 1)), table[n - 2], 0.0005) << "n = " << n;
    // Closed forms for one and two degrees of freedom, and the normal limit.
    EXPECT_NEAR(static_cast<double>(StudentT975(1)), std::tan(M_PI * 0.475), 1e-12);
    EXPECT_NEAR(static_cast<double>(StudentT975(2)), 4.302652729749464, 1e-12);
    EXPECT_NEAR(static_cast<double>(StudentT975(100000)), 1.959963985, 1e-4);
    EXPECT_NEAR(static_cast<double>(StudentTQuantile(0.025L, 4)), -2.776445105, 1e-9);
    EXPECT_TRUE(std::isnan(StudentT975(0)));
}

TEST(GrainSizeNumber, FollowsTheFormulaAndIsUndefinedWithoutALength)
{
    // 10 µm is G 10, 0.32 mm is G 0 (to the formula's rounding of its constants).
    EXPECT_NEAR(static_cast<double>(GrainSizeNumber(0.010L)), 9.999712, 1e-6);
    EXPECT_NEAR(static_cast<double>(GrainSizeNumber(0.32L)), -0.000288, 1e-6);
    EXPECT_TRUE(std::isnan(GrainSizeNumber(0.0L)));
    EXPECT_TRUE(std::isnan(GrainSizeNumber(-1.0L)));
}

Measurement Field(std::vector<std::pair<long double, long double>> lengthsAndCounts, long double secondPhase,
                  long double percent, long double scale)
{
    std::vector<TestLine> lines;
    for (auto [length, count] : lengthsAndCounts) {
        TestLine line;
        line.x2 = 10;
        line.length = length;
        line.weightedCount = count;
        lines.push_back(line);
    }
    lines[0].secondPhaseLength = secondPhase;
    Measurement m;
    m.setRecords(lines, {}, {});
    m.calibration.scale = scale;
    m.calibration.secondPhasePercent = percent;
    return m;
}

// Five fields of one specimen, worked out by hand (0.5 µm per pixel):
//   field  lines  L      second phase   E      N    ℓ̄ px  ℓ̄ µm
//   1      2      2000   -              2000   50   40    20
//   2      3      3000   360 marked     2640   60   44    22
//   3      1      2500   -              2500   50   50    25
//   4      1      2000   10 % set       1800   50   36    18
//   5      2      2100   -              2100   50   42    21 (stored in nm: 21000)
// mean 21.2, squares 1.44 + 0.64 + 14.44 + 10.24 + 0.04 = 26.8, s = √6.7 = 2.588435821
// t(0.975, 4) = 2.776445105, CI = t s / √5 = 3.213967571, RA = 15.16022439 %
// G(0.0212 mm) = 7.831583532, n' = ⌈(t s / 2.12)²⌉ = ⌈11.4916⌉ = 12
TEST(Specimen, FiveFieldsWorkedByHand)
{
    std::vector<FieldNumbers> fields{
        MeasureField("1", Field({{1000, 25}, {1000, 25}}, 0, -1, 0.5L), true, LengthUnit::Micrometre),
        MeasureField("2", Field({{1000, 20}, {1200, 25}, {800, 15}}, 360, -1, 0.5L), true, LengthUnit::Micrometre),
        MeasureField("3", Field({{2500, 50}}, 0, -1, 0.5L), true, LengthUnit::Micrometre),
        MeasureField("4", Field({{2000, 50}}, 77, 10, 0.5L), true, LengthUnit::Micrometre),
        MeasureField("5", Field({{1050, 30}, {1050, 20}}, 0, -1, 500.0L), true, LengthUnit::Nanometre),
        // Not calibrated: counts in the sums and the pixel mean only.
        MeasureField("6", Field({{1000, 20}}, 0, -1, 1.0L), false, LengthUnit::Micrometre),
    };
    const long double px[] = {40, 44, 50, 36, 42, 50};
    for (int i = 0; i < 6; ++i)
        EXPECT_NEAR(static_cast<double>(*fields[i].meanInterceptPx), px[i], 1e-12);
    EXPECT_NEAR(static_cast<double>(*fields[4].meanIntercept), 21000, 1e-9);
    EXPECT_FALSE(fields[5].meanIntercept.has_value());
    EXPECT_FALSE(FieldGrainSizeNumber(fields[5]).has_value());
    EXPECT_NEAR(static_cast<double>(*FieldGrainSizeNumber(fields[0])), 7.999712057, 1e-9);

    const SpecimenSummary s = SummariseSpecimen(fields);
    EXPECT_EQ(s.fields, 6);
    EXPECT_EQ(s.lines, 10);
    EXPECT_NEAR(static_cast<double>(s.testLengthPx), 12040, 1e-9);
    EXPECT_NEAR(static_cast<double>(s.intercepts), 280, 1e-12);
    EXPECT_NEAR(static_cast<double>(*s.meanInterceptPx), 262.0 / 6, 1e-12);
    EXPECT_EQ(s.n, 5);
    EXPECT_EQ(s.unit, LengthUnit::Micrometre);
    EXPECT_NEAR(static_cast<double>(*s.mean), 21.2, 1e-12);
    EXPECT_NEAR(static_cast<double>(*s.s), 2.588435821, 1e-9);
    EXPECT_NEAR(static_cast<double>(*s.t), 2.776445105, 1e-9);
    EXPECT_NEAR(static_cast<double>(*s.ci95), 3.213967571, 1e-9);
    EXPECT_NEAR(static_cast<double>(*s.raPercent), 15.16022439, 1e-8);
    EXPECT_NEAR(static_cast<double>(*s.grainSizeNumber), 7.831583532, 1e-9);
    EXPECT_EQ(s.fieldsFor10PercentRa, 12);
}

TEST(Specimen, FewFieldsGiveOnlyWhatTheyCan)
{
    EXPECT_FALSE(SummariseSpecimen({}).mean.has_value());
    const std::vector<FieldNumbers> one{
        MeasureField("1", Field({{1000, 25}}, 0, -1, 0.5L), true, LengthUnit::Millimetre)};
    const SpecimenSummary s = SummariseSpecimen(one);
    EXPECT_EQ(s.unit, LengthUnit::Millimetre);
    EXPECT_NEAR(static_cast<double>(*s.mean), 20, 1e-12);
    EXPECT_FALSE(s.ci95.has_value());
    EXPECT_FALSE(s.fieldsFor10PercentRa.has_value());
    // A field without intercepts has no ℓ̄ and stays out of every mean.
    const FieldNumbers empty = MeasureField("0", Field({{1000, 0}}, 0, -1, 0.5L), true, LengthUnit::Micrometre);
    EXPECT_FALSE(empty.meanInterceptPx.has_value());
    EXPECT_FALSE(empty.meanIntercept.has_value());
}

}  // namespace
}  // namespace tesra
