// The tree list's mouse: what a press, a move and a release do to the
// focus, the selection, the expansion of nodes, the header presses and the
// sizing modes.

#include "grid/core/InplaceEditor.h"
#include "grid/core/PanningController.h"
#include "grid/core/TreeList.h"
#include "grid/core/TreeListBottomHint.h"
#include "grid/core/TreeListHost.h"
#include "grid/core/TreeListNodeDrag.h"
#include "grid/core/TreeListScopes.h"
#include "grid/core/TreeListShared.h"

#include <QScopedValueRollback>

#include <cstdlib>
#include <utility>

namespace grid {

namespace {

bool mouseIsCellCode(TdxTreeListHitCode code)
{
    return code == htImage || code == htStateImage || code == htCell || code == htNewItemRow || code == htRowFooter ||
           code == htPreview;
}

bool mouseInside(const rtl::TRect &r, int x, int y)
{
    return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
}

bool mouseIsVerticalSizing(uint8_t state)
{
    return state == tsBandPanelSizing || state == tsHeaderPanelSizing || state == tsRowSizing;
}

// Asked again without a word to the user: an editor that lost the focus
// validated as it went and, refusing, has said so and takes the focus back.
bool mouseEditorRefusedToLeave(InplaceEditor &editor)
{
    if (!editor.GetModified() || !editor.OnValidate)
        return false;
    bool accept = true;
    QString errorText;
    editor.OnValidate(&editor, errorText, accept);
    return !accept;
}

} // namespace

TCustomdxTreeList::BandDrop TCustomdxTreeList::BandDropTarget(int position, int x, int y)
{
    BandDrop drop;
    drop.Outside = !mouseInside(m_clientRect, x, y);
    if (drop.Outside)
        return drop;
    TdxTreeListLayoutInfo info;
    CalcLayout(info);
    if (y < info.BandPanelRect.Top || y >= info.BandPanelRect.Bottom || info.Bands.empty())
        return drop;
    const int count = VisibleBandCount();
    const int leftFixed = LeftFixedBand() >= 0 ? VisiblePositionOfBand(LeftFixedBand()) : -1;
    const int rightFixed = RightFixedBand() >= 0 ? VisiblePositionOfBand(RightFixedBand()) : -1;
    int target = -1;
    int edge = 0;
    for (const TdxTreeListBandInfo &band : info.Bands) {
        const rtl::TRect &r = band.BandClipRect;
        if (x >= r.Left && x < r.Right) {
            if (band.BandIndex == position)
                return drop;
            const bool after = x > (band.BandRect.Left + band.BandRect.Right) / 2;
            target = band.BandIndex + (after ? 1 : 0);
            edge = after ? band.BandRect.Right : band.BandRect.Left;
            break;
        }
    }
    if (target < 0) {
        const TdxTreeListBandInfo &last = info.Bands.back();
        if (x < last.BandClipRect.Right || last.BandIndex == position)
            return drop;
        target = count;
        edge = last.BandRect.Right;
    }
    // Places that would not move the band, and places beyond a fixed band.
    if (target == position || target == position + 1 || (leftFixed >= 0 && target <= leftFixed) ||
        (rightFixed >= 0 && target > rightFixed))
        return drop;
    drop.Position = target;
    drop.Arrows = dropArrowsAt(edge, info.BandPanelRect.Top, m_metrics.BandLineHeight);
    return drop;
}

TCustomdxTreeList::ColumnDrop TCustomdxTreeList::ColumnDropTarget(int column, int x, int y)
{
    ColumnDrop drop;
    drop.Outside = !mouseInside(m_clientRect, x, y);
    if (drop.Outside)
        return drop;
    TdxTreeListLayoutInfo info;
    CalcLayout(info);
    if (y < info.HeaderPanelRect.Top || y >= info.HeaderPanelRect.Bottom)
        return drop;
    // The cell under the point decides: its left half is the place before
    // it, its right half the place after it; right of a line's last cell,
    // the place after that cell.
    const TdxTreeListHeaderCell *best = nullptr;
    for (const TdxTreeListHeaderCell &cell : info.HeaderCells) {
        if (y < cell.CellRect.Top || y >= cell.CellRect.Bottom || cell.ClipRect.IsEmpty())
            continue;
        if (x >= cell.ClipRect.Left && x < cell.ClipRect.Right) {
            best = &cell;
            break;
        }
        if (cell.LastInLine && x >= cell.ClipRect.Right && (!best || cell.ClipRect.Right > best->ClipRect.Right))
            best = &cell;
    }
    if (!best || best->ColumnIndex == column)
        return drop;
    const bool after = x >= (best->CellRect.Left + best->CellRect.Right) / 2;
    const int position = best->Position + (after ? 1 : 0);
    // The places either side of the column itself move nothing.
    if (ColumnBand(column) == best->BandIndex && ColumnBandLine(column) == best->BandLine) {
        const int own = ColumnPositionInLine(column);
        if (position == own || position == own + 1)
            return drop;
    }
    drop.Band = best->BandIndex;
    drop.Line = best->BandLine;
    drop.Position = position;
    drop.Arrows = dropArrowsAt(after ? best->CellRect.Right : best->CellRect.Left, best->CellRect.Top,
                               m_metrics.HeaderLineHeight);
    return drop;
}

void TCustomdxTreeList::dragAutoScroll(int x)
{
    TdxTreeListLayoutInfo info;
    CalcLayout(info);
    const int left = info.LeftFixedRect.IsEmpty() ? info.HeaderPanelRect.Left : info.LeftFixedRect.Right;
    const int right = info.RightFixedRect.IsEmpty() ? info.HeaderPanelRect.Right : info.RightFixedRect.Left;
    const int direction = (x > left && x < left + 12) ? -1 : (x > right - 12 && x <= right) ? 1 : 0;
    if (direction == m_dragScrollDirection)
        return;
    stopDragScroll();
    // One grid of the program scrolls at a time.
    if (direction == 0 || !m_host || SharedTimers().dragScrollHorizontal >= 0)
        return;
    m_dragScrollDirection = direction;
    SharedTimers().dragScrollHorizontal = DragScrollTimer;
    m_host->startTimer(DragScrollTimer, 100);
}

void TCustomdxTreeList::pressNewItemRow(TMouseButton button, const TdxTreeListHitInfo &hit, bool hadFocus)
{
    const TreeListAlive self = AliveToken();
    if (!m_focused) {
        TdxTreeListNode *added = AppendNewItemNode();
        if (self.expired())
            return;
        if (added && owns(added) && !m_focused)
            SetFocusedNode(added);
        if (self.expired())
            return;
    }
    const int columnBefore = FocusedColumn();
    if (hit.ColumnIndex >= 0 && PositionOfColumn(hit.ColumnIndex) != columnBefore)
        SetFocusedColumn(PositionOfColumn(hit.ColumnIndex));
    if (self.expired())
        return;
    const bool wasActive = IsNewItemRowActive();
    SetNewItemRowActive(true);
    m_focusMovedByPress = true;
    if (button == mbLeft && !IsRowFocus() && hit.ColumnIndex >= 0 && wasActive && IsNewItemRowActive() &&
        FocusedColumn() == columnBefore && hadFocus && m_state != tsEditing && SharedTimers().delayedEdit < 0 && m_host)
        startDelayedEdit();
}

void TCustomdxTreeList::SetNewItemRowActive(bool value)
{
    if (value == m_newItemRowActive)
        return;
    // A row that is not there cannot hold the focus; leaving it always works.
    if (value && (!IsNewItemRowShown() || m_metrics.NewItemRowHeight < 1))
        return;
    m_newItemRowActive = value;
    if (!m_host)
        return;
    if (m_focused)
        InvalidateNode(m_focused);
    TdxTreeListLayoutInfo info;
    CalcLayout(info);
    m_host->invalidate(info.NewItemRowRect);
}

void TCustomdxTreeList::pressAutoScroll(int y)
{
    TdxTreeListLayoutInfo info;
    CalcLayout(info);
    const int direction = y < info.RowsRect.Top ? -1 : y >= info.RowsRect.Bottom ? 1 : 0;
    if (direction == m_pressScrollDirection)
        return;
    stopPressScroll();
    // One grid of the program scrolls at a time.
    if (direction == 0 || !m_host || SharedTimers().selection >= 0)
        return;
    m_pressScrollDirection = direction;
    SharedTimers().selection = PressScrollTimer;
    SharedTimers().selectionGrid = this;
    m_host->startTimer(PressScrollTimer, 100);
}

void TCustomdxTreeList::stopPressScroll()
{
    if (m_pressScrollDirection == 0)
        return;
    m_pressScrollDirection = 0;
    if (SharedTimers().selectionGrid == this) {
        SharedTimers().selection = -1;
        SharedTimers().selectionGrid = nullptr;
    }
    if (m_host)
        m_host->stopTimer(PressScrollTimer);
}

void TCustomdxTreeList::beginHeaderDrag(uint8_t state, int x, int y)
{
    m_bottomHint->Stop();
    m_state = state;
    m_dropArrows = {};
    if (!m_host)
        return;
    const bool band = state == tsBandDragging;
    m_host->beginDragImage({band ? TreeListDragPicture::Band : TreeListDragPicture::Column, nullptr,
                            band ? m_pressedBand : m_pressedColumn},
                           {x, y});
}

void TCustomdxTreeList::BeginBandDrag(int /*position*/, int x, int y)
{
    beginHeaderDrag(tsBandDragging, x, y);
}

void TCustomdxTreeList::BeginColumnDrag(int /*column*/, int x, int y)
{
    beginHeaderDrag(tsColumnDragging, x, y);
}

void TCustomdxTreeList::leaveHeaderDrag(uint8_t state)
{
    if (m_state != state)
        return;
    const bool ending = std::exchange(m_endingHeaderDrag, true);
    CancelMode();
    m_endingHeaderDrag = ending;
}

void TCustomdxTreeList::EndBandDrag(int position, bool dropped, int x, int y)
{
    stopDragScroll();
    const BandDrop target = dropped ? BandDropTarget(position, x, y) : BandDrop{};
    leaveHeaderDrag(tsBandDragging);
    if (!dropped)
        return;
    // Over the customisation window the band leaves the grid as if dropped
    // outside. The query, like the veto hook, may free the grid.
    const TreeListAlive self = AliveToken();
    const bool outside = target.Outside || IsPointOverCustomizing(x, y);
    if (self.expired())
        return;
    // The veto hook may free or move bands: the dragged band and the band
    // the drop goes before are held by their objects, not their positions.
    const int visible = VisibleBandCount();
    const HeldIndex dragged = holdBand(BandIndexOfVisible(position));
    const bool beforeBand = !outside && target.Position >= 0 && target.Position < visible;
    const HeldIndex before = holdBand(beforeBand ? BandIndexOfVisible(target.Position) : -1);
    bool accept = true;
    EndDragBand(position, outside ? -1 : target.Position, accept);
    if (self.expired())
        return;
    const int band = findBand(dragged);
    if (!accept || band < 0 || band >= BandCount())
        return;
    if (outside) {
        if ((IsCustomizingShown() || optionA(aoHideByDragOut)) && !BandCustomizingDisabled(band) &&
            VisibleBandCount() >= 2)
            HideBand(band);
        return;
    }
    if (target.Position < 0)
        return;
    int to = -1;
    if (beforeBand) {
        to = findBand(before);
    } else if (const int last = VisibleBandCount() - 1; last >= 0) {
        to = BandIndexOfVisible(last) + 1;
    }
    if (to < 0)
        return;
    MoveBand(band, band < to ? to - 1 : to);
}

void TCustomdxTreeList::EndColumnDrag(int column, bool dropped, int x, int y)
{
    stopDragScroll();
    ColumnDrop target = dropped ? ColumnDropTarget(column, x, y) : ColumnDrop{};
    leaveHeaderDrag(tsColumnDragging);
    if (!dropped)
        return;
    // The customisation query and the veto hook may free or move columns
    // and bands, or the grid: the dragged column and the target's band are
    // held by their objects.
    const TreeListAlive self = AliveToken();
    const bool overCustomizing = IsPointOverCustomizing(x, y);
    if (self.expired())
        return;
    if (overCustomizing) {
        target = {};
        target.Outside = true;
    }
    const HeldIndex dragged = holdColumn(column);
    const HeldIndex targetBand = holdBand(target.Moves() ? BandIndexOfVisible(target.Band) : -1);
    bool accept = true;
    EndDragColumn(column, target, accept);
    if (self.expired())
        return;
    column = findColumn(dragged);
    if (!accept || column < 0 || column >= ColumnCount())
        return;
    if (target.Outside) {
        // Hiding by dragging out never takes the last column shown.
        if ((IsCustomizingShown() || optionA(aoHideByDragOut)) && !ColumnCustomizingDisabled(column) &&
            VisibleColumnCount() >= 2)
            HideColumn(column);
        return;
    }
    if (!target.Moves())
        return;
    const int band = findBand(targetBand);
    target.Band = band < 0 ? -1 : VisiblePositionOfBand(band);
    if (target.Band < 0)
        return;
    if (!ColumnVisible(column)) {
        ShowColumn(column, target.Band, target.Line, target.Position);
        return;
    }
    int position = target.Position;
    // The column leaves its own line first: places after it move back one.
    const int place = ColumnPositionInLine(column);
    if (ColumnBand(column) == target.Band && ColumnBandLine(column) == target.Line && place >= 0 && position > place)
        --position;
    MoveColumn(column, target.Band, target.Line, position);
}

void TCustomdxTreeList::headerDragStep(bool outside, bool accepted, const rtl::TRect &arrows, int x, int y)
{
    stopDragScroll();
    m_dropArrows = arrows;
    TCursor cursor = outside ? crDXTLDelete : NodeDrag().DragCursor;
    const TreeListAlive self = AliveToken();
    AdjustDragCursor(x, y, cursor);
    if (self.expired())
        return;
    // A refusal shows the cursor of a drop that would remove the item.
    if (!accepted)
        cursor = crDXTLDelete;
    if (m_host) {
        m_host->setCursor(cursor);
        m_host->moveDragImage({x, y}, cursor == crDXTLDelete);
    }
    dragAutoScroll(x);
}

void TCustomdxTreeList::endHeaderDrag()
{
    m_dropArrows = {};
    if (m_host)
        m_host->endDragImage();
}

rtl::TRect TCustomdxTreeList::DropArrowsRect() const
{
    if (m_feedbackHidden > 0 || (m_state != tsColumnDragging && m_state != tsBandDragging))
        return {};
    return m_dropArrows;
}

rtl::TRect TCustomdxTreeList::dropArrowsAt(int edge, int lineTop, int lineHeight) const
{
    // The arrows point at the edge from above and below the line, their
    // middle column on it.
    return rtl::Rect(edge - 5, lineTop - 9, edge + 6, lineTop + lineHeight + 9);
}

void TCustomdxTreeList::stopDragScroll()
{
    if (m_dragScrollDirection == 0)
        return;
    m_dragScrollDirection = 0;
    SharedTimers().dragScrollHorizontal = -1;
    if (m_host)
        m_host->stopTimer(DragScrollTimer);
}

void TCustomdxTreeList::startDelayedEdit()
{
    SharedTimers().delayedEdit = DelayedEditTimer;
    SharedTimers().delayedEditGrid = this;
    m_host->startTimer(DelayedEditTimer, m_host->doubleClickTime());
}

void TCustomdxTreeList::stopDelayedEdit()
{
    TCustomdxTreeList *owner = SharedTimers().delayedEditGrid;
    SharedTimers().delayedEdit = -1;
    SharedTimers().delayedEditGrid = nullptr;
    if (owner && owner->m_host)
        owner->m_host->stopTimer(DelayedEditTimer);
}

void TCustomdxTreeList::FocusEntered()
{
    DeletionDeferral defer(*this);
    // OnChangeNode may free the grid.
    const TreeListAlive self = AliveToken();
    if (!m_focused && m_topLevel.count() > 0)
        ChangeFocus(m_top ? m_top : m_topLevel.first(), FocusedColumn(), false);
    if (!self.expired() && m_host)
        m_host->invalidateAll();
}

void TCustomdxTreeList::FocusLeft(bool toEditor)
{
    if (toEditor)
        return;
    DeletionDeferral defer(*this);
    // The editor's events may free the grid.
    const TreeListAlive self = AliveToken();
    // The focus went on to another control: the edit ends there, without
    // taking the focus back to the grid from where the user put it.
    if (m_editor && m_state == tsEditing && !IsDestroying()) {
        ResetHotTracking();
        closeEditor(true, false);
    }
    if (self.expired())
        return;
    if (m_state == tsNodeDown)
        m_state = tsNone;
    stopPressScroll();
    if (m_host)
        m_host->invalidateAll();
}

TCursor TCustomdxTreeList::CursorAt(int x, int y)
{
    if (m_state != tsNone && m_state != tsEditing) {
        if (m_state == tsColumnSizing || m_state == tsBandSizing)
            return crHSplit;
        return mouseIsVerticalSizing(m_state) ? crVSplit : crDefault;
    }
    const TdxTreeListHitInfo hit = HitTest(x, y);
    if ((hit.HitCode == htBandEdge && hit.BandIndex >= 0) || hit.HitCode == htColumnEdge)
        return crHSplit;
    if (hit.HitCode == htBandPanelEdge || hit.HitCode == htHeaderPanelEdge || hit.HitCode == htRowEdge)
        return crVSplit;
    TCursor cursor = crDefault;
    if (hit.Node && hit.ColumnIndex >= 0 && IsHotCell(hit.Node, hit.ColumnIndex))
        GetHotTrackCursor(hit.Node, hit.ColumnIndex, cursor);
    return cursor;
}

void TCustomdxTreeList::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    DeletionDeferral defer(*this);
    // A handler of the press (a focus, selection, editing or node event,
    // the new item row's append hook) may free the grid: the press ends
    // there.
    const TreeListAlive self = AliveToken();
    m_toggleOnPress = false;
    m_selectOnRelease = false;
    m_focusMovedByPress = false;
    m_clickOnRelease = false;
    // A press anywhere, on this grid or another, means the earlier click was
    // not a request to edit.
    if (button == mbLeft)
        stopDelayedEdit();
    // The focus leaves the editor before the press when the window moves it
    // on a click, or as the press takes it. Either way the editing ends
    // here, and a refusal stops the press with the grid as it was; the user
    // hears of it once.
    // An editor whose own flag is set stays open.
    auto editorLetGo = [this, &self] {
        if (!m_editor || m_state != tsEditing || m_editor->GetStateFlag() || m_editor->IsFocused())
            return true;
        // Its validation handler may free the grid.
        if (mouseEditorRefusedToLeave(*m_editor) || self.expired())
            return false;
        return EndEditing() && !self.expired();
    };
    if (!editorLetGo())
        return;
    const bool hadFocus = HasFocus();
    // At design time, or where the control cannot take the focus, the press
    // goes on without asking for it.
    if (m_host && !HasState(classes::csDesigning) && m_host->canFocus()) {
        m_host->setKeyboardFocus();
        if (self.expired())
            return;
        // A press that cannot take the focus is only the control's event.
        if (!m_host || !m_host->hasKeyboardFocus()) {
            TCustomdxContainer::MouseDown(button, shift, x, y);
            return;
        }
        if (!editorLetGo())
            return;
    }
    const TdxTreeListHitInfo hit = HitTest(x, y);
    m_pressHit = hit;
    const bool dbl = shift & ssDouble;
    // A right press ends a sizing or a drag without changing anything, and
    // then counts as any right press: on a cell it moves the focus there.
    if (button == mbRight && m_state != tsNone && m_state != tsEditing)
        CancelMode();
    if (button == mbLeft && m_state == tsNone) {
        auto startSizing = [&](uint8_t state, int at) {
            m_state = state;
            m_sizingStart = m_sizingPos = at;
            if (m_host)
                m_host->invalidateAll();
        };
        auto pressButton = [&](uint8_t state, const rtl::TRect &piece) {
            m_state = state;
            m_buttonPressed = true;
            if (m_host)
                m_host->invalidate(piece);
        };
        switch (hit.HitCode) {
        case htBandEdge:
            if (hit.BandIndex < 0)
                break;
            if (dbl) {
                BandBestFit(hit.BandIndex);
            } else {
                startSizing(tsBandSizing, x);
                BeginBandSizing(hit.BandIndex);
            }
            return;
        case htColumnEdge:
            if (hit.ColumnIndex < 0)
                break;
            if (dbl) {
                ColumnBestFit(hit.ColumnIndex);
            } else {
                startSizing(tsColumnSizing, x);
                BeginColumnSizing(hit.ColumnIndex);
            }
            return;
        case htBandPanelEdge: startSizing(tsBandPanelSizing, y); return;
        case htHeaderPanelEdge: startSizing(tsHeaderPanelSizing, y); return;
        case htRowEdge: startSizing(tsRowSizing, y); return;
        case htBandHeader:
            m_state = tsBandDown;
            m_pressX = x;
            m_pressY = y;
            SetPressed(-1, hit.BandIndex);
            break;
        case htColumnHeader: {
            const bool alternative = AlternativeHeaderMode() == 2;
            if (self.expired())
                return;
            m_state = alternative ? tsColumnDownAlt : tsColumnDown;
            m_pressX = x;
            m_pressY = y;
            SetPressed(hit.ColumnIndex, -1);
            break;
        }
        case htBandIndicator:
            if (optionB(boBandButton)) {
                TdxTreeListLayoutInfo info;
                CalcLayout(info);
                pressButton(tsBandButtonDown, info.BandIndicatorRect);
            }
            break;
        case htHeaderIndicator:
            if (optionB(boHeaderButton)) {
                TdxTreeListLayoutInfo info;
                CalcLayout(info);
                pressButton(tsHeaderButtonDown, info.HeaderIndicatorRect);
            }
            break;
        case htBottomPanel: {
            TdxTreeListLayoutInfo info;
            CalcLayout(info);
            const rtl::TRect face = TreeListBottomHint::ButtonRect(info.BottomPanelRect);
            if (mouseInside(face, x, y))
                pressButton(tsBottomButtonDown, face);
            break;
        }
        default: break;
        }
    }

    const bool cellCode = mouseIsCellCode(hit.HitCode);
    if (m_state == tsNone && hit.Node &&
        ((button == mbLeft && (cellCode || hit.HitCode == htRowIndicator)) || (button == mbRight && cellCode)) &&
        !(dbl && cellCode)) {
        TdxTreeListNode *before = m_focused;
        const int columnBefore = FocusedColumn();
        if (button == mbLeft && hit.HitCode != htRowIndicator)
            m_state = tsNodeDown;
        SetNewItemRowActive(false);
        {
            SelectionBracket bracket(*this);
            if (bracket.gone())
                return;
            const int position = hit.ColumnIndex >= 0 ? PositionOfColumn(hit.ColumnIndex) : FocusedColumn();
            ChangeFocus(hit.Node, position, true);
            if (self.expired())
                return;
            m_pressX = x;
            m_pressY = y;
            if (IsMultiSelect() && m_focused) {
                const bool ctrl = shift & ssCtrl;
                const bool shiftHeld = shift & ssShift;
                if (ctrl || shiftHeld)
                    m_toggleOnPress = true;
                if (ctrl && !shiftHeld) {
                    SetNodeSelected(m_focused, !IsNodeSelected(m_focused));
                    if (self.expired())
                        return;
                    m_anchor = m_focused;
                } else if (shiftHeld) {
                    if (!m_anchor) {
                        SetNodeSelected(m_focused, !IsNodeSelected(m_focused));
                        if (self.expired())
                            return;
                        m_anchor = m_focused;
                    } else {
                        if (!ctrl)
                            ClearSelection();
                        SelectRange(m_anchor, m_focused);
                    }
                } else if (!IsNodeSelected(m_focused)) {
                    ClearSelection();
                    SetNodeSelected(m_focused, true);
                    if (self.expired())
                        return;
                    m_anchor = m_focused;
                } else if (button != mbRight) {
                    m_selectOnRelease = true;
                }
            }
        }
        if (self.expired())
            return;
        m_focusMovedByPress = m_focused != before;
        const bool cellFocus = !IsRowFocus();
        if (button == mbLeft && hit.HitCode == htCell && cellFocus && hit.ColumnIndex >= 0) {
            if (ImmediateEditQuery(x, y, FocusedColumnIndex(), before == hit.Node)) {
                m_state = tsNone;
                showEditorAt(x, y);
                if (self.expired())
                    return;
            } else if (before == hit.Node && FocusedColumn() == columnBefore && hadFocus && m_state != tsEditing &&
                       SharedTimers().delayedEdit < 0 && m_host) {
                startDelayedEdit();
            }
        }
    }

    if (hit.HitCode == htNewItemRow && (button == mbLeft || button == mbRight) && m_state == tsNone) {
        pressNewItemRow(button, hit, hadFocus);
        if (self.expired())
            return;
        // A click there is a click on a row as on any other: OnClick on the
        // release, the second press of a double click OnDblClick.
        m_clickOnRelease = button == mbLeft && !dbl;
    }

    // One double click is one DblClick, wherever in the rows it lands:
    // on a cell, an expand button, the indent or empty space.
    bool dblClick = false;
    if (hit.Node && (hit.HitCode == htButton || (dbl && cellCode))) {
        stopDelayedEdit();
        if (hit.HitCode == htButton || m_settings.DblClickExpands)
            hit.Node->SetExpanded(!hit.Node->Expanded());
        if (self.expired())
            return;
        dblClick = dbl;
    }
    if (!hit.Node && hit.HitCode == htNewItemRow && dbl)
        dblClick = true;
    if (button == mbRight && m_state == tsEditing)
        EndEditing();
    if (self.expired())
        return;
    if (button == mbLeft && dbl && (hit.HitCode == htNowhere || (hit.HitCode >= htButton && hit.HitCode <= htCell)))
        dblClick = true;
    if (dblClick && MayDoubleClick() && !self.expired())
        DblClick();
    if (self.expired())
        return;
    if (button == mbMiddle && m_state == tsNone)
        if (auto *panning = dynamic_cast<PanningHost *>(m_host))
            panning->startPanning(*this);
    TCustomdxContainer::MouseDown(button, shift, x, y);
}

bool TCustomdxTreeList::DesignHitTest(int x, int y)
{
    if (!HasState(classes::csDesigning))
        return false;
    switch (m_state) {
    case tsColumnSizing:
    case tsColumnDragging:
    case tsColumnDown:
    case tsBandSizing:
    case tsBandDragging:
    case tsBandDown:
    case tsBandPanelSizing:
    case tsHeaderPanelSizing:
    case tsRowSizing: return true;
    default: break;
    }
    switch (HitTest(x, y).HitCode) {
    case htColumnHeader:
    case htColumnEdge:
    case htBandHeader:
    case htBandEdge:
    case htBandPanelEdge:
    case htHeaderPanelEdge:
    case htRowEdge: return true;
    default: return false;
    }
}

void TCustomdxTreeList::showEditorAt(int x, int y)
{
    if (ShowEditor() && m_editor && m_state == tsEditing)
        m_editor->ClickAt({x, y});
}

bool TCustomdxTreeList::ImmediateEditQuery(int /*x*/, int /*y*/, int /*column*/, bool /*wasFocused*/)
{
    return EditOptionQuery();
}

void TCustomdxTreeList::MouseMove(TShiftState shift, int x, int y)
{
    DeletionDeferral defer(*this);
    // The drag's veto and drag-over handlers may free the grid: the move
    // ends there.
    const TreeListAlive self = AliveToken();
    if (m_state == tsNodeDown && !(shift & ssLeft))
        m_state = tsNone;
    if (m_state == tsNodeDown && NodeDrag().ShouldBegin(shift, x, y)) {
        stopPressScroll();
        NodeDrag().BeginDrag(x, y);
        return;
    }
    if (m_state == tsNodeDown)
        pressAutoScroll(y);
    else
        stopPressScroll();
    if (m_state == tsNodeDragging) {
        NodeDrag().Follow(shift, x, y);
        return;
    }
    // A header press becomes a drag once the pointer leaves the square of
    // 5 pixels around the press.
    if (m_state == tsColumnDown && (std::abs(x - m_pressX) > 5 || std::abs(y - m_pressY) > 5) &&
        MayDragColumn(m_pressedColumn) && !self.expired())
        BeginColumnDrag(m_pressedColumn, x, y);
    if (self.expired())
        return;
    if (m_state == tsBandDown && (std::abs(x - m_pressX) > 5 || std::abs(y - m_pressY) > 5) &&
        MayDragBand(m_pressedBand) && !self.expired())
        BeginBandDrag(m_pressedBand, x, y);
    if (self.expired())
        return;
    if (m_state == tsBandDragging) {
        const BandDrop drop = BandDropTarget(m_pressedBand, x, y);
        bool accept = true;
        DragOverBand(m_pressedBand, accept);
        if (self.expired())
            return;
        headerDragStep(drop.Outside, accept, drop.Arrows, x, y);
        return;
    }
    if (m_state == tsColumnDragging) {
        const ColumnDrop drop = ColumnDropTarget(m_pressedColumn, x, y);
        bool accept = true;
        DragOverColumn(m_pressedColumn, accept);
        if (self.expired())
            return;
        headerDragStep(drop.Outside, accept, drop.Arrows, x, y);
        return;
    }
    switch (m_state) {
    case tsColumnSizing: m_sizingPos = ClampColumnSizing(m_pressHit.ColumnIndex, x); break;
    case tsBandSizing: m_sizingPos = ClampBandSizing(m_pressHit.BandIndex, x); break;
    case tsBandPanelSizing:
    case tsHeaderPanelSizing:
    case tsRowSizing: m_sizingPos = std::clamp(y, m_clientRect.Top, m_clientRect.Bottom); break;
    default: break;
    }
    // A hit test costs a layout; without hot tracking nothing can be hot.
    // The hot cell is known before the cursor is chosen for it.
    const bool hotTrack = IsHotTrack();
    if (self.expired())
        return;
    if (hotTrack || m_hotTrack->Column() >= 0) {
        const TdxTreeListHitInfo hit = HitTest(x, y);
        if (self.expired())
            return;
        m_hotTrack->Update(hit);
        if (self.expired())
            return;
    }
    // An open editor leaves the edges sizable: they show their cursor too.
    // The cursor handler may free the grid.
    if (m_host && (IsMouseMode(m_state) || m_state == tsNone || m_state == tsEditing)) {
        const TCursor cursor = CursorAt(x, y);
        if (self.expired())
            return;
        if (m_host)
            m_host->setCursor(cursor);
    }
    m_bottomHint->MouseMoved(x, y);
}

void TCustomdxTreeList::MouseEntered(int x, int y)
{
    // A descendant's answers may free the grid.
    const TreeListAlive self = AliveToken();
    if (!IsHotTrack() || self.expired())
        return;
    const TdxTreeListHitInfo hit = HitTest(x, y);
    if (!self.expired())
        m_hotTrack->Update(hit);
}

void TCustomdxTreeList::MouseLeft()
{
    // The hot track asks a descendant, which may free the grid.
    const TreeListAlive self = AliveToken();
    m_hotTrack->Update(TdxTreeListHitInfo{});
    if (!self.expired())
        m_bottomHint->PointerLeft();
}

void TCustomdxTreeList::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    DeletionDeferral defer(*this);
    SelectionBracket bracket(*this);
    if (bracket.gone())
        return;
    // A handler of the release (a click, a sort, a drop, an edit) may free
    // the grid: the release ends there.
    const TreeListAlive self = AliveToken();
    const TdxTreeListHitInfo hit = HitTest(x, y);
    const uint8_t state = m_state;
    switch (state) {
    case tsBandSizing: {
        const int at = ClampBandSizing(m_pressHit.BandIndex, m_sizingPos);
        m_state = tsNone;
        if (at != m_sizingStart) {
            FinishBandSizing(m_pressHit.BandIndex, at);
            if (!self.expired())
                BandSized(m_pressHit.BandIndex);
        }
        break;
    }
    case tsColumnSizing: {
        const int at = ClampColumnSizing(m_pressHit.ColumnIndex, m_sizingPos);
        m_state = tsNone;
        if (at != m_sizingStart) {
            FinishColumnSizing(m_pressHit.ColumnIndex, at);
            if (!self.expired())
                ColumnSized(m_pressHit.ColumnIndex);
        }
        break;
    }
    case tsBandPanelSizing:
        m_state = tsNone;
        FinishBandPanelSizing(m_sizingPos);
        break;
    case tsHeaderPanelSizing:
        m_state = tsNone;
        FinishHeaderPanelSizing(m_sizingPos);
        break;
    case tsRowSizing:
        m_state = tsNone;
        if (m_sizingPos != m_sizingStart && m_pressHit.Node)
            FinishRowSizing(m_pressHit.Node, m_sizingPos);
        break;
    case tsBandDown: {
        const int band = m_pressedBand;
        CancelMode();
        if (hit.HitCode == htBandHeader && hit.BandIndex == band && band >= 0)
            BandClick(band);
        break;
    }
    case tsBandButtonDown:
    case tsHeaderButtonDown:
    case tsBottomButtonDown: {
        const bool pressed = m_buttonPressed;
        CancelMode();
        if (pressed && state == tsBottomButtonDown)
            BottomButtonClick();
        else if (pressed)
            IndicatorButtonClick(state == tsBandButtonDown);
        break;
    }
    case tsColumnDown: {
        const int column = m_pressedColumn;
        CancelMode();
        // A header click ends the release; one let go elsewhere is an
        // ordinary release the program hears of.
        if (hit.HitCode == htColumnHeader && hit.ColumnIndex == column && column >= 0) {
            // Put back unless the click's handlers freed the grid.
            struct HeaderClickKeys
            {
                const TreeListAlive &alive;
                bool &shifted, &ctrl;
                const bool shiftedBefore, ctrlBefore;
                ~HeaderClickKeys()
                {
                    if (!alive.expired()) {
                        shifted = shiftedBefore;
                        ctrl = ctrlBefore;
                    }
                }
            } const keys{self, m_headerClickShift, m_headerClickCtrl,
                         std::exchange(m_headerClickShift, (shift & ssShift) && optionB(boMultiSort)),
                         std::exchange(m_headerClickCtrl, (shift & ssCtrl) != 0)};
            ColumnSortClick(column, shift);
            return;
        }
        break;
    }
    case tsColumnDownAlt: {
        const int column = m_pressedColumn;
        CancelMode();
        if (hit.HitCode == htColumnHeader && hit.ColumnIndex == column && column >= 0) {
            const bool alternative = AlternativeHeaderMode() == 2;
            if (self.expired())
                return;
            if (alternative && !HasState(classes::csDesigning)) {
                AlternativeHeaderClick(column);
                return;
            }
        }
        break;
    }
    case tsBandDragging: EndBandDrag(m_pressedBand, true, x, y); break;
    case tsNodeDragging: NodeDrag().DropAt(x, y); return;
    case tsColumnDragging: EndColumnDrag(m_pressedColumn, true, x, y); break;
    default: break;
    }
    if (self.expired())
        return;
    if (m_host && IsMouseMode(state))
        m_host->invalidateAll();
    if (m_selectOnRelease && m_focused) {
        ClearSelection();
        SetNodeSelected(m_focused, true);
        if (self.expired())
            return;
        m_anchor = m_focused;
    }
    m_selectOnRelease = false;
    if ((state == tsEditing || state == tsNodeDragging || state == tsNodeDown || m_focusMovedByPress) &&
        optionA(aoClickToDblClick) && !IsRowFocus()) {
        const bool same = hit.ColumnIndex == m_pressHit.ColumnIndex && hit.RowIndex == m_pressHit.RowIndex &&
                          hit.HitCode == m_pressHit.HitCode;
        if (same && button == mbLeft && (hit.HitCode == htCell || hit.HitCode == htNewItemRow) &&
            (hit.Node == m_focused || hit.HitCode == htNewItemRow)) {
            m_state = tsNone;
            if (!(shift & (ssShift | ssCtrl)))
                showEditorAt(x, y);
            if (self.expired())
                return;
        }
    }
    m_focusMovedByPress = false;
    stopPressScroll();
    if (m_state == tsNodeDown)
        m_state = tsNone;
    const bool clickOnRelease = std::exchange(m_clickOnRelease, false);
    if (state == tsEditing || state == tsNodeDragging || state == tsNodeDown || clickOnRelease)
        Click();
    if (self.expired())
        return;
    TCustomdxContainer::MouseUp(button, shift, x, y);
}

} // namespace grid
