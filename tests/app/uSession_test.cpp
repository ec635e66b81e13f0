// A whole measuring session through the real windows, as a metallographer does it: open a
// micrograph, lay test lines and a circle, click every grain-boundary crossing, mark second
// phase, calibrate, read and copy the sheet, save with the measurement, and open the saved
// file in a freshly started program. Only mouse and key events reach the windows; the file
// dialogs and message boxes are answered through the dialog seam.
//
// The picture is made here with known grains, so the crossings of every line are known
// independently of the program's geometry, and the sheet's mean intercept length can be held
// against the truth of the picture.
//
// With TESRA_SCREENSHOTS set to a folder, the session also saves pictures of the main window
// there (the README's screenshots come from this run), in English.
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <numbers>
#include <ostream>
#include <string>
#include <vector>

#include "common/number_format.h"
#include "app/uDialogs.h"
#include "app/uLanguage.h"
#include "app/uMain.h"
#include "app/uStartup.h"
#include "imaging/formats/image_format.h"
#include "results/uKalibieren.h"
#include "results/uTabelle.h"
#include "view/uImage.h"
#include "tests/synthetic_micrograph.h"
#include "tests/test_support.h"
#include "tests/uUserSteps.h"
#include "widgets/uAlignedGrid.h"

namespace tesra {
namespace {

using test::Crossing;

constexpr int kWidth = 2000;
constexpr int kHeight = 1500;
constexpr int kLineRows[] = {150, 300, 1200, 1300, 1400};
constexpr int kLineStart = 50;
constexpr int kLineEnd = 1950;
constexpr int kCircleX = 1000, kCircleY = 750, kCircleR = 300;
// A click closer than this to an intercept already on the line would change that intercept
// instead of adding one.
constexpr int kMinGap = 8;

// What the user reads after the session: every cell of both grids with its colour, the
// panels of the sheet and the main window, and the calibration dialog's fields.
struct ScreenState {
    std::vector<std::vector<std::string>> tabelle, tabelle2;
    std::vector<std::vector<std::string>> tabelleColours;
    std::map<std::string, std::string> texts;
    bool operator==(const ScreenState&) const = default;
};

struct Click {
    Crossing at;
    int type = 1;
};

class MeasuringSession : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        picture = new test::SyntheticMicrograph(test::MakeGrainMicrograph(kWidth, kHeight, 400, 20261207));
    }
    static void TearDownTestSuite()
    {
        delete picture;
        picture = nullptr;
    }

    void SetUp() override
    {
        folder = QString::fromStdString(test::makeTempDir("session"));
        shots = qEnvironmentVariable("TESRA_SCREENSHOTS");
        // The README shows the program as an English-speaking user sees it.
        if (!shots.isEmpty())
            LoadLanguage(Language::English);
        SetBoxHandler([this](const BoxRequest& request) {
            boxes.push_back(request);
            return request.buttons == BoxButtons::YesNo               ? BoxAnswer::Yes
                   : request.buttons == BoxButtons::SaveDiscardCancel ? BoxAnswer::Discard
                                                                      : BoxAnswer::Ok;
        });
        SetFileHandler([this](const FileRequest& request) {
            FileAnswer answer;
            answer.path = nextFile;
            const QString suffix = "*." + QFileInfo(nextFile).suffix().toLower() + ")";
            for (int i = 0; i < request.filters.size(); ++i)
                if (request.filters[i].toLower().endsWith(suffix))
                    answer.filterIndex = i;
            return answer;
        });
    }

    void TearDown() override
    {
        delete main;
        main = nullptr;
        SetBoxHandler({});
        SetFileHandler({});
        std::filesystem::remove_all(folder.toStdString());
        if (!shots.isEmpty())
            LoadLanguage(Language::Source);
    }

    // ---- The program, as the user starts and drives it ----

    void startProgram()
    {
        delete main;
        StartupOptions options;
        options.showSplash = true;
        options.startTimer = [](QObject*, int, std::function<void()>) {};  // the splash stays
        main = StartProgram(*qApp, QString(), options);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main));
        // A desktop screen (the offscreen screen is small): 1920 x 1080, or the size
        // TESRA_SCREEN names ("1366x768").
        main->showNormal();
        const QStringList screen = qEnvironmentVariable("TESRA_SCREEN", "1920x1080").split('x');
        main->resize(screen.value(0).toInt(), screen.value(1).toInt());
        // The sheet and the dialog format numbers as a German desktop would.
        main->applyLocale(QLocale(QLocale::German, QLocale::Germany));
    }

    QToolButton* button(const char* name) { return main->findChild<QToolButton*>(name); }

    void press(const char* name) { test::pressButton(main, name); }

    void openThroughDialog(const QString& path)
    {
        nextFile = path;
        press("bLaden");
        ASSERT_NE(fImage(), nullptr);
        // A large image opens fitted; the session marks it at 100 %, one screen pixel each.
        main->findChild<QAction*>("mZoom1")->trigger();
        canvas = fImage()->findChild<QWidget*>("TempImage");
        ASSERT_NE(canvas, nullptr);
    }

    void saveThroughDialog(const QString& path)
    {
        nextFile = path;
        press("bSpeichern");
    }

    void clickImage(int x, int y) { test::clickAt(canvas, QPoint(x, y)); }
    void drawLine(int x1, int y1, int x2, int y2) { test::drawLineOn(canvas, QPoint(x1, y1), QPoint(x2, y2)); }

    TAlignedGrid* grid(const char* name) { return fTabelle()->findChild<TAlignedGrid*>(name); }

    ScreenState readScreen()
    {
        ScreenState s;
        for (const char* name : {"Tabelle", "Tabelle2"}) {
            TAlignedGrid* g = grid(name);
            auto& cells = std::string(name) == "Tabelle" ? s.tabelle : s.tabelle2;
            for (int r = 0; r < g->rowCount(); ++r) {
                cells.emplace_back();
                if (std::string(name) == "Tabelle")
                    s.tabelleColours.emplace_back();
                for (int c = 0; c < g->columnCount(); ++c) {
                    cells.back().push_back(g->cellText(c, r).toStdString());
                    if (std::string(name) == "Tabelle")
                        s.tabelleColours.back().push_back(g->cellColour(c, r).name().toStdString());
                }
            }
        }
        for (const char* name : {"tFremd", "tWarnung"}) {
            auto* panel = fTabelle()->findChild<QLabel*>(name);
            s.texts[name] = !panel                        ? "?"
                            : panel->isVisibleTo(fTabelle()) ? "shown: " + panel->text().toStdString()
                                                             : "hidden";
        }
        for (const char* name : {"tKal", "tMisInter", "pInter", "pKorn"}) {
            auto* panel = main->findChild<QLabel*>(name);
            s.texts[name] = !panel ? "?" : panel->isVisibleTo(main) ? "shown: " + panel->text().toStdString() : "hidden";
        }
        for (const char* name : {"tPixel", "tEcht", "tFremdPhase", "tFaktor", "tInfo"}) {
            auto* edit = fKalibieren()->findChild<QLineEdit*>(name);
            s.texts[name] = edit ? edit->text().toStdString() : "?";
        }
        return s;
    }

    // A number as the sheet shows it in a German locale ("11.384,955") read back.
    static double sheetNumber(QString text)
    {
        text.remove('.');
        text.replace(',', '.');
        bool ok = false;
        const double v = text.toDouble(&ok);
        EXPECT_TRUE(ok) << text.toStdString();
        return v;
    }

    void screenshot(const char* name)
    {
        if (shots.isEmpty())
            return;
        QDir().mkpath(shots);
        main->grab().save(shots + "/" + name + ".png");
    }

    static test::SyntheticMicrograph* picture;
    TfMain* main = nullptr;
    QWidget* canvas = nullptr;
    QString folder, shots, nextFile;
    std::vector<BoxRequest> boxes;
};

test::SyntheticMicrograph* MeasuringSession::picture = nullptr;

// The clicks a user makes for the crossings of one line. Two crossings closer than a click
// can tell apart are where the line passes a triple point: one click of type III. Crossings
// next to the line's ends are taken by its end marks.
std::vector<Click> clicksFor(const std::vector<Crossing>& crossings, const std::vector<Crossing>& ends)
{
    auto near = [](const Crossing& a, const Crossing& b) {
        return std::hypot(double(a.x - b.x), double(a.y - b.y)) < kMinGap;
    };
    std::vector<Click> out;
    for (const Crossing& c : crossings) {
        if (std::any_of(ends.begin(), ends.end(), [&](const Crossing& e) { return near(c, e); }))
            continue;
        if (!out.empty() && near(c, out.back().at)) {
            out.back().type = 3;
            continue;
        }
        out.push_back({c, 1});
    }
    return out;
}

double weightOf(int type, bool circle)
{
    static const double straight[] = {0, 1, 0.5, 1.5, 1, 0, 0.5};
    static const double round[] = {0, 1, 0.5, 2, 1, 0, 0.5};
    return circle ? round[type] : straight[type];
}

// Appends the measurement trailer of a saved file to an image written by another program, as
// the trailer's own offset field expects: the image bytes, then the trailer, its offset set to
// the new image's size.
std::vector<std::uint8_t> withTrailerOf(std::vector<std::uint8_t> image, const std::vector<std::uint8_t>& saved)
{
    const std::size_t size = saved.size();
    const std::uint32_t s = saved[size - 260] | saved[size - 259] << 8 | saved[size - 258] << 16 |
                            std::uint32_t(saved[size - 257]) << 24;
    const std::uint32_t offset = static_cast<std::uint32_t>(image.size());
    image.insert(image.end(), saved.begin() + s, saved.end());
    for (int i = 0; i < 4; ++i)
        image[image.size() - 260 + i] = static_cast<std::uint8_t>(offset >> (8 * i));
    return image;
}

TEST_F(MeasuringSession, FromOpeningToTheSavedMeasurementReadBack)
{
    const QString source = folder + "/grains.png";
    saveImage(picture->image, source.toStdString());

    ASSERT_NO_FATAL_FAILURE(startProgram());
    ASSERT_NO_FATAL_FAILURE(openThroughDialog(source));
    EXPECT_EQ(fImage()->baseWidth(), kWidth);

    // ---- Five straight lines and a circle, in line mode ----
    press("bLinie");
    press("bAddLinie");
    for (int y : kLineRows)
        drawLine(kLineStart, y, kLineEnd, y);
    press("bAddKreis");
    drawLine(kCircleX - kCircleR, kCircleY - kCircleR, kCircleX + kCircleR, kCircleY + kCircleR);
    EXPECT_EQ(grid("Tabelle")->cellText(2, 6), "6");

    // ---- Every crossing, a few of them of other types ----
    struct LineClicks {
        std::vector<Click> clicks;
        double length = 0;
        bool circle = false;
    };
    std::vector<LineClicks> lines;
    for (int y : kLineRows) {
        LineClicks l;
        l.length = kLineEnd - kLineStart;
        l.clicks = clicksFor(test::RowCrossings(*picture, y, kLineStart, kLineEnd), {{kLineStart, y}, {kLineEnd, y}});
        lines.push_back(l);
    }
    {
        LineClicks l;
        l.circle = true;
        l.length = 2 * std::numbers::pi * kCircleR;
        l.clicks = clicksFor(test::CircleCrossings(*picture, kCircleX, kCircleY, kCircleR), {});
        lines.push_back(l);
    }
    // A tangent and a second-phase boundary among the normal crossings.
    lines[2].clicks[2].type = 4;
    lines[1].clicks[5].type = 2;

    press("bSetInter");
    int crossingsClicked = 0;
    for (const LineClicks& l : lines) {
        for (const Click& c : l.clicks) {
            const std::string typeButton = "bTyp" + std::to_string(c.type);
            press(typeButton.c_str());
            clickImage(c.at.x, c.at.y);
            ++crossingsClicked;
        }
    }
    press("bTyp1");
    screenshot("measuring");

    // ---- Two second-phase stretches on the first line: its two shortest gaps ----
    std::vector<std::pair<int, int>> gaps;  // (gap length, index of the left crossing)
    for (std::size_t i = 1; i + 1 < lines[0].clicks.size(); ++i)
        gaps.push_back({lines[0].clicks[i + 1].at.x - lines[0].clicks[i].at.x, static_cast<int>(i)});
    std::sort(gaps.begin(), gaps.end());
    press("bFail");
    double secondPhase = 0;
    for (int g = 0; g < 2; ++g) {
        const Crossing& a = lines[0].clicks[gaps[g].second].at;
        const Crossing& b = lines[0].clicks[gaps[g].second + 1].at;
        clickImage((a.x + b.x) / 2, a.y);
        secondPhase += b.x - a.x;
    }

    // ---- What the sheet must say, worked out from the clicks ----
    double totalLength = 0, weighted = 0;
    int trueCrossings = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        totalLength += lines[i].length;
        for (const Click& c : lines[i].clicks)
            weighted += weightOf(c.type, lines[i].circle);
    }
    for (int y : kLineRows)
        trueCrossings += static_cast<int>(test::RowCrossings(*picture, y, kLineStart, kLineEnd).size());
    trueCrossings += static_cast<int>(test::CircleCrossings(*picture, kCircleX, kCircleY, kCircleR).size());
    const double factor = 1.56;
    const double effective = totalLength - secondPhase;
    const double meanIntercept = effective / weighted;
    const double trueMeanIntercept = totalLength / trueCrossings;

    TAlignedGrid* sums = grid("Tabelle2");
    EXPECT_NEAR(sheetNumber(sums->cellText(1, 1)), totalLength, 0.0015);
    EXPECT_NEAR(sheetNumber(sums->cellText(2, 1)), secondPhase, 0.0015);
    EXPECT_NEAR(sheetNumber(sums->cellText(3, 1)), weighted, 0.05);
    EXPECT_NEAR(sheetNumber(sums->cellText(5, 1)), meanIntercept * factor, 0.0015);
    const double measured = sheetNumber(sums->cellText(5, 1)) / factor;
    EXPECT_LT(std::abs(measured / trueMeanIntercept - 1), 0.03)
        << "mean intercept " << measured << " px against " << trueMeanIntercept << " px in the picture";
    RecordProperty("meanInterceptPx", std::to_string(measured));
    RecordProperty("trueMeanInterceptPx", std::to_string(trueMeanIntercept));
    RecordProperty("crossingsClicked", crossingsClicked);
    RecordProperty("trueCrossings", trueCrossings);

    // ---- Calibrate: 200 pixels are 50 µm ----
    press("bKalibieren");
    ASSERT_TRUE(fKalibieren()->isVisible());
    drawLine(100, 600, 300, 600);
    EXPECT_EQ(fKalibieren()->findChild<QLineEdit*>("tPixel")->text(), "200,000");
    test::typeInto(fKalibieren()->findChild<QLineEdit*>("tEcht"), "50");
    QTest::mouseClick(fKalibieren()->findChild<QPushButton*>("bOk"), Qt::LeftButton);
    EXPECT_FALSE(fKalibieren()->isVisible());
    EXPECT_TRUE(button("bFail")->isChecked()) << "the mode before calibrating comes back";
    const double scale = 50.0 / 200.0;
    EXPECT_NEAR(sheetNumber(sums->cellText(7, 1)), meanIntercept * scale * factor, 0.0015);
    EXPECT_NEAR(sheetNumber(sums->cellText(6, 1)), effective * scale, 0.0015);

    // ---- Copy the sheet ----
    QApplication::clipboard()->clear();
    QTest::mouseClick(fTabelle()->findChild<QToolButton*>("tCopy"), Qt::LeftButton);
    const QString copied = QApplication::clipboard()->text();
    EXPECT_TRUE(copied.startsWith("Tesra measurement ")) << copied.left(80).toStdString();
    EXPECT_TRUE(copied.contains(sums->cellText(7, 1)));
    EXPECT_TRUE(copied.contains("\r\n"));

    // A look at a line's grey profile, for the pictures.
    press("bInfoModus");
    QTest::mouseClick(grid("Tabelle")->viewport(), Qt::LeftButton, {}, grid("Tabelle")->cellRect(3, 3).center());
    press("bLinieAnalysieren");
    screenshot("profile");

    const ScreenState measuredState = readScreen();
    EXPECT_EQ(measuredState.tabelle.size(), 6u);  // six lines

    // ---- Save, close, start afresh and open the saved file: everything reads back ----
    const QString saved = folder + "/grains measured.png";
    saveThroughDialog(saved);
    EXPECT_FALSE(main->windowTitle().startsWith('*'));
    main->close();
    EXPECT_FALSE(main->isVisible());

    struct Form {
        const char* extension;
        bool external;  // written by another program, with our trailer appended
    };
    const std::vector<Form> forms{{"png", false}, {"bmp", false}, {"tif", false}, {"jpg", false}, {"pcx", true}};
    for (const Form& form : forms) {
        SCOPED_TRACE(form.extension);
        QString path = folder + "/grains measured." + form.extension;
        if (form.external) {
            const QString convert = QStandardPaths::findExecutable("convert");
            if (convert.isEmpty()) {
                RecordProperty("pcxSkipped", "no convert program to write PCX");
                continue;
            }
            const QString plain = folder + "/plain.pcx";
            ASSERT_EQ(QProcess::execute(convert, {source, plain}), 0);
            test::writeFile(path.toStdString(), withTrailerOf(test::readFile(plain.toStdString()),
                                                              test::readFile((folder + "/grains measured.bmp").toStdString())));
        } else if (form.extension != std::string("png")) {
            // Saved from the program holding the measurement read back from the PNG.
            ASSERT_NO_FATAL_FAILURE(startProgram());
            ASSERT_NO_FATAL_FAILURE(openThroughDialog(saved));
            saveThroughDialog(path);
        }
        ASSERT_NO_FATAL_FAILURE(startProgram());
        boxes.clear();
        ASSERT_NO_FATAL_FAILURE(openThroughDialog(path));
        EXPECT_TRUE(boxes.empty()) << boxes.front().text.toStdString();
        const ScreenState reopened = readScreen();
        EXPECT_EQ(reopened.tabelle, measuredState.tabelle);
        EXPECT_EQ(reopened.tabelleColours, measuredState.tabelleColours);
        EXPECT_EQ(reopened.tabelle2, measuredState.tabelle2);
        for (const auto& [name, text] : measuredState.texts)
            EXPECT_EQ(reopened.texts.at(name), text) << name;
    }
}

}  // namespace
}  // namespace tesra
