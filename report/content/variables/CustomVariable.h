#pragma once

// TppCustomVariable: the base of the variable and the system variable. Its
// value has a data type, which the draw command carries along, and it may
// show a value that is known only later (look-ahead).

#include "report/content/text/CustomText.h"

namespace report {

class TppCustomVariable : public TppCustomText
{
    ZVO_CLASS(TppCustomVariable)
public:
    explicit TppCustomVariable(classes::TComponent *aOwner = nullptr);
    void BuildPopupMenu(IppPopupMenu &aMenu) override;
    void UpdatePopupMenu(IppPopupMenu &aMenu) override;

    virtual TppDataType DataType() const { return TppDataType::dtString; }
    virtual bool LookAhead() const { return false; }
    virtual void SetLookAhead(bool) {}
    // The designer's "LookAhead" item.
    void ToggleLookAhead() { SetLookAhead(!LookAhead()); }
    void PropertiesToDrawCommand(TppDrawCommand *aDrawCommand) override;
};

// A computed value as its text. A date or time beyond the calendar (a sum
// of dates, a moment pushed past the year 9999) shows its plain number: the
// print goes on and nothing of the value is hidden.
QString ppFormatComputedValue(const QString &aDisplayFormat, TppDataType aDataType, const QVariant &aValue);

} // namespace report
