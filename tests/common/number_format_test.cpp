#include "common/number_format.h"
#include "common/rounding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

namespace tesra {
namespace {

const NumberLocale kGerman = NumberLocale::German();
const NumberLocale kEnglish = NumberLocale::English();

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour)
{
    EXPECT_EQ(R(2.5L), 2);
    EXPECT_EQ(R(3.5L), 4);
    EXPECT_EQ(R(-2.5L), -2);
    EXPECT_EQ(R(-3.5L), -4);
    EXPECT_EQ(R(0.5L), 0);
    EXPECT_EQ(R(1.5L), 2);
    EXPECT_EQ(R(2.4999999L), 2);
    EXPECT_EQ(R(-0.4L), 0);
    EXPECT_EQ(R(123456789.5L), 123456790);
    EXPECT_EQ(R(-123456788.5L), -123456788);
    EXPECT_EQ(R(0.49999999999999999L), 0);
    EXPECT_EQ(R(-0.5L), 0);
    // Halves at the top of the range, where the extended format still holds them.
    EXPECT_EQ(R(4611686018427387904.5L), 4611686018427387904LL);
    EXPECT_EQ(R(4611686018427387905.5L), 4611686018427387906LL);
    EXPECT_EQ(R(9.3e18L), INT64_MAX);
    EXPECT_EQ(R(-9.3e18L), INT64_MIN);
    EXPECT_EQ(R(std::nanl("")), 0);
    EXPECT_EQ(R(HUGE_VALL), 0);
}

struct FixedCase {
    long double value;
    int precision;
    int digits;
    const char* german;
    const char* english;
};

TEST(NumberFormat, NumberWithThousands)
{
    const FixedCase cases[] = {
        {1234.567L, 10, 3, "1.234,567", "1,234.567"},
        {0.5L, 4, 1, "0,5", "0.5"},
        {12.4L, 8, 1, "12,4", "12.4"},
        {123.4567L, 10, 3, "123,457", "123.457"},
        {1234567.891L, 10, 3, "1.234.567,891", "1,234,567.891"},
        {-1234.5L, 10, 1, "-1.234,5", "-1,234.5"},
        {0.0L, 10, 3, "0,000", "0.000"},
        {999.9996L, 10, 3, "1.000,000", "1,000.000"},
        {100.0L, 6, 1, "100,0", "100.0"},
        {12.25L, 8, 1, "12,3", "12.3"},
        {0.125L, 8, 2, "0,13", "0.13"},
        {-0.125L, 8, 2, "-0,13", "-0.13"},
        {-0.0001L, 10, 3, "0,000", "0.000"},
        // Rounded to 4 significant digits first: 12345.6 has more integer digits than 4.
        {12345.6L, 4, 1, "1,235E+4", "1.235E+4"},
        {123.456L, 4, 2, "123,50", "123.50"},
        {17.0L, 8, 0, "17", "17"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatN(c.value, c.precision, c.digits, kGerman), c.german) << c.german;
        EXPECT_EQ(FormatN(c.value, c.precision, c.digits, kEnglish), c.english) << c.english;
    }
}

TEST(NumberFormat, FixedHasNoThousands)
{
    EXPECT_EQ(FormatF(10.0L, 6, 3, kGerman), "10,000");
    EXPECT_EQ(FormatF(std::sqrt(20000.0L), 10, 5, kEnglish), "141.42136");
    EXPECT_EQ(FormatF(1234.5678L, 10, 3, kGerman), "1234,568");
    EXPECT_EQ(FormatF(1234.5678L, 10, 3, kEnglish), "1234.568");
    EXPECT_EQ(FormatF(25.0L, 10, 3, kGerman), "25,000");
    EXPECT_EQ(FormatF(-3.14159L, 6, 3, kEnglish), "-3.142");
    EXPECT_EQ(FormatF(1.56L, 6, 3, kGerman), "1,560");
    // More integer digits than the precision allows: scientific.
    EXPECT_EQ(FormatF(12345678.0L, 6, 3, kEnglish), "1.23457E+007");
}

TEST(NumberFormat, DecimalRoundingWorksOnTheWrittenDigits)
{
    // 2.675 is stored a little below the half in binary but prints as 2.675 at 18 digits,
    // so it rounds like the number the user sees.
    EXPECT_EQ(FormatF(2.675L, 10, 2, kEnglish), "2.68");
    EXPECT_EQ(FormatF(0.045L, 10, 2, kEnglish), "0.05");
    EXPECT_EQ(FormatF(9.995L, 10, 2, kEnglish), "10.00");
    EXPECT_EQ(FormatF(0.0049L, 10, 2, kEnglish), "0.00");
}

TEST(NumberFormat, RoundsOnceAtTheShownDigits)
{
    // Each value sits just below a half at the last shown digit but reaches the half when
    // first cut to the precision; rounding twice would carry it up.
    const FixedCase cases[] = {
        // The length of the line from (0,0) to (361,15).
        {std::sqrt(361.0L * 361.0L + 15.0L * 15.0L), 10, 3, "361,311", "361.311"},
        {361.31149995537092L, 10, 3, "361,311", "361.311"},
        {25.39449208L, 6, 3, "25,394", "25.394"},
        {-14.949L, 4, 1, "-14,9", "-14.9"},
        {1.23449999999L, 10, 3, "1,234", "1.234"},
        {1234.564999999L, 10, 2, "1.234,56", "1,234.56"},
        {-0.004999999999L, 10, 2, "0,00", "0.00"},
        {99.99499999999L, 10, 2, "99,99", "99.99"},
        {1234567.8949999999L, 10, 2, "1.234.567,89", "1,234,567.89"},
        // Still carried when the digit after the last shown one is a real half.
        {1.2345L, 10, 3, "1,235", "1.235"},
        {99.995L, 10, 2, "100,00", "100.00"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatN(c.value, c.precision, c.digits, kGerman), c.german) << c.german;
        EXPECT_EQ(FormatN(c.value, c.precision, c.digits, kEnglish), c.english) << c.english;
    }
    // The grey value read-out: three significant digits, no decimals.
    EXPECT_EQ(FormatF(11.45L, 3, 0, kGerman), "11");
    EXPECT_EQ(FormatF(11.5L, 3, 0, kGerman), "12");
    EXPECT_EQ(FormatF(99.949L, 3, 1, kEnglish), "99.9");
    // A carry that lengthens the integer part past the precision still turns scientific.
    EXPECT_EQ(FormatF(999.6L, 3, 0, kEnglish), "1.00E+3");
    EXPECT_EQ(FormatF(999.6L, 4, 0, kEnglish), "1000");
}

TEST(NumberFormat, General)
{
    struct Case {
        long double value;
        int precision;
        const char* german;
        const char* english;
    };
    const Case cases[] = {
        {0.0L, 10, "0", "0"},
        {1.0L, 10, "1", "1"},
        {1.5L, 10, "1,5", "1.5"},
        {-2.25L, 10, "-2,25", "-2.25"},
        {1234567.0L, 10, "1234567", "1234567"},
        {1.0L / 3.0L, 10, "0,3333333333", "0.3333333333"},
        {2.0L / 3.0L, 10, "0,6666666667", "0.6666666667"},
        {1e20L, 10, "1E20", "1E20"},
        {1.5e-7L, 10, "1,5E-7", "1.5E-7"},
        {0.00001L, 10, "0,00001", "0.00001"},
        {0.000012L, 10, "0,000012", "0.000012"},
        {0.0000099L, 10, "9,9E-6", "9.9E-6"},
        {12345678901.0L, 10, "1,23456789E10", "1.23456789E10"},
        {9999999999.0L, 10, "9999999999", "9999999999"},
        {99999999999.0L, 10, "1E11", "1E11"},
        {-1.0L, 10, "-1", "-1"},
        {100.0L, 10, "100", "100"},
        {0.1L, 10, "0,1", "0.1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatG(c.value, c.precision, kGerman), c.german) << c.german;
        EXPECT_EQ(FormatG(c.value, c.precision, kEnglish), c.english) << c.english;
    }
}

// The digits written back in printf's "%.17Le" shape, so they compare with printf's own text.
std::string AsPrintfText(const DecimalDigits& d)
{
    if (d.digits.empty())
        return "0.00000000000000000e+00";
    std::string digits = d.digits + std::string(18 - d.digits.size(), '0');
    char exponent[16];
    std::snprintf(exponent, sizeof exponent, "e%+03d", d.exponent - 1);
    return digits.substr(0, 1) + "." + digits.substr(1) + exponent;
}

std::string PrintfText(long double magnitude)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17Le", magnitude);
    return buffer;
}

// Every number the program shows is rounded from these digits, so equal digits mean equal
// texts. Checked against the C library over millions of values: random bit patterns over a
// range of magnitudes wider than the sheet's, numbers as the sheet computes them, exact halves
// at the 18th digit (ties go to the even digit), and neighbours of the powers of ten, where
// the digit count changes.
TEST(NumberFormat, DigitsAreThoseOfPrintf)
{
    std::mt19937_64 rng(20261207u);
    std::uniform_int_distribution<int> exponents(-80, 140);
    std::uniform_int_distribution<std::uint64_t> eighteenDigits(100000000000000000ULL,
                                                                999999999999999999ULL);
    int mismatches = 0;
    auto check = [&](long double v) {
        const std::string expected = PrintfText(std::fabs(v));
        const std::string actual = AsPrintfText(ToDecimal(v));
        if (expected != actual && ++mismatches <= 10)
            ADD_FAILURE() << expected << " written as " << actual;
    };
    for (int i = 0; i < 1000000; ++i) {
        const std::uint64_t mantissa = rng() | (1ULL << 63);
        check(std::ldexp(static_cast<long double>(mantissa), exponents(rng) - 64));
    }
    for (int i = 0; i < 500000; ++i) {
        const long double length = static_cast<long double>(rng() % 100000000) / 1000.0L;
        const long double count = static_cast<long double>(1 + rng() % 10000) / 2.0L;
        check(length);
        check(length / count * 1.56L);
    }
    for (int i = 0; i < 250000; ++i) {
        const std::uint64_t n = eighteenDigits(rng);
        check(static_cast<long double>(n) * 10.0L + 5.0L);
        check(static_cast<long double>(n) + 0.5L);
    }
    for (int k = -40; k <= 40; ++k) {
        long double below = std::pow(10.0L, static_cast<long double>(k));
        long double above = below;
        for (int step = 0; step < 2000; ++step) {
            below = std::nextafter(below, 0.0L);
            above = std::nextafter(above, HUGE_VALL);
            check(below);
            check(above);
        }
    }
    check(0.0L);
    check(-0.0L);
    check(-1234.5L);
    check(std::numeric_limits<long double>::denorm_min());
    check(std::numeric_limits<long double>::max());
    EXPECT_EQ(mismatches, 0);
}

}  // namespace
}  // namespace tesra
