#include "app/SiteListView.h"

#include "foundation/MyUtilitiesUi.h"
#include "platform/controls/Guard.h"
#include "platform/gfx/Colors.h"
#include "platform/rtl/QtText.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionHeader>
#include <QTextDocument>
#include <QToolTip>

#include <algorithm>

namespace app {

using controls::guarded;
using controls::Report;

namespace {

// Qt 6.4 elides header captions in the style, but its header drawing hands
// the label over without the elide mode, so a caption wider than its column
// was cut off at the side it is not aligned to ("ake Engine 1" for a right-
// aligned "Fake Engine 1"). The caption is shortened here instead, to the
// room the style gives the label, and shows whole as the header's tooltip.
class TSiteListHeader : public QHeaderView
{
public:
    explicit TSiteListHeader(QWidget *parent)
        : QHeaderView(Qt::Horizontal, parent)
    {}

protected:
    bool viewportEvent(QEvent *event) override
    {
        if (event->type() != QEvent::ToolTip)
            return QHeaderView::viewportEvent(event);
        const auto *help = static_cast<QHelpEvent *>(event);
        const int logical = logicalIndexAt(help->pos());
        if (logical >= 0) {
            QStyleOptionHeader option;
            initStyleOption(&option);
            initStyleOptionForIndex(&option, logical);
            const QString caption = model()->headerData(logical, orientation(), Qt::DisplayRole).toString();
            if (option.text != caption) {
                // The names come from the engine table, which the update
                // list may replace; as markup, <img src="..."> would have the
                // tip read a local file.
                const QString tip =
                    Qt::mightBeRichText(caption) ? Qt::convertFromPlainText(caption, Qt::WhiteSpaceNoWrap) : caption;
                QToolTip::showText(help->globalPos(), tip, this);
                return true;
            }
        }
        QToolTip::hideText();
        event->ignore();
        return true;
    }

    void initStyleOptionForIndex(QStyleOptionHeader *option, int logicalIndex) const override
    {
        QHeaderView::initStyleOptionForIndex(option, logicalIndex);
        if (textElideMode() == Qt::ElideNone)
            return;
        QStyleOptionHeader probe(*option);
        probe.rect = QRect(0, 0, sectionSize(logicalIndex), height());
        const int room = style()->subElementRect(QStyle::SE_HeaderLabel, &probe, this).width();
        option->text = option->fontMetrics.elidedText(option->text, textElideMode(), room);
    }
};

} // namespace

bool TSiteRow::operator<(const QTreeWidgetItem &other) const
{
    const auto *list = qobject_cast<const TSiteListView *>(treeWidget());
    if (list && list->OnSortKey && other.type() == RowType)
        return sortKey(*list) < static_cast<const TSiteRow &>(other).sortKey(*list);
    if (!list || !list->OnCompare)
        return QTreeWidgetItem::operator<(other);
    return list->OnCompare(this, &other) < 0;
}

void TSiteRow::setData(int column, int role, const QVariant &value)
{
    if (column == 1)
        m_sortKeyKnown = false;
    QTreeWidgetItem::setData(column, role, value);
}

int64_t TSiteRow::sortKey(const TSiteListView &list) const
{
    if (!m_sortKeyKnown) {
        m_sortKey = list.OnSortKey(text(1));
        m_sortKeyKnown = true;
    }
    return m_sortKey;
}

int TSiteListView::ShownRowHeight() const
{
    // A larger desktop or application font would otherwise cut every row's
    // text off at the top and bottom.
    return std::max(RowHeight, fontMetrics().height());
}

TSiteListView::TSiteListView(QWidget *parent)
    : QTreeWidget(parent)
{
    setHeader(new TSiteListHeader(this));
    setRootIsDecorated(false);
    setIndentation(0);
    setUniformRowHeights(true);
    setItemsExpandable(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(true);
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    setSortingEnabled(false);
    setIconSize(QSize(16, 16));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    header()->setSectionsClickable(false);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(false);
    header()->setSortIndicatorShown(false);
    header()->setTextElideMode(Qt::ElideRight);
    setItemDelegate(new TSiteListDelegate(this));

    // Column widths follow the values quietly: a failure leaves a width as
    // it was.
    connect(model(), &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &topLeft, const QModelIndex &bottomRight) {
                guarded(Report::none(), [&] {
                    if (!topLeft.parent().isValid())
                        widenForCells(topLeft.row(), bottomRight.row(), topLeft.column(), bottomRight.column());
                });
            });
    connect(model(), &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex &under, int first, int last) {
        guarded(Report::none(), [&] {
            if (!under.isValid())
                widenForCells(first, last, 1, int(m_countMinimums.size()));
        });
    });
    // Dragged narrower than its values, a count column springs back.
    connect(header(), &QHeaderView::sectionResized, this, [this](int column, int, int size) {
        guarded(Report::none(), [&] {
            if (isCountColumn(column)) {
                if (const int required = requiredWidth(column); size < required)
                    setColumnWidth(column, required);
            }
        });
    });

    // The selected row stays marked while another control has the focus.
    QPalette pal = palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText, pal.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(pal);
}

void TSiteListView::AlphaSort()
{
    // The column is only a formality: TSiteRow ignores it and compares totals.
    sortItems(1, Qt::AscendingOrder);
}

void TSiteListView::setCountColumnMinimumWidths(const QList<int> &widths)
{
    m_countMinimums = widths;
    for (int column = 1; column <= m_countMinimums.size() && column < columnCount(); ++column)
        setColumnWidth(column, requiredWidth(column));
}

int TSiteListView::cellWidth(int row, int column) const
{
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    return itemDelegate()->sizeHint(option, model()->index(row, column)).width();
}

int TSiteListView::contentWidth(int column) const
{
    int widest = 0;
    for (int row = 0; row < topLevelItemCount(); ++row)
        widest = std::max(widest, cellWidth(row, column));
    return widest;
}

int TSiteListView::requiredWidth(int column) const
{
    // The caption too: under a larger font "Engine 2" showed as "Engin...".
    return std::max({m_countMinimums.value(column - 1), contentWidth(column), header()->sectionSizeHint(column)});
}

void TSiteListView::changeEvent(QEvent *event)
{
    QTreeWidget::changeEvent(event);
    // A font grown while the list shows: the captions and the values need
    // more room than the widths taken under the old one. Never narrowed, as
    // a count is never shortened.
    if (event->type() == QEvent::FontChange)
        guarded(Report::none(), [&] {
            for (int column = 1; isCountColumn(column) && column < columnCount(); ++column)
                if (const int required = requiredWidth(column); columnWidth(column) < required)
                    setColumnWidth(column, required);
        });
}

void TSiteListView::widenForCells(int firstRow, int lastRow, int firstColumn, int lastColumn)
{
    for (int column = std::max(1, firstColumn); column <= lastColumn && isCountColumn(column); ++column) {
        int widest = 0;
        for (int row = firstRow; row <= lastRow; ++row)
            widest = std::max(widest, cellWidth(row, column));
        if (widest > columnWidth(column))
            setColumnWidth(column, widest);
    }
}

void TSiteListView::CommitEdit()
{
    if (state() != QAbstractItemView::EditingState)
        return;
    if (QWidget *editor = indexWidget(currentIndex())) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void TSiteListView::keyPressEvent(QKeyEvent *event)
{
    bool handled = false;
    // A key the handler took, or failed on, goes no further.
    if (OnKeyDown && (!guarded(Report::toUser(this), [&] { handled = OnKeyDown(event->key()); }) || handled)) {
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

QWidget *TSiteListDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                         const QModelIndex &index) const
{
    if (index.column() != 0)
        return nullptr;
    return QStyledItemDelegate::createEditor(parent, option, index);
}

void TSiteListDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    auto *edit = qobject_cast<QLineEdit *>(editor);
    if (!edit || index.column() != 0) {
        QStyledItemDelegate::setModelData(editor, model, index);
        return;
    }
    // The caption is the site's address.
    std::string text = foundation::TypedAddress(edit->text());
    // The handler may sort the list; the persistent index follows the row.
    const QPersistentModelIndex row(index);
    // A handler that fails keeps the caption as it was.
    const bool edited = guarded(Report::toUser(m_list), [&] {
        if (m_list->OnEdited) {
            if (QTreeWidgetItem *item = m_list->topLevelItem(index.row()))
                m_list->OnEdited(item, text);
        }
    });
    if (edited && row.isValid())
        model->setData(row, rtl::ToQString(text), Qt::EditRole);
}

void TSiteListDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (index.column() == 0) {
        option->features |= QStyleOptionViewItem::HasDecoration;
        option->icon = m_list->RowIcon;
        option->decorationSize = QSize(16, 16);
        option->displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    } else {
        option->displayAlignment = Qt::AlignRight | Qt::AlignVCenter;
    }
    if (m_list->OnCustomDraw) {
        guarded(Report::none(), [&] {
            if (const auto color = m_list->OnCustomDraw(index.row(), index.column())) {
                const QColor background = gfx::ToQColor(*color);
                option->backgroundBrush = background;
                // The scale is light whatever the desktop's palette: a dark
                // palette's light text would not read on it.
                option->palette.setColor(QPalette::Text, gfx::ReadableTextOn(background));
                // A check run writes the selected row's counts too; the cell that
                // receives one must show it through the selection.
                if (*color == HighlightColor)
                    option->state &= ~QStyle::State_Selected;
            }
        });
    }
}

void TSiteListDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyledItemDelegate::paint(painter, option, index);
    // Grid lines: every cell draws its right and bottom edge.
    painter->save();
    painter->setPen(option.palette.color(QPalette::Midlight).darker(115));
    const QRect r = option.rect;
    painter->drawLine(r.right(), r.top(), r.right(), r.bottom());
    painter->drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    painter->restore();
}

QSize TSiteListDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(m_list->ShownRowHeight());
    return size;
}

} // namespace app

#include "moc_SiteListView.cpp"
