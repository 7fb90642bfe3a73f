#pragma once

// The scripting descriptor of the producer: its events (bound to the
// producer's event ids), the method "Cancel" and its output settings and
// run-time state as properties.

#include "report/model/objects/Descriptors.h"

namespace report {

class TraTppProducerRTTI : public TraRTTI
{
public:
    static const TraTppProducerRTTI &Instance();

    void GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const override;
    void GetEventList(const classes::TMetaClass &aClass, classes::TStrings &aList) const override;
    const classes::TMetaClass &RefClass() const override;
    bool GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const override;
    bool CallMethod(classes::TObject *aObject, const QString &aName, TraParamList &aParams) const override;
    std::unique_ptr<TraParamList> GetParams(const QString &aName) const override;
    bool GetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const override;
    bool SetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const override;

protected:
    TraTppProducerRTTI();
};

} // namespace report
