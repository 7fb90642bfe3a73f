#pragma once

// The descriptions a data pipeline keeps of its data: TppField for a field
// (its name, alias, type, and how auto-search, sorting and grouping may use
// it) and TppMasterFieldLink for one link of a detail field to a master
// field. Both are children of their pipeline in the relative tree.

#include "report/model/objects/Relative.h"
#include "report/model/base/Types.h"

#include "platform/classes/EnumTypes.h"

#include <QString>
#include <QVariant>

namespace classes {
class TPersistent;
}

namespace report {

class TppDataPipeline;

class TppField : public TppRelative
{
    ZVO_CLASS(TppField)
public:
    explicit TppField(classes::TComponent *aOwner = nullptr);

    // The parent when it is a pipeline.
    TppDataPipeline *DataPipeline() const;
    // The pipeline's value of the field; neutral values without a pipeline.
    double AsDouble() const;
    classes::TPersistent *AsPicture() const;
    QString AsString() const;
    bool IsNull() const;
    QVariant Value() const;

    // Setters that do more than store, in slot order, then the comparison.
    // The alias follows the name while it equals it.
    virtual void SetFieldName(const QString &aFieldName);
    // Mandatory and ShowAllValues exclude each other.
    virtual void SetMandatory(bool aValue);
    virtual void SetSearchExpression(const QString &aValue);
    virtual void SetShowAllValues(bool aValue);
    // Every published value of the field's own equals the other field's.
    virtual bool IsEqual(const TppField *aField) const;

    // EInvalidPropertyError when the pipeline does not support the type;
    // the old type stays.
    void SetDataType(TppDataType aDataType);

    void Assign(const classes::TPersistent *aSource) override;
    void DefineProperties(classes::TFiler &aFiler) override;

    classes::TAlignment Alignment = classes::TAlignment::taLeftJustify;
    QString FieldAlias;
    QString FieldName;
    int32_t FieldLength = 10;
    bool IsDetail = false;
    bool Linkable = true;
    int32_t GroupOrder = -1;
    TppDataType DataType = TppDataType::dtString;
    QString DisplayFormat;
    int32_t DisplayWidth = 10;
    bool Mandatory = false;
    bool Selectable = true;
    int32_t SelectOrder = -1;
    bool Searchable = true;
    bool Search = false;
    QString SearchExpression;
    int32_t SearchOrder = -1;
    bool ShowAllValues = false;
    bool Sortable = true;
    bool Sort = false;
    int32_t SortOrder = -1;
    TppSortOrderType SortType = TppSortOrderType::soAscending;
    QString SortExpression;
    QString TableAlias;
    QString TableName;
};

// One master field linked to one detail field. It only describes the link;
// the detail pipeline does the linking.
class TppMasterFieldLink : public TppRelative
{
    ZVO_CLASS(TppMasterFieldLink)
public:
    explicit TppMasterFieldLink(classes::TComponent *aOwner = nullptr);

    QString MasterFieldName;
    TppCollationType CollationType = TppCollationType::ctANSI;
    QString DetailFieldName;
    TppSortOrderType DetailSortOrder = TppSortOrderType::soAscending;
    bool IsCaseSensitive = false;
};

// "AsDouble", "AsPicture", "AsString", "IsNull", "DataPipeline" and "Value",
// all read only.
class TraTppFieldRTTI : public TraRTTI
{
public:
    static const TraTppFieldRTTI &Instance();

    void GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const override;
    const classes::TMetaClass &RefClass() const override;
    bool GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const override;
    bool GetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const override;

protected:
    TraTppFieldRTTI();
};

} // namespace report
