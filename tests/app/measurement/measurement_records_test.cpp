// The three record layouts, checked against byte images written out by hand from the
// record tables (offsets, widths, little-endian integers, 80-bit reals, zero padding).
#include "app/measurement/measurement_records.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace tesra {
namespace {

using Bytes = std::vector<std::uint8_t>;

// 80-bit extended reals by hand: mantissa with explicit integer bit, then sign+exponent.
const Bytes kOne = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F};        // 1.0
const Bytes kTwoAndHalf = {0, 0, 0, 0, 0, 0, 0, 0xA0, 0x00, 0x40};  // 2.5 = 1.25 * 2^1
const Bytes kHalf = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFE, 0x3F};        // 0.5
const Bytes kTen = {0, 0, 0, 0, 0, 0, 0, 0xA0, 0x02, 0x40};         // 10 = 1.25 * 2^3
const Bytes kMinusOne = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0xBF};    // -1.0

Bytes cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

const Bytes kLineImage = cat({
    {0x0A, 0, 0, 0},           // x1 = 10
    {0xFE, 0xFF, 0xFF, 0xFF},  // y1 = -2
    {0x04, 0x03, 0x02, 0x01},  // x2 = 0x01020304
    {0x2C, 0x01, 0, 0},        // y2 = 300
    {1},                       // active
    {0},                       // padding
    kTwoAndHalf,               // weightedCount
    kHalf,                     // secondPhaseLength
    kTen,                      // length
    {1},                       // isCircle
    {0, 0, 0},                 // padding
});

const Bytes kInterceptImage = cat({
    {7, 0, 0, 0},              // x = 7
    {0xF8, 0xFF, 0xFF, 0xFF},  // y = -8
    {3},                       // type III
    {0},                       // padding
    {0x02, 0x01},              // line = 0x0102
    kHalf,                     // position
    {0, 0},                    // padding
});

const Bytes kSegmentImage = cat({
    {1, 0},        // first
    {0x34, 0x12},  // second = 0x1234
    {3, 0},        // line
    kMinusOne,     // length
});

TEST(MeasurementRecords, SizesOfTheHandImagesMatchTheRecordSizes)
{
    EXPECT_EQ(kLineImage.size(), kTestLineRecordSize);
    EXPECT_EQ(kInterceptImage.size(), kInterceptRecordSize);
    EXPECT_EQ(kSegmentImage.size(), kPhaseSegmentRecordSize);
}

TEST(MeasurementRecords, EncodeWritesEveryFieldInPlaceWithZeroPadding)
{
    TestLine line;
    line.x1 = 10;
    line.y1 = -2;
    line.x2 = 0x01020304;
    line.y2 = 300;
    line.active = true;
    line.weightedCount = 2.5L;
    line.secondPhaseLength = 0.5L;
    line.length = 10.0L;
    line.isCircle = true;

    // Stale bytes in the output buffer must not reach the file through the padding.
    Bytes out(kTestLineRecordSize, 0xAA);
    encodeTestLine(line, out.data());
    EXPECT_EQ(out, kLineImage);
    const auto arr = encodeTestLine(line);
    EXPECT_EQ(Bytes(arr.begin(), arr.end()), kLineImage);

    Intercept it;
    it.x = 7;
    it.y = -8;
    it.type = itTriplePoint;
    it.line = 0x0102;
    it.position = 0.5L;
    Bytes outI(kInterceptRecordSize, 0xAA);
    encodeIntercept(it, outI.data());
    EXPECT_EQ(outI, kInterceptImage);

    PhaseSegment seg;
    seg.first = 1;
    seg.second = 0x1234;
    seg.line = 3;
    seg.length = -1.0L;
    const auto arrS = encodePhaseSegment(seg);
    EXPECT_EQ(Bytes(arrS.begin(), arrS.end()), kSegmentImage);
}

TEST(MeasurementRecords, DecodeReadsEveryFieldAndIgnoresPadding)
{
    Bytes image = kLineImage;
    image[17] = 0x55;  // padding written by another program
    image[49] = image[50] = image[51] = 0x77;
    const TestLine line = decodeTestLine(image.data());
    EXPECT_EQ(line.x1, 10);
    EXPECT_EQ(line.y1, -2);
    EXPECT_EQ(line.x2, 0x01020304);
    EXPECT_EQ(line.y2, 300);
    EXPECT_TRUE(line.active);
    EXPECT_EQ(line.weightedCount, 2.5L);
    EXPECT_EQ(line.secondPhaseLength, 0.5L);
    EXPECT_EQ(line.length, 10.0L);
    EXPECT_TRUE(line.isCircle);

    Bytes imageI = kInterceptImage;
    imageI[9] = 0xEE;
    imageI[22] = imageI[23] = 0xEE;
    const Intercept it = decodeIntercept(imageI.data());
    EXPECT_EQ(it.x, 7);
    EXPECT_EQ(it.y, -8);
    EXPECT_EQ(it.type, itTriplePoint);
    EXPECT_EQ(it.line, 0x0102);
    EXPECT_EQ(it.position, 0.5L);

    const PhaseSegment seg = decodePhaseSegment(kSegmentImage.data());
    EXPECT_EQ(seg.first, 1);
    EXPECT_EQ(seg.second, 0x1234);
    EXPECT_EQ(seg.line, 3);
    EXPECT_EQ(seg.length, -1.0L);
}

TEST(MeasurementRecords, FlagBytesAndTypeBytesFromOtherWriters)
{
    Bytes image = kLineImage;
    image[16] = 0;  // not active
    image[48] = 0;  // straight
    TestLine line = decodeTestLine(image.data());
    EXPECT_FALSE(line.active);
    EXPECT_FALSE(line.isCircle);
    // Any non-zero byte is a set flag; it is written back as 1.
    image[16] = 2;
    image[48] = 0xFF;
    line = decodeTestLine(image.data());
    EXPECT_TRUE(line.active);
    EXPECT_TRUE(line.isCircle);
    EXPECT_EQ(encodeTestLine(line)[16], 1);
    EXPECT_EQ(encodeTestLine(line)[48], 1);

    // A type outside 1..6 keeps its byte, so a file is written back as it was read.
    Bytes imageI = kInterceptImage;
    imageI[8] = 9;
    const Intercept it = decodeIntercept(imageI.data());
    EXPECT_EQ(static_cast<int>(it.type), 9);
    EXPECT_EQ(encodeIntercept(it)[8], 9);
}

TEST(MeasurementRecords, LineSetLoaderOffsetsPointAtTheTwoSums)
{
    // The loader clears bytes 18..37: the weighted count and the second-phase length.
    EXPECT_EQ(kTestLineWeightedCountOffset, 18u);
    EXPECT_EQ(kTestLineSecondPhaseLengthOffset, 28u);
    Bytes image = kLineImage;
    std::memset(image.data() + 18, 0, 20);
    const TestLine line = decodeTestLine(image.data());
    EXPECT_EQ(line.weightedCount, 0.0L);
    EXPECT_EQ(line.secondPhaseLength, 0.0L);
    EXPECT_EQ(line.length, 10.0L);
}

TEST(MeasurementRecords, UnsignedFieldsUseTheirWholeRange)
{
    Bytes image = kSegmentImage;
    image[0] = image[1] = 0xFF;
    image[4] = 0x00;
    image[5] = 0x80;
    const PhaseSegment seg = decodePhaseSegment(image.data());
    EXPECT_EQ(seg.first, 65535);
    EXPECT_EQ(seg.line, 0x8000);

    Intercept it;
    it.x = -2147483647 - 1;
    it.y = 2147483647;
    const auto bytes = encodeIntercept(it);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 8), (Bytes{0, 0, 0, 0x80, 0xFF, 0xFF, 0xFF, 0x7F}));
}

}  // namespace
}  // namespace tesra
