#include "imaging/formats/pcx.h"

#include "imaging/checked_size.h"
#include "imaging/formats/codec_support.h"

#include <algorithm>
#include <cstring>

namespace tesra {
namespace {

constexpr const char* kTag = formattag::pcx;
constexpr std::size_t kHeaderSize = 128;

[[noreturn]] void fail(const std::string& text) { throw EImageFormat(kTag, text); }

// The sixteen colours of the display adapter PCX files of versions 0 and 3 assume.
constexpr std::uint32_t kDefaultPalette[16] = {
    rgb(0, 0, 0),       rgb(0, 0, 170),     rgb(0, 170, 0),     rgb(0, 170, 170),
    rgb(170, 0, 0),     rgb(170, 0, 170),   rgb(170, 85, 0),    rgb(170, 170, 170),
    rgb(85, 85, 85),    rgb(85, 85, 255),   rgb(85, 255, 85),   rgb(85, 255, 255),
    rgb(255, 85, 85),   rgb(255, 85, 255),  rgb(255, 255, 85),  rgb(255, 255, 255),
};

// Decodes the run-length stream line by line. A run may go on into the next line (several
// writers do that); it is carried over rather than dropped.
class RunLengthLines {
public:
    explicit RunLengthLines(ByteReader& in) : m_in(in) {}
    void next(std::uint8_t* line, std::size_t size)
    {
        std::size_t i = 0;
        while (i < size) {
            if (m_run == 0) {
                const std::uint8_t c = m_in.u8();
                if ((c & 0xC0) == 0xC0) {
                    m_run = c & 0x3F;
                    m_value = m_in.u8();
                } else {
                    m_run = 1;
                    m_value = c;
                }
                continue;
            }
            const std::size_t n = std::min<std::size_t>(m_run, size - i);
            std::memset(line + i, m_value, n);
            i += n;
            m_run -= n;
        }
    }

private:
    ByteReader& m_in;
    std::size_t m_run = 0;
    std::uint8_t m_value = 0;
};

}  // namespace

bool isPcxSignature(ByteSpan head) { return !head.empty() && head[0] == 10; }

void readPcx(ByteSpan data, TPixelGraphic& image, ProgressSink* sink)
{
    ByteReader in(data, kTag);
    in.need(kHeaderSize);
    const std::uint8_t* h = data.data();
    const int version = h[1];
    const int encoding = h[2];
    const int bits = h[3];
    const int xMin = h[4] | h[5] << 8, yMin = h[6] | h[7] << 8;
    const int xMax = h[8] | h[9] << 8, yMax = h[10] | h[11] << 8;
    const int planes = h[65];
    const std::size_t bytesPerLine = static_cast<std::size_t>(h[66] | h[67] << 8);

    if (h[0] != 10 || (version != 0 && version != 2 && version != 3 && version != 5) || encoding != 1)
        fail(UserText(formatmsg::unknownSubformat));
    enum Kind { Mono, Planar16, Cga, Packed16, Indexed, TrueColor } kind;
    if (bits == 1 && planes == 1)
        kind = Mono;
    else if (bits == 1 && planes >= 2 && planes <= 4)
        kind = Planar16;
    else if (bits == 2 && planes == 1)
        kind = Cga;
    else if (bits == 4 && planes == 1)
        kind = Packed16;
    else if (bits == 8 && planes == 1)
        kind = Indexed;
    else if (bits == 8 && (planes == 3 || planes == 4))
        kind = TrueColor;
    else
        fail(UserText(formatmsg::unknownSubformat));
    if (xMax < xMin)
        fail(formatmsg::invalidValueFor("XMax"));
    if (yMax < yMin)
        fail(formatmsg::invalidValueFor("YMax"));
    const int width = xMax - xMin + 1;
    const int height = yMax - yMin + 1;
    if (bytesPerLine * 8 < static_cast<std::size_t>(width) * bits)
        fail(formatmsg::invalidValueFor("BytesPerLine"));

    TPixelGraphic result;
    const TPixelFormat format = kind == Mono       ? TPixelFormat::pf1Bit
                                : kind == Indexed  ? TPixelFormat::pf8Bit
                                : kind == TrueColor ? TPixelFormat::pf24Bit
                                                    : TPixelFormat::pf4Bit;
    allocateImage(result, width, height, format, kTag);

    // The header's 16-colour map counts from version 2 on; files that leave it empty get the
    // adapter's colours, like those of versions 0 and 3.
    std::vector<std::uint32_t> headerMap(16);
    bool headerMapUsed = false;
    for (int i = 0; i < 16; ++i) {
        headerMap[i] = rgb(h[16 + 3 * i], h[17 + 3 * i], h[18 + 3 * i]);
        headerMapUsed = headerMapUsed || headerMap[i] != 0;
    }
    if (version == 0 || version == 3 || !headerMapUsed)
        headerMap.assign(std::begin(kDefaultPalette), std::end(kDefaultPalette));

    if (kind == Mono) {
        result.SetPaletteIdent(pBlackWhite);
    } else if (kind == Indexed) {
        // The 256-colour map follows the pixels behind a byte 12; without it the image is grey.
        const std::size_t size = data.size();
        if (size >= kHeaderSize + 769 && data[size - 769] == 12) {
            std::vector<std::uint32_t> map(256);
            for (std::size_t i = 0; i < 256; ++i) {
                const std::uint8_t* e = data.data() + size - 768 + 3 * i;
                map[i] = rgb(e[0], e[1], e[2]);
            }
            setFilePalette(result, map);
        } else {
            result.SetPaletteIdent(pGray256);
        }
    } else if (kind != TrueColor) {
        setFilePalette(result, headerMap);
    }

    in.seek(kHeaderSize);
    RunLengthLines lines(in);
    const auto lineBytes = checkedProduct(bytesPerLine, static_cast<std::uint64_t>(planes));
    if (!lineBytes)
        fail(UserText(formatmsg::imageTooLarge));
    std::vector<std::uint8_t> line(static_cast<std::size_t>(*lineBytes));
    ProgressScope progress(sink, height);
    for (int y = 0; y < height; ++y) {
        lines.next(line.data(), line.size());
        std::uint8_t* dst = result.rowData(y);
        switch (kind) {
        case Mono:
        case Packed16:
        case Indexed:
            std::memcpy(dst, line.data(), (static_cast<std::size_t>(width) * bits + 7) / 8);
            break;
        case Planar16:
            for (int x = 0; x < width; ++x) {
                unsigned index = 0;
                for (int p = 0; p < planes; ++p)
                    index |= ((line[p * bytesPerLine + (x >> 3)] >> (7 - (x & 7))) & 1u) << p;
                dst[x >> 1] = static_cast<std::uint8_t>((x & 1) ? (dst[x >> 1] | index) : (index << 4));
            }
            break;
        case Cga:
            for (int x = 0; x < width; ++x) {
                const unsigned index = (line[x >> 2] >> (6 - 2 * (x & 3))) & 3u;
                dst[x >> 1] = static_cast<std::uint8_t>((x & 1) ? (dst[x >> 1] | index) : (index << 4));
            }
            break;
        case TrueColor:
            for (int x = 0; x < width; ++x) {
                dst[3 * x] = line[2 * bytesPerLine + x];
                dst[3 * x + 1] = line[bytesPerLine + x];
                dst[3 * x + 2] = line[x];
            }
            break;
        }
        progress.update(y + 1);
    }
    image = std::move(result);
}

ImageReader pcxReader()
{
    ImageReader r;
    r.extensions = {"pcx"};
    r.description = "Paintbrush";
    r.recognise = isPcxSignature;
    r.read = [](ByteSpan data, TPixelGraphic& image, LoadContext& context) { readPcx(data, image, context.progress()); };
    return r;
}

}  // namespace tesra
