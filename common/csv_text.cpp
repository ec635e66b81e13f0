#include "common/csv_text.h"

#include <cmath>

#include "common/number_format.h"

namespace tesra {

std::string CsvNumber(long double value)
{
    if (!std::isfinite(value))
        return {};
    static const NumberLocale plain{".", ""};
    return FormatG(value, 10, plain);
}

std::string CsvNumber(const std::optional<long double>& value)
{
    return value ? CsvNumber(*value) : std::string();
}

CsvText& CsvText::row(std::string_view first)
{
    if (m_open)
        m_text += '\n';
    m_open = false;
    return text(first);
}

CsvText& CsvText::text(std::string_view field)
{
    if (m_open)
        m_text += ',';
    m_open = true;
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        m_text += field;
        return *this;
    }
    m_text += '"';
    for (char c : field) {
        if (c == '"')
            m_text += '"';
        m_text += c;
    }
    m_text += '"';
    return *this;
}

std::string CsvText::str() const
{
    return m_open ? m_text + '\n' : m_text;
}

std::vector<std::vector<std::string>> ParseCsv(std::string_view text)
{
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string field;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        if (text[i] == '"') {
            for (++i; i < n; ++i) {
                if (text[i] != '"') {
                    field += text[i];
                } else if (i + 1 < n && text[i + 1] == '"') {
                    field += '"';
                    ++i;
                } else {
                    ++i;
                    break;
                }
            }
            continue;
        }
        const char c = text[i++];
        if (c == ',') {
            row.push_back(std::move(field));
            field.clear();
        } else if (c == '\n' || (c == '\r' && i < n && text[i] == '\n')) {
            if (c == '\r')
                ++i;
            row.push_back(std::move(field));
            field.clear();
            rows.push_back(std::move(row));
            row.clear();
        } else {
            field += c;
        }
    }
    if (!field.empty() || !row.empty()) {
        row.push_back(std::move(field));
        rows.push_back(std::move(row));
    }
    return rows;
}

}  // namespace tesra
