#pragma once
// The result sheet window "Sheet": shows the cells of the core's ResultSheet in the grids
// `Tabelle` and `Tabelle2`, its two panels, and forwards the user's clicks and keys to it.
#include <QDateTime>
#include <QLocale>
#include <QMainWindow>

#include <functional>

#include "app/document/measuring_document.h"
#include "results/result_sheet.h"

class QAction;
class QLabel;
class QMimeData;
class QToolBar;
class QToolButton;

namespace tesra {

class TAlignedGrid;

// The clipboard format that carries the sheet's text as Windows-1252 bytes; the Unicode
// text goes beside it as plain text.

class TfTabelle : public QMainWindow {
    Q_OBJECT
public:
    // Shows the document's measurement, and follows every change of it.
    explicit TfTabelle(MeasuringDocument& document, QWidget* parent = nullptr);
    ~TfTabelle() override;

    // The sheet's cells as formatted from the document's statistics.
    const ResultSheet& sheet() const { return m_sheet; }

    // Formats the document's statistics and shows the result (grids and panels).
    void Recompute();
    // Makes row n the current row (called by the image window when its selected line changes).
    void SelectLineRow(int n);
    // Shows the sheet's current cells, colours and panels.
    void refresh();

    // `tCopyClick` (also Ctrl+C on the grids): the sheet's export text on the clipboard, as
    // Windows-1252 bytes and as Unicode text.
    void Copy();
    // The clipboard contents Copy() puts there (the caller owns it).
    QMimeData* exportMimeData() const;

    // The locale whose date and time formats head the copied text (the numbers follow the
    // document's number format). Starts as the system's.
    void applyLocale(const QLocale& locale) { m_locale = locale; }
    // Where the copied text's date and time come from (the clock by default).
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

    TAlignedGrid* Tabelle() const { return m_tabelle; }
    TAlignedGrid* Tabelle2() const { return m_tabelle2; }
    QToolButton* tCopy() const { return m_copyButton; }
    QToolButton* tSheetCsv() const { return m_sheetCsvButton; }
    QToolButton* tInterceptCsv() const { return m_interceptCsvButton; }

    // The sheet (a row per line and the total) and the intercept list as CSV files the user
    // names: point decimals and the unit in the column names, the same in every locale.
    void SaveSheetCsv();
    void SaveInterceptCsv();
    QLabel* tFremd() const { return m_fremd; }
    QLabel* tWarnung() const { return m_warnung; }
    // Whether the panels are shown on the toolbar.
    bool tFremdShown() const;
    bool tWarnungShown() const;

    // The text the grid shows for a cell text of the core: the row mark becomes a tick.
    static QString DisplayText(int col, const std::string& text);
    // The colour a cell colour of the core is painted in; invalid for the window colour.
    static QColor DisplayColour(CellColour colour);

    // Wide enough for every column of the line rows, tall enough for a dozen of them.
    QSize sizeHint() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void TabelleClick();
    void TabelleDblClick(int row);
    void DeleteCurrentLine();
    void ShowInternalValues();
    QString exportDateTime() const;

    MeasuringDocument& m_doc;
    int m_subscription = 0;
    ResultSheet m_sheet;
    QLocale m_locale;
    std::function<QDateTime()> m_clock;
    bool m_refreshing = false;

    QToolBar* m_toolbar = nullptr;
    QToolButton* m_copyButton = nullptr;
    QToolButton* m_sheetCsvButton = nullptr;
    QToolButton* m_interceptCsvButton = nullptr;
    QLabel* m_fremd = nullptr;
    QLabel* m_warnung = nullptr;
    TAlignedGrid* m_tabelle = nullptr;
    TAlignedGrid* m_tabelle2 = nullptr;
};

// The program's result sheet window, or nullptr when none exists.
TfTabelle* fTabelle();

}  // namespace tesra
