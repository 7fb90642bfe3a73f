#pragma once

// One line of text shaped once with a canvas's font: the canvas measures it
// and draws it from the same glyphs, so a text placed by its width (right
// aligned, centred, or checked against its box) is not shaped a second time
// to be drawn. Canvas::ShapeLine makes one; it stays valid after the canvas
// has gone and may be drawn again, at any place, on a canvas with that font.

#include "platform/gfx/GdiObjects.h"

#include <QGlyphRun>
#include <QList>
#include <QTextLayout>

#include <optional>

namespace gfx {

class ShapedLine
{
public:
    ShapedLine(const QString &text, const QFont &font, QPaintDevice *device, Qt::LayoutDirection direction, int ascent);
    ShapedLine(const ShapedLine &) = delete;
    ShapedLine &operator=(const ShapedLine &) = delete;

    // Pixels, as the canvas's measurer answers for the text.
    int width() const { return m_width; }
    QString text() const { return m_layout.text(); }

private:
    friend class Canvas;
    // The glyphs with their places from the top-left, taken from the layout
    // the first time the line is drawn along with others.
    const QList<QGlyphRun> &glyphRuns() const;

    QTextLayout m_layout;
    mutable std::optional<QList<QGlyphRun>> m_glyphRuns;
    int m_width = 0;
    // The font's ascent as the canvas rounds it: the base line lies that far
    // below the top of the text, whatever the line's other fonts reach.
    int m_ascent = 0;
};

} // namespace gfx
