// Pictures of the windows in English and in German, for a person to look at: with
// TESRA_LANGUAGE_SHOTS set to a folder, a measuring session runs in each language and saves
// the main window (1920 x 1080 and 1366 x 768), the sheet, the calibration dialog with its
// error box, the grey-value window, the specimen window and the about box. Without it the test is skipped.
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "analysis/uGrau.h"
#include "app/uCopyRight.h"
#include "app/uLanguage.h"
#include "results/uKalibieren.h"
#include "results/uProbe.h"
#include "results/uTabelle.h"
#include "tests/uProgramWithImage.h"
#include "tests/synthetic_micrograph.h"

namespace tesra::test {
namespace {

class LanguageShots : public ProgramWithImage, public ::testing::WithParamInterface<Language> {
protected:
    void TearDown() override
    {
        ProgramWithImage::TearDown();
        LoadLanguage(Language::Source);
    }
    void save(QWidget* window, const QString& name)
    {
        QApplication::processEvents();
        ASSERT_TRUE(window->grab().save(QDir(shots).filePath(name + "-" + LanguageCode(GetParam()) + ".png")));
    }
    QString shots = qEnvironmentVariable("TESRA_LANGUAGE_SHOTS");
};

TEST_P(LanguageShots, WindowsOfAMeasuringSession)
{
    if (shots.isEmpty())
        GTEST_SKIP() << "TESRA_LANGUAGE_SHOTS names no folder";
    LoadLanguage(GetParam());
    const SyntheticMicrograph picture = MakeGrainMicrograph(640, 480, 300, 20261207);
    openProgramWith(picture.image, QSize(700, 540));
    for (const int y : {100, 240, 380})
        drawLine(20, y, 620, y);
    press("bSetInter");
    for (const int y : {100, 240, 380})
        for (const Crossing& c : RowCrossings(picture, y, 20, 620))
            clickImage(c.x, c.y);

    // The calibration refused: the dialog and the box it shows.
    std::vector<BoxRequest> boxes;
    SetBoxHandler([&boxes](const BoxRequest& r) {
        boxes.push_back(r);
        return BoxAnswer::Ok;
    });
    press("bKalibieren");
    drawLine(40, 450, 240, 450);
    fKalibieren()->tEcht()->clear();
    QTest::keyClicks(fKalibieren()->cbPreset(), QString::fromUtf8("Objective 50\u00D7"));
    QTest::mouseClick(fKalibieren()->bOk(), Qt::LeftButton);
    ASSERT_EQ(boxes.size(), 1u);
    save(fKalibieren(), "calibration");
    QMessageBox box(QMessageBox::Critical, boxes[0].caption, boxes[0].text, QMessageBox::Ok);
    box.adjustSize();
    save(&box, "calibration-error");
    QTest::keyClicks(fKalibieren()->tEcht(), "100");
    QTest::mouseClick(fKalibieren()->bOk(), Qt::LeftButton);

    ASSERT_FALSE(fKalibieren()->isVisible());
    // The grey profile of line 2.
    fTabelle()->SelectLineRow(2);
    press("bInfoModus");
    press("bLinieAnalysieren");
    save(fGrau(), "grey");
    save(fTabelle(), "sheet");
    // The specimen window with this image as its field; it stays open in the frame's pictures.
    ShowProbe();
    QTest::mouseClick(fProbe()->findChild<QPushButton*>("bAddField"), Qt::LeftButton);
    save(fProbe(), "specimen");
    save(fCopyRight(), "about");
    for (const QSize size : {QSize(1920, 1080), QSize(1366, 768)}) {
        main->resize(size);
        // The specimen pane takes its room in a frame of this size, as when opened there.
        ShowProbe();
        save(main, QString("main-%1").arg(size.width()));
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, LanguageShots, ::testing::Values(Language::English, Language::German),
                         [](const ::testing::TestParamInfo<Language>& info) {
                             return std::string(info.param == Language::German ? "German" : "English");
                         });

}  // namespace
}  // namespace tesra::test
