#include "imaging/formats/tiff_compression.h"

#include <array>
#include <climits>
#include <cstring>

#include <zlib.h>

namespace tesra {

namespace {

constexpr unsigned kClearCode = 256;
constexpr unsigned kEndCode = 257;
constexpr unsigned kFirstFree = 258;
constexpr unsigned kMaxCodes = 4096;  // 12-bit codes

// Codes read most significant bit first, as TIFF's LZW stores them.
class MsbBits {
public:
    explicit MsbBits(ByteSpan in) : m_p(in.data()), m_end(in.data() + in.size()) {}

    // False when fewer than `width` bits are left.
    bool read(int width, unsigned& code)
    {
        if (m_count < width) {
            while (m_count <= 56 && m_p < m_end) {
                m_acc = (m_acc << 8) | *m_p++;
                m_count += 8;
            }
            if (m_count < width)
                return false;
        }
        m_count -= width;
        code = static_cast<unsigned>(m_acc >> m_count) & ((1u << width) - 1);
        return true;
    }

private:
    const std::uint8_t* m_p;
    const std::uint8_t* m_end;
    std::uint64_t m_acc = 0;
    int m_count = 0;
};

// Copies `length` bytes of earlier output to `dst` (source wholly before `dst`). Where the
// buffer has room behind the string, eight bytes at a time: the bytes written beyond the
// string are garbage that the next strings overwrite, and the bytes read beyond the source's
// end are output already written or about to be overwritten, never needed.
inline void copyEarlier(std::uint8_t* dst, const std::uint8_t* src, std::size_t length, std::size_t room)
{
    if (length + 8 > room) {
        std::memcpy(dst, src, length);
        return;
    }
    for (std::size_t i = 0; i < length; i += 8) {
        std::uint64_t chunk;
        std::memcpy(&chunk, src + i, 8);
        std::memcpy(dst + i, &chunk, 8);
    }
}

}  // namespace

DecodeStatus decodeTiffLzw(ByteSpan in, std::span<std::uint8_t> out, std::size_t needed, std::size_t& produced)
{
    // Every string of the table occurs in the output already: a code added after string s
    // stands for s followed by the first byte of the next string, which is exactly the output
    // from where s began. So a code is kept as (where, how long) and decoding it is a copy
    // from earlier output, never a walk along a chain of prefixes.
    struct Code {
        std::uint32_t offset;
        std::uint32_t length;
    };
    std::array<Code, kMaxCodes> table;
    std::uint8_t* const dst = out.data();
    const std::size_t capacity = out.size();
    std::size_t pos = 0;
    MsbBits bits(in);
    int width = 9;
    unsigned next = kFirstFree;
    bool havePrevious = false;
    std::size_t prevOffset = 0;
    std::size_t prevLength = 0;
    produced = 0;

    unsigned code = 0;
    while (bits.read(width, code)) {
        if (code == kEndCode)
            break;
        if (code == kClearCode) {
            width = 9;
            next = kFirstFree;
            havePrevious = false;
            continue;
        }
        std::size_t length;
        if (code < 256) {
            if (pos >= capacity) {
                produced = pos;
                return DecodeStatus::Overflow;
            }
            dst[pos] = static_cast<std::uint8_t>(code);
            length = 1;
        } else if (!havePrevious) {
            // After a clear code only a single byte can follow.
            produced = pos;
            return DecodeStatus::Invalid;
        } else if (code < next) {
            length = table[code].length;
            if (length > capacity - pos) {
                produced = pos;
                return DecodeStatus::Overflow;
            }
            copyEarlier(dst + pos, dst + table[code].offset, length, capacity - pos);
        } else if (code == next) {
            // The code being defined right now: the previous string and its own first byte.
            length = prevLength + 1;
            if (length > capacity - pos) {
                produced = pos;
                return DecodeStatus::Overflow;
            }
            copyEarlier(dst + pos, dst + prevOffset, prevLength, capacity - pos);
            dst[pos + prevLength] = dst[prevOffset];
        } else {
            produced = pos;
            return DecodeStatus::Invalid;
        }
        if (havePrevious && next < kMaxCodes) {
            table[next] = {static_cast<std::uint32_t>(prevOffset), static_cast<std::uint32_t>(prevLength + 1)};
            ++next;
            // The early change: the width grows one code before the table needs it.
            if (next + 1 >= (1u << width) && width < 12)
                ++width;
        }
        havePrevious = true;
        prevOffset = pos;
        prevLength = length;
        pos += length;
    }
    produced = pos;
    return pos >= needed ? DecodeStatus::Complete : DecodeStatus::Short;
}

DecodeStatus decodeTiffDeflate(ByteSpan in, std::span<std::uint8_t> out, std::size_t needed, std::size_t& produced)
{
    produced = 0;
    // The two-byte zlib header is checked here and the deflate data inflated raw: the
    // checksum at the end of the stream is not computed, which saves a tenth of the load
    // time. The decoded size is checked exactly, and damaged data fails the inflation.
    if (in.size() < 2 || (in[0] & 0x0F) != Z_DEFLATED || (in[0] >> 4) > 7 || ((in[0] << 8) | in[1]) % 31 != 0 ||
        (in[1] & 0x20) != 0)
        return DecodeStatus::Invalid;
    // zlib counts in unsigned int; strips and tiles beyond 4 GB are refused before this.
    if (in.size() > UINT_MAX || out.size() > UINT_MAX)
        return DecodeStatus::Invalid;
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
        return DecodeStatus::Invalid;
    z.next_in = const_cast<Bytef*>(in.data() + 2);
    z.avail_in = static_cast<uInt>(in.size() - 2);
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    int rc = inflate(&z, Z_FINISH);
    produced = out.size() - z.avail_out;
    DecodeStatus status = DecodeStatus::Complete;
    if (rc == Z_STREAM_END) {
        status = produced >= needed ? DecodeStatus::Complete : DecodeStatus::Short;
    } else if (rc == Z_BUF_ERROR && z.avail_out == 0) {
        // The buffer is full: anything more the stream holds is refused.
        std::uint8_t extra = 0;
        z.next_out = &extra;
        z.avail_out = 1;
        rc = inflate(&z, Z_FINISH);
        if (z.avail_out == 0)
            status = DecodeStatus::Overflow;
        else if (rc == Z_STREAM_END || rc == Z_BUF_ERROR)
            status = DecodeStatus::Complete;  // ended, or cut just after the last byte needed
        else
            status = DecodeStatus::Invalid;
    } else if (rc == Z_BUF_ERROR) {
        // The input ran out before the end of the stream.
        status = produced >= needed ? DecodeStatus::Complete : DecodeStatus::Short;
    } else {
        status = DecodeStatus::Invalid;
    }
    inflateEnd(&z);
    return status;
}

namespace {

// The running sums of each sample kept in registers: each byte is loaded and stored once,
// with no store-to-load chain through memory from one pixel to the next.
template <std::size_t Stride>
void undoBytePredictorFixed(std::uint8_t* row, std::size_t rowBytes)
{
    std::uint8_t sum[Stride];
    for (std::size_t c = 0; c < Stride; ++c)
        sum[c] = row[c];
    std::size_t i = Stride;
    for (; i + Stride <= rowBytes; i += Stride)
        for (std::size_t c = 0; c < Stride; ++c) {
            sum[c] = static_cast<std::uint8_t>(sum[c] + row[i + c]);
            row[i + c] = sum[c];
        }
    for (; i < rowBytes; ++i)
        row[i] = static_cast<std::uint8_t>(row[i] + row[i - Stride]);
}

void undoBytePredictor(std::uint8_t* row, std::size_t rowBytes, std::size_t stride)
{
    if (rowBytes <= stride)
        return;
    switch (stride) {
    case 1:
        undoBytePredictorFixed<1>(row, rowBytes);
        return;
    case 3:
        undoBytePredictorFixed<3>(row, rowBytes);
        return;
    case 4:
        undoBytePredictorFixed<4>(row, rowBytes);
        return;
    default:
        for (std::size_t i = stride; i < rowBytes; ++i)
            row[i] = static_cast<std::uint8_t>(row[i] + row[i - stride]);
    }
}

}  // namespace

void undoHorizontalPredictor(std::uint8_t* data, std::size_t rows, std::size_t rowBytes, int sampleBytes,
                             int samplesPerPixel, bool bigEndian)
{
    const std::size_t stride = static_cast<std::size_t>(samplesPerPixel);
    for (std::size_t r = 0; r < rows; ++r) {
        std::uint8_t* row = data + r * rowBytes;
        if (sampleBytes == 1) {
            undoBytePredictor(row, rowBytes, stride);
            continue;
        }
        const std::size_t samples = rowBytes / static_cast<std::size_t>(sampleBytes);
        auto load = [&](std::size_t i) {
            const std::uint8_t* p = row + i * static_cast<std::size_t>(sampleBytes);
            std::uint32_t v = 0;
            for (int b = 0; b < sampleBytes; ++b)
                v |= std::uint32_t(p[bigEndian ? b : sampleBytes - 1 - b]) << (8 * (sampleBytes - 1 - b));
            return v;
        };
        auto store = [&](std::size_t i, std::uint32_t v) {
            std::uint8_t* p = row + i * static_cast<std::size_t>(sampleBytes);
            for (int b = 0; b < sampleBytes; ++b)
                p[bigEndian ? b : sampleBytes - 1 - b] = static_cast<std::uint8_t>(v >> (8 * (sampleBytes - 1 - b)));
        };
        for (std::size_t i = stride; i < samples; ++i)
            store(i, load(i) + load(i - stride));
    }
}

void reverseBitsInBytes(std::uint8_t* data, std::size_t size)
{
    static const std::array<std::uint8_t, 256> reversed = [] {
        std::array<std::uint8_t, 256> t{};
        for (unsigned i = 0; i < 256; ++i) {
            unsigned r = 0;
            for (int b = 0; b < 8; ++b)
                if (i & (1u << b))
                    r |= 0x80u >> b;
            t[i] = static_cast<std::uint8_t>(r);
        }
        return t;
    }();
    for (std::size_t i = 0; i < size; ++i)
        data[i] = reversed[data[i]];
}

}  // namespace tesra
