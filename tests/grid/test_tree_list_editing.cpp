// Editing in the tree list ends through its editor: an editor that refuses
// to let go keeps the tree list editing, and nothing that needed the editing
// to end goes ahead. The editor's click stamp turns a quick second click into
// a double click when the tree list asks for it.

#include "CoreFakes.h"
#include "TreeListFixture.h"

#include "grid/core/TreeListControl.h"
#include "grid/core/TreeListHooks.h"

#include <gtest/gtest.h>

#include <memory>

using namespace grid;
using gridtest::ArrayTreeList;
using gridtest::FakeEditor;

namespace {

// Three rows with the focus on the first and an editor open over it with a
// changed text, which it validates before it lets go.
struct EditingTree
{
    ArrayTreeList tree;
    std::unique_ptr<FakeEditor> editor;
    bool accepting = true;

    EditingTree()
    {
        tree.setColumns({"name"});
        tree.add("alpha");
        tree.add("beta");
        tree.add("gamma");
        tree.SetFocusedRowIndex(0);
        editor = std::make_unique<FakeEditor>(&tree);
        editor->OnValidate = [this](classes::TObject *, QString &text, bool &accept) {
            accept = accepting;
            if (!accepting)
                text = "No.";
        };
        open(true);
    }
    ~EditingTree() { tree.setEditing(nullptr); }

    void open(bool editorFocused)
    {
        editor->SetEditValue("typed");
        editor->ShowEdit(rtl::TRect{0, 0, 60, 18});
        editor->focused = editorFocused;
        editor->SetModified(true);
        tree.setEditing(editor.get());
    }
};

TEST(TreeListEditing, ARefusingEditorKeepsTheStateTheEditorAndTheFocus)
{
    EditingTree t;
    t.accepting = false;
    EXPECT_FALSE(t.tree.EndEditing());
    EXPECT_FALSE(t.tree.EndEditingQuietly());
    EXPECT_EQ(t.tree.State(), tsEditing);
    EXPECT_TRUE(t.editor->visible);
    EXPECT_TRUE(t.editor->focused);
    EXPECT_EQ(t.tree.host.focusRequests, 0);
    EXPECT_EQ(t.editor->refusals, (QStringList{"No.", "No."}));

    t.accepting = true;
    EXPECT_TRUE(t.tree.EndEditing());
    EXPECT_EQ(t.tree.State(), tsNone);
    EXPECT_FALSE(t.editor->visible);
    EXPECT_EQ(t.tree.host.focusRequests, 1);
    // Nothing is being edited any more: ending again asks nobody.
    EXPECT_TRUE(t.tree.EndEditing());
    EXPECT_EQ(t.editor->refusals.size(), 2);
}

// A window that takes the focus from the editor when the grid asks for it:
// the editor validates as it goes and, refusing, has reported it.
struct FocusTakingHost : gridtest::FakeTreeListHost
{
    FakeEditor *editor = nullptr;
    void setKeyboardFocus() override
    {
        FakeTreeListHost::setKeyboardFocus();
        if (editor && editor->focused) {
            editor->focused = false;
            editor->Exit();
        }
    }
};

class PressedControl : public TCustomdxTreeListControl
{
public:
    using TCustomdxTreeListControl::TCustomdxTreeListControl;
    void setEditing(InplaceEditor *editor)
    {
        SetEditor(editor);
        SetState(editor ? tsEditing : tsNone);
    }
};

// Two sortable columns and three rows, a changed text open in an editor
// over the first row, and a host that moves the focus as a window does.
struct PressedTree
{
    FocusTakingHost host;
    std::unique_ptr<PressedControl> tree = std::make_unique<PressedControl>(nullptr);
    std::unique_ptr<FakeEditor> editor;
    bool accepting = false;

    PressedTree()
    {
        tree->SetHost(&host);
        tree->SetOptionsA(tree->OptionsA() & ~(1u << aoRowFocus));
        for (const char *caption : {"One", "Two"})
            tree->CreateColumn(TdxTreeListColumn::StaticClass())->SetCaption(caption);
        for (const char *text : {"alpha", "beta", "gamma"})
            tree->SetNodeString(tree->Add(), 0, text);
        tree->SetClientRect(rtl::Rect(0, 0, 400, 300));
        tree->CalcMetrics();
        tree->SetFocusedNode(tree->Items(0));
        editor = std::make_unique<FakeEditor>(tree.get());
        editor->OnValidate = [this](classes::TObject *, QString &text, bool &accept) {
            accept = accepting;
            if (!accepting)
                text = "No.";
        };
        editor->SetEditValue("typed");
        editor->ShowEdit(rtl::TRect{0, 0, 60, 18});
        editor->focused = true;
        editor->SetModified(true);
        host.editor = editor.get();
        host.focused = true;
        tree->setEditing(editor.get());
    }
    ~PressedTree() { tree->setEditing(nullptr); }

    void press(TMouseButton button, bool onHeader)
    {
        TdxTreeListLayoutInfo info;
        tree->CalcLayout(info);
        const rtl::TRect r = onHeader ? info.HeaderCells.at(0).ClipRect : tree->CellRect(tree->Items(2), 0);
        const int x = (r.Left + r.Right) / 2;
        const int y = (r.Top + r.Bottom) / 2;
        tree->MouseDown(button, 0, x, y);
        tree->MouseUp(button, 0, x, y);
    }
    QString focusedText() { return tree->GetNodeString(tree->FocusedNode(), 0); }
};

TEST(TreeListEditing, APressTheEditorRefusesToLeaveForStopsWithOneReport)
{
    struct Press
    {
        const char *what;
        TMouseButton button;
        bool onHeader;
        // The window moved the focus on the click, before the press.
        bool focusMovedFirst;
    };
    for (const Press p :
         {Press{"left on a row", mbLeft, false, false}, Press{"right on a row", mbRight, false, false},
          Press{"left on a header", mbLeft, true, false}, Press{"left, focus moved first", mbLeft, false, true},
          Press{"right, focus moved first", mbRight, false, true},
          Press{"header, focus moved first", mbLeft, true, true}}) {
        SCOPED_TRACE(p.what);
        PressedTree t;
        if (p.focusMovedFirst) {
            t.editor->focused = false;
            EXPECT_FALSE(t.editor->Exit());
        }
        t.press(p.button, p.onHeader);
        EXPECT_EQ(t.editor->refusals, QStringList{"No."});
        EXPECT_EQ(t.editor->beeps, 1);
        EXPECT_EQ(t.tree->State(), tsEditing);
        EXPECT_EQ(t.focusedText(), "alpha");
        EXPECT_EQ(t.tree->ColumnSortState(0), 0);
    }
}

// The bars ask the editing to end before they move; a refusal leaves both
// positions where the editor was put.
TEST(TreeListEditing, AScrollTheEditorRefusesToLeaveForMovesNothing)
{
    PressedTree t;
    for (int i = 0; i < 40; ++i)
        t.tree->SetNodeString(t.tree->Add(), 0, "more");
    t.tree->Columns(0)->SetWidth(900);
    t.tree->CalcMetrics();
    for (const int code : {SB_LINEDOWN, SB_PAGEDOWN, SB_BOTTOM}) {
        SCOPED_TRACE(code);
        t.tree->VScroll(code);
        t.tree->HScroll(code);
        EXPECT_EQ(t.tree->TopRowIndex(), 0);
        EXPECT_EQ(t.tree->HorzOffset(), 0);
        EXPECT_EQ(t.tree->State(), tsEditing);
    }
    EXPECT_EQ(t.editor->refusals.size(), 6);

    t.accepting = true;
    t.tree->VScroll(SB_LINEDOWN);
    EXPECT_EQ(t.tree->TopRowIndex(), 1);
    EXPECT_NE(t.tree->State(), tsEditing);
}

TEST(TreeListEditing, APressTheEditorLetsGoForEndsTheEditingAndGoesOn)
{
    PressedTree t;
    t.accepting = true;
    t.press(mbLeft, false);
    EXPECT_TRUE(t.editor->refusals.isEmpty());
    EXPECT_NE(t.tree->State(), tsEditing);
    EXPECT_EQ(t.focusedText(), "gamma");
}

TEST(TreeListEditing, EndingQuietlyGivesTheFocusBackOnlyWhereTheEditorHadIt)
{
    EditingTree t;
    t.editor->focused = false; // the user had clicked elsewhere
    EXPECT_TRUE(t.tree.EndEditingQuietly());
    EXPECT_EQ(t.tree.State(), tsNone);
    EXPECT_FALSE(t.editor->visible);
    EXPECT_EQ(t.tree.host.focusRequests, 0);

    t.open(true);
    EXPECT_TRUE(t.tree.EndEditingQuietly());
    EXPECT_EQ(t.tree.host.focusRequests, 1);
}

TEST(TreeListEditing, ASearchStartsOnlyOnceTheEditorLetsGo)
{
    EditingTree t;
    t.accepting = false;
    EXPECT_FALSE(t.tree.StartSearch(0, "g"));
    EXPECT_FALSE(t.tree.Searching());
    EXPECT_TRUE(t.tree.SearchText().isEmpty());
    EXPECT_EQ(ArrayTreeList::name(t.tree.FocusedNode()), "alpha");
    EXPECT_EQ(t.tree.State(), tsEditing);

    t.accepting = true;
    EXPECT_TRUE(t.tree.StartSearch(0, "g"));
    EXPECT_TRUE(t.tree.Searching());
    EXPECT_EQ(ArrayTreeList::name(t.tree.FocusedNode()), "gamma");
    EXPECT_EQ(t.tree.State(), tsNone);
}

TEST(TreeListEditing, AQuickClickAfterTheOpeningOneIsADoubleClickWhenTheTreeListAsks)
{
    EditingTree t;
    FakeEditor &editor = *t.editor;
    constexpr int DoubleClickTime = 500;
    t.tree.SetOptionsA(t.tree.OptionsA() | (1u << aoClickToDblClick));
    editor.SetClickTime(1000);
    EXPECT_TRUE(editor.TakeClickAsDoubleClick(1000 + DoubleClickTime - 1, DoubleClickTime));
    // The stamp is used up: the next click is a click.
    EXPECT_FALSE(editor.TakeClickAsDoubleClick(1000 + 10, DoubleClickTime));
    editor.SetClickTime(1000);
    EXPECT_FALSE(editor.TakeClickAsDoubleClick(1000 + DoubleClickTime, DoubleClickTime));

    t.tree.SetOptionsA(t.tree.OptionsA() & ~(1u << aoClickToDblClick));
    editor.SetClickTime(1000);
    EXPECT_FALSE(editor.TakeClickAsDoubleClick(1000 + 10, DoubleClickTime));
    // Without the option the stamp is cleared all the same.
    t.tree.SetOptionsA(t.tree.OptionsA() | (1u << aoClickToDblClick));
    EXPECT_FALSE(editor.TakeClickAsDoubleClick(1000 + 20, DoubleClickTime));
}

} // namespace
