#include "imaging/formats/deep_samples.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <limits>

namespace tesra {

namespace {

std::uint32_t raw16(const std::uint8_t* p, bool big)
{
    return big ? (std::uint32_t(p[0]) << 8) | p[1] : (std::uint32_t(p[1]) << 8) | p[0];
}

std::uint32_t raw32(const std::uint8_t* p, bool big)
{
    if (big)
        return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
    return std::uint32_t(p[3]) << 24 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
}

double valueOf(std::uint32_t raw, DeepSampleKind kind)
{
    switch (kind) {
    case DeepSampleKind::Unsigned16:
    case DeepSampleKind::Unsigned32:
        return raw;
    case DeepSampleKind::Signed16:
        return static_cast<std::int16_t>(raw);
    case DeepSampleKind::Signed32:
        return static_cast<std::int32_t>(raw);
    case DeepSampleKind::Float32:
        return std::bit_cast<float>(raw);
    }
    return 0;
}

std::string number(double v, bool floating)
{
    char buf[64];
    const auto r = floating ? std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 6)
                            : std::to_chars(buf, buf + sizeof buf, static_cast<long long>(v));
    return std::string(buf, r.ptr);
}

}  // namespace

int deepSampleBits(DeepSampleKind kind)
{
    return kind == DeepSampleKind::Unsigned16 || kind == DeepSampleKind::Signed16 ? 16 : 32;
}

std::string depthReductionText(const DepthReduction& r)
{
    if (!r.reduced())
        return std::string();
    return std::to_string(r.bits) + "-bit image shown as 8-bit, range " + number(r.minimum, r.floating) + "\u2013" +
           number(r.maximum, r.floating);
}

std::uint8_t reduceToByte(double v, double minimum, double maximum)
{
    if (std::isnan(v) || !(maximum > minimum))
        return 0;
    if (v <= minimum)
        return 0;
    if (v >= maximum)
        return 255;
    // Ties go to the even neighbour, as every other rounding of the program.
    const double scaled = std::rint((v - minimum) * 255.0 / (maximum - minimum));
    return static_cast<std::uint8_t>(scaled < 0 ? 0 : (scaled > 255 ? 255 : scaled));
}

DepthReduction deepSampleRange(const std::uint8_t* data, std::size_t pixels, int samplesPerPixel, int used,
                               DeepSampleKind kind, bool bigEndian)
{
    DepthReduction r;
    r.bits = deepSampleBits(kind);
    r.floating = kind == DeepSampleKind::Float32;
    const std::size_t sampleBytes = static_cast<std::size_t>(r.bits / 8);
    const std::size_t pixelBytes = sampleBytes * static_cast<std::size_t>(samplesPerPixel);
    if (r.bits == 16) {
        // Integer compares on the raw values: the whole scan of a large image stays cheap.
        const bool isSigned = kind == DeepSampleKind::Signed16;
        int lo = std::numeric_limits<int>::max(), hi = std::numeric_limits<int>::min();
        for (std::size_t i = 0; i < pixels; ++i) {
            const std::uint8_t* p = data + i * pixelBytes;
            for (int s = 0; s < used; ++s) {
                const std::uint32_t raw = raw16(p + s * sampleBytes, bigEndian);
                const int v = isSigned ? static_cast<std::int16_t>(raw) : static_cast<int>(raw);
                lo = v < lo ? v : lo;
                hi = v > hi ? v : hi;
            }
        }
        if (lo <= hi) {
            r.minimum = lo;
            r.maximum = hi;
        }
        return r;
    }
    double lo = std::numeric_limits<double>::infinity(), hi = -std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < pixels; ++i) {
        const std::uint8_t* p = data + i * pixelBytes;
        for (int s = 0; s < used; ++s) {
            const double v = valueOf(raw32(p + s * sampleBytes, bigEndian), kind);
            if (!std::isfinite(v))
                continue;
            lo = v < lo ? v : lo;
            hi = v > hi ? v : hi;
        }
    }
    if (lo <= hi) {
        r.minimum = lo;
        r.maximum = hi;
    }
    return r;
}

DeepSampleReducer::DeepSampleReducer(DeepSampleKind kind, bool bigEndian, const DepthReduction& range)
    : m_kind(kind), m_big(bigEndian), m_range(range)
{
    if (deepSampleBits(kind) != 16)
        return;
    m_table.resize(65536);
    for (std::uint32_t raw = 0; raw < 65536; ++raw)
        m_table[raw] = reduceToByte(valueOf(raw, kind), range.minimum, range.maximum);
}

double DeepSampleReducer::sampleAt(const std::uint8_t* p) const { return valueOf(raw32(p, m_big), m_kind); }

void DeepSampleReducer::reduceRow(const std::uint8_t* src, std::size_t pixels, int samplesPerPixel, int used,
                                  std::uint8_t* dst) const
{
    const std::size_t sampleBytes = m_table.empty() ? 4 : 2;
    const std::size_t pixelBytes = sampleBytes * static_cast<std::size_t>(samplesPerPixel);
    for (std::size_t i = 0; i < pixels; ++i) {
        const std::uint8_t* p = src + i * pixelBytes;
        for (int s = 0; s < used; ++s, ++dst) {
            const std::uint8_t* q = p + static_cast<std::size_t>(s) * sampleBytes;
            if (!m_table.empty()) {
                *dst = m_table[raw16(q, m_big)];
                continue;
            }
            const double v = sampleAt(q);
            // Infinities lie beyond every finite sample: they take the ends of the scale.
            *dst = std::isinf(v) ? (v > 0 ? 255 : 0) : reduceToByte(v, m_range.minimum, m_range.maximum);
        }
    }
}

}  // namespace tesra
