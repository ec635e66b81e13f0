#include "imaging/formats/image_format.h"

#include "common/rounding.h"
#include "common/user_text.h"
#include "imaging/color_conversion.h"
#include "imaging/formats/bmp.h"
#include "imaging/formats/mapped_file.h"
#include "imaging/formats/pcx.h"
#include "imaging/formats/pnm.h"
#include "imaging/formats/safe_save.h"
#include "imaging/formats/tga.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <new>
#include <ostream>

// The JPEG, PNG and TIFF codecs come with their own headers; each slot is filled once its
// header is there.
#if __has_include("imaging/formats/jpeg.h")
#include "imaging/formats/jpeg.h"
#define TESRA_HAVE_JPEG 1
#endif
#if __has_include("imaging/formats/png.h")
#include "imaging/formats/png.h"
#define TESRA_HAVE_PNG 1
#endif
#if __has_include("imaging/formats/tiff.h")
#include "imaging/formats/tiff.h"
#define TESRA_HAVE_TIFF 1
#endif

namespace tesra {
namespace {

// Row r: the resolutions tried, in order, when a writer cannot store resolution r.
constexpr int kFallback[8][8] = {
    {0, 1, 2, 3, 4, 5, 6, 7}, {1, 4, 6, 7, 3, 0, 2, 5}, {2, 4, 5, 6, 7, 3, 0, 1}, {3, 4, 6, 7, 2, 5, 0, 1},
    {4, 6, 7, 3, 2, 5, 0, 1}, {5, 6, 7, 2, 4, 3, 0, 1}, {6, 7, 4, 3, 5, 2, 0, 1}, {7, 6, 4, 3, 5, 2, 0, 1},
};

std::string lowerAscii(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string normalisedExtension(const std::string& extension)
{
    std::string e = extension;
    if (!e.empty() && e.front() == '.')
        e.erase(0, 1);
    return lowerAscii(e);
}

bool hasExtension(const std::vector<std::string>& extensions, const std::string& e)
{
    return std::find(extensions.begin(), extensions.end(), e) != extensions.end();
}

#ifdef TESRA_HAVE_JPEG
ImageReader jpegReaderSlot()
{
    ImageReader r;
    r.extensions = {"jpg", "jpeg", "jif"};
    r.description = "JPEG (JFIF compliant)";
    r.recognise = [](ByteSpan head) { return isJpegSignature(head); };
    r.read = [](ByteSpan data, TPixelGraphic& image, LoadContext& context) { readJpeg(data, image, context.progress()); };
    return r;
}
ImageWriter jpegWriterSlot()
{
    ImageWriter w;
    w.extensions = {"jpg", "jpeg", "jif"};
    w.description = "JPEG (JFIF compliant)";
    w.resolutions = 160;
    w.write = [](const TPixelGraphic& image, std::ostream& out, SaveContext& context) {
        writeJpeg(image, out, context.options().jpegQuality, context.progress());
    };
    return w;
}
#endif

#ifdef TESRA_HAVE_PNG
ImageReader pngReaderSlot()
{
    ImageReader r;
    r.extensions = {"png"};
    r.description = "Portable Network Graphics";
    r.recognise = [](ByteSpan head) { return isPngSignature(head); };
    r.read = [](ByteSpan data, TPixelGraphic& image, LoadContext& context) {
        double gamma = context.gamma();
        readPng(data, image, gamma, context.progress());
        context.setGamma(gamma);
    };
    return r;
}
ImageWriter pngWriterSlot()
{
    ImageWriter w;
    w.extensions = {"png"};
    w.description = "Portable Network Graphics";
    w.resolutions = kAllResolutions;
    // Every image in memory has the display gamma (loading corrects to it).
    w.write = [](const TPixelGraphic& image, std::ostream& out, SaveContext& context) {
        writePng(image, out, context.options().pngWriteGamma ? context.options().displayGamma : 0.0, context.progress());
    };
    return w;
}
#endif

#ifdef TESRA_HAVE_TIFF
ImageReader tiffReaderSlot()
{
    ImageReader r;
    r.extensions = {"tif", "tiff"};
    r.description = "Tagged Image File Format";
    r.recognise = [](ByteSpan head) { return isTiffSignature(head); };
    r.read = [](ByteSpan data, TPixelGraphic& image, LoadContext& context) {
        DepthReduction reduction;
        readTiff(
            data, image, [&context](const std::string& caption, const std::string& text) { return context.confirm(caption, text); },
            context.progress(), &reduction);
        if (reduction.reduced() && context.options().loadNote)
            context.options().loadNote(depthReductionText(reduction));
    };
    return r;
}
ImageWriter tiffWriterSlot()
{
    ImageWriter w;
    w.extensions = {"tif", "tiff"};
    w.description = "Tagged Image File Format";
    w.resolutions = 253;
    w.write = [](const TPixelGraphic& image, std::ostream& out, SaveContext& context) {
        writeTiff(image, out, context.progress());
    };
    return w;
}
#endif

std::vector<ImageReader> buildReaders()
{
    std::vector<ImageReader> readers;
    readers.push_back(bmpReader());
#ifdef TESRA_HAVE_JPEG
    readers.push_back(jpegReaderSlot());
#endif
#ifdef TESRA_HAVE_PNG
    readers.push_back(pngReaderSlot());
#endif
    readers.push_back(pcxReader());
    readers.push_back(pbmReader());
    readers.push_back(pgmReader());
    readers.push_back(ppmReader());
    readers.push_back(tgaReader());
#ifdef TESRA_HAVE_TIFF
    readers.push_back(tiffReaderSlot());
#endif
    return readers;
}

std::vector<ImageWriter> buildWriters()
{
    std::vector<ImageWriter> writers;
    // Everything but JPEG and PNG writes the pixels uncompressed.
    auto raw = [&writers](ImageWriter w) {
        w.storesRawPixels = true;
        writers.push_back(std::move(w));
    };
    raw(bmpWriter());
#ifdef TESRA_HAVE_JPEG
    writers.push_back(jpegWriterSlot());
#endif
#ifdef TESRA_HAVE_PNG
    writers.push_back(pngWriterSlot());
#endif
    raw(pbmWriter());
    raw(pgmWriter());
    raw(ppmWriter());
    raw(tgaWriter());
#ifdef TESRA_HAVE_TIFF
    raw(tiffWriterSlot());
#endif
    return writers;
}

TPixelGraphic loadBytes(ByteSpan data, const std::string& extension, const FormatOptions& options);
void takeLoaded(TPixelGraphic& image, TPixelGraphic&& loaded);

// Passes a reader's progress on and lets go of the file's mapped pages at every step.
class ReleasingProgress : public ProgressSink {
public:
    ReleasingProgress(const FileBytes& file, ProgressSink* next) : m_file(file), m_next(next) {}
    void begin() override
    {
        if (m_next)
            m_next->begin();
    }
    void step(int percent) override
    {
        m_file.releaseResident();
        if (m_next)
            m_next->step(percent);
    }
    void end() override
    {
        m_file.releaseResident();
        if (m_next)
            m_next->end();
    }

private:
    const FileBytes& m_file;
    ProgressSink* m_next;
};

std::string resolutionWarningText(const ImageWriter& writer, int r, int s)
{
    return FillIn(UserText(QT_TRANSLATE_NOOP("Core", "The graphic cannot be saved to a %1 file with the current color "
                                                     "resolution (%2).\r\rThe graphic will be saved with a different "
                                                     "color resolution (%3).")),
                  {writer.description, colorResolutionName(r), colorResolutionName(s)});
}

// The text of a refused or cancelled resolution change, with its wording as users know it.
std::string resolutionRefusedText(const ImageWriter& writer, int r)
{
    return FillIn(UserText(QT_TRANSLATE_NOOP("Core", "The graphic cannot be saved with to a %1 file with the current "
                                                     "color resolution (%2)")),
                  {writer.description, colorResolutionName(r)});
}

}  // namespace

int fallbackResolution(int r, ResolutionSet supported)
{
    if (r < 0 || r > 7)
        return -1;
    for (int s : kFallback[r])
        if (supported & (1u << s))
            return s;
    return -1;
}

void LoadContext::warn(const std::string& caption, const std::string& tag, const std::string& text) const
{
    if (!confirm(caption, tag + text))
        throw EImageFormat(tag, text);
}

bool LoadContext::confirm(const std::string& caption, const std::string& text) const
{
    switch (m_options.warningHandling) {
    case WarningHandling::Silent:
        return true;
    case WarningHandling::Refuse:
        return false;
    case WarningHandling::Inform:
        if (m_options.warning)
            m_options.warning(caption, text, WarningButtons::Ok);
        return true;
    case WarningHandling::Ask:
        break;
    }
    return !m_options.warning || m_options.warning(caption, text, WarningButtons::OkCancel);
}

const std::vector<ImageReader>& imageReaders()
{
    static const std::vector<ImageReader> readers = buildReaders();
    return readers;
}

const std::vector<ImageWriter>& imageWriters()
{
    static const std::vector<ImageWriter> writers = buildWriters();
    return writers;
}

const ImageReader* findReader(ByteSpan head, const std::string& extension)
{
    const ByteSpan first = head.first(std::min<std::size_t>(head.size(), 17));
    for (const ImageReader& reader : imageReaders())
        if (reader.recognise && reader.recognise(first))
            return &reader;
    const std::string e = normalisedExtension(extension);
    for (const ImageReader& reader : imageReaders())
        if (!reader.recognise && hasExtension(reader.extensions, e))
            return &reader;
    return nullptr;
}

const ImageWriter* findWriter(const std::string& extension)
{
    const std::string e = normalisedExtension(extension);
    for (const ImageWriter& writer : imageWriters())
        if (hasExtension(writer.extensions, e))
            return &writer;
    return nullptr;
}

std::string fileExtension(const std::string& fileName)
{
    const std::size_t slash = fileName.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = fileName.find_last_of('.');
    if (dot == std::string::npos || dot < nameStart)
        return std::string();
    return fileName.substr(dot + 1);
}

void loadImage(const std::string& fileName, TPixelGraphic& image, const FormatOptions& options)
{
    // Mapped, not copied: the memory a load needs is the image's. The pages behind the reader
    // are let go at every step of its progress, so that they never add up to a second image.
    const FileBytes file(fileName);
    ReleasingProgress progress(file, options.progress);
    FormatOptions releasing = options;
    releasing.progress = &progress;
    TPixelGraphic loaded;
    try {
        loaded = loadBytes(file.bytes(), fileExtension(fileName), releasing);
    } catch (const std::bad_alloc&) {
        file.throwIfChanged();
        throw EImageFile(fileName + ": " + std::strerror(ENOMEM));
    } catch (...) {
        // Whatever a reader made of a file cut or overwritten under it, the cause is that.
        file.throwIfChanged();
        throw;
    }
    file.throwIfChanged();
    takeLoaded(image, std::move(loaded));
}

void loadImage(ByteSpan data, const std::string& extension, TPixelGraphic& image, const FormatOptions& options)
{
    try {
        takeLoaded(image, loadBytes(data, extension, options));
    } catch (const std::bad_alloc&) {
        throw EImageFormat(UserText(formatmsg::imageTooLarge));
    }
}

namespace {

// The load proper, into a fresh buffer, so that a failure leaves the caller's image as it was.
// Readers check every size against the limits before they allocate; memory the system still
// refuses comes out as std::bad_alloc, which the callers turn into a message.
TPixelGraphic loadBytes(ByteSpan data, const std::string& extension, const FormatOptions& options)
{
    const ImageReader* reader = findReader(data, extension);
    if (!reader)
        throw EImageFormat(UserText(formatmsg::unknownFileFormat));
    TPixelGraphic loaded;
    LoadContext context(options);
    reader->read(data, loaded, context);
    applyGammaCorrection(loaded, context.gamma(), options);
    return loaded;
}

// Puts a completed load in the caller's place; the caller's progress sink stays.
void takeLoaded(TPixelGraphic& image, TPixelGraphic&& loaded)
{
    ProgressSink* sink = image.progress();
    image = std::move(loaded);
    image.setProgress(sink);
}

}  // namespace

void applyGammaCorrection(TPixelGraphic& image, double imageGamma, const FormatOptions& options)
{
    if (!options.gammaCorrection || !(options.displayGamma > 0) || !std::isfinite(imageGamma) || !(imageGamma > 0))
        return;
    const long double exponent = static_cast<long double>(imageGamma) / options.displayGamma;
    if (std::fabs(exponent - 1) <= 0.05L)
        return;
    std::uint8_t table[256];
    for (int i = 0; i < 256; ++i)
        table[i] = static_cast<std::uint8_t>(std::clamp<std::int64_t>(R(std::pow(i / 255.0L, exponent) * 255), 0, 255));

    if (image.PixelFormat() == TPixelFormat::pf24Bit) {
        ProgressScope progress(options.progress, image.Height());
        const std::size_t rowBytes = 3 * static_cast<std::size_t>(image.Width());
        for (int y = 0; y < image.Height(); ++y) {
            std::uint8_t* row = image.rowData(y);
            for (std::size_t i = 0; i < rowBytes; ++i)
                row[i] = table[row[i]];
            progress.update(y + 1);
        }
        return;
    }
    if (image.PaletteIdent() == pGray256 && image.PixelFormat() == TPixelFormat::pf8Bit) {
        // Entry i of the 256-grey palette is grey i, so correcting the entries is the same as
        // mapping each pixel's index through the table; that keeps the image a 256-grey image.
        ProgressScope progress(options.progress, image.Height());
        for (int y = 0; y < image.Height(); ++y) {
            std::uint8_t* row = image.rowData(y);
            for (int x = 0; x < image.Width(); ++x)
                row[x] = table[row[x]];
            progress.update(y + 1);
        }
        return;
    }
    std::vector<std::uint32_t> palette = image.Palette();
    bool changed = false;
    for (std::uint32_t& c : palette) {
        const std::uint32_t corrected = rgb(table[redOf(c)], table[greenOf(c)], table[blueOf(c)]);
        changed = changed || corrected != c;
        c = corrected;
    }
    // A fixed palette kind whose entries changed no longer describes them.
    if (changed)
        image.SetPalette(palette, pUnknown);
}

PreparedSave::PreparedSave(const TPixelGraphic& image, const std::string& extension, const FormatOptions& options)
    : m_image(&image), m_options(options)
{
    m_writer = findWriter(extension);
    if (!m_writer)
        throw EImageFormat(formatmsg::unknownFileExtension(normalisedExtension(extension)));
    const int r = image.ColorResolution();
    const int s = fallbackResolution(r, m_writer->resolutions);
    if (s < 0)
        throw EImageFormat(resolutionRefusedText(*m_writer, r));
    m_resolution = s;
    if (s == r)
        return;
    LoadContext asking(m_options);
    if (!asking.confirm(UserText(QT_TRANSLATE_NOOP("Core", "Warning")), resolutionWarningText(*m_writer, r, s)))
        throw EImageFormat(resolutionRefusedText(*m_writer, r));
    m_converted = ConvertTo(image, s);
    m_image = &*m_converted;
}

void PreparedSave::write(std::ostream& out) const
{
    SaveContext context(m_options);
    m_writer->write(*m_image, out, context);
}

std::uint64_t PreparedSave::minimumDataSize() const
{
    if (!m_writer->storesRawPixels)
        return 0;
    const auto width = static_cast<std::uint64_t>(std::max(0, m_image->Width()));
    const auto height = static_cast<std::uint64_t>(std::max(0, m_image->Height()));
    const auto bits = static_cast<std::uint64_t>(bitsPerPixel(m_image->PixelFormat()));
    return (width * bits + 7) / 8 * height;
}

void saveImage(const TPixelGraphic& image, const std::string& fileName, const FormatOptions& options)
{
    const PreparedSave save(image, fileExtension(fileName), options);
    safeSave(fileName, [&save](std::ostream& out) { save.write(out); });
}

}  // namespace tesra
