// The grey-value window on the offscreen platform: sizes, captions and help contexts of its
// three views, the rendered plots, the read-out under real mouse moves, the Copy buttons and
// the clipboard in both its forms.
#include "analysis/uGrau.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QDockWidget>
#include <QMainWindow>
#include <QMimeData>
#include <QPointer>
#include <QProgressBar>
#include <QScrollBar>
#include <QStyleFactory>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <cmath>

#include "app/measurement/measurement.h"
#include "widgets/uPanes.h"
#include "tests/uWindowPictures.h"

namespace tesra {
namespace {

constexpr QRgb kBlue = 0xFF0000FF;
constexpr QRgb kFuchsia = 0xFFFF00FF;
constexpr QRgb kGreen = 0xFF008000;
constexpr QRgb kBand = 0xFFDDDDDD;
constexpr QRgb kWhite = 0xFFFFFFFF;

class GrauTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        document.calibrationTexts().fields().tInfo = "Probe 4";
        window.setImage(&image);
        window.setNumberLocale(NumberLocale::German());
        window.setDateTimeSource([] { return std::string("07.12.2026 14:03:09"); });
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    // An image whose every pixel has the given grey value (as its green component).
    void fillImage(int width, int height, int grey)
    {
        image.SetSize(width, height, TPixelFormat::pf24Bit);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                image.SetPixel(x, y, rgb(7, grey, 9));
    }

    template <typename T>
    T* child(const char* name)
    {
        T* w = window.findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QWidget* plot() { return child<QWidget>("Image"); }
    QString panelText() { return child<QLabel>("Panel")->text(); }
    void moveOverPlot(int x) { QTest::mouseMove(plot(), QPoint(x, 100)); }

    // The window as the user sees it, and a pixel of the plot in it.
    QRgb plotPixel(const QImage& shot, int x, int y)
    {
        const QPoint at = plot()->mapTo(&window, QPoint(x, y));
        return shot.pixel(at);
    }

    static QStringList clipboardLines()
    {
        QStringList lines = QGuiApplication::clipboard()->text().split(QStringLiteral("\r\n"));
        EXPECT_EQ(lines.last(), QString());  // the last line ends in CR LF too
        lines.removeLast();
        return lines;
    }
    static QByteArray clipboardAnsi()
    {
        return QGuiApplication::clipboard()->mimeData()->data(QStringLiteral("text/plain;charset=windows-1252"));
    }

    MeasuringDocument document;
    TPixelGraphic image;
    TfGrau window{document};
};

TEST_F(GrauTest, StartsEmptyWithItsCaption)
{
    EXPECT_EQ(window.size(), QSize(136, 1));
    EXPECT_EQ(window.windowTitle(), "Grays");
    EXPECT_EQ(window.ViewMode(), 0);
    EXPECT_EQ(window.CursorX(), -10);
    EXPECT_EQ(window.property("helpContext").toInt(), 3130);
    EXPECT_EQ(fGrau(), &window);
}

TEST_F(GrauTest, ShortLineProfileIsCentredAndCopied)
{
    fillImage(60, 10, 200);
    document.AddTestLine(10, 5, 50, 5, false);
    QGuiApplication::clipboard()->clear();

    window.ShowProfile(1);
    EXPECT_EQ(window.size(), QSize(300, 296));
    EXPECT_EQ(plot()->geometry(), QRect(130, 40, 40, 256));
    EXPECT_EQ(window.windowTitle(), "Grays for line # 1");
    EXPECT_EQ(window.property("helpContext").toInt(), 3131);
    EXPECT_EQ(window.ViewMode(), 1);
    EXPECT_EQ(window.CursorX(), -10);
    EXPECT_EQ(window.ProfileLine(), 1);
    EXPECT_TRUE(child<QLabel>("Panel")->isVisible());
    EXPECT_FALSE(child<QToolButton>("bCopyHist")->isVisible());
    EXPECT_EQ(child<QLabel>("Panel")->x(), 8);

    const QStringList lines = clipboardLines();
    ASSERT_EQ(lines.size(), 6 + 39);
    EXPECT_EQ(lines[0], "Tesra gray values 07.12.2026 14:03:09");
    EXPECT_EQ(lines[2], "Remark: Probe 4");
    EXPECT_EQ(lines[3], "Line: 1");
    EXPECT_EQ(lines[5], "Pixel\tGray");
    EXPECT_EQ(lines[44], "39\t200");
    EXPECT_EQ(clipboardAnsi().size(), QGuiApplication::clipboard()->text().toUtf8().size());
}

TEST_F(GrauTest, LongLineSetsThePlotWidth)
{
    fillImage(520, 30, 90);
    document.AddTestLine(0, 0, 500, 17, false);  // 500.29 pixels long
    window.ShowProfile(1);
    EXPECT_EQ(window.size(), QSize(501, 296));
    EXPECT_EQ(plot()->geometry(), QRect(0, 40, 501, 256));
    EXPECT_EQ(window.plotImage().size(), QSize(501, 256));
}

TEST_F(GrauTest, PlotPixelsOfAHandMadeProfile)
{
    // Left half grey 60, right half grey 180; a line across the middle row with a type III
    // intercept at column 10 and a second-phase stretch from 20 to 30.
    image.SetSize(40, 5, TPixelFormat::pf24Bit);
    for (int x = 0; x < 40; ++x)
        for (int y = 0; y < 5; ++y)
            image.SetPixel(x, y, rgb(0, x < 20 ? 60 : 180, 0));
    Measurement& m = document.measurementForLoading();
    m.AddTestLine(0, 2, 40, 2, false);
    m.AddIntercept({10, 2}, 1, itTriplePoint);
    m.AddIntercept({20, 2}, 1, itNormal);
    m.AddIntercept({30, 2}, 1, itNormal);
    ASSERT_FALSE(m.TogglePhaseSegment(4, 5).refused());

    window.ShowProfile(1);
    const QImage shot = window.grab().toImage();
    EXPECT_EQ(plotPixel(shot, 5, 255 - 60), kFuchsia);
    EXPECT_EQ(plotPixel(shot, 35, 255 - 180), kFuchsia);
    EXPECT_EQ(plotPixel(shot, 10, 0), kBlue);   // the intercept's line
    EXPECT_EQ(plotPixel(shot, 10, 250), kBlue);
    EXPECT_EQ(plotPixel(shot, 14, 7), kGreen);  // top of its "3", three columns to the right
    EXPECT_EQ(plotPixel(shot, 13, 7), kWhite);
    EXPECT_EQ(plotPixel(shot, 25, 250), kBand);
    EXPECT_EQ(plotPixel(shot, 31, 250), kWhite);
    EXPECT_EQ(plotPixel(shot, 9, 0), kWhite);
    // The jump of 120 at column 20 shows as an increment point at 128 − 60 = 68.
    EXPECT_EQ(plotPixel(shot, 20, 68), qRgb(128, 128, 128));
}

TEST_F(GrauTest, FlatProfileReadsGreyAndIncrementUnderTheMouse)
{
    fillImage(60, 10, 127);
    document.AddTestLine(10, 5, 50, 5, false);
    window.ShowProfile(1);
    moveOverPlot(20);
    EXPECT_EQ(panelText(), "Position: 50%   Gray: 127   Increment: 0");
    EXPECT_EQ(window.CursorX(), 20);
    // The cursor line is drawn inverted into the plot and leaves it clean when it moves on.
    EXPECT_EQ(window.plotImage().pixel(20, 10), qRgb(0, 0, 0));
    moveOverPlot(21);
    EXPECT_EQ(window.plotImage().pixel(20, 10), kWhite);
    EXPECT_EQ(window.plotImage().pixel(21, 10), qRgb(0, 0, 0));
}

TEST_F(GrauTest, CircleReadsDegrees)
{
    fillImage(40, 40, 30);
    document.AddTestLine(2, 2, 30, 30, true);  // side 28, length 28π ≈ 87.96
    window.ShowProfile(1);
    moveOverPlot(22);  // a quarter of the length
    EXPECT_TRUE(panelText().startsWith(QString::fromUtf8("Position: 90\u00b0   Gray: 30"))) << panelText().toStdString();
}

TEST_F(GrauTest, LineOutOfRangeKeepsThePlot)
{
    fillImage(60, 10, 200);
    document.AddTestLine(10, 5, 50, 5, false);
    window.ShowProfile(1);
    const QImage before = window.plotImage();
    QGuiApplication::clipboard()->setText(QStringLiteral("mine"));

    window.ShowProfile(7);
    EXPECT_EQ(window.windowTitle(), "Linie analysis of line # 7");
    EXPECT_EQ(window.LineNumber(), 7);
    EXPECT_EQ(window.ProfileLine(), 1);
    EXPECT_EQ(window.plotImage(), before);
    EXPECT_EQ(window.size(), QSize(300, 296));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "mine");
    moveOverPlot(20);  // still reads the plot of line 1
    EXPECT_TRUE(panelText().startsWith("Position: 50%   Gray: 200"));
}

TEST_F(GrauTest, HistogramBarsReadOutAndCopy)
{
    // 20 × 10 pixels: 150 of grey 128, 50 of grey 3.
    fillImage(20, 10, 128);
    for (int x = 0; x < 5; ++x)
        for (int y = 0; y < 10; ++y)
            image.SetPixel(x, y, rgb(0, 3, 0));
    auto* progress = child<QProgressBar>("Progress");
    int lastValue = -1;
    int maximum = 0;
    QObject::connect(progress, &QProgressBar::valueChanged, [&](int v) {
        lastValue = v;
        maximum = progress->maximum();
    });

    window.ShowHistogram();
    EXPECT_EQ(window.windowTitle(), "Histogram");
    EXPECT_EQ(window.property("helpContext").toInt(), 3132);
    EXPECT_EQ(window.size(), QSize(400, 241));
    EXPECT_EQ(plot()->geometry(), QRect(72, 40, 256, 201));
    EXPECT_EQ(child<QLabel>("Panel")->x(), 112);
    EXPECT_TRUE(child<QToolButton>("bCopyHist")->isVisible());
    EXPECT_FALSE(progress->isVisible());
    EXPECT_EQ(maximum, 20);
    EXPECT_EQ(lastValue, 20);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(window.ViewMode(), 2);

    const QImage shot = window.grab().toImage();
    EXPECT_EQ(plotPixel(shot, 128, 200), kBlue);
    EXPECT_EQ(plotPixel(shot, 128, 1), kBlue);  // the tallest bar is 200 high
    EXPECT_EQ(plotPixel(shot, 128, 0), kWhite);
    EXPECT_EQ(plotPixel(shot, 3, 134), kBlue);  // R(50 × 200 / 150) = 67
    EXPECT_EQ(plotPixel(shot, 3, 133), kWhite);
    EXPECT_EQ(plotPixel(shot, 4, 200), kWhite);

    moveOverPlot(128);
    EXPECT_EQ(panelText(), "Position: 128   Count: 150");

    QTest::mouseClick(child<QToolButton>("bCopyHist"), Qt::LeftButton);
    const QStringList lines = clipboardLines();
    ASSERT_EQ(lines.size(), 261);
    EXPECT_EQ(lines[0], "Tesra histogram 07.12.2026 14:03:09");
    EXPECT_EQ(lines[4], QString::fromUtf8("Gray\tCounts\t***normierte H\u00e4ufigkeit***"));
    EXPECT_EQ(lines[8], "3\t50\t0,25000000");
    double sum = 0;
    for (int j = 5; j < 261; ++j)
        sum += lines[j].section('\t', 2).replace(',', '.').toDouble();
    EXPECT_NEAR(sum, 1.0, 1e-7);
    const QByteArray ansi = clipboardAnsi();
    EXPECT_NE(ansi.indexOf("H\xe4ufigkeit"), -1);
    EXPECT_TRUE(ansi.endsWith("255\t0\t0,00000000\r\n"));
}

TEST_F(GrauTest, HistogramNeedsAnImage)
{
    window.ShowHistogram();
    EXPECT_EQ(window.windowTitle(), "Grays");
    EXPECT_EQ(window.ViewMode(), 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(GrauTest, SegmentGridsAndTheirText)
{
    fillImage(60, 10, 100);
    Measurement& m = document.measurementForLoading();
    m.AddTestLine(0, 5, 40, 5, false);  // ends at 0 and 40
    m.AddIntercept({30, 5}, 1, itNormal);
    m.AddIntercept({12, 5}, 1, itNormal);
    m.calibration.scale = 0.5L;

    window.ShowSegments(1);
    EXPECT_EQ(window.windowTitle(), "Interception lengths of line 1");
    EXPECT_EQ(window.property("helpContext").toInt(), 3133);
    EXPECT_EQ(window.frameGeometry().size(), QSize(207, 450));  // the outer size
    EXPECT_EQ(window.ViewMode(), 0);  // the segment view keeps the mode
    auto* seg = child<QTableWidget>("tSeg");
    auto* sum = child<QTableWidget>("tSum");
    EXPECT_TRUE(seg->isVisible());
    EXPECT_TRUE(child<QToolButton>("bCopySeg")->isVisible());
    EXPECT_FALSE(plot()->isVisible());
    ASSERT_EQ(seg->rowCount(), 4);
    EXPECT_EQ(seg->item(0, 1)->text(), "Length");
    EXPECT_EQ(seg->item(0, 2)->text(), "Cal. length");
    EXPECT_EQ(seg->item(2, 0)->text(), "2");
    EXPECT_EQ(seg->item(2, 1)->text(), "18,000");
    EXPECT_EQ(seg->item(2, 2)->text(), "9,000");
    EXPECT_EQ(seg->rowHeight(1), 18);
    EXPECT_EQ(seg->item(1, 1)->textAlignment() & Qt::AlignRight, Qt::AlignRight);
    EXPECT_EQ(sum->item(1, 0)->text(), "Mean");
    EXPECT_EQ(sum->item(1, 1)->text(), "10,000");
    EXPECT_EQ(sum->item(1, 2)->text(), "5,000");
    EXPECT_EQ(sum->geometry().bottom(), window.height() - 1);

    QTest::mouseClick(child<QToolButton>("bCopySeg"), Qt::LeftButton);
    const QStringList lines = clipboardLines();
    ASSERT_EQ(lines.size(), 6 + 3 + 4);
    EXPECT_EQ(lines[3], "Line: 1");
    EXPECT_EQ(lines[5], "Segment # \tLength [Pixel]\tCalibrated length");
    EXPECT_EQ(lines[6], "1\t12,000\t6,000");
    EXPECT_EQ(lines[8], "3\t10,000\t5,000");
    EXPECT_EQ(lines[10], " \tLength [Pixel]\tCalibrated length");
    EXPECT_EQ(lines[11], "Mean\t10,000\t5,000");
    EXPECT_EQ(lines[12], "Std. deviation\t\t");
}

TEST_F(GrauTest, LineWithOneInterceptKeepsTheGrids)
{
    fillImage(60, 60, 100);
    Measurement& m = document.measurementForLoading();
    m.AddTestLine(0, 5, 40, 5, false);
    m.AddTestLine(10, 10, 40, 40, true);  // a circle has no end intercepts
    m.AddIntercept({40, 25}, 2, itNormal);
    window.ShowSegments(1);
    auto* seg = child<QTableWidget>("tSeg");
    ASSERT_EQ(seg->rowCount(), 2);

    window.ShowSegments(2);
    EXPECT_EQ(window.windowTitle(), "Interception lengths of line 2");
    EXPECT_EQ(window.LineNumber(), 1);
    EXPECT_EQ(seg->rowCount(), 2);
    EXPECT_EQ(seg->item(1, 1)->text(), "40,000");
    window.ShowSegments(9);
    EXPECT_EQ(seg->item(1, 1)->text(), "40,000");
}

TEST_F(GrauTest, CollapseForgetsTheView)
{
    fillImage(60, 10, 127);
    document.AddTestLine(10, 5, 50, 5, false);
    window.ShowProfile(1);
    moveOverPlot(20);
    window.Collapse();
    EXPECT_EQ(window.size(), QSize(104, 0));
    EXPECT_EQ(window.ViewMode(), 0);
    EXPECT_EQ(window.CursorX(), -10);
    const QString before = panelText();
    window.ImageMouseMove(10);
    EXPECT_EQ(panelText(), before);
}

TEST_F(GrauTest, PlotStaysPixelExactAtDoubleDensity)
{
    fillImage(60, 10, 127);
    document.AddTestLine(10, 5, 50, 5, false);
    window.ShowProfile(1);
    QImage shot(plot()->size() * 2, QImage::Format_RGB32);
    shot.setDevicePixelRatio(2);
    plot()->render(&shot);
    const QImage& surface = window.plotImage();
    for (int y = 0; y < surface.height(); ++y)
        for (int x = 0; x < surface.width(); ++x)
            for (int k = 0; k < 4; ++k)
                ASSERT_EQ(shot.pixel(2 * x + k % 2, 2 * y + k / 2), surface.pixel(x, y)) << x << "," << y;
}

// The window in a pane of a frame, as the program shows it.
class TfGrauInFrame : public ::testing::Test {
protected:
    void SetUp() override
    {
        area.resize(900, 700);
        area.setCentralWidget(new QWidget(&area));
        window = new TfGrau(document);
        window->setImage(&image);
        frame = AddPane(&area, window, Qt::RightDockWidgetArea);
        area.resizeDocks({frame}, {400}, Qt::Horizontal);
        area.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&area));
        QTest::qWait(10);
    }

    MeasuringDocument document;
    TPixelGraphic image{400, 10, TPixelFormat::pf24Bit};
    QMainWindow area;
    TfGrau* window = nullptr;
    QDockWidget* frame = nullptr;
};

TEST_F(TfGrauInFrame, ClosablePaneKeepsTheViewsSizesAndComesBackWithTheNextView)
{
    document.AddTestLine(0, 5, 40, 5, false);
    EXPECT_TRUE(frame->features() & QDockWidget::DockWidgetClosable);

    window->ShowProfile(1);
    EXPECT_EQ(window->size(), QSize(300, 296));
    EXPECT_EQ(frame->windowTitle(), "Grays for line # 1");
    EXPECT_EQ(window->minimumSize(), window->maximumSize());  // the view's own size
    window->ShowSegments(1);
    EXPECT_EQ(window->size(), QSize(207, 450));

    // Closed, it waits hidden for the next view.
    const QPointer<TfGrau> alive = window;
    frame->close();
    QApplication::processEvents();
    ASSERT_TRUE(alive);
    EXPECT_FALSE(frame->isVisible());
    window->ShowProfile(1);
    EXPECT_TRUE(frame->isVisible());
    EXPECT_TRUE(window->isVisible());
}

// Twenty segments: the list scrolls, nothing scrolls sideways, "Mean" stands whole below it,
// and the window is painted to its border.
TEST_F(TfGrauInFrame, SegmentWindowShowsEveryColumnAndTheMeanWhole)
{
    document.AddTestLine(0, 5, 390, 5, false);
    for (int i = 1; i < 20; ++i)
        document.AddIntercept({i * 19, 5}, 1, itNormal);
    window->setNumberLocale(NumberLocale::German());
    window->ShowSegments(1);
    QApplication::processEvents();
    auto* seg = window->findChild<QTableWidget*>("tSeg");
    auto* sum = window->findChild<QTableWidget*>("tSum");
    EXPECT_FALSE(seg->horizontalScrollBar()->isVisible());
    EXPECT_FALSE(sum->horizontalScrollBar()->isVisible());
    EXPECT_FALSE(sum->verticalScrollBar()->isVisible());
    for (int c = 0; c < 3; ++c) {
        const QRect mean = sum->visualRect(sum->model()->index(1, c));
        EXPECT_TRUE(sum->viewport()->rect().contains(mean)) << c;
        EXPECT_EQ(sum->columnViewportPosition(c), seg->columnViewportPosition(c)) << c;
        EXPECT_TRUE(seg->viewport()->rect().contains(seg->visualRect(seg->model()->index(0, c)))) << c;
    }
    EXPECT_EQ(sum->item(1, 0)->text(), "Mean");

    // What lies behind the window shows in a colour no control uses.
    const QColor behind(255, 0, 255);
    QWidget* viewport = window->parentWidget();
    viewport->setObjectName("behind");
    viewport->setStyleSheet("#behind { background: rgb(255, 0, 255); }");
    QApplication::processEvents();
    const QImage picture = frame->grab().toImage();
    const QRect client(window->mapTo(frame, QPoint(0, 0)), window->size());
    // A gap shows the frame's background across the window; a stray grey pixel of a glyph
    // does not count.
    int unpainted = 0;
    for (int y = client.top(); y <= client.bottom(); ++y) {
        int background = 0;
        for (int x = client.left(); x <= client.right(); ++x)
            background += picture.pixelColor(x, y) == behind;
        unpainted += background > client.width() / 4;
    }
    EXPECT_EQ(unpainted, 0);
    // The mean's digits are drawn whole: dark pixels in the upper and the lower half of its cell.
    const QRect cell = sum->visualRect(sum->model()->index(1, 1))
                           .translated(sum->viewport()->mapTo(frame, QPoint(0, 0)));
    int upper = 0;
    int lower = 0;
    for (int y = cell.top(); y <= cell.bottom(); ++y)
        for (int x = cell.left(); x <= cell.right(); ++x)
            if (qGray(picture.pixel(x, y)) < 100)
                ++(y < cell.center().y() ? upper : lower);
    EXPECT_GT(upper, 10);
    EXPECT_GT(lower, 10);
}

TEST_F(TfGrauInFrame, LengthStripIsYellowInEveryStyle)
{
    document.AddTestLine(10, 5, 50, 5, false);
    window->ShowProfile(1);
    auto* panel = window->findChild<QLabel*>("Panel");
    ASSERT_TRUE(panel->isVisible());
    const QString before = QApplication::style()->name();
    for (const char* name : {"Fusion", "Windows"}) {
        QApplication::setStyle(QStyleFactory::create(name));
        QApplication::processEvents();
        const QRect inside(panel->mapTo(window, QPoint(3, 3)), panel->size() - QSize(6, 6));
        EXPECT_EQ(test::MostFrequentColour(window->grab().toImage(), inside), QColor(255, 255, 0)) << name;
    }
    QApplication::setStyle(QStyleFactory::create(before));
}

}  // namespace
}  // namespace tesra
