#include "report/model/outline/TreeNode.h"

#include "platform/classes/ClassBuilder.h"

namespace report {

const classes::TMetaClass &TppTreeNode::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<TppTreeNode, TppRelative>("TppTreeNode");
    return meta;
}

TppTreeNode::TppTreeNode(classes::TComponent *aOwner)
    : TppRelative(aOwner)
{}

TppTreeNode::~TppTreeNode()
{
    BeforeDestruction();
}

TppTreeNode *TppTreeNode::Add()
{
    auto *node = static_cast<TppTreeNode *>(ClassType().NewComponent(nullptr));
    node->SetParent(this);
    return node;
}

TppTreeNode *TppTreeNode::ParentNode() const
{
    return dynamic_cast<TppTreeNode *>(Parent());
}

TppTreeNode *TppTreeNode::ChildNodes(int aIndex) const
{
    return dynamic_cast<TppTreeNode *>(ChildAt(aIndex));
}

int TppTreeNode::AbsoluteChildNodeCount() const
{
    int count = ChildCount();
    for (int i = 0; i < ChildCount(); ++i)
        if (const TppTreeNode *child = ChildNodes(i))
            count += child->AbsoluteChildNodeCount();
    return count;
}

int TppTreeNode::Level() const
{
    int level = 0;
    for (const TppTreeNode *node = ParentNode(); node; node = node->ParentNode())
        ++level;
    return level;
}

TppTreeNode *TppTreeNode::CloneNode(TppTreeNode *aNewParent, bool aRecurse) const
{
    auto *node = static_cast<TppTreeNode *>(ClassType().NewComponent(nullptr));
    node->Assign(this);
    // The copy is made apart and joins last: placed inside the branch it
    // copies, it would otherwise copy itself without end.
    if (aRecurse)
        for (int i = 0; i < ChildCount(); ++i)
            if (const TppTreeNode *child = ChildNodes(i))
                child->CloneNode(node, true);
    node->SetParent(aNewParent);
    return node;
}

TppTreeNode *TppTreeNode::GetFirstChild() const
{
    return ChildCount() > 0 ? ChildNodes(0) : nullptr;
}

TppTreeNode *TppTreeNode::GetLastChild() const
{
    return ChildCount() > 0 ? ChildNodes(ChildCount() - 1) : nullptr;
}

TppTreeNode *TppTreeNode::GetLastChildDescendent() const
{
    TppTreeNode *node = GetLastChild();
    while (node && node->GetLastChild())
        node = node->GetLastChild();
    return node;
}

TppTreeNode *TppTreeNode::sibling(int aOffset) const
{
    TppRelative *parent = Parent();
    if (!parent)
        return nullptr;
    const int index = parent->IndexOfChild(this) + aOffset;
    return index >= 0 && index < parent->ChildCount() ? dynamic_cast<TppTreeNode *>(parent->ChildAt(index)) : nullptr;
}

TppTreeNode *TppTreeNode::GetNextSibling() const
{
    return sibling(1);
}

TppTreeNode *TppTreeNode::GetPreviousSibling() const
{
    return sibling(-1);
}

TppTreeNode *TppTreeNode::GetNext() const
{
    if (TppTreeNode *child = GetFirstChild())
        return child;
    for (const TppTreeNode *node = this; node; node = node->ParentNode())
        if (TppTreeNode *next = node->GetNextSibling())
            return next;
    return nullptr;
}

TppTreeNode *TppTreeNode::GetPrevious() const
{
    if (TppTreeNode *previous = GetPreviousSibling()) {
        TppTreeNode *last = previous->GetLastChildDescendent();
        return last ? last : previous;
    }
    return ParentNode();
}

void TppTreeNode::Assign(const classes::TPersistent *source)
{
    if (dynamic_cast<const TppTreeNode *>(source))
        return;
    TppRelative::Assign(source);
}

int TppTreeNode::IndexOfChild(const TppRelative *aChild) const
{
    for (int i = ChildCount() - 1; i >= 0; --i)
        if (ChildAt(i) == aChild)
            return i;
    return -1;
}

} // namespace report
