#pragma once

// Pictures drawn on output devices at the device's own resolution. Palettes
// have no part here (every device is true colour); half-tone stretching is a
// smooth transform; raster operations are composition modes where the device
// is an image, and printers and PDF files, which have no raster operations,
// get pictures with a transparent background instead.

#include "platform/gfx/Canvas.h"
#include "platform/gfx/GdiObjects.h"
#include "platform/rtl/Types.h"

#include <QImage>
#include <QString>

#include <memory>

namespace report {

// A bitmap in memory that matches an output device: it has the device's
// resolution, so text and sizes come out as they will on the device. It
// starts white.
class TppDeviceCompatibleCanvas
{
public:
    TppDeviceCompatibleCanvas(gfx::Canvas &aDevice, int aHeight, int aWidth);
    ~TppDeviceCompatibleCanvas();
    TppDeviceCompatibleCanvas(const TppDeviceCompatibleCanvas &) = delete;
    TppDeviceCompatibleCanvas &operator=(const TppDeviceCompatibleCanvas &) = delete;

    gfx::Canvas &Canvas() { return *m_canvas; }
    const QImage &Bitmap() const { return m_image; }

    // Copies the whole bitmap into aRect of the device with aRop.
    void RenderToDevice(const rtl::TRect &aRect, gfx::RasterOp aRop);

private:
    gfx::Canvas &m_device;
    QImage m_image;
    std::unique_ptr<gfx::Canvas> m_canvas;
};

// Draws aBitmap stretched into aRect with aRop, smoothly where the device
// has fewer colours than the picture.
void ppDirectDrawDIB(gfx::Canvas &aCanvas, const rtl::TRect &aRect, const QImage &aBitmap, gfx::RasterOp aRop);

// Draws aBitmap stretched into aRect leaving its transparent pixels out: those
// of its alpha channel, or else those of the colour of its bottom-left pixel.
// Images combine a picture and its mask through two compatible canvases;
// printers and PDF files take the picture with a transparent background;
// monochrome devices get ppDirectDrawDIB with aRop.
void ppDrawDIB(gfx::Canvas &aCanvas, const rtl::TRect &aRect, const QImage &aBitmap, gfx::RasterOp aRop);

// A picture that ships with the library ("PPNOREPORTBITMAP"); a null image
// when there is none of that name.
QImage ppLoadBitmapResource(const QString &aName);

} // namespace report
