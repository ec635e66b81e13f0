// Start-up: one application, one main window; the program ends when the window closes.
#include <QApplication>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "app/fields_mode.h"
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
    // Modes without a window run before anything of Qt, so they need no display.
    if (argc > 1 && std::strcmp(argv[1], "--fields") == 0) {
        if (argc < 3) {
            std::fprintf(stderr, "Usage: tesra --fields FILE...\n");
            return 2;
        }
        const std::vector<std::string> files(argv + 2, argv + argc);
        return tesra::PrintFields(files, std::cout, std::cerr);
    }
    if (!displayAvailable()) {
        std::fprintf(stderr,
                     "Tesra needs a graphical display, and none was found (DISPLAY is not set).\n"
                     "Start it from a desktop session, or under a virtual display:\n"
                     "    xvfb-run -a build/release/tesra\n");
        return 2;
    }
    QApplication app(argc, argv);
    // An image named on the command line (or dropped on the program) opens at once.
    const QStringList arguments = QApplication::arguments();
    const QString imageFile = arguments.size() > 1 ? arguments.at(1) : QString();

    tesra::StartupOptions options;
    options.showSplash = true;
    tesra::TfMain* mainWindow = tesra::StartProgram(app, imageFile, options);
    const int result = QApplication::exec();
    delete mainWindow;
    return result;
}
