// What generating pages costs: the list layout (title, page header, a
// detail of five objects, page footer) over 100,000 memory records, about
// 2,130 pages, printed to a device that discards them, with message
// processing on. One pass and two passes; the resident memory at pages
// 100, 1,000 and 2,000 and the bytes the engine's page states take per
// page are reported as counters. And a report of very many fields in one
// band, made, printed and freed.

#include "tests/support/report/BandSequence.h"
#include "tests/support/report/MemoryPipeline.h"
#include "tests/support/report/SamplePage.h"

#include "report/model/ModelRegistration.h"
#include "report/model/bands/BandClasses.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/data/CacheManager.h"
#include "report/model/pages/DrawCommand.h"
#include "report/model/pages/Device.h"
#include "report/model/pages/Page.h"
#include "report/model/pages/Publisher.h"
#include "report/model/printing/PageDef.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/model/reports/Report.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <fstream>
#include <map>
#include <memory>
#include <unistd.h>

using namespace report;
using namespace reporttest;

namespace {

constexpr int engineBenchRecords = 100000;

double residentMegabytes()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// Takes every page and keeps nothing; notes the resident memory at the
// pages asked for.
class DiscardingDevice : public TppDevice
{
public:
    void ReceivePage(TppPage *aPage) override
    {
        TppDevice::ReceivePage(aPage);
        if (SkipPage())
            return;
        ++pages;
        const auto it = residentAt.find(aPage->AbsolutePageNo());
        if (it != residentAt.end())
            it->second = residentMegabytes();
    }
    int pages = 0;
    std::map<int, double> residentAt{{100, 0}, {1000, 0}, {2000, 0}};
};

struct EngineBenchReport
{
    EngineBenchReport()
    {
        data.AddField(QStringLiteral("Id"), TppDataType::dtInteger);
        for (int i = 0; i < engineBenchRecords; ++i)
            data.AddRow({i});
        SetA4Portrait(*report.PrinterSetup());
        report.SetDataPipeline(&data);
        report.SetEnableProcessMessages(true);
        band(new TppTitleBand(nullptr), 30000, 1);
        band(new TppHeaderBand(nullptr), 20000, 1);
        band(new TppFooterBand(nullptr), 20000, 1);
        band(new TppDetailBand(nullptr), 5000, 5);
    }

    void band(TppBand *aBand, int32_t aHeight, int aObjects)
    {
        aBand->SetReport(&report);
        aBand->SetmmHeight(aHeight);
        for (int i = 0; i < aObjects; ++i) {
            auto *object = new BandPrintable;
            object->SetmmLeft(i * 38000);
            object->SetmmWidth(38000);
            object->SetmmHeight(aHeight);
            object->SetBand(aBand);
        }
    }

    int print(DiscardingDevice &aDevice)
    {
        report.Reset();
        aDevice.SetPublisher(report.Publisher());
        report.PrintToDevices();
        aDevice.SetPublisher(nullptr);
        return aDevice.pages;
    }

    MemoryPipeline data;
    TppReport report;
};

EngineBenchReport &benchReport()
{
    static EngineBenchReport r;
    return r;
}

void BM_Generate(benchmark::State &state)
{
    EngineBenchReport &r = benchReport();
    r.report.SetPassSetting(state.range(0) == 2 ? TppPassSettingType::psTwoPass : TppPassSettingType::psOnePass);
    int64_t pages = 0;
    for (auto _ : state) {
        DiscardingDevice device;
        pages += r.print(device);
    }
    state.SetItemsProcessed(pages);
    state.counters["pages"] = double(pages) / double(state.iterations());
}
BENCHMARK(BM_Generate)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(3);

// One run: the resident memory as the pages go, and the page states kept.
void BM_Memory(benchmark::State &state)
{
    EngineBenchReport &r = benchReport();
    r.report.SetPassSetting(TppPassSettingType::psOnePass);
    for (auto _ : state) {
        DiscardingDevice device;
        r.print(device);
        for (const auto &[page, megabytes] : device.residentAt)
            state.counters["rss_MB_at_" + std::to_string(page)] = megabytes;
        state.counters["growth_MB_100_to_2000"] = device.residentAt[2000] - device.residentAt[100];
        const TppCacheManager *cache = r.report.CacheManager();
        const int32_t cached = cache->LastCachedPage();
        state.counters["cache_bytes_per_page"] = cached > 0 ? double(cache->MemoryUsed()) / cached : 0;
    }
}
BENCHMARK(BM_Memory)->Unit(benchmark::kMillisecond)->Iterations(1);

// A field on its band's save list that asks for its place there as it
// prints, as a text does.
class SavedField : public BandPrintable
{
public:
    bool JoinsSaveList() const override { return true; }
    void PropertiesToDrawCommand(TppDrawCommand *aDrawCommand) override
    {
        BandPrintable::PropertiesToDrawCommand(aDrawCommand);
        aDrawCommand->SetTag(Band()->IndexOfSave(this));
    }
};

// One record whose detail holds the given number of fields: the band's
// object lists and the engine's print list over that many objects.
void BM_ManyFields(benchmark::State &state)
{
    const int fields = int(state.range(0));
    for (auto _ : state) {
        MemoryPipeline data;
        data.AddField(QStringLiteral("Id"), TppDataType::dtInteger);
        data.AddRow({0});
        auto report = std::make_unique<TppReport>();
        SetA4Portrait(*report->PrinterSetup());
        report->SetDataPipeline(&data);
        auto *detail = new TppDetailBand(nullptr);
        detail->SetReport(report.get());
        detail->SetmmHeight(5000);
        for (int i = 0; i < fields; ++i) {
            auto *field = new SavedField;
            field->SetmmHeight(5000);
            field->SetBand(detail);
        }
        DiscardingDevice device;
        device.SetPublisher(report->Publisher());
        report->PrintToDevices();
        device.SetPublisher(nullptr);
        report.reset();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * fields);
}
BENCHMARK(BM_ManyFields)->Arg(1024)->Arg(4096)->Arg(16384)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ppModelLayerInit();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    ppModelLayerFinalize();
    return 0;
}
