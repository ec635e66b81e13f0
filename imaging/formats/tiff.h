#pragma once
// TIFF reader and writer of the image library, written here without libtiff.
//
// Reading takes the first image of the file, in either byte order, in strips or tiles, with the
// samples side by side or in planes of their own, uncompressed, PackBits, LZW or Deflate (with
// or without the horizontal or floating-point predictor), JPEG (8-bit grey, RGB or YCbCr, with
// the file's shared tables), and either bit order within the bytes. Photometric
// interpretations white-is-zero, black-is-zero, RGB, palette and CMYK at 1, 4, 8, 24 or 32
// bits per pixel are read as they are; 16-bit grey and RGB and 32-bit grey (integer or
// floating point) are reduced to 8 bits by the image's own range (deep_samples.h). Every
// count, offset and chunk size of the directory is checked against the file before it is
// used: before anything is allocated, every chunk must be able to hold what the image needs
// from it, and all chunks together may cost little more to decode than the image holds; only
// the rows inside the image are decoded, and no chunk may decode to more than its share.
// Writing produces a little-endian, uncompressed file with one directory, 300 dpi and every
// value at an even offset.
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

#include "imaging/formats/byte_reader.h"
#include "imaging/formats/deep_samples.h"
#include "imaging/pixel_graphic.h"

namespace tesra {

// Asked when a file can be read only in a questionable way (caption, text). Returning false
// cancels the load, which then fails with the same text.
using TiffWarning = std::function<bool(const std::string& caption, const std::string& text)>;

// True when the bytes start with "II" 42 0 or "MM" 0 42.
bool isTiffSignature(ByteSpan head);

// Decodes the first image of a TIFF file into `image`. On failure an EImageFormat is thrown
// and `image` is left untouched. `progress` may be null. When `reduction` is given it tells
// whether deep samples were reduced to 8 bits, and by which range.
void readTiff(ByteSpan data, TPixelGraphic& image, const TiffWarning& warn, ProgressSink* progress = nullptr,
              DepthReduction* reduction = nullptr);

// Writes `image` as TIFF: 1-bit black and white, 16 or 256 greys as black-is-zero, other
// palettes with a colour map, 24 bits as RGB. A 2-colour image (resolution 1) and an empty
// image are refused with EImageFormat.
void writeTiff(const TPixelGraphic& image, std::ostream& out, ProgressSink* progress = nullptr);

// Rows per strip of the writer: 32767 div bytes per row, at least 1, at most the height.
std::uint32_t tiffRowsPerStrip(std::uint64_t bytesPerRow, std::uint32_t height);

}  // namespace tesra
