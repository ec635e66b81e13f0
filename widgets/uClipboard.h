#pragma once
// The program's clipboard texts as the windows hand them out: each text both as Unicode text
// and as the Windows-1252 bytes that spreadsheets reading the ANSI clipboard expect, with the
// date and time of its title line in the user's locale.
#include <QDateTime>
#include <QLocale>
#include <QString>

#include "common/clipboard_text.h"

class QMimeData;

namespace tesra {

// The clipboard format of the Windows-1252 bytes.
inline constexpr const char* kAnsiTextMimeType = "text/plain;charset=windows-1252";

// The text in both forms; the caller owns the result (the clipboard takes it).
QMimeData* ClipboardMimeData(const ClipboardText& text);
// Puts the text on the clipboard in both forms.
void PutOnClipboard(const ClipboardText& text);

// The date and time of a title line: the locale's short date and long time, without the time
// zone that the copied texts never carried ("07.12.26 14:05:09", "12/7/26 2:05:09 PM").
QString ClipboardDateTime(const QLocale& locale, const QDateTime& when);

}  // namespace tesra
