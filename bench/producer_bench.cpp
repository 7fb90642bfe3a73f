// What the print road costs per page, apart from making the pages: a report
// of 10,000 stand-in pages without commands prints through Print to a
// device that keeps nothing. The baseline drives the same publisher and
// device without the producer; the other cases go through Print with the
// message pump off, on, and under the modal cancel dialog, which shows the
// device's status for every page. Run offscreen.

#include "tests/support/report/PageFakes.h"

#include "report/model/forms/DialogBases.h"
#include "report/model/pages/DeviceRegistry.h"
#include "report/model/pages/Page.h"
#include "report/model/pages/Publisher.h"
#include "report/model/production/FileDevice.h"
#include "report/model/production/Producer.h"
#include "report/output/LibraryInit.h"

#include "platform/classes/ClassBuilder.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <memory>

using namespace report;
using namespace reporttest;

namespace {

constexpr int BenchPages = 10000;

// Takes every page, tells its status, writes nothing.
class NullDevice : public TppFileDevice
{
    ZVO_CLASS(NullDevice)
public:
    explicit NullDevice(classes::TComponent *aOwner = nullptr)
        : TppFileDevice(aOwner)
    {
        SetCreateFileOnStartJob(false);
    }
    static QString ClassDeviceName() { return QStringLiteral("Null"); }
    QString DeviceName() const override { return ClassDeviceName(); }
    void ReceivePage(TppPage *aPage) override
    {
        TppFileDevice::ReceivePage(aPage);
        if (Busy() && PageInRequest())
            UpdateStatus(aPage);
    }
};

struct Road
{
    Road(bool aPump, bool aDialog)
    {
        producer.SetDeviceType(QStringLiteral("Null"));
        producer.SetShowPrintDialog(false);
        producer.SetShowCancelDialog(aDialog);
        producer.SetEnableProcessMessages(aPump);
        ProducerScript script;
        script.pageCount = BenchPages;
        script.commandsPerPage = 0;
        engine = std::make_unique<StandInProducer>(producer.Publisher(), script);
        // The engine serves the messages between pages, as a report does.
        engine->BeforeDeliver = [this](TppPage &) { producer.ProcessMessages(); };
    }
    TppProducer producer;
    std::unique_ptr<StandInProducer> engine;
};

void setPerPage(benchmark::State &state)
{
    state.counters["pages"] = benchmark::Counter(double(state.iterations()) * BenchPages,
                                                 benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_PublisherAlone(benchmark::State &state)
{
    for (auto _ : state) {
        TppPublisher publisher;
        NullDevice device;
        device.SetPublisher(&publisher);
        ProducerScript script;
        script.pageCount = BenchPages;
        script.commandsPerPage = 0;
        StandInProducer engine(&publisher, script);
        publisher.StartJob();
        publisher.Publish();
        publisher.EndJob();
    }
    setPerPage(state);
}
BENCHMARK(BM_PublisherAlone)->Unit(benchmark::kMillisecond);

void BM_PrintRoad(benchmark::State &state)
{
    const bool pump = state.range(0) != 0;
    const bool dialog = state.range(1) != 0;
    for (auto _ : state) {
        Road road(pump, dialog);
        road.producer.Print();
        if (road.producer.Producing())
            state.SkipWithError("the print did not end");
    }
    setPerPage(state);
    state.SetLabel(dialog ? "modal cancel dialog" : pump ? "messages on" : "bare");
}
BENCHMARK(BM_PrintRoad)->Args({0, 0})->Args({1, 0})->Args({1, 1})->Unit(benchmark::kMillisecond);

} // namespace

const classes::TMetaClass &NullDevice::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<NullDevice, TppFileDevice>("NullDevice");
    return meta;
}

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ppLibraryInit();
    ppRegisterDevice(&ppDeviceClass<NullDevice>());
    StandInCommandClasses commands;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    ppUnRegisterDevice(&ppDeviceClass<NullDevice>());
    ppLibraryFinalize();
    return 0;
}
