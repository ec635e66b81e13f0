#include "view/proposal_review.h"

#include <cmath>
#include <limits>

#include "analysis/line_geometry.h"
#include "common/rounding.h"

namespace tesra {

namespace {

// Ring radius of a triple junction's second ring.
constexpr int kJunctionRingRadius = kProposalRingRadius + 3;

// A proposal's centre on the screen. Proposals lie inside the image, whose pixels times the
// zoom always fit.
void screenCentre(const Proposal& p, Zoom zoom, int& x, int& y)
{
    x = static_cast<int>(R(static_cast<long double>(p.x) * zoom.percent() / 100));
    y = static_cast<int>(R(static_cast<long double>(p.y) * zoom.percent() / 100));
}

OverlayPrimitive ring(int x, int y, int radius, std::uint32_t colour)
{
    OverlayPrimitive p = BoxPrimitive(PrimitiveKind::Ellipse, x - radius, y - radius, x + radius + 1, y + radius + 1, colour);
    p.penWidth = 2;
    return p;
}

}  // namespace

void ProposalReview::start(std::vector<Proposal> proposals, const Measurement& m)
{
    m_proposals = std::move(proposals);
    m_kept.assign(m_proposals.size(), true);
    m_lines.clear();
    for (const Proposal& p : m_proposals)
        m_lines.push_back(p.line >= 1 && p.line <= m.lineCount() ? m.line(p.line) : TestLine{});
}

void ProposalReview::clear()
{
    m_proposals.clear();
    m_kept.clear();
    m_lines.clear();
}

int ProposalReview::keptCount() const
{
    int n = 0;
    for (bool k : m_kept)
        n += k;
    return n;
}

int ProposalReview::proposalAt(int sx, int sy, Zoom zoom) const
{
    int best = -1;
    long double bestDistance = std::numeric_limits<long double>::max();
    for (int i = 0; i < count(); ++i) {
        int x = 0, y = 0;
        screenCentre(m_proposals[std::size_t(i)], zoom, x, y);
        const long double d = std::hypot(static_cast<long double>(sx - x), static_cast<long double>(sy - y));
        if (d <= kProposalPickRadius && d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

void ProposalReview::toggle(int i)
{
    if (i < 0 || i >= count())
        return;
    m_kept[std::size_t(i)] = !m_kept[std::size_t(i)];
}

std::vector<AcceptedCrossing> ProposalReview::keptCrossings(const Measurement& m) const
{
    std::vector<AcceptedCrossing> out;
    for (int i = 0; i < count(); ++i) {
        const Proposal& p = m_proposals[std::size_t(i)];
        if (!m_kept[std::size_t(i)] || p.line < 1 || p.line > m.lineCount())
            continue;
        const TestLine& now = m.line(p.line);
        const TestLine& then = m_lines[std::size_t(i)];
        if (now.x1 != then.x1 || now.y1 != then.y1 || now.x2 != then.x2 || now.y2 != then.y2 ||
            now.isCircle != then.isCircle)
            continue;
        const PixelPoint rounded{static_cast<std::int32_t>(R(p.x)), static_cast<std::int32_t>(R(p.y))};
        out.push_back({p.line, ProjectToLine(m.line(p.line), rounded).q, p.type});
    }
    return out;
}

DisplayList ProposalReview::overlay(Zoom zoom) const
{
    DisplayList out;
    for (int i = 0; i < count(); ++i) {
        const Proposal& p = m_proposals[std::size_t(i)];
        int x = 0, y = 0;
        screenCentre(p, zoom, x, y);
        if (!m_kept[std::size_t(i)]) {
            const int r = kProposalRingRadius;
            out.push_back(ring(x, y, r, kRejectedProposalColour));
            out.push_back(LinePrimitive(x - r, y - r, x + r + 1, y + r + 1, kRejectedProposalColour, 2));
            continue;
        }
        out.push_back(ring(x, y, kProposalRingRadius, kProposalColour));
        if (p.type == itTriplePoint)
            out.push_back(ring(x, y, kJunctionRingRadius, kProposalColour));
    }
    return out;
}

ScreenBox ProposalReview::bounds(int i, Zoom zoom) const
{
    if (i < 0 || i >= count())
        return {};
    int x = 0, y = 0;
    screenCentre(m_proposals[std::size_t(i)], zoom, x, y);
    // The widest mark with its pen's width on either side.
    const int r = kJunctionRingRadius + 2;
    return {x - r, y - r, x + r + 2, y + r + 2};
}

int AddAcceptedCrossings(Measurement& m, const std::vector<AcceptedCrossing>& crossings)
{
    int added = 0;
    for (const AcceptedCrossing& c : crossings)
        added += !m.AddIntercept(c.point, c.line, c.type).refused();
    return added;
}

}  // namespace tesra
