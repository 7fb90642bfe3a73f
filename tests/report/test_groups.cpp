#include "BandGeneration.h"
#include "ModelObjects.h"

#include "tests/support/report/MemoryPipeline.h"
#include "tests/support/report/PageFakes.h"

#include "report/model/bands/BandClasses.h"
#include "report/model/base/Messages.h"
#include "report/model/data/CacheManager.h"
#include "report/model/groups/Group.h"
#include "report/model/groups/GroupBands.h"
#include "report/model/objects/EventIds.h"

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Streams.h"
#include "platform/classes/Writer.h"

#include <cstring>
#include <limits>
#include <stdexcept>

using namespace report;
using namespace reporttest;

namespace {

class Groups : public BandGeneration
{
protected:
    Groups()
    {
        group->SetUserName(QStringLiteral("Group1"));
        group->SetReport(&report);
        header = make<TppGroupHeaderBand>(5000);
        footer = make<TppGroupFooterBand>(5000);
        // The group owns its bands.
        for (auto &band : owned)
            band.release();
        owned.clear();
        header->SetGroup(group.get());
        footer->SetGroup(group.get());
        header->InitObjects();
        footer->InitObjects();
        // The footers print as the engine calls them: once their kind is due.
        engine.IncludeDue(ppBandKind::GroupFooter);
    }

    // Values the break asks for, one per test, through the event.
    void breakOn(QStringList aValues)
    {
        values = std::move(aValues);
        group->OnGetBreakValue.Set([this](classes::TObject *, QString &aValue) {
            aValue = values.isEmpty() ? QString() : values.takeFirst();
        });
    }

    std::unique_ptr<TppGroup> group = std::make_unique<TppGroup>(nullptr);
    TppGroupHeaderBand *header = nullptr;
    TppGroupFooterBand *footer = nullptr;
    QStringList values;
};

TEST_F(Groups, EqualValuesBreakOnlyWithoutRecords)
{
    MemoryPipeline countries;
    countries.AddField(QStringLiteral("Country"));
    for (const char *country : {"AT", "AT", "BE"})
        countries.AddRow({QString::fromLatin1(country)});
    group->SetDataPipeline(&countries);
    group->SetBreakName(QStringLiteral("Country"));
    countries.Open();
    countries.First();
    group->Init();
    EXPECT_EQ(group->BreakValue(), QStringLiteral("AT"));
    countries.Next();
    EXPECT_FALSE(group->CheckForBreak());
    EXPECT_FALSE(footer->Breaking());
    countries.Next();
    EXPECT_TRUE(group->CheckForBreak());
    EXPECT_EQ(group->PriorValue(), QStringLiteral("AT"));
    EXPECT_TRUE(group->Breaking());
    EXPECT_TRUE(header->Breaking());
    EXPECT_TRUE(footer->Breaking());

    countries.IncludeRecordPositionFlags(ppNoRecords);
    EXPECT_TRUE(group->CheckForBreak());
    group->SetDataPipeline(nullptr);
}

TEST_F(Groups, TheBreakValueEventDecides)
{
    breakOn({"x", "x", "y", "y"});
    group->Init();
    EXPECT_FALSE(group->CheckForBreak());
    EXPECT_TRUE(group->CheckForBreak());
    EXPECT_FALSE(group->CheckForBreak());

    // A handler that raises: the caller sees it, the group is as it was.
    group->OnGetBreakValue.Set([](classes::TObject *, QString &) { throw std::runtime_error("no value"); });
    EXPECT_THROW(group->CheckForBreak(), std::runtime_error);
    EXPECT_EQ(group->BreakValue(), QStringLiteral("y"));
    EXPECT_EQ(group->PriorValue(), QStringLiteral("y"));
}

TEST_F(Groups, ListenersHearTheBreakInOrderAndMayChangeTheValue)
{
    QStringList log;
    modeltest::TReceiver listener(QStringLiteral("listener"), &log);
    for (int id : {27, 28, 29, 30, 31, 68})
        listener.SubscribeEvent(id);
    group->AddEventNotify(&listener);
    listener.OnEvent = [](modeltest::TReceiver *, int aEventID, TraParamList *aParams) {
        if (aEventID != ppEvent::OnGetBreakValue)
            return;
        QString value;
        aParams->GetParamValue(0, value);
        aParams->SetParamValue(0, value + QStringLiteral("!"));
    };
    group->BeforeGroupBreak.Set([&](classes::TObject *) { log.append(QStringLiteral("BeforeGroupBreak")); });
    group->AfterGroupBreak.Set([&](classes::TObject *) { log.append(QStringLiteral("AfterGroupBreak")); });
    breakOn({"a", "b"});
    group->Init();
    EXPECT_EQ(group->BreakValue(), QStringLiteral("a!"));
    header->Generate();
    ASSERT_TRUE(group->CheckForBreak());
    EXPECT_EQ(group->BreakValue(), QStringLiteral("b!"));
    footer->Generate();
    EXPECT_EQ(log, (QStringList{"listener event 31", "listener event 68", "BeforeGroupBreak", "listener event 28",
                                "listener event 29", "listener event 31", "listener event 68", "listener event 30",
                                "AfterGroupBreak", "listener event 27"}));
    group->RemoveEventNotify(&listener);

    // The description names the break field after message 331 and the group's
    // place in the report.
    MemoryPipeline data;
    data.AddField(QStringLiteral("Country"));
    group->SetDataPipeline(&data);
    group->SetBreakName(QStringLiteral("Country"));
    EXPECT_EQ(group->Description(), ppLoadStr(331) + QStringLiteral(" [0]: ") + data.GetFieldAlias("Country"));
    group->SetDataPipeline(nullptr);
}

TEST_F(Groups, AnUnknownBreakFieldGivesThePipelinesAnswer)
{
    MemoryPipeline data;
    data.AddField(QStringLiteral("Id"), TppDataType::dtInteger);
    data.AddRow({1});
    group->SetDataPipeline(&data);
    group->SetBreakName(QStringLiteral("Nowhere"));
    data.Open();
    data.First();
    try {
        group->Init();
        EXPECT_TRUE(group->BreakValue().isEmpty());
    } catch (const EBrevantorError &) {
    }
    group->SetDataPipeline(nullptr);
}

TEST_F(Groups, KeepTogetherExcludesNewPageAndNewColumn)
{
    group->SetNewPage(true);
    group->SetNewColumn(true);
    group->SetKeepTogether(true);
    EXPECT_FALSE(group->NewPage());
    EXPECT_FALSE(group->NewColumn());
    group->SetNewColumn(true);
    EXPECT_FALSE(group->KeepTogether());
    group->SetKeepTogether(true);
    group->SetNewPage(true);
    EXPECT_FALSE(group->KeepTogether());
}

TEST_F(Groups, NewPageBreaksBeforeEveryHeaderButTheFirst)
{
    group->SetNewPage(true);
    breakOn({"a", "b"});
    group->Init();
    header->Generate();
    EXPECT_EQ(header->Count(), 1);
    EXPECT_EQ(engine.CallCount(QStringLiteral("GroupStart Group1")), 1);

    ASSERT_TRUE(group->CheckForBreak());
    footer->Generate();
    EXPECT_EQ(footer->Count(), 1);
    EXPECT_EQ(group->BreakNo(), 1);
    header->Generate();
    EXPECT_EQ(header->Count(), 0);
    EXPECT_TRUE(header->OutOfSpace());
    EXPECT_TRUE(header->AlreadyPageBreak());

    engine.StartPage(2);
    header->Generate();
    EXPECT_EQ(header->Count(), 1);
    EXPECT_FALSE(header->OutOfSpace());
    EXPECT_FALSE(header->Breaking());
    EXPECT_EQ(group->FirstPageNo(), 2);
    EXPECT_EQ(engine.CallCount(QStringLiteral("GroupStart Group1")), 2);
}

TEST_F(Groups, ThresholdsBreakTheColumnOrPageWhenTooLittleIsLeft)
{
    breakOn({"a", "b", "c", "d"});
    group->Init();
    header->Generate();
    const auto breakAt = [this](int32_t aTop) {
        ASSERT_TRUE(group->CheckForBreak());
        footer->Generate();
        engine.SetPrintArea(FakePageEngine::LeftMargin, aTop, FakePageEngine::Width, aTop);
        header->Generate();
    };
    // 40 mm left of the page: below a 50 mm threshold, not below 40 mm.
    group->SetmmNewPageThreshold(50000);
    breakAt(engine.PageBottom - 40000);
    EXPECT_TRUE(header->OutOfSpace());
    EXPECT_TRUE(header->AlreadyPageBreak());
    engine.StartPage(2);
    header->Generate();
    EXPECT_EQ(header->Count(), 1);

    group->SetmmNewPageThreshold(40000);
    breakAt(engine.PageBottom - 40000);
    EXPECT_FALSE(header->OutOfSpace());
    EXPECT_EQ(header->Count(), 1);

    // With two columns the column threshold comes first.
    report.ColumnCount = 2;
    group->SetmmNewColumnThreshold(60000);
    group->SetmmNewPageThreshold(50000);
    breakAt(engine.PageBottom - 40000);
    EXPECT_TRUE(header->OutOfSpace());
    EXPECT_TRUE(header->AlreadyColumnBreak());
    EXPECT_FALSE(header->AlreadyPageBreak());

    // A position far above the page (a stream's negative offsets put it
    // there) leaves more room than any threshold asks for.
    report.ColumnCount = 1;
    engine.StartPage(3);
    breakAt(std::numeric_limits<int32_t>::min() + 1000);
    EXPECT_FALSE(header->OutOfSpace());
    EXPECT_FALSE(header->AlreadyPageBreak());
}

TEST_F(Groups, TheHeaderReprintsAtThePageTopOnlyWhenAsked)
{
    breakOn({"a"});
    group->Init();
    header->Generate();
    engine.StartPage(2);
    engine.SetDueBands(0);
    header->Generate();
    EXPECT_EQ(header->Count(), 0);
    engine.SetDueBands(ppBandKind::Header);
    header->Generate();
    EXPECT_EQ(header->Count(), 1);
    group->SetReprintOnSubsequentPage(false);
    header->Generate();
    EXPECT_EQ(header->Count(), 0);
    // A footer prints only at a break or at the end of the data.
    footer->Generate();
    EXPECT_EQ(footer->Count(), 0);
    engine.SetDueBands(ppBandKind::Summary | ppBandKind::GroupFooter);
    footer->Generate();
    EXPECT_EQ(footer->Count(), 1);
}

TEST_F(Groups, AGroupOverThreePagesCountsThreeOnEachOfThem)
{
    TppCacheManager cache(nullptr, &report);
    cache.Reset();
    breakOn({"a", "b", "c"});
    group->Init();
    // The first group on pages 1 and 2.
    header->Generate();
    cache.SavePage(1);
    engine.StartPage(2);
    ASSERT_TRUE(group->CheckForBreak());
    footer->Generate();
    cache.SavePage(2);
    // The second on pages 3 to 5.
    engine.StartPage(3);
    header->Generate();
    EXPECT_TRUE(group->FirstPage());
    cache.SavePage(3);
    engine.StartPage(4);
    EXPECT_EQ(group->PageNo(), 2);
    cache.SavePage(4);
    engine.StartPage(5);
    ASSERT_TRUE(group->CheckForBreak());
    footer->Generate();
    cache.SavePage(5);

    for (int page : {3, 4, 5}) {
        cache.RestorePage(page);
        EXPECT_EQ(group->FirstPageNo(), 3) << page;
        EXPECT_EQ(group->PageCount(), 3) << page;
    }
    for (int page : {1, 2}) {
        cache.RestorePage(page);
        EXPECT_EQ(group->PageCount(), 2) << page;
    }
}

TEST_F(Groups, KeepTogetherMovesAGroupOnce)
{
    classes::RegisterClasses({&StandInTextCommand::StaticClass()});
    group->SetKeepTogether(true);
    engine.KeepGroup = group.get();
    auto *title = make<TppTitleBand>(5000);
    title->SetNewPage(true);
    breakOn({"a", "b"});
    group->Init();
    group->PrepareKeepTogether();
    ASSERT_NE(group->KeepTogetherCache(), nullptr);

    // Something is on the page: the header keeps the page as it is.
    title->Generate();
    engine.SetBandsPrinted(true);
    header->Generate();
    EXPECT_FALSE(group->KeptTogether());
    ASSERT_EQ(drawn(), 2);

    // More of the group, then it does not fit.
    title->InitObjects();
    EXPECT_FALSE(title->PrintedOnce());
    make<TppColumnHeaderBand>(5000)->Generate();
    EXPECT_EQ(drawn(), 3);
    EXPECT_TRUE(group->ApplyKeepTogether());
    EXPECT_EQ(engine.CallCount(QStringLiteral("RewindPage")), 1);
    EXPECT_TRUE(title->PrintedOnce());
    EXPECT_EQ(drawn(), 1);
    EXPECT_TRUE(group->KeptTogether());
    // Not moved a second time, even when it does not fit the fresh page.
    EXPECT_FALSE(group->ApplyKeepTogether());
    EXPECT_EQ(engine.CallCount(QStringLiteral("RewindPage")), 1);

    // The group ends: the next one may move again.
    ASSERT_TRUE(group->CheckForBreak());
    footer->Generate();
    EXPECT_FALSE(group->KeptTogether());
    classes::UnRegisterClasses({&StandInTextCommand::StaticClass()});
}

TEST_F(Groups, AGroupAtThePageTopIsNotMoved)
{
    group->SetKeepTogether(true);
    engine.KeepGroup = group.get();
    breakOn({"a"});
    group->Init();
    group->PrepareKeepTogether();
    header->Generate();
    EXPECT_TRUE(group->KeptTogether());
    EXPECT_FALSE(group->ApplyKeepTogether());
    EXPECT_EQ(engine.CallCount(QStringLiteral("RewindPage")), 0);
}

TEST_F(Groups, HiddenGroupBandsStillEndTheirBreak)
{
    int starts = 0, ends = 0;
    group->BeforeGroupBreak.Set([&](classes::TObject *) { ++starts; });
    group->AfterGroupBreak.Set([&](classes::TObject *) { ++ends; });
    header->SetVisible(false);
    footer->SetVisible(false);
    breakOn({"a", "b"});
    group->Init();
    header->Generate();
    EXPECT_FALSE(header->Breaking());
    EXPECT_EQ(starts, 1);
    // The next page offers the header again: no second start of the group.
    engine.StartPage(2);
    engine.SetDueBands(ppBandKind::GroupFooter);
    header->Generate();
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(group->FirstPageNo(), 1);

    ASSERT_TRUE(group->CheckForBreak());
    footer->Generate();
    EXPECT_FALSE(footer->Breaking());
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(group->BreakNo(), 1);
    EXPECT_EQ(group->PageCount(), 2);
    // Nothing is due: the footer neither prints nor ends a group again.
    engine.SetDueBands(0);
    footer->Generate();
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(drawn(), 0);
}

int32_t groupRecordInt(const uint8_t *aRecord, int aOffset)
{
    int32_t value = 0;
    std::memcpy(&value, aRecord + aOffset, sizeof value);
    return value;
}

TEST_F(Groups, CacheRecordsKeepTheirLayout)
{
    TppCacheManager cache(nullptr, &report);
    cache.Reset();
    breakOn({"a", "b"});
    group->Init();
    group->GroupStarted(3, 2);
    group->SetLastPage(4);
    ASSERT_TRUE(group->CheckForBreak());
    footer->Generate();
    ASSERT_EQ(group->BreakNo(), 1);
    group->MarkBroken();
    engine.KeepGroup = group.get();
    group->SetKeepTogether(true);
    engine.SetBandsPrinted(false);
    header->Generate(); // at the top of the page: kept together already
    ASSERT_TRUE(group->KeptTogether());
    group->MarkBroken();
    cache.SavePage(1);

    uint8_t record[24];
    std::memset(record, 0xAA, sizeof record);
    ASSERT_EQ(group->CacheRecordSize(), 24);
    group->ReadCacheRecord(1, record);
    EXPECT_EQ(groupRecordInt(record, 0), group->FirstPageNo());
    EXPECT_EQ(groupRecordInt(record, 4), group->LastPageNo());
    EXPECT_EQ(record[8], 1); // breaking
    EXPECT_EQ(groupRecordInt(record, 12), 1);
    EXPECT_EQ(groupRecordInt(record, 16), group->FirstColumn());
    EXPECT_EQ(record[21], 1); // kept together

    // The header's breaking flag and its two break-made flags follow the
    // printing-section byte: here a page break was made, no column break.
    group->SetNewPage(true);
    header->Generate();
    ASSERT_TRUE(header->AlreadyPageBreak());
    ASSERT_FALSE(header->AlreadyColumnBreak());
    header->SetCurrentSection(7);
    header->SetCurrentObjectIndex(9);
    header->SetPartialAdjustment(1234);
    header->SetPrintingSection(true);
    header->SetBreaking(true);
    cache.SavePage(2);
    std::memset(record, 0xAA, sizeof record);
    header->ReadCacheRecord(2, record);
    EXPECT_EQ(groupRecordInt(record, 0), 7);
    EXPECT_EQ(groupRecordInt(record, 4), 9);
    EXPECT_EQ(groupRecordInt(record, 12), 1234);
    EXPECT_EQ(record[17], 1);
    EXPECT_EQ(record[18], 1);
    EXPECT_EQ(record[19], 0);
    EXPECT_EQ(record[20], 1);
}

TEST_F(Groups, FreeingAGroupFreesItsBandsAndABandLeavesItsGroup)
{
    delete footer;
    EXPECT_EQ(group->FooterBand(), nullptr);
    const int before = int(report.Bands.size());
    group.reset();
    EXPECT_EQ(int(report.Bands.size()), before - 1);
    EXPECT_TRUE(report.Groups.empty());
}

QByteArray groupText(TppGroup &aGroup)
{
    classes::TMemoryStream binary, text;
    {
        classes::TWriter writer(binary);
        writer.WriteRootComponent(&aGroup);
    }
    binary.SetPosition(0);
    classes::ObjectBinaryToText(binary, text);
    QByteArray bytes(int(text.Size()), '\0');
    text.SetPosition(0);
    text.ReadBuffer(bytes.data(), bytes.size());
    return bytes;
}

TEST_F(Groups, StreamsCarryTheDefinedEntriesAndConvertOldOnes)
{
    group->SetName(QStringLiteral("Group1"));
    group->SetmmNewPageThreshold(25000);
    const QByteArray text = groupText(*group);
    EXPECT_TRUE(text.contains("mmNewColumnThreshold = 0"));
    EXPECT_TRUE(text.contains("mmNewPageThreshold = 25000"));
    EXPECT_TRUE(text.contains("DataPipelineName = ''"));

    classes::RegisterClasses({&TppGroup::StaticClass()});
    TppGroup old(nullptr);
    old.SetReport(&report);
    modeltest::readText(&old, "object Group2: TppGroup\n"
                              "  FieldName = 'Country'\n"
                              "  NewPage = True\n"
                              "  ReprintOnSubsequent = False\n"
                              "  NewPageThreshold = 2.5\n"
                              "  mmNewColumnThreshold = 7.0\n"
                              "end\n");
    EXPECT_EQ(old.mmNewColumnThreshold(), 7);
    old.Convert(1269);
    EXPECT_EQ(old.BreakName(), QStringLiteral("Country"));
    EXPECT_TRUE(old.NewColumn());
    EXPECT_FALSE(old.ReprintOnSubsequentPage());
    EXPECT_FALSE(old.ReprintOnSubsequentColumn());
    // Thousandths in the test report's units.
    EXPECT_EQ(old.mmNewPageThreshold(), 2);
    EXPECT_EQ(old.mmNewColumnThreshold(), 2);

    TppGroup absent(nullptr);
    absent.SetReport(&report);
    absent.SetReprintOnSubsequentPage(false);
    absent.Convert(2096);
    EXPECT_TRUE(absent.ReprintOnSubsequentPage());
    classes::UnRegisterClasses({&TppGroup::StaticClass()});
}

} // namespace
