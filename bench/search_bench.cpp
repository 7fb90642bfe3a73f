// What a search costs on 1,000 pages of 50 texts (5 of them memos of four
// lines), the word on every tenth page:
//   cached     all pages in the publisher's cache: search, then step to every
//              occurrence;
//   show_all   the same with every occurrence highlighted: each page with
//              occurrences shown in the viewer and all of them drawn;
//   generated  no cache: the search and the scan to the last page generate
//              every page through the engine's own device;
//   floor      QString::indexOf over the same texts;
//   long text  one text of 20,000 hits, Latin (0) and Cyrillic (1).
// Each reports ms per page, the ratio to the floor and the longest time the
// window went without its events being served.

#include "tests/support/report/PageFakes.h"
#include "tests/support/report/SamplePage.h"

#include "report/content/ContentRegistration.h"
#include "report/content/drawcommands/DrawText.h"
#include "report/model/ModelRegistration.h"
#include "report/model/base/Units.h"
#include "report/model/pages/Page.h"
#include "report/model/pages/PageRequest.h"
#include "report/model/pages/Publisher.h"
#include "report/model/production/Producer.h"
#include "report/model/production/TextSearchSettings.h"
#include "report/output/screen/ScreenDevice.h"
#include "report/output/screen/Viewer.h"
#include "report/output/search/SearchInfo.h"
#include "report/output/search/SearchRegistration.h"
#include "report/output/search/TextSearchEngine.h"

#include "platform/classes/StringList.h"
#include "platform/controls/EventPump.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <memory>

using namespace report;

namespace {

constexpr int SearchBenchPages = 1000;
constexpr int SearchBenchTexts = 50;
constexpr int SearchBenchMemos = 5;
const QString SearchBenchWord = QStringLiteral("zebra");

QString searchBenchText(int aPage, int aText)
{
    return QStringLiteral("Customer %1 ordered item %2 on page %3").arg(aText * 7).arg(aText).arg(aPage);
}

QStringList searchBenchMemoLines(int aPage, int aText)
{
    QStringList lines;
    for (int line = 0; line < 4; ++line)
        lines << QStringLiteral("Note %1 of item %2, line %3: delivered to the warehouse")
                     .arg(aPage)
                     .arg(aText)
                     .arg(line);
    return lines;
}

void searchBenchFill(TppPage &aPage)
{
    const int no = aPage.AbsolutePageNo();
    for (int i = 0; i < SearchBenchTexts; ++i) {
        auto *text = new TppDrawText();
        if (i < SearchBenchMemos) {
            classes::TStringList lines;
            for (const QString &line : searchBenchMemoLines(no, i))
                lines.Add(line);
            text->SetIsMemo(true);
            text->SetWrappedText(&lines);
        } else {
            text->SetText(no % 10 == 0 && i == 20 ? QStringLiteral("A %1 was seen").arg(SearchBenchWord)
                                                  : searchBenchText(no, i));
        }
        text->SetLeft(10000 + (i % 2) * 90000);
        text->SetTop(10000 + (i / 2) * 10000);
        text->SetWidth(85000);
        text->SetHeight(i < SearchBenchMemos ? 16000 : 4000);
        aPage.AddDrawCommand(text);
    }
}

// Generates the pages asked for and no others, as a report engine that
// resumes where a request starts (the tests' stand-in starts over at page 1).
class SearchBenchGenerator : public TppCommunicator
{
public:
    explicit SearchBenchGenerator(TppPublisher *aPublisher)
        : TppCommunicator(nullptr)
        , m_publisher(aPublisher)
    {
        SubscribeEvent(ppEvent::PageRequest);
        aPublisher->AddEventNotify(this);
    }
    ~SearchBenchGenerator() override { BeforeDestruction(); }

    void EventNotify(TppCommunicator *aCommunicator, int aEventID, TraParamList *aParams) override
    {
        TppCommunicator::EventNotify(aCommunicator, aEventID, aParams);
        if (aEventID != ppEvent::PageRequest || aCommunicator != m_publisher)
            return;
        const TppPageRequest *request = m_publisher->PageRequest();
        int no = request && request->PageSetting() == TppPageSettingType::psSinglePage
                     ? std::clamp(int(request->PageRequested()), 1, SearchBenchPages)
                     : 1;
        for (; no <= SearchBenchPages && m_publisher && !m_publisher->RequestComplete(); ++no) {
            TppPage page;
            reporttest::SetA4Portrait(*page.PrinterSetup());
            page.SetAbsolutePageNo(no);
            page.SetPageNo(no);
            page.SetAbsolutePageCount(SearchBenchPages);
            page.SetPageCount(SearchBenchPages);
            page.SetFirstPage(no == 1);
            page.SetLastPage(no == SearchBenchPages);
            page.SetFinal(true);
            searchBenchFill(page);
            m_publisher->ReceivePage(&page);
        }
    }
    void Notify(TppCommunicator *aCommunicator, int aOperation) override
    {
        if (aOperation == ppNotify::Remove && aCommunicator == m_publisher)
            m_publisher = nullptr;
        TppCommunicator::Notify(aCommunicator, aOperation);
    }

private:
    TppPublisher *m_publisher;
};

// The steady clock, keeping the longest stretch between two rounds of
// events.
class SearchBenchGapClock : public controls::SteadyClock
{
public:
    void serveUntil(int64_t aDeadline, const std::function<bool()> &aDone) override
    {
        note();
        controls::SteadyClock::serveUntil(aDeadline, aDone);
        m_last = m_timer.nsecsElapsed();
    }
    void start()
    {
        m_timer.start();
        m_last = 0;
        m_longest = 0;
    }
    void note() { m_longest = std::max<int64_t>(m_longest, m_timer.nsecsElapsed() - m_last); }
    double longestMs() const { return double(m_longest) / 1e6; }

private:
    QElapsedTimer m_timer;
    int64_t m_last = 0;
    int64_t m_longest = 0;
};

struct SearchBenchReport
{
    explicit SearchBenchReport(bool aCache)
    {
        ppModelLayerInit();
        ppContentLayerInit();
        ppRegisterTextSearch();
        reporttest::SetA4Portrait(*producer.PrinterSetup());
        producer.Publisher()->SetCachePages(aCache);
        generator = std::make_unique<SearchBenchGenerator>(producer.Publisher());
        viewer.resize(800, 1000);
        viewer.SetZoomSetting(TppZoomSettingType::zsWholePage);
        viewer.show();
        viewer.SetReport(&producer);
        producer.PrintToDevices();
        if (aCache) {
            viewer.LastPage();
            viewer.FirstPage();
        }
        engine.SetViewer(&viewer);
        engine.SetTextSearchSettings(&settings);
    }
    ~SearchBenchReport()
    {
        engine.SetViewer(nullptr);
        viewer.SetReport(nullptr);
        ppUnRegisterTextSearch();
        ppContentLayerFinalize();
    }
    ScopedScreenPixelsPerInch ppi{96};
    reporttest::StandInCommandClasses commands;
    TppProducer producer;
    std::unique_ptr<SearchBenchGenerator> generator;
    TppViewer viewer;
    TppTextSearchSettings settings;
    TppRichTextSearchEngine engine;
    SearchBenchGapClock clock;
    controls::ScopedClock clockInPlace{&clock};
};

// The floor, once: ms for the texts of all pages.
double searchBenchFloorMs()
{
    static const double floor = [] {
        QStringList texts;
        for (int page = 1; page <= SearchBenchPages; ++page)
            for (int i = 0; i < SearchBenchTexts; ++i)
                if (i < SearchBenchMemos)
                    texts << searchBenchMemoLines(page, i);
                else
                    texts << (page % 10 == 0 && i == 20 ? QStringLiteral("A zebra was seen")
                                                        : searchBenchText(page, i));
        double best = 1e9;
        for (int round = 0; round < 5; ++round) {
            QElapsedTimer timer;
            timer.start();
            int hits = 0;
            for (const QString &text : texts)
                hits += text.indexOf(SearchBenchWord, 0, Qt::CaseInsensitive) >= 0;
            benchmark::DoNotOptimize(hits);
            best = std::min(best, double(timer.nsecsElapsed()) / 1e6);
        }
        return best;
    }();
    return floor;
}

void searchBenchCounters(benchmark::State &aState, double aMs, double aGapMs, int aHits)
{
    aState.counters["ms"] = aMs;
    aState.counters["ms_per_page"] = aMs / SearchBenchPages;
    aState.counters["x_floor"] = aMs / searchBenchFloorMs();
    aState.counters["longest_gap_ms"] = aGapMs;
    aState.counters["hits"] = aHits;
}

void BM_SearchCachedAndStep(benchmark::State &state)
{
    SearchBenchReport report(true);
    for (auto _ : state) {
        report.engine.Reset();
        report.engine.SetStartPageNo(1);
        report.clock.start();
        QElapsedTimer timer;
        timer.start();
        report.engine.Search(SearchBenchWord);
        int hits = report.engine.FirstOccurrence() ? 1 : 0;
        while (report.engine.NextOccurrence())
            ++hits;
        report.clock.note();
        searchBenchCounters(state, double(timer.nsecsElapsed()) / 1e6, report.clock.longestMs(), hits);
    }
}
BENCHMARK(BM_SearchCachedAndStep)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_SearchCachedShowAll(benchmark::State &state)
{
    SearchBenchReport report(true);
    report.settings.SetShowAll(true);
    for (auto _ : state) {
        report.engine.Reset();
        report.engine.SetStartPageNo(1);
        report.engine.SetSearchAllPages(true);
        report.clock.start();
        QElapsedTimer timer;
        timer.start();
        report.engine.Search(SearchBenchWord);
        int highlights = 0;
        for (int page = 10; page <= SearchBenchPages; page += 10) {
            report.engine.ClearHighlights();
            report.engine.GotoOccurrencePage(page);
            report.viewer.GotoPage(page);
            report.engine.HighlightPage(report.viewer.CurrentPage());
            highlights += int(report.engine.Highlights().size());
            controls::processEventsFor(0);
        }
        report.clock.note();
        searchBenchCounters(state, double(timer.nsecsElapsed()) / 1e6, report.clock.longestMs(), highlights);
        report.engine.ClearHighlights();
        report.viewer.FirstPage();
    }
}
BENCHMARK(BM_SearchCachedShowAll)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_SearchGeneratingPages(benchmark::State &state)
{
    SearchBenchReport report(false);
    for (auto _ : state) {
        report.engine.Reset();
        report.engine.SetStartPageNo(1);
        report.viewer.FirstPage();
        report.clock.start();
        QElapsedTimer timer;
        timer.start();
        report.engine.Search(SearchBenchWord);
        report.engine.NavigateToLast(SearchBenchWord);
        report.clock.note();
        searchBenchCounters(state, double(timer.nsecsElapsed()) / 1e6, report.clock.longestMs(),
                            report.engine.OccurrenceCount());
    }
}
BENCHMARK(BM_SearchGeneratingPages)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_IndexOfFloor(benchmark::State &state)
{
    for (auto _ : state)
        state.counters["ms"] = searchBenchFloorMs();
}
BENCHMARK(BM_IndexOfFloor)->Iterations(1)->Unit(benchmark::kMillisecond);

// One text of 20,000 names, each a hit of a search without case
// sensitivity, in Latin and in Cyrillic letters: each hit cuts the text and
// the search goes on in the rest.
void BM_SearchOneLongText(benchmark::State &state)
{
    const bool cyrillic = state.range(0) != 0;
    QString text;
    for (int i = 0; i < 20000; ++i)
        text += cyrillic ? QStringLiteral("Иван Петров ") : QStringLiteral("Ivan Petrov ");
    TppDrawText drawText;
    drawText.SetText(text);
    TppTextSearchEngine engine;
    for (auto _ : state) {
        std::vector<std::unique_ptr<TppDrawCommandSearchInfo>> found;
        engine.BuildDrawTextSearchInfoList(&drawText, 0, found,
                                           cyrillic ? QStringLiteral("иван") : QStringLiteral("ivan"));
        state.counters["hits"] = double(found.size());
    }
}
BENCHMARK(BM_SearchOneLongText)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
