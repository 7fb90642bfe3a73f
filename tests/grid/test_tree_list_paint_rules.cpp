#include "grid/core/TreeListPaintRules.h"

#include <gtest/gtest.h>

using namespace grid;

namespace {

// The focused row of a focused control in cell focus, its row selected.
TreeListCellState focusedRow()
{
    TreeListCellState s;
    s.RowSelected = true;
    s.FocusedNode = true;
    s.ControlFocused = true;
    return s;
}

std::vector<bool> selectedCells(TreeListCellState s)
{
    std::vector<bool> cells;
    for (bool focusedColumn : {true, false}) {
        s.FocusedColumn = focusedColumn;
        cells.push_back(CellDrawnSelected(s));
    }
    return cells; // {focused column's cell, another cell}
}

} // namespace

TEST(TreeListPaintRules, CellFocusSelectsTheFocusedCellOrEveryOtherCellOfTheRow)
{
    TreeListCellState s = focusedRow();
    EXPECT_EQ(selectedCells(s), (std::vector<bool>{true, false}));
    s.InvertedFocus = true;
    EXPECT_EQ(selectedCells(s), (std::vector<bool>{false, true}));
    // With multi-selection and the inverted focus, rows other than the
    // focused one are selected whole.
    s.MultiSelect = true;
    s.FocusedNode = false;
    EXPECT_EQ(selectedCells(s), (std::vector<bool>{true, true}));
    s.FocusedNode = true;
    EXPECT_EQ(selectedCells(s), (std::vector<bool>{false, true}));
    s.InvertedFocus = false;
    EXPECT_EQ(selectedCells(s), (std::vector<bool>{true, true}));
}

TEST(TreeListPaintRules, RowFocusSelectsWholeRowsAndUnselectedRowsStayPlain)
{
    TreeListCellState s = focusedRow();
    s.RowFocus = true;
    EXPECT_EQ(selectedCells(s), (std::vector<bool>{true, true}));
    s.RowSelected = false;
    EXPECT_EQ(selectedCells(s), (std::vector<bool>{false, false}));
}

TEST(TreeListPaintRules, AnActiveNewItemRowTakesTheSelectionUnlessMultiSelecting)
{
    TreeListCellState s = focusedRow();
    s.NewItemRowActive = true;
    EXPECT_EQ(selectedCells(s), (std::vector<bool>{false, false}));
    s.MultiSelect = true;
    s.InvertedFocus = true;
    EXPECT_EQ(selectedCells(s), (std::vector<bool>{true, true}));
    EXPECT_EQ(FocusMarkPlacement(s), FocusMarkPlace::None);
}

TEST(TreeListPaintRules, HideSelectionDropsSelectionColoursWhileUnfocused)
{
    TreeListCellState s = focusedRow();
    s.FocusedColumn = true;
    s.ControlFocused = false;
    EXPECT_FALSE(CellDrawnSelected(s));
    EXPECT_EQ(CellColorRule(s, false), CellColorRole::Control);
    s.HideSelection = false;
    ASSERT_TRUE(CellDrawnSelected(s));
    EXPECT_EQ(CellColorRule(s, true), CellColorRole::Inactive);
    s.ControlFocused = true;
    EXPECT_EQ(CellColorRule(s, true), CellColorRole::Highlight);
}

TEST(TreeListPaintRules, ColourRulesInTheirOrder)
{
    TreeListCellState s;
    s.FocusedNode = true;
    s.DragObject = true;
    // A drag over the unfocused control highlights the focused node.
    EXPECT_EQ(CellColorRule(s, false), CellColorRole::Highlight);
    s.DragObject = false;
    s.GroupRow = true;
    EXPECT_EQ(CellColorRule(s, false), CellColorRole::Group);
    s.ReserveButtonCell = true;
    EXPECT_EQ(CellColorRule(s, false), CellColorRole::Control);
    s.ColumnOwnBrush = true;
    EXPECT_EQ(CellColorRule(s, false), CellColorRole::Column);
    // Selected and focused: the highlight wins over the column's colour.
    s.ControlFocused = true;
    EXPECT_EQ(CellColorRule(s, true), CellColorRole::Highlight);
}

TEST(TreeListPaintRules, FocusedFlagAndMarkFollowTheFocusKind)
{
    TreeListCellState s = focusedRow();
    s.FocusedColumn = false;
    EXPECT_FALSE(CellFocusedFlag(s));
    EXPECT_EQ(FocusMarkPlacement(s), FocusMarkPlace::None);
    s.FocusedColumn = true;
    EXPECT_TRUE(CellFocusedFlag(s));
    EXPECT_EQ(FocusMarkPlacement(s), FocusMarkPlace::Cell);
    s.FocusedColumn = false;
    s.InvertedFocus = true;
    EXPECT_TRUE(CellFocusedFlag(s));
    EXPECT_EQ(FocusMarkPlacement(s), FocusMarkPlace::Row);
    s.ControlFocused = false;
    EXPECT_FALSE(CellFocusedFlag(s));

    EXPECT_EQ(FocusMarkStyleFor(true, false, false, false), FocusMarkStyle::Dotted);
    EXPECT_EQ(FocusMarkStyleFor(true, true, false, false), FocusMarkStyle::None);
    EXPECT_EQ(FocusMarkStyleFor(false, false, false, false), FocusMarkStyle::Inverted);
    EXPECT_EQ(FocusMarkStyleFor(false, false, true, false), FocusMarkStyle::None);
    EXPECT_EQ(FocusMarkStyleFor(false, false, false, true), FocusMarkStyle::None);
}

TEST(TreeListPaintRules, ColoursOfGridLinesSearchHighlightAndIndicator)
{
    TreeListColors colors;
    EXPECT_EQ(GridLineColor(colors), rtl::clBtnShadow);
    colors.GridColor = rtl::clRed;
    EXPECT_EQ(GridLineColor(colors), rtl::clRed);
    // An unset highlight inverts the cell: white cells highlight in black,
    // system colours are resolved first.
    EXPECT_EQ(SearchHighlightColor(rtl::clNone, rtl::clWhite), rtl::clBlack);
    EXPECT_EQ(SearchHighlightColor(rtl::clNone, rtl::clWindow), rtl::ColorToRGB(rtl::clWindow) ^ 0xFFFFFF);
    EXPECT_EQ(SearchHighlightColor(rtl::clYellow, rtl::clWhite), rtl::clYellow);

    EXPECT_EQ(RowIndicatorKind(true, false, false, false, false), igArrow);
    EXPECT_EQ(RowIndicatorKind(true, true, false, false, false), igEdit);
    EXPECT_EQ(RowIndicatorKind(true, false, true, true, false), igMultiArrow);
    EXPECT_EQ(RowIndicatorKind(false, false, true, true, false), igMultiDot);
    EXPECT_EQ(RowIndicatorKind(false, false, false, false, true), igArrow);
    EXPECT_EQ(RowIndicatorKind(false, false, false, true, false), ikNone);
}
