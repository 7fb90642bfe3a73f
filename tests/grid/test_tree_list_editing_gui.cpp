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
#include <QTest>

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

} // namespace
