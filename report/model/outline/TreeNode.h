#pragma once

// TppTreeNode: a node of a tree whose children are its relative children,
// with the walks a script or a viewer needs (next and previous in pre-order,
// siblings, the deepest last descendant) and copies of whole branches.

#include "report/model/objects/Relative.h"

namespace report {

class TppTreeNode : public TppRelative
{
    ZVO_CLASS(TppTreeNode)
public:
    explicit TppTreeNode(classes::TComponent *aOwner = nullptr);
    ~TppTreeNode() override;

    // ---- Virtual operations ----
    virtual bool IsTreeNode() const { return true; }
    // A new node of this node's class, appended as its last child.
    virtual TppTreeNode *Add();

    // ---- The tree ----
    // The parent when it is a tree node, else nullptr.
    TppTreeNode *ParentNode() const;
    void SetParentNode(TppTreeNode *aParent) { SetParent(aParent); }
    // nullptr for a child that is no tree node; EListError outside the list.
    TppTreeNode *ChildNodes(int aIndex) const;
    int ChildNodeCount() const { return ChildCount(); }
    // Every descendant, at any depth.
    int AbsoluteChildNodeCount() const;
    // The number of tree-node ancestors.
    int Level() const;

    // A node of this class under aNewParent, assigned from this one, with
    // copies of the descendants when aRecurse.
    TppTreeNode *CloneNode(TppTreeNode *aNewParent, bool aRecurse) const;

    TppTreeNode *GetFirstChild() const;
    TppTreeNode *GetLastChild() const;
    // The last child's last child and so on; nullptr without children.
    TppTreeNode *GetLastChildDescendent() const;
    // Pre-order: first child, else next sibling, else the next sibling of
    // the nearest ancestor that has one.
    TppTreeNode *GetNext() const;
    TppTreeNode *GetNextSibling() const;
    // The previous sibling's last descendant, else the previous sibling,
    // else the parent.
    TppTreeNode *GetPrevious() const;
    TppTreeNode *GetPreviousSibling() const;

    // A tree node has no values of its own to copy.
    void Assign(const classes::TPersistent *source) override;
    // Children leave a tree last first when it is freed.
    int IndexOfChild(const TppRelative *aChild) const override;

private:
    TppTreeNode *sibling(int aOffset) const;

    TppLiveCount<TppTreeNode> m_live;
};

} // namespace report
