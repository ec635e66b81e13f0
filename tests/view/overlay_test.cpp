// The overlay's display list, checked against the marks worked out by hand: where each
// line, stretch, cross and square goes at a zoom, in which colour and order.
#include "view/overlay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "analysis/line_geometry.h"

namespace tesra {
namespace {

constexpr std::uint32_t kLime = 0x00FF00, kRed = 0x0000FF, kBlue = 0xFF0000, kYellow = 0x00FFFF;

ScreenBox boxOf(const OverlayPrimitive& p) { return {p.x1, p.y1, p.x2, p.y2}; }

// The filled square of the last intercept in the list.
ScreenBox lastSquare(const DisplayList& list)
{
    const auto it = std::find_if(list.rbegin(), list.rend(),
                                 [](const OverlayPrimitive& p) { return p.kind == PrimitiveKind::FillRect; });
    return it == list.rend() ? ScreenBox{} : boxOf(*it);
}

TEST(Overlay, InterceptMarkIsACrossAndASquareAtZoom)
{
    Measurement m;
    m.AddTestLine(10, 20, 90, 50, false);  // falls to the right: square at lower left
    m.AddIntercept({50, 35}, 1, itTriplePoint);
    const DisplayList list = BuildOverlay(m, 3, 0, false);
    // line, then 3 marks of 3 primitives
    ASSERT_EQ(list.size(), 1u + 9u);
    EXPECT_EQ(list[0].kind, PrimitiveKind::Line);
    EXPECT_EQ((ScreenBox{list[0].x1, list[0].y1, list[0].x2, list[0].y2}), (ScreenBox{30, 60, 270, 150}));
    EXPECT_EQ(list[0].colour, kLime);
    const OverlayPrimitive& h = list[7];
    const OverlayPrimitive& v = list[8];
    const OverlayPrimitive& sq = list[9];
    EXPECT_EQ((ScreenBox{h.x1, h.y1, h.x2, h.y2}), (ScreenBox{146, 105, 154, 105}));
    EXPECT_EQ((ScreenBox{v.x1, v.y1, v.x2, v.y2}), (ScreenBox{150, 101, 150, 109}));
    EXPECT_EQ(sq.kind, PrimitiveKind::FillRect);
    EXPECT_EQ(boxOf(sq), (ScreenBox{141, 109, 146, 114}));  // (X-9..X-5, Y+4..Y+8)
    EXPECT_EQ(sq.colour, kBlue);
    EXPECT_EQ(h.colour, kBlue);
    // The end marks of type V are aqua.
    EXPECT_EQ(list[1].colour, 0xFFFF00u);
}

TEST(Overlay, SquareSideFollowsTheSlope)
{
    Measurement rising;
    rising.AddTestLine(10, 50, 90, 20, false);
    rising.AddIntercept({50, 35}, 1, itNormal);
    EXPECT_EQ(lastSquare(BuildOverlay(rising, 1, 0, false)), (ScreenBox{54, 39, 59, 44}));

    Measurement falling;
    falling.AddTestLine(10, 20, 90, 50, false);
    falling.AddIntercept({50, 35}, 1, itNormal);
    EXPECT_EQ(lastSquare(BuildOverlay(falling, 1, 0, false)), (ScreenBox{41, 39, 46, 44}));

    Measurement flat;
    flat.AddTestLine(10, 20, 90, 20, false);
    flat.AddIntercept({50, 20}, 1, itNormal);
    EXPECT_EQ(lastSquare(BuildOverlay(flat, 1, 0, false)), (ScreenBox{41, 24, 46, 29}));
}

TEST(Overlay, SquareSideOnACircleFollowsTheQuadrant)
{
    // Circle centre (100, 100); points in each quarter and straight above the centre.
    struct Case {
        PixelPoint p;
        bool lowerRight;
    };
    const Case cases[] = {
        {{171, 29}, false},  // upper right
        {{29, 29}, true},    // upper left
        {{29, 171}, false},  // lower left
        {{171, 171}, true},  // lower right
        {{100, 0}, true},    // above the centre: quadrant 2
    };
    for (const Case& c : cases) {
        Measurement m;
        m.AddTestLine(0, 0, 200, 200, true);
        m.AddIntercept(c.p, 1, itNormal);
        const ScreenBox sq = lastSquare(BuildOverlay(m, 1, 0, false));
        if (c.lowerRight)
            EXPECT_EQ(sq, (ScreenBox{c.p.x + 4, c.p.y + 4, c.p.x + 9, c.p.y + 9})) << c.p.x << "," << c.p.y;
        else
            EXPECT_EQ(sq, (ScreenBox{c.p.x - 9, c.p.y + 4, c.p.x - 4, c.p.y + 9})) << c.p.x << "," << c.p.y;
    }
}

TEST(Overlay, ExcludedLineIsGreyAndNeverYellow)
{
    Measurement m;
    m.AddTestLine(0, 0, 100, 0, false);
    m.AddTestLine(0, 50, 100, 50, false);
    m.setLineActive(1, false);
    DisplayList list = BuildOverlay(m, 1, 1, false);
    EXPECT_EQ(list[0].colour, kExcludedLineColour);
    EXPECT_EQ(list[1].colour, kLime);
    EXPECT_EQ(std::count_if(list.begin(), list.end(), [](const auto& p) { return p.colour == kYellow; }), 0);

    // The active line 2 selected: drawn again in yellow after all lines.
    list = BuildOverlay(m, 1, 2, false);
    ASSERT_GT(list.size(), 2u);
    EXPECT_EQ(list[2].colour, kYellow);
    EXPECT_EQ(list[2].y1, 50);
    // A selection beyond the lines (deleted meanwhile) draws nothing.
    EXPECT_EQ(BuildOverlay(m, 1, 3, false).size(), BuildOverlay(m, 1, 0, false).size());
}

TEST(Overlay, CircleIsTheEllipseOfItsBoxScaled)
{
    Measurement m;
    m.AddTestLine(30, 30, 10, 10, true);  // drawn right to left
    const DisplayList list = BuildOverlay(m, 2, 0, false);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].kind, PrimitiveKind::Ellipse);
    EXPECT_EQ(boxOf(list[0]), (ScreenBox{20, 20, 60, 60}));
    EXPECT_FALSE(list[0].filled);
}

TEST(Overlay, StretchesAreRedWidthTwoBetweenTheirIntercepts)
{
    Measurement m;
    m.AddTestLine(0, 10, 100, 10, false);
    m.AddIntercept({20, 10}, 1, itNormal);  // 3
    m.AddIntercept({60, 10}, 1, itNormal);  // 4
    m.TogglePhaseSegment(4, 3);
    const DisplayList list = BuildOverlay(m, 2, 0, false);
    const OverlayPrimitive& s = list[1];
    EXPECT_EQ(s.kind, PrimitiveKind::Line);
    EXPECT_EQ(s.colour, kRed);
    EXPECT_EQ(s.penWidth, 2);
    EXPECT_EQ((ScreenBox{s.x1, s.y1, s.x2, s.y2}), (ScreenBox{120, 20, 40, 20}));
}

TEST(Overlay, ArcRunsCounterClockwiseFromFirstToSecond)
{
    Measurement m;
    m.AddTestLine(0, 0, 200, 200, true);      // centre (100, 100)
    m.AddIntercept({200, 100}, 1, itNormal);  // 1: rightmost, position 0
    m.AddIntercept({100, 200}, 1, itNormal);  // 2: lowest, position π/2
    // first = the later one (2), second = the earlier (1): counter-clockwise on the screen
    // from the bottom (270°) to the right (0°), a quarter turn through the lower right.
    m.TogglePhaseSegment(2, 1);
    const DisplayList list = BuildOverlay(m, 1, 0, false);
    const OverlayPrimitive& a = list[1];
    ASSERT_EQ(a.kind, PrimitiveKind::Arc);
    EXPECT_EQ(boxOf(a), (ScreenBox{0, 0, 200, 200}));
    EXPECT_EQ(a.startAngle16, 270 * 16);
    EXPECT_EQ(a.spanAngle16, 90 * 16);
    EXPECT_EQ((PixelPoint{a.startX, a.startY}), (PixelPoint{100, 200}));
    // The preview from upper to lower is the same arc, inverted and width 3.
    const DisplayList preview = PreviewShape(m, 2, 1, 1);
    ASSERT_EQ(preview.size(), 1u);
    EXPECT_EQ(preview[0].spanAngle16, 90 * 16);
    EXPECT_EQ(preview[0].penWidth, 3);
    EXPECT_EQ(preview[0].mode, PenMode::Invert);
    // The other way round it is three quarters.
    EXPECT_EQ(StretchShape(m, 1, 2, 1, 2, kRed, PenMode::Copy)[0].spanAngle16, 270 * 16);
}

TEST(Overlay, ExportDrawsAtImageScaleWithWhiteNumbers)
{
    Measurement m;
    m.AddTestLine(10, 20, 90, 20, false);
    m.AddTestLine(10, 40, 31, 61, true);  // squared to (10, 40)-(31, 61): top centre 20.5 -> 20
    m.AddTestLine(11, 70, 32, 91, true);  // 21.5 -> 22 (halves to even)
    const DisplayList list = BuildOverlay(m, 5, 0, true);
    std::vector<OverlayPrimitive> texts;
    for (const auto& p : list)
        if (p.kind == PrimitiveKind::Text)
            texts.push_back(p);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].text, "1");
    EXPECT_EQ((PixelPoint{texts[0].x1, texts[0].y1}), (PixelPoint{10, 20}));
    EXPECT_EQ(texts[0].colour, kLineNumberColour);
    EXPECT_EQ((PixelPoint{texts[1].x1, texts[1].y1}), (PixelPoint{20, 40}));
    EXPECT_EQ((PixelPoint{texts[2].x1, texts[2].y1}), (PixelPoint{22, 70}));
    EXPECT_EQ(list[0].x2, 90);  // not times 5
}

TEST(Overlay, UnknownTypeKeepsThePreviousColour)
{
    Measurement m;
    std::vector<TestLine> lines(1);
    lines[0].x2 = 100;
    std::vector<Intercept> cs(2);
    cs[0].line = cs[1].line = 1;
    cs[0].type = itSecondPhase;
    cs[1].type = static_cast<InterceptType>(9);
    cs[1].x = 50;
    m.setRecords(lines, cs, {});
    const DisplayList list = BuildOverlay(m, 1, 0, false);
    EXPECT_EQ(list.back().colour, kRed);
}

TEST(Overlay, DamagedCoordinatesStayInAPaintableRange)
{
    Measurement m;
    std::vector<TestLine> lines(1);
    lines[0].x1 = -2000000000;
    lines[0].x2 = 2000000000;
    m.setRecords(lines, {}, {});
    const DisplayList list = BuildOverlay(m, 10, 0, false);
    EXPECT_LE(list[0].x2, 1 << 22);
    EXPECT_GE(list[0].x1, -(1 << 22));
}

TEST(Feedback, ShapesAreInvertedAndEmptyWhileDegenerate)
{
    EXPECT_TRUE(RubberBandShape(5, 5, 5, 5, false).empty());
    EXPECT_TRUE(RubberBandShape(5, 5, 9, 5, true).empty());
    const DisplayList band = RubberBandShape(40, 40, 10, 10, true);
    ASSERT_EQ(band.size(), 1u);
    EXPECT_EQ(boxOf(band[0]), (ScreenBox{10, 10, 40, 40}));
    EXPECT_EQ(band[0].mode, PenMode::Invert);

    const DisplayList cross = MarkerShape({10, 20}, 2, false);
    ASSERT_EQ(cross.size(), 2u);
    EXPECT_EQ((ScreenBox{cross[0].x1, cross[0].y1, cross[0].x2, cross[0].y2}), (ScreenBox{16, 40, 24, 40}));
    const DisplayList disc = MarkerShape({10, 20}, 2, true);
    ASSERT_EQ(disc.size(), 1u);
    EXPECT_TRUE(disc[0].filled);
    EXPECT_EQ(boxOf(disc[0]), (ScreenBox{15, 35, 25, 45}));
}

TEST(Feedback, BoundsCoverWhatIsDrawn)
{
    const DisplayList l = RubberBandShape(10, 20, 30, 5, false);
    const ScreenBox b = listBounds(l);
    EXPECT_LE(b.left, 10);
    EXPECT_LE(b.top, 5);
    EXPECT_GE(b.right, 31);
    EXPECT_GE(b.bottom, 21);
    EXPECT_TRUE(listBounds({}).isEmpty());
}

// After an edit, the boxes cover every primitive that appeared, went or changed, and leave
// the marks far from the edit alone.
TEST(Overlay, ChangedBoxesCoverTheEditAndNothingFarAway)
{
    Measurement m;
    m.AddTestLine(10, 20, 290, 20, false);
    m.AddTestLine(10, 200, 290, 200, false);
    m.AddIntercept({100, 20}, 1, itNormal);  // # 5, after the end marks 1 to 4
    m.AddIntercept({150, 200}, 2, itNormal);
    const auto covered = [](const std::vector<ScreenBox>& boxes, const ScreenBox& b) {
        return std::any_of(boxes.begin(), boxes.end(), [&](const ScreenBox& c) {
            return c.left <= b.left && c.top <= b.top && c.right >= b.right && c.bottom >= b.bottom;
        });
    };
    const ScreenBox farMark{140, 190, 160, 210};  // the mark on the second line
    const std::vector<std::function<void(Measurement&)>> edits = {
        [](Measurement& e) { e.AddIntercept({200, 20}, 1, itTriplePoint); },
        [](Measurement& e) { e.RetypeIntercept(5, itTangent); },
        [](Measurement& e) { e.DeleteIntercept(5); },
    };
    for (std::size_t k = 0; k < edits.size(); ++k) {
        Measurement after = m;
        edits[k](after);
        const DisplayList a = BuildOverlay(m, 1, 0, false);
        const DisplayList b = BuildOverlay(after, 1, 0, false);
        const std::vector<ScreenBox> boxes = ChangedBoxes(a, b);
        ASSERT_FALSE(boxes.empty()) << k;
        for (const DisplayList* list : {&a, &b})
            for (const OverlayPrimitive& p : *list) {
                const bool differs = std::count(a.begin(), a.end(), p) != std::count(b.begin(), b.end(), p);
                EXPECT_TRUE(!differs || covered(boxes, primitiveBounds(p))) << k;
            }
        for (const ScreenBox& box : boxes)
            EXPECT_FALSE(box.intersects(farMark)) << k;
    }
    EXPECT_TRUE(ChangedBoxes(BuildOverlay(m, 2, 1, false), BuildOverlay(m, 2, 1, false)).empty());
    // The selection changes the highlight only.
    const std::vector<ScreenBox> selected = ChangedBoxes(BuildOverlay(m, 1, 0, false), BuildOverlay(m, 1, 1, false));
    ASSERT_FALSE(selected.empty());
    for (const ScreenBox& box : selected)
        EXPECT_LT(box.bottom, 100);
}

}  // namespace
}  // namespace tesra
