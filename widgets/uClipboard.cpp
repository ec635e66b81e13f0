#include "widgets/uClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QRegularExpression>

namespace tesra {

QMimeData* ClipboardMimeData(const ClipboardText& text)
{
    auto* data = new QMimeData;
    data->setText(QString::fromStdString(text.Utf8()));
    data->setData(kAnsiTextMimeType, QByteArray::fromStdString(text.Ansi()));
    return data;
}

void PutOnClipboard(const ClipboardText& text)
{
    QGuiApplication::clipboard()->setMimeData(ClipboardMimeData(text));
}

QString ClipboardDateTime(const QLocale& locale, const QDateTime& when)
{
    QString format = locale.timeFormat(QLocale::LongFormat);
    static const QRegularExpression zone(QStringLiteral("\\s*\\bt+\\b"));
    format.remove(zone);
    return locale.toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(when.time(), format.trimmed());
}

}  // namespace tesra
