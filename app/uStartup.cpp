#include "app/uStartup.h"

#include <QApplication>
#include <QCoreApplication>

#include "analysis/uGrau.h"
#include "app/uArtwork.h"
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

}  // namespace

TfMain* CreateProgramWindows(const StartupOptions& options)
{
    const auto created = [&options](QWidget* window) {
        if (options.created)
            options.created(window);
    };

    // Every window and pane shows the program's icon in its title bar.
    QApplication::setWindowIcon(ProgramIcon());
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

    created(new TfKalibieren(main->document(), main));
    created(new TfCopyRight(main));
    auto* grau = new TfGrau(main->document());
    // Its pane opens with the first profile, histogram or segment list.
    main->addPane(grau, Qt::RightDockWidgetArea, false);
    created(grau);
    auto* tabelle = new TfTabelle(main->document());
    giveHelpPage(tabelle, help::kResultSheet);
    main->addPane(tabelle, Qt::BottomDockWidgetArea, true);
    created(tabelle);
    return main;
}

void SetProgramIdentity()
{
    QCoreApplication::setApplicationName(kProgramName);
    // The settings (the user's language, ...) live under ~/.config/Tesra/.
    QCoreApplication::setOrganizationName(kProgramName);
    QCoreApplication::setApplicationVersion(kProgramVersion);
}

TfMain* StartProgram(QApplication& app, const QString& imageFile, const StartupOptions& options)
{
    SetProgramIdentity();
    SetHelpFile(QString());  // "Tesra.hlp" in the program's own directory
    InstallHelpKey(&app);

    TfMain* main = CreateProgramWindows(options);
    main->showMaximized();
    // The image named on the command line opens once the event loop runs, so the frame is
    // on the screen before any question or message about the file.
    if (!imageFile.isEmpty())
        QMetaObject::invokeMethod(main, [main, imageFile] { main->openImageFile(imageFile); }, Qt::QueuedConnection);
    return main;
}

}  // namespace tesra
