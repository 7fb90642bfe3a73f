#pragma once

// TppOutlineDrawCommand: the outline as it stood when its page ended. A
// page holds at most one. Commands the outline makes share the outline's
// page history and keep only the number of their page end; the tree is
// made from it when first asked for, and from then on the command owns it.

#include "report/model/pages/DrawCommand.h"

#include <memory>

namespace report {

class TppOutlineHistory;
class TppOutlineNode;

class TppOutlineDrawCommand : public TppDrawCommand
{
    ZVO_CLASS(TppOutlineDrawCommand)
public:
    explicit TppOutlineDrawCommand(classes::TComponent *aOwner = nullptr);
    ~TppOutlineDrawCommand() override;

    bool OutlineComplete() const { return m_outlineComplete; }
    void SetOutlineComplete(bool aValue) { m_outlineComplete = aValue; }
    // The root of the tree; nullptr without one.
    TppOutlineNode *OutlineNode() const;
    // Takes the node (and its descendants) as the tree, freeing the one
    // before.
    void SetOutlineNode(TppOutlineNode *aNode);
    // The tree of page end aGeneration of a shared history.
    void SetHistory(std::shared_ptr<const TppOutlineHistory> aHistory, int aGeneration);
    // The nodes below the root, without making the tree.
    int NodeCount() const;
    // Bytes this command holds beyond what it shares, for measuring.
    size_t OwnByteSize() const;

    // Inherited equality, the same OutlineComplete, and equal trees.
    bool IsEqual(const TppDrawCommand *aDrawCommand) const override;
    // OutlineComplete and a visible-tree copy of the source's tree.
    void Assign(const classes::TPersistent *source) override;
    // The tree streams as the command's child.
    void GetChildren(const classes::TGetChildProc &aProc, classes::TComponent *aRoot) override;
    // A tree freed by another than the command is forgotten.
    void Notification(classes::TComponent *aComponent, classes::TOperation aOperation) override;

private:
    bool m_outlineComplete = false;
    mutable std::unique_ptr<TppOutlineNode> m_outlineNode;
    mutable std::shared_ptr<const TppOutlineHistory> m_history;
    int m_generation = 0;
};

} // namespace report
