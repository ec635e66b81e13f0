#include "common/ansi_text.h"

#include <algorithm>
#include <cstring>

namespace tesra {

namespace {

// Unicode code points of the Windows-1252 bytes 0x80..0x9F; the five undefined bytes keep
// their C1 control code point so that every byte survives a round trip.
constexpr char32_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char32_t AnsiToCodePoint(std::uint8_t b)
{
    if (b >= 0x80 && b <= 0x9F)
        return kHighControls[b - 0x80];
    return b;
}

int CodePointToAnsi(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<int>(cp);
    for (int i = 0; i < 32; ++i)
        if (kHighControls[i] == cp)
            return 0x80 + i;
    return -1;
}

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

std::string Utf8ToAnsi(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto b = static_cast<std::uint8_t>(utf8[i]);
        int len = 0;
        char32_t cp = 0;
        if (b < 0x80) {
            len = 1;
            cp = b;
        } else if ((b & 0xE0) == 0xC0) {
            len = 2;
            cp = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            len = 3;
            cp = b & 0x0F;
        } else if ((b & 0xF8) == 0xF0) {
            len = 4;
            cp = b & 0x07;
        }
        bool valid = len > 0 && i + len <= utf8.size();
        for (int k = 1; valid && k < len; ++k) {
            const auto c = static_cast<std::uint8_t>(utf8[i + k]);
            if ((c & 0xC0) != 0x80)
                valid = false;
            else
                cp = (cp << 6) | (c & 0x3F);
        }
        if (!valid) {
            out += '?';
            ++i;
            continue;
        }
        const int ansi = CodePointToAnsi(cp);
        out += ansi < 0 ? '?' : static_cast<char>(ansi);
        i += len;
    }
    return out;
}

std::string AnsiToUtf8(std::string_view ansi)
{
    std::string out;
    out.reserve(ansi.size() + ansi.size() / 4);
    for (char c : ansi)
        AppendUtf8(out, AnsiToCodePoint(static_cast<std::uint8_t>(c)));
    return out;
}

TextBlock MakeTextBlock(std::string_view ansi)
{
    TextBlock block{};
    WriteTextBlock(ansi, block.data());
    return block;
}

void WriteTextBlock(std::string_view ansi, std::uint8_t* out256)
{
    const std::size_t n = std::min<std::size_t>(ansi.size(), 255);
    std::memset(out256, 0, 256);
    out256[0] = static_cast<std::uint8_t>(n);
    std::memcpy(out256 + 1, ansi.data(), n);
}

std::string TextBlockText(const std::uint8_t* block256)
{
    return std::string(reinterpret_cast<const char*>(block256 + 1), block256[0]);
}

bool TextBlockIs(const std::uint8_t* block256, std::string_view ansi)
{
    return ansi.size() <= 255 && block256[0] == ansi.size() &&
           std::memcmp(block256 + 1, ansi.data(), ansi.size()) == 0;
}

}  // namespace tesra
