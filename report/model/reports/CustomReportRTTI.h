#pragma once

// The scripting descriptor of TppCustomReport: the engine's page and column
// events, where generation stands, the report's settings, its bands and
// groups by index, and GetBand, Stop and PageLimitReached.

#include "report/model/bands/TableRTTI.h"

namespace report {

class TraTppCustomReportRTTI : public TraTableRTTI
{
public:
    static const TraTppCustomReportRTTI &Instance();

    void GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const override;
    void GetEventList(const classes::TMetaClass &aClass, classes::TStrings &aList) const override;
    bool GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const override;
    std::unique_ptr<TraParamList> GetParams(const QString &aName) const override;
    bool CallMethod(classes::TObject *aObject, const QString &aName, TraParamList &aParams) const override;

protected:
    TraTppCustomReportRTTI();
};

} // namespace report
