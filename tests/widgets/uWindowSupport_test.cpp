// What the window files share: the sole window of a kind follows the windows that open and
// close, and texts, file names and colours reach Qt unchanged.
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

#include "widgets/uWindowSupport.h"

namespace tesra {
namespace {

class TfProbeWindow : public QWidget {
public:
    TfProbeWindow() { soleWindow<TfProbeWindow>() = this; }
    ~TfProbeWindow() override { leaveSoleWindow(this); }
};

TEST(SoleWindow, FollowsTheWindowsThatOpenAndClose)
{
    EXPECT_EQ(soleWindow<TfProbeWindow>(), nullptr);
    auto first = std::make_unique<TfProbeWindow>();
    EXPECT_EQ(soleWindow<TfProbeWindow>(), first.get());

    // A second window takes the place; the first one closing afterwards leaves it there.
    auto second = std::make_unique<TfProbeWindow>();
    first.reset();
    EXPECT_EQ(soleWindow<TfProbeWindow>(), second.get());
    second.reset();
    EXPECT_EQ(soleWindow<TfProbeWindow>(), nullptr);

    // A window that never leaves (deleted as a child, say) is not left behind dangling.
    auto* plain = new QWidget;
    soleWindow<QWidget>() = plain;
    delete plain;
    EXPECT_EQ(soleWindow<QWidget>(), nullptr);
}

TEST(WindowSupport, TextsNamesAndColoursReachQtUnchanged)
{
    EXPECT_EQ(qs("200 µm, Ø 3"), QStringLiteral(u"200 µm, Ø 3"));
    EXPECT_EQ(qs(std::string("a\0b", 3)).size(), 3);
    const QString name = QStringLiteral(u"/tmp/Schliff Ä1.tif");
    EXPECT_EQ(qtFileName(fsName(name)), name);
    // The core's colours are 0x00BBGGRR.
    EXPECT_EQ(qtColour(0x00FF8000u), qRgb(0x00, 0x80, 0xFF));
    EXPECT_EQ(qtColour(0x000000FFu), qRgb(0xFF, 0x00, 0x00));
}

}  // namespace
}  // namespace tesra
