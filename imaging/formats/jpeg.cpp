#include "imaging/formats/jpeg.h"

#include <csetjmp>
#include <cstddef>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

// jpeglib.h needs size_t and FILE declared before it.
#include <jerror.h>
#include <jpeglib.h>

#include "imaging/checked_size.h"
#include "imaging/formats/format_error.h"

namespace tesra {

namespace {

// The program is written against libjpeg's 6.2 interface (the one the 6a/6b releases
// established); a library built for another interface lays its structures out differently.
constexpr bool kExpectedInterface = JPEG_LIB_VERSION == 62;

// A progressive file may hold any number of scans, each a full pass over the coefficients. No
// real encoder writes more than a few dozen; a crafted file with thousands would keep the
// decoder busy for minutes.
constexpr int kMaxScans = 1000;

// Why a library call ended early. Kept as plain data: it lives in the same frame as the
// jump buffer.
enum class Failure { None, Library, VersionMismatch, Truncated, TooManyScans, WriteFailed };

struct ErrorManager {
    jpeg_error_mgr pub;  // first member: libjpeg sees only this part
    std::jmp_buf jump;
    Failure failure;
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
    (*cinfo->err->format_message)(cinfo, err->message);
    jumpBack(cinfo, Failure::Library);
}

// Warnings (extraneous bytes before a marker, a damaged restart interval) are the library's
// way of going on with a slightly damaged file, as every other decoder does; they are not
// shown. Trace messages are dropped as well.
void onMessage(j_common_ptr, int) {}

void onProgress(j_common_ptr cinfo)
{
    if (!cinfo->is_decompressor)
        return;
    const auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > kMaxScans)
        jumpBack(cinfo, Failure::TooManyScans);
}

// Source of compressed data: the whole file in memory. The end of the data is an error, not
// the library's usual fake end-of-image marker, so a cut-off file is refused instead of
// shown half grey.
void sourceInit(j_decompress_ptr) {}
boolean sourceFill(j_decompress_ptr cinfo) { jumpBack(reinterpret_cast<j_common_ptr>(cinfo), Failure::Truncated); }
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
    err.message[0] = '\0';
}

// Everything one decode needs, plain data only, so that a jump back from inside the library
// skips no destructor. Owned by a unique_ptr in readJpeg, which destroys the library state.
struct Decoder {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    jpeg_source_mgr source;
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
    d->source.next_input_byte = data;
    d->source.bytes_in_buffer = size;
    d->source.init_source = sourceInit;
    d->source.fill_input_buffer = sourceFill;
    d->source.skip_input_data = sourceSkip;
    d->source.resync_to_restart = jpeg_resync_to_restart;
    d->source.term_source = sourceTerm;
    d->cinfo.src = &d->source;
    d->progressMonitor.progress_monitor = onProgress;
    d->cinfo.progress = &d->progressMonitor;
    jpeg_read_header(&d->cinfo, TRUE);
    return true;
}

// Decodes every row into the rows of the buffer: row y starts at top + y × step (the buffer
// stores the bottom row first, so step is negative).
bool decodeRows(Decoder* d, J_COLOR_SPACE outSpace, std::uint8_t* top, std::ptrdiff_t step, ProgressScope* scope)
{
    if (setjmp(d->err.jump))
        return false;
    d->cinfo.out_color_space = outSpace;
    jpeg_start_decompress(&d->cinfo);
    while (d->cinfo.output_scanline < d->cinfo.output_height) {
        JSAMPROW rows[16];
        const JDIMENSION first = d->cinfo.output_scanline;
        JDIMENSION n = d->cinfo.output_height - first;
        if (n > 16)
            n = 16;
        for (JDIMENSION i = 0; i < n; ++i)
            rows[i] = top + static_cast<std::ptrdiff_t>(first + i) * step;
        jpeg_read_scanlines(&d->cinfo, rows, n);
        scope->update(d->cinfo.output_scanline);
    }
    jpeg_finish_decompress(&d->cinfo);
    return true;
}

[[noreturn]] void failWith(const ErrorManager& err)
{
    switch (err.failure) {
    case Failure::VersionMismatch:
        throw EImageFormat(formattag::jpeg, formatmsg::invalidLibraryVersion);
    case Failure::Truncated:
        throw EImageFormat(formattag::jpeg, formatmsg::unexpectedEnd);
    case Failure::TooManyScans:
        throw EImageFormat(formattag::jpeg, "Too many progressive scans");
    case Failure::WriteFailed:
        throw EImageFile(std::string(formattag::jpeg) + "Write error");
    case Failure::None:
    case Failure::Library:
        break;
    }
    throw EImageFormat(formattag::jpeg, err.message[0] ? err.message : "Decoding failed");
}

// The library's memory for one image: progressive files keep every coefficient (two bytes per
// sample) until the last scan, so twice the samples plus working room, never more than the
// buffer's own byte limit allows.
long memoryLimitFor(std::uint64_t samples)
{
    const std::uint64_t limit = imageSizeLimits().maxBytes;
    std::uint64_t want = samples * 2 + (64ull << 20);
    if (want > limit)
        want = limit;
    if (want < (16ull << 20))
        want = 16ull << 20;
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

void readJpeg(ByteSpan data, TPixelGraphic& image, ProgressSink* progress)
{
    if (!kExpectedInterface)
        throw EImageFormat(formattag::jpeg, formatmsg::invalidLibraryVersion);
    std::unique_ptr<Decoder, DecoderDeleter> d(new Decoder{});
    installErrorManager(reinterpret_cast<j_common_ptr>(&d->cinfo), d->err);

    const std::uint64_t headerLimit = 16ull << 20;
    if (!decodeHeader(d.get(), data.data(), data.size(), static_cast<long>(headerLimit)))
        failWith(d->err);

    jpeg_decompress_struct& c = d->cinfo;
    const bool grey = c.num_components == 1 && c.jpeg_color_space == JCS_GRAYSCALE;
    const bool colour = c.num_components == 3 && (c.jpeg_color_space == JCS_YCbCr || c.jpeg_color_space == JCS_RGB);
    if (!grey && !colour)
        throw EImageFormat(formattag::jpeg, formatmsg::notSupportedSubformat);

    const TPixelFormat format = grey ? TPixelFormat::pf8Bit : TPixelFormat::pf24Bit;
    if (c.image_width > INT_MAX || c.image_height > INT_MAX ||
        !checkedImageBytes(c.image_width, c.image_height, bitsPerPixel(format)))
        throw EImageFormat(formattag::jpeg, formatmsg::imageTooLarge);
    c.mem->max_memory_to_use = memoryLimitFor(std::uint64_t(c.image_width) * c.image_height * c.num_components);

    TPixelGraphic result;
    result.SetSize(static_cast<int>(c.image_width), static_cast<int>(c.image_height), format);
    if (grey)
        result.SetPaletteIdent(pGray256);

    ProgressScope scope(progress, result.Height());
    std::uint8_t* top = result.rowData(0);
    const std::ptrdiff_t step = -static_cast<std::ptrdiff_t>(result.rowStride());
    if (!decodeRows(d.get(), grey ? JCS_GRAYSCALE : JCS_EXT_BGR, top, step, &scope))
        failWith(d->err);
    image = std::move(result);
}

void writeJpeg(const TPixelGraphic& image, std::ostream& out, int quality, ProgressSink* progress)
{
    if (!kExpectedInterface)
        throw EImageFormat(formattag::jpeg, formatmsg::invalidLibraryVersion);
    if (image.isEmpty() || image.Width() <= 0 || image.Height() <= 0)
        throw EImageFormat(formattag::jpeg, formatmsg::widthOrHeightZero);
    const int resolution = image.ColorResolution();
    if (resolution != 5 && resolution != 7)
        throw EImageFormat(formattag::jpeg, formatmsg::invalidColorResolution);
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
