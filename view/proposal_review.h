#pragma once
// The review of proposed boundary crossings in the image window: the proposals of the last
// "Propose" shown as hollow marks in a colour of their own, each kept or rejected by the
// user, until all kept ones are accepted as intercepts or all are discarded. Nothing here
// changes the measurement; the window hands the kept crossings to the document.
#include <cstdint>
#include <vector>

#include "analysis/boundary_proposals.h"
#include "app/measurement/measurement.h"
#include "view/overlay.h"

namespace tesra {

// Orange rings for proposals still to be accepted; grey crossed rings for rejected ones.
inline constexpr std::uint32_t kProposalColour = 0x000080FF;          // (255, 128, 0)
inline constexpr std::uint32_t kRejectedProposalColour = 0x00A0A0A0;  // (160, 160, 160)
// Radius of a proposal's ring on the screen, and how far from its centre a click picks it.
inline constexpr int kProposalRingRadius = 6;
inline constexpr int kProposalPickRadius = 7;

// An accepted proposal as the intercept it becomes: a whole pixel on its line.
struct AcceptedCrossing {
    int line = 0;
    PixelPoint point;
    InterceptType type = itNormal;
    friend bool operator==(const AcceptedCrossing&, const AcceptedCrossing&) = default;
};

class ProposalReview {
public:
    // Shows these proposals for the lines of m, all kept; replaces any earlier ones.
    void start(std::vector<Proposal> proposals, const Measurement& m);
    // Forgets every proposal (after accepting or discarding).
    void clear();
    bool active() const { return !m_proposals.empty(); }

    int count() const { return static_cast<int>(m_proposals.size()); }
    int keptCount() const;
    const Proposal& proposal(int i) const { return m_proposals[static_cast<std::size_t>(i)]; }
    bool kept(int i) const { return m_kept[static_cast<std::size_t>(i)]; }

    // The proposal whose ring holds the screen point (sx, sy) at the zoom (the nearest one
    // when rings overlap), or -1.
    int proposalAt(int sx, int sy, Zoom zoom) const;
    // Rejects a kept proposal or takes a rejected one back.
    void toggle(int i);

    // The kept proposals as intercepts: each point rounded to whole pixels and put onto its
    // line, in the order they were proposed. Proposals of a line that is gone or has moved
    // since (a line deleted from the sheet renumbers the others) are left out.
    std::vector<AcceptedCrossing> keptCrossings(const Measurement& m) const;

    // The rings at a zoom: orange for kept proposals (a second ring for a triple junction),
    // grey and crossed out for rejected ones.
    DisplayList overlay(Zoom zoom) const;
    // The screen area of proposal i's marks at the zoom, for repainting only that.
    ScreenBox bounds(int i, Zoom zoom) const;

private:
    std::vector<Proposal> m_proposals;
    std::vector<bool> m_kept;
    std::vector<TestLine> m_lines;  // each proposal's line as it was proposed
};

// Adds the accepted crossings to the measurement as intercepts of their types; returns how
// many were added (AddIntercept refuses a point inside a second-phase stretch and beyond the
// intercepts' capacity).
int AddAcceptedCrossings(Measurement& m, const std::vector<AcceptedCrossing>& crossings);

}  // namespace tesra
