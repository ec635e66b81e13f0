#pragma once
// The magnification of the image window: screen pixels per 100 image pixels. Whole
// magnifications (100 % .. 1000 %) map as they always did: an image point x is drawn at
// x · factor and a screen position s shows image pixel s / factor. Below 100 % a screen pixel
// covers several image pixels; a position then means the first image pixel that starts in
// it, so that the mark of a click is drawn in the screen pixel clicked.
#include <cstdint>
#include <string>
#include <vector>

namespace tesra {

class Zoom {
public:
    // The smallest and largest magnification in percent.
    static constexpr int kMinPercent = 1;
    static constexpr int kMaxPercent = 1000;

    constexpr Zoom() = default;
    // A whole magnification, kept inside 1..10: 3 is 300 %. (Implicit, as the window and its callers have always
    // counted zoom in whole steps.)
    constexpr Zoom(int factor) : m_percent((factor < 1 ? 1 : factor > 10 ? 10 : factor) * 100) {}
    static constexpr Zoom Percent(int percent)
    {
        Zoom z;
        z.m_percent = clampPercent(percent);
        return z;
    }

    constexpr int percent() const { return m_percent; }
    // True for 100 %, 200 % .. 1000 %.
    constexpr bool whole() const { return m_percent % 100 == 0; }
    // The whole factor (1 for every magnification below 200 %).
    constexpr int factor() const { return m_percent >= 100 ? m_percent / 100 : 1; }

    // The screen position of an image coordinate (the top-left of its pixel when magnified).
    std::int64_t toScreen(std::int64_t image) const;
    // The image coordinate of a screen position. Whole zooms divide truncating toward zero,
    // also for the negative positions of moves outside the image.
    int toImage(int screen) const;
    // The screen size of an image extent.
    int screenSize(int imageSize) const { return static_cast<int>(toScreen(imageSize)); }

    friend constexpr bool operator==(Zoom a, Zoom b) { return a.m_percent == b.m_percent; }

private:
    static constexpr int clampPercent(int p) { return p < kMinPercent ? kMinPercent : p > kMaxPercent ? kMaxPercent : p; }
    int m_percent = 100;
};

// Caption of the zoom button and menu: "300%", "25%".
std::string ZoomCaption(Zoom zoom);

// The zoom steps below 100 %, largest first; above 100 % the steps are 200 % .. 1000 %.
const std::vector<int>& ReducedZoomPercents();
// The next step in (steps > 0) or out from `zoom`; a zoom between steps (a fit) goes to the
// neighbouring step. Stays at the ends.
Zoom ZoomStep(Zoom zoom, int steps);
// The largest zoom, at most 100 %, at which an image fits into the client area whole.
Zoom FitZoom(int imageWidth, int imageHeight, int clientWidth, int clientHeight);

}  // namespace tesra
