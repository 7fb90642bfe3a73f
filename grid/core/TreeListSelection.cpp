#include "grid/core/TreeListSelection.h"

#include "grid/core/TreeList.h"
#include "grid/core/TreeListHost.h"
#include "grid/core/TreeListNode.h"
#include "grid/core/TreeListScopes.h"

#include <cstdlib>

namespace grid {

bool TreeListSelection::contains(const TdxTreeListNode *node) const
{
    return node && node->m_selected;
}

bool TreeListSelection::insert(TdxTreeListNode *node)
{
    if (!node || node->m_selected)
        return false;
    m_nodes.insert(node);
    node->m_selected = true;
    return true;
}

bool TreeListSelection::erase(TdxTreeListNode *node)
{
    if (!node || !node->m_selected)
        return false;
    m_nodes.erase(node);
    node->m_selected = false;
    return true;
}

void TreeListSelection::clear()
{
    for (TdxTreeListNode *n : m_nodes)
        n->m_selected = false;
    m_nodes.clear();
}

// ---- The tree list's selection ----

int TCustomdxTreeList::SelectedCount()
{
    return m_selection.count();
}

bool TCustomdxTreeList::IsNodeSelected(const TdxTreeListNode *node)
{
    return m_selection.contains(node);
}

void TCustomdxTreeList::SetNodeSelected(TdxTreeListNode *node, bool selected)
{
    if (!owns(node))
        return;
    if (selected ? m_selection.insert(node) : m_selection.erase(node)) {
        InvalidateNode(node);
        SelectionChanged();
    }
}

void TCustomdxTreeList::ClearSelection()
{
    if (m_selection.count() == 0)
        return;
    m_selection.clear();
    if (m_host && !IsUpdating())
        m_host->invalidateAll();
    SelectionChanged();
}

void TCustomdxTreeList::SelectRange(TdxTreeListNode *from, TdxTreeListNode *to)
{
    if (!owns(from) || !owns(to))
        return;
    SelectionBracket bracket(*this);
    if (bracket.gone())
        return;
    const int a = AbsoluteIndex(from);
    const int b = AbsoluteIndex(to);
    if (a < 0 || b < 0) {
        SetNodeSelected(to, true);
        return;
    }
    TdxTreeListNode *n = a <= b ? from : to;
    TdxTreeListNode *other = a <= b ? to : from;
    const int steps = std::abs(a - b);
    // The can-select handler may free the grid.
    const TreeListAlive self = AliveToken();
    for (int i = 0; n && i <= steps; ++i) {
        SetNodeSelected(n, true);
        if (self.expired())
            return;
        if (n == other)
            break;
        n = n->GetNextVisible();
    }
}

std::vector<TdxTreeListNode *> TCustomdxTreeList::SelectedNodes()
{
    // One pre-order walk: linear in the tree, whatever is selected, where
    // sorting by climbing to common ancestors costs the depth per compare.
    std::vector<TdxTreeListNode *> nodes;
    int left = m_selection.count();
    nodes.reserve(size_t(left));
    for (TdxTreeListNode *n = m_topLevel.first(); n && left > 0; n = n->GetNext())
        if (m_selection.contains(n)) {
            nodes.push_back(n);
            --left;
        }
    return nodes;
}

void TCustomdxTreeList::SetSelectionAnchor(TdxTreeListNode *node)
{
    if (!node || owns(node))
        m_anchor = node;
}

int TCustomdxTreeList::CompareWithAnchor(TdxTreeListNode *node)
{
    const int anchor = AbsoluteIndex(m_anchor);
    const int index = AbsoluteIndex(node);
    return anchor > index ? -1 : anchor == index ? 0 : 1;
}

void TCustomdxTreeList::SelectionChanged()
{
    if (!IsDestroying() && m_selectionLock == 0 && OnSelectionChanged)
        OnSelectionChanged(this);
}

} // namespace grid
