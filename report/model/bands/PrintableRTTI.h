#pragma once

// The scripting descriptor of TppPrintable: its events (32, 84, 85), its
// geometry in Units, thousandths and screen pixels, its texts, data binding,
// appearance and generation flags.

#include "report/model/objects/Descriptors.h"

namespace report {

class TraTppPrintableRTTI : public TraRTTI
{
public:
    static const TraTppPrintableRTTI &Instance();

    void GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const override;
    void GetEventList(const classes::TMetaClass &aClass, classes::TStrings &aList) const override;
    const classes::TMetaClass &RefClass() const override;
    bool GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const override;
    std::unique_ptr<TraParamList> GetParams(const QString &aName) const override;
    bool GetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const override;
    bool SetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const override;

protected:
    TraTppPrintableRTTI();
};

} // namespace report
