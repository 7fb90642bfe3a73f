#include "report/model/data/PipelineFields.h"

#include "report/model/data/DataPipeline.h"
#include "report/model/base/Exceptions.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/Reader.h"
#include "platform/classes/StringList.h"

namespace report {

using classes::TClassBuilder;
using classes::TMetaClass;
using classes::TPropInfo;
using classes::TTypeKind;

// ---- TppField -----------------------------------------------------------------

const TMetaClass &TppField::StaticClass()
{
    static const TMetaClass meta =
        classes::MakeClass<TppField, TppRelative>("TppField", [](TClassBuilder<TppField> &c) {
            c.Enum("Alignment", classes::AlignmentInfo(), &TppField::Alignment, &TppField::Alignment)
                .Default(classes::TAlignment::taLeftJustify);
            c.String("FieldAlias", &TppField::FieldAlias, &TppField::FieldAlias);
            c.String("FieldName", &TppField::FieldName, &TppField::SetFieldName);
            c.Integer("FieldLength", &TppField::FieldLength, &TppField::FieldLength).Default(10);
            c.Boolean("IsDetail", &TppField::IsDetail, &TppField::IsDetail).Default(0);
            c.Boolean("Linkable", &TppField::Linkable, &TppField::Linkable).Default(1);
            c.Integer("GroupOrder", &TppField::GroupOrder, &TppField::GroupOrder).Default(-1);
            c.Enum("DataType", EnumInfo<TppDataType>(), &TppField::DataType, &TppField::SetDataType)
                .Default(TppDataType::dtString);
            c.String("DisplayFormat", &TppField::DisplayFormat, &TppField::DisplayFormat);
            c.Integer("DisplayWidth", &TppField::DisplayWidth, &TppField::DisplayWidth).Default(10);
            c.Boolean("Mandatory", &TppField::Mandatory, &TppField::SetMandatory).Default(0);
            c.Integer("Position", &TppRelative::Position, &TppRelative::SetPosition).Default(-1);
            c.Boolean("Selectable", &TppField::Selectable, &TppField::Selectable).Default(1);
            c.Integer("SelectOrder", &TppField::SelectOrder, &TppField::SelectOrder).Default(-1);
            c.Boolean("Searchable", &TppField::Searchable, &TppField::Searchable).Default(1);
            c.Boolean("Search", &TppField::Search, &TppField::Search).Default(0);
            c.String("SearchExpression", &TppField::SearchExpression, &TppField::SetSearchExpression);
            c.Integer("SearchOrder", &TppField::SearchOrder, &TppField::SearchOrder).Default(-1);
            c.Boolean("ShowAllValues", &TppField::ShowAllValues, &TppField::SetShowAllValues).Default(0);
            c.Boolean("Sortable", &TppField::Sortable, &TppField::Sortable).Default(1);
            c.Boolean("Sort", &TppField::Sort, &TppField::Sort).Default(0);
            c.Integer("SortOrder", &TppField::SortOrder, &TppField::SortOrder).Default(-1);
            c.Enum("SortType", EnumInfo<TppSortOrderType>(), &TppField::SortType, &TppField::SortType)
                .Default(TppSortOrderType::soAscending);
            c.String("SortExpression", &TppField::SortExpression, &TppField::SortExpression);
            c.String("TableAlias", &TppField::TableAlias, &TppField::TableAlias);
            c.String("TableName", &TppField::TableName, &TppField::TableName);
        });
    return meta;
}

TppField::TppField(classes::TComponent *aOwner)
    : TppRelative(aOwner)
{}

TppDataPipeline *TppField::DataPipeline() const
{
    return dynamic_cast<TppDataPipeline *>(Parent());
}

double TppField::AsDouble() const
{
    TppDataPipeline *pipeline = DataPipeline();
    return pipeline ? pipeline->GetFieldAsDouble(FieldName) : 0.0;
}

classes::TPersistent *TppField::AsPicture() const
{
    TppDataPipeline *pipeline = DataPipeline();
    return pipeline ? pipeline->GetFieldAsPicture(FieldName) : nullptr;
}

QString TppField::AsString() const
{
    TppDataPipeline *pipeline = DataPipeline();
    return pipeline ? pipeline->GetFieldAsString(FieldName) : QString();
}

bool TppField::IsNull() const
{
    TppDataPipeline *pipeline = DataPipeline();
    return pipeline ? pipeline->GetFieldIsNull(FieldName) : true;
}

QVariant TppField::Value() const
{
    TppDataPipeline *pipeline = DataPipeline();
    return pipeline ? pipeline->GetFieldValue(FieldName) : QVariant();
}

void TppField::SetFieldName(const QString &aFieldName)
{
    if (FieldAlias == FieldName)
        FieldAlias = aFieldName;
    FieldName = aFieldName;
    PropertyChange();
}

void TppField::SetMandatory(bool aValue)
{
    Mandatory = aValue;
    if (aValue)
        ShowAllValues = false;
}

void TppField::SetSearchExpression(const QString &aValue)
{
    SearchExpression = aValue;
    PropertyChange();
}

void TppField::SetShowAllValues(bool aValue)
{
    ShowAllValues = aValue;
    if (aValue)
        Mandatory = false;
}

void TppField::SetDataType(TppDataType aDataType)
{
    TppDataPipeline *pipeline = DataPipeline();
    if (pipeline && !pipeline->SupportsDataType(aDataType))
        throw EInvalidPropertyError(QStringLiteral("DataType not supported by ") + pipeline->ClassName());
    DataType = aDataType;
}

namespace {

// The published properties TppField adds to those of every component.
template <class Proc>
void forOwnProperties(Proc proc)
{
    const TMetaClass &base = TppRelative::StaticClass();
    for (const TPropInfo *prop : TppField::StaticClass().Properties())
        if (!base.FindProperty(QStringView(prop->Name)))
            proc(*prop);
}

} // namespace

bool TppField::IsEqual(const TppField *aField) const
{
    if (!aField)
        return false;
    bool equal = true;
    forOwnProperties([&](const TPropInfo &prop) {
        if (!equal)
            return;
        if (prop.Kind == TTypeKind::tkString)
            equal = prop.GetStr(*this) == prop.GetStr(*aField);
        else
            equal = prop.GetOrd(*this) == prop.GetOrd(*aField);
    });
    return equal;
}

void TppField::Assign(const classes::TPersistent *aSource)
{
    const auto *source = dynamic_cast<const TppField *>(aSource);
    if (!source) {
        TppRelative::Assign(aSource);
        return;
    }
    forOwnProperties([&](const TPropInfo &prop) {
        if (prop.Kind == TTypeKind::tkString)
            prop.SetStr(*this, prop.GetStr(*source));
        else
            prop.SetOrd(*this, prop.GetOrd(*source));
    });
    // The name's setter moves an alias that equalled the old name along with
    // it, which can overwrite the alias just copied.
    FieldAlias = source->FieldAlias;
}

void TppField::DefineProperties(classes::TFiler &aFiler)
{
    TppRelative::DefineProperties(aFiler);
    // Older reports stored whether a field was shown; nothing uses it now.
    aFiler.DefineProperty(
        QStringLiteral("Visible"), [](classes::TReader &r) { r.ReadBoolean(); }, nullptr, false);
}

// ---- TppMasterFieldLink -----------------------------------------------------------

const TMetaClass &TppMasterFieldLink::StaticClass()
{
    static const TMetaClass meta = classes::MakeClass<TppMasterFieldLink, TppRelative>(
        "TppMasterFieldLink", [](TClassBuilder<TppMasterFieldLink> &c) {
            c.String("MasterFieldName", &TppMasterFieldLink::MasterFieldName, &TppMasterFieldLink::MasterFieldName);
            c.Enum("CollationType", EnumInfo<TppCollationType>(), &TppMasterFieldLink::CollationType,
                   &TppMasterFieldLink::CollationType)
                .Default(TppCollationType::ctANSI);
            c.String("DetailFieldName", &TppMasterFieldLink::DetailFieldName, &TppMasterFieldLink::DetailFieldName);
            c.Enum("DetailSortOrder", EnumInfo<TppSortOrderType>(), &TppMasterFieldLink::DetailSortOrder,
                   &TppMasterFieldLink::DetailSortOrder)
                .Default(TppSortOrderType::soAscending);
            c.Boolean("IsCaseSensitive", &TppMasterFieldLink::IsCaseSensitive, &TppMasterFieldLink::IsCaseSensitive)
                .Default(0);
        });
    return meta;
}

TppMasterFieldLink::TppMasterFieldLink(classes::TComponent *aOwner)
    : TppRelative(aOwner)
{}

// ---- Descriptor ---------------------------------------------------------------------

TraTppFieldRTTI::TraTppFieldRTTI()
    : TraRTTI(&TraTComponentRTTI::Instance())
{}

const TraTppFieldRTTI &TraTppFieldRTTI::Instance()
{
    static const TraTppFieldRTTI instance;
    return instance;
}

const TMetaClass &TraTppFieldRTTI::RefClass() const
{
    return TppField::StaticClass();
}

void TraTppFieldRTTI::GetPropList(const TMetaClass &aClass, classes::TStrings &aList) const
{
    TraRTTI::GetPropList(aClass, aList);
    for (const char *name : {"AsDouble", "AsPicture", "AsString", "IsNull", "DataPipeline", "Value"})
        raAddPropName(aList, QString::fromLatin1(name));
}

bool TraTppFieldRTTI::GetPropRec(const TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const
{
    if (raSameName(aName, "AsDouble"))
        InitPropRec(QStringLiteral("AsDouble"), TraDataType::daDouble, true, aRec);
    else if (raSameName(aName, "AsPicture"))
        ClassPropToRec(QStringLiteral("AsPicture"), classes::TPersistent::StaticClass(), true, aRec);
    else if (raSameName(aName, "AsString"))
        InitPropRec(QStringLiteral("AsString"), TraDataType::daString, true, aRec);
    else if (raSameName(aName, "IsNull"))
        InitPropRec(QStringLiteral("IsNull"), TraDataType::daBoolean, true, aRec);
    else if (raSameName(aName, "DataPipeline"))
        ClassPropToRec(QStringLiteral("DataPipeline"), TppDataPipeline::StaticClass(), true, aRec);
    else if (raSameName(aName, "Value"))
        InitPropRec(QStringLiteral("Value"), TraDataType::daVariant, true, aRec);
    else
        return TraRTTI::GetPropRec(aClass, aName, aRec);
    return true;
}

bool TraTppFieldRTTI::GetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const
{
    auto *field = dynamic_cast<TppField *>(aObject);
    if (!field)
        return TraRTTI::GetPropValue(aObject, aName, aValue);
    if (raSameName(aName, "AsDouble"))
        raWriteValue(aValue, field->AsDouble(), aName);
    else if (raSameName(aName, "AsPicture"))
        raWriteValue(aValue, field->AsPicture(), aName);
    else if (raSameName(aName, "AsString"))
        raWriteValue(aValue, field->AsString(), aName);
    else if (raSameName(aName, "IsNull"))
        raWriteValue(aValue, field->IsNull(), aName);
    else if (raSameName(aName, "DataPipeline"))
        raWriteValue(aValue, field->DataPipeline(), aName);
    else if (raSameName(aName, "Value"))
        raWriteValue(aValue, field->Value(), aName);
    else
        return TraRTTI::GetPropValue(aObject, aName, aValue);
    return true;
}

} // namespace report
