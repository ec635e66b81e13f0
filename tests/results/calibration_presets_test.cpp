// Named calibrations and the calibration carried to the next image: what the settings hold
// is read back strictly, the list stays in name order, and applying one calibrates a fresh
// image as the dialog's Ok would.
#include "results/calibration_presets.h"

#include <gtest/gtest.h>

#include <cmath>

#include "app/document/measuring_document.h"

namespace tesra {
namespace {

TEST(CalibrationPreset, StoredTextsAreReadOnlyWhenTheyMakeACalibration)
{
    struct Case {
        const char* pixels;
        const char* real;
        const char* unit;
        bool read;
        long double pixelLength;
        long double realLength;
        LengthUnit lengthUnit;
    };
    const Case cases[] = {
        {"200", "50", "um", true, 200, 50, LengthUnit::Micrometre},
        {"1024.5", "0.0125", "mm", true, 1024.5L, 0.0125L, LengthUnit::Millimetre},
        {"2.5E2", "10", "nm", true, 250, 10, LengthUnit::Nanometre},
        {"200", "50", "\xC2\xB5m", true, 200, 50, LengthUnit::Micrometre},
        // Ok takes negative lengths as typed; so does a preset.
        {"-200", "50", "um", true, -200, 50, LengthUnit::Micrometre},
        {"0", "50", "um", false, 0, 0, {}},
        {"200", "0", "um", false, 0, 0, {}},
        {"", "50", "um", false, 0, 0, {}},
        {"200", "50", "", false, 0, 0, {}},
        {"200", "50", "inch", false, 0, 0, {}},
        // A point is the only separator the settings hold.
        {"200", "12,5", "um", false, 0, 0, {}},
        {"1e99999", "50", "um", false, 0, 0, {}},
        {"200 px", "50", "um", false, 0, 0, {}},
    };
    for (const Case& c : cases) {
        const auto preset = ReadPreset("x", c.pixels, c.real, c.unit);
        ASSERT_EQ(preset.has_value(), c.read) << c.pixels << " / " << c.real << " / " << c.unit;
        if (!preset)
            continue;
        EXPECT_EQ(preset->pixelLength, c.pixelLength) << c.pixels;
        EXPECT_EQ(preset->realLength, c.realLength) << c.real;
        EXPECT_EQ(preset->unit, c.lengthUnit) << c.unit;
        // What is written is read back the same.
        EXPECT_EQ(ReadPreset("x", PresetNumberText(preset->pixelLength), PresetNumberText(preset->realLength),
                             LengthUnitCode(preset->unit)),
                  preset);
    }
}

TEST(CalibrationPreset, ListKeepsNameOrderAndReplacesByName)
{
    std::vector<CalibrationPreset> presets;
    KeepPreset(presets, {"Objective 50x", 200, 50, LengthUnit::Micrometre});
    KeepPreset(presets, {"Objective 10x", 200, 250, LengthUnit::Micrometre});
    KeepPreset(presets, {"SEM", 1000, 2, LengthUnit::Nanometre});
    KeepPreset(presets, {"Objective 50x", 400, 100, LengthUnit::Micrometre});
    ASSERT_EQ(presets.size(), 3u);
    EXPECT_EQ(presets[0].name, "Objective 10x");
    EXPECT_EQ(presets[1], (CalibrationPreset{"Objective 50x", 400, 100, LengthUnit::Micrometre}));
    EXPECT_EQ(presets[2].name, "SEM");
    EXPECT_TRUE(RemovePreset(presets, "SEM"));
    EXPECT_FALSE(RemovePreset(presets, "SEM"));
    EXPECT_EQ(presets.size(), 2u);
}

TEST(CalibrationPreset, TypedFieldsMakeAPresetInTheWindowsLocale)
{
    CalibrationFields fields;
    fields.tPixel = "1000 px";
    fields.tEcht = "12,5";
    EXPECT_FALSE(PresetFromFields("A", fields, LengthUnit::Micrometre, NumberLocale::German()));
    fields.tPixel = "1000";
    const auto preset = PresetFromFields("A", fields, LengthUnit::Nanometre, NumberLocale::German());
    ASSERT_TRUE(preset);
    EXPECT_EQ(*preset, (CalibrationPreset{"A", 1000, 12.5L, LengthUnit::Nanometre}));
    EXPECT_FALSE(PresetFromFields("  ", fields, LengthUnit::Micrometre, NumberLocale::German()));
    fields.tEcht = "0";
    EXPECT_FALSE(PresetFromFields("A", fields, LengthUnit::Micrometre, NumberLocale::German()));

    // Shown again in the fields, to ten digits rather than the dialog's three decimals.
    CalibrationFields shown;
    ShowPreset({"B", 1, 0.0125L, LengthUnit::Micrometre}, shown, NumberLocale::German());
    EXPECT_EQ(shown.tPixel, "1");
    EXPECT_EQ(shown.tEcht, "0,0125");
}

TEST(CalibrationPreset, AppliedToAFreshImageCalibratesItWithoutAStepOrTheOldFraction)
{
    MeasuringDocument document;
    document.resetForImage(640, 480);
    document.AddTestLine(0, 10, 400, 10, false);
    document.AddIntercept({100, 10}, 1, itNormal);
    document.AddIntercept({300, 10}, 1, itNormal);
    document.markSaved();
    // The fraction typed for the previous image is that image's own.
    document.calibrationTexts().fields().tFremdPhase = "12";

    const CalibrationPreset last{"", 200, 50, LengthUnit::Nanometre};
    EXPECT_EQ(ApplyPreset(last, document.calibrationTexts(), document.measurementForLoading()),
              CalibrationFailure::None);
    document.notify(dcEverything);
    EXPECT_TRUE(document.calibrated());
    EXPECT_FALSE(document.modified());
    const Calibration& c = document.calibration();
    EXPECT_EQ(c.scale, 0.25L);
    EXPECT_EQ(c.unit, LengthUnit::Nanometre);
    EXPECT_EQ(c.secondPhasePercent, -1.0L);
    EXPECT_EQ(c.remark, "640x480");
    EXPECT_EQ(document.calibrationTexts().kalCaption(), "200,000 Pixel = 50,000");
    // 400 px over 2 intercepts × 1.56, at 0.25 nm per pixel.
    ASSERT_TRUE(document.statistics().total.calibratedGrainSize);
    EXPECT_NEAR(static_cast<double>(*document.statistics().total.calibratedGrainSize), 78.0, 1e-9);
}

}  // namespace
}  // namespace tesra
