// The visible-row cache against a plain walk over random trees, and trees too
// deep for anything that recurses.

#include "TreeListFixture.h"

#include <gtest/gtest.h>

#include <random>

using namespace grid;
using gridtest::ArrayTreeList;

namespace {

std::vector<TdxTreeListNode *> allNodes(const ArrayTreeList &tree)
{
    std::vector<TdxTreeListNode *> nodes;
    for (TdxTreeListNode *n = tree.Items(0); n; n = n->GetNext())
        nodes.push_back(n);
    return nodes;
}

std::vector<TdxTreeListNode *> walkShown(const ArrayTreeList &tree)
{
    std::vector<TdxTreeListNode *> rows;
    for (TdxTreeListNode *n = tree.Items(0); n; n = n->GetNextVisible())
        rows.push_back(n);
    return rows;
}

// Display positions from the cache agree with a walk, in both directions.
::testing::AssertionResult positionsMatchWalk(ArrayTreeList &tree)
{
    const std::vector<TdxTreeListNode *> shown = walkShown(tree);
    std::map<const TdxTreeListNode *, int> position;
    for (size_t i = 0; i < shown.size(); ++i)
        position[shown[i]] = int(i);
    if (tree.VisibleRowCount() != int(shown.size()))
        return ::testing::AssertionFailure() << "row count " << tree.VisibleRowCount() << " != " << shown.size();
    for (TdxTreeListNode *n : allNodes(tree)) {
        const auto it = position.find(n);
        const int expected = it == position.end() ? -1 : it->second;
        if (tree.AbsoluteIndex(n) != expected)
            return ::testing::AssertionFailure() << ArrayTreeList::name(n).toStdString() << " at "
                                                 << tree.AbsoluteIndex(n) << ", walk says " << expected;
        if (expected >= 0 && tree.NodeAtAbsoluteIndex(expected) != n)
            return ::testing::AssertionFailure() << "row " << expected << " holds another node";
    }
    if (tree.NodeAtAbsoluteIndex(int(shown.size())) != nullptr)
        return ::testing::AssertionFailure() << "a row past the end";
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(TreeListRows, CacheFollowsRandomExpandCollapseAndDelete)
{
    for (unsigned seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 rng(seed);
        auto pick = [&](int n) { return int(rng() % unsigned(n)); };
        ArrayTreeList tree;
        tree.add("n0");
        for (int i = 1; i < 80; ++i) {
            std::vector<TdxTreeListNode *> nodes = allNodes(tree);
            TdxTreeListNode *parent = pick(4) == 0 ? nullptr : nodes[size_t(pick(int(nodes.size())))];
            tree.add(QString("n%1").arg(i), parent);
        }
        int incremental = 0;
        for (int step = 0; step < 400 && tree.Count() > 0; ++step) {
            std::vector<TdxTreeListNode *> nodes = allNodes(tree);
            TdxTreeListNode *node = nodes[size_t(pick(int(nodes.size())))];
            tree.VisibleRowCount(); // the cache stands before each step
            const int op = pick(10);
            if (op < 4) {
                node->SetExpanded(true);
            } else if (op < 8) {
                node->SetExpanded(false);
            } else if (op == 8) {
                node->Expand(true);
            } else if (pick(3) == 0) {
                node->Delete();
            } else {
                tree.add("new", node);
            }
            // An expansion or collapse outside a bracket is applied in place
            // and must equal the rebuilt order.
            if (op < 8 && tree.VisibleRows().valid()) {
                ++incremental;
                ASSERT_EQ(tree.VisibleRows().rows(), walkShown(tree)) << "step " << step;
            }
            ASSERT_TRUE(positionsMatchWalk(tree)) << "step " << step << " op " << op;
        }
        EXPECT_GT(incremental, 50);
    }
}

TEST(TreeListRows, ChainTooDeepForRecursion)
{
    constexpr int Depth = 100000;
    auto makeChain = [](ArrayTreeList &tree) {
        TdxTreeListNode *n = tree.add("n");
        for (int i = 1; i < Depth - 1; ++i)
            n = tree.add("n", n);
        return tree.add("needle", n);
    };
    {
        ArrayTreeList tree;
        tree.setColumns({"Name"});
        tree.SetOptionsA(tree.OptionsA() | (1u << aoMultiSelect));
        TdxTreeListNode *last = makeChain(tree);
        TdxTreeListNode *root = tree.Items(0);
        EXPECT_EQ(tree.NodeCount(), Depth);

        int walked = 0;
        for (TdxTreeListNode *n = root; n; n = n->GetNext())
            ++walked;
        EXPECT_EQ(walked, Depth);

        TdxTreeListNode *found = nullptr;
        EXPECT_TRUE(tree.FindByPrefix(0, "need", sdForward, found));
        EXPECT_EQ(found, last);
        EXPECT_FALSE(tree.FindByPrefix(0, "none", sdForward, found));

        root->Expand(true);
        EXPECT_EQ(tree.VisibleRowCount(), Depth);
        EXPECT_EQ(tree.AbsoluteIndex(last), Depth - 1);
        QStringList exported;
        tree.SaveAllToStrings(exported);
        EXPECT_EQ(exported.size(), Depth + 1);

        // Every node selected, then the selection cleared.
        tree.BeginSelection();
        for (TdxTreeListNode *n = root; n; n = n->GetNext())
            n->SetSelected(true);
        tree.EndSelection();
        EXPECT_EQ(tree.SelectedCount(), Depth);
        QStringList selected;
        tree.SaveSelectedToStrings(selected);
        EXPECT_EQ(selected.size(), Depth + 1);
        tree.ClearSelection();
        EXPECT_EQ(tree.SelectedCount(), 0);

        tree.SetFocusedNode(last);
        root->SetExpanded(false);
        EXPECT_EQ(tree.FocusedNode(), root);
        tree.ClearNodes();
        EXPECT_EQ(tree.NodeCount(), 0);
    }
    {
        // Deleting the chain's root frees it children first, without a climb
        // per node; destruction frees another chain.
        ArrayTreeList tree;
        makeChain(tree);
        tree.Items(0)->Expand(true);
        tree.SetFocusedNode(tree.Items(0)->GetNext());
        tree.add("after");
        tree.Items(0)->Delete();
        EXPECT_EQ(tree.NodeCount(), 1);
        EXPECT_EQ(ArrayTreeList::name(tree.FocusedNode()), "after");
        makeChain(tree);
    }
}
