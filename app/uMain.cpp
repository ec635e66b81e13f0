#include "app/uMain.h"

namespace tesra {

TfMain::TfMain(QWidget* parent) : QMainWindow(parent)
{
    setObjectName("fMain");
    setWindowTitle("Tesra");
    // The frame opens maximised; 800 x 600 is the size it returns to when restored.
    resize(800, 600);
}

}  // namespace tesra
