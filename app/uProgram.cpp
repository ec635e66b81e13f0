// Start-up: the command line first (it needs no display), then one application with one
// main window; the program ends when the window closes.
#include <QApplication>
#include <QCoreApplication>
#include <QSettings>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "app/uCommandLine.h"
#include "app/uLanguage.h"
#include "app/uMain.h"
#include "app/uStartup.h"

namespace {

// Without a display Qt would abort inside QApplication; say what to do instead.
bool displayAvailable()
{
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform)
        return true;
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

}  // namespace

int main(int argc, char** argv)
{
    QStringList files;
    {
        // Help, version and the window-less modes answer here, before anything needs a display.
        QCoreApplication lineOnly(argc, argv);
        tesra::SetProgramIdentity();
        tesra::InstallLanguage();
        const tesra::CommandLine line = tesra::ReadCommandLine(QCoreApplication::arguments(), std::cout, std::cerr);
        if (line.finished)
            return line.exitCode;
        files = line.files;
    }
    if (!displayAvailable()) {
        std::fprintf(stderr,
                     "Tesra needs a graphical display, and none was found (DISPLAY is not set).\n"
                     "Start it from a desktop session, or under a virtual display:\n"
                     "    xvfb-run -a build/release/tesra\n");
        return 2;
    }
    QApplication app(argc, argv);
    tesra::SetProgramIdentity();
    tesra::InstallLanguage();
    tesra::StartupOptions options;
    options.showSplash = true;
    tesra::TfMain* mainWindow = tesra::StartProgram(app, files.value(0), options);
    // The layout of the last run, and this run's for the next.
    QSettings settings;
    mainWindow->RestoreLayout(settings);
    const int result = QApplication::exec();
    mainWindow->SaveLayout(settings);
    delete mainWindow;
    return result;
}
