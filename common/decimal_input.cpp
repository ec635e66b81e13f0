#include "common/decimal_input.h"

#include <charconv>
#include <cctype>

namespace tesra {

bool ParseStrictDecimal(const std::string& text, long double& value)
{
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && text[i] == ' ')
        ++i;
    const std::size_t start = i;
    if (i < n && (text[i] == '+' || text[i] == '-'))
        ++i;
    std::size_t digits = 0;
    while (i < n && std::isdigit(static_cast<unsigned char>(text[i]))) {
        ++i;
        ++digits;
    }
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && std::isdigit(static_cast<unsigned char>(text[i]))) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-'))
            ++i;
        std::size_t exponentDigits = 0;
        while (i < n && std::isdigit(static_cast<unsigned char>(text[i]))) {
            ++i;
            ++exponentDigits;
        }
        if (exponentDigits == 0)
            return false;
    }
    if (i != n)
        return false;

    // from_chars reads no sign "+" and is independent of the process locale, which the
    // window library sets from the environment.
    std::size_t first = start;
    if (text[first] == '+')
        ++first;
    long double parsed = 0;
    const auto [end, ec] = std::from_chars(text.data() + first, text.data() + n, parsed);
    if (ec != std::errc() || end != text.data() + n)
        return false;
    value = parsed;
    return true;
}

bool ReadDecimal(std::string& text, const std::string& decimalSeparator, long double& value)
{
    if (!decimalSeparator.empty()) {
        const std::size_t at = text.find(decimalSeparator);
        if (at != std::string::npos) {
            text.erase(at, decimalSeparator.size());
            text.insert(text.begin() + static_cast<std::ptrdiff_t>(at), '.');
        }
    }
    return ParseStrictDecimal(text, value);
}

}  // namespace tesra
