#pragma once
// The common frame of the image filters: a filter computes every output pixel from a source
// buffer, and ApplyFilter runs it over a whole image into a target buffer.
//
// Two kinds of filter exist. A point filter (TBCGFilter) computes each output pixel from the
// same input pixel only, so it may run in place and, on a palette image, only needs to map the
// palette. Any other filter (TConvFilter) reads neighbours and needs a separate target.
#include <cstdint>
#include <functional>

#include "imaging/pixel_graphic.h"

namespace tesra {

// A filter asked to write into its own source although it reads neighbouring pixels.
class EPGFilterSourceIsTarget : public EPixelGraphic {
public:
    EPGFilterSourceIsTarget() : EPixelGraphic("Cannot apply this filter to a source that is identical to the target") {}
};

// Bad filter parameters (a standard deviation that gives no kernel, a kernel too large).
class EPGFilterParameter : public EPixelGraphic {
public:
    using EPixelGraphic::EPixelGraphic;
};

// Receives one finished output row: y from the top, 3 × Width bytes in the order blue, green,
// red per pixel (the storage order of 24-bit rows).
using FilterRowSink = std::function<void(int y, const std::uint8_t* bgr)>;

class TImageFilter {
public:
    virtual ~TImageFilter() = default;

    // True when each output pixel depends only on the same input pixel.
    virtual bool IsPointFilter() const = 0;
    // Called once before a run (the tone curve builds its table here).
    virtual void Prepare() {}
    // The colour (0x00BBGGRR) of output pixel (x, y) computed from source.
    virtual std::uint32_t PixelFunction(const TPixelGraphic& source, int x, int y) const = 0;
    // The output colour of a point filter for an input colour; used to map palettes.
    // Filters that are not point filters return the colour unchanged.
    virtual std::uint32_t MapColor(std::uint32_t color) const { return color; }

    // Computes every output row from the top down and hands each to sink, reporting
    // progress per row. The results equal PixelFunction for every pixel; filters override
    // this with faster row loops. The sink may overwrite row y of source once it has it.
    virtual void ComputeRows(const TPixelGraphic& source, const FilterRowSink& sink, ProgressScope& progress) const;
};

// Applies filter to source, writing the result into target (which may be source only for a
// point filter; otherwise EPGFilterSourceIsTarget). A separate target first takes the source's
// size, pixel format and palette. A point filter on a palette image maps only the palette;
// otherwise every pixel is stored, rows from the top, even rows left to right and odd rows
// right to left, through the dithered storing for palette targets. progress (may be null)
// receives begin and end around the pixel loop.
void ApplyFilter(const TPixelGraphic& source, TPixelGraphic& target, TImageFilter& filter,
                 ProgressSink* progress = nullptr);

}  // namespace tesra
