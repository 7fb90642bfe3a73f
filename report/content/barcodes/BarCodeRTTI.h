#pragma once

// The scripting descriptor of the bar code: its symbology, data and look,
// all readable and writable; other names go to the component's descriptor.

#include "report/model/bands/TableRTTI.h"

namespace report {

class TraTppBarCodeRTTI : public TraTableRTTI
{
public:
    static const TraTppBarCodeRTTI &Instance();

protected:
    TraTppBarCodeRTTI();
};

} // namespace report
