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

// A report of `count` labels in one detail band, stored in the text form
// and read once into the report; loading that report's binary form is what
// is timed. Grows linearly when each name and each component added costs
// the same however many came before.
void BM_LoadComponents(benchmark::State &state)
{
    const int count = int(state.range(0));
    templateBenchSetup(); // the classes registered
    classes::TComponent form{nullptr};
    auto *report = new TppReport(&form);
    report->SetName(QStringLiteral("ppReport1"));
    auto *band = new TppDetailBand(&form);
    band->SetName(QStringLiteral("ppDetailBand1"));
    band->SetReport(report);
    auto *label = new TppLabel(&form);
    label->SetBand(band);
    label->SetName(QStringLiteral("ppLabel1"));
    label->SetCaption(QStringLiteral("Label 1"));
    TppReportTemplate &storage = *report->Template();
    storage.SetFormat(TppFormatType::ftASCII);
    classes::TMemoryStream one;
    storage.SaveToStream(one);
    // The label's object, repeated under numbered names.
    const QByteArray text(static_cast<const char *>(one.Memory()), qsizetype(one.Size()));
    const qsizetype begin = text.indexOf("object ppLabel1");
    const qsizetype end = text.indexOf("\r\n    end\r\n", begin) + 11;
    const QByteArray object = text.mid(begin, end - begin);
    QByteArray many = text.left(begin);
    many.reserve(text.size() + object.size() * count + 16 * count);
    for (int i = 1; i <= count; ++i) {
        QByteArray copy = object;
        const QByteArray number = QByteArray::number(i);
        copy.replace("ppLabel1", "ppLabel" + number);
        copy.replace("Label1", "Label" + number);
        many += copy;
    }
    many += text.mid(end);
    classes::TMemoryStream stream;
    stream.WriteBuffer(many.constData(), many.size());
    stream.SetPosition(0);
    storage.LoadFromStream(stream);
    storage.SetFormat(TppFormatType::ftBinary);
    stream.SetSize(0);
    storage.SaveToStream(stream);
    for (auto _ : state) {
        stream.SetPosition(0);
        storage.LoadFromStream(stream);
    }
    state.counters["components"] = double(report->Bands(0)->ObjectCount());
    state.counters["bytes"] = double(stream.Size());
}
BENCHMARK(BM_LoadComponents)
    ->Arg(2000)
    ->Arg(10000)
    ->Arg(20000)
    ->Arg(100000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

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
