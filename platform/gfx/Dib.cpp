#include "platform/gfx/Dib.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace gfx {

namespace {

uint32_t dibLittle32(QByteArrayView bytes, qsizetype at)
{
    if (at < 0 || at + 4 > bytes.size())
        return 0;
    const auto *b = reinterpret_cast<const uint8_t *>(bytes.data() + at);
    return uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24);
}

uint16_t dibLittle16(QByteArrayView bytes, qsizetype at)
{
    if (at < 0 || at + 2 > bytes.size())
        return 0;
    const auto *b = reinterpret_cast<const uint8_t *>(bytes.data() + at);
    return uint16_t(b[0] | (b[1] << 8));
}

void dibPut32(QByteArray &bytes, qsizetype at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char((value >> (8 * i)) & 0xFF);
}

bool dibKnownHeader(uint32_t size)
{
    return size == 12 || size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

struct DibInfo
{
    uint32_t headerSize = 0;
    int64_t width = 0;
    int64_t height = 0;
    uint32_t bitCount = 0;
    uint32_t compression = 0;
    // Header, masks and colour table: where the pixels start.
    uint64_t tableEnd = 0;
};

bool dibReadInfo(QByteArrayView dib, DibInfo &info)
{
    info.headerSize = dibLittle32(dib, 0);
    if (!dibKnownHeader(info.headerSize) || dib.size() < qsizetype(info.headerSize))
        return false;
    uint32_t colorsUsed = 0;
    if (info.headerSize == 12) {
        info.width = dibLittle16(dib, 4);
        info.height = int16_t(dibLittle16(dib, 6));
        info.bitCount = dibLittle16(dib, 10);
    } else {
        info.width = int32_t(dibLittle32(dib, 4));
        info.height = int32_t(dibLittle32(dib, 8));
        info.bitCount = dibLittle16(dib, 14);
        info.compression = dibLittle32(dib, 16);
        colorsUsed = dibLittle32(dib, 32);
    }
    const uint64_t entrySize = info.headerSize == 12 ? 3 : 4;
    uint64_t colors = colorsUsed;
    if (colors == 0 && info.bitCount <= 8)
        colors = uint64_t(1) << info.bitCount;
    info.tableEnd = uint64_t(info.headerSize) + colors * entrySize;
    if (info.headerSize == 40 && (info.compression == 3 || info.compression == 6))
        info.tableEnd += info.compression == 3 ? 12 : 16;
    return true;
}

} // namespace

QByteArray BitmapFileFromDIB(QByteArrayView dib)
{
    if (dib.startsWith("BM"))
        return dib.toByteArray();
    DibInfo info;
    if (!dibReadInfo(dib, info))
        return dib.toByteArray();
    QByteArray file(14, '\0');
    file[0] = 'B';
    file[1] = 'M';
    dibPut32(file, 2, uint32_t(std::min<uint64_t>(14 + uint64_t(dib.size()), 0xFFFFFFFFu)));
    dibPut32(file, 10, uint32_t(std::min<uint64_t>(14 + info.tableEnd, 0xFFFFFFFFu)));
    return file + dib.toByteArray();
}

QImage DecodeDIB(QByteArrayView header, QByteArrayView bits, qint64 maxPixels)
{
    DibInfo info;
    if (!dibReadInfo(header, info) || info.width <= 0 || info.height == 0)
        return QImage();
    const int64_t rows = std::llabs(info.height);
    if (info.width > maxPixels || rows > maxPixels || info.width * rows > maxPixels)
        return QImage();
    // Compressed with JPEG or PNG: not a bitmap this reader draws.
    if (info.compression == 4 || info.compression == 5)
        return QImage();
    QByteArray dib = header.toByteArray();
    if (!bits.isEmpty()) {
        dib.truncate(qsizetype(std::min<uint64_t>(info.tableEnd, uint64_t(dib.size()))));
        dib.append(bits.data(), bits.size());
    }
    const bool uncompressed = info.compression == 0 || info.compression == 3 || info.compression == 6;
    if (uncompressed) {
        if (info.bitCount == 0 || info.bitCount > 32)
            return QImage();
        const uint64_t stride = ((uint64_t(info.width) * info.bitCount + 31) / 32) * 4;
        if (info.tableEnd + stride * uint64_t(rows) > uint64_t(dib.size()))
            return QImage();
    }
    return QImage::fromData(BitmapFileFromDIB(dib), "BMP");
}

} // namespace gfx
