// Figures to read: BM_MemoOverPages's "ms_page10" and "ms_page900" (the time
// one page of the memo takes early and late in the text: a memo that went
// back to the start of its text, or measured a whole line again for every
// word, would make the late page slower), and BM_WrapText's bytes per second,
// which BM_WrapLargeMemoByPages should match for a memo of 50 MB.

#include "tests/support/report/BandSequence.h"
#include "tests/support/report/FakePrinters.h"
#include "tests/support/report/MemoryPipeline.h"
#include "tests/support/report/SamplePage.h"

#include "report/content/text/Memo.h"
#include "report/model/ModelRegistration.h"
#include "report/model/bands/BandClasses.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/engine/Engine.h"
#include "report/model/pages/PageRequest.h"
#include "report/model/printing/Printer.h"
#include "report/model/text/PlainText.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <chrono>
#include <vector>

using namespace report;

namespace {

// Sentences of ordinary words.
QString memoBenchTextOf(qsizetype aMegabytes)
{
    const QStringList words{"report",  "memo", "stretches", "over", "the",     "page", "and",
                            "carries", "on",   "where",     "it",   "stopped", "with", "every word"};
    QString result;
    result.reserve(aMegabytes * 1024 * 1024 + 64);
    for (int i = 0; result.size() < aMegabytes * 1024 * 1024; ++i) {
        result += words[i % words.size()];
        result += (i % 97 == 96) ? QStringLiteral(".\r\n") : QStringLiteral(" ");
    }
    return result;
}

QString memoBenchText()
{
    static const QString text = memoBenchTextOf(2);
    return text;
}

class BenchReport : public reporttest::RecordingReport
{
public:
    const PrinterResolution *Printer() const override { return printer; }
    TppPrinter *printer = nullptr;
};

struct MemoFixture
{
    MemoFixture()
    {
        ppModelLayerInit();
        fake->add("Office");
        printer.SetPrinterName(QStringLiteral("Office"));
        report.printer = &printer;
        reporttest::SetA4Portrait(*report.PrinterSetup());
        report.SetPageLimit(5000);
        report.AddBand<TppHeaderBand>(20000);
        report.AddBand<TppFooterBand>(20000);
        auto *detail = report.AddBand<TppDetailBand>(5000);
        memo = new TppMemo();
        memo->SetBand(detail);
        // About 32 characters a line: some thousand pages of text.
        memo->SetBounds(0, 0, 55000, 5000);
        memo->SetStretch(true);
        memo->SetText(memoBenchText());
        data.AddField(QStringLiteral("Key"));
        data.AddRow({1});
        report.SetDataPipeline(&data);
    }

    ScopedScreenPixelsPerInch screen{96};
    reporttest::FakePrinters fake;
    TppPrinter printer;
    reporttest::MemoryPipeline data;
    BenchReport report;
    TppMemo *memo = nullptr;
};

void BM_MemoOverPages(benchmark::State &state)
{
    MemoFixture f;
    using Clock = std::chrono::steady_clock;
    std::vector<double> pageMs;
    Clock::time_point last;
    f.report.OnStartPage.Set([&](classes::TObject *) { last = Clock::now(); });
    f.report.OnEndPage.Set([&](classes::TObject *) {
        pageMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - last).count());
    });
    const auto run = [&f] {
        TppPageRequest request;
        request.SetPageSetting(TppPageSettingType::psAll);
        auto *engine = static_cast<TppEngine *>(f.report.Engine());
        engine->GeneratePage(request);
        engine->Reset();
    };
    // Once beforehand, so that the fonts' caches are as warm on the tenth
    // page as on the nine hundredth.
    run();
    for (auto _ : state) {
        pageMs.clear();
        run();
    }
    // The mean of five pages around each point, against the noise of one.
    const auto around = [&](size_t aPage) {
        double sum = 0;
        int count = 0;
        for (size_t p = aPage - 2; p <= aPage + 2 && p < pageMs.size(); ++p, ++count)
            sum += pageMs[p];
        return count ? sum / count : 0.0;
    };
    state.counters["pages"] = double(pageMs.size());
    state.counters["ms_page10"] = around(9);
    state.counters["ms_page900"] = around(899);
}
BENCHMARK(BM_MemoOverPages)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_WrapText(benchmark::State &state)
{
    MemoFixture f;
    const QString text = memoBenchText();
    for (auto _ : state) {
        qsizetype position = 0;
        QStringList lines;
        // One rectangle deep enough for every line.
        TppPlainText::WordWrap(text, rtl::TRect{0, 0, 65000, 2000000000}, TppTextAlignment::taLeftJustified, false,
                               f.memo->Font()->Font(), false, 0, {}, &f.printer, position, lines);
        benchmark::DoNotOptimize(lines);
    }
    // The text is ASCII: a character is a byte of it.
    state.SetBytesProcessed(int64_t(state.iterations()) * text.size());
}
BENCHMARK(BM_WrapText)->Iterations(2)->Unit(benchmark::kMillisecond);

// A memo of 50 MB wrapped as the engine wraps a stretching memo: one page's
// rectangle at a time, each from where the last stopped. Its bytes per
// second should be BM_WrapText's: a page that cost anything in proportion
// to the whole text would make this one crawl.
void BM_WrapLargeMemoByPages(benchmark::State &state)
{
    MemoFixture f;
    const QString text = memoBenchTextOf(state.range(0));
    int64_t pages = 0;
    for (auto _ : state) {
        pages = 0;
        qsizetype position = 0;
        while (position < text.size()) {
            QStringList lines;
            const qsizetype before = position;
            TppPlainText::WordWrap(text, rtl::TRect{0, 0, 55000, 250000}, TppTextAlignment::taLeftJustified, false,
                                   f.memo->Font()->Font(), false, 0, {}, &f.printer, position, lines);
            ++pages;
            if (position == before)
                break;
            benchmark::DoNotOptimize(lines);
        }
    }
    state.counters["pages"] = double(pages);
    state.SetBytesProcessed(int64_t(state.iterations()) * text.size());
}
BENCHMARK(BM_WrapLargeMemoByPages)->Arg(50)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
