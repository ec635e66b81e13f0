// Proposed crossings in the running program: "Propose" in intercept mode shows hollow marks,
// a click rejects one or takes it back, Enter makes the kept ones intercepts and the sheet
// counts them, Escape and leaving the mode discard them. Real clicks and keys throughout.
#include <QApplication>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/uDialogs.h"
#include "app/uMain.h"
#include "app/uStartup.h"
#include "imaging/formats/image_format.h"
#include "results/uTabelle.h"
#include "tests/test_support.h"
#include "view/uImage.h"
#include "widgets/uAlignedGrid.h"

namespace tesra {
namespace {

// Grains of grey 180 split by dark boundaries two pixels wide at x = 100, 200 and 300, and a
// triple junction where two boundaries run four pixels apart at x = 400 and 404.
TPixelGraphic boundaries()
{
    TPixelGraphic image(520, 200, TPixelFormat::pf24Bit);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 520; ++x) {
            const int d = x % 100;
            const bool dark = ((d == 0 || d == 1) && x >= 100 && x <= 400) || x == 404 || x == 405;
            image.SetPixel(x, y, dark ? rgb(40, 40, 40) : rgb(180, 180, 180));
        }
    return image;
}

class Proposals : public ::testing::Test {
protected:
    void SetUp() override
    {
        TheMeasurement().ClearMeasurement();
        dir = test::makeTempDir("proposals");
        const std::string path = dir + "/boundaries.bmp";
        saveImage(boundaries(), path);
        SetFileHandler([path](const FileRequest&) { return FileAnswer{QString::fromStdString(path), 0}; });
        SetBoxHandler([](const BoxRequest&) { return BoxAnswer::Yes; });
        main = CreateProgramWindows();
        main->resize(1300, 900);
        main->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main));
        press("bLaden");
        ASSERT_NE(fImage(), nullptr);
        canvas = fImage()->findChild<QWidget*>("TempImage");
        ASSERT_NE(canvas, nullptr);
        auto* sub = qobject_cast<QMdiSubWindow*>(fImage()->parentWidget());
        ASSERT_NE(sub, nullptr);
        sub->mdiArea()->setActiveSubWindow(sub);
        sub->setGeometry(0, 0, 640, 320);
        QApplication::processEvents();
        fTabelle()->applyLocale(QLocale(QLocale::German, QLocale::Germany));
        // Two test lines across every boundary.
        press("bLinie");
        drawLine(20, 60, 500, 60);
        drawLine(20, 140, 500, 140);
        press("bSetInter");
    }
    void TearDown() override
    {
        main->ClearModified();
        delete main;
        SetFileHandler({});
        SetBoxHandler({});
        TheMeasurement().ClearMeasurement();
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }

    void press(const char* name)
    {
        QApplication::processEvents();
        QToolButton* b = main->findChild<QToolButton*>(name);
        ASSERT_NE(b, nullptr) << name;
        ASSERT_TRUE(b->isVisible() && b->isEnabled()) << name;
        QTest::mouseClick(b, Qt::LeftButton);
    }
    void clickImage(int x, int y)
    {
        QTest::mouseMove(canvas, QPoint(x, y));
        QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(x, y));
    }
    void drawLine(int x1, int y1, int x2, int y2)
    {
        clickImage(x1, y1);
        QTest::mouseMove(canvas, QPoint((x1 + x2) / 2, (y1 + y2) / 2));
        clickImage(x2, y2);
    }
    QColor pixelAt(int x, int y) { return canvas->grab().toImage().pixelColor(x, y); }
    QString status() { return main->statusBar()->currentMessage(); }
    double intersections(int line)
    {
        QString text = fTabelle()->findChild<TAlignedGrid*>("Tabelle")->cellText(5, line);
        text.remove('.').replace(',', '.');
        return text.toDouble();
    }
    int interceptsOfType(int type)
    {
        int n = 0;
        for (const Intercept& k : TheMeasurement().intercepts())
            n += k.type == type;
        return n;
    }

    TfMain* main = nullptr;
    QWidget* canvas = nullptr;
    std::string dir;
};

const QColor kOrange(255, 128, 0);
const QColor kGrey(160, 160, 160);

TEST_F(Proposals, ClickRejectsOneAndEnterMakesTheKeptOnesIntercepts)
{
    press("bPropose");
    // Four on each line: three crossings and the triple junction, as hollow orange rings
    // (the top of the ring of the crossing at x = 100 on the first line lies at y = 54).
    ASSERT_EQ(fImage()->proposals().count(), 8);
    EXPECT_TRUE(status().startsWith("Proposed crossings: 8.")) << status().toStdString();
    EXPECT_EQ(pixelAt(100, 54), kOrange);
    EXPECT_EQ(pixelAt(100, 60), QColor(0, 255, 0)) << "the ring is hollow: the line shows inside";

    // The first line's crossing at x = 100 is rejected, taken back, and rejected again.
    clickImage(100, 60);
    EXPECT_EQ(pixelAt(100, 54), kGrey);
    clickImage(101, 61);
    EXPECT_EQ(pixelAt(100, 54), kOrange);
    clickImage(100, 60);
    EXPECT_TRUE(status().startsWith("Proposed crossings kept: 7 of 8.")) << status().toStdString();
    EXPECT_EQ(TheMeasurement().interceptCount(), 4) << "nothing is marked before Enter";

    QTest::keyClick(canvas, Qt::Key_Return);
    EXPECT_FALSE(fImage()->proposals().active());
    EXPECT_EQ(TheMeasurement().interceptCount(), 4 + 7);
    EXPECT_EQ(interceptsOfType(itTriplePoint), 2);
    // Types I and III weigh 1 and 1.5: the sheet counts 3.5 and 4.5 intersections.
    EXPECT_EQ(intersections(1), 3.5);
    EXPECT_EQ(intersections(2), 4.5);
    EXPECT_TRUE(main->windowTitle().startsWith("*"));
    EXPECT_TRUE(status() == "Intercepts added from the proposals: 7.") << status().toStdString();
    EXPECT_NE(pixelAt(200, 54), kOrange);
    EXPECT_NE(pixelAt(100, 54), kGrey);
}

TEST_F(Proposals, EscapeAndLeavingTheModeDiscardThem)
{
    press("bPropose");
    clickImage(200, 140);  // rejected, so it stays unmarked
    QTest::keyClick(canvas, Qt::Key_Return);
    ASSERT_EQ(TheMeasurement().interceptCount(), 4 + 7);

    // Proposing again offers only the place still unmarked.
    press("bPropose");
    ASSERT_EQ(fImage()->proposals().count(), 1);
    EXPECT_EQ(pixelAt(200, 134), kOrange);
    QTest::keyClick(canvas, Qt::Key_Escape);
    EXPECT_FALSE(fImage()->proposals().active());
    EXPECT_EQ(TheMeasurement().interceptCount(), 4 + 7);
    EXPECT_EQ(status(), "Proposals discarded.");
    EXPECT_NE(pixelAt(200, 134), kOrange);

    press("bPropose");
    ASSERT_TRUE(fImage()->proposals().active());
    press("bLinie");
    EXPECT_FALSE(fImage()->proposals().active());
    EXPECT_EQ(TheMeasurement().interceptCount(), 4 + 7);
    // A click where a proposal was is an ordinary intercept click again.
    press("bSetInter");
    clickImage(200, 140);
    EXPECT_EQ(TheMeasurement().interceptCount(), 4 + 8);
}

}  // namespace
}  // namespace tesra
