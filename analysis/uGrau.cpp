#include "analysis/uGrau.h"

namespace tesra {
namespace {
TfGrau* g_grau = nullptr;
}

TfGrau* fGrau() { return g_grau; }

TfGrau::TfGrau(QWidget* parent) : QWidget(parent)
{
    g_grau = this;
    setObjectName("fGrau");
}

TfGrau::~TfGrau()
{
    if (g_grau == this)
        g_grau = nullptr;
}

void TfGrau::ShowProfile(int) {}
void TfGrau::ShowHistogram() {}
void TfGrau::ShowSegments(int) {}
void TfGrau::Collapse() {}

}  // namespace tesra
