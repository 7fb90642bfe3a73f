#pragma once

// Band engines: the one place where a band is generated into the page the
// page engine builds. A cycle prints one instance of the band: the band's
// area is worked out, every object generates in print-section order, the
// objects that used space go on the page and the print area moves down. A
// band repeats its cycle while it is due and fits; what does not fit
// continues (a stretching object) or starts again (anything else) on the
// next page.
//
// The state of a generation is the band's own (TppCustomBand); the names
// below are the engine's for it: Continuing is the band's OverFlow, Restart
// its PartialGeneration, ContinuationHeight its PartialAdjustment, PageBreak
// its OutOfSpace, CyclesPrinted its Count, Done its GenerationComplete.
//
// TppDetailBandEngine adds the record count (BandsPerRecord), the traversal
// of the data between records and the end of the data; TppVerticalBandEngine
// stacks the band's instances down the page.

#include "report/model/objects/Communicator.h"

#include "platform/classes/PropInfo.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace report {

class TppComponent;
class TppCustomBand;
class TppCustomEngine;
class TppDetailBand;
class IppReportContext;

class TppBandEngine : public TppCommunicator
{
    ZVO_CLASS(TppBandEngine)
public:
    explicit TppBandEngine(classes::TComponent *aOwner = nullptr);
    ~TppBandEngine() override;

    TppCustomBand *Band() const { return m_band; }
    IppReportContext *Report() const { return m_report; }
    // The report's engine, nullptr without one.
    TppCustomEngine *PageEngine() const;

    // ---- Operations, in the order descendants may replace them ----
    virtual void ApplyPrintPosition();
    virtual void EndGenerate() {}
    virtual void AfterCycle();
    virtual void AfterComponents();
    virtual void BeginGenerate() {}
    virtual void BeforeComponents();
    virtual void StartCycle();
    virtual void CalcBandArea();
    virtual bool TraverseBeforeCycle() const { return false; }
    virtual void PrintToPageHook() {}
    virtual void AdvancePosition();
    virtual void SetBand(TppCustomBand *aBand);
    // Prints the band as often as it is due and fits.
    virtual void Generate();
    virtual void InitBand();
    virtual void FinishPage() {}

    // ---- State, in the engine's terms ----
    int32_t AvailableBottom() const;
    int32_t StartTop() const;
    int32_t HeightUsed() const;
    bool PageBreak() const;
    bool Done() const;
    bool Continuing() const;
    bool Restart() const;
    int32_t ContinuationHeight() const;
    int CyclesPrinted() const;
    bool PrintPositionRetry() const;
    int ResumeList() const;
    int ResumeIndex() const;
    bool CycleComplete() const;
    bool FirstUnfinishedStretches() const { return m_firstUnfinishedStretches; }
    // The last cycle continued the band from the page before and printed
    // nothing but its static objects again: it did not get any further.
    bool StalledContinuation() const { return m_stalledContinuation; }
    // The objects that used space in the current cycle with their
    // generation index, in the order they generated; an object comes once.
    using PrintEntry = std::pair<int, TppComponent *>;
    const std::vector<PrintEntry> &PrintList() const { return m_printList; }
    // The category numbers of the sections that have objects, in order.
    const std::vector<int> &Categories() const { return m_categories; }

    classes::TNotifyEvent OnAfterGenerate;
    classes::TNotifyEvent OnAfterPrint;
    classes::TNotifyEvent OnBeforeGenerate;
    classes::TNotifyEvent OnBeforePrint;

    void Notify(TppCommunicator *aCommunicator, int aOperation) override;

protected:
    // The mode of repeating: 1 once, 2 while due, 3 PrintCount times.
    int printCountMode() const;
    bool stopTest() const;
    void runCycle();
    // Before a record's cycle, after handlers changed the band's objects.
    void takeUpOrphans();
    void generateComponents();
    void generateList(int aList, int aFrom);
    // Puts an object that used space on the print list once a cycle.
    void listForPrint(TppComponent *aObject);
    void subReportStop(const std::vector<TppComponent *> &aObjects, int aIndex, TppComponent *aComponent);
    void printComponents();
    void fire(classes::TNotifyEvent &aEvent);

    TppCustomBand *m_band = nullptr;
    IppReportContext *m_report = nullptr;
    std::vector<PrintEntry> m_printList;
    // The band's objects as it was prepared, at their generation indexes.
    std::vector<std::pair<const TppComponent *, std::weak_ptr<char>>> m_prepared;
    // By an object's generation index: the cycle in which it went on the
    // print list and where it stands there. An object that generates again
    // in the cycle keeps its entry; looked for in the list, that took n * n
    // steps a cycle in a band of many fields.
    std::vector<std::pair<uint64_t, size_t>> m_printPlaces;
    uint64_t m_printCycle = 1;
    // The band's count of changes to its objects when it was prepared:
    // while it holds, every object of the print sections is still there.
    uint64_t m_preparedChanges = 0;
    // The print list sorted back to front while it prints; kept to reuse
    // its room from cycle to cycle.
    std::vector<PrintEntry> m_printing;
    std::vector<int> m_categories;
    int32_t m_bandBottom = 0;
    int32_t m_tallestBottom = 0;
    int32_t m_smallestContinuation = -1;
    bool m_firstUnfinishedStretches = false;
    bool m_unfinishedSeen = false;
    bool m_stopAtSubreport = false;
    bool m_stalledContinuation = false;
    bool m_beyondStatics = false;
};

class TppDetailBandEngine : public TppBandEngine
{
    ZVO_CLASS(TppDetailBandEngine)
public:
    explicit TppDetailBandEngine(classes::TComponent *aOwner = nullptr);

    TppDetailBand *DetailBand() const { return m_detailBand; }
    int RecordsInBand() const { return m_recordsInBand; }
    void SetRecordsInBand(int aValue) { m_recordsInBand = aValue; }

    // EBrevantorError for anything but a detail band.
    void SetBand(TppCustomBand *aBand) override;
    void InitBand() override;
    void ApplyPrintPosition() override;
    void StartCycle() override;
    void BeforeComponents() override;
    void AfterCycle() override;
    bool TraverseBeforeCycle() const override { return true; }
    void AfterComponents() override;

private:
    TppDetailBand *m_detailBand = nullptr;
    int m_recordsInBand = 1;
};

class TppVerticalBandEngine : public TppDetailBandEngine
{
    ZVO_CLASS(TppVerticalBandEngine)
public:
    explicit TppVerticalBandEngine(classes::TComponent *aOwner = nullptr)
        : TppDetailBandEngine(aOwner)
    {}
    void AdvancePosition() override;
};

} // namespace report
