#pragma once
// PNG reader and writer of the image library, through libpng.
//
// libpng reports errors through a routine that must not return; ours jumps back (longjmp)
// into the one function that called the library, which holds only plain data, and the error
// becomes an EImageFormat with the tag "PNG: ". libpng's own limits (image size, chunk
// sizes, number of ancillary chunks) are set explicitly for every file.
#include <cstdint>
#include <ostream>

#include "imaging/formats/byte_reader.h"
#include "imaging/pixel_graphic.h"
#include "imaging/progress.h"

namespace tesra {

// True when the bytes start with the PNG signature 137 80 78 71 13 10 26 10.
bool isPngSignature(ByteSpan head);

// Decodes a PNG file. 16-bit samples become 8 bits; palette images keep their palette (1, 4
// or 8 bits per pixel); grey images get the grey palette of their depth; transparency is
// composited onto the file's background colour, or black without one. When the file has a
// gamma chunk g, `imageGamma` is set to 1/g, otherwise it is left as it is. On failure an
// EImageFormat is thrown and `image` is left untouched. `progress` may be null.
void readPng(ByteSpan data, TPixelGraphic& image, double& imageGamma, ProgressSink* progress = nullptr);

// Writes `image` without interlace: palette images as colour type 3 at their own depth,
// 256 greys as colour type 0, 24 bits as colour type 2. A gamma chunk 1/imageGamma is written
// when imageGamma > 0.
void writePng(const TPixelGraphic& image, std::ostream& out, double imageGamma, ProgressSink* progress = nullptr);

}  // namespace tesra
