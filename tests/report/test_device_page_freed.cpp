// A device whose OnPageReceive handler frees the page it is given, as a
// handler does that frees the report (and the report's page with it): every
// device stops there, writes, prints and shows nothing of it, and keeps the
// status it had.

#include "tests/support/report/FakePrinters.h"
#include "tests/support/report/SamplePage.h"

#include "report/content/ContentRegistration.h"
#include "report/content/drawcommands/DrawText.h"
#include "report/content/text/Label.h"
#include "report/model/ModelRegistration.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/pages/Page.h"
#include "report/model/printing/Printer.h"
#include "report/model/printing/PrinterList.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/model/reports/Report.h"
#include "report/output/ArchiveDevice.h"
#include "report/output/PrinterDevice.h"
#include "report/output/ReportTextFileDevice.h"
#include "report/output/TextFileDevice.h"
#include "report/output/screen/ScreenDevice.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using namespace report;

namespace {

class DevicePageFreed : public ::testing::Test
{
protected:
    DevicePageFreed()
    {
        ppModelLayerInit();
        ppContentLayerInit();
    }

    // A final first page with a saved text on it; the handler frees it.
    TppPage *page()
    {
        auto *page = new TppPage;
        reporttest::SetA4Portrait(*page->PrinterSetup());
        page->SetAbsolutePageNo(1);
        page->SetPageNo(1);
        page->SetFirstPage(true);
        page->SetLastPage(true);
        page->SetFinal(true);
        auto *text = new TppDrawText;
        text->SetText(QStringLiteral("Gone"));
        text->SetLeft(10000);
        text->SetTop(10000);
        text->SetWidth(50000);
        text->SetHeight(5000);
        text->SetBandSave(true);
        text->SetComponentSave(true);
        page->AddDrawCommand(text);
        return page;
    }

    // Gives aDevice a page that its handler frees; aDevice's job has begun.
    void receiveFreed(TppDevice &aDevice)
    {
        TppPage *received = page();
        aDevice.OnPageReceive.Set([&received](classes::TObject *, classes::TObject *) {
            delete std::exchange(received, nullptr);
        });
        const QString status = aDevice.Status();
        aDevice.ReceivePage(received);
        EXPECT_EQ(received, nullptr);
        EXPECT_TRUE(aDevice.SkipPage());
        EXPECT_FALSE(aDevice.PageInRequest());
        EXPECT_EQ(aDevice.Status(), status);
    }

    QByteArray contents(const QString &aName) const
    {
        QFile file(aName);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir folder;
};

TEST_F(DevicePageFreed, TheTextFileDevicesWriteNothingOfIt)
{
    const QString name = folder.filePath(QStringLiteral("page.txt"));
    {
        TppTextFileDevice device;
        device.SetFileName(name);
        device.StartJob();
        receiveFreed(device);
        device.EndJob();
    }
    EXPECT_EQ(contents(name), QByteArray());
    const QString grid = folder.filePath(QStringLiteral("grid.txt"));
    {
        TppReportTextFileDevice device;
        device.SetFileName(grid);
        device.StartJob();
        receiveFreed(device);
        device.EndJob();
    }
    EXPECT_EQ(contents(grid), QByteArray());
}

// As a program does: the handler frees the report being printed, and its
// page goes with it.
TEST_F(DevicePageFreed, AReportFreedByATextFileDevicesHandlerLeavesTheFileEmpty)
{
    auto *printed = new TppReport;
    reporttest::SetA4Portrait(*printed->PrinterSetup());
    auto *detail = new TppDetailBand(nullptr);
    detail->SetReport(printed);
    auto *label = new TppLabel;
    label->SetBand(detail);
    label->SetBounds(0, 0, 50000, 4000);
    label->SetCaption(QStringLiteral("Gone"));
    label->SetSave(true);
    detail->SetSave(true);
    const QString name = folder.filePath(QStringLiteral("report.txt"));
    TppTextFileDevice device;
    device.SetFileName(name);
    device.SetPublisher(printed->Publisher());
    device.OnPageReceive.Set([&printed](classes::TObject *, classes::TObject *) {
        delete std::exchange(printed, nullptr);
    });
    TppReport *running = printed;
    running->PrintToDevices();
    EXPECT_EQ(printed, nullptr);
    EXPECT_FALSE(device.PageInRequest());
    device.EndJob();
    EXPECT_EQ(contents(name), QByteArray());
}

TEST_F(DevicePageFreed, TheArchiveDeviceWritesNoPage)
{
    const QString name = folder.filePath(QStringLiteral("pages.raf"));
    TppArchiveDevice device;
    device.SetFileName(name);
    device.StartJob();
    receiveFreed(device);
    device.EndJob();
    TppArchiveDevice empty;
    const QString emptyName = folder.filePath(QStringLiteral("empty.raf"));
    empty.SetFileName(emptyName);
    empty.StartJob();
    empty.EndJob();
    EXPECT_EQ(contents(name), contents(emptyName));
}

TEST_F(DevicePageFreed, ThePrinterDevicePrintsNoSheet)
{
    reporttest::FakePrinters printers;
    printers->add("Office");
    printers->setDefaultDevice("Office");
    ppFreePrinters();
    TppPrinterSetup setup;
    reporttest::SetA4Portrait(setup);
    setup.SetPrinterName(QStringLiteral("Office"));
    TppPrinterDevice device;
    int started = 0;
    device.OnStartPage.Set([&started](classes::TObject *, classes::TObject *) { ++started; });
    device.Printer()->SetPrinterSetup(&setup);
    device.StartJob();
    receiveFreed(device);
    device.EndJob();
    EXPECT_EQ(started, 0);
    EXPECT_TRUE(printers->pages().empty());
}

TEST_F(DevicePageFreed, TheScreenDeviceShowsNothingOfIt)
{
    TppScreenDevice device;
    device.StartJob();
    receiveFreed(device);
    EXPECT_EQ(device.AbsolutePageNo(), 0);
    EXPECT_EQ(device.Page()->DrawCommandCount(), 0);
    device.EndJob();
}

} // namespace
