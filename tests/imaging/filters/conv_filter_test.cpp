// Convolution kernels worked out by hand, flat areas, corners, ties, and a slow reference
// written straight from the formula, compared byte for byte with the row loop on random
// images of several sizes and pixel formats.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "imaging/dither.h"
#include "imaging/filters/conv_filter.h"
#include "imaging/filters/filter_dialogs.h"

namespace tesra {
namespace {

std::vector<std::int32_t> kernelOf(const TConvFilter& f) { return f.kernel; }

TEST(ConvKernel, BaseKernelsByHand)
{
    const TConvFilter gauss = BaseKernel(dsGaussian, true, 0.75L);
    EXPECT_EQ(gauss.width, 3);
    EXPECT_EQ(gauss.height, 3);
    EXPECT_EQ(gauss.xOffset, -1);
    EXPECT_EQ(gauss.yOffset, -1);
    EXPECT_EQ(kernelOf(gauss), (std::vector<std::int32_t>{3, 7, 3, 7, 16, 7, 3, 7, 3}));
    EXPECT_EQ(gauss.bias, 0.0L);
    EXPECT_EQ(gauss.gain, 1.0L);

    // Tent, a = √6 × 0.75 = 1.837: 16 (1 − 1/a) = 7.29, 16 (1 − √2/a) = 3.68; 2 lies outside.
    EXPECT_EQ(kernelOf(BaseKernel(dsTent, true, 0.75L)), (std::vector<std::int32_t>{4, 7, 4, 7, 16, 7, 4, 7, 4}));

    // Rect, a = √3 = 1.732: every cell of the 3 × 3 block lies within a.
    EXPECT_EQ(kernelOf(BaseKernel(dsRect, true, 1.0L)), std::vector<std::int32_t>(9, 1));

    // Rect σ 1.2, a = 2.078: 5 × 5, keeping cells with dx² + dy² <= 4.32.
    const TConvFilter disk = BaseKernel(dsRect, true, 1.2L);
    EXPECT_EQ(kernelOf(disk), (std::vector<std::int32_t>{0, 0, 1, 0, 0,  //
                                                          0, 1, 1, 1, 0,  //
                                                          1, 1, 1, 1, 1,  //
                                                          0, 1, 1, 1, 0,  //
                                                          0, 0, 1, 0, 0}));
    EXPECT_EQ(kernelOf(BaseKernel(dsRect, false, 1.2L)), std::vector<std::int32_t>(25, 1));

    // Gaussian σ 1.3: 16 exp(−9/3.38) = 1.12 still counts, 16 exp(−16/3.38) = 0.14 does not.
    const TConvFilter wide = BaseKernel(dsGaussian, true, 1.3L);
    EXPECT_EQ(wide.width, 7);
    EXPECT_EQ(wide.xOffset, -3);
    EXPECT_EQ(wide.weight(3, 3), 16);
    EXPECT_EQ(wide.weight(0, 3), 1);
    EXPECT_EQ(wide.weight(0, 0), 0);  // distance 4.24

    // Separable form: 16 g(1)² / g(0)² = 16 × 0.4111² = 2.70.
    EXPECT_EQ(kernelOf(BaseKernel(dsGaussian, false, 0.75L)),
              (std::vector<std::int32_t>{3, 7, 3, 7, 16, 7, 3, 7, 3}));
}

TEST(ConvKernel, DerivedKernels)
{
    const TConvFilter base = BaseKernel(dsGaussian, true, 0.75L);  // sum 56, centre 16
    EXPECT_EQ(kernelOf(SharpenKernel(base, 50)),
              (std::vector<std::int32_t>{-3, -7, -3, -7, 112, -7, -3, -7, -3}));
    EXPECT_EQ(SharpenKernel(base, 100).centreWeight(), 56);
    EXPECT_EQ(SharpenKernel(base, 30).centreWeight(), 187);  // 186.67
    EXPECT_EQ(DetailKernel(base, 75).centreWeight(), 55);    // 4/3 × 41 = 54.67
    EXPECT_EQ(DetailKernel(base, 100).centreWeight(), 41);

    const TConvFilter rect = BaseKernel(dsRect, true, 1.0L);
    const TConvFilter white = ContourKernel(rect, 100, false);
    EXPECT_EQ(kernelOf(white), (std::vector<std::int32_t>{-1, -1, -1, -1, 9, -1, -1, -1, -1}));
    EXPECT_EQ(white.weightSum(), 1);
    EXPECT_EQ(white.bias, 100.0L);
    EXPECT_EQ(white.gain, 100.0L);
    const TConvFilter black = ContourKernel(rect, 250, true);
    EXPECT_EQ(black.bias, 0.0L);
    EXPECT_EQ(black.gain, -250.0L);
}

TEST(ConvKernel, RefusesParametersWithoutAKernel)
{
    EXPECT_THROW(BaseKernel(dsGaussian, true, 0.0L), EPGFilterParameter);
    EXPECT_THROW(BaseKernel(dsTent, true, -1.0L), EPGFilterParameter);
    EXPECT_THROW(BaseKernel(dsRect, true, NAN), EPGFilterParameter);
    EXPECT_THROW(BaseKernel(dsGaussian, true, 1.0e6L), EPGFilterParameter);
    const TConvFilter base = BaseKernel(dsGaussian, true, 0.75L);
    EXPECT_THROW(SharpenKernel(base, 0), EPGFilterParameter);
    EXPECT_THROW(DetailKernel(base, -5), EPGFilterParameter);
}

TPixelGraphic flatImage(int w, int h, std::uint32_t colour)
{
    TPixelGraphic image(w, h, TPixelFormat::pf24Bit);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.SetPixel(x, y, colour);
    return image;
}

TEST(ConvFilter, FlatAreas)
{
    const TPixelGraphic flat = flatImage(6, 5, rgb(100, 37, 250));
    // Sharpen keeps a flat area at any strength: the weights inside the image, borders
    // included, give A = S × value, so A / S is the value itself.
    const TConvFilter base = BaseKernel(dsGaussian, true, 0.75L);
    for (int p : {10, 50, 100}) {
        TConvFilter sharpen = SharpenKernel(base, p);
        TPixelGraphic out;
        ApplyFilter(flat, out, sharpen);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 6; ++x)
                EXPECT_EQ(out.GetColor(x, y), rgb(100, 37, 250)) << p << " at " << x << "," << y;
    }

    const TConvFilter rect = BaseKernel(dsRect, true, 1.0L);
    TConvFilter white = ContourKernel(rect, 100, false);
    TConvFilter black = ContourKernel(rect, 100, true);
    TPixelGraphic w, b;
    ApplyFilter(flat, w, white);
    ApplyFilter(flat, b, black);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 6; ++x) {
            EXPECT_EQ(w.GetColor(x, y), rgb(255, 255, 255));
            EXPECT_EQ(b.GetColor(x, y), rgb(0, 0, 0));
        }
    }
}

TEST(ConvFilter, CornerUsesOnlyCellsInsideTheImage)
{
    TPixelGraphic image = flatImage(3, 3, 0);
    image.SetPixel(0, 0, rgb(100, 100, 100));
    image.SetPixel(1, 0, rgb(50, 50, 50));
    image.SetPixel(0, 1, rgb(50, 50, 50));
    TConvFilter sharpen = SharpenKernel(BaseKernel(dsGaussian, true, 0.75L), 50);
    TPixelGraphic out;
    ApplyFilter(image, out, sharpen);
    // Cells inside at the corner: 112, −7, −7, −3, so S = 95 and
    // A = 112·100 − 7·50 − 7·50 − 3·0 = 10500; 10500 / 95 = 110.53.
    EXPECT_EQ(out.GetColor(0, 0), rgb(111, 111, 111));
    // The centre sees the whole kernel: A = −3·100 − 7·50 − 7·50 = −1000, clamped to 0.
    EXPECT_EQ(out.GetColor(1, 1), rgb(0, 0, 0));
}

TEST(ConvFilter, HalvesRoundToEven)
{
    // Interior sum 72; a corner 12 darker than the rest adds 36: the result is k + 0.5.
    for (int k : {100, 101}) {
        TPixelGraphic image = flatImage(5, 5, rgb(k, k, k));
        image.SetPixel(1, 1, rgb(k - 12, k, k));
        TConvFilter sharpen = SharpenKernel(BaseKernel(dsGaussian, true, 0.75L), 50);
        TPixelGraphic out;
        ApplyFilter(image, out, sharpen);
        EXPECT_EQ(redOf(out.GetColor(2, 2)), k % 2 == 0 ? k : k + 1) << k;
        EXPECT_EQ(greenOf(out.GetColor(2, 2)), k);
    }
}

TEST(ConvFilter, RefusesToWriteIntoItsSource)
{
    TPixelGraphic image = flatImage(4, 4, rgb(9, 9, 9));
    TConvFilter sharpen = SharpenKernel(BaseKernel(dsGaussian, true, 0.75L), 50);
    try {
        ApplyFilter(image, image, sharpen);
        FAIL() << "no error";
    } catch (const EPGFilterSourceIsTarget& e) {
        EXPECT_STREQ(e.what(), "Cannot apply this filter to a source that is identical to the target");
    }
    EXPECT_EQ(image.GetColor(2, 2), rgb(9, 9, 9));
}

// ---- The row loop against the formula ----

// Straight from the formula: every cell inside the image adds its weight to S and w × channel
// to A; each channel is clamp(rnd(gain × (S ≠ 0 ? A / S : A) + bias × 255 × 0.01)).
std::uint32_t referencePixel(const TPixelGraphic& src, const TConvFilter& f, int x, int y)
{
    long double s = 0, a[3] = {0, 0, 0};
    for (int j = 0; j < f.height; ++j) {
        for (int i = 0; i < f.width; ++i) {
            const int sx = x + i + f.xOffset, sy = y + j + f.yOffset;
            if (sx < 0 || sy < 0 || sx >= src.Width() || sy >= src.Height())
                continue;
            const long double w = f.kernel[static_cast<std::size_t>(j * f.width + i)];
            const std::uint32_t c = src.GetColor(sx, sy);
            s += w;
            a[0] += w * (c & 0xFF);
            a[1] += w * ((c >> 8) & 0xFF);
            a[2] += w * ((c >> 16) & 0xFF);
        }
    }
    int out[3];
    for (int k = 0; k < 3; ++k) {
        const long double q = s != 0 ? a[k] / s : a[k];
        long double v = std::nearbyint(f.gain * q + f.bias * 255 * 0.01L);
        out[k] = static_cast<int>(v < 0 ? 0 : v > 255 ? 255 : v);
    }
    return static_cast<std::uint32_t>(out[0] | out[1] << 8 | out[2] << 16);
}

TPixelGraphic randomImage(int w, int h, TPixelFormat format, std::mt19937& rng)
{
    TPixelGraphic image(w, h, format);
    const int entries = paletteEntriesOf(format);
    if (entries > 0) {
        std::vector<std::uint32_t> palette(static_cast<std::size_t>(entries));
        for (auto& c : palette)
            c = rng() & 0xFFFFFF;
        image.SetPalette(palette);
    }
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            // Patches of equal colour next to noise, as in a micrograph.
            const bool patch = (x / 4 + y / 3) % 3 == 0;
            const std::uint32_t v = patch ? 77u * (x / 4 + 1) : static_cast<std::uint32_t>(rng());
            image.SetPixel(x, y, entries > 0 ? v % static_cast<std::uint32_t>(entries) : v & 0xFFFFFF);
        }
    }
    return image;
}

std::vector<TConvFilter> filtersUnderTest()
{
    const TConvFilter gauss = BaseKernel(dsGaussian, true, 0.75L);
    const TConvFilter rect = BaseKernel(dsRect, true, 1.0L);
    std::vector<TConvFilter> list = {
        SharpenKernel(gauss, 50),
        SharpenKernel(BaseKernel(dsGaussian, true, 1.3L), 10),
        DetailKernel(BaseKernel(dsTent, true, 1.1L), 75),
        DetailKernel(BaseKernel(dsGaussian, false, 0.4L), 100),
        ContourKernel(rect, 100, false),
        ContourKernel(BaseKernel(dsRect, true, 1.2L), 730, true),
        gauss,
    };
    // Weights too large for the lookup table of the row loop, and a sum of zero.
    TConvFilter big;
    big.width = 3;
    big.height = 1;
    big.xOffset = -1;
    big.kernel = {-100000, 250001, -100000};
    list.push_back(big);
    TConvFilter zero;
    zero.width = zero.height = 3;
    zero.xOffset = zero.yOffset = -1;
    zero.kernel = {1, 1, 1, 1, -8, 1, 1, 1, 1};
    zero.gain = 0.5L;
    zero.bias = 50;
    list.push_back(zero);
    return list;
}

TEST(ConvFilter, RowLoopEqualsTheFormulaOnRandomImages)
{
    std::mt19937 rng(20240611);
    const std::pair<int, int> sizes[] = {{1, 1}, {2, 3}, {7, 1}, {5, 4}, {17, 9}, {40, 23}};
    const TPixelFormat formats[] = {TPixelFormat::pf24Bit, TPixelFormat::pf8Bit, TPixelFormat::pf4Bit,
                                    TPixelFormat::pf1Bit};
    const auto filters = filtersUnderTest();
    for (const auto& size : sizes) {
        const int w = size.first;
        const int h = size.second;
        for (const TPixelFormat format : formats) {
            const TPixelGraphic src = randomImage(w, h, format, rng);
            for (std::size_t n = 0; n < filters.size(); ++n) {
                const TConvFilter& f = filters[n];
                ProgressScope progress(nullptr, h);
                int rowsSeen = 0;
                int mismatches = 0;
                f.ComputeRows(
                    src,
                    [&](int y, const std::uint8_t* bgr) {
                        EXPECT_EQ(y, rowsSeen++);
                        for (int x = 0; x < w; ++x) {
                            const std::uint32_t got = rgb(bgr[3 * x + 2], bgr[3 * x + 1], bgr[3 * x]);
                            const std::uint32_t want = referencePixel(src, f, x, y);
                            if (got != want && ++mismatches < 4)
                                ADD_FAILURE() << "filter " << n << " size " << w << "x" << h << " format "
                                              << static_cast<int>(format) << " at " << x << "," << y << ": "
                                              << std::hex << got << " != " << want;
                            EXPECT_EQ(f.PixelFunction(src, x, y), want);
                        }
                    },
                    progress);
                EXPECT_EQ(rowsSeen, h);
            }
        }
    }
}

TEST(ConvFilter, PaletteTargetKeepsTheSourcePalette)
{
    std::mt19937 rng(7);
    TPixelGraphic src = randomImage(9, 6, TPixelFormat::pf8Bit, rng);
    TConvFilter sharpen = SharpenKernel(BaseKernel(dsGaussian, true, 0.75L), 50);
    TPixelGraphic out;
    out.SetDither(false);
    ApplyFilter(src, out, sharpen);
    ASSERT_EQ(out.Width(), 9);
    ASSERT_EQ(out.Height(), 6);
    EXPECT_EQ(out.PixelFormat(), TPixelFormat::pf8Bit);
    EXPECT_EQ(out.Palette(), src.Palette());
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 9; ++x)
            EXPECT_EQ(out.GetPixel(x, y), out.ColorToIndex(referencePixel(src, sharpen, x, y)));
}

TEST(ConvFilter, GreyImageThroughDitheredStoringKeepsExactGreys)
{
    // Filtered greys land exactly on entries of a 256-step grey palette: no error to spread.
    TPixelGraphic src(8, 5, TPixelFormat::pf8Bit);
    src.SetPaletteIdent(pGray256);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 8; ++x)
            src.SetPixel(x, y, static_cast<std::uint32_t>((x * 37 + y * 91) % 256));
    TConvFilter detail = DetailKernel(BaseKernel(dsGaussian, true, 0.75L), 75);
    TPixelGraphic out;
    ApplyFilter(src, out, detail);
    EXPECT_EQ(out.PaletteIdent(), pGray256);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(out.GetColor(x, y), referencePixel(src, detail, x, y)) << x << "," << y;
}

TEST(ConvFilter, PaletteTargetIsStoredDitheredInSerpentineOrder)
{
    // 16 greys cannot hold the sharpened values, so the error diffusion shows the order in
    // which the pixels were stored.
    TPixelGraphic src(11, 7, TPixelFormat::pf4Bit);
    src.SetPaletteIdent(pGray16);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 11; ++x)
            src.SetPixel(x, y, static_cast<std::uint32_t>((x * 5 + y * 3) % 16));
    TConvFilter sharpen = SharpenKernel(BaseKernel(dsGaussian, true, 0.75L), 50);
    TPixelGraphic out;
    ApplyFilter(src, out, sharpen);

    TPixelGraphic expected(11, 7, TPixelFormat::pf4Bit);
    expected.SetPaletteIdent(pGray16);
    ColorStorer storer(expected);
    for (int y = 0; y < 7; ++y) {
        for (int n = 0; n < 11; ++n) {
            const int x = y % 2 == 0 ? n : 10 - n;
            storer.setColor(x, y, referencePixel(src, sharpen, x, y));
        }
    }
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 11; ++x)
            EXPECT_EQ(out.GetPixel(x, y), expected.GetPixel(x, y)) << x << "," << y;
}

class CountingSink : public ProgressSink {
public:
    void begin() override { ++begins; }
    void step(int percent) override { steps.push_back(percent); }
    void end() override { ++ends; }
    int begins = 0, ends = 0;
    std::vector<int> steps;
};

TEST(ConvFilter, ReportsProgressAroundTheLoop)
{
    const TPixelGraphic src = flatImage(3, 4, rgb(1, 2, 3));
    TConvFilter sharpen = SharpenKernel(BaseKernel(dsGaussian, true, 0.75L), 50);
    TPixelGraphic out;
    CountingSink sink;
    ApplyFilter(src, out, sharpen, &sink);
    EXPECT_EQ(sink.begins, 1);
    EXPECT_EQ(sink.ends, 1);
    EXPECT_EQ(sink.steps, (std::vector<int>{25, 50, 75, 100}));
}

TEST(ConvDialog, DefaultsAndCaptions)
{
    struct Row {
        ConvFilterKind kind;
        const char* caption;
        long double sigma;
        int percent;
        TDistributionShape shape;
        const char* percentMin;
        const char* percentMax;
    };
    const Row rows[] = {
        {ConvFilterKind::Sharpen, "Sharpen", 0.75L, 50, dsGaussian, "10%", "100%"},
        {ConvFilterKind::Detail, "Detail", 0.75L, 75, dsGaussian, "10%", "100%"},
        {ConvFilterKind::Contour, "Contour", 1.0L, 100, dsRect, "100%", "1000%"},
    };
    for (const auto& r : rows) {
        const ConvDialogData& dialog = ConvFilterDialogData(r.kind);
        EXPECT_STREQ(dialog.caption, r.caption);
        EXPECT_STREQ(dialog.stdDeviation.caption, "Std. deviation");
        EXPECT_STREQ(dialog.stdDeviation.minimumLabel, "0.40");
        EXPECT_STREQ(dialog.stdDeviation.maximumLabel, "1.30");
        EXPECT_STREQ(dialog.percent.caption, "Strength");
        EXPECT_STREQ(dialog.percent.minimumLabel, r.percentMin);
        EXPECT_STREQ(dialog.percent.maximumLabel, r.percentMax);
        const ConvParameters p = DefaultConvParameters(r.kind);
        EXPECT_EQ(p.StdDeviation, r.sigma);
        EXPECT_EQ(p.Percent, r.percent);
        EXPECT_EQ(p.DistributionShape, r.shape);
        EXPECT_TRUE(p.UseDistance);
        EXPECT_FALSE(p.BlackBk);
    }
    EXPECT_TRUE(ConvFilterDialogData(ConvFilterKind::Contour).hasBackground);
    EXPECT_EQ(StdDeviationText(0.75L, NumberLocale::German()), "0,75");
    EXPECT_EQ(PercentText(50), "50%");
    EXPECT_EQ(StdDeviationSliderPosition(2.0L, ConvFilterKind::Sharpen), 130);
    EXPECT_EQ(kernelOf(MakeConvFilter(ConvFilterKind::Sharpen, DefaultConvParameters(ConvFilterKind::Sharpen))),
              (std::vector<std::int32_t>{-3, -7, -3, -7, 112, -7, -3, -7, -3}));
}

}  // namespace
}  // namespace tesra
