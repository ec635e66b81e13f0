#pragma once
// Texts in files and on the ANSI clipboard are single-byte Windows-1252; the windows show
// UTF-8. Also the 256-byte text blocks of the measurement files.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tesra {

// A character with no Windows-1252 form becomes "?"; invalid UTF-8 bytes too.
std::string Utf8ToAnsi(std::string_view utf8);
// Bytes 0x81, 0x8D, 0x8F, 0x90, 0x9D (undefined in Windows-1252) map to the C1 controls.
std::string AnsiToUtf8(std::string_view ansi);

using TextBlock = std::array<std::uint8_t, 256>;

// A length byte and up to 255 characters (longer texts are cut); the rest is zero.
TextBlock MakeTextBlock(std::string_view ansi);
void WriteTextBlock(std::string_view ansi, std::uint8_t* out256);
// The characters named by the length byte.
std::string TextBlockText(const std::uint8_t* block256);
// True when the block's length byte and characters equal the text's.
bool TextBlockIs(const std::uint8_t* block256, std::string_view ansi);

}  // namespace tesra
