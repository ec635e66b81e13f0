#pragma once
// The registry of image file readers and writers, and the load and save operations built on it.
//
// Loading recognises a file by its first 17 bytes, asking the readers in registry order; a
// reader that cannot recognise its files (TGA) is chosen by the file name's extension only.
// Saving chooses the writer by the extension (compared without case). When the writer cannot
// store the image's colour resolution, the next one it can store is taken from the fallback
// table; the user is asked first (through FormatOptions::warning) and the image is converted
// into a temporary buffer, the image itself stays unchanged.
//
// Readers and writers of JPEG, PNG and TIFF live in jpeg.cpp, png.cpp and tiff.cpp with their
// own headers (signature test, read, write, like tiff.h's isTiffSignature, readTiff and
// writeTiff); image_format.cpp adapts them into the registry's slots, in the order of
// imageReaders(). Keep those three headers' functions stable, or change the adapters with them.
#include "imaging/formats/byte_reader.h"
#include "imaging/formats/codec_slots.h"
#include "imaging/formats/format_error.h"
#include "imaging/pixel_graphic.h"
#include "imaging/progress.h"

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace tesra {

// ---- Colour resolutions ----
// The resolution a writer that stores `supported` uses for an image of resolution `r`: the first
// entry of the fallback row of r that is in the set. -1 when the set is empty or r is not 0..7.
int fallbackResolution(int r, ResolutionSet supported);

// The readers and writers in registry order.
const std::vector<ImageReader>& imageReaders();
const std::vector<ImageWriter>& imageWriters();

// The reader for a file with these first bytes and this extension (with or without the dot,
// any case); null when no reader knows it.
const ImageReader* findReader(ByteSpan head, const std::string& extension);
// The writer for an extension (with or without the dot, any case); null when none.
const ImageWriter* findWriter(const std::string& extension);

// The extension of a file name without its dot, as written ("" when there is none).
std::string fileExtension(const std::string& fileName);

// ---- Loading ----

// Loads an image file into `image`. On failure `image` is left as it was. Throws EImageFormat
// ("Unknown file format", a reader's message) or EImageFile (the file cannot be read, is not
// a regular file, or the system has not the memory for the image: "<name>: <system message>";
// a file cut or written to while it loads: "<name>: the file changed while it was read").
// The file is mapped, not copied, where the system allows, and its pages are let go behind
// the reader, so that the load needs little more memory than the image.
void loadImage(const std::string& fileName, TPixelGraphic& image, const FormatOptions& options = {});
// The same for a file already in memory; `extension` stands in for the file name's. Memory the
// system refuses is EImageFormat "Image too large".
void loadImage(ByteSpan data, const std::string& extension, TPixelGraphic& image, const FormatOptions& options = {});

// Applies the gamma correction of a load: when the options ask for it and the image gamma
// differs from the display gamma by more than 5 %, every colour channel c becomes
// R((c/255)^(imageGamma/displayGamma) × 255) — in the palette of palette images, in every pixel
// of 24-bit images.
void applyGammaCorrection(TPixelGraphic& image, double imageGamma, const FormatOptions& options);

// ---- Saving ----

// A save prepared for one writer: the writer is found and the colour resolution settled (with
// the warning asked) before any byte is written, so that a refused save writes nothing.
class PreparedSave {
public:
    // Throws EImageFormat "Unknown file extension "ext"" or, when the resolution change is
    // refused or cancelled, "The graphic cannot be saved with to a ... file ...".
    PreparedSave(const TPixelGraphic& image, const std::string& extension, const FormatOptions& options = {});

    const ImageWriter& writer() const { return *m_writer; }
    // The colour resolution written (the image's own or the fallback).
    int resolution() const { return m_resolution; }
    // Writes the image data to `out` (the caller checks the stream and closes it).
    void write(std::ostream& out) const;
    // A lower bound of the bytes write() produces: the packed pixel data for writers that
    // store pixels uncompressed, 0 for compressing ones.
    std::uint64_t minimumDataSize() const;

private:
    const TPixelGraphic* m_image;
    std::optional<TPixelGraphic> m_converted;
    const ImageWriter* m_writer = nullptr;
    int m_resolution = 0;
    FormatOptions m_options;
};

// Saves `image` by the writer of the file name's extension, through safeSave: the file is
// replaced only when it has been written completely.
void saveImage(const TPixelGraphic& image, const std::string& fileName, const FormatOptions& options = {});

}  // namespace tesra
