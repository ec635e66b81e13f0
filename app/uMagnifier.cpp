#include "app/uMagnifier.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

#include "widgets/uWindowSupport.h"

namespace tesra {
namespace {

// A pixel's colour that never throws: a palette index beyond the palette shows black.
std::uint32_t colourAt(const TPixelGraphic& image, int x, int y)
{
    try {
        return image.GetColor(x, y);
    } catch (const EPixelGraphic&) {
        return 0;
    }
}

}  // namespace

QImage PictureOfRect(const TPixelGraphic& image, const PixelRect& rect)
{
    const int width = std::max(rect.width(), 0);
    const int height = std::max(rect.height(), 0);
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = qtColour(colourAt(image, rect.left + x, rect.top + y));
    }
    return picture;
}

TMagnifier::TMagnifier(QWidget* parent)
    : QWidget(parent), m_picture(kMagnifierWidth, kMagnifierHeight, QImage::Format_RGB32)
{
    setObjectName("Image");
    setFixedSize(kMagnifierWidth, kMagnifierHeight);
    m_picture.fill(palette().color(QPalette::Window));
}

void TMagnifier::showAt(const TPixelGraphic& image, int x, int y, int zoom)
{
    const MagnifierView view = MagnifierViewAt(x, y, zoom, image.Width(), image.Height());
    QPainter painter(&m_picture);
    painter.setPen(Qt::red);
    if (view.cross) {
        m_picture.fill(palette().color(QPalette::Window));
        for (const PixelRect& line : {kMagnifierCrossDown, kMagnifierCrossUp})
            painter.drawLine(line.left, line.top, line.right, line.bottom);
        painter.end();
        update();
        return;
    }
    // The stretched copy: each pane pixel takes the source pixel it falls on, so every image
    // pixel becomes an m × m block.
    const QImage source = PictureOfRect(image, view.source);
    for (int py = 0; py < kMagnifierHeight; ++py) {
        const int sy = py * source.height() / kMagnifierHeight;
        const auto* from = reinterpret_cast<const QRgb*>(source.constScanLine(sy));
        auto* to = reinterpret_cast<QRgb*>(m_picture.scanLine(py));
        for (int px = 0; px < kMagnifierWidth; ++px)
            to[px] = from[px * source.width() / kMagnifierWidth];
    }
    const PixelRect& mark = view.mark;
    painter.fillRect(mark.left, mark.top, mark.width(), mark.height(), Qt::red);
    painter.end();
    update();
}

void TMagnifier::paintEvent(QPaintEvent*)
{
    // Pixels stay pixels on high-density screens: no smoothing when the picture is scaled.
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(rect(), m_picture);
}

TOverview::TOverview(QWidget* parent) : QWidget(parent)
{
    setObjectName("ViewPortImage");
    setFixedSize(kOverviewWidth, 0);
}

void TOverview::showPicture(const QImage& picture, int imageWidth, int imageHeight, int width, int height)
{
    m_imageWidth = imageWidth;
    m_imageHeight = imageHeight;
    setFixedSize(width, height);
    m_picture = picture;
    if (m_picture.isNull()) {
        m_picture = QImage(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
        m_picture.fill(palette().color(QPalette::Window));
    }
    update();
}

void TOverview::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        pointAt(event->position().toPoint());
}

void TOverview::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton)
        pointAt(event->position().toPoint());
}

void TOverview::pointAt(QPoint p)
{
    if (m_imageWidth <= 0 || m_imageHeight <= 0 || width() <= 0 || height() <= 0)
        return;
    const int x = static_cast<int>(static_cast<long long>(std::clamp(p.x(), 0, width() - 1)) * m_imageWidth / width());
    const int y = static_cast<int>(static_cast<long long>(std::clamp(p.y(), 0, height() - 1)) * m_imageHeight / height());
    emit pointChosen(x, y);
}

void TOverview::setFrame(const PixelRect& frame)
{
    if (frame == m_frame)
        return;
    m_frame = frame;
    update();
}

void TOverview::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(rect(), m_picture);
    if (m_imageWidth <= 0 || m_imageHeight <= 0 || m_frame.width() <= 0 || m_frame.height() <= 0)
        return;
    const double sx = static_cast<double>(width()) / m_imageWidth;
    const double sy = static_cast<double>(height()) / m_imageHeight;
    const QRectF frame(m_frame.left * sx, m_frame.top * sy, m_frame.width() * sx, m_frame.height() * sy);
    const QRectF inside = frame.intersected(QRectF(rect()).adjusted(0, 0, -1, -1));
    painter.setPen(QPen(Qt::red, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(inside);
}

}  // namespace tesra
