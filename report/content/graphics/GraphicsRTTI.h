#pragma once

// The scripting descriptors of the graphic and picture controls: the brush
// and pen of every graphic, a shape's kind, a line's position and style,
// the fitting switches of images and the data image's OnGetPicture event
// (id 69).

#include "report/model/bands/TableRTTI.h"

namespace report {

#define ZVO_GRAPHICS_DESCRIPTOR(Name)                                                                                  \
    class Name : public TraTableRTTI                                                                                   \
    {                                                                                                                  \
    public:                                                                                                            \
        static const Name &Instance();                                                                                 \
                                                                                                                       \
    protected:                                                                                                         \
        Name();                                                                                                        \
    };

ZVO_GRAPHICS_DESCRIPTOR(TraTppCustomGraphicRTTI)
ZVO_GRAPHICS_DESCRIPTOR(TraTppShapeRTTI)
ZVO_GRAPHICS_DESCRIPTOR(TraTppLineRTTI)
ZVO_GRAPHICS_DESCRIPTOR(TraTppCustomImageRTTI)

#undef ZVO_GRAPHICS_DESCRIPTOR

// The event's one parameter is the picture to fill.
class TraTppDBImageRTTI : public TraTableRTTI
{
public:
    static const TraTppDBImageRTTI &Instance();
    std::unique_ptr<TraParamList> GetParams(const QString &aName) const override;

protected:
    TraTppDBImageRTTI();
};

} // namespace report
