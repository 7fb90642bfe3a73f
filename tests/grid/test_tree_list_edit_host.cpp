#include "ControlFixture.h"
#include "CoreFakes.h"

#include "grid/core/TreeListEditStyle.h"
#include "grid/core/TreeListHooks.h"

#include <gtest/gtest.h>

using namespace grid;
using gridtest::ControlFixture;
using gridtest::FakeEditor;

namespace {

class RowCountingTree : public TCustomdxTreeListControl
{
public:
    using TCustomdxTreeListControl::TCustomdxTreeListControl;
    void InvalidateNode(TdxTreeListNode *node) override { rows += node ? 1 : 0; }
    int rows = 0;
};

TEST(TreeListEditHost, AnEditorStyleFollowsTheGrid)
{
    ControlFixture f;
    FakeEditor editor(f.tree.get());
    const auto *style = dynamic_cast<const TdxTreeListEditStyle *>(&editor.Style());
    ASSERT_TRUE(style);
    EXPECT_EQ(style->BorderColor(), rtl::clWindowFrame);
    EXPECT_EQ(style->BorderStyle(), f.tree->Settings().ShowGrid ? xbsNone : xbsSingle);
    TreeListSettings settings = f.tree->Settings();
    settings.ShowGrid = !settings.ShowGrid;
    f.tree->SetSettings(settings);
    EXPECT_EQ(style->BorderStyle(), settings.ShowGrid ? xbsNone : xbsSingle);
    const TdxEditButtonViewStyle buttons[] = {bts3D, btsFlat, btsHotFlat};
    for (uint8_t look = 0; look < 3; ++look) {
        f.tree->SetLook(look);
        EXPECT_EQ(style->ButtonStyle(), buttons[look]);
        EXPECT_EQ(f.tree->GetEditKind(), look ? 1 : 2);
    }
    EXPECT_EQ(style->Edges(), edgAll);
    EXPECT_FALSE(style->HotTrack() || style->Shadow() || style->ButtonTransparence() != ebtNone);
}

TEST(TreeListEditHost, TheFocusedColumnAnswersForTheEditor)
{
    ControlFixture f;
    EXPECT_FALSE(f.tree->CanEditModify()); // no focused column
    TdxTreeListColumn *a = f.column("A");
    TdxTreeListColumn *b = f.column("B");
    f.node({"1", "2"});
    f.tree->SetOptionsA(f.tree->OptionsA() & ~(1u << aoRowFocus));
    f.tree->SetFocusedNode(f.tree->Items(0));
    EXPECT_TRUE(f.tree->CanEditModify());
    a->SetReadOnly(true);
    EXPECT_FALSE(f.tree->CanEditModify());

    b->SetColor(rtl::clRed);
    classes::TFont font;
    font.SetSize(30);
    b->SetFont(&font);
    EXPECT_NE(f.tree->GetEditColor(), rtl::clRed);
    EXPECT_EQ(&f.tree->GetEditFont(), &f.tree->Font()); // a's font is not its own
    f.tree->SetFocusedColumn(1);
    EXPECT_EQ(f.tree->GetEditColor(), rtl::clRed);
    EXPECT_EQ(f.tree->GetEditFont().Size(), 30);
    f.tree->OnGetEditColor = [](classes::TObject *, rtl::TColor &color) { color = rtl::clBlue; };
    EXPECT_EQ(f.tree->GetEditColor(), rtl::clBlue);
}

TEST(TreeListEditHost, TabMovesOnUnlessCtrlIsHeld)
{
    ControlFixture f;
    f.column("A");
    f.column("B");
    f.node({"1", "2"});
    f.tree->SetOptionsA(f.tree->OptionsA() & ~(1u << aoRowFocus));
    f.tree->SetFocusedNode(f.tree->Items(0));
    EXPECT_FALSE(f.tree->EditWantTabs());
    f.tree->SetOptionsA(f.tree->OptionsA() | 1u << aoEditorTabs);
    EXPECT_TRUE(f.tree->EditWantTabs());
    f.host.keys = ssCtrl;
    EXPECT_FALSE(f.tree->EditWantTabs());

    f.tree->EditMoveFocus(false);
    EXPECT_EQ(f.tree->FocusedColumn(), 1);
    f.tree->EditMoveFocus(false); // nothing past the last column
    EXPECT_EQ(f.tree->FocusedColumn(), 1);
    f.tree->EditMoveFocus(true);
    f.tree->EditMoveFocus(true);
    EXPECT_EQ(f.tree->FocusedColumn(), 0);
}

TEST(TreeListEditHost, TenSelectedRowsRepaintOneByOneElevenTheWholeGrid)
{
    gridtest::FakeTreeListHost host;
    RowCountingTree tree(nullptr);
    tree.SetHost(&host);
    tree.SetOptionsA(tree.OptionsA() | 1u << aoMultiSelect);
    tree.CreateColumn(TdxTreeListColumn::StaticClass());
    for (int i = 0; i < 11; ++i)
        tree.Add();
    tree.SetFocusedNode(tree.Items(0));
    for (int i = 0; i < 10; ++i)
        tree.SetNodeSelected(tree.Items(i), true);
    ASSERT_EQ(tree.SelectedCount(), 10);
    tree.rows = 0;
    host.invalidateAllCount = 0;
    tree.EditFocusChanged();
    EXPECT_EQ(tree.rows, 11); // the focused row, then each selected one
    EXPECT_EQ(host.invalidateAllCount, 0);
    tree.SetNodeSelected(tree.Items(10), true);
    tree.rows = 0;
    tree.EditFocusChanged();
    EXPECT_EQ(tree.rows, 1);
    EXPECT_EQ(host.invalidateAllCount, 1);
}

} // namespace
