#pragma once
// A string grid with a fixed title row (and optionally a fixed title column), per-column
// alignment and font, and per-cell background colours. Cells are addressed (column, row)
// counting the fixed row and column, as the result sheet's cells are: row 0 is the title
// row, and with a fixed column, column 0 holds the row titles.
#include <QColor>
#include <QTableWidget>

namespace tesra {

class TAlignedGrid : public QTableWidget {
    Q_OBJECT
public:
    // columns and rows count the fixed title row and, when fixedColumn, the title column.
    TAlignedGrid(int columns, int rows, bool fixedColumn, QWidget* parent = nullptr);

    bool hasFixedColumn() const { return m_fixedColumn; }
    // Rows and columns including the fixed ones.
    int gridRowCount() const { return rowCount() + 1; }
    int gridColumnCount() const { return columnCount() + (m_fixedColumn ? 1 : 0); }
    // Sets the rows including the title row (at least 2); new rows are empty.
    void setGridRowCount(int rows);

    // Text of cell (col, row); titles for row 0 and, with a fixed column, column 0. A text
    // wider than its column widens the column; only a changed text is measured and repainted,
    // so a caller may set every cell after each change at little cost.
    void setCellText(int col, int row, const QString& text);
    QString cellText(int col, int row) const;

    // Background of a cell; an invalid colour means the system's window colour. A coloured
    // cell keeps its colour in the selected row, so a mark stays readable.
    void setCellColour(int col, int row, const QColor& colour);
    QColor cellColour(int col, int row) const;

    // The least width of a column; its texts may widen it.
    void setGridColumnWidth(int col, int width);
    // Columns keep their width while texts come and go, unless a new text is wider. This
    // measures every text again and gives each column the width its title and present cells
    // need, at least the one set, so no number is cut short on a font wider than the one the
    // widths were chosen for. The tick column keeps its width. A change of font or style
    // does this by itself.
    void fitColumnsToContents();
    void setColumnAlignment(int col, Qt::Alignment alignment);
    void setColumnFont(int col, const QFont& font);
    // Cells of this column that hold text show a drawn tick instead of the text, so the mark
    // looks the same whatever fonts the system has.
    void setTickColumn(int col) { m_tickColumn = col; }
    int tickColumn() const { return m_tickColumn; }
    // Height of every row, the title row included.
    void setGridRowHeight(int height);

    // Makes line row `row` (>= 1) the current row without emitting currentRowChosen.
    void setCurrentGridRow(int row);
    // The current row in grid numbering (>= 1), or 0 when there is none.
    int currentGridRow() const;

    // Rectangle of cell (col, row) in the grid's own coordinates, for tests and hit checks.
    QRect cellRect(int col, int row) const;

protected:
    void changeEvent(QEvent* event) override;

signals:
    // The user made `row` the current row (mouse or keyboard).
    void currentRowChosen(int row);

private:
    QTableWidgetItem* gridItem(int col, int row) const;
    QTableWidgetItem* ensureItem(int col, int row);
    int tableColumn(int col) const { return m_fixedColumn ? col - 1 : col; }
    // Room the text of cell (col, row) needs, margins included; 0 when it needs none.
    int neededWidth(int col, int row, const QString& text) const;
    int shownWidth(int col) const;
    void showWidth(int col, int width);
    void fitColumn(int col);

    bool m_fixedColumn = false;
    bool m_settingRow = false;
    int m_tickColumn = -1;
    QVector<int> m_widths;
    QVector<Qt::Alignment> m_alignments;
    QVector<QFont> m_fonts;
    QVector<bool> m_hasFont;
};

}  // namespace tesra
