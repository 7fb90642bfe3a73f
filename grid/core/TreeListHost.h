#pragma once

// What the tree list asks of the window that shows it. The engine makes
// every decision without a widget; the widget implements this interface and
// forwards its events to the engine. A tree list without a host (no window
// yet, or being destroyed) simply skips these calls.

#include "grid/core/ControlTypes.h"

#include "platform/rtl/Types.h"

#include <QString>

namespace classes {
class TFont;
}
namespace gfx {
class TextMeasurer;
}

namespace grid {

class InplaceEditor;
class TCustomdxContainer;
class TCustomdxTreeList;
class TdxTreeListNode;

// What the picture that follows the pointer of a drag shows: a node, or
// the header of a column or of a band at a visible position.
struct TreeListDragPicture
{
    enum Kind : uint8_t { Node, Column, Band };
    Kind What = Node;
    TdxTreeListNode *DraggedNode = nullptr;
    int Index = -1;
};

class TreeListHost
{
public:
    virtual ~TreeListHost() = default;

    virtual void invalidate(const rtl::TRect &rect) = 0;
    virtual void invalidateAll() = 0;
    // Moves what is shown in the area by (dx, dy) and invalidates what is
    // uncovered; a host that cannot move contents repaints the area.
    virtual void scrollContents(int /*dx*/, int /*dy*/, const rtl::TRect &area) { invalidate(area); }
    // Paints what is invalid now rather than when the event loop comes to it.
    virtual void updateNow() = 0;
    // The keyboard focus is on the control or on a window inside it (an
    // in-place editor).
    virtual bool hasKeyboardFocus() const = 0;
    virtual void setKeyboardFocus() = 0;
    // Whether the control could take the focus: it and every control it
    // sits in, up to its window, are shown and enabled.
    virtual bool canFocus() const { return true; }
    // Timers by identifier; starting a running one restarts it. The host
    // calls TCustomdxTreeList::TimerFired when one elapses.
    virtual void startTimer(int id, int intervalMs) = 0;
    virtual void stopTimer(int id) = 0;
    virtual void setCursor(TCursor cursor) = 0;
    // The grid's hint window at a client point, and its end; one at a time.
    virtual void showHint(const rtl::TPoint & /*clientPoint*/, const QString & /*text*/,
                          const classes::TFont & /*font*/)
    {}
    virtual void hideHint() {}
    // The hourglass for the whole program while a long operation runs, and
    // the cursor before it back afterwards.
    virtual void setBusyCursor(bool /*busy*/) {}
    virtual void setClipboardText(const QString &text) = 0;
    // The modifier keys held now (ssShift, ssAlt, ssCtrl), whatever event is
    // being handled.
    virtual TShiftState keyState() const { return 0; }
    // The longest time between the clicks of a double click, milliseconds.
    virtual int doubleClickTime() const { return 500; }
    virtual void beep() = 0;
    // A new in-place editor of that class name in the window, owned by the
    // container; none when the window makes no such editor.
    virtual InplaceEditor *createEditor(const QString & /*className*/, TCustomdxContainer * /*owner*/)
    {
        return nullptr;
    }
    // The tree list under a client point of this window, whichever window
    // of the program shows it; the point comes back in that tree list's
    // client coordinates. None over no tree list. This answer knows of no
    // other window: the tree list itself within its client area.
    virtual TCustomdxTreeList *treeListAt(TCustomdxTreeList &self, rtl::TPoint &point);
    // The picture of a drag, its hot spot at a client point of this window;
    // it follows the pointer (beside it, while the cursor says the drop
    // would remove the item) until the drag ends.
    // The scroll bars follow the tree list's positions and sizes.
    virtual void updateScrollBars() {}
    virtual void beginDragImage(const TreeListDragPicture & /*picture*/, const rtl::TPoint & /*clientPoint*/) {}
    virtual void moveDragImage(const rtl::TPoint & /*clientPoint*/, bool /*besideCursor*/) {}
    virtual void endDragImage() {}
    // Measures in the fonts the control paints with.
    virtual const gfx::TextMeasurer &textMeasurer() const = 0;
};

} // namespace grid
