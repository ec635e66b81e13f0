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
// Resolutions 0..7 are the ones of TPixelGraphic::ColorResolution, named by colorResolutionName.
// A set of them has bit n for resolution n.
using ResolutionSet = std::uint8_t;
inline constexpr ResolutionSet kAllResolutions = 255;

// The resolution a writer that stores `supported` uses for an image of resolution `r`: the first
// entry of the fallback row of r that is in the set. -1 when the set is empty or r is not 0..7.
int fallbackResolution(int r, ResolutionSet supported);

// ---- Options and callbacks ----

// How a warning of the library (a changed colour resolution on save, a doubtful TIFF strip
// count on load) is handled.
enum class WarningHandling {
    Ask,     // warning with OK and Cancel; Cancel fails the operation
    Inform,  // warning with OK only, then go on
    Refuse,  // fail at once with the error text
    Silent,  // go on without a word
};

enum class WarningButtons { Ok, OkCancel };

// Shows a warning to the user; returns true for OK, false for Cancel. The window side answers
// with a message box, tests answer directly.
using WarningHandler =
    std::function<bool(const std::string& caption, const std::string& text, WarningButtons buttons)>;

// The library's options, with the values the program starts with (and never changes).
struct FormatOptions {
    double displayGamma = 1.8;
    bool gammaCorrection = true;    // correct the image gamma to the display gamma after loading
    bool pngWriteGamma = true;      // write a gamma chunk into PNG files
    int jpegQuality = 80;
    bool pnmRawForm = false;        // PBM/PGM/PPM written as P4/P5/P6 instead of P1/P2/P3
    WarningHandling warningHandling = WarningHandling::Ask;
    // Without a handler, Ask and Inform go on as if OK had been pressed.
    WarningHandler warning;
    // Progress of the pixel loops of readers and writers (not owned; may be null).
    ProgressSink* progress = nullptr;
    // Told a line for the status panel after a load that changed how the image is shown: a
    // 16-bit TIFF reduced to 8 bits gives "16-bit image shown as 8-bit, range a–b". May be empty.
    std::function<void(const std::string& text)> loadNote;
};

// What a reader gets besides the bytes of the file.
class LoadContext {
public:
    explicit LoadContext(const FormatOptions& options) : m_options(options), m_gamma(options.displayGamma) {}

    const FormatOptions& options() const { return m_options; }
    ProgressSink* progress() const { return m_options.progress; }

    // The image's gamma; starts at the display gamma. The PNG reader sets 1/g for a gamma chunk g.
    double gamma() const { return m_gamma; }
    void setGamma(double gamma) { m_gamma = gamma; }

    // Passes a warning through the options' handling. Returns normally to go on; fails with
    // EImageFormat(tag, text) when the handling refuses or the user cancels.
    void warn(const std::string& caption, const std::string& tag, const std::string& text) const;
    // The same as a question: true to go on, false when the handling refuses or the user
    // cancels (the reader then fails with the warning's text).
    bool confirm(const std::string& caption, const std::string& text) const;

private:
    const FormatOptions& m_options;
    double m_gamma;
};

// What a writer gets besides the image and the stream.
class SaveContext {
public:
    explicit SaveContext(const FormatOptions& options) : m_options(options) {}
    const FormatOptions& options() const { return m_options; }
    ProgressSink* progress() const { return m_options.progress; }

private:
    const FormatOptions& m_options;
};

// ---- Readers and writers ----

struct ImageReader {
    std::vector<std::string> extensions;  // lower case; the first is offered in file dialogs
    std::string description;              // "Bitmap", ...
    // True when the first bytes of a file (up to 17, fewer for short files) are this format's
    // signature. Null for a format recognised by its extension only.
    bool (*recognise)(ByteSpan head) = nullptr;
    // Reads a whole file into `image`, which is a new buffer (the registry puts it in place only
    // when the read succeeds). Fails with EImageFormat.
    void (*read)(ByteSpan data, TPixelGraphic& image, LoadContext& context) = nullptr;
};

struct ImageWriter {
    std::vector<std::string> extensions;  // lower case; the first is offered in file dialogs
    std::string description;
    ResolutionSet resolutions = 0;        // the colour resolutions the format stores
    // True when the file holds every pixel's bits uncompressed (or longer, as text), so that
    // its size is known to be at least the pixel data's before anything is written.
    bool storesRawPixels = false;
    // Writes `image`, whose colour resolution is one of `resolutions`, to `out`.
    void (*write)(const TPixelGraphic& image, std::ostream& out, SaveContext& context) = nullptr;
};

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
