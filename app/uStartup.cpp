#include "app/uStartup.h"

#include "analysis/uGrau.h"
#include "app/uMain.h"
#include "results/uKalibieren.h"
#include "results/uTabelle.h"

namespace tesra {

TfMain* CreateProgramWindows()
{
    auto* main = new TfMain;
    main->ClearModified();
    new TfKalibieren(main);
    auto* grau = new TfGrau;
    main->addChildWindow(grau);
    auto* tabelle = new TfTabelle;
    main->addChildWindow(tabelle);
    return main;
}

}  // namespace tesra
