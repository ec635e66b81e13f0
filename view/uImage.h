#pragma once
// The image window: shows the micrograph at 100 %–1000 %, draws the measurement overlay and
// turns mouse and key events into editing operations on the measurement.
#include <QWidget>
#include <QString>

#include "imaging/pixel_graphic.h"

class QPainter;

namespace tesra {

class TfImage : public QWidget {
    Q_OBJECT
public:
    explicit TfImage(QWidget* parent = nullptr);
    ~TfImage() override;

    // Loads an image file and resets zoom, caption, view state and undo stack. Throws the
    // image library's error on failure, leaving the window as it was.
    void ShowImageFile(const QString& fileName);
    void ZoomIn();
    void ZoomOut();
    void SetZoom(int n);
    int zoom() const { return m_zoom; }

    // Repaints the image and the overlay from the model at once.
    void RepaintOverlay();
    // Draws the overlay onto a painter; forExport draws at image scale with white numbers.
    void PaintOverlay(QPainter& painter, bool forExport);
    void PushImageUndo();
    void PopImageUndo();
    int undoDepth() const { return m_undoDepth; }

    // Highlights test line n (nothing when it is inactive or already selected).
    void SelectLine(int n);
    int selectedLine() const { return m_selectedLine; }

    // The displayed image buffer (filters change it; the analyses read it).
    TPixelGraphic& image() { return m_image; }
    int baseWidth() const { return m_image.Width(); }
    int baseHeight() const { return m_image.Height(); }

private:
    TPixelGraphic m_image;
    int m_zoom = 1;
    int m_undoDepth = 0;
    int m_selectedLine = 0;
};

// The program's image window, or nullptr before the first image was opened.
TfImage* fImage();

}  // namespace tesra
