#pragma once

// The preview's toolbar glyphs, drawn in code. Single glyphs are 16 x 16 on
// clGreen, the colour the buttons take as transparent; the navigation and
// search glyphs are 32 x 16 on the button face, the enabled look on the
// left and the disabled one on the right.

#include "report/output/preview/MetaBitmap.h"

#include <QIcon>

#include <functional>

class QAbstractButton;

namespace report {

class TppPreviewIcon : public TppMetaBitmap
{
public:
    TppPreviewIcon();

protected:
    void Draw(QImage &) override {}
};

class TppPrinterIcon : public TppPreviewIcon
{
protected:
    void Draw(QImage &aCanvas) override;
};

class TppAutoSearchIcon : public TppPreviewIcon
{
protected:
    void Draw(QImage &aCanvas) override;
};

// A black-framed teal square with grey marks, under each zoom glyph.
class TppZoomIcon : public TppPreviewIcon
{
protected:
    void Draw(QImage &aCanvas) override;
};

class TppZoomWholePageIcon : public TppZoomIcon
{
protected:
    void Draw(QImage &aCanvas) override;
};

class TppZoomPageWidthIcon : public TppZoomIcon
{
protected:
    void Draw(QImage &aCanvas) override;
};

class TppZoom100PercentIcon : public TppZoomIcon
{
protected:
    void Draw(QImage &aCanvas) override;
};

class TppDoubleGlyphIcon : public TppPreviewIcon
{
public:
    TppDoubleGlyphIcon();

    virtual rtl::TColor EnabledColor() const { return rtl::clBlack; }
    virtual rtl::TColor DisabledColor() const { return 0x808080; }

protected:
    void Draw(QImage &aCanvas) override;
    // The shape in one colour, its 16 x 16 cell starting at aLeft.
    virtual void DrawShape(QImage &, int, rtl::TColor) {}
};

class TppFirstIcon : public TppDoubleGlyphIcon
{
protected:
    void DrawShape(QImage &aCanvas, int aLeft, rtl::TColor aColor) override;
};

class TppPriorIcon : public TppDoubleGlyphIcon
{
protected:
    void DrawShape(QImage &aCanvas, int aLeft, rtl::TColor aColor) override;
};

class TppNextIcon : public TppDoubleGlyphIcon
{
protected:
    void DrawShape(QImage &aCanvas, int aLeft, rtl::TColor aColor) override;
};

class TppLastIcon : public TppDoubleGlyphIcon
{
protected:
    void DrawShape(QImage &aCanvas, int aLeft, rtl::TColor aColor) override;
};

class TppTextSearchIcon : public TppDoubleGlyphIcon
{
protected:
    void DrawShape(QImage &aCanvas, int aLeft, rtl::TColor aColor) override;
};

class TppFirstSearchOccurrenceIcon : public TppFirstIcon
{
public:
    rtl::TColor EnabledColor() const override { return 0x000080; }
};

class TppPriorSearchOccurrenceIcon : public TppPriorIcon
{
public:
    rtl::TColor EnabledColor() const override { return 0x000080; }
};

class TppNextSearchOccurrenceIcon : public TppNextIcon
{
public:
    rtl::TColor EnabledColor() const override { return 0x000080; }
};

class TppLastSearchOccurrenceIcon : public TppLastIcon
{
public:
    rtl::TColor EnabledColor() const override { return 0x000080; }
};

// A glyph as a button's icon, its back colour see-through (not its corner
// pixel: the zoom glyphs are framed to their edges). A double glyph gives
// its left half to the enabled button and its right half to the disabled.
QIcon ppSingleGlyphIcon(TppMetaBitmap &aGlyph);
QIcon ppDoubleGlyphIcon(TppMetaBitmap &aGlyph);

// Gives the button the icon aMake draws, and has it drawn again at every
// change of the desktop's palette: a glyph's shade is chosen for the face
// it stands on, which the palette gives.
void ppSetGlyphIcon(QAbstractButton &aButton, std::function<QIcon()> aMake);

} // namespace report
