#include "grid/core/HintPlacement.h"

namespace grid {

rtl::TRect HintBounds(rtl::TPoint point, rtl::TSize size, const rtl::TRect &screen)
{
    int left = point.X;
    int top = point.Y;
    if (top + size.cy > screen.Bottom)
        top = screen.Bottom - size.cy;
    if (left + size.cx > screen.Right)
        left = screen.Right - size.cx;
    if (left < screen.Left)
        left = screen.Left;
    if (top < screen.Top)
        top = screen.Top;
    return rtl::Bounds(left, top, size.cx, size.cy);
}

} // namespace grid
