#include "widgets/uPanes.h"

#include <QDockWidget>
#include <QMainWindow>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>

namespace tesra {

QDockWidget* AddPane(QMainWindow* frame, QWidget* window, Qt::DockWidgetArea area)
{
    auto* pane = new QDockWidget(window->windowTitle(), frame);
    pane->setObjectName(window->objectName() + "Pane");
    pane->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable
                      | QDockWidget::DockWidgetFloatable);
    auto* scroll = new QScrollArea(pane);
    scroll->setObjectName(window->objectName() + "Scroll");
    scroll->setFrameShape(QFrame::NoFrame);
    // A resizable window fills the pane; a fixed one stays as it is and scrolls.
    scroll->setWidgetResizable(true);
    scroll->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    scroll->setWidget(window);
    pane->setWidget(scroll);
    QObject::connect(window, &QWidget::windowTitleChanged, pane, &QWidget::setWindowTitle);
    frame->addDockWidget(area, pane);
    return pane;
}

QDockWidget* PaneOf(const QWidget* window)
{
    for (QWidget* w = window ? window->parentWidget() : nullptr; w; w = w->parentWidget()) {
        if (auto* pane = qobject_cast<QDockWidget*>(w))
            return pane;
        if (w->isWindow())
            break;
    }
    return nullptr;
}

void ShowPane(QWidget* window)
{
    if (!window)
        return;
    window->show();
    QDockWidget* pane = PaneOf(window);
    if (!pane) {
        window->raise();
        return;
    }
    pane->show();
    pane->raise();
}

int PaneExtraWidth(const QDockWidget* pane)
{
    const auto* scroll = qobject_cast<const QScrollArea*>(pane->widget());
    const int bar = scroll ? scroll->verticalScrollBar()->sizeHint().width() : 0;
    return 2 * pane->style()->pixelMetric(QStyle::PM_DockWidgetFrameWidth, nullptr, pane) + bar;
}

int PaneExtraHeight(const QDockWidget* pane)
{
    const int frame = pane->style()->pixelMetric(QStyle::PM_DockWidgetFrameWidth, nullptr, pane);
    const int title = pane->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, pane);
    return 2 * frame + title;
}

}  // namespace tesra
