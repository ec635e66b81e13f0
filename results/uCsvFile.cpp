#include "results/uCsvFile.h"

#include <QFile>

#include <exception>
#include <ostream>

#include "app/uDialogs.h"
#include "imaging/formats/safe_save.h"
#include "widgets/uWindowSupport.h"

namespace tesra {

QString AskCsvSaveName(QWidget* parent, const QString& caption, const QString& proposed)
{
    FileRequest request;
    request.save = true;
    request.caption = caption;
    request.fileName = proposed;
    request.filters << QStringLiteral("CSV (*.csv)");
    request.defaultSuffix = "csv";
    request.confirmOverwrite = true;
    const FileAnswer answer = ShowFileDialog(parent, request);
    if (answer.path.isEmpty())
        return {};
    return answer.path.endsWith(".csv", Qt::CaseInsensitive) ? answer.path : answer.path + ".csv";
}

bool WriteCsvFile(QWidget* parent, const QString& path, const std::string& text, const QString& caption)
{
    try {
        safeSave(fsName(path), [&text](std::ostream& out) { out << text; });
    } catch (const std::exception& e) {
        ShowMessageBox(parent, {QString::fromUtf8(e.what()), caption, BoxIcon::Error, BoxButtons::Ok});
        return false;
    }
    return true;
}

}  // namespace tesra
