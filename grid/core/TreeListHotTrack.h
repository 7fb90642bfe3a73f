#pragma once

// The hot item of a tree list: the node cell or the column header under the
// pointer that hot tracking marks. Only its own areas repaint when it moves,
// and a hot node that leaves the tree stops being hot.

#include <memory>

namespace grid {

class TCustomdxTreeList;
class TdxTreeListNode;
class TreeListNodeRef;
struct TdxTreeListHitInfo;

class TreeListHotTrack
{
public:
    explicit TreeListHotTrack(TCustomdxTreeList &tree);
    ~TreeListHotTrack();
    TreeListHotTrack(const TreeListHotTrack &) = delete;
    TreeListHotTrack &operator=(const TreeListHotTrack &) = delete;

    // The hot cell's node; none for a hot header or nothing hot.
    TdxTreeListNode *Node() const;
    // The hot cell's or header's column; -1 when nothing is hot.
    int Column() const { return m_column; }
    bool IsHeader() const { return m_column >= 0 && !m_hasNode; }
    bool IsHotCell(const TdxTreeListNode *node, int column) const;

    // The pointer is over what the hit names (an empty hit: it left the
    // window). Follows the pointer only while the grid is at rest.
    void Update(const TdxTreeListHitInfo &hit);
    // Nothing is hot any more; where the hot item was is repainted.
    void Reset();

private:
    void set(TdxTreeListNode *node, int column);
    void invalidateHot();

    TCustomdxTreeList &m_tree;
    std::unique_ptr<TreeListNodeRef> m_node;
    bool m_hasNode = false;
    int m_column = -1;
};

} // namespace grid
