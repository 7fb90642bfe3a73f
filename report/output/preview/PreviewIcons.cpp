#include "report/output/preview/PreviewIcons.h"

#include "platform/gfx/Colors.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QBitmap>
#include <QPalette>
#include <QPixmap>

namespace report {

namespace {

constexpr rtl::TColor IconTeal = 0x808000;
constexpr rtl::TColor IconGrey = 0x808080;
constexpr rtl::TColor IconSilver = 0xC0C0C0;

} // namespace

TppPreviewIcon::TppPreviewIcon()
{
    SetSize(16, 16);
    SetBackColor(rtl::clGreen);
}

void TppPrinterIcon::Draw(QImage &aCanvas)
{
    // Paper coming out of the top, the body, the slot.
    FillRect(aCanvas, 4, 1, 11, 6, rtl::clWhite);
    FrameRect(aCanvas, 4, 1, 11, 6, rtl::clBlack);
    FillRect(aCanvas, 1, 7, 14, 13, IconSilver);
    FrameRect(aCanvas, 1, 7, 14, 13, rtl::clBlack);
    Line(aCanvas, 3, 11, 12, 11, rtl::clBlack);
    Pixel(aCanvas, 12, 9, 0x00FF00);
}

void TppAutoSearchIcon::Draw(QImage &aCanvas)
{
    // A list of fields with a lens over it.
    FillRect(aCanvas, 1, 1, 10, 12, rtl::clWhite);
    FrameRect(aCanvas, 1, 1, 10, 12, rtl::clBlack);
    for (int y = 3; y <= 9; y += 3)
        Line(aCanvas, 3, y, 8, y, IconGrey);
    FillEllipse(aCanvas, 7, 6, 12, 11, 0xFFFF00);
    FrameRect(aCanvas, 7, 6, 12, 11, rtl::clBlack);
    Line(aCanvas, 12, 11, 14, 13, rtl::clBlack);
    Line(aCanvas, 13, 11, 15, 13, rtl::clBlack);
}

void TppZoomIcon::Draw(QImage &aCanvas)
{
    FillRect(aCanvas, 0, 0, 15, 15, IconTeal);
    FrameRect(aCanvas, 0, 0, 15, 15, rtl::clBlack);
    for (int i = 2; i <= 13; i += 3) {
        Pixel(aCanvas, i, 1, IconGrey);
        Pixel(aCanvas, 1, i, IconGrey);
    }
}

void TppZoomWholePageIcon::Draw(QImage &aCanvas)
{
    TppZoomIcon::Draw(aCanvas);
    FillRect(aCanvas, 5, 3, 10, 12, rtl::clWhite);
    FrameRect(aCanvas, 5, 3, 10, 12, rtl::clBlack);
}

void TppZoomPageWidthIcon::Draw(QImage &aCanvas)
{
    TppZoomIcon::Draw(aCanvas);
    FillRect(aCanvas, 2, 3, 13, 14, rtl::clWhite);
    FrameRect(aCanvas, 2, 3, 13, 14, rtl::clBlack);
    for (int y = 5; y <= 12; y += 2)
        Line(aCanvas, 4, y, 11, y, rtl::clBlack);
}

void TppZoom100PercentIcon::Draw(QImage &aCanvas)
{
    TppZoomIcon::Draw(aCanvas);
    FillRect(aCanvas, 3, 3, 12, 12, rtl::clWhite);
    FrameRect(aCanvas, 3, 3, 12, 12, rtl::clBlack);
    FillRect(aCanvas, 5, 5, 6, 6, rtl::clBlack);
    FillRect(aCanvas, 9, 5, 10, 6, rtl::clBlack);
    FillRect(aCanvas, 5, 9, 6, 10, rtl::clBlack);
    FillRect(aCanvas, 9, 9, 10, 10, rtl::clBlack);
}

TppDoubleGlyphIcon::TppDoubleGlyphIcon()
{
    SetSize(32, 16);
    SetBackColor(rtl::clBtnFace);
}

void TppDoubleGlyphIcon::Draw(QImage &aCanvas)
{
    // The glyph stands on the toolbar's face, which a dark desktop palette
    // makes as dark as the glyph's black or navy.
    const QColor face = QApplication::palette().color(QPalette::Button);
    DrawShape(aCanvas, 0, gfx::FromQColor(gfx::ReadableShade(gfx::ToQColor(EnabledColor()), face)));
    DrawShape(aCanvas, 16, DisabledColor());
}

namespace {

// A triangle with its tip at (aTipX, 7..8) opening aWidth pixels to the
// other side: outlined, then filled from inside.
void iconTriangle(QImage &aCanvas, int aTipX, int aWidth, bool aPointsLeft, rtl::TColor aColor,
                  void (*aLine)(QImage &, int, int, int, int, rtl::TColor),
                  void (*aFill)(QImage &, int, int, rtl::TColor))
{
    const int step = aPointsLeft ? 1 : -1;
    const int baseX = aTipX + step * aWidth;
    aLine(aCanvas, baseX, 7 - aWidth, baseX, 8 + aWidth, aColor);
    for (int i = 0; i <= aWidth; ++i) {
        aLine(aCanvas, aTipX + step * i, 7 - i, aTipX + step * i, 7 - i, aColor);
        aLine(aCanvas, aTipX + step * i, 8 + i, aTipX + step * i, 8 + i, aColor);
    }
    if (aWidth > 1)
        aFill(aCanvas, aTipX + step * (aWidth - 1), 8, aColor);
}

} // namespace

void TppFirstIcon::DrawShape(QImage &aCanvas, int aLeft, rtl::TColor aColor)
{
    FillRect(aCanvas, aLeft + 4, 3, aLeft + 5, 12, aColor);
    iconTriangle(aCanvas, aLeft + 6, 4, true, aColor, &Line, &FloodFill);
}

void TppPriorIcon::DrawShape(QImage &aCanvas, int aLeft, rtl::TColor aColor)
{
    iconTriangle(aCanvas, aLeft + 5, 4, true, aColor, &Line, &FloodFill);
}

void TppNextIcon::DrawShape(QImage &aCanvas, int aLeft, rtl::TColor aColor)
{
    iconTriangle(aCanvas, aLeft + 10, 4, false, aColor, &Line, &FloodFill);
}

void TppLastIcon::DrawShape(QImage &aCanvas, int aLeft, rtl::TColor aColor)
{
    iconTriangle(aCanvas, aLeft + 9, 4, false, aColor, &Line, &FloodFill);
    FillRect(aCanvas, aLeft + 10, 3, aLeft + 11, 12, aColor);
}

void TppTextSearchIcon::DrawShape(QImage &aCanvas, int aLeft, rtl::TColor aColor)
{
    // Binoculars: two lenses joined by a bridge.
    FillEllipse(aCanvas, aLeft + 1, 6, aLeft + 6, 12, aColor);
    FillEllipse(aCanvas, aLeft + 9, 6, aLeft + 14, 12, aColor);
    FillRect(aCanvas, aLeft + 6, 7, aLeft + 9, 9, aColor);
    FillRect(aCanvas, aLeft + 2, 3, aLeft + 5, 6, aColor);
    FillRect(aCanvas, aLeft + 10, 3, aLeft + 13, 6, aColor);
}

namespace {

QPixmap iconTransparent(const QImage &aImage, rtl::TColor aBackColor)
{
    QPixmap pixmap = QPixmap::fromImage(aImage);
    pixmap.setMask(pixmap.createMaskFromColor(gfx::ToQColor(aBackColor), Qt::MaskInColor));
    return pixmap;
}

} // namespace

QIcon ppSingleGlyphIcon(TppMetaBitmap &aGlyph)
{
    QImage image;
    aGlyph.DrawToBitmap(image);
    return QIcon(iconTransparent(image, aGlyph.BackColor()));
}

QIcon ppDoubleGlyphIcon(TppMetaBitmap &aGlyph)
{
    QImage image;
    aGlyph.DrawToBitmap(image);
    const int half = image.width() / 2;
    QIcon icon;
    icon.addPixmap(iconTransparent(image.copy(0, 0, half, image.height()), aGlyph.BackColor()), QIcon::Normal);
    icon.addPixmap(iconTransparent(image.copy(half, 0, half, image.height()), aGlyph.BackColor()), QIcon::Disabled);
    return icon;
}

namespace {

class GlyphRedraw : public QObject
{
public:
    GlyphRedraw(QAbstractButton &aButton, std::function<QIcon()> aMake)
        : QObject(&aButton)
        , m_make(std::move(aMake))
    {
        aButton.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *aWatched, QEvent *aEvent) override
    {
        if (aEvent->type() == QEvent::PaletteChange)
            if (auto *button = qobject_cast<QAbstractButton *>(aWatched))
                button->setIcon(m_make());
        return QObject::eventFilter(aWatched, aEvent);
    }

private:
    std::function<QIcon()> m_make;
};

} // namespace

void ppSetGlyphIcon(QAbstractButton &aButton, std::function<QIcon()> aMake)
{
    aButton.setIcon(aMake());
    new GlyphRedraw(aButton, std::move(aMake));
}

} // namespace report
