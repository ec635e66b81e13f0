#pragma once
// The file layouts of the three measurement records, shared by the measurement trailer of
// image files and by line-set files. Fields are written one by one, integers little-endian,
// reals as 80-bit extended values, padding bytes as zero; nothing depends on the memory
// layout of the structs.
#include <array>
#include <cstddef>
#include <cstdint>

#include "app/measurement/measurement.h"

namespace tesra {

constexpr std::size_t kTestLineRecordSize = 52;
constexpr std::size_t kInterceptRecordSize = 24;
constexpr std::size_t kPhaseSegmentRecordSize = 16;

// Byte offsets of the TestLine fields that the line-set loader clears.
constexpr std::size_t kTestLineWeightedCountOffset = 18;
constexpr std::size_t kTestLineSecondPhaseLengthOffset = 28;

// Write a record into exactly its record size of bytes at out.
void encodeTestLine(const TestLine& line, std::uint8_t* out);
void encodeIntercept(const Intercept& intercept, std::uint8_t* out);
void encodePhaseSegment(const PhaseSegment& segment, std::uint8_t* out);

std::array<std::uint8_t, kTestLineRecordSize> encodeTestLine(const TestLine& line);
std::array<std::uint8_t, kInterceptRecordSize> encodeIntercept(const Intercept& intercept);
std::array<std::uint8_t, kPhaseSegmentRecordSize> encodePhaseSegment(const PhaseSegment& segment);

// Read a record from exactly its record size of bytes at in. Padding is ignored; the
// `active` and `isCircle` bytes count as set when non-zero. Every byte pattern decodes
// (references are not checked here; Measurement::setRecords checks them).
TestLine decodeTestLine(const std::uint8_t* in);
Intercept decodeIntercept(const std::uint8_t* in);
PhaseSegment decodePhaseSegment(const std::uint8_t* in);

}  // namespace tesra
