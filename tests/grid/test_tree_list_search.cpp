// Incremental search, the row, page and column steps of the keyboard, and the
// text export.

#include "TreeListFixture.h"

#include <gtest/gtest.h>

using namespace grid;
using gridtest::ArrayTreeList;
using gridtest::TextNode;

namespace {

void setMultiSelect(ArrayTreeList &tree)
{
    tree.SetOptionsA(tree.OptionsA() | (1u << aoMultiSelect));
}

// Rows "r0" .. "r<n-1>" at the top level.
void addRows(ArrayTreeList &tree, int n)
{
    for (int i = 0; i < n; ++i)
        tree.add(QString("r%1").arg(i));
}

} // namespace

TEST(TreeListSearch, TypedCharacterWithoutMatchIsDroppedAndFocusStays)
{
    ArrayTreeList tree;
    tree.setColumns({"Name"});
    tree.add("apple");
    auto *apricot = tree.add("apricot");
    tree.add("banana");
    EXPECT_TRUE(tree.StartSearch(-1, "ap"));
    EXPECT_EQ(ArrayTreeList::name(tree.FocusedNode()), "apple");
    QString text = tree.SearchText() + "r";
    tree.SearchStep(text, sdFocused, false);
    EXPECT_EQ(tree.FocusedNode(), apricot);
    EXPECT_EQ(text, "apr");
    text += "x";
    tree.SearchStep(text, sdFocused, false);
    EXPECT_EQ(text, "apr");
    EXPECT_EQ(tree.FocusedNode(), apricot);
    // With clear-on-failure the whole text goes; the focus still stays.
    text = "zz";
    tree.SearchStep(text, sdFocused, true);
    EXPECT_TRUE(text.isEmpty());
    EXPECT_EQ(tree.FocusedNode(), apricot);
    EXPECT_FALSE(tree.StartSearch(-1, "q"));
    EXPECT_EQ(tree.FocusedNode(), apricot);
}

TEST(TreeListSearch, FindByPrefixWalksAndWraps)
{
    ArrayTreeList tree;
    tree.setColumns({"Name", "Kind"});
    auto *a = tree.add("alpha", nullptr, {"x"});
    auto *a1 = tree.add("alpha child", a, {"x"});
    tree.add("beta", nullptr, {"y"});
    auto *last = tree.add("gamma", nullptr, {"x"});
    auto *lastChild = tree.add("gamma child", last, {"x"});
    TdxTreeListNode *found = nullptr;

    // Backwards from the first node: the last top-level node comes first,
    // not its descendants.
    tree.SetFocusedNode(a);
    ASSERT_TRUE(tree.FindByPrefix(1, "x", sdBackward, found));
    EXPECT_EQ(found, last);
    // Forwards with search-all: the collapsed child comes next.
    ASSERT_TRUE(tree.FindByPrefix(1, "x", sdForward, found));
    EXPECT_EQ(found, a1);
    tree.SetFocusedNode(last);
    ASSERT_TRUE(tree.FindByPrefix(1, "X", sdForward, found));
    EXPECT_EQ(found, lastChild);
    // Without search-all collapsed branches are passed over, and a round
    // that meets only the start fails.
    tree.SetSearchAllNodes(false);
    ASSERT_TRUE(tree.FindByPrefix(1, "x", sdForward, found));
    EXPECT_EQ(found, a);
    EXPECT_FALSE(tree.FindByPrefix(0, "gam", sdForward, found));
    EXPECT_EQ(found, nullptr);
    EXPECT_TRUE(tree.FindByPrefix(0, "gam", sdFocused, found));

    struct Case
    {
        const char *text;
        bool found;
    };
    const Case cases[] = {
        {"", false}, {"ALPHA CH", true}, {"alpha childish", false}, {"b", true}, {"\t", false},
    };
    tree.SetSearchAllNodes(true);
    tree.SetFocusedNode(a);
    for (const Case &k : cases) {
        SCOPED_TRACE(k.text);
        EXPECT_EQ(tree.FindByPrefix(0, k.text, sdFocused, found), k.found);
        EXPECT_EQ(found != nullptr, k.found);
    }
    const QString huge(10000, QChar('a'));
    EXPECT_FALSE(tree.FindByPrefix(0, huge, sdForward, found));
}

TEST(TreeListSearch, CaseIsFoldedBeyondAscii)
{
    ArrayTreeList tree;
    tree.setColumns({"Name"});
    tree.add("Zebra");
    tree.add(QString::fromUtf8("ÉCOLE"));
    TdxTreeListNode *found = nullptr;
    ASSERT_TRUE(tree.FindByPrefix(0, QString::fromUtf8("éc"), sdForward, found));
    EXPECT_EQ(found, tree.Items(1));
    ASSERT_TRUE(tree.FindByPrefix(0, QString::fromUtf8("zÉ").mid(1), sdForward, found));
    EXPECT_EQ(found, tree.Items(1));
}

TEST(TreeListSearch, HitInCollapsedBranchIsFocusedAndShown)
{
    ArrayTreeList tree;
    tree.setColumns({"Name"});
    setMultiSelect(tree);
    auto *top = tree.add("top");
    auto *mid = tree.add("mid", top);
    auto *aside = tree.add("aside", top);
    tree.add("aside child", aside);
    auto *deep = tree.add("needle", mid);
    tree.add("other");
    tree.Items(1)->SetSelected(true);
    EXPECT_TRUE(tree.StartSearch(0, "nee"));
    EXPECT_EQ(tree.FocusedNode(), deep);
    EXPECT_TRUE(top->Expanded());
    EXPECT_TRUE(mid->Expanded());
    EXPECT_FALSE(aside->Expanded());
    EXPECT_EQ(tree.selectedNames(), (QStringList{"needle"}));
    EXPECT_GE(tree.AbsoluteIndex(deep), 0);
}

TEST(TreeListSearch, SearchColumnFollowsTheFocusedColumn)
{
    ArrayTreeList tree;
    tree.SetOptionsA(tree.OptionsA() & ~(1u << aoRowFocus));
    tree.setColumns({"Name", "Town"});
    tree.add("ann", nullptr, {"Oslo"});
    tree.add("bob", nullptr, {"Bergen"});
    EXPECT_TRUE(tree.StartSearch(1, "ber"));
    EXPECT_EQ(tree.SearchColumn(), 1);
    EXPECT_EQ(tree.FocusedColumn(), 1);
    EXPECT_EQ(ArrayTreeList::name(tree.FocusedNode()), "bob");
    tree.SetFocusedColumn(0);
    EXPECT_EQ(tree.SearchColumn(), 0);
    EXPECT_TRUE(tree.SearchText().isEmpty());
    tree.EndSearch();
    EXPECT_FALSE(tree.Searching());
}

TEST(TreeListSteps, ShiftStepsExtendAndShrinkFromTheAnchor)
{
    ArrayTreeList tree;
    setMultiSelect(tree);
    addRows(tree, 6);
    tree.SetFocusedNode(tree.Items(1));
    for (int i = 0; i < 3; ++i)
        tree.StepRows(1, ssShift);
    tree.StepRows(-1, ssShift);
    EXPECT_EQ(ArrayTreeList::name(tree.SelectionAnchor()), "r1");
    EXPECT_EQ(ArrayTreeList::name(tree.FocusedNode()), "r3");
    EXPECT_EQ(tree.selectedNames(), (QStringList{"r1", "r2", "r3"}));
    // Past the anchor the other way.
    tree.StepRows(-1, ssShift);
    tree.StepRows(-1, ssShift);
    tree.StepRows(-1, ssShift);
    EXPECT_EQ(ArrayTreeList::name(tree.FocusedNode()), "r0");
    EXPECT_EQ(tree.selectedNames(), (QStringList{"r0", "r1"}));
    // A plain step drops the selection and the anchor, except where nothing
    // can move.
    tree.StepRows(-1, 0);
    EXPECT_EQ(tree.selectedNames(), (QStringList{"r0", "r1"}));
    tree.StepRows(1, 0);
    EXPECT_EQ(tree.SelectedCount(), 0);
    EXPECT_EQ(tree.SelectionAnchor(), nullptr);
    EXPECT_EQ(ArrayTreeList::name(tree.FocusedNode()), "r1");
    // Steps are clamped to the rows.
    tree.StepRows(100, 0);
    EXPECT_EQ(ArrayTreeList::name(tree.FocusedNode()), "r5");
    tree.StepRows(-100, 0);
    EXPECT_EQ(ArrayTreeList::name(tree.FocusedNode()), "r0");
}

TEST(TreeListSteps, PageStepsStopAtTheFirstAndLastRows)
{
    ArrayTreeList tree;
    tree.rowsPerPage = 4;
    addRows(tree, 10);
    tree.SetFocusedNode(tree.Items(1));
    // Inside the page: to its last row, then a page on.
    tree.StepPage(true);
    EXPECT_EQ(ArrayTreeList::name(tree.FocusedNode()), "r3");
    tree.StepPage(true);
    EXPECT_EQ(ArrayTreeList::name(tree.FocusedNode()), "r6");
    tree.StepPage(true);
    tree.StepPage(true);
    EXPECT_EQ(ArrayTreeList::name(tree.FocusedNode()), "r9");
    tree.StepPage(true);
    EXPECT_EQ(ArrayTreeList::name(tree.FocusedNode()), "r9");
    for (int i = 0; i < 5; ++i)
        tree.StepPage(false);
    EXPECT_EQ(ArrayTreeList::name(tree.FocusedNode()), "r0");

    ArrayTreeList single;
    addRows(single, 1);
    single.StepPage(true);
    single.StepPage(false);
    EXPECT_EQ(ArrayTreeList::name(single.FocusedNode()), "r0");
    ArrayTreeList empty;
    empty.StepPage(true);
    empty.StepRows(1, ssShift);
    EXPECT_EQ(empty.FocusedNode(), nullptr);
}

TEST(TreeListSteps, ColumnAndBandLineSteps)
{
    ArrayTreeList tree;
    tree.SetOptionsA(tree.OptionsA() & ~(1u << aoRowFocus));
    // Band 0: line 0 = c0 c1, line 1 = c2; band 1: line 0 = c3 c4.
    tree.captions = {"c0", "c1", "c2", "c3", "c4"};
    tree.bands = {{{0, 1}, {2}}, {{3, 4}}};
    tree.hidden = {4};
    addRows(tree, 2);
    EXPECT_EQ(tree.VisibleColumnCount(), 4);
    QStringList order;
    for (int p = 0; p < tree.VisibleColumnCount(); ++p)
        order << tree.captions.value(tree.ColumnAtPosition(p));
    EXPECT_EQ(order, (QStringList{"c0", "c1", "c3", "c2"}));
    EXPECT_EQ(tree.PositionOfColumn(2), 3);
    EXPECT_EQ(tree.PositionOfColumn(4), 0);
    EXPECT_EQ(tree.ColumnAtPosition(4), -1);

    EXPECT_TRUE(tree.StepColumn(true, false, false));
    EXPECT_EQ(tree.FocusedColumnIndex(), 1);
    tree.noTabStop = {3};
    EXPECT_TRUE(tree.StepColumn(true, false, true));
    EXPECT_EQ(tree.FocusedColumnIndex(), 2);
    EXPECT_FALSE(tree.StepColumn(true, false, false));
    EXPECT_TRUE(tree.StepColumn(true, true, false));
    EXPECT_EQ(ArrayTreeList::name(tree.FocusedNode()), "r1");
    EXPECT_EQ(tree.FocusedColumn(), 0);
    EXPECT_TRUE(tree.StepColumn(false, true, false));
    EXPECT_EQ(ArrayTreeList::name(tree.FocusedNode()), "r0");
    EXPECT_EQ(tree.FocusedColumn(), 3);

    // From c2 (band 0, line 1) up to line 0 keeps the place: c0.
    EXPECT_TRUE(tree.StepBandLine(false));
    EXPECT_EQ(tree.FocusedColumnIndex(), 0);
    EXPECT_FALSE(tree.StepBandLine(false));
    tree.SetFocusedColumn(1);
    EXPECT_TRUE(tree.StepBandLine(true));
    EXPECT_EQ(tree.FocusedColumnIndex(), 2);

    tree.SetOptionsA(tree.OptionsA() | (1u << aoRowFocus));
    EXPECT_EQ(tree.FocusedColumn(), 0);
    EXPECT_FALSE(tree.StepColumn(true, true, false));
}

TEST(TreeListExport, HeaderAndRows)
{
    ArrayTreeList tree;
    tree.setColumns({"A", "B"});
    tree.add("1", nullptr, {"2"});
    QStringList list{"kept"};
    tree.SaveAllToStrings(list);
    EXPECT_EQ(list, (QStringList{"kept", "A\tB\r\n", "1\t2"}));

    // Texts go out as they are; a single-text node gives its first text.
    tree.add("x\ty", nullptr, {"line\r\nbreak"});
    tree.add("solo", nullptr, {"ignored"});
    tree.singleText = {2};
    list.clear();
    tree.SaveAllToStrings(list);
    EXPECT_EQ(list, (QStringList{"A\tB\r\n", "1\t2", "x\ty\tline\r\nbreak", "solo"}));

    tree.hidden = {0, 1};
    list.clear();
    tree.SaveAllToStrings(list);
    EXPECT_EQ(list, (QStringList{"\r\n", "", "", "solo"}));
}

TEST(TreeListExport, CollapsedRowsAndSelectionOrder)
{
    ArrayTreeList tree;
    tree.setColumns({"Name"});
    auto *p = tree.add("p");
    auto *c1 = tree.add("p.1", p);
    auto *c2 = tree.add("p.2", p);
    auto *q = tree.add("q");
    QStringList all;
    tree.SaveAllToStrings(all);
    EXPECT_EQ(all, (QStringList{"Name\r\n", "p", "q"}));

    // Without multiple selection: the focused row.
    QStringList focused;
    tree.SetFocusedNode(q);
    tree.SaveSelectedToStrings(focused);
    EXPECT_EQ(focused, (QStringList{"Name\r\n", "q"}));

    setMultiSelect(tree);
    QStringList none;
    tree.SaveSelectedToStrings(none);
    EXPECT_EQ(none, (QStringList{"Name\r\n"}));
    // Selected bottom up, children of a collapsed parent included.
    q->SetSelected(true);
    c2->SetSelected(true);
    c1->SetSelected(true);
    p->SetSelected(true);
    QStringList selected;
    tree.SaveSelectedToStrings(selected);
    EXPECT_EQ(selected, (QStringList{"Name\r\n", "p", "p.1", "p.2", "q"}));

    tree.CopySelectedToClipboard();
    EXPECT_EQ(tree.host.clipboard, "Name\r\n\r\np\r\np.1\r\np.2\r\nq\r\n");
}
