#include "report/model/engine/BandEngine.h"

#include "report/model/bands/CustomBand.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/bands/ReportContext.h"
#include "report/model/base/Exceptions.h"
#include "report/model/base/Messages.h"
#include "report/model/engine/CustomEngine.h"
#include "report/model/objects/EventIds.h"

#include "platform/classes/ClassBuilder.h"

#include <algorithm>
#include <array>
#include <limits>

namespace report {

namespace {

// Positions and sizes are added in a wider type and held at the range of
// thousandths, so that an object or offset as large as a stream can hold
// neither wraps around nor fits where it does not.
int32_t bandEngineSum(int64_t aValue)
{
    return int32_t(
        std::clamp<int64_t>(aValue, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

bool bandEngineDynamic(const TppCustomBand &aBand)
{
    return aBand.PrintHeight() == TppPrintHeightType::phDynamic;
}

// Every object of the band, over a snapshot: a handler may free objects,
// or the band (and with it the engine that calls this). This runs several
// times a record, so a band of a few objects keeps its snapshot on the
// stack, and the objects are looked for in the band only once a handler
// changed its list.
template <class Op>
void bandEngineEachObject(TppCustomBand &aBand, Op aOp)
{
    const std::weak_ptr<char> alive = aBand.AliveToken();
    constexpr int inlineCount = 16;
    const int count = aBand.ObjectCount();
    std::array<TppComponent *, inlineCount> inlineObjects;
    std::vector<TppComponent *> heapObjects;
    TppComponent **objects = inlineObjects.data();
    if (count > inlineCount) {
        heapObjects.resize(size_t(count));
        objects = heapObjects.data();
    }
    for (int i = 0; i < count; ++i)
        objects[i] = aBand.Objects(i);
    const uint64_t changes = aBand.ObjectsChanges();
    for (int i = 0; i < count && !alive.expired(); ++i)
        if (aBand.ObjectsChanges() == changes || aBand.IndexOfObject(objects[i]) >= 0)
            aOp(*objects[i]);
}

} // namespace

const classes::TMetaClass &TppBandEngine::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<TppBandEngine, TppCommunicator>("TppBandEngine");
    return meta;
}

const classes::TMetaClass &TppDetailBandEngine::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<TppDetailBandEngine, TppBandEngine>("TppDetailBandEngine");
    return meta;
}

const classes::TMetaClass &TppVerticalBandEngine::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<TppVerticalBandEngine, TppDetailBandEngine>("TppVerticalBandEngine");
    return meta;
}

TppBandEngine::TppBandEngine(classes::TComponent *aOwner)
    : TppCommunicator(aOwner)
{}

TppBandEngine::~TppBandEngine()
{
    BeforeDestruction();
    if (m_band)
        RemoveNotify(m_band);
}

TppCustomEngine *TppBandEngine::PageEngine() const
{
    return m_report ? m_report->Engine() : nullptr;
}

void TppBandEngine::Notify(TppCommunicator *aCommunicator, int aOperation)
{
    TppCommunicator::Notify(aCommunicator, aOperation);
    if (aOperation == ppNotify::Remove && aCommunicator == m_band) {
        m_band = nullptr;
        m_report = nullptr;
    }
}

void TppBandEngine::fire(classes::TNotifyEvent &aEvent)
{
    if (aEvent)
        aEvent(this);
}

// ---- State under the engine's names -------------------------------------------------

int32_t TppBandEngine::AvailableBottom() const
{
    return m_band ? m_band->PageBottom() : 0;
}
int32_t TppBandEngine::StartTop() const
{
    return m_band ? m_band->StartingPosition() : 0;
}
int32_t TppBandEngine::HeightUsed() const
{
    return m_band ? m_band->SpaceUsed() : 0;
}
bool TppBandEngine::PageBreak() const
{
    return m_band && m_band->OutOfSpace();
}
bool TppBandEngine::Done() const
{
    return m_band && m_band->GenerationComplete();
}
bool TppBandEngine::Continuing() const
{
    return m_band && m_band->OverFlow();
}
bool TppBandEngine::Restart() const
{
    return m_band && m_band->PartialGeneration();
}
int32_t TppBandEngine::ContinuationHeight() const
{
    return m_band ? m_band->PartialAdjustment() : 0;
}
int TppBandEngine::CyclesPrinted() const
{
    return m_band ? m_band->Count() : 0;
}
bool TppBandEngine::PrintPositionRetry() const
{
    return m_band && m_band->PrintPositionBreak();
}
int TppBandEngine::ResumeList() const
{
    return m_band ? m_band->CurrentSection() : 0;
}
int TppBandEngine::ResumeIndex() const
{
    return m_band ? m_band->CurrentObjectIndex() : 0;
}
bool TppBandEngine::CycleComplete() const
{
    return m_band && m_band->AllObjectsPrinted();
}

// ---- Set-up -----------------------------------------------------------------------------

void TppBandEngine::SetBand(TppCustomBand *aBand)
{
    if (aBand == m_band)
        return;
    if (m_band)
        RemoveNotify(m_band);
    m_band = aBand;
    m_report = aBand ? aBand->Report() : nullptr;
    if (m_band)
        AddNotify(m_band);
}

void TppBandEngine::InitBand()
{
    m_categories.clear();
    if (!m_band)
        return;
    m_report = m_band->Report();
    // The sections were built before the objects start: an object's start
    // (a subreport's child opening its data) may free objects, the band,
    // and this engine with it.
    const uint64_t prepared = m_band->ObjectsChanges();
    const std::weak_ptr<char> alive = AliveToken();
    bandEngineEachObject(*m_band, [](TppComponent &o) { o.Init(); });
    if (alive.expired() || !m_band)
        return;
    m_prepared.clear();
    for (int i = 0; i < m_band->ObjectCount(); ++i) {
        TppComponent *object = m_band->Objects(i);
        object->SetGenerationIndex(i);
        m_prepared.emplace_back(object, object->AliveToken());
    }
    m_preparedChanges = prepared;
    m_band->SetCurrentSection(0);
    m_band->SetCurrentObjectIndex(0);
    m_band->SetOverFlow(false);
    m_band->SetPartialGeneration(false);
    m_band->SetPartialAdjustment(m_band->mmHeight());
    for (int category = 1; category <= 4; ++category)
        if (!m_band->Section(category).empty())
            m_categories.push_back(category);
}

// ---- Generation -------------------------------------------------------------------------

int TppBandEngine::printCountMode() const
{
    return m_band->PrintCount() != 0 ? 3 : m_band->DefaultPrintCountMode();
}

bool TppBandEngine::stopTest() const
{
    TppCustomEngine *engine = PageEngine();
    if (!engine || Done() || PageBreak() || engine->Stopped() || engine->PageFull())
        return true;
    const int mode = printCountMode();
    const int cycles = CyclesPrinted();
    if (mode == 1 && cycles >= 1)
        return true;
    if (mode == 3 && cycles >= m_band->PrintCount())
        return true;
    // Whatever the count, a band prints only while its kind is due.
    return !engine->IsDue(m_band->GetBandKind());
}

void TppBandEngine::Generate()
{
    TppCustomEngine *engine = PageEngine();
    if (!m_band || !engine)
        return;
    // The band owns this engine: a handler that frees the band (or has it
    // prepare again) frees the engine with it, and every step that calls
    // out ends here when that happened.
    const std::weak_ptr<char> alive = AliveToken();
    TppCustomBand &band = *m_band;
    band.SetGenerating(true);
    band.SetGenerationComplete(false);
    band.SetOutOfSpace(false);
    band.SetCount(0);
    band.SetCycleRun(false);
    band.SetDrawPage(engine->PageWanted());
    try {
        band.StartGeneration();
        if (alive.expired())
            return;
        BeginGenerate();
        if (alive.expired())
            return;
        band.SetSpaceUsed(0);
        while (m_band && !stopTest()) {
            runCycle();
            if (alive.expired())
                return;
        }
        EndGenerate();
        if (alive.expired())
            return;
        if (m_band)
            m_band->EndGeneration();
    } catch (...) {
        if (!alive.expired() && m_band)
            m_band->SetGenerating(false);
        throw;
    }
    if (!alive.expired() && m_band)
        m_band->SetGenerating(false);
}

void TppBandEngine::runCycle()
{
    const std::weak_ptr<char> alive = AliveToken();
    TppCustomBand &band = *m_band;
    TppCustomEngine *engine = PageEngine();
    band.SetCycleRun(true);
    band.SetAllObjectsPrinted(true);
    band.SetMaxStretchable(nullptr);
    m_unfinishedSeen = false;
    m_firstUnfinishedStretches = false;
    m_smallestContinuation = -1;
    m_printList.clear();
    ++m_printCycle;
    m_stalledContinuation = false;
    band.SetSpaceUsed(0);
    if (!Continuing() && !Restart()) {
        takeUpOrphans();
        bandEngineEachObject(band, [](TppComponent &o) { o.InitDrawComponent(); });
        if (alive.expired())
            return;
    }
    StartCycle();
    if (alive.expired() || !m_band)
        return;
    CalcBandArea();
    if (alive.expired())
        return;
    if (band.Visible() && !PageBreak()) {
        if (!Continuing() && !Restart())
            engine->SetReportBandCount(engine->ReportBandCount() + 1);
        engine->SetPageBandCount(engine->PageBandCount() + 1);
        band.SetCount(band.Count() + 1);
        BeforeComponents();
        if (alive.expired())
            return;
        generateComponents();
        if (alive.expired())
            return;
        AfterComponents();
        if (alive.expired())
            return;
        AdvancePosition();
    }
    if (band.Visible() && band.DrawPage()) {
        PrintToPageHook();
        if (alive.expired())
            return;
        printComponents();
        if (alive.expired())
            return;
    }
    band.SetGenerationComplete(band.GenerationComplete() || !band.Visible());
    AfterCycle();
    if (alive.expired())
        return;
    engine->ProcessMessages();
}

void TppBandEngine::takeUpOrphans()
{
    TppCustomBand &band = *m_band;
    if (band.ObjectsChanges() == m_preparedChanges)
        return;
    band.RefreshSections();
    m_preparedChanges = band.ObjectsChanges();
    m_categories.clear();
    for (int category = 1; category <= 4; ++category)
        if (!band.Section(category).empty())
            m_categories.push_back(category);
}

void TppBandEngine::StartCycle()
{
    const std::weak_ptr<char> alive = AliveToken();
    TppCustomEngine *engine = PageEngine();
    if (TraverseBeforeCycle())
        engine->AfterTraversal();
    if (alive.expired() || !m_band)
        return;
    if (m_band->ResetOnPage())
        engine->ResetBand(m_band);
    if (alive.expired() || !m_band)
        return;
    bandEngineEachObject(*m_band, [](TppComponent &o) { o.ResetGeneration(); });
    if (!alive.expired())
        fire(OnBeforePrint);
}

void TppBandEngine::CalcBandArea()
{
    TppCustomEngine *engine = PageEngine();
    TppCustomBand &band = *m_band;
    band.SetPageBottom(bandEngineSum(int64_t(engine->GetPageBottom()) - band.mmBottomOffset()));
    band.SetStartingPosition(engine->PrintTop());
    band.PlaceBand();
    ApplyPrintPosition();
    const bool dynamic = bandEngineDynamic(band);
    const int32_t required = dynamic ? 0 : band.mmHeight();
    if (!PageBreak() && band.Visible() && int64_t(band.StartingPosition()) + required > band.PageBottom())
        band.SetOutOfSpace(true);
    if (!PageBreak()) {
        const int32_t top = band.StartingPosition();
        band.SetPrintRect(rtl::TRect{engine->PrintLeft(), top, engine->PrintRight(),
                                     dynamic ? band.PageBottom() : bandEngineSum(int64_t(top) + band.mmHeight())});
        band.SetCurrentPosition(top);
        band.SetCumulativeCurrentPosition(top);
        m_tallestBottom = 0;
    }
    band.AfterSpaceStep();
}

void TppBandEngine::ApplyPrintPosition()
{
    TppCustomBand &band = *m_band;
    const int32_t position = band.mmPrintPosition();
    if (position == 0)
        return;
    if (position >= band.PageBottom()) {
        const QString message = ppLoadStr(415) + QStringLiteral(".");
        if (!m_report)
            throw EPrintError(message);
        m_report->HandlePrintError(message);
        return;
    }
    const bool fits = bandEngineDynamic(band) || int64_t(position) + band.mmHeight() <= band.PageBottom();
    if (position >= band.StartingPosition() && fits) {
        band.SetStartingPosition(position);
        band.SetPrintPositionBreak(false);
    } else if (!band.PrintPositionBreak()) {
        band.SetOutOfSpace(true);
        band.SetPrintPositionBreak(true);
    } else {
        band.SetPrintPositionBreak(false);
    }
}

void TppBandEngine::BeforeComponents()
{
    fire(OnBeforeGenerate);
}

void TppBandEngine::generateComponents()
{
    const std::weak_ptr<char> alive = AliveToken();
    TppCustomBand &band = *m_band;
    m_stopAtSubreport = band.PrintingSection();
    const bool resuming = Continuing() || Restart();
    m_beyondStatics = false;
    const int lists = int(m_categories.size());
    const int from = std::clamp(band.CurrentSection(), 0, std::max(lists - 1, 0));
    const int fromIndex = band.CurrentObjectIndex();
    // Static objects print again on each page a stretching object continues
    // on.
    if (Continuing() && lists > 0 && m_categories[0] == 1 && !m_stopAtSubreport && from > 0 && !Restart())
        generateList(0, 0);
    if (alive.expired())
        return;
    for (int list = from; list < lists; ++list) {
        generateList(list, list == from ? fromIndex : 0);
        if (alive.expired())
            return;
        if (m_stopAtSubreport || band.GenerationComplete())
            break;
        if (m_categories[size_t(list)] == 2 && band.SpaceUsed() == 0)
            break;
    }
    m_stalledContinuation = resuming && !m_beyondStatics && !band.AllObjectsPrinted();
    const bool continuing = m_unfinishedSeen && m_firstUnfinishedStretches && !m_printList.empty();
    const bool restart = !band.AllObjectsPrinted() && !continuing;
    band.SetOverFlow(continuing);
    band.SetPartialGeneration(restart);
    if (continuing)
        band.SetPartialAdjustment(m_smallestContinuation);
    else if (restart)
        band.SetPartialAdjustment(m_printList.empty() ? 0 : m_smallestContinuation);
    else
        band.SetPartialAdjustment(band.mmHeight());
    if (band.AllObjectsPrinted()) {
        band.SetCurrentSection(0);
        band.SetCurrentObjectIndex(0);
    }
    if (restart || continuing)
        band.SetOutOfSpace(true);
}

void TppBandEngine::generateList(int aList, int aFrom)
{
    const std::weak_ptr<char> self = AliveToken();
    TppCustomBand &band = *m_band;
    const std::vector<TppComponent *> objects = band.Section(m_categories[size_t(aList)]);
    const bool dynamic = bandEngineDynamic(band);
    const int32_t top = band.PrintRect().Top;
    const int32_t before = band.CumulativeCurrentPosition();
    for (int i = std::max(aFrom, 0); i < int(objects.size()) && !band.GenerationComplete(); ++i) {
        TppComponent *object = objects[size_t(i)];
        // The list is the one the band was prepared with: an object a
        // handler took out of the band since has no turn.
        if (band.ObjectsChanges() != m_preparedChanges && band.IndexOfObject(object) < 0)
            continue;
        const std::weak_ptr<char> alive = object->AliveToken();
        object->Generate();
        // A handler freed the band, and this engine with it.
        if (self.expired())
            return;
        // A handler freed it while it generated: it has nothing to print.
        if (alive.expired())
            continue;
        if (object->SpaceUsed() > 0) {
            listForPrint(object);
            m_beyondStatics = m_beyondStatics || m_categories[size_t(aList)] != 1;
        }
        if (!object->GenerationComplete()) {
            if (!m_unfinishedSeen) {
                m_unfinishedSeen = true;
                m_firstUnfinishedStretches = object->StretchesBand();
                band.SetCurrentSection(aList);
                band.SetCurrentObjectIndex(i);
            }
            band.SetAllObjectsPrinted(false);
            m_smallestContinuation = std::min(m_smallestContinuation < 0 ? band.mmHeight() : m_smallestContinuation,
                                              object->ContinuationPosition());
        }
        if (m_stopAtSubreport) {
            subReportStop(objects, i, object);
            continue;
        }
        if (dynamic && object->SpaceUsed() > 0) {
            const int32_t bottom = object->BottomOnPage(top);
            if (bottom > band.CumulativeCurrentPosition())
                band.SetCumulativeCurrentPosition(bottom);
            if (object->StretchesBand() && bottom > m_tallestBottom) {
                m_tallestBottom = bottom;
                band.SetMaxStretchable(object);
            }
        }
    }
    if (band.CumulativeCurrentPosition() != before) {
        band.SetCurrentPosition(band.CumulativeCurrentPosition());
        band.SetSpaceUsed(bandEngineSum(int64_t(band.CurrentPosition()) - top));
    }
}

void TppBandEngine::listForPrint(TppComponent *aObject)
{
    const int key = aObject->GenerationIndex();
    // The index is the object's place when this band was prepared. An
    // object a handler moved in from another band brings that band's index,
    // another object's place here: it is found again by the object.
    const bool prepared = key >= 0 && size_t(key) < m_prepared.size() && m_prepared[size_t(key)].first == aObject &&
                          !m_prepared[size_t(key)].second.expired();
    if (!prepared) {
        // Not prepared with the band: it prints after those that were.
        if (std::none_of(m_printList.begin(), m_printList.end(),
                         [aObject](const PrintEntry &aEntry) { return aEntry.second == aObject; }))
            m_printList.emplace_back(std::numeric_limits<int>::max(), aObject);
        return;
    }
    if (size_t(key) >= m_printPlaces.size())
        m_printPlaces.resize(size_t(key) + 1);
    std::pair<uint64_t, size_t> &place = m_printPlaces[size_t(key)];
    if (place.first == m_printCycle)
        return;
    place = {m_printCycle, m_printList.size()};
    m_printList.emplace_back(key, aObject);
}

void TppBandEngine::subReportStop(const std::vector<TppComponent *> &aObjects, int aIndex, TppComponent *aComponent)
{
    TppCustomBand &band = *m_band;
    if (!aComponent->GenerationComplete()) {
        band.SetGenerationComplete(true);
        return;
    }
    TppComponent *next = aIndex + 1 < int(aObjects.size()) ? aObjects[size_t(aIndex) + 1] : nullptr;
    // The next one may have been freed by a handler since the band was
    // prepared.
    const bool nextIsSection = next && (band.ObjectsChanges() == m_preparedChanges || band.IndexOfObject(next) >= 0) &&
                               next->IsSectionSubReport();
    if (nextIsSection) {
        if (aComponent->Visible())
            band.SetSpaceUsed(aComponent->mmHeight());
        return;
    }
    // The section's page is done: the band takes the rest of the page.
    band.SetCurrentPosition(band.PageBottom());
    band.SetCumulativeCurrentPosition(band.PageBottom());
    band.SetSpaceUsed(bandEngineSum(int64_t(band.PageBottom()) - band.PrintRect().Top));
    band.SetPrintingSection(false);
    m_stopAtSubreport = false;
}

void TppBandEngine::AfterComponents()
{
    fire(OnAfterGenerate);
}

void TppBandEngine::AdvancePosition()
{
    TppCustomEngine *engine = PageEngine();
    TppCustomBand &band = *m_band;
    const int32_t used =
        bandEngineSum(int64_t(bandEngineDynamic(band) ? band.SpaceUsed() : band.mmHeight()) + band.mmBottomOffset());
    const int32_t bottom = bandEngineSum(int64_t(band.StartingPosition()) + used);
    engine->SetPrintArea(engine->PrintLeft(), bottom, engine->PrintWidth(), bottom);
    engine->SetMaxPosition(bandEngineSum(int64_t(engine->MaxPosition()) + used));
    band.SetSpaceUsed(used);
}

void TppBandEngine::printComponents()
{
    const std::weak_ptr<char> alive = AliveToken();
    TppCustomEngine *engine = PageEngine();
    // In the order the band's objects had when it was prepared, back to
    // front. A copy: printing runs handlers, which may start another cycle
    // of this band.
    std::vector<PrintEntry> list;
    list.swap(m_printing);
    list.assign(m_printList.begin(), m_printList.end());
    std::stable_sort(list.begin(), list.end(),
                     [](const PrintEntry &aLeft, const PrintEntry &aRight) { return aLeft.first < aRight.first; });
    for (const PrintEntry &entry : list) {
        TppComponent *object = entry.second;
        if (!m_band || (m_band->ObjectsChanges() != m_preparedChanges && m_band->IndexOfObject(object) < 0))
            continue;
        object->PrintToPage(engine->Page());
        // The commands' handlers may free the band, and this engine.
        if (alive.expired())
            return;
    }
    list.swap(m_printing);
}

void TppBandEngine::AfterCycle()
{
    const std::weak_ptr<char> alive = AliveToken();
    bandEngineEachObject(*m_band, [](TppComponent &o) { o.ClearDrawComponent(); });
    if (!alive.expired() && !(PageBreak() && !Continuing()))
        fire(OnAfterPrint);
}

// ---- Detail band engine ------------------------------------------------------------------

TppDetailBandEngine::TppDetailBandEngine(classes::TComponent *aOwner)
    : TppBandEngine(aOwner)
{}

void TppDetailBandEngine::SetBand(TppCustomBand *aBand)
{
    auto *detail = dynamic_cast<TppDetailBand *>(aBand);
    if (aBand && !detail)
        throw EBrevantorError(QStringLiteral("TppDetailBandEngine.SetBand: Band must be a TppDetailBand."));
    m_detailBand = detail;
    TppBandEngine::SetBand(aBand);
}

void TppDetailBandEngine::InitBand()
{
    const std::weak_ptr<char> alive = AliveToken();
    TppBandEngine::InitBand();
    if (!alive.expired())
        m_recordsInBand = 1;
}

void TppDetailBandEngine::ApplyPrintPosition()
{
    TppCustomEngine *engine = PageEngine();
    if (engine && !engine->DetailPrinted())
        TppBandEngine::ApplyPrintPosition();
}

void TppDetailBandEngine::StartCycle()
{
    const std::weak_ptr<char> alive = AliveToken();
    bandEngineEachObject(*m_band, [](TppComponent &o) { o.ResetGeneration(); });
    if (alive.expired())
        return;
    fire(OnBeforePrint);
    // A band that does not show still takes its record.
    if (!alive.expired() && m_band && !m_band->Visible())
        PageEngine()->AfterTraversal();
}

void TppDetailBandEngine::BeforeComponents()
{
    const std::weak_ptr<char> alive = AliveToken();
    PageEngine()->AfterTraversal();
    if (!alive.expired())
        TppBandEngine::BeforeComponents();
}

void TppDetailBandEngine::AfterComponents()
{
    TppCustomEngine *engine = PageEngine();
    if (!Continuing() && engine->DataExhausted())
        m_band->SetGenerationComplete(true);
    if (m_stopAtSubreport && !(engine->EngineState() & ppEngineState::SectionLastPage))
        m_band->SetOutOfSpace(true);
    engine->SetDetailPrinted(true);
    if (!engine->GetBandsPrinted())
        engine->SetBandsPrinted(true);
    TppBandEngine::AfterComponents();
}

void TppDetailBandEngine::AfterCycle()
{
    const std::weak_ptr<char> alive = AliveToken();
    TppBandEngine::AfterCycle();
    if (alive.expired() || !m_band || !m_detailBand)
        return;
    TppCustomEngine *engine = PageEngine();
    if (!Continuing() && !PageBreak()) {
        if (m_recordsInBand >= m_detailBand->BandsPerRecord()) {
            // The groups' break values are read here, whose handlers may
            // free this band.
            engine->Traverse();
            if (alive.expired() || !m_band)
                return;
            m_recordsInBand = 1;
        } else {
            ++m_recordsInBand;
        }
        if (engine->DataExhausted() || engine->IsDue(ppBandKind::GroupFooter))
            m_band->SetGenerationComplete(true);
    }
    if (Done() || Continuing())
        return;
    if (m_report && m_report->AutoStop() && CyclesPrinted() == 1) {
        m_band->SetGenerationComplete(true);
        engine->EndData();
    } else if (printCountMode() == 3 && CyclesPrinted() >= m_band->PrintCount()) {
        m_band->SetOutOfSpace(true);
    }
}

void TppVerticalBandEngine::AdvancePosition()
{
    TppBandEngine::AdvancePosition();
}

} // namespace report
