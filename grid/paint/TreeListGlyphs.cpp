#include "grid/paint/TreeListGlyphs.h"

#include "grid/core/TreeListPaintRules.h"
#include "grid/core/TreeListShared.h"
#include "grid/paint/EditPaint.h"

#include <QPainter>

#include <optional>

namespace grid {

using rtl::TRect;

namespace {

void glyphFill(gfx::Canvas &canvas, int left, int top, int right, int bottom, rtl::TColor color)
{
    canvas.FillRect(rtl::Rect(left, top, right, bottom), gfx::Brush::solid(color));
}

QImage glyphImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

std::optional<ExpandGlyphPair> &sharedPair()
{
    static std::optional<ExpandGlyphPair> pair;
    return pair;
}

} // namespace

ExpandGlyphPair DrawExpandGlyphs()
{
    ExpandGlyphPair pair;
    for (int pass = 0; pass < 2; ++pass) {
        QImage bitmap = glyphImage(12, 12);
        {
            gfx::Canvas c(&bitmap);
            TRect r = rtl::Rect(0, 0, 12, 12);
            c.DrawEdge(r, gfx::BDR_RAISEDINNER, gfx::BF_LEFT | gfx::BF_TOP);
            c.DrawEdge(r, gfx::BDR_RAISEDOUTER, gfx::BF_RIGHT | gfx::BF_BOTTOM);
            r = rtl::Rect(1, 1, 11, 11);
            c.DrawEdge(r, gfx::BDR_RAISEDINNER, gfx::BF_RIGHT | gfx::BF_BOTTOM);
            glyphFill(c, 1, 1, 10, 10, rtl::GetSysColor(rtl::COLOR_BTNFACE));
            const rtl::TColor text = rtl::GetSysColor(rtl::COLOR_BTNTEXT);
            glyphFill(c, 3, 5, 8, 6, text);
            if (pass == 0)
                glyphFill(c, 5, 3, 6, 8, text);
        }
        (pass == 0 ? pair.plus : pair.minus) = bitmap;
    }
    return pair;
}

const ExpandGlyphPair &SharedExpandGlyphs()
{
    if (!sharedPair())
        sharedPair() = DrawExpandGlyphs();
    return *sharedPair();
}

void RefreshExpandGlyphs()
{
    sharedPair() = DrawExpandGlyphs();
}

void DrawClassicExpandButton(gfx::Canvas &canvas, const TRect &rect, int y, bool expanded)
{
    const int x = (rect.Left + rect.Right - 9) / 2;
    const int top = y - 4;
    canvas.FrameRect(rtl::Rect(x, top, x + 9, top + 9), gfx::Brush::solid(rtl::clGrayText));
    glyphFill(canvas, x + 2, top + 4, x + 7, top + 5, rtl::clWindowText);
    if (!expanded)
        glyphFill(canvas, x + 4, top + 2, x + 5, top + 7, rtl::clWindowText);
}

void DrawFlatExpandButton(gfx::Canvas &canvas, const TRect &rect, bool expanded)
{
    const int x = (rect.Left + rect.Right - 11) / 2;
    const int y = (rect.Top + rect.Bottom - 11) / 2;
    const TRect box = rtl::Rect(x, y, x + 11, y + 11);
    canvas.DrawEdge(rtl::Rect(x + 1, y + 1, x + 12, y + 12), gfx::BDR_RAISEDINNER, gfx::BF_RECT | gfx::BF_FLAT);
    canvas.FrameRect(box, gfx::Brush::solid(rtl::clWindowFrame));
    glyphFill(canvas, x + 3, y + 5, x + 8, y + 6, rtl::clWindowFrame);
    if (!expanded)
        glyphFill(canvas, x + 5, y + 3, x + 6, y + 8, rtl::clWindowFrame);
}

void DrawTwoStateGlyph(gfx::Canvas &canvas, const TRect &rect, bool plus)
{
    const QImage &glyph = plus ? SharedExpandGlyphs().plus : SharedExpandGlyphs().minus;
    const int x = (rect.Left + rect.Right - glyph.width() + 1) / 2;
    const int y = (rect.Top + rect.Bottom - glyph.height() + 1) / 2;
    canvas.BitBlt(x, y, glyph.width(), glyph.height(), glyph, 0, 0);
}

void DrawSortArrow(gfx::Canvas &canvas, const TRect &rect, bool up)
{
    const int x = (rect.Left + rect.Right - 8) / 2;
    const int y = (rect.Top + rect.Bottom - 7) / 2;
    const auto shadow = gfx::Brush::solid(rtl::clBtnShadow);
    const auto light = gfx::Brush::solid(rtl::clBtnHighlight);
    // Each row of the triangle: its left edge in shadow, its right in light,
    // the base in the colour of the side it faces.
    for (int row = 0; row < 7; ++row) {
        const int half = up ? row / 2 : (6 - row) / 2;
        const int left = x + 3 - half;
        const int right = x + 4 + half;
        canvas.FillRect(rtl::Rect(left, y + row, left + 1, y + row + 1), shadow);
        canvas.FillRect(rtl::Rect(right, y + row, right + 1, y + row + 1), light);
    }
    const int baseY = up ? y + 6 : y;
    canvas.FillRect(rtl::Rect(x, baseY, x + 8, baseY + 1), up ? light : shadow);
}

TRect DrawHeaderFrame(gfx::Canvas &canvas, const TRect &rect, uint8_t look, const gfx::Brush &brush, bool pressed)
{
    TRect r = rect;
    if (look == 0) {
        canvas.DrawEdge(r, gfx::EDGE_RAISED, gfx::BF_RECT | gfx::BF_ADJUST);
        canvas.FillRect(r, brush);
    } else if (look == 2) {
        canvas.FrameRect(r, gfx::Brush::solid(rtl::clBtnShadow));
        r = rtl::Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
        canvas.FillRect(r, brush);
    } else {
        canvas.DrawEdge(r, gfx::BDR_SUNKENOUTER, gfx::BF_RECT | gfx::BF_ADJUST);
        canvas.FillRect(r, brush);
    }
    if (pressed)
        canvas.InvertRect(rect);
    return look == 0 ? rtl::Rect(r.Left + 1, r.Top, r.Right - 1, r.Bottom) : r;
}

unsigned HeaderTextFlags(TAlignment alignment, bool multiLine)
{
    unsigned flags =
        multiLine ? gfx::DT_WORDBREAK | gfx::DT_NOPREFIX | gfx::DT_EXPANDTABS
                  : gfx::DT_SINGLELINE | gfx::DT_VCENTER | gfx::DT_END_ELLIPSIS | gfx::DT_NOPREFIX | gfx::DT_EXPANDTABS;
    flags |= alignment == taRightJustify ? gfx::DT_RIGHT : alignment == taCenter ? gfx::DT_CENTER : gfx::DT_LEFT;
    return flags;
}

namespace {

void headerFace(gfx::Canvas &canvas, const TRect &rect, const HeaderCellLook &cell)
{
    TRect text = DrawHeaderFrame(canvas, rect, cell.look, cell.brush, false);
    if (cell.dropDown >= 0 && text.Width() >= HeaderDropDownWidth) {
        DrawDropDownGlyph(canvas, rtl::Rect(text.Right - HeaderDropDownWidth, text.Top, text.Right, text.Bottom),
                          cell.dropDown);
        text.Right -= HeaderDropDownWidth;
    }
    if (text.Width() >= 16 && cell.sorted != 0) {
        DrawSortArrow(canvas, rtl::Rect(text.Right - 16, text.Top, text.Right, text.Bottom), cell.sorted == 1);
        text.Right -= 16;
    }
    if (!cell.glyph.isNull()) {
        const int y = (text.Top + text.Bottom - cell.glyph.height()) / 2;
        DrawTransparentBitmap(canvas, cell.brush,
                              rtl::Rect(text.Left, y, text.Left + cell.glyph.width(), y + cell.glyph.height()),
                              cell.glyph);
        text.Left += cell.glyph.width() + 2;
    }
    const gfx::BkMode mode = canvas.setBkMode(gfx::BkMode::Transparent);
    unsigned flags = HeaderTextFlags(cell.alignment, cell.multiLine);
    if (!cell.multiLine && canvas.TextWidth(cell.text) <= text.Width())
        flags |= gfx::DT_NOCLIP;
    canvas.DrawText(cell.text, text, flags);
    canvas.setBkMode(mode);
}

} // namespace

void DrawHeaderCell(gfx::Canvas &canvas, const TRect &rect, const TRect &clip, const HeaderCellLook &cell)
{
    if (rect.IsEmpty() || !canvas.RectVisible(clip))
        return;
    const int saved = canvas.SaveDC();
    canvas.IntersectClipRect(clip);
    if (!cell.pressed) {
        headerFace(canvas, rect, cell);
    } else {
        // The pressed look inverts the whole face, text included, which an
        // inversion on the canvas would do to whatever lies beneath too.
        QImage face(rect.Width(), rect.Height(), QImage::Format_RGB32);
        face.fill(Qt::white);
        {
            gfx::Canvas off(&face, &canvas.measurer());
            off.setFont(canvas.font());
            headerFace(off, rtl::Rect(0, 0, rect.Width(), rect.Height()), cell);
        }
        face.invertPixels();
        canvas.BitBlt(rect.Left, rect.Top, rect.Width(), rect.Height(), face, 0, 0);
    }
    canvas.RestoreDC(saved);
}

void DrawIndicatorCell(gfx::Canvas &canvas, const TRect &rect, uint8_t look, int kind, const gfx::Brush &brush,
                       bool pressed)
{
    if (rect.IsEmpty() || !canvas.RectVisible(rect))
        return;
    DrawHeaderFrame(canvas, rect, look, brush, pressed);
    if (const gfx::ImageList *glyphs = IndicatorGlyphs(); glyphs && kind != ikNone)
        DrawCentredImage(canvas, rect, *glyphs, kind);
}

void DrawFocusMark(gfx::Canvas &canvas, const TRect &rect)
{
    const rtl::TColor bk = canvas.setBkColor(rtl::clBlack);
    const rtl::TColor text = canvas.setTextColor(rtl::clWhite);
    canvas.DrawFocusRect(rect);
    canvas.setBkColor(bk);
    canvas.setTextColor(text);
}

void DrawInvertedFrame(gfx::Canvas &canvas, const TRect &r)
{
    if (r.IsEmpty())
        return;
    canvas.InvertRect(rtl::Rect(r.Left, r.Top, r.Right, r.Top + 1));
    if (r.Height() > 1)
        canvas.InvertRect(rtl::Rect(r.Left, r.Bottom - 1, r.Right, r.Bottom));
    if (r.Height() > 2) {
        canvas.InvertRect(rtl::Rect(r.Left, r.Top + 1, r.Left + 1, r.Bottom - 1));
        if (r.Width() > 1)
            canvas.InvertRect(rtl::Rect(r.Right - 1, r.Top + 1, r.Right, r.Bottom - 1));
    }
}

void DrawCentredImage(gfx::Canvas &canvas, const TRect &rect, const gfx::ImageList &list, int index)
{
    if (index < 0 || index >= list.count())
        return;
    const int x = (rect.Left + rect.Right - list.width() + 1) / 2;
    const int y = (rect.Top + rect.Bottom - list.height() + 1) / 2;
    canvas.DrawImage(list, index, x, y);
}

} // namespace grid

namespace grid {

int HeaderEdgeCode(bool firstInLine, bool lastInLine)
{
    if (firstInLine && lastInLine)
        return 0;
    if (firstInLine)
        return 2;
    return lastInLine ? 1 : 3;
}

void DrawDropDownGlyph(gfx::Canvas &canvas, const TRect &rect, int state)
{
    if (rect.IsEmpty())
        return;
    canvas.FrameRect(rect, gfx::Brush::solid(rtl::ColorToRGB(rtl::clBtnShadow)));
    const TRect face = rtl::Rect(rect.Left + 1, rect.Top + 1, rect.Right - 1, rect.Bottom - 1);
    const rtl::TColor faceColor = state == ddPressed ? rtl::clBtnText
                                  : state == ddDown  ? rtl::clBtnShadow
                                                     : rtl::clBtnFace;
    canvas.FillRect(face, gfx::Brush::solid(rtl::ColorToRGB(faceColor)));
    const rtl::TColor arrow = state == ddPressed || state == ddDown ? rtl::clWindow
                              : state == ddHot                      ? rtl::TColor(0xFF0000)
                                                                    : rtl::clBtnText;
    int width = rect.Width() / 2;
    if (width % 2 == 0)
        --width;
    if (width <= 0)
        return;
    const auto brush = gfx::Brush::solid(rtl::ColorToRGB(arrow));
    const int left = (rect.Left + rect.Right - width) / 2;
    const int rows = (width + 1) / 2;
    const int top = (rect.Top + rect.Bottom - rows) / 2;
    for (int row = 0; row < rows; ++row)
        canvas.FillRect(rtl::Rect(left + row, top + row, left + width - row, top + row + 1), brush);
}

TRect DrawFlatHeaderFrame(gfx::Canvas &canvas, const TRect &rect, const gfx::Brush &brush)
{
    TRect r = rect;
    canvas.DrawEdge(r, gfx::BDR_SUNKENOUTER, gfx::BF_RIGHT | gfx::BF_BOTTOM | gfx::BF_FLAT | gfx::BF_ADJUST);
    canvas.FillRect(r, brush);
    return rtl::Rect(r.Left + 1, r.Top, r.Right - 1, r.Bottom);
}

void DrawPreviewText(gfx::Canvas &canvas, const TRect &rect, const QString &text, int indent, const gfx::Font &font,
                     rtl::TColor color, const gfx::Brush &brush)
{
    canvas.FillRect(rect, brush);
    if (text.isEmpty())
        return;
    TRect r = rtl::Rect(rect.Left + 1 + indent, rect.Top + 1, rect.Right - 1, rect.Bottom - 1);
    if (r.IsEmpty())
        return;
    const gfx::BkMode mode = canvas.setBkMode(gfx::BkMode::Transparent);
    const gfx::Font before = canvas.font();
    const rtl::TColor textBefore = canvas.setTextColor(rtl::ColorToRGB(color));
    canvas.setFont(font);
    canvas.DrawText(text, r, gfx::DT_WORDBREAK | gfx::DT_END_ELLIPSIS | gfx::DT_NOPREFIX | gfx::DT_EXPANDTABS);
    canvas.setFont(before);
    canvas.setTextColor(textBefore);
    canvas.setBkMode(mode);
}

void DrawCentredBitmap(gfx::Canvas &canvas, const TRect &rect, const QImage &bitmap)
{
    if (bitmap.isNull())
        return;
    const int x = (rect.Left + rect.Right - bitmap.width() + 1) / 2;
    const int y = (rect.Top + rect.Bottom - bitmap.height() + 1) / 2;
    canvas.BitBlt(x, y, bitmap.width(), bitmap.height(), bitmap, 0, 0);
}

void DrawBottomPanelButton(gfx::Canvas &canvas, const TRect &rect, bool hot, bool pressed)
{
    const rtl::TColor face = pressed ? rtl::clWindowFrame : hot ? rtl::clWindow : rtl::clBtnFace;
    canvas.FillRect(rect, gfx::Brush::solid(rtl::ColorToRGB(face)));
    const TRect outline = rtl::Rect(rect.Left + 2, rect.Top + 2, rect.Right - 2, rect.Bottom - 2);
    if (!outline.IsEmpty())
        canvas.FrameRect(outline, gfx::Brush::solid(rtl::ColorToRGB(pressed ? rtl::clWindow : rtl::clBtnText)));
}

} // namespace grid
