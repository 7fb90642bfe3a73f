#include "report/model/data/DataPipelineRTTI.h"

#include "report/model/data/DataPipeline.h"
#include "report/model/objects/EventIds.h"
#include "report/model/data/PipelineFields.h"

#include "platform/classes/MetaClass.h"

namespace report {

using classes::TMetaClass;

namespace {

struct EventName
{
    const char *name;
    int id;
};

constexpr EventName Events[] = {
    {"OnRecordPositionChange", ppEvent::OnRecordPositionChange},
    {"OnMasterRecordPositionChange", ppEvent::OnMasterRecordPositionChange},
    {"OnTraversal", ppEvent::OnTraversal},
    {"OnGotoBookmark", ppEvent::OnGotoBookmark},
    {"OnDataChange", ppEvent::OnDataChange},
    {"OnFirst", ppEvent::OnFirst},
    {"OnNext", ppEvent::OnNext},
    {"OnPrior", ppEvent::OnPrior},
    {"OnLast", ppEvent::OnLast},
    {"OnOpen", ppEvent::OnOpen},
    {"OnClose", ppEvent::OnClose},
};

constexpr const char *ReadOnlyBooleans[] = {"Active",      "BOF",        "DataTraversed", "EOF",
                                            "FirstRecord", "LastRecord", "NoRecords"};
constexpr const char *ReadOnlyIntegers[] = {"TraversalCount", "FieldCount", "LinkCount"};
constexpr const char *ByName[] = {"FieldValues", "FieldObjects", "GetFieldValue"};
constexpr const char *ByIndex[] = {"Fields", "Links"};

template <size_t N>
const char *ownName(const QString &aName, const char *const (&aNames)[N])
{
    for (const char *name : aNames)
        if (raSameName(aName, name))
            return name;
    return nullptr;
}

} // namespace

TraTppDataPipelineRTTI::TraTppDataPipelineRTTI()
    : TraRTTI(&TraTppRelativeRTTI::Instance())
{}

const TraTppDataPipelineRTTI &TraTppDataPipelineRTTI::Instance()
{
    static const TraTppDataPipelineRTTI instance;
    return instance;
}

const TMetaClass &TraTppDataPipelineRTTI::RefClass() const
{
    return TppDataPipeline::StaticClass();
}

void TraTppDataPipelineRTTI::GetPropList(const TMetaClass &aClass, classes::TStrings &aList) const
{
    TraRTTI::GetPropList(aClass, aList);
    for (const char *name : ReadOnlyBooleans)
        raAddPropName(aList, QString::fromLatin1(name));
    for (const char *name : ReadOnlyIntegers)
        raAddPropName(aList, QString::fromLatin1(name));
    for (const char *name : {"DataView", "CurrentField", "SkipWhenNoRecords", "Visible", "MasterDataPipeline",
                             "FieldValues", "FieldObjects", "Fields", "Links"})
        raAddPropName(aList, QString::fromLatin1(name));
    raAddMethodName(aList, QStringLiteral("GetFieldValue"));
}

void TraTppDataPipelineRTTI::GetEventList(const TMetaClass &aClass, classes::TStrings &aList) const
{
    TraRTTI::GetEventList(aClass, aList);
    for (const EventName &e : Events)
        raAddPropName(aList, QString::fromLatin1(e.name));
}

bool TraTppDataPipelineRTTI::GetPropRec(const TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const
{
    for (const EventName &e : Events)
        if (raSameName(aName, e.name)) {
            EventToRec(QString::fromLatin1(e.name), e.id, false, aRec);
            return true;
        }
    if (const char *name = ownName(aName, ReadOnlyBooleans))
        InitPropRec(QString::fromLatin1(name), TraDataType::daBoolean, true, aRec);
    else if (const char *integer = ownName(aName, ReadOnlyIntegers))
        InitPropRec(QString::fromLatin1(integer), TraDataType::daInteger, true, aRec);
    else if (raSameName(aName, "DataView"))
        ClassPropToRec(QStringLiteral("DataView"), classes::TComponent::StaticClass(), true, aRec);
    else if (raSameName(aName, "CurrentField"))
        ClassPropToRec(QStringLiteral("CurrentField"), TppField::StaticClass(), true, aRec);
    else if (raSameName(aName, "SkipWhenNoRecords"))
        InitPropRec(QStringLiteral("SkipWhenNoRecords"), TraDataType::daBoolean, false, aRec);
    else if (raSameName(aName, "Visible"))
        InitPropRec(QStringLiteral("Visible"), TraDataType::daBoolean, false, aRec);
    else if (raSameName(aName, "MasterDataPipeline"))
        ClassPropToRec(QStringLiteral("MasterDataPipeline"), TppDataPipeline::StaticClass(), false, aRec);
    else if (raSameName(aName, "GetFieldValue"))
        MethodToRec(QStringLiteral("GetFieldValue"), true, aRec);
    else if (const char *byName = ownName(aName, ByName))
        ArrayPropToRec(QString::fromLatin1(byName), aRec);
    else if (const char *byIndex = ownName(aName, ByIndex))
        ArrayPropToRec(QString::fromLatin1(byIndex), aRec);
    else
        return TraRTTI::GetPropRec(aClass, aName, aRec);
    return true;
}

std::unique_ptr<TraParamList> TraTppDataPipelineRTTI::GetParams(const QString &aName) const
{
    auto params = std::make_unique<TraParamList>();
    if (raSameName(aName, "FieldValues") || raSameName(aName, "GetFieldValue")) {
        params->AddParam(QStringLiteral("FieldName"), TraDataType::daString);
        params->AddParam(QStringLiteral("Result"), TraDataType::daVariant);
    } else if (raSameName(aName, "FieldObjects")) {
        params->AddParam(QStringLiteral("FieldName"), TraDataType::daString);
        params->AddParam(QStringLiteral("Result"), TraDataType::daClass, false, false, QString(),
                         &TppField::StaticClass());
    } else if (raSameName(aName, "Fields")) {
        params->AddParam(QStringLiteral("Index"), TraDataType::daInteger);
        params->AddParam(QStringLiteral("Result"), TraDataType::daClass, false, false, QString(),
                         &TppField::StaticClass());
    } else if (raSameName(aName, "Links")) {
        params->AddParam(QStringLiteral("Index"), TraDataType::daInteger);
        params->AddParam(QStringLiteral("Result"), TraDataType::daClass, false, false, QString(),
                         &TppMasterFieldLink::StaticClass());
    } else {
        return TraRTTI::GetParams(aName);
    }
    return params;
}

bool TraTppDataPipelineRTTI::CallMethod(classes::TObject *aObject, const QString &aName, TraParamList &aParams) const
{
    auto *pipeline = dynamic_cast<TppDataPipeline *>(aObject);
    if (!pipeline)
        return TraRTTI::CallMethod(aObject, aName, aParams);
    if (raSameName(aName, "FieldValues"))
        aParams.SetParamValue(1, pipeline->FieldValues(aParams.ParamValue<QString>(0)));
    else if (raSameName(aName, "GetFieldValue"))
        aParams.SetParamValue(1, pipeline->GetFieldValue(aParams.ParamValue<QString>(0)));
    else if (raSameName(aName, "FieldObjects"))
        aParams.SetParamValue(1, pipeline->FieldObjects(aParams.ParamValue<QString>(0)));
    else if (raSameName(aName, "Fields"))
        aParams.SetParamValue(1, pipeline->GetField(aParams.ParamValue<int32_t>(0)));
    else if (raSameName(aName, "Links"))
        aParams.SetParamValue(1, pipeline->GetLink(aParams.ParamValue<int32_t>(0)));
    else
        return TraRTTI::CallMethod(aObject, aName, aParams);
    return true;
}

bool TraTppDataPipelineRTTI::GetPropValue(classes::TObject *aObject, const QString &aName,
                                          const TraValuePointer &aValue) const
{
    auto *p = dynamic_cast<TppDataPipeline *>(aObject);
    if (!p)
        return TraRTTI::GetPropValue(aObject, aName, aValue);
    if (raSameName(aName, "Active"))
        raWriteValue(aValue, p->GetActive(), aName);
    else if (raSameName(aName, "BOF"))
        raWriteValue(aValue, p->BOF(), aName);
    else if (raSameName(aName, "DataTraversed"))
        raWriteValue(aValue, p->DataTraversed(), aName);
    else if (raSameName(aName, "EOF"))
        raWriteValue(aValue, p->Eof(), aName);
    else if (raSameName(aName, "FirstRecord"))
        raWriteValue(aValue, p->FirstRecord(), aName);
    else if (raSameName(aName, "LastRecord"))
        raWriteValue(aValue, p->LastRecord(), aName);
    else if (raSameName(aName, "NoRecords"))
        raWriteValue(aValue, p->NoRecords(), aName);
    else if (raSameName(aName, "TraversalCount"))
        raWriteValue(aValue, p->TraversalCount(), aName);
    else if (raSameName(aName, "FieldCount"))
        raWriteValue(aValue, int32_t(p->GetFieldCount()), aName);
    else if (raSameName(aName, "LinkCount"))
        raWriteValue(aValue, int32_t(p->GetLinkCount()), aName);
    else if (raSameName(aName, "DataView"))
        raWriteValue(aValue, p->GetDataView(), aName);
    else if (raSameName(aName, "CurrentField"))
        raWriteValue(aValue, p->GetCurrentField(), aName);
    else if (raSameName(aName, "SkipWhenNoRecords"))
        raWriteValue(aValue, p->SkipWhenNoRecords(), aName);
    else if (raSameName(aName, "Visible"))
        raWriteValue(aValue, p->Visible(), aName);
    else if (raSameName(aName, "MasterDataPipeline"))
        raWriteValue(aValue, p->MasterDataPipeline(), aName);
    else
        return TraRTTI::GetPropValue(aObject, aName, aValue);
    return true;
}

bool TraTppDataPipelineRTTI::SetPropValue(classes::TObject *aObject, const QString &aName,
                                          const TraValuePointer &aValue) const
{
    auto *p = dynamic_cast<TppDataPipeline *>(aObject);
    if (!p)
        return TraRTTI::SetPropValue(aObject, aName, aValue);
    if (raSameName(aName, "SkipWhenNoRecords"))
        p->SetSkipWhenNoRecords(raReadValue<bool>(aValue, aName));
    else if (raSameName(aName, "Visible"))
        p->SetVisible(raReadValue<bool>(aValue, aName));
    else
        return TraRTTI::SetPropValue(aObject, aName, aValue);
    return true;
}

} // namespace report
