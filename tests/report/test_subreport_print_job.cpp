#include "tests/support/report/BandSequence.h"
#include "tests/support/report/FakePrinters.h"
#include "tests/support/report/MemoryPipeline.h"
#include "tests/support/report/PageFakes.h"
#include "tests/support/report/SamplePage.h"
#include "tests/support/report/TraceDevice.h"

#include "report/model/bands/BandClasses.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/pages/DeviceRegistry.h"
#include "report/model/pages/PageRequest.h"
#include "report/model/pages/Publisher.h"
#include "report/model/printing/PrinterList.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/model/reports/Report.h"
#include "report/model/subreports/SubReport.h"
#include "report/output/PrinterDevice.h"

#include "platform/classes/ClassRegistry.h"

#include <gtest/gtest.h>

using namespace report;
using namespace reporttest;

namespace {

// A report printing to "Printer" over two records whose detail holds a
// section subreport with a print job of its own; each run of the child
// lists 60 rows on two A4 pages. The report's pages go to the Trace device,
// the section's pages to the section's own job on the fake printer.
TEST(SubReportPrintJob, EachSectionRunPrintsItsPagesAsAJobOfItsOwn)
{
    FakePrinters printers;
    printers->add("Office");
    printers->setDefaultDevice("Office");
    printers->setRecordPages(false);
    ppFreePrinters();
    ppRegisterDevice(&ppDeviceClass<TppPrinterDevice>());
    classes::RegisterClasses({&StandInTextCommand::StaticClass()});
    {
        MemoryPipeline data;
        data.AddField(QStringLiteral("G"));
        data.AddRow({QStringLiteral("a")});
        data.AddRow({QStringLiteral("b")});
        TppReport report;
        SetA4Portrait(*report.PrinterSetup());
        report.PrinterSetup()->SetPrinterName(QStringLiteral("Office"));
        report.SetDataPipeline(&data);
        report.SetPageLimit(20);
        report.SetDeviceType(QStringLiteral("Printer"));
        auto *detail = new TppDetailBand(nullptr);
        detail->SetReport(&report);
        detail->SetmmHeight(10000);
        auto *subreport = new TppSubReport;
        subreport->SetBand(detail);
        subreport->SetNewPrintJob(true);
        ASSERT_EQ(subreport->PrintBehavior(), TppPrintBehaviorType::pbSection);
        MemoryPipeline rows;
        rows.AddField(QStringLiteral("R"));
        for (int i = 0; i < 60; ++i)
            rows.AddRow({QString::number(i)});
        subreport->SetDataPipeline(&rows);
        auto *rowBand = new TppDetailBand(nullptr);
        rowBand->SetReport(subreport->Report());
        rowBand->SetmmHeight(5000);
        rowBand->SetUserName(QStringLiteral("Row"));
        auto *object = new BandPrintable;
        object->SetmmHeight(5000);
        object->SetBand(rowBand);

        TraceDevice trace;
        trace.SetPublisher(report.Publisher());
        report.PrintToDevices();
        trace.SetPublisher(nullptr);
        EXPECT_EQ(trace.Text().toStdString(), std::string("1: Row*55\n2: Row*5\n3: Row*55\n4: Row*5\n"));
        EXPECT_EQ(printers->callNames().count(QStringLiteral("startDoc")), 2) << printers->callNames().toStdString();
        EXPECT_EQ(printers->callNames().count(QStringLiteral("endDoc")), 2);
        EXPECT_EQ(printers->callNames().count(QStringLiteral("startPage")), 4);

        // A request that ends inside a section ends the section's job too.
        TppPageRequest first;
        first.SetPageSetting(TppPageSettingType::psSinglePage);
        first.SetPageRequested(1);
        trace.SetPageRequest(&first);
        trace.SetPublisher(report.Publisher());
        report.PrintToDevices();
        trace.SetPublisher(nullptr);
        EXPECT_EQ(printers->callNames().count(QStringLiteral("startDoc")), 3);
        EXPECT_EQ(printers->callNames().count(QStringLiteral("endDoc")), 3);
    }
    classes::UnRegisterClasses({&StandInTextCommand::StaticClass()});
    ppUnRegisterDevice(&ppDeviceClass<TppPrinterDevice>());
    ppFreePrinters();
}

} // namespace
