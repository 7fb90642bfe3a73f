#include "report/content/variables/VariablesRTTI.h"

#include "report/content/text/TextRTTI.h"
#include "report/content/variables/DBCalc.h"
#include "report/content/variables/SystemVariable.h"
#include "report/content/variables/Variable.h"
#include "report/model/objects/EventIds.h"
#include "report/model/objects/ParamList.h"

#include "platform/rtl/Variants.h"

namespace report {

namespace {

struct VariablePropName
{
    const char *name;
    TraDataType type;
};

constexpr VariablePropName VariableValueProps[] = {
    {"AsBoolean", TraDataType::daBoolean},   {"AsChar", TraDataType::daChar},
    {"AsCurrency", TraDataType::daCurrency}, {"AsDateTime", TraDataType::daDateTime},
    {"AsDate", TraDataType::daDate},         {"AsDouble", TraDataType::daDouble},
    {"AsExtended", TraDataType::daExtended}, {"AsInteger", TraDataType::daInteger},
    {"AsSingle", TraDataType::daSingle},     {"AsString", TraDataType::daString},
    {"AsTime", TraDataType::daTime},         {"CalcOrder", TraDataType::daInteger},
    {"Value", TraDataType::daVariant}};

const VariablePropName *variableValueProp(const QString &aName)
{
    for (const VariablePropName &p : VariableValueProps)
        if (raSameName(aName, p.name))
            return &p;
    return nullptr;
}

std::unique_ptr<TraParamList> variableValueParams()
{
    auto params = std::make_unique<TraParamList>();
    params->AddParam(QStringLiteral("Value"), TraDataType::daVariant, true);
    return params;
}

} // namespace

// ---- TppVariable ---------------------------------------------------------------

TraTppVariableRTTI::TraTppVariableRTTI()
    : TraRTTI(&TraTppCustomTextRTTI::Instance())
{}

const TraTppVariableRTTI &TraTppVariableRTTI::Instance()
{
    static const TraTppVariableRTTI instance;
    return instance;
}

const classes::TMetaClass &TraTppVariableRTTI::RefClass() const
{
    return TppVariable::StaticClass();
}

void TraTppVariableRTTI::GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const
{
    TraRTTI::GetPropList(aClass, aList);
    for (const VariablePropName &p : VariableValueProps)
        raAddPropName(aList, QString::fromLatin1(p.name));
    for (const char *name : {"CalcComponent", "CalcType", "DataType", "ResetComponent", "ResetType"})
        raAddPropName(aList, QString::fromLatin1(name));
}

void TraTppVariableRTTI::GetEventList(const classes::TMetaClass &aClass, classes::TStrings &aList) const
{
    TraRTTI::GetEventList(aClass, aList);
    raAddPropName(aList, QStringLiteral("OnCalc"));
    raAddPropName(aList, QStringLiteral("OnReset"));
    raAddPropName(aList, QStringLiteral("OldOnCalc"));
}

bool TraTppVariableRTTI::GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const
{
    if (raSameName(aName, "OnCalc"))
        EventToRec(QStringLiteral("OnCalc"), ppEvent::OnCalc, true, aRec);
    else if (raSameName(aName, "OnReset"))
        EventToRec(QStringLiteral("OnReset"), ppEvent::OnReset, true, aRec);
    else if (const VariablePropName *p = variableValueProp(aName))
        InitPropRec(QString::fromLatin1(p->name), p->type, false, aRec);
    else if (raSameName(aName, "CalcComponent") || raSameName(aName, "ResetComponent"))
        ClassPropToRec(raSameName(aName, "CalcComponent") ? QStringLiteral("CalcComponent")
                                                          : QStringLiteral("ResetComponent"),
                       TppCommunicator::StaticClass(), false, aRec);
    else if (raSameName(aName, "CalcType") || raSameName(aName, "ResetType"))
        EnumPropToRec(raSameName(aName, "CalcType") ? QStringLiteral("CalcType") : QStringLiteral("ResetType"),
                      QStringLiteral("TppVarEventType"), false, aRec);
    else if (raSameName(aName, "DataType"))
        EnumPropToRec(QStringLiteral("DataType"), QStringLiteral("TppDataType"), false, aRec);
    else
        return TraRTTI::GetPropRec(aClass, aName, aRec);
    return true;
}

std::unique_ptr<TraParamList> TraTppVariableRTTI::GetParams(const QString &aName) const
{
    if (raSameName(aName, "OnCalc") || raSameName(aName, "OnReset"))
        return variableValueParams();
    return TraRTTI::GetParams(aName);
}

bool TraTppVariableRTTI::GetPropValue(classes::TObject *aObject, const QString &aName,
                                      const TraValuePointer &aValue) const
{
    auto *v = dynamic_cast<TppVariable *>(aObject);
    if (!v)
        return TraRTTI::GetPropValue(aObject, aName, aValue);
    if (raSameName(aName, "AsBoolean"))
        raWriteValue(aValue, v->AsBoolean(), aName);
    else if (raSameName(aName, "AsChar"))
        raWriteValue(aValue, v->AsChar(), aName);
    else if (raSameName(aName, "AsCurrency"))
        raWriteValue(aValue, v->AsCurrency(), aName);
    else if (raSameName(aName, "AsDateTime") || raSameName(aName, "AsDate") || raSameName(aName, "AsTime"))
        raWriteValue(aValue, v->AsDateTime(), aName);
    else if (raSameName(aName, "AsDouble"))
        raWriteValue(aValue, v->AsDouble(), aName);
    else if (raSameName(aName, "AsExtended"))
        raWriteValue(aValue, v->AsExtended(), aName);
    else if (raSameName(aName, "AsInteger"))
        raWriteValue(aValue, v->AsInteger(), aName);
    else if (raSameName(aName, "AsSingle"))
        raWriteValue(aValue, v->AsSingle(), aName);
    else if (raSameName(aName, "AsString"))
        raWriteValue(aValue, v->AsString(), aName);
    else if (raSameName(aName, "CalcOrder"))
        raWriteValue(aValue, int32_t(v->CalcOrder()), aName);
    else if (raSameName(aName, "Value"))
        raWriteValue(aValue, v->Value(), aName);
    else if (raSameName(aName, "CalcComponent"))
        raWriteValue(aValue, static_cast<classes::TObject *>(v->CalcComponent()), aName);
    else if (raSameName(aName, "ResetComponent"))
        raWriteValue(aValue, static_cast<classes::TObject *>(v->ResetComponent()), aName);
    else if (raSameName(aName, "CalcType"))
        raWriteValue(aValue, v->CalcType(), aName);
    else if (raSameName(aName, "ResetType"))
        raWriteValue(aValue, v->ResetType(), aName);
    else if (raSameName(aName, "DataType"))
        raWriteValue(aValue, v->DataType(), aName);
    else
        return TraRTTI::GetPropValue(aObject, aName, aValue);
    return true;
}

bool TraTppVariableRTTI::SetPropValue(classes::TObject *aObject, const QString &aName,
                                      const TraValuePointer &aValue) const
{
    auto *v = dynamic_cast<TppVariable *>(aObject);
    if (!v)
        return TraRTTI::SetPropValue(aObject, aName, aValue);
    if (raSameName(aName, "AsBoolean"))
        v->SetAsBoolean(raReadValue<bool>(aValue, aName));
    else if (raSameName(aName, "AsChar"))
        v->SetAsChar(raReadValue<QChar>(aValue, aName));
    else if (raSameName(aName, "AsCurrency"))
        v->SetAsCurrency(raReadValue<int64_t>(aValue, aName));
    else if (raSameName(aName, "AsDateTime"))
        v->SetAsDateTime(raReadValue<double>(aValue, aName));
    else if (raSameName(aName, "AsDate"))
        v->SetAsDate(raReadValue<double>(aValue, aName));
    else if (raSameName(aName, "AsTime"))
        v->SetAsTime(raReadValue<double>(aValue, aName));
    else if (raSameName(aName, "AsDouble"))
        v->SetAsDouble(raReadValue<double>(aValue, aName));
    else if (raSameName(aName, "AsExtended"))
        v->SetAsExtended(raReadValue<long double>(aValue, aName));
    else if (raSameName(aName, "AsInteger"))
        v->SetAsInteger(raReadValue<int32_t>(aValue, aName));
    else if (raSameName(aName, "AsSingle"))
        v->SetAsSingle(raReadValue<float>(aValue, aName));
    else if (raSameName(aName, "AsString") || raSameName(aName, "Text"))
        v->SetAsString(raReadValue<QString>(aValue, aName));
    else if (raSameName(aName, "CalcOrder"))
        v->SetCalcOrder(raReadValue<int32_t>(aValue, aName));
    else if (raSameName(aName, "Value"))
        v->SetValue(raReadValue<QVariant>(aValue, aName));
    else if (raSameName(aName, "CalcComponent") || raSameName(aName, "ResetComponent")) {
        TppCommunicator *component = nullptr;
        if (!raReadObjectOf(aValue, aName, component))
            return false;
        if (raSameName(aName, "CalcComponent"))
            v->SetCalcComponent(component);
        else
            v->SetResetComponent(component);
    } else if (raSameName(aName, "CalcType") || raSameName(aName, "ResetType")) {
        TppVarEventType value{};
        if (!raReadEnumeration(aValue, aName, EnumInfo<TppVarEventType>(), value))
            return false;
        if (raSameName(aName, "CalcType"))
            v->SetCalcType(value);
        else
            v->SetResetType(value);
    } else if (raSameName(aName, "DataType")) {
        TppDataType value{};
        if (!raReadEnumeration(aValue, aName, EnumInfo<TppDataType>(), value))
            return false;
        v->SetDataType(value);
    } else
        return TraRTTI::SetPropValue(aObject, aName, aValue);
    return true;
}

// ---- TppSystemVariable ---------------------------------------------------------

TraTppSystemVariableRTTI::TraTppSystemVariableRTTI()
    : TraRTTI(&TraTppCustomTextRTTI::Instance())
{}

const TraTppSystemVariableRTTI &TraTppSystemVariableRTTI::Instance()
{
    static const TraTppSystemVariableRTTI instance;
    return instance;
}

const classes::TMetaClass &TraTppSystemVariableRTTI::RefClass() const
{
    return TppSystemVariable::StaticClass();
}

void TraTppSystemVariableRTTI::GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const
{
    TraRTTI::GetPropList(aClass, aList);
    raAddPropName(aList, QStringLiteral("VarType"));
}

bool TraTppSystemVariableRTTI::GetPropRec(const classes::TMetaClass &aClass, const QString &aName,
                                          TraPropRec &aRec) const
{
    if (!raSameName(aName, "VarType"))
        return TraRTTI::GetPropRec(aClass, aName, aRec);
    EnumPropToRec(QStringLiteral("VarType"), QStringLiteral("TppVarType"), false, aRec);
    return true;
}

bool TraTppSystemVariableRTTI::GetPropValue(classes::TObject *aObject, const QString &aName,
                                            const TraValuePointer &aValue) const
{
    auto *v = dynamic_cast<TppSystemVariable *>(aObject);
    if (!v || !raSameName(aName, "VarType"))
        return TraRTTI::GetPropValue(aObject, aName, aValue);
    raWriteValue(aValue, v->VarType(), aName);
    return true;
}

bool TraTppSystemVariableRTTI::SetPropValue(classes::TObject *aObject, const QString &aName,
                                            const TraValuePointer &aValue) const
{
    auto *v = dynamic_cast<TppSystemVariable *>(aObject);
    if (!v || !raSameName(aName, "VarType"))
        return TraRTTI::SetPropValue(aObject, aName, aValue);
    TppVarType value{};
    if (!raReadEnumeration(aValue, aName, EnumInfo<TppVarType>(), value))
        return false;
    v->SetVarType(value);
    return true;
}

// ---- TppDBCalc -----------------------------------------------------------------

TraTppDBCalcRTTI::TraTppDBCalcRTTI()
    : TraRTTI(&TraTppDBTextRTTI::Instance())
{}

const TraTppDBCalcRTTI &TraTppDBCalcRTTI::Instance()
{
    static const TraTppDBCalcRTTI instance;
    return instance;
}

const classes::TMetaClass &TraTppDBCalcRTTI::RefClass() const
{
    return TppDBCalc::StaticClass();
}

void TraTppDBCalcRTTI::GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const
{
    TraRTTI::GetPropList(aClass, aList);
    raAddPropName(aList, QStringLiteral("Divisor"));
    raAddPropName(aList, QStringLiteral("Value"));
    raAddPropName(aList, QStringLiteral("DBCalcType"));
    raAddMethodName(aList, QStringLiteral("Clear"));
    raAddMethodName(aList, QStringLiteral("GetLookAheadKey"));
    raAddMethodName(aList, QStringLiteral("GetLookAheadValue"));
}

void TraTppDBCalcRTTI::GetEventList(const classes::TMetaClass &aClass, classes::TStrings &aList) const
{
    TraRTTI::GetEventList(aClass, aList);
    raAddPropName(aList, QStringLiteral("OnCalc"));
}

bool TraTppDBCalcRTTI::GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const
{
    if (raSameName(aName, "Divisor"))
        InitPropRec(QStringLiteral("Divisor"), TraDataType::daDouble, false, aRec);
    else if (raSameName(aName, "Value"))
        InitPropRec(QStringLiteral("Value"), TraDataType::daDouble, false, aRec);
    else if (raSameName(aName, "DBCalcType"))
        EnumPropToRec(QStringLiteral("DBCalcType"), QStringLiteral("TppDBCalcType"), false, aRec);
    else if (raSameName(aName, "OnCalc"))
        EventToRec(QStringLiteral("OnCalc"), ppEvent::OnCalc, false, aRec);
    else if (raSameName(aName, "Clear"))
        MethodToRec(QStringLiteral("Clear"), false, aRec);
    else if (raSameName(aName, "GetLookAheadKey"))
        MethodToRec(QStringLiteral("GetLookAheadKey"), true, aRec);
    else if (raSameName(aName, "GetLookAheadValue"))
        MethodToRec(QStringLiteral("GetLookAheadValue"), true, aRec);
    else
        return TraRTTI::GetPropRec(aClass, aName, aRec);
    return true;
}

std::unique_ptr<TraParamList> TraTppDBCalcRTTI::GetParams(const QString &aName) const
{
    if (raSameName(aName, "GetLookAheadKey")) {
        auto params = std::make_unique<TraParamList>();
        params->AddParam(QStringLiteral("Result"), TraDataType::daString);
        return params;
    }
    if (raSameName(aName, "GetLookAheadValue")) {
        auto params = std::make_unique<TraParamList>();
        params->AddParam(QStringLiteral("aLookAheadKey"), TraDataType::daString);
        params->AddParam(QStringLiteral("Result"), TraDataType::daString);
        return params;
    }
    return TraRTTI::GetParams(aName);
}

bool TraTppDBCalcRTTI::CallMethod(classes::TObject *aObject, const QString &aName, TraParamList &aParams) const
{
    auto *c = dynamic_cast<TppDBCalc *>(aObject);
    if (!c)
        return TraRTTI::CallMethod(aObject, aName, aParams);
    if (raSameName(aName, "Clear"))
        c->Reset();
    else if (raSameName(aName, "GetLookAheadKey"))
        aParams.SetParamValue(0, c->LookAheadKey());
    else if (raSameName(aName, "GetLookAheadValue"))
        aParams.SetParamValue(1, c->GetLookAheadValue(aParams.ParamValue<QString>(0)));
    else
        return TraRTTI::CallMethod(aObject, aName, aParams);
    return true;
}

bool TraTppDBCalcRTTI::GetPropValue(classes::TObject *aObject, const QString &aName,
                                    const TraValuePointer &aValue) const
{
    auto *c = dynamic_cast<TppDBCalc *>(aObject);
    if (!c)
        return TraRTTI::GetPropValue(aObject, aName, aValue);
    if (raSameName(aName, "Divisor"))
        raWriteValue(aValue, c->Divisor(), aName);
    else if (raSameName(aName, "Value"))
        raWriteValue(aValue, c->Value(), aName);
    else if (raSameName(aName, "DBCalcType"))
        raWriteValue(aValue, c->DBCalcType(), aName);
    else
        return TraRTTI::GetPropValue(aObject, aName, aValue);
    return true;
}

bool TraTppDBCalcRTTI::SetPropValue(classes::TObject *aObject, const QString &aName,
                                    const TraValuePointer &aValue) const
{
    auto *c = dynamic_cast<TppDBCalc *>(aObject);
    if (!c)
        return TraRTTI::SetPropValue(aObject, aName, aValue);
    if (raSameName(aName, "Divisor"))
        c->SetDivisor(raReadValue<double>(aValue, aName));
    else if (raSameName(aName, "Value")) {
        // Any value a script holds, converted to a number.
        if (const QVariant *variant = std::get_if<QVariant *>(&aValue) ? *std::get_if<QVariant *>(&aValue) : nullptr)
            c->SetValue(double(rtl::VarToExtended(*variant)));
        else
            c->SetValue(raReadValue<double>(aValue, aName));
    } else if (raSameName(aName, "DBCalcType")) {
        TppDBCalcType value{};
        if (!raReadEnumeration(aValue, aName, EnumInfo<TppDBCalcType>(), value))
            return false;
        c->SetDBCalcType(value);
    } else
        return TraRTTI::SetPropValue(aObject, aName, aValue);
    return true;
}

} // namespace report
