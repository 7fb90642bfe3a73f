#include "platform/gfx/MetafilePlayer.h"

#include "platform/gfx/Dib.h"
#include "platform/gfx/MetafilePlayerPrivate.h"

#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace gfx {

namespace metafile {

namespace {

// Coordinates far outside any page are held there: Qt's rasteriser and its
// dash stroker spend time in proportion to what they are handed.
constexpr double PlayerCoordinateLimit = 1e7;

double playerClamp(double v)
{
    if (std::isnan(v))
        return 0;
    return std::clamp(v, -PlayerCoordinateLimit, PlayerCoordinateLimit);
}

QColor playerColor(uint32_t colorRef)
{
    return QColor(int(colorRef & 0xFF), int((colorRef >> 8) & 0xFF), int((colorRef >> 16) & 0xFF));
}

// Logical units of the metric map modes in millimetres.
double playerMetricUnit(int mapMode)
{
    switch (mapMode) {
    case MM_LOMETRIC: return 0.1;
    case MM_HIMETRIC: return 0.01;
    case MM_LOENGLISH: return 0.254;
    case MM_HIENGLISH: return 0.0254;
    case MM_TWIPS: return 25.4 / 1440;
    default: return 0;
    }
}

} // namespace

Player::Player(QPainter &painter, const QRectF &target)
    : m_painter(painter)
    , m_target(target)
{
    m_painter.save();
    if (m_painter.hasClipping())
        m_painterClip = m_painter.clipRegion();
}

Player::~Player()
{
    m_painter.restore();
}

// ---- Mapping -------------------------------------------------------------------------

QPointF Player::mapReference(double x, double y) const
{
    const QPointF p = reference.map(QPointF(x, y));
    return QPointF(playerClamp(p.x()), playerClamp(p.y()));
}

QPointF Player::map(double x, double y) const
{
    double rx = x - dc.winOrg.x();
    double ry = y - dc.winOrg.y();
    if (dc.mapMode == MM_ISOTROPIC || dc.mapMode == MM_ANISOTROPIC) {
        double sx = dc.winExt.x() != 0 ? dc.vpExt.x() / dc.winExt.x() : 1;
        double sy = dc.winExt.y() != 0 ? dc.vpExt.y() / dc.winExt.y() : 1;
        if (dc.mapMode == MM_ISOTROPIC) {
            const double s = std::min(std::abs(sx), std::abs(sy));
            sx = std::copysign(s, sx);
            sy = std::copysign(s, sy);
        }
        rx *= sx;
        ry *= sy;
    } else if (const double unit = playerMetricUnit(dc.mapMode); unit > 0) {
        rx *= unit * pixelsPerMM.x();
        ry *= -unit * pixelsPerMM.y();
    }
    return mapReference(rx + dc.vpOrg.x(), ry + dc.vpOrg.y());
}

QRectF Player::mapRect(double l, double t, double r, double b) const
{
    return QRectF(map(l, t), map(r, b)).normalized();
}

double Player::scaleX() const
{
    return std::abs(map(1, 0).x() - map(0, 0).x());
}

double Player::scaleY() const
{
    return std::abs(map(0, 1).y() - map(0, 0).y());
}

// ---- Objects and states -----------------------------------------------------------------

void Player::resizeObjectTable(int count)
{
    count = std::clamp(count, 0, MetafileMaxObjects);
    m_objects.assign(size_t(count), GdiObject{});
    m_free.clear();
    for (int i = 0; i < count; ++i)
        m_free.insert(m_free.end(), i);
}

void Player::createObject(const GdiObject &object)
{
    // A full table fails the creation, as the system's would.
    if (m_free.empty()) {
        ++stats.skipped;
        return;
    }
    const int index = *m_free.begin();
    m_free.erase(m_free.begin());
    m_objects[size_t(index)] = object;
}

void Player::createObjectAt(uint32_t index, const GdiObject &object)
{
    if (index >= m_objects.size()) {
        ++stats.skipped;
        return;
    }
    m_objects[index] = object;
    m_free.erase(int(index));
}

void Player::selectObject(uint32_t index)
{
    if (index & 0x80000000u) {
        selectStockObject(index & 0x7FFFFFFFu);
        return;
    }
    if (index >= m_objects.size()) {
        ++stats.skipped;
        return;
    }
    const GdiObject &object = m_objects[index];
    switch (object.kind) {
    case GdiObject::Kind::Pen: dc.pen = object.pen; break;
    case GdiObject::Kind::Brush: dc.brush = object.brush; break;
    case GdiObject::Kind::Font: dc.font = object.font; break;
    case GdiObject::Kind::Other: break;
    case GdiObject::Kind::Empty: ++stats.skipped; break;
    }
}

void Player::selectStockObject(uint32_t index)
{
    static constexpr uint32_t brushColors[] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0x000000};
    if (index <= 4)
        dc.brush = LogBrush{0, brushColors[index], 0};
    else if (index == 5)
        dc.brush = LogBrush{1, 0, 0};
    else if (index == 6)
        dc.pen = LogPen{0, 0, 0xFFFFFF};
    else if (index == 7)
        dc.pen = LogPen{0, 0, 0};
    else if (index == 8)
        dc.pen = LogPen{5, 0, 0};
    else if (index >= 10 && index <= 17 && index != 15)
        dc.font = LogFont{};
}

void Player::deleteObject(uint32_t index)
{
    if (index >= m_objects.size()) {
        ++stats.skipped;
        return;
    }
    m_objects[index] = GdiObject{};
    m_free.insert(int(index));
}

void Player::saveDC()
{
    if (int(m_saved.size()) >= MetafileMaxSavedStates) {
        ++stats.skipped;
        return;
    }
    m_saved.push_back(dc);
}

void Player::restoreDC(int n)
{
    const int depth = int(m_saved.size());
    const int64_t keep = n < 0 ? int64_t(depth) + n : int64_t(n) - 1;
    if (n == 0 || keep < 0 || keep >= depth) {
        ++stats.skipped;
        return;
    }
    dc = m_saved[size_t(keep)];
    m_saved.resize(size_t(keep));
    m_clipDirty = true;
}

// ---- Clipping ----------------------------------------------------------------------------

QRegion Player::currentClip() const
{
    if (dc.clip)
        return *dc.clip;
    // Everything the target can show.
    const double l = PlayerCoordinateLimit;
    return QRegion(QRect(int(-l), int(-l), int(2 * l), int(2 * l)));
}

void Player::setClip(const std::optional<QRegion> &clip)
{
    dc.clip = clip;
    m_clipDirty = true;
}

void Player::intersectClip(const QRectF &logical)
{
    setClip(currentClip().intersected(
        mapRect(logical.left(), logical.top(), logical.right(), logical.bottom()).toAlignedRect()));
}

void Player::excludeClip(const QRectF &logical)
{
    setClip(currentClip().subtracted(
        mapRect(logical.left(), logical.top(), logical.right(), logical.bottom()).toAlignedRect()));
}

void Player::offsetClip(double dx, double dy)
{
    if (!dc.clip)
        return;
    const QPointF d = map(dx, dy) - map(0, 0);
    setClip(dc.clip->translated(d.toPoint()));
}

void Player::selectClip(const std::optional<QRegion> &region, int mode)
{
    if (mode == 5) {
        setClip(region);
        return;
    }
    if (!region) {
        ++stats.skipped;
        return;
    }
    const QRegion current = currentClip();
    switch (mode) {
    case 1: setClip(current.intersected(*region)); break;
    case 2: setClip(current.united(*region)); break;
    case 3: setClip(current.xored(*region)); break;
    case 4: setClip(current.subtracted(*region)); break;
    default: ++stats.skipped; break;
    }
}

void Player::applyClip()
{
    if (!m_clipDirty)
        return;
    m_clipDirty = false;
    if (!dc.clip) {
        if (m_painterClip)
            m_painter.setClipRegion(*m_painterClip);
        else
            m_painter.setClipping(false);
        return;
    }
    m_painter.setClipRegion(m_painterClip ? m_painterClip->intersected(*dc.clip) : *dc.clip);
}

// ---- Pens and brushes --------------------------------------------------------------------

bool Player::preparePen()
{
    const int style = dc.pen.style & 0xF;
    if (style == 5) {
        m_painter.setPen(Qt::NoPen);
        return false;
    }
    // Width 0 is one device pixel whatever the mapping; other widths come
    // to whole device pixels, and one that comes to one pixel is the
    // system's one-pixel line.
    double width = dc.pen.width <= 0 ? 0 : std::round(std::min(dc.pen.width * (scaleX() + scaleY()) / 2, 1e5));
    if (width <= 1)
        width = 0;
    QPen pen(playerColor(dc.pen.color), width);
    switch (style) {
    case 1: pen.setStyle(Qt::DashLine); break;
    case 2: pen.setStyle(Qt::DotLine); break;
    case 3: pen.setStyle(Qt::DashDotLine); break;
    case 4: pen.setStyle(Qt::DashDotDotLine); break;
    default: pen.setStyle(Qt::SolidLine); break;
    }
    pen.setCapStyle(width > 1 ? Qt::RoundCap : Qt::FlatCap);
    pen.setJoinStyle(width > 1 ? Qt::RoundJoin : Qt::MiterJoin);
    m_painter.setPen(pen);
    return true;
}

bool Player::prepareBrush()
{
    const QColor color = playerColor(dc.brush.color);
    switch (dc.brush.style) {
    case 1: m_painter.setBrush(Qt::NoBrush); return false;
    case 2: {
        static constexpr Qt::BrushStyle hatches[] = {Qt::HorPattern,   Qt::VerPattern,   Qt::FDiagPattern,
                                                     Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
        const int hatch = std::clamp(dc.brush.hatch, 0, 5);
        m_painter.setBrush(QBrush(color, hatches[hatch]));
        return true;
    }
    case 0: m_painter.setBrush(QBrush(color)); return true;
    default:
        // Pattern brushes are drawn as a mid grey.
        m_painter.setBrush(QBrush(QColor(0xC0, 0xC0, 0xC0)));
        return true;
    }
}

// ---- Drawing --------------------------------------------------------------------------------

QRectF Player::figureRect(double l, double t, double r, double b)
{
    applyClip();
    QRectF rect = mapRect(l, t, r, b);
    // The outline runs along the last pixel inside the right and bottom
    // edges, as the system draws it; without one the fill ends there.
    if (preparePen() && rect.width() > 1 && rect.height() > 1)
        rect.adjust(0, 0, -1, -1);
    prepareBrush();
    return rect;
}

void Player::rectangle(double l, double t, double r, double b)
{
    m_painter.drawRect(figureRect(l, t, r, b));
}

void Player::roundRect(double l, double t, double r, double b, double w, double h)
{
    const QRectF rect = figureRect(l, t, r, b);
    m_painter.drawRoundedRect(rect, std::min(std::abs(w) * scaleX() / 2, rect.width() / 2),
                              std::min(std::abs(h) * scaleY() / 2, rect.height() / 2));
}

void Player::ellipse(double l, double t, double r, double b)
{
    // In whole pixels the raster engine draws an ellipse by its own
    // midpoint routine; otherwise it fills a path of curves, much slower.
    const QRectF rect = figureRect(l, t, r, b);
    // That routine walks every row of the ellipse, so only for ellipses of
    // a sensible size.
    constexpr double midpointLimit = 8192;
    if (m_painter.paintEngine() && m_painter.paintEngine()->type() == QPaintEngine::Raster &&
        rect.width() < midpointLimit && rect.height() < midpointLimit)
        m_painter.drawEllipse(rect.toRect());
    else
        m_painter.drawEllipse(rect);
}

void Player::arc(int kind, double l, double t, double r, double b, QPointF start, QPointF end)
{
    applyClip();
    const QRectF rect = mapRect(l, t, r, b);
    if (rect.isEmpty())
        return;
    const QPointF centre = rect.center();
    // Angles as the eye sees them, counter-clockwise from three o'clock.
    const auto angleOf = [&](QPointF logical) {
        const QPointF p = map(logical.x(), logical.y());
        return std::atan2(-(p.y() - centre.y()) * rect.width(), (p.x() - centre.x()) * rect.height()) * 180 /
               std::numbers::pi;
    };
    const double a0 = angleOf(start);
    double sweep = angleOf(end) - a0;
    if (sweep <= 0)
        sweep += 360;
    QPainterPath path;
    // A pie runs from the centre to the arc's start; the others start on it.
    if (kind == 2)
        path.moveTo(centre);
    else
        path.arcMoveTo(rect, a0);
    path.arcTo(rect, a0, sweep);
    if (kind != 0)
        path.closeSubpath();
    preparePen();
    if (kind == 0) {
        m_painter.strokePath(path, m_painter.pen());
        return;
    }
    prepareBrush();
    m_painter.drawPath(path);
}

void Player::polyline(const std::vector<QPointF> &points)
{
    if (points.size() < 2)
        return;
    applyClip();
    if (!preparePen())
        return;
    QPolygonF mapped;
    mapped.reserve(qsizetype(points.size()));
    for (const QPointF &p : points)
        mapped << map(p.x(), p.y());
    m_painter.drawPolyline(mapped);
}

void Player::polygons(const std::vector<std::vector<QPointF>> &polygons)
{
    applyClip();
    preparePen();
    prepareBrush();
    QPainterPath path;
    path.setFillRule(dc.polyFillMode == 2 ? Qt::WindingFill : Qt::OddEvenFill);
    for (const std::vector<QPointF> &polygon : polygons) {
        if (polygon.size() < 2)
            continue;
        QPolygonF mapped;
        mapped.reserve(qsizetype(polygon.size()));
        for (const QPointF &p : polygon)
            mapped << map(p.x(), p.y());
        mapped << mapped.first();
        path.addPolygon(mapped);
    }
    m_painter.drawPath(path);
}

void Player::lineTo(double x, double y)
{
    applyClip();
    if (preparePen())
        m_painter.drawLine(map(dc.current.x(), dc.current.y()), map(x, y));
    dc.current = QPointF(x, y);
}

const QFont &Player::currentFont()
{
    const double scale = scaleY();
    if (m_font && m_font->font == dc.font && m_font->scale == scale)
        return m_font->qfont;
    QFont font(dc.font.face.isEmpty() ? QStringLiteral("DejaVu Sans") : dc.font.face);
    // Left to Qt, hinting follows the screen's scale, and a printed page
    // would differ with the screen it was printed from.
    font.setHintingPreference(QFont::PreferFullHinting);
    const double height = std::clamp(std::abs(dc.font.height) * scale, 0.0, 1e4);
    double pixelSize = height > 0 ? height : 12;
    if (dc.font.height > 0) {
        // A positive height is the cell's, internal leading included.
        font.setPixelSize(std::max(1, int(std::lround(pixelSize))));
        const double cell = QFontMetricsF(font).height();
        if (cell > 0)
            pixelSize = pixelSize * pixelSize / cell;
    }
    font.setPixelSize(std::max(1, int(std::lround(pixelSize))));
    font.setWeight(dc.font.weight >= 600 ? QFont::Bold : QFont::Normal);
    font.setItalic(dc.font.italic);
    font.setUnderline(dc.font.underline);
    font.setStrikeOut(dc.font.strikeOut);
    m_font = FontCache{dc.font, scale, font, QFontMetricsF(font)};
    m_fontSet = false;
    return m_font->qfont;
}

void Player::textOut(double x, double y, const QString &text, unsigned options, const std::optional<QRectF> &rect)
{
    applyClip();
    const bool useCurrent = dc.textAlign & 1;
    const QPointF origin = useCurrent ? map(dc.current.x(), dc.current.y()) : map(x, y);
    if (rect && (options & 2)) {
        m_painter.fillRect(mapRect(rect->left(), rect->top(), rect->right(), rect->bottom()), playerColor(dc.bkColor));
    }
    if (text.isEmpty())
        return;
    const QFont &font = currentFont();
    const QFontMetricsF &metrics = *m_font->metrics;
    // Measuring is dear: only alignment, an opaque background and the
    // current position need the width.
    const bool measured = (dc.textAlign & 6) || dc.bkMode == 2 || useCurrent;
    const double width = measured ? metrics.horizontalAdvance(text) : 0;
    double dx = 0;
    if ((dc.textAlign & 6) == 6)
        dx = -width / 2;
    else if (dc.textAlign & 2)
        dx = -width;
    double dy = metrics.ascent();
    if ((dc.textAlign & 24) == 24)
        dy = 0;
    else if (dc.textAlign & 8)
        dy = -metrics.descent();
    // Setting the painter's font makes it look the font up again; set before a
    // saved state, it stays when that state is restored.
    if (!m_fontSet) {
        m_painter.setFont(font);
        m_fontSet = true;
    }
    const bool clipped = rect && (options & 4);
    const bool turned = dc.font.escapement != 0;
    if (clipped || turned) {
        m_painter.save();
        if (clipped)
            m_painter.setClipRect(mapRect(rect->left(), rect->top(), rect->right(), rect->bottom()), Qt::IntersectClip);
        m_painter.translate(origin);
        if (turned)
            m_painter.rotate(
                -(dc.font.escapement / 10.0)); // in double: a file may hold INT_MIN, whose negation overflows an int
    }
    const QPointF at = clipped || turned ? QPointF(dx, dy) : origin + QPointF(dx, dy);
    if (dc.bkMode == 2)
        m_painter.fillRect(QRectF(at.x(), at.y() - metrics.ascent(), width, metrics.height()), playerColor(dc.bkColor));
    m_painter.setPen(playerColor(dc.textColor));
    m_painter.drawText(at, text);
    if (clipped || turned)
        m_painter.restore();
    if (useCurrent && scaleX() > 0)
        dc.current.rx() += (dc.textAlign & 2 ? 0 : width / scaleX());
}

void Player::blit(const QRectF &dest, QByteArrayView header, QByteArrayView bits, QRectF src, uint32_t rop,
                  bool fromBottom)
{
    applyClip();
    const QRectF target = mapRect(dest.left(), dest.top(), dest.right(), dest.bottom());
    if (header.isEmpty()) {
        if (rop == 0x00000042)
            m_painter.fillRect(target, Qt::black);
        else if (rop == 0x00FF0062)
            m_painter.fillRect(target, Qt::white);
        else if (rop == 0x00F00021 && prepareBrush())
            m_painter.fillRect(target, m_painter.brush());
        return;
    }
    const QImage image = DecodeDIB(header, bits, MetafileMaxBitmapPixels);
    if (image.isNull()) {
        ++stats.skipped;
        return;
    }
    src = src.normalized();
    if (fromBottom && i32(header, 8) > 0)
        src.moveTop(image.height() - src.top() - src.height());
    src = src.intersected(QRectF(image.rect()));
    if (src.isEmpty())
        src = QRectF(image.rect());
    m_painter.drawImage(target, image, src);
}

} // namespace metafile

// ---- Entry points ------------------------------------------------------------------------------

MetafileInfo ReadMetafileInfo(QByteArrayView bytes)
{
    MetafileInfo info;
    metafile::EmfHeader emf;
    if (metafile::ReadEmfHeader(bytes, emf)) {
        info.kind = MetafileKind::Emf;
        info.width = emf.width;
        info.height = emf.height;
        return info;
    }
    metafile::WmfHeader wmf;
    if (metafile::ReadWmfHeader(bytes, wmf)) {
        info.kind = wmf.placeable ? MetafileKind::PlaceableWmf : MetafileKind::Wmf;
        info.width = wmf.width;
        info.height = wmf.height;
    }
    return info;
}

MetafilePlayStats PlayMetafile(QPainter &painter, QByteArrayView bytes, const QRectF &target)
{
    if (!painter.isActive() || target.isEmpty())
        return {};
    metafile::Player player(painter, target);
    metafile::EmfHeader emf;
    if (metafile::ReadEmfHeader(bytes, emf))
        metafile::PlayEmf(player, bytes, target);
    else
        metafile::PlayWmf(player, bytes, target);
    return player.stats;
}

} // namespace gfx
