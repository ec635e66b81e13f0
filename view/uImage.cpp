#include "view/uImage.h"

namespace tesra {
namespace {
TfImage* g_image = nullptr;
}

TfImage* fImage() { return g_image; }

TfImage::TfImage(QWidget* parent) : QWidget(parent)
{
    g_image = this;
    setObjectName("fImage");
}

TfImage::~TfImage()
{
    if (g_image == this)
        g_image = nullptr;
}

void TfImage::ShowImageFile(const QString&) {}
void TfImage::ZoomIn() {}
void TfImage::ZoomOut() {}
void TfImage::SetZoom(int n) { m_zoom = n; }
void TfImage::RepaintOverlay() { update(); }
void TfImage::PaintOverlay(QPainter&, bool) {}
void TfImage::PushImageUndo() {}
void TfImage::PopImageUndo() {}
void TfImage::SelectLine(int n) { m_selectedLine = n; }

}  // namespace tesra
