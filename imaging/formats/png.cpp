#include "imaging/formats/png.h"

#include <algorithm>
#include <climits>
#include <csetjmp>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include <png.h>
#include <zlib.h>

#include "imaging/checked_size.h"
#include "imaging/formats/format_error.h"

namespace tesra {

namespace {

// Side data libpng may hold in memory: one ancillary chunk (an ICC profile, compressed text)
// and the number of such chunks kept. Real files stay far below; crafted ones are refused.
constexpr png_alloc_size_t kChunkMallocMax = 8u << 20;
constexpr png_uint_32 kChunkCacheMax = 256;

// The libpng interface the program is built for: a library whose major and minor version
// differ from the header's has other structures.
bool libraryMatchesHeader() { return png_access_version_number() / 100 == PNG_LIBPNG_VER / 100; }

// ---- Reading ----

// Everything one decode needs, plain data only: libpng leaves a failing call by longjmp into
// the function that called it, which then must not own anything with a destructor.
struct Decoder {
    png_structp png;
    png_infop info;
    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos;
    char message[256];

    // Facts of the header, taken in decodeHeader.
    png_uint_32 width;
    png_uint_32 height;
    int bitDepth;
    int colorType;
    int passes;
    std::size_t rowBytes;  // of the rows libpng hands out, after the transformations
    png_color palette[256];
    int paletteCount;
    png_byte paletteAlpha[256];
    int paletteAlphaCount;
    bool hasTransparentValue;  // tRNS of a grey or RGB image
    png_color_16 transparentValue;
    bool hasBackground;
    png_color_16 background;
    bool hasGamma;
    double gamma;
    bool interlaced;
    bool lowDepth;     // palette or grey of fewer than 8 bits
    bool withAlpha;    // rows carry an alpha channel to composite
    bool needsFinish;  // rows need work before they are in the buffer's layout
    // Set once every row is in the buffer: libpng then only reads on to the end of the
    // compressed stream, which the image does not need and which may be gigabytes long.
    bool rowsComplete;
    // The chunk libpng reads in (its offset), and the offset of the one after it: followed
    // as the reads go, so that the checks after the rows start where libpng stopped.
    std::size_t chunkAt;
    std::size_t nextChunkAt;
};

struct DecoderDeleter {
    void operator()(Decoder* d) const
    {
        if (d->png)
            png_destroy_read_struct(&d->png, d->info ? &d->info : nullptr, nullptr);
        delete d;
    }
};

// libpng's error handler for a decoder or an encoder: the message kept in its text, then the
// jump back into the function that called libpng.
template <typename Codec>
void onError(png_structp png, png_const_charp message)
{
    auto* codec = static_cast<Codec*>(png_get_error_ptr(png));
    if (codec) {
        std::strncpy(codec->message, message ? message : "", sizeof codec->message - 1);
        codec->message[sizeof codec->message - 1] = '\0';
    }
    png_longjmp(png, 1);
}

// libpng warns about damaged ancillary chunks and goes on without them, as every viewer does.
void onWarning(png_structp, png_const_charp) {}

// True when libpng has handed out the last row and reads only to finish the stream: its row
// counter has passed the last row (the pass counter the last pass, for interlaced files).
bool pastLastRow(const Decoder* d)
{
    if (d->interlaced)
        return png_get_current_pass_number(d->png) >= 7;
    return png_get_current_row_number(d->png) >= d->height;
}

void readBytes(png_structp png, png_bytep out, png_size_t length)
{
    auto* d = static_cast<Decoder*>(png_get_io_ptr(png));
    if (d->height != 0 && pastLastRow(d)) {
        d->rowsComplete = true;
        png_error(png, "rows complete");
    }
    if (length > d->size - d->pos)
        png_error(png, formatmsg::unexpectedEnd);
    std::memcpy(out, d->data + d->pos, length);
    d->pos += length;
    while (d->pos > d->nextChunkAt && d->size - d->nextChunkAt >= 4) {
        const std::uint8_t* at = d->data + d->nextChunkAt;
        const std::size_t chunkLength =
            (std::size_t(at[0]) << 24) | (std::size_t(at[1]) << 16) | (std::size_t(at[2]) << 8) | at[3];
        d->chunkAt = d->nextChunkAt;
        d->nextChunkAt += 12 + chunkLength;
    }
}

// True when a gamma chunk with a sound checksum stands before the image data. libpng answers
// the question of the gamma also from an sRGB chunk or a recognised ICC profile, which must
// not change the image; so the chunk list itself is looked at. Walks the chunk headers only.
bool hasGammaChunk(ByteSpan file)
{
    std::size_t pos = 8;
    while (pos <= file.size() && file.size() - pos >= 12) {
        const std::uint32_t length = (std::uint32_t(file[pos]) << 24) | (std::uint32_t(file[pos + 1]) << 16) |
                                     (std::uint32_t(file[pos + 2]) << 8) | std::uint32_t(file[pos + 3]);
        const std::uint8_t* type = file.data() + pos + 4;
        if (length > file.size() - pos - 12)
            return false;
        if (std::memcmp(type, "IDAT", 4) == 0)
            return false;
        if (std::memcmp(type, "gAMA", 4) == 0 && length == 4) {
            const std::uint8_t* crcAt = type + 4 + length;
            const std::uint32_t stored = (std::uint32_t(crcAt[0]) << 24) | (std::uint32_t(crcAt[1]) << 16) |
                                         (std::uint32_t(crcAt[2]) << 8) | std::uint32_t(crcAt[3]);
            if (crc32(0, type, 4 + length) == stored)
                return true;
        }
        pos += 12 + static_cast<std::size_t>(length);
    }
    return false;
}

// Every image data chunk must be complete and match its checksum. libpng checks each chunk
// as it finishes reading it, but it is stopped after the last row, before it reaches the end
// of the last chunk; this walk over the chunk headers from the chunk at `from` (the one libpng
// stopped in) covers that one and any after it. The chunks before are not touched again:
// their pages stay released.
const char* imageDataProblem(ByteSpan file, std::size_t from)
{
    std::size_t pos = from;
    while (pos <= file.size() && file.size() - pos >= 8) {
        const std::uint32_t length = (std::uint32_t(file[pos]) << 24) | (std::uint32_t(file[pos + 1]) << 16) |
                                     (std::uint32_t(file[pos + 2]) << 8) | std::uint32_t(file[pos + 3]);
        const std::uint8_t* type = file.data() + pos + 4;
        const bool imageData = std::memcmp(type, "IDAT", 4) == 0;
        if (length > file.size() - pos - 8 || file.size() - pos - 8 - length < 4)
            return imageData ? formatmsg::unexpectedEnd : nullptr;  // a cut after the data is no harm
        if (imageData) {
            const std::uint8_t* crcAt = type + 4 + length;
            const std::uint32_t stored = (std::uint32_t(crcAt[0]) << 24) | (std::uint32_t(crcAt[1]) << 16) |
                                         (std::uint32_t(crcAt[2]) << 8) | std::uint32_t(crcAt[3]);
            // zlib's crc32 takes at most 4 GB per call; a chunk is below 2 GB by the format.
            if (crc32(0, type, static_cast<uInt>(4 + length)) != stored)
                return QT_TRANSLATE_NOOP("Core", "IDAT: CRC error");
        }
        if (std::memcmp(type, "IEND", 4) == 0)
            return nullptr;
        pos += 12 + static_cast<std::size_t>(length);
    }
    return nullptr;
}

// Reads the header chunks and sets up the transformations: 16-bit samples cut to 8, colour
// samples in the buffer's order blue, green, red, and a grey or RGB transparency value
// turned into an alpha channel (composited afterwards). Palette and low-depth grey images
// stay packed as they are stored.
bool decodeHeader(Decoder* d, png_uint_32 maxWidth, png_uint_32 maxHeight)
{
    if (setjmp(png_jmpbuf(d->png)))
        return false;
    png_set_user_limits(d->png, maxWidth, maxHeight);
    png_set_chunk_malloc_max(d->png, kChunkMallocMax);
    png_set_chunk_cache_max(d->png, kChunkCacheMax);
    png_set_read_fn(d->png, d, readBytes);
    png_read_info(d->png, d->info);

    int interlace = 0;
    png_get_IHDR(d->png, d->info, &d->width, &d->height, &d->bitDepth, &d->colorType, &interlace, nullptr, nullptr);
    d->interlaced = interlace != PNG_INTERLACE_NONE;

    png_colorp palette = nullptr;
    if (png_get_PLTE(d->png, d->info, &palette, &d->paletteCount) && palette) {
        d->paletteCount = std::clamp(d->paletteCount, 0, 256);
        std::memcpy(d->palette, palette, sizeof(png_color) * static_cast<std::size_t>(d->paletteCount));
    }
    png_bytep alpha = nullptr;
    int alphaCount = 0;
    png_color_16p value = nullptr;
    if (png_get_tRNS(d->png, d->info, &alpha, &alphaCount, &value)) {
        if (d->colorType == PNG_COLOR_TYPE_PALETTE && alpha) {
            d->paletteAlphaCount = std::clamp(alphaCount, 0, 256);
            std::memcpy(d->paletteAlpha, alpha, static_cast<std::size_t>(d->paletteAlphaCount));
        } else if (value) {
            d->hasTransparentValue = true;
            d->transparentValue = *value;
        }
    }
    png_color_16p background = nullptr;
    if (png_get_bKGD(d->png, d->info, &background) && background) {
        d->hasBackground = true;
        d->background = *background;
    }
    d->hasGamma = hasGammaChunk(ByteSpan(d->data, d->size)) && png_get_gAMA(d->png, d->info, &d->gamma) != 0 &&
                  d->gamma > 0;

    const bool palettized = d->colorType == PNG_COLOR_TYPE_PALETTE;
    const bool lowGrey = d->colorType == PNG_COLOR_TYPE_GRAY && d->bitDepth < 8;
    d->lowDepth = d->bitDepth < 8 && (palettized || d->colorType == PNG_COLOR_TYPE_GRAY);
    d->withAlpha = (d->colorType & PNG_COLOR_MASK_ALPHA) || (d->hasTransparentValue && !d->lowDepth);
    d->needsFinish = d->withAlpha || (lowGrey && (d->bitDepth == 2 || d->hasTransparentValue)) ||
                     (palettized && d->bitDepth == 2);

    if (d->bitDepth == 16)
        png_set_strip_16(d->png);
    if (d->colorType & PNG_COLOR_MASK_COLOR)
        png_set_bgr(d->png);
    if (d->hasTransparentValue && !lowGrey && !palettized)
        png_set_tRNS_to_alpha(d->png);
    // Rows that go straight into the buffer are merged from the passes by libpng. Rows that
    // need finishing are taken pass by pass and each pixel put in its place, so that no
    // scratch copy of the whole image is ever needed.
    d->passes = d->interlaced && !d->needsFinish ? png_set_interlace_handling(d->png) : 1;
    png_read_update_info(d->png, d->info);
    d->rowBytes = png_get_rowbytes(d->png, d->info);
    return true;
}

// ---- Turning libpng's rows into buffer rows ----

// What is done with each row after libpng: compositing the alpha channel onto the background,
// resolving a grey transparency value, widening 2-bit grey to 4 bits.
struct Finisher {
    int channels;             // of libpng's rows: 2 grey + alpha, 4 blue, green, red, alpha
    std::uint8_t background[3];  // blue, green, red, or the grey level in [0]
    bool lowGreyTransparent;  // a grey image of depth 1, 2 or 4 with a transparent value
    int depth;                // of low-depth grey and palette rows
    unsigned transparentIndex;
    unsigned backgroundIndex;
};

// Turns `width` pixels of a row as libpng hands it out into the buffer's layout at `out`.
using FinishRow = void (*)(const Finisher* f, const std::uint8_t* row, std::uint8_t* out, int width);

// Where the rows go. Without `finish`, row y of the (merged) output goes to top + y × step.
// With it, each row is read into `scratch` and finished into the buffer's row, or, for an
// interlaced file, into `passRow` and from there to its pixels' places.
struct RowSink {
    std::uint8_t* top;
    std::ptrdiff_t step;
    FinishRow finish;
    const Finisher* finisher;
    TPixelGraphic* image;
    std::uint8_t* scratch;
    std::uint8_t* passRow;
};

// Puts `count` pixels of `bits` each from `in` at columns start, start + step, ... of `out`.
void scatterPixels(const std::uint8_t* in, std::uint8_t* out, int bits, int count, int start, int step)
{
    for (int i = 0; i < count; ++i) {
        const int x = start + i * step;
        switch (bits) {
        case 24:
            std::memcpy(out + 3 * static_cast<std::size_t>(x), in + 3 * static_cast<std::size_t>(i), 3);
            break;
        case 8:
            out[x] = in[i];
            break;
        case 4: {
            const unsigned v = (in[i >> 1] >> ((i & 1) ? 0 : 4)) & 0x0F;
            std::uint8_t& b = out[x >> 1];
            b = (x & 1) ? static_cast<std::uint8_t>((b & 0xF0) | v) : static_cast<std::uint8_t>((b & 0x0F) | (v << 4));
            break;
        }
        default: {
            const bool set = (in[i >> 3] >> (7 - (i & 7))) & 1;
            const std::uint8_t m = static_cast<std::uint8_t>(0x80u >> (x & 7));
            out[x >> 3] = static_cast<std::uint8_t>(set ? (out[x >> 3] | m) : (out[x >> 3] & ~m));
            break;
        }
        }
    }
}

// Reads one row. The row is complete also when libpng, after the last row, is stopped from
// reading on (the jump then comes from within the call, after the row was stored).
bool readRow(Decoder* d, png_bytep row)
{
    if (setjmp(png_jmpbuf(d->png)))
        return d->rowsComplete;
    png_read_row(d->png, row, nullptr);
    return true;
}

bool decodeRows(Decoder* d, const RowSink* sink, ProgressScope* scope)
{
    const int width = static_cast<int>(d->width);
    if (!sink->finish) {
        const png_uint_32 total = d->height * static_cast<png_uint_32>(d->passes);
        png_uint_32 done = 0;
        for (int pass = 0; pass < d->passes; ++pass) {
            for (png_uint_32 y = 0; y < d->height; ++y) {
                if (!readRow(d, sink->top + static_cast<std::ptrdiff_t>(y) * sink->step))
                    return false;
                scope->update(static_cast<std::int64_t>(++done) * d->height / total);
            }
        }
        return true;
    }
    if (!d->interlaced) {
        for (png_uint_32 y = 0; y < d->height; ++y) {
            if (!readRow(d, sink->scratch))
                return false;
            sink->finish(sink->finisher, sink->scratch, sink->image->rowData(static_cast<int>(y)), width);
            scope->update(y + 1);
        }
        return true;
    }
    // The seven passes in file order, empty ones left out as libpng leaves them out.
    const int bits = bitsPerPixel(sink->image->PixelFormat());
    std::uint64_t total = 0;
    for (int pass = 0; pass < 7; ++pass)
        if (PNG_PASS_COLS(d->width, pass) != 0)
            total += PNG_PASS_ROWS(d->height, pass);
    std::uint64_t done = 0;
    for (int pass = 0; pass < 7; ++pass) {
        const png_uint_32 columns = PNG_PASS_COLS(d->width, pass);
        const png_uint_32 rows = PNG_PASS_ROWS(d->height, pass);
        if (columns == 0 || rows == 0)
            continue;
        for (png_uint_32 r = 0; r < rows; ++r) {
            if (!readRow(d, sink->scratch))
                return false;
            sink->finish(sink->finisher, sink->scratch, sink->passRow, static_cast<int>(columns));
            const int y = static_cast<int>(PNG_ROW_FROM_PASS_ROW(r, pass));
            scatterPixels(sink->passRow, sink->image->rowData(y), bits, static_cast<int>(columns),
                          static_cast<int>(PNG_PASS_START_COL(pass)), static_cast<int>(PNG_PASS_COL_OFFSET(pass)));
            scope->update(static_cast<std::int64_t>(++done * d->height / total));
        }
    }
    return true;
}

inline std::uint8_t over(unsigned colour, unsigned alpha, unsigned background)
{
    return static_cast<std::uint8_t>((colour * alpha + background * (255 - alpha) + 127) / 255);
}

void finishAlpha(const Finisher* f, const std::uint8_t* row, std::uint8_t* out, int width)
{
    if (f->channels == 2) {
        for (int x = 0; x < width; ++x, row += 2)
            out[x] = over(row[0], row[1], f->background[0]);
        return;
    }
    for (int x = 0; x < width; ++x, row += 4, out += 3) {
        out[0] = over(row[0], row[3], f->background[0]);
        out[1] = over(row[1], row[3], f->background[1]);
        out[2] = over(row[2], row[3], f->background[2]);
    }
}

// Grey of depth 1, 2 or 4: the transparent value becomes the background's index, and depth 2
// is widened to the 4-bit buffer (value v is grey level v × 85, which is index v × 5 of the
// sixteen greys).
void finishLowGrey(const Finisher* f, const std::uint8_t* row, std::uint8_t* out, int width)
{
    const int depth = f->depth;
    const unsigned mask = (1u << depth) - 1;
    for (int x = 0; x < width; ++x) {
        const int bit = x * depth;
        unsigned v = (row[bit >> 3] >> (8 - depth - (bit & 7))) & mask;
        if (f->lowGreyTransparent && v == f->transparentIndex)
            v = f->backgroundIndex;
        else if (depth == 2)
            v *= 5;
        if (depth == 1) {
            const std::uint8_t m = static_cast<std::uint8_t>(0x80u >> (x & 7));
            out[x >> 3] = static_cast<std::uint8_t>(v ? (out[x >> 3] | m) : (out[x >> 3] & ~m));
        } else {
            std::uint8_t& b = out[x >> 1];
            b = (x & 1) ? static_cast<std::uint8_t>((b & 0xF0) | v) : static_cast<std::uint8_t>((b & 0x0F) | (v << 4));
        }
    }
}

// Palette depth 2 in a 4-bit buffer: each index moves into its own nibble.
void finishPalette2(const Finisher*, const std::uint8_t* row, std::uint8_t* out, int width)
{
    for (int x = 0; x < width; ++x) {
        const unsigned v = (row[x >> 2] >> (6 - 2 * (x & 3))) & 3u;
        std::uint8_t& b = out[x >> 1];
        b = (x & 1) ? static_cast<std::uint8_t>((b & 0xF0) | v) : static_cast<std::uint8_t>((b & 0x0F) | (v << 4));
    }
}

// A 16-bit sample of bKGD or tRNS scaled to 8 bits the way the pixels are (the high byte).
unsigned to8(unsigned value, int depth) { return depth == 16 ? value >> 8 : value & 0xFF; }

// ---- Writing ----

constexpr int kCompressionLevel = 3;

struct Encoder {
    png_structp png;
    png_infop info;
    std::ostream* out;
    char message[256];
};

struct EncoderDeleter {
    void operator()(Encoder* e) const
    {
        if (e->png)
            png_destroy_write_struct(&e->png, e->info ? &e->info : nullptr);
        delete e;
    }
};

// A failing (or throwing) stream ends the libpng call through the error jump, so no C++
// exception ever crosses libpng's frames.
void writeBytes(png_structp png, png_bytep data, png_size_t length)
{
    auto* e = static_cast<Encoder*>(png_get_io_ptr(png));
    bool ok = false;
    try {
        e->out->write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(length));
        ok = static_cast<bool>(*e->out);
    } catch (...) {
        ok = false;
    }
    if (!ok)
        png_error(png, "Write error");
}
void flushBytes(png_structp) {}

struct WriteLayout {
    int bitDepth;
    int colorType;
    png_color palette[256];
    int paletteCount;
    bool withGamma;
    double fileGamma;
};

bool encodeRows(Encoder* e, const TPixelGraphic* image, const WriteLayout* l, ProgressScope* scope)
{
    if (setjmp(png_jmpbuf(e->png)))
        return false;
    png_set_write_fn(e->png, e, writeBytes, flushBytes);
    png_set_IHDR(e->png, e->info, static_cast<png_uint_32>(image->Width()), static_cast<png_uint_32>(image->Height()),
                 l->bitDepth, l->colorType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (l->colorType == PNG_COLOR_TYPE_PALETTE)
        png_set_PLTE(e->png, e->info, l->palette, l->paletteCount);
    if (l->withGamma)
        png_set_gAMA(e->png, e->info, l->fileGamma);
    // Micrographs are photographs: the difference to the left neighbour (filter Sub) with
    // zlib's fast level 3 gives files a few per cent larger than libpng's defaults (level 6,
    // every filter tried on every row) in about a quarter of the time. Palette and low-depth
    // rows keep libpng's choice (no filter).
    png_set_compression_level(e->png, kCompressionLevel);
    if (l->bitDepth == 8 && l->colorType != PNG_COLOR_TYPE_PALETTE)
        png_set_filter(e->png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_write_info(e->png, e->info);
    if (l->colorType == PNG_COLOR_TYPE_RGB)
        png_set_bgr(e->png);
    const int height = image->Height();
    for (int y = 0; y < height; ++y) {
        png_write_row(e->png, image->rowData(y));
        scope->update(y + 1);
    }
    png_write_end(e->png, e->info);
    return true;
}

}  // namespace

bool isPngSignature(ByteSpan head)
{
    static const std::uint8_t signature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
    return head.size() >= 8 && std::memcmp(head.data(), signature, 8) == 0;
}

namespace {

void decodePng(ByteSpan data, TPixelGraphic& image, double& imageGamma, ProgressSink* progress)
{
    if (!libraryMatchesHeader())
        throw EImageFormat(formattag::png, formatmsg::invalidLibraryVersion);
    std::unique_ptr<Decoder, DecoderDeleter> d(new Decoder{});
    d->data = data.data();
    d->size = data.size();
    d->chunkAt = 8;  // the first chunk, after the signature
    d->nextChunkAt = 8;
    d->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, d.get(), onError<Decoder>, onWarning);
    if (!d->png)
        throw EImageFormat(formattag::png, formatmsg::failed("png_create_read_struct"));
    d->info = png_create_info_struct(d->png);
    if (!d->info)
        throw EImageFormat(formattag::png, formatmsg::failed("png_create_info_struct"));

    const ImageSizeLimits limits = imageSizeLimits();
    const png_uint_32 maxSide = static_cast<png_uint_32>(std::min<std::uint64_t>(limits.maxPixels, PNG_UINT_31_MAX));
    if (!decodeHeader(d.get(), maxSide, maxSide))
        throw EImageFormat(formattag::png, UserText(d->message));

    const bool palette = d->colorType == PNG_COLOR_TYPE_PALETTE;
    const bool grey = d->colorType == PNG_COLOR_TYPE_GRAY || d->colorType == PNG_COLOR_TYPE_GRAY_ALPHA;
    const bool lowDepth = d->lowDepth;
    TPixelFormat format = TPixelFormat::pf24Bit;
    if (lowDepth)
        format = d->bitDepth == 1 ? TPixelFormat::pf1Bit : TPixelFormat::pf4Bit;
    else if (palette || grey)
        format = TPixelFormat::pf8Bit;
    if (d->width > INT_MAX || d->height > INT_MAX ||
        !checkedImageBytes(d->width, d->height, bitsPerPixel(format)))
        throw EImageFormat(formattag::png, formatmsg::imageTooLarge);

    TPixelGraphic result;
    result.SetSize(static_cast<int>(d->width), static_cast<int>(d->height), format);

    Finisher f{};
    f.depth = d->bitDepth;
    std::uint32_t backgroundColour = 0;  // black unless the file names its own
    if (palette) {
        if (d->paletteCount < 1)
            throw EImageFormat(formattag::png, UserText(QT_TRANSLATE_NOOP("Core", "Missing palette")));
        // Indexes beyond the file's palette would fail every colour lookup later; the
        // palette is padded with black to the full size of the pixel format instead.
        std::vector<std::uint32_t> entries(static_cast<std::size_t>(paletteEntriesOf(format)), 0);
        for (int i = 0; i < d->paletteCount && i < static_cast<int>(entries.size()); ++i)
            entries[i] = rgb(d->palette[i].red, d->palette[i].green, d->palette[i].blue);
        if (d->hasBackground && d->background.index < entries.size()) {
            backgroundColour = entries[d->background.index];
            result.SetBackgroundValue(d->background.index);
        }
        for (int i = 0; i < d->paletteAlphaCount && i < static_cast<int>(entries.size()); ++i) {
            const std::uint32_t c = entries[i];
            const unsigned a = d->paletteAlpha[i];
            entries[i] = rgb(over(redOf(c), a, redOf(backgroundColour)), over(greenOf(c), a, greenOf(backgroundColour)),
                             over(blueOf(c), a, blueOf(backgroundColour)));
        }
        result.SetPalette(entries, pUnknown);
    } else if (grey) {
        result.SetPaletteIdent(format == TPixelFormat::pf1Bit ? pBlackWhite
                               : format == TPixelFormat::pf4Bit ? pGray16
                                                               : pGray256);
        if (lowDepth) {
            const unsigned scale = d->bitDepth == 2 ? 5 : 1;
            f.lowGreyTransparent = d->hasTransparentValue;
            f.transparentIndex = d->transparentValue.gray & ((1u << d->bitDepth) - 1);
            if (d->hasBackground) {
                f.backgroundIndex = (d->background.gray & ((1u << d->bitDepth) - 1)) * scale;
                result.SetBackgroundValue(f.backgroundIndex);
            }
        } else if (d->hasBackground) {
            f.background[0] = static_cast<std::uint8_t>(to8(d->background.gray, d->bitDepth));
            result.SetBackgroundValue(f.background[0]);
        }
    } else if (d->hasBackground) {
        f.background[0] = static_cast<std::uint8_t>(to8(d->background.blue, d->bitDepth));
        f.background[1] = static_cast<std::uint8_t>(to8(d->background.green, d->bitDepth));
        f.background[2] = static_cast<std::uint8_t>(to8(d->background.red, d->bitDepth));
        result.SetBackgroundValue(rgb(f.background[2], f.background[1], f.background[0]));
    }

    // Rows that libpng delivers in the buffer's own layout go straight into the buffer;
    // others pass through one scratch row (and one finished pass row when interlaced).
    RowSink sink{result.rowData(0), -static_cast<std::ptrdiff_t>(result.rowStride()), nullptr, &f, &result, nullptr,
                 nullptr};
    if (d->withAlpha) {
        f.channels = grey ? 2 : 4;
        sink.finish = finishAlpha;
    } else if (grey && lowDepth && (d->bitDepth == 2 || d->hasTransparentValue)) {
        sink.finish = finishLowGrey;
    } else if (palette && d->bitDepth == 2) {
        sink.finish = finishPalette2;
    }
    if ((sink.finish != nullptr) != d->needsFinish)
        throw EImageFormat(formattag::png, formatmsg::invalidSizeOf("row"));
    std::vector<std::uint8_t> scratch;
    std::vector<std::uint8_t> passRow;
    if (sink.finish) {
        if (!checkedProduct(d->rowBytes, 1))
            throw EImageFormat(formattag::png, formatmsg::imageTooLarge);
        scratch.assign(d->rowBytes, 0);
        sink.scratch = scratch.data();
        if (d->interlaced) {
            passRow.assign(result.rowStride(), 0);
            sink.passRow = passRow.data();
        }
    } else if (d->rowBytes > result.rowStride()) {
        throw EImageFormat(formattag::png, formatmsg::invalidSizeOf("row"));
    }

    ProgressScope scope(progress, d->height);
    if (!decodeRows(d.get(), &sink, &scope))
        throw EImageFormat(formattag::png, UserText(d->message));
    if (const char* problem = imageDataProblem(data, d->chunkAt))
        throw EImageFormat(formattag::png, UserText(problem));
    if (d->hasGamma)
        imageGamma = 1.0 / d->gamma;
    image = std::move(result);
}

}  // namespace

void readPng(ByteSpan data, TPixelGraphic& image, double& imageGamma, ProgressSink* progress)
{
    // The image and libpng's own buffers are checked against the limits before they are
    // made; memory the system then still refuses ends the load with the same message.
    try {
        decodePng(data, image, imageGamma, progress);
    } catch (const std::bad_alloc&) {
        throw EImageFormat(formattag::png, formatmsg::imageTooLarge);
    }
}

void writePng(const TPixelGraphic& image, std::ostream& out, double imageGamma, ProgressSink* progress)
{
    if (!libraryMatchesHeader())
        throw EImageFormat(formattag::png, formatmsg::invalidLibraryVersion);
    if (image.isEmpty() || image.Width() <= 0 || image.Height() <= 0)
        throw EImageFormat(formattag::png, formatmsg::widthOrHeightZero);

    auto l = std::make_unique<WriteLayout>();
    switch (image.PixelFormat()) {
    case TPixelFormat::pf1Bit:
        l->bitDepth = 1;
        break;
    case TPixelFormat::pf4Bit:
        l->bitDepth = 4;
        break;
    case TPixelFormat::pf8Bit:
    case TPixelFormat::pf24Bit:
        l->bitDepth = 8;
        break;
    }
    if (image.PixelFormat() == TPixelFormat::pf24Bit) {
        l->colorType = PNG_COLOR_TYPE_RGB;
    } else if (image.ColorResolution() == 5) {
        l->colorType = PNG_COLOR_TYPE_GRAY;
    } else {
        l->colorType = PNG_COLOR_TYPE_PALETTE;
        const std::vector<std::uint32_t>& entries = image.Palette();
        l->paletteCount = std::min<int>(static_cast<int>(entries.size()), 1 << l->bitDepth);
        if (l->paletteCount < 1)
            throw EImageFormat(formattag::png, formatmsg::invalidColorResolution);
        for (int i = 0; i < l->paletteCount; ++i) {
            l->palette[i].red = static_cast<png_byte>(redOf(entries[i]));
            l->palette[i].green = static_cast<png_byte>(greenOf(entries[i]));
            l->palette[i].blue = static_cast<png_byte>(blueOf(entries[i]));
        }
    }
    l->withGamma = imageGamma > 0;
    l->fileGamma = l->withGamma ? 1.0 / imageGamma : 0;

    std::unique_ptr<Encoder, EncoderDeleter> e(new Encoder{});
    e->out = &out;
    e->png = png_create_write_struct(PNG_LIBPNG_VER_STRING, e.get(), onError<Encoder>, onWarning);
    if (!e->png)
        throw EImageFormat(formattag::png, formatmsg::failed("png_create_write_struct"));
    e->info = png_create_info_struct(e->png);
    if (!e->info)
        throw EImageFormat(formattag::png, formatmsg::failed("png_create_info_struct"));
    ProgressScope scope(progress, image.Height());
    if (!encodeRows(e.get(), &image, l.get(), &scope)) {
        if (std::strcmp(e->message, "Write error") == 0)
            throw EImageFile(formattag::png + UserText(QT_TRANSLATE_NOOP("Core", "Write error")));
        throw EImageFormat(formattag::png, UserText(e->message));
    }
}

}  // namespace tesra
