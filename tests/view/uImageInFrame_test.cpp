// The image window inside the running program: what the main window shows while the user
// draws and marks in the image (status strip, locked buttons, type buttons, zoom caption).
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QRegion>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/uDialogs.h"
#include "app/uMain.h"
#include "app/uStartup.h"
#include "imaging/formats/image_format.h"
#include "tests/uProgramWithImage.h"
#include "tests/test_support.h"
#include "tests/uWindowPictures.h"
#include "view/uImage.h"

namespace tesra {
namespace {

class ImageInFrame : public test::ProgramWithImage {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(openProgramWith(TPixelGraphic(300, 200, TPixelFormat::pf24Bit), QSize(500, 400)));
    }

    QLabel* info() { return main->findChild<QLabel*>("pInfo"); }
};

TEST_F(ImageInFrame, CircleRubberBandShowsItsLengthAndLocksTheButtons)
{
    press("bAddKreis");
    QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(100, 100));
    for (const char* name : {"bLupePlus", "bLupeMinus", "bZoom", "bLinie", "bSetInter", "bKillInter", "bFail",
                             "bHelp", "bAddKreis", "bAddLinie"})
        EXPECT_FALSE(action(name)->isEnabled()) << name;
    QTest::mouseMove(canvas, QPoint(60, 140));  // pulled to the lower left: side 40
    ASSERT_TRUE(info()->isVisibleTo(main));
    EXPECT_TRUE(info()->text().startsWith("Length: 125"));
    QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(60, 140));
    ASSERT_EQ(main->document().measurement().lineCount(), 1);
    EXPECT_TRUE(main->document().measurement().line(1).isCircle);
    EXPECT_FALSE(info()->isVisibleTo(main));
    for (const char* name : {"bLupePlus", "bZoom", "bLinie", "bAddLinie"})
        EXPECT_TRUE(action(name)->isEnabled()) << name;
    EXPECT_TRUE(main->windowTitle().startsWith("*"));
}

TEST_F(ImageInFrame, DigitKeyPressesTheTypeButtonAndTheStripNamesTheIntercept)
{
    main->document().AddTestLine(20, 50, 280, 50, false);
    press("bSetInter");
    canvas->setFocus();
    QTest::keyClick(canvas, Qt::Key_3);
    EXPECT_TRUE(action("bTyp3")->isChecked());
    EXPECT_FALSE(action("bTyp1")->isChecked());
    QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(150, 60));
    ASSERT_EQ(main->document().measurement().interceptCount(), 3);
    EXPECT_EQ(main->document().measurement().intercept(3).type, itTriplePoint);
    QTest::mouseMove(canvas, QPoint(152, 58));
    EXPECT_TRUE(info()->isVisibleTo(main));
    EXPECT_EQ(info()->text(), "Intercept # 3       Type: 3");
    QTest::mouseMove(canvas, QPoint(200, 58));
    EXPECT_FALSE(info()->isVisibleTo(main));
}

TEST_F(ImageInFrame, ZoomButtonCaptionFollowsTheWindow)
{
    fImage()->SetZoom(4);
    EXPECT_EQ(canvas->size(), QSize(1200, 800));
    EXPECT_EQ(action("bZoom")->text(), "400%");
    press("bLupePlus");
    EXPECT_EQ(fImage()->zoom(), 5);
    EXPECT_EQ(action("bZoom")->text(), "500%");
}

// A click repaints the mark it made and what changed with it, not the whole view.
TEST_F(ImageInFrame, AClickRepaintsOnlyWhatItChanged)
{
    main->document().AddTestLine(20, 50, 280, 50, false);
    main->document().AddTestLine(20, 150, 280, 150, false);
    press("bSetInter");
    QTest::mouseMove(canvas, QPoint(120, 52));
    QApplication::processEvents();
    test::PaintSpy recorder(canvas);
    const QRect view = canvas->visibleRegion().boundingRect();
    auto clickAndCheck = [&](QPoint at) {
        recorder.painted = QRegion();
        QTest::mouseClick(canvas, Qt::LeftButton, {}, at);
        QApplication::processEvents();
        EXPECT_TRUE(recorder.painted.contains(at)) << at.x() << "," << at.y();
        int area = 0;
        for (const QRect& part : recorder.painted)
            area += part.width() * part.height();
        EXPECT_LT(area, view.width() * view.height() / 20) << at.x() << "," << at.y();
    };
    clickAndCheck(QPoint(120, 52));  // a new mark
    canvas->setFocus();
    QTest::keyClick(canvas, Qt::Key_3);
    clickAndCheck(QPoint(120, 52));  // the same mark retyped
    clickAndCheck(QPoint(200, 148));  // a mark on the other line
    const Measurement& m = main->document().measurement();
    ASSERT_EQ(m.interceptCount(), 6);
    EXPECT_EQ(m.intercept(5).type, itTriplePoint);
}

// Another program's window had the focus; the user clicks into the image to come back.
TEST_F(ImageInFrame, TheClickThatActivatesTheFrameNeverEdits)
{
    main->document().AddTestLine(20, 50, 280, 50, false);
    main->ClearModified();
    press("bSetInter");
    QWidget other;
    other.resize(200, 100);
    auto leaveForOther = [&] {
        other.show();
        other.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
        ASSERT_FALSE(main->isActiveWindow());
    };
    const int marks = main->document().measurement().interceptCount();
    auto nothingEdited = [&] {
        EXPECT_EQ(main->document().measurement().interceptCount(), marks);
        EXPECT_FALSE(main->windowTitle().startsWith("*"));
    };

    // The click reaches the frame while it is still inactive: it only activates.
    ASSERT_NO_FATAL_FAILURE(leaveForOther());
    QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(150, 52));
    nothingEdited();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main));
    // The window system activates the frame first and then delivers the click.
    ASSERT_NO_FATAL_FAILURE(leaveForOther());
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main));
    QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(150, 52));
    nothingEdited();
    // The next click is the user's: it marks.
    QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(150, 52));
    EXPECT_EQ(main->document().measurement().interceptCount(), marks + 1);

    // In line mode no rubber band opens and no button is locked.
    press("bLinie");
    ASSERT_NO_FATAL_FAILURE(leaveForOther());
    QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(40, 120));
    EXPECT_TRUE(action("bLupePlus")->isEnabled());
    EXPECT_FALSE(fImage()->editor().rubberBandOpen());
    // Brought back by the keyboard, the user moves to the place and clicks: that edits.
    ASSERT_NO_FATAL_FAILURE(leaveForOther());
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main));
    QTest::mouseMove(canvas, QPoint(60, 120));
    QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(60, 120));
    EXPECT_FALSE(action("bLupePlus")->isEnabled());
}

}  // namespace
}  // namespace tesra
