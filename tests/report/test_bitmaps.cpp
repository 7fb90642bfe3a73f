#include "report/model/base/Bitmaps.h"

#include <QPicture>

#include <gtest/gtest.h>

using namespace report;
using gfx::RasterOp;

namespace {

const QRgb White = qRgb(255, 255, 255);
const QRgb Blue = qRgb(0, 0, 255);
const QRgb Red = qRgb(255, 0, 0);
const QRgb Magenta = qRgb(255, 0, 255);

QImage page(QRgb fill, int dpi = 96)
{
    QImage image(40, 40, QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.fill(fill);
    return image;
}

// Red on the left half, the key colour (its bottom-left pixel) on the right.
QImage keyedPicture()
{
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Magenta);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 2; ++x)
            picture.setPixel(x, y, Red);
    picture.setPixel(0, 3, Magenta);
    return picture;
}

// A printer or PDF file: a device without raster operations, drawn here
// through a recording that is played back onto an image.
template <class Draw>
QImage throughRecording(QRgb background, Draw draw)
{
    QPicture recording;
    {
        gfx::Canvas canvas(&recording);
        draw(canvas);
    }
    QImage image = page(background);
    QPainter painter(&image);
    painter.drawPicture(0, 0, recording);
    return image;
}

} // namespace

TEST(Bitmaps, ACompatibleCanvasHasTheDevicesResolutionAndStartsWhite)
{
    QImage device = page(Blue, 600);
    gfx::Canvas canvas(&device);
    TppDeviceCompatibleCanvas compatible(canvas, 30, 20);
    EXPECT_EQ(compatible.Bitmap().size(), QSize(20, 30));
    EXPECT_EQ(compatible.Bitmap().logicalDpiX(), 600);
    EXPECT_EQ(compatible.Bitmap().logicalDpiY(), 600);
    EXPECT_EQ(compatible.Bitmap().pixel(19, 29), White);

    compatible.Canvas().FillRect(rtl::Rect(0, 0, 10, 30), gfx::Brush::solid(rtl::clBlack));
    compatible.RenderToDevice(rtl::Rect(0, 0, 20, 30), RasterOp::SrcAnd);
    EXPECT_EQ(device.pixel(5, 5), qRgb(0, 0, 0));
    EXPECT_EQ(device.pixel(15, 5), Blue);
}

TEST(Bitmaps, DirectDrawingStretchesWithTheRasterOperation)
{
    QImage device = page(Blue);
    {
        gfx::Canvas canvas(&device);
        ppDirectDrawDIB(canvas, rtl::Rect(0, 0, 20, 20), keyedPicture(), RasterOp::SrcCopy);
        ppDirectDrawDIB(canvas, rtl::Rect(20, 20, 20, 30), keyedPicture(), RasterOp::SrcCopy);
        ppDirectDrawDIB(canvas, rtl::Rect(20, 0, 40, 20), QImage(), RasterOp::SrcCopy);
    }
    EXPECT_EQ(device.pixel(2, 2), Red);
    EXPECT_EQ(device.pixel(9, 9), Red);
    EXPECT_EQ(device.pixel(10, 9), Magenta);
    EXPECT_EQ(device.pixel(19, 19), Magenta);
    EXPECT_EQ(device.pixel(25, 25), Blue);

    // No raster operations on a printer: an AND leaves white out.
    QImage whiteAndRed(2, 1, QImage::Format_RGB32);
    whiteAndRed.setPixel(0, 0, White);
    whiteAndRed.setPixel(1, 0, Red);
    const QImage printed = throughRecording(
        Blue, [&](gfx::Canvas &c) { ppDirectDrawDIB(c, rtl::Rect(0, 0, 20, 10), whiteAndRed, RasterOp::SrcAnd); });
    EXPECT_EQ(printed.pixel(5, 5), Blue);
    EXPECT_EQ(printed.pixel(15, 5), Red);
}

// Transparent pictures leave the page visible where they are transparent, on
// images through a mask and on printers through a transparent background.
TEST(Bitmaps, MaskedDrawingLeavesTransparentPixelsOut)
{
    QImage device = page(Blue);
    {
        gfx::Canvas canvas(&device);
        ppDrawDIB(canvas, rtl::Rect(0, 0, 20, 20), keyedPicture(), RasterOp::SrcCopy);
    }
    const QImage printed = throughRecording(
        Blue, [](gfx::Canvas &c) { ppDrawDIB(c, rtl::Rect(0, 0, 20, 20), keyedPicture(), RasterOp::SrcCopy); });
    for (const QImage *image : {static_cast<const QImage *>(&device), &printed}) {
        EXPECT_EQ(image->pixel(2, 2), Red);
        EXPECT_EQ(image->pixel(2, 17), Blue); // the key pixel itself
        EXPECT_EQ(image->pixel(15, 5), Blue);
        EXPECT_EQ(image->pixel(30, 30), Blue);
    }

    QImage withAlpha(2, 1, QImage::Format_ARGB32);
    withAlpha.setPixel(0, 0, qRgba(0, 0, 0, 0));
    withAlpha.setPixel(1, 0, qRgba(255, 0, 0, 255));
    QImage second = page(Blue);
    {
        gfx::Canvas canvas(&second);
        ppDrawDIB(canvas, rtl::Rect(0, 0, 20, 10), withAlpha, RasterOp::SrcCopy);
    }
    EXPECT_EQ(second.pixel(5, 5), Blue);
    EXPECT_EQ(second.pixel(15, 5), Red);
}

TEST(Bitmaps, TheLibrarysPictures)
{
    const QImage glyph = ppLoadBitmapResource("PPNOREPORTBITMAP");
    ASSERT_FALSE(glyph.isNull());
    EXPECT_EQ(glyph.size(), QSize(24, 24));
    EXPECT_TRUE(ppLoadBitmapResource("PPNOSUCHBITMAP").isNull());
    EXPECT_TRUE(ppLoadBitmapResource("../pplang/bvPrint.dft").isNull());
}
