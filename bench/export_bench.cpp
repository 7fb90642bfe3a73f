// The file devices alone, fed pages built once: MB/s of the text records
// (comma and fixed length) and of the page on a character grid, pages per
// second of archives written and read back with 100 commands a page, and
// the peak memory of an archive job by its page count. And the whole road
// once: reportdemo's list sample over 500,000 generated rows printed by its
// producer to a comma-separated text file.

#include "Samples.h"

#include "tests/support/report/CsvPipeline.h"
#include "tests/support/report/MemoryPipeline.h"
#include "tests/support/report/SamplePage.h"

#include "report/content/ContentRegistration.h"
#include "report/content/drawcommands/DrawText.h"
#include "report/model/ModelRegistration.h"
#include "report/model/pages/DeviceRegistry.h"
#include "report/model/pages/Page.h"
#include "report/model/reports/Report.h"
#include "report/output/ArchiveDevice.h"
#include "report/output/ArchiveReader.h"
#include "report/output/ReportTextFileDevice.h"
#include "report/output/TextFileDevice.h"

#include "platform/classes/Graphics.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/resource.h>

using namespace report;

namespace {

constexpr int exportBenchPages = 200;

// A page of 25 records of 4 saved fields, laid out as rows of a list.
std::vector<std::unique_ptr<TppPage>> exportBenchMakePages(int aPages, int aRecords, int aFields)
{
    std::vector<std::unique_ptr<TppPage>> pages;
    classes::TFont font;
    font.SetName(QStringLiteral("Courier New"));
    font.SetSize(10);
    for (int p = 0; p < aPages; ++p) {
        auto page = std::make_unique<TppPage>();
        reporttest::SetA4Portrait(*page->PrinterSetup());
        page->SetPageNo(p + 1);
        page->SetAbsolutePageNo(p + 1);
        page->SetLastPage(p + 1 == aPages);
        for (int r = 0; r < aRecords; ++r)
            for (int f = 0; f < aFields; ++f) {
                auto *text = new TppDrawText;
                text->SetText(QStringLiteral("Field %1, row %2").arg(f).arg(p * aRecords + r));
                text->SetLeft(10000 + f * 45000);
                text->SetTop(10000 + r * 5000);
                text->SetWidth(44000);
                text->SetHeight(4500);
                text->SetFont(&font);
                text->SetBandSave(true);
                text->SetBandSaveNo(p * aRecords + r);
                text->SetComponentSave(true);
                text->SetComponentSaveNo(f);
                text->SetSaveLength(20);
                page->AddDrawCommand(text);
            }
        pages.push_back(std::move(page));
    }
    return pages;
}

template <class Device>
int64_t exportBenchRun(Device &aDevice, const std::vector<std::unique_ptr<TppPage>> &aPages, const QString &aFile)
{
    aDevice.SetFileName(aFile);
    aDevice.StartJob();
    for (const auto &page : aPages)
        aDevice.WritePage(page.get());
    aDevice.EndJob();
    return QFileInfo(aFile).size();
}

void TextFileRecords(benchmark::State &state)
{
    const auto pages = exportBenchMakePages(exportBenchPages, 25, 4);
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("records.txt"));
    int64_t bytes = 0;
    for (auto _ : state) {
        TppTextFileDevice device;
        device.SetTextFileType(TppFileType(state.range(0)));
        bytes += exportBenchRun(device, pages, file);
    }
    state.SetBytesProcessed(bytes);
    state.SetLabel(state.range(0) == 0 ? "comma" : "fixed");
}
BENCHMARK(TextFileRecords)->Arg(int(TppFileType::ftComma))->Arg(int(TppFileType::ftFixedLength))->UseRealTime();

void ReportTextFilePages(benchmark::State &state)
{
    const auto pages = exportBenchMakePages(exportBenchPages, 25, 4);
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("pages.txt"));
    int64_t bytes = 0;
    TppReportTextFileDevice device;
    for (auto _ : state)
        bytes += exportBenchRun(device, pages, file);
    state.SetBytesProcessed(bytes);
}
BENCHMARK(ReportTextFilePages)->UseRealTime();

void ArchiveWrite(benchmark::State &state)
{
    const auto pages = exportBenchMakePages(int(state.range(0)), 25, 4);
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("pages.raf"));
    for (auto _ : state) {
        TppArchiveDevice device;
        exportBenchRun(device, pages, file);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MiB"] = double(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(ArchiveWrite)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

void ArchiveRead(benchmark::State &state)
{
    const auto pages = exportBenchMakePages(100, 25, 4);
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("pages.raf"));
    TppArchiveDevice device;
    exportBenchRun(device, pages, file);
    for (auto _ : state) {
        const TppArchiveReader reader = TppArchiveReader::FromFile(file);
        for (int i = 0; i < reader.PageCount(); ++i)
            benchmark::DoNotOptimize(reader.ReadPage(i));
    }
    state.SetItemsProcessed(state.iterations() * 100);
}
BENCHMARK(ArchiveRead)->Unit(benchmark::kMillisecond)->UseRealTime();

// Rows like the list sample's own: a name with a blank (quoted), every
// seventh city with a comma in it.
QString exportBenchWriteListCsv(const QString &aFileName, int aRows)
{
    QFile file(aFileName);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    static const char *const cities[] = {"Lyon", "Porto", "Oslo", "\"Turin, Italy\"", "Berlin", "Gent", "Bergen"};
    QByteArray bytes("Id,Name,City,Amount\n");
    for (int row = 1; row <= aRows; ++row)
        bytes += QByteArray::number(row) + ",Name " + QByteArray::number(row) + ',' + cities[row % 7] + ',' +
                 QByteArray::number(row * 9.25, 'f', 2) + '\n';
    return file.write(bytes) == bytes.size() ? QString() : file.errorString();
}

void ListSampleToTextFile(benchmark::State &state)
{
    QTemporaryDir folder;
    const QString csv = folder.filePath(QStringLiteral("rows.csv"));
    QString error = exportBenchWriteListCsv(csv, int(state.range(0)));
    reporttest::MemoryPipeline data;
    if (error.isEmpty())
        reporttest::LoadCsvPipeline(csv, data, error);
    if (!error.isEmpty()) {
        state.SkipWithError(error.toStdString().c_str());
        return;
    }
    ppRegisterDevice(&ppDeviceClass<TppTextFileDevice>());
    const QString out = folder.filePath(QStringLiteral("rows.txt"));
    int64_t bytes = 0;
    int64_t pages = 0;
    for (auto _ : state) {
        std::unique_ptr<TppReport> report = reportdemo::CreateSample(QStringLiteral("list"), data);
        report->SetDeviceType(QStringLiteral("TextFile"));
        report->SetTextFileName(out);
        report->SetShowPrintDialog(false);
        report->SetShowCancelDialog(false);
        report->OnEndPage.Set([&pages](classes::TObject *) { ++pages; });
        report->Print();
        bytes += QFileInfo(out).size();
    }
    ppUnRegisterDevice(&ppDeviceClass<TppTextFileDevice>());
    state.SetBytesProcessed(bytes);
    state.counters["pages"] = double(pages) / double(state.iterations());
    state.counters["pages_per_s"] = benchmark::Counter(double(pages), benchmark::Counter::kIsRate);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MiB"] = double(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(ListSampleToTextFile)->Arg(500000)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Archives are read back through the class registry.
    ppModelLayerInit();
    ppContentLayerInit();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    ppContentLayerFinalize();
    ppModelLayerFinalize();
    return 0;
}
