#pragma once

// Where plain text is measured: a printer's canvas in printer pixels, or,
// without a printer (the screen), a bitmap's canvas in screen pixels. Lengths
// cross over in thousandths of a millimetre.

#include "report/model/base/Types.h"
#include "report/model/base/Units.h"

#include "platform/gfx/GdiObjects.h"

#include <QStringView>

#include <vector>

namespace gfx {
class Canvas;
}

namespace report {

class TppCustomPrinter;

class TppTextDevice
{
public:
    explicit TppTextDevice(TppCustomPrinter *aPrinter);

    gfx::Canvas &Canvas() { return *m_canvas; }
    TppCustomPrinter *Printer() const { return m_printer; }
    // 3 (printer pixels) with a printer, else 0 (screen pixels).
    TppUnitType PixelUnits() const { return m_units; }
    void SetFont(const gfx::Font &aFont);

    int32_t ToMM(int aPixels, TppAxisType aAxis) const;
    // Truncated toward zero.
    int ToPixels(int32_t aMM, TppAxisType aAxis) const;

    // The height of a line of the current font (ascent and descent at the
    // device's resolution) plus the leading, in thousandths of a mm. Fitting
    // and counting lines both take this one value, so that the lines a
    // rectangle was filled with always add up to no more than it.
    int32_t LineHeightMM(int32_t aLeading) const;

    // Widths in thousandths of a millimetre; tab stops in pixels.
    int32_t TextWidthMM(QStringView aText, bool aTabbed, const std::vector<int> &aTabStops) const;

private:
    TppCustomPrinter *m_printer = nullptr;
    gfx::Canvas *m_canvas = nullptr;
    TppUnitType m_units = TppUnitType::utScreenPixels;
};

} // namespace report
