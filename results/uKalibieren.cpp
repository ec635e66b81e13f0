#include "results/uKalibieren.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

#include "app/uDialogs.h"
#include "app/uHelp.h"
#include "app/uLanguage.h"
#include "app/uMain.h"

namespace tesra {
namespace {

TfKalibieren* g_kalibieren = nullptr;

// The client area of the dialog: 269 pixels wide as it always was, and room for the unit
// beside the real length.
constexpr int kClientWidth = 269 + 80;
constexpr int kClientHeight = 232;
// The remark is stored in a 256-byte text block: one length byte and at most 255
// characters, of which the dialog allows 254.
constexpr int kMaxRemarkLength = 254;

QString Q(const std::string& text) { return QString::fromStdString(text); }

// Writes a field only when it differs, so the cursor of a field being typed in stays put.
void Show(QLineEdit* field, const std::string& text)
{
    const QString value = Q(text);
    if (field->text() != value)
        field->setText(value);
}

}  // namespace

TfKalibieren* fKalibieren() { return g_kalibieren; }

TfKalibieren::TfKalibieren(MeasuringDocument& document, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint
                          | Qt::WindowTitleHint),
      m_doc(document)
{
    g_kalibieren = this;
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

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(10, 10, 10, 10);
    grid->setVerticalSpacing(6);
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
    int row = 0;
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
    grid->setRowStretch(row++, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    grid->addLayout(buttons, row, 0, 1, 2);

    setTabOrder(m_pixel, m_echt);
    setTabOrder(m_echt, m_fremdPhase);
    setTabOrder(m_fremdPhase, m_faktor);
    setTabOrder(m_faktor, m_info);
    setTabOrder(m_info, m_ok);
    setTabOrder(m_ok, m_cancel);

    m_subscription = m_doc.subscribe([this](unsigned changes) {
        if (changes & (dcCalibration | dcNumberFormat))
            refresh();
    });
    refresh();
}

TfKalibieren::~TfKalibieren()
{
    m_doc.unsubscribe(m_subscription);
    if (g_kalibieren == this)
        g_kalibieren = nullptr;
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
    accept();
    return failure;
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
