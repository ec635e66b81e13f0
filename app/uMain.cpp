#include "app/uMain.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QProgressBar>
#include <QRadioButton>
#include <QScrollBar>
#include <QSettings>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QThread>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QWidgetAction>

#include "analysis/uGrau.h"
#include "app/main_window_rules.h"
#include "app/uCopyRight.h"
#include "app/storage/line_set.h"
#include "app/storage/measurement_file.h"
#include "app/uDialogs.h"
#include "app/uHelp.h"
#include "app/uLanguage.h"
#include "app/uMagnifier.h"
#include "imaging/filters/image_filter.h"
#include "imaging/filters/uFilterDialogs.h"
#include "imaging/formats/safe_save.h"
#include "results/uKalibieren.h"
#include "results/uProbe.h"
#include "results/uTabelle.h"
#include "view/uImage.h"
#include "widgets/uPanes.h"
#include "widgets/uWindowSupport.h"

namespace tesra {
namespace {

// The light red of the calibration panel while not calibrated, and of the needed intercepts.
constexpr const char* kWarningStyle = "QLabel { background-color: rgb(255, 128, 128); color: black; }";

// The mode buttons in the order of their Tags.
struct ModeButton {
    const char* name;
    const char* hint;
    EditMode mode;
};
constexpr ModeButton kModeButtons[] = {
    {"bLinie", QT_TRANSLATE_NOOP("tesra::TfMain", "Add line"), emLine},
    {"bSetInter", QT_TRANSLATE_NOOP("tesra::TfMain", "Add / Change intersection"), emSetIntercept},
    {"bKillInter", QT_TRANSLATE_NOOP("tesra::TfMain", "Delete intersection"), emDeleteIntercept},
    {"bFail", QT_TRANSLATE_NOOP("tesra::TfMain", "Mark second phase"), emSecondPhase},
    {"bInfoModus", QT_TRANSLATE_NOOP("tesra::TfMain", "Image information"), emInfo},
    {"bManipulation", QT_TRANSLATE_NOOP("tesra::TfMain", "Image manipulation"), emManipulate},
};

enum GreyView { gvProfile, gvHistogram, gvSegments };
enum FilterCommand { fcBCG, fcSharpen, fcDetail, fcContour };

// The hourglass while the program works; a message box in between gets the normal cursor.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

void keepRoomWhenHidden(QWidget* widget)
{
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
}

QAbstractScrollArea* scrollAreaOf(QWidget* window)
{
    return window ? window->findChild<QAbstractScrollArea*>() : nullptr;
}

}  // namespace

// Progress of the image library shown in the status area, for work that takes longer than
// the delay; the window keeps repainting meanwhile.
class StatusProgress : public ProgressSink {
public:
    explicit StatusProgress(QProgressBar* bar) : m_bar(bar) {}

    void setDelay(int milliseconds) { m_delay = milliseconds; }

    void begin() override
    {
        if (!onWindowThread() || m_depth++ > 0)
            return;
        m_timer.start();
        m_shown = false;
    }
    void step(int percent) override
    {
        if (!onWindowThread() || m_depth == 0)
            return;
        if (!m_shown) {
            if (m_timer.elapsed() < m_delay)
                return;
            m_shown = true;
            m_bar->setValue(0);
            m_bar->show();
        }
        m_bar->setValue(percent);
        // Paint only: the user's clicks and keys wait until the work is done.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    void end() override
    {
        if (!onWindowThread() || m_depth == 0 || --m_depth > 0)
            return;
        m_bar->hide();
        m_shown = false;
    }

private:
    bool onWindowThread() const { return QThread::currentThread() == m_bar->thread(); }

    QProgressBar* m_bar;
    QElapsedTimer m_timer;
    int m_delay = 500;
    int m_depth = 0;
    bool m_shown = false;
};

TfMain* fMain() { return soleWindow<TfMain>(); }

NumberLocale NumberLocaleOf(const QLocale& locale)
{
    return {locale.decimalPoint().toStdString(), locale.groupSeparator().toStdString()};
}

TfMain::TfMain(QWidget* parent) : QMainWindow(parent)
{
    soleWindow<TfMain>() = this;
    setObjectName("fMain");
    setWindowTitle("Tesra");
    // The frame opens maximised; 800 x 600 is the size it returns to when restored.
    resize(800, 600);
    setAcceptDrops(true);
    // The work area holds the image window; the panes sit around it, the sheet below it
    // across the whole width.
    m_workArea = new QWidget(this);
    m_workArea->setObjectName("ClientArea");
    m_workArea->setBackgroundRole(QPalette::Dark);
    m_workArea->setAutoFillBackground(true);
    auto* workLayout = new QVBoxLayout(m_workArea);
    workLayout->setContentsMargins(0, 0, 0, 0);
    setCentralWidget(m_workArea);
    setCorner(Qt::BottomLeftCorner, Qt::BottomDockWidgetArea);
    setCorner(Qt::BottomRightCorner, Qt::BottomDockWidgetArea);
    setDockOptions(QMainWindow::AllowTabbedDocks);
    m_conv[0] = DefaultConvParameters(ConvFilterKind::Sharpen);
    m_conv[1] = DefaultConvParameters(ConvFilterKind::Detail);
    m_conv[2] = DefaultConvParameters(ConvFilterKind::Contour);
    createControls();
    m_subscription = m_document.subscribe([this](unsigned changes) { documentChanged(changes); });
    applyLocale(QLocale::system());
    ClearModified();
    updateControls();
}

TfMain::~TfMain()
{
    m_document.unsubscribe(m_subscription);
    // The windows inside the frame work on the document: they go before it does.
    const QList<QWidget*> children = findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* child : children)
        delete child;
    leaveSoleWindow(this);
}

// ---- Controls ----

QAction* TfMain::addButton(QToolBar* bar, const QString& name, const QString& caption, const QString& hint,
                           const QList<QKeySequence>& keys)
{
    auto* action = new QAction(caption, this);
    action->setObjectName(name);
    QString tip = hint;
    if (!keys.isEmpty()) {
        action->setShortcuts(keys);
        // The tooltip names the key, as the menus do.
        tip += " (" + keys.front().toString(QKeySequence::NativeText) + ")";
    }
    action->setToolTip(tip);
    action->setStatusTip(hint);
    bar->addAction(action);
    if (QWidget* button = bar->widgetForAction(action))
        button->setObjectName(name);
    return action;
}

std::vector<QAction*> TfMain::groupActions(ContextGroup group) const
{
    switch (group) {
    case ContextGroup::Types: {
        const QList<QAction*> buttons = m_typeGroup->actions();
        std::vector<QAction*> types(buttons.begin(), buttons.end());
        types.push_back(m_bPropose);
        return types;
    }
    // The line tools include the two line-set buttons of the toolbar "Datei".
    case ContextGroup::LineTools: return {m_bAddLinie, m_bAddKreis, m_bPattern, m_bLinieLaden, m_bLinieSpeichern};
    case ContextGroup::Analysis: return {m_bHistogram, m_bLinieAnalysieren, m_bSegLen};
    case ContextGroup::Filters:
        return {m_bFilterSharpen, m_bFilterBCG, m_bFilterDetail, m_bFilterContour, m_bUndo};
    case ContextGroup::None: break;
    }
    return {};
}

QAction* TfMain::modeAction(EditMode mode) const
{
    for (QAction* action : m_modeGroup->actions())
        if (action->data().toInt() == mode)
            return action;
    return nullptr;
}

void TfMain::createControls()
{
    // The Edit menu: undo and redo of every step, named after it.
    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    edit->setObjectName("mEdit");
    m_undoAction = edit->addAction(tr("Undo"));
    m_undoAction->setObjectName("mUndo");
    m_undoAction->setShortcuts(QKeySequence::Undo);
    connect(m_undoAction, &QAction::triggered, this, &TfMain::UndoClick);
    m_redoAction = edit->addAction(tr("Redo"));
    m_redoAction->setObjectName("mRedo");
    m_redoAction->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    connect(m_redoAction, &QAction::triggered, this, &TfMain::RedoClick);

    // Toolbar "Datei".
    QToolBar* datei = addToolBar(tr("Datei"));
    datei->setObjectName("Datei");
    m_bLaden = addButton(datei, "bLaden", tr("Open image"), tr("Open image"), QKeySequence::keyBindings(QKeySequence::Open));
    connect(m_bLaden, &QAction::triggered, this, &TfMain::bLadenClick);
    // Ctrl+Shift+S also where the desktop names no key for "Save as".
    QList<QKeySequence> saveAs = QKeySequence::keyBindings(QKeySequence::SaveAs);
    if (saveAs.isEmpty())
        saveAs = {QKeySequence("Ctrl+Shift+S")};
    m_bSpeichern = addButton(datei, "bSpeichern", tr("Save image"), tr("Save image"), saveAs);
    connect(m_bSpeichern, &QAction::triggered, this, &TfMain::bSpeichernClick);
    // "Save" has no button of its own: the key saves to the current file.
    m_aSave = new QAction(tr("Save"), this);
    m_aSave->setObjectName("aSave");
    m_aSave->setShortcuts(QKeySequence::Save);
    addAction(m_aSave);
    connect(m_aSave, &QAction::triggered, this, &TfMain::saveCurrentClick);
    m_bPhoto = addButton(datei, "bPhoto", tr("Save photo"), tr("Save photo"));
    QAction* photo = m_bPhoto;
    connect(photo, &QAction::triggered, this, &TfMain::bPhotoClick);
    // The photo's options: a click on the button saves, its arrow offers the scale bar.
    auto* photoMenu = new QMenu(this);
    photoMenu->setObjectName("mPhoto");
    m_mScaleBar = photoMenu->addAction(tr("Draw a scale bar (calibrated images)"));
    m_mScaleBar->setObjectName("mScaleBar");
    m_mScaleBar->setCheckable(true);
    photo->setMenu(photoMenu);
    if (auto* button = qobject_cast<QToolButton*>(datei->widgetForAction(photo)))
        button->setPopupMode(QToolButton::MenuButtonPopup);
    m_bLinieLaden = addButton(datei, "bLinieLaden", tr("Linienset Laden"), tr("Linienset Laden"));
    connect(m_bLinieLaden, &QAction::triggered, this, &TfMain::bLinieLadenClick);
    m_bLinieSpeichern = addButton(datei, "bLinieSpeichern", tr("Linienset Speichern"), tr("Linienset Speichern"));
    connect(m_bLinieSpeichern, &QAction::triggered, this, &TfMain::bLinieSpeichernClick);

    // Toolbar "Zoom".
    QToolBar* zoom = addToolBar(tr("Zoom"));
    zoom->setObjectName("Zoom");
    // Ctrl+= as well: on many keyboards "+" needs Shift.
    m_bLupePlus = addButton(zoom, "bLupePlus", tr("Zoom in"), tr("Zoom in"),
                            QKeySequence::keyBindings(QKeySequence::ZoomIn) << QKeySequence("Ctrl+="));
    connect(m_bLupePlus, &QAction::triggered, this, [this] { zoomBy(1); });
    m_bLupeMinus = addButton(zoom, "bLupeMinus", tr("Zoom out"), tr("Zoom out"), QKeySequence::keyBindings(QKeySequence::ZoomOut));
    connect(m_bLupeMinus, &QAction::triggered, this, [this] { zoomBy(-1); });
    m_zoomMenu = new QMenu(this);
    m_zoomMenu->setObjectName("mZoom");
    m_zoomGroup = new QActionGroup(this);
    m_fitAction = m_zoomMenu->addAction(tr("Fit to window"));
    m_fitAction->setObjectName("mZoomFit");
    m_fitAction->setShortcut(QKeySequence("Ctrl+0"));
    addAction(m_fitAction);
    connect(m_fitAction, &QAction::triggered, this, [this] {
        if (TfImage* image = fImage())
            zoomTo(image->fitZoom());
    });
    m_zoomMenu->addSeparator();
    std::vector<Zoom> steps;
    for (int tag = kMinZoom; tag <= kMaxZoom; ++tag)
        steps.push_back(Zoom(tag));
    for (auto p = ReducedZoomPercents().rbegin(); p != ReducedZoomPercents().rend(); ++p)
        steps.push_back(Zoom::Percent(*p));
    for (const Zoom step : steps) {
        QAction* item = m_zoomMenu->addAction(qs(ZoomCaption(step)));
        // The whole zooms keep their tags 1..10; the reduced ones are named by percent.
        item->setObjectName(step.whole() ? QString("mZoom%1").arg(step.factor())
                                         : QString("mZoomPercent%1").arg(step.percent()));
        item->setData(step.percent());
        item->setCheckable(true);
        item->setChecked(step == Zoom(1));
        m_zoomGroup->addAction(item);
        connect(item, &QAction::triggered, this, [this, step] { zoomTo(step); });
    }
    m_bZoom = addButton(zoom, "bZoom", "100%", tr("Zoom"));
    m_bZoom->setMenu(m_zoomMenu);
    m_windowMenu = new QMenu(this);
    m_windowMenu->setObjectName("mFenster");
    QAction* mfBild = m_windowMenu->addAction(tr("Image"));
    mfBild->setObjectName("mfBild");
    connect(mfBild, &QAction::triggered, this, [this] { bringToFront(fImage()); });
    QAction* mfTabelle = m_windowMenu->addAction(tr("Sheet"));
    mfTabelle->setObjectName("mfTabelle");
    connect(mfTabelle, &QAction::triggered, this, [this] { bringToFront(fTabelle()); });
    m_mfSonst = m_windowMenu->addAction(tr("Histogram"));
    m_mfSonst->setObjectName("mfSonst");
    connect(m_mfSonst, &QAction::triggered, this, [this] { bringToFront(fGrau()); });
    m_windowMenu->addSeparator();
    QAction* mfReset = m_windowMenu->addAction(tr("Reset layout"));
    mfReset->setObjectName("mfReset");
    connect(mfReset, &QAction::triggered, this, &TfMain::ArrangeWindows);
    QAction* mfProbe = m_windowMenu->addAction(tr("Specimen"));
    mfProbe->setObjectName("mfProbe");
    connect(mfProbe, &QAction::triggered, this, [] { ShowProbe(); });
    m_bFenster = addButton(zoom, "bFenster", tr("Window"), tr("Window"));
    m_bFenster->setMenu(m_windowMenu);
    for (QAction* dropDown : {m_bZoom, m_bFenster})
        if (auto* button = qobject_cast<QToolButton*>(zoom->widgetForAction(dropDown)))
            button->setPopupMode(QToolButton::InstantPopup);

    // Toolbar "Modus", on a row of its own with the context buttons.
    QToolBar* modus = new QToolBar(tr("Modus"), this);
    modus->setObjectName("Modus");
    m_bKalibieren = addButton(modus, "bKalibieren", tr("Calibrate"), tr("Calibrate"));
    m_bKalibieren->setCheckable(true);
    connect(m_bKalibieren, &QAction::triggered, this, &TfMain::bKalibierenClick);
    m_modeGroup = new QActionGroup(this);
    for (const ModeButton& b : kModeButtons) {
        QAction* action = addButton(modus, b.name, tr(b.hint), tr(b.hint));
        action->setCheckable(true);
        action->setData(static_cast<int>(b.mode));
        action->setChecked(b.mode == emLine);
        m_modeGroup->addAction(action);
        const int tag = b.mode;
        connect(action, &QAction::triggered, this, [this, tag] { setMode(tag); });
    }

    // Toolbar "Hilfe", at the far right of the first row.
    QToolBar* hilfe = addToolBar(tr("Hilfe"));
    hilfe->setObjectName("Hilfe");
    auto* spacer = new QWidget(hilfe);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    hilfe->addWidget(spacer);
    // F1 itself is the application's help key (the page of the focused window); the button
    // opens the contents.
    m_bHelp = addButton(hilfe, "bHelp", tr("Help"), tr("Help"));
    m_bHelp->setToolTip(tr("Help (F1)"));
    connect(m_bHelp, &QAction::triggered, this, [this] { ShowHelpContents(this); });
    connect(addButton(hilfe, "bCopyRight", QString::fromUtf8("\u00A9"), tr("About Tesra")), &QAction::triggered, this,
            [] {
                if (TfCopyRight* about = fCopyRight())
                    about->ShowModal();
            });

    addToolBarBreak();
    addToolBar(modus);

    // Toolbar "Toolbar": the context buttons of the modes, on the third row.
    addToolBarBreak();
    QToolBar* context = addToolBar(tr("Toolbar"));
    context->setObjectName("Toolbar");
    m_typeGroup = new QActionGroup(this);
    for (int type = itNormal; type <= itStartEndAtBoundary; ++type) {
        QAction* action = addButton(context, QString("bTyp%1").arg(type), InterceptTypeButton(type),
                                    CoreText(InterceptTypeName(type)));
        // The digit keys choose the type in the image window.
        action->setToolTip(QString("%1 (%2)").arg(CoreText(InterceptTypeName(type))).arg(type));
        action->setCheckable(true);
        action->setData(type);
        action->setChecked(type == itNormal);
        m_typeGroup->addAction(action);
        connect(action, &QAction::triggered, this,
                [this, type] { state().currentType = static_cast<InterceptType>(type); });
    }
    createProposeButton(context);
    m_shapeGroup = new QActionGroup(this);
    m_bAddLinie = addButton(context, "bAddLinie", tr("Add line"), tr("Add line"));
    m_bAddKreis = addButton(context, "bAddKreis", tr("Add circle"), tr("Add circle"));
    for (QAction* shape : {m_bAddLinie, m_bAddKreis}) {
        shape->setCheckable(true);
        m_shapeGroup->addAction(shape);
    }
    m_bAddLinie->setChecked(true);
    connect(m_bAddLinie, &QAction::triggered, this, [this] { m_addCircle = false; });
    connect(m_bAddKreis, &QAction::triggered, this, [this] { m_addCircle = true; });
    createPatternButton(context);
    m_bHistogram = addButton(context, "bHistogram", tr("Histogram"), tr("Histogram"));
    connect(m_bHistogram, &QAction::triggered, this,
            [this] { showGreyView(gvHistogram); });
    m_bLinieAnalysieren = addButton(context, "bLinieAnalysieren", tr("Analys"), tr("Analys"));
    connect(m_bLinieAnalysieren, &QAction::triggered, this,
            [this] { showGreyView(gvProfile); });
    m_bSegLen = addButton(context, "bSegLen", tr("Interception lengths"), tr("Interception lengths"));
    connect(m_bSegLen, &QAction::triggered, this,
            [this] { showGreyView(gvSegments); });
    m_bFilterSharpen = addButton(context, "bFilterSharpen", tr("Sharpen"), tr("Sharpen"));
    connect(m_bFilterSharpen, &QAction::triggered, this,
            [this] { runFilter(fcSharpen); });
    m_bFilterBCG = addButton(context, "bFilterBCG", tr("Bright. / Contrast"), tr("Bright. / Contrast"));
    connect(m_bFilterBCG, &QAction::triggered, this,
            [this] { runFilter(fcBCG); });
    m_bFilterDetail = addButton(context, "bFilterDetail", tr("Detail"), tr("Detail"));
    connect(m_bFilterDetail, &QAction::triggered, this,
            [this] { runFilter(fcDetail); });
    m_bFilterContour = addButton(context, "bFilterContour", tr("Contour"), tr("Contour"));
    connect(m_bFilterContour, &QAction::triggered, this,
            [this] { runFilter(fcContour); });
    // Ctrl+Z belongs to the Edit menu's undo of any step; this button undoes image steps.
    m_bUndo = addButton(context, "bUndo", "0", tr("Undo"));
    connect(m_bUndo, &QAction::triggered, this, &TfMain::bUndoClick);

    // The row keeps the height of its buttons in every mode, also in those without context
    // buttons, so that the image never jumps under the cursor.
    context->setMinimumHeight(context->sizeHint().height());

    // Toolbar "Info" (left): the calibration and the intercept indicators.
    QToolBar* info = new QToolBar(tr("Info"), this);
    info->setObjectName("Info");
    addToolBar(Qt::LeftToolBarArea, info);
    auto* infoPanel = new QWidget(info);
    auto* infoLayout = new QVBoxLayout(infoPanel);
    infoLayout->setContentsMargins(2, 2, 2, 2);
    auto panel = [infoPanel, infoLayout](const char* name, const QString& caption) {
        auto* label = new QLabel(caption, infoPanel);
        label->setObjectName(name);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setFixedWidth(kMagnifierWidth);
        label->setAlignment(Qt::AlignCenter);
        infoLayout->addWidget(label);
        return label;
    };
    m_tKal = panel("tKal", CoreText(kNotCalibratedCaption));
    m_tMisInter = panel("tMisInter", QString());
    m_tMisInter->setToolTip(tr("Noch benötigte Anzahl an Intercepts"));
    m_pInter = panel("pInter", tr("Intersections:"));
    m_pKorn = panel("pKorn", tr("Cal. grain size:"));
    m_pG = panel("pG", "G:");
    m_pG->setToolTip(tr("Grain size number of the calibrated mean lineal intercept"));
    m_tKal->setStyleSheet(kWarningStyle);
    m_tMisInter->setStyleSheet(kWarningStyle);
    keepRoomWhenHidden(m_tMisInter);
    m_tMisInter->hide();
    info->addWidget(infoPanel);

    // Toolbar "Übersicht" (left): the magnifier with its zoom buttons and the overview.
    QToolBar* overviewBar = new QToolBar(tr("Übersicht"), this);
    overviewBar->setObjectName(QString::fromUtf8("Übersicht"));
    addToolBar(Qt::LeftToolBarArea, overviewBar);
    auto* lens = new QWidget(overviewBar);
    auto* lensLayout = new QVBoxLayout(lens);
    lensLayout->setContentsMargins(2, 2, 2, 2);
    lensLayout->setSpacing(2);
    m_pInfo = new QLabel(lens);
    m_pInfo->setObjectName("pInfo");
    m_pInfo->setFixedWidth(kMagnifierWidth);
    m_pInfo->setStyleSheet("QLabel { background-color: rgb(255, 255, 0); color: black; }");
    // The strips keep their room while hidden, so that the magnifier and the overview below
    // them never move under the user's eyes.
    keepRoomWhenHidden(m_pInfo);
    m_pInfo->hide();
    lensLayout->addWidget(m_pInfo);
    m_magnifier = new TMagnifier(lens);
    lensLayout->addWidget(m_magnifier);
    auto* zooms = new QWidget(lens);
    auto* zoomLayout = new QHBoxLayout(zooms);
    zoomLayout->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < 4; ++i) {
        m_bx[i] = new QRadioButton(QString("x%1").arg(i + 1), zooms);
        m_bx[i]->setObjectName(QString("bx%1").arg(i + 1));
        zoomLayout->addWidget(m_bx[i]);
    }
    m_bx[2]->setChecked(true);
    lensLayout->addWidget(zooms);
    m_overviewPanel = new QWidget(lens);
    m_overviewPanel->setObjectName("ViewPortPanel");
    auto* overviewLayout = new QVBoxLayout(m_overviewPanel);
    overviewLayout->setContentsMargins(0, 5, 0, 5);
    m_overview = new TOverview(m_overviewPanel);
    connect(m_overview, &TOverview::pointChosen, this, [](int x, int y) {
        if (TfImage* image = fImage())
            image->CentreOn(x, y);
    });
    overviewLayout->addWidget(m_overview);
    m_overviewPanel->setFixedHeight(10);
    lensLayout->addWidget(m_overviewPanel);
    lensLayout->addStretch();
    overviewBar->addWidget(lens);

    // The path of the open image, never shown.
    m_tBildName = new QLabel(this);
    m_tBildName->setObjectName("tBildName");
    m_tBildName->hide();

    m_progressBar = new QProgressBar(this);
    m_progressBar->setObjectName("pProgress");
    m_progressBar->setRange(0, 100);
    m_progressBar->setMaximumWidth(200);
    m_progressBar->hide();
    statusBar()->addPermanentWidget(m_progressBar);
    m_position = new QLabel(this);
    m_position->setObjectName("pPosition");
    statusBar()->addPermanentWidget(m_position);
    m_progress = std::make_unique<StatusProgress>(m_progressBar);
}

void TfMain::createProposeButton(QToolBar* context)
{
    m_bPropose = addButton(context, "bPropose", tr("Propose"),
                           tr("Propose the boundary crossings of the selected line, or of all lines"));
    QAction* propose = m_bPropose;
    connect(propose, &QAction::triggered, this, [this] { bProposeClick(!fImage() || fImage()->selectedLine() == 0); });
    m_proposeMenu = new QMenu(this);
    m_proposeMenu->setObjectName("mPropose");
    auto item = [this](QMenu* menu, const char* name, const QString& caption) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        return action;
    };
    connect(item(m_proposeMenu, "mProposeLine", tr("Selected line")), &QAction::triggered, this,
            [this] { bProposeClick(false); });
    connect(item(m_proposeMenu, "mProposeAll", tr("All lines")), &QAction::triggered, this,
            [this] { bProposeClick(true); });
    m_proposeMenu->addSeparator();
    QAction* bright = item(m_proposeMenu, "mProposeBright", tr("Bright boundaries"));
    bright->setCheckable(true);
    connect(bright, &QAction::toggled, this, [this](bool on) { m_proposalSettings.darkBoundaries = !on; });
    // A few steps of each setting: the detection adapts to each line's noise and contrast,
    // so the steps only shift the balance between missed and false crossings.
    QMenu* sensitivity = m_proposeMenu->addMenu(tr("Sensitivity"));
    sensitivity->setObjectName("mProposeSensitivity");
    auto* sensitivityGroup = new QActionGroup(this);
    const std::pair<int, QString> levels[] = {{25, tr("Low")}, {50, tr("Normal")}, {75, tr("High")}};
    for (const auto& [level, caption] : levels) {
        QAction* action = item(sensitivity, QString("mSensitivity%1").arg(level).toLatin1().constData(), caption);
        action->setCheckable(true);
        action->setChecked(level == m_proposalSettings.sensitivity);
        sensitivityGroup->addAction(action);
        connect(action, &QAction::triggered, this, [this, level] { m_proposalSettings.sensitivity = level; });
    }
    QMenu* spacing = m_proposeMenu->addMenu(tr("Minimum spacing"));
    spacing->setObjectName("mProposeSpacing");
    auto* spacingGroup = new QActionGroup(this);
    for (int pixels : {2, 3, 5, 8}) {
        QAction* action = item(spacing, QString("mSpacing%1").arg(pixels).toLatin1().constData(),
                               tr("%1 px").arg(pixels));
        action->setCheckable(true);
        action->setChecked(pixels == m_proposalSettings.minimumSpacing);
        spacingGroup->addAction(action);
        connect(action, &QAction::triggered, this, [this, pixels] { m_proposalSettings.minimumSpacing = pixels; });
    }
    propose->setMenu(m_proposeMenu);
    if (auto* button = qobject_cast<QToolButton*>(context->widgetForAction(propose)))
        button->setPopupMode(QToolButton::MenuButtonPopup);
}

void TfMain::updateControls()
{
    const bool open = !m_firstImage;
    const bool free = !m_rubberBandLock;
    const bool unlocked = !m_calibrationLock;
    m_bLaden->setEnabled(unlocked);
    m_bSpeichern->setEnabled(open && unlocked);
    m_aSave->setEnabled(open && unlocked);
    m_bPhoto->setEnabled(open);
    m_bLinieLaden->setEnabled(open);
    // Lines read with an image count as well as lines drawn.
    m_bLinieSpeichern->setEnabled(open && (m_lineSetSaveEnabled || m_document.measurement().lineCount() > 0));
    m_bLupePlus->setEnabled(open && free);
    m_bLupeMinus->setEnabled(open && free);
    m_bZoom->setEnabled(open && free);
    m_bFenster->setEnabled(open);
    m_bKalibieren->setEnabled(open && unlocked);
    for (EditMode mode : {emLine, emSetIntercept, emDeleteIntercept, emSecondPhase})
        modeAction(mode)->setEnabled(open && unlocked && free);
    modeAction(emInfo)->setEnabled(open && unlocked);
    modeAction(emManipulate)->setEnabled(open && unlocked);
    m_bHelp->setEnabled(unlocked && free);
    m_bAddLinie->setEnabled(free);
    m_bAddKreis->setEnabled(free);
    m_bUndo->setEnabled(m_undoDepth > 0);
    m_bPropose->setEnabled(open && free);

    // The context buttons of the mode in force; none before the first image.
    const ContextGroup shown = open ? ContextGroupOfMode(m_modeGroup->checkedAction()
                                                              ? m_modeGroup->checkedAction()->data().toInt()
                                                              : emLine)
                                    : ContextGroup::None;
    for (ContextGroup group : {ContextGroup::Types, ContextGroup::LineTools, ContextGroup::Analysis,
                               ContextGroup::Filters})
        for (QAction* action : groupActions(group))
            action->setVisible(group == shown);
}

// ---- The modified flag ----

void TfMain::SetModified() { m_document.setModified(); }

void TfMain::ClearModified() { m_document.markSaved(); }

void TfMain::showModified()
{
    const bool modified = m_document.modified();
    if (modified == m_captionModified)
        return;
    m_captionModified = modified;
    if (modified)
        setWindowTitle("*" + windowTitle());
    else if (windowTitle().startsWith('*'))
        setWindowTitle(windowTitle().mid(1));
}

void TfMain::applyLocale(const QLocale& locale)
{
    if (TfTabelle* tabelle = fTabelle())
        tabelle->applyLocale(locale);
    m_document.setNumberLocale(NumberLocaleOf(locale));
}

void TfMain::documentChanged(unsigned changes)
{
    if (changes & dcModified)
        showModified();
    if (changes & dcLines && m_document.measurement().lineCount() > 0)
        m_lineSetSaveEnabled = true;
    if (changes & (dcMeasurement | dcCalibration | dcNumberFormat))
        ShowIndicators();
    if (changes & dcHistory) {
        const EditHistory& history = m_document.history();
        m_undoAction->setEnabled(history.canUndo());
        m_undoAction->setText(history.canUndo() ? tr("Undo %1").arg(CoreText(history.undoText())) : tr("Undo"));
        m_redoAction->setEnabled(history.canRedo());
        m_redoAction->setText(history.canRedo() ? tr("Redo %1").arg(CoreText(history.redoText())) : tr("Redo"));
        UndoDepthChanged(history.imageSteps());
    }
    if (changes & dcImage) {
        // The pixels are no longer what the file holds (opening sets the file's state after
        // the image is in).
        m_imageFile.reset();
        UpdateOverview();
    }
}

void TfMain::UndoClick() { m_document.Undo(); }

void TfMain::RedoClick() { m_document.Redo(); }

bool TfMain::ConfirmDiscard()
{
    if (!m_document.modified())
        return true;
    switch (ShowMessageBox(this, {tr("Unsaved data. Discard?"), "Tesra", BoxIcon::Question, BoxButtons::SaveDiscardCancel})) {
    case BoxAnswer::Discard: return true;
    case BoxAnswer::Save: return fImage() && saveImageAs();
    default: return false;
    }
}

void TfMain::closeEvent(QCloseEvent* event)
{
    if (!ConfirmDiscard()) {
        event->ignore();
        return;
    }
    event->accept();
}

// ---- Panels ----

void TfMain::ShowInfo(const QString& text)
{
    m_pInfo->setText(text);
    m_pInfo->show();
}

void TfMain::HideInfo() { m_pInfo->hide(); }

void TfMain::ShowStatus(const QString& text) { statusBar()->showMessage(text, 5000); }

void TfMain::ShowCalibrationDistance(long double pixels)
{
    if (TfKalibieren* dialog = fKalibieren())
        dialog->ShowCalibrationDistance(pixels);
}

void TfMain::ShowCalibration(const QString& caption, bool warning)
{
    m_tKal->setText(caption);
    // Without its own background the panel shows the standard button face.
    m_tKal->setStyleSheet(warning ? kWarningStyle : "");
}

void TfMain::ShowIndicators()
{
    const SheetIndicators indicators = IndicatorsOf(m_document.statistics(), m_document.measurement().lineCount(),
                                                    m_document.numberLocale(), m_document.measurement().calibration);
    m_tMisInter->setText(CoreText(indicators.needed.caption));
    m_tMisInter->setVisible(indicators.needed.visible);
    m_pInter->setText(CoreText(indicators.intercepts));
    m_pKorn->setText(CoreText(indicators.grainSize));
    m_pG->setText(QString::fromStdString(indicators.grainSizeNumber));
    const CalibrationModel& calibration = m_document.calibrationTexts();
    ShowCalibration(CoreText(calibration.kalCaption()), calibration.kalWarning());
    updateControls();
}

QString TfMain::imageFileName() const { return m_tBildName->text(); }

// ---- Magnifier and overview ----

void TfMain::ShowMagnifier(int x, int y)
{
    TfImage* image = fImage();
    if (!image)
        return;
    int zoom = 1;
    for (int m = 4; m >= 2; --m)
        if (m_bx[m - 1]->isChecked()) {
            zoom = m;
            break;
        }
    m_magnifier->showAt(image->image(), x, y, zoom);
    const Calibration& calibration = m_document.calibration();
    m_position->setText(qs(PositionReadout(image->image(), x, y, calibration.scale, calibration.pixelLength > 0,
                                           m_document.numberLocale())));
}

void TfMain::UpdateOverview()
{
    TfImage* image = fImage();
    if (!image)
        return;
    const TPixelGraphic& graphic = image->image();
    const int height = OverviewHeight(kOverviewWidth, graphic.Width(), graphic.Height());
    m_overview->showPicture(image->Thumbnail(kOverviewWidth, height), graphic.Width(), graphic.Height(), kOverviewWidth,
                            height);
    m_overviewPanel->setFixedHeight(height + 10);
    UpdateOverviewFrame();
}

void TfMain::UpdateOverviewFrame()
{
    TfImage* image = fImage();
    if (!image)
        return;
    const QSize client = image->clientSize();
    m_overview->setFrame(OverviewFrame(image->horizontalScroll(), image->verticalScroll(), client.width(),
                                       client.height(), image->zoom()));
}

// ---- Modes, types, locks ----

void TfMain::setMode(int mode)
{
    HideInfo();
    // Proposals are reviewed in intercept mode only.
    if (mode != emSetIntercept && fImage())
        fImage()->DiscardProposals();
    state().mode = static_cast<EditMode>(mode);
    updateControls();
    if (TfImage* image = fImage())
        image->RepaintOverlay();
    HideInfo();
}

void TfMain::pressModeButton(int mode)
{
    for (QAction* action : m_modeGroup->actions())
        if (action->data().toInt() == mode) {
            action->setChecked(true);
            setMode(mode);
            return;
        }
}

void TfMain::PressTypeButton(InterceptType type)
{
    for (QAction* action : m_typeGroup->actions())
        if (action->data().toInt() == type)
            action->setChecked(true);
    state().currentType = type;
}

void TfMain::SetLockedButtonsEnabled(bool enabled)
{
    m_rubberBandLock = !enabled;
    updateControls();
}

void TfMain::bKalibierenClick()
{
    TfKalibieren* dialog = fKalibieren();
    if (!dialog || m_calibrationLock) {
        m_bKalibieren->setChecked(m_calibrationLock);
        return;
    }
    m_calibrationLock = true;
    m_bKalibieren->setChecked(true);
    updateControls();
    dialog->OpenCalibration();
    SetModified();
}

void TfMain::bProposeClick(bool allLines)
{
    TfImage* image = fImage();
    if (!image)
        return;
    std::vector<int> lines;
    if (!allLines && image->selectedLine() > 0)
        lines.push_back(image->selectedLine());
    else
        for (int n = 1; n <= m_document.measurement().lineCount(); ++n)
            lines.push_back(n);
    image->ProposeCrossings(lines, m_proposalSettings, m_progress.get());
}

void TfMain::CalibrationClosed()
{
    m_calibrationLock = false;
    m_bKalibieren->setChecked(false);
    EditMode mode = state().mode;
    if (mode == emCalibrate)
        mode = m_document.calibrationTexts().savedMode();
    if (mode != emCalibrate)
        pressModeButton(mode);
    updateControls();
}

// ---- Zoom and windows ----

void TfMain::ZoomChanged(Zoom zoom)
{
    m_bZoom->setText(qs(ZoomCaption(zoom)));
    // A fit between the steps checks no item.
    m_zoomGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (QAction* item : m_zoomGroup->actions())
        item->setChecked(item->data().toInt() == zoom.percent());
}

void TfMain::zoomBy(int steps)
{
    TfImage* image = fImage();
    if (!image)
        return;
    if (steps > 0)
        image->ZoomIn();
    else
        image->ZoomOut();
    ZoomChanged(image->zoom());
}

void TfMain::zoomTo(Zoom zoom)
{
    TfImage* image = fImage();
    if (!image)
        return;
    image->SetZoom(zoom);
    ZoomChanged(image->zoom());
}

bool TfMain::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Wheel)
        return QMainWindow::eventFilter(watched, event);
    auto* wheel = static_cast<QWheelEvent*>(event);
    TfImage* image = fImage();
    if (!image || !(wheel->modifiers() & Qt::ControlModifier))
        return QMainWindow::eventFilter(watched, event);
    const int delta = wheel->angleDelta().y();
    if (delta == 0 || m_rubberBandLock)
        return true;
    // Ctrl+wheel keeps the image point under the mouse in place.
    if (QAbstractScrollArea* area = scrollAreaOf(image)) {
        const QPoint mouse = area->viewport()->mapFromGlobal(wheel->globalPosition().toPoint());
        image->SetZoomAt(ZoomStep(image->zoom(), delta > 0 ? 1 : -1), mouse);
    }
    return true;
}

QDockWidget* TfMain::addPane(QWidget* window, Qt::DockWidgetArea area, bool shown)
{
    QDockWidget* pane = AddPane(this, window, area);
    m_panes.push_back({pane, area});
    if (!shown)
        pane->hide();
    return pane;
}

void TfMain::showPane(QWidget* window)
{
    ShowPane(window);
    makeRoomBeside(window);
}

QRect TfMain::paneRegion() const
{
    // The work area and the docked panes together: what the image and the panes share.
    QRect region = m_workArea->geometry();
    for (const Pane& p : m_panes)
        if (p.pane->isVisible() && !p.pane->isFloating())
            region |= p.pane->geometry();
    return region;
}

void TfMain::ArrangeWindows()
{
    for (const Pane& p : m_panes) {
        p.pane->setFloating(false);
        addDockWidget(p.area, p.pane);
    }
    QDockWidget* sheet = PaneOf(fTabelle());
    QDockWidget* grey = PaneOf(fGrau());
    if (sheet)
        sheet->show();
    const bool greyShown = grey && grey->isVisible();
    layout()->activate();
    const QRect region = paneRegion();
    const int sheetHeight = sheet ? fTabelle()->sizeHint().height() + PaneExtraHeight(sheet) : 0;
    const int greyWidth = greyShown ? fGrau()->width() + PaneExtraWidth(grey) : 0;
    const WindowPlaces places = DefaultWindowPlaces(region.width(), region.height(), sheetHeight, greyWidth, greyShown);
    if (sheet)
        resizeDocks({sheet}, {places.sheet.height() - PaneExtraHeight(sheet)}, Qt::Vertical);
    if (greyShown)
        resizeDocks({grey}, {places.grey.width()}, Qt::Horizontal);
    layout()->activate();
}

void TfMain::makeRoomBeside(QWidget* window)
{
    QDockWidget* pane = PaneOf(window);
    if (!pane || pane->isFloating())
        return;
    // The pane takes the room its view needs, up to half the region: the image gives it up,
    // and a larger view scrolls inside the pane.
    // The pane just shown takes its place in the layout first: only then can it be resized.
    layout()->activate();
    const QRect region = paneRegion();
    const Qt::DockWidgetArea area = dockWidgetArea(pane);
    // A view of a fixed size needs that size; one that follows its pane, what it asks for.
    const QSize wanted = window->minimumSize() == window->maximumSize() ? window->size() : window->sizeHint();
    if (area == Qt::LeftDockWidgetArea || area == Qt::RightDockWidgetArea)
        resizeDocks({pane}, {std::min(wanted.width() + PaneExtraWidth(pane), region.width() / 2)}, Qt::Horizontal);
    else
        resizeDocks({pane}, {std::min(wanted.height() + PaneExtraHeight(pane), region.height() / 2)}, Qt::Vertical);
    layout()->activate();
}

void TfMain::SaveLayout(QSettings& settings) const
{
    settings.setValue("layout/frame", saveGeometry());
    settings.setValue("layout/panes", saveState());
}

void TfMain::RestoreLayout(const QSettings& settings)
{
    if (settings.contains("layout/frame"))
        restoreGeometry(settings.value("layout/frame").toByteArray());
    if (settings.contains("layout/panes") && restoreState(settings.value("layout/panes").toByteArray()))
        m_layoutRestored = true;
    // The grey-value pane opens with its next view; it remembers its place meanwhile.
    if (QDockWidget* grey = PaneOf(fGrau()))
        grey->hide();
}

void TfMain::bringToFront(QWidget* window)
{
    if (!window)
        return;
    if (window == fImage()) {
        window->setFocus();
        return;
    }
    ShowPane(window);
}

void TfMain::showGreyView(int view)
{
    TfGrau* grau = fGrau();
    if (!grau)
        return;
    int line = 0;
    if (TfTabelle* tabelle = fTabelle())
        line = tabelle->sheet().lineNumberOfRow(tabelle->sheet().currentRow());
    QAction* other = m_mfSonst;
    switch (view) {
    case gvProfile:
        other->setText(tr("Line analysis"));
        grau->ShowProfile(line);
        break;
    case gvHistogram:
        other->setText(tr("Histogram"));
        grau->ShowHistogram();
        break;
    default:
        other->setText(tr("Segment lengths"));
        grau->ShowSegments(line);
        break;
    }
    showPane(grau);
}

// ---- Files ----

FormatOptions TfMain::fileOptions()
{
    FormatOptions options;
    options.warning = [this](const std::string& caption, const std::string& text, WarningButtons buttons) {
        // The question gets the normal cursor even while the program is busy.
        QApplication::setOverrideCursor(Qt::ArrowCursor);
        const BoxAnswer answer = ShowMessageBox(
            this, {CoreText(text), CoreText(caption), BoxIcon::Warning,
                   buttons == WarningButtons::OkCancel ? BoxButtons::OkCancel : BoxButtons::Ok});
        QApplication::restoreOverrideCursor();
        return answer == BoxAnswer::Ok;
    };
    options.progress = m_progress.get();
    // "16-bit image shown as 8-bit, range a–b": the user sees why the greys look as they do.
    options.loadNote = [this](const std::string& text) { statusBar()->showMessage(CoreText(text)); };
    return options;
}

void TfMain::setProgressDelay(int milliseconds) { m_progress->setDelay(milliseconds); }

void TfMain::showFileError(const std::string& message, const QString& fileName)
{
    ShowMessageBox(this, {CoreText(FileErrorMessage(message, fsName(fileName))), "Tesra", BoxIcon::Error, BoxButtons::Ok});
}

void TfMain::bLadenClick()
{
    if (!ConfirmDiscard())
        return;
    FileRequest request;
    request.caption = tr("Open image");
    request.fileName = imageFileName();
    for (const std::string& filter : OpenImageFilters())
        request.filters << CoreText(filter);
    const FileAnswer answer = ShowFileDialog(this, request);
    if (answer.path.isEmpty())
        return;
    loadImage(answer.path);
}

bool TfMain::openImageFile(const QString& fileName)
{
    if (!ConfirmDiscard())
        return false;
    return loadImage(fileName);
}

bool TfMain::loadImage(const QString& fileName)
{
    TfImage* image = fImage();
    bool placeWindows = false;
    if (!image) {
        image = new TfImage(m_document, m_workArea);
        // It fills the work area and is never closed.
        m_workArea->layout()->addWidget(image);
        image->hide();
        placeWindows = !m_layoutRestored;
        if (QAbstractScrollArea* area = scrollAreaOf(image))
            area->viewport()->installEventFilter(this);
        else
            image->installEventFilter(this);
    }
    // The file as it was before the load: its image data is kept by later saves only if it
    // is still the same after the load and the trailer.
    const std::optional<ImageFileState> before = CurrentImageFileState(fsName(fileName), 0);
    // The image is loaded before anything of the old document is let go: a file that cannot
    // be read leaves image, measurement, sheet and calibration as they were.
    try {
        WaitCursor busy;
        statusBar()->clearMessage();
        image->ShowImageFile(fileName);
    } catch (const std::exception& e) {
        showFileError(e.what(), fileName);
        return false;
    }
    m_firstImage = false;
    // The "Length:" or "Intercept #" strip spoke of the last image.
    HideInfo();
    if (TfGrau* grau = fGrau()) {
        grau->Collapse();
        if (QDockWidget* pane = PaneOf(grau))
            pane->hide();
    }
    // The old measurement, calibration and history go; the stored measurement, if any,
    // comes in below, and then every window is told once.
    m_document.resetForImage(image->baseWidth(), image->baseHeight());
    m_tBildName->setText(fileName);
    ZoomChanged(image->zoom());
    image->show();
    // The first image: the panes take their default places, unless the last run's are back.
    if (placeWindows)
        ArrangeWindows();
    // The work area's size counts for the fit below.
    if (QLayout* layout = m_workArea->layout())
        layout->activate();
    // An image larger than its window is first seen whole.
    image->FitWhenLarger();

    std::uint64_t imageDataSize = 0;
    try {
        const TrailerReadResult result = ReadTrailer(fsName(fileName), m_document, state());
        imageDataSize = result.imageDataSize;
        if (!result.message.empty())
            ShowMessageBox(this, {CoreText(result.message), CoreText(result.caption),
                                  result.status == TrailerStatus::Damaged ? BoxIcon::Warning : BoxIcon::Error,
                                  BoxButtons::Ok});
    } catch (const std::exception& e) {
        showFileError(e.what(), fileName);
    }
    // An image without a stored calibration takes the last one when the user asked for that;
    // like a stored one it is part of what was opened, no step to undo.
    if (!m_document.calibrated()) {
        QSettings settings;
        if (const std::optional<CalibrationPreset> last = CalibrationForEveryImage(settings))
            ApplyPreset(*last, m_document.calibrationTexts(), m_document.measurementForLoading());
    }
    // A stored calibration ran the dialog's confirm and close handling: the mode saved when
    // the dialog was last opened is back, with its button pressed.
    if (state().mode != emCalibrate)
        pressModeButton(state().mode);
    m_document.notify(dcEverything);
    // After the notification, which lets go of the old file's state with the old image.
    m_imageFile = CurrentImageFileState(fsName(fileName), imageDataSize);
    if (!before || !m_imageFile || !SameFileContent(*before, *m_imageFile))
        m_imageFile.reset();
    return true;
}

bool TfMain::saveImage(const QString& fileName)
{
    TfImage* image = fImage();
    if (!image)
        return false;
    ClearModified();
    try {
        WaitCursor busy;
        // Unchanged pixels going back to their own file keep the file's image data as it is:
        // no second encoding (and no JPEG loss) for a saved measurement.
        const std::string name = fsName(fileName);
        if (m_imageFile && CanKeepImageData(*m_imageFile, name))
            m_imageFile = SaveMeasurementKeepingImage(*m_imageFile, m_document);
        else
            m_imageFile = SaveImageWithMeasurement(m_document.image(), name, m_document, fileOptions());
    } catch (const std::exception& e) {
        // Nothing was written (the file is replaced only when complete): the document is
        // still unsaved.
        SetModified();
        showFileError(e.what(), fileName);
        return false;
    }
    m_tBildName->setText(fileName);
    if (TfProbe* probe = fProbe())
        probe->ImageSaved();
    image->setWindowTitle(tr("Tesra measurement ") + fileName);
    statusBar()->showMessage(tr("Saved %1").arg(QFileInfo(fileName).fileName()));
    return true;
}

void TfMain::bSpeichernClick() { saveImageAs(); }

bool TfMain::saveImageAs()
{
    if (!fImage())
        return false;
    FileRequest request;
    request.save = true;
    request.caption = tr("Save image");
    request.fileName = imageFileName();
    for (const std::string& filter : SaveImageFilters())
        request.filters << CoreText(filter);
    request.filterIndex = SaveImageFilterIndexOf(fsName(request.fileName));
    request.defaultSuffix = "bmp";
    request.confirmOverwrite = true;
    const FileAnswer answer = ShowFileDialog(this, request);
    if (answer.path.isEmpty())
        return false;
    // A name typed without extension gets the one of the chosen type.
    const std::string name = WithDefaultSuffix(fsName(answer.path), SaveImageFilterExtension(answer.filterIndex));
    return saveImage(qtFileName(name));
}

void TfMain::saveCurrentClick()
{
    if (!fImage())
        return;
    const QString fileName = imageFileName();
    if (fileName.isEmpty() || !findWriter(fileExtension(fsName(fileName)))) {
        bSpeichernClick();
        return;
    }
    saveImage(fileName);
}

void TfMain::bPhotoClick()
{
    TfImage* image = fImage();
    if (!image)
        return;
    FileRequest request;
    request.save = true;
    request.caption = tr("Save photo");
    request.fileName = qtFileName(PhotoFileName(fsName(imageFileName())));
    for (const std::string& filter : PhotoFilters())
        request.filters << qs(filter);
    request.confirmOverwrite = true;
    const FileAnswer answer = ShowFileDialog(this, request);
    if (answer.path.isEmpty())
        return;
    const PhotoTarget target = PhotoTargetOf(fsName(answer.path), answer.filterIndex);
    const QString name = qtFileName(target.fileName);
    try {
        WaitCursor busy;
        // The picture has the image's own size whatever the zoom: the overlay is drawn at
        // image scale, so every pixel of it is defined.
        // The scale bar, when asked for and the image is calibrated.
        std::optional<ScaleBar> bar;
        const Calibration& calibration = m_document.measurement().calibration;
        if (m_mScaleBar->isChecked() && m_document.calibrated())
            bar = ChooseScaleBar(image->baseWidth(), calibration.scale, calibration.unit);
        const TPixelGraphic photo = image->PhotoGraphic(bar);
        // The format of the name's extension, so that the file holds what its name says.
        const PreparedSave save(photo, target.extension, fileOptions());
        safeSave(target.fileName, [&save](std::ostream& out) { save.write(out); });
    } catch (const std::exception& e) {
        showFileError(e.what(), name);
        return;
    }
    statusBar()->showMessage(tr("Saved %1").arg(QFileInfo(name).fileName()));
}

void TfMain::bLinieSpeichernClick()
{
    FileRequest request;
    request.save = true;
    request.caption = tr("Linienset Speichern");
    request.filters << CoreText(kLineSetFilter);
    request.defaultSuffix = "lin";
    request.confirmOverwrite = true;
    const FileAnswer answer = ShowFileDialog(this, request);
    if (answer.path.isEmpty())
        return;
    const std::string name = WithDefaultSuffix(fsName(answer.path), "lin");
    try {
        SaveLineSet(name, m_document.measurement());
    } catch (const std::exception& e) {
        showFileError(e.what(), qtFileName(name));
    }
}

void TfMain::bLinieLadenClick()
{
    TfImage* image = fImage();
    if (!image)
        return;
    FileRequest request;
    request.caption = tr("Linienset Laden");
    request.filters << CoreText(kLineSetFilter);
    request.defaultSuffix = "lin";
    const FileAnswer answer = ShowFileDialog(this, request);
    if (answer.path.isEmpty())
        return;
    SetModified();
    LineSetLoadResult result;
    try {
        // The whole set is one step: one undo takes it back.
        m_document.editMeasurement(edit_text::kLoadLineSet, [&](Measurement& measurement) {
            result = LoadLineSet(fsName(answer.path), image->baseWidth(), image->baseHeight(), measurement);
        });
    } catch (const std::exception& e) {
        showFileError(e.what(), answer.path);
        return;
    }
    if (!result.headerMatched)
        return;
    if (result.typeReset)
        PressTypeButton(itNormal);
    if (!result.message.empty())
        ShowMessageBox(this, {CoreText(result.message), CoreText(kLoadLinesCaption), BoxIcon::Information, BoxButtons::Ok});
}

// ---- Standard patterns ----

void TfMain::createPatternButton(QToolBar* bar)
{
    auto* menu = new QMenu(this);
    menu->setObjectName("mPattern");
    const std::pair<const char*, const char*> entries[] = {
        {"mPatternCircles", QT_TRANSLATE_NOOP("tesra::TfMain", "Three circles, diameters 3 : 2 : 1")},
        {"mPatternStar", QT_TRANSLATE_NOOP("tesra::TfMain", "Four lines through the centre (0°, 45°, 90°, 135°)")},
        {"mPatternParallel", QT_TRANSLATE_NOOP("tesra::TfMain", "N parallel lines")},
        {"mPatternGrid", QT_TRANSLATE_NOOP("tesra::TfMain", "Grid of N × M lines")},
    };
    const TestPattern patterns[] = {TestPattern::Circles, TestPattern::Star, TestPattern::Parallel, TestPattern::Grid};
    for (int i = 0; i < 4; ++i) {
        QAction* item = menu->addAction(tr(entries[i].second));
        item->setObjectName(entries[i].first);
        const TestPattern pattern = patterns[i];
        connect(item, &QAction::triggered, this, [this, pattern] { layPattern(pattern); });
    }
    menu->addSeparator();
    // N and M stay where the user set them, for the next pattern.
    auto* counts = new QWidget(menu);
    auto* row = new QHBoxLayout(counts);
    row->setContentsMargins(8, 2, 8, 2);
    auto spin = [counts, row](const char* name, const QString& label) {
        auto* box = new QSpinBox(counts);
        box->setObjectName(name);
        box->setRange(1, kMaxLines);
        box->setValue(5);
        row->addWidget(new QLabel(label, counts));
        row->addWidget(box);
        return box;
    };
    m_patternAcross = spin("tPatternN", tr("N"));
    m_patternDown = spin("tPatternM", tr("M"));
    auto* holder = new QWidgetAction(menu);
    holder->setDefaultWidget(counts);
    menu->addAction(holder);

    m_bPattern = addButton(bar, "bPattern", tr("Pattern"), tr("Lay a standard pattern of test lines"));
    m_bPattern->setMenu(menu);
    if (auto* tool = qobject_cast<QToolButton*>(bar->widgetForAction(m_bPattern)))
        tool->setPopupMode(QToolButton::InstantPopup);
}

void TfMain::layPattern(TestPattern pattern)
{
    TfImage* image = fImage();
    if (!image)
        return;
    const std::vector<PatternLine> lines = MakeTestPattern(pattern, image->baseWidth(), image->baseHeight(),
                                                           m_patternAcross->value(), m_patternDown->value());
    const int room = kMaxLines - m_document.measurement().lineCount();
    if (lines.empty() || static_cast<int>(lines.size()) > room) {
        ShowMessageBox(this, {lines.empty() ? tr("The image is too small for this pattern.")
                                            : tr("The pattern needs %1 lines; the measurement has room for %2 more.")
                                                  .arg(lines.size())
                                                  .arg(room),
                              tr("Pattern"), BoxIcon::Information, BoxButtons::Ok});
        return;
    }
    // The whole pattern is one step: one undo takes it back.
    m_document.editMeasurement(edit_text::kLayPattern, [&lines](Measurement& measurement) {
        for (const PatternLine& line : lines)
            measurement.AddTestLine(line.x1, line.y1, line.x2, line.y2, line.circle);
    });
}

// ---- Filters and undo ----

void TfMain::runFilter(int filter)
{
    if (!fImage())
        return;
    try {
        if (filter == fcBCG) {
            if (!RunBCGDialog(this, m_document.image(), m_bcg))
                return;
            TBCGFilter tone = MakeBCGFilter(m_bcg);
            WaitCursor busy;
            // A point filter: the buffer is changed in place.
            m_document.ApplyImageFilter(tr("Bright. / Contrast").toStdString(), [&](TPixelGraphic& image) {
                ApplyFilter(image, image, tone, m_progress.get());
            });
            return;
        }
        const ConvFilterKind kind = filter == fcSharpen  ? ConvFilterKind::Sharpen
                                    : filter == fcDetail ? ConvFilterKind::Detail
                                                         : ConvFilterKind::Contour;
        ConvParameters& parameters = m_conv[filter - fcSharpen];
        if (!RunConvDialog(this, kind, &m_document.image(), parameters))
            return;
        TConvFilter convolution = MakeConvFilter(kind, parameters);
        const QString name = filter == fcSharpen ? tr("Sharpen") : filter == fcDetail ? tr("Detail") : tr("Contour");
        WaitCursor busy;
        // A convolution reads the neighbours: it writes into a new buffer, which then
        // replaces the image's.
        m_document.ApplyImageFilter(name.toStdString(), [&](TPixelGraphic& image) {
            TPixelGraphic result;
            ApplyFilter(image, result, convolution, m_progress.get());
            image = std::move(result);
        });
    } catch (const std::exception& e) {
        ShowMessageBox(this, {CoreText(e.what()), "Tesra", BoxIcon::Error, BoxButtons::Ok});
    }
}

void TfMain::bUndoClick() { m_document.UndoImageStep(); }

void TfMain::UndoDepthChanged(int depth)
{
    m_undoDepth = depth;
    m_bUndo->setText(QString::number(depth));
    updateControls();
}

// ---- Dropped files ----

void TfMain::dragEnterEvent(QDragEnterEvent* event)
{
    const QMimeData* data = event->mimeData();
    if (data->hasUrls() && !data->urls().isEmpty() && data->urls().front().isLocalFile())
        event->acceptProposedAction();
}

void TfMain::dropEvent(QDropEvent* event)
{
    const QMimeData* data = event->mimeData();
    if (!data->hasUrls() || data->urls().isEmpty() || !data->urls().front().isLocalFile())
        return;
    event->acceptProposedAction();
    const QString fileName = data->urls().front().toLocalFile();
    // The drop ends before the questions and the load begin.
    QMetaObject::invokeMethod(this, [this, fileName] { openImageFile(fileName); }, Qt::QueuedConnection);
}

}  // namespace tesra
