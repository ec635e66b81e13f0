#include "imaging/formats/pnm.h"

#include "imaging/checked_size.h"
#include "imaging/formats/codec_support.h"

#include <cstring>
#include <ostream>

namespace tesra {
namespace {

constexpr const char* kTag = formattag::pnm;
constexpr const char* kFamily = "PBM, PGM, PPM";

[[noreturn]] void fail(const std::string& text) { throw EImageFormat(kTag, text); }

bool isSpace(std::uint8_t c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// A cursor over the file for the header and the text forms: numbers separated by white space,
// with comments from "#" to the end of the line.
class TextScanner {
public:
    TextScanner(ByteSpan data, std::size_t pos) : m_data(data), m_pos(pos) {}
    std::size_t pos() const { return m_pos; }

    void skipSpaceAndComments()
    {
        while (m_pos < m_data.size()) {
            const std::uint8_t c = m_data[m_pos];
            if (c == '#') {
                while (m_pos < m_data.size() && m_data[m_pos] != '\n' && m_data[m_pos] != '\r')
                    ++m_pos;
            } else if (isSpace(c)) {
                ++m_pos;
            } else {
                return;
            }
        }
    }

    // A decimal number; `field` names it in the message when it is not one. Values beyond
    // `limit` are refused too.
    std::uint32_t number(const char* field, std::uint32_t limit)
    {
        skipSpaceAndComments();
        if (m_pos >= m_data.size())
            fail(UserText(formatmsg::unexpectedEnd));
        if (m_data[m_pos] < '0' || m_data[m_pos] > '9')
            fail(formatmsg::invalidValueFor(field));
        std::uint64_t v = 0;
        while (m_pos < m_data.size() && m_data[m_pos] >= '0' && m_data[m_pos] <= '9') {
            v = v * 10 + (m_data[m_pos] - '0');
            if (v > limit)
                fail(formatmsg::invalidValueFor(field));
            ++m_pos;
        }
        return static_cast<std::uint32_t>(v);
    }

    // A sample of the text forms: like number(), but values above maxval are clamped to it
    // rather than refused, and comments are not expected between samples (but allowed).
    std::uint32_t sample(std::uint32_t maxval)
    {
        skipToPixel();
        std::uint8_t c = m_data[m_pos];
        if (c < '0' || c > '9')
            fail(formatmsg::invalidValueFor("sample"));
        std::uint32_t v = 0;
        do {
            if (v <= maxval)
                v = v * 10 + (c - '0');
            ++m_pos;
        } while (m_pos < m_data.size() && (c = m_data[m_pos]) >= '0' && c <= '9');
        return v > maxval ? maxval : v;
    }

    // One pixel of a P1 file: the characters "0" and "1", with or without space between them.
    bool bit()
    {
        skipToPixel();
        const std::uint8_t c = m_data[m_pos++];
        if (c != '0' && c != '1')
            fail(formatmsg::invalidValueFor("sample"));
        return c == '1';
    }

private:
    // Before a pixel of the text forms: white space, seldom a comment; the file must go on.
    void skipToPixel()
    {
        while (m_pos < m_data.size() && isSpace(m_data[m_pos]))
            ++m_pos;
        if (m_pos < m_data.size() && m_data[m_pos] == '#')
            skipSpaceAndComments();
        if (m_pos >= m_data.size())
            fail(UserText(formatmsg::unexpectedEnd));
    }

    ByteSpan m_data;
    std::size_t m_pos;
};

// Scales samples of 0..maxval to 0..255 with rounding.
std::vector<std::uint8_t> scaleTable(std::uint32_t maxval)
{
    std::vector<std::uint8_t> table(maxval + 1);
    for (std::uint32_t v = 0; v <= maxval; ++v)
        table[v] = static_cast<std::uint8_t>((static_cast<std::uint64_t>(v) * 255 + maxval / 2) / maxval);
    return table;
}

void readBitmap(ByteSpan data, std::size_t pos, bool raw, TPixelGraphic& image, ProgressSink* sink)
{
    const int width = image.Width();
    const int height = image.Height();
    ProgressScope progress(sink, height);
    if (raw) {
        const std::size_t rowBytes = (static_cast<std::size_t>(width) + 7) / 8;
        const auto total = checkedProduct(rowBytes, static_cast<std::uint64_t>(height));
        if (!total || *total > data.size() - pos)
            fail(UserText(formatmsg::unexpectedEnd));
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* src = data.data() + pos + y * rowBytes;
            std::uint8_t* dst = image.rowData(y);
            // A set bit is black, which is entry 0 of the black-and-white palette.
            for (std::size_t i = 0; i < rowBytes; ++i)
                dst[i] = static_cast<std::uint8_t>(~src[i]);
            progress.update(y + 1);
        }
        return;
    }
    TextScanner text(data, pos);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* dst = image.rowData(y);
        for (int x = 0; x < width; ++x)
            if (!text.bit())
                dst[x >> 3] |= static_cast<std::uint8_t>(0x80u >> (x & 7));
        progress.update(y + 1);
    }
}

void readSamples(ByteSpan data, std::size_t pos, bool raw, int channels, std::uint32_t maxval, TPixelGraphic& image,
                 ProgressSink* sink)
{
    const int width = image.Width();
    const int height = image.Height();
    const std::size_t perRow = static_cast<std::size_t>(width) * channels;
    const std::vector<std::uint8_t> table = scaleTable(maxval);
    const int sampleBytes = maxval > 255 ? 2 : 1;
    ProgressScope progress(sink, height);
    if (raw) {
        const auto total = checkedProduct(perRow * sampleBytes, static_cast<std::uint64_t>(height));
        if (!total || *total > data.size() - pos)
            fail(UserText(formatmsg::unexpectedEnd));
    }
    TextScanner text(data, pos);
    std::vector<std::uint8_t> row(perRow);
    for (int y = 0; y < height; ++y) {
        if (raw && sampleBytes == 1 && maxval == 255 && channels == 3) {
            // The usual 8-bit pixel map: red, green, blue straight into blue, green, red.
            const std::uint8_t* src = data.data() + pos + static_cast<std::size_t>(y) * perRow;
            std::uint8_t* dst = image.rowData(y);
            for (int x = 0; x < width; ++x) {
                dst[3 * x] = src[3 * x + 2];
                dst[3 * x + 1] = src[3 * x + 1];
                dst[3 * x + 2] = src[3 * x];
            }
            progress.update(y + 1);
            continue;
        }
        if (raw) {
            const std::uint8_t* src = data.data() + pos + static_cast<std::size_t>(y) * perRow * sampleBytes;
            if (sampleBytes == 1) {
                for (std::size_t i = 0; i < perRow; ++i)
                    row[i] = table[src[i] > maxval ? maxval : src[i]];
            } else {
                for (std::size_t i = 0; i < perRow; ++i) {
                    const std::uint32_t v = static_cast<std::uint32_t>(src[2 * i] << 8 | src[2 * i + 1]);
                    row[i] = table[v > maxval ? maxval : v];
                }
            }
        } else {
            for (std::size_t i = 0; i < perRow; ++i)
                row[i] = table[text.sample(maxval)];
        }
        std::uint8_t* dst = image.rowData(y);
        if (channels == 1) {
            std::memcpy(dst, row.data(), perRow);
        } else {
            for (int x = 0; x < width; ++x) {
                dst[3 * x] = row[3 * x + 2];
                dst[3 * x + 1] = row[3 * x + 1];
                dst[3 * x + 2] = row[3 * x];
            }
        }
        progress.update(y + 1);
    }
}

bool startsWithKind(ByteSpan head, char a, char b)
{
    return head.size() >= 2 && head[0] == 'P' && (head[1] == a || head[1] == b);
}

// Decimal texts of 0..255 followed by a blank, for the text writers.
struct SampleTexts {
    char text[256][4];
    std::uint8_t length[256];
    SampleTexts()
    {
        for (int v = 0; v < 256; ++v) {
            const std::string s = std::to_string(v) + " ";
            std::memcpy(text[v], s.data(), s.size());
            length[v] = static_cast<std::uint8_t>(s.size());
        }
    }
};

}  // namespace

void readPnm(ByteSpan data, TPixelGraphic& image, ProgressSink* progress)
{
    if (data.empty() || data[0] != 'P')
        fail(formatmsg::notAFile(kFamily));
    if (data.size() < 2)
        fail(UserText(formatmsg::unexpectedEnd));
    const int kind = data[1] - '0';
    if (kind < 1 || kind > 6)
        fail(UserText(formatmsg::unknownSubformat));
    const bool raw = kind >= 4;
    const int type = raw ? kind - 3 : kind;  // 1 bit map, 2 grey map, 3 pixel map

    TextScanner header(data, 2);
    const std::uint32_t width = header.number("Width", INT32_MAX);
    const std::uint32_t height = header.number("Height", INT32_MAX);
    if (width == 0)
        fail(formatmsg::invalidValueFor("Width"));
    if (height == 0)
        fail(formatmsg::invalidValueFor("Height"));
    std::uint32_t maxval = 1;
    if (type != 1) {
        maxval = header.number("MaxVal", 65535);
        if (maxval == 0)
            fail(formatmsg::invalidValueFor("MaxVal"));
    }
    std::size_t pos = header.pos();
    if (raw) {
        // Exactly one white-space character separates the header from the bytes.
        if (pos >= data.size())
            fail(UserText(formatmsg::unexpectedEnd));
        if (!isSpace(data[pos]))
            fail(formatmsg::invalidValueFor(type == 1 ? "Height" : "MaxVal"));
        ++pos;
    }

    TPixelGraphic result;
    if (type == 1) {
        allocateImage(result, width, height, TPixelFormat::pf1Bit, kTag);
        result.SetPaletteIdent(pBlackWhite);
        readBitmap(data, pos, raw, result, progress);
    } else if (type == 2) {
        allocateImage(result, width, height, TPixelFormat::pf8Bit, kTag);
        result.SetPaletteIdent(pGray256);
        readSamples(data, pos, raw, 1, maxval, result, progress);
    } else {
        allocateImage(result, width, height, TPixelFormat::pf24Bit, kTag);
        readSamples(data, pos, raw, 3, maxval, result, progress);
    }
    image = std::move(result);
}

void writePnm(const TPixelGraphic& image, std::ostream& out, int kind, bool raw, ProgressSink* progress)
{
    if (image.Width() == 0 || image.Height() == 0)
        fail(UserText(formatmsg::widthOrHeightZero));
    static constexpr int kResolution[] = {0, 0, 5, 7};
    if (kind < 1 || kind > 3 || image.ColorResolution() != kResolution[kind])
        fail(UserText(formatmsg::invalidColorResolution));

    const int width = image.Width();
    const int height = image.Height();
    // Appended piece by piece: g++ 12 warns falsely (-Wrestrict) on a chain of string additions.
    std::string head = "P";
    head += std::to_string(raw ? kind + 3 : kind);
    head += '\n';
    head += std::to_string(width);
    head += ' ';
    head += std::to_string(height);
    head += '\n';
    if (kind != 1)
        head += "255\n";
    out.write(head.data(), static_cast<std::streamsize>(head.size()));

    static const SampleTexts texts;
    const std::size_t samples = static_cast<std::size_t>(width) * (kind == 3 ? 3 : 1);
    std::vector<char> line(kind == 1 ? 2 * static_cast<std::size_t>(width) : 4 * samples);
    ProgressScope scope(progress, height);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* src = image.rowData(y);
        char* p = line.data();
        if (kind == 2 && raw) {
            // A grey row is stored as it is in memory.
            writeBytes(out, src, static_cast<std::size_t>(width));
            scope.update(y + 1);
            continue;
        }
        if (kind == 1) {
            // Entry 0 of the black-and-white palette is black, which is 1 in a bit map.
            if (raw) {
                const std::size_t bytes = (static_cast<std::size_t>(width) + 7) / 8;
                for (std::size_t i = 0; i < bytes; ++i)
                    *p++ = static_cast<char>(~src[i]);
                // Bits beyond the width are padding; keep them 0.
                if (width & 7)
                    p[-1] = static_cast<char>(p[-1] & (0xFF00 >> (width & 7)));
            } else {
                for (int x = 0; x < width; ++x) {
                    *p++ = ((src[x >> 3] >> (7 - (x & 7))) & 1) ? '0' : '1';
                    *p++ = ' ';
                }
                p[-1] = '\n';
            }
        } else if (raw) {
            for (int x = 0; x < width; ++x) {
                *p++ = static_cast<char>(src[3 * x + 2]);
                *p++ = static_cast<char>(src[3 * x + 1]);
                *p++ = static_cast<char>(src[3 * x]);
            }
        } else {
            auto put = [&](std::uint8_t v) {
                std::memcpy(p, texts.text[v], 4);
                p += texts.length[v];
            };
            for (int x = 0; x < width; ++x) {
                if (kind == 2) {
                    put(src[x]);
                } else {
                    put(src[3 * x + 2]);
                    put(src[3 * x + 1]);
                    put(src[3 * x]);
                }
            }
            p[-1] = '\n';
        }
        out.write(line.data(), p - line.data());
        scope.update(y + 1);
    }
}

namespace {

template <int kind>
ImageWriter pnmWriterFor(const char* extension, const char* description, ResolutionSet resolutions)
{
    ImageWriter w;
    w.extensions = {extension};
    w.description = description;
    w.resolutions = resolutions;
    w.write = [](const TPixelGraphic& image, std::ostream& out, SaveContext& context) {
        writePnm(image, out, kind, context.options().pnmRawForm, context.progress());
    };
    return w;
}

ImageReader pnmReaderFor(const char* extension, const char* description, bool (*recognise)(ByteSpan))
{
    ImageReader r;
    r.extensions = {extension};
    r.description = description;
    r.recognise = recognise;
    r.read = [](ByteSpan data, TPixelGraphic& image, LoadContext& context) { readPnm(data, image, context.progress()); };
    return r;
}

}  // namespace

ImageReader pbmReader()
{
    return pnmReaderFor("pbm", "Portable Bitmap", [](ByteSpan h) { return startsWithKind(h, '1', '4'); });
}
ImageReader pgmReader()
{
    return pnmReaderFor("pgm", "Portable Graymap", [](ByteSpan h) { return startsWithKind(h, '2', '5'); });
}
ImageReader ppmReader()
{
    return pnmReaderFor("ppm", "Portable Pixelmap", [](ByteSpan h) { return startsWithKind(h, '3', '6'); });
}
ImageWriter pbmWriter() { return pnmWriterFor<1>("pbm", "Portable Bitmap", 1); }
ImageWriter pgmWriter() { return pnmWriterFor<2>("pgm", "Portable Graymap", 32); }
ImageWriter ppmWriter() { return pnmWriterFor<3>("ppm", "Portable Pixelmap", 128); }

}  // namespace tesra
