#pragma once

// The report-mode list that shows the site list: one row per site, the
// caption in the first column and the counts right-aligned in the others,
// with grid lines, whole-row selection that stays visible without focus, row
// colours chosen by its owner, in-place editing of the caption only, and
// sorting only when asked to, by its owner's comparison.

#include "app/MyConstants.h"

#include <QStyledItemDelegate>
#include <QTreeWidget>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace app {

// A row of the site list. Rows compare through the list's OnCompare so that a
// sort orders them by total; Qt's sort keeps equal rows in their order.
class TSiteRow : public QTreeWidgetItem
{
public:
    static constexpr int RowType = QTreeWidgetItem::UserType + 1;
    TSiteRow()
        : QTreeWidgetItem(RowType)
    {}
    bool operator<(const QTreeWidgetItem &other) const override;
    void setData(int column, int role, const QVariant &value) override;

private:
    // The list's sort key of the row's total, read once per change of the
    // total: a sort of 500,000 rows asks for it some twenty million times.
    int64_t sortKey(const class TSiteListView &list) const;
    mutable int64_t m_sortKey = 0;
    mutable bool m_sortKeyKnown = false;
};

class TSiteListView : public QTreeWidget
{
    Q_OBJECT
public:
    explicit TSiteListView(QWidget *parent = nullptr);

    // Pixel height of one row.
    static constexpr int RowHeight = 18;
    // The height rows are shown with: RowHeight, or the list font's line
    // height where a larger font would not fit in it.
    int ShownRowHeight() const;

    // -1, 0 or 1 as the first row's total is smaller, equal or larger.
    std::function<int(const QTreeWidgetItem *, const QTreeWidgetItem *)> OnCompare;
    // The number a row's total text (column 1) sorts by; where set, a sort
    // orders the rows by it instead of asking OnCompare, which must agree.
    std::function<int64_t(const QString &total)> OnSortKey;
    // The brush of a cell before it is painted; none keeps the list's own.
    std::function<std::optional<rtl::TColor>(int row, int column)> OnCustomDraw;
    // The caption was edited in place; the handler may change the new text.
    std::function<void(QTreeWidgetItem *item, std::string &text)> OnEdited;
    // A key pressed in the list; true when the handler used it.
    std::function<bool(int key)> OnKeyDown;

    QIcon RowIcon;

    // Orders the rows by OnCompare, smallest first; selection and current
    // row stay with their rows.
    void AlphaSort();
    // Ends an in-place edit as Enter would; nothing when none is open.
    void CommitEdit();

    // The widths below which the count columns (every column after the
    // first, in order) never go. A count is never shortened: each of these
    // columns also grows to show its widest value whole, as values arrive,
    // and cannot be dragged narrower than that.
    void setCountColumnMinimumWidths(const QList<int> &widths);
    // The width a column needs to show each of its cells whole.
    int contentWidth(int column) const;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    int cellWidth(int row, int column) const;
    int requiredWidth(int column) const;
    // Widens the count columns among `firstColumn` to `lastColumn` that are
    // too narrow for their cells in the rows `firstRow` to `lastRow`.
    void widenForCells(int firstRow, int lastRow, int firstColumn, int lastColumn);
    bool isCountColumn(int column) const { return column >= 1 && column <= m_countMinimums.size(); }

    QList<int> m_countMinimums;
};

class TSiteListDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit TSiteListDelegate(TSiteListView *list)
        : QStyledItemDelegate(list)
        , m_list(list)
    {}

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    TSiteListView *m_list;
};

} // namespace app
