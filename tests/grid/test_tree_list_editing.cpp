// Editing in the tree list ends through its editor: an editor that refuses
// to let go keeps the tree list editing, and nothing that needed the editing
// to end goes ahead. The editor's click stamp turns a quick second click into
// a double click when the tree list asks for it.

#include "CoreFakes.h"
#include "TreeListFixture.h"

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
