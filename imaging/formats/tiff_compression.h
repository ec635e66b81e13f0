#pragma once
// Decompression of TIFF strips and tiles: LZW (the TIFF variant, most significant bit first,
// 9 to 12 bit codes with the early width change), Deflate (libdeflate for whole chunks, zlib
// where a chunk's data must be followed byte by byte), JPEG through libjpeg with the file's
// shared tables, and the steps that come with them (horizontal and floating-point predictor,
// reversed bit order).
//
// Each decoder writes into a buffer of exactly the bytes the image needs from the chunk; it
// never allocates for the output. A stream that would produce more than a chunk that lies
// wholly inside the image holds is refused, so a small hostile strip cannot inflate into
// gigabytes; a chunk that reaches beyond the image stops decoding once the buffer is full.
#include <cstddef>
#include <cstdint>
#include <span>

#include "imaging/formats/byte_reader.h"

struct libdeflate_decompressor;

namespace tesra {

enum class DecodeStatus {
    Complete,  // the buffer is full and, for a chunk inside the image, nothing follows
    Short,     // the data ended before the buffer was full
    Overflow,  // the data goes on beyond the buffer
    Invalid,   // a code or stream the format does not allow
};

// The most bytes a stream of `compressedBytes` bytes can decode to, from the formats' own
// limits: LZW's 9-bit codes, whose strings grow by one byte per code; Deflate's 1032 : 1;
// PackBits' 128 bytes from 2; baseline JPEG's two bits per block. A chunk that needs more
// cannot be in the file.
std::uint64_t maxLzwOutput(std::uint64_t compressedBytes);
std::uint64_t maxDeflateOutput(std::uint64_t compressedBytes);
std::uint64_t maxPackBitsOutput(std::uint64_t compressedBytes);
std::uint64_t maxJpegOutput(std::uint64_t compressedBytes);

// Decodes TIFF LZW data into `out`. With `stopWhenFull` decoding ends when `out` is full;
// without it a code that would produce more is Overflow. `produced` gets the bytes written.
DecodeStatus decodeTiffLzw(ByteSpan in, std::span<std::uint8_t> out, bool stopWhenFull, std::size_t& produced);

// Decodes zlib (Deflate) data, with the same rules as decodeTiffLzw. Whole chunks go through
// libdeflate in one call; where that cannot give the exact verdict (a stream cut short, a
// chunk beyond the image) zlib decodes it again step by step.
class DeflateDecoder {
public:
    DeflateDecoder();
    ~DeflateDecoder();
    DeflateDecoder(const DeflateDecoder&) = delete;
    DeflateDecoder& operator=(const DeflateDecoder&) = delete;

    DecodeStatus decode(ByteSpan in, std::span<std::uint8_t> out, bool stopWhenFull, std::size_t& produced);

private:
    libdeflate_decompressor* m_decompressor;
};

// The zlib path of DeflateDecoder alone.
DecodeStatus decodeTiffDeflate(ByteSpan in, std::span<std::uint8_t> out, bool stopWhenFull, std::size_t& produced);

// What a JPEG strip or tile must hold: `width` × at least `rows` pixels of `components`
// samples (1 grey, 3 colour), the colour ones stored as YCbCr or as RGB.
struct TiffJpegChunk {
    std::uint32_t width = 0;
    std::uint32_t rows = 0;
    int components = 1;
    bool ycbcr = false;
    long memoryLimit = 0;  // bytes libjpeg may take for its own buffers
};

// Decodes one JPEG strip or tile into `out` (rows × width × components bytes, RGB or grey),
// after the tables the file shares between its chunks (`tables`, may be empty). Short when
// the data ends before the last row needed; Invalid for anything libjpeg refuses, a size or
// component count other than the chunk's, or a progressive stream.
DecodeStatus decodeTiffJpeg(ByteSpan tables, ByteSpan in, const TiffJpegChunk& chunk, std::span<std::uint8_t> out);

// Undoes horizontal differencing (predictor 2) in place on `rows` rows of `rowBytes` bytes:
// each sample of `sampleBytes` bytes (1, 2 or 4, in the file's byte order) adds the same
// sample of the pixel before it; a pixel has `samplesPerPixel` samples.
void undoHorizontalPredictor(std::uint8_t* data, std::size_t rows, std::size_t rowBytes, int sampleBytes,
                             int samplesPerPixel, bool bigEndian);

// Undoes the floating-point predictor (3) in place: each row holds the bytes of its samples
// split into planes, most significant first, differenced byte by byte across the row. The
// samples come out in the file's byte order. `scratch` holds one row.
void undoFloatPredictor(std::uint8_t* data, std::size_t rows, std::size_t rowBytes, int sampleBytes,
                        int samplesPerPixel, bool bigEndian, std::uint8_t* scratch);

// Reverses the order of the bits within each byte (fill order 2: lowest bit first).
void reverseBitsInBytes(std::uint8_t* data, std::size_t size);

}  // namespace tesra
