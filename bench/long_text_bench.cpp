// Figures to read: BM_DataMemo's "ms_per_MB" at 1 and 4 MB, and the
// "us_per_paragraph" of BM_DataRichText (paragraphs of words) and
// BM_DataRichTextBare (empty paragraphs) from thousands to two million
// paragraphs (the pages drawn at 600 dpi as the printer device draws them).
// All should stay flat as the text grows: work done once a page in
// proportion to the whole text makes them grow with it, and a text laid out
// in one piece stalled once it was taller than the layout's limit (about
// 600,000 empty paragraphs).

#include "tests/support/report/BandSequence.h"
#include "tests/support/report/FakePrinters.h"
#include "tests/support/report/MemoryPipeline.h"
#include "tests/support/report/SamplePage.h"

#include "report/content/drawcommands/DrawRichText.h"
#include "report/content/richtext/RichText.h"
#include "report/content/text/Memo.h"
#include "report/model/ModelRegistration.h"
#include "report/model/bands/BandClasses.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/engine/Engine.h"
#include "report/model/pages/Page.h"
#include "report/model/pages/PageRequest.h"
#include "report/model/printing/Printer.h"

#include "platform/gfx/Canvas.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>

#include <chrono>
#include <functional>

using namespace report;

namespace {

class LongTextReport : public reporttest::RecordingReport
{
public:
    const PrinterResolution *Printer() const override { return printer; }
    TppPrinter *printer = nullptr;
};

struct LongTextFixture
{
    explicit LongTextFixture(const QString &aText)
    {
        ppModelLayerInit();
        fake->add("Office");
        printer.SetPrinterName(QStringLiteral("Office"));
        report.printer = &printer;
        reporttest::SetA4Portrait(*report.PrinterSetup());
        report.SetPageLimit(100000);
        report.AddBand<TppHeaderBand>(20000);
        report.AddBand<TppFooterBand>(20000);
        detail = report.AddBand<TppDetailBand>(5000);
        data.AddField(QStringLiteral("Text"));
        data.AddRow({aText});
        report.SetDataPipeline(&data);
    }

    int generate()
    {
        int pages = 0;
        report.OnEndPage.Set([&](classes::TObject *) {
            ++pages;
            if (onPage)
                onPage(*static_cast<TppEngine *>(report.Engine())->Page());
        });
        TppPageRequest request;
        request.SetPageSetting(TppPageSettingType::psAll);
        auto *engine = static_cast<TppEngine *>(report.Engine());
        engine->GeneratePage(request);
        engine->Reset();
        return pages;
    }

    ScopedScreenPixelsPerInch screen{96};
    reporttest::FakePrinters fake;
    TppPrinter printer;
    reporttest::MemoryPipeline data;
    LongTextReport report;
    TppDetailBand *detail = nullptr;
    std::function<void(const TppPage &)> onPage;
};

// The mean time of one run, in milliseconds.
template <class Run>
double timedRuns(benchmark::State &aState, Run aRun)
{
    using Clock = std::chrono::steady_clock;
    double total = 0;
    for (auto _ : aState) {
        const Clock::time_point start = Clock::now();
        aRun();
        total += std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    }
    return aState.iterations() ? total / double(aState.iterations()) : 0.0;
}

QString longTextWords(qsizetype aSize)
{
    const QStringList words{"report", "memo", "stretches", "over", "the", "page", "and", "carries", "on", "where"};
    QString result;
    result.reserve(aSize + 16);
    for (int i = 0; result.size() < aSize; ++i) {
        result += words[i % words.size()];
        result += (i % 97 == 96) ? QStringLiteral(".\r\n") : QStringLiteral(" ");
    }
    return result;
}

void BM_DataMemo(benchmark::State &state)
{
    LongTextFixture f(longTextWords(state.range(0) * 1024 * 1024));
    auto *memo = new TppDBMemo();
    memo->SetBand(f.detail);
    memo->SetBounds(0, 0, 180000, 5000);
    memo->SetStretch(true);
    memo->SetDataPipeline(&f.data);
    memo->SetDataField(QStringLiteral("Text"));
    int pages = 0;
    const double ms = timedRuns(state, [&] { pages = f.generate(); });
    state.counters["pages"] = double(pages);
    state.counters["ms_per_MB"] = ms / double(state.range(0));
}
BENCHMARK(BM_DataMemo)->Arg(1)->Arg(4)->Iterations(1)->Unit(benchmark::kMillisecond);

QString longRtf(qsizetype aParagraphs)
{
    QString rtf = QStringLiteral("{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 ");
    for (qsizetype p = 0; p < aParagraphs; ++p)
        rtf += QStringLiteral("{\\b Item %1} with a few words after it\\par ").arg(p);
    return rtf + u'}';
}

void runDataRichText(benchmark::State &state, const QString &aRtf)
{
    LongTextFixture f(aRtf);
    auto *rich = new TppDBRichText();
    rich->SetBand(f.detail);
    rich->SetBounds(0, 0, 180000, 5000);
    rich->SetStretch(true);
    rich->SetDataPipeline(&f.data);
    rich->SetDataField(QStringLiteral("Text"));
    // Each page's rich text drawn as the printer device draws it.
    QImage image(64, 64, QImage::Format_ARGB32_Premultiplied);
    gfx::Canvas canvas(&image);
    f.onPage = [&](const TppPage &aPage) {
        for (int i = 0; i < aPage.DrawCommandCount(); ++i)
            if (auto *command = dynamic_cast<TppDrawRichText *>(aPage.DrawCommands(i)))
                command->DrawToPrinter(canvas, rtl::Rect(0, 0, 64, 64), {600, 600});
    };
    int pages = 0;
    const double ms = timedRuns(state, [&] { pages = f.generate(); });
    state.counters["pages"] = double(pages);
    state.counters["us_per_paragraph"] = ms * 1000.0 / double(state.range(0));
}

void BM_DataRichText(benchmark::State &state)
{
    runDataRichText(state, longRtf(state.range(0)));
}
BENCHMARK(BM_DataRichText)
    ->Arg(5000)
    ->Arg(20000)
    ->Arg(200000)
    ->Arg(1000000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

void BM_DataRichTextBare(benchmark::State &state)
{
    QString rtf = QStringLiteral("{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 ");
    rtf.reserve(rtf.size() + state.range(0) * 5 + 1);
    for (int64_t p = 0; p < state.range(0); ++p)
        rtf += QStringLiteral("\\par ");
    runDataRichText(state, rtf + u'}');
}
BENCHMARK(BM_DataRichTextBare)->Arg(100000)->Arg(600000)->Arg(2000000)->Iterations(1)->Unit(benchmark::kMillisecond);

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
