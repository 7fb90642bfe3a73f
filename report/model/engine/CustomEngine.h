#pragma once

// TppCustomEngine: what bands, groups and band engines ask of the engine that
// lays out pages. The engine's page loop lives in its descendant; here is the
// state every engine shares (the page under construction, the page counters,
// the print area, the due kinds of band, the band counters and the state
// flags) and the operations bands call while they generate.

#include "report/model/data/Cacheable.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

namespace report {

class TppBand;
class TppCustomReport;
class TppGroup;
class TppPage;
class TppPageRequest;

using TppEngineNotify = classes::TNotifyEvent;
using TppEnginePageNoEvent = classes::TEvent<void(classes::TObject *Sender, int &aPageNo)>;

// The kind bits of the set of due bands.
namespace ppBandKind {
constexpr int Title = 1;
constexpr int Summary = 2;
constexpr int Header = 4; // page header and page style
constexpr int Footer = 8;
constexpr int ColumnHeader = 16;
constexpr int ColumnFooter = 32;
constexpr int GroupHeader = 64;
constexpr int GroupFooter = 128;
constexpr int Detail = 256;
} // namespace ppBandKind

// The bits of EngineState.
namespace ppEngineState {
constexpr int Started = 1;
constexpr int FirstPass = 2;
constexpr int SecondPass = 4;
constexpr int NoData = 8;
constexpr int TitleNewPage = 16;
constexpr int SummaryNewPage = 32;
constexpr int SectionPageWanted = 64;
constexpr int SectionPages = 128;
constexpr int SectionLastPage = 256;
} // namespace ppEngineState

class TppCustomEngine : public TppCacheable
{
    ZVO_CLASS(TppCustomEngine)
public:
    // aClientValue is kept for whoever made the engine; generation never
    // reads it, nor the client byte.
    explicit TppCustomEngine(classes::TComponent *aOwner, TppCustomReport *aReport = nullptr, int aClientValue = 0);
    ~TppCustomEngine() override;

    // The report the engine generates for.
    TppCustomReport *Report() const { return m_report; }
    uint8_t ClientByte() const { return m_clientByte; }
    void SetClientByte(uint8_t aValue) { m_clientByte = aValue; }
    int ClientValue() const { return m_clientValue; }

    // ---- The run ----
    // Generates until the request is met; a call during generation returns.
    virtual void GeneratePage(const TppPageRequest &aRequest) = 0;
    // Discards the run (not during generation).
    virtual void Reset() = 0;
    // Unlinks, closes and forgets the pipelines the run opened.
    virtual void DisconnectPipelines() = 0;

    // ---- The page ----
    TppPage *Page() const { return m_page.get(); }
    int PageNo() const { return m_pageNo; }
    void SetPageNo(int aValue) { m_pageNo = aValue; }
    int PageCount() const { return m_pageCount; }
    // The counter alone, as generation moves on or a subreport gives its
    // child's engine back the count it had.
    void AssignPageCount(int aValue) { m_pageCount = aValue; }
    // The run is known up to page aCount and goes on from there, its page
    // count unknown again; 0 starts the run afresh.
    virtual void SetPageCount(int aCount) = 0;
    virtual int GetPageNoForDisplay() const { return m_pageNo; }
    virtual int GetPageCountForDisplay() const { return m_pageCount; }
    // The page is to be delivered (not only generated to reach a later one).
    virtual bool PageWanted() const = 0;
    // The page being generated is known to be the report's last.
    virtual bool IsLastPage() const = 0;
    // Band generation must stop: the page is full.
    virtual bool PageFull() const = 0;

    // ---- Print area, thousandths of a millimetre ----
    int32_t PrintLeft() const { return m_printLeft; }
    int32_t PrintTop() const { return m_printTop; }
    int32_t PrintWidth() const { return m_printWidth; }
    int32_t PrintPosition() const { return m_printPosition; }
    void SetPrintArea(int32_t aLeft, int32_t aTop, int32_t aWidth, int32_t aPosition);
    // The right edge bands end at: PrintLeft + PrintWidth (held at the range
    // of thousandths) unless a column placed it.
    virtual int32_t PrintRight() const
    {
        return int32_t(std::clamp<int64_t>(int64_t(m_printLeft) + m_printWidth, std::numeric_limits<int32_t>::min(),
                                           std::numeric_limits<int32_t>::max()));
    }
    int32_t MaxPosition() const { return m_maxPosition; }
    void SetMaxPosition(int32_t aValue) { m_maxPosition = aValue; }
    // The lowest position a band may reach.
    virtual int32_t GetPageBottom() const = 0;
    // Page height less the bottom margin: where the page footer ends.
    virtual int32_t GetPageAreaBottom() const = 0;
    // Where the column footer starts.
    virtual int32_t GetColumnBottom() const = 0;
    int ColumnNo() const { return m_columnNo; }
    void SetColumnNo(int aValue) { m_columnNo = aValue; }

    // ---- Due kinds of band ----
    int DueBands() const { return m_dueBands; }
    void SetDueBands(int aValue) { m_dueBands = aValue; }
    bool IsDue(int aKind) const { return (m_dueBands & aKind) != 0; }
    void IncludeDue(int aKinds) { m_dueBands |= aKinds; }
    void ExcludeDue(int aKinds) { m_dueBands &= ~aKinds; }

    // ---- Counters and flags ----
    int ReportBandCount() const { return m_reportBandCount; }
    void SetReportBandCount(int aValue) { m_reportBandCount = aValue; }
    int PageBandCount() const { return m_pageBandCount; }
    void SetPageBandCount(int aValue) { m_pageBandCount = aValue; }
    virtual bool GetBandsPrinted() const { return m_bandsPrinted; }
    virtual void SetBandsPrinted(bool aValue) { m_bandsPrinted = aValue; }
    // A detail band printed on this page (the print position of a detail
    // band holds only before the first).
    bool DetailPrinted() const { return m_detailPrinted; }
    void SetDetailPrinted(bool aValue) { m_detailPrinted = aValue; }
    bool Stopped() const { return m_stopped; }
    void SetStopped(bool aValue) { m_stopped = aValue; }
    int EngineState() const { return m_engineState; }
    void IncludeEngineState(int aBits) { m_engineState |= aBits; }
    void ExcludeEngineState(int aBits) { m_engineState &= ~aBits; }
    virtual bool DataExhausted() const = 0;

    // ---- Operations ----
    // The record traversal: Traverse moves the data on, AfterTraversal
    // completes a traversal left pending.
    virtual void Traverse() = 0;
    virtual void AfterTraversal() = 0;
    // The data ends after the current record: summary and group footers
    // become due.
    virtual void EndData() {}
    virtual void EndReport() {}
    // A group's header printed at the group's top.
    virtual void GroupStart(TppGroup *aGroup) = 0;
    // The innermost group kept together, nullptr for none.
    virtual TppGroup *KeepTogetherGroup() const = 0;
    // Takes the page back to its state at the start of a kept-together
    // group, so that the group starts on the next page.
    virtual void RewindPage() = 0;
    // The page-start reset of the objects of a band that asks for one.
    virtual void ResetBand(TppBand *aBand) = 0;
    // aBand leaves the report (freed or moved by a handler, even part way
    // through a run): nothing the engine holds may name it any longer.
    virtual void ForgetBand(TppBand *) {}
    // Likewise a group that leaves the report.
    virtual void ForgetGroup(TppGroup *) {}
    // Lets pending window messages run (Cancel, navigation).
    virtual void ProcessMessages() = 0;
    // Something new went on the page that the bands cannot see (a page of
    // a section), so the page is no repetition of the one before.
    virtual void NoteProgress() {}

    // ---- Where generation stands, for descendants and callers ----
    // The page being generated follows the last one the cache holds: the
    // first time this page is made.
    virtual bool IsLastCachedPlusOne() { return false; }
    // No page yet, or one beyond those the cache holds.
    virtual bool PageNotCached() { return m_pageNo == 0; }
    virtual int GetBandState() const { return 0; }
    virtual TppBand *GetCurrentBand() const { return nullptr; }
    // The report-start step of the page loop; a run already started only
    // applies the no-data start.
    virtual void InitReport() {}
    // Puts the pipelines back where the last restored page began, once.
    virtual void RestorePagePositions() {}
    // The top of the column area on the page.
    int32_t ColumnTop() const { return m_columnTop; }
    void SetColumnTop(int32_t aValue) { m_columnTop = aValue; }

    // Columns across the page, one entry each: flag B, the column's header
    // printed on this page; flag A, its footer. A column without an entry
    // answers False.
    virtual bool GetColumnFlagA(int aColumn) const { return columnFlag(m_columnFlagsA, aColumn); }
    virtual bool GetColumnFlagB(int aColumn) const { return columnFlag(m_columnFlagsB, aColumn); }
    virtual void SetColumnFlagA(int aColumn, bool aValue) { setColumnFlag(m_columnFlagsA, aColumn, aValue); }
    virtual void SetColumnFlagB(int aColumn, bool aValue) { setColumnFlag(m_columnFlagsB, aColumn, aValue); }
    // aColumns entries of 0 in both lists; 0 drops them.
    void CreateColumnFlags(int aColumns);
    void ClearColumnFlags();
    int ColumnFlagCount() const { return int(m_columnFlagsA.size()); }

    // ---- Hooks ----
    TppEngineNotify OnPageComplete;
    TppEngineNotify OnPageEnding;
    TppEnginePageNoEvent OnGetLastCachedPage;
    // At every page end; the report's page limit by default.
    TppEngineNotify OnCheckPageLimit;
    // Whenever the page record has been filled (page start and end); the
    // report passes the page on by default.
    TppEngineNotify OnPageUpdated;
    TppEngineNotify OnRestorePageState;
    TppEngineNotify OnResetCache;
    TppEngineNotify OnSavePageState;

protected:
    TppCustomReport *m_report = nullptr;

private:
    static bool columnFlag(const std::vector<int> &aList, int aColumn)
    {
        return aColumn >= 0 && aColumn < int(aList.size()) && aList[size_t(aColumn)] == 1;
    }
    static void setColumnFlag(std::vector<int> &aList, int aColumn, bool aValue)
    {
        if (aColumn < 0)
            return;
        if (aColumn >= int(aList.size()))
            aList.resize(size_t(aColumn) + 1, 0);
        aList[size_t(aColumn)] = aValue ? 1 : 0;
    }

    std::unique_ptr<TppPage> m_page;
    std::vector<int> m_columnFlagsA;
    std::vector<int> m_columnFlagsB;
    int32_t m_columnTop = 0;
    int m_pageNo = 0;
    int m_pageCount = 0;
    int32_t m_printLeft = 0;
    int32_t m_printTop = 0;
    int32_t m_printWidth = 0;
    int32_t m_printPosition = 0;
    int32_t m_maxPosition = 0;
    int m_columnNo = 0;
    int m_dueBands = 0;
    int m_reportBandCount = 0;
    int m_pageBandCount = 0;
    bool m_bandsPrinted = false;
    bool m_detailPrinted = false;
    bool m_stopped = false;
    int m_engineState = 0;
    uint8_t m_clientByte = 0;
    int m_clientValue = 0;
};

} // namespace report
