#include "view/proposal_review.h"

#include <gtest/gtest.h>

namespace tesra {
namespace {

Proposal at(int line, double x, double y, InterceptType type = itNormal)
{
    Proposal p;
    p.line = line;
    p.x = x;
    p.y = y;
    p.type = type;
    return p;
}

// Three lines; proposals on the second and third.
Measurement threeLines()
{
    Measurement m;
    m.AddTestLine(10, 10, 200, 10, false);
    m.AddTestLine(10, 50, 200, 90, false);
    m.AddTestLine(10, 120, 200, 120, false);
    return m;
}

TEST(ProposalReview, KeptProposalsBecomePointsOnTheirOwnLines)
{
    Measurement m = threeLines();
    ProposalReview review;
    review.start({at(2, 100.4, 68.9), at(2, 150.6, 79.3, itTriplePoint), at(3, 60.5, 120.0)}, m);
    review.toggle(0);
    review.toggle(2);
    review.toggle(2);  // taken back
    EXPECT_EQ(review.keptCount(), 2);
    // Rounded to whole pixels and put onto the line.
    const std::vector<AcceptedCrossing> kept = review.keptCrossings(m);
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0], (AcceptedCrossing{2, {151, 80}, itTriplePoint}));
    EXPECT_EQ(kept[1], (AcceptedCrossing{3, {60, 120}, itNormal}));

    // Line 1 deleted meanwhile: the old line 3 is line 2 now, and line 3 is gone. Nothing
    // lands on a line it was not proposed for.
    m.DeleteTestLine(1);
    EXPECT_TRUE(review.keptCrossings(m).empty());

    Measurement target = threeLines();
    EXPECT_EQ(AddAcceptedCrossings(target, kept), 2);
    EXPECT_EQ(target.interceptCount(), 6 + 2);
    EXPECT_EQ(target.line(2).weightedCount, 1.5L);
}

TEST(ProposalReview, AClickPicksTheNearestRingAtTheZoom)
{
    ProposalReview review;
    review.start({at(1, 100, 10), at(1, 104, 10)}, threeLines());
    // At zoom 3 the rings sit at screen x 300 and 312.
    EXPECT_EQ(review.proposalAt(301, 30, 3), 0);
    EXPECT_EQ(review.proposalAt(308, 31, 3), 1);
    EXPECT_EQ(review.proposalAt(300, 38, 3), -1);
    EXPECT_EQ(review.proposalAt(101, 10, 1), 0);
    // The rings: orange while kept, grey and crossed out when rejected.
    review.toggle(1);
    const DisplayList marks = review.overlay(3);
    ASSERT_EQ(marks.size(), 3u);
    EXPECT_EQ(marks[0].colour, kProposalColour);
    EXPECT_EQ(marks[1].colour, kRejectedProposalColour);
    EXPECT_EQ(marks[2].kind, PrimitiveKind::Line);
    const ScreenBox box = review.bounds(1, 3);
    for (const OverlayPrimitive& p : {marks[1], marks[2]}) {
        const ScreenBox b = primitiveBounds(p);
        EXPECT_TRUE(b.left >= box.left && b.top >= box.top && b.right <= box.right && b.bottom <= box.bottom);
    }
    review.clear();
    EXPECT_FALSE(review.active());
    EXPECT_TRUE(review.overlay(1).empty());
}

}  // namespace
}  // namespace tesra
