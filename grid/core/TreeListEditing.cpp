// Showing the in-place editor over the focused cell, filling it from the
// cell, and storing what the user typed when it closes.

#include "grid/core/InplaceEditor.h"
#include "grid/core/TreeList.h"
#include "grid/core/TreeListColumn.h"
#include "grid/core/TreeListHooks.h"
#include "grid/core/TreeListHost.h"

namespace grid {

bool TCustomdxTreeList::ShowEditor(TChar typed)
{
    if (!optionA(aoEditing) || optionA(aoRowFocus) || !m_focused)
        return false;
    // The can-edit handlers, and those of the expansion that brings the
    // node into view, may free the grid: no editor then.
    const TreeListAlive self = AliveToken();
    bool allow = true;
    if (IsNewItemRowActive())
        DoCanEditNewItemRow(allow);
    else
        DoCanEdit(m_focused, allow);
    if (!allow || self.expired())
        return false;
    if (m_state == tsNone) {
        if (FocusedColumnIndex() < 0 || VisibleColumnCount() == 0)
            return false;
        MakeVisible(m_focused);
        if (self.expired())
            return false;
        MakeColumnVisible(FocusedColumnIndex());
        m_state = tsEditing;
        showEditorInCell(true);
    } else if (m_state == tsEditing && m_editor && !m_editor->IsFocused()) {
        // An editor left open when the focus went on to another control
        // takes the keys again.
        showEditorInCell(true);
    }
    if (self.expired())
        return false;
    if (m_state != tsEditing || !m_editor || !m_editor->Shown())
        return false;
    if (typed == 22 || typed == 24) {
        // Ctrl+V and Ctrl+X come as their control characters, which an
        // editor would drop; it pastes and cuts on the keys instead.
        TKey key = typed == 22 ? 'V' : 'X';
        m_editor->KeyDown(key, ssCtrl);
    } else if (typed != 0) {
        TChar key = typed;
        m_editor->KeyPress(key);
    }
    return true;
}

bool TCustomdxTreeList::IsEditOutOfSync()
{
    return FocusedColumnIndex() != EditedColumn();
}

bool TCustomdxTreeList::CanShowEditor()
{
    return m_state == tsEditing && !HasState(classes::csDesigning) && !IsUpdating() && m_host;
}

InplaceEditor *TCustomdxTreeList::CreateDefaultEditor(int /*column*/)
{
    return m_host ? m_host->createEditor(QString::fromLatin1(InplaceTreeListTextEditName), this) : nullptr;
}

InplaceEditor *TCustomdxTreeList::FindEditor(int /*column*/)
{
    return m_editor;
}

QString TCustomdxTreeList::GetEditorText()
{
    return m_state == tsEditing && m_editor ? m_editor->GetText() : QString();
}

void TCustomdxTreeList::SetEditorText(const QString &text)
{
    if (m_state == tsEditing && m_editor)
        m_editor->SetEditText(text);
}

void TCustomdxTreeList::InitEditor(InplaceEditor *editor)
{
    editor->SetClosing(false);
    // Screens here show every colour exactly: the nearest is the colour.
    // The colour's handler may free the grid, and the editor with it.
    const TreeListAlive self = AliveToken();
    const rtl::TColor color = GetEditColor();
    if (self.expired())
        return;
    editor->SetColor(color);
    editor->Font().Assign(&GetEditFont());
    editor->SetMargins(rtl::TRect{1, 0, 0, 0});
}

QVariant TCustomdxTreeList::GetEditValue()
{
    return QString();
}

void TCustomdxTreeList::showEditorInCell(bool focusEditor)
{
    // The editing queries are a descendant's, and may free the grid.
    const TreeListAlive self = AliveToken();
    if (!CanShowEditor() || self.expired())
        return;
    const int column = FocusedColumnIndex();
    InplaceEditor *editor = FindEditor(column);
    if (!editor) {
        editor = CreateDefaultEditor(column);
        if (!editor) {
            m_state = tsNone;
            return;
        }
        m_editor = editor;
        if (!initEditorForCell())
            return;
    } else {
        m_editor = editor;
        if (column != EditedColumn() || m_focused != m_editedNode) {
            hideEditor(editor);
            m_state = tsEditing;
            if (!initEditorForCell())
                return;
        }
    }
    const rtl::TRect rect =
        m_editedNewItemRow ? NewItemRowCellRect(FocusedColumn()) : EditorRect(m_focused, FocusedColumn());
    const bool mayShow = CanShowEditor();
    if (self.expired())
        return;
    if (!mayShow) {
        m_editedColumn = {};
        m_editedNode = nullptr;
        return;
    }
    m_editorAside = false;
    if (focusEditor) {
        editor->ShowEdit(rect);
        return;
    }
    editor->BeginShow();
    struct ShowLock
    {
        InplaceEditor *editor;
        ~ShowLock() { editor->EndShow(); }
    } lock{editor};
    editor->ShowEdit(rect);
}

void TCustomdxTreeList::PlaceEditor()
{
    if (m_state != tsEditing || !m_editor || !CanShowEditor() || (!m_editor->Shown() && !m_editorAside))
        return;
    // The editor stays with the cell it was opened on, which is where its
    // value goes, wherever that cell is now.
    const int column = EditedColumn();
    const int position = column >= 0 ? PositionOfColumn(column) : -1;
    rtl::TRect rect{-1, -1, -1, -1};
    if (position >= 0 && ColumnAtPosition(position) == column && owns(m_editedNode))
        rect = m_editedNewItemRow ? NewItemRowCellRect(position) : EditorRect(m_editedNode, position);
    if (rect.IsEmpty()) {
        // Its cell is out of view: the editor waits hidden, the keys with
        // the grid.
        if (m_editor->Shown()) {
            if (!m_editorAside) {
                m_editorAside = true;
                m_editorAsideFocused = m_editor->IsFocused();
            }
            m_editor->HideEdit();
        }
        return;
    }
    // It takes the keys back only from its own grid, and as it left them:
    // the caret, the selection and the text Esc goes back to stay.
    const bool refocus = m_editorAside && m_editorAsideFocused && HasFocus();
    m_editorAside = false;
    m_editor->PlaceEdit(rect, refocus);
}

bool TCustomdxTreeList::initEditorForCell()
{
    m_editedColumn = holdColumn(FocusedColumnIndex());
    m_editedPosition = m_editedColumn.taken() >= 0 ? FocusedColumn() : -1;
    m_editedNode = m_focused;
    m_editedNewItemRow = IsNewItemRowActive();
    if (!m_focused)
        return true;
    SetEditFlag();
    // The editor's set-up calls out: a handler may free the grid.
    const TreeListAlive self = AliveToken();
    struct EditFlag
    {
        TCustomdxTreeList *tree;
        const TreeListAlive &alive;
        ~EditFlag()
        {
            if (!alive.expired())
                tree->ClearEditFlag();
        }
    } flag{this, self};
    InitEditor(m_editor);
    if (self.expired())
        return false;
    const QVariant value = GetEditValue();
    if (self.expired())
        return false;
    m_editor->SetModified(false);
    if (IsEditReadOnly())
        m_editor->SetReadOnly(true);
    m_editor->SetEditValue(value);
    return true;
}

void TCustomdxTreeList::commitEdit()
{
    if (EditedColumn() < 0 || !m_editedNode || !m_editor || !m_editor->GetModified())
        return;
    // The value goes to the column it was typed into, wherever that column
    // is after the handlers below; a column that went takes the edit along.
    const HeldIndex held = m_editedColumn;
    const TreeListAlive self = AliveToken();
    TdxTreeListNode *node = m_editedNode;
    if (m_editedNewItemRow) {
        // What is typed into the new item row makes a new node; the row
        // stays ready for the next one.
        node = AppendNewItemNode();
        if (self.expired() || !node || !owns(node))
            return;
    }
    const int column = findColumn(held);
    if (column < 0 || !m_editor)
        return;
    StoreEditValue(node, column, m_editor->GetEditValue(false), m_editor);
    if (self.expired() || !owns(node))
        return;
    NodeChanged(node, false);
    // A handler may end the grid's hold of the node; it hears of it last.
    if (owns(node))
        DoNodeChanged(node);
}

void TCustomdxTreeList::AbandonEdit()
{
    m_editorAside = false;
    m_editedColumn = {};
    m_editedNode = nullptr;
    m_editedNewItemRow = false;
    if (m_state == tsEditing) {
        m_state = tsNone;
        if (m_editor)
            m_editor->HideEdit();
    }
}

void TCustomdxTreeList::hideEditor(InplaceEditor *editor)
{
    if (!editor)
        return;
    m_editorAside = false;
    editor->SetClosing(true);
    // The commit's handlers may free the grid, and its editor with it.
    const TreeListAlive self = AliveToken();
    if (!editor->HasState(classes::csDestroying))
        commitEdit();
    if (self.expired())
        return;
    m_editedColumn = {};
    m_editedNode = nullptr;
    m_editedNewItemRow = false;
    editor->HideEdit();
}

} // namespace grid
