#pragma once
// Comma-separated text for spreadsheets and scripts: UTF-8, a point as decimal separator, no
// thousands separators, a field quoted only when it holds a comma, a quote or a line end.
// Such a file reads the same in every locale, unlike the clipboard texts, which carry the
// sheet's own formatting.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tesra {

// A number as CSV writes it: at most 10 significant digits, a point, nothing else (1234.5,
// 0.000123, 2.5E-7); empty for a value that is not finite.
std::string CsvNumber(long double value);
// Empty when there is no value.
std::string CsvNumber(const std::optional<long double>& value);

// Builds CSV text row by row; every row ends in "\n".
class CsvText {
public:
    // Starts a row with its first field.
    CsvText& row(std::string_view first);
    // Appends a field to the current row.
    CsvText& text(std::string_view field);
    CsvText& number(long double value) { return text(CsvNumber(value)); }
    CsvText& number(const std::optional<long double>& value) { return text(CsvNumber(value)); }
    CsvText& integer(long long value) { return text(std::to_string(value)); }

    // The text with every row ended.
    std::string str() const;

private:
    std::string m_text;
    bool m_open = false;
};

// Splits CSV text into rows of fields: quoted fields may hold commas, doubled quotes and
// line ends; rows end in "\n" or "\r\n"; a missing last line end is fine. An empty line is
// a row with one empty field. A quote that is never closed ends the field at the text's end.
std::vector<std::vector<std::string>> ParseCsv(std::string_view text);

}  // namespace tesra
