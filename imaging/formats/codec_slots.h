#pragma once
// What a reader or writer of one file format fills in for the registry (image_format.h), and
// what it is given: the library's options, the warning callback, and the load and save
// contexts. The codecs build on this header; the registry builds on the codecs.
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "imaging/formats/byte_reader.h"
#include "imaging/pixel_graphic.h"
#include "imaging/progress.h"

namespace tesra {

// ---- Colour resolutions ----
// Resolutions 0..7 are the ones of TPixelGraphic::ColorResolution, named by colorResolutionName.
// A set of them has bit n for resolution n.
using ResolutionSet = std::uint8_t;
inline constexpr ResolutionSet kAllResolutions = 255;

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

}  // namespace tesra
