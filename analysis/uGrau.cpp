#include "analysis/uGrau.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QEvent>
#include <QEventLoop>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QScrollBar>
#include <QTableWidget>
#include <QToolButton>

#include <algorithm>
#include <cmath>
#include <exception>
#include <thread>

#include "analysis/line_geometry.h"
#include "app/measurement/measurement.h"
#include "app/uMain.h"
#include "widgets/uClipboard.h"
#include "widgets/uPanes.h"
#include "widgets/uWindowSupport.h"

namespace tesra {
namespace {

constexpr int kToolsHeight = 40;
constexpr int kButtonLeft = 8;
constexpr int kButtonWidth = 96;
constexpr int kControlTop = 7;
constexpr int kControlHeight = 26;
constexpr int kPanelWidth = 284;
// The row-number column of the segment grids: room for "Mean" and a four-digit number.
constexpr int kNumberColumnWidth = 40;

QTableWidget* makeGrid(QWidget* parent, const char* name, int rows)
{
    auto* grid = new QTableWidget(rows, 3, parent);
    grid->setObjectName(QLatin1String(name));
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setMinimumSectionSize(kGridRowHeight);
    grid->verticalHeader()->setDefaultSectionSize(kGridRowHeight);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setWordWrap(false);
    grid->hide();
    return grid;
}

void setCell(QTableWidget* grid, int row, int column, const QString& text, bool fixed)
{
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    if (fixed) {
        item->setBackground(grid->palette().button());
        item->setFlags(Qt::ItemIsEnabled);
    }
    grid->setItem(row, column, item);
}

std::string cellText(const QTableWidget* grid, int row, int column)
{
    const QTableWidgetItem* item = grid->item(row, column);
    return item ? item->text().toStdString() : std::string();
}

}  // namespace

// The plot surface: shows the bitmap 1:1 (device pixels only scale it, never smooth it) and
// hands mouse moves to the read-out.
class TfGrau::PlotView : public QWidget {
public:
    explicit PlotView(TfGrau* owner) : QWidget(owner), m_owner(owner)
    {
        setObjectName(QStringLiteral("Image"));
        setCursor(Qt::SizeHorCursor);
        setMouseTracking(true);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.fillRect(rect(), Qt::white);
        painter.drawImage(QRect(QPoint(0, 0), m_owner->m_plotImage.size()), m_owner->m_plotImage);
    }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        m_owner->ImageMouseMove(static_cast<int>(std::floor(event->position().x())));
    }

private:
    TfGrau* m_owner;
};

TfGrau* fGrau() { return soleWindow<TfGrau>(); }

TfGrau::TfGrau(MeasuringDocument& document, QWidget* parent) : QWidget(parent), m_doc(document)
{
    soleWindow<TfGrau>() = this;
    setObjectName(QStringLiteral("fGrau"));
    setWindowTitle(qs(GreyWindowCaption()));
    setWindowFlags(windowFlags() | Qt::MSWindowsFixedSizeDialogHint);

    m_tools = new QFrame(this);
    m_tools->setObjectName(QStringLiteral("Tools"));
    m_tools->setWindowTitle(tr("Tools"));
    m_tools->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);

    // One Copy button per view, in the same place; the view shown shows its own.
    const auto copyButton = [this](const char* name, void (TfGrau::*copy)()) {
        auto* button = new QToolButton(m_tools);
        button->setObjectName(QString::fromLatin1(name));
        button->setText(tr("Copy"));
        button->setGeometry(kButtonLeft, kControlTop, kButtonWidth, kControlHeight);
        button->hide();
        connect(button, &QToolButton::clicked, this, copy);
        return button;
    };
    bCopyHist = copyButton("bCopyHist", &TfGrau::bCopyHistClick);
    bCopySeg = copyButton("bCopySeg", &TfGrau::bCopySegClick);

    Panel = new QLabel(m_tools);
    Panel->setObjectName(QStringLiteral("Panel"));
    Panel->setFrameStyle(QFrame::Box | QFrame::Plain);
    Panel->setLineWidth(1);
    Panel->setAutoFillBackground(true);
    QPalette yellow = Panel->palette();
    yellow.setColor(QPalette::Window, QColor(255, 255, 0));
    yellow.setColor(QPalette::WindowText, Qt::black);
    Panel->setPalette(yellow);
    Panel->setAlignment(Qt::AlignCenter);
    Panel->hide();

    Image = new PlotView(this);
    Image->hide();

    Progress = new QProgressBar(this);
    Progress->setObjectName(QStringLiteral("Progress"));
    Progress->setRange(0, 100);
    Progress->setTextVisible(false);
    Progress->hide();

    tSeg = makeGrid(this, "tSeg", 2);
    setCell(tSeg, 0, 1, tr("Length"), true);
    setCell(tSeg, 0, 2, tr("Cal. length"), true);
    tSum = makeGrid(this, "tSum", 2);
    // The segments scroll; their bar is always there so both grids keep the same columns.
    tSeg->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    tSum->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setCell(tSum, 0, 1, tr("Length"), true);
    setCell(tSum, 0, 2, tr("Cal. length"), true);
    setCell(tSum, 0, 0, "", true);
    setCell(tSum, 1, 0, tr("Mean"), true);

    setClientSize(kInitialClientWidth, kInitialClientHeight);
}

TfGrau::~TfGrau()
{
    leaveSoleWindow(this);
}

// ---- Views ----

void TfGrau::ShowProfile(int lineNumber)
{
    tSeg->hide();
    tSum->hide();
    bCopySeg->hide();
    bCopyHist->hide();
    Image->show();
    Panel->show();
    m_segmentView = false;
    setHelpContext(hcGreyProfile);
    m_lineNumber = lineNumber;
    setCaption(ProfileRequestCaption(lineNumber));

    const Measurement& m = m_doc.measurement();
    if (lineNumber < 1 || lineNumber > m.lineCount())
        return;
    static const TPixelGraphic kNoImage;
    const TPixelGraphic* image = currentImage();
    const std::optional<GreyProfile> profile = ComputeGreyProfile(m, image ? *image : kNoImage, lineNumber);
    if (!profile)
        return;
    m_profileLine = lineNumber;
    m_readout.showProfile(*profile);
    showPlot(ProfileViewLayout(static_cast<std::int64_t>(profile->grey.size())));
    setCaption(ProfileCaption(lineNumber));
    PutOnClipboard(ProfileClipboardText(*profile, m_lineNumber, textHeader()));
    bringToFront();
}

void TfGrau::ShowHistogram()
{
    const TPixelGraphic* image = currentImage();
    if (m_counting || !image || image->Width() <= 0 || image->Height() <= 0)
        return;
    m_counting = true;
    setHelpContext(hcGreyHistogram);
    tSeg->hide();
    tSum->hide();
    bCopyHist->hide();
    bCopySeg->hide();
    Panel->show();
    m_segmentView = false;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    setCaption(HistogramCaption());
    setClientSize(kCountingClientWidth, kCountingClientHeight);
    m_tools->hide();
    const int width = image->Width();
    Progress->setRange(0, width);
    Progress->setValue(0);
    Progress->show();
    Progress->raise();

    // The counting runs on a worker so that the window keeps painting and the bar moves; user
    // input waits until the plot is there, so nothing can replace the image meanwhile. The
    // core counts row by row; the bar shows the share counted over the image's width.
    class BarSink : public ProgressSink {
    public:
        BarSink(QProgressBar* bar, int width) : m_bar(bar), m_width(width) {}
        void step(int percent) override
        {
            const int value = static_cast<int>(static_cast<std::int64_t>(percent) * m_width / 100);
            QMetaObject::invokeMethod(m_bar, [bar = m_bar, value] { bar->setValue(value); }, Qt::QueuedConnection);
        }

    private:
        QProgressBar* m_bar;
        int m_width;
    };
    BarSink sink(Progress, width);
    GreyHistogram result;
    std::exception_ptr failure;
    QEventLoop loop;
    std::thread worker([&] {
        try {
            result = ComputeHistogram(*image, &sink);
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();

    Progress->hide();
    m_tools->show();
    QApplication::restoreOverrideCursor();
    m_counting = false;
    if (failure)
        return;  // an image whose pixels cannot be read has no histogram

    m_histogram = result;
    const GreyViewLayout layout = HistogramViewLayout();
    bCopyHist->show();
    Image->show();
    m_readout.showHistogram(m_histogram);
    showPlot(layout);
    bringToFront();
}

void TfGrau::ShowSegments(int lineNumber)
{
    setHelpContext(hcGreySegments);
    setCaption(SegmentCaption(lineNumber));
    const std::optional<SegmentList> list = ComputeSegmentList(m_doc.measurement(), lineNumber);
    if (!list)
        return;
    const SegmentCells cells = FormatSegmentCells(*list, numberLocale());
    const int rows = 1 + static_cast<int>(cells.rows.size());
    tSeg->clearSelection();
    tSeg->setRowCount(rows);
    for (int r = 1; r < rows; ++r)
        for (int c = 0; c < 3; ++c)
            setCell(tSeg, r, c, qs(cells.rows[static_cast<std::size_t>(r - 1)][static_cast<std::size_t>(c)]), false);
    setCell(tSum, 1, 1, qs(cells.meanLength), false);
    setCell(tSum, 1, 2, qs(cells.meanCalibratedLength), false);

    m_segmentView = true;
    m_lineNumber = lineNumber;
    tSeg->show();
    tSum->show();
    bCopySeg->show();
    Image->hide();
    Panel->hide();
    bCopyHist->hide();
    setOuterSize(kSegmentWindowWidth, kSegmentWindowHeight);
    bringToFront();
}

void TfGrau::Collapse()
{
    m_readout.reset();
    setHelpContext(hcGreyWindow);
    setClientSize(kCollapsedClientWidth, kCollapsedClientHeight);
}

// ---- Copy buttons and read-out ----

void TfGrau::bCopyHistClick()
{
    PutOnClipboard(HistogramClipboardText(m_histogram, textHeader(), numberLocale()));
}

void TfGrau::bCopySegClick()
{
    // The text is taken from the grids as they are displayed.
    SegmentCells cells;
    for (int r = 1; r < tSeg->rowCount(); ++r)
        cells.rows.push_back({cellText(tSeg, r, 0), cellText(tSeg, r, 1), cellText(tSeg, r, 2)});
    cells.meanLength = cellText(tSum, 1, 1);
    cells.meanCalibratedLength = cellText(tSum, 1, 2);
    PutOnClipboard(SegmentClipboardText(cells, m_lineNumber, textHeader()));
}

void TfGrau::ImageMouseMove(int x)
{
    int left = 0;
    const std::optional<std::string> text = m_readout.mouseMove(x, numberLocale(), &left);
    if (!text)
        return;
    syncPlotColumn(left);
    syncPlotColumn(x);
    Panel->setText(qs(*text));
}

// ---- Helpers ----

void TfGrau::showPlot(const GreyViewLayout& layout)
{
    const PlotBitmap& plot = m_readout.plot();
    m_plotImage = QImage(plot.width(), plot.height(), QImage::Format_RGB32);
    for (int y = 0; y < plot.height(); ++y) {
        const std::uint32_t* from = plot.row(y);
        auto* to = reinterpret_cast<QRgb*>(m_plotImage.scanLine(y));
        for (int x = 0; x < plot.width(); ++x)
            to[x] = qtColour(from[x]);
    }
    setClientSize(layout.clientWidth, layout.clientHeight);
    Image->setGeometry(layout.imageLeft, layout.imageTop, layout.imageWidth, layout.imageHeight);
    Panel->setGeometry(layout.panelLeft, kControlTop, std::min(kPanelWidth, layout.clientWidth - layout.panelLeft - 8),
                       kControlHeight);
    Image->update();
}

void TfGrau::syncPlotColumn(int x)
{
    const PlotBitmap& plot = m_readout.plot();
    if (x < 0 || x >= plot.width() || x >= m_plotImage.width())
        return;
    for (int y = 0; y < plot.height(); ++y)
        m_plotImage.setPixel(x, y, qtColour(plot.pixel(x, y)));
    Image->update(x, 0, 1, plot.height());
}

void TfGrau::setHelpContext(int context)
{
    if (context == m_helpContext)
        return;
    m_helpContext = context;
    emit helpContextChanged(context);
}

void TfGrau::setCaption(const std::string& caption) { setWindowTitle(qs(caption)); }

void TfGrau::setClientSize(int width, int height)
{
    // The views have their sizes; a pane smaller than the view scrolls.
    setFixedSize(width, height);
    placeControls();
}

void TfGrau::setOuterSize(int width, int height)
{
    QSize border(0, 0);
    if (isWindow())
        border = frameGeometry().size() - size();
    setClientSize(std::max(0, width - border.width()), std::max(0, height - border.height()));
}

void TfGrau::placeControls()
{
    const int w = width();
    const int h = height();
    m_tools->setGeometry(0, 0, w, kToolsHeight);
    Progress->setGeometry(0, 0, w, kCountingClientHeight);
    const int gridTop = kToolsHeight;
    // The summary shows its title row and "Mean" whole, without scroll bars of its own.
    const int sumHeight = 2 * kGridRowHeight + 2 * tSum->frameWidth();
    tSum->setGeometry(0, std::max(gridTop, h - sumHeight), w, sumHeight);
    tSeg->setGeometry(0, gridTop, w, std::max(0, h - sumHeight - gridTop));
    // The two value columns share the width beside the segment grid's scroll bar, so that
    // nothing scrolls sideways and the summary's columns stand under the segments' columns.
    const int scrollBar = tSeg->verticalScrollBar()->sizeHint().width();
    const int values = std::max(0, w - 2 * tSeg->frameWidth() - scrollBar - kNumberColumnWidth);
    for (QTableWidget* grid : {tSeg, tSum}) {
        grid->setColumnWidth(0, kNumberColumnWidth);
        grid->setColumnWidth(1, values / 2);
        grid->setColumnWidth(2, values - values / 2);
    }
}

void TfGrau::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeControls();
}

void TfGrau::bringToFront() { ShowPane(this); }

const TPixelGraphic* TfGrau::currentImage() const
{
    if (m_image)
        return m_image;
    // Nothing to show before the first image.
    if (m_doc.image().Width() > 0)
        return &m_doc.image();
    return nullptr;
}

NumberLocale TfGrau::numberLocale() const
{
    if (m_locale)
        return *m_locale;
    return m_doc.numberLocale();
}

GreyTextHeader TfGrau::textHeader() const
{
    GreyTextHeader header;
    if (m_dateTime) {
        header.dateTime = m_dateTime();
    } else {
        header.dateTime = ClipboardDateTime(QLocale(), QDateTime::currentDateTime()).toStdString();
    }
    if (TfMain* main = fMain())
        header.fileName = main->imageFileName().toStdString();
    header.remark = m_doc.calibrationTexts().fields().tInfo;
    return header;
}

}  // namespace tesra
