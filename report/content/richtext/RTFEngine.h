#pragma once

// TppRTFEngine: measuring and drawing a rich edit's text on a device. Every
// operation holds the library's rich-text lock for its whole run, because
// the documents it lays out are shared with the search and preview code.
//
// The text is laid out in pixels of 96 per inch with the fonts' design
// metrics, so a page breaks its lines the same at every resolution: the
// screen and the printer show the same lines. A device rectangle becomes a
// rectangle in twips, the left edge moved in by the 45-twip inset the text
// always had.

#include "platform/rtl/Colors.h"
#include "platform/rtl/Types.h"

#include <cstdint>

class QMutex;
class QPainter;

namespace richedit {
class RichEdit;
}

namespace report {

// What the engine measures for or draws on: the device's resolution and,
// to draw, its painter. A printer gives the descent of the largest font to
// the heights the engine works out.
struct TppRTFDeviceContext
{
    QPainter *Painter = nullptr;
    int PixelsPerInchX = 96;
    int PixelsPerInchY = 96;
    bool Printer = false;
};

// Character positions: cpMax < 0 stands for the end of the text.
struct TppCharRange
{
    int cpMin = 0;
    int cpMax = -1;
};

// The library's rich-text lock.
QMutex &ppRichTextLock();

class TppRTFEngine
{
public:
    // Lays the range out in aRect (device pixels) from cpMin on, whole lines
    // only, and draws it when aRender; the first position not laid out.
    static int FormatRange(richedit::RichEdit &aRichEdit, const TppRTFDeviceContext &aDC, bool aRender,
                           TppCharRange aCharRange, const rtl::TRect &aRect, const TppRTFDeviceContext &aTargetDC);
    static int Render(richedit::RichEdit &aRichEdit, const TppRTFDeviceContext &aDC, TppCharRange aCharRange,
                      const rtl::TRect &aRect, const TppRTFDeviceContext &aTargetDC);
    // Whether the range fits aRect; the height it takes (device pixels) and,
    // when it does not fit, the last position that does.
    static bool Fit(richedit::RichEdit &aRichEdit, const TppRTFDeviceContext &aDC, int &aHeightUsed, int &aLastChar,
                    const rtl::TRect &aRect, TppCharRange aCharRange);
    static int CalcHeight(richedit::RichEdit &aRichEdit, const TppRTFDeviceContext &aDC, const rtl::TRect &aRect,
                          TppCharRange aCharRange);
    static int CalcLineHeight(richedit::RichEdit &aRichEdit, const TppRTFDeviceContext &aDC, TppCharRange aCharRange);
    // Gives the selection the back colour; the colour it had, as a search
    // highlighter puts it back (aPlain False: the control's own colour).
    static rtl::TColor SetSelBackColor(richedit::RichEdit &aRichEdit, rtl::TColor aColor, bool &aPlain);

    // The formatting rectangle in twips for a device rectangle.
    static rtl::TRect FormatRect(const rtl::TRect &aRect, int aPixelsPerInchX, int aPixelsPerInchY);
    // A length in thousandths of a millimetre as device pixels, the one way
    // the controls and the devices size a rich text: what was measured on a
    // page is drawn in a rectangle of the same size.
    static int MMToPixels(int64_t aMMThousandths, int aPixelsPerInch);
};

} // namespace report
