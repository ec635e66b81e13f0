// The grey-value analyses against values worked out by hand: segment rows and means with and
// without second-phase stretches, on circles and in any entry order; histogram counts, bars
// and frequencies; the profile's samples, increments and markers.
#include <gtest/gtest.h>

#include <cmath>

#include "analysis/grey_analysis.h"
#include "analysis/line_geometry.h"

namespace tesra {
namespace {

TestLine straightLine(int x1, int y1, int x2, int y2)
{
    TestLine l;
    l.x1 = x1;
    l.y1 = y1;
    l.x2 = x2;
    l.y2 = y2;
    l.length = std::sqrt(static_cast<long double>((x2 - x1) * (x2 - x1) + (y2 - y1) * (y2 - y1)));
    return l;
}

Intercept at(int line, long double position, InterceptType type = itNormal)
{
    Intercept k;
    k.line = static_cast<std::uint16_t>(line);
    k.position = position;
    k.type = type;
    return k;
}

PhaseSegment joining(int first, int second, int line)
{
    PhaseSegment s;
    s.first = static_cast<std::uint16_t>(first);
    s.second = static_cast<std::uint16_t>(second);
    s.line = static_cast<std::uint16_t>(line);
    return s;
}

// A straight line of length 40 with intercepts at the given distances, in that order.
Measurement lineWithDistances(std::initializer_list<long double> distances, std::vector<PhaseSegment> segments = {})
{
    Measurement m;
    std::vector<Intercept> intercepts;
    for (const long double d : distances)
        intercepts.push_back(at(1, d / 40));
    m.setRecords({straightLine(0, 0, 40, 0)}, intercepts, segments);
    return m;
}

std::vector<long double> lengthsOf(const SegmentList& list)
{
    std::vector<long double> out;
    for (const auto& r : list.rows)
        out.push_back(r.length);
    return out;
}

TEST(SegmentList, RowsSumsAndMeans)
{
    const Measurement m = lineWithDistances({0, 12.5L, 30, 40});
    const auto list = ComputeSegmentList(m, 1);
    ASSERT_TRUE(list);
    EXPECT_EQ(lengthsOf(*list), (std::vector<long double>{12.5L, 17.5L, 10}));
    EXPECT_EQ(list->rows[0].number, 1);
    EXPECT_EQ(list->rows[2].number, 3);
    EXPECT_EQ(list->sum, 40);
    EXPECT_EQ(list->mean, 10);  // divided by the 4 intercepts, not the 3 rows
    EXPECT_EQ(list->calibratedMean, 10);
}

TEST(SegmentList, SecondPhaseStretchGivesNoRow)
{
    for (const auto& seg : {joining(2, 3, 1), joining(3, 2, 1)}) {
        const Measurement m = lineWithDistances({0, 12.5L, 30, 40}, {seg});
        const auto list = ComputeSegmentList(m, 1);
        ASSERT_TRUE(list);
        EXPECT_EQ(lengthsOf(*list), (std::vector<long double>{12.5L, 10}));
        EXPECT_EQ(list->rows[1].number, 2);
        EXPECT_EQ(list->sum, 22.5L);
        EXPECT_EQ(list->mean, 5.625L);
    }
}

TEST(SegmentList, CalibratedColumnFollowsTheScale)
{
    Measurement m = lineWithDistances({0, 12.5L, 30, 40});
    m.calibration.scale = 0.5L;
    const auto list = ComputeSegmentList(m, 1);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->rows[0].calibratedLength, 6.25L);
    EXPECT_EQ(list->rows[1].calibratedLength, 8.75L);
    EXPECT_EQ(list->calibratedSum, 20);
    EXPECT_EQ(list->calibratedMean, 5);
    EXPECT_EQ(list->mean, 10);
}

TEST(SegmentList, EntryOrderDoesNotMatter)
{
    const auto sorted = ComputeSegmentList(lineWithDistances({0, 12.5L, 30}), 1);
    const auto shuffled = ComputeSegmentList(lineWithDistances({30, 0, 12.5L}), 1);
    ASSERT_TRUE(sorted && shuffled);
    EXPECT_EQ(lengthsOf(*sorted), (std::vector<long double>{12.5L, 17.5L}));
    EXPECT_EQ(lengthsOf(*shuffled), lengthsOf(*sorted));
    EXPECT_EQ(shuffled->entries[0].intercept, 2);
    EXPECT_EQ(shuffled->entries[2].intercept, 1);
}

TEST(SegmentList, EqualDistancesKeepTheirOrder)
{
    // Intercepts 1 and 2 both at 20, intercept 3 at 10, and a stretch joining 3 and 1. Sorted
    // with equal distances in entry order the pairs are (3,1), a stretch, and (1,2): one row
    // of length 0. (Swapping 1 and 2 would turn the stretch into a row of 10.)
    const Measurement m = lineWithDistances({20, 20, 10}, {joining(3, 1, 1)});
    const auto list = ComputeSegmentList(m, 1);
    ASSERT_TRUE(list);
    EXPECT_EQ(lengthsOf(*list), (std::vector<long double>{0}));
    EXPECT_EQ(list->entries[1].intercept, 1);
    EXPECT_EQ(list->entries[2].intercept, 2);
}

// Line (0,0)-(100,0) with its two end points (intercepts 1 and 2), intercepts 3 and 4 both at
// x = 30 and intercept 5 at x = 10: one of the tied pair closes or opens the marked stretch.
Measurement tiedPairWithStretch(PhaseSegment stretch)
{
    Measurement m;
    m.setRecords({straightLine(0, 0, 100, 0)},
                 {at(1, 0, itStartEndInGrain), at(1, 1, itStartEndInGrain), at(1, 0.3L), at(1, 0.3L), at(1, 0.1L)}, {stretch});
    return m;
}

void expectLengths(const SegmentList& list, std::vector<long double> expected, long double sum)
{
    const auto lengths = lengthsOf(list);
    ASSERT_EQ(lengths.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(static_cast<double>(lengths[i]), static_cast<double>(expected[i]), 1e-9) << "row " << i + 1;
    EXPECT_NEAR(static_cast<double>(list.sum), static_cast<double>(sum), 1e-9);
    EXPECT_NEAR(static_cast<double>(list.mean), static_cast<double>(sum / 5), 1e-9);
}

TEST(SegmentList, TiedInterceptsKeepAStretchTogether)
{
    // The stretch 10..30 ends at intercept 3: 0..10, then 3 and 4 meet (0), then 30..100.
    for (const auto& seg : {joining(5, 3, 1), joining(3, 5, 1)}) {
        const auto list = ComputeSegmentList(tiedPairWithStretch(seg), 1);
        ASSERT_TRUE(list);
        expectLengths(*list, {10, 0, 70}, 80);
    }
    // The stretch 30..100 starts at intercept 3: 0..10, 10..30, then 4 and 3 meet (0); the
    // second-phase stretch to the end point gives no row.
    for (const auto& seg : {joining(3, 2, 1), joining(2, 3, 1)}) {
        const auto list = ComputeSegmentList(tiedPairWithStretch(seg), 1);
        ASSERT_TRUE(list);
        expectLengths(*list, {10, 20, 0}, 30);
        EXPECT_EQ(list->entries[3].intercept, 3);
        EXPECT_EQ(list->entries[4].intercept, 2);
    }
    // Intercept 4 entered first in the stretch: the pair is ordered the other way round.
    const auto list = ComputeSegmentList(tiedPairWithStretch(joining(4, 2, 1)), 1);
    ASSERT_TRUE(list);
    expectLengths(*list, {10, 20, 0}, 30);
}

TEST(SegmentList, CircleRowsRunByAngle)
{
    TestLine circle;
    circle.x2 = circle.y2 = 20;
    circle.isCircle = true;
    circle.length = 20 * kPi;
    Measurement m;
    m.setRecords({circle}, {at(1, kPi), at(1, kPi / 2)}, {});
    const auto list = ComputeSegmentList(m, 1);
    ASSERT_TRUE(list);
    ASSERT_EQ(list->rows.size(), 1u);
    EXPECT_NEAR(static_cast<double>(list->rows[0].length), 5 * M_PI, 1e-12);  // 15.708
    EXPECT_NEAR(static_cast<double>(list->entries[0].distance), 5 * M_PI, 1e-12);
}

TEST(SegmentList, NotComputedWithoutTwoIntercepts)
{
    EXPECT_FALSE(ComputeSegmentList(lineWithDistances({5}), 1));
    EXPECT_FALSE(ComputeSegmentList(lineWithDistances({5, 9}), 2));
    EXPECT_FALSE(ComputeSegmentList(lineWithDistances({5, 9}), 0));
    // Two intercepts joined by a stretch: computed, but without rows.
    const auto list = ComputeSegmentList(lineWithDistances({5, 9}, {joining(1, 2, 1)}), 1);
    ASSERT_TRUE(list);
    EXPECT_TRUE(list->rows.empty());
    EXPECT_EQ(list->mean, 0);
}

// ---- Histogram ----

TPixelGraphic filled(int w, int h, std::uint32_t colour)
{
    TPixelGraphic image(w, h, TPixelFormat::pf24Bit);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.SetPixel(x, y, colour);
    return image;
}

TEST(Histogram, FlatGreyImage)
{
    const GreyHistogram h = ComputeHistogram(filled(30, 20, rgb(128, 128, 128)));
    EXPECT_EQ(h.counts[128], 600u);
    for (int j = 0; j < 256; ++j) {
        if (j != 128) {
            EXPECT_EQ(h.counts[static_cast<std::size_t>(j)], 0u) << j;
        }
    }
    EXPECT_EQ(h.maxCount, 600u);
    EXPECT_EQ(h.total, 600u);
    EXPECT_EQ(h.barHeight(128), 200);
    EXPECT_EQ(h.barHeight(127), 0);
    EXPECT_EQ(h.frequency(128), 1);
}

TEST(Histogram, CountsBeyondSixteenBits)
{
    const GreyHistogram h = ComputeHistogram(filled(300, 300, rgb(7, 7, 7)));
    EXPECT_EQ(h.counts[7], 90000u);
    EXPECT_EQ(h.barHeight(7), 200);
}

TEST(Histogram, ColourImagesCountTheGreenComponent)
{
    TPixelGraphic image = filled(7, 3, rgb(255, 0, 0));  // red: grey 0
    image.SetPixel(6, 2, rgb(0, 255, 0));
    image.SetPixel(5, 2, rgb(10, 200, 30));
    const GreyHistogram h = ComputeHistogram(image);
    EXPECT_EQ(h.counts[0], 19u);
    EXPECT_EQ(h.counts[255], 1u);
    EXPECT_EQ(h.counts[200], 1u);
}

TEST(Histogram, PaletteImagesCountTheGreenOfTheirEntries)
{
    TPixelGraphic image(5, 2, TPixelFormat::pf8Bit);
    image.SetPalette(std::vector<std::uint32_t>{rgb(0, 64, 0), rgb(64, 64, 64), rgb(1, 2, 3)});
    image.SetPixel(0, 0, 1);
    image.SetPixel(1, 1, 2);
    const GreyHistogram h = ComputeHistogram(image);
    EXPECT_EQ(h.counts[64], 9u);  // indexes 0 and 1 are both green 64
    EXPECT_EQ(h.counts[2], 1u);

    TPixelGraphic bits(10, 3, TPixelFormat::pf1Bit);
    bits.SetPaletteIdent(pBlackWhite);
    bits.SetPixel(9, 2, 1);
    const GreyHistogram hb = ComputeHistogram(bits);
    EXPECT_EQ(hb.counts[0], 29u);
    EXPECT_EQ(hb.counts[255], 1u);

    image.SetPixel(4, 1, 9);  // beyond the three entries
    EXPECT_THROW(ComputeHistogram(image), EPGInvalidPaletteIndex);
}

TEST(Histogram, BarsRoundHalvesToEven)
{
    // 400 pixels of grey 0 make the scale 200 / 400 = 0.5: 1 → 0.5 → 0, 3 → 1.5 → 2,
    // 5 → 2.5 → 2.
    TPixelGraphic image = filled(409, 1, rgb(0, 0, 0));
    const int greys[] = {1, 2, 2, 2, 3, 3, 3, 3, 3};
    for (int n = 0; n < 9; ++n)
        image.SetPixel(400 + n, 0, rgb(0, greys[n], 0));
    const GreyHistogram h = ComputeHistogram(image);
    EXPECT_EQ(h.barScale, 0.5L);
    EXPECT_EQ(h.barHeight(0), 200);
    EXPECT_EQ(h.barHeight(1), 0);
    EXPECT_EQ(h.barHeight(2), 2);
    EXPECT_EQ(h.barHeight(3), 2);
    EXPECT_EQ(h.total, 409u);
}

TEST(Histogram, EmptyImageHasNoBars)
{
    const GreyHistogram h = ComputeHistogram(TPixelGraphic());
    EXPECT_EQ(h.maxCount, 0u);
    EXPECT_EQ(h.barScale, 0);
    EXPECT_EQ(h.barHeight(0), 0);
    EXPECT_EQ(h.frequency(0), 0);
}

class RecordingSink : public ProgressSink {
public:
    void begin() override { ++begins; }
    void step(int percent) override { steps.push_back(percent); }
    void end() override { ++ends; }
    int begins = 0, ends = 0;
    std::vector<int> steps;
};

TEST(Histogram, ProgressRunsToTheEnd)
{
    RecordingSink sink;
    ComputeHistogram(filled(3, 250, 0), &sink);
    EXPECT_EQ(sink.begins, 1);
    EXPECT_EQ(sink.ends, 1);
    ASSERT_FALSE(sink.steps.empty());
    EXPECT_EQ(sink.steps.back(), 100);
    for (std::size_t i = 1; i < sink.steps.size(); ++i)
        EXPECT_LT(sink.steps[i - 1], sink.steps[i]);
}

// ---- Profile ----

TEST(GreyProfile, SamplesIncrementsAndMarkers)
{
    TPixelGraphic image(30, 20, TPixelFormat::pf24Bit);
    for (int x = 0; x < 30; ++x)
        image.SetPixel(x, 10, rgb(0, (x * x) % 256, 99));
    Measurement m;
    m.setRecords({straightLine(10, 10, 20, 10)},
                 {at(1, 0, itStartEndInGrain), at(1, 1, itStartEndInGrain), at(1, 0.5L, itTriplePoint),
                  at(1, 0.25L, itSecondPhase)},
                 {joining(3, 4, 1)});
    const auto p = ComputeGreyProfile(m, image, 1);
    ASSERT_TRUE(p);
    ASSERT_EQ(p->grey.size(), 10u);  // N = R(10.5) = 10: x = 10..19
    EXPECT_EQ(p->grey[0], 100);
    EXPECT_EQ(p->grey[5], 225);     // 15²
    EXPECT_EQ(p->grey[6], 0);       // 256 % 256
    EXPECT_EQ(p->increment[0], 0);
    EXPECT_EQ(p->increment[1], 21); // 121 − 100
    EXPECT_EQ(p->increment[6], -225);
    ASSERT_EQ(p->markers.size(), 4u);
    EXPECT_EQ(p->markers[1].abscissa, 10);
    EXPECT_EQ(p->markers[2].abscissa, 5);
    EXPECT_EQ(p->markers[2].type, itTriplePoint);
    EXPECT_EQ(p->markers[3].abscissa, 2);  // R(2.5) = 2
    ASSERT_EQ(p->spans.size(), 1u);
    EXPECT_EQ(p->spans[0].first, 5);
    EXPECT_EQ(p->spans[0].second, 2);
    EXPECT_EQ(p->length, 10);
    EXPECT_FALSE(ComputeGreyProfile(m, image, 2));
    EXPECT_FALSE(ComputeGreyProfile(m, image, 0));
}

TEST(GreyProfile, CircleMarkersUseTheArcLength)
{
    TestLine circle;
    circle.x2 = circle.y2 = 20;
    circle.isCircle = true;
    circle.length = 20 * kPi;
    Measurement m;
    m.setRecords({circle}, {at(1, kPi / 2)}, {});
    const auto p = ComputeGreyProfile(m, TPixelGraphic(30, 30, TPixelFormat::pf24Bit), 1);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->grey.size(), 63u);
    EXPECT_EQ(p->markers[0].abscissa, 16);  // R(5π) = R(15.71)
    EXPECT_TRUE(p->isCircle);
}

}  // namespace
}  // namespace tesra
