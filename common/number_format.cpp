#include "common/number_format.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace tesra {

namespace {

using Decimal = DecimalDigits;

// The 18 significant digits as "%.17Le" gives them; every value takes this way where the
// quick one below cannot be sure of its answer.
Decimal DecimalByPrintf(long double magnitude)
{
    Decimal d;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17Le", magnitude);  // d.ddddddddddddddddde±x
    for (const char* p = buffer; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            d.digits += *p;
    const char* e = std::strchr(buffer, 'e');
    d.exponent = std::atoi(e + 1) + 1;
    return d;
}

using Wide = unsigned __int128;

int BitLength(Wide v)
{
    const auto high = static_cast<std::uint64_t>(v >> 64);
    if (high != 0)
        return 128 - __builtin_clzll(high);
    const auto low = static_cast<std::uint64_t>(v);
    return low != 0 ? 64 - __builtin_clzll(low) : 0;
}

constexpr std::array<std::uint64_t, 20> kPowersOfTen = [] {
    std::array<std::uint64_t, 20> p{};
    p[0] = 1;
    for (std::size_t i = 1; i < p.size(); ++i)
        p[i] = p[i - 1] * 10;
    return p;
}();
constexpr std::uint64_t kLeast18Digits = kPowersOfTen[17];
constexpr std::uint64_t kMost18Digits = kPowersOfTen[18];

// floor(m × 2^b × 10^p) and how the cut-off rest compares with one half (-1, 0, 1), computed
// exactly in 128-bit integers; false when a factor does not fit.
bool ScaledFloor(std::uint64_t m, int b, int p, std::uint64_t& floor, int& rest)
{
    if (p > 19 || p < -19 || b > 63 || b < -127)
        return false;
    Wide numerator = m;
    Wide denominator = 1;
    if (p >= 0)
        numerator *= kPowersOfTen[static_cast<std::size_t>(p)];
    else
        denominator = kPowersOfTen[static_cast<std::size_t>(-p)];
    if (b >= 0) {
        if (BitLength(numerator) + b > 128)
            return false;
        numerator <<= b;
    } else {
        if (BitLength(denominator) - b > 127)
            return false;
        denominator <<= -b;
    }
    const Wide quotient = numerator / denominator;
    if (quotient >= kMost18Digits * Wide(10))
        return false;
    const Wide remainder = numerator - quotient * denominator;
    const Wide other = denominator - remainder;
    floor = static_cast<std::uint64_t>(quotient);
    rest = remainder < other ? -1 : remainder == other ? 0 : 1;
    return true;
}

}  // namespace

DecimalDigits ToDecimal(long double value)
{
    Decimal d;
    d.negative = std::signbit(value);
    const long double magnitude = std::fabs(value);
    if (magnitude == 0)
        return d;
    // The exact binary value m × 2^b scaled to 18 integer digits and rounded to nearest, ties
    // to the even digit, as printf does in the default rounding mode. This needs a 64-bit
    // mantissa and factors within 128 bits (values from about 0.01 to 10^37); the sheet's
    // numbers all lie there, and the rest goes through printf.
    bool quick = std::numeric_limits<long double>::digits == 64 && std::isfinite(magnitude);
    std::uint64_t scaled = 0;
    int k = 0;
    if (quick) {
        int e = 0;
        const long double fraction = std::frexp(magnitude, &e);  // [0.5, 1) × 2^e
        const auto m = static_cast<std::uint64_t>(std::ldexp(fraction, 64));
        // 2^(e-1) <= value < 2^e, so 10^k <= value for this k, and the true power is k or k + 1.
        k = static_cast<int>(std::floor((e - 1) * 0.30102999566398119521L));
        int rest = 0;
        quick = ScaledFloor(m, e - 64, 17 - k, scaled, rest);
        if (quick && scaled >= kMost18Digits) {
            ++k;
            quick = ScaledFloor(m, e - 64, 17 - k, scaled, rest);
        }
        quick = quick && scaled >= kLeast18Digits && scaled < kMost18Digits;
        if (quick && (rest > 0 || (rest == 0 && scaled % 2 == 1)) && ++scaled == kMost18Digits) {
            scaled = kLeast18Digits;
            ++k;
        }
    }
    if (!quick) {
        Decimal slow = DecimalByPrintf(magnitude);
        d.digits = std::move(slow.digits);
        d.exponent = slow.exponent;
    } else {
        char buffer[20];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, scaled).ptr;
        d.digits.assign(buffer, end);
        d.exponent = k + 1;
    }
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    return d;
}

namespace {

// Keeps the first `keep` digits (keep may be 0 or negative), rounding halves up.
void RoundDigits(Decimal& d, int keep)
{
    if (keep >= static_cast<int>(d.digits.size()))
        return;
    if (keep < 0) {
        d.digits.clear();
        return;
    }
    const bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
    d.digits.resize(static_cast<std::size_t>(keep));
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits[static_cast<std::size_t>(i)] == '9') {
            d.digits[static_cast<std::size_t>(i)] = '0';
            --i;
        }
        if (i >= 0) {
            ++d.digits[static_cast<std::size_t>(i)];
        } else {
            d.digits.insert(d.digits.begin(), '1');
            ++d.exponent;
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
}

char DigitAt(const Decimal& d, int index)
{
    if (index < 0 || index >= static_cast<int>(d.digits.size()))
        return '0';
    return d.digits[static_cast<std::size_t>(index)];
}

std::string Sign(const Decimal& d) { return d.negative && !d.digits.empty() ? "-" : ""; }

std::string GroupThousands(const std::string& integer, const std::string& separator)
{
    std::string out;
    const std::size_t n = integer.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += separator;
        out += integer[i];
    }
    return out;
}

// Scientific form: one digit before the separator, `mantissaDigits` - 1 after (or, with
// mantissaDigits 0, only the significant ones), then E, the exponent's sign (the plus sign
// only when `plusSign`) and at least `exponentDigits` digits.
std::string Scientific(const Decimal& d, int mantissaDigits, bool plusSign, int exponentDigits,
                       const NumberLocale& locale)
{
    const int shown = mantissaDigits > 0 ? mantissaDigits : static_cast<int>(d.digits.size());
    std::string out = Sign(d);
    out += DigitAt(d, 0);
    if (shown > 1) {
        out += locale.decimalSeparator;
        for (int i = 1; i < shown; ++i)
            out += DigitAt(d, i);
    }
    const int exponent = d.exponent - 1;
    out += 'E';
    if (exponent < 0)
        out += '-';
    else if (plusSign)
        out += '+';
    std::string number = std::to_string(std::abs(exponent));
    if (static_cast<int>(number.size()) < exponentDigits)
        number.insert(0, static_cast<std::size_t>(exponentDigits) - number.size(), '0');
    return out + number;
}

std::string FormatFixed(long double value, int precision, int digits, const NumberLocale& locale,
                        bool grouped)
{
    precision = std::clamp(precision, 1, 18);
    digits = std::clamp(digits, 0, 18);
    if (!std::isfinite(value))
        return std::isnan(value) ? "NAN" : (value < 0 ? "-INF" : "INF");
    Decimal d = ToDecimal(value);
    // One rounding only, at whichever comes first: the last significant digit allowed or the
    // last decimal shown. Cutting to the precision first and then to the decimals would turn
    // 11.45 (3 digits, no decimals) into 11.5 and then 12.
    RoundDigits(d, std::min(precision, d.exponent + digits));
    if (!d.digits.empty() && d.exponent > precision)
        return Scientific(d, precision, true, std::min(digits, 4), locale);

    std::string integer;
    for (int i = 0; i < d.exponent; ++i)
        integer += DigitAt(d, i);
    if (integer.empty())
        integer.push_back('0');
    std::string out = Sign(d) + (grouped ? GroupThousands(integer, locale.thousandsSeparator) : integer);
    if (digits > 0) {
        out += locale.decimalSeparator;
        for (int i = 0; i < digits; ++i)
            out += DigitAt(d, d.exponent + i);
    }
    return out;
}

}  // namespace

std::string FormatN(long double value, int precision, int digits, const NumberLocale& locale)
{
    return FormatFixed(value, precision, digits, locale, true);
}

std::string FormatF(long double value, int precision, int digits, const NumberLocale& locale)
{
    return FormatFixed(value, precision, digits, locale, false);
}

std::string FormatG(long double value, int precision, const NumberLocale& locale)
{
    precision = std::clamp(precision, 1, 18);
    if (!std::isfinite(value))
        return std::isnan(value) ? "NAN" : (value < 0 ? "-INF" : "INF");
    Decimal d = ToDecimal(value);
    RoundDigits(d, precision);
    if (d.digits.empty())
        return "0";
    // Below 0.00001 the exponent is at most -5; an integer part longer than the precision
    // has more digits than may be shown.
    if (d.exponent < -4 || d.exponent > precision)
        return Scientific(d, 0, false, 0, locale);

    std::string out = Sign(d);
    if (d.exponent <= 0) {
        out += "0" + locale.decimalSeparator + std::string(static_cast<std::size_t>(-d.exponent), '0') + d.digits;
        return out;
    }
    for (int i = 0; i < d.exponent; ++i)
        out += DigitAt(d, i);
    if (static_cast<int>(d.digits.size()) > d.exponent)
        out += locale.decimalSeparator + d.digits.substr(static_cast<std::size_t>(d.exponent));
    return out;
}

}  // namespace tesra
