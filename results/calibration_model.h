#pragma once
// The rules of the calibration dialog `TfKalibieren`: its five field texts, the texts saved
// when it is shown, reading and checking the typed numbers, storing the calibration, the
// main window's calibration panel `tKal`, and what closing the dialog and opening an image
// do. The dialog window only shows these texts and forwards its buttons here.
#include <cstdint>
#include <string>

#include "common/number_format.h"
#include "common/user_text.h"
#include "app/measurement/measurement.h"
#include "results/result_sheet.h"

namespace tesra {

inline constexpr const char* kCalibrationDialogCaption = QT_TRANSLATE_NOOP("Core", "Calibrate");
// Caption of the message boxes that report a wrong number.
inline constexpr const char* kCalibrationMessageCaption = QT_TRANSLATE_NOOP("Core", "Kalibierung");
inline constexpr const char* kNotCalibratedCaption = QT_TRANSLATE_NOOP("Core", "Not calibrated");
// `tKal` while not calibrated (light red), as 0x00BBGGRR.
constexpr std::uint32_t kNotCalibratedColour = 8421631;

// The dialog's edit fields, in tab order, as the user sees them (UTF-8).
struct CalibrationFields {
    std::string tPixel;       // length in pixels
    std::string tEcht;        // real length
    std::string tFremdPhase;  // second-phase fraction in %, empty = not set
    std::string tFaktor;      // the default factor until an image is opened
    std::string tInfo;        // remark, at most 254 characters in the window
    friend bool operator==(const CalibrationFields&, const CalibrationFields&) = default;
};

// Which number the confirm operation refused; None when it succeeded.
enum class CalibrationFailure : std::uint8_t { None, RealLength, PixelLength, SecondPhase, ConversionFactor };

// The dialog's checks of a second-phase fraction (finite, at least 0 and below 100; -1, "not
// set", is no fraction) and of a conversion factor (finite and not 0). The stored-measurement
// reader applies the same rules to the values it finds.
bool IsValidSecondPhasePercent(long double percent);
bool IsValidConversionFactor(long double factor);

// The message shown for a refused number (caption kCalibrationMessageCaption, error icon);
// empty for None.
const char* CalibrationFailureMessage(CalibrationFailure failure);

class CalibrationModel {
public:
    explicit CalibrationModel(NumberLocale locale = NumberLocale::German());

    // The separators of the fields from now on; an untouched default factor is written anew.
    void setLocale(const NumberLocale& locale);
    const NumberLocale& locale() const { return m_locale; }

    // The field texts; the window writes what the user types, the loaders what they read.
    CalibrationFields& fields() { return m_fields; }
    const CalibrationFields& fields() const { return m_fields; }
    // The texts of tPixel, tEcht, tFremdPhase and tInfo as they were when last shown
    // (tFaktor is not saved).
    const CalibrationFields& savedFields() const { return m_saved; }

    // Caption of the main window's panel `tKal`, and whether it carries its warning colour
    // (otherwise the standard button face).
    const std::string& kalCaption() const { return m_kalCaption; }
    bool kalWarning() const { return m_kalWarning; }

    // The sheet's panel `tFremd`: the second-phase fraction as the dialog's closing or the
    // stored measurement set it, or hidden.
    const SheetPanel& secondPhaseNotice() const { return m_notice; }
    void showSecondPhaseNotice(std::string caption);
    // The notice the dialog's closing leaves for the calibration: its fraction, or hidden.
    void showNoticeOf(const Calibration& calibration);

    // The mode in force when the dialog was last opened (emLine before that).
    EditMode savedMode() const { return m_savedMode; }

    // `bKalibierenClick`: remembers the mode, switches to emCalibrate and shows the dialog
    // (which saves the four texts). The window disables the main window's buttons.
    void open(EditState& state);

    // `FormShow`: saves the texts of tPixel, tEcht, tFremdPhase and tInfo.
    void FormShow();

    // The distance drawn in the image in emCalibrate goes into tPixel as F(10,3).
    void showCalibrationDistance(long double pixels);

    // `bOkClick`: reads and checks the four numbers in the order real length, pixel length,
    // second-phase fraction, conversion factor. On the first wrong one returns its failure
    // and leaves the calibration as it was, except that a wrong fraction sets
    // secondPhasePercent to -1 at once. On success stores the calibration, sets `tKal` and
    // rewrites the fields in F(10,3); the caller then closes the dialog, which runs the close
    // handling (`FormClose`) once. The loaders call it the same way.
    CalibrationFailure bOkClick(Measurement& measurement);

    // `bCancelClick`: puts the four saved texts back (tFaktor keeps what was typed); the
    // calibration is not touched. The window then closes the dialog.
    void bCancelClick();

    // `FormClose`, every way of closing: `tFremd` shows the fraction set by calibration or is
    // hidden, and the mode saved at opening comes back. Running it twice changes nothing.
    void FormClose(const Calibration& calibration, EditState& state);

    // Opening an image: default calibration with the image size as remark, tFaktor showing
    // the conversion factor, tPixel and tEcht emptied, tInfo the image size, `tKal` "Not
    // calibrated", and the sheet's `tFremd` hidden.
    void resetForImage(Measurement& measurement, int imageWidth, int imageHeight);

private:
    bool readNumber(std::string& text, long double& value) const;
    std::string f(long double value) const;

    NumberLocale m_locale;
    CalibrationFields m_fields;
    CalibrationFields m_saved;
    std::string m_kalCaption = kNotCalibratedCaption;
    bool m_kalWarning = true;
    SheetPanel m_notice;
    EditMode m_savedMode = emLine;
};

}  // namespace tesra
