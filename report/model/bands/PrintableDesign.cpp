// The printable's side in a designer: its design control, the picture it
// paints into and copies onto the control, and its selection handles.

#include "report/model/bands/Printable.h"

#include "platform/gfx/Canvas.h"

#include <QPainter>

namespace report {

void TppPrintable::SetDesignControl(std::unique_ptr<IppDesignControl> aControl)
{
    m_designPictureValid = false;
    // Its surface may free it before the object: the handles go with it.
    ppAdoptDesignControl(m_designControl, std::move(aControl), [this] { m_selectionObject.reset(); });
}

void TppPrintable::SetSelectionObject(std::unique_ptr<IppSelectionObject> aSelection)
{
    m_selectionObject = std::move(aSelection);
}

void TppPrintable::InvalidateDesignControl()
{
    if (!m_designControl || !InDesignState() || ReportPrinting())
        return;
    m_designPictureValid = false;
    m_designControl->Invalidate();
}

QImage &TppPrintable::GetBitmap()
{
    const QSize size(std::max(spWidth(), 1), std::max(spHeight(), 1));
    if (!m_designBitmap)
        m_designBitmap = std::make_unique<QImage>(size, QImage::Format_RGB32);
    else if (m_designBitmap->size() != size) {
        *m_designBitmap = QImage(size, QImage::Format_RGB32);
        m_designPictureValid = false;
    }
    return *m_designBitmap;
}

void TppPrintable::DesignControlPaint(gfx::Canvas &aCanvas)
{
    if (!BufferedDesignPaint()) {
        PaintDesignControl(aCanvas);
        return;
    }
    if (!m_designPictureValid) {
        // Painting may run the object's handlers, which may free it and its
        // bitmap: the bitmap is the painting's own until it is done.
        QImage bitmap;
        bitmap.swap(GetBitmap());
        bitmap.fill(Qt::white);
        const std::weak_ptr<char> alive = AliveToken();
        {
            gfx::Canvas pictureCanvas(&bitmap);
            PaintDesignControl(pictureCanvas);
        }
        if (alive.expired() || !m_designBitmap)
            return;
        m_designBitmap->swap(bitmap);
        m_designPictureValid = true;
    }
    const QImage &picture = GetBitmap();
    // A transparent object multiplies its picture into what lies beneath:
    // the white it left untouched changes nothing there.
    QPainter &painter = aCanvas.painter();
    painter.save();
    painter.setCompositionMode(Transparent() ? QPainter::CompositionMode_Multiply
                                             : QPainter::CompositionMode_SourceOver);
    painter.drawImage(0, 0, picture);
    painter.restore();
}

void TppPrintable::PaintDesignControl(gfx::Canvas &aCanvas)
{
    const rtl::TRect client = GetSpClientRect();
    const gfx::Brush brush = aCanvas.brush();
    if (!Transparent())
        aCanvas.FillRect(client, gfx::Brush::solid(Color()));
    aCanvas.setFont(Font()->Font());
    aCanvas.setBkMode(gfx::BkMode::Transparent);
    const QString caption = GetCaption();
    aCanvas.SaveDC();
    aCanvas.IntersectClipRect(client);
    aCanvas.TextOut(client.Left, client.Top, QStringView(caption));
    aCanvas.RestoreDC();
    aCanvas.FrameRect(client, gfx::Brush::solid(rtl::clBlack));
    aCanvas.setBrush(brush);
}

} // namespace report
