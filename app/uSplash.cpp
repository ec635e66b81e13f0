#include "app/uSplash.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QTimer>

#include "app/uArtwork.h"
#include "app/uDialogs.h"
#include "view/bitmap_region.h"
#include "view/uQVTransImage.h"
#include "widgets/uWindowSupport.h"

namespace tesra {

QLabel* MakeVersionLabel(QWidget* parent, const QRect& geometry)
{
    auto* label = new QLabel(QString::fromUtf8(kVersionText), parent);
    label->setObjectName("ver");
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont font("Arial");
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(16);
    font.setBold(true);
    label->setFont(font);
    // Lime text; no background of its own, so the picture shows around the letters.
    label->setStyleSheet("QLabel { color: #00ff00; background: transparent; }");
    label->setAttribute(Qt::WA_TranslucentBackground);
    return label;
}

void CentreOnScreen(QWidget* window)
{
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
}

void ShowCreationError(QWidget* window, const char* what)
{
    BoxRequest request;
    request.caption = "Tesra";
    request.text = QString::fromLocal8Bit(what);
    request.icon = BoxIcon::Error;
    ShowMessageBox(window, request);
}

TfSplash::TfSplash(QWidget* parent, const TimerStarter& startTimer)
    : QWidget(parent, Qt::SplashScreen | Qt::WindowStaysOnTopHint)
{
    setObjectName("fSplash");
    soleWindow<TfSplash>() = this;
    resize(320, 339);

    TransImage = new TQVTransImage(this);
    TransImage->setTransColor(Qt::black);
    TransImage->setPicture(MakeSplashPicture());
    ver = MakeVersionLabel(this, QRect(178, 306, 128, 24));

    // The splash goes 2500 ms after it was made, whatever the user does meanwhile.
    auto timeout = [this] { TimerTimer(); };
    if (startTimer)
        startTimer(this, kInterval, timeout);
    else
        QTimer::singleShot(kInterval, this, timeout);

    try {
        TransImage->ApplyShape();
    } catch (const RegionError& e) {
        ShowCreationError(this, e.what());
    }
    CentreOnScreen(this);
}

TfSplash::~TfSplash()
{
    leaveSoleWindow(this);
}

TfSplash* fSplash() { return soleWindow<TfSplash>(); }

void TfSplash::paintEvent(QPaintEvent* event)
{
    ++m_paintCount;
    QWidget::paintEvent(event);
}

void TfSplash::TimerTimer()
{
    hide();
    deleteLater();
}

}  // namespace tesra
