#pragma once
// The two small panes of the main window's "Übersicht" toolbar: the magnifier around the
// cursor and the overview of the whole image with the visible part framed.
#include <QImage>
#include <QWidget>

#include "app/main_window_rules.h"
#include "imaging/pixel_graphic.h"

namespace tesra {

// The colours of a rectangle of an image buffer as a 32-bit picture (invalid palette
// indexes show black).
QImage PictureOfRect(const TPixelGraphic& image, const PixelRect& rect);

// The 168 × 120 magnifier pane `Image`: a stretched copy of a part of the image with the
// cursor marked in red, or a cross for an image smaller than its window.
class TMagnifier : public QWidget {
    Q_OBJECT
public:
    explicit TMagnifier(QWidget* parent = nullptr);

    // Draws the pane for image point (x, y) at zoom 1..4.
    void showAt(const TPixelGraphic& image, int x, int y, int zoom);
    // The pane's picture (what is painted, at pane pixels).
    const QImage& picture() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_picture;
};

// The overview `ViewPortImage`: the image scaled to the viewer's width, keeping its aspect
// ratio, with the part the image window shows framed.
class TOverview : public QWidget {
    Q_OBJECT
public:
    explicit TOverview(QWidget* parent = nullptr);

    // Shows `picture` (the image of imageWidth × imageHeight pixels, smoothed to the
    // widget's size); the widget becomes width × height.
    void showPicture(const QImage& picture, int imageWidth, int imageHeight, int width, int height);
    // The frame in image pixels.
    void setFrame(const PixelRect& frame);
    const PixelRect& frame() const { return m_frame; }
    const QImage& picture() const { return m_picture; }

signals:
    // A click or drag on the overview asks to show image point (x, y).
    void pointChosen(int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void pointAt(QPoint p);

    QImage m_picture;
    int m_imageWidth = 0;
    int m_imageHeight = 0;
    PixelRect m_frame{0, 0, -1, -1};
};

}  // namespace tesra
