// The calibration dialog on the offscreen platform: its layout and keys, the distance drawn in
// the image arriving in it, and what Ok and Cancel do to the fields, the calibration, the
// sheet and the main window.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QToolButton>

#include <filesystem>

#include "app/uHelp.h"
#include "app/uStartup.h"
#include "imaging/formats/image_format.h"
#include "tests/uProgramWithImage.h"
#include "tests/test_support.h"
#include "tests/results/uSheetWindows.h"

namespace tesra::test {
namespace {

class TfKalibierenTest : public SheetWindows {
protected:
    void SetUp() override
    {
        SheetWindows::SetUp();
        measureThreeLines();
    }

    // Opens the dialog as the main window's Calibrate does, the distance measured.
    void openWithDistance(long double pixels)
    {
        kalibieren->OpenCalibration();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(kalibieren.get()));
        kalibieren->ShowCalibrationDistance(pixels);
    }
    void type(QLineEdit* field, const QString& text) { typeInto(field, text); }
    void pressEnter() { QTest::keyClick(kalibieren->tEcht(), Qt::Key_Return); }
    const Calibration& calibration() { return document().calibration(); }
};

TEST_F(TfKalibierenTest, IsAModelessToolWindowStayingOnTop)
{
    EXPECT_EQ(kalibieren->windowTitle(), "Calibrate");
    EXPECT_EQ(kalibieren->size(), QSize(389, 280));
    const Qt::WindowFlags flags = kalibieren->windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_TRUE(flags & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(flags & Qt::WindowCloseButtonHint);
    EXPECT_EQ(HelpContextFor(kalibieren->tEcht()), 3150);
    EXPECT_EQ(kalibieren->tFaktor()->text(), "1,56");
    EXPECT_EQ(kalibieren->tInfo()->maxLength(), 254);
    EXPECT_EQ(kalibieren->bOk()->text(), "Ok");
    EXPECT_EQ(kalibieren->bCancel()->text(), "Cancel");
    QStringList labels;
    for (const QLabel* label : kalibieren->findChildren<QLabel*>())
        labels << label->text();
    for (const char* text : {"Length in pixels", "Real length", "Second phase fraction in %",
                             "Conversion factor", "Remarks"})
        EXPECT_TRUE(labels.contains(text)) << text;

    openWithDistance(100);
    EXPECT_FALSE(kalibieren->isModal());
    EXPECT_FALSE(QApplication::activeModalWidget());
    EXPECT_EQ(main->state().mode, emCalibrate);
    // Tab walks the fields in their order, then the buttons.
    QWidget* order[] = {kalibieren->tPixel(), kalibieren->tEcht(), kalibieren->tFremdPhase(),
                        kalibieren->tFaktor(), kalibieren->tInfo(), kalibieren->cbEveryImage(),
                        kalibieren->bOk(), kalibieren->bCancel()};
    for (int i = 0; i + 1 < 8; ++i)
        EXPECT_EQ(order[i]->nextInFocusChain(), order[i + 1]) << i;
}

TEST_F(TfKalibierenTest, DistanceDrawnArrivesLiveInThePixelField)
{
    openWithDistance(141.42135623730951L);
    EXPECT_EQ(kalibieren->tPixel()->text(), "141,421");
    kalibieren->ShowCalibrationDistance(3);
    EXPECT_EQ(kalibieren->tPixel()->text(), "3,000");
}

TEST_F(TfKalibierenTest, OkWithGermanNumbersCalibratesTheSheetAndCloses)
{
    main->state().mode = emSetIntercept;
    openWithDistance(100);
    type(kalibieren->tEcht(), "25,5");
    pressEnter();
    EXPECT_TRUE(boxes.empty());
    EXPECT_FALSE(kalibieren->isVisible());
    EXPECT_EQ(kalibieren->tPixel()->text(), "100,000");
    EXPECT_EQ(kalibieren->tEcht()->text(), "25,500");
    EXPECT_EQ(kalibieren->tFaktor()->text(), "1,560");
    EXPECT_EQ(kalibieren->tFremdPhase()->text(), "");
    EXPECT_EQ(kalibieren->model().kalCaption(), "100,000 Pixel = 25,500");
    EXPECT_FALSE(kalibieren->model().kalWarning());
    EXPECT_DOUBLE_EQ(static_cast<double>(calibration().scale), 0.255);
    // Calibrated lengths and sizes: 1234 × 0.255 and 1234 / 10 × 1.56 × 0.255, by hand.
    EXPECT_EQ(cellText(8, 1), "314,670");
    EXPECT_EQ(cellText(9, 1), "49,089");
    EXPECT_EQ(cellText(8, 3), "80,111");
    EXPECT_EQ(sumText(6, 1), "471,281");
    EXPECT_EQ(sumText(7, 1), "27,230");
    EXPECT_EQ(sumText(7, 2), "±19,608");
    // Pixel columns stay as they were.
    EXPECT_EQ(cellText(7, 1), "192,504");
    EXPECT_EQ(main->state().mode, emSetIntercept);
    EXPECT_FALSE(tabelle->tFremdShown());
}

TEST_F(TfKalibierenTest, OkWithEnglishNumbers)
{
    useLocale(EnglishLocale());
    tabelle->Recompute();
    openWithDistance(100);
    EXPECT_EQ(kalibieren->tFaktor()->text(), "1.56");
    type(kalibieren->tEcht(), "25.5");
    pressEnter();
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(kalibieren->tEcht()->text(), "25.500");
    EXPECT_EQ(kalibieren->model().kalCaption(), "100.000 Pixel = 25.500");
    EXPECT_EQ(cellText(8, 1), "314.670");
    EXPECT_EQ(sumText(7, 1), "27.230");
}

TEST_F(TfKalibierenTest, EachRefusalShowsItsMessageAndKeepsTheDialogOpen)
{
    struct Case {
        const char* pixel;
        const char* echt;
        const char* fraction;
        const char* factor;
        const char* message;
    };
    const Case cases[] = {
        {"100,000", "", "", "1,56", "Die Eingabe der echten Länge ist fehlerhaft!"},
        {"100,000", "0", "", "1,56", "Die Eingabe der echten Länge ist fehlerhaft!"},
        {"0", "25", "", "1,56", "Die Eingabe der Länge in Pixel ist fehlerhaft!"},
        {"100 ", "25", "", "1,56", "Die Eingabe der Länge in Pixel ist fehlerhaft!"},
        {"100", "25", "100", "1,56", "Die Eingabe des Fremdphasenanteils ist fehlerhaft!"},
        {"100", "25", "-1", "1,56", "Die Eingabe des Fremdphasenanteils ist fehlerhaft!"},
        {"100", "25", "", "0", "Die Eingabe des Umrechnungsfaktors ist fehlerhaft!"},
        {"100", "25", "", "x", "Die Eingabe des Umrechnungsfaktors ist fehlerhaft!"},
    };
    openWithDistance(100);
    for (const Case& c : cases) {
        boxes.clear();
        type(kalibieren->tPixel(), c.pixel);
        type(kalibieren->tEcht(), c.echt);
        type(kalibieren->tFremdPhase(), c.fraction);
        type(kalibieren->tFaktor(), c.factor);
        QTest::mouseClick(kalibieren->bOk(), Qt::LeftButton);
        ASSERT_EQ(boxes.size(), 1u) << c.message;
        EXPECT_EQ(boxes[0].text, QString::fromUtf8(c.message));
        EXPECT_EQ(boxes[0].caption, "Kalibierung");
        EXPECT_EQ(boxes[0].icon, BoxIcon::Error);
        EXPECT_EQ(boxes[0].buttons, BoxButtons::Ok);
        EXPECT_TRUE(kalibieren->isVisible()) << c.message;
        EXPECT_EQ(calibration().scale, 1.0L) << c.message;
        EXPECT_EQ(main->state().mode, emCalibrate);
        EXPECT_EQ(cellText(8, 1), "1.234,000");
    }
    EXPECT_EQ(kalibieren->model().kalCaption(), "Not calibrated");
}

TEST_F(TfKalibierenTest, RefusedNumberShowsItsReplacedSeparator)
{
    openWithDistance(100);
    type(kalibieren->tEcht(), "1.234,5");
    pressEnter();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, QString::fromUtf8("Die Eingabe der echten Länge ist fehlerhaft!"));
    EXPECT_EQ(kalibieren->tEcht()->text(), "1.234.5");
    EXPECT_TRUE(kalibieren->isVisible());
}

TEST_F(TfKalibierenTest, EscapeRestoresTheFourTextsButNotTheFactor)
{
    kalibieren->model().fields().tInfo = "640x480";
    kalibieren->refresh();
    openWithDistance(100);
    type(kalibieren->tEcht(), "25,5");
    pressEnter();
    ASSERT_FALSE(kalibieren->isVisible());

    main->state().mode = emSecondPhase;
    kalibieren->OpenCalibration();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(kalibieren.get()));
    kalibieren->ShowCalibrationDistance(50);
    type(kalibieren->tEcht(), "7");
    type(kalibieren->tFremdPhase(), "12");
    type(kalibieren->tFaktor(), "2");
    type(kalibieren->tInfo(), "Probe 4");
    QTest::keyClick(kalibieren->tInfo(), Qt::Key_Escape);
    EXPECT_FALSE(kalibieren->isVisible());
    EXPECT_EQ(kalibieren->tPixel()->text(), "100,000");
    EXPECT_EQ(kalibieren->tEcht()->text(), "25,500");
    EXPECT_EQ(kalibieren->tFremdPhase()->text(), "");
    EXPECT_EQ(kalibieren->tInfo()->text(), "640x480");
    EXPECT_EQ(kalibieren->tFaktor()->text(), "2");
    EXPECT_DOUBLE_EQ(static_cast<double>(calibration().scale), 0.255);
    EXPECT_EQ(calibration().conversionFactor, 1.56L);
    EXPECT_EQ(main->state().mode, emSecondPhase);

    // The Cancel button does the same.
    kalibieren->OpenCalibration();
    type(kalibieren->tEcht(), "9");
    QTest::mouseClick(kalibieren->bCancel(), Qt::LeftButton);
    EXPECT_FALSE(kalibieren->isVisible());
    EXPECT_EQ(kalibieren->tEcht()->text(), "25,500");
}

TEST_F(TfKalibierenTest, FractionSetByCalibrationShowsOnTheSheet)
{
    openWithDistance(100);
    type(kalibieren->tEcht(), "25,5");
    type(kalibieren->tFremdPhase(), "10");
    pressEnter();
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(kalibieren->tFremdPhase()->text(), "10,000");
    EXPECT_TRUE(tabelle->tFremdShown());
    EXPECT_EQ(tabelle->tFremd()->text(), "Fremdphasenanteil per Kalibrierung: 10,000 Vol%");
    // Every line loses 10 % of its length to the second phase.
    EXPECT_EQ(cellText(4, 1), "123,400");
    EXPECT_EQ(cellText(6, 1), "1.110,600");
    EXPECT_EQ(cellText(10, 2), "10,000");

    kalibieren->OpenCalibration();
    type(kalibieren->tFremdPhase(), "");
    QTest::mouseClick(kalibieren->bOk(), Qt::LeftButton);
    EXPECT_FALSE(tabelle->tFremdShown());
    EXPECT_EQ(cellText(4, 1), "0,000");
}


TEST_F(TfKalibierenTest, PresetsAreKeptChosenAndDeletedAcrossDialogs)
{
    QSettings().clear();
    openWithDistance(200);
    type(kalibieren->tEcht(), "12,5");
    QComboBox* unit = kalibieren->findChild<QComboBox*>("cbEinheit");
    unit->setCurrentIndex(unit->findText("nm"));
    // A preset needs its name first.
    QTest::mouseClick(kalibieren->bPresetKeep(), Qt::LeftButton);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "A preset needs a name, a length in pixels and a real length.");
    QTest::keyClicks(kalibieren->cbPreset(), QString::fromUtf8("Objective 50\u00D7"));
    QTest::mouseClick(kalibieren->bPresetKeep(), Qt::LeftButton);
    EXPECT_EQ(boxes.size(), 1u);
    QTest::keyClick(kalibieren->tEcht(), Qt::Key_Escape);

    // Another dialog (the next run of the program) offers it; choosing it fills the lengths
    // and the unit, and Ok calibrates with them.
    kalibieren.reset();
    kalibieren = std::make_unique<TfKalibieren>(document(), main.get());
    ASSERT_EQ(kalibieren->cbPreset()->count(), 1);
    EXPECT_EQ(kalibieren->cbPreset()->itemText(0), QString::fromUtf8("Objective 50\u00D7"));
    openWithDistance(37);
    kalibieren->cbPreset()->setFocus();
    QTest::keyClick(kalibieren->cbPreset(), Qt::Key_Down);
    EXPECT_EQ(kalibieren->tPixel()->text(), "200");
    EXPECT_EQ(kalibieren->tEcht()->text(), "12,5");
    EXPECT_EQ(kalibieren->findChild<QComboBox*>("cbEinheit")->currentText(), "nm");
    // Enter in the preset box takes the preset of the typed name and does not confirm.
    type(kalibieren->tPixel(), "37");
    kalibieren->cbPreset()->lineEdit()->setText(QString::fromUtf8("Objective 50\u00D7"));
    QTest::keyClick(kalibieren->cbPreset()->lineEdit(), Qt::Key_Return);
    EXPECT_TRUE(kalibieren->isVisible());
    EXPECT_EQ(kalibieren->tPixel()->text(), "200");
    pressEnter();
    EXPECT_FALSE(kalibieren->isVisible());
    EXPECT_EQ(calibration().scale, 0.0625L);
    EXPECT_EQ(calibration().unit, LengthUnit::Nanometre);

    // Deleted, it is gone from the settings too.
    kalibieren->OpenCalibration();
    QTest::mouseClick(kalibieren->bPresetDelete(), Qt::LeftButton);
    EXPECT_EQ(kalibieren->cbPreset()->count(), 0);
    QSettings settings;
    EXPECT_TRUE(StoredPresets(settings).empty());
    EXPECT_EQ(boxes.size(), 1u);
}

// A settings file edited by hand: entries that are no calibration are left out, and a count
// of two billion presets is not walked to its end.
TEST(CalibrationSettings, HandEditedEntriesAreReadWithCare)
{
    QSettings settings;
    settings.clear();
    settings.setValue("calibration/presets/1/name", "Good");
    settings.setValue("calibration/presets/1/pixels", "200");
    settings.setValue("calibration/presets/1/real", "50");
    settings.setValue("calibration/presets/1/unit", "mm");
    settings.setValue("calibration/presets/2/name", "Zero");
    settings.setValue("calibration/presets/2/pixels", "0");
    settings.setValue("calibration/presets/2/real", "50");
    settings.setValue("calibration/presets/2/unit", "um");
    settings.setValue("calibration/presets/size", 2000000000);
    const std::vector<CalibrationPreset> presets = StoredPresets(settings);
    ASSERT_EQ(presets.size(), 1u);
    EXPECT_EQ(presets[0], (CalibrationPreset{"Good", 200, 50, LengthUnit::Millimetre}));

    // The last calibration counts only while the option is on, and only when it reads.
    settings.setValue("calibration/last/pixels", "100");
    settings.setValue("calibration/last/real", "25.5");
    settings.setValue("calibration/last/unit", "um");
    EXPECT_FALSE(CalibrationForEveryImage(settings));
    settings.setValue("calibration/everyImage", true);
    EXPECT_EQ(CalibrationForEveryImage(settings), (CalibrationPreset{"", 100, 25.5L, LengthUnit::Micrometre}));
    settings.setValue("calibration/last/real", "abc");
    EXPECT_FALSE(CalibrationForEveryImage(settings));
    settings.clear();
}

// The whole road through the program's windows: an image opened, lines drawn and intercepts
// marked with the mouse, Calibrate pressed, the reference distance drawn in the image, the
// real length typed, Enter.
class CalibrationInTheProgram : public test::ProgramWithImage {
protected:
    void SetUp() override
    {
        TPixelGraphic picture(400, 300, TPixelFormat::pf24Bit);
        for (int y = 0; y < 300; ++y) {
            for (int x = 0; x < 400; ++x)
                picture.SetPixel(x, y, rgb(10, 20, 30));
        }
        ASSERT_NO_FATAL_FAILURE(openProgramWith(picture, QSize()));
        SetBoxHandler([this](const BoxRequest& request) {
            boxes.push_back(request);
            return BoxAnswer::Ok;
        });
    }
    void TearDown() override
    {
        ProgramWithImage::TearDown();
    }

    void useLocale(const QLocale& locale)
    {
        main->applyLocale(locale);
    }
    void click(int x, int y) { clickAt(canvas, QPoint(x, y)); }

    // Two lines of 300 and 200 pixels, with 6 and 3 intercepts clicked on them.
    void measure()
    {
        press("bLinie");
        click(50, 40);
        click(350, 40);
        click(50, 120);
        click(250, 120);
        press("bSetInter");
        for (int x : {80, 120, 160, 200, 240, 280})
            click(x, 40);
        for (int x : {100, 150, 200})
            click(x, 120);
        ASSERT_EQ(main->document().measurement().lineCount(), 2);
        ASSERT_EQ(main->document().measurement().line(1).weightedCount, 6.0L);
    }

    void calibrate(const QString& realLength)
    {
        press("bKalibieren");
        ASSERT_TRUE(fKalibieren()->isVisible());
        ASSERT_EQ(main->state().mode, emCalibrate);
        // The reference distance: 100 pixels across the image.
        click(100, 250);
        click(200, 250);
        QTest::keyClicks(fKalibieren()->tEcht(), realLength);
        QTest::keyClick(fKalibieren()->tEcht(), Qt::Key_Return);
    }

    QString tKal() const { return main->findChild<QLabel*>("tKal")->text(); }
    QString cell(int col, int row) const { return fTabelle()->Tabelle()->cellText(col, row); }

    std::vector<BoxRequest> boxes;
};

TEST_F(CalibrationInTheProgram, GermanRealLength)
{
    useLocale(GermanLocale());
    measure();
    EXPECT_EQ(cell(8, 1), "300,000");
    EXPECT_EQ(tKal(), "Not calibrated");
    calibrate("25,5");
    EXPECT_TRUE(boxes.empty());
    EXPECT_FALSE(fKalibieren()->isVisible());
    EXPECT_EQ(fKalibieren()->tPixel()->text(), "100,000");
    EXPECT_EQ(tKal(), "100,000 Pixel = 25,500");
    // 300 × 0.255 and 300 / 6 × 1.56 × 0.255.
    EXPECT_EQ(cell(8, 1), "76,500");
    EXPECT_EQ(cell(9, 1), "19,890");
    EXPECT_EQ(cell(8, 2), "51,000");
    EXPECT_EQ(main->state().mode, emSetIntercept);
}

TEST_F(CalibrationInTheProgram, EnglishRealLength)
{
    useLocale(EnglishLocale());
    measure();
    calibrate("25.5");
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(tKal(), "100.000 Pixel = 25.500");
    EXPECT_EQ(cell(8, 1), "76.500");
    EXPECT_EQ(cell(9, 1), "19.890");
    EXPECT_EQ(main->state().mode, emSetIntercept);
}

// With the option ticked, every image opened without a calibration of its own takes the last
// one accepted; opening is no change to save. Without it, the next image starts uncalibrated.
TEST_F(CalibrationInTheProgram, LastCalibrationIsAppliedToEveryImageOpenedWhenAsked)
{
    QSettings().clear();
    useLocale(GermanLocale());
    measure();
    press("bKalibieren");
    QCheckBox* everyImage = fKalibieren()->cbEveryImage();
    EXPECT_FALSE(everyImage->isChecked());
    QTest::mouseClick(everyImage, Qt::LeftButton, {}, QPoint(6, everyImage->height() / 2));
    EXPECT_TRUE(everyImage->isChecked());
    QTest::keyClick(fKalibieren()->tEcht(), Qt::Key_Escape);
    calibrate("25,5");
    ASSERT_EQ(tKal(), "100,000 Pixel = 25,500");

    SetBoxHandler([this](const BoxRequest& request) {
        boxes.push_back(request);
        return BoxAnswer::Discard;
    });
    press("bLaden");
    EXPECT_EQ(main->document().measurement().lineCount(), 0);
    EXPECT_EQ(tKal(), "100,000 Pixel = 25,500");
    EXPECT_EQ(main->document().calibration().scale, 0.255L);
    EXPECT_FALSE(main->document().modified());

    press("bKalibieren");
    QTest::mouseClick(everyImage, Qt::LeftButton, {}, QPoint(6, everyImage->height() / 2));
    EXPECT_FALSE(everyImage->isChecked());
    QTest::keyClick(fKalibieren()->tEcht(), Qt::Key_Escape);
    press("bLaden");
    EXPECT_EQ(tKal(), "Not calibrated");
}

TEST_F(CalibrationInTheProgram, RefusedLengthKeepsTheDialogAndTheFrameLocked)
{
    useLocale(GermanLocale());
    measure();
    calibrate("abc");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Kalibierung");
    EXPECT_TRUE(fKalibieren()->isVisible());
    EXPECT_EQ(main->state().mode, emCalibrate);
    EXPECT_EQ(tKal(), "Not calibrated");
    QTest::keyClick(fKalibieren()->tEcht(), Qt::Key_Escape);
    EXPECT_FALSE(fKalibieren()->isVisible());
    EXPECT_EQ(fKalibieren()->tEcht()->text(), "");
    EXPECT_EQ(main->state().mode, emSetIntercept);
}

}  // namespace
}  // namespace tesra::test
