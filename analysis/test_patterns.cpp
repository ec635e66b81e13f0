#include "analysis/test_patterns.h"

#include <algorithm>
#include <cmath>

#include "common/rounding.h"

namespace tesra {

namespace {

// The frame inside which a pattern is laid: 5 % of the shorter side from every edge.
struct Frame {
    int left = 0;
    int top = 0;
    int right = 0;   // inclusive
    int bottom = 0;  // inclusive
    int cx = 0;
    int cy = 0;
};

Frame FrameOf(int width, int height)
{
    const int margin = static_cast<int>(R(0.05L * (std::min(width, height) - 1)));
    Frame f;
    f.left = margin;
    f.top = margin;
    f.right = width - 1 - margin;
    f.bottom = height - 1 - margin;
    f.cx = (width - 1) / 2;
    f.cy = (height - 1) / 2;
    return f;
}

// `count` positions spread evenly over [from, to], each in the middle of its share, or none
// when two of them would fall on the same pixel. Truncated, not rounded: rounding halves to
// even would make neighbouring gaps differ by two pixels, truncation by one at most.
std::vector<int> Spread(int from, int to, int count)
{
    std::vector<int> out;
    if (count < 1 || to - from + 1 < count)
        return out;
    const long double share = static_cast<long double>(to - from) / count;
    for (int i = 0; i < count; ++i)
        out.push_back(from + static_cast<int>(share * (i + 0.5L)));
    return out;
}

}  // namespace

std::vector<PatternLine> MakeTestPattern(TestPattern pattern, int width, int height, int across, int down)
{
    std::vector<PatternLine> lines;
    if (width < 16 || height < 16)
        return lines;
    const Frame f = FrameOf(width, height);
    // Half of the pattern's extent around the centre, within the frame on every side.
    const int half = std::min({f.cx - f.left, f.right - f.cx, f.cy - f.top, f.bottom - f.cy});

    switch (pattern) {
    case TestPattern::Circles: {
        // Radii 3k, 2k, k on one centre pixel: the diameters are exactly 3 : 2 : 1.
        const int k = half / 3;
        for (int r : {3 * k, 2 * k, k})
            lines.push_back({f.cx - r, f.cy - r, f.cx + r, f.cy + r, true});
        break;
    }
    case TestPattern::Star: {
        // Four lines of (nearly) the same length; the diagonals run exactly at 45° and 135°.
        const int d = static_cast<int>(R(half / std::sqrt(2.0L)));
        lines.push_back({f.cx - half, f.cy, f.cx + half, f.cy, false});  // 0°
        lines.push_back({f.cx - d, f.cy + d, f.cx + d, f.cy - d, false});  // 45° (y grows downward)
        lines.push_back({f.cx, f.cy + half, f.cx, f.cy - half, false});  // 90°
        lines.push_back({f.cx - d, f.cy - d, f.cx + d, f.cy + d, false});  // 135°
        break;
    }
    case TestPattern::Parallel:
        for (int y : Spread(f.top, f.bottom, across))
            lines.push_back({f.left, y, f.right, y, false});
        break;
    case TestPattern::Grid: {
        const std::vector<int> rows = Spread(f.top, f.bottom, across);
        const std::vector<int> columns = Spread(f.left, f.right, down);
        if (rows.empty() || columns.empty())
            break;
        for (int y : rows)
            lines.push_back({f.left, y, f.right, y, false});
        for (int x : columns)
            lines.push_back({x, f.top, x, f.bottom, false});
        break;
    }
    }
    return lines;
}

}  // namespace tesra
