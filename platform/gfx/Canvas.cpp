#include "platform/gfx/Canvas.h"

#include "platform/gfx/CanvasPrivate.h"

#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygon>

#include <cstdlib>
#include <utility>

namespace gfx {

using rtl::TPoint;
using rtl::TRect;

QRect ToQRect(const TRect &rect)
{
    return QRect(QPoint(rect.Left, rect.Top), QPoint(rect.Right - 1, rect.Bottom - 1));
}

TRect FromQRect(const QRect &rect)
{
    return TRect{rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1};
}

namespace detail {

QRegion frameRegion(const TRect &rect, int width)
{
    QRegion band(ToQRect(rect));
    const TRect inner{rect.Left + width, rect.Top + width, rect.Right - width, rect.Bottom - width};
    if (!inner.IsEmpty())
        band -= QRegion(ToQRect(inner));
    return band;
}

bool hatchPixel(BrushStyle style, int x, int y)
{
    switch (style) {
    case BrushStyle::Horizontal: return y == 0;
    case BrushStyle::Vertical: return x == 0;
    case BrushStyle::FDiagonal: return x == y;
    case BrushStyle::BDiagonal: return x + y == 7;
    case BrushStyle::Cross: return x == 0 || y == 0;
    case BrushStyle::DiagCross: return x == y || x + y == 7;
    default: return false;
    }
}

QImage brushTile(const Brush &brush, rtl::TColor textColor, rtl::TColor bkColor, bool opaqueBackground,
                 const rtl::SystemColors *table)
{
    QImage tile(8, 8, QImage::Format_ARGB32);
    if (brush.style == BrushStyle::Pattern && !brush.bitmap.isNull()) {
        const QImage src = brush.bitmap.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                tile.setPixel(x, y, src.pixel(x % src.width(), y % src.height()) | 0xFF000000u);
        return tile;
    }
    const QRgb fg = opaque(textColor, table).rgba();
    const QRgb bg = opaque(bkColor, table).rgba();
    if (brush.style == BrushStyle::Pattern) {
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                tile.setPixel(x, y, (brush.pattern[y] & (0x80 >> x)) ? bg : fg);
        return tile;
    }
    const QRgb line = opaque(brush.color, table).rgba();
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            tile.setPixel(x, y, hatchPixel(brush.style, x, y) ? line : (opaqueBackground ? bg : 0u));
    return tile;
}

} // namespace detail

namespace {

QPainter::CompositionMode penComposition(PenMode mode)
{
    switch (mode) {
    case PenMode::Xor: return QPainter::RasterOp_SourceXorDestination;
    case PenMode::Not: return QPainter::RasterOp_NotDestination;
    case PenMode::Copy: break;
    }
    return QPainter::CompositionMode_SourceOver;
}

// On/off run lengths of the styled one-pixel pens.
std::vector<int> dashPattern(PenStyle style)
{
    switch (style) {
    case PenStyle::Dash: return {18, 6};
    case PenStyle::Dot: return {3, 3};
    case PenStyle::DashDot: return {9, 6, 3, 6};
    case PenStyle::DashDotDot: return {9, 3, 3, 3, 3, 3};
    default: return {};
    }
}

// Gathers single pixels into horizontal or vertical runs so that a line
// costs a few fills instead of one per pixel.
class SpanCollector
{
public:
    void add(int x, int y)
    {
        if (m_open) {
            if (y == m_r.top() && m_r.height() == 1 && (x == m_r.right() + 1 || x == m_r.left() - 1)) {
                m_r = m_r.united(QRect(x, y, 1, 1));
                return;
            }
            if (x == m_r.left() && m_r.width() == 1 && (y == m_r.bottom() + 1 || y == m_r.top() - 1)) {
                m_r = m_r.united(QRect(x, y, 1, 1));
                return;
            }
            m_rects.push_back(m_r);
        }
        m_r = QRect(x, y, 1, 1);
        m_open = true;
    }
    std::vector<QRect> take()
    {
        if (m_open)
            m_rects.push_back(m_r);
        m_open = false;
        return std::move(m_rects);
    }

private:
    QRect m_r;
    bool m_open = false;
    std::vector<QRect> m_rects;
};

} // namespace

// ---------------------------------------------------------------------------

Canvas::Canvas(QPaintDevice *device, const TextMeasurer *measurer)
    : m_device(device)
    , m_ownPainter(std::make_unique<QPainter>(device))
    , m_painter(m_ownPainter.get())
{
    init();
    setMeasurer(measurer);
}

Canvas::Canvas(QPainter &painter, const TextMeasurer *measurer)
    : m_device(painter.device())
    , m_painter(&painter)
{
    m_painter->save();
    if (m_painter->hasClipping())
        m_baseClip = m_painter->clipRegion();
    init();
    setMeasurer(measurer);
}

Canvas::~Canvas()
{
    flushGlyphs();
    if (m_ownPainter)
        m_ownPainter->end();
    else
        m_painter->restore();
}

QColor Canvas::resolved(rtl::TColor color) const
{
    return detail::opaque(color, m_systemColors ? &*m_systemColors : nullptr);
}

void Canvas::init()
{
    m_painter->setRenderHint(QPainter::Antialiasing, false);
    m_painter->setRenderHint(QPainter::TextAntialiasing, false);
    m_painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
    m_painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

QPainter &Canvas::painter()
{
    applyClip();
    if (m_textPen) {
        m_painter->setPen(Qt::NoPen);
        m_textPen = false;
    }
    return *m_painter;
}

const TextMeasurer &Canvas::measurer() const
{
    return *m_measurer;
}

void Canvas::setMeasurer(const TextMeasurer *measurer)
{
    if (measurer) {
        m_measurer = measurer;
        return;
    }
    if (!m_defaultMeasurer)
        m_defaultMeasurer = std::make_unique<QtTextMeasurer>(m_device ? m_device->logicalDpiY() : 96);
    m_measurer = m_defaultMeasurer.get();
}

rtl::TColor Canvas::setTextColor(rtl::TColor color)
{
    return std::exchange(m_state.font.color, color);
}

rtl::TColor Canvas::setBkColor(rtl::TColor color)
{
    return std::exchange(m_state.bkColor, color);
}

BkMode Canvas::setBkMode(BkMode mode)
{
    return std::exchange(m_state.bkMode, mode);
}

// ---- State stack ----------------------------------------------------------

int Canvas::SaveDC()
{
    m_saved.push_back(m_state);
    return static_cast<int>(m_saved.size());
}

bool Canvas::RestoreDC(int level)
{
    const int depth = static_cast<int>(m_saved.size());
    const int target = level < 0 ? depth + level + 1 : level; // 1-based SaveDC number
    if (target < 1 || target > depth)
        return false;
    m_state = m_saved[static_cast<size_t>(target - 1)];
    m_saved.resize(static_cast<size_t>(target - 1));
    m_clipDirty = true;
    return true;
}

// ---- Clipping -------------------------------------------------------------

QRegion Canvas::deviceRegion() const
{
    if (m_baseClip)
        return *m_baseClip;
    return QRegion(0, 0, m_device ? m_device->width() : 0, m_device ? m_device->height() : 0);
}

QRegion Canvas::effectiveClip() const
{
    const QRegion dev = deviceRegion();
    return m_state.clip ? m_state.clip->intersected(dev) : dev;
}

int Canvas::regionKind() const
{
    const QRegion r = effectiveClip();
    if (r.isEmpty())
        return NULLREGION;
    return r.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

void Canvas::applyClip()
{
    // Whatever is drawn next goes above the texts gathered so far.
    flushGlyphs();
    setPainterClip();
}

void Canvas::setPainterClip()
{
    if (!m_clipDirty)
        return;
    m_clipDirty = false;
    if (m_state.clip)
        m_painter->setClipRegion(m_baseClip ? m_state.clip->intersected(*m_baseClip) : *m_state.clip);
    else if (m_baseClip)
        m_painter->setClipRegion(*m_baseClip);
    else
        m_painter->setClipping(false);
}

int Canvas::IntersectClipRect(const TRect &rect)
{
    const QRegion base = m_state.clip ? *m_state.clip : deviceRegion();
    m_state.clip = base.intersected(rect.IsEmpty() ? QRect() : ToQRect(rect));
    m_clipDirty = true;
    return regionKind();
}

int Canvas::ExcludeClipRect(const TRect &rect)
{
    const QRegion base = m_state.clip ? *m_state.clip : deviceRegion();
    m_state.clip = rect.IsEmpty() ? base : base.subtracted(ToQRect(rect));
    m_clipDirty = true;
    return regionKind();
}

int Canvas::SelectClipRgn(const std::optional<QRegion> &region)
{
    m_state.clip = region;
    m_clipDirty = true;
    return regionKind();
}

TRect Canvas::ClipBox() const
{
    const QRegion r = effectiveClip();
    if (r.isEmpty())
        return TRect{};
    return FromQRect(r.boundingRect());
}

bool Canvas::RectVisible(const TRect &rect) const
{
    return !rect.IsEmpty() && effectiveClip().intersects(ToQRect(rect));
}

void Canvas::withTemporaryClip(const QRegion &extra, const std::function<void()> &draw)
{
    const std::optional<QRegion> saved = m_state.clip;
    const QRegion base = m_state.clip ? *m_state.clip : deviceRegion();
    m_state.clip = base.intersected(extra);
    m_clipDirty = true;
    applyClip();
    draw();
    m_state.clip = saved;
    m_clipDirty = true;
}

// ---- Areas ----------------------------------------------------------------

void Canvas::fillRegion(const QRegion &area, const Brush &brush)
{
    if (area.isEmpty() || brush.style == BrushStyle::Clear)
        return;
    applyClip();
    QPainter &p = *m_painter;
    if (brush.style == BrushStyle::Solid) {
        if (brush.color == rtl::clNone)
            return;
        const QColor c = resolved(brush.color);
        for (const QRect &r : area)
            p.fillRect(r, c);
        return;
    }
    const QImage tile = detail::brushTile(brush, m_state.font.color, m_state.bkColor, m_state.bkMode == BkMode::Opaque,
                                           m_systemColors ? &*m_systemColors : nullptr);
    p.setBrushOrigin(m_state.brushOrigin.X, m_state.brushOrigin.Y);
    const QBrush qb(tile);
    for (const QRect &r : area)
        p.fillRect(r, qb);
    p.setBrushOrigin(0, 0);
}

void Canvas::fillRects(const std::vector<QRect> &rects, const QColor &color, QPainter::CompositionMode mode)
{
    if (rects.empty())
        return;
    applyClip();
    m_painter->setCompositionMode(mode);
    for (const QRect &r : rects)
        m_painter->fillRect(r, color);
    m_painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void Canvas::FillRect(const TRect &rect)
{
    changing();
    FillRect(rect, m_state.brush);
}

void Canvas::FillRect(const TRect &rect, const Brush &brush)
{
    changing();
    if (!rect.IsEmpty())
        fillRegion(QRegion(ToQRect(rect)), brush);
}

void Canvas::FrameRect(const TRect &rect)
{
    changing();
    FrameRect(rect, m_state.brush);
}

void Canvas::FrameRect(const TRect &rect, const Brush &brush)
{
    changing();
    if (rect.IsEmpty())
        return;
    fillRegion(detail::frameRegion(rect, 1), brush);
}

void Canvas::InvertRect(const TRect &rect)
{
    changing();
    if (!rect.IsEmpty())
        fillRects({ToQRect(rect)}, Qt::white, QPainter::RasterOp_NotDestination);
}

void Canvas::SetPixel(int x, int y, rtl::TColor color)
{
    changing();
    fillRects({QRect(x, y, 1, 1)}, resolved(color), QPainter::CompositionMode_SourceOver);
}

// ---- Lines ----------------------------------------------------------------

void Canvas::drawLinePixels(int x0, int y0, int x1, int y1, bool includeEnd)
{
    const Pen &pen = m_state.pen;
    if (pen.style == PenStyle::Clear)
        return;
    if (pen.width > 1) {
        // Wide pens are geometric: drawn by Qt with round ends like the
        // platform's default geometric pen.
        applyClip();
        QPainter &p = *m_painter;
        p.setCompositionMode(penComposition(pen.mode));
        p.setPen(QPen(resolved(pen.color), pen.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(x0, y0, x1, y1);
        p.setPen(Qt::NoPen);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        return;
    }
    const std::vector<int> dashes = dashPattern(pen.style);
    SpanCollector on;
    SpanCollector off;
    size_t dashIndex = 0;
    int dashLeft = dashes.empty() ? 0 : dashes[0];
    auto plot = [&](int x, int y) {
        if (dashes.empty()) {
            on.add(x, y);
            return;
        }
        if (dashIndex % 2 == 0)
            on.add(x, y);
        else
            off.add(x, y);
        if (--dashLeft == 0) {
            dashIndex = (dashIndex + 1) % dashes.size();
            dashLeft = dashes[dashIndex];
        }
    };
    // Bresenham over the major axis.
    const int dx = std::abs(x1 - x0);
    const int dy = std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1;
    const int sy = y0 < y1 ? 1 : -1;
    if (dashes.empty() && (dx == 0 || dy == 0)) {
        // A solid line along an axis is one span: printed pages hold
        // thousands of them, each thousands of pixels long.
        int x2 = x1;
        int y2 = y1;
        if (!includeEnd) {
            if (dx == 0 && dy == 0)
                return;
            if (dx != 0)
                x2 -= sx;
            else
                y2 -= sy;
        }
        fillRects({QRect(QPoint(std::min(x0, x2), std::min(y0, y2)), QPoint(std::max(x0, x2), std::max(y0, y2)))},
                  resolved(pen.color), penComposition(pen.mode));
        return;
    }
    int err = dx - dy;
    int x = x0;
    int y = y0;
    while (true) {
        const bool atEnd = (x == x1 && y == y1);
        if (atEnd && !includeEnd)
            break;
        plot(x, y);
        if (atEnd)
            break;
        const int e2 = 2 * err;
        if (e2 > -dy) {
            err -= dy;
            x += sx;
        }
        if (e2 < dx) {
            err += dx;
            y += sy;
        }
    }
    fillRects(on.take(), resolved(pen.color), penComposition(pen.mode));
    if (m_state.bkMode == BkMode::Opaque && pen.mode == PenMode::Copy)
        fillRects(off.take(), resolved(m_state.bkColor), QPainter::CompositionMode_SourceOver);
}

void Canvas::MoveTo(int x, int y)
{
    m_state.penPos = TPoint{x, y};
}

void Canvas::LineTo(int x, int y)
{
    changing();
    drawLinePixels(m_state.penPos.X, m_state.penPos.Y, x, y, false);
    m_state.penPos = TPoint{x, y};
}

void Canvas::Polyline(const std::vector<TPoint> &points)
{
    changing();
    for (size_t i = 1; i < points.size(); ++i)
        drawLinePixels(points[i - 1].X, points[i - 1].Y, points[i].X, points[i].Y, false);
}

// ---- Shapes ---------------------------------------------------------------

QPen Canvas::qtPen() const
{
    const Pen &pen = m_state.pen;
    if (pen.style == PenStyle::Clear)
        return QPen(Qt::NoPen);
    Qt::PenStyle style = Qt::SolidLine;
    switch (pen.style) {
    case PenStyle::Dash: style = Qt::DashLine; break;
    case PenStyle::Dot: style = Qt::DotLine; break;
    case PenStyle::DashDot: style = Qt::DashDotLine; break;
    case PenStyle::DashDotDot: style = Qt::DashDotDotLine; break;
    default: break;
    }
    QPen qp(resolved(pen.color), pen.width <= 1 ? 0 : pen.width, style, Qt::SquareCap, Qt::MiterJoin);
    return qp;
}

QBrush Canvas::qtBrush(const Brush &brush) const
{
    switch (brush.style) {
    case BrushStyle::Clear: return QBrush(Qt::NoBrush);
    case BrushStyle::Solid:
        return brush.color == rtl::clNone ? QBrush(Qt::NoBrush) : QBrush(resolved(brush.color));
    default:
        return QBrush(detail::brushTile(brush, m_state.font.color, m_state.bkColor, m_state.bkMode == BkMode::Opaque,
                                           m_systemColors ? &*m_systemColors : nullptr));
    }
}

void Canvas::Rectangle(const TRect &rect)
{
    changing();
    if (rect.IsEmpty())
        return;
    const Pen &pen = m_state.pen;
    if (pen.style == PenStyle::Clear) {
        // Without a pen the figure is one pixel smaller, as on the platform.
        FillRect(TRect{rect.Left, rect.Top, rect.Right - 1, rect.Bottom - 1});
        return;
    }
    const int w = std::max(1, pen.width);
    const TRect inner{rect.Left + w, rect.Top + w, rect.Right - w, rect.Bottom - w};
    if (!inner.IsEmpty())
        FillRect(inner);
    if (w == 1 && pen.style != PenStyle::Solid && pen.style != PenStyle::InsideFrame) {
        const int r = rect.Right - 1;
        const int b = rect.Bottom - 1;
        Polyline({{rect.Left, rect.Top}, {r, rect.Top}, {r, b}, {rect.Left, b}, {rect.Left, rect.Top}});
        return;
    }
    const QRegion outline = detail::frameRegion(rect, w);
    std::vector<QRect> rects(outline.begin(), outline.end());
    fillRects(rects, resolved(pen.color), penComposition(pen.mode));
}

void Canvas::strokeShape(const std::function<void(QPainter &)> &draw)
{
    applyClip();
    QPainter &p = *m_painter;
    p.setCompositionMode(penComposition(m_state.pen.mode));
    p.setPen(qtPen());
    p.setBrush(qtBrush(m_state.brush));
    p.setBrushOrigin(m_state.brushOrigin.X, m_state.brushOrigin.Y);
    draw(p);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::NoBrush);
    p.setBrushOrigin(0, 0);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

// The one-pixel outline runs through the pixels left..right-1; the fill alone
// covers left..right-2, which is also the platform's size of a figure drawn
// without a pen.
static QRectF shapeBox(const TRect &rect)
{
    return QRectF(rect.Left, rect.Top, rect.Width() - 1, rect.Height() - 1);
}

void Canvas::Ellipse(const TRect &rect)
{
    changing();
    if (rect.IsEmpty())
        return;
    const QRectF box = shapeBox(rect);
    strokeShape([&](QPainter &p) { p.drawEllipse(box); });
}

void Canvas::RoundRect(const TRect &rect, int cornerWidth, int cornerHeight)
{
    changing();
    if (rect.IsEmpty())
        return;
    const QRectF box = shapeBox(rect);
    strokeShape([&](QPainter &p) { p.drawRoundedRect(box, cornerWidth / 2.0, cornerHeight / 2.0, Qt::AbsoluteSize); });
}

void Canvas::Polygon(const std::vector<TPoint> &points)
{
    changing();
    if (points.size() < 2)
        return;
    QPolygon poly;
    for (const TPoint &pt : points)
        poly << QPoint(pt.X, pt.Y);
    strokeShape([&](QPainter &p) { p.drawPolygon(poly, Qt::OddEvenFill); });
}

} // namespace gfx
