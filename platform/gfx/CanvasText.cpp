#include "platform/gfx/Canvas.h"

#include "platform/gfx/CanvasPrivate.h"
#include "platform/rtl/QtText.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>

namespace gfx {

using rtl::TRect;

// Draws one line of text with its top-left at (x, y) in the current painter
// coordinates; positions of tab stops and the accelerator underline come
// from the measurer so that they agree with the layout.
void Canvas::drawTextRun(int x, int y, QStringView text, int underline, int tabWidth)
{
    if (text.isEmpty())
        return;
    applyClip();
    QPainter &p = *m_painter;
    cacheDrawingFont();
    // Setting a font hands the painter a copy that looks its font engine up
    // again for the next text; the font it has already does not.
    if (!(p.font() == m_fontCache->qfont))
        p.setFont(m_fontCache->qfont);
    p.setPen(resolved(m_state.font.color));
    const int baseline = y + m_fontCache->ascent;
    const Font &font = m_state.font;

    int cx = x;
    qsizetype start = 0;
    while (start <= text.size()) {
        const qsizetype tab = tabWidth > 0 ? text.indexOf(u'\t', start) : -1;
        const QStringView piece = tab < 0 ? text.sliced(start) : text.sliced(start, tab - start);
        if (!piece.isEmpty())
            p.drawText(QPoint(cx, baseline), piece.toString());
        if (tab < 0)
            break;
        cx += m_measurer->textWidth(font, piece);
        cx = x + ((cx - x) / tabWidth + 1) * tabWidth;
        start = tab + 1;
    }
    if (underline >= 0 && underline < text.size()) {
        const int ux = x + m_measurer->textWidth(font, text.first(underline));
        const int uw = m_measurer->textWidth(font, text.sliced(underline, CharLength(text, underline)));
        p.fillRect(QRect(ux, baseline + 1, uw, 1), resolved(m_state.font.color));
    }
    // Left for the next text; painter() takes it away for other drawing.
    m_textPen = true;
}

void Canvas::cacheDrawingFont()
{
    // Resolving a QFont is costly; cells and tabs mostly repeat the last one.
    if (!m_fontCache || m_fontCache->key != m_state.font) {
        const int dpi = m_device ? m_device->logicalDpiY() : 96;
        QFont qf = ToQFont(m_state.font, dpi);
        // Loading a font anew is costly, and a canvas of a page lives as long
        // as the page: a measurer of this resolution knows the same ascent.
        const int ascent = qf.pixelSize() > 0 && measuresWithDeviceFonts() ? m_measurer->metrics(m_state.font).ascent
                                                                            : QFontMetrics(qf, m_device).ascent();
        m_fontCache = FontCache{m_state.font, qf, ascent};
    }
}

int Canvas::drawSpreadRun(int x, int y, QStringView text, int &seen)
{
    // The extra pixels go to the blanks, the first blanks taking the
    // remainder; seen counts the blanks of the line passed so far.
    const int breaks = m_state.justifyBreaks;
    const int extra = breaks > 0 ? m_state.justifyExtra : 0;
    int cx = x;
    qsizetype start = 0;
    while (true) {
        const qsizetype blank = text.indexOf(u' ', start);
        const QStringView word = blank < 0 ? text.sliced(start) : text.sliced(start, blank - start + 1);
        drawTextRun(cx, y, word, -1, 0);
        cx += m_measurer->textWidth(m_state.font, word);
        if (blank < 0)
            break;
        if (seen < breaks)
            cx += extra / breaks + (seen < extra % breaks ? 1 : 0);
        ++seen;
        start = blank + 1;
    }
    return cx - x;
}

namespace {

// Lines spaced by the font's external leading as well as its height.
class CanvasLeadingMeasurer : public TextMeasurer
{
public:
    explicit CanvasLeadingMeasurer(const TextMeasurer &inner)
        : m_inner(inner)
    {}
    TextMetrics metrics(const Font &font) const override
    {
        TextMetrics m = m_inner.metrics(font);
        m.height += m.externalLeading;
        m.descent += m.externalLeading;
        return m;
    }

protected:
    int width(const Font &font, QStringView text) const override { return m_inner.textWidth(font, text); }

private:
    const TextMeasurer &m_inner;
};

} // namespace

int Canvas::DrawText(QStringView text, TRect &rect, unsigned format)
{
    changing();
    const TextLayout layout =
        (format & DT_EXTERNALLEADING)
            ? LayoutText(CanvasLeadingMeasurer(*m_measurer), m_state.font, text, rect, format & ~DT_EXTERNALLEADING)
            : LayoutText(*m_measurer, m_state.font, text, rect, format);
    if (format & DT_CALCRECT) {
        rect = layout.calcRect;
        return layout.result;
    }
    auto draw = [&]() {
        for (const TextLine &line : layout.lines) {
            if (m_state.bkMode == BkMode::Opaque && line.width > 0)
                fillRects({QRect(line.x, line.y, line.width, layout.lineHeight)}, resolved(m_state.bkColor),
                          QPainter::CompositionMode_SourceOver);
            drawTextRun(line.x, line.y, line.text, line.underline, line.tabWidth);
        }
    };
    if (format & DT_NOCLIP)
        draw();
    else
        withTemporaryClip(QRegion(rect.IsEmpty() ? QRect() : ToQRect(rect)), draw);
    return layout.result;
}

int Canvas::DrawText(QStringView text, const TRect &rect, unsigned format)
{
    changing();
    TRect copy = rect;
    return DrawText(text, copy, format);
}

int Canvas::DrawText(std::string_view text, TRect &rect, unsigned format)
{
    changing();
    return DrawText(rtl::ToQString(text), rect, format);
}

int Canvas::DrawText(std::string_view text, const TRect &rect, unsigned format)
{
    changing();
    return DrawText(rtl::ToQString(text), rect, format);
}

void Canvas::ExtTextOut(int x, int y, unsigned options, const TRect *rect, std::string_view text)
{
    changing();
    ExtTextOut(x, y, options, rect, rtl::ToQString(text));
}

void Canvas::ExtTextOut(int x, int y, unsigned options, const TRect *rect, QStringView text)
{
    changing();
    if (rect && (options & ETO_OPAQUE) && !rect->IsEmpty())
        fillRects({ToQRect(*rect)}, resolved(m_state.bkColor), QPainter::CompositionMode_SourceOver);
    auto draw = [&]() {
        QPainter &p = *m_painter;
        const bool rotated = m_state.font.orientation % 3600 != 0;
        int lx = x;
        int ly = y;
        if (rotated) {
            p.save();
            p.translate(x, y);
            // Orientation turns counter-clockwise on screen; y grows downwards.
            p.rotate(-m_state.font.orientation / 10.0);
            lx = 0;
            ly = 0;
        }
        const int extra = m_state.justifyBreaks > 0 ? m_state.justifyExtra : 0;
        // Measuring shapes the text again: only an opaque background needs it.
        if (m_state.bkMode == BkMode::Opaque) {
            const int width = m_measurer->textWidth(m_state.font, text) + extra;
            if (width > 0)
                p.fillRect(QRect(lx, ly, width, m_measurer->metrics(m_state.font).height),
                           resolved(m_state.bkColor));
        }
        if (extra != 0 && text.contains(u' ')) {
            int seen = 0;
            drawSpreadRun(lx, ly, text, seen);
        } else {
            drawTextRun(lx, ly, text, -1, 0);
        }
        if (rotated)
            p.restore();
    };
    if (rect && (options & ETO_CLIPPED))
        withTemporaryClip(QRegion(rect->IsEmpty() ? QRect() : ToQRect(*rect)), draw);
    else {
        applyClip();
        draw();
    }
}

namespace {

// The next tab stop after pos: no stops means every eight average
// characters, one stop is the distance between stops, more are positions;
// past the last position the default distance applies again.
int nextTabStop(int pos, const std::vector<int> &stops, int defaultWidth)
{
    if (stops.size() == 1 && stops[0] > 0)
        return (pos / stops[0] + 1) * stops[0];
    if (stops.size() > 1)
        for (int stop : stops)
            if (stop > pos)
                return stop;
    return (pos / defaultWidth + 1) * defaultWidth;
}

} // namespace

template <typename Piece>
static int walkTabs(QStringView text, const std::vector<int> &stops, int defaultWidth, const TextMeasurer &measurer,
                    const Font &font, Piece &&piece)
{
    int pos = 0;
    qsizetype start = 0;
    while (true) {
        const qsizetype tab = text.indexOf(u'\t', start);
        const QStringView part = tab < 0 ? text.sliced(start) : text.sliced(start, tab - start);
        piece(pos, part);
        pos += measurer.textWidth(font, part);
        if (tab < 0)
            return pos;
        pos = nextTabStop(pos, stops, defaultWidth);
        start = tab + 1;
    }
}

int Canvas::TabbedTextWidth(QStringView text, const std::vector<int> &tabStops) const
{
    const int defaultWidth = 8 * std::max(1, m_measurer->metrics(m_state.font).avgCharWidth);
    return walkTabs(text, tabStops, defaultWidth, *m_measurer, m_state.font, [](int, QStringView) {});
}

int Canvas::TabbedTextWidth(std::string_view text, const std::vector<int> &tabStops) const
{
    return TabbedTextWidth(rtl::ToQString(text), tabStops);
}

int Canvas::TabbedTextOut(int x, int y, std::string_view text, const std::vector<int> &tabStops)
{
    changing();
    return TabbedTextOut(x, y, rtl::ToQString(text), tabStops);
}

int Canvas::TabbedTextOut(int x, int y, QStringView text, const std::vector<int> &tabStops)
{
    changing();
    const int width = TabbedTextWidth(text, tabStops);
    applyClip();
    if (m_state.bkMode == BkMode::Opaque && width > 0)
        fillRects({QRect(x, y, width, m_measurer->metrics(m_state.font).height)}, resolved(m_state.bkColor),
                  QPainter::CompositionMode_SourceOver);
    const int defaultWidth = 8 * std::max(1, m_measurer->metrics(m_state.font).avgCharWidth);
    const int breaks = m_state.justifyBreaks;
    const int extra = breaks > 0 ? m_state.justifyExtra : 0;
    if (extra == 0 || !text.contains(u' ')) {
        walkTabs(text, tabStops, defaultWidth, *m_measurer, m_state.font,
                 [&](int pos, QStringView part) { drawTextRun(x + pos, y, part, -1, 0); });
        return width;
    }
    // A justification spreads over the blanks of the whole line, as in
    // ExtTextOut; the tab stops are found from where the spread text ends.
    int pos = 0;
    int seen = 0;
    qsizetype start = 0;
    while (true) {
        const qsizetype tab = text.indexOf(u'\t', start);
        const QStringView part = tab < 0 ? text.sliced(start) : text.sliced(start, tab - start);
        pos += drawSpreadRun(x + pos, y, part, seen);
        if (tab < 0)
            break;
        pos = nextTabStop(pos, tabStops, defaultWidth);
        start = tab + 1;
    }
    return pos;
}

int Canvas::TextWidth(QStringView text) const
{
    return m_measurer->textWidth(m_state.font, text);
}

int Canvas::TextWidth(std::string_view text) const
{
    return m_measurer->textWidth(m_state.font, text);
}

int Canvas::TextHeight(QStringView) const
{
    return m_measurer->metrics(m_state.font).height;
}

int Canvas::TextHeight(std::string_view) const
{
    return m_measurer->metrics(m_state.font).height;
}

rtl::TSize Canvas::TextExtent(QStringView text) const
{
    return rtl::TSize{TextWidth(text), TextHeight(text)};
}

rtl::TSize Canvas::TextExtent(std::string_view text) const
{
    return TextExtent(rtl::ToQString(text));
}

TextMetrics Canvas::GetTextMetrics() const
{
    return m_measurer->metrics(m_state.font);
}

void Canvas::SetTextJustification(int extra, int breakCount)
{
    m_state.justifyExtra = breakCount > 0 ? extra : 0;
    m_state.justifyBreaks = std::max(0, breakCount);
}

} // namespace gfx
