#include "report/model/reports/ReportModule.h"

#include "report/model/reports/CustomReport.h"

#include "platform/classes/ClassBuilder.h"

namespace report {

const classes::TMetaClass &TppReportModule::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<TppReportModule, TppRelative>("TppReportModule");
    return meta;
}

TppReportModule::TppReportModule(classes::TComponent *aOwner)
    : TppRelative(aOwner)
{}

TppReportModule::~TppReportModule()
{
    BeforeDestruction();
    if (m_report)
        m_report->RemoveModule(this);
}

void TppReportModule::SetReport(TppCustomReport *aReport)
{
    if (aReport == m_report)
        return;
    if (m_report)
        m_report->RemoveModule(this);
    if (aReport)
        aReport->AddModule(this);
}

void TppReportModule::Convert(int32_t) {}

void TppReportModule::GetDataPipelines(std::vector<TppDataPipeline *> &) const {}

classes::TComponent *TppReportModule::GetParentComponent() const
{
    return m_report;
}

void TppReportModule::SetParentComponent(classes::TComponent *aParent)
{
    if (auto *report = dynamic_cast<TppCustomReport *>(aParent))
        SetReport(report);
}

} // namespace report
