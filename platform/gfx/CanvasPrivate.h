#pragma once

// Helpers shared by the Canvas translation units.

#include "platform/gfx/Colors.h"
#include "platform/gfx/GdiObjects.h"

#include <QBrush>
#include <QColor>
#include <QImage>
#include <QRect>
#include <QRegion>

namespace gfx::detail {

// An opaque colour, system colours resolved through the given table (the
// desktop's when none).
inline QColor opaque(rtl::TColor color, const rtl::SystemColors *table = nullptr)
{
    if (color == rtl::clNone || color == rtl::clDefault)
        color = rtl::clBlack;
    else if (color < 0 && table)
        color = table->color(color & 0xFF);
    QColor c = ToQColor(color);
    c.setAlpha(255);
    return c;
}

// The band of the given width just inside the rectangle; all of it when
// nothing is left in the middle.
QRegion frameRegion(const rtl::TRect &rect, int width);

// The 8 x 8 pattern of a hatch style: true where the hatch line is.
bool hatchPixel(BrushStyle style, int x, int y);

// The tile a patterned or hatched brush paints with. Pixels that leave the
// destination alone (hatch gaps in transparent mode) have alpha 0.
QImage brushTile(const Brush &brush, rtl::TColor textColor, rtl::TColor bkColor, bool opaqueBackground,
                 const rtl::SystemColors *table);

} // namespace gfx::detail
