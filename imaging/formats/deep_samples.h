#pragma once
// Images with more than 8 bits per sample (16-bit grey and RGB, 32-bit grey) are shown as
// 8-bit images: the image's own smallest..largest sample is mapped linearly onto 0..255, so a
// 12-bit micrograph in a 16-bit file uses the whole grey scale instead of looking nearly
// black. The reader reports the range it used, and the program shows it to the user.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tesra {

// How the samples are stored in the file.
enum class DeepSampleKind { Unsigned16, Signed16, Unsigned32, Signed32, Float32 };

// Bits of one sample of a kind (16 or 32).
int deepSampleBits(DeepSampleKind kind);

// What a reader did to a deep image: the sample bits of the file and the range mapped onto
// 0..255. `bits` is 0 for an image that was not reduced.
struct DepthReduction {
    int bits = 0;
    bool floating = false;
    double minimum = 0;
    double maximum = 0;

    bool reduced() const { return bits != 0; }
};

// The line for the status panel: "16-bit image shown as 8-bit, range 12–4095" (floating-point
// bounds with up to 6 significant digits). Empty when nothing was reduced.
std::string depthReductionText(const DepthReduction& r);

// One value mapped onto 0..255: R((v − minimum) × 255 / (maximum − minimum)), clamped. A
// uniform image (maximum = minimum) gives 0; NaN gives 0.
std::uint8_t reduceToByte(double v, double minimum, double maximum);

// The smallest and largest sample of an image, gathered piece by piece (strip by strip, as
// they are decoded) so that the file's samples never need to be held all at once.
class DeepSampleRange {
public:
    DeepSampleRange(DeepSampleKind kind, bool bigEndian);

    // Takes in the first `used` samples of each of `pixels` pixels of `samplesPerPixel`
    // samples at `data` (file byte order). NaN and infinite values do not count.
    void add(const std::uint8_t* data, std::size_t pixels, int samplesPerPixel, int used);
    // The range so far; without any finite value 0..0.
    DepthReduction result() const;

private:
    DeepSampleKind m_kind;
    bool m_big;
    std::int64_t m_intLo, m_intHi;  // 16-bit kinds: compared as integers, which stays cheap
    double m_lo, m_hi;
};

// The range of one piece of samples (see DeepSampleRange::add).
DepthReduction deepSampleRange(const std::uint8_t* data, std::size_t pixels, int samplesPerPixel, int used,
                               DeepSampleKind kind, bool bigEndian);

// Maps rows of deep samples onto bytes through one range.
class DeepSampleReducer {
public:
    // `reversed` writes each pixel's samples last to first (RGB files into the buffer's blue,
    // green, red); `inverted` gives 255 − byte (white-is-zero files).
    DeepSampleReducer(DeepSampleKind kind, bool bigEndian, const DepthReduction& range, bool reversed = false,
                      bool inverted = false);

    // Writes the first `used` samples of each of `pixels` pixels at `src` to `dst` (pixels ×
    // used bytes).
    void reduceRow(const std::uint8_t* src, std::size_t pixels, int samplesPerPixel, int used, std::uint8_t* dst) const;

private:
    std::uint8_t reduce32(const std::uint8_t* p) const;

    DeepSampleKind m_kind;
    bool m_big;
    DepthReduction m_range;
    bool m_reversed;
    bool m_inverted;
    std::vector<std::uint8_t> m_table;  // 16-bit kinds: the byte of every raw value
};

}  // namespace tesra
