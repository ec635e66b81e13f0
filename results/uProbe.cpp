#include "results/uProbe.h"

#include <QCheckBox>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <fstream>
#include <sstream>

#include "app/help_topics.h"
#include "app/uDialogs.h"
#include "app/uHelp.h"
#include "app/uMain.h"
#include "results/fields_csv.h"
#include "results/fields_texts.h"
#include "results/uCsvFile.h"
#include "results/uKalibieren.h"
#include "results/uReport.h"
#include "results/uTabelle.h"
#include "widgets/uPanes.h"
#include "widgets/uWindowSupport.h"

namespace tesra {

namespace {

const QString kCsvFilter = QStringLiteral("CSV (*.csv)");

NumberLocale WindowLocale()
{
    return fMain() ? fMain()->document().numberLocale() : NumberLocale::German();
}

void ShowError(QWidget* parent, const QString& text)
{
    ShowMessageBox(parent, {text, TfProbe::tr("Specimen"), BoxIcon::Error, BoxButtons::Ok});
}

}  // namespace

FieldNumbers CurrentField()
{
    if (!fMain())
        return {};
    const MeasuringDocument& document = fMain()->document();
    const Measurement& measurement = document.measurement();
    return MeasureField(fsName(fMain()->imageFileName()), measurement, document.calibrated(),
                        measurement.calibration.unit);
}

TfProbe* fProbe()
{
    return soleWindow<TfProbe>();
}

TfProbe* ShowProbe()
{
    if (!fProbe()) {
        auto* probe = new TfProbe;
        if (fMain())
            fMain()->addPane(probe, Qt::RightDockWidgetArea, false);
    }
    if (fMain())
        fMain()->showPane(fProbe());
    else
        ShowPane(fProbe());
    return soleWindow<TfProbe>();
}

TfProbe::TfProbe(QWidget* parent) : QWidget(parent)
{
    soleWindow<TfProbe>() = this;
    setObjectName("fProbe");
    setWindowTitle(tr("Specimen"));
    SetHelpContext(this, help::kSpecimen);

    m_table = new QTableWidget(0, kSpecimenColumns, this);
    m_table->setObjectName("Felder");
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->verticalHeader()->setVisible(false);
    m_table->horizontalHeader()->setStretchLastSection(true);

    m_summary = new QLabel(this);
    m_summary->setObjectName("tSummary");
    m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_fileLabel = new QLabel(this);
    m_fileLabel->setObjectName("tProbeFile");
    m_addOnSave = new QCheckBox(tr("Add the field on every save"), this);
    m_addOnSave->setObjectName("cbAddOnSave");

    auto button = [this](const char* name, const QString& caption, void (TfProbe::*handler)()) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(button("bAddField", tr("Add field"), &TfProbe::bAddFieldClick));
    m_remove = button("bRemoveField", tr("Remove field"), &TfProbe::bRemoveFieldClick);
    buttons->addWidget(m_remove);
    buttons->addStretch();
    buttons->addWidget(button("bOpenProbe", tr("Open specimen…"), &TfProbe::bOpenClick));
    buttons->addWidget(button("bSaveProbe", tr("Save specimen as…"), &TfProbe::bSaveAsClick));
    m_report = button("bReport", tr("PDF report…"), &TfProbe::bReportClick);
    buttons->addWidget(m_report);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_summary);
    layout->addWidget(m_addOnSave);
    layout->addWidget(m_fileLabel);
    resize(720, 420);
    refresh();
}

TfProbe::~TfProbe()
{
    leaveSoleWindow(this);
}

bool TfProbe::addOnSave() const
{
    return m_addOnSave->isChecked();
}

void TfProbe::addField(FieldNumbers field)
{
    bool replaced = false;
    for (FieldNumbers& existing : m_fields) {
        if (existing.name == field.name) {
            existing = field;
            replaced = true;
        }
    }
    if (!replaced)
        m_fields.push_back(std::move(field));
    store();
    refresh();
}

void TfProbe::bAddFieldClick()
{
    if (!fMain() || fMain()->imageFileName().isEmpty())
        return;
    addField(CurrentField());
}

void TfProbe::ImageSaved()
{
    if (addOnSave())
        bAddFieldClick();
}

void TfProbe::bRemoveFieldClick()
{
    const int row = m_table->currentRow();
    if (row < 0 || row >= static_cast<int>(m_fields.size()))
        return;
    m_fields.erase(m_fields.begin() + row);
    store();
    refresh();
}

bool TfProbe::openSpecimen(const QString& fileName)
{
    try {
        std::ifstream in(fsName(fileName), std::ios::binary);
        if (!in)
            throw SpecimenFileError(fsName(fileName) + ": " + tr("the file cannot be read.").toStdString());
        std::ostringstream text;
        text << in.rdbuf();
        m_fields = ReadSpecimenCsv(text.str());
    } catch (const std::exception& e) {
        ShowError(this, qs(e.what()));
        return false;
    }
    m_file = fileName;
    refresh();
    return true;
}

void TfProbe::bOpenClick()
{
    FileRequest request;
    request.caption = tr("Open specimen");
    request.filters << kCsvFilter;
    const FileAnswer answer = ShowFileDialog(this, request);
    if (!answer.path.isEmpty())
        openSpecimen(answer.path);
}

void TfProbe::bSaveAsClick()
{
    const QString path = AskCsvSaveName(this, tr("Save specimen as"), m_file);
    if (path.isEmpty())
        return;
    const QString before = m_file;
    m_file = path;
    if (!store())
        m_file = before;
    refresh();
}

void TfProbe::bReportClick()
{
    FileRequest request;
    request.save = true;
    request.caption = tr("PDF report");
    request.fileName = m_file.isEmpty() ? QString() : m_file.left(m_file.size() - 4) + ".pdf";
    request.filters << QStringLiteral("PDF (*.pdf)");
    request.defaultSuffix = "pdf";
    request.confirmOverwrite = true;
    const FileAnswer answer = ShowFileDialog(this, request);
    if (answer.path.isEmpty())
        return;
    const QString pdf = answer.path.endsWith(".pdf", Qt::CaseInsensitive) ? answer.path : answer.path + ".pdf";
    QString error;
    if (!WriteSpecimenReport(pdf, m_fields, WindowLocale(), &error))
        ShowError(this, error);
}

bool TfProbe::store()
{
    return m_file.isEmpty() || WriteCsvFile(this, m_file, SpecimenCsv(m_fields), tr("Specimen"));
}

void TfProbe::refresh()
{
    const NumberLocale locale = WindowLocale();
    const SpecimenSummary summary = SummariseSpecimen(m_fields);
    const std::vector<std::string> titles = SpecimenColumnTitles(summary.unit);
    for (int c = 0; c < kSpecimenColumns; ++c)
        m_table->setHorizontalHeaderItem(c, new QTableWidgetItem(qs(titles[c])));
    m_table->setRowCount(static_cast<int>(m_fields.size()));
    for (int r = 0; r < static_cast<int>(m_fields.size()); ++r) {
        const std::vector<std::string> cells = SpecimenRowTexts(m_fields[r], locale);
        for (int c = 0; c < kSpecimenColumns; ++c) {
            auto* item = new QTableWidgetItem(qs(cells[c]));
            item->setTextAlignment(c == 0 ? (Qt::AlignLeft | Qt::AlignVCenter) : (Qt::AlignRight | Qt::AlignVCenter));
            if (c == 0)
                item->setToolTip(qs(m_fields[r].name));
            m_table->setItem(r, c, item);
        }
    }
    m_table->resizeColumnsToContents();

    QString html = "<table cellspacing=2>";
    for (const SummaryLine& line : SpecimenSummaryTexts(summary, locale))
        html += "<tr><td>" + qs(line.title).toHtmlEscaped() + ":&nbsp;&nbsp;</td><td><b>"
                + qs(line.value).toHtmlEscaped() + "</b></td></tr>";
    m_summary->setText(html + "</table>");
    m_fileLabel->setText(m_file.isEmpty() ? tr("Not kept in a file yet (Save specimen as…)")
                                          : tr("Kept in %1").arg(m_file));
    m_remove->setEnabled(!m_fields.empty());
    m_report->setEnabled(!m_fields.empty());
}

}  // namespace tesra
