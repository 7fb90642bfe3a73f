#pragma once

// The scripting descriptor of TppStretchable: its run-time placement
// ("CurrentPosition", "PageBottom", "PartialAdjustment"...), its offsets in
// thousandths, and "KeepTogether", "ShiftRelativeTo" and "Stretch", which
// scripts may also set.

#include "report/model/objects/Descriptors.h"

namespace report {

class TraTppStretchableRTTI : public TraRTTI
{
public:
    static const TraTppStretchableRTTI &Instance();

    void GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const override;
    const classes::TMetaClass &RefClass() const override;
    bool GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const override;
    bool GetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const override;
    bool SetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const override;

protected:
    TraTppStretchableRTTI();
};

} // namespace report
