#pragma once

// Writes small Windows metafiles (placeable or plain WMF, EMF) of the
// records a test or the demonstration wants, so that fixtures are made, not
// shipped. A picture of width x height logical units shows at that many
// screen pixels.

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

#include <cstdint>
#include <vector>

namespace reporttest {

class MetafileWriter
{
public:
    enum class Format { PlaceableWmf, Wmf, Emf };

    MetafileWriter(Format aFormat, int aWidth, int aHeight);

    // Colours as 0x00bbggrr. Pen style 0 solid, 5 none; brush style 0
    // solid, 1 none.
    void Pen(uint32_t aColor, int aWidth, int aStyle = 0);
    void Brush(uint32_t aColor, int aStyle = 0);
    // A character height in logical units.
    void Font(int aHeight, const QString &aFace);
    void TextColor(uint32_t aColor);
    void Rectangle(const QRect &aBox);
    void Ellipse(const QRect &aBox);
    void Polyline(const std::vector<QPoint> &aPoints);
    void Text(int aX, int aY, const QString &aText);
    void Bitmap(const QRect &aDest, const QImage &aImage);
    void SaveDC();
    void RestoreDC();
    // Any record, as it is (type or function, parameters after the size).
    void Raw(uint32_t aType, const QByteArray &aParams);
    // The object table holds at least this many (for Raw records' objects).
    void ReserveObjects(int aCount) { m_reserved = aCount; }

    QByteArray Bytes() const;

private:
    void record(uint32_t aType, const QByteArray &aParams);
    // A record of a box: left, top, right, bottom.
    void box(uint32_t aEmfType, uint32_t aWmfFunction, const QRect &aBox);
    int newObject();

    Format m_format;
    int m_width;
    int m_height;
    int m_objects = 0;
    int m_reserved = 0;
    uint32_t m_maxRecordWords = 0;
    int m_records = 0;
    QByteArray m_body;
};

// A 24-bit bottom-up DIB (info header and pixels) of the image.
QByteArray DibOf(const QImage &aImage);

} // namespace reporttest
