#include "report/model/reports/Report.h"

#include "report/model/autosearch/AutoSearchField.h"
#include "report/model/autosearch/AutoSearchGroups.h"
#include "report/model/bands/DesignerSink.h"
#include "report/model/base/Messages.h"
#include "report/model/data/CacheManager.h"
#include "report/model/data/DataPipeline.h"
#include "report/model/engine/Engine.h"
#include "report/model/forms/DialogBases.h"
#include "report/model/outline/OutlineSettings.h"
#include "report/model/pages/Page.h"
#include "report/model/pages/PageRequest.h"
#include "report/model/pages/Publisher.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/model/production/PreviewFormSettings.h"
#include "report/model/production/TextSearchSettings.h"
#include "report/model/subreports/SubReport.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/Filer.h"
#include "platform/classes/Picture.h"
#include "platform/classes/Reader.h"

#include <QPointer>

namespace report {

namespace {

// The designer hears that printing starts (1) and ends (0).
constexpr int ppReportPrintingMsg = 1141;
constexpr int ppReportPrintingWParam = 5050;
// Stored versions as integers ("7.01" = 7010).
constexpr int32_t ppReportOrientationVersion = 1270;
// Reports stored before this version had no outline.
constexpr int32_t ppReportOutlineVersion = 6100;

} // namespace

const classes::TMetaClass &TppReport::StaticClass()
{
    using R = TppReport;
    static const classes::TMetaClass meta = classes::MakeClass<R, TppBandedReport>("TppReport", [](auto &c) {
        using Notify = classes::TNotifyEvent R::*;
        c.Event("AfterAutoSearchDialogCreate", &R::AfterAutoSearchDialogCreate);
        c.Event("AfterPrint", static_cast<Notify>(&R::AfterPrint));
        c.Boolean("AllowPrintToArchive", &R::AllowPrintToArchive, &R::SetAllowPrintToArchive).Default(false);
        c.Boolean("AllowPrintToFile", &R::AllowPrintToFile, &R::SetAllowPrintToFile).Default(false);
        c.String("ArchiveFileName", &R::ArchiveFileName, &R::SetArchiveFileName);
        c.Event("BeforeAutoSearchDialogCreate", &R::BeforeAutoSearchDialogCreate);
        c.Event("BeforePrint", static_cast<Notify>(&R::BeforePrint));
        c.Boolean("CachePages", &R::CachePages, &R::SetCachePages).Default(false);
        c.String("DeviceType", &R::DeviceType, &R::SetDeviceType);
        c.Object("Icon", &R::IconData, &R::SetIconData);
        c.Enum("Language", EnumInfo<TppLanguageType>(), &R::Language, &R::SetLanguage)
            .Default(TppLanguageType::lgDefault);
        c.Boolean("ModalCancelDialog", &R::ModalCancelDialog, &R::SetModalCancelDialog).Default(true);
        c.Boolean("ModalPreview", &R::ModalPreview, &R::SetModalPreview).Default(true);
        c.Event("OnAutoSearchDialogClose", &R::OnAutoSearchDialogClose);
        c.Event("OnCancel", static_cast<Notify>(&R::OnCancel));
        c.Event("OnCancelDialogClose", static_cast<Notify>(&R::OnCancelDialogClose));
        c.Event("OnCancelDialogCreate", static_cast<Notify>(&R::OnCancelDialogCreate));
        c.Event("OnGetAutoSearchValues", &R::OnGetAutoSearchValues);
        c.Event("OnOutlineNodeCreate", &R::OnOutlineNodeCreate, QStringLiteral("TppOutlineNodeCreateEvent"));
        c.Event("OnPageRequest", static_cast<TppPageRequestNotify R::*>(&R::OnPageRequest),
                QStringLiteral("TppPageRequestEvent"));
        c.Event("OnAssignPreviewFormSettings", static_cast<Notify>(&R::OnAssignPreviewFormSettings));
        c.Event("OnPreviewFormClose", static_cast<Notify>(&R::OnPreviewFormClose));
        c.Event("OnPreviewFormCreate", static_cast<Notify>(&R::OnPreviewFormCreate));
        c.Event("OnPrintDialogClose", static_cast<Notify>(&R::OnPrintDialogClose));
        c.Event("OnPrintDialogCreate", static_cast<Notify>(&R::OnPrintDialogCreate));
        c.Object("OutlineSettings", &R::OutlineSettings, &R::SetOutlineSettings);
        c.Object("PreviewFormSettings", &R::PreviewFormSettings, &R::SetPreviewFormSettings);
        c.Boolean("SavePrinterSetup", &R::SavePrinterSetup, &R::SetSavePrinterSetup).Default(false);
        c.Boolean("ShowAutoSearchDialog", &R::ShowAutoSearchDialog, &R::SetShowAutoSearchDialog).Default(false);
        c.Boolean("ShowCancelDialog", &R::ShowCancelDialog, &R::SetShowCancelDialog).Default(true);
        c.Boolean("ShowPrintDialog", &R::ShowPrintDialog, &R::SetShowPrintDialog).Default(true);
        c.String("TextFileName", &R::TextFileName, &R::SetTextFileName);
        c.Enum("TextFileType", EnumInfo<TppFileType>(), &R::TextFileType, &R::SetTextFileType)
            .Default(TppFileType::ftComma);
        c.Object("TextSearchSettings", &R::TextSearchSettings, &R::SetTextSearchSettings);
    });
    return meta;
}

TppReport::TppReport(classes::TComponent *aOwner)
    : TppBandedReport(aOwner)
    , m_cacheManager(std::make_unique<TppCacheManager>(this, this))
    , m_outlineSettings(std::make_unique<TppOutlineReportSettings>(this))
{
    connectEngineHooks();
}

TppReport::~TppReport()
{
    BeforeDestruction();
    FinalizeData();
    m_outline.reset();
    freeAutoSearchDialog();
    while (!m_autoSearchFields.empty()) {
        TppAutoSearchField *field = m_autoSearchFields.back();
        delete field;
        if (!m_autoSearchFields.empty() && m_autoSearchFields.back() == field)
            m_autoSearchFields.pop_back();
    }
    if (TppCustomEngine *engine = Engine()) {
        engine->OnGetLastCachedPage.Clear();
        engine->OnRestorePageState.Clear();
        engine->OnResetCache.Clear();
        engine->OnSavePageState.Clear();
    }
    m_cacheManager.reset();
}

bool TppReport::StreamsDesignOnlyModules() const
{
    return HasCommunicatorState(ppState::Design);
}

void TppReport::connectEngineHooks()
{
    TppCustomEngine *engine = Engine();
    if (!engine)
        return;
    engine->OnGetLastCachedPage.Set(
        [this](classes::TObject *, int &aPageNo) { aPageNo = m_cacheManager->LastCachedPage(); });
    // The engine keeps its state per page, page 0 being the run's start;
    // only a state that was kept can come back.
    engine->OnRestorePageState.Set([this, engine](classes::TObject *) {
        const int32_t page = engine->PageNo() - 1;
        if (page >= 0 && page <= m_cacheManager->LastCachedPage())
            m_cacheManager->RestorePage(page);
    });
    engine->OnResetCache.Set([this](classes::TObject *) { m_cacheManager->Reset(); });
    engine->OnSavePageState.Set([this, engine](classes::TObject *) { m_cacheManager->SavePage(engine->PageNo()); });
}

void TppReport::SetCachePages(bool aValue)
{
    if (Printing() || aValue == m_cachePages)
        return;
    m_cachePages = aValue;
    SetModified(true);
    Reset();
}

void TppReport::PrintToDevices()
{
    const bool tellDesigner = Designer() && !Printing();
    if (tellDesigner)
        Designer()->SendDesignerMessage(ppReportPrintingMsg, ppReportPrintingWParam,
                                        reinterpret_cast<classes::TObject *>(1));
    const QPointer<QObject> alive = Guard();
    TppCustomEngine *engine = Engine();
    if (engine && !(engine->EngineState() & ppEngineState::Started) && !engine->Stopped()) {
        Publisher()->SetCachePages(m_cachePages);
        ResetEngines(0);
    }
    TppBandedReport::PrintToDevices();
    if (alive && tellDesigner && Designer())
        Designer()->SendDesignerMessage(ppReportPrintingMsg, ppReportPrintingWParam, nullptr);
}

void TppReport::PublisherPageRequest(classes::TObject *Sender, classes::TObject *aPageRequest)
{
    // The program's OnPageRequest runs first and may free the report.
    const QPointer<QObject> alive = Guard();
    TppBandedReport::PublisherPageRequest(Sender, aPageRequest);
    if (!alive)
        return;
    auto *engine = dynamic_cast<TppEngine *>(Engine());
    auto *request = dynamic_cast<TppPageRequest *>(aPageRequest);
    if (!engine || !request)
        return;
    if (!(engine->EngineState() & ppEngineState::Started)) {
        const bool made = !m_outline;
        GetOutline();
        if (!made)
            m_outline->Initialize();
    }
    SetPrinting(true);
    try {
        TppPage *page = engine->Page();
        if (PrinterSetup()) {
            page->SetPrinterSetup(PrinterSetup());
            if (page->PrinterSetup() && !page->PrinterSetup()->IsSamePrinterAndPaper(*PrinterSetup())) {
                Publisher()->ResetPages();
                engine->Reset();
            }
        }
        engine->GeneratePage(*request);
    } catch (...) {
        if (alive) {
            engine->Reset();
            SetPrinting(false);
        }
        throw;
    }
    if (!alive)
        return;
    SetPrinting(false);
    if (engine->Stopped())
        engine->Reset();
    // An empty run whose blank page the engine discarded: nothing reaches a
    // device and the job is cancelled.
    if (!engine->Generating() && engine->PageCount() == 0 &&
        (NoDataBehaviors() & (1 << int(TppNoDataBehaviorType::ndBlankPage)))) {
        Cancel();
        if (alive)
            Reset();
    }
}

void TppReport::Cancel()
{
    // A device's cancel handler may free the report.
    const QPointer<QObject> alive = Guard();
    TppBandedReport::Cancel();
    if (!alive)
        return;
    if (m_generatingChildReport && m_generatingChildReport != this)
        m_generatingChildReport->Cancel();
    if (Engine())
        Engine()->SetStopped(true);
}

void TppReport::ReceivePageFromEngine()
{
    if (Engine() && Engine()->Page())
        Publisher()->ReceivePage(Engine()->Page());
}

void TppReport::InitializePipelines()
{
    // Every pipeline learns which of the others are its details, and each
    // run walks the main pipeline from its first record.
    TppDataPipelineVector pipelines;
    GetDataPipelines(pipelines);
    for (TppDataPipeline *pipeline : pipelines)
        pipeline->InitTraversal(pipelines);
    const std::weak_ptr<char> alive = AliveToken();
    TppBandedReport::InitializePipelines();
    if (alive.expired())
        return;
    TppDataPipeline *pipeline = DataPipeline();
    if (pipeline && pipeline->GetActive()) {
        pipeline->ExcludeRecordPositionFlags(ppNoRecords | ppLastRecord | ppFirstRecord);
        pipeline->First();
    }
}

void TppReport::Convert(int32_t aVersionNo)
{
    TppBandedReport::Convert(aVersionNo);
    if (aVersionNo < ppReportOrientationVersion && PrinterSetup())
        PrinterSetup()->SetOrientation(m_legacyOrientation == 1 ? classes::TPrinterOrientation::poLandscape
                                                                : classes::TPrinterOrientation::poPortrait);
    if (aVersionNo < ppReportOutlineVersion)
        m_outlineSettings->SetEnabled(false);
}

void TppReport::DefineProperties(classes::TFiler &aFiler)
{
    TppBandedReport::DefineProperties(aFiler);
    const classes::TFiler::WriterProc none;
    aFiler.DefineProperty(
        QStringLiteral("AllowPrintCancel"), [](classes::TReader &r) { r.ReadBoolean(); }, none, false);
    aFiler.DefineProperty(
        QStringLiteral("DataSource"), [this](classes::TReader &r) { m_legacyDataSource = r.ReadIdent(); }, none, false);
    aFiler.DefineProperty(
        QStringLiteral("OnPrintingComplete"),
        [this](classes::TReader &r) { m_legacyOnPrintingComplete = r.ReadIdent(); }, none, false);
    aFiler.DefineProperty(
        QStringLiteral("Orientation"),
        [this](classes::TReader &r) { m_legacyOrientation = r.ReadIdent() == QLatin1String("poLandscape") ? 1 : 0; },
        none, false);
    aFiler.DefineProperty(
        QStringLiteral("NoDataPages"), [this](classes::TReader &r) { SetPageLimit(r.ReadInteger()); }, none, false);
    aFiler.DefineProperty(
        QStringLiteral("PreviewPages"), [](classes::TReader &r) { r.ReadInteger(); }, none, false);
    aFiler.DefineProperty(
        QStringLiteral("RowSpacing"), [this](classes::TReader &r) { m_legacyRowSpacing = float(r.ReadFloat()); }, none,
        false);
    aFiler.DefineProperty(
        QStringLiteral("SuppressFormFeed"), [](classes::TReader &r) { r.ReadBoolean(); }, none, false);
    aFiler.DefineProperty(
        QStringLiteral("Viewer"), [](classes::TReader &r) { r.ReadIdent(); }, none, false);
    // The old name of BeforeAutoSearchDialogCreate. A handler the form no
    // longer has is dropped rather than refusing the whole report.
    aFiler.DefineProperty(
        QStringLiteral("OnAutoSearchDialogCreate"),
        [this](classes::TReader &r) {
            const QString name = r.ReadIdent();
            const std::any *code = r.Root() ? r.Root()->MethodAddress(name) : nullptr;
            if (!code && r.OnFindMethod) {
                bool error = false;
                r.OnFindMethod(r, name, code, error);
            }
            const auto *handler = code ? std::any_cast<classes::TNotifyEvent::Function>(code) : nullptr;
            if (handler)
                BeforeAutoSearchDialogCreate.Set(name, *handler);
        },
        none, false);
}

void TppReport::Loaded()
{
    TppBandedReport::Loaded();
    LanguageChanged();
}

void TppReport::TransferRelatives(const TppProducer &aSource)
{
    TppBandedReport::TransferRelatives(aSource);
    if (const auto *source = dynamic_cast<const TppReport *>(&aSource)) {
        m_cachePages = source->m_cachePages;
        SetShowAutoSearchDialog(source->ShowAutoSearchDialog());
        m_legacyDataSource = source->m_legacyDataSource;
        transferAutoSearchFields(*const_cast<TppReport *>(source));
        OnTemplateLoad = source->OnTemplateLoad;
        m_outlineSettings->Assign(source->m_outlineSettings.get());
        // The handlers are stored with the report as well.
        AfterAutoSearchDialogCreate = source->AfterAutoSearchDialogCreate;
        BeforeAutoSearchDialogCreate = source->BeforeAutoSearchDialogCreate;
        OnAutoSearchDialogClose = source->OnAutoSearchDialogClose;
        OnGetAutoSearchValues = source->OnGetAutoSearchValues;
        OnOutlineNodeCreate = source->OnOutlineNodeCreate;
    }
}

void TppReport::GetTreeKey(QString &) const {}

void TppReport::TemplateLoadRequest(TppCustomReport *aChildReport)
{
    if (OnTemplateLoad)
        OnTemplateLoad(this, aChildReport);
}

void TppReport::ResetFromPage(int aPageNo)
{
    m_cacheManager->TruncatePage(aPageNo);
    if (TppCustomEngine *engine = Engine())
        engine->SetPageCount(aPageNo);
}

void TppReport::ResetEngines(int aAction)
{
    std::vector<TppCustomReport *> reports;
    GetReportTree(reports);
    for (TppCustomReport *report : reports) {
        if (aAction == 0) {
            if (auto *engine = dynamic_cast<TppEngine *>(report->Engine())) {
                // A child's engine is held as generating between the
                // subreport's requests; a new run lets it go.
                if (report != this)
                    engine->SetGenerating(false);
                engine->Reset();
            }
            continue;
        }
        if (auto *child = dynamic_cast<TppChildReport *>(report); child && child->Parent())
            child->Parent()->SetExpandAll(aAction == 1);
    }
}

// ---- Child report ------------------------------------------------------------------------------

const classes::TMetaClass &TppChildReport::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<TppChildReport, TppBandedReport>("TppChildReport", [](auto &) {});
    return meta;
}

TppChildReport::TppChildReport(classes::TComponent *aOwner)
    : TppBandedReport(aOwner)
{}

TppChildReport::~TppChildReport()
{
    SetParent(nullptr);
}

TppSubReport *TppChildReport::parentSubReport() const
{
    return m_parent;
}

TppCustomReport *TppChildReport::parentReport() const
{
    TppSubReport *subreport = parentSubReport();
    return subreport ? subreport->ParentReport() : nullptr;
}

TppCustomReport *TppChildReport::GetMainReport()
{
    TppCustomReport *parent = parentReport();
    return parent ? parent->GetMainReport() : nullptr;
}

TppCustomEngine *TppChildReport::PageNumberEngine()
{
    TppSubReport *subreport = parentSubReport();
    TppCustomReport *parent = parentReport();
    if (!subreport || !parent || !PrintingAsSubReport() ||
        (subreport->PrintBehavior() == TppPrintBehaviorType::pbSection && subreport->ResetPageNo()))
        return Engine();
    return parent->PageNumberEngine();
}

void TppChildReport::GetTreeKey(QString &aKey) const
{
    TppSubReport *subreport = parentSubReport();
    if (!subreport)
        return;
    aKey += QString::asprintf("%8d", subreport->RunsCompleted()) + QLatin1Char('|');
    if (TppCustomReport *parent = subreport->ParentReport())
        parent->GetTreeKey(aKey);
}

QString TppChildReport::GetUniqueUserName(classes::TComponent *aComponent) const
{
    if (dynamic_cast<TppSubReport *>(aComponent))
        if (TppCustomReport *main = const_cast<TppChildReport *>(this)->GetMainReport(); main && main != this)
            return main->GetUniqueUserName(aComponent);
    return TppBandedReport::GetUniqueUserName(aComponent);
}

void TppChildReport::SetParent(TppSubReport *aParent)
{
    if (aParent == m_parent)
        return;
    if (TppSubReport *old = m_parent) {
        m_parent = nullptr;
        if (old->Report() == this)
            old->SetReport(nullptr);
    }
    m_parent = aParent;
    if (aParent)
        aParent->SetReport(this);
}

classes::TComponent *TppChildReport::GetParentComponent() const
{
    return m_parent;
}

void TppChildReport::SetParentComponent(classes::TComponent *aParent)
{
    if (auto *subreport = dynamic_cast<TppSubReport *>(aParent))
        SetParent(subreport);
}

void TppChildReport::Reset()
{
    // Its pages are the main report's.
    if (TppCustomReport *main = GetMainReport(); main && main != this)
        main->Reset();
}

void TppChildReport::Cancel()
{
    TppBandedReport::Cancel();
    if (Engine())
        Engine()->SetStopped(true);
    if (TppCustomReport *parent = parentReport(); parent && !dynamic_cast<TppReport *>(parent))
        parent->Cancel();
}

void TppChildReport::SetModified(bool aModified)
{
    TppBandedReport::SetModified(aModified);
    if (SaveAsTemplate())
        return;
    if (TppCustomReport *parent = parentReport())
        parent->SetModified(aModified);
}

void TppChildReport::IncludeEngineState(int aBits)
{
    TppBandedReport::IncludeEngineState(aBits);
    if (TppCustomReport *parent = parentReport())
        parent->IncludeEngineState(aBits);
}

void TppChildReport::ExcludeEngineState(int aBits)
{
    TppBandedReport::ExcludeEngineState(aBits);
    if (TppCustomReport *parent = parentReport())
        parent->ExcludeEngineState(aBits);
}

void TppChildReport::TransferRelatives(const TppProducer &aSource)
{
    TppBandedReport::TransferRelatives(aSource);
    SetSaveAsTemplate(false);
    if (dynamic_cast<const TppChildReport *>(&aSource))
        PrinterSetupChanged();
}

void TppChildReport::PrinterSetupChanged()
{
    TppBandedReport::PrinterSetupChanged();
    // A child with a paper of its own no longer uses its parent's.
    TppSubReport *subreport = parentSubReport();
    TppCustomReport *parent = parentReport();
    if (subreport && parent && subreport->ParentPrinterSetup() && PrinterSetup() && parent->PrinterSetup() &&
        !PrinterSetup()->IsSamePrinterAndPaper(*parent->PrinterSetup()))
        subreport->SetParentPrinterSetup(false);
}

QString TppChildReport::GetStatus() const
{
    TppCustomReport *main = const_cast<TppChildReport *>(this)->GetMainReport();
    return main && main != this ? main->GetStatus() : QString();
}

void TppChildReport::SetStatus(const QString &aText)
{
    TppCustomReport *main = GetMainReport();
    if (main && main != this)
        main->SetStatus(aText);
}

QString TppReport::GetCaption() const
{
    const TppDataPipeline *pipeline = DataPipeline();
    const QString prefix = pipeline ? pipeline->UserName() : QStringLiteral("No Data Pipeline Assigned");
    return prefix + QStringLiteral(": ") + ppLoadStr(374);
}

QString TppChildReport::GetCaption() const
{
    TppSubReport *subreport = parentSubReport();
    return subreport ? subreport->GetCaption() : QString();
}

} // namespace report
