#pragma once
// The frame's panes: the sheet and the grey-value window sit in dock panes beside and below
// the image, never over it. A pane can be closed (its window only hides), dragged to another
// edge or out of the frame, and comes back through the Window menu.
#include <Qt>

class QDockWidget;
class QMainWindow;
class QWidget;

namespace tesra {

// Puts `window` into a new closable pane of `frame` at `area`. The window keeps its own size
// rules: one of a fixed size (the grey-value window) scrolls inside a smaller pane. The pane
// takes the window's title and follows it, and is named after the window ("<name>Pane") so
// that the frame's remembered layout finds it again.
QDockWidget* AddPane(QMainWindow* frame, QWidget* window, Qt::DockWidgetArea area);

// The pane holding `window`, or nullptr when it is a window of its own.
QDockWidget* PaneOf(const QWidget* window);

// Shows `window` and the pane it sits in, in front of a pane sharing its place.
void ShowPane(QWidget* window);

// The room the pane needs around its window: title bar and borders.
int PaneExtraWidth(const QDockWidget* pane);
int PaneExtraHeight(const QDockWidget* pane);

}  // namespace tesra
