// The printer list, its paper and bin tables and the printer's job calls,
// on a scripted printing system.

#include "tests/support/report/FakePrinters.h"

#include "report/model/base/Exceptions.h"
#include "report/model/printing/PaperTables.h"
#include "report/model/printing/Printer.h"
#include "report/model/printing/PrinterList.h"
#include "report/model/printing/PrinterSetup.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

using namespace report;
using reporttest::FakePrinterBackend;
using reporttest::FakePrinters;

namespace {

QStringList names(const classes::TStrings &list)
{
    QStringList out;
    for (int i = 0; i < list.Count(); ++i)
        out << list.Strings(i);
    return out;
}

struct PrinterListTest : ::testing::Test
{
    ScopedScreenPixelsPerInch screen{96};
    FakePrinters fake;
};

TEST(PaperTables, SizesAndNamesByCode)
{
    ScopedScreenPixelsPerInch screen(96);
    struct Row
    {
        int code;
        QSize size;
        const char *name;
    };
    const Row rows[] = {
        {1, {2159, 2794}, "Letter 8 1/2 x 11 in"},
        {9, {2100, 2970}, "A4 210 x 297 mm"},
        {12, {2500, 3540}, "B4 (JIS) 250 x 354"},
        {26, {8636, 11176}, "E size sheet"},
        {35, {1760, 1250}, "Envelope B6  176 x 125 mm"},
        {48, {0, 0}, "Unknown"},
        {50, {2413, 3048}, "Letter Extra 9 \\275 x 12 in"},
        {68, {3220, 4450}, "A3 Extra Transverse 322 x 445 mm"},
        {69, {0, 0}, "Unknown"},
        {118, {0, 0}, "DMPAPER_A3_EXTRA_TRANSVERSE"},
        {256, {0, 0}, "Custom"},
        {4711, {0, 0}, "Unknown"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.code);
        EXPECT_EQ(ppPaperSizeOfCode(row.code), row.size);
        EXPECT_EQ(ppPaperNameOfCode(row.code), QString::fromLatin1(row.name));
    }
    // Codes that share a row share a size.
    for (auto [a, b] :
         {std::pair{1, 18}, {3, 17}, {8, 67}, {9, 55}, {11, 61}, {13, 62}, {14, 41}, {33, 42}, {50, 56}, {63, 68}})
        EXPECT_EQ(ppPaperSizeOfCode(a), ppPaperSizeOfCode(b)) << a << " " << b;
    // The "\275" of the names is the code page's one half: 9 1/2 and 8 1/2 in.
    EXPECT_EQ(ppPaperSizeOfCode(54), ppPaperSizeOfCode(1));
    EXPECT_EQ(ppPaperSizeOfCode(51).width(), 2413);
    EXPECT_EQ(ppPaperSizeText(2100, 2970), "210 x 297 mm");
}

TEST_F(PrinterListTest, DefaultAndScreenComeFirstAndNoPrinterMeansNoGlobalPrinter)
{
    EXPECT_EQ(names(ppGetPrinterList()->Printers()), QStringList({"Default", "Screen"}));
    EXPECT_EQ(ppGetPrinterList()->DefaultPrinterName(), "Screen");
    EXPECT_EQ(ppGetGlobalPrinter(), nullptr);

    fake->add("Office");
    fake->setDefaultDevice("Office");
    ppGetPrinterList()->Refresh();
    QString name;
    ppGetPrinterList()->GetDefaultPrinterName(name);
    EXPECT_EQ(names(ppGetPrinterList()->Printers()), QStringList({"Default", "Screen", "Office"}));
    EXPECT_EQ(name, "Office");
    ASSERT_NE(ppGetGlobalPrinter(), nullptr);
    EXPECT_EQ(ppGetGlobalPrinter()->PrinterInfo()->Name(), "Office");
}

TEST_F(PrinterListTest, NamesResolveThroughDeviceOnPortAndTheDefault)
{
    auto &laser = fake->add("Laser");
    laser.entry.port = "lpt1";
    const QString longName =
        QString(100, QLatin1Char('x')) + QStringLiteral(" on Büro-Drucker ") + QString(10, QChar(0x00e9));
    fake->add(longName);
    fake->add("Office").entry.device = "Monitor";
    fake->setDefaultDevice("Laser");
    TppPrinterList *list = ppGetPrinterList();

    QString text;
    ppDeviceOnPortText(list->PrinterByName("Laser"), text);
    EXPECT_EQ(text, "Laser on lpt1");
    ppDeviceOnPortText(list->PrinterByName("Screen"), text);
    EXPECT_EQ(text, "");

    EXPECT_EQ(list->PrinterByName("Laser on lpt9")->Name(), "Laser");
    EXPECT_EQ(list->PrinterByName("Default")->Name(), "Laser");
    EXPECT_EQ(list->PrinterByName("Gone")->Name(), "Laser");
    EXPECT_EQ(list->PrinterByName(longName)->Name(), longName);
    EXPECT_EQ(list->PrinterByName(longName.left(100) + " on elsewhere")->Name(), "Laser");
    // Only the part before " on" names a device: a name that merely holds
    // "on" is no device, and an unknown name falls to the default.
    EXPECT_EQ(list->PrinterByName("Monitor on lpt2")->Name(), "Office");
    EXPECT_EQ(list->PrinterByName("Monitor")->Name(), "Laser");
    EXPECT_EQ(list->PrinterByName(" on lpt2")->Name(), "Laser");

    QStringList items;
    classes::TStringList split;
    ppSplitCommaText("LPT1:,  COM2:,,FILE:", split);
    EXPECT_EQ(names(split), QStringList({"LPT1:", "COM2:", "", "FILE:"}));
}

TEST_F(PrinterListTest, ADefaultThatCannotBeFoundResolvesToNothing)
{
    fake->add("Laser");
    fake->setDefaultDevice("Vanished");
    EXPECT_EQ(ppGetPrinterList()->DefaultPrinterName(), "");
    EXPECT_EQ(ppGetPrinterList()->PrinterByName("Unknown"), nullptr);
}

TEST_F(PrinterListTest, ScreenOffersFourteenPapersAndOneBin)
{
    TppPrinterCapabilities *caps = ppGetPrinterList()->PrinterByName("Screen")->GetCapabilities();
    EXPECT_EQ(names(caps->PaperCodes),
              QStringList({"256", "1", "5", "8", "8", "9", "17", "39", "40", "19", "20", "21", "22", "23"}));
    EXPECT_EQ(caps->PaperNames.Strings(3), "A3 297 x 420 mm");
    EXPECT_EQ(caps->PaperWidths.Strings(1), "2159");
    EXPECT_EQ(caps->PaperHeights.Strings(1), "2794");
    EXPECT_EQ(names(caps->BinNames), QStringList({"Default"}));
    EXPECT_EQ(names(caps->BinCodes), QStringList({"7"}));
    EXPECT_FALSE(caps->DriverCopies);
}

TEST_F(PrinterListTest, DriverPapersAreNormalised)
{
    struct Case
    {
        const char *what;
        QStringList names;
        std::vector<int> codes, widths, heights;
        QStringList wantNames, wantCodes, wantWidths;
    };
    const Case cases[] = {
        {"code 256 becomes Custom, last",
         {"User size", "A4"},
         {256, 9},
         {0, 2100},
         {0, 2970},
         {"A4", "Custom"},
         {"9", "256"},
         {"2100", "0"}},
        {"the first name with USER is Custom",
         {"A4", "Userdefined", "Custom 2"},
         {9, 300, 301},
         {2100, 1000, 1000},
         {2970, 1000, 1000},
         {"A4", "Custom 2", "Custom"},
         {"9", "301", "300"},
         {"2100", "1000", "1000"}},
        {"without one, Custom is added", {"A4"}, {9}, {2100}, {2970}, {"A4", "Custom"}, {"9", "256"}, {"2100", "0"}},
        {"a paper of width 0 goes from all lists",
         {"A4", "Broken", "A5"},
         {9, 400, 11},
         {2100, 0, 1480},
         {2970, 500, 2100},
         {"A4", "A5", "Custom"},
         {"9", "11", "256"},
         {"2100", "1480", "0"}},
        {"missing names come from the codes, unknown ones from the size",
         {"only one"},
         {4711, 9, 4712},
         {2100, 0},
         {2970},
         {"210 x 297 mm", "A4 210 x 297 mm", "Custom"},
         {"4711", "9", "256"},
         {"2100", "2100", "0"}},
        {"surplus names go; duplicate codes stay",
         {"A4", "A4 again", "extra"},
         {9, 9},
         {2100, 2100},
         {2970, 2970},
         {"A4", "A4 again", "Custom"},
         {"9", "9", "256"},
         {"2100", "2100", "0"}},
    };
    int n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        auto &p = fake->add(QStringLiteral("P%1").arg(++n));
        p.capabilities.paperNames = c.names;
        p.capabilities.paperCodes = c.codes;
        p.capabilities.paperWidths = c.widths;
        p.capabilities.paperHeights = c.heights;
    }
    ppGetPrinterList()->Refresh();
    n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TppPrinterCapabilities *caps =
            ppGetPrinterList()->PrinterByName(QStringLiteral("P%1").arg(++n))->GetCapabilities();
        EXPECT_EQ(names(caps->PaperNames), c.wantNames);
        EXPECT_EQ(names(caps->PaperCodes), c.wantCodes);
        EXPECT_EQ(names(caps->PaperWidths), c.wantWidths);
        EXPECT_EQ(caps->PaperHeights.Count(), caps->PaperCodes.Count());
    }
}

TEST_F(PrinterListTest, ManyPapersAndUnevenBinsStayAligned)
{
    auto &p = fake->add("Big");
    p.capabilities = {};
    for (int i = 0; i < 300; ++i) {
        p.capabilities.paperNames << QStringLiteral("Paper %1").arg(i);
        p.capabilities.paperCodes.push_back(1000 + i % 7);
        p.capabilities.paperWidths.push_back(i % 5 == 0 ? 0 : 1000 + i);
        p.capabilities.paperHeights.push_back(2000 + i);
    }
    p.capabilities.binNames = {"Upper", "Lower", "Side"};
    p.capabilities.binCodes = {1, 2};
    p.capabilities.copies = 3;
    ppGetPrinterList()->Refresh();
    TppPrinterCapabilities *caps = ppGetPrinterList()->PrinterByName("Big")->GetCapabilities();
    EXPECT_EQ(caps->PaperNames.Count(), 241); // 240 with a size, then Custom
    EXPECT_EQ(caps->PaperWidths.Count(), 241);
    EXPECT_EQ(caps->PaperNames.Strings(0), "Paper 1");
    EXPECT_EQ(caps->PaperHeights.Strings(0), "2001");
    EXPECT_EQ(names(caps->BinNames), QStringList({"Default", "Upper", "Lower"}));
    EXPECT_EQ(names(caps->BinCodes), QStringList({"7", "1", "2"}));
    EXPECT_TRUE(caps->DriverCopies);
    // Asked once, kept after.
    ppGetPrinterList()->PrinterByName("Big")->GetCapabilities();
    EXPECT_EQ(fake->capabilityRequests(), 1);
}

TEST_F(PrinterListTest, TwoThreadsMakeOneListAndOneGlobalPrinter)
{
    fake->add("Office");
    fake->setDefaultDevice("Office");
    for (int round = 0; round < 20; ++round) {
        ppFreePrinters();
        std::atomic<bool> go{false};
        TppPrinterList *lists[2] = {};
        TppPrinter *printers[2] = {};
        std::vector<std::thread> threads;
        for (int i = 0; i < 2; ++i)
            threads.emplace_back([&, i] {
                while (!go.load())
                    std::this_thread::yield();
                lists[i] = ppGetPrinterList();
                printers[i] = ppGetGlobalPrinter();
            });
        go = true;
        for (std::thread &t : threads)
            t.join();
        ASSERT_NE(lists[0], nullptr);
        EXPECT_EQ(lists[0], lists[1]);
        ASSERT_NE(printers[0], nullptr);
        EXPECT_EQ(printers[0], printers[1]);
    }
}

TEST_F(PrinterListTest, AnEntryHeldAcrossARefreshStaysReadable)
{
    fake->add("Office");
    TppPrinterSetup setup;
    setup.SetPrinterName("Office");
    TppPrinterInfo *held = setup.PrinterInfo();
    ppGetPrinterList()->Refresh();
    EXPECT_EQ(held->Name(), "Office");
    EXPECT_EQ(held->GetCapabilities()->PaperNames.Strings(0), "A4");
}

// The print dialog refreshes the list each time it opens: entries nobody
// holds go with the refresh instead of piling up until the list is freed,
// and a held one outlives the list itself.
TEST_F(PrinterListTest, ARefreshFreesTheEntriesNobodyHolds)
{
    fake->add("Office");
    fake->add("Hall");
    const std::weak_ptr<TppPrinterInfo> hall = ppGetPrinterList()->PrinterByName("Hall")->weak_from_this();
    ppGetPrinterList()->PrinterByName("Hall")->GetCapabilities();
    auto setup = std::make_unique<TppPrinterSetup>();
    setup->SetPrinterName("Office");
    const std::weak_ptr<TppPrinterInfo> office = setup->PrinterInfo()->weak_from_this();
    ppGetPrinterList()->Refresh();
    EXPECT_TRUE(hall.expired());
    ASSERT_FALSE(office.expired());
    ppFreePrinters();
    ASSERT_FALSE(office.expired());
    EXPECT_EQ(setup->PrinterInfo()->GetCapabilities()->PaperNames.Strings(1), "Letter");
    setup.reset();
    EXPECT_TRUE(office.expired());
}

// ---- The printer -------------------------------------------------------------

TEST_F(PrinterListTest, AContextThatCannotBeMadeFallsBackToScreen)
{
    fake->add("Broken").refuseContext = true;
    fake->setDefaultDevice("Broken");
    TppPrinter printer;
    printer.SetPrinterName("Broken");
    EXPECT_EQ(printer.PrinterName(), "Broken");
    ASSERT_NE(printer.GetDC(), nullptr);
    EXPECT_EQ(printer.PrinterName(), "Screen");
    EXPECT_FALSE(ppGetPrinterList()->PrinterByName("Broken")->IsValid());
    EXPECT_EQ(printer.GetPixelsPerInch(TppAxisType::atVertical), 96);
    // An invalid entry is not chosen again.
    printer.SetPrinterName("Broken");
    EXPECT_EQ(printer.PrinterName(), "Screen");
}

TEST_F(PrinterListTest, TheScreenNeverPrintsAndAFailedStartLeavesNoJobOpen)
{
    TppPrinter printer;
    printer.SetPrinterName("Screen");
    try {
        printer.BeginDoc();
        FAIL() << "printed on the screen";
    } catch (const EPrintError &e) {
        EXPECT_EQ(e.Message(), "Screen printer does not support printing.");
    }
    EXPECT_FALSE(printer.Printing());

    fake->add("Jammed").refuseJob = true;
    ppGetPrinterList()->Refresh();
    TppPrinter jammed;
    jammed.SetPrinterName("Jammed");
    try {
        jammed.BeginDoc();
        FAIL() << "a refused job started";
    } catch (const EPrintError &e) {
        EXPECT_TRUE(e.Message().contains("Jammed"));
    }
    EXPECT_FALSE(jammed.Printing());
    jammed.SetPrinterName("Screen");
    EXPECT_EQ(jammed.PrinterName(), "Screen");
}

TEST_F(PrinterListTest, AJobThatDoesNotReachThePrinterIsAnError)
{
    fake->add("Lossy").loseJob = true;
    TppPrinter printer;
    printer.SetPrinterName("Lossy");
    printer.SetDocumentName("Invoices");
    printer.BeginDoc();
    printer.StartPage();
    EXPECT_THROW(printer.EndDoc(), EPrintError);
    EXPECT_FALSE(printer.Printing());
    EXPECT_EQ(fake->callNames(), "createContext reset startDoc startPage endPage endDoc");
}

TEST_F(PrinterListTest, AnAbortedJobIsDropped)
{
    fake->add("Office");
    TppPrinter printer;
    printer.SetPrinterName("Office");
    printer.BeginDoc();
    printer.StartPage();
    printer.SetAborted(true);
    printer.EndDoc();
    EXPECT_EQ(fake->callNames(), "createContext reset startDoc startPage endPage abortDoc");
    EXPECT_FALSE(printer.Aborted());
}

TEST_F(PrinterListTest, ASettingsChangeInsideAJobHoldsFromTheNextPage)
{
    auto &office = fake->add("Office");
    office.dpiX = office.dpiY = 72;
    TppPrinter printer;
    printer.SetPrinterName("Office");
    printer.SetDocumentName("Two pages");
    printer.BeginDoc();
    printer.StartPage();
    EXPECT_EQ(printer.PageNumber(), 1);
    printer.EndPage();
    std::optional<DriverSettings> landscape = printer.DevModeCopy();
    landscape->orientation = 2;
    printer.SetDevMode(landscape);
    EXPECT_TRUE(printer.ResetPending());
    EXPECT_EQ(fake->calls().back().what, "endPage");
    printer.StartPage();
    EXPECT_FALSE(printer.ResetPending());
    printer.EndDoc();
    EXPECT_EQ(fake->callNames(), "createContext reset startDoc startPage endPage reset startPage endPage endDoc");
    EXPECT_EQ(fake->calls()[2].text, "Two pages|");
    ASSERT_EQ(fake->pages().size(), 2u);
    EXPECT_LT(fake->pages()[0].width(), fake->pages()[0].height());
    EXPECT_GT(fake->pages()[1].width(), fake->pages()[1].height());
}

// A driver that keeps its old settings would print the next pages on the
// paper of the ones before without a word: the job fails instead, at its
// start as well as between pages.
TEST_F(PrinterListTest, SettingsTheDriverRefusesFailTheJob)
{
    auto &office = fake->add("Office");
    TppPrinter printer;
    printer.SetPrinterName("Office");
    printer.BeginDoc();
    printer.StartPage();
    printer.EndPage();
    std::optional<DriverSettings> landscape = printer.DevModeCopy();
    landscape->orientation = 2;
    printer.SetDevMode(landscape);
    office.refuseReset = true;
    try {
        printer.StartPage();
        FAIL() << "the second page started on the first one's paper";
    } catch (const EPrintError &e) {
        EXPECT_EQ(e.Message(), "Printing on \"Office\" could not take the settings of page 2.");
    }
    EXPECT_EQ(printer.PageNumber(), 1);
    printer.EndDoc();
    EXPECT_FALSE(printer.Printing());

    // Refused before the first page: no job starts.
    fake->clearRecord();
    EXPECT_THROW(printer.BeginDoc(), EPrintError);
    EXPECT_FALSE(printer.Printing());
    EXPECT_EQ(fake->callNames(), "createContext reset");
}

TEST_F(PrinterListTest, TheCanvasPaintsFromThePrintableCornerAndMeasuresAtThePrintersResolution)
{
    auto &office = fake->add("Office");
    office.dpiX = office.dpiY = 96;
    office.offsetX = 10;
    office.offsetY = 20;
    office.unprintableRight = 5;
    office.unprintableBottom = 7;
    office.color = false;
    const gfx::FixedTextMeasurer measurer(50, 100, 80);
    fake->setMeasurer(&measurer);
    TppPrinter printer;
    printer.SetPrinterName("Office");
    EXPECT_EQ(printer.GetPrinterMargins(), (rtl::TRect{10, 20, 5, 7}));
    EXPECT_EQ(printer.Canvas()->Canvas().TextWidth("abc"), 150);

    printer.BeginDoc();
    printer.StartPage();
    printer.Canvas()->Canvas().FillRect(rtl::TRect{0, 0, 4, 4}, gfx::Brush::solid(rtl::clBlack));
    printer.EndDoc();
    ASSERT_EQ(fake->pages().size(), 1u);
    const QImage &page = fake->pages()[0];
    EXPECT_EQ(page.pixel(10, 20), qRgb(0, 0, 0));
    EXPECT_EQ(page.pixel(9, 20), qRgb(255, 255, 255));
    EXPECT_EQ(page.pixel(10, 19), qRgb(255, 255, 255));
}

// A font set on the canvas once it is made, as drawing code sets one, is
// fitted before it draws: black on a printer without colour, and a pixel
// height of the screen's fonts kept at its point size on the printer.
TEST_F(PrinterListTest, AFontSetOnTheCanvasIsFittedToThePrinterBeforeItDraws)
{
    auto &mono = fake->add("Mono");
    mono.dpiX = mono.dpiY = 300;
    mono.color = false;
    TppPrinter printer;
    printer.SetPrinterName("Mono");
    printer.BeginDoc();
    printer.StartPage();
    gfx::Font font;
    font.height = -ppScreenPixelsPerInch() / 6; // 12 pt on the screen
    font.color = rtl::clRed;
    // Kept as drawing code keeps it: nothing passes the printer's accessor
    // between the font and the text.
    gfx::Canvas &canvas = printer.Canvas()->Canvas();
    canvas.setFont(font);
    canvas.TextOut(20, 20, QStringView(u"MMMM"));
    const gfx::Font fitted = canvas.font();
    printer.EndDoc();

    EXPECT_EQ(fitted.color, rtl::clBlack);
    EXPECT_EQ(fitted.height, 0);
    EXPECT_EQ(fitted.size, 12);
    ASSERT_EQ(fake->pages().size(), 1u);
    const QImage &page = fake->pages()[0];
    int dark = 0;
    int red = 0;
    int bottom = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 400; ++x) {
            const QRgb p = page.pixel(x, y);
            if (qGray(p) < 128) {
                ++dark;
                bottom = std::max(bottom, y);
            }
            red += qRed(p) > 128 && qGreen(p) < 100;
        }
    EXPECT_GT(dark, 0);
    EXPECT_EQ(red, 0);
    // 12 pt at 300 dpi: capitals about 36 pixels high, not the screen's 12.
    EXPECT_GT(bottom - 20, 30);
}

} // namespace
