// What the tree list answers its in-place editors.

#include "grid/core/TreeList.h"
#include "grid/core/TreeListControl.h"
#include "grid/core/TreeListEditStyle.h"

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

} // namespace grid
