#include "results/calibration_model.h"

#include <cmath>

#include "common/decimal_input.h"
#include "common/user_text.h"

namespace tesra {

const char* CalibrationFailureMessage(CalibrationFailure failure)
{
    switch (failure) {
    case CalibrationFailure::RealLength:
        return QT_TRANSLATE_NOOP("Core", "Die Eingabe der echten Länge ist fehlerhaft!");
    case CalibrationFailure::PixelLength:
        return QT_TRANSLATE_NOOP("Core", "Die Eingabe der Länge in Pixel ist fehlerhaft!");
    case CalibrationFailure::SecondPhase:
        return QT_TRANSLATE_NOOP("Core", "Die Eingabe des Fremdphasenanteils ist fehlerhaft!");
    case CalibrationFailure::ConversionFactor:
        return QT_TRANSLATE_NOOP("Core", "Die Eingabe des Umrechnungsfaktors ist fehlerhaft!");
    case CalibrationFailure::None:
        break;
    }
    return "";
}

bool IsValidSecondPhasePercent(long double percent)
{
    return std::isfinite(percent) && percent >= 0.0L && percent < 100.0L;
}

bool IsValidConversionFactor(long double factor)
{
    return std::isfinite(factor) && factor != 0.0L;
}

namespace {

// The factor's start text, written with the locale's separator so that Ok accepts it
// before any image has set the field ("1,56").
std::string DefaultFactorText(const NumberLocale& locale)
{
    return FormatG(kDefaultConversionFactor, 15, locale);
}

}  // namespace

CalibrationModel::CalibrationModel(NumberLocale locale) : m_locale(std::move(locale))
{
    m_fields.tFaktor = DefaultFactorText(m_locale);
}

void CalibrationModel::setLocale(const NumberLocale& locale)
{
    if (m_fields.tFaktor == DefaultFactorText(m_locale))
        m_fields.tFaktor = DefaultFactorText(locale);
    m_locale = locale;
}

void CalibrationModel::showSecondPhaseNotice(std::string caption)
{
    m_notice = {true, std::move(caption)};
}

std::string CalibrationModel::f(long double value) const
{
    return FormatF(value, 10, 3, m_locale);
}

bool CalibrationModel::readNumber(std::string& text, long double& value) const
{
    // The field shows the separator replaced even when the conversion then fails.
    if (!ReadDecimal(text, m_locale.decimalSeparator, value))
        return false;
    // An exponent too large for any length ("1e99999") would make the scale infinite.
    return std::isfinite(value);
}

void CalibrationModel::open(EditState& state)
{
    m_savedMode = state.mode;
    state.mode = emCalibrate;
    FormShow();
}

void CalibrationModel::FormShow()
{
    m_saved.tPixel = m_fields.tPixel;
    m_saved.tEcht = m_fields.tEcht;
    m_saved.tFremdPhase = m_fields.tFremdPhase;
    m_saved.tInfo = m_fields.tInfo;
}

void CalibrationModel::showCalibrationDistance(long double pixels)
{
    m_fields.tPixel = f(pixels);
}

CalibrationFailure CalibrationModel::bOkClick(Measurement& measurement)
{
    Calibration& calibration = measurement.calibration;

    long double realLength = 0.0L;
    if (!readNumber(m_fields.tEcht, realLength) || realLength == 0.0L)
        return CalibrationFailure::RealLength;

    long double pixelLength = 0.0L;
    if (!readNumber(m_fields.tPixel, pixelLength) || pixelLength == 0.0L)
        return CalibrationFailure::PixelLength;

    long double secondPhase = -1.0L;
    if (!m_fields.tFremdPhase.empty()) {
        if (!readNumber(m_fields.tFremdPhase, secondPhase) || !IsValidSecondPhasePercent(secondPhase)) {
            calibration.secondPhasePercent = -1.0L;
            return CalibrationFailure::SecondPhase;
        }
    }

    long double factor = 0.0L;
    if (!readNumber(m_fields.tFaktor, factor) || !IsValidConversionFactor(factor))
        return CalibrationFailure::ConversionFactor;

    // Only 0 is refused: negative lengths and factors are stored as typed.
    calibration.realLength = realLength;
    calibration.pixelLength = pixelLength;
    calibration.secondPhasePercent = secondPhase;
    calibration.conversionFactor = factor;
    calibration.scale = realLength / pixelLength;
    calibration.remark = m_fields.tInfo;

    m_kalCaption = f(pixelLength) + " Pixel = " + f(realLength);
    m_kalWarning = false;

    m_fields.tPixel = f(pixelLength);
    m_fields.tEcht = f(realLength);
    m_fields.tFaktor = f(factor);
    if (secondPhase != -1.0L)
        m_fields.tFremdPhase = f(secondPhase);
    return CalibrationFailure::None;
}

void CalibrationModel::bCancelClick()
{
    m_fields.tPixel = m_saved.tPixel;
    m_fields.tEcht = m_saved.tEcht;
    m_fields.tFremdPhase = m_saved.tFremdPhase;
    m_fields.tInfo = m_saved.tInfo;
}

void CalibrationModel::showNoticeOf(const Calibration& calibration)
{
    if (calibration.secondPhasePercent != -1.0L)
        showSecondPhaseNotice(UserText(QT_TRANSLATE_NOOP("Core", "Fremdphasenanteil per Kalibrierung: "))
                              + FormatF(calibration.secondPhasePercent, 6, 3, m_locale) + " Vol%");
    else
        m_notice.visible = false;
}

void CalibrationModel::FormClose(const Calibration& calibration, EditState& state)
{
    showNoticeOf(calibration);
    state.mode = m_savedMode;
}

void CalibrationModel::resetForImage(Measurement& measurement, int imageWidth, int imageHeight)
{
    measurement.calibration = DefaultCalibration(imageWidth, imageHeight);
    m_fields.tPixel.clear();
    m_fields.tEcht.clear();
    m_fields.tInfo = std::to_string(imageWidth) + "x" + std::to_string(imageHeight);
    m_fields.tFaktor = f(measurement.calibration.conversionFactor);
    m_kalCaption = kNotCalibratedCaption;
    m_kalWarning = true;
    // The notice belongs to the measurement of the previous image.
    m_notice.visible = false;
}

}  // namespace tesra
