#include "report/model/outline/Outline.h"

#include "report/model/bands/Band.h"
#include "report/model/bands/Component.h"
#include "report/model/base/Exceptions.h"
#include "report/model/engine/Engine.h"
#include "report/model/objects/EventIds.h"
#include "report/model/outline/OutlineDrawCommand.h"
#include "report/model/outline/OutlineHistory.h"
#include "report/model/outline/OutlineNode.h"
#include "report/model/outline/OutlineNodeCreator.h"
#include "report/model/outline/OutlineParticipant.h"
#include "report/model/pages/Page.h"
#include "report/model/reports/Report.h"
#include "report/model/subreports/SubReport.h"

#include "platform/classes/ClassBuilder.h"

#include <algorithm>

namespace report {

namespace {

constexpr int OutlineListenedEvents[] = {ppEvent::OnEndFirstPass, ppEvent::OnEndPage, ppEvent::OnStartPage};

void outlineCollectCreators(TppOutlineNodeCreator *aCreator, std::vector<TppOutlineNodeCreator *> &aList)
{
    aList.push_back(aCreator);
    for (int i = 0; i < aCreator->ChildCount(); ++i)
        if (TppOutlineNodeCreator *child = aCreator->ChildCreator(i))
            outlineCollectCreators(child, aList);
}

} // namespace

const classes::TMetaClass &TppOutline::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<TppOutline, TppCommunicator>("TppOutline");
    return meta;
}

TppOutline::TppOutline(classes::TComponent *aOwner)
    : TppCommunicator(aOwner)
{}

TppOutline::~TppOutline()
{
    BeforeDestruction();
    freeTree();
    SetReport(nullptr);
}

void TppOutline::freeTree()
{
    // Nodes first: a node that goes tells its creator.
    m_freeingTree = true;
    m_noOutlineNode = nullptr;
    m_rootNode.reset();
    m_nodeCreator.reset();
    m_newNodes.clear();
    m_freeingTree = false;
}

void TppOutline::SetReport(TppCustomReport *aReport)
{
    if (aReport == m_report)
        return;
    if (m_report) {
        m_report->RemoveEventNotify(this);
        m_report->RemoveNotify(this);
    }
    m_report = aReport;
    if (m_report)
        m_report->AddEventNotify(this);
}

void TppOutline::listen(bool aListen)
{
    for (int id : OutlineListenedEvents) {
        if (aListen)
            SubscribeEvent(id);
        else
            UnsubscribeEvent(id);
    }
}

void TppOutline::Notify(TppCommunicator *aCommunicator, int aOperation)
{
    TppCommunicator::Notify(aCommunicator, aOperation);
    if (aOperation == ppNotify::Remove && aCommunicator == m_report)
        m_report = nullptr;
}

bool TppOutline::hasClosedDrillDown(TppCustomReport *aReport)
{
    if (!aReport)
        return false;
    for (int b = 0; b < aReport->BandCount(); ++b) {
        TppBand *band = aReport->Bands(b);
        for (int i = 0; band && i < band->ObjectCount(); ++i) {
            auto *subReport = dynamic_cast<TppSubReport *>(band->Objects(i));
            if (!subReport)
                continue;
            if (subReport->DrillDownComponent() && subReport->PrintBehavior() != TppPrintBehaviorType::pbSection &&
                !subReport->ExpandAll())
                return true;
            if (hasClosedDrillDown(subReport->Report()))
                return true;
        }
    }
    return false;
}

void TppOutline::Initialize()
{
    if (!m_report)
        throw EOutlineError(QStringLiteral("TppOutline.Initialize: Report is nil."));
    m_lastPageHandled = 0;
    freeTree();
    m_history = std::make_shared<TppOutlineHistory>();
    m_rootNode = std::make_unique<TppOutlineNode>();
    m_rootNode->SetNodeType(TppOutlineNodeType::ntRoot);
    m_rootNode->SetPageReference(-1);
    m_rootNode->SetHistoryIndex(TppOutlineHistory::RootIndex);
    m_rootNode->SetOutline(this);
    if (hasClosedDrillDown(m_report)) {
        m_outlineComplete = true;
        m_noOutlineNode = NewNode(m_rootNode.get());
        m_noOutlineNode->SetNodeType(TppOutlineNodeType::ntNoOutline);
        m_noOutlineNode->SetCaption(QStringLiteral("NoOutline: DrillDown not supported"));
        m_noOutlineNode->SetOpen(true);
        m_noOutlineNode->SetPageReference(-1);
        listen(false);
        return;
    }
    m_outlineComplete = false;
    m_nodeCreator.reset(CreateNodeCreator(m_report, nullptr));
    listen(true);
}

TppOutlineNodeCreator *TppOutline::CreateNodeCreator(TppCommunicator *aParticipant, TppOutlineNodeCreator *aParent)
{
    auto *participant = dynamic_cast<IppOutlineParticipant *>(aParticipant);
    if (!participant)
        throw EOutlineError(QStringLiteral("TppOutline.CreateNodeCreator: The outline participant does not support "
                                           "the IppOutlineParticipant interface."));
    std::unique_ptr<TppOutlineNodeCreator> creator(
        dynamic_cast<TppOutlineNodeCreator *>(participant->GetNodeCreatorClass().NewComponent(nullptr)));
    if (!creator)
        return nullptr;
    creator->SetReport(aParent ? aParent->Report() : dynamic_cast<TppCustomReport *>(aParticipant));
    creator->SetNodeCreatorComponent(aParticipant);
    creator->SetOutline(this);
    creator->RegisterEventNotifies();
    // Each participant refills its own list when asked: a copy stays put.
    const std::vector<TppCommunicator *> children = participant->GetParticipants();
    for (TppCommunicator *child : children)
        CreateNodeCreator(child, creator.get());
    // Joined last, so that a failure below frees the branch made so far.
    creator->SetParent(aParent);
    return creator.release();
}

void TppOutline::EventNotify(TppCommunicator *aCommunicator, int aEventID, TraParamList *aParams)
{
    TppCommunicator::EventNotify(aCommunicator, aEventID, aParams);
    if (aEventID != ppEvent::OnEndPage || !aCommunicator || aCommunicator != m_report || !m_nodeCreator)
        return;
    const TppCustomEngine *engine = m_report->Engine();
    const int pageNo = engine ? engine->PageNo() : 0;
    if (m_lastPageHandled >= 1 && m_lastPageHandled >= pageNo)
        return;
    std::vector<TppOutlineNodeCreator *> creators;
    outlineCollectCreators(m_nodeCreator.get(), creators);
    const std::weak_ptr<void> alive = m_alive;
    for (TppOutlineNodeCreator *creator : creators)
        if (auto *group = dynamic_cast<TppOutlineGroupNodeCreator *>(creator))
            group->Reset();
    for (TppOutlineNodeCreator *creator : creators) {
        creator->UpdatePageNodes();
        if (alive.expired())
            return;
    }
    m_lastPageHandled = pageNo;
}

void TppOutline::AddOutlineDrawCommand()
{
    auto *engine = dynamic_cast<TppEngine *>(m_report ? m_report->Engine() : nullptr);
    if (!engine || !engine->Page() || !m_rootNode || !m_history)
        return;
    if (!m_outlineComplete && engine->ReportComplete())
        m_outlineComplete = true;
    recordNewNodes();
    auto command = std::make_unique<TppOutlineDrawCommand>();
    command->SetOutlineComplete(m_outlineComplete);
    command->SetHistory(m_history, m_history->Generation());
    m_history->EndPage();
    engine->Page()->AddDrawCommand(command.get());
    command.release();
}

void TppOutline::DoOnOutlineNodeCreate(TppOutlineNode *aNode, bool &aAccept)
{
    if (OnOutlineNodeCreate)
        OnOutlineNodeCreate(this, aNode, aAccept);
}

TppOutlineNode *TppOutline::NewNode(TppOutlineNode *aParent)
{
    auto *node = new TppOutlineNode;
    if (aParent && aParent->Outline() == this) {
        node->SetParent(aParent);
    } else {
        AdoptNode(node);
        node->SetParent(aParent);
    }
    return node;
}

void TppOutline::AdoptNode(TppOutlineNode *aNode)
{
    if (!aNode || aNode->Outline())
        return;
    aNode->SetOutline(this);
    m_newNodes.push_back(aNode);
    // A branch built apart (a clone) joins whole.
    for (int i = 0; i < aNode->ChildCount(); ++i)
        AdoptNode(dynamic_cast<TppOutlineNode *>(aNode->ChildAt(i)));
}

bool TppOutline::OfferNode(TppOutlineNode *aNode, bool &aAccept)
{
    const std::weak_ptr<void> alive = m_alive;
    m_offered.push_back(aNode);
    const size_t slot = m_offered.size() - 1;
    try {
        DoOnOutlineNodeCreate(aNode, aAccept);
    } catch (...) {
        if (!alive.expired())
            m_offered.resize(slot);
        throw;
    }
    if (alive.expired())
        return false;
    const bool kept = m_offered[slot] == aNode;
    m_offered.resize(slot);
    return kept;
}

void TppOutline::NodeFreed(TppOutlineNode *aNode)
{
    std::replace(m_offered.begin(), m_offered.end(), aNode, static_cast<TppOutlineNode *>(nullptr));
    if (m_freeingTree)
        return;
    if (aNode == m_noOutlineNode)
        m_noOutlineNode = nullptr;
    if (aNode->HistoryIndex() >= 0) {
        if (m_history)
            m_history->Remove(aNode->HistoryIndex());
        return;
    }
    // Mostly one of the last made.
    const auto it = std::find(m_newNodes.rbegin(), m_newNodes.rend(), aNode);
    if (it != m_newNodes.rend())
        m_newNodes.erase(std::next(it).base());
}

int TppOutline::recordNode(TppOutlineNode *aNode)
{
    if (aNode->HistoryIndex() >= 0)
        return aNode->HistoryIndex();
    auto *parent = dynamic_cast<TppOutlineNode *>(aNode->Parent());
    const int parentIndex = parent && parent->Outline() == this ? recordNode(parent) : -1;
    if (parentIndex < 0)
        return -1;
    const int index = m_history->Append(*aNode, parentIndex);
    aNode->SetHistoryIndex(index);
    return index;
}

void TppOutline::recordNewNodes()
{
    for (TppOutlineNode *node : m_newNodes)
        recordNode(node);
    m_newNodes.clear();
}

} // namespace report
