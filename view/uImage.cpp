#include "view/uImage.h"

#include "view/uScaleBar.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QRegion>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QVBoxLayout>

#include <algorithm>

#include "app/help_topics.h"
#include "app/main_window_rules.h"
#include "app/uDialogs.h"
#include "app/uHelp.h"
#include "app/uLanguage.h"
#include "app/uMain.h"
#include "imaging/formats/image_format.h"
#include "results/uTabelle.h"
#include "view/image_raster.h"
#include "widgets/uWindowSupport.h"

namespace tesra {
namespace {

// `TempImage`: the magnified image with the overlay; it has the image's size times the zoom
// and receives the mouse.
class ImageCanvas : public QWidget {
public:
    ImageCanvas(TfImage* owner, QWidget* parent) : QWidget(parent), m_owner(owner)
    {
        setObjectName("TempImage");
        setCursor(Qt::CrossCursor);
        setMouseTracking(true);
        // Every exposed pixel is painted from the image; nothing to clear first.
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFocusPolicy(Qt::ClickFocus);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        m_owner->paintCanvas(painter, event->rect());
    }
    bool event(QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::WindowActivate:
            // Back from another window that may have covered the image: the window system
            // delivers the click that activated us right after, and that click only brings
            // the window to the front. A click refused while inactive already did that.
            m_activationClick = m_leftForOther && !m_refusedWhileInactive;
            m_leftForOther = false;
            m_refusedWhileInactive = false;
            break;
        case QEvent::WindowDeactivate:
            m_activationClick = false;
            m_leftForOther = !ownToolWindowActive();
            break;
        default: break;
        }
        return QWidget::event(event);
    }
    // The canvas shows no focus: gaining or losing it repaints nothing (the default repaints
    // the whole visible image at the first click).
    void focusInEvent(QFocusEvent*) override {}
    void focusOutEvent(QFocusEvent*) override {}
    // A double click reaches mousePressEvent through QWidget's default handler: it acts as
    // a second click at the same place.
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() != Qt::LeftButton)
            return;
        // The click that activates the window never edits: the user could not see what
        // lay under it (another window covered the image) and meant only to come back here.
        if (!isActiveWindow() && !ownToolWindowActive()) {
            m_refusedWhileInactive = true;
            activateWindow();
            return;
        }
        if (m_activationClick) {
            m_activationClick = false;
            return;
        }
        const QPoint p = event->position().toPoint();
        m_owner->canvasPress(p.x(), p.y());
    }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        const QPoint p = event->position().toPoint();
        // The mouse moved after the activation (the keyboard brought the window back, and the
        // user aims now): the next click is meant for the image.
        if (p != m_lastMove)
            m_activationClick = false;
        m_lastMove = p;
        m_owner->canvasMove(p.x(), p.y());
    }

private:
    // Our own tool windows (the calibration dialog) stay above the frame, so a click into
    // the image beside them hits what the user sees: it edits as usual.
    bool ownToolWindowActive() const
    {
        const QWidget* active = QApplication::activeWindow();
        return active && active != window() && active->windowType() == Qt::Tool && active->parentWidget()
               && active->parentWidget()->window() == window();
    }

    TfImage* m_owner;
    QPoint m_lastMove{-1, -1};
    bool m_leftForOther = false;
    bool m_activationClick = false;
    bool m_refusedWhileInactive = false;
};

QColor colourOf(std::uint32_t c) { return QColor(redOf(c), greenOf(c), blueOf(c)); }

QRect qtRect(const ScreenBox& b) { return QRect(b.left, b.top, b.right - b.left, b.bottom - b.top); }

// The outline of an ellipse or arc in a box whose right column and bottom row stay free:
// a painter's outline of a w × h rectangle covers w + 1 columns.
QRect outlineRect(const OverlayPrimitive& p) { return QRect(p.x1, p.y1, p.x2 - p.x1 - 1, p.y2 - p.y1 - 1); }

bool warnWithBox(const std::string& caption, const std::string& text, WarningButtons buttons)
{
    BoxRequest request;
    request.caption = QString::fromStdString(caption);
    request.text = QString::fromStdString(text);
    request.icon = BoxIcon::Warning;
    request.buttons = buttons == WarningButtons::Ok ? BoxButtons::Ok : BoxButtons::YesNo;
    const BoxAnswer answer = ShowMessageBox(fImage(), request);
    return answer != BoxAnswer::No;
}

}  // namespace

TfImage* fImage() { return soleWindow<TfImage>(); }

// ---- Hourglass ----

HourglassProgress::~HourglassProgress()
{
    while (m_depth > 0)
        end();
}

void HourglassProgress::begin()
{
    if (m_depth++ == 0)
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

void HourglassProgress::end()
{
    if (m_depth == 0)
        return;
    if (--m_depth == 0)
        QApplication::restoreOverrideCursor();
}

// ---- Replaying the overlay ----

void ReplayDisplayList(QPainter& painter, const DisplayList& list, const QRect& clip)
{
    const ScreenBox clipBox{clip.left(), clip.top(), clip.right() + 1, clip.bottom() + 1};
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (const OverlayPrimitive& p : list) {
        if (!primitiveBounds(p).intersects(clipBox))
            continue;
        const bool invert = p.mode == PenMode::Invert;
        painter.setCompositionMode(invert ? QPainter::RasterOp_NotDestination : QPainter::CompositionMode_SourceOver);
        const QColor colour = invert ? QColor(Qt::white) : colourOf(p.colour);
        QPen pen(colour, p.penWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        switch (p.kind) {
        case PrimitiveKind::Line:
            if (p.x1 == p.x2 && p.y1 == p.y2)
                break;
            painter.setPen(pen);
            painter.setBrush(Qt::NoBrush);
            painter.drawLine(p.x1, p.y1, p.x2, p.y2);
            break;
        case PrimitiveKind::Ellipse:
            if (p.x2 <= p.x1 || p.y2 <= p.y1)
                break;
            if (p.filled) {
                // One fill covers outline and interior, so every pixel is inverted once.
                painter.setPen(Qt::NoPen);
                painter.setBrush(colour);
                painter.drawEllipse(qtRect({p.x1, p.y1, p.x2, p.y2}));
            } else {
                painter.setPen(pen);
                painter.setBrush(Qt::NoBrush);
                painter.drawEllipse(outlineRect(p));
            }
            break;
        case PrimitiveKind::Arc:
            if (p.x2 <= p.x1 || p.y2 <= p.y1)
                break;
            painter.setPen(pen);
            painter.setBrush(Qt::NoBrush);
            painter.drawArc(outlineRect(p), p.startAngle16, p.spanAngle16);
            break;
        case PrimitiveKind::FillRect:
            painter.fillRect(qtRect({p.x1, p.y1, p.x2, p.y2}), colour);
            break;
        case PrimitiveKind::Text: {
            painter.setPen(colour);
            painter.setBrush(Qt::NoBrush);
            painter.setBackgroundMode(Qt::TransparentMode);
            const int ascent = painter.fontMetrics().ascent();
            painter.drawText(QPoint(p.x1, p.y1 + ascent), QString::fromStdString(p.text));
            break;
        }
        }
    }
    painter.restore();
}

// ---- The window ----

TfImage::TfImage(MeasuringDocument& document, QWidget* parent)
    : QWidget(parent), m_doc(document), m_editor(document, *this)
{
    soleWindow<TfImage>() = this;
    setObjectName("fImage");
    setWindowTitle(tr("Bild"));
    resize(510, 332);
    SetHelpContext(this, help::kImageWindow);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName("ScrollBar");
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setBackgroundRole(QPalette::Button);
    m_scroll->setWidgetResizable(false);
    m_scroll->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(m_scroll);
    m_canvas = new ImageCanvas(this, m_scroll);
    m_canvas->resize(0, 0);
    m_scroll->setWidget(m_canvas);
    // The overview frame follows the view, not the painting.
    connect(m_scroll->horizontalScrollBar(), &QScrollBar::valueChanged, this, &TfImage::viewMoved);
    connect(m_scroll->verticalScrollBar(), &QScrollBar::valueChanged, this, &TfImage::viewMoved);

    // The form sees keys before its controls.
    m_scroll->installEventFilter(this);
    m_canvas->installEventFilter(this);
    setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(m_canvas);

    if (fMain())
        fMain()->ZoomChanged(1);
    m_subscription = m_doc.subscribe([this](unsigned changes) { documentChanged(changes); });
}

TfImage::~TfImage()
{
    m_doc.unsubscribe(m_subscription);
    leaveSoleWindow(this);
}

void TfImage::ShowImageFile(const QString& fileName)
{
    TPixelGraphic loaded;
    // Inside the program the main window's options apply: progress in its status area,
    // warnings through its message boxes, and its status line for images shown differently.
    FormatOptions options;
    if (fMain()) {
        options = fMain()->fileOptions();
    } else {
        options.progress = &m_busy;
        options.warning = warnWithBox;
    }
    // A failure leaves document, caption, zoom and view state as they were.
    loadImage(fileName.toStdString(), loaded, options);

    m_doc.setImage(std::move(loaded));
    m_halves.clear();
    m_reduced = QImage();
    setWindowTitle(fileName);
    m_editor.imageOpened(m_doc.image().Width(), m_doc.image().Height());
    m_review.clear();
    zoomChanged(Zoom(), QPoint());
}

void TfImage::ReplaceImage(TPixelGraphic image)
{
    m_doc.setImage(std::move(image));
    imageChanged();
}

void TfImage::imageChanged()
{
    const TPixelGraphic& image = m_doc.image();
    if (image.Width() != m_editor.baseWidth() || image.Height() != m_editor.baseHeight()) {
        m_halves.clear();
        m_reduced = QImage();
        m_editor.imageOpened(image.Width(), image.Height());
        zoomChanged(Zoom(), QPoint());
        return;
    }
    PixelsChanged();
}

void TfImage::PixelsChanged()
{
    m_halves.clear();
    m_reduced = QImage();
    prepareReduced();
    RepaintOverlay();
}

void TfImage::documentChanged(unsigned changes)
{
    if (changes & dcImage) {
        imageChanged();
        return;
    }
    if (changes & (dcMeasurement | dcCalibration)) {
        m_editor.linesChanged();
        // Only what changed is painted again.
        refreshOverlay();
    }
}

namespace {

QPoint centreOf(const QWidget* viewport) { return QPoint(viewport->width() / 2, viewport->height() / 2); }

}  // namespace

void TfImage::ZoomIn() { SetZoom(ZoomStep(zoom(), 1)); }

void TfImage::ZoomOut() { SetZoom(ZoomStep(zoom(), -1)); }

void TfImage::SetZoom(Zoom zoom) { SetZoomAt(zoom, centreOf(m_scroll->viewport())); }

void TfImage::SetZoomAt(Zoom zoom, QPoint viewportPoint)
{
    const Zoom old = m_editor.zoom();
    if (!m_editor.setZoom(zoom))
        return;
    zoomChanged(old, viewportPoint);
}

Zoom TfImage::fitZoom() const
{
    const QSize room = m_scroll->maximumViewportSize();
    return FitZoom(m_editor.baseWidth(), m_editor.baseHeight(), room.width(), room.height());
}

void TfImage::FitWhenLarger()
{
    const Zoom fit = fitZoom();
    if (fit.percent() < 100)
        SetZoom(fit);
}

void TfImage::CentreOn(int x, int y)
{
    const Zoom z = zoom();
    const QSize client = clientSize();
    m_scroll->horizontalScrollBar()->setValue(static_cast<int>(z.toScreen(x)) - client.width() / 2);
    m_scroll->verticalScrollBar()->setValue(static_cast<int>(z.toScreen(y)) - client.height() / 2);
}

void TfImage::zoomChanged(Zoom oldZoom, QPoint keep)
{
    QScrollBar* h = m_scroll->horizontalScrollBar();
    QScrollBar* v = m_scroll->verticalScrollBar();
    const int oldX = h->value(), oldY = v->value();
    const Zoom z = m_editor.zoom();
    m_canvas->resize(z.screenSize(m_editor.baseWidth()), z.screenSize(m_editor.baseHeight()));
    prepareReduced();
    if (!keep.isNull()) {
        h->setValue(ScrollKeepingPoint(oldX, keep.x(), oldZoom, z));
        v->setValue(ScrollKeepingPoint(oldY, keep.y(), oldZoom, z));
    }
    if (fMain())
        fMain()->ZoomChanged(z);
    RepaintOverlay();
    viewMoved();
}

void TfImage::viewMoved()
{
    if (fMain())
        fMain()->UpdateOverviewFrame();
}

QImage TfImage::shrunk(int width, int height)
{
    if (width <= 0 || height <= 0 || m_doc.image().Width() <= 0 || m_doc.image().Height() <= 0)
        return QImage();
    // The smallest halved copy still at least as large as wanted; the image itself when even
    // the half is smaller.
    while (true) {
        const int w = m_halves.empty() ? m_doc.image().Width() : m_halves.back().width;
        const int h = m_halves.empty() ? m_doc.image().Height() : m_halves.back().height;
        if ((w + 1) / 2 < width || (h + 1) / 2 < height || w < 2 || h < 2)
            break;
        m_halves.push_back(m_halves.empty() ? HalfScreenRaster(m_doc.image()) : HalfScreenRaster(m_halves.back()));
    }
    int level = static_cast<int>(m_halves.size()) - 1;
    while (level >= 0 && (m_halves[level].width < width || m_halves[level].height < height))
        --level;
    if (level < 0) {
        // Images under twice the wanted size: converted whole (small by that rule).
        QImage whole(m_doc.image().Width(), m_doc.image().Height(), QImage::Format_RGB32);
        CopyScreenPixels(m_doc.image(), 0, 0, m_doc.image().Width(), m_doc.image().Height(), reinterpret_cast<std::uint32_t*>(whole.bits()),
                         static_cast<std::size_t>(whole.bytesPerLine() / 4));
        return whole.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    const ScreenRaster& source = m_halves[level];
    const QImage view(reinterpret_cast<const uchar*>(source.pixels.data()), source.width, source.height,
                      static_cast<qsizetype>(source.width) * 4, QImage::Format_RGB32);
    return view.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

void TfImage::prepareReduced()
{
    const Zoom z = zoom();
    if (z.percent() >= 100) {
        m_reduced = QImage();
        return;
    }
    const QSize size(z.screenSize(m_doc.image().Width()), z.screenSize(m_doc.image().Height()));
    if (m_reduced.size() != size)
        m_reduced = shrunk(size.width(), size.height());
}

QImage TfImage::Thumbnail(int width, int height) { return shrunk(width, height); }

void TfImage::RepaintOverlay()
{
    m_editor.overlayRepainted();
    m_overlay = m_editor.overlay(false);
    m_canvas->update();
}

void TfImage::refreshOverlay()
{
    m_editor.overlayRepainted();
    updateOverlay();
}

void TfImage::updateOverlay()
{
    DisplayList now = m_editor.overlay(false);
    const std::vector<ScreenBox> changed = ChangedBoxes(m_overlay, now);
    m_overlay = std::move(now);
    // A few marks repaint as they are; many (a line with all its marks, a long renumbering)
    // as the one box around them, which is cheaper than a region of thousands of pieces.
    constexpr std::size_t kMostPieces = 64;
    if (changed.size() > kMostPieces) {
        ScreenBox all = changed.front();
        for (const ScreenBox& box : changed)
            all = {std::min(all.left, box.left), std::min(all.top, box.top), std::max(all.right, box.right),
                   std::max(all.bottom, box.bottom)};
        invalidate(all);
        return;
    }
    QRegion region;
    for (const ScreenBox& box : changed)
        region += qtRect(box);
    if (!region.isEmpty())
        m_canvas->update(region);
}

void TfImage::PaintOverlay(QPainter& painter, bool forExport)
{
    const QRect all = painter.device() ? QRect(0, 0, painter.device()->width(), painter.device()->height())
                                       : QRect(-(1 << 29), -(1 << 29), 1 << 30, 1 << 30);
    ReplayDisplayList(painter, m_editor.overlay(forExport), all);
    if (!forExport)
        m_editor.overlayRepainted();
}

QImage TfImage::RenderPhoto(const std::optional<ScaleBar>& bar)
{
    const TPixelGraphic& image = m_doc.image();
    QImage photo(image.Width(), image.Height(), QImage::Format_RGB32);
    if (photo.isNull())
        return photo;
    CopyScreenPixels(image, 0, 0, image.Width(), image.Height(), reinterpret_cast<std::uint32_t*>(photo.bits()),
                     static_cast<std::size_t>(photo.bytesPerLine() / 4));
    QPainter painter(&photo);
    PaintOverlay(painter, true);
    if (bar)
        PaintScaleBar(painter, *bar, photo.size());
    return photo;
}

TPixelGraphic TfImage::PhotoGraphic(const std::optional<ScaleBar>& bar)
{
    const QImage photo = RenderPhoto(bar);
    TPixelGraphic out(photo.width(), photo.height(), TPixelFormat::pf24Bit);
    for (int y = 0; y < photo.height(); ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(photo.constScanLine(y));
        std::uint8_t* dst = out.rowData(y);
        for (int x = 0; x < photo.width(); ++x) {
            dst[3 * x] = static_cast<std::uint8_t>(qBlue(src[x]));
            dst[3 * x + 1] = static_cast<std::uint8_t>(qGreen(src[x]));
            dst[3 * x + 2] = static_cast<std::uint8_t>(qRed(src[x]));
        }
    }
    return out;
}

void TfImage::SelectLine(int n) { m_editor.selectLine(n); }

int TfImage::horizontalScroll() const { return m_scroll->horizontalScrollBar()->value(); }
int TfImage::verticalScroll() const { return m_scroll->verticalScrollBar()->value(); }
QSize TfImage::clientSize() const { return m_scroll->viewport()->size(); }

// ---- Painting ----

void TfImage::paintCanvas(QPainter& painter, const QRect& exposed)
{
    drawImagePart(painter, exposed);
    ReplayDisplayList(painter, m_editor.overlay(false), exposed);
    ReplayDisplayList(painter, m_review.overlay(m_editor.zoom()), exposed);
    for (FeedbackKind kind : {FeedbackKind::RubberBand, FeedbackKind::Preview, FeedbackKind::Marker})
        ReplayDisplayList(painter, m_editor.feedback(kind), exposed);
}

void TfImage::drawImagePart(QPainter& painter, const QRect& exposed)
{
    if (zoom().percent() < 100) {
        const QRect shown = exposed & m_reduced.rect();
        if (shown != exposed)
            painter.fillRect(exposed, palette().color(QPalette::Button));
        if (!shown.isEmpty())
            painter.drawImage(shown.topLeft(), m_reduced, shown);
        return;
    }
    const int z = zoom().factor();
    const int x0 = std::max(0, exposed.left() / z);
    const int y0 = std::max(0, exposed.top() / z);
    const TPixelGraphic& image = m_doc.image();
    const int x1 = std::min(image.Width(), exposed.right() / z + 1);
    const int y1 = std::min(image.Height(), exposed.bottom() / z + 1);
    if (x1 <= x0 || y1 <= y0) {
        painter.fillRect(exposed, palette().color(QPalette::Button));
        return;
    }
    const int w = x1 - x0, h = y1 - y0;
    // The tile grows to the largest part painted so far, at most the visible area.
    if (m_tile.width() < w || m_tile.height() < h)
        m_tile = QImage(std::max(w, m_tile.width()), std::max(h, m_tile.height()), QImage::Format_RGB32);
    CopyScreenPixels(image, x0, y0, w, h, reinterpret_cast<std::uint32_t*>(m_tile.bits()),
                     static_cast<std::size_t>(m_tile.bytesPerLine() / 4));
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QRect(x0 * z, y0 * z, w * z, h * z), m_tile, QRect(0, 0, w, h));
}

void TfImage::invalidate(const ScreenBox& box)
{
    if (!box.isEmpty())
        m_canvas->update(qtRect(box));
}

// ---- Mouse and keys ----

void TfImage::canvasPress(int x, int y)
{
    if (proposalPress(x, y))
        return;
    m_editor.leftPress(x, y);
}

void TfImage::canvasMove(int x, int y) { m_editor.mouseMove(x, y); }

bool TfImage::handleKey(QKeyEvent* event)
{
    if (m_review.active()) {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            AcceptProposals();
            return true;
        }
        if (event->key() == Qt::Key_Escape) {
            DiscardProposals();
            return true;
        }
    }
    int key = 0;
    if (event->key() == Qt::Key_Escape)
        key = kKeyEscape;
    else if (event->key() >= Qt::Key_1 && event->key() <= Qt::Key_6 && !(event->modifiers() & Qt::KeypadModifier))
        key = kKeyDigit1 + (event->key() - Qt::Key_1);
    return key != 0 && m_editor.keyDown(key);
}

void TfImage::keyPressEvent(QKeyEvent* event)
{
    if (handleKey(event))
        return;
    QWidget::keyPressEvent(event);
}

bool TfImage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && handleKey(static_cast<QKeyEvent*>(event)))
        return true;
    return QWidget::eventFilter(watched, event);
}

void TfImage::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    viewMoved();
}

// ---- Proposed crossings ----

int TfImage::ProposeCrossings(const std::vector<int>& lines, const ProposalSettings& settings, ProgressSink* progress)
{
    {
        HourglassProgress busy;
        busy.begin();
        const Measurement& m = m_doc.measurement();
        m_review.start(ProposeForLines(m_doc.image(), m, lines, settings, progress), m);
    }
    m_canvas->update();
    m_canvas->setFocus();
    if (m_review.active())
        showProposalStatus(tr("Proposed crossings: %1. Enter accepts them, a click on one rejects it or takes it "
                              "back, Escape discards them.")
                               .arg(m_review.count()));
    else
        showProposalStatus(tr("No crossings found."));
    return m_review.count();
}

void TfImage::AcceptProposals()
{
    if (!m_review.active())
        return;
    const std::vector<AcceptedCrossing> kept = m_review.keptCrossings(m_doc.measurement());
    m_review.clear();
    int added = 0;
    // The accepted crossings are one step: one undo takes them all back.
    m_doc.editMeasurement(edit_text::kAcceptProposals,
                          [&](Measurement& m) { added = AddAcceptedCrossings(m, kept); });
    RepaintOverlay();
    showProposalStatus(tr("Intercepts added from the proposals: %1.").arg(added));
}

void TfImage::DiscardProposals()
{
    if (!m_review.active())
        return;
    m_review.clear();
    m_canvas->update();
    showProposalStatus(tr("Proposals discarded."));
}

bool TfImage::proposalPress(int x, int y)
{
    if (!m_review.active() || editState().mode != emSetIntercept)
        return false;
    const int i = m_review.proposalAt(x, y, m_editor.zoom());
    if (i < 0)
        return false;
    m_review.toggle(i);
    invalidate(m_review.bounds(i, m_editor.zoom()));
    showProposalStatus(tr("Proposed crossings kept: %1 of %2. Enter accepts them, Escape discards them.")
                           .arg(m_review.keptCount())
                           .arg(m_review.count()));
    return true;
}

void TfImage::showProposalStatus(const QString& text)
{
    if (fMain())
        fMain()->statusBar()->showMessage(text);
}

// ---- What the editing asks of the window and its neighbours ----

EditState TfImage::editState() const { return m_doc.editState(); }

bool TfImage::addCircleDown() const { return fMain() && fMain()->AddCircleDown(); }

void TfImage::setModified()
{
    if (fMain())
        fMain()->SetModified();
}

void TfImage::showInfo(const std::string& text)
{
    if (fMain())
        fMain()->ShowInfo(CoreText(text));
}

void TfImage::hideInfo()
{
    if (fMain())
        fMain()->HideInfo();
}

void TfImage::showCalibrationDistance(long double pixels)
{
    if (fMain())
        fMain()->ShowCalibrationDistance(pixels);
}

void TfImage::showMagnifier(PixelPoint p)
{
    if (fMain())
        fMain()->ShowMagnifier(p.x, p.y);
}

void TfImage::setLockedButtonsEnabled(bool enabled)
{
    if (fMain())
        fMain()->SetLockedButtonsEnabled(enabled);
}

void TfImage::pressTypeButton(InterceptType type)
{
    if (fMain()) {
        fMain()->PressTypeButton(type);
        return;
    }
    m_doc.editState().currentType = type;
}

void TfImage::selectLineRow(int line)
{
    if (fTabelle())
        fTabelle()->SelectLineRow(line);
}

void TfImage::showStatus(const std::string& text)
{
    if (fMain())
        fMain()->ShowStatus(CoreText(text));
}

void TfImage::highlightChanged(int, int) { updateOverlay(); }

void TfImage::feedbackChanged(FeedbackKind, const DisplayList& oldShape, const DisplayList& shape)
{
    invalidate(listBounds(oldShape));
    invalidate(listBounds(shape));
}

}  // namespace tesra
