#pragma once
// Truevision Targa. Reading takes image types 1 (colour-mapped), 2 (true colour) and 3 (grey),
// uncompressed, and 9, 10, 11, the same run-length encoded; 8-bit indexes into 15-, 16-, 24- or
// 32-bit colour maps, 15-, 16-, 24- and 32-bit true colour, 8-bit grey; either origin.
// Writing produces type 2 with 24 bits or type 1 with a 24-bit colour map, rows from the
// bottom. TGA files have no signature and are recognised by their extension only.
#include "imaging/formats/codec_slots.h"

namespace tesra {

// Decodes a Targa file into `image` (a new buffer). Fails with EImageFormat("TGA: ...").
void readTga(ByteSpan data, TPixelGraphic& image, ProgressSink* progress = nullptr);
// Writes a 24-bit image as type 2, an 8-bit palette image as type 1; other images fail with
// "TGA: Invalid color resolution".
void writeTga(const TPixelGraphic& image, std::ostream& out, ProgressSink* progress = nullptr);

// The registry entries ("tga"; the writer stores resolutions 6 and 7).
ImageReader tgaReader();
ImageWriter tgaWriter();

}  // namespace tesra
