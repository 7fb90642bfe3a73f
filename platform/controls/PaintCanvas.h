#pragma once

// The canvas over a paint event, as every custom-painted control draws: a
// painter on the widget and a Canvas with its GDI semantics on it.

#include <functional>

class QWidget;

namespace gfx {
class Canvas;
class TextMeasurer;
} // namespace gfx

namespace controls {

// Runs `paint` on a canvas over the widget; text is measured with `measurer`,
// or with the real fonts when it is null. While the paint runs `current`
// points at the canvas, so that owner-draw handlers the paint calls can reach
// it; afterwards it is null again. A paint that fails ends quietly with what
// it had drawn: a message there would come back with every repaint.
void paintOnCanvas(QWidget &widget, const gfx::TextMeasurer *measurer, gfx::Canvas *&current,
                   const std::function<void(gfx::Canvas &)> &paint);

} // namespace controls
