// The tree list's keys: what each key does to the focus, the selection,
// the expansion of nodes, editing, the incremental search and the
// clipboard.

#include "grid/core/InplaceEditor.h"
#include "grid/core/TreeList.h"
#include "grid/core/TreeListHost.h"
#include "grid/core/TreeListNodeDrag.h"
#include "grid/core/TreeListScopes.h"

namespace grid {

namespace {

bool keyIsCtrlShiftRangeKey(TKey key)
{
    return key == VK_PRIOR || key == VK_NEXT || key == VK_END || key == VK_HOME || key == VK_UP || key == VK_DOWN;
}

} // namespace

bool TCustomdxTreeList::IsMouseMode(uint8_t state)
{
    switch (state) {
    case tsColumnSizing:
    case tsColumnDragging:
    case tsBandSizing:
    case tsBandDragging:
    case tsBandPanelSizing:
    case tsHeaderPanelSizing:
    case tsRowSizing: return true;
    default: return false;
    }
}

bool TCustomdxTreeList::CtrlWithoutAlt() const
{
    const TShiftState keys = m_host ? m_host->keyState() : 0;
    return (keys & ssCtrl) && !(keys & ssAlt);
}

void TCustomdxTreeList::CancelMode()
{
    m_bottomHint->Stop();
    if (m_state == tsNodeDragging) {
        NodeDrag().Cancel();
        return;
    }
    // A header drag ends through its end step, without a drop; a step of a
    // descendant that leaves the drag running is finished below.
    if ((m_state == tsColumnDragging || m_state == tsBandDragging) && !m_endingHeaderDrag) {
        if (m_state == tsBandDragging)
            EndBandDrag(m_pressedBand, false, m_pressX, m_pressY);
        else
            EndColumnDrag(m_pressedColumn, false, m_pressX, m_pressY);
        if (m_state != tsColumnDragging && m_state != tsBandDragging)
            return;
    }
    if (!IsMouseMode(m_state) && m_state != tsColumnDown && m_state != tsColumnDownAlt && m_state != tsBandDown &&
        m_state != tsNodeDown && m_state != tsBandButtonDown && m_state != tsHeaderButtonDown &&
        m_state != tsBottomButtonDown)
        return;
    m_buttonPressed = false;
    stopDragScroll();
    stopPressScroll();
    if (m_state == tsColumnDragging || m_state == tsBandDragging)
        endHeaderDrag();
    m_state = tsNone;
    m_pressedColumn = -1;
    m_pressedBand = -1;
    if (m_host) {
        m_host->setCursor(crDefault);
        m_host->invalidateAll();
    }
}

bool TCustomdxTreeList::activateNewItemRowAbove()
{
    if (!m_focused || m_focused != m_topLevel.first() || !IsNewItemRowShown() || m_metrics.NewItemRowHeight < 1)
        return false;
    SetNewItemRowActive(true);
    return true;
}

void TCustomdxTreeList::KeyDown(TKey &key, TShiftState shift)
{
    DeletionDeferral defer(*this);
    SelectionBracket bracket(*this);
    if (bracket.gone())
        return;
    // A handler of the key (OnKeyDown, a focus, editing or node event) may
    // free the grid: the key ends there.
    const TreeListAlive self = AliveToken();
    TCustomdxContainer::KeyDown(key, shift);
    if (self.expired() || key == 0)
        return;
    const bool keep = KeepKey(key);
    if (self.expired())
        return;
    if (!keep) {
        key = 0;
        return;
    }
    if (IsMouseMode(m_state) || m_state == tsNodeDragging) {
        if (key == VK_ESCAPE) {
            CancelMode();
        } else if (m_state == tsNodeDragging && (key == VK_ADD || key == VK_SUBTRACT)) {
            // The keypad opens and closes the node under the pointer of a
            // drag; the character it types must not reach the focused node.
            NodeDrag().ExpandUnderPointer(key == VK_ADD);
            key = 0;
        }
        return;
    }
    if (m_topLevel.count() == 0)
        return;
    const bool shiftHeld = shift & ssShift;
    const bool ctrlHeld = shift & ssCtrl;
    if (m_state == tsEditing && (key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE || key == VK_PRIOR ||
                                 key == VK_NEXT || key == VK_UP || key == VK_DOWN)) {
        // An editor that refuses its value keeps the key's move from
        // happening.
        if (!EndEditing() || self.expired() || key == VK_ESCAPE)
            return;
    }

    if (IsNewItemRowActive() && (key == VK_NEXT || key == VK_DOWN)) {
        // Back to the focused node's row, which kept the focus meanwhile.
        SetNewItemRowActive(false);
        if (!shiftHeld && !ctrlHeld) {
            ClearSelection();
            m_anchor = nullptr;
            if (IsMultiSelect() && m_focused)
                SetNodeSelected(m_focused, true);
        }
        return;
    }

    if (m_searching &&
        (key == VK_BACK || key == VK_ESCAPE || key == VK_DELETE || (key == VK_RETURN && (shiftHeld || ctrlHeld)))) {
        if (m_searchColumn != FocusedColumnIndex())
            m_searchText.clear();
        if (key == VK_ESCAPE) {
            EndSearch();
            return;
        }
        if (key == VK_BACK)
            chopLastCharacter(m_searchText);
        else if (key == VK_DELETE)
            m_searchText.clear();
        const int direction = key != VK_RETURN ? sdFocused : (ctrlHeld ? sdForward : sdBackward);
        m_searchColumn = FocusedColumnIndex();
        SearchStep(m_searchText, direction, false);
        return;
    }

    const bool rangeAllowed = MayRangeSelect();
    if (self.expired())
        return;
    if (ctrlHeld && !(shiftHeld && rangeAllowed && keyIsCtrlShiftRangeKey(key))) {
        // A Ctrl key is no longer the press's selection change.
        m_toggleOnPress = false;
        switch (key) {
        case VK_SPACE:
            if ((IsRowFocus() || !optionA(aoEditing)) && m_focused) {
                SetNodeSelected(m_focused, !IsNodeSelected(m_focused));
                if (self.expired())
                    return;
                m_anchor = m_focused;
            }
            break;
        case VK_PRIOR: StepPage(false); break;
        case VK_NEXT: StepPage(true); break;
        case VK_END: SetFocusedRowIndex(VisibleRowCount() - 1); break;
        case VK_HOME: SetFocusedRowIndex(0); break;
        case VK_LEFT: SetFocusedColumn(0); break;
        case VK_RIGHT: SetFocusedColumn(std::max(VisibleColumnCount() - 1, 0)); break;
        case VK_UP:
            if (!activateNewItemRowAbove())
                StepRows(-1, 0);
            break;
        case VK_DOWN: StepRows(1, 0); break;
        case VK_INSERT: CopySelectedToClipboard(); break;
        default: break;
        }
        return;
    }

    const bool cellFocus = !IsRowFocus();
    const bool ranging = shiftHeld && rangeAllowed;
    auto anchorBefore = [&] {
        if (!ranging)
            m_anchor = nullptr;
        else if (!m_anchor)
            m_anchor = m_focused;
    };
    auto anchorAfter = [&] {
        if (ranging && m_anchor && m_focused)
            SelectRange(m_anchor, m_focused);
    };
    auto rowMove = [&](const std::function<void()> &move) {
        ClearSelection();
        anchorBefore();
        move();
        if (!self.expired())
            anchorAfter();
    };
    switch (key) {
    case VK_HOME:
        if (cellFocus && !shiftHeld)
            SetFocusedColumn(0);
        else
            rowMove([&] { SetFocusedRowIndex(0); });
        break;
    case VK_END:
        if (cellFocus && !shiftHeld)
            SetFocusedColumn(std::max(VisibleColumnCount() - 1, 0));
        else
            rowMove([&] { SetFocusedRowIndex(VisibleRowCount() - 1); });
        break;
    case VK_PRIOR:
        rowMove([&] {
            if (!activateNewItemRowAbove())
                StepPage(false);
        });
        break;
    case VK_NEXT: rowMove([&] { StepPage(true); }); break;
    case VK_LEFT:
    case VK_RIGHT: {
        const bool forward = key == VK_RIGHT;
        if (cellFocus && !shiftHeld) {
            StepColumn(forward, optionB(boArrowsWrapRows), false);
            break;
        }
        if (!m_focused || IsNewItemRowActive())
            break;
        TdxTreeListNode *node = m_focused;
        MakeVisible(node);
        const bool children = node->HasChildren() || node->Count() > 0;
        if (!forward) {
            if (node->Expanded() && children) {
                node->SetExpanded(false);
            } else if (node->Parent() && node->Index() == 0) {
                ClearSelection();
                SetFocusedNode(node->Parent());
            } else {
                ClearSelection();
                StepRows(-1, 0);
            }
        } else if (!children) {
            ClearSelection();
            StepRows(1, 0);
        } else if (!node->Expanded()) {
            node->SetExpanded(true);
        } else if (node->Count() > 0) {
            ClearSelection();
            SetFocusedNode(node->Items(0));
        }
        break;
    }
    case VK_UP:
    case VK_DOWN:
        if (optionB(boBandLineSteps) && StepBandLine(key == VK_DOWN))
            break;
        if (key == VK_UP && activateNewItemRowAbove())
            break;
        StepRows(key == VK_DOWN ? 1 : -1, shift);
        break;
    case VK_TAB:
        if (shift & ssAlt)
            break;
        if (cellFocus) {
            StepColumn(!shiftHeld, optionA(aoTabWrapsRows), true);
        } else {
            ClearSelection();
            StepRows(shiftHeld ? -1 : 1, 0);
        }
        break;
    case VK_RETURN:
        if (optionB(boEnterMovesOn) && optionB(boImmediateEditor)) {
            StepColumn(true, true, true);
            if (!self.expired())
                ShowEditor();
        }
        break;
    case VK_ESCAPE:
        ClearSelection();
        if (m_editor)
            m_editor->MoveCaretToEnd();
        EndEditing();
        break;
    case VK_F2: ShowEditor(); break;
    default: break;
    }
    if (self.expired())
        return;
    // Without multiple selection the focused node is the selection itself.
    if (IsMultiSelect() && SelectedCount() == 0 && m_focused)
        SetNodeSelected(m_focused, true);
}

bool TCustomdxTreeList::TypingOpensEditor() const
{
    if (m_searching || m_state == tsEditing || !optionB(boImmediateEditor))
        return false;
    return !(m_state == tsNone && optionB(boIncrementalSearch) && !CtrlWithoutAlt());
}

void TCustomdxTreeList::KeyPress(TChar &key)
{
    DeletionDeferral defer(*this);
    // A handler of the character (OnKeyPress, the editor's can-edit) may
    // free the grid: the character ends there.
    const TreeListAlive self = AliveToken();
    const bool ctrlOnly = CtrlWithoutAlt();
    // Only a character that the search would take starts one.
    if (m_state == tsNone && !m_searching && optionB(boIncrementalSearch) && !ctrlOnly && IsTypedChar(key))
        StartSearch(-1, QString());
    if (self.expired())
        return;
    if (!m_searching) {
        if (optionB(boImmediateEditor) && m_state != tsEditing) {
            if (key == 13) {
                ShowEditor();
            } else if (key == 8 || key == 22 || key == 24 || IsTypedChar(key)) {
                if (!ShowEditor(key) && !self.expired())
                    TCustomdxContainer::KeyPress(key);
            } else {
                TCustomdxContainer::KeyPress(key);
            }
        } else {
            TCustomdxContainer::KeyPress(key);
        }
    }
    if (self.expired())
        return;
    // A program's handler may have changed the character or taken it.
    if (m_state != tsEditing && m_focused) {
        TdxTreeListNode *node = m_focused;
        if (key == 3) {
            if (optionB(boCtrlCCopies))
                CopySelectedToClipboard();
        } else if (key == '*') {
            if (node->HasChildren() || node->Count() > 0)
                node->Expand(true);
        } else if (key == '+') {
            MakeVisible(node);
            node->SetExpanded(true);
        } else if (key == '-') {
            MakeVisible(node);
            node->SetExpanded(false);
        }
    }
    if (self.expired())
        return;
    if (m_searching && IsTypedChar(key) && !ctrlOnly) {
        if (m_searchColumn != FocusedColumnIndex()) {
            m_searchText.clear();
            m_searchColumn = FocusedColumnIndex();
        }
        m_searchText += QString::fromUcs4(&key, 1);
        SearchStep(m_searchText, sdFocused, false);
    }
}

} // namespace grid
