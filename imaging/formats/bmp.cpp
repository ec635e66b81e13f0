#include "imaging/formats/bmp.h"

#include "imaging/checked_size.h"
#include "imaging/formats/codec_support.h"

#include <bit>
#include <cstring>
#include <ostream>

namespace tesra {
namespace {

constexpr const char* kTag = formattag::bmp;
constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;

enum Compression : std::uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3 };

[[noreturn]] void fail(const std::string& text) { throw EImageFormat(kTag, text); }

// What the user can do about a bitmap the reader refuses.
constexpr const char* kHintResave = QT_TRANSLATE_NOOP("Core", " \u2014 save the image again as a Windows bitmap or as PNG and open it again");
constexpr const char* kHintUncompressed = QT_TRANSLATE_NOOP("Core", " \u2014 save the image as an uncompressed bitmap or as PNG and open it again");
constexpr const char* kHintBits = QT_TRANSLATE_NOOP("Core", " \u2014 save the image with 1, 4, 8, 24 or 32 bits per pixel, or as PNG, and open it again");

// Header sizes beyond the 40-byte one: 52 and 56 add colour masks inside the header (as do
// 108 and 124, with colour space fields after them); 64 is the OS/2 2.x header, which shares
// the first 40 bytes and numbers its compressions differently.
constexpr std::uint32_t kOs2HeaderSize = 64;
bool isInfoHeaderSize(std::uint32_t size)
{
    return size == kInfoHeaderSize || size == 52 || size == 56 || size == 108 || size == 124 || size == kOs2HeaderSize;
}

// One colour channel of a 16- or 32-bit pixel, given by its mask: shifted down and scaled to
// 0..255 with rounding. An empty mask gives 0.
class Channel {
public:
    explicit Channel(std::uint32_t mask)
    {
        if (mask == 0)
            return;
        m_shift = std::countr_zero(mask);
        // Only the contiguous bits from the lowest one count; stray bits above a gap are ignored.
        const std::uint32_t shifted = mask >> m_shift;
        const int bits = std::countr_one(shifted);
        m_max = bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
    }
    std::uint8_t operator()(std::uint32_t pixel) const
    {
        if (m_max == 0)
            return 0;
        const std::uint32_t v = (pixel >> m_shift) & m_max;
        if (m_max == 255)
            return static_cast<std::uint8_t>(v);
        return static_cast<std::uint8_t>((static_cast<std::uint64_t>(v) * 255 + m_max / 2) / m_max);
    }

private:
    int m_shift = 0;
    std::uint32_t m_max = 0;
};

struct Header {
    std::int64_t width = 0;
    std::int64_t height = 0;  // positive; topDown says how the rows are stored
    bool topDown = false;
    int bits = 0;
    std::uint32_t compression = kRgb;
    std::uint32_t masks[3] = {0, 0, 0};  // red, green, blue for 16 and 32 bits
    std::vector<std::uint32_t> palette;
    std::uint64_t pixelOffset = 0;
};

// Palette entries between `start` and the pixel data, at most `wanted`. Files that leave no room
// for a full palette before their pixels (some writers shorten it) keep the entries that fit.
std::vector<std::uint32_t> readPalette(ByteReader& in, std::uint64_t start, std::uint64_t pixelOffset, std::uint64_t wanted,
                                       int entrySize)
{
    std::uint64_t count = wanted;
    if (pixelOffset > start && (pixelOffset - start) / entrySize < count)
        count = (pixelOffset - start) / entrySize;
    in.seek(start);
    in.need(count * entrySize);
    std::vector<std::uint32_t> palette;
    palette.reserve(static_cast<std::size_t>(count));
    for (std::uint64_t i = 0; i < count; ++i) {
        const ByteSpan e = in.bytes(static_cast<std::uint64_t>(entrySize));
        palette.push_back(rgb(e[2], e[1], e[0]));
    }
    return palette;
}

Header readHeader(ByteReader& in)
{
    Header h;
    if (in.size() < 2 || in.data()[0] != 'B' || in.data()[1] != 'M')
        fail(formatmsg::notAFile("BMP"));
    in.skip(2);
    // The file size field is not needed for uncompressed pixels: many writers get it wrong, and
    // a cut-off file is found by its pixel data. (More data is fine: the measurement of a saved
    // image follows the bitmap.) Run-length data may end early by design, so there a size
    // beyond the data still marks a cut-off file; see readHeader's end.
    const std::uint32_t fileSize = in.u32le();
    in.skip(4);
    h.pixelOffset = in.u32le();
    const std::uint32_t headerSize = in.u32le();
    const std::uint64_t headerEnd = kFileHeaderSize + static_cast<std::uint64_t>(headerSize);

    if (headerSize == kCoreHeaderSize) {
        h.width = in.u16le();
        h.height = in.u16le();
        if (in.u16le() != 1)
            fail(formatmsg::invalid("BitmapCoreHeader.bcPlanes"));
        h.bits = in.u16le();
        if (h.bits != 1 && h.bits != 4 && h.bits != 8 && h.bits != 24)
            fail(formatmsg::invalid("BitmapCoreHeader.bcBitCount") + UserText(kHintBits));
        if (h.width == 0)
            fail(UserText(QT_TRANSLATE_NOOP("Core", "Invalid image width")));
        if (h.height == 0)
            fail(UserText(QT_TRANSLATE_NOOP("Core", "Invalid image height")));
        if (h.pixelOffset < headerEnd)
            fail(UserText(QT_TRANSLATE_NOOP("Core", "Invalid offset of the pixel data")));
        if (h.bits <= 8)
            h.palette = readPalette(in, headerEnd, h.pixelOffset, 1u << h.bits, 3);
        return h;
    }

    if (!isInfoHeaderSize(headerSize))
        fail(formatmsg::invalidSizeOf("BitmapInfoHeader/BitmapCoreHeader") + UserText(kHintResave));
    const std::int32_t width = in.i32le();
    const std::int32_t height = in.i32le();
    if (in.u16le() != 1)
        fail(formatmsg::invalid("BitmapInfoHeader.biPlanes"));
    h.bits = in.u16le();
    if (h.bits != 1 && h.bits != 4 && h.bits != 8 && h.bits != 16 && h.bits != 24 && h.bits != 32)
        fail(formatmsg::invalid("BitmapInfoHeader.biBitCount") + UserText(kHintBits));
    h.compression = in.u32le();
    // OS/2 2.x numbers Huffman 1D and 24-bit run lengths 3 and 4, and has no bit fields.
    const bool bitFieldsAllowed = headerSize != kOs2HeaderSize;
    const bool compressionFits = (h.compression == kRgb) || (h.compression == kRle8 && h.bits == 8) ||
                                 (h.compression == kRle4 && h.bits == 4) ||
                                 (bitFieldsAllowed && h.compression == kBitFields && (h.bits == 16 || h.bits == 32));
    if (!compressionFits)
        fail(formatmsg::invalid("BitmapInfoHeader.biCompression") + UserText(kHintUncompressed));
    // The image size and the resolution are not needed for the pixels; writers fill them in
    // carelessly (sizes that disagree with the file, negative resolutions), so they are not
    // checked. A cut-off file is found by its pixel data.
    in.skip(12);
    const std::uint32_t colorsUsed = in.u32le();
    in.skip(4);  // important colours

    if (width <= 0)
        fail(UserText(QT_TRANSLATE_NOOP("Core", "Invalid image width")));
    if (height == 0 || height == INT32_MIN)
        fail(UserText(QT_TRANSLATE_NOOP("Core", "Invalid image height")));
    h.width = width;
    h.height = height < 0 ? -static_cast<std::int64_t>(height) : height;
    h.topDown = height < 0;
    // Run-length data is always stored bottom-up.
    const bool runLength = h.compression == kRle8 || h.compression == kRle4;
    if (h.topDown && runLength)
        fail(formatmsg::invalid("BitmapInfoHeader.biCompression") + UserText(kHintUncompressed));
    if (runLength && fileSize > in.size())
        fail(UserText(formatmsg::unexpectedEnd));

    std::uint64_t paletteStart = headerEnd;
    if (h.compression == kBitFields) {
        // The 40-byte header is followed by three masks; the longer ones hold them inside.
        in.seek(headerSize == kInfoHeaderSize ? headerEnd : kFileHeaderSize + kInfoHeaderSize);
        for (std::uint32_t& m : h.masks)
            m = in.u32le();
        if (headerSize == kInfoHeaderSize)
            paletteStart += 12;
        // Each colour needs its own bits within the pixel.
        const std::uint64_t pixelMask = (std::uint64_t{1} << h.bits) - 1;
        const std::uint32_t r = h.masks[0], g = h.masks[1], b = h.masks[2];
        if (r == 0 || g == 0 || b == 0 || (r & g) || (r & b) || (g & b) || ((r | g | b) & ~pixelMask))
            fail(UserText(QT_TRANSLATE_NOOP("Core", "Invalid colour masks")));
    } else if (h.bits == 16) {
        h.masks[0] = 0x7C00, h.masks[1] = 0x03E0, h.masks[2] = 0x001F;
    } else if (h.bits == 32) {
        h.masks[0] = 0xFF0000, h.masks[1] = 0xFF00, h.masks[2] = 0xFF;
    }
    if (h.pixelOffset < paletteStart)
        fail(UserText(QT_TRANSLATE_NOOP("Core", "Invalid offset of the pixel data")));
    // A colour count matters only for palettes (24- and 32-bit files may carry any count);
    // more entries than the bits address mark a damaged header.
    if (h.bits <= 8) {
        const std::uint64_t full = 1u << h.bits;
        if (colorsUsed > full)
            fail(UserText(QT_TRANSLATE_NOOP("Core", "Invalid number of palette colours")));
        const std::uint64_t wanted = colorsUsed == 0 ? full : colorsUsed;
        h.palette = readPalette(in, paletteStart, h.pixelOffset, wanted, 4);
    }
    return h;
}

void readUncompressed(ByteReader& in, const Header& h, TPixelGraphic& image, ProgressSink* sink)
{
    const auto stride = checkedRowStride(h.width, h.bits);
    if (!stride)
        fail(UserText(formatmsg::imageTooLarge));
    // Bytes of pixels in a row; the last row needs only these, not its padding (some writers
    // leave that off).
    const std::uint64_t lastRow = (static_cast<std::uint64_t>(h.width) * h.bits + 7) / 8;
    const auto before = checkedProduct(*stride, static_cast<std::uint64_t>(h.height - 1));
    if (!before)
        fail(UserText(formatmsg::imageTooLarge));
    in.seek(h.pixelOffset);
    in.need(*before + lastRow);
    const std::uint8_t* base = in.data().data() + h.pixelOffset;
    const int width = image.Width();
    const int height = image.Height();
    ProgressScope progress(sink, height);

    const Channel red(h.masks[0]), green(h.masks[1]), blue(h.masks[2]);
    for (int y = 0; y < height; ++y) {
        // File row i is image row height-1-i when stored bottom-up.
        const std::uint64_t fileRow = h.topDown ? static_cast<std::uint64_t>(y) : static_cast<std::uint64_t>(height - 1 - y);
        const std::uint8_t* src = base + fileRow * *stride;
        std::uint8_t* dst = image.rowData(y);
        if (h.bits <= 8 || h.bits == 24) {
            std::memcpy(dst, src, static_cast<std::size_t>(lastRow));
        } else if (h.bits == 16) {
            for (int x = 0; x < width; ++x) {
                const std::uint32_t p = static_cast<std::uint32_t>(src[2 * x] | (src[2 * x + 1] << 8));
                dst[3 * x] = blue(p), dst[3 * x + 1] = green(p), dst[3 * x + 2] = red(p);
            }
        } else {
            for (int x = 0; x < width; ++x) {
                const std::uint8_t* s = src + 4 * static_cast<std::size_t>(x);
                const std::uint32_t p = std::uint32_t(s[0]) | std::uint32_t(s[1]) << 8 | std::uint32_t(s[2]) << 16 |
                                        std::uint32_t(s[3]) << 24;
                dst[3 * x] = blue(p), dst[3 * x + 1] = green(p), dst[3 * x + 2] = red(p);
            }
        }
        progress.update(y + 1);
    }
}

// Run-length encoded 8- or 4-bit data. Runs and absolute stretches that go past the end of the
// row are cut off there (common writers do produce them). A delta that leaves the image, data
// for rows beyond the last one, and data that ends before the end-of-bitmap mark or the last
// row are errors.
constexpr const char* kRunLengthInvalid = QT_TRANSLATE_NOOP("Core", "Invalid run-length data");

void readRunLength(ByteReader& in, const Header& h, TPixelGraphic& image, ProgressSink* sink)
{
    in.seek(h.pixelOffset);
    const bool four = h.compression == kRle4;
    const std::int64_t width = image.Width();
    const std::int64_t height = image.Height();
    std::int64_t x = 0;
    std::int64_t row = 0;  // counted from the bottom, as stored
    ProgressScope progress(sink, height);

    auto put = [&](std::uint32_t index) {
        if (x < width) {
            std::uint8_t* dst = image.rowData(static_cast<int>(height - 1 - row));
            if (!four)
                dst[x] = static_cast<std::uint8_t>(index);
            else if (x & 1)
                dst[x >> 1] = static_cast<std::uint8_t>((dst[x >> 1] & 0xF0) | index);
            else
                dst[x >> 1] = static_cast<std::uint8_t>((dst[x >> 1] & 0x0F) | (index << 4));
        }
        ++x;
    };

    for (;;) {
        if (row >= height && in.atEnd())
            break;
        const std::uint8_t count = in.u8();
        const std::uint8_t value = in.u8();
        if (count == 0 && value == 1)  // end of bitmap
            break;
        if (row >= height)
            fail(UserText(kRunLengthInvalid));
        if (count > 0) {
            for (int i = 0; i < count && x < width; ++i)
                put(four ? ((i & 1) ? value & 0x0F : value >> 4) : value);
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++row;
            progress.update(row);
            continue;
        }
        if (value == 2) {  // delta
            x += in.u8();
            row += in.u8();
            if (x > width || row > height)
                fail(UserText(kRunLengthInvalid));
            progress.update(row);
            continue;
        }
        // Absolute stretch of `value` pixels, padded to a 16-bit boundary.
        const std::uint32_t bytes = four ? (value + 1u) / 2 : value;
        const ByteSpan data = in.bytes(bytes + (bytes & 1));
        for (int i = 0; i < value && x < width; ++i)
            put(four ? ((i & 1) ? data[i / 2] & 0x0F : data[i / 2] >> 4) : data[i]);
    }
}

// A pixel whose index has no palette entry in the file marks a damaged file.
void checkIndexes(const TPixelGraphic& image, std::size_t paletteCount)
{
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            if (image.GetPixel(x, y) >= paletteCount)
                fail(UserText(QT_TRANSLATE_NOOP("Core", "Invalid palette index")));
}

}  // namespace

bool isBmpSignature(ByteSpan head) { return head.size() >= 2 && head[0] == 'B' && head[1] == 'M'; }

void readBmp(ByteSpan data, TPixelGraphic& image, ProgressSink* progress)
{
    ByteReader in(data, kTag);
    const Header h = readHeader(in);
    TPixelGraphic result;
    allocateImage(result, h.width, h.height, pixelFormatForBits(h.bits), kTag);
    if (h.bits <= 8)
        setFilePalette(result, h.palette);
    if (h.compression == kRle8 || h.compression == kRle4)
        readRunLength(in, h, result, progress);
    else
        readUncompressed(in, h, result, progress);
    if (h.bits <= 8 && h.palette.size() < (std::size_t{1} << h.bits))
        checkIndexes(result, h.palette.size());
    image = std::move(result);
}

void writeBmp(const TPixelGraphic& image, std::ostream& out, ProgressSink* progress)
{
    const int bits = image.bitsPerPixel();
    std::size_t paletteCount = 0;
    if (bits <= 8)
        paletteCount = std::min<std::size_t>(image.Palette().size(), std::size_t{1} << bits);
    const std::uint64_t offset = kFileHeaderSize + kInfoHeaderSize + 4 * paletteCount;
    const std::uint64_t fileSize = offset + image.bitsSize();

    std::vector<std::uint8_t> header;
    header.reserve(static_cast<std::size_t>(offset));
    putU8(header, 'B');
    putU8(header, 'M');
    putU32le(header, static_cast<std::uint32_t>(fileSize));
    putU32le(header, 0);
    putU32le(header, static_cast<std::uint32_t>(offset));
    putU32le(header, kInfoHeaderSize);
    putU32le(header, static_cast<std::uint32_t>(image.Width()));
    putU32le(header, static_cast<std::uint32_t>(image.Height()));
    putU16le(header, 1);
    putU16le(header, static_cast<unsigned>(bits));
    putU32le(header, kRgb);
    putU32le(header, static_cast<std::uint32_t>(image.bitsSize()));
    putU32le(header, 0);  // pixels per metre: not known
    putU32le(header, 0);
    putU32le(header, static_cast<std::uint32_t>(paletteCount));
    putU32le(header, 0);
    for (std::size_t i = 0; i < paletteCount; ++i) {
        const std::uint32_t c = image.Palette()[i];
        putU8(header, static_cast<unsigned>(blueOf(c)));
        putU8(header, static_cast<unsigned>(greenOf(c)));
        putU8(header, static_cast<unsigned>(redOf(c)));
        putU8(header, 0);
    }
    writeBytes(out, header);

    // The buffer's storage is already the bitmap's: bottom row first, rows padded to 4 bytes.
    ProgressScope scope(progress, image.Height());
    for (int i = 0; i < image.Height(); ++i) {
        writeBytes(out, image.bits() + static_cast<std::size_t>(i) * image.rowStride(), image.rowStride());
        scope.update(i + 1);
    }
}

ImageReader bmpReader()
{
    ImageReader r;
    r.extensions = {"bmp", "dib", "rle"};
    r.description = "Bitmap";
    r.recognise = isBmpSignature;
    r.read = [](ByteSpan data, TPixelGraphic& image, LoadContext& context) { readBmp(data, image, context.progress()); };
    return r;
}

ImageWriter bmpWriter()
{
    ImageWriter w;
    w.extensions = {"bmp", "dib"};
    w.description = "Bitmap";
    w.resolutions = kAllResolutions;
    w.write = [](const TPixelGraphic& image, std::ostream& out, SaveContext& context) {
        writeBmp(image, out, context.progress());
    };
    return w;
}

}  // namespace tesra
