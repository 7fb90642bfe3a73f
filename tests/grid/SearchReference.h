#pragma once

// What a prefix search of the tree list must find, worked out the plain way:
// a walk along the tree that asks every node for its text and compares it
// with Qt's case-insensitive comparison. Tests and the fuzz target hold the
// tree list's own search against it.

#include "grid/core/TreeList.h"

namespace gridtest {

inline grid::TdxTreeListNode *referenceFindByPrefix(grid::TCustomdxTreeList &tree, int column, const QString &text,
                                                    int direction)
{
    if (text.isEmpty() || tree.Count() == 0)
        return nullptr;
    const bool backwards = direction == grid::sdBackward;
    const bool all = tree.SearchAllNodes();
    grid::TdxTreeListNode *const start = tree.FocusedNode() ? tree.FocusedNode() : tree.Items(0);
    grid::TdxTreeListNode *stop = nullptr;
    auto next = [&](grid::TdxTreeListNode *n) -> grid::TdxTreeListNode * {
        grid::TdxTreeListNode *step =
            backwards ? (all ? n->GetPrev() : n->GetPrevVisible()) : (all ? n->GetNext() : n->GetNextVisible());
        if (step || stop)
            return step;
        stop = start;
        return backwards ? tree.Items(tree.Count() - 1) : tree.Items(0);
    };
    grid::TdxTreeListNode *n = direction == grid::sdFocused ? start : next(start);
    for (; n && n != stop; n = next(n))
        if (n->Strings(column).startsWith(text, Qt::CaseInsensitive))
            return n;
    return nullptr;
}

} // namespace gridtest
