#include "report/model/base/Bitmaps.h"

#include <QFileInfo>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>

#include <algorithm>

namespace report {

namespace {

bool isRasterDevice(QPainter &painter)
{
    const QPaintEngine *engine = painter.paintEngine();
    return engine && engine->type() == QPaintEngine::Raster;
}

int deviceDepth(QPainter &painter)
{
    const QPaintDevice *device = painter.device();
    return device ? device->depth() : 32;
}

// A copy whose pixels of the colour are clear.
QImage clearColor(const QImage &image, QRgb color)
{
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = color & 0x00FFFFFF;
    for (int y = 0; y < out.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if ((line[x] & 0x00FFFFFF) == key)
                line[x] = 0;
    }
    return out;
}

// The picture with its transparent pixels clear.
QImage transparentPicture(const QImage &image)
{
    if (image.hasAlphaChannel())
        return image.convertToFormat(QImage::Format_ARGB32);
    return clearColor(image, image.pixel(0, image.height() - 1));
}

void drawStretched(QPainter &painter, const rtl::TRect &rect, const QImage &image, bool smooth)
{
    const bool wasSmooth = painter.testRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    painter.drawImage(gfx::ToQRect(rect), image);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, wasSmooth);
}

// Printers and PDF files have no raster operations: a copy is drawn as it
// is, an AND leaves the white pixels out (white ANDed changes nothing), and
// whatever else comes nearest to that.
void drawWithoutRasterOps(QPainter &painter, const rtl::TRect &rect, const QImage &image, gfx::RasterOp rop,
                          bool smooth)
{
    QImage picture = image.convertToFormat(QImage::Format_RGB32);
    if (rop == gfx::RasterOp::SrcAnd)
        picture = clearColor(picture, qRgb(255, 255, 255));
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    drawStretched(painter, rect, picture, smooth);
}

} // namespace

// ---- TppDeviceCompatibleCanvas ---------------------------------------------

TppDeviceCompatibleCanvas::TppDeviceCompatibleCanvas(gfx::Canvas &aDevice, int aHeight, int aWidth)
    : m_device(aDevice)
    , m_image(std::max(aWidth, 1), std::max(aHeight, 1), QImage::Format_RGB32)
{
    const QPaintDevice *device = aDevice.painter().device();
    const int dpiX = device ? device->logicalDpiX() : 96;
    const int dpiY = device ? device->logicalDpiY() : 96;
    // Dots per metre read back as the same dots per inch.
    m_image.setDotsPerMeterX(qRound(dpiX / 0.0254));
    m_image.setDotsPerMeterY(qRound(dpiY / 0.0254));
    m_image.fill(Qt::white);
    m_canvas = std::make_unique<gfx::Canvas>(&m_image);
}

TppDeviceCompatibleCanvas::~TppDeviceCompatibleCanvas() = default;

void TppDeviceCompatibleCanvas::RenderToDevice(const rtl::TRect &aRect, gfx::RasterOp aRop)
{
    if (aRect.IsEmpty())
        return;
    // The image's painter draws straight into its pixels: what the canvas
    // drew is there to copy.
    QPainter &painter = m_device.painter();
    if (isRasterDevice(painter))
        m_device.StretchDraw(aRect, m_image, aRop);
    else
        drawWithoutRasterOps(painter, aRect, m_image, aRop, false);
}

// ---- Drawing ---------------------------------------------------------------

void ppDirectDrawDIB(gfx::Canvas &aCanvas, const rtl::TRect &aRect, const QImage &aBitmap, gfx::RasterOp aRop)
{
    if (aRect.IsEmpty() || aBitmap.isNull())
        return;
    QPainter &painter = aCanvas.painter();
    const bool halftone = deviceDepth(painter) <= 8 && aBitmap.depth() > 8;
    if (!isRasterDevice(painter)) {
        drawWithoutRasterOps(painter, aRect, aBitmap, aRop, halftone);
        return;
    }
    const bool wasSmooth = painter.testRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, halftone);
    aCanvas.StretchDraw(aRect, aBitmap, aRop);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, wasSmooth);
}

void ppDrawDIB(gfx::Canvas &aCanvas, const rtl::TRect &aRect, const QImage &aBitmap, gfx::RasterOp aRop)
{
    if (aRect.IsEmpty() || aBitmap.isNull())
        return;
    QPainter &painter = aCanvas.painter();
    if (deviceDepth(painter) == 1) {
        ppDirectDrawDIB(aCanvas, aRect, aBitmap, aRop);
        return;
    }
    const QImage picture = transparentPicture(aBitmap);
    if (!isRasterDevice(painter)) {
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        drawStretched(painter, aRect, picture, false);
        return;
    }

    // The mask (black where the picture is, white elsewhere) ANDs a hole into
    // the device; the picture (black where transparent) ORs itself into it.
    const int width = aRect.Width();
    const int height = aRect.Height();
    const rtl::TRect inner = rtl::Rect(0, 0, width, height);
    QImage maskImage(picture.size(), QImage::Format_RGB32);
    QImage imageOnBlack(picture.size(), QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y) {
        const auto *src = reinterpret_cast<const QRgb *>(picture.constScanLine(y));
        auto *mask = reinterpret_cast<QRgb *>(maskImage.scanLine(y));
        auto *image = reinterpret_cast<QRgb *>(imageOnBlack.scanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            const bool opaque = qAlpha(src[x]) >= 128;
            mask[x] = opaque ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
            image[x] = opaque ? (src[x] | 0xFF000000) : qRgb(0, 0, 0);
        }
    }
    TppDeviceCompatibleCanvas maskCanvas(aCanvas, height, width);
    ppDirectDrawDIB(maskCanvas.Canvas(), inner, maskImage, gfx::RasterOp::SrcCopy);
    TppDeviceCompatibleCanvas imageCanvas(aCanvas, height, width);
    ppDirectDrawDIB(imageCanvas.Canvas(), inner, imageOnBlack, gfx::RasterOp::SrcCopy);
    maskCanvas.RenderToDevice(aRect, gfx::RasterOp::SrcAnd);
    imageCanvas.RenderToDevice(aRect, gfx::RasterOp::SrcPaint);
}

QImage ppLoadBitmapResource(const QString &aName)
{
    if (aName.isEmpty() || aName.contains(u'/'))
        return QImage();
    for (const char *suffix : {".png", ".bmp"}) {
        const QString path = QStringLiteral(":/ppbitmaps/") + aName + QLatin1String(suffix);
        if (QFileInfo(path).isFile())
            return QImage(path);
    }
    return QImage();
}

} // namespace report
