#pragma once

// The scripting descriptor of TppGroup: its break events, where the group
// stands, its break and its rules.

#include "report/model/bands/TableRTTI.h"

namespace report {

class TraTppGroupRTTI : public TraTableRTTI
{
public:
    static const TraTppGroupRTTI &Instance();

protected:
    TraTppGroupRTTI();
};

} // namespace report
