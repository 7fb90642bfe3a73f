#include "platform/gfx/Colors.h"

#include <QColor>
#include <QPalette>

#include <algorithm>
#include <cmath>

namespace gfx {

using namespace rtl;

QColor ToQColor(TColor color)
{
    if (color == clNone || color == clDefault)
        return QColor(Qt::transparent);
    const TColor rgb = ColorToRGB(color);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

TColor FromQColor(const QColor &color)
{
    if (color.alpha() == 0)
        return clNone;
    const QColor c = color.toRgb();
    return RGB(c.red(), c.green(), c.blue());
}

SystemColors systemColorsFromPalette(const QPalette &p)
{
    SystemColors s = SystemColors::classic();
    auto set = [&s](int index, const QColor &c) { s.setColor(index, FromQColor(c)); };
    const QColor button = p.color(QPalette::Active, QPalette::Button);
    set(COLOR_SCROLLBAR, button);
    set(COLOR_MENU, p.color(QPalette::Active, QPalette::Window));
    set(COLOR_MENUBAR, p.color(QPalette::Active, QPalette::Window));
    set(COLOR_WINDOW, p.color(QPalette::Active, QPalette::Base));
    set(COLOR_WINDOWTEXT, p.color(QPalette::Active, QPalette::Text));
    set(COLOR_MENUTEXT, p.color(QPalette::Active, QPalette::WindowText));
    set(COLOR_WINDOWFRAME, p.color(QPalette::Active, QPalette::Shadow));
    set(COLOR_ACTIVEBORDER, button);
    set(COLOR_INACTIVEBORDER, button);
    set(COLOR_APPWORKSPACE, p.color(QPalette::Active, QPalette::Dark));
    set(COLOR_HIGHLIGHT, p.color(QPalette::Active, QPalette::Highlight));
    set(COLOR_HIGHLIGHTTEXT, p.color(QPalette::Active, QPalette::HighlightedText));
    set(COLOR_MENUHILIGHT, p.color(QPalette::Active, QPalette::Highlight));
    set(COLOR_ACTIVECAPTION, p.color(QPalette::Active, QPalette::Highlight));
    set(COLOR_CAPTIONTEXT, p.color(QPalette::Active, QPalette::HighlightedText));
    set(COLOR_BTNFACE, button);
    set(COLOR_BTNSHADOW, p.color(QPalette::Active, QPalette::Dark));
    set(COLOR_GRAYTEXT, p.color(QPalette::Disabled, QPalette::Text));
    set(COLOR_BTNTEXT, p.color(QPalette::Active, QPalette::ButtonText));
    set(COLOR_BTNHIGHLIGHT, p.color(QPalette::Active, QPalette::Light));
    set(COLOR_3DDKSHADOW, p.color(QPalette::Active, QPalette::Shadow));
    set(COLOR_3DLIGHT, p.color(QPalette::Active, QPalette::Midlight));
    set(COLOR_INFOTEXT, p.color(QPalette::Active, QPalette::ToolTipText));
    set(COLOR_INFOBK, p.color(QPalette::Active, QPalette::ToolTipBase));
    set(COLOR_HOTLIGHT, p.color(QPalette::Active, QPalette::Link));
    return s;
}

namespace {

double relativeLuminance(const QColor &color)
{
    const auto linear = [](double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(color.redF()) + 0.7152 * linear(color.greenF()) + 0.0722 * linear(color.blueF());
}

double contrastOf(const QColor &a, const QColor &b)
{
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace

QColor ReadableTextOn(const QColor &background)
{
    // The relative luminance's midpoint between black and white text.
    return relativeLuminance(background) > 0.179 ? QColor(Qt::black) : QColor(Qt::white);
}

QColor ReadableShade(const QColor &color, const QColor &background, double minContrast)
{
    if (contrastOf(color, background) >= minContrast)
        return color;
    const bool lighten = relativeLuminance(background) <= 0.179;
    const QColor hsl = color.toHsl();
    const int hue = hsl.hslHue();
    const int saturation = hsl.hslSaturation();
    for (int lightness = hsl.lightness(); lightness >= 0 && lightness <= 255; lightness += lighten ? 1 : -1) {
        const QColor shade = QColor::fromHsl(hue, saturation, lightness);
        if (contrastOf(shade, background) >= minContrast)
            return shade;
    }
    return ReadableTextOn(background);
}

} // namespace gfx
