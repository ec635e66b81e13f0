#pragma once
// What the window files share: the program's one open window of a kind (fMain(), fImage(),
// ...), the core's texts as Qt strings, and the core's colours as Qt's.
#include <QColor>
#include <QString>

#include <cstdint>
#include <string_view>

#include "imaging/pixel_graphic.h"

namespace tesra {

// A text of the core (UTF-8) as a Qt string.
inline QString qs(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A colour of the core (0x00BBGGRR) as Qt's opaque 0xAARRGGBB.
inline QRgb qtColour(std::uint32_t colour)
{
    return qRgb(redOf(colour), greenOf(colour), blueOf(colour));
}

// The one window of its kind that is open: a window keeps a SoleWindow<itself> member made
// with `this`, and its accessor (fMain(), fImage(), ...) returns current(). When the window
// goes, current() is null again; a second window of the kind takes the place over, and the
// first one leaving afterwards does not clear it.
template <class Window>
class SoleWindow {
public:
    explicit SoleWindow(Window* window) : m_window(window) { slot() = window; }
    ~SoleWindow()
    {
        if (slot() == m_window)
            slot() = nullptr;
    }
    SoleWindow(const SoleWindow&) = delete;
    SoleWindow& operator=(const SoleWindow&) = delete;

    static Window* current() { return slot(); }

private:
    static Window*& slot()
    {
        static Window* window = nullptr;
        return window;
    }
    Window* m_window;
};

}  // namespace tesra
