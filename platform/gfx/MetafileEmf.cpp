#include "platform/gfx/MetafilePlayerPrivate.h"

#include <algorithm>
#include <cmath>

namespace gfx::metafile {

namespace {

constexpr uint32_t EmfSignature = 0x464D4520u;

// One record: its type and its bytes, the type and size included.
struct EmfRecord
{
    uint32_t type = 0;
    QByteArrayView bytes;
    int32_t i(qsizetype at) const { return i32(bytes, at); }
    uint32_t u(qsizetype at) const { return u32(bytes, at); }
    // A part of the record named by an offset and a length in it.
    QByteArrayView part(uint32_t offset, uint32_t length) const
    {
        if (length == 0 || offset > uint64_t(bytes.size()) || length > uint64_t(bytes.size()) - offset)
            return {};
        return bytes.sliced(qsizetype(offset), qsizetype(length));
    }
};

QRectF emfBox(const EmfRecord &r, qsizetype at)
{
    return QRectF(QPointF(r.i(at), r.i(at + 4)), QPointF(r.i(at + 8), r.i(at + 12)));
}

// Points of 32 or 16 bits from at; an empty list when the record does not
// hold count of them.
std::vector<QPointF> emfPoints(const EmfRecord &r, qsizetype at, uint64_t count, bool small)
{
    const uint64_t size = small ? 4 : 8;
    if (at > r.bytes.size() || count > uint64_t(r.bytes.size() - at) / size)
        return {};
    std::vector<QPointF> points;
    points.reserve(size_t(count));
    for (uint64_t k = 0; k < count; ++k) {
        const qsizetype p = at + qsizetype(k * size);
        if (small)
            points.emplace_back(i16(r.bytes, p), i16(r.bytes, p + 2));
        else
            points.emplace_back(r.i(p), r.i(p + 4));
    }
    return points;
}

void emfPoly(Player &player, const EmfRecord &r, bool small)
{
    const uint32_t count = r.u(24);
    std::vector<QPointF> points = emfPoints(r, 28, count, small);
    if (points.size() != count || count == 0) {
        ++player.stats.skipped;
        return;
    }
    switch (r.type) {
    case 3:
    case 86: player.polygons({points}); break;
    case 4:
    case 87: player.polyline(points); break;
    default: // POLYLINETO
        points.insert(points.begin(), player.dc.current);
        player.polyline(points);
        player.dc.current = points.back();
        break;
    }
}

void emfPolyPoly(Player &player, const EmfRecord &r, bool small)
{
    const uint32_t polys = r.u(24);
    const uint32_t total = r.u(28);
    if (polys > uint64_t(r.bytes.size()) / 4 || 32 + qsizetype(polys) * 4 > r.bytes.size()) {
        ++player.stats.skipped;
        return;
    }
    const std::vector<QPointF> points = emfPoints(r, 32 + qsizetype(polys) * 4, total, small);
    if (points.size() != total) {
        ++player.stats.skipped;
        return;
    }
    std::vector<std::vector<QPointF>> groups;
    uint64_t first = 0;
    for (uint32_t k = 0; k < polys; ++k) {
        const uint32_t count = r.u(32 + qsizetype(k) * 4);
        if (count > total - first) {
            ++player.stats.skipped;
            return;
        }
        groups.emplace_back(points.begin() + qsizetype(first), points.begin() + qsizetype(first + count));
        first += count;
    }
    const bool polygon = r.type == 8 || r.type == 91;
    if (polygon) {
        player.polygons(groups);
        return;
    }
    for (const std::vector<QPointF> &line : groups)
        player.polyline(line);
}

LogFont emfFont(const EmfRecord &r)
{
    LogFont font;
    font.height = r.i(12);
    font.escapement = r.i(20);
    font.weight = r.i(28);
    font.italic = r.bytes.size() > 32 && r.bytes[32] != 0;
    font.underline = r.bytes.size() > 33 && r.bytes[33] != 0;
    font.strikeOut = r.bytes.size() > 34 && r.bytes[34] != 0;
    for (qsizetype k = 0; k < 32 && 40 + 2 * k + 2 <= r.bytes.size(); ++k) {
        const char16_t c = u16(r.bytes, 40 + 2 * k);
        if (c == 0)
            break;
        font.face.append(QChar(c));
    }
    return font;
}

void emfText(Player &player, const EmfRecord &r)
{
    const uint32_t chars = r.u(44);
    const uint32_t offset = r.u(48);
    const unsigned options = r.u(52);
    const bool wide = r.type == 84;
    const QByteArrayView text =
        r.part(offset, uint32_t(std::min<uint64_t>(uint64_t(chars) * (wide ? 2 : 1), 0xFFFFFFFFu)));
    if (chars > 0 && text.isEmpty()) {
        ++player.stats.skipped;
        return;
    }
    QString string;
    if (wide)
        string = QString::fromUtf16(reinterpret_cast<const char16_t *>(text.data()), text.size() / 2);
    else
        string = QString::fromLatin1(text.data(), text.size());
    std::optional<QRectF> rect;
    if (options & 6)
        rect = emfBox(r, 56);
    player.textOut(r.i(36), r.i(40), string, options, rect);
}

void emfClipRegion(Player &player, const EmfRecord &r)
{
    const uint32_t size = r.u(8);
    const int mode = r.i(12);
    if (size == 0) {
        player.selectClip(std::nullopt, mode);
        return;
    }
    const QByteArrayView data = r.part(16, size);
    const uint32_t count = u32(data, 8);
    if (data.size() < 32 || count > uint64_t(data.size() - 32) / 16) {
        ++player.stats.skipped;
        return;
    }
    // The rectangles are in the reference device's pixels.
    QList<QRect> rects;
    rects.reserve(qsizetype(count));
    for (uint32_t k = 0; k < count; ++k) {
        const qsizetype at = 32 + qsizetype(k) * 16;
        const QPointF a = player.mapReference(i32(data, at), i32(data, at + 4));
        const QPointF b = player.mapReference(i32(data, at + 8), i32(data, at + 12));
        rects.append(QRectF(a, b).normalized().toAlignedRect());
    }
    QRegion region;
    region.setRects(rects.constData(), int(rects.size()));
    player.selectClip(region, mode);
}

void emfBitmap(Player &player, const EmfRecord &r)
{
    switch (r.type) {
    case 76: // BITBLT
    case 77: // STRETCHBLT
    {
        const bool stretch = r.type == 77;
        if (r.bytes.size() < (stretch ? 108 : 100)) {
            ++player.stats.skipped;
            return;
        }
        const QRectF dest(r.i(24), r.i(28), r.i(32), r.i(36));
        const QRectF src(r.i(44), r.i(48), stretch ? r.i(100) : r.i(32), stretch ? r.i(104) : r.i(36));
        player.blit(dest, r.part(r.u(84), r.u(88)), r.part(r.u(92), r.u(96)), src, r.u(40), false);
        return;
    }
    case 80: // SETDIBITSTODEVICE
        if (r.bytes.size() < 76) {
            ++player.stats.skipped;
            return;
        }
        player.blit(QRectF(r.i(24), r.i(28), r.i(40), r.i(44)), r.part(r.u(48), r.u(52)), r.part(r.u(56), r.u(60)),
                    QRectF(r.i(32), r.i(36), r.i(40), r.i(44)), 0x00CC0020, true);
        return;
    case 81: // STRETCHDIBITS
        if (r.bytes.size() < 80) {
            ++player.stats.skipped;
            return;
        }
        player.blit(QRectF(r.i(24), r.i(28), r.i(72), r.i(76)), r.part(r.u(48), r.u(52)), r.part(r.u(56), r.u(60)),
                    QRectF(r.i(32), r.i(36), r.i(40), r.i(44)), r.u(68), true);
        return;
    default: return;
    }
}

// The smallest size of each record the player reads, type and size included.
qsizetype emfSizeNeeded(uint32_t type)
{
    switch (type) {
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
    case 85:
    case 86:
    case 87:
    case 88:
    case 89: return 28;
    case 7:
    case 8:
    case 90:
    case 91: return 32;
    case 9:
    case 10:
    case 11:
    case 12:
    case 26:
    case 27:
    case 54: return 16;
    case 17:
    case 18:
    case 19:
    case 22:
    case 24:
    case 25:
    case 34:
    case 37:
    case 40:
    case 49:
    case 93:
    case 94: return 12;
    case 29:
    case 30:
    case 31:
    case 32:
    case 42:
    case 43: return 24;
    case 38: return 28;
    case 39: return 24;
    case 44: return 32;
    case 45:
    case 46:
    case 47: return 40;
    case 75: return 16;
    case 82: return 40;
    case 83:
    case 84: return 76;
    case 95: return 52;
    default: return 8;
    }
}

void emfRecord(Player &player, const EmfRecord &r)
{
    DcState &dc = player.dc;
    if (r.bytes.size() < emfSizeNeeded(r.type)) {
        ++player.stats.skipped;
        return;
    }
    switch (r.type) {
    case 3:
    case 4:
    case 6:
    case 86:
    case 87:
    case 89: emfPoly(player, r, r.type >= 85); break;
    case 7:
    case 8:
    case 90:
    case 91: emfPolyPoly(player, r, r.type >= 90); break;
    case 9:
        if (r.i(8) != 0 && r.i(12) != 0)
            dc.winExt = QPointF(r.i(8), r.i(12));
        break;
    case 10: dc.winOrg = QPointF(r.i(8), r.i(12)); break;
    case 11:
        if (r.i(8) != 0 && r.i(12) != 0)
            dc.vpExt = QPointF(r.i(8), r.i(12));
        break;
    case 12: dc.vpOrg = QPointF(r.i(8), r.i(12)); break;
    case 17:
        if (r.i(8) >= MM_TEXT && r.i(8) <= MM_ANISOTROPIC)
            dc.mapMode = r.i(8);
        break;
    case 18: dc.bkMode = r.i(8); break;
    case 19: dc.polyFillMode = r.i(8); break;
    case 22: dc.textAlign = r.u(8); break;
    case 24: dc.textColor = r.u(8) & 0xFFFFFF; break;
    case 25: dc.bkColor = r.u(8) & 0xFFFFFF; break;
    case 26: player.offsetClip(r.i(8), r.i(12)); break;
    case 27: player.moveTo(r.i(8), r.i(12)); break;
    case 29: player.excludeClip(emfBox(r, 8)); break;
    case 30: player.intersectClip(emfBox(r, 8)); break;
    case 31:
    case 32: {
        if (r.i(12) == 0 || r.i(20) == 0)
            break;
        QPointF &ext = r.type == 31 ? dc.vpExt : dc.winExt;
        const QPointF scaled(ext.x() * r.i(8) / r.i(12), ext.y() * r.i(16) / r.i(20));
        if (scaled.x() != 0 && scaled.y() != 0)
            ext = scaled;
        break;
    }
    case 33: player.saveDC(); break;
    case 34: player.restoreDC(r.i(8)); break;
    case 37: player.selectObject(r.u(8)); break;
    case 38: {
        GdiObject pen{GdiObject::Kind::Pen, {}, {}, {}};
        pen.pen = LogPen{int(r.u(12)), double(r.i(16)), r.u(24) & 0xFFFFFF};
        player.createObjectAt(r.u(8), pen);
        break;
    }
    case 95: {
        GdiObject pen{GdiObject::Kind::Pen, {}, {}, {}};
        const uint32_t style = r.u(28);
        // A cosmetic pen is one pixel wide whatever it says.
        const double width = (style & 0x10000) ? double(r.u(32)) : 0;
        pen.pen = LogPen{int(style & 0xF), std::min(width, 1e6), r.u(40) & 0xFFFFFF};
        if (r.u(36) == 1)
            pen.pen.style = 5;
        player.createObjectAt(r.u(8), pen);
        break;
    }
    case 39: {
        GdiObject brush{GdiObject::Kind::Brush, {}, {}, {}};
        brush.brush = LogBrush{int(r.u(12)), r.u(16) & 0xFFFFFF, int(r.u(20))};
        player.createObjectAt(r.u(8), brush);
        break;
    }
    case 93:
    case 94: {
        GdiObject brush{GdiObject::Kind::Brush, {}, {}, {}};
        brush.brush.style = 3;
        player.createObjectAt(r.u(8), brush);
        break;
    }
    case 49: player.createObjectAt(r.u(8), GdiObject{GdiObject::Kind::Other, {}, {}, {}}); break;
    case 82: player.createObjectAt(r.u(8), GdiObject{GdiObject::Kind::Font, {}, {}, emfFont(r)}); break;
    case 40: player.deleteObject(r.u(8)); break;
    case 42: player.ellipse(r.i(8), r.i(12), r.i(16), r.i(20)); break;
    case 43: player.rectangle(r.i(8), r.i(12), r.i(16), r.i(20)); break;
    case 44: player.roundRect(r.i(8), r.i(12), r.i(16), r.i(20), r.i(24), r.i(28)); break;
    case 45:
    case 46:
    case 47:
        player.arc(int(r.type - 45), r.i(8), r.i(12), r.i(16), r.i(20), QPointF(r.i(24), r.i(28)),
                   QPointF(r.i(32), r.i(36)));
        break;
    case 54: player.lineTo(r.i(8), r.i(12)); break;
    case 75: emfClipRegion(player, r); break;
    case 76:
    case 77:
    case 80:
    case 81: emfBitmap(player, r); break;
    case 83:
    case 84: emfText(player, r); break;
    default: break;
    }
}

} // namespace

bool ReadEmfHeader(QByteArrayView bytes, EmfHeader &header)
{
    header = EmfHeader{};
    if (bytes.size() < 88 || u32(bytes, 0) != 1 || u32(bytes, 40) != EmfSignature)
        return false;
    const QRectF frame(QPointF(i32(bytes, 24), i32(bytes, 28)), QPointF(i32(bytes, 32), i32(bytes, 36)));
    const double devX = i32(bytes, 72);
    const double devY = i32(bytes, 76);
    const double mmX = i32(bytes, 80);
    const double mmY = i32(bytes, 84);
    header.pixelsPerMM =
        QPointF(devX > 0 && mmX > 0 ? devX / mmX : 96 / 25.4, devY > 0 && mmY > 0 ? devY / mmY : 96 / 25.4);
    // The frame is in hundredths of a millimetre, inclusive.
    header.frame =
        QRectF(QPointF(frame.left() / 100 * header.pixelsPerMM.x(), frame.top() / 100 * header.pixelsPerMM.y()),
               QPointF((frame.right() + 1) / 100 * header.pixelsPerMM.x(),
                       (frame.bottom() + 1) / 100 * header.pixelsPerMM.y()));
    header.handles = u16(bytes, 56);
    const auto pixels = [](double hundredths) {
        return int(std::clamp(std::abs(hundredths) / 2540 * 96, 0.0, 2147483647.0));
    };
    header.width = pixels(frame.width() + 1);
    header.height = pixels(frame.height() + 1);
    return true;
}

void PlayEmf(Player &player, QByteArrayView bytes, const QRectF &target)
{
    EmfHeader header;
    if (!ReadEmfHeader(bytes, header) || header.frame.width() <= 0 || header.frame.height() <= 0)
        return;
    player.resizeObjectTable(header.handles);
    player.pixelsPerMM = header.pixelsPerMM;
    // The frame in the reference device's pixels fills the target.
    player.reference =
        QTransform::fromTranslate(-header.frame.left(), -header.frame.top()) *
        QTransform::fromScale(target.width() / header.frame.width(), target.height() / header.frame.height()) *
        QTransform::fromTranslate(target.left(), target.top());
    qsizetype pos = 0;
    while (pos + 8 <= bytes.size()) {
        const uint32_t type = u32(bytes, pos);
        const uint32_t size = u32(bytes, pos + 4);
        // A record that cannot say where the next one starts ends the file.
        if (size < 8 || size > uint64_t(bytes.size() - pos))
            break;
        const EmfRecord record{type, bytes.sliced(pos, qsizetype(size))};
        if (type == 14)
            break;
        ++player.stats.records;
        emfRecord(player, record);
        pos += qsizetype(size);
    }
}

} // namespace gfx::metafile
