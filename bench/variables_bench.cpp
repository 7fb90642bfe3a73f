// Figures to read, one configuration per process (the peak resident memory
// counts from the start of the process):
//   BM_Variables/0  the report as is: groups of 50, a detail of 3 data texts
//   BM_Variables/1  plus 20 variables on traversal, each OnCalc adding a
//                   field (10 reset per group in the group footer, 10 at the
//                   report's end in the summary), and 5 data calculations
//                   (sum, count, minimum, maximum, average) in the footer
//   BM_Variables/2  as 1 with look-ahead on the 5 data calculations (two
//                   passes)
//   BM_Variables/3  as 1 without the data calculations
//   BM_Variables/4  as 1 without the variables
// µs per record per variable: (3 - 0) / 100,000 / 20; per data calculation:
// (4 - 0) / 100,000 / 5; the look-ahead cost: 2 / 1.

#include "tests/support/report/MemoryPipeline.h"
#include "tests/support/report/SamplePage.h"

#include "report/content/ContentRegistration.h"
#include "report/content/text/DBText.h"
#include "report/content/variables/DBCalc.h"
#include "report/content/variables/Variable.h"
#include "report/model/ModelRegistration.h"
#include "report/model/bands/BandClasses.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/groups/Group.h"
#include "report/model/groups/GroupBands.h"
#include "report/model/pages/Device.h"
#include "report/model/pages/Page.h"
#include "report/model/pages/Publisher.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/model/reports/Report.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <sys/resource.h>

using namespace report;
using namespace reporttest;

namespace {

constexpr int variablesBenchRecords = 100000;

class VariablesDiscardingDevice : public TppDevice
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

struct VariablesBenchReport
{
    VariablesBenchReport(bool aVariables, bool aCalcs, bool aLookAhead)
    {
        data.AddField("G", TppDataType::dtInteger);
        data.AddField("V", TppDataType::dtDouble);
        data.AddField("Name");
        for (int i = 0; i < variablesBenchRecords; ++i)
            data.AddRow({i / 50, double(i % 97), QStringLiteral("Name %1").arg(i)});
        SetA4Portrait(*report.PrinterSetup());
        report.SetDataPipeline(&data);
        band(new TppHeaderBand(nullptr), 20000);
        band(new TppFooterBand(nullptr), 20000);
        auto *detail = band(new TppDetailBand(nullptr), 5000);
        int left = 0;
        for (const char *field : {"G", "V", "Name"}) {
            auto *text = new TppDBText;
            text->SetBand(detail);
            text->SetDataPipeline(&data);
            text->SetDataField(field);
            text->SetBounds(left, 500, 30000, 4000);
            left += 31000;
        }
        group = new TppGroup;
        group->SetReport(&report);
        group->SetDataPipeline(&data);
        group->SetBreakName("G");
        band(new TppGroupHeaderBand(nullptr), 10000)->SetGroup(group);
        auto *groupFooter = band(new TppGroupFooterBand(nullptr), 10000);
        groupFooter->SetGroup(group);
        auto *summary = band(new TppSummaryBand(nullptr), 10000);
        if (aVariables)
            for (int i = 0; i < 20; ++i) {
                auto *v = new TppVariable;
                v->SetBand(i < 10 ? static_cast<TppBand *>(groupFooter) : summary);
                v->SetBounds((i % 10) * 19000, 500, 18000, 4000);
                v->SetDataType(TppDataType::dtDouble);
                if (i < 10) {
                    v->SetResetType(TppVarEventType::veGroupEnd);
                    v->SetResetComponent(group);
                }
                v->OnCalc.Set([this](classes::TObject *, QVariant &aValue) {
                    aValue = aValue.toDouble() + data.GetFieldValue("V").toDouble();
                });
            }
        if (aCalcs)
            for (int i = 0; i < 5; ++i) {
                auto *calc = new TppDBCalc;
                calc->SetBand(groupFooter);
                calc->SetDataPipeline(&data);
                calc->SetDataField("V");
                calc->SetDBCalcType(TppDBCalcType(i));
                calc->SetResetGroup(group);
                calc->SetBounds(i * 38000, 5000, 37000, 4000);
                calc->SetLookAhead(aLookAhead);
            }
        report.SetPassSetting(aLookAhead ? TppPassSettingType::psTwoPass : TppPassSettingType::psOnePass);
    }

    template <class Band>
    Band *band(Band *aBand, int32_t aHeight)
    {
        aBand->SetReport(&report);
        aBand->SetmmHeight(aHeight);
        return aBand;
    }

    int print()
    {
        VariablesDiscardingDevice device;
        device.SetPublisher(report.Publisher());
        report.PrintToDevices();
        device.SetPublisher(nullptr);
        return device.pages;
    }

    MemoryPipeline data;
    TppReport report;
    TppGroup *group = nullptr;
};

double peakResidentMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

void BM_Variables(benchmark::State &state)
{
    const int config = int(state.range(0));
    const bool variables = config != 0 && config != 4;
    const bool calcs = config == 1 || config == 2 || config == 4;
    VariablesBenchReport r(variables, calcs, config == 2);
    int pages = 0;
    for (auto _ : state)
        pages = r.print();
    state.counters["pages"] = pages;
    state.counters["s_per_record"] = benchmark::Counter(
        double(variablesBenchRecords), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["peak_rss_MB"] = peakResidentMegabytes();
}
BENCHMARK(BM_Variables)->DenseRange(0, 4)->Unit(benchmark::kMillisecond)->Iterations(1);

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
