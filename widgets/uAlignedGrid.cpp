#include "widgets/uAlignedGrid.h"

#include <QEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QPainter>
#include <QPainterPath>
#include <QStyledItemDelegate>

namespace tesra {
namespace {

// Draws coloured cells in their own colour also when their row is selected, and the tick
// column as a drawn tick.
class AlignedGridDelegate : public QStyledItemDelegate {
public:
    explicit AlignedGridDelegate(TAlignedGrid* grid) : QStyledItemDelegate(grid), m_grid(grid) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        QStyleOptionViewItem opt(option);
        const QVariant background = index.data(Qt::BackgroundRole);
        if (background.isValid())
            opt.state &= ~QStyle::State_Selected;
        if (index.column() != tickTableColumn()) {
            QStyledItemDelegate::paint(painter, opt, index);
            return;
        }
        // The tick column: background as any cell, then the mark in place of the text.
        const QString text = index.data(Qt::DisplayRole).toString();
        QStyleOptionViewItem plain(opt);
        initStyleOption(&plain, index);
        if (!background.isValid() && (opt.state & QStyle::State_Selected))
            plain.state |= QStyle::State_Selected;
        plain.text.clear();
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : nullptr;
        if (style)
            style->drawControl(QStyle::CE_ItemViewItem, &plain, painter, widget);
        if (text.isEmpty())
            return;
        const QRect r = option.rect;
        const qreal side = std::max(4, std::min(r.width(), r.height()) - 6);
        const QPointF origin(r.center().x() - side / 2.0 + 0.5, r.center().y() - side / 2.0 + 0.5);
        QPainterPath tick;
        tick.moveTo(origin + QPointF(0.10 * side, 0.55 * side));
        tick.lineTo(origin + QPointF(0.40 * side, 0.85 * side));
        tick.lineTo(origin + QPointF(0.95 * side, 0.15 * side));
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(QPen(Qt::black, std::max(2.0, side / 6.0), Qt::SolidLine, Qt::RoundCap,
                             Qt::RoundJoin));
        painter->drawPath(tick);
        painter->restore();
    }

private:
    int tickTableColumn() const
    {
        const int col = m_grid->tickColumn();
        if (col < 0)
            return -1;
        return m_grid->hasFixedColumn() ? col - 1 : col;
    }

    TAlignedGrid* m_grid;
};

}  // namespace

TAlignedGrid::TAlignedGrid(int columns, int rows, bool fixedColumn, QWidget* parent)
    : QTableWidget(std::max(1, rows - 1), std::max(1, fixedColumn ? columns - 1 : columns),
                   parent),
      m_fixedColumn(fixedColumn)
{
    m_widths.fill(0, columns);
    m_alignments.fill(Qt::AlignLeft | Qt::AlignVCenter, columns);
    m_fonts.resize(columns);
    m_hasFont.fill(false, columns);
    setItemDelegate(new AlignedGridDelegate(this));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    horizontalHeader()->setMinimumSectionSize(0);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    verticalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setHighlightSections(false);
    verticalHeader()->setSectionsClickable(false);
    verticalHeader()->setVisible(fixedColumn);
    verticalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int c = 0; c < columnCount(); ++c)
        setHorizontalHeaderItem(c, new QTableWidgetItem);
    for (int r = 0; r < rowCount(); ++r)
        setVerticalHeaderItem(r, new QTableWidgetItem);
    connect(this, &QTableWidget::currentCellChanged, this,
            [this](int row, int, int previousRow, int) {
                if (m_settingRow || row < 0 || row == previousRow)
                    return;
                emit currentRowChosen(row + 1);
            });
}

void TAlignedGrid::setGridRowCount(int rows)
{
    const int old = rowCount();
    setRowCount(std::max(1, rows - 1));
    for (int r = old; r < rowCount(); ++r)
        setVerticalHeaderItem(r, new QTableWidgetItem);
}

QTableWidgetItem* TAlignedGrid::gridItem(int col, int row) const
{
    if (row == 0) {
        const int c = tableColumn(col);
        return c >= 0 && c < columnCount() ? horizontalHeaderItem(c) : nullptr;
    }
    if (m_fixedColumn && col == 0)
        return row - 1 < rowCount() ? verticalHeaderItem(row - 1) : nullptr;
    const int c = tableColumn(col);
    if (c < 0 || c >= columnCount() || row - 1 >= rowCount() || row < 0)
        return nullptr;
    return item(row - 1, c);
}

QTableWidgetItem* TAlignedGrid::ensureItem(int col, int row)
{
    if (QTableWidgetItem* existing = gridItem(col, row))
        return existing;
    const int c = tableColumn(col);
    if (row < 1 || c < 0 || c >= columnCount() || row - 1 >= rowCount())
        return nullptr;
    auto* created = new QTableWidgetItem;
    created->setTextAlignment(m_alignments.value(col));
    if (m_hasFont.value(col))
        created->setFont(m_fonts[col]);
    setItem(row - 1, c, created);
    return created;
}

void TAlignedGrid::setCellText(int col, int row, const QString& text)
{
    QTableWidgetItem* cell = ensureItem(col, row);
    if (!cell || cell->text() == text)
        return;
    cell->setText(text);
    if (const int needed = neededWidth(col, row, text); needed > shownWidth(col))
        showWidth(col, needed);
}

QString TAlignedGrid::cellText(int col, int row) const
{
    const QTableWidgetItem* cell = gridItem(col, row);
    return cell ? cell->text() : QString();
}

void TAlignedGrid::setCellColour(int col, int row, const QColor& colour)
{
    QTableWidgetItem* cell = ensureItem(col, row);
    if (!cell)
        return;
    if (colour.isValid())
        cell->setBackground(colour);
    else
        cell->setData(Qt::BackgroundRole, QVariant());
}

QColor TAlignedGrid::cellColour(int col, int row) const
{
    const QTableWidgetItem* cell = gridItem(col, row);
    if (!cell)
        return {};
    const QVariant background = cell->data(Qt::BackgroundRole);
    return background.isValid() ? background.value<QBrush>().color() : QColor();
}

void TAlignedGrid::setGridColumnWidth(int col, int width)
{
    if (col < 0 || col >= m_widths.size())
        return;
    m_widths[col] = width;
    fitColumn(col);
}

int TAlignedGrid::neededWidth(int col, int row, const QString& text) const
{
    if (col == m_tickColumn || text.isEmpty() || (row == 0 && m_fixedColumn && col == 0))
        return 0;
    // Room for the cell's margins on both sides and the grid line.
    const int padding = 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 6;
    if (row == 0)
        return QFontMetrics(horizontalHeader()->font()).horizontalAdvance(text) + padding;
    return QFontMetrics(m_hasFont[col] ? m_fonts[col] : font()).horizontalAdvance(text) + padding;
}

int TAlignedGrid::shownWidth(int col) const
{
    if (m_fixedColumn && col == 0)
        return verticalHeader()->width();
    return horizontalHeader()->sectionSize(tableColumn(col));
}

void TAlignedGrid::showWidth(int col, int width)
{
    if (m_fixedColumn && col == 0)
        verticalHeader()->setFixedWidth(width);
    else if (horizontalHeader()->sectionSize(tableColumn(col)) != width)
        horizontalHeader()->resizeSection(tableColumn(col), width);
}

void TAlignedGrid::fitColumn(int col)
{
    int width = m_widths[col];
    if (col == m_tickColumn && width == 0)
        return;
    for (int row = 0; row < gridRowCount(); ++row)
        width = std::max(width, neededWidth(col, row, cellText(col, row)));
    showWidth(col, width);
}

void TAlignedGrid::fitColumnsToContents()
{
    for (int col = 0; col < m_widths.size(); ++col)
        fitColumn(col);
}

void TAlignedGrid::changeEvent(QEvent* event)
{
    QTableWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        fitColumnsToContents();
}

void TAlignedGrid::setColumnAlignment(int col, Qt::Alignment alignment)
{
    if (col < 0 || col >= m_alignments.size())
        return;
    m_alignments[col] = alignment;
    for (int r = 1; r < gridRowCount(); ++r) {
        if (QTableWidgetItem* cell = gridItem(col, r); cell && !(m_fixedColumn && col == 0))
            cell->setTextAlignment(alignment);
    }
}

void TAlignedGrid::setColumnFont(int col, const QFont& font)
{
    if (col < 0 || col >= m_fonts.size())
        return;
    m_fonts[col] = font;
    m_hasFont[col] = true;
    for (int r = 1; r < gridRowCount(); ++r) {
        if (QTableWidgetItem* cell = gridItem(col, r); cell && !(m_fixedColumn && col == 0))
            cell->setFont(font);
    }
    fitColumn(col);
}

void TAlignedGrid::setGridRowHeight(int height)
{
    verticalHeader()->setDefaultSectionSize(height);
    horizontalHeader()->setFixedHeight(height);
}

void TAlignedGrid::setCurrentGridRow(int row)
{
    if (row < 1 || row - 1 >= rowCount())
        return;
    m_settingRow = true;
    setCurrentCell(row - 1, std::max(0, currentColumn()));
    m_settingRow = false;
}

int TAlignedGrid::currentGridRow() const
{
    const int row = currentRow();
    return row < 0 ? 0 : row + 1;
}

QRect TAlignedGrid::cellRect(int col, int row) const
{
    if (row == 0) {
        const int c = tableColumn(col);
        const QHeaderView* header = horizontalHeader();
        return QRect(header->sectionViewportPosition(c), 0, header->sectionSize(c),
                     header->height())
            .translated(header->geometry().topLeft());
    }
    const int c = tableColumn(col);
    if (c < 0)
        return verticalHeader()->geometry().intersected(
            QRect(0, rowViewportPosition(row - 1) + viewport()->y(), width(), rowHeight(row - 1)));
    return visualRect(model()->index(row - 1, c)).translated(viewport()->geometry().topLeft());
}

}  // namespace tesra
