#include "report/model/text/TextDevice.h"

#include "report/model/printing/Printer.h"

#include "platform/gfx/Canvas.h"

#include <QImage>

#include <algorithm>
#include <cstdint>
#include <memory>

namespace report {

namespace {

// One measuring bitmap for the screen, made again when the screen resolution
// changes: wrapping runs per control and record, far too often to make a
// canvas each time. The library runs on one thread.
struct TextDeviceScreenBitmap
{
    int dpi = 0;
    QImage image;
    std::unique_ptr<gfx::QtTextMeasurer> measurer;
    std::unique_ptr<gfx::Canvas> canvas;
};

gfx::Canvas &textDeviceScreenCanvas()
{
    static TextDeviceScreenBitmap bitmap;
    const int dpi = ppScreenPixelsPerInch();
    if (!bitmap.canvas || bitmap.dpi != dpi) {
        bitmap.canvas.reset();
        bitmap.dpi = dpi;
        bitmap.image = QImage(1, 1, QImage::Format_RGB32);
        bitmap.image.setDotsPerMeterX(qRound(dpi / 0.0254));
        bitmap.image.setDotsPerMeterY(qRound(dpi / 0.0254));
        bitmap.measurer = std::make_unique<gfx::QtTextMeasurer>(dpi);
        bitmap.canvas = std::make_unique<gfx::Canvas>(&bitmap.image, bitmap.measurer.get());
    }
    return *bitmap.canvas;
}

} // namespace

TppTextDevice::TppTextDevice(TppCustomPrinter *aPrinter)
{
    if (aPrinter) {
        if (TppPrinterCanvas *canvas = aPrinter->Canvas()) {
            m_printer = aPrinter;
            m_canvas = &canvas->Canvas();
            m_units = TppUnitType::utPrinterPixels;
        }
    }
    if (!m_canvas)
        m_canvas = &textDeviceScreenCanvas();
}

void TppTextDevice::SetFont(const gfx::Font &aFont)
{
    m_canvas->setFont(aFont);
}

int32_t TppTextDevice::ToMM(int aPixels, TppAxisType aAxis) const
{
    return ppToMMThousandths(float(aPixels), m_units, aAxis, m_printer);
}

int TppTextDevice::ToPixels(int32_t aMM, TppAxisType aAxis) const
{
    return int(ppFromMMThousandths(aMM, m_units, aAxis, m_printer));
}

int32_t TppTextDevice::LineHeightMM(int32_t aLeading) const
{
    const int64_t height = int64_t(ToMM(m_canvas->GetTextMetrics().height, TppAxisType::atVertical)) + aLeading;
    return int32_t(std::clamp<int64_t>(height, INT32_MIN, INT32_MAX));
}

int32_t TppTextDevice::TextWidthMM(QStringView aText, bool aTabbed, const std::vector<int> &aTabStops) const
{
    const int pixels = aTabbed ? m_canvas->TabbedTextWidth(aText, aTabStops) : m_canvas->TextWidth(aText);
    return ToMM(pixels, TppAxisType::atHorizontal);
}

} // namespace report
