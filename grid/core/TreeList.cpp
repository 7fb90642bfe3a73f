#include "grid/core/TreeList.h"

#include "grid/core/InplaceEditor.h"
#include "grid/core/TreeListHost.h"
#include "grid/core/TreeListNodeDrag.h"
#include "grid/core/TreeListScopes.h"
#include "grid/core/TreeListShared.h"

#include "platform/classes/ClassBuilder.h"

#include <algorithm>
#include <climits>

namespace grid {

namespace {
constexpr const char *UnitName = "TreeList";
}

// ---- TCustomdxTreeList ----

const classes::TMetaClass &TCustomdxTreeList::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<TCustomdxTreeList, TCustomdxContainer>("TCustomdxTreeList");
    return meta;
}

TCustomdxTreeList::TCustomdxTreeList(classes::TComponent *owner)
    : TCustomdxContainer(owner)
    , m_hotTrack(std::make_unique<TreeListHotTrack>(*this))
    , m_bottomHint(std::make_unique<TreeListBottomHint>(*this))
{
    m_previewFont.SetColor(rtl::clBlue);
    for (classes::TFont *font : {&m_bandFont, &m_headerFont, &m_previewFont})
        font->OnChange = [this](classes::TObject *) { fontChanged(); };
}

TCustomdxTreeList::~TCustomdxTreeList()
{
    // A drag of this grid's nodes, or over it, ends without events.
    m_nodeDrag.reset();
    // The shared drag-scroll timer must not go on naming a grid that is gone.
    stopDragScroll();
    stopPressScroll();
    BeginDestroy();
}

void TCustomdxTreeList::Loaded()
{
    TCustomdxContainer::Loaded();
    LayoutChanged();
}

void TCustomdxTreeList::BeginDestroy()
{
    if (m_destroyStarted)
        return;
    m_destroyStarted = true;
    // Freed by a handler inside one of its own operations: the scopes of
    // that operation end on nothing (the grid's token has expired), so the
    // nodes are deleted now instead of waiting for them.
    m_deferDepth = 0;
    Destroying();
    // The process-wide click-to-edit timer must not name a grid that is gone.
    if (SharedTimers().delayedEditGrid == this)
        stopDelayedEdit();
    m_bottomHint->Stop();
    // The window's drag picture goes with a header drag, and no timer of
    // the window goes on for a grid that is going.
    if (m_state == tsColumnDragging || m_state == tsBandDragging)
        endHeaderDrag();
    if (m_nodeDrag)
        m_nodeDrag->WindowGoing();
    stopPressScroll();
    m_host = nullptr;
    // The lists must not call a grid that is going.
    dropImageLists();
    EndEditing();
    BeginUpdateHook();
    m_rows.drop();
    ClearNodes();
}

// ---- Nodes ----

TdxTreeListNode *TCustomdxTreeList::Add()
{
    return insertNode(nullptr);
}

TdxTreeListNode *TCustomdxTreeList::insertNode(TdxTreeListNode *parent)
{
    // A node on its way out, or a tree list on its way out, takes no new
    // nodes: they would be freed with nothing to tell them to the handlers,
    // or made by a factory that is already gone.
    if ((parent && (!owns(parent) || parent->m_deleting)) || IsDestroying())
        return nullptr;
    std::unique_ptr<TdxTreeListNode> made = CreateNode();
    if (!made || made->m_owner != this)
        throw EInvaliddxTreeListOperation("Invalid Owner TdxTreeListNode");
    TdxTreeListNode *node = made.release();
    node->m_parent = parent;
    if (parent) {
        if (!parent->m_children)
            parent->m_children = std::make_unique<NodeList>();
        parent->m_children->append(node);
        parent->m_hasChildren = true;
    } else {
        m_topLevel.append(node);
    }
    ++m_nodeCount;
    TreeListNodeRef added(*this, node);
    {
        // Both are a descendant's, and may free the grid.
        const TreeListAlive self = AliveToken();
        DeletionDeferral defer(*this);
        NodeAdded(node);
        if (!self.expired())
            NodeCountChanged();
    }
    return added.get();
}

void TCustomdxTreeList::deleteNode(TdxTreeListNode *node)
{
    if (!owns(node) || node->m_deleting)
        return;
    if (m_deferDepth > 0) {
        if (!node->m_deletePending) {
            node->m_deletePending = true;
            m_pendingDeletes.push_back(node);
        }
        return;
    }
    DeletionDeferral defer(*this);
    SelectionBracket bracket(*this);
    if (bracket.gone())
        return;
    // OnDeletion may free the tree list.
    const TreeListAlive self = AliveToken();
    freeSubtree(node);
    if (!self.expired() && !m_clearing)
        NodeCountChanged();
}

void TCustomdxTreeList::dropBranch(TdxTreeListNode *root)
{
    std::vector<TdxTreeListNode *> left{root};
    while (!left.empty()) {
        TdxTreeListNode *node = left.back();
        left.pop_back();
        // The lists are read, not emptied: emptying one tells the tree
        // list, which has gone.
        if (node->m_children)
            for (int i = 0; i < node->m_children->count(); ++i)
                left.push_back(node->m_children->at(i));
        delete node;
    }
}

void TCustomdxTreeList::freeSubtree(TdxTreeListNode *root)
{
    // Post-order without recursion: a node goes once its children have
    // gone. While clearing, each node's children list is taken from it
    // first and emptied from the front, so nothing is renumbered; a child
    // that a handler adds meanwhile gets a new list, which is taken in turn.
    //
    // A node goes after its children and earlier siblings, so the row after
    // it is its next sibling or the row after its parent's branch. Each frame
    // remembers the latter once found, so a deep chain is not climbed again
    // for every node in it.
    struct Frame
    {
        TdxTreeListNode *node;
        std::unique_ptr<NodeList> taken;
        TdxTreeListNode *after = nullptr;
        bool afterKnown = false;
    };
    std::vector<Frame> stack;
    auto enter = [&](TdxTreeListNode *n) {
        n->m_deleting = true;
        stack.push_back({n, m_clearing ? std::move(n->m_children) : nullptr});
    };
    auto afterBranch = [&](size_t level) -> TdxTreeListNode * {
        size_t from = level;
        while (!stack[from].afterKnown && from > 0 && !stack[from].node->GetNextSibling())
            --from;
        TdxTreeListNode *after = nullptr;
        if (stack[from].afterKnown)
            after = stack[from].after;
        else if (TdxTreeListNode *sibling = stack[from].node->GetNextSibling())
            after = sibling;
        else
            for (const TdxTreeListNode *p = stack[from].node->m_parent; p && !after; p = p->m_parent)
                after = p->GetNextSibling();
        for (size_t i = from; i <= level; ++i) {
            stack[i].after = after;
            stack[i].afterKnown = true;
        }
        return after;
    };
    enter(root);
    while (!stack.empty()) {
        Frame &top = stack.back();
        TdxTreeListNode *child = nullptr;
        if (m_clearing) {
            if (top.taken && top.taken->count() > 0) {
                child = top.taken->takeFirst();
            } else if (top.node->m_children) {
                top.taken = std::move(top.node->m_children);
                continue;
            }
        } else {
            child = top.node->GetFirstChild();
        }
        if (child) {
            enter(child);
            continue;
        }
        TdxTreeListNode *node = top.node;
        TdxTreeListNode *nextVisible = nullptr;
        if (!m_clearing) {
            nextVisible = node->GetNextSibling();
            if (!nextVisible)
                nextVisible = stack.size() > 1 ? afterBranch(stack.size() - 2) : node->GetNextVisible();
        }
        stack.pop_back();
        const TreeListAlive self = AliveToken();
        const bool clearing = m_clearing;
        finishDeletion(node, nextVisible);
        delete node;
        if (self.expired()) {
            // OnDeletion freed the tree list, and with it every node still
            // in the tree; what a clearing had taken out goes here.
            if (clearing) {
                for (Frame &frame : stack) {
                    if (frame.taken)
                        for (int i = 0; i < frame.taken->count(); ++i)
                            dropBranch(frame.taken->at(i));
                    dropBranch(frame.node);
                }
            }
            return;
        }
    }
}

void TCustomdxTreeList::finishDeletion(TdxTreeListNode *node, TdxTreeListNode *nextVisible)
{
    TdxTreeListNode *previous = nullptr;
    bool wasLast = false;
    bool wasVisible = false;
    if (!m_clearing) {
        previous = node->GetPrevSiblingOrParent();
        wasLast = node->IsLast();
        // Inside a branch that goes, only its first node climbs the tree.
        wasVisible = !(node->m_parent && node->m_parent->m_deleting) && node->IsVisible();
    }
    if (TdxTreeListNode *parent = node->m_parent) {
        if (NodeList *list = parent->m_children.get(); list && list->indexOf(node) >= 0) {
            list->remove(node);
            if (list->count() == 0) {
                parent->m_children.reset();
                parent->m_hasChildren = NodeHasChildren(parent);
                parent->m_expanded = false;
            }
        }
    } else if (!m_clearing) {
        m_topLevel.remove(node);
    }
    --m_nodeCount;
    node->m_children.reset();
    if (!m_clearing)
        DropVisibleRows();
    NodeDeleted(node, previous, wasVisible, wasLast, nextVisible);
}

void TCustomdxTreeList::NodeDeleted(TdxTreeListNode *node, TdxTreeListNode *previous, bool, bool wasLast,
                                    TdxTreeListNode *nextVisible)
{
    const TreeListAlive self = AliveToken();
    if (OnDeletion)
        OnDeletion(this, node);
    if (self.expired())
        return;
    // The edited node is gone: editing ends without storing into it.
    if (node == m_editedNode)
        AbandonEdit();
    repairReferences(node, previous, wasLast, nextVisible);
    if (!m_clearing && !IsUpdating() && m_host)
        m_host->invalidateAll();
}

void TCustomdxTreeList::repairReferences(TdxTreeListNode *node, TdxTreeListNode *previous, bool wasLast,
                                         TdxTreeListNode *nextVisible)
{
    // A neighbour that is itself on its way is repaired again when it goes;
    // nodes go children first, so the last repair points outside what goes.
    // The focus takes the row below, or for a last child the row above; the
    // top row the row below, or the row above at the end of the rows. The
    // row above is the previous sibling's last visible descendant, or the
    // parent of a child that was its only one.
    TdxTreeListNode *above = previous ? previous->GetLastVisibleDescendant() : nullptr;
    if (m_focused == node)
        m_focused = !wasLast && nextVisible ? nextVisible : above;
    if (m_top == node)
        m_top = nextVisible ? nextVisible : above;
    if (m_anchor == node)
        m_anchor = nullptr;
    m_selection.erase(node);
    if (node->m_deletePending) {
        node->m_deletePending = false;
        std::erase(m_pendingDeletes, node);
    }
    for (size_t i = 0; i < m_refs.size(); ++i) {
        TreeListNodeRef *ref = m_refs[i];
        if (ref->m_node != node)
            continue;
        ref->m_node = nullptr;
        if (ref->m_onDeleted)
            ref->m_onDeleted(node);
    }
}

void TCustomdxTreeList::flushPendingDeletions()
{
    // One loop carries out what the deletions it makes ask for in turn, so
    // a chain of requests does not nest.
    if (m_flushing)
        return;
    m_flushing = true;
    struct Reset
    {
        bool &flag;
        ~Reset() { flag = false; }
    } reset{m_flushing};
    while (m_clearPending || !m_pendingDeletes.empty()) {
        if (m_clearPending) {
            m_clearPending = false;
            ClearNodes();
            continue;
        }
        TdxTreeListNode *node = m_pendingDeletes.front();
        m_pendingDeletes.erase(m_pendingDeletes.begin());
        node->m_deletePending = false;
        deleteNode(node);
    }
}

void TCustomdxTreeList::ClearNodes()
{
    if (m_deferDepth > 0) {
        m_clearPending = true;
        return;
    }
    DeletionDeferral defer(*this);
    UpdateBracket bracket(*this, !IsDestroying());
    if (bracket.gone())
        return;
    // The hook, the selection's handlers and those of the deletion notice
    // may free the tree list: the nodes taken out go then. The latter may
    // add top-level nodes; they go too.
    const TreeListAlive self = AliveToken();
    m_clearing = true;
    BeginUpdateHook();
    if (self.expired())
        return;
    ClearSelection();
    if (self.expired())
        return;
    m_rows.drop();
    const bool hadNodes = m_topLevel.count() > 0;
    while (m_topLevel.count() > 0) {
        NodeList taken;
        std::swap(taken, m_topLevel);
        while (TdxTreeListNode *node = taken.takeFirst()) {
            freeSubtree(node);
            if (self.expired()) {
                for (int i = 0; i < taken.count(); ++i)
                    dropBranch(taken.at(i));
                return;
            }
        }
    }
    m_clearing = false;
    if (hadNodes && !IsDestroying())
        NodeCountChanged();
}

TdxTreeListNode *TCustomdxTreeList::LastVisibleNode() const
{
    TdxTreeListNode *n = m_topLevel.last();
    while (n && n->m_expanded && n->Count() > 0)
        n = n->GetLastChild();
    return n;
}

TdxTreeListNode *TCustomdxTreeList::GetRelativeNode(TdxTreeListNode *node, int kind, bool all)
{
    if (!owns(node))
        return nullptr;
    switch (kind) {
    case rnFirst: return m_topLevel.first();
    case rnPrevVisible: return node->GetPrevVisible();
    case rnNext: return all ? node->GetNext() : node->GetNextVisible();
    case rnLast: {
        if (!all)
            return LastVisibleNode();
        TdxTreeListNode *n = m_topLevel.last();
        while (n && n->Count() > 0)
            n = n->GetLastChild();
        return n;
    }
    default: return nullptr;
    }
}

// ---- Expansion ----

void TCustomdxTreeList::setNodeExpanded(TdxTreeListNode *node, bool value)
{
    if (!owns(node) || !node->m_hasChildren || node->m_expanded == value || node->m_changing || node->m_deleting)
        return;
    DeletionDeferral defer(*this);
    // The handlers may free the grid, and the node with it.
    const TreeListAlive self = AliveToken();
    bool allow = true;
    node->m_changing = true;
    try {
        value ? DoExpanding(node, allow) : DoCollapsing(node, allow);
    } catch (...) {
        if (!self.expired())
            node->m_changing = false;
        throw;
    }
    if (self.expired())
        return;
    node->m_changing = false;
    if (!allow || node->m_expanded == value)
        return;
    if (!value) {
        if (m_top && m_top->HasAsParent(node))
            SetTopNode(node);
        if (self.expired())
            return;
        if (m_focused && m_focused->HasAsParent(node) && (!CollapseWithFocusInside(node) || self.expired()))
            return;
    }
    node->m_expanded = value;
    // The rows' and the node's hooks are a descendant's, and may free the grid.
    if (!IsDestroying()) {
        if (IsUpdating()) {
            DropVisibleRows();
        } else {
            UpdateVisibleRows(node);
            if (self.expired())
                return;
            KeepPositionsValid();
        }
    }
    if (self.expired())
        return;
    NodeChanged(node, true);
    if (self.expired())
        return;
    value ? DoExpanded(node) : DoCollapsed(node);
}

void TCustomdxTreeList::expandNode(TdxTreeListNode *node, bool recurse)
{
    if (!owns(node) || !node->m_hasChildren)
        return;
    DeletionDeferral defer(*this);
    UpdateBracket bracket(*this);
    if (bracket.gone())
        return;
    const TreeListAlive self = AliveToken();
    setNodeExpanded(node, true);
    if (!recurse || self.expired())
        return;
    // Pre-order over the branch, without recursion.
    TdxTreeListNode *n = node->GetFirstChild();
    while (n) {
        if (n->m_hasChildren)
            setNodeExpanded(n, true);
        if (self.expired())
            return;
        if (n->Count() > 0) {
            n = n->GetFirstChild();
            continue;
        }
        while (n != node && !n->GetNextSibling())
            n = n->m_parent;
        n = n == node ? nullptr : n->GetNextSibling();
    }
}

void TCustomdxTreeList::MakeVisible(TdxTreeListNode *node)
{
    if (!owns(node))
        return;
    DeletionDeferral defer(*this);
    UpdateBracket bracket(*this, !node->IsVisible());
    if (bracket.gone())
        return;
    const TreeListAlive self = AliveToken();
    for (TdxTreeListNode *p = node->m_parent; p; p = p->m_parent)
        if (!p->m_expanded) {
            setNodeExpanded(p, true);
            if (self.expired())
                return;
        }
    const int index = AbsoluteIndex(node);
    if (index < 0)
        return;
    const int top = TopRowIndex();
    const int rows = std::max(1, RowsPerPage());
    if (top < 0 || index < top)
        SetTopNode(node);
    else if (index > top + rows - 1)
        SetTopNode(NodeAtAbsoluteIndex(index - rows + 1));
}

// ---- Brackets ----

void TCustomdxTreeList::BeginUpdate()
{
    ZVO_ASSERT(m_updateCount < INT32_MAX, UnitName);
    ++m_updateCount;
    // A descendant's hooks may free the grid: the bracket then ends on
    // nothing, and the caller checks the grid's token before going on.
    const TreeListAlive self = AliveToken();
    ResetHotTracking();
    if (self.expired())
        return;
    if (m_editor && m_editor->Shown()) {
        // The edit goes on: the editor comes back over its cell, with the
        // keys if it had them, once the bracket closes.
        if (m_state == tsEditing && !m_editorAside) {
            m_editorAside = true;
            m_editorAsideFocused = m_editor->IsFocused();
        }
        m_editor->HideEdit();
    }
    BeginUpdateHook();
    if (!self.expired())
        BeginSelection();
}

void TCustomdxTreeList::EndUpdate()
{
    ZVO_ASSERT(m_updateCount > 0, UnitName);
    --m_updateCount;
    // A descendant's hook (a pending sort) may run handlers that free the
    // grid.
    const TreeListAlive self = AliveToken();
    EndUpdateHook();
    if (!self.expired())
        EndSelection();
    if (!self.expired() && m_updateCount == 0)
        PlaceEditor();
}

void TCustomdxTreeList::BeginSelection()
{
    ZVO_ASSERT(m_selectionLock < INT32_MAX, UnitName);
    if (m_selectionLock == 0) {
        const TreeListAlive self = AliveToken();
        const int count = SelectedCount();
        if (self.expired())
            return;
        m_selectionCountAtBegin = count;
    }
    ++m_selectionLock;
}

void TCustomdxTreeList::EndSelection()
{
    ZVO_ASSERT(m_selectionLock > 0, UnitName);
    --m_selectionLock;
    if (m_selectionLock == 0 && SelectedCount() != m_selectionCountAtBegin)
        SelectionChanged();
}

void TCustomdxTreeList::BeginUpdateHook() {}

void TCustomdxTreeList::EndUpdateHook()
{
    if (m_updateCount > 0 || IsDestroying())
        return;
    if (m_layoutPending && m_host) {
        m_layoutPending = false;
        CalcMetrics();
    }
    if (!m_clearing) {
        ensureVisibleRows();
        KeepPositionsValid();
    }
    if (m_host)
        m_host->invalidateAll();
}

void TCustomdxTreeList::ResetHotTracking()
{
    m_hotTrack->Reset();
}

// ---- Focus ----

void TCustomdxTreeList::SetFocusedNode(TdxTreeListNode *node)
{
    if (node && !owns(node))
        return;
    ChangeFocus(node, FocusedColumn(), true);
}

void TCustomdxTreeList::ChangeFocus(TdxTreeListNode *node, int column, bool makeVisible)
{
    if (node && !owns(node))
        return;
    DeletionDeferral defer(*this);
    // OnChangeNode, and the expansion handlers of the node's way into
    // view, may free the grid.
    const TreeListAlive self = AliveToken();
    TdxTreeListNode *old = m_focused;
    if (node != old) {
        // Another node's row takes the focus from the new item row too.
        SetNewItemRowActive(false);
        m_focused = node;
        if (old)
            InvalidateNode(old);
        if (node && !self.expired())
            InvalidateNode(node);
        if (self.expired())
            return;
        if (OnChangeNode)
            OnChangeNode(this, old, node);
        if (self.expired())
            return;
    }
    setFocusedColumnPosition(column);
    if (makeVisible && m_focused) {
        MakeVisible(m_focused);
        if (self.expired())
            return;
        // With row focus no column is focused: a row step keeps the columns
        // where the user scrolled them.
        if (!IsRowFocus())
            MakeColumnVisible(FocusedColumnIndex());
    }
}

void TCustomdxTreeList::setFocusedColumnPosition(int position)
{
    if (position == m_focusedColumn || position < 0 || position >= VisibleColumnCount())
        return;
    m_focusedColumn = position;
    if (m_searching && !IsRowFocus()) {
        m_searchColumn = ColumnAtPosition(position);
        m_searchText.clear();
    }
    if (m_focused)
        InvalidateNode(m_focused);
}

int TCustomdxTreeList::FocusedColumn()
{
    if (IsRowFocus())
        return 0;
    return m_focusedColumn >= 0 && m_focusedColumn < VisibleColumnCount() ? m_focusedColumn : 0;
}

void TCustomdxTreeList::SetFocusedColumn(int position)
{
    if (position == m_focusedColumn || position < 0 || position >= VisibleColumnCount())
        return;
    ChangeFocus(m_focused, position, true);
}

int TCustomdxTreeList::FocusedColumnIndex()
{
    return ColumnAtPosition(FocusedColumn());
}

int TCustomdxTreeList::FocusedRowIndex()
{
    return m_focused ? AbsoluteIndex(m_focused) : 0;
}

int TCustomdxTreeList::TopRowIndex()
{
    return m_top ? AbsoluteIndex(m_top) : -1;
}

void TCustomdxTreeList::MoveFocus(int kind, bool all)
{
    if (!m_focused)
        return;
    DeletionDeferral defer(*this);
    // A descendant's answer for the next node, the selection's answers and
    // the focus handlers may free the grid.
    const TreeListAlive self = AliveToken();
    TdxTreeListNode *next = GetRelativeNode(m_focused, kind, all);
    if (!next || self.expired())
        return;
    const bool onlyFocusedSelected =
        IsMultiSelect() && SelectedCount() == 1 && !self.expired() && IsNodeSelected(m_focused);
    if (self.expired())
        return;
    ChangeFocus(next, FocusedColumn(), true);
    if (!self.expired() && onlyFocusedSelected && m_focused) {
        SelectionBracket bracket(*this);
        if (bracket.gone())
            return;
        ClearSelection();
        if (!self.expired() && m_focused)
            SetNodeSelected(m_focused, true);
    }
}

bool TCustomdxTreeList::IsFocusedFirst()
{
    return m_topLevel.count() == 0 || (m_focused && IsFirstRow(m_focused));
}

bool TCustomdxTreeList::IsFocusedLast()
{
    return m_topLevel.count() == 0 || (m_focused && IsLastRow(m_focused));
}

bool TCustomdxTreeList::IsFirstRow(TdxTreeListNode *node)
{
    return node && m_topLevel.count() > 0 && node == m_topLevel.first();
}

bool TCustomdxTreeList::IsLastRow(TdxTreeListNode *node)
{
    return node && node == LastVisibleNode();
}

// ---- Display positions ----

void TCustomdxTreeList::ensureVisibleRows()
{
    if (!m_rows.valid() && m_topLevel.count() > 0 && !IsUpdating() && !m_clearing && !IsDestroying())
        UpdateVisibleRows(nullptr);
}

int TCustomdxTreeList::AbsoluteIndex(const TdxTreeListNode *node)
{
    if (!owns(node))
        return -1;
    ensureVisibleRows();
    if (m_rows.valid())
        return m_rows.indexOf(node);
    if (!node->IsVisible())
        return -1;
    int index = 0;
    for (TdxTreeListNode *n = m_topLevel.first(); n; n = n->GetNextVisible(), ++index)
        if (n == node)
            return index;
    return -1;
}

TdxTreeListNode *TCustomdxTreeList::NodeAtAbsoluteIndex(int index)
{
    if (index < 0)
        return nullptr;
    ensureVisibleRows();
    if (m_rows.valid())
        return m_rows.at(index);
    TdxTreeListNode *n = m_topLevel.first();
    for (int i = 0; n && i < index; ++i)
        n = n->GetNextVisible();
    return n;
}

int TCustomdxTreeList::VisibleRowCount()
{
    ensureVisibleRows();
    if (m_rows.valid())
        return m_rows.count();
    int count = 0;
    for (TdxTreeListNode *n = m_topLevel.first(); n; n = n->GetNextVisible())
        ++count;
    return count;
}

void TCustomdxTreeList::DropVisibleRows()
{
    rowHeightsStale();
    if (!m_clearing)
        m_rows.drop();
}

void TCustomdxTreeList::UpdateVisibleRows(TdxTreeListNode *changed)
{
    if (IsDestroying()) {
        m_rows.drop();
        return;
    }
    if (!changed)
        m_rows.rebuild(m_topLevel);
    else if (!m_rows.valid())
        return;
    else if (changed->m_expanded)
        m_rows.expanded(changed);
    else
        m_rows.collapsed(changed);
    if (!m_clearing && IsMultiLineRows())
        RowHeightsChanged();
    // A node's footer lines follow its siblings and its ancestors'.
    rowHeightsStale();
}

// ---- Hooks ----

void TCustomdxTreeList::NodeAdded(TdxTreeListNode *node)
{
    // A node in a collapsed branch changes no row and does not become the
    // top row or the focus: neither can be a row that is not shown.
    // Its parent's height changes all the same, and its sibling's footers.
    rowHeightsStale();
    if (node->IsVisible()) {
        if (!m_top)
            SetTopNode(node);
        if (!m_focused)
            m_focused = node;
        DropVisibleRows();
    }
    if (!IsUpdating())
        InvalidateNode(node->m_parent ? node->m_parent : node);
}

bool TCustomdxTreeList::NodeHasChildren(TdxTreeListNode *node)
{
    return node->Count() > 0;
}

void TCustomdxTreeList::DoExpanding(TdxTreeListNode *node, bool &allow)
{
    if (OnExpanding)
        OnExpanding(this, node, allow);
}

void TCustomdxTreeList::DoCollapsing(TdxTreeListNode *node, bool &allow)
{
    if (OnCollapsing)
        OnCollapsing(this, node, allow);
}

void TCustomdxTreeList::DoExpanded(TdxTreeListNode *node)
{
    if (OnExpanded)
        OnExpanded(this, node);
}

void TCustomdxTreeList::DoNodeChanged(TdxTreeListNode *node)
{
    if (OnNodeChanged)
        OnNodeChanged(this, node);
}

void TCustomdxTreeList::DoCollapsed(TdxTreeListNode *node)
{
    if (OnCollapsed)
        OnCollapsed(this, node);
}

bool TCustomdxTreeList::CollapseWithFocusInside(TdxTreeListNode *node)
{
    ChangeFocus(node, FocusedColumn(), false);
    return true;
}

void TCustomdxTreeList::NodeChanged(TdxTreeListNode *node, bool fullRefresh)
{
    if (fullRefresh) {
        if (m_host && !IsUpdating())
            m_host->invalidateAll();
    } else {
        InvalidateNode(node);
    }
}

void TCustomdxTreeList::InvalidateNode(TdxTreeListNode *node)
{
    // Without a layout the row's rectangle is unknown here; the control
    // with geometry repaints just the row.
    if (node && m_host && !IsUpdating())
        m_host->invalidateAll();
}

void TCustomdxTreeList::SetTopNode(TdxTreeListNode *node)
{
    if (node == m_top || (node && !owns(node)))
        return;
    m_top = node;
    if (m_host && !IsUpdating())
        m_host->invalidateAll();
}

bool TCustomdxTreeList::IsSingleTextNode(TdxTreeListNode *)
{
    return false;
}

} // namespace grid
