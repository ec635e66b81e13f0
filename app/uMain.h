#pragma once
// The main frame window of the program: it owns the measuring document, and holds the
// toolbars, the Edit menu, the status panels, the magnifier and overview, and the file
// commands.
#include <QKeySequence>
#include <QList>
#include <QMainWindow>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "analysis/boundary_proposals.h"
#include "analysis/test_patterns.h"
#include "app/document/measuring_document.h"
#include "app/main_window_rules.h"
#include "app/storage/measurement_file.h"
#include "imaging/filters/filter_dialogs.h"
#include "imaging/formats/image_format.h"
#include "view/zoom.h"

class QAction;
class QActionGroup;
class QLabel;
class QLocale;
class QDockWidget;
class QMenu;
class QProgressBar;
class QRadioButton;
class QSettings;
class QSpinBox;
class QToolBar;

namespace tesra {

class TMagnifier;
class TOverview;
class StatusProgress;

class TfMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TfMain(QWidget* parent = nullptr);
    ~TfMain() override;

    // The program's one measuring document; every window works on it.
    MeasuringDocument& document() { return m_document; }
    // The number format of every window from the locale's separators, and the locale of the
    // dates the sheet writes. Starts as the system's.
    void applyLocale(const QLocale& locale);

    // ---- Operations the other windows call ----
    void SetModified();
    void ClearModified();
    // True when nothing is unsaved, or the user answers "Unsaved data. Discard?" with Discard,
    // or with Save and the save succeeds. Cancel (the default) keeps the document.
    bool ConfirmDiscard();
    // The yellow one-line strip `pInfo` above the magnifier.
    void ShowInfo(const QString& text);
    void HideInfo();
    // A short note in the status bar ("No test line here", "Saved probe.tif").
    void ShowStatus(const QString& text);
    // A distance drawn in calibrate mode goes into the calibration dialog's pixel field.
    void ShowCalibrationDistance(long double pixels);
    // Sizes the overview to the open image's aspect ratio and shows the image on it.
    void UpdateOverview();
    // Marks the part of the image the image window shows on the overview.
    void UpdateOverviewFrame();
    // Redraws the magnifier around image point (x, y).
    void ShowMagnifier(int x, int y);
    // Enables or disables the ten buttons locked while a rubber band is open in the image
    // (bLupePlus, bLupeMinus, bZoom, bLinie, bSetInter, bKillInter, bFail, bHelp, bAddKreis,
    // bAddLinie).
    void SetLockedButtonsEnabled(bool enabled);
    // Presses the type button bTyp1..bTyp6 of the given type (currentType follows).
    void PressTypeButton(InterceptType type);
    // The calibration dialog closed: unlock, release bKalibieren, restore the saved mode.
    void CalibrationClosed();
    // The image window's zoom changed: bZoom's caption ("300%") and the checked mZoom item.
    void ZoomChanged(Zoom zoom);
    // The image steps of the history changed: bUndo's caption (their number) and enabled state.
    void UndoDepthChanged(int depth);
    // The calibration panel tKal: its caption, in its warning colour (light red) or the
    // standard button face.
    void ShowCalibration(const QString& caption, bool warning);
    // Shows the indicators (tMisInter, pInter, pKorn) from the document's statistics and
    // tKal from its calibration.
    void ShowIndicators();
    // True when bAddKreis is down (a new line in line mode is a circle).
    bool AddCircleDown() const { return m_addCircle; }
    // The settings of "Propose" as its menu has them.
    const ProposalSettings& proposalSettings() const { return m_proposalSettings; }

    bool modified() const { return m_document.modified(); }
    // The editing state (mode, currentType) the image window reads at every event.
    EditState& state() { return m_document.editState(); }
    // The path of the current image file as `tBildName` holds it (empty before the first).
    QString imageFileName() const;

    // The image library's options for loading and saving from this window: warnings are
    // asked in message boxes, progress is shown in the status area.
    FormatOptions fileOptions();

    // Puts a tool window (the sheet, the grey-value window) into a pane at an edge of the
    // frame (shown or hidden), never over the image.
    QDockWidget* addPane(QWidget* window, Qt::DockWidgetArea area, bool shown);
    // Shows the pane of `window` with the room the window needs, up to half the region.
    void showPane(QWidget* window);

    // The default layout: the image fills the work area, the sheet below it across the full
    // width high enough for its rows (at most 2/5 of the height), the grey-value pane (when
    // shown) beside the image. "Reset layout" comes back here.
    void ArrangeWindows();
    // The frame's size and the panes' places and sizes, kept between runs.
    void SaveLayout(QSettings& settings) const;
    void RestoreLayout(const QSettings& settings);

    // Opens an image file through the whole Open image sequence without the file dialog (the
    // unsaved-data question included): the command line and dropped files come here.
    // Returns true when the image is open.
    bool openImageFile(const QString& fileName);

    // Progress in the status area shows only for work that lasts longer than this.
    void setProgressDelay(int milliseconds);

    // ---- Commands (the buttons' handlers) ----
    void bLadenClick();
    void bSpeichernClick();
    // "Save" (Ctrl+S): the current file, without a dialog; a file no writer can store (PCX)
    // goes through bSpeichernClick's dialog.
    void saveCurrentClick();
    void bPhotoClick();
    void bLinieLadenClick();
    void bLinieSpeichernClick();
    void bKalibierenClick();
    void bUndoClick();
    // The Edit menu: the last step of the history taken back, or done again.
    void UndoClick();
    void RedoClick();
    QAction* undoAction() const { return m_undoAction; }
    QAction* redoAction() const { return m_redoAction; }
    // "Propose": the crossings of all lines, or of the selected line only.
    void bProposeClick(bool allLines);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void createPatternButton(QToolBar* bar);
    // Lays a standard pattern of test lines in one step (refused with a message when it does
    // not fit the image or the measurement's 300 lines).
    void layPattern(TestPattern pattern);
    void createProposeButton(QToolBar* context);
    // A toolbar button's action; its tooltip names the first of its keys.
    QAction* addButton(QToolBar* bar, const QString& name, const QString& caption, const QString& hint,
                       const QList<QKeySequence>& keys = {});
    // The context buttons of a group (shown in the modes of that group).
    std::vector<QAction*> groupActions(ContextGroup group) const;
    QAction* modeAction(EditMode mode) const;
    void updateControls();
    void setMode(int mode);
    void pressModeButton(int mode);
    void zoomBy(int steps);
    void zoomTo(Zoom zoom);
    void bringToFront(QWidget* window);
    // A newly shown view gets the room it needs in its pane; the image gives it up.
    void makeRoomBeside(QWidget* window);
    // The work area and the docked panes together.
    QRect paneRegion() const;
    void showGreyView(int view);
    void runFilter(int filter);
    bool loadImage(const QString& fileName);
    bool saveImage(const QString& fileName);
    // "Save image" with its file dialog; true when the image was saved.
    bool saveImageAs();
    void showFileError(const std::string& message, const QString& fileName);
    void documentChanged(unsigned changes);
    void showModified();

    // Before every window: they are given it when they are made.
    MeasuringDocument m_document;
    int m_subscription = 0;
    bool m_captionModified = false;
    bool m_addCircle = false;
    ProposalSettings m_proposalSettings;
    bool m_firstImage = true;
    bool m_lineSetSaveEnabled = false;
    bool m_rubberBandLock = false;
    bool m_calibrationLock = false;
    int m_undoDepth = 0;
    // The file whose image data encodes the image as shown (opened or saved since, no filter
    // applied): saving the measurement to it keeps that data.
    std::optional<ImageFileState> m_imageFile;
    QWidget* m_workArea = nullptr;
    struct Pane {
        QDockWidget* pane;
        Qt::DockWidgetArea area;
    };
    std::vector<Pane> m_panes;
    bool m_layoutRestored = false;

    // The commands, made once in createControls, named as their buttons.
    QAction* m_bLaden = nullptr;
    QAction* m_bSpeichern = nullptr;
    QAction* m_aSave = nullptr;
    QAction* m_bPhoto = nullptr;
    QAction* m_mScaleBar = nullptr;
    QAction* m_bLinieLaden = nullptr;
    QAction* m_bLinieSpeichern = nullptr;
    QAction* m_bLupePlus = nullptr;
    QAction* m_bLupeMinus = nullptr;
    QAction* m_bZoom = nullptr;
    QAction* m_bFenster = nullptr;
    QAction* m_mfSonst = nullptr;
    QAction* m_bKalibieren = nullptr;
    QAction* m_bHelp = nullptr;
    QAction* m_bAddLinie = nullptr;
    QAction* m_bAddKreis = nullptr;
    QAction* m_bPattern = nullptr;
    QAction* m_bPropose = nullptr;
    QAction* m_bHistogram = nullptr;
    QAction* m_bLinieAnalysieren = nullptr;
    QAction* m_bSegLen = nullptr;
    QAction* m_bFilterSharpen = nullptr;
    QAction* m_bFilterBCG = nullptr;
    QAction* m_bFilterDetail = nullptr;
    QAction* m_bFilterContour = nullptr;
    QAction* m_bUndo = nullptr;
    QAction* m_undoAction = nullptr;
    QAction* m_redoAction = nullptr;
    QActionGroup* m_modeGroup = nullptr;
    QActionGroup* m_typeGroup = nullptr;
    QActionGroup* m_shapeGroup = nullptr;
    QActionGroup* m_zoomGroup = nullptr;
    QMenu* m_zoomMenu = nullptr;
    QAction* m_fitAction = nullptr;
    QMenu* m_windowMenu = nullptr;
    QMenu* m_proposeMenu = nullptr;
    QLabel* m_tKal = nullptr;
    QLabel* m_tMisInter = nullptr;
    QLabel* m_pInter = nullptr;
    QLabel* m_pKorn = nullptr;
    QLabel* m_pG = nullptr;
    QSpinBox* m_patternAcross = nullptr;
    QSpinBox* m_patternDown = nullptr;
    QLabel* m_pInfo = nullptr;
    QLabel* m_tBildName = nullptr;
    QLabel* m_position = nullptr;
    QRadioButton* m_bx[4] = {};
    TMagnifier* m_magnifier = nullptr;
    TOverview* m_overview = nullptr;
    QWidget* m_overviewPanel = nullptr;
    QProgressBar* m_progressBar = nullptr;
    std::unique_ptr<StatusProgress> m_progress;

    BCGParameters m_bcg;
    ConvParameters m_conv[3];
};

// The program's main window, or nullptr when none exists.
TfMain* fMain();

// The decimal and thousands separators of a locale, as the core's number formats take them.
NumberLocale NumberLocaleOf(const QLocale& locale);

}  // namespace tesra
