#pragma once

// A control's drag as the class library starts it (DragMode dmAutomatic, or
// BeginDrag): carried out by Qt's drag and drop, through one seam that tests
// stand in for, since a real drag waits for the user's hand.

#include "platform/rtl/ScopedOverride.h"

#include <Qt>

#include <functional>

class QDrag;

namespace controls {

enum class TDragMode { dmManual, dmAutomatic };

// Runs the drag to its end: the action the target took (IgnoreAction when
// the drag was let go where nothing took it).
using DragRunner = std::function<Qt::DropAction(QDrag &drag)>;
using ScopedDragRunner = rtl::ScopedOverride<struct DragRunnerTag, DragRunner>;
Qt::DropAction runDrag(QDrag &drag);

} // namespace controls
