// Nodes and the tree list's core: navigation, expansion, deletion and the
// references it repairs, brackets, focus and the option words.

#include "TreeListFixture.h"

#include "grid/core/TreeListNode.h"

#include "platform/rtl/Exceptions.h"

#include <gtest/gtest.h>

using namespace grid;
using gridtest::ArrayTreeList;
using gridtest::TextNode;

namespace {

// a (a1 (a1x, a1y), a2), b (b1), c
struct SampleTree
{
    ArrayTreeList tree;
    TextNode *a, *a1, *a1x, *a1y, *a2, *b, *b1, *c;
    SampleTree()
    {
        a = tree.add("a");
        a1 = tree.add("a1", a);
        a1x = tree.add("a1x", a1);
        a1y = tree.add("a1y", a1);
        a2 = tree.add("a2", a);
        b = tree.add("b");
        b1 = tree.add("b1", b);
        c = tree.add("c");
    }
    QStringList names(const std::vector<TdxTreeListNode *> &nodes) const
    {
        QStringList out;
        for (auto *n : nodes)
            out << ArrayTreeList::name(n);
        return out;
    }
};

} // namespace

TEST(TreeListNodes, PreOrderAndVisibleWalksEndWithNone)
{
    SampleTree t;
    QStringList forward, backward;
    for (TdxTreeListNode *n = t.a; n; n = n->GetNext())
        forward << ArrayTreeList::name(n);
    for (TdxTreeListNode *n = t.c; n; n = n->GetPrev())
        backward.prepend(ArrayTreeList::name(n));
    const QStringList all{"a", "a1", "a1x", "a1y", "a2", "b", "b1", "c"};
    EXPECT_EQ(forward, all);
    EXPECT_EQ(backward, all);
    EXPECT_EQ(t.c->GetNext(), nullptr);
    EXPECT_EQ(t.a->GetPrev(), nullptr);

    // Collapsed branches are skipped, in both directions.
    EXPECT_EQ(t.tree.shownRows(), (QStringList{"a", "b", "c"}));
    t.a->SetExpanded(true);
    t.a1->SetExpanded(true);
    EXPECT_EQ(t.tree.shownRows(), (QStringList{"a", "a1", "a1x", "a1y", "a2", "b", "c"}));
    QStringList up;
    for (TdxTreeListNode *n = t.c; n; n = n->GetPrevVisible())
        up.prepend(ArrayTreeList::name(n));
    EXPECT_EQ(up, t.tree.shownRows());
    EXPECT_EQ(t.a->GetLastVisibleDescendant(), t.a2);
    EXPECT_EQ(t.b->GetLastVisibleDescendant(), t.b);
    EXPECT_EQ(t.tree.LastVisibleNode(), t.c);
}

TEST(TreeListNodes, StructureQueries)
{
    SampleTree t;
    EXPECT_EQ(t.a->Count(), 2);
    EXPECT_EQ(t.a->Items(1), t.a2);
    EXPECT_EQ(t.a->Items(2), nullptr);
    EXPECT_EQ(t.a->Items(-1), nullptr);
    EXPECT_EQ(t.c->Items(0), nullptr);
    EXPECT_EQ(t.a->IndexOf(t.a2), 1);
    EXPECT_EQ(t.a->IndexOf(t.b1), -1);
    EXPECT_EQ(t.c->IndexOf(t.a), -1);
    EXPECT_EQ(t.b->Index(), 1);
    EXPECT_EQ(t.a1y->Index(), 1);
    EXPECT_EQ(t.a1x->Level(), 2);
    EXPECT_TRUE(t.a1x->HasAsParent(t.a));
    EXPECT_FALSE(t.a->HasAsParent(t.a1x));
    EXPECT_FALSE(t.a->HasAsParent(nullptr));
    EXPECT_TRUE(t.a2->IsLast());
    EXPECT_FALSE(t.a1->IsLast());
    EXPECT_TRUE(t.c->IsLast());
    EXPECT_EQ(t.a2->GetPrevSiblingOrParent(), t.a1);
    EXPECT_EQ(t.a1->GetPrevSiblingOrParent(), t.a);
    EXPECT_EQ(t.a->GetPrevSiblingOrParent(), nullptr);
    EXPECT_FALSE(t.a1x->IsVisible());
    EXPECT_EQ(t.tree.NodeCount(), 8);
    EXPECT_EQ(t.tree.Items(3), nullptr);
}

TEST(TreeListNodes, NodeWithoutOwnerIsRefused)
{
    try {
        gridtest::TextNode node(nullptr);
        FAIL() << "a node without owner was made";
    } catch (const EInvaliddxTreeListOperation &e) {
        EXPECT_STREQ(e.what(), "Invalid Owner TdxTreeListNode");
    }
}

TEST(TreeListNodes, CollapsingMovesFocusAndTopRowOutOfTheBranchFirst)
{
    SampleTree t;
    t.a->Expand(true);
    t.tree.SetFocusedNode(t.a1x);
    t.tree.rowsPerPage = 2;
    t.tree.MakeVisible(t.a1y);
    ASSERT_EQ(t.tree.TopNode(), t.a1x);

    QStringList order;
    t.tree.OnChangeNode = [&](classes::TObject *, TdxTreeListNode *, TdxTreeListNode *node) {
        order << "focus " + ArrayTreeList::name(node) + (t.a1->Expanded() ? " while open" : " after");
    };
    t.tree.OnCollapsed = [&](classes::TObject *, TdxTreeListNode *node) { order << "collapsed " + ArrayTreeList::name(node); };
    t.a1->SetExpanded(false);
    EXPECT_EQ(order, (QStringList{"focus a1 while open", "collapsed a1"}));
    EXPECT_EQ(t.tree.FocusedNode(), t.a1);
    EXPECT_EQ(t.tree.TopNode(), t.a1);

    // A veto of the collapsing query or of the focus hook leaves all as it was.
    t.tree.SetFocusedNode(t.b1);
    t.tree.OnCollapsing = [](classes::TObject *, TdxTreeListNode *, bool &allow) { allow = false; };
    t.b->SetExpanded(false);
    EXPECT_TRUE(t.b->Expanded());
    t.tree.OnCollapsing = nullptr;
    t.tree.collapseWithFocus = [](TdxTreeListNode *) { return false; };
    t.b->SetExpanded(false);
    EXPECT_TRUE(t.b->Expanded());
    EXPECT_EQ(t.tree.FocusedNode(), t.b1);
}

TEST(TreeListNodes, DeletingTheLastChildCollapsesTheParentAndAsksAgainForChildren)
{
    for (const bool lazy : {false, true}) {
        SCOPED_TRACE(lazy ? "parent loads its children on demand" : "plain parent");
        SampleTree t;
        t.b->SetExpanded(true);
        if (lazy)
            t.tree.lazy.insert(t.b);
        t.b1->Delete();
        EXPECT_EQ(t.b->Count(), 0);
        EXPECT_FALSE(t.b->Expanded());
        EXPECT_EQ(t.b->HasChildren(), lazy);
        EXPECT_EQ(t.b->GetFirstChild(), nullptr);
    }
}

TEST(TreeListNodes, ExpandWithRecurse)
{
    SampleTree t;
    // HasChildren without children: only the node itself opens.
    auto *lazy = t.tree.add("lazy");
    lazy->SetHasChildren(true);
    lazy->Expand(true);
    EXPECT_TRUE(lazy->Expanded());
    EXPECT_EQ(lazy->Count(), 0);

    // Every node below opens, inside one bracket whose end work runs once.
    QStringList expanded;
    t.tree.OnExpanded = [&](classes::TObject *, TdxTreeListNode *n) { expanded << ArrayTreeList::name(n); };
    const int paintsBefore = t.tree.host.invalidateAllCount;
    const int endsBefore = t.tree.endHooks;
    t.a->Expand(true);
    EXPECT_EQ(expanded, (QStringList{"a", "a1"}));
    EXPECT_EQ(t.tree.endHooks - endsBefore, 1);
    EXPECT_EQ(t.tree.host.invalidateAllCount - paintsBefore, 1);
    EXPECT_EQ(t.tree.UpdateCount(), 0);

    // Nothing at all without HasChildren.
    expanded.clear();
    t.c->Expand(true);
    EXPECT_FALSE(t.c->Expanded());
    EXPECT_TRUE(expanded.isEmpty());
}

TEST(TreeListNodes, ExpandingVetoAndLazyChildren)
{
    ArrayTreeList tree;
    auto *folder = tree.add("folder");
    folder->SetHasChildren(true);
    // Children made by the expanding handler are shown at once.
    tree.OnExpanding = [&](classes::TObject *, TdxTreeListNode *n, bool &) {
        tree.add("x", n);
        tree.add("y", n);
    };
    tree.add("after");
    ASSERT_EQ(tree.AbsoluteIndex(tree.Items(1)), 1);
    folder->SetExpanded(true);
    EXPECT_EQ(tree.shownRows(), (QStringList{"folder", "x", "y", "after"}));
    EXPECT_EQ(tree.AbsoluteIndex(tree.Items(1)), 3);

    tree.OnCollapsing = [](classes::TObject *, TdxTreeListNode *, bool &allow) { allow = false; };
    folder->SetExpanded(false);
    EXPECT_TRUE(folder->Expanded());
}

TEST(TreeListNodes, ClearingReportsEveryNodeWithoutNeighbours)
{
    SampleTree t;
    t.a->Expand(true);
    t.tree.SetFocusedNode(t.a1);
    t.tree.ClearNodes();
    ASSERT_EQ(t.tree.deleted.size(), 8u);
    for (const auto &call : t.tree.deleted) {
        SCOPED_TRACE(call.name.toStdString());
        EXPECT_EQ(call.previous, nullptr);
        EXPECT_EQ(call.nextVisible, nullptr);
        EXPECT_FALSE(call.wasVisible);
        EXPECT_FALSE(call.wasLast);
        EXPECT_EQ(call.updateCount, 1);
    }
    // Children go before their parents.
    EXPECT_EQ(t.tree.deleted.front().name, "a1x");
    EXPECT_EQ(t.tree.deleted.back().name, "c");
    EXPECT_EQ(t.tree.Count(), 0);
    EXPECT_EQ(t.tree.NodeCount(), 0);
    EXPECT_EQ(t.tree.FocusedNode(), nullptr);
    EXPECT_EQ(t.tree.TopNode(), nullptr);
    EXPECT_EQ(t.tree.UpdateCount(), 0);
}

TEST(TreeListNodes, DestructionClearsWithoutAnUpdateBracket)
{
    std::vector<int> updateCounts;
    {
        auto tree = std::make_unique<ArrayTreeList>();
        ArrayTreeList *raw = tree.get();
        auto *a = tree->add("a");
        tree->add("a1", a);
        tree->OnDeletion = [&](classes::TObject *, TdxTreeListNode *) {
            updateCounts.push_back(raw->UpdateCount());
            // A tree list on its way out makes no new nodes.
            EXPECT_EQ(raw->Add(), nullptr);
        };
        tree.reset();
    }
    EXPECT_EQ(updateCounts, (std::vector<int>{0, 0}));
}

TEST(TreeListNodes, DeletionReportsNeighbours)
{
    SampleTree t;
    t.a->Expand(true);
    t.a1->Delete();
    // Children first; a branch's inner nodes do not count as visible rows of
    // their own, since the row that goes is the branch's.
    ASSERT_EQ(t.tree.deleted.size(), 3u);
    EXPECT_EQ(t.tree.deleted[0].name, "a1x");
    EXPECT_EQ(t.tree.deleted[0].nextVisible, t.a1y);
    EXPECT_FALSE(t.tree.deleted[0].wasVisible);
    EXPECT_EQ(t.tree.deleted[1].name, "a1y");
    EXPECT_TRUE(t.tree.deleted[1].wasLast);
    EXPECT_EQ(t.tree.deleted[1].previous, t.a1);
    EXPECT_EQ(t.tree.deleted[1].nextVisible, t.a2);
    EXPECT_EQ(t.tree.deleted[2].name, "a1");
    EXPECT_TRUE(t.tree.deleted[2].wasVisible);
    EXPECT_FALSE(t.tree.deleted[2].wasLast);
    EXPECT_EQ(t.tree.deleted[2].previous, t.a);
    EXPECT_EQ(t.tree.deleted[2].nextVisible, t.a2);
    EXPECT_EQ(t.tree.NodeCount(), 5);
    EXPECT_EQ(t.a->Items(0), t.a2);
    EXPECT_EQ(t.a2->Index(), 0);
}

// Every reference the tree list holds is repaired when its node goes, also
// when the node goes inside a branch that is deleted as a whole.
TEST(TreeListNodes, DeletingReferencedNodesLeavesNoReferenceBehind)
{
    struct Case
    {
        const char *what;
        const char *deleted;   // the node deleted
        const char *held;      // the node referenced
        const char *focusNext; // where the focus is then ("-" none)
    };
    const Case cases[] = {
        {"focused row", "a1", "a1", "a2"},
        {"focused last child below an open sibling", "a2", "a2", "a1y"},
        {"focused inside the branch", "a", "a1y", "b"},
        {"focused last top-level row below an open branch", "c", "c", "b1"},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.what);
        SampleTree t;
        t.a->Expand(true);
        t.b->Expand(true);
        t.tree.SetOptionsA(t.tree.OptionsA() | (1u << aoMultiSelect));
        std::map<QString, TdxTreeListNode *> byName;
        for (TdxTreeListNode *n = t.a; n; n = n->GetNext())
            byName[ArrayTreeList::name(n)] = n;
        TdxTreeListNode *held = byName[k.held];
        t.tree.SetFocusedNode(held);
        t.tree.rowsPerPage = 1;
        t.tree.MakeVisible(held);
        t.tree.SetSelectionAnchor(held);
        held->SetSelected(true);
        t.c->SetSelected(true);
        TreeListNodeRef ref(t.tree, held);
        TdxTreeListNode *goneSeen = nullptr;
        TreeListNodeRef watched(t.tree, held, [&](TdxTreeListNode *gone) { goneSeen = gone; });

        byName[k.deleted]->Delete();
        EXPECT_EQ(ArrayTreeList::name(t.tree.FocusedNode()), k.focusNext);
        EXPECT_NE(t.tree.TopNode(), nullptr);
        EXPECT_TRUE(t.tree.TopNode()->IsVisible());
        EXPECT_EQ(t.tree.SelectionAnchor(), nullptr);
        EXPECT_EQ(t.tree.SelectedCount(), k.held == std::string("c") ? 0 : 1);
        EXPECT_EQ(ref.get(), nullptr);
        EXPECT_EQ(watched.get(), nullptr);
        EXPECT_EQ(goneSeen, held);
    }
}

// Handlers of the tree list's notifications may delete any node, the one
// being handled included; the deletion waits for the running operation.
TEST(TreeListNodes, HandlersMayDeleteNodes)
{
    {
        SampleTree t;
        t.tree.OnExpanding = [&](classes::TObject *, TdxTreeListNode *n, bool &) { n->Delete(); };
        t.a->SetExpanded(true);
        EXPECT_EQ(t.tree.shownRows(), (QStringList{"b", "c"}));
        EXPECT_EQ(t.tree.NodeCount(), 3);
    }
    {
        SampleTree t;
        t.a->Expand(true);
        t.tree.SetFocusedNode(t.a1x);
        t.tree.OnCollapsing = [&](classes::TObject *, TdxTreeListNode *n, bool &) { n->Parent()->Delete(); };
        t.a1->SetExpanded(false);
        EXPECT_EQ(t.tree.shownRows(), (QStringList{"b", "c"}));
        EXPECT_EQ(t.tree.FocusedNode(), t.b);
    }
    {
        SampleTree t;
        // Deleting one node brings down its neighbour and clears the rest.
        t.tree.OnDeletion = [&](classes::TObject *, TdxTreeListNode *n) {
            if (n == t.b1)
                t.c->Delete();
            if (n == t.c)
                t.tree.ClearNodes();
        };
        t.b->Delete();
        EXPECT_EQ(t.tree.Count(), 0);
        EXPECT_EQ(t.tree.NodeCount(), 0);
    }
    {
        // A child added under a node that is being deleted is refused.
        SampleTree t;
        TdxTreeListNode *added = t.b;
        t.tree.OnDeletion = [&](classes::TObject *, TdxTreeListNode *n) {
            if (n == t.b)
                added = n->AddChild();
        };
        t.b->Delete();
        EXPECT_EQ(added, nullptr);
        EXPECT_EQ(t.tree.NodeCount(), 6);
    }
}

TEST(TreeListCore, BracketsFinishOnceAndRefuseExtraCloses)
{
    ArrayTreeList tree;
    tree.SetOptionsA(tree.OptionsA() | (1u << aoMultiSelect));
    auto *a = tree.add("a");
    auto *b = tree.add("b");
    int changes = 0;
    tree.OnSelectionChanged = [&](classes::TObject *) { ++changes; };

    tree.BeginUpdate();
    tree.BeginUpdate();
    a->SetSelected(true);
    tree.EndUpdate();
    EXPECT_EQ(changes, 0);
    const int paints = tree.host.invalidateAllCount;
    tree.EndUpdate();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(tree.host.invalidateAllCount - paints, 1);

    // The count is what is compared: one in, one out tells nothing.
    tree.BeginSelection();
    a->SetSelected(false);
    b->SetSelected(true);
    tree.EndSelection();
    EXPECT_EQ(changes, 1);

    // A bracket closed more often than opened is refused and stays at 0.
    for (auto close : {&TCustomdxTreeList::EndUpdate, &TCustomdxTreeList::EndSelection}) {
        try {
            (tree.*close)();
            ADD_FAILURE() << "an extra close was taken";
        } catch (const rtl::EAssertionFailed &e) {
            EXPECT_TRUE(std::string(e.what()).starts_with("Assertion failure"));
        }
    }
    EXPECT_EQ(tree.UpdateCount(), 0);
    tree.BeginUpdate();
    tree.EndUpdate();
    EXPECT_EQ(tree.UpdateCount(), 0);
}

TEST(TreeListCore, MakeVisibleExpandsExactlyTheAncestorsAndScrolls)
{
    ArrayTreeList tree;
    tree.rowsPerPage = 3;
    auto *r = tree.add("r");
    auto *p = tree.add("p", r);
    auto *side = tree.add("side", r);
    tree.add("side1", side);
    auto *q = tree.add("q", p);
    tree.add("q1", q);
    for (int i = 0; i < 5; ++i)
        tree.add(QString("t%1").arg(i));
    tree.MakeVisible(q);
    EXPECT_TRUE(r->Expanded());
    EXPECT_TRUE(p->Expanded());
    EXPECT_FALSE(q->Expanded());
    EXPECT_FALSE(side->Expanded());
    EXPECT_EQ(tree.shownRows().mid(0, 4), (QStringList{"r", "p", "q", "side"}));
    // Below the page: it becomes the last row shown.
    EXPECT_EQ(tree.TopRowIndex(), 0);
    tree.MakeVisible(tree.Items(4));
    EXPECT_EQ(tree.AbsoluteIndex(tree.Items(4)), 7);
    EXPECT_EQ(tree.TopRowIndex(), 5);
    // Above the top: it becomes the top.
    tree.MakeVisible(p);
    EXPECT_EQ(tree.TopNode(), p);
}

TEST(TreeListCore, OptionWords)
{
    ArrayTreeList tree;
    EXPECT_EQ(tree.OptionsA(), 0x37u);
    EXPECT_EQ(tree.OptionsB(), 0x303Eu);
    EXPECT_TRUE(tree.optionA(aoColumnSizing));
    EXPECT_TRUE(tree.IsWidthFit());
    EXPECT_FALSE(tree.optionB(boBandPanelSizing));
    EXPECT_FALSE(tree.optionB(boHeaderPanelSizing));
    EXPECT_FALSE(tree.optionB(boRowSizing));
    EXPECT_TRUE(tree.IsRowFocus());
    EXPECT_FALSE(tree.IsMultiSelect());
    tree.SetFitExemption(true);
    EXPECT_FALSE(tree.IsWidthFit());

    tree.SetOptionsA(0xFFFFFFFFu);
    tree.SetOptionsB(0xFFFFFFFFu);
    for (int bit = 0; bit < 32; ++bit) {
        EXPECT_TRUE(tree.optionA(bit)) << bit;
        EXPECT_TRUE(tree.optionB(bit)) << bit;
    }
    EXPECT_FALSE(tree.optionA(32));
    EXPECT_FALSE(tree.optionB(-1));
    EXPECT_TRUE(tree.IsPaintOption());
    EXPECT_TRUE(tree.EditClickToDblClick());
    EXPECT_TRUE(tree.EditOptionQuery());

    tree.SetOptionsA(0);
    tree.SetOptionsB(0);
    EXPECT_FALSE(tree.IsPaintOption());
    EXPECT_FALSE(tree.EditClickToDblClick());
    EXPECT_FALSE(tree.EditOptionQuery());
    EXPECT_EQ(tree.GetEditKind(), 2);
    tree.SetLook(1);
    EXPECT_EQ(tree.GetEditKind(), 1);
}

TEST(TreeListCore, RelativeNodesAndFocusMoves)
{
    SampleTree t;
    t.a->SetExpanded(true);
    EXPECT_EQ(t.tree.GetRelativeNode(nullptr, rnFirst, false), nullptr);
    EXPECT_EQ(t.tree.GetRelativeNode(t.b, rnFirst, false), t.a);
    EXPECT_EQ(t.tree.GetRelativeNode(t.b, rnPrevVisible, false), t.a2);
    EXPECT_EQ(t.tree.GetRelativeNode(t.a1, rnNext, false), t.a2);
    EXPECT_EQ(t.tree.GetRelativeNode(t.a1, rnNext, true), t.a1x);
    EXPECT_EQ(t.tree.GetRelativeNode(t.a, rnLast, false), t.c);
    auto *deep = t.tree.add("c1", t.c);
    EXPECT_EQ(t.tree.GetRelativeNode(t.a, rnLast, false), t.c);
    EXPECT_EQ(t.tree.GetRelativeNode(t.a, rnLast, true), deep);

    EXPECT_EQ(t.tree.FocusedNode(), t.a);
    EXPECT_TRUE(t.tree.IsFocusedFirst());
    EXPECT_FALSE(t.tree.IsFocusedLast());
    // A single selected row that is the focused one travels with the focus.
    t.tree.SetOptionsA(t.tree.OptionsA() | (1u << aoMultiSelect));
    t.a->SetSelected(true);
    t.tree.MoveFocus(rnLast, false);
    EXPECT_EQ(t.tree.FocusedNode(), t.c);
    EXPECT_TRUE(t.tree.IsFocusedLast());
    EXPECT_EQ(t.tree.selectedNames(), (QStringList{"c"}));
    // With two selected nothing is carried along.
    t.b->SetSelected(true);
    t.tree.MoveFocus(rnFirst, false);
    EXPECT_EQ(t.tree.selectedNames(), (QStringList{"b", "c"}));
    // Selected answers the focus while multiple selection is off.
    t.tree.SetOptionsA(t.tree.OptionsA() & ~(1u << aoMultiSelect));
    EXPECT_TRUE(t.a->Selected());
    EXPECT_FALSE(t.c->Selected());
    t.c->SetFocused(true);
    EXPECT_TRUE(t.c->Focused());
    t.c->SetFocused(false);
    EXPECT_EQ(t.tree.FocusedNode(), nullptr);
    EXPECT_EQ(t.tree.FocusedRowIndex(), 0);
}
