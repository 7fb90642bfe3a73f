#include "grid/core/TreeListNodeDrag.h"

#include "grid/core/TreeList.h"
#include "grid/core/TreeListHooks.h"
#include "grid/core/TreeListHost.h"
#include "grid/core/TreeListShared.h"

#include <cstdlib>

namespace grid {

namespace {

TreeListNodeDrag *nodeDragRunning = nullptr;

bool nodeDragIsNodeCode(TdxTreeListHitCode code)
{
    return (code >= htButton && code <= htRowTail) || code == htRowFooter || code == htPreview;
}

bool nodeDragInside(const rtl::TRect &r, const rtl::TPoint &p)
{
    return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom;
}

} // namespace

TCustomdxTreeList *TreeListHost::treeListAt(TCustomdxTreeList &self, rtl::TPoint &point)
{
    return nodeDragInside(self.ClientRect(), point) ? &self : nullptr;
}

TreeListNodeDrag &TCustomdxTreeList::NodeDrag()
{
    if (!m_nodeDrag)
        m_nodeDrag = std::make_unique<TreeListNodeDrag>(*this);
    return *m_nodeDrag;
}

TreeListNodeDrag::TreeListNodeDrag(TCustomdxTreeList &grid)
    : m_grid(grid)
    , m_dragged(std::make_unique<TreeListNodeRef>(grid))
    , m_target(std::make_unique<TreeListNodeRef>(grid))
    , m_hover(std::make_unique<TreeListNodeRef>(grid))
{}

TreeListNodeDrag::~TreeListNodeDrag()
{
    if (TreeListNodeDrag *source = nodeDragRunning) {
        if (source == this) {
            nodeDragRunning = nullptr;
            if (m_over && m_over != this)
                m_over->leave();
            if (m_imageShown && m_grid.m_host)
                m_grid.m_host->endDragImage();
        } else if (source->m_over == this) {
            source->m_over = nullptr;
        }
    }
    stopTimers();
}

TreeListNodeDrag *TreeListNodeDrag::Running()
{
    return nodeDragRunning;
}

TdxTreeListNode *TreeListNodeDrag::DraggedNode() const
{
    return m_dragged->get();
}

void TreeListNodeDrag::SetDraggedNode(TdxTreeListNode *node)
{
    *m_dragged = node;
}

TdxTreeListNode *TreeListNodeDrag::TargetNode() const
{
    return m_target->get();
}

bool TreeListNodeDrag::ShouldBegin(TShiftState shift, int x, int y) const
{
    return DragMode == dmAutomatic && m_grid.State() == tsNodeDown && (shift & ssLeft) &&
           (std::abs(x - m_grid.m_pressX) > 5 || std::abs(y - m_grid.m_pressY) > 5);
}

bool TreeListNodeDrag::BeginDrag(int x, int y)
{
    if (nodeDragRunning)
        return false;
    // The editor's and the start events' handlers may free the grid, and
    // this drag with it.
    const TreeListAlive self = m_grid.AliveToken();
    if (m_grid.m_editor && m_grid.m_state == tsEditing)
        m_grid.EndEditing();
    if (self.expired())
        return false;
    TCustomdxTreeList::stopDelayedEdit();
    if (OnStartDrag)
        OnStartDrag();
    if (self.expired())
        return false;
    if (!m_dragged->get()) {
        const rtl::TPoint at =
            m_grid.m_state == tsNodeDown ? rtl::TPoint{m_grid.m_pressX, m_grid.m_pressY} : rtl::TPoint{x, y};
        *m_dragged = m_grid.HitTest(at.X, at.Y).Node;
    }
    if (!m_dragged->get()) {
        if (m_grid.m_state == tsNodeDown)
            m_grid.m_state = tsNone;
        return false;
    }
    if (OnStartNodeDrag)
        OnStartNodeDrag(m_dragged->get());
    if (self.expired())
        return false;
    // The start event may have deleted the node.
    if (!m_dragged->get()) {
        m_grid.m_state = tsNone;
        return false;
    }
    nodeDragRunning = this;
    m_pointer = {x, y};
    m_grid.m_state = tsNodeDragging;
    setDropHighlight(false);
    if (m_grid.m_host) {
        m_grid.m_host->beginDragImage(m_grid.BuildNodeDragImage(m_dragged->get(), m_grid.FocusedColumnIndex()), {x, y});
        m_imageShown = true;
    }
    MoveTo(&m_grid, x, y);
    return true;
}

void TreeListNodeDrag::MoveTo(TCustomdxTreeList *target, int x, int y)
{
    if (!Dragging())
        return;
    TreeListNodeDrag *over = target ? &target->NodeDrag() : nullptr;
    if (m_over != over) {
        if (m_over)
            m_over->leave();
        m_over = over;
    }
    // The drag-over handler may free this grid, the drag's source.
    const TreeListAlive self = m_grid.AliveToken();
    if (m_over)
        m_over->dragOver(*this, x, y);
    if (self.expired())
        return;
    if (m_grid.m_host)
        m_grid.m_host->setCursor(m_over && m_over->m_accepted ? AcceptedCursor() : crNoDrop);
}

TCursor TreeListNodeDrag::AcceptedCursor() const
{
    const TShiftState keys = m_shift | (m_grid.m_host ? m_grid.m_host->keyState() : 0);
    const bool copy = m_grid.IsCopyDrag() && (keys & ssCtrl);
    if (m_grid.SelectedCount() >= 2)
        return copy ? crDXTLMultiDragCopy : crMultiDrag;
    return copy ? crDXTLDragCopy : DragCursor;
}

TCustomdxTreeList *TreeListNodeDrag::targetAt(int &x, int &y)
{
    rtl::TPoint at{x, y};
    TCustomdxTreeList *target = nullptr;
    if (m_grid.m_host)
        target = m_grid.m_host->treeListAt(m_grid, at);
    else if (nodeDragInside(m_grid.ClientRect(), at))
        target = &m_grid;
    x = at.X;
    y = at.Y;
    return target;
}

void TreeListNodeDrag::Follow(TShiftState shift, int x, int y)
{
    if (!Dragging())
        return;
    m_shift = shift;
    m_pointer = {x, y};
    if (m_grid.m_host && m_imageShown)
        m_grid.m_host->moveDragImage({x, y}, false);
    TCustomdxTreeList *target = targetAt(x, y);
    MoveTo(target, x, y);
}

void TreeListNodeDrag::DropAt(int x, int y)
{
    if (!Dragging())
        return;
    TCustomdxTreeList *target = targetAt(x, y);
    Drop(target, x, y);
}

void TreeListNodeDrag::dragOver(TreeListNodeDrag &source, int x, int y)
{
    const TdxTreeListHitInfo hit = m_grid.HitTest(x, y);
    *m_target = hit.Node;
    m_targetCode = hit.HitCode;
    m_accepted = false;
    if (OnDragOver) {
        // The handler may free this grid, the drop's target.
        const TreeListAlive self = m_grid.AliveToken();
        m_accepted = true;
        OnDragOver(&source.m_grid, x, y, m_accepted);
        if (self.expired())
            return;
    }
    // A drag from elsewhere lights the focused row while this grid may take it.
    if (&source != this)
        setDropHighlight(static_cast<bool>(OnDragOver));
    if (&source != this && !m_dropHighlight)
        return;
    m_lastX = x;
    m_lastY = y;
    stopScrolling();
    if (m_grid.optionB(boExpandOnDragHover) && hit.HitCode == htButton && hit.Node) {
        *m_hover = hit.Node;
        if (m_grid.m_host)
            m_grid.m_host->startTimer(HoverExpandTimer, ExpandDelay);
    }
    if (!m_grid.optionB(boDragScrolling))
        return;
    startHorizontalScroll(x);
    if (!hit.Node || !nodeDragIsNodeCode(hit.HitCode))
        return;
    if (hit.Node != m_grid.FocusedNode())
        m_grid.ChangeFocus(hit.Node, m_grid.FocusedColumn(), false);
    const int row = m_grid.AbsoluteIndex(hit.Node);
    const int top = m_grid.AbsoluteIndex(m_grid.TopNode());
    if (row == top && !m_grid.IsFirstRow(hit.Node))
        startVerticalScroll(-1);
    else if (row >= top + m_grid.RowsPerPage() - 1 && !m_grid.IsLastRow(hit.Node))
        startVerticalScroll(1);
}

void TreeListNodeDrag::startHorizontalScroll(int x)
{
    TdxTreeListLayoutInfo info;
    m_grid.CalcLayout(info);
    const int left = info.IndicatorRect.IsEmpty() ? info.RowsRect.Left : info.IndicatorRect.Left;
    const int right = info.RowsRect.Right;
    const int direction = (x >= left && x < left + 12) ? -1 : (x >= right - 12 && x < right) ? 1 : 0;
    // One grid of the program scrolls at a time.
    if (direction == 0 || !m_grid.m_host || SharedTimers().dragScrollHorizontal >= 0)
        return;
    m_grid.m_dragScrollDirection = direction;
    SharedTimers().dragScrollHorizontal = TCustomdxTreeList::DragScrollTimer;
    m_grid.m_host->startTimer(TCustomdxTreeList::DragScrollTimer, 100);
}

void TreeListNodeDrag::startVerticalScroll(int direction)
{
    // One grid of the program scrolls at a time.
    if (!m_grid.m_host || SharedTimers().dragScrollVertical >= 0)
        return;
    m_vertDirection = direction;
    SharedTimers().dragScrollVertical = VerticalScrollTimer;
    m_grid.m_host->startTimer(VerticalScrollTimer, 100);
}

void TreeListNodeDrag::stopScrolling()
{
    m_grid.stopDragScroll();
    if (m_vertDirection != 0) {
        m_vertDirection = 0;
        SharedTimers().dragScrollVertical = -1;
        if (m_grid.m_host)
            m_grid.m_host->stopTimer(VerticalScrollTimer);
    }
}

void TreeListNodeDrag::stopTimers()
{
    stopScrolling();
    *m_hover = nullptr;
    if (m_grid.m_host)
        m_grid.m_host->stopTimer(HoverExpandTimer);
}

TdxTreeListNode *TreeListNodeDrag::HoverNode() const
{
    return m_hover->get();
}

bool TreeListNodeDrag::overHere() const
{
    const TreeListNodeDrag *source = nodeDragRunning;
    return source && source->m_over == this && (source == this || m_dropHighlight);
}

bool TreeListNodeDrag::TimerFired(int id)
{
    if (id == VerticalScrollTimer) {
        if (overHere() && m_vertDirection != 0)
            m_grid.SetFocusedRowIndex(m_grid.FocusedRowIndex() + m_vertDirection);
        else
            stopTimers();
        return true;
    }
    if (id != HoverExpandTimer)
        return false;
    if (m_grid.m_host)
        m_grid.m_host->stopTimer(HoverExpandTimer);
    TdxTreeListNode *node = m_hover->get();
    if (!node || !overHere())
        return true;
    const TdxTreeListHitInfo hit = m_grid.HitTest(m_lastX, m_lastY);
    if (hit.HitCode != htButton || hit.Node != node)
        return true;
    if (m_grid.optionB(boToggleOnDragHover)) {
        node->SetExpanded(!node->Expanded());
        if (m_grid.m_host)
            m_grid.m_host->startTimer(HoverExpandTimer, 2 * ExpandDelay);
    } else {
        node->SetExpanded(true);
    }
    return true;
}

void TreeListNodeDrag::leave()
{
    stopTimers();
    *m_target = nullptr;
    m_targetCode = htNowhere;
    m_accepted = false;
    setDropHighlight(false);
}

void TreeListNodeDrag::setDropHighlight(bool value)
{
    if (m_dropHighlight == value)
        return;
    m_dropHighlight = value;
    if (m_grid.FocusedNode())
        m_grid.InvalidateNode(m_grid.FocusedNode());
    if (m_grid.m_host)
        m_grid.m_host->updateNow();
}

void TreeListNodeDrag::Drop(TCustomdxTreeList *target, int x, int y)
{
    if (!Dragging())
        return;
    // The drag-over and drop handlers may free this grid, the source.
    const TreeListAlive self = m_grid.AliveToken();
    MoveTo(target, x, y);
    if (self.expired())
        return;
    TreeListNodeDrag *over = m_over;
    const bool taken = over && over->m_accepted;
    if (taken && over->OnDragDrop)
        over->OnDragDrop(&m_grid, x, y);
    if (self.expired())
        return;
    // The drop handler may have ended the drag or destroyed the target.
    if (Dragging())
        end(taken && m_over ? &m_over->m_grid : nullptr, x, y);
}

void TreeListNodeDrag::WindowGoing()
{
    if (m_imageShown && m_grid.m_host)
        m_grid.m_host->endDragImage();
    m_imageShown = false;
}

void TreeListNodeDrag::ExpandUnderPointer(bool expand)
{
    if (!Dragging() || DragMode != dmAutomatic)
        return;
    TdxTreeListNode *node = m_grid.HitTest(m_pointer.X, m_pointer.Y).Node;
    if (!node)
        return;
    if (expand && !node->Expanded() && (node->HasChildren() || node->Count() > 0))
        node->SetExpanded(true);
    else if (!expand && node->Expanded())
        node->SetExpanded(false);
}

void TreeListNodeDrag::Cancel()
{
    if (Dragging())
        end(nullptr, 0, 0);
}

void TreeListNodeDrag::end(TCustomdxTreeList *target, int x, int y)
{
    if (m_over) {
        m_over->leave();
        m_over = nullptr;
    }
    nodeDragRunning = nullptr;
    // The handler may free the grid, and this drag with it.
    const TreeListAlive self = m_grid.AliveToken();
    if (OnEndDrag)
        OnEndDrag(target, x, y);
    if (self.expired())
        return;
    *m_dragged = nullptr;
    *m_target = nullptr;
    m_targetCode = htNowhere;
    m_accepted = false;
    setDropHighlight(false);
    stopTimers();
    if (m_grid.m_state == tsNodeDragging)
        m_grid.m_state = tsNone;
    m_shift = 0;
    if (m_grid.m_host) {
        if (m_imageShown)
            m_grid.m_host->endDragImage();
        m_grid.m_host->setCursor(crDefault);
    }
    m_imageShown = false;
}

TreeListDragPicture TCustomdxTreeList::BuildNodeDragImage(TdxTreeListNode *node, int column)
{
    return {TreeListDragPicture::Node, node, VisibleColumnCount() > 0 ? column : -1};
}

} // namespace grid
