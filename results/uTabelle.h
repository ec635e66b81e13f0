#pragma once
// The result sheet window "Sheet": shows the cells of the core's ResultSheet.
#include <QMainWindow>

#include "results/result_sheet.h"

namespace tesra {

class TfTabelle : public QMainWindow {
    Q_OBJECT
public:
    explicit TfTabelle(QWidget* parent = nullptr);
    ~TfTabelle() override;

    // The sheet's rules and cells; every change goes through it, then refresh().
    ResultSheet& sheet() { return m_sheet; }

    // Recomputes from TheMeasurement() and shows the result (grids, panels, indicators).
    void Recompute();
    // A new line was stored: one more row, then recompute.
    void AppendLineRow();
    void ResetSheet();
    // Makes row n the current row (called by the image window when its selected line changes).
    void SelectLineRow(int n);
    // Shows the sheet's current cells, colours and panels.
    void refresh();

private:
    ResultSheet m_sheet;
};

// The program's result sheet window, or nullptr when none exists.
TfTabelle* fTabelle();

}  // namespace tesra
