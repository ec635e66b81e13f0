#pragma once
// The main frame window of the program.
#include <QMainWindow>

namespace tesra {

class TfMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TfMain(QWidget* parent = nullptr);
};

}  // namespace tesra
