#include "tests/support/TimeZone.h"
#include "tests/support/report/BandFakes.h"
#include "tests/support/report/MemoryPipeline.h"
#include "tests/support/report/SamplePage.h"
#include "tests/support/report/TraceDevice.h"

#include "report/content/ContentRegistration.h"
#include "report/content/drawcommands/DrawText.h"
#include "report/content/text/DBText.h"
#include "report/content/variables/DBCalc.h"
#include "report/content/variables/SystemVariable.h"
#include "report/content/variables/Variable.h"
#include "report/model/ModelRegistration.h"
#include "report/model/bands/BandClasses.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/engine/CustomEngine.h"
#include "report/model/groups/Group.h"
#include "report/model/groups/GroupBands.h"
#include "report/model/pages/Page.h"
#include "report/model/pages/PageRequest.h"
#include "report/model/pages/Publisher.h"
#include "report/model/reports/Report.h"
#include "report/model/subreports/SubReport.h"

#include "platform/rtl/DateTime.h"
#include "platform/rtl/FormatDateTime.h"

#include <gtest/gtest.h>

using namespace report;
using namespace reporttest;

namespace {

// Each page the device receives as its texts, "band:text" joined by "|".
class TextDevice : public TraceDevice
{
public:
    void ReceivePage(TppPage *aPage) override
    {
        TraceDevice::ReceivePage(aPage);
        if (SkipPage() || !PageInRequest())
            return;
        QStringList texts;
        for (int i = 0; i < aPage->DrawCommandCount(); ++i)
            if (auto *text = dynamic_cast<const TppDrawText *>(aPage->DrawCommands(i)))
                texts << (text->Band() ? text->Band()->UserName() : QString()) + ":" + text->Text();
        Pages << texts.join(u'|');
    }
    QStringList Pages;
};

// A4, 10 mm margins: page header and footer 20 mm, group header and footer
// 10 mm, details 5 mm. Groups of 3, 60 and 40 records on G fill three
// pages, the second group crossing the first page's end.
class VariableReports : public ::testing::Test
{
protected:
    VariableReports()
    {
        ppModelLayerInit();
        ppContentLayerInit();
        SetA4Portrait(*report.PrinterSetup());
        report.SetPageLimit(20);
        data.AddField("G");
        data.AddField("V", TppDataType::dtDouble);
        int v = 0;
        for (const auto &[name, count] : {std::pair{"A", 3}, std::pair{"B", 60}, std::pair{"C", 40}})
            for (int i = 0; i < count; ++i)
                data.AddRow({QString::fromLatin1(name), double(++v)});
        report.SetDataPipeline(&data);
        band<TppHeaderBand>(20000, "PageHeader");
        footer = band<TppFooterBand>(20000, "PageFooter");
        detail = band<TppDetailBand>(5000, "Detail");
        auto *value = new TppDBText;
        value->SetBand(detail);
        value->SetDataPipeline(&data);
        value->SetDataField("V");
        value->SetBounds(0, 500, 30000, 4000);
        group = new TppGroup;
        group->SetReport(&report);
        group->SetDataPipeline(&data);
        group->SetBreakName("G");
        groupHeader = band<TppGroupHeaderBand>(10000, "GroupHeader");
        groupHeader->SetGroup(group);
        groupFooter = band<TppGroupFooterBand>(10000, "GroupFooter");
        groupFooter->SetGroup(group);
    }
    ~VariableReports() override { ppContentLayerFinalize(); }

    template <class Band>
    Band *band(int32_t aHeight, const QString &aName)
    {
        auto *b = new Band(nullptr);
        b->SetReport(&report);
        b->SetmmHeight(aHeight);
        b->SetUserName(aName);
        return b;
    }

    template <class Text>
    Text *text(TppBand *aBand)
    {
        auto *t = new Text;
        t->SetBand(aBand);
        t->SetBounds(40000, 500, 60000, 4000);
        return t;
    }

    TppDBCalc *groupSum(TppBand *aBand)
    {
        auto *sum = text<TppDBCalc>(aBand);
        sum->SetDataPipeline(&data);
        sum->SetDataField("V");
        sum->SetResetGroup(group);
        return sum;
    }

    QStringList print(const TppPageRequest *aRequest = nullptr)
    {
        TextDevice device;
        if (aRequest)
            device.SetPageRequest(aRequest);
        device.SetPublisher(report.Publisher());
        report.PrintToDevices();
        device.SetPublisher(nullptr);
        return device.Pages;
    }

    rtl::ScopedNow clock{[] { return 46000.5; }};
    MemoryPipeline data;
    TppReport report;
    TppFooterBand *footer = nullptr;
    TppDetailBand *detail = nullptr;
    TppGroup *group = nullptr;
    TppGroupHeaderBand *groupHeader = nullptr;
    TppGroupFooterBand *groupFooter = nullptr;
};

// The texts of one band on a page, in order.
QStringList bandTexts(const QString &aPage, const QString &aBand)
{
    QStringList texts;
    for (const QString &entry : aPage.split(u'|'))
        if (entry.startsWith(aBand + ":"))
            texts << entry.mid(aBand.size() + 1);
    return texts;
}

} // namespace

TEST_F(VariableReports, ThePageFooterCountsThePagesOfTheWholeReport)
{
    text<TppSystemVariable>(footer)->SetVarType(TppVarType::vtPageSetDesc);
    EXPECT_EQ(report.PassSetting(), TppPassSettingType::psTwoPass);
    const QStringList pages = print();
    ASSERT_EQ(pages.size(), 3) << pages.join("\n").toStdString();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(bandTexts(pages[i], "PageFooter"), QStringList{QStringLiteral("Page %1 of 3").arg(i + 1)});
}

TEST_F(VariableReports, AGroupHeaderShowsTheTotalItsFooterEndsWith)
{
    groupSum(groupHeader)->SetLookAhead(true);
    groupSum(groupFooter);
    const QStringList pages = print();
    ASSERT_EQ(pages.size(), 3) << pages.join("\n").toStdString();
    // 1+2+3, 4..63 and 64..103; the groups that cross a page end print
    // their header again, with the same total.
    const QList<QStringList> headers = {{"6", "2010"}, {"2010", "3340"}, {"3340"}};
    const QList<QStringList> footers = {{"6"}, {"2010"}, {"3340"}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(bandTexts(pages[i], "GroupHeader"), headers[i]) << "page " << i + 1;
        EXPECT_EQ(bandTexts(pages[i], "GroupFooter"), footers[i]) << "page " << i + 1;
    }
}

TEST_F(VariableReports, PagesAskedForOutOfOrderCarryTheTextsOfASequentialRun)
{
    groupSum(groupHeader)->SetLookAhead(true);
    groupSum(groupFooter);
    text<TppSystemVariable>(footer)->SetVarType(TppVarType::vtPageSetDesc);
    auto *running = text<TppVariable>(detail);
    running->SetDataType(TppDataType::dtInteger);
    running->OnCalc.Set([this](classes::TObject *, QVariant &aValue) {
        aValue = aValue.toInt() + int(data.GetFieldValue("V").toDouble());
    });
    // A text value counts the records too.
    auto *counted = text<TppVariable>(detail);
    counted->OnCalc.Set(
        [](classes::TObject *, QVariant &aValue) { aValue = QString::number(aValue.toString().toInt() + 1); });
    auto *perPage = text<TppVariable>(footer);
    perPage->SetDataType(TppDataType::dtInteger);
    perPage->SetResetType(TppVarEventType::vePageStart);
    perPage->OnCalc.Set([](classes::TObject *, QVariant &aValue) { aValue = aValue.toInt() + 1; });

    const QStringList sequential = print();
    ASSERT_EQ(sequential.size(), 3);
    TppPageRequest request;
    request.SetPageSetting(TppPageSettingType::psPageList);
    request.PageList()->Add("3");
    request.PageList()->Add("1");
    request.PageList()->Add("2");
    const QStringList scattered = print(&request);
    ASSERT_EQ(scattered.size(), 3);
    EXPECT_EQ(scattered[0], sequential[2]);
    EXPECT_EQ(scattered[1], sequential[0]);
    EXPECT_EQ(scattered[2], sequential[1]);
    const QStringList lastDetails =
        bandTexts(sequential[2], "Detail").mid(bandTexts(sequential[2], "Detail").size() - 2);
    EXPECT_EQ(lastDetails, QStringList({"5356", "103"})); // 1 + ... + 103 = 5356
    // The count of each page is that of its own records.
    for (const QString &page : sequential)
        EXPECT_EQ(bandTexts(page, "PageFooter").back(), QString::number(bandTexts(page, "Detail").size() / 3));
}

TEST_F(VariableReports, AFailedOrCancelledFirstPassLeavesTheNextPrintWhole)
{
    groupSum(groupHeader)->SetLookAhead(true);
    groupSum(groupFooter);
    auto *running = text<TppVariable>(detail);
    running->SetDataType(TppDataType::dtInteger);
    int calls = 0;
    running->OnCalc.Set([&calls](classes::TObject *, QVariant &aValue) {
        if (++calls == 70)
            throw std::runtime_error("handler failed");
        aValue = aValue.toInt() + 1;
    });
    EXPECT_ANY_THROW(print());
    EXPECT_FALSE(report.Printing());

    // Cancelled on the first pass's second page.
    report.OnStartPage.Set([this](classes::TObject *) {
        if (report.Engine()->PageNo() == 2)
            report.Cancel();
    });
    EXPECT_TRUE(print().isEmpty());
    report.OnStartPage.Clear();

    const QStringList pages = print();
    ASSERT_EQ(pages.size(), 3);
    EXPECT_EQ(bandTexts(pages[0], "GroupHeader"), QStringList({"6", "2010"}));
    EXPECT_EQ(bandTexts(pages[2], "GroupFooter"), QStringList({"3340"}));
    EXPECT_EQ(bandTexts(pages[2], "Detail").back(), "103");
}

TEST_F(VariableReports, AValueThatDoesNotConvertStopsThePrintWithTheConversionError)
{
    auto *number = text<TppVariable>(detail);
    number->SetDataType(TppDataType::dtInteger);
    number->OnCalc.Set([](classes::TObject *, QVariant &aValue) { aValue = QStringLiteral("abc"); });
    try {
        print();
        ADD_FAILURE() << "the print went on";
    } catch (const std::exception &error) {
        EXPECT_NE(QString::fromUtf8(error.what()).indexOf("abc"), -1) << error.what();
    }
    EXPECT_FALSE(report.Printing());
}

// A date whose midnight the zone skipped (São Paulo, 4 November 2018), and a
// half past two Berlin skipped, print on every page as they read in UTC, in
// the user's own form.
TEST_F(VariableReports, ADateTheZoneSkippedPrintsOnEveryPage)
{
    const zvotest::ScopedTimeZone zone("America/Sao_Paulo");
    auto *day = text<TppVariable>(footer);
    day->SetDataType(TppDataType::dtDate);
    day->SetCalcType(TppVarEventType::vePageStart);
    day->OnCalc.Set([](classes::TObject *, QVariant &aValue) { aValue = rtl::EncodeDate(2018, 11, 4); });
    const QStringList pages = print();
    ASSERT_EQ(pages.size(), 3);
    for (const QString &page : pages)
        EXPECT_EQ(bandTexts(page, "PageFooter"), QStringList{rtl::DateToStr(rtl::EncodeDate(2018, 11, 4))})
            << page.toStdString();

    const zvotest::ScopedTimeZone berlin("Europe/Berlin");
    day->SetDataType(TppDataType::dtDateTime);
    day->OnCalc.Set([](classes::TObject *, QVariant &aValue) {
        aValue = rtl::EncodeDate(2024, 3, 31) + rtl::EncodeTime(2, 30, 0, 0);
    });
    for (const QString &page : print())
        EXPECT_EQ(bandTexts(page, "PageFooter"),
                  QStringList{rtl::DateTimeToStr(rtl::EncodeDate(2024, 3, 31) + rtl::EncodeTime(2, 30, 0, 0))})
            << page.toStdString();
}

TEST_F(VariableReports, AVariableResetAtGroupStartTakesEveryRecordOfItsGroup)
{
    // The first group, with NewPage every group, and with a footer too tall
    // for the rest of the page the group after the carried-over footer,
    // begin on a new page: their first record is told of after the group
    // has started.
    for (const auto &[newPage, footerHeight] :
         {std::pair{false, 10000}, std::pair{true, 10000}, std::pair{false, 92000}}) {
        group->SetNewPage(newPage);
        groupFooter->SetmmHeight(footerHeight);
        QList<TppVariable *> sums;
        for (TppBand *band : {static_cast<TppBand *>(groupHeader), static_cast<TppBand *>(groupFooter)}) {
            auto *sum = text<TppVariable>(band);
            sum->SetDataType(TppDataType::dtInteger);
            sum->SetResetType(TppVarEventType::veGroupStart);
            sum->SetResetComponent(group);
            sum->SetLookAhead(band == groupHeader);
            sum->OnCalc.Set([this](classes::TObject *, QVariant &aValue) {
                aValue = aValue.toInt() + int(data.GetFieldValue("V").toDouble());
            });
            sums << sum;
        }
        QStringList headers;
        QStringList footers;
        for (const QString &page : print()) {
            headers << bandTexts(page, "GroupHeader");
            footers << bandTexts(page, "GroupFooter");
        }
        headers.removeDuplicates();
        footers.removeAll(QString());
        EXPECT_EQ(headers, QStringList({"6", "2010", "3340"})) << "new page " << newPage << ", footer " << footerHeight;
        EXPECT_EQ(footers, QStringList({"6", "2010", "3340"})) << "new page " << newPage << ", footer " << footerHeight;
        qDeleteAll(sums);
    }
}

TEST_F(VariableReports, ALookAheadTotalInAChildReportShowsEachRunsTotalAboveItsRows)
{
    // Each group footer holds a subreport listing V = 1..3 below a title
    // that shows their total.
    MemoryPipeline childData;
    childData.AddField("V", TppDataType::dtDouble);
    for (int v = 1; v <= 3; ++v)
        childData.AddRow({double(v)});
    auto *subreport = new TppSubReport;
    subreport->SetBand(groupFooter);
    subreport->SetBounds(0, 0, 190000, 10000);
    subreport->SetDataPipeline(&childData);
    auto *title = new TppTitleBand(nullptr);
    title->SetReport(subreport->Report());
    title->SetmmHeight(4000);
    title->SetUserName("ChildTitle");
    auto *total = text<TppDBCalc>(title);
    total->SetDataPipeline(&childData);
    total->SetDataField("V");
    total->SetLookAhead(true);
    auto *rows = new TppDetailBand(nullptr);
    rows->SetReport(subreport->Report());
    rows->SetmmHeight(1000);
    for (int run = 0; run < 2; ++run) {
        report.Reset();
        QStringList totals;
        for (const QString &page : print())
            totals << bandTexts(page, "ChildTitle");
        EXPECT_EQ(totals, QStringList({"6", "6", "6"})) << "run " << run;
    }
}

namespace {

// A subreport in each group footer lists childData's V = 1..3 in its
// detail band "ChildDetail": what its objects show depends on the main
// report's run, which they must see as running.
class ChildReportPrinting : public VariableReports
{
protected:
    ChildReportPrinting()
    {
        childData.AddField("V", TppDataType::dtDouble);
        for (int v = 1; v <= 3; ++v)
            childData.AddRow({double(v)});
        subreport = new TppSubReport;
        subreport->SetBand(groupFooter);
        subreport->SetBounds(0, 0, 190000, 10000);
        subreport->SetDataPipeline(&childData);
        childDetail = new TppDetailBand(nullptr);
        childDetail->SetReport(subreport->Report());
        childDetail->SetmmHeight(1000);
        childDetail->SetUserName("ChildDetail");
    }

    // The child's texts, page by page.
    QList<QStringList> childTexts()
    {
        QList<QStringList> texts;
        for (const QString &page : print())
            texts << bandTexts(page, "ChildDetail");
        return texts;
    }

    MemoryPipeline childData;
    TppSubReport *subreport = nullptr;
    TppDetailBand *childDetail = nullptr;
};

} // namespace

TEST_F(ChildReportPrinting, APageNumberInAChildReportIsThatOfThePageItPrintsOn)
{
    text<TppSystemVariable>(childDetail)->SetVarType(TppVarType::vtPageNo);
    const QList<QStringList> texts = childTexts();
    ASSERT_EQ(texts.size(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(texts[i], QStringList(3, QString::number(i + 1))) << "page " << i + 1;
}

TEST_F(ChildReportPrinting, AChildDataTextWithoutAFieldPrintsNothing)
{
    text<TppDBText>(childDetail)->SetUserName("ChildDBText");
    for (const QStringList &page : childTexts())
        EXPECT_EQ(page, QStringList(3, QString()));
}

TEST_F(ChildReportPrinting, AReportPrintedFromTheDesignerShowsTheChildsValues)
{
    auto *value = text<TppDBText>(childDetail);
    value->SetDataPipeline(&childData);
    value->SetDataField("V");
    report.IncludeState(ppState::Design);
    subreport->Report()->IncludeState(ppState::Design);
    for (const QStringList &page : childTexts())
        EXPECT_EQ(page, QStringList({"1", "2", "3"}));
}

TEST_F(ChildReportPrinting, AChildGroupKeepsItsBreakTypeWhileTheReportRuns)
{
    auto *childGroup = new TppGroup;
    childGroup->SetReport(subreport->Report());
    report.OnStartPage.Set([childGroup](classes::TObject *) { childGroup->SetBreakType(TppBreakType::btCustomField); });
    print();
    EXPECT_EQ(childGroup->BreakType(), TppBreakType::btDataField);
    report.OnStartPage.Clear();
    childGroup->SetBreakType(TppBreakType::btCustomField);
    EXPECT_EQ(childGroup->BreakType(), TppBreakType::btCustomField);
}

TEST_F(ChildReportPrinting, AChildTellsItsDesignerNothingWhileTheMainReportPrints)
{
    text<TppDBText>(childDetail);
    RecordingDesigner designer;
    TppChildReport *child = subreport->Report();
    child->SetDesigner(&designer);
    designer.Messages.clear();
    report.OnStartPage.Set([child](classes::TObject *) { child->SetUnits(TppUnitType::utMillimeters); });
    print();
    report.OnStartPage.Clear();
    EXPECT_TRUE(designer.Messages.isEmpty()) << designer.Messages.join(' ').toStdString();
    // Outside the run the same change is told.
    child->SetUnits(TppUnitType::utInches);
    EXPECT_TRUE(designer.has(QStringLiteral("send 1129")));
    child->SetDesigner(nullptr);
}

namespace {

// Groups A (5, 3, 7) and B (-9, -4, -6) over two pages, the last record on
// the second; in every band a data calculation may stand in, a minimum and a
// maximum of V shown ahead, each counting the group breaks it fires.
class LookAheadExtremes : public ::testing::Test
{
protected:
    LookAheadExtremes()
    {
        ppModelLayerInit();
        ppContentLayerInit();
        SetA4Portrait(*report.PrinterSetup());
        report.SetPageLimit(20);
        data.AddField("G");
        data.AddField("V", TppDataType::dtDouble);
        for (const auto &[name, value] : {std::pair{"A", 5}, {"A", 3}, {"A", 7}, {"B", -9}, {"B", -4}, {"B", -6}})
            data.AddRow({QString::fromLatin1(name), double(value)});
        report.SetDataPipeline(&data);
        group = new TppGroup;
        group->SetReport(&report);
        group->SetDataPipeline(&data);
        group->SetBreakName("G");
    }
    ~LookAheadExtremes() override { ppContentLayerFinalize(); }

    template <class Band>
    Band *band(int32_t aHeight, const QString &aName)
    {
        auto *b = new Band(nullptr);
        b->SetReport(&report);
        b->SetmmHeight(aHeight);
        b->SetUserName(aName);
        return b;
    }

    void extremes(TppBand *aBand, bool aByGroup)
    {
        for (TppDBCalcType type : {TppDBCalcType::dcMinimum, TppDBCalcType::dcMaximum}) {
            auto *calc = new TppDBCalc;
            calc->SetBand(aBand);
            calc->SetBounds(type == TppDBCalcType::dcMinimum ? 0 : 40000, 500, 30000, 4000);
            calc->SetDataPipeline(&data);
            calc->SetDataField("V");
            calc->SetDBCalcType(type);
            if (aByGroup)
                calc->SetResetGroup(group);
            calc->SetLookAhead(true);
            const QString key = aBand->UserName() + (type == TppDBCalcType::dcMinimum ? "Min" : "Max");
            breaks[key] = 0;
            calc->OnGroupBreak.Set([this, key](classes::TObject *) { ++breaks[key]; });
        }
    }

    QStringList print()
    {
        TextDevice device;
        device.SetPublisher(report.Publisher());
        report.PrintToDevices();
        device.SetPublisher(nullptr);
        return device.Pages;
    }

    rtl::ScopedNow clock{[] { return 46000.5; }};
    MemoryPipeline data;
    TppReport report;
    TppGroup *group = nullptr;
    QMap<QString, int> breaks;
};

} // namespace

// The reset leaves its mark until the first value comes, whether or not
// the calculation was placed in between: a minimum shown ahead over 5, 3, 7
// is 3 and a maximum over -9, -4, -6 is -4, never the 0 of the reset.
TEST_F(LookAheadExtremes, EveryBandShowsTheExtremesOfItsOwnRecords)
{
    auto *title = band<TppTitleBand>(10000, "Title");
    auto *header = band<TppHeaderBand>(10000, "PageHeader");
    auto *footer = band<TppFooterBand>(10000, "PageFooter");
    auto *detail = band<TppDetailBand>(40000, "Detail");
    auto *summary = band<TppSummaryBand>(10000, "Summary");
    auto *groupHeader = band<TppGroupHeaderBand>(10000, "GroupHeader");
    groupHeader->SetGroup(group);
    auto *groupFooter = band<TppGroupFooterBand>(10000, "GroupFooter");
    groupFooter->SetGroup(group);
    extremes(title, false);
    extremes(header, false);
    extremes(footer, false);
    extremes(detail, true);
    extremes(summary, false);
    extremes(groupHeader, true);
    extremes(groupFooter, true);

    const QStringList pages = print();
    ASSERT_EQ(pages.size(), 2) << pages.join("\n").toStdString();
    const QStringList all = {"-9", "7"}, a = {"3", "7"}, b = {"-9", "-4"};
    EXPECT_EQ(bandTexts(pages[0], "Title"), all);
    EXPECT_EQ(bandTexts(pages[0], "GroupHeader"), a + b);
    EXPECT_EQ(bandTexts(pages[0], "Detail"), a + a + a + b + b);
    EXPECT_EQ(bandTexts(pages[1], "Detail"), b);
    EXPECT_EQ(bandTexts(pages[0], "GroupFooter"), a);
    EXPECT_EQ(bandTexts(pages[1], "GroupFooter"), b);
    EXPECT_EQ(bandTexts(pages[1], "Summary"), all);
    // Without a group the page bands run on from the report's start; each
    // page shows where its own last record left them.
    for (const QString &page : pages) {
        EXPECT_EQ(bandTexts(page, "PageHeader"), all);
        EXPECT_EQ(bandTexts(page, "PageFooter"), all);
    }
    // One break for each reset that a value followed, in each of the two
    // passes: the report's start, and each group's.
    for (const QString kind : {"Min", "Max"}) {
        for (const QString whole : {"Title", "PageHeader", "PageFooter", "Summary"})
            EXPECT_EQ(breaks[whole + kind], 2) << (whole + kind).toStdString();
        for (const QString grouped : {"Detail", "GroupHeader", "GroupFooter"})
            EXPECT_EQ(breaks[grouped + kind], 4) << (grouped + kind).toStdString();
    }
}
