#include "analysis/boundary_proposals.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "analysis/line_geometry.h"

namespace tesra {

namespace {

// Rows of the band on each side of the line, one pixel apart.
constexpr int kBandHalfWidth = 2;
constexpr int kBandRows = 2 * kBandHalfWidth + 1;
// A boundary that crosses the line at a slant is at along-line offset o * t in the band row
// o pixels beside the line; t (samples per row) is tried from -kMaxShear to kMaxShear, which
// follows boundaries down to about 14 degrees from the line.
constexpr int kMaxShear = 4;
// How far beside a valley (samples) the grains' brightness is looked for. Longer than a
// boundary is wide even where it crosses at a slant; a dark stretch longer than this (a
// boundary running along the line) is no valley.
constexpr int kValleyReach = 8;
// Extra samples before a straight line's start and after its end, so that the valley test
// near the ends sees the image beyond them.
constexpr int kPad = kValleyReach + kBandHalfWidth * kMaxShear + 2;
// Valleys shallower than this (grey values) are never proposed: the grain texture of a
// clean image.
constexpr float kMinDepth = 6.0f;

// Grey values (green components) of an image with coordinates clamped into it: a band that
// leaves the image repeats its edge instead of reading the dark background, which would look
// like a boundary.
class GreySource {
public:
    explicit GreySource(const TPixelGraphic& image) : m_image(image), m_w(image.Width()), m_h(image.Height())
    {
        if (image.PixelFormat() == TPixelFormat::pf24Bit)
            return;
        const int entries = 1 << image.bitsPerPixel();
        for (int i = 0; i < entries; ++i) {
            // An index outside the palette reads as black, as nothing else can be shown for it.
            try {
                m_lut[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(greyOf(image.PaletteColor(i)));
            } catch (const EPixelGraphic&) {
                m_lut[static_cast<std::size_t>(i)] = 0;
            }
        }
    }

    bool empty() const { return m_w <= 0 || m_h <= 0 || m_image.isEmpty(); }

    float at(int x, int y) const
    {
        x = std::clamp(x, 0, m_w - 1);
        y = std::clamp(y, 0, m_h - 1);
        const std::uint8_t* row = m_image.rowData(y);
        switch (m_image.PixelFormat()) {
        case TPixelFormat::pf24Bit:
            return row[3 * static_cast<std::size_t>(x) + 1];
        case TPixelFormat::pf8Bit:
            return m_lut[row[x]];
        default:
            return m_lut[m_image.GetPixel(x, y) & 0xFFu];
        }
    }

    // Bilinear between the four pixels around (x, y).
    float bilinear(double x, double y) const
    {
        const double fx = std::floor(x), fy = std::floor(y);
        const float ax = static_cast<float>(x - fx), ay = static_cast<float>(y - fy);
        float p00, p10, p01, p11;
        if (fx >= 0 && fy >= 0 && fx + 1 < m_w && fy + 1 < m_h && m_image.PixelFormat() == TPixelFormat::pf24Bit) {
            // Inside a 24-bit image, the common case: the green bytes straight from the rows.
            const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
            const std::uint8_t* top = m_image.rowData(iy) + 3 * static_cast<std::size_t>(ix) + 1;
            const std::uint8_t* bottom = m_image.rowData(iy + 1) + 3 * static_cast<std::size_t>(ix) + 1;
            p00 = top[0];
            p10 = top[3];
            p01 = bottom[0];
            p11 = bottom[3];
        } else {
            const int ix = static_cast<int>(std::clamp(fx, -1.0, double(m_w)));
            const int iy = static_cast<int>(std::clamp(fy, -1.0, double(m_h)));
            p00 = at(ix, iy);
            p10 = at(ix + 1, iy);
            p01 = at(ix, iy + 1);
            p11 = at(ix + 1, iy + 1);
        }
        const float top = p00 + ax * (p10 - p00);
        const float bottom = p01 + ax * (p11 - p01);
        return top + ay * (bottom - top);
    }

private:
    const TPixelGraphic& m_image;
    int m_w, m_h;
    std::array<std::uint8_t, 256> m_lut{};
};

// Where the samples of a line lie: sample i at point + i * step along the path, with the
// normal pointing to one side. A circle is walked from its rightmost point through the lower
// half, as positions on circles run.
struct Path {
    bool closed = false;
    int count = 0;   // samples on the line itself
    int first = 0;   // index of the sample at the line's start (kPad on a straight line)
    double length = 0;
    double step = 1;  // pixels between samples
    // Point and unit normal of sample i (0 = the first padded sample).
    std::vector<double> x, y, nx, ny;
};

Path pathOf(const TestLine& line)
{
    Path p;
    if (line.isCircle) {
        const double r = static_cast<double>(circleRadius(line));
        const double cx = static_cast<double>(centreX(line)), cy = static_cast<double>(centreY(line));
        p.closed = true;
        p.length = 2 * static_cast<double>(kPi) * r;
        const double n = std::min<double>(std::ceil(p.length), static_cast<double>(kMaxLineSamples));
        if (!(r > 0) || !(n >= 8))
            return p;
        p.count = static_cast<int>(n);
        p.step = p.length / p.count;
        for (int i = 0; i < p.count; ++i) {
            const double phi = 2 * static_cast<double>(kPi) * i / p.count;
            const double c = std::cos(phi), s = std::sin(phi);
            p.x.push_back(cx + r * c);
            p.y.push_back(cy + r * s);
            p.nx.push_back(c);
            p.ny.push_back(s);
        }
        return p;
    }
    const double dx = static_cast<double>(line.x2) - line.x1, dy = static_cast<double>(line.y2) - line.y1;
    p.length = std::hypot(dx, dy);
    if (!(p.length > 0) || p.length > static_cast<double>(kMaxLineSamples))
        return p;
    const double ux = dx / p.length, uy = dy / p.length;
    p.count = static_cast<int>(std::floor(p.length)) + 1;
    p.first = kPad;
    const int total = p.count + 2 * kPad;
    for (int i = 0; i < total; ++i) {
        const double s = i - kPad;
        p.x.push_back(line.x1 + s * ux);
        p.y.push_back(line.y1 + s * uy);
        p.nx.push_back(-uy);
        p.ny.push_back(ux);
    }
    return p;
}

// Index into a profile of `size` samples: wrapped round on a circle, held at the ends on a
// straight line (whose padding already reaches past every shifted read within the line).
inline int wrapIndex(int i, int size, bool closed)
{
    if (closed) {
        i %= size;
        return i < 0 ? i + size : i;
    }
    return std::clamp(i, 0, size - 1);
}

// Depth of the valley at every sample: how far the sample lies below the lower of the
// brightest values within kValleyReach on its left and on its right. Uses the running maximum
// of blocks (van Herk) so the cost does not grow with the reach.
void valleyDepth(const std::vector<float>& f, bool closed, std::vector<float>& depth, std::vector<float>& work)
{
    const int n = static_cast<int>(f.size());
    const int L = kValleyReach;
    // Extended profile: L samples of context on each side (wrapped or held).
    const int m = n + 2 * L;
    work.resize(static_cast<std::size_t>(3 * m));
    float* ext = work.data();
    float* g = ext + m;   // maximum from the start of the block to here
    float* h = g + m;     // maximum from here to the end of the block
    for (int i = 0; i < m; ++i)
        ext[i] = f[static_cast<std::size_t>(wrapIndex(i - L, n, closed))];
    for (int i = 0; i < m; ++i)
        g[i] = (i % L == 0) ? ext[i] : std::max(g[i - 1], ext[i]);
    for (int i = m - 1; i >= 0; --i)
        h[i] = (i == m - 1 || (i + 1) % L == 0) ? ext[i] : std::max(h[i + 1], ext[i]);
    // Maximum over ext[a .. a + L - 1] = max(h[a], g[a + L - 1]).
    depth.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const int e = i + L;  // sample i in ext
        const float left = std::max(h[e - L], g[e - 1]);
        const float right = std::max(h[e + 1], g[e + L]);
        depth[static_cast<std::size_t>(i)] = std::min(left, right) - ext[e];
    }
}

// Robust spread of a profile's noise: the median absolute first difference, scaled to a
// standard deviation. Boundaries are a small share of the differences and hardly move it.
float noiseOf(const std::vector<float>& f, std::vector<float>& work)
{
    if (f.size() < 3)
        return 0;
    work.clear();
    for (std::size_t i = 1; i < f.size(); ++i)
        work.push_back(std::fabs(f[i] - f[i - 1]));
    auto mid = work.begin() + static_cast<std::ptrdiff_t>(work.size() / 2);
    std::nth_element(work.begin(), mid, work.end());
    return *mid * 1.4826f / std::sqrt(2.0f);
}

constexpr int kNormalSensitivity = ProposalSettings{}.sensitivity;

// Detection threshold in units of the noise for a sensitivity of 0..100. Above Normal the
// steps are smaller: every unit less lets through many more of the noise's valleys.
float noiseFactor(int sensitivity)
{
    if (sensitivity <= kNormalSensitivity)
        return 8.5f - 0.05f * static_cast<float>(sensitivity);
    return 6.0f - 0.04f * static_cast<float>(sensitivity - kNormalSensitivity);
}

// Share of a line's typical boundary depth that a boundary must reach, for 0..100. Above
// Normal it falls more slowly, for the same reason: below about a quarter of the typical
// depth lie the differences between neighbouring grains.
float shareOfTypical(int sensitivity)
{
    if (sensitivity <= kNormalSensitivity)
        return 0.62f - 0.004f * static_cast<float>(sensitivity);
    return 0.42f - 0.003f * static_cast<float>(sensitivity - kNormalSensitivity);
}

// The response of one slant at one sample, from the valley depths of the five rows read along
// the slant: the shallowest of the two sides and the middle (groups of three rows).
inline float slantedDepth(float m2, float m1, float c, float p1, float p2)
{
    return std::min({m2 + m1 + c, m1 + c + p1, c + p1 + p2}) / 3;
}

struct Peak {
    double centre = 0;  // sample index on the padded path, fractional
    float strength = 0;
    int top = 0;        // the sample of the strongest response
};

// The boundaries in a response: runs above half the threshold that reach the threshold; in
// a run, tops separated by a dip deeper than half the threshold and at least the minimum
// spacing apart are separate boundaries (else one boundary with a double minimum). The
// centre of a boundary is the centroid of its response above half its top.
std::vector<Peak> peaksOf(const std::vector<float>& r, const std::vector<float>& profile, float threshold,
                          double minSpacing, int from, int to)
{
    std::vector<Peak> out;
    const float low = threshold / 2;
    int i = from;
    while (i < to) {
        if (r[static_cast<std::size_t>(i)] <= low) {
            ++i;
            continue;
        }
        const int runStart = i;
        while (i < to && r[static_cast<std::size_t>(i)] > low)
            ++i;
        const int runEnd = i;  // exclusive
        // Local tops of the run, highest first.
        std::vector<int> tops;
        for (int k = runStart; k < runEnd; ++k) {
            const float v = r[static_cast<std::size_t>(k)];
            const float before = k > runStart ? r[static_cast<std::size_t>(k - 1)] : low;
            const float after = k + 1 < runEnd ? r[static_cast<std::size_t>(k + 1)] : low;
            if (v >= threshold && v > before && v >= after)
                tops.push_back(k);
        }
        std::sort(tops.begin(), tops.end(), [&](int a, int b) { return r[std::size_t(a)] > r[std::size_t(b)]; });
        std::vector<int> kept;
        for (int t : tops) {
            bool separate = true;
            for (int k : kept) {
                if (std::abs(t - k) < minSpacing) {
                    separate = false;
                    break;
                }
                const auto a = std::min(t, k), b = std::max(t, k);
                const float dip = *std::min_element(r.begin() + a, r.begin() + b + 1);
                const float bump = *std::max_element(profile.begin() + a, profile.begin() + b + 1) -
                                   std::max(profile[std::size_t(a)], profile[std::size_t(b)]);
                if (r[std::size_t(t)] - dip < std::max(low, r[std::size_t(t)] / 2) &&
                    bump < std::max(low, r[std::size_t(t)] / 3)) {
                    separate = false;
                    break;
                }
            }
            if (separate)
                kept.push_back(t);
        }
        std::sort(kept.begin(), kept.end());
        for (std::size_t k = 0; k < kept.size(); ++k) {
            const int top = kept[k];
            const float half = r[std::size_t(top)] * 0.75f;
            // Bounded by the neighbouring boundaries of the same run.
            const int lo = k > 0 ? (kept[k - 1] + top) / 2 + 1 : runStart;
            const int hi = k + 1 < kept.size() ? (top + kept[k + 1]) / 2 : runEnd - 1;
            int a = top, b = top;
            while (a > lo && r[std::size_t(a - 1)] > half)
                --a;
            while (b < hi && r[std::size_t(b + 1)] > half)
                ++b;
            double sum = 0, weighted = 0;
            for (int s = a; s <= b; ++s) {
                const double w = r[std::size_t(s)] - half;
                sum += w;
                weighted += w * s;
            }
            out.push_back({sum > 0 ? weighted / sum : double(top), r[std::size_t(top)], top});
        }
    }
    return out;
}

// How far from a valley's lowest point its centre is measured (samples).
constexpr int kRefineReach = kValleyReach + 4;

// The centre of a boundary: the middle between the places where the valley climbs halfway
// back to the grain on either side, each side to its own grain, measured on the band averaged
// along the boundary's slant t and within lo..hi (the neighbouring boundaries). Between a
// darker and a brighter grain the lowest point of a blurred boundary, and any one grey level
// on its flanks, lie towards the darker grain, the more so the flatter the line crosses it.
double refinedCentre(const std::array<std::vector<float>, kBandRows>& band, bool closed, int top, int t, int lo,
                     int hi, double fallback)
{
    const int n = static_cast<int>(band[0].size());
    // p[j] is sample first + j; the outermost two stay 0 and are never reached.
    constexpr int m = 2 * kRefineReach + 3;
    const int first = top - kRefineReach - 1;
    std::array<float, m> raw{}, p{};
    for (int j = 0; j < m; ++j) {
        float sum = 0;
        for (int o = -kBandHalfWidth; o <= kBandHalfWidth; ++o)
            sum += band[std::size_t(o + kBandHalfWidth)][std::size_t(wrapIndex(first + j + o * t, n, closed))];
        raw[std::size_t(j)] = sum / kBandRows;
    }
    for (int j = 1; j + 1 < m; ++j)
        p[std::size_t(j)] = 0.25f * raw[std::size_t(j - 1)] + 0.5f * raw[std::size_t(j)] + 0.25f * raw[std::size_t(j + 1)];
    const int a = std::max(lo, top - kRefineReach) - first, b = std::min(hi, top + kRefineReach) - first;
    int low = top - first;
    for (int j = std::max(a, low - 2); j <= std::min(b, low + 2); ++j)
        if (p[std::size_t(j)] < p[std::size_t(low)])
            low = j;
    const float bottom = p[std::size_t(low)];
    float left = bottom, right = bottom;
    for (int j = a; j < low; ++j)
        left = std::max(left, p[std::size_t(j)]);
    for (int j = low + 1; j <= b; ++j)
        right = std::max(right, p[std::size_t(j)]);
    if (!(left > bottom) || !(right > bottom))
        return fallback;
    // Each walk ends at the latest where its side's brightest sample lies (within a..b).
    const float halfLeft = (bottom + left) / 2, halfRight = (bottom + right) / 2;
    int j = low;
    while (p[std::size_t(j - 1)] < halfLeft)
        --j;
    const double xl = j - (halfLeft - p[std::size_t(j)]) / (p[std::size_t(j - 1)] - p[std::size_t(j)]);
    j = low;
    while (p[std::size_t(j + 1)] < halfRight)
        ++j;
    const double xr = j + (halfRight - p[std::size_t(j)]) / (p[std::size_t(j + 1)] - p[std::size_t(j)]);
    return first + (xl + xr) / 2;
}

// Half-width of the running mean over the side difference (samples).
constexpr int kFlatSmoothing = 2;
// The flattest crossing followed: the side difference must turn within this many samples.
constexpr int kFlatSpan = 48;
// A turn of the side difference this close to a boundary already found is that boundary
// (the turn of a boundary crossing at a slant lies at its valley, give or take a pixel).
constexpr double kFlatApart = 3.0;

// Boundaries that cross the line too flat for the slanted band. Such a boundary runs beside
// the line on one side, passes under it and goes on on the other side: the band sees a long
// dark stretch rather than a valley, while the difference between its two sides turns from
// one sign to the other. The crossing is where the difference passes zero, provided the
// line is as dark there as a boundary against the grains on either side. A boundary that
// runs beside or along the line and leaves it on the side it came from does not turn.
std::vector<Peak> flatCrossings(const std::array<std::vector<float>, kBandRows>& band, float threshold,
                                const std::vector<Peak>& found, std::vector<float>& side, std::vector<float>& centre)
{
    static_assert(kBandRows == 5, "the sides below name the five rows");
    const int n = static_cast<int>(band[0].size());
    auto outer = [&](int i) { return (band[3][std::size_t(i)] + band[4][std::size_t(i)]) / 2; };  // one side
    auto inner = [&](int i) { return (band[0][std::size_t(i)] + band[1][std::size_t(i)]) / 2; };  // the other
    // Running means over 2 kFlatSmoothing + 1 samples; the first and last kFlatSmoothing stay 0.
    side.assign(std::size_t(n), 0.0f);
    centre.assign(std::size_t(n), 0.0f);
    constexpr int kWindow = 2 * kFlatSmoothing + 1;
    if (n < kWindow)
        return {};
    float d = 0, c = 0;
    auto difference = [&](int k) { return outer(k) - inner(k); };
    auto middle = [&](int k) { return (band[1][std::size_t(k)] + band[2][std::size_t(k)] + band[3][std::size_t(k)]) / 3; };
    for (int k = 0; k < kWindow - 1; ++k) {
        d += difference(k);
        c += middle(k);
    }
    for (int i = kFlatSmoothing; i + kFlatSmoothing < n; ++i) {
        d += difference(i + kFlatSmoothing);
        c += middle(i + kFlatSmoothing);
        side[std::size_t(i)] = d / kWindow;
        centre[std::size_t(i)] = c / kWindow;
        d -= difference(i - kFlatSmoothing);
        c -= middle(i - kFlatSmoothing);
    }
    std::vector<Peak> out;
    const float swing = threshold / 2;  // the two rows of each side together differ by the threshold
    int lastLow = -1, lastHigh = -1;    // the latest samples beyond -swing and +swing
    for (int i = kFlatSmoothing; i + kFlatSmoothing < n; ++i) {
        const float v = side[std::size_t(i)];
        int from = -1;
        if (v >= swing) {
            if (lastLow > lastHigh && i - lastLow <= kFlatSpan)
                from = lastLow;
            lastHigh = i;
        } else if (v <= -swing) {
            if (lastHigh > lastLow && i - lastHigh <= kFlatSpan)
                from = lastHigh;
            lastLow = i;
        }
        if (from < 0)
            continue;
        // The middle of the zero crossings between the two swings (noise may add a few).
        double firstZero = -1, lastZero = -1;
        for (int k = from; k < i; ++k) {
            const float a = side[std::size_t(k)], b = side[std::size_t(k + 1)];
            if ((a < 0) != (b < 0) || a == 0) {
                const double z = a == b ? k : k + a / (a - b);
                if (firstZero < 0)
                    firstZero = z;
                lastZero = z;
            }
        }
        if (firstZero < 0)
            continue;
        const double z = (firstZero + lastZero) / 2;
        const int zi = static_cast<int>(std::lround(z));
        // The grains are the brighter side of the band where the boundary lies beside the line.
        const float grain = std::min(std::max(outer(from), inner(from)), std::max(outer(i), inner(i)));
        const float depth = grain - centre[std::size_t(zi)];
        if (depth < threshold)
            continue;
        auto close = [&](const Peak& p) { return std::fabs(p.centre - z) < kFlatApart; };
        if (std::any_of(found.begin(), found.end(), close) || std::any_of(out.begin(), out.end(), close))
            continue;
        out.push_back({z, depth, zi});
    }
    return out;
}

}  // namespace

ProposalSettings ClampedSettings(ProposalSettings settings)
{
    settings.sensitivity = std::clamp(settings.sensitivity, kMinSensitivity, kMaxSensitivity);
    if (!std::isfinite(settings.minimumSpacing))
        settings.minimumSpacing = ProposalSettings{}.minimumSpacing;
    settings.minimumSpacing = std::clamp(settings.minimumSpacing, kMinSpacingLimit, kMaxSpacingLimit);
    return settings;
}

std::vector<Proposal> ProposeAlongLine(const TPixelGraphic& image, const TestLine& line, int lineIndex,
                                       const ProposalSettings& requested)
{
    const ProposalSettings settings = ClampedSettings(requested);
    const GreySource grey(image);
    const Path path = pathOf(line);
    if (grey.empty() || path.count == 0)
        return {};
    const int n = static_cast<int>(path.x.size());

    // The band: row o holds the grey values o pixels beside the line, darker boundaries
    // lower (bright boundaries are turned round).
    std::array<std::vector<float>, kBandRows> band;
    for (int o = -kBandHalfWidth; o <= kBandHalfWidth; ++o) {
        std::vector<float>& row = band[std::size_t(o + kBandHalfWidth)];
        row.resize(std::size_t(n));
        for (int i = 0; i < n; ++i) {
            const float v = grey.bilinear(path.x[std::size_t(i)] + o * path.nx[std::size_t(i)],
                                          path.y[std::size_t(i)] + o * path.ny[std::size_t(i)]);
            row[std::size_t(i)] = settings.darkBoundaries ? v : 255.0f - v;
        }
    }
    auto rowAt = [&](int o, int i) { return band[std::size_t(o + kBandHalfWidth)][std::size_t(wrapIndex(i, n, path.closed))]; };

    // For every slant, the valley depth on each side of the line and along its middle (the
    // groups of rows overlap); a crossing shows in all three at the same place, so the
    // response is the shallowest of them, and the best slant wins. The middle group keeps two
    // boundaries that each touch only the outer rows of one side from adding up to a valley.
    std::vector<float> response(static_cast<std::size_t>(n), 0.0f);
    std::vector<float> work;
    std::array<std::vector<float>, kBandRows> depth;
    std::vector<float> smooth(static_cast<std::size_t>(n));
    float noise = 0;
    for (int o = -kBandHalfWidth; o <= kBandHalfWidth; ++o) {
        const std::vector<float>& row = band[std::size_t(o + kBandHalfWidth)];
        for (int i = 0; i < n; ++i)
            smooth[std::size_t(i)] = 0.25f * row[std::size_t(wrapIndex(i - 1, n, path.closed))] + 0.5f * row[std::size_t(i)] +
                                     0.25f * row[std::size_t(wrapIndex(i + 1, n, path.closed))];
        if (o == 0)
            noise = noiseOf(smooth, work);
        valleyDepth(smooth, path.closed, depth[std::size_t(o + kBandHalfWidth)], work);
    }
    // The three middle rows, for telling two close boundaries from one with a double minimum.
    std::vector<float> middle(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        middle[std::size_t(i)] = (rowAt(-1, i) + rowAt(0, i) + rowAt(1, i)) / 3;
    // The depths with kSlantReach samples of context on each side (wrapped on a circle,
    // held on a line), so that the slanted reads below need no index checks.
    constexpr int kSlantReach = kBandHalfWidth * kMaxShear;
    static_assert(kBandRows == 5, "the slanted groups below name the five rows");
    std::array<std::vector<float>, kBandRows> padded;
    for (int o = 0; o < kBandRows; ++o) {
        padded[std::size_t(o)].resize(std::size_t(n + 2 * kSlantReach));
        for (int i = 0; i < n + 2 * kSlantReach; ++i)
            padded[std::size_t(o)][std::size_t(i)] = depth[std::size_t(o)][std::size_t(wrapIndex(i - kSlantReach, n, path.closed))];
    }
    for (int t = -kMaxShear; t <= kMaxShear; ++t) {
        const float* m2 = padded[0].data() + kSlantReach - 2 * t;
        const float* m1 = padded[1].data() + kSlantReach - t;
        const float* c = padded[2].data() + kSlantReach;
        const float* p1 = padded[3].data() + kSlantReach + t;
        const float* p2 = padded[4].data() + kSlantReach + 2 * t;
        float* out = response.data();
        for (int i = 0; i < n; ++i) {
            out[i] = std::max(out[i], slantedDepth(m2[i], m1[i], c[i], p1[i], p2[i]));
        }
    }

    // The threshold stands above the noise, and above the depth that differences between
    // neighbouring grains give: a darker grain narrower than the valley test's reach looks
    // like a shallow valley, much shallower than the boundaries of the same line.
    const double spacing = settings.minimumSpacing / path.step;
    // The line's typical boundary is taken from the valleys above Normal's noise threshold at
    // least: at a higher sensitivity the noise's own valleys would pull it down, and the
    // threshold with it, on lines that cross few boundaries.
    const float noiseThreshold = std::max(kMinDepth, noiseFactor(settings.sensitivity) * noise);
    const float typicalFrom = std::max(noiseThreshold, noiseFactor(kNormalSensitivity) * noise);
    std::vector<Peak> peaks = peaksOf(response, middle, typicalFrom, spacing, 0, n);
    float threshold = noiseThreshold;
    if (!peaks.empty()) {
        std::vector<float> tops;
        for (const Peak& p : peaks)
            tops.push_back(p.strength);
        auto mid = tops.begin() + static_cast<std::ptrdiff_t>(tops.size() / 2);
        std::nth_element(tops.begin(), mid, tops.end());
        threshold = std::max(noiseThreshold, shareOfTypical(settings.sensitivity) * *mid);
    }
    if (threshold != typicalFrom)
        peaks = peaksOf(response, middle, threshold, spacing, 0, n);

    // Where exactly each boundary lies, then the crossings too flat for the slanted band.
    // (The slant is looked up again only here: keeping it for every sample would slow the
    // search over the slants above, which the compiler runs several samples at a time.)
    auto slantAt = [&](int i) {
        int best = 0;
        float most = -std::numeric_limits<float>::infinity();
        for (int t = -kMaxShear; t <= kMaxShear; ++t) {
            const std::size_t k = std::size_t(i + kSlantReach);
            const float v = slantedDepth(padded[0][k - 2 * t], padded[1][k - t], padded[2][k], padded[3][k + t], padded[4][k + 2 * t]);
            if (v > most) {
                most = v;
                best = t;
            }
        }
        return best;
    };
    for (std::size_t k = 0; k < peaks.size(); ++k) {
        const int top = peaks[k].top;
        const int lo = k > 0 ? peaks[k - 1].top : top - kRefineReach;
        const int hi = k + 1 < peaks.size() ? peaks[k + 1].top : top + kRefineReach;
        peaks[k].centre = refinedCentre(band, path.closed, top, slantAt(top), lo, hi, peaks[k].centre);
    }
    std::vector<Peak> flat = flatCrossings(band, threshold, peaks, smooth, work);  // (the last two as scratch)
    if (!flat.empty()) {
        peaks.insert(peaks.end(), flat.begin(), flat.end());
        std::sort(peaks.begin(), peaks.end(), [](const Peak& a, const Peak& b) { return a.centre < b.centre; });
    }

    // Along-line positions; close pairs become one triple junction.
    struct Found {
        double along;
        float strength;
        bool junction;
    };
    std::vector<Found> found;
    for (const Peak& p : peaks)
        found.push_back({(p.centre - path.first) * path.step, p.strength, false});
    std::vector<Found> merged;
    for (const Found& f : found) {
        if (!merged.empty() && !merged.back().junction && f.along - merged.back().along < kJunctionDistance) {
            merged.back() = {(merged.back().along + f.along) / 2, std::max(merged.back().strength, f.strength), true};
            continue;
        }
        merged.push_back(f);
    }
    if (path.closed && merged.size() > 1 && !merged.back().junction && !merged.front().junction &&
        merged.front().along + path.length - merged.back().along < kJunctionDistance) {
        double a = (merged.back().along + merged.front().along + path.length) / 2;
        if (a >= path.length)
            a -= path.length;
        merged.front() = {a, std::max(merged.front().strength, merged.back().strength), true};
        merged.pop_back();
        std::sort(merged.begin(), merged.end(), [](const Found& l, const Found& r) { return l.along < r.along; });
    }

    std::vector<Proposal> out;
    const double right = image.Width() - 1, bottom = image.Height() - 1;
    for (const Found& f : merged) {
        if (!path.closed && (f.along < kEndMargin || f.along > path.length - kEndMargin))
            continue;
        Proposal p;
        p.line = lineIndex;
        p.along = f.along;
        p.type = f.junction ? itTriplePoint : itNormal;
        p.strength = f.strength;
        if (path.closed) {
            const double r = static_cast<double>(circleRadius(line));
            const double phi = f.along / r;
            p.x = static_cast<double>(centreX(line)) + r * std::cos(phi);
            p.y = static_cast<double>(centreY(line)) + r * std::sin(phi);
        } else {
            p.x = line.x1 + f.along * (line.x2 - line.x1) / path.length;
            p.y = line.y1 + f.along * (line.y2 - line.y1) / path.length;
        }
        // A line that leaves the image sees the image's edge repeated there, not boundaries.
        if (!(p.x >= 0 && p.y >= 0 && p.x <= right && p.y <= bottom))
            continue;
        out.push_back(p);
    }
    return out;
}

std::vector<Proposal> ProposeForLines(const TPixelGraphic& image, const Measurement& measurement,
                                      const std::vector<int>& lineIndexes, const ProposalSettings& settings,
                                      ProgressSink* progress)
{
    std::vector<Proposal> out;
    ProgressScope scope(progress, static_cast<std::int64_t>(lineIndexes.size()));
    std::int64_t done = 0;
    for (int index : lineIndexes) {
        scope.update(done++);
        if (index < 1 || index > measurement.lineCount())
            continue;
        const TestLine& line = measurement.line(index);
        for (const Proposal& p : ProposeAlongLine(image, line, index, settings)) {
            bool marked = false;
            for (const Intercept& k : measurement.intercepts())
                if (k.line == index && std::hypot(k.x - p.x, k.y - p.y) < kJunctionDistance / 2)
                    marked = true;
            if (!marked)
                out.push_back(p);
        }
    }
    scope.update(done);
    return out;
}

}  // namespace tesra
