#include "report/model/reports/Report.h"

#include "report/model/objects/EventIds.h"
#include "report/model/objects/ParamList.h"
#include "report/model/outline/OutlineNode.h"
#include "report/model/outline/OutlineNodeCreator.h"
#include "report/model/outline/OutlineSettings.h"

#include <QPointer>

namespace report {

void TppReport::SetOutlineSettings(const TppOutlineReportSettings *aValue)
{
    m_outlineSettings->Assign(aValue);
}

TppOutline *TppReport::GetOutline()
{
    if (m_outline)
        return m_outline.get();
    m_outline = std::make_unique<TppOutline>();
    m_outline->SetReport(this);
    m_outline->OnOutlineNodeCreate.Set(
        [this](classes::TObject *, TppOutlineNode *aNode, bool &aAccept) { DoOnOutlineNodeCreate(aNode, aAccept); });
    m_outline->Initialize();
    return m_outline.get();
}

void TppReport::AddOutlineDrawCommand()
{
    if (m_outline && m_outlineSettings->Enabled())
        m_outline->AddOutlineDrawCommand();
}

void TppReport::DoOnOutlineNodeCreate(TppOutlineNode *aNode, bool &aAccept)
{
    const QPointer<QObject> alive = Guard();
    if (HasEventNotify(ppEvent::OnOutlineNodeCreate)) {
        classes::TObject *node = aNode;
        TraParamList params;
        params.AddParam(QStringLiteral("Node"), TraDataType::daClass, false, false, QString(),
                        &TppOutlineNode::StaticClass());
        params.AddParam(QStringLiteral("Accept"), TraDataType::daBoolean, true);
        params.SetParamValuePointer(0, &node);
        params.SetParamValuePointer(1, &aAccept);
        SendEventNotify(this, ppEvent::OnOutlineNodeCreate, &params);
    }
    if (alive && OnOutlineNodeCreate)
        OnOutlineNodeCreate(this, aNode, aAccept);
}

void TppReport::Reset()
{
    TppBandedReport::Reset();
    if (!Printing())
        m_outline.reset();
}

const std::vector<TppCommunicator *> &TppReport::GetParticipants()
{
    m_participants.clear();
    GetOutlineParticipants(m_participants);
    return m_participants;
}

const classes::TMetaClass &TppReport::GetNodeCreatorClass() const
{
    return TppOutlineReportNodeCreator::StaticClass();
}

TppOutlineSettings *TppReport::GetOutlineSettings() const
{
    return m_outlineSettings.get();
}

void TppReport::OutlineChanged()
{
    SetModified(true);
    Reset();
}

} // namespace report
