#pragma once

// TppCommandRenderer: how each kind of draw command is painted on a canvas
// whose page origin, scale and resolution the caller gives. The screen
// device renders through it at any zoom; a device that draws at its own
// resolution without zoom (a printer) uses the same routines with its own
// settings. One routine per command kind, and nothing else draws them.

#include "report/model/base/Types.h"
#include "report/model/base/Units.h"

#include "platform/rtl/Types.h"

#include <QString>

#include <vector>

namespace gfx {
class Canvas;
}

namespace report {

class TppDrawCommand;
class TppDrawImage;
class TppDrawLine;
class TppDrawShape;
class TppDrawText;

struct TppRenderSettings
{
    // Pixels per inch of the canvas on each axis.
    int pixelsPerInchX = 96;
    int pixelsPerInchY = 96;
    // Where page position 0 lies on the canvas, in pixels.
    int offsetX = 0;
    int offsetY = 0;
    // The page as drawn / the page at 100 %.
    double scaleX = 1.0;
    double scaleY = 1.0;
    // Screen fonts: names pass through the device font substitution.
    bool substituteFonts = true;
    // Memos shrink their font and leading until their lines fit.
    bool fitMemos = true;
    // Texts keep what was drawn (font height, line height, width) for the
    // search highlighters.
    bool recordScreenMetrics = true;
};

class TppCommandRenderer
{
public:
    TppCommandRenderer(gfx::Canvas &aCanvas, const TppRenderSettings &aSettings);

    gfx::Canvas &Canvas() const { return m_canvas; }
    const TppRenderSettings &Settings() const { return m_settings; }

    // Fills the command's DrawLeft, DrawTop, DrawRight and DrawBottom.
    void CalcDrawRect(TppDrawCommand &aCommand) const;

    void DrawText(TppDrawText &aCommand);
    void DrawShape(TppDrawShape &aCommand);
    void DrawLine(TppDrawLine &aCommand);
    void DrawImage(TppDrawImage &aCommand);
    void DirectDrawImage(TppDrawImage &aCommand);

    // A length in thousandths of a millimetre in the canvas's pixels at
    // 100 %, truncated.
    int ToPixels(int32_t aMM, TppAxisType aAxis) const;
    int32_t ToMM(int aPixels, TppAxisType aAxis) const;

    // The one-pixel strokes of a line command, each from (x1, y1) to (x2, y2)
    // without that end point, as the canvas's LineTo draws it. Its draw
    // rectangle must be calculated.
    struct Stroke
    {
        int x1 = 0;
        int y1 = 0;
        int x2 = 0;
        int y2 = 0;
    };
    std::vector<Stroke> LineStrokes(const TppDrawLine &aCommand) const;

private:
    int lineHeight(const TppDrawText &aCommand) const;
    void fitMemo(const TppDrawText &aCommand, const rtl::TRect &aRect, const std::vector<int> &aTabStops,
                 int &aLineHeight, int &aLastLine);

    gfx::Canvas &m_canvas;
    TppRenderSettings m_settings;
};

} // namespace report
