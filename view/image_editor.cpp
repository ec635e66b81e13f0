#include "view/image_editor.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "analysis/line_geometry.h"
#include "common/user_text.h"

namespace tesra {

std::string LengthInfoText(long double pixels, const NumberLocale& locale)
{
    return UserText(QT_TRANSLATE_NOOP("Core", "Length: ")) + FormatF(pixels, 10, 5, locale);
}

std::string InterceptInfoText(int index, int type)
{
    return UserText(QT_TRANSLATE_NOOP("Core", "Intercept # ")) + std::to_string(index) + "       " + UserText(QT_TRANSLATE_NOOP("Core", "Type: ")) + std::to_string(type);
}

bool ImageEditor::setZoom(Zoom zoom)
{
    if (zoom == m_zoom)
        return false;
    m_zoom = zoom;
    return true;
}

void ImageEditor::imageOpened(int width, int height)
{
    m_baseWidth = width;
    m_baseHeight = height;
    m_zoom = 1;
    m_marker = {-10, -10};
    m_selectedLine = 0;
    m_markerOnIntercept = false;
    m_previewUpper = m_previewLower = 0;
    setFeedback(FeedbackKind::Marker, {});
    setFeedback(FeedbackKind::Preview, {});
}

void ImageEditor::overlayRepainted()
{
    m_marker = {-10, -10};
    m_previewUpper = m_previewLower = 0;
    setFeedback(FeedbackKind::Marker, {});
    setFeedback(FeedbackKind::Preview, {});
}

const DisplayList& ImageEditor::feedback(FeedbackKind kind) const
{
    switch (kind) {
    case FeedbackKind::RubberBand:
        return m_bandShape;
    case FeedbackKind::Marker:
        return m_markerShape;
    case FeedbackKind::Preview:
        break;
    }
    return m_previewShape;
}

void ImageEditor::setFeedback(FeedbackKind kind, DisplayList shape)
{
    DisplayList& current = kind == FeedbackKind::RubberBand ? m_bandShape
                           : kind == FeedbackKind::Marker   ? m_markerShape
                                                            : m_previewShape;
    if (current == shape)
        return;
    DisplayList old = std::move(current);
    current = std::move(shape);
    m_host.feedbackChanged(kind, old, current);
}

void ImageEditor::linesChanged()
{
    if (m_selectedLine > m_m.lineCount())
        m_selectedLine = 0;
}

void ImageEditor::selectLine(int n)
{
    if (n < 1 || n > m_m.lineCount() || !m_m.line(n).active || n == m_selectedLine)
        return;
    const int old = m_selectedLine;
    m_selectedLine = n;
    m_host.highlightChanged(old, n);
}

// ---- Events ----

void ImageEditor::leftPress(int sx, int sy)
{
    const EditState s = m_host.editState();
    const PixelPoint p = toImage(sx, sy);
    if (s.mode == emSetIntercept || s.mode == emDeleteIntercept || s.mode == emSecondPhase) {
        PixelPoint onLine = p;
        if (lineWithinReach(onLine) == 0) {
            m_host.showStatus(kNoLineHereText);
            return;
        }
    }
    m_host.setModified();
    m_cursorPixel = p;
    switch (s.mode) {
    case emLine:
    case emCalibrate:
        bandPress(s, p, sx, sy);
        return;
    case emSetIntercept:
    case emDeleteIntercept:
        markerPress(s, p);
        return;
    case emSecondPhase:
        phasePress(p);
        return;
    case emInfo:
    case emManipulate:
        return;
    }
}

void ImageEditor::mouseMove(int sx, int sy)
{
    const EditState s = m_host.editState();
    const PixelPoint p = toImage(sx, sy);
    switch (s.mode) {
    case emLine:
    case emCalibrate:
        bandMove(s, sx, sy);
        break;
    case emSetIntercept:
    case emDeleteIntercept:
        markerMove(p);
        break;
    case emSecondPhase:
        phaseMove(p);
        break;
    case emInfo:
    case emManipulate:
        m_cursorPixel = p;
        break;
    }
    m_host.showMagnifier(m_cursorPixel);
}

bool ImageEditor::keyDown(int key)
{
    const EditState s = m_host.editState();
    if (key == kKeyEscape && (s.mode == emLine || s.mode == emCalibrate) && rubberBandOpen()) {
        setFeedback(FeedbackKind::RubberBand, {});
        m_rubberBandStart.x = -1;
        m_host.hideInfo();
        m_host.setLockedButtonsEnabled(true);
        return true;
    }
    if (s.mode == emSetIntercept && key >= kKeyDigit1 && key < kKeyDigit1 + 6) {
        m_host.pressTypeButton(static_cast<InterceptType>(key - kKeyDigit1 + 1));
        return true;
    }
    return false;
}

// ---- Rubber band (line and calibration modes) ----

long double ImageEditor::liveLength(bool circle) const
{
    const std::int64_t sx = m_zoom.toImage(m_rbScreenStart.x), sy = m_zoom.toImage(m_rbScreenStart.y);
    const std::int64_t ex = m_zoom.toImage(m_rbScreenEnd.x), ey = m_zoom.toImage(m_rbScreenEnd.y);
    if (circle)
        return kPi * static_cast<long double>(std::llabs(ex - sx));
    return std::sqrt(squaredDistance(sx, sy, ex, ey));
}

void ImageEditor::bandPress(const EditState& s, PixelPoint p, int sx, int sy)
{
    if (!rubberBandOpen()) {
        m_rubberBandStart = p;
        m_rbScreenStart = m_rbScreenEnd = {sx, sy};
        m_host.setLockedButtonsEnabled(false);
        m_host.showInfo(LengthInfoText(0, m_doc.numberLocale()));
        return;
    }
    const bool circle = circleBand(s);
    const PixelPoint p0 = m_rubberBandStart;
    // A circle needs a box with width and height; a line only a second pixel.
    const bool closes = circle ? (p.x != p0.x && p.y != p0.y) : (p.x != p0.x || p.y != p0.y);
    if (!closes)
        return;
    m_host.hideInfo();
    if (s.mode == emLine) {
        m_doc.AddTestLine(p0.x, p0.y, p.x, p.y, circle);
    } else {
        m_host.showCalibrationDistance(std::sqrt(squaredDistance(p0.x, p0.y, p.x, p.y)));
    }
    closeBand();
}

void ImageEditor::closeBand()
{
    setFeedback(FeedbackKind::RubberBand, {});
    m_rubberBandStart.x = -1;
    m_host.repaintOverlay();
    m_host.setLockedButtonsEnabled(true);
}

void ImageEditor::bandMove(const EditState& s, int sx, int sy)
{
    const bool circle = circleBand(s);
    if (rubberBandOpen()) {
        if (circle) {
            // The box is the square of the smaller side, anchored at the start and reaching
            // toward the mouse.
            const int x0 = m_rbScreenStart.x, y0 = m_rbScreenStart.y;
            const int dx = std::abs(sx - x0), dy = std::abs(sy - y0);
            if (dy < dx)
                m_rbScreenEnd = {sx > x0 ? x0 + dy : x0 - dy, sy};
            else
                m_rbScreenEnd = {sx, sy > y0 ? y0 + dx : y0 - dx};
        } else {
            m_rbScreenEnd = {sx, sy};
        }
        setFeedback(FeedbackKind::RubberBand,
                    RubberBandShape(m_rbScreenStart.x, m_rbScreenStart.y, m_rbScreenEnd.x, m_rbScreenEnd.y, circle));
    }
    m_cursorPixel = toImage(sx, sy);
    m_host.showInfo(LengthInfoText(liveLength(circle), m_doc.numberLocale()));
}

// ---- Marker (set and delete modes) ----

int ImageEditor::lineWithinReach(PixelPoint& p) const
{
    PixelPoint snapped = p;
    const int L = NearestLine(m_m, snapped);
    if (L == 0)
        return 0;
    const std::int64_t dx = snapped.x - p.x, dy = snapped.y - p.y;
    const std::int64_t percent = m_zoom.percent();
    const std::int64_t reach = std::int64_t{kLineReach} * 100;
    if ((dx * dx + dy * dy) * percent * percent > reach * reach)
        return 0;
    p = snapped;
    return L;
}

void ImageEditor::markerMove(PixelPoint p)
{
    m_marker = p;
    m_cursorPixel = p;
    const int L = lineWithinReach(m_marker);
    if (L == 0) {
        // Nothing a click would act on: no marker, and no intercept number left standing.
        setFeedback(FeedbackKind::Marker, {});
        m_host.hideInfo();
        return;
    }
    if (L != m_selectedLine) {
        selectLine(L);
        m_host.selectLineRow(L);
    }
    const int k = NearestIntercept(m_m, m_marker, m_selectedLine);
    m_markerOnIntercept = k != 0;
    setFeedback(FeedbackKind::Marker, MarkerShape(m_marker, m_zoom, m_markerOnIntercept));
    if (k != 0)
        m_host.showInfo(InterceptInfoText(k, m_m.intercept(k).type));
    else
        m_host.hideInfo();
    m_cursorPixel = m_marker;
}

void ImageEditor::markerPress(const EditState& s, PixelPoint p)
{
    setFeedback(FeedbackKind::Marker, {});
    m_marker = p;
    const int L = NearestLine(m_m, m_marker);
    // No highlight is drawn here: the repaint below draws the selection.
    m_selectedLine = L;
    if (L != 0) {
        const int k = NearestIntercept(m_m, m_marker, L);
        if (s.mode == emSetIntercept) {
            if (k != 0)
                m_doc.RetypeIntercept(k, s.currentType);
            else
                m_doc.AddIntercept(m_marker, L, s.currentType);
        } else if (k != 0) {
            m_doc.DeleteIntercept(k);
        }
    }
    // The intercept number shown before may name an intercept no longer there; the next
    // move over an intercept shows it again.
    m_host.hideInfo();
    m_host.repaintOverlay();
}

// ---- Second-phase marking ----

void ImageEditor::phaseMove(PixelPoint p)
{
    m_marker = p;
    m_cursorPixel = p;
    const int L = lineWithinReach(m_marker);
    if (L != 0 && L != m_selectedLine) {
        selectLine(L);
        m_host.selectLineRow(L);
    }
    const Neighbours n = FindNeighbours(m_m, m_marker, L);
    m_previewLower = n.lower;
    m_previewUpper = n.upper;
    setFeedback(FeedbackKind::Preview, n.found ? PreviewShape(m_m, n.upper, n.lower, m_zoom) : DisplayList{});
    m_cursorPixel = m_marker;
}

void ImageEditor::phasePress(PixelPoint p)
{
    setFeedback(FeedbackKind::Preview, {});
    m_marker = p;
    const int L = NearestLine(m_m, m_marker);
    const Neighbours n = FindNeighbours(m_m, m_marker, L);
    m_previewLower = n.lower;
    m_previewUpper = n.upper;
    if (n.found) {
        // The stretch runs from the enclosing intercept later along the line (first) to the
        // earlier one, so that the overlay's counter-clockwise arc covers it.
        m_doc.TogglePhaseSegment(n.upper, n.lower);
    }
    m_host.repaintOverlay();
}

}  // namespace tesra
