#pragma once

// TppEngine: lays a report's bands out page by page. A page request names
// the pages wanted; the page loop starts the report once, then builds page
// after page: page styles, the title and page headers at the top, the band
// states (group headers, detail, group footers, summary) in the body,
// columns down the page, page footers at the foot, until the request is met
// or the report is complete. The detail band's traversal moves the data on
// and finds the groups that break. The engine never draws; bands put their
// draw commands on its page.

#include "report/model/engine/CustomEngine.h"
#include "report/model/engine/EnginePageCache.h"
#include "report/model/engine/EnginePasses.h"
#include "report/model/engine/PageNumbering.h"
#include "report/model/engine/PageRequestRules.h"
#include "report/model/engine/PipelinePositions.h"
#include "report/model/pages/PageRequest.h"

#include "platform/rtl/Types.h"

#include <cstdint>
#include <limits>
#include <vector>

namespace report {

class TppCustomBand;
class TppCustomReport;
class TppDataPipeline;
class TppGroup;
class TppPageDef;

// While a pipeline tells its reports that its data changed, the runs that
// end there leave it open: whoever moved it goes on with it.
class TppChangingPipeline
{
public:
    explicit TppChangingPipeline(TppDataPipeline *aPipeline);
    ~TppChangingPipeline();
    TppChangingPipeline(const TppChangingPipeline &) = delete;
    TppChangingPipeline &operator=(const TppChangingPipeline &) = delete;
    static bool Holds(const TppDataPipeline *aPipeline);

private:
    TppDataPipeline *m_previous;
};

class TppEngine : public TppCustomEngine
{
    ZVO_CLASS(TppEngine)
public:
    explicit TppEngine(TppCustomReport *aReport = nullptr);
    ~TppEngine() override;

    void GeneratePage(const TppPageRequest &aRequest) override;
    // The run of a report that is no child ends here too: the pipelines it
    // opened close, and the report ends its data (FinalizeData).
    void Reset() override;
    void DisconnectPipelines() override;
    void SetPageCount(int aCount) override;
    bool Generating() const { return m_generating; }
    // A subreport holds its child's engine as generating between requests.
    void SetGenerating(bool aValue) { m_generating = aValue; }
    bool ReportComplete() const { return m_reportComplete; }
    bool PageCountKnown() const { return m_pageCountKnown; }
    // A subreport gives its child's engine back what it knew of the
    // child's pages when it goes on with it.
    void AssignPageCountKnown(bool aValue) { m_pageCountKnown = aValue; }
    int BandState() const { return m_bandState; }
    TppCustomBand *CurrentBand() const { return m_currentBand; }
    TppCustomBand *LastBand() const { return m_lastBand; }
    const std::vector<TppCustomBand *> &BandList(int aIndex) const { return m_lists[aIndex]; }

    // ---- What bands ask ----
    bool PageWanted() const override { return m_pageWanted; }
    // The highest page whose state the cache holds; without a cache
    // keeper, the last page finished in this run.
    int LastCachedPage() { return lastCachedPage(); }
    // Taken once per run.
    rtl::TDateTime PrintDateTime() const { return m_printDateTime; }
    // Within the pages of the group that resets page numbers, when one does.
    int GetPageNoForDisplay() const override;
    int GetPageCountForDisplay() const override;
    bool IsLastPage() const override { return m_pageCountKnown && PageNo() == PageCount(); }
    bool PageFull() const override { return false; }
    int32_t GetPageBottom() const override;
    int32_t GetPageAreaBottom() const override;
    int32_t GetColumnBottom() const override { return GetPageBottom(); }
    int32_t PrintRight() const override { return m_printRight; }
    bool DataExhausted() const override { return m_dataExhausted; }
    void Traverse() override;
    void AfterTraversal() override;
    void EndData() override;
    void EndReport() override;
    void GroupStart(TppGroup *) override {}
    TppGroup *KeepTogetherGroup() const override { return m_keepTogetherGroup; }
    void RewindPage() override;
    void ResetBand(TppBand *aBand) override;
    void ForgetBand(TppBand *aBand) override;
    void ForgetGroup(TppGroup *aGroup) override;
    void ProcessMessages() override;
    void NoteProgress() override { m_progress = true; }
    // A child report's engine also answers for the page of its parent's,
    // and tells it when bands of the child printed there.
    bool GetBandsPrinted() const override;
    void SetBandsPrinted(bool aValue) override;

    // Where generation stands: band state and index, due kinds, counters,
    // the end of the data and the main pipeline's record. A child report's
    // engine keeps the records of the parent's pages for the whole of the
    // main report's run, so that a parent page made again finds the child
    // where it stood: its pipelines' bookmarks are freed when the main run
    // starts again (FreeCachedBookmarks), not at each child run.
    void SaveToCache(int32_t aPageIndex) override;
    void FreeCachedBookmarks();
    void Notify(TppCommunicator *aCommunicator, int aOperation) override;
    // A pipeline of the run closed: the bookmarks the engine holds of it
    // are freed.
    void EventNotify(TppCommunicator *aCommunicator, int aEventID, TraParamList *aParams) override;
    void RestoreFromCache(int32_t aPageIndex) override;

    // ---- Named operations and fields ----
    bool IsLastCachedPlusOne() override { return PageNo() == lastCachedPage() + 1; }
    bool PageNotCached() override;
    int GetBandState() const override { return m_bandState; }
    TppBand *GetCurrentBand() const override;
    void InitReport() override;
    void RestorePagePositions() override;
    // The entry of the request's page list the loop stands at.
    int PageListIndex() const { return m_requestRules.ListIndex(); }
    // The outermost group that broke at the last record; the group count
    // when none did.
    int BreakGroupIndex() const { return m_breakGroupIndex; }
    // A column ended with the data moved on while the next column fits;
    // the next column completes the traversal.
    bool AdvancedAtColumnEnd() const { return m_advancedAtColumnEnd; }
    // The data is being moved on (Traverse runs).
    bool InTraversal() const { return m_inTraversal; }
    bool VerticalColumns() const { return m_verticalColumns; }

private:
    void pageLoop();
    TppRequestProgress requestProgress();
    int lastCachedPage();
    void savePageState();
    bool computePageWanted();
    bool openPipeline(TppDataPipeline *aPipeline);
    void connectPipeline(TppDataPipeline *aPipeline);
    void connectOtherPipelines();
    void noDataStart();
    bool plainPageNumbers() const;
    void sortBands();
    // The band whose clean printing ends the report: the last summary, else
    // the last group footer, else the last detail band.
    TppCustomBand *findLastBand() const;
    void generateOnePage();
    void fullPageStart();
    void basicPageStart();
    void fillPageRecord();
    void runStateMachine();
    bool generateList(int aList, int aFrom, bool aKeepIndex);
    void resumeGroupFooters();
    void startNextColumn();
    bool positionColumn(int aColumn, bool aApply);
    void endColumn();
    // A title or summary page of its own on which no detail printed.
    bool ownPageWithoutDetail() const;
    void endPage();
    void applyLastPageRules();
    void findBrokenGroups();
    void sendTraversalEvents();
    void updateBreakValues();
    // Whether the band list of the details still holds a band.
    bool hasDetailBand() const;
    void checkProgress(TppCustomBand *aBreakingBand);
    void stopWithoutProgress(TppCustomBand *aBreakingBand);
    void fire(TppEngineNotify &aEvent);
    void saveCallPositions();
    void restoreCallPositions();
    const TppPageDef *pageDef() const;
    // The engine of the report that holds the subreport, for a child.
    TppCustomEngine *parentEngine() const;

    TppPageRequest m_pageRequest;
    TppPageRequestRules m_requestRules{m_pageRequest};
    TppEnginePasses m_passes;
    TppEnginePageCache m_pageCache;
    TppPageNumbering m_pageNumbering;
    rtl::TDateTime m_printDateTime{};
    std::vector<TppCustomBand *> m_lists[10];
    TppCustomBand *m_currentBand = nullptr;
    TppCustomBand *m_lastBand = nullptr;
    TppDataPipeline *m_mainPipeline = nullptr;
    TppDataPipeline *m_detailPipeline = nullptr;
    // Pipelines that only objects of the bands read, each once.
    std::vector<TppDataPipeline *> m_otherPipelines;
    // The run started the report's data (InitializeData), which Reset ends.
    bool m_dataStarted = false;
    // Whether the run walks each of the two; their traversal events follow.
    bool m_mainTraversed = false;
    bool m_detailTraversed = false;
    // Where the report's and the detail band's pipelines stood when
    // generation was asked for: a caller finds its data where it left it.
    struct CallPosition
    {
        TppDataPipeline *pipeline = nullptr;
        TppPipelinePosition position{};
        // The page cache holds the bookmark and frees it.
        bool cached = false;
    };
    CallPosition m_callMain;
    CallPosition m_callDetail;
    // A report printing inside a subreport: where its pipelines stood when
    // its last page ended, since the call-level records put them back
    // where the subreport's request found them.
    CallPosition m_boundaryMain;
    CallPosition m_boundaryDetail;
    bool m_positionsSaved = false;
    // The main pipeline's record at the run's start (no child's), also
    // the pipeline's own StartBookmark.
    TppBookmark m_startBookmark = 0;
    TppDataPipeline *m_startBookmarkPipeline = nullptr;
    void takeStartBookmark();
    void freeStartBookmark();
    void saveBoundaryPositions();
    void restoreBoundaryPositions();
    void freeBoundaryPositions();
    TppGroup *m_keepTogetherGroup = nullptr;
    int m_bandState = 2;
    int m_bandIndex = 0;
    int m_breakGroupIndex = 0;
    bool m_advancedAtColumnEnd = false;
    bool m_inTraversal = false;
    // A restored page's pipeline positions, put back by RestorePagePositions.
    bool m_positionsRestored = false;
    // A cache record put the engine back: the groups read their break values
    // again from the record the next page begins with.
    bool m_breakValuesStale = false;
    TppPipelinePosition m_restoredMain{};
    TppPipelinePosition m_restoredDetail{};
    int32_t m_printRight = 0;
    int m_lastFinishedPage = 0;
    bool m_generating = false;
    // When the window was last served, on the message clock.
    int64_t m_lastMessages = std::numeric_limits<int64_t>::min() / 2;
    bool m_pageDone = false;
    bool m_pageEnded = false;
    bool m_reportComplete = false;
    bool m_dataExhausted = false;
    bool m_pageCountKnown = false;
    bool m_pageWanted = false;
    bool m_reportStarted = false;
    bool m_traversalPending = false;
    bool m_verticalColumns = false;
    bool m_columnBreakPending = false;
    bool m_lastColumnStarted = false;
    // The page began as the summary's page of its own.
    bool m_summaryPageStarted = false;
    // The no-progress guard: pages in a row on which nothing new printed.
    bool m_progress = false;
    int m_pagesWithoutProgress = 0;
    // Column ends on the page that did not end it.
    int m_columnEndsOnPage = 0;
};

} // namespace report
