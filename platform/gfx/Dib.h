#pragma once

// Device-independent bitmaps as metafiles and picture streams carry them: a
// bitmap info header, the colour table or bit masks, and the pixels.

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>

namespace gfx {

// A BMP file of the DIB (the 14-byte file header put in front), or the
// bytes as they are when they already are a file or no DIB.
QByteArray BitmapFileFromDIB(QByteArrayView dib);

// The picture of a DIB; a null image for one that does not decode, that
// claims more pixels than maxPixels, or whose uncompressed pixels the bytes
// do not hold. The bits may follow the header directly (bits empty) or come
// apart.
QImage DecodeDIB(QByteArrayView header, QByteArrayView bits = {}, qint64 maxPixels = qint64(1) << 24);

} // namespace gfx
