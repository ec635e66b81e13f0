#include "app/uCopyRight.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>

#include "app/uArtwork.h"
#include "app/uSplash.h"
#include "view/bitmap_region.h"
#include "view/uQVTransImage.h"
#include "widgets/uWindowSupport.h"

namespace tesra {

TfCopyRight* fCopyRight() { return soleWindow<TfCopyRight>(); }

TfCopyRight::TfCopyRight(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName("fCopyRight");
    soleWindow<TfCopyRight>() = this;
    setWindowTitle("Tesra");
    setModal(true);
    resize(323, 538);

    TransImage = new TQVTransImage(this);
    TransImage->setTransColor(Qt::black);
    TransImage->setPicture(MakeAboutPicture());
    ver = MakeVersionLabel(this, QRect(160, 456, 143, 24));

    bOK = new QPushButton(tr("OK"), this);
    bOK->setObjectName("bOK");
    bOK->setGeometry(111, 496, 100, 32);
    bOK->setFlat(true);
    bOK->setCursor(Qt::PointingHandCursor);
    QFont font = bOK->font();
    font.setPixelSize(19);
    bOK->setFont(font);
    // Text only: the lime caption over the picture, no face of its own.
    bOK->setStyleSheet("QPushButton { color: #00ff00; background: transparent; border: none; }"
                       "QPushButton:focus { text-decoration: underline; }"
                       "QPushButton:pressed { color: #a0ffa0; }");
    bOK->setDefault(true);
    connect(bOK, &QPushButton::clicked, this, &QDialog::accept);

    try {
        TransImage->ApplyShape();
    } catch (const RegionError& e) {
        ShowCreationError(this, e.what());
    }
}

TfCopyRight::~TfCopyRight()
{
    leaveSoleWindow(this);
}

int TfCopyRight::ShowModal()
{
    CentreOnScreen(this);
    bOK->setFocus();
    return exec();
}

}  // namespace tesra
