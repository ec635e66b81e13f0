#pragma once
// Generators of small files that promise huge work: images whose header declares far more
// than the file holds, and compressed streams that inflate to far more than the image needs.
// Shared by the format tests and the benchmark that measures what such files cost.
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace tesra::test {

// PNG files built chunk by chunk with zlib, independently of libpng.
struct PngChunks {
    std::vector<std::uint8_t> out{137, 80, 78, 71, 13, 10, 26, 10};

    static void put32(std::vector<std::uint8_t>& v, std::uint32_t x)
    {
        for (int s = 24; s >= 0; s -= 8)
            v.push_back(static_cast<std::uint8_t>(x >> s));
    }
    PngChunks& chunk(const char* type, const std::vector<std::uint8_t>& data)
    {
        put32(out, static_cast<std::uint32_t>(data.size()));
        std::vector<std::uint8_t> body(type, type + 4);
        body.insert(body.end(), data.begin(), data.end());
        out.insert(out.end(), body.begin(), body.end());
        put32(out, static_cast<std::uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
        return *this;
    }
    PngChunks& header(std::uint32_t w, std::uint32_t h, int depth, int colorType, int interlace = 0)
    {
        std::vector<std::uint8_t> d;
        put32(d, w);
        put32(d, h);
        d.insert(d.end(), {static_cast<std::uint8_t>(depth), static_cast<std::uint8_t>(colorType), 0, 0,
                           static_cast<std::uint8_t>(interlace)});
        return chunk("IHDR", d);
    }
    // The bytes compressed into one zlib stream, split over IDAT chunks of at most 1 MB.
    PngChunks& compressed(const std::vector<std::uint8_t>& raw, int level = 9)
    {
        uLongf size = compressBound(static_cast<uLong>(raw.size()));
        std::vector<std::uint8_t> z(size);
        compress2(z.data(), &size, raw.data(), static_cast<uLong>(raw.size()), level);
        z.resize(size);
        return idat(z);
    }
    // Rows of raw bytes, each given filter type 0, compressed into the image data.
    PngChunks& rows(const std::vector<std::vector<std::uint8_t>>& rows)
    {
        std::vector<std::uint8_t> raw;
        for (const auto& r : rows) {
            raw.push_back(0);
            raw.insert(raw.end(), r.begin(), r.end());
        }
        return compressed(raw);
    }
    PngChunks& idat(const std::vector<std::uint8_t>& z)
    {
        const std::size_t piece = 1u << 20;
        for (std::size_t at = 0; at < z.size(); at += piece)
            chunk("IDAT", std::vector<std::uint8_t>(z.begin() + static_cast<std::ptrdiff_t>(at),
                                                    z.begin() + static_cast<std::ptrdiff_t>(std::min(z.size(), at + piece))));
        return *this;
    }
    std::vector<std::uint8_t> end() { return chunk("IEND", {}).out; }
};

// A 68-byte-or-so PNG declaring side × side pixels, RGB with alpha, interlaced, whose data
// stops after a few bytes: reading it must fail without ever holding more than the image.
inline std::vector<std::uint8_t> interlacedAlphaBomb(std::uint32_t side = 31622)
{
    return PngChunks().header(side, side, 8, 6, 1).compressed({0, 0, 0, 0, 0}).end();
}

// A zlib stream of `prefix` followed by `zeros` zero bytes, ended, or with `finished` false
// only flushed.
inline std::vector<std::uint8_t> zlibWithZeros(const std::vector<std::uint8_t>& prefix, std::uint64_t zeros,
                                               bool finished = true)
{
    z_stream z{};
    deflateInit(&z, 9);
    std::vector<std::uint8_t> out;
    std::vector<std::uint8_t> block(1u << 20, 0);
    std::vector<std::uint8_t> buffer(1u << 16);
    auto feed = [&](const std::uint8_t* data, std::size_t size, int flush) {
        z.next_in = const_cast<std::uint8_t*>(data);
        z.avail_in = static_cast<uInt>(size);
        do {
            z.next_out = buffer.data();
            z.avail_out = static_cast<uInt>(buffer.size());
            deflate(&z, flush);
            out.insert(out.end(), buffer.data(), buffer.data() + (buffer.size() - z.avail_out));
        } while (z.avail_out == 0);
    };
    feed(prefix.data(), prefix.size(), Z_NO_FLUSH);
    for (std::uint64_t left = zeros; left > 0;) {
        const std::uint64_t n = std::min<std::uint64_t>(left, block.size());
        feed(block.data(), static_cast<std::size_t>(n), Z_NO_FLUSH);
        left -= n;
    }
    feed(nullptr, 0, finished ? Z_FINISH : Z_SYNC_FLUSH);
    deflateEnd(&z);
    return out;
}

// A 1 × 1 grey PNG (grey 128) whose one zlib stream goes on after the pixel's row with
// `extraMegabytes` MB of zeros (about 1 KB of file per MB). The image is complete after the
// stream's first two bytes. With `finished` false the stream is flushed but never ended.
inline std::vector<std::uint8_t> trailingStreamBomb(std::uint32_t extraMegabytes, bool finished = true)
{
    // Filter none, grey 128.
    return PngChunks().header(1, 1, 8, 0).idat(zlibWithZeros({0, 0x80}, std::uint64_t(extraMegabytes) << 20, finished)).end();
}

// ---- TIFF ----

// One stream of `size` zero bytes in the compression of a TIFF (5 LZW, 8 Deflate, 32773
// PackBits), written here independently of the reader's decoders.
inline std::vector<std::uint8_t> tiffZeros(std::uint32_t compression, std::uint64_t size)
{
    std::vector<std::uint8_t> out;
    if (compression == 32773) {
        for (std::uint64_t left = size; left > 0;) {
            const std::uint64_t n = std::min<std::uint64_t>(left, 128);
            // A run of n is 1 − n as a signed byte; a single byte is a literal of one.
            out.push_back(n == 1 ? 0 : static_cast<std::uint8_t>(257 - n));
            out.push_back(0);
            left -= n;
        }
        return out;
    }
    if (compression == 5) {
        // Codes of 9 bits: clear, then byte 0 and the strings 00, 000, ... that each code
        // adds, cleared again before the width would grow.
        std::uint64_t acc = 0;
        int bits = 0;
        auto code = [&](unsigned c) {
            acc = (acc << 9) | c;
            bits += 9;
            while (bits >= 8) {
                out.push_back(static_cast<std::uint8_t>(acc >> (bits - 8)));
                bits -= 8;
            }
        };
        std::uint64_t left = size;
        while (left > 0) {
            code(256);
            unsigned next = 258, length = 1;
            code(0);
            --left;
            while (left > 0 && next < 510) {
                const unsigned take = static_cast<unsigned>(std::min<std::uint64_t>(left, length + 1));
                if (take < length + 1)
                    break;
                code(next);  // the string being defined: the previous one and its first byte
                left -= take;
                ++length;
                ++next;
            }
        }
        code(257);
        if (bits > 0)
            out.push_back(static_cast<std::uint8_t>(acc << (8 - bits)));
        return out;
    }
    return zlibWithZeros({}, size);
}

// What a generated TIFF claims. Every strip or tile points at one shared stream (`data`),
// so the file stays small however many chunks it has.
struct HostileTiff {
    std::uint32_t width = 1, height = 1;
    std::uint32_t samples = 1, bits = 8, sampleFormat = 1, planar = 1;
    std::uint32_t compression = 8;
    std::uint32_t rowsPerStrip = 0;            // 0: one strip per plane
    std::uint32_t tileWidth = 0, tileLength = 0;  // non-zero: tiled
    std::vector<std::uint8_t> data;

    std::uint64_t chunkCount() const
    {
        const std::uint64_t planes = planar == 2 ? samples : 1;
        if (tileWidth != 0)
            return (std::uint64_t(width) + tileWidth - 1) / tileWidth * ((std::uint64_t(height) + tileLength - 1) / tileLength) *
                   planes;
        const std::uint64_t rps = rowsPerStrip == 0 ? height : rowsPerStrip;
        return (height + rps - 1) / rps * planes;
    }

    // Little-endian: header, the shared stream, the directory, then the chunk offsets and
    // byte counts.
    std::vector<std::uint8_t> bytes() const
    {
        std::vector<std::uint8_t> out;
        out.reserve(8 + data.size() + 400 + 8 * chunkCount());
        const std::uint8_t header[8] = {'I', 'I', 42, 0, 0, 0, 0, 0};  // the directory's offset follows
        for (const std::uint8_t b : header)
            out.push_back(b);
        auto put16 = [&](std::uint32_t v) {
            out.push_back(static_cast<std::uint8_t>(v));
            out.push_back(static_cast<std::uint8_t>(v >> 8));
        };
        auto put32 = [&](std::uint32_t v) {
            put16(v & 0xFFFF);
            put16(v >> 16);
        };
        out.insert(out.end(), data.begin(), data.end());
        if (out.size() % 2)
            out.push_back(0);
        const std::uint32_t dir = static_cast<std::uint32_t>(out.size());
        for (int i = 0; i < 4; ++i)
            out[4 + i] = static_cast<std::uint8_t>(dir >> (8 * i));
        const std::uint32_t chunks = static_cast<std::uint32_t>(chunkCount());
        struct Entry {
            std::uint16_t tag, type;
            std::uint32_t count, value;
        };
        const bool tiled = tileWidth != 0;
        std::vector<Entry> entries = {
            {256, 4, 1, width},
            {257, 4, 1, height},
            {258, 3, 1, bits},
            {259, 3, 1, compression},
            {262, 3, 1, samples >= 3 ? 2u : 1u},
            {277, 3, 1, samples},
        };
        if (!tiled)
            entries.push_back({278, 4, 1, rowsPerStrip == 0 ? height : rowsPerStrip});
        entries.push_back({284, 3, 1, planar});
        if (tiled) {
            entries.push_back({322, 4, 1, tileWidth});
            entries.push_back({323, 4, 1, tileLength});
        }
        entries.push_back({339, 3, 1, sampleFormat});
        // The offsets and counts go behind the directory; a single value sits in its entry.
        const std::uint32_t tableAt = dir + 2 + 12 * (static_cast<std::uint32_t>(entries.size()) + 2) + 4;
        const std::uint16_t offsetsTag = tiled ? 324 : 273;
        const std::uint16_t countsTag = tiled ? 325 : 279;
        entries.push_back({offsetsTag, 4, chunks, chunks == 1 ? 8u : tableAt});
        entries.push_back({countsTag, 4, chunks, chunks == 1 ? static_cast<std::uint32_t>(data.size()) : tableAt + 4 * chunks});
        std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.tag < b.tag; });
        put16(static_cast<std::uint32_t>(entries.size()));
        for (const Entry& e : entries) {
            put16(e.tag);
            put16(e.type);
            put32(e.count);
            if (e.type == 3) {
                put16(e.value);
                put16(0);
            } else {
                put32(e.value);
            }
        }
        put32(0);
        if (chunks > 1) {
            for (std::uint32_t i = 0; i < chunks; ++i)
                put32(8);
            for (std::uint32_t i = 0; i < chunks; ++i)
                put32(static_cast<std::uint32_t>(data.size()));
        }
        return out;
    }
};

// The small files that once cost gigabytes or minutes, each named by what it claims.
struct HostileTiffCase {
    std::string name;
    HostileTiff file;
    std::string message;  // empty: the image loads
};

inline std::vector<HostileTiffCase> hostileTiffs()
{
    std::vector<HostileTiffCase> cases;
    // side × side pixels whose one strip or tile holds a stream of 64 zero bytes.
    auto square = [](std::uint32_t side, std::uint32_t compression) {
        HostileTiff t;
        t.width = t.height = side;
        t.compression = compression;
        t.data = tiffZeros(compression, 64);
        return t;
    };
    for (std::uint32_t c : {5u, 8u, 32773u}) {
        HostileTiff rgb = square(30000, c);
        rgb.samples = 3;
        const std::string tag = c == 5 ? "LZW" : c == 8 ? "Deflate" : "PackBits";
        cases.push_back({"rgb-30000-one-strip-" + tag, rgb,
                         c == 32773 ? "TIFF (PackBits): Invalid count of bytes in row 0"
                                    : "TIFF (" + tag + "): Not enough data in strip 1"});
    }
    HostileTiff floating = square(29300, 5);
    floating.bits = 32;
    floating.sampleFormat = 3;
    cases.push_back({"float32-29300-LZW", floating, "TIFF (LZW): Not enough data in strip 1"});
    HostileTiff planes = square(21800, 8);
    planes.samples = 3;
    planes.bits = 16;
    planes.planar = 2;
    cases.push_back({"rgb16-21800-planes-Deflate", planes, "TIFF (Deflate): Not enough data in strip 1"});
    HostileTiff tile = square(30000, 5);
    tile.tileWidth = tile.tileLength = 30000;
    cases.push_back({"grey-30000-one-tile-LZW", tile, "TIFF (LZW): Not enough data in tile 1"});
    // Tiles of 16 M pixels (1 × 16777216) for an image one row high, all pointing at one
    // stream of 16 KB that decodes to megabytes: only the row inside the image is decoded.
    for (std::uint32_t c : {8u, 5u})
        for (std::uint32_t tiles : {100u, 30000u}) {
            HostileTiff tall;
            tall.width = tiles;
            tall.height = 1;
            tall.tileWidth = 1;
            tall.tileLength = 1u << 24;
            tall.compression = c;
            tall.data = tiffZeros(c, c == 8 ? 1u << 24 : 1u << 21);
            cases.push_back({"tiles-16M-pixels-" + std::to_string(tiles) + (c == 8 ? "-Deflate" : "-LZW"), tall, ""});
        }
    // Tiles one pixel wide for an image of 216 M pixels: each of their rows is handled alone.
    HostileTiff narrow;
    narrow.width = 100;
    narrow.height = 2162689;
    narrow.tileWidth = 1;
    narrow.tileLength = 1u << 24;
    narrow.data = tiffZeros(8, 1u << 24);
    cases.push_back({"tiles-1-pixel-wide-216M-pixels", narrow, "TIFF: Tiles cost far more than the image (TileWidth 1, TileLength 16777216)"});
    // A tile far wider than the image: decoding its rows would cost far more than the image.
    HostileTiff wide;
    wide.width = 1;
    wide.height = 30000;
    wide.tileWidth = 1u << 20;
    wide.tileLength = 16;
    wide.data = tiffZeros(8, 1u << 24);
    cases.push_back({"tile-1M-wide-for-1-pixel", wide, "TIFF: Tiles cost far more than the image (TileWidth 1048576, TileLength 16)"});
    return cases;
}

}  // namespace tesra::test
