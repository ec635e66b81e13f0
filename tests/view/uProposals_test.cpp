// Proposed crossings in the running program: "Propose" in intercept mode shows hollow marks,
// a click rejects one or takes it back, Enter makes the kept ones intercepts and the sheet
// counts them, Escape and leaving the mode discard them. Real clicks and keys throughout.
#include <QLocale>
#include <QStatusBar>

#include "results/uTabelle.h"
#include "tests/uProgramWithImage.h"
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

class Proposals : public test::ProgramWithImage {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(openProgramWith(boundaries(), QSize(640, 320)));
        main->applyLocale(QLocale(QLocale::German, QLocale::Germany));
        // Two test lines across every boundary.
        press("bLinie");
        drawLine(20, 60, 500, 60);
        drawLine(20, 140, 500, 140);
        press("bSetInter");
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
        for (const Intercept& k : main->document().measurement().intercepts())
            n += k.type == type;
        return n;
    }
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
    EXPECT_EQ(main->document().measurement().interceptCount(), 4) << "nothing is marked before Enter";

    QTest::keyClick(canvas, Qt::Key_Return);
    EXPECT_FALSE(fImage()->proposals().active());
    EXPECT_EQ(main->document().measurement().interceptCount(), 4 + 7);
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
    ASSERT_EQ(main->document().measurement().interceptCount(), 4 + 7);

    // Proposing again offers only the place still unmarked.
    press("bPropose");
    ASSERT_EQ(fImage()->proposals().count(), 1);
    EXPECT_EQ(pixelAt(200, 134), kOrange);
    QTest::keyClick(canvas, Qt::Key_Escape);
    EXPECT_FALSE(fImage()->proposals().active());
    EXPECT_EQ(main->document().measurement().interceptCount(), 4 + 7);
    EXPECT_EQ(status(), "Proposals discarded.");
    EXPECT_NE(pixelAt(200, 134), kOrange);

    press("bPropose");
    ASSERT_TRUE(fImage()->proposals().active());
    press("bLinie");
    EXPECT_FALSE(fImage()->proposals().active());
    EXPECT_EQ(main->document().measurement().interceptCount(), 4 + 7);
    // A click where a proposal was is an ordinary intercept click again.
    press("bSetInter");
    clickImage(200, 140);
    EXPECT_EQ(main->document().measurement().interceptCount(), 4 + 8);
}

TEST_F(Proposals, OneUndoTakesAllAcceptedProposalsBack)
{
    press("bPropose");
    QTest::keyClick(canvas, Qt::Key_Return);
    ASSERT_EQ(main->document().measurement().interceptCount(), 4 + 8);
    ASSERT_EQ(intersections(1), 4.5);
    QTest::keyClick(main, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(main->document().measurement().interceptCount(), 4);
    EXPECT_EQ(intersections(1), 0);
    EXPECT_EQ(intersections(2), 0);
    QTest::keyClick(main, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(main->document().measurement().interceptCount(), 4 + 8);
    EXPECT_EQ(intersections(2), 4.5);
}

}  // namespace
}  // namespace tesra
