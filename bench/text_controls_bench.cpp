// Figures to read: µs per text control per record (BM_DetailRecord's time
// divided by 7), allocations per filled TppDrawText (its "allocs" counter),
// and the µs per AdjustBounds and WordWrap call.

#include "tests/support/report/BandFakes.h"
#include "tests/support/report/FakePrinters.h"
#include "tests/support/report/MemoryPipeline.h"
#include "tests/support/report/PageFakes.h"

#include "report/content/drawcommands/DrawText.h"
#include "report/content/text/DBText.h"
#include "report/content/text/Label.h"
#include "report/model/ModelRegistration.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/pages/Page.h"
#include "report/model/printing/Printer.h"
#include "report/model/text/PlainText.h"

#include "platform/gfx/TextMeasurer.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<long> g_allocations{0};

} // namespace

void *operator new(std::size_t size)
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void *p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void operator delete(void *p) noexcept
{
    std::free(p);
}

void operator delete(void *p, std::size_t) noexcept
{
    std::free(p);
}

using namespace report;

namespace {

struct DetailFixture
{
    DetailFixture()
    {
        ppModelLayerInit();
        band.SetReport(&stand);
        pipeline.AddField("Id", TppDataType::dtInteger);
        pipeline.AddField("Name");
        pipeline.AddField("City");
        pipeline.AddField("Amount", TppDataType::dtDouble);
        pipeline.AddField("Code");
        for (int i = 0; i < 100; ++i)
            pipeline.AddRow({i, QString("Name %1").arg(i), "Oslo", i * 1.5, QString("C%1").arg(i % 7)});
        pipeline.Open();
        pipeline.First();
        const char *fields[] = {"Id", "Name", "City", "Amount", "Code"};
        int left = 0;
        for (const char *field : fields) {
            auto *text = new TppDBText();
            text->SetBand(&band);
            text->SetDataPipeline(&pipeline);
            text->SetDataField(field);
            text->SetBounds(left, 0, 30000, 4000);
            left += 31000;
            controls.push_back(text);
        }
        for (const char *caption : {"Label one", "Label two"}) {
            auto *label = new TppLabel();
            label->SetAutoSize(false);
            label->SetBand(&band);
            label->SetCaption(caption);
            label->SetBounds(left, 0, 20000, 4000);
            left += 21000;
            controls.push_back(label);
        }
        band.SetPrintRect(rtl::TRect{0, 0, 200000, 4000});
    }

    ScopedScreenPixelsPerInch screen{96};
    reporttest::StandInReport stand;
    TppDetailBand band;
    reporttest::MemoryPipeline pipeline;
    std::vector<TppCustomText *> controls;
};

void BM_DetailRecord(benchmark::State &state)
{
    DetailFixture f;
    auto page = std::make_unique<TppPage>();
    int record = 0;
    for (auto _ : state) {
        for (TppCustomText *c : f.controls) {
            if (auto *text = dynamic_cast<TppDBText *>(c))
                text->UpdateValue();
            c->ResetGeneration();
            c->InitDrawComponent();
            c->Generate();
            c->PrintToPage(page.get());
        }
        if (++record % 100 == 0) {
            state.PauseTiming();
            page = std::make_unique<TppPage>();
            f.pipeline.First();
            state.ResumeTiming();
        } else {
            f.pipeline.Next();
        }
    }
    state.counters["controls"] = double(f.controls.size());
}
BENCHMARK(BM_DetailRecord);

void BM_FillDrawText(benchmark::State &state)
{
    DetailFixture f;
    TppCustomText *text = f.controls[1];
    text->ResetGeneration();
    text->InitDrawComponent();
    text->Generate();
    long allocations = 0;
    for (auto _ : state) {
        const long before = g_allocations.load(std::memory_order_relaxed);
        auto command = std::make_unique<TppDrawText>();
        text->PropertiesToDrawCommand(command.get());
        allocations += g_allocations.load(std::memory_order_relaxed) - before;
        benchmark::DoNotOptimize(command.get());
    }
    state.counters["allocs"] = benchmark::Counter(double(allocations), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_FillDrawText);

struct PrinterFixture
{
    explicit PrinterFixture(benchmark::State &s)
        : state(s)
    {
        fake->add("Office");
        fake->setMeasurer(s.range(0) ? nullptr : &measurer);
        printer = std::make_unique<TppPrinter>();
        printer->SetPrinterName("Office");
    }
    benchmark::State &state;
    gfx::FixedTextMeasurer measurer{60, 120, 96};
    reporttest::FakePrinters fake;
    std::unique_ptr<TppPrinter> printer;
};

QString twoKilobytes()
{
    QString text;
    while (text.size() < 2048)
        text += "The quick brown fox jumps over the lazy dog, and then again. ";
    text.truncate(2048);
    return text;
}

// Argument 0: the fixed measurer; 1: the real fonts.
void BM_WordWrap2KB(benchmark::State &state)
{
    PrinterFixture f(state);
    const QString text = twoKilobytes();
    gfx::Font font;
    font.name = "Liberation Sans";
    font.size = 10;
    QStringList lines;
    for (auto _ : state) {
        qsizetype position = 0;
        TppPlainText::WordWrap(text, rtl::TRect{0, 0, 150000, 1000000}, TppTextAlignment::taLeftJustified, false, font,
                               false, 0, {}, f.printer.get(), position, lines);
        benchmark::DoNotOptimize(lines);
    }
    state.counters["lines"] = double(lines.size());
}
BENCHMARK(BM_WordWrap2KB)->Arg(0)->Arg(1);

void BM_AdjustBounds(benchmark::State &state)
{
    ScopedScreenPixelsPerInch screen{96};
    ppModelLayerInit();
    TppLabel label;
    label.SetCaption(twoKilobytes().left(state.range(0)));
    for (auto _ : state)
        label.AdjustBounds();
}
BENCHMARK(BM_AdjustBounds)->Arg(20)->Arg(2048);

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
