// The image window on the offscreen platform, driven with real mouse and key events on its
// canvas, checked through the measurement, the sheet and the rendered pixels.
#include "view/uImage.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QScrollArea>
#include <QStatusBar>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/uMain.h"
#include "imaging/formats/image_format.h"
#include "results/uTabelle.h"
#include "tests/test_support.h"
#include "tests/uUserSteps.h"

namespace tesra {
namespace {

constexpr QRgb kBackground = 0xFF0A141E;  // (10, 20, 30)
constexpr QRgb kInverted = 0xFFF5EBE1;    // its complement
constexpr QRgb kLime = 0xFF00FF00;
constexpr QRgb kGrey = 0xFFDDDDDD;
constexpr QRgb kYellow = 0xFFFFFF00;
constexpr QRgb kBlue = 0xFF0000FF;
constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kWhite = 0xFFFFFFFF;

TPixelGraphic solidImage(int w, int h, std::uint32_t colour = rgb(10, 20, 30))
{
    TPixelGraphic g(w, h, TPixelFormat::pf24Bit);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            g.SetPixel(x, y, colour);
    return g;
}

class ImageWindow : public ::testing::Test {
protected:
    ImageWindow()
    {
        main = std::make_unique<TfMain>();
        sheet = std::make_unique<TfTabelle>(main->document());
        window = std::make_unique<TfImage>(main->document());
        window->resize(700, 500);
        window->ReplaceImage(solidImage(200, 100));
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        canvas = window->findChild<QWidget*>("TempImage");
    }
    ~ImageWindow() override
    {
        window.reset();
        sheet.reset();
        main.reset();
    }

    void mode(EditMode m) { main->state().mode = m; }
    // Clicks and moves at image pixel (x, y): the top-left screen pixel of it.
    void click(int x, int y) { test::clickAt(canvas, screen(x, y)); }
    void move(int x, int y) { QTest::mouseMove(canvas, screen(x, y)); }
    QPoint screen(int x, int y) const
    {
        const Zoom z = window->zoom();
        return QPoint(static_cast<int>(z.toScreen(x)), static_cast<int>(z.toScreen(y)));
    }
    QImage pixels() { return canvas->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    static QRgb at(const QImage& img, int x, int y) { return img.pixel(x, y); }

    std::unique_ptr<TfMain> main;
    std::unique_ptr<TfTabelle> sheet;
    std::unique_ptr<TfImage> window;
    QWidget* canvas = nullptr;
};

TEST_F(ImageWindow, OpensWithItsNamesAndAnEmptyOverlay)
{
    ASSERT_NE(canvas, nullptr);
    EXPECT_EQ(fImage(), window.get());
    EXPECT_EQ(window->windowTitle(), "Bild");
    EXPECT_NE(window->findChild<QScrollArea*>("ScrollBar"), nullptr);
    EXPECT_EQ(canvas->size(), QSize(200, 100));
    const QImage img = pixels();
    EXPECT_EQ(at(img, 0, 0), kBackground);
    EXPECT_EQ(at(img, 199, 99), kBackground);
}

TEST_F(ImageWindow, ZoomSizesTheCanvasAndStopsAtItsLimits)
{
    window->SetZoom(4);
    EXPECT_EQ(canvas->size(), QSize(800, 400));
    window->SetZoom(1);
    for (int i = 0; i < 9; ++i)
        window->ZoomIn();
    EXPECT_EQ(window->zoom(), 10);
    window->ZoomIn();
    EXPECT_EQ(window->zoom(), 10);
    EXPECT_EQ(canvas->size(), QSize(2000, 1000));
    for (int i = 0; i < 9; ++i)
        window->ZoomOut();
    EXPECT_EQ(window->zoom(), 1);
    // Below 100 % the canvas shrinks with the zoom, down to 5 %.
    window->ZoomOut();
    EXPECT_EQ(window->zoom(), Zoom::Percent(50));
    EXPECT_EQ(canvas->size(), QSize(100, 50));
    for (int i = 0; i < 12; ++i)
        window->ZoomOut();
    EXPECT_EQ(window->zoom(), Zoom::Percent(5));
    EXPECT_EQ(canvas->size(), QSize(10, 5));
}

TEST_F(ImageWindow, ZoomThreeMapsClicksAndDrawsMarksAtPixelCorners)
{
    main->document().AddTestLine(0, 12, 100, 12, false);
    window->SetZoom(3);
    mode(emSetIntercept);
    QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(37, 38));  // image (12, 12)
    ASSERT_EQ(main->document().measurement().interceptCount(), 3);
    EXPECT_EQ(main->document().measurement().intercept(3).x, 12);
    EXPECT_EQ(main->document().measurement().intercept(3).y, 12);
    EXPECT_EQ(window->editor().cursorPixel(), (PixelPoint{12, 12}));
    EXPECT_TRUE(main->modified());
    const QImage img = pixels();
    // The cross of intercept 3 centres on screen (36, 36): arms over 32..39.
    EXPECT_EQ(at(img, 33, 36), kLime);
    EXPECT_EQ(at(img, 36, 33), kLime);
    EXPECT_EQ(at(img, 36, 39), kLime);
    EXPECT_EQ(at(img, 36, 40), kBackground);  // the arm's end point is not covered
    // The square of a horizontal line's mark sits at the lower left: x 27..31, y 40..44.
    EXPECT_EQ(at(img, 27, 40), kLime);
    EXPECT_EQ(at(img, 31, 44), kLime);
    EXPECT_EQ(at(img, 32, 41), kBackground);
    EXPECT_EQ(at(img, 31, 45), kBackground);
    EXPECT_EQ(at(img, 26, 41), kBackground);
}

TEST_F(ImageWindow, MarksHaveTheirColoursAtZoomOneAndFour)
{
    Measurement& m = main->document().measurementForLoading();
    m.AddTestLine(20, 80, 180, 20, false);   // rises to the right
    m.AddTestLine(20, 90, 180, 90, false);   // excluded below
    m.setLineActive(2, false);
    const std::int32_t x = 100, y = 50;      // on line 1
    m.AddIntercept({x, y}, 1, itTriplePoint);
    for (int z : {1, 4}) {
        window->SetZoom(z);
        window->SelectLine(2);  // excluded: never yellow
        const QImage img = pixels();
        EXPECT_EQ(at(img, 60 * z, 90 * z), kGrey) << z;
        EXPECT_EQ(at(img, x * z - 3, y * z), kBlue) << z;
        // Square at the lower right: x+4..x+8, y+4..y+8 in screen pixels.
        EXPECT_EQ(at(img, x * z + 4, y * z + 4), kBlue) << z;
        EXPECT_EQ(at(img, x * z + 8, y * z + 8), kBlue) << z;
        EXPECT_EQ(at(img, x * z + 9, y * z + 8), kBackground) << z;
        // The type-V end mark at (20, 80) is aqua.
        EXPECT_EQ(at(img, 20 * z + 2, 80 * z), 0xFF00FFFFu) << z;
    }
}

TEST_F(ImageWindow, SelectedLineTurnsYellowAndBackToLime)
{
    Measurement& m = main->document().measurementForLoading();
    m.AddTestLine(10, 20, 190, 20, false);
    m.AddTestLine(10, 60, 190, 60, false);
    mode(emSetIntercept);
    move(100, 25);
    EXPECT_EQ(window->selectedLine(), 1);
    EXPECT_EQ(sheet->sheet().currentRow(), 1);
    QImage img = pixels();
    EXPECT_EQ(at(img, 50, 20), kYellow);
    EXPECT_EQ(at(img, 50, 60), kLime);
    move(100, 55);
    EXPECT_EQ(window->selectedLine(), 2);
    img = pixels();
    EXPECT_EQ(at(img, 50, 20), kLime);
    EXPECT_EQ(at(img, 50, 60), kYellow);
}

TEST_F(ImageWindow, MarkerCrossAndDiscAreInvertedAndWipedByARepaint)
{
    Measurement& m = main->document().measurementForLoading();
    m.AddTestLine(10, 50, 190, 50, false);
    m.AddIntercept({100, 50}, 1, itNormal);
    mode(emSetIntercept);
    move(60, 40);  // snaps to (60, 50): a cross
    QImage img = pixels();
    EXPECT_EQ(at(img, 60, 46), kInverted);
    EXPECT_EQ(at(img, 60, 53), kInverted);
    move(102, 40);  // within 5 pixels of the intercept: a disc
    img = pixels();
    EXPECT_EQ(at(img, 60, 46), kBackground);  // the cross is gone
    EXPECT_TRUE(window->editor().markerOnIntercept());
    EXPECT_EQ(at(img, 102, 47), kInverted);  // inside the disc, off the cross of the mark
    window->RepaintOverlay();
    img = pixels();
    EXPECT_EQ(at(img, 102, 47), kBackground);
}

TEST_F(ImageWindow, RubberBandIsDrawnInvertedAndEscapeRemovesIt)
{
    mode(emLine);
    click(10, 10);
    move(60, 10);
    QImage img = pixels();
    EXPECT_EQ(at(img, 10, 10), kInverted);
    EXPECT_EQ(at(img, 35, 10), kInverted);
    EXPECT_EQ(at(img, 60, 10), kBackground);  // the end point is excluded
    // A repaint keeps the open band visible on its layer.
    window->RepaintOverlay();
    img = pixels();
    EXPECT_EQ(at(img, 35, 10), kInverted);
    QTest::keyClick(canvas, Qt::Key_Escape);
    img = pixels();
    EXPECT_EQ(at(img, 35, 10), kBackground);
    EXPECT_EQ(main->document().measurement().lineCount(), 0);
    EXPECT_FALSE(window->editor().rubberBandOpen());
}

TEST_F(ImageWindow, TwoClicksAddALineWithASheetRow)
{
    mode(emLine);
    const int rowsBefore = sheet->sheet().rowCount();
    click(10, 10);
    click(10, 10);
    EXPECT_EQ(main->document().measurement().lineCount(), 0);
    click(10, 80);
    ASSERT_EQ(main->document().measurement().lineCount(), 1);
    EXPECT_GE(sheet->sheet().rowCount(), rowsBefore);
    EXPECT_EQ(sheet->sheet().cell(0, 1).empty(), false);
    const QImage img = pixels();
    EXPECT_EQ(at(img, 10, 40), kLime);
}

TEST_F(ImageWindow, ClickAtZoomFourReachesTwentyScreenPixelsAlongTheLineButTwelveBesideIt)
{
    Measurement& m = main->document().measurementForLoading();
    m.AddTestLine(0, 10, 100, 10, false);
    m.AddIntercept({50, 10}, 1, itNormal);
    window->SetZoom(4);
    mode(emDeleteIntercept);
    // Four image pixels (16 screen pixels) beside the line: nothing, and the status bar says why.
    QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(50 * 4 + 23, 10 * 4 + 16));
    EXPECT_EQ(m.interceptCount(), 3);
    EXPECT_EQ(main->statusBar()->currentMessage(), "No test line here");
    EXPECT_FALSE(main->modified());
    QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(50 * 4 + 23, 10 * 4 + 12));
    EXPECT_EQ(m.interceptCount(), 2);
}

TEST_F(ImageWindow, AClickAtAnyZoomLandsOnThePixelUnderIt)
{
    Measurement& m = main->document().measurementForLoading();
    m.AddTestLine(0, 60, 190, 60, false);
    mode(emSetIntercept);
    for (const Zoom z : {Zoom(1), Zoom(3), Zoom(10), Zoom::Percent(50), Zoom::Percent(33), Zoom::Percent(67)}) {
        window->SetZoom(z);
        for (const int x : {17, 101, 150}) {
            const int before = m.interceptCount();
            QTest::mouseClick(canvas, Qt::LeftButton, {}, screen(x, 60));
            ASSERT_EQ(m.interceptCount(), before + 1) << ZoomCaption(z) << " x " << x;
            // Reduced, a screen pixel holds up to 1/zoom image pixels: the click takes one
            // of those under it.
            EXPECT_NEAR(m.intercept(m.interceptCount()).x, x, 100 / z.percent()) << ZoomCaption(z);
            EXPECT_EQ(m.intercept(m.interceptCount()).y, 60);
            m.DeleteIntercept(m.interceptCount());
        }
    }
}

TEST_F(ImageWindow, DigitKeysChooseTheTypeOnlyInSetMode)
{
    mode(emLine);
    QTest::keyClick(canvas, Qt::Key_3);
    EXPECT_EQ(main->state().currentType, itNormal);
    mode(emSetIntercept);
    QTest::keyClick(canvas, Qt::Key_3, Qt::KeypadModifier);
    EXPECT_EQ(main->state().currentType, itNormal);
    QTest::keyClick(canvas, Qt::Key_3);
    EXPECT_EQ(main->state().currentType, itTriplePoint);
    main->document().AddTestLine(10, 50, 190, 50, false);
    click(100, 50);
    ASSERT_EQ(main->document().measurement().interceptCount(), 3);
    EXPECT_EQ(at(pixels(), 97, 50), kBlue);
}

TEST_F(ImageWindow, DoubleClickAddsThenRetypesAndRightButtonDoesNothing)
{
    main->document().AddTestLine(10, 50, 190, 50, false);
    main->ClearModified();
    mode(emSetIntercept);
    QTest::mouseClick(canvas, Qt::RightButton, {}, QPoint(100, 50));
    EXPECT_EQ(main->document().measurement().interceptCount(), 2);
    EXPECT_FALSE(main->modified());
    QTest::mouseDClick(canvas, Qt::LeftButton, {}, QPoint(100, 50));
    EXPECT_EQ(main->document().measurement().interceptCount(), 3);
}

TEST_F(ImageWindow, SecondPhaseClickMarksTheStretchInRed)
{
    Measurement& m = main->document().measurementForLoading();
    m.AddTestLine(10, 50, 190, 50, false);
    m.AddIntercept({60, 50}, 1, itNormal);
    m.AddIntercept({120, 50}, 1, itNormal);
    mode(emSecondPhase);
    move(90, 40);
    QImage img = pixels();
    EXPECT_EQ(at(img, 90, 49), kInverted);  // the width-3 preview
    click(90, 40);
    ASSERT_EQ(m.segmentCount(), 1);
    img = pixels();
    EXPECT_EQ(at(img, 90, 50), kRed);
    EXPECT_EQ(at(img, 150, 50), kYellow);  // the rest of the selected line
}

TEST_F(ImageWindow, PhotoAtZoomFiveIsDrawnAtImageScaleWithWhiteNumbers)
{
    Measurement& m = main->document().measurementForLoading();
    m.AddTestLine(20, 50, 180, 50, false);
    window->SetZoom(5);
    const QImage photo = window->RenderPhoto();
    EXPECT_EQ(window->zoom(), 5);
    ASSERT_EQ(photo.size(), QSize(200, 100));
    EXPECT_EQ(photo.pixel(100, 50), kLime);
    // The number "1" is written in white just below and right of (20, 50).
    int white = 0;
    for (int y = 50; y < 70; ++y)
        for (int x = 20; x < 40; ++x)
            white += photo.pixel(x, y) == kWhite;
    EXPECT_GT(white, 3);
    const TPixelGraphic g = window->PhotoGraphic();
    EXPECT_EQ(g.GetColor(100, 50), rgb(0, 255, 0));
    EXPECT_EQ(g.GetColor(150, 10), rgb(10, 20, 30));
}

TEST_F(ImageWindow, UndoAfterSixFilterRunsRestoresFiveAndStops)
{
    MeasuringDocument& document = main->document();
    for (int run = 1; run <= 6; ++run)
        document.ApplyImageFilter("Sharpen", [run](TPixelGraphic& image) {
            image.SetPixel(0, 0, static_cast<std::uint32_t>(run));
        });
    EXPECT_EQ(window->undoDepth(), 5);
    for (int expected = 5; expected >= 1; --expected) {
        document.UndoImageStep();
        EXPECT_EQ(window->image().GetPixel(0, 0), static_cast<std::uint32_t>(expected));
    }
    EXPECT_EQ(window->undoDepth(), 0);
    document.UndoImageStep();
    EXPECT_EQ(window->image().GetPixel(0, 0), 1u);
    EXPECT_EQ(at(pixels(), 0, 0), 0xFF010000u);  // the restored pixel is shown
}

TEST_F(ImageWindow, LinesFarOutsideTheImagePaintWithoutHarm)
{
    // Only a damaged file holds such lines; they are drawn as far as they reach the image.
    std::vector<TestLine> lines(2);
    lines[0] = {-2000000000, 50, 2000000000, 50, true, 0, 0, 0, false};
    lines[1] = {-2000000000, -2000000000, 2000000000, 2000000000, true, 0, 0, 0, true};
    main->document().measurementForLoading().setRecords(lines, {}, {});
    window->SetZoom(10);
    window->SetZoom(1);
    const QImage img = pixels();
    EXPECT_EQ(at(img, 100, 50), kLime);
}

class ImageFile : public ImageWindow {
protected:
    ImageFile() : dir(QString::fromStdString(test::makeTempDir("uImage"))) {}
    ~ImageFile() override { QDir(dir).removeRecursively(); }
    QString dir;
};

TEST_F(ImageFile, OpeningResetsCaptionZoomSelectionAndUndo)
{
    const QString path = dir + "/probe.bmp";
    saveImage(solidImage(64, 48, rgb(1, 2, 3)), path.toStdString());
    main->document().AddTestLine(0, 5, 60, 5, false);
    window->SelectLine(1);
    window->SetZoom(3);
    main->document().ApplyImageFilter("Sharpen", [](TPixelGraphic&) {});
    window->ShowImageFile(path);
    EXPECT_EQ(window->windowTitle(), path);
    EXPECT_EQ(window->zoom(), 1);
    EXPECT_EQ(window->baseWidth(), 64);
    EXPECT_EQ(window->baseHeight(), 48);
    EXPECT_EQ(canvas->size(), QSize(64, 48));
    EXPECT_EQ(window->selectedLine(), 0);
    EXPECT_EQ(window->undoDepth(), 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);  // the hourglass is gone again
}

TEST_F(ImageFile, FailedOpenLeavesEverythingAsItWas)
{
    const QString path = dir + "/broken.bmp";
    test::writeFile(path.toStdString(), {'B', 'M', 1, 2, 3});
    window->SetZoom(2);
    main->document().ApplyImageFilter("Sharpen", [](TPixelGraphic&) {});
    EXPECT_THROW(window->ShowImageFile(path), std::exception);
    EXPECT_EQ(window->windowTitle(), "Bild");
    EXPECT_EQ(window->zoom(), 2);
    EXPECT_EQ(window->baseWidth(), 200);
    EXPECT_EQ(window->undoDepth(), 1);
    EXPECT_EQ(canvas->size(), QSize(400, 200));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(HourglassProgress, ShowsTheHourglassWhileWorkRuns)
{
    HourglassProgress busy;
    busy.begin();
    busy.begin();
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    busy.end();
    EXPECT_NE(QApplication::overrideCursor(), nullptr);
    busy.end();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    busy.end();  // unbalanced ends do no harm
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// The painter keeps the raster conventions of the overlay: end points and the right and
// bottom edges of boxes stay free.
TEST(ReplayDisplayList, CoversWhatTheConventionsSay)
{
    QImage img(40, 40, QImage::Format_RGB32);
    img.fill(Qt::black);
    DisplayList list;
    OverlayPrimitive line;
    line.x1 = 2;
    line.y1 = 2;
    line.x2 = 12;
    line.y2 = 2;
    line.colour = 0x00FFFFFF;
    list.push_back(line);
    OverlayPrimitive box;
    box.kind = PrimitiveKind::FillRect;
    box.x1 = 20;
    box.y1 = 20;
    box.x2 = 25;
    box.y2 = 25;
    box.colour = 0x00FFFFFF;
    list.push_back(box);
    OverlayPrimitive ellipse;
    ellipse.kind = PrimitiveKind::Ellipse;
    ellipse.x1 = 2;
    ellipse.y1 = 10;
    ellipse.x2 = 12;
    ellipse.y2 = 20;
    ellipse.colour = 0x00FFFFFF;
    list.push_back(ellipse);
    {
        QPainter p(&img);
        ReplayDisplayList(p, list, img.rect());
    }
    EXPECT_EQ(img.pixel(2, 2), kWhite);
    EXPECT_EQ(img.pixel(11, 2), kWhite);
    EXPECT_EQ(img.pixel(12, 2), 0xFF000000u);
    int count = 0;
    for (int y = 18; y < 28; ++y)
        for (int x = 18; x < 28; ++x)
            count += img.pixel(x, y) == kWhite;
    EXPECT_EQ(count, 25);
    EXPECT_EQ(img.pixel(20, 20), kWhite);
    EXPECT_EQ(img.pixel(24, 24), kWhite);
    // The ellipse touches its box's left and top but not its right column or bottom row.
    bool left = false, right = false, bottom = false;
    for (int y = 10; y < 20; ++y) {
        left |= img.pixel(2, y) == kWhite;
        right |= img.pixel(12, y) == kWhite;
    }
    for (int x = 2; x < 13; ++x)
        bottom |= img.pixel(x, 20) == kWhite;
    EXPECT_TRUE(left);
    EXPECT_FALSE(right);
    EXPECT_FALSE(bottom);
}

}  // namespace
}  // namespace tesra
