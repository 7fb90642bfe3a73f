#pragma once

// Class-level services of plain multi-line text: wrapping into a rectangle,
// tabbed widths, justification of a line and line heights on a device.

#include "report/model/base/Types.h"

#include "platform/gfx/GdiObjects.h"
#include "platform/rtl/Types.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace gfx {
class Canvas;
}

namespace report {

class TppCustomPrinter;

class TppPlainText
{
public:
    // The most tab positions a tabbed width takes.
    static constexpr int MaxTabStops = 100;

    // Wraps aText into aRect (thousandths of a millimetre) measured on aDevice
    // (nullptr: the screen). aStartPosition is the number of characters
    // already placed and, on return, where the text continues. Answers the
    // line height in thousandths of a millimetre.
    static int32_t WordWrap(const QString &aText, const rtl::TRect &aRect, TppTextAlignment aAlignment, bool aWiden,
                            const gfx::Font &aFont, bool aCharWrap, int32_t aLeading, const QStringList &aTabStops,
                            TppCustomPrinter *aDevice, qsizetype &aStartPosition, QStringList &aLines);

    // The width in pixels of a line drawn with the first aTabCount tab stops
    // (pixels) on the canvas's font.
    static int GetTabbedTextWidth(const gfx::Canvas &aCanvas, const QString &aText, int aTabCount,
                                  const std::vector<int> &aTabStops);
    // Sets the canvas's justification so that aLine fills aRect (pixels); a
    // line without blanks is spread a blank between every two characters.
    static void JustifyLine(gfx::Canvas &aCanvas, const rtl::TRect &aRect, QString &aLine, int aTabCount,
                            const std::vector<int> &aTabStops);
    // Tab stops (thousandths of a millimetre) in pixels of unit type 0
    // (screen) or 3 (printer, aDevice's resolution), truncated; other unit
    // types give none, texts that are not integers are skipped.
    static void GetTabStopArray(TppUnitType aUnitType, const QStringList &aTabStops, std::vector<int> &aArray,
                                int &aCount, TppCustomPrinter *aDevice);
    // The font's height on the device plus the leading, in thousandths of a
    // millimetre into aLineHeight; answers how many such lines fit
    // aAvailableHeight (0 when the line height is not positive).
    static int LineHeight(const gfx::Font &aFont, int32_t aLeading, int32_t aAvailableHeight, TppCustomPrinter *aDevice,
                          int32_t &aLineHeight);
    static QString RemoveAll(const QString &aText, const QString &aPart);
};

} // namespace report
