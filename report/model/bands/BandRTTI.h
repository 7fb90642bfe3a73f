#pragma once

// The scripting descriptor of TppBand: its four generation events, its
// lists by index, its heights and offsets and its settings.

#include "report/model/objects/Descriptors.h"

namespace report {

class TraTppBandRTTI : public TraRTTI
{
public:
    static const TraTppBandRTTI &Instance();

    void GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const override;
    void GetEventList(const classes::TMetaClass &aClass, classes::TStrings &aList) const override;
    const classes::TMetaClass &RefClass() const override;
    bool GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const override;
    std::unique_ptr<TraParamList> GetParams(const QString &aName) const override;
    bool CallMethod(classes::TObject *aObject, const QString &aName, TraParamList &aParams) const override;
    bool GetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const override;
    bool SetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const override;

protected:
    TraTppBandRTTI();
};

} // namespace report
