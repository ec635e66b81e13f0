#pragma once
// The program's start: its windows, created in their order.
#include <QString>

#include <functional>

#include "app/uSplash.h"

class QApplication;
class QWidget;

namespace tesra {

class TfMain;

// The program's name, the command that starts it, and its file version (what --version says).
inline constexpr const char* kProgramName = "Tesra";
inline constexpr const char* kProgramCommand = "tesra";
inline constexpr const char* kProgramVersion = "2.4.2.1";

// Gives the running application the program's name and version.
void SetProgramIdentity();

struct StartupOptions {
    // Show the splash window (the program does; most window tests do without).
    bool showSplash = false;
    // The splash's one-shot timer; empty: a real timer.
    TimerStarter startTimer;
    // Called with each window right after start-up has made it, in creation order.
    std::function<void(QWidget*)> created;
};

// Creates the main window, then (with showSplash) shows and paints the splash window, then
// creates, hidden, the calibration dialog, the about box, the grey-value window and the
// result sheet. The main window owns them all; deleting it ends them.
TfMain* CreateProgramWindows(const StartupOptions& options = {});

// The whole start of the program on an existing application: its name, the help file
// "Tesra.hlp" and F1, the windows with the splash, the main window shown maximised and,
// when `imageFile` is not empty, that image opened.
TfMain* StartProgram(QApplication& app, const QString& imageFile, const StartupOptions& options);

}  // namespace tesra
