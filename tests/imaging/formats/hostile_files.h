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

// A 1 × 1 grey PNG (grey 128) whose one zlib stream goes on after the pixel's row with
// `extraMegabytes` MB of zeros (about 1 KB of file per MB). The image is complete after the
// stream's first two bytes. With `finished` false the stream is flushed but never ended.
inline std::vector<std::uint8_t> trailingStreamBomb(std::uint32_t extraMegabytes, bool finished = true)
{
    z_stream z{};
    deflateInit(&z, 9);
    std::vector<std::uint8_t> out;
    std::vector<std::uint8_t> zeros(1u << 20, 0);
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
    const std::uint8_t row[2] = {0, 0x80};  // filter none, grey 128
    feed(row, 2, Z_NO_FLUSH);
    for (std::uint32_t i = 0; i < extraMegabytes; ++i)
        feed(zeros.data(), zeros.size(), Z_NO_FLUSH);
    feed(nullptr, 0, finished ? Z_FINISH : Z_SYNC_FLUSH);
    deflateEnd(&z);
    return PngChunks().header(1, 1, 8, 0).idat(out).end();
}

}  // namespace tesra::test
