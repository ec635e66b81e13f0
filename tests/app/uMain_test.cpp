// The main window on the offscreen platform, driven through its buttons with real mouse and
// key events; message boxes and file dialogs are answered through the dialog seam.
#include "app/uMain.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QScrollBar>
#include <QWheelEvent>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QAbstractButton>
#include <QDockWidget>
#include <QScrollArea>
#include <QSettings>
#include <QMenu>
#include <QPointer>
#include <QMimeData>
#include <QProgressBar>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

#include "app/storage/line_set.h"
#include "app/storage/measurement_file.h"
#include "app/uDialogs.h"
#include "app/main_window_rules.h"
#include "app/uMagnifier.h"
#include "app/uStartup.h"
#include "analysis/uGrau.h"
#include "imaging/filters/uFilterDialogs.h"
#include "imaging/formats/image_format.h"
#include "results/uKalibieren.h"
#include "results/uTabelle.h"
#include "widgets/uAlignedGrid.h"
#include "tests/test_support.h"
#include "tests/uUserSteps.h"
#include "tests/uWindowPictures.h"
#include "view/uImage.h"
#include "widgets/uPanes.h"

QT_BEGIN_NAMESPACE
// Readable texts in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
QT_END_NAMESPACE

namespace tesra {
namespace {

namespace fs = std::filesystem;

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetBoxHandler([this](const BoxRequest& request) {
            boxes.push_back(request);
            if (boxAnswers.empty())
                return request.buttons == BoxButtons::YesNo ? BoxAnswer::No
                       : request.buttons == BoxButtons::Ok  ? BoxAnswer::Ok
                                                            : BoxAnswer::Cancel;
            const BoxAnswer answer = boxAnswers.front();
            boxAnswers.pop_front();
            return answer;
        });
        SetFileHandler([this](const FileRequest& request) {
            files.push_back(request);
            if (fileAnswers.empty())
                return FileAnswer{};
            const FileAnswer answer = fileAnswers.front();
            fileAnswers.pop_front();
            return answer;
        });
        main = CreateProgramWindows();
        main->resize(1100, 800);
        main->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main));
        dir = test::makeTempDir("main");
    }

    void TearDown() override
    {
        main->ClearModified();
        delete main;
        SetBoxHandler({});
        SetFileHandler({});
        SetBCGDialogHandler({});
        SetConvDialogHandler({});
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }

    QAction* action(const char* name) { return main->findChild<QAction*>(name); }
    QToolButton* button(const char* name) { return main->findChild<QToolButton*>(name); }
    QLabel* label(const char* name) { return main->findChild<QLabel*>(name); }
    // A button the user can press: shown and enabled.
    bool usable(const char* name)
    {
        QAction* a = action(name);
        return a && a->isVisible() && a->isEnabled();
    }
    bool shown(const char* name) { return action(name)->isVisible(); }

    void press(const char* name) { test::pressButton(main, name); }

    // An image file with a pattern whose colour tells where each pixel came from.
    std::string writeImage(const std::string& name, int width, int height)
    {
        TPixelGraphic image(width, height, TPixelFormat::pf24Bit);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                image.SetPixel(x, y, rgb(x % 200, y % 200, 40));
        const std::string path = dir + "/" + name;
        saveImage(image, path);
        return path;
    }

    void openImage(const std::string& path)
    {
        fileAnswers.push_back({QString::fromStdString(path), 0});
        press("bLaden");
        ASSERT_NE(fImage(), nullptr);
    }

    void setMode(const char* name) { press(name); }

    TfMain* main = nullptr;
    std::string dir;
    std::vector<BoxRequest> boxes;
    std::deque<BoxAnswer> boxAnswers;
    std::vector<FileRequest> files;
    std::deque<FileAnswer> fileAnswers;
};

constexpr const char* kContextButtons[] = {"bTyp1",          "bTyp2",         "bTyp3",         "bTyp4",
                                           "bTyp5",          "bTyp6",         "bAddLinie",     "bAddKreis",
                                           "bLinieLaden",    "bLinieSpeichern", "bHistogram",  "bLinieAnalysieren",
                                           "bSegLen",        "bFilterSharpen", "bFilterBCG",   "bFilterDetail",
                                           "bFilterContour", "bUndo"};

TEST_F(MainWindowTest, AtStartOnlyOpenHelpAboutAndTheMagnifierZoomsCanBeUsed)
{
    EXPECT_EQ(main->windowTitle(), "Tesra");
    EXPECT_TRUE(usable("bLaden"));
    EXPECT_TRUE(usable("bHelp"));
    EXPECT_TRUE(usable("bCopyRight"));
    for (const char* name : {"bSpeichern", "bPhoto", "bLupePlus", "bLupeMinus", "bZoom", "bFenster", "bKalibieren",
                             "bLinie", "bSetInter", "bKillInter", "bFail", "bInfoModus", "bManipulation"})
        EXPECT_FALSE(usable(name)) << name;
    for (const char* name : kContextButtons)
        EXPECT_FALSE(shown(name)) << name;
    for (const char* name : {"bx1", "bx2", "bx3", "bx4"})
        EXPECT_TRUE(main->findChild<QRadioButton*>(name)->isEnabled()) << name;
    EXPECT_TRUE(main->findChild<QRadioButton*>("bx3")->isChecked());
    EXPECT_EQ(label("tKal")->text(), "Not calibrated");
    EXPECT_EQ(label("tKal")->grab().toImage().pixelColor(3, 3), QColor(255, 128, 128));
    EXPECT_FALSE(label("pInfo")->isVisible());
    EXPECT_EQ(action("bUndo")->text(), "0");
    EXPECT_EQ(action("bZoom")->text(), "100%");
    EXPECT_TRUE(action("mZoom1")->isChecked());
    EXPECT_EQ(action("bSetInter")->toolTip(), "Add / Change intersection");
    EXPECT_EQ(action("bTyp4")->text(), "IV");
}

TEST_F(MainWindowTest, ShortcutsAreNamedInTheTooltipsAndWork)
{
    EXPECT_EQ(action("bLaden")->toolTip(), "Open image (Ctrl+O)");
    EXPECT_EQ(action("bSpeichern")->toolTip(), "Save image (Ctrl+Shift+S)");
    EXPECT_EQ(action("bLupePlus")->toolTip(), "Zoom in (Ctrl++)");
    EXPECT_EQ(action("bLupeMinus")->toolTip(), "Zoom out (Ctrl+-)");
    EXPECT_EQ(action("bHelp")->toolTip(), "Help (F1)");
    // The desktop's own keys for the standard commands.
    const std::pair<const char*, QKeySequence::StandardKey> standard[] = {
        {"bLaden", QKeySequence::Open}, {"aSave", QKeySequence::Save},
        {"bLupePlus", QKeySequence::ZoomIn}, {"bLupeMinus", QKeySequence::ZoomOut}, {"mUndo", QKeySequence::Undo}};
    for (const auto& [name, key] : standard)
        for (const QKeySequence& binding : QKeySequence::keyBindings(key))
            EXPECT_TRUE(action(name)->shortcuts().contains(binding)) << name;
    // Every button with a key names it in its tooltip.
    for (QToolBar* bar : main->findChildren<QToolBar*>())
        for (QAction* a : bar->actions()) {
            const QString key = a->shortcut().toString(QKeySequence::NativeText);
            EXPECT_TRUE(key.isEmpty() || a->toolTip().endsWith("(" + key + ")"))
                << a->objectName().toStdString() << " " << a->toolTip().toStdString();
        }

    main->activateWindow();
    QTest::keyClick(main, Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_FALSE(files[0].save);
    EXPECT_EQ(files[0].filters.front().left(13), "Image files (");
    EXPECT_EQ(files[0].filters.back(), "All files (*)");
}

// Ctrl+Z takes back the last step whatever it was, Ctrl+Shift+Z and Ctrl+Y do it again; the
// Edit menu names the step, and undoing back to the saved state clears the "*".
TEST_F(MainWindowTest, LayALineUndoAndRedoItWithTheKeys)
{
    main->applyLocale(QLocale(QLocale::German, QLocale::Germany));
    openImage(writeImage("probe.bmp", 300, 200));
    EXPECT_FALSE(action("mUndo")->isEnabled());
    press("bLinie");
    QWidget* canvas = fImage()->findChild<QWidget*>("TempImage");
    QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(20, 30));
    QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(220, 30));
    const Measurement& m = main->document().measurement();
    ASSERT_EQ(m.lineCount(), 1);
    EXPECT_EQ(action("mUndo")->text(), "Undo Add line");
    EXPECT_EQ(fTabelle()->Tabelle()->cellText(3, 1), "200,000");

    main->activateWindow();
    QTest::keyClick(main, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(m.lineCount(), 0);
    EXPECT_EQ(m.interceptCount(), 0);
    EXPECT_EQ(fTabelle()->Tabelle()->cellText(3, 1), "");
    EXPECT_EQ(action("mRedo")->text(), "Redo Add line");
    EXPECT_EQ(main->windowTitle(), "Tesra");

    QTest::keyClick(main, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_EQ(m.lineCount(), 1);
    EXPECT_EQ(m.interceptCount(), 2);
    EXPECT_EQ(fTabelle()->Tabelle()->cellText(3, 1), "200,000");
    EXPECT_EQ(main->windowTitle(), "*Tesra");
    QTest::keyClick(main, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(main, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(m.lineCount(), 1);
    // The image undo button still counts image steps only.
    EXPECT_EQ(action("bUndo")->text(), "0");
}

TEST_F(MainWindowTest, EachModeShowsItsContextButtonsAndModesTwoAndThreeNone)
{
    openImage(writeImage("probe.bmp", 300, 200));
    for (const char* name : {"bSpeichern", "bPhoto", "bLupePlus", "bLupeMinus", "bZoom", "bFenster", "bKalibieren",
                             "bLinie", "bSetInter", "bKillInter", "bFail", "bInfoModus", "bManipulation"})
        EXPECT_TRUE(usable(name)) << name;

    struct Case {
        const char* modeButton;
        EditMode mode;
        std::vector<std::string> visible;
    };
    const Case cases[] = {
        {"bSetInter", emSetIntercept, {"bTyp1", "bTyp2", "bTyp3", "bTyp4", "bTyp5", "bTyp6"}},
        {"bKillInter", emDeleteIntercept, {}},
        {"bFail", emSecondPhase, {}},
        {"bInfoModus", emInfo, {"bHistogram", "bLinieAnalysieren", "bSegLen"}},
        {"bManipulation", emManipulate, {"bFilterSharpen", "bFilterBCG", "bFilterDetail", "bFilterContour", "bUndo"}},
        {"bLinie", emLine, {"bAddLinie", "bAddKreis", "bLinieLaden", "bLinieSpeichern"}},
    };
    for (const Case& c : cases) {
        main->ShowInfo("Length: 3");
        press(c.modeButton);
        EXPECT_EQ(main->state().mode, c.mode) << c.modeButton;
        EXPECT_TRUE(action(c.modeButton)->isChecked());
        EXPECT_FALSE(label("pInfo")->isVisible()) << c.modeButton;
        for (const char* name : kContextButtons) {
            const bool expected = std::find(c.visible.begin(), c.visible.end(), name) != c.visible.end();
            EXPECT_EQ(shown(name), expected) << c.modeButton << " " << name;
        }
    }
}

TEST_F(MainWindowTest, TypeAndShapeButtonsSetTheEditingState)
{
    openImage(writeImage("probe.bmp", 300, 200));
    press("bSetInter");
    press("bTyp3");
    EXPECT_EQ(main->state().currentType, itTriplePoint);
    EXPECT_FALSE(action("bTyp1")->isChecked());
    main->PressTypeButton(itNormal);
    EXPECT_TRUE(action("bTyp1")->isChecked());
    EXPECT_EQ(main->state().currentType, itNormal);

    press("bLinie");
    EXPECT_FALSE(main->AddCircleDown());
    press("bAddKreis");
    EXPECT_TRUE(main->AddCircleDown());
    EXPECT_FALSE(action("bAddLinie")->isChecked());
}

TEST_F(MainWindowTest, RubberBandLocksItsTenButtons)
{
    openImage(writeImage("probe.bmp", 300, 200));
    main->SetLockedButtonsEnabled(false);
    for (const char* name : {"bLupePlus", "bLupeMinus", "bZoom", "bLinie", "bSetInter", "bKillInter", "bFail",
                             "bHelp", "bAddKreis", "bAddLinie"})
        EXPECT_FALSE(action(name)->isEnabled()) << name;
    for (const char* name : {"bLaden", "bKalibieren", "bInfoModus", "bManipulation"})
        EXPECT_TRUE(action(name)->isEnabled()) << name;
    main->SetLockedButtonsEnabled(true);
    for (const char* name : {"bLupePlus", "bZoom", "bLinie", "bHelp", "bAddKreis"})
        EXPECT_TRUE(action(name)->isEnabled()) << name;
}

TEST_F(MainWindowTest, CalibrateLocksTheFrameUntilTheDialogClosesAndRestoresTheMode)
{
    openImage(writeImage("probe.bmp", 300, 200));
    press("bInfoModus");
    press("bKalibieren");
    EXPECT_EQ(main->state().mode, emCalibrate);
    EXPECT_TRUE(fKalibieren()->isVisible());
    EXPECT_TRUE(main->modified());
    EXPECT_EQ(main->windowTitle(), "*Tesra");
    EXPECT_TRUE(action("bKalibieren")->isChecked());
    for (const char* name : {"bKalibieren", "bLaden", "bSpeichern", "bLinie", "bSetInter", "bKillInter", "bHelp",
                             "bFail", "bInfoModus", "bManipulation"})
        EXPECT_FALSE(action(name)->isEnabled()) << name;
    // The analysis buttons of the mode before stay where they were.
    EXPECT_TRUE(shown("bHistogram"));

    // A distance drawn in the image arrives in the dialog's pixel field with 3 decimals.
    main->applyLocale(QLocale(QLocale::German, QLocale::Germany));
    main->ShowCalibrationDistance(12.3456L);
    EXPECT_EQ(fKalibieren()->tPixel()->text(), "12,346");
    // Escape is the dialog's Cancel.
    QTest::keyClick(fKalibieren(), Qt::Key_Escape);
    EXPECT_FALSE(fKalibieren()->isVisible());
    EXPECT_EQ(main->state().mode, emInfo);
    EXPECT_TRUE(action("bInfoModus")->isChecked());
    EXPECT_FALSE(action("bKalibieren")->isChecked());
    for (const char* name : {"bKalibieren", "bLaden", "bSpeichern", "bLinie", "bHelp", "bManipulation"})
        EXPECT_TRUE(action(name)->isEnabled()) << name;
}

TEST_F(MainWindowTest, OpenWithUnsavedDataAnsweredCancelChangesNothing)
{
    const std::string first = writeImage("first.bmp", 300, 200);
    openImage(first);
    main->document().AddTestLine(10, 10, 100, 10, false);
    main->SetModified();
    boxAnswers.push_back(BoxAnswer::Cancel);
    const std::size_t dialogs = files.size();
    press("bLaden");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Unsaved data. Discard?");
    EXPECT_EQ(boxes[0].caption, "Tesra");
    EXPECT_EQ(boxes[0].icon, BoxIcon::Question);
    EXPECT_EQ(boxes[0].buttons, BoxButtons::SaveDiscardCancel);
    EXPECT_EQ(files.size(), dialogs);  // no open dialog
    EXPECT_EQ(main->document().measurement().lineCount(), 1);
    EXPECT_EQ(main->windowTitle(), "*Tesra");
    EXPECT_EQ(main->imageFileName().toStdString(), first);
}

TEST_F(MainWindowTest, OpenAnsweredDiscardThenCancelledKeepsTheDocument)
{
    openImage(writeImage("first.bmp", 300, 200));
    main->document().AddTestLine(10, 10, 100, 10, false);
    main->SetModified();
    boxAnswers.push_back(BoxAnswer::Discard);
    press("bLaden");  // the dialog is cancelled
    EXPECT_EQ(main->document().measurement().lineCount(), 1);
    EXPECT_TRUE(main->modified());
}

TEST_F(MainWindowTest, ClosingWithUnsavedDataAsksAndCancelKeepsTheWindowOpen)
{
    main->SetModified();
    boxAnswers.push_back(BoxAnswer::Cancel);
    main->close();
    EXPECT_TRUE(main->isVisible());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Unsaved data. Discard?");
    boxAnswers.push_back(BoxAnswer::Discard);
    main->close();
    EXPECT_FALSE(main->isVisible());
}

TEST_F(MainWindowTest, UnsavedDataAnsweredSaveSavesBeforeOpeningAndAFailedSaveKeepsTheDocument)
{
    openImage(writeImage("first.bmp", 300, 200));
    main->document().AddTestLine(10, 10, 100, 10, false);
    main->SetModified();
    // Save, then the save dialog is cancelled: nothing is lost, no open dialog follows.
    boxAnswers.push_back(BoxAnswer::Save);
    const std::size_t dialogs = files.size();
    press("bLaden");
    ASSERT_EQ(files.size(), dialogs + 1);
    EXPECT_TRUE(files.back().save);
    EXPECT_EQ(main->document().measurement().lineCount(), 1);
    EXPECT_TRUE(main->modified());

    // Save into a file, then open the next image: the first one keeps its line.
    const std::string saved = dir + "/kept.bmp";
    boxAnswers.push_back(BoxAnswer::Save);
    fileAnswers.push_back({QString::fromStdString(saved), 0});
    openImage(writeImage("second.bmp", 320, 240));
    EXPECT_EQ(main->document().measurement().lineCount(), 0);
    EXPECT_FALSE(main->modified());
    openImage(saved);
    EXPECT_EQ(main->document().measurement().lineCount(), 1);
}

TEST_F(MainWindowTest, OpeningResetsPanelsCalibrationAndModifiedFlag)
{
    openImage(writeImage("probe.bmp", 300, 200));
    main->SetModified();
    main->ShowInfo("Length: 12,00000");
    boxAnswers.push_back(BoxAnswer::Discard);
    const std::string second = writeImage("second.bmp", 320, 240);
    openImage(second);
    EXPECT_FALSE(label("pInfo")->isVisible());
    EXPECT_EQ(main->windowTitle(), "Tesra");
    EXPECT_EQ(main->imageFileName().toStdString(), second);
    EXPECT_EQ(label("tBildName")->text().toStdString(), second);
    EXPECT_EQ(label("pInter")->text(), "Intersections:");
    EXPECT_EQ(label("pKorn")->text(), "Cal. grain size:");
    EXPECT_EQ(label("tKal")->text(), "Not calibrated");
    EXPECT_FALSE(label("tMisInter")->isVisible());
    EXPECT_EQ(main->document().measurement().calibration.conversionFactor, 1.56L);
    EXPECT_EQ(main->document().measurement().calibration.secondPhasePercent, -1.0L);
    EXPECT_EQ(action("bUndo")->text(), "0");
    EXPECT_FALSE(action("bUndo")->isEnabled());
}

TEST_F(MainWindowTest, SaveAsksWithTheFormatsAndClearsTheStarAndStoresTheMeasurement)
{
    openImage(writeImage("probe.bmp", 300, 200));
    main->document().AddTestLine(10, 10, 100, 10, false);
    main->SetModified();
    const std::string target = dir + "/saved";
    fileAnswers.push_back({QString::fromStdString(target), 4});  // PNG chosen, no extension typed
    press("bSpeichern");
    ASSERT_EQ(files.size(), 2u);
    const FileRequest& request = files[1];
    EXPECT_TRUE(request.save);
    EXPECT_TRUE(request.confirmOverwrite);
    EXPECT_EQ(request.defaultSuffix, "bmp");
    EXPECT_EQ(request.filters.size(), 8);
    EXPECT_EQ(request.fileName.toStdString(), dir + "/probe.bmp");
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(main->windowTitle(), "Tesra");
    EXPECT_TRUE(fs::exists(target + ".png"));
    EXPECT_EQ(main->imageFileName().toStdString(), target + ".png");
    EXPECT_EQ(fImage()->windowTitle().toStdString(), "Tesra measurement " + target + ".png");

    // Opening it again brings the line back.
    openImage(target + ".png");
    EXPECT_EQ(main->document().measurement().lineCount(), 1);
}

TEST_F(MainWindowTest, FailedSaveShowsOneMessageWithTheFileNameAndKeepsTheDocumentUnsaved)
{
    openImage(writeImage("probe.bmp", 300, 200));
    main->SetModified();
    const std::string target = dir + "/no such folder/x.bmp";
    fileAnswers.push_back({QString::fromStdString(target), 0});
    press("bSpeichern");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, BoxIcon::Error);
    EXPECT_TRUE(boxes[0].text.contains("x.bmp")) << boxes[0].text.toStdString();
    EXPECT_EQ(main->windowTitle(), "*Tesra");
    EXPECT_FALSE(fs::exists(target));
    EXPECT_EQ(main->imageFileName().toStdString(), dir + "/probe.bmp");
}

// Ctrl+S saves the measurement to the open file without a dialog; while the pixels are those
// of the file, its image data stays byte for byte (a JPEG loses nothing by a second save),
// and only the measurement behind it is new. Ctrl+Shift+S asks for a name.
TEST_F(MainWindowTest, SaveKeepsTheImageDataOfTheOpenFile)
{
    const std::string path = writeImage("probe.jpg", 300, 200);
    const std::vector<std::uint8_t> original = test::readFile(path);
    openImage(path);
    QWidget* canvas = fImage()->findChild<QWidget*>("TempImage");
    ASSERT_NE(canvas, nullptr);
    for (const QPoint& p : {QPoint(20, 30), QPoint(200, 30)}) {
        QTest::mouseMove(canvas, p);
        QTest::mousePress(canvas, Qt::LeftButton, {}, p);
        QTest::mouseRelease(canvas, Qt::LeftButton, {}, p);
    }
    ASSERT_EQ(main->document().measurement().lineCount(), 1);
    main->activateWindow();
    auto imageData = [&] {
        const std::vector<std::uint8_t> file = test::readFile(path);
        const ParsedTrailer trailer = ParseTrailer(file);
        EXPECT_EQ(trailer.status, TrailerStatus::Found);
        return std::vector<std::uint8_t>(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(trailer.start));
    };
    QTest::keyClick(main, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(files.size(), 1u);  // only the open dialog
    EXPECT_FALSE(main->modified());
    EXPECT_EQ(imageData(), original);
    main->document().AddTestLine(10, 100, 250, 100, false);
    QTest::keyClick(main, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(imageData(), original);
    openImage(path);
    EXPECT_EQ(main->document().measurement().lineCount(), 2);

    // Ctrl+Shift+S is "Save as": the dialog, here to the same file, which keeps its data too.
    fileAnswers.push_back({QString::fromStdString(path), 1});
    QTest::keyClick(main, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(files.size(), 3u);
    EXPECT_EQ(imageData(), original);

    // A filter changes the pixels: the image is encoded again.
    press("bManipulation");
    SetBCGDialogHandler([](BCGParameters& parameters) {
        parameters.Brightness = 10;
        return true;
    });
    press("bFilterBCG");
    QTest::keyClick(main, Qt::Key_S, Qt::ControlModifier);
    EXPECT_NE(imageData(), original);
}

// Someone else wrote the file after it was opened: a save encodes the image as shown
// instead of keeping what is now in the file.
TEST_F(MainWindowTest, SaveEncodesAgainWhenTheFileChangedOnDisk)
{
    const std::string path = writeImage("probe.png", 300, 200);
    openImage(path);
    TPixelGraphic other(300, 200, TPixelFormat::pf24Bit);
    saveImage(other, path);
    const std::vector<std::uint8_t> written = test::readFile(path);
    main->activateWindow();
    QTest::keyClick(main, Qt::Key_S, Qt::ControlModifier);
    const std::vector<std::uint8_t> file = test::readFile(path);
    const ParsedTrailer trailer = ParseTrailer(file);
    ASSERT_EQ(trailer.status, TrailerStatus::Found);
    EXPECT_NE(std::vector<std::uint8_t>(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(trailer.start)), written);
    TPixelGraphic back;
    loadImage(path, back);
    EXPECT_EQ(back.GetColor(150, 100), rgb(150, 100, 40));
}

TEST_F(MainWindowTest, SavePhotoOffersAPngNameAndWritesTheFormatOfTheChosenName)
{
    openImage(writeImage("probe.png", 300, 200));
    main->document().AddTestLine(10, 10, 100, 10, false);
    // Two filter runs: the undo count must not change by the photo.
    press("bManipulation");
    SetBCGDialogHandler([](BCGParameters&) { return true; });
    press("bFilterBCG");
    press("bFilterBCG");
    main->ClearModified();
    action("mZoom5")->trigger();
    // The file's first bytes say which format it holds, whatever the entry chosen.
    const std::pair<const char*, std::string> kinds[] = {
        {"photo.png", "\x89PNG"}, {"photo.jpg", "\xFF\xD8"}, {"photo.BMP", "BM"}, {"photo.tif", "II"}};
    for (const auto& [name, magic] : kinds) {
        const std::string target = dir + "/" + name;
        fileAnswers.push_back({QString::fromStdString(target), 2});
        press("bPhoto");
        EXPECT_EQ(files.back().fileName.toStdString(), dir + "/probe Photo.png");
        EXPECT_TRUE(files.back().save);
        const std::vector<std::uint8_t> bytes = test::readFile(target);
        ASSERT_GT(bytes.size(), magic.size()) << name;
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(magic.size())), magic) << name;
        EXPECT_EQ(main->statusBar()->currentMessage(), QString("Saved %1").arg(name));
    }
    EXPECT_TRUE(boxes.empty());
    TPixelGraphic photo;
    loadImage(test::readFile(dir + "/photo.png"), "png", photo);
    // At 500 % the photo still has the image's size, the overlay drawn at image scale.
    EXPECT_EQ(photo.Width(), 300);
    EXPECT_EQ(photo.Height(), 200);
    EXPECT_EQ(photo.GetColor(50, 10), rgb(0, 255, 0));
    EXPECT_EQ(fImage()->zoom(), 5);
    EXPECT_EQ(fImage()->undoDepth(), 2);
    EXPECT_EQ(action("bUndo")->text(), "2");
    EXPECT_FALSE(main->modified());
}

TEST_F(MainWindowTest, LineSetsRoundTripAndLinesOutsideTheImageAreReported)
{
    openImage(writeImage("large.bmp", 400, 300));
    main->document().AddTestLine(10, 10, 100, 20, false);
    main->document().AddTestLine(10, 10, 390, 290, false);
    main->ClearModified();
    const std::string set = dir + "/pattern";
    fileAnswers.push_back({QString::fromStdString(set), 0});
    press("bLinieSpeichern");
    ASSERT_EQ(files.back().defaultSuffix, "lin");
    EXPECT_EQ(files.back().filters.front(), "Liniendefinitionen (*.lin)");
    ASSERT_TRUE(fs::exists(set + ".lin"));
    EXPECT_EQ(fs::file_size(set + ".lin"), 258u + 2 * 52u);

    openImage(writeImage("small.bmp", 200, 150));
    EXPECT_EQ(main->document().measurement().lineCount(), 0);
    press("bSetInter");
    press("bTyp3");
    press("bLinie");
    fileAnswers.push_back({QString::fromStdString(set + ".lin"), 0});
    press("bLinieLaden");
    EXPECT_EQ(main->document().measurement().lineCount(), 1);
    EXPECT_EQ(main->document().measurement().interceptCount(), 2);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Load lines");
    EXPECT_EQ(boxes[0].text, "1 linies droped (partially outside image)");
    EXPECT_EQ(boxes[0].icon, BoxIcon::Information);
    EXPECT_EQ(main->state().currentType, itNormal);
    EXPECT_TRUE(action("bTyp1")->isChecked());
    EXPECT_TRUE(main->modified());
}

TEST_F(MainWindowTest, MagnifierMarksTheCursorInRedAndFollowsTheImageBorder)
{
    openImage(writeImage("probe.bmp", 400, 300));
    QTest::mouseClick(main->findChild<QRadioButton*>("bx1"), Qt::LeftButton);
    auto* magnifier = main->findChild<TMagnifier*>("Image");
    ASSERT_NE(magnifier, nullptr);

    main->ShowMagnifier(200, 150);
    QImage pane = magnifier->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(pane.pixel(84, 60), qRgb(255, 0, 0));
    // The pixel beside the mark is image pixel (201, 150).
    EXPECT_EQ(pane.pixel(85, 60), qRgb(1, 150, 40));
    EXPECT_EQ(pane.pixel(0, 0), qRgb(116, 90, 40));

    // At the top-left corner the window stays inside the image and the mark moves with the
    // cursor: at zoom 4 each image pixel is 4 pane pixels.
    QTest::mouseClick(main->findChild<QRadioButton*>("bx4"), Qt::LeftButton);
    main->ShowMagnifier(2, 3);
    pane = magnifier->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(pane.pixel(0, 0), qRgb(0, 0, 40));
    const int markX = 4 * (2 - 21) + 86;
    const int markY = 4 * (3 - 15) + 62;
    EXPECT_EQ(pane.pixel(markX, markY), qRgb(255, 0, 0));
    EXPECT_EQ(pane.pixel(markX + 3, markY + 3), qRgb(255, 0, 0));
    EXPECT_NE(pane.pixel(markX + 4, markY + 4), qRgb(255, 0, 0));
    EXPECT_EQ(pane.pixel(4 * 30 + 1, 4 * 20 + 1), qRgb(30, 20, 40));
}

TEST_F(MainWindowTest, MagnifierStaysCrispOnADoubleDensityScreen)
{
    openImage(writeImage("probe.bmp", 400, 300));
    QTest::mouseClick(main->findChild<QRadioButton*>("bx1"), Qt::LeftButton);
    main->ShowMagnifier(200, 150);
    auto* magnifier = main->findChild<TMagnifier*>("Image");
    QPixmap sharp(2 * kMagnifierWidth, 2 * kMagnifierHeight);
    sharp.setDevicePixelRatio(2.0);
    magnifier->render(&sharp);
    const QImage pixels = sharp.toImage().convertToFormat(QImage::Format_RGB32);
    // Each pane pixel is a 2 x 2 block of one colour, the red mark included.
    for (const QPoint pane : {QPoint(84, 60), QPoint(85, 60), QPoint(10, 7)}) {
        const QRgb colour = pixels.pixel(2 * pane.x(), 2 * pane.y());
        EXPECT_EQ(pixels.pixel(2 * pane.x() + 1, 2 * pane.y() + 1), colour);
        EXPECT_EQ(pixels.pixel(2 * pane.x() + 1, 2 * pane.y()), colour);
    }
    EXPECT_EQ(pixels.pixel(168, 120), qRgb(255, 0, 0));
    EXPECT_EQ(pixels.pixel(170, 120), qRgb(1, 150, 40));
}

TEST_F(MainWindowTest, MagnifierOnASmallImageShowsTheCross)
{
    openImage(writeImage("tiny.bmp", 100, 80));
    QTest::mouseClick(main->findChild<QRadioButton*>("bx1"), Qt::LeftButton);
    main->ShowMagnifier(50, 40);
    const QImage pane =
        main->findChild<TMagnifier*>("Image")->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(pane.pixel(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(pane.pixel(1, 118), qRgb(255, 0, 0));
    EXPECT_EQ(pane.pixel(165, 117), qRgb(255, 0, 0));
    EXPECT_NE(pane.pixel(84, 5), qRgb(255, 0, 0));
    EXPECT_NE(pane.pixel(1, 60), qRgb(255, 0, 0));
}

TEST_F(MainWindowTest, OverviewTakesTheImageAspectRatio)
{
    openImage(writeImage("wide.bmp", 600, 400));
    main->UpdateOverview();
    auto* viewer = main->findChild<QWidget*>("ViewPortImage");
    EXPECT_EQ(viewer->size(), QSize(168, 112));
    EXPECT_EQ(main->findChild<QWidget*>("ViewPortPanel")->height(), 122);
}

TEST_F(MainWindowTest, InfoStripShowsAndHides)
{
    main->ShowInfo("Intercept # 3       Type: 2");
    EXPECT_TRUE(label("pInfo")->isVisible());
    EXPECT_EQ(label("pInfo")->text(), "Intercept # 3       Type: 2");
    main->HideInfo();
    EXPECT_FALSE(label("pInfo")->isVisible());
}

TEST_F(MainWindowTest, BrightnessFilterChangesTheImageAndMarksTheDocument)
{
    openImage(writeImage("probe.bmp", 300, 200));
    press("bManipulation");
    int asked = 0;
    SetBCGDialogHandler([&asked](BCGParameters& parameters) {
        ++asked;
        EXPECT_EQ(parameters.Contrast, 1.0L);
        parameters.Brightness = 10;
        return true;
    });
    const std::uint32_t before = fImage()->image().GetColor(10, 10);
    press("bFilterBCG");
    EXPECT_EQ(asked, 1);
    EXPECT_NE(fImage()->image().GetColor(10, 10), before);
    EXPECT_TRUE(main->modified());

    // Cancel changes nothing; the dialog keeps the parameters of the last run.
    main->ClearModified();
    SetBCGDialogHandler([](BCGParameters& parameters) {
        EXPECT_EQ(parameters.Brightness, 10);
        return false;
    });
    const std::uint32_t after = fImage()->image().GetColor(10, 10);
    press("bFilterBCG");
    EXPECT_EQ(fImage()->image().GetColor(10, 10), after);
    EXPECT_FALSE(main->modified());
}

TEST_F(MainWindowTest, ConvolutionFiltersStartFromTheirDefaults)
{
    openImage(writeImage("probe.bmp", 120, 90));
    press("bManipulation");
    std::vector<std::pair<ConvFilterKind, long double>> seen;
    SetConvDialogHandler([&seen](ConvFilterKind kind, ConvParameters& parameters) {
        seen.emplace_back(kind, parameters.StdDeviation);
        return kind == ConvFilterKind::Contour;
    });
    press("bFilterSharpen");
    press("bFilterDetail");
    const TPixelGraphic before = fImage()->image();
    press("bFilterContour");
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0], std::make_pair(ConvFilterKind::Sharpen, 0.75L));
    EXPECT_EQ(seen[1], std::make_pair(ConvFilterKind::Detail, 0.75L));
    EXPECT_EQ(seen[2], std::make_pair(ConvFilterKind::Contour, 1.0L));
    // A flat-free image changes under the contour filter; size and format stay.
    EXPECT_EQ(fImage()->image().Width(), 120);
    EXPECT_EQ(fImage()->image().PixelFormat(), before.PixelFormat());
    EXPECT_TRUE(main->modified());
}

TEST_F(MainWindowTest, GreyValueCommandsRenameTheWindowMenuEntry)
{
    openImage(writeImage("probe.bmp", 300, 200));
    press("bInfoModus");
    press("bLinieAnalysieren");
    EXPECT_EQ(action("mfSonst")->text(), "Line analysis");
    press("bSegLen");
    EXPECT_EQ(action("mfSonst")->text(), "Segment lengths");
    press("bHistogram");
    EXPECT_EQ(action("mfSonst")->text(), "Histogram");
}

TEST_F(MainWindowTest, CommandLineAndDroppedFilesOpenThroughTheOpenSequence)
{
    const std::string first = writeImage("first.bmp", 300, 200);
    EXPECT_TRUE(main->openImageFile(QString::fromStdString(first)));
    EXPECT_EQ(main->imageFileName().toStdString(), first);
    EXPECT_TRUE(usable("bSpeichern"));

    // A drop with unsaved data asks first; No keeps the image.
    main->SetModified();
    const std::string second = writeImage("second.bmp", 320, 240);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(second))});
    QDragEnterEvent enter(QPoint(400, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(main, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(400, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    boxAnswers.push_back(BoxAnswer::Cancel);
    QApplication::sendEvent(main, &drop);
    QApplication::processEvents();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(main->imageFileName().toStdString(), first);

    boxAnswers.push_back(BoxAnswer::Discard);
    QDragEnterEvent enterAgain(QPoint(400, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(main, &enterAgain);
    QDropEvent again(QPointF(400, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(main, &again);
    QApplication::processEvents();
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_EQ(main->imageFileName().toStdString(), second);
    EXPECT_FALSE(main->modified());
}

TEST_F(MainWindowTest, LongSavesShowProgressInTheStatusArea)
{
    openImage(writeImage("probe.bmp", 300, 200));
    main->setProgressDelay(0);
    auto* bar = main->findChild<QProgressBar*>("pProgress");
    ASSERT_NE(bar, nullptr);
    QSignalSpy values(bar, &QProgressBar::valueChanged);
    fileAnswers.push_back({QString::fromStdString(dir + "/copy.bmp"), 0});
    press("bSpeichern");
    ASSERT_FALSE(values.isEmpty());
    EXPECT_EQ(values.back().front().toInt(), 100);
    EXPECT_FALSE(bar->isVisible());
}

TEST_F(MainWindowTest, LongLoadsShowProgressAndA16BitImageSaysHowItIsShown)
{
    openImage(writeImage("probe.bmp", 300, 200));
    EXPECT_TRUE(main->statusBar()->currentMessage().isEmpty());
    main->setProgressDelay(0);
    auto* bar = main->findChild<QProgressBar*>("pProgress");
    QSignalSpy values(bar, &QProgressBar::valueChanged);
    openImage(std::string(TESRA_SOURCE_DIR) + "/tests/data/tiff/grey16-tiffcp-lzw.tif");
    ASSERT_FALSE(values.isEmpty());
    EXPECT_EQ(values.back().front().toInt(), 100);
    EXPECT_TRUE(main->statusBar()->currentMessage().startsWith("16-bit image shown as 8-bit, range "))
        << main->statusBar()->currentMessage().toStdString();
    // The next ordinary image clears the line.
    openImage(writeImage("plain.bmp", 30, 20));
    EXPECT_TRUE(main->statusBar()->currentMessage().isEmpty());
}

TEST_F(MainWindowTest, ZoomButtonsAndMenuStayInStepWithTheImageWindow)
{
    openImage(writeImage("probe.bmp", 300, 200));
    EXPECT_EQ(fImage()->zoom(), 1);
    EXPECT_EQ(action("bZoom")->text(), "100%");
    EXPECT_TRUE(action("mZoom1")->isChecked());
    press("bLupeMinus");  // below 100 %
    EXPECT_EQ(action("bZoom")->text(), "50%");
    EXPECT_TRUE(action("mZoomPercent50")->isChecked());
    for (int i = 0; i < 13; ++i)
        press("bLupePlus");
    EXPECT_EQ(fImage()->zoom(), 10);
    EXPECT_EQ(action("bZoom")->text(), "1000%");
    EXPECT_TRUE(action("mZoom10")->isChecked());
    press("bLupeMinus");
    EXPECT_EQ(action("bZoom")->text(), "900%");
    EXPECT_TRUE(action("mZoom9")->isChecked());

    action("mZoom3")->trigger();
    EXPECT_EQ(fImage()->zoom(), 3);
    EXPECT_EQ(action("bZoom")->text(), "300%");
    EXPECT_TRUE(action("mZoom3")->isChecked());
    EXPECT_FALSE(action("mZoom9")->isChecked());

    // Ctrl+plus and Ctrl+minus are the buttons' shortcuts.
    QTest::keyClick(main, Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_EQ(fImage()->zoom(), 4);
    QTest::keyClick(main, Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_EQ(fImage()->zoom(), 3);
    EXPECT_TRUE(action("mZoom3")->isChecked());
}

TEST_F(MainWindowTest, CtrlWheelZoomsAtTheMouseKeepingThePointUnderIt)
{
    // Larger than the window: it opens fitted, and the user goes to 100 %.
    openImage(writeImage("probe.bmp", 1500, 1000));
    EXPECT_LT(fImage()->zoom().percent(), 100);
    action("mZoom1")->trigger();
    ASSERT_EQ(fImage()->zoom(), 1);
    auto* area = fImage()->findChild<QAbstractScrollArea*>();
    ASSERT_NE(area, nullptr);
    area->horizontalScrollBar()->setValue(0);
    area->verticalScrollBar()->setValue(0);
    QWidget* viewport = area->viewport();
    const QPoint mouse(100, 80);
    auto wheel = [&](int delta, Qt::KeyboardModifiers modifiers) {
        QWheelEvent event(QPointF(mouse), QPointF(viewport->mapToGlobal(mouse)), QPoint(), QPoint(0, delta),
                          Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &event);
        QApplication::processEvents();
    };
    wheel(120, Qt::ControlModifier);
    EXPECT_EQ(fImage()->zoom(), 2);
    EXPECT_EQ(action("bZoom")->text(), "200%");
    // Image point (100, 80) was under the mouse; at zoom 2 it is at (200, 160) of the content.
    EXPECT_EQ(area->horizontalScrollBar()->value(), 100);
    EXPECT_EQ(area->verticalScrollBar()->value(), 80);
    wheel(120, Qt::ControlModifier);
    EXPECT_EQ(area->horizontalScrollBar()->value(), 200);
    wheel(-120, Qt::ControlModifier);
    EXPECT_EQ(fImage()->zoom(), 2);
    EXPECT_EQ(area->horizontalScrollBar()->value(), 100);
    // Without Ctrl the wheel scrolls as usual and the zoom stays.
    wheel(-120, Qt::NoModifier);
    EXPECT_EQ(fImage()->zoom(), 2);
}

TEST_F(MainWindowTest, ImageMagnifierAndOverviewStayPutWhenModesAndStripsChange)
{
    openImage(writeImage("probe.bmp", 300, 200));
    QApplication::processEvents();
    QWidget* canvas = fImage()->findChild<QWidget*>("TempImage");
    QWidget* magnifier = main->findChild<TMagnifier*>();
    QWidget* overview = main->findChild<TOverview*>();
    auto places = [&] {
        QApplication::processEvents();
        return std::vector<QPoint>{canvas->mapTo(main, QPoint()), magnifier->mapTo(main, QPoint()),
                                   overview->mapTo(main, QPoint())};
    };
    const std::vector<QPoint> start = places();
    for (const char* mode : {"bKillInter", "bFail", "bSetInter", "bInfoModus", "bManipulation", "bLinie"}) {
        press(mode);
        EXPECT_EQ(places(), start) << mode;
    }
    main->ShowInfo("Length: 1,00000");
    label("tMisInter")->setText("Needed Intersections: 50,0");
    label("tMisInter")->show();
    EXPECT_EQ(places(), start);
    main->HideInfo();
    EXPECT_EQ(places(), start);
}

TEST_F(MainWindowTest, PanesSitAroundTheImageNeverOverItAndTheLayoutIsRemembered)
{
    openImage(writeImage("probe.bmp", 300, 200));
    QApplication::processEvents();
    auto place = [this](QWidget* w) { return QRect(w->mapTo(main, QPoint(0, 0)), w->size()); };
    QDockWidget* sheet = PaneOf(fTabelle());
    QDockWidget* grey = PaneOf(fGrau());
    ASSERT_TRUE(sheet && grey);
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_FALSE(grey->isVisible());
    // The image fills the work area; the sheet lies below it across the same width.
    const QRect image = place(fImage());
    EXPECT_EQ(image, place(main->centralWidget()));
    EXPECT_EQ(place(sheet).left(), image.left());
    EXPECT_EQ(place(sheet).right(), image.right());
    EXPECT_GT(place(sheet).top(), image.bottom());
    EXPECT_GE(image.height(), place(sheet).height());
    EXPECT_TRUE(fTabelle()->isVisible());

    // The grey-value pane opens beside the image, not over it, and closes with its button.
    press("bInfoModus");
    press("bHistogram");
    QApplication::processEvents();
    ASSERT_TRUE(grey->isVisible());
    EXPECT_FALSE(place(grey).intersects(place(fImage())));
    EXPECT_FALSE(place(grey).intersects(place(sheet)));
    EXPECT_TRUE(main->rect().contains(place(grey)));
    // Wide enough for the histogram.
    EXPECT_GE(grey->widget()->width(), fGrau()->width());
    EXPECT_EQ(place(fImage()).right() + 1, place(grey).left() - main->style()->pixelMetric(QStyle::PM_DockWidgetSeparatorExtent));
    auto* close = grey->findChild<QAbstractButton*>("qt_dockwidget_closebutton");
    ASSERT_NE(close, nullptr);
    QTest::mouseClick(close, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_FALSE(grey->isVisible());
    EXPECT_EQ(place(fImage()).width(), image.width());

    // The sizes a user chose come back in the next run; Reset layout forgets them.
    const int defaultHeight = sheet->height();
    main->resizeDocks({sheet}, {defaultHeight / 2}, Qt::Vertical);
    QApplication::processEvents();
    const int chosen = sheet->height();
    ASSERT_LT(chosen, defaultHeight);
    QSettings settings(QString::fromStdString(dir + "/layout.ini"), QSettings::IniFormat);
    main->SaveLayout(settings);
    action("mfReset")->trigger();
    QApplication::processEvents();
    EXPECT_EQ(sheet->height(), defaultHeight);
    main->RestoreLayout(settings);
    QApplication::processEvents();
    EXPECT_EQ(sheet->height(), chosen);
    action("mfReset")->trigger();
    QApplication::processEvents();
    EXPECT_EQ(sheet->height(), defaultHeight);
}

// A profile longer than the frame is wide scrolls inside its pane; the frame keeps its size.
TEST_F(MainWindowTest, AWideProfileScrollsInsideItsPane)
{
    main->resize(1000, 700);
    openImage(writeImage("probe.bmp", 3000, 300));
    main->document().AddTestLine(10, 100, 2990, 100, false);
    press("bInfoModus");
    fTabelle()->SelectLineRow(1);
    press("bLinieAnalysieren");
    QApplication::processEvents();
    QDockWidget* grey = PaneOf(fGrau());
    ASSERT_TRUE(grey->isVisible());
    EXPECT_GT(fGrau()->width(), main->width());
    EXPECT_EQ(main->size(), QSize(1000, 700));
    // The image keeps at least half of the room; the plot scrolls sideways.
    EXPECT_GE(main->centralWidget()->width() + 20, grey->width());
    auto* scroll = qobject_cast<QScrollArea*>(grey->widget());
    ASSERT_NE(scroll, nullptr);
    EXPECT_TRUE(scroll->horizontalScrollBar()->isVisible());
}

TEST_F(MainWindowTest, StatusBarReadsOutTheCursorAndTooltipsNameTheKeys)
{
    openImage(writeImage("probe.bmp", 300, 200));
    QWidget* canvas = fImage()->findChild<QWidget*>("TempImage");
    press("bInfoModus");
    QTest::mouseMove(canvas, QPoint(30, 20));
    // The test picture's colour is (x % 200, y % 200, 40).
    EXPECT_EQ(label("pPosition")->text(), "x 30  y 20  |  RGB 30, 20, 40");
    EXPECT_EQ(action("bTyp3")->toolTip(), QString("%1 (3)").arg(action("bTyp3")->statusTip()));
    EXPECT_TRUE(action("bLaden")->toolTip().endsWith("(Ctrl+O)"));
}

TEST_F(MainWindowTest, UndoCountsFiveFilterRunsAndGoesBackToZero)
{
    openImage(writeImage("probe.bmp", 120, 90));
    press("bManipulation");
    EXPECT_EQ(action("bUndo")->text(), "0");
    EXPECT_FALSE(action("bUndo")->isEnabled());
    SetBCGDialogHandler([](BCGParameters& parameters) {
        parameters.Brightness = 5;
        return true;
    });
    std::vector<std::uint32_t> colours{fImage()->image().GetColor(7, 7)};
    for (int run = 1; run <= 5; ++run) {
        press("bFilterBCG");
        colours.push_back(fImage()->image().GetColor(7, 7));
    }
    EXPECT_EQ(action("bUndo")->text(), "5");
    EXPECT_TRUE(action("bUndo")->isEnabled());
    press("bFilterBCG");
    EXPECT_EQ(action("bUndo")->text(), "5");
    // Undo restores the image as it was after runs 5, 4, 3, 2 and 1.
    for (int back = 5; back >= 1; --back) {
        press("bUndo");
        EXPECT_EQ(fImage()->image().GetColor(7, 7), colours[back]) << back;
    }
    EXPECT_EQ(action("bUndo")->text(), "0");
    EXPECT_FALSE(action("bUndo")->isEnabled());
}

TEST_F(MainWindowTest, RefusedAndTruncatedFilesGiveOneMessageAndKeepTheOldDocument)
{
    const std::string good = writeImage("good.bmp", 300, 200);
    openImage(good);
    main->document().AddTestLine(10, 10, 100, 10, false);
    main->ClearModified();
    const std::uint32_t colour = fImage()->image().GetColor(5, 5);

    // Not an image at all.
    const std::string refused = dir + "/notes.png";
    test::writeFile(refused, {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'});
    // A real bitmap cut off in the middle of its pixels.
    std::vector<std::uint8_t> bytes = test::readFile(writeImage("whole.bmp", 300, 200));
    bytes.resize(bytes.size() / 2);
    const std::string truncated = dir + "/cut.bmp";
    test::writeFile(truncated, bytes);

    for (const std::string& bad : {refused, truncated}) {
        boxes.clear();
        fileAnswers.push_back({QString::fromStdString(bad), 0});
        press("bLaden");
        ASSERT_EQ(boxes.size(), 1u) << bad;
        EXPECT_EQ(boxes[0].icon, BoxIcon::Error);
        EXPECT_TRUE(boxes[0].text.contains(QString::fromStdString(FileNameOnly(bad)))) << boxes[0].text.toStdString();
        EXPECT_EQ(main->imageFileName().toStdString(), good);
        EXPECT_EQ(main->document().measurement().lineCount(), 1);
        EXPECT_EQ(fImage()->image().Width(), 300);
        EXPECT_EQ(fImage()->image().GetColor(5, 5), colour);
        EXPECT_EQ(fImage()->windowTitle().toStdString(), good);
    }
}

TEST_F(MainWindowTest, ADamagedMeasurementIsReportedAndTheImageStillOpens)
{
    openImage(writeImage("probe.bmp", 300, 200));
    main->document().AddTestLine(10, 10, 100, 10, false);
    const std::string saved = dir + "/measured.bmp";
    fileAnswers.push_back({QString::fromStdString(saved), 0});
    press("bSpeichern");
    // The line count of the trailer claims more lines than the file holds.
    std::vector<std::uint8_t> bytes = test::readFile(saved);
    const std::size_t start = bytes[bytes.size() - 260] | bytes[bytes.size() - 259] << 8 |
                              bytes[bytes.size() - 258] << 16;
    bytes[start] = 0xFF;
    bytes[start + 1] = 0x7F;
    test::writeFile(saved, bytes);

    boxes.clear();
    openImage(saved);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, kDamagedTrailerMessage);
    EXPECT_EQ(main->imageFileName().toStdString(), saved);
    EXPECT_EQ(fImage()->image().Width(), 300);
    EXPECT_EQ(main->document().measurement().lineCount(), 0);
}

TEST_F(MainWindowTest, SavingInAFormatOfFewerColoursAsksFirst)
{
    openImage(writeImage("probe.bmp", 300, 200));
    main->SetModified();
    const std::string target = dir + "/probe.pbm";
    fileAnswers.push_back({QString::fromStdString(target), 2});
    boxAnswers.push_back(BoxAnswer::Cancel);
    press("bSpeichern");
    ASSERT_GE(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].buttons, BoxButtons::OkCancel);
    EXPECT_EQ(boxes[0].icon, BoxIcon::Warning);
    EXPECT_FALSE(fs::exists(target));
    EXPECT_TRUE(main->modified());

    boxes.clear();
    fileAnswers.push_back({QString::fromStdString(target), 2});
    boxAnswers.push_back(BoxAnswer::Ok);
    press("bSpeichern");
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(fs::exists(target));
    EXPECT_FALSE(main->modified());
}

TEST_F(MainWindowTest, AFirstImageThatCannotBeReadLeavesTheStartState)
{
    const std::string refused = dir + "/notes.bmp";
    test::writeFile(refused, {'B', 'M', 0, 0});
    fileAnswers.push_back({QString::fromStdString(refused), 0});
    press("bLaden");
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_FALSE(usable("bSpeichern"));
    EXPECT_FALSE(usable("bLinie"));
    EXPECT_TRUE(main->imageFileName().isEmpty());
}

// The frame as the user sees it, read from one picture of it: the image, the magnifier over
// the cursor's place with its red mark, the overview of the whole image, the yellow strip.
TEST_F(MainWindowTest, LookOfTheFrame)
{
    openImage(writeImage("probe.bmp", 400, 300));
    main->UpdateOverview();
    main->ShowMagnifier(120, 80);
    main->ShowInfo("Length: 12,5");
    QApplication::processEvents();
    const QImage frame = main->grab().toImage().convertToFormat(QImage::Format_RGB32);
    auto areaOf = [this](QWidget* w) { return QRect(w->mapTo(main, QPoint(0, 0)), w->size()); };
    // Pixels of the written pattern (blue 40) inside a widget's place.
    auto imagePixels = [&frame](const QRect& area) {
        int count = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                count += qBlue(frame.pixel(x, y)) == 40 && qRed(frame.pixel(x, y)) < 200;
        return count;
    };
    QWidget* canvas = fImage()->findChild<QWidget*>("TempImage");
    EXPECT_EQ(frame.pixel(canvas->mapTo(main, QPoint(10, 20))), qRgb(10, 20, 40));
    QWidget* magnifier = main->findChild<TMagnifier*>("Image");
    const QRect lens = areaOf(magnifier);
    EXPECT_GT(imagePixels(lens), lens.width() * lens.height() / 2);
    int red = 0;
    for (int y = lens.top(); y <= lens.bottom(); ++y)
        for (int x = lens.left(); x <= lens.right(); ++x)
            red += frame.pixel(x, y) == qRgb(255, 0, 0);
    EXPECT_GT(red, 8);
    const QRect overview = areaOf(main->findChild<QWidget*>("ViewPortPanel"));
    EXPECT_GT(imagePixels(overview), overview.width() * overview.height() / 2);
    QLabel* strip = label("pInfo");
    ASSERT_TRUE(strip->isVisible());
    EXPECT_EQ(strip->text(), "Length: 12,5");
    EXPECT_EQ(test::MostFrequentColour(frame, areaOf(strip)), QColor(255, 255, 0));
}

// The close button in a pane's title bar, clicked.
void ClickCloseButton(QDockWidget* pane)
{
    auto* close = pane->findChild<QAbstractButton*>("qt_dockwidget_closebutton");
    ASSERT_NE(close, nullptr) << pane->windowTitle().toStdString();
    QTest::mouseClick(close, Qt::LeftButton);
}

TEST_F(MainWindowTest, ClosedWindowsOnlyHideAndComeBackUpToDate)
{
    openImage(writeImage("probe.bmp", 400, 300));
    main->applyLocale(QLocale(QLocale::German, QLocale::Germany));
    const QPointer<TfTabelle> sheet = fTabelle();
    const QPointer<TfGrau> grey = fGrau();
    action("mfTabelle")->trigger();
    action("mfSonst")->trigger();
    QApplication::processEvents();
    for (QWidget* window : std::initializer_list<QWidget*>{sheet, grey}) {
        QDockWidget* frame = PaneOf(window);
        ASSERT_NE(frame, nullptr);
        ASSERT_TRUE(frame->isVisible());
        ClickCloseButton(frame);
        QApplication::processEvents();
        EXPECT_FALSE(frame->isVisible()) << frame->windowTitle().toStdString();
    }
    fKalibieren()->show();
    fKalibieren()->close();
    QApplication::processEvents();
    ASSERT_TRUE(sheet && grey && fKalibieren());
    EXPECT_EQ(fTabelle(), sheet.data());
    EXPECT_EQ(fGrau(), grey.data());

    // Measuring goes on while the sheet is away, and the sheet comes back with the result.
    QWidget* canvas = fImage()->findChild<QWidget*>("TempImage");
    auto click = [canvas](int x, int y) {
        QTest::mouseMove(canvas, QPoint(x, y));
        QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(x, y));
    };
    press("bLinie");
    press("bAddLinie");
    click(20, 50);
    click(300, 50);
    press("bSetInter");
    click(100, 50);
    EXPECT_EQ(label("pInter")->text(), "Intersections: 1,0");
    action("mfTabelle")->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_TRUE(PaneOf(sheet)->isVisible());
    EXPECT_EQ(sheet->Tabelle()->cellText(5, 1), "1,000");
    action("mfSonst")->trigger();
    EXPECT_TRUE(grey->isVisible());
}

TEST_F(MainWindowTest, EveryWindowShowsTheProgramsIcon)
{
    openImage(writeImage("probe.bmp", 400, 300));
    const QImage expected = QImage(QString::fromStdString(test::sourceDir() + "/app/desktop/icons/tesra-16.png"))
                                .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    ASSERT_FALSE(expected.isNull());
    for (QWidget* window : std::initializer_list<QWidget*>{main, PaneOf(fTabelle()), PaneOf(fGrau()),
                                                           fImage(), fKalibieren()}) {
        const QImage shown = window->windowIcon().pixmap(16).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        EXPECT_EQ(shown, expected) << window->windowTitle().toStdString();
    }
}

}  // namespace
}  // namespace tesra
