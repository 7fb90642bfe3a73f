// What printing costs through the printer device: a job of 20 copies of one
// dense page (250 one-line texts and 250 lines) into the PDF printer's file
// and onto a file-backed queue of a private CUPS server, where the time from
// submission until the server has completed the job is counted apart; the
// same content drawn by QPainter on a QPrinter in PDF format as the yardstick;
// and 3 collated copies of the job, the pages served again from the page
// cache or generated again.

#include "tests/support/report/CupsServer.h"
#include "tests/support/report/PageFakes.h"
#include "tests/support/report/SamplePage.h"

#include "report/content/ContentRegistration.h"
#include "report/content/drawcommands/DrawShapes.h"
#include "report/content/drawcommands/DrawText.h"
#include "report/model/ModelRegistration.h"
#include "report/model/base/Units.h"
#include "report/model/pages/Page.h"
#include "report/model/printing/Printer.h"
#include "report/model/printing/PrinterList.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/output/PrinterDevice.h"
#include "report/output/PrintingSystem.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>

using namespace report;

namespace {

constexpr int Pages = 20;
constexpr int Rows = 50;
constexpr int Columns = 5;
const QString PdfPrinter = QStringLiteral("Print to File (PDF)");
const QString BenchQueue = QStringLiteral("BenchPdf");

reporttest::CupsServer *benchServer = nullptr;

struct DenseItem
{
    int32_t left;
    int32_t top;
    QString text;
};

std::vector<DenseItem> denseItems()
{
    std::vector<DenseItem> items;
    for (int row = 0; row < Rows; ++row)
        for (int column = 0; column < Columns; ++column)
            items.push_back({15000 + column * 37000, 15000 + row * 5200,
                             QStringLiteral("Row %1 column %2").arg(row + 1).arg(column + 1)});
    return items;
}

void fillDensePage(TppPage &aPage)
{
    for (const DenseItem &item : denseItems()) {
        auto *text = new TppDrawText();
        text->SetLeft(item.left);
        text->SetTop(item.top);
        text->SetWidth(35000);
        text->SetHeight(4000);
        text->SetText(item.text);
        text->SetTransparent(true);
        aPage.AddDrawCommand(text);
        auto *line = new TppDrawLine();
        line->SetLeft(item.left);
        line->SetTop(item.top + 4200);
        line->SetWidth(35000);
        line->SetHeight(500);
        line->SetWeight(0.5f);
        aPage.AddDrawCommand(line);
    }
}

void setUpPrinter(TppPrinterSetup &aSetup, const QString &aPrinter, const QString &aFile)
{
    reporttest::SetA4Portrait(aSetup);
    aSetup.SetPrinterName(aPrinter);
    aSetup.SetDocumentName(QStringLiteral("printer_bench"));
    aSetup.SetOutputFileName(aFile);
}

// One job of Pages copies of the dense page; answers its file's size.
qint64 printDenseJob(const QString &aPrinter, const QString &aFile)
{
    TppPrinterSetup setup;
    setUpPrinter(setup, aPrinter, aFile);
    TppPage page;
    page.SetPrinterSetup(&setup);
    page.SetFinal(true);
    fillDensePage(page);
    TppPrinterDevice device;
    device.Printer()->SetPrinterSetup(&setup);
    device.StartJob();
    for (int i = 1; i <= Pages; ++i) {
        page.SetPageNo(i);
        device.ReceivePage(&page);
    }
    device.EndJob();
    return QFileInfo(aFile).size();
}

void PrinterDeviceToPdf(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("bench.pdf");
    qint64 bytes = 0;
    for (auto _ : state)
        bytes = printDenseJob(PdfPrinter, file);
    state.counters["ms_per_page"] = benchmark::Counter(double(state.iterations()) * Pages,
                                                       benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["pdf_bytes_per_page"] = double(bytes) / Pages;
}
BENCHMARK(PrinterDeviceToPdf)->Unit(benchmark::kMillisecond)->UseRealTime();

// The drawing until the job is handed over, then, apart, the server's time
// until it has completed the job.
void PrinterDeviceToCupsQueue(benchmark::State &state)
{
    if (!benchServer) {
        state.SkipWithError("no CUPS server");
        return;
    }
    double completion = 0;
    for (auto _ : state) {
        printDenseJob(BenchQueue, QString());
        state.PauseTiming();
        QElapsedTimer wait;
        wait.start();
        benchServer->waitForJobs();
        completion += double(wait.nsecsElapsed()) / 1e6;
        state.ResumeTiming();
    }
    state.counters["ms_per_page"] = benchmark::Counter(double(state.iterations()) * Pages,
                                                       benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["until_completed_ms_per_page"] = completion / (double(state.iterations()) * Pages);
    state.counters["pdf_bytes_per_page"] = double(QFileInfo(benchServer->outputFile(BenchQueue)).size()) / Pages;
}
BENCHMARK(PrinterDeviceToCupsQueue)->Unit(benchmark::kMillisecond)->UseRealTime();

// The yardstick: Qt's own PDF printer at the PDF printer's resolution, the
// texts and the strokes of the lines drawn by QPainter where the device
// puts them.
void QPainterToPdf(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("qpainter.pdf");
    const std::vector<DenseItem> items = denseItems();
    constexpr int dpi = 300;
    const auto px = [](int32_t aMM) { return int(aMM / 25400.0 * dpi); };
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(8);
    qint64 bytes = 0;
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        printer.setResolution(dpi);
        printer.setFullPage(true);
        printer.setPageSize(QPageSize(QPageSize::A4));
        QPainter painter(&printer);
        painter.setFont(font);
        const int thickness = qRound(dpi * 0.5 / 72);
        for (int page = 0; page < Pages; ++page) {
            if (page > 0)
                printer.newPage();
            for (const DenseItem &item : items) {
                const QRect box(px(item.left), px(item.top), px(35000), px(4000));
                painter.drawText(box, Qt::AlignLeft | Qt::AlignTop, item.text);
                for (int i = 0; i < thickness; ++i)
                    painter.fillRect(QRect(box.left(), px(item.top + 4200) + i, box.width(), 1), Qt::black);
            }
        }
        painter.end();
        bytes = QFileInfo(file).size();
    }
    state.counters["ms_per_page"] = benchmark::Counter(double(state.iterations()) * Pages,
                                                       benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["pdf_bytes_per_page"] = double(bytes) / Pages;
}
BENCHMARK(QPainterToPdf)->Unit(benchmark::kMillisecond)->UseRealTime();

// 3 collated copies of a 20-page job of dense pages made by the stand-in
// report: the second and third copy come from the publisher's page cache
// (range(0) = 1) or are generated again (0). Time per copy.
void CollatedCopies(benchmark::State &state)
{
    constexpr int Copies = 3;
    const bool cached = state.range(0) != 0;
    QTemporaryDir dir;
    TppPrinterSetup setup;
    setUpPrinter(setup, PdfPrinter, dir.filePath("copies.pdf"));
    setup.SetCopies(Copies);
    setup.SetCollation(true);
    int generated = 0;
    for (auto _ : state) {
        TppPublisher publisher;
        publisher.SetCachePages(cached);
        reporttest::ProducerScript script;
        script.pageCount = Pages;
        script.commandsPerPage = 0;
        reporttest::StandInProducer producer(&publisher, script);
        producer.BeforeDeliver = [&](TppPage &aPage) {
            aPage.SetPrinterSetup(&setup);
            fillDensePage(aPage);
        };
        TppPrinterDevice device;
        device.Printer()->SetPrinterSetup(&setup);
        device.SetPublisher(&publisher);
        publisher.StartJob();
        publisher.Publish();
        publisher.EndJob();
        device.SetPublisher(nullptr);
        generated = producer.PagesMade;
    }
    state.counters["ms_per_copy"] = benchmark::Counter(double(state.iterations()) * Copies,
                                                       benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["pages_generated"] = generated;
}
BENCHMARK(CollatedCopies)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!qEnvironmentVariableIsSet("ZVO_SOURCE_DIR"))
        qputenv("ZVO_SOURCE_DIR", ZVO_SOURCE_FOLDER);
    QApplication app(argc, argv);
    // Cached pages are copies, made through the class registry.
    ppModelLayerInit();
    ppContentLayerInit();
    reporttest::CupsServer server;
    if (const QString reason = reporttest::CupsServer::unavailableReason(); !reason.isEmpty())
        std::fprintf(stderr, "printer_bench: %s; no queue\n", qPrintable(reason));
    else if (!server.start() || !server.addQueue(BenchQueue, QStringLiteral("zvo-a4.ppd")))
        std::fprintf(stderr, "printer_bench: %s; no queue\n", qPrintable(server.error()));
    else
        benchServer = &server;
    server.exportEnvironment();
    ppInstallPrintingSystem();
    ppFreePrinters();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    ppFreePrinters();
    ppContentLayerFinalize();
    ppModelLayerFinalize();
    return 0;
}
