#pragma once
// What the four filter dialogs show and how their sliders map to filter settings, as plain
// data and functions: the dialogs only bind sliders and labels to these and hand out the
// filter configured here.
#include <string>

#include "common/number_format.h"
#include "imaging/filters/bcg_filter.h"
#include "imaging/filters/conv_filter.h"

namespace tesra {

// One slider row: caption, integer range and default position, and the labels at its ends
// (and in its middle, where the dialog shows one).
struct FilterSliderData {
    const char* caption;
    int minimum;
    int maximum;
    int defaultPosition;
    const char* minimumLabel;
    const char* middleLabel;  // "" when the row has none
    const char* maximumLabel;
};

// A choice of two radio buttons; defaultIndex 0 is the first.
struct FilterChoiceData {
    const char* caption;
    const char* first;
    const char* second;
    int defaultIndex;
};

// ---- Brightness, contrast, gamma ----

struct BCGDialogData {
    const char* caption;
    FilterSliderData brightness;
    FilterSliderData contrast;
    FilterSliderData gamma;
    FilterChoiceData applyOn;  // "RGB" (UseY false) or "Y"
};
const BCGDialogData& BCGFilterDialogData();

// Contrast or gamma for a slider position p: 5^(p/100), so −100 → 0.2, 0 → 1, 100 → 5.
long double BCGSliderValue(int position);
// The slider position of a contrast or gamma value: the value limited to 0.2..5, then
// rnd(ln v × 100 / ln 5) limited to −100..100.
int BCGSliderPosition(long double value);
// Brightness limited to −100..100.
int BCGBrightnessLimited(int brightness);
// The contrast or gamma as shown beside its slider: rnd(v × 100) × 0.01, two decimals.
long double BCGDisplayedValue(long double value);
std::string BCGValueText(long double value, const NumberLocale& locale);
// The brightness as shown beside its slider, e.g. "-20%", "0%".
std::string BCGBrightnessText(int brightness);

// The parameters of the brightness/contrast/gamma dialog and the filter they configure.
struct BCGParameters {
    int Brightness = 0;
    long double Contrast = 1.0L;
    long double Gamma = 1.0L;
    bool UseY = false;
};
TBCGFilter MakeBCGFilter(const BCGParameters& parameters);

// ---- Sharpen, detail, contour ----

enum class ConvFilterKind { Sharpen, Detail, Contour };

struct ConvDialogData {
    const char* caption;
    FilterSliderData stdDeviation;  // slider in hundredths
    FilterSliderData percent;       // "Strength"
    TDistributionShape defaultShape;
    bool defaultUseDistance;
    bool hasBackground;             // only the contour dialog
    FilterChoiceData background;    // "White" (BlackBk false) or "Black"
};
const ConvDialogData& ConvFilterDialogData(ConvFilterKind kind);

// The parameters of a convolution dialog.
struct ConvParameters {
    long double StdDeviation = 0.75L;
    int Percent = 50;
    TDistributionShape DistributionShape = dsGaussian;
    bool UseDistance = true;
    bool BlackBk = false;
};
// The defaults of the dialog of this kind.
ConvParameters DefaultConvParameters(ConvFilterKind kind);

// Standard deviation of a slider position in hundredths, and back (rounded, limited to the
// slider's range).
long double StdDeviationOfSlider(int position);
int StdDeviationSliderPosition(long double stdDeviation, ConvFilterKind kind);
// The standard deviation as shown beside its slider, two decimals ("0,75").
std::string StdDeviationText(long double stdDeviation, const NumberLocale& locale);
// The strength as shown beside its slider: the integer followed by "%".
std::string PercentText(int percent);

// The filter a dialog of this kind hands out for these parameters: the base kernel of the
// shape, then the sharpen, detail or contour kernel. EPGFilterParameter for parameters that
// give no kernel.
TConvFilter MakeConvFilter(ConvFilterKind kind, const ConvParameters& parameters);

}  // namespace tesra
