// The new item row above the rows: Up from the first node and a press on it
// give it the focus, Down and PageDown give the focus back, its editor asks
// its own can-edit hook, and what is typed there becomes a new node.

#include "ControlFixture.h"
#include "CoreFakes.h"

#include "grid/core/TreeListHooks.h"

#include <gtest/gtest.h>

#include <memory>

using namespace grid;
using gridtest::FakeEditor;

namespace {

class NewRowControl : public TCustomdxTreeListControl
{
public:
    using TCustomdxTreeListControl::TCustomdxTreeListControl;
    bool IsNewItemRowShown() override { return shown; }
    bool shown = true;
};

using NewRowHost = gridtest::FakeEditorHost;

// Two columns, rows "a" and "b", the first focused, cell focus, editing on.
struct NewRowFixture
{
    NewRowFixture()
    {
        tree->SetHost(&host);
        host.focused = true;
        tree->SetOptionsA((tree->OptionsA() | 1u << aoEditing) & ~(1u << aoRowFocus));
        for (const char *caption : {"One", "Two"})
            tree->CreateColumn(TdxTreeListColumn::StaticClass())->SetCaption(caption);
        for (const char *text : {"a", "b"})
            tree->SetNodeString(tree->Add(), 0, text);
        tree->SetClientRect(rtl::Rect(0, 0, 400, 300));
        tree->CalcMetrics();
        tree->SetFocusedNode(tree->Items(0));
    }
    ~NewRowFixture() { tree.reset(); }

    void key(TKey code, TShiftState shift = 0) { tree->KeyDown(code, shift); }
    rtl::TPoint newRowCell(int column)
    {
        TdxTreeListLayoutInfo info;
        tree->CalcLayout(info);
        for (int x = 0; x < 400; ++x) {
            const TdxTreeListHitInfo hit = tree->HitTest(x, info.NewItemRowRect.Top + 2);
            if (hit.HitCode == htNewItemRow && hit.ColumnIndex == column)
                return {x, info.NewItemRowRect.Top + 2};
        }
        ADD_FAILURE() << "no new item row cell";
        return {-1, -1};
    }
    FakeEditor *editor() const { return static_cast<FakeEditor *>(tree->Editor()); }

    NewRowHost host;
    std::unique_ptr<NewRowControl> tree = std::make_unique<NewRowControl>(nullptr);
};

} // namespace

TEST(TreeListNewItemRow, UpFromTheFirstNodeEntersItAndDownOrPageDownLeaves)
{
    NewRowFixture f;
    ASSERT_GT(f.tree->Metrics().NewItemRowHeight, 0);
    f.key(VK_DOWN);
    f.key(VK_UP);
    EXPECT_FALSE(f.tree->IsNewItemRowActive()); // from "b" Up only moves up
    EXPECT_EQ(f.tree->FocusedNode(), f.tree->Items(0));
    f.key(VK_UP);
    EXPECT_TRUE(f.tree->IsNewItemRowActive());
    EXPECT_EQ(f.tree->FocusedNode(), f.tree->Items(0));
    // Left and Right do not reach the tree while the row is active.
    f.tree->SetOptionsA(f.tree->OptionsA() | 1u << aoRowFocus);
    f.key(VK_RIGHT);
    EXPECT_EQ(f.tree->FocusedNode(), f.tree->Items(0));
    f.tree->SetOptionsA(f.tree->OptionsA() & ~(1u << aoRowFocus));
    // Down comes back to the node without moving on.
    f.key(VK_DOWN);
    EXPECT_FALSE(f.tree->IsNewItemRowActive());
    EXPECT_EQ(f.tree->FocusedNode(), f.tree->Items(0));

    for (const auto &[up, shift] : {std::pair<TKey, TShiftState>{VK_UP, ssCtrl}, {VK_PRIOR, 0}}) {
        f.key(up, shift);
        EXPECT_TRUE(f.tree->IsNewItemRowActive()) << up;
        f.key(VK_NEXT);
        EXPECT_FALSE(f.tree->IsNewItemRowActive()) << up;
        EXPECT_EQ(f.tree->FocusedNode(), f.tree->Items(0));
    }

    // Whatever moves the focus to another node leaves it as well.
    f.key(VK_UP);
    ASSERT_TRUE(f.tree->IsNewItemRowActive());
    f.key(VK_END, ssCtrl);
    EXPECT_FALSE(f.tree->IsNewItemRowActive());
    EXPECT_EQ(f.tree->FocusedNode(), f.tree->Items(1));
    f.key(VK_HOME, ssCtrl);

    // A row that is not shown is never entered.
    f.tree->shown = false;
    f.tree->CalcMetrics();
    f.key(VK_UP);
    EXPECT_FALSE(f.tree->IsNewItemRowActive());
}

TEST(TreeListNewItemRow, APressEntersItAppendingANodeToAnEmptyTreeAndACellPressLeaves)
{
    NewRowFixture f;
    f.tree->ClearNodes();
    ASSERT_EQ(f.tree->FocusedNode(), nullptr);
    const rtl::TPoint p = f.newRowCell(1);
    f.tree->MouseDown(mbLeft, 0, p.X, p.Y);
    f.tree->MouseUp(mbLeft, 0, p.X, p.Y);
    ASSERT_EQ(f.tree->Count(), 1);
    EXPECT_EQ(f.tree->FocusedNode(), f.tree->Items(0));
    EXPECT_TRUE(f.tree->IsNewItemRowActive());
    EXPECT_EQ(f.tree->FocusedColumnIndex(), 1);

    // A second press there waits for the double-click time, then edits.
    f.tree->MouseDown(mbLeft, 0, p.X, p.Y);
    f.tree->MouseUp(mbLeft, 0, p.X, p.Y);
    EXPECT_TRUE(f.host.timers.contains(TCustomdxTreeList::DelayedEditTimer));
    f.tree->TimerFired(TCustomdxTreeList::DelayedEditTimer);
    EXPECT_EQ(f.tree->State(), tsEditing);
    ASSERT_TRUE(f.tree->EndEditing());

    const rtl::TRect cell = f.tree->CellRect(f.tree->Items(0), 0);
    f.tree->MouseDown(mbLeft, 0, cell.Left + 20, cell.Top + 2);
    f.tree->MouseUp(mbLeft, 0, cell.Left + 20, cell.Top + 2);
    EXPECT_FALSE(f.tree->IsNewItemRowActive());
    EXPECT_EQ(f.tree->Count(), 1);
}

TEST(TreeListNewItemRow, ItsEditorAsksItsOwnHookStartsEmptyAndMakesANewNode)
{
    NewRowFixture f;
    int nodeAsks = 0;
    int rowAsks = 0;
    bool allowRow = false;
    f.tree->OnCanEdit = [&](classes::TObject *, TdxTreeListNode *, bool &) { ++nodeAsks; };
    f.tree->OnCanEditNewItemRow = [&](classes::TObject *sender, bool &allow) {
        EXPECT_EQ(sender, f.tree.get());
        ++rowAsks;
        allow = allowRow;
    };
    f.key(VK_UP);
    ASSERT_TRUE(f.tree->IsNewItemRowActive());
    EXPECT_FALSE(f.tree->ShowEditor());
    EXPECT_EQ(rowAsks, 1);
    EXPECT_EQ(nodeAsks, 0);
    EXPECT_EQ(f.tree->State(), tsNone);

    // The column's own refusal holds for the new item row too.
    allowRow = true;
    f.tree->Columns(0)->SetDisableEditor(true);
    EXPECT_FALSE(f.tree->ShowEditor());
    f.tree->Columns(0)->SetDisableEditor(false);

    ASSERT_TRUE(f.tree->ShowEditor());
    EXPECT_EQ(nodeAsks, 0);
    EXPECT_EQ(f.editor()->text, QString()); // not the focused node's "a"
    TdxTreeListLayoutInfo info;
    f.tree->CalcLayout(info);
    const rtl::TRect newRowBounds = f.editor()->bounds;
    const rtl::TRect newRowCell = f.tree->NewItemRowCellRect(0);
    EXPECT_EQ(newRowCell.Top, info.NewItemRowRect.Top);
    EXPECT_EQ(newRowCell.Bottom, info.NewItemRowRect.Bottom - f.tree->Metrics().NewItemSeparator);
    f.editor()->SetEditValue("c");
    f.editor()->SetModified(true);
    ASSERT_TRUE(f.tree->EndEditing());
    ASSERT_EQ(f.tree->Count(), 3);
    EXPECT_EQ(f.tree->GetNodeString(f.tree->Items(0), 0), "a");
    EXPECT_EQ(f.tree->GetNodeString(f.tree->Items(2), 0), "c");
    EXPECT_TRUE(f.tree->IsNewItemRowActive());

    // On a node's row the node's hook is asked again.
    f.key(VK_DOWN);
    ASSERT_TRUE(f.tree->ShowEditor());
    EXPECT_EQ(nodeAsks, 1);
    EXPECT_EQ(f.editor()->text, "a");
    // Placed over the new item row's cell as it is placed over a node's.
    const rtl::TRect nodeCell = f.tree->EditorRect(f.tree->Items(0), 0);
    const rtl::TRect nodeBounds = f.editor()->bounds;
    EXPECT_EQ(newRowBounds.Top - newRowCell.Top, nodeBounds.Top - nodeCell.Top);
    EXPECT_EQ(newRowBounds.Bottom - newRowCell.Bottom, nodeBounds.Bottom - nodeCell.Bottom);
    ASSERT_TRUE(f.tree->EndEditing());
}

// A click on the new item row is a click on a row: OnClick once on the
// release, and a double click OnDblClick once, as on a node's cell.
TEST(TreeListNewItemRow, AClickOrDoubleClickThereRaisesTheControlsEvents)
{
    NewRowFixture f;
    int clicks = 0;
    int doubleClicks = 0;
    f.tree->OnClick.Set([&](classes::TObject *) { ++clicks; });
    f.tree->OnDblClick.Set([&](classes::TObject *) { ++doubleClicks; });
    const rtl::TPoint p = f.newRowCell(1);
    f.tree->MouseDown(mbLeft, ssLeft, p.X, p.Y);
    EXPECT_EQ(clicks, 0);
    f.tree->MouseUp(mbLeft, 0, p.X, p.Y);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(f.tree->IsNewItemRowActive());
    f.tree->MouseDown(mbLeft, ssLeft | ssDouble, p.X, p.Y);
    f.tree->MouseUp(mbLeft, 0, p.X, p.Y);
    EXPECT_EQ(doubleClicks, 1);
    EXPECT_EQ(clicks, 1);
    // A right press is no click; nor is a release after a press elsewhere.
    f.tree->MouseDown(mbRight, ssRight, p.X, p.Y);
    f.tree->MouseUp(mbRight, 0, p.X, p.Y);
    EXPECT_EQ(clicks, 1);
}
