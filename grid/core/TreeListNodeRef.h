#pragma once

// A node reference that stays valid while nodes come and go, and the
// interaction states, relative-node kinds and search directions of the tree
// list, which its helpers name without needing the whole engine.

#include "grid/core/TreeListLife.h"

#include <cstdint>
#include <functional>

namespace grid {

class TCustomdxTreeList;
class TdxTreeListNode;

// The interaction state: one mode at a time.
enum TdxTreeListState : uint8_t {
    tsNone = 0,
    tsColumnSizing = 1,
    tsEditing = 2,
    tsColumnDragging = 3,
    tsColumnDown = 4,
    tsNodeDragging = 5,
    tsNodeDown = 6,
    tsHeaderButtonDown = 7,
    tsBandSizing = 8,
    tsBandDragging = 9,
    tsBandDown = 10,
    tsBandButtonDown = 11,
    tsBandPanelSizing = 12,
    tsHeaderPanelSizing = 13,
    tsRowSizing = 14,
    tsColumnDownAlt = 15,
    tsBottomButtonDown = 16,
};

// What GetRelativeNode looks for.
enum TdxRelativeNode : int { rnFirst = 0, rnPrevVisible = 1, rnNext = 2, rnLast = 3 };

// Where an incremental search step starts.
enum TdxSearchDirection : int { sdFocused = 0, sdBackward = 1, sdForward = 2 };

// A node reference that the tree list keeps valid: when its node is deleted
// the reference becomes none and, when given, the handler is told which node
// went. It registers itself for its lifetime; a tree list a call-out freed
// meanwhile leaves it naming none.
class TreeListNodeRef
{
public:
    using Handler = std::function<void(TdxTreeListNode *deleted)>;

    explicit TreeListNodeRef(TCustomdxTreeList &tree, TdxTreeListNode *node = nullptr, Handler onDeleted = {});
    ~TreeListNodeRef();
    TreeListNodeRef(const TreeListNodeRef &) = delete;
    TreeListNodeRef &operator=(const TreeListNodeRef &) = delete;

    TdxTreeListNode *get() const { return m_tree.expired() ? nullptr : m_node; }
    TreeListNodeRef &operator=(TdxTreeListNode *node)
    {
        m_node = node;
        return *this;
    }
    operator TdxTreeListNode *() const { return get(); }
    TdxTreeListNode *operator->() const { return get(); }

private:
    friend class TCustomdxTreeList;
    TCustomdxTreeList *m_owner;
    TreeListAlive m_tree;
    TdxTreeListNode *m_node;
    Handler m_onDeleted;
};

} // namespace grid
