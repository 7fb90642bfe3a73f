// Random bytes as a metafile: the header reads or is refused, and playing
// the records onto an image ends, within its bounds, whatever they claim
// (objects, saved states, points, bitmaps, coordinates).

#include "fuzz/GuiFuzz.h"

#include "platform/gfx/MetafilePlayer.h"

#include <QByteArrayView>
#include <QImage>
#include <QPainter>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const gfx::MetafileInfo info = gfx::ReadMetafileInfo(bytes);
    if (info.width < 0 || info.height < 0)
        __builtin_trap();
    QImage image(64, 48, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    const gfx::MetafilePlayStats stats = gfx::PlayMetafile(painter, bytes, QRectF(2, 3, 60, 40));
    if (stats.records < 0 || stats.skipped > stats.records + 1)
        __builtin_trap();
    return 0;
}
