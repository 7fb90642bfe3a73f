#include "platform/richedit/RtfPicture.h"

#include "platform/richedit/RtfReader.h"

#include "platform/gfx/MetafilePlayer.h"

#include <QPainter>

#include <algorithm>
#include <cstring>

namespace richedit {

namespace {

uint32_t pictureLittleEndian(const QByteArray &bytes, qsizetype offset, int size)
{
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | uchar(bytes[offset + i]);
    return value;
}

void pictureAppendLittleEndian(QByteArray &bytes, uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes.append(char((value >> (8 * i)) & 0xFF));
}

// A packed DIB gets the file header a BMP reader expects before it.
QImage pictureFromDib(const QByteArray &dib)
{
    if (dib.size() < 40)
        return {};
    const uint32_t headerSize = pictureLittleEndian(dib, 0, 4);
    if (headerSize < 40 || headerSize > uint32_t(dib.size()))
        return {};
    const uint32_t bitCount = pictureLittleEndian(dib, 14, 2);
    const uint32_t compression = pictureLittleEndian(dib, 16, 4);
    uint32_t colors = pictureLittleEndian(dib, 32, 4);
    if (colors == 0 && bitCount <= 8)
        colors = 1u << bitCount;
    if (colors > 256)
        return {};
    uint32_t offset = 14 + headerSize + colors * 4;
    if (headerSize == 40 && compression == 3)
        offset += 12; // the bit-field masks
    QByteArray file("BM");
    pictureAppendLittleEndian(file, uint32_t(14 + dib.size()), 4);
    pictureAppendLittleEndian(file, 0, 4);
    pictureAppendLittleEndian(file, offset, 4);
    file.append(dib);
    return QImage::fromData(file, "BMP");
}

QImage pictureFromMetafile(const RtfPictureData &picture)
{
    const QSizeF size = RtfPictureDisplaySize(picture, QImage());
    if (size.isEmpty())
        return {};
    // Drawn at four times the screen's resolution, so that print stays sharp.
    const int w = std::clamp(int(size.width() * 4), 1, RtfMaxPictureSide);
    const int h = std::clamp(int(size.height() * 4), 1, RtfMaxPictureSide);
    if (qint64(w) * h > gfx::MetafileMaxBitmapPixels)
        return {};
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    gfx::PlayMetafile(painter, picture.bytes, QRectF(0, 0, w, h));
    return image;
}

} // namespace

int RtfHexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

void RtfPictureWord(RtfPictureData &picture, const QByteArray &word, bool hasParam, int param)
{
    const int value = hasParam ? param : 0;
    if (word == "pngblip")
        picture.kind = RtfPictureKind::Png;
    else if (word == "jpegblip")
        picture.kind = RtfPictureKind::Jpeg;
    else if (word == "dibitmap")
        picture.kind = RtfPictureKind::Dib;
    else if (word == "wmetafile")
        picture.kind = RtfPictureKind::Wmf;
    else if (word == "emfblip")
        picture.kind = RtfPictureKind::Emf;
    else if (word == "picw")
        picture.width = std::clamp(value, 0, 1 << 20);
    else if (word == "pich")
        picture.height = std::clamp(value, 0, 1 << 20);
    else if (word == "picwgoal")
        picture.goalWidth = std::clamp(value, 0, 1 << 20);
    else if (word == "pichgoal")
        picture.goalHeight = std::clamp(value, 0, 1 << 20);
    else if (word == "picscalex")
        picture.scaleX = std::clamp(value, 1, 1000);
    else if (word == "picscaley")
        picture.scaleY = std::clamp(value, 1, 1000);
}

void RtfPictureHexDigit(RtfPictureData &picture, char c)
{
    const int nibble = RtfHexValue(c);
    if (nibble < 0)
        return;
    if (picture.pendingNibble < 0) {
        picture.pendingNibble = nibble;
        return;
    }
    picture.bytes.append(char(picture.pendingNibble * 16 + nibble));
    picture.pendingNibble = -1;
}

QImage RtfPictureImage(const RtfPictureData &picture)
{
    if (picture.bytes.isEmpty())
        return {};
    QImage image;
    switch (picture.kind) {
    case RtfPictureKind::Png: image = QImage::fromData(picture.bytes, "PNG"); break;
    case RtfPictureKind::Jpeg: image = QImage::fromData(picture.bytes, "JPEG"); break;
    case RtfPictureKind::Dib: image = pictureFromDib(picture.bytes); break;
    case RtfPictureKind::Wmf:
    case RtfPictureKind::Emf: image = pictureFromMetafile(picture); break;
    case RtfPictureKind::Unknown: break;
    }
    if (image.width() > RtfMaxPictureSide || image.height() > RtfMaxPictureSide)
        return {};
    return image;
}

QSizeF RtfPictureDisplaySize(const RtfPictureData &picture, const QImage &image)
{
    const bool metafile = picture.kind == RtfPictureKind::Wmf || picture.kind == RtfPictureKind::Emf;
    double w = 0;
    double h = 0;
    if (picture.goalWidth > 0 && picture.goalHeight > 0) {
        w = picture.goalWidth / 15.0;
        h = picture.goalHeight / 15.0;
    } else if (metafile && picture.width > 0 && picture.height > 0) {
        w = picture.width * 96.0 / 2540.0;
        h = picture.height * 96.0 / 2540.0;
    } else if (!image.isNull()) {
        w = image.width();
        h = image.height();
    } else if (metafile) {
        const gfx::MetafileInfo info = gfx::ReadMetafileInfo(picture.bytes);
        w = info.width;
        h = info.height;
    }
    w = std::min(w * picture.scaleX / 100.0, double(RtfMaxPictureSide));
    h = std::min(h * picture.scaleY / 100.0, double(RtfMaxPictureSide));
    return QSizeF(w, h);
}

} // namespace richedit
