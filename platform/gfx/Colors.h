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

// The colour in the nearest shade of its hue that reads on the background
// with at least the given contrast (4.5: body text), lightened on a dark
// background and darkened on a light one; the colour itself where it reads.
// For a colour a layout names (a blue field name) that a dark desktop
// palette would otherwise put on a background as dark as itself.
QColor ReadableShade(const QColor &color, const QColor &background, double minContrast = 4.5);

} // namespace gfx
