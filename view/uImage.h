#pragma once
// The image window: shows the micrograph at 1 %–1000 %, draws the measurement overlay and
// turns mouse and key events into editing operations on the measurement.
//
// The rules live in the core: ImageEditor (view/image_editor.h) holds the view state and
// decides what a press, a move or a key does; the overlay is a display list
// (view/overlay.h) that this window only replays. The window paints only the exposed part
// of the magnified image, converting just that part of the image buffer, so its memory does
// not grow with the zoom. Below 100 % it shows a smoothed reduced copy made once per zoom
// from halved copies of the image, which are made once per image. The transient feedback (rubber band, marker, second-phase preview)
// lives on a layer of its own, drawn inverted over image and overlay; a repaint wipes the
// marker and the preview but keeps an open rubber band visible.
#include <QImage>
#include <QString>
#include <QWidget>

#include "imaging/pixel_graphic.h"
#include "imaging/progress.h"
#include "view/image_editor.h"
#include "view/image_raster.h"
#include "view/scale_bar.h"
#include "view/proposal_review.h"

class QPainter;
class QScrollArea;

namespace tesra {

// Shows the hourglass for the whole application while the image library reports progress.
class HourglassProgress : public ProgressSink {
public:
    ~HourglassProgress() override;
    void begin() override;
    void end() override;
    int depth() const { return m_depth; }

private:
    int m_depth = 0;
};

class TfImage : public QWidget, private EditorHost {
    Q_OBJECT
public:
    // Shows the document's image and measurement and edits them.
    explicit TfImage(MeasuringDocument& document, QWidget* parent = nullptr);
    ~TfImage() override;

    // Loads an image file into the document and resets zoom, caption and view state. Throws
    // the image library's error on failure, leaving document and window as they were.
    void ShowImageFile(const QString& fileName);
    // Puts a new image buffer (a test's picture) into the document and shows it: zoom and
    // selection stay while the size does.
    void ReplaceImage(TPixelGraphic image);
    // Zoom steps in and out, keeping the image point at the view's centre in place.
    void ZoomIn();
    void ZoomOut();
    // Sets the zoom, keeping the view's centre.
    void SetZoom(Zoom zoom);
    // Sets the zoom keeping the image point under `viewportPoint` (in the visible area) in place.
    void SetZoomAt(Zoom zoom, QPoint viewportPoint);
    // The zoom at which the whole image fits the visible area (at most 100 %).
    Zoom fitZoom() const;
    // An image larger than the visible area is shown whole (at its fit zoom).
    void FitWhenLarger();
    // Scrolls so that image point (x, y) is at the centre of the visible area, as far as
    // the image reaches.
    void CentreOn(int x, int y);
    Zoom zoom() const { return m_editor.zoom(); }
    // The pixels of the image changed (a filter, an undo): the reduced copies are made anew
    // and everything repaints.
    void PixelsChanged();
    // A smoothed picture of the whole image at width × height, for the overview.
    QImage Thumbnail(int width, int height);

    // Repaints the image and the overlay from the model (after any change of the
    // measurement or of the image's pixels); forgets the marker and the preview.
    void RepaintOverlay();
    // Draws the overlay onto a painter; forExport draws at image scale with white numbers.
    void PaintOverlay(QPainter& painter, bool forExport);
    // The photo: a copy of the image at 100 % with the overlay drawn for export on it, and
    // the scale bar when one is given.
    QImage RenderPhoto(const std::optional<ScaleBar>& bar = std::nullopt);
    // The same as a 24-bit image buffer, for the image writers.
    TPixelGraphic PhotoGraphic(const std::optional<ScaleBar>& bar = std::nullopt);

    // The image steps the document's history can undo (the count `bUndo` shows).
    int undoDepth() const { return m_doc.history().imageSteps(); }

    // Highlights test line n (nothing when it is inactive or already selected).
    void SelectLine(int n);
    int selectedLine() const { return m_editor.selectedLine(); }

    // The displayed image buffer, the document's (the analyses read it).
    const TPixelGraphic& image() const { return m_doc.image(); }
    int baseWidth() const { return m_editor.baseWidth(); }
    int baseHeight() const { return m_editor.baseHeight(); }

    // Where the image library's long operations on a buffer report, for the hourglass.
    ProgressSink* busyCursor() { return &m_busy; }

    // ---- Proposed crossings ----
    // Proposes the crossings of the given lines (1-based) and shows them for review in place
    // of earlier ones; progress goes to `progress` (may be null). Returns how many.
    int ProposeCrossings(const std::vector<int>& lines, const ProposalSettings& settings, ProgressSink* progress);
    // The kept proposals become intercepts, as one change of the measurement; the review ends.
    void AcceptProposals();
    // The review ends without any change.
    void DiscardProposals();
    const ProposalReview& proposals() const { return m_review; }

    // The view state of the editing (cursor pixel, rubber band, marker, preview).
    const ImageEditor& editor() const { return m_editor; }
    // For the overview frame: the scroll positions and the visible client size.
    int horizontalScroll() const;
    int verticalScroll() const;
    QSize clientSize() const;
    // The design size of the image window.
    QSize sizeHint() const override { return QSize(510, 332); }

    // ---- For the canvas `TempImage` ----
    void paintCanvas(QPainter& painter, const QRect& exposed);
    void canvasPress(int x, int y);
    void canvasMove(int x, int y);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool handleKey(QKeyEvent* event);
    void documentChanged(unsigned changes);
    void imageChanged();
    // The zoom changed from oldZoom: resize, keep the image point under `keep` (a point of
    // the visible area; none when null) and repaint.
    void zoomChanged(Zoom oldZoom, QPoint keep);
    void drawImagePart(QPainter& painter, const QRect& exposed);
    // Makes the reduced copy for the current zoom (below 100 %) when it is missing.
    void prepareReduced();
    // The whole image shrunk to width × height, smoothed, from the nearest halved copy.
    QImage shrunk(int width, int height);
    void viewMoved();
    void invalidate(const ScreenBox& box);
    // The measurement or the selection changed: the overlay is built anew and only the
    // shapes that differ are painted again. refreshOverlay also forgets marker and preview.
    void refreshOverlay();
    void updateOverlay();
    // In intercept mode a click on a proposal rejects it or takes it back; true when it did.
    bool proposalPress(int x, int y);
    void showProposalStatus(const QString& text);

    // EditorHost
    EditState editState() const override;
    bool addCircleDown() const override;
    void setModified() override;
    void showInfo(const std::string& text) override;
    void hideInfo() override;
    void showCalibrationDistance(long double pixels) override;
    void showMagnifier(PixelPoint p) override;
    void setLockedButtonsEnabled(bool enabled) override;
    void pressTypeButton(InterceptType type) override;
    void selectLineRow(int line) override;
    void showStatus(const std::string& text) override;
    void repaintOverlay() override { refreshOverlay(); }
    void highlightChanged(int oldLine, int newLine) override;
    void feedbackChanged(FeedbackKind kind, const DisplayList& oldShape, const DisplayList& shape) override;

    MeasuringDocument& m_doc;
    ImageEditor m_editor;
    ProposalReview m_review;
    HourglassProgress m_busy;
    int m_subscription = 0;
    QScrollArea* m_scroll = nullptr;
    QWidget* m_canvas = nullptr;
    // The converted part of the image being painted; never larger than the exposed area.
    QImage m_tile;
    // The image halved, quartered, ... (made when first needed, dropped when the pixels
    // change), and the copy at the current zoom below 100 %.
    std::vector<ScreenRaster> m_halves;
    QImage m_reduced;
    // The overlay as last told: rebuilt on every change of the measurement, the selection
    // or the zoom, and compared with the one before to find what to repaint.
    DisplayList m_overlay;
};

// Replays a display list with a painter, skipping what lies outside `clip`.
void ReplayDisplayList(QPainter& painter, const DisplayList& list, const QRect& clip);

// The program's image window, or nullptr before the first image was opened.
TfImage* fImage();

}  // namespace tesra
