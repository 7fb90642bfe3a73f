#include "TracedReportFixture.h"

#include "tests/support/report/BandSequence.h"
#include "tests/support/report/MemoryPipeline.h"
#include "tests/support/report/PageFakes.h"
#include "tests/support/report/TraceDevice.h"

#include "report/model/bands/BandClasses.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/base/Exceptions.h"
#include "report/model/engine/Engine.h"
#include "report/model/groups/Group.h"
#include "report/model/groups/GroupBands.h"
#include "report/model/pages/DrawCommand.h"
#include "report/model/pages/Page.h"
#include "report/model/pages/PageRequest.h"
#include "report/model/pages/Publisher.h"
#include "report/model/printing/PageDef.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/model/reports/Report.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/StringList.h"

#include <gtest/gtest.h>

using namespace report;
using namespace reporttest;

namespace {

class TracedReport : public TracedReportFixture
{
protected:
    void standardBands()
    {
        band<TppHeaderBand>(20000, QStringLiteral("Header"));
        band<TppFooterBand>(20000, QStringLiteral("Footer"));
        band<TppDetailBand>(5000, QStringLiteral("Detail"));
    }
};

TEST_F(TracedReport, S1_EveryPageReachesTheDeviceAsALine)
{
    standardBands();
    band<TppTitleBand>(30000, QStringLiteral("Title"));
    rows(100);
    EXPECT_EQ(print(), QStringLiteral("1: Title Header Detail*41 Footer\n2: Header Detail*47 Footer\n"
                                      "3: Header Detail*12 Footer\n"));
    // After a reset, a second run starts over.
    report.Reset();
    EXPECT_EQ(print().count(QLatin1Char('\n')), 3);
}

TEST_F(TracedReport, S2_GroupsBreakOnTheDevice)
{
    standardBands();
    for (auto [value, count] : {std::pair{"A", 3}, {"B", 50}, {"C", 2}})
        for (int i = 0; i < count; ++i)
            data.AddRow({QString::fromLatin1(value)});
    report.SetDataPipeline(&data);
    auto *group = new TppGroup;
    group->SetReport(&report);
    group->SetDataPipeline(&data);
    group->SetBreakName(QStringLiteral("G"));
    band<TppGroupHeaderBand>(10000, QStringLiteral("GH"))->SetGroup(group);
    band<TppGroupFooterBand>(10000, QStringLiteral("GF"))->SetGroup(group);
    EXPECT_EQ(print(), QStringLiteral("1: Header GH Detail*3 GF GH Detail*38 Footer\n"
                                      "2: Header GH Detail*12 GF GH Detail*2 GF Footer\n"));
}

TEST_F(TracedReport, S4_APageListDeliversItsPagesInItsOrder)
{
    standardBands();
    rows(100);
    TppPageRequest request;
    request.SetPageSetting(TppPageSettingType::psPageList);
    classes::TStringList pages;
    pages.Add(QStringLiteral("3"));
    pages.Add(QStringLiteral("1"));
    request.SetPageList(&pages);
    EXPECT_EQ(print(&request), QStringLiteral("3: Header Detail*6 Footer\n1: Header Detail*47 Footer\n"));
}

TEST_F(TracedReport, S3_TwoPassesFireEachPassEventOnceAndDeliverFinalPages)
{
    standardBands();
    rows(100);
    report.SetPassSetting(TppPassSettingType::psTwoPass);
    QStringList events;
    report.OnStartFirstPass.Set([&](classes::TObject *) { events << "start 1"; });
    report.OnEndFirstPass.Set([&](classes::TObject *) { events << "end 1"; });
    report.OnStartSecondPass.Set([&](classes::TObject *) { events << "start 2"; });
    report.OnEndSecondPass.Set([&](classes::TObject *) { events << "end 2"; });
    TppPageRequest single;
    single.SetPageSetting(TppPageSettingType::psSinglePage);
    single.SetPageRequested(2);
    TraceDevice device;
    device.SetPageRequest(&single);
    int count = 0;
    bool final = false;
    device.OnPageReceive.Set([&](classes::TObject *, classes::TObject *aPage) {
        auto *page = static_cast<TppPage *>(aPage);
        if (page->Calculation())
            return;
        count = page->AbsolutePageCount();
        final = page->Final();
    });
    device.SetPublisher(report.Publisher());
    report.PrintToDevices();
    device.SetPublisher(nullptr);
    EXPECT_EQ(device.Text(), QStringLiteral("2: Header Detail*47 Footer\n"));
    EXPECT_EQ(count, 3);
    EXPECT_TRUE(final);
    // The second pass ends with the request, before the last page.
    EXPECT_EQ(events.join(QLatin1Char(',')).toStdString(), "start 1,end 1,start 2");
}

TEST_F(TracedReport, ASinglePageOutsideTheReportIsItsFirstOrLast)
{
    standardBands();
    rows(100);
    for (auto [asked, delivered] : {std::pair{0, "1: "}, {9, "3: "}}) {
        TppPageRequest single;
        single.SetPageSetting(TppPageSettingType::psSinglePage);
        single.SetPageRequested(asked);
        report.Reset();
        EXPECT_TRUE(print(&single).startsWith(QLatin1String(delivered))) << asked;
    }
}

TEST_F(TracedReport, ABandThatNeverFitsStopsWithItsNameAndTheReportPrintsAgain)
{
    band<TppHeaderBand>(20000, QStringLiteral("Header"));
    band<TppFooterBand>(20000, QStringLiteral("Footer"));
    auto *detail = band<TppDetailBand>(260000, QStringLiteral("Detail"));
    rows(3);
    try {
        print();
        FAIL() << "no error";
    } catch (const EPrintError &e) {
        EXPECT_TRUE(e.Message().startsWith(QStringLiteral("Detail: "))) << e.Message().toStdString();
    }
    EXPECT_FALSE(report.Printing());
    detail->SetmmHeight(5000);
    report.Reset();
    EXPECT_EQ(print(), QStringLiteral("1: Header Detail*3 Footer\n"));
}

TEST_F(TracedReport, S6_AnEmptyPipelineWithABlankPageDeliversNothing)
{
    standardBands();
    rows(0);
    TraceDevice device;
    device.SetPublisher(report.Publisher());
    report.PrintToDevices();
    EXPECT_TRUE(device.Text().isEmpty());
    EXPECT_TRUE(device.Cancelled());
    device.SetPublisher(nullptr);
}

TEST_F(TracedReport, CachedPagesAreEveryFinalPage)
{
    standardBands();
    rows(100);
    report.SetCachePages(true);
    EXPECT_EQ(print().count(QLatin1Char('\n')), 3);
    ASSERT_EQ(report.Publisher()->CachedPageCount(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(report.Publisher()->CachedPages(i)->AbsolutePageNo(), i + 1);
        EXPECT_TRUE(report.Publisher()->CachedPages(i)->Final());
    }
    // Turned off, the next run keeps none.
    report.SetCachePages(false);
    print();
    EXPECT_EQ(report.Publisher()->CachedPageCount(), 0);
}

TEST_F(TracedReport, PageThreeAloneEqualsPageThreeOfAFullRun)
{
    standardBands();
    rows(100);
    report.SetCachePages(true);
    print();
    TppPage *full = report.Publisher()->GetCachedPage(3);
    ASSERT_NE(full, nullptr);
    TppPage whole;
    whole.Assign(full);
    report.SetCachePages(false);

    TppPageRequest single;
    single.SetPageSetting(TppPageSettingType::psSinglePage);
    single.SetPageRequested(3);
    TppPage alone;
    TraceDevice device;
    device.SetPageRequest(&single);
    device.OnPageReceive.Set([&](classes::TObject *, classes::TObject *aPage) {
        auto *page = static_cast<TppPage *>(aPage);
        if (page->AbsolutePageNo() == 3)
            alone.Assign(page);
    });
    device.SetPublisher(report.Publisher());
    report.PrintToDevices();
    device.SetPublisher(nullptr);
    ASSERT_EQ(alone.DrawCommandCount(), whole.DrawCommandCount());
    for (int i = 0; i < whole.DrawCommandCount(); ++i)
        EXPECT_TRUE(alone.DrawCommands(i)->IsEqual(whole.DrawCommands(i))) << "command " << i;
    EXPECT_EQ(device.Text(), QStringLiteral("3: Header Detail*6 Footer\n"));
}

TEST(BandedReport, ABandlessReportGetsItsBandsAtStartJob)
{
    TppReport report;
    auto *group = new TppGroup;
    group->SetReport(&report);
    report.SetColumns(2);
    report.StartJob();
    EXPECT_NE(report.GetHeaderBand(), nullptr);
    EXPECT_NE(report.GetColumnHeaderBand(), nullptr);
    EXPECT_NE(report.GetColumnFooterBand(), nullptr);
    EXPECT_NE(report.GetFooterBand(), nullptr);
    EXPECT_NE(report.GetGroupHeaderBand(0), nullptr);
    EXPECT_NE(report.GetGroupFooterBand(0), nullptr);
    EXPECT_EQ(report.GetTitleBand(), nullptr);
    EXPECT_EQ(report.BandCount(), 7);
    report.EndJob();

    // With bands, only the detail band and the group bands are added.
    TppReport other;
    auto *title = new TppTitleBand(nullptr);
    title->SetReport(&other);
    other.CreateDefaultBands();
    EXPECT_EQ(other.BandCount(), 2);
    EXPECT_NE(other.GetDetailBand(), nullptr);
    EXPECT_EQ(other.CreateBand(4), nullptr);
}

TEST_F(TracedReport, ACustomerWithoutOrdersPrintsNoEmptyDetail)
{
    // Customers 1 to 3; customer 2 has no orders.
    MemoryPipeline customers;
    customers.AddField(QStringLiteral("Id"), TppDataType::dtInteger);
    for (int id = 1; id <= 3; ++id)
        customers.AddRow({id});
    MemoryPipeline orders;
    orders.AddField(QStringLiteral("CustId"), TppDataType::dtInteger);
    for (int custId : {1, 1, 3, 3, 3})
        orders.AddRow({custId});
    orders.AddLink(QStringLiteral("Id"), QStringLiteral("CustId"));
    orders.SetMasterDataPipeline(&customers);
    report.SetDataPipeline(&customers);
    band<TppDetailBand>(5000, QStringLiteral("Detail"))->SetDataPipeline(&orders);
    EXPECT_EQ(print(), QStringLiteral("1: Detail*5\n"));
    report.GetDetailBand()->SetDataPipeline(nullptr);
    report.SetDataPipeline(nullptr);
    orders.SetMasterDataPipeline(nullptr);
}

} // namespace

namespace {

class ResetFromPage : public TracedReportFixture
{
protected:
    // Delivered pages as "<AbsolutePageNo>/<AbsolutePageCount>".
    QStringList counts()
    {
        QStringList seen;
        TraceDevice device;
        device.OnPageReceive.Set([&seen](classes::TObject *, classes::TObject *aPage) {
            auto *page = static_cast<TppPage *>(aPage);
            if (!page->Calculation())
                seen.append(QStringLiteral("%1/%2").arg(page->AbsolutePageNo()).arg(page->AbsolutePageCount()));
        });
        device.SetPublisher(report.Publisher());
        report.PrintToDevices();
        device.SetPublisher(nullptr);
        return seen;
    }
};

TEST_F(ResetFromPage, ARunResetToAPageGoesOnFromThereWithItsCountUnknown)
{
    band<TppHeaderBand>(20000, QStringLiteral("Header"));
    band<TppDetailBand>(5000, QStringLiteral("Detail"));
    rows(130);
    const QStringList full{"1/1", "2/2", "3/3"};
    ASSERT_EQ(counts(), full);
    for (int page : {0, 1}) {
        report.ResetFromPage(page);
        EXPECT_EQ(counts(), full) << "reset to page " << page;
    }
    // The pages kept count as reached.
    report.ResetFromPage(2);
    EXPECT_EQ(counts(), (QStringList{"1/2", "2/2", "3/3"}));
}

} // namespace

namespace {

TEST_F(TracedReport, ANewPageSizeLaysTheNextRunOutAgain)
{
    standardBands();
    rows(100);
    ASSERT_EQ(print().count(QLatin1Char('\n')), 3);
    // Landscape: the body runs from 30 mm to 180 mm, thirty details a page.
    report.PrinterSetup()->SetOrientation(classes::TPrinterOrientation::poLandscape);
    EXPECT_EQ(print(), QStringLiteral("1: Header Detail*30 Footer\n2: Header Detail*30 Footer\n"
                                      "3: Header Detail*30 Footer\n4: Header Detail*10 Footer\n"));
}

} // namespace

namespace {

// Remembers the ids of the events it subscribed to, in order.
class JobEndListener : public TppCommunicator
{
public:
    JobEndListener()
        : TppCommunicator(nullptr)
    {
        SubscribeEvent(ppEvent::EndOfPrint);
    }
    void EventNotify(TppCommunicator *aSender, int aEventID, TraParamList *aParams) override
    {
        TppCommunicator::EventNotify(aSender, aEventID, aParams);
        Seen.append(aEventID);
    }
    QList<int> Seen;
};

} // namespace

TEST_F(TracedReport, DevicesAProgramAttachesDecideWhetherTheJobEndsAsAPrint)
{
    standardBands();
    rows(10);
    JobEndListener listener;
    report.AddEventNotify(&listener);
    QStringList ends;
    report.AfterPrint.Set([&](classes::TObject *) { ends << QStringLiteral("AfterPrint"); });
    report.OnPrintingComplete.Set([&](classes::TObject *) { ends << QStringLiteral("Complete"); });
    ASSERT_EQ(report.DeviceType(), QStringLiteral("Screen"));

    // A device of the program's own, though the report was left on the screen.
    EXPECT_EQ(print(), QStringLiteral("1: Header Detail*10 Footer\n"));
    EXPECT_EQ(ends, (QStringList{"AfterPrint", "Complete"}));
    EXPECT_EQ(listener.Seen, (QList<int>{ppEvent::EndOfPrint}));
    EXPECT_FALSE(report.Producing());

    // Beside a screen the job still ends as a print; screens alone never do.
    for (bool withTrace : {true, false}) {
        ends.clear();
        listener.Seen.clear();
        report.Reset();
        ScreenStandInDevice screen;
        screen.wantAll();
        screen.SetPublisher(report.Publisher());
        TraceDevice trace;
        if (withTrace)
            trace.SetPublisher(report.Publisher());
        report.PrintToDevices();
        trace.SetPublisher(nullptr);
        screen.SetPublisher(nullptr);
        EXPECT_EQ(ends.size(), withTrace ? 2 : 0) << withTrace;
        EXPECT_EQ(listener.Seen.size(), withTrace ? 1 : 0) << withTrace;
    }
    report.RemoveEventNotify(&listener);
}

namespace {

// A screen of the program's own: still a screen device by its ancestry.
class ProgramScreenDevice : public ScreenStandInDevice
{
    ZVO_CLASS(ProgramScreenDevice)
};

const classes::TMetaClass &ProgramScreenDevice::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<ProgramScreenDevice, ScreenStandInDevice>("TProgramScreenDevice");
    return meta;
}

} // namespace

TEST_F(TracedReport, AScreenDeviceOfTheProgramsOwnClassIsAScreenToo)
{
    standardBands();
    rows(3);
    QStringList ends;
    report.AfterPrint.Set([&](classes::TObject *) { ends << QStringLiteral("AfterPrint"); });
    ProgramScreenDevice screen;
    screen.wantAll();
    screen.SetPublisher(report.Publisher());
    report.PrintToDevices();
    screen.SetPublisher(nullptr);
    EXPECT_TRUE(ends.isEmpty());
}
