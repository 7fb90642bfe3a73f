// The settings, fonts and hooks of the tree list that carry a rule of their
// own.

#include "TreeListFixture.h"

#include <gtest/gtest.h>

using namespace grid;
using gridtest::ArrayTreeList;

TEST(TreeListSettings, DefaultsAndDerivedAnswers)
{
    ArrayTreeList tree;
    const TreeListSettings &s = tree.Settings();
    EXPECT_EQ(s.DefaultRowHeight, 18);
    EXPECT_EQ(s.HeaderPanelHeight, 18);
    EXPECT_EQ(s.FixedBandSeparatorWidth, 2);
    EXPECT_EQ(s.PreviewLines, 2);
    EXPECT_EQ(s.Timer101Interval, 500);
    EXPECT_TRUE(s.HorzScrollBar() && s.VertScrollBar());
    EXPECT_EQ(s.HorzLineWidth(), 0);
    EXPECT_TRUE(tree.SearchAllNodes());
    EXPECT_EQ(tree.PreviewFont().Color(), rtl::clBlue);
    EXPECT_TRUE(tree.ParentFont());
    const TreeListColors &colors = tree.Colors();
    EXPECT_EQ(colors.WindowTextColor, rtl::clWindowText);
    EXPECT_EQ(colors.GrayTextColor, rtl::clGrayText);
    EXPECT_EQ(colors.ExtraColor, rtl::TColor(0x00FF00));

    TreeListSettings grid = s;
    grid.ShowGrid = true;
    grid.GridLineWidth = 0;
    EXPECT_EQ(grid.HorzLineWidth(), 1);
    grid.GridLineWidth = 3;
    EXPECT_EQ(grid.HorzLineWidth(), 3);
    grid.ScrollBars = 2;
    EXPECT_FALSE(grid.HorzScrollBar());
    EXPECT_TRUE(grid.VertScrollBar());

    // Root indent: only a reserved button cell with the root indent off
    // moves the indent parts.
    struct Case
    {
        bool reserve, root, expected;
    };
    for (const Case k :
         {Case{false, false, true}, Case{false, true, true}, Case{true, true, true}, Case{true, false, false}}) {
        TreeListSettings changed = tree.Settings();
        changed.ReserveButtonCell = k.reserve;
        changed.RootIndent = k.root;
        tree.SetSettings(changed);
        EXPECT_EQ(tree.IsRootIndent(), k.expected) << k.reserve << k.root;
    }
}

TEST(TreeListSettings, MultiLineRowsMeasureAgainWhenRowsChange)
{
    ArrayTreeList tree;
    auto *a = tree.add("a");
    tree.add("a1", a);
    tree.VisibleRowCount();
    a->SetExpanded(true);
    EXPECT_EQ(tree.rowHeightChanges, 0);

    tree.SetOptionsB(tree.OptionsB() | (1u << boMultiLineRows));
    EXPECT_TRUE(tree.IsMultiLineRows()); // the limit is -1 by default
    a->SetExpanded(false);
    EXPECT_EQ(tree.rowHeightChanges, 1);
    TreeListSettings noLimit = tree.Settings();
    noLimit.RowLineLimit = 0;
    tree.SetSettings(noLimit);
    EXPECT_FALSE(tree.IsMultiLineRows());
    a->SetExpanded(true);
    EXPECT_EQ(tree.rowHeightChanges, 1);
}

TEST(TreeListSettings, FontChangesLayOutAgainAndLeaveTheParentFont)
{
    ArrayTreeList tree;
    classes::TFont parent;
    parent.SetName("DejaVu Sans");
    parent.SetSize(11);
    parent.SetColor(rtl::clRed);
    parent.SetStyle(gfx::FontStyles(1));

    // Applying the parent's font keeps the control on it.
    const int before = tree.layoutChanges;
    tree.ApplyParentFont(parent);
    EXPECT_TRUE(tree.ParentFont());
    EXPECT_GT(tree.layoutChanges, before);
    EXPECT_EQ(tree.BandFont().Name(), "DejaVu Sans");
    EXPECT_EQ(tree.HeaderFont().Color(), rtl::clRed);
    EXPECT_EQ(tree.PreviewFont().Size(), 11);
    EXPECT_EQ(tree.PreviewFont().Style(), parent.Style());
    EXPECT_EQ(tree.PreviewFont().Color(), rtl::clBlue);

    // A font of its own does not.
    for (classes::TFont *font : {&tree.BandFont(), &tree.HeaderFont(), &tree.PreviewFont()}) {
        tree.SetParentFont(true);
        const int changes = tree.layoutChanges;
        font->SetSize(13);
        EXPECT_FALSE(tree.ParentFont());
        EXPECT_GT(tree.layoutChanges, changes);
    }
    tree.SetParentFont(true);
    tree.SetHeaderFont(parent);
    EXPECT_FALSE(tree.ParentFont());
    EXPECT_EQ(tree.HeaderFont().Size(), 11);

    // Inside an update nothing is laid out until the end.
    const int paints = tree.host.invalidateAllCount;
    tree.BeginUpdate();
    tree.BandFont().SetSize(8);
    EXPECT_EQ(tree.host.invalidateAllCount, paints);
    tree.EndUpdate();
}

TEST(TreeListSettings, FocusedRowIndexIsClamped)
{
    ArrayTreeList tree;
    tree.SetFocusedRowIndex(3);
    EXPECT_EQ(tree.FocusedNode(), nullptr);
    auto *a = tree.add("a");
    tree.add("a1", a);
    tree.add("b");
    a->SetExpanded(true);
    struct Case
    {
        int index;
        const char *focused;
    };
    for (const Case k : {Case{1, "a1"}, Case{-5, "a"}, Case{99, "b"}, Case{2, "b"}}) {
        tree.SetFocusedRowIndex(k.index);
        EXPECT_EQ(ArrayTreeList::name(tree.FocusedNode()), k.focused) << k.index;
    }

    bool asked = false;
    bool allow = true;
    tree.OnCanEdit = [&](classes::TObject *sender, TdxTreeListNode *node, bool &ok) {
        asked = sender == &tree && node == a;
        ok = false;
    };
    tree.AskCanEdit(a, allow);
    EXPECT_TRUE(asked);
    EXPECT_FALSE(allow);
}
