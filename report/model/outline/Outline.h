#pragma once

// TppOutline: the outline of one report run. It makes the tree of node
// creators after the report's participants, keeps the node tree, brings
// the page nodes up to date at every page end and puts the tree as it then
// stands on the page as a TppOutlineDrawCommand. A report with a drill-down
// subreport that is not expanded gets no outline, only a node saying so.

#include "report/model/objects/Communicator.h"

#include <memory>
#include <vector>

namespace report {

class TppCustomReport;
class TppOutlineHistory;
class TppOutlineNode;
class TppOutlineNodeCreator;

using TppOutlineNodeCreateEvent = classes::TEvent<void(classes::TObject *Sender, TppOutlineNode *aNode, bool &aAccept)>;

class TppOutline : public TppCommunicator
{
    ZVO_CLASS(TppOutline)
public:
    explicit TppOutline(classes::TComponent *aOwner = nullptr);
    // Frees the nodes, then the creators.
    ~TppOutline() override;

    // ---- Virtual operations ----
    // A draw command with the tree of this page end on the engine's page.
    virtual void AddOutlineDrawCommand();
    // Fires OnOutlineNodeCreate.
    virtual void DoOnOutlineNodeCreate(TppOutlineNode *aNode, bool &aAccept);

    void EventNotify(TppCommunicator *aCommunicator, int aEventID, TraParamList *aParams) override;
    void Notify(TppCommunicator *aCommunicator, int aOperation) override;

    TppCustomReport *Report() const { return m_report; }
    // Leaves the old report's events and joins the new one's.
    void SetReport(TppCustomReport *aReport);
    // Before generation: a new root and a new creator tree, or, for a report
    // whose drill-down subreports cannot be outlined, the one node saying
    // so. EOutlineError without a report.
    void Initialize();
    // A creator of the class the participant names, with creators for its
    // child participants below it. EOutlineError for an object that is no
    // participant.
    TppOutlineNodeCreator *CreateNodeCreator(TppCommunicator *aParticipant, TppOutlineNodeCreator *aParent);

    bool OutlineComplete() const { return m_outlineComplete; }
    int LastPageHandled() const { return m_lastPageHandled; }
    TppOutlineNode *RootNode() const { return m_rootNode.get(); }
    TppOutlineNode *NoOutlineNode() const { return m_noOutlineNode; }
    TppOutlineNodeCreator *NodeCreator() const { return m_nodeCreator.get(); }
    TppOutlineNodeCreateEvent OnOutlineNodeCreate;

    // A node under aParent that the outline follows until the next page
    // end records it.
    TppOutlineNode *NewNode(TppOutlineNode *aParent);
    // A node that joined one of the outline's nodes, with the nodes below it.
    void AdoptNode(TppOutlineNode *aNode);
    // Offers aNode to DoOnOutlineNodeCreate; False when the handler freed
    // the node (or the outline) meanwhile.
    bool OfferNode(TppOutlineNode *aNode, bool &aAccept);
    // The node goes (its destructor tells).
    void NodeFreed(TppOutlineNode *aNode);
    // Expires when the outline goes (a handler may reset the report).
    std::weak_ptr<void> AliveToken() const { return m_alive; }
    // What every page's command shares.
    const std::shared_ptr<TppOutlineHistory> &History() const { return m_history; }

private:
    void freeTree();
    int recordNode(TppOutlineNode *aNode);
    void recordNewNodes();
    // A drill-down subreport that is neither a section nor expanded,
    // anywhere among the report's bands and nested subreports.
    static bool hasClosedDrillDown(TppCustomReport *aReport);
    void listen(bool aListen);

    bool m_outlineComplete = false;
    int m_lastPageHandled = 0;
    TppCustomReport *m_report = nullptr;
    std::unique_ptr<TppOutlineNodeCreator> m_nodeCreator;
    std::unique_ptr<TppOutlineNode> m_rootNode;
    TppOutlineNode *m_noOutlineNode = nullptr;
    std::shared_ptr<TppOutlineHistory> m_history;
    // Made since the last page end, in the order made.
    std::vector<TppOutlineNode *> m_newNodes;
    bool m_freeingTree = false;
    // Nodes being offered to a handler, nullptr once freed there.
    std::vector<TppOutlineNode *> m_offered;
    std::shared_ptr<void> m_alive = std::make_shared<char>();
};

} // namespace report
