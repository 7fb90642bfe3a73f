#include "report/model/groups/Group.h"

#include "report/model/bands/Band.h"
#include "report/model/bands/Component.h"
#include "report/model/bands/ReportContext.h"
#include "report/model/outline/OutlineNodeCreator.h"
#include "report/model/outline/OutlineSettings.h"
#include "report/model/reports/CustomReport.h"

namespace report {

void TppGroup::SetOutlineSettings(const TppOutlineSettings *aValue)
{
    m_outlineSettings->Assign(aValue);
}

const std::vector<TppCommunicator *> &TppGroup::GetParticipants()
{
    m_participants.clear();
    if (!m_report)
        return m_participants;
    const int index = m_report->IndexOfGroup(this);
    if (index >= 0 && index + 1 < m_report->GroupCount()) {
        if (auto *next = dynamic_cast<TppCommunicator *>(m_report->GroupAt(index + 1)))
            m_participants.push_back(next);
        return m_participants;
    }
    for (int b = 0; b < m_report->BandCount(); ++b) {
        const TppBand *band = m_report->BandAt(b);
        if (!band || band->BandTypeCode() != 4)
            continue;
        for (int i = 0; i < band->ObjectCount(); ++i)
            if (TppComponent *object = band->Objects(i); object && object->IsSubReport())
                m_participants.push_back(object);
        break;
    }
    return m_participants;
}

TppCommunicator *TppGroup::GetParentParticipant()
{
    auto *report = dynamic_cast<TppCustomReport *>(m_report ? m_report->ReportObject() : nullptr);
    TppCustomReport *main = report ? report->GetMainReport() : nullptr;
    return main ? TppCustomReport::FindParentParticipant(main, this) : nullptr;
}

const classes::TMetaClass &TppGroup::GetNodeCreatorClass() const
{
    return TppOutlineGroupNodeCreator::StaticClass();
}

void TppGroup::OutlineChanged()
{
    auto *report = dynamic_cast<TppCustomReport *>(m_report ? m_report->ReportObject() : nullptr);
    if (!report)
        return;
    report->SetModified(true);
    report->Reset();
}

} // namespace report
