#pragma once

// TppDBText: a field of a data pipeline, formatted by DisplayFormat and
// OnFormat, blank by its rules, and with repeated values suppressed across
// records and pages.

#include "report/content/text/CustomText.h"
#include "report/model/data/PageValues.h"

#include <QVariant>

namespace report {

class TppCustomDBTextDialog;

using TppFormatEvent = classes::TEvent<void(classes::TObject *Sender, const QString &DisplayFormat,
                                            TppDataType DataType, const QVariant &Value, QString &Text)>;

class TppDBText : public TppCustomText
{
    ZVO_CLASS(TppDBText)
public:
    explicit TppDBText(classes::TComponent *aOwner = nullptr);

    bool IsDataAware() const override { return true; }
    QString GetTheText() const override;
    QString GetDescription() const override;
    void BuildPopupMenu(IppPopupMenu &aMenu) override;
    void UpdatePopupMenu(IppPopupMenu &aMenu) override;
    // The reset group chosen among the report's groups.
    void ShowResetGroupDialog();

protected:
    // What the group choice offers and takes back: an answer that is none of
    // the report's groups (nor none) leaves the reset group as it was.
    void offerResetGroups(TppCustomDBTextDialog &aDialog) const;
    void takeResetGroup(const TppCustomDBTextDialog &aDialog);

public:
    // Clears the repeated-value state and follows the report's engine.
    void Init() override;
    void Reset() override;
    // Decides whether a repeated value is drawn.
    void AfterPlace() override;
    void EventNotify(TppCommunicator *aCommunicator, int aEventID, TraParamList *aParams) override;
    void SaveToCache(int32_t aPageIndex) override;
    void RestoreFromCache(int32_t aPageIndex) override;

    bool BlankWhenZero() const { return m_blankWhenZero; }
    void SetBlankWhenZero(bool aValue);
    bool ReprintOnSubsequent() const { return m_reprintOnSubsequent; }
    void SetReprintOnSubsequent(bool aValue) { m_reprintOnSubsequent = aValue; }
    bool SuppressRepeatedValues() const { return m_suppressRepeatedValues; }
    void SetSuppressRepeatedValues(bool aValue) { m_suppressRepeatedValues = aValue; }
    TppFormatEvent OnFormat;

    // ---- Repeated values ----
    const QString &PriorValue() const { return m_priorValue; }
    int FirstPage() const { return m_firstPage; }
    bool PriorValueSame() const { return m_priorValueSame; }
    bool AlreadyPrinted() const { return m_alreadyPrinted; }
    // The page the value was last drawn on, -1 before.
    int PrintedPage() const { return m_printedPage; }
    // After a traversal: the current text against the prior one.
    void UpdateValue();

protected:
    // The repeated-value state a descendant's cache record carries.
    void SetRepeatState(bool aPriorValueSame, bool aAlreadyPrinted, int aFirstPage, int aPrintedPage)
    {
        m_priorValueSame = aPriorValueSame;
        m_alreadyPrinted = aAlreadyPrinted;
        m_firstPage = aFirstPage;
        m_printedPage = aPrintedPage;
    }
    // The prior value is a text, kept beside the cache record: a page made
    // again would otherwise compare its first record with the value of the
    // last page generated.
    void SavePriorValue(int32_t aPageIndex) { m_pagePriorValues.Save(*this, aPageIndex, m_priorValue); }
    void RestorePriorValue(int32_t aPageIndex) { m_pagePriorValues.Restore(*this, aPageIndex, m_priorValue); }

private:
    int enginePageNo() const;
    void followEngine();

    bool m_blankWhenZero = false;
    bool m_reprintOnSubsequent = false;
    bool m_suppressRepeatedValues = false;
    QString m_currentText;
    QString m_priorValue;
    TppPageValues<QString> m_pagePriorValues;
    int m_firstPage = -1;
    bool m_priorValueSame = false;
    bool m_alreadyPrinted = false;
    int m_printedPage = -1;
};

} // namespace report
