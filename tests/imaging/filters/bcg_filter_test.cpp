// The tone curve against values worked out by hand, the luminance path on greys and colours,
// the dialog's slider mapping, and the palette-only path.
#include <gtest/gtest.h>

#include <cmath>

#include "imaging/filters/bcg_filter.h"
#include "imaging/filters/filter_dialogs.h"

namespace tesra {
namespace {

TEST(BCGToneTable, NeutralSettingsGiveTheIdentity)
{
    const auto table = BCGToneTable(0, 1.0L, 1.0L);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(table[i], i) << i;
}

struct ToneRow {
    int brightness;
    long double contrast;
    long double gamma;
    int input;
    int expected;
};

TEST(BCGToneTable, HandComputedEntries)
{
    const ToneRow rows[] = {
        {0, 5.0L, 1.0L, 102, 0},     // (102 - 127.5) × 5 + 127.5 = 0
        {0, 5.0L, 1.0L, 153, 255},   // (153 - 127.5) × 5 + 127.5 = 255
        {0, 5.0L, 1.0L, 128, 130},   // 0.5 × 5 + 127.5
        {0, 5.0L, 1.0L, 101, 0},     // below 0, clamped
        {0, 0.2L, 1.0L, 0, 102},     // -127.5 × 0.2 + 127.5
        {0, 0.2L, 1.0L, 255, 153},
        {20, 1.0L, 1.0L, 10, 61},    // + 20 × 255 × 0.01 = 51
        {20, 1.0L, 1.0L, 250, 255},
        {-100, 1.0L, 1.0L, 255, 0},
        {0, 1.0L, 2.0L, 128, 64},    // 128² / 255 = 64.25
        {0, 1.0L, 0.5L, 64, 128},    // sqrt(64 × 255) = 127.75
        {0, 1.0L, 5.0L, 0, 0},       // 0^g = 0
        {0, 1.0L, 0.2L, 255, 255},
        {10, 1.0L, 1.0L, 0, 26},     // 25.5 rounds to the even 26
        {-10, 1.0L, 1.0L, 100, 74},  // 74.5 rounds to the even 74
    };
    for (const auto& r : rows) {
        const auto table = BCGToneTable(r.brightness, r.contrast, r.gamma);
        EXPECT_EQ(table[r.input], r.expected)
            << "b " << r.brightness << " c " << static_cast<double>(r.contrast) << " g "
            << static_cast<double>(r.gamma) << " i " << r.input;
    }
}

TEST(BCGFilter, RgbModeMapsEachChannelThroughTheTable)
{
    TBCGFilter f;
    f.Brightness = 0;
    f.Contrast = 5.0L;
    f.Prepare();
    EXPECT_EQ(f.MapColor(rgb(102, 153, 128)), rgb(0, 255, 130));
}

TEST(BCGFilter, LuminanceModeKeepsGreysGrey)
{
    TBCGFilter f;
    f.Brightness = 7;
    f.Contrast = 1.7L;
    f.Gamma = 0.6L;
    f.UseY = true;
    f.Prepare();
    for (int v = 0; v < 256; ++v) {
        const std::uint32_t c = f.MapColor(rgb(v, v, v));
        EXPECT_EQ(redOf(c), greenOf(c)) << v;
        EXPECT_EQ(blueOf(c), greenOf(c)) << v;
    }
}

TEST(BCGFilter, LuminanceModeOnColoursByHand)
{
    TBCGFilter f;
    f.Brightness = 0;
    f.UseY = true;
    f.Prepare();
    // Pure red: Y = 0.299, Cb = -0.169, Cr = 0.5; the identity table gives Y' = 0.299, so
    // R' = 1.0005, G' = 0.000136, B' = -0.000637.
    EXPECT_EQ(f.MapColor(rgb(255, 0, 0)), rgb(255, 0, 0));
    // Brightness +40 % on mid-grey-green (0, 128, 0): Y = 0.2947, t = 75.14, table values
    // 177 and 178 give Y' = 0.694; Cb = -0.1661, Cr = -0.2103:
    // R' = 0.3989 → 102, G' = 0.9016 → 230, B' = 0.3995 → 102.
    f.Brightness = 40;
    f.Prepare();
    EXPECT_EQ(f.MapColor(rgb(0, 128, 0)), rgb(102, 230, 102));
}

TEST(BCGFilter, AppliedInPlaceToTrueColour)
{
    TPixelGraphic image(3, 2, TPixelFormat::pf24Bit);
    image.SetPixel(0, 0, rgb(102, 153, 128));
    image.SetPixel(2, 1, rgb(0, 255, 101));
    TBCGFilter f;
    f.Brightness = 0;
    f.Contrast = 5.0L;
    ApplyFilter(image, image, f);
    EXPECT_EQ(image.GetColor(0, 0), rgb(0, 255, 130));
    EXPECT_EQ(image.GetColor(2, 1), rgb(0, 255, 0));
    EXPECT_EQ(image.GetColor(1, 0), rgb(0, 0, 0));
}

TEST(BCGFilter, LuminanceModeOverAWholeImageMatchesSingleColours)
{
    // More distinct colours than the row loop keeps results for, so that they collide.
    TPixelGraphic image(97, 61, TPixelFormat::pf24Bit);
    std::uint32_t state = 99;
    for (int y = 0; y < 61; ++y) {
        for (int x = 0; x < 97; ++x) {
            state = state * 1664525u + 1013904223u;
            image.SetPixel(x, y, (x + y) % 5 == 0 ? rgb(0, 128, 0) : (state >> 8));
        }
    }
    const TPixelGraphic before = image;
    TBCGFilter f;
    f.Brightness = 40;
    f.Contrast = 1.3L;
    f.UseY = true;
    ApplyFilter(image, image, f);
    for (int y = 0; y < 61; ++y)
        for (int x = 0; x < 97; ++x)
            ASSERT_EQ(image.GetColor(x, y), f.MapColor(before.GetColor(x, y))) << x << "," << y;
}

TEST(BCGFilter, NeutralFilterLeavesTheImageUnchanged)
{
    TPixelGraphic image(5, 3, TPixelFormat::pf24Bit);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            image.SetPixel(x, y, rgb(x * 50, y * 90, x * y * 13));
    const TPixelGraphic before = image;
    TBCGFilter f;
    f.Brightness = 0;
    ApplyFilter(image, image, f);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(image.GetColor(x, y), before.GetColor(x, y));
}

TEST(BCGFilter, PaletteImageMapsOnlyThePalette)
{
    TPixelGraphic image(4, 1, TPixelFormat::pf8Bit);
    image.SetPaletteIdent(pGray256);
    image.SetPixel(0, 0, 102);
    image.SetPixel(1, 0, 153);
    image.SetPixel(2, 0, 7);
    TBCGFilter f;
    f.Brightness = 0;
    f.Contrast = 5.0L;
    ApplyFilter(image, image, f);
    EXPECT_EQ(image.GetPixel(0, 0), 102u);  // indexes stay
    EXPECT_EQ(image.GetPixel(1, 0), 153u);
    EXPECT_EQ(image.GetColor(0, 0), rgb(0, 0, 0));
    EXPECT_EQ(image.GetColor(1, 0), rgb(255, 255, 255));
    EXPECT_EQ(image.PaletteCount(), 256);
    // The entries are no longer the grey ramp, so the kind must not claim it.
    EXPECT_EQ(image.PaletteIdent(), pUnknown);

    TPixelGraphic copy;
    TPixelGraphic gray(2, 2, TPixelFormat::pf8Bit);
    gray.SetPaletteIdent(pGray256);
    gray.SetPixel(1, 1, 200);
    f.Contrast = 1.0L;
    ApplyFilter(gray, copy, f);  // a separate target takes the indexes and the palette
    EXPECT_EQ(copy.PixelFormat(), TPixelFormat::pf8Bit);
    EXPECT_EQ(copy.GetPixel(1, 1), 200u);
    EXPECT_EQ(copy.PaletteIdent(), pGray256);  // unchanged palette keeps its kind
}

TEST(BCGDialog, SliderMapping)
{
    EXPECT_NEAR(static_cast<double>(BCGSliderValue(-100)), 0.2, 1e-15);
    EXPECT_EQ(BCGSliderValue(0), 1.0L);
    EXPECT_NEAR(static_cast<double>(BCGSliderValue(100)), 5.0, 1e-15);
    EXPECT_NEAR(static_cast<double>(BCGSliderValue(50)), std::sqrt(5.0), 1e-15);

    EXPECT_EQ(BCGSliderPosition(1.0L), 0);
    EXPECT_EQ(BCGSliderPosition(std::sqrt(5.0L)), 50);
    EXPECT_EQ(BCGSliderPosition(2.0L), 43);   // ln 2 / ln 5 = 0.4307
    EXPECT_EQ(BCGSliderPosition(10.0L), 100);  // limited to 5 first
    EXPECT_EQ(BCGSliderPosition(0.01L), -100);
    EXPECT_EQ(BCGSliderPosition(0.5L), -43);
    EXPECT_EQ(BCGBrightnessLimited(150), 100);
    EXPECT_EQ(BCGBrightnessLimited(-101), -100);

    EXPECT_EQ(BCGValueText(BCGSliderValue(50), NumberLocale::German()), "2,24");
    EXPECT_EQ(BCGValueText(BCGSliderValue(-100), NumberLocale::English()), "0.20");
    EXPECT_EQ(BCGBrightnessText(-20), "-20%");

    const BCGDialogData& dialog = BCGFilterDialogData();
    EXPECT_STREQ(dialog.caption, "Brightness, Contrast, Gamma Filter");
    EXPECT_STREQ(dialog.brightness.middleLabel, "\u00b1" "0%");
    EXPECT_STREQ(dialog.contrast.minimumLabel, "0.20");
    EXPECT_STREQ(dialog.gamma.maximumLabel, "5.00");
    EXPECT_EQ(dialog.contrast.defaultPosition, 0);
    EXPECT_STREQ(dialog.applyOn.first, "RGB");
    EXPECT_EQ(dialog.applyOn.defaultIndex, 0);
}

}  // namespace
}  // namespace tesra
