// The specimen window in a measuring session: five fields measured through the real windows,
// each added by "add on every save", the summary a user reads, the CSV file it keeps (the
// same table `tesra --fields` prints from the saved images), and the file reopened.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "app/fields_mode.h"
#include "app/uDialogs.h"
#include "app/uMain.h"
#include "app/uStartup.h"
#include "imaging/formats/image_format.h"
#include "results/fields_csv.h"
#include "results/uKalibieren.h"
#include "results/uProbe.h"
#include "results/uReport.h"
#include "results/uTabelle.h"
#include "tests/test_support.h"
#include "tests/uUserSteps.h"
#include "view/uImage.h"

namespace tesra {
namespace {

class SpecimenWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = QString::fromStdString(test::makeTempDir("specimen"));
        SetBoxHandler([this](const BoxRequest& request) {
            boxes.push_back(request.text.toStdString());
            return request.buttons == BoxButtons::YesNo ? BoxAnswer::Yes : BoxAnswer::Ok;
        });
        SetFileHandler([this](const FileRequest&) { return FileAnswer{nextFile, 0}; });
        StartupOptions options;
        main = StartProgram(*qApp, QString(), options);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main));
        main->showNormal();
        main->resize(1600, 1000);
        main->applyLocale(QLocale(QLocale::German, QLocale::Germany));
    }
    void TearDown() override
    {
        delete main;
        SetBoxHandler({});
        SetFileHandler({});
        std::filesystem::remove_all(folder.toStdString());
    }

    void press(const char* name) { test::pressButton(main, name); }
    void click(QWidget* canvas, int x, int y) { test::clickAt(canvas, QPoint(x, y)); }

    // One field: a grey image 400 × 300, one line of 360 pixels with `count` normal
    // intercepts, calibrated 200 px = 100 µm, saved as fieldN.png.
    void measureField(int n, int count, const char* real = "100", const char* unit = nullptr)
    {
        const QString source = folder + QString("/source%1.png").arg(n);
        TPixelGraphic g(400, 300, TPixelFormat::pf24Bit);
        saveImage(g, source.toStdString());
        nextFile = source;
        press("bLaden");
        QWidget* canvas = fImage()->findChild<QWidget*>("TempImage");
        ASSERT_NE(canvas, nullptr);
        press("bLinie");
        press("bAddLinie");
        click(canvas, 20, 100);
        QTest::mouseMove(canvas, QPoint(200, 100));
        click(canvas, 380, 100);
        press("bSetInter");
        for (int j = 1; j <= count; ++j)
            click(canvas, 20 + 360 * j / (count + 1), 100);
        press("bKalibieren");
        auto* realEdit = fKalibieren()->findChild<QLineEdit*>("tEcht");
        if (unit) {
            auto* units = fKalibieren()->findChild<QComboBox*>("cbEinheit");
            units->setCurrentIndex(units->findText(QString::fromUtf8(unit)));
        }
        auto* pixel = fKalibieren()->findChild<QLineEdit*>("tPixel");
        for (auto [edit, text] : {std::pair{pixel, "200"}, std::pair{realEdit, real}}) {
            edit->setFocus();
            edit->selectAll();
            QTest::keyClicks(edit, text);
        }
        QTest::mouseClick(fKalibieren()->findChild<QPushButton*>("bOk"), Qt::LeftButton);
        nextFile = folder + QString("/field%1.png").arg(n);
        press("bSpeichern");
        saved.push_back(nextFile.toStdString());
    }

    TfMain* main = nullptr;
    QString folder, nextFile;
    std::vector<std::string> boxes, saved;
};

// ℓ̄ = 360 / count pixels × 0.5 µm: 20, 22.5, 18, 15, 20 µm. By hand: mean 19.1, s = √7.8 =
// 2.792848, CI = 2.776445 · s / √5 = 3.467779, RA = 18.156 %, G(0.0191 mm) = 8.133,
// n' = ⌈16.48⌉ = 17.
TEST_F(SpecimenWindow, FiveFieldsAddedOnSaveGiveTheSpecimenAndItsFile)
{
    QAction* menu = main->findChild<QAction*>("mfProbe");
    ASSERT_NE(menu, nullptr);
    menu->trigger();
    TfProbe* probe = fProbe();
    ASSERT_NE(probe, nullptr);
    nextFile = folder + "/specimen";
    QTest::mouseClick(probe->findChild<QPushButton*>("bSaveProbe"), Qt::LeftButton);
    EXPECT_EQ(probe->specimenFile(), folder + "/specimen.csv");
    probe->findChild<QCheckBox*>("cbAddOnSave")->click();

    const int counts[] = {9, 8, 10, 12, 9};
    for (int n = 0; n < 5; ++n)
        ASSERT_NO_FATAL_FAILURE(measureField(n + 1, counts[n]));
    EXPECT_TRUE(boxes.empty()) << boxes.front();

    // The last field's G in the main window's panel and in the sheet's sum row (one decimal).
    EXPECT_EQ(main->findChild<QLabel*>("pG")->text(), "G: 8,0");
    EXPECT_EQ(fTabelle()->sheet().sumCell(9, 1), "8,0");

    auto* table = probe->findChild<QTableWidget*>("Felder");
    ASSERT_EQ(table->rowCount(), 5);
    // With TESRA_SCREENSHOTS set to a folder: the frame with the specimen window on two screens.
    if (const QString shots = qEnvironmentVariable("TESRA_SCREENSHOTS"); !shots.isEmpty()) {
        ShowProbe();
        for (QSize size : {QSize(1920, 1080), QSize(1366, 768)}) {
            main->resize(size);
            QApplication::processEvents();
            main->grab().save(shots + QString("/specimen-%1.png").arg(size.width()));
        }
        QString error;
        WriteSpecimenReport(shots + "/specimen-report.pdf", probe->fields(), NumberLocale::German(), &error);
    }
    EXPECT_EQ(table->item(1, 0)->text(), "field2.png");
    EXPECT_EQ(table->item(1, 3)->text(), "8,0");
    EXPECT_EQ(table->item(1, 4)->text(), "45,000");
    EXPECT_EQ(table->item(1, 5)->text(), "22,500 µm");
    EXPECT_EQ(table->item(1, 6)->text(), "7,7");
    const QString summary = probe->findChild<QLabel*>("tSummary")->text();
    for (const char* expected : {"5 of 5", "19,100 ± 3,468 µm", "2,793 µm", "2,776", "18,2 %", "8,1", ">17<"})
        EXPECT_TRUE(summary.contains(QString::fromUtf8(expected))) << expected << " in " << summary.toStdString();

    // The kept file is the table `tesra --fields` prints for the saved images.
    std::ostringstream out, err;
    EXPECT_EQ(PrintFields(saved, out, err), 0) << err.str();
    const std::vector<std::uint8_t> kept = test::readFile((folder + "/specimen.csv").toStdString());
    EXPECT_EQ(std::string(kept.begin(), kept.end()), out.str());
    EXPECT_NE(out.str().find("specimen,5,1800,48,38.2,19.1,µm,8.132566777,3.467778825,18.15591008\n"),
              std::string::npos) << out.str();

    // Saving the same image again replaces its field; a reopened file shows the same fields.
    press("bSpeichern");
    EXPECT_EQ(table->rowCount(), 5);
    table->setCurrentCell(0, 0);
    QTest::mouseClick(probe->findChild<QPushButton*>("bRemoveField"), Qt::LeftButton);
    EXPECT_EQ(table->rowCount(), 4);
    nextFile = folder + "/specimen.csv";
    QTest::mouseClick(probe->findChild<QPushButton*>("bOpenProbe"), Qt::LeftButton);
    EXPECT_EQ(probe->fields().size(), 4u);
    EXPECT_EQ(probe->fields()[0].name, saved[1]);

    // A file that is not a specimen is refused with a message; the fields stay.
    test::writeFile((folder + "/other.csv").toStdString(), {'a', ',', 'b', '\n'});
    nextFile = folder + "/other.csv";
    QTest::mouseClick(probe->findChild<QPushButton*>("bOpenProbe"), Qt::LeftButton);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(probe->fields().size(), 4u);
}

// Line mode's standard patterns: each is laid at once, inside the image; a pattern that does
// not fit the measurement's 300 lines is refused with a message and lays nothing.
TEST_F(SpecimenWindow, PatternsAreLaidInOneStepAndRefusedWhenTheyDoNotFit)
{
    const QString source = folder + "/grid.png";
    saveImage(TPixelGraphic(640, 480, TPixelFormat::pf24Bit), source.toStdString());
    nextFile = source;
    press("bLaden");
    press("bLinie");
    ASSERT_TRUE(main->findChild<QToolButton*>("bPattern")->isVisible());
    main->findChild<QAction*>("mPatternCircles")->trigger();
    ASSERT_EQ(main->document().measurement().lineCount(), 3);
    EXPECT_TRUE(main->document().measurement().line(1).isCircle);
    main->findChild<QSpinBox*>("tPatternN")->setValue(3);
    main->findChild<QSpinBox*>("tPatternM")->setValue(2);
    main->findChild<QAction*>("mPatternGrid")->trigger();
    ASSERT_EQ(main->document().measurement().lineCount(), 8);
    EXPECT_EQ(fTabelle()->sheet().rowCount(), 9);
    EXPECT_TRUE(main->modified());
    for (const TestLine& l : main->document().measurement().lines())
        EXPECT_TRUE(l.x1 >= 0 && l.x2 < 640 && std::min(l.y1, l.y2) >= 0 && std::max(l.y1, l.y2) < 480);

    main->findChild<QSpinBox*>("tPatternN")->setValue(300);
    main->findChild<QAction*>("mPatternParallel")->trigger();
    EXPECT_EQ(main->document().measurement().lineCount(), 8);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("292"), std::string::npos) << boxes[0];
}

// A calibration in millimetres goes into the file with its unit: the sheet's G and the stored
// field (read back without a window) use it.
TEST_F(SpecimenWindow, TheCalibrationsUnitIsStoredWithIt)
{
    ASSERT_NO_FATAL_FAILURE(measureField(1, 9, "0,1", "mm"));
    EXPECT_EQ(main->document().measurement().calibration.unit, LengthUnit::Millimetre);
    EXPECT_EQ(fTabelle()->sheet().sumCell(9, 1), "8,0");
    std::ostringstream out, err;
    EXPECT_EQ(PrintFields(saved, out, err), 0);
    EXPECT_NE(out.str().find(",1,360,9,40,0.02,mm,7.999712057,,\n"), std::string::npos) << out.str();
    if (const QString shots = qEnvironmentVariable("TESRA_SCREENSHOTS"); !shots.isEmpty()) {
        fKalibieren()->show();
        QApplication::processEvents();
        fKalibieren()->grab().save(shots + "/calibration.png");
    }
}

// Save photo with the scale bar: a white box with a black bar in the bottom-right corner of a
// calibrated image; without calibration the photo has none.
TEST_F(SpecimenWindow, PhotoCarriesTheScaleBarWhenAskedAndCalibrated)
{
    ASSERT_NO_FATAL_FAILURE(measureField(1, 9));
    main->findChild<QAction*>("mScaleBar")->setChecked(true);
    nextFile = folder + "/photo.png";
    press("bPhoto");
    TPixelGraphic photo;
    loadImage((folder + "/photo.png").toStdString(), photo);
    ASSERT_EQ(photo.Width(), 400);
    // The bar (40 µm = 80 px at 0.5 µm per pixel) is centred in its box near the corner.
    int black = 0, white = 0;
    for (int y = 240; y < 300; ++y) {
        for (int x = 280; x < 400; ++x) {
            const std::uint32_t c = photo.GetColor(x, y) & 0xFFFFFF;
            black += c == 0;
            white += c == 0xFFFFFF;
        }
    }
    EXPECT_GT(white, 500);
    EXPECT_GT(black, 80 * 2);
}

}  // namespace
}  // namespace tesra
