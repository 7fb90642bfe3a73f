#include "platform/gfx/MetafilePlayerPrivate.h"

#include "platform/rtl/Win1252.h"

namespace gfx::metafile {

namespace {

constexpr uint32_t WmfPlaceableKey = 0x9AC6CDD7u;

QString wmfText(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (char c : bytes) {
        if (c == '\0')
            break;
        text.append(QChar(rtl::AnsiToUnicode(uint8_t(c))));
    }
    return text;
}

// One record: its bytes and its 16-bit parameters.
struct WmfRecord
{
    QByteArrayView bytes;
    uint16_t function = 0;
    qsizetype params() const { return (bytes.size() - 6) / 2; }
    int16_t p(qsizetype i) const { return i16(bytes, 6 + 2 * i); }
    uint16_t up(qsizetype i) const { return u16(bytes, 6 + 2 * i); }
    uint32_t u32At(qsizetype at) const { return u32(bytes, at); }
};

// The first window origin and extent the records set: the size of a WMF
// without a placeable header.
void wmfFirstWindow(QByteArrayView bytes, qsizetype pos, QRectF &bounds)
{
    bool haveOrg = false;
    bool haveExt = false;
    QPointF org;
    QPointF ext;
    while (pos + 6 <= bytes.size() && !(haveOrg && haveExt)) {
        const uint32_t words = u32(bytes, pos);
        const uint16_t function = u16(bytes, pos + 4);
        if (words < 3 || uint64_t(words) * 2 > uint64_t(bytes.size() - pos) || function == 0)
            break;
        if (function == 0x020B && words >= 5 && !haveOrg) {
            org = QPointF(i16(bytes, pos + 8), i16(bytes, pos + 6));
            haveOrg = true;
        } else if (function == 0x020C && words >= 5 && !haveExt) {
            ext = QPointF(i16(bytes, pos + 8), i16(bytes, pos + 6));
            haveExt = true;
        }
        pos += qsizetype(words) * 2;
    }
    if (haveExt)
        bounds = QRectF(org, QSizeF(ext.x(), ext.y()));
}

std::vector<QPointF> wmfPoints(const WmfRecord &r, qsizetype first, qsizetype count)
{
    std::vector<QPointF> points;
    points.reserve(size_t(count));
    for (qsizetype i = 0; i < count; ++i)
        points.emplace_back(r.p(first + 2 * i), r.p(first + 2 * i + 1));
    return points;
}

LogFont wmfFont(const WmfRecord &r)
{
    LogFont font;
    font.height = r.p(0);
    font.escapement = r.p(2);
    font.weight = r.p(4);
    font.italic = r.bytes.size() > 16 && r.bytes[16] != 0;
    font.underline = r.bytes.size() > 17 && r.bytes[17] != 0;
    font.strikeOut = r.bytes.size() > 18 && r.bytes[18] != 0;
    if (r.bytes.size() > 24)
        font.face = wmfText(r.bytes.sliced(24, std::min<qsizetype>(32, r.bytes.size() - 24)));
    return font;
}

// Text records: the string and what follows it.
void wmfTextOut(Player &player, const WmfRecord &r)
{
    const qsizetype length = r.up(0);
    const qsizetype padded = (length + 1) & ~qsizetype(1);
    if (8 + padded + 4 > r.bytes.size()) {
        ++player.stats.skipped;
        return;
    }
    const QString text = wmfText(r.bytes.sliced(8, length));
    player.textOut(i16(r.bytes, 8 + padded + 2), i16(r.bytes, 8 + padded), text, 0, std::nullopt);
}

void wmfExtTextOut(Player &player, const WmfRecord &r)
{
    if (r.params() < 4) {
        ++player.stats.skipped;
        return;
    }
    const qsizetype length = r.up(2);
    const unsigned options = r.up(3);
    qsizetype at = 14;
    std::optional<QRectF> rect;
    if ((options & 6) && r.bytes.size() >= at + 8 + length) {
        rect = QRectF(QPointF(r.p(4), r.p(5)), QPointF(r.p(6), r.p(7)));
        at += 8;
    }
    if (at + length > r.bytes.size()) {
        ++player.stats.skipped;
        return;
    }
    player.textOut(r.p(1), r.p(0), wmfText(r.bytes.sliced(at, length)), options, rect);
}

void wmfPolyPolygon(Player &player, const WmfRecord &r)
{
    const qsizetype polys = r.up(0);
    if (r.params() < 1 + polys) {
        ++player.stats.skipped;
        return;
    }
    qsizetype total = 0;
    for (qsizetype i = 0; i < polys; ++i)
        total += r.up(1 + i);
    if (r.params() < 1 + polys + 2 * total) {
        ++player.stats.skipped;
        return;
    }
    std::vector<std::vector<QPointF>> polygons;
    qsizetype first = 1 + polys;
    for (qsizetype i = 0; i < polys; ++i) {
        const qsizetype count = r.up(1 + i);
        polygons.push_back(wmfPoints(r, first, count));
        first += 2 * count;
    }
    player.polygons(polygons);
}

// The bitmap records, each with and without a bitmap.
void wmfBitmap(Player &player, const WmfRecord &r)
{
    const QByteArrayView b = r.bytes;
    switch (r.function) {
    case 0x0B41: // DIBSTRETCHBLT
        if (b.size() > 28 + 4)
            player.blit(QRectF(i16(b, 24), i16(b, 22), i16(b, 20), i16(b, 18)), b.sliced(26), {},
                        QRectF(i16(b, 16), i16(b, 14), i16(b, 12), i16(b, 10)), u32(b, 6), false);
        else if (b.size() >= 28)
            player.blit(QRectF(i16(b, 26), i16(b, 24), i16(b, 22), i16(b, 20)), {}, {}, {}, u32(b, 6), false);
        else
            ++player.stats.skipped;
        return;
    case 0x0F43: // STRETCHDIB
        if (b.size() > 28 + 4)
            player.blit(QRectF(i16(b, 26), i16(b, 24), i16(b, 22), i16(b, 20)), b.sliced(28), {},
                        QRectF(i16(b, 18), i16(b, 16), i16(b, 14), i16(b, 12)), u32(b, 6), true);
        else
            ++player.stats.skipped;
        return;
    case 0x0940: // DIBBITBLT
        if (b.size() > 24 + 4)
            player.blit(QRectF(i16(b, 20), i16(b, 18), i16(b, 16), i16(b, 14)), b.sliced(22), {},
                        QRectF(i16(b, 12), i16(b, 10), i16(b, 16), i16(b, 14)), u32(b, 6), false);
        else if (b.size() >= 24)
            player.blit(QRectF(i16(b, 22), i16(b, 20), i16(b, 18), i16(b, 16)), {}, {}, {}, u32(b, 6), false);
        else
            ++player.stats.skipped;
        return;
    case 0x0D33: // SETDIBTODEV
        if (b.size() > 24 + 4)
            player.blit(QRectF(i16(b, 22), i16(b, 20), i16(b, 18), i16(b, 16)), b.sliced(24), {},
                        QRectF(i16(b, 14), i16(b, 12), i16(b, 18), i16(b, 16)), 0x00CC0020, true);
        else
            ++player.stats.skipped;
        return;
    default: return;
    }
}

// The number of 16-bit parameters each drawing record needs.
int wmfParamsNeeded(uint16_t function)
{
    switch (function) {
    case 0x0102:
    case 0x0106:
    case 0x0127:
    case 0x012D:
    case 0x012E:
    case 0x01F0: return 1;
    case 0x0201:
    case 0x0209:
    case 0x020B:
    case 0x020C:
    case 0x020F:
    case 0x0213:
    case 0x0214:
    case 0x0220: return 2;
    case 0x02FC: return 4;
    case 0x02FA: return 5;
    case 0x0410:
    case 0x0415:
    case 0x0416:
    case 0x0418:
    case 0x041B: return 4;
    case 0x061C: return 6;
    case 0x0817:
    case 0x0830:
    case 0x081A: return 8;
    case 0x02FB: return 9;
    case 0x0324:
    case 0x0325:
    case 0x0521:
    case 0x0538: return 1;
    default: return 0;
    }
}

void wmfRecord(Player &player, const WmfRecord &r)
{
    DcState &dc = player.dc;
    if (r.params() < wmfParamsNeeded(r.function)) {
        ++player.stats.skipped;
        return;
    }
    switch (r.function) {
    case 0x020B: dc.winOrg = QPointF(r.p(1), r.p(0)); break;
    case 0x020C:
        // An extent of nothing maps nothing; the system refuses it too.
        if (r.p(0) != 0 && r.p(1) != 0)
            dc.winExt = QPointF(r.p(1), r.p(0));
        break;
    case 0x020F: dc.winOrg += QPointF(r.p(1), r.p(0)); break;
    case 0x0410:
        if (r.p(0) != 0 && r.p(2) != 0 && r.p(1) != 0 && r.p(3) != 0)
            dc.winExt = QPointF(dc.winExt.x() * r.p(3) / r.p(2), dc.winExt.y() * r.p(1) / r.p(0));
        break;
    case 0x0201: dc.bkColor = r.u32At(6) & 0xFFFFFF; break;
    case 0x0102: dc.bkMode = r.p(0); break;
    case 0x0209: dc.textColor = r.u32At(6) & 0xFFFFFF; break;
    case 0x012E: dc.textAlign = r.up(0); break;
    case 0x0106: dc.polyFillMode = r.p(0); break;
    case 0x001E: player.saveDC(); break;
    case 0x0127: player.restoreDC(r.p(0)); break;
    case 0x02FA: {
        GdiObject pen{GdiObject::Kind::Pen, {}, {}, {}};
        pen.pen = LogPen{r.up(0), double(r.p(1)), r.u32At(12) & 0xFFFFFF};
        player.createObject(pen);
        break;
    }
    case 0x02FC: {
        GdiObject brush{GdiObject::Kind::Brush, {}, {}, {}};
        brush.brush = LogBrush{r.up(0), r.u32At(8) & 0xFFFFFF, r.up(3)};
        player.createObject(brush);
        break;
    }
    case 0x0142:
    case 0x01F9: {
        GdiObject brush{GdiObject::Kind::Brush, {}, {}, {}};
        brush.brush.style = 3;
        player.createObject(brush);
        break;
    }
    case 0x02FB: player.createObject(GdiObject{GdiObject::Kind::Font, {}, {}, wmfFont(r)}); break;
    case 0x00F7:
    case 0x06FF: player.createObject(GdiObject{GdiObject::Kind::Other, {}, {}, {}}); break;
    case 0x012D: player.selectObject(r.up(0)); break;
    case 0x01F0: player.deleteObject(r.up(0)); break;
    case 0x0416: player.intersectClip(QRectF(QPointF(r.p(3), r.p(2)), QPointF(r.p(1), r.p(0)))); break;
    case 0x0415: player.excludeClip(QRectF(QPointF(r.p(3), r.p(2)), QPointF(r.p(1), r.p(0)))); break;
    case 0x0220: player.offsetClip(r.p(1), r.p(0)); break;
    case 0x012C: player.selectClip(std::nullopt, 5); break;
    case 0x0214: player.moveTo(r.p(1), r.p(0)); break;
    case 0x0213: player.lineTo(r.p(1), r.p(0)); break;
    case 0x041B: player.rectangle(r.p(3), r.p(2), r.p(1), r.p(0)); break;
    case 0x0418: player.ellipse(r.p(3), r.p(2), r.p(1), r.p(0)); break;
    case 0x061C: player.roundRect(r.p(5), r.p(4), r.p(3), r.p(2), r.p(1), r.p(0)); break;
    case 0x0817:
    case 0x0830:
    case 0x081A:
        player.arc(r.function == 0x0817 ? 0 : (r.function == 0x0830 ? 1 : 2), r.p(7), r.p(6), r.p(5), r.p(4),
                   QPointF(r.p(3), r.p(2)), QPointF(r.p(1), r.p(0)));
        break;
    case 0x0325:
    case 0x0324: {
        const qsizetype count = r.up(0);
        if (r.params() < 1 + 2 * count) {
            ++player.stats.skipped;
            break;
        }
        std::vector<QPointF> points = wmfPoints(r, 1, count);
        if (r.function == 0x0325)
            player.polyline(points);
        else
            player.polygons({points});
        break;
    }
    case 0x0538: wmfPolyPolygon(player, r); break;
    case 0x0521: wmfTextOut(player, r); break;
    case 0x0A32: wmfExtTextOut(player, r); break;
    case 0x0B41:
    case 0x0F43:
    case 0x0940:
    case 0x0D33: wmfBitmap(player, r); break;
    default: break;
    }
}

} // namespace

bool ReadWmfHeader(QByteArrayView bytes, WmfHeader &header)
{
    header = WmfHeader{};
    qsizetype at = 0;
    if (u32(bytes, 0) == WmfPlaceableKey) {
        if (bytes.size() < 22)
            return false;
        header.placeable = true;
        header.bounds = QRectF(QPointF(i16(bytes, 6), i16(bytes, 8)), QPointF(i16(bytes, 10), i16(bytes, 12)));
        header.unitsPerInch = u16(bytes, 14);
        at = 22;
    }
    if (bytes.size() < at + 18)
        return false;
    const uint16_t type = u16(bytes, at);
    const uint16_t headerWords = u16(bytes, at + 2);
    const uint16_t version = u16(bytes, at + 4);
    if ((type != 1 && type != 2) || headerWords != 9 || (version != 0x0100 && version != 0x0300))
        return false;
    header.objects = u16(bytes, at + 10);
    header.firstRecord = at + 18;
    if (header.placeable) {
        const int inch = header.unitsPerInch > 0 ? header.unitsPerInch : 1440;
        header.width = int(std::abs(header.bounds.width()) * 96 / inch);
        header.height = int(std::abs(header.bounds.height()) * 96 / inch);
    } else {
        wmfFirstWindow(bytes, header.firstRecord, header.bounds);
        header.width = int(std::abs(header.bounds.width()));
        header.height = int(std::abs(header.bounds.height()));
    }
    return true;
}

void PlayWmf(Player &player, QByteArrayView bytes, const QRectF &target)
{
    WmfHeader header;
    if (!ReadWmfHeader(bytes, header))
        return;
    player.resizeObjectTable(header.objects);
    DcState &dc = player.dc;
    // The window the picture states fills the target; the records' window
    // settings move and scale within it.
    dc.mapMode = MM_ANISOTROPIC;
    dc.winOrg = header.bounds.topLeft();
    dc.winExt = QPointF(header.bounds.width() != 0 ? header.bounds.width() : 1,
                        header.bounds.height() != 0 ? header.bounds.height() : 1);
    dc.vpOrg = target.topLeft();
    dc.vpExt = QPointF(target.width(), target.height());
    qsizetype pos = header.firstRecord;
    while (pos + 6 <= bytes.size()) {
        const uint32_t words = u32(bytes, pos);
        // A record that cannot say where the next one starts ends the file.
        if (words < 3 || uint64_t(words) * 2 > uint64_t(bytes.size() - pos))
            break;
        WmfRecord record{bytes.sliced(pos, qsizetype(words) * 2), u16(bytes, pos + 4)};
        if (record.function == 0)
            break;
        ++player.stats.records;
        wmfRecord(player, record);
        pos += qsizetype(words) * 2;
    }
}

} // namespace gfx::metafile
