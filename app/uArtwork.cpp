#include "app/uArtwork.h"

#include <QCoreApplication>
#include <QFont>
#include <QPainter>
#include <QPainterPath>

#include "view/grain_picture.h"

namespace tesra {
namespace {

// The structure in a round field centred at (cx, cy).
QImage fieldPicture(int width, int height, double cx, double cy, double radius, std::uint32_t seed)
{
    GrainPictureOptions options;
    options.width = width;
    options.height = height;
    options.grainSize = 24;
    options.boundaryWidth = 1.2;
    options.seed = seed;
    options.roundField = true;
    options.fieldX = cx;
    options.fieldY = cy;
    options.fieldRadius = radius;
    const std::vector<std::uint32_t> pixels = MakeGrainPicture(options);
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        std::copy_n(pixels.begin() + static_cast<std::ptrdiff_t>(y) * width, width, row);
    }
    return image;
}

QFont sansFont(int pixels, bool bold)
{
    QFont font("Arial");
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// The name across the field: a dark band clipped to the field, the name in white on it.
// Everything drawn over the field stays off pure black, so no hole is cut into it.
void drawName(QPainter& painter, double cx, double cy, double radius, int bandTop, int bandHeight)
{
    QPainterPath field;
    field.addEllipse(QPointF(cx, cy), radius - 3, radius - 3);
    painter.save();
    painter.setClipPath(field);
    painter.fillRect(QRectF(0, bandTop, cx * 2 + 2, bandHeight), QColor(12, 16, 20, 170));
    painter.setPen(QColor(0, 255, 0, 150));
    painter.drawLine(QPointF(0, bandTop), QPointF(cx * 2 + 2, bandTop));
    painter.drawLine(QPointF(0, bandTop + bandHeight), QPointF(cx * 2 + 2, bandTop + bandHeight));
    painter.restore();

    const QRectF nameBox(0, bandTop + 2, cx * 2, bandHeight * 0.7);
    painter.setFont(sansFont(static_cast<int>(bandHeight * 0.58), true));
    painter.setPen(QColor(20, 24, 28));
    painter.drawText(nameBox.translated(2, 2), Qt::AlignCenter, "Tesra");
    painter.setPen(QColor(246, 246, 240));
    painter.drawText(nameBox, Qt::AlignCenter, "Tesra");

    painter.setFont(sansFont(11, false));
    painter.setPen(QColor(200, 210, 200));
    painter.drawText(QRectF(0, bandTop + bandHeight * 0.68, cx * 2, bandHeight * 0.3), Qt::AlignCenter,
                     QCoreApplication::translate("Artwork", "grain size by the linear-intercept method"));
}

void drawPanel(QPainter& painter, const QRectF& box)
{
    painter.setPen(QPen(QColor(110, 115, 120), 2));
    painter.setBrush(QColor(26, 30, 34));
    painter.drawRoundedRect(box, 12, 12);
}

// The field of grains in its circle with the program's name over it, and a painter on it that
// draws smooth shapes and text, for what each picture adds.
struct NamedField {
    QImage image;
    QPainter painter;

    NamedField(int width, int height, double cx, double cy, double radius, std::uint32_t seed, int nameTop,
               int nameHeight)
        : image(fieldPicture(width, height, cx, cy, radius, seed)), painter(&image)
    {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        drawName(painter, cx, cy, radius, nameTop, nameHeight);
    }
};

}  // namespace

QImage MakeSplashPicture()
{
    NamedField picture(320, 339, 160, 158, 154, 20240, 112, 86);
    // The plate under the field that carries the version label.
    drawPanel(picture.painter, QRectF(170, 300, 146, 36));
    picture.painter.end();
    return picture.image;
}

QImage MakeAboutPicture()
{
    NamedField picture(323, 538, 161.5, 156, 152, 5813, 110, 86);
    QPainter& painter = picture.painter;

    const QRectF panel(3, 318, 317, 217);
    drawPanel(painter, panel);
    painter.setPen(QColor(214, 218, 222));
    painter.setFont(sansFont(13, true));
    painter.drawText(QRectF(20, 332, 283, 20), Qt::AlignLeft | Qt::AlignVCenter,
                     QCoreApplication::translate("Artwork", "Mean grain size of micrographs"));
    painter.setFont(sansFont(12, false));
    // One paragraph, wrapped to the panel, so that each language breaks its own lines.
    painter.drawText(QRectF(20, 349, 283, 100), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap,
                     QCoreApplication::translate("Artwork", "Test lines and circles over the image, intercepts of six "
                                                            "types, second-phase stretches and a calibration give the "
                                                            "mean intercept length with its confidence and the "
                                                            "intercepts still needed."));
    painter.setFont(sansFont(14, false));
    painter.setPen(QColor(170, 176, 182));
    painter.drawText(QRectF(20, 456, 140, 24), Qt::AlignLeft | Qt::AlignVCenter,
                     QCoreApplication::translate("Artwork", "Version"));
    painter.setPen(QPen(QColor(70, 76, 82), 1));
    painter.drawLine(QPointF(20, 488), QPointF(303, 488));
    painter.end();
    return picture.image;
}

QIcon ProgramIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/tesra-%1.png").arg(size), QSize(size, size));
    return icon;
}

}  // namespace tesra
