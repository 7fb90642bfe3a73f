#pragma once

// TppDBCalc: a data text that aggregates a field over the records traversed
// (count, sum, minimum, maximum, average), starting again with its reset
// group. With LookAhead the pages of the first pass show the total the
// segment ends with, a group's total in its header included.

#include "report/content/text/DBText.h"
#include "report/content/variables/LookAheadList.h"

#include <memory>

namespace report {

QString ppDBCalcTypeCaption(TppDBCalcType aType);

class TppDBCalc : public TppDBText
{
    ZVO_CLASS(TppDBCalc)
public:
    explicit TppDBCalc(classes::TComponent *aOwner = nullptr);
    void BuildPopupMenu(IppPopupMenu &aMenu) override;
    void UpdatePopupMenu(IppPopupMenu &aMenu) override;
    // Pipeline, field, kind and reset group chosen in one dialog.
    void ShowCalculationsDialog();
    ~TppDBCalc() override;

    TppDBCalcType DBCalcType() const { return m_dbCalcType; }
    void SetDBCalcType(TppDBCalcType aValue);
    double Value() const { return m_value; }
    void SetValue(double aValue) { m_value = aValue; }
    double Divisor() const { return m_divisor; }
    void SetDivisor(double aValue) { m_divisor = aValue; }

    // Every run starts from nothing: the first value is taken as it is.
    bool ResetOnInit() const override { return true; }
    // Takes the field's value of the record traversed.
    void Calc();
    void Reset() override;
    void Init() override;
    void EventNotify(TppCommunicator *aCommunicator, int aEventID, TraParamList *aParams) override;
    void SaveToCache(int32_t aPageIndex) override;
    void RestoreFromCache(int32_t aPageIndex) override;
    // In the designer a control put in a group band resets with its group.
    void SetBand(TppBand *aBand) override;

    // ---- Look-ahead ----
    bool LookAhead() const { return m_lookAhead; }
    void SetLookAhead(bool aValue);
    bool LookAheadActive() const;
    TppLookAheadList *LookAheadList() const { return m_lookAheadList.get(); }
    QString LookAheadKey() const;
    int32_t TraversalCount() const;
    // The text held for a key; "0" for a key not in the list.
    QString GetLookAheadValue(const QString &aKey) const;
    void FreeLookAhead() override;
    void PropertiesToDrawCommand(TppDrawCommand *aDrawCommand) override;

    QString GetTheText() const override;
    QString GetDescription() const override;

    classes::TNotifyEvent OnCalc;
    classes::TNotifyEvent OnGroupBreak;

private:
    void setUpLookAhead();
    TppDataType formatType() const;
    QString fieldCaption() const;

    TppDBCalcType m_dbCalcType = TppDBCalcType::dcSum;
    double m_value = 0;
    double m_divisor = 0;
    bool m_lookAhead = false;
    bool m_cachedValue = false;
    std::unique_ptr<TppLookAheadList> m_lookAheadList;
};

} // namespace report
