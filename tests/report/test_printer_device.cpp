// The printer device on the scripted printing system: the job and its
// copies as the printer is told them, and the draw commands as they land on
// the recorded sheets (300 pixels per inch, white, device (0, 0) at the
// printable corner).

#include "tests/support/report/FakePrinters.h"
#include "tests/support/report/FormFakes.h"
#include "tests/support/report/MetafileWriter.h"
#include "tests/support/report/PageFakes.h"
#include "tests/support/report/SamplePage.h"

#include "report/content/drawcommands/DrawImage.h"
#include "report/content/drawcommands/DrawRichText.h"
#include "report/content/drawcommands/DrawShapes.h"
#include "report/content/drawcommands/DrawText.h"
#include "report/model/forms/DialogBases.h"
#include "report/model/pages/Page.h"
#include "report/model/printing/Printer.h"
#include "report/model/printing/PrinterList.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/output/PrinterDevice.h"

#include <gtest/gtest.h>

#include "platform/gfx/Colors.h"

#include <QBuffer>
#include <QPalette>
#include <QtEndian>
#include <limits>
#include <set>

using namespace report;

namespace {

bool inkAt(const QImage &aPage, int x, int y)
{
    return qGray(aPage.pixel(x, y)) < 128;
}

// The dark rows of column x from y0 to y1.
int inkRows(const QImage &aPage, int x, int y0, int y1)
{
    int rows = 0;
    for (int y = y0; y < y1; ++y)
        rows += inkAt(aPage, x, y);
    return rows;
}

// The rightmost dark column of rows y0 to y1, or -1.
int rightmostInk(const QImage &aPage, int y0, int y1)
{
    for (int x = aPage.width() - 1; x >= 0; --x)
        for (int y = y0; y < y1; ++y)
            if (inkAt(aPage, x, y))
                return x;
    return -1;
}

// A device printing on "Office", 300 pixels per inch, margins of its own.
class PrinterDeviceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        print::FakePrinterBackend::Printer &office = printers->add("Office");
        office.dpiX = office.dpiY = 300;
        office.offsetX = office.offsetY = 75;
        printers->setDefaultDevice("Office");
        // The page was made before the printer was there.
        ppFreePrinters();
        setup = std::make_unique<TppPrinterSetup>();
        reporttest::SetA4Portrait(*setup);
        setup->SetPrinterName("Office");
        device = std::make_unique<TppPrinterDevice>();
        device->OnStartPage.Set([this](classes::TObject *, classes::TObject *aPage) {
            started << QString::number(static_cast<TppPage *>(aPage)->PageNo());
        });
    }

    void TearDown() override
    {
        device.reset();
        setup.reset();
    }

    template <class C>
    C *command(int32_t aLeft, int32_t aTop, int32_t aWidth, int32_t aHeight)
    {
        auto *c = new C();
        c->SetLeft(aLeft);
        c->SetTop(aTop);
        c->SetWidth(aWidth);
        c->SetHeight(aHeight);
        page.AddDrawCommand(c);
        return c;
    }

    // A 20 mm square picture command holding aPicture as a bitmap.
    TppDrawImage *picture(const QImage &aPicture, int32_t aLeft, int32_t aTop)
    {
        auto *c = command<TppDrawImage>(aLeft, aTop, 20000, 20000);
        classes::TBitmap bitmap;
        bitmap.SetImage(aPicture);
        c->Picture()->SetGraphic(&bitmap);
        return c;
    }

    // Prints `page` as a job of its own; the sheet it made.
    QImage printPage()
    {
        device->Printer()->SetPrinterSetup(setup.get());
        page.SetPrinterSetup(setup.get());
        page.SetFinal(true);
        device->StartJob();
        device->ReceivePage(&page);
        device->EndJob();
        return printers->pages().empty() ? QImage() : printers->pages().back();
    }

    // Prints `pages` pages of the stand-in producer through a publisher.
    void printJob(int aPages, const std::function<void(TppPage &)> &aBeforeDeliver = {})
    {
        device->Printer()->SetPrinterSetup(setup.get());
        TppPublisher publisher;
        reporttest::ProducerScript script;
        script.pageCount = aPages;
        reporttest::StandInProducer producer(&publisher, script);
        producer.BeforeDeliver = [&](TppPage &aPage) {
            aPage.SetPrinterSetup(setup.get());
            if (aBeforeDeliver)
                aBeforeDeliver(aPage);
        };
        device->SetPublisher(&publisher);
        device->Reset();
        publisher.StartJob();
        publisher.Publish();
        publisher.EndJob();
        device->SetPublisher(nullptr);
    }

    reporttest::FakePrinters printers;
    reporttest::StandInCommandClasses commandClasses;
    std::unique_ptr<TppPrinterSetup> setup;
    std::unique_ptr<TppPrinterDevice> device;
    TppPage page;
    QStringList started;
};

TEST_F(PrinterDeviceTest, CopiesArePrintedPageByPageOrAsWholeJobsInOneDocument)
{
    printers->setRecordPages(false);
    setup->SetCopies(3);
    setup->SetCollation(false);
    printJob(2);
    EXPECT_EQ(started.join(",").toStdString(), "1,1,1,2,2,2");

    started.clear();
    printers->clearRecord();
    setup->SetCollation(true);
    printJob(2);
    EXPECT_EQ(started.join(",").toStdString(), "1,2,1,2,1,2");
    EXPECT_EQ(printers->callNames().count("startDoc"), 1);
    EXPECT_EQ(printers->callNames().count("endDoc"), 1);

    // The driver makes the copies: each page once.
    started.clear();
    setup->SetCollation(false);
    setup->SetCopiesByDriver(true);
    printJob(2);
    EXPECT_EQ(started.join(",").toStdString(), "1,2");
}

TEST_F(PrinterDeviceTest, ManyCollatedCopiesStayOneDocument)
{
    printers->setRecordPages(false);
    setup->SetCopies(999);
    setup->SetCollation(true);
    printJob(1);
    EXPECT_EQ(started.size(), 999);
    EXPECT_EQ(printers->callNames().count("endDoc"), 1);
    EXPECT_FALSE(device->Busy());
}

TEST_F(PrinterDeviceTest, CancelEndsTheDocumentWithThePagesPrintedSoFar)
{
    printers->setRecordPages(false);
    device->OnEndPage.Set([this](classes::TObject *, classes::TObject *aPage) {
        if (static_cast<TppPage *>(aPage)->PageNo() == 2)
            device->CancelJob();
    });
    printJob(5);
    EXPECT_EQ(started.join(",").toStdString(), "1,2");
    EXPECT_EQ(printers->callNames().count("endDoc"), 1);
    EXPECT_EQ(printers->callNames().count("abortDoc"), 0);

    // Cancelled between collated copies: the next job owes none of them.
    device->OnEndPage.Clear();
    setup->SetCopies(3);
    setup->SetCollation(true);
    device->OnEndPage.Set([this](classes::TObject *, classes::TObject *) {
        if (started.size() == 2)
            device->CancelJob();
    });
    started.clear();
    printJob(1);
    EXPECT_EQ(started.size(), 2);
    device->OnEndPage.Clear();
    setup->SetCopies(1);
    setup->SetCollation(false);
    started.clear();
    printJob(1);
    EXPECT_EQ(started.join(",").toStdString(), "1");
}

TEST_F(PrinterDeviceTest, StatusTellsThePageAndThePrinter)
{
    printers->setRecordPages(false);
    QStringList statuses;
    device->OnStartPage.Set([&](classes::TObject *, classes::TObject *) { statuses << device->Status(); });
    reporttest::WindowlessForm<TppCustomCancelDialog> dialog;
    device->SetCancelDialog(&dialog);
    printJob(2);
    EXPECT_EQ(statuses.value(1).toStdString(), "Printing page 2 for report  on the Office");
    EXPECT_EQ(dialog.StatusText(), statuses.value(1));
    device->SetCancelDialog(nullptr);
    // Without a publisher the count counts as known.
    page.SetPageNo(3);
    page.SetPageCount(7);
    page.SetDocumentName("Sales");
    printPage();
    EXPECT_EQ(statuses.value(2).toStdString(), "Printing page 3 of 7 for report Sales on the Office");
}

TEST_F(PrinterDeviceTest, CommandsArePlacedFromThePrintableCorner)
{
    auto *square = command<TppDrawShape>(20000, 30000, 10000, 10000);
    square->Brush()->SetColor(rtl::clBlack);
    const QImage sheet = printPage();
    // 20 mm and 30 mm at 300 pixels per inch on the sheet; the device is
    // 75 pixels in from it.
    EXPECT_EQ(square->DrawLeft(), 236 - 75);
    EXPECT_EQ(square->DrawTop(), 354 - 75);
    EXPECT_TRUE(inkAt(sheet, 236, 354));
    EXPECT_FALSE(inkAt(sheet, 235, 354));
    EXPECT_FALSE(inkAt(sheet, 236, 353));
}

TEST_F(PrinterDeviceTest, LinesTakeTheirWeightAtThePrintersResolution)
{
    const auto line = [this](int32_t aLeft, float aWeight, TppLineStyleType aStyle, int aPenWidth) {
        auto *l = command<TppDrawLine>(aLeft, 10000, 10000, 20000);
        l->SetWeight(aWeight);
        l->SetLineStyle(aStyle);
        l->Pen()->SetWidth(aPenWidth);
    };
    line(10000, 0.25f, TppLineStyleType::lsSingle, 1);
    line(30000, 1.5f, TppLineStyleType::lsSingle, 1);
    line(50000, 1.5f, TppLineStyleType::lsDouble, 1);
    line(70000, 0.25f, TppLineStyleType::lsDouble, 0);
    line(90000, -3.0f, TppLineStyleType::lsSingle, 1);
    line(110000, 1e7f, TppLineStyleType::lsSingle, 1);
    const QImage sheet = printPage();
    const int top = 118; // 10 mm
    const auto x = [](int mm) { return int(mm * 300 / 25.4) + 20; };
    EXPECT_EQ(inkRows(sheet, x(10), top - 5, top + 40), 1);
    EXPECT_EQ(inkRows(sheet, x(30), top - 5, top + 40), 6);
    // Two bands of 6 with a gap of twice that.
    EXPECT_EQ(inkRows(sheet, x(50), top - 5, top + 40), 12);
    EXPECT_FALSE(inkAt(sheet, x(50), top + 11));
    EXPECT_TRUE(inkAt(sheet, x(50), top + 12));
    // A zero pen: the gap is two screen pixels, 6 printer pixels.
    EXPECT_EQ(inkRows(sheet, x(70), top - 5, top + 40), 2);
    EXPECT_TRUE(inkAt(sheet, x(70), top + 6));
    EXPECT_EQ(inkRows(sheet, x(90), top - 5, top + 40), 0);
    // A weight beyond the sheet fills what is on it.
    EXPECT_TRUE(inkAt(sheet, x(110), sheet.height() - 1));
}

TEST_F(PrinterDeviceTest, ShapesOutlineOrFill)
{
    auto *clear = command<TppDrawShape>(10000, 10000, 20000, 20000);
    clear->Brush()->SetStyle(gfx::BrushStyle::Clear);
    clear->Pen()->SetWidth(0);
    auto *filled = command<TppDrawShape>(40000, 10000, 20000, 20000);
    filled->Brush()->SetColor(rtl::clBlack);
    auto *thick = command<TppDrawShape>(70000, 10000, -20000, -5000);
    thick->Pen()->SetWidth(1000);
    const QImage sheet = printPage();
    const int left = clear->DrawLeft() + 75;
    const int top = clear->DrawTop() + 75;
    EXPECT_TRUE(inkAt(sheet, left, top + 50));
    EXPECT_FALSE(inkAt(sheet, left + 1, top + 50));
    EXPECT_FALSE(inkAt(sheet, left + 100, top + 100));
    EXPECT_TRUE(inkAt(sheet, filled->DrawLeft() + 75 + 100, top + 100));
}

// Which routine took each image.
class RoutingPrinterDevice : public TppPrinterDevice
{
public:
    QStringList routes;
    void DirectDrawImage(TppDrawImage *aDrawImage) override
    {
        routes << "DirectDrawImage";
        TppPrinterDevice::DirectDrawImage(aDrawImage);
    }
    void DrawBitmap(TppDrawImage *aDrawImage) override
    {
        routes << "DrawBitmap";
        TppPrinterDevice::DrawBitmap(aDrawImage);
    }
    void DrawGraphic(TppDrawImage *aDrawImage) override
    {
        routes << "DrawGraphic";
        TppPrinterDevice::DrawGraphic(aDrawImage);
    }
};

QByteArray icoOf(const QImage &aImage)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    aImage.save(&buffer, "ICO");
    return bytes;
}

TEST_F(PrinterDeviceTest, ImagesGoToTheirRoutineAndStayInsideTheirRectangle)
{
    auto *routing = new RoutingPrinterDevice();
    device.reset(routing);
    const auto image = [this](const QImage &aPicture, bool aDirect, int32_t aTop) {
        TppDrawImage *c = picture(aPicture, 10000, aTop);
        c->SetDirectDraw(aDirect);
        return c;
    };
    QImage mono(8, 8, QImage::Format_Mono);
    mono.fill(0);
    QImage black(400, 400, QImage::Format_RGB32);
    black.fill(Qt::black);
    image(mono, true, 10000);
    image(black, true, 40000);
    // 400 screen pixels are 1250 printer pixels, centred in 236: 507 up and
    // left of the rectangle, and cut at it.
    TppDrawImage *centred = image(black, false, 70000);
    centred->SetCenter(true);
    auto *icon = command<TppDrawImage>(10000, 100000, 20000, 20000);
    classes::TIcon ico;
    QImage small(16, 16, QImage::Format_ARGB32);
    small.fill(Qt::black);
    ico.LoadFromBytes(icoOf(small));
    icon->Picture()->SetGraphic(&ico);
    image(QImage(), false, 130000);
    // After the clipped picture the page is not clipped any more.
    auto *after = command<TppDrawShape>(100000, 70000, 10000, 10000);
    after->Brush()->SetColor(rtl::clBlack);
    const QImage sheet = printPage();
    EXPECT_EQ(routing->routes.join(" "), "DirectDrawImage DrawBitmap DrawBitmap DrawGraphic");
    const int left = centred->DrawLeft() + 75;
    const int top = centred->DrawTop() + 75;
    EXPECT_TRUE(inkAt(sheet, left, top));
    EXPECT_FALSE(inkAt(sheet, left - 1, top + 10));
    EXPECT_FALSE(inkAt(sheet, left + 10, top - 1));
    EXPECT_FALSE(inkAt(sheet, centred->DrawRight() + 75, top + 10));
    EXPECT_TRUE(inkAt(sheet, after->DrawLeft() + 80, after->DrawTop() + 80));
}

TEST_F(PrinterDeviceTest, HostilePicturesAndAPageOfAnotherPrinterStillPrint)
{
    printers->add("Other");
    TppPrinterSetup other;
    reporttest::SetA4Portrait(other);
    other.SetPrinterName("Other");
    const auto image = [this](const QImage &aPicture, bool aDirect, bool aStretch, int32_t aTop) {
        TppDrawImage *c = picture(aPicture, 10000, aTop);
        c->SetDirectDraw(aDirect);
        c->SetStretch(aStretch);
        c->SetCenter(true);
        return c;
    };
    // 8000 x 8000, black on the left half: only its middle shows, cut to
    // what it covers before it is drawn.
    QImage huge(8000, 8000, QImage::Format_Mono);
    huge.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    huge.fill(0);
    for (int y = 0; y < huge.height(); ++y)
        std::fill_n(huge.scanLine(y), 500, 0xFF);
    image(QImage(0, 0, QImage::Format_RGB32), false, false, 10000);
    const std::vector<TppDrawImage *> shown{image(huge, true, false, 40000), image(huge, false, false, 70000),
                                            image(huge, false, true, 100000)};
    device->Printer()->SetPrinterSetup(setup.get());
    page.SetPrinterSetup(&other);
    page.SetFinal(true);
    device->StartJob();
    device->ReceivePage(&page);
    device->EndJob();
    ASSERT_EQ(printers->pages().size(), 1u);
    const QImage &sheet = printers->pages().front();
    for (TppDrawImage *c : shown) {
        const int middle = (c->DrawLeft() + c->DrawRight()) / 2 + 75;
        const int y = (c->DrawTop() + c->DrawBottom()) / 2 + 75;
        EXPECT_TRUE(inkAt(sheet, middle - 2, y));
        EXPECT_FALSE(inkAt(sheet, middle + 2, y));
        EXPECT_TRUE(inkAt(sheet, c->DrawLeft() + 75, y));
        EXPECT_FALSE(inkAt(sheet, c->DrawLeft() + 75 - 1, y));
    }
    for (const print::FakePrinterBackend::Call &call : printers->calls())
        EXPECT_EQ(call.device.toStdString(), "Office") << call.what.toStdString();
}

TEST_F(PrinterDeviceTest, APageLikeTheNewPrintersOwnSetupStillGetsItsPaper)
{
    // A page set up exactly as a new printer's own setup, on a queue whose
    // default is the other paper: the job must go out on the page's paper.
    TppPrinterSetup fresh;
    const bool letter = fresh.PaperName() == QLatin1String("Letter");
    ASSERT_TRUE(letter || fresh.PaperName() == QLatin1String("A4")) << fresh.PaperName().toStdString();
    if (!letter) {
        DriverSettings &queue = *printers->find("Office")->settings;
        queue.paperSize = 1;
        queue.paperWidth = 2159;
        queue.paperLength = 2794;
    }
    TppPrinterSetup pageSetup;
    pageSetup.Assign(&fresh);
    ASSERT_TRUE(pageSetup.DocumentName().isEmpty());
    // As the report hands its setup to the printer before the job starts.
    device->Printer()->SetPrinterSetup(&pageSetup);
    page.SetPrinterSetup(&pageSetup);
    page.SetFinal(true);
    device->StartJob();
    device->ReceivePage(&page);
    device->EndJob();
    int pagesStarted = 0;
    for (const print::FakePrinterBackend::Call &call : printers->calls()) {
        if (call.what != QLatin1String("startPage") && call.what != QLatin1String("startDoc"))
            continue;
        pagesStarted += call.what == QLatin1String("startPage");
        ASSERT_TRUE(call.settings.has_value());
        EXPECT_EQ(call.settings->paperSize, letter ? 1 : 9) << call.what.toStdString();
    }
    EXPECT_EQ(pagesStarted, 1);
}

TEST_F(PrinterDeviceTest, AutoSizedTextKeepsItsAnchorAndJustifiesAllButParagraphEnds)
{
    auto *right = command<TppDrawText>(100000, 10000, 50000, 2000);
    right->SetText("Right edge");
    right->SetAutoSize(true);
    right->SetAlignment(classes::TAlignment::taRightJustify);

    const QString markup = "$\u00B6";
    const auto memo = [&](int32_t aTop, const QStringList &aLines, bool aForce) {
        auto *m = command<TppDrawText>(10000, aTop, 80000, 30000);
        m->SetIsMemo(true);
        m->SetWordWrap(true);
        m->SetTransparent(true);
        m->SetTextAlignment(TppTextAlignment::taFullJustified);
        m->SetForceJustifyLastLine(aForce);
        classes::TStringList lines;
        for (const QString &line : aLines)
            lines.Add(line);
        m->SetWrappedText(&lines);
        return m;
    };
    TppDrawText *plain = memo(40000, {"one two three", "four five" + markup}, false);
    TppDrawText *forced = memo(80000, {"one two three", "four five" + markup}, true);
    TppDrawText *word = memo(120000, {"one two three", "four" + markup}, true);
    // A text wider than its rectangle is cut at it.
    auto *cut = command<TppDrawText>(100000, 30000, 10000, 5000);
    cut->SetText("A text far wider than its rectangle");
    cut->SetTransparent(true);
    // Bad input prints what can be printed.
    TppDrawText *many = memo(160000, QStringList(10000, "x\ty"), false);
    many->TabStopPositions()->Add("5000");
    many->TabStopPositions()->Add("-2000");
    many->TabStopPositions()->Add("1000");

    const QImage sheet = printPage();
    // 150 mm on the sheet, 75 pixels from the printable corner.
    EXPECT_EQ(right->DrawRight(), 1772 - 75);
    const int lineHeight = right->DrawBottom() - right->DrawTop();
    ASSERT_GT(lineHeight, 20);
    const int inkRight = rightmostInk(sheet, right->DrawTop() + 75, right->DrawBottom() + 75);
    EXPECT_NEAR(inkRight, right->DrawRight() + 75, 4);
    int inkLeft = -1;
    for (int x = 0; x < sheet.width() && inkLeft < 0; ++x)
        for (int y = right->DrawTop() + 75; y < right->DrawBottom() + 75 && inkLeft < 0; ++y)
            if (inkAt(sheet, x, y))
                inkLeft = x;
    EXPECT_NEAR(inkLeft, right->DrawLeft() + 75, 4);

    EXPECT_EQ(rightmostInk(sheet, cut->DrawTop() + 75, cut->DrawBottom() + 75), cut->DrawRight() + 75 - 1);

    const int edge = plain->DrawRight() + 75;
    const auto lastInk = [&](TppDrawText *t, int line) {
        const int top = t->DrawTop() + 75 + line * lineHeight;
        return rightmostInk(sheet, top, top + lineHeight);
    };
    EXPECT_NEAR(lastInk(plain, 0), edge, 6);
    EXPECT_LT(lastInk(plain, 1), edge - 100);
    EXPECT_NEAR(lastInk(forced, 1), edge, 6);
    EXPECT_LT(lastInk(word, 1), edge - 100);
    EXPECT_TRUE(inkAt(sheet, many->DrawLeft() + 80, many->DrawTop() + 75 + lineHeight / 2) ||
                lastInk(many, 0) > many->DrawLeft() + 75);
}

TEST_F(PrinterDeviceTest, OutlandishSizesPrintWhatFitsTheSheet)
{
    // A pen this wide covers the sheet: white, first, so the lines show.
    auto *wide = command<TppDrawShape>(50000, 10000, 20000, 20000);
    wide->Brush()->SetStyle(gfx::BrushStyle::Clear);
    wide->Pen()->SetColor(rtl::clWhite);
    wide->Pen()->SetWidth(std::numeric_limits<int>::max());
    auto *heavy = command<TppDrawLine>(10000, 10000, 10000, 20000);
    heavy->SetWeight(1e30f);
    auto *noNumber = command<TppDrawLine>(30000, 10000, 10000, 20000);
    noNumber->SetWeight(std::numeric_limits<float>::quiet_NaN());
    // A metafile whose header claims a frame of kilometres, played direct
    // and off-screen.
    reporttest::MetafileWriter writer(reporttest::MetafileWriter::Format::Emf, 40, 20);
    writer.Rectangle(QRect(0, 0, 40, 20));
    QByteArray bytes = writer.Bytes();
    for (int offset : {32, 36}) // the frame's right and bottom
        qToLittleEndian<qint32>(0x7FFFFF00, bytes.data() + offset);
    classes::TMetafile metafile;
    metafile.LoadFromBytes(bytes);
    for (bool direct : {true, false}) {
        auto *c = command<TppDrawImage>(150000, 10000, 20000, 20000);
        c->Picture()->SetGraphic(&metafile);
        c->SetDirectDraw(direct);
    }
    QImage sheet;
    ASSERT_NO_THROW(sheet = printPage());
    const int x = heavy->DrawLeft() + 75 + 20;
    EXPECT_TRUE(inkAt(sheet, x, heavy->DrawTop() + 75));
    EXPECT_TRUE(inkAt(sheet, x, sheet.height() - 1));
    EXPECT_EQ(inkRows(sheet, noNumber->DrawLeft() + 75 + 20, 0, sheet.height()), 1);
}

// An opaque white text leaves out its background only where the page is
// still blank: over a shape, or over an earlier text, it still covers them.
TEST_F(PrinterDeviceTest, AnOpaqueWhiteTextCoversWhatWasDrawnBelowIt)
{
    auto *shape = command<TppDrawShape>(10000, 40000, 60000, 20000);
    shape->Brush()->SetColor(rtl::clBlack);
    auto *over = command<TppDrawText>(20000, 45000, 40000, 5000);
    over->SetText("ab");
    over->SetColor(rtl::clWhite);
    auto *below = command<TppDrawText>(20000, 80000, 40000, 5000);
    below->SetText(QString(40, QLatin1Char('W')));
    below->SetTransparent(true);
    auto *cover = command<TppDrawText>(20000, 80000, 40000, 5000);
    cover->SetText("ab");
    cover->SetColor(rtl::clWhite);
    auto *blank = command<TppDrawText>(20000, 120000, 40000, 5000);
    blank->SetText("ab");
    blank->SetColor(rtl::clWhite);
    auto *dark = command<TppDrawText>(20000, 140000, 40000, 5000);
    dark->SetText("ab");
    dark->SetColor(rtl::clBlack);
    const QImage sheet = printPage();
    const auto inkRight = [&](TppDrawText *aText) {
        return inkRows(sheet, aText->DrawRight() + 75 - 20, aText->DrawTop() + 75, aText->DrawBottom() + 75);
    };
    // The right part of each text rectangle holds no glyph.
    EXPECT_EQ(inkRight(over), 0);
    EXPECT_TRUE(inkAt(sheet, shape->DrawLeft() + 75 + 20, over->DrawTop() + 75 + 10));
    EXPECT_EQ(inkRight(cover), 0);
    EXPECT_EQ(inkRight(blank), 0);
    EXPECT_EQ(inkRight(dark), dark->DrawBottom() - dark->DrawTop());
}

// Ink is found below a text however far above the paper's edge or the text
// it begins.
TEST_F(PrinterDeviceTest, AnOpaqueWhiteTextFindsTallInkBelowIt)
{
    auto *tall = command<TppDrawShape>(10000, 0, 60000, 250000);
    tall->Brush()->SetColor(rtl::clBlack);
    auto *over = command<TppDrawText>(20000, 200000, 40000, 5000);
    over->SetText("ab");
    over->SetColor(rtl::clWhite);
    const QImage sheet = printPage();
    EXPECT_EQ(inkRows(sheet, over->DrawRight() + 75 - 20, over->DrawTop() + 75, over->DrawBottom() + 75), 0);
    EXPECT_TRUE(inkAt(sheet, over->DrawRight() + 75 + 20, over->DrawTop() + 75 + 10));
}

// A text that comes again is drawn from the shape it had before, in its own
// font, colour and alignment: every page of the job comes out the same.
TEST_F(PrinterDeviceTest, RecurringTextsKeepTheirOwnFontColourAndAlignment)
{
    const auto add = [](TppPage &aPage, int32_t aTop, TppTextAlignment aAlignment, gfx::FontStyles aStyle,
                        rtl::TColor aColor) {
        auto *text = new TppDrawText();
        text->SetLeft(20000);
        text->SetTop(aTop);
        text->SetWidth(80000);
        text->SetHeight(6000);
        text->SetText(QStringLiteral("Total 12"));
        text->SetTransparent(true);
        text->SetTextAlignment(aAlignment);
        text->Font()->SetStyle(aStyle);
        text->Font()->SetColor(aColor);
        aPage.AddDrawCommand(text);
    };
    printJob(3, [&](TppPage &aPage) {
        add(aPage, 20000, TppTextAlignment::taLeftJustified, 0, rtl::clBlack);
        add(aPage, 30000, TppTextAlignment::taLeftJustified, gfx::fsBold, rtl::clBlack);
        add(aPage, 40000, TppTextAlignment::taRightJustified, 0, rtl::clBlack);
        add(aPage, 50000, TppTextAlignment::taCentered, 0, rtl::clRed);
    });
    const std::vector<QImage> &sheets = printers->pages();
    ASSERT_EQ(sheets.size(), 3u);
    const QImage &sheet = sheets.front();
    // The ink of the text whose top is aTop (thousandths of a millimetre).
    const auto ink = [&](int32_t aTop) {
        const int top = int(aTop * 300 / 25400);
        QRect box;
        for (int y = top; y < top + 60; ++y)
            for (int x = 0; x < sheet.width(); ++x)
                if (sheet.pixel(x, y) != qRgb(255, 255, 255))
                    box |= QRect(x, y, 1, 1);
        return box;
    };
    const QRect regular = ink(20000);
    const QRect bold = ink(30000);
    const QRect right = ink(40000);
    const QRect red = ink(50000);
    ASSERT_FALSE(regular.isEmpty());
    EXPECT_GT(bold.width(), regular.width());
    EXPECT_NEAR(right.width(), regular.width(), 1);
    // 80 mm is 945 pixels.
    EXPECT_NEAR(right.right() + 1 - regular.left(), 945, 3);
    EXPECT_NEAR(red.center().x() - regular.left(), 472, 3);
    const auto pixelsOf = [&](const QRect &aBox, QRgb aColor) {
        int count = 0;
        for (int y = aBox.top(); y <= aBox.bottom(); ++y)
            for (int x = aBox.left(); x <= aBox.right(); ++x)
                count += sheet.pixel(x, y) == aColor;
        return count;
    };
    EXPECT_GT(pixelsOf(red, qRgb(255, 0, 0)), 0);
    EXPECT_EQ(pixelsOf(red, qRgb(0, 0, 0)), 0);
    EXPECT_EQ(pixelsOf(right, qRgb(255, 0, 0)), 0);
    EXPECT_EQ(sheets[1], sheet);
    EXPECT_EQ(sheets[2], sheet);
}

// A right-aligned text wider than its rectangle shows its end, as the same
// text in a rectangle wide enough shows it there, in any font and style: the
// width it is placed by is the width it is drawn in.
TEST_F(PrinterDeviceTest, AClippedRightAlignedTextShowsItsEnd)
{
    const QString words = QStringLiteral("A clipped text far wider than its little box MMMMMMMM");
    const auto add = [&](int32_t aLeft, int32_t aTop, int32_t aWidth, TppTextAlignment aAlignment, const QString &aFont,
                         gfx::FontStyles aStyle) {
        auto *text = command<TppDrawText>(aLeft, aTop, aWidth, 7000);
        text->SetText(words);
        text->SetTransparent(true);
        text->SetAutoSize(false);
        text->SetTextAlignment(aAlignment);
        text->Font()->SetName(aFont);
        text->Font()->SetSize(14);
        text->Font()->SetStyle(aStyle);
    };
    struct Case
    {
        TppTextAlignment alignment;
        QString font;
        gfx::FontStyles style;
    };
    const Case cases[] = {{TppTextAlignment::taRightJustified, QStringLiteral("DejaVu Serif"), 0},
                          {TppTextAlignment::taRightJustified, QStringLiteral("DejaVu Sans"), gfx::fsBold},
                          {TppTextAlignment::taRightJustified, QStringLiteral("DejaVu Sans Mono"), gfx::fsUnderline}};
    // Narrow: 60 to 80 mm; wide: to the same right edge.
    int32_t top = 10000;
    for (const Case &c : cases) {
        add(60000, top, 20000, c.alignment, c.font, c.style);
        add(-60000, top + 10000, 140000, c.alignment, c.font, c.style);
        top += 20000;
    }
    const QImage sheet = printPage();
    const auto mm = [](int32_t aThousandths) { return int(int64_t(aThousandths) * 300 / 25400); };
    top = 10000;
    for (const Case &c : cases) {
        const QImage narrow = sheet.copy(QRect(mm(60000), mm(top), mm(80000) - mm(60000), 70));
        const QImage wide = sheet.copy(QRect(mm(60000), mm(top + 10000), mm(80000) - mm(60000), 70));
        int inked = 0;
        int differing = 0;
        for (int y = 0; y < narrow.height(); ++y)
            for (int x = 1; x + 1 < narrow.width(); ++x) {
                inked += inkAt(narrow, x, y);
                differing += inkAt(narrow, x, y) != inkAt(wide, x, y);
            }
        EXPECT_GT(inked, 100) << c.font.toStdString();
        EXPECT_LE(differing, inked / 20) << c.font.toStdString() << " " << int(c.alignment);
        top += 20000;
    }
}

// The canvas of each page measures with the measurer of the first: the fonts
// it has loaded are not loaded again page after page.
TEST_F(PrinterDeviceTest, PagesOfAJobShareTheirMeasurer)
{
    std::set<const gfx::TextMeasurer *> measurers;
    device->OnStartPage.Set([&](classes::TObject *, classes::TObject *) {
        measurers.insert(&device->Canvas()->Canvas().measurer());
    });
    printJob(3);
    EXPECT_EQ(measurers.size(), 1u);
}

TEST_F(PrinterDeviceTest, FittedPicturesCentreAndTransparentWhiteLeavesThePage)
{
    auto *fill = command<TppDrawShape>(10000, 40000, 20000, 20000);
    fill->Brush()->SetColor(rtl::clBlack);
    QImage white(8, 8, QImage::Format_Mono);
    white.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    white.fill(0);
    TppDrawImage *over = picture(white, 10000, 40000);
    over->SetStretch(true);
    over->SetDirectDraw(true);
    over->SetTransparent(true);
    // 100 x 50 screen pixels are 312 x 156 printer pixels, fitted into 236
    // square: 236 x 118, 59 down from the top.
    QImage black(100, 50, QImage::Format_RGB32);
    black.fill(Qt::black);
    TppDrawImage *fitted = picture(black, 40000, 40000);
    fitted->SetStretch(true);
    fitted->SetMaintainAspectRatio(true);
    fitted->SetCenter(true);
    const QImage sheet = printPage();
    EXPECT_TRUE(inkAt(sheet, over->DrawLeft() + 75 + 100, over->DrawTop() + 75 + 100));
    const int x = fitted->DrawLeft() + 75 + 100;
    const int top = fitted->DrawTop() + 75;
    EXPECT_FALSE(inkAt(sheet, x, top + 58));
    EXPECT_TRUE(inkAt(sheet, x, top + 59));
    EXPECT_TRUE(inkAt(sheet, x, top + 59 + 117));
    EXPECT_FALSE(inkAt(sheet, x, top + 59 + 118));
}

} // namespace

namespace {

// The system colours a dark desktop palette gives the program.
rtl::SystemColors darkDesktopColors()
{
    QPalette dark(QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::Base, QColor(0x2A, 0x2A, 0x2A));
    dark.setColor(QPalette::Text, QColor(0xEE, 0xEE, 0xEE));
    dark.setColor(QPalette::WindowText, QColor(0xEE, 0xEE, 0xEE));
    dark.setColor(QPalette::ButtonText, QColor(0xEE, 0xEE, 0xEE));
    return gfx::systemColorsFromPalette(dark);
}

} // namespace

// What a page prints does not depend on the screen's colours: text of the
// default colour, and shapes and rich text in system colours, print alike
// under a dark desktop palette and a light one, and the text prints dark.
TEST_F(PrinterDeviceTest, APagePrintsTheSameUnderADarkDesktopPalette)
{
    auto *text = command<TppDrawText>(20000, 20000, 60000, 8000);
    text->SetText("Default colour");
    text->SetTransparent(true);
    auto *framed = command<TppDrawShape>(20000, 40000, 60000, 20000);
    framed->Pen()->SetColor(rtl::clWindowText);
    framed->Brush()->SetColor(rtl::clWindow);
    auto *rich = command<TppDrawRichText>(20000, 70000, 60000, 10000);
    rich->SetColor(rtl::clWindow);
    const auto printed = [this](const rtl::SystemColors &aDesktop) {
        rtl::setSystemColors(aDesktop);
        const QImage sheet = printPage();
        rtl::setSystemColors(rtl::SystemColors::classic());
        return sheet;
    };
    const QImage light = printed(rtl::SystemColors::classic());
    const QImage dark = printed(darkDesktopColors());
    ASSERT_FALSE(light.isNull());
    EXPECT_TRUE(light == dark);
    EXPECT_GT(inkRows(dark, text->DrawLeft() + 75 + 10, text->DrawTop() + 75, text->DrawBottom() + 75), 0);
    // The shape's and the rich text's fill stay the paper's white.
    EXPECT_FALSE(inkAt(dark, (framed->DrawLeft() + framed->DrawRight()) / 2 + 75,
                       (framed->DrawTop() + framed->DrawBottom()) / 2 + 75));
    EXPECT_FALSE(inkAt(dark, rich->DrawLeft() + 75 + 30, rich->DrawTop() + 75 + 30));
}
