#pragma once
// The program's help: the manual in a help window of our own, opened on its contents by
// "Help" and on a window's page by F1.
//
// A window carries its help context as the dynamic property "helpContext" (an int, see
// app/help_topics.h); SetHelpContext sets it. F1 anywhere in the program looks for the
// context on the focused widget and then on its parents, so a view inside a window may
// carry a context of its own (the grey-value window's three views do).
#include <QString>
#include <QWidget>

#include <functional>

#include "app/help_topics.h"

class QApplication;
class QTextBrowser;
class QWidget;

namespace tesra {

// Name of the dynamic property that holds a widget's help context.
inline constexpr const char* kHelpContextProperty = "helpContext";

// Sets or reads a widget's help context (0: none of its own).
void SetHelpContext(QWidget* widget, int context);
// The context F1 uses for this widget: its own, or the nearest parent's within its window,
// else 0.
int HelpContextFor(const QWidget* widget);

// Opens the help window on the manual's contents page.
void ShowHelpContents(QWidget* parent);
// Opens the help window on the page of a help context (contents for an unknown one).
void ShowHelpContext(QWidget* parent, int context);

// Installs F1 for the whole application: it opens the page of the focused window's context.
void InstallHelpKey(QApplication* app);

// The help file: "Tesra.hlp" in the program's own directory unless set otherwise.
QString HelpFile();
void SetHelpFile(const QString& path);

// For tests: an installed handler receives every help request (context, 0 = contents)
// instead of the help window. An empty function restores the window.
using HelpHandler = std::function<void(int context)>;
void SetHelpHandler(HelpHandler handler);

// The help window: the manual's pages in a browser with "Contents", "Back" and "Forward".
class TfHelp : public QWidget {
    Q_OBJECT
public:
    explicit TfHelp(QWidget* parent = nullptr);

    // Shows a page of the manual ("grey.html#histogram"), loading the help file if needed.
    void showPage(const QString& page);
    // The page shown, as a path inside the manual with its anchor ("grey.html#histogram").
    QString currentPage() const;
    QTextBrowser* browser() const { return m_browser; }

private:
    bool loadHelpFile();

    QTextBrowser* m_browser = nullptr;
};

// The help window, or nullptr when none has been opened yet.
TfHelp* fHelp();

}  // namespace tesra
