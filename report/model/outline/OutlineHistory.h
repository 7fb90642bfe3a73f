#pragma once

// TppOutlineHistory: the outline's tree as it stood at each page end, kept
// once for all pages. Between page ends the tree only grows (new nodes are
// appended as last children, and the only nodes taken out again are those
// made since the last page end), so the tree of page end g is the set of
// entries recorded up to g and not removed by then. A page's outline draw
// command keeps the history and its page end's number instead of a copy of
// the tree: memory grows with the nodes, not with nodes times pages.

#include "report/model/base/Types.h"

#include <QString>

#include <climits>
#include <cstdint>
#include <memory>
#include <vector>

namespace report {

class TppOutlineNode;

class TppOutlineHistory
{
public:
    TppOutlineHistory();

    // The root is entry 0, recorded at page end 0.
    static constexpr int RootIndex = 0;

    // Records a node under the entry aParent at the current page end;
    // answers its index.
    int Append(const TppOutlineNode &aNode, int aParent);
    // The entry leaves the tree from the next page end on.
    void Remove(int aIndex);
    // Closes the current page end and answers its number.
    int EndPage() { return ++m_generation; }
    int Generation() const { return m_generation; }
    int EntryCount() const { return int(m_entries.size()); }

    // The visible tree at page end aGeneration: a root of type ntRoot with
    // the root's caption and page reference, invisible entries replaced by
    // their children, and a page entry left out with its children when an
    // earlier page entry under the same parent refers to the same page.
    std::unique_ptr<TppOutlineNode> VisibleTree(int aGeneration) const;
    // The nodes of that tree below its root.
    int VisibleCount(int aGeneration) const;

    // Bytes held, for measuring.
    size_t ByteSize() const;

private:
    struct Entry
    {
        QString caption;
        int32_t pageReference = 0;
        TppOutlineNodeType nodeType = TppOutlineNodeType::ntOther;
        bool visible = true;
        int added = 0;
        int removed = INT_MAX;
        std::vector<int> children;
    };

    bool present(const Entry &aEntry, int aGeneration) const
    {
        return aEntry.added <= aGeneration && aEntry.removed > aGeneration;
    }
    template <class Visit>
    void visibleChildren(int aIndex, int aGeneration, std::vector<int32_t> &aPagesSeen, const Visit &aVisit) const;

    std::vector<Entry> m_entries;
    int m_generation = 0;
};

// The visible-tree copy of a tree that starts at a root node: the same
// rules as the history's, on a live tree. nullptr for nil or a node that
// is no ntRoot node.
std::unique_ptr<TppOutlineNode> ppCopyVisibleTree(const TppOutlineNode *aRoot);

} // namespace report
