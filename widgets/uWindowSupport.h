#pragma once
// What the window files share: the program's one open window of a kind (fMain(), fImage(),
// ...), the core's texts and file names as Qt strings, and the core's colours as Qt's.
#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <string>
#include <string_view>

#include "imaging/pixel_graphic.h"

namespace tesra {

// A text of the core (UTF-8) as a Qt string.
inline QString qs(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A file name as the bytes the file system uses, for the core's file functions, and such
// bytes back as a file name to show or to open.
inline std::string fsName(const QString& fileName)
{
    return QFile::encodeName(fileName).toStdString();
}

inline QString qtFileName(const std::string& bytes)
{
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

// A colour of the core (0x00BBGGRR) as Qt's opaque 0xAARRGGBB.
inline QRgb qtColour(std::uint32_t colour)
{
    return qRgb(redOf(colour), greenOf(colour), blueOf(colour));
}

// The one window of its kind that is open, behind its accessor (fMain(), fImage(), ...). The
// window's constructor takes the place (`soleWindow<TfMain>() = this`), its destructor leaves
// it (`leaveSoleWindow(this)`) before its parts go; a window leaving a place another one has
// taken over since does not clear it. A window deleted without leaving is forgotten when its
// QObject goes.
template <class Window>
QPointer<Window>& soleWindow()
{
    static QPointer<Window> window;
    return window;
}

template <class Window>
void leaveSoleWindow(Window* window)
{
    if (soleWindow<Window>() == window)
        soleWindow<Window>() = nullptr;
}

}  // namespace tesra
