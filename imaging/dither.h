#pragma once
// Storing colours into an image buffer, dithered (Floyd–Steinberg error diffusion) when the
// buffer is palette-based and its Dither flag is on.
//
// Use one ColorStorer per pass over an image and hand it the pixels row by row from the top,
// even rows from left to right and odd rows from right to left:
//
//     ColorStorer storer(target);            // after target's size, format and palette are set
//     for (int y = 0; y < h; ++y)
//         for (int i = 0; i < w; ++i) {
//             const int x = (y % 2 == 0) ? i : w - 1 - i;
//             storer.setColor(x, y, colourFor(x, y));
//         }
//
// The accumulated error follows that order; a storer also takes any other order without
// failing, but the dithering then only looks right for the serpentine one.
//
// Whole rows of 24-bit pixels go through setRow, which keeps that order itself and gives
// the same indexes; grey palettes take a loop of their own there. One pass uses either
// setColor or setRow throughout (each keeps its own error rows).
#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "imaging/pixel_graphic.h"

namespace tesra {

// The error limit table lim[-255..255] (index i + 255) for storing into the target: limit b
// and soft knee from the palette kind when DitherErrorLimitAuto, else from DitherErrorLimit
// and DitherErrorLimitSoft.
std::array<int, 511> ditherErrorLimits(const TPixelGraphic& target);
// The same table for an explicit limit b (0..255) and soft flag.
std::array<int, 511> ditherErrorLimits(int b, bool soft);
// The limit b the automatic choice takes for a palette kind.
int autoDitherErrorLimit(TPaletteIdent kind);

class ColorStorer {
public:
    // Prepares storing into target (its size, format and palette must already be set): the
    // error limit table, the grey-palette test and two rows of error accumulators.
    explicit ColorStorer(TPixelGraphic& target);

    // Stores colour c at (x, y): copied for a 24-bit target; through ColorToIndex with Dither
    // off; otherwise dithered. Outside the image the colour is dropped (or the target's range
    // check throws). Throws EPGNoPalette for a target without palette.
    void setColor(int x, int y, std::uint32_t c);

    // Stores row y from `bgr`, the target's width of pixels as blue, green, red bytes, with
    // the same result as setColor for each pixel in serpentine order (even rows left to
    // right, odd rows right to left).
    void setRow(int y, const std::uint8_t* bgr);

private:
    bool prepareGreyRows();
    void setGreyRow(int y, const std::uint8_t* bgr);
    void startRow(int y);
    static int roundSixteenths(int a) { return a >= 0 ? (a + 8) / 16 : -((-a + 8) / 16); }
    int limit(int e) const { return m_lim[static_cast<std::size_t>(std::clamp(e, -255, 255) + 255)]; }

    TPixelGraphic& m_target;
    bool m_copy;    // 24-bit target
    bool m_dither;  // palette target with Dither on
    bool m_grey;    // every palette entry is a grey
    std::array<int, 511> m_lim{};
    int m_row = -1;
    int m_direction = 1;
    // Accumulators in sixteenths, three per pixel (red, green, blue), with one spare pixel at
    // each end so that spreading past the row's ends needs no test.
    std::vector<int> m_current;
    std::vector<int> m_next;

    // The row loop for grey palettes (see prepareGreyRows). Stored values depend on the
    // luminance alone: dithered, on the grey g it is corrected to (index and remaining error
    // per g); undithered or without any error, on the luminance (index per luminance).
    enum class GreyRows : std::uint8_t { Unknown, Yes, No };
    GreyRows m_greyRows = GreyRows::Unknown;
    bool m_greyExact = false;  // dithered, but every grey is an entry: no error ever arises
    std::array<std::uint8_t, 256> m_greyIndex{};
    std::array<int, 256> m_greyError{};
    std::array<std::uint8_t, 766> m_luminanceIndex{};
    int m_greyRow = -1;
    std::vector<int> m_luminance;  // of the row's pixels
    std::vector<std::uint8_t> m_indexes;
    // Error accumulators in sixteenths, one per pixel (grey), one spare pixel at each end.
    std::vector<int> m_greyCurrent;
    std::vector<int> m_greyNext;
};

}  // namespace tesra
