// Bar codes on the two raster devices: the printer draws the symbol at its
// own resolution where the page puts it, the screen device through the
// routine the library registers at start-up. Both read back with zbarimg
// when it is installed.

#include "tests/support/report/FakePrinters.h"
#include "tests/support/report/SamplePage.h"

#include "report/content/barcodes/DrawBarCode.h"
#include "report/model/base/Units.h"
#include "report/model/pages/Page.h"
#include "report/model/printing/Printer.h"
#include "report/model/printing/PrinterList.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/output/LibraryInit.h"
#include "report/output/PrinterDevice.h"
#include "report/output/screen/ScreenDevice.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace report;
using namespace Qt::Literals::StringLiterals;

namespace {

QStringList deviceDecode(const QImage &aImage)
{
    const QString zbar = QStandardPaths::findExecutable(u"zbarimg"_s);
    if (zbar.isEmpty())
        return {};
    QTemporaryDir dir;
    const QString file = dir.filePath(u"page.png"_s);
    aImage.save(file);
    QProcess p;
    p.start(zbar, {u"--raw"_s, u"-q"_s, file});
    p.waitForFinished(30000);
    QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    lines.sort();
    return lines;
}

void deviceAddBarCodes(TppPage &aPage)
{
    auto *ean = new TppDrawBarCode();
    ean->SetBarCodeType(TppBarCodeType::bcEAN_13);
    ean->SetData(u"400638133393"_s);
    ean->SetBarWidth(330);
    ean->Font()->SetName(u"Courier New"_s);
    ean->SetLeft(20000);
    ean->SetTop(20000);
    ean->SetWidth(45000);
    ean->SetHeight(25000);
    aPage.AddDrawCommand(ean);
    auto *code128 = new TppDrawBarCode();
    code128->SetBarCodeType(TppBarCodeType::bcCode128);
    code128->SetAutoEncode(true);
    code128->SetData(u"Zarvello 2026"_s);
    code128->SetBarWidth(529);
    code128->Font()->SetName(u"Courier New"_s);
    code128->SetLeft(20000);
    code128->SetTop(80000);
    code128->SetWidth(80000);
    code128->SetHeight(25000);
    aPage.AddDrawCommand(code128);
}

TEST(BarCodeDevices, ThePrinterDrawsTheSymbolWhereThePageSaysAtItsResolution)
{
    reporttest::FakePrinters printers;
    print::FakePrinterBackend::Printer &office = printers->add("Office");
    office.dpiX = office.dpiY = 300;
    printers->setDefaultDevice("Office");
    ppFreePrinters();
    TppPrinterSetup setup;
    reporttest::SetA4Portrait(setup);
    setup.SetPrinterName("Office");
    TppPrinterDevice device;
    device.Printer()->SetPrinterSetup(&setup);
    TppPage page;
    page.SetPrinterSetup(&setup);
    page.SetFinal(true);
    deviceAddBarCodes(page);
    device.StartJob();
    device.ReceivePage(&page);
    device.EndJob();
    ASSERT_FALSE(printers->pages().empty());
    const QImage sheet = printers->pages().back();
    // The first guard bar stands nine modules (0.117 inch) right of the
    // command's left edge, 20 mm (236 pixels) from the printable corner.
    const int guard = ppRound(20 * 0.03937 * 300) + ppRound(0.0130 * 9 * 300);
    const int row = ppRound(25 * 0.03937 * 300);
    EXPECT_GT(qGray(sheet.pixel(guard - 2, row)), 128);
    EXPECT_LT(qGray(sheet.pixel(guard + 1, row)), 128);
    if (!QStandardPaths::findExecutable(u"zbarimg"_s).isEmpty()) {
        EXPECT_EQ(deviceDecode(sheet), (QStringList{u"4006381333931"_s, u"Zarvello 2026"_s}));
    }
}

TEST(BarCodeDevices, TheScreenDeviceDrawsThemThroughTheRegisteredRoutine)
{
    ScopedScreenPixelsPerInch ppi{96};
    ppLibraryInit();
    {
        TppScreenDevice device;
        TppPage page;
        reporttest::SetA4Portrait(*page.PrinterSetup());
        page.SetAbsolutePageNo(1);
        page.SetFirstPage(true);
        page.SetFinal(true);
        deviceAddBarCodes(page);
        device.ReceivePage(&page);
        const QImage &bitmap = device.PageBitmap();
        ASSERT_FALSE(bitmap.isNull());
        // The command stands where the device put it, for clicks.
        const TppDrawCommand *ean = device.Page()->DrawCommands(0);
        EXPECT_EQ(ean->DrawLeft(), device.OffsetX() + ppRound(20 * 0.03937 * 96));
        // The quiet zone is blank; the bars lie inside the command's box.
        int ink = 0;
        for (int x = ean->DrawLeft(); x < ean->DrawRight(); ++x)
            ink += qGray(bitmap.pixel(x, ean->DrawTop() + 20)) < 128;
        EXPECT_GT(qGray(bitmap.pixel(ean->DrawLeft() + 2, ean->DrawTop() + 20)), 128);
        EXPECT_GT(ink, 30);
        if (!QStandardPaths::findExecutable(u"zbarimg"_s).isEmpty()) {
            EXPECT_EQ(deviceDecode(bitmap), (QStringList{u"4006381333931"_s, u"Zarvello 2026"_s}));
        }
    }
    ppLibraryFinalize();
}

} // namespace
