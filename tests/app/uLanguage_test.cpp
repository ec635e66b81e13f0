// The program in each of its languages: the windows made after a catalogue is loaded show its
// texts (toolbars, sheet, calibration dialog and its error box), core texts included, while
// the clipboard text other programs read stays the same in every language.
#include "app/uLanguage.h"

#include <QAction>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolBar>

#include "imaging/formats/image_format.h"
#include "tests/results/uSheetWindows.h"

QT_BEGIN_NAMESPACE
// Readable texts in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
QT_END_NAMESPACE

namespace tesra::test {
namespace {

struct Expected {
    friend void PrintTo(const Expected& e, std::ostream* out) { *out << e.lineSetButton; }

    Language language;
    const char* lineSetButton;       // main window, toolbar "Datei"
    const char* fileToolbar;         // that toolbar's title
    const char* notCalibrated;       // main window panel tKal (a core text)
    const char* lineHeader;          // sheet header of column 3 (a core text)
    const char* sumLabel;            // sums grid, first column
    const char* realLengthLabel;     // calibration dialog
    const char* realLengthError;     // its error box (a core text)
    const char* errorCaption;
    const char* interceptsCaption;   // composed in the core with a number
};

const Expected kLanguages[] = {
    {Language::Source, "Linienset Laden", "Datei", "Not calibrated", "Line #", "Sum", "Real length",
     "Die Eingabe der echten Länge ist fehlerhaft!", "Kalibierung", "Intersections: 27,0"},
    {Language::English, "Load line set", "File", "Not calibrated", "Line #", "Sum", "Real length",
     "The real length entered is not valid!", "Calibration", "Intersections: 27,0"},
    {Language::German, "Linienset laden", "Datei", "Nicht kalibriert", "Linie Nr.", "Summe", "Echte Länge",
     "Die Eingabe der echten Länge ist fehlerhaft!", "Kalibrierung", "Schnittpunkte: 27,0"},
};

class LanguageTest : public SheetWindows, public ::testing::WithParamInterface<Expected> {
protected:
    void SetUp() override
    {
        LoadLanguage(GetParam().language);
        SheetWindows::SetUp();
    }
    void TearDown() override
    {
        SheetWindows::TearDown();
        LoadLanguage(Language::Source);
    }
    QString labelBeside(QWidget* field) const
    {
        for (QLabel* label : kalibieren->findChildren<QLabel*>())
            if (label->buddy() == field)
                return label->text();
        return {};
    }
};

TEST_P(LanguageTest, WindowsSpeakTheLoadedLanguage)
{
    const Expected& e = GetParam();
    ASSERT_EQ(CurrentLanguage(), e.language);
    auto* button = main->findChild<QAction*>("bLinieLaden");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), QString::fromUtf8(e.lineSetButton));
    auto* datei = main->findChild<QToolBar*>("Datei");
    ASSERT_NE(datei, nullptr);
    EXPECT_EQ(datei->windowTitle(), QString::fromUtf8(e.fileToolbar));
    EXPECT_EQ(main->findChild<QLabel*>("tKal")->text(), QString::fromUtf8(e.notCalibrated));
    EXPECT_EQ(cellText(2, 0), QString::fromUtf8(e.lineHeader));
    EXPECT_EQ(sumText(0, 1), QString::fromUtf8(e.sumLabel));

    measureThreeLines();
    EXPECT_EQ(main->findChild<QLabel*>("pInter")->text(), QString::fromUtf8(e.interceptsCaption));

    kalibieren->OpenCalibration();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(kalibieren.get()));
    kalibieren->ShowCalibrationDistance(100);
    EXPECT_EQ(labelBeside(kalibieren->tEcht()), QString::fromUtf8(e.realLengthLabel));
    kalibieren->tEcht()->clear();
    QTest::mouseClick(kalibieren->bOk(), Qt::LeftButton);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, QString::fromUtf8(e.realLengthError));
    EXPECT_EQ(boxes[0].caption, QString::fromUtf8(e.errorCaption));
}

TEST_P(LanguageTest, ClipboardTextIsTheSameInEveryLanguage)
{
    measureThreeLines();
    tabelle->Copy();
    const QString text = QGuiApplication::clipboard()->text();
    EXPECT_TRUE(text.startsWith("Tesra measurement "));
    EXPECT_TRUE(text.contains("\r\n!\t#\tTotal length in Pixel\tSecond phase length \tIntersections\t"));
    EXPECT_TRUE(text.contains("\r\nConfidence niveau of 95%:\r\n"));
}

TEST_P(LanguageTest, DamagedImageFilesAreToldInTheLoadedLanguage)
{
    // The readers compose their messages from catalogued pieces: the format's tag stays, the
    // words follow the language.
    const bool german = GetParam().language == Language::German;
    const struct {
        std::string bytes;
        const char* extension;
        const char* message;
    } files[] = {
        {"P5\n2 2\n255\n\x01", "pgm", german ? "PBM, PGM, PPM: Unerwartetes Dateiende" : "PBM, PGM, PPM: Unexpected end of file"},
        {std::string("II*\0\x08\0\0\0\0\0\0\0\0\0", 14), "tif",
         german ? "TIFF: Ungültiges Feld ImageWidth" : "TIFF: Invalid ImageWidth"},
    };
    for (const auto& file : files) {
        TPixelGraphic image;
        try {
            loadImage(ByteSpan(reinterpret_cast<const std::uint8_t*>(file.bytes.data()), file.bytes.size()), file.extension, image);
            ADD_FAILURE() << file.extension << " loaded";
        } catch (const std::exception& e) {
            EXPECT_EQ(std::string(e.what()), file.message);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, LanguageTest, ::testing::ValuesIn(kLanguages),
                         [](const ::testing::TestParamInfo<Expected>& info) {
                             switch (info.param.language) {
                             case Language::English: return std::string("English");
                             case Language::German: return std::string("German");
                             case Language::Source: break;
                             }
                             return std::string("Untranslated");
                         });

}  // namespace
}  // namespace tesra::test
