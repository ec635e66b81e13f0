#pragma once
// Message boxes and file dialogs go through here, so that window tests can answer them
// without a person: a test installs handlers; without handlers the real Qt dialogs are shown.
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace tesra {

enum class BoxIcon { None, Information, Question, Warning, Error };
// SaveDiscardCancel is the unsaved-data question: Cancel is its default, so Enter never
// throws work away.
enum class BoxButtons { Ok, YesNo, OkCancel, SaveDiscardCancel };
enum class BoxAnswer { Ok, Yes, No, Cancel, Save, Discard };

struct BoxRequest {
    QString text;
    QString caption;
    BoxIcon icon = BoxIcon::None;
    BoxButtons buttons = BoxButtons::Ok;
};

struct FileRequest {
    bool save = false;
    QString caption;
    QString fileName;       // start name (may hold a folder)
    QStringList filters;    // "Image files (*.bmp *.png)" entries, in order
    int filterIndex = 0;    // the entry selected at start
    QString defaultSuffix;  // added when the chosen name has none ("bmp", "lin")
    bool confirmOverwrite = false;
};

struct FileAnswer {
    QString path;         // empty: cancelled
    int filterIndex = 0;  // the filter entry the user chose
};

using BoxHandler = std::function<BoxAnswer(const BoxRequest&)>;
using FileHandler = std::function<FileAnswer(const FileRequest&)>;

// Shows a message box (or asks the installed handler) and returns the button pressed.
BoxAnswer ShowMessageBox(QWidget* parent, const BoxRequest& request);
// Shows an open or save dialog (or asks the installed handler).
FileAnswer ShowFileDialog(QWidget* parent, const FileRequest& request);

// The answerer a test put in place of the dialogs of one kind (one per handler type: boxes,
// file dialogs, help, filter dialogs); empty while a person answers.
template <typename Handler>
Handler& TestHandler()
{
    static Handler handler;
    return handler;
}

// Installs answerers for tests; an empty function restores the real dialogs.
void SetBoxHandler(BoxHandler handler);
void SetFileHandler(FileHandler handler);

}  // namespace tesra
