#pragma once

// The scripting descriptor of the regions: the children a region holds
// ("ObjectCount", "Objects" by "Index"), the stretching child that reached
// lowest ("MaxStretchable"), and the brush and pen, which scripts may
// assign.

#include "report/model/bands/TableRTTI.h"

namespace report {

class TraTppCustomRegionRTTI : public TraTableRTTI
{
public:
    static const TraTppCustomRegionRTTI &Instance();

    void GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const override;
    bool GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const override;
    std::unique_ptr<TraParamList> GetParams(const QString &aName) const override;
    bool CallMethod(classes::TObject *aObject, const QString &aName, TraParamList &aParams) const override;

protected:
    TraTppCustomRegionRTTI();
};

} // namespace report
