#include "view/zoom.h"

#include <algorithm>

namespace tesra {

std::int64_t Zoom::toScreen(std::int64_t image) const
{
    if (whole())
        return image * (m_percent / 100);
    // Floor division, so that negative coordinates of a damaged file stay monotonic.
    const std::int64_t p = image * m_percent;
    return p >= 0 ? p / 100 : -((-p + 99) / 100);
}

int Zoom::toImage(int screen) const
{
    if (whole())
        return screen / (m_percent / 100);
    if (screen < 0)
        return static_cast<int>(static_cast<std::int64_t>(screen) * 100 / m_percent);
    // The first image pixel whose left (top) edge lies in this screen pixel: screen · 100 /
    // percent, rounded up.
    return static_cast<int>((static_cast<std::int64_t>(screen) * 100 + m_percent - 1) / m_percent);
}

std::string ZoomCaption(Zoom zoom) { return std::to_string(zoom.percent()) + "%"; }

const std::vector<int>& ReducedZoomPercents()
{
    static const std::vector<int> steps{50, 33, 25, 15, 10, 5};
    return steps;
}

Zoom ZoomStep(Zoom zoom, int steps)
{
    std::vector<int> all(ReducedZoomPercents().rbegin(), ReducedZoomPercents().rend());
    for (int f = 1; f <= Zoom::kMaxPercent / 100; ++f)
        all.push_back(f * 100);
    for (; steps > 0; --steps) {
        const auto next = std::upper_bound(all.begin(), all.end(), zoom.percent());
        if (next == all.end())
            break;
        zoom = Zoom::Percent(*next);
    }
    for (; steps < 0; ++steps) {
        const auto next = std::lower_bound(all.begin(), all.end(), zoom.percent());
        if (next == all.begin())
            break;
        zoom = Zoom::Percent(*std::prev(next));
    }
    return zoom;
}

Zoom FitZoom(int imageWidth, int imageHeight, int clientWidth, int clientHeight)
{
    if (imageWidth <= 0 || imageHeight <= 0 || clientWidth <= 0 || clientHeight <= 0)
        return Zoom(1);
    const std::int64_t byWidth = std::int64_t{clientWidth} * 100 / imageWidth;
    const std::int64_t byHeight = std::int64_t{clientHeight} * 100 / imageHeight;
    return Zoom::Percent(static_cast<int>(std::clamp<std::int64_t>(std::min(byWidth, byHeight), Zoom::kMinPercent, 100)));
}

}  // namespace tesra
