// The editing controller, driven as the user drives the image window: presses, moves and keys
// in screen pixels, with a recording host in place of the main window, the sheet and the
// screen. The host keeps the feedback layer as the screen would show it.
#include "view/image_editor.h"

#include <gtest/gtest.h>

#include <tuple>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "analysis/line_geometry.h"

namespace tesra {
namespace {

struct RecordingHost : EditorHost {
    EditState state;
    bool circle = false;
    bool modified = false;
    bool infoVisible = false;
    std::string info;
    std::vector<long double> distances;
    std::vector<PixelPoint> magnifier;
    bool buttonsEnabled = true;
    int lockCalls = 0;
    std::vector<int> rows;
    std::vector<unsigned> changes;  // what the document told its observers
    int repaints = 0;
    std::vector<std::pair<int, int>> highlights;
    std::map<FeedbackKind, DisplayList> screen;
    ImageEditor* editor = nullptr;

    EditState editState() const override { return state; }
    bool addCircleDown() const override { return circle; }
    void setModified() override { modified = true; }
    void showInfo(const std::string& text) override
    {
        info = text;
        infoVisible = true;
    }
    void hideInfo() override { infoVisible = false; }
    std::string status;
    void showStatus(const std::string& text) override { status = text; }
    void showCalibrationDistance(long double pixels) override { distances.push_back(pixels); }
    void showMagnifier(PixelPoint p) override { magnifier.push_back(p); }
    void setLockedButtonsEnabled(bool enabled) override
    {
        buttonsEnabled = enabled;
        ++lockCalls;
    }
    void pressTypeButton(InterceptType type) override { state.currentType = type; }
    void selectLineRow(int line) override { rows.push_back(line); }
    void repaintOverlay() override
    {
        ++repaints;
        if (editor)
            editor->overlayRepainted();
    }
    void highlightChanged(int oldLine, int newLine) override { highlights.emplace_back(oldLine, newLine); }
    void feedbackChanged(FeedbackKind kind, const DisplayList& oldShape, const DisplayList& shape) override
    {
        // What the screen showed must be what the controller erases.
        EXPECT_EQ(screen[kind], oldShape);
        screen[kind] = shape;
    }
    bool nothingOnScreen() const
    {
        for (const auto& [kind, shape] : screen)
            if (!shape.empty())
                return false;
        return true;
    }
};

class Editor : public ::testing::Test {
protected:
    Editor()
    {
        host.editor = &editor;
        editor.imageOpened(640, 480);
        document.subscribe([this](unsigned changes) { host.changes.push_back(changes & dcMeasurement); });
    }
    void mode(EditMode mode) { host.state.mode = mode; }
    // Image pixel (x, y) at the current zoom: the top-left screen pixel of it.
    void click(int x, int y) { editor.leftPress(screen(x), screen(y)); }
    void move(int x, int y) { editor.mouseMove(screen(x), screen(y)); }
    int screen(int v) const { return static_cast<int>(editor.zoom().toScreen(v)); }
    const DisplayList& shown(FeedbackKind kind) { return host.screen[kind]; }

    MeasuringDocument document;
    Measurement& m = document.measurementForLoading();
    RecordingHost host;
    ImageEditor editor{document, host};
};

// ---- Texts and zoom ----

TEST(EditorTexts, LengthAndInterceptAndZoomCaptions)
{
    EXPECT_EQ(LengthInfoText(std::sqrt(20000.0L), NumberLocale::English()), "Length: 141.42136");
    EXPECT_EQ(LengthInfoText(0, NumberLocale::German()), "Length: 0,00000");
    EXPECT_EQ(InterceptInfoText(7, 3), "Intercept # 7       Type: 3");
}

TEST_F(Editor, ZoomStepsReachFromFiveToAThousandPercent)
{
    EXPECT_TRUE(editor.zoomOut());
    EXPECT_EQ(editor.zoom(), Zoom::Percent(50));
    while (editor.zoomOut()) {
    }
    EXPECT_EQ(editor.zoom(), Zoom::Percent(5));
    EXPECT_TRUE(editor.setZoom(1));
    for (int i = 0; i < 9; ++i)
        EXPECT_TRUE(editor.zoomIn());
    EXPECT_EQ(editor.zoom(), 10);
    EXPECT_FALSE(editor.zoomIn());
    EXPECT_EQ(editor.zoom(), 10);
    EXPECT_TRUE(editor.setZoom(4));
    EXPECT_TRUE(editor.setZoom(0));  // kept inside the range: 1
    EXPECT_EQ(editor.zoom(), 1);
    EXPECT_FALSE(editor.setZoom(-3));
}

TEST_F(Editor, ScreenPositionsMapToImagePixelsByTruncation)
{
    editor.setZoom(3);
    EXPECT_EQ(editor.toImage(7, 8), (PixelPoint{2, 2}));
    EXPECT_EQ(editor.toImage(-2, -5), (PixelPoint{0, -1}));  // toward zero outside the image
    mode(emInfo);
    editor.mouseMove(7, 8);
    EXPECT_EQ(editor.cursorPixel(), (PixelPoint{2, 2}));
    ASSERT_FALSE(host.magnifier.empty());
    EXPECT_EQ(host.magnifier.back(), (PixelPoint{2, 2}));
}

// ---- Common steps ----

TEST_F(Editor, ClickInInfoModeOnlySetsModified)
{
    m.AddTestLine(10, 10, 100, 10, false);
    mode(emInfo);
    click(50, 12);
    EXPECT_TRUE(host.modified);
    EXPECT_EQ(m.interceptCount(), 2);
    EXPECT_EQ(host.repaints, 0);
    EXPECT_TRUE(host.changes.empty());
    EXPECT_TRUE(host.buttonsEnabled);
    EXPECT_EQ(editor.cursorPixel(), (PixelPoint{50, 12}));
}

// ---- Rubber band ----

TEST_F(Editor, LineNeedsASecondPixelToClose)
{
    click(10, 10);
    EXPECT_TRUE(editor.rubberBandOpen());
    EXPECT_FALSE(host.buttonsEnabled);
    EXPECT_EQ(host.info, "Length: 0,00000");
    EXPECT_TRUE(shown(FeedbackKind::RubberBand).empty());  // start and end coincide

    click(10, 10);
    EXPECT_TRUE(editor.rubberBandOpen());
    EXPECT_EQ(m.lineCount(), 0);

    click(10, 11);
    EXPECT_FALSE(editor.rubberBandOpen());
    ASSERT_EQ(m.lineCount(), 1);
    // A vertical line: with equal x the point given second is stored first.
    EXPECT_EQ(m.line(1).x1, 10);
    EXPECT_EQ(m.line(1).y1, 11);
    EXPECT_EQ(m.line(1).y2, 10);
    EXPECT_FALSE(m.line(1).isCircle);
    EXPECT_EQ(host.changes, std::vector<unsigned>{dcLines | dcIntercepts});
    EXPECT_EQ(host.repaints, 1);
    EXPECT_TRUE(host.buttonsEnabled);
    EXPECT_FALSE(host.infoVisible);
    EXPECT_TRUE(host.nothingOnScreen());
}

TEST_F(Editor, CircleNeedsWidthAndHeightAndIsSquared)
{
    host.circle = true;
    click(10, 10);
    click(50, 10);  // no height
    EXPECT_TRUE(editor.rubberBandOpen());
    EXPECT_EQ(m.lineCount(), 0);
    click(50, 30);
    ASSERT_EQ(m.lineCount(), 1);
    const TestLine& c = m.line(1);
    EXPECT_TRUE(c.isCircle);
    EXPECT_EQ(c.x1, 10);
    EXPECT_EQ(c.y1, 10);
    EXPECT_EQ(c.x2, 30);
    EXPECT_EQ(c.y2, 30);
    EXPECT_EQ(m.interceptCount(), 0);
}

TEST_F(Editor, RubberBandFollowsTheMouseWithItsLength)
{
    editor.setZoom(2);
    host.state.mode = emLine;
    host.editor = &editor;
    click(0, 0);
    move(100, 100);
    EXPECT_EQ(host.info, "Length: 141,42136");
    ASSERT_EQ(shown(FeedbackKind::RubberBand).size(), 1u);
    const OverlayPrimitive& band = shown(FeedbackKind::RubberBand)[0];
    EXPECT_EQ(band.kind, PrimitiveKind::Line);
    EXPECT_EQ(band.mode, PenMode::Invert);
    EXPECT_EQ(band.x2, 200);
    EXPECT_EQ(band.y2, 200);
    // A repaint leaves the band on its layer and open.
    host.repaintOverlay();
    EXPECT_EQ(shown(FeedbackKind::RubberBand).size(), 1u);
    EXPECT_TRUE(editor.rubberBandOpen());
}

TEST_F(Editor, CircleBandIsTheSquareOfTheSmallerSideTowardTheMouse)
{
    host.circle = true;
    editor.leftPress(100, 100);
    editor.mouseMove(60, 130);  // dx 40, dy 30: the end is (100 - 30, 130)
    EXPECT_EQ(editor.rubberBandScreenEnd(), (PixelPoint{70, 130}));
    ASSERT_EQ(shown(FeedbackKind::RubberBand).size(), 1u);
    const OverlayPrimitive& e = shown(FeedbackKind::RubberBand)[0];
    EXPECT_EQ(e.kind, PrimitiveKind::Ellipse);
    EXPECT_EQ((ScreenBox{e.x1, e.y1, e.x2, e.y2}), (ScreenBox{70, 100, 100, 130}));
    // Pulled to the left the length stays positive: π × side.
    EXPECT_EQ(host.info, "Length: 94,24778");  // π × 30 = 94.2477796…
    editor.mouseMove(90, 40);  // dx 10, dy 60: the end is (90, 100 - 10)
    EXPECT_EQ(editor.rubberBandScreenEnd(), (PixelPoint{90, 90}));
}

TEST_F(Editor, CalibrationBandIsStraightAndSendsTheDistance)
{
    host.circle = true;  // "Add circle" does not matter while calibrating
    mode(emCalibrate);
    click(10, 10);
    move(13, 14);
    EXPECT_EQ(host.info, "Length: 5,00000");
    EXPECT_EQ(shown(FeedbackKind::RubberBand)[0].kind, PrimitiveKind::Line);
    click(13, 14);
    ASSERT_EQ(host.distances.size(), 1u);
    EXPECT_EQ(host.distances[0], 5.0L);
    EXPECT_EQ(m.lineCount(), 0);
    EXPECT_EQ(host.state.mode, emCalibrate);
    EXPECT_TRUE(host.buttonsEnabled);
    // Further distances can be measured.
    click(0, 0);
    click(0, 7);
    ASSERT_EQ(host.distances.size(), 2u);
    EXPECT_EQ(host.distances[1], 7.0L);
}

TEST_F(Editor, EscapeCancelsAnOpenBandOnlyInBandModes)
{
    host.circle = true;
    click(10, 10);
    move(40, 40);
    EXPECT_FALSE(shown(FeedbackKind::RubberBand).empty());
    mode(emSetIntercept);
    EXPECT_FALSE(editor.keyDown(kKeyEscape));
    EXPECT_TRUE(editor.rubberBandOpen());
    mode(emLine);
    EXPECT_TRUE(editor.keyDown(kKeyEscape));
    EXPECT_FALSE(editor.rubberBandOpen());
    EXPECT_TRUE(host.nothingOnScreen());
    EXPECT_TRUE(host.buttonsEnabled);
    EXPECT_FALSE(host.infoVisible);
    EXPECT_EQ(m.lineCount(), 0);
    EXPECT_FALSE(editor.keyDown(kKeyEscape));  // nothing open: nothing to do
}

TEST_F(Editor, LengthOfTheLastBandShowsWhileNoneIsOpen)
{
    move(5, 5);
    EXPECT_EQ(host.info, "Length: 0,00000");
    click(0, 0);
    move(0, 9);
    click(0, 9);
    move(100, 100);
    EXPECT_TRUE(host.infoVisible);
    EXPECT_EQ(host.info, "Length: 9,00000");
}

TEST_F(Editor, BandChangedToCircleMidwayIsErasedAsDrawn)
{
    // The shape on the screen is erased, whatever the shape rule says by then.
    click(10, 10);
    move(30, 40);
    host.circle = true;
    move(50, 60);
    ASSERT_EQ(shown(FeedbackKind::RubberBand).size(), 1u);
    EXPECT_EQ(shown(FeedbackKind::RubberBand)[0].kind, PrimitiveKind::Ellipse);
    editor.keyDown(kKeyEscape);
    EXPECT_TRUE(host.nothingOnScreen());
}

TEST_F(Editor, RefusedLineStillRepaintsAndUnlocks)
{
    for (int i = 0; i < kMaxLines; ++i)
        m.AddTestLine(0, i, 5, i, false);
    click(10, 10);
    click(20, 20);
    EXPECT_EQ(m.lineCount(), kMaxLines);
    EXPECT_TRUE(host.changes.empty());
    EXPECT_EQ(host.repaints, 1);
    EXPECT_TRUE(host.buttonsEnabled);
    EXPECT_FALSE(editor.rubberBandOpen());
}

TEST_F(Editor, DoubleClickWithoutMovementLeavesTheBandOpen)
{
    click(10, 10);
    click(10, 10);
    EXPECT_TRUE(editor.rubberBandOpen());
    EXPECT_FALSE(host.buttonsEnabled);
}

TEST_F(Editor, BandStaysOpenAcrossModeChangesAndANewImage)
{
    click(10, 10);
    mode(emInfo);
    click(30, 30);
    EXPECT_TRUE(editor.rubberBandOpen());
    editor.imageOpened(100, 100);
    EXPECT_TRUE(editor.rubberBandOpen());
    mode(emLine);
    click(30, 30);
    EXPECT_EQ(m.lineCount(), 1);
    EXPECT_TRUE(host.buttonsEnabled);
}

// ---- Marker, set and delete ----

TEST_F(Editor, ClickFarFromEveryLineDoesNothingButSaySo)
{
    m.AddTestLine(10, 100, 300, 100, false);
    const int endType = m.intercept(2).type;
    mode(emSetIntercept);
    host.state.currentType = itTriplePoint;
    // 13 pixels from the line at 100 %, and at 1000 % even 2 pixels are 20 on the screen.
    for (const auto& [zoom, x, y] : {std::tuple{1, 150, 113}, std::tuple{1, 313, 100}, std::tuple{10, 301, 102}}) {
        editor.setZoom(zoom);
        for (EditMode each : {emSetIntercept, emDeleteIntercept, emSecondPhase}) {
            mode(each);
            host.status.clear();
            click(x, y);
            EXPECT_EQ(host.status, "No test line here");
        }
    }
    EXPECT_EQ(m.interceptCount(), 2);
    EXPECT_EQ(m.intercept(2).type, endType);
    EXPECT_FALSE(host.modified);
    EXPECT_EQ(host.repaints, 0);
    EXPECT_TRUE(host.changes.empty());

    // Within 12 screen pixels the click acts on the line's nearest point.
    editor.setZoom(1);
    mode(emSetIntercept);
    click(150, 112);
    ASSERT_EQ(m.interceptCount(), 3);
    EXPECT_EQ(m.intercept(3).x, 150);
    EXPECT_EQ(m.intercept(3).x, 150);
    EXPECT_EQ(m.intercept(3).y, 100);
    EXPECT_EQ(m.intercept(3).type, itTriplePoint);
    EXPECT_EQ(editor.selectedLine(), 1);
    EXPECT_EQ(host.changes, std::vector<unsigned>{dcLines | dcIntercepts});
    EXPECT_EQ(host.repaints, 1);
    EXPECT_EQ(editor.cursorPixel(), (PixelPoint{150, 112}));  // the click, not the snapped point
}

TEST_F(Editor, ToleranceOfFivePixelsFromTheSnappedPoint)
{
    m.AddTestLine(0, 100, 400, 100, false);
    m.AddIntercept({100, 100}, 1, itNormal);  // intercept 3
    mode(emSetIntercept);
    host.state.currentType = itTangent;
    click(105, 110);  // snaps to (105, 100): 5 pixels away, retyped
    EXPECT_EQ(m.interceptCount(), 3);
    EXPECT_EQ(m.intercept(3).type, itTangent);
    click(106, 90);  // snaps to (106, 100): 6 pixels away, added
    EXPECT_EQ(m.interceptCount(), 4);
}

TEST_F(Editor, ToleranceIsTwentyScreenPixelsAtZoomFour)
{
    m.AddTestLine(0, 10, 100, 10, false);
    m.AddIntercept({50, 10}, 1, itNormal);
    editor.setZoom(4);
    mode(emDeleteIntercept);
    editor.leftPress(50 * 4 + 23, 10 * 4 + 3);  // image (55, 10)
    EXPECT_EQ(m.interceptCount(), 2);
    m.AddIntercept({50, 10}, 1, itNormal);
    editor.leftPress(50 * 4 + 24, 10 * 4);  // image (56, 10): out of reach
    EXPECT_EQ(m.interceptCount(), 3);
    EXPECT_EQ(host.repaints, 2);
}

TEST_F(Editor, InterceptInsideAMarkedStretchIsRefusedButRepainted)
{
    m.AddTestLine(0, 10, 100, 10, false);
    m.AddIntercept({20, 10}, 1, itNormal);
    m.AddIntercept({60, 10}, 1, itNormal);
    m.TogglePhaseSegment(4, 3);
    mode(emSetIntercept);
    click(40, 10);
    EXPECT_EQ(m.interceptCount(), 4);
    EXPECT_TRUE(host.changes.empty());
    EXPECT_EQ(host.repaints, 1);
}

TEST_F(Editor, FullMeasurementRefusesTheNextIntercept)
{
    m.AddTestLine(0, 10, 6000, 10, false);
    for (int i = 0; m.interceptCount() < kMaxIntercepts; ++i)
        m.AddIntercept({1 + i, 10}, 1, itNormal);
    mode(emSetIntercept);
    click(5500, 15);
    EXPECT_EQ(m.interceptCount(), kMaxIntercepts);
    EXPECT_EQ(host.repaints, 1);
}

TEST_F(Editor, DeleteModeRemovesOnlyWithinReach)
{
    m.AddTestLine(0, 10, 100, 10, false);
    m.AddIntercept({50, 10}, 1, itNormal);
    mode(emDeleteIntercept);
    click(20, 30);
    EXPECT_EQ(m.interceptCount(), 3);
    EXPECT_TRUE(host.changes.empty());
    click(52, 12);
    EXPECT_EQ(m.interceptCount(), 2);
}

TEST_F(Editor, MarkerCrossSelectsTheLineAndDiscShowsTheIntercept)
{
    m.AddTestLine(0, 10, 100, 10, false);
    m.AddTestLine(0, 50, 100, 50, false);
    m.AddIntercept({40, 50}, 2, itTriplePoint);  // intercept 5
    mode(emSetIntercept);
    move(20, 15);
    EXPECT_EQ(editor.selectedLine(), 1);
    EXPECT_EQ(host.rows, std::vector<int>{1});
    EXPECT_EQ(editor.marker(), (PixelPoint{20, 10}));
    EXPECT_EQ(editor.cursorPixel(), (PixelPoint{20, 10}));
    EXPECT_FALSE(editor.markerOnIntercept());
    EXPECT_EQ(shown(FeedbackKind::Marker), MarkerShape({20, 10}, 1, false));
    EXPECT_FALSE(host.infoVisible);

    move(42, 47);
    EXPECT_EQ(editor.selectedLine(), 2);
    EXPECT_EQ(host.rows, (std::vector<int>{1, 2}));
    EXPECT_EQ((host.highlights.back()), (std::pair<int, int>{1, 2}));
    EXPECT_TRUE(editor.markerOnIntercept());
    EXPECT_EQ(shown(FeedbackKind::Marker), MarkerShape({42, 50}, 1, true));
    EXPECT_EQ(host.info, "Intercept # 5       Type: 3");
    EXPECT_EQ(host.magnifier.back(), (PixelPoint{42, 50}));

    // A repaint wipes the marker; the next move draws it afresh.
    host.repaintOverlay();
    EXPECT_EQ(editor.marker(), (PixelPoint{-10, -10}));
    EXPECT_TRUE(shown(FeedbackKind::Marker).empty());
    move(43, 47);
    EXPECT_EQ(shown(FeedbackKind::Marker), MarkerShape({43, 50}, 1, true));
}

TEST_F(Editor, ExcludedLinesAreNeverSnappedOrHighlighted)
{
    m.AddTestLine(0, 10, 100, 10, false);
    m.setLineActive(1, false);
    mode(emSetIntercept);
    move(50, 12);
    EXPECT_TRUE(host.nothingOnScreen());
    EXPECT_EQ(editor.selectedLine(), 0);
    click(50, 12);
    EXPECT_EQ(m.interceptCount(), 2);
    EXPECT_EQ(editor.selectedLine(), 0);
    EXPECT_EQ(host.status, "No test line here");
    EXPECT_FALSE(host.modified);
    editor.selectLine(1);
    EXPECT_EQ(editor.selectedLine(), 0);
}

TEST_F(Editor, ClickWithNoActiveLineOnlySaysSo)
{
    m.AddTestLine(0, 10, 100, 10, false);
    mode(emSetIntercept);
    move(50, 12);
    EXPECT_EQ(editor.selectedLine(), 1);
    m.setLineActive(1, false);
    click(50, 12);
    EXPECT_EQ(m.interceptCount(), 2);
    EXPECT_EQ(host.status, "No test line here");
}

TEST_F(Editor, DigitKeysPressTypeButtonsOnlyInSetMode)
{
    mode(emLine);
    EXPECT_FALSE(editor.keyDown(kKeyDigit1 + 2));
    EXPECT_EQ(host.state.currentType, itNormal);
    mode(emSetIntercept);
    EXPECT_TRUE(editor.keyDown(kKeyDigit1 + 2));
    EXPECT_EQ(host.state.currentType, itTriplePoint);
    EXPECT_FALSE(editor.keyDown(kKeyDigit1 + 6));  // "7"
    EXPECT_FALSE(editor.keyDown(48));              // "0"
    m.AddTestLine(0, 10, 100, 10, false);
    click(50, 10);
    EXPECT_EQ(m.intercept(3).type, itTriplePoint);
}

TEST_F(Editor, DoubleClickInSetModeAddsThenRetypes)
{
    m.AddTestLine(0, 10, 100, 10, false);
    mode(emSetIntercept);
    click(50, 10);
    click(50, 10);
    EXPECT_EQ(m.interceptCount(), 3);
    EXPECT_EQ(host.repaints, 2);
}

// ---- Second phase ----

class PhaseEditor : public Editor {
protected:
    PhaseEditor()
    {
        m.AddTestLine(0, 10, 100, 10, false);  // intercepts 1 (0, 10) and 2 (100, 10)
        m.AddIntercept({20, 10}, 1, itNormal);  // 3
        m.AddIntercept({60, 10}, 1, itNormal);  // 4
        mode(emSecondPhase);
    }
};

TEST_F(PhaseEditor, PreviewShowsTheStretchUnderTheMouse)
{
    move(40, 20);
    EXPECT_EQ(editor.previewLower(), 3);
    EXPECT_EQ(editor.previewUpper(), 4);
    EXPECT_EQ(shown(FeedbackKind::Preview), PreviewShape(m, 4, 3, 1));
    EXPECT_EQ(shown(FeedbackKind::Preview)[0].penWidth, 3);
    EXPECT_EQ(editor.selectedLine(), 1);
    move(10, 20);
    EXPECT_EQ(shown(FeedbackKind::Preview), PreviewShape(m, 3, 1, 1));
    move(20, 20);  // exactly at an intercept: no pair
    EXPECT_TRUE(shown(FeedbackKind::Preview).empty());
}

TEST_F(PhaseEditor, TwoClicksMarkAndUnmark)
{
    const long double before = m.line(1).secondPhaseLength;
    click(40, 12);
    ASSERT_EQ(m.segmentCount(), 1);
    EXPECT_EQ(m.segment(1).first, 4);
    EXPECT_EQ(m.segment(1).second, 3);
    EXPECT_EQ(m.line(1).secondPhaseLength, 40.0L);
    EXPECT_EQ(host.changes, std::vector<unsigned>{dcLines | dcSegments});
    click(40, 12);
    EXPECT_EQ(m.segmentCount(), 0);
    EXPECT_EQ(m.line(1).secondPhaseLength, before);
    EXPECT_EQ(host.repaints, 2);
}

TEST_F(PhaseEditor, ClickOnAnInterceptChangesNothingButRepaints)
{
    click(60, 20);
    EXPECT_EQ(m.segmentCount(), 0);
    EXPECT_TRUE(host.changes.empty());
    EXPECT_EQ(host.repaints, 1);
}

TEST(PhaseOnCircle, StretchAcrossZeroRunsFromTheLaterIntercept)
{
    MeasuringDocument document;
    Measurement& m = document.measurementForLoading();
    RecordingHost host;
    ImageEditor editor(document, host);
    host.editor = &editor;
    editor.imageOpened(400, 400);
    m.AddTestLine(100, 100, 300, 300, true);  // centre (200, 200), radius 100
    auto at = [](long double phi) {
        return PixelPoint{static_cast<std::int32_t>(std::lround(200 + 100 * std::cos(phi))),
                          static_cast<std::int32_t>(std::lround(200 + 100 * std::sin(phi)))};
    };
    m.AddIntercept(at(1), 1, itNormal);  // 1
    m.AddIntercept(at(5), 1, itNormal);  // 2
    host.state.mode = emSecondPhase;
    const PixelPoint p = at(5.5L);
    editor.leftPress(p.x, p.y);
    ASSERT_EQ(m.segmentCount(), 1);
    EXPECT_EQ(m.segment(1).first, 1);
    EXPECT_EQ(m.segment(1).second, 2);
    const long double expected = (m.intercept(1).position - m.intercept(2).position + kTwoPi) * 100.0L;
    EXPECT_NEAR(static_cast<double>(m.segment(1).length), static_cast<double>(expected), 1e-9);
    EXPECT_NEAR(static_cast<double>(m.segment(1).length), (1 - 5 + 2 * M_PI) * 100, 1.5);
    // Double click: marked and unmarked again.
    editor.leftPress(p.x, p.y);
    EXPECT_EQ(m.segmentCount(), 0);
}

}  // namespace
}  // namespace tesra
