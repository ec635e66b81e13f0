#pragma once
// Reading what a window shows from a picture of it.
#include <QColor>
#include <QEvent>
#include <QImage>
#include <QObject>
#include <QPaintEvent>
#include <QRect>
#include <QRegion>
#include <QWidget>

#include <map>

namespace tesra::test {

// Collects the parts of a widget it paints (what an update asked for, not the whole widget).
class PaintSpy : public QObject {
public:
    explicit PaintSpy(QWidget* widget) { widget->installEventFilter(this); }
    QRegion painted;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
};

// The colour most pixels of `area` have: a panel's fill behind its caption.
inline QColor MostFrequentColour(const QImage& picture, const QRect& area)
{
    std::map<QRgb, int> counts;
    const QRect inside = area.intersected(picture.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x)
            ++counts[picture.pixel(x, y)];
    }
    QRgb most = 0;
    int best = 0;
    for (const auto& [colour, count] : counts) {
        if (count > best) {
            most = colour;
            best = count;
        }
    }
    return best > 0 ? QColor(most) : QColor();
}

}  // namespace tesra::test
