#pragma once

// The passes of a run. A one-pass report delivers its pages as it reaches
// them; a two-pass report first runs through to learn its page count and
// delivers in the second pass. The report hears each pass start and end
// once per run, however many requests the run serves.

#include "report/model/base/Types.h"

namespace report {

class TppCustomEngine;
class TppCustomReport;

class TppEnginePasses
{
public:
    // Marks the pass the next page runs in on the engine, and tells the
    // report when that pass starts.
    void Start(TppCustomEngine &aEngine, TppCustomReport &aReport, bool aPageCountKnown);
    // Tells the report when the last page of its pass has ended.
    void End(TppCustomEngine &aEngine, TppCustomReport &aReport, bool aPageCountKnown);
    // A new run: every pass is heard again.
    void RunStarted();
    // The page count is forgotten: the first pass ends and the second
    // starts again.
    void CountForgotten();
    bool SecondPassStarted() const { return m_startSecondFired; }
    // A report without data has no second pass to start.
    void SkipSecondPassStart() { m_startSecondFired = true; }

    // Whether the pass, by itself, wants the page; aRequested is the page
    // the request names.
    static bool PassWantsPage(int aEngineState, TppPassSettingType aPassSetting, int aPageNo, int aRequested);
    // Whether a page of the pass is as it will stay.
    static bool IsFinal(int aEngineState, TppPassSettingType aPassSetting, bool aPageWanted);

private:
    bool m_startFirstFired = false;
    bool m_endFirstFired = false;
    bool m_startSecondFired = false;
    bool m_endSecondFired = false;
};

} // namespace report
