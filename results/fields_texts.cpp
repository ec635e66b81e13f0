#include "results/fields_texts.h"

#include "common/user_text.h"

namespace tesra {

namespace {

const char* const kNone = "–";

std::string Length(const std::optional<long double>& v, const NumberLocale& locale)
{
    return v ? FormatF(*v, 10, 3, locale) : std::string();
}

std::string BaseName(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string GrainSizeNumberText(const std::optional<long double>& g, const NumberLocale& locale)
{
    return g ? FormatF(*g, 6, 1, locale) : std::string();
}

std::vector<std::string> SpecimenColumnTitles(LengthUnit unit)
{
    const std::string u = LengthUnitText(unit);
    return {UserText(QT_TRANSLATE_NOOP("Core", "File")),
            UserText(QT_TRANSLATE_NOOP("Core", "Lines")),
            UserText(QT_TRANSLATE_NOOP("Core", "Test length (px)")),
            UserText(QT_TRANSLATE_NOOP("Core", "Intercepts")),
            "ℓ̄ (px)",
            "ℓ̄ (" + u + ")",
            "G"};
}

std::vector<std::string> SpecimenRowTexts(const FieldNumbers& field, const NumberLocale& locale)
{
    std::string calibrated = Length(field.meanIntercept, locale);
    if (!calibrated.empty())
        calibrated += std::string(" ") + LengthUnitText(field.unit);
    return {BaseName(field.name),
            std::to_string(field.lines),
            FormatF(field.testLengthPx, 10, 3, locale),
            FormatF(field.intercepts, 10, 1, locale),
            Length(field.meanInterceptPx, locale),
            calibrated,
            GrainSizeNumberText(FieldGrainSizeNumber(field), locale)};
}

std::vector<SummaryLine> SpecimenSummaryTexts(const SpecimenSummary& s, const NumberLocale& locale)
{
    const std::string unit = std::string(" ") + LengthUnitText(s.unit);
    auto or_none = [](std::string text) { return text.empty() ? std::string(kNone) : text; };
    std::string mean = kNone;
    if (s.mean)
        mean = FormatF(*s.mean, 10, 3, locale) + (s.ci95 ? " ± " + FormatF(*s.ci95, 10, 3, locale) : "") + unit;
    return {
        {UserText(QT_TRANSLATE_NOOP("Core", "Calibrated fields n")),
         FillIn(UserText(QT_TRANSLATE_NOOP("Core", "%1 of %2")), {std::to_string(s.n), std::to_string(s.fields)})},
        {UserText(QT_TRANSLATE_NOOP("Core", "Mean ℓ̄ ± 95 % CI")), mean},
        {UserText(QT_TRANSLATE_NOOP("Core", "Standard deviation s")), s.s ? FormatF(*s.s, 10, 3, locale) + unit : kNone},
        {"t(0.975, n − 1)", s.t ? FormatF(*s.t, 10, 3, locale) : kNone},
        {UserText(QT_TRANSLATE_NOOP("Core", "Relative accuracy")),
         s.raPercent ? FormatF(*s.raPercent, 6, 1, locale) + " %" : kNone},
        {UserText(QT_TRANSLATE_NOOP("Core", "G of the mean")), or_none(GrainSizeNumberText(s.grainSizeNumber, locale))},
        {UserText(QT_TRANSLATE_NOOP("Core", "Fields for 10 % RA (n')")),
         s.fieldsFor10PercentRa ? std::to_string(*s.fieldsFor10PercentRa) : kNone},
        {UserText(QT_TRANSLATE_NOOP("Core", "Mean ℓ̄ in pixels")), or_none(Length(s.meanInterceptPx, locale))},
    };
}

}  // namespace tesra
