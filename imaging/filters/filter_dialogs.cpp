#include "imaging/filters/filter_dialogs.h"

#include <algorithm>
#include <cmath>

#include "common/rounding.h"
#include "common/user_text.h"

namespace tesra {

const BCGDialogData& BCGFilterDialogData()
{
    static const BCGDialogData dialog{
        QT_TRANSLATE_NOOP("Core", "Brightness, Contrast, Gamma Filter"),
        {QT_TRANSLATE_NOOP("Core", "Brightness"), -100, 100, 0, "-100%", "\u00b1" "0%", "+100%"},
        {QT_TRANSLATE_NOOP("Core", "Contrast"), -100, 100, 0, "0.20", "1.00", "5.00"},
        {QT_TRANSLATE_NOOP("Core", "Gamma"), -100, 100, 0, "0.20", "1.00", "5.00"},
        {QT_TRANSLATE_NOOP("Core", "Apply on"), "RGB", "Y", 0},
    };
    return dialog;
}

long double BCGSliderValue(int position)
{
    return std::pow(5.0L, position / 100.0L);
}

int BCGSliderPosition(long double value)
{
    if (std::isnan(value))
        value = 1.0L;
    value = std::clamp(value, 0.2L, 5.0L);
    const std::int64_t p = R(std::log(value) * 100 / std::log(5.0L));
    return static_cast<int>(std::clamp<std::int64_t>(p, -100, 100));
}

int BCGBrightnessLimited(int brightness)
{
    return std::clamp(brightness, -100, 100);
}

long double BCGDisplayedValue(long double value)
{
    return R(value * 100) * 0.01L;
}

std::string BCGValueText(long double value, const NumberLocale& locale)
{
    return FormatF(BCGDisplayedValue(value), 15, 2, locale);
}

std::string BCGBrightnessText(int brightness)
{
    return std::to_string(brightness) + "%";
}

TBCGFilter MakeBCGFilter(const BCGParameters& parameters)
{
    TBCGFilter filter;
    filter.Brightness = BCGBrightnessLimited(parameters.Brightness);
    filter.Contrast = parameters.Contrast;
    filter.Gamma = parameters.Gamma;
    filter.UseY = parameters.UseY;
    return filter;
}

const ConvDialogData& ConvFilterDialogData(ConvFilterKind kind)
{
    static const ConvDialogData sharpen{
        QT_TRANSLATE_NOOP("Core", "Sharpen"),
        {QT_TRANSLATE_NOOP("Core", "Std. deviation"), 40, 130, 75, "0.40", "", "1.30"},
        {QT_TRANSLATE_NOOP("Core", "Strength"), 10, 100, 50, "10%", "", "100%"},
        dsGaussian, true, false, {"", QT_TRANSLATE_NOOP("Core", "White"), QT_TRANSLATE_NOOP("Core", "Black"), 0},
    };
    static const ConvDialogData detail{
        QT_TRANSLATE_NOOP("Core", "Detail"),
        {QT_TRANSLATE_NOOP("Core", "Std. deviation"), 40, 130, 75, "0.40", "", "1.30"},
        {QT_TRANSLATE_NOOP("Core", "Strength"), 10, 100, 75, "10%", "", "100%"},
        dsGaussian, true, false, {"", QT_TRANSLATE_NOOP("Core", "White"), QT_TRANSLATE_NOOP("Core", "Black"), 0},
    };
    static const ConvDialogData contour{
        QT_TRANSLATE_NOOP("Core", "Contour"),
        {QT_TRANSLATE_NOOP("Core", "Std. deviation"), 40, 130, 100, "0.40", "", "1.30"},
        {QT_TRANSLATE_NOOP("Core", "Strength"), 100, 1000, 100, "100%", "", "1000%"},
        dsRect, true, true, {QT_TRANSLATE_NOOP("Core", "Background"), QT_TRANSLATE_NOOP("Core", "White"), QT_TRANSLATE_NOOP("Core", "Black"), 0},
    };
    switch (kind) {
    case ConvFilterKind::Sharpen:
        return sharpen;
    case ConvFilterKind::Detail:
        return detail;
    case ConvFilterKind::Contour:
        break;
    }
    return contour;
}

ConvParameters DefaultConvParameters(ConvFilterKind kind)
{
    const ConvDialogData& dialog = ConvFilterDialogData(kind);
    ConvParameters p;
    p.StdDeviation = StdDeviationOfSlider(dialog.stdDeviation.defaultPosition);
    p.Percent = dialog.percent.defaultPosition;
    p.DistributionShape = dialog.defaultShape;
    p.UseDistance = dialog.defaultUseDistance;
    p.BlackBk = dialog.background.defaultIndex == 1;
    return p;
}

long double StdDeviationOfSlider(int position)
{
    return position / 100.0L;
}

int StdDeviationSliderPosition(long double stdDeviation, ConvFilterKind kind)
{
    const FilterSliderData& s = ConvFilterDialogData(kind).stdDeviation;
    if (std::isnan(stdDeviation))
        return s.defaultPosition;
    const std::int64_t p = R(std::clamp(stdDeviation, -1.0e6L, 1.0e6L) * 100);
    return static_cast<int>(std::clamp<std::int64_t>(p, s.minimum, s.maximum));
}

std::string StdDeviationText(long double stdDeviation, const NumberLocale& locale)
{
    return FormatF(stdDeviation, 15, 2, locale);
}

std::string PercentText(int percent)
{
    return std::to_string(percent) + "%";
}

TConvFilter MakeConvFilter(ConvFilterKind kind, const ConvParameters& parameters)
{
    const TConvFilter base = BaseKernel(parameters.DistributionShape, parameters.UseDistance, parameters.StdDeviation);
    switch (kind) {
    case ConvFilterKind::Sharpen:
        return SharpenKernel(base, parameters.Percent);
    case ConvFilterKind::Detail:
        return DetailKernel(base, parameters.Percent);
    case ConvFilterKind::Contour:
        break;
    }
    return ContourKernel(base, parameters.Percent, parameters.BlackBk);
}

}  // namespace tesra
