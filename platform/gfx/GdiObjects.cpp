#include "platform/gfx/GdiObjects.h"

#include "platform/rtl/QtText.h"
#include "platform/rtl/Rounding.h"

#include <QFont>

#include <cstdlib>
#include <utility>

namespace gfx {

FaceName::FaceName(QString text)
    : m_text(std::move(text))
    , m_bytes(rtl::FromQString(m_text))
{}

FaceName::FaceName(std::string_view bytes)
    : m_text(rtl::ToQString(bytes))
    , m_bytes(bytes)
{}

int Font::heightFromSize(int points, int dpi)
{
    return -rtl::MulDiv(points, dpi, 72);
}

QFont ToQFont(const Font &font, int dpiY)
{
    QFont f(font.name.text());
    f.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoSubpixelAntialias));
    f.setHintingPreference(QFont::PreferFullHinting);
    f.setKerning(false);
    if (font.height != 0) {
        // A positive height counts the internal leading too; fonts here have
        // roughly a fifth of their cell above the em square.
        const int h = font.height < 0 ? -font.height : std::max(1, font.height * 4 / 5);
        f.setPixelSize(h);
    } else if (font.size > 0) {
        f.setPixelSize(std::max(1, -Font::heightFromSize(font.size, dpiY)));
    }
    f.setBold(font.style & fsBold);
    f.setItalic(font.style & fsItalic);
    f.setUnderline(font.style & fsUnderline);
    f.setStrikeOut(font.style & fsStrikeOut);
    return f;
}

Brush Brush::halftone()
{
    // Rows alternate 01010101 / 10101010 with bit 7 leftmost; a clear bit is
    // a "black" pixel, so row 0 must be clear at even x.
    MonoPattern rows{};
    for (int y = 0; y < 8; ++y)
        rows[y] = (y % 2 == 0) ? 0x55 : 0xAA;
    return monoPattern(rows);
}

} // namespace gfx
