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

namespace {

class EditorMakingHost : public gridtest::FakeTreeListHost
{
public:
    InplaceEditor *createEditor(const QString &className, TCustomdxContainer *owner) override
    {
        made << className;
        return new FakeEditor(owner);
    }
    QStringList made;
};

struct EditingFixture
{
    EditingFixture()
    {
        f.tree->SetHost(&host);
        f.tree->SetClientRect(rtl::Rect(0, 0, 400, 300));
        f.tree->SetOptionsA((f.tree->OptionsA() | 1u << aoEditing) & ~(1u << aoRowFocus));
        f.column("A");
        f.column("B");
        mask = static_cast<TdxTreeListMaskColumn *>(f.tree->CreateColumn(TdxTreeListMaskColumn::StaticClass()));
        f.node({"a1", "b1", "m1"});
        f.node({"a2", "b2", "m2"});
        f.tree->SetFocusedNode(f.tree->Items(0));
    }
    FakeEditor *editor() const { return static_cast<FakeEditor *>(f.tree->Editor()); }

    ControlFixture f;
    EditorMakingHost host;
    TdxTreeListMaskColumn *mask = nullptr;
};

TEST(TreeListEditing, OneEditorPerEditorClass)
{
    EditingFixture e;
    for (int position : {0, 1, 2}) {
        e.f.tree->SetFocusedColumn(position);
        ASSERT_TRUE(e.f.tree->ShowEditor());
        ASSERT_TRUE(e.f.tree->EndEditing());
    }
    EXPECT_EQ(e.host.made, QStringList({InplaceTreeListTextEditName, InplaceTreeListMaskEditName}));
    EXPECT_EQ(e.f.tree->EditorCount(), 2);
}

TEST(TreeListEditing, TheEditorIsOutOfSyncWheneverTheFocusedColumnIsNotTheEditedOne)
{
    EditingFixture e;
    e.f.tree->SetFocusedColumn(1);
    EXPECT_TRUE(e.f.tree->IsEditOutOfSync());
    ASSERT_TRUE(e.f.tree->ShowEditor());
    EXPECT_FALSE(e.f.tree->IsEditOutOfSync());
    // The focus moved on under an open editor: what is typed now must not
    // land in the column the editor was filled from.
    e.f.tree->SetFocusedColumn(2);
    EXPECT_EQ(e.f.tree->EditedColumn(), 1);
    EXPECT_TRUE(e.f.tree->IsEditOutOfSync());
    ASSERT_TRUE(e.f.tree->EndEditing());
    ASSERT_TRUE(e.f.tree->ShowEditor());
    EXPECT_FALSE(e.f.tree->IsEditOutOfSync());
}

TEST(TreeListEditing, TypingIntoACellOpensTheEditorAndPastesAndCutsOnCtrlVAndCtrlX)
{
    EditingFixture e;
    e.f.tree->SetOptionsB(e.f.tree->OptionsB() | 1u << boImmediateEditor);
    TChar typed = 'x';
    e.f.tree->KeyPress(typed);
    ASSERT_EQ(e.f.tree->State(), tsEditing);
    EXPECT_EQ(e.editor()->ownChars, "x");
    ASSERT_TRUE(e.f.tree->EndEditing());

    for (const ushort code : {22, 24}) {
        TChar control = code;
        e.f.tree->KeyPress(control);
        ASSERT_EQ(e.f.tree->State(), tsEditing);
        EXPECT_EQ(e.editor()->ownKeys.back(), (gridtest::KeyCall{code == 22 ? TKey('V') : TKey('X'), ssCtrl}));
        ASSERT_TRUE(e.f.tree->EndEditing());
    }
    EXPECT_EQ(e.editor()->ownChars, "x");
}

// A typed character is any code point from 32 on but the controls: the
// editor opens on a Cyrillic letter or a character beyond the basic plane,
// handed over whole, and not on DEL or a C1 control, which Latin-1 counted
// among its 32-255.
TEST(TreeListEditing, TheImmediateEditorOpensOnTypedCharactersOfAnyScriptAndNotOnControls)
{
    EditingFixture e;
    e.f.tree->SetOptionsB(e.f.tree->OptionsB() | 1u << boImmediateEditor);
    for (const TChar control : {TChar(127), TChar(0x85), TChar(0x9F)}) {
        TChar key = control;
        e.f.tree->KeyPress(key);
        EXPECT_EQ(e.f.tree->State(), tsNone) << int(control);
    }
    for (const TChar typed : {TChar(0xA0), TChar(0x434), TChar(0x4E2D), TChar(0x1F600), TChar(0x20000)}) {
        TChar key = typed;
        e.f.tree->KeyPress(key);
        ASSERT_EQ(e.f.tree->State(), tsEditing) << int(typed);
        EXPECT_EQ(e.editor()->ownChars.toUcs4().back(), typed);
        ASSERT_TRUE(e.f.tree->EndEditing());
    }
}

TEST(TreeListEditing, ACommittedEditIsStoredAndAnUnchangedOneIsNot)
{
    EditingFixture e;
    e.f.tree->SetFocusedColumn(1);
    ASSERT_TRUE(e.f.tree->ShowEditor());
    EXPECT_TRUE(e.editor()->visible);
    EXPECT_EQ(e.f.tree->GetEditorText(), "b1");
    EXPECT_EQ(e.f.tree->EditedColumn(), 1);
    EXPECT_EQ(e.editor()->Margins(), rtl::Rect(1, 0, 0, 0));
    e.f.tree->SetEditorText("typed");
    e.editor()->SetModified(true);
    ASSERT_TRUE(e.f.tree->EndEditing());
    EXPECT_EQ(e.f.tree->GetNodeString(e.f.tree->Items(0), 1), "typed");
    EXPECT_FALSE(e.editor()->visible);
    EXPECT_EQ(e.f.tree->EditedColumn(), -1);

    // Opened and closed without a change: the text stays.
    e.f.tree->SetFocusedNode(e.f.tree->Items(1));
    ASSERT_TRUE(e.f.tree->ShowEditor());
    ASSERT_TRUE(e.f.tree->EndEditing());
    EXPECT_EQ(e.f.tree->GetNodeString(e.f.tree->Items(1), 1), "b2");
}

TEST(TreeListEditing, DeletingTheEditedNodeOrColumnStoresNothing)
{
    EditingFixture e;
    ASSERT_TRUE(e.f.tree->ShowEditor());
    e.f.tree->SetEditorText("lost");
    e.editor()->SetModified(true);
    e.f.tree->Items(0)->Delete();
    EXPECT_EQ(e.f.tree->State(), tsNone);
    EXPECT_EQ(e.f.tree->EditedNode(), nullptr);
    EXPECT_FALSE(e.editor()->visible);

    e.f.tree->SetFocusedNode(e.f.tree->Items(0));
    e.f.tree->SetFocusedColumn(2);
    ASSERT_TRUE(e.f.tree->ShowEditor());
    e.editor()->SetModified(true);
    delete e.mask;
    EXPECT_EQ(e.f.tree->State(), tsNone);
    EXPECT_EQ(e.f.tree->GetNodeString(e.f.tree->Items(0), 0), "a2");
}

} // namespace
