#pragma once

// TraTppTreeNodeRTTI: what scripts reach of a tree node: "ParentNode"
// (writable), "ChildNodes" (by "Index"), "ChildNodeCount",
// "AbsoluteChildNodeCount" and "Level", and the methods "Add", "Assign",
// "CloneNode", "GetFirstChild", "GetLastChild", "GetLastChildDescendent",
// "GetNext", "GetNextSibling", "GetPrevious" and "GetPreviousSibling".

#include "report/model/objects/Descriptors.h"

namespace report {

class TraTppTreeNodeRTTI : public TraRTTI
{
public:
    static const TraTppTreeNodeRTTI &Instance();

    void GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const override;
    const classes::TMetaClass &RefClass() const override;
    bool GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const override;
    std::unique_ptr<TraParamList> GetParams(const QString &aName) const override;
    bool CallMethod(classes::TObject *aObject, const QString &aName, TraParamList &aParams) const override;
    bool GetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const override;
    bool SetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const override;

protected:
    TraTppTreeNodeRTTI();
};

} // namespace report
