#include "app/uStartup.h"

#include <QApplication>
#include <QCoreApplication>

#include "analysis/uGrau.h"
#include "app/uCopyRight.h"
#include "app/uHelp.h"
#include "app/uMain.h"
#include "results/uKalibieren.h"
#include "results/uTabelle.h"

namespace tesra {
namespace {

// The frame and the sheet have pages of their own in the manual; F1 there opens them unless
// the window already names another context.
void giveHelpPage(QWidget* window, int context)
{
    if (HelpContextFor(window) == help::kContents)
        SetHelpContext(window, context);
}

// Opens the image named on the command line, through the main window's own open command
// once it offers one for a given file.
template <typename Window>
void openNamedImage(Window* main, const QString& file)
{
    if constexpr (requires { main->openImageFile(file); })
        main->openImageFile(file);
}

}  // namespace

TfMain* CreateProgramWindows(const StartupOptions& options)
{
    const auto created = [&options](QWidget* window) {
        if (options.created)
            options.created(window);
    };

    auto* main = new TfMain;
    main->ClearModified();
    giveHelpPage(main, help::kMainWindow);
    created(main);

    if (options.showSplash) {
        // Shown and painted before the other windows are made, so the user sees at once
        // that the program is starting.
        auto* splash = new TfSplash(main, options.startTimer);
        splash->show();
        splash->raise();
        splash->repaint();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        created(splash);
    }

    created(new TfKalibieren(main));
    created(new TfCopyRight(main));
    auto* grau = new TfGrau;
    main->addChildWindow(grau);
    created(grau);
    auto* tabelle = new TfTabelle;
    giveHelpPage(tabelle, help::kResultSheet);
    main->addChildWindow(tabelle);
    created(tabelle);
    return main;
}

TfMain* StartProgram(QApplication& app, const QString& imageFile, const StartupOptions& options)
{
    QApplication::setApplicationName("Tesra");
    QApplication::setApplicationVersion("2.4.2.1");
    SetHelpFile(QString());  // "Tesra.hlp" in the program's own directory
    InstallHelpKey(&app);

    TfMain* main = CreateProgramWindows(options);
    main->showMaximized();
    if (!imageFile.isEmpty())
        openNamedImage(main, imageFile);
    return main;
}

}  // namespace tesra
