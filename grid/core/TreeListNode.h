#pragma once

// One row of the tree list and the unit of its hierarchy. A node holds no
// cell data: texts and the selected state are asked of its tree list, so one
// node class serves every kind of tree list. Nodes are made by the tree
// list's CreateNode and go through Delete(); walks never recurse, so a tree as
// deep as memory allows is walked, searched and freed without exhausting the
// stack.

#include "grid/core/FoldedText.h"

#include "platform/rtl/Exceptions.h"

#include <QString>
#include <QVariant>

#include <cstdint>
#include <memory>
#include <vector>

namespace grid {

class TCustomdxTreeList;
class TdxTreeListNode;
class TreeListSelection;

class EInvaliddxTreeListOperation : public rtl::Exception
{
public:
    explicit EInvaliddxTreeListOperation(const std::string &message)
        : rtl::Exception(message)
    {}
};

// The children of a node, or the top-level nodes of a tree list. Each node
// keeps its slot number, so Index and the sibling steps cost nothing, and
// the first entry goes without moving the others: freeing the children
// first to last stays linear however many there are.
class NodeList
{
public:
    int count() const { return int(m_items.size()) - m_first; }
    TdxTreeListNode *at(int index) const;
    TdxTreeListNode *first() const { return count() > 0 ? m_items[size_t(m_first)] : nullptr; }
    TdxTreeListNode *last() const { return count() > 0 ? m_items.back() : nullptr; }
    // -1 when the node is not in this list.
    int indexOf(const TdxTreeListNode *node) const;
    void append(TdxTreeListNode *node);
    void remove(TdxTreeListNode *node);
    // Takes the first entry out without renumbering the rest; used where the
    // list is emptied as a whole.
    TdxTreeListNode *takeFirst();
    // The same nodes in a new order.
    void reorder(const std::vector<TdxTreeListNode *> &order);

private:
    void renumber(size_t from);

    std::vector<TdxTreeListNode *> m_items;
    int m_first = 0; // entries before it have gone
};

class TdxTreeListNode
{
public:
    // An empty owner raises EInvaliddxTreeListOperation.
    explicit TdxTreeListNode(TCustomdxTreeList *owner);
    TdxTreeListNode(const TdxTreeListNode &) = delete;
    TdxTreeListNode &operator=(const TdxTreeListNode &) = delete;

    TCustomdxTreeList *Owner() const { return m_owner; }
    TdxTreeListNode *Parent() const { return m_parent; }

    // ---- Structure and navigation; none of these fires an event ----
    int Count() const { return m_children ? m_children->count() : 0; }
    // None outside 0 .. Count - 1.
    TdxTreeListNode *Items(int index) const { return m_children ? m_children->at(index) : nullptr; }
    int IndexOf(const TdxTreeListNode *child) const;
    // Among the siblings (top-level: in the owner's top-level list); -1 for
    // a node that has already left its list.
    int Index() const;
    int Level() const;
    bool HasAsParent(const TdxTreeListNode *node) const;
    bool IsLast() const;
    // Every ancestor is expanded.
    bool IsVisible() const;
    TdxTreeListNode *GetFirstChild() const { return Items(0); }
    TdxTreeListNode *GetLastChild() const { return m_children ? m_children->last() : nullptr; }
    TdxTreeListNode *GetNextSibling() const;
    TdxTreeListNode *GetPrevSibling() const;
    TdxTreeListNode *GetPrevSiblingOrParent() const;
    // Pre-order over all nodes.
    TdxTreeListNode *GetNext() const;
    TdxTreeListNode *GetPrev() const;
    TdxTreeListNode *GetLastVisibleDescendant() const;
    // The same orders restricted to expanded branches.
    TdxTreeListNode *GetNextVisible() const;
    TdxTreeListNode *GetPrevVisible() const;

    // ---- State through the owner ----
    bool Expanded() const { return m_expanded; }
    // Asks the owner first; see the tree list for what a change does.
    void SetExpanded(bool value);
    // Expands this node and, with recurse, every node below it, in one
    // update bracket. Nothing without HasChildren.
    void Expand(bool recurse);
    bool HasChildren() const { return m_hasChildren; }
    void SetHasChildren(bool value);
    bool Deleting() const { return m_deleting; }
    bool Focused() const;
    void SetFocused(bool value);
    bool Selected() const;
    void SetSelected(bool value);
    QString Strings(int column) const;
    QVariant Values(int column) const;
    // Image list indexes asked of the tree list; -1 for none.
    int ImageIndex() const;
    int SelectedIndex() const;
    int StateIndex() const;
    void MakeVisible();
    int AbsoluteIndex() const;

    // A new last child, made by the owner's CreateNode; none when a handler
    // of the owner's notifications deleted it at once.
    TdxTreeListNode *AddChild();
    // Frees the node with everything below it, telling the owner about each.
    // A request made while the tree list is inside a deletion or one of its
    // notifications is carried out once that has finished.
    void Delete();

protected:
    // Only the tree list frees nodes that are in a tree.
    virtual ~TdxTreeListNode();

private:
    friend class TCustomdxTreeList;
    friend class NodeList;
    friend class TreeListSelection;
    friend struct std::default_delete<TdxTreeListNode>;

    const NodeList *siblings() const;

    TCustomdxTreeList *m_owner;
    TdxTreeListNode *m_parent = nullptr;
    std::unique_ptr<NodeList> m_children; // none without children
    int32_t m_slot = -1;                  // position in the sibling list's storage
    bool m_deleting : 1 = false;
    bool m_expanded : 1 = false;
    bool m_hasChildren : 1 = false;
    bool m_selected : 1 = false;      // in the owner's selection store
    bool m_changing : 1 = false;      // its expanding or collapsing query runs
    bool m_deletePending : 1 = false; // its deletion waits for the running one
    FoldedPrefix m_folded;            // its text in the owner's search column
    // Its row height as last measured, good while the owner's row-height
    // generation is the one noted; the line count is kept plus 1, so that 0
    // stands for "not a multi-line row".
    uint16_t m_heightGeneration = 0;
    uint16_t m_heightLines = 0;
    int32_t m_height = 0;
};

} // namespace grid
