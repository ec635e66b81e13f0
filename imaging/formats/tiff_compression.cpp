#include "imaging/formats/tiff_compression.h"

#include <algorithm>
#include <array>
#include <climits>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include <libdeflate.h>
#include <zlib.h>
// jpeglib.h needs size_t and FILE declared before it; jerror.h comes after it.
#include <jpeglib.h>
#include <jerror.h>

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

std::uint64_t maxLzwOutput(std::uint64_t compressedBytes)
{
    // At most one code per 9 bits; after a clear code the k-th code stands for at most k
    // bytes, and no string is longer than the table has codes.
    const std::uint64_t codes = compressedBytes * 8 / 9 + 1;
    const std::uint64_t growing = std::min<std::uint64_t>(codes, kMaxCodes);
    return growing * (growing + 1) / 2 + (codes - growing) * kMaxCodes;
}

std::uint64_t maxDeflateOutput(std::uint64_t compressedBytes)
{
    // The longest match (258 bytes) takes at least two bits: a length and a distance code.
    return compressedBytes * 1032 + 258;
}

std::uint64_t maxPackBitsOutput(std::uint64_t compressedBytes) { return compressedBytes * 64 + 128; }

std::uint64_t maxJpegOutput(std::uint64_t compressedBytes)
{
    // Every 8 × 8 block takes at least two bits (a DC and an end-of-block code), and at most
    // ten blocks make a unit of at most 32 × 16 pixels of three bytes.
    return compressedBytes * 1024 + 4096;
}

DecodeStatus decodeTiffLzw(ByteSpan in, std::span<std::uint8_t> out, bool stopWhenFull, std::size_t& produced)
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
    // A string that does not fit: the part that does when the rest lies beyond the image.
    auto full = [&](const std::uint8_t* from, std::size_t length) {
        if (!stopWhenFull)
            return DecodeStatus::Overflow;
        std::memmove(dst + pos, from, std::min(length, capacity - pos));
        produced = capacity;
        return DecodeStatus::Complete;
    };

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
        if (pos == capacity && stopWhenFull)
            break;
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
                return full(dst + table[code].offset, length);
            }
            copyEarlier(dst + pos, dst + table[code].offset, length, capacity - pos);
        } else if (code == next) {
            // The code being defined right now: the previous string and its own first byte.
            length = prevLength + 1;
            if (length > capacity - pos) {
                produced = pos;
                if (!stopWhenFull)
                    return DecodeStatus::Overflow;
                // The previous string again, then its first byte, as far as they fit.
                const std::size_t room = capacity - pos;
                std::memmove(dst + pos, dst + prevOffset, std::min(prevLength, room));
                if (room > prevLength)
                    dst[pos + prevLength] = dst[prevOffset];
                produced = capacity;
                return DecodeStatus::Complete;
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
    return pos == capacity ? DecodeStatus::Complete : DecodeStatus::Short;
}

namespace {

// The two-byte zlib header, checked here; the deflate data behind it is inflated raw, without
// the checksum at the end of the stream, which saves a tenth of the load time. The decoded
// size is checked exactly, and damaged data fails the inflation.
bool zlibHeaderValid(ByteSpan in)
{
    return in.size() >= 2 && (in[0] & 0x0F) == Z_DEFLATED && (in[0] >> 4) <= 7 && ((in[0] << 8) | in[1]) % 31 == 0 &&
           (in[1] & 0x20) == 0;
}

}  // namespace

DecodeStatus decodeTiffDeflate(ByteSpan in, std::span<std::uint8_t> out, bool stopWhenFull, std::size_t& produced)
{
    produced = 0;
    if (!zlibHeaderValid(in))
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
        status = z.avail_out == 0 ? DecodeStatus::Complete : DecodeStatus::Short;
    } else if (rc == Z_BUF_ERROR && z.avail_out == 0) {
        if (!stopWhenFull) {
            // The buffer is full: anything more the stream holds is refused.
            std::uint8_t extra = 0;
            z.next_out = &extra;
            z.avail_out = 1;
            rc = inflate(&z, Z_FINISH);
            if (z.avail_out == 0)
                status = DecodeStatus::Overflow;
            else if (rc != Z_STREAM_END && rc != Z_BUF_ERROR)
                status = DecodeStatus::Invalid;  // (ended, or cut just after the last byte: complete)
        }
    } else if (rc == Z_BUF_ERROR) {
        status = DecodeStatus::Short;  // the input ran out before the end of the stream
    } else {
        status = DecodeStatus::Invalid;
    }
    inflateEnd(&z);
    return status;
}

DeflateDecoder::DeflateDecoder() : m_decompressor(libdeflate_alloc_decompressor()) {}

DeflateDecoder::~DeflateDecoder() { libdeflate_free_decompressor(m_decompressor); }

DecodeStatus DeflateDecoder::decode(ByteSpan in, std::span<std::uint8_t> out, bool stopWhenFull, std::size_t& produced)
{
    produced = 0;
    if (!zlibHeaderValid(in))
        return DecodeStatus::Invalid;
    // A chunk reaching beyond the image needs only its first bytes: zlib stops there, where
    // libdeflate would try the whole chunk first.
    if (m_decompressor && !stopWhenFull) {
        std::size_t inUsed = 0, outMade = 0;
        const libdeflate_result r = libdeflate_deflate_decompress_ex(m_decompressor, in.data() + 2, in.size() - 2,
                                                                     out.data(), out.size(), &inUsed, &outMade);
        if (r == LIBDEFLATE_SUCCESS) {
            produced = outMade;
            return outMade == out.size() ? DecodeStatus::Complete : DecodeStatus::Short;
        }
        if (r == LIBDEFLATE_INSUFFICIENT_SPACE)
            return DecodeStatus::Overflow;
        // A stream cut short or damaged: zlib says how far the data is good.
    }
    return decodeTiffDeflate(in, out, stopWhenFull, produced);
}

// ---- JPEG ----

namespace {

// libjpeg reports errors through a routine that must not return: it jumps back into
// decodeTiffJpeg, whose frame holds only plain data.
struct JpegErrors {
    jpeg_error_mgr pub;  // first member: libjpeg sees only this part
    std::jmp_buf jump;
    bool ranDry;
};

void onJpegError(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<JpegErrors*>(cinfo->err)->jump, 1); }

// The data ending inside the scan is a warning to libjpeg, which would fill the rest with
// grey; here it means the chunk is short. Other warnings leave the pixels intact.
void onJpegMessage(j_common_ptr cinfo, int level)
{
    if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF)
        reinterpret_cast<JpegErrors*>(cinfo->err)->ranDry = true;
}

struct JpegDecoder {
    jpeg_decompress_struct cinfo;
    JpegErrors err;
    bool created;
};

DecodeStatus runJpeg(JpegDecoder* d, ByteSpan tables, ByteSpan in, const TiffJpegChunk& chunk, std::uint8_t* out)
{
    if (setjmp(d->err.jump))
        return DecodeStatus::Invalid;
    jpeg_create_decompress(&d->cinfo);
    d->created = true;
    d->cinfo.mem->max_memory_to_use = chunk.memoryLimit;
    if (!tables.empty()) {
        jpeg_mem_src(&d->cinfo, tables.data(), static_cast<unsigned long>(tables.size()));
        if (jpeg_read_header(&d->cinfo, FALSE) != JPEG_HEADER_TABLES_ONLY)
            return DecodeStatus::Invalid;
    }
    jpeg_mem_src(&d->cinfo, in.data(), static_cast<unsigned long>(in.size()));
    if (jpeg_read_header(&d->cinfo, TRUE) != JPEG_HEADER_OK)
        return DecodeStatus::Invalid;
    jpeg_decompress_struct& c = d->cinfo;
    if (c.image_width != chunk.width || c.image_height < chunk.rows || c.num_components != chunk.components ||
        c.progressive_mode)
        return DecodeStatus::Invalid;
    // The file's photometric interpretation says how the samples are stored; the stream
    // carries no marker that would.
    if (chunk.components == 3) {
        c.jpeg_color_space = chunk.ycbcr ? JCS_YCbCr : JCS_RGB;
        c.out_color_space = JCS_RGB;
    } else {
        c.jpeg_color_space = JCS_GRAYSCALE;
        c.out_color_space = JCS_GRAYSCALE;
    }
    jpeg_start_decompress(&c);
    const std::size_t rowBytes = std::size_t(chunk.width) * static_cast<std::size_t>(chunk.components);
    while (c.output_scanline < chunk.rows) {
        JSAMPROW row = out + c.output_scanline * rowBytes;
        jpeg_read_scanlines(&c, &row, 1);
        if (d->err.ranDry)
            return DecodeStatus::Short;
    }
    jpeg_abort_decompress(&c);
    return DecodeStatus::Complete;
}

}  // namespace

DecodeStatus decodeTiffJpeg(ByteSpan tables, ByteSpan in, const TiffJpegChunk& chunk, std::span<std::uint8_t> out)
{
    if (in.empty() ||
        out.size() < std::uint64_t(chunk.width) * chunk.rows * static_cast<std::uint64_t>(chunk.components))
        return DecodeStatus::Invalid;
    auto d = std::make_unique<JpegDecoder>();
    d->cinfo.err = jpeg_std_error(&d->err.pub);
    d->err.pub.error_exit = onJpegError;
    d->err.pub.emit_message = onJpegMessage;
    d->err.ranDry = false;
    d->created = false;
    const DecodeStatus status = runJpeg(d.get(), tables, in, chunk, out.data());
    if (d->created)
        jpeg_destroy_decompress(&d->cinfo);
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

// The same for 16-bit samples in either byte order.
template <bool Big, std::size_t Stride>
void undoWordPredictorFixed(std::uint8_t* row, std::size_t samples)
{
    auto load = [&](std::size_t i) {
        const std::uint8_t* p = row + 2 * i;
        return static_cast<std::uint16_t>(Big ? (p[0] << 8) | p[1] : p[0] | (p[1] << 8));
    };
    auto store = [&](std::size_t i, std::uint16_t v) {
        std::uint8_t* p = row + 2 * i;
        p[Big ? 1 : 0] = static_cast<std::uint8_t>(v);
        p[Big ? 0 : 1] = static_cast<std::uint8_t>(v >> 8);
    };
    if (samples <= Stride)
        return;
    std::uint16_t sum[Stride];
    for (std::size_t c = 0; c < Stride; ++c)
        sum[c] = load(c);
    std::size_t i = Stride;
    for (; i + Stride <= samples; i += Stride)
        for (std::size_t c = 0; c < Stride; ++c) {
            sum[c] = static_cast<std::uint16_t>(sum[c] + load(i + c));
            store(i + c, sum[c]);
        }
    for (; i < samples; ++i)
        store(i, static_cast<std::uint16_t>(load(i) + load(i - Stride)));
}

template <bool Big>
bool undoWordPredictor(std::uint8_t* row, std::size_t samples, std::size_t stride)
{
    switch (stride) {
    case 1:
        undoWordPredictorFixed<Big, 1>(row, samples);
        return true;
    case 3:
        undoWordPredictorFixed<Big, 3>(row, samples);
        return true;
    case 4:
        undoWordPredictorFixed<Big, 4>(row, samples);
        return true;
    default:
        return false;
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
        if (sampleBytes == 2 &&
            (bigEndian ? undoWordPredictor<true>(row, samples, stride) : undoWordPredictor<false>(row, samples, stride)))
            continue;
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

void undoFloatPredictor(std::uint8_t* data, std::size_t rows, std::size_t rowBytes, int sampleBytes,
                        int samplesPerPixel, bool bigEndian, std::uint8_t* scratch)
{
    const std::size_t bytes = static_cast<std::size_t>(sampleBytes);
    const std::size_t samples = rowBytes / bytes;
    for (std::size_t r = 0; r < rows; ++r) {
        std::uint8_t* row = data + r * rowBytes;
        undoBytePredictor(row, samples * bytes, static_cast<std::size_t>(samplesPerPixel));
        std::memcpy(scratch, row, samples * bytes);
        // Plane b holds byte b of every sample, counted from the most significant one.
        for (std::size_t b = 0; b < bytes; ++b) {
            const std::uint8_t* plane = scratch + b * samples;
            const std::size_t at = bigEndian ? b : bytes - 1 - b;
            for (std::size_t i = 0; i < samples; ++i)
                row[i * bytes + at] = plane[i];
        }
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
