#include "report/model/templates/ReportTemplate.h"

#include "report/model/bands/DesignerSink.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/data/DataPipeline.h"
#include "report/model/groups/Group.h"
#include "report/model/objects/Communicator.h"
#include "report/model/reports/CustomReport.h"
#include "report/model/reports/Report.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/Component.h"
#include "platform/classes/Reader.h"

namespace report {

namespace {

// Linked objects hear that a template replaced the report's layout.
constexpr int reportTemplateApplied = 4;
constexpr uint16_t reportTemplateSaving = 256;

} // namespace

const classes::TMetaClass &TppReportTemplate::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<TppReportTemplate, TppTemplate>("TppReportTemplate");
    return meta;
}

TppReportTemplate::TppReportTemplate(classes::TComponent *aOwner)
    : TppTemplate(aOwner)
    , m_report(dynamic_cast<TppCustomReport *>(aOwner))
{
    SetFileExtension(QStringLiteral("rtm"));
    SetFileFilter(QStringLiteral("Report file (*.rtm)|*.rtm"));
    SetRoot(aOwner ? aOwner->Owner() : nullptr);
}

TppReportTemplate::~TppReportTemplate() = default;

classes::TObject *TppReportTemplate::GetDesigner() const
{
    return m_report ? m_report->GetHostObject() : nullptr;
}

void TppReportTemplate::notice(int aMessage)
{
    if (!m_report || !m_report->Designer() || m_report->MainReportPrinting())
        return;
    m_report->Designer()->SendDesignerMessage(aMessage, ppDesignerMsg::WParam, m_report);
}

bool TppReportTemplate::AcceptsTopComponent(classes::TComponent *aComponent) const
{
    return dynamic_cast<TppCustomReport *>(aComponent) != nullptr;
}

bool TppReportTemplate::BeforeLoad()
{
    if (!TppTemplate::BeforeLoad() || !m_report)
        return false;
    if (!Root())
        SetRoot(m_report->Owner() ? m_report->Owner() : m_report);
    if (m_report->IsGenerating())
        return false;
    classes::TComponent *made = m_report->ClassType().NewComponent(nullptr);
    m_backupReport.reset(dynamic_cast<TppCustomReport *>(made));
    if (!m_backupReport) {
        delete made;
        return false;
    }
    m_modifiedBeforeLoad = m_report->Modified();
    m_backupReport->IncludeState(ppState::FirstLoad);
    m_backupReport->TransferRelatives(*m_report);
    // Put aside, it resolves nothing: a name it kept would find a pipeline
    // of the form should it ever come back.
    m_backupReport->ClearPendingDataPipeline();
    m_report->IncludeState(ppState::FirstLoad);
    m_loadedReport = nullptr;
    notice(ppTemplateMsg::LoadStart);
    return true;
}

void TppReportTemplate::ComponentRead(classes::TComponent *aComponent)
{
    auto *loaded = dynamic_cast<TppCustomReport *>(aComponent);
    if (!loaded)
        return;
    m_loadedReport = loaded;
    loaded->IncludeState(ppState::FirstLoad);
    // The report read takes the live report's place: whoever hears of its
    // child reports' template loads goes on hearing of them.
    auto *backup = dynamic_cast<TppReport *>(m_backupReport.get());
    if (auto *read = dynamic_cast<TppReport *>(loaded); read && backup)
        read->OnTemplateLoad = backup->OnTemplateLoad;
}

void TppReportTemplate::ReaderSetName(classes::TReader &aReader, classes::TComponent *aComponent, QString &aName)
{
    TppTemplate::ReaderSetName(aReader, aComponent, aName);
    if (m_report)
        RenameClash(aReader, aComponent, aName, *m_report);
}

void TppReportTemplate::ReaderReferenceName(classes::TReader &, QString &aName)
{
    for (const auto &[oldName, component] : RenameList())
        if (oldName.compare(aName, Qt::CaseInsensitive) == 0) {
            aName = component->Name();
            return;
        }
}

void TppReportTemplate::AfterLoad(bool aSuccess)
{
    if (m_report) {
        if (aSuccess && m_loadedReport) {
            m_report->TransferRelatives(*m_loadedReport);
            // A child report was read without the tree it belongs to: what
            // its layout names is looked up again from where it lives.
            if (m_report->GetMainReport() != m_report)
                m_report->ResolveDataPipelines();
        } else if (m_backupReport)
            m_report->TransferRelatives(*m_backupReport);
        m_backupReport.reset();
        // A failed read freed what it made, the loaded report with it.
        if (aSuccess)
            delete m_loadedReport;
        m_loadedReport = nullptr;
        m_report->ExcludeState(ppState::FirstLoad);
        notice(ppTemplateMsg::LoadEnd);
    }
    TppTemplate::AfterLoad(aSuccess);
    if (m_report) {
        m_report->Reset();
        // A failed load gives back the previous layout with its unsaved
        // edits, which stay marked as such; only a layout read whole is
        // unchanged. The report's own flag only: a child report would hand
        // the value on to the report around it, whose edits are not its.
        if (aSuccess)
            m_report->SetModified(false);
        else
            m_report->TppCustomReport::SetModified(m_modifiedBeforeLoad);
    }
}

bool TppReportTemplate::BeforeSave()
{
    if (m_report)
        m_report->IncludeState(reportTemplateSaving);
    notice(ppTemplateMsg::SaveStart);
    return true;
}

void TppReportTemplate::AfterSave(bool aSuccess)
{
    if (!m_report)
        return;
    if (aSuccess)
        m_report->SetModified(false);
    m_report->ExcludeState(reportTemplateSaving);
}

void TppReportTemplate::NameChanged()
{
    notice(ppReportMsg::Renamed);
}

void TppReportTemplate::DataPipelineChanged(TppDataPipeline *aPipeline)
{
    if (!m_report)
        return;
    TppDataPipeline *old = DatabaseSettings()->DataPipeline();
    if (old && old != m_report->DataPipeline())
        m_report->RemoveNotify(old);
    if (aPipeline)
        m_report->AddNotify(aPipeline);
}

void TppReportTemplate::New()
{
    if (!m_report)
        return;
    notice(ppTemplateMsg::NewStart);
    m_report->SendNotify(m_report, reportTemplateApplied);
    TppDataPipeline *pipeline = nullptr;
    for (int i = 0; i < m_report->BandCount() && !pipeline; ++i)
        if (auto *detail = dynamic_cast<TppDetailBand *>(m_report->BandAt(i)))
            pipeline = detail->DataPipeline();
    // Each leaves the report as it goes; the counts make sure the loops end.
    for (int count = m_report->GroupCount(); count > 0 && m_report->GroupCount() == count; --count)
        delete m_report->Groups(count - 1);
    for (int count = m_report->BandCount(); count > 0 && m_report->BandCount() == count; --count)
        delete m_report->BandAt(count - 1);
    m_report->CreateDefaultBands();
    for (int i = 0; i < m_report->BandCount(); ++i)
        if (auto *detail = dynamic_cast<TppDetailBand *>(m_report->BandAt(i)))
            detail->SetDataPipeline(pipeline);
    SetDescription(QString());
    const std::weak_ptr<char> alive = AliveToken();
    TppTemplate::New();
    if (!alive.expired())
        notice(ppTemplateMsg::NewEnd);
}

} // namespace report
