// The zoom's mapping between screen and image pixels, its steps and the fit.
#include "view/zoom.h"

#include <gtest/gtest.h>

namespace tesra {
namespace {

// The screen pixel a user clicks to hit image pixel p: the middle of the pixel's square when
// magnified, the screen pixel the image pixel is drawn into when reduced.
int screenOfPixel(Zoom z, int p)
{
    const auto from = z.toScreen(p), to = z.toScreen(p + 1);
    return static_cast<int>(to > from ? (from + to - 1) / 2 : from);
}

TEST(Zoom, AClickLandsOnTheImagePixelDrawnThereAtEveryZoom)
{
    std::vector<Zoom> zooms;
    for (int f = 1; f <= 10; ++f)
        zooms.push_back(Zoom(f));
    for (int p : {1, 3, 5, 10, 15, 17, 25, 33, 50, 67, 99})
        zooms.push_back(Zoom::Percent(p));
    for (const Zoom z : zooms) {
        SCOPED_TRACE(ZoomCaption(z));
        for (int p = 0; p < 3000; ++p) {
            const int s = screenOfPixel(z, p);
            const int hit = z.toImage(s);
            if (z.percent() >= 100) {
                // Every pixel has screen pixels of its own.
                ASSERT_EQ(hit, p);
            } else {
                // Several image pixels share a screen pixel: the click lands on one of them,
                // and its mark is drawn in the very screen pixel clicked.
                ASSERT_EQ(z.toScreen(hit), s);
                ASSERT_LE(std::abs(hit - p), 100 / z.percent() + 1);
            }
        }
    }
}

TEST(Zoom, WholeZoomsMapAsTheyAlwaysDid)
{
    // Positions outside the image (moves with the button held) truncate toward zero.
    EXPECT_EQ(Zoom(3).toImage(-2), 0);
    EXPECT_EQ(Zoom(3).toImage(-3), -1);
    EXPECT_EQ(Zoom(4).toScreen(-5), -20);
    EXPECT_EQ(Zoom(10).toScreen(123), 1230);
    EXPECT_EQ(Zoom(0), Zoom(1));  // kept inside the range
    EXPECT_EQ(Zoom::Percent(5000).percent(), 1000);
    EXPECT_EQ(ZoomCaption(Zoom(3)), "300%");
    EXPECT_EQ(ZoomCaption(Zoom::Percent(25)), "25%");
}

TEST(Zoom, StepsGoThroughTheReducedZoomsAndStopAtTheEnds)
{
    EXPECT_EQ(ZoomStep(Zoom(1), -1), Zoom::Percent(50));
    EXPECT_EQ(ZoomStep(Zoom::Percent(50), 1), Zoom(1));
    EXPECT_EQ(ZoomStep(Zoom(1), 1), Zoom(2));
    EXPECT_EQ(ZoomStep(Zoom(10), 1), Zoom(10));
    EXPECT_EQ(ZoomStep(Zoom::Percent(5), -1), Zoom::Percent(5));
    // A fit between two steps goes to its neighbours.
    EXPECT_EQ(ZoomStep(Zoom::Percent(28), 1), Zoom::Percent(33));
    EXPECT_EQ(ZoomStep(Zoom::Percent(28), -1), Zoom::Percent(25));
    EXPECT_EQ(ZoomStep(Zoom(4), -3), Zoom(1));
}

TEST(Zoom, FitShowsTheWholeImageAndNeverMagnifies)
{
    // 6000 × 4000 into 1700 × 800: the height decides (20 %).
    EXPECT_EQ(FitZoom(6000, 4000, 1700, 800), Zoom::Percent(20));
    EXPECT_LE(Zoom::Percent(20).screenSize(4000), 800);
    EXPECT_EQ(FitZoom(300, 200, 1700, 800), Zoom(1));
    EXPECT_EQ(FitZoom(600000, 10, 1000, 800), Zoom::Percent(1));
    EXPECT_EQ(FitZoom(0, 0, 1000, 800), Zoom(1));
}

}  // namespace
}  // namespace tesra
