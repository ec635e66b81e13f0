#include "common/decimal_input.h"

#include <charconv>
#include <cctype>

namespace tesra {

namespace {

// Steps over a sign, if there is one.
void skipSign(const std::string& text, std::size_t& i)
{
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
}

// Steps over a run of digits and tells how many there were.
std::size_t skipDigits(const std::string& text, std::size_t& i)
{
    const std::size_t from = i;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
        ++i;
    return i - from;
}

}  // namespace

bool ParseStrictDecimal(const std::string& text, long double& value)
{
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && text[i] == ' ')
        ++i;
    const std::size_t start = i;
    skipSign(text, i);
    std::size_t digits = skipDigits(text, i);
    if (i < n && text[i] == '.') {
        ++i;
        digits += skipDigits(text, i);
    }
    if (digits == 0)
        return false;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        skipSign(text, i);
        if (skipDigits(text, i) == 0)
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
