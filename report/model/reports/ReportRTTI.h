#pragma once

// The scripting descriptors of the banded report (its bands by kind, the
// group bands by index) and of the report a program prints (its cache and
// the auto-search criteria with their dialog's events).

#include "report/model/bands/TableRTTI.h"

namespace report {

class TraTppBandedReportRTTI : public TraTableRTTI
{
public:
    static const TraTppBandedReportRTTI &Instance();

    void GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const override;
    bool GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const override;
    std::unique_ptr<TraParamList> GetParams(const QString &aName) const override;
    bool CallMethod(classes::TObject *aObject, const QString &aName, TraParamList &aParams) const override;

protected:
    TraTppBandedReportRTTI();
};

class TraTppReportRTTI : public TraTableRTTI
{
public:
    static const TraTppReportRTTI &Instance();

    void GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const override;
    // The auto-search criteria: "AutoSearchFields" by index and the methods
    // "CreateAutoSearchCriteria", "AutoSearchCriteriaByName" and
    // "GetAutoSearchDescriptionLines"; the event "OnOutlineNodeCreate"
    // has "Node" and "Accept" (by reference).
    bool GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const override;
    std::unique_ptr<TraParamList> GetParams(const QString &aName) const override;
    bool CallMethod(classes::TObject *aObject, const QString &aName, TraParamList &aParams) const override;
    // Also "GetAutoSearchDescriptionAsString", the description as text.
    bool GetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const override;

protected:
    TraTppReportRTTI();
};

} // namespace report
