// What the preview costs: one dense page (500 commands, texts and lines)
// rendered by the screen device at 100 % and 200 %, beside QPainter
// drawing the same texts and lines into an image of the same size; a page
// turn from GotoPage to the paint box painted, with the page cached and
// generated; and the memory of a 1,000-page preview as it is paged through.

#include "tests/support/report/PageFakes.h"
#include "tests/support/report/SamplePage.h"

#include "report/content/ContentRegistration.h"
#include "report/content/drawcommands/DrawShapes.h"
#include "report/content/drawcommands/DrawText.h"
#include "report/model/ModelRegistration.h"
#include "report/model/base/Units.h"
#include "report/model/pages/Page.h"
#include "report/model/pages/Publisher.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/model/production/Producer.h"
#include "report/output/screen/ScreenDevice.h"
#include "report/output/screen/Viewer.h"

#include "platform/gfx/GdiObjects.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPainter>

#include <malloc.h>

#include <memory>

using namespace report;

namespace {

constexpr int PreviewCommands = 500;

// Texts and lines in turn, 25 rows of 20 columns of 10 x 4 mm.
void previewFillDense(TppPage &aPage)
{
    for (int i = 0; i < PreviewCommands; ++i) {
        const int left = 10000 + (i % 20) * 9500;
        const int top = 10000 + (i / 20) * 11000;
        TppDrawCommand *command = nullptr;
        if (i % 2 == 0) {
            auto *text = new TppDrawText();
            text->SetText(QStringLiteral("Value %1").arg(i));
            text->SetTransparent(true);
            command = text;
        } else {
            auto *line = new TppDrawLine();
            line->SetWeight(0.75f);
            command = line;
        }
        command->SetLeft(left);
        command->SetTop(top);
        command->SetWidth(9000);
        command->SetHeight(4000);
        aPage.AddDrawCommand(command);
    }
}

struct PreviewDesk
{
    PreviewDesk()
    {
        ppModelLayerInit();
        ppContentLayerInit();
        viewer.resize(800, 1000);
        viewer.show();
    }
    ~PreviewDesk() { ppContentLayerFinalize(); }
    ScopedScreenPixelsPerInch ppi{96};
    TppViewer viewer;
};

// The viewer's device holding the dense page at the zoom.
void previewShowDense(PreviewDesk &aDesk, int aZoom)
{
    auto page = std::make_unique<TppPage>();
    reporttest::SetA4Portrait(*page->PrinterSetup());
    page->SetAbsolutePageNo(1);
    page->SetFirstPage(true);
    page->SetFinal(true);
    previewFillDense(*page);
    TppScreenDevice &device = *aDesk.viewer.ScreenDevice();
    device.StartJob();
    device.ReceivePage(page.get());
    aDesk.viewer.SetZoomPercentage(aZoom);
}

void BM_ScreenDeviceRendersDensePage(benchmark::State &state)
{
    PreviewDesk desk;
    previewShowDense(desk, int(state.range(0)));
    TppScreenDevice &device = *desk.viewer.ScreenDevice();
    for (auto _ : state) {
        device.RenderPage();
        benchmark::DoNotOptimize(device.PageBitmap().constBits());
    }
    state.SetLabel(QStringLiteral("%1 %, %2 x %3 px")
                       .arg(state.range(0))
                       .arg(device.PageBitmap().width())
                       .arg(device.PageBitmap().height())
                       .toStdString());
}
BENCHMARK(BM_ScreenDeviceRendersDensePage)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);

// The same texts and lines straight through QPainter, in the places and
// fonts the device used, into an image of the device's size.
void BM_QPainterDrawsSameContent(benchmark::State &state)
{
    PreviewDesk desk;
    previewShowDense(desk, int(state.range(0)));
    TppScreenDevice &device = *desk.viewer.ScreenDevice();
    const QSize size = device.PageBitmap().size();
    TppPage &page = *device.Page();
    const double scale = device.ScaleY();
    QFont font = gfx::ToQFont(static_cast<TppDrawText *>(page.DrawCommands(0))->Font()->Font(), 96);
    font.setPixelSize(std::max(1, int(font.pixelSize() * scale)));
    for (auto _ : state) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(QColor(0x80, 0x80, 0x80));
        QPainter painter(&image);
        painter.fillRect(QRect(device.OffsetX(), device.OffsetY(), device.PageWidth(), device.PageHeight()), Qt::white);
        painter.setFont(font);
        for (int i = 0; i < page.DrawCommandCount(); ++i) {
            const TppDrawCommand *command = page.DrawCommands(i);
            const QRect r(command->DrawLeft(), command->DrawTop(), command->DrawRight() - command->DrawLeft(),
                          command->DrawBottom() - command->DrawTop());
            if (const auto *text = dynamic_cast<const TppDrawText *>(command))
                painter.drawText(r, Qt::AlignLeft | Qt::AlignTop, text->Text());
            else
                painter.drawLine(r.left(), r.top(), r.right(), r.top());
        }
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetLabel(QStringLiteral("%1 %").arg(state.range(0)).toStdString());
}
BENCHMARK(BM_QPainterDrawsSameContent)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);

// A report of aPages dense pages on a stand-in producer.
struct PreviewReport
{
    explicit PreviewReport(int aPages, bool aCache)
    {
        reporttest::SetA4Portrait(*producer.PrinterSetup());
        producer.Publisher()->SetCachePages(aCache);
        reporttest::ProducerScript script;
        script.pageCount = aPages;
        script.commandsPerPage = 0;
        engine = std::make_unique<reporttest::StandInProducer>(producer.Publisher(), script);
        engine->BeforeDeliver = [](TppPage &aPage) {
            reporttest::SetA4Portrait(*aPage.PrinterSetup());
            previewFillDense(aPage);
        };
        desk.viewer.SetZoomSetting(TppZoomSettingType::zsWholePage);
        desk.viewer.SetReport(&producer);
        producer.PrintToDevices();
    }
    ~PreviewReport() { desk.viewer.SetReport(nullptr); }
    PreviewDesk desk;
    reporttest::StandInCommandClasses commands;
    TppProducer producer;
    std::unique_ptr<reporttest::StandInProducer> engine;
};

void BM_PageTurn(benchmark::State &state)
{
    const bool cached = state.range(0) != 0;
    PreviewReport report(3, cached);
    TppViewer &viewer = report.desk.viewer;
    if (cached) {
        viewer.LastPage(); // every page passes once and stays in the cache
        viewer.FirstPage();
    }
    int page = 1;
    for (auto _ : state) {
        page = page == 1 ? 2 : 1;
        viewer.GotoPage(page);
        viewer.PaintBox()->repaint();
    }
    state.SetLabel(cached ? "cached" : "generated");
}
BENCHMARK(BM_PageTurn)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// Bytes in use by the allocator.
size_t previewHeapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

void BM_ThousandPagePreviewMemory(benchmark::State &state)
{
    for (auto _ : state) {
        const size_t before = previewHeapInUse();
        // Without the page cache, as reports preview by default: only the
        // page shown is held.
        PreviewReport report(1000, false);
        TppViewer &viewer = report.desk.viewer;
        const size_t opened = previewHeapInUse();
        viewer.LastPage();
        const size_t atLast = previewHeapInUse();
        for (int page = 1; page <= 1000; page += 111)
            viewer.GotoPage(page);
        const size_t pagedThrough = previewHeapInUse();
        state.counters["opened_MB"] = double(opened - before) / 1e6;
        state.counters["at_last_page_MB"] = double(atLast - before) / 1e6;
        state.counters["paged_through_MB"] = double(pagedThrough - before) / 1e6;
    }
}
BENCHMARK(BM_ThousandPagePreviewMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
