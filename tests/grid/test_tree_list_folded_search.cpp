// The prefix search over folded texts: the folding agrees with Qt's
// case-insensitive comparison, and the folded texts the nodes keep never
// outlive a change of text, column or structure.

#include "ControlFixture.h"
#include "SearchReference.h"
#include "TreeListFixture.h"

#include "grid/core/FoldedText.h"

#include <gtest/gtest.h>

#include <random>
#include <utility>

using grid::FoldedNeedle;
using grid::FoldedPrefix;
using grid::TdxTreeListNode;
using gridtest::ArrayTreeList;
using gridtest::referenceFindByPrefix;

namespace {

QString ofCodePoint(char32_t c)
{
    return QString::fromUcs4(&c, 1);
}

// Whatever the folded units decide, Qt's comparison decides the same.
void expectSameVerdict(const QString &text, const QString &needle)
{
    FoldedPrefix kept;
    kept.assign(text, 1);
    const FoldedNeedle::Verdict verdict = FoldedNeedle(needle).startOf(kept);
    if (verdict == FoldedNeedle::Undecided)
        return;
    ASSERT_EQ(verdict == FoldedNeedle::Match, text.startsWith(needle, Qt::CaseInsensitive))
        << qPrintable(text) << " / " << qPrintable(needle);
}

} // namespace

TEST(FoldedText, DecidesAsQtComparesForEveryCharacterAndItsCases)
{
    for (char32_t c = 1; c < 0x20000; ++c) {
        if (QChar::isSurrogate(c))
            continue;
        const QString one = ofCodePoint(c);
        for (const QString &other : {ofCodePoint(QChar::toUpper(c)), ofCodePoint(QChar::toLower(c)),
                                     ofCodePoint(QChar::toCaseFolded(c)), ofCodePoint(QChar::toTitleCase(c))}) {
            expectSameVerdict(one + "x", other);
            expectSameVerdict(other + "yz", one);
            expectSameVerdict("ab" + one, "AB" + other);
        }
    }
    // Longer needles than the units kept, and texts that end early.
    expectSameVerdict("STRASSE", "strassen");
    expectSameVerdict("Straße", "STRASSE");
    expectSameVerdict("abcdef", "ABCDEF");
    expectSameVerdict("abc", "ABCD");
}

// Random trees, texts and steps; after every step each kind of search agrees
// with the plain walk. Texts come from few letters in several cases, beyond
// ASCII and beyond the basic plane, so that prefixes meet.
TEST(FoldedSearch, RandomEditsBetweenSearchesNeverLeaveAStaleText)
{
    const QStringList pieces = {"a",      "A",      "b", "\u00e9", "\u00c9", "\u00df",     "\u03c3",     "\u03a3",
                                "\u03c2", "\u0130", "i", "\u212a", "k",      "\U00010400", "\U00010428", "abcd"};
    std::mt19937 random(20261207);
    auto pick = [&](int n) { return int(random() % unsigned(n)); };
    auto textOf = [&] {
        QString text;
        for (int i = pick(6); i > 0; --i)
            text += pieces[pick(int(pieces.size()))];
        return text;
    };
    ArrayTreeList tree;
    tree.setColumns({"Name", "Kind"});
    std::vector<TdxTreeListNode *> nodes;
    auto anyNode = [&]() -> TdxTreeListNode * {
        return nodes.empty() ? nullptr : nodes[size_t(pick(int(nodes.size())))];
    };
    for (int step = 0; step < 4000; ++step) {
        switch (pick(20)) {
        case 0:
        case 1:
        case 2:
            if (nodes.size() < 120)
                nodes.push_back(tree.add(textOf(), pick(3) ? anyNode() : nullptr, {textOf()}));
            break;
        case 3:
        case 4:
        case 5:
        case 6:
            if (auto *n = anyNode())
                tree.setText(n, pick(2), textOf());
            break;
        case 7:
            if (auto *n = anyNode()) {
                // Every text at once, told as one change.
                for (TdxTreeListNode *m : nodes)
                    static_cast<gridtest::TextNode *>(m)->texts = QStringList{textOf(), textOf()};
                tree.TextsChanged();
                n->SetExpanded(!n->Expanded());
            }
            break;
        case 8:
            if (auto *n = anyNode()) {
                n->Delete();
                nodes.clear();
                for (TdxTreeListNode *m = tree.Items(0); m; m = m->GetNext())
                    nodes.push_back(m);
            }
            break;
        case 9: tree.SetFocusedNode(anyNode()); break;
        case 10: tree.SetSearchAllNodes(pick(2)); break;
        default: {
            // The column changes seldom: a change of column folds anew.
            const int column = step / 1000 % 2;
            const QString needle = pick(4) ? textOf().left(1 + pick(4)) : textOf();
            const int direction = pick(3);
            TdxTreeListNode *expected = referenceFindByPrefix(tree, column, needle, direction);
            TdxTreeListNode *found = nullptr;
            ASSERT_EQ(tree.FindByPrefix(column, needle, direction, found), expected != nullptr) << step;
            ASSERT_EQ(found, expected) << step << " " << qPrintable(needle);
        }
        }
    }
}

namespace {

// Deletes one node the first time a given node's text is asked for.
class DeletingTreeList : public ArrayTreeList
{
public:
    QString CellText(const TdxTreeListNode *node, int column) override
    {
        if (node == trigger && victim) {
            std::exchange(victim, nullptr)->Delete();
            trigger = nullptr;
        }
        return ArrayTreeList::CellText(node, column);
    }
    const TdxTreeListNode *trigger = nullptr;
    TdxTreeListNode *victim = nullptr;
};

} // namespace

TEST(FoldedSearch, NodesDeletedWhileTextsAreAskedForAreNotVisited)
{
    for (const bool all : {true, false}) {
        DeletingTreeList tree;
        tree.setColumns({"Name"});
        auto *a = tree.add("a");
        auto *b = tree.add("b");
        tree.add("b child", b);
        b->SetExpanded(true);
        auto *c = tree.add("c");
        tree.add("hit");
        tree.SetSearchAllNodes(all);
        tree.SetFocusedNode(a);
        tree.trigger = b;
        tree.victim = c;
        TdxTreeListNode *found = nullptr;
        ASSERT_TRUE(tree.FindByPrefix(0, "h", grid::sdForward, found));
        EXPECT_EQ(ArrayTreeList::name(found), "hit");
        EXPECT_EQ(tree.NodeCount(), 4);
    }
}

// The text-node control changes texts, moves and deletes columns and sorts:
// each reaches the search.
TEST(FoldedSearch, TheControlsTextsColumnsAndSortsReachTheSearch)
{
    gridtest::ControlFixture f;
    grid::TdxTreeListColumn *name = f.column("Name");
    grid::TdxTreeListColumn *kind = f.column("Kind");
    TdxTreeListNode *a = f.node({"apple", "x4"});
    TdxTreeListNode *b = f.node({"berry", "x1"});
    TdxTreeListNode *c = f.node({"cherry", "x3"});
    TdxTreeListNode *d = f.node({"date", "x2"});
    auto next = [&](TdxTreeListNode *from, int column, const QString &text) {
        f.tree->SetFocusedNode(from);
        TdxTreeListNode *found = nullptr;
        f.tree->FindByPrefix(column, text, grid::sdForward, found);
        return found;
    };
    EXPECT_EQ(next(a, 0, "c"), c);
    f.tree->SetNodeString(c, 0, "fig");
    EXPECT_EQ(next(a, 0, "c"), nullptr);
    EXPECT_EQ(next(a, 0, "f"), c);
    kind->SetIndex(0);
    EXPECT_EQ(next(a, 0, "x3"), c);
    EXPECT_EQ(next(a, 1, "b"), b);
    f.tree->SortNodes(0, 0, false); // b, d, c, a
    EXPECT_EQ(next(b, 0, "x"), d);
    delete name;
    EXPECT_EQ(next(b, 0, "x"), d);
    EXPECT_EQ(next(b, 1, "d"), nullptr);
}
