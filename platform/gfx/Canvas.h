#pragma once

// A drawing surface with the semantics of the platform's device context:
// rectangles exclude their right and bottom edges, lines exclude their end
// point, 3-D edges, focus rectangles and text flags behave as the component
// code expects. It paints on any QPaintDevice (a widget, a QImage) through a
// QPainter with antialiasing off and integer coordinates throughout.

#include "platform/gfx/Colors.h"
#include "platform/gfx/GdiObjects.h"
#include "platform/gfx/ImageList.h"
#include "platform/gfx/TextLayout.h"
#include "platform/gfx/TextMeasurer.h"
#include "platform/rtl/Types.h"

#include <QFont>
#include <QPainter>
#include <QRect>
#include <QRegion>
#include <QStringView>

#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

class QPaintDevice;
class QPixmap;
class QImage;

namespace gfx {

class ShapedLine;

// DrawText: lines are spaced by the font's external leading too.
constexpr unsigned DT_EXTERNALLEADING = 0x200;

// QRect's right() and bottom() are inclusive; TRect's edges are not.
QRect ToQRect(const rtl::TRect &rect);
rtl::TRect FromQRect(const QRect &rect);

class Canvas
{
public:
    // Paints on device for the canvas's lifetime. Without a measurer, text is
    // measured with the real fonts at the device's resolution.
    explicit Canvas(QPaintDevice *device, const TextMeasurer *measurer = nullptr);
    // Paints through a painter that is already active (a paint event's);
    // the painter's state is restored when the canvas goes.
    explicit Canvas(QPainter &painter, const TextMeasurer *measurer = nullptr);
    ~Canvas();
    Canvas(const Canvas &) = delete;
    Canvas &operator=(const Canvas &) = delete;

    // The underlying painter with the canvas's clipping applied, for drawing
    // the canvas has no operation for.
    QPainter &painter();
    const TextMeasurer &measurer() const;
    void setMeasurer(const TextMeasurer *measurer); // nullptr: the real fonts
    // Called before each drawing operation, as a device's canvas needs to
    // fit a font, pen or brush set since the last one to the device.
    void setChangingHook(std::function<void()> hook) { m_changing = std::move(hook); }
    // System colours are resolved through this table rather than the one the
    // desktop set: what is printed must not change with the screen's colours.
    void setSystemColors(const rtl::SystemColors &colors) { m_systemColors = colors; }
    // A colour as this canvas draws it: opaque, system colours resolved
    // through its table.
    QColor resolved(rtl::TColor color) const;

    // ---- Selected objects and text colours (changed in place) ----
    Font &font() { return m_state.font; }
    Pen &pen() { return m_state.pen; }
    Brush &brush() { return m_state.brush; }
    const Font &font() const { return m_state.font; }
    const Pen &pen() const { return m_state.pen; }
    const Brush &brush() const { return m_state.brush; }
    void setFont(const Font &font) { m_state.font = font; }
    void setPen(const Pen &pen) { m_state.pen = pen; }
    void setBrush(const Brush &brush) { m_state.brush = brush; }
    // The text colour is the font's colour.
    rtl::TColor textColor() const { return m_state.font.color; }
    rtl::TColor setTextColor(rtl::TColor color); // answers the previous one
    rtl::TColor bkColor() const { return m_state.bkColor; }
    rtl::TColor setBkColor(rtl::TColor color); // answers the previous one
    BkMode bkMode() const { return m_state.bkMode; }
    BkMode setBkMode(BkMode mode); // answers the previous one
    rtl::TPoint brushOrigin() const { return m_state.brushOrigin; }
    void setBrushOrigin(rtl::TPoint origin) { m_state.brushOrigin = origin; }
    rtl::TPoint penPos() const { return m_state.penPos; }

    // ---- State stack ----
    // Saves font, pen, brush, colours, modes, pen position and clipping;
    // answers the new depth.
    int SaveDC();
    // A positive level returns to the state of that SaveDC; -1 to the last
    // one. False when there is no such level.
    bool RestoreDC(int level = -1);

    // ---- Clipping (device coordinates) ----
    int IntersectClipRect(const rtl::TRect &rect);
    int ExcludeClipRect(const rtl::TRect &rect);
    // No region: no clipping by the canvas.
    int SelectClipRgn(const std::optional<QRegion> &region);
    int SelectClipRect(const rtl::TRect &rect) { return SelectClipRgn(QRegion(ToQRect(rect))); }
    // The bounding box of what can be painted.
    rtl::TRect ClipBox() const;
    bool RectVisible(const rtl::TRect &rect) const;

    // ---- Areas ----
    void FillRect(const rtl::TRect &rect); // with the current brush
    void FillRect(const rtl::TRect &rect, const Brush &brush);
    void FrameRect(const rtl::TRect &rect); // one pixel, current brush
    void FrameRect(const rtl::TRect &rect, const Brush &brush);
    void InvertRect(const rtl::TRect &rect);
    // Dotted, alternate pixels, combined by xor: drawing it twice restores.
    void DrawFocusRect(const rtl::TRect &rect);
    // Draws the edges and, with BF_ADJUST, shrinks rect by what was drawn.
    bool DrawEdge(rtl::TRect &rect, unsigned edge, unsigned flags);
    bool DrawEdge(const rtl::TRect &rect, unsigned edge, unsigned flags);
    bool DrawFrameControl(const rtl::TRect &rect, unsigned type, unsigned state);

    // ---- Shapes: outline with the pen inside the rectangle, filled with the brush ----
    void Rectangle(const rtl::TRect &rect);
    void Ellipse(const rtl::TRect &rect);
    void RoundRect(const rtl::TRect &rect, int cornerWidth, int cornerHeight);
    void Polygon(const std::vector<rtl::TPoint> &points);
    // Lines through the points; the last point is not drawn.
    void Polyline(const std::vector<rtl::TPoint> &points);
    void MoveTo(int x, int y);
    // From the pen position to (x, y), that point excluded; the pen moves there.
    void LineTo(int x, int y);
    void SetPixel(int x, int y, rtl::TColor color);

    // ---- Text ----
    // Every routine takes Unicode (QStringView) or the application's
    // Windows-1252 bytes (std::string_view), which draw as the characters
    // they stand for.
    //
    // Answers the height of the text (see TextLayout::result). With
    // DT_CALCRECT nothing is drawn and rect receives the needed rectangle.
    // The font's orientation is not applied here; rotated text goes through
    // ExtTextOut.
    int DrawText(QStringView text, rtl::TRect &rect, unsigned format);
    int DrawText(QStringView text, const rtl::TRect &rect, unsigned format);
    int DrawText(std::string_view text, rtl::TRect &rect, unsigned format);
    int DrawText(std::string_view text, const rtl::TRect &rect, unsigned format);
    // (x, y) is the top-left of the text before rotation. The background
    // follows the background mode; ETO_OPAQUE fills rect with the background
    // colour, ETO_CLIPPED clips to it.
    void ExtTextOut(int x, int y, unsigned options, const rtl::TRect *rect, QStringView text);
    void ExtTextOut(int x, int y, unsigned options, const rtl::TRect *rect, std::string_view text);
    void TextOut(int x, int y, QStringView text) { ExtTextOut(x, y, 0, nullptr, text); }
    void TextOut(int x, int y, std::string_view text) { ExtTextOut(x, y, 0, nullptr, text); }
    // Tab stops are measured from x: none = every 8 average characters, one
    // = that distance, several = those positions. Answers the width drawn.
    int TabbedTextOut(int x, int y, QStringView text, const std::vector<int> &tabStops = {});
    int TabbedTextOut(int x, int y, std::string_view text, const std::vector<int> &tabStops = {});
    int TabbedTextWidth(QStringView text, const std::vector<int> &tabStops = {}) const;
    int TabbedTextWidth(std::string_view text, const std::vector<int> &tabStops = {}) const;
    int TextWidth(QStringView text) const;
    int TextWidth(std::string_view text) const;
    int TextHeight(QStringView text) const;
    int TextHeight(std::string_view text) const;
    rtl::TSize TextExtent(QStringView text) const;
    rtl::TSize TextExtent(std::string_view text) const;
    TextMetrics GetTextMetrics() const;
    // Extra pixels spread over the blanks of the next text drawn.
    void SetTextJustification(int extra, int breakCount);
    // The text shaped once with the current font, for TextWidth and
    // TextOut/ExtTextOut alike; null where that would not draw or measure
    // exactly as they do: a measurer other than the device's real fonts, a
    // rotated, underlined or struck-out font, or a text with tabs, line
    // breaks, control characters or soft hyphens.
    std::shared_ptr<const ShapedLine> ShapeLine(QStringView text);
    // As ExtTextOut(x, y, aClip ? ETO_CLIPPED : 0, aClip, line.text()) with
    // a transparent background. The text pen stays on the painter until
    // something else is drawn: a page of texts changes it once.
    void DrawShapedLine(int x, int y, const ShapedLine &line, const rtl::TRect *clip = nullptr);
    QPaintDevice *device() const { return m_device; }

    // ---- Images ----
    void BitBlt(int x, int y, int width, int height, const QImage &source, int srcX, int srcY,
                RasterOp rop = RasterOp::SrcCopy);
    void BitBlt(int x, int y, int width, int height, const QPixmap &source, int srcX, int srcY,
                RasterOp rop = RasterOp::SrcCopy);
    void StretchDraw(const rtl::TRect &rect, const QImage &image, RasterOp rop = RasterOp::SrcCopy);
    void StretchDraw(const rtl::TRect &rect, const QPixmap &pixmap, RasterOp rop = RasterOp::SrcCopy);
    void Draw(int x, int y, const QImage &image); // with the image's alpha
    // One glyph of an image list in the list's drawing style (or the given
    // one); nothing for an index outside the list.
    void DrawImage(const ImageList &list, int index, int x, int y, bool enabled = true);
    void DrawImage(const ImageList &list, int index, int x, int y, ImageDrawStyle style, bool enabled = true);

private:
    struct State
    {
        Font font;
        Pen pen;
        Brush brush;
        rtl::TColor bkColor = rtl::clWhite;
        BkMode bkMode = BkMode::Opaque;
        rtl::TPoint brushOrigin;
        rtl::TPoint penPos;
        std::optional<QRegion> clip;
        int justifyExtra = 0;
        int justifyBreaks = 0;
    };

    void init();
    void changing()
    {
        if (m_changing)
            m_changing();
    }
    void applyClip();
    QRegion deviceRegion() const;
    QRegion effectiveClip() const;
    int regionKind() const;
    void withTemporaryClip(const QRegion &extra, const std::function<void()> &draw);
    void fillRegion(const QRegion &area, const Brush &brush);
    void fillRects(const std::vector<QRect> &rects, const QColor &color, QPainter::CompositionMode mode);
    void xorRegion(const QRegion &area, const QImage &tile);
    void drawLinePixels(int x0, int y0, int x1, int y1, bool includeEnd);
    QPen qtPen() const;
    QBrush qtBrush(const Brush &brush) const;
    void strokeShape(const std::function<void(QPainter &)> &draw);
    void drawEdgeRing(const rtl::TRect &r, unsigned sides, rtl::TColor lt, rtl::TColor rb);
    void drawTextRun(int x, int y, QStringView text, int underline, int tabWidth);
    // Fills m_fontCache for the current font.
    void cacheDrawingFont();
    // The measurer measures with the real fonts at the device's resolution.
    bool measuresWithDeviceFonts() const;
    // Draws text spreading the justification over its blanks; answers the
    // width drawn.
    int drawSpreadRun(int x, int y, QStringView text, int &seen);
    void blit(const QRect &target, const QImage &source, const QRect &sourceRect, RasterOp rop);

    QPaintDevice *m_device = nullptr;
    std::unique_ptr<QPainter> m_ownPainter;
    QPainter *m_painter = nullptr;
    const TextMeasurer *m_measurer = nullptr;
    std::unique_ptr<TextMeasurer> m_defaultMeasurer;
    State m_state;
    std::vector<State> m_saved;
    std::optional<QRegion> m_baseClip;
    struct FontCache
    {
        Font key;
        QFont qfont;
        int ascent = 0;
    };
    std::optional<FontCache> m_fontCache;
    bool m_clipDirty = true;
    // The painter's pen is a text colour a shaped line left there; anything
    // else drawing through the painter finds no pen.
    bool m_textPen = false;
    // Shaped lines drawn one after another in one font and colour, gathered
    // into one glyph run: a PDF writes a text object, its colour and its font
    // once for all of them. Drawn before anything else touches the painter.
    struct PendingGlyphs;
    std::shared_ptr<PendingGlyphs> m_pendingGlyphs;
    void flushGlyphs();
    void setPainterClip();
    std::function<void()> m_changing;
    std::optional<rtl::SystemColors> m_systemColors;
};

} // namespace gfx
