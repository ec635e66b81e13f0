#include "imaging/formats/tiff.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <optional>
#include <vector>

#include "imaging/checked_size.h"
#include "imaging/formats/format_error.h"

namespace tesra {

namespace {

// TIFF's messages carry their own tag, so they are raised with an empty format tag.
[[noreturn]] void fail(const std::string& text) { throw EImageFormat(formattag::none, text); }
[[noreturn]] void failTruncated() { fail(std::string("TIFF: ") + formatmsg::unexpectedEnd); }
[[noreturn]] void failTooLarge() { fail(std::string("TIFF: ") + formatmsg::imageTooLarge); }

constexpr const char* kStripCountText = "TIFF: NumStripOffsets<>(ImageLength+RowsPerStrip-1) div RowsPerStrip";

enum Tag : std::uint16_t {
    tagNewSubfileType = 254,
    tagImageWidth = 256,
    tagImageLength = 257,
    tagBitsPerSample = 258,
    tagCompression = 259,
    tagPhotometric = 262,
    tagStripOffsets = 273,
    tagSamplesPerPixel = 277,
    tagRowsPerStrip = 278,
    tagStripByteCounts = 279,
    tagXResolution = 282,
    tagYResolution = 283,
    tagPlanarConfiguration = 284,
    tagResolutionUnit = 296,
    tagColorMap = 320,
    tagTileWidth = 322,
    tagTileOffsets = 324,
};

enum FieldType : std::uint16_t {
    typeByte = 1,
    typeAscii = 2,
    typeShort = 3,
    typeLong = 4,
    typeRational = 5,
    typeSByte = 6,
    typeUndefined = 7,
    typeSShort = 8,
    typeSLong = 9,
    typeSRational = 10,
    typeFloat = 11,
    typeDouble = 12,
};

// Bytes of one value of each field type of TIFF 6.0; 0 for a type this reader does not know.
int fieldTypeSize(std::uint16_t type)
{
    switch (type) {
    case typeByte:
    case typeAscii:
    case typeSByte:
    case typeUndefined:
        return 1;
    case typeShort:
    case typeSShort:
        return 2;
    case typeLong:
    case typeSLong:
    case typeFloat:
        return 4;
    case typeRational:
    case typeSRational:
    case typeDouble:
        return 8;
    default:
        return 0;
    }
}

// Numbers of the file in its own byte order, every access checked against the end.
class TiffBytes {
public:
    TiffBytes(ByteSpan data, bool bigEndian) : m_data(data), m_big(bigEndian) {}

    std::size_t size() const { return m_data.size(); }
    ByteSpan data() const { return m_data; }

    bool contains(std::uint64_t offset, std::uint64_t length) const
    {
        return offset <= m_data.size() && length <= m_data.size() - offset;
    }
    std::uint16_t u16(std::uint64_t offset) const
    {
        if (!contains(offset, 2))
            failTruncated();
        const std::uint8_t* p = m_data.data() + offset;
        return static_cast<std::uint16_t>(m_big ? (p[0] << 8) | p[1] : p[0] | (p[1] << 8));
    }
    std::uint32_t u32(std::uint64_t offset) const
    {
        if (!contains(offset, 4))
            failTruncated();
        const std::uint8_t* p = m_data.data() + offset;
        if (m_big)
            return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
        return std::uint32_t(p[3]) << 24 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
    }

private:
    ByteSpan m_data;
    bool m_big;
};

struct Entry {
    std::uint16_t tag = 0;
    std::uint16_t type = 0;
    std::uint32_t count = 0;
    std::uint64_t valuePos = 0;  // where the values are: in the entry itself or at its offset
};

// The directory of the first image: its entries, with their values still in the file.
class Directory {
public:
    explicit Directory(const TiffBytes& bytes) : m_bytes(bytes) {}

    void read(std::uint32_t offset)
    {
        const std::uint16_t n = m_bytes.u16(offset);
        if (!m_bytes.contains(std::uint64_t(offset) + 2, std::uint64_t(n) * 12))
            failTruncated();
        m_entries.reserve(n);
        for (std::uint32_t i = 0; i < n; ++i) {
            const std::uint64_t pos = std::uint64_t(offset) + 2 + std::uint64_t(i) * 12;
            Entry e;
            e.tag = m_bytes.u16(pos);
            e.type = m_bytes.u16(pos + 2);
            e.count = m_bytes.u32(pos + 4);
            const int size = fieldTypeSize(e.type);
            if (size == 0)
                fail("TIFF: Unsupported field Type: " + std::to_string(e.type));
            const std::uint64_t bytes = std::uint64_t(e.count) * std::uint64_t(size);
            e.valuePos = bytes <= 4 ? pos + 8 : m_bytes.u32(pos + 8);
            // The values of tags this reader never uses may lie anywhere; they are checked
            // against the file only when they are read.
            m_entries.push_back(e);
        }
    }

    const Entry* find(std::uint16_t tag) const
    {
        for (const Entry& e : m_entries)
            if (e.tag == tag)
                return &e;
        return nullptr;
    }

    // The integer values of an entry of type BYTE, SHORT or LONG (or their signed forms).
    // The values must lie inside the file, which bounds the allocation by the file's size.
    std::vector<std::uint32_t> values(const Entry& e, const char* name) const
    {
        const int size = fieldTypeSize(e.type);
        if (size != 1 && size != 2 && size != 4)
            fail(std::string("TIFF: Invalid ") + name);
        if (!m_bytes.contains(e.valuePos, std::uint64_t(e.count) * size))
            failTruncated();
        std::vector<std::uint32_t> out(e.count);
        const ByteSpan d = m_bytes.data();
        for (std::uint32_t i = 0; i < e.count; ++i) {
            const std::uint64_t p = e.valuePos + std::uint64_t(i) * size;
            if (size == 1)
                out[i] = d[p];
            else if (size == 2)
                out[i] = m_bytes.u16(p);
            else
                out[i] = m_bytes.u32(p);
        }
        return out;
    }

    // The first integer value of a tag; nullopt when the tag is absent or has no values.
    std::optional<std::uint32_t> scalar(std::uint16_t tag, const char* name) const
    {
        const Entry* e = find(tag);
        if (!e || e->count == 0)
            return std::nullopt;
        const int size = fieldTypeSize(e->type);
        if (size != 1 && size != 2 && size != 4)
            fail(std::string("TIFF: Invalid ") + name);
        if (!m_bytes.contains(e->valuePos, size))
            failTruncated();
        if (size == 1)
            return m_bytes.data()[e->valuePos];
        if (size == 2)
            return m_bytes.u16(e->valuePos);
        return m_bytes.u32(e->valuePos);
    }

private:
    const TiffBytes& m_bytes;
    std::vector<Entry> m_entries;
};

// What the directory says about the image, checked for consistency.
struct Layout {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t compression = 1;
    std::uint32_t photometric = 1;
    std::uint32_t samples = 1;
    std::uint32_t bitsPerSample = 1;
    std::uint32_t bitsPerPixel = 1;
    std::uint32_t rowsPerStrip = 0;
    std::vector<std::uint32_t> stripOffsets;
    std::vector<std::uint32_t> stripByteCounts;  // empty when absent or unusable
    std::vector<std::uint32_t> colorMap;
};

void checkCompression(std::uint32_t compression)
{
    switch (compression) {
    case 1:
    case 32773:
        return;
    case 2:
        fail("TIFF: Unsupported compression CCITT 1D");
    case 3:
        fail("TIFF: Unsupported compression Group 3 Fax");
    case 4:
        fail("TIFF: Unsupported compression Group 4 Fax");
    case 5:
        fail("TIFF: Unsupported compression LZW");
    case 6:
        fail("TIFF: Unsupported compression JPEG");
    default:
        fail("TIFF: Unsupported compression " + std::to_string(compression));
    }
}

[[noreturn]] void failBits(std::uint32_t bits) { fail("TIFF: Unsupported " + std::to_string(bits) + " Bits/Pixel"); }

Layout readLayout(const Directory& dir, const TiffWarning& warn)
{
    Layout l;
    // Samples and their bits come first: they decide how everything else is read.
    if (const Entry* spp = dir.find(tagSamplesPerPixel)) {
        if (spp->count != 1)
            fail("TIFF: Invalid count of SamplesPerPixel");
        l.samples = *dir.scalar(tagSamplesPerPixel, "SamplesPerPixel");
        if (l.samples < 1 || l.samples > 4)
            fail("TIFF: Invalid SamplesPerPixel");
    }
    if (const Entry* bps = dir.find(tagBitsPerSample)) {
        if (bps->count != 1 && bps->count != l.samples)
            fail("TIFF: Invalid count of SamplesPerPixel");
        const std::vector<std::uint32_t> bits = dir.values(*bps, "BitsPerSample");
        std::uint64_t sum = 0;
        for (std::uint32_t b : bits)
            sum += b;
        if (bits.size() == 1)
            sum *= l.samples;
        l.bitsPerSample = bits[0];
        for (std::uint32_t b : bits)
            if (b != l.bitsPerSample)
                failBits(static_cast<std::uint32_t>(std::min<std::uint64_t>(sum, UINT32_MAX)));
        if (sum > 32)
            failBits(static_cast<std::uint32_t>(std::min<std::uint64_t>(sum, UINT32_MAX)));
    }
    l.bitsPerPixel = l.bitsPerSample * l.samples;

    const auto rps = dir.scalar(tagRowsPerStrip, "RowsPerStrip");
    if (rps && *rps == 0)
        fail("TIFF: Invalid RowsPerStrip");

    const auto width = dir.scalar(tagImageWidth, "ImageWidth");
    const auto height = dir.scalar(tagImageLength, "ImageLength");
    if (!width || *width == 0)
        fail("TIFF: Invalid ImageWidth");
    if (!height || *height == 0)
        fail("TIFF: Invalid ImageLength");
    l.width = *width;
    l.height = *height;

    l.compression = dir.scalar(tagCompression, "Compression").value_or(1);
    checkCompression(l.compression);

    l.photometric = dir.scalar(tagPhotometric, "PhotometricInterpretation").value_or(l.samples >= 3 ? 2 : 1);
    switch (l.photometric) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 5:
        break;
    default:
        fail("TIFF: Unsupported photometric interpretation " + std::to_string(l.photometric));
    }

    const bool oneSample = l.samples == 1;
    switch (l.bitsPerPixel) {
    case 1:
    case 4:
    case 8:
        if (!oneSample || (l.photometric != 0 && l.photometric != 1 && l.photometric != 3))
            failBits(l.bitsPerPixel);
        break;
    case 24:
        if (l.samples != 3 || l.photometric != 2)
            failBits(l.bitsPerPixel);
        break;
    case 32:
        if (l.samples != 4 || (l.photometric != 2 && l.photometric != 5))
            failBits(l.bitsPerPixel);
        break;
    default:
        failBits(l.bitsPerPixel);
    }

    if (l.samples > 1 && dir.scalar(tagPlanarConfiguration, "PlanarConfiguration").value_or(1) != 1)
        fail("TIFF: Unsupported PlanarConfiguration 2");

    if (l.photometric == 3) {
        const Entry* map = dir.find(tagColorMap);
        if (!map || map->count != 3u * (1u << l.bitsPerSample))
            fail("TIFF: Invalid ColorMap");
        l.colorMap = dir.values(*map, "ColorMap");
    }

    const Entry* offsets = dir.find(tagStripOffsets);
    if (!offsets || offsets->count == 0) {
        if (dir.find(tagTileWidth) || dir.find(tagTileOffsets))
            fail("TIFF: Unsupported tiled image");
        fail("TIFF: Invalid StripOffsets");
    }
    // Each strip offset takes at least 2 bytes in the file, so this bounds the allocation by
    // the file's size before the values are read.
    l.stripOffsets = dir.values(*offsets, "StripOffsets");
    if (const Entry* counts = dir.find(tagStripByteCounts); counts && counts->count == offsets->count)
        l.stripByteCounts = dir.values(*counts, "StripByteCounts");

    l.rowsPerStrip = std::min(rps.value_or(l.height), l.height);
    const std::uint64_t expected = (std::uint64_t(l.height) + l.rowsPerStrip - 1) / l.rowsPerStrip;
    if (l.stripOffsets.size() != expected) {
        if (l.stripOffsets.size() != 1)
            fail(kStripCountText);
        if (warn && !warn("TIFF-Warning", kStripCountText))
            fail(kStripCountText);
        l.rowsPerStrip = l.height;
        if (l.stripByteCounts.size() != 1)
            l.stripByteCounts.clear();
    }
    return l;
}

// Decodes one PackBits row of `row.size()` bytes from `in` at `pos`; false when the input
// ends early or a run would overrun the row.
bool unpackBitsRow(ByteSpan in, std::size_t& pos, std::uint8_t* row, std::size_t rowBytes)
{
    std::size_t done = 0;
    while (done < rowBytes) {
        if (pos >= in.size())
            return false;
        const int n = static_cast<std::int8_t>(in[pos++]);
        if (n >= 0) {
            const std::size_t count = static_cast<std::size_t>(n) + 1;
            if (count > rowBytes - done || count > in.size() - pos)
                return false;
            std::memcpy(row + done, in.data() + pos, count);
            pos += count;
            done += count;
        } else if (n != -128) {
            const std::size_t count = static_cast<std::size_t>(1 - n);
            if (count > rowBytes - done || pos >= in.size())
                return false;
            std::memset(row + done, in[pos++], count);
            done += count;
        }
    }
    return true;
}

// Turns one row of file samples into the buffer's row layout.
void storeRow(const Layout& l, const std::uint8_t* src, std::size_t fileRowBytes, std::uint8_t* dst)
{
    switch (l.bitsPerPixel) {
    case 1:
    case 4:
    case 8: {
        std::memcpy(dst, src, fileRowBytes);
        if (l.photometric == 0) {
            for (std::size_t i = 0; i < fileRowBytes; ++i)
                dst[i] = static_cast<std::uint8_t>(~dst[i]);
        }
        // Bits beyond the last pixel stay zero, as in every other buffer.
        const std::uint64_t usedBits = std::uint64_t(l.width) * l.bitsPerPixel;
        if (usedBits % 8 != 0)
            dst[fileRowBytes - 1] &= static_cast<std::uint8_t>(0xFF00u >> (usedBits % 8));
        return;
    }
    case 24:
        for (std::uint32_t x = 0; x < l.width; ++x, src += 3, dst += 3) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
        }
        return;
    case 32:
        if (l.photometric == 5) {
            for (std::uint32_t x = 0; x < l.width; ++x, src += 4, dst += 3) {
                const int k = src[3];
                dst[0] = static_cast<std::uint8_t>(std::max(255 - src[2] - k, 0));
                dst[1] = static_cast<std::uint8_t>(std::max(255 - src[1] - k, 0));
                dst[2] = static_cast<std::uint8_t>(std::max(255 - src[0] - k, 0));
            }
            return;
        }
        // RGB with a fourth sample (alpha or anything else), which is not used.
        for (std::uint32_t x = 0; x < l.width; ++x, src += 4, dst += 3) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
        }
        return;
    }
}

void setPalette(const Layout& l, TPixelGraphic& image)
{
    if (l.photometric == 3) {
        const std::size_t n = std::size_t(1) << l.bitsPerSample;
        std::vector<std::uint32_t> palette(n);
        for (std::size_t i = 0; i < n; ++i)
            palette[i] = rgb(l.colorMap[i] >> 8, l.colorMap[n + i] >> 8, l.colorMap[2 * n + i] >> 8);
        image.SetPalette(palette, pUnknown);
        return;
    }
    if (l.bitsPerPixel == 1)
        image.SetPaletteIdent(pBlackWhite);
    else if (l.bitsPerPixel == 4)
        image.SetPaletteIdent(pGray16);
    else if (l.bitsPerPixel == 8)
        image.SetPaletteIdent(pGray256);
}

}  // namespace

bool isTiffSignature(ByteSpan head)
{
    if (head.size() < 4)
        return false;
    return (head[0] == 'I' && head[1] == 'I' && head[2] == 42 && head[3] == 0) ||
           (head[0] == 'M' && head[1] == 'M' && head[2] == 0 && head[3] == 42);
}

void readTiff(ByteSpan data, TPixelGraphic& image, const TiffWarning& warn, ProgressSink* progress)
{
    if (!isTiffSignature(data))
        fail("TIFF: Not a TIF file");
    const TiffBytes bytes(data, data[0] == 'M');
    Directory dir(bytes);
    dir.read(bytes.u32(4));
    const Layout l = readLayout(dir, warn);

    if (l.width > INT_MAX || l.height > INT_MAX)
        failTooLarge();
    const int width = static_cast<int>(l.width);
    const int height = static_cast<int>(l.height);
    const TPixelFormat format = pixelFormatForBits(l.bitsPerPixel);
    if (!checkedImageBytes(width, height, bitsPerPixel(format)))
        failTooLarge();
    const auto fileRow = checkedProduct(l.width, l.bitsPerPixel);
    if (!fileRow)
        failTooLarge();
    const std::size_t fileRowBytes = static_cast<std::size_t>((*fileRow + 7) / 8);

    // Uncompressed strips must be complete before anything is allocated: a file that is cut
    // short is refused with a clear message instead of showing a partly black image.
    if (l.compression == 1) {
        for (std::size_t s = 0; s < l.stripOffsets.size(); ++s) {
            const std::uint64_t firstRow = std::uint64_t(s) * l.rowsPerStrip;
            const std::uint64_t rows = std::min<std::uint64_t>(l.rowsPerStrip, l.height - firstRow);
            if (!bytes.contains(l.stripOffsets[s], rows * fileRowBytes))
                failTruncated();
        }
    }

    TPixelGraphic result;
    result.SetSize(width, height, format);
    setPalette(l, result);

    std::vector<std::uint8_t> packed;
    if (l.compression != 1)
        packed.resize(fileRowBytes);
    ProgressScope scope(progress, height);
    std::uint32_t y = 0;
    for (std::size_t s = 0; s < l.stripOffsets.size() && y < l.height; ++s) {
        const std::uint32_t rows = std::min(l.rowsPerStrip, l.height - y);
        const std::uint64_t offset = l.stripOffsets[s];
        if (l.compression == 1) {
            const std::uint8_t* src = data.data() + offset;
            for (std::uint32_t r = 0; r < rows; ++r, ++y, src += fileRowBytes) {
                storeRow(l, src, fileRowBytes, result.rowData(static_cast<int>(y)));
                scope.update(y + 1);
            }
            continue;
        }
        if (offset > data.size())
            failTruncated();
        // A strip's byte count, where the file gives a usable one, bounds its runs; otherwise
        // the runs may go on to the end of the file.
        std::uint64_t length = data.size() - offset;
        if (!l.stripByteCounts.empty())
            length = std::min<std::uint64_t>(length, l.stripByteCounts[s]);
        const ByteSpan strip = data.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
        std::size_t pos = 0;
        for (std::uint32_t r = 0; r < rows; ++r, ++y) {
            if (!unpackBitsRow(strip, pos, packed.data(), fileRowBytes))
                fail("TIFF (PackBits): Invalid count of bytes in row " + std::to_string(y));
            storeRow(l, packed.data(), fileRowBytes, result.rowData(static_cast<int>(y)));
            scope.update(y + 1);
        }
    }
    image = std::move(result);
}

// ---------------------------------------------------------------------------------------------
// Writer

std::uint32_t tiffRowsPerStrip(std::uint64_t bytesPerRow, std::uint32_t height)
{
    std::uint64_t rows = bytesPerRow == 0 ? 1 : 32767 / bytesPerRow;
    rows = std::max<std::uint64_t>(rows, 1);
    rows = std::min<std::uint64_t>(rows, std::max<std::uint32_t>(height, 1));
    return static_cast<std::uint32_t>(rows);
}

namespace {

// Little-endian output with the position counted, so that offsets can be checked as written.
class LeWriter {
public:
    explicit LeWriter(std::ostream& out) : m_out(out) {}
    void u8(std::uint8_t v) { put(&v, 1); }
    void u16(std::uint16_t v)
    {
        const std::uint8_t b[2] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)};
        put(b, 2);
    }
    void u32(std::uint32_t v)
    {
        const std::uint8_t b[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                                   static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
        put(b, 4);
    }
    void put(const std::uint8_t* p, std::size_t n)
    {
        m_out.write(reinterpret_cast<const char*>(p), static_cast<std::streamsize>(n));
        m_pos += n;
    }
    // A fill byte 0 where the next value would start at an odd offset.
    void align()
    {
        if (m_pos % 2)
            u8(0);
    }
    std::uint64_t pos() const { return m_pos; }

private:
    std::ostream& m_out;
    std::uint64_t m_pos = 0;
};

std::uint64_t evenUp(std::uint64_t v) { return (v + 1) & ~std::uint64_t(1); }

struct OutEntry {
    std::uint16_t tag;
    std::uint16_t type;
    std::uint32_t count;
    std::uint32_t value;  // the value itself when it fits in 4 bytes, else its offset
};

}  // namespace

void writeTiff(const TPixelGraphic& image, std::ostream& out, ProgressSink* progress)
{
    if (image.isEmpty() || image.Width() <= 0 || image.Height() <= 0)
        fail(std::string("TIFF: ") + formatmsg::widthOrHeightZero);
    const int resolution = image.ColorResolution();
    if (resolution == 1)
        fail(std::string("TIFF: ") + formatmsg::invalidColorResolution);

    const std::uint32_t width = static_cast<std::uint32_t>(image.Width());
    const std::uint32_t height = static_cast<std::uint32_t>(image.Height());
    const int bits = image.bitsPerPixel();
    const bool colour = bits == 24;
    const int bitsPerSample = colour ? 8 : bits;
    const int samples = colour ? 3 : 1;
    // Black and white and the grey palettes are black-is-zero data; every other palette is
    // written with its colour map.
    const bool withMap = !colour && resolution != 0 && resolution != 2 && resolution != 5;
    const std::uint16_t photometric = colour ? 2 : (withMap ? 3 : 1);

    const std::uint64_t rowBytes = (std::uint64_t(width) * bits + 7) / 8;
    const std::uint32_t rowsPerStrip = tiffRowsPerStrip(rowBytes, height);
    const std::uint32_t strips = (height + rowsPerStrip - 1) / rowsPerStrip;

    // Layout: header, pixel strips, the values that do not fit into their entries, directory.
    const std::uint64_t imageStart = 8;
    const std::uint64_t imageBytes = rowBytes * height;
    std::uint64_t pos = evenUp(imageStart + imageBytes);
    const std::uint64_t bitsPerSamplePos = pos;
    if (samples == 3)
        pos = evenUp(pos + 6);
    const std::uint64_t offsetsPos = pos;
    if (strips > 1)
        pos = evenUp(pos + 4ull * strips);
    const std::uint64_t countsPos = pos;
    if (strips > 1)
        pos = evenUp(pos + 4ull * strips);
    const std::uint64_t xResPos = pos;
    const std::uint64_t yResPos = pos + 8;
    pos += 16;
    const std::uint64_t mapEntries = withMap ? 3ull << bits : 0;
    const std::uint64_t mapPos = pos;
    pos = evenUp(pos + 2 * mapEntries);
    const std::uint64_t dirPos = pos;
    const int entryCount = withMap ? 14 : 13;
    const std::uint64_t fileSize = dirPos + 2 + 12ull * entryCount + 4;
    if (fileSize > UINT32_MAX)
        fail(std::string("TIFF: ") + formatmsg::imageTooLarge);

    auto stripOffset = [&](std::uint32_t s) {
        return static_cast<std::uint32_t>(imageStart + std::uint64_t(s) * rowsPerStrip * rowBytes);
    };
    auto stripBytes = [&](std::uint32_t s) {
        const std::uint32_t rows = std::min(rowsPerStrip, height - s * rowsPerStrip);
        return static_cast<std::uint32_t>(rows * rowBytes);
    };

    LeWriter w(out);
    w.u8('I');
    w.u8('I');
    w.u16(42);
    w.u32(static_cast<std::uint32_t>(dirPos));

    ProgressScope scope(progress, height);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(rowBytes));
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint8_t* src = image.rowData(static_cast<int>(y));
        if (colour) {
            for (std::uint32_t x = 0; x < width; ++x) {
                row[3 * x] = src[3 * x + 2];
                row[3 * x + 1] = src[3 * x + 1];
                row[3 * x + 2] = src[3 * x];
            }
            w.put(row.data(), row.size());
        } else {
            w.put(src, static_cast<std::size_t>(rowBytes));
        }
        scope.update(y + 1);
    }
    w.align();

    if (samples == 3) {
        for (int i = 0; i < 3; ++i)
            w.u16(8);
        w.align();
    }
    if (strips > 1) {
        for (std::uint32_t s = 0; s < strips; ++s)
            w.u32(stripOffset(s));
        for (std::uint32_t s = 0; s < strips; ++s)
            w.u32(stripBytes(s));
    }
    for (int i = 0; i < 2; ++i) {
        w.u32(300);
        w.u32(1);
    }
    if (withMap) {
        const std::vector<std::uint32_t>& palette = image.Palette();
        const std::size_t n = std::size_t(1) << bits;
        for (int channel = 0; channel < 3; ++channel) {
            for (std::size_t i = 0; i < n; ++i) {
                const std::uint32_t c = i < palette.size() ? palette[i] : 0;
                w.u16(static_cast<std::uint16_t>(((c >> (8 * channel)) & 0xFF) * 256));
            }
        }
        w.align();
    }

    const OutEntry entries[] = {
        {tagNewSubfileType, typeLong, 1, 0},
        {tagImageWidth, typeLong, 1, width},
        {tagImageLength, typeLong, 1, height},
        {tagBitsPerSample, typeShort, static_cast<std::uint32_t>(samples),
         samples == 3 ? static_cast<std::uint32_t>(bitsPerSamplePos) : static_cast<std::uint32_t>(bitsPerSample)},
        {tagCompression, typeShort, 1, 1},
        {tagPhotometric, typeShort, 1, photometric},
        {tagStripOffsets, typeLong, strips, strips > 1 ? static_cast<std::uint32_t>(offsetsPos) : stripOffset(0)},
        {tagSamplesPerPixel, typeShort, 1, static_cast<std::uint32_t>(samples)},
        {tagRowsPerStrip, typeLong, 1, rowsPerStrip},
        {tagStripByteCounts, typeLong, strips, strips > 1 ? static_cast<std::uint32_t>(countsPos) : stripBytes(0)},
        {tagXResolution, typeRational, 1, static_cast<std::uint32_t>(xResPos)},
        {tagYResolution, typeRational, 1, static_cast<std::uint32_t>(yResPos)},
        {tagResolutionUnit, typeShort, 1, 2},
        {tagColorMap, typeShort, static_cast<std::uint32_t>(mapEntries), static_cast<std::uint32_t>(mapPos)},
    };
    w.u16(static_cast<std::uint16_t>(entryCount));
    for (int i = 0; i < entryCount; ++i) {
        const OutEntry& e = entries[i];
        w.u16(e.tag);
        w.u16(e.type);
        w.u32(e.count);
        // A single SHORT sits in the first two bytes of the value field.
        if (e.type == typeShort && e.count == 1) {
            w.u16(static_cast<std::uint16_t>(e.value));
            w.u16(0);
        } else {
            w.u32(e.value);
        }
    }
    w.u32(0);
    if (!out)
        throw EImageFile("TIFF: Write error");
}

}  // namespace tesra
