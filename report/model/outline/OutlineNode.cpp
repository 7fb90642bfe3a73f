#include "report/model/outline/OutlineNode.h"

#include "report/model/outline/Outline.h"
#include "report/model/outline/OutlineDrawCommand.h"
#include "report/model/outline/OutlineNodeCreator.h"

#include "platform/classes/ClassBuilder.h"

namespace report {

const classes::TMetaClass &TppOutlineNode::StaticClass()
{
    using N = TppOutlineNode;
    static const classes::TMetaClass meta =
        classes::MakeClass<N, TppTreeNode>("TppOutlineNode", [](classes::TClassBuilder<N> &c) {
            c.String("Caption", &N::Caption, &N::SetCaption);
            c.Enum("NodeType", EnumInfo<TppOutlineNodeType>(), &N::NodeType, &N::SetNodeType)
                .Default(TppOutlineNodeType::ntOther);
            c.Integer("PageReference", &N::PageReference, &N::SetPageReference).Default(0);
        });
    return meta;
}

TppOutlineNode::TppOutlineNode(classes::TComponent *aOwner)
    : TppTreeNode(aOwner)
{}

TppOutlineNode::~TppOutlineNode()
{
    BeforeDestruction();
    if (m_nodeCreator)
        m_nodeCreator->RemoveNode(this);
    if (m_outline)
        m_outline->NodeFreed(this);
}

void TppOutlineNode::Assign(const classes::TPersistent *source)
{
    if (const auto *node = dynamic_cast<const TppOutlineNode *>(source)) {
        m_caption = node->m_caption;
        m_nodeType = node->m_nodeType;
        m_pageReference = node->m_pageReference;
        return;
    }
    TppTreeNode::Assign(source);
}

void TppOutlineNode::SetPendingCount(int aValue)
{
    const bool was = m_pendingCount > 0;
    m_pendingCount = aValue;
    const bool is = m_pendingCount > 0;
    if (was != is)
        if (auto *parent = dynamic_cast<TppOutlineNode *>(Parent()))
            parent->m_pendingChildCount += is ? 1 : -1;
}

void TppOutlineNode::SetParent(TppRelative *aParent)
{
    // A pending child counts with the parent it is under.
    const int pending = m_pendingCount;
    if (pending > 0)
        SetPendingCount(0);
    if (auto *command = dynamic_cast<TppOutlineDrawCommand *>(aParent)) {
        TppTreeNode::SetParent(nullptr);
        m_pendingCount = pending;
        command->SetOutlineNode(this);
        return;
    }
    TppTreeNode::SetParent(aParent);
    if (pending > 0)
        SetPendingCount(pending);
    // A node added under an outline's node by other means than the outline
    // (Add, CloneNode, a handler) is part of that outline too.
    if (!m_outline)
        if (auto *parent = dynamic_cast<TppOutlineNode *>(aParent); parent && parent->m_outline)
            parent->m_outline->AdoptNode(this);
}

} // namespace report
