#include "view/uScaleBar.h"

#include <QPainter>

#include <algorithm>

namespace tesra {

void PaintScaleBar(QPainter& painter, const ScaleBar& bar, const QSize& imageSize)
{
    painter.save();
    QFont font = painter.font();
    font.setPixelSize(std::max(10, imageSize.height() / 40));
    painter.setFont(font);
    const QFontMetrics metrics = painter.fontMetrics();
    const QString label = QString::fromStdString(bar.label);
    const int margin = std::max(4, imageSize.height() / 80);
    const int thickness = std::max(2, imageSize.height() / 160);
    const int boxWidth = std::max(bar.pixels, metrics.horizontalAdvance(label)) + 2 * margin;
    const int boxHeight = metrics.height() + thickness + 3 * margin;
    const QRect box(imageSize.width() - boxWidth - margin, imageSize.height() - boxHeight - margin, boxWidth, boxHeight);
    painter.fillRect(box, Qt::white);
    const int barLeft = box.left() + (box.width() - bar.pixels) / 2;
    painter.fillRect(QRect(barLeft, box.top() + margin, bar.pixels, thickness), Qt::black);
    painter.setPen(Qt::black);
    painter.drawText(QRect(box.left(), box.top() + 2 * margin + thickness, box.width(), metrics.height()),
                     Qt::AlignHCenter | Qt::AlignVCenter, label);
    painter.restore();
}

}  // namespace tesra
