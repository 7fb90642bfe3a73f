#pragma once

// Off-screen images and pixel probes for tests of drawn output.

#include "platform/gfx/Canvas.h"

#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>

namespace zvotest {

inline QImage blank(int w = 40, int h = 30, rtl::TColor fill = rtl::clWhite)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(gfx::ToQColor(fill));
    return img;
}

inline rtl::TColor at(const QImage &img, int x, int y)
{
    return gfx::FromQColor(QColor::fromRgb(img.pixel(x, y)));
}

// The bounding box of the pixels that differ from `background`.
inline rtl::TRect inked(const QImage &img, rtl::TColor background = rtl::clWhite)
{
    int l = img.width(), t = img.height(), r = -1, b = -1;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (at(img, x, y) != background) {
                l = std::min(l, x);
                t = std::min(t, y);
                r = std::max(r, x);
                b = std::max(b, y);
            }
    if (r < 0)
        return rtl::TRect{};
    return rtl::TRect{l, t, r + 1, b + 1};
}

inline int countOf(const QImage &img, rtl::TColor color)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += at(img, x, y) == color;
    return n;
}

struct Pixel
{
    int x, y;
    rtl::TColor color;
};

// Checks every listed pixel; a failure names its place.
inline void expectPixels(const QImage &img, std::initializer_list<Pixel> pixels)
{
    for (const Pixel &p : pixels)
        EXPECT_EQ(at(img, p.x, p.y), p.color) << "pixel " << p.x << "," << p.y;
}

// Draws on the image through a canvas that is gone when this returns.
template <class Draw>
void paint(QImage &img, Draw &&draw, const gfx::TextMeasurer *measurer = nullptr)
{
    gfx::Canvas c(&img, measurer);
    draw(c);
}

} // namespace zvotest
