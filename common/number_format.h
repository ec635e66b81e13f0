#pragma once
// The number formats of every text the program shows or copies: N(p,d) with thousands
// separators, F(p,d) fixed, G(p) general. The separators come from the caller's locale,
// never from the process.
#include <string>

namespace tesra {

struct NumberLocale {
    std::string decimalSeparator = ",";
    std::string thousandsSeparator = ".";

    static NumberLocale German() { return {",", "."}; }
    static NumberLocale English() { return {".", ","}; }
};

// A value as decimal digits: value = ±0.digits × 10^exponent, the digits without leading or
// trailing zeros (empty for zero). They are the 18 significant digits printf's "%.17Le"
// writes of the exact binary value; every later rounding works on them, halves away from
// zero, as a person rounding the printed number would.
struct DecimalDigits {
    std::string digits;
    int exponent = 0;
    bool negative = false;
};
DecimalDigits ToDecimal(long double value);

// Rounded once (halves away from zero on the 18-digit decimal form) at p significant digits
// or d decimals, whichever is fewer digits, always written with exactly d decimals; grouped
// in threes. A value whose rounded integer part needs more than p digits is written in
// scientific notation.
std::string FormatN(long double value, int precision, int digits, const NumberLocale& locale);
// As FormatN without thousands separators.
std::string FormatF(long double value, int precision, int digits, const NumberLocale& locale);
// The shortest form with at most p significant digits, no trailing zeros; scientific
// (1E20, 1,5E-7) below 0.00001 or when the integer part has more than p digits.
std::string FormatG(long double value, int precision, const NumberLocale& locale);

}  // namespace tesra
