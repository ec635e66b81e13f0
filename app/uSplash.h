#pragma once
// The splash window: shown at start-up, shaped after its picture, gone 2500 ms later.
#include <QWidget>

#include <functional>

class QLabel;

namespace tesra {

class TQVTransImage;

// Starts a one-shot timer: `timeout` runs `ms` milliseconds later, unless `owner` is gone by
// then. The program uses a real timer; tests pass one whose time they advance themselves.
using TimerStarter = std::function<void(QObject* owner, int ms, std::function<void()> timeout)>;

// The version shown on the splash window and in the about box (file version 2.4.2.1).
inline constexpr const char* kVersionText = "2.4.2\u00DF";

// Makes the `ver` label both windows carry: right-aligned, Arial 16 px, bold, lime, on a
// transparent background.
QLabel* MakeVersionLabel(QWidget* parent, const QRect& geometry);

class TfSplash : public QWidget {
    Q_OBJECT
public:
    // How long the splash stays, from its creation.
    static constexpr int kInterval = 2500;

    // Creates the splash, shaped and centred on the screen, and starts its timer (a real
    // one when `startTimer` is empty). The caller shows it.
    explicit TfSplash(QWidget* parent = nullptr, const TimerStarter& startTimer = {});
    ~TfSplash() override;

    // How often the window has been painted (start-up paints it at once).
    int paintCount() const { return m_paintCount; }

    TQVTransImage* TransImage = nullptr;
    QLabel* ver = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The timer fired: hide the splash and let it go.
    void TimerTimer();

    int m_paintCount = 0;
};

// The splash window while it exists, else nullptr.
TfSplash* fSplash();

// Centres a window on the screen it is on (or the primary one).
void CentreOnScreen(QWidget* window);

// Reports an error of a window's creation in the program's standard error box.
void ShowCreationError(QWidget* window, const char* what);

}  // namespace tesra
