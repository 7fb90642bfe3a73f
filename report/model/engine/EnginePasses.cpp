#include "report/model/engine/EnginePasses.h"

#include "report/model/engine/CustomEngine.h"
#include "report/model/objects/EventIds.h"
#include "report/model/reports/CustomReport.h"

namespace report {

void TppEnginePasses::Start(TppCustomEngine &aEngine, TppCustomReport &aReport, bool aPageCountKnown)
{
    aEngine.ExcludeEngineState(ppEngineState::FirstPass | ppEngineState::SecondPass);
    const bool second = aReport.PassSetting() == TppPassSettingType::psTwoPass && aPageCountKnown;
    aEngine.IncludeEngineState(second ? ppEngineState::SecondPass : ppEngineState::FirstPass);
    bool &fired = second ? m_startSecondFired : m_startFirstFired;
    if (fired)
        return;
    fired = true;
    if (second)
        aReport.DoEngineEvent(aReport.OnStartSecondPass, ppEvent::OnStartSecondPass);
    else
        aReport.DoEngineEvent(aReport.OnStartFirstPass, ppEvent::OnStartFirstPass);
}

void TppEnginePasses::End(TppCustomEngine &aEngine, TppCustomReport &aReport, bool aPageCountKnown)
{
    if (!aPageCountKnown || aEngine.PageNo() != aEngine.PageCount())
        return;
    if (aEngine.EngineState() & ppEngineState::FirstPass) {
        if (m_endFirstFired)
            return;
        m_endFirstFired = true;
        // The report owns the engine: the handler may free both.
        const std::weak_ptr<char> alive = aEngine.AliveToken();
        aReport.DoEngineEvent(aReport.OnEndFirstPass, ppEvent::OnEndFirstPass);
        if (!alive.expired())
            aEngine.ExcludeEngineState(ppEngineState::FirstPass);
    } else if (aEngine.EngineState() & ppEngineState::SecondPass) {
        if (m_endSecondFired)
            return;
        m_endSecondFired = true;
        const std::weak_ptr<char> alive = aEngine.AliveToken();
        aReport.DoEngineEvent(aReport.OnEndSecondPass, ppEvent::OnEndSecondPass);
        if (!alive.expired())
            aEngine.ExcludeEngineState(ppEngineState::SecondPass);
    }
}

void TppEnginePasses::RunStarted()
{
    *this = TppEnginePasses();
}

void TppEnginePasses::CountForgotten()
{
    m_endFirstFired = false;
    m_startSecondFired = false;
}

bool TppEnginePasses::PassWantsPage(int aEngineState, TppPassSettingType aPassSetting, int aPageNo, int aRequested)
{
    const bool twoPass = aPassSetting == TppPassSettingType::psTwoPass;
    if (aEngineState & ppEngineState::FirstPass)
        return !twoPass || aPageNo == aRequested;
    return (aEngineState & ppEngineState::SecondPass) && twoPass;
}

bool TppEnginePasses::IsFinal(int aEngineState, TppPassSettingType aPassSetting, bool aPageWanted)
{
    if (aPassSetting == TppPassSettingType::psTwoPass)
        return (aEngineState & ppEngineState::SecondPass) && aPageWanted;
    return (aEngineState & ppEngineState::FirstPass) != 0;
}

} // namespace report
