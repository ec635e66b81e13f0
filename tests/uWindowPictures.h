#pragma once
// Reading what a window shows from a picture of it.
#include <QColor>
#include <QImage>
#include <QRect>

#include <map>

namespace tesra::test {

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
