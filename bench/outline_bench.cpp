// The outline of a grouped report (page header, group header, detail,
// group footer, page footer; a group every 30 records) over 200,000 memory
// records, about 5,000 pages, every page cached by the publisher, with
// group and page nodes. Reported as counters: the bytes the outline draw
// commands of the cached pages hold per page (their own, and the page
// history they share), what a whole-tree copy per page would have held,
// and the microseconds of outline work per page end (page nodes and the
// page's command).

#include "tests/support/report/BandSequence.h"
#include "tests/support/report/MemoryPipeline.h"
#include "tests/support/report/PageFakes.h"
#include "tests/support/report/SamplePage.h"

#include "report/model/ModelRegistration.h"
#include "report/model/bands/BandClasses.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/groups/Group.h"
#include "report/model/groups/GroupBands.h"
#include "report/model/outline/OutlineDrawCommand.h"
#include "report/model/outline/OutlineHistory.h"
#include "report/model/outline/OutlineNode.h"
#include "report/model/outline/OutlineSettings.h"
#include "report/model/pages/Device.h"
#include "report/model/pages/Page.h"
#include "report/model/pages/Publisher.h"
#include "report/model/reports/Report.h"

#include "platform/classes/ClassRegistry.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <chrono>
#include <set>

using namespace report;
using namespace reporttest;

namespace {

constexpr int outlineBenchRecords = 200000;
constexpr int outlineBenchGroupSize = 30;

// Times the page-end work the outline does: the page nodes (inside the
// page-end event) and the page's command.
class TimedReport : public TppReport
{
public:
    void CheckPageLimit() override
    {
        const auto start = std::chrono::steady_clock::now();
        TppReport::CheckPageLimit();
        spent += std::chrono::steady_clock::now() - start;
    }
    void AddOutlineDrawCommand() override
    {
        const auto start = std::chrono::steady_clock::now();
        TppReport::AddOutlineDrawCommand();
        const auto took = std::chrono::steady_clock::now() - start;
        spent += took;
        commandSpent += took;
        ++pageEnds;
    }
    std::chrono::steady_clock::duration spent{};
    std::chrono::steady_clock::duration commandSpent{};
    int pageEnds = 0;
};

class CountingDevice : public TppDevice
{
public:
    void ReceivePage(TppPage *aPage) override
    {
        TppDevice::ReceivePage(aPage);
        if (!SkipPage())
            ++pages;
    }
    int pages = 0;
};

struct OutlineBenchReport
{
    OutlineBenchReport()
    {
        data.AddField(QStringLiteral("G"));
        for (int i = 0; i < outlineBenchRecords; ++i)
            data.AddRow({QStringLiteral("Group %1").arg(i / outlineBenchGroupSize, 5, 10, QLatin1Char('0'))});
        SetA4Portrait(*report.PrinterSetup());
        report.SetDataPipeline(&data);
        report.SetCachePages(true);
        report.OutlineSettings()->SetCreatePageNodes(true);
        auto *group = new TppGroup;
        group->SetReport(&report);
        group->SetDataPipeline(&data);
        group->SetBreakName(QStringLiteral("G"));
        band(new TppHeaderBand(nullptr), 20000);
        band(new TppFooterBand(nullptr), 20000);
        band(new TppDetailBand(nullptr), 5000);
        static_cast<TppGroupBand *>(band(new TppGroupHeaderBand(nullptr), 8000))->SetGroup(group);
        static_cast<TppGroupBand *>(band(new TppGroupFooterBand(nullptr), 8000))->SetGroup(group);
    }

    TppBand *band(TppBand *aBand, int32_t aHeight)
    {
        aBand->SetReport(&report);
        aBand->SetmmHeight(aHeight);
        auto *object = new BandPrintable;
        object->SetmmWidth(38000);
        object->SetmmHeight(aHeight);
        object->SetBand(aBand);
        return aBand;
    }

    MemoryPipeline data;
    TimedReport report;
};

void BM_OutlineOfCachedPages(benchmark::State &state)
{
    for (auto _ : state) {
        OutlineBenchReport r;
        CountingDevice device;
        device.SetPublisher(r.report.Publisher());
        r.report.PrintToDevices();
        device.SetPublisher(nullptr);

        TppPublisher *publisher = r.report.Publisher();
        size_t own = 0;
        double wholeCopies = 0;
        std::set<const TppOutlineHistory *> histories;
        const int pages = publisher->CachedPageCount();
        for (int i = 0; i < pages; ++i) {
            const auto *command =
                dynamic_cast<const TppOutlineDrawCommand *>(publisher->CachedPages(i)->OutlineDrawCommand());
            if (!command)
                continue;
            own += command->OwnByteSize();
            wholeCopies += double(command->NodeCount() + 1) * double(sizeof(TppOutlineNode));
        }
        size_t shared =
            r.report.Outline() && r.report.Outline()->History() ? r.report.Outline()->History()->ByteSize() : 0;
        const double perPage = pages > 0 ? 1.0 / pages : 0;
        state.counters["pages"] = pages;
        state.counters["nodes"] = r.report.Outline() ? r.report.Outline()->History()->EntryCount() : 0;
        state.counters["command_bytes_per_page"] = double(own) * perPage;
        state.counters["history_bytes_per_page"] = double(shared) * perPage;
        state.counters["whole_copy_bytes_per_page"] = wholeCopies * perPage;
        state.counters["us_command_per_page_end"] =
            r.report.pageEnds > 0
                ? std::chrono::duration<double, std::micro>(r.report.commandSpent).count() / r.report.pageEnds
                : 0;
        state.counters["us_per_page_end"] =
            r.report.pageEnds > 0
                ? std::chrono::duration<double, std::micro>(r.report.spent).count() / r.report.pageEnds
                : 0;
    }
}
BENCHMARK(BM_OutlineOfCachedPages)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ppModelLayerInit();
    // The publisher's cached pages are copies, made by class name.
    classes::RegisterClass(StandInTextCommand::StaticClass());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    classes::UnRegisterClass(StandInTextCommand::StaticClass());
    ppModelLayerFinalize();
    return 0;
}
