#pragma once
// Portable bit, grey and pixel maps: "P1"–"P3" in text form and "P4"–"P6" in raw byte form
// (samples up to 16 bits, reduced to 8). Bit maps become black-and-white images, grey maps
// 256-grey images and pixel maps 24-bit images. The writers use the text form unless the
// options ask for the raw one.
#include "imaging/formats/codec_slots.h"

namespace tesra {

// Decodes a PBM, PGM or PPM file (any of P1..P6) into `image` (a new buffer). Fails with
// EImageFormat("PBM, PGM, PPM: ...").
void readPnm(ByteSpan data, TPixelGraphic& image, ProgressSink* progress = nullptr);

// Writes `image` as a bit map (kind 1), grey map (2) or pixel map (3), in text form or raw.
// The image must be black and white, 256 grey or 24 bits respectively ("Invalid color
// resolution") and not empty ("Width = 0 or Height = 0").
void writePnm(const TPixelGraphic& image, std::ostream& out, int kind, bool raw, ProgressSink* progress = nullptr);

// The registry entries: readers "pbm", "pgm", "ppm" recognised by "P1"/"P4", "P2"/"P5",
// "P3"/"P6"; writers storing resolution 0, 5 and 7.
ImageReader pbmReader();
ImageReader pgmReader();
ImageReader ppmReader();
ImageWriter pbmWriter();
ImageWriter pgmWriter();
ImageWriter ppmWriter();

}  // namespace tesra
