#include "imaging/formats/jpeg.h"

#include <csetjmp>
#include <cstddef>
#include <climits>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>
// After jpeglib.h: its configuration decides which messages jerror.h declares.
#include <jerror.h>

#include "imaging/checked_size.h"
#include "imaging/formats/format_error.h"

namespace tesra {

namespace {

// The program is written against libjpeg's 6.2 interface (the one the 6a/6b releases
// established); a library built for another interface lays its structures out differently.
constexpr bool kExpectedInterface = JPEG_LIB_VERSION == 62;

// A progressive file may hold any number of scans, each a full pass over the image's blocks.
// Encoders write about ten; a crafted file with hundreds of (empty) scans of a large image
// would keep the decoder busy for minutes. So the scans times the pixels are bounded, with
// room for every real progression at any size and a hard cap for tiny images.
constexpr std::uint64_t kScanWork = 1'000'000'000;
constexpr std::uint64_t kFewestScans = 16;
constexpr std::uint64_t kMostScans = 256;

// Why a library call ended early. Kept as plain data: it lives in the same frame as the
// jump buffer.
enum class Failure { None, Library, VersionMismatch, Truncated, TooManyScans, TooLarge, WriteFailed };

struct ErrorManager {
    jpeg_error_mgr pub;  // first member: libjpeg sees only this part
    std::jmp_buf jump;
    Failure failure;
    int maxScans;  // scans a progressive file may have before it is refused
    char message[JMSG_LENGTH_MAX];
};

ErrorManager* errorManagerOf(j_common_ptr cinfo) { return reinterpret_cast<ErrorManager*>(cinfo->err); }

[[noreturn]] void jumpBack(j_common_ptr cinfo, Failure failure)
{
    ErrorManager* err = errorManagerOf(cinfo);
    err->failure = failure;
    std::longjmp(err->jump, 1);
}

void onError(j_common_ptr cinfo)
{
    ErrorManager* err = errorManagerOf(cinfo);
    const int code = cinfo->err->msg_code;
    if (code == JERR_BAD_LIB_VERSION || code == JERR_BAD_STRUCT_SIZE)
        jumpBack(cinfo, Failure::VersionMismatch);
    // The library ran into its share of the memory limit.
    if (code == JERR_NO_BACKING_STORE || code == JERR_OUT_OF_MEMORY)
        jumpBack(cinfo, Failure::TooLarge);
    (*cinfo->err->format_message)(cinfo, err->message);
    jumpBack(cinfo, Failure::Library);
}

// Warnings about damaged data mean pixels the file does not hold: the library would fill
// them with grey and go on, and a few bytes declaring a huge image would cost minutes. They
// end the load like a file cut short. Other warnings (stray bytes between markers, an unknown
// JFIF revision) leave the pixels intact and are not shown; trace messages are dropped.
void onMessage(j_common_ptr cinfo, int level)
{
    if (level >= 0)
        return;
    switch (cinfo->err->msg_code) {
    case JWRN_HIT_MARKER:
        jumpBack(cinfo, Failure::Truncated);
    case JWRN_HUFF_BAD_CODE:
#if JPEG_LIB_VERSION >= 70 || defined(C_ARITH_CODING_SUPPORTED) || defined(D_ARITH_CODING_SUPPORTED)
    case JWRN_ARITH_BAD_CODE:
#endif
    case JWRN_MUST_RESYNC:
    case JWRN_BOGUS_PROGRESSION:
    case JWRN_NOT_SEQUENTIAL:
        (*cinfo->err->format_message)(cinfo, errorManagerOf(cinfo)->message);
        jumpBack(cinfo, Failure::Library);
    default:
        return;
    }
}

// Called for every row of blocks the library reads: a progressive file's scans are counted as
// they start, so that a file of many (empty) scans is refused before it walks the image again
// and again.
void onProgress(j_common_ptr cinfo)
{
    if (!cinfo->is_decompressor)
        return;
    const auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > errorManagerOf(cinfo)->maxScans)
        jumpBack(cinfo, Failure::TooManyScans);
}

// Source of compressed data: the whole file in memory. At the end of the data the library
// gets an end-of-image marker, as libjpeg's own sources give it, so a file that only lacks
// its end marker loads; a file cut inside its scan data runs into that marker while it still
// needs data, which the warning above refuses.
constexpr JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};

struct Source {
    jpeg_source_mgr pub;  // first member: libjpeg sees only this part
    bool endSupplied;     // the data ran out and the end marker was given in its place
};

void sourceInit(j_decompress_ptr) {}
boolean sourceFill(j_decompress_ptr cinfo)
{
    auto* src = reinterpret_cast<Source*>(cinfo->src);
    src->endSupplied = true;
    src->pub.next_input_byte = kEndOfImage;
    src->pub.bytes_in_buffer = 2;
    return TRUE;
}
void sourceSkip(j_decompress_ptr cinfo, long count)
{
    if (count <= 0)
        return;
    jpeg_source_mgr* src = cinfo->src;
    if (static_cast<unsigned long>(count) > src->bytes_in_buffer)
        jumpBack(reinterpret_cast<j_common_ptr>(cinfo), Failure::Truncated);
    src->next_input_byte += count;
    src->bytes_in_buffer -= static_cast<std::size_t>(count);
}
void sourceTerm(j_decompress_ptr) {}

void installErrorManager(j_common_ptr cinfo, ErrorManager& err)
{
    cinfo->err = jpeg_std_error(&err.pub);
    err.pub.error_exit = onError;
    err.pub.emit_message = onMessage;
    err.failure = Failure::None;
    err.maxScans = static_cast<int>(kMostScans);
    err.message[0] = '\0';
}

// Everything one decode needs, plain data only, so that a jump back from inside the library
// skips no destructor. Owned by a unique_ptr in readJpeg, which destroys the library state.
struct Decoder {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    Source source;
    jpeg_progress_mgr progressMonitor;
    bool created;
};

struct DecoderDeleter {
    void operator()(Decoder* d) const
    {
        if (d->created)
            jpeg_destroy_decompress(&d->cinfo);
        delete d;
    }
};

// Creates the decompressor and reads the header. Returns false when the library failed.
bool decodeHeader(Decoder* d, const std::uint8_t* data, std::size_t size, long memoryLimit)
{
    if (setjmp(d->err.jump))
        return false;
    jpeg_create_decompress(&d->cinfo);
    d->created = true;
    d->cinfo.mem->max_memory_to_use = memoryLimit;
    d->source.pub.next_input_byte = data;
    d->source.pub.bytes_in_buffer = size;
    d->source.pub.init_source = sourceInit;
    d->source.pub.fill_input_buffer = sourceFill;
    d->source.pub.skip_input_data = sourceSkip;
    d->source.pub.resync_to_restart = jpeg_resync_to_restart;
    d->source.pub.term_source = sourceTerm;
    d->source.endSupplied = false;
    d->cinfo.src = &d->source.pub;
    d->progressMonitor.progress_monitor = onProgress;
    d->cinfo.progress = &d->progressMonitor;
    jpeg_read_header(&d->cinfo, TRUE);
    return true;
}

// True when every coefficient of every component has had all its scans: a progressive file
// whose data ended between two scans lacks some and would show a blurred image.
bool progressionComplete(const jpeg_decompress_struct& c)
{
    if (!c.coef_bits)
        return false;
    for (int ci = 0; ci < c.num_components; ++ci)
        for (int k = 0; k < DCTSIZE2; ++k)
            if (c.coef_bits[ci][k] != 0)
                return false;
    return true;
}

// CMYK samples of one row (inverted as Adobe's programs store them, when `inverted`) to the
// buffer's blue, green, red, by the same rule as the TIFF reader's CMYK.
void cmykRowToBgr(const JSAMPLE* src, std::uint8_t* dst, JDIMENSION width, bool inverted)
{
    for (JDIMENSION x = 0; x < width; ++x, src += 4, dst += 3) {
        const int c = inverted ? 255 - src[0] : src[0];
        const int m = inverted ? 255 - src[1] : src[1];
        const int y = inverted ? 255 - src[2] : src[2];
        const int k = inverted ? 255 - src[3] : src[3];
        dst[0] = static_cast<std::uint8_t>(y + k < 255 ? 255 - y - k : 0);
        dst[1] = static_cast<std::uint8_t>(m + k < 255 ? 255 - m - k : 0);
        dst[2] = static_cast<std::uint8_t>(c + k < 255 ? 255 - c - k : 0);
    }
}

// Decodes every row into the rows of the buffer: row y starts at top + y × step (the buffer
// stores the bottom row first, so step is negative). CMYK rows pass through `cmykRow`, which
// holds one row of four samples per pixel.
bool decodeRows(Decoder* d, J_COLOR_SPACE outSpace, std::uint8_t* top, std::ptrdiff_t step, JSAMPLE* cmykRow,
                ProgressScope* scope)
{
    if (setjmp(d->err.jump))
        return false;
    d->cinfo.out_color_space = outSpace;
    jpeg_start_decompress(&d->cinfo);
    // A progressive file is read whole before its first row: when its data ran out on the
    // way, it must still have had every scan.
    if (d->source.endSupplied && d->cinfo.progressive_mode && !progressionComplete(d->cinfo))
        jumpBack(reinterpret_cast<j_common_ptr>(&d->cinfo), Failure::Truncated);
    const bool inverted = d->cinfo.saw_Adobe_marker;
    while (d->cinfo.output_scanline < d->cinfo.output_height) {
        const JDIMENSION first = d->cinfo.output_scanline;
        if (cmykRow) {
            JSAMPROW row[1] = {cmykRow};
            jpeg_read_scanlines(&d->cinfo, row, 1);
            cmykRowToBgr(cmykRow, top + static_cast<std::ptrdiff_t>(first) * step, d->cinfo.output_width, inverted);
        } else {
            JSAMPROW rows[16];
            JDIMENSION n = d->cinfo.output_height - first;
            if (n > 16)
                n = 16;
            for (JDIMENSION i = 0; i < n; ++i)
                rows[i] = top + static_cast<std::ptrdiff_t>(first + i) * step;
            jpeg_read_scanlines(&d->cinfo, rows, n);
        }
        scope->update(d->cinfo.output_scanline);
    }
    jpeg_finish_decompress(&d->cinfo);
    return true;
}

[[noreturn]] void failWith(const ErrorManager& err, bool dataRanOut = false)
{
    // Whatever the library found wrong after the data ran out comes from the file's end.
    if (dataRanOut && err.failure == Failure::Library)
        throw EImageFormat(formattag::jpeg, UserText(formatmsg::unexpectedEnd));
    switch (err.failure) {
    case Failure::VersionMismatch:
        throw EImageFormat(formattag::jpeg, UserText(formatmsg::invalidLibraryVersion));
    case Failure::Truncated:
        throw EImageFormat(formattag::jpeg, UserText(formatmsg::unexpectedEnd));
    case Failure::TooManyScans:
        throw EImageFormat(formattag::jpeg, UserText(QT_TRANSLATE_NOOP("Core", "Too many progressive scans")));
    case Failure::TooLarge:
        throw EImageFormat(formattag::jpeg, UserText(formatmsg::imageTooLarge));
    case Failure::WriteFailed:
        throw EImageFile(formattag::jpeg + UserText(QT_TRANSLATE_NOOP("Core", "Write error")));
    case Failure::None:
    case Failure::Library:
        break;
    }
    throw EImageFormat(formattag::jpeg, err.message[0] ? err.message : UserText(QT_TRANSLATE_NOOP("Core", "Decoding failed")));
}

// The library's own memory for one image: what the process-wide byte limit leaves beside the
// image buffer. Progressive files keep every coefficient (two bytes per sample) until the
// last scan; a file whose buffer and coefficients together exceed the limit is refused.
long memoryLimitFor(std::uint64_t imageBytes)
{
    const std::uint64_t limit = imageSizeLimits().maxBytes;
    // Room for the library's small working buffers even when the image takes it all; they
    // are a few rows of blocks, never the whole image.
    const std::uint64_t floor = 4ull << 20;
    std::uint64_t want = imageBytes < limit ? limit - imageBytes : 0;
    if (want < floor)
        want = floor;
    const std::uint64_t longMax = static_cast<std::uint64_t>(LONG_MAX);
    return static_cast<long>(want > longMax ? longMax : want);
}

// ---- Writing ----

constexpr std::size_t kOutputChunk = 64 * 1024;

struct Encoder {
    jpeg_compress_struct cinfo;
    ErrorManager err;
    jpeg_destination_mgr destination;
    std::ostream* out;
    JOCTET buffer[kOutputChunk];
    bool created;
};

struct EncoderDeleter {
    void operator()(Encoder* e) const
    {
        if (e->created)
            jpeg_destroy_compress(&e->cinfo);
        delete e;
    }
};

Encoder* encoderOf(j_compress_ptr cinfo)
{
    return reinterpret_cast<Encoder*>(reinterpret_cast<char*>(cinfo) - offsetof(Encoder, cinfo));
}

// Hands `count` bytes to the stream. A stream that fails (or throws) ends the library call
// through the error jump, so no C++ exception ever crosses libjpeg's frames.
bool flushTo(Encoder* e, std::size_t count)
{
    try {
        e->out->write(reinterpret_cast<const char*>(e->buffer), static_cast<std::streamsize>(count));
        return static_cast<bool>(*e->out);
    } catch (...) {
        return false;
    }
}

void destinationInit(j_compress_ptr cinfo)
{
    Encoder* e = encoderOf(cinfo);
    e->destination.next_output_byte = e->buffer;
    e->destination.free_in_buffer = kOutputChunk;
}
boolean destinationEmpty(j_compress_ptr cinfo)
{
    Encoder* e = encoderOf(cinfo);
    if (!flushTo(e, kOutputChunk))
        jumpBack(reinterpret_cast<j_common_ptr>(cinfo), Failure::WriteFailed);
    e->destination.next_output_byte = e->buffer;
    e->destination.free_in_buffer = kOutputChunk;
    return TRUE;
}
void destinationTerm(j_compress_ptr cinfo)
{
    Encoder* e = encoderOf(cinfo);
    if (!flushTo(e, kOutputChunk - e->destination.free_in_buffer))
        jumpBack(reinterpret_cast<j_common_ptr>(cinfo), Failure::WriteFailed);
}

bool encodeRows(Encoder* e, const TPixelGraphic* image, int quality, ProgressScope* scope)
{
    if (setjmp(e->err.jump))
        return false;
    jpeg_create_compress(&e->cinfo);
    e->created = true;
    e->destination.init_destination = destinationInit;
    e->destination.empty_output_buffer = destinationEmpty;
    e->destination.term_destination = destinationTerm;
    e->cinfo.dest = &e->destination;
    const bool grey = image->PixelFormat() != TPixelFormat::pf24Bit;
    e->cinfo.image_width = static_cast<JDIMENSION>(image->Width());
    e->cinfo.image_height = static_cast<JDIMENSION>(image->Height());
    e->cinfo.input_components = grey ? 1 : 3;
    // The buffer stores blue, green, red; libjpeg reads that order directly and still writes
    // an ordinary three-component colour file.
    e->cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_BGR;
    jpeg_set_defaults(&e->cinfo);
    jpeg_set_quality(&e->cinfo, quality, TRUE);
    jpeg_start_compress(&e->cinfo, TRUE);
    while (e->cinfo.next_scanline < e->cinfo.image_height) {
        JSAMPROW rows[16];
        const JDIMENSION first = e->cinfo.next_scanline;
        JDIMENSION n = e->cinfo.image_height - first;
        if (n > 16)
            n = 16;
        for (JDIMENSION i = 0; i < n; ++i)
            rows[i] = const_cast<JSAMPROW>(image->rowData(static_cast<int>(first + i)));
        jpeg_write_scanlines(&e->cinfo, rows, n);
        scope->update(e->cinfo.next_scanline);
    }
    jpeg_finish_compress(&e->cinfo);
    return true;
}

}  // namespace

bool isJpegSignature(ByteSpan head) { return head.size() >= 2 && head[0] == 255 && head[1] == 216; }

int jpegScanLimit(std::uint64_t pixels)
{
    const std::uint64_t byWork = pixels == 0 ? kMostScans : kScanWork / pixels;
    return static_cast<int>(std::clamp<std::uint64_t>(byWork, kFewestScans, kMostScans));
}

void readJpeg(ByteSpan data, TPixelGraphic& image, ProgressSink* progress)
{
    if (!kExpectedInterface)
        throw EImageFormat(formattag::jpeg, UserText(formatmsg::invalidLibraryVersion));
    std::unique_ptr<Decoder, DecoderDeleter> d(new Decoder{});
    installErrorManager(reinterpret_cast<j_common_ptr>(&d->cinfo), d->err);

    const std::uint64_t headerLimit = 16ull << 20;
    if (!decodeHeader(d.get(), data.data(), data.size(), static_cast<long>(headerLimit)))
        failWith(d->err, d->source.endSupplied);

    jpeg_decompress_struct& c = d->cinfo;
    const bool grey = c.num_components == 1 && c.jpeg_color_space == JCS_GRAYSCALE;
    const bool colour = c.num_components == 3 && (c.jpeg_color_space == JCS_YCbCr || c.jpeg_color_space == JCS_RGB);
    // Print workflows write CMYK, or YCCK that the library turns into CMYK.
    const bool cmyk = c.num_components == 4 && (c.jpeg_color_space == JCS_CMYK || c.jpeg_color_space == JCS_YCCK);
    if (!grey && !colour && !cmyk)
        throw EImageFormat(formattag::jpeg, UserText(formatmsg::notSupportedSubformat) +
                                                " \u2014 save the image as an RGB or greyscale JPEG, or as PNG, and open it again");

    const TPixelFormat format = grey ? TPixelFormat::pf8Bit : TPixelFormat::pf24Bit;
    const auto imageBytes = c.image_width > INT_MAX || c.image_height > INT_MAX
                                ? std::nullopt
                                : checkedImageBytes(c.image_width, c.image_height, bitsPerPixel(format));
    if (!imageBytes)
        throw EImageFormat(formattag::jpeg, UserText(formatmsg::imageTooLarge));
    c.mem->max_memory_to_use = memoryLimitFor(*imageBytes);
    d->err.maxScans = jpegScanLimit(std::uint64_t(c.image_width) * c.image_height);

    TPixelGraphic result;
    result.SetSize(static_cast<int>(c.image_width), static_cast<int>(c.image_height), format);
    if (grey)
        result.SetPaletteIdent(pGray256);
    std::vector<JSAMPLE> cmykRow(cmyk ? std::size_t(c.image_width) * 4 : 0);

    ProgressScope scope(progress, result.Height());
    std::uint8_t* top = result.rowData(0);
    const std::ptrdiff_t step = -static_cast<std::ptrdiff_t>(result.rowStride());
    const J_COLOR_SPACE space = grey ? JCS_GRAYSCALE : (cmyk ? JCS_CMYK : JCS_EXT_BGR);
    if (!decodeRows(d.get(), space, top, step, cmyk ? cmykRow.data() : nullptr, &scope))
        failWith(d->err, d->source.endSupplied);
    image = std::move(result);
}

void writeJpeg(const TPixelGraphic& image, std::ostream& out, int quality, ProgressSink* progress)
{
    if (!kExpectedInterface)
        throw EImageFormat(formattag::jpeg, UserText(formatmsg::invalidLibraryVersion));
    if (image.isEmpty() || image.Width() <= 0 || image.Height() <= 0)
        throw EImageFormat(formattag::jpeg, UserText(formatmsg::widthOrHeightZero));
    const int resolution = image.ColorResolution();
    if (resolution != 5 && resolution != 7)
        throw EImageFormat(formattag::jpeg, UserText(formatmsg::invalidColorResolution));
    if (quality < 1)
        quality = 1;
    if (quality > 100)
        quality = 100;

    std::unique_ptr<Encoder, EncoderDeleter> e(new Encoder{});
    e->out = &out;
    installErrorManager(reinterpret_cast<j_common_ptr>(&e->cinfo), e->err);
    ProgressScope scope(progress, image.Height());
    if (!encodeRows(e.get(), &image, quality, &scope))
        failWith(e->err);
}

}  // namespace tesra
