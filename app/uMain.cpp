#include "app/uMain.h"

#include <QMdiArea>
#include <QMdiSubWindow>

namespace tesra {
namespace {
TfMain* g_main = nullptr;
}

TfMain* fMain() { return g_main; }

TfMain::TfMain(QWidget* parent) : QMainWindow(parent)
{
    g_main = this;
    setObjectName("fMain");
    setWindowTitle("Tesra");
    // The frame opens maximised; 800 x 600 is the size it returns to when restored.
    resize(800, 600);
    m_mdi = new QMdiArea(this);
    setCentralWidget(m_mdi);
}

TfMain::~TfMain()
{
    if (g_main == this)
        g_main = nullptr;
}

void TfMain::addChildWindow(QWidget* window)
{
    QMdiSubWindow* sub = m_mdi->addSubWindow(window);
    sub->setWindowTitle(window->windowTitle());
}

void TfMain::SetModified()
{
    if (m_modified)
        return;
    m_modified = true;
    setWindowTitle("*" + windowTitle());
}

void TfMain::ClearModified()
{
    if (!m_modified)
        return;
    m_modified = false;
    if (windowTitle().startsWith('*'))
        setWindowTitle(windowTitle().mid(1));
}

bool TfMain::ConfirmDiscard() { return true; }
void TfMain::ShowInfo(const QString&) {}
void TfMain::HideInfo() {}
void TfMain::ShowCalibrationDistance(long double) {}
void TfMain::UpdateOverview() {}
void TfMain::UpdateOverviewFrame() {}
void TfMain::ShowMagnifier(int, int) {}
void TfMain::SetLockedButtonsEnabled(bool) {}
void TfMain::PressTypeButton(InterceptType type) { m_state.currentType = type; }
void TfMain::CalibrationClosed() {}
void TfMain::ZoomChanged(int) {}
void TfMain::UndoDepthChanged(int) {}
void TfMain::ShowIndicators(bool, const QString&, const QString&, const QString&) {}
void TfMain::ShowCalibration(const QString&, bool) {}
QString TfMain::imageFileName() const { return {}; }
void TfMain::SetLineSetSaveEnabled(bool) {}

}  // namespace tesra
