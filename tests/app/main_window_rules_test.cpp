// The rules behind the main window's controls: modes, zoom, magnifier, overview, file names.
#include "app/main_window_rules.h"

#include <gtest/gtest.h>

namespace tesra {
namespace {

TEST(MainWindowRules, EachModeShowsItsOwnButtonsAndModesTwoAndThreeNone)
{
    EXPECT_EQ(ContextGroupOfMode(emLine), ContextGroup::LineTools);
    EXPECT_EQ(ContextGroupOfMode(emSetIntercept), ContextGroup::Types);
    EXPECT_EQ(ContextGroupOfMode(emDeleteIntercept), ContextGroup::None);
    EXPECT_EQ(ContextGroupOfMode(emSecondPhase), ContextGroup::None);
    EXPECT_EQ(ContextGroupOfMode(emCalibrate), ContextGroup::None);
    EXPECT_EQ(ContextGroupOfMode(emInfo), ContextGroup::Analysis);
    EXPECT_EQ(ContextGroupOfMode(emManipulate), ContextGroup::Filters);
}

TEST(MainWindowRules, WheelZoomKeepsTheImagePointUnderTheMouse)
{
    // At zoom 2 scrolled by 100, the mouse at 50 sees image x 75; at zoom 3 that point is at
    // 225, so the view scrolls to 175.
    EXPECT_EQ(ScrollKeepingPoint(100, 50, 2, 3), 175);
    // Zooming out near the left edge cannot scroll before the start.
    EXPECT_EQ(ScrollKeepingPoint(0, 10, 3, 2), 0);
    // Back and forth returns to the same place.
    EXPECT_EQ(ScrollKeepingPoint(ScrollKeepingPoint(40, 30, 1, 5), 30, 5, 1), 40);
    // Below 100 %: at 25 % scrolled by 100, the mouse at 20 sees image x 480; at 50 % that is
    // at 240, so the view scrolls to 220.
    EXPECT_EQ(ScrollKeepingPoint(100, 20, Zoom::Percent(25), Zoom::Percent(50)), 220);
}

TEST(MainWindowRules, MagnifierInsideTheImageMarksTheCentre)
{
    const MagnifierView one = MagnifierViewAt(500, 400, 1, 1000, 800);
    EXPECT_FALSE(one.cross);
    EXPECT_EQ(one.source, (PixelRect{416, 340, 583, 459}));
    EXPECT_EQ(one.source.width(), kMagnifierWidth);
    EXPECT_EQ(one.mark, (PixelRect{84, 60, 84, 60}));

    // Rectangles (85,61)-(88,63), (85,61)-(89,64), (86,62)-(90,66) without their right and
    // bottom edges.
    EXPECT_EQ(MagnifierViewAt(500, 400, 2, 1000, 800).mark, (PixelRect{85, 61, 87, 62}));
    EXPECT_EQ(MagnifierViewAt(500, 400, 3, 1000, 800).mark, (PixelRect{85, 61, 88, 63}));
    const MagnifierView four = MagnifierViewAt(500, 400, 4, 1000, 800);
    EXPECT_EQ(four.source, (PixelRect{479, 385, 520, 414}));
    EXPECT_EQ(four.mark, (PixelRect{86, 62, 89, 65}));
}

TEST(MainWindowRules, MagnifierAtTheBorderStaysInsideAndMovesTheMarkByTheClampTimesTheZoom)
{
    // Top-left corner at zoom 3: half sizes 28 x 20, the window is moved by (-23, -15).
    const MagnifierView corner = MagnifierViewAt(5, 5, 3, 1000, 800);
    EXPECT_EQ(corner.source, (PixelRect{0, 0, 55, 39}));
    EXPECT_EQ(corner.dx, -23);
    EXPECT_EQ(corner.dy, -15);
    EXPECT_EQ(corner.mark, (PixelRect{3 * -23 + 85, 3 * -15 + 61, 3 * -23 + 88, 3 * -15 + 63}));
    // Each image pixel is 3 pane pixels: pixel 5 is pane pixels 15..17, which the mark touches.
    EXPECT_LE(corner.mark.left, 17);
    EXPECT_GE(corner.mark.right, 15);

    // Bottom-right corner at zoom 1 of a 1000 x 800 image.
    const MagnifierView far = MagnifierViewAt(999, 799, 1, 1000, 800);
    EXPECT_EQ(far.source, (PixelRect{832, 680, 999, 799}));
    EXPECT_EQ(far.dx, 999 + 84 - 1 - 999);
    EXPECT_EQ(far.dy, 799 + 60 - 1 - 799);
    EXPECT_EQ(far.mark, (PixelRect{84 + 83, 60 + 59, 84 + 83, 60 + 59}));
}

TEST(MainWindowRules, MagnifierOnAnImageSmallerThanItsWindowShowsTheCross)
{
    EXPECT_TRUE(MagnifierViewAt(10, 10, 1, 100, 100).cross);   // narrower than 168
    EXPECT_TRUE(MagnifierViewAt(10, 10, 1, 400, 119).cross);   // lower than 120
    EXPECT_FALSE(MagnifierViewAt(10, 10, 1, 168, 120).cross);  // exactly the window
    EXPECT_FALSE(MagnifierViewAt(10, 10, 4, 100, 100).cross);  // 42 x 30 fits at zoom 4
    EXPECT_TRUE(MagnifierViewAt(10, 10, 4, 41, 100).cross);
}

TEST(MainWindowRules, OverviewKeepsTheAspectRatioAndFramesTheVisiblePart)
{
    EXPECT_EQ(OverviewHeight(168, 6000, 4000), 112);
    EXPECT_EQ(OverviewHeight(168, 640, 480), 126);
    EXPECT_EQ(OverviewHeight(168, 0, 480), 0);
    // 168 * 1 / 16 = 10.5 rounds to the even 10.
    EXPECT_EQ(OverviewHeight(168, 16, 1), 10);

    // Zoom 4, scrolled to (402, 10), client 500 x 302: (100.5 -> 100, 2.5 -> 2, 125, 75.5 -> 76).
    const PixelRect frame = OverviewFrame(402, 10, 500, 302, 4);
    EXPECT_EQ(frame.left, 100);
    EXPECT_EQ(frame.top, 2);
    EXPECT_EQ(frame.width(), 125);
    EXPECT_EQ(frame.height(), 76);
    // At 25 % the same client shows four times as many image pixels.
    EXPECT_EQ(OverviewFrame(100, 0, 500, 300, Zoom::Percent(25)), (PixelRect{400, 0, 2399, 1199}));
}

TEST(MainWindowRules, OpenDialogListsAllImageFilesFirstThenEachFormatThenAllFiles)
{
    const std::vector<std::string> filters = OpenImageFilters();
    ASSERT_GE(filters.size(), 3u);
    EXPECT_EQ(filters.front(),
              "Image files (*.bmp *.dib *.jif *.jpeg *.jpg *.pbm *.pcx *.pgm *.png *.ppm *.rle *.tga *.tif *.tiff)");
    EXPECT_EQ(filters.back(), "All files (*)");
    EXPECT_NE(std::find(filters.begin(), filters.end(), "Bitmap (*.bmp *.dib *.rle)"), filters.end());
    EXPECT_NE(std::find(filters.begin(), filters.end(), "Paintbrush (*.pcx)"), filters.end());
}

TEST(MainWindowRules, SaveDialogOffersEightFormatsAndFindsTheOneOfAName)
{
    const std::vector<std::string> filters = SaveImageFilters();
    ASSERT_EQ(filters.size(), 8u);
    EXPECT_EQ(filters[0], "Bitmap (*.bmp)");
    EXPECT_EQ(SaveImageFilterExtension(0), "bmp");
    EXPECT_EQ(SaveImageFilterExtension(1), "jpg");
    EXPECT_EQ(SaveImageFilterExtension(7), "tif");
    EXPECT_EQ(SaveImageFilterExtension(99), "bmp");
    EXPECT_EQ(SaveImageFilterIndexOf("/a/probe.PNG"), 4);
    EXPECT_EQ(SaveImageFilterIndexOf("/a/probe.jpeg"), 1);
    EXPECT_EQ(SaveImageFilterIndexOf("/a/probe.pcx"), 0);  // read only: offered as bitmap
    EXPECT_EQ(SaveImageFilterIndexOf("/a/probe"), 0);
}

TEST(MainWindowRules, DefaultSuffixOnlyForNamesWithoutExtension)
{
    EXPECT_EQ(WithDefaultSuffix("/d/probe", "bmp"), "/d/probe.bmp");
    EXPECT_EQ(WithDefaultSuffix("/d/probe.png", "bmp"), "/d/probe.png");
    EXPECT_EQ(WithDefaultSuffix("/d.x/probe", "lin"), "/d.x/probe.lin");
    EXPECT_EQ(WithDefaultSuffix("/d/.probe", "lin"), "/d/.probe.lin");
    EXPECT_EQ(WithDefaultSuffix("", "lin"), "");
}

TEST(MainWindowRules, PhotoIsProposedAsPngAndWrittenInTheFormatOfItsName)
{
    EXPECT_EQ(PhotoFileName("probe.bmp"), "probe Photo.png");
    EXPECT_EQ(PhotoFileName("/data/run.1/probe.tif"), "/data/run.1/probe Photo.png");
    EXPECT_EQ(PhotoFileName("/data/run.1/probe"), "/data/run.1/probe Photo.png");
    ASSERT_EQ(PhotoFilters().size(), 4u);
    EXPECT_NE(PhotoFilters()[0].find("(*.png)"), std::string::npos);

    struct Case {
        const char* chosen;
        int filter;
        const char* fileName;
        const char* extension;
    };
    const Case cases[] = {
        {"/d/a Photo.png", 0, "/d/a Photo.png", "png"},
        {"/d/a.JPG", 0, "/d/a.JPG", "jpg"},    // the name wins over the entry
        {"/d/a.jpeg", 0, "/d/a.jpeg", "jpeg"},
        {"/d/a.tiff", 2, "/d/a.tiff", "tiff"},
        {"/d/a.bmp", 1, "/d/a.bmp", "bmp"},
        {"/d/a", 1, "/d/a.jpg", "jpg"},        // no extension: the entry's
        {"/d/a.v2", 3, "/d/a.v2.tif", "tif"},  // not a photo format: the entry's added
        {"/d/a.pgm", 0, "/d/a.pgm.png", "png"},
        {"/d/a", 99, "/d/a.png", "png"},
    };
    for (const Case& c : cases) {
        const PhotoTarget t = PhotoTargetOf(c.chosen, c.filter);
        EXPECT_EQ(t.fileName, c.fileName) << c.chosen;
        EXPECT_EQ(t.extension, c.extension) << c.chosen;
    }
}

TEST(MainWindowRules, FileErrorNamesTheFileOnce)
{
    EXPECT_EQ(FileErrorMessage("PNG: Not a PNG file", "/d/a.png"), "PNG: Not a PNG file\n/d/a.png");
    EXPECT_EQ(FileErrorMessage("Permission denied: /d/a.png", "/d/a.png"), "Permission denied: /d/a.png");
    EXPECT_EQ(FileNameOnly("/d/a.png"), "a.png");
}

TEST(MainWindowRules, PositionReadoutShowsPlaceCalibratedPlaceAndColour)
{
    TPixelGraphic image(4, 3, TPixelFormat::pf24Bit);
    image.SetPixel(1, 2, rgb(200, 100, 50));
    image.SetPixel(2, 1, rgb(77, 77, 77));
    const NumberLocale de = NumberLocale::German();
    EXPECT_EQ(PositionReadout(image, 1, 2, 1.0L, false, de), "x 1  y 2  |  RGB 200, 100, 50");
    EXPECT_EQ(PositionReadout(image, 2, 1, 0.5L, true, de), "x 2  y 1  |  1,000  0,500  |  Grey 77");
    EXPECT_EQ(PositionReadout(image, 4, 0, 1.0L, false, de), "");
    EXPECT_EQ(PositionReadout(image, -1, 0, 1.0L, false, de), "");
}

TEST(MainWindowRules, DefaultPlacesTileTheAreaWithoutOverlap)
{
    // 1740 x 900: the sheet 270 high across the width, the image above, the grey pane
    // (300 wide) beside the image when shown.
    const WindowPlaces shown = DefaultWindowPlaces(1740, 900, 270, 300, true);
    EXPECT_EQ(shown.sheet, (PixelRect{0, 630, 1739, 899}));
    EXPECT_EQ(shown.image, (PixelRect{0, 0, 1439, 629}));
    EXPECT_EQ(shown.grey, (PixelRect{1440, 0, 1739, 629}));
    EXPECT_EQ(DefaultWindowPlaces(1740, 900, 270, 300, false).image, (PixelRect{0, 0, 1739, 629}));
    // A small screen: the sheet gets at most 2/5 of the height.
    EXPECT_EQ(DefaultWindowPlaces(1200, 600, 500, 300, false).sheet.top, 360);
}

}  // namespace
}  // namespace tesra
