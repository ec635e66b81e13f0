#pragma once
// Helpers for the format tests: building files byte by byte, comparing images pixel by pixel,
// and finding the outside decoders used for cross-checks.
#include "imaging/formats/image_format.h"

#include "tests/test_support.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace tesra::test {


struct Bytes {
    std::vector<std::uint8_t> v;
    Bytes& u8(unsigned x) { v.push_back(static_cast<std::uint8_t>(x)); return *this; }
    Bytes& u16(unsigned x) { u8(x & 0xFF); return u8((x >> 8) & 0xFF); }
    Bytes& u32(std::uint32_t x) { u16(x & 0xFFFF); return u16(x >> 16); }
    Bytes& text(const std::string& s) { for (char c : s) u8(static_cast<unsigned char>(c)); return *this; }
    Bytes& fill(std::size_t n, unsigned x) { v.insert(v.end(), n, static_cast<std::uint8_t>(x)); return *this; }
    Bytes& add(const std::vector<std::uint8_t>& b) { v.insert(v.end(), b.begin(), b.end()); return *this; }
    ByteSpan span() const { return ByteSpan(v.data(), v.size()); }
};

// Empty string when the images have the same size and the same colour at every pixel;
// otherwise a description of the first difference.
inline std::string compareColors(const TPixelGraphic& a, const TPixelGraphic& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height()) {
        std::ostringstream s;
        s << "size " << a.Width() << "x" << a.Height() << " vs " << b.Width() << "x" << b.Height();
        return s.str();
    }
    int differences = 0;
    std::ostringstream s;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) {
            const std::uint32_t ca = a.GetColor(x, y), cb = b.GetColor(x, y);
            if (ca != cb) {
                if (differences == 0)
                    s << "first at (" << x << "," << y << "): " << std::hex << ca << " vs " << cb << std::dec;
                ++differences;
            }
        }
    if (differences == 0)
        return std::string();
    s << "; " << differences << " pixels differ";
    return s.str();
}

// True when an executable of that name is on the PATH.
inline bool onPath(const std::string& name)
{
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a shell command quietly; true when it exits with 0.
inline bool runQuiet(const std::string& command) { return std::system(("(" + command + ") >/dev/null 2>&1").c_str()) == 0; }

// Reads a binary PPM (P6) or PGM (P5) with maxval 255 as written by the outside tools into a
// 24-bit image, with a parser kept apart from the reader under test.
inline TPixelGraphic readToolPnm(const std::string& path)
{
    const std::vector<std::uint8_t> d = readFile(path);
    std::size_t p = 0;
    auto token = [&]() {
        std::string t;
        while (p < d.size() && (isspace(d[p]) || d[p] == '#')) {
            if (d[p] == '#')
                while (p < d.size() && d[p] != '\n')
                    ++p;
            else
                ++p;
        }
        while (p < d.size() && !isspace(d[p]))
            t += static_cast<char>(d[p++]);
        return t;
    };
    const std::string magic = token();
    const int w = std::stoi(token()), h = std::stoi(token()), maxval = std::stoi(token());
    ++p;
    if ((magic != "P6" && magic != "P5") || maxval != 255)
        throw std::runtime_error("unexpected tool output " + path);
    const int channels = magic == "P6" ? 3 : 1;
    if (d.size() < p + static_cast<std::size_t>(w) * h * channels)
        throw std::runtime_error("short tool output " + path);
    TPixelGraphic img(w, h, TPixelFormat::pf24Bit);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint8_t* s = &d[p + (static_cast<std::size_t>(y) * w + x) * channels];
            img.SetPixel(x, y, channels == 3 ? rgb(s[0], s[1], s[2]) : rgb(s[0], s[0], s[0]));
        }
    return img;
}

}  // namespace tesra::test
