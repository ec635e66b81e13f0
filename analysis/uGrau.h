#pragma once
// The grey-value window: grey profile of a line, histogram of the image, segment lengths.
#include <QWidget>

namespace tesra {

class TfGrau : public QWidget {
    Q_OBJECT
public:
    explicit TfGrau(QWidget* parent = nullptr);
    ~TfGrau() override;

    void ShowProfile(int lineNumber);
    void ShowHistogram();
    void ShowSegments(int lineNumber);
    // Opening an image collapses the window and forgets its view (no view, no cursor).
    void Collapse();
};

// The program's grey-value window, or nullptr when none exists.
TfGrau* fGrau();

}  // namespace tesra
