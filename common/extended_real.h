#pragma once
// 80-bit IEEE extended reals as stored in the measurement files: 10 bytes, little-endian,
// a 64-bit mantissa with an explicit integer bit, then the sign and a 15-bit exponent.
// Encoding and decoding work on the value, never on the memory of a long double, so the
// files read the same on every machine.
#include <array>
#include <cstdint>

namespace tesra {

using ExtendedBytes = std::array<std::uint8_t, 10>;

// Exact for every finite long double of an x87-format machine, ±0, ±infinity and NaN.
ExtendedBytes EncodeExtended(long double value);
void EncodeExtended(long double value, std::uint8_t* out10);

// Unnormal and pseudo-denormal patterns decode by their plain mantissa × 2^exponent value;
// pseudo-infinity and pseudo-NaN patterns decode as NaN.
long double DecodeExtended(const std::uint8_t* in10);
inline long double DecodeExtended(const ExtendedBytes& in) { return DecodeExtended(in.data()); }

}  // namespace tesra
