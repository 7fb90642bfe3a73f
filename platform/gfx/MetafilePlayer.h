#pragma once

// Windows metafiles, read and played without the Windows graphics system:
// placeable and plain WMF and EMF. A metafile is a list of drawing records
// in logical units; playing it maps its frame into a target rectangle of a
// painter, so that a printer or PDF receives vectors and text, not a
// raster. Records the player does not know, and records whose parameters do
// not fit them, are passed over; the bytes come from outside and no record
// may make it crash, hang or allocate without bound.

#include <QByteArrayView>
#include <QRectF>

class QPainter;

namespace gfx {

enum class MetafileKind { None, Wmf, PlaceableWmf, Emf };

struct MetafileInfo
{
    MetafileKind kind = MetafileKind::None;
    // The picture's size in screen pixels (96 per inch); 0 when the file
    // gives it none.
    int width = 0;
    int height = 0;
};

MetafileInfo ReadMetafileInfo(QByteArrayView bytes);

struct MetafilePlayStats
{
    int records = 0;
    int skipped = 0;
};

// Plays the records onto the painter, the picture's frame filling target
// (in the painter's coordinates). The painter's state is as before after.
MetafilePlayStats PlayMetafile(QPainter &painter, QByteArrayView bytes, const QRectF &target);

// Limits on what a metafile may make the player keep.
constexpr int MetafileMaxObjects = 65535;
constexpr int MetafileMaxSavedStates = 1024;
constexpr qint64 MetafileMaxBitmapPixels = qint64(1) << 24;

} // namespace gfx
