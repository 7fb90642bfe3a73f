#pragma once

// Pictures: TPicture holds one graphic, a TBitmap (BMP, or a raw DIB that
// gets its file header) or one of the graphics decoded by Qt's readers
// (TIcon: the image nearest 32 x 32; TGIFImage: the first frame;
// TJPEGImage) or a TMetafile (WMF or EMF, drawn as vectors), each of which
// keeps the bytes it was read from. A picture
// streams its graphic as the class name (a short string) followed by the
// graphic's data: a 4-byte length and the bytes.

#include "platform/classes/Graphics.h"
#include "platform/classes/Persistent.h"

#include <QByteArray>
#include <QImage>
#include <QRectF>

#include <functional>
#include <memory>

class QPainter;

namespace classes {

class TStream;

class TGraphic : public TPersistent
{
    ZVO_CLASS(TGraphic)
public:
    const QImage &Image() const { return m_image; }
    bool Empty() const { return m_image.isNull(); }
    // In screen pixels.
    virtual int Width() const { return m_image.width(); }
    virtual int Height() const { return m_image.height(); }
    // Stretched into target of the painter.
    virtual void Draw(QPainter &painter, const QRectF &target) const;
    // What the graphic was read from, as it was.
    const QByteArray &Bytes() const { return m_bytes; }

    // EInvalidGraphic when the bytes do not decode; the graphic then
    // keeps what it had.
    void LoadFromBytes(const QByteArray &bytes);
    // The rest of the stream.
    void LoadFromStream(TStream &stream);
    void SaveToStream(TStream &stream) const;
    // Forgets the bytes and the image.
    void Clear();
    void Assign(const TPersistent *source) override;
    // A graphic held as a property of its own streams its bytes as "Data".
    void DefineProperties(TFiler &filer) override;

protected:
    TGraphic() = default;
    virtual QImage decode(const QByteArray &bytes) const = 0;

private:
    QByteArray m_bytes;
    QImage m_image;
};

class TIcon : public TGraphic
{
    ZVO_CLASS(TIcon)
public:
    TIcon() = default;

protected:
    QImage decode(const QByteArray &bytes) const override;
};

class TGIFImage : public TGraphic
{
    ZVO_CLASS(TGIFImage)
public:
    TGIFImage() = default;

protected:
    QImage decode(const QByteArray &bytes) const override;
};

class TJPEGImage : public TGraphic
{
    ZVO_CLASS(TJPEGImage)
public:
    TJPEGImage() = default;

protected:
    QImage decode(const QByteArray &bytes) const override;
};

// A Windows metafile, placeable or plain WMF or EMF. Its size is the frame
// its header gives; Image() is that frame played at screen resolution
// (held to a few thousand pixels a side), Draw plays the records as vectors.
class TMetafile : public TGraphic
{
    ZVO_CLASS(TMetafile)
public:
    TMetafile() = default;

    bool Enhanced() const;
    int Width() const override;
    int Height() const override;
    void Draw(QPainter &painter, const QRectF &target) const override;

protected:
    QImage decode(const QByteArray &bytes) const override;
};

// A BMP file from a DIB (a bitmap info header and what follows), or the
// bytes as they are when they already are a file.
QByteArray BitmapFileFromDIB(const QByteArray &bytes);

class TPicture : public TPersistent
{
    ZVO_CLASS(TPicture)
public:
    TPicture();
    ~TPicture() override;

    // A TBitmap, a TGraphic or nullptr.
    TPersistent *Graphic() const { return m_graphic.get(); }
    // A copy of aGraphic (nullptr empties the picture).
    void SetGraphic(const TPersistent *aGraphic);
    // The bitmap when the graphic is one, else nullptr.
    TBitmap *Bitmap() const;
    QImage Image() const;
    bool Empty() const;
    int Width() const;
    int Height() const;

    // A picture file of any kind read by its content: BMP, ICO, GIF, JPEG,
    // WMF or EMF, and PNG, which becomes a bitmap. EInvalidGraphic for
    // anything else, and for a file that cannot be read.
    void LoadFromBytes(const QByteArray &bytes);
    void LoadFromFile(const QString &fileName);

    void Assign(const TPersistent *source) override;
    void DefineProperties(TFiler &filer) override;
    // The "Data" value; EInvalidGraphic for an unknown class, a length
    // beyond the bytes left or data that does not decode.
    void ReadData(TStream &stream);
    void WriteData(TStream &stream) const;

    std::function<void(TObject *)> OnChange;

private:
    void changed();
    std::unique_ptr<TPersistent> m_graphic;
};

} // namespace classes
