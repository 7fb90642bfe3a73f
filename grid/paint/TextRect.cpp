#include "grid/paint/TextRect.h"

namespace grid {

namespace {

// Halving that rounds toward minus infinity, as the platform's signed shift
// does: a text taller than a rectangle at the top starts above it.
int floorHalf(int value)
{
    return value >= 0 ? value / 2 : -((-value + 1) / 2);
}

class CanvasStateGuard
{
public:
    explicit CanvasStateGuard(gfx::Canvas &canvas)
        : m_canvas(canvas)
        , m_font(canvas.font())
        , m_bkColor(canvas.bkColor())
        , m_bkMode(canvas.bkMode())
    {}
    ~CanvasStateGuard()
    {
        m_canvas.setFont(m_font);
        m_canvas.setBkColor(m_bkColor);
        m_canvas.setBkMode(m_bkMode);
    }
    CanvasStateGuard(const CanvasStateGuard &) = delete;
    CanvasStateGuard &operator=(const CanvasStateGuard &) = delete;

private:
    gfx::Canvas &m_canvas;
    gfx::Font m_font; // holds the text colour too
    rtl::TColor m_bkColor;
    gfx::BkMode m_bkMode;
};

unsigned layoutFormat(unsigned flags, bool tooWide)
{
    unsigned format = gfx::DT_EXPANDTABS;
    switch (flags & DTR_HALIGN) {
    case DTR_CENTER: format |= gfx::DT_CENTER; break;
    case DTR_RIGHT: format |= gfx::DT_RIGHT; break;
    default: format |= gfx::DT_LEFT; break;
    }
    if (!tooWide)
        format |= gfx::DT_NOCLIP;
    if (!(flags & DTR_PREFIX))
        format |= gfx::DT_NOPREFIX;
    if (flags & DTR_END_ELLIPSIS)
        format |= gfx::DT_END_ELLIPSIS;
    if (flags & DTR_PATH_ELLIPSIS)
        format |= gfx::DT_PATH_ELLIPSIS;
    switch (flags & DTR_VLAYOUT) {
    case DTR_VCENTER: format |= gfx::DT_VCENTER | gfx::DT_SINGLELINE; break;
    case DTR_BOTTOM: format |= gfx::DT_BOTTOM | gfx::DT_SINGLELINE; break;
    case DTR_WORDBREAK: format |= gfx::DT_WORDBREAK; break;
    default: format |= gfx::DT_SINGLELINE; break;
    }
    return format;
}

} // namespace

TextRectPath ChooseTextRectPath(unsigned flags, int textRectWidth, int textWidth, bool hasLineBreak)
{
    if (flags & (DTR_WORDBREAK | DTR_PREFIX))
        return TextRectPath::Layout;
    const bool tooWide = textRectWidth < textWidth;
    if ((tooWide || hasLineBreak) && (flags & (DTR_END_ELLIPSIS | DTR_PATH_ELLIPSIS | DTR_WORDBREAK)))
        return TextRectPath::Layout;
    return TextRectPath::SingleRun;
}

int DrawTextRect(gfx::Canvas &canvas, QStringView text, const rtl::TRect &fillRect, const rtl::TRect &textRect,
                 unsigned flags, const gfx::Brush &brush, const gfx::Font &font, rtl::TColor bkColor,
                 rtl::TColor textColor, int *lineHeight)
{
    const CanvasStateGuard restore(canvas);
    gfx::Font selected = font;
    selected.color = textColor;
    canvas.setFont(selected);
    canvas.setBkColor(bkColor);

    const rtl::TSize extent = canvas.TextExtent(text);
    const int w = extent.cx;
    const int h = extent.cy;
    const bool measure = flags & DTR_MEASURE;
    if (measure && lineHeight) {
        *lineHeight = h;
        if (h == 0)
            return 0;
    }
    const bool hasLineBreak = text.contains(u'\r') || text.contains(u'\n');
    const TextRectPath path = ChooseTextRectPath(flags, textRect.Width(), w, hasLineBreak);
    const bool tooWide = (flags & (DTR_WORDBREAK | DTR_PREFIX)) || textRect.Width() < w;
    int needed = h;
    rtl::TRect t = textRect;

    if (path == TextRectPath::Layout) {
        const unsigned format = layoutFormat(flags, tooWide);
        if (measure) {
            rtl::TRect calc = t;
            canvas.DrawText(text, calc, format | gfx::DT_CALCRECT);
            needed = calc.Height();
        } else {
            if (!(flags & DTR_NOFILL))
                canvas.FillRect(fillRect, brush);
            if (!(flags & DTR_KEEPBKMODE))
                canvas.setBkMode(gfx::BkMode::Transparent);
            canvas.DrawText(text, t, format);
            if ((flags & DTR_FOCUSRECT) && (flags & DTR_FOCUS_ON_TEXT)) {
                canvas.DrawText(text, t, format | gfx::DT_CALCRECT);
                if ((flags & DTR_VLAYOUT) != DTR_WORDBREAK)
                    t.Top = t.Bottom - h;
            }
        }
    } else {
        rtl::TRect c = fillRect;
        if (tooWide) {
            if (!(flags & DTR_NOFILL) && !measure)
                canvas.FillRect(rtl::TRect{textRect.Right, c.Top, c.Right, c.Bottom}, brush);
            c.Right = textRect.Right;
        } else if ((flags & DTR_HALIGN) == DTR_CENTER) {
            t.Left = floorHalf(t.Left + t.Right - w);
        } else if ((flags & DTR_HALIGN) == DTR_RIGHT) {
            t.Left = t.Right - w;
        }
        switch (flags & DTR_VLAYOUT) {
        case DTR_VCENTER: t.Top = floorHalf(t.Top + t.Bottom - h); break;
        case DTR_BOTTOM: t.Top = t.Bottom - h; break;
        default: break;
        }
        if (!measure) {
            if (flags & DTR_NOFILL) {
                if (!(flags & DTR_KEEPBKMODE))
                    canvas.setBkMode(gfx::BkMode::Transparent);
                canvas.ExtTextOut(t.Left, t.Top, gfx::ETO_CLIPPED, &c, text);
            } else {
                canvas.ExtTextOut(t.Left, t.Top, gfx::ETO_OPAQUE | gfx::ETO_CLIPPED, &c, text);
            }
        }
    }

    if (measure)
        return (fillRect.Height() - textRect.Height()) + needed;
    if (flags & DTR_FOCUSRECT) {
        const bool onText = flags & DTR_FOCUS_ON_TEXT;
        if (!onText || !text.isEmpty()) {
            rtl::TRect focus = onText ? t : textRect;
            focus = rtl::TRect{focus.Left - 1, focus.Top - 1, focus.Right + 1, focus.Bottom + 1};
            canvas.setBkColor(rtl::clBlack);
            canvas.setTextColor(rtl::clWhite);
            canvas.DrawFocusRect(focus);
        }
    }
    return 0;
}

} // namespace grid
