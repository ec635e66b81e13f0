// The result sheet window on the offscreen platform: what its grids show after a measurement,
// and what the user's clicks, keys and "Copy" do.
#include <QClipboard>
#include <QLabel>
#include <QMimeData>
#include <QStyle>
#include <QStyleFactory>
#include <QToolButton>

#include <filesystem>

#include "common/csv_text.h"
#include "tests/results/uSheetWindows.h"
#include "tests/test_support.h"
#include "tests/uWindowPictures.h"

namespace tesra::test {
namespace {

using TfTabelleTest = SheetWindows;

// Worked out by hand from the lengths and counts of measureThreeLines() (conversion factor
// 1.56, not calibrated, German separators).
const char* const kRows[3][11] = {
    {"\u2713", "", "1", "1.234,000", "0,000", "10,000", "1.234,000", "192,504", "1.234,000", "192,504", "0,000"},
    {"\u2713", "", "2", "300,000", "0,000", "4,000", "300,000", "117,000", "300,000", "117,000", "0,000"},
    {"\u2713", "A", "3", "314,159", "0,000", "13,000", "314,159", "37,699", "314,159", "37,699", "0,000"},
};
const char* const kSums[9] = {"Sum", "1.848,159", "0,000", "27,0", "1.848,159", "106,783",
                              "1.848,159", "106,783", "0,000"};
const char* const kLimits[9] = {"Confidence / Error", "", "", "9,0±6,5", "", "±76,892", "",
                                "±76,892", ""};

TEST_F(TfTabelleTest, StartsEmptyWithItsTitlesAndHiddenPanels)
{
    EXPECT_EQ(tabelle->windowTitle(), "Sheet");
    EXPECT_EQ(grid()->gridRowCount(), 2);
    EXPECT_EQ(grid()->gridColumnCount(), 11);
    const char* headers[] = {"A", "!", "Line #", "Total length", "2d phase", "Intersections",
                             "Length", "ø grain size", "Cal. Length", "ø cal. size", "Vol % 2nd P"};
    for (int c = 0; c < 11; ++c) {
        EXPECT_EQ(cellText(c, 0), QString::fromUtf8(headers[c])) << c;
        EXPECT_EQ(cellText(c, 1), "") << c;
    }
    EXPECT_EQ(grid()->columnWidth(0), 17);
    EXPECT_EQ(grid()->columnWidth(1), 43);
    for (int c = 2; c < 11; ++c)
        EXPECT_GE(grid()->columnWidth(c), 64) << c;
    EXPECT_EQ(grid()->rowHeight(0), 18);
    const char* sumHeaders[] = {"Total length", "2nd phase", "Intersections", "Length",
                                "ø Grain size", "Cal. length", "ø Cal. size", "Vol % 2nd P", "G"};
    for (int c = 1; c < 10; ++c)
        EXPECT_EQ(sumText(c, 0), QString::fromUtf8(sumHeaders[c - 1])) << c;
    EXPECT_EQ(sumText(0, 1), "Sum");
    EXPECT_EQ(sumText(0, 2), "Confidence / Error");
    EXPECT_EQ(sums()->gridColumnCount(), 10);
    EXPECT_EQ(sums()->gridRowCount(), 3);
    EXPECT_EQ(tabelle->tCopy()->text(), "Copy");
    EXPECT_FALSE(tabelle->tFremdShown());
    EXPECT_FALSE(tabelle->tWarnungShown());
    EXPECT_EQ(tabelle->tWarnung()->text(), "Anisotropie liegt vielleicht vor!");
}

TEST_F(TfTabelleTest, ThreeLinesShowTheCoreTextsAndColours)
{
    measureThreeLines();
    ASSERT_EQ(grid()->gridRowCount(), 4);
    for (int r = 1; r <= 3; ++r) {
        for (int c = 0; c < 11; ++c) {
            EXPECT_EQ(cellText(c, r), QString::fromUtf8(kRows[r - 1][c])) << c << "," << r;
            EXPECT_EQ(cellText(c, r), TfTabelle::DisplayText(c, tabelle->sheet().cell(c, r)));
        }
    }
    for (int c = 0; c < 9; ++c) {
        EXPECT_EQ(sumText(c, 1), QString::fromUtf8(kSums[c])) << c;
        EXPECT_EQ(sumText(c, 2), QString::fromUtf8(kLimits[c])) << c;
    }
    // Colours as set: lime marks, the short circle flagged red, no colour elsewhere.
    EXPECT_EQ(grid()->cellColour(0, 1), QColor(0, 255, 0));
    EXPECT_EQ(grid()->cellColour(1, 3), QColor(255, 0, 0));
    EXPECT_FALSE(grid()->cellColour(1, 1).isValid());
    // CV 0.509 is more than twice the target 0.192 for 27 intercepts.
    EXPECT_TRUE(tabelle->tWarnungShown());
    EXPECT_EQ(tabelle->tWarnung()->text(), "Check for anisotropy! (2,65)");

    // And as drawn: the row mark lime with a dark tick, the flag red with its letter, also
    // in the selected first row.
    const QImage picture = rendered(grid());
    EXPECT_EQ(cornerPixel(picture, grid(), 0, 1), QColor(0, 255, 0));
    EXPECT_EQ(cornerPixel(picture, grid(), 0, 3), QColor(0, 255, 0));
    EXPECT_GT(darkPixels(picture, grid(), 0, 2), 4);
    EXPECT_EQ(cornerPixel(picture, grid(), 1, 3), QColor(255, 0, 0));
    EXPECT_GT(darkPixels(picture, grid(), 1, 3), 4);
    EXPECT_EQ(darkPixels(picture, grid(), 1, 2), 0);
    EXPECT_GT(darkPixels(picture, grid(), 7, 2), 4);
    const QImage sumPicture = rendered(sums());
    EXPECT_GT(darkPixels(sumPicture, sums(), 3, 2), 4);
}

TEST_F(TfTabelleTest, ClickSelectsTheLineInTheImage)
{
    measureThreeLines();
    clickRow(2);
    EXPECT_EQ(image->selectedLine(), 2);
    EXPECT_EQ(tabelle->sheet().currentRow(), 2);
    // The arrow keys move the selection as well.
    key(grid(), Qt::Key_Down);
    EXPECT_EQ(image->selectedLine(), 3);
    // The image window's selection comes back to the sheet without going round again.
    tabelle->SelectLineRow(1);
    EXPECT_EQ(grid()->currentGridRow(), 1);
    EXPECT_EQ(image->selectedLine(), 3);
}

TEST_F(TfTabelleTest, ClickOnAnEmptySheetDoesNothing)
{
    clickRow(1);
    EXPECT_EQ(image->selectedLine(), 0);
    key(grid(), Qt::Key_Delete);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(TfTabelleTest, DoubleClickTogglesTheMarkButNoResult)
{
    measureThreeLines();
    main->ClearModified();
    doubleClickRow(2);
    EXPECT_FALSE(measurement().line(2).active);
    EXPECT_EQ(cellText(0, 2), "");
    EXPECT_EQ(grid()->cellColour(0, 2), QColor(192, 192, 192));
    EXPECT_EQ(cornerPixel(rendered(grid()), grid(), 0, 2), QColor(192, 192, 192));
    EXPECT_EQ(darkPixels(rendered(grid()), grid(), 0, 2), 0);
    EXPECT_TRUE(main->modified());
    // The mark takes a line out of the drawing only: sums and statistics stay.
    for (int c = 0; c < 9; ++c)
        EXPECT_EQ(sumText(c, 1), QString::fromUtf8(kSums[c])) << c;
    EXPECT_EQ(cellText(7, 2), "117,000");

    doubleClickRow(2);
    EXPECT_TRUE(measurement().line(2).active);
    EXPECT_EQ(cellText(0, 2), "\u2713");
    EXPECT_EQ(cornerPixel(rendered(grid()), grid(), 0, 2), QColor(0, 255, 0));
}

TEST_F(TfTabelleTest, DoubleClickGreysTheLineInTheImage)
{
    QWidget* canvas = showImage(400, 260);
    ASSERT_NE(canvas, nullptr);
    measureThreeLines();
    // A point of line 2 (y = 50) away from its intercept marks.
    auto linePixel = [canvas] { return canvas->grab().toImage().pixelColor(275, 50); };
    EXPECT_EQ(linePixel(), QColor(0, 255, 0));
    doubleClickRow(2);
    EXPECT_EQ(linePixel(), QColor(0xDD, 0xDD, 0xDD));
    // Line 1 stays lime.
    EXPECT_EQ(canvas->grab().toImage().pixelColor(350, 10), QColor(0, 255, 0));
}

TEST_F(TfTabelleTest, DeleteAnsweredNoChangesNothing)
{
    measureThreeLines();
    main->ClearModified();
    clickRow(2);
    nextAnswer = BoxAnswer::No;
    key(grid(), Qt::Key_Delete);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Delete line # 2?");
    EXPECT_EQ(boxes[0].caption, "Delete line");
    EXPECT_EQ(boxes[0].icon, BoxIcon::Question);
    EXPECT_EQ(boxes[0].buttons, BoxButtons::YesNo);
    EXPECT_EQ(measurement().lineCount(), 3);
    EXPECT_EQ(grid()->gridRowCount(), 4);
    EXPECT_EQ(cellText(3, 2), "300,000");
    EXPECT_FALSE(main->modified());
}

TEST_F(TfTabelleTest, DeleteAnsweredYesRemovesTheRowAndRenumbers)
{
    measureThreeLines();
    main->ClearModified();
    clickRow(2);
    nextAnswer = BoxAnswer::Yes;
    key(grid(), Qt::Key_Delete);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(measurement().lineCount(), 2);
    ASSERT_EQ(grid()->gridRowCount(), 3);
    EXPECT_EQ(cellText(2, 1), "1");
    EXPECT_EQ(cellText(3, 1), "1.234,000");
    // The circle moved up and took the number 2.
    EXPECT_EQ(cellText(2, 2), "2");
    EXPECT_EQ(cellText(3, 2), "314,159");
    EXPECT_EQ(cellText(1, 2), "A");
    EXPECT_EQ(sumText(3, 1), "23,0");
    // The selection follows to the line before the deleted one.
    EXPECT_EQ(image->selectedLine(), 1);
    EXPECT_EQ(grid()->currentGridRow(), 1);
    EXPECT_TRUE(main->modified());
}

TEST_F(TfTabelleTest, DeletingTheOnlyLineLeavesOneEmptyRow)
{
    addLine(0, 10, 200, 10);
    addIntercept(1, 100, 10);
    nextAnswer = BoxAnswer::Yes;
    clickRow(1);
    key(grid(), Qt::Key_Delete);
    EXPECT_EQ(measurement().lineCount(), 0);
    EXPECT_EQ(grid()->gridRowCount(), 2);
    for (int c = 0; c < 11; ++c)
        EXPECT_EQ(cellText(c, 1), "") << c;
    for (int c = 1; c < 9; ++c)
        EXPECT_EQ(sumText(c, 1), "") << c;
    EXPECT_EQ(grid()->currentGridRow(), 1);
}

TEST_F(TfTabelleTest, F2ShowsTheInternalValues)
{
    measureThreeLines();
    key(grid(), Qt::Key_F2);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Interne Werte");
    EXPECT_EQ(boxes[0].buttons, BoxButtons::Ok);
    EXPECT_EQ(boxes[0].text, "CV: 0,5091750772  Soll CV: 0,192\rS: 4,582575695  Sqrt(Nmittel): 3"
                             "\rCV/SollCV: 2,651953527\rS/Sqrt(Nmittel): 1,527525232");
    EXPECT_EQ(measurement().lineCount(), 3);
}

// The copied text of measureThreeLines(), line by line, in UTF-8.
std::vector<std::string> ExpectedExport(const std::string& fileName)
{
    return {
        "Tesra measurement 05.03.26 14:07:09",
        "File: " + fileName,
        "Remark: Schliff Ø 12 µm",
        "",
        "Calibration factor: \t1,000",
        "Conversion factor: \t1,560",
        "",
        "!\t#\tTotal length in Pixel\tSecond phase length \tIntersections\tEffective length\t"
        "ø grain size in Pixel\tCalibrated length\tø cal. grain size\tSecond phase",
        "\t1\t1.234,000\t0,000\t10,000\t1.234,000\t192,504\t1.234,000\t192,504\t0,000",
        "\t2\t300,000\t0,000\t4,000\t300,000\t117,000\t300,000\t117,000\t0,000",
        "A\t3\t314,159\t0,000\t13,000\t314,159\t37,699\t314,159\t37,699\t0,000",
        "",
        "\t\tTotal length in Pixel\tTotal length of second phase\tIntersections\t"
        "Effective length\tø grain size in Pixel\tCalibrated length\tø cal. grain size\t"
        "Second phase",
        "\t\t1.848,159\t0,000\t27,0\t1.848,159\t106,783\t1.848,159\t106,783\t0,000",
        "",
        "Confidence niveau of 95%:",
        "Confidence intervall:\t9,0±6,5\tIntersections",
        "ø grain size in Pixel:\t106,783±76,892",
        "ø cal. grain size:\t106,783±76,892",
    };
}

// Windows-1252 of the few characters the export holds beyond ASCII.
std::string ToWindows1252(const std::string& utf8)
{
    std::string out;
    const QString text = QString::fromUtf8(utf8);
    for (QChar ch : text) {
        EXPECT_LT(ch.unicode(), 256) << "not in the test's table";
        out += static_cast<char>(ch.unicode());
    }
    return out;
}

TEST_F(TfTabelleTest, CopyPutsAnsiBytesAndUnicodeTextOnTheClipboard)
{
    measureThreeLines();
    kalibieren->model().fields().tInfo = "Schliff Ø 12 µm";
    tabelle->setClock([] { return QDateTime(QDate(2026, 3, 5), QTime(14, 7, 9)); });
    QGuiApplication::clipboard()->clear();
    QTest::mouseClick(tabelle->tCopy(), Qt::LeftButton);

    std::string utf8;
    for (const std::string& line : ExpectedExport(main->imageFileName().toStdString()))
        utf8 += line + "\r\n";
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->hasText());
    EXPECT_EQ(data->text(), QString::fromUtf8(utf8));
    ASSERT_TRUE(data->hasFormat(kAnsiTextMimeType));
    const QByteArray ansi = data->data(kAnsiTextMimeType);
    EXPECT_EQ(ansi.toStdString(), ToWindows1252(utf8));
    // The bytes the spreadsheet reads: ø 248, ± 177, Ø 216, µ 181.
    EXPECT_TRUE(ansi.contains("\t\xF8 grain size in Pixel"));
    EXPECT_TRUE(ansi.contains("9,0\xB1" "6,5"));
    EXPECT_TRUE(ansi.contains("Schliff \xD8 12 \xB5m\r\n"));
    // Copying reads only.
    EXPECT_EQ(cellText(3, 1), "1.234,000");
    EXPECT_EQ(measurement().lineCount(), 3);
}

TEST_F(TfTabelleTest, CtrlCOnTheGridCopiesTheWholeSheet)
{
    measureThreeLines();
    QGuiApplication::clipboard()->clear();
    grid()->setFocus();
    clickRow(2);
    key(grid(), Qt::Key_C, Qt::ControlModifier);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    ASSERT_TRUE(data->hasFormat(kAnsiTextMimeType));
    EXPECT_TRUE(data->text().startsWith("Tesra measurement "));
    EXPECT_TRUE(data->text().contains("\t2\t300,000\t"));
    EXPECT_TRUE(data->text().endsWith("ø cal. grain size:\t106,783±76,892\r\n"));
}

TEST_F(TfTabelleTest, EnglishSeparatorsInGridAndCopy)
{
    useLocale(EnglishLocale());
    measureThreeLines();
    EXPECT_EQ(cellText(3, 1), "1,234.000");
    EXPECT_EQ(sumText(3, 2), "9.0±6.5");
    tabelle->Copy();
    const QString text = QGuiApplication::clipboard()->text();
    EXPECT_TRUE(text.contains("Calibration factor: \t1.000\r\n"));
    EXPECT_TRUE(text.contains("\t\t1,848.159\t0.000\t27.0\t"));
}

// The two CSV buttons write the same files whatever separators the windows use: a
// spreadsheet in any locale reads the numbers right.
TEST_F(TfTabelleTest, CsvButtonsWriteTheSameFilesInEveryLocale)
{
    measureThreeLines();
    // As wide as it stands below the image.
    tabelle->resize(1400, tabelle->height());
    QApplication::processEvents();
    const std::string dir = makeTempDir("sheet-csv");
    auto saveBoth = [&](const QLocale& locale, const std::string& tag) {
        useLocale(locale);
        for (auto [button, name] : {std::pair{tabelle->tSheetCsv(), "sheet"}, {tabelle->tInterceptCsv(), "list"}}) {
            // The name typed without ending gets ".csv".
            const QString path = QString::fromStdString(dir + "/" + name + tag);
            QString caption;
            SetFileHandler([&](const FileRequest& request) {
                caption = request.caption;
                return FileAnswer{path, 0};
            });
            QTest::mouseClick(button, Qt::LeftButton);
            EXPECT_EQ(caption, button->text());
        }
        SetFileHandler({});
    };
    saveBoth(GermanLocale(), "_de");
    saveBoth(EnglishLocale(), "_en");
    EXPECT_TRUE(boxes.empty());
    const auto sheetDe = readFile(dir + "/sheet_de.csv");
    EXPECT_EQ(sheetDe, readFile(dir + "/sheet_en.csv"));
    EXPECT_EQ(readFile(dir + "/list_de.csv"), readFile(dir + "/list_en.csv"));
    const auto rows = ParseCsv(std::string(sheetDe.begin(), sheetDe.end()));
    // The sums of the sheet above: 1848.159 px over 27 intercepts, in the sheet's order.
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0][2], "length_px");
    EXPECT_EQ(rows[1][2], "1234");
    EXPECT_EQ(rows[3][1], "1");
    EXPECT_EQ(rows[4][0], "total");
    EXPECT_EQ(rows[4][2], "1848.159265");
    EXPECT_EQ(rows[4][4], "27");
    const auto list = readFile(dir + "/list_de.csv");
    EXPECT_EQ(ParseCsv(std::string(list.begin(), list.end())).size(), 1u + measurement().intercepts().size());

    // A file that cannot be written is named in a message; nothing else happens.
    SetFileHandler([&](const FileRequest&) { return FileAnswer{QString::fromStdString(dir + "/no/such/x.csv"), 0}; });
    QTest::mouseClick(tabelle->tSheetCsv(), Qt::LeftButton);
    SetFileHandler({});
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, BoxIcon::Error);
    std::filesystem::remove_all(dir);
}

// The colour a panel shows, read from a picture of the whole sheet window inside the
// panel's frame.
QColor PanelColour(TfTabelle* sheet, QLabel* panel)
{
    const QRect inside(panel->mapTo(sheet, QPoint(3, 3)), panel->size() - QSize(6, 6));
    return MostFrequentColour(sheet->grab().toImage(), inside);
}

TEST_F(TfTabelleTest, PanelsShowTheirColoursInEveryStyle)
{
    measureThreeLines();
    document().calibrationTexts().showSecondPhaseNotice("Second phase fraction set by calibration: 12,500 Vol%");
    tabelle->refresh();
    ASSERT_TRUE(tabelle->tWarnungShown());
    ASSERT_TRUE(tabelle->tFremdShown());
    const QString before = QApplication::style()->name();
    for (const char* name : {"Fusion", "Windows"}) {
        QApplication::setStyle(QStyleFactory::create(name));
        QApplication::processEvents();
        EXPECT_EQ(PanelColour(tabelle.get(), tabelle->tWarnung()), QColor(255, 128, 128)) << name;
        EXPECT_EQ(PanelColour(tabelle.get(), tabelle->tFremd()), QColor(255, 255, 187)) << name;
    }
    QApplication::setStyle(QStyleFactory::create(before));
}

}  // namespace
}  // namespace tesra::test
