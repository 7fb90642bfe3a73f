#pragma once

// The node creators: one per outline participant, arranged as the
// participants are (a report's creator holds those of its groups and
// subreports). Each listens to its participant's events during generation
// and makes the participant's nodes; at every page end the nodes that are
// pending get their "Page N" node.
//
// TppOutlineReportNodeCreator makes the node of a report or subreport when
// its page loop starts; TppOutlineGroupNodeCreator makes a node per group
// break when the group header (or, without one shown, the detail band)
// generates, closes it after the footer, and takes back the node of a
// kept-together group that moves to the next page.

#include "report/model/base/Types.h"
#include "report/model/objects/Relative.h"

#include <QString>

#include <vector>

namespace report {

class TppCustomBand;
class TppCustomReport;
class TppEngine;
class TppGroup;
class TppOutline;
class TppOutlineNode;
class TppOutlineReportSettings;

class TppOutlineNodeCreator : public TppRelative
{
    ZVO_CLASS(TppOutlineNodeCreator)
public:
    explicit TppOutlineNodeCreator(classes::TComponent *aOwner = nullptr);
    // Its pending nodes forget it.
    ~TppOutlineNodeCreator() override;

    // ---- Virtual operations ----
    virtual void RegisterEventNotifies() {}
    // At a page end: every pending node without a pending child gets its
    // page node, then leaves the list.
    virtual void UpdatePageNodes();
    // The node goes: no reference to it stays.
    virtual void RemoveNode(TppOutlineNode *aNode);

    void Notify(TppCommunicator *aCommunicator, int aOperation) override;

    // ---- Fields ----
    TppOutlineNode *CurrentNode() const { return m_currentNode; }
    void SetCurrentNode(TppOutlineNode *aNode) { m_currentNode = aNode; }
    // The top report of the outline.
    TppCustomReport *Report() const { return m_report; }
    void SetReport(TppCustomReport *aReport);
    // The participant: a report, a subreport or a group.
    TppCommunicator *NodeCreatorComponent() const { return m_component; }
    void SetNodeCreatorComponent(TppCommunicator *aComponent);
    const std::vector<TppOutlineNode *> &PendingNodes() const { return m_pendingNodes; }
    TppOutline *Outline() const { return m_outline; }
    void SetOutline(TppOutline *aOutline) { m_outline = aOutline; }
    // The creators of the participant's child participants.
    TppOutlineNodeCreator *ChildCreator(int aIndex) const;

protected:
    // A new node under the nearest ancestor creator's current node (or the
    // outline's root) that becomes the current node; offered to the
    // report when visible, and pending when the report makes page nodes.
    TppOutlineNode *CreateNode(const QString &aCaption, TppOutlineNodeType aType);
    void AddPendingNode(TppOutlineNode *aNode);
    // The page number of the top report's engine.
    int CurrentPageNo() const;
    bool PageHandled() const;
    const TppOutlineReportSettings *ReportSettings() const;
    // Listens to the events of aSender (which tells it when it goes).
    void ListenTo(TppCommunicator *aSender, std::initializer_list<int> aEventIDs);

private:
    TppOutlineNode *parentForNewNode() const;
    void relink(TppCommunicator *aOld, TppCommunicator *aNew, const TppCommunicator *aKept);
    void leavePending(TppOutlineNode *aNode);

    TppOutlineNode *m_currentNode = nullptr;
    TppCustomReport *m_report = nullptr;
    TppCommunicator *m_component = nullptr;
    std::vector<TppOutlineNode *> m_pendingNodes;
    TppOutline *m_outline = nullptr;
};

class TppOutlineReportNodeCreator : public TppOutlineNodeCreator
{
    ZVO_CLASS(TppOutlineReportNodeCreator)
public:
    explicit TppOutlineReportNodeCreator(classes::TComponent *aOwner = nullptr);

    // Event 91 of its report (the report, or a subreport's child report).
    void RegisterEventNotifies() override;
    void EventNotify(TppCommunicator *aCommunicator, int aEventID, TraParamList *aParams) override;
    void UpdatePageNodes() override;

    // The report whose page loop makes the node.
    TppCustomReport *NodeReport() const;
    // The report's description before its first ":", else "Main".
    static QString ReportCaption(TppCustomReport *aReport);

private:
    void createReportNode();

    TppCustomReport *m_listened = nullptr;
};

class TppOutlineGroupNodeCreator : public TppOutlineNodeCreator
{
    ZVO_CLASS(TppOutlineGroupNodeCreator)
public:
    explicit TppOutlineGroupNodeCreator(classes::TComponent *aOwner = nullptr);

    // Events 25 and 26 of the group's header and footer bands and of the
    // detail band of the group's report.
    void RegisterEventNotifies() override;
    void EventNotify(TppCommunicator *aCommunicator, int aEventID, TraParamList *aParams) override;
    void Notify(TppCommunicator *aCommunicator, int aOperation) override;
    void UpdatePageNodes() override;
    void RemoveNode(TppOutlineNode *aNode) override;
    // At a page end, before the page nodes: a kept-together group that
    // moves on takes back the node it made on this page.
    void Reset();

    TppGroup *Group() const;
    TppOutlineNode *FirstNodeOfPage() const { return m_firstNodeOfPage; }
    TppOutlineNode *PreviousNode() const { return m_previousNode; }
    bool HeaderShown() const { return m_headerShown; }

private:
    void createGroupNode();
    // A group creator below this one whose group is breaking.
    bool descendantBreaking() const;

    TppOutlineNode *m_firstNodeOfPage = nullptr;
    TppOutlineNode *m_previousNode = nullptr;
    bool m_headerShown = false;
    TppCustomBand *m_headerBand = nullptr;
    TppCustomBand *m_footerBand = nullptr;
    TppCustomBand *m_detailBand = nullptr;
};

} // namespace report
