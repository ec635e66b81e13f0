#include "analysis/line_geometry.h"

#include <cmath>
#include <limits>

#include "imaging/pixel_graphic.h"

namespace tesra {

int NearestLine(const Measurement& m, PixelPoint& p)
{
    long double best = std::numeric_limits<long double>::infinity();
    int bestIndex = 0;
    PixelPoint bestPoint = p;
    const auto lines = m.lines();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!lines[i].active)
            continue;
        const Projection projection = ProjectToLine(lines[i], p);
        if (projection.distance < best) {
            best = projection.distance;
            bestIndex = static_cast<int>(i) + 1;
            bestPoint = projection.q;
        }
    }
    if (bestIndex != 0)
        p = bestPoint;
    return bestIndex;
}

int NearestIntercept(const Measurement& m, PixelPoint p, int lineIndex)
{
    // Only intercepts within 5 pixels can be the answer, and among those the nearest one is
    // the nearest of all; so the others are skipped before any multiplication, and the
    // exact integer squares compare like the distances.
    constexpr std::int64_t kTolerance = 5;
    std::int64_t best = std::numeric_limits<std::int64_t>::max();
    int bestIndex = 0;
    const auto intercepts = m.intercepts();
    for (std::size_t k = 0; k < intercepts.size(); ++k) {
        const Intercept& it = intercepts[k];
        if (it.line != lineIndex)
            continue;
        const std::int64_t dx = static_cast<std::int64_t>(it.x) - p.x;
        const std::int64_t dy = static_cast<std::int64_t>(it.y) - p.y;
        if (dx > kTolerance || dx < -kTolerance || dy > kTolerance || dy < -kTolerance)
            continue;
        const std::int64_t d2 = dx * dx + dy * dy;
        if (d2 < best) {
            best = d2;
            bestIndex = static_cast<int>(k) + 1;
        }
    }
    if (best > kTolerance * kTolerance)
        return 0;
    return bestIndex;
}

Neighbours FindNeighboursOfPosition(const Measurement& m, long double position, int lineIndex)
{
    if (lineIndex < 1 || lineIndex > m.lineCount())
        return Neighbours{};
    return NeighboursOnLine(m.intercepts(), m.line(lineIndex), lineIndex, position);
}

Neighbours FindNeighbours(const Measurement& m, PixelPoint p, int lineIndex)
{
    if (lineIndex < 1 || lineIndex > m.lineCount())
        return Neighbours{};
    return FindNeighboursOfPosition(m, positionOnLine(m.line(lineIndex), p), lineIndex);
}

int Quadrant(const Measurement& m, int k)
{
    if (k < 1 || k > m.interceptCount())
        return 0;
    const Intercept& it = m.intercept(k);
    if (it.line < 1 || it.line > m.lineCount())
        return 0;
    const TestLine& line = m.line(it.line);
    // Compared at twice the scale, so the half-pixel centres stay whole numbers.
    const std::int64_t x2 = 2 * static_cast<std::int64_t>(it.x);
    const std::int64_t y2 = 2 * static_cast<std::int64_t>(it.y);
    const std::int64_t cx2 = static_cast<std::int64_t>(line.x1) + line.x2;
    const std::int64_t cy2 = static_cast<std::int64_t>(line.y1) + line.y2;
    const bool right = x2 > cx2;
    const bool upper = y2 <= cy2;
    if (upper)
        return right ? 1 : 2;
    return right ? 4 : 3;
}

std::vector<PixelPoint> SampleLine(const Measurement& m, int lineIndex)
{
    if (lineIndex < 1 || lineIndex > m.lineCount())
        return {};
    return SampleLine(m.line(lineIndex));
}

std::vector<std::uint8_t> greyValuesAt(const TPixelGraphic& image, const std::vector<PixelPoint>& samples)
{
    std::vector<std::uint8_t> grey;
    grey.reserve(samples.size());
    for (const PixelPoint& s : samples)
        grey.push_back(static_cast<std::uint8_t>(image.greyValue(s.x, s.y)));
    return grey;
}

std::vector<std::uint8_t> greyValuesAlongLine(const TPixelGraphic& image, const Measurement& m, int lineIndex)
{
    return greyValuesAt(image, SampleLine(m, lineIndex));
}

}  // namespace tesra
