#pragma once
// The program's start: its windows, created in their order.
namespace tesra {

class TfMain;

// Creates the main window and, hidden, the windows that live as long as it does (calibration
// dialog, grey-value window, result sheet). The main window owns them; deleting it ends them.
TfMain* CreateProgramWindows();

}  // namespace tesra
