// Whole searches over a previewed report: pages from the publisher's cache
// or generated for the search, the viewer's device always back on the
// publisher afterwards, stepping across pages.

#include "report/content/ContentRegistration.h"
#include "report/content/drawcommands/DrawRichText.h"
#include "report/content/drawcommands/DrawText.h"
#include "report/model/ModelRegistration.h"
#include "report/model/base/Units.h"
#include "report/model/pages/DeviceRegistry.h"
#include "report/model/pages/Publisher.h"
#include "report/model/production/Producer.h"
#include "report/model/production/SearchErrors.h"
#include "report/model/production/TextSearchSettings.h"
#include "report/output/screen/ScreenDevice.h"
#include "report/output/screen/Viewer.h"
#include "report/output/search/SearchEngineRegistry.h"
#include "report/output/search/SearchRegistration.h"
#include "report/output/search/TextSearchEngine.h"

#include "tests/support/report/PageFakes.h"
#include "tests/support/report/SamplePage.h"

#include "platform/classes/Streams.h"
#include "platform/classes/StringList.h"
#include "platform/richedit/RichEdit.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace report;

namespace {

// Page 2 says "cat" once, page 4 twice; a page can be made to fail.
class SearchEngineTest : public ::testing::Test
{
protected:
    SearchEngineTest()
    {
        ppModelLayerInit();
        ppContentLayerInit();
        ppRegisterDevice(&ppDeviceClass<TppScreenDevice>());
        ppRegisterTextSearch();
        reporttest::SetA4Portrait(*producer->PrinterSetup());
        reporttest::ProducerScript script;
        script.pageCount = 5;
        generator = std::make_unique<reporttest::StandInProducer>(producer->Publisher(), script);
        generator->BeforeDeliver = [](TppPage &aPage) {
            reporttest::SetA4Portrait(*aPage.PrinterSetup());
            const int no = aPage.AbsolutePageNo();
            auto *text = new TppDrawText();
            text->SetText(no == 2 ? "the cat" : no == 4 ? "cat and cat" : "a dog");
            text->SetLeft(20000);
            text->SetTop(30000 - no * 1000);
            text->SetWidth(80000);
            text->SetHeight(5000);
            aPage.AddDrawCommand(text);
        };
        viewer.resize(600, 800);
        viewer.SetReport(producer.get());
        engine = TppSearchEngineRegistry::GetEngineClass("Full Search")->Create(nullptr);
        engine->SetViewer(&viewer);
        engine->SetTextSearchSettings(&settings);
    }
    ~SearchEngineTest() override
    {
        engine.reset();
        viewer.SetReport(nullptr);
        generator.reset();
        producer.reset();
        ppUnRegisterTextSearch();
        ppUnRegisterDevice(&ppDeviceClass<TppScreenDevice>());
        ppContentLayerFinalize();
    }

    void start(bool aCachePages)
    {
        producer->Publisher()->SetCachePages(aCachePages);
        viewer.show();
        producer->PrintToDevices();
        ASSERT_EQ(viewer.AbsolutePageNo(), 1);
    }

    // The viewer's device alone on the publisher, the engine's off it.
    void expectViewerAttached()
    {
        TppPublisher *publisher = producer->Publisher();
        std::vector<TppDevice *> devices;
        for (int i = 0; i < publisher->DeviceCount(); ++i)
            devices.push_back(publisher->Devices(i));
        EXPECT_NE(std::find(devices.begin(), devices.end(), viewer.ScreenDevice()), devices.end());
        EXPECT_EQ(std::find(devices.begin(), devices.end(), engine->OffScreenDevice()), devices.end());
        EXPECT_EQ(engine->ViewerActiveCount(), 1);
    }

    ScopedScreenPixelsPerInch ppi{96};
    reporttest::StandInCommandClasses commands;
    std::unique_ptr<TppProducer> producer = std::make_unique<TppProducer>();
    std::unique_ptr<reporttest::StandInProducer> generator;
    TppViewer viewer;
    TppTextSearchSettings settings;
    std::unique_ptr<TppCustomSearchEngine> engine;
};

} // namespace

TEST_F(SearchEngineTest, GeneratedPagesAreSearchedUpToTheFirstHitThenOnwardWithoutRepeats)
{
    start(false);
    ASSERT_TRUE(engine->Search("cat"));
    EXPECT_EQ(engine->GetFoundPageNo(), 2);
    EXPECT_EQ(viewer.AbsolutePageNo(), 2);
    EXPECT_EQ(engine->OccurrenceCount(), 1);
    expectViewerAttached();

    EXPECT_EQ(engine->NavigateToLast("cat"), 4);
    EXPECT_EQ(engine->OccurrenceCount(), 3);
    // Searched again from the shown page: page 4 is not counted twice.
    EXPECT_EQ(engine->NavigateForward("cat"), 4);
    EXPECT_EQ(engine->OccurrenceCount(), 3);
    expectViewerAttached();

    ASSERT_TRUE(engine->FirstOccurrence());
    EXPECT_TRUE(engine->NextOccurrence());
    EXPECT_EQ(engine->CurrentPageNo(), 4);
    EXPECT_TRUE(engine->NextOccurrence());
    EXPECT_EQ(engine->CurrentOccurrenceNo(), 2);
    EXPECT_FALSE(engine->NextOccurrence());
    EXPECT_EQ(engine->CurrentPageNo(), 4);
    EXPECT_EQ(engine->CurrentOccurrenceNo(), 2);

    // The shown page gets its highlight over the first occurrence.
    viewer.GotoPage(4);
    engine->GotoOccurrencePage(4);
    engine->HighlightPage(viewer.CurrentPage());
    ASSERT_EQ(engine->Highlights().size(), 1u);
    EXPECT_EQ(dynamic_cast<TppDrawText *>(engine->Highlights()[0])->Text(), "cat");
    EXPECT_EQ(engine->Highlights()[0]->Page(), viewer.CurrentPage());
    // A new page on the viewer frees the highlight with the old one.
    viewer.GotoPage(1);
    EXPECT_TRUE(engine->Highlights().empty());
}

TEST_F(SearchEngineTest, AFullCacheIsSearchedWholeAndAPartialOneContinuesByRequest)
{
    start(true);
    // Only page 1 is cached: nothing there, so the pages after it are asked for.
    ASSERT_TRUE(engine->Search("cat"));
    EXPECT_EQ(engine->GetFoundPageNo(), 2);
    EXPECT_FALSE(engine->LastPageReached());

    engine->Reset();
    engine->RequestAllPages();
    ASSERT_EQ(producer->Publisher()->CachedPageCount(), 5);
    const int generated = generator->PagesMade;
    engine->SetStartPageNo(1);
    ASSERT_TRUE(engine->Search("cat"));
    EXPECT_EQ(engine->OccurrenceCount(), 3);
    EXPECT_TRUE(engine->LastPageReached());
    EXPECT_EQ(generator->PagesMade, generated);
    expectViewerAttached();
}

TEST_F(SearchEngineTest, AFailingPageLeavesTheViewerAttachedAndTheNextSearchWorks)
{
    struct FailingEngine : TppRichTextSearchEngine
    {
        using TppRichTextSearchEngine::TppRichTextSearchEngine;
        bool SearchPage(TppPage *aPage, const QString &aText) override
        {
            if (aPage && aPage->AbsolutePageNo() == FailOn)
                throw ESearchEngineError(QStringLiteral("page failed"));
            return TppRichTextSearchEngine::SearchPage(aPage, aText);
        }
        int FailOn = 2;
    };
    auto failing = std::make_unique<FailingEngine>();
    failing->SetViewer(&viewer);
    failing->SetTextSearchSettings(&settings);
    engine = std::move(failing);
    start(false);
    EXPECT_THROW(engine->Search("cat"), ESearchEngineError);
    expectViewerAttached();
    EXPECT_THROW(engine->NavigateForward("cat"), ESearchEngineError);
    expectViewerAttached();
    static_cast<FailingEngine &>(*engine).FailOn = 0;
    EXPECT_TRUE(engine->Search("cat"));
    EXPECT_EQ(engine->GetFoundPageNo(), 2);
    // Nothing to cancel without a publisher, and it says so.
    engine->SetViewer(nullptr);
    EXPECT_THROW(engine->CancelSearch(), ESearchEngineError);
}

TEST_F(SearchEngineTest, OddSearchTextsEndWithoutHangingAndFindWhatIsThere)
{
    start(false);
    EXPECT_FALSE(engine->Search(""));
    engine->SetStartPageNo(1);
    EXPECT_FALSE(engine->Search(QString(10000, u'c')));
    engine->SetStartPageNo(1);
    EXPECT_FALSE(engine->Search("\r\n"));
    engine->SetStartPageNo(1);
    EXPECT_FALSE(engine->Search(QStringLiteral("$\u00B6")));
    settings.SetWholeWord(true);
    engine->SetStartPageNo(1);
    // A lone separator is a substring even for whole words: "a dog" on page 1.
    ASSERT_TRUE(engine->Search(" "));
    EXPECT_EQ(engine->GetFoundPageNo(), 1);
    EXPECT_EQ(engine->FoundPageNo(), 1);
    expectViewerAttached();
}

TEST_F(SearchEngineTest, ACancelAtAnyPageEndsTheSearchOnTheShownPage)
{
    for (int k = 1; k <= 5; ++k) {
        SCOPED_TRACE(k);
        int delivered = 0;
        generator->BeforeDeliver = [&](TppPage &aPage) {
            reporttest::SetA4Portrait(*aPage.PrinterSetup());
            if (++delivered == k && engine->ViewerActiveCount() <= 0)
                engine->CancelSearch();
        };
        if (k == 1)
            start(false);
        viewer.GotoPage(1);
        engine->SetStartPageNo(1);
        delivered = 0;
        // Only page 4 holds "and": pages 2 to 4 are generated for it.
        EXPECT_FALSE(engine->Search("and"));
        EXPECT_TRUE(engine->Cancelled());
        EXPECT_EQ(engine->GetFoundPageNo(), viewer.AbsolutePageNo());
        EXPECT_EQ(engine->OccurrenceCount(), 0);
        expectViewerAttached();
    }
}

TEST_F(SearchEngineTest, AStalePageSearchIsReportedAndTheNextSearchWorks)
{
    start(false);
    ASSERT_TRUE(engine->Search("cat"));
    ASSERT_TRUE(engine->FirstOccurrence());
    // The page comes again without its text.
    TppPage *shown = viewer.CurrentPage();
    while (shown->DrawCommandCount() > 0)
        delete shown->DrawCommands(shown->DrawCommandCount() - 1);
    EXPECT_THROW(engine->HighlightPage(shown), ESearchEngineError);
    EXPECT_TRUE(engine->Highlights().empty());
    engine->SetStartPageNo(1);
    viewer.GotoPage(1);
    EXPECT_TRUE(engine->Search("cat"));
    expectViewerAttached();
}

TEST(SearchEngineViewerGone, ClosingThePreviewMidSearchLeavesNothingDangling)
{
    ScopedScreenPixelsPerInch ppi{96};
    ppModelLayerInit();
    ppContentLayerInit();
    ppRegisterDevice(&ppDeviceClass<TppScreenDevice>());
    ppRegisterTextSearch();
    {
        reporttest::StandInCommandClasses commands;
        TppProducer producer;
        reporttest::SetA4Portrait(*producer.PrinterSetup());
        reporttest::ProducerScript script;
        script.pageCount = 6;
        reporttest::StandInProducer generator(producer.Publisher(), script);
        auto viewer = std::make_unique<TppViewer>();
        TppRichTextSearchEngine engine;
        generator.BeforeDeliver = [&](TppPage &aPage) {
            reporttest::SetA4Portrait(*aPage.PrinterSetup());
            if (aPage.AbsolutePageNo() == 3 && viewer && engine.ViewerActiveCount() <= 0)
                viewer.reset();
        };
        viewer->resize(400, 500);
        viewer->SetReport(&producer);
        viewer->show();
        producer.PrintToDevices();
        engine.SetViewer(viewer.get());
        EXPECT_FALSE(engine.Search("nothing"));
        EXPECT_EQ(viewer, nullptr);
        EXPECT_EQ(engine.Viewer(), nullptr);
        // The report is not left feeding the engine's own device.
        EXPECT_EQ(engine.OffScreenDevice()->Publisher(), nullptr);
        EXPECT_EQ(producer.Publisher()->DeviceCount(), 0);
        EXPECT_THROW(engine.Search("nothing"), ESearchEngineError);
    }
    ppUnRegisterTextSearch();
    ppUnRegisterDevice(&ppDeviceClass<TppScreenDevice>());
    ppContentLayerFinalize();
}

TEST_F(SearchEngineTest, ShowAllHighlightsEveryOccurrenceOfTheShownPage)
{
    start(false);
    settings.SetShowAll(true);
    engine->SetSearchAllPages(true);
    ASSERT_TRUE(engine->Search("cat"));
    EXPECT_EQ(engine->OccurrenceCount(), 3);
    ASSERT_TRUE(engine->LastOccurrence());
    viewer.GotoPage(4);
    engine->HighlightPage(viewer.CurrentPage());
    ASSERT_EQ(engine->Highlights().size(), 2u);
    EXPECT_LT(engine->Highlights()[0]->Left(), engine->Highlights()[1]->Left());
    EXPECT_EQ(engine->CurrentOccurrenceNo(), 2);
    // Another page shown: its search becomes current from its first hit.
    viewer.GotoPage(2);
    engine->HighlightPage(viewer.CurrentPage());
    EXPECT_EQ(engine->Highlights().size(), 1u);
    EXPECT_EQ(engine->CurrentOccurrenceNo(), 0);
    EXPECT_TRUE(engine->NextOccurrence());
    EXPECT_EQ(engine->CurrentPageNo(), 4);
}

TEST_F(SearchEngineTest, ARichTextOccurrenceGetsItsColoursBackBeforeTheNextIsMarked)
{
    richedit::RichEdit source;
    source.SetText("one cat, two cat");
    const QByteArray rtf = source.SaveToBytes();
    generator->BeforeDeliver = [&rtf](TppPage &aPage) {
        reporttest::SetA4Portrait(*aPage.PrinterSetup());
        if (aPage.AbsolutePageNo() != 3)
            return;
        auto *rich = new TppDrawRichText();
        rich->RichTextStream().Write(rtf.constData(), rtf.size());
        rich->SetStartCharPos(0);
        rich->SetEndCharPos(16);
        rich->SetTop(20000);
        rich->SetWidth(50000);
        rich->SetHeight(20000);
        aPage.AddDrawCommand(rich);
    };
    start(false);
    engine->SetStartPageNo(3);
    ASSERT_TRUE(engine->Search("cat"));
    ASSERT_EQ(viewer.AbsolutePageNo(), 3);
    ASSERT_EQ(engine->OccurrenceCount(), 2);
    auto *rich = dynamic_cast<TppDrawRichText *>(viewer.CurrentPage()->FindDrawCommand(TppDrawRichText::StaticClass()));
    ASSERT_NE(rich, nullptr);
    auto backAt = [rich](int aPosition) {
        richedit::RichEdit read;
        classes::TMemoryStream &stream = rich->RichTextStream();
        read.LoadFromBytes(QByteArray(stream.Memory(), qsizetype(stream.Size())));
        read.SetSelStart(aPosition);
        read.SetSelLength(1);
        return read.SelAttributes().backColor;
    };
    ASSERT_TRUE(engine->FirstOccurrence());
    engine->HighlightPage(viewer.CurrentPage());
    EXPECT_TRUE(engine->Highlights().empty());
    EXPECT_EQ(backAt(5), 0x6A240A);
    ASSERT_TRUE(engine->NextOccurrence());
    EXPECT_NE(backAt(5), 0x6A240A);
    engine->HighlightPage(viewer.CurrentPage());
    EXPECT_EQ(backAt(14), 0x6A240A);
    engine->ClearHighlights();
    EXPECT_NE(backAt(14), 0x6A240A);
}

TEST_F(SearchEngineTest, NextFromAnEarlierShownPageGoesOnPastTheOccurrencesAlreadyFound)
{
    start(false);
    ASSERT_TRUE(engine->Search("cat"));
    ASSERT_TRUE(engine->FirstOccurrence());
    // The user pages back before asking for the next occurrence: page 2's
    // known hit must not stop the walk, or Next would never get further.
    viewer.GotoPage(1);
    EXPECT_EQ(engine->NavigateForward("cat"), 4);
    EXPECT_EQ(engine->OccurrenceCount(), 3);
    EXPECT_TRUE(engine->NextOccurrence());
    EXPECT_EQ(engine->CurrentPageNo(), 4);
    expectViewerAttached();
}

// Cancels the engine's search at the k-th result notice it sends.
class CancelAtNotice : public TppCommunicator
{
public:
    CancelAtNotice(TppCustomSearchEngine &aEngine, int aAt)
        : TppCommunicator(nullptr)
        , m_engine(aEngine)
        , m_at(aAt)
    {
        TppEventSet events;
        events.set(ppEvent::SearchResultsChanged);
        SetEventSubscriptions(events);
        aEngine.AddEventNotify(this);
    }
    ~CancelAtNotice() override { BeforeDestruction(); }
    void EventNotify(TppCommunicator *aSender, int aEventID, TraParamList *aParams) override
    {
        TppCommunicator::EventNotify(aSender, aEventID, aParams);
        if (aEventID == ppEvent::SearchResultsChanged && ++m_seen == m_at)
            m_engine.CancelSearch();
    }
    int Seen() const { return m_seen; }

private:
    TppCustomSearchEngine &m_engine;
    int m_at;
    int m_seen = 0;
};

TEST_F(SearchEngineTest, ACancelAtAnyResultNoticeOfAnAllPagesSearchLeavesAWorkingEngine)
{
    start(true);
    settings.SetShowAll(true);
    for (int k = 1;; ++k) {
        SCOPED_TRACE(k);
        engine->Reset();
        engine->SetStartPageNo(1);
        engine->SetSearchAllPages(true);
        CancelAtNotice cancel(*engine, k);
        const bool found = engine->Search("cat");
        expectViewerAttached();
        if (cancel.Seen() < k) {
            // Past the last notice the search runs to its end.
            EXPECT_TRUE(found);
            EXPECT_EQ(engine->OccurrenceCount(), 3);
            break;
        }
        EXPECT_FALSE(found);
        EXPECT_TRUE(engine->Cancelled());
        EXPECT_EQ(engine->OccurrenceCount(), 0);
        EXPECT_FALSE(engine->FirstOccurrence());
        engine->HighlightPage(viewer.CurrentPage());
        EXPECT_TRUE(engine->Highlights().empty());
    }
}

TEST_F(SearchEngineTest, MemoLinesKeepTheirReadingOrderAtEveryZoom)
{
    // The memo's third line lies at about 18.5 mm; the text at 20 mm is
    // below it however large the page is shown.
    generator->BeforeDeliver = [](TppPage &aPage) {
        reporttest::SetA4Portrait(*aPage.PrinterSetup());
        auto *memo = new TppDrawText();
        memo->SetIsMemo(true);
        classes::TStringList lines;
        lines.Add("cat");
        lines.Add("dog");
        lines.Add("cat");
        memo->SetWrappedText(&lines);
        memo->SetLeft(10000);
        memo->SetTop(10000);
        memo->SetWidth(50000);
        memo->SetHeight(3 * 4233);
        aPage.AddDrawCommand(memo);
        auto *text = new TppDrawText();
        text->SetText("cat");
        text->SetLeft(10000);
        text->SetTop(20000);
        text->SetWidth(50000);
        text->SetHeight(4233);
        aPage.AddDrawCommand(text);
    };
    start(false);
    for (int zoom : {100, 50, 200}) {
        SCOPED_TRACE(zoom);
        viewer.SetZoomPercentage(zoom);
        engine->Reset();
        engine->SetStartPageNo(1);
        ASSERT_TRUE(engine->Search("cat"));
        ASSERT_EQ(engine->OccurrenceCount(), 3);
        std::vector<std::pair<int, int>> order;
        for (bool more = engine->FirstOccurrence(); more; more = engine->NextOccurrence()) {
            auto *info = static_cast<TppTextSearchEngine &>(*engine).CurrentInfo();
            order.emplace_back(info->DrawCommandIndex(), info->LineNo());
        }
        const int memoIndex = viewer.CurrentPage()->DrawCommandCount() - 2;
        EXPECT_EQ(order, (std::vector<std::pair<int, int>>{{memoIndex, 1}, {memoIndex, 3}, {memoIndex + 1, 1}}));
    }
}

TEST(SearchSettingsWalkieTalkie, FreedFromOutsideItIsReplacedAndItsLinksStillLearnWhenTheSettingsGo)
{
    auto settings = std::make_unique<TppTextSearchSettings>();
    TppRichTextSearchEngine engine;
    engine.SetTextSearchSettings(settings.get());
    TppCommunicator *first = settings->WalkieTalkie();
    delete first;
    ASSERT_NE(settings->WalkieTalkie(), nullptr);
    EXPECT_NE(settings->WalkieTalkie(), first);
    EXPECT_EQ(engine.TextSearchSettings(), settings.get());
    settings.reset();
    EXPECT_EQ(engine.TextSearchSettings(), nullptr);
}

TEST_F(SearchEngineTest, AViewerGivenAnotherReportIsSearchedAndLeftOnThatReport)
{
    start(false);
    TppProducer other;
    reporttest::SetA4Portrait(*other.PrinterSetup());
    reporttest::ProducerScript script;
    script.pageCount = 2;
    reporttest::StandInProducer otherPages(other.Publisher(), script);
    viewer.SetReport(&other);
    other.PrintToDevices();
    engine->SetStartPageNo(1);
    // The other report has no cat: the first one's are not to be found.
    EXPECT_FALSE(engine->Search("cat"));
    EXPECT_EQ(engine->Publisher(), other.Publisher());
    EXPECT_EQ(viewer.ScreenDevice()->Publisher(), other.Publisher());

    viewer.SetReport(nullptr);
    EXPECT_THROW(engine->Search("cat"), ESearchEngineError);
    EXPECT_EQ(viewer.ScreenDevice()->Publisher(), nullptr);
    EXPECT_EQ(engine->ViewerActiveCount(), 1);
}
