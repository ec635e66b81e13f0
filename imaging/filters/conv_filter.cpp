#include "imaging/filters/conv_filter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "common/rounding.h"

namespace tesra {

namespace {

constexpr long double kPiL = 3.141592653589793238462643383279502884L;

// The row loop looks output bytes up in a table over every possible weighted sum when the
// table stays this small (bytes); larger kernels compute each byte from the formula.
constexpr std::int64_t kMaxLookupEntries = std::int64_t{1} << 22;

// acc[k] += w × s[k]: the whole kernel is run as one such pass per cell over the bytes of a
// row, since blue, green and red are weighted alike and three bytes apart.
template <typename Acc>
void accumulate(Acc* __restrict acc, const std::uint8_t* __restrict s, Acc w, std::size_t n)
{
    for (std::size_t k = 0; k < n; ++k)
        acc[k] = static_cast<Acc>(acc[k] + w * s[k]);
}

// The interior of one row: acc = Σ w × source bytes over the kernel cells, then each byte
// looked up. Acc is 16 bits wide when every partial sum fits (the usual sharpen and detail
// kernels), which doubles the lanes per vector instruction.
template <typename Acc>
void interiorRow(const TConvFilter& f, const std::vector<const std::uint8_t*>& rows, std::size_t begin,
                 std::size_t count, std::vector<Acc>& acc, const std::vector<std::uint8_t>& table,
                 std::int64_t minSum, std::uint8_t* out)
{
    std::fill_n(acc.data() + begin, count, Acc{0});
    for (int j = 0; j < f.height; ++j) {
        for (int i = 0; i < f.width; ++i) {
            const std::int32_t w = f.weight(i, j);
            if (w == 0)
                continue;
            const std::uint8_t* s = rows[static_cast<std::size_t>(j)] + begin + 3 * static_cast<std::ptrdiff_t>(i + f.xOffset);
            accumulate<Acc>(acc.data() + begin, s, static_cast<Acc>(w), count);
        }
    }
    const std::uint8_t* lut = table.data();
    const Acc* a = acc.data();
    for (std::size_t k = begin; k < begin + count; ++k)
        out[k] = lut[a[k] - minSum];
}

TConvFilter negatedWithCentre(const TConvFilter& base, std::int32_t centre)
{
    TConvFilter result = base;
    for (auto& w : result.kernel)
        w = -w;
    result.kernel[static_cast<std::size_t>(-base.yOffset) * base.width + static_cast<std::size_t>(-base.xOffset)] =
        centre;
    result.bias = 0.0L;
    result.gain = 1.0L;
    return result;
}

std::int32_t checkedWeight(long double v)
{
    const std::int64_t r = R(v);
    if (r > INT32_MAX || r < INT32_MIN)
        throw EPGFilterParameter("Filter kernel weight out of range");
    return static_cast<std::int32_t>(r);
}

void checkPercent(int percent)
{
    if (percent <= 0)
        throw EPGFilterParameter("Filter strength must be positive, not " + std::to_string(percent) + "%");
}

}  // namespace

long double DistributionValue(TDistributionShape shape, long double sigma, long double x)
{
    switch (shape) {
    case dsGaussian:
        return std::exp(-(x * x) / (2.0L * sigma * sigma)) / (sigma * std::sqrt(2.0L * kPiL));
    case dsTent: {
        const long double a = std::sqrt(6.0L) * sigma;
        if (std::fabs(x) <= a)
            return 1.0L / a - std::fabs(x) / (a * a);
        return 0.0L;
    }
    case dsRect: {
        const long double a = std::sqrt(3.0L) * sigma;
        if (std::fabs(x) <= a)
            return 1.0L / (2.0L * a);
        return 0.0L;
    }
    }
    return 0.0L;
}

TConvFilter BaseKernel(TDistributionShape shape, bool useDistance, long double sigma)
{
    if (shape != dsGaussian && shape != dsTent && shape != dsRect)
        throw EPGFilterParameter("Unknown kernel shape " + std::to_string(static_cast<int>(shape)));
    const long double g0 = DistributionValue(shape, sigma, 0.0L);
    if (!(sigma > 0.0L) || !std::isfinite(sigma) || !std::isfinite(g0) || !(g0 > 0.0L))
        throw EPGFilterParameter("Invalid standard deviation for a filter kernel");

    const auto g = [&](long double x) { return DistributionValue(shape, sigma, x); };
    const auto vanishes = [&](int k) {
        if (shape == dsRect)
            return g(k) <= 0.0L;
        return R(16.0L * g(k) / g0) <= 0;
    };
    int k = 0;
    while (!vanishes(k)) {
        ++k;
        if (k - 1 > kMaxKernelRadius)
            throw EPGFilterParameter("Standard deviation too large for a filter kernel");
    }
    const int l = k - 1;  // k >= 1: the centre never vanishes

    TConvFilter f;
    f.width = f.height = 2 * l + 1;
    f.xOffset = f.yOffset = -l;
    f.kernel.assign(static_cast<std::size_t>(f.width) * f.height, 0);
    for (int j = 0; j < f.height; ++j) {
        for (int i = 0; i < f.width; ++i) {
            const long double dx = i - l;
            const long double dy = j - l;
            std::int32_t w;
            if (shape == dsRect) {
                const bool inside = useDistance ? g(std::sqrt(dx * dx + dy * dy)) > 0.0L : g(dx) * g(dy) > 0.0L;
                w = inside ? 1 : 0;
            } else if (useDistance) {
                w = checkedWeight(16.0L * g(std::sqrt(dx * dx + dy * dy)) / g0);
            } else {
                w = checkedWeight(16.0L * g(dx) * g(dy) / (g0 * g0));
            }
            f.kernel[static_cast<std::size_t>(j) * f.width + i] = w;
        }
    }
    f.bias = 0.0L;
    f.gain = 1.0L;
    return f;
}

TConvFilter SharpenKernel(const TConvFilter& base, int percent)
{
    checkPercent(percent);
    return negatedWithCentre(base, checkedWeight(100.0L / percent * base.weightSum()));
}

TConvFilter DetailKernel(const TConvFilter& base, int percent)
{
    checkPercent(percent);
    const std::int64_t rest = base.weightSum() - base.centreWeight() + 1;
    return negatedWithCentre(base, checkedWeight(100.0L / percent * rest));
}

TConvFilter ContourKernel(const TConvFilter& base, int percent, bool blackBackground)
{
    TConvFilter f = negatedWithCentre(base, checkedWeight(base.weightSum() - base.centreWeight() + 1));
    f.bias = blackBackground ? 0.0L : 100.0L;
    f.gain = blackBackground ? -static_cast<long double>(percent) : static_cast<long double>(percent);
    return f;
}

void TConvFilter::Prepare()
{
    validate();
}

void TConvFilter::validate() const
{
    if (width < 1 || height < 1 || static_cast<std::int64_t>(width) * height != static_cast<std::int64_t>(kernel.size()))
        throw EPGFilterParameter("Filter kernel does not match its size");
    if (-xOffset < 0 || -xOffset >= width || -yOffset < 0 || -yOffset >= height)
        throw EPGFilterParameter("Filter kernel offset outside the kernel");
}

std::int64_t TConvFilter::weightSum() const
{
    std::int64_t s = 0;
    for (const auto w : kernel)
        s += w;
    return s;
}

std::uint8_t TConvFilter::channel(std::int64_t a, std::int64_t s) const
{
    const long double q = s != 0 ? static_cast<long double>(a) / static_cast<long double>(s)
                                 : static_cast<long double>(a);
    return ClampByte(R(gain * q + bias * 255 * 0.01L));
}

std::uint32_t TConvFilter::PixelFunction(const TPixelGraphic& source, int x, int y) const
{
    std::int64_t s = 0, ar = 0, ag = 0, ab = 0;
    for (int j = 0; j < height; ++j) {
        const int sy = y + j + yOffset;
        if (sy < 0 || sy >= source.Height())
            continue;
        for (int i = 0; i < width; ++i) {
            const int sx = x + i + xOffset;
            if (sx < 0 || sx >= source.Width())
                continue;
            const std::int64_t w = weight(i, j);
            const std::uint32_t c = source.GetColor(sx, sy);
            s += w;
            ar += w * redOf(c);
            ag += w * greenOf(c);
            ab += w * blueOf(c);
        }
    }
    return rgb(channel(ar, s), channel(ag, s), channel(ab, s));
}

void TConvFilter::ComputeRows(const TPixelGraphic& source, const FilterRowSink& sink, ProgressScope& progress) const
{
    validate();
    const int imageWidth = source.Width();
    const int imageHeight = source.Height();
    if (imageWidth <= 0 || imageHeight <= 0)
        return;
    const std::size_t rowBytes = 3 * static_cast<std::size_t>(imageWidth);

    // Source rows as blue, green, red bytes: 24-bit rows as stored, palette rows decoded into
    // a ring that holds the kernel's height of rows.
    const bool trueColour = source.PixelFormat() == TPixelFormat::pf24Bit;
    std::vector<std::uint8_t> ring;
    std::vector<int> ringRow;
    if (!trueColour) {
        ring.resize(rowBytes * static_cast<std::size_t>(height));
        ringRow.assign(static_cast<std::size_t>(height), -1);
    }
    const auto sourceRow = [&](int sy) -> const std::uint8_t* {
        if (trueColour)
            return source.rowData(sy);
        const std::size_t slot = static_cast<std::size_t>(sy % height);
        std::uint8_t* row = ring.data() + slot * rowBytes;
        if (ringRow[slot] != sy) {
            for (int x = 0; x < imageWidth; ++x) {
                const std::uint32_t c = source.GetColor(x, sy);
                row[3 * x] = static_cast<std::uint8_t>(blueOf(c));
                row[3 * x + 1] = static_cast<std::uint8_t>(greenOf(c));
                row[3 * x + 2] = static_cast<std::uint8_t>(redOf(c));
            }
            ringRow[slot] = sy;
        }
        return row;
    };

    // Weighted sums of the interior are bounded by the negative and positive weights; every
    // possible sum gets its output byte once, from the same formula as the borders.
    std::int64_t negative = 0, positive = 0;
    for (const auto w : kernel)
        (w < 0 ? negative : positive) += w;
    const std::int64_t fullSum = negative + positive;
    const std::int64_t minSum = negative * 255;
    const std::int64_t entries = (positive - negative) * 255 + 1;
    const bool useTable = entries <= kMaxLookupEntries;
    std::vector<std::uint8_t> table;
    if (useTable) {
        table.resize(static_cast<std::size_t>(entries));
        for (std::int64_t e = 0; e < entries; ++e)
            table[static_cast<std::size_t>(e)] = channel(minSum + e, fullSum);
    }

    // Output pixels whose kernel lies wholly inside the image: x in firstX..lastX.
    const int firstX = std::max(0, -xOffset);
    const int lastX = std::min(imageWidth - 1, imageWidth - width - xOffset);

    // Every partial sum lies between the sums of the negative and of the positive weights.
    const bool narrow = negative * 255 >= INT16_MIN && positive * 255 <= INT16_MAX;
    std::vector<const std::uint8_t*> rows(static_cast<std::size_t>(height));
    std::vector<std::int32_t> acc(narrow ? 0 : rowBytes);
    std::vector<std::int16_t> acc16(narrow ? rowBytes : 0);
    std::vector<std::uint8_t> out(rowBytes);

    const auto borderPixel = [&](int x) {
        std::int64_t s = 0, ab = 0, ag = 0, ar = 0;
        for (int j = 0; j < height; ++j) {
            const std::uint8_t* row = rows[static_cast<std::size_t>(j)];
            if (!row)
                continue;
            for (int i = 0; i < width; ++i) {
                const int sx = x + i + xOffset;
                if (sx < 0 || sx >= imageWidth)
                    continue;
                const std::int64_t w = weight(i, j);
                const std::uint8_t* p = row + 3 * static_cast<std::size_t>(sx);
                s += w;
                ab += w * p[0];
                ag += w * p[1];
                ar += w * p[2];
            }
        }
        std::uint8_t* o = out.data() + 3 * static_cast<std::size_t>(x);
        o[0] = channel(ab, s);
        o[1] = channel(ag, s);
        o[2] = channel(ar, s);
    };

    for (int y = 0; y < imageHeight; ++y) {
        bool allRows = true;
        for (int j = 0; j < height; ++j) {
            const int sy = y + j + yOffset;
            const bool inside = sy >= 0 && sy < imageHeight;
            rows[static_cast<std::size_t>(j)] = inside ? sourceRow(sy) : nullptr;
            allRows = allRows && inside;
        }
        if (allRows && useTable && firstX <= lastX) {
            const std::size_t begin = 3 * static_cast<std::size_t>(firstX);
            const std::size_t count = 3 * static_cast<std::size_t>(lastX - firstX + 1);
            if (narrow)
                interiorRow(*this, rows, begin, count, acc16, table, minSum, out.data());
            else
                interiorRow(*this, rows, begin, count, acc, table, minSum, out.data());
            for (int x = 0; x < firstX; ++x)
                borderPixel(x);
            for (int x = lastX + 1; x < imageWidth; ++x)
                borderPixel(x);
        } else {
            for (int x = 0; x < imageWidth; ++x)
                borderPixel(x);
        }
        sink(y, out.data());
        progress.update(y + 1);
    }
}

}  // namespace tesra
