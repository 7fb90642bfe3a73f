#include "PipelineFixtures.h"

#include "report/model/base/Exceptions.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <stdexcept>

using namespace report;
using namespace pipelinetest;

namespace {

using Links = modeltest::ObjectModelTest;

} // namespace

TEST_F(Links, MastersWithoutDetailsAreSkipped)
{
    Orders o;
    o.init();
    EXPECT_TRUE(o.customers.DetailSkipping());
    EXPECT_EQ(o.walkBoth(), (QStringList{"1:101,104", "3:102", "5:100,103,105"}));

    // A detail that does not ask for skipping turns it off for its master.
    o.orders.SetSkipWhenNoRecords(false);
    o.init();
    EXPECT_FALSE(o.customers.DetailSkipping());
    EXPECT_EQ(o.walkBoth(), (QStringList{"1:101,104", "2:", "3:102", "4:", "5:100,103,105"}));
}

TEST_F(Links, OneDetailWithoutSkippingDisablesItForAll)
{
    Orders o;
    MemoryPipeline notes;
    notes.AddField("CustId", TppDataType::dtInteger);
    notes.AddRow({3});
    notes.AddLink("Id", "CustId");
    notes.SetMasterDataPipeline(&o.customers);
    notes.SetSkipWhenNoRecords(false);
    const TppDataPipelineVector all{&o.customers, &o.orders, &notes};
    for (TppDataPipeline *p : all)
        p->InitTraversal(all);
    EXPECT_EQ(o.customers.DetailList(), nullptr);
    EXPECT_EQ(walk(o.customers).size(), 5);
}

TEST_F(Links, EmptyMastersOverABookmarkListEndTheData)
{
    Orders o;
    TppBookmarkList &list = o.customers.CreateBookmarkList();
    for (int id : {1, 2, 3, 4}) {
        ASSERT_TRUE(o.customers.Locate("Id", id, 0));
        list.push_back(o.customers.GetBookmark());
    }
    o.init();
    // 2 and 4 are passed over; after 4 no entry is left.
    EXPECT_EQ(o.walkBoth(), (QStringList{"1:101,104", "3:102"}));
    EXPECT_TRUE(o.customers.Eof());
}

TEST_F(Links, LinkedEndsFollowTheMastersRecord)
{
    Orders o;
    o.init();
    o.customers.First();
    o.orders.First();
    EXPECT_TRUE(o.orders.IsLinked());
    EXPECT_TRUE(o.orders.FirstRecord());
    const TppLinkRangeIndex::Entry *range = o.orders.LinkRangeIndex()->Find(o.customers.RecordIndex());
    ASSERT_NE(range, nullptr);
    EXPECT_EQ(range->first, 0);
    EXPECT_EQ(range->last, 1);
    o.orders.Next();
    o.orders.Next();
    EXPECT_TRUE(o.orders.Eof());
    EXPECT_TRUE(o.orders.LastRecord());
    o.orders.SetRecordIndex(0); // kept while the linked pipeline is at its end
    EXPECT_EQ(o.orders.RecordIndex(), 2);

    // Current to current: one record, then the end.
    o.orders.SetRangeBegin(TppRangeBeginType::rbCurrentRecord);
    o.orders.SetRangeEnd(TppRangeEndType::reCurrentRecord);
    o.orders.ExcludeRecordPositionFlags(ppFirstRecord | ppLastRecord | ppNoRecords);
    o.orders.First();
    EXPECT_FALSE(o.orders.Eof());
    const int moves = o.orders.Calls.LinkedMoveBy;
    o.orders.Next();
    EXPECT_EQ(o.orders.Calls.LinkedMoveBy, moves);
    EXPECT_TRUE(o.orders.Eof());
}

TEST_F(Links, MasterChainsStayFreeOfCycles)
{
    MemoryPipeline a, b, c;
    a.SetMasterDataPipeline(&a);
    EXPECT_EQ(a.MasterDataPipeline(), nullptr);
    b.SetMasterDataPipeline(&a);
    a.SetMasterDataPipeline(&b);
    EXPECT_EQ(a.MasterDataPipeline(), nullptr);
    c.SetMasterDataPipeline(&b);
    a.SetMasterDataPipeline(&c);
    EXPECT_EQ(a.MasterDataPipeline(), nullptr);
    EXPECT_TRUE(c.IsDetailOf(&a));
    EXPECT_FALSE(a.IsDetailOf(&c));

    // Setting the master again unregisters and registers once more: the
    // detail moves behind the master's later receivers, and is there once.
    MemoryPipeline d;
    d.SetMasterDataPipeline(&b);
    c.SetMasterDataPipeline(&b);
    ASSERT_EQ(b.GetEventNotifyCount(), 2);
    EXPECT_EQ(b.GetEventNotify(0), &d);
    EXPECT_EQ(b.GetEventNotify(1), &c);
    d.SetMasterDataPipeline(nullptr);
    c.SetMasterDataPipeline(nullptr);
    EXPECT_EQ(c.Calls.MasterCleared, 1);
    EXPECT_EQ(b.GetEventNotifyCount(), 0);

    // A list that holds the master and the pipeline itself builds nothing odd.
    const TppDataPipelineVector list{&a, &b, &c, &a, &b};
    b.InitTraversal(list);
    a.InitTraversal(list);
    EXPECT_EQ(b.DetailList(), nullptr);
    ASSERT_NE(a.DetailList(), nullptr);
    EXPECT_EQ(*a.DetailList(), TppDataPipelineVector{&b});
}

TEST_F(Links, AMasterFreedWhileItsDetailTraverses)
{
    auto o = std::make_unique<Orders>();
    auto customers = std::make_unique<MemoryPipeline>();
    customers->AddField("Id", TppDataType::dtInteger);
    for (int id = 1; id <= 3; ++id)
        customers->AddRow({id});
    o->orders.SetMasterDataPipeline(customers.get());
    const TppDataPipelineVector all{customers.get(), &o->orders};
    customers->InitTraversal(all);
    o->orders.InitTraversal(all);
    customers->First();
    o->orders.First();
    o->orders.OnNext.Set([&](classes::TObject *) { customers.reset(); });
    o->orders.Next();
    EXPECT_EQ(o->orders.MasterDataPipeline(), nullptr);
    EXPECT_EQ(o->orders.Calls.MasterCleared, 1);
    EXPECT_FALSE(o->orders.IsLinked());
    o->orders.OnNext.Clear();
    // Without its master the detail walks all of its records.
    o->orders.ExcludeRecordPositionFlags(ppFirstRecord | ppLastRecord | ppNoRecords);
    EXPECT_EQ(walk(o->orders).size(), 6);
}

TEST_F(Links, ADetailFreedLeavesTheMasterUnskipped)
{
    Orders o;
    auto extra = std::make_unique<MemoryPipeline>();
    extra->AddField("CustId", TppDataType::dtInteger);
    extra->AddLink("Id", "CustId");
    extra->SetMasterDataPipeline(&o.customers);
    o.orders.SetMasterDataPipeline(nullptr);
    const TppDataPipelineVector all{&o.customers, extra.get()};
    o.customers.InitTraversal(all);
    extra->InitTraversal(all);
    EXPECT_TRUE(o.customers.DetailSkipping());
    extra.reset();
    EXPECT_FALSE(o.customers.DetailSkipping());
    EXPECT_EQ(walk(o.customers).size(), 5);
}

TEST_F(Links, LinkRangeIndexFindsEntriesByMasterRecord)
{
    TppLinkRangeIndex index;
    index.Add(4, 10, 12);
    index.Add(1, -1, -1);
    index.Add(4, 11, 13);
    ASSERT_EQ(index.Count(), 2);
    EXPECT_EQ(index.Find(4)->first, 11);
    EXPECT_EQ(index.Find(1)->last, -1);
    EXPECT_EQ(index.Find(2), nullptr);
    index.Clear();
    EXPECT_EQ(index.Find(4), nullptr);
}

namespace {

// Customers, their orders and the orders' lines; the orders skip those
// without lines.
struct OrderLines
{
    explicit OrderLines(std::initializer_list<int> aLineOrders = {11, 11, 14})
    {
        customers.AddField("Id", TppDataType::dtInteger);
        for (int id = 1; id <= 3; ++id)
            customers.AddRow({id});
        orders.AddField("Id", TppDataType::dtInteger);
        orders.AddField("CustId", TppDataType::dtInteger);
        for (auto [id, cust] : {std::pair{10, 1}, {11, 1}, {12, 2}, {13, 3}, {14, 3}, {15, 3}})
            orders.AddRow({id, cust});
        orders.AddLink("Id", "CustId");
        orders.SetMasterDataPipeline(&customers);
        lines.AddField("OrderId", TppDataType::dtInteger);
        for (int order : aLineOrders)
            lines.AddRow({order});
        lines.AddLink("Id", "OrderId");
        lines.SetMasterDataPipeline(&orders);
        const TppDataPipelineVector all{&customers, &orders, &lines};
        for (TppDataPipeline *p : all)
            p->InitTraversal(all);
    }
    // "customer:order*lines,..." as the engine's nested walk sees them.
    QStringList walkAll()
    {
        QStringList visited;
        customers.First();
        for (int c = 0; !customers.Eof() && c < 20; ++c) {
            QStringList ids;
            orders.First();
            for (int o = 0; !orders.Eof() && o < 20; ++o) {
                int count = 0;
                lines.First();
                for (; !lines.Eof() && count < 20; ++count)
                    lines.Next();
                ids.append(orders.GetFieldAsString("Id") + "*" + QString::number(count));
                orders.Next();
            }
            visited.append(customers.GetFieldAsString("Id") + ":" + ids.join(u','));
            customers.Next();
        }
        return visited;
    }

    MemoryPipeline customers, orders, lines;
};

} // namespace

TEST_F(Links, AMiddlePipelineSkipsItsEmptyRecordsWithinItsMaster)
{
    OrderLines o;
    ASSERT_TRUE(o.orders.DetailSkipping());
    EXPECT_EQ(o.walkAll(), (QStringList{"1:11*2", "2:", "3:14*1"}));
}

TEST_F(Links, SkippingEndsWhereTheDataStopsMovingThoughTheRangeHasNotEnded)
{
    // The linked range ends after one record (forwards) or begins at the
    // current one (backwards), not at the master's first or last order, so
    // running off the data's end never ends it.
    for (bool forwards : {true, false}) {
        SCOPED_TRACE(forwards ? "forwards" : "backwards");
        OrderLines o({14});
        if (forwards)
            o.orders.SetRangeEnd(TppRangeEndType::reCurrentRecord);
        else
            o.orders.SetRangeBegin(TppRangeBeginType::rbCurrentRecord);
        int moves = 0;
        o.orders.OnRecordPositionChange.Set([&](classes::TObject *) {
            if (++moves > 100)
                throw std::runtime_error("the skipping goes on past the data's end");
        });
        o.customers.First();
        if (forwards) {
            o.customers.Last(); // customer 3: orders 13, 14 and 15, only 14 has lines
            o.orders.First();
            o.orders.Next();
            EXPECT_NO_THROW(o.orders.Next());
            EXPECT_EQ(o.orders.GetFieldAsString("Id"), QStringLiteral("15"));
        } else {
            o.orders.First(); // customer 1: orders 10 and 11, neither has lines
            o.orders.Next();
            EXPECT_NO_THROW(o.orders.Prior());
            EXPECT_EQ(o.orders.GetFieldAsString("Id"), QStringLiteral("10"));
        }
        EXPECT_LT(moves, 10);
    }
}
