// The sheet's copied text opened in a real spreadsheet program: LibreOffice Calc, run
// headless, imports the text as a user's paste would (TAB-separated, the given locale) and
// writes what it made of every cell into a flat spreadsheet file, which the test reads back.
#include <QClipboard>
#include <QToolButton>
#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QProcess>
#include <QStandardPaths>
#include <QXmlStreamReader>

#include <filesystem>

#include "tests/results/uSheetWindows.h"
#include "tests/test_support.h"

namespace tesra::test {
namespace {

struct SpreadsheetCell {
    bool number = false;
    double value = 0.0;
    QString text;
};
using SpreadsheetRows = std::vector<std::vector<SpreadsheetCell>>;

// Reads the first table of a flat OpenDocument spreadsheet. Repeated empty rows and cells
// are kept to a few: only the first rows and columns matter here.
SpreadsheetRows ReadFlatSpreadsheet(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QXmlStreamReader xml(&file);
    SpreadsheetRows rows;
    std::vector<SpreadsheetCell> row;
    SpreadsheetCell cell;
    int rowRepeat = 1;
    int cellRepeat = 1;
    bool inParagraph = false;
    while (!xml.atEnd()) {
        xml.readNext();
        const QStringView name = xml.name();
        if (xml.isStartElement()) {
            const QXmlStreamAttributes a = xml.attributes();
            if (name == u"table-row") {
                row.clear();
                rowRepeat = std::min(4, std::max(1, a.value("table:number-rows-repeated").toInt()));
            } else if (name == u"table-cell" || name == u"covered-table-cell") {
                cell = {};
                cell.number = a.value("office:value-type") == u"float";
                cell.value = a.value("office:value").toDouble();
                cellRepeat = std::min(16, std::max(1, a.value("table:number-columns-repeated").toInt()));
            } else if (name == u"p") {
                if (!cell.text.isEmpty())
                    cell.text += '\n';
                inParagraph = true;
            } else if (name == u"s" && inParagraph) {
                cell.text += QString(std::max(1, a.value("text:c").toInt()), ' ');
            } else if (name == u"tab" && inParagraph) {
                cell.text += '\t';
            }
        } else if (xml.isCharacters() && inParagraph) {
            cell.text += xml.text();
        } else if (xml.isEndElement()) {
            if (name == u"p") {
                inParagraph = false;
            } else if (name == u"table-cell" || name == u"covered-table-cell") {
                for (int i = 0; i < cellRepeat; ++i)
                    row.push_back(cell);
            } else if (name == u"table-row") {
                for (int i = 0; i < rowRepeat; ++i)
                    rows.push_back(row);
            } else if (name == u"table") {
                break;
            }
        }
    }
    return rows;
}

class TfTabelleSpreadsheet : public SheetWindows {
protected:
    void SetUp() override
    {
        SheetWindows::SetUp();
        m_soffice = QStandardPaths::findExecutable("soffice");
        if (m_soffice.isEmpty()) {
            GTEST_SKIP() << "LibreOffice Calc (soffice) is not installed; "
                            "tools/deps.sh --tests installs libreoffice-calc-nogui";
        }
        m_dir = QString::fromStdString(makeTempDir("sheet-paste"));
    }
    void TearDown() override
    {
        if (!m_dir.isEmpty())
            std::filesystem::remove_all(m_dir.toStdString());
        SheetWindows::TearDown();
    }

    // Measures, copies with the sheet's button, and returns the clipboard's bytes of the
    // given format.
    QByteArray copiedSheet(const QString& format)
    {
        measureThreeLines();
        kalibieren->model().fields().tInfo = "Schliff Ø 12 µm";
        tabelle->setClock([] { return QDateTime(QDate(2026, 3, 5), QTime(14, 7, 9)); });
        QTest::mouseClick(tabelle->tCopy(), Qt::LeftButton);
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        if (!data)
            return {};
        return format == "text/plain" ? data->text().toUtf8() : data->data(format);
    }

    // Imports the bytes with TAB as the only separator, in the given character set and
    // language, and returns the cells Calc made of them.
    SpreadsheetRows openInCalc(const QByteArray& bytes, int charset, int language)
    {
        const QString name = QString("sheet-%1-%2").arg(charset).arg(language);
        QFile file(m_dir + "/" + name + ".txt");
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        // Field separator 9 (TAB), text delimiter 34, character set, first line 1, standard
        // column types, the language whose separators the numbers are read with.
        const QString filter =
            QString("Text - txt - csv (StarCalc):9,34,%1,1,,%2").arg(charset).arg(language);
        QProcess calc;
        calc.setProcessChannelMode(QProcess::MergedChannels);
        calc.start(m_soffice, {"--headless", "--norestore",
                               "-env:UserInstallation=file://" + m_dir + "/profile",
                               "--infilter=" + filter, "--convert-to", "fods", "--outdir",
                               m_dir + "/out", file.fileName()});
        EXPECT_TRUE(calc.waitForFinished(180000)) << calc.readAll().toStdString();
        const QString result = m_dir + "/out/" + name + ".fods";
        EXPECT_TRUE(QFile::exists(result)) << calc.readAll().toStdString();
        return ReadFlatSpreadsheet(result);
    }

    QString m_soffice;
    QString m_dir;
};

// Windows-1252 and UTF-8 as the import filter numbers them; LCIDs of the two languages.
constexpr int kCharsetWindows1252 = 1;
constexpr int kCharsetUtf8 = 76;
constexpr int kGermanGermany = 1031;
constexpr int kEnglishUs = 1033;

const SpreadsheetCell& At(const SpreadsheetRows& rows, int row, int col)
{
    static const SpreadsheetCell empty;
    if (row < 0 || row >= static_cast<int>(rows.size()) || col < 0
        || col >= static_cast<int>(rows[row].size()))
        return empty;
    return rows[row][col];
}

// The numbers stand in the columns of their headers: line rows from row 9 on (0-based 8),
// the sums in row 14, whatever the separators were.
void ExpectNumbersInTheirColumns(const SpreadsheetRows& rows, const QString& limits)
{
    ASSERT_GE(rows.size(), 19u);
    EXPECT_EQ(At(rows, 2, 0).text, "Remark: Schliff Ø 12 µm");
    EXPECT_TRUE(At(rows, 4, 1).number);
    EXPECT_DOUBLE_EQ(At(rows, 4, 1).value, 1.0);   // calibration factor
    EXPECT_DOUBLE_EQ(At(rows, 5, 1).value, 1.56);  // conversion factor
    EXPECT_EQ(At(rows, 7, 2).text, "Total length in Pixel");
    EXPECT_EQ(At(rows, 7, 6).text, "ø grain size in Pixel");

    const double lines[3][9] = {
        {1, 1234, 0, 10, 1234, 192.504, 1234, 192.504, 0},
        {2, 300, 0, 4, 300, 117, 300, 117, 0},
        {3, 314.159, 0, 13, 314.159, 37.699, 314.159, 37.699, 0},
    };
    for (int i = 0; i < 3; ++i) {
        for (int c = 0; c < 9; ++c) {
            const SpreadsheetCell& cell = At(rows, 8 + i, c + 1);
            EXPECT_TRUE(cell.number) << "line " << i + 1 << " column " << c + 1 << ": "
                                     << cell.text.toStdString();
            EXPECT_NEAR(cell.value, lines[i][c], 1e-9) << "line " << i + 1 << " column " << c + 1;
        }
    }
    EXPECT_EQ(At(rows, 10, 0).text, "A");
    EXPECT_EQ(At(rows, 8, 0).text, "");

    const double sums[8] = {1848.159, 0, 27, 1848.159, 106.783, 1848.159, 106.783, 0};
    for (int c = 0; c < 8; ++c) {
        const SpreadsheetCell& cell = At(rows, 13, c + 2);
        EXPECT_TRUE(cell.number) << "sum column " << c + 2 << ": " << cell.text.toStdString();
        EXPECT_NEAR(cell.value, sums[c], 1e-9) << "sum column " << c + 2;
    }
    EXPECT_EQ(At(rows, 16, 0).text, "Confidence intervall:");
    EXPECT_EQ(At(rows, 16, 1).text, limits);
    EXPECT_EQ(At(rows, 16, 2).text, "Intersections");
}

TEST_F(TfTabelleSpreadsheet, GermanAnsiTextOpensWithNumbersInTheirColumns)
{
    const QByteArray ansi = copiedSheet(kAnsiTextMimeType);
    ASSERT_FALSE(ansi.isEmpty());
    ExpectNumbersInTheirColumns(openInCalc(ansi, kCharsetWindows1252, kGermanGermany), "9,0±6,5");
}

TEST_F(TfTabelleSpreadsheet, EnglishAnsiTextOpensWithNumbersInTheirColumns)
{
    useLocale(EnglishLocale());
    const QByteArray ansi = copiedSheet(kAnsiTextMimeType);
    ASSERT_FALSE(ansi.isEmpty());
    ExpectNumbersInTheirColumns(openInCalc(ansi, kCharsetWindows1252, kEnglishUs), "9.0±6.5");
}

TEST_F(TfTabelleSpreadsheet, UnicodeTextOpensTheSame)
{
    const QByteArray utf8 = copiedSheet("text/plain");
    ASSERT_FALSE(utf8.isEmpty());
    ExpectNumbersInTheirColumns(openInCalc(utf8, kCharsetUtf8, kGermanGermany), "9,0±6,5");
}

}  // namespace
}  // namespace tesra::test
