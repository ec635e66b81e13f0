#include "common/clipboard_text.h"

#include "common/ansi_text.h"

namespace tesra {

std::string ClipboardText::Utf8() const
{
    std::string out;
    for (const auto& line : m_lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

std::string ClipboardText::Ansi() const { return Utf8ToAnsi(Utf8()); }

}  // namespace tesra
