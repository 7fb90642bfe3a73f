#pragma once

// Where the container's hint window goes: at the point, moved up and left so
// that it ends at the screen's edge, and never above or left of the screen.

#include "platform/rtl/Types.h"

namespace grid {

rtl::TRect HintBounds(rtl::TPoint point, rtl::TSize size, const rtl::TRect &screen);

} // namespace grid
