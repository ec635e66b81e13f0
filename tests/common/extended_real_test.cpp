#include "common/extended_real.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

namespace tesra {
namespace {

ExtendedBytes Bytes(std::initializer_list<int> list)
{
    ExtendedBytes b{};
    std::size_t i = 0;
    for (int v : list)
        b[i++] = static_cast<std::uint8_t>(v);
    return b;
}

TEST(ExtendedReal, KnownBitPatterns)
{
    struct Case {
        long double value;
        ExtendedBytes bytes;
    };
    const Case cases[] = {
        {1.0L, Bytes({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F})},
        {-1.0L, Bytes({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0xBF})},
        {2.0L, Bytes({0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0x40})},
        {0.5L, Bytes({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFE, 0x3F})},
        {3.0L, Bytes({0, 0, 0, 0, 0, 0, 0, 0xC0, 0x00, 0x40})},
        {0.0L, Bytes({0, 0, 0, 0, 0, 0, 0, 0, 0, 0})},
        {-0.0L, Bytes({0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80})},
        {HUGE_VALL, Bytes({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F})},
        {-HUGE_VALL, Bytes({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0xFF})},
        // The smallest denormal: mantissa 1, exponent field 0.
        {std::ldexp(1.0L, -16445), Bytes({1, 0, 0, 0, 0, 0, 0, 0, 0, 0})},
        {100.0L, Bytes({0, 0, 0, 0, 0, 0, 0, 0xC8, 0x05, 0x40})},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EncodeExtended(c.value), c.bytes) << static_cast<double>(c.value);
        const long double back = DecodeExtended(c.bytes);
        EXPECT_EQ(back, c.value);
        EXPECT_EQ(std::signbit(back), std::signbit(c.value));
    }
}

TEST(ExtendedReal, NaNSurvives)
{
    const ExtendedBytes b = EncodeExtended(std::numeric_limits<long double>::quiet_NaN());
    EXPECT_EQ(b[9] & 0x7F, 0x7F);
    EXPECT_EQ(b[8], 0xFF);
    EXPECT_TRUE(std::isnan(DecodeExtended(b)));
    // A pseudo-infinity (exponent all ones, integer bit clear) is not a number.
    EXPECT_TRUE(std::isnan(DecodeExtended(Bytes({0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0x7F}))));
}

TEST(ExtendedReal, UnnormalDecodesByItsValue)
{
    // Exponent of 1.0 but without the integer bit: mantissa 0x4000... is 0.5.
    EXPECT_EQ(DecodeExtended(Bytes({0, 0, 0, 0, 0, 0, 0, 0x40, 0xFF, 0x3F})), 0.5L);
}

TEST(ExtendedReal, RoundTripIsExactForRandomBitPatterns)
{
    // Where long double is the x87 format, every canonical pattern must come back bit for bit.
    if (std::numeric_limits<long double>::digits != 64)
        GTEST_SKIP() << "long double is not the 80-bit format here";
    std::mt19937_64 random(12345);
    for (int i = 0; i < 200000; ++i) {
        ExtendedBytes b{};
        const std::uint64_t mantissa = random() | 0x8000000000000000ull;
        const unsigned exponent = static_cast<unsigned>(random() % 0x7FFF);  // excludes inf/NaN
        const unsigned sign = (random() & 1) ? 0x8000u : 0u;
        for (int k = 0; k < 8; ++k)
            b[k] = static_cast<std::uint8_t>(mantissa >> (8 * k));
        b[8] = static_cast<std::uint8_t>(exponent | sign);
        b[9] = static_cast<std::uint8_t>((exponent | sign) >> 8);
        if (exponent == 0)
            b[7] &= 0x7F;  // a denormal carries no integer bit
        const long double v = DecodeExtended(b);
        ASSERT_EQ(EncodeExtended(v), b) << i;
        // And against the machine's own memory image of the value.
        unsigned char memory[sizeof(long double)] = {};
        std::memcpy(memory, &v, sizeof v);
        ASSERT_EQ(std::memcmp(memory, b.data(), 10), 0) << i;
    }
}

TEST(ExtendedReal, LimitsRoundTrip)
{
    for (long double v : {LDBL_MAX, -LDBL_MAX, LDBL_MIN, LDBL_TRUE_MIN, -LDBL_TRUE_MIN, 1e-4940L, 0.1L, 1.56L}) {
        EXPECT_EQ(DecodeExtended(EncodeExtended(v)), v);
    }
}

}  // namespace
}  // namespace tesra
