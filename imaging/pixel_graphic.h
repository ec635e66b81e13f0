#pragma once
// TPixelGraphic: the raster image buffer of the image library.
//
// Pixels are held as in a device-independent bitmap: the bottom row of the image is stored
// first and every row takes ((bits per pixel × Width + 31) div 32) × 4 bytes. Formats 0–2
// store palette indexes, format 3 stores blue, green, red. Colour values are 0x00BBGGRR (red
// in the lowest byte), the platform's format, so they compare directly with window canvases.
//
// Coordinates are image pixels with y downward from the top row; rowData(y) hides the
// bottom-up storage. Reading is the hot path of the histogram, the profiles and the filters:
// GetPixel, PaletteColor and GetColor are inline and allocate nothing.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "imaging/colour_values.h"
#include "imaging/pixel_storage.h"
#include "imaging/progress.h"

namespace tesra {

class NearestColorTable;

// Holds a buffer's nearest-entry table (see ColorToIndex). The table fills itself as colours
// are looked up, so it is never shared: a copy of the buffer starts without one and makes its
// own, which keeps copies safe to use on other threads (filter previews run on workers).
class NearestTableSlot {
public:
    NearestTableSlot() = default;
    NearestTableSlot(const NearestTableSlot&) {}
    NearestTableSlot& operator=(const NearestTableSlot&)
    {
        table.reset();
        return *this;
    }
    NearestTableSlot(NearestTableSlot&&) noexcept = default;
    NearestTableSlot& operator=(NearestTableSlot&&) noexcept = default;
    ~NearestTableSlot() = default;

    std::shared_ptr<NearestColorTable> table;
};

// The four pixel formats, numbered as stored: 1, 4, 8 and 24 bits per pixel.
enum class TPixelFormat : std::uint8_t { pf1Bit = 0, pf4Bit = 1, pf8Bit = 2, pf24Bit = 3 };

// Bits per pixel of a format (1, 4, 8, 24).
constexpr int bitsPerPixel(TPixelFormat f)
{
    constexpr int bits[] = {1, 4, 8, 24};
    return bits[static_cast<int>(f)];
}

// The format a file's pixels of `bits` bits are held in: 1, 4 and 8 bits keep their palette
// indexes; every other depth is turned into 24-bit colour.
constexpr TPixelFormat pixelFormatForBits(std::int64_t bits)
{
    switch (bits) {
    case 1:
        return TPixelFormat::pf1Bit;
    case 4:
        return TPixelFormat::pf4Bit;
    case 8:
        return TPixelFormat::pf8Bit;
    default:
        return TPixelFormat::pf24Bit;
    }
}

// Palette entries a format addresses (2, 16, 256; 0 for 24 bits).
constexpr int paletteEntriesOf(TPixelFormat f)
{
    constexpr int entries[] = {2, 16, 256, 0};
    return entries[static_cast<int>(f)];
}

// ---- Errors of the image library ----

// Base of every error the image library raises (formats and filters derive from it too).
class EPixelGraphic : public std::runtime_error {
public:
    explicit EPixelGraphic(const std::string& message) : std::runtime_error(message) {}
};
// A pixel read or written outside the image while range checking is on.
class EPGXYIndexOutOfRange : public EPixelGraphic {
public:
    EPGXYIndexOutOfRange(int x, int y, int width, int height);
};
// A palette index below 0 or at or above the palette count.
class EPGInvalidPaletteIndex : public EPixelGraphic {
public:
    EPGInvalidPaletteIndex(std::int64_t index, int count);
};
// A colour looked up in a buffer whose palette kind is pNone. Message "No palette".
class EPGNoPalette : public EPixelGraphic {
public:
    EPGNoPalette();
};
// A buffer size that is negative or whose storage would exceed imageSizeLimits().
class EPGInvalidSize : public EPixelGraphic {
public:
    EPGInvalidSize(std::int64_t width, std::int64_t height, int bitsPerPixel);
};

// ---- The buffer ----

class TPixelGraphic {
public:
    // An empty buffer: 0 × 0, 24 bits, pTrueColor, background 0, range checking off.
    TPixelGraphic() = default;
    // A buffer of the given size and format, pixels zero. Throws EPGInvalidSize.
    TPixelGraphic(int width, int height, TPixelFormat format) { SetSize(width, height, format); }

    // Copies are independent (the pixel storage is owned by value).
    TPixelGraphic(const TPixelGraphic&) = default;
    TPixelGraphic& operator=(const TPixelGraphic&) = default;
    TPixelGraphic(TPixelGraphic&&) noexcept = default;
    TPixelGraphic& operator=(TPixelGraphic&&) noexcept = default;

    // Makes this buffer an independent copy of source: pixels, format, palette, background
    // value and flags. The progress sink is not copied (it belongs to whoever set it).
    void Assign(const TPixelGraphic& source);

    // Gives the buffer a new size and format with every pixel 0 (palette index 0, or black).
    // The size is checked before anything is allocated: a negative size, or storage beyond
    // imageSizeLimits(), throws EPGInvalidSize and leaves the buffer as it was. A width or
    // height of 0 makes an empty buffer without storage. Palette, palette kind, background
    // value and flags are kept.
    void SetSize(int width, int height, TPixelFormat format);
    // Drops the pixel storage: 0 × 0, format and palette kept.
    void Clear();

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    TPixelFormat PixelFormat() const { return m_format; }
    bool isEmpty() const { return m_bits.empty(); }
    // Bytes per stored row.
    std::size_t rowStride() const { return m_stride; }
    int bitsPerPixel() const { return tesra::bitsPerPixel(m_format); }

    // Start of the storage of image row y (0 = top row), rowStride() bytes. y must be in
    // 0..Height()-1; unchecked, for whole-image loops.
    std::uint8_t* rowData(int y) { return m_bits.data() + static_cast<std::size_t>(m_height - 1 - y) * m_stride; }
    const std::uint8_t* rowData(int y) const
    {
        return m_bits.data() + static_cast<std::size_t>(m_height - 1 - y) * m_stride;
    }
    // The whole storage, bottom row first (for writers of device-independent bitmaps).
    std::uint8_t* bits() { return m_bits.data(); }
    const std::uint8_t* bits() const { return m_bits.data(); }
    std::size_t bitsSize() const { return m_bits.size(); }

    // ---- Palette ----
    TPaletteIdent PaletteIdent() const { return m_paletteIdent; }
    // Sets the palette kind. A fixed kind (pBlackWhite ... pSpecial252) replaces the palette
    // by its table; pNone and pTrueColor remove the entries; pUnknown, pOptimized252Sys16 and
    // pSource only relabel the entries the buffer has.
    void SetPaletteIdent(TPaletteIdent ident);
    // Replaces the palette by count entries (0..256); throws EPixelGraphic for another count.
    void SetPalette(const std::uint32_t* entries, int count, TPaletteIdent ident = pUnknown);
    void SetPalette(const std::vector<std::uint32_t>& entries, TPaletteIdent ident = pUnknown)
    {
        SetPalette(entries.data(), static_cast<int>(entries.size()), ident);
    }
    int PaletteCount() const { return static_cast<int>(m_palette.size()); }
    const std::vector<std::uint32_t>& Palette() const { return m_palette; }

    // ---- Flags ----
    // The raw value returned for reads outside the image (0 for a new buffer).
    std::uint32_t BackgroundValue() const { return m_background; }
    void SetBackgroundValue(std::uint32_t value) { m_background = value; }
    // With range checking on, reads and writes outside the image throw EPGXYIndexOutOfRange.
    bool RangeCheck() const { return m_rangeCheck; }
    void SetRangeCheck(bool on) { m_rangeCheck = on; }

    // Colour conversion settings (see imaging/color_conversion.h), all on / 32 by default.
    bool Dither() const { return m_dither; }
    void SetDither(bool on) { m_dither = on; }
    bool DitherErrorLimitAuto() const { return m_ditherErrorLimitAuto; }
    void SetDitherErrorLimitAuto(bool on) { m_ditherErrorLimitAuto = on; }
    std::uint8_t DitherErrorLimit() const { return m_ditherErrorLimit; }
    void SetDitherErrorLimit(std::uint8_t limit) { m_ditherErrorLimit = limit; }
    bool DitherErrorLimitSoft() const { return m_ditherErrorLimitSoft; }
    void SetDitherErrorLimitSoft(bool on) { m_ditherErrorLimitSoft = on; }
    bool RGBWeighting() const { return m_rgbWeighting; }
    void SetRGBWeighting(bool on)
    {
        m_rgbWeighting = on;
        m_lastValid = false;
    }

    // Where long operations on this buffer report their progress (not owned; may be null).
    ProgressSink* progress() const { return m_progress; }
    void setProgress(ProgressSink* sink) { m_progress = sink; }

    // ---- Reading ----
    // The raw value of pixel (x, y): the palette index for formats 0–2, the colour value
    // red + green·256 + blue·65536 for format 3. Outside the image: the background value, or
    // EPGXYIndexOutOfRange with range checking on.
    std::uint32_t GetPixel(int x, int y) const
    {
        if (static_cast<unsigned>(x) >= static_cast<unsigned>(m_width) ||
            static_cast<unsigned>(y) >= static_cast<unsigned>(m_height))
            return outsideValue(x, y);
        const std::uint8_t* row = rowData(y);
        switch (m_format) {
        case TPixelFormat::pf1Bit:
            return (row[x >> 3] >> (7 - (x & 7))) & 1u;
        case TPixelFormat::pf4Bit:
            return (x & 1) ? (row[x >> 1] & 0x0Fu) : (row[x >> 1] >> 4);
        case TPixelFormat::pf8Bit:
            return row[x];
        case TPixelFormat::pf24Bit:
            break;
        }
        const std::uint8_t* p = row + 3 * static_cast<std::size_t>(x);
        return rgb(p[2], p[1], p[0]);
    }

    // The colour of a palette index: with pTrueColor the index itself; otherwise the entry,
    // and EPGInvalidPaletteIndex for an index outside the palette (every index with pNone).
    std::uint32_t PaletteColor(std::int64_t index) const
    {
        if (m_paletteIdent == pTrueColor)
            return static_cast<std::uint32_t>(index);
        if (index < 0 || index >= static_cast<std::int64_t>(m_palette.size()))
            throwInvalidPaletteIndex(index);
        return m_palette[static_cast<std::size_t>(index)];
    }

    // The colour value of pixel (x, y): GetPixel for 24 bits, else PaletteColor(GetPixel).
    std::uint32_t GetColor(int x, int y) const
    {
        const std::uint32_t raw = GetPixel(x, y);
        if (m_format == TPixelFormat::pf24Bit)
            return raw;
        return PaletteColor(raw);
    }

    // The grey value of pixel (x, y): the green component of GetColor, 0–255.
    int greyValue(int x, int y) const { return greyOf(GetColor(x, y)); }

    // ---- Writing ----
    // Stores a raw value at (x, y): a palette index for formats 0–2 (EPGInvalidPaletteIndex
    // when it does not fit the format's bits), a colour value for format 3. Outside the image
    // the write is ignored, or EPGXYIndexOutOfRange with range checking on.
    void SetPixel(int x, int y, std::uint32_t raw)
    {
        if (static_cast<unsigned>(x) >= static_cast<unsigned>(m_width) ||
            static_cast<unsigned>(y) >= static_cast<unsigned>(m_height)) {
            outsideWrite(x, y);
            return;
        }
        std::uint8_t* row = rowData(y);
        switch (m_format) {
        case TPixelFormat::pf1Bit: {
            if (raw > 1)
                throwInvalidPaletteIndex(raw, 2);
            const std::uint8_t mask = static_cast<std::uint8_t>(0x80u >> (x & 7));
            row[x >> 3] = static_cast<std::uint8_t>(raw ? (row[x >> 3] | mask) : (row[x >> 3] & ~mask));
            return;
        }
        case TPixelFormat::pf4Bit: {
            if (raw > 15)
                throwInvalidPaletteIndex(raw, 16);
            std::uint8_t& b = row[x >> 1];
            b = (x & 1) ? static_cast<std::uint8_t>((b & 0xF0) | raw) : static_cast<std::uint8_t>((b & 0x0F) | raw << 4);
            return;
        }
        case TPixelFormat::pf8Bit:
            if (raw > 255)
                throwInvalidPaletteIndex(raw, 256);
            row[x] = static_cast<std::uint8_t>(raw);
            return;
        case TPixelFormat::pf24Bit:
            break;
        }
        std::uint8_t* p = row + 3 * static_cast<std::size_t>(x);
        p[0] = static_cast<std::uint8_t>(blueOf(raw));
        p[1] = static_cast<std::uint8_t>(greenOf(raw));
        p[2] = static_cast<std::uint8_t>(redOf(raw));
    }

    // The colour resolution 0..7 of the buffer (names in colorResolutionName):
    // 1 bit: 0 with pBlackWhite, else 1; 4 bits: 2 with pGray16, 3 with pSys16, else 4;
    // 8 bits: 5 with pGray256, else 6; 24 bits: 7.
    int ColorResolution() const;

    // ---- Colour storing (defined in imaging/color_conversion.cpp) ----
    // The palette index colour c is stored as, by the palette kind; pTrueColor gives c itself,
    // pNone (and an empty loaded palette) throws EPGNoPalette. Loaded and built palettes
    // (pUnknown, pOptimized252Sys16, pSource), pSys16, pGray236 and pSpecial252 give the
    // nearest entry by squared RGB distance, the lower index on ties. The last colour and its
    // result are remembered. Not for concurrent use on one buffer.
    // To store colours with dithering, see ColorStorer in imaging/dither.h.
    std::uint32_t ColorToIndex(std::uint32_t c) const;
    // The index ColorToIndex gives a colour of luminance l (0..765) for the palette kinds
    // that choose by luminance alone (pBlackWhite, pSysGray4, pGray4, pGray16, pGray256);
    // -1 for every other kind.
    static int luminanceIndex(TPaletteIdent kind, int l);
    // The luminance of c, 0..765: weighted (897·R + 1761·G + 342·B) div 1000 with
    // RGBWeighting, else R + G + B.
    int Luminance(std::uint32_t c) const
    {
        const int r = redOf(c), g = greenOf(c), b = blueOf(c);
        if (m_rgbWeighting)
            return (897 * r + 1761 * g + 342 * b) / 1000;
        return r + g + b;
    }

private:
    std::uint32_t outsideValue(int x, int y) const
    {
        if (m_rangeCheck)
            throwOutOfRange(x, y);
        return m_background;
    }
    void outsideWrite(int x, int y) const
    {
        if (m_rangeCheck)
            throwOutOfRange(x, y);
    }
    [[noreturn]] void throwOutOfRange(int x, int y) const;
    [[noreturn]] void throwInvalidPaletteIndex(std::int64_t index) const;
    [[noreturn]] static void throwInvalidPaletteIndex(std::int64_t index, int count);

    int m_width = 0;
    int m_height = 0;
    TPixelFormat m_format = TPixelFormat::pf24Bit;
    std::size_t m_stride = 0;
    PixelStorage m_bits;

    std::vector<std::uint32_t> m_palette;
    TPaletteIdent m_paletteIdent = pTrueColor;

    std::uint32_t m_background = 0;
    bool m_rangeCheck = false;
    bool m_dither = true;
    bool m_ditherErrorLimitAuto = true;
    std::uint8_t m_ditherErrorLimit = 32;
    bool m_ditherErrorLimitSoft = true;
    bool m_rgbWeighting = true;

    ProgressSink* m_progress = nullptr;

    // ColorToIndex remembers its last colour; reset whenever the palette changes. The
    // nearest-entry table of a loaded or built palette is made on first use.
    mutable NearestTableSlot m_nearest;
    mutable bool m_lastValid = false;
    mutable std::uint32_t m_lastColor = 0;
    mutable std::uint32_t m_lastIndex = 0;
};

// Name of a colour resolution 0..7 as used in messages ("black and white" ... "16.7 million colors").
const char* colorResolutionName(int resolution);

}  // namespace tesra
