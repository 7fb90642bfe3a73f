#include "grid/core/TreeListSelection.h"

#include "grid/core/TreeListNode.h"

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

} // namespace grid
