#pragma once
// Conversion of an image buffer into another colour resolution, for writers that cannot
// store the image's own one. TPixelGraphic::ColorToIndex (declared with the buffer) is
// defined in color_conversion.cpp too.
//
// Colour resolutions (TPixelGraphic::ColorResolution, colorResolutionName):
//   0 "black and white"     1 bit,   pBlackWhite
//   1 "2 colors"            1 bit,   optimised palette of 2
//   2 "16 shades of gray"   4 bits,  pGray16
//   3 "16 system colors"    4 bits,  pSys16
//   4 "16 colors"           4 bits,  optimised palette of 16
//   5 "256 shades of gray"  8 bits,  pGray256
//   6 "256 colors"          8 bits,  optimised palette of 236 image colours + 16 system colours
//   7 "16.7 million colors" 24 bits
#include "imaging/dither.h"
#include "imaging/optimised_palette.h"
#include "imaging/palettes.h"
#include "imaging/pixel_graphic.h"

namespace tesra {

// A new buffer of the source's size in colour resolution 0..7 holding the source's pixels,
// stored through ColorStorer (dithered unless the source's Dither flag is off; the new buffer
// takes the source's Dither, error limit and RGBWeighting settings). Progress is reported to
// source.progress(), which the new buffer also carries. Throws EPixelGraphic for a resolution
// outside 0..7.
TPixelGraphic ConvertTo(const TPixelGraphic& source, int resolution);

// The pixel format that holds colour resolution 0..7 (1, 1, 4, 4, 4, 8, 8 or 24 bits).
TPixelFormat formatOfResolution(int resolution);

}  // namespace tesra
