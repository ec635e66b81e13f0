#include "app/uDialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace tesra {
namespace {

QMessageBox::Icon qtIcon(BoxIcon icon)
{
    switch (icon) {
    case BoxIcon::Information: return QMessageBox::Information;
    case BoxIcon::Question: return QMessageBox::Question;
    case BoxIcon::Warning: return QMessageBox::Warning;
    case BoxIcon::Error: return QMessageBox::Critical;
    case BoxIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

void SetBoxHandler(BoxHandler handler) { TestHandler<BoxHandler>() = std::move(handler); }
void SetFileHandler(FileHandler handler) { TestHandler<FileHandler>() = std::move(handler); }

BoxAnswer ShowMessageBox(QWidget* parent, const BoxRequest& request)
{
    if (TestHandler<BoxHandler>())
        return TestHandler<BoxHandler>()(request);
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    if (request.buttons == BoxButtons::YesNo)
        buttons = QMessageBox::Yes | QMessageBox::No;
    else if (request.buttons == BoxButtons::OkCancel)
        buttons = QMessageBox::Ok | QMessageBox::Cancel;
    else if (request.buttons == BoxButtons::SaveDiscardCancel)
        buttons = QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel;
    QMessageBox box(qtIcon(request.icon), request.caption, request.text, buttons, parent);
    if (request.buttons == BoxButtons::SaveDiscardCancel) {
        box.setDefaultButton(QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
    }
    switch (box.exec()) {
    case QMessageBox::Ok: return BoxAnswer::Ok;
    case QMessageBox::Yes: return BoxAnswer::Yes;
    case QMessageBox::No: return BoxAnswer::No;
    case QMessageBox::Cancel: return BoxAnswer::Cancel;
    case QMessageBox::Save: return BoxAnswer::Save;
    case QMessageBox::Discard: return BoxAnswer::Discard;
    default: break;
    }
    // A box closed without a button: a question counts as answered No, a warning and the
    // unsaved-data question as Cancel.
    if (request.buttons == BoxButtons::YesNo)
        return BoxAnswer::No;
    return request.buttons == BoxButtons::Ok ? BoxAnswer::Ok : BoxAnswer::Cancel;
}

FileAnswer ShowFileDialog(QWidget* parent, const FileRequest& request)
{
    if (TestHandler<FileHandler>())
        return TestHandler<FileHandler>()(request);
    QFileDialog dialog(parent, request.caption, request.fileName);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters(request.filters);
    if (request.filterIndex >= 0 && request.filterIndex < request.filters.size())
        dialog.selectNameFilter(request.filters[request.filterIndex]);
    if (!request.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.confirmOverwrite)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!request.fileName.isEmpty() && !QFileInfo(request.fileName).isDir())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return {dialog.selectedFiles().front(),
            static_cast<int>(request.filters.indexOf(dialog.selectedNameFilter()))};
}

}  // namespace tesra
