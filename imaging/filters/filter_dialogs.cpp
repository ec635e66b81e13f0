#include "imaging/filters/filter_dialogs.h"

#include <algorithm>
#include <cmath>

#include "app/common/rounding.h"

namespace tesra {

const BCGDialogSpec& BCGFilterDialogSpec()
{
    static const BCGDialogSpec spec{
        "Brightness, Contrast, Gamma Filter",
        {"Brightness", -100, 100, 0, "-100%", "\u00b1" "0%", "+100%"},
        {"Contrast", -100, 100, 0, "0.20", "1.00", "5.00"},
        {"Gamma", -100, 100, 0, "0.20", "1.00", "5.00"},
        {"Apply on", "RGB", "Y", 0},
    };
    return spec;
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

const ConvDialogSpec& ConvFilterDialogSpec(ConvFilterKind kind)
{
    static const ConvDialogSpec sharpen{
        "Sharpen",
        {"Std. deviation", 40, 130, 75, "0.40", "", "1.30"},
        {"Strength", 10, 100, 50, "10%", "", "100%"},
        dsGaussian, true, false, {"", "White", "Black", 0},
    };
    static const ConvDialogSpec detail{
        "Detail",
        {"Std. deviation", 40, 130, 75, "0.40", "", "1.30"},
        {"Strength", 10, 100, 75, "10%", "", "100%"},
        dsGaussian, true, false, {"", "White", "Black", 0},
    };
    static const ConvDialogSpec contour{
        "Contour",
        {"Std. deviation", 40, 130, 100, "0.40", "", "1.30"},
        {"Strength", 100, 1000, 100, "100%", "", "1000%"},
        dsRect, true, true, {"Background", "White", "Black", 0},
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
    const ConvDialogSpec& spec = ConvFilterDialogSpec(kind);
    ConvParameters p;
    p.StdDeviation = StdDeviationOfSlider(spec.stdDeviation.defaultPosition);
    p.Percent = spec.percent.defaultPosition;
    p.DistributionShape = spec.defaultShape;
    p.UseDistance = spec.defaultUseDistance;
    p.BlackBk = spec.background.defaultIndex == 1;
    return p;
}

long double StdDeviationOfSlider(int position)
{
    return position / 100.0L;
}

int StdDeviationSliderPosition(long double stdDeviation, ConvFilterKind kind)
{
    const FilterSliderSpec& s = ConvFilterDialogSpec(kind).stdDeviation;
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
