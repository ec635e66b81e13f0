#pragma once
// The about box: a modal, shaped window with the program's picture, its version and "OK".
#include <QDialog>

class QLabel;
class QPushButton;

namespace tesra {

class TQVTransImage;

class TfCopyRight : public QDialog {
    Q_OBJECT
public:
    // Creates the box hidden and shaped after its picture; it lives until the program ends.
    explicit TfCopyRight(QWidget* parent = nullptr);
    ~TfCopyRight() override;

    // Opens the box modally, centred on the screen; returns its result (Accepted after "OK").
    // The box is only hidden afterwards and can be opened again.
    int ShowModal();

    TQVTransImage* TransImage = nullptr;
    QLabel* ver = nullptr;
    QPushButton* bOK = nullptr;
};

// The program's about box, or nullptr when none exists.
TfCopyRight* fCopyRight();

}  // namespace tesra
