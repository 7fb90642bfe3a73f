#pragma once

// Text commands whose value may be known only once the report is: a
// look-ahead value (filled by event 67), a system variable and a system
// calculation (page numbers and counts filled after the last page).

#include "report/content/drawcommands/DrawText.h"

#include <memory>

namespace report {

class TppCommunicator;
class TraParamList;

class TppDrawVariable : public TppDrawText
{
    ZVO_CLASS(TppDrawVariable)
public:
    explicit TppDrawVariable(classes::TComponent *aOwner = nullptr);
    ~TppDrawVariable() override;

    // The key and the look-ahead, and the senders the source's listener
    // hears, which the new listener hears too.
    void Assign(const classes::TPersistent *source) override;
    bool NeedsRecalculation() const override { return m_lookAhead; }
    // True while a look-ahead value can still arrive.
    bool Recalculate() override;

    bool LookAhead() const { return m_lookAhead; }
    // On: a listener subscribed to event 67 alone; off: the listener goes.
    void SetLookAhead(bool aValue);
    const QString &LookAheadKey() const { return m_lookAheadKey; }
    void SetLookAheadKey(const QString &aValue) { m_lookAheadKey = aValue; }
    int32_t TraversalCount() const { return m_traversalCount; }
    void SetTraversalCount(int32_t aValue) { m_traversalCount = aValue; }
    TppCommunicator *Listener() const { return m_listener.get(); }

private:
    void lookAheadValue(TppCommunicator *aSender, int aEventID, TraParamList *aParams);

    bool m_lookAhead = false;
    QString m_lookAheadKey;
    int32_t m_traversalCount = 0;
    std::unique_ptr<TppCommunicator> m_listener;
};

class TppDrawVar : public TppDrawText
{
    ZVO_CLASS(TppDrawVar)
public:
    explicit TppDrawVar(classes::TComponent *aOwner = nullptr);

    void Assign(const classes::TPersistent *source) override;
    // Date and time kinds match any other of those kinds: the clock moves
    // while pages are made again.
    bool IsEqual(const TppDrawCommand *aDrawCommand) const override;
    bool NeedsRecalculation() const override;
    bool Recalculate() override;

    TppVarType VarType() const { return m_varType; }
    void SetVarType(TppVarType aValue) { m_varType = aValue; }

private:
    TppVarType m_varType = TppVarType::vtDate;
};

class TppDrawCalc : public TppDrawText
{
    ZVO_CLASS(TppDrawCalc)
public:
    explicit TppDrawCalc(classes::TComponent *aOwner = nullptr);

    void Assign(const classes::TPersistent *source) override;
    bool NeedsRecalculation() const override { return true; }
    bool Recalculate() override;

    TppCalcType CalcType() const { return m_calcType; }
    void SetCalcType(TppCalcType aValue) { m_calcType = aValue; }

private:
    TppCalcType m_calcType = TppCalcType::ctDate;
};

} // namespace report
