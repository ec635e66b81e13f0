#include "imaging/formats/deep_samples.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>

namespace tesra {
namespace {

std::vector<std::uint8_t> le16(std::initializer_list<int> values)
{
    std::vector<std::uint8_t> out;
    for (int v : values) {
        out.push_back(static_cast<std::uint8_t>(v & 0xFF));
        out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
    }
    return out;
}

std::vector<std::uint8_t> be32f(std::initializer_list<float> values)
{
    std::vector<std::uint8_t> out;
    for (float f : values) {
        const auto v = std::bit_cast<std::uint32_t>(f);
        for (int s = 24; s >= 0; s -= 8)
            out.push_back(static_cast<std::uint8_t>(v >> s));
    }
    return out;
}

TEST(DeepSamples, LinearMappingWithHalvesToEven)
{
    // Range 0..510: each step is half a grey level.
    EXPECT_EQ(reduceToByte(0, 0, 510), 0);
    EXPECT_EQ(reduceToByte(1, 0, 510), 0);    // 0.5 → 0
    EXPECT_EQ(reduceToByte(3, 0, 510), 2);    // 1.5 → 2
    EXPECT_EQ(reduceToByte(255, 0, 510), 128);  // 127.5 → 128
    EXPECT_EQ(reduceToByte(510, 0, 510), 255);
    // A 12-bit image in a 16-bit file spans the whole scale.
    EXPECT_EQ(reduceToByte(4095, 0, 4095), 255);
    EXPECT_EQ(reduceToByte(2048, 0, 4095), 128);  // 127.56
    // Outside the range, NaN and a range of one value.
    EXPECT_EQ(reduceToByte(-5, 0, 10), 0);
    EXPECT_EQ(reduceToByte(50, 0, 10), 255);
    EXPECT_EQ(reduceToByte(std::nan(""), 0, 10), 0);
    EXPECT_EQ(reduceToByte(7, 7, 7), 0);
}

TEST(DeepSamples, RangeOfTheUsedSamplesOnly)
{
    // Two RGBA pixels: the fourth sample (9 and 60000) does not count.
    const auto data = le16({100, 200, 300, 9, 400, 50, 500, 60000});
    const DepthReduction r = deepSampleRange(data.data(), 2, 4, 3, DeepSampleKind::Unsigned16, false);
    EXPECT_EQ(r.bits, 16);
    EXPECT_FALSE(r.floating);
    EXPECT_EQ(r.minimum, 50);
    EXPECT_EQ(r.maximum, 500);

    const auto signedData = le16({0xFFFE, 3, 0x8000});
    const DepthReduction s = deepSampleRange(signedData.data(), 3, 1, 1, DeepSampleKind::Signed16, false);
    EXPECT_EQ(s.minimum, -32768);
    EXPECT_EQ(s.maximum, 3);
}

TEST(DeepSamples, FloatsIgnoreNanAndInfinityForTheRange)
{
    const float inf = std::numeric_limits<float>::infinity();
    const auto data = be32f({-1.5f, std::nanf(""), inf, 2.5f, -inf, 0.5f});
    const DepthReduction r = deepSampleRange(data.data(), 6, 1, 1, DeepSampleKind::Float32, true);
    EXPECT_TRUE(r.floating);
    EXPECT_EQ(r.minimum, -1.5);
    EXPECT_EQ(r.maximum, 2.5);
    const DeepSampleReducer reducer(DeepSampleKind::Float32, true, r);
    std::uint8_t out[6];
    reducer.reduceRow(data.data(), 6, 1, 1, out);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[1], 0);    // NaN
    EXPECT_EQ(out[2], 255);  // +infinity takes the top
    EXPECT_EQ(out[3], 255);
    EXPECT_EQ(out[4], 0);    // −infinity the bottom
    EXPECT_EQ(out[5], 128);  // 2/4 × 255 = 127.5 → 128

    // Nothing finite: the range is 0..0 and every pixel black.
    const auto none = be32f({std::nanf("")});
    const DepthReduction n = deepSampleRange(none.data(), 1, 1, 1, DeepSampleKind::Float32, true);
    EXPECT_EQ(n.minimum, 0);
    EXPECT_EQ(n.maximum, 0);
}

TEST(DeepSamples, ReducerTableAgreesWithTheFormula)
{
    DepthReduction r;
    r.bits = 16;
    r.minimum = 300;
    r.maximum = 4400;
    const DeepSampleReducer reducer(DeepSampleKind::Unsigned16, false, r);
    for (int v = 0; v < 65536; v += 7) {
        const auto bytes = le16({v});
        std::uint8_t out = 0;
        reducer.reduceRow(bytes.data(), 1, 1, 1, &out);
        // (v − 300) × 255 / 4100, rounded half to even, worked out on integers.
        long long q = std::clamp(v - 300, 0, 4100) * 255LL, d = 4100, want = q / d, rest = q % d;
        if (2 * rest > d || (2 * rest == d && want % 2))
            ++want;
        ASSERT_EQ(out, want) << v;
    }
}

TEST(DeepSamples, StatusText)
{
    DepthReduction r;
    EXPECT_EQ(depthReductionText(r), "");
    r.bits = 16;
    r.minimum = 12;
    r.maximum = 4095;
    EXPECT_EQ(depthReductionText(r), "16-bit image shown as 8-bit, range 12\u20134095");
    r.bits = 32;
    r.floating = true;
    r.minimum = -0.000123456789;
    r.maximum = 1234567.0;
    EXPECT_EQ(depthReductionText(r), "32-bit image shown as 8-bit, range -0.000123457\u20131.23457e+06");
}

}  // namespace
}  // namespace tesra
