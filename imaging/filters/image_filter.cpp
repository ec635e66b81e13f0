#include "imaging/filters/image_filter.h"

#include <cstring>
#include <vector>

#include "imaging/dither.h"
#include "imaging/palettes.h"

namespace tesra {

void TImageFilter::ComputeRows(const TPixelGraphic& source, const FilterRowSink& sink, ProgressScope& progress) const
{
    const int width = source.Width();
    std::vector<std::uint8_t> out(3 * static_cast<std::size_t>(width));
    for (int y = 0; y < source.Height(); ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t c = PixelFunction(source, x, y);
            out[3 * static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(blueOf(c));
            out[3 * static_cast<std::size_t>(x) + 1] = static_cast<std::uint8_t>(greenOf(c));
            out[3 * static_cast<std::size_t>(x) + 2] = static_cast<std::uint8_t>(redOf(c));
        }
        sink(y, out.data());
        progress.update(y + 1);
    }
}

namespace {

bool isFixedPaletteKind(TPaletteIdent ident)
{
    return fixedPalette(ident).entries != nullptr;
}

// A point filter on a palette image changes the colours the indexes stand for, not the
// indexes. A fixed palette kind no longer describes the changed entries (the index rules of
// a grey ramp would store colours at the wrong entries afterwards), so such a palette
// becomes an ordinary one unless the filter left it as it was.
void mapPalette(TPixelGraphic& target, const TImageFilter& filter)
{
    std::vector<std::uint32_t> entries = target.Palette();
    bool changed = false;
    for (auto& c : entries) {
        const std::uint32_t mapped = filter.MapColor(c);
        changed = changed || mapped != c;
        c = mapped;
    }
    TPaletteIdent ident = target.PaletteIdent();
    if (changed && isFixedPaletteKind(ident))
        ident = pUnknown;
    target.SetPalette(entries, ident);
}

}  // namespace

void ApplyFilter(const TPixelGraphic& source, TPixelGraphic& target, TImageFilter& filter, ProgressSink* progress)
{
    const bool inPlace = &source == &target;
    if (inPlace && !filter.IsPointFilter())
        throw EPGFilterSourceIsTarget();
    // Prepared first, so that a filter that refuses its parameters leaves the target alone.
    filter.Prepare();

    const bool palettePath = filter.IsPointFilter() && source.PixelFormat() != TPixelFormat::pf24Bit;
    if (palettePath) {
        // The target holds the source's indexes; only what they stand for changes.
        if (!inPlace)
            target.Assign(source);
        mapPalette(target, filter);
        return;
    }
    if (!inPlace) {
        target.SetSize(source.Width(), source.Height(), source.PixelFormat());
        // A palette target needs the source's palette to store the filtered colours into.
        target.SetPalette(source.Palette(), source.PaletteIdent());
    }

    ProgressScope scope(progress, target.Height());
    const std::size_t rowBytes = 3 * static_cast<std::size_t>(target.Width());
    if (target.PixelFormat() == TPixelFormat::pf24Bit) {
        filter.ComputeRows(
            source, [&](int y, const std::uint8_t* bgr) { std::memcpy(target.rowData(y), bgr, rowBytes); }, scope);
        return;
    }
    // Palette target: each row goes through the dithered storing.
    ColorStorer storer(target);
    filter.ComputeRows(
        source, [&](int y, const std::uint8_t* bgr) { storer.setRow(y, bgr); }, scope);
}

}  // namespace tesra
