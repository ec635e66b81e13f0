// The image window inside the running program: what the main window shows while the user
// draws and marks in the image (status strip, locked buttons, type buttons, zoom caption).
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
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

}  // namespace
}  // namespace tesra
