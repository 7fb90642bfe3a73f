#include "tests/support/report/BandSequence.h"
#include "tests/support/report/MemoryPipeline.h"
#include "tests/support/report/PageFakes.h"

#include "EngineFixture.h"
#include "PipelineFixtures.h"

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Reader.h"
#include "platform/classes/Streams.h"

#include "report/model/bands/BandClasses.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/base/Exceptions.h"
#include "report/model/base/Messages.h"
#include "report/model/engine/Engine.h"
#include "report/model/forms/DialogServices.h"
#include "report/model/groups/Group.h"
#include "report/model/groups/GroupBands.h"
#include "report/model/pages/PageRequest.h"
#include "report/model/printing/PageDef.h"
#include "report/model/printing/PrinterSetup.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace report;
using namespace reporttest;

namespace {

class Engine : public enginetest::EngineFixture
{};

TEST_F(Engine, S1_PagesOfDetails)
{
    rows(100);
    generate();
    EXPECT_EQ(report.Pages,
              (QStringList{"Header Detail*47 Footer", "Header Detail*47 Footer", "Header Detail*6 Footer"}));
    EXPECT_TRUE(engine()->ReportComplete());
    EXPECT_EQ(engine()->PageCount(), 3);
    EXPECT_TRUE(engine()->Page()->LastPage());
    // The footer stands at the foot of each page.
    EXPECT_EQ(report.Tops[0].last(), (QPair<QString, int32_t>{"Footer", 267000}));
}

TEST_F(Engine, S1b_TitleAboveTheHeaderOnPageOne)
{
    rows(100);
    report.AddBand<TppTitleBand>(30000);
    generate();
    EXPECT_EQ(report.Pages,
              (QStringList{"Title Header Detail*41 Footer", "Header Detail*47 Footer", "Header Detail*12 Footer"}));
}

TEST_F(Engine, S1c_SummaryAfterTheLastDetails)
{
    rows(100);
    report.AddBand<TppTitleBand>(30000);
    report.AddBand<TppSummaryBand>(30000);
    generate();
    ASSERT_EQ(report.Pages.size(), 3);
    EXPECT_EQ(report.Pages[2], QStringLiteral("Header Detail*12 Summary Footer"));
}

TEST_F(Engine, S1d_ASummaryThatDoesNotFitGoesToTheNextPage)
{
    rows(47);
    report.AddBand<TppSummaryBand>(30000);
    generate();
    EXPECT_EQ(report.Pages, (QStringList{"Header Detail*47 Footer", "Header Summary Footer"}));
    EXPECT_EQ(report.Tops[1][1], (QPair<QString, int32_t>{"Summary", 30000}));
}

TEST_F(Engine, S1e_NoHeaderOnTheLastPage)
{
    rows(47);
    report.AddBand<TppSummaryBand>(30000);
    static_cast<TppHeaderBand *>(report.GetBand(0))->SetPrintOnLastPage(false);
    generate();
    ASSERT_EQ(report.Pages.size(), 2);
    EXPECT_EQ(report.Pages[1], QStringLiteral("Summary Footer"));
    EXPECT_EQ(report.Tops[1].first(), (QPair<QString, int32_t>{"Summary", 10000}));
}

TEST_F(Engine, S2_GroupsBreakAndTheHeaderReprints)
{
    for (auto [value, count] : {std::pair{"A", 3}, {"B", 50}, {"C", 2}})
        for (int i = 0; i < count; ++i)
            data.AddRow({QString::fromLatin1(value)});
    report.SetDataPipeline(&data);
    group(QStringLiteral("G"));
    generate();
    EXPECT_EQ(report.Pages, (QStringList{"Header GH Detail*3 GF GH Detail*38 Footer",
                                         "Header GH Detail*12 GF GH Detail*2 GF Footer"}));
}

TEST_F(Engine, S2b_NewPageStartsEveryGroupButTheFirstOnAPage)
{
    for (auto [value, count] : {std::pair{"A", 3}, {"B", 50}, {"C", 2}})
        for (int i = 0; i < count; ++i)
            data.AddRow({QString::fromLatin1(value)});
    report.SetDataPipeline(&data);
    group(QStringLiteral("G"))->SetNewPage(true);
    generate();
    EXPECT_EQ(report.Pages, (QStringList{"Header GH Detail*3 GF Footer", "Header GH Detail*45 Footer",
                                         "Header GH Detail*5 GF Footer", "Header GH Detail*2 GF Footer"}));
}

TEST_F(Engine, AKeptTogetherGroupMovesOnceAndThenSplits)
{
    classes::RegisterClasses({&StandInTextCommand::StaticClass()});
    for (auto [value, count] : {std::pair{"A", 3}, {"B", 60}})
        for (int i = 0; i < count; ++i)
            data.AddRow({QString::fromLatin1(value)});
    report.SetDataPipeline(&data);
    group(QStringLiteral("G"))->SetKeepTogether(true);
    generate();
    EXPECT_EQ(report.Pages, (QStringList{"Header GH Detail*3 GF Footer", "Header GH Detail*45 Footer",
                                         "Header GH Detail*15 GF Footer"}));
    EXPECT_TRUE(engine()->ReportComplete());
    classes::UnRegisterClasses({&StandInTextCommand::StaticClass()});
}

TEST_F(Engine, TheDetailBandsOwnPipelineRunsWithinEachMainRecord)
{
    pipelinetest::Orders orders;
    orders.init();
    report.SetDataPipeline(&orders.customers);
    detail->SetDataPipeline(&orders.orders);
    int printed = 0;
    QStringList seen;
    detail->BeforePrint.Set([&](classes::TObject *) {
        ++printed;
        seen.append(orders.customers.GetFieldAsString(QStringLiteral("Id")) + ":" +
                    orders.orders.GetFieldAsString(QStringLiteral("Id")));
    });
    generate();
    EXPECT_EQ(report.Pages, QStringList{"Header Detail*6 Footer"});
    EXPECT_EQ(seen, (QStringList{"1:101", "1:104", "3:102", "5:100", "5:103", "5:105"}));
    detail->SetDataPipeline(nullptr);
    report.SetDataPipeline(nullptr);
}

TEST_F(Engine, PageLimitEndsTheReport)
{
    rows(100);
    report.SetPageLimit(2);
    generate();
    EXPECT_EQ(report.Pages.size(), 2);
    EXPECT_TRUE(engine()->ReportComplete());
}

TEST_F(Engine, TwoColumnsFillDownThenAcross)
{
    rows(60);
    report.SetColumns(2);
    report.AddBand<TppColumnHeaderBand>(5000, QStringLiteral("CH"));
    report.AddBand<TppColumnFooterBand>(5000, QStringLiteral("CF"));
    generate();
    ASSERT_GE(report.Pages.size(), 1);
    // 30 mm to 262 mm less a column header of 5 mm: 45 details a column.
    EXPECT_EQ(report.Pages[0], QStringLiteral("Header CH Detail*45 CF CH Detail*15 CF Footer"));
}

// Stops the run once the detail band has printed more often than the data
// can make it, so that a column end that never moves on fails instead of
// filling memory.
void stopRunawayDetails(TppDetailBand *aDetail, TppEngine *aEngine, int aLimit)
{
    auto printed = std::make_shared<int>(0);
    aDetail->BeforePrint.Set([aEngine, aLimit, printed](classes::TObject *) {
        if (++*printed > aLimit)
            aEngine->SetStopped(true);
    });
}

// A title or summary with NewPage has its page alone in every layout; a
// column end on it ends the page, and no column footer prints there.
TEST_F(Engine, ATitleOrSummaryOnAPageOfItsOwnInEveryColumnLayout)
{
    struct Case
    {
        const char *layout;
        int columns;
        TppColumnTraversalType traversal;
        bool title;
        QStringList pages;
    };
    const QString body = QStringLiteral("Header Detail*46 Footer|Header Detail*14 Footer");
    const QString down = QStringLiteral("Header CH Detail*45 CF CH Detail*15 CF Footer");
    const QString across = QStringLiteral("Header CH Detail CH Detail*59 CF*2 Footer");
    const Case cases[] = {
        {"one column", 1, TppColumnTraversalType::ctTopToBottom, true,
         QStringList{QStringLiteral("Title Footer")} + body.split('|')},
        {"one column", 1, TppColumnTraversalType::ctTopToBottom, false,
         body.split('|') + QStringList{QStringLiteral("Header Summary Footer")}},
        {"down", 2, TppColumnTraversalType::ctTopToBottom, true, {QStringLiteral("Title Footer"), down}},
        {"down", 2, TppColumnTraversalType::ctTopToBottom, false, {down, QStringLiteral("Header Summary Footer")}},
        {"across", 2, TppColumnTraversalType::ctLeftToRight, true, {QStringLiteral("Title Footer"), across}},
        {"across", 2, TppColumnTraversalType::ctLeftToRight, false, {across, QStringLiteral("Header Summary Footer")}},
    };
    for (const Case &c : cases) {
        RecordingReport other;
        SetA4Portrait(*other.PrinterSetup());
        MemoryPipeline rowsOf;
        rowsOf.AddField(QStringLiteral("G"));
        for (int i = 0; i < 60; ++i)
            rowsOf.AddRow({QStringLiteral("A")});
        other.SetDataPipeline(&rowsOf);
        other.SetPageLimit(10);
        other.AddBand<TppHeaderBand>(20000);
        other.AddBand<TppFooterBand>(20000);
        auto *details = other.AddBand<TppDetailBand>(5000);
        details->SetColumnTraversal(c.traversal);
        other.AddBand<TppColumnHeaderBand>(5000, QStringLiteral("CH"));
        other.AddBand<TppColumnFooterBand>(5000, QStringLiteral("CF"));
        if (c.title)
            other.AddBand<TppTitleBand>(30000)->SetNewPage(true);
        else
            other.AddBand<TppSummaryBand>(30000)->SetNewPage(true);
        other.SetColumns(c.columns);
        auto *otherEngine = static_cast<TppEngine *>(other.Engine());
        stopRunawayDetails(details, otherEngine, 200);
        otherEngine->GeneratePage(TppPageRequest());
        const std::string name = std::string(c.layout) + (c.title ? ", title" : ", summary");
        EXPECT_EQ(other.Pages, c.pages) << name;
        EXPECT_TRUE(otherEngine->ReportComplete()) << name;
        EXPECT_FALSE(otherEngine->Stopped()) << name;
        other.SetDataPipeline(nullptr);
    }
}

TEST_F(Engine, ABandTallerThanThePageBodyEndsWithTheGuard)
{
    rows(3);
    detail->SetmmHeight(260000);
    ASSERT_EQ(detail->mmHeight(), 260000);
    try {
        generate();
        ADD_FAILURE() << "no error";
    } catch (const EPrintError &e) {
        EXPECT_TRUE(e.Message().startsWith(QStringLiteral("Detail: ") + ppLoadStr(44))) << e.Message().toStdString();
    }
    EXPECT_FALSE(engine()->Generating());
    // Stopped on the second page, which is never completed.
    EXPECT_EQ(report.Pages.size(), 1);
}

// A footer that takes the whole page leaves room for nothing: it is named,
// not the title above it that found no room.
TEST_F(Engine, AFooterTallerThanThePageIsNamedInTheError)
{
    rows(3);
    report.AddBand<TppTitleBand>(10000, QStringLiteral("Title"));
    // As tall as a band can be made; a template may hold a taller one.
    report.GetBand(8)->SetmmHeight(report.mmPrintableHeight());
    ASSERT_EQ(report.GetBand(8)->mmHeight(), report.mmPrintableHeight());
    try {
        generate();
        ADD_FAILURE() << "no error";
    } catch (const EPrintError &e) {
        EXPECT_TRUE(e.Message().startsWith(QStringLiteral("Footer: ") + ppLoadStr(44))) << e.Message().toStdString();
    }
    EXPECT_FALSE(engine()->Generating());
}

// A hand-edited template can carry a negative band height; a footer of that
// kind must not hand its space to the body below the margin.
TEST_F(Engine, AFooterStoredWithANegativeHeightTakesNoSpaceAndKeepsTheBodyOnThePaper)
{
    rows(100);
    const auto readInto = [](classes::TComponent *aBand, const QByteArray &aText) {
        classes::TMemoryStream text;
        text.WriteBuffer(aText.constData(), aText.size());
        text.SetPosition(0);
        classes::TMemoryStream binary;
        classes::ObjectTextToBinary(text, binary);
        binary.SetPosition(0);
        classes::TReader(binary).ReadRootComponent(aBand);
    };
    TppBand *footer = report.GetBand(8);
    readInto(footer, "object TppFooterBand\r\n  mmHeight = -20000\r\nend\r\n");
    EXPECT_EQ(footer->mmHeight(), 0);
    generate();
    ASSERT_GE(report.Pages.size(), 1);
    // 30 mm to 287 mm: 51 details, and the footer at the margin.
    EXPECT_EQ(report.Pages[0], QStringLiteral("Header Detail*51 Footer"));
    EXPECT_EQ(report.Tops[0].last(), (QPair<QString, int32_t>{"Footer", 287000}));
    EXPECT_EQ(engine()->GetPageBottom(), 287000);

    // The published height, read in the band's units, the same.
    readInto(footer, "object TppFooterBand\r\n  Height = -0.5\r\nend\r\n");
    EXPECT_EQ(footer->mmHeight(), 0);
}

TEST_F(Engine, ANewRequestDuringGenerationReturnsAtOnce)
{
    rows(10);
    int nested = 0;
    report.OnStartPage.Set([this, &nested](classes::TObject *) {
        ++nested;
        generate();
    });
    generate();
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(report.Pages.size(), 1);
}

TEST_F(Engine, AnErrorFromAHandlerLeavesTheEngineReady)
{
    rows(10);
    detail->BeforePrint.Set([](classes::TObject *) { throw std::runtime_error("handler"); });
    EXPECT_THROW(generate(), std::runtime_error);
    EXPECT_FALSE(engine()->Generating());
}

} // namespace

namespace {

QString generationError(const std::function<void()> &aGenerate)
{
    try {
        aGenerate();
    } catch (const EPrintError &e) {
        return e.Message();
    }
    return QString();
}

TEST_F(Engine, ColumnPositionsThatAreMissingOrNoNumberStopTheReport)
{
    // Down the page, fewer positions than columns: the column past the last
    // position is never started, the page ends after the last placed one.
    rows(200);
    report.SetColumns(3);
    report.SetColumnPositions({QStringLiteral("0.5"), QStringLiteral("3")});
    stopRunawayDetails(detail, engine(), 400);
    EXPECT_EQ(generationError([this] { generate(); }), QString());
    EXPECT_EQ(report.Pages,
              (QStringList{"Header Detail*94 Footer", "Header Detail*94 Footer", "Header Detail*12 Footer"}));
    EXPECT_TRUE(engine()->ReportComplete());
    EXPECT_FALSE(engine()->Generating());

    // Across the page the record that needs the third column has no place.
    RecordingReport across;
    SetA4Portrait(*across.PrinterSetup());
    MemoryPipeline acrossRows;
    acrossRows.AddField(QStringLiteral("G"));
    for (int i = 0; i < 7; ++i)
        acrossRows.AddRow({QStringLiteral("A")});
    across.SetDataPipeline(&acrossRows);
    across.SetPageLimit(3);
    across.AddBand<TppDetailBand>(5000)->SetColumnTraversal(TppColumnTraversalType::ctLeftToRight);
    across.SetColumns(3);
    across.SetColumnPositions({QStringLiteral("0.5"), QStringLiteral("3")});
    EXPECT_TRUE(generationError([&across] {
                    static_cast<TppEngine *>(across.Engine())->GeneratePage(TppPageRequest());
                }).startsWith(QStringLiteral("Unable to find position for column 3..\r\n\r\n")));
    across.SetDataPipeline(nullptr);

    RecordingReport other;
    other.AddBand<TppDetailBand>(5000);
    other.SetPageLimit(3);
    other.SetColumns(2);
    other.SetColumnPositions({QStringLiteral("0.5"), QStringLiteral("abc")});
    EXPECT_TRUE(generationError([&other] {
                    static_cast<TppEngine *>(other.Engine())->GeneratePage(TppPageRequest());
                }).startsWith(QStringLiteral("Unable to convert position for column 2..\r\n\r\n")));
}

// Never opens.
class ClosedPipeline : public MemoryPipeline
{
public:
    void OpenData() override {}
    bool GetActive() override { return false; }
};

TEST_F(Engine, APipelineThatCannotOpenStopsTheReport)
{
    ClosedPipeline closed;
    closed.SetName(QStringLiteral("Customers"));
    report.SetDataPipeline(&closed);
    const QString message = generationError([this] { generate(); });
    EXPECT_TRUE(message.startsWith(ppLoadStr(40) + QStringLiteral(": Customers"))) << message.toStdString();
    report.SetDataPipeline(nullptr);
}

TEST_F(Engine, CancelFromAHandlerEndsTheRun)
{
    rows(200);
    detail->AfterPrint.Set([this](classes::TObject *) {
        if (report.Pages.size() == 1)
            engine()->SetStopped(true);
    });
    generate();
    EXPECT_EQ(report.Pages.size(), 1);
    EXPECT_FALSE(engine()->Generating());
    // The next request runs again.
    detail->AfterPrint.Set(nullptr);
}

// The window is served between pages always, within a page on a time budget;
// a Cancel the window takes in still ends the run within 50 ms.
TEST_F(Engine, TheWindowIsServedBetweenPagesAndOtherwiseOnATimeBudget)
{
    rows(200);
    int64_t now = 0;
    ScopedMessageClock clock([&now] { return now; });
    QList<int64_t> pumps;
    int64_t cancelAt = -1;
    ScopedDialogServices services(TppDialogServices{[&](int64_t) {
                                                        pumps.append(now);
                                                        if (cancelAt >= 0 && now >= cancelAt)
                                                            engine()->SetStopped(true);
                                                    },
                                                    {}});

    // No time passes: once at the start and after each of the five pages.
    generate();
    ASSERT_EQ(report.Pages.size(), 5);
    EXPECT_EQ(pumps.size(), 6);

    // Each record takes 3 ms; the click on Cancel waits in the queue from
    // 200 ms on, in the middle of page 2.
    int64_t lastRecord = 0;
    detail->BeforePrint.Set([&](classes::TObject *) {
        now += 3;
        lastRecord = now;
    });
    pumps.clear();
    report.Pages.clear();
    cancelAt = 200;
    generate();
    EXPECT_TRUE(engine()->Stopped());
    EXPECT_GE(lastRecord, cancelAt);
    EXPECT_LE(lastRecord - cancelAt, 50);
    // Every 10 ms, the start and the end of page 1.
    EXPECT_LE(pumps.size(), lastRecord / 10 + 2);
    detail->BeforePrint.Set(nullptr);
}

} // namespace

namespace {

TEST_F(Engine, ANewPipelineStartsANewRunThatCountsOnlyItsOwnPages)
{
    rows(100);
    generate();
    ASSERT_EQ(engine()->PageCount(), 3);

    MemoryPipeline fewer;
    fewer.AddField(QStringLiteral("G"));
    for (int i = 0; i < 10; ++i)
        fewer.AddRow({QStringLiteral("A")});
    report.SetDataPipeline(&fewer);
    QList<int> counts;
    report.OnEndPage.Set([this, &counts](classes::TObject *) { counts.append(engine()->PageCount()); });
    report.Pages.clear();
    generate();
    // One page of the ten records, counted as one while it generates.
    EXPECT_EQ(report.Pages, QStringList{QStringLiteral("Header Detail*10 Footer")});
    EXPECT_EQ(counts, QList<int>{1});
    report.SetDataPipeline(nullptr);
}

// Counts the times the report asks it for the values it shows ahead.
class LookAheadCounter : public BandPrintable
{
public:
    void ComputeLookAhead() override { ++calls; }
    int calls = 0;
};

TEST_F(Engine, LookAheadsAreComputedOnceTheFirstPassReachesTheEnd)
{
    rows(100);
    auto *counter = new LookAheadCounter;
    counter->SetmmHeight(5000);
    counter->SetBand(detail);
    TppPageRequest first;
    first.SetPageSetting(TppPageSettingType::psSinglePage);
    first.SetPageRequested(1);
    engine()->GeneratePage(first);
    EXPECT_EQ(counter->calls, 0);
    generate();
    EXPECT_EQ(counter->calls, 1);

    // Two passes: computed in the first, not again in the second.
    counter->calls = 0;
    report.SetPassSetting(TppPassSettingType::psTwoPass);
    engine()->Reset();
    generate(TppPageSettingType::psSinglePage, 2);
    EXPECT_EQ(counter->calls, 1);
}

} // namespace

namespace {

// Reads its data from whatever pipeline it is given.
class PipelineReader : public BandPrintable
{
public:
    bool IsDataAware() const override { return true; }
};

TEST_F(Engine, PipelinesThatOnlyTheObjectsReadAreOpenedAndChecked)
{
    rows(10);
    MemoryPipeline lookup;
    lookup.AddField(QStringLiteral("N"));
    lookup.AddRow({QStringLiteral("Zed")});
    auto *reader = new PipelineReader;
    reader->SetmmHeight(5000);
    reader->SetBand(detail);
    reader->SetDataPipeline(&lookup);
    generate();
    EXPECT_TRUE(lookup.GetActive());
    EXPECT_EQ(report.Pages, QStringList{QStringLiteral("Header Detail*10 Footer")});

    ClosedPipeline closed;
    closed.SetName(QStringLiteral("Prices"));
    reader->SetDataPipeline(&closed);
    engine()->Reset();
    const QString message = generationError([this] { generate(); });
    EXPECT_TRUE(message.startsWith(ppLoadStr(40) + QStringLiteral(": Prices"))) << message.toStdString();
    reader->SetDataPipeline(nullptr);
}

} // namespace

namespace {

// Counts the data starts and ends a report sends.
class DataEvents : public TppCommunicator
{
public:
    explicit DataEvents(TppCommunicator &aReport)
        : TppCommunicator(nullptr)
    {
        SubscribeEvent(ppEvent::DataStart);
        SubscribeEvent(ppEvent::DataEnd);
        aReport.AddEventNotify(this);
    }
    void EventNotify(TppCommunicator *, int aEventID, TraParamList *) override
    {
        (aEventID == ppEvent::DataStart ? starts : ends)++;
    }
    int starts = 0;
    int ends = 0;
};

// Notes how many of its bookmarks are still held when it closes.
class BookmarkedPipeline : public MemoryPipeline
{
public:
    void CloseData() override
    {
        heldAtClose << OutstandingBookmarks();
        MemoryPipeline::CloseData();
    }
    QList<int> heldAtClose;
};

TEST_F(Engine, EachRunEndsItsDataAndClosesWhatItOpenedWhenReset)
{
    rows(100);
    MemoryPipeline lookup;
    lookup.AddField(QStringLiteral("N"));
    lookup.AddRow({QStringLiteral("Zed")});
    auto *reader = new PipelineReader;
    reader->SetmmHeight(5000);
    reader->SetBand(detail);
    reader->SetDataPipeline(&lookup);
    DataEvents events(report);
    for (int run = 1; run <= 2; ++run) {
        generate();
        EXPECT_TRUE(data.GetActive());
        EXPECT_TRUE(lookup.GetActive());
        report.Reset();
        EXPECT_FALSE(data.GetActive()) << "run " << run;
        EXPECT_FALSE(lookup.GetActive()) << "run " << run;
        EXPECT_EQ(events.starts, run);
        EXPECT_EQ(events.ends, run);
    }
    // Closed and unlinked: a reset with nothing started ends nothing.
    report.Reset();
    EXPECT_EQ(events.ends, 2);
    EXPECT_EQ(data.Calls.CloseData, 2);
    EXPECT_EQ(lookup.Calls.CloseData, 2);
    report.RemoveEventNotify(&events);
    reader->SetDataPipeline(nullptr);
}

TEST_F(Engine, TheReportsPipelineClosingOutsideARunTakesTheRunsBookmarksAlong)
{
    BookmarkedPipeline pages;
    pages.AddField(QStringLiteral("G"));
    for (int i = 0; i < 100; ++i)
        pages.AddRow({QStringLiteral("A")});
    report.SetDataPipeline(&pages);
    generate(TppPageSettingType::psSinglePage, 2);
    ASSERT_GT(pages.OutstandingBookmarks(), 0);
    pages.Close();
    EXPECT_EQ(pages.heldAtClose, QList<int>{0});
    report.SetDataPipeline(nullptr);
}

} // namespace
