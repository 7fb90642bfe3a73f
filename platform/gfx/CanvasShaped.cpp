#include "platform/gfx/Canvas.h"

#include "platform/gfx/CanvasPrivate.h"
#include "platform/gfx/ShapedLine.h"

#include <QPaintDevice>
#include <QRawFont>
#include <QTextLine>
#include <QTextOption>

#include <typeinfo>

namespace gfx {

ShapedLine::ShapedLine(const QString &text, const QFont &font, QPaintDevice *device, Qt::LayoutDirection direction,
                       int ascent)
    : m_layout(text, font, device)
    , m_ascent(ascent)
{
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    // As QPainter::drawText takes the painter's direction.
    option.setTextDirection(direction);
    m_layout.setTextOption(option);
    // Without the cache the layout drops its glyphs at its end and would
    // shape the text again to draw it.
    m_layout.setCacheEnabled(true);
    m_layout.beginLayout();
    const QTextLine line = m_layout.createLine();
    m_layout.endLayout();
    // Rounded as QFontMetrics rounds the same advances.
    m_width = line.isValid() ? qRound(line.horizontalAdvance()) : 0;
}

const QList<QGlyphRun> &ShapedLine::glyphRuns() const
{
    if (!m_glyphRuns)
        m_glyphRuns = m_layout.glyphRuns();
    return *m_glyphRuns;
}

struct Canvas::PendingGlyphs
{
    QRawFont font;
    QColor color;
    QList<quint32> glyphs;
    QList<QPointF> positions;
};

void Canvas::flushGlyphs()
{
    if (!m_pendingGlyphs || m_pendingGlyphs->glyphs.isEmpty())
        return;
    PendingGlyphs &pending = *m_pendingGlyphs;
    QGlyphRun run;
    run.setRawFont(pending.font);
    run.setGlyphIndexes(pending.glyphs);
    run.setPositions(pending.positions);
    m_painter->setPen(pending.color);
    m_textPen = true;
    m_painter->drawGlyphRun(QPointF(0, 0), run);
    pending.glyphs.clear();
    pending.positions.clear();
}

namespace {

// Characters a layout treats otherwise than a drawn line of text: breaks,
// tabs, controls (QFontMetrics stops measuring at U+009C), soft hyphens.
bool canvasLaysOutAlike(QStringView text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7f && u <= 0x9f) || u == 0xad || u == 0x2028 || u == 0x2029)
            return false;
    }
    return true;
}

} // namespace

bool Canvas::measuresWithDeviceFonts() const
{
    return m_device && typeid(*m_measurer) == typeid(QtTextMeasurer) &&
           static_cast<const QtTextMeasurer *>(m_measurer)->dpiY() == m_device->logicalDpiY();
}

std::shared_ptr<const ShapedLine> Canvas::ShapeLine(QStringView text)
{
    changing();
    const Font &font = m_state.font;
    if (text.isEmpty() || font.orientation % 3600 != 0 || (font.style & (fsUnderline | fsStrikeOut)) ||
        !canvasLaysOutAlike(text))
        return nullptr;
    // Only the real fonts' measurer measures what the layout does; a
    // fixed-width one (tests) keeps its own widths.
    if (!measuresWithDeviceFonts())
        return nullptr;
    cacheDrawingFont();
    if (m_fontCache->qfont.pixelSize() <= 0)
        return nullptr;
    return std::make_shared<const ShapedLine>(text.toString(), m_fontCache->qfont, m_device,
                                              m_painter->layoutDirection(), m_fontCache->ascent);
}

void Canvas::DrawShapedLine(int x, int y, const ShapedLine &line, const rtl::TRect *clip)
{
    changing();
    // A background or a justification to spread: ExtTextOut knows them.
    if (m_state.bkMode == BkMode::Opaque ||
        (m_state.justifyBreaks > 0 && m_state.justifyExtra != 0 && line.text().contains(u' '))) {
        ExtTextOut(x, y, clip ? ETO_CLIPPED : 0, clip, line.text());
        return;
    }
    const QColor color = resolved(m_state.font.color);
    if (!clip) {
        const QList<QGlyphRun> &runs = line.glyphRuns();
        // One font, no lines through or under it: its glyphs join the others.
        if (runs.size() == 1 && !runs.front().overline() && !runs.front().underline() &&
            !runs.front().strikeOut() && runs.front().rawFont().isValid()) {
            const QGlyphRun &run = runs.front();
            if (!m_pendingGlyphs)
                m_pendingGlyphs = std::make_shared<PendingGlyphs>();
            PendingGlyphs &pending = *m_pendingGlyphs;
            if (!pending.glyphs.isEmpty() && (pending.font != run.rawFont() || pending.color != color))
                flushGlyphs();
            if (m_clipDirty) {
                flushGlyphs();
                setPainterClip();
            }
            if (pending.glyphs.isEmpty()) {
                pending.font = run.rawFont();
                pending.color = color;
            }
            const QPointF origin(x, y + line.m_ascent - line.m_layout.lineAt(0).ascent());
            pending.glyphs += run.glyphIndexes();
            for (const QPointF &position : run.positions())
                pending.positions.push_back(origin + position);
            return;
        }
    }
    auto draw = [&]() {
        m_painter->setPen(color);
        m_textPen = true;
        const QTextLine textLine = line.m_layout.lineAt(0);
        // The base line where TextOut puts it, the font's rounded ascent
        // below the top, even where a fallback font makes the line taller.
        textLine.draw(m_painter, QPointF(x, y + line.m_ascent - textLine.ascent()));
    };
    if (clip)
        withTemporaryClip(QRegion(clip->IsEmpty() ? QRect() : ToQRect(*clip)), draw);
    else {
        applyClip();
        draw();
    }
}

} // namespace gfx
