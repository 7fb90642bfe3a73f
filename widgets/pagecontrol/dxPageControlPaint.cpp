// Painting of the tab strip for the four styles. Geometry comes ready from
// the layout; everything here only draws.

#include "widgets/pagecontrol/dxPageControlButtons.h"

#include "platform/gfx/Canvas.h"

#include <algorithm>
#include <vector>

namespace widgets {

using namespace gfx;
using namespace rtl;
using rtl::TRect;

namespace {

TRect deflate(const TRect &r, int dx, int dy)
{
    return {r.Left + dx, r.Top + dy, r.Right - dx, r.Bottom - dy};
}

// Side strips read from bottom to top on the left and top to bottom on the
// right, as the rotated caption runs along the tab.
int escapementFor(TdxTabPosition p)
{
    switch (p) {
    case TdxTabPosition::dxtpLeft: return 900;
    case TdxTabPosition::dxtpRight: return -900;
    default: return 0;
    }
}

} // namespace

TColor pageControlLightColor()
{
    const TColor face = ColorToRGB(clBtnFace);
    return RGB(std::min(255, GetRValue(face) + 20), std::min(255, GetGValue(face) + 20),
               std::min(255, GetBValue(face) + 20));
}

TColor pageControlHotColor()
{
    // The system hot-light colour only existed on a few old platform
    // versions; everywhere else the hot caption is pure blue.
    return clBlue;
}

gfx::Font TabStripHost::stripFont() const
{
    return gfx::Font{};
}

unsigned TdxPageControlButtons::sideFlags(bool outer, bool inner, bool nearEnd, bool farEnd) const
{
    unsigned o = 0, i = 0, n = 0, f = 0;
    switch (position()) {
    case TdxTabPosition::dxtpTop:
        o = BF_TOP;
        i = BF_BOTTOM;
        n = BF_LEFT;
        f = BF_RIGHT;
        break;
    case TdxTabPosition::dxtpBottom:
        o = BF_BOTTOM;
        i = BF_TOP;
        n = BF_LEFT;
        f = BF_RIGHT;
        break;
    case TdxTabPosition::dxtpLeft:
        o = BF_LEFT;
        i = BF_RIGHT;
        n = BF_TOP;
        f = BF_BOTTOM;
        break;
    case TdxTabPosition::dxtpRight:
        o = BF_RIGHT;
        i = BF_LEFT;
        n = BF_TOP;
        f = BF_BOTTOM;
        break;
    }
    return (outer ? o : 0) | (inner ? i : 0) | (nearEnd ? n : 0) | (farEnd ? f : 0);
}

void TdxPageControlButtons::applyRotation(Canvas &canvas) const
{
    const int escapement = escapementFor(position());
    if (canvas.font().orientation != escapement)
        canvas.font().orientation = escapement;
}

void TdxPageControlButtons::paint(Canvas &canvas)
{
    if (!m_host->stripOptions().hideButtons && !m_tabs.empty())
        paintStrip(canvas);
    else
        paintFrame(canvas);
}

void TdxPageControlButtons::paintStrip(Canvas &canvas)
{
    const int level = canvas.SaveDC();
    canvas.setFont(m_host->stripFont());
    applyRotation(canvas);
    fillBackground(canvas);
    paintFrame(canvas);
    // Tabs stay within the strip, save for the active tab's reach over the
    // frame's edge.
    const TRect strip = stripRect();
    canvas.IntersectClipRect({strip.Left - 2, strip.Top - 2, strip.Right + 2, strip.Bottom + 2});
    paintArrows(canvas);
    // The active tab goes last so that it overlaps its neighbours.
    std::vector<const TdxPageControlButton *> order;
    const TdxPageControlButton *activeTab = nullptr;
    for (const auto &t : m_tabs) {
        if (!t->visible())
            continue;
        if (t->active())
            activeTab = t.get();
        else
            order.push_back(t.get());
    }
    if (activeTab)
        order.push_back(activeTab);
    // A drawing handler that adds, frees or moves a tab ends this paint; the
    // change has asked for the next one.
    const int mark = tabsMark();
    for (const TdxPageControlButton *tab : order) {
        if (!tabsAsAt(mark))
            break;
        drawTab(canvas, *tab);
    }
    canvas.RestoreDC(level);
}

void TdxPageControlButtons::drawTab(Canvas &canvas, const TdxPageControlButton &tab)
{
    const int level = canvas.SaveDC();
    const int mark = tabsMark();
    m_host->customizeTabFont(canvas, tab);
    if (tabsAsAt(mark)) {
        applyRotation(canvas);
        if (!m_host->ownerDrawTab(canvas, tab))
            paintTab(canvas, tab);
    }
    canvas.RestoreDC(level);
}

void TdxPageControlButtons::fillBackground(Canvas &canvas)
{
    canvas.FillRect(stripRect(), Brush::solid(clBtnFace));
}

void TdxPageControlButtons::paintTab(Canvas &canvas, const TdxPageControlButton &tab)
{
    paintContent(canvas, tab, deflate(tab.rect(), spacingUnit(), spacingUnit()));
}

void TdxPageControlButtons::paintContent(Canvas &canvas, const TdxPageControlButton &tab, const TRect &rect)
{
    const auto &o = m_host->stripOptions();
    TRect textRect = rect;
    const ImageList *images = m_host->stripImages();
    if (o.hasImages && images) {
        const int box = o.imageWidth + 2 * spacingUnit();
        TRect imageBox = rect;
        if (vertical(position())) {
            imageBox.Bottom = std::min(rect.Bottom, rect.Top + box);
            textRect.Top = imageBox.Bottom;
        } else {
            imageBox.Right = std::min(rect.Right, rect.Left + box);
            textRect.Left = imageBox.Right;
        }
        const int mark = tabsMark();
        const int index = tab.imageIndex();
        if (!tabsAsAt(mark))
            return;
        if (index >= 0 && index < images->count())
            canvas.DrawImage(*images, index, imageBox.Left + (imageBox.Width() - images->width()) / 2,
                             imageBox.Top + (imageBox.Height() - images->height()) / 2);
    }

    canvas.setBkMode(BkMode::Transparent);
    if (drawnHighlighted(tab))
        canvas.setTextColor(clHighlightText);
    else if (tab.hot())
        canvas.setTextColor(pageControlHotColor());
    const QString caption = tab.caption();
    if (!vertical(position())) {
        canvas.DrawText(caption, textRect, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_END_ELLIPSIS);
        return;
    }
    const QString shown = StripPrefixes(caption);
    const int length = canvas.TextWidth(shown);
    const int thickness = canvas.TextHeight(shown);
    // The text's own top-left corner, which the rotation swings around.
    int x, y;
    if (position() == TdxTabPosition::dxtpLeft) {
        x = textRect.Left + (textRect.Width() - thickness) / 2;
        y = textRect.Bottom - (textRect.Height() - length) / 2;
    } else {
        x = textRect.Right - (textRect.Width() - thickness) / 2;
        y = textRect.Top + (textRect.Height() - length) / 2;
    }
    canvas.ExtTextOut(x, y, ETO_CLIPPED, &textRect, shown);
}

void TdxPageControlButtons::paintArrows(Canvas &canvas)
{
    if (m_backArrow.IsEmpty())
        return;
    const bool side = vertical(position());
    const unsigned back = side ? DFCS_SCROLLUP : DFCS_SCROLLLEFT;
    const unsigned forward = side ? DFCS_SCROLLDOWN : DFCS_SCROLLRIGHT;
    canvas.DrawFrameControl(m_backArrow, DFC_SCROLL, back | (m_arrowState == asBackPressed ? DFCS_PUSHED : 0));
    canvas.DrawFrameControl(m_forwardArrow, DFC_SCROLL, forward | (m_arrowState == asForwardPressed ? DFCS_PUSHED : 0));
    // Tabs running under the arrows must not paint over them.
    canvas.ExcludeClipRect(m_backArrow);
    canvas.ExcludeClipRect(m_forwardArrow);
}

// --- tabs ------------------------------------------------------------------

void TdxPageControlStandardButtons::paintFrame(Canvas &canvas)
{
    canvas.DrawEdge(tabDisplayFrame(), EDGE_RAISED, BF_RECT);
}

void TdxPageControlStandardButtons::paintTab(Canvas &canvas, const TdxPageControlButton &tab)
{
    const int u = spacingUnit();
    const TdxTabPosition pos = position();
    TRect r = tab.rect();
    if (tab.active()) {
        r = stripOffsetRect(r, pos, 0, u, rowCount() > 1 ? -u : 0, -u);
        // Reach over the frame's edge so the tab runs into its page.
        const TRect frame = tabDisplayFrame();
        switch (pos) {
        case TdxTabPosition::dxtpTop: r.Bottom = frame.Top + 2; break;
        case TdxTabPosition::dxtpBottom: r.Top = frame.Bottom - 2; break;
        case TdxTabPosition::dxtpLeft: r.Right = frame.Left + 2; break;
        case TdxTabPosition::dxtpRight: r.Left = frame.Right - 2; break;
        }
        canvas.FillRect(r, Brush::solid(clBtnFace));
    } else if (rowCount() == 1) {
        r = stripOffsetRect(r, pos, 0, 0, u, 0);
    }
    if (drawnHighlighted(tab))
        canvas.FillRect(deflate(r, 1, 1), Brush::solid(clHighlight));
    // A soft inner highlight on the near end and the outer edge, then the
    // full raised edge on the three sides away from the page.
    canvas.DrawEdge(r, BDR_RAISEDINNER, sideFlags(true, false, true, false));
    canvas.DrawEdge(r, EDGE_RAISED, sideFlags(true, false, true, true));
    const TRect content = stripOffsetRect(r, pos, -1, -u, u, u);
    const int mark = tabsMark();
    paintContent(canvas, tab, content);
    if (tabsAsAt(mark) && tab.focused())
        canvas.DrawFocusRect(deflate(r, u + 1, u + 1));
}

// --- buttons ---------------------------------------------------------------

void TdxPageControlBtnButtons::paintTab(Canvas &canvas, const TdxPageControlButton &tab)
{
    const TRect r = deflate(tab.rect(), 1, 1);
    if (tab.active()) {
        canvas.DrawEdge(r, EDGE_SUNKEN, BF_RECT);
        canvas.FillRect(deflate(r, 2, 2), Brush::solid(pageControlLightColor()));
        if (tab.focused())
            canvas.DrawFocusRect(deflate(r, 3, 3));
    } else {
        canvas.DrawEdge(r, EDGE_RAISED, BF_RECT);
    }
    TRect content = deflate(r, 2, 2);
    if (tab.active())
        content = TRect{content.Left + 1, content.Top + 1, content.Right + 1, content.Bottom + 1};
    paintContent(canvas, tab, content);
}

void TdxPageControlFlatBtnButtons::paintTab(Canvas &canvas, const TdxPageControlButton &tab)
{
    const int u = spacingUnit();
    const TRect r = deflate(tab.rect(), 1, 1);
    // The etched separator at the tab's end.
    TRect sep = tab.rect();
    switch (position()) {
    case TdxTabPosition::dxtpTop:
    case TdxTabPosition::dxtpBottom:
        sep = TRect{sep.Right - 2, sep.Top + u, sep.Right, sep.Bottom - u};
        canvas.DrawEdge(sep, EDGE_ETCHED, BF_LEFT);
        break;
    case TdxTabPosition::dxtpLeft:
        sep = TRect{sep.Left + u, sep.Top, sep.Right - u, sep.Top + 2};
        canvas.DrawEdge(sep, EDGE_ETCHED, BF_TOP);
        break;
    case TdxTabPosition::dxtpRight:
        sep = TRect{sep.Left + u, sep.Bottom - 2, sep.Right - u, sep.Bottom};
        canvas.DrawEdge(sep, EDGE_ETCHED, BF_TOP);
        break;
    }
    const TRect face = vertical(position()) ? TRect{r.Left, r.Top + 2, r.Right, r.Bottom - 2}
                                            : TRect{r.Left, r.Top, r.Right - 2, r.Bottom};
    if (tab.active()) {
        canvas.DrawEdge(face, EDGE_SUNKEN, BF_RECT);
        canvas.FillRect(deflate(face, 2, 2), Brush::solid(pageControlLightColor()));
        if (tab.focused())
            canvas.DrawFocusRect(deflate(face, 3, 3));
    } else if (tab.hot()) {
        canvas.DrawEdge(face, BDR_RAISEDINNER, BF_RECT);
    }
    paintContent(canvas, tab, deflate(face, 2, 2));
}

// --- flat ------------------------------------------------------------------

void TdxPageControlNetFlatButtons::fillBackground(Canvas &canvas)
{
    canvas.FillRect(stripRect(), Brush::solid(pageControlLightColor()));
}

void TdxPageControlNetFlatButtons::paintFrame(Canvas &canvas)
{
    if (host()->stripOptions().hideButtons || tabCount() == 0)
        return;
    const int h = tabHeight();
    const int u = spacingUnit();
    const rtl::TSize size = host()->clientSize();
    const int length = vertical(position()) ? size.cy : size.cx;
    const bool light = position() == TdxTabPosition::dxtpTop || position() == TdxTabPosition::dxtpLeft;
    for (int row = 1; row <= rowCount(); ++row) {
        const int inner = (row - 1) * (h + u) + h;
        canvas.FillRect(mapFromStrip(0, inner, length, inner + u), Brush::solid(clBtnFace));
        canvas.FillRect(mapFromStrip(0, inner, length, inner + 1), Brush::solid(light ? clWhite : clBtnText));
    }
}

void TdxPageControlNetFlatButtons::paintTab(Canvas &canvas, const TdxPageControlButton &tab)
{
    const TdxTabPosition pos = position();
    const bool light = pos == TdxTabPosition::dxtpTop || pos == TdxTabPosition::dxtpLeft;
    const TColor sideColor = light ? clWhite : clBtnText;
    const TRect r = tab.rect();
    if (tab.active()) {
        // One pixel more towards the page covers the row's line.
        const TRect face = stripOffsetRect(r, pos, 1, 0, 0, 0);
        canvas.FillRect(face, Brush::solid(clBtnFace));
        auto line = [&](unsigned side, TColor color) {
            TRect l = face;
            if (side == BF_LEFT)
                l.Right = l.Left + 1;
            if (side == BF_RIGHT)
                l.Left = l.Right - 1;
            if (side == BF_TOP)
                l.Bottom = l.Top + 1;
            if (side == BF_BOTTOM)
                l.Top = l.Bottom - 1;
            canvas.FillRect(l, Brush::solid(color));
        };
        line(sideFlags(false, false, false, true), clBtnText);
        line(sideFlags(false, false, true, false), clWhite);
        line(sideFlags(true, false, false, false), sideColor);
        line(sideFlags(false, true, false, false), sideColor);
    } else {
        const int u = spacingUnit();
        const TRect sep = vertical(pos) ? TRect{r.Left + u, r.Bottom - 1, r.Right - u, r.Bottom}
                                        : TRect{r.Right - 1, r.Top + u, r.Right, r.Bottom - u};
        canvas.FillRect(sep, Brush::solid(clBtnFace));
    }
    paintContent(canvas, tab, deflate(r, spacingUnit(), 1));
}

void TdxPageControlNetFlatButtons::paintArrows(Canvas &canvas)
{
    if (backArrowRect().IsEmpty())
        return;
    const bool side = vertical(position());
    auto arrow = [&](const TRect &r, bool forward, bool pressed, bool hot) {
        const int cx = (r.Left + r.Right) / 2;
        const int cy = (r.Top + r.Bottom) / 2;
        const int s = std::max(2, std::min(r.Width(), r.Height()) / 4);
        std::vector<rtl::TPoint> pts;
        if (!side) {
            const int tip = forward ? cx + s / 2 : cx - s / 2;
            const int base = forward ? tip - s : tip + s;
            pts = {{tip, cy}, {base, cy - s}, {base, cy + s}};
        } else {
            const int tip = forward ? cy + s / 2 : cy - s / 2;
            const int base = forward ? tip - s : tip + s;
            pts = {{cx, tip}, {cx - s, base}, {cx + s, base}};
        }
        const TColor color = pressed ? clHighlightText : clBtnText;
        canvas.setPen(Pen{color});
        canvas.setBrush(Brush::solid(color));
        canvas.Polygon(pts);
        if (hot || pressed) {
            const int dx = r.Width() / 6;
            const TRect e{r.Left + dx, r.Top + 2, r.Right - dx, r.Bottom - 2};
            canvas.DrawEdge(e, pressed ? BDR_SUNKENINNER : BDR_RAISEDOUTER, BF_RECT);
        }
    };
    const int state = arrowState();
    arrow(backArrowRect(), false, state == asBackPressed, state == asBackHot);
    arrow(forwardArrowRect(), true, state == asForwardPressed, state == asForwardHot);
    canvas.ExcludeClipRect(backArrowRect());
    canvas.ExcludeClipRect(forwardArrowRect());
}

} // namespace widgets
