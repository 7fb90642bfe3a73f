#pragma once

// The colours and switches a tree list paints with, and the rules that pick
// a cell's selection, colours and focus mark. Pure decisions: the painter
// asks them per cell and draws what they answer.

#include "grid/core/TreeListShared.h"

#include "platform/rtl/Colors.h"

#include <cstdint>

namespace grid {

struct TreeListColors
{
    rtl::TColor BandColor = rtl::clBtnFace;
    rtl::TColor HeaderColor = rtl::clBtnFace;
    rtl::TColor GroupColor = rtl::clBtnFace;
    rtl::TColor GroupTextColor = rtl::clNone; // clNone: the control's font colour
    rtl::TColor HighlightColor = rtl::clHighlight;
    rtl::TColor HighlightTextColor = rtl::clHighlightText;
    rtl::TColor InactiveColor = rtl::clBtnFace;
    rtl::TColor InactiveTextColor = rtl::clBtnText;
    rtl::TColor LightColor = rtl::cl3DLight;
    rtl::TColor FrameColor = rtl::clWindowFrame;
    rtl::TColor GrayTextColor = rtl::clGrayText; // solid tree lines
    // Kept with the others as the grid's settings have them; nothing the
    // grid paints reads these two.
    rtl::TColor WindowTextColor = rtl::clWindowText;
    rtl::TColor ExtraColor = 0x00FF00;
    rtl::TColor GridColor = rtl::clNone; // clNone: GridFallbackColor
    rtl::TColor GridFallbackColor = rtl::clBtnShadow;
    // Incremental-search highlight; clNone inverts the cell's own colours.
    rtl::TColor SearchColor = rtl::clNone;
    rtl::TColor SearchTextColor = rtl::clNone;
    friend bool operator==(const TreeListColors &, const TreeListColors &) = default;
};

struct TreeListPaintSwitches
{
    bool ShowLines = false;       // tree lines, with a reserved button cell
    uint8_t LineStyle = 0;        // 1: dotted
    bool HideSelection = true;    // no selection colours while unfocused
    bool NoInactiveFocus = false; // no inverted focus frame while unfocused
    bool FooterStyle = false;     // the footer panel raised (filled in the flat look) rather than framed
    friend bool operator==(const TreeListPaintSwitches &, const TreeListPaintSwitches &) = default;
};

// The grid lines' colour.
rtl::TColor GridLineColor(const TreeListColors &colors);
// The tree lines' colour in the flat look and otherwise.
rtl::TColor TreeLineColor(uint8_t look);

// What decides whether one cell is drawn selected and how.
struct TreeListCellState
{
    bool RowSelected = false;
    bool NewItemRowActive = false;
    bool MultiSelect = false;   // word A bit 6
    bool RowFocus = false;      // word A bit 5
    bool InvertedFocus = false; // word B bit 0: the focused row's other cells are the selected ones
    bool FocusedNode = false;   // the row's node is the focused node
    bool FocusedColumn = false; // the cell is the focused column's
    bool HideSelection = true;
    bool ControlFocused = false;
    bool DragObject = false; // a drag is over the control
    bool GroupRow = false;   // the node has children (or is drawn as one row)
    bool ReserveButtonCell = false;
    bool ColumnOwnBrush = false; // the column's colour differs from the control's
};

bool CellDrawnSelected(const TreeListCellState &s);

enum class CellColorRole : uint8_t { Highlight, Inactive, Group, Column, Control };

// The first colour rule that applies to the cell; selected is the answer of
// CellDrawnSelected.
CellColorRole CellColorRule(const TreeListCellState &s, bool selected);

// The focused-cell flag the cell drawing gets.
bool CellFocusedFlag(const TreeListCellState &s);

enum class FocusMarkPlace : uint8_t { None, Cell, Row };
enum class FocusMarkStyle : uint8_t { None, Dotted, Inverted };

// Where the focused node's mark goes: around the focused cell, or once
// around the whole row.
FocusMarkPlace FocusMarkPlacement(const TreeListCellState &s);
// How it is drawn; editorHostPaint is word A bit 13.
FocusMarkStyle FocusMarkStyleFor(bool controlFocused, bool editorHostPaint, bool noInactiveFocus, bool dragObject);

// The incremental-search highlight: the set colour, or the cell's own one
// (resolved to RGB) with every colour bit inverted.
rtl::TColor SearchHighlightColor(rtl::TColor set, rtl::TColor cellColor);

// The row indicator's glyph (an index of the shared indicator glyphs), or
// none.
constexpr int ikNone = -1;

int RowIndicatorKind(bool focusedNode, bool editing, bool multiSelect, bool selected, bool marked);

} // namespace grid
