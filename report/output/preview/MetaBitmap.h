#pragma once

// TppMetaBitmap: a small bitmap drawn in code (the preview's toolbar
// glyphs). A new bitmap of Width x Height is filled with BackColor, then
// Draw paints on it with the pixel helpers below, which draw exactly the
// pixels they name: lines and frames include their end and edge pixels.

#include "platform/rtl/Colors.h"

#include <QImage>
#include <QString>

#include <memory>

namespace report {

class TppMetaBitmap
{
public:
    TppMetaBitmap() = default;
    virtual ~TppMetaBitmap() = default;

    // A new bitmap of the glyph class T.
    template <class T>
    static QImage CreateBitmap()
    {
        T glyph;
        QImage bitmap;
        glyph.DrawToBitmap(bitmap);
        return bitmap;
    }
    // Paints into aBitmap, which takes the glyph's size.
    void DrawToBitmap(QImage &aBitmap);

    rtl::TColor BackColor() const { return m_backColor; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

protected:
    virtual void Draw(QImage &aCanvas) = 0;

    void SetSize(int aWidth, int aHeight)
    {
        m_width = aWidth;
        m_height = aHeight;
    }
    void SetBackColor(rtl::TColor aColor) { m_backColor = aColor; }

    // A horizontal or vertical line, its end pixel included.
    static void Line(QImage &aCanvas, int aX1, int aY1, int aX2, int aY2, rtl::TColor aColor);
    // Rectangles with their right and bottom edges included.
    static void FillRect(QImage &aCanvas, int aLeft, int aTop, int aRight, int aBottom, rtl::TColor aColor);
    static void FrameRect(QImage &aCanvas, int aLeft, int aTop, int aRight, int aBottom, rtl::TColor aColor);
    static void FillEllipse(QImage &aCanvas, int aLeft, int aTop, int aRight, int aBottom, rtl::TColor aColor);
    // Paints the area of the colour found at (X, Y) that is connected to it
    // across edges.
    static void FloodFill(QImage &aCanvas, int X, int Y, rtl::TColor aColor);
    static void Text(QImage &aCanvas, int X, int Y, const QString &aText, rtl::TColor aColor);
    static void Pixel(QImage &aCanvas, int X, int Y, rtl::TColor aColor);

private:
    rtl::TColor m_backColor = rtl::clWhite;
    int m_width = 16;
    int m_height = 16;
};

} // namespace report
