#include "platform/classes/ClassErrors.h"
#include "platform/classes/Picture.h"
#include "platform/classes/Streams.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include <memory>

using namespace classes;

namespace {

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format)) << format;
    return bytes;
}

QImage sample(int width, int height, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(qRgb(200, 30, 40));
    image.setPixel(0, 0, qRgb(0, 0, 255));
    return format == QImage::Format_RGB32 ? image : image.convertToFormat(format);
}

// The smallest GIF: one white pixel.
const QByteArray OnePixelGif = QByteArray::fromBase64("R0lGODlhAQABAIAAAP///wAAACH5BAEAAAAALAAAAAABAAEAAAICRAEAOw==");

std::unique_ptr<TBitmap> bitmapFrom(const QByteArray &bytes)
{
    TMemoryStream stream;
    stream.WriteBuffer(bytes.constData(), bytes.size());
    stream.SetPosition(0);
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->LoadFromStream(stream);
    return bitmap;
}

std::unique_ptr<TPicture> roundTrip(const TPicture &picture)
{
    TMemoryStream stream;
    picture.WriteData(stream);
    stream.SetPosition(0);
    auto read = std::make_unique<TPicture>();
    read->ReadData(stream);
    return read;
}

} // namespace

TEST(Pictures, BitmapsReadEveryDepthAndRawDIBs)
{
    for (QImage::Format format : {QImage::Format_Mono, QImage::Format_Indexed8, QImage::Format_RGB16,
                                  QImage::Format_RGB888, QImage::Format_ARGB32}) {
        const QByteArray file = encoded(sample(5, 3, format), "BMP");
        const auto whole = bitmapFrom(file);
        EXPECT_EQ(whole->Width(), 5) << format;
        // The same without its 14-byte file header.
        const auto dib = bitmapFrom(file.mid(14));
        EXPECT_EQ(dib->Image().convertToFormat(QImage::Format_RGB32),
                  whole->Image().convertToFormat(QImage::Format_RGB32))
            << format;
    }
}

TEST(Pictures, EachGraphicDecodesAndKeepsItsBytes)
{
    TJPEGImage jpeg;
    const QByteArray jpegBytes = encoded(sample(8, 4), "JPEG");
    jpeg.LoadFromBytes(jpegBytes);
    EXPECT_EQ(jpeg.Width(), 8);
    EXPECT_EQ(jpeg.Bytes(), jpegBytes);

    TGIFImage gif;
    gif.LoadFromBytes(OnePixelGif);
    EXPECT_EQ(gif.Width(), 1);

    TIcon icon;
    icon.LoadFromBytes(encoded(sample(16, 16, QImage::Format_ARGB32), "ICO"));
    EXPECT_EQ(icon.Width(), 16);
}

TEST(Pictures, BadGraphicsFailAsInvalidGraphicsAndKeepWhatWasThere)
{
    const QByteArray jpegBytes = encoded(sample(8, 4), "JPEG");
    TJPEGImage jpeg;
    jpeg.LoadFromBytes(jpegBytes);
    EXPECT_THROW(jpeg.LoadFromBytes(jpegBytes.left(20)), EInvalidGraphic);
    EXPECT_EQ(jpeg.Bytes(), jpegBytes);
    EXPECT_THROW(TGIFImage().LoadFromBytes(QByteArray("GIF89a\x01")), EInvalidGraphic);
    EXPECT_THROW(TIcon().LoadFromBytes(QByteArray(6, '\0')), EInvalidGraphic);
    EXPECT_THROW(bitmapFrom(QByteArray("BM garbage")), EInvalidGraphic);

    // A header that promises 100,000 x 100,000 pixels.
    QByteArray huge = encoded(sample(2, 2), "BMP");
    for (int at : {18, 22}) {
        huge[at] = char(0xA0);
        huge[at + 1] = char(0x86);
        huge[at + 2] = char(0x01);
        huge[at + 3] = 0;
    }
    EXPECT_THROW(bitmapFrom(huge), EInvalidGraphic);
}

TEST(Pictures, APictureStreamsItsGraphicByClassName)
{
    TPicture picture;
    TJPEGImage jpeg;
    jpeg.LoadFromBytes(encoded(sample(8, 4), "JPEG"));
    picture.SetGraphic(&jpeg);
    auto read = roundTrip(picture);
    ASSERT_NE(dynamic_cast<TJPEGImage *>(read->Graphic()), nullptr);
    EXPECT_EQ(static_cast<TJPEGImage *>(read->Graphic())->Bytes(), jpeg.Bytes());

    TBitmap bitmap;
    bitmap.SetImage(sample(3, 2));
    picture.SetGraphic(&bitmap);
    read = roundTrip(picture);
    ASSERT_NE(read->Bitmap(), nullptr);
    EXPECT_EQ(read->Image(), bitmap.Image());

    picture.SetGraphic(nullptr);
    EXPECT_TRUE(picture.Empty());
}

TEST(Pictures, PictureDataBeyondItsBytesOrOfAnUnknownClassFails)
{
    const auto read = [](const QByteArray &data) {
        TMemoryStream stream;
        stream.WriteBuffer(data.constData(), data.size());
        stream.SetPosition(0);
        TPicture picture;
        picture.ReadData(stream);
    };
    EXPECT_THROW(read(QByteArray("\x05TIcon\xff\xff\xff\x7f", 10)), EInvalidGraphic);
    EXPECT_THROW(read(QByteArray("\x05TIcon\x05\x00\x00\x00"
                                 "abcd",
                                 14)),
                 EInvalidGraphic);
    EXPECT_THROW(read(QByteArray("\x09TMetafile\x00\x00\x00\x00", 14)), EInvalidGraphic);
    EXPECT_ANY_THROW(read(QByteArray("\x05TI", 3)));
}
