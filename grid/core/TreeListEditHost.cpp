// What the tree list answers its in-place editors.

#include "grid/core/TreeList.h"
#include "grid/core/TreeListControl.h"
#include "grid/core/TreeListEditStyle.h"
#include "grid/core/TreeListHost.h"

#include <algorithm>

namespace grid {

std::unique_ptr<TdxEditStyle> TCustomdxTreeList::CreateEditStyle(InplaceEditor *edit)
{
    return std::make_unique<TdxTreeListEditStyle>(edit, this);
}

rtl::TColor TCustomdxTreeList::GetEditColor()
{
    rtl::TColor color = Color();
    const int column = FocusedColumnIndex();
    if (column >= 0)
        color = ColumnColor(column);
    if (OnGetEditColor)
        OnGetEditColor(this, color);
    return color;
}

bool TCustomdxTreeList::EditWantTabs()
{
    const TShiftState keys = m_host ? m_host->keyState() : 0;
    return optionA(aoEditorTabs) && !(keys & ssCtrl);
}

void TCustomdxTreeList::EditMoveFocus(bool backward)
{
    if (!EndEditing())
        return;
    SetFocusedColumn(FocusedColumn() + (backward ? -1 : 1));
}

void TCustomdxTreeList::EditFocusChanged()
{
    InvalidateNode(m_focused);
    if (SelectedCount() < 11) {
        for (TdxTreeListNode *node : SelectedNodes())
            InvalidateNode(node);
    } else if (m_host) {
        m_host->invalidateAll();
    }
}

bool TCustomdxTreeListControl::CanEditModify()
{
    const TdxTreeListColumn *column = Columns(FocusedColumnIndex());
    return column && !column->ReadOnly();
}

const classes::TFont &TCustomdxTreeListControl::GetEditFont()
{
    const TdxTreeListColumn *column = Columns(FocusedColumnIndex());
    return column && column->IsAssigned(TdxTreeListColumn::avFont) ? *column->Font() : Font();
}

InplaceEditor *TCustomdxTreeListControl::CreateDefaultEditor(int column)
{
    const TdxTreeListColumn *c = Columns(column);
    if (!c || !Host())
        return nullptr;
    const QString className = c->GetEditorClassName();
    InplaceEditor *editor = Host()->createEditor(className, this);
    if (editor) {
        // The window may free its editors before the grid goes.
        editor->FreeNotification(this);
        m_editors.emplace_back(className, editor);
    }
    return editor;
}

void TCustomdxTreeListControl::forgetEditor(classes::TComponent *component)
{
    const auto it =
        std::find_if(m_editors.begin(), m_editors.end(), [component](const auto &e) { return e.second == component; });
    if (it == m_editors.end())
        return;
    // The editor is half gone: editing ends without a word to it.
    if (Editor() == it->second) {
        SetEditor(nullptr);
        AbandonEdit();
    }
    m_editors.erase(it);
}

InplaceEditor *TCustomdxTreeListControl::FindEditor(int column)
{
    const TdxTreeListColumn *c = Columns(column);
    if (!c)
        return nullptr;
    const QString className = c->GetEditorClassName();
    for (const auto &[name, editor] : m_editors)
        if (name == className)
            return editor;
    return nullptr;
}

void TCustomdxTreeListControl::InitEditor(InplaceEditor *editor)
{
    const TreeListAlive self = AliveToken();
    TCustomdxTreeList::InitEditor(editor);
    if (self.expired())
        return;
    if (TdxTreeListColumn *column = Columns(FocusedColumnIndex()))
        column->InitEditProperties(*editor);
}

QVariant TCustomdxTreeListControl::GetEditValue()
{
    TdxTreeListColumn *column = Columns(FocusedColumnIndex());
    // The new item row starts empty: it shows no node's text.
    if (!column || !Editor() || !FocusedNode() || IsNewItemRowActive())
        return TCustomdxTreeList::GetEditValue();
    return column->LoadEditorValue(FocusedNode(), *Editor());
}

void TCustomdxTreeListControl::StoreEditValue(TdxTreeListNode *node, int column, const QVariant &,
                                              InplaceEditor *editor)
{
    if (TdxTreeListColumn *c = Columns(column))
        c->AssignEditValue(node, *editor);
}

} // namespace grid
