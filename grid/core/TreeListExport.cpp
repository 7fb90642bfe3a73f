// The rows of the tree list as TAB-separated text: one header entry with the
// captions of the visible columns and a CR LF inside it, then one entry per
// row. Cell texts go out as they are, TABs and line breaks included; on the
// clipboard a password column gives its mask characters instead.

#include "grid/core/CharCase.h"
#include "grid/core/TreeList.h"
#include "grid/core/TreeListHost.h"

#include <utility>

namespace grid {

namespace {
const QString Tab = QStringLiteral("\t");
const QString LineEnd = QStringLiteral("\r\n");
} // namespace

std::vector<int> TCustomdxTreeList::exportColumns()
{
    const int count = VisibleColumnCount();
    std::vector<int> columns;
    columns.reserve(size_t(count));
    int at = 0;
    forEachPlacedColumn([&](int column, int, int, int) {
        if (at++ >= count)
            return false;
        columns.push_back(column);
        return true;
    });
    // A model that places fewer columns than it calls visible leaves the
    // rest empty.
    columns.resize(size_t(count), -1);
    return columns;
}

QString TCustomdxTreeList::headerEntry(const std::vector<int> &columns)
{
    QString header;
    for (size_t i = 0; i < columns.size(); ++i) {
        if (i > 0)
            header += Tab;
        if (columns[i] >= 0)
            header += ColumnHeaderCaption(columns[i]);
    }
    return header + LineEnd;
}

QString TCustomdxTreeList::ShownCellText(const TdxTreeListNode *node, int column)
{
    const QString text = CellText(node, column);
    if (const QChar mask = ColumnPasswordChar(column); !mask.isNull() && !text.isEmpty())
        return PasswordText(text, mask);
    return text;
}

QString TCustomdxTreeList::exportCellText(TdxTreeListNode *node, int column)
{
    return m_exportShownTexts ? ShownCellText(node, column) : CellText(node, column);
}

QString TCustomdxTreeList::nodeEntry(TdxTreeListNode *node, const std::vector<int> &columns)
{
    if (IsSingleTextNode(node))
        return exportCellText(node, 0);
    // A descendant's answer for a cell's text may free the grid: the
    // entry ends there.
    const TreeListAlive self = AliveToken();
    QString entry;
    for (size_t i = 0; i < columns.size() && !self.expired(); ++i) {
        if (i > 0)
            entry += Tab;
        if (columns[i] >= 0)
            entry += exportCellText(node, columns[i]);
    }
    return entry;
}

void TCustomdxTreeList::SaveAllToStrings(QStringList &list)
{
    const TreeListAlive self = AliveToken();
    const std::vector<int> columns = exportColumns();
    list.append(headerEntry(columns));
    for (TdxTreeListNode *n = m_topLevel.first(); n && !self.expired(); n = n->GetNextVisible()) {
        list.append(nodeEntry(n, columns));
        if (self.expired())
            return;
    }
}

void TCustomdxTreeList::SaveSelectedToStrings(QStringList &list)
{
    const TreeListAlive self = AliveToken();
    const std::vector<int> columns = exportColumns();
    list.append(headerEntry(columns));
    if (self.expired())
        return;
    if (IsMultiSelect()) {
        for (TdxTreeListNode *n : SelectedNodes()) {
            list.append(nodeEntry(n, columns));
            if (self.expired())
                return;
        }
    } else if (m_focused) {
        list.append(nodeEntry(m_focused, columns));
    }
}

void TCustomdxTreeList::CopySelectedToClipboard()
{
    // The clipboard is shared with every program on the desktop: it gets
    // what the cells show, so a password column goes as its mask
    // characters. A program that asks SaveSelectedToStrings for the rows
    // itself still gets the texts.
    // A descendant's answers may free the grid: nothing goes out then.
    const TreeListAlive self = AliveToken();
    struct ShownTexts
    {
        TCustomdxTreeList *tree;
        const TreeListAlive &alive;
        bool was = std::exchange(tree->m_exportShownTexts, true);
        ~ShownTexts()
        {
            if (!alive.expired())
                tree->m_exportShownTexts = was;
        }
    } shown{this, self};
    QStringList list;
    SaveSelectedToStrings(list);
    if (self.expired())
        return;
    // The list's text as a whole: every entry ends with a line break.
    QString text;
    for (const QString &entry : list)
        text += entry + LineEnd;
    if (m_host)
        m_host->setClipboardText(text);
}

} // namespace grid
