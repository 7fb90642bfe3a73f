#pragma once

// The auto-search field's scripting descriptor, and what the model layer
// registers for auto-search at start-up.

#include "report/model/objects/Descriptors.h"

namespace report {

// "DisableCriteria"; read-only "Value" (Variant) and "ValueCount"; indexed
// "Values" ("Index" Integer, "Result" Variant).
class TraTppAutoSearchFieldRTTI : public TraRTTI
{
public:
    static const TraTppAutoSearchFieldRTTI &Instance();

    void GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const override;
    const classes::TMetaClass &RefClass() const override;
    bool GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const override;
    bool CallMethod(classes::TObject *aObject, const QString &aName, TraParamList &aParams) const override;
    std::unique_ptr<TraParamList> GetParams(const QString &aName) const override;
    bool GetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const override;

protected:
    TraTppAutoSearchFieldRTTI();
};

// The field, group and groups classes for streaming, and the descriptor.
void ppAutoSearchInit();
void ppAutoSearchFinalize();

} // namespace report
