// What the print dialog waits for: the printer list made anew, and the first
// look at each printer's papers and bins. Both ask the CUPS server, here a
// private one with 20 queues on the PPD with trays, duplex and two
// resolutions. And what the list costs in memory over many refreshes, on the
// scripted printing system with as many queues.

#include "tests/support/report/CupsServer.h"

#include "report/model/printing/PrinterList.h"
#include "report/output/PrintingSystem.h"

#include "platform/print/fake/FakePrinterBackend.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdio>

#include <malloc.h>

using namespace report;

namespace {

constexpr int Queues = 20;

void Refresh(benchmark::State &state)
{
    TppPrinterList *list = ppGetPrinterList();
    for (auto _ : state) {
        list->Refresh();
        benchmark::DoNotOptimize(list->Count());
    }
    state.counters["entries"] = list->Count();
}
BENCHMARK(Refresh)->Unit(benchmark::kMillisecond)->UseRealTime();

// Every printer's capabilities once after a refresh (the 20 queues and the
// PDF printer); "per_printer" is the time per printer.
void FirstCapabilities(benchmark::State &state)
{
    TppPrinterList *list = ppGetPrinterList();
    for (auto _ : state) {
        state.PauseTiming();
        list->Refresh();
        state.ResumeTiming();
        for (int i = 2; i < list->Count(); ++i)
            benchmark::DoNotOptimize(static_cast<TppPrinterInfo *>(list->Printers().Objects(i))->GetCapabilities());
    }
    state.counters["per_printer"] = benchmark::Counter(double(state.iterations()) * (list->Count() - 2),
                                                       benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(FirstCapabilities)->Unit(benchmark::kMillisecond)->UseRealTime();

// 1,000 refreshes with 20 queues, every queue's papers and bins read after
// each one as the print dialog does. The heap in use (glibc's count) before
// and after: flat when a refresh frees the entries of the one before.
void RefreshMemory(benchmark::State &state)
{
    constexpr int Refreshes = 1000;
    auto fake = std::make_shared<print::FakePrinterBackend>();
    for (int i = 0; i < Queues; ++i) {
        print::FakePrinterBackend::Printer &queue = fake->add(QStringLiteral("Memory%1").arg(i));
        print::DriverCapabilities &caps = queue.capabilities;
        for (int code = 2; code < 40; ++code) {
            caps.paperNames << QStringLiteral("Paper number %1").arg(code);
            caps.paperCodes.push_back(code);
            caps.paperWidths.push_back(1000 + code);
            caps.paperHeights.push_back(2000 + code);
        }
    }
    report::ScopedPrinterBackend scope(fake);
    ppFreePrinters();
    TppPrinterList *list = ppGetPrinterList();
    const auto readAll = [list] {
        for (int i = 0; i < list->Count(); ++i)
            benchmark::DoNotOptimize(static_cast<TppPrinterInfo *>(list->Printers().Objects(i))->GetCapabilities());
    };
    readAll();
    const size_t before = mallinfo2().uordblks;
    for (auto _ : state)
        for (int i = 0; i < Refreshes; ++i) {
            list->Refresh();
            readAll();
        }
    const size_t after = mallinfo2().uordblks;
    state.counters["heap_before_kB"] = double(before) / 1024;
    state.counters["heap_after_kB"] = double(after) / 1024;
    state.counters["growth_per_refresh_B"] =
        (double(after) - double(before)) / double(std::max<int64_t>(1, state.iterations() * Refreshes));
    ppFreePrinters();
}
BENCHMARK(RefreshMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!qEnvironmentVariableIsSet("ZVO_SOURCE_DIR"))
        qputenv("ZVO_SOURCE_DIR", ZVO_SOURCE_FOLDER);
    QApplication app(argc, argv);
    if (const QString reason = reporttest::CupsServer::unavailableReason(); !reason.isEmpty()) {
        std::fprintf(stderr, "printers_bench: %s\n", qPrintable(reason));
        return 0;
    }
    reporttest::CupsServer server;
    bool ready = server.start();
    for (int i = 0; ready && i < Queues; ++i)
        ready =
            server.addQueue(QStringLiteral("Bench%1").arg(i, 2, 10, QLatin1Char('0')), QStringLiteral("zvo-trays.ppd"));
    if (!ready) {
        std::fprintf(stderr, "printers_bench: %s\n", qPrintable(server.error()));
        return 1;
    }
    server.exportEnvironment();
    ppInstallPrintingSystem();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    ppFreePrinters();
    return 0;
}
