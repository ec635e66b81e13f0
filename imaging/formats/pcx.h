#pragma once
// Paintbrush (PCX) images, read only: versions 0, 2, 3 and 5, run-length encoded; 1 bit in 1 to
// 4 planes, 2, 4 and 8 bits in one plane, and 8 bits in 3 or 4 planes (true colour, the fourth
// plane ignored).
#include "imaging/formats/codec_slots.h"

namespace tesra {

// True when the first byte is 10.
bool isPcxSignature(ByteSpan head);
// Decodes a PCX file into `image` (a new buffer). Fails with EImageFormat("PCX: ...").
void readPcx(ByteSpan data, TPixelGraphic& image, ProgressSink* progress = nullptr);

// The registry entry ("pcx").
ImageReader pcxReader();

}  // namespace tesra
