#include "platform/gfx/Canvas.h"

#include "platform/gfx/CanvasPrivate.h"

#include <QPainter>
#include <QPixmap>

namespace gfx {

using rtl::TRect;

// ---- 3-D edges ------------------------------------------------------------

namespace {

struct RingColors
{
    rtl::TColor lt = rtl::clNone;
    rtl::TColor rb = rtl::clNone;
    bool present() const { return lt != rtl::clNone; }
};

RingColors outerColors(unsigned edge, unsigned flags)
{
    const bool soft = flags & BF_SOFT;
    switch (edge & BDR_OUTER) {
    case BDR_RAISEDOUTER: return {soft ? rtl::clBtnHighlight : rtl::cl3DLight, rtl::cl3DDkShadow};
    case BDR_SUNKENOUTER: return {soft ? rtl::cl3DDkShadow : rtl::clBtnShadow, rtl::clBtnHighlight};
    default: return {};
    }
}

RingColors innerColors(unsigned edge, unsigned flags)
{
    const bool soft = flags & BF_SOFT;
    switch (edge & BDR_INNER) {
    case BDR_RAISEDINNER: return {soft ? rtl::cl3DLight : rtl::clBtnHighlight, rtl::clBtnShadow};
    case BDR_SUNKENINNER: return {soft ? rtl::clBtnShadow : rtl::cl3DDkShadow, rtl::cl3DLight};
    default: return {};
    }
}

TRect shrink(const TRect &r, unsigned sides, int by)
{
    TRect out = r;
    if (sides & BF_LEFT)
        out.Left += by;
    if (sides & BF_TOP)
        out.Top += by;
    if (sides & BF_RIGHT)
        out.Right -= by;
    if (sides & BF_BOTTOM)
        out.Bottom -= by;
    return out;
}

} // namespace

// Top and left take the light colour, right and bottom the dark one; the
// dark lines run the full length so they own the top-right and bottom-left
// corners.
void Canvas::drawEdgeRing(const TRect &r, unsigned sides, rtl::TColor lt, rtl::TColor rb)
{
    if (r.IsEmpty())
        return;
    std::vector<QRect> light;
    std::vector<QRect> dark;
    if (sides & BF_TOP)
        light.emplace_back(r.Left, r.Top, r.Width(), 1);
    if (sides & BF_LEFT)
        light.emplace_back(r.Left, r.Top, 1, r.Height());
    if (sides & BF_RIGHT)
        dark.emplace_back(r.Right - 1, r.Top, 1, r.Height());
    if (sides & BF_BOTTOM)
        dark.emplace_back(r.Left, r.Bottom - 1, r.Width(), 1);
    fillRects(light, resolved(lt), QPainter::CompositionMode_SourceOver);
    fillRects(dark, resolved(rb), QPainter::CompositionMode_SourceOver);
}

bool Canvas::DrawEdge(TRect &rect, unsigned edge, unsigned flags)
{
    changing();
    RingColors outer = outerColors(edge, flags);
    RingColors inner = innerColors(edge, flags);
    if (flags & BF_MONO) {
        if (outer.present())
            outer = {rtl::clWindowFrame, rtl::clWindowFrame};
        if (inner.present())
            inner = {rtl::clWindow, rtl::clWindow};
    } else if (flags & BF_FLAT) {
        if (outer.present())
            outer = {rtl::clBtnShadow, rtl::clBtnShadow};
        if (inner.present())
            inner = {rtl::clBtnFace, rtl::clBtnFace};
    }

    const unsigned sides = flags & BF_RECT;
    if (flags & BF_DIAGONAL) {
        // One line from corner to corner in the ring colours: the light one
        // when the line ends at the top, the dark one otherwise.
        const bool endTop = flags & BF_TOP;
        const bool endLeft = flags & BF_LEFT;
        const int x0 = endLeft ? rect.Right - 1 : rect.Left;
        const int x1 = endLeft ? rect.Left : rect.Right - 1;
        const int y0 = endTop ? rect.Bottom - 1 : rect.Top;
        const int y1 = endTop ? rect.Top : rect.Bottom - 1;
        const Pen saved = m_state.pen;
        int offset = 0;
        for (const RingColors &ring : {outer, inner}) {
            if (!ring.present())
                continue;
            m_state.pen = Pen{endTop ? ring.lt : ring.rb, 1, PenStyle::Solid, PenMode::Copy};
            drawLinePixels(x0, y0 + (endTop ? -offset : offset), x1 + (endLeft ? offset : -offset), y1, true);
            ++offset;
        }
        m_state.pen = saved;
        if (flags & BF_MIDDLE) {
            // The triangle on the far side of the line is the face.
            std::vector<rtl::TPoint> tri{{x0, y0}, {x1, y1}, {endLeft ? x0 : x1, endTop ? y0 : y1}};
            const Pen p = m_state.pen;
            const Brush b = m_state.brush;
            m_state.pen.style = PenStyle::Clear;
            m_state.brush = Brush::solid((flags & BF_MONO) ? rtl::clWindow : rtl::clBtnFace);
            Polygon(tri);
            m_state.pen = p;
            m_state.brush = b;
        }
        return true;
    }

    TRect r = rect;
    if (outer.present()) {
        drawEdgeRing(r, sides, outer.lt, outer.rb);
        r = shrink(r, sides, 1);
    }
    if (inner.present()) {
        drawEdgeRing(r, sides, inner.lt, inner.rb);
        r = shrink(r, sides, 1);
    }
    if ((flags & BF_MIDDLE) && !r.IsEmpty())
        FillRect(r, Brush::solid((flags & BF_MONO) ? rtl::clWindow : rtl::clBtnFace));
    if (flags & BF_ADJUST)
        rect = r;
    return true;
}

bool Canvas::DrawEdge(const TRect &rect, unsigned edge, unsigned flags)
{
    changing();
    TRect copy = rect;
    return DrawEdge(copy, edge, flags & ~BF_ADJUST);
}

// ---- Focus rectangle --------------------------------------------------------

void Canvas::xorRegion(const QRegion &area, const QImage &tile)
{
    if (area.isEmpty())
        return;
    applyClip();
    QPainter &p = *m_painter;
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.setBrushOrigin(0, 0);
    const QBrush brush(tile);
    for (const QRect &r : area)
        p.fillRect(r, brush);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void Canvas::DrawFocusRect(const TRect &rect)
{
    changing();
    if (rect.IsEmpty())
        return;
    // The half-tone in the text and background colours, combined by xor:
    // black and white colours invert every other pixel.
    xorRegion(detail::frameRegion(rect, 1),
              detail::brushTile(Brush::halftone(), m_state.font.color, m_state.bkColor, true,
                                                m_systemColors ? &*m_systemColors : nullptr));
}

// ---- Frame controls -----------------------------------------------------------

namespace {

// Columns (or rows) of a filled arrow head: widths 2k-1, 2k-3, ..., 1.
std::vector<QRect> arrowRects(const TRect &r, unsigned kind, int offset)
{
    const int side = std::min(r.Width(), r.Height());
    const int k = std::max(1, side / 4);
    std::vector<QRect> rects;
    const int cx = r.Left + (r.Width() - 1) / 2 + offset;
    const int cy = r.Top + (r.Height() - 1) / 2 + offset;
    for (int i = 0; i < k; ++i) {
        const int half = k - 1 - i; // tip row/column has half 0
        switch (kind) {
        case DFCS_SCROLLUP: rects.emplace_back(cx - i, cy - k / 2 + i, 2 * i + 1, 1); break;
        case DFCS_SCROLLDOWN: rects.emplace_back(cx - half, cy - k / 2 + i, 2 * half + 1, 1); break;
        case DFCS_SCROLLLEFT: rects.emplace_back(cx - k / 2 + i, cy - i, 1, 2 * i + 1); break;
        default: rects.emplace_back(cx - k / 2 + i, cy - half, 1, 2 * half + 1); break;
        }
    }
    return rects;
}

} // namespace

bool Canvas::DrawFrameControl(const TRect &rect, unsigned type, unsigned state)
{
    changing();
    if (rect.IsEmpty())
        return false;
    const bool pushed = state & DFCS_PUSHED;
    if (type == DFC_BUTTON) {
        if (state & DFCS_FLAT)
            DrawEdge(rect, pushed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT | BF_MIDDLE);
        else
            DrawEdge(rect, pushed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_SOFT);
        return true;
    }
    if (type != DFC_SCROLL)
        return false;
    if (pushed) {
        FrameRect(rect, Brush::solid(rtl::clBtnShadow));
        FillRect(TRect{rect.Left + 1, rect.Top + 1, rect.Right - 1, rect.Bottom - 1}, Brush::solid(rtl::clBtnFace));
    } else if (state & DFCS_FLAT) {
        FrameRect(rect, Brush::solid(rtl::clBtnShadow));
        FillRect(TRect{rect.Left + 1, rect.Top + 1, rect.Right - 1, rect.Bottom - 1}, Brush::solid(rtl::clBtnFace));
    } else {
        DrawEdge(rect, EDGE_RAISED, BF_RECT | BF_MIDDLE);
    }
    const unsigned kind = state & 0xF;
    const int offset = pushed ? 1 : 0;
    if (state & DFCS_INACTIVE) {
        fillRects(arrowRects(rect, kind, offset + 1), resolved(rtl::clBtnHighlight),
                  QPainter::CompositionMode_SourceOver);
        fillRects(arrowRects(rect, kind, offset), resolved(rtl::clGrayText),
                  QPainter::CompositionMode_SourceOver);
    } else {
        fillRects(arrowRects(rect, kind, offset), resolved(rtl::clBtnText), QPainter::CompositionMode_SourceOver);
    }
    return true;
}

// ---- Images ---------------------------------------------------------------------

void Canvas::blit(const QRect &target, const QImage &source, const QRect &sourceRect, RasterOp rop)
{
    if (target.isEmpty())
        return;
    switch (rop) {
    case RasterOp::DstInvert: fillRects({target}, Qt::white, QPainter::RasterOp_NotDestination); return;
    case RasterOp::Blackness: fillRects({target}, Qt::black, QPainter::CompositionMode_Source); return;
    case RasterOp::Whiteness: fillRects({target}, Qt::white, QPainter::CompositionMode_Source); return;
    default: break;
    }
    QPainter::CompositionMode mode = QPainter::CompositionMode_Source;
    switch (rop) {
    case RasterOp::SrcAnd: mode = QPainter::RasterOp_SourceAndDestination; break;
    case RasterOp::SrcPaint: mode = QPainter::RasterOp_SourceOrDestination; break;
    case RasterOp::SrcInvert: mode = QPainter::RasterOp_SourceXorDestination; break;
    case RasterOp::NotSrcCopy: mode = QPainter::RasterOp_NotSource; break;
    default: break;
    }
    // Device pixels have no alpha: the source is taken as opaque colours.
    const QImage src = source.copy(sourceRect).convertToFormat(QImage::Format_RGB32);
    applyClip();
    QPainter &p = *m_painter;
    p.setCompositionMode(mode);
    p.drawImage(target, src);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void Canvas::BitBlt(int x, int y, int width, int height, const QImage &source, int srcX, int srcY, RasterOp rop)
{
    changing();
    blit(QRect(x, y, width, height), source, QRect(srcX, srcY, width, height), rop);
}

void Canvas::BitBlt(int x, int y, int width, int height, const QPixmap &source, int srcX, int srcY, RasterOp rop)
{
    changing();
    blit(QRect(x, y, width, height), source.toImage(), QRect(srcX, srcY, width, height), rop);
}

void Canvas::StretchDraw(const TRect &rect, const QImage &image, RasterOp rop)
{
    changing();
    if (!rect.IsEmpty() && !image.isNull())
        blit(ToQRect(rect), image, image.rect(), rop);
}

void Canvas::StretchDraw(const TRect &rect, const QPixmap &pixmap, RasterOp rop)
{
    changing();
    StretchDraw(rect, pixmap.toImage(), rop);
}

void Canvas::Draw(int x, int y, const QImage &image)
{
    changing();
    if (image.isNull())
        return;
    applyClip();
    m_painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    m_painter->drawImage(QPoint(x, y), image);
}

void Canvas::DrawImage(const ImageList &list, int index, int x, int y, bool enabled)
{
    changing();
    DrawImage(list, index, x, y, list.drawingStyle(), enabled);
}

void Canvas::DrawImage(const ImageList &list, int index, int x, int y, ImageDrawStyle style, bool enabled)
{
    changing();
    QImage glyph = list.image(index);
    if (glyph.isNull())
        return;
    if (style == ImageDrawStyle::Normal && list.bkColor() != rtl::clNone)
        fillRects({QRect(x, y, glyph.width(), glyph.height())}, resolved(list.bkColor()),
                  QPainter::CompositionMode_SourceOver);
    glyph = glyph.convertToFormat(QImage::Format_ARGB32);
    auto mix = [](QRgb px, const QColor &with, int percent) {
        const auto blend = [percent](int a, int b) { return (a * (100 - percent) + b * percent) / 100; };
        return qRgba(blend(qRed(px), with.red()), blend(qGreen(px), with.green()), blend(qBlue(px), with.blue()),
                     qAlpha(px));
    };
    int percent = 0;
    if (style == ImageDrawStyle::Focus)
        percent = 25;
    else if (style == ImageDrawStyle::Selected)
        percent = 50;
    const QColor blendWith = resolved(list.blendColor() == rtl::clDefault ? rtl::clHighlight : list.blendColor());
    const QColor face = resolved(rtl::clBtnFace);
    for (int py = 0; py < glyph.height(); ++py) {
        auto *line = reinterpret_cast<QRgb *>(glyph.scanLine(py));
        for (int px = 0; px < glyph.width(); ++px) {
            if (qAlpha(line[px]) == 0)
                continue;
            if (!enabled) {
                const int g = qGray(line[px]);
                line[px] = mix(qRgba(g, g, g, qAlpha(line[px])), face, 50);
            }
            if (percent)
                line[px] = mix(line[px], blendWith, percent);
        }
    }
    Draw(x, y, glyph);
}

} // namespace gfx
