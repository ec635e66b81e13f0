#include "common/extended_real.h"

#include <cmath>

namespace tesra {

namespace {

constexpr int kBias = 16383;
constexpr std::uint64_t kIntegerBit = 0x8000000000000000ull;

void Store(std::uint64_t mantissa, unsigned signAndExponent, std::uint8_t* out)
{
    for (int i = 0; i < 8; ++i)
        out[i] = static_cast<std::uint8_t>(mantissa >> (8 * i));
    out[8] = static_cast<std::uint8_t>(signAndExponent);
    out[9] = static_cast<std::uint8_t>(signAndExponent >> 8);
}

}  // namespace

void EncodeExtended(long double value, std::uint8_t* out10)
{
    const unsigned sign = std::signbit(value) ? 0x8000u : 0u;
    if (std::isnan(value)) {
        Store(0xC000000000000000ull, sign | 0x7FFFu, out10);
        return;
    }
    if (std::isinf(value)) {
        Store(kIntegerBit, sign | 0x7FFFu, out10);
        return;
    }
    if (value == 0) {
        Store(0, sign, out10);
        return;
    }
    const long double magnitude = std::fabs(value);
    int exponent = 0;
    const long double fraction = std::frexp(magnitude, &exponent);  // magnitude = fraction * 2^exponent
    int biased = exponent - 1 + kBias;
    if (biased >= 0x7FFF) {  // only reachable where long double is wider than the file format
        Store(kIntegerBit, sign | 0x7FFFu, out10);
        return;
    }
    if (biased <= 0) {
        // Too small for a normal number: a denormal with exponent field 0, whose value is
        // mantissa * 2^(1 - bias - 63).
        const long double scaled = std::ldexp(magnitude, kBias - 1 + 63);
        Store(static_cast<std::uint64_t>(scaled), sign, out10);
        return;
    }
    // fraction is in [0.5, 1): shifted by 64 bits it is the mantissa with its integer bit set.
    const long double scaled = std::ldexp(fraction, 64);
    Store(static_cast<std::uint64_t>(scaled), sign | static_cast<unsigned>(biased), out10);
}

ExtendedBytes EncodeExtended(long double value)
{
    ExtendedBytes bytes{};
    EncodeExtended(value, bytes.data());
    return bytes;
}

long double DecodeExtended(const std::uint8_t* in10)
{
    std::uint64_t mantissa = 0;
    for (int i = 7; i >= 0; --i)
        mantissa = (mantissa << 8) | in10[i];
    const unsigned signAndExponent = in10[8] | (static_cast<unsigned>(in10[9]) << 8);
    const bool negative = (signAndExponent & 0x8000u) != 0;
    const int exponent = static_cast<int>(signAndExponent & 0x7FFFu);

    long double magnitude;
    if (exponent == 0x7FFF) {
        const bool infinity = mantissa == kIntegerBit;
        magnitude = infinity ? HUGE_VALL : std::nanl("");
    } else if (exponent == 0) {
        magnitude = std::ldexp(static_cast<long double>(mantissa), 1 - kBias - 63);
    } else {
        magnitude = std::ldexp(static_cast<long double>(mantissa), exponent - kBias - 63);
    }
    return negative ? -magnitude : magnitude;
}

}  // namespace tesra
