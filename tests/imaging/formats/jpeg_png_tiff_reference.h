#pragma once
// Independent decoders for the JPEG, PNG and TIFF tests: Pillow (through Debian's own
// python3), ImageMagick (convert-im6.q16) and libjpeg's djpeg. Each decodes a file into plain
// 8-bit samples that the tests compare with our readers. A decoder that is not installed
// gives nullopt, and the test that needs it skips with the reason.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "imaging/pixel_graphic.h"
#include "tests/test_support.h"

namespace tesra::test {

struct RefImage {
    int width = 0;
    int height = 0;
    int channels = 0;  // 1 grey, 3 RGB, 4 RGBA
    std::vector<std::uint8_t> samples;

    const std::uint8_t* at(int x, int y) const
    {
        return samples.data() + (static_cast<std::size_t>(y) * width + x) * channels;
    }
    // The colour value 0x00BBGGRR of a pixel (alpha ignored).
    std::uint32_t color(int x, int y) const
    {
        const std::uint8_t* p = at(x, y);
        return channels < 3 ? rgb(p[0], p[0], p[0]) : rgb(p[0], p[1], p[2]);
    }
};

inline bool haveProgram(const std::string& path) { return std::filesystem::exists(path); }
inline bool havePillow()
{
    return haveProgram("/usr/bin/python3") &&
           std::system("/usr/bin/python3 -c 'import PIL' >/dev/null 2>&1") == 0;
}
inline bool haveImageMagick() { return haveProgram("/usr/bin/convert-im6.q16"); }
inline bool haveDjpeg() { return haveProgram("/usr/bin/djpeg"); }

inline std::string quoted(const std::string& s)
{
    std::string out = "'";
    for (char c : s) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

// Reads a binary PNM (P5 or P6, maxval 255) as written by the decoders.
inline std::optional<RefImage> parsePnm(const std::vector<std::uint8_t>& bytes)
{
    std::size_t pos = 0;
    auto token = [&]() {
        std::string t;
        while (pos < bytes.size()) {
            const char c = static_cast<char>(bytes[pos]);
            if (c == '#') {
                while (pos < bytes.size() && bytes[pos] != '\n')
                    ++pos;
            } else if (c == ' ' || c == '\n' || c == '\r' || c == '\t') {
                if (!t.empty())
                    break;
                ++pos;
            } else {
                t += c;
                ++pos;
            }
        }
        return t;
    };
    const std::string magic = token();
    if (magic != "P5" && magic != "P6")
        return std::nullopt;
    RefImage r;
    r.channels = magic == "P5" ? 1 : 3;
    r.width = std::stoi(token());
    r.height = std::stoi(token());
    if (std::stoi(token()) != 255)
        return std::nullopt;
    ++pos;  // the single white space after maxval
    const std::size_t n = static_cast<std::size_t>(r.width) * r.height * r.channels;
    if (bytes.size() < pos + n)
        return std::nullopt;
    r.samples.assign(bytes.begin() + static_cast<std::ptrdiff_t>(pos), bytes.begin() + static_cast<std::ptrdiff_t>(pos + n));
    return r;
}

inline std::string tempFile(const std::string& name)
{
    static const std::string dir = makeTempDir("formats2_ref");
    return dir + "/" + name;
}

// Pillow: the first frame as RGB, or as RGBA when `withAlpha` (mode as Pillow converts it).
// Also reports Pillow's "background" (bKGD) where the file has one.
inline std::optional<RefImage> decodeWithPillow(const std::string& path, bool withAlpha = false)
{
    if (!havePillow())
        return std::nullopt;
    const std::string out = tempFile("pillow.raw");
    std::remove(out.c_str());
    const std::string script =
        "import sys\n"
        "from PIL import Image\n"
        "im = Image.open(sys.argv[1]); im.load()\n"
        "mode = sys.argv[3]\n"
        "im = im.convert(mode)\n"
        "open(sys.argv[2], 'wb').write(b'%d %d %d\\n' % (im.size[0], im.size[1], len(mode)) + im.tobytes())\n";
    const std::string cmd = "/usr/bin/python3 -c " + quoted(script) + " " + quoted(path) + " " + quoted(out) + " " +
                            (withAlpha ? "RGBA" : "RGB") + " >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0)
        return std::nullopt;
    const std::vector<std::uint8_t> bytes = readFile(out);
    std::size_t eol = 0;
    while (eol < bytes.size() && bytes[eol] != '\n')
        ++eol;
    if (eol >= bytes.size())
        return std::nullopt;
    std::istringstream head(std::string(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(eol)));
    RefImage r;
    head >> r.width >> r.height >> r.channels;
    const std::size_t n = static_cast<std::size_t>(r.width) * r.height * r.channels;
    if (bytes.size() != eol + 1 + n)
        return std::nullopt;
    r.samples.assign(bytes.begin() + static_cast<std::ptrdiff_t>(eol + 1), bytes.end());
    return r;
}

// ImageMagick: the first frame as 8-bit RGB, alpha dropped. The samples are taken as they are
// stored: ImageMagick would otherwise convert grey files with a gamma of 1.0 from linear grey.
inline std::optional<RefImage> decodeWithImageMagick(const std::string& path)
{
    if (!haveImageMagick())
        return std::nullopt;
    const std::string out = tempFile("im.ppm");
    std::remove(out.c_str());
    const std::string cmd =
        "/usr/bin/convert-im6.q16 " + quoted(path + "[0]") + " -set colorspace sRGB -alpha off -depth 8 " + quoted("ppm:" + out) + " >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0)
        return std::nullopt;
    return parsePnm(readFile(out));
}

// ImageMagick with transparency flattened onto a background colour (0x00BBGGRR).
inline std::optional<RefImage> decodeWithImageMagickOn(const std::string& path, std::uint32_t background)
{
    if (!haveImageMagick())
        return std::nullopt;
    const std::string out = tempFile("im_flat.ppm");
    std::remove(out.c_str());
    const std::string colour = "rgb(" + std::to_string(redOf(background)) + "," + std::to_string(greenOf(background)) +
                               "," + std::to_string(blueOf(background)) + ")";
    const std::string cmd = "/usr/bin/convert-im6.q16 " + quoted(path + "[0]") + " -set colorspace sRGB -background " + quoted(colour) +
                            " -flatten -depth 8 " + quoted("ppm:" + out) + " >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0)
        return std::nullopt;
    return parsePnm(readFile(out));
}

// libjpeg's own djpeg: grey files as P5, colour as P6.
inline std::optional<RefImage> decodeWithDjpeg(const std::string& path)
{
    if (!haveDjpeg())
        return std::nullopt;
    const std::string out = tempFile("djpeg.pnm");
    std::remove(out.c_str());
    const std::string cmd = "/usr/bin/djpeg -pnm -outfile " + quoted(out) + " " + quoted(path) + " >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0)
        return std::nullopt;
    return parsePnm(readFile(out));
}

// The largest difference of a colour channel between our image and a reference; -1 when
// the sizes differ.
inline int maxDifference(const TPixelGraphic& image, const RefImage& ref)
{
    if (image.Width() != ref.width || image.Height() != ref.height)
        return -1;
    int worst = 0;
    for (int y = 0; y < ref.height; ++y) {
        for (int x = 0; x < ref.width; ++x) {
            const std::uint32_t a = image.GetColor(x, y);
            const std::uint32_t b = ref.color(x, y);
            worst = std::max({worst, std::abs(redOf(a) - redOf(b)), std::abs(greenOf(a) - greenOf(b)),
                              std::abs(blueOf(a) - blueOf(b))});
        }
    }
    return worst;
}

inline std::vector<std::string> filesIn(const std::string& dir, const std::vector<std::string>& extensions)
{
    std::vector<std::string> out;
    if (!std::filesystem::is_directory(dir))
        return out;
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
        const std::string ext = e.path().extension().string();
        for (const std::string& want : extensions)
            if (ext == want)
                out.push_back(e.path().string());
    }
    std::sort(out.begin(), out.end());
    return out;
}

inline std::string baseName(const std::string& path) { return std::filesystem::path(path).stem().string(); }

// A name usable as a gtest parameter name (letters, digits, underscores).
inline std::string testName(const std::string& path)
{
    std::string s = std::filesystem::path(path).filename().string();
    for (char& c : s)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return s;
}

}  // namespace tesra::test
