#include "app/measurement/measurement.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "common/user_text.h"
#include "app/measurement/shape_geometry.h"

namespace tesra {

namespace {

struct TypeInfo {
    const char* button;
    const char* name;
    long double straightWeight;
    long double circleWeight;
    std::uint32_t color;  // 0x00BBGGRR
};

// Indexed by type - 1; the weights differ between lines and circles for triple points only.
constexpr TypeInfo kTypes[6] = {
    {"I", QT_TRANSLATE_NOOP("Core", "Normal intersection"), 1.0L, 1.0L, 0x0000FF00u},            // lime
    {"II", QT_TRANSLATE_NOOP("Core", "Second phase boundary"), 0.5L, 0.5L, 0x000000FFu},         // red
    {"III", QT_TRANSLATE_NOOP("Core", "Triple point"), 1.5L, 2.0L, 0x00FF0000u},                 // blue
    {"IV", QT_TRANSLATE_NOOP("Core", "Tangential"), 1.0L, 1.0L, 0x0000FFFFu},                    // yellow
    {"V", QT_TRANSLATE_NOOP("Core", "Start / End in grain"), 0.0L, 0.0L, 0x00FFFF00u},           // aqua
    {"VI", QT_TRANSLATE_NOOP("Core", "Start/End at grain boundary"), 0.5L, 0.5L, 0x00FF00FFu},   // fuchsia
};

const TypeInfo* typeInfo(int type)
{
    if (type < 1 || type > 6)
        return nullptr;
    return &kTypes[type - 1];
}

std::string recordError(const char* what, std::size_t index, const char* field, long long value, long long limit)
{
    return std::string(what) + " " + std::to_string(index + 1) + ": " + field + " " + std::to_string(value)
           + " is not in 1.." + std::to_string(limit);
}

}  // namespace

Calibration DefaultCalibration(int imageWidth, int imageHeight)
{
    Calibration c;
    c.remark = std::to_string(imageWidth) + "x" + std::to_string(imageHeight);
    return c;
}

long double InterceptWeight(int type, bool isCircle)
{
    const TypeInfo* info = typeInfo(type);
    if (!info)
        return 0.0L;
    return isCircle ? info->circleWeight : info->straightWeight;
}

std::uint32_t InterceptTypeColor(int type)
{
    const TypeInfo* info = typeInfo(type);
    return info ? info->color : 0u;
}

const char* InterceptTypeButton(int type)
{
    const TypeInfo* info = typeInfo(type);
    return info ? info->button : "";
}

const char* InterceptTypeName(int type)
{
    const TypeInfo* info = typeInfo(type);
    return info ? info->name : "";
}

const TestLine& Measurement::line(int n) const
{
    if (n < 1 || n > lineCount())
        throw std::out_of_range("line " + std::to_string(n) + " does not exist");
    return m_lines[static_cast<std::size_t>(n - 1)];
}

const Intercept& Measurement::intercept(int k) const
{
    if (k < 1 || k > interceptCount())
        throw std::out_of_range("intercept " + std::to_string(k) + " does not exist");
    return m_intercepts[static_cast<std::size_t>(k - 1)];
}

const PhaseSegment& Measurement::segment(int s) const
{
    if (s < 1 || s > segmentCount())
        throw std::out_of_range("segment " + std::to_string(s) + " does not exist");
    return m_segments[static_cast<std::size_t>(s - 1)];
}

void Measurement::record(MeasurementStep step)
{
    if (m_steps)
        m_steps->push_back(std::move(step));
}

TestLine& Measurement::lineForChange(int n)
{
    return m_lines[static_cast<std::size_t>(n - 1)];
}

void Measurement::lineChanged(int n, const TestLine& before)
{
    if (m_steps)
        m_steps->push_back(LineStep{static_cast<std::uint16_t>(n), before, m_lines[static_cast<std::size_t>(n - 1)]});
}

// The four renumbering primitives. Erasing a record that nothing refers to any more and
// lowering the references behind it is undone exactly by inserting it again and raising the
// references from its index on.
void Measurement::insertLine(int n, const TestLine& line)
{
    for (Intercept& it : m_intercepts) {
        if (it.line >= n)
            ++it.line;
    }
    for (PhaseSegment& seg : m_segments) {
        if (seg.line >= n)
            ++seg.line;
    }
    m_lines.insert(m_lines.begin() + (n - 1), line);
    record(LineInsertion{static_cast<std::uint16_t>(n), true, line});
}

void Measurement::eraseLine(int n)
{
    record(LineInsertion{static_cast<std::uint16_t>(n), false, m_lines[static_cast<std::size_t>(n - 1)]});
    for (Intercept& it : m_intercepts) {
        if (it.line > n)
            --it.line;
    }
    for (PhaseSegment& seg : m_segments) {
        if (seg.line > n)
            --seg.line;
    }
    m_lines.erase(m_lines.begin() + (n - 1));
}

void Measurement::insertIntercept(int k, const Intercept& it)
{
    for (PhaseSegment& seg : m_segments) {
        if (seg.first >= k)
            ++seg.first;
        if (seg.second >= k)
            ++seg.second;
    }
    m_intercepts.insert(m_intercepts.begin() + (k - 1), it);
    record(InterceptInsertion{static_cast<std::uint16_t>(k), true, it});
}

void Measurement::eraseIntercept(int k)
{
    record(InterceptInsertion{static_cast<std::uint16_t>(k), false, m_intercepts[static_cast<std::size_t>(k - 1)]});
    for (PhaseSegment& seg : m_segments) {
        if (seg.first > k)
            --seg.first;
        if (seg.second > k)
            --seg.second;
    }
    m_intercepts.erase(m_intercepts.begin() + (k - 1));
}

void Measurement::insertSegment(int s, const PhaseSegment& seg)
{
    m_segments.insert(m_segments.begin() + (s - 1), seg);
    record(SegmentInsertion{static_cast<std::uint16_t>(s), true, seg});
}

void Measurement::eraseSegment(int s)
{
    record(SegmentInsertion{static_cast<std::uint16_t>(s), false, m_segments[static_cast<std::size_t>(s - 1)]});
    m_segments.erase(m_segments.begin() + (s - 1));
}

void Measurement::replay(const MeasurementStep& step, bool forward)
{
    // Replaying is never recorded: the history already holds these steps.
    MeasurementSteps* const steps = m_steps;
    m_steps = nullptr;
    if (const auto* change = std::get_if<LineStep>(&step)) {
        m_lines[change->n - 1u] = forward ? change->after : change->before;
    } else if (const auto* change = std::get_if<InterceptStep>(&step)) {
        m_intercepts[change->k - 1u] = forward ? change->after : change->before;
    } else if (const auto* ins = std::get_if<LineInsertion>(&step)) {
        if (ins->inserted == forward)
            insertLine(ins->n, ins->line);
        else
            eraseLine(ins->n);
    } else if (const auto* ins = std::get_if<InterceptInsertion>(&step)) {
        if (ins->inserted == forward)
            insertIntercept(ins->k, ins->intercept);
        else
            eraseIntercept(ins->k);
    } else if (const auto* ins = std::get_if<SegmentInsertion>(&step)) {
        if (ins->inserted == forward)
            insertSegment(ins->s, ins->segment);
        else
            eraseSegment(ins->s);
    }
    m_steps = steps;
}

void Measurement::setLineActive(int n, bool active)
{
    if (n < 1 || n > lineCount())
        return;
    const TestLine before = m_lines[static_cast<std::size_t>(n - 1)];
    lineForChange(n).active = active;
    lineChanged(n, before);
}

void Measurement::setRecords(std::vector<TestLine> lines, std::vector<Intercept> intercepts,
                             std::vector<PhaseSegment> segments)
{
    if (lines.size() > static_cast<std::size_t>(kMaxLines))
        throw MeasurementError(std::to_string(lines.size()) + " test lines exceed the capacity of "
                               + std::to_string(kMaxLines));
    if (intercepts.size() > static_cast<std::size_t>(kMaxIntercepts))
        throw MeasurementError(std::to_string(intercepts.size()) + " intercepts exceed the capacity of "
                               + std::to_string(kMaxIntercepts));
    if (segments.size() > static_cast<std::size_t>(kMaxSegments))
        throw MeasurementError(std::to_string(segments.size()) + " second-phase segments exceed the capacity of "
                               + std::to_string(kMaxSegments));
    // Every later operation follows these references, so a damaged file is refused whole.
    const std::size_t lineLimit = lines.size();
    const std::size_t interceptLimit = intercepts.size();
    for (std::size_t k = 0; k < intercepts.size(); ++k) {
        const std::uint16_t l = intercepts[k].line;
        if (l < 1 || l > lineLimit)
            throw MeasurementError(recordError("Intercept", k, "line", l, static_cast<long long>(lineLimit)));
    }
    for (std::size_t s = 0; s < segments.size(); ++s) {
        const PhaseSegment& seg = segments[s];
        if (seg.first < 1 || seg.first > interceptLimit)
            throw MeasurementError(recordError("Segment", s, "first", seg.first, static_cast<long long>(interceptLimit)));
        if (seg.second < 1 || seg.second > interceptLimit)
            throw MeasurementError(recordError("Segment", s, "second", seg.second, static_cast<long long>(interceptLimit)));
        if (seg.line < 1 || seg.line > lineLimit)
            throw MeasurementError(recordError("Segment", s, "line", seg.line, static_cast<long long>(lineLimit)));
    }
    m_lines = std::move(lines);
    m_intercepts = std::move(intercepts);
    m_segments = std::move(segments);
}

int Measurement::appendLine(const TestLine& line)
{
    if (lineCount() >= kMaxLines)
        return 0;
    TestLine stored = line;
    stored.weightedCount = 0.0L;
    stored.secondPhaseLength = 0.0L;
    insertLine(lineCount() + 1, stored);
    return lineCount();
}

void Measurement::ClearMeasurement()
{
    m_lines.clear();
    m_intercepts.clear();
    m_segments.clear();
}

EditResult Measurement::AddTestLine(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2, bool circle)
{
    if (lineCount() >= kMaxLines)
        return {};

    std::int64_t ax = x1, ay = y1, bx = x2, by = y2;
    if (circle) {
        // The box becomes a square of the smaller side, anchored at the first corner.
        const std::int64_t w = std::llabs(bx - ax);
        const std::int64_t h = std::llabs(by - ay);
        if (w > h)
            bx = ax < bx ? ax + h : ax - h;
        else
            by = by > ay ? ay + w : ay - w;
    }

    TestLine line;
    if (ax < bx) {
        line.x1 = toPixel(ax);
        line.y1 = toPixel(ay);
        line.x2 = toPixel(bx);
        line.y2 = toPixel(by);
    } else {
        line.x1 = toPixel(bx);
        line.y1 = toPixel(by);
        line.x2 = toPixel(ax);
        line.y2 = toPixel(ay);
    }
    line.active = true;
    line.weightedCount = 0.0L;
    line.secondPhaseLength = 0.0L;
    line.isCircle = circle;
    line.length = testLineLength(line);
    const int n = lineCount() + 1;
    insertLine(n, line);

    // A straight line starts and ends inside a grain: type V at both ends.
    if (!circle) {
        AddIntercept({line.x1, line.y1}, n, itStartEndInGrain);
        AddIntercept({line.x2, line.y2}, n, itStartEndInGrain);
    }
    return {EditKind::Added, n};
}

EditResult Measurement::AddIntercept(PixelPoint point, int lineIndex, InterceptType currentType)
{
    if (interceptCount() >= kMaxIntercepts || lineIndex < 1 || lineIndex > lineCount())
        return {};
    const TestLine& line = m_lines[static_cast<std::size_t>(lineIndex - 1)];
    const long double position = positionOnLine(line, point);
    const Neighbours around = NeighboursOnLine(intercepts(), line, lineIndex, position);
    if (around.found && findSegment(around.lower, around.upper) != 0)
        return {};  // inside a marked second-phase stretch

    Intercept it;
    it.x = point.x;
    it.y = point.y;
    it.type = currentType;
    it.line = static_cast<std::uint16_t>(lineIndex);
    it.position = position;
    insertIntercept(interceptCount() + 1, it);
    const TestLine before = line;
    lineForChange(lineIndex).weightedCount += InterceptWeight(currentType, line.isCircle);
    lineChanged(lineIndex, before);
    return {EditKind::Added, interceptCount()};
}

EditResult Measurement::RetypeIntercept(int k, InterceptType currentType)
{
    if (k < 1 || k > interceptCount())
        return {};
    Intercept& it = m_intercepts[static_cast<std::size_t>(k - 1)];
    if (it.line >= 1 && it.line <= lineCount()) {
        const TestLine before = m_lines[static_cast<std::size_t>(it.line - 1)];
        TestLine& line = lineForChange(it.line);
        line.weightedCount -= InterceptWeight(it.type, line.isCircle);
        line.weightedCount += InterceptWeight(currentType, line.isCircle);
        lineChanged(it.line, before);
    }
    const Intercept old = it;
    it.type = currentType;
    if (m_steps)
        m_steps->push_back(InterceptStep{static_cast<std::uint16_t>(k), old, it});
    return {EditKind::Changed, k};
}

void Measurement::removeSegment(int s)
{
    const PhaseSegment& seg = m_segments[static_cast<std::size_t>(s - 1)];
    if (seg.line >= 1 && seg.line <= lineCount()) {
        const TestLine before = m_lines[static_cast<std::size_t>(seg.line - 1)];
        lineForChange(seg.line).secondPhaseLength -= seg.length;
        lineChanged(seg.line, before);
    }
    eraseSegment(s);
}

EditResult Measurement::DeleteIntercept(int k)
{
    if (k < 1 || k > interceptCount())
        return {};
    const Intercept& it = m_intercepts[static_cast<std::size_t>(k - 1)];
    if (it.line >= 1 && it.line <= lineCount()) {
        const TestLine before = m_lines[static_cast<std::size_t>(it.line - 1)];
        TestLine& line = lineForChange(it.line);
        line.weightedCount -= InterceptWeight(it.type, line.isCircle);
        lineChanged(it.line, before);
    }

    for (int s = 1; s <= segmentCount();) {
        const PhaseSegment& seg = m_segments[static_cast<std::size_t>(s - 1)];
        if (seg.first == k || seg.second == k)
            removeSegment(s);
        else
            ++s;
    }
    eraseIntercept(k);
    return {EditKind::Removed, k};
}

EditResult Measurement::DeleteTestLine(int n)
{
    if (n < 1 || n > lineCount())
        return {};
    for (int k = 1; k <= interceptCount();) {
        if (m_intercepts[static_cast<std::size_t>(k - 1)].line == n)
            DeleteIntercept(k);
        else
            ++k;
    }
    // A segment can only still name line n if a file paired intercepts of different lines;
    // it goes with the line rather than be left pointing at the next one.
    for (int s = 1; s <= segmentCount();) {
        if (m_segments[static_cast<std::size_t>(s - 1)].line == n)
            removeSegment(s);
        else
            ++s;
    }
    eraseLine(n);
    return {EditKind::Removed, n};
}

int Measurement::findSegment(int a, int b) const
{
    for (std::size_t s = 0; s < m_segments.size(); ++s) {
        const PhaseSegment& seg = m_segments[s];
        if ((seg.first == a && seg.second == b) || (seg.first == b && seg.second == a))
            return static_cast<int>(s) + 1;
    }
    return 0;
}

EditResult Measurement::TogglePhaseSegment(int a, int b)
{
    if (a < 1 || a > interceptCount() || b < 1 || b > interceptCount())
        return {};
    if (const int existing = findSegment(a, b)) {
        removeSegment(existing);
        return {EditKind::Removed, existing};
    }
    if (segmentCount() >= kMaxSegments)
        return {};
    const Intercept& ia = m_intercepts[static_cast<std::size_t>(a - 1)];
    const Intercept& ib = m_intercepts[static_cast<std::size_t>(b - 1)];
    if (ia.line != ib.line || ia.line < 1 || ia.line > lineCount())
        return {};  // a stretch lies on one line
    const TestLine& line = m_lines[static_cast<std::size_t>(ia.line - 1)];

    long double length = 0.0L;
    if (line.isCircle) {
        long double delta = ia.position - ib.position;
        if (delta < 0.0L)
            delta += kTwoPi;
        // The only intercept of a circle encloses every other point of it: the stretch from
        // it round to itself is the whole circle, not nothing.
        if (a == b)
            delta = kTwoPi;
        length = delta * circleRadius(line);
    } else {
        length = std::sqrt(squaredDistance(ia.x, ia.y, ib.x, ib.y));
    }

    PhaseSegment seg;
    seg.first = static_cast<std::uint16_t>(a);
    seg.second = static_cast<std::uint16_t>(b);
    seg.line = ia.line;
    seg.length = length;
    const int lineIndex = ia.line;
    insertSegment(segmentCount() + 1, seg);
    const TestLine before = m_lines[static_cast<std::size_t>(lineIndex - 1)];
    lineForChange(lineIndex).secondPhaseLength += length;
    lineChanged(lineIndex, before);
    return {EditKind::Added, segmentCount()};
}

}  // namespace tesra
