#include "grid/core/TreeListPaintRules.h"

namespace grid {

rtl::TColor GridLineColor(const TreeListColors &colors)
{
    return colors.GridColor == rtl::clNone ? colors.GridFallbackColor : colors.GridColor;
}

rtl::TColor TreeLineColor(uint8_t look)
{
    return look == 2 ? rtl::TColor(0xA0A0A0) : rtl::clBtnShadow;
}

bool CellDrawnSelected(const TreeListCellState &s)
{
    if (!s.RowSelected || (s.NewItemRowActive && !s.MultiSelect))
        return false;
    if (s.HideSelection && !s.ControlFocused)
        return false;
    if (s.RowFocus)
        return true;
    if (s.MultiSelect && !s.InvertedFocus)
        return true;
    if (s.MultiSelect && (s.NewItemRowActive || !s.FocusedNode))
        return true;
    return s.FocusedColumn != s.InvertedFocus;
}

CellColorRole CellColorRule(const TreeListCellState &s, bool selected)
{
    if (!s.ControlFocused && s.DragObject && s.FocusedNode)
        return CellColorRole::Highlight;
    if (selected && (!s.HideSelection || s.ControlFocused))
        return s.ControlFocused ? CellColorRole::Highlight : CellColorRole::Inactive;
    if (!s.ReserveButtonCell && s.GroupRow)
        return CellColorRole::Group;
    const bool ownAllowed = !selected || (s.HideSelection && !s.ControlFocused);
    return s.ColumnOwnBrush && ownAllowed ? CellColorRole::Column : CellColorRole::Control;
}

bool CellFocusedFlag(const TreeListCellState &s)
{
    return s.ControlFocused && s.FocusedNode && (s.InvertedFocus || s.RowFocus || s.FocusedColumn);
}

FocusMarkPlace FocusMarkPlacement(const TreeListCellState &s)
{
    if (s.NewItemRowActive || !s.FocusedNode)
        return FocusMarkPlace::None;
    if (s.RowFocus || s.InvertedFocus)
        return FocusMarkPlace::Row;
    return s.FocusedColumn ? FocusMarkPlace::Cell : FocusMarkPlace::None;
}

FocusMarkStyle FocusMarkStyleFor(bool controlFocused, bool editorHostPaint, bool noInactiveFocus, bool dragObject)
{
    if (controlFocused)
        return editorHostPaint ? FocusMarkStyle::None : FocusMarkStyle::Dotted;
    return !noInactiveFocus && !dragObject ? FocusMarkStyle::Inverted : FocusMarkStyle::None;
}

rtl::TColor SearchHighlightColor(rtl::TColor set, rtl::TColor cellColor)
{
    if (set != rtl::clNone)
        return set;
    return rtl::TColor((rtl::ColorToRGB(cellColor) ^ 0xFFFFFF) & 0xFFFFFF);
}

int RowIndicatorKind(bool focusedNode, bool editing, bool multiSelect, bool selected, bool marked)
{
    if (focusedNode && editing)
        return igEdit;
    if (multiSelect && selected)
        return focusedNode ? igMultiArrow : igMultiDot;
    if (focusedNode || marked)
        return igArrow;
    return ikNone;
}

} // namespace grid
