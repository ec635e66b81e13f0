#include "results/calibration_presets.h"

#include <algorithm>
#include <cmath>

#include "common/csv_text.h"
#include "common/decimal_input.h"

namespace tesra {
namespace {

// The dialog's Ok takes any finite number but 0 for either length.
bool readLength(std::string text, const std::string& separator, long double& value)
{
    long double read = 0.0L;
    if (!ReadDecimal(text, separator, read) || !std::isfinite(read) || read == 0.0L)
        return false;
    value = read;
    return true;
}

bool blank(const std::string& text)
{
    return std::all_of(text.begin(), text.end(), [](unsigned char c) { return c == ' ' || c == '\t'; });
}

}  // namespace

std::string PresetNumberText(long double value) { return CsvNumber(value); }

std::optional<CalibrationPreset> ReadPreset(std::string name, const std::string& pixelText,
                                            const std::string& realText, const std::string& unitCode)
{
    CalibrationPreset preset;
    preset.name = std::move(name);
    const std::optional<LengthUnit> unit = ParseLengthUnit(unitCode);
    if (!unit || !readLength(pixelText, ".", preset.pixelLength) || !readLength(realText, ".", preset.realLength))
        return std::nullopt;
    preset.unit = *unit;
    return preset;
}

std::optional<CalibrationPreset> PresetFromFields(const std::string& name, const CalibrationFields& fields,
                                                  LengthUnit unit, const NumberLocale& locale)
{
    CalibrationPreset preset{name, 0.0L, 0.0L, unit};
    if (blank(name) || !readLength(fields.tPixel, locale.decimalSeparator, preset.pixelLength)
        || !readLength(fields.tEcht, locale.decimalSeparator, preset.realLength))
        return std::nullopt;
    return preset;
}

void KeepPreset(std::vector<CalibrationPreset>& presets, CalibrationPreset preset)
{
    auto same = std::find_if(presets.begin(), presets.end(),
                             [&](const CalibrationPreset& p) { return p.name == preset.name; });
    if (same != presets.end()) {
        *same = std::move(preset);
        return;
    }
    auto after = std::find_if(presets.begin(), presets.end(),
                              [&](const CalibrationPreset& p) { return preset.name < p.name; });
    presets.insert(after, std::move(preset));
}

bool RemovePreset(std::vector<CalibrationPreset>& presets, const std::string& name)
{
    const auto before = presets.size();
    std::erase_if(presets, [&](const CalibrationPreset& p) { return p.name == name; });
    return presets.size() != before;
}

void ShowPreset(const CalibrationPreset& preset, CalibrationFields& fields, const NumberLocale& locale)
{
    const NumberLocale plain{locale.decimalSeparator, ""};
    fields.tPixel = FormatG(preset.pixelLength, 10, plain);
    fields.tEcht = FormatG(preset.realLength, 10, plain);
}

CalibrationFailure ApplyPreset(const CalibrationPreset& preset, CalibrationModel& texts, Measurement& measurement)
{
    const Calibration before = measurement.calibration;
    CalibrationFields& fields = texts.fields();
    ShowPreset(preset, fields, texts.locale());
    fields.tFremdPhase.clear();
    measurement.calibration.unit = preset.unit;
    const CalibrationFailure failure = texts.bOkClick(measurement);
    if (failure != CalibrationFailure::None) {
        measurement.calibration = before;
        fields.tPixel.clear();
        fields.tEcht.clear();
    }
    return failure;
}

}  // namespace tesra
