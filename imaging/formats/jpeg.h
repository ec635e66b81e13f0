#pragma once
// JPEG (JFIF) reader and writer of the image library, through libjpeg's 6.2 interface.
//
// libjpeg reports its errors by calling an error routine that must not return. Ours jumps
// back (longjmp) into the one function that called the library, which holds only plain data,
// so no C++ destructor is ever skipped; the error then becomes an EImageFormat with the tag
// "JPG: ". The library never ends the process and its memory use is limited explicitly.
#include <cstdint>
#include <ostream>

#include "imaging/formats/byte_reader.h"
#include "imaging/pixel_graphic.h"
#include "imaging/progress.h"

namespace tesra {

// True when the bytes start with 255, 216 (the start-of-image marker).
bool isJpegSignature(ByteSpan head);

// Decodes a baseline or progressive JPEG file: one component gives a 256-grey image, three a
// 24-bit image, CMYK and YCCK a 24-bit image by R = max(255 − C − K, 0) and so on (Adobe's
// inverted CMYK turned round first); anything else fails with "JPG: Not supported subformat"
// and a hint. A file that lacks only its end marker loads; data that ends or is damaged
// before the last pixel fails. The library's memory and the buffer together stay within the
// process-wide byte limit, and a progressive file may have at most jpegScanLimit scans. On
// failure an EImageFormat is thrown and `image` is left untouched. `progress` may be null.
void readJpeg(ByteSpan data, TPixelGraphic& image, ProgressSink* progress = nullptr);

// The most scans a progressive file of `pixels` pixels may have: 10^9 / pixels, at least 16
// and at most 256.
int jpegScanLimit(std::uint64_t pixels);

// Writes a 256-grey image as one-component greyscale and a 24-bit image as three-component
// colour, with the baseline tables scaled to `quality` (1..100). Other resolutions fail with
// "JPG: Invalid color resolution".
void writeJpeg(const TPixelGraphic& image, std::ostream& out, int quality = 80, ProgressSink* progress = nullptr);

}  // namespace tesra
