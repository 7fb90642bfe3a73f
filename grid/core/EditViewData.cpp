#include "grid/core/EditViewData.h"

namespace grid {

TdxEditViewData::~TdxEditViewData() = default;

TdxEditViewInfo CalcViewInfo(const TdxEditViewData &viewData)
{
    TdxEditViewInfo info;
    switch (viewData.BorderStyle) {
    case xbsNone: info.BorderWidth = 0; break;
    case xbsSingle: info.BorderWidth = 1; break;
    case xbsThick:
    case xbsFlat:
    case xbs3D: info.BorderWidth = 2; break;
    }
    info.ShadowSize = viewData.Shadow ? 2 : 0;
    info.Bounds = viewData.Bounds;
    const rtl::TRect &b = info.Bounds;
    info.ClientRect = rtl::TRect{b.Left + 2, b.Top + 2, b.Right - 2 - info.ShadowSize, b.Bottom - 2 - info.ShadowSize};
    info.EdgeLeft = viewData.Edges & EdgeBit(edgLeft);
    info.EdgeTop = viewData.Edges & EdgeBit(edgTop);
    info.EdgeRight = viewData.Edges & EdgeBit(edgRight);
    info.EdgeBottom = viewData.Edges & EdgeBit(edgBottom);
    const int bw = info.BorderWidth;
    const rtl::TRect &c = info.ClientRect;
    info.BorderRect = rtl::TRect{c.Left - (info.EdgeLeft ? bw : 0), c.Top - (info.EdgeTop ? bw : 0),
                                 c.Right + (info.EdgeRight ? bw : 0), c.Bottom + (info.EdgeBottom ? bw : 0)};
    if (info.ShadowSize > 0) {
        const rtl::TRect &r = info.BorderRect;
        const int s = info.ShadowSize;
        info.ShadowRect = rtl::TRect{r.Left + s, r.Top + s, r.Right + s, r.Bottom + s};
    }
    return info;
}

TdxEditBorderStyle HotBorderStyle(TdxEditBorderStyle style)
{
    switch (style) {
    case xbsNone: return xbsFlat;
    case xbsSingle: return xbsThick;
    case xbsFlat: return xbs3D;
    default: return style;
    }
}

TdxEditButtonViewStyle ResolveButtonStyle(TdxEditButtonViewStyle style, TdxEditBorderStyle borderStyle)
{
    if (style != btsDefault)
        return style;
    switch (borderStyle) {
    case xbsNone: return btsSimple;
    case xbsSingle: return btsHotFlat;
    case xbsFlat: return btsFlat;
    default: return bts3D;
    }
}

bool ButtonsTransparent(TdxEditButtonTransparence transparence, bool active)
{
    return transparence == ebtAlways || (transparence == ebtInactive && !active);
}

std::vector<rtl::TRect> EditWindowRegion(const TdxEditViewInfo &info, TdxEditEdges edges)
{
    if (info.ShadowSize == 0 && info.BorderWidth >= 2 && (edges & edgAll) == edgAll)
        return {};
    std::vector<rtl::TRect> region{info.BorderRect};
    if (!info.ShadowRect.IsEmpty())
        region.push_back(info.ShadowRect);
    return region;
}

TCursor GetEditCursor(const TdxEditViewData &viewData)
{
    if (viewData.Cursor != crDefault)
        return viewData.Cursor;
    return viewData.IsTextEditor ? crDefault : crArrow;
}

} // namespace grid
