#include "results/uTabelle.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QRegularExpression>
#include <QScrollBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/measurement/measurement.h"
#include "app/uDialogs.h"
#include "app/uHelp.h"
#include "app/uLanguage.h"
#include "app/uMain.h"
#include "results/measurement_csv.h"
#include "results/sheet_export.h"
#include "results/uCsvFile.h"
#include "view/uImage.h"
#include "widgets/uAlignedGrid.h"
#include "widgets/uClipboard.h"
#include "widgets/uWindowSupport.h"

namespace tesra {
namespace {

constexpr int kRowHeight = 18;
constexpr int kPanelWidth = 250;
// Widths of `Tabelle`: the mark, the flags, then the numbers.
constexpr int kMarkWidth = 17;
constexpr int kFlagWidth = 43;
constexpr int kNumberWidth = 64;
// Widths of `Tabelle2`: the row titles, then the numbers.
constexpr int kTitleWidth = 126;

QLabel* MakePanel(const QString& name, std::uint32_t colour, QWidget* parent)
{
    auto* panel = new QLabel(parent);
    panel->setObjectName(name);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setAlignment(Qt::AlignCenter);
    // At least the panel's width; a caption in a wider font than the original's still fits.
    panel->setMinimumWidth(kPanelWidth);
    // A widget on a toolbar takes the toolbar's button face as its background unless told
    // otherwise; the panel fills with its own colour.
    panel->setBackgroundRole(QPalette::Window);
    panel->setAutoFillBackground(true);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, QColor(qtColour(colour)));
    palette.setColor(QPalette::WindowText, Qt::black);
    panel->setPalette(palette);
    return panel;
}

}  // namespace

TfTabelle* fTabelle() { return soleWindow<TfTabelle>(); }

QString TfTabelle::DisplayText(int col, const std::string& text)
{
    if (col == 0 && text == kRowMarkText)
        return QStringLiteral("\u2713");
    return qs(text);
}

QColor TfTabelle::DisplayColour(CellColour colour)
{
    if (colour == CellColour::Window)
        return {};
    return QColor(qtColour(CellColourValue(colour)));
}

TfTabelle::TfTabelle(MeasuringDocument& document, QWidget* parent)
    : QMainWindow(parent), m_doc(document), m_clock([] { return QDateTime::currentDateTime(); })
{
    soleWindow<TfTabelle>() = this;
    setObjectName("fTabelle");
    setWindowTitle(tr("Sheet"));

    m_toolbar = new QToolBar(tr("Meßwerte"), this);
    m_toolbar->setObjectName("Messwerte");
    m_toolbar->setMovable(false);
    addToolBar(Qt::TopToolBarArea, m_toolbar);
    m_copyButton = new QToolButton(m_toolbar);
    m_copyButton->setObjectName("tCopy");
    m_copyButton->setText(tr("Copy"));
    m_copyButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
    connect(m_copyButton, &QToolButton::clicked, this, &TfTabelle::Copy);
    m_toolbar->addWidget(m_copyButton);
    // The panels sit in a box of their own, so that showing and hiding them takes effect
    // at once, also while the sheet is hidden and its toolbar not laid out.
    auto* panels = new QWidget(m_toolbar);
    auto* panelRow = new QHBoxLayout(panels);
    panelRow->setContentsMargins(0, 0, 0, 0);
    panelRow->setSpacing(2);
    m_fremd = MakePanel("tFremd", kSecondPhaseNoticeColour, panels);
    m_warnung = MakePanel("tWarnung", kWarningColour, panels);
    panelRow->addWidget(m_fremd);
    panelRow->addWidget(m_warnung);
    panelRow->addStretch(1);
    m_fremd->hide();
    m_warnung->hide();
    m_toolbar->addWidget(panels);
    // The CSV buttons come after the panels: a narrow sheet hides them behind the toolbar's
    // arrow before it hides a warning.
    auto csvButton = [this](const char* name, const QString& text, void (TfTabelle::*save)()) {
        auto* button = new QToolButton(m_toolbar);
        button->setObjectName(name);
        button->setText(text);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        connect(button, &QToolButton::clicked, this, save);
        m_toolbar->addWidget(button);
        return button;
    };
    m_sheetCsvButton = csvButton("tSheetCsv", tr("Sheet as CSV"), &TfTabelle::SaveSheetCsv);
    m_interceptCsvButton = csvButton("tInterceptCsv", tr("Intercepts as CSV"), &TfTabelle::SaveInterceptCsv);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // The sheet's texts are set small (8 points), as the column widths expect.
    QFont small = font();
    small.setPointSize(8);
    m_fremd->setFont(small);
    m_warnung->setFont(small);

    m_tabelle = new TAlignedGrid(kSheetColumns, 2, false, central);
    m_tabelle->setObjectName("Tabelle");
    m_tabelle->setFont(small);
    m_tabelle->setGridRowHeight(kRowHeight);
    m_tabelle->setTickColumn(0);
    for (int c = 0; c < kSheetColumns; ++c) {
        m_tabelle->setCellText(c, 0, CoreText(m_sheet.cell(c, 0)));
        m_tabelle->setGridColumnWidth(c, c == 0 ? kMarkWidth : c == 1 ? kFlagWidth : kNumberWidth);
        m_tabelle->setColumnAlignment(c, c <= 1 ? Qt::AlignCenter : Qt::AlignRight | Qt::AlignVCenter);
    }
    QFont bold = small;
    bold.setBold(true);
    m_tabelle->setColumnFont(1, bold);
    layout->addWidget(m_tabelle, 1);

    m_tabelle2 = new TAlignedGrid(kSumColumns, kSumRows, true, central);
    m_tabelle2->setObjectName("Tabelle2");
    m_tabelle2->setFont(small);
    m_tabelle2->setGridRowHeight(kRowHeight);
    m_tabelle2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_tabelle2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (int c = 0; c < kSumColumns; ++c) {
        m_tabelle2->setCellText(c, 0, CoreText(m_sheet.sumCell(c, 0)));
        m_tabelle2->setGridColumnWidth(c, c == 0 ? kTitleWidth : kNumberWidth);
        m_tabelle2->setColumnAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    }
    for (int r = 1; r < kSumRows; ++r)
        m_tabelle2->setCellText(0, r, CoreText(m_sheet.sumCell(0, r)));
    // Title row, two rows and the scroll bar, nothing more: the line rows get the rest.
    m_tabelle2->setFixedHeight(kSumRows * kRowHeight + 2 * m_tabelle2->frameWidth()
                               + m_tabelle2->horizontalScrollBar()->sizeHint().height());
    layout->addWidget(m_tabelle2);
    setCentralWidget(central);

    connect(m_tabelle, &QTableWidget::cellClicked, this, [this](int row, int) {
        m_sheet.SelectLineRow(row + 1);
        TabelleClick();
    });
    connect(m_tabelle, &TAlignedGrid::currentRowChosen, this, [this](int row) {
        if (m_refreshing)
            return;
        m_sheet.SelectLineRow(row);
        TabelleClick();
    });
    connect(m_tabelle, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { TabelleDblClick(row + 1); });
    m_tabelle->installEventFilter(this);
    m_tabelle2->installEventFilter(this);

    // Ctrl+C anywhere on the sheet copies the whole sheet, as the button does.
    auto* copy = new QAction(this);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(copy, &QAction::triggered, this, &TfTabelle::Copy);
    addAction(copy);

    SetHelpContext(this, help::kResultSheet);

    m_locale = QLocale::system();
    m_subscription = m_doc.subscribe([this](unsigned changes) {
        if (changes & (dcMeasurement | dcCalibration | dcNumberFormat))
            Recompute();
    });
    Recompute();
    resize(sizeHint());
}

QSize TfTabelle::sizeHint() const
{
    int width = 2 * m_tabelle->frameWidth() + m_tabelle->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < m_tabelle->columnCount(); ++c)
        width += m_tabelle->columnWidth(c);
    const int rows = m_toolbar->sizeHint().height() + m_tabelle2->height()
                     + m_tabelle->horizontalHeader()->height() + 12 * kRowHeight
                     + 2 * m_tabelle->frameWidth();
    return {width, rows};
}

TfTabelle::~TfTabelle()
{
    m_doc.unsubscribe(m_subscription);
    leaveSoleWindow(this);
}

void TfTabelle::Recompute()
{
    m_sheet.setLocale(m_doc.numberLocale());
    m_sheet.Recompute(m_doc.measurement(), m_doc.statistics());
    const int rowsBefore = m_tabelle->gridRowCount();
    refresh();
    // The grids keep widths that texts once needed and widen for a wider one by themselves;
    // only when rows went away (a new image, a deleted line) are they measured afresh, so a
    // fresh sheet starts from the set widths and a click re-measures nothing.
    if (m_tabelle->gridRowCount() < rowsBefore) {
        m_tabelle->fitColumnsToContents();
        m_tabelle2->fitColumnsToContents();
    }
}

void TfTabelle::SelectLineRow(int n)
{
    m_sheet.SelectLineRow(n);
    m_refreshing = true;
    m_tabelle->setCurrentGridRow(m_sheet.currentRow());
    m_refreshing = false;
}

bool TfTabelle::tFremdShown() const { return m_fremd->isVisibleTo(this); }
bool TfTabelle::tWarnungShown() const { return m_warnung->isVisibleTo(this); }

void TfTabelle::refresh()
{
    m_refreshing = true;
    const int rows = m_sheet.rowCount();
    m_tabelle->setGridRowCount(rows);
    for (int r = 1; r < rows; ++r) {
        for (int c = 0; c < kSheetColumns; ++c)
            m_tabelle->setCellText(c, r, DisplayText(c, m_sheet.cell(c, r)));
        m_tabelle->setCellColour(0, r, DisplayColour(m_sheet.cellColour(0, r)));
        m_tabelle->setCellColour(1, r, DisplayColour(m_sheet.cellColour(1, r)));
    }
    for (int r = 1; r < kSumRows; ++r) {
        for (int c = 1; c < kSumColumns; ++c)
            m_tabelle2->setCellText(c, r, qs(m_sheet.sumCell(c, r)));
    }
    m_tabelle->setCurrentGridRow(m_sheet.currentRow());

    const SheetPanel& notice = m_doc.calibrationTexts().secondPhaseNotice();
    m_fremd->setText(qs(notice.caption));
    m_fremd->setVisible(notice.visible);
    m_warnung->setText(qs(m_sheet.warning().caption));
    m_warnung->setVisible(m_sheet.warning().visible);
    m_refreshing = false;
}

void TfTabelle::TabelleClick()
{
    // An empty row names no line; there is nothing to select then.
    const int line = m_sheet.lineNumberOfRow(m_sheet.currentRow());
    if (line < 1)
        return;
    if (TfImage* image = fImage())
        image->SelectLine(line);
}

void TfTabelle::TabelleDblClick(int row)
{
    m_sheet.SelectLineRow(row);
    bool on = false;
    const int line = m_sheet.markToggleLine(m_doc.measurement(), on);
    if (line != 0)
        m_doc.SetLineActive(line, on);
}

void TfTabelle::DeleteCurrentLine()
{
    const int line = m_sheet.deletionCandidate(m_doc.measurement());
    if (line == 0)
        return;
    const BoxRequest question{qs(ResultSheet::deleteQuestion(line)), CoreText(kDeleteLineCaption),
                              BoxIcon::Question, BoxButtons::YesNo};
    if (ShowMessageBox(this, question) != BoxAnswer::Yes)
        return;
    TfImage* image = fImage();
    const int selectedBefore = image ? image->selectedLine() : 0;
    m_doc.DeleteTestLine(line);
    const int selected = m_sheet.afterLineDeleted(m_doc.measurement(), line, selectedBefore);
    refresh();
    if (image)
        image->SelectLine(selected);
}

void TfTabelle::ShowInternalValues()
{
    ShowMessageBox(this, {qs(m_sheet.internalValuesText()), CoreText(kInternalValuesCaption),
                          BoxIcon::None, BoxButtons::Ok});
}

bool TfTabelle::eventFilter(QObject* watched, QEvent* event)
{
    const bool grid = watched == m_tabelle || watched == m_tabelle2;
    if (!grid || (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride))
        return QMainWindow::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    // The grids would copy only their current cell; the sheet's copy takes everything.
    if (key->matches(QKeySequence::Copy)) {
        event->accept();
        if (event->type() == QEvent::KeyPress)
            Copy();
        return true;
    }
    if (watched != m_tabelle || event->type() != QEvent::KeyPress)
        return QMainWindow::eventFilter(watched, event);
    if (key->key() == Qt::Key_Delete) {
        DeleteCurrentLine();
        return true;
    }
    if (key->key() == Qt::Key_F2) {
        ShowInternalValues();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

QString TfTabelle::exportDateTime() const
{
    return ClipboardDateTime(m_locale, m_clock());
}

QMimeData* TfTabelle::exportMimeData() const
{
    const std::string& remark = m_doc.calibrationTexts().fields().tInfo;
    const std::string file = fMain() ? fMain()->imageFileName().toStdString() : std::string();
    const ClipboardText text = SheetExportText(m_sheet, m_doc.calibration(), exportDateTime().toStdString(), file,
                                               remark);
    return ClipboardMimeData(text);
}

void TfTabelle::Copy()
{
    QGuiApplication::clipboard()->setMimeData(exportMimeData());
}

namespace {

// The image's name with another ending, as the CSV dialogs propose it.
QString NameBesideImage(const QString& ending)
{
    const QString image = fMain() ? fMain()->imageFileName() : QString();
    if (image.isEmpty())
        return {};
    const int dot = image.lastIndexOf('.');
    const int slash = image.lastIndexOf('/');
    return (dot > slash ? image.left(dot) : image) + ending;
}

}  // namespace

void TfTabelle::SaveSheetCsv()
{
    const QString path = AskCsvSaveName(this, tr("Sheet as CSV"), NameBesideImage(".csv"));
    if (!path.isEmpty())
        WriteCsvFile(this, path, SheetCsv(m_doc.measurement(), m_doc.calibrated(), m_doc.calibration().unit),
                     tr("Sheet as CSV"));
}

void TfTabelle::SaveInterceptCsv()
{
    const QString path = AskCsvSaveName(this, tr("Intercepts as CSV"), NameBesideImage("_intercepts.csv"));
    if (!path.isEmpty())
        WriteCsvFile(this, path, InterceptCsv(m_doc.measurement()), tr("Intercepts as CSV"));
}

}  // namespace tesra
