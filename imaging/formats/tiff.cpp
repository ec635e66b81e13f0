#include "imaging/formats/tiff.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

#include "imaging/checked_size.h"
#include "imaging/formats/format_error.h"
#include "imaging/formats/tiff_compression.h"

namespace tesra {

namespace {

// TIFF's messages carry their own tag, so they are raised with an empty format tag.
[[noreturn]] void fail(const std::string& text) { throw EImageFormat(formattag::none, text); }
[[noreturn]] void failTruncated() { fail(std::string("TIFF: ") + UserText(formatmsg::unexpectedEnd)); }
[[noreturn]] void failTooLarge() { fail(std::string("TIFF: ") + UserText(formatmsg::imageTooLarge)); }
// A PackBits row whose runs do not add up to the row's bytes (rows counted from 0).
[[noreturn]] void failPackBitsRow(std::uint64_t row)
{
    fail(FillIn(UserText(QT_TRANSLATE_NOOP("Core", "TIFF (PackBits): Invalid count of bytes in row %1")), {std::to_string(row)}));
}
// A field of the file holds a value the reader cannot use; `field` is the field's own name.
[[noreturn]] void failInvalid(const std::string& field)
{
    fail(FillIn(UserText(QT_TRANSLATE_NOOP("Core", "TIFF: Invalid %1")), {field}));
}

// What the user can do about a file the reader refuses: most programs that wrote it can save
// it again in a form every reader takes.
constexpr const char* kHintCompression = QT_TRANSLATE_NOOP("Core", " \u2014 save the image uncompressed or as PNG and open it again");
constexpr const char* kHintSamples = QT_TRANSLATE_NOOP("Core", " \u2014 save the image as 8-bit grey or RGB, or as PNG, and open it again");

constexpr const char* kStripCountText = "TIFF: NumStripOffsets<>(ImageLength+RowsPerStrip-1) div RowsPerStrip";

enum Tag : std::uint16_t {
    tagNewSubfileType = 254,
    tagImageWidth = 256,
    tagImageLength = 257,
    tagBitsPerSample = 258,
    tagCompression = 259,
    tagPhotometric = 262,
    tagFillOrder = 266,
    tagStripOffsets = 273,
    tagSamplesPerPixel = 277,
    tagRowsPerStrip = 278,
    tagStripByteCounts = 279,
    tagXResolution = 282,
    tagYResolution = 283,
    tagPlanarConfiguration = 284,
    tagResolutionUnit = 296,
    tagPredictor = 317,
    tagColorMap = 320,
    tagTileWidth = 322,
    tagTileLength = 323,
    tagTileOffsets = 324,
    tagTileByteCounts = 325,
    tagSampleFormat = 339,
    tagJpegTables = 347,
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

enum Compression : std::uint32_t {
    compressionNone = 1,
    compressionLzw = 5,
    compressionDeflate = 8,
    compressionDeflateOld = 32946,
    compressionJpeg = 7,
    compressionPackBits = 32773,
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
    bool bigEndian() const { return m_big; }

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
            // Entries of types this reader does not know (sub-directory pointers, the 64-bit
            // types of large files) are kept without their values: they matter only when the
            // tag is one the reader uses, and find() refuses them then.
            const int size = fieldTypeSize(e.type);
            if (size != 0) {
                const std::uint64_t bytes = std::uint64_t(e.count) * std::uint64_t(size);
                e.valuePos = bytes <= 4 ? pos + 8 : m_bytes.u32(pos + 8);
            }
            // The values of tags this reader never uses may lie anywhere; they are checked
            // against the file only when they are read.
            m_entries.push_back(e);
        }
    }

    // The entry of a tag the reader uses; null when absent. An entry of an unknown field type
    // cannot be read and fails.
    const Entry* find(std::uint16_t tag) const
    {
        for (const Entry& e : m_entries)
            if (e.tag == tag) {
                if (fieldTypeSize(e.type) == 0)
                    fail(FillIn(UserText(QT_TRANSLATE_NOOP("Core", "TIFF: Unsupported field Type: %1")), {std::to_string(e.type)}));
                return &e;
            }
        return nullptr;
    }

    // The integer values of an entry of type BYTE, SHORT or LONG (or their signed forms).
    // The values must lie inside the file, which bounds the allocation by the file's size.
    std::vector<std::uint32_t> values(const Entry& e, const char* name) const
    {
        const int size = fieldTypeSize(e.type);
        if (size != 1 && size != 2 && size != 4)
            failInvalid(name);
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

    // The raw bytes of an entry of one-byte values.
    bool bytesContain(const Entry& e) const { return m_bytes.contains(e.valuePos, e.count); }
    ByteSpan bytesOf(const Entry& e) const
    {
        return m_bytes.data().subspan(static_cast<std::size_t>(e.valuePos), e.count);
    }

    // The first integer value of a tag; nullopt when the tag is absent or has no values.
    std::optional<std::uint32_t> scalar(std::uint16_t tag, const char* name) const
    {
        const Entry* e = find(tag);
        if (!e || e->count == 0)
            return std::nullopt;
        const int size = fieldTypeSize(e->type);
        if (size != 1 && size != 2 && size != 4)
            failInvalid(name);
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

// How the samples of a pixel become a pixel of the buffer.
enum class PixelKind {
    Packed,  // 1, 4 or 8 bits of one sample: black and white, greys or a palette
    Rgb8,    // 8-bit R, G, B
    Rgbx8,   // 8-bit R, G, B and a fourth sample that is not used
    Cmyk8,   // 8-bit C, M, Y, K
    Grey16,  // 16-bit grey, reduced to 8 bits by its range
    Rgb16,   // 16-bit R, G, B (and perhaps a fourth sample), reduced by their common range
    Grey32,  // 32-bit grey (integer or floating point), reduced by its range
};

bool isDeep(PixelKind k) { return k == PixelKind::Grey16 || k == PixelKind::Rgb16 || k == PixelKind::Grey32; }

// What the directory says about the image, checked for consistency.
struct Layout {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t compression = compressionNone;
    std::uint32_t photometric = 1;
    std::uint32_t samples = 1;
    std::uint32_t bitsPerSample = 1;
    std::uint32_t bitsPerPixel = 1;
    std::uint32_t predictor = 1;
    bool reversedBits = false;  // fill order 2
    bool ycbcr = false;         // JPEG data stored as YCbCr, decoded to RGB
    ByteSpan jpegTables;        // the JPEG tables all chunks share (may be empty)
    PixelKind kind = PixelKind::Packed;
    DeepSampleKind deep = DeepSampleKind::Unsigned16;
    std::vector<std::uint32_t> colorMap;

    // The image is stored in chunks (strips or tiles) of chunkWidth × chunkHeight pixels,
    // chunksAcross × chunksDown of them for each of `planes` planes (the samples side by side
    // in one plane, or each sample in a plane of its own).
    bool tiled = false;
    std::uint32_t chunkWidth = 0;
    std::uint32_t chunkHeight = 0;
    std::uint32_t chunksAcross = 1;
    std::uint32_t chunksDown = 1;
    std::uint32_t planes = 1;
    std::vector<std::uint32_t> offsets;
    std::vector<std::uint32_t> byteCounts;  // empty when absent or unusable

    std::uint64_t fileRowBytes = 0;   // one image row, all samples side by side
    std::uint64_t chunkRowBytes = 0;  // one row of a chunk of one plane

    bool predicted() const
    {
        return compression == compressionLzw || compression == compressionDeflate || compression == compressionDeflateOld;
    }
    bool usesPredictor() const { return predictor == 2 && predicted(); }
    bool usesFloatPredictor() const { return predictor == 3 && predicted(); }
};

[[noreturn]] void failCompression(const std::string& name)
{
    fail(FillIn(UserText(QT_TRANSLATE_NOOP("Core", "TIFF: Unsupported compression %1")), {name}) + UserText(kHintCompression));
}

void checkCompression(std::uint32_t compression)
{
    switch (compression) {
    case compressionNone:
    case compressionPackBits:
    case compressionLzw:
    case compressionDeflate:
    case compressionDeflateOld:
    case compressionJpeg:
        return;
    case 2:
        failCompression("CCITT 1D");
    case 3:
        failCompression("Group 3 Fax");
    case 4:
        failCompression("Group 4 Fax");
    case 6:
        failCompression("JPEG");
    default:
        failCompression(std::to_string(compression));
    }
}

[[noreturn]] void failBits(std::uint32_t bits)
{
    fail(FillIn(UserText(QT_TRANSLATE_NOOP("Core", "TIFF: Unsupported %1 Bits/Pixel")), {std::to_string(bits)}) + UserText(kHintSamples));
}

[[noreturn]] void failSampleFormat(std::uint32_t format)
{
    fail(FillIn(UserText(QT_TRANSLATE_NOOP("Core", "TIFF: Unsupported SampleFormat %1")), {std::to_string(format)}) + UserText(kHintSamples));
}

// Chooses how the pixels are decoded from the samples, their bits and the interpretation.
void choosePixelKind(Layout& l, std::uint32_t sampleFormat)
{
    const std::uint32_t bps = l.bitsPerSample;
    const std::uint32_t spp = l.samples;
    const std::uint32_t ph = l.photometric;
    const bool grey = ph == 0 || ph == 1;
    if (bps <= 8) {
        if (sampleFormat != 1)
            failSampleFormat(sampleFormat);
        switch (l.bitsPerPixel) {
        case 1:
        case 4:
        case 8:
            if (spp != 1 || (!grey && ph != 3))
                failBits(l.bitsPerPixel);
            l.kind = PixelKind::Packed;
            return;
        case 24:
            if (spp != 3 || ph != 2)
                failBits(l.bitsPerPixel);
            l.kind = PixelKind::Rgb8;
            return;
        case 32:
            if (spp != 4 || (ph != 2 && ph != 5))
                failBits(l.bitsPerPixel);
            l.kind = ph == 5 ? PixelKind::Cmyk8 : PixelKind::Rgbx8;
            return;
        default:
            failBits(l.bitsPerPixel);
        }
    }
    if (bps == 16 && ((spp == 1 && grey) || ((spp == 3 || spp == 4) && ph == 2))) {
        if (sampleFormat != 1 && sampleFormat != 2)
            failSampleFormat(sampleFormat);
        l.kind = spp == 1 ? PixelKind::Grey16 : PixelKind::Rgb16;
        l.deep = sampleFormat == 2 ? DeepSampleKind::Signed16 : DeepSampleKind::Unsigned16;
        return;
    }
    if (bps == 32 && spp == 1 && grey) {
        if (sampleFormat < 1 || sampleFormat > 3)
            failSampleFormat(sampleFormat);
        l.kind = PixelKind::Grey32;
        l.deep = sampleFormat == 3   ? DeepSampleKind::Float32
                 : sampleFormat == 2 ? DeepSampleKind::Signed32
                                     : DeepSampleKind::Unsigned32;
        return;
    }
    failBits(l.bitsPerPixel);
}

// The chunks of a tiled image.
void readTiles(const Directory& dir, Layout& l)
{
    const auto tw = dir.scalar(tagTileWidth, "TileWidth");
    const auto th = dir.scalar(tagTileLength, "TileLength");
    if (!tw || *tw == 0)
        failInvalid("TileWidth");
    if (!th || *th == 0)
        failInvalid("TileLength");
    // Tiles must start on a byte: with 1- or 4-bit samples the width must fill whole bytes.
    const std::uint32_t chunkBits = l.planes > 1 ? l.bitsPerSample : l.bitsPerPixel;
    if ((std::uint64_t(*tw) * chunkBits) % 8 != 0)
        failInvalid("TileWidth");
    l.tiled = true;
    l.chunkWidth = *tw;
    l.chunkHeight = *th;
    l.chunksAcross = static_cast<std::uint32_t>((std::uint64_t(l.width) + *tw - 1) / *tw);
    l.chunksDown = static_cast<std::uint32_t>((std::uint64_t(l.height) + *th - 1) / *th);
    const Entry* offsets = dir.find(tagTileOffsets);
    const std::uint64_t expected = std::uint64_t(l.chunksAcross) * l.chunksDown * l.planes;
    if (!offsets || offsets->count != expected)
        failInvalid("TileOffsets");
    l.offsets = dir.values(*offsets, "TileOffsets");
    if (const Entry* counts = dir.find(tagTileByteCounts); counts && counts->count == offsets->count)
        l.byteCounts = dir.values(*counts, "TileByteCounts");
}

// The chunks of an image in strips, with the old tolerance for a single strip offset.
void readStrips(const Directory& dir, Layout& l, std::optional<std::uint32_t> rps, const TiffWarning& warn)
{
    const Entry* offsets = dir.find(tagStripOffsets);
    if (!offsets || offsets->count == 0)
        failInvalid("StripOffsets");
    // Each strip offset takes at least 2 bytes in the file, so this bounds the allocation by
    // the file's size before the values are read.
    l.offsets = dir.values(*offsets, "StripOffsets");
    if (const Entry* counts = dir.find(tagStripByteCounts); counts && counts->count == offsets->count)
        l.byteCounts = dir.values(*counts, "StripByteCounts");

    std::uint32_t rowsPerStrip = std::min(rps.value_or(l.height), l.height);
    const std::uint64_t perPlane = (std::uint64_t(l.height) + rowsPerStrip - 1) / rowsPerStrip;
    if (l.offsets.size() != perPlane * l.planes) {
        if (l.offsets.size() != 1 || l.planes != 1)
            fail(kStripCountText);
        if (warn && !warn("TIFF-Warning", kStripCountText))
            fail(kStripCountText);
        rowsPerStrip = l.height;
        if (l.byteCounts.size() != 1)
            l.byteCounts.clear();
    }
    l.chunkWidth = l.width;
    l.chunkHeight = rowsPerStrip;
    l.chunksAcross = 1;
    l.chunksDown = static_cast<std::uint32_t>((std::uint64_t(l.height) + rowsPerStrip - 1) / rowsPerStrip);
}

Layout readLayout(const Directory& dir, const TiffWarning& warn)
{
    Layout l;
    // Samples and their bits come first: they decide how everything else is read.
    if (const Entry* spp = dir.find(tagSamplesPerPixel)) {
        if (spp->count != 1)
            fail(UserText(QT_TRANSLATE_NOOP("Core", "TIFF: Invalid count of SamplesPerPixel")));
        l.samples = *dir.scalar(tagSamplesPerPixel, "SamplesPerPixel");
        if (l.samples < 1 || l.samples > 4)
            failInvalid("SamplesPerPixel");
    }
    if (const Entry* bps = dir.find(tagBitsPerSample)) {
        if (bps->count != 1 && bps->count != l.samples)
            fail(UserText(QT_TRANSLATE_NOOP("Core", "TIFF: Invalid count of SamplesPerPixel")));
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
        if (sum > 64 || l.bitsPerSample == 0)
            failBits(static_cast<std::uint32_t>(std::min<std::uint64_t>(sum, UINT32_MAX)));
    }
    l.bitsPerPixel = l.bitsPerSample * l.samples;

    const auto rps = dir.scalar(tagRowsPerStrip, "RowsPerStrip");
    if (rps && *rps == 0)
        failInvalid("RowsPerStrip");

    const auto width = dir.scalar(tagImageWidth, "ImageWidth");
    const auto height = dir.scalar(tagImageLength, "ImageLength");
    if (!width || *width == 0)
        failInvalid("ImageWidth");
    if (!height || *height == 0)
        failInvalid("ImageLength");
    l.width = *width;
    l.height = *height;

    l.compression = dir.scalar(tagCompression, "Compression").value_or(compressionNone);
    checkCompression(l.compression);

    l.photometric = dir.scalar(tagPhotometric, "PhotometricInterpretation").value_or(l.samples >= 3 ? 2 : 1);
    // YCbCr is read where libjpeg turns it into RGB: in JPEG-compressed files.
    if (l.photometric == 6 && l.compression == compressionJpeg) {
        l.ycbcr = true;
        l.photometric = 2;
    }
    switch (l.photometric) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 5:
        break;
    default:
        fail(FillIn(UserText(QT_TRANSLATE_NOOP("Core", "TIFF: Unsupported photometric interpretation %1")), {std::to_string(l.photometric)}) +
             UserText(kHintSamples));
    }

    choosePixelKind(l, dir.scalar(tagSampleFormat, "SampleFormat").value_or(1));

    const std::uint32_t planar = dir.scalar(tagPlanarConfiguration, "PlanarConfiguration").value_or(1);
    if (planar != 1 && planar != 2)
        failInvalid("PlanarConfiguration");
    l.planes = planar == 2 ? l.samples : 1;

    // A predictor belongs to the compression: without LZW or Deflate it means nothing.
    // Horizontal differencing works on whole samples of 8 bits and more, the floating-point
    // predictor on floating-point samples.
    l.predictor = dir.scalar(tagPredictor, "Predictor").value_or(1);
    const bool predictorFits = l.predictor == 1 || (l.predictor == 2 && l.bitsPerSample >= 8) ||
                               (l.predictor == 3 && l.kind == PixelKind::Grey32 && l.deep == DeepSampleKind::Float32);
    if (l.predicted() && !predictorFits)
        fail(FillIn(UserText(QT_TRANSLATE_NOOP("Core", "TIFF: Unsupported Predictor %1")), {std::to_string(l.predictor)}) + UserText(kHintCompression));
    l.reversedBits = dir.scalar(tagFillOrder, "FillOrder").value_or(1) == 2;

    if (l.compression == compressionJpeg) {
        // libjpeg gives 8-bit grey or RGB, one plane.
        const bool jpegKind = (l.kind == PixelKind::Packed && l.bitsPerPixel == 8 && l.photometric != 3) ||
                              l.kind == PixelKind::Rgb8;
        if (!jpegKind || planar != 1)
            fail(FillIn(UserText(QT_TRANSLATE_NOOP("Core", "TIFF: Unsupported JPEG data (%1 \u00d7 %2 bits)")),
                        {std::to_string(l.samples), std::to_string(l.bitsPerSample)}) +
                 UserText(kHintSamples));
        if (const Entry* tables = dir.find(tagJpegTables); tables && tables->count > 0) {
            if (fieldTypeSize(tables->type) != 1 || !dir.bytesContain(*tables))
                failInvalid("JPEGTables");
            l.jpegTables = dir.bytesOf(*tables);
        }
    }

    if (l.photometric == 3) {
        // A colour map holds 16-bit values: any other type would be scaled into the wrong
        // channel, so only SHORT values of the right count are taken.
        const Entry* map = dir.find(tagColorMap);
        if (!map || map->type != typeShort || map->count != 3u * (1u << l.bitsPerSample))
            failInvalid("ColorMap");
        l.colorMap = dir.values(*map, "ColorMap");
    }

    if (!dir.find(tagStripOffsets) && (dir.find(tagTileOffsets) || dir.find(tagTileWidth)))
        readTiles(dir, l);
    else
        readStrips(dir, l, rps, warn);

    const auto fileRow = checkedProduct(l.width, l.bitsPerPixel);
    const auto chunkRow = checkedProduct(l.chunkWidth, l.planes > 1 ? l.bitsPerSample : l.bitsPerPixel);
    if (!fileRow || !chunkRow)
        failTooLarge();
    l.fileRowBytes = (*fileRow + 7) / 8;
    l.chunkRowBytes = (*chunkRow + 7) / 8;
    return l;
}

// Decodes one PackBits row of `rowBytes` bytes from `in` at `pos`; false when the input
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

// What went wrong in which strip or tile: "Not enough data in strip 3".
std::string inChunk(const char* what, const Layout& l, std::size_t index)
{
    const char* place = l.tiled ? QT_TRANSLATE_NOOP("Core", "%1 in tile %2") : QT_TRANSLATE_NOOP("Core", "%1 in strip %2");
    return FillIn(UserText(place), {UserText(what), std::to_string(index + 1)});
}

std::string compressionTag(std::uint32_t compression)
{
    switch (compression) {
    case compressionLzw:
        return "TIFF (LZW): ";
    case compressionJpeg:
        return "TIFF (JPEG): ";
    case compressionPackBits:
        return "TIFF (PackBits): ";
    default:
        return "TIFF (Deflate): ";
    }
}

// Where the chunks lie in the image: chunk row `down`, column `across`, the image rows and
// columns they cover there.
struct ChunkPlace {
    std::uint32_t down, across;
    std::uint32_t y0, rows;
    std::uint32_t x0, cols;
};

template <class Visit>
void forEachChunkPlace(const Layout& l, Visit visit)
{
    for (std::uint32_t down = 0; down < l.chunksDown; ++down) {
        const std::uint32_t y0 = down * l.chunkHeight;
        const std::uint32_t rows = std::min(l.chunkHeight, l.height - y0);
        for (std::uint32_t across = 0; across < l.chunksAcross; ++across) {
            const std::uint32_t x0 = across * l.chunkWidth;
            const std::uint32_t cols = std::min(l.chunkWidth, l.width - x0);
            visit(ChunkPlace{down, across, y0, rows, x0, cols});
        }
    }
}

std::size_t chunkIndex(const Layout& l, const ChunkPlace& at, std::uint32_t plane)
{
    return (std::size_t(plane) * l.chunksDown + at.down) * l.chunksAcross + at.across;
}

// The compressed bytes of a chunk: from its offset to its byte count where the file gives a
// usable one, else to the end of the file.
ByteSpan chunkData(const Layout& l, const TiffBytes& bytes, std::size_t index)
{
    const std::uint64_t offset = l.offsets[index];
    if (offset > bytes.size())
        failTruncated();
    std::uint64_t length = bytes.size() - offset;
    if (!l.byteCounts.empty())
        length = std::min<std::uint64_t>(length, l.byteCounts[index]);
    return bytes.data().subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
}

// Before anything is allocated or decoded: every chunk must be able to hold what the image
// needs from it (uncompressed ones completely in the file, compressed ones by their format's
// largest expansion), and all chunks together may not cost much more to decode than the
// image holds. A small file that promises a huge image is refused here, at once.
void checkChunks(const Layout& l, const TiffBytes& bytes)
{
    // Strips cost exactly the image; tiles may reach beyond its right and bottom edges, but
    // not so far that decoding them would take far more than the image itself. Each row of a
    // tile also costs its own handling: tiles narrower than the 16 pixels every writer uses
    // count as 16 bytes a row.
    const std::uint64_t most = 2 * l.fileRowBytes * l.height + (16u << 20);
    const std::uint64_t rowCost = l.tiled ? std::max<std::uint64_t>(l.chunkRowBytes, 16) : l.chunkRowBytes;
    std::uint64_t work = 0;
    for (std::uint32_t p = 0; p < l.planes; ++p)
        forEachChunkPlace(l, [&](const ChunkPlace& at) {
            const std::size_t index = chunkIndex(l, at, p);
            if (rowCost > most || at.rows > (most - work) / rowCost)
                fail(FillIn(UserText(QT_TRANSLATE_NOOP("Core", "TIFF: Tiles cost far more than the image (TileWidth %1, TileLength %2)")),
                            {std::to_string(l.chunkWidth), std::to_string(l.chunkHeight)}));
            work += std::uint64_t(at.rows) * rowCost;
            const std::uint64_t needed = std::uint64_t(at.rows) * l.chunkRowBytes;
            if (l.compression == compressionNone) {
                if (!bytes.contains(l.offsets[index], needed))
                    failTruncated();
                return;
            }
            const std::uint64_t available = chunkData(l, bytes, index).size();
            const std::uint64_t holds = l.compression == compressionLzw        ? maxLzwOutput(available)
                                        : l.compression == compressionPackBits ? maxPackBitsOutput(available)
                                        : l.compression == compressionJpeg     ? maxJpegOutput(available)
                                                                               : maxDeflateOutput(available);
            if (holds >= needed)
                return;
            if (l.compression == compressionPackBits)
                failPackBitsRow(at.y0 + holds / std::max<std::uint64_t>(l.chunkRowBytes, 1));
            fail(compressionTag(l.compression) + inChunk(QT_TRANSLATE_NOOP("Core", "Not enough data"), l, index));
        });
}

// Decoded chunks kept from the first pass over a deep image for the second, in one mapping
// of their own: the second pass uses them in the order they were kept, and the pages it has
// used are given back at once, so the kept chunks and the growing image never both stay.
class ChunkCache {
public:
    explicit ChunkCache(std::size_t capacity)
    {
        if (capacity == 0)
            return;
        void* p = ::mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (p == MAP_FAILED)
            return;  // then every chunk is decoded twice
        m_base = static_cast<std::uint8_t*>(p);
        m_capacity = capacity;
    }
    ~ChunkCache()
    {
        if (m_base)
            ::munmap(m_base, m_capacity);
    }
    ChunkCache(const ChunkCache&) = delete;
    ChunkCache& operator=(const ChunkCache&) = delete;

    // Room for `size` more bytes, or null when they do not fit.
    std::uint8_t* take(std::size_t size)
    {
        if (!m_base || size > m_capacity - m_used)
            return nullptr;
        std::uint8_t* p = m_base + m_used;
        m_used += size;
        return p;
    }
    // Gives back the whole pages before `end`: everything kept before it has been used.
    void releaseBefore(const std::uint8_t* end)
    {
        const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
        const std::size_t upTo = static_cast<std::size_t>(end - m_base) / page * page;
        if (upTo > m_released) {
            ::madvise(m_base + m_released, upTo - m_released, MADV_DONTNEED);
            m_released = upTo;
        }
    }

private:
    std::uint8_t* m_base = nullptr;
    std::size_t m_capacity = 0;
    std::size_t m_used = 0;
    std::size_t m_released = 0;
};

// Gives the decoded rows of one chunk at a time: straight from the file where they are stored
// as they are, otherwise decoded into a buffer of just the rows the image needs. The buffer is
// not cleared beforehand: its memory is taken only as the decoded data arrives.
class ChunkReader {
public:
    ChunkReader(const Layout& l, const TiffBytes& bytes, long jpegMemory)
        : m_l(l), m_bytes(bytes), m_jpegMemory(jpegMemory), m_buffers(l.planes)
    {
    }

    // The first `rows` rows of chunk `index`, each chunkRowBytes long, the first of them image
    // row `firstRow` (for messages), decoded into buffer `slot` (one per plane, so the planes of one place can be held together). Without
    // `undoPredictor` horizontal differencing is left to the caller.
    const std::uint8_t* chunk(std::size_t index, std::uint32_t rows, std::uint32_t firstRow, std::size_t slot,
                              bool undoPredictor = true)
    {
        if (!m_kept.empty() && m_kept[index]) {
            m_cache->releaseBefore(m_kept[index]);
            return m_kept[index];
        }
        const std::uint64_t offset = m_l.offsets[index];
        const std::size_t needed = static_cast<std::size_t>(std::uint64_t(rows) * m_l.chunkRowBytes);
        if (m_l.compression == compressionNone) {
            if (!m_bytes.contains(offset, needed))
                failTruncated();
            const std::uint8_t* at = m_bytes.data().data() + offset;
            if (!m_l.reversedBits)
                return at;
            std::uint8_t* out = buffer(slot, needed);
            std::memcpy(out, at, needed);
            reverseBitsInBytes(out, needed);
            return out;
        }
        ByteSpan in = chunkData(m_l, m_bytes, index);
        if (m_l.reversedBits) {
            m_raw.assign(in.begin(), in.end());
            reverseBitsInBytes(m_raw.data(), m_raw.size());
            in = ByteSpan(m_raw);
        }
        std::uint8_t* out = m_keeping ? m_cache->take(needed) : nullptr;
        if (out)
            m_kept[index] = out;
        else
            out = buffer(slot, needed);
        const std::size_t rowBytes = static_cast<std::size_t>(m_l.chunkRowBytes);
        if (m_l.compression == compressionPackBits) {
            std::size_t pos = 0;
            for (std::uint32_t r = 0; r < rows; ++r)
                if (!unpackBitsRow(in, pos, out + r * rowBytes, rowBytes))
                    failPackBitsRow(firstRow + r);
            return out;
        }
        // A chunk reaching beyond the image is decoded only as far as the image needs it.
        const bool stopWhenFull = rows < m_l.chunkHeight;
        const std::span<std::uint8_t> target(out, needed);
        std::size_t produced = 0;
        DecodeStatus status;
        if (m_l.compression == compressionLzw) {
            status = decodeTiffLzw(in, target, stopWhenFull, produced);
        } else if (m_l.compression == compressionJpeg) {
            TiffJpegChunk jpeg;
            jpeg.width = m_l.chunkWidth;
            jpeg.rows = rows;
            jpeg.components = static_cast<int>(m_l.samples);
            jpeg.ycbcr = m_l.ycbcr;
            jpeg.memoryLimit = m_jpegMemory;
            status = decodeTiffJpeg(m_l.jpegTables, in, jpeg, target);
        } else {
            status = m_deflate.decode(in, target, stopWhenFull, produced);
        }
        if (status != DecodeStatus::Complete) {
            const std::string tag = compressionTag(m_l.compression);
            if (status == DecodeStatus::Short)
                fail(tag + inChunk(QT_TRANSLATE_NOOP("Core", "Not enough data"), m_l, index));
            if (status == DecodeStatus::Overflow)
                fail(tag + inChunk(QT_TRANSLATE_NOOP("Core", "More data than the image holds"), m_l, index));
            fail(tag + inChunk(QT_TRANSLATE_NOOP("Core", "Invalid data"), m_l, index));
        }
        const int spp = m_l.planes > 1 ? 1 : static_cast<int>(m_l.samples);
        const int sampleBytes = static_cast<int>(m_l.bitsPerSample / 8);
        if (m_l.usesPredictor() && undoPredictor)
            undoHorizontalPredictor(out, rows, rowBytes, sampleBytes, spp, m_bytes.bigEndian());
        if (m_l.usesFloatPredictor()) {
            m_scratch.resize(rowBytes);
            undoFloatPredictor(out, rows, rowBytes, sampleBytes, spp, m_bytes.bigEndian(), m_scratch.data());
        }
        return out;
    }

    // From now on decoded chunks are kept in `cache` while it has room; they are given again
    // from there after stopKeeping().
    void keepIn(ChunkCache& cache)
    {
        m_cache = &cache;
        m_kept.assign(m_l.offsets.size(), nullptr);
        m_keeping = true;
    }
    void stopKeeping() { m_keeping = false; }

private:
    struct Buffer {
        std::unique_ptr<std::uint8_t[]> data;
        std::size_t size = 0;
    };

    std::uint8_t* buffer(std::size_t slot, std::size_t size)
    {
        Buffer& b = m_buffers[slot];
        if (b.size < size) {
            b.data.reset();
            b.data = std::make_unique_for_overwrite<std::uint8_t[]>(size);
            b.size = size;
        }
        return b.data.get();
    }

    const Layout& m_l;
    const TiffBytes& m_bytes;
    long m_jpegMemory;
    std::vector<Buffer> m_buffers;
    std::vector<std::uint8_t> m_raw;
    std::vector<std::uint8_t> m_scratch;
    DeflateDecoder m_deflate;
    ChunkCache* m_cache = nullptr;
    std::vector<std::uint8_t*> m_kept;  // by chunk index: where a kept chunk is, or null
    bool m_keeping = false;
};

// Turns `cols` pixels of file samples (1 to 8 bits each) into the buffer's row `dst` from
// pixel x0 on.
void storePixels(const Layout& l, const std::uint8_t* src, std::uint32_t x0, std::uint32_t cols, std::uint8_t* dst)
{
    switch (l.kind) {
    case PixelKind::Packed: {
        // Tiles start on a byte (checked with the tile width), strips at pixel 0.
        const std::uint64_t bits = std::uint64_t(cols) * l.bitsPerPixel;
        const std::size_t n = static_cast<std::size_t>((bits + 7) / 8);
        dst += std::uint64_t(x0) * l.bitsPerPixel / 8;
        std::memcpy(dst, src, n);
        if (l.photometric == 0) {
            for (std::size_t i = 0; i < n; ++i)
                dst[i] = static_cast<std::uint8_t>(~dst[i]);
        }
        // Bits beyond the last pixel stay zero, as in every other buffer.
        if (bits % 8 != 0)
            dst[n - 1] &= static_cast<std::uint8_t>(0xFF00u >> (bits % 8));
        return;
    }
    case PixelKind::Rgb8: {
        // The file's row and the buffer's never overlap; saying so lets the compiler move
        // several pixels at a time.
        const std::uint8_t* __restrict in = src;
        std::uint8_t* __restrict out = dst + 3 * std::size_t(x0);
        const std::size_t n = std::size_t(cols) * 3;
        for (std::size_t i = 0; i < n; i += 3) {
            out[i] = in[i + 2];
            out[i + 1] = in[i + 1];
            out[i + 2] = in[i];
        }
        return;
    }
    case PixelKind::Cmyk8:
        dst += 3 * std::size_t(x0);
        for (std::uint32_t x = 0; x < cols; ++x, src += 4, dst += 3) {
            const int k = src[3];
            dst[0] = static_cast<std::uint8_t>(std::max(255 - src[2] - k, 0));
            dst[1] = static_cast<std::uint8_t>(std::max(255 - src[1] - k, 0));
            dst[2] = static_cast<std::uint8_t>(std::max(255 - src[0] - k, 0));
        }
        return;
    case PixelKind::Rgbx8:
        // RGB with a fourth sample (alpha or anything else), which is not used.
        dst += 3 * std::size_t(x0);
        for (std::uint32_t x = 0; x < cols; ++x, src += 4, dst += 3) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
        }
        return;
    case PixelKind::Grey16:
    case PixelKind::Rgb16:
    case PixelKind::Grey32:
        return;  // reduced through their range, see readDeep
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
    if (l.kind == PixelKind::Packed && l.bitsPerPixel == 1)
        image.SetPaletteIdent(pBlackWhite);
    else if (l.kind == PixelKind::Packed && l.bitsPerPixel == 4)
        image.SetPaletteIdent(pGray16);
    else if (l.kind == PixelKind::Packed || l.kind == PixelKind::Grey16 || l.kind == PixelKind::Grey32)
        image.SetPaletteIdent(pGray256);
}

// An RGB row stored with horizontal differencing, summed up and turned into blue, green, red
// in one pass (the commonest compressed colour file, so the pass is worth its own loop).
void storePredictedRgbRow(const std::uint8_t* __restrict src, std::uint32_t width, std::uint8_t* __restrict dst)
{
    std::uint8_t r = 0, g = 0, b = 0;
    for (std::uint32_t x = 0; x < width; ++x, src += 3, dst += 3) {
        r = static_cast<std::uint8_t>(r + src[0]);
        g = static_cast<std::uint8_t>(g + src[1]);
        b = static_cast<std::uint8_t>(b + src[2]);
        dst[0] = b;
        dst[1] = g;
        dst[2] = r;
    }
}

// The planes of the image that make its pixels: a fourth sample of RGB is never used.
std::uint32_t usedPlanes(const Layout& l)
{
    if (l.planes == 1)
        return 1;
    return l.kind == PixelKind::Rgbx8 || l.kind == PixelKind::Rgb16 ? 3 : l.planes;
}

// Walks the image chunk place by chunk place, with the rows of each place's chunks (one per
// used plane) decoded; `row(at, r, src, dst)` gets row r of the place with the samples side
// by side (planes put together into one row first) and the buffer's row.
template <class Row>
void decodeChunks(const Layout& l, ChunkReader& chunks, TPixelGraphic& image, ProgressScope& scope,
                  std::int64_t progressBase, bool undoPredictor, Row row)
{
    const std::uint32_t planes = usedPlanes(l);
    const std::size_t sampleBytes = l.bitsPerSample / 8;
    std::vector<std::uint8_t> joined(planes > 1 ? std::size_t(l.chunkWidth) * l.samples * sampleBytes : 0);
    forEachChunkPlace(l, [&](const ChunkPlace& at) {
        std::array<const std::uint8_t*, 4> src{};
        for (std::uint32_t p = 0; p < planes; ++p)
            src[p] = chunks.chunk(chunkIndex(l, at, p), at.rows, at.y0, p, undoPredictor);
        const bool lastAcross = at.across + 1 == l.chunksAcross;
        for (std::uint32_t r = 0; r < at.rows; ++r) {
            const std::uint8_t* line = src[0] + r * l.chunkRowBytes;
            if (planes > 1) {
                for (std::uint32_t p = 0; p < planes; ++p) {
                    const std::uint8_t* in = src[p] + r * l.chunkRowBytes;
                    for (std::uint32_t x = 0; x < at.cols; ++x)
                        std::memcpy(joined.data() + (std::size_t(x) * l.samples + p) * sampleBytes,
                                    in + x * sampleBytes, sampleBytes);
                }
                line = joined.data();
            }
            row(at, line, image.rowData(static_cast<int>(at.y0 + r)));
            if (l.chunksAcross == 1)
                scope.update(progressBase + at.y0 + r + 1);
        }
        if (lastAcross)
            scope.update(progressBase + at.y0 + at.rows);
    });
}

// Images of 1 to 8 bits per sample: each decoded row goes straight into the buffer.
void readShallow(const Layout& l, ChunkReader& chunks, TPixelGraphic& image, ProgressSink* progress)
{
    ProgressScope scope(progress, l.height);
    const bool fused = l.kind == PixelKind::Rgb8 && l.usesPredictor() && l.planes == 1;
    decodeChunks(l, chunks, image, scope, 0, !fused, [&](const ChunkPlace& at, const std::uint8_t* src, std::uint8_t* dst) {
        if (fused)
            storePredictedRgbRow(src, at.cols, dst + 3 * std::size_t(at.x0));
        else
            storePixels(l, src, at.x0, at.cols, dst);
    });
}

// Deep samples: the image's range is taken in a first pass over the chunks as they are
// decoded (uncompressed ones are read where they lie in the file), then each chunk is
// reduced straight into the buffer; the file's samples are never held as a whole. Decoded
// chunks are kept from the first pass for the second as far as deepCacheBytes allows (the
// buffer takes its memory only in the second pass, as the kept chunks give theirs back); the
// others are decoded again.
// Room for decoded chunks between the two passes of a deep image: what keeps the load's
// peak, the program's own memory and the load's working buffers (about 7 MB, counted as 12)
// included, at one and a half times the image, and never less than the image itself (a small
// image's peak is the program's memory anyway, and every chunk kept is one not decoded again).
std::size_t deepCacheBytes(std::uint64_t imageBytes)
{
    constexpr std::uint64_t kBeside = 12u << 20;
    const std::uint64_t half = imageBytes / 2 * 3;
    return static_cast<std::size_t>(std::max(imageBytes, half > kBeside ? half - kBeside : 0));
}

DepthReduction readDeep(const Layout& l, ChunkReader& chunks, bool bigEndian, std::uint64_t imageBytes,
                        TPixelGraphic& image, ProgressSink* progress)
{
    const int used = l.kind == PixelKind::Rgb16 ? 3 : 1;
    const int spp = static_cast<int>(l.samples);
    ProgressScope scope(progress, 2 * std::int64_t(l.height));
    ChunkCache cache(l.compression == compressionNone ? 0 : deepCacheBytes(imageBytes));
    chunks.keepIn(cache);
    DeepSampleRange range(l.deep, bigEndian);
    decodeChunks(l, chunks, image, scope, 0, true, [&](const ChunkPlace& at, const std::uint8_t* src, std::uint8_t*) {
        range.add(src, at.cols, spp, used);
    });
    chunks.stopKeeping();
    const DepthReduction reduction = range.result();
    const DeepSampleReducer reducer(l.deep, bigEndian, reduction, used == 3, used == 1 && l.photometric == 0);
    decodeChunks(l, chunks, image, scope, l.height, true,
                 [&](const ChunkPlace& at, const std::uint8_t* src, std::uint8_t* dst) {
                     reducer.reduceRow(src, at.cols, spp, used, dst + std::size_t(at.x0) * used);
                 });
    return reduction;
}

// libjpeg's own memory for one chunk: what the byte limit leaves beside the image buffer,
// with room for its small working buffers.
long jpegMemoryFor(std::uint64_t imageBytes)
{
    const std::uint64_t limit = imageSizeLimits().maxBytes;
    const std::uint64_t want = std::max<std::uint64_t>(imageBytes < limit ? limit - imageBytes : 0, 4u << 20);
    return static_cast<long>(std::min<std::uint64_t>(want, LONG_MAX));
}

}  // namespace

bool isTiffSignature(ByteSpan head)
{
    if (head.size() < 4)
        return false;
    return (head[0] == 'I' && head[1] == 'I' && head[2] == 42 && head[3] == 0) ||
           (head[0] == 'M' && head[1] == 'M' && head[2] == 0 && head[3] == 42);
}

void readTiff(ByteSpan data, TPixelGraphic& image, const TiffWarning& warn, ProgressSink* progress,
              DepthReduction* reduction)
{
    if (!isTiffSignature(data))
        fail(UserText(QT_TRANSLATE_NOOP("Core", "TIFF: Not a TIF file")));
    const TiffBytes bytes(data, data[0] == 'M');
    Directory dir(bytes);
    dir.read(bytes.u32(4));
    const Layout l = readLayout(dir, warn);

    if (l.width > INT_MAX || l.height > INT_MAX)
        failTooLarge();
    const int width = static_cast<int>(l.width);
    const int height = static_cast<int>(l.height);
    const bool deep = isDeep(l.kind);
    const TPixelFormat format = deep ? (l.kind == PixelKind::Rgb16 ? TPixelFormat::pf24Bit : TPixelFormat::pf8Bit)
                                     : pixelFormatForBits(l.kind == PixelKind::Packed ? l.bitsPerPixel : 24);
    const auto imageBytes = checkedImageBytes(width, height, bitsPerPixel(format));
    if (!imageBytes)
        failTooLarge();
    checkChunks(l, bytes);

    TPixelGraphic result;
    result.SetSize(width, height, format);
    setPalette(l, result);

    ChunkReader chunks(l, bytes, jpegMemoryFor(*imageBytes));
    DepthReduction reduced;
    if (deep)
        reduced = readDeep(l, chunks, bytes.bigEndian(), *imageBytes, result, progress);
    else
        readShallow(l, chunks, result, progress);
    image = std::move(result);
    if (reduction)
        *reduction = reduced;
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
        fail(std::string("TIFF: ") + UserText(formatmsg::widthOrHeightZero));
    const int resolution = image.ColorResolution();
    if (resolution == 1)
        fail(std::string("TIFF: ") + UserText(formatmsg::invalidColorResolution));

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
        fail(std::string("TIFF: ") + UserText(formatmsg::imageTooLarge));

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
        throw EImageFile("TIFF: " + UserText(QT_TRANSLATE_NOOP("Core", "Write error")));
}

}  // namespace tesra
