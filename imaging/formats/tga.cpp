#include "imaging/formats/tga.h"

#include "imaging/checked_size.h"
#include "imaging/formats/codec_support.h"

#include <cstring>
#include <ostream>

namespace tesra {
namespace {

constexpr const char* kTag = formattag::tga;

[[noreturn]] void fail(const std::string& text) { throw EImageFormat(kTag, text); }

struct Header {
    int idLength = 0;
    int colorMapType = 0;
    int imageType = 0;
    int mapFirst = 0;
    int mapLength = 0;
    int mapEntryBits = 0;
    int width = 0;
    int height = 0;
    int pixelBits = 0;
    int descriptor = 0;
};

// A 15- or 16-bit colour, A RRRRR GGGGG BBBBB. Each channel is widened to 8 bits by repeating
// its top bits below it, as the common Targa readers do (it differs from exact scaling by one
// step for some values).
std::uint32_t colorFrom16(std::uint32_t v)
{
    auto scale = [](std::uint32_t c) { return static_cast<int>((c << 3) | (c >> 2)); };
    return rgb(scale((v >> 10) & 31), scale((v >> 5) & 31), scale(v & 31));
}

// Colour of one stored pixel of `bytes` bytes (2, 3 or 4; B, G, R order, alpha ignored).
std::uint32_t colorOf(const std::uint8_t* p, int bytes)
{
    if (bytes == 2)
        return colorFrom16(static_cast<std::uint32_t>(p[0] | p[1] << 8));
    return rgb(p[2], p[1], p[0]);
}

Header readHeader(ByteReader& in)
{
    Header h;
    h.idLength = in.u8();
    h.colorMapType = in.u8();
    h.imageType = in.u8();
    h.mapFirst = in.u16le();
    h.mapLength = in.u16le();
    h.mapEntryBits = in.u8();
    in.skip(4);  // origin
    h.width = in.u16le();
    h.height = in.u16le();
    h.pixelBits = in.u8();
    h.descriptor = in.u8();

    switch (h.imageType) {
    case 1:
    case 2:
    case 3:
    case 9:
    case 10:
    case 11:
        break;
    default:
        fail(formatmsg::invalidValueFor("ImageType"));
    }
    if (h.colorMapType > 1)
        fail(formatmsg::invalidValueFor("ColorMapType"));
    if (h.width == 0)
        fail(formatmsg::invalidValueFor("Width"));
    if (h.height == 0)
        fail(formatmsg::invalidValueFor("Height"));
    const int base = h.imageType & 7;
    const bool pixelBitsFit = (base == 1 && h.pixelBits == 8) ||
                              (base == 2 && (h.pixelBits == 15 || h.pixelBits == 16 || h.pixelBits == 24 || h.pixelBits == 32)) ||
                              (base == 3 && (h.pixelBits == 8 || h.pixelBits == 16));
    if (!pixelBitsFit)
        fail(formatmsg::invalidValueFor("PixelDepth"));
    if (base == 1 && h.colorMapType != 1)
        fail(formatmsg::invalidValueFor("ColorMapType"));
    if (h.colorMapType == 1 && h.mapEntryBits != 15 && h.mapEntryBits != 16 && h.mapEntryBits != 24 && h.mapEntryBits != 32)
        fail(formatmsg::invalidValueFor("ColorMapEntrySize"));
    return h;
}

}  // namespace

void readTga(ByteSpan data, TPixelGraphic& image, ProgressSink* sink)
{
    ByteReader in(data, kTag);
    const Header h = readHeader(in);
    in.skip(static_cast<std::uint64_t>(h.idLength));

    const int base = h.imageType & 7;
    std::vector<std::uint32_t> palette;
    if (h.colorMapType == 1) {
        const int entryBytes = (h.mapEntryBits + 7) / 8;
        const ByteSpan map = in.bytes(static_cast<std::uint64_t>(h.mapLength) * entryBytes);
        if (base == 1) {
            // Index i refers to map entry i − first; indexes below the first entry stay black.
            palette.assign(256, 0);
            for (int i = 0; i < h.mapLength && h.mapFirst + i < 256; ++i)
                palette[static_cast<std::size_t>(h.mapFirst + i)] = colorOf(map.data() + i * entryBytes, entryBytes);
        }
    }

    TPixelGraphic result;
    const TPixelFormat format = base == 2 ? TPixelFormat::pf24Bit : TPixelFormat::pf8Bit;
    allocateImage(result, h.width, h.height, format, kTag);
    if (base == 1)
        setFilePalette(result, palette);
    else if (base == 3)
        result.SetPaletteIdent(pGray256);

    const int pixelBytes = (h.pixelBits + 7) / 8;
    const std::uint64_t pixels = static_cast<std::uint64_t>(h.width) * h.height;
    const bool runLength = h.imageType >= 9;
    const bool topDown = (h.descriptor & 0x20) != 0;
    const bool rightToLeft = (h.descriptor & 0x10) != 0;
    const int width = h.width;
    const int height = h.height;

    // Stores pixel number n of the file's pixel order from the stored bytes.
    auto store = [&](std::uint64_t n, const std::uint8_t* p) {
        const int fileRow = static_cast<int>(n / width);
        int x = static_cast<int>(n % width);
        if (rightToLeft)
            x = width - 1 - x;
        const int y = topDown ? fileRow : height - 1 - fileRow;
        std::uint8_t* dst = result.rowData(y);
        if (base == 2) {
            const std::uint32_t c = colorOf(p, pixelBytes);
            dst[3 * x] = static_cast<std::uint8_t>(blueOf(c));
            dst[3 * x + 1] = static_cast<std::uint8_t>(greenOf(c));
            dst[3 * x + 2] = static_cast<std::uint8_t>(redOf(c));
        } else {
            dst[x] = p[0];  // an index, or the grey value (16-bit grey carries alpha in its second byte)
        }
    };

    ProgressScope progress(sink, height);
    if (!runLength) {
        const auto total = checkedProduct(pixels, static_cast<std::uint64_t>(pixelBytes));
        if (!total)
            fail(UserText(formatmsg::imageTooLarge));
        const ByteSpan bytes = in.bytes(*total);
        if (base == 2 && pixelBytes == 3 && !rightToLeft) {
            // The common case is a plain copy of the rows: the file's order is the buffer's.
            const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
            for (int r = 0; r < height; ++r) {
                const int y = topDown ? r : height - 1 - r;
                std::memcpy(result.rowData(y), bytes.data() + static_cast<std::size_t>(r) * rowBytes, rowBytes);
                progress.update(r + 1);
            }
        } else {
            for (std::uint64_t n = 0; n < pixels; ++n) {
                store(n, bytes.data() + n * pixelBytes);
                if ((n + 1) % width == 0)
                    progress.update(static_cast<std::int64_t>((n + 1) / width));
            }
        }
    } else {
        // Packets may run across rows; a packet that goes past the last pixel is cut off there.
        std::uint64_t n = 0;
        while (n < pixels) {
            const std::uint8_t packet = in.u8();
            const std::uint64_t count = std::min<std::uint64_t>((packet & 0x7F) + 1u, pixels - n);
            if (packet & 0x80) {
                const ByteSpan value = in.bytes(static_cast<std::uint64_t>(pixelBytes));
                for (std::uint64_t i = 0; i < count; ++i)
                    store(n++, value.data());
            } else {
                const ByteSpan values = in.bytes(count * pixelBytes);
                for (std::uint64_t i = 0; i < count; ++i)
                    store(n++, values.data() + i * pixelBytes);
            }
            progress.update(static_cast<std::int64_t>(n / width));
        }
    }
    image = std::move(result);
}

void writeTga(const TPixelGraphic& image, std::ostream& out, ProgressSink* progress)
{
    const bool trueColor = image.PixelFormat() == TPixelFormat::pf24Bit;
    if (!trueColor && image.PixelFormat() != TPixelFormat::pf8Bit)
        fail(UserText(formatmsg::invalidColorResolution));
    if (image.Width() == 0 || image.Height() == 0 || image.Width() > 65535 || image.Height() > 65535)
        fail(formatmsg::invalidValueFor(image.Width() == 0 || image.Width() > 65535 ? "Width" : "Height"));

    const std::size_t mapLength = trueColor ? 0 : image.Palette().size();
    std::vector<std::uint8_t> header;
    putU8(header, 0);                       // no identification field
    putU8(header, trueColor ? 0 : 1);       // colour map type
    putU8(header, trueColor ? 2 : 1);       // image type
    putU16le(header, 0);                    // first map entry
    putU16le(header, static_cast<unsigned>(mapLength));
    putU8(header, trueColor ? 0 : 24);      // map entry size
    putU16le(header, 0);                    // origin
    putU16le(header, 0);
    putU16le(header, static_cast<unsigned>(image.Width()));
    putU16le(header, static_cast<unsigned>(image.Height()));
    putU8(header, trueColor ? 24 : 8);      // bits per pixel
    putU8(header, 0);                       // descriptor: origin lower left
    for (std::size_t i = 0; i < mapLength; ++i) {
        const std::uint32_t c = image.Palette()[i];
        putU8(header, static_cast<unsigned>(blueOf(c)));
        putU8(header, static_cast<unsigned>(greenOf(c)));
        putU8(header, static_cast<unsigned>(redOf(c)));
    }
    writeBytes(out, header);

    // Rows from the bottom, as the buffer stores them, without the buffer's row padding.
    const std::size_t rowBytes = static_cast<std::size_t>(image.Width()) * (trueColor ? 3 : 1);
    ProgressScope scope(progress, image.Height());
    for (int i = 0; i < image.Height(); ++i) {
        writeBytes(out, image.bits() + static_cast<std::size_t>(i) * image.rowStride(), rowBytes);
        scope.update(i + 1);
    }
}

ImageReader tgaReader()
{
    ImageReader r;
    r.extensions = {"tga"};
    r.description = "Truevision Targa";
    r.recognise = nullptr;
    r.read = [](ByteSpan data, TPixelGraphic& image, LoadContext& context) { readTga(data, image, context.progress()); };
    return r;
}

ImageWriter tgaWriter()
{
    ImageWriter w;
    w.extensions = {"tga"};
    w.description = "Truevision Targa";
    w.resolutions = 192;
    w.write = [](const TPixelGraphic& image, std::ostream& out, SaveContext& context) {
        writeTga(image, out, context.progress());
    };
    return w;
}

}  // namespace tesra
