#include "report/content/variables/CustomVariable.h"

#include "report/model/base/DisplayFormat.h"
#include "report/model/pages/DrawCommand.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Variants.h"

namespace report {

const classes::TMetaClass &TppCustomVariable::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<TppCustomVariable, TppCustomText>("TppCustomVariable", [](auto &) {});
    return meta;
}

TppCustomVariable::TppCustomVariable(classes::TComponent *aOwner)
    : TppCustomText(aOwner)
{
    // The value is known only while printing: the bounds set stay.
    SetAutoSize(false);
}

void TppCustomVariable::PropertiesToDrawCommand(TppDrawCommand *aDrawCommand)
{
    // The text's handlers may free the control.
    const std::weak_ptr<char> alive = AliveToken();
    TppCustomText::PropertiesToDrawCommand(aDrawCommand);
    if (alive.expired())
        return;
    if (aDrawCommand)
        aDrawCommand->SetDataType(DataType());
}

QString ppFormatComputedValue(const QString &aDisplayFormat, TppDataType aDataType, const QVariant &aValue)
{
    const bool moment =
        aDataType == TppDataType::dtDate || aDataType == TppDataType::dtTime || aDataType == TppDataType::dtDateTime;
    if (moment && rtl::VarIsNumber(aValue)) {
        const double days = aValue.toDouble();
        rtl::TDateParts date;
        rtl::TTimeParts time;
        int dayOfWeek = 0;
        if (!rtl::TryDecodeDateTime(days, date, time, dayOfWeek))
            return ppFormatDisplayValue(QString(), TppDataType::dtDouble, QVariant(days));
    }
    return ppFormatDisplayValue(aDisplayFormat, aDataType, aValue);
}

} // namespace report
