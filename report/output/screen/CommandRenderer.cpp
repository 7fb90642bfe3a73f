#include "report/output/screen/CommandRenderer.h"

#include "report/content/drawcommands/DrawImage.h"
#include "report/content/drawcommands/DrawShapes.h"
#include "report/model/base/Units.h"
#include "report/model/base/Utils.h"

#include "platform/classes/Graphics.h"
#include "platform/classes/Picture.h"
#include "platform/gfx/Canvas.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace report {

namespace {

// The canvas's resolution as the unit conversions want a printer's.
class RendererResolution final : public PrinterResolution
{
public:
    RendererResolution(int aX, int aY)
        : m_x(aX)
        , m_y(aY)
    {}
    int pixelsPerInch(TppAxisType axis) const override { return axis == TppAxisType::atHorizontal ? m_x : m_y; }

private:
    int m_x;
    int m_y;
};

// No stroke loop, scratch bitmap or font may outgrow what a page bitmap can
// hold: hostile values (a weight of millions of points, a picture rectangle
// of kilometres) would otherwise run for minutes or exhaust memory.
constexpr int RendererMaxExtent = 16384;
constexpr qint64 RendererMaxScratchPixels = qint64(4096) * 4096;

int rendererClampInt(double aValue)
{
    if (std::isnan(aValue))
        return 0;
    return int(std::clamp(aValue, -2147483647.0, 2147483647.0));
}

int rendererRound(double aValue)
{
    return ppRound(aValue);
}

} // namespace

TppCommandRenderer::TppCommandRenderer(gfx::Canvas &aCanvas, const TppRenderSettings &aSettings)
    : m_canvas(aCanvas)
    , m_settings(aSettings)
{}

int TppCommandRenderer::ToPixels(int32_t aMM, TppAxisType aAxis) const
{
    const RendererResolution resolution(m_settings.pixelsPerInchX, m_settings.pixelsPerInchY);
    return rendererClampInt(std::trunc(ppFromMMThousandths(aMM, TppUnitType::utPrinterPixels, aAxis, &resolution)));
}

int32_t TppCommandRenderer::ToMM(int aPixels, TppAxisType aAxis) const
{
    const RendererResolution resolution(m_settings.pixelsPerInchX, m_settings.pixelsPerInchY);
    return ppToMMThousandths(float(aPixels), TppUnitType::utPrinterPixels, aAxis, &resolution);
}

void TppCommandRenderer::CalcDrawRect(TppDrawCommand &aCommand) const
{
    const double l = ToPixels(aCommand.Left(), TppAxisType::atHorizontal);
    const double t = ToPixels(aCommand.Top(), TppAxisType::atVertical);
    const double w = ToPixels(aCommand.Width(), TppAxisType::atHorizontal);
    const double h = ToPixels(aCommand.Height(), TppAxisType::atVertical);
    const double sx = m_settings.scaleX;
    const double sy = m_settings.scaleY;
    aCommand.SetDrawLeft(rendererClampInt(double(rendererRound(l * sx)) + m_settings.offsetX));
    aCommand.SetDrawTop(rendererClampInt(double(rendererRound(t * sy)) + m_settings.offsetY));
    aCommand.SetDrawRight(rendererClampInt(double(rendererRound((l + w) * sx)) + m_settings.offsetX));
    aCommand.SetDrawBottom(rendererClampInt(double(rendererRound((t + h) * sy)) + m_settings.offsetY));
}

// ---- Shapes and lines -------------------------------------------------------------

void TppCommandRenderer::DrawShape(TppDrawShape &aCommand)
{
    m_canvas.setPen(aCommand.Pen()->Pen());
    m_canvas.setBrush(aCommand.Brush()->Brush());
    m_canvas.pen().width = std::clamp(rendererRound(aCommand.Pen()->Width() * m_settings.scaleX), 0, RendererMaxExtent);
    const rtl::TRect &rect = aCommand.DrawRect();
    switch (aCommand.ShapeType()) {
    case classes::TShapeType::stRectangle: m_canvas.Rectangle(rect); break;
    case classes::TShapeType::stRoundRect: {
        const int cx = rendererRound(ToPixels(aCommand.XCornerRound(), TppAxisType::atHorizontal) * m_settings.scaleX);
        const int cy = rendererRound(ToPixels(aCommand.YCornerRound(), TppAxisType::atVertical) * m_settings.scaleY);
        m_canvas.RoundRect(rect, cx, cy);
        break;
    }
    case classes::TShapeType::stEllipse: m_canvas.Ellipse(rect); break;
    default: break;
    }
}

std::vector<TppCommandRenderer::Stroke> TppCommandRenderer::LineStrokes(const TppDrawLine &aCommand) const
{
    const double weight = double(aCommand.Weight());
    int n = rendererClampInt(
        std::min(double(RendererMaxExtent),
                 double(rendererRound(m_settings.pixelsPerInchX * weight / 72.0 * m_settings.scaleX))));
    n = std::max(n, 1);
    const int lines = aCommand.LineStyle() == TppLineStyleType::lsSingle ? 1 : 2;
    int left = aCommand.DrawLeft();
    int top = aCommand.DrawTop();
    int right = aCommand.DrawRight();
    int bottom = aCommand.DrawBottom();
    if (aCommand.LinePosition() == TppLinePositionType::lpBottom)
        --bottom;
    else if (aCommand.LinePosition() == TppLinePositionType::lpRight)
        --right;
    std::vector<Stroke> strokes;
    strokes.reserve(size_t(n) * size_t(lines));
    for (int k = 1; k <= lines; ++k) {
        const int gap = k == 1 ? 0 : 2 * n;
        for (int i = 0; i < n; ++i) {
            switch (aCommand.LinePosition()) {
            case TppLinePositionType::lpTop: strokes.push_back({left, top + gap + i, right, top + gap + i}); break;
            case TppLinePositionType::lpBottom:
                strokes.push_back({left, bottom - gap - i, right, bottom - gap - i});
                break;
            case TppLinePositionType::lpLeft: strokes.push_back({left + gap + i, top, left + gap + i, bottom}); break;
            case TppLinePositionType::lpRight:
                strokes.push_back({right - gap - i, top, right - gap - i, bottom});
                break;
            }
        }
    }
    return strokes;
}

void TppCommandRenderer::DrawLine(TppDrawLine &aCommand)
{
    m_canvas.setBrush(gfx::Brush::hatch(gfx::BrushStyle::Cross, m_canvas.brush().color));
    m_canvas.setPen(aCommand.Pen()->Pen());
    m_canvas.pen().width = 1;
    for (const Stroke &stroke : LineStrokes(aCommand)) {
        m_canvas.MoveTo(stroke.x1, stroke.y1);
        m_canvas.LineTo(stroke.x2, stroke.y2);
    }
}

// ---- Images ---------------------------------------------------------------------

namespace {

// The picture as a raster image: the draw command's bitmap (made once from
// any other graphic), or the graphic's own image for an icon.
QImage rendererPictureImage(TppDrawImage &aCommand)
{
    if (classes::TBitmap *bitmap = aCommand.GetBitmap())
        return bitmap->Image();
    return aCommand.Picture() ? aCommand.Picture()->Image() : QImage();
}

const classes::TMetafile *rendererMetafile(const TppDrawImage &aCommand)
{
    return aCommand.Picture() ? dynamic_cast<const classes::TMetafile *>(aCommand.Picture()->Graphic()) : nullptr;
}

// A metafile's size is its frame's: its raster is held to a few thousand
// pixels a side.
QSize rendererPictureSize(const TppDrawImage &aCommand, const QImage &aPicture)
{
    if (const classes::TMetafile *metafile = rendererMetafile(aCommand))
        return QSize(metafile->Width(), metafile->Height());
    return aPicture.size();
}

// A metafile is played into the rectangle at the zoom's resolution; other
// pictures are stretched as their raster.
void rendererStretchPicture(gfx::Canvas &aCanvas, const rtl::TRect &aRect, const QImage &aPicture, gfx::RasterOp aMode,
                            const classes::TMetafile *aMetafile, const rtl::TRect *aClip = nullptr)
{
    if (!aMetafile) {
        aCanvas.StretchDraw(aRect, aPicture, aMode);
        return;
    }
    QPainter &painter = aCanvas.painter();
    painter.save();
    if (aClip)
        painter.setClipRect(gfx::ToQRect(*aClip), Qt::IntersectClip);
    aMetafile->Draw(painter, QRectF(gfx::ToQRect(aRect)));
    painter.restore();
}

gfx::RasterOp rendererCopyMode(const TppDrawImage &aCommand)
{
    return aCommand.Transparent() ? gfx::RasterOp::SrcAnd : gfx::RasterOp::SrcCopy;
}

// The rectangle a picture of aPicW x aPicH takes inside a box of aBoxW x
// aBoxH keeping its aspect, centred when asked.
rtl::TRect rendererAspectRect(int aPicW, int aPicH, int aBoxW, int aBoxH, bool aCenter)
{
    const float scale = ppGetScaleToFit(aPicW, aPicH, aBoxW, aBoxH);
    const int w = rendererClampInt(std::trunc(double(aPicW) * scale));
    const int h = rendererClampInt(std::trunc(double(aPicH) * scale));
    int x = 0;
    int y = 0;
    if (aCenter) {
        x = (aBoxW - w) / 2;
        y = (aBoxH - h) / 2;
    }
    return rtl::TRect{x, y, x + w, y + h};
}

} // namespace

void TppCommandRenderer::DrawImage(TppDrawImage &aCommand)
{
    if (!aCommand.Picture() || aCommand.Picture()->Empty())
        return;
    if (aCommand.DirectDraw()) {
        DirectDrawImage(aCommand);
        return;
    }
    const QImage picture = rendererPictureImage(aCommand);
    if (picture.isNull())
        return;
    const QSize pictureSize = rendererPictureSize(aCommand, picture);
    const int w = ToPixels(aCommand.Width(), TppAxisType::atHorizontal);
    const int h = ToPixels(aCommand.Height(), TppAxisType::atVertical);
    if (w <= 0 || h <= 0)
        return;
    // A picture rectangle beyond any page goes straight onto the page: the
    // scratch copy is only there to fit the picture before it is zoomed.
    if (qint64(w) * h > RendererMaxScratchPixels) {
        DirectDrawImage(aCommand);
        return;
    }
    rtl::TRect target;
    if (aCommand.Stretch() && aCommand.MaintainAspectRatio())
        target = rendererAspectRect(pictureSize.width(), pictureSize.height(), w, h, aCommand.Center());
    else if (aCommand.Stretch())
        target = rtl::TRect{0, 0, w, h};
    else if (aCommand.Center()) {
        const int x = (w - pictureSize.width()) / 2;
        const int y = (h - pictureSize.height()) / 2;
        target = rtl::TRect{x, y, x + pictureSize.width(), y + pictureSize.height()};
    } else
        target = rtl::TRect{0, 0, pictureSize.width(), pictureSize.height()};
    QImage scratch(w, h, QImage::Format_RGB32);
    // Transparent pictures are combined with AND: what the picture leaves
    // uncovered must let the page show through.
    scratch.fill(Qt::white);
    {
        gfx::Canvas scratchCanvas(&scratch);
        rendererStretchPicture(scratchCanvas, target, picture, gfx::RasterOp::SrcCopy, rendererMetafile(aCommand));
    }
    m_canvas.StretchDraw(aCommand.DrawRect(), scratch, rendererCopyMode(aCommand));
}

void TppCommandRenderer::DirectDrawImage(TppDrawImage &aCommand)
{
    const QImage picture = aCommand.Picture() ? aCommand.Picture()->Image() : QImage();
    if (picture.isNull())
        return;
    const QSize pictureSize = rendererPictureSize(aCommand, picture);
    const rtl::TRect &rect = aCommand.DrawRect();
    const gfx::RasterOp mode = rendererCopyMode(aCommand);
    const classes::TMetafile *metafile = rendererMetafile(aCommand);
    if (aCommand.Stretch()) {
        if (!aCommand.MaintainAspectRatio()) {
            rendererStretchPicture(m_canvas, rect, picture, mode, metafile);
            return;
        }
        rtl::TRect fit = rendererAspectRect(pictureSize.width(), pictureSize.height(), rect.Right - rect.Left,
                                            rect.Bottom - rect.Top, aCommand.Center());
        fit = rtl::TRect{fit.Left + rect.Left, fit.Top + rect.Top, fit.Right + rect.Left, fit.Bottom + rect.Top};
        rendererStretchPicture(m_canvas, fit, picture, mode, metafile);
        return;
    }
    const int w = ToPixels(aCommand.Width(), TppAxisType::atHorizontal);
    const int h = ToPixels(aCommand.Height(), TppAxisType::atVertical);
    int x = rect.Left;
    int y = rect.Top;
    if (aCommand.Center()) {
        x += rendererClampInt(std::trunc((w - pictureSize.width()) / 2 * m_settings.scaleX));
        y += rendererClampInt(std::trunc((h - pictureSize.height()) / 2 * m_settings.scaleY));
    }
    const int tw = rendererClampInt(std::trunc(pictureSize.width() * m_settings.scaleX));
    const int th = rendererClampInt(std::trunc(pictureSize.height() * m_settings.scaleY));
    if (metafile) {
        rendererStretchPicture(m_canvas, rtl::TRect{x, y, x + tw, y + th}, picture, mode, metafile, &rect);
        return;
    }
    m_canvas.SaveDC();
    m_canvas.IntersectClipRect(rect);
    m_canvas.StretchDraw(rtl::TRect{x, y, x + tw, y + th}, picture, mode);
    m_canvas.RestoreDC();
}

} // namespace report
