#pragma once

// The rows of the tree list as they are shown (top-level nodes and the
// descendants of expanded nodes, in display order), kept so that the display
// position of a node and the node at a position are found without a walk.
// Besides the rows it keeps the same nodes sorted by address, each with its
// position, so a position is a binary search away. An expansion or collapse
// of one node is applied in place; anything else drops the cache and the
// tree list rebuilds it.
//
// Apart from the rows it keeps every node in tree order, collapsed branches
// included, for the search over all nodes: a walk of a list of addresses
// asks the memory for many nodes at once, where a walk along the tree waits
// for each node before it knows the next. That list is made on demand and
// made again once the tree's structure has changed.

#include <cstdint>
#include <vector>

namespace grid {

class TdxTreeListNode;
class NodeList;

class VisibleRowCache
{
public:
    // Without a row the cache counts as absent.
    bool valid() const { return !m_rows.empty(); }
    int count() const { return int(m_rows.size()); }
    const std::vector<TdxTreeListNode *> &rows() const { return m_rows; }
    // None outside 0 .. count - 1.
    TdxTreeListNode *at(int index) const;
    // -1 for a node that is not listed.
    int indexOf(const TdxTreeListNode *node) const;

    void drop();
    void rebuild(const NodeList &topLevel);
    // The node at that position was expanded: its visible descendants come
    // in after it. Nothing when the node is not listed.
    void expanded(const TdxTreeListNode *node);
    // The node was collapsed: the rows of its descendants go.
    void collapsed(const TdxTreeListNode *node);

    // Every node in tree order, as of the given structure version.
    const std::vector<TdxTreeListNode *> &allNodes(const NodeList &topLevel, int nodeCount, uint64_t structure);

private:
    struct Entry
    {
        const TdxTreeListNode *node;
        int32_t position;
    };

    std::vector<TdxTreeListNode *> m_rows;
    std::vector<Entry> m_byAddress; // ascending node address
    std::vector<TdxTreeListNode *> m_all;
    uint64_t m_allStructure = 0;
    bool m_allMade = false;
};

} // namespace grid
