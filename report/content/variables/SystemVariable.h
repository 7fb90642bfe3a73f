#pragma once

// TppSystemVariable: prints what the report itself knows: the date and
// time, the document name, the print date-time, the page number and count
// and the texts made of them. Page values the first pass does not know yet
// are filled in by the draw command once the page count is.

#include "report/content/text/DBText.h"
#include "report/content/variables/CustomVariable.h"

#include <QVariant>

namespace report {

// The caption of a system-variable kind.
QString ppVarTypeCaption(TppVarType aType);
// The value of a kind for a control of a report, as printing or the designer
// gives it; the text kinds give their text.
QVariant ppSystemVariableValue(const TppComponent &aComponent, TppVarType aType);
// The data type a kind formats with; dtNotKnown for another value.
TppDataType ppVarTypeDataType(TppVarType aType);
bool ppVarTypeIsText(TppVarType aType);

class TppSystemVariable : public TppCustomVariable
{
    ZVO_CLASS(TppSystemVariable)
public:
    explicit TppSystemVariable(classes::TComponent *aOwner = nullptr);

    TppVarType VarType() const { return m_varType; }
    // The page-set texts need the page count: the report runs two passes.
    void SetVarType(TppVarType aValue);
    void SetDisplayFormat(const QString &aValue) override;
    TppDataType DataType() const override { return ppVarTypeDataType(m_varType); }
    QVariant Value() const { return ppSystemVariableValue(*this, m_varType); }

    QString GetTheText() const override;
    QString GetDescription() const override;
    QString GetClassDescription() const override;
    void PropertiesToDrawCommand(TppDrawCommand *aDrawCommand) override;
    // The kinds' captions for property editors.
    static QStringList VarTypeCaptions();

    TppFormatEvent OnFormat;

private:
    TppVarType m_varType = TppVarType::vtDate;
};

} // namespace report
