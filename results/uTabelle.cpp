#include "results/uTabelle.h"

#include "app/measurement/measurement.h"

namespace tesra {
namespace {
TfTabelle* g_tabelle = nullptr;
}

TfTabelle* fTabelle() { return g_tabelle; }

TfTabelle::TfTabelle(QWidget* parent) : QMainWindow(parent)
{
    g_tabelle = this;
    setObjectName("fTabelle");
    setWindowTitle("Sheet");
}

TfTabelle::~TfTabelle()
{
    if (g_tabelle == this)
        g_tabelle = nullptr;
}

void TfTabelle::Recompute()
{
    m_sheet.Recompute(TheMeasurement());
    refresh();
}

void TfTabelle::AppendLineRow()
{
    m_sheet.AppendLineRow(TheMeasurement());
    refresh();
}

void TfTabelle::ResetSheet()
{
    m_sheet.ResetSheet();
    refresh();
}

void TfTabelle::SelectLineRow(int n) { m_sheet.SelectLineRow(n); }
void TfTabelle::refresh() {}

}  // namespace tesra
