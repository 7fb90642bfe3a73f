#include "report/model/subreports/SubReport.h"

#include "report/model/bands/Band.h"
#include "report/model/bands/CustomBand.h"
#include "report/model/bands/PublishedGeometry.h"
#include "report/model/base/Exceptions.h"
#include "report/model/base/Messages.h"
#include "report/model/data/DataPipeline.h"
#include "report/model/data/PipelineList.h"
#include "report/model/engine/ChildPageRequest.h"
#include "report/model/engine/Engine.h"
#include "report/model/groups/Group.h"
#include "report/model/groups/GroupBands.h"
#include "report/model/objects/EventIds.h"
#include "report/model/outline/OutlineSettings.h"
#include "report/model/pages/Device.h"
#include "report/model/pages/DeviceRegistry.h"
#include "report/model/pages/DrawCommand.h"
#include "report/model/pages/Page.h"
#include "report/model/pages/Publisher.h"
#include "report/model/printing/PageDef.h"
#include "report/model/printing/Printer.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/model/production/PrinterOutput.h"
#include "report/model/reports/Report.h"

#include "platform/classes/ClassBuilder.h"

#include <algorithm>
#include <limits>

namespace report {

namespace {

// The subreport's part of a page's record, after the stretchable's.
struct SubReportCacheRecord
{
    uint8_t sectionStarted = 0;
    uint8_t childStarted = 0;
    uint8_t childDone = 0;
    uint8_t childFinished = 0;
    int32_t runsCompleted = 0;
    int32_t childAbsolutePage = -1;
    int32_t childPageNo = 1;
    int32_t childPageCount = 0;
};

int32_t subReportClamp(int64_t aValue)
{
    return int32_t(
        std::clamp<int64_t>(aValue, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

} // namespace

const classes::TMetaClass &TppSubReport::StaticClass()
{
    using S = TppSubReport;
    static const classes::TMetaClass meta = classes::MakeClass<S, TppStretchable>("TppSubReport", [](auto &c) {
        c.Reference("DrillDownComponent", &S::DrillDownComponent, &S::SetDrillDownComponent);
        c.Boolean("ExpandAll", &S::ExpandAll, &S::SetExpandAll).Default(false);
        c.Boolean("NewPrintJob", &S::NewPrintJob, &S::SetNewPrintJob).Default(false);
        c.Object("OutlineSettings", &S::OutlineSettings, &S::SetOutlineSettings);
        c.Boolean("ParentPrinterSetup", &S::ParentPrinterSetup, &S::SetParentPrinterSetup).Default(true);
        c.Boolean("ParentWidth", &S::ParentWidth, &S::SetParentWidth).Default(true);
        c.Enum("PrintBehavior", EnumInfo<TppPrintBehaviorType>(), &S::PrintBehavior, &S::SetPrintBehavior)
            .Default(int(TppPrintBehaviorType::pbChild));
        c.Boolean("ResetPageNo", &S::ResetPageNo, &S::SetResetPageNo).Default(true);
        // A subreport stretches unless told not to: that is what a save keeps.
        c.Boolean("Stretch", &S::Stretch, &S::SetStretch).Default(true);
        c.Boolean("TraverseAllData", &S::TraverseAllData, &S::SetTraverseAllData).Default(false);
        c.Boolean("Visible", &S::Visible, &S::SetVisible).Default(true);
        ppPublishBounds(c);
        ppPublishShiftRelativeTo(c);
        // The child report stores its pipeline; a stream that names it here
        // is still read.
        ppPublishDataPipeline(c);
    });
    return meta;
}

TppSubReport::TppSubReport(classes::TComponent *aOwner)
    : TppStretchable(aOwner)
    , m_outlineSettings(std::make_unique<TppOutlineSettings>(this))
{
    SetCacheRecordSize(int32_t(sizeof(CacheRecordWith<SubReportCacheRecord>)));
    SetDefaultProp(QStringLiteral("DataPipeline"), 3);
    SetStretch(true);
    TppComponent::SetParentWidth(true);
    SubscribeEvent(ppEvent::EngineEvent);
}

TppSubReport::~TppSubReport()
{
    BeforeDestruction();
    m_expansions.clear();
    if (m_drillDownComponent) {
        releaseDrillDownEvents(m_drillDownComponent);
        RemoveNotify(m_drillDownComponent);
        m_drillDownComponent = nullptr;
    }
    endSectionJob();
    // The child leaves the subreport as it goes.
    delete m_report;
    m_report = nullptr;
}

bool TppSubReport::loadingNow() const
{
    return loadingOrReading();
}

// ---- The child report -------------------------------------------------------------------------

TppCustomReport *TppSubReport::ParentReport() const
{
    TppBand *band = Band();
    IppReportContext *context = band ? band->Report() : nullptr;
    return context ? dynamic_cast<TppCustomReport *>(context->ReportObject()) : nullptr;
}

void TppSubReport::CreateReport()
{
    TppCustomReport *parent = ParentReport();
    if (m_report || !parent)
        return;
    TppCustomReport *main = parent->GetMainReport();
    if (!main)
        main = parent;
    auto *child = dynamic_cast<TppChildReport *>(ppCreateComponent(TppChildReport::StaticClass(), main));
    if (!child)
        return;
    child->SetParent(this);
    if (main->PrinterSetup() && child->PrinterSetup())
        child->PrinterSetup()->Assign(main->PrinterSetup());
    child->SetDesigner(main->Designer());
    child->SetUnits(Units());
    child->SetDataPipeline(DataPipeline());
}

void TppSubReport::SetReport(TppChildReport *aReport)
{
    if (aReport == m_report)
        return;
    TppChildReport *old = m_report;
    m_report = aReport;
    // A child that goes on without this subreport must not ask it for its
    // pages.
    if (auto *engine = old ? dynamic_cast<TppEngine *>(old->Engine()) : nullptr)
        engine->OnGetLastCachedPage.Clear();
    if (old && old->Parent() == this)
        old->SetParent(nullptr);
    if (m_report && m_report->Parent() != this)
        m_report->SetParent(this);
    if (m_report)
        m_report->SetPrintingAsSubReport(true);
}

void TppSubReport::GetChildren(const classes::TGetChildProc &aProc, classes::TComponent *)
{
    if (m_report)
        aProc(m_report);
}

void TppSubReport::GetDataPipelines(std::vector<TppDataPipeline *> &aList) const
{
    TppStretchable::GetDataPipelines(aList);
    if (m_report)
        m_report->GetDataPipelines(aList);
}

TppEngine *TppSubReport::childEngine() const
{
    return m_report ? dynamic_cast<TppEngine *>(m_report->Engine()) : nullptr;
}

void TppSubReport::SetBand(TppBand *aBand)
{
    TppStretchable::SetBand(aBand);
    if (!aBand)
        return;
    if (!m_report) {
        if (!loadingNow())
            CreateReport();
        return;
    }
    // Moved to another report: the child follows.
    if (TppCustomReport *parent = ParentReport()) {
        TppCustomReport *main = parent->GetMainReport() ? parent->GetMainReport() : parent;
        if (m_report->Owner() != main->Owner() && main->Owner())
            m_report->ChangeOwner(main->Owner());
        m_report->SetLanguage(parent->Language());
    }
}

void TppSubReport::ChangeOwner(classes::TComponent *aNewOwner)
{
    TppStretchable::ChangeOwner(aNewOwner);
    // Left behind in the old form (a layout put aside while a template
    // loads), it would keep its name taken there: the child read would be
    // renamed, and the next load would find the form changed.
    if (m_report && m_report->Owner() != aNewOwner)
        m_report->ChangeOwner(aNewOwner);
}

void TppSubReport::SetDataPipeline(TppDataPipeline *aPipeline)
{
    TppStretchable::SetDataPipeline(aPipeline);
    if (m_report && m_report->DataPipeline() != aPipeline)
        m_report->SetDataPipeline(aPipeline);
}

void TppSubReport::ResolveDataPipeline(const TppDataPipelineList &aList)
{
    TppStretchable::ResolveDataPipeline(aList);
    if (!DataPipeline() && !DataPipelineName().isEmpty() && !(m_report && m_report->DataPipeline()))
        if (TppDataPipeline *pipeline = aList.GetPipelineByName(DataPipelineName()))
            SetDataPipeline(pipeline);
}

void TppSubReport::Loaded()
{
    TppStretchable::Loaded();
    if (m_drillDownComponent && m_drillDownComponent->Band() != Band())
        SetDrillDownComponent(nullptr);
    else if (m_drillDownComponent && !m_expandAll)
        takeDrillDownEvents(m_drillDownComponent);
}

QString TppSubReport::GetCaption()
{
    const TppDataPipeline *pipeline = m_report ? m_report->DataPipeline() : DataPipeline();
    const QString source = pipeline ? pipeline->UserName() : QStringLiteral("No Data Pipeline Assigned");
    return source + QStringLiteral(": ") + UserName();
}

// ---- Property rules ---------------------------------------------------------------------------

void TppSubReport::SetPrintBehavior(TppPrintBehaviorType aValue)
{
    if (loadingNow()) {
        m_printBehavior = aValue;
        return;
    }
    if (aValue == TppPrintBehaviorType::pbSection && Region())
        return;
    m_printBehavior = aValue;
    switch (aValue) {
    case TppPrintBehaviorType::pbChild: SetStretch(true); break;
    case TppPrintBehaviorType::pbFixed:
        SetStretch(false);
        SetKeepTogether(false);
        SetmmStopPosition(0);
        break;
    case TppPrintBehaviorType::pbSection:
        SetStretch(false);
        SetDrillDownComponent(nullptr);
        SetShiftRelativeTo(nullptr);
        TppComponent::SetParentWidth(true);
        break;
    }
    if (aValue != TppPrintBehaviorType::pbSection) {
        m_newPrintJob = false;
        m_resetPageNo = false;
    }
    InvalidateDesignControl();
    PropertyChange();
}

void TppSubReport::SetNewPrintJob(bool aValue)
{
    m_newPrintJob = aValue;
    if (aValue && !loadingNow() && m_printBehavior != TppPrintBehaviorType::pbSection) {
        SetPrintBehavior(TppPrintBehaviorType::pbSection);
        // Refused (inside a region): a job of its own is for sections only.
        m_newPrintJob = m_printBehavior == TppPrintBehaviorType::pbSection;
    }
}

void TppSubReport::SetResetPageNo(bool aValue)
{
    if (loadingNow() || m_printBehavior == TppPrintBehaviorType::pbSection)
        m_resetPageNo = aValue;
}

void TppSubReport::SetParentPrinterSetup(bool aValue)
{
    m_parentPrinterSetup = aValue;
    if (!aValue || loadingNow() || !m_report)
        return;
    if (TppCustomReport *parent = ParentReport(); parent && parent->PrinterSetup() && m_report->PrinterSetup())
        m_report->PrinterSetup()->Assign(parent->PrinterSetup());
}

void TppSubReport::SetParentWidth(bool aValue)
{
    if (!aValue && m_printBehavior == TppPrintBehaviorType::pbSection && !loadingNow())
        return;
    TppStretchable::SetParentWidth(aValue);
}

void TppSubReport::SetShiftRelativeTo(TppStretchable *aTarget)
{
    if (aTarget && m_printBehavior == TppPrintBehaviorType::pbSection && !loadingNow())
        return;
    TppStretchable::SetShiftRelativeTo(aTarget);
}

void TppSubReport::SetRegion(TppComponent *aRegion)
{
    TppStretchable::SetRegion(aRegion);
    if (Region() && m_printBehavior == TppPrintBehaviorType::pbSection && !loadingNow())
        SetPrintBehavior(TppPrintBehaviorType::pbFixed);
}

TppComponent *TppSubReport::DrillDownComponent() const
{
    return m_drillDownComponent;
}

void TppSubReport::SetDrillDownComponent(TppComponent *aComponent)
{
    if (aComponent == m_drillDownComponent)
        return;
    if (aComponent && (aComponent == this || (!loadingNow() && m_printBehavior != TppPrintBehaviorType::pbChild)))
        return;
    if (TppComponent *old = m_drillDownComponent) {
        releaseDrillDownEvents(old);
        RemoveNotify(old);
    }
    m_drillDownComponent = aComponent;
    m_expansions.clear();
    if (!aComponent)
        return;
    AddNotify(aComponent);
    // A component opens one subreport only.
    if (TppBand *band = Band(); band && !loadingNow()) {
        std::vector<TppComponent *> subreports;
        band->GetSubReports(subreports);
        for (TppComponent *other : subreports)
            if (auto *sub = dynamic_cast<TppSubReport *>(other);
                sub && sub != this && sub->m_drillDownComponent == aComponent)
                sub->SetDrillDownComponent(nullptr);
    }
    if (!m_expandAll && !loadingNow())
        takeDrillDownEvents(aComponent);
}

void TppSubReport::SetExpandAll(bool aValue)
{
    m_expandAll = aValue;
    m_expansions.clear();
    if (!m_drillDownComponent || loadingNow())
        return;
    if (aValue)
        releaseDrillDownEvents(m_drillDownComponent);
    else
        takeDrillDownEvents(m_drillDownComponent);
}

// ---- Drill-down --------------------------------------------------------------------------------

QString TppSubReport::CurrentExpansionKey() const
{
    QString key;
    if (TppCustomReport *parent = ParentReport())
        parent->GetTreeKey(key);
    return key + QString::asprintf("%8d", m_runsCompleted);
}

QString TppSubReport::CurrentReportKey() const
{
    QString key;
    if (m_report)
        m_report->GetTreeKey(key);
    return key;
}

bool TppSubReport::DrillDownExpanded() const
{
    return m_expandAll || m_expansions.contains(CurrentExpansionKey());
}

void TppSubReport::takeDrillDownEvents(TppComponent *aComponent)
{
    const std::weak_ptr<char> alive = AliveToken();
    aComponent->OnDrawCommandCreate.Set([this, alive](classes::TObject *, classes::TObject *aDrawCommand) {
        auto *command = dynamic_cast<TppDrawCommand *>(aDrawCommand);
        if (alive.expired() || !command)
            return;
        command->SetCommandText(CurrentExpansionKey());
        command->SetClickable(true);
    });
    aComponent->OnDrawCommandClick.Set([this, alive](classes::TObject *, classes::TObject *aDrawCommand) {
        auto *command = dynamic_cast<TppDrawCommand *>(aDrawCommand);
        if (!alive.expired() && command)
            ToggleExpansion(command->CommandText(), command->Page() ? command->Page()->AbsolutePageNo() : 1);
    });
}

void TppSubReport::releaseDrillDownEvents(TppComponent *aComponent)
{
    aComponent->OnDrawCommandCreate.Clear();
    aComponent->OnDrawCommandClick.Clear();
}

void TppSubReport::ToggleExpansion(const QString &aKey, int aPageNo)
{
    if (m_expansions.contains(aKey))
        m_expansions.removeAll(aKey);
    else
        m_expansions.append(aKey);
    TppCustomReport *parent = ParentReport();
    TppCustomReport *main = parent ? parent->GetMainReport() : nullptr;
    auto *report = dynamic_cast<TppReport *>(main);
    if (!report)
        return;
    // A one-pass report is made again from the page of the click; two
    // passes must count the pages again from the start.
    if (report->PassSetting() == TppPassSettingType::psTwoPass) {
        report->Reset();
        if (auto *engine = dynamic_cast<TppEngine *>(report->Engine()))
            engine->Reset();
    } else {
        report->ResetFromPage(std::max(aPageNo, 1));
        if (report->Publisher())
            report->Publisher()->ResetPages();
    }
}

// ---- Generation --------------------------------------------------------------------------------

void TppSubReport::Init()
{
    TppStretchable::Init();
    m_childPageNo = 1;
    m_childPageCount = 0;
    m_childPageCountKnown = false;
    m_childAbsolutePage = -1;
    m_childStarted = false;
    m_childDone = false;
    m_closedRun = false;
    m_childFinished = false;
    m_sectionStarted = false;
    m_childPagePending = false;
    m_runsCompleted = 0;
    m_allSections = false;
    if (m_printBehavior == TppPrintBehaviorType::pbSection) {
        m_allSections = true;
        if (TppBand *band = Band())
            for (int i = 0; i < band->ObjectCount() && m_allSections; ++i)
                m_allSections = band->Objects(i)->IsSectionSubReport();
    }
    if (!m_report)
        return;
    // One pass: the parent's run decides how often the child runs.
    if (m_report->PassSetting() == TppPassSettingType::psTwoPass)
        m_report->SetPassSetting(TppPassSettingType::psOnePass);
    TppCustomReport *parent = ParentReport();
    if (m_parentPrinterSetup && parent && parent->PrinterSetup() && m_report->PrinterSetup())
        m_report->PrinterSetup()->Assign(parent->PrinterSetup());
    if (TppEngine *engine = childEngine()) {
        engine->OnGetLastCachedPage.Set([this](classes::TObject *, int &aPageNo) { aPageNo = m_childPageNo - 1; });
        engine->SetGenerating(false);
        engine->Reset();
        // The child's run starts with the parent's: its bands are sorted
        // and its pipelines open before the first record asks for a page.
        engine->InitReport();
    }
}

void TppSubReport::ResetGeneration()
{
    TppStretchable::ResetGeneration();
    // A closed drill-down prints nothing, so its run is counted when the
    // band starts on the next record: else that record's key would name
    // this instance and a click there would open this one.
    if (m_closedRun) {
        m_closedRun = false;
        m_childDone = false;
        ++m_runsCompleted;
    }
}

void TppSubReport::fitChildPage(int32_t aWidth, int32_t aHeight)
{
    TppPrinterSetup *setup = m_report->PrinterSetup();
    if (!setup)
        return;
    // Straight into the page definition: a change through the setup would
    // reset the run.
    TppPageDef *def = setup->PageDef();
    def->SetmmWidth(std::max(aWidth, 0));
    def->SetmmHeight(std::max(aHeight, 0));
    def->SetmmMarginLeft(0);
    def->SetmmMarginRight(0);
    def->SetmmMarginTop(0);
    def->SetmmMarginBottom(0);
}

void TppSubReport::startChild()
{
    m_childStarted = true;
    m_childDone = false;
    m_childFinished = false;
    m_childPageNo = 1;
    m_childPageCount = 1;
    m_childPageCountKnown = false;
    m_childAbsolutePage = -1;
    if (TppEngine *engine = childEngine()) {
        engine->SetGenerating(false);
        engine->Reset();
    }
}

bool TppSubReport::generateChildPage()
{
    TppEngine *engine = childEngine();
    if (!engine)
        return false;
    TppCustomReport *parent = ParentReport();
    auto *main = dynamic_cast<TppReport *>(parent ? parent->GetMainReport() : nullptr);
    TppCustomReport *previous = main ? main->GeneratingChildReport() : nullptr;
    if (main)
        main->SetGeneratingChildReport(m_report);
    // The child's handlers may free this subreport, and the child with it,
    // or the main report with both: the callers ask the token again when
    // this answers false.
    const std::weak_ptr<char> alive = AliveToken();
    const std::weak_ptr<char> childAlive = engine->AliveToken();
    const std::weak_ptr<char> mainAlive = main ? main->AliveToken() : std::weak_ptr<char>();
    try {
        ppRequestChildPage(*engine, m_childPageNo);
    } catch (...) {
        if (!mainAlive.expired())
            main->SetGeneratingChildReport(previous);
        throw;
    }
    if (!mainAlive.expired())
        main->SetGeneratingChildReport(previous);
    // A child report freed on the way has no page to give.
    if (alive.expired() || childAlive.expired())
        return false;
    if (!engine->Stopped())
        return true;
    // A child that cannot go on (it was cancelled, or a band of it never
    // fits the rectangle) stops the parent too, rather than being started
    // again on every page.
    if (TppCustomEngine *parentEngine = parent ? parent->Engine() : nullptr)
        parentEngine->SetStopped(true);
    return false;
}

void TppSubReport::CalcSpaceUsed()
{
    m_childPagePending = false;
    if (!m_report || !childEngine()) {
        SetSpaceUsed(StretchMode() ? 0 : mmHeight());
        SetOverFlow(false);
        return;
    }
    // A fixed frame or a section stretches only when a stored stop
    // position says so: it then continues its child as a child does.
    if (m_printBehavior != TppPrintBehaviorType::pbSection)
        calcChild();
}

int32_t TppSubReport::fixedFrameStop() const
{
    // Where the frame ends at its own place in the band on this page: the
    // rows below it belong to the next page, not to a stretched frame.
    int64_t top = mmTop();
    if (auto *region = dynamic_cast<const TppStretchable *>(Region()))
        top += int64_t(region->PageTop()) - region->mmTop();
    else if (const TppCustomBand *band = printingBand())
        top += band->PrintRect().Top;
    return subReportClamp(std::max<int64_t>(top + mmHeight(), 1));
}

void TppSubReport::Generate()
{
    const bool traversing = m_printBehavior == TppPrintBehaviorType::pbFixed && m_traverseAllData && m_report &&
                            childEngine() && mmHeight() > 0;
    // Its own handlers and the child's run may free the subreport.
    const std::weak_ptr<char> alive = AliveToken();
    if (traversing) {
        // Lent for this page only: the child then runs as a child does,
        // cut at the frame's foot, and goes on with its next page on the
        // parent's next page. What was stored comes back afterwards.
        const int32_t stored = mmStopPosition();
        SetmmStopPosition(fixedFrameStop());
        try {
            TppStretchable::Generate();
        } catch (...) {
            if (!alive.expired())
                SetmmStopPosition(stored);
            throw;
        }
        if (!alive.expired())
            SetmmStopPosition(stored);
        return;
    }
    TppStretchable::Generate();
    if (alive.expired() || !m_report || !childEngine() || OutOfSpace() || !Visible() || !DrawComponent())
        return;
    if (m_printBehavior == TppPrintBehaviorType::pbFixed && !StretchMode())
        generateFixed();
    else if (m_printBehavior == TppPrintBehaviorType::pbSection)
        generateSection();
}

void TppSubReport::calcChild()
{
    if (m_drillDownComponent && !DrillDownExpanded()) {
        if (TppEngine *engine = childEngine()) {
            engine->SetGenerating(false);
            engine->Reset();
        }
        m_childStarted = false;
        // A closed instance still counts as a run (see ResetGeneration);
        // only this one: a run that printed counts when its page is placed.
        m_childDone = true;
        m_closedRun = true;
        SetSpaceUsed(0);
        SetOverFlow(false);
        return;
    }
    const rtl::TRect rect = PageRect();
    const bool fixedFrame = m_printBehavior == TppPrintBehaviorType::pbFixed;
    if (fixedFrame && rect.Bottom - rect.Top < mmHeight()) {
        // Cut at the page's foot the frame's rows would run over what
        // follows it there: the whole frame moves to the next page.
        SetSpaceUsed(0);
        SetOverFlow(true);
        return;
    }
    const int32_t height = fixedFrame ? mmHeight() : rect.Bottom - rect.Top;
    fitChildPage(rect.Right - rect.Left, height);
    TppEngine *engine = childEngine();
    if (m_childStarted) {
        engine->AssignPageCount(m_childPageCount);
        engine->AssignPageCountKnown(m_childPageCountKnown);
    } else
        startChild();
    const std::weak_ptr<char> alive = AliveToken();
    if (!generateChildPage()) {
        if (alive.expired())
            return;
        m_childStarted = false;
        SetSpaceUsed(0);
        SetOverFlow(false);
        return;
    }
    bool done = true;
    bool overflow = false;
    int32_t used = mmHeight();
    if (StretchMode() || fixedFrame) {
        done = engine->ReportComplete();
        overflow = !done;
        used = fixedFrame ? mmHeight() : std::clamp(engine->MaxPosition(), 0, std::max(height, 0));
    }
    m_childPagePending = true;
    if (used > 0 && overflow) {
        if (!fixedFrame && NeedsKeepTogether()) {
            // The whole child moves to the next page, once.
            used = 0;
            SetKeptTogether(true);
            m_childStarted = false;
            m_childPagePending = false;
        } else {
            ++m_childPageNo;
            m_childAbsolutePage = engine->Page()->AbsolutePageNo();
        }
        m_childPageCount = engine->PageCount();
        m_childPageCountKnown = engine->PageCountKnown();
    } else if (used == 0) {
        m_childAbsolutePage = -1;
    }
    if (done) {
        m_childStarted = false;
        m_childDone = true;
        m_childFinished = true;
        if (KeptTogether())
            SetKeptTogether(false);
    }
    SetSpaceUsed(used);
    SetOverFlow(overflow);
}

void TppSubReport::generateFixed()
{
    // A frame of no height has nothing to print into.
    if (SpaceUsed() <= 0)
        return;
    fitChildPage(mmWidth(), mmHeight());
    startChild();
    TppEngine *engine = childEngine();
    const std::weak_ptr<char> alive = AliveToken();
    if (!generateChildPage()) {
        if (!alive.expired())
            m_childStarted = false;
        return;
    }
    m_childPagePending = true;
    m_childPageCount = engine->PageCount();
    m_childStarted = false;
    m_childDone = true;
    m_childFinished = true;
    SetOverFlow(false);
}

void TppSubReport::generateSection()
{
    // On the parent's page a section takes no space: its pages are pages.
    SetSpaceUsed(0);
    TppCustomReport *parent = ParentReport();
    TppCustomEngine *parentEngine = parent ? parent->Engine() : nullptr;
    if (!parentEngine || !parentEngine->Page())
        return;
    const bool goesOn = m_sectionStarted && m_childStarted;
    if (!m_sectionStarted) {
        m_sectionStarted = true;
        m_sectionEnded = false;
        markNewPageHeaders();
        if (sectionRestartsChild())
            startChild();
        parent->AddEventNotify(this);
        if (TppCustomBand *band = printingBand())
            band->SetPrintingSection(true);
        parent->IncludeEngineState(ppEngineState::SectionPageWanted);
        // A page the parent has begun to fill is finished first.
        if (parentEngine->GetBandsPrinted() || parentEngine->Page()->DrawCommandCount() > 0 || !m_allSections) {
            SetOverFlow(true);
            SetGenerationComplete(false);
            return;
        }
    }
    parent->ExcludeEngineState(ppEngineState::SectionPageWanted);
    parent->IncludeEngineState(ppEngineState::SectionPages);
    TppEngine *engine = childEngine();
    // A page made again goes on with the child's count as the parent's
    // record of that page holds it, not with what a later run left.
    if (goesOn)
        engine->AssignPageCount(m_childPageCount);
    const std::weak_ptr<char> alive = AliveToken();
    if (!generateChildPage()) {
        if (!alive.expired())
            endSection();
        return;
    }
    placeSectionPage(*parentEngine);
    m_childPageCount = engine->PageCount();
    refreshSectionRecords(parentEngine->PageNo());
    if (!engine->ReportComplete()) {
        ++m_childPageNo;
        m_childAbsolutePage = engine->Page()->AbsolutePageNo();
        SetOverFlow(true);
        SetGenerationComplete(false);
        return;
    }
    ++m_runsCompleted;
    endSection();
}

void TppSubReport::markNewPageHeaders()
{
    if (!m_report)
        return;
    for (int i = 0; i < m_report->GroupCount(); ++i)
        if (TppGroup *group = m_report->Groups(i); group && group->NewPage() && group->HeaderBand())
            group->HeaderBand()->SetAlreadyPageBreak(true);
}

bool TppSubReport::sectionRestartsChild() const
{
    TppCustomReport *parent = ParentReport();
    TppCustomReport *main = parent ? parent->GetMainReport() : nullptr;
    TppCustomEngine *engine = main ? main->Engine() : nullptr;
    if (!engine)
        return true;
    // The main report's first page once more pages are known is a page made
    // again: the child goes on from the state that page restored.
    if (engine->PageNo() == 1 && engine->PageCount() > 1)
        return false;
    // So is any page the cache holds.
    return engine->PageNotCached();
}

void TppSubReport::refreshSectionRecords(int aParentPage)
{
    // The parent's earlier pages of this section keep what is known of the
    // child now, for when one of them is asked for again.
    for (int page = std::min(aParentPage - 1, CachePageCount()); page >= 1; --page) {
        CacheRecordWith<SubReportCacheRecord> record{};
        ReadCacheRecord(page, &record);
        if (!record.own.sectionStarted || record.own.runsCompleted != m_runsCompleted)
            break;
        record.own.childPageCount = m_childPageCount;
        WriteCacheRecord(page, &record);
    }
}

void TppSubReport::placeSectionPage(TppCustomEngine &aParentEngine)
{
    TppPage *page = aParentEngine.Page();
    TppPage *childPage = childEngine()->Page();
    page->Clear();
    moveChildCommands(page, 0, 0);
    if (m_resetPageNo) {
        page->SetPageNo(childPage->PageNo());
        page->SetPageCount(childPage->PageCount());
    } else {
        page->SetPageNo(aParentEngine.GetPageNoForDisplay());
        page->SetPageCount(aParentEngine.GetPageCountForDisplay());
    }
    aParentEngine.NoteProgress();
    TppCustomReport *parent = ParentReport();
    TppCustomReport *main = parent ? parent->GetMainReport() : nullptr;
    if (m_newPrintJob && main && aParentEngine.PageWanted() &&
        main->DeviceType().compare(QStringLiteral("Printer"), Qt::CaseInsensitive) == 0)
        startSectionJob();
}

void TppSubReport::endSection()
{
    TppCustomReport *parent = ParentReport();
    m_sectionStarted = false;
    m_childStarted = false;
    m_childPageNo = 1;
    m_childPageCount = 0;
    m_childPageCountKnown = false;
    m_childAbsolutePage = -1;
    SetOverFlow(false);
    SetGenerationComplete(true);
    if (TppEngine *engine = childEngine()) {
        engine->SetGenerating(false);
        engine->Reset();
    }
    if (!parent)
        return;
    parent->ExcludeEngineState(ppEngineState::SectionPageWanted | ppEngineState::SectionPages);
    parent->IncludeEngineState(ppEngineState::SectionLastPage);
    m_sectionEnded = true;
}

void TppSubReport::startSectionJob()
{
    if (m_sectionDevice)
        return;
    TppCustomReport *parent = ParentReport();
    TppCustomReport *main = parent ? parent->GetMainReport() : nullptr;
    const TppDeviceClass *deviceClass = ppGetDeviceClass(QStringLiteral("Printer"));
    if (!main || !deviceClass)
        return;
    std::unique_ptr<TppDevice> device(deviceClass->Create(nullptr));
    if (!device)
        return;
    device->SetExclusive(true);
    if (auto *output = dynamic_cast<TppPrinterOutput *>(device.get()))
        if (TppPrinter *printer = output->OutputPrinter(); printer && m_report->PrinterSetup())
            printer->SetPrinterSetup(m_report->PrinterSetup());
    device->SetPublisher(main->Publisher());
    m_sectionDevice = std::move(device);
    m_sectionDevice->StartJob();
}

void TppSubReport::endSectionJob()
{
    if (!m_sectionDevice)
        return;
    std::unique_ptr<TppDevice> device = std::move(m_sectionDevice);
    device->EndJob();
}

void TppSubReport::moveChildCommands(TppPage *aPage, int32_t aLeft, int32_t aTop)
{
    TppEngine *engine = childEngine();
    TppPage *childPage = engine ? engine->Page() : nullptr;
    if (!childPage || !aPage || childPage == aPage)
        return;
    // In page order, so that what the child drew last stays on top.
    while (childPage->DrawCommandCount() > 0) {
        TppDrawCommand *command = childPage->DrawCommands(0);
        childPage->RemoveDrawCommand(command);
        command->SetLeft(subReportClamp(int64_t(command->Left()) + aLeft));
        command->SetTop(subReportClamp(int64_t(command->Top()) + aTop));
        aPage->AddDrawCommand(command);
    }
}

void TppSubReport::PrintToPage(TppPage *aPage)
{
    if (m_childPagePending && Visible() && m_printBehavior != TppPrintBehaviorType::pbSection) {
        m_childPagePending = false;
        const rtl::TRect rect = PageRect();
        moveChildCommands(aPage, rect.Left, rect.Top);
        if (m_childDone) {
            m_childDone = false;
            ++m_runsCompleted;
        }
    }
    TppStretchable::PrintToPage(aPage);
}

// ---- Cache and notices --------------------------------------------------------------------------

void TppSubReport::SaveToCache(int32_t aPageIndex)
{
    SubReportCacheRecord own;
    own.sectionStarted = m_sectionStarted ? 1 : 0;
    own.childStarted = m_childStarted ? 1 : 0;
    // 2: a closed drill-down's run, still to be counted.
    own.childDone = m_closedRun ? 2 : (m_childDone ? 1 : 0);
    own.childFinished = m_childFinished ? 1 : 0;
    own.runsCompleted = m_runsCompleted;
    own.childAbsolutePage = m_childAbsolutePage;
    own.childPageNo = m_childPageNo;
    own.childPageCount = m_childPageCount;
    writeCacheRecordWith(aPageIndex, own);
}

void TppSubReport::RestoreFromCache(int32_t aPageIndex)
{
    SubReportCacheRecord own;
    readCacheRecordWith(aPageIndex, own);
    m_sectionStarted = own.sectionStarted != 0;
    m_childStarted = own.childStarted != 0;
    m_childDone = own.childDone != 0;
    m_closedRun = own.childDone == 2;
    m_childFinished = own.childFinished != 0;
    m_runsCompleted = std::max(own.runsCompleted, 0);
    m_childAbsolutePage = own.childAbsolutePage;
    m_childPageNo = std::max(own.childPageNo, 1);
    m_childPageCount = std::max(own.childPageCount, 0);
}

void TppSubReport::CacheReset()
{
    TppStretchable::CacheReset();
    SetKeptTogether(false);
}

void TppSubReport::Notify(TppCommunicator *aCommunicator, int aOperation)
{
    TppStretchable::Notify(aCommunicator, aOperation);
    if (aOperation != ppNotify::Remove || !aCommunicator)
        return;
    if (aCommunicator == m_drillDownComponent) {
        m_drillDownComponent = nullptr;
        m_expansions.clear();
    }
}

void TppSubReport::EventNotify(TppCommunicator *aSender, int aEventId, TraParamList *aParams)
{
    TppStretchable::EventNotify(aSender, aEventId, aParams);
    TppCustomReport *parent = ParentReport();
    if (aEventId != ppEvent::EngineEvent || !parent || aSender != parent || !m_sectionEnded)
        return;
    // The page that holds the section's last page is complete.
    m_sectionEnded = false;
    parent->ExcludeEngineState(ppEngineState::SectionLastPage);
    endSectionJob();
}

} // namespace report
