// The tree list's editors as the window makes them: F2 opens the column's
// editor over the cell, what is typed reaches the node, and a window that
// goes before its grid takes its editors along safely.

#include "grid/core/TreeListControl.h"
#include "grid/core/TreeListHooks.h"
#include "grid/widgets/InplaceMaskEdit.h"
#include "grid/widgets/TreeListWidget.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QScrollBar>
#include <QVBoxLayout>

#include <functional>

#include <gtest/gtest.h>

using namespace grid;

namespace {

// Cells that edit, in a focused 300 x 120 window with the node focused.
std::unique_ptr<TreeListWidget> showForEditing(TCustomdxTreeListControl &tree, TdxTreeListNode *node)
{
    tree.SetOptionsA((tree.OptionsA() | 1u << aoEditing) & ~(1u << aoRowFocus));
    auto widget = std::make_unique<TreeListWidget>(&tree);
    widget->resize(300, 120);
    widget->show();
    widget->setFocus();
    tree.SetFocusedNode(node);
    return widget;
}

TEST(TreeListEditingGui, F2OpensTheColumnsEditorAndTypingReachesTheNode)
{
    auto tree = std::make_unique<TCustomdxTreeListControl>(nullptr);
    tree->CreateColumn(TdxTreeListColumn::StaticClass());
    auto *mask = static_cast<TdxTreeListMaskColumn *>(tree->CreateColumn(TdxTreeListMaskColumn::StaticClass()));
    mask->SetEditMask("000;1;_");
    TdxTreeListNode *node = tree->Add();
    tree->SetNodeString(node, 0, "one");
    auto widget = showForEditing(*tree, node);

    QTest::keyClick(widget.get(), Qt::Key_F2);
    auto *text = dynamic_cast<TdxInplaceTextEdit *>(tree->Editor());
    ASSERT_TRUE(text);
    EXPECT_FALSE(dynamic_cast<TdxInplaceMaskEdit *>(text));
    EXPECT_TRUE(text->isVisible());
    EXPECT_EQ(text->lineEdit()->text(), "one");
    EXPECT_EQ(tree->State(), tsEditing);
    QTest::keyClick(text->lineEdit(), Qt::Key_End);
    QTest::keyClicks(text->lineEdit(), "two");
    ASSERT_TRUE(tree->EndEditing());
    EXPECT_EQ(tree->GetNodeString(node, 0), "onetwo");

    tree->SetFocusedColumn(1);
    QTest::keyClick(widget.get(), Qt::Key_F2);
    EXPECT_TRUE(dynamic_cast<TdxInplaceMaskEdit *>(tree->Editor()));
    EXPECT_EQ(tree->EditorCount(), 2);

    // The window goes first, editing still: the grid forgets its editors.
    widget.reset();
    EXPECT_EQ(tree->Editor(), nullptr);
    EXPECT_EQ(tree->EditorCount(), 0);
    EXPECT_EQ(tree->State(), tsNone);
}

// The editor opens over its cell in view: a focused column the user has
// scrolled away comes back first.
TEST(TreeListEditingGui, F2ScrollsTheFocusedColumnBackIntoView)
{
    auto tree = std::make_unique<TCustomdxTreeListControl>(nullptr);
    for (int i = 0; i < 4; ++i)
        tree->CreateColumn(TdxTreeListColumn::StaticClass())->SetWidth(200);
    TdxTreeListNode *node = tree->Add();
    tree->SetNodeString(node, 3, "far");
    auto widget = showForEditing(*tree, node);
    tree->SetFocusedColumn(3);
    const int shown = tree->HorzOffset();
    EXPECT_GT(shown, 0);
    tree->SetHorzOffset(0);
    QTest::keyClick(widget.get(), Qt::Key_F2);
    ASSERT_EQ(tree->State(), tsEditing);
    EXPECT_EQ(tree->HorzOffset(), shown);
    const rtl::TRect cell = tree->CellRect(node, 3);
    EXPECT_LE(cell.Right, widget->viewport()->width());
    EXPECT_GE(cell.Left, 0);
    ASSERT_TRUE(tree->EndEditing());
}

TEST(TreeListEditingGui, AnInputMethodsCompositionGoesToTheFocusedCellsEditorOpenedForIt)
{
    auto tree = std::make_unique<TCustomdxTreeListControl>(nullptr);
    tree->CreateColumn(TdxTreeListColumn::StaticClass());
    TdxTreeListNode *node = tree->Add();
    tree->SetNodeString(node, 0, "one");
    auto widget = showForEditing(*tree, node);
    tree->SetOptionsB(tree->OptionsB() | 1u << boImmediateEditor);
    EXPECT_TRUE(widget->testAttribute(Qt::WA_InputMethodEnabled));
    const QRect cursor = widget->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    const rtl::TRect cell = tree->CellRect(node, 0);
    EXPECT_EQ(cursor.topLeft(), widget->viewport()->mapTo(widget.get(), QPoint(cell.Left, cell.Top)));

    // The composition starts: the editor opens over the cell and shows it.
    QInputMethodEvent preedit(QStringLiteral("e"), {});
    QApplication::sendEvent(widget.get(), &preedit);
    auto *text = dynamic_cast<TdxInplaceTextEdit *>(tree->Editor());
    ASSERT_TRUE(text);
    EXPECT_EQ(tree->State(), tsEditing);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("\u00e9"));
    // The window still gets the rest of it; it goes on to the editor.
    QApplication::sendEvent(widget.get(), &commit);
    EXPECT_EQ(tree->State(), tsEditing);
    ASSERT_TRUE(tree->EndEditing());
    // As a typed character would, it replaced the text the editor opened with.
    EXPECT_EQ(tree->GetNodeString(node, 0), QStringLiteral("\u00e9"));

    // Where no editor may open, what is committed is typed into the grid:
    // here it searches.
    tree->SetOptionsA(tree->OptionsA() & ~(1u << aoEditing));
    tree->SetOptionsB(tree->OptionsB() | 1u << boIncrementalSearch);
    tree->SetNodeString(node, 0, "one");
    tree->SetNodeString(tree->Add(), 0, QStringLiteral("\u00e9t\u00e9"));
    widget->setFocus();
    QInputMethodEvent typed;
    typed.setCommitString(QStringLiteral("\u00e9"));
    QApplication::sendEvent(widget.get(), &typed);
    EXPECT_EQ(tree->State(), tsNone);
    EXPECT_EQ(tree->FocusedNode(), tree->Items(1));
    EXPECT_EQ(tree->SearchText(), QStringLiteral("\u00e9"));
}

// What an input method composes is typed text: it opens the editor only
// where a typed key would, and otherwise searches as keys do.
TEST(TreeListEditingGui, AnInputMethodsTextFollowsTheTypingOptions)
{
    auto tree = std::make_unique<TCustomdxTreeListControl>(nullptr);
    tree->CreateColumn(TdxTreeListColumn::StaticClass());
    TdxTreeListNode *node = tree->Add();
    tree->SetNodeString(node, 0, "one");
    tree->SetNodeString(tree->Add(), 0, QStringLiteral("\u6771\u4eac"));
    auto widget = showForEditing(*tree, node);
    widget->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(widget.get()));
    tree->SetOptionsB((tree->OptionsB() & ~(1u << boImmediateEditor)) | 1u << boIncrementalSearch);

    QInputMethodEvent preedit(QStringLiteral("dong"), {});
    QApplication::sendEvent(widget.get(), &preedit);
    EXPECT_EQ(tree->State(), tsNone);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("\u6771"));
    QApplication::sendEvent(widget.get(), &commit);
    EXPECT_EQ(tree->State(), tsNone);
    EXPECT_EQ(tree->FocusedNode(), tree->Items(1));
    EXPECT_EQ(tree->SearchText(), QStringLiteral("\u6771"));
    EXPECT_EQ(tree->GetNodeString(node, 0), "one");

    // Neither option: nothing opens and nothing changes.
    tree->EndSearch();
    tree->SetFocusedNode(node);
    tree->SetOptionsB(tree->OptionsB() & ~(1u << boIncrementalSearch));
    QApplication::sendEvent(widget.get(), &preedit);
    QApplication::sendEvent(widget.get(), &commit);
    EXPECT_EQ(tree->State(), tsNone);
    EXPECT_EQ(tree->FocusedNode(), node);

    // The immediate editor takes the whole of a text committed at once.
    tree->SetOptionsB(tree->OptionsB() | 1u << boImmediateEditor);
    QInputMethodEvent word;
    word.setCommitString(QStringLiteral("\u0434\u043e\U0001F600"));
    QApplication::sendEvent(widget.get(), &word);
    ASSERT_EQ(tree->State(), tsEditing);
    ASSERT_TRUE(tree->EndEditing());
    EXPECT_EQ(tree->GetNodeString(node, 0), QStringLiteral("\u0434\u043e\U0001F600"));
}

TEST(TreeListEditingGui, ANewWindowSizeEndsEditingKeepingWhatWasTyped)
{
    auto tree = std::make_unique<TCustomdxTreeListControl>(nullptr);
    tree->CreateColumn(TdxTreeListColumn::StaticClass());
    TdxTreeListNode *node = tree->Add();
    tree->SetNodeString(node, 0, "one");
    auto widget = showForEditing(*tree, node);
    QTest::keyClick(widget.get(), Qt::Key_F2);
    auto *text = dynamic_cast<TdxInplaceTextEdit *>(tree->Editor());
    ASSERT_TRUE(text);
    QTest::keyClicks(text->lineEdit(), "x");
    // A repaint or a bar that stays as it was is no new size.
    widget->viewport()->repaint();
    ASSERT_EQ(tree->State(), tsEditing);
    widget->resize(200, 120);
    EXPECT_EQ(tree->State(), tsNone);
    EXPECT_FALSE(text->isVisible());
    EXPECT_EQ(tree->GetNodeString(node, 0), "x");
}

// A grid with columns A, B and C beside another control, "NEW" typed into
// C's editor. What a program does to the grid meanwhile must neither lose
// the keys that follow nor leave the editor over another cell.
struct EditingBesideAnother
{
    EditingBesideAnother()
        : tree(std::make_unique<TCustomdxTreeListControl>(nullptr))
    {
        for (const char *name : {"A", "B", "C"}) {
            TdxTreeListColumn *column = tree->CreateColumn(TdxTreeListColumn::StaticClass());
            column->SetName(name);
            column->SetWidth(80);
        }
        node = tree->Add();
        tree->SetNodeString(node, 0, "a");
        tree->SetNodeString(node, 2, "old");
        tree->SetOptionsA((tree->OptionsA() | 1u << aoEditing) & ~(1u << aoRowFocus));
        tree->SetOptionsB(tree->OptionsB() | 1u << boImmediateEditor);
        auto *layout = new QVBoxLayout(&window);
        grid = new TreeListWidget(tree.get());
        other = new QLineEdit;
        layout->addWidget(grid);
        layout->addWidget(other);
        window.resize(400, 200);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        grid->setFocus();
        tree->SetFocusedNode(node);
        tree->SetFocusedColumn(2);
        type("NEW");
    }
    ~EditingBesideAnother()
    {
        delete grid;
        tree.reset();
    }

    void type(const QString &text)
    {
        for (QChar c : text)
            QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    }
    QLineEdit *line() const
    {
        auto *edit = dynamic_cast<TdxInplaceTextEdit *>(tree->Editor());
        return edit ? edit->lineEdit() : nullptr;
    }
    // Where the editor stands over C's cell as the grid lays it out now.
    QRect overC() const
    {
        const rtl::TRect r = tree->EditorRect(node, tree->PositionOfColumn(2));
        return QRect(QPoint(r.Left - 2, r.Top - 2), QPoint(r.Right + 1, r.Bottom + 1));
    }

    QWidget window;
    std::unique_ptr<TCustomdxTreeListControl> tree;
    TdxTreeListNode *node = nullptr;
    TreeListWidget *grid = nullptr;
    QLineEdit *other = nullptr;
};

// An update bracket hides the editor while the grid changes; when it closes
// the editor is back over its cell with the keys, the caret where it was
// and Esc still going back to the text it opened on.
TEST(TreeListEditingGui, AnUpdateBracketGivesTheEditorBackWithTheKeys)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath("layout.ini");
    const std::vector<std::pair<const char *, std::function<void(EditingBesideAnother &)>>> brackets{
        {"empty", [](EditingBesideAnother &g) { g.tree->BeginUpdate(); g.tree->EndUpdate(); }},
        {"width",
         [](EditingBesideAnother &g) {
             g.tree->BeginUpdate();
             g.tree->Columns(0)->SetWidth(140);
             g.tree->EndUpdate();
         }},
        {"nested",
         [](EditingBesideAnother &g) {
             g.tree->BeginUpdate();
             g.tree->BeginUpdate();
             g.tree->EndUpdate();
             EXPECT_FALSE(g.line()->isVisible()); // until the outer one closes
             g.tree->EndUpdate();
         }},
        {"ini", [&ini](EditingBesideAnother &g) { g.tree->LoadFromIniFile(ini); }},
        {"typed inside",
         [](EditingBesideAnother &g) {
             g.tree->BeginUpdate();
             g.type("+");
             g.tree->EndUpdate();
             EXPECT_EQ(g.line()->text(), "NEW+");
             QTest::keyClick(g.line(), Qt::Key_Backspace);
         }},
    };
    {
        EditingBesideAnother saved;
        ASSERT_TRUE(saved.tree->EndEditing());
        saved.tree->Columns(0)->SetWidth(30);
        saved.tree->SaveToIniFile(ini);
    }
    for (const auto &[name, bracket] : brackets) {
        EditingBesideAnother g;
        ASSERT_TRUE(g.line()) << name;
        ASSERT_EQ(g.line()->text(), "NEW") << name;
        bracket(g);
        EXPECT_EQ(g.tree->State(), tsEditing) << name;
        EXPECT_TRUE(g.line()->isVisible()) << name;
        EXPECT_TRUE(g.line()->hasFocus()) << name;
        EXPECT_EQ(dynamic_cast<QWidget *>(g.tree->Editor())->geometry(), g.overC()) << name;
        g.type("X");
        EXPECT_EQ(g.line()->text(), "NEWX") << name;
        EXPECT_EQ(g.other->text(), "") << name;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        EXPECT_EQ(g.tree->State(), tsNone) << name;
        EXPECT_EQ(g.tree->GetNodeString(g.node, 2), "old") << name;
        EXPECT_EQ(g.tree->GetNodeString(g.node, 0), "a") << name;
    }
}

// Widths changed under an open editor, in a bracket or not, take it along
// with its cell; a cell out of view hides it until it is back.
TEST(TreeListEditingGui, TheEditorFollowsItsCellWhenTheLayoutChanges)
{
    EditingBesideAnother g;
    ASSERT_TRUE(g.line());
    auto *editor = dynamic_cast<QWidget *>(g.tree->Editor());
    const QRect before = editor->geometry();
    g.tree->Columns(0)->SetWidth(120);
    EXPECT_EQ(editor->geometry(), g.overC());
    EXPECT_EQ(editor->geometry().left(), before.left() + 40);
    EXPECT_TRUE(g.line()->hasFocus());

    g.tree->Columns(1)->SetVisible(false);
    EXPECT_EQ(editor->geometry(), g.overC());
    g.tree->Columns(2)->SetVisible(false);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(g.tree->State(), tsEditing);
    EXPECT_TRUE(g.grid->hasFocus()); // not the control after the grid
    g.tree->Columns(2)->SetVisible(true);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_TRUE(g.line()->hasFocus());
    EXPECT_EQ(editor->geometry(), g.overC());
    g.type("Z");
    ASSERT_TRUE(g.tree->EndEditing());
    EXPECT_EQ(g.tree->GetNodeString(g.node, 2), "NEWZ");
    EXPECT_EQ(g.tree->GetNodeString(g.node, 0), "a");
}

// A program changes the rows above the one whose cell is edited, with no
// update bracket round it: the editor goes with its row, keeps the keys,
// and what is typed goes to the cell it was opened on.
TEST(TreeListEditingGui, TheEditorFollowsItsRowWhenNodesChangeAbove)
{
    struct Rows
    {
        Rows()
            : tree(std::make_unique<TCustomdxTreeListControl>(nullptr))
        {
            for (int i = 0; i < 3; ++i)
                tree->CreateColumn(TdxTreeListColumn::StaticClass())->SetWidth(80);
            branch = tree->Add();
            branch->AddChild();
            above = tree->Add();
            edited = tree->Add();
            tree->SetNodeString(edited, 0, "edited");
            tree->Add();
            tree->SetOptionsA((tree->OptionsA() | 1u << aoEditing) & ~(1u << aoRowFocus));
            tree->SetOptionsB(tree->OptionsB() | 1u << boImmediateEditor);
            grid = std::make_unique<TreeListWidget>(tree.get());
            grid->resize(400, 300);
            grid->show();
            grid->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(grid.get()));
            grid->setFocus();
            tree->SetFocusedNode(edited);
            tree->SetFocusedColumn(2);
            QTest::keyClicks(QApplication::focusWidget(), "NEW");
        }
        QRect overCell() const
        {
            const rtl::TRect r = tree->EditorRect(edited, tree->PositionOfColumn(2));
            return QRect(QPoint(r.Left - 2, r.Top - 2), QPoint(r.Right + 1, r.Bottom + 1));
        }
        std::unique_ptr<TCustomdxTreeListControl> tree;
        TdxTreeListNode *branch = nullptr, *above = nullptr, *edited = nullptr;
        std::unique_ptr<TreeListWidget> grid;
    };
    const std::vector<std::pair<const char *, std::function<void(Rows &)>>> changes{
        {"expanded", [](Rows &g) { g.branch->SetExpanded(true); }},
        {"child added",
         [](Rows &g) {
             g.tree->BeginUpdate();
             g.branch->SetExpanded(true);
             g.tree->EndUpdate();
             g.branch->AddChild();
         }},
        {"deleted", [](Rows &g) { g.above->Delete(); }},
        {"top row deleted", [](Rows &g) { g.branch->Delete(); }},
        {"sorted", [](Rows &g) { g.tree->SortNodes(-1, 0, false); }}, // "edited" goes last
        {"in a bracket",
         [](Rows &g) {
             g.tree->BeginUpdate();
             g.branch->SetExpanded(true);
             g.branch->AddChild();
             g.tree->EndUpdate();
         }},
    };
    for (const auto &[name, change] : changes) {
        Rows g;
        auto *editor = dynamic_cast<QWidget *>(g.tree->Editor());
        ASSERT_TRUE(editor) << name;
        const QRect before = editor->geometry();
        change(g);
        EXPECT_EQ(g.tree->State(), tsEditing) << name;
        EXPECT_NE(editor->geometry(), before) << name;
        EXPECT_EQ(editor->geometry(), g.overCell()) << name;
        EXPECT_TRUE(editor->isVisible()) << name;
        QTest::keyClicks(QApplication::focusWidget(), "X");
        ASSERT_TRUE(g.tree->EndEditing()) << name;
        EXPECT_EQ(g.tree->GetNodeString(g.edited, 2), "NEWX") << name;
    }

    // Its row collapsed out of sight, the editor waits hidden, the keys with
    // the grid and what is typed with it; the row back, so is the editor.
    Rows g;
    g.tree->EndEditing();
    g.branch->SetExpanded(true);
    g.edited = g.branch->Items(0);
    g.tree->SetFocusedNode(g.edited);
    QTest::keyClicks(QApplication::focusWidget(), "K");
    g.branch->SetExpanded(false);
    auto *editor = dynamic_cast<QWidget *>(g.tree->Editor());
    EXPECT_EQ(g.tree->State(), tsEditing);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), g.grid.get());
    QTest::keyClicks(QApplication::focusWidget(), "L");
    g.branch->SetExpanded(true);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->geometry(), g.overCell());
    ASSERT_TRUE(g.tree->EndEditing());
    EXPECT_EQ(g.tree->GetNodeString(g.edited, 2), "KL");
}

// Keys pressed while an update bracket has put the editor aside are the
// editor's, as when it is shown: they move its caret and delete its text,
// rather than moving the grid's focus off the edited cell, which would
// leave the editor taking no keys, Enter and Esc included, once back.
TEST(TreeListEditingGui, KeysPressedWhileTheEditorIsAsideAreItsOwn)
{
    EditingBesideAnother g;
    ASSERT_TRUE(g.tree->EndEditing());
    g.tree->SetFocusedColumn(1);
    QTest::keyClick(g.grid, Qt::Key_F2);
    g.type("NEW");
    g.tree->BeginUpdate();
    for (const Qt::Key key : {Qt::Key_Home, Qt::Key_Delete, Qt::Key_Right})
        QTest::keyClick(QApplication::focusWidget(), key);
    g.type("x");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
    EXPECT_EQ(g.tree->FocusedColumn(), 1);
    g.tree->EndUpdate();
    g.type("Y");
    EXPECT_EQ(g.line()->text(), "ExWY");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(g.tree->State(), tsNone);
    EXPECT_EQ(g.tree->GetNodeString(g.node, 1), "ExWY");
    EXPECT_EQ(g.tree->FocusedColumn(), 1);
}

// While the editor is aside the grid holds the keys for it; the user may
// still go to another control. The edit ends, stored, and the focus stays
// where the user put it.
TEST(TreeListEditingGui, TheFocusGoesOnFromAGridWhoseEditorIsAside)
{
    const std::vector<std::pair<const char *, std::function<void(EditingBesideAnother &)>>> asides{
        {"bracket", [](EditingBesideAnother &g) { g.tree->BeginUpdate(); }},
        {"cell hidden", [](EditingBesideAnother &g) { g.tree->Columns(2)->SetVisible(false); }},
    };
    for (const auto &[name, putAside] : asides) {
        EditingBesideAnother g;
        putAside(g);
        ASSERT_TRUE(g.tree->EditorAside()) << name;
        ASSERT_TRUE(g.grid->hasFocus()) << name;
        QTest::mouseClick(g.other, Qt::LeftButton);
        EXPECT_TRUE(g.other->hasFocus()) << name;
        EXPECT_EQ(g.tree->State(), tsNone) << name;
        EXPECT_EQ(g.tree->GetNodeString(g.node, 2), "NEW") << name;
        if (g.tree->IsUpdating())
            g.tree->EndUpdate();
        EXPECT_TRUE(g.other->hasFocus()) << name;
    }
}

// Rows a program adds or deletes while the user types bring the grid's bar
// down, or take it away: that narrows or widens the rows' area, no new
// window size. The edit goes on over its cell, the keys with it.
TEST(TreeListEditingGui, TheBarDownComingOrGoingKeepsTheEdit)
{
    EditingBesideAnother g;
    std::vector<TdxTreeListNode *> added;
    for (int i = 0; i < 30; ++i)
        added.push_back(g.tree->Add());
    ASSERT_TRUE(g.grid->verticalScrollBar()->isVisible());
    EXPECT_EQ(g.tree->State(), tsEditing);
    EXPECT_TRUE(g.line()->hasFocus());
    EXPECT_EQ(dynamic_cast<QWidget *>(g.tree->Editor())->geometry(), g.overC());
    g.type("X");
    for (TdxTreeListNode *node : added)
        node->Delete();
    ASSERT_FALSE(g.grid->verticalScrollBar()->isVisible());
    EXPECT_EQ(g.tree->State(), tsEditing);
    g.type("Y");
    ASSERT_TRUE(g.tree->EndEditing());
    EXPECT_EQ(g.tree->GetNodeString(g.node, 2), "NEWXY");
}

} // namespace
