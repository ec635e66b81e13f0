#pragma once
// The user's steps in window tests, as real mouse and key events on the widgets: press a
// toolbar button by its name, click or draw on a widget, type into a field, press a key.
// The fixtures give them short names over their own windows (press("bLaden"),
// clickImage(x, y)), so that a test reads like the steps a user takes.
#include <QApplication>
#include <QLineEdit>
#include <QPoint>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace tesra::test {

// Presses the toolbar button `name` of `window`, which must be there, shown and enabled,
// as a user can press only such a button.
inline void pressButton(QWidget* window, const char* name)
{
    // The toolbars lay out their buttons when the events of the last step are done.
    QApplication::processEvents();
    auto* button = window->findChild<QToolButton*>(name);
    ASSERT_NE(button, nullptr) << name;
    ASSERT_TRUE(button->isVisible()) << name << " is hidden";
    ASSERT_TRUE(button->isEnabled()) << name << " is disabled";
    QTest::mouseClick(button, Qt::LeftButton);
}

// Moves the mouse to `at` in the widget and clicks the left button there.
inline void clickAt(QWidget* widget, QPoint at)
{
    QTest::mouseMove(widget, at);
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
}

// Two clicks with a move between them: the rubber band opens at the first and closes at the
// second.
inline void drawLineOn(QWidget* widget, QPoint from, QPoint to)
{
    clickAt(widget, from);
    QTest::mouseMove(widget, QPoint((from.x() + to.x()) / 2, (from.y() + to.y()) / 2));
    clickAt(widget, to);
}

// Replaces the field's text by typing: everything selected, deleted, the new text typed.
inline void typeInto(QLineEdit* field, const QString& text)
{
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, text);
}

// A key pressed and released on the widget.
inline void key(QWidget* widget, Qt::Key k, Qt::KeyboardModifiers modifiers = {})
{
    QTest::keyClick(widget, k, modifiers);
}

}  // namespace tesra::test
