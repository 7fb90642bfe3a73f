#include "report/content/variables/LookAheadList.h"

#include "report/content/drawcommands/DrawVariables.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/data/DataPipeline.h"
#include "report/model/engine/CustomEngine.h"
#include "report/model/objects/EventIds.h"
#include "report/model/objects/ParamList.h"
#include "report/model/reports/CustomReport.h"

namespace report {

TppLookAheadList::TppLookAheadList(TppCommunicator *aOwner)
    : m_owner(aOwner)
{}

TppLookAheadList::~TppLookAheadList()
{
    Clear();
}

void TppLookAheadList::silence(size_t aEnd)
{
    for (; m_silencedUpTo < aEnd && m_silencedUpTo < m_holders.size(); ++m_silencedUpTo)
        if (TppCommunicator *listener = m_holders[m_silencedUpTo]->Listener())
            m_owner->RemoveEventNotify(listener);
}

TppDrawVariable *TppLookAheadList::find(const QString &aKey)
{
    const auto it = m_firstIndex.constFind(aKey);
    if (it == m_firstIndex.constEnd()) {
        silence(m_holders.size());
        return nullptr;
    }
    silence(it.value());
    return m_holders[it.value()].get();
}

void TppLookAheadList::AddOrUpdate(const QString &aKey, int32_t aTraversalCount, const QString &aText)
{
    if (find(aKey)) {
        TraParamList params;
        QString key = aKey;
        int32_t count = aTraversalCount;
        QString text = aText;
        params.AddParam(QStringLiteral("aLookAheadKey"), TraDataType::daString);
        params.AddParam(QStringLiteral("aTraversalCount"), TraDataType::daInteger);
        params.AddParam(QStringLiteral("aText"), TraDataType::daString);
        params.BindParamValue(0, &key);
        params.BindParamValue(1, &count);
        params.BindParamValue(2, &text);
        m_owner->SendEventNotify(m_owner, ppEvent::LookAheadText, &params);
        return;
    }
    auto holder = std::make_unique<TppDrawVariable>(nullptr);
    holder->SetText(aText);
    holder->SetLookAhead(true);
    holder->SetLookAheadKey(aKey);
    holder->SetTraversalCount(aTraversalCount);
    m_owner->AddEventNotify(holder->Listener());
    m_firstIndex.insert(aKey, m_holders.size());
    m_holders.push_back(std::move(holder));
}

QString TppLookAheadList::GetValue(const QString &aKey, const QString &aDefault)
{
    const TppDrawVariable *holder = find(aKey);
    return holder ? holder->Text() : aDefault;
}

void TppLookAheadList::UnsubscribeAll()
{
    for (const auto &holder : m_holders)
        if (TppCommunicator *listener = holder->Listener())
            m_owner->RemoveEventNotify(listener);
    m_silencedUpTo = m_holders.size();
}

void TppLookAheadList::Clear()
{
    UnsubscribeAll();
    m_holders.clear();
    m_firstIndex.clear();
    m_silencedUpTo = 0;
}

// ---- Report facts ----------------------------------------------------------------

TppCustomReport *ppLookAheadReport(const TppComponent &aComponent)
{
    return dynamic_cast<TppCustomReport *>(aComponent.Report());
}

bool ppLookAheadKeepList(const TppComponent &aComponent, bool aHasList)
{
    const TppCustomReport *report = ppLookAheadReport(aComponent);
    return aHasList && report && report->PrintingAsSubReport();
}

TppCustomReport *ppLookAheadMainReport(const TppComponent &aComponent)
{
    TppCustomReport *report = ppLookAheadReport(aComponent);
    return report ? report->GetMainReport() : nullptr;
}

TppCustomEngine *ppLookAheadEngine(const TppComponent &aComponent)
{
    IppReportContext *report = aComponent.Report();
    return report ? report->Engine() : nullptr;
}

bool ppLookAheadFirstPass(const TppComponent &aComponent)
{
    const TppCustomReport *main = ppLookAheadMainReport(aComponent);
    const TppCustomEngine *engine = main ? main->Engine() : nullptr;
    return engine && (engine->EngineState() & ppEngineState::FirstPass) != 0;
}

int ppLookAheadPageNo(const TppComponent &aComponent)
{
    const TppCustomEngine *engine = ppLookAheadEngine(aComponent);
    return engine ? engine->PageNo() : 0;
}

int ppLookAheadColumn(const TppComponent &aComponent)
{
    const TppCustomEngine *engine = ppLookAheadEngine(aComponent);
    return engine ? engine->ColumnNo() : 0;
}

int ppLookAheadMainPageNo(const TppComponent &aComponent)
{
    const TppCustomReport *main = ppLookAheadMainReport(aComponent);
    const TppCustomEngine *engine = main ? main->Engine() : nullptr;
    return engine ? engine->PageNo() : 0;
}

QString ppLookAheadKeyPrefix(const TppComponent &aComponent, bool aActive)
{
    QString prefix;
    TppCustomReport *report = ppLookAheadReport(aComponent);
    if (aActive && report && report != report->GetMainReport())
        report->GetTreeKey(prefix);
    return prefix;
}

TppDataPipeline *ppLookAheadDetailPipeline(const TppComponent &aComponent)
{
    TppCustomReport *report = ppLookAheadReport(aComponent);
    if (!report)
        return nullptr;
    if (auto *detail = dynamic_cast<TppDetailBand *>(report->GetBand(4)))
        if (TppDataPipeline *pipeline = detail->DataPipeline())
            return pipeline;
    return report->DataPipeline();
}

QString ppLookAheadKey(int aResetNo, int aColumnNo)
{
    return QString::asprintf("%8d|%8d", aResetNo, aColumnNo);
}

void ppSetLookAhead(TppComponent &aControl, bool &aField, bool aValue)
{
    if (aControl.ReportPrinting())
        return;
    aField = aValue;
    if (aValue && !aControl.HasState(classes::csLoading | classes::csReading))
        if (TppCustomReport *main = ppLookAheadMainReport(aControl))
            main->SetPassSetting(TppPassSettingType::psTwoPass);
    aControl.PropertyChange();
}

bool ppLookAheadActive(const TppComponent &aControl, bool aLookAhead)
{
    const TppCustomReport *main = ppLookAheadMainReport(aControl);
    return aLookAhead && main && main->PassSetting() == TppPassSettingType::psTwoPass;
}

void ppLookAheadToDrawCommand(TppCommunicator &aOwner, TppLookAheadList &aList, const QString &aKey,
                              TppDrawCommand *aDrawCommand)
{
    auto *command = dynamic_cast<TppDrawVariable *>(aDrawCommand);
    auto *control = dynamic_cast<TppComponent *>(&aOwner);
    if (!command || !control)
        return;
    command->SetText(aList.GetValue(aKey, command->Text()));
    if (!ppLookAheadFirstPass(*control))
        return;
    command->SetLookAheadKey(aKey);
    command->SetLookAhead(true);
    aOwner.AddEventNotify(command->Listener());
}

} // namespace report
