#include "imaging/formats/deep_samples.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <limits>
#include <type_traits>

#include "common/user_text.h"

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
    return FillIn(UserText(QT_TRANSLATE_NOOP("Core", "%1-bit image shown as 8-bit, range %2\u2013%3")),
                  {std::to_string(r.bits), number(r.minimum, r.floating), number(r.maximum, r.floating)});
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

DeepSampleRange::DeepSampleRange(DeepSampleKind kind, bool bigEndian)
    : m_kind(kind),
      m_big(bigEndian),
      m_intLo(std::numeric_limits<std::int64_t>::max()),
      m_intHi(std::numeric_limits<std::int64_t>::min()),
      m_lo(std::numeric_limits<double>::infinity()),
      m_hi(-std::numeric_limits<double>::infinity())
{
}

void DeepSampleRange::add(const std::uint8_t* data, std::size_t pixels, int samplesPerPixel, int used)
{
    const std::size_t sampleBytes = static_cast<std::size_t>(deepSampleBits(m_kind) / 8);
    const std::size_t pixelBytes = sampleBytes * static_cast<std::size_t>(samplesPerPixel);
    if (sampleBytes == 2) {
        // Integer compares on the raw values, in loops the compiler can run several samples
        // at a time: the whole scan of a large image stays cheap.
        auto scan = [&](auto big, auto isSigned) {
            int lo = std::numeric_limits<int>::max(), hi = std::numeric_limits<int>::min();
            for (std::size_t i = 0; i < pixels; ++i) {
                const std::uint8_t* p = data + i * pixelBytes;
                for (int s = 0; s < used; ++s) {
                    const std::uint8_t* q = p + s * sampleBytes;
                    const std::uint16_t raw = static_cast<std::uint16_t>(
                        decltype(big)::value ? (q[0] << 8) | q[1] : q[0] | (q[1] << 8));
                    const int v = decltype(isSigned)::value ? static_cast<std::int16_t>(raw) : static_cast<int>(raw);
                    lo = v < lo ? v : lo;
                    hi = v > hi ? v : hi;
                }
            }
            m_intLo = std::min<std::int64_t>(m_intLo, lo);
            m_intHi = std::max<std::int64_t>(m_intHi, hi);
        };
        const bool isSigned = m_kind == DeepSampleKind::Signed16;
        if (m_big)
            isSigned ? scan(std::true_type{}, std::true_type{}) : scan(std::true_type{}, std::false_type{});
        else
            isSigned ? scan(std::false_type{}, std::true_type{}) : scan(std::false_type{}, std::false_type{});
        return;
    }
    double lo = m_lo, hi = m_hi;
    for (std::size_t i = 0; i < pixels; ++i) {
        const std::uint8_t* p = data + i * pixelBytes;
        for (int s = 0; s < used; ++s) {
            const double v = valueOf(raw32(p + s * sampleBytes, m_big), m_kind);
            if (!std::isfinite(v))
                continue;
            lo = v < lo ? v : lo;
            hi = v > hi ? v : hi;
        }
    }
    m_lo = lo;
    m_hi = hi;
}

DepthReduction DeepSampleRange::result() const
{
    DepthReduction r;
    r.bits = deepSampleBits(m_kind);
    r.floating = m_kind == DeepSampleKind::Float32;
    if (r.bits == 16 && m_intLo <= m_intHi) {
        r.minimum = static_cast<double>(m_intLo);
        r.maximum = static_cast<double>(m_intHi);
    } else if (r.bits == 32 && m_lo <= m_hi) {
        r.minimum = m_lo;
        r.maximum = m_hi;
    }
    return r;
}

DepthReduction deepSampleRange(const std::uint8_t* data, std::size_t pixels, int samplesPerPixel, int used,
                               DeepSampleKind kind, bool bigEndian)
{
    DeepSampleRange range(kind, bigEndian);
    range.add(data, pixels, samplesPerPixel, used);
    return range.result();
}

DeepSampleReducer::DeepSampleReducer(DeepSampleKind kind, bool bigEndian, const DepthReduction& range, bool reversed,
                                     bool inverted)
    : m_kind(kind), m_big(bigEndian), m_range(range), m_reversed(reversed), m_inverted(inverted)
{
    if (deepSampleBits(kind) != 16)
        return;
    m_table.resize(65536);
    const std::uint8_t flip = inverted ? 255 : 0;
    for (std::uint32_t raw = 0; raw < 65536; ++raw)
        m_table[raw] = reduceToByte(valueOf(raw, kind), range.minimum, range.maximum) ^ flip;
}

std::uint8_t DeepSampleReducer::reduce32(const std::uint8_t* p) const
{
    const double v = valueOf(raw32(p, m_big), m_kind);
    // Infinities lie beyond every finite sample: they take the ends of the scale.
    const std::uint8_t b = std::isinf(v) ? (v > 0 ? 255 : 0) : reduceToByte(v, m_range.minimum, m_range.maximum);
    return m_inverted ? static_cast<std::uint8_t>(255 - b) : b;
}

void DeepSampleReducer::reduceRow(const std::uint8_t* src, std::size_t pixels, int samplesPerPixel, int used,
                                  std::uint8_t* dst) const
{
    const std::size_t spp = static_cast<std::size_t>(samplesPerPixel);
    if (!m_table.empty()) {
        const std::uint8_t* table = m_table.data();
        // The commonest layouts get loops of their own: one table look-up per sample, the
        // byte order and the sample order fixed at compile time.
        auto run = [&](auto big, auto n) {
            constexpr std::size_t N = decltype(n)::value;
            for (std::size_t i = 0; i < pixels; ++i, src += 2 * spp, dst += N)
                for (std::size_t s = 0; s < N; ++s) {
                    const std::uint8_t* q = src + 2 * s;
                    const std::uint32_t raw = decltype(big)::value ? (std::uint32_t(q[0]) << 8) | q[1]
                                                                   : (std::uint32_t(q[1]) << 8) | q[0];
                    dst[m_reversed ? N - 1 - s : s] = table[raw];
                }
        };
        using One = std::integral_constant<std::size_t, 1>;
        using Three = std::integral_constant<std::size_t, 3>;
        if (used == 1)
            m_big ? run(std::true_type{}, One{}) : run(std::false_type{}, One{});
        else if (used == 3)
            m_big ? run(std::true_type{}, Three{}) : run(std::false_type{}, Three{});
        else
            for (std::size_t i = 0; i < pixels; ++i, src += 2 * spp, dst += used)
                for (int s = 0; s < used; ++s)
                    dst[m_reversed ? used - 1 - s : s] = table[raw16(src + 2 * s, m_big)];
        return;
    }
    for (std::size_t i = 0; i < pixels; ++i, src += 4 * spp, dst += used)
        for (int s = 0; s < used; ++s)
            dst[m_reversed ? used - 1 - s : s] = reduce32(src + 4 * static_cast<std::size_t>(s));
}

}  // namespace tesra
