#include "imaging/pixel_graphic.h"

#include "imaging/checked_size.h"
#include "imaging/palettes.h"

namespace tesra {

EPGXYIndexOutOfRange::EPGXYIndexOutOfRange(int x, int y, int width, int height)
    : EPixelGraphic("Pixel index out of range: (" + std::to_string(x) + ", " + std::to_string(y) +
                    ") is outside the image of " + std::to_string(width) + " x " + std::to_string(height) +
                    " pixels")
{
}

EPGInvalidPaletteIndex::EPGInvalidPaletteIndex(std::int64_t index, int count)
    : EPixelGraphic("Invalid palette index " + std::to_string(index) + " (the palette has " + std::to_string(count) +
                    (count == 1 ? " entry)" : " entries)"))
{
}

EPGNoPalette::EPGNoPalette() : EPixelGraphic("No palette") {}

EPGInvalidSize::EPGInvalidSize(std::int64_t width, std::int64_t height, int bitsPerPixel)
    : EPixelGraphic((width < 0 || height < 0 ? std::string("Invalid image size ")
                                              : std::string("Image too large: ")) +
                    std::to_string(width) + " x " + std::to_string(height) + " pixels at " +
                    std::to_string(bitsPerPixel) + " bits per pixel")
{
}

void TPixelGraphic::Assign(const TPixelGraphic& source)
{
    if (&source == this)
        return;
    ProgressSink* keep = m_progress;
    *this = source;
    m_progress = keep;
}

void TPixelGraphic::SetSize(int width, int height, TPixelFormat format)
{
    const int bits = tesra::bitsPerPixel(format);
    const auto bytes = checkedImageBytes(width, height, bits);
    if (!bytes)
        throw EPGInvalidSize(width, height, bits);
    // Allocate before changing anything, so that a failure leaves the buffer as it was.
    PixelStorage storage(static_cast<std::size_t>(*bytes));
    m_bits.swap(storage);
    m_width = width;
    m_height = height;
    m_format = format;
    m_stride = m_bits.empty() ? 0 : static_cast<std::size_t>(*checkedRowStride(width, bits));
}

void TPixelGraphic::Clear()
{
    m_bits.clear();
    m_width = 0;
    m_height = 0;
    m_stride = 0;
}

void TPixelGraphic::SetPaletteIdent(TPaletteIdent ident)
{
    m_lastValid = false;
    m_nearest.table.reset();
    const FixedPalette fixed = fixedPalette(ident);
    if (fixed.entries) {
        m_palette.assign(fixed.entries, fixed.entries + fixed.count);
    } else if (ident == pNone || ident == pTrueColor) {
        m_palette.clear();
    }
    m_paletteIdent = ident;
}

void TPixelGraphic::SetPalette(const std::uint32_t* entries, int count, TPaletteIdent ident)
{
    if (count < 0 || count > 256 || (count > 0 && !entries))
        throw EPixelGraphic("Invalid palette size " + std::to_string(count) + " (at most 256 entries)");
    m_lastValid = false;
    m_nearest.table.reset();
    m_palette.assign(entries, entries + count);
    m_paletteIdent = ident;
}

int TPixelGraphic::ColorResolution() const
{
    switch (m_format) {
    case TPixelFormat::pf1Bit:
        return m_paletteIdent == pBlackWhite ? 0 : 1;
    case TPixelFormat::pf4Bit:
        if (m_paletteIdent == pGray16)
            return 2;
        return m_paletteIdent == pSys16 ? 3 : 4;
    case TPixelFormat::pf8Bit:
        return m_paletteIdent == pGray256 ? 5 : 6;
    case TPixelFormat::pf24Bit:
        break;
    }
    return 7;
}

void TPixelGraphic::throwOutOfRange(int x, int y) const
{
    throw EPGXYIndexOutOfRange(x, y, m_width, m_height);
}

void TPixelGraphic::throwInvalidPaletteIndex(std::int64_t index) const
{
    throw EPGInvalidPaletteIndex(index, static_cast<int>(m_palette.size()));
}

void TPixelGraphic::throwInvalidPaletteIndex(std::int64_t index, int count)
{
    throw EPGInvalidPaletteIndex(index, count);
}

const char* colorResolutionName(int resolution)
{
    static const char* const names[] = {
        "black and white",    "2 colors",  "16 shades of gray",  "16 system colors",
        "16 colors",          "256 shades of gray", "256 colors", "16.7 million colors",
    };
    if (resolution < 0 || resolution > 7)
        return "";
    return names[resolution];
}

}  // namespace tesra
