#include "app/measurement/shape_geometry.h"

#include <cmath>
#include <limits>

#include "common/rounding.h"

namespace tesra {

std::int32_t toPixel(std::int64_t v)
{
    if (v > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (v < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v);
}

namespace {

std::int32_t roundToPixel(long double v)
{
    return toPixel(R(v));
}

// base + offset without overflow, whatever a damaged file makes of the offset.
std::int32_t offsetPixel(std::int32_t base, std::int64_t offset)
{
    return toPixel(static_cast<std::int64_t>(base) + toPixel(offset));
}

long double square(long double v)
{
    return v * v;
}

}  // namespace

long double squaredDistance(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2)
{
    // Each difference of 32-bit coordinates has at most 33 bits, so each square is exact in
    // the 64-bit mantissa; the sum equals the 32-bit integer sum wherever that one fits.
    const long double dx = static_cast<long double>(x2 - x1);
    const long double dy = static_cast<long double>(y2 - y1);
    return dx * dx + dy * dy;
}

long double testLineLength(const TestLine& line)
{
    if (line.isCircle)
        return kPi * static_cast<long double>(static_cast<std::int64_t>(line.x2) - line.x1);
    return std::sqrt(squaredDistance(line.x1, line.y1, line.x2, line.y2));
}

long double centreX(const TestLine& line)
{
    return (static_cast<long double>(line.x1) + static_cast<long double>(line.x2)) / 2.0L;
}

long double centreY(const TestLine& line)
{
    return (static_cast<long double>(line.y1) + static_cast<long double>(line.y2)) / 2.0L;
}

long double circleRadius(const TestLine& line)
{
    return static_cast<long double>(static_cast<std::int64_t>(line.x2) - line.x1) / 2.0L;
}

long double positionOnLine(const TestLine& line, long double x, long double y)
{
    if (line.isCircle) {
        const long double r = circleRadius(line);
        if (r == 0.0L)
            return 0.0L;
        const long double cy = centreY(line);
        long double q = (x - centreX(line)) / r;
        // Beyond the circle's horizontal extent arccos is undefined; such a point takes the
        // angle of the circle's rightmost or leftmost point.
        if (q > 1.0L)
            q = 1.0L;
        if (q < -1.0L)
            q = -1.0L;
        long double phi = std::atan2(std::sqrt(1.0L - q * q), q);
        if (y < cy)
            phi = kTwoPi - phi;
        return phi;
    }
    const long double denominator = squaredDistance(line.x1, line.y1, line.x2, line.y2);
    if (denominator == 0.0L)
        return 0.0L;
    const long double numerator = square(static_cast<long double>(line.x1) - x) + square(static_cast<long double>(line.y1) - y);
    return std::sqrt(numerator) / std::sqrt(denominator);
}

long double distanceAlongLine(const TestLine& line, long double position)
{
    if (line.isCircle)
        return position * line.length / kTwoPi;
    return position * line.length;
}

std::int64_t sampleOfPosition(const TestLine& line, long double position)
{
    return R(distanceAlongLine(line, position));
}

Projection ProjectToLine(const TestLine& line, PixelPoint p)
{
    Projection result;
    if (line.isCircle) {
        const long double cx = centreX(line);
        const long double cy = centreY(line);
        const long double r = circleRadius(line);
        const long double d0 = std::sqrt(square(p.x - cx) + square(p.y - cy));
        if (d0 == 0.0L) {
            // The centre has no direction to the circle: take the rightmost point, where
            // positions on the circle start.
            result.q = {roundToPixel(cx + r), roundToPixel(cy)};
            result.distance = std::fabs(r);
            return result;
        }
        result.q = {roundToPixel(cx + (p.x - cx) * r / d0), roundToPixel(cy + (p.y - cy) * r / d0)};
        result.distance = std::fabs(d0 - r);
        return result;
    }

    const std::int64_t dx = static_cast<std::int64_t>(line.x2) - line.x1;
    const std::int64_t dy = static_cast<std::int64_t>(line.y2) - line.y1;
    const long double denominator = squaredDistance(line.x1, line.y1, line.x2, line.y2);
    long double t = 0.0L;
    if (denominator != 0.0L) {
        const long double numerator =
            static_cast<long double>(static_cast<std::int64_t>(p.x) - line.x1) * static_cast<long double>(dx)
            + static_cast<long double>(static_cast<std::int64_t>(p.y) - line.y1) * static_cast<long double>(dy);
        t = numerator / denominator;
        if (t < 0.0L)
            t = 0.0L;
        if (t > 1.0L)
            t = 1.0L;
    }
    result.q = {roundToPixel(line.x1 + t * dx), roundToPixel(line.y1 + t * dy)};
    result.distance = std::sqrt(squaredDistance(result.q.x, result.q.y, p.x, p.y));
    return result;
}

Neighbours NeighboursOnLine(std::span<const Intercept> intercepts, const TestLine& line, int lineIndex, long double p)
{
    Neighbours result;
    // Start values outside every possible position.
    long double lowerPos = -100.0L;
    long double upperPos = 100.0L;
    for (std::size_t k = 0; k < intercepts.size(); ++k) {
        if (intercepts[k].line != lineIndex)
            continue;
        const long double pk = intercepts[k].position;
        if (pk < p && pk > lowerPos) {
            lowerPos = pk;
            result.lower = static_cast<int>(k) + 1;
        }
        if (pk > p && pk < upperPos) {
            upperPos = pk;
            result.upper = static_cast<int>(k) + 1;
        }
        if (pk == p)
            return Neighbours{};  // a point on an intercept lies between no pair
    }

    const bool lowerMissing = result.lower == 0;
    const bool upperMissing = result.upper == 0;
    if (line.isCircle && lowerMissing != upperMissing) {
        // Around a circle the order wraps at 2π: past the largest angle comes the smallest.
        for (std::size_t k = 0; k < intercepts.size(); ++k) {
            if (intercepts[k].line != lineIndex)
                continue;
            const long double pk = intercepts[k].position;
            if (upperMissing && pk + kTwoPi < upperPos) {
                upperPos = pk + kTwoPi;
                result.upper = static_cast<int>(k) + 1;
            }
            if (lowerMissing && pk - kTwoPi > lowerPos) {
                lowerPos = pk - kTwoPi;
                result.lower = static_cast<int>(k) + 1;
            }
        }
    }
    result.found = result.lower != 0 && result.upper != 0;
    return result;
}

std::int64_t sampleCount(const TestLine& line)
{
    const long double length = line.length;
    if (!(length > 0.0L) || !std::isfinite(length))
        return 0;
    if (length >= static_cast<long double>(kMaxLineSamples))
        return kMaxLineSamples;
    return R(length + 0.5L);
}

std::vector<PixelPoint> SampleLine(const TestLine& line)
{
    const std::int64_t n = sampleCount(line);
    std::vector<PixelPoint> samples;
    if (n <= 0)
        return samples;
    samples.reserve(static_cast<std::size_t>(n));
    const long double length = line.length;
    if (line.isCircle) {
        const long double step = kTwoPi / length;  // one pixel of arc
        const long double r = circleRadius(line);
        const long double cx = centreX(line);
        const long double cy = centreY(line);
        for (std::int64_t i = 0; i < n; ++i) {
            const long double angle = static_cast<long double>(i) * step;
            samples.push_back({roundToPixel(std::cos(angle) * r + cx), roundToPixel(std::sin(angle) * r + cy)});
        }
        return samples;
    }
    const long double stepX = static_cast<long double>(static_cast<std::int64_t>(line.x2) - line.x1) / length;
    const long double stepY = static_cast<long double>(static_cast<std::int64_t>(line.y2) - line.y1) / length;
    for (std::int64_t i = 0; i < n; ++i) {
        const long double fi = static_cast<long double>(i);
        samples.push_back({offsetPixel(line.x1, R(fi * stepX)), offsetPixel(line.y1, R(fi * stepY))});
    }
    return samples;
}

}  // namespace tesra
