#pragma once
// The main frame window of the program: toolbars, the editing state, the modified flag,
// the status panels, the magnifier and overview, and the file commands.
#include <QMainWindow>
#include <QString>

#include "app/measurement/measurement.h"

class QMdiArea;

namespace tesra {

class TfMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TfMain(QWidget* parent = nullptr);
    ~TfMain() override;

    // ---- Operations the other windows call ----
    void SetModified();
    void ClearModified();
    bool ConfirmDiscard();
    void ShowInfo(const QString& text);
    void HideInfo();
    void ShowCalibrationDistance(long double pixels);
    void UpdateOverview();
    void UpdateOverviewFrame();
    void ShowMagnifier(int x, int y);
    // Enables or disables the ten buttons locked while a rubber band or the calibration
    // dialog is open (bKalibieren, bLaden, bSpeichern, bLinie, bSetInter, bKillInter, bHelp,
    // bFail, bInfoModus, bManipulation).
    void SetLockedButtonsEnabled(bool enabled);
    // Presses the type button bTyp1..bTyp6 of the given type (currentType follows).
    void PressTypeButton(InterceptType type);
    // The calibration dialog closed: unlock, release bKalibieren, restore the saved mode.
    void CalibrationClosed();
    // The image window's zoom changed: bZoom's caption ("300%") and the checked mZoom item.
    void ZoomChanged(int zoom);
    // The image window's undo stack changed: bUndo's caption (the depth) and enabled state.
    void UndoDepthChanged(int depth);
    // The sheet's indicators after it recomputed: tMisInter (shown with its caption, or
    // hidden), pInter and pKorn.
    void ShowIndicators(bool neededVisible, const QString& needed, const QString& intercepts,
                        const QString& grainSize);
    // The calibration panel tKal: its caption, in its warning colour (light red) or the
    // standard button face.
    void ShowCalibration(const QString& caption, bool warning);
    // bLinieSpeichern enabled or not (the sheet enables it once a line exists).
    void SetLineSetSaveEnabled(bool enabled);
    // The path of the current image file as `tBildName` holds it (empty before the first).
    QString imageFileName() const;
    // True when bAddKreis is down (a new line in line mode is a circle).
    bool AddCircleDown() const { return m_addCircle; }

    bool modified() const { return m_modified; }
    // The editing state (mode, currentType) the image window reads at every event.
    EditState& state() { return m_state; }

    // Places a child window (image, sheet, grey-value window) inside the frame.
    void addChildWindow(QWidget* window);

private:
    EditState m_state;
    bool m_modified = false;
    bool m_addCircle = false;
    QMdiArea* m_mdi = nullptr;
};

// The program's main window, or nullptr when none exists.
TfMain* fMain();

}  // namespace tesra
