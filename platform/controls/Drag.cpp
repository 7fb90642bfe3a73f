#include "platform/controls/Drag.h"

#include <QDrag>

namespace controls {

Qt::DropAction runDrag(QDrag &drag)
{
    if (const std::optional<DragRunner> runner = ScopedDragRunner::current(); runner && *runner)
        return (*runner)(drag);
    return drag.exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction);
}

} // namespace controls
