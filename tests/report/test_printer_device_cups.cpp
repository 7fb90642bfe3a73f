// The printer device onto queues of a CUPS server of the test's own and onto
// the PDF printer, read back from the files with poppler's tools.

#include "tests/report/CupsFixture.h"
#include "tests/support/report/PageFakes.h"
#include "tests/support/report/PdfReadBack.h"
#include "tests/support/report/SamplePage.h"

#include "report/content/drawcommands/DrawShapes.h"
#include "report/content/drawcommands/DrawText.h"
#include "report/model/base/Exceptions.h"
#include "report/model/pages/Page.h"
#include "report/model/printing/Printer.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/output/PrinterDevice.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace report;
using reporttest::CupsServer;

namespace {

class CupsPrinterDevice : public reporttest::CupsSuite
{
protected:
    static void SetUpTestSuite()
    {
        std::vector<std::pair<QString, QString>> queues;
        for (const char *queue :
             {"DevCopies", "DevCollated", "DevTurn", "DevLetter", "DevCancel", "DevSquare", "DevGone"})
            queues.emplace_back(queue, "zvo-a4.ppd");
        StartServer(queues, "DevCopies");
    }

    static void TearDownTestSuite() { StopServer(); }

    void SetUp() override
    {
        CupsSuite::SetUp();
        reporttest::SetA4Portrait(setup);
    }

    // A job of `aPages` pages, each saying "Page n", with a 10 mm black
    // square at (20, 30) mm on the first. Answers the queue's file.
    QString print(const QString &aPrinter, int aPages, const QString &aOutputFile = QString())
    {
        setup.SetPrinterName(aPrinter);
        setup.SetDocumentName("zvo-" + aPrinter);
        setup.SetOutputFileName(aOutputFile);
        device.Printer()->SetPrinterSetup(&setup);
        TppPublisher publisher;
        reporttest::ProducerScript script;
        script.pageCount = aPages;
        script.commandsPerPage = 0;
        reporttest::StandInProducer producer(&publisher, script);
        producer.BeforeDeliver = [&](TppPage &aPage) {
            aPage.SetPrinterSetup(turn && aPage.PageNo() == 2 ? turn : &setup);
            auto *text = new TppDrawText();
            text->SetText(QStringLiteral("Page %1").arg(aPage.PageNo()));
            text->SetLeft(20000);
            text->SetTop(100000);
            text->SetWidth(50000);
            text->SetHeight(6000);
            aPage.AddDrawCommand(text);
            if (aPage.PageNo() == 1) {
                auto *square = new TppDrawShape();
                square->SetLeft(20000);
                square->SetTop(30000);
                square->SetWidth(10000);
                square->SetHeight(10000);
                square->Brush()->SetColor(rtl::clBlack);
                aPage.AddDrawCommand(square);
            }
        };
        device.SetPublisher(&publisher);
        device.Reset();
        publisher.StartJob();
        publisher.Publish();
        publisher.EndJob();
        device.SetPublisher(nullptr);
        EXPECT_TRUE(server->waitForJobs()) << server->error().toStdString();
        return aOutputFile.isEmpty() ? server->outputFile(aPrinter) : aOutputFile;
    }

    static QString pageNumbers(const QString &aPdf)
    {
        QStringList numbers;
        for (const QString &text : reporttest::pdfPageTexts(aPdf))
            numbers << text.section(' ', 1, 1);
        return numbers.join(",");
    }

    static void expectSquareAt76And113(const QString &aPdf)
    {
        const QImage page = reporttest::pdfRasterise(aPdf, 96);
        ASSERT_FALSE(page.isNull()) << aPdf.toStdString();
        const auto dark = [&](int x, int y) { return qGray(page.pixel(x, y)) < 128; };
        int left = -1;
        int top = -1;
        for (int x = 60; x < 90 && left < 0; ++x)
            if (dark(x, 130))
                left = x;
        for (int y = 95; y < 125 && top < 0; ++y)
            if (dark(90, y))
                top = y;
        EXPECT_NEAR(left, 76, 1);
        EXPECT_NEAR(top, 113, 1);
    }

    TppPrinterSetup setup;
    TppPrinterSetup *turn = nullptr;
    TppPrinterDevice device;
};

TEST_F(CupsPrinterDevice, CopiesComeInPageOrJobOrderInOneJob)
{
    setup.SetCopies(3);
    setup.SetCollation(false);
    setup.SetCopiesByDriver(false);
    EXPECT_EQ(pageNumbers(print("DevCopies", 3)).toStdString(), "1,1,1,2,2,2,3,3,3");
    setup.SetCollation(true);
    EXPECT_EQ(pageNumbers(print("DevCollated", 3)).toStdString(), "1,2,3,1,2,3,1,2,3");
    int jobs = 0;
    for (const CupsServer::PageLogEntry &e : server->pageLog())
        jobs += e.jobName == "zvo-DevCollated" && e.page == "total";
    EXPECT_EQ(jobs, 1);
}

TEST_F(CupsPrinterDevice, EachPageTakesItsOwnSetup)
{
    TppPrinterSetup landscape;
    landscape.Assign(&setup);
    landscape.SetPrinterName("DevTurn");
    landscape.SetOrientation(classes::TPrinterOrientation::poLandscape);
    turn = &landscape;
    EXPECT_EQ(reporttest::pdfPageSizes(print("DevTurn", 2)), QStringList({"595 x 842", "842 x 595"}));
    turn = nullptr;

    // A Letter report on an A4 queue prints on Letter.
    setup.SetPrinterName("DevLetter");
    setup.SetPaperName("US Letter");
    EXPECT_EQ(reporttest::pdfPageSizes(print("DevLetter", 1)), QStringList({"612 x 792"}));
}

TEST_F(CupsPrinterDevice, ACancelledJobPrintsThePagesSoFar)
{
    device.OnEndPage.Set([this](classes::TObject *, classes::TObject *aPage) {
        if (static_cast<TppPage *>(aPage)->PageNo() == 2)
            device.CancelJob();
    });
    EXPECT_EQ(pageNumbers(print("DevCancel", 5)).toStdString(), "1,2");
}

TEST_F(CupsPrinterDevice, AQueueGoneMidJobIsAnErrorAndEndsTheJob)
{
    device.OnEndPage.Set([](classes::TObject *, classes::TObject *) { server->deleteQueue("DevGone"); });
    EXPECT_THROW(print("DevGone", 2), EPrintError);
    EXPECT_FALSE(device.Busy());
    EXPECT_FALSE(device.Printer()->Printing());
}

TEST_F(CupsPrinterDevice, ASquareLandsWhereTheGeometrySaysOnAQueueWithMarginsAndOnThePdfPrinter)
{
    expectSquareAt76And113(print("DevSquare", 1));
    QTemporaryDir dir;
    expectSquareAt76And113(print("Print to File (PDF)", 1, dir.filePath("square.pdf")));
}

} // namespace
