#include "grid/paint/EditPaint.h"

#include "grid/core/CharCase.h"
#include "grid/paint/TextRect.h"

#include "platform/rtl/Variants.h"

#include <QPainter>

#include <algorithm>

namespace grid {

using rtl::TRect;

void FillShadow(gfx::Canvas &canvas, const TRect &r, int size, const gfx::Brush &brush)
{
    canvas.FillRect(TRect{r.Left, r.Bottom - size, r.Right, r.Bottom}, brush);
    canvas.FillRect(TRect{r.Right - size, r.Top, r.Right, r.Bottom}, brush);
}

void DrawEditBorder(gfx::Canvas &canvas, const TdxEditViewInfo &info, const TdxEditViewData &viewData)
{
    TRect r = info.BorderRect;
    unsigned edges = 0;
    if (info.EdgeLeft)
        edges |= gfx::BF_LEFT;
    if (info.EdgeTop)
        edges |= gfx::BF_TOP;
    if (info.EdgeRight)
        edges |= gfx::BF_RIGHT;
    if (info.EdgeBottom)
        edges |= gfx::BF_BOTTOM;

    switch (viewData.BorderStyle) {
    case xbsSingle:
    case xbsThick: {
        const gfx::Brush brush = gfx::Brush::solid(rtl::ColorToRGB(viewData.BorderColor));
        const int bw = info.BorderWidth;
        if (edges == gfx::BF_RECT) {
            for (int i = 0; i < bw; ++i) {
                canvas.FrameRect(r, brush);
                r = TRect{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
            }
        } else {
            const int sideTop = info.EdgeTop ? r.Top : r.Top - bw;
            if (info.EdgeLeft)
                canvas.FillRect(TRect{r.Left, sideTop, r.Left + bw, r.Bottom}, brush);
            if (info.EdgeTop)
                canvas.FillRect(TRect{r.Left, r.Top, r.Right, r.Top + bw}, brush);
            if (info.EdgeRight)
                canvas.FillRect(TRect{r.Right - bw, sideTop, r.Right, r.Bottom}, brush);
            if (info.EdgeBottom)
                canvas.FillRect(TRect{r.Left, r.Bottom - bw, r.Right, r.Bottom}, brush);
        }
        break;
    }
    case xbsFlat:
        canvas.DrawEdge(r, gfx::BDR_SUNKENOUTER, edges | gfx::BF_ADJUST);
        canvas.DrawEdge(r, gfx::BDR_SUNKENINNER, edges | gfx::BF_FLAT);
        break;
    case xbs3D: canvas.DrawEdge(r, gfx::EDGE_SUNKEN, edges); break;
    case xbsNone: break;
    }

    if (viewData.Shadow)
        FillShadow(canvas, info.ShadowRect, info.ShadowSize, gfx::Brush::solid(rtl::clBtnShadow));
}

void DrawEditContent(gfx::Canvas &canvas, const TRect &rect, const TdxEditViewData &viewData)
{
    if (!viewData.MeasureOnly)
        canvas.FillRect(rect, viewData.Brush);
}

QString TextEditDisplayText(const TdxEditViewData &viewData)
{
    QString text = rtl::VarToStr(viewData.EditValue);
    const auto *textData = dynamic_cast<const TdxTextEditViewData *>(&viewData);
    if (!textData)
        return text;
    text = CaseConverted(text, textData->CharCase);
    if (!textData->PasswordChar.isNull() && !text.isEmpty())
        text = PasswordText(text, textData->PasswordChar);
    return text;
}

bool DrawTextEditContent(gfx::Canvas &canvas, const TRect &rect, bool forPaint, TdxEditViewData &viewData)
{
    if (forPaint && viewData.IsTextEditor)
        return false;
    const QString text = TextEditDisplayText(viewData);
    if (viewData.TextLength == 0)
        viewData.TextLength = int(rtl::VarToStr(viewData.EditValue).size());

    const auto *textData = dynamic_cast<const TdxTextEditViewData *>(&viewData);
    const TRect &m = viewData.Margins;
    TRect r = rect;
    if (textData && textData->SelectionBar)
        r.Left += 8;
    r = TRect{r.Left + 1 + m.Left, r.Top + 1 + m.Top, r.Right - 1 - m.Right, r.Bottom - 1};
    if (viewData.Alignment == taRightJustify)
        r.Right -= 1;

    unsigned flags = 0;
    switch (viewData.Alignment) {
    case taRightJustify: flags |= DTR_RIGHT; break;
    case taCenter: flags |= DTR_CENTER; break;
    default: break;
    }
    switch (viewData.VerticalLayout) {
    case 1: flags |= DTR_VCENTER; break;
    case 2: flags |= DTR_BOTTOM; break;
    case 3: flags |= DTR_WORDBREAK; break;
    default: break;
    }
    if (viewData.StaticFocus && viewData.Focused)
        flags |= DTR_FOCUSRECT;
    if (viewData.Transparent)
        flags |= DTR_NOFILL;
    if (viewData.KeepBkMode)
        flags |= DTR_KEEPBKMODE;
    if (textData && textData->EndEllipsis)
        flags |= DTR_END_ELLIPSIS;

    if (viewData.MeasureOnly) {
        int lineHeight = 0;
        const int needed = DrawTextRect(canvas, text, rect, r, flags | DTR_MEASURE, viewData.Brush, viewData.Font,
                                        viewData.Color, viewData.FontColor, &lineHeight);
        viewData.Height = needed - (m.Top + 2);
        viewData.LineHeight = lineHeight;
        if (lineHeight != 0)
            viewData.LineCount = viewData.Height / lineHeight;
        return true;
    }
    DrawTextRect(canvas, text, rect, r, flags, viewData.Brush, viewData.Font, viewData.Color, viewData.FontColor);
    return true;
}

void DrawTransparentBitmap(gfx::Canvas &canvas, const gfx::Brush &brush, const TRect &r, const QImage &bitmap)
{
    if (bitmap.isNull())
        return;
    const int w = bitmap.width();
    const int h = bitmap.height();
    QImage copy = bitmap.convertToFormat(QImage::Format_RGB32);
    const QRgb transparent = copy.pixel(0, h - 1);
    // The brush as the memory copy would show it, its pattern anchored at
    // the copy's top-left.
    QImage brushed(w, h, QImage::Format_RGB32);
    {
        gfx::Canvas c(&brushed);
        c.FillRect(TRect{0, 0, w, h}, brush);
    }
    for (int y = 0; y < h; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(copy.scanLine(y));
        const QRgb *fill = reinterpret_cast<const QRgb *>(brushed.constScanLine(y));
        for (int x = 0; x < w; ++x)
            if (line[x] == transparent)
                line[x] = fill[x];
    }
    canvas.BitBlt(r.Left, r.Top, r.Width(), r.Height(), copy, 0, 0);
}

void EnsureBitmapSize(QImage &bitmap, int width, int height)
{
    if (!bitmap.isNull() && bitmap.width() >= width && bitmap.height() >= height)
        return;
    const int w = std::max(bitmap.isNull() ? 0 : bitmap.width(), width);
    const int h = std::max(bitmap.isNull() ? 0 : bitmap.height(), height);
    if (w <= 0 || h <= 0)
        return;
    QImage grown(w, h, bitmap.isNull() ? QImage::Format_RGB32 : bitmap.format());
    grown.fill(Qt::white);
    if (!bitmap.isNull()) {
        QPainter p(&grown);
        p.drawImage(0, 0, bitmap);
    }
    bitmap = grown;
}

} // namespace grid
