// Report templates at the size of a large report: 1,000 components (five
// bands of 198 labels and a group with its two bands), saved and loaded
// whole in the binary and the text form, to memory and to a file. A load
// reads the stored report beside the live one and moves its layout over.
// Run by hand:
//   build/bench/template_bench --benchmark_min_time=0.5

#include "report/content/ContentRegistration.h"
#include "report/content/text/Label.h"
#include "report/model/ModelRegistration.h"
#include "report/model/bands/BandClasses.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/groups/Group.h"
#include "report/model/groups/GroupBands.h"
#include "report/model/reports/Report.h"
#include "report/model/templates/ReportTemplate.h"

#include "platform/classes/Streams.h"

#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

using namespace report;

namespace {

constexpr int templateBenchLabels = 198;

struct TemplateBenchSetup
{
    TemplateBenchSetup()
    {
        ppModelLayerInit();
        ppContentLayerInit();
        report = new TppReport(&form);
        report->SetName(QStringLiteral("ppReport1"));
        int n = 0;
        const std::vector<TppBand *> bands{new TppTitleBand(&form), new TppHeaderBand(&form), new TppDetailBand(&form),
                                           new TppFooterBand(&form), new TppSummaryBand(&form)};
        for (TppBand *band : bands) {
            band->SetName(QStringLiteral("ppBand%1").arg(report->BandCount() + 1));
            band->SetReport(report);
            for (int i = 0; i < templateBenchLabels; ++i) {
                auto *label = new TppLabel(&form);
                label->SetName(QStringLiteral("ppLabel%1").arg(++n));
                label->SetBand(band);
                label->SetCaption(QStringLiteral("Caption of label %1").arg(n));
                label->SetBounds(1000 * (i % 10), 500 * (i / 10), 9000, 450);
            }
        }
        auto *group = new TppGroup(&form);
        group->SetName(QStringLiteral("ppGroup1"));
        group->SetReport(report);
        auto *header = new TppGroupHeaderBand(&form);
        header->SetName(QStringLiteral("ppGroupHeaderBand1"));
        header->SetGroup(group);
        auto *footer = new TppGroupFooterBand(&form);
        footer->SetName(QStringLiteral("ppGroupFooterBand1"));
        footer->SetGroup(group);
    }

    classes::TComponent form{nullptr};
    TppReport *report = nullptr;
};

TemplateBenchSetup &templateBenchSetup()
{
    static TemplateBenchSetup setup;
    return setup;
}

TppFormatType templateBenchFormat(const benchmark::State &state)
{
    return state.range(0) ? TppFormatType::ftASCII : TppFormatType::ftBinary;
}

void BM_SaveToMemory(benchmark::State &state)
{
    TppReportTemplate &storage = *templateBenchSetup().report->Template();
    storage.SetFormat(templateBenchFormat(state));
    int64_t bytes = 0;
    for (auto _ : state) {
        classes::TMemoryStream stream;
        storage.SaveToStream(stream);
        bytes = stream.Size();
    }
    state.counters["bytes"] = double(bytes);
}
BENCHMARK(BM_SaveToMemory)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_LoadFromMemory(benchmark::State &state)
{
    TppReportTemplate &storage = *templateBenchSetup().report->Template();
    storage.SetFormat(templateBenchFormat(state));
    classes::TMemoryStream stream;
    storage.SaveToStream(stream);
    for (auto _ : state) {
        stream.SetPosition(0);
        storage.LoadFromStream(stream);
    }
}
BENCHMARK(BM_LoadFromMemory)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_SaveAndLoadFile(benchmark::State &state)
{
    QTemporaryDir dir;
    TppReportTemplate &storage = *templateBenchSetup().report->Template();
    storage.SetFormat(templateBenchFormat(state));
    storage.SetFileName(dir.filePath(QStringLiteral("bench.rtm")));
    for (auto _ : state) {
        storage.SaveToFile();
        storage.LoadFromFile();
    }
}
BENCHMARK(BM_SaveAndLoadFile)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

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
