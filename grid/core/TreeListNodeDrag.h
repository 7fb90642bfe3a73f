#pragma once

// Dragging nodes. A press on a node that moves out of the 5-pixel square
// around it starts a drag with that grid as the source (when its drag mode
// is automatic); the drag follows the pointer over any grid of the program,
// and the grid under the pointer decides through its drag-over event
// whether it takes the drop. One drag runs in the program at a time.

#include "grid/core/ControlTypes.h"
#include "grid/core/TreeListLayout.h"

#include <functional>
#include <memory>

namespace grid {

class TCustomdxTreeList;
class TdxTreeListNode;
class TreeListNodeRef;

enum TDragMode : uint8_t { dmManual, dmAutomatic };

constexpr TCursor crNoDrop = -13;
constexpr TCursor crMultiDrag = -16;

class TreeListNodeDrag
{
public:
    explicit TreeListNodeDrag(TCustomdxTreeList &grid);
    // A grid going away ends the drag it takes part in, without events.
    ~TreeListNodeDrag();
    TreeListNodeDrag(const TreeListNodeDrag &) = delete;
    TreeListNodeDrag &operator=(const TreeListNodeDrag &) = delete;

    // The drag running in the program; none between drags.
    static TreeListNodeDrag *Running();

    // Hovering over an expand button during a drag expands the node after
    // the delay; the vertical timer moves the focus while the pointer stays
    // on the top or bottom row.
    static constexpr int HoverExpandTimer = 101;
    static constexpr int VerticalScrollTimer = 121;

    TDragMode DragMode = dmManual;
    TCursor DragCursor = crDrag;
    int ExpandDelay = 500;

    // A drag of this grid's nodes begins; the node is known after it.
    std::function<void()> OnStartDrag;
    std::function<void(TdxTreeListNode *node)> OnStartNodeDrag;
    // The drag is over this grid; accept comes in True. A grid without the
    // handler takes no drop.
    std::function<void(TCustomdxTreeList *source, int x, int y, bool &accept)> OnDragOver;
    std::function<void(TCustomdxTreeList *source, int x, int y)> OnDragDrop;
    // The drag of this grid's nodes ended; target is none when nothing took
    // the drop.
    std::function<void(TCustomdxTreeList *target, int x, int y)> OnEndDrag;

    // This grid is the source of the running drag.
    bool Dragging() const { return Running() == this; }
    TdxTreeListNode *DraggedNode() const;
    // A node other than the pressed one, set before the drag begins.
    void SetDraggedNode(TdxTreeListNode *node);
    // Where the running drag is over this grid: the node under the pointer,
    // its hit code and whether the drop would be taken.
    TdxTreeListNode *TargetNode() const;
    TdxTreeListHitCode TargetHitCode() const { return m_targetCode; }
    bool Accepted() const { return m_accepted; }
    // A drag from elsewhere is over this grid and the grid may take it: the
    // focused row is drawn highlighted.
    bool DropHighlight() const { return m_dropHighlight; }

    // Starts a drag of the node under the client point; false when there is
    // none there (or a drag runs already).
    bool BeginDrag(int x, int y);
    // The pointer of the running drag is at a client point of target (none:
    // over no grid).
    void MoveTo(TCustomdxTreeList *target, int x, int y);
    // The button was released there: the target takes the drop when it
    // accepted it, then the drag ends.
    void Drop(TCustomdxTreeList *target, int x, int y);
    // The source's pointer is at a client point of the source; the window
    // finds the grid under it, in this window or another.
    void Follow(TShiftState shift, int x, int y);
    void DropAt(int x, int y);
    // The cursor while the grid under the pointer takes the drop: one node
    // or several selected, moved or copied (Ctrl held where the grid allows
    // copies).
    TCursor AcceptedCursor() const;
    // Ends the drag without a drop.
    void Cancel();
    // The grid's window is going: the picture it shows goes now, before the
    // drag itself ends.
    void WindowGoing();
    // In an automatic drag of this grid's nodes, the node of this grid
    // under the pointer expands (when it has children) or collapses.
    void ExpandUnderPointer(bool expand);

    // The press in progress has moved far enough to start a drag.
    bool ShouldBegin(TShiftState shift, int x, int y) const;
    // A timer of the grid elapsed; false when it is not one of the drag's.
    bool TimerFired(int id);
    // -1 up, 1 down, 0 while the vertical timer does not run for this grid.
    int VerticalScrollDirection() const { return m_vertDirection; }
    TdxTreeListNode *HoverNode() const;

private:
    void dragOver(TreeListNodeDrag &source, int x, int y);
    void leave();
    void setDropHighlight(bool value);
    void end(TCustomdxTreeList *target, int x, int y);
    void startHorizontalScroll(int x);
    void startVerticalScroll(int direction);
    void stopScrolling();
    void stopTimers();
    TCustomdxTreeList *targetAt(int &x, int &y);
    // The running drag is over this grid and this grid may react to it.
    bool overHere() const;

    TCustomdxTreeList &m_grid;
    std::unique_ptr<TreeListNodeRef> m_dragged;
    std::unique_ptr<TreeListNodeRef> m_target;
    std::unique_ptr<TreeListNodeRef> m_hover;
    int m_vertDirection = 0;
    int m_lastX = 0;
    int m_lastY = 0;
    TdxTreeListHitCode m_targetCode = htNowhere;
    bool m_accepted = false;
    bool m_dropHighlight = false;
    // The grid the running drag is over, kept by the source.
    TreeListNodeDrag *m_over = nullptr;
    TShiftState m_shift = 0;
    rtl::TPoint m_pointer; // the source's pointer in its own client coordinates
    bool m_imageShown = false;
};

} // namespace grid
