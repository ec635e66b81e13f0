// The main window on the offscreen platform.
#include "app/uMain.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

namespace tesra {
namespace {

TEST(TfMain, OpensMaximisedWithItsCaption)
{
    TfMain window;
    EXPECT_EQ(window.size(), QSize(800, 600));  // the size it is restored to
    window.showMaximized();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.windowTitle(), "Tesra");
    EXPECT_TRUE(window.isMaximized());
    window.close();
    EXPECT_FALSE(window.isVisible());
}

}  // namespace
}  // namespace tesra
