#pragma once

// The scripting descriptor of the printer setup.

#include "report/model/objects/Descriptors.h"

namespace report {

// Beside the published properties: read-only "Active", "BinNames",
// "PaperNames", "PrinterNames", "PrinterDescription", "PrinterInfo",
// "PageDef", "PrintableHeight" and "PrintableWidth", and "Units".
class TraTppPrinterSetupRTTI : public TraRTTI
{
public:
    static const TraTppPrinterSetupRTTI &Instance();

    void GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const override;
    const classes::TMetaClass &RefClass() const override;
    bool GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const override;
    bool GetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const override;
    bool SetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const override;

protected:
    TraTppPrinterSetupRTTI();
};

} // namespace report
