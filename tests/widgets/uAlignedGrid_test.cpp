// The aligned grid on the offscreen platform: columns widen for a text that would be cut
// short and otherwise keep their width, and a change of one cell repaints that cell only.
#include <QApplication>
#include <QFontMetrics>
#include <QRegion>
#include <QTest>

#include <gtest/gtest.h>

#include "tests/uWindowPictures.h"
#include "widgets/uAlignedGrid.h"

namespace tesra {
namespace {

struct ShownGrid {
    TAlignedGrid grid{4, 30, false};
    ShownGrid()
    {
        grid.resize(400, 300);
        for (int c = 0; c < 4; ++c)
            grid.setGridColumnWidth(c, 40);
        for (int r = 1; r < 30; ++r)
            grid.setCellText(1, r, "1,0");
        grid.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&grid));
        QApplication::processEvents();
    }
    // Whether the whole text fits between the cell's margins.
    bool fits(int col, int row) const
    {
        const int text = QFontMetrics(grid.font()).horizontalAdvance(grid.cellText(col, row));
        return grid.cellRect(col, row).width() >= text + 6;
    }
};

TEST(TAlignedGrid, ColumnsWidenForLongerTextsAndNeverJump)
{
    ShownGrid g;
    EXPECT_EQ(g.grid.columnWidth(1), 40);
    g.grid.setCellText(1, 7, "1.234.567.890,123");
    EXPECT_TRUE(g.fits(1, 7));
    const int wide = g.grid.columnWidth(1);
    EXPECT_GT(wide, 40);
    // A shorter text in its place, or anywhere, leaves the column as it is.
    g.grid.setCellText(1, 7, "2,0");
    g.grid.setCellText(1, 8, "3,0");
    EXPECT_EQ(g.grid.columnWidth(1), wide);
    // Measuring afresh goes back to what the present texts need.
    g.grid.fitColumnsToContents();
    EXPECT_EQ(g.grid.columnWidth(1), 40);
    // A larger font widens what no longer fits.
    g.grid.setCellText(1, 9, "123.456,789");
    QFont big = g.grid.font();
    big.setPointSize(big.pointSize() * 3);
    g.grid.setFont(big);
    EXPECT_TRUE(g.fits(1, 9));
}

TEST(TAlignedGrid, SettingTextsRepaintsOnlyTheChangedCells)
{
    ShownGrid g;
    test::PaintSpy spy(g.grid.viewport());
    for (int r = 1; r < 30; ++r)
        g.grid.setCellText(1, r, "1,0");
    QApplication::processEvents();
    EXPECT_TRUE(spy.painted.isEmpty());

    g.grid.setCellText(1, 3, "2,5");
    QApplication::processEvents();
    const QRect cell = g.grid.visualRect(g.grid.model()->index(2, 1));
    EXPECT_FALSE(spy.painted.isEmpty());
    EXPECT_TRUE(QRegion(cell).contains(spy.painted.boundingRect()))
        << spy.painted.boundingRect().x() << "," << spy.painted.boundingRect().y() << " "
        << spy.painted.boundingRect().width() << "x" << spy.painted.boundingRect().height();
}

}  // namespace
}  // namespace tesra
