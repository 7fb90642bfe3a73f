// The printer device onto queues of a CUPS server of the test's own and onto
// the PDF printer, read back from the files with poppler's tools.

#include "tests/report/CupsFixture.h"
#include "tests/support/report/PageFakes.h"
#include "tests/support/report/PdfReadBack.h"
#include "tests/support/report/SamplePage.h"

#include "report/content/ContentRegistration.h"
#include "report/content/drawcommands/DrawImage.h"
#include "report/content/drawcommands/DrawShapes.h"
#include "report/content/drawcommands/DrawText.h"
#include "report/model/ModelRegistration.h"
#include "report/model/base/Exceptions.h"
#include "report/model/base/Units.h"
#include "report/model/pages/Page.h"
#include "report/model/printing/Printer.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/output/PrinterDevice.h"
#include "report/output/screen/ScreenDevice.h"

#include <gtest/gtest.h>

#include <QFile>
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
             {"DevCopies", "DevCollated", "DevTurn", "DevTurnFirst", "DevLetter", "DevCancel", "DevSquare", "DevGone"})
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
            aPage.SetPrinterSetup(turn && aPage.PageNo() == turnPage ? turn : &setup);
            if (content) {
                content(aPage);
                return;
            }
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

    template <class C>
    static C *add(TppPage &aPage, int32_t aLeft, int32_t aTop, int32_t aWidth, int32_t aHeight)
    {
        auto *c = new C();
        c->SetLeft(aLeft);
        c->SetTop(aTop);
        c->SetWidth(aWidth);
        c->SetHeight(aHeight);
        aPage.AddDrawCommand(c);
        return c;
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
    int turnPage = 2;
    // What the pages hold instead of their number and the square.
    std::function<void(TppPage &)> content;
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
    // The first page too, which the job began on the report's own setup.
    landscape.SetPrinterName("DevTurnFirst");
    turnPage = 1;
    EXPECT_EQ(reporttest::pdfPageSizes(print("DevTurnFirst", 2)).join(", ").toStdString(), "842 x 595, 595 x 842");
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

// A paper whose printable margins differ from the one before (on the queues
// of the run with such a description) still places each page's draw
// commands from the paper's edge, wider or narrower, turned or not.
TEST_F(CupsPrinterDevice, APageOnAnotherPaperPlacesItsCommandsFromThatPapersEdge)
{
    content = [](TppPage &aPage) {
        auto *square = new TppDrawShape();
        square->SetLeft(20000);
        square->SetTop(30000);
        square->SetWidth(10000);
        square->SetHeight(10000);
        square->Brush()->SetColor(rtl::clBlack);
        aPage.AddDrawCommand(square);
    };
    struct Change
    {
        const char *first;
        const char *second;
        classes::TPrinterOrientation orientation;
        const char *sizes;
    };
    const Change changes[] = {{"A4", "US Letter", classes::TPrinterOrientation::poPortrait, "595 x 842, 612 x 792"},
                              {"A4", "US Letter", classes::TPrinterOrientation::poLandscape, "595 x 842, 792 x 612"},
                              {"US Letter", "A4", classes::TPrinterOrientation::poPortrait, "612 x 792, 595 x 842"}};
    for (const Change &change : changes) {
        SCOPED_TRACE(std::string(change.first) + " then " + change.second);
        setup.SetPaperName(change.first);
        TppPrinterSetup second;
        second.Assign(&setup);
        second.SetPrinterName("DevSquare");
        second.SetPaperName(change.second);
        second.SetOrientation(change.orientation);
        turn = &second;
        const QString pdf = print("DevSquare", 2);
        EXPECT_EQ(reporttest::pdfPageSizes(pdf).join(", ").toStdString(), change.sizes);
        for (int page = 1; page <= 2; ++page) {
            const QImage image = reporttest::pdfRasterise(pdf, 96, page);
            ASSERT_FALSE(image.isNull()) << page;
            const auto dark = [&](int x, int y) { return qGray(image.pixel(x, y)) < 128; };
            int left = -1;
            int top = -1;
            for (int x = 40; x < 120 && left < 0; ++x)
                if (dark(x, 130))
                    left = x;
            for (int y = 80; y < 160 && top < 0; ++y)
                if (dark(90, y))
                    top = y;
            EXPECT_NEAR(left, 76, 1) << page;
            EXPECT_NEAR(top, 113, 1) << page;
        }
        turn = nullptr;
    }
}

} // namespace

namespace {

bool cupsDark(const QImage &aPage, int x, int y)
{
    return qGray(aPage.pixel(x, y)) < 128;
}

int cupsDarkRows(const QImage &aPage, int x, int y0, int y1)
{
    int rows = 0;
    for (int y = y0; y < y1; ++y)
        rows += cupsDark(aPage, x, y);
    return rows;
}

// The box of the dark pixels inside aArea.
QRect cupsInk(const QImage &aPage, const QRect &aArea)
{
    QRect box;
    for (int y = aArea.top(); y <= aArea.bottom(); ++y)
        for (int x = aArea.left(); x <= aArea.right(); ++x)
            if (cupsDark(aPage, x, y))
                box |= QRect(x, y, 1, 1);
    return box;
}

// Edges within a pixel: the reader rounds the edges of pictures its own way.
void cupsExpectBox(const QRect &aInk, const QRect &aBox)
{
    EXPECT_NEAR(aInk.left(), aBox.left(), 1);
    EXPECT_NEAR(aInk.top(), aBox.top(), 1);
    EXPECT_NEAR(aInk.right(), aBox.right(), 1);
    EXPECT_NEAR(aInk.bottom(), aBox.bottom(), 1);
}

void cupsPicture(TppDrawImage *aImage, int aWidth, int aHeight, QColor aFill, QColor aMiddle)
{
    QImage image(aWidth, aHeight, QImage::Format_RGB32);
    image.fill(aFill);
    for (int y = aHeight / 4; y < aHeight * 3 / 4; ++y)
        for (int x = aWidth / 4; x < aWidth * 3 / 4; ++x)
            image.setPixelColor(x, y, aMiddle);
    classes::TBitmap bitmap;
    bitmap.SetImage(image);
    aImage->Picture()->SetGraphic(&bitmap);
}

// The content streams of a PDF file, inflated and joined.
QByteArray cupsPdfContents(const QString &aPdf)
{
    QFile file(aPdf);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = file.readAll();
    QByteArray contents;
    for (qsizetype at = data.indexOf("stream"); at >= 0; at = data.indexOf("stream", at + 6)) {
        if (at >= 3 && data.mid(at - 3, 3) == "end")
            continue;
        qsizetype begin = at + 6;
        begin += data.mid(begin, 2) == "\r\n" ? 2 : 1;
        const qsizetype end = data.indexOf("endstream", begin);
        if (end < 0)
            break;
        // qUncompress wants the size first; a guess grows as needed.
        QByteArray packed("\x00\x10\x00\x00", 4);
        contents += qUncompress(packed + data.mid(begin, end - begin));
    }
    return contents;
}

} // namespace

// Texts of one colour set the PDF's stroke state once a page, not once a
// text, and mostly share their text objects; left, right and centred,
// recurring or not, they read back whole.
TEST_F(CupsPrinterDevice, TextsOfOneColourSetThePenOncePerPage)
{
    content = [](TppPage &aPage) {
        for (int row = 0; row < 30; ++row) {
            auto *text = add<TppDrawText>(aPage, 20000, 20000 + row * 6000, 80000, 5000);
            text->SetText(QStringLiteral("Row %1 of %2").arg(row % 7).arg(aPage.PageNo()));
            text->SetTransparent(true);
            text->SetTextAlignment(TppTextAlignment(row % 3));
        }
    };
    QTemporaryDir dir;
    const QString pdf = print("Print to File (PDF)", 2, dir.filePath("texts.pdf"));
    const QStringList pages = reporttest::pdfPageTexts(pdf);
    ASSERT_EQ(pages.size(), 2);
    for (int page = 0; page < 2; ++page)
        for (int row = 0; row < 7; ++row)
            EXPECT_TRUE(pages[page].contains(QStringLiteral("Row %1 of %2").arg(row).arg(page + 1))) << page << row;
    const QByteArray contents = cupsPdfContents(pdf);
    EXPECT_EQ(contents.count(" Tj\n"), 2 * 30 * 10);
    EXPECT_LE(contents.count(" SCN\n"), 2 * 3);
    // Texts one after another in one font and colour share a text object.
    EXPECT_LT(contents.count("BT\n"), 30);
}

TEST_F(CupsPrinterDevice, OnPaperLinesShapesAndPicturesTakeTheirPixels)
{
    content = [](TppPage &aPage) {
        // At 300 dpi 20 mm is 236 px, 40 mm 472, 60 mm 709, 80 mm 945.
        add<TppDrawLine>(aPage, 20000, 20000, 30000, 10000)->SetWeight(0.25f);
        add<TppDrawLine>(aPage, 60000, 20000, 30000, 10000)->SetWeight(1.5f);
        auto *twice = add<TppDrawLine>(aPage, 100000, 20000, 30000, 10000);
        twice->SetWeight(1.5f);
        twice->SetLineStyle(TppLineStyleType::lsDouble);
        auto *thin = add<TppDrawLine>(aPage, 140000, 20000, 30000, 10000);
        thin->SetLineStyle(TppLineStyleType::lsDouble);
        thin->Pen()->SetWidth(0);
        auto *outline = add<TppDrawShape>(aPage, 20000, 40000, 20000, 20000);
        outline->Brush()->SetStyle(gfx::BrushStyle::Clear);
        outline->Pen()->SetWidth(0);
        // A 400-pixel black picture centred in a 20 mm box.
        auto *centred = add<TppDrawImage>(aPage, 60000, 40000, 20000, 20000);
        cupsPicture(centred, 400, 400, Qt::black, Qt::black);
        centred->SetCenter(true);
        // White pictures with black middles over black squares: the
        // transparent one lets the square show where it is white.
        for (const bool transparent : {true, false}) {
            const int32_t left = transparent ? 100000 : 140000;
            add<TppDrawShape>(aPage, left, 40000, 20000, 20000)->Brush()->SetColor(rtl::clBlack);
            auto *picture = add<TppDrawImage>(aPage, left, 40000, 20000, 20000);
            cupsPicture(picture, 40, 40, Qt::white, Qt::black);
            picture->SetStretch(true);
            picture->SetTransparent(transparent);
        }
    };
    QTemporaryDir dir;
    const QImage sheet = reporttest::pdfRasterise(print("Print to File (PDF)", 1, dir.filePath("probes.pdf")), 300);
    ASSERT_FALSE(sheet.isNull());
    const int top = 236;
    EXPECT_EQ(cupsDarkRows(sheet, 300, top - 5, top + 40), 1);
    EXPECT_EQ(cupsDarkRows(sheet, 760, top - 5, top + 40), 6);
    EXPECT_EQ(cupsDarkRows(sheet, 1230, top - 5, top + 40), 12);
    EXPECT_TRUE(cupsDark(sheet, 1230, top + 12) && !cupsDark(sheet, 1230, top + 11));
    // A zero pen: two screen pixels are 6 at 300 dpi.
    EXPECT_EQ(cupsDarkRows(sheet, 1700, top - 5, top + 40), 2);
    EXPECT_TRUE(cupsDark(sheet, 1700, top + 6));

    // The outline runs through its right and bottom edges.
    EXPECT_EQ(cupsInk(sheet, QRect(200, 430, 320, 320)), QRect(QPoint(236, 472), QPoint(472, 709)));
    EXPECT_FALSE(cupsDark(sheet, 354, 590));
    // The picture is cut at its rectangle, which leaves out those edges.
    cupsExpectBox(cupsInk(sheet, QRect(650, 430, 320, 320)), QRect(QPoint(709, 472), QPoint(944, 708)));

    EXPECT_TRUE(cupsDark(sheet, 1181 + 10, 472 + 10));
    EXPECT_TRUE(cupsDark(sheet, 1181 + 118, 472 + 118));
    EXPECT_FALSE(cupsDark(sheet, 1654 + 10, 472 + 10));
    EXPECT_TRUE(cupsDark(sheet, 1654 + 118, 472 + 118));
}

TEST_F(CupsPrinterDevice, TheScreenAtOneHundredPercentAndThePaperAgreeOnShapes)
{
    ppModelLayerInit();
    ppContentLayerInit();
    ScopedScreenPixelsPerInch ppi{96};
    const auto shapes = [](TppPage &aPage) {
        const struct
        {
            int32_t left, top, size;
            classes::TShapeType type;
        } boxes[] = {{20000, 30000, 10000, classes::TShapeType::stRectangle},
                     {47300, 31700, 23900, classes::TShapeType::stEllipse},
                     {101000, 55500, 17700, classes::TShapeType::stRoundRect},
                     {150300, 251100, 33300, classes::TShapeType::stRectangle}};
        for (const auto &b : boxes) {
            auto *shape = add<TppDrawShape>(aPage, b.left, b.top, b.size, b.size * 2 / 3);
            shape->SetShapeType(b.type);
            shape->Brush()->SetColor(rtl::clBlack);
            shape->SetXCornerRound(3000);
            shape->SetYCornerRound(3000);
        }
    };
    content = shapes;
    QTemporaryDir dir;
    const QImage paper = reporttest::pdfRasterise(print("Print to File (PDF)", 1, dir.filePath("shapes.pdf")), 96);
    ASSERT_FALSE(paper.isNull());

    TppScreenDevice screen;
    TppPage page;
    reporttest::SetA4Portrait(*page.PrinterSetup());
    page.SetFinal(true);
    shapes(page);
    screen.ReceivePage(&page);
    const QImage bitmap = screen.PageBitmap().copy(screen.OffsetX(), screen.OffsetY(), paper.width(), paper.height());
    for (int i = 0; i < screen.Page()->DrawCommandCount(); ++i) {
        const TppDrawCommand *c = screen.Page()->DrawCommands(i);
        const QRect area(c->DrawLeft() - screen.OffsetX() - 8, c->DrawTop() - screen.OffsetY() - 8,
                         c->DrawRight() - c->DrawLeft() + 16, c->DrawBottom() - c->DrawTop() + 16);
        const QRect onScreen = cupsInk(bitmap, area);
        const QRect onPaper = cupsInk(paper, area);
        SCOPED_TRACE(i);
        ASSERT_FALSE(onScreen.isEmpty());
        EXPECT_NEAR(onPaper.left(), onScreen.left(), 1);
        EXPECT_NEAR(onPaper.top(), onScreen.top(), 1);
        EXPECT_NEAR(onPaper.right(), onScreen.right(), 1);
        EXPECT_NEAR(onPaper.bottom(), onScreen.bottom(), 1);
    }
    ppContentLayerFinalize();
}
