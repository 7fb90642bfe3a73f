#pragma once

// The scripting descriptor of data pipelines.

#include "report/model/objects/Descriptors.h"

namespace report {

// Events "OnRecordPositionChange" (37) to "OnClose" (47); read only "Active",
// "BOF", "DataTraversed", "EOF", "FirstRecord", "LastRecord", "NoRecords",
// "TraversalCount", "FieldCount", "LinkCount", "DataView" and
// "CurrentField"; "SkipWhenNoRecords", "Visible" and "MasterDataPipeline"
// (read here, written where a pipeline publishes it); the indexed
// "FieldValues", "FieldObjects" ("FieldName"), "Fields" and "Links"
// ("Index"), and the method "GetFieldValue".
class TraTppDataPipelineRTTI : public TraRTTI
{
public:
    static const TraTppDataPipelineRTTI &Instance();

    void GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const override;
    void GetEventList(const classes::TMetaClass &aClass, classes::TStrings &aList) const override;
    const classes::TMetaClass &RefClass() const override;
    bool GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const override;
    bool CallMethod(classes::TObject *aObject, const QString &aName, TraParamList &aParams) const override;
    std::unique_ptr<TraParamList> GetParams(const QString &aName) const override;
    bool GetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const override;
    bool SetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const override;

protected:
    TraTppDataPipelineRTTI();
};

} // namespace report
