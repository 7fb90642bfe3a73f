#pragma once

// The scripting descriptor of the subreport: its child report ("Report",
// made on demand by "CreateReport"), the main report ("MasterReport"), and
// the drill-down state of the instance printing now ("DrillDownExpanded",
// "CurrentExpansionKey", "CurrentReportKey", the opened keys by "Index" in
// "Expansions" and their "ExpansionCount").

#include "report/model/bands/TableRTTI.h"

namespace report {

class TraTppSubReportRTTI : public TraTableRTTI
{
public:
    static const TraTppSubReportRTTI &Instance();

    void GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const override;
    bool GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const override;
    std::unique_ptr<TraParamList> GetParams(const QString &aName) const override;
    bool CallMethod(classes::TObject *aObject, const QString &aName, TraParamList &aParams) const override;

protected:
    TraTppSubReportRTTI();
};

} // namespace report
