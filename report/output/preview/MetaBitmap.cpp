#include "report/output/preview/MetaBitmap.h"

#include "platform/gfx/Colors.h"

#include <QPainter>

#include <algorithm>
#include <utility>
#include <vector>

namespace report {

namespace {

QRgb metaBitmapRgb(rtl::TColor aColor)
{
    return gfx::ToQColor(aColor).rgb();
}

} // namespace

void TppMetaBitmap::DrawToBitmap(QImage &aBitmap)
{
    aBitmap = QImage(m_width, m_height, QImage::Format_RGB32);
    aBitmap.fill(metaBitmapRgb(m_backColor));
    Draw(aBitmap);
}

void TppMetaBitmap::Pixel(QImage &aCanvas, int X, int Y, rtl::TColor aColor)
{
    if (aCanvas.rect().contains(X, Y))
        aCanvas.setPixel(X, Y, metaBitmapRgb(aColor));
}

void TppMetaBitmap::Line(QImage &aCanvas, int aX1, int aY1, int aX2, int aY2, rtl::TColor aColor)
{
    if (aY1 == aY2) {
        for (int x = std::min(aX1, aX2); x <= std::max(aX1, aX2); ++x)
            Pixel(aCanvas, x, aY1, aColor);
    } else if (aX1 == aX2) {
        for (int y = std::min(aY1, aY2); y <= std::max(aY1, aY2); ++y)
            Pixel(aCanvas, aX1, y, aColor);
    } else {
        // Diagonals step one pixel on each axis at a time.
        const int steps = std::max(std::abs(aX2 - aX1), std::abs(aY2 - aY1));
        for (int i = 0; i <= steps; ++i)
            Pixel(aCanvas, aX1 + (aX2 - aX1) * i / steps, aY1 + (aY2 - aY1) * i / steps, aColor);
    }
}

void TppMetaBitmap::FillRect(QImage &aCanvas, int aLeft, int aTop, int aRight, int aBottom, rtl::TColor aColor)
{
    for (int y = aTop; y <= aBottom; ++y)
        Line(aCanvas, aLeft, y, aRight, y, aColor);
}

void TppMetaBitmap::FrameRect(QImage &aCanvas, int aLeft, int aTop, int aRight, int aBottom, rtl::TColor aColor)
{
    Line(aCanvas, aLeft, aTop, aRight, aTop, aColor);
    Line(aCanvas, aLeft, aBottom, aRight, aBottom, aColor);
    Line(aCanvas, aLeft, aTop, aLeft, aBottom, aColor);
    Line(aCanvas, aRight, aTop, aRight, aBottom, aColor);
}

void TppMetaBitmap::FillEllipse(QImage &aCanvas, int aLeft, int aTop, int aRight, int aBottom, rtl::TColor aColor)
{
    // Pixel centres inside the ellipse through the rectangle's edges.
    const double cx = (aLeft + aRight) / 2.0;
    const double cy = (aTop + aBottom) / 2.0;
    const double rx = (aRight - aLeft) / 2.0 + 0.5;
    const double ry = (aBottom - aTop) / 2.0 + 0.5;
    for (int y = aTop; y <= aBottom; ++y)
        for (int x = aLeft; x <= aRight; ++x) {
            const double dx = (x - cx) / rx;
            const double dy = (y - cy) / ry;
            if (dx * dx + dy * dy <= 1.0)
                Pixel(aCanvas, x, y, aColor);
        }
}

void TppMetaBitmap::FloodFill(QImage &aCanvas, int X, int Y, rtl::TColor aColor)
{
    if (!aCanvas.rect().contains(X, Y))
        return;
    const QRgb target = aCanvas.pixel(X, Y);
    const QRgb fill = metaBitmapRgb(aColor);
    if (target == fill)
        return;
    std::vector<std::pair<int, int>> pending{{X, Y}};
    while (!pending.empty()) {
        const auto [x, y] = pending.back();
        pending.pop_back();
        if (!aCanvas.rect().contains(x, y) || aCanvas.pixel(x, y) != target)
            continue;
        aCanvas.setPixel(x, y, fill);
        pending.push_back({x + 1, y});
        pending.push_back({x - 1, y});
        pending.push_back({x, y + 1});
        pending.push_back({x, y - 1});
    }
}

void TppMetaBitmap::Text(QImage &aCanvas, int X, int Y, const QString &aText, rtl::TColor aColor)
{
    QPainter painter(&aCanvas);
    QFont font = painter.font();
    font.setPixelSize(9);
    painter.setFont(font);
    painter.setPen(gfx::ToQColor(aColor));
    painter.drawText(QPoint(X - 1, Y - 2 + QFontMetrics(font).ascent()), aText);
}

} // namespace report
