#pragma once

// The scripting descriptors of the band classes: the generation state every
// band shows while it prints, and what each kind of band adds.

#include "report/model/bands/TableRTTI.h"

namespace report {

#define ZVO_BAND_DESCRIPTOR(Name)                                                                                      \
    class Name : public TraTableRTTI                                                                                   \
    {                                                                                                                  \
    public:                                                                                                            \
        static const Name &Instance();                                                                                 \
                                                                                                                       \
    protected:                                                                                                         \
        Name();                                                                                                        \
    };

ZVO_BAND_DESCRIPTOR(TraTppCustomBandRTTI)
ZVO_BAND_DESCRIPTOR(TraTppPageBandRTTI)
ZVO_BAND_DESCRIPTOR(TraTppReportBandRTTI)
ZVO_BAND_DESCRIPTOR(TraTppFooterBandRTTI)
ZVO_BAND_DESCRIPTOR(TraTppDetailBandRTTI)
ZVO_BAND_DESCRIPTOR(TraTppColumnFooterBandRTTI)
ZVO_BAND_DESCRIPTOR(TraTppGroupBandRTTI)
ZVO_BAND_DESCRIPTOR(TraTppGroupHeaderBandRTTI)

#undef ZVO_BAND_DESCRIPTOR

} // namespace report
