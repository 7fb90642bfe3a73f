// What the engine offers a descendant or a caller: its hooks, the answers
// about the page it makes, and where generation stands.

#include "EngineFixture.h"

#include "report/model/bands/BandClasses.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/engine/Engine.h"
#include "report/model/groups/Group.h"
#include "report/model/groups/GroupBands.h"
#include "report/model/objects/EventIds.h"

#include <gtest/gtest.h>

using namespace report;
using namespace reporttest;

namespace {

class EngineInterface : public enginetest::EngineFixture
{};

TEST_F(EngineInterface, ACallerReroutesThePageEndAndThePageRecordHooks)
{
    rows(300);
    int endPages = 0;
    report.OnEndPage.Set([&](classes::TObject *) { ++endPages; });
    int checks = 0, updates = 0;
    engine()->OnCheckPageLimit.Set([&](classes::TObject *aSender) {
        EXPECT_EQ(aSender, engine());
        ++checks;
    });
    engine()->OnPageUpdated.Set([&](classes::TObject *) { ++updates; });
    report.SetPageLimit(3);
    generate();
    // Routed away from the report: neither OnEndPage nor the page limit.
    EXPECT_EQ(endPages, 0);
    EXPECT_GT(int(report.Pages.size()), 3);
    EXPECT_EQ(checks, int(report.Pages.size()));
    // The record is filled at every page start and end.
    EXPECT_EQ(updates, 2 * int(report.Pages.size()));
}

TEST_F(EngineInterface, ThePageMadeForTheFirstTimeFollowsTheLastCachedOne)
{
    rows(100);
    QStringList seen;
    report.OnStartPage.Set([&](classes::TObject *) {
        seen.append(QStringLiteral("%1:%2%3")
                        .arg(engine()->PageNo())
                        .arg(engine()->IsLastCachedPlusOne() ? QStringLiteral("first") : QStringLiteral("again"))
                        .arg(engine()->PageNotCached() ? QStringLiteral(" uncached") : QString()));
    });
    generate(TppPageSettingType::psSinglePage, 3);
    EXPECT_EQ(seen, QStringList({"1:first uncached", "2:first uncached", "3:first uncached"}));
    seen.clear();
    generate(TppPageSettingType::psSinglePage, 2);
    EXPECT_EQ(seen, QStringList({"2:again"}));
    EXPECT_EQ(report.IsLastCachedPlusOne(), engine()->IsLastCachedPlusOne());
}

TEST_F(EngineInterface, TheBreakGroupIndexNamesTheOutermostGroupThatBroke)
{
    data.AddField(QStringLiteral("H"));
    for (const auto &[g, h] : {std::pair{"A", "x"}, {"A", "x"}, {"A", "y"}, {"B", "y"}})
        data.AddRow({QString::fromLatin1(g), QString::fromLatin1(h)});
    report.SetDataPipeline(&data);
    group(QStringLiteral("G"), 1000);
    group(QStringLiteral("H"), 1000);
    QList<int> indexes;
    detail->BeforePrint.Set([&](classes::TObject *) {
        indexes.append(engine()->BreakGroupIndex());
        EXPECT_EQ(engine()->GetBandState(), 5);
        EXPECT_EQ(engine()->GetCurrentBand(), detail);
    });
    generate();
    // None yet, none, the inner group, the outer group.
    EXPECT_EQ(indexes, QList<int>({2, 2, 1, 0}));
}

TEST_F(EngineInterface, DownTheColumnsThePageReachesAsFarAsItsLongestColumn)
{
    rows(60);
    report.SetColumns(2);
    QList<int32_t> reached;
    report.OnEndColumn.Set([&](classes::TObject *) { reached.append(engine()->MaxPosition()); });
    generate();
    // 47 details of 5 mm from 30 mm fill the first column down to the
    // body's foot at 267 mm; the 13 of the second column reach no further.
    ASSERT_EQ(reached.size(), 2);
    EXPECT_EQ(reached[0], 267000);
    EXPECT_EQ(reached[1], 267000);
    EXPECT_EQ(engine()->ColumnTop(), 30000);
}

TEST_F(EngineInterface, ColumnsAcrossThePageKeepTheirFlagsInTheEngine)
{
    rows(7);
    report.SetColumns(3);
    detail->SetColumnTraversal(TppColumnTraversalType::ctLeftToRight);
    report.AddBand<TppColumnHeaderBand>(5000, QStringLiteral("CH"));
    report.AddBand<TppColumnFooterBand>(5000, QStringLiteral("CF"));
    QString flags;
    engine()->OnPageEnding.Set([&](classes::TObject *) {
        for (int c = 0; c < 4; ++c)
            flags += QStringLiteral("%1%2 ").arg(engine()->GetColumnFlagB(c)).arg(engine()->GetColumnFlagA(c));
    });
    generate();
    EXPECT_EQ(flags, QStringLiteral("11 11 11 00 "));
}

} // namespace

namespace {

TEST_F(EngineInterface, TheListIndexFollowsTheRequestAndBreaksAreAskedWhileTheDataMoves)
{
    rows(300);
    QStringList listed;
    engine()->OnPageEnding.Set([&](classes::TObject *) {
        listed.append(QStringLiteral("%1@%2").arg(engine()->PageNo()).arg(engine()->PageListIndex()));
    });
    generate(TppPageSettingType::psPageList, 1, {QStringLiteral("2"), QStringLiteral("4")});
    // Pages 1 to 4 are made; once a listed page is under way the index
    // names the entry after it.
    EXPECT_EQ(listed, QStringList({"1@0", "2@1", "3@1", "4@2"}));

    report.Reset();
    TppGroup *byValue = group(QStringLiteral("G"), 1000);
    QList<bool> asked;
    byValue->OnGetBreakValue.Set([&](classes::TObject *, QString &) { asked.append(engine()->InTraversal()); });
    generate();
    ASSERT_FALSE(asked.isEmpty());
    EXPECT_TRUE(asked.contains(true));
    EXPECT_FALSE(engine()->InTraversal());
}

} // namespace

namespace {

TEST_F(EngineInterface, ASectionAskingForAPageOfItsOwnEndsThePageAfterItsIteration)
{
    rows(10);
    TppGroup *byValue = group(QStringLiteral("G"), 10000);
    ASSERT_TRUE(byValue);
    TppGroupHeaderBand *header = nullptr;
    for (int i = 0; i < report.BandCount() && !header; ++i)
        header = dynamic_cast<TppGroupHeaderBand *>(report.Bands(i));
    ASSERT_TRUE(header);
    bool asked = false;
    header->BeforePrint.Set([&](classes::TObject *) {
        if (!asked)
            engine()->IncludeEngineState(ppEngineState::SectionPageWanted);
        asked = true;
    });
    // The section starts placing its pages on the next one.
    report.OnStartPage.Set([&](classes::TObject *) {
        if (engine()->PageNo() > 1)
            engine()->ExcludeEngineState(ppEngineState::SectionPageWanted);
    });
    generate();
    // The details wait for the page after the one that asked; that page
    // goes on where the band state stood, without the page start's bands.
    ASSERT_EQ(report.Pages.size(), 2);
    EXPECT_EQ(report.Pages[0], QStringLiteral("Header GH Footer"));
    EXPECT_TRUE(report.Pages[1].startsWith(QStringLiteral("Detail*10"))) << report.Pages[1].toStdString();
}

} // namespace

namespace {

TEST_F(EngineInterface, OnlyColumnsAcrossThePageHaveFlagListsFromTheReportStart)
{
    rows(7);
    report.SetColumns(3);
    QList<int> counts;
    report.OnStartPage.Set([&](classes::TObject *) { counts.append(engine()->ColumnFlagCount()); });
    generate();
    detail->SetColumnTraversal(TppColumnTraversalType::ctLeftToRight);
    report.Reset();
    generate();
    // Down the page no list; across it one entry per column before any
    // record has printed.
    EXPECT_EQ(counts, QList<int>({0, 3}));
}

} // namespace

namespace {

TEST_F(EngineInterface, EveryBandKnowsFromThePageStartWhetherThePageIsDelivered)
{
    rows(150);
    auto *summary = report.AddBand<TppSummaryBand>(5000, QStringLiteral("Summary"));
    TppBand *header = nullptr;
    for (int i = 0; i < report.BandCount() && !header; ++i)
        if (dynamic_cast<TppHeaderBand *>(report.Bands(i)))
            header = report.Bands(i);
    ASSERT_TRUE(header);
    QStringList seen;
    header->BeforePrint.Set([&](classes::TObject *) {
        seen.append(QStringLiteral("%1:%2").arg(engine()->PageNo()).arg(summary->DrawPage()));
    });
    generate(TppPageSettingType::psSinglePage, 3);
    // The summary has not printed yet, but the page it may print on is
    // known to be wanted or not.
    EXPECT_EQ(seen, QStringList({"1:0", "2:0", "3:1"}));
}

} // namespace

namespace {

// SetPageCount is the engine's reset to a page, whoever calls it through the
// engine base: 0 starts the run afresh, any other count goes on from there
// with the page count unknown again.
TEST_F(EngineInterface, SetPageCountResetsTheRunThroughTheEngineBase)
{
    rows(100);
    generate();
    ASSERT_TRUE(engine()->PageCountKnown());
    ASSERT_EQ(engine()->PageCount(), 3);
    TppCustomEngine *base = engine();

    base->SetPageCount(2);
    EXPECT_EQ(base->PageCount(), 2);
    EXPECT_FALSE(engine()->PageCountKnown());
    EXPECT_EQ(base->Page()->DrawCommandCount(), 0);
    EXPECT_TRUE(base->EngineState() & ppEngineState::Started);

    base->SetPageCount(0);
    EXPECT_EQ(base->PageNo(), 0);
    EXPECT_EQ(base->PageCount(), 0);
    EXPECT_EQ(base->EngineState(), 0);
    EXPECT_EQ(base->DueBands(), 0);
    // The next request runs the report from its start.
    report.Pages.clear();
    generate();
    EXPECT_EQ(report.Pages,
              (QStringList{"Header Detail*47 Footer", "Header Detail*47 Footer", "Header Detail*6 Footer"}));
}

} // namespace

namespace {

// Reads the report's pipeline as each page loop begins (event 91), once the
// report start has run.
class LoopStartProbe : public TppCommunicator
{
public:
    LoopStartProbe(TppCommunicator &aReport, TppDataPipeline &aPipeline)
        : TppCommunicator(nullptr)
        , m_pipeline(aPipeline)
    {
        SubscribeEvent(ppEvent::PageLoopReset);
        aReport.AddEventNotify(this);
    }
    void EventNotify(TppCommunicator *, int, TraParamList *) override
    {
        flags.append(m_pipeline.RecordPositionFlags());
    }
    QList<int> flags;

private:
    TppDataPipeline &m_pipeline;
};

// A cancel while the data opens: the run reads no record of it.
TEST_F(EngineInterface, AStopWhileTheDataOpensLeavesTheMainPipelineWithoutRecords)
{
    rows(10);
    LoopStartProbe probe(report, data);
    data.OnOpen.Set([this](classes::TObject *) { engine()->SetStopped(true); });
    generate();
    EXPECT_EQ(probe.flags, QList<int>{ppNoRecords});
    EXPECT_TRUE(report.Pages.isEmpty());
    report.RemoveEventNotify(&probe);
    data.OnOpen.Set(nullptr);
}

// A range that begins at the current record begins where the run found the
// pipeline: in the second pass and on every page made again; the run's
// bookmark goes with the run.
// Opening an open cursor leaves it where it stands, as a database's does.
class CursorPipeline : public MemoryPipeline
{
public:
    void OpenData() override
    {
        if (!GetActive())
            MemoryPipeline::OpenData();
    }
};

TEST_F(EngineInterface, ARangeFromTheCurrentRecordStartsWhereTheRunFoundThePipeline)
{
    CursorPipeline cursor;
    cursor.AddField(QStringLiteral("G"));
    for (int i = 0; i < 100; ++i)
        cursor.AddRow({QString::number(i)});
    report.SetDataPipeline(&cursor);
    cursor.SetRangeBegin(TppRangeBeginType::rbCurrentRecord);
    cursor.Open();
    cursor.First();
    for (int i = 0; i < 40; ++i)
        cursor.Next();
    QStringList firstOnPage;
    int lastPage = 0;
    detail->BeforePrint.Set([&](classes::TObject *) {
        if (engine()->PageNo() != lastPage)
            firstOnPage.append(QString::number(engine()->PageNo()) + ":" +
                               cursor.GetFieldAsString(QStringLiteral("G")));
        lastPage = engine()->PageNo();
    });
    report.SetPassSetting(TppPassSettingType::psTwoPass);
    generate();
    // Both passes, each from record 40: 47 records on page 1, 13 on page 2.
    EXPECT_EQ(firstOnPage, (QStringList{"1:40", "2:87", "1:40", "2:87"}));
    EXPECT_EQ(report.Pages.size(), 4) << report.Pages.join('|').toStdString();

    // Page 1 made again from the cache.
    firstOnPage.clear();
    lastPage = 0;
    generate(TppPageSettingType::psSinglePage, 1);
    EXPECT_EQ(firstOnPage, QStringList{"1:40"});

    report.Reset();
    EXPECT_EQ(cursor.StartBookmark(), 0);
    EXPECT_EQ(cursor.OutstandingBookmarks(), 0);
    detail->BeforePrint.Set(nullptr);
    report.SetDataPipeline(nullptr);
}

} // namespace

namespace {

class NamedPipeline : public MemoryPipeline
{
public:
    NamedPipeline(const QString &aName, int aRows)
    {
        SetName(aName);
        AddField(QStringLiteral("N"));
        for (int i = 0; i < aRows; ++i)
            AddRow({QString::number(i)});
    }
};

// Bookmarks of a pipeline that closed are of no use: the engine lets go of
// those it keeps of the report's pipeline and of the detail band's own.
TEST_F(EngineInterface, APipelineOfTheRunThatClosesTakesTheEnginesBookmarksAlong)
{
    NamedPipeline customers(QStringLiteral("Customers"), 3);
    NamedPipeline lines(QStringLiteral("Lines"), 40);
    report.SetDataPipeline(&customers);
    detail->SetDataPipeline(&lines);
    QStringList seen;
    detail->BeforePrint.Set([&](classes::TObject *) {
        seen.append(customers.GetFieldAsString(QStringLiteral("N")) + ":" +
                    lines.GetFieldAsString(QStringLiteral("N")));
    });
    generate(TppPageSettingType::psSinglePage, 2);
    ASSERT_GT(lines.OutstandingBookmarks(), 0);
    lines.Close();
    EXPECT_EQ(lines.OutstandingBookmarks(), 0);
    // Page 2 made again once the lines are open again goes to no bookmark
    // that was freed.
    lines.Open();
    seen.clear();
    EXPECT_NO_THROW(generate(TppPageSettingType::psSinglePage, 2));
    EXPECT_FALSE(seen.isEmpty());

    customers.Close();
    EXPECT_EQ(customers.OutstandingBookmarks(), 0);
    detail->BeforePrint.Set(nullptr);
    detail->SetDataPipeline(nullptr);
    report.SetDataPipeline(nullptr);
}

} // namespace

namespace {

// Down the columns, a group's footer that finds no room at the foot of a
// column prints at the top of the next; the record moved to before it is
// taken up there, with that footer no longer due: no detail of the next
// group generates as if its group had ended.
TEST_F(EngineInterface, AFooterPushedToTheNextColumnLeavesTheNextGroupsDetailsRunning)
{
    for (int i = 0; i < 44; ++i)
        data.AddRow({QStringLiteral("A")});
    for (int i = 0; i < 60; ++i)
        data.AddRow({QStringLiteral("B")});
    report.SetDataPipeline(&data);
    group(QStringLiteral("G"));
    report.SetColumns(2);
    QStringList footerDue;
    int printed = 0;
    detail->BeforeGenerate.Set([&](classes::TObject *) {
        ++printed;
        if (engine()->IsDue(ppBandKind::GroupFooter))
            footerDue.append(QString::number(engine()->ColumnNo()) + ":" + QString::number(printed));
        if (engine()->AdvancedAtColumnEnd())
            footerDue.append(QStringLiteral("pending at ") + QString::number(printed));
    });
    generate();
    EXPECT_EQ(report.Pages,
              (QStringList{"Header GH Detail*44 GH GF GH Detail*41 Footer", "Header GH Detail*19 GF Footer"}));
    EXPECT_EQ(printed, 104);
    EXPECT_EQ(footerDue.join(QStringLiteral(", ")).toStdString(), "");
    EXPECT_FALSE(engine()->AdvancedAtColumnEnd());
}

} // namespace

namespace {

// A caller that goes back to a page (drill-down) has the pages after it made
// again; the bookmarks kept of the pages it threw away go with them.
TEST_F(EngineInterface, PagesMadeAgainAfterATruncationHoldNoMoreBookmarks)
{
    rows(200);
    generate();
    ASSERT_EQ(engine()->PageCount(), 5);
    const int held = data.OutstandingBookmarks();
    for (int round = 0; round < 3; ++round) {
        report.Cache()->TruncatePage(2);
        engine()->SetPageCount(2);
        generate();
        EXPECT_EQ(engine()->PageCount(), 5);
        EXPECT_EQ(data.OutstandingBookmarks(), held) << "round " << round;
    }
}

} // namespace
