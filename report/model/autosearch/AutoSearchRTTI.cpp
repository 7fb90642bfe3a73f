#include "report/model/autosearch/AutoSearchRTTI.h"

#include "report/model/autosearch/AutoSearchField.h"
#include "report/model/autosearch/AutoSearchGroups.h"
#include "report/model/objects/Relative.h"

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/StringList.h"

namespace report {

const TraTppAutoSearchFieldRTTI &TraTppAutoSearchFieldRTTI::Instance()
{
    static const TraTppAutoSearchFieldRTTI instance;
    return instance;
}

TraTppAutoSearchFieldRTTI::TraTppAutoSearchFieldRTTI()
    : TraRTTI(&TraTppRelativeRTTI::Instance())
{}

const classes::TMetaClass &TraTppAutoSearchFieldRTTI::RefClass() const
{
    return TppAutoSearchField::StaticClass();
}

void TraTppAutoSearchFieldRTTI::GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const
{
    TraRTTI::GetPropList(aClass, aList);
    raAddMethodName(aList, QStringLiteral("DisableCriteria"));
    raAddPropName(aList, QStringLiteral("Value"));
    raAddPropName(aList, QStringLiteral("Values"));
    raAddPropName(aList, QStringLiteral("ValueCount"));
}

bool TraTppAutoSearchFieldRTTI::GetPropRec(const classes::TMetaClass &aClass, const QString &aName,
                                           TraPropRec &aRec) const
{
    if (raSameName(aName, "DisableCriteria"))
        MethodToRec(QStringLiteral("DisableCriteria"), false, aRec);
    else if (raSameName(aName, "Value"))
        InitPropRec(QStringLiteral("Value"), TraDataType::daVariant, true, aRec);
    else if (raSameName(aName, "Values"))
        ArrayPropToRec(QStringLiteral("Values"), aRec);
    else if (raSameName(aName, "ValueCount"))
        InitPropRec(QStringLiteral("ValueCount"), TraDataType::daInteger, true, aRec);
    else
        return TraRTTI::GetPropRec(aClass, aName, aRec);
    return true;
}

std::unique_ptr<TraParamList> TraTppAutoSearchFieldRTTI::GetParams(const QString &aName) const
{
    if (!raSameName(aName, "Values"))
        return TraRTTI::GetParams(aName);
    auto params = std::make_unique<TraParamList>();
    params->AddParam(QStringLiteral("Index"), TraDataType::daInteger);
    params->AddParam(QStringLiteral("Result"), TraDataType::daVariant);
    return params;
}

bool TraTppAutoSearchFieldRTTI::CallMethod(classes::TObject *aObject, const QString &aName, TraParamList &aParams) const
{
    auto *field = dynamic_cast<TppAutoSearchField *>(aObject);
    if (field && raSameName(aName, "DisableCriteria")) {
        field->DisableCriteria();
        return true;
    }
    if (field && raSameName(aName, "Values")) {
        aParams.SetParamValue(1, field->Values(aParams.ParamValue<int32_t>(0)));
        return true;
    }
    return TraRTTI::CallMethod(aObject, aName, aParams);
}

bool TraTppAutoSearchFieldRTTI::GetPropValue(classes::TObject *aObject, const QString &aName,
                                             const TraValuePointer &aValue) const
{
    auto *field = dynamic_cast<TppAutoSearchField *>(aObject);
    if (field && raSameName(aName, "Value")) {
        raWriteValue(aValue, field->Value(), aName);
        return true;
    }
    if (field && raSameName(aName, "ValueCount")) {
        raWriteValue(aValue, int32_t(field->ValueCount()), aName);
        return true;
    }
    return TraRTTI::GetPropValue(aObject, aName, aValue);
}

void ppAutoSearchInit()
{
    classes::RegisterClasses(
        {&TppAutoSearchField::StaticClass(), &TppAutoSearchGroup::StaticClass(), &TppAutoSearchGroups::StaticClass()});
    raRegisterRTTI(TraTppAutoSearchFieldRTTI::Instance());
}

void ppAutoSearchFinalize()
{
    raUnRegisterRTTI(TraTppAutoSearchFieldRTTI::Instance());
    classes::UnRegisterClasses(
        {&TppAutoSearchField::StaticClass(), &TppAutoSearchGroup::StaticClass(), &TppAutoSearchGroups::StaticClass()});
}

} // namespace report
