#pragma once
// Named calibrations of the calibration dialog ("Objective 50×": 200 px = 50 µm) and the
// calibration that follows the user from image to image. The window keeps them in the
// program's settings as plain texts; everything read back from there is checked here, since
// a settings file may have been edited by hand.
#include <optional>
#include <string>
#include <vector>

#include "common/number_format.h"
#include "app/measurement/length_unit.h"
#include "results/calibration_model.h"

namespace tesra {

struct CalibrationPreset {
    std::string name;
    long double pixelLength = 0.0L;
    long double realLength = 0.0L;
    LengthUnit unit = kDefaultLengthUnit;
    friend bool operator==(const CalibrationPreset&, const CalibrationPreset&) = default;
};

// A preset's number as the settings keep it: a point, up to 10 significant digits.
std::string PresetNumberText(long double value);

// A preset from its stored texts; nothing when a number is missing, not finite or 0 (what the
// dialog's Ok refuses), or the unit is unknown. The name may be empty (the last calibration).
std::optional<CalibrationPreset> ReadPreset(std::string name, const std::string& pixelText,
                                            const std::string& realText, const std::string& unitCode);

// The dialog's pixel and real length as a preset of the given name and unit; nothing while
// either field holds no number the dialog's Ok would take, or the name is blank.
std::optional<CalibrationPreset> PresetFromFields(const std::string& name, const CalibrationFields& fields,
                                                  LengthUnit unit, const NumberLocale& locale);

// Keeps the preset in the list: one of the same name is replaced where it stands, a new one
// goes in by name so the list reads alphabetically.
void KeepPreset(std::vector<CalibrationPreset>& presets, CalibrationPreset preset);
// Removes the preset of that name; false when there is none.
bool RemovePreset(std::vector<CalibrationPreset>& presets, const std::string& name);

// Writes the preset's lengths into the dialog's fields in the locale (up to 10 significant
// digits, so a preset of 0.0125 µm per pixel is not cut to three decimals).
void ShowPreset(const CalibrationPreset& preset, CalibrationFields& fields, const NumberLocale& locale);

// Opening an image with the calibration remembered from the last one: the preset's lengths and
// unit go through the dialog's Ok as a stored calibration does (no step of the history). The
// second-phase fraction is the image's own and is not carried over. Returns Ok's refusal, if
// any; the image then stays uncalibrated.
CalibrationFailure ApplyPreset(const CalibrationPreset& preset, CalibrationModel& texts, Measurement& measurement);

}  // namespace tesra
