#include "platform/controls/PaintCanvas.h"

#include "platform/controls/Guard.h"
#include "platform/gfx/Canvas.h"

#include <QPainter>

namespace controls {

void paintOnCanvas(QWidget &widget, const gfx::TextMeasurer *measurer, gfx::Canvas *&current,
                   const std::function<void(gfx::Canvas &)> &paint)
{
    guarded(Report::none(), [&] {
        QPainter painter(&widget);
        gfx::Canvas canvas(painter, measurer);
        current = &canvas;
        guarded(Report::none(), [&] { paint(canvas); });
        current = nullptr;
    });
}

} // namespace controls
