#include "results/uKalibieren.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QShowEvent>

#include <algorithm>

#include "app/uDialogs.h"
#include "app/uHelp.h"
#include "app/uLanguage.h"
#include "app/uMain.h"
#include "widgets/uWindowSupport.h"

namespace tesra {
namespace {

// The client area of the dialog: 269 pixels wide as it always was, and room for the unit
// beside the real length and the preset's buttons; below, the presets' row and the option
// of every image.
constexpr int kClientWidth = 269 + 120;
constexpr int kClientHeight = 232 + 48;
// The remark is stored in a 256-byte text block: one length byte and at most 255
// characters, of which the dialog allows 254.
constexpr int kMaxRemarkLength = 254;

// Settings keys.
constexpr const char* kPresetsKey = "calibration/presets";
constexpr const char* kLastKey = "calibration/last";
constexpr const char* kEveryImageKey = "calibration/everyImage";
// More presets than anyone keeps; a hand-edited count beyond it is not walked to its end.
constexpr int kMaxPresets = 1000;

std::string S(const QSettings& settings, const QString& key) { return settings.value(key).toString().toStdString(); }

void WriteCalibration(QSettings& settings, const CalibrationPreset& preset)
{
    settings.setValue("pixels", qs(PresetNumberText(preset.pixelLength)));
    settings.setValue("real", qs(PresetNumberText(preset.realLength)));
    settings.setValue("unit", LengthUnitCode(preset.unit));
}

std::optional<CalibrationPreset> ReadCalibration(const QSettings& settings, std::string name)
{
    return ReadPreset(std::move(name), S(settings, "pixels"), S(settings, "real"), S(settings, "unit"));
}

// Writes a field only when it differs, so the cursor of a field being typed in stays put.
void Show(QLineEdit* field, const std::string& text)
{
    const QString value = qs(text);
    if (field->text() != value)
        field->setText(value);
}

}  // namespace

TfKalibieren* fKalibieren() { return soleWindow<TfKalibieren>(); }

std::vector<CalibrationPreset> StoredPresets(QSettings& settings)
{
    std::vector<CalibrationPreset> presets;
    const int n = std::min(settings.beginReadArray(kPresetsKey), kMaxPresets);
    for (int i = 0; i < n; ++i) {
        settings.setArrayIndex(i);
        if (auto preset = ReadCalibration(settings, S(settings, "name")); preset && !preset->name.empty())
            KeepPreset(presets, std::move(*preset));
    }
    settings.endArray();
    return presets;
}

void StorePresets(QSettings& settings, const std::vector<CalibrationPreset>& presets)
{
    settings.remove(kPresetsKey);
    settings.beginWriteArray(kPresetsKey, static_cast<int>(presets.size()));
    for (int i = 0; i < static_cast<int>(presets.size()); ++i) {
        settings.setArrayIndex(i);
        settings.setValue("name", qs(presets[i].name));
        WriteCalibration(settings, presets[i]);
    }
    settings.endArray();
}

std::optional<CalibrationPreset> CalibrationForEveryImage(QSettings& settings)
{
    if (!settings.value(kEveryImageKey, false).toBool())
        return std::nullopt;
    settings.beginGroup(kLastKey);
    std::optional<CalibrationPreset> last = ReadCalibration(settings, {});
    settings.endGroup();
    return last;
}

TfKalibieren::TfKalibieren(MeasuringDocument& document, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint
                          | Qt::WindowTitleHint),
      m_doc(document)
{
    soleWindow<TfKalibieren>() = this;
    setObjectName("fKalibieren");
    setWindowTitle(CoreText(kCalibrationDialogCaption));
    setModal(false);
    setFixedSize(kClientWidth, kClientHeight);
    SetHelpContext(this, help::kCalibration);

    auto field = [this](const char* name, std::string CalibrationFields::* member) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(name);
        connect(edit, &QLineEdit::textEdited, this,
                [this, member](const QString& text) { model().fields().*member = text.toStdString(); });
        return edit;
    };
    m_pixel = field("tPixel", &CalibrationFields::tPixel);
    m_echt = field("tEcht", &CalibrationFields::tEcht);
    m_fremdPhase = field("tFremdPhase", &CalibrationFields::tFremdPhase);
    m_faktor = field("tFaktor", &CalibrationFields::tFaktor);
    m_info = field("tInfo", &CalibrationFields::tInfo);
    m_info->setMaxLength(kMaxRemarkLength);

    m_ok = new QPushButton(tr("Ok"), this);
    m_ok->setObjectName("bOk");
    m_ok->setDefault(true);
    m_cancel = new QPushButton(tr("Cancel"), this);
    m_cancel->setObjectName("bCancel");
    m_cancel->setAutoDefault(false);
    connect(m_ok, &QPushButton::clicked, this, [this] { bOkClick(); });
    connect(m_cancel, &QPushButton::clicked, this, &TfKalibieren::bCancelClick);

    // The presets: a name typed or chosen in the box, Keep stores the lengths under it.
    m_preset = new QComboBox(this);
    m_preset->setObjectName("cbPreset");
    m_preset->setEditable(true);
    m_preset->setInsertPolicy(QComboBox::NoInsert);
    m_preset->setToolTip(tr("A named calibration: choose one, or type a name and keep the lengths under it"));
    m_presetKeep = new QPushButton(tr("Keep"), this);
    m_presetKeep->setObjectName("bPresetKeep");
    m_presetKeep->setAutoDefault(false);
    m_presetDelete = new QPushButton(tr("Delete"), this);
    m_presetDelete->setObjectName("bPresetDelete");
    m_presetDelete->setAutoDefault(false);
    connect(m_preset, &QComboBox::textActivated, this, &TfKalibieren::choosePreset);
    m_preset->lineEdit()->installEventFilter(this);
    connect(m_presetKeep, &QPushButton::clicked, this, &TfKalibieren::keepPreset);
    connect(m_presetDelete, &QPushButton::clicked, this, &TfKalibieren::deletePreset);
    m_everyImage = new QCheckBox(tr("Apply the last calibration to every image opened"), this);
    m_everyImage->setObjectName("cbEveryImage");
    m_everyImage->setChecked(QSettings().value(kEveryImageKey, false).toBool());
    connect(m_everyImage, &QCheckBox::toggled, this, [](bool on) { QSettings().setValue(kEveryImageKey, on); });

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(10, 10, 10, 10);
    grid->setVerticalSpacing(6);
    auto* presetRow = new QHBoxLayout;
    auto* presetLabel = new QLabel(tr("Preset"), this);
    presetLabel->setBuddy(m_preset);
    presetRow->addWidget(presetLabel);
    presetRow->addWidget(m_preset, 1);
    presetRow->addWidget(m_presetKeep);
    presetRow->addWidget(m_presetDelete);
    int row = 0;
    grid->addLayout(presetRow, row++, 0, 1, 2);
    const std::pair<const char*, QLineEdit*> rows[] = {
        {QT_TR_NOOP("Length in pixels"), m_pixel},
        {QT_TR_NOOP("Real length"), m_echt},
        {QT_TR_NOOP("Second phase fraction in %"), m_fremdPhase},
        {QT_TR_NOOP("Conversion factor"), m_faktor},
    };
    // The unit of the real length stands beside it; it goes into the file with the calibration.
    m_unit = new QComboBox(this);
    m_unit->setObjectName("cbEinheit");
    for (LengthUnit unit : {LengthUnit::Micrometre, LengthUnit::Nanometre, LengthUnit::Millimetre})
        m_unit->addItem(QString::fromUtf8(LengthUnitText(unit)), static_cast<int>(unit));
    for (const auto& [text, edit] : rows) {
        auto* label = new QLabel(tr(text), this);
        label->setBuddy(edit);
        grid->addWidget(label, row, 0);
        if (edit == m_echt) {
            auto* withUnit = new QHBoxLayout;
            withUnit->addWidget(edit, 1);
            withUnit->addWidget(m_unit);
            grid->addLayout(withUnit, row, 1);
        } else {
            grid->addWidget(edit, row, 1);
        }
        ++row;
    }
    auto* remarks = new QLabel(tr("Remarks"), this);
    remarks->setBuddy(m_info);
    grid->addWidget(remarks, row++, 0, 1, 2);
    grid->addWidget(m_info, row++, 0, 1, 2);
    grid->addWidget(m_everyImage, row++, 0, 1, 2);
    grid->setRowStretch(row++, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    grid->addLayout(buttons, row, 0, 1, 2);

    setTabOrder(m_preset, m_presetKeep);
    setTabOrder(m_presetKeep, m_presetDelete);
    setTabOrder(m_presetDelete, m_pixel);
    setTabOrder(m_pixel, m_echt);
    setTabOrder(m_echt, m_fremdPhase);
    setTabOrder(m_fremdPhase, m_faktor);
    setTabOrder(m_faktor, m_info);
    setTabOrder(m_info, m_everyImage);
    setTabOrder(m_everyImage, m_ok);
    setTabOrder(m_ok, m_cancel);

    m_subscription = m_doc.subscribe([this](unsigned changes) {
        if (changes & (dcCalibration | dcNumberFormat))
            refresh();
    });
    {
        QSettings settings;
        m_presets = StoredPresets(settings);
    }
    showPresets();
    refresh();
}

TfKalibieren::~TfKalibieren()
{
    m_doc.unsubscribe(m_subscription);
    leaveSoleWindow(this);
}

void TfKalibieren::ShowCalibrationDistance(long double pixels)
{
    model().showCalibrationDistance(pixels);
    Show(m_pixel, model().fields().tPixel);
}

void TfKalibieren::refresh()
{
    const CalibrationFields& fields = model().fields();
    Show(m_pixel, fields.tPixel);
    Show(m_echt, fields.tEcht);
    Show(m_fremdPhase, fields.tFremdPhase);
    Show(m_faktor, fields.tFaktor);
    Show(m_info, fields.tInfo);
    m_unit->setCurrentIndex(m_unit->findData(static_cast<int>(m_doc.measurement().calibration.unit)));
}

void TfKalibieren::OpenCalibration()
{
    model().open(m_doc.editState());
    show();
    raise();
    activateWindow();
    m_pixel->setFocus();
}

void TfKalibieren::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        model().FormShow();
}

CalibrationFailure TfKalibieren::bOkClick()
{
    // The unit is taken with the numbers (the sheet's G follows it), and only with them.
    const CalibrationFailure failure =
        m_doc.AcceptCalibration(static_cast<LengthUnit>(m_unit->currentData().toInt()));
    // The fields show what the confirm made of them: a replaced decimal separator on a
    // refusal, the stored numbers on success.
    refresh();
    if (failure != CalibrationFailure::None) {
        ShowMessageBox(this, {CoreText(CalibrationFailureMessage(failure)),
                              CoreText(kCalibrationMessageCaption), BoxIcon::Error, BoxButtons::Ok});
        return failure;
    }
    // The calibration that the option carries to the next images.
    const Calibration& calibration = m_doc.calibration();
    QSettings settings;
    settings.beginGroup(kLastKey);
    WriteCalibration(settings, {{}, calibration.pixelLength, calibration.realLength, calibration.unit});
    settings.endGroup();
    accept();
    return failure;
}

bool TfKalibieren::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_preset->lineEdit() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            choosePreset(m_preset->currentText().trimmed());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfKalibieren::showPresets()
{
    const QString typed = m_preset->currentText();
    m_preset->clear();
    for (const CalibrationPreset& preset : m_presets)
        m_preset->addItem(qs(preset.name));
    m_preset->setCurrentIndex(-1);
    m_preset->setEditText(typed);
}

void TfKalibieren::choosePreset(const QString& name)
{
    const std::string wanted = name.toStdString();
    for (const CalibrationPreset& preset : m_presets) {
        if (preset.name != wanted)
            continue;
        ShowPreset(preset, model().fields(), model().locale());
        Show(m_pixel, model().fields().tPixel);
        Show(m_echt, model().fields().tEcht);
        m_unit->setCurrentIndex(m_unit->findData(static_cast<int>(preset.unit)));
        return;
    }
}

void TfKalibieren::keepPreset()
{
    const std::optional<CalibrationPreset> preset =
        PresetFromFields(m_preset->currentText().trimmed().toStdString(), model().fields(),
                         static_cast<LengthUnit>(m_unit->currentData().toInt()), model().locale());
    if (!preset) {
        ShowMessageBox(this, {tr("A preset needs a name, a length in pixels and a real length."),
                              CoreText(kCalibrationDialogCaption), BoxIcon::Error, BoxButtons::Ok});
        return;
    }
    m_preset->setEditText(qs(preset->name));
    KeepPreset(m_presets, *preset);
    QSettings settings;
    StorePresets(settings, m_presets);
    showPresets();
}

void TfKalibieren::deletePreset()
{
    if (!RemovePreset(m_presets, m_preset->currentText().trimmed().toStdString()))
        return;
    QSettings settings;
    StorePresets(settings, m_presets);
    m_preset->setEditText({});
    showPresets();
}

void TfKalibieren::bCancelClick()
{
    model().bCancelClick();
    refresh();
    QDialog::reject();
}

void TfKalibieren::reject() { bCancelClick(); }

void TfKalibieren::done(int result)
{
    QDialog::done(result);
    FormClose();
}

void TfKalibieren::FormClose()
{
    model().FormClose(m_doc.calibration(), m_doc.editState());
    // The sheet's notice follows the calibration the dialog leaves.
    m_doc.notify(dcCalibration);
    if (TfMain* main = fMain())
        main->CalibrationClosed();
}

}  // namespace tesra
