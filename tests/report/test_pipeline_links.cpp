#include "PipelineFixtures.h"

#include "report/model/base/Exceptions.h"

#include <gtest/gtest.h>

#include <memory>

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

    // Setting the master again registers once more, not twice.
    c.SetMasterDataPipeline(&b);
    EXPECT_EQ(b.GetEventNotifyCount(), 1);
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
