#include "view/overlay.h"

#include <algorithm>
#include <cmath>
#include <tuple>

#include "analysis/line_geometry.h"
#include "common/rounding.h"

namespace tesra {
namespace {

// Coordinates from a damaged file can be anything; times the zoom they are kept inside the
// range a raster painter's fixed-point coordinates hold, far beyond any image at 1000 %.
constexpr std::int64_t kCoordinateLimit = 1 << 22;

int scaled(std::int64_t v, Zoom zoom)
{
    return static_cast<int>(std::clamp<std::int64_t>(zoom.toScreen(v), -kCoordinateLimit, kCoordinateLimit));
}

// Angle of the ray from the box centre through (x, y), 1/16 degree counter-clockwise on the
// screen from 3 o'clock, 0..5759.
int rayAngle16(const OverlayPrimitive& box, int x, int y)
{
    const long double cx = (static_cast<long double>(box.x1) + box.x2) / 2.0L;
    const long double cy = (static_cast<long double>(box.y1) + box.y2) / 2.0L;
    const long double dx = x - cx;
    const long double dy = cy - y;  // screen y grows downward
    if (dx == 0 && dy == 0)
        return 0;
    long double deg = std::atan2(dy, dx) * 180.0L / kPi;
    if (deg < 0)
        deg += 360.0L;
    return static_cast<int>(R(deg * 16.0L)) % 5760;
}

OverlayPrimitive arc(const TestLine& l, Zoom zoom, int sx, int sy, int ex, int ey, std::uint32_t colour,
                     int width, PenMode mode)
{
    OverlayPrimitive p = BoxPrimitive(PrimitiveKind::Arc, scaled(l.x1, zoom), scaled(l.y1, zoom),
                                      scaled(l.x2, zoom), scaled(l.y2, zoom), colour, mode);
    p.penWidth = width;
    p.startX = sx;
    p.startY = sy;
    p.endX = ex;
    p.endY = ey;
    p.startAngle16 = rayAngle16(p, sx, sy);
    const int end = rayAngle16(p, ex, ey);
    int span = (end - p.startAngle16) % 5760;
    if (span <= 0)
        span += 5760;
    p.spanAngle16 = span;
    return p;
}

void appendLine(DisplayList& out, const TestLine& l, Zoom zoom, std::uint32_t colour)
{
    const int x1 = scaled(l.x1, zoom), y1 = scaled(l.y1, zoom);
    const int x2 = scaled(l.x2, zoom), y2 = scaled(l.y2, zoom);
    if (l.isCircle)
        out.push_back(BoxPrimitive(PrimitiveKind::Ellipse, x1, y1, x2, y2, colour));
    else
        out.push_back(LinePrimitive(x1, y1, x2, y2, colour));
}

void appendStretch(DisplayList& out, const Measurement& m, int from, int to, Zoom zoom, int width,
                   std::uint32_t colour, PenMode mode)
{
    if (from < 1 || from > m.interceptCount() || to < 1 || to > m.interceptCount())
        return;
    const Intercept& a = m.intercept(from);
    const Intercept& b = m.intercept(to);
    if (a.line != b.line || a.line < 1 || a.line > m.lineCount())
        return;
    const TestLine& l = m.line(a.line);
    const int ax = scaled(a.x, zoom), ay = scaled(a.y, zoom);
    const int bx = scaled(b.x, zoom), by = scaled(b.y, zoom);
    if (l.isCircle)
        out.push_back(arc(l, zoom, ax, ay, bx, by, colour, width, mode));
    else
        out.push_back(LinePrimitive(ax, ay, bx, by, colour, width, mode));
}

// The square of an intercept mark lies below the cross on the side away from its line: at
// the lower right where the line rises to the right (a straight line with y1 > y2, or the
// upper-left and lower-right quarters of a circle), else at the lower left.
bool squareAtLowerRight(const Measurement& m, int k)
{
    const Intercept& c = m.intercept(k);
    if (c.line < 1 || c.line > m.lineCount())
        return false;
    const TestLine& l = m.line(c.line);
    if (!l.isCircle)
        return l.y1 > l.y2;
    const int q = Quadrant(m, k);
    return q == 2 || q == 4;
}

}  // namespace

OverlayPrimitive LinePrimitive(int x1, int y1, int x2, int y2, std::uint32_t colour, int width, PenMode mode)
{
    OverlayPrimitive p;
    p.kind = PrimitiveKind::Line;
    p.x1 = x1;
    p.y1 = y1;
    p.x2 = x2;
    p.y2 = y2;
    p.colour = colour;
    p.penWidth = width;
    p.mode = mode;
    return p;
}

OverlayPrimitive BoxPrimitive(PrimitiveKind kind, int ax, int ay, int bx, int by, std::uint32_t colour,
                              PenMode mode)
{
    OverlayPrimitive p;
    p.kind = kind;
    p.x1 = std::min(ax, bx);
    p.y1 = std::min(ay, by);
    p.x2 = std::max(ax, bx);
    p.y2 = std::max(ay, by);
    p.colour = colour;
    p.mode = mode;
    return p;
}

ScreenBox primitiveBounds(const OverlayPrimitive& p)
{
    const int pad = p.penWidth / 2 + 2;
    switch (p.kind) {
    case PrimitiveKind::Line:
        return {std::min(p.x1, p.x2) - pad, std::min(p.y1, p.y2) - pad, std::max(p.x1, p.x2) + pad,
                std::max(p.y1, p.y2) + pad};
    case PrimitiveKind::Ellipse:
    case PrimitiveKind::Arc:
    case PrimitiveKind::FillRect:
        return {p.x1 - pad, p.y1 - pad, p.x2 + pad, p.y2 + pad};
    case PrimitiveKind::Text:
        return {p.x1 - 2, p.y1 - 2, p.x1 + 24 * static_cast<int>(p.text.size()) + 8, p.y1 + 48};
    }
    return {};
}

namespace {

auto orderKey(const OverlayPrimitive* p)
{
    return std::tie(p->kind, p->x1, p->y1, p->x2, p->y2, p->startX, p->startY, p->endX, p->endY, p->startAngle16,
                    p->spanAngle16, p->colour, p->penWidth, p->filled, p->mode, p->text);
}

}  // namespace

std::vector<ScreenBox> ChangedBoxes(const DisplayList& before, const DisplayList& after)
{
    // What both lists share at their ends is unchanged (the common case: one mark appended).
    const std::size_t shorter = std::min(before.size(), after.size());
    std::size_t head = 0;
    while (head < shorter && before[head] == after[head])
        ++head;
    std::size_t tail = 0;
    while (tail < shorter - head && before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    // In between, a primitive found on both sides (moved in the list by an edit elsewhere)
    // is unchanged too: the rest differs.
    std::vector<const OverlayPrimitive*> gone, added;
    for (std::size_t i = head; i < before.size() - tail; ++i)
        gone.push_back(&before[i]);
    for (std::size_t i = head; i < after.size() - tail; ++i)
        added.push_back(&after[i]);
    const auto less = [](const OverlayPrimitive* a, const OverlayPrimitive* b) { return orderKey(a) < orderKey(b); };
    std::sort(gone.begin(), gone.end(), less);
    std::sort(added.begin(), added.end(), less);
    std::vector<ScreenBox> boxes;
    const auto keep = [&boxes](const OverlayPrimitive* p) {
        const ScreenBox box = primitiveBounds(*p);
        if (!box.isEmpty())
            boxes.push_back(box);
    };
    std::size_t g = 0, a = 0;
    while (g < gone.size() || a < added.size()) {
        if (a == added.size() || (g < gone.size() && less(gone[g], added[a])))
            keep(gone[g++]);
        else if (g == gone.size() || less(added[a], gone[g]))
            keep(added[a++]);
        else
            ++g, ++a;
    }
    return boxes;
}

ScreenBox listBounds(const DisplayList& list)
{
    ScreenBox box;
    bool first = true;
    for (const OverlayPrimitive& p : list) {
        const ScreenBox b = primitiveBounds(p);
        if (first) {
            box = b;
            first = false;
            continue;
        }
        box.left = std::min(box.left, b.left);
        box.top = std::min(box.top, b.top);
        box.right = std::max(box.right, b.right);
        box.bottom = std::max(box.bottom, b.bottom);
    }
    return box;
}

DisplayList LineShape(const Measurement& m, int lineIndex, Zoom zoom, std::uint32_t colour)
{
    DisplayList out;
    if (lineIndex < 1 || lineIndex > m.lineCount())
        return out;
    appendLine(out, m.line(lineIndex), zoom, colour);
    return out;
}

DisplayList StretchShape(const Measurement& m, int from, int to, Zoom zoom, int penWidth, std::uint32_t colour,
                         PenMode mode)
{
    DisplayList out;
    appendStretch(out, m, from, to, zoom, penWidth, colour, mode);
    return out;
}

DisplayList BuildOverlay(const Measurement& m, Zoom zoom, int selectedLine, bool forExport)
{
    const Zoom z = forExport ? Zoom(1) : zoom;
    DisplayList out;
    out.reserve(static_cast<std::size_t>(m.lineCount()) * (forExport ? 2 : 1) + 1 + m.segmentCount() +
                3 * static_cast<std::size_t>(m.interceptCount()));

    for (int i = 1; i <= m.lineCount(); ++i) {
        const TestLine& l = m.line(i);
        appendLine(out, l, z, l.active ? kActiveLineColour : kExcludedLineColour);
        if (!forExport)
            continue;
        OverlayPrimitive number;
        number.kind = PrimitiveKind::Text;
        number.colour = kLineNumberColour;
        number.text = std::to_string(i);
        number.y1 = scaled(l.y1, z);
        // A circle's number sits at the top centre of its box.
        number.x1 = l.isCircle ? static_cast<int>(std::clamp<std::int64_t>(
                                     R((static_cast<long double>(l.x1) + l.x2) * 0.5L * z.percent() / 100.0L), -kCoordinateLimit,
                                     kCoordinateLimit))
                               : scaled(l.x1, z);
        out.push_back(std::move(number));
    }

    // The selection lies over crossing lines. A selection that no longer names a line (the
    // sheet deleted it) or names an excluded one is not drawn.
    if (selectedLine >= 1 && selectedLine <= m.lineCount() && m.line(selectedLine).active)
        appendLine(out, m.line(selectedLine), z, kSelectedLineColour);

    for (const PhaseSegment& s : m.segments())
        appendStretch(out, m, s.first, s.second, z, 2, kStretchColour, PenMode::Copy);

    // Intercept marks come last so they lie over lines and stretches. A type outside 1..6
    // (only a damaged file holds one) keeps the colour of the mark before it.
    std::uint32_t colour = kActiveLineColour;
    for (int k = 1; k <= m.interceptCount(); ++k) {
        const Intercept& c = m.intercept(k);
        if (c.type >= 1 && c.type <= 6)
            colour = InterceptTypeColor(c.type);
        const int X = scaled(c.x, z), Y = scaled(c.y, z);
        out.push_back(LinePrimitive(X - 4, Y, X + 4, Y, colour));
        out.push_back(LinePrimitive(X, Y - 4, X, Y + 4, colour));
        if (squareAtLowerRight(m, k))
            out.push_back(BoxPrimitive(PrimitiveKind::FillRect, X + 4, Y + 4, X + 9, Y + 9, colour));
        else
            out.push_back(BoxPrimitive(PrimitiveKind::FillRect, X - 4, Y + 4, X - 9, Y + 9, colour));
    }
    return out;
}

DisplayList RubberBandShape(int startX, int startY, int endX, int endY, bool circle)
{
    DisplayList out;
    if (circle) {
        if (startX == endX || startY == endY)
            return out;
        out.push_back(BoxPrimitive(PrimitiveKind::Ellipse, startX, startY, endX, endY, 0, PenMode::Invert));
        return out;
    }
    if (startX == endX && startY == endY)
        return out;
    out.push_back(LinePrimitive(startX, startY, endX, endY, 0, 1, PenMode::Invert));
    return out;
}

DisplayList MarkerShape(PixelPoint marker, Zoom zoom, bool disc)
{
    const int X = scaled(marker.x, zoom), Y = scaled(marker.y, zoom);
    DisplayList out;
    if (disc) {
        OverlayPrimitive p = BoxPrimitive(PrimitiveKind::Ellipse, X - 5, Y - 5, X + 5, Y + 5, 0, PenMode::Invert);
        p.filled = true;
        out.push_back(p);
        return out;
    }
    out.push_back(LinePrimitive(X - 4, Y, X + 4, Y, 0, 1, PenMode::Invert));
    out.push_back(LinePrimitive(X, Y - 4, X, Y + 4, 0, 1, PenMode::Invert));
    return out;
}

DisplayList PreviewShape(const Measurement& m, int upper, int lower, Zoom zoom)
{
    return StretchShape(m, upper, lower, zoom, 3, 0, PenMode::Invert);
}

}  // namespace tesra
