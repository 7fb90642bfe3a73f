// Sorting: the value ordering, stable ties, descending keys, levels, the
// locale's text order, header clicks and compare events that contradict
// themselves.

#include "ControlFixture.h"

#include "grid/core/NodeValueOrder.h"
#include "tests/support/TimeZone.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QLocale>
#include <QTimeZone>

#include <random>

using namespace grid;
using gridtest::ControlFixture;

TEST(NodeValueOrder, NullsThenNumbersThenTexts)
{
    const QVariant null;
    EXPECT_EQ(NodeValueOrder(null, QVariant()), 0);
    EXPECT_LT(NodeValueOrder(null, QVariant(-5)), 0);
    EXPECT_GT(NodeValueOrder(QVariant(QString()), null), 0);
    EXPECT_LT(NodeValueOrder(QVariant(99), QVariant(QStringLiteral("1"))), 0);
    EXPECT_LT(NodeValueOrder(QVariant(2), QVariant(2.5)), 0);
    EXPECT_EQ(NodeValueOrder(QVariant(3), QVariant(3.0)), 0);
    EXPECT_GT(NodeValueOrder(QVariant(qulonglong(1) << 63), QVariant(qlonglong(1))), 0);
    EXPECT_LT(NodeValueOrder(QVariant(QStringLiteral("B")), QVariant(QStringLiteral("a"))), 0);

    // In the locale's order a text first orders the other value as a text too.
    const QCollator collator = NodeTextCollator();
    EXPECT_LT(NodeValueOrder(QVariant(QStringLiteral("10")), QVariant(9), &collator), 0);
    EXPECT_GT(NodeValueOrder(QVariant(QStringLiteral("9")), QVariant(10), &collator), 0);
    EXPECT_LT(NodeValueOrder(QVariant(9), QVariant(QStringLiteral("10")), &collator), 0); // a number first: by kind
    EXPECT_GT(NodeValueOrder(QVariant(QStringLiteral("")), QVariant(), &collator), 0);
}

// Data may hold a local time the user's zone skipped (Qt keeps its date and
// time but calls it invalid): it sorts where its clock time stands, among
// valid date-times and dates, in every zone whose clock skips.
TEST(NodeValueOrder, DateTimesTheZoneSkippedSortByTheirClock)
{
    const struct
    {
        const char *zone;
        QDate day;
        QTime gap;
    } cases[] = {
        {"America/Sao_Paulo", QDate(2018, 11, 4), QTime(0, 30)},
        {"Asia/Beirut", QDate(2024, 3, 31), QTime(0, 30)},
        {"Europe/Berlin", QDate(2024, 3, 31), QTime(2, 30)},
        {"Pacific/Kiritimati", QDate(1994, 12, 31), QTime(12, 0)},
    };
    for (const auto &c : cases) {
        const zvotest::ScopedTimeZone zone(c.zone);
        const QVariant day(c.day.addDays(-1));
        const QVariant before(QDateTime(c.day.addDays(-1), QTime(23, 0)));
        const QVariant skipped(QDateTime(c.day, c.gap));
        const QVariant laterSkipped(QDateTime(c.day, c.gap.addSecs(10 * 60)));
        const QVariant after(QDateTime(c.day.addDays(1), QTime(12, 0)));
        const std::vector<QVariant> ordered{day, before, skipped, laterSkipped, after};
        for (size_t i = 0; i < ordered.size(); ++i)
            for (size_t j = 0; j < ordered.size(); ++j) {
                const int expected = i < j ? -1 : (i > j ? 1 : 0);
                EXPECT_EQ(NodeValueOrder(ordered[i], ordered[j]), expected) << c.zone << ' ' << i << ' ' << j;
            }
    }
    // Times a named zone skipped go by their clock too, not all as one.
    const QTimeZone named("Europe/Berlin");
    EXPECT_LT(NodeValueOrder(QVariant(QDateTime(QDate(2024, 3, 31), QTime(2, 15), named)),
                             QVariant(QDateTime(QDate(2024, 3, 31), QTime(2, 45), named))),
              0);
    // Two valid moments go by their moment, also in the hour shown twice.
    const zvotest::ScopedTimeZone berlin("Europe/Berlin");
    const QDateTime first = QDateTime(QDate(2024, 10, 27), QTime(0, 30), Qt::UTC).toLocalTime();
    const QDateTime second = first.addSecs(3600);
    ASSERT_EQ(first.time(), second.time());
    EXPECT_LT(NodeValueOrder(QVariant(first), QVariant(second)), 0);
}

TEST(TreeListSort, EqualValuesKeepTheirOrderAndLevelsAreRespected)
{
    ControlFixture f;
    f.column("Key");
    f.column("Tag");
    TdxTreeListNode *b = f.node({"b", "1"});
    f.node({"a", "2"});
    f.node({"b", "3"});
    f.node({"a", "4"});
    f.node({"z", "c1"}, b);
    f.node({"y", "c2"}, b);
    f.tree->SortNodes(0, 0, false);
    EXPECT_EQ(f.order(1), (QStringList{"2", "4", "1", "3"}));
    EXPECT_EQ(f.order(0, b), (QStringList{"z", "y"})); // level 0 leaves children alone
    f.tree->SortNodes(0, 0, true);
    EXPECT_EQ(f.order(1), (QStringList{"1", "3", "2", "4"}));
    f.tree->SortNodes(1, 0, false);
    EXPECT_EQ(f.order(0, b), (QStringList{"y", "z"}));
    EXPECT_EQ(f.order(1), (QStringList{"1", "3", "2", "4"}));
    // The row cache follows the new order.
    EXPECT_EQ(f.tree->NodeAtAbsoluteIndex(0), b);
    EXPECT_EQ(f.tree->AbsoluteIndex(f.tree->Items(3)), 3);
}

TEST(TreeListSort, DescendingReversesOnlyItsOwnColumn)
{
    ControlFixture f;
    f.tree->SetOptionsB(f.tree->OptionsB() | (1u << boMultiSort));
    TdxTreeListColumn *first = f.column("First");
    TdxTreeListColumn *second = f.column("Second");
    f.node({"1", "a"});
    f.node({"2", "b"});
    f.node({"1", "b"});
    f.node({"2", "a"});
    first->SetSorted(csDown);
    second->SetSorted(csUp);
    ASSERT_EQ(f.tree->SortedColumnCount(), 2);
    EXPECT_EQ(f.order(0), (QStringList{"2", "2", "1", "1"}));
    EXPECT_EQ(f.order(1), (QStringList{"a", "b", "a", "b"}));
    second->SetSorted(csDown);
    EXPECT_EQ(f.order(1), (QStringList{"b", "a", "b", "a"}));
}

TEST(TreeListSort, LocaleOrderIsCaseSensitiveWhenAsked)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QStringLiteral("en_US")));
    ControlFixture f;
    TdxTreeListColumn *c = f.column("Fruit");
    for (const char *t : {"banana", "Banana", "apple"})
        f.node({QString::fromLatin1(t)});
    c->SetSorted(csUp);
    EXPECT_EQ(f.order(0), (QStringList{"Banana", "apple", "banana"}));
    c->SetSorted(csNone);
    f.tree->SetOptionsB(f.tree->OptionsB() | (1u << boLocaleStringOrder));
    c->SetSorted(csUp);
    EXPECT_EQ(f.order(0), (QStringList{"apple", "banana", "Banana"}));
    QLocale::setDefault(saved);
}

TEST(TreeListSort, HeaderClicksCycleTheMarkAndTheOrderFollows)
{
    ControlFixture f;
    TdxTreeListColumn *a = f.column("A");
    TdxTreeListColumn *b = f.column("B");
    for (const char *t : {"2", "3", "1"})
        f.node({QString::fromLatin1(t), QString::fromLatin1(t)});
    f.host.invalidateAllCount = 0;
    std::vector<TdxTreeListColumnSort> marks;
    for (int click = 0; click < 3; ++click) {
        f.tree->ColumnSortClick(0, 0);
        marks.push_back(a->Sorted());
    }
    EXPECT_EQ(marks, (std::vector<TdxTreeListColumnSort>{csUp, csDown, csUp}));
    EXPECT_EQ(f.order(0), (QStringList{"1", "2", "3"}));
    EXPECT_GT(f.host.invalidateAllCount, 0);
    f.tree->ColumnSortClick(0, ssCtrl);
    EXPECT_EQ(a->Sorted(), csNone);
    EXPECT_EQ(f.order(0), (QStringList{"1", "2", "3"})); // the order stays

    // Without multi-column sort one mark at a time.
    f.tree->ColumnSortClick(0, 0);
    f.tree->ColumnSortClick(1, 0);
    EXPECT_EQ(a->Sorted(), csNone);
    EXPECT_EQ(b->Sorted(), csUp);
    ASSERT_EQ(f.tree->SortedColumnCount(), 1);

    // A refused click and a click inside an update wait as they should.
    f.tree->OnCanSort = [](classes::TObject *, TdxTreeListColumn *, bool &allow) { allow = false; };
    f.tree->ColumnSortClick(1, 0);
    EXPECT_EQ(b->Sorted(), csUp);
    f.tree->OnCanSort = nullptr;
    f.tree->BeginUpdate();
    f.tree->ColumnSortClick(1, 0);
    EXPECT_EQ(f.order(1), (QStringList{"1", "2", "3"}));
    f.tree->EndUpdate();
    EXPECT_EQ(f.order(1), (QStringList{"3", "2", "1"}));
}

TEST(TreeListSort, AContradictoryCompareEventStaysInBounds)
{
    ControlFixture f;
    f.column("A");
    for (int i = 0; i < 300; ++i)
        f.node({QString::number(i)});
    std::mt19937 random(7);
    f.tree->OnCompare = [&random](classes::TObject *, TdxTreeListNode *, TdxTreeListNode *, int &result) {
        result = int(random() % 3) - 1;
    };
    f.tree->SortNodes(-1, 0, false);
    QStringList sorted = f.order(0);
    sorted.sort();
    QStringList expected;
    for (int i = 0; i < 300; ++i)
        expected << QString::number(i);
    expected.sort();
    EXPECT_EQ(sorted, expected); // every node once, none lost

    // 0 from the event keeps the order.
    f.tree->OnCompare = [](classes::TObject *, TdxTreeListNode *, TdxTreeListNode *, int &result) { result = 0; };
    const QStringList before = f.order(0);
    f.tree->SortNodes(-1, 0, true);
    EXPECT_EQ(f.order(0), before);
}

TEST(TreeListSelection, MultipleSelectionStaysAmongSiblings)
{
    ControlFixture f;
    f.tree->SetOptionsA(f.tree->OptionsA() | (1u << aoMultiSelect));
    f.column("A");
    TdxTreeListNode *p = f.node({"p"});
    TdxTreeListNode *q = f.node({"q"});
    TdxTreeListNode *child = f.node({"c"}, p);
    p->SetExpanded(true);
    f.tree->SetNodeSelected(p, true);
    f.tree->SetNodeSelected(child, true);
    f.tree->SetNodeSelected(q, true);
    EXPECT_TRUE(q->Selected());
    EXPECT_FALSE(child->Selected());
    f.tree->OnCanSelectNode = [q](classes::TObject *, TdxTreeListNode *n, bool &allow) { allow = n != q; };
    f.tree->ClearSelection();
    f.tree->SelectRange(p, q);
    EXPECT_TRUE(p->Selected());
    EXPECT_FALSE(q->Selected());
    EXPECT_FALSE(child->Selected());
}
