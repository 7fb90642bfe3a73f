#pragma once

// TppOutlineNode: one entry of a report's outline (the report, a subreport,
// a group break, a page), with the page it leads to. While generation runs
// a node may wait for the page node that the next page end gives it; the
// creator that made it keeps it in its pending list until then.

#include "report/model/base/Types.h"
#include "report/model/outline/TreeNode.h"

#include <QString>

#include <cstdint>

namespace report {

class TppOutline;
class TppOutlineNodeCreator;

class TppOutlineNode : public TppTreeNode
{
    ZVO_CLASS(TppOutlineNode)
public:
    explicit TppOutlineNode(classes::TComponent *aOwner = nullptr);
    // Leaves its creator's pending list and the outline's bookkeeping.
    ~TppOutlineNode() override;

    const QString &Caption() const { return m_caption; }
    void SetCaption(const QString &aValue) { m_caption = aValue; }
    TppOutlineNodeType NodeType() const { return m_nodeType; }
    void SetNodeType(TppOutlineNodeType aValue) { m_nodeType = aValue; }
    int32_t PageReference() const { return m_pageReference; }
    void SetPageReference(int32_t aValue) { m_pageReference = aValue; }
    // An invisible node is left out of every copy; its children take its
    // place under its parent.
    bool Visible() const { return m_visible; }
    void SetVisible(bool aValue) { m_visible = aValue; }
    // Still collecting page nodes.
    bool Open() const { return m_open; }
    void SetOpen(bool aValue) { m_open = aValue; }
    // The creator that made the node; told when the node goes.
    TppOutlineNodeCreator *NodeCreator() const { return m_nodeCreator; }
    void SetNodeCreator(TppOutlineNodeCreator *aCreator) { m_nodeCreator = aCreator; }

    // Caption, NodeType and PageReference.
    void Assign(const classes::TPersistent *source) override;
    // An outline draw command as parent takes the node as its tree.
    void SetParent(TppRelative *aParent) override;

    // ---- What the outline keeps of a node it made ----
    TppOutline *Outline() const { return m_outline; }
    void SetOutline(TppOutline *aOutline) { m_outline = aOutline; }
    // How many pending lists hold the node; its parent counts the children
    // that are pending.
    int PendingCount() const { return m_pendingCount; }
    void SetPendingCount(int aValue);
    int PendingChildCount() const { return m_pendingChildCount; }
    // The node's entry in the outline's page history, -1 before its first
    // page end.
    int HistoryIndex() const { return m_historyIndex; }
    void SetHistoryIndex(int aValue) { m_historyIndex = aValue; }

private:
    QString m_caption;
    TppOutlineNodeType m_nodeType = TppOutlineNodeType::ntOther;
    int32_t m_pageReference = 0;
    bool m_visible = true;
    bool m_open = false;
    TppOutlineNodeCreator *m_nodeCreator = nullptr;
    TppOutline *m_outline = nullptr;
    int m_pendingCount = 0;
    int m_pendingChildCount = 0;
    int m_historyIndex = -1;
    TppLiveCount<TppOutlineNode> m_live;
};

} // namespace report
