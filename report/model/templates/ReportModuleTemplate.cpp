#include "report/model/templates/ReportModuleTemplate.h"

#include "report/model/bands/DesignerSink.h"
#include "report/model/objects/Relative.h"
#include "report/model/reports/CustomReport.h"
#include "report/model/reports/ReportModule.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/Component.h"
#include "platform/classes/Reader.h"

#include <atomic>

namespace report {

namespace {

std::atomic<const classes::TMetaClass *> g_reportModuleClass{nullptr};

} // namespace

const classes::TMetaClass *ppReportModuleClass()
{
    return g_reportModuleClass.load();
}

void ppSetReportModuleClass(const classes::TMetaClass *aClass)
{
    g_reportModuleClass.store(aClass);
}

const classes::TMetaClass &TppReportModuleTemplate::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<TppReportModuleTemplate, TppTemplate>("TppReportModuleTemplate");
    return meta;
}

TppReportModuleTemplate::TppReportModuleTemplate(classes::TComponent *aOwner)
    : TppTemplate(aOwner)
    , m_module(dynamic_cast<TppRelative *>(aOwner))
{
    SetRoot(aOwner ? aOwner->Owner() : nullptr);
}

TppReportModuleTemplate::~TppReportModuleTemplate() = default;

std::unique_ptr<TppRelative> TppReportModuleTemplate::freshModule() const
{
    const classes::TMetaClass *moduleClass = ppReportModuleClass();
    if (!moduleClass)
        return nullptr;
    classes::TComponent *made = moduleClass->NewComponent(nullptr);
    std::unique_ptr<TppRelative> fresh(dynamic_cast<TppRelative *>(made));
    if (!fresh)
        delete made;
    return fresh;
}

bool TppReportModuleTemplate::AcceptsTopComponent(classes::TComponent *aComponent) const
{
    const classes::TMetaClass *moduleClass = ppReportModuleClass();
    return aComponent && moduleClass && aComponent->ClassType().InheritsFrom(*moduleClass);
}

void TppReportModuleTemplate::New()
{
    const std::unique_ptr<TppRelative> fresh = freshModule();
    if (m_module && fresh) {
        // Taking over a parentless module would take the live one out of
        // its report.
        TppRelative *parent = m_module->Parent();
        m_module->TransferRelatives(fresh.get());
        m_module->SetParent(parent);
    }
    TppTemplate::New();
}

bool TppReportModuleTemplate::BeforeLoad()
{
    if (!m_module)
        return false;
    m_backupModule = freshModule();
    if (!m_backupModule || !TppTemplate::BeforeLoad()) {
        m_backupModule.reset();
        return false;
    }
    m_moduleParent = m_module->Parent();
    auto *reportModule = dynamic_cast<TppReportModule *>(m_module);
    m_moduleReport = reportModule ? reportModule->Report() : nullptr;
    m_backupModule->IncludeState(ppState::FirstLoad);
    m_backupModule->TransferRelatives(m_module);
    m_module->IncludeState(ppState::FirstLoad);
    m_loadedModule = nullptr;
    return true;
}

void TppReportModuleTemplate::ComponentRead(classes::TComponent *aComponent)
{
    if (!AcceptsTopComponent(aComponent))
        return;
    m_loadedModule = static_cast<TppRelative *>(aComponent);
    m_loadedModule->IncludeState(ppState::FirstLoad);
}

void TppReportModuleTemplate::ReaderSetName(classes::TReader &aReader, classes::TComponent *aComponent, QString &aName)
{
    TppTemplate::ReaderSetName(aReader, aComponent, aName);
    if (m_module)
        RenameClash(aReader, aComponent, aName, *m_module);
}

void TppReportModuleTemplate::AfterLoad(bool aSuccess)
{
    if (m_module) {
        if (aSuccess && m_loadedModule)
            m_module->TransferRelatives(m_loadedModule);
        else if (m_backupModule)
            m_module->TransferRelatives(m_backupModule.get());
        m_backupModule.reset();
        // A failed read freed what it made, the loaded module with it.
        if (aSuccess)
            delete m_loadedModule;
        m_loadedModule = nullptr;
        m_module->SetParent(m_moduleParent);
        m_moduleParent = nullptr;
        // The loaded module's report took it into its list: the live one
        // stays its report's module.
        if (auto *reportModule = dynamic_cast<TppReportModule *>(m_module); reportModule && m_moduleReport)
            reportModule->SetReport(m_moduleReport);
        m_moduleReport = nullptr;
        m_module->ExcludeState(ppState::FirstLoad);
    }
    TppTemplate::AfterLoad(aSuccess);
}

} // namespace report
