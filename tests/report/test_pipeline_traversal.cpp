#include "PipelineFixtures.h"

#include "report/model/base/Exceptions.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>

using namespace report;
using namespace pipelinetest;

namespace {

using Traversal = modeltest::ObjectModelTest;

// A bookmark of the record with that "Id".
TppBookmark bookmarkOf(MemoryPipeline &aPipeline, int aId)
{
    EXPECT_TRUE(aPipeline.Locate(QStringLiteral("Id"), aId, 0));
    return aPipeline.GetBookmark();
}

// A pipeline over a cursor that reports a data change while it scrolls and
// that looks at its data again once loaded, as dataset-backed ones do.
class NoisyPipeline : public MemoryPipeline
{
public:
    int32_t MoveRecords(int32_t aCount) override
    {
        DataChange();
        return MemoryPipeline::MoveRecords(aCount);
    }
    void Loaded() override
    {
        LoadedSeen = true;
        DataChange();
        MemoryPipeline::Loaded();
    }
    bool LoadedSeen = false;
};

} // namespace

TEST_F(Traversal, RangesVisitTheirRecords)
{
    const struct
    {
        const char *name;
        std::function<void(MemoryPipeline &)> set;
        QList<int> visited;
    } cases[] = {
        {"every record", [](MemoryPipeline &) {}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
        {"a count of three",
         [](MemoryPipeline &p) {
             p.SetRangeEnd(TppRangeEndType::reCount);
             p.SetRangeEndCount(3);
         },
         {0, 1, 2}},
        {"a count of -1",
         [](MemoryPipeline &p) {
             p.SetRangeEnd(TppRangeEndType::reCount);
             p.SetRangeEndCount(-1);
         },
         {}},
        {"backwards from the last record",
         [](MemoryPipeline &p) {
             p.SetRangeBegin(TppRangeBeginType::rbLastRecord);
             p.SetRangeEnd(TppRangeEndType::reFirstRecord);
             p.SetTraversalStep(-1);
         },
         {9, 8, 7, 6, 5, 4, 3, 2, 1, 0}},
        {"a step of 0 moves as 1", [](MemoryPipeline &p) { p.SetTraversalStep(0); }, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
        {"a step of the Integer's end", [](MemoryPipeline &p) { p.SetTraversalStep(INT32_MAX); }, {0}},
        {"backwards by the Integer's end",
         [](MemoryPipeline &p) {
             p.SetRangeBegin(TppRangeBeginType::rbLastRecord);
             p.SetRangeEnd(TppRangeEndType::reFirstRecord);
             p.SetTraversalStep(INT32_MIN);
         },
         {9}},
        {"from the current record",
         [](MemoryPipeline &p) {
             p.SetRangeBegin(TppRangeBeginType::rbCurrentRecord);
             p.SetStartBookmark(bookmarkOf(p, 6));
         },
         {6, 7, 8, 9}},
        {"up to the current record",
         [](MemoryPipeline &p) {
             p.SetRangeEnd(TppRangeEndType::reCurrentRecord);
             p.SetStartBookmark(bookmarkOf(p, 3));
         },
         {0, 1, 2, 3}},
        {"the current record alone",
         [](MemoryPipeline &p) {
             p.SetRangeBegin(TppRangeBeginType::rbCurrentRecord);
             p.SetRangeEnd(TppRangeEndType::reCurrentRecord);
             p.SetStartBookmark(bookmarkOf(p, 5));
         },
         {5}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        auto p = numbers(10);
        c.set(*p);
        p->InitTraversal({p.get()});
        EXPECT_EQ(walk(*p), c.visited);
        if (c.visited.isEmpty())
            EXPECT_EQ(p->RecordPositionFlags(), ppNoRecords);
        else
            EXPECT_TRUE(p->LastRecord());
        EXPECT_EQ(p->TraversalCount(), c.visited.size());
    }
}

TEST_F(Traversal, BackwardsTheRecordIndexStillCountsUp)
{
    auto p = numbers(5);
    p->SetRangeBegin(TppRangeBeginType::rbLastRecord);
    p->SetRangeEnd(TppRangeEndType::reFirstRecord);
    p->SetTraversalStep(-1);
    p->InitTraversal({p.get()});
    QList<int> indexes;
    p->First();
    while (!p->Eof()) {
        indexes.append(p->RecordIndex());
        p->Next();
    }
    EXPECT_EQ(indexes, (QList<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(p->TraversalStep(), -1);
}

TEST_F(Traversal, CountedRangeEndsOneRecordAfterTheThird)
{
    auto p = numbers(10);
    p->SetRangeEnd(TppRangeEndType::reCount);
    p->SetRangeEndCount(3);
    p->InitTraversal({p.get()});
    p->Last();
    EXPECT_EQ(p->GetFieldValue("Id").toInt(), 3);
    EXPECT_TRUE(p->Eof());
    EXPECT_TRUE(p->LastRecord());
    EXPECT_EQ(p->TraversalCount(), 3);

    // A count beyond the data stops where the data does.
    p->SetRangeEndCount(INT32_MAX);
    p->ExcludeRecordPositionFlags(ppFirstRecord | ppLastRecord | ppNoRecords);
    p->Last();
    EXPECT_EQ(p->GetFieldValue("Id").toInt(), 9);
    EXPECT_TRUE(p->Eof());
}

TEST_F(Traversal, EmptyDataSetsNoRecordsAlone)
{
    auto p = numbers(0);
    p->InitTraversal({p.get()});
    p->First();
    EXPECT_EQ(p->RecordPositionFlags(), ppNoRecords);
    const int moves = p->Calls.GotoLastRecord;
    p->Last(); // with NoRecords set only the counters reset
    EXPECT_EQ(p->Calls.GotoLastRecord, moves);
    EXPECT_EQ(p->FieldValues("Id"), QVariant(0));
}

TEST_F(Traversal, BookmarkListsDecideTheRecords)
{
    auto p = numbers(10);
    TppBookmarkList &list = p->CreateBookmarkList();
    for (int id : {7, 2, 5})
        list.push_back(bookmarkOf(*p, id));
    p->InitTraversal({p.get()});
    p->First();
    QList<int> seen{p->GetFieldValue("Id").toInt()};
    for (int i = 0; i < 3; ++i) {
        p->Next();
        seen.append(p->GetFieldValue("Id").toInt());
    }
    // The third Next does not move and ends the traversal.
    EXPECT_EQ(seen, (QList<int>{7, 2, 5, 5}));
    EXPECT_TRUE(p->Eof());
    p->Prior();
    EXPECT_EQ(p->GetFieldValue("Id").toInt(), 5);
    EXPECT_FALSE(p->Eof());

    list.clear();
    p->ExcludeRecordPositionFlags(ppFirstRecord | ppLastRecord | ppNoRecords);
    EXPECT_TRUE(p->Eof());
    p->First();
    EXPECT_TRUE(p->NoRecords());
    EXPECT_THROW(p->GotoBookmark(0), EDataError);
}

TEST_F(Traversal, FreedAndForeignBookmarksAreRefused)
{
    auto p = numbers(4);
    auto other = numbers(4);
    const TppBookmark freed = bookmarkOf(*p, 1);
    p->FreeBookmark(freed);
    const TppBookmark foreign = bookmarkOf(*other, 2);
    for (TppBookmark bad : {freed, foreign, TppBookmark(0), TppBookmark(-5)}) {
        p->CreateBookmarkList() = {bookmarkOf(*p, 0), bad};
        p->InitTraversal({p.get()});
        p->ExcludeRecordPositionFlags(ppFirstRecord | ppLastRecord | ppNoRecords);
        p->First();
        EXPECT_THROW(p->Next(), EDataError) << bad;
    }
}

TEST_F(Traversal, EndOfDataIsRecordedOnlyAfterInitTraversal)
{
    auto p = numbers(4);
    walk(*p);
    EXPECT_EQ(p->LastRecordIndex(), 0);
    p->InitTraversal({p.get()});
    EXPECT_EQ(p->LastRecordIndex(), -1);
    p->ExcludeRecordPositionFlags(ppFirstRecord | ppLastRecord | ppNoRecords);
    walk(*p);
    EXPECT_EQ(p->LastRecordIndex(), 3);
    p->First();
    p->Last();
    EXPECT_EQ(p->RecordIndex(), 3);
}

TEST_F(Traversal, HandlersRunBeforeTheirEvents)
{
    QStringList log;
    auto p = numbers(2);
    modeltest::TReceiver receiver(QStringLiteral("r"), &log);
    for (int id = ppEvent::OnRecordPositionChange; id <= ppEvent::OnClose; ++id)
        receiver.SubscribeEvent(id);
    receiver.SubscribeEvent(ppEvent::PipelineClosing);
    p->AddEventNotify(&receiver);
    p->OnNext.Set([&](classes::TObject *) { log.append("OnNext"); });
    p->OnDataChange.Set([&](classes::TObject *) { log.append("OnDataChange"); });
    p->Open();
    p->First();
    log.clear();
    p->Next();
    EXPECT_EQ(log, (QStringList{"r notice 2", "r event 41", "OnDataChange", "r event 37", "OnNext", "r event 43"}));
    log.clear();
    p->SetDataChangeSuppressed(true);
    p->Prior();
    EXPECT_EQ(log, (QStringList{"r event 37", "r event 44"}));
    log.clear();
    p->SetDataChangeSuppressed(false);
    p->DoOnTraversal();
    p->Close();
    EXPECT_EQ(log, (QStringList{"r event 39", "r event 73", "r notice 2", "r event 41", "OnDataChange", "r event 47"}));
    EXPECT_EQ(p->RecordPositionFlags(), 0);
    EXPECT_EQ(p->Calls.CloseData, 1);
}

TEST_F(Traversal, APipelineFreedInItsOwnHandlerStopsThere)
{
    const struct
    {
        const char *name;
        classes::TNotifyEvent MemoryPipeline::*event;
        std::function<void(MemoryPipeline &)> run;
    } cases[] = {
        {"OnNext", &MemoryPipeline::OnNext, [](MemoryPipeline &p) { p.Next(); }},
        {"OnFirst", &MemoryPipeline::OnFirst, [](MemoryPipeline &p) { p.First(); }},
        {"OnRecordPositionChange in Next", &MemoryPipeline::OnRecordPositionChange,
         [](MemoryPipeline &p) { p.Next(); }},
        {"OnGotoBookmark in First", &MemoryPipeline::OnGotoBookmark,
         [](MemoryPipeline &p) {
             p.CreateBookmarkList() = {bookmarkOf(p, 1)};
             p.First();
         }},
        {"OnDataChange in Close", &MemoryPipeline::OnDataChange, [](MemoryPipeline &p) { p.Close(); }},
        {"OnNext in a counted Last", &MemoryPipeline::OnNext,
         [](MemoryPipeline &p) {
             p.SetRangeEnd(TppRangeEndType::reCount);
             p.SetRangeEndCount(3);
             p.Last();
         }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const int alive = TppLiveCount<TppCommunicator>::Count();
        MemoryPipeline *p = numbers(5).release();
        p->InitTraversal({p});
        (p->*c.event).Set([p](classes::TObject *) { delete p; });
        c.run(*p);
        EXPECT_EQ(TppLiveCount<TppCommunicator>::Count(), alive);
    }
}

TEST_F(Traversal, NullValuesReadAsTheirTypesZero)
{
    MemoryPipeline p;
    const struct
    {
        TppDataType type;
        QVariant expected;
    } cases[] = {
        {TppDataType::dtBoolean, QVariant(false)},
        {TppDataType::dtInteger, QVariant(0)},
        {TppDataType::dtDateTime, QVariant(0)},
        {TppDataType::dtCurrency, QVariant(0)},
        {TppDataType::dtString, QVariant(QString())},
        {TppDataType::dtMemo, QVariant(QString())},
        {TppDataType::dtBLOB, QVariant()},
    };
    QVariantList row;
    for (size_t i = 0; i < std::size(cases); ++i) {
        p.AddField(QStringLiteral("F%1").arg(i), cases[i].type, 10, QStringLiteral("Alias%1").arg(i));
        row.append(i % 2 ? QVariant() : QVariant(QMetaType(QMetaType::Int)));
    }
    p.AddRow(row);
    p.First();
    for (size_t i = 0; i < std::size(cases); ++i) {
        for (const QString &name : {QStringLiteral("F%1").arg(i), QStringLiteral("alias%1").arg(i)}) {
            const QVariant value = p.FieldValues(name);
            if (cases[i].expected.isValid())
                EXPECT_EQ(value, cases[i].expected) << i;
            else
                EXPECT_TRUE(value.isNull()) << i; // no zero for this type
        }
        EXPECT_TRUE(p.GetFieldIsNull(QStringLiteral("F%1").arg(i)));
    }
    // A value of another type than declared is handed on as it is.
    p.EditRecord();
    p.SetFieldValue("F1", QStringLiteral("twelve"));
    EXPECT_EQ(p.FieldValues("F1"), QVariant(QStringLiteral("twelve")));
    EXPECT_EQ(p.GetFieldAsDouble("F1"), 0.0);
    EXPECT_THROW(p.FieldValues("Missing"), EDataError);
    EXPECT_EQ(p.IndexOfFieldName("f2"), 2);
    EXPECT_EQ(p.IndexOfFieldName("Missing"), -1);
}

TEST_F(Traversal, DataChangeIsQuietWhileLoadingSuppressedOrMoving)
{
    NoisyPipeline p;
    p.AddField("Id", TppDataType::dtInteger);
    for (int id = 0; id < 3; ++id)
        p.AddRow({id});
    modeltest::TReceiver receiver;
    receiver.SubscribeEvent(ppEvent::OnDataChange);
    p.AddEventNotify(&receiver);
    p.DataChange();
    EXPECT_EQ(receiver.Events, 1);

    // Reading a stored property (its setter changes the data) and the
    // loaded step after reading stay quiet.
    readText(&p, "object Pipe: TMemoryPipeline\n  SkipWhenNoRecords = False\nend\n");
    EXPECT_FALSE(p.SkipWhenNoRecords());
    EXPECT_TRUE(p.LoadedSeen);
    EXPECT_EQ(receiver.Events, 1);
    p.SetSkipWhenNoRecords(true);
    EXPECT_EQ(receiver.Events, 2);

    p.SetDataChangeSuppressed(true);
    p.SetSkipWhenNoRecords(false);
    EXPECT_EQ(receiver.Events, 2);
    p.SetDataChangeSuppressed(false);
    p.MoveBy(1); // one notice, after the move, though the cursor told of one while it moved
    EXPECT_EQ(receiver.Events, 3);
    EXPECT_EQ(p.RecordIndex(), 1);
    p.MoveBy(-5);
    EXPECT_EQ(p.RecordIndex(), 0);
    EXPECT_TRUE(p.IsDataBOF());
}

// How the engine takes a page's position and comes back to it later.
TEST_F(Traversal, ASavedPositionIsRestoredThroughItsBookmark)
{
    auto p = numbers(10);
    p->InitTraversal({p.get()});
    p->First();
    for (int i = 0; i < 4; ++i)
        p->Next();
    const TppRecordPositionFlags flags = p->RecordPositionFlags() & (ppFirstRecord | ppLastRecord | ppNoRecords);
    const int32_t count = p->TraversalCount();
    const int32_t index = p->RecordIndex();
    const TppBookmark bookmark = p->GetBookmark();
    while (!p->Eof())
        p->Next();

    p->ExcludeRecordPositionFlags(ppFirstRecord | ppLastRecord | ppNoRecords);
    p->IncludeRecordPositionFlags(flags);
    p->SetTraversalCount(count);
    p->SetRecordIndex(index);
    p->GotoBookmark(bookmark);
    p->FreeBookmark(bookmark);
    QList<int> rest;
    while (!p->Eof()) {
        rest.append(p->GetFieldValue("Id").toInt());
        p->Next();
    }
    EXPECT_EQ(rest, (QList<int>{4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(p->TraversalCount(), 10);
    EXPECT_EQ(p->OutstandingBookmarks(), 0);
}
