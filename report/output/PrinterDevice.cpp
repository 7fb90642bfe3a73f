#include "report/output/PrinterDevice.h"

#include "report/content/barcodes/DrawBarCode.h"
#include "report/content/drawcommands/DrawImage.h"
#include "report/content/drawcommands/DrawRichText.h"
#include "report/content/drawcommands/DrawShapes.h"
#include "report/content/drawcommands/DrawText.h"
#include "report/model/base/Bitmaps.h"
#include "report/model/base/Messages.h"
#include "report/model/base/Units.h"
#include "report/model/base/Utils.h"
#include "report/model/forms/DialogBases.h"
#include "report/model/forms/DialogServices.h"
#include "report/model/pages/DeviceRegistry.h"
#include "report/model/pages/Page.h"
#include "report/model/pages/Publisher.h"
#include "report/model/printing/Printer.h"
#include "report/model/printing/PrinterList.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/model/text/PlainText.h"
#include "report/model/text/TextMarkups.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/Picture.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/ShapedLine.h"
#include "platform/rtl/Rounding.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>

namespace report {

namespace {

int32_t printerDeviceClampMM(int64_t aValue)
{
    return int32_t(
        std::clamp<int64_t>(aValue, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

QStringList printerDeviceTexts(const classes::TStrings &aList)
{
    QStringList texts;
    for (int i = 0; i < aList.Count(); ++i)
        texts << aList.Strings(i);
    return texts;
}

// The picture of an image command as the printer draws it, or a null image.
QImage printerDeviceGraphicImage(const classes::TPicture &aPicture)
{
    if (const classes::TBitmap *bitmap = aPicture.Bitmap())
        return bitmap->Image();
    if (const auto *graphic = dynamic_cast<const classes::TGraphic *>(aPicture.Graphic()))
        return graphic->Image();
    return QImage();
}

bool printerDeviceIsMonochrome(const QImage &aImage)
{
    return aImage.depth() == 1;
}

rtl::TRect printerDeviceIntersect(const rtl::TRect &a, const rtl::TRect &b)
{
    return rtl::TRect{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
                      std::min(a.Bottom, b.Bottom)};
}

constexpr int PrinterDeviceFarthestScreenPixels = 4'000'000;

// Pictures beyond this many pixels are cut to what shows before they are
// drawn: the paint engines convert a whole picture to 32 bits before they
// scale it, 1.6 GB for a monochrome 20000 x 20000.
constexpr int64_t PrinterDeviceLargePicture = int64_t(4096) * 4096;

// The part of a large picture that shows through aVisible when it is drawn
// into aTarget, brought down to no more pixels than it covers; aTarget
// becomes where that part goes (to the pixel: a picture this large is
// sampled anyway). A null image when nothing shows. Other pictures stay as
// they are.
QImage printerDeviceVisiblePicture(const QImage &aImage, rtl::TRect &aTarget, const rtl::TRect &aVisible)
{
    if (int64_t(aImage.width()) * aImage.height() <= PrinterDeviceLargePicture)
        return aImage;
    const rtl::TRect shown = printerDeviceIntersect(aTarget, aVisible);
    const int64_t targetWidth = int64_t(aTarget.Right) - aTarget.Left;
    const int64_t targetHeight = int64_t(aTarget.Bottom) - aTarget.Top;
    if (shown.Right <= shown.Left || shown.Bottom <= shown.Top || targetWidth <= 0 || targetHeight <= 0)
        return QImage();
    const double sx = double(aImage.width()) / double(targetWidth);
    const double sy = double(aImage.height()) / double(targetHeight);
    const int x0 = std::clamp(int(std::floor((shown.Left - aTarget.Left) * sx)), 0, aImage.width() - 1);
    const int y0 = std::clamp(int(std::floor((shown.Top - aTarget.Top) * sy)), 0, aImage.height() - 1);
    const int x1 = std::clamp(int(std::ceil((shown.Right - aTarget.Left) * sx)), x0 + 1, aImage.width());
    const int y1 = std::clamp(int(std::ceil((shown.Bottom - aTarget.Top) * sy)), y0 + 1, aImage.height());
    const rtl::TRect part{aTarget.Left + int(std::lround(x0 / sx)), aTarget.Top + int(std::lround(y0 / sy)),
                          aTarget.Left + int(std::lround(x1 / sx)), aTarget.Top + int(std::lround(y1 / sy))};
    QImage cut = aImage.copy(x0, y0, x1 - x0, y1 - y0);
    const int w = std::max(1, part.Right - part.Left);
    const int h = std::max(1, part.Bottom - part.Top);
    if (int64_t(cut.width()) * cut.height() > int64_t(w) * h)
        cut = cut.scaled(w, h, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    aTarget = part;
    return cut;
}

// Whether an upright text drawn at (x, y) keeps inside aRect, which then
// clips nothing: a clip costs a PDF page a graphics state and a path, for
// every text of a dense page twice the bytes. Italic glyphs may reach past
// their advance, so they keep the clip.
//
// aWidth is the text's width when aExact, else a bound of it or -1: a text
// that plainly fits is not shaped a second time only to learn that.
bool printerDeviceTextInside(const gfx::Canvas &aCanvas, int x, int y, const QString &aText, int aHeight,
                             const rtl::TRect &aRect, int aWidth, bool aExact)
{
    if (aCanvas.font().italic() || aCanvas.font().orientation % 3600 != 0)
        return false;
    if (x < aRect.Left || y < aRect.Top || y + aHeight > aRect.Bottom)
        return false;
    if (aWidth >= 0 && int64_t(x) + aWidth <= aRect.Right)
        return true;
    if (aExact)
        return false;
    return int64_t(x) + aCanvas.TextWidth(aText) <= aRect.Right;
}

// Bounds of the shapes a job keeps: enough for a few thousand recurring
// values, a few megabytes at most.
constexpr qsizetype PrinterDeviceShapedLines = 4096;
constexpr size_t PrinterDeviceSeenLines = 65536;
constexpr size_t PrinterDeviceShapedFonts = 8;

// Strips of 64 pixels down a page of up to 32768; anything beyond the last
// (or above the first) is filed with it.
constexpr int PrinterDeviceInkStrips = 512;

int printerDeviceInkStrip(int y)
{
    return std::clamp(y >> 6, 0, PrinterDeviceInkStrips - 1);
}

bool printerDeviceOverlap(const rtl::TRect &a, const rtl::TRect &b)
{
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

} // namespace

const classes::TMetaClass &TppPrinterDevice::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<TppPrinterDevice, TppRasterDevice>("TppPrinterDevice");
    return meta;
}

TppPrinterDevice::TppPrinterDevice(classes::TComponent *aOwner)
    : TppRasterDevice(aOwner)
    , m_printer(std::make_unique<TppPrinter>())
{}

TppPrinterDevice::~TppPrinterDevice()
{
    m_canvas = nullptr;
}

bool TppPrinterDevice::PrinterUsable() const
{
    const TppPrinterInfo *info = m_printer->PrinterInfo();
    return info && info->IsValid() && !info->IsScreen();
}

// ---- Job ---------------------------------------------------------------------

void TppPrinterDevice::StartJob()
{
    if (Busy())
        return;
    TppRasterDevice::StartJob();
    // A job cancelled between collated copies left some uncounted.
    m_copiesRemaining = 1;
    updateStatus(nullptr);
    if (m_beginDocOnStartJob)
        m_printer->BeginDoc();
    m_canvas = m_printer->Canvas();
    m_firstPage = true;
    forgetShapes();
}

void TppPrinterDevice::ReceivePage(TppPage *aPage)
{
    const std::weak_ptr<char> alive = LifeToken();
    TppRasterDevice::ReceivePage(aPage);
    if (alive.expired() || !aPage || !Busy() || !PageInRequest())
        return;
    updateStatus(aPage);
    if (alive.expired() || SkipPage() || !Busy())
        return;
    const TppPrinterSetup *setup = m_printer->PrinterSetup();
    int copies = 1;
    if (!setup->Collation() && !setup->CopiesByDriver() && aPage->PrinterSetup())
        copies = std::max(1, aPage->PrinterSetup()->Copies());
    // The handlers of a page may cancel the job, free the device, or free
    // the report and the page with it.
    const std::weak_ptr<char> pageAlive = aPage->AliveToken();
    for (int copy = 0; copy < copies; ++copy) {
        if (alive.expired() || pageAlive.expired() || !Busy())
            return;
        StartPrinterPage(aPage);
        if (alive.expired() || pageAlive.expired())
            return;
        DrawPage(aPage);
        EndPrinterPage(aPage);
    }
}

void TppPrinterDevice::EndJob()
{
    // The end of a collated copy's pages, passed on by the publisher while
    // CopiesComplete asks for them: the loop below goes on with the next.
    if (!Busy() || m_requestingCopy)
        return;
    const std::weak_ptr<char> alive = LifeToken();
    // Copy after copy in a loop rather than through the publisher's nested
    // ends, which would grow the stack with every copy.
    while (!CopiesComplete())
        if (alive.expired() || !Busy())
            return;
    std::exception_ptr failure;
    if (m_endDocOnEndJob) {
        try {
            m_printer->EndDoc();
        } catch (...) {
            failure = std::current_exception();
        }
    }
    m_canvas = nullptr;
    forgetShapes();
    TppRasterDevice::EndJob();
    if (failure)
        std::rethrow_exception(failure);
}

bool TppPrinterDevice::CopiesComplete()
{
    if (m_copiesRemaining <= 1)
        return true;
    --m_copiesRemaining;
    const std::weak_ptr<char> alive = LifeToken();
    m_requestingCopy = true;
    try {
        RequestPages();
    } catch (...) {
        if (!alive.expired())
            m_requestingCopy = false;
        throw;
    }
    if (!alive.expired())
        m_requestingCopy = false;
    return false;
}

void TppPrinterDevice::CancelJob()
{
    // The pages printed so far still reach the printer; a printer that
    // refuses them says so through EPrintError once the device has ended.
    std::exception_ptr failure;
    try {
        m_printer->EndDoc();
    } catch (...) {
        failure = std::current_exception();
    }
    m_canvas = nullptr;
    m_copiesRemaining = 1;
    forgetShapes();
    TppRasterDevice::CancelJob();
    if (failure)
        std::rethrow_exception(failure);
}

void TppPrinterDevice::StartPrinterPage(TppPage *aPage)
{
    if (m_firstPage) {
        const TppPrinterSetup *setup = m_printer->PrinterSetup();
        if (setup->Collation())
            m_copiesRemaining = std::max(1, setup->Copies());
        m_firstPage = false;
    }
    m_printer->SetPrinterSetup(aPage->PrinterSetup());
    m_printer->StartPage();
    for (std::vector<rtl::TRect> &strip : m_inked)
        strip.clear();
    const rtl::TRect margins = m_printer->GetPrinterMargins();
    m_printableOffsetX = -margins.Left;
    m_printableOffsetY = -margins.Top;
    if (OnStartPage)
        OnStartPage(this, aPage);
}

void TppPrinterDevice::EndPrinterPage(TppPage *aPage)
{
    m_printer->EndPage();
    if (OnEndPage)
        OnEndPage(this, aPage);
}

void TppPrinterDevice::updateStatus(const TppPage *aPage)
{
    auto *dialog = dynamic_cast<TppCustomCancelDialog *>(CancelDialog());
    const bool countKnown = !Publisher() || Publisher()->LastPageKnown();
    QString text;
    if (!aPage)
        text = ppLoadStr(2);
    else if (SkipPage() && !countKnown)
        text = dialog ? dialog->StatusText() : Status();
    else if (countKnown)
        text = ppLoadStrFormat(28, {QString::number(aPage->PageNo()), QString::number(aPage->PageCount()),
                                    aPage->DocumentName(), m_printer->PrinterSetup()->PrinterDescription()});
    else
        text = ppLoadStrFormat(27, {QString::number(aPage->PageNo()), aPage->DocumentName(),
                                    m_printer->PrinterSetup()->PrinterDescription()});
    if (text == Status())
        return;
    SetStatus(text);
    if (dialog) {
        dialog->SetStatusText(text);
        ppProcessMessages();
    }
}

// ---- Placing -----------------------------------------------------------------

bool TppPrinterDevice::Draw(TppDrawCommand *aDrawCommand)
{
    if (!aDrawCommand)
        return false;
    CalcDrawRect(aDrawCommand);
    if (auto *text = dynamic_cast<TppDrawText *>(aDrawCommand)) {
        DrawText(text);
        return true;
    }
    // Pens and borders may reach a little past the rectangle.
    const int reach = std::max(1, m_printer->GetPixelsPerInch(TppAxisType::atHorizontal) / 24);
    const rtl::TRect drawn = aDrawCommand->DrawRect();
    noteInk(rtl::TRect{drawn.Left - reach, drawn.Top - reach, drawn.Right + reach, drawn.Bottom + reach});
    if (auto *shape = dynamic_cast<TppDrawShape *>(aDrawCommand)) {
        DrawShape(shape);
        return true;
    }
    if (auto *line = dynamic_cast<TppDrawLine *>(aDrawCommand)) {
        DrawLine(line);
        return true;
    }
    if (auto *image = dynamic_cast<TppDrawImage *>(aDrawCommand)) {
        DrawImage(image);
        return true;
    }
    if (auto *richText = dynamic_cast<TppDrawRichText *>(aDrawCommand)) {
        if (!m_canvas)
            return false;
        return richText->DrawToPrinter(m_canvas->Canvas(), richText->DrawRect(),
                                       {m_printer->GetPixelsPerInch(TppAxisType::atHorizontal),
                                        m_printer->GetPixelsPerInch(TppAxisType::atVertical)});
    }
    if (auto *barCode = dynamic_cast<TppDrawBarCode *>(aDrawCommand)) {
        if (!m_canvas)
            return false;
        return barCode->DrawToPrinter(m_canvas->Canvas(), barCode->DrawRect(),
                                      {m_printer->GetPixelsPerInch(TppAxisType::atHorizontal),
                                       m_printer->GetPixelsPerInch(TppAxisType::atVertical)});
    }
    return false;
}

void TppPrinterDevice::CalcDrawRect(TppDrawCommand *aDrawCommand)
{
    const auto toPixels = [this](int64_t aMM, TppAxisType aAxis) {
        return rtl::Trunc(
            ppFromMMThousandths(printerDeviceClampMM(aMM), TppUnitType::utPrinterPixels, aAxis, m_printer.get()));
    };
    const int64_t left = aDrawCommand->Left();
    const int64_t top = aDrawCommand->Top();
    aDrawCommand->SetDrawLeft(toPixels(left, TppAxisType::atHorizontal) + m_printableOffsetX);
    aDrawCommand->SetDrawTop(toPixels(top, TppAxisType::atVertical) + m_printableOffsetY);
    aDrawCommand->SetDrawRight(toPixels(left + aDrawCommand->Width(), TppAxisType::atHorizontal) + m_printableOffsetX);
    aDrawCommand->SetDrawBottom(toPixels(top + aDrawCommand->Height(), TppAxisType::atVertical) + m_printableOffsetY);
}

rtl::TRect TppPrinterDevice::sheetRect() const
{
    const DeviceCaps &caps = m_printer->Caps();
    if (caps.physicalWidth <= 0 || caps.physicalHeight <= 0)
        return rtl::TRect{std::numeric_limits<int>::min() / 2, std::numeric_limits<int>::min() / 2,
                          std::numeric_limits<int>::max() / 2, std::numeric_limits<int>::max() / 2};
    return rtl::TRect{m_printableOffsetX, m_printableOffsetY, m_printableOffsetX + caps.physicalWidth,
                      m_printableOffsetY + caps.physicalHeight};
}

int TppPrinterDevice::screenToPrinter(int aPixels, TppAxisType aAxis) const
{
    // Beyond a kilometre of screen pixels no sheet shows a difference, and
    // the conversion through thousandths of a millimetre would leave the
    // integer range: a pen or a picture header claiming millions of pixels
    // stopped the whole print with a range error.
    const int pixels = std::clamp(aPixels, -PrinterDeviceFarthestScreenPixels, PrinterDeviceFarthestScreenPixels);
    return rtl::Trunc(ppFromScreenPixels(pixels, TppUnitType::utPrinterPixels, aAxis, m_printer.get()));
}

// ---- Lines and shapes --------------------------------------------------------

void TppPrinterDevice::DrawLine(TppDrawLine *aDrawLine)
{
    if (!m_canvas || !aDrawLine)
        return;
    gfx::Canvas &canvas = m_canvas->Canvas();
    const TppLinePositionType position = aDrawLine->LinePosition();
    const bool vertical = position == TppLinePositionType::lpLeft || position == TppLinePositionType::lpRight;
    const TppAxisType axis = vertical ? TppAxisType::atHorizontal : TppAxisType::atVertical;
    // Strokes grow inward from the edge; once one has left the sheet the
    // rest would too, so a weight far beyond the sheet costs no more than it.
    const DeviceCaps &caps = m_printer->Caps();
    const int sheet = vertical ? caps.physicalWidth : caps.physicalHeight;
    const int limit = sheet > 0 ? sheet : std::numeric_limits<int>::max();
    // A weight of no number draws as the thinnest line; one far beyond the
    // sheet is brought to it before rounding, which would raise for it.
    double exact = double(m_printer->GetPixelsPerInch(axis)) * aDrawLine->Weight() / 72.0;
    if (std::isnan(exact))
        exact = 0;
    const double farthest = std::min(double(limit) * 2 + 2, double(std::numeric_limits<int>::max() / 2));
    int thickness = rtl::Round(std::clamp(exact, -farthest, farthest));
    if (thickness == 0)
        thickness = 1;
    const int bands = aDrawLine->LineStyle() == TppLineStyleType::lsDouble ? 2 : 1;
    canvas.setPen(aDrawLine->Pen()->Pen());
    canvas.pen().width = 1;

    const rtl::TRect r = aDrawLine->DrawRect();
    for (int band = 0; band < bands; ++band) {
        int gap = 0;
        if (band > 0)
            gap = aDrawLine->Pen()->Width() != 0 ? 2 * thickness : screenToPrinter(2, axis);
        for (int i = 0; i < thickness; ++i) {
            const int64_t step = int64_t(gap) + i;
            if (step > int64_t(limit) * 2)
                break;
            const int offset = int(step);
            switch (position) {
            case TppLinePositionType::lpTop:
                canvas.MoveTo(r.Left, r.Top + offset);
                canvas.LineTo(r.Right, r.Top + offset);
                break;
            case TppLinePositionType::lpBottom:
                canvas.MoveTo(r.Left, r.Bottom - offset);
                canvas.LineTo(r.Right, r.Bottom - offset);
                break;
            case TppLinePositionType::lpLeft:
                canvas.MoveTo(r.Left + offset, r.Top);
                canvas.LineTo(r.Left + offset, r.Bottom);
                break;
            case TppLinePositionType::lpRight:
                canvas.MoveTo(r.Right - offset, r.Top);
                canvas.LineTo(r.Right - offset, r.Bottom);
                break;
            }
        }
    }
}

void TppPrinterDevice::DrawShape(TppDrawShape *aDrawShape)
{
    if (!m_canvas || !aDrawShape)
        return;
    gfx::Canvas &canvas = m_canvas->Canvas();
    canvas.setPen(aDrawShape->Pen()->Pen());
    canvas.setBrush(aDrawShape->Brush()->Brush());
    const int penWidth = aDrawShape->Pen()->Width();
    canvas.pen().width = penWidth == 0 ? 1 : std::max(0, screenToPrinter(penWidth, TppAxisType::atHorizontal));
    const rtl::TRect r = aDrawShape->DrawRect();
    switch (aDrawShape->ShapeType()) {
    case classes::TShapeType::stRectangle:
        if (aDrawShape->Brush()->Style() == gfx::BrushStyle::Clear)
            canvas.Polyline(
                {{r.Left, r.Top}, {r.Right, r.Top}, {r.Right, r.Bottom}, {r.Left, r.Bottom}, {r.Left, r.Top}});
        else
            canvas.Rectangle(r);
        break;
    case classes::TShapeType::stRoundRect: {
        const int cornerWidth = rtl::Trunc(ppFromMMThousandths(aDrawShape->XCornerRound(), TppUnitType::utPrinterPixels,
                                                               TppAxisType::atHorizontal, m_printer.get()));
        const int cornerHeight = rtl::Trunc(ppFromMMThousandths(
            aDrawShape->YCornerRound(), TppUnitType::utPrinterPixels, TppAxisType::atVertical, m_printer.get()));
        canvas.RoundRect(r, cornerWidth, cornerHeight);
        break;
    }
    case classes::TShapeType::stEllipse: canvas.Ellipse(r); break;
    default: break;
    }
}

// ---- Pictures ----------------------------------------------------------------

void TppPrinterDevice::DrawImage(TppDrawImage *aDrawImage)
{
    if (!m_canvas || !aDrawImage || !aDrawImage->Picture())
        return;
    const classes::TPicture &picture = *aDrawImage->Picture();
    if (!picture.Graphic() || picture.Empty())
        return;
    if (picture.Bitmap()) {
        const classes::TBitmap *bitmap = aDrawImage->GetBitmap();
        if (aDrawImage->DirectDraw() && bitmap && printerDeviceIsMonochrome(bitmap->Image()))
            DirectDrawImage(aDrawImage);
        else
            DrawBitmap(aDrawImage);
    } else if (aDrawImage->DirectDraw()) {
        DirectDrawImage(aDrawImage);
    } else if (aDrawImage->GetBitmap()) {
        DrawBitmap(aDrawImage);
    } else {
        DrawGraphic(aDrawImage);
    }
}

rtl::TRect TppPrinterDevice::pictureTarget(TppDrawImage *aDrawImage, int aWidth, int aHeight, bool &aClip) const
{
    const int pw = screenToPrinter(aWidth, TppAxisType::atHorizontal);
    const int ph = screenToPrinter(aHeight, TppAxisType::atVertical);
    rtl::TRect r = aDrawImage->DrawRect();
    const int W = r.Right - r.Left;
    const int H = r.Bottom - r.Top;
    aClip = false;
    if (aDrawImage->Stretch() && aDrawImage->MaintainAspectRatio()) {
        const float f = ppGetScaleToFit(pw, ph, W, H);
        const int w = rtl::Trunc(double(pw) * f);
        const int h = rtl::Trunc(double(ph) * f);
        if (aDrawImage->Center()) {
            r.Left += (W - w) / 2;
            r.Top += (H - h) / 2;
        }
        r.Right = r.Left + w;
        r.Bottom = r.Top + h;
    } else if (!aDrawImage->Stretch()) {
        aClip = true;
        if (aDrawImage->Center()) {
            r.Left += (W - pw) / 2;
            r.Top += (H - ph) / 2;
        }
        r.Right = r.Left + pw;
        r.Bottom = r.Top + ph;
    }
    return r;
}

void TppPrinterDevice::withPictureClip(TppDrawImage *aDrawImage, bool aClip, const std::function<void()> &aDraw)
{
    gfx::Canvas &canvas = m_canvas->Canvas();
    if (!aClip) {
        aDraw();
        return;
    }
    canvas.SelectClipRect(aDrawImage->DrawRect());
    try {
        aDraw();
    } catch (...) {
        canvas.SelectClipRgn(std::nullopt);
        throw;
    }
    canvas.SelectClipRgn(std::nullopt);
}

void TppPrinterDevice::DirectDrawImage(TppDrawImage *aDrawImage)
{
    if (!m_canvas || !aDrawImage || !aDrawImage->Picture())
        return;
    // A metafile is played at the printer's resolution: its vectors and
    // text reach the printer or the PDF file as such.
    if (const auto *metafile = dynamic_cast<const classes::TMetafile *>(aDrawImage->Picture()->Graphic())) {
        bool metafileClip = false;
        const rtl::TRect target = pictureTarget(aDrawImage, metafile->Width(), metafile->Height(), metafileClip);
        QPainter &painter = m_canvas->Canvas().painter();
        painter.save();
        if (metafileClip)
            painter.setClipRect(gfx::ToQRect(aDrawImage->DrawRect()), Qt::IntersectClip);
        metafile->Draw(painter, QRectF(gfx::ToQRect(target)));
        painter.restore();
        return;
    }
    QImage image = printerDeviceGraphicImage(*aDrawImage->Picture());
    if (image.isNull())
        return;
    bool clip = false;
    rtl::TRect target = pictureTarget(aDrawImage, image.width(), image.height(), clip);
    image = printerDeviceVisiblePicture(
        image, target, clip ? printerDeviceIntersect(aDrawImage->DrawRect(), sheetRect()) : sheetRect());
    if (image.isNull())
        return;
    // Printers and PDF files have no raster operations: an AND leaves the
    // white of the picture out, as it would on a white sheet.
    const gfx::RasterOp rop = aDrawImage->Transparent() ? gfx::RasterOp::SrcAnd : gfx::RasterOp::SrcCopy;
    gfx::Canvas &canvas = m_canvas->Canvas();
    withPictureClip(aDrawImage, clip, [&] { ppDirectDrawDIB(canvas, target, image, rop); });
}

void TppPrinterDevice::DrawBitmap(TppDrawImage *aDrawImage)
{
    if (!m_canvas || !aDrawImage)
        return;
    const classes::TBitmap *bitmap = aDrawImage->GetBitmap();
    if (!bitmap || bitmap->Empty())
        return;
    bool clip = false;
    rtl::TRect target = pictureTarget(aDrawImage, bitmap->Width(), bitmap->Height(), clip);
    const QImage image = printerDeviceVisiblePicture(
        bitmap->Image(), target, clip ? printerDeviceIntersect(aDrawImage->DrawRect(), sheetRect()) : sheetRect());
    if (image.isNull())
        return;
    gfx::Canvas &canvas = m_canvas->Canvas();
    withPictureClip(aDrawImage, clip, [&] {
        if (aDrawImage->Transparent())
            ppDrawDIB(canvas, target, image, gfx::RasterOp::SrcCopy);
        else
            ppDirectDrawDIB(canvas, target, image, gfx::RasterOp::SrcCopy);
    });
}

void TppPrinterDevice::DrawGraphic(TppDrawImage *aDrawImage)
{
    if (!m_canvas || !aDrawImage || !aDrawImage->Picture())
        return;
    const classes::TPicture &picture = *aDrawImage->Picture();
    const QImage image = printerDeviceGraphicImage(picture);
    const rtl::TRect r = aDrawImage->DrawRect();
    const int W = r.Right - r.Left;
    const int H = r.Bottom - r.Top;
    if (image.isNull() || W <= 0 || H <= 0)
        return;
    const auto *metafile = dynamic_cast<const classes::TMetafile *>(picture.Graphic());
    const int pw = screenToPrinter(metafile ? metafile->Width() : image.width(), TppAxisType::atHorizontal);
    const int ph = screenToPrinter(metafile ? metafile->Height() : image.height(), TppAxisType::atVertical);
    rtl::TRect inner = rtl::Rect(0, 0, pw, ph);
    if (aDrawImage->Stretch() && aDrawImage->MaintainAspectRatio()) {
        const float f = ppGetScaleToFit(pw, ph, W, H);
        const int w = rtl::Trunc(double(pw) * f);
        const int h = rtl::Trunc(double(ph) * f);
        inner = rtl::Rect(0, 0, w, h);
        if (aDrawImage->Center())
            inner = rtl::Rect((W - w) / 2, (H - h) / 2, (W - w) / 2 + w, (H - h) / 2 + h);
    } else if (aDrawImage->Stretch()) {
        inner = rtl::Rect(0, 0, W, H);
    } else if (aDrawImage->Center()) {
        inner = rtl::Rect((W - pw) / 2, (H - ph) / 2, (W - pw) / 2 + pw, (H - ph) / 2 + ph);
    }
    // Only the part of the rectangle on the sheet gets an off-screen bitmap:
    // a rectangle of kilometres would not fit in memory.
    const rtl::TRect shown = printerDeviceIntersect(r, sheetRect());
    if (shown.Right <= shown.Left || shown.Bottom <= shown.Top)
        return;
    inner = rtl::Rect(inner.Left + r.Left - shown.Left, inner.Top + r.Top - shown.Top,
                      inner.Right + r.Left - shown.Left, inner.Bottom + r.Top - shown.Top);
    gfx::Canvas &canvas = m_canvas->Canvas();
    TppDeviceCompatibleCanvas offscreen(canvas, shown.Bottom - shown.Top, shown.Right - shown.Left);
    if (offscreen.Bitmap().isNull())
        return;
    if (picture.Bitmap())
        ppDirectDrawDIB(offscreen.Canvas(), inner, image, gfx::RasterOp::SrcCopy);
    else if (metafile)
        metafile->Draw(offscreen.Canvas().painter(), QRectF(gfx::ToQRect(inner)));
    else
        offscreen.Canvas().StretchDraw(inner, image);
    offscreen.RenderToDevice(shown, aDrawImage->Transparent() ? gfx::RasterOp::SrcAnd : gfx::RasterOp::SrcCopy);
}

// ---- Text --------------------------------------------------------------------

int TppPrinterDevice::plainWidthBound(const QString &aText)
{
    // Only texts the font plainly holds: a character from a fallback font
    // may be wider than any of this one.
    for (const QChar c : aText)
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            return -1;
    ShapedFont &font = shapedFont();
    if (font.widestAdvance == 0) {
        // The widest of these characters rather than of the whole font,
        // whose dashes and ligatures would make many a fitting text one to
        // measure. Without kerning, shaping them adds nothing to their
        // advances.
        QPaintDevice *device = m_canvas->Canvas().device();
        const QFontMetrics metrics(gfx::ToQFont(font.font, device ? device->logicalDpiY() : 96), device);
        int widest = 0;
        for (char16_t c = 0x20; c <= 0x7e; ++c)
            widest = std::max(widest, metrics.horizontalAdvance(QChar(c)));
        font.widestAdvance = widest > 0 ? widest : -1;
    }
    if (font.widestAdvance <= 0)
        return -1;
    return int(std::min<int64_t>(int64_t(font.widestAdvance) * aText.size(), std::numeric_limits<int>::max()));
}

void TppPrinterDevice::forgetShapes()
{
    m_shapedFonts.clear();
    m_shapedCount = 0;
    m_seenLines.clear();
}

TppPrinterDevice::ShapedFont &TppPrinterDevice::shapedFont()
{
    gfx::Canvas &canvas = m_canvas->Canvas();
    // The colour is drawn, not shaped.
    gfx::Font font = canvas.font();
    font.color = rtl::clBlack;
    const int dpi = canvas.device() ? canvas.device()->logicalDpiY() : 0;
    const auto known = std::find_if(m_shapedFonts.begin(), m_shapedFonts.end(),
                                    [&](const ShapedFont &aFont) { return aFont.dpi == dpi && aFont.font == font; });
    if (known != m_shapedFonts.end())
        return *known;
    if (m_shapedFonts.size() >= PrinterDeviceShapedFonts)
        forgetShapes();
    m_shapedFonts.push_back(ShapedFont{font, dpi, {}, 0});
    return m_shapedFonts.back();
}

std::shared_ptr<const gfx::ShapedLine> TppPrinterDevice::shapedLine(const QString &aLine, bool aMeasure)
{
    if (!m_canvas || aLine.isEmpty())
        return nullptr;
    gfx::Canvas &canvas = m_canvas->Canvas();
    ShapedFont &font = shapedFont();
    const auto kept = font.lines.constFind(aLine);
    if (kept != font.lines.constEnd())
        return kept.value();
    const size_t fontIndex = size_t(&font - m_shapedFonts.data());
    if (m_seenLines.empty())
        m_seenLines.assign(PrinterDeviceSeenLines, 0);
    const size_t hash = size_t(qHash(aLine, fontIndex));
    size_t &slot = m_seenLines[(hash >> 1) % PrinterDeviceSeenLines];
    // Never 0, the empty slot.
    const bool again = slot == (hash | 1);
    slot = hash | 1;
    if (!again && !aMeasure)
        return nullptr;
    std::shared_ptr<const gfx::ShapedLine> shaped = canvas.ShapeLine(aLine);
    if (shaped && again) {
        if (m_shapedCount >= PrinterDeviceShapedLines) {
            for (ShapedFont &each : m_shapedFonts)
                each.lines.clear();
            m_shapedCount = 0;
        }
        font.lines.insert(aLine, shaped);
        ++m_shapedCount;
    }
    return shaped;
}

void TppPrinterDevice::noteInk(const rtl::TRect &aRect)
{
    // An empty rectangle overlaps nothing.
    if (aRect.Bottom <= aRect.Top || aRect.Right <= aRect.Left)
        return;
    if (m_inked.empty())
        m_inked.resize(PrinterDeviceInkStrips);
    const int last = printerDeviceInkStrip(aRect.Bottom - 1);
    for (int strip = printerDeviceInkStrip(aRect.Top); strip <= last; ++strip)
        m_inked[size_t(strip)].push_back(aRect);
}

bool TppPrinterDevice::inkedUnder(const rtl::TRect &aRect) const
{
    if (m_inked.empty() || aRect.Bottom <= aRect.Top)
        return false;
    const int last = printerDeviceInkStrip(aRect.Bottom - 1);
    for (int strip = printerDeviceInkStrip(aRect.Top); strip <= last; ++strip)
        for (const rtl::TRect &inked : m_inked[size_t(strip)])
            if (printerDeviceOverlap(aRect, inked))
                return true;
    return false;
}

void TppPrinterDevice::DrawText(TppDrawText *aDrawText)
{
    if (!m_canvas || !aDrawText)
        return;
    gfx::Canvas &canvas = m_canvas->Canvas();

    std::vector<int> tabStops;
    int tabCount = 0;
    if (aDrawText->IsMemo() && aDrawText->TabStopPositions()->Count() > 0)
        TppPlainText::GetTabStopArray(TppUnitType::utPrinterPixels, printerDeviceTexts(*aDrawText->TabStopPositions()),
                                      tabStops, tabCount, m_printer.get());
    tabStops.resize(size_t(tabCount));

    const gfx::Font &wanted = aDrawText->Font()->Font();
    const gfx::Font &current = canvas.font();
    if (!(current.name.text() == wanted.name.text() && current.size == aDrawText->Font()->Size() &&
          current.style == wanted.style && current.color == wanted.color))
        canvas.setFont(wanted);

    const gfx::TextMetrics metrics = canvas.GetTextMetrics();
    const int leading = aDrawText->IsMemo()
                            ? rtl::Trunc(ppFromMMThousandths(aDrawText->Leading(), TppUnitType::utPrinterPixels,
                                                             TppAxisType::atVertical, m_printer.get()))
                            : metrics.externalLeading;
    const int lineHeight = metrics.height + leading;

    rtl::TRect rect = aDrawText->DrawRect();
    if (aDrawText->AutoSize() && !aDrawText->WordWrap() && !aDrawText->Text().isEmpty() &&
        rect.Bottom - rect.Top < lineHeight)
        rect.Bottom = rect.Top + lineHeight;

    QStringList lines;
    if (aDrawText->WordWrap())
        lines = printerDeviceTexts(*aDrawText->WrappedText());
    else if (!aDrawText->Text().isEmpty())
        lines << aDrawText->Text();

    // A line that is not spread over its width is shaped once, for its width
    // and for drawing it.
    const bool shapeable = !aDrawText->IsMemo() && aDrawText->TextAlignment() != TppTextAlignment::taFullJustified;
    std::vector<std::shared_ptr<const gfx::ShapedLine>> shaped(size_t(lines.size()));

    if (aDrawText->AutoSize()) {
        int widest = 0;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (shapeable && tabCount == 0)
                shaped[size_t(i)] = shapedLine(lines[i], true);
            widest = std::max(widest, shaped[size_t(i)]
                                          ? shaped[size_t(i)]->width()
                                          : TppPlainText::GetTabbedTextWidth(canvas, lines[i], tabCount, tabStops));
        }
        const int width = rect.Right - rect.Left;
        if (widest != width) {
            switch (aDrawText->Alignment()) {
            case classes::TAlignment::taLeftJustify: rect.Right = rect.Left + widest; break;
            case classes::TAlignment::taRightJustify: rect.Left = rect.Right - widest; break;
            case classes::TAlignment::taCenter:
                rect.Left = rect.Left + rtl::Round((width - widest) / 2.0);
                rect.Right = rect.Left + widest;
                break;
            }
        }
    }

    // The page is white: a white background on a part of it nothing was
    // drawn on yet would only add a filled path to every text of the page.
    if (!aDrawText->Transparent() && (aDrawText->Color() != rtl::clWhite || inkedUnder(rect)))
        canvas.FillRect(rect, gfx::Brush::solid(aDrawText->Color()));
    canvas.brush().style = gfx::BrushStyle::Clear;
    canvas.setBkMode(gfx::BkMode::Transparent);

    const QString markup = TppTextMarkups::NewLineMarkup();
    const int width = rect.Right - rect.Left;
    bool justified = false;
    int drawn = 0;
    for (qsizetype index = 0; index < lines.size(); ++index) {
        QString line = lines[index];
        std::shared_ptr<const gfx::ShapedLine> &shape = shaped[size_t(index)];
        const rtl::TRect lineRect{rect.Left, rect.Top + drawn * lineHeight, rect.Right, rect.Bottom};
        const int y = lineRect.Top;
        int x = rect.Left;
        // The width measured for the alignment, else a bound of it.
        int known = -1;
        switch (aDrawText->TextAlignment()) {
        case TppTextAlignment::taLeftJustified:
            if (!aDrawText->IsMemo()) {
                known = plainWidthBound(line);
                // Shaped for its width only where the bound leaves it open.
                if (!shape)
                    shape = shapedLine(line, known < 0 || int64_t(x) + known > lineRect.Right);
                if (shape)
                    known = shape->width();
            }
            break;
        case TppTextAlignment::taRightJustified:
            if (!shape && shapeable)
                shape = shapedLine(line, true);
            known = shape ? shape->width() : TppPlainText::GetTabbedTextWidth(canvas, line, tabCount, tabStops);
            x = rect.Right - known;
            break;
        case TppTextAlignment::taCentered:
            if (!shape && shapeable)
                shape = shapedLine(line, true);
            known = shape ? shape->width() : TppPlainText::GetTabbedTextWidth(canvas, line, tabCount, tabStops);
            x = rect.Left + rtl::Round((width - known) / 2.0 - 0.5);
            break;
        case TppTextAlignment::taFullJustified: {
            const bool paragraphEnd = line.contains(markup);
            const bool oneWord = !line.trimmed().contains(TppTextMarkups::Space());
            if (paragraphEnd && (!aDrawText->ForceJustifyLastLine() || oneWord)) {
                canvas.SetTextJustification(0, 0);
                justified = false;
                line = TppPlainText::RemoveAll(line, markup);
            } else {
                // Measured without the markup, which is no text of the line.
                line = TppPlainText::RemoveAll(line, markup);
                TppPlainText::JustifyLine(canvas, lineRect, line, tabCount, tabStops);
                justified = true;
            }
            break;
        }
        }
        if (aDrawText->IsMemo()) {
            canvas.TabbedTextOut(x, y, line, tabStops);
        } else {
            const bool inside = printerDeviceTextInside(canvas, x, y, line, metrics.height, lineRect,
                                                        line.contains(QLatin1Char('\t')) ? -1 : known, bool(shape));
            if (shape)
                canvas.DrawShapedLine(x, y, *shape, inside ? nullptr : &lineRect);
            else if (inside)
                canvas.TextOut(x, y, line);
            else
                canvas.ExtTextOut(x, y, gfx::ETO_CLIPPED, &lineRect, line);
        }
        ++drawn;
    }
    if (justified)
        canvas.SetTextJustification(0, 0);
    // A clipped or fitting line inks inside its rectangle; a memo's tabbed
    // lines are not clipped and may run on to the right.
    rtl::TRect inked = rect;
    inked.Bottom = std::max(rect.Bottom, rect.Top + drawn * lineHeight);
    if (aDrawText->IsMemo())
        inked.Right = std::numeric_limits<int>::max();
    noteInk(inked);

    if (aDrawText->AutoSize()) {
        aDrawText->SetDrawLeft(rect.Left);
        aDrawText->SetDrawRight(rect.Right);
        aDrawText->SetDrawBottom(aDrawText->DrawTop() + drawn * lineHeight);
    }
}

// ---- Registration ------------------------------------------------------------

void ppRegisterPrinterDevice()
{
    ppRegisterDevice(&ppDeviceClass<TppPrinterDevice>());
}

void ppUnRegisterPrinterDevice()
{
    ppUnRegisterDevice(&ppDeviceClass<TppPrinterDevice>());
}

} // namespace report
