#pragma once
// Texts put on the clipboard: lines joined by CR LF, the last line included.
#include <string>
#include <vector>

namespace tesra {

class ClipboardText {
public:
    // One line in UTF-8, without its line end.
    void AddLine(std::string line) { m_lines.push_back(std::move(line)); }
    const std::vector<std::string>& Lines() const { return m_lines; }

    std::string Utf8() const;
    // Windows-1252 bytes, as the ANSI clipboard carries them.
    std::string Ansi() const;

private:
    std::vector<std::string> m_lines;
};

}  // namespace tesra
