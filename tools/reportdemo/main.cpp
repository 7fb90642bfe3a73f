// reportdemo: prints a sample report over a CSV file.
//
//   reportdemo --report REPORT --data FILE.csv [--device Trace|Screen] [--pages LIST] [--out FILE] [--dump FILE]
//   reportdemo --report REPORT --data FILE.csv --device Printer [--printer NAME]
//   reportdemo --report REPORT --data FILE.csv --pdf FILE
//   reportdemo --report REPORT --data FILE.csv --device TextFile|ReportTextFile|ArchiveFile --out FILE [--pages LIST]
//   reportdemo --report REPORT --data FILE.csv --save-template FILE.rtm [--text]
//   reportdemo --template FILE.rtm --data FILE.csv [any device option above]
//   reportdemo --report REPORT --data FILE.csv --device Screen --search TEXT
//   any of the above with [--criteria FIELD:OPERATOR:EXPRESSION]... [--ask]
//
// REPORT is list, grouped, barcodes, memo, variables, shapes or subreport.
//
// The Trace device writes a line per page naming its bands; --dump lists
// the draw commands of those pages. The Screen device with --out FILE.png
// draws each page at 100 % into FILE-1.png, FILE-2.png, ... without a
// window; without --out it opens the preview. The Printer device prints on
// a printer of the machine's printing system (the default one unless
// named), without print or cancel dialog; --pdf prints into a PDF file.
// The file devices write the detail texts as comma-separated records
// (TextFile), the pages imitated in plain text (ReportTextFile) or an
// archive of the pages (ArchiveFile) into --out. Every report can be
// searched in the preview; --search TEXT searches for TEXT as it opens.
// --save-template stores the sample as a report template (binary, or text
// with --text) and prints nothing; --template prints the report a template
// holds in place of a sample.
// --criteria adds an auto-search criterion (OPERATOR a TppSearchOperatorType
// name, several values separated by ","; repeatable) and prints only the
// records that match them all; --ask shows the "Search" dialog first, in
// which the user may change them (Cancel prints nothing).
// Exit 0 when
// done (an information the library gives on the way is a line of its own),
// 1 when generation fails (its message on one line), 2 for bad arguments or
// data (one line).

#include "Criteria.h"
#include "OutputFile.h"
#include "PageDump.h"
#include "PictureFiles.h"
#include "PrinterChoice.h"
#include "Samples.h"
#include "ScreenRun.h"

#include "tests/support/report/CsvPipeline.h"
#include "tests/support/report/MemoryPipeline.h"
#include "tests/support/report/TraceDevice.h"

#include "report/content/ContentRegistration.h"
#include "report/model/ModelRegistration.h"
#include "report/model/base/Exceptions.h"
#include "report/model/base/Messages.h"
#include "report/model/base/Utils.h"
#include "report/model/data/DataPipeline.h"
#include "report/model/forms/CustomForm.h"
#include "report/model/forms/DialogServices.h"
#include "report/model/pages/DeviceRegistry.h"
#include "report/model/pages/PageRequest.h"
#include "report/model/pages/Publisher.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/model/production/FileDevice.h"
#include "report/model/production/TextSearchSettings.h"
#include "report/model/reports/Report.h"
#include "report/model/templates/ReportTemplate.h"
#include "report/output/LibraryInit.h"

#include "platform/classes/Component.h"
#include "platform/classes/StringList.h"
#include "platform/rtl/LocalNames.h"
#include "platform/shell/Modal.h"

#include <QApplication>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace {

constexpr int demoExitFailed = 1;
constexpr int demoExitUsage = 2;

const char demoUsage[] =
    "usage: reportdemo --report list|grouped|barcodes|memo|variables|shapes|subreport --data FILE.csv "
    "[--device Trace|Screen|Printer|TextFile|ReportTextFile|ArchiveFile] "
    "[--printer NAME] [--pdf FILE] [--pages LIST] [--out FILE] [--dump FILE] "
    "[--save-template FILE [--text]] [--search TEXT] [--criteria FIELD:OPERATOR:EXPRESSION]... [--ask] "
    "| --template FILE --data FILE.csv ...";
const char demoPdfPrinter[] = "Print to File (PDF)";

struct DemoOptions
{
    QString report;
    QString data;
    QString device = QStringLiteral("Trace");
    QString pages;
    QString out;
    QString dump;
    QString printer;
    QString pdf;
    QString templateFile;
    QString saveTemplate;
    QString search;
    bool text = false;
    QStringList criteria;
    bool ask = false;
    QStringList later; // options of later versions that were given
    bool help = false;
};

// One line on stderr; line breaks inside the text become blanks.
void demoError(const QString &aText)
{
    QString line = aText.simplified();
    std::fprintf(stderr, "reportdemo: %s\n", line.toLocal8Bit().constData());
}

bool parseDemoOptions(const QStringList &aArgs, DemoOptions &aOptions, QString &aError)
{
    const std::map<QString, QString DemoOptions::*> valued{
        {QStringLiteral("--report"), &DemoOptions::report},
        {QStringLiteral("--data"), &DemoOptions::data},
        {QStringLiteral("--device"), &DemoOptions::device},
        {QStringLiteral("--pages"), &DemoOptions::pages},
        {QStringLiteral("--out"), &DemoOptions::out},
        {QStringLiteral("--dump"), &DemoOptions::dump},
        {QStringLiteral("--printer"), &DemoOptions::printer},
        {QStringLiteral("--pdf"), &DemoOptions::pdf},
        {QStringLiteral("--template"), &DemoOptions::templateFile},
        {QStringLiteral("--save-template"), &DemoOptions::saveTemplate},
        {QStringLiteral("--search"), &DemoOptions::search}};
    // Options of the plan that later versions bring; each takes a value.
    const QStringList laterValued;
    for (int i = 1; i < aArgs.size(); ++i) {
        const QString &arg = aArgs[i];
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            aOptions.help = true;
            return true;
        }
        if (arg == QLatin1String("--text")) {
            aOptions.text = true;
            continue;
        }
        if (arg == QLatin1String("--ask")) {
            aOptions.ask = true;
            continue;
        }
        if (arg == QLatin1String("--criteria")) {
            if (i + 1 >= aArgs.size()) {
                aError = QStringLiteral("--criteria needs a value");
                return false;
            }
            aOptions.criteria.append(aArgs[++i]);
            continue;
        }
        const auto known = valued.find(arg);
        const bool later = laterValued.contains(arg);
        if (known == valued.end() && !later) {
            aError = QStringLiteral("unknown option \"%1\"; %2").arg(arg, QLatin1String(demoUsage));
            return false;
        }
        if (i + 1 >= aArgs.size()) {
            aError = QStringLiteral("%1 needs a value").arg(arg);
            return false;
        }
        const QString value = aArgs[++i];
        if (later)
            aOptions.later.append(arg);
        else
            aOptions.*(known->second) = value;
    }
    if (aOptions.report.isEmpty() == aOptions.templateFile.isEmpty() && aOptions.later.isEmpty()) {
        aError = aOptions.report.isEmpty() ? QLatin1String(demoUsage)
                                           : QStringLiteral("--report and --template exclude each other");
        return false;
    }
    if (aOptions.text && aOptions.saveTemplate.isEmpty()) {
        aError = QStringLiteral("--text goes with --save-template");
        return false;
    }
    const bool printer = aOptions.device.compare(QLatin1String("Printer"), Qt::CaseInsensitive) == 0;
    if (!aOptions.pdf.isEmpty()) {
        if (!printer && aOptions.device != QLatin1String("Trace")) {
            aError = QStringLiteral("--pdf prints on the Printer device");
            return false;
        }
        if (!aOptions.printer.isEmpty()) {
            aError = QStringLiteral("--pdf prints on \"%1\"; leave out --printer").arg(QLatin1String(demoPdfPrinter));
            return false;
        }
        aOptions.device = QStringLiteral("Printer");
    } else if (!aOptions.printer.isEmpty() && !printer) {
        aError = QStringLiteral("--printer needs --device Printer");
        return false;
    }
    return true;
}

// The files a data error is about: a template names fields that the CSV
// may not have.
struct DemoDataFiles
{
    QString templateFile;
    QString dataFile;
    const report::TppDataPipeline *data = nullptr;
};
DemoDataFiles demoDataFiles;

QString demoErrorText(const std::exception &aError)
{
    if (const auto *dataError = dynamic_cast<const report::EDataError *>(&aError); dataError && demoDataFiles.data) {
        QString text = demoDataFiles.dataFile;
        if (const int record = demoDataFiles.data->RecordIndex(); record >= 0)
            text += QStringLiteral(", record %1").arg(record + 1);
        text += QStringLiteral(": ") + dataError->Message();
        return demoDataFiles.templateFile.isEmpty() ? text : demoDataFiles.templateFile + QStringLiteral(": ") + text;
    }
    if (const auto *brevantor = dynamic_cast<const report::EBrevantorError *>(&aError))
        return brevantor->Message();
    return QString::fromUtf8(aError.what());
}

// A stored report refers to its groups and objects by name, and the samples
// are built in code without names: each unnamed one gets the designer's
// kind of name, its class without the T and a number.
void nameDemoComponents(classes::TComponent &aComponent, std::map<QString, int> &aNumbers)
{
    aComponent.GetChildren(
        [&aNumbers](classes::TComponent *aChild) {
            if (aChild->Name().isEmpty()) {
                const QString base = aChild->ClassName().mid(1);
                aChild->SetName(base + QString::number(++aNumbers[base]));
            }
            nameDemoComponents(*aChild, aNumbers);
        },
        nullptr);
}

// The data lives on the stack: it leaves the form before the form goes.
struct DemoFormRelease
{
    classes::TComponent &form;
    classes::TComponent &data;
    ~DemoFormRelease() { form.RemoveComponent(&data); }
};

bool writeDemoOutput(const QString &aFileName, const QByteArray &aBytes, QString &aError)
{
    if (aFileName.isEmpty()) {
        std::fwrite(aBytes.constData(), 1, size_t(aBytes.size()), stdout);
        if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
            aError = QStringLiteral("standard output: ") + QString::fromLocal8Bit(std::strerror(errno));
            return false;
        }
        return true;
    }
    return reportdemo::SaveOutputFile(aFileName, aBytes, aError);
}

int runScreen(report::TppReport &aReport, const report::TppPageRequest &aRequest, const DemoOptions &aOptions)
{
    QString error;
    try {
        if (aOptions.out.isEmpty()) {
            aReport.SetDeviceType(QStringLiteral("Screen"));
            // The preview's Print may go to a file or an archive.
            aReport.SetAllowPrintToFile(true);
            aReport.SetAllowPrintToArchive(true);
            aReport.Print();
            return 0;
        }
        if (!reportdemo::RenderPagesToPng(aReport, aRequest, aOptions.out, error)) {
            demoError(error);
            return demoExitFailed;
        }
    } catch (const report::EBrevantorError &e) {
        demoError(demoErrorText(e));
        return demoExitFailed;
    } catch (const std::exception &e) {
        demoError(QString::fromUtf8(e.what()));
        return demoExitFailed;
    }
    return 0;
}

// Prints through the report's own print road, as a program would, with
// neither print nor cancel dialog: nobody is there to answer them. A warning
// or error the library would show in a box is the failure's reason; an
// information box (the conversion notice of a report from before 4.0) is
// written as a line of its own and the run goes on, as the library does.
int demoPrintQuietly(report::TppReport &aReport, const QString &aDeviceType, const std::function<void()> &aPrint)
{
    QStringList messages;
    report::ScopedDialogServices services(
        report::TppDialogServices{[](int64_t) {},
                                  [&messages](const report::TppMessageRequest &aRequest) {
                                      if (aRequest.kind == report::TppMessageKind::Information)
                                          demoError(aRequest.text);
                                      else
                                          messages << aRequest.text;
                                      return 1;
                                  }});
    aReport.SetDeviceType(aDeviceType);
    aReport.SetShowPrintDialog(false);
    aReport.SetShowCancelDialog(false);
    try {
        aPrint();
    } catch (const report::EBrevantorError &e) {
        demoError(demoErrorText(e));
        return demoExitFailed;
    } catch (const std::exception &e) {
        demoError(QString::fromUtf8(e.what()));
        return demoExitFailed;
    }
    if (!messages.isEmpty()) {
        demoError(messages.join(QLatin1Char(' ')));
        return demoExitFailed;
    }
    return 0;
}

int printDemo(report::TppReport &aReport, const DemoOptions &aOptions)
{
    report::TppPrinterSetup *setup = aReport.PrinterSetup();
    if (!aOptions.pdf.isEmpty()) {
        setup->SetPrinterName(QLatin1String(demoPdfPrinter));
        setup->SetOutputFileName(QFileInfo(aOptions.pdf).absoluteFilePath());
    } else if (!aOptions.printer.isEmpty()) {
        QString error;
        if (!reportdemo::CheckPrinterName(aOptions.printer, error)) {
            demoError(error);
            return demoExitFailed;
        }
        setup->SetPrinterName(aOptions.printer);
    }
    return demoPrintQuietly(aReport, QStringLiteral("Printer"), [&aReport] { aReport.Print(); });
}

bool demoIsFileDevice(const QString &aDevice)
{
    for (const char *name : {"TextFile", "ReportTextFile", "ArchiveFile"})
        if (aDevice.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// The report printed by its producer onto the file device named, as a
// program would, the file name from --out.
int fileDemo(report::TppReport &aReport, const report::TppPageRequest &aRequest, const DemoOptions &aOptions)
{
    if (aOptions.out.isEmpty()) {
        demoError(QStringLiteral("--device %1 needs --out FILE").arg(aOptions.device));
        return demoExitUsage;
    }
    const QString fileName = QFileInfo(aOptions.out).absoluteFilePath();
    if (aOptions.device.compare(QLatin1String("ArchiveFile"), Qt::CaseInsensitive) == 0)
        aReport.SetArchiveFileName(fileName);
    else
        aReport.SetTextFileName(fileName);
    if (aRequest.PageSetting() != report::TppPageSettingType::psPageList)
        return demoPrintQuietly(aReport, aOptions.device, [&aReport] { aReport.Print(); });

    // A page list goes through a device of the run's own, which the producer
    // would make without one.
    const report::TppDeviceClass *deviceClass = report::ppGetDeviceClass(aOptions.device);
    std::unique_ptr<report::TppDevice> device(deviceClass ? deviceClass->Create(nullptr) : nullptr);
    auto *fileDevice = dynamic_cast<report::TppFileDevice *>(device.get());
    if (!fileDevice) {
        demoError(QStringLiteral("the device \"%1\" is not available").arg(aOptions.device));
        return demoExitUsage;
    }
    fileDevice->SetFileName(fileName);
    fileDevice->SetPageRequest(&aRequest);
    fileDevice->SetPublisher(aReport.Publisher());
    const int code = demoPrintQuietly(aReport, aOptions.device, [&aReport] { aReport.PrintToDevices(); });
    fileDevice->SetPublisher(nullptr);
    return code;
}

// Whether the arguments ask for the preview window or the search dialog,
// which need a display.
bool demoShowsWindow(int argc, char **argv)
{
    bool screen = false;
    bool out = false;
    for (int i = 1; i < argc; ++i)
        if (QByteArray(argv[i]) == "--ask")
            return true;
    for (int i = 1; i + 1 < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--device")
            screen = QByteArray(argv[i + 1]).compare("Screen", Qt::CaseInsensitive) == 0;
        else if (arg == "--out")
            out = true;
    }
    return screen && !out;
}

// A line told once the run has ended well: a failure's own line comes
// instead, so that a run writes at most one.
QString demoNotice;

// A report keeps AutoStop False while it reads a data pipeline. One whose
// template lost the pipeline (its name damaged, or not written) would print
// its detail band for ever: nothing in this program stops it as a
// program's own code could. Each such report, the main one or a child,
// reads an empty pipeline instead, so that its no-data behaviour decides
// what prints. Answers whether there was one.
bool demoGiveLostPipelinesNoData(report::TppReport &aReport,
                                 std::vector<std::unique_ptr<reporttest::MemoryPipeline>> &aPipelines)
{
    std::vector<report::TppCustomReport *> tree;
    aReport.GetReportTree(tree);
    bool found = false;
    for (report::TppCustomReport *each : tree) {
        if (each->DataPipeline() || each->AutoStop())
            continue;
        aPipelines.push_back(std::make_unique<reporttest::MemoryPipeline>());
        each->SetDataPipeline(aPipelines.back().get());
        found = true;
    }
    return found;
}

int runDemo(const DemoOptions &aOptions)
{
    if (!aOptions.later.isEmpty()) {
        demoError(QStringLiteral("%1 is not available in this version").arg(aOptions.later.first()));
        return demoExitUsage;
    }
    const bool screen = aOptions.device.compare(QLatin1String("Screen"), Qt::CaseInsensitive) == 0;
    const bool toPrinter = aOptions.device.compare(QLatin1String("Printer"), Qt::CaseInsensitive) == 0;
    const bool toFile = demoIsFileDevice(aOptions.device);
    if (toFile && !report::ppGetDeviceClass(aOptions.device)) {
        demoError(QStringLiteral("the device \"%1\" is not available in this version").arg(aOptions.device));
        return demoExitUsage;
    }
    if (!screen && !toPrinter && !toFile && aOptions.device.compare(QLatin1String("Trace"), Qt::CaseInsensitive) != 0) {
        demoError(QStringLiteral("unknown device \"%1\"").arg(aOptions.device));
        return demoExitUsage;
    }
    if (aOptions.templateFile.isEmpty() && reportdemo::LaterSampleNames().contains(aOptions.report)) {
        demoError(QStringLiteral("the report \"%1\" is not available in this version").arg(aOptions.report));
        return demoExitUsage;
    }
    if (aOptions.templateFile.isEmpty() && !reportdemo::SampleNames().contains(aOptions.report)) {
        demoError(QStringLiteral("unknown report \"%1\"; the reports are %2")
                      .arg(aOptions.report, reportdemo::SampleNames().join(QStringLiteral(", "))));
        return demoExitUsage;
    }
    if (aOptions.data.isEmpty()) {
        demoError(QStringLiteral("--data FILE.csv is needed"));
        return demoExitUsage;
    }

    report::TppPageRequest request;
    if (!aOptions.pages.isEmpty()) {
        classes::TStringList pages;
        if (!report::ppTextToPageList(aOptions.pages, pages, true)) {
            demoError(report::ppLoadStr(11));
            return demoExitUsage;
        }
        request.SetPageSetting(report::TppPageSettingType::psPageList);
        request.SetPageList(&pages);
    }

    reporttest::MemoryPipeline data;
    QString error;
    if (!reporttest::LoadCsvPipeline(aOptions.data, data, error)) {
        demoError(error);
        return demoExitUsage;
    }
    demoDataFiles = DemoDataFiles{aOptions.templateFile, aOptions.data, &data};
    // The data goes when the run does.
    const std::unique_ptr<DemoDataFiles, void (*)(DemoDataFiles *)> forget(&demoDataFiles,
                                                                           [](DemoDataFiles *aFiles) { *aFiles = {}; });
    // A template names the pipelines its report reads: the data goes by one
    // name into the form that owns a loaded report.
    data.SetName(QStringLiteral("Data"));
    classes::TComponent form(nullptr);
    form.InsertComponent(&data);
    const DemoFormRelease release{form, data};
    // Empty pipelines for reports of a template that lost theirs; they go
    // after the report.
    std::vector<std::unique_ptr<reporttest::MemoryPipeline>> noData;
    std::unique_ptr<report::TppReport> sample;
    if (aOptions.templateFile.isEmpty()) {
        // Building a sample reads its first record (a picture that does not
        // decode fails here).
        try {
            sample = reportdemo::CreateSample(aOptions.report, data);
        } catch (const std::exception &e) {
            demoError(demoErrorText(e));
            return demoExitFailed;
        }
    } else {
        reportdemo::ResolveSamplePictureNames(data);
        sample = std::make_unique<report::TppReport>(&form);
        sample->Template()->SetFileName(aOptions.templateFile);
        try {
            sample->Template()->LoadFromFile();
        } catch (const std::exception &e) {
            demoError(aOptions.templateFile + QStringLiteral(": ") + demoErrorText(e));
            return demoExitUsage;
        }
    }
    reportdemo::DemoCriteria criteria(*sample, data);
    for (const QString &spec : aOptions.criteria)
        if (!criteria.Add(spec, error)) {
            demoError(error);
            return demoExitUsage;
        }
    sample->SetShowAutoSearchDialog(aOptions.ask);
    if (!aOptions.saveTemplate.isEmpty()) {
        std::map<QString, int> numbers;
        nameDemoComponents(*sample, numbers);
        report::TppReportTemplate &storage = *sample->Template();
        storage.SetFormat(aOptions.text ? report::TppFormatType::ftASCII : report::TppFormatType::ftBinary);
        storage.SetFileName(aOptions.saveTemplate);
        try {
            storage.SaveToFile();
        } catch (const std::exception &e) {
            demoError(demoErrorText(e));
            return demoExitFailed;
        }
        return 0;
    }
    reportdemo::RequirePictureFiles(*sample);
    if (!aOptions.templateFile.isEmpty() && demoGiveLostPipelinesNoData(*sample, noData))
        demoNotice = aOptions.templateFile +
                     QStringLiteral(": a report reads no data pipeline and does not stop by itself (AutoStop is "
                                    "False); it printed as a report without data");
    // The preview offers its find toolbar for every report.
    report::TppTextSearchSettings &search = *sample->TextSearchSettings();
    search.SetEnabled(true);
    if (!aOptions.search.isEmpty()) {
        search.SetDefaultString(aOptions.search);
        search.SetSearchOnStart(true);
    }
    if (screen)
        return runScreen(*sample, request, aOptions);
    if (toPrinter) {
        if (!aOptions.pages.isEmpty() || !aOptions.out.isEmpty() || !aOptions.dump.isEmpty()) {
            demoError(QStringLiteral("--pages, --out and --dump do not go with the Printer device"));
            return demoExitUsage;
        }
        return printDemo(*sample, aOptions);
    }
    if (toFile) {
        if (!aOptions.dump.isEmpty()) {
            demoError(QStringLiteral("--dump does not go with the file devices"));
            return demoExitUsage;
        }
        return fileDemo(*sample, request, aOptions);
    }
    reportdemo::DumpDevice device;
    device.SetKeepDump(!aOptions.dump.isEmpty());
    device.SetPageRequest(&request);
    device.SetPublisher(sample->Publisher());
    try {
        // The Trace device is driven without Print: its search step runs here.
        if (aOptions.ask) {
            if (!sample->ExecuteAutoSearchDialog())
                return 0;
        } else if (sample->AutoSearchFieldCount() > 0) {
            sample->DoOnGetAutoSearchValues();
        }
        sample->PrintToDevices();
    } catch (const report::EBrevantorError &e) {
        demoError(demoErrorText(e));
        return demoExitFailed;
    } catch (const std::exception &e) {
        demoError(QString::fromUtf8(e.what()));
        return demoExitFailed;
    }
    device.SetPublisher(nullptr);
    if (!writeDemoOutput(aOptions.out, device.Text().toUtf8(), error)) {
        demoError(error);
        return demoExitFailed;
    }
    if (!aOptions.dump.isEmpty() && !writeDemoOutput(aOptions.dump, device.Dump().toUtf8(), error)) {
        demoError(error);
        return demoExitFailed;
    }
    return 0;
}

// The run's one line on standard error is its contract with scripts: Qt's
// own warnings (a painter that cannot begin, a runtime folder not set) stay
// off it.
void demoQtMessage(QtMsgType aType, const QMessageLogContext &, const QString &aText)
{
    if (aType == QtCriticalMsg || aType == QtFatalMsg)
        std::fprintf(stderr, "reportdemo: %s\n", aText.simplified().toLocal8Bit().constData());
}

} // namespace

int main(int argc, char **argv)
{
    // A file-size limit (ulimit -f), or a pipe whose reader went away, would
    // kill the run without a word; a write they stop fails instead, and the
    // run says so in its one line.
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
    qInstallMessageHandler(demoQtMessage);
    // Qt would turn such bytes into other ones, and --out would write, and
    // --data read, a file of another name.
    if (const std::optional<std::string> bad = rtl::undecodableArgument(argc, argv)) {
        std::fprintf(stderr, "reportdemo: %s\n", rtl::undecodableArgumentMessage(*bad).c_str());
        return demoExitUsage;
    }
    // Texts are measured with fonts, which need the GUI application; only
    // the preview draws on screen, so nothing else needs a display.
    const bool window = demoShowsWindow(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !window)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Without a window nobody could answer a modal dialog (a template's read
    // error asks whether to go on): each is answered as Cancel at once.
    std::optional<shell::ScopedDialogSink> cancelDialogs;
    if (!window)
        cancelDialogs.emplace([](QWidget &, const shell::ModalWait &) { return report::ppModalResultCancel; });
    DemoOptions options;
    QString error;
    if (!parseDemoOptions(QCoreApplication::arguments(), options, error)) {
        demoError(error);
        return demoExitUsage;
    }
    if (options.help) {
        std::printf("%s\n", demoUsage);
        return 0;
    }
    // The screen and printer devices and the preview come with the
    // library's window layer, which also installs the printing system (before
    // the report is made, whose printer setup reads the printer list); the
    // Trace device needs neither.
    const bool windowLayer = options.ask || options.device.compare(QLatin1String("Screen"), Qt::CaseInsensitive) == 0 ||
                             options.device.compare(QLatin1String("Printer"), Qt::CaseInsensitive) == 0 ||
                             demoIsFileDevice(options.device);
    if (windowLayer) {
        report::ppLibraryInit();
    } else {
        report::ppModelLayerInit();
        report::ppContentLayerInit();
    }
    reporttest::ppRegisterTraceDevice();
    int code = demoExitFailed;
    try {
        code = runDemo(options);
        if (code == 0 && !demoNotice.isEmpty())
            demoError(demoNotice);
    } catch (const std::exception &e) {
        // Whatever a step outside printing raises ends the run as a failure,
        // not as an abort.
        demoError(demoErrorText(e));
    }
    if (windowLayer) {
        report::ppLibraryFinalize();
    } else {
        report::ppContentLayerFinalize();
        report::ppModelLayerFinalize();
    }
    return code;
}
