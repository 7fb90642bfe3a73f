#include "report/model/outline/OutlineDrawCommand.h"

#include "report/model/outline/OutlineHistory.h"
#include "report/model/outline/OutlineNode.h"

#include "platform/classes/ClassBuilder.h"

namespace report {

namespace {

bool outlineTreesEqual(const TppOutlineNode *aLeft, const TppOutlineNode *aRight)
{
    if (!aLeft || !aRight)
        return aLeft == aRight;
    if (aLeft->Caption() != aRight->Caption() || aLeft->PageReference() != aRight->PageReference() ||
        aLeft->NodeType() != aRight->NodeType() || aLeft->ChildCount() != aRight->ChildCount())
        return false;
    for (int i = 0; i < aLeft->ChildCount(); ++i)
        if (!outlineTreesEqual(dynamic_cast<const TppOutlineNode *>(aLeft->ChildAt(i)),
                               dynamic_cast<const TppOutlineNode *>(aRight->ChildAt(i))))
            return false;
    return true;
}

} // namespace

const classes::TMetaClass &TppOutlineDrawCommand::StaticClass()
{
    using C = TppOutlineDrawCommand;
    static const classes::TMetaClass meta =
        classes::MakeClass<C, TppDrawCommand>("TppOutlineDrawCommand", [](classes::TClassBuilder<C> &c) {
            c.Boolean("OutlineComplete", &C::OutlineComplete, &C::SetOutlineComplete).Default(false);
        });
    return meta;
}

TppOutlineDrawCommand::TppOutlineDrawCommand(classes::TComponent *aOwner)
    : TppDrawCommand(aOwner)
{}

TppOutlineDrawCommand::~TppOutlineDrawCommand()
{
    BeforeDestruction();
    // Let go of the tree before freeing it, so that its going is not taken
    // for someone else freeing it.
    delete m_outlineNode.release();
}

TppOutlineNode *TppOutlineDrawCommand::OutlineNode() const
{
    // The shared history gives way to a tree of the command's own, which
    // callers may change.
    if (!m_outlineNode && m_history) {
        m_outlineNode = m_history->VisibleTree(m_generation);
        m_history.reset();
    }
    return m_outlineNode.get();
}

void TppOutlineDrawCommand::SetOutlineNode(TppOutlineNode *aNode)
{
    if (aNode == m_outlineNode.get())
        return;
    m_history.reset();
    if (aNode) {
        if (aNode->Parent())
            aNode->SetParent(nullptr);
        // The command alone frees its tree. A stream reader that made the
        // node still frees it when the read fails, and the command then
        // only forgets it.
        if (classes::TComponent *owner = aNode->Owner())
            owner->RemoveComponent(aNode);
        aNode->FreeNotification(this);
    }
    std::unique_ptr<TppOutlineNode> old(m_outlineNode.release());
    m_outlineNode.reset(aNode);
    if (old)
        old->RemoveFreeNotification(this);
}

void TppOutlineDrawCommand::Notification(classes::TComponent *aComponent, classes::TOperation aOperation)
{
    TppDrawCommand::Notification(aComponent, aOperation);
    if (aOperation == classes::TOperation::opRemove && m_outlineNode && aComponent == m_outlineNode.get())
        (void)m_outlineNode.release();
}

void TppOutlineDrawCommand::SetHistory(std::shared_ptr<const TppOutlineHistory> aHistory, int aGeneration)
{
    m_outlineNode.reset();
    m_history = std::move(aHistory);
    m_generation = aGeneration;
}

int TppOutlineDrawCommand::NodeCount() const
{
    if (m_outlineNode)
        return m_outlineNode->AbsoluteChildNodeCount();
    return m_history ? m_history->VisibleCount(m_generation) : 0;
}

size_t TppOutlineDrawCommand::OwnByteSize() const
{
    size_t bytes = sizeof(*this);
    if (m_outlineNode)
        bytes += size_t(m_outlineNode->AbsoluteChildNodeCount() + 1) * sizeof(TppOutlineNode);
    return bytes;
}

bool TppOutlineDrawCommand::IsEqual(const TppDrawCommand *aDrawCommand) const
{
    const auto *other = dynamic_cast<const TppOutlineDrawCommand *>(aDrawCommand);
    if (!other || !TppDrawCommand::IsEqual(aDrawCommand) || m_outlineComplete != other->m_outlineComplete)
        return false;
    if (m_history && m_history == other->m_history && m_generation == other->m_generation)
        return true;
    return outlineTreesEqual(OutlineNode(), other->OutlineNode());
}

void TppOutlineDrawCommand::Assign(const classes::TPersistent *source)
{
    TppDrawCommand::Assign(source);
    const auto *other = dynamic_cast<const TppOutlineDrawCommand *>(source);
    if (!other || other == this)
        return;
    m_outlineComplete = other->m_outlineComplete;
    // A tree from the history is visible already: the copy shares it.
    if (other->m_history) {
        SetHistory(other->m_history, other->m_generation);
        return;
    }
    m_history.reset();
    m_outlineNode = ppCopyVisibleTree(other->m_outlineNode.get());
}

void TppOutlineDrawCommand::GetChildren(const classes::TGetChildProc &aProc, classes::TComponent *aRoot)
{
    TppDrawCommand::GetChildren(aProc, aRoot);
    if (TppOutlineNode *node = OutlineNode())
        aProc(node);
}

} // namespace report
