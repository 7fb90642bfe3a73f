#pragma once

// The nodes selected in a tree list with multiple selection. A bit in each
// node answers is-selected at once; the set beside it lets the selection be
// counted, cleared and removed from in time proportional to what is
// selected, not to the tree.

#include <unordered_set>

namespace grid {

class TdxTreeListNode;

class TreeListSelection
{
public:
    int count() const { return int(m_nodes.size()); }
    bool contains(const TdxTreeListNode *node) const;
    // One of the selected nodes, none when nothing is selected.
    TdxTreeListNode *any() const { return m_nodes.empty() ? nullptr : *m_nodes.begin(); }
    // False when nothing changed.
    bool insert(TdxTreeListNode *node);
    bool erase(TdxTreeListNode *node);
    void clear();

private:
    std::unordered_set<TdxTreeListNode *> m_nodes;
};

} // namespace grid
