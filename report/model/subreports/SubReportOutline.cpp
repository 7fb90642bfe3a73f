#include "report/model/subreports/SubReport.h"

#include "report/model/outline/OutlineNodeCreator.h"
#include "report/model/outline/OutlineSettings.h"
#include "report/model/reports/Report.h"

namespace report {

void TppSubReport::SetOutlineSettings(const TppOutlineSettings *aValue)
{
    m_outlineSettings->Assign(aValue);
}

const std::vector<TppCommunicator *> &TppSubReport::GetParticipants()
{
    m_participants.clear();
    if (m_report)
        m_report->GetOutlineParticipants(m_participants);
    return m_participants;
}

TppCommunicator *TppSubReport::GetParentParticipant()
{
    TppCustomReport *main = m_report ? m_report->GetMainReport() : nullptr;
    return main ? TppCustomReport::FindParentParticipant(main, this) : nullptr;
}

const classes::TMetaClass &TppSubReport::GetNodeCreatorClass() const
{
    return TppOutlineReportNodeCreator::StaticClass();
}

void TppSubReport::OutlineChanged()
{
    if (m_report)
        m_report->Reset();
}

} // namespace report
