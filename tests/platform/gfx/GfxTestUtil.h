#pragma once

// Off-screen images and pixel probes for the drawing tests.

#include "platform/gfx/Canvas.h"

#include <QImage>

#include <string>

namespace gfxtest {

inline QImage blank(int w = 40, int h = 30, gfx::TColor fill = gfx::clWhite)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(gfx::ToQColor(fill));
    return img;
}

inline gfx::TColor at(const QImage &img, int x, int y)
{
    return gfx::FromQColor(QColor::fromRgb(img.pixel(x, y)));
}

// The bounding box of the pixels that differ from `background`.
inline rtl::TRect inked(const QImage &img, gfx::TColor background = gfx::clWhite)
{
    int l = img.width(), t = img.height(), r = -1, b = -1;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (at(img, x, y) != background)
            {
                l = std::min(l, x);
                t = std::min(t, y);
                r = std::max(r, x);
                b = std::max(b, y);
            }
    if (r < 0)
        return rtl::TRect{};
    return rtl::TRect{l, t, r + 1, b + 1};
}

inline int countOf(const QImage &img, gfx::TColor color)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += at(img, x, y) == color;
    return n;
}

} // namespace gfxtest
