#pragma once
// The editing controller of the image window: turns left presses, mouse moves and keys (in
// screen pixels of the image area) into operations on the measurement, holds the view state
// (zoom, cursor pixel, rubber band, marker, selected line, second-phase preview) and tells
// the window what to show through EditorHost. It reads the editing state (mode, current
// type) from the host at every event and keeps no mode of its own.
#include <cstdint>
#include <string>

#include "common/number_format.h"
#include "common/user_text.h"
#include "app/document/measuring_document.h"
#include "view/overlay.h"
#include "view/zoom.h"

namespace tesra {

// The three kinds of transient feedback; each is one shape on the screen at most.
enum class FeedbackKind : std::uint8_t { RubberBand, Marker, Preview };

// Key codes the controller knows (the platform's virtual key codes).
inline constexpr int kKeyEscape = 27;
inline constexpr int kKeyDigit1 = 49;  // "1" of the main keyboard; "6" is 54

// The whole magnifications of the zoom menu's upper part (100 % .. 1000 %).
inline constexpr int kMinZoom = 1;
inline constexpr int kMaxZoom = 10;

// How near (in screen pixels) a click or move must come to a test line to act on it in the
// intercept, delete and second-phase modes: a click on empty image never acts on a line far
// away, perhaps outside the view.
inline constexpr int kLineReach = 12;
inline constexpr const char* kNoLineHereText = QT_TRANSLATE_NOOP("Core", "No test line here");

// What the window (or a test) does for the controller.
class EditorHost {
public:
    virtual ~EditorHost() = default;
    // The editing state of the main window, read at every event.
    virtual EditState editState() const = 0;
    // True when "Add circle" is down.
    virtual bool addCircleDown() const = 0;

    virtual void setModified() = 0;
    virtual void showInfo(const std::string& text) = 0;
    virtual void hideInfo() = 0;
    virtual void showCalibrationDistance(long double pixels) = 0;
    virtual void showMagnifier(PixelPoint p) = 0;
    // Unlocks (true) or locks (false) the ten buttons locked while a rubber band is open.
    virtual void setLockedButtonsEnabled(bool enabled) = 0;
    virtual void pressTypeButton(InterceptType type) = 0;
    virtual void selectLineRow(int line) = 0;
    // A note for the status bar ("No test line here").
    virtual void showStatus(const std::string&) {}

    // The overlay changed: repaint what differs from before, and forget marker and preview.
    virtual void repaintOverlay() = 0;
    // The highlighted line changed from oldLine to newLine (either may be 0).
    virtual void highlightChanged(int oldLine, int newLine) = 0;
    // The feedback shape of a kind is now `shape` (empty: none on the screen). The old
    // shape is gone from the screen, the new one shown, both inverted.
    virtual void feedbackChanged(FeedbackKind kind, const DisplayList& oldShape, const DisplayList& shape) = 0;
};

// "Length: " and the length in image pixels, fixed with 5 decimals.
std::string LengthInfoText(long double pixels, const NumberLocale& locale);
// "Intercept # 7       Type: 3".
std::string InterceptInfoText(int index, int type);

class ImageEditor {
public:
    // Edits go to the document, each one step of its history; the document tells its
    // observers (the sheet, the panels) what changed.
    ImageEditor(MeasuringDocument& document, EditorHost& host)
        : m_doc(document), m_m(document.measurement()), m_host(host)
    {
    }

    // The lines changed outside the editor (an undo): a selection beyond the last line is
    // dropped.
    void linesChanged();

    // ---- Events, positions in screen pixels of the image area ----
    // A press of the left button (other buttons are not passed in).
    void leftPress(int sx, int sy);
    void mouseMove(int sx, int sy);
    // A key by virtual key code; true when the controller used it.
    bool keyDown(int key);

    // ---- View state ----
    Zoom zoom() const { return m_zoom; }
    // Sets the zoom; true when it changed. The window then resizes and repaints, which
    // forgets the marker and the preview.
    bool setZoom(Zoom zoom);
    bool zoomIn() { return setZoom(ZoomStep(m_zoom, 1)); }
    bool zoomOut() { return setZoom(ZoomStep(m_zoom, -1)); }

    // A new image was opened: its size, and the marker, selection and preview reset (an
    // open rubber band stays open). The zoom returns to 1.
    void imageOpened(int width, int height);
    int baseWidth() const { return m_baseWidth; }
    int baseHeight() const { return m_baseHeight; }

    // The whole overlay was repainted: the marker and the preview are no longer on the
    // screen. The rubber band is kept on its own layer and stays visible.
    void overlayRepainted();

    // Highlights line n: nothing when n is not an active line or already selected.
    void selectLine(int n);
    int selectedLine() const { return m_selectedLine; }

    // The image pixel of a screen position (at whole zooms divided by the zoom, truncating
    // toward zero).
    PixelPoint toImage(int sx, int sy) const { return {m_zoom.toImage(sx), m_zoom.toImage(sy)}; }

    PixelPoint cursorPixel() const { return m_cursorPixel; }
    bool rubberBandOpen() const { return m_rubberBandStart.x != -1; }
    PixelPoint rubberBandStart() const { return m_rubberBandStart; }
    PixelPoint rubberBandScreenStart() const { return m_rbScreenStart; }
    PixelPoint rubberBandScreenEnd() const { return m_rbScreenEnd; }
    PixelPoint marker() const { return m_marker; }
    bool markerOnIntercept() const { return m_markerOnIntercept; }
    int previewUpper() const { return m_previewUpper; }
    int previewLower() const { return m_previewLower; }

    // The feedback shapes now on the screen.
    const DisplayList& feedback(FeedbackKind kind) const;

    // The overlay of the current state at the current zoom, or for the photo export.
    DisplayList overlay(bool forExport) const { return BuildOverlay(m_m, m_zoom, m_selectedLine, forExport); }

private:
    bool circleBand(const EditState& s) const { return s.mode == emLine && m_host.addCircleDown(); }
    long double liveLength(bool circle) const;
    // The active line nearest to image pixel p when it passes within kLineReach screen
    // pixels, with p moved onto it; otherwise 0 and p unchanged.
    int lineWithinReach(PixelPoint& p) const;
    void setFeedback(FeedbackKind kind, DisplayList shape);

    void bandPress(const EditState& s, PixelPoint p, int sx, int sy);
    void bandMove(const EditState& s, int sx, int sy);
    void closeBand();
    void markerPress(const EditState& s, PixelPoint p);
    void markerMove(PixelPoint p);
    void phasePress(PixelPoint p);
    void phaseMove(PixelPoint p);

    MeasuringDocument& m_doc;
    const Measurement& m_m;
    EditorHost& m_host;

    Zoom m_zoom;
    int m_baseWidth = 0;
    int m_baseHeight = 0;
    PixelPoint m_cursorPixel{0, 0};
    PixelPoint m_rubberBandStart{-1, 0};
    PixelPoint m_rbScreenStart{0, 0};
    PixelPoint m_rbScreenEnd{0, 0};
    PixelPoint m_marker{-10, -10};
    bool m_markerOnIntercept = false;
    int m_selectedLine = 0;
    int m_previewUpper = 0;
    int m_previewLower = 0;

    // What is on the screen of each feedback kind; erasing removes exactly this, whatever
    // the state describes by then.
    DisplayList m_bandShape;
    DisplayList m_markerShape;
    DisplayList m_previewShape;
};

}  // namespace tesra
