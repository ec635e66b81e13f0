#pragma once
// A window-test fixture: the program's windows with one picture opened through "Open image"
// (the file dialog answered through the seam), the image window in front at a known size,
// and the user's steps as real mouse events: press a toolbar button, click the image, draw a
// line with two clicks.
#include <QAction>
#include <QApplication>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/uDialogs.h"
#include "app/uMain.h"
#include "app/uStartup.h"
#include "imaging/formats/image_format.h"
#include "tests/test_support.h"
#include "tests/uUserSteps.h"
#include "view/uImage.h"

namespace tesra::test {

class ProgramWithImage : public ::testing::Test {
protected:
    // Saves the picture, starts the windows in a frame of 1100 x 800 and opens it; the frame
    // then takes the size at which the image window is `imageWindow` (an empty size keeps
    // the frame's). Unsaved data is discarded when asked, other questions
    // are answered Yes.
    void openProgramWith(const TPixelGraphic& picture, QSize imageWindow)
    {
        dir = makeTempDir("program-with-image");
        const std::string path = dir + "/probe.bmp";
        saveImage(picture, path);
        SetFileHandler([path](const FileRequest&) { return FileAnswer{QString::fromStdString(path), 0}; });
        SetBoxHandler([](const BoxRequest& r) {
            return r.buttons == BoxButtons::SaveDiscardCancel ? BoxAnswer::Discard : BoxAnswer::Yes;
        });
        main = CreateProgramWindows();
        main->resize(1100, 800);
        main->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main));
        press("bLaden");
        ASSERT_NE(fImage(), nullptr);
        // A picture larger than the window opens fitted; the tests draw at 100 %.
        fImage()->SetZoom(1);
        canvas = fImage()->findChild<QWidget*>("TempImage");
        ASSERT_NE(canvas, nullptr);
        if (imageWindow.isEmpty())
            return;
        // The frame sized so that the image window's visible area is about `imageWindow`.
        main->resize(main->size() + imageWindow - fImage()->size());
        QApplication::processEvents();
    }
    void TearDown() override
    {
        if (main)
            main->ClearModified();
        delete main;
        SetFileHandler({});
        SetBoxHandler({});
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }

    // The user's steps in this frame (tests/uUserSteps.h).
    void press(const char* name) { pressButton(main, name); }
    void clickImage(int x, int y) { clickAt(canvas, QPoint(x, y)); }
    void drawLine(int x1, int y1, int x2, int y2) { drawLineOn(canvas, QPoint(x1, y1), QPoint(x2, y2)); }
    QAction* action(const char* name) { return main->findChild<QAction*>(name); }

    TfMain* main = nullptr;
    QWidget* canvas = nullptr;
    std::string dir;
};

}  // namespace tesra::test
