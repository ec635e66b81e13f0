#pragma once
// Windows and OS/2 bitmaps. Reading takes the OS/2 core header (12 bytes), the Windows info
// header (40 bytes, and the 52-, 56-, 108- and 124-byte versions, read as the 40-byte one with
// their colour masks) and the OS/2 2.x header (64 bytes); 1, 4, 8, 16, 24 and 32 bits, RLE8,
// RLE4, bit fields and top-down rows. Fields the pixels do not need (file and image size,
// resolution, a colour count beside true colour) are not checked. Writing puts the 14-byte file header before the buffer's own
// device-independent bitmap.
#include "imaging/formats/codec_slots.h"

namespace tesra {

// True when the data starts with "BM".
bool isBmpSignature(ByteSpan head);
// Decodes a bitmap file into `image` (a new buffer). Fails with EImageFormat("BMP: ...").
void readBmp(ByteSpan data, TPixelGraphic& image, ProgressSink* progress = nullptr);
// Writes `image` as a bitmap file: file header, 40-byte info header, palette, rows bottom-up.
void writeBmp(const TPixelGraphic& image, std::ostream& out, ProgressSink* progress = nullptr);

// The registry entries ("bmp", "dib", "rle"; writer "bmp", "dib", every resolution).
ImageReader bmpReader();
ImageWriter bmpWriter();

}  // namespace tesra
