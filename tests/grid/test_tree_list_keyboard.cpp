#include "ControlFixture.h"

#include <gtest/gtest.h>

using namespace grid;

namespace {

class KeyControl : public TCustomdxTreeListControl
{
public:
    using TCustomdxTreeList::SetState;
    using TCustomdxTreeListControl::TCustomdxTreeListControl;
};

// Two columns; "a" with children "a1", "a2" (collapsed), then "b" and "c".
struct KeyFixture
{
    KeyFixture()
        : tree(std::make_unique<KeyControl>(nullptr))
    {
        tree->SetHost(&host);
        for (const char *caption : {"One", "Two"})
            tree->CreateColumn(TdxTreeListColumn::StaticClass())->SetCaption(caption);
        a = node({"a", "x"});
        a1 = node({"a1", "y"}, a);
        a2 = node({"a2", "z"}, a);
        b = node({"b", "w"});
        c = node({"c", "v"});
        tree->SetClientRect(rtl::Rect(0, 0, 400, 300));
        tree->CalcMetrics();
        tree->SetFocusedNode(a);
    }
    ~KeyFixture() { tree.reset(); }

    TdxTreeListNode *node(const QStringList &texts, TdxTreeListNode *parent = nullptr)
    {
        TdxTreeListNode *n = parent ? parent->AddChild() : tree->Add();
        for (int i = 0; i < texts.size(); ++i)
            tree->SetNodeString(n, i, texts[i]);
        return n;
    }
    void key(TKey k, TShiftState shift = 0) { tree->KeyDown(k, shift); }
    void type(const QString &text)
    {
        for (TChar ch : text.toUcs4())
            tree->KeyPress(ch);
    }
    void cellFocus() { tree->SetOptionsA(tree->OptionsA() & ~(1u << aoRowFocus)); }

    gridtest::FakeTreeListHost host;
    std::unique_ptr<KeyControl> tree;
    TdxTreeListNode *a, *a1, *a2, *b, *c;
};

} // namespace

TEST(TreeListKeyboard, EscInASizingModeOnlyCancelsIt)
{
    KeyFixture f;
    for (uint8_t mode : {tsColumnSizing, tsColumnDragging, tsBandSizing, tsRowSizing}) {
        f.tree->SetState(mode);
        f.key(VK_ESCAPE);
        EXPECT_EQ(f.tree->State(), tsNone) << int(mode);
        // Other keys in a mode do nothing.
        f.tree->SetState(mode);
        f.key(VK_DOWN);
        EXPECT_EQ(f.tree->FocusedNode(), f.a);
        f.tree->CancelMode();
    }
    EXPECT_EQ(f.tree->FocusedNode(), f.a);
}

TEST(TreeListKeyboard, RowFocusArrowsWalkRowsAndExpansion)
{
    KeyFixture f; // row focus is the default
    f.key(VK_RIGHT);
    EXPECT_TRUE(f.a->Expanded());
    EXPECT_EQ(f.tree->FocusedNode(), f.a);
    f.key(VK_RIGHT);
    EXPECT_EQ(f.tree->FocusedNode(), f.a1);
    f.key(VK_RIGHT); // a leaf: the next row
    EXPECT_EQ(f.tree->FocusedNode(), f.a2);
    f.key(VK_LEFT); // not the first child: the previous row
    EXPECT_EQ(f.tree->FocusedNode(), f.a1);
    f.key(VK_LEFT); // the first child: its parent
    EXPECT_EQ(f.tree->FocusedNode(), f.a);
    f.key(VK_LEFT);
    EXPECT_FALSE(f.a->Expanded());
    f.key(VK_END);
    EXPECT_EQ(f.tree->FocusedNode(), f.c);
    f.key(VK_HOME);
    EXPECT_EQ(f.tree->FocusedNode(), f.a);
    for (int i = 0; i < 10000; ++i)
        f.key(VK_DOWN);
    EXPECT_EQ(f.tree->FocusedNode(), f.c);
}

TEST(TreeListKeyboard, CellFocusStepsColumnsAndTabStaysOnTheLastCell)
{
    KeyFixture f;
    f.cellFocus();
    f.tree->SetOptionsA(f.tree->OptionsA() | (1u << aoTabWrapsRows));
    f.key(VK_RIGHT);
    EXPECT_EQ(f.tree->FocusedColumn(), 1);
    f.key(VK_HOME);
    EXPECT_EQ(f.tree->FocusedColumn(), 0);
    f.key(VK_END);
    EXPECT_EQ(f.tree->FocusedColumn(), 1);
    f.key(VK_TAB); // wraps to the next row's first cell
    EXPECT_EQ(f.tree->FocusedNode(), f.b);
    EXPECT_EQ(f.tree->FocusedColumn(), 0);
    f.key(VK_TAB, ssShift);
    EXPECT_EQ(f.tree->FocusedNode(), f.a);
    EXPECT_EQ(f.tree->FocusedColumn(), 1);
    f.key(VK_END, ssCtrl);
    f.key(VK_RIGHT, ssCtrl);
    ASSERT_EQ(f.tree->FocusedNode(), f.c);
    f.key(VK_TAB);
    EXPECT_EQ(f.tree->FocusedNode(), f.c);
    EXPECT_EQ(f.tree->FocusedColumn(), 1);
}

TEST(TreeListKeyboard, CtrlCNeedsItsOptionCtrlInsertDoesNot)
{
    KeyFixture f;
    f.host.keys = ssCtrl;
    f.tree->SetOptionsB(f.tree->OptionsB() & ~(1u << boCtrlCCopies));
    f.type(QString(QChar(3)));
    EXPECT_TRUE(f.host.clipboard.isEmpty());
    f.key(VK_INSERT, ssCtrl);
    EXPECT_EQ(f.host.clipboard, "One\tTwo\r\n\r\na\tx\r\n");
    f.host.clipboard.clear();
    f.tree->SetOptionsB(f.tree->OptionsB() | (1u << boCtrlCCopies));
    f.type(QString(QChar(3)));
    EXPECT_EQ(f.host.clipboard, "One\tTwo\r\n\r\na\tx\r\n");
}

// The clipboard is shared with every program: a password column goes there
// as its mask characters, by either key, while a program asking for the
// rows itself still gets the texts.
TEST(TreeListKeyboard, CopiedRowsShowPasswordColumnsAsTheirMask)
{
    KeyFixture f;
    f.tree->Columns(1)->SetPasswordChar('*');
    f.tree->SetNodeString(f.b, 1, QString()); // nothing to hide, nothing shown
    f.host.keys = ssCtrl;
    f.key(VK_INSERT, ssCtrl);
    EXPECT_EQ(f.host.clipboard, "One\tTwo\r\n\r\na\t*\r\n");
    f.tree->SetNodeString(f.a, 1, "s3cr3t");
    f.tree->SetOptionsB(f.tree->OptionsB() | (1u << boCtrlCCopies));
    f.type(QString(QChar(3)));
    EXPECT_EQ(f.host.clipboard, "One\tTwo\r\n\r\na\t******\r\n");
    f.tree->SetFocusedNode(f.b);
    f.key(VK_INSERT, ssCtrl);
    EXPECT_EQ(f.host.clipboard, "One\tTwo\r\n\r\nb\t\r\n");

    QStringList rows;
    f.tree->SetFocusedNode(f.a);
    f.tree->SaveSelectedToStrings(rows);
    EXPECT_EQ(rows, (QStringList{"One\tTwo\r\n", "a\ts3cr3t"}));
}

TEST(TreeListKeyboard, StarExpandsTheSubtreePlusAndMinusTheNode)
{
    KeyFixture f;
    TdxTreeListNode *deep = f.node({"a11"}, f.a1);
    f.type("*");
    EXPECT_TRUE(f.a->Expanded());
    EXPECT_TRUE(f.a1->Expanded());
    EXPECT_TRUE(deep->IsVisible());
    f.type("-");
    EXPECT_FALSE(f.a->Expanded());
    f.type("+");
    EXPECT_TRUE(f.a->Expanded());
}

TEST(TreeListKeyboard, TypingSearchesAndAMissLeavesTheText)
{
    KeyFixture f;
    f.tree->SetOptionsB(f.tree->OptionsB() | (1u << boIncrementalSearch));
    f.type("b");
    EXPECT_TRUE(f.tree->Searching());
    EXPECT_EQ(f.tree->FocusedNode(), f.b);
    f.type("q");
    EXPECT_EQ(f.tree->SearchText(), "b");
    EXPECT_EQ(f.tree->FocusedNode(), f.b);
    f.key(VK_BACK);
    EXPECT_EQ(f.tree->SearchText(), "");
    f.key(VK_ESCAPE);
    EXPECT_FALSE(f.tree->Searching());
}

// The search takes letters of any script, a character beyond the basic
// plane whole (a miss takes it out whole, not half of it), and no control.
TEST(TreeListKeyboard, TypingSearchesInAnyScriptAndPassesControlsBy)
{
    KeyFixture f;
    const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80");
    f.tree->SetNodeString(f.b, 0, QStringLiteral("Ωмега"));
    f.tree->SetNodeString(f.c, 0, smile + "x");
    f.tree->SetOptionsB(f.tree->OptionsB() | (1u << boIncrementalSearch));
    f.type(QString(QChar(0x85)));
    EXPECT_FALSE(f.tree->Searching());
    f.type(QStringLiteral("ωм"));
    EXPECT_EQ(f.tree->FocusedNode(), f.b);
    EXPECT_EQ(f.tree->SearchText(), QStringLiteral("ωм"));
    f.type(QString(QChar(0x9C)) + QChar(127));
    EXPECT_EQ(f.tree->SearchText(), QStringLiteral("ωм"));
    f.key(VK_ESCAPE);

    f.type(smile);
    EXPECT_EQ(f.tree->FocusedNode(), f.c);
    EXPECT_EQ(f.tree->SearchText(), smile);
    f.type(QString::fromUtf8("\xF0\x9F\x98\x81")); // a miss that shares the first half
    EXPECT_EQ(f.tree->SearchText(), smile);
    f.key(VK_BACK);
    EXPECT_EQ(f.tree->SearchText(), "");
}

TEST(TreeListKeyboard, ShiftExtendsAMultipleSelectionFromTheAnchor)
{
    KeyFixture f;
    f.tree->SetOptionsA(f.tree->OptionsA() | (1u << aoMultiSelect));
    f.key(VK_DOWN);
    EXPECT_EQ(f.tree->SelectedCount(), 1);
    f.key(VK_DOWN, ssShift);
    EXPECT_EQ(f.tree->SelectedCount(), 2);
    EXPECT_TRUE(f.tree->IsNodeSelected(f.b));
    EXPECT_TRUE(f.tree->IsNodeSelected(f.c));
    f.key(VK_HOME);
    EXPECT_EQ(f.tree->SelectedCount(), 1);
    EXPECT_TRUE(f.tree->IsNodeSelected(f.a));
    // Ctrl+Space toggles the focused node, also out of the selection.
    f.key(VK_SPACE, ssCtrl);
    EXPECT_EQ(f.tree->SelectedCount(), 0);
    f.key(VK_SPACE, ssCtrl);
    EXPECT_TRUE(f.tree->IsNodeSelected(f.a));
}
