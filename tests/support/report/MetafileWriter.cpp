#include "tests/support/report/MetafileWriter.h"

#include <QtEndian>

#include <algorithm>

namespace reporttest {

namespace {

void put16(QByteArray &b, int v)
{
    const uint16_t u = uint16_t(v);
    b.append(char(u & 0xFF)).append(char(u >> 8));
}

void put32(QByteArray &b, int64_t v)
{
    const uint32_t u = uint32_t(v);
    for (int i = 0; i < 4; ++i)
        b.append(char((u >> (8 * i)) & 0xFF));
}

QByteArray ansiOf(const QString &aText)
{
    return aText.toLatin1();
}

} // namespace

QByteArray DibOf(const QImage &aImage)
{
    const QImage image = aImage.convertToFormat(QImage::Format_RGB32);
    const int stride = ((image.width() * 3 + 3) / 4) * 4;
    QByteArray dib;
    put32(dib, 40);
    put32(dib, image.width());
    put32(dib, image.height());
    put16(dib, 1);
    put16(dib, 24);
    put32(dib, 0);
    put32(dib, int64_t(stride) * image.height());
    put32(dib, 3780);
    put32(dib, 3780);
    put32(dib, 0);
    put32(dib, 0);
    for (int y = image.height() - 1; y >= 0; --y) {
        QByteArray row;
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            row.append(char(qBlue(p))).append(char(qGreen(p))).append(char(qRed(p)));
        }
        row.append(QByteArray(stride - row.size(), '\0'));
        dib.append(row);
    }
    return dib;
}

MetafileWriter::MetafileWriter(Format aFormat, int aWidth, int aHeight)
    : m_format(aFormat)
    , m_width(aWidth)
    , m_height(aHeight)
{
    if (m_format == Format::Emf)
        return;
    QByteArray p;
    put16(p, 8); // MM_ANISOTROPIC
    record(0x0103, p);
    p.clear();
    put16(p, 0);
    put16(p, 0);
    record(0x020B, p);
    p.clear();
    put16(p, aHeight);
    put16(p, aWidth);
    record(0x020C, p);
}

void MetafileWriter::record(uint32_t aType, const QByteArray &aParams)
{
    ++m_records;
    if (m_format == Format::Emf) {
        QByteArray params = aParams;
        while (params.size() % 4)
            params.append('\0');
        put32(m_body, aType);
        put32(m_body, 8 + params.size());
        m_body.append(params);
        return;
    }
    QByteArray params = aParams;
    if (params.size() % 2)
        params.append('\0');
    const uint32_t words = uint32_t(3 + params.size() / 2);
    m_maxRecordWords = std::max(m_maxRecordWords, words);
    put32(m_body, words);
    put16(m_body, int(aType));
    m_body.append(params);
}

void MetafileWriter::Raw(uint32_t aType, const QByteArray &aParams)
{
    record(aType, aParams);
}

int MetafileWriter::newObject()
{
    // Objects are never deleted: WMF slots count from 0, EMF handles from 1.
    return m_format == Format::Emf ? ++m_objects : m_objects++;
}

void MetafileWriter::Pen(uint32_t aColor, int aWidth, int aStyle)
{
    const int index = newObject();
    QByteArray p;
    if (m_format == Format::Emf) {
        put32(p, index);
        put32(p, aStyle);
        put32(p, aWidth);
        put32(p, 0);
        put32(p, aColor);
        record(38, p);
        p.clear();
        put32(p, index);
        record(37, p);
        return;
    }
    put16(p, aStyle);
    put16(p, aWidth);
    put16(p, 0);
    put32(p, aColor);
    record(0x02FA, p);
    p.clear();
    put16(p, index);
    record(0x012D, p);
}

void MetafileWriter::Brush(uint32_t aColor, int aStyle)
{
    const int index = newObject();
    QByteArray p;
    if (m_format == Format::Emf) {
        put32(p, index);
        put32(p, aStyle);
        put32(p, aColor);
        put32(p, 0);
        record(39, p);
        p.clear();
        put32(p, index);
        record(37, p);
        return;
    }
    put16(p, aStyle);
    put32(p, aColor);
    put16(p, 0);
    record(0x02FC, p);
    p.clear();
    put16(p, index);
    record(0x012D, p);
}

void MetafileWriter::Font(int aHeight, const QString &aFace)
{
    const int index = newObject();
    QByteArray p;
    if (m_format == Format::Emf) {
        put32(p, index);
        put32(p, -aHeight);
        for (int i = 0; i < 3; ++i)
            put32(p, 0);
        put32(p, 400);
        p.append(QByteArray(8, '\0'));
        QByteArray face(64, '\0');
        for (int i = 0; i < std::min<int>(31, int(aFace.size())); ++i) {
            face[2 * i] = char(aFace[i].unicode() & 0xFF);
            face[2 * i + 1] = char(aFace[i].unicode() >> 8);
        }
        p.append(face);
        record(82, p);
        p.clear();
        put32(p, index);
        record(37, p);
        p.clear();
        put32(p, 1); // TRANSPARENT
        record(18, p);
        return;
    }
    put16(p, -aHeight);
    for (int i = 0; i < 3; ++i)
        put16(p, 0);
    put16(p, 400);
    p.append(QByteArray(8, '\0'));
    QByteArray face = ansiOf(aFace).left(31);
    face.append(QByteArray(32 - face.size(), '\0'));
    p.append(face);
    record(0x02FB, p);
    p.clear();
    put16(p, index);
    record(0x012D, p);
    p.clear();
    put16(p, 1);
    record(0x0102, p);
}

void MetafileWriter::TextColor(uint32_t aColor)
{
    QByteArray p;
    put32(p, aColor);
    record(m_format == Format::Emf ? 24 : 0x0209, p);
}

void MetafileWriter::box(uint32_t aEmfType, uint32_t aWmfFunction, const QRect &aBox)
{
    QByteArray p;
    if (m_format == Format::Emf) {
        put32(p, aBox.left());
        put32(p, aBox.top());
        put32(p, aBox.left() + aBox.width());
        put32(p, aBox.top() + aBox.height());
        record(aEmfType, p);
        return;
    }
    put16(p, aBox.top() + aBox.height());
    put16(p, aBox.left() + aBox.width());
    put16(p, aBox.top());
    put16(p, aBox.left());
    record(aWmfFunction, p);
}

void MetafileWriter::Rectangle(const QRect &aBox)
{
    box(43, 0x041B, aBox);
}

void MetafileWriter::Ellipse(const QRect &aBox)
{
    box(42, 0x0418, aBox);
}

void MetafileWriter::Polyline(const std::vector<QPoint> &aPoints)
{
    QByteArray p;
    if (m_format == Format::Emf) {
        QRect bounds;
        for (const QPoint &pt : aPoints)
            bounds = bounds.united(QRect(pt, QSize(1, 1)));
        put32(p, bounds.left());
        put32(p, bounds.top());
        put32(p, bounds.right());
        put32(p, bounds.bottom());
        put32(p, int64_t(aPoints.size()));
        for (const QPoint &pt : aPoints) {
            put32(p, pt.x());
            put32(p, pt.y());
        }
        record(4, p);
        return;
    }
    put16(p, int(aPoints.size()));
    for (const QPoint &pt : aPoints) {
        put16(p, pt.x());
        put16(p, pt.y());
    }
    record(0x0325, p);
}

void MetafileWriter::Text(int aX, int aY, const QString &aText)
{
    QByteArray p;
    if (m_format == Format::Emf) {
        const int chars = int(aText.size());
        const int stringAt = 76;
        const int stringBytes = ((chars * 2 + 3) / 4) * 4;
        put32(p, 0);
        put32(p, 0);
        put32(p, -1);
        put32(p, -1);
        put32(p, 1); // GM_COMPATIBLE
        put32(p, 0);
        put32(p, 0);
        put32(p, aX);
        put32(p, aY);
        put32(p, chars);
        put32(p, stringAt);
        put32(p, 0);
        for (int i = 0; i < 4; ++i)
            put32(p, 0);
        put32(p, stringAt + stringBytes);
        for (QChar c : aText)
            put16(p, c.unicode());
        while ((p.size() + 8) % 4)
            p.append('\0');
        for (int i = 0; i < chars; ++i)
            put32(p, 0);
        record(84, p);
        return;
    }
    const QByteArray text = ansiOf(aText);
    put16(p, int(text.size()));
    p.append(text);
    if (text.size() % 2)
        p.append('\0');
    put16(p, aY);
    put16(p, aX);
    record(0x0521, p);
}

void MetafileWriter::Bitmap(const QRect &aDest, const QImage &aImage)
{
    const QByteArray dib = DibOf(aImage);
    QByteArray p;
    if (m_format == Format::Emf) {
        const int header = 40;
        const int headerAt = 80;
        put32(p, aDest.left());
        put32(p, aDest.top());
        put32(p, aDest.right());
        put32(p, aDest.bottom());
        put32(p, aDest.left());
        put32(p, aDest.top());
        put32(p, 0);
        put32(p, 0);
        put32(p, aImage.width());
        put32(p, aImage.height());
        put32(p, headerAt);
        put32(p, header);
        put32(p, headerAt + header);
        put32(p, dib.size() - header);
        put32(p, 0);          // DIB_RGB_COLORS
        put32(p, 0x00CC0020); // SRCCOPY
        put32(p, aDest.width());
        put32(p, aDest.height());
        p.append(dib);
        record(81, p);
        return;
    }
    put32(p, 0x00CC0020);
    put16(p, 0);
    put16(p, aImage.height());
    put16(p, aImage.width());
    put16(p, 0);
    put16(p, 0);
    put16(p, aDest.height());
    put16(p, aDest.width());
    put16(p, aDest.top());
    put16(p, aDest.left());
    p.append(dib);
    record(0x0F43, p);
}

void MetafileWriter::SaveDC()
{
    record(m_format == Format::Emf ? 33 : 0x001E, {});
}

void MetafileWriter::RestoreDC()
{
    QByteArray p;
    if (m_format == Format::Emf) {
        put32(p, -1);
        record(34, p);
        return;
    }
    put16(p, -1);
    record(0x0127, p);
}

QByteArray MetafileWriter::Bytes() const
{
    QByteArray out;
    if (m_format == Format::Emf) {
        const int frameW = m_width * 2540 / 96 - 1;
        const int frameH = m_height * 2540 / 96 - 1;
        QByteArray h;
        put32(h, 0);
        put32(h, 0);
        put32(h, m_width - 1);
        put32(h, m_height - 1);
        put32(h, 0);
        put32(h, 0);
        put32(h, frameW);
        put32(h, frameH);
        put32(h, 0x464D4520);
        put32(h, 0x10000);
        const int headerSize = 8 + 100;
        put32(h, headerSize + m_body.size() + 20);
        put32(h, m_records + 2);
        put16(h, std::max(m_objects + 1, m_reserved));
        put16(h, 0);
        put32(h, 0);
        put32(h, 0);
        put32(h, 0);
        put32(h, 960);
        put32(h, 960);
        put32(h, 254);
        put32(h, 254);
        put32(h, 0);
        put32(h, 0);
        put32(h, 0);
        put32(h, 254000);
        put32(h, 254000);
        put32(out, 1);
        put32(out, 8 + h.size());
        out.append(h);
        out.append(m_body);
        // EOF: no palette entries.
        put32(out, 14);
        put32(out, 20);
        put32(out, 0);
        put32(out, 16);
        put32(out, 20);
        return out;
    }
    if (m_format == Format::PlaceableWmf) {
        put32(out, int64_t(0x9AC6CDD7u));
        put16(out, 0);
        put16(out, 0);
        put16(out, 0);
        put16(out, m_width);
        put16(out, m_height);
        put16(out, 96);
        put32(out, 0);
        uint16_t checksum = 0;
        for (int i = 0; i < 20; i += 2)
            checksum ^= uint16_t(uint8_t(out[i]) | (uint8_t(out[i + 1]) << 8));
        put16(out, checksum);
    }
    const uint32_t totalWords = uint32_t(9 + m_body.size() / 2 + 3);
    put16(out, 1);
    put16(out, 9);
    put16(out, 0x0300);
    put32(out, totalWords);
    put16(out, std::max(m_objects, m_reserved));
    put32(out, std::max<uint32_t>(m_maxRecordWords, 3));
    put16(out, 0);
    out.append(m_body);
    put32(out, 3);
    put16(out, 0);
    return out;
}

} // namespace reporttest
