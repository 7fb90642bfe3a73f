#include "report/content/variables/CustomVariable.h"

#include "report/model/pages/DrawCommand.h"

#include "platform/classes/ClassBuilder.h"

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
    TppCustomText::PropertiesToDrawCommand(aDrawCommand);
    if (aDrawCommand)
        aDrawCommand->SetDataType(DataType());
}

} // namespace report
