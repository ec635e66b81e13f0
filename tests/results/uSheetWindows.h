#pragma once
// A small driver for the window tests of the result sheet and the calibration dialog: the
// program's windows, a measurement of three lines made as the image window makes it, the
// grid's cells as the user sees and clicks them, and message boxes answered by the test.
#include <QApplication>
#include <QImage>
#include <QLocale>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "app/measurement/measurement.h"
#include "app/uDialogs.h"
#include "app/uMain.h"
#include "results/uKalibieren.h"
#include "results/uTabelle.h"
#include "widgets/uClipboard.h"
#include "view/uImage.h"
#include "widgets/uAlignedGrid.h"
#include "tests/uUserSteps.h"

namespace tesra::test {

inline QLocale GermanLocale() { return QLocale(QLocale::German, QLocale::Germany); }
inline QLocale EnglishLocale() { return QLocale(QLocale::English, QLocale::UnitedStates); }

class SheetWindows : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetBoxHandler([this](const BoxRequest& request) {
            boxes.push_back(request);
            return nextAnswer;
        });
        main = std::make_unique<TfMain>();
        image = std::make_unique<TfImage>(main->document());
        kalibieren = std::make_unique<TfKalibieren>(main->document(), main.get());
        tabelle = std::make_unique<TfTabelle>(main->document());
        useLocale(GermanLocale());
        tabelle->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(tabelle.get()));
    }

    void TearDown() override
    {
        SetBoxHandler({});
        tabelle.reset();
        kalibieren.reset();
        image.reset();
        main.reset();
    }

    MeasuringDocument& document() { return main->document(); }
    const Measurement& measurement() { return main->document().measurement(); }
    void useLocale(const QLocale& locale) { main->applyLocale(locale); }

    // A line drawn in the image, as the image window makes it: an edit of the document.
    void addLine(int x1, int y1, int x2, int y2, bool circle = false)
    {
        document().AddTestLine(x1, y1, x2, y2, circle);
    }
    void addIntercept(int line, int x, int y) { document().AddIntercept({x, y}, line, itNormal); }

    // Line 1: 1234 pixels with 10 intercepts; line 2: 300 pixels with 4; line 3: a circle of
    // diameter 100 with 13.
    void measureThreeLines()
    {
        addLine(0, 10, 1234, 10);
        for (int j = 1; j <= 10; ++j)
            addIntercept(1, 100 * j, 10);
        addLine(0, 50, 300, 50);
        for (int j = 1; j <= 4; ++j)
            addIntercept(2, 50 * j, 50);
        addLine(0, 100, 100, 200, true);
        for (int j = 0; j < 13; ++j) {
            const double a = j * 2 * M_PI / 13;
            addIntercept(3, static_cast<int>(std::lround(50 + 50 * std::cos(a))),
                         static_cast<int>(std::lround(150 + 50 * std::sin(a))));
        }
    }

    // A dark image behind the measurement, shown in the image window.
    QWidget* showImage(int width, int height)
    {
        TPixelGraphic picture(width, height, TPixelFormat::pf24Bit);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x)
                picture.SetPixel(x, y, rgb(10, 20, 30));
        }
        image->ReplaceImage(std::move(picture));
        image->resize(700, 400);
        image->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(image.get()));
        return image->findChild<QWidget*>("TempImage");
    }

    TAlignedGrid* grid() const { return tabelle->Tabelle(); }
    TAlignedGrid* sums() const { return tabelle->Tabelle2(); }
    QString cellText(int col, int row) const { return grid()->cellText(col, row); }
    QString sumText(int col, int row) const { return sums()->cellText(col, row); }

    // The centre of a line row's cell in the grid's viewport, where the mouse goes.
    QPoint cellCentre(int col, int row) const
    {
        return grid()->visualRect(grid()->model()->index(row - 1, col)).center();
    }
    void clickRow(int row) { QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, cellCentre(3, row)); }
    void doubleClickRow(int row)
    {
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, cellCentre(3, row));
        QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, cellCentre(3, row));
    }

    // The grid as drawn on screen, and a pixel near the top-left corner of a cell (away from
    // its text and mark).
    QImage rendered(QWidget* widget) const { return widget->grab().toImage(); }
    QColor cornerPixel(const QImage& picture, TAlignedGrid* g, int col, int row) const
    {
        return picture.pixelColor(g->cellRect(col, row).topLeft() + QPoint(2, 2));
    }
    // Dark pixels (text or mark) inside a cell.
    int darkPixels(const QImage& picture, TAlignedGrid* g, int col, int row) const
    {
        const QRect r = g->cellRect(col, row).adjusted(1, 1, -1, -1);
        int count = 0;
        for (int y = r.top(); y <= r.bottom(); ++y) {
            for (int x = r.left(); x <= r.right(); ++x) {
                if (qGray(picture.pixel(x, y)) < 100)
                    ++count;
            }
        }
        return count;
    }

    std::unique_ptr<TfMain> main;
    std::unique_ptr<TfImage> image;
    std::unique_ptr<TfKalibieren> kalibieren;
    std::unique_ptr<TfTabelle> tabelle;
    std::vector<BoxRequest> boxes;
    BoxAnswer nextAnswer = BoxAnswer::Ok;
};

}  // namespace tesra::test
