// Printing through Qt onto queues of a CUPS server of the test's own, read
// back from the PDF files the queues write and from the server's page log.
// One server serves the whole program; the test that stops it runs last.

#include "tests/report/CupsFixture.h"
#include "tests/support/report/PdfReadBack.h"

#include "report/model/base/Exceptions.h"
#include "report/model/printing/Printer.h"
#include "report/model/printing/PrinterList.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/output/PrintingSystem.h"

#include "platform/print/fake/FakePrinterBackend.h"
#include "platform/rtl/FormatSettings.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cups/cups.h>

#include <unistd.h>

using namespace report;
using reporttest::CupsServer;

namespace {

QStringList printerNames(const classes::TStrings &list)
{
    QStringList out;
    for (int i = 0; i < list.Count(); ++i)
        out << list.Strings(i);
    return out;
}

QString tool(const QString &program, const QStringList &arguments)
{
    return reporttest::pdfTool(program, arguments);
}

QStringList pageSizes(const QString &pdf)
{
    return reporttest::pdfPageSizes(pdf);
}

QImage rasterise(const QString &pdf)
{
    return reporttest::pdfRasterise(pdf, 96);
}

bool dark(const QImage &image, int x, int y)
{
    return qGray(image.pixel(x, y)) < 128;
}

class CupsPrinting : public reporttest::CupsSuite
{
protected:
    static void SetUpTestSuite()
    {
        StartServer({{"JobA4", "zvo-a4.ppd"},
                     {"JobGone", "zvo-a4.ppd"},
                     {"JobReject", "zvo-a4.ppd"},
                     {"JobTrays", "zvo-trays.ppd"},
                     {"JobMargins", "zvo-margins.ppd"},
                     {"TestA4", "zvo-a4.ppd"},
                     {"TestLetter", "zvo-letter.ppd"},
                     {"TestTrays", "zvo-trays.ppd"}},
                    "TestLetter");
    }

    static void TearDownTestSuite() { StopServer(); }

    // A job of `pages` pages with a 10 mm black square at (20, 30) mm on
    // the first.
    static void printSquare(TppPrinter &printer, int pages = 1)
    {
        printer.BeginDoc();
        for (int page = 0; page < pages; ++page) {
            printer.StartPage();
            if (page == 0) {
                const auto px = [&](int mm, TppAxisType axis) {
                    return int(ppFromMMThousandths(mm, TppUnitType::utPrinterPixels, axis, &printer));
                };
                const rtl::TRect margins = printer.GetPrinterMargins();
                const int left = px(20000, TppAxisType::atHorizontal) - margins.Left;
                const int top = px(30000, TppAxisType::atVertical) - margins.Top;
                printer.Canvas()->Canvas().FillRect(rtl::TRect{left, top, left + px(10000, TppAxisType::atHorizontal),
                                                               top + px(10000, TppAxisType::atVertical)},
                                                    gfx::Brush::solid(rtl::clBlack));
            }
            printer.EndPage();
        }
        printer.EndDoc();
    }

    static void expectSquareAt76And113(const QString &pdf)
    {
        const QImage page = rasterise(pdf);
        ASSERT_FALSE(page.isNull()) << pdf.toStdString();
        int left = -1;
        int top = -1;
        for (int x = 60; x < 90 && left < 0; ++x)
            if (dark(page, x, 130))
                left = x;
        for (int y = 95; y < 125 && top < 0; ++y)
            if (dark(page, 90, y))
                top = y;
        EXPECT_NEAR(left, 76, 1);
        EXPECT_NEAR(top, 113, 1);
        EXPECT_TRUE(dark(page, 110, 148));
        EXPECT_FALSE(dark(page, 116, 153));
    }
};

TEST_F(CupsPrinting, TheQueuesStandBetweenScreenAndThePdfPrinter)
{
    TppPrinterList *list = ppGetPrinterList();
    EXPECT_EQ(printerNames(list->Printers()),
              QStringList({"Default", "Screen", "JobA4", "JobGone", "JobMargins", "JobReject", "JobTrays", "TestA4",
                           "TestLetter", "TestTrays", "Print to File (PDF)"}));
    EXPECT_EQ(list->DefaultPrinterName(), "TestLetter");
    const TppPrinterInfo *trays = list->PrinterByName("TestTrays");
    EXPECT_EQ(trays->Driver(), "Zarvello Test Trays");
    EXPECT_EQ(trays->Device(), "TestTrays");
    EXPECT_TRUE(trays->IsLocal());

    TppPrinterSetup setup;
    EXPECT_EQ(setup.PrinterDescription(), "TestLetter");
}

TEST_F(CupsPrinting, OurPpdsPassTheServersCheck)
{
    QTemporaryDir bin;
    ASSERT_TRUE(QDir().mkpath(bin.filePath("filter")));
    ASSERT_TRUE(QFile::copy(CupsServer::dataFolder() + "/zvo-pdfpass", bin.filePath("filter/zvo-pdfpass")));
    QFile::setPermissions(bin.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                          QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    QProcess check;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("CUPS_SERVERBIN", bin.path()); // where it looks for our filter
    check.setProcessEnvironment(env);
    const QDir data(CupsServer::dataFolder());
    QStringList ppds;
    for (const QString &name : data.entryList({"*.ppd"}))
        ppds << data.filePath(name);
    ASSERT_EQ(ppds.size(), 4);
    // The check wants filters that root owns, which only root can make; the
    // server of a user runs them all the same.
    const QStringList relaxed = geteuid() == 0 ? QStringList() : QStringList({"-W", "filters"});
    check.start("cupstestppd", relaxed + ppds);
    ASSERT_TRUE(check.waitForFinished(20000));
    EXPECT_EQ(check.exitCode(), 0) << check.readAll().toStdString();
}

TEST_F(CupsPrinting, PapersBinsAndResolutionComeFromTheQueue)
{
    TppPrinterCapabilities *caps = ppGetPrinterList()->PrinterByName("TestTrays")->GetCapabilities();
    EXPECT_EQ(printerNames(caps->PaperCodes), QStringList({"9", "1", "11", "256"}));
    EXPECT_EQ(printerNames(caps->PaperWidths), QStringList({"2100", "2159", "1480", "0"}));
    EXPECT_EQ(printerNames(caps->BinNames), QStringList({"Default", "Auto", "Tray 1", "Tray 2", "Manual"}));
    EXPECT_EQ(printerNames(caps->BinCodes), QStringList({"7", "7", "257", "258", "4"}));
    EXPECT_TRUE(caps->DriverCopies);

    TppPrinter printer;
    printer.SetPrinterName("TestTrays");
    EXPECT_EQ(printer.GetPixelsPerInch(TppAxisType::atHorizontal), 300);
    const rtl::TRect margins = printer.GetPrinterMargins();
    EXPECT_EQ(margins, (rtl::TRect{75, 75, 75, 75})); // 18 pt at 300 dpi
    // The queue's default paper, not Qt's.
    printer.SetPrinterName("TestLetter");
    EXPECT_EQ(printer.DevMode()->paperSize, 1);
    ASSERT_NE(printer.GetDC(), nullptr);
    EXPECT_EQ(printer.Caps().physicalWidth, 2550);

    TppPrinterCapabilities *pdf = ppGetPrinterList()->PrinterByName("Print to File (PDF)")->GetCapabilities();
    EXPECT_EQ(pdf->PaperCodes.Strings(0), "1");
    EXPECT_EQ(pdf->PaperNames.Strings(pdf->PaperNames.Count() - 1), "Custom");
    EXPECT_EQ(printerNames(pdf->BinNames), QStringList({"Default"}));
    EXPECT_FALSE(pdf->DriverCopies);
}

TEST_F(CupsPrinting, AJobCarriesPaperSidesTrayAndCopiesAndTurnsMidJob)
{
    TppPrinter printer;
    TppPrinterSetup setup;
    setup.SetPrinterName("JobTrays");
    setup.SetPaperName("US Letter");
    setup.SetOrientation(classes::TPrinterOrientation::poLandscape);
    setup.SetDuplex(TppDuplexType::dpHorizontal);
    setup.SetBinName("Tray 1");
    setup.SetCopies(2);
    setup.SetCollation(false);
    setup.SetCopiesByDriver(true);
    setup.SetDocumentName("zvo-trays-job");
    printer.SetPrinterSetup(&setup);

    printer.BeginDoc();
    printer.StartPage();
    printer.EndPage();
    printer.PrinterSetup()->SetOrientation(classes::TPrinterOrientation::poPortrait);
    printer.StartPage();
    printer.EndPage();
    printer.EndDoc();

    ASSERT_TRUE(server->waitForJobs()) << server->error().toStdString();
    EXPECT_EQ(pageSizes(server->outputFile("JobTrays")), QStringList({"792 x 612", "612 x 792"}));
    const std::optional<CupsServer::PageLogEntry> job = server->waitForPageLog("zvo-trays-job");
    ASSERT_TRUE(job) << server->error().toStdString();
    EXPECT_EQ(job->printer, "JobTrays");
    EXPECT_EQ(job->media, "Letter");
    EXPECT_EQ(job->sides, "two-sided-long-edge");
    EXPECT_EQ(job->mediaSource, "tray-1");
    EXPECT_EQ(job->copies, 2);
    int jobs = 0;
    for (const CupsServer::PageLogEntry &e : server->pageLog())
        jobs += e.jobName == "zvo-trays-job" && e.page == "total";
    EXPECT_EQ(jobs, 1);
}

TEST_F(CupsPrinting, ANewOrCopiedSetupPrintsAtItsOwnPaperWhateverTheQueuesDefault)
{
    // A new setup on the default printer is Letter where numbers are written
    // with a point and A4 elsewhere, while it still stores "Custom" as its
    // paper's name; a copy stores the same.
    const bool letter = rtl::FormatSettings().DecimalSeparator == QLatin1Char('.');
    struct RestoreDefault
    {
        ~RestoreDefault()
        {
            server->setDefault("TestLetter");
            ppFreePrinters();
        }
    } restore;
    for (const char *queue : {"TestA4", "TestLetter"}) {
        ASSERT_TRUE(server->setDefault(queue));
        ppFreePrinters();
        for (const bool copied : {false, true}) {
            SCOPED_TRACE(std::string(queue) + (copied ? " copied" : " new"));
            TppPrinterSetup setup;
            setup.SetCopies(2);
            TppPrinterSetup copy;
            copy.Assign(&setup);
            copy.SetCopies(3);
            TppPrinter printer;
            printer.SetPrinterSetup(copied ? &copy : &setup);
            ASSERT_EQ(printer.PrinterInfo()->Name(), queue);
            printer.BeginDoc();
            printer.StartPage();
            printer.EndPage();
            printer.EndDoc();
            ASSERT_TRUE(server->waitForJobs()) << server->error().toStdString();
            // 215.9 x 279.4 mm, or 210 x 297 mm.
            EXPECT_EQ(pageSizes(server->outputFile(queue)), QStringList({letter ? "612 x 792" : "595 x 842"}));
            EXPECT_NE(tool("pdfinfo", {server->outputFile(queue)}).indexOf(letter ? "(letter)" : "(A4)"), -1);
        }
    }
}

TEST_F(CupsPrinting, ASquareLandsWhereTheGeometrySaysOnAQueueAndOnThePdfPrinter)
{
    {
        TppPrinter printer;
        printer.SetPrinterName("JobA4");
        printSquare(printer);
        ASSERT_TRUE(server->waitForJobs());
        EXPECT_EQ(pageSizes(server->outputFile("JobA4")), QStringList({"595 x 842"}));
        expectSquareAt76And113(server->outputFile("JobA4"));
    }
    QTemporaryDir dir;
    TppPrinter printer;
    printer.SetPrinterName("Print to File (PDF)");
    EXPECT_EQ(printer.GetPixelsPerInch(TppAxisType::atVertical), 300);
    EXPECT_EQ(printer.GetPrinterMargins(), (rtl::TRect{0, 0, 0, 0}));
    printer.SetOutputFileName(dir.filePath("square.pdf"));
    printSquare(printer);
    expectSquareAt76And113(dir.filePath("square.pdf"));
}

TEST_F(CupsPrinting, ThePdfPrinterPrintsThePapersOfItsTable)
{
    // Sizes in points as the paper table gives them, also where Qt's paper
    // of that code differs.
    const struct
    {
        const char *paper;
        const char *size;
    } cases[] = {{"A4 210 x 297 mm", "595 x 842"},
                 {"Letter Extra 9 \\275 x 12 in", "684 x 864"},
                 {"B4 (JIS) 250 x 354", "709 x 1003"},
                 {"Envelope DL 110 x 220mm", "624 x 312"}};
    QTemporaryDir dir;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.paper);
        TppPrinter printer;
        TppPrinterSetup setup;
        setup.SetPrinterName("Print to File (PDF)");
        setup.SetPaperName(c.paper);
        ASSERT_EQ(setup.PaperName(), c.paper);
        setup.SetOutputFileName(dir.filePath(QString::number(qHash(QString(c.paper))) + ".pdf"));
        printer.SetPrinterSetup(&setup);
        printSquare(printer);
        EXPECT_EQ(pageSizes(setup.OutputFileName()), QStringList({c.size}));
    }
}

TEST_F(CupsPrinting, AnOutputFileOnAQueueIsWrittenThereAndNotSpooled)
{
    QTemporaryDir dir;
    for (const QString &file : {dir.filePath("out.pdf"), dir.filePath("out.prn")}) {
        SCOPED_TRACE(file.toStdString());
        TppPrinter printer;
        printer.SetPrinterName("TestA4");
        printer.SetDocumentName("zvo-to-file");
        printer.SetOutputFileName(file);
        printer.BeginDoc();
        for (int page = 0; page < 3; ++page) {
            printer.StartPage();
            printer.EndPage();
        }
        // What the printing system said last, about something else, does not
        // decide a job that never went to it.
        cupsFreeDests(1, cupsGetNamedDest(CUPS_HTTP_DEFAULT, "NoSuchQueue", nullptr));
        ASSERT_GT(cupsLastError(), IPP_STATUS_OK_EVENTS_COMPLETE);
        EXPECT_NO_THROW(printer.EndDoc());
        EXPECT_EQ(pageSizes(file).size(), 3);
    }
    ASSERT_TRUE(server->waitForJobs());
    for (const CupsServer::PageLogEntry &e : server->pageLog())
        EXPECT_NE(e.jobName, "zvo-to-file");
}

TEST_F(CupsPrinting, ThePdfPrinterNamesItsFileAfterTheDocumentAndWritesOverNothing)
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile::remove(folder + "/Report (2).pdf");
    QFile existing(folder + "/Report.pdf");
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly | QIODevice::Truncate));
    existing.write("mine");
    existing.close();

    TppPrinter printer;
    printer.SetPrinterName("Print to File (PDF)");
    printSquare(printer);
    QFile kept(folder + "/Report.pdf");
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "mine");
    EXPECT_EQ(pageSizes(folder + "/Report (2).pdf").size(), 1);
    QFile::remove(folder + "/Report.pdf");
    QFile::remove(folder + "/Report (2).pdf");
}

TEST_F(CupsPrinting, ATurnBeforeTheFirstPageHoldsFromThatPage)
{
    // The turn reaches the printer between the start of the job and its
    // first page, as when a report opens with a section of its own
    // orientation or a page range starts inside one.
    QTemporaryDir dir;
    for (const QString &where : {QStringLiteral("Print to File (PDF)"), QStringLiteral("JobA4")}) {
        SCOPED_TRACE(where.toStdString());
        TppPrinter printer;
        TppPrinterSetup setup;
        setup.SetPrinterName(where);
        setup.SetOutputFileName(where == "JobA4" ? QString() : dir.filePath("turned.pdf"));
        printer.SetPrinterSetup(&setup);
        printer.BeginDoc();
        printer.PrinterSetup()->SetOrientation(classes::TPrinterOrientation::poLandscape);
        for (int page = 0; page < 3; ++page) {
            if (page == 2)
                printer.PrinterSetup()->SetOrientation(classes::TPrinterOrientation::poPortrait);
            printer.StartPage();
            EXPECT_EQ(printer.Caps().physicalWidth > printer.Caps().physicalHeight, page < 2) << page;
            printer.EndPage();
        }
        printer.EndDoc();
        ASSERT_TRUE(server->waitForJobs()) << server->error().toStdString();
        const QString file = where == "JobA4" ? server->outputFile(where) : setup.OutputFileName();
        // A new setup's paper: Letter where numbers are written with a point,
        // A4 elsewhere.
        const bool letter = rtl::FormatSettings().DecimalSeparator == QLatin1Char('.');
        EXPECT_EQ(pageSizes(file).join(", ").toStdString(),
                  letter ? "792 x 612, 792 x 612, 612 x 792" : "842 x 595, 842 x 595, 595 x 842");
    }
}

// Papers whose printable margins differ (12 pt on A4, 24 pt on US Letter):
// the next page takes the margins of its own paper, whether the paper changes
// between pages or before the first.
TEST_F(CupsPrinting, APaperWithWiderMarginsTakesItsOwnMarginsMidJob)
{
    for (const bool first : {false, true}) {
        SCOPED_TRACE(first);
        const QString queue = QStringLiteral("JobMargins");
        TppPrinter printer;
        TppPrinterSetup setup;
        setup.SetPrinterName(queue);
        setup.SetPaperName("A4");
        printer.SetPrinterSetup(&setup);
        printer.BeginDoc();
        QList<int> offsets;
        for (int page = 0; page < 2; ++page) {
            if (page == (first ? 0 : 1))
                printer.PrinterSetup()->SetPaperName("US Letter");
            printer.StartPage();
            offsets << printer.Caps().physicalOffsetX;
            printer.EndPage();
        }
        printer.EndDoc();
        ASSERT_TRUE(server->waitForJobs()) << server->error().toStdString();
        EXPECT_EQ(pageSizes(server->outputFile(queue)).join(", ").toStdString(),
                  first ? "612 x 792, 612 x 792" : "595 x 842, 612 x 792");
        // 12 and 24 pt at 300 dpi.
        EXPECT_EQ(offsets, first ? QList<int>({100, 100}) : QList<int>({50, 100}));
    }
}

TEST_F(CupsPrinting, AJobWithoutPagesPrintsNoSheetButWritesItsFile)
{
    // A page range past the report's end leaves the job without pages.
    TppPrinter queue;
    queue.SetPrinterName("JobA4");
    queue.SetDocumentName("zvo-no-pages");
    queue.BeginDoc();
    EXPECT_NO_THROW(queue.EndDoc());
    QTemporaryDir dir;
    TppPrinter file;
    file.SetPrinterName("Print to File (PDF)");
    file.SetOutputFileName(dir.filePath("none.pdf"));
    file.BeginDoc();
    EXPECT_NO_THROW(file.EndDoc());
    EXPECT_EQ(pageSizes(dir.filePath("none.pdf")).size(), 1);

    // A later job shows that the server has had all the jobs it will get.
    queue.SetDocumentName("zvo-after-no-pages");
    printSquare(queue);
    ASSERT_TRUE(server->waitForPageLog("zvo-after-no-pages")) << server->error().toStdString();
    for (const CupsServer::PageLogEntry &e : server->pageLog())
        EXPECT_NE(e.jobName, "zvo-no-pages");
}

// What a printing layer answers to the steps of a job, in order, and the
// shape of each page it printed.
struct JobAnswers
{
    QStringList answers;
    QStringList pages;
};

QString shapeOf(int width, int height)
{
    return width > height ? QStringLiteral("wide") : QStringLiteral("tall");
}

QStringList shapesOf(const QString &pdf)
{
    QStringList shapes;
    for (const QString &size : pageSizes(pdf))
        shapes << shapeOf(size.section(" x ", 0, 0).toInt(), size.section(" x ", 1, 1).toInt());
    return shapes;
}

std::string joined(const QStringList &list)
{
    return list.join(", ").toStdString();
}

// A job that turns its paper before the first page and asks for the painter,
// a job and the job's end where there is none; `refused`: the job is not
// expected to start.
JobAnswers answersTo(print::PrinterBackend &backend, const print::PrinterEntry &entry, const QString &outputFile,
                     bool refused)
{
    JobAnswers job;
    const std::optional<print::DriverSettings> settings = backend.driverSettings(entry);
    if (!settings) {
        job.answers << "no settings";
        return job;
    }
    std::unique_ptr<print::PrinterContext> context = backend.createContext(entry, settings, true);
    if (!context) {
        job.answers << "no context";
        return job;
    }
    const auto say = [&](const char *step, bool answer) { job.answers << QString(step) + (answer ? " yes" : " no"); };
    // A queue's jobs all go to the queue.
    const auto fileFor = [&](const char *suffix) { return outputFile.isEmpty() ? outputFile : outputFile + suffix; };
    const auto shape = [&] { job.answers << shapeOf(context->caps().physicalWidth, context->caps().physicalHeight); };
    say("page outside a job", context->startPage());
    say("end outside a job", context->endDoc());
    say("job on an information context",
        backend.createContext(entry, settings, false)->startDoc("zvo-info", fileFor(".info")));
    say("job", context->startDoc("zvo-answers", outputFile));
    if (refused) {
        say("page of a refused job", context->startPage());
        say("end of a refused job", context->endDoc());
        return job;
    }
    say("painter before the first page", context->painter() != nullptr);
    say("second job", context->startDoc("zvo-second", fileFor(".second")));
    print::DriverSettings turned = *settings;
    turned.fields |= print::DriverSettings::DM_ORIENTATION;
    turned.orientation = 2;
    say("turn", context->reset(turned));
    shape();
    say("page 1", context->startPage());
    say("painter on the page", context->painter() != nullptr);
    say("end of page 1", context->endPage());
    say("painter between pages", context->painter() != nullptr);
    say("reset to nothing", context->reset(std::nullopt));
    shape();
    say("page 2", context->startPage());
    say("end of page 2", context->endPage());
    say("end", context->endDoc());
    say("end again", context->endDoc());

    std::unique_ptr<print::PrinterContext> aborted = backend.createContext(entry, settings, true);
    say("job to abort", aborted->startDoc("zvo-aborted", fileFor(".aborted")));
    say("page to abort", aborted->startPage());
    aborted->abortDoc();
    say("painter after the abort", aborted->painter() != nullptr);
    say("end after the abort", aborted->endDoc());
    return job;
}

TEST_F(CupsPrinting, TheFakeAndTheRealPrintingLayerAnswerAJobAlike)
{
    // Tests of the printers above the layer run on the fake; what they find
    // holds only where the fake defers and refuses as the real one does.
    QTemporaryDir dir;
    print::PrinterEntry pdf;
    for (const print::PrinterEntry &entry : print::printerBackend().printers())
        if (entry.device == "Print to File (PDF)")
            pdf = entry;
    ASSERT_FALSE(pdf.device.isEmpty());
    JobAnswers real = answersTo(print::printerBackend(), pdf, dir.filePath("real.pdf"), false);
    real.pages = shapesOf(dir.filePath("real.pdf"));
    // Neither the refused jobs nor the one given up left a file.
    EXPECT_EQ(joined(QDir(dir.path()).entryList(QDir::Files)), "real.pdf");
    print::PrinterEntry queue = pdf;
    queue.name = queue.device = "JobA4";
    const auto jobsOnTheQueue = [] {
        int jobs = 0;
        for (const CupsServer::PageLogEntry &e : server->pageLog())
            jobs += e.printer == "JobA4" && e.page == "total";
        return jobs;
    };
    const int jobsBefore = jobsOnTheQueue();
    JobAnswers spooled = answersTo(print::printerBackend(), queue, QString(), false);
    ASSERT_TRUE(server->waitForJobs()) << server->error().toStdString();
    ASSERT_TRUE(server->waitForPageLog("zvo-answers")) << server->error().toStdString();
    // Of the jobs asked for, the queue got the one that ran.
    EXPECT_EQ(jobsOnTheQueue(), jobsBefore + 1);
    spooled.pages = shapesOf(server->outputFile("JobA4"));

    print::FakePrinterBackend fakeBackend;
    // Small enough a sheet for the fake to keep its pictures.
    print::FakePrinterBackend::Printer &fakePrinter = fakeBackend.add("Fake");
    fakePrinter.dpiX = fakePrinter.dpiY = 72;
    JobAnswers fake = answersTo(fakeBackend, fakeBackend.printers().front(), dir.filePath("fake.pdf"), false);
    for (const QImage &page : fakeBackend.pages())
        fake.pages << shapeOf(page.width(), page.height());

    const std::string expected =
        "page outside a job no, end outside a job no, job on an information context no, job yes, "
        "painter before the first page no, second job no, turn yes, wide, page 1 yes, painter on the page yes, "
        "end of page 1 yes, painter between pages no, reset to nothing yes, wide, page 2 yes, end of page 2 yes, "
        "end yes, end again no, job to abort yes, page to abort yes, painter after the abort no, "
        "end after the abort no";
    EXPECT_EQ(joined(real.answers), expected);
    EXPECT_EQ(joined(spooled.answers), expected);
    EXPECT_EQ(joined(fake.answers), expected);
    EXPECT_EQ(joined(real.pages), "wide, wide");
    EXPECT_EQ(joined(spooled.pages), "wide, wide");
    EXPECT_EQ(joined(fake.pages), "wide, wide");

    // A job that cannot start: a file in a folder that is not there, a fake
    // told to refuse.
    const std::string refused = "page outside a job no, end outside a job no, job on an information context no, "
                                "job no, page of a refused job no, end of a refused job no";
    EXPECT_EQ(joined(answersTo(print::printerBackend(), pdf, dir.filePath("none/real.pdf"), true).answers), refused);
    fakePrinter.refuseJob = true;
    EXPECT_EQ(joined(answersTo(fakeBackend, fakeBackend.printers().front(), QString(), true).answers), refused);
}

TEST_F(CupsPrinting, AQueueDeletedOrRejectingIsAnErrorNotASilentSuccess)
{
    TppPrinter midJob;
    midJob.SetPrinterName("JobGone");
    midJob.BeginDoc();
    midJob.StartPage();
    midJob.EndPage();
    ASSERT_TRUE(server->deleteQueue("JobGone"));
    EXPECT_THROW(midJob.EndDoc(), EPrintError);
    EXPECT_FALSE(midJob.Printing());

    TppPrinter gone;
    gone.SetPrinterName("JobGone");
    EXPECT_THROW(printSquare(gone), EPrintError);
    EXPECT_FALSE(gone.Printing());
    // The entry is known to be unusable now: a printer asked for it gets the screen.
    TppPrinter later;
    later.SetPrinterName("JobGone");
    EXPECT_EQ(later.PrinterName(), "Screen");

    TppPrinter rejectedMidJob;
    rejectedMidJob.SetPrinterName("JobReject");
    rejectedMidJob.BeginDoc();
    rejectedMidJob.StartPage();
    ASSERT_TRUE(server->rejectJobs("JobReject"));
    EXPECT_THROW(rejectedMidJob.EndDoc(), EPrintError);
    EXPECT_FALSE(rejectedMidJob.Printing());

    TppPrinter rejecting;
    rejecting.SetPrinterName("JobReject");
    try {
        printSquare(rejecting);
        FAIL() << "a rejected job counted as printed";
    } catch (const EPrintError &e) {
        EXPECT_TRUE(e.Message().contains("JobReject")) << e.Message().toStdString();
    }
    EXPECT_FALSE(rejecting.Printing());
}

TEST_F(CupsPrinting, AQueueNameOfTheLongestKindPrints)
{
    // 127 bytes, the longest name the server takes, not all of them ASCII.
    const QString name = QStringLiteral("B\u00fcro-") + QString(121, QLatin1Char('x'));
    ASSERT_EQ(name.toUtf8().size(), 127);
    ASSERT_TRUE(server->addQueue(name, "zvo-a4.ppd")) << server->error().toStdString();
    ppGetPrinterList()->Refresh();
    ASSERT_EQ(ppGetPrinterList()->PrinterByName(name)->Name(), name);
    TppPrinter printer;
    printer.SetPrinterName(name);
    printer.SetDocumentName("zvo-long-name");
    printSquare(printer);
    ASSERT_TRUE(server->waitForJobs());
    EXPECT_EQ(pageSizes(server->outputFile(name)), QStringList({"595 x 842"}));
    const std::optional<CupsServer::PageLogEntry> job = server->waitForPageLog("zvo-long-name");
    ASSERT_TRUE(job) << server->error().toStdString();
    EXPECT_EQ(job->printer, name);
}

// Stops the server: the last test of the program.
TEST_F(CupsPrinting, ZZ_AStoppedServerIsAnError)
{
    TppPrinter midJob;
    midJob.SetPrinterName("TestA4");
    midJob.BeginDoc();
    midJob.StartPage();
    midJob.EndPage();
    ASSERT_TRUE(server->stop());
    EXPECT_THROW(midJob.EndDoc(), EPrintError);

    TppPrinter before;
    before.SetPrinterName("TestTrays");
    try {
        printSquare(before);
        FAIL() << "printed without a server";
    } catch (const EPrintError &e) {
        EXPECT_TRUE(e.Message().contains("TestTrays")) << e.Message().toStdString();
    }
}

} // namespace
