#pragma once

// The Qt side of the colours of platform/rtl/Colors.h.

#include "platform/rtl/Colors.h"

class QColor;
class QPalette;

namespace gfx {

// clNone and clDefault have no RGB of their own; they become transparent.
QColor ToQColor(rtl::TColor color);
rtl::TColor FromQColor(const QColor &color);

// The system colour table derived from a Qt palette, so that the program
// follows the desktop.
rtl::SystemColors systemColorsFromPalette(const QPalette &palette);

// Black or white, whichever reads better on the background: for text on a
// colour or picture of its own, which a dark desktop palette does not darken.
QColor ReadableTextOn(const QColor &background);

} // namespace gfx
