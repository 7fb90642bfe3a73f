// What subreports and regions cost beside the plain list: the list layout
// (page header, a detail of five objects, page footer) over 100,000 memory
// records printed to a device that discards the pages; the same records
// listed by a child subreport in the detail of a report without data; and
// the list with a kept-together region around the detail's objects. Pages
// per second and the resident memory growth between pages 100 and 2,000
// are reported as counters.

#include "tests/support/report/BandSequence.h"
#include "tests/support/report/MemoryPipeline.h"
#include "tests/support/report/SamplePage.h"

#include "report/content/ContentRegistration.h"
#include "report/content/graphics/Region.h"
#include "report/model/ModelRegistration.h"
#include "report/model/bands/BandClasses.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/pages/Device.h"
#include "report/model/pages/Page.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/model/reports/Report.h"
#include "report/model/subreports/SubReport.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <chrono>
#include <fstream>
#include <map>
#include <memory>
#include <unistd.h>

using namespace report;
using namespace reporttest;

namespace {

constexpr int subBenchRecords = 100000;

double subBenchResidentMegabytes()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

class SubBenchDevice : public TppDevice
{
public:
    void ReceivePage(TppPage *aPage) override
    {
        TppDevice::ReceivePage(aPage);
        if (SkipPage() || aPage->DrawCommandCount() == 0)
            return;
        ++pages;
        if (aPage->AbsolutePageNo() == 100)
            residentAt100 = subBenchResidentMegabytes();
        if (aPage->AbsolutePageNo() == 2000)
            residentAt2000 = subBenchResidentMegabytes();
    }
    int pages = 0;
    double residentAt100 = 0;
    double residentAt2000 = 0;
};

enum class SubBenchLayout { List, SubReport, Region };

void subBenchObjects(TppBand *aBand, int32_t aHeight, int aObjects, TppComponent *aRegion = nullptr)
{
    for (int i = 0; i < aObjects; ++i) {
        auto *object = new BandPrintable;
        object->SetBand(aBand);
        object->SetBounds(i * 38000, 0, 38000, aHeight);
        if (aRegion)
            object->SetRegion(aRegion);
    }
}

template <class Band>
Band *subBenchBand(TppCustomReport &aReport, int32_t aHeight, int aObjects)
{
    auto *band = new Band(nullptr);
    band->SetReport(&aReport);
    band->SetmmHeight(aHeight);
    subBenchObjects(band, aHeight, aObjects);
    return band;
}

struct SubBenchReport
{
    explicit SubBenchReport(SubBenchLayout aLayout)
    {
        data.AddField(QStringLiteral("Id"), TppDataType::dtInteger);
        for (int i = 0; i < subBenchRecords; ++i)
            data.AddRow({i});
        SetA4Portrait(*report.PrinterSetup());
        report.SetEnableProcessMessages(true);
        subBenchBand<TppHeaderBand>(report, 20000, 1);
        subBenchBand<TppFooterBand>(report, 20000, 1);
        auto *detail = new TppDetailBand(nullptr);
        detail->SetReport(&report);
        detail->SetmmHeight(5000);
        switch (aLayout) {
        case SubBenchLayout::List:
            report.SetDataPipeline(&data);
            subBenchObjects(detail, 5000, 5);
            break;
        case SubBenchLayout::SubReport: {
            detail->SetPrintHeight(TppPrintHeightType::phDynamic);
            auto *subreport = new TppSubReport;
            subreport->SetBand(detail);
            subreport->SetBounds(0, 0, 190000, 5000);
            subreport->SetDataPipeline(&data);
            subBenchBand<TppDetailBand>(*subreport->Report(), 5000, 5);
            break;
        }
        case SubBenchLayout::Region: {
            report.SetDataPipeline(&data);
            auto *region = new TppRegion;
            region->SetBand(detail);
            region->SetBounds(0, 0, 190000, 5000);
            region->SetKeepTogether(true);
            subBenchObjects(detail, 5000, 5, region);
            break;
        }
        }
    }

    MemoryPipeline data;
    TppReport report;
};

void subBenchRun(benchmark::State &state, SubBenchLayout aLayout)
{
    SubBenchReport r(aLayout);
    int64_t pages = 0;
    double seconds = 0;
    for (auto _ : state) {
        SubBenchDevice device;
        r.report.Reset();
        device.SetPublisher(r.report.Publisher());
        const auto start = std::chrono::steady_clock::now();
        r.report.PrintToDevices();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        device.SetPublisher(nullptr);
        pages += device.pages;
        state.counters["growth_MB_100_to_2000"] = device.residentAt2000 - device.residentAt100;
    }
    state.counters["pages"] = double(pages) / double(state.iterations());
    state.counters["pages_per_s"] = seconds > 0 ? double(pages) / seconds : 0;
}

void BM_PlainList(benchmark::State &state)
{
    subBenchRun(state, SubBenchLayout::List);
}
BENCHMARK(BM_PlainList)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_ChildSubReport(benchmark::State &state)
{
    subBenchRun(state, SubBenchLayout::SubReport);
}
BENCHMARK(BM_ChildSubReport)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_KeptTogetherRegion(benchmark::State &state)
{
    subBenchRun(state, SubBenchLayout::Region);
}
BENCHMARK(BM_KeptTogetherRegion)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    ppModelLayerInit();
    ppContentLayerInit();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    ppContentLayerFinalize();
    ppModelLayerFinalize();
    return 0;
}
