#include "app/measurement/measurement_records.h"

#include <cstring>

#include "common/extended_real.h"

namespace tesra {

namespace {

void putU16(std::uint8_t* out, std::uint16_t v)
{
    out[0] = static_cast<std::uint8_t>(v & 0xFF);
    out[1] = static_cast<std::uint8_t>(v >> 8);
}

void putI32(std::uint8_t* out, std::int32_t value)
{
    const auto v = static_cast<std::uint32_t>(value);
    out[0] = static_cast<std::uint8_t>(v & 0xFF);
    out[1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
    out[2] = static_cast<std::uint8_t>((v >> 16) & 0xFF);
    out[3] = static_cast<std::uint8_t>(v >> 24);
}

std::uint16_t getU16(const std::uint8_t* in)
{
    return static_cast<std::uint16_t>(in[0] | (in[1] << 8));
}

std::int32_t getI32(const std::uint8_t* in)
{
    const std::uint32_t v = static_cast<std::uint32_t>(in[0]) | (static_cast<std::uint32_t>(in[1]) << 8)
                            | (static_cast<std::uint32_t>(in[2]) << 16)
                            | (static_cast<std::uint32_t>(in[3]) << 24);
    return static_cast<std::int32_t>(v);  // two's complement, defined since C++20
}

}  // namespace

void encodeTestLine(const TestLine& line, std::uint8_t* out)
{
    std::memset(out, 0, kTestLineRecordSize);
    putI32(out + 0, line.x1);
    putI32(out + 4, line.y1);
    putI32(out + 8, line.x2);
    putI32(out + 12, line.y2);
    out[16] = line.active ? 1 : 0;
    EncodeExtended(line.weightedCount, out + kTestLineWeightedCountOffset);
    EncodeExtended(line.secondPhaseLength, out + kTestLineSecondPhaseLengthOffset);
    EncodeExtended(line.length, out + 38);
    out[48] = line.isCircle ? 1 : 0;
}

void encodeIntercept(const Intercept& intercept, std::uint8_t* out)
{
    std::memset(out, 0, kInterceptRecordSize);
    putI32(out + 0, intercept.x);
    putI32(out + 4, intercept.y);
    out[8] = static_cast<std::uint8_t>(intercept.type);
    putU16(out + 10, intercept.line);
    EncodeExtended(intercept.position, out + 12);
}

void encodePhaseSegment(const PhaseSegment& segment, std::uint8_t* out)
{
    putU16(out + 0, segment.first);
    putU16(out + 2, segment.second);
    putU16(out + 4, segment.line);
    EncodeExtended(segment.length, out + 6);
}

std::array<std::uint8_t, kTestLineRecordSize> encodeTestLine(const TestLine& line)
{
    std::array<std::uint8_t, kTestLineRecordSize> bytes{};
    encodeTestLine(line, bytes.data());
    return bytes;
}

std::array<std::uint8_t, kInterceptRecordSize> encodeIntercept(const Intercept& intercept)
{
    std::array<std::uint8_t, kInterceptRecordSize> bytes{};
    encodeIntercept(intercept, bytes.data());
    return bytes;
}

std::array<std::uint8_t, kPhaseSegmentRecordSize> encodePhaseSegment(const PhaseSegment& segment)
{
    std::array<std::uint8_t, kPhaseSegmentRecordSize> bytes{};
    encodePhaseSegment(segment, bytes.data());
    return bytes;
}

TestLine decodeTestLine(const std::uint8_t* in)
{
    TestLine line;
    line.x1 = getI32(in + 0);
    line.y1 = getI32(in + 4);
    line.x2 = getI32(in + 8);
    line.y2 = getI32(in + 12);
    line.active = in[16] != 0;
    line.weightedCount = DecodeExtended(in + kTestLineWeightedCountOffset);
    line.secondPhaseLength = DecodeExtended(in + kTestLineSecondPhaseLengthOffset);
    line.length = DecodeExtended(in + 38);
    line.isCircle = in[48] != 0;
    return line;
}

Intercept decodeIntercept(const std::uint8_t* in)
{
    Intercept intercept;
    intercept.x = getI32(in + 0);
    intercept.y = getI32(in + 4);
    intercept.type = static_cast<InterceptType>(in[8]);
    intercept.line = getU16(in + 10);
    intercept.position = DecodeExtended(in + 12);
    return intercept;
}

PhaseSegment decodePhaseSegment(const std::uint8_t* in)
{
    PhaseSegment segment;
    segment.first = getU16(in + 0);
    segment.second = getU16(in + 2);
    segment.line = getU16(in + 4);
    segment.length = DecodeExtended(in + 6);
    return segment;
}

}  // namespace tesra
