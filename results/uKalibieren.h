#pragma once
// The calibration dialog "Calibrate": a modeless tool window that stays on top, over the
// document's calibration texts and rules. It shows the field texts, hands typed texts to
// them, and shows what the confirm operation answers.
#include <QDialog>

#include "app/document/measuring_document.h"
#include "results/calibration_presets.h"

class QCheckBox;
class QComboBox;
class QSettings;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tesra {

class TfKalibieren : public QDialog {
    Q_OBJECT
public:
    explicit TfKalibieren(MeasuringDocument& document, QWidget* parent = nullptr);
    ~TfKalibieren() override;

    CalibrationModel& model() { return m_doc.calibrationTexts(); }
    // The distance the user draws in the image arrives here (tPixel), live.
    void ShowCalibrationDistance(long double pixels);
    // Shows the model's field texts.
    void refresh();

    // The main window's Calibrate: remembers the mode, switches to calibration and shows
    // the dialog without blocking the other windows (the main window locks its buttons).
    void OpenCalibration();
    // `bOkClick`: checks and stores the four numbers as one step of the document's history.
    // A refused number is reported in a message box and the dialog stays open; on success
    // the dialog closes (the windows follow the document).
    CalibrationFailure bOkClick();
    // `bCancelClick`: the four saved texts come back, then the dialog closes.
    void bCancelClick();

    QLineEdit* tPixel() const { return m_pixel; }
    QLineEdit* tEcht() const { return m_echt; }
    QLineEdit* tFremdPhase() const { return m_fremdPhase; }
    QLineEdit* tFaktor() const { return m_faktor; }
    QLineEdit* tInfo() const { return m_info; }
    QPushButton* bOk() const { return m_ok; }
    QPushButton* bCancel() const { return m_cancel; }
    QComboBox* cbPreset() const { return m_preset; }
    QPushButton* bPresetKeep() const { return m_presetKeep; }
    QPushButton* bPresetDelete() const { return m_presetDelete; }
    QCheckBox* cbEveryImage() const { return m_everyImage; }

    // Keeps the typed lengths and unit under the name in the preset box; a message when the
    // name or a length is missing.
    void keepPreset();
    // Removes the preset named in the box.
    void deletePreset();
    // Fills the lengths and the unit from the preset of that name (Ok then takes them).
    void choosePreset(const QString& name);

    // Escape and closing the window count as Cancel.
    void reject() override;
    // Every way of closing ends here: `FormClose`, then the main window unlocks.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    // Enter in the preset box chooses the preset of the typed name; it never confirms the
    // dialog, which would calibrate with whatever the fields hold.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormClose();
    void showPresets();

    MeasuringDocument& m_doc;
    int m_subscription = 0;
    QLineEdit* m_pixel = nullptr;
    QLineEdit* m_echt = nullptr;
    QLineEdit* m_fremdPhase = nullptr;
    QLineEdit* m_faktor = nullptr;
    QLineEdit* m_info = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QComboBox* m_unit = nullptr;
    QComboBox* m_preset = nullptr;
    QPushButton* m_presetKeep = nullptr;
    QPushButton* m_presetDelete = nullptr;
    QCheckBox* m_everyImage = nullptr;
    std::vector<CalibrationPreset> m_presets;
};

// The presets, the last calibration and the option to apply it to every image opened, as the
// program's settings keep them. Entries that do not read as a calibration are left out.
std::vector<CalibrationPreset> StoredPresets(QSettings& settings);
void StorePresets(QSettings& settings, const std::vector<CalibrationPreset>& presets);
// The calibration last accepted with Ok, when the option to apply it to every image is on.
std::optional<CalibrationPreset> CalibrationForEveryImage(QSettings& settings);

// The program's calibration dialog, or nullptr when none exists.
TfKalibieren* fKalibieren();

}  // namespace tesra
