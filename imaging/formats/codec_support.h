#pragma once
// Small pieces shared by the readers and writers of BMP, PCX, PBM/PGM/PPM and TGA: making the
// target buffer only after its size has been checked, palettes that cover every index a pixel
// can hold, and little-endian output.
#include "imaging/formats/format_error.h"
#include "imaging/pixel_graphic.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace tesra {

// Gives `image` the size and format, checking first that the storage stays within the buffer's
// size limit; beyond it fails with EImageFormat(tag, "Image too large"). Width and height must
// be at least 1 (the readers refuse empty images before).
void allocateImage(TPixelGraphic& image, std::int64_t width, std::int64_t height, TPixelFormat format, const char* tag);

// Sets the palette of a palette image read from a file, filled up with black to the number of
// entries the pixel format addresses, so that every stored index has a colour.
void setFilePalette(TPixelGraphic& image, std::vector<std::uint32_t> entries, TPaletteIdent ident = pUnknown);

// Appends little-endian numbers to a byte buffer (headers are assembled field by field).
inline void putU8(std::vector<std::uint8_t>& out, unsigned v) { out.push_back(static_cast<std::uint8_t>(v)); }
inline void putU16le(std::vector<std::uint8_t>& out, unsigned v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void putU32le(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

inline void writeBytes(std::ostream& out, const std::uint8_t* data, std::size_t size)
{
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}
inline void writeBytes(std::ostream& out, const std::vector<std::uint8_t>& bytes) { writeBytes(out, bytes.data(), bytes.size()); }

}  // namespace tesra
