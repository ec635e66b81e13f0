#pragma once
// Decompression of TIFF strips and tiles: LZW (the TIFF variant, most significant bit first,
// 9 to 12 bit codes with the early width change), Deflate through zlib, and the steps that
// come with them (horizontal predictor, reversed bit order).
//
// Each decoder writes into a buffer of fixed size given by the caller, the chunk's full
// decoded size; it never allocates for the output. A stream that would produce more than the
// buffer holds is refused, so a small hostile strip cannot inflate into gigabytes.
#include <cstddef>
#include <cstdint>
#include <span>

#include "imaging/formats/byte_reader.h"

namespace tesra {

enum class DecodeStatus {
    Complete,  // at least the needed bytes came out, none beyond the buffer
    Short,     // the data ended before the needed bytes
    Overflow,  // the data goes on beyond the buffer
    Invalid,   // a code or stream the format does not allow
};

// Decodes TIFF LZW data into `out`. `needed` (≤ out.size()) bytes must come out; up to
// out.size() are accepted (the last strip of some writers holds the full strip's rows).
// `produced` gets the number of bytes written.
DecodeStatus decodeTiffLzw(ByteSpan in, std::span<std::uint8_t> out, std::size_t needed, std::size_t& produced);

// Decodes zlib (Deflate) data into `out`, with the same rules as decodeTiffLzw.
DecodeStatus decodeTiffDeflate(ByteSpan in, std::span<std::uint8_t> out, std::size_t needed, std::size_t& produced);

// Undoes horizontal differencing (predictor 2) in place on `rows` rows of `rowBytes` bytes:
// each sample of `sampleBytes` bytes (1, 2 or 4, in the file's byte order) adds the same
// sample of the pixel before it; a pixel has `samplesPerPixel` samples.
void undoHorizontalPredictor(std::uint8_t* data, std::size_t rows, std::size_t rowBytes, int sampleBytes,
                             int samplesPerPixel, bool bigEndian);

// Reverses the order of the bits within each byte (fill order 2: lowest bit first).
void reverseBitsInBytes(std::uint8_t* data, std::size_t size);

}  // namespace tesra
