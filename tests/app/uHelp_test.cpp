// The help window and F1 on the offscreen platform.
#include "app/uHelp.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <memory>

#include "app/help_topics.h"
#include "app/uLanguage.h"

namespace tesra {
namespace {

// The manual is built next to the program; the test program lives one folder below it.
QString builtHelpFile()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath("../Tesra.hlp");
}

class HelpTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetHelpFile(builtHelpFile());
        InstallHelpKey(qApp);
    }
    void TearDown() override
    {
        SetHelpHandler({});
        if (fHelp())
            fHelp()->close();
    }
};

TEST_F(HelpTest, ContentsShowTheManualsFirstPage)
{
    ShowHelpContents(nullptr);
    ASSERT_NE(fHelp(), nullptr);
    EXPECT_TRUE(fHelp()->isVisible());
    EXPECT_EQ(fHelp()->currentPage(), "index.html");
    EXPECT_EQ(fHelp()->browser()->documentTitle(), "Contents");
    EXPECT_EQ(fHelp()->windowTitle(), "Tesra Help - Contents");
}

TEST_F(HelpTest, F1OpensThePageOfTheFocusedWindowsContext)
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* view = new QWidget(&window);
    auto* field = new QLineEdit(view);
    layout->addWidget(view);
    SetHelpContext(&window, help::kGreyWindow);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    field->setFocus();

    QTest::keyClick(field, Qt::Key_F1);
    ASSERT_NE(fHelp(), nullptr);
    EXPECT_EQ(fHelp()->currentPage(), "grey.html");

    // A view with a context of its own wins over its window's.
    SetHelpContext(view, help::kGreyHistogram);
    QTest::keyClick(field, Qt::Key_F1);
    EXPECT_EQ(fHelp()->currentPage(), "grey.html#histogram");
}

TEST_F(HelpTest, F1WithoutAnyContextOpensTheContents)
{
    std::vector<int> asked;
    SetHelpHandler([&](int context) { asked.push_back(context); });
    QLineEdit field;
    field.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&field));
    QTest::keyClick(&field, Qt::Key_F1);
    QTest::keyClick(&field, Qt::Key_F1, Qt::ShiftModifier);  // not help
    EXPECT_EQ(asked, std::vector<int>{help::kContents});
}

TEST_F(HelpTest, BackAndContentsButtonsNavigate)
{
    ShowHelpContext(nullptr, help::kCalibration);
    ASSERT_NE(fHelp(), nullptr);
    EXPECT_EQ(fHelp()->currentPage(), "calibration.html");
    auto* contents = fHelp()->findChild<QPushButton*>("bContents");
    auto* back = fHelp()->findChild<QPushButton*>("bBack");
    ASSERT_TRUE(contents && back);
    QTest::mouseClick(contents, Qt::LeftButton);
    EXPECT_EQ(fHelp()->currentPage(), "index.html");
    ASSERT_TRUE(back->isEnabled());
    QTest::mouseClick(back, Qt::LeftButton);
    EXPECT_EQ(fHelp()->currentPage(), "calibration.html");
}

// Every link of the manual, in both languages, leads to a page (and anchor) the manual holds.
TEST_F(HelpTest, ManualLinksAllLeadSomewhere)
{
    ShowHelpContents(nullptr);
    ASSERT_NE(fHelp(), nullptr);
    const QRegularExpression link(R"re(href="([^"]+)")re");
    int links = 0;
    // The English pages, and the German ones beside them.
    for (const QDir& manual : {QDir(":/tesra-manual"), QDir(":/tesra-manual/de")}) {
        const QStringList pages = manual.entryList({"*.html"}, QDir::Files);
        ASSERT_GE(pages.size(), 8);
        for (const QString& page : pages) {
            QFile file(manual.filePath(page));
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << page.toStdString();
            const QString html = QString::fromUtf8(file.readAll());
            EXPECT_TRUE(html.contains("<title>")) << page.toStdString();
            for (auto it = link.globalMatch(html); it.hasNext();) {
                const QString target = it.next().captured(1);
                const QString name = target.section('#', 0, 0);
                const QString anchor = target.section('#', 1);
                ASSERT_TRUE(manual.exists(name)) << page.toStdString() << " -> " << target.toStdString();
                if (!anchor.isEmpty()) {
                    QFile other(manual.filePath(name));
                    ASSERT_TRUE(other.open(QIODevice::ReadOnly));
                    EXPECT_TRUE(QString::fromUtf8(other.readAll()).contains("name=\"" + anchor + "\""))
                        << page.toStdString() << " -> " << target.toStdString();
                }
                ++links;
            }
        }
    }
    EXPECT_GT(links, 20);
}

// In German the manual's German pages are shown, under the same page names, and their links
// stay in German; back in English the English pages return.
TEST_F(HelpTest, GermanUsersReadTheGermanManual)
{
    LoadLanguage(Language::German);
    ShowHelpContext(nullptr, help::kCalibration);
    ASSERT_NE(fHelp(), nullptr);
    EXPECT_EQ(fHelp()->currentPage(), "calibration.html");
    EXPECT_EQ(fHelp()->browser()->documentTitle(), "Kalibrierung");
    EXPECT_TRUE(fHelp()->browser()->toPlainText().contains(QString::fromUtf8("Die Eingabe der echten Länge ist fehlerhaft!")));
    fHelp()->browser()->setSource(fHelp()->browser()->source().resolved(QUrl("index.html")));
    EXPECT_EQ(fHelp()->browser()->documentTitle(), "Inhalt");

    LoadLanguage(Language::Source);
    ShowHelpContext(nullptr, help::kCalibration);
    EXPECT_EQ(fHelp()->browser()->documentTitle(), "Calibration");
}

TEST_F(HelpTest, MissingHelpFileIsSaidInTheWindow)
{
    SetHelpFile(QDir::temp().filePath("no-such-folder-xyz/Tesra.hlp"));
    ShowHelpContents(nullptr);
    ASSERT_NE(fHelp(), nullptr);
    EXPECT_TRUE(fHelp()->browser()->toPlainText().contains("cannot be opened"));
    SetHelpFile(builtHelpFile());
    ShowHelpContents(nullptr);
    EXPECT_EQ(fHelp()->currentPage(), "index.html");
}

}  // namespace
}  // namespace tesra
