#include "report/content/variables/SystemVariable.h"

#include "report/content/drawcommands/DrawVariables.h"
#include "report/content/variables/LookAheadList.h"
#include "report/model/bands/PublishedGeometry.h"
#include "report/model/base/DisplayFormat.h"
#include "report/model/base/Messages.h"
#include "report/model/base/Utils.h"
#include "report/model/engine/Engine.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/model/reports/CustomReport.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/rtl/DateTime.h"

namespace report {

namespace {

struct SystemVariableFacts
{
    bool printing = false;
    int pageNo = 1;
    int pageCount = 1;
    rtl::TDateTime printDateTime = 0;
};

SystemVariableFacts systemVariableFacts(const TppComponent &aComponent)
{
    SystemVariableFacts facts;
    facts.printing = aComponent.ReportPrinting();
    facts.printDateTime = rtl::Now();
    auto *report = dynamic_cast<TppCustomReport *>(aComponent.Report());
    const TppCustomEngine *engine = report ? report->PageNumberEngine() : ppLookAheadEngine(aComponent);
    if (!facts.printing || !engine)
        return facts;
    facts.pageNo = engine->GetPageNoForDisplay();
    facts.pageCount = engine->GetPageCountForDisplay();
    if (const auto *full = dynamic_cast<const TppEngine *>(engine))
        facts.printDateTime = full->PrintDateTime();
    return facts;
}

} // namespace

TppDataType ppVarTypeDataType(TppVarType aType)
{
    switch (aType) {
    case TppVarType::vtDate: return TppDataType::dtDate;
    case TppVarType::vtDateTime:
    case TppVarType::vtPrintDateTime: return TppDataType::dtDateTime;
    case TppVarType::vtPageCount:
    case TppVarType::vtPageNo: return TppDataType::dtInteger;
    case TppVarType::vtDocumentName:
    case TppVarType::vtPageSet:
    case TppVarType::vtPageSetDesc:
    case TppVarType::vtPageNoDesc: return TppDataType::dtString;
    case TppVarType::vtTime: return TppDataType::dtTime;
    }
    return TppDataType::dtNotKnown;
}

bool ppVarTypeIsText(TppVarType aType)
{
    return aType == TppVarType::vtDocumentName || aType == TppVarType::vtPageSet ||
           aType == TppVarType::vtPageSetDesc || aType == TppVarType::vtPageNoDesc;
}

QString ppVarTypeCaption(TppVarType aType)
{
    switch (aType) {
    case TppVarType::vtDate: return ppLoadStr(303);
    case TppVarType::vtDateTime: return ppLoadStr(304);
    case TppVarType::vtDocumentName: return ppLoadStr(1127);
    case TppVarType::vtPrintDateTime: return ppLoadStr(305);
    case TppVarType::vtPageCount: return ppLoadStr(306);
    case TppVarType::vtPageSet: return ppLoadStr(307);
    case TppVarType::vtPageSetDesc: return ppLoadStr(308);
    case TppVarType::vtPageNo: return ppLoadStr(309);
    case TppVarType::vtPageNoDesc: return ppLoadStr(310);
    case TppVarType::vtTime: return ppLoadStr(311);
    }
    return QString();
}

QVariant ppSystemVariableValue(const TppComponent &aComponent, TppVarType aType)
{
    const SystemVariableFacts facts = systemVariableFacts(aComponent);
    switch (aType) {
    case TppVarType::vtDate: return QVariant(rtl::Date());
    case TppVarType::vtDateTime:
    case TppVarType::vtTime: return QVariant(rtl::Now());
    case TppVarType::vtDocumentName: {
        const TppCustomReport *report = ppLookAheadReport(aComponent);
        const TppPrinterSetup *setup = report ? report->PrinterSetup() : nullptr;
        return QVariant(setup ? setup->DocumentName() : QString());
    }
    case TppVarType::vtPrintDateTime: return QVariant(facts.printDateTime);
    case TppVarType::vtPageCount: return QVariant(facts.pageCount);
    case TppVarType::vtPageNo: return QVariant(facts.pageNo);
    case TppVarType::vtPageSet:
    case TppVarType::vtPageSetDesc:
    case TppVarType::vtPageNoDesc:
        return QVariant(ppSystemVariableToText(aType, facts.pageNo, facts.pageCount, facts.printing,
                                               aComponent.GetLanguageIndex(), facts.printDateTime));
    }
    return QVariant();
}

const classes::TMetaClass &TppSystemVariable::StaticClass()
{
    using C = TppSystemVariable;
    static const classes::TMetaClass meta =
        classes::MakeClass<C, TppCustomVariable>("TppSystemVariable", [](classes::TClassBuilder<C> &c) {
            c.Boolean("AutoSize", &C::AutoSize, &C::SetAutoSize).Default(false);
            c.Integer("Color", &C::Color, &C::SetColor).Default(0xFFFFFF);
            c.String("DisplayFormat", &C::DisplayFormat, &C::SetDisplayFormat);
            c.Object("Font", &C::Font, &C::SetFont);
            c.Event("OnFormat", &C::OnFormat, QStringLiteral("TppFormatEvent"));
            c.Enum("TextAlignment", EnumInfo<TppTextAlignment>(), &C::TextAlignment, &C::SetTextAlignment)
                .Default(TppTextAlignment::taLeftJustified);
            c.Boolean("Transparent", &C::Transparent, &C::SetTransparent).Default(false);
            c.Enum("VarType", EnumInfo<TppVarType>(), &C::VarType, &C::SetVarType).Default(TppVarType::vtDate);
            c.Boolean("Visible", &C::Visible, &C::SetVisible).Default(true);
            c.Boolean("WordWrap", &C::WordWrap, &C::SetWordWrap).Default(false);
            ppPublishBounds(c);
        });
    return meta;
}

TppSystemVariable::TppSystemVariable(classes::TComponent *aOwner)
    : TppCustomVariable(aOwner)
{
    SetDrawCommandClass(&TppDrawVar::StaticClass());
}

void TppSystemVariable::SetVarType(TppVarType aValue)
{
    m_varType = int(aValue) <= int(TppVarType::vtTime) ? aValue : TppVarType::vtDate;
    if (!loadingOrReading() && (m_varType == TppVarType::vtPageSet || m_varType == TppVarType::vtPageSetDesc))
        if (TppCustomReport *main = ppLookAheadMainReport(*this))
            main->SetPassSetting(TppPassSettingType::psTwoPass);
    if (!ReportPrinting())
        InvalidateDesignControl();
    PropertyChange();
}

void TppSystemVariable::SetDisplayFormat(const QString &aValue)
{
    TppCustomVariable::SetDisplayFormat(aValue);
    InvalidateDesignControl();
}

QString TppSystemVariable::GetTheText() const
{
    const QVariant value = Value();
    const TppDataType dataType = DataType();
    QString text = ppVarTypeIsText(m_varType)
                       ? value.toString()
                       : ppFormatDisplayValue(OnFormat ? QString() : DisplayFormat(), dataType, value);
    if (OnFormat)
        OnFormat(const_cast<TppSystemVariable *>(this), DisplayFormat(), dataType, value, text);
    return text;
}

QString TppSystemVariable::GetDescription() const
{
    return UserName() + QStringLiteral(": ") + ppVarTypeCaption(m_varType);
}

QString TppSystemVariable::GetClassDescription() const
{
    return ppLoadStr(378);
}

void TppSystemVariable::PropertiesToDrawCommand(TppDrawCommand *aDrawCommand)
{
    // The text's handlers may free the control.
    const std::weak_ptr<char> alive = AliveToken();
    TppCustomVariable::PropertiesToDrawCommand(aDrawCommand);
    if (alive.expired())
        return;
    if (auto *command = dynamic_cast<TppDrawVar *>(aDrawCommand))
        command->SetVarType(m_varType);
}

QStringList TppSystemVariable::VarTypeCaptions()
{
    QStringList captions;
    for (int kind = 0; kind <= int(TppVarType::vtTime); ++kind) {
        QString caption = ppVarTypeCaption(TppVarType(kind));
        if (TppVarType(kind) == TppVarType::vtDocumentName)
            caption.remove(QLatin1Char(' '));
        captions << caption;
    }
    return captions;
}

} // namespace report
