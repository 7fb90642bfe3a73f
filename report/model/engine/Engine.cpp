#include "report/model/engine/Engine.h"
#include "report/model/forms/DialogServices.h"

#include "report/model/engine/BandEngine.h"
#include "report/model/engine/BandLists.h"
#include "report/model/engine/EnginePageCache.h"
#include "report/model/engine/EnginePasses.h"
#include "report/model/engine/NoDataRules.h"
#include "report/model/engine/PageNumbering.h"
#include "report/model/engine/RecordTraversal.h"

#include "report/model/bands/BandClasses.h"
#include "report/model/bands/Component.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/base/Exceptions.h"
#include "report/model/base/Messages.h"
#include "report/model/data/DataPipeline.h"
#include "report/model/groups/Group.h"
#include "report/model/groups/GroupBands.h"
#include "report/model/objects/EventIds.h"
#include "report/model/pages/DrawCommand.h"
#include "report/model/pages/Page.h"
#include "report/model/pages/Publisher.h"
#include "report/model/printing/PageDef.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/model/reports/CustomReport.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/rtl/DateTime.h"

#include <QDateTime>

#include <algorithm>
#include <utility>

namespace report {

namespace {

// Milliseconds between two servings of the window within a page.
constexpr int64_t EngineMessageInterval = 10;

// The record the data moved to starts a group: it is told of by the detail
// band, once the group headers have started its group, so that a total reset
// at the group's start keeps its first record.
bool engineRecordStartsGroup(const TppCustomEngine &aEngine, TppCustomReport &aReport)
{
    return aReport.GroupCount() > 0 && aEngine.IsDue(ppBandKind::GroupHeader);
}

} // namespace

const classes::TMetaClass &TppEngine::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<TppEngine, TppCustomEngine>("TppEngine");
    return meta;
}

TppEngine::TppEngine(TppCustomReport *aReport)
    : TppCustomEngine(nullptr, aReport)
{
    SetCacheRecordSize(TppEnginePageCache::RecordSize());
    SubscribeEvent(ppEvent::OnClose);
}

TppEngine::~TppEngine()
{
    BeforeDestruction();
    SetStopped(true);
    freeStartBookmark();
    freeBoundaryPositions();
    m_pageCache.FreeBookmarks(m_mainPipeline, m_detailPipeline);
}

void TppEngine::Notify(TppCommunicator *aCommunicator, int aOperation)
{
    TppCustomEngine::Notify(aCommunicator, aOperation);
    if (aOperation != ppNotify::Remove || !aCommunicator)
        return;
    if (aCommunicator == m_startBookmarkPipeline) {
        m_startBookmarkPipeline = nullptr;
        m_startBookmark = 0;
    }
    if (aCommunicator == m_mainPipeline) {
        m_pageCache.MainPipelineGone();
        m_mainPipeline = nullptr;
    }
    if (aCommunicator == m_detailPipeline) {
        m_pageCache.DetailPipelineGone();
        m_detailPipeline = nullptr;
    }
    for (CallPosition *held : {&m_callMain, &m_callDetail, &m_boundaryMain, &m_boundaryDetail})
        if (aCommunicator == held->pipeline)
            held->pipeline = nullptr;
    std::erase(m_otherPipelines, aCommunicator);
}

void TppEngine::EventNotify(TppCommunicator *aCommunicator, int aEventID, TraParamList *aParams)
{
    TppCustomEngine::EventNotify(aCommunicator, aEventID, aParams);
    if (aEventID != ppEvent::OnClose || !aCommunicator)
        return;
    const bool main = aCommunicator == m_mainPipeline;
    const bool detail = aCommunicator == m_detailPipeline;
    if (!main && !detail)
        return;
    auto &pipeline = static_cast<TppDataPipeline &>(*aCommunicator);
    if (&pipeline == m_startBookmarkPipeline)
        freeStartBookmark();
    freeBoundaryPositions();
    m_pageCache.ReleaseBookmarks(pipeline, detail);
    m_pageCache.ForgetReleased(m_restoredMain, m_restoredDetail);
}

void TppEngine::SaveToCache(int32_t aPageIndex)
{
    TppEnginePageState state;
    state.bandState = m_bandState;
    state.bandIndex = m_bandIndex;
    state.dataExhausted = m_dataExhausted;
    state.traversalPending = m_traversalPending;
    state.mainTraversed = m_mainTraversed;
    state.detailTraversed = m_detailTraversed;
    state.advancedAtColumnEnd = m_advancedAtColumnEnd;
    state.lastColumnStarted = m_lastColumnStarted;
    // A child's pipelines stand where its subreport's request found them;
    // where its last page ended is in the boundary records, whose
    // bookmarks the cache then keeps.
    const bool child = m_report && m_report->PrintingAsSubReport() && m_positionsSaved;
    const TppPipelinePosition *main = child && m_boundaryMain.pipeline ? &m_boundaryMain.position : nullptr;
    const TppPipelinePosition *detail = child && m_boundaryDetail.pipeline ? &m_boundaryDetail.position : nullptr;
    m_pageCache.Save(*this, aPageIndex, state, m_mainPipeline, m_detailPipeline, main, detail);
    for (CallPosition *held : {&m_boundaryMain, &m_boundaryDetail})
        if (child && held->pipeline)
            held->cached = true;
}

void TppEngine::takeStartBookmark()
{
    // A range that begins at the current record begins where the run found
    // the pipeline, however often the run goes back to its first page.
    freeStartBookmark();
    m_startBookmark = m_mainPipeline->GetBookmark();
    // No record, no bookmark: nothing to go back to or to free.
    m_startBookmarkPipeline = m_startBookmark != 0 ? m_mainPipeline : nullptr;
    m_mainPipeline->SetStartBookmark(m_startBookmark);
}

void TppEngine::freeStartBookmark()
{
    TppDataPipeline *pipeline = m_startBookmarkPipeline;
    if (!pipeline)
        return;
    m_startBookmarkPipeline = nullptr;
    if (pipeline->StartBookmark() == m_startBookmark)
        pipeline->SetStartBookmark(0);
    pipeline->FreeBookmark(m_startBookmark);
    m_startBookmark = 0;
}

void TppEngine::FreeCachedBookmarks()
{
    freeStartBookmark();
    freeBoundaryPositions();
    m_pageCache.FreeBookmarks(m_mainPipeline, m_detailPipeline);
}

void TppEngine::RestoreFromCache(int32_t aPageIndex)
{
    std::optional<TppEnginePageState> state = TppEnginePageCache::Restore(*this, aPageIndex);
    if (!state)
        return;
    m_pageCache.ForgetReleased(state->mainPosition, state->detailPosition);
    m_bandState = state->bandState;
    m_bandIndex = state->bandIndex;
    m_dataExhausted = state->dataExhausted;
    m_traversalPending = state->traversalPending;
    m_mainTraversed = state->mainTraversed;
    m_detailTraversed = state->detailTraversed;
    m_advancedAtColumnEnd = state->advancedAtColumnEnd;
    m_lastColumnStarted = state->lastColumnStarted;
    m_breakValuesStale = true;
    if (!m_report || !m_report->PrintingAsSubReport()) {
        // The page start puts them back, once every object of the page has
        // its state again.
        m_restoredMain = state->mainPosition;
        m_restoredDetail = state->detailPosition;
        m_positionsRestored = true;
        return;
    }
    // The subreport's next request puts a child's pipelines there.
    freeBoundaryPositions();
    m_boundaryMain = {m_mainPipeline, state->mainPosition, true};
    m_boundaryDetail = {m_detailPipeline, state->detailPosition, true};
    m_positionsSaved = true;
}

void TppEngine::RestorePagePositions()
{
    if (!m_positionsRestored)
        return;
    m_positionsRestored = false;
    TppEnginePageState state;
    state.mainPosition = m_restoredMain;
    state.detailPosition = m_restoredDetail;
    TppEnginePageCache::RestorePositions(state, m_mainPipeline, m_detailPipeline);
}

TppBand *TppEngine::GetCurrentBand() const
{
    return m_currentBand;
}

const TppPageDef *TppEngine::pageDef() const
{
    return m_report && m_report->PrinterSetup() ? m_report->PrinterSetup()->PageDef() : nullptr;
}

void TppEngine::fire(TppEngineNotify &aEvent)
{
    if (aEvent)
        aEvent(this);
}

// ---- Entry ----------------------------------------------------------------------------------

void TppEngine::GeneratePage(const TppPageRequest &aRequest)
{
    if (m_generating || !m_report)
        return;
    // The report owns this engine: a handler that frees the report (a
    // child report its subreport frees) frees the engine in the middle of
    // its run, and every step that calls out ends here when it did.
    const std::weak_ptr<char> alive = AliveToken();
    m_generating = true;
    m_pageRequest.Assign(&aRequest);
    saveCallPositions();
    if (m_report->PrintingAsSubReport())
        restoreBoundaryPositions();
    try {
        // Two passes: the first runs through the whole report to learn the
        // page count, the second serves the request.
        if (m_report->PassSetting() == TppPassSettingType::psTwoPass &&
            (!(EngineState() & ppEngineState::Started) || !m_pageCountKnown)) {
            const TppPageSettingType setting = m_pageRequest.PageSetting();
            m_pageRequest.SetPageSetting(TppPageSettingType::psAll);
            pageLoop();
            if (alive.expired())
                return;
            m_pageRequest.SetPageSetting(setting);
            m_pageRequest.SetPageRequested(aRequest.PageRequested());
            if (!Stopped())
                pageLoop();
        } else {
            pageLoop();
        }
        if (alive.expired())
            return;
    } catch (...) {
        if (alive.expired())
            throw;
        freeBoundaryPositions();
        restoreCallPositions();
        m_generating = false;
        throw;
    }
    if (m_report->PrintingAsSubReport())
        saveBoundaryPositions();
    restoreCallPositions();
    m_generating = false;
}

void TppEngine::saveBoundaryPositions()
{
    freeBoundaryPositions();
    for (auto [held, pipeline] : {std::pair{&m_boundaryMain, m_mainPipeline}, {&m_boundaryDetail, m_detailPipeline}}) {
        if (!pipeline || !pipeline->GetActive())
            continue;
        AddNotify(pipeline);
        held->pipeline = pipeline;
        held->position.Save(*pipeline);
    }
    m_positionsSaved = true;
}

void TppEngine::restoreBoundaryPositions()
{
    if (!m_positionsSaved)
        return;
    m_positionsSaved = false;
    for (CallPosition *held : {&m_boundaryMain, &m_boundaryDetail}) {
        if (!held->pipeline)
            continue;
        held->position.Restore(*held->pipeline);
        if (!held->cached)
            held->position.FreeBookmark(*held->pipeline);
        *held = {};
    }
}

void TppEngine::freeBoundaryPositions()
{
    m_positionsSaved = false;
    for (CallPosition *held : {&m_boundaryMain, &m_boundaryDetail}) {
        if (held->pipeline && !held->cached)
            held->position.FreeBookmark(*held->pipeline);
        *held = {};
    }
}

void TppEngine::saveCallPositions()
{
    TppDataPipeline *main = m_report->DataPipeline();
    auto *detail = dynamic_cast<TppDetailBand *>(m_report->GetBand(4));
    TppDataPipeline *own = detail ? detail->DataPipeline() : nullptr;
    m_callMain = {};
    m_callDetail = {};
    for (auto [held, pipeline] : {std::pair{&m_callMain, main}, {&m_callDetail, own == main ? nullptr : own}}) {
        if (!pipeline)
            continue;
        // Linked, so that a pipeline freed meanwhile is not put back.
        AddNotify(pipeline);
        held->pipeline = pipeline;
        held->position.Save(*pipeline);
    }
}

void TppEngine::restoreCallPositions()
{
    for (CallPosition *held : {&m_callMain, &m_callDetail}) {
        if (!held->pipeline)
            continue;
        held->position.Restore(*held->pipeline);
        held->position.FreeBookmark(*held->pipeline);
        held->pipeline = nullptr;
    }
}

TppCustomEngine *TppEngine::parentEngine() const
{
    TppCustomReport *parent = m_report && m_report->PrintingAsSubReport() ? m_report->ParentReport() : nullptr;
    return parent ? parent->Engine() : nullptr;
}

bool TppEngine::GetBandsPrinted() const
{
    if (TppCustomEngine::GetBandsPrinted())
        return true;
    const TppCustomEngine *parent = parentEngine();
    return parent && parent->GetBandsPrinted();
}

void TppEngine::SetBandsPrinted(bool aValue)
{
    TppCustomEngine::SetBandsPrinted(aValue);
    TppCustomEngine *parent = aValue ? parentEngine() : nullptr;
    if (!parent)
        return;
    // What prints inside the parent's page headers, title or column
    // headers, or a group header that repeats on every page, does not count
    // as the parent's page having begun.
    const auto *engine = dynamic_cast<const TppEngine *>(parent);
    const int state = engine ? engine->BandState() : 0;
    if (state >= 1 && state <= 3)
        return;
    if (state == 4) {
        const auto *groupBand = dynamic_cast<const TppGroupBand *>(engine->CurrentBand());
        if (groupBand && groupBand->Group() && groupBand->Group()->ReprintOnSubsequentPage())
            return;
    }
    parent->SetBandsPrinted(true);
}

void TppEngine::Reset()
{
    if (m_generating)
        return;
    freeBoundaryPositions();
    Page()->Clear();
    SetPageNo(0);
    AssignPageCount(0);
    m_pageCountKnown = false;
    m_reportStarted = false;
    m_passes.CountForgotten();
    SetDueBands(0);
    ExcludeEngineState(0xFFFF);
    m_pagesWithoutProgress = 0;
    m_positionsRestored = false;
    m_breakValuesStale = false;
    if (!m_dataStarted || m_report->PrintingAsSubReport())
        return;
    m_dataStarted = false;
    // The bookmarks go before the pipelines that gave them close.
    std::vector<TppCustomReport *> tree;
    m_report->GetReportTree(tree);
    for (TppCustomReport *report : tree)
        if (auto *engine = dynamic_cast<TppEngine *>(report->Engine())) {
            // A child's engine is held as generating between the
            // subreport's requests of a run that ends here.
            if (engine != this)
                engine->SetGenerating(false);
            engine->FreeCachedBookmarks();
            engine->DisconnectPipelines();
        }
    m_report->FinalizeData();
}

namespace {

thread_local TppDataPipeline *changingPipeline = nullptr;

} // namespace

TppChangingPipeline::TppChangingPipeline(TppDataPipeline *aPipeline)
    : m_previous(changingPipeline)
{
    changingPipeline = aPipeline;
}

TppChangingPipeline::~TppChangingPipeline()
{
    changingPipeline = m_previous;
}

bool TppChangingPipeline::Holds(const TppDataPipeline *aPipeline)
{
    return aPipeline && aPipeline == changingPipeline;
}

namespace {

// Another report's run is reading the pipeline: a report that shares it and
// is reset by its moves must not close it under that run.
bool pipelineInOtherRun(const TppDataPipeline &aPipeline, const TppEngine &aEngine)
{
    for (int i = 0; i < aPipeline.GetNotifyCount(); ++i) {
        const auto *engine = dynamic_cast<const TppEngine *>(aPipeline.GetNotify(i));
        if (engine && engine != &aEngine && engine->Generating())
            return true;
    }
    return false;
}

} // namespace

void TppEngine::DisconnectPipelines()
{
    std::vector<TppDataPipeline *> pipelines;
    for (TppDataPipeline *pipeline : {m_mainPipeline, m_detailPipeline})
        if (pipeline)
            pipelines.push_back(pipeline);
    for (TppDataPipeline *pipeline : m_otherPipelines)
        if (std::find(pipelines.begin(), pipelines.end(), pipeline) == pipelines.end())
            pipelines.push_back(pipeline);
    // Forgotten first: closing tells the report, whose reset comes back here.
    m_mainPipeline = nullptr;
    m_detailPipeline = nullptr;
    m_otherPipelines.clear();
    for (TppDataPipeline *pipeline : pipelines) {
        pipeline->RemoveEventNotify(this);
        RemoveNotify(pipeline);
        // Closed already when its own closing reset the report.
        if (pipeline->GetActive() && !TppChangingPipeline::Holds(pipeline) && !pipelineInOtherRun(*pipeline, *this))
            pipeline->Close();
    }
}

void TppEngine::SetPageCount(int aCount)
{
    if (aCount <= 0) {
        SetPageNo(0);
        SetDueBands(0);
        ExcludeEngineState(0xFFFF);
    }
    AssignPageCount(std::max(aCount, 0));
    Page()->Clear();
    m_pageCountKnown = false;
    m_passes.CountForgotten();
}

void TppEngine::pageLoop()
{
    m_pageDone = false;
    SetStopped(false);
    m_reportComplete = false;
    const std::weak_ptr<char> alive = AliveToken();
    InitReport();
    if (alive.expired())
        return;
    m_report->SendEventNotify(m_report, ppEvent::PageLoopReset, nullptr);
    if (alive.expired())
        return;
    if (!m_pageDone) {
        const TppRequestStep first = m_requestRules.FirstPage(requestProgress());
        m_pageDone = first.done;
        SetPageNo(first.pageNo);
    }
    while (!m_pageDone && !Stopped()) {
        SetMaxPosition(0);
        m_passes.Start(*this, *m_report, m_pageCountKnown);
        if (alive.expired())
            return;
        generateOnePage();
        if (alive.expired())
            return;
        m_passes.End(*this, *m_report, m_pageCountKnown);
        if (alive.expired())
            return;
        if (!m_pageDone) {
            const TppRequestStep next = m_requestRules.NextPage(requestProgress());
            m_pageDone = next.done;
            if (!next.done)
                SetPageNo(next.pageNo);
        }
        m_report->ProcessMessages();
        if (alive.expired())
            return;
        m_lastMessages = ppMessageTickCount();
    }
}

TppRequestProgress TppEngine::requestProgress()
{
    TppRequestProgress progress;
    progress.pageNo = PageNo();
    progress.pageCount = PageCount();
    progress.lastCachedPage = lastCachedPage();
    progress.pageCountKnown = m_pageCountKnown;
    progress.reportComplete = m_reportComplete;
    progress.pageWanted = m_pageWanted;
    return progress;
}

int TppEngine::lastCachedPage()
{
    int last = m_lastFinishedPage;
    if (OnGetLastCachedPage)
        OnGetLastCachedPage(this, last);
    return last;
}

bool TppEngine::PageNotCached()
{
    return PageNo() == 0 || PageNo() > lastCachedPage();
}

void TppEngine::savePageState()
{
    if (m_pageCountKnown)
        return;
    if (PageNotCached())
        fire(OnSavePageState);
}

bool TppEngine::computePageWanted()
{
    const bool wanted =
        TppEnginePasses::PassWantsPage(EngineState(), m_report->PassSetting(), PageNo(), m_pageRequest.PageRequested());
    // A publisher that keeps pages takes every page of the final pass.
    if (wanted && m_report->Publisher() && m_report->Publisher()->CachePages())
        return true;
    return m_requestRules.Wants(requestProgress(), wanted);
}

// ---- Report start -----------------------------------------------------------------------------

bool TppEngine::openPipeline(TppDataPipeline *aPipeline)
{
    // Linked, so that a pipeline that goes takes its bookmarks along.
    AddNotify(aPipeline);
    // Its OnOpen may free it: the run then has no such data to walk; or
    // the report, and this engine with it.
    const std::weak_ptr<char> self = AliveToken();
    const std::weak_ptr<char> alive = aPipeline->AliveToken();
    aPipeline->Open();
    if (self.expired() || alive.expired())
        return false;
    if (!aPipeline->GetActive()) {
        m_report->HandlePrintError(ppLoadStr(40) + QStringLiteral(": ") + aPipeline->Name());
        return false;
    }
    return true;
}

void TppEngine::connectPipeline(TppDataPipeline *aPipeline)
{
    if (openPipeline(aPipeline))
        aPipeline->First();
}

void TppEngine::connectOtherPipelines()
{
    // A lookup that only the bands' objects read is opened as the report's
    // own pipelines are; its records are the objects' business.
    m_otherPipelines.clear();
    const std::weak_ptr<char> alive = AliveToken();
    for (int b = 0; b < m_report->BandCount() && !alive.expired(); ++b) {
        TppBand *band = m_report->Bands(b);
        for (int i = 0; i < band->ObjectCount(); ++i) {
            TppComponent *object = band->Objects(i);
            TppDataPipeline *pipeline = object->IsDataAware() ? object->DataPipeline() : nullptr;
            if (!pipeline || pipeline == m_mainPipeline || pipeline == m_detailPipeline ||
                std::find(m_otherPipelines.begin(), m_otherPipelines.end(), pipeline) != m_otherPipelines.end())
                continue;
            m_otherPipelines.push_back(pipeline);
            openPipeline(pipeline);
            if (alive.expired())
                return;
        }
    }
}

void TppEngine::InitReport()
{
    if (EngineState() & ppEngineState::Started) {
        if (EngineState() & ppEngineState::NoData)
            noDataStart();
        return;
    }
    // A child report's data and pipelines are the main report's run's work:
    // it starts once per run, a child once per parent record. The records
    // the parent's pages hold of the child stay good for the main run.
    const bool child = m_report->PrintingAsSubReport();
    if (!child) {
        freeStartBookmark();
        m_pageCache.FreeBookmarks(m_mainPipeline, m_detailPipeline);
        std::vector<TppCustomReport *> tree;
        m_report->GetReportTree(tree);
        for (size_t i = 1; i < tree.size(); ++i)
            if (auto *engine = dynamic_cast<TppEngine *>(tree[i]->Engine()))
                engine->FreeCachedBookmarks();
        m_report->InitializeData();
        m_dataStarted = true;
    }
    // The data's handlers (OnOpen, OnFirst) may free the report.
    const std::weak_ptr<char> alive = AliveToken();
    m_mainPipeline = m_report->DataPipeline();
    m_detailPipeline = nullptr;
    if (m_mainPipeline) {
        m_mainPipeline->AddEventNotify(this);
        const bool opened = openPipeline(m_mainPipeline);
        if (alive.expired())
            return;
        if (opened) {
            if (!child)
                takeStartBookmark();
            if (m_mainPipeline)
                m_mainPipeline->First();
        }
        if (alive.expired())
            return;
        auto *detail = dynamic_cast<TppDetailBand *>(m_report->GetBand(4));
        TppDataPipeline *own = detail ? detail->DataPipeline() : nullptr;
        if (own && own != m_mainPipeline) {
            m_detailPipeline = own;
            own->AddEventNotify(this);
            connectPipeline(own);
            if (alive.expired())
                return;
        }
    }
    connectOtherPipelines();
    if (alive.expired())
        return;
    const bool hasData = !Stopped() && (!m_mainPipeline || !m_mainPipeline->GetActive() || !m_mainPipeline->Eof());
    if (hasData)
        ExcludeEngineState(ppEngineState::NoData);
    else
        IncludeEngineState(ppEngineState::NoData);
    // A run stopped while its data opened walks none of it.
    if (Stopped() && m_mainPipeline) {
        m_mainPipeline->ExcludeRecordPositionFlags(ppFirstRecord | ppLastRecord | ppNoRecords);
        m_mainPipeline->IncludeRecordPositionFlags(ppNoRecords);
    }
    // The look-aheads are the main report's to compute, once its whole run
    // is known; a child's run ends at every record of its parent.
    if (!child) {
        m_report->InitializePipelines();
        if (alive.expired())
            return;
        m_reportStarted = true;
    }
    m_report->ResetHooks();
    if (alive.expired())
        return;
    SetDueBands(0);
    fire(OnResetCache);
    if (alive.expired())
        return;
    m_passes.RunStarted();
    m_pageCountKnown = false;
    m_dataExhausted = false;
    m_traversalPending = false;
    m_lastColumnStarted = false;
    SetMaxPosition(0);
    SetReportBandCount(0);
    SetPageBandCount(0);
    m_pagesWithoutProgress = 0;
    if (!hasData)
        noDataStart();
    if (alive.expired())
        return;
    m_traversalPending = true;
    m_mainTraversed = m_mainPipeline != nullptr;
    m_detailTraversed = m_detailPipeline != nullptr;
    SetBandsPrinted(false);
    m_keepTogetherGroup = nullptr;
    // Init reads the break value, whose handlers may free groups.
    std::vector<std::pair<TppGroup *, std::weak_ptr<char>>> groups;
    for (int i = 0; i < m_report->GroupCount(); ++i)
        groups.emplace_back(m_report->Groups(i), m_report->Groups(i)->AliveToken());
    for (const auto &[group, groupAlive] : groups) {
        if (!groupAlive.expired())
            group->Init();
        if (alive.expired())
            return;
        if (groupAlive.expired())
            continue;
        if (group->NewPage())
            m_keepTogetherGroup = nullptr;
        else if (group->KeepTogether())
            m_keepTogetherGroup = group;
    }
    m_pageNumbering.RunStarted(*m_report);
    // The pages of a subreport's child carry the time of the run they are
    // part of.
    TppCustomReport *main = m_report->PrintingAsSubReport() ? m_report->GetMainReport() : nullptr;
    auto *mainEngine = main && main != m_report ? dynamic_cast<TppEngine *>(main->Engine()) : nullptr;
    m_printDateTime =
        mainEngine && (mainEngine->EngineState() & ppEngineState::Started) ? mainEngine->PrintDateTime() : rtl::Now();
    sortBands();
    if (alive.expired())
        return;
    IncludeDue(ppBandKind::GroupHeader);
    IncludeEngineState(ppEngineState::Started | ppEngineState::FirstPass);
    SetPageNo(0);
    AssignPageCount(0);
    m_pageCountKnown = false;
    auto *detail = dynamic_cast<TppDetailBand *>(m_report->GetBand(4));
    m_verticalColumns =
        m_report->Columns() > 1 && (!detail || detail->ColumnTraversal() == TppColumnTraversalType::ctTopToBottom);
    if (detail && detail->ColumnTraversal() == TppColumnTraversalType::ctLeftToRight)
        CreateColumnFlags(m_report->Columns());
    else
        CreateColumnFlags(0);
    m_advancedAtColumnEnd = false;
    m_breakGroupIndex = m_report->GroupCount();
    IncludeDue(ppBandKind::Title);
    m_bandState = 2;
    m_bandIndex = 0;
    // Page 0: where every later run from the first page starts.
    savePageState();
    m_lastFinishedPage = 0;
}

void TppEngine::noDataStart()
{
    if (!(m_report->NoDataBehaviors() & (1u << unsigned(TppNoDataBehaviorType::ndBlankPage))))
        return;
    // Nothing to print: no page.
    m_pageDone = true;
    m_reportComplete = true;
    m_reportStarted = false;
    // OnNoData may free the report, and this engine with it.
    const std::weak_ptr<char> alive = AliveToken();
    ppNoDataAtStart(*m_report, !m_passes.SecondPassStarted());
    if (!alive.expired() && m_report->PassSetting() == TppPassSettingType::psTwoPass)
        m_passes.SkipSecondPassStart();
}

void TppEngine::sortBands()
{
    if (m_report->BandCount() == 0)
        m_report->CreateDefaultBands();
    m_report->SortBands();
    for (auto &list : m_lists)
        list.clear();
    for (int i = 0; i < m_report->BandCount(); ++i) {
        auto *band = dynamic_cast<TppCustomBand *>(m_report->Bands(i));
        if (!band)
            continue;
        const int list = ppEngineListOf(band);
        if (list >= 0)
            m_lists[list].push_back(band);
    }
    m_lastBand = findLastBand();
    // The objects' start may free bands (a group goes with its own), the
    // report too: each band is held by its token, not its place.
    std::vector<std::pair<TppBand *, std::weak_ptr<char>>> bands;
    for (int i = 0; i < m_report->BandCount(); ++i)
        bands.emplace_back(m_report->Bands(i), m_report->Bands(i)->AliveToken());
    const std::weak_ptr<char> alive = AliveToken();
    for (const auto &[band, bandAlive] : bands)
        if (!alive.expired() && !bandAlive.expired())
            band->InitObjects();
}

TppCustomBand *TppEngine::findLastBand() const
{
    for (int list : {7, 6, 5})
        for (auto band = m_lists[list].rbegin(); band != m_lists[list].rend(); ++band)
            if (*band)
                return *band;
    return nullptr;
}

// ---- Pages ------------------------------------------------------------------------------------

void TppEngine::generateOnePage()
{
    const std::weak_ptr<char> alive = AliveToken();
    fire(OnRestorePageState);
    if (alive.expired())
        return;
    RestorePagePositions();
    if (alive.expired())
        return;
    // The groups keep no break value per page: a page made again from the
    // cache would compare its records with the value of the last page
    // generated, and break where that differs. Read again from the record
    // the page begins with, as after a traversal. A child's pipelines were
    // put back by its subreport's request, a kept-together group's by the
    // rewind at the end of the page before.
    if (std::exchange(m_breakValuesStale, false) && !m_dataExhausted)
        updateBreakValues();
    if (alive.expired())
        return;
    m_progress = false;
    // A section's pages take this page's place: no page bands, and the band
    // that holds the section goes on where it stood.
    if (EngineState() & (ppEngineState::SectionPageWanted | ppEngineState::SectionPages)) {
        basicPageStart();
        if (alive.expired())
            return;
        SetBandsPrinted(false);
        runStateMachine();
        return;
    }
    fullPageStart();
    if (alive.expired())
        return;
    if (m_bandState != 6 && !engineRecordStartsGroup(*this, *m_report))
        AfterTraversal();
    if (alive.expired())
        return;
    switch (m_bandState) {
    case 1:
    case 2:
    case 3:
    case 5:
        m_bandState = 4;
        m_bandIndex = 0;
        break;
    case 4: m_bandIndex = 0; break;
    case 6:
        if (!m_verticalColumns)
            resumeGroupFooters();
        break;
    default: break;
    }
    if (!alive.expired())
        runStateMachine();
}

void TppEngine::fullPageStart()
{
    SetBandsPrinted(false);
    const int state = m_bandState;
    const int index = m_bandIndex;
    const std::weak_ptr<char> alive = AliveToken();
    basicPageStart();
    if (alive.expired())
        return;
    if (!m_pageEnded) {
        IncludeDue(ppBandKind::Header);
        generateList(0, 0, false);
        if (alive.expired())
            return;
        ExcludeDue(ppBandKind::Header);
    }
    if (IsDue(ppBandKind::Title)) {
        m_bandState = 2;
        generateList(2, 0, false);
        if (alive.expired())
            return;
        if (!m_pageEnded)
            ExcludeDue(ppBandKind::Title);
    }
    if (!m_pageEnded) {
        IncludeDue(ppBandKind::Header);
        m_bandState = 1;
        generateList(1, 0, false);
        if (alive.expired())
            return;
        m_bandState = state;
        m_bandIndex = index;
    }
    ClearColumnFlags();
}

void TppEngine::basicPageStart()
{
    const std::weak_ptr<char> alive = AliveToken();
    if (PageNo() == 1)
        m_report->SendEventNotify(m_report, ppEvent::ReportStart, nullptr);
    if (alive.expired())
        return;
    m_report->DoEngineEvent(m_report->OnStartPage, ppEvent::OnStartPage);
    if (alive.expired())
        return;
    if (PageNo() == 1)
        IncludeDue(ppBandKind::Detail);
    if (const TppPageDef *def = pageDef()) {
        SetPrintArea(def->mmMarginLeft(), def->mmMarginTop(), def->mmPrintableWidth(), def->mmMarginTop());
        m_printRight = def->mmMarginLeft() + def->mmPrintableWidth();
    }
    m_lastColumnStarted = false;
    SetColumnNo(0);
    SetColumnTop(0);
    m_pageEnded = false;
    m_columnBreakPending = false;
    m_summaryPageStarted = EngineState() & ppEngineState::SummaryNewPage;
    m_columnEndsOnPage = 0;
    SetDetailPrinted(false);
    SetPageBandCount(1);
    if (!m_pageCountKnown && PageNo() > PageCount())
        AssignPageCount(PageNo());
    m_pageNumbering.PageStarted(*m_report, PageNo(), IsDue(ppBandKind::Title), m_bandState < 6);
    Page()->Clear();
    m_pageWanted = false;
    fillPageRecord();
    if (alive.expired())
        return;
    m_pageWanted = computePageWanted();
    // A band that has not generated on this page yet still answers for it:
    // scripts and handlers ask before it prints, or when it never does.
    for (int i = 0; i < m_report->BandCount(); ++i)
        if (TppBand *band = m_report->Bands(i))
            band->SetDrawPage(m_pageWanted);
}

void TppEngine::fillPageRecord()
{
    TppPage *page = Page();
    page->SetAbsolutePageNo(PageNo());
    page->SetAbsolutePageCount(PageCount());
    if (m_report->PrinterSetup())
        page->SetDocumentName(m_report->PrinterSetup()->DocumentName());
    page->SetFirstPage(PageNo() == 1);
    page->SetLanguageIndex(m_report->LanguageIndex());
    page->SetLastPage(m_reportComplete && PageNo() == PageCount());
    page->SetPassSetting(m_report->PassSetting());
    // The break the page starts in: by the page end a footer may already
    // have counted the next one.
    if (TppGroup *group = m_pageNumbering.PageResetGroup(); group && !m_pageEnded)
        page->SetControlGroupBreakNo(group->BreakNo());
    if (!(EngineState() &
          (ppEngineState::SectionPageWanted | ppEngineState::SectionPages | ppEngineState::SectionLastPage))) {
        page->SetPageNo(GetPageNoForDisplay());
        page->SetPageCount(GetPageCountForDisplay());
    }
    page->SetPrintDateTime(m_printDateTime);
    page->SetFinal(TppEnginePasses::IsFinal(EngineState(), m_report->PassSetting(), m_pageWanted));
    page->SetCalculation(!m_pageWanted);
    fire(OnPageUpdated);
}

bool TppEngine::plainPageNumbers() const
{
    // A title on a page of its own is no page of the first group.
    const auto *title = m_lists[2].empty() ? nullptr : dynamic_cast<TppReportBand *>(m_lists[2].front());
    return !m_generating || (PageNo() == 1 && title && title->NewPage());
}

int TppEngine::GetPageNoForDisplay() const
{
    return m_pageNumbering.DisplayPageNo(PageNo(), plainPageNumbers());
}

int TppEngine::GetPageCountForDisplay() const
{
    return m_pageNumbering.DisplayPageCount(PageCount(), plainPageNumbers());
}

int32_t TppEngine::GetPageAreaBottom() const
{
    const TppPageDef *def = pageDef();
    if (!def)
        throw EPrintError(QStringLiteral("TppEngine.GetPageBottom: No Report assigned to this engine."));
    return def->mmHeight() - def->mmMarginBottom();
}

int32_t TppEngine::GetPageBottom() const
{
    int32_t bottom = GetPageAreaBottom();
    for (int list : {8, 9})
        for (TppCustomBand *band : m_lists[list])
            if (band && band->Visible())
                bottom -= band->mmHeight();
    return bottom;
}

// ---- The band-state machine --------------------------------------------------------------------

void TppEngine::runStateMachine()
{
    const std::weak_ptr<char> alive = AliveToken();
    while (m_bandState <= 6 && !m_pageEnded && !Stopped()) {
        // A section that asks for a page of its own ends this page after
        // the iteration that asked.
        const bool sectionAsked = EngineState() & ppEngineState::SectionPageWanted;
        if (m_verticalColumns && (m_columnBreakPending || ColumnNo() == 0)) {
            m_columnBreakPending = false;
            startNextColumn();
            if (alive.expired())
                return;
            if (m_bandState == 6) {
                resumeGroupFooters();
            } else if (m_bandState == 4 || m_bandState == 5) {
                generateList(4, 0, false);
                m_bandState = 5;
                m_bandIndex = 0;
            }
            if (alive.expired())
                return;
        }
        if (!(m_verticalColumns && m_columnBreakPending)) {
            generateList(m_bandState, m_bandIndex, true);
            if (alive.expired())
                return;
            if ((!m_verticalColumns && !m_pageEnded) || (m_verticalColumns && !m_columnBreakPending)) {
                if (m_bandState == 6 && !m_dataExhausted && !hasDetailBand()) {
                    // Only the detail band walks the data: without it (a
                    // handler freed it) the data ends here, or the group
                    // lists would come round for ever.
                    // The footers go round once more with the data ended,
                    // so the open groups close.
                    EndData();
                } else if (m_bandState == 6 && !m_dataExhausted) {
                    m_bandState = 4;
                    ExcludeDue(ppBandKind::GroupFooter);
                } else {
                    ++m_bandState;
                }
                m_bandIndex = 0;
            }
        }
        ProcessMessages();
        if (alive.expired())
            return;
        if (!sectionAsked && (EngineState() & ppEngineState::SectionPageWanted))
            break;
    }
    if (!m_pageEnded && m_dataExhausted && !Stopped()) {
        m_bandState = 7;
        const bool overflowed = generateList(7, 0, false);
        if (alive.expired())
            return;
        // The summaries are the last list a run generates: once they are
        // through, so is the run. The band that was to print last may be
        // gone by then (a handler freed or removed it, or the detail band
        // after the footers had their turn), and nothing else would end it.
        if (!overflowed && !m_pageEnded && !Stopped())
            m_reportComplete = true;
    }
    if (!m_pageEnded && !Stopped()) {
        if (m_verticalColumns)
            endColumn();
        else
            endPage();
    }
}

bool TppEngine::generateList(int aList, int aFrom, bool aKeepIndex)
{
    const std::weak_ptr<char> self = AliveToken();
    const std::vector<TppCustomBand *> &list = m_lists[aList];
    bool overflowed = false;
    // A kept-together group moved: the engine stands where the group began.
    bool moved = false;
    int index = std::max(aFrom, 0);
    for (; index < int(list.size()) && !overflowed && !Stopped(); ++index) {
        TppCustomBand *band = list[size_t(index)];
        if (!band)
            continue;
        m_currentBand = band;
        const auto *header = dynamic_cast<TppGroupHeaderBand *>(band);
        const bool breakingHeader = header && header->Breaking();
        // A detail band down a later column counts from that column's top:
        // the page's lowest position is what the longest column reached.
        const bool laterColumn = m_verticalColumns && aList == 5 && ColumnNo() > 1;
        const int32_t columnMax = MaxPosition();
        if (laterColumn)
            SetMaxPosition(0);
        // A handler may free the band while it generates, or the report
        // and this engine with it.
        const std::weak_ptr<char> alive = band->AliveToken();
        band->Generate();
        if (self.expired())
            return true;
        if (alive.expired())
            continue;
        if (!GetBandsPrinted() && band->Count() > 0) {
            if (header ? header->Group() && !header->Group()->ReprintOnSubsequentPage()
                       : (m_bandState < 1 || m_bandState > 3))
                SetBandsPrinted(true);
        }
        // A band that only printed its statics again while its stretching
        // object found no room did not move on.
        const bool stalled = band->BandEngine() && band->BandEngine()->StalledContinuation();
        if (band->Count() > 0 && !stalled && (aList == 2 || aList == 5 || aList == 6 || aList == 7 || breakingHeader))
            m_progress = true;
        SetMaxPosition(laterColumn ? std::max(columnMax, PrintPosition()) : std::max(MaxPosition(), PrintPosition()));
        overflowed = band->OutOfSpace();
        if (overflowed && m_keepTogetherGroup) {
            const auto *groupBand = dynamic_cast<TppGroupBand *>(band);
            const bool inside =
                groupBand && groupBand->Group() &&
                m_report->IndexOfGroup(groupBand->Group()) >= m_report->IndexOfGroup(m_keepTogetherGroup);
            if ((dynamic_cast<TppDetailBand *>(band) || inside) && m_keepTogetherGroup->ApplyKeepTogether())
                moved = true;
            if (self.expired())
                return true;
        }
        if (m_dataExhausted && band == m_lastBand && !overflowed)
            m_reportComplete = true;
        if (overflowed)
            break;
        ProcessMessages();
        if (self.expired())
            return true;
    }
    if (aList == 4 && !overflowed)
        ExcludeDue(ppBandKind::Title | ppBandKind::Header | ppBandKind::ColumnHeader);
    if (aKeepIndex && !moved)
        m_bandIndex = std::max(0, std::min(index, int(list.size()) - 1));
    if (overflowed && !IsDue(ppBandKind::Footer)) {
        checkProgress(m_currentBand);
        // The page's end fires the report's events, whose handlers may
        // free the report and this engine with it.
        if (m_verticalColumns)
            endColumn();
        else
            endPage();
        if (self.expired())
            return true;
    }
    m_currentBand = nullptr;
    return overflowed;
}

void TppEngine::resumeGroupFooters()
{
    auto *footer = m_bandIndex < int(m_lists[6].size())
                       ? dynamic_cast<TppGroupFooterBand *>(m_lists[6][size_t(m_bandIndex)])
                       : nullptr;
    TppGroup *group = footer ? footer->Group() : nullptr;
    const std::weak_ptr<char> self = AliveToken();
    // The headers' handlers may free them, or the footer's group.
    const std::weak_ptr<char> groupAlive = group ? group->AliveToken() : std::weak_ptr<char>();
    if (group) {
        // The headers of the groups around the footer, and its own when
        // asked, so that the footer does not stand alone.
        const int own = m_report->IndexOfGroup(group);
        // A header a handler frees leaves an empty entry behind.
        for (TppCustomBand *band : m_lists[4]) {
            if (groupAlive.expired())
                break;
            auto *header = dynamic_cast<TppGroupHeaderBand *>(band);
            if (!header)
                continue;
            const int index = header->Group() ? m_report->IndexOfGroup(header->Group()) : -1;
            if (index < own || (index == own && group->HeaderForOrphanedFooter())) {
                const bool breaking = header->Breaking();
                header->SetBreaking(false);
                const std::weak_ptr<char> alive = header->AliveToken();
                header->Generate();
                if (self.expired())
                    return;
                if (!alive.expired())
                    header->SetBreaking(breaking);
            }
        }
    }
    ExcludeDue(ppBandKind::Title | ppBandKind::Header | ppBandKind::ColumnHeader);
    const bool overflowed = generateList(6, m_bandIndex, true);
    if (self.expired())
        return;
    if (!overflowed) {
        m_bandState = m_dataExhausted ? 7 : 4;
        m_bandIndex = 0;
    }
    if (group && !groupAlive.expired() && !group->NewPage() && !engineRecordStartsGroup(*this, *m_report))
        AfterTraversal();
}

// ---- Traversal -----------------------------------------------------------------------------------

void TppEngine::Traverse()
{
    ExcludeDue(ppBandKind::Header | ppBandKind::ColumnHeader | ppBandKind::GroupHeader);
    IncludeDue(ppBandKind::Detail);
    if (m_dataExhausted)
        return;
    // A handler of the data may free the pipeline as it moves: its data
    // has ended then.
    const bool walking = m_mainPipeline != nullptr;
    const std::weak_ptr<char> alive = AliveToken();
    findBrokenGroups();
    if (alive.expired())
        return;
    if (!m_mainPipeline || m_mainPipeline->Eof()) {
        if (walking) {
            m_dataExhausted = true;
            IncludeDue(ppBandKind::Summary | ppBandKind::GroupFooter);
        }
    } else {
        // Also after a break: the record starts the next group, so it is
        // told of only once the footers of the groups it ended have
        // printed; a group's totals end with its own last record.
        m_traversalPending = true;
    }
}

void TppEngine::findBrokenGroups()
{
    m_inTraversal = true;
    const std::weak_ptr<char> alive = AliveToken();
    const int broken = ppTraverseRecord(*m_report, m_mainPipeline, m_detailPipeline);
    if (alive.expired())
        return;
    m_breakGroupIndex = broken;
    m_inTraversal = false;
    if (m_breakGroupIndex < m_report->GroupCount())
        IncludeDue(ppBandKind::GroupHeader | ppBandKind::GroupFooter);
}

void TppEngine::sendTraversalEvents()
{
    const std::weak_ptr<char> alive = AliveToken();
    if (m_mainTraversed && m_mainPipeline)
        m_mainPipeline->DoOnTraversal();
    if (!alive.expired() && m_detailTraversed && m_detailPipeline)
        m_detailPipeline->DoOnTraversal();
    if (!alive.expired())
        m_report->SendEventNotify(m_report, ppEvent::Traversal, nullptr);
}

void TppEngine::AfterTraversal()
{
    if (!m_traversalPending && !m_advancedAtColumnEnd)
        return;
    m_inTraversal = false;
    m_traversalPending = false;
    const bool columnEnded = std::exchange(m_advancedAtColumnEnd, false);
    const std::weak_ptr<char> alive = AliveToken();
    sendTraversalEvents();
    if (alive.expired())
        return;
    if (columnEnded) {
        // A column ended with the record moved to: the data moved, and its
        // breaks were found, when the record was traversed, so there is
        // nothing to find again. The column it prints in takes it up as the
        // start of a run of details, with no footer of the last column's
        // group still to come.
        if (!IsDue(ppBandKind::Summary))
            ExcludeDue(ppBandKind::GroupFooter);
        IncludeDue(ppBandKind::GroupHeader | ppBandKind::Detail);
    }
    updateBreakValues();
}

void TppEngine::updateBreakValues()
{
    // A group's handler may free it or another one: each is found again by
    // its token, not by its place in the list.
    std::vector<std::pair<TppGroup *, std::weak_ptr<char>>> groups;
    for (int i = 0; i < m_report->GroupCount(); ++i)
        groups.emplace_back(m_report->Groups(i), m_report->Groups(i)->AliveToken());
    for (const auto &[group, alive] : groups)
        if (!alive.expired())
            group->UpdateBreakValue();
}

bool TppEngine::hasDetailBand() const
{
    return std::any_of(m_lists[5].begin(), m_lists[5].end(), [](const TppCustomBand *aBand) { return aBand; });
}

void TppEngine::EndData()
{
    m_dataExhausted = true;
    IncludeDue(ppBandKind::Summary | ppBandKind::GroupFooter);
}

void TppEngine::EndReport()
{
    EndData();
    m_reportComplete = true;
}

void TppEngine::RewindPage()
{
    RestorePagePositions();
    // The group's cache has put the engine back where the group started;
    // the page ends there and the group starts the next one.
    m_currentBand = nullptr;
}

void TppEngine::ResetBand(TppBand *) {}

void TppEngine::ForgetBand(TppBand *aBand)
{
    // The entry stays, empty, so that a list being generated keeps its
    // indexes; the lists are sorted afresh at the next run.
    for (auto &list : m_lists)
        for (TppCustomBand *&band : list)
            if (static_cast<TppBand *>(band) == aBand)
                band = nullptr;
    if (static_cast<TppBand *>(m_currentBand) == aBand)
        m_currentBand = nullptr;
    if (static_cast<TppBand *>(m_lastBand) == aBand)
        m_lastBand = findLastBand();
}

void TppEngine::ForgetGroup(TppGroup *aGroup)
{
    if (m_keepTogetherGroup == aGroup)
        m_keepTogetherGroup = nullptr;
    m_pageNumbering.ForgetGroup(aGroup);
}

void TppEngine::ProcessMessages()
{
    // Serving the window costs a poll of every event source: within a page
    // it runs at most every EngineMessageInterval ms, which still lets a
    // Cancel through long before anyone notices. The page loop serves it
    // after every page regardless.
    if (!m_report)
        return;
    const int64_t now = ppMessageTickCount();
    if (now - m_lastMessages < EngineMessageInterval && now >= m_lastMessages)
        return;
    m_lastMessages = now;
    m_report->ProcessMessages();
}

} // namespace report
