#pragma once

// The scopes the tree list's operations open around their work; shared by
// the files that implement the tree list.

#include "grid/core/TreeList.h"

#include <exception>

namespace grid {

// Deletions asked for while one of these is open wait in the pending list;
// the outermost one carries them out when it closes. Handlers of the tree
// list's notifications may then delete any node, the one being handled
// included, without pulling a node from under the operation that called
// them.
// A scope of these closes on nothing once a handler freed the tree list
// meanwhile: what it held went with the tree list.
class TCustomdxTreeList::DeletionDeferral
{
public:
    explicit DeletionDeferral(TCustomdxTreeList &tree)
        : m_tree(tree)
        , m_alive(tree.AliveToken())
        , m_exceptions(std::uncaught_exceptions())
    {
        ++m_tree.m_deferDepth;
    }
    ~DeletionDeferral() noexcept(false)
    {
        if (m_alive.expired())
            return;
        // While an exception passes the deletions wait for the next
        // operation: they would run handlers during the unwinding.
        if (--m_tree.m_deferDepth == 0 && std::uncaught_exceptions() == m_exceptions)
            m_tree.flushPendingDeletions();
    }
    DeletionDeferral(const DeletionDeferral &) = delete;
    DeletionDeferral &operator=(const DeletionDeferral &) = delete;

private:
    TCustomdxTreeList &m_tree;
    TreeListAlive m_alive;
    int m_exceptions;
};

class TCustomdxTreeList::SelectionBracket
{
public:
    explicit SelectionBracket(TCustomdxTreeList &tree)
        : m_tree(tree)
        , m_alive(tree.AliveToken())
    {
        m_tree.BeginSelection();
    }
    ~SelectionBracket() noexcept(false)
    {
        if (!m_alive.expired())
            m_tree.EndSelection();
    }
    // The count the bracket opens with is a descendant's answer, which may
    // free the grid: the operation in the bracket ends then.
    bool gone() const { return m_alive.expired(); }
    SelectionBracket(const SelectionBracket &) = delete;
    SelectionBracket &operator=(const SelectionBracket &) = delete;

private:
    TCustomdxTreeList &m_tree;
    TreeListAlive m_alive;
};

// Opens the update bracket unless one is open already.
class TCustomdxTreeList::UpdateBracket
{
public:
    explicit UpdateBracket(TCustomdxTreeList &tree, bool open = true)
        : m_tree(tree)
        , m_alive(tree.AliveToken())
        , m_opened(open && !tree.IsUpdating())
    {
        if (m_opened)
            m_tree.BeginUpdate();
    }
    ~UpdateBracket() noexcept(false)
    {
        if (m_opened && !m_alive.expired())
            m_tree.EndUpdate();
    }
    // Opening runs a descendant's hooks, which may free the grid: the
    // operation in the bracket ends then.
    bool gone() const { return m_alive.expired(); }
    UpdateBracket(const UpdateBracket &) = delete;
    UpdateBracket &operator=(const UpdateBracket &) = delete;

private:
    TCustomdxTreeList &m_tree;
    TreeListAlive m_alive;
    bool m_opened;
};

} // namespace grid
