#include "results/calibration_model.h"

#include <vector>

#include <gtest/gtest.h>

namespace tesra {
namespace {

// A measurement with one line of length 200 and 10 intercepts, a sheet showing it, and a
// calibration dialog opened from line mode on a 640 x 480 image.
struct Fixture {
    explicit Fixture(NumberLocale locale = NumberLocale::German())
        : sheet(locale), dialog(locale)
    {
        TestLine line;
        line.x2 = 200;
        line.length = 200.0L;
        line.weightedCount = 10.0L;
        line.secondPhaseLength = 50.0L;
        measurement.setRecords({line}, {}, {});
        dialog.resetForImage(measurement, 640, 480);
        sheet.Recompute(measurement);
        state.mode = emSecondPhase;
        dialog.open(state);
    }

    // Ok as the dialog runs it: the confirm, and on success the dialog closes.
    CalibrationFailure ok()
    {
        const CalibrationFailure failure = dialog.bOkClick(measurement);
        if (failure == CalibrationFailure::None)
            dialog.FormClose(measurement.calibration, state);
        sheet.Recompute(measurement);
        return failure;
    }

    void type(const char* pixel, const char* real, const char* fraction, const char* factor)
    {
        dialog.fields().tPixel = pixel;
        dialog.fields().tEcht = real;
        dialog.fields().tFremdPhase = fraction;
        dialog.fields().tFaktor = factor;
    }

    Measurement measurement;
    ResultSheet sheet;
    CalibrationModel dialog;
    EditState state;
};

TEST(CalibrationConfirm, GermanDecimalCommaIsReplacedThenRewritten)
{
    Fixture fx;
    // The pixel field is empty: the real length is read (and changed) before the failure.
    fx.type("", "25,5", "", "1,56");
    EXPECT_EQ(fx.ok(), CalibrationFailure::PixelLength);
    EXPECT_EQ(fx.dialog.fields().tEcht, "25.5");
    EXPECT_EQ(fx.state.mode, emCalibrate);

    fx.dialog.fields().tPixel = "100";
    EXPECT_EQ(fx.ok(), CalibrationFailure::None);
    EXPECT_EQ(fx.dialog.fields().tEcht, "25,500");
    EXPECT_EQ(fx.dialog.fields().tPixel, "100,000");
    EXPECT_EQ(fx.dialog.fields().tFaktor, "1,560");
    EXPECT_EQ(fx.dialog.fields().tFremdPhase, "");
    EXPECT_EQ(fx.measurement.calibration.realLength, 25.5L);
    EXPECT_EQ(fx.measurement.calibration.pixelLength, 100.0L);
    EXPECT_EQ(fx.measurement.calibration.scale, 25.5L / 100.0L);
    EXPECT_EQ(fx.dialog.kalCaption(), "100,000 Pixel = 25,500");
    EXPECT_FALSE(fx.dialog.kalWarning());
    // The sheet was recomputed with the new scale: 150 * 0.255.
    EXPECT_EQ(fx.sheet.cell(8, 1), "38,250");
    // Closed: the saved mode is back, the fraction notice hidden.
    EXPECT_EQ(fx.state.mode, emSecondPhase);
    EXPECT_FALSE(fx.dialog.secondPhaseNotice().visible);
}

TEST(CalibrationConfirm, EnglishLocaleKeepsThePoint)
{
    Fixture fx(NumberLocale::English());
    fx.type("100", "25", "", "1.56");
    EXPECT_EQ(fx.ok(), CalibrationFailure::None);
    EXPECT_EQ(fx.dialog.kalCaption(), "100.000 Pixel = 25.000");
    EXPECT_EQ(fx.dialog.fields().tFaktor, "1.560");
    // A German comma is not a separator here: the conversion fails.
    fx.dialog.open(fx.state);
    fx.type("100", "25,5", "", "1.56");
    EXPECT_EQ(fx.ok(), CalibrationFailure::RealLength);
    EXPECT_EQ(fx.dialog.fields().tEcht, "25,5");
}

TEST(CalibrationConfirm, FixedFormatHasNoThousandsSeparator)
{
    Fixture fx;
    fx.type("1234,5", "2500", "12,25", "1,56");
    EXPECT_EQ(fx.ok(), CalibrationFailure::None);
    EXPECT_EQ(fx.dialog.fields().tPixel, "1234,500");
    EXPECT_EQ(fx.dialog.fields().tEcht, "2500,000");
    EXPECT_EQ(fx.dialog.fields().tFremdPhase, "12,250");
    EXPECT_EQ(fx.dialog.kalCaption(), "1234,500 Pixel = 2500,000");
}

struct WrongInput {
    const char* name;
    const char* pixel;
    const char* real;
    const char* fraction;
    const char* factor;
    CalibrationFailure failure;
};

TEST(CalibrationConfirm, WrongNumbersAreReportedInOrder)
{
    const WrongInput rows[] = {
        {"thousands separator in real length", "100", "1.234,5", "", "1,56", CalibrationFailure::RealLength},
        {"real length 0", "100", "0", "", "1,56", CalibrationFailure::RealLength},
        {"real length empty", "100", "", "", "1,56", CalibrationFailure::RealLength},
        {"trailing blank", "100", "25 ", "", "1,56", CalibrationFailure::RealLength},
        {"overflowing exponent", "100", "1e99999", "", "1,56", CalibrationFailure::RealLength},
        {"pixel length 0", "0", "25", "", "1,56", CalibrationFailure::PixelLength},
        {"pixel length text", "abc", "25", "", "1,56", CalibrationFailure::PixelLength},
        {"fraction 100", "100", "25", "100", "1,56", CalibrationFailure::SecondPhase},
        {"fraction negative", "100", "25", "-0,5", "1,56", CalibrationFailure::SecondPhase},
        {"fraction blank", "100", "25", " ", "1,56", CalibrationFailure::SecondPhase},
        {"factor 0", "100", "25", "", "0", CalibrationFailure::ConversionFactor},
        {"factor empty", "100", "25", "", "", CalibrationFailure::ConversionFactor},
        {"all wrong: real length first", "0", "0", "100", "0", CalibrationFailure::RealLength},
        {"pixel before fraction", "0", "25", "100", "0", CalibrationFailure::PixelLength},
        {"fraction before factor", "100", "25", "100", "0", CalibrationFailure::SecondPhase},
    };
    for (const WrongInput& row : rows) {
        SCOPED_TRACE(row.name);
        Fixture fx;
        fx.measurement.calibration.scale = 0.5L;
        fx.measurement.calibration.pixelLength = 40.0L;
        fx.measurement.calibration.realLength = 20.0L;
        fx.measurement.calibration.conversionFactor = 2.0L;
        fx.type(row.pixel, row.real, row.fraction, row.factor);
        EXPECT_EQ(fx.ok(), row.failure);
        // Nothing stored; the dialog stays open in calibration mode.
        EXPECT_EQ(fx.measurement.calibration.scale, 0.5L);
        EXPECT_EQ(fx.measurement.calibration.pixelLength, 40.0L);
        EXPECT_EQ(fx.measurement.calibration.realLength, 20.0L);
        EXPECT_EQ(fx.measurement.calibration.conversionFactor, 2.0L);
        EXPECT_EQ(fx.state.mode, emCalibrate);
        EXPECT_EQ(fx.dialog.kalCaption(), "Not calibrated");
        EXPECT_TRUE(fx.dialog.kalWarning());
    }
}

TEST(CalibrationConfirm, Messages)
{
    EXPECT_STREQ(kCalibrationMessageCaption, "Kalibierung");
    EXPECT_STREQ(CalibrationFailureMessage(CalibrationFailure::RealLength),
                 "Die Eingabe der echten L\xC3\xA4nge ist fehlerhaft!");
    EXPECT_STREQ(CalibrationFailureMessage(CalibrationFailure::PixelLength),
                 "Die Eingabe der L\xC3\xA4nge in Pixel ist fehlerhaft!");
    EXPECT_STREQ(CalibrationFailureMessage(CalibrationFailure::SecondPhase),
                 "Die Eingabe des Fremdphasenanteils ist fehlerhaft!");
    EXPECT_STREQ(CalibrationFailureMessage(CalibrationFailure::ConversionFactor),
                 "Die Eingabe des Umrechnungsfaktors ist fehlerhaft!");
    EXPECT_STREQ(CalibrationFailureMessage(CalibrationFailure::None), "");
}

TEST(CalibrationConfirm, WrongFractionClearsTheStoredFractionAtOnce)
{
    Fixture fx;
    fx.measurement.calibration.secondPhasePercent = 5.0L;
    fx.type("100", "25", "100", "1,56");
    EXPECT_EQ(fx.ok(), CalibrationFailure::SecondPhase);
    EXPECT_EQ(fx.measurement.calibration.secondPhasePercent, -1.0L);
    // A wrong factor after a good fraction leaves the stored fraction alone.
    fx.measurement.calibration.secondPhasePercent = 5.0L;
    fx.type("100", "25", "20", "0");
    EXPECT_EQ(fx.ok(), CalibrationFailure::ConversionFactor);
    EXPECT_EQ(fx.measurement.calibration.secondPhasePercent, 5.0L);
    // The fields read so far keep their replaced separators.
    fx.type("100,5", "25,5", "20,5", "0");
    EXPECT_EQ(fx.ok(), CalibrationFailure::ConversionFactor);
    EXPECT_EQ(fx.dialog.fields().tPixel, "100.5");
    EXPECT_EQ(fx.dialog.fields().tEcht, "25.5");
    EXPECT_EQ(fx.dialog.fields().tFremdPhase, "20.5");
}

TEST(CalibrationConfirm, FractionZeroIsValidAndShown)
{
    Fixture fx;
    fx.type("100", "25", "0", "1,56");
    EXPECT_EQ(fx.ok(), CalibrationFailure::None);
    EXPECT_EQ(fx.measurement.calibration.secondPhasePercent, 0.0L);
    EXPECT_EQ(fx.dialog.fields().tFremdPhase, "0,000");
    // 0 % of the length, whatever segment is marked (the line has 50 marked).
    EXPECT_EQ(fx.sheet.cell(4, 1), "0,000");
    EXPECT_EQ(fx.sheet.cell(6, 1), "200,000");
    EXPECT_EQ(fx.dialog.secondPhaseNotice(),
              (SheetPanel{true, "Fremdphasenanteil per Kalibrierung: 0,000 Vol%"}));
}

TEST(CalibrationConfirm, EmptyFractionUsesMarkedSegments)
{
    Fixture fx;
    fx.dialog.showSecondPhaseNotice("old");
    fx.measurement.calibration.secondPhasePercent = 30.0L;
    fx.type("100", "25", "", "1,56");
    EXPECT_EQ(fx.ok(), CalibrationFailure::None);
    EXPECT_EQ(fx.measurement.calibration.secondPhasePercent, -1.0L);
    EXPECT_EQ(fx.sheet.cell(4, 1), "50,000");
    EXPECT_EQ(fx.sheet.cell(6, 1), "150,000");
    EXPECT_FALSE(fx.dialog.secondPhaseNotice().visible);
}

TEST(CalibrationConfirm, NegativeValuesAreStoredAsTyped)
{
    Fixture fx;
    fx.type("-200", "50", "", "-1,56");
    EXPECT_EQ(fx.ok(), CalibrationFailure::None);
    EXPECT_EQ(fx.measurement.calibration.conversionFactor, -1.56L);
    EXPECT_EQ(fx.measurement.calibration.scale, -0.25L);
    EXPECT_EQ(fx.dialog.fields().tFaktor, "-1,560");
    EXPECT_EQ(fx.dialog.kalCaption(), "-200,000 Pixel = 50,000");
}

TEST(CalibrationConfirm, FractionSetBySecondPhaseField)
{
    Fixture fx;
    fx.type("100", "25", "12,5", "1,56");
    EXPECT_EQ(fx.ok(), CalibrationFailure::None);
    EXPECT_EQ(fx.dialog.secondPhaseNotice(),
              (SheetPanel{true, "Fremdphasenanteil per Kalibrierung: 12,500 Vol%"}));
    EXPECT_EQ(fx.sheet.cell(4, 1), "25,000");
    EXPECT_EQ(fx.sheet.cell(10, 1), "12,500");
}

TEST(CalibrationDialog, CancelRestoresFourTextsButNotTheFactor)
{
    Fixture fx;
    fx.type("100", "25", "5", "1,56");
    fx.dialog.fields().tInfo = "probe";
    fx.state.mode = emInfo;
    fx.dialog.open(fx.state);
    EXPECT_EQ(fx.state.mode, emCalibrate);
    EXPECT_EQ(fx.dialog.savedFields().tPixel, "100");

    fx.type("7", "8", "9", "3,3");
    fx.dialog.fields().tInfo = "changed";
    fx.dialog.bCancelClick();
    fx.dialog.FormClose(fx.measurement.calibration, fx.state);
    EXPECT_EQ(fx.dialog.fields().tPixel, "100");
    EXPECT_EQ(fx.dialog.fields().tEcht, "25");
    EXPECT_EQ(fx.dialog.fields().tFremdPhase, "5");
    EXPECT_EQ(fx.dialog.fields().tInfo, "probe");
    EXPECT_EQ(fx.dialog.fields().tFaktor, "3,3");
    EXPECT_EQ(fx.measurement.calibration.conversionFactor, 1.56L);
    EXPECT_EQ(fx.state.mode, emInfo);
}

TEST(CalibrationDialog, CloseShowsTheFractionWithSixDigits)
{
    Fixture fx;
    Calibration c;
    c.secondPhasePercent = 12.3456L;
    fx.dialog.FormClose(c, fx.state);
    EXPECT_EQ(fx.dialog.secondPhaseNotice(),
              (SheetPanel{true, "Fremdphasenanteil per Kalibrierung: 12,346 Vol%"}));
    EXPECT_EQ(fx.state.mode, emSecondPhase);
    c.secondPhasePercent = -1.0L;
    fx.dialog.FormClose(c, fx.state);
    EXPECT_FALSE(fx.dialog.secondPhaseNotice().visible);
}

TEST(CalibrationDialog, DistanceDrawnInTheImage)
{
    Fixture fx;
    fx.dialog.showCalibrationDistance(141.42135623730951L);
    EXPECT_EQ(fx.dialog.fields().tPixel, "141,421");
}

TEST(CalibrationDialog, OpeningAnImageResetsTheCalibration)
{
    Fixture fx;
    fx.type("100", "25", "10", "2");
    ASSERT_EQ(fx.ok(), CalibrationFailure::None);
    ASSERT_TRUE(fx.dialog.secondPhaseNotice().visible);

    fx.dialog.resetForImage(fx.measurement, 800, 600);
    const Calibration& c = fx.measurement.calibration;
    EXPECT_EQ(c.scale, 1.0L);
    EXPECT_EQ(c.secondPhasePercent, -1.0L);
    EXPECT_EQ(c.conversionFactor, 1.56L);
    EXPECT_EQ(fx.dialog.fields().tFaktor, "1,560");
    EXPECT_EQ(fx.dialog.fields().tPixel, "");
    EXPECT_EQ(fx.dialog.fields().tEcht, "");
    EXPECT_EQ(fx.dialog.fields().tInfo, "800x600");
    EXPECT_EQ(fx.dialog.kalCaption(), "Not calibrated");
    EXPECT_TRUE(fx.dialog.kalWarning());
    EXPECT_FALSE(fx.dialog.secondPhaseNotice().visible);
}

TEST(CalibrationDialog, LoaderConfirmRestoresTheModeOfTheLastOpening)
{
    // The trailer reader fills the fields of a dialog that was never opened and confirms.
    Measurement m;
    CalibrationModel dialog;
    EditState state;
    state.mode = emInfo;
    dialog.fields().tPixel = FormatF(123.4567L, 10, 3, NumberLocale::German());
    dialog.fields().tEcht = "10,000";
    EXPECT_EQ(dialog.bOkClick(m), CalibrationFailure::None);
    dialog.FormClose(m.calibration, state);
    EXPECT_EQ(state.mode, emLine);
    EXPECT_EQ(m.calibration.pixelLength, 123.457L);
    EXPECT_EQ(m.calibration.scale, 10.0L / 123.457L);
}

}  // namespace
}  // namespace tesra
