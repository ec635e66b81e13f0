#include "view/uQVTransImage.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

#include <vector>

#include "view/bitmap_region.h"

namespace tesra {
namespace {

// Joins each batch of runs into the region under construction: one union per batch.
class QRegionSink : public RegionSink {
public:
    bool unite(std::span<const RegionRect> batch) override
    {
        m_rects.clear();
        m_rects.reserve(batch.size());
        for (const RegionRect& r : batch)
            m_rects.emplace_back(r.left, r.top, r.right - r.left, r.bottom - r.top);
        // The runs are sorted by row, then by column, one pixel high and never touching:
        // the banded form a region is made of, so it takes them as they are.
        QRegion part;
        part.setRects(m_rects.data(), static_cast<int>(m_rects.size()));
        if (part.isEmpty())
            return false;
        m_region = m_region.isEmpty() ? part : m_region.united(part);
        return true;
    }
    QRegion region() const { return m_region; }

private:
    QRegion m_region;
    std::vector<QRect> m_rects;
};

}  // namespace

TQVTransImage::TQVTransImage(QWidget* parent) : QWidget(parent)
{
    setObjectName("TransImage");
    if (parent) {
        setGeometry(parent->rect());
        parent->installEventFilter(this);
    }
}

void TQVTransImage::setPicture(const QImage& picture)
{
    m_picture = picture;
    updateGeometry();
    update();
}

QSize TQVTransImage::sizeHint() const { return m_picture.isNull() ? QWidget::sizeHint() : m_picture.size(); }

std::optional<QRegion> TQVTransImage::BitmapToRegion(const QImage& bitmap, const QColor& colour, int tolerance)
{
    if (bitmap.isNull())
        return std::nullopt;
    // One 32-bit value per pixel, blue lowest: the layout the scan expects.
    const QImage pixels = bitmap.convertToFormat(QImage::Format_RGB32);
    if (pixels.isNull())
        return std::nullopt;
    const BitmapView view{reinterpret_cast<const std::uint32_t*>(pixels.constBits()), pixels.width(),
                          pixels.height(), pixels.bytesPerLine() / 4};
    const QColor rgb = colour.toRgb();
    const std::uint32_t key = static_cast<std::uint32_t>(rgb.red()) |
                              (static_cast<std::uint32_t>(rgb.green()) << 8) |
                              (static_cast<std::uint32_t>(rgb.blue()) << 16);
    QRegionSink sink;
    if (!tesra::BitmapToRegion(view, key, tolerance, sink))
        return std::nullopt;
    return sink.region();
}

void TQVTransImage::ApplyShape()
{
    QWidget* form = parentWidget();
    if (!form || !form->isWindow())
        return;
    // Changing a window's flags hides it; a shown window is shown again.
    const bool wasVisible = form->isVisible();
    form->setWindowFlag(Qt::FramelessWindowHint, true);
    if (m_adjustFormSize && !m_picture.isNull()) {
        form->resize(m_picture.size());
        setGeometry(form->rect());
    }
    if (wasVisible)
        form->show();

    const std::optional<QRegion> region = BitmapToRegion(m_picture, m_transColor, 0);
    if (!region)
        return;
    // On platforms without window shapes the mask only clips drawing and mouse hits
    // inside the window; the window itself stays rectangular.
    if (region->isEmpty()) {
        // An empty mask would mean "no mask" to the platform; one pixel outside the
        // window keeps it fully cut out instead.
        form->setMask(QRegion(-1, -1, 1, 1));
        return;
    }
    form->setMask(*region);
}

void TQVTransImage::paintEvent(QPaintEvent*)
{
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(0, 0, m_picture);
}

void TQVTransImage::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
    QWidget::mousePressEvent(event);
}

void TQVTransImage::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    QWidget::mouseReleaseEvent(event);
    if (click)
        emit clicked();
}

void TQVTransImage::mouseDoubleClickEvent(QMouseEvent* event)
{
    QWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
}

bool TQVTransImage::eventFilter(QObject* watched, QEvent* event)
{
    // The control fills its parent, whatever size the parent takes.
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

}  // namespace tesra
