// Start-up on the offscreen platform: the order the windows are made in, the splash that
// goes after 2500 ms of (injected) time, and the about box.
#include "app/uStartup.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "analysis/uGrau.h"
#include "app/uCopyRight.h"
#include "app/uHelp.h"
#include "app/uMain.h"
#include "results/uKalibieren.h"
#include "results/uTabelle.h"
#include "view/uImage.h"
#include "app/uSplash.h"
#include "view/uQVTransImage.h"

namespace tesra {
namespace {

// A clock whose time moves only when the test says so.
class FakeClock {
public:
    TimerStarter starter()
    {
        return [this](QObject* owner, int ms, std::function<void()> timeout) {
            m_timers.push_back(Timer{owner, m_now + ms, std::move(timeout)});
        };
    }
    void advance(int ms)
    {
        m_now += ms;
        for (Timer& t : m_timers) {
            if (t.timeout && t.due <= m_now && t.owner) {
                auto fire = std::move(t.timeout);
                t.timeout = nullptr;
                fire();
            }
        }
    }
    std::size_t started() const { return m_timers.size(); }
    int firstInterval() const { return m_timers.empty() ? -1 : m_timers.front().due; }

private:
    struct Timer {
        QPointer<QObject> owner;
        int due;
        std::function<void()> timeout;
    };
    int m_now = 0;
    std::vector<Timer> m_timers;
};

struct Created {
    std::string className;
    bool visible;
    int splashPaints;  // how often the splash had been painted when this window was made
};

TEST(Startup, WindowsAreMadeInTheirOrderWithTheSplashPaintedFirst)
{
    FakeClock clock;
    std::vector<Created> created;
    StartupOptions options;
    options.showSplash = true;
    options.startTimer = clock.starter();
    options.created = [&](QWidget* w) {
        created.push_back({w->metaObject()->className(), w->isVisible(), fSplash() ? fSplash()->paintCount() : -1});
    };
    std::unique_ptr<TfMain> main(CreateProgramWindows(options));

    const std::vector<std::string> order{"tesra::TfMain",       "tesra::TfSplash", "tesra::TfKalibieren",
                                         "tesra::TfCopyRight", "tesra::TfGrau",   "tesra::TfTabelle"};
    ASSERT_EQ(created.size(), order.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        EXPECT_EQ(created[i].className, order[i]) << i;
    EXPECT_FALSE(created[0].visible);  // the main window shows once start-up is done
    EXPECT_TRUE(created[1].visible);
    EXPECT_GT(created[2].splashPaints, 0);  // painted before anything else was made
    for (std::size_t i = 2; i < created.size(); ++i)
        EXPECT_FALSE(created[i].visible) << created[i].className;
    EXPECT_EQ(clock.firstInterval(), 2500);

    // All of them belong to the main window: deleting it ends them.
    QPointer<TfCopyRight> about = fCopyRight();
    QPointer<TfSplash> splash = fSplash();
    main.reset();
    EXPECT_TRUE(about.isNull());
    EXPECT_TRUE(splash.isNull());
}

TEST(Startup, WithoutSplashNoTimerRuns)
{
    FakeClock clock;
    StartupOptions options;
    options.startTimer = clock.starter();
    std::unique_ptr<TfMain> main(CreateProgramWindows(options));
    EXPECT_EQ(fSplash(), nullptr);
    EXPECT_EQ(clock.started(), 0u);
    EXPECT_NE(fCopyRight(), nullptr);
}

TEST(Startup, SplashGoesAfter2500MsAlsoWhileTheUserWorks)
{
    FakeClock clock;
    StartupOptions options;
    options.showSplash = true;
    options.startTimer = clock.starter();
    std::unique_ptr<TfMain> main(CreateProgramWindows(options));
    main->showMaximized();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    QPointer<TfSplash> splash = fSplash();
    ASSERT_TRUE(splash);
    EXPECT_TRUE(splash->isVisible());
    EXPECT_TRUE(splash->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(splash->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(splash->size(), QSize(320, 339));

    // The user already works in the main window.
    clock.advance(1200);
    QTest::mouseClick(main->centralWidget(), Qt::LeftButton, {}, QPoint(50, 50));
    QTest::keyClick(main.get(), Qt::Key_Tab);
    clock.advance(1299);
    EXPECT_TRUE(splash->isVisible());
    clock.advance(1);
    EXPECT_FALSE(splash->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(splash.isNull());
    EXPECT_EQ(fSplash(), nullptr);
    EXPECT_TRUE(main->isVisible());
}

TEST(Startup, SplashShowsItsPictureAndTheLimeVersion)
{
    FakeClock clock;
    TfSplash splash(nullptr, clock.starter());
    splash.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&splash));
    ASSERT_TRUE(splash.ver);
    EXPECT_EQ(splash.ver->text(), QString::fromUtf8("2.4.2\xC3\x9F"));
    EXPECT_TRUE(splash.ver->alignment() & Qt::AlignRight);
    EXPECT_TRUE(splash.ver->font().bold());
    EXPECT_EQ(splash.ver->font().pixelSize(), 16);

    const QImage shot = splash.grab().toImage();
    // Lime letters inside the label, grains in the middle, black (cut out) in the corner.
    bool lime = false;
    const QRect label = splash.ver->geometry();
    for (int y = label.top(); y <= label.bottom(); ++y)
        for (int x = label.left(); x <= label.right(); ++x)
            lime = lime || shot.pixelColor(x, y) == QColor(0, 255, 0);
    EXPECT_TRUE(lime);
    EXPECT_NE(shot.pixelColor(160, 60), QColor(Qt::black));
    EXPECT_EQ(shot.pixelColor(1, 1), QColor(Qt::black));
    // The window's outline follows the picture: the corner is not part of it.
    EXPECT_FALSE(splash.mask().contains(QPoint(1, 1)));
    EXPECT_TRUE(splash.mask().contains(QPoint(160, 60)));
    EXPECT_TRUE(splash.mask().contains(label.center()));
}

TEST(Startup, AboutBoxOpensAndClosesAgainAndAgain)
{
    std::unique_ptr<TfMain> main(CreateProgramWindows());
    TfCopyRight* about = fCopyRight();
    ASSERT_TRUE(about);
    EXPECT_FALSE(about->isVisible());
    EXPECT_EQ(about->size(), QSize(323, 538));
    EXPECT_EQ(about->bOK->text(), "OK");
    EXPECT_EQ(about->ver->text(), QString::fromUtf8("2.4.2\xC3\x9F"));
    for (int round = 0; round < 3; ++round) {
        bool wasModal = false;
        QTimer::singleShot(0, about, [&] {
            wasModal = about->isVisible() && QApplication::activeModalWidget() == about;
            QTest::mouseClick(about->bOK, Qt::LeftButton);
        });
        EXPECT_EQ(about->ShowModal(), QDialog::Accepted) << round;
        EXPECT_TRUE(wasModal) << round;
        EXPECT_FALSE(about->isVisible()) << round;
        EXPECT_EQ(fCopyRight(), about);  // hidden, not destroyed
    }
}

TEST(Startup, ImageNamedOnTheCommandLineOpensOnceTheLoopRuns)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("probe.bmp");
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(QColor(90, 120, 150));
    ASSERT_TRUE(picture.save(path, "BMP"));

    FakeClock clock;
    StartupOptions options;
    options.showSplash = true;
    options.startTimer = clock.starter();
    std::unique_ptr<TfMain> main(StartProgram(*qApp, path, options));
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(fImage(), nullptr);  // not yet: the frame shows first
    QCoreApplication::processEvents();
    ASSERT_NE(fImage(), nullptr);
    EXPECT_EQ(main->imageFileName(), path);
    EXPECT_EQ(QCoreApplication::applicationName(), "Tesra");
}

// F1 in each window asks for the page of that window's help context.
TEST(Startup, F1InEachWindowOpensItsOwnPage)
{
    std::vector<int> asked;
    SetHelpHandler([&](int context) { asked.push_back(context); });
    InstallHelpKey(qApp);
    std::unique_ptr<TfMain> main(CreateProgramWindows());
    main->showMaximized();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    const auto f1On = [&](QWidget* target) {
        asked.clear();
        QTest::keyClick(target, Qt::Key_F1);
        return asked.size() == 1 ? asked.front() : -1;
    };
    const auto f1In = [&](QWidget* window) { return f1On(window->focusWidget() ? window->focusWidget() : window); };

    TfKalibieren* calibration = fKalibieren();
    ASSERT_TRUE(calibration);
    calibration->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(calibration));
    EXPECT_EQ(f1In(calibration), 3150);
    calibration->hide();

    TfGrau* grau = fGrau();
    ASSERT_TRUE(grau);
    EXPECT_EQ(f1In(grau), 3130);
    grau->ShowProfile(1);  // no such line: the view's context changes all the same
    EXPECT_EQ(f1In(grau), 3131);
    grau->ShowSegments(1);
    EXPECT_EQ(f1In(grau), 3133);

    const auto image = std::make_unique<TfImage>(main->document());
    image->show();
    EXPECT_EQ(f1In(image.get()), 1000);

    // The frame and the sheet lead to their pages of the manual.
    EXPECT_EQ(f1On(main.get()), help::kMainWindow);
    EXPECT_EQ(f1In(fTabelle()), help::kResultSheet);

    // The about box has no page of its own: its F1 opens the contents.
    EXPECT_EQ(f1In(fCopyRight()), 0);
    SetHelpHandler({});
}

TEST(Startup, HelpPagesOfTheWindowsAreInTheManual)
{
    // Every context a window carries leads to a page of the manual built next to the program.
    SetHelpFile(QDir(QCoreApplication::applicationDirPath()).filePath("../Tesra.hlp"));
    const std::vector<std::pair<int, QString>> pages{
        {1000, "The image window"}, {3130, "The grey-value window"}, {3131, "The grey-value window"},
        {3132, "The grey-value window"}, {3133, "The grey-value window"}, {3150, "Calibration"},
        {help::kMainWindow, "The main window"}, {help::kResultSheet, "The result sheet"}, {0, "Contents"}};
    for (const auto& [context, title] : pages) {
        ShowHelpContext(nullptr, context);
        ASSERT_TRUE(fHelp());
        EXPECT_EQ(fHelp()->browser()->documentTitle(), title) << context;
        EXPECT_FALSE(fHelp()->browser()->toPlainText().isEmpty()) << context;
    }
    fHelp()->close();
}

}  // namespace
}  // namespace tesra
