#include "report/model/outline/OutlineNodeCreator.h"

#include "report/model/bands/CustomBand.h"
#include "report/model/base/Messages.h"
#include "report/model/data/DataPipeline.h"
#include "report/model/engine/Engine.h"
#include "report/model/groups/Group.h"
#include "report/model/groups/GroupBands.h"
#include "report/model/objects/EventIds.h"
#include "report/model/outline/Outline.h"
#include "report/model/outline/OutlineNode.h"
#include "report/model/outline/OutlineParticipant.h"
#include "report/model/outline/OutlineSettings.h"
#include "report/model/reports/Report.h"
#include "report/model/subreports/SubReport.h"

#include "platform/classes/ClassBuilder.h"

#include <algorithm>

namespace report {

// ---- TppOutlineNodeCreator -----------------------------------------------------------------

const classes::TMetaClass &TppOutlineNodeCreator::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<TppOutlineNodeCreator, TppRelative>("TppOutlineNodeCreator");
    return meta;
}

TppOutlineNodeCreator::TppOutlineNodeCreator(classes::TComponent *aOwner)
    : TppRelative(aOwner)
{}

// The outline frees its nodes before its creators; nodes that are still
// there (a handler kept them) must not call back.
TppOutlineNodeCreator::~TppOutlineNodeCreator()
{
    BeforeDestruction();
    for (TppOutlineNode *node : m_pendingNodes) {
        node->SetPendingCount(node->PendingCount() - 1);
        if (node->NodeCreator() == this)
            node->SetNodeCreator(nullptr);
    }
    m_pendingNodes.clear();
    if (m_currentNode && m_currentNode->NodeCreator() == this)
        m_currentNode->SetNodeCreator(nullptr);
}

void TppOutlineNodeCreator::relink(TppCommunicator *aOld, TppCommunicator *aNew, const TppCommunicator *aKept)
{
    // The report of a report's creator is its participant too: one link.
    if (aOld && aOld != aKept)
        aOld->RemoveNotify(this);
    if (aNew)
        aNew->AddNotify(this);
}

void TppOutlineNodeCreator::SetReport(TppCustomReport *aReport)
{
    if (m_report == aReport)
        return;
    relink(m_report, aReport, m_component);
    m_report = aReport;
}

void TppOutlineNodeCreator::SetNodeCreatorComponent(TppCommunicator *aComponent)
{
    if (m_component == aComponent)
        return;
    relink(m_component, aComponent, m_report);
    m_component = aComponent;
}

void TppOutlineNodeCreator::Notify(TppCommunicator *aCommunicator, int aOperation)
{
    TppRelative::Notify(aCommunicator, aOperation);
    if (aOperation != ppNotify::Remove)
        return;
    if (aCommunicator == m_report)
        m_report = nullptr;
    if (aCommunicator == m_component)
        m_component = nullptr;
}

TppOutlineNodeCreator *TppOutlineNodeCreator::ChildCreator(int aIndex) const
{
    return dynamic_cast<TppOutlineNodeCreator *>(ChildAt(aIndex));
}

void TppOutlineNodeCreator::ListenTo(TppCommunicator *aSender, std::initializer_list<int> aEventIDs)
{
    if (!aSender)
        return;
    for (int id : aEventIDs)
        SubscribeEvent(id);
    aSender->AddEventNotify(this);
}

void TppOutlineNodeCreator::RemoveNode(TppOutlineNode *aNode)
{
    if (m_currentNode == aNode)
        m_currentNode = nullptr;
    leavePending(aNode);
}

void TppOutlineNodeCreator::leavePending(TppOutlineNode *aNode)
{
    const auto it = std::find(m_pendingNodes.begin(), m_pendingNodes.end(), aNode);
    if (it == m_pendingNodes.end())
        return;
    m_pendingNodes.erase(it);
    aNode->SetPendingCount(aNode->PendingCount() - 1);
}

void TppOutlineNodeCreator::AddPendingNode(TppOutlineNode *aNode)
{
    if (std::find(m_pendingNodes.begin(), m_pendingNodes.end(), aNode) != m_pendingNodes.end())
        return;
    m_pendingNodes.push_back(aNode);
    aNode->SetPendingCount(aNode->PendingCount() + 1);
    aNode->SetNodeCreator(this);
}

int TppOutlineNodeCreator::CurrentPageNo() const
{
    const TppCustomEngine *engine = m_report ? m_report->Engine() : nullptr;
    return engine ? engine->PageNo() : 0;
}

bool TppOutlineNodeCreator::PageHandled() const
{
    return m_outline && m_outline->LastPageHandled() >= 1 && m_outline->LastPageHandled() >= CurrentPageNo();
}

const TppOutlineReportSettings *TppOutlineNodeCreator::ReportSettings() const
{
    auto *participant = dynamic_cast<IppOutlineParticipant *>(m_report);
    return participant ? dynamic_cast<const TppOutlineReportSettings *>(participant->GetOutlineSettings()) : nullptr;
}

TppOutlineNode *TppOutlineNodeCreator::parentForNewNode() const
{
    for (const TppRelative *r = Parent(); r; r = r->Parent())
        if (const auto *creator = dynamic_cast<const TppOutlineNodeCreator *>(r); creator && creator->m_currentNode)
            return creator->m_currentNode;
    return m_outline ? m_outline->RootNode() : nullptr;
}

TppOutlineNode *TppOutlineNodeCreator::CreateNode(const QString &aCaption, TppOutlineNodeType aType)
{
    if (!m_outline)
        return nullptr;
    auto *participant = dynamic_cast<IppOutlineParticipant *>(m_component);
    const TppOutlineSettings *settings = participant ? participant->GetOutlineSettings() : nullptr;
    TppOutlineNode *node = m_outline->NewNode(parentForNewNode());
    node->SetCaption(aCaption);
    node->SetNodeType(aType);
    node->SetPageReference(std::max(CurrentPageNo(), 1));
    node->SetOpen(true);
    node->SetNodeCreator(this);
    node->SetVisible(!settings || settings->CreateNode());
    m_currentNode = node;
    if (node->Visible()) {
        // The handler may free the node, or the outline with the report's
        // reset.
        bool accept = true;
        if (!m_outline->OfferNode(node, accept))
            return nullptr;
        node->SetVisible(accept);
    }
    if (const TppOutlineReportSettings *report = ReportSettings(); report && report->CreatePageNodes())
        AddPendingNode(node);
    return node;
}

void TppOutlineNodeCreator::UpdatePageNodes()
{
    if (!m_outline)
        return;
    const TppOutlineReportSettings *settings = ReportSettings();
    if (!settings || !settings->CreatePageNodes()) {
        while (!m_pendingNodes.empty())
            leavePending(m_pendingNodes.back());
        return;
    }
    const int pageNo = CurrentPageNo();
    const QString caption = ppLoadStr(18) + QLatin1Char(' ') + QString::number(pageNo);
    const std::weak_ptr<void> alive = m_outline->AliveToken();
    // The handler may add to or take from the list: the nodes are taken
    // off the front one by one.
    while (!m_pendingNodes.empty()) {
        TppOutlineNode *node = m_pendingNodes.front();
        if (node->PendingChildCount() == 0) {
            TppOutlineNode *page = m_outline->NewNode(node);
            page->SetCaption(caption);
            page->SetNodeType(TppOutlineNodeType::ntPage);
            page->SetPageReference(pageNo);
            bool accept = true;
            const bool kept = m_outline->OfferNode(page, accept);
            if (alive.expired())
                return;
            if (kept && !accept)
                delete page;
        }
        if (!m_pendingNodes.empty() && m_pendingNodes.front() == node)
            leavePending(node);
    }
}

// ---- TppOutlineReportNodeCreator -----------------------------------------------------------

const classes::TMetaClass &TppOutlineReportNodeCreator::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<TppOutlineReportNodeCreator, TppOutlineNodeCreator>("TppOutlineReportNodeCreator");
    return meta;
}

TppOutlineReportNodeCreator::TppOutlineReportNodeCreator(classes::TComponent *aOwner)
    : TppOutlineNodeCreator(aOwner)
{}

TppCustomReport *TppOutlineReportNodeCreator::NodeReport() const
{
    if (auto *subReport = dynamic_cast<TppSubReport *>(NodeCreatorComponent()))
        return subReport->Report();
    return dynamic_cast<TppCustomReport *>(NodeCreatorComponent());
}

void TppOutlineReportNodeCreator::RegisterEventNotifies()
{
    m_listened = NodeReport();
    ListenTo(m_listened, {ppEvent::PageLoopReset});
}

void TppOutlineReportNodeCreator::EventNotify(TppCommunicator *aCommunicator, int aEventID, TraParamList *aParams)
{
    TppOutlineNodeCreator::EventNotify(aCommunicator, aEventID, aParams);
    if (aEventID != ppEvent::PageLoopReset || !aCommunicator || aCommunicator != NodeReport())
        return;
    if (!Outline())
        throw EOutlineError(QStringLiteral("TppOutlineReportNodeCreator.EventNotify: Outline is nil"));
    if (!NodeCreatorComponent())
        throw EOutlineError(QStringLiteral("TppOutlineReportNodeCreator.EventNotify: NodeCreatorComponent is nil"));
    if (PageHandled())
        return;
    if (auto *subReport = dynamic_cast<TppSubReport *>(NodeCreatorComponent());
        subReport && subReport->PrintBehavior() != TppPrintBehaviorType::pbSection)
        return;
    createReportNode();
}

QString TppOutlineReportNodeCreator::ReportCaption(TppCustomReport *aReport)
{
    QString description;
    if (auto *child = dynamic_cast<TppChildReport *>(aReport))
        description = child->GetCaption();
    else if (aReport)
        description =
            aReport->DataPipeline() ? aReport->DataPipeline()->UserName() : QStringLiteral("No Data Pipeline Assigned");
    const qsizetype colon = description.indexOf(QLatin1Char(':'));
    if (colon >= 0)
        description.truncate(colon);
    return description.isEmpty() ? ppLoadStr(1040) : description;
}

void TppOutlineReportNodeCreator::createReportNode()
{
    if (CurrentNode() && CurrentNode()->Open())
        return;
    TppCustomReport *report = NodeReport();
    CreateNode(ReportCaption(report),
               dynamic_cast<TppReport *>(report) ? TppOutlineNodeType::ntReport : TppOutlineNodeType::ntSubReport);
}

void TppOutlineReportNodeCreator::UpdatePageNodes()
{
    // A subreport's node closes with its own run, not the main report's.
    const auto *engine = dynamic_cast<const TppEngine *>(NodeReport() ? NodeReport()->Engine() : nullptr);
    if (CurrentNode() && engine && engine->ReportComplete())
        CurrentNode()->SetOpen(false);
    TppOutlineNodeCreator::UpdatePageNodes();
    if (CurrentNode() && CurrentNode()->Open() && ReportSettings() && ReportSettings()->CreatePageNodes())
        AddPendingNode(CurrentNode());
}

// ---- TppOutlineGroupNodeCreator ------------------------------------------------------------

const classes::TMetaClass &TppOutlineGroupNodeCreator::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<TppOutlineGroupNodeCreator, TppOutlineNodeCreator>("TppOutlineGroupNodeCreator");
    return meta;
}

TppOutlineGroupNodeCreator::TppOutlineGroupNodeCreator(classes::TComponent *aOwner)
    : TppOutlineNodeCreator(aOwner)
{}

TppGroup *TppOutlineGroupNodeCreator::Group() const
{
    return dynamic_cast<TppGroup *>(NodeCreatorComponent());
}

void TppOutlineGroupNodeCreator::RegisterEventNotifies()
{
    TppGroup *group = Group();
    if (!group)
        return;
    m_headerBand = group->HeaderBand();
    m_footerBand = group->FooterBand();
    auto *report = dynamic_cast<TppCustomReport *>(group->Report() ? group->Report()->ReportObject() : nullptr);
    m_detailBand = report ? dynamic_cast<TppCustomBand *>(report->GetBand(4)) : nullptr;
    for (TppCustomBand *band : {m_headerBand, m_footerBand, m_detailBand})
        ListenTo(band, {ppEvent::AfterGenerate, ppEvent::BeforeGenerate});
}

void TppOutlineGroupNodeCreator::Notify(TppCommunicator *aCommunicator, int aOperation)
{
    TppOutlineNodeCreator::Notify(aCommunicator, aOperation);
    if (aOperation != ppNotify::Remove)
        return;
    for (TppCustomBand **band : {&m_headerBand, &m_footerBand, &m_detailBand})
        if (*band == aCommunicator)
            *band = nullptr;
}

void TppOutlineGroupNodeCreator::EventNotify(TppCommunicator *aCommunicator, int aEventID, TraParamList *aParams)
{
    TppOutlineNodeCreator::EventNotify(aCommunicator, aEventID, aParams);
    if (!aCommunicator || !Outline() || PageHandled())
        return;
    if (aEventID == ppEvent::BeforeGenerate && aCommunicator == m_headerBand) {
        m_headerShown = m_headerBand->mmHeight() > 0 && m_headerBand->Visible();
        if (m_headerShown)
            createGroupNode();
    } else if (aEventID == ppEvent::BeforeGenerate && aCommunicator == m_detailBand) {
        if (!m_headerShown)
            createGroupNode();
    } else if (aEventID == ppEvent::AfterGenerate && aCommunicator == m_footerBand) {
        // A footer that ran out of space prints again on the next page:
        // the group is not over yet.
        if (!m_footerBand->OverFlow() && CurrentNode())
            CurrentNode()->SetOpen(false);
    }
}

void TppOutlineGroupNodeCreator::createGroupNode()
{
    if (CurrentNode() && CurrentNode()->Open())
        return;
    TppGroup *group = Group();
    if (!group)
        return;
    TppOutlineNode *previous = CurrentNode();
    TppOutlineNode *node = CreateNode(group->BreakValue(), TppOutlineNodeType::ntGroup);
    if (!node)
        return;
    m_previousNode = previous;
    if (!m_firstNodeOfPage)
        m_firstNodeOfPage = node;
}

bool TppOutlineGroupNodeCreator::descendantBreaking() const
{
    for (int i = 0; i < ChildCount(); ++i) {
        const auto *child = dynamic_cast<const TppOutlineGroupNodeCreator *>(ChildAt(i));
        if (!child)
            continue;
        if ((child->Group() && child->Group()->Breaking()) || child->descendantBreaking())
            return true;
    }
    return false;
}

void TppOutlineGroupNodeCreator::Reset()
{
    TppOutlineNode *node = CurrentNode();
    TppGroup *group = Group();
    if (!node || !node->Open() || node == m_firstNodeOfPage || !group || !group->KeepTogether() || descendantBreaking())
        return;
    TppOutlineNode *previous = m_previousNode;
    delete node;
    SetCurrentNode(previous);
    m_previousNode = nullptr;
}

void TppOutlineGroupNodeCreator::UpdatePageNodes()
{
    // The page nodes' handler may free a group, and this maker with it.
    const std::weak_ptr<char> self = AliveToken();
    TppOutlineNodeCreator::UpdatePageNodes();
    if (self.expired())
        return;
    m_firstNodeOfPage = nullptr;
    if (CurrentNode() && CurrentNode()->Open()) {
        if (ReportSettings() && ReportSettings()->CreatePageNodes())
            AddPendingNode(CurrentNode());
        m_firstNodeOfPage = CurrentNode();
    }
}

void TppOutlineGroupNodeCreator::RemoveNode(TppOutlineNode *aNode)
{
    if (m_firstNodeOfPage == aNode)
        m_firstNodeOfPage = nullptr;
    if (m_previousNode == aNode)
        m_previousNode = nullptr;
    TppOutlineNodeCreator::RemoveNode(aNode);
}

} // namespace report
