#pragma once
// A picture control that gives its window the outline of its picture: every pixel of the
// transparent colour is cut out of the window, the window loses its frame and, when asked,
// takes the picture's size. The splash window and the about box each hold one.
#include <QColor>
#include <QImage>
#include <QRegion>
#include <QWidget>

#include <optional>

namespace tesra {

class TQVTransImage : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool AdjustFormSize READ AdjustFormSize WRITE setAdjustFormSize)
    Q_PROPERTY(QColor TransColor READ TransColor WRITE setTransColor)
public:
    // Fills its parent (and follows the parent's size); AdjustFormSize true, TransColor white.
    explicit TQVTransImage(QWidget* parent = nullptr);

    // The picture shown at the control's top-left corner, unscaled.
    void setPicture(const QImage& picture);
    const QImage& picture() const { return m_picture; }

    // When the shape is applied, size the window to the picture.
    bool AdjustFormSize() const { return m_adjustFormSize; }
    void setAdjustFormSize(bool adjust) { m_adjustFormSize = adjust; }
    // The colour of the pixels that are cut out.
    QColor TransColor() const { return m_transColor; }
    void setTransColor(const QColor& colour) { m_transColor = colour; }

    // Shapes the parent window after the picture: no frame, the picture's size (with
    // AdjustFormSize) and a window region of the picture's pixels that are not TransColor.
    // Without a picture the window only loses its frame. Throws RegionError when the region
    // cannot be built; the frame is gone by then and the outline stays rectangular.
    void ApplyShape();

    // The region covering every pixel of `bitmap` that does not match `colour` within
    // `tolerance` per channel; nullopt without a picture.
    static std::optional<QRegion> BitmapToRegion(const QImage& bitmap, const QColor& colour, int tolerance);

signals:
    void clicked();
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    QSize sizeHint() const override;

private:
    QImage m_picture;
    QColor m_transColor = QColor(255, 255, 255);
    bool m_adjustFormSize = true;
    bool m_pressed = false;
};

}  // namespace tesra
