// The grey-value window's plots pixel by pixel against coordinates worked out by hand, the
// places of its controls, and the mouse read-out with its inverted cursor line.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "analysis/grey_plot.h"
#include "analysis/line_geometry.h"

namespace tesra {
namespace {

constexpr std::uint32_t kWhite = rgb(255, 255, 255);

int inkedPixels(const PlotBitmap& plot, std::uint32_t colour)
{
    int n = 0;
    for (int y = 0; y < plot.height(); ++y)
        for (int x = 0; x < plot.width(); ++x)
            n += plot.pixel(x, y) == colour;
    return n;
}

TEST(PlotBitmap, LinesLeaveOutTheirEndPoint)
{
    PlotBitmap plot(20, 20, kWhite);
    plot.drawLine(2, 3, 12, 3, 1);
    EXPECT_EQ(inkedPixels(plot, 1), 10);
    EXPECT_EQ(plot.pixel(2, 3), 1u);
    EXPECT_EQ(plot.pixel(11, 3), 1u);
    EXPECT_EQ(plot.pixel(12, 3), kWhite);

    // A steep step of one column: every row from the start to the row before the end, the
    // first half in the start column and the second half in the next.
    plot.drawLine(0, 19, 1, 9, 2);
    EXPECT_EQ(inkedPixels(plot, 2), 10);
    EXPECT_EQ(plot.pixel(0, 19), 2u);
    EXPECT_EQ(plot.pixel(1, 10), 2u);
    EXPECT_EQ(plot.pixel(1, 9), kWhite);
    for (int y = 10; y <= 19; ++y)
        EXPECT_TRUE(plot.pixel(0, y) == 2u || plot.pixel(1, y) == 2u) << y;

    // A line of no length draws nothing; lines are clipped at the edges.
    plot.drawLine(5, 5, 5, 5, 3);
    plot.drawLine(-5, 0, 25, 0, 4);
    EXPECT_EQ(inkedPixels(plot, 3), 0);
    EXPECT_EQ(inkedPixels(plot, 4), 20);
    EXPECT_EQ(plot.pixel(-1, 0), PlotBitmap::kNoPixel);
}

TEST(PlotBitmap, InvertingTwiceRestores)
{
    PlotBitmap plot(4, 10, kWhite);
    plot.setPixel(2, 4, rgb(255, 0, 255));
    plot.invertLine(2, 0, 2, 10);
    EXPECT_EQ(plot.pixel(2, 0), 0u);
    EXPECT_EQ(plot.pixel(2, 4), rgb(0, 255, 0));
    EXPECT_EQ(plot.pixel(1, 4), kWhite);
    plot.invertLine(2, 0, 2, 10);
    EXPECT_EQ(plot.pixel(2, 0), kWhite);
    EXPECT_EQ(plot.pixel(2, 4), rgb(255, 0, 255));
}

// Twenty samples: grey 100 up to sample 9, 200 from sample 10; an intercept of type III at
// column 4, a second-phase stretch entered from column 14 back to 12.
GreyProfile stepProfile()
{
    GreyProfile p;
    p.length = 20;
    for (int i = 0; i < 20; ++i)
        p.grey.push_back(i < 10 ? 100 : 200);
    p.increment.assign(20, 0);
    p.increment[10] = 100;
    p.markers.push_back({4, itTriplePoint});
    p.spans.push_back({14, 12});
    return p;
}

TEST(ProfilePlot, PointsLinesMarksAndBands)
{
    const PlotBitmap plot = RenderProfilePlot(stepProfile());
    ASSERT_EQ(plot.width(), 20);
    ASSERT_EQ(plot.height(), 256);

    // Profile points at 255 − g, increment points at 128 − Δ/2.
    EXPECT_EQ(plot.pixel(3, 155), kPlotProfilePoint);
    EXPECT_EQ(plot.pixel(10, 55), kPlotProfilePoint);
    EXPECT_EQ(plot.pixel(19, 55), kPlotProfilePoint);
    EXPECT_EQ(plot.pixel(3, 128), kPlotIncrementPoint);
    EXPECT_EQ(plot.pixel(10, 78), kPlotIncrementPoint);
    EXPECT_EQ(plot.pixel(11, 128), kPlotIncrementPoint);
    // The rise from sample 9 to 10 in red, away from the increments' black.
    EXPECT_EQ(plot.pixel(9, 150), kPlotProfileLine);
    EXPECT_EQ(plot.pixel(10, 60), kPlotProfileLine);
    EXPECT_EQ(plot.pixel(10, 90), kPlotIncrementLine);

    // The intercept: a blue column and its type number in green three columns to its right.
    EXPECT_EQ(plot.pixel(4, 0), kPlotBaseLine);
    EXPECT_EQ(plot.pixel(4, 255), kPlotBaseLine);
    EXPECT_EQ(plot.pixel(3, 0), kWhite);
    EXPECT_EQ(plot.pixel(8, 7), kPlotTypeNumber);   // top bar of the "3"
    EXPECT_EQ(plot.pixel(7, 7), kWhite);
    EXPECT_EQ(plot.pixel(11, 8), kPlotTypeNumber);  // its right side
    EXPECT_EQ(inkedPixels(plot, kPlotTypeNumber), 15);

    // The stretch covers both its intercepts' columns, under the curves.
    EXPECT_EQ(plot.pixel(12, 0), kPlotPhaseBand);
    EXPECT_EQ(plot.pixel(14, 250), kPlotPhaseBand);
    EXPECT_EQ(plot.pixel(11, 0), kWhite);
    EXPECT_EQ(plot.pixel(15, 0), kWhite);
    EXPECT_EQ(plot.pixel(13, 55), kPlotProfilePoint);
}

TEST(ProfilePlot, BaseLineAcrossThePlot)
{
    GreyProfile p;
    p.grey = {255, 255};
    p.increment = {0, 0};
    p.length = 2;
    // Both samples white: the profile runs along row 0, the increments along 128.
    PlotBitmap plot = RenderProfilePlot(p);
    EXPECT_EQ(plot.pixel(0, 0), kPlotProfilePoint);
    p.grey = {255};
    p.increment = {0};
    plot = RenderProfilePlot(p);
    EXPECT_EQ(plot.pixel(0, 128), kPlotBaseLine);
    EXPECT_EQ(inkedPixels(plot, kPlotBaseLine), 1);
}

TEST(HistogramPlot, BarsStandOnRow200)
{
    GreyHistogram h;
    h.counts[0] = 4;
    h.counts[1] = 1;
    h.maxCount = 4;
    h.total = 5;
    h.barScale = 200.0L / 4;
    const PlotBitmap plot = RenderHistogramPlot(h);
    ASSERT_EQ(plot.width(), 256);
    ASSERT_EQ(plot.height(), 201);
    EXPECT_EQ(plot.pixel(0, 200), kPlotBaseLine);
    EXPECT_EQ(plot.pixel(0, 1), kPlotBaseLine);
    EXPECT_EQ(plot.pixel(0, 0), kWhite);
    EXPECT_EQ(plot.pixel(1, 151), kPlotBaseLine);
    EXPECT_EQ(plot.pixel(1, 150), kWhite);
    EXPECT_EQ(plot.pixel(2, 200), kWhite);
    EXPECT_EQ(inkedPixels(plot, kPlotBaseLine), 250);
}

TEST(GreyViewLayout, ShortPlotsAreCentredLongOnesSetTheWidth)
{
    TestLine forty;
    forty.x2 = 40;
    forty.length = 40;
    GreyViewLayout l = ProfileViewLayout(sampleCount(forty));
    EXPECT_EQ(l.clientWidth, 300);
    EXPECT_EQ(l.clientHeight, 296);
    EXPECT_EQ(l.imageLeft, 130);
    EXPECT_EQ(l.imageWidth, 40);
    EXPECT_EQ(l.imageTop, 40);
    EXPECT_EQ(l.imageHeight, 256);

    TestLine longer;
    longer.length = 500.3L;
    l = ProfileViewLayout(sampleCount(longer));
    EXPECT_EQ(l.clientWidth, 501);
    EXPECT_EQ(l.imageLeft, 0);
    EXPECT_EQ(l.imageWidth, 501);

    EXPECT_EQ(ProfileViewLayout(299).imageLeft, 0);
    EXPECT_EQ(ProfileViewLayout(299).clientWidth, 300);
    EXPECT_EQ(ProfileViewLayout(300).clientWidth, 300);
}

GreyProfile flatProfile(int grey, int samples, long double length, bool circle)
{
    GreyProfile p;
    p.grey.assign(static_cast<std::size_t>(samples), static_cast<std::uint8_t>(grey));
    p.increment.assign(static_cast<std::size_t>(samples), 0);
    p.length = length;
    p.isCircle = circle;
    return p;
}

TEST(GreyReadout, FlatProfileReadsTheHiddenPointFromItsIncrement)
{
    GreyReadout r;
    EXPECT_FALSE(r.mouseMove(5, NumberLocale::German()));  // nothing shown yet
    r.showProfile(flatProfile(127, 40, 40, false));
    EXPECT_EQ(r.viewMode(), 1);
    EXPECT_EQ(r.cursorX(), -10);
    EXPECT_EQ(r.mouseMove(20, NumberLocale::German()), "Position: 50%   Gray: 127   Increment: 0");
    EXPECT_EQ(r.cursorX(), 20);
}

TEST(GreyReadout, CursorLineIsInvertedAndReadAroundClean)
{
    GreyProfile p = stepProfile();
    GreyReadout r;
    r.showProfile(p);
    const PlotBitmap clean = RenderProfilePlot(p);
    const auto first = r.mouseMove(10, NumberLocale::German());
    EXPECT_EQ(first, "Position: 50%   Gray: 200   Increment: 100");
    for (int y = 0; y < 256; ++y)
        ASSERT_EQ(r.plot().pixel(10, y), clean.pixel(10, y) ^ 0xFFFFFFu) << y;
    int left = 0;
    EXPECT_EQ(r.mouseMove(3, NumberLocale::German()), "Position: 15%   Gray: 100   Increment: 0");
    r.mouseMove(10, NumberLocale::German(), &left);
    EXPECT_EQ(left, 3);
    for (int y = 0; y < 256; ++y)
        ASSERT_EQ(r.plot().pixel(3, y), clean.pixel(3, y)) << y;
    EXPECT_EQ(r.mouseMove(10, NumberLocale::German()), first);

    r.reset();
    EXPECT_FALSE(r.mouseMove(10, NumberLocale::German()));
}

TEST(GreyReadout, CircleInDegrees)
{
    GreyReadout r;
    r.showProfile(flatProfile(60, 400, 400, true));
    const auto text = r.mouseMove(100, NumberLocale::German());
    ASSERT_TRUE(text);
    EXPECT_EQ(text->rfind("Position: 90\u00b0   Gray: 60", 0), 0u) << *text;
}

TEST(GreyReadout, HistogramCountUnderTheCursor)
{
    GreyHistogram h;
    h.counts[128] = 4711;
    h.maxCount = 4711;
    h.total = 4711;
    h.barScale = 200.0L / 4711;
    GreyReadout r;
    r.showHistogram(h);
    EXPECT_EQ(r.mouseMove(128, NumberLocale::German()), "Position: 128   Count: 4711");
    EXPECT_EQ(r.plot().pixel(128, 0), 0u);  // white inverted
    EXPECT_EQ(r.plot().pixel(128, 200), kPlotBaseLine ^ 0xFFFFFFu);
    EXPECT_EQ(r.mouseMove(7, NumberLocale::German()), "Position: 7   Count: 0");
    EXPECT_EQ(r.plot().pixel(128, 0), kWhite);
}

}  // namespace
}  // namespace tesra
