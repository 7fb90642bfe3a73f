#include "platform/rtl/Colors.h"

namespace rtl {

namespace {

SystemColors &current()
{
    static SystemColors colors = SystemColors::classic();
    return colors;
}

TColor fromRgbValue(unsigned rgb) // 0xRRGGBB as colours are usually written
{
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

} // namespace

SystemColors SystemColors::classic()
{
    SystemColors s;
    const unsigned table[SysColorCount] = {
        0xC0C0C0, // scroll bar
        0x008080, // desktop
        0x000080, // active caption
        0x808080, // inactive caption
        0xC0C0C0, // menu
        0xFFFFFF, // window
        0x000000, // window frame
        0x000000, // menu text
        0x000000, // window text
        0xFFFFFF, // caption text
        0xC0C0C0, // active border
        0xC0C0C0, // inactive border
        0x808080, // application work space
        0x000080, // highlight
        0xFFFFFF, // highlight text
        0xC0C0C0, // button face
        0x808080, // button shadow
        0x808080, // grey text
        0x000000, // button text
        0xC0C0C0, // inactive caption text
        0xFFFFFF, // button highlight
        0x000000, // 3-D dark shadow
        0xDFDFDF, // 3-D light
        0x000000, // info text
        0xFFFFE1, // info background
        0x000000, // (unused index 25)
        0x0000FF, // hot light
        0x1084D0, // gradient active caption
        0xB5B5B5, // gradient inactive caption
        0x000080, // menu highlight
        0xC0C0C0, // menu bar
    };
    for (int i = 0; i < SysColorCount; ++i)
        s.m_colors[i] = fromRgbValue(table[i]);
    return s;
}

TColor SystemColors::color(int index) const
{
    if (index < 0 || index >= SysColorCount)
        return 0;
    return m_colors[index];
}

void SystemColors::setColor(int index, TColor rgb)
{
    if (index >= 0 && index < SysColorCount)
        m_colors[index] = rgb & 0xFFFFFF;
}

const SystemColors &currentSystemColors()
{
    return current();
}

void setSystemColors(const SystemColors &colors)
{
    current() = colors;
}

TColor GetSysColor(int index)
{
    return current().color(index);
}

TColor ColorToRGB(TColor color)
{
    if (color < 0)
        return GetSysColor(color & 0xFF);
    return color;
}

} // namespace rtl
