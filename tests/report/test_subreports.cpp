#include "ChildRunsFixture.h"
#include "TracedReportFixture.h"

#include "tests/support/report/BandSequence.h"
#include "tests/support/report/MemoryPipeline.h"
#include "tests/support/report/TraceDevice.h"

#include "report/content/ContentRegistration.h"
#include "report/content/drawcommands/DrawShapes.h"
#include "report/content/drawcommands/DrawText.h"
#include "report/content/graphics/Graphics.h"
#include "report/content/graphics/Region.h"
#include "report/content/graphics/RegionRTTI.h"
#include "report/content/text/DBText.h"
#include "report/content/text/Label.h"
#include "report/content/text/Memo.h"
#include "report/model/ModelRegistration.h"
#include "report/model/bands/BandClasses.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/base/Exceptions.h"
#include "report/model/engine/Engine.h"
#include "report/model/groups/Group.h"
#include "report/model/groups/GroupBands.h"
#include "report/model/objects/EventIds.h"
#include "report/model/pages/DrawCommand.h"
#include "report/model/pages/Page.h"
#include "report/model/printing/PageDef.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/model/reports/Report.h"
#include "report/model/subreports/SubReport.h"
#include "report/model/subreports/SubReportRTTI.h"

#include "platform/classes/ObjectText.h"
#include "platform/classes/Reader.h"
#include "platform/classes/Streams.h"
#include "platform/classes/Writer.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

#include <algorithm>
#include <limits>
#include <memory>

using namespace report;
using namespace reporttest;

namespace {

// A main report without data on A4 (10 mm margins) whose detail (10 mm,
// dynamic) prints once: a label "Static" in its top 5 mm, repeated on every
// page the band continues on, and below it a subreport whose child report
// lists the rows of `data`, 5 mm a row, continued below the label.
class SubReports : public TracedReportFixture
{
protected:
    SubReports()
    {
        band<TppHeaderBand>(20000, QStringLiteral("Header"));
        band<TppFooterBand>(20000, QStringLiteral("Footer"));
        detail = new TppDetailBand(nullptr);
        detail->SetReport(&report);
        detail->SetmmHeight(10000);
        detail->SetUserName(QStringLiteral("Detail"));
        detail->SetPrintHeight(TppPrintHeightType::phDynamic);
        auto *label = new TppLabel;
        label->SetBand(detail);
        label->SetCaption(QStringLiteral("Static"));
        label->SetBounds(0, 500, 100000, 4000);
        label->SetReprintOnOverFlow(true);
        subreport = new TppSubReport;
        subreport->SetBand(detail);
        subreport->SetBounds(0, 5000, 190000, 5000);
        subreport->SetmmOverFlowOffset(5000);
    }

    // The child's rows: a detail band of 5 mm over `data`, with `aCount`
    // rows.
    TppDetailBand *childRows(int aCount)
    {
        for (int i = 0; i < aCount; ++i)
            data.AddRow({QString::number(i)});
        subreport->SetDataPipeline(&data);
        return childBand<TppDetailBand>(*subreport->Report(), 5000, QStringLiteral("Row"));
    }

    template <class Band>
    static Band *childBand(TppCustomReport &aReport, int32_t aHeight, const QString &aName)
    {
        return childBandFor<Band>(aReport, aHeight, aName);
    }

public:
    template <class Band>
    static Band *childBandFor(TppCustomReport &aReport, int32_t aHeight, const QString &aName)
    {
        return bandFor<Band>(aReport, aHeight, aName);
    }

protected:
    TppDetailBand *detail = nullptr;
    TppSubReport *subreport = nullptr;
};

TEST_F(SubReports, AChildContinuesOverFurtherPagesBelowTheRepeatedStaticObject)
{
    // Page 1 has 232 mm below the subreport's top (35 mm), as have the
    // continuation pages below the label: 46 rows a page.
    childRows(100);
    EXPECT_EQ(print().toStdString(), std::string("1: Header Detail Row*46 Footer\n"
                                                 "2: Header Detail Row*46 Footer\n"
                                                 "3: Header Detail Row*8 Footer\n"));
    ASSERT_EQ(tops.size(), 3);
    // The child's commands stand where the subreport does on the page.
    EXPECT_EQ(tops[0][2], (QPair<QString, int32_t>{"Row", 35000}));
    EXPECT_EQ(tops[0][3], (QPair<QString, int32_t>{"Row", 40000}));
    EXPECT_EQ(tops[1][1], (QPair<QString, int32_t>{"Detail", 30500}));
    EXPECT_EQ(tops[1][2], (QPair<QString, int32_t>{"Row", 35000}));
    EXPECT_EQ(subreport->RunsCompleted(), 1);
}

TEST_F(SubReports, APageMadeAgainOutOfOrderPrintsTheChildRowsOfASequentialRun)
{
    ppModelLayerInit();
    ppContentLayerInit();
    auto *value = new TppDBText;
    value->SetBand(childRows(100));
    value->SetDataPipeline(&data);
    value->SetDataField(QStringLiteral("G"));
    value->SetBounds(100000, 500, 20000, 4000);
    // The first row each page shows.
    QStringList firstRows;
    report.OnEndPage.Set([this, &firstRows](classes::TObject *) {
        const TppPage *page = report.Engine()->Page();
        for (int i = 0; i < page->DrawCommandCount(); ++i)
            if (auto *text = dynamic_cast<const TppDrawText *>(page->DrawCommands(i));
                text && text->Text() != "Static") {
                firstRows << text->Text();
                return;
            }
        firstRows << QString();
    });
    const QStringList sequential = print().split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(sequential.size(), 3);
    EXPECT_EQ(firstRows, QStringList({"0", "46", "92"}));
    for (int asked : {2, 1, 3, 2}) {
        SCOPED_TRACE(asked);
        TppPageRequest single;
        single.SetPageSetting(TppPageSettingType::psSinglePage);
        single.SetPageRequested(asked);
        firstRows.clear();
        EXPECT_EQ(print(&single).trimmed(), sequential[asked - 1]);
        ASSERT_FALSE(firstRows.isEmpty());
        EXPECT_EQ(firstRows.back(), QString::number((asked - 1) * 46));
    }
    ppContentLayerFinalize();
    ppModelLayerFinalize();
}

// Going back to page 1 (as a drill-down does) makes the later pages again;
// the child's positions kept for the pages thrown away go with them, and the
// pages made again are those of the first run.
TEST_F(SubReports, PagesMadeAgainAfterGoingBackHoldNoMoreOfTheChildsBookmarks)
{
    childRows(100);
    const QString sequential = print();
    ASSERT_EQ(sequential.count(u'\n'), 3);
    const int held = data.OutstandingBookmarks();
    for (int round = 0; round < 3; ++round) {
        report.ResetFromPage(1);
        EXPECT_EQ(print(), sequential) << "round " << round;
        EXPECT_EQ(data.OutstandingBookmarks(), held) << "round " << round;
    }
}

TEST_F(SubReports, AChildThatFitsLeavesRoomForTheBandsBelowIt)
{
    childRows(3);
    band<TppSummaryBand>(10000, QStringLiteral("Summary"));
    EXPECT_EQ(print().toStdString(), std::string("1: Header Detail Row*3 Summary Footer\n"));
    ASSERT_EQ(tops.size(), 1);
    // The detail ends below its last row: 35 mm + 3 rows.
    ASSERT_EQ(tops[0].size(), 7);
    EXPECT_EQ(tops[0][5], (QPair<QString, int32_t>{"Summary", 50000}));
}

TEST_F(SubReports, ARunAfterTheFirstPrintsTheChildAgainFromItsFirstRecord)
{
    childRows(50);
    const QString first = print();
    report.Reset();
    report.Publisher()->ResetPages();
    tops.clear();
    EXPECT_EQ(print(), first);
    EXPECT_EQ(first.toStdString(), std::string("1: Header Detail Row*46 Footer\n2: Header Detail Row*4 Footer\n"));
}

TEST_F(SubReports, ChildrenWithoutBandsOrDataAndNestedTenDeepPrintAndEnd)
{
    // No bands: the child gets its default bands, which print once.
    EXPECT_EQ(print().toStdString(), std::string("1: Header Detail Footer\n"));

    // Ten subreports, each in the detail of the one above; the innermost
    // lists three rows.
    tops.clear();
    TppChildReport *inner = subreport->Report();
    TppSubReport *deepest = subreport;
    for (int level = 1; level < 10; ++level) {
        auto *band = childBand<TppDetailBand>(*inner, 1000, QStringLiteral("L%1").arg(level));
        band->SetPrintHeight(TppPrintHeightType::phDynamic);
        deepest = new TppSubReport;
        deepest->SetBand(band);
        deepest->SetBounds(0, 1000, 100000, 1000);
        ASSERT_NE(deepest->Report(), nullptr);
        inner = deepest->Report();
    }
    for (int i = 0; i < 3; ++i)
        data.AddRow({QString::number(i)});
    deepest->SetDataPipeline(&data);
    childBand<TppDetailBand>(*inner, 5000, QStringLiteral("Row"));
    EXPECT_EQ(print().toStdString(), std::string("1: Header Detail L1 L2 L3 L4 L5 L6 L7 L8 L9 Row*3 Footer\n"));
    QString key;
    inner->GetTreeKey(key);
    EXPECT_EQ(key.count(QLatin1Char('|')), 10);
}

TEST_F(SubReports, AChildWhoseRowsAreTallerThanItsFrameEnds)
{
    TppDetailBand *rows = childRows(5);
    rows->SetmmHeight(300000);
    rows->Objects(0)->SetmmHeight(300000);
    // Whatever the child makes of rows taller than its frame, the run ends
    // within a page per row.
    EXPECT_LE(print().count(QLatin1Char('\n')), 5);
}

TEST_F(SubReports, AChildRowWithAnObjectBelowEveryPageStopsTheRunWithItsName)
{
    // A row of 5 mm, but an object in it stands 400 mm down (a template
    // edited by hand): the row can never fit the frame, and the run must
    // end rather than add pages of the repeated static label for ever.
    auto *far = new TppLabel;
    far->SetBand(childRows(3));
    far->SetCaption(QStringLiteral("Far"));
    far->SetBounds(0, 400000, 10000, 4000);
    try {
        const QString pages = print();
        FAIL() << "no error: " << pages.toStdString();
    } catch (const EPrintError &e) {
        EXPECT_TRUE(e.Message().startsWith(QStringLiteral("Row: "))) << e.Message().toStdString();
    }
    EXPECT_FALSE(report.Printing());
}

TEST_F(SubReports, PrintBehaviourRules)
{
    subreport->SetNewPrintJob(true);
    EXPECT_EQ(subreport->PrintBehavior(), TppPrintBehaviorType::pbSection);
    EXPECT_FALSE(subreport->Stretch());
    subreport->SetResetPageNo(true);
    // A section is as wide as its band, whatever it is told.
    subreport->SetParentWidth(false);
    EXPECT_TRUE(subreport->ParentWidth());
    subreport->SetPrintBehavior(TppPrintBehaviorType::pbChild);
    EXPECT_FALSE(subreport->NewPrintJob());
    EXPECT_FALSE(subreport->ResetPageNo());
    EXPECT_TRUE(subreport->Stretch());
    subreport->SetResetPageNo(true);
    EXPECT_FALSE(subreport->ResetPageNo());
    subreport->SetParentWidth(false);
    EXPECT_FALSE(subreport->ParentWidth());

    // A drill-down component only for a child, and for one subreport.
    auto *other = new TppSubReport;
    other->SetBand(detail);
    TppComponent *label = detail->Objects(0);
    subreport->SetDrillDownComponent(label);
    other->SetDrillDownComponent(label);
    EXPECT_EQ(subreport->DrillDownComponent(), nullptr);
    EXPECT_EQ(other->DrillDownComponent(), label);
    other->SetPrintBehavior(TppPrintBehaviorType::pbFixed);
    EXPECT_FALSE(other->KeepTogether());
    other->SetDrillDownComponent(nullptr);
    other->SetDrillDownComponent(label);
    EXPECT_EQ(other->DrillDownComponent(), nullptr);
}

TEST_F(SubReports, TheChildIsNamedInItsTreeAndGoesWithItsSubReport)
{
    TppChildReport *child = subreport->Report();
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->Parent(), subreport);
    EXPECT_EQ(child->GetMainReport(), &report);
    EXPECT_EQ(subreport->ParentReport(), &report);
    // A subreport's width is its band's as it joins it.
    EXPECT_EQ(subreport->mmWidth(), detail->BandWidth());
    QString key;
    child->GetTreeKey(key);
    EXPECT_EQ(key, QStringLiteral("       0|"));
    EXPECT_EQ(subreport->CurrentExpansionKey(), QStringLiteral("       0"));

    std::vector<TppCustomReport *> tree;
    report.GetReportTree(tree);
    EXPECT_EQ(tree, (std::vector<TppCustomReport *>{&report, child}));

    const int children = TppLiveCount<TppChildReport>::Count();
    delete subreport;
    EXPECT_EQ(TppLiveCount<TppChildReport>::Count(), children - 1);

    // A child freed first leaves its subreport without a report.
    auto *second = new TppSubReport;
    second->SetBand(detail);
    delete second->Report();
    EXPECT_EQ(second->Report(), nullptr);
    EXPECT_EQ(print().toStdString(), std::string("1: Header Detail Footer\n"));
}

// Subreport names are counted over every report of the tree, whichever
// report the new one joins: a script or a designer tells them apart by name.
TEST_F(SubReports, SubReportNamesAreUniqueAcrossTheWholeTree)
{
    TppChildReport *child = subreport->Report();
    ASSERT_NE(child, nullptr);
    auto *childDetail = new TppDetailBand(nullptr);
    childDetail->SetReport(child);
    auto *inChild = new TppSubReport;
    inChild->SetBand(childDetail);
    auto *inMain = new TppSubReport;
    inMain->SetBand(detail);
    ASSERT_NE(inChild->Report(), nullptr);
    auto *grandDetail = new TppDetailBand(nullptr);
    grandDetail->SetReport(inChild->Report());
    auto *inGrandchild = new TppSubReport;
    inGrandchild->SetBand(grandDetail);
    const QStringList names = {subreport->UserName(), inChild->UserName(), inMain->UserName(),
                               inGrandchild->UserName()};
    EXPECT_EQ(names.join(u' ').toStdString(), "SubReport1 SubReport2 SubReport3 SubReport4");
    // A number given up is taken again, from any report of the tree.
    delete inChild;
    auto *again = new TppSubReport;
    again->SetBand(detail);
    EXPECT_EQ(again->UserName().toStdString(), "SubReport2");
}

TEST_F(SubReports, AChildTakenFromItsSubReportGeneratesOnItsOwn)
{
    childRows(3);
    print();
    std::unique_ptr<TppChildReport> child(subreport->Report());
    child->SetParent(nullptr);
    EXPECT_EQ(subreport->Report(), nullptr);
    delete subreport;
    // Its engine asked the freed subreport which pages it had made.
    auto *engine = dynamic_cast<TppEngine *>(child->Engine());
    ASSERT_NE(engine, nullptr);
    engine->SetGenerating(false);
    engine->Reset();
    TppPageRequest request;
    request.SetPageSetting(TppPageSettingType::psSinglePage);
    request.SetPageRequested(1);
    engine->GeneratePage(request);
    EXPECT_EQ(engine->Page()->DrawCommandCount(), 3);
}

TEST_F(SubReports, AnObjectAsWideAsItsBandJoinsAReportsBand)
{
    // Fitting it refreshed the report's layout, which fitted it again,
    // without end.
    auto *label = new TppLabel;
    label->SetParentWidth(true);
    label->SetBand(detail);
    EXPECT_EQ(label->mmLeft(), 0);
    EXPECT_EQ(label->mmWidth(), detail->BandWidth());
}

TEST_F(SubReports, AFixedFramePrintsOneChildPageWhereItFitsWhole)
{
    // 10 rows fit the 50 mm frame; the child has 30.
    childRows(30);
    subreport->SetPrintBehavior(TppPrintBehaviorType::pbFixed);
    subreport->SetmmHeight(50000);
    EXPECT_FALSE(subreport->Stretch());
    EXPECT_EQ(print().toStdString(), std::string("1: Header Detail Row*10 Footer\n"));
    ASSERT_EQ(tops.size(), 1);
    EXPECT_EQ(tops[0][2], (QPair<QString, int32_t>{"Row", 35000}));

    // Below a title of 205 mm the frame would end 3 mm past the page's
    // foot: it moves to the next page and prints there.
    tops.clear();
    band<TppTitleBand>(205000, QStringLiteral("Title"));
    EXPECT_EQ(print().toStdString(), std::string("1: Title Header Detail Footer\n2: Header Row*10 Footer\n"));

    // A frame of no height prints nothing and ends.
    subreport->SetmmHeight(0);
    EXPECT_EQ(print().toStdString(), std::string("1: Title Header Detail Footer\n"));
}

TEST_F(SubReports, AFixedFrameThatTraversesAllDataGoesOnWithTheChildsNextPageOnEachPage)
{
    // 10 of the 30 rows fill the 50 mm frame on each page, below the label.
    childRows(30);
    subreport->SetPrintBehavior(TppPrintBehaviorType::pbFixed);
    subreport->SetTraverseAllData(true);
    subreport->SetmmHeight(50000);
    EXPECT_EQ(print().toStdString(), std::string("1: Header Detail Row*10 Footer\n2: Header Detail Row*10 Footer\n"
                                                 "3: Header Detail Row*10 Footer\n"));
    ASSERT_EQ(tops.size(), 3);
    EXPECT_EQ(tops[2][1], (QPair<QString, int32_t>{"Detail", 30500}));
    EXPECT_EQ(tops[2][2], (QPair<QString, int32_t>{"Row", 35000}));
    EXPECT_EQ(subreport->mmStopPosition(), 0);

    // Where the whole frame does not fit it starts on the next page.
    band<TppTitleBand>(205000, QStringLiteral("Title"));
    EXPECT_EQ(print().toStdString(), std::string("1: Title Header Detail Footer\n2: Header Detail Row*10 Footer\n"
                                                 "3: Header Detail Row*10 Footer\n4: Header Detail Row*10 Footer\n"));
}

TEST_F(SubReports, ADrillDownPrintsOnlyOnceItsComponentIsClicked)
{
    childRows(3);
    TppComponent *label = detail->Objects(0);
    subreport->SetDrillDownComponent(label);
    classes::RegisterClass(TppDrawText::StaticClass());
    TppDrawCommand *clicked = nullptr;
    std::unique_ptr<TppPage> kept;
    const auto printKeepingPage = [&] {
        report.Reset();
        report.Publisher()->ResetPages();
        reporttest::TraceDevice device;
        device.OnPageReceive.Set([&](classes::TObject *, classes::TObject *aPage) {
            kept = std::make_unique<TppPage>();
            kept->Assign(static_cast<TppPage *>(aPage));
        });
        device.SetPublisher(report.Publisher());
        report.PrintToDevices();
        device.SetPublisher(nullptr);
        clicked = nullptr;
        for (int i = 0; kept && i < kept->DrawCommandCount(); ++i)
            if (kept->DrawCommands(i)->Component() == label)
                clicked = kept->DrawCommands(i);
        return device.Text();
    };
    EXPECT_EQ(printKeepingPage().toStdString(), std::string("1: Header Detail Footer\n"));
    ASSERT_NE(clicked, nullptr);
    EXPECT_TRUE(clicked->Clickable());
    EXPECT_EQ(clicked->CommandText(), QStringLiteral("       0"));

    // The click (event 85 on the label) opens this instance.
    clicked->DoOnClick();
    EXPECT_EQ(subreport->Expansions(), QStringList{QStringLiteral("       0")});
    EXPECT_EQ(printKeepingPage().toStdString(), std::string("1: Header Detail Row*3 Footer\n"));
    ASSERT_NE(clicked, nullptr);
    clicked->DoOnClick();
    EXPECT_TRUE(subreport->Expansions().isEmpty());
    EXPECT_EQ(printKeepingPage().toStdString(), std::string("1: Header Detail Footer\n"));

    // ExpandAll opens every instance and leaves the label's clicks alone.
    report.ResetEngines(1);
    EXPECT_TRUE(subreport->ExpandAll());
    EXPECT_EQ(printKeepingPage().toStdString(), std::string("1: Header Detail Row*3 Footer\n"));
    ASSERT_NE(clicked, nullptr);
    EXPECT_FALSE(clicked->Clickable());
    report.ResetEngines(2);
    EXPECT_FALSE(subreport->ExpandAll());

    // The component freed while its subreport is open: the subreport prints
    // as any other.
    subreport->SetDrillDownComponent(label);
    delete label;
    EXPECT_EQ(subreport->DrillDownComponent(), nullptr);
    EXPECT_EQ(printKeepingPage().toStdString(), std::string("1: Header Row*3 Footer\n"));
    kept.reset();
    classes::UnRegisterClass(TppDrawText::StaticClass());
}

// A main report over two records whose detail holds only a section
// subreport; each run of the child lists 60 rows of its own on two A4
// pages (55 and 5).
class Sections : public ChildRunsFixture
{
protected:
    Sections() { subreport->SetPrintBehavior(TppPrintBehaviorType::pbSection); }

    // The display numbers of the pages delivered.
    QString printNumbers()
    {
        numbers.clear();
        reporttest::TraceDevice device;
        device.OnPageReceive.Set([this](classes::TObject *, classes::TObject *aPage) {
            // Pages come at their start too, still empty.
            auto *page = static_cast<TppPage *>(aPage);
            if (page->DrawCommandCount() > 0)
                numbers.append(QString::number(page->PageNo()));
        });
        device.SetPublisher(report.Publisher());
        report.PrintToDevices();
        device.SetPublisher(nullptr);
        return device.Text();
    }

    QStringList numbers;
};

TEST_F(Sections, EachRunsPagesTakeThePlaceOfTheParentsAndNumbersContinueOrRestart)
{
    subreport->SetResetPageNo(false);
    EXPECT_EQ(printNumbers().toStdString(), std::string("1: Row*55\n2: Row*5\n3: Row*55\n4: Row*5\n"));
    EXPECT_EQ(numbers, (QStringList{"1", "2", "3", "4"}));
    EXPECT_EQ(subreport->RunsCompleted(), 2);
    EXPECT_EQ(report.Engine()->EngineState() &
                  (ppEngineState::SectionPageWanted | ppEngineState::SectionPages | ppEngineState::SectionLastPage),
              0);

    report.Reset();
    report.Publisher()->ResetPages();
    subreport->SetResetPageNo(true);
    EXPECT_EQ(printNumbers().toStdString(), std::string("1: Row*55\n2: Row*5\n3: Row*55\n4: Row*5\n"));
    EXPECT_EQ(numbers, (QStringList{"1", "2", "1", "2"}));
}

TEST_F(Sections, ASectionAfterOtherBandsWaitsForAPageOfItsOwn)
{
    band<TppTitleBand>(20000, QStringLiteral("Title"));
    subreport->SetNewPrintJob(true);
    // Printing to the Trace device there is no print job of the section's.
    EXPECT_EQ(printNumbers().toStdString(), std::string("1: Title\n2: Row*55\n3: Row*5\n4: Row*55\n5: Row*5\n"));
}

TEST_F(SubReports, AStreamNestsTheChildReportInItsSubReport)
{
    TppDetailBand *rows = childRows(2);
    rows->SetName(QStringLiteral("ChildRows"));
    subreport->SetName(QStringLiteral("Sub"));
    subreport->Report()->SetName(QStringLiteral("SubReportChild"));
    subreport->SetPrintBehavior(TppPrintBehaviorType::pbFixed);
    subreport->SetParentWidth(false);
    subreport->SetVisible(false);
    ppModelLayerInit();
    ppContentLayerInit();
    classes::RegisterClasses({&BandPrintable::StaticClass()});

    classes::TMemoryStream binary;
    classes::TWriter(binary).WriteRootComponent(detail);
    binary.SetPosition(0);
    classes::TMemoryStream text;
    classes::ObjectBinaryToText(binary, text);
    const QByteArray stored(text.Memory(), int(text.Size()));
    const qsizetype sub = stored.indexOf("object Sub: TppSubReport");
    const qsizetype child = stored.indexOf("object SubReportChild: TppChildReport");
    const qsizetype band = stored.indexOf("object ChildRows: TppDetailBand");
    ASSERT_GE(sub, 0) << stored.constData();
    EXPECT_GT(child, sub);
    EXPECT_GT(band, child);
    EXPECT_TRUE(stored.contains("PrintBehavior = pbFixed"));

    binary.SetPosition(0);
    TppDetailBand read(nullptr);
    classes::TReader(binary).ReadRootComponent(&read);
    TppSubReport *readSub = nullptr;
    for (int i = 0; i < read.ObjectCount(); ++i)
        if (auto *found = dynamic_cast<TppSubReport *>(read.Objects(i)))
            readSub = found;
    ASSERT_NE(readSub, nullptr);
    EXPECT_EQ(readSub->PrintBehavior(), TppPrintBehaviorType::pbFixed);
    EXPECT_FALSE(readSub->ParentWidth());
    EXPECT_FALSE(readSub->Visible());
    ASSERT_NE(readSub->Report(), nullptr);
    EXPECT_EQ(readSub->Report()->Parent(), readSub);
    EXPECT_EQ(readSub->Report()->BandCount(), 1);
    classes::UnRegisterClasses({&BandPrintable::StaticClass()});
    ppContentLayerFinalize();
    ppModelLayerFinalize();
}

TEST(SubReportOwnership, ReportsWithSubReportsGoInAnyOrder)
{
    const int children = TppLiveCount<TppChildReport>::Count();
    const int subreports = TppLiveCount<TppSubReport>::Count();
    for (int order = 0; order < 3; ++order) {
        // The child report is the form's, as the report is.
        auto *owner = new classes::TComponent(nullptr);
        auto *main = new TppReport(owner);
        auto *detail = new TppDetailBand(nullptr);
        detail->SetReport(main);
        auto *subreport = new TppSubReport;
        subreport->SetBand(detail);
        ASSERT_NE(subreport->Report(), nullptr);
        EXPECT_EQ(subreport->Report()->Owner(), owner);
        if (order == 1)
            delete main;
        if (order == 2)
            delete subreport->Report();
        delete owner;
        EXPECT_EQ(TppLiveCount<TppChildReport>::Count(), children) << order;
        EXPECT_EQ(TppLiveCount<TppSubReport>::Count(), subreports) << order;
    }
}

TEST(SubReportCreation, ComponentsAreMadeForAParentOnly)
{
    EXPECT_EQ(ppCreateComponent(TppChildReport::StaticClass(), nullptr), nullptr);
    TppReport owner;
    std::unique_ptr<classes::TComponent> made(ppCreateComponent(TppHeaderBand::StaticClass(), &owner));
    ASSERT_NE(made, nullptr);
    EXPECT_FALSE(static_cast<TppBand *>(made.get())->UserName().isEmpty());
}

// A designer's form: it makes what report objects ask for and keeps it.
class DesignerForm
    : public classes::TObject
    , public IppComponentCreator
{
public:
    classes::TComponent *CreateComponent(const classes::TMetaClass &aClass, classes::TComponent *aParent, int aLeft,
                                         int aTop, int aWidth, int aHeight) override
    {
        Asked << QStringLiteral("%1 %2 %3 %4 %5 %6")
                     .arg(aClass.ClassName())
                     .arg(aParent ? 1 : 0)
                     .arg(aLeft)
                     .arg(aTop)
                     .arg(aWidth)
                     .arg(aHeight);
        return aClass.NewComponent(&Form);
    }
    classes::TComponent Form{nullptr};
    QStringList Asked;
};

TEST(SubReportCreation, AnAttachedDesignerMakesTheChildReportAndTheReportsBands)
{
    DesignerForm designer;
    RecordingDesigner sink;
    TppReport report;
    report.SetHostObject(&designer);
    // Without a designer window the host is not asked.
    auto *band = dynamic_cast<TppBand *>(ppCreateComponent(TppHeaderBand::StaticClass(), &report));
    ASSERT_NE(band, nullptr);
    EXPECT_EQ(band->Owner(), nullptr);
    EXPECT_TRUE(designer.Asked.isEmpty());
    delete band;

    report.SetDesigner(&sink);
    auto *detail = new TppDetailBand(nullptr);
    detail->SetReport(&report);
    auto *subreport = new TppSubReport;
    subreport->SetBand(detail);
    ASSERT_NE(subreport->Report(), nullptr);
    EXPECT_EQ(designer.Asked, QStringList{QStringLiteral("TppChildReport 0 -1 -1 -1 -1")});
    EXPECT_EQ(subreport->Report()->Owner(), &designer.Form);
    EXPECT_FALSE(subreport->Report()->Name().isEmpty());
    EXPECT_FALSE(subreport->Report()->UserName().isEmpty());
    // An object of the report asks the report's host.
    EXPECT_NE(ppCreateComponent(TppLabel::StaticClass(), detail), nullptr);
    EXPECT_EQ(designer.Asked.size(), 2);
    delete subreport;
    report.SetDesigner(nullptr);
}

} // namespace

namespace {

// Two records, each a dynamic detail band holding a region that keeps
// together and, inside it, a subreport listing `rows` rows of 5 mm; A4 with
// 10 mm margins and no page bands: 277 mm a page.
class Regions : public TracedReportFixture
{
protected:
    Regions()
    {
        rows(2);
        detail = new TppDetailBand(nullptr);
        detail->SetReport(&report);
        detail->SetmmHeight(10000);
        detail->SetUserName(QStringLiteral("Detail"));
        detail->SetPrintHeight(TppPrintHeightType::phDynamic);
        region = new TppRegion;
        region->SetBand(detail);
        region->SetBounds(0, 0, 190000, 10000);
        region->SetKeepTogether(true);
        inside = new TppSubReport;
        inside->SetBand(detail);
        inside->SetBounds(0, 0, 190000, 5000);
        inside->SetRegion(region);
        childData.AddField(QStringLiteral("R"));
    }

    void childRows(int aCount)
    {
        for (int i = 0; i < aCount; ++i)
            childData.AddRow({QString::number(i)});
        inside->SetDataPipeline(&childData);
        SubReports::childBandFor<TppDetailBand>(*inside->Report(), 5000, QStringLiteral("Row"));
    }

    MemoryPipeline childData;
    TppDetailBand *detail = nullptr;
    TppRegion *region = nullptr;
    TppSubReport *inside = nullptr;
};

TEST_F(Regions, AKeptTogetherRegionThatDoesNotFitStartsOnTheNextPageAndSplitsThereOnlyIfItMust)
{
    EXPECT_TRUE(region->Stretch());
    EXPECT_EQ(region->ObjectCount(), 1);
    // 30 rows take 150 mm: the second record's 127 mm are too few.
    childRows(30);
    // The region's own shape is the detail's.
    EXPECT_EQ(print().toStdString(), std::string("1: Detail Row*30\n2: Detail Row*30\n"));
    ASSERT_EQ(tops.size(), 2);
    EXPECT_EQ(tops[1][0].second, 10000);

    // Without keeping together the second record starts below the first.
    region->SetKeepTogether(false);
    report.Reset();
    report.Publisher()->ResetPages();
    EXPECT_EQ(print().toStdString(), std::string("1: Detail Row*30 Detail Row*25\n2: Detail Row*5\n"));
}

TEST_F(Regions, ARegionTooTallForAnyPageSplitsWhereItStarts)
{
    childRows(60);
    EXPECT_EQ(print().toStdString(),
              std::string("1: Detail Row*55\n2: Detail Row*5\n3: Detail Row*55\n4: Detail Row*5\n"));
}

TEST_F(Regions, TheShapeStandsInsideThePenAndTheSquareKindsAreCentred)
{
    region->SetKeepTogether(false);
    region->Pen()->SetWidth(3);
    region->Brush()->SetColor(0x00FF00);
    TppPage page;
    TppDrawShape command;
    region->SetBounds(0, 0, 190000, 40000);
    region->PropertiesToDrawCommand(&command);
    const int32_t inset = ppToMMThousandths(1, TppUnitType::utScreenPixels, TppAxisType::atHorizontal);
    EXPECT_EQ(command.Left() - region->PageRect().Left, inset);
    EXPECT_EQ(command.ShapeType(), classes::TShapeType::stRectangle);

    region->Pen()->SetWidth(0);
    region->SetShape(classes::TShapeType::stCircle);
    region->PropertiesToDrawCommand(&command);
    EXPECT_EQ(command.ShapeType(), classes::TShapeType::stEllipse);
    // The height is the circle's diameter, in the middle of the width.
    EXPECT_NEAR(command.Width(), command.Height(), 300);
    EXPECT_NEAR(command.Left() - region->PageRect().Left + command.Width() / 2, 95000, 300);

    // A pen as wide as the Integer range (a stored report edited by hand)
    // puts the edges out of reach, held at the range.
    region->Pen()->SetWidth(std::numeric_limits<int>::max());
    region->SetShape(classes::TShapeType::stRectangle);
    region->PropertiesToDrawCommand(&command);
    EXPECT_EQ(command.Left(), std::numeric_limits<int32_t>::max());
    EXPECT_LT(command.Width(), 0);
}

// A brush or pen handed over whole (a script's "Region1.Brush := ...")
// comes with its own style: a clear one with a colour stays clear.
TEST_F(Regions, AnAssignedBrushOrPenKeepsItsStyle)
{
    classes::TBrush clearBrush;
    clearBrush.SetColor(0x00FF00);
    clearBrush.SetStyle(gfx::BrushStyle::Clear);
    region->SetBrush(&clearBrush);
    EXPECT_EQ(region->Brush()->Color(), rtl::TColor(0x00FF00));
    EXPECT_EQ(region->Brush()->Style(), gfx::BrushStyle::Clear);
    EXPECT_TRUE(region->Transparent());

    classes::TPen clearPen;
    clearPen.SetColor(0x0000FF);
    clearPen.SetStyle(gfx::PenStyle::Clear);
    region->SetPen(&clearPen);
    EXPECT_EQ(region->Pen()->Style(), gfx::PenStyle::Clear);

    // A colour set afterwards still makes them solid, and one of none
    // handed over clears them.
    region->Brush()->SetColor(0xFF0000);
    EXPECT_EQ(region->Brush()->Style(), gfx::BrushStyle::Solid);
    EXPECT_FALSE(region->Transparent());
    classes::TBrush none;
    none.SetColor(rtl::clNone);
    region->SetBrush(&none);
    EXPECT_EQ(region->Brush()->Style(), gfx::BrushStyle::Clear);
    EXPECT_TRUE(region->Transparent());
}

TEST_F(Regions, ChildrenMoveWithTheRegionAndRejoinItFromAStream)
{
    auto *label = new TppLabel;
    label->SetBand(detail);
    label->SetBounds(1000, 2000, 3000, 4000);
    label->SetRegion(region);
    region->SetBounds(5000, 1000, 190000, 10000);
    EXPECT_EQ(label->mmLeft(), 6000);
    EXPECT_EQ(label->mmTop(), 3000);
    // Right behind their region in the band's order.
    EXPECT_EQ(detail->IndexOfObject(region) + 1, detail->IndexOfObject(inside));
    EXPECT_EQ(detail->IndexOfObject(inside) + 1, detail->IndexOfObject(label));

    // The brush and Transparent follow each other.
    region->SetClearBrush(true);
    EXPECT_EQ(region->Brush()->Style(), gfx::BrushStyle::Clear);
    region->Brush()->SetStyle(gfx::BrushStyle::Solid);
    EXPECT_FALSE(region->Transparent());
    // A colour of none clears the brush or the pen, a colour makes it solid.
    region->Brush()->SetColor(rtl::clNone);
    EXPECT_EQ(region->Brush()->Style(), gfx::BrushStyle::Clear);
    EXPECT_TRUE(region->Transparent());
    region->Brush()->SetColor(0x0000FF);
    EXPECT_EQ(region->Brush()->Style(), gfx::BrushStyle::Solid);
    EXPECT_FALSE(region->Transparent());
    region->Pen()->SetColor(rtl::clNone);
    EXPECT_EQ(region->Pen()->Style(), gfx::PenStyle::Clear);
    region->Pen()->SetColor(0);
    EXPECT_EQ(region->Pen()->Style(), gfx::PenStyle::Solid);

    // The region's next sibling comes after its children.
    auto *after = new TppLabel;
    after->SetBand(detail);
    EXPECT_EQ(region->GetNextSibling(), after);
    delete after;

    // A section cannot go into a region: it becomes a fixed frame there,
    // and inside one it stays what it was.
    auto *section = new TppSubReport;
    section->SetBand(detail);
    section->SetPrintBehavior(TppPrintBehaviorType::pbSection);
    section->SetRegion(region);
    EXPECT_EQ(section->PrintBehavior(), TppPrintBehaviorType::pbFixed);
    section->SetPrintBehavior(TppPrintBehaviorType::pbSection);
    EXPECT_EQ(section->PrintBehavior(), TppPrintBehaviorType::pbFixed);
    section->SetNewPrintJob(true);
    EXPECT_FALSE(section->NewPrintJob());
    delete section;
    // A region cannot shift below what it holds.
    EXPECT_THROW(region->SetShiftRelativeTo(inside), EInvalidPropertyError);

    ppModelLayerInit();
    ppContentLayerInit();
    region->SetName(QStringLiteral("Frame"));
    region->SetCaption(QStringLiteral("Totals"));
    label->SetName(QStringLiteral("Inside"));
    inside->SetName(QStringLiteral("Sub"));
    classes::TMemoryStream binary;
    classes::TWriter(binary).WriteRootComponent(detail);
    binary.SetPosition(0);
    classes::TMemoryStream text;
    classes::ObjectBinaryToText(binary, text);
    const QByteArray stored(text.Memory(), int(text.Size()));
    const qsizetype frame = stored.indexOf("object Frame: TppRegion");
    ASSERT_GE(frame, 0) << stored.constData();
    EXPECT_GT(stored.indexOf("object Inside: TppLabel"), frame);
    EXPECT_EQ(stored.count("object Inside: TppLabel"), 1);

    binary.SetPosition(0);
    TppDetailBand read(nullptr);
    classes::TReader(binary).ReadRootComponent(&read);
    TppRegion *readRegion = nullptr;
    for (int i = 0; i < read.ObjectCount(); ++i)
        if (auto *found = dynamic_cast<TppRegion *>(read.Objects(i)))
            readRegion = found;
    ASSERT_NE(readRegion, nullptr);
    EXPECT_EQ(readRegion->ObjectCount(), 2);
    EXPECT_EQ(readRegion->GetCaption(), QStringLiteral("Totals"));
    EXPECT_EQ(readRegion->Objects(1)->Region(), readRegion);
    ppContentLayerFinalize();
    ppModelLayerFinalize();

    // Nor below what a region inside it holds, whichever comes first.
    auto *nested = new TppRegion;
    nested->SetBand(detail);
    nested->SetRegion(region);
    inside->SetRegion(nested);
    EXPECT_THROW(region->SetShiftRelativeTo(inside), EInvalidPropertyError);
    inside->SetRegion(nullptr);
    region->SetShiftRelativeTo(inside);
    inside->SetRegion(nested);
    EXPECT_EQ(region->ShiftRelativeTo(), nullptr);
}

TEST_F(Regions, EachRecordsDrillDownOpensItsOwnInstanceEvenWhileOthersAreClosed)
{
    childRows(2);
    auto *label = new TppLabel;
    label->SetBand(detail);
    label->SetCaption(QStringLiteral("Open"));
    label->SetBounds(0, 0, 50000, 4000);
    inside->SetDrillDownComponent(label);
    classes::RegisterClass(TppDrawText::StaticClass());
    // The second record's key (as its label carries it): the first
    // instance, closed, still counts as a run.
    inside->ToggleExpansion(QStringLiteral("       1"), 1);
    EXPECT_EQ(print().toStdString(), std::string("1: Detail Row*2 Detail\n"));
    EXPECT_EQ(tops.last().value(1), (QPair<QString, int32_t>{"Row", 14000}));
    classes::UnRegisterClass(TppDrawText::StaticClass());
}

TEST_F(Regions, ScriptsReachTheRegionsChildrenAndTheSubReportsChildAndDrillDownState)
{
    ppModelLayerInit();
    ppContentLayerInit();
    ASSERT_EQ(raFindRTTI(QStringLiteral("TppRegion")), nullptr);
    const TraRTTI *regionRtti = raFindRTTI(QStringLiteral("TppCustomRegion"));
    ASSERT_EQ(regionRtti, &TraTppCustomRegionRTTI::Instance());
    int32_t count = 0;
    EXPECT_TRUE(regionRtti->GetPropValue(region, QStringLiteral("objectcount"), &count));
    EXPECT_EQ(count, 1);
    std::unique_ptr<TraParamList> params = regionRtti->GetParams(QStringLiteral("Objects"));
    int32_t index = 0;
    classes::TObject *child = nullptr;
    params->SetParamValuePointer(0, &index);
    params->SetParamValuePointer(1, &child);
    EXPECT_TRUE(regionRtti->CallMethod(region, QStringLiteral("Objects"), *params));
    EXPECT_EQ(child, inside);
    index = 5;
    EXPECT_TRUE(regionRtti->CallMethod(region, QStringLiteral("Objects"), *params));
    EXPECT_EQ(child, nullptr);
    // A script's brush is copied into the region's own, and a clear one
    // makes the region transparent.
    classes::TBrush clear;
    clear.SetStyle(gfx::BrushStyle::Clear);
    classes::TObject *assigned = &clear;
    EXPECT_TRUE(regionRtti->SetPropValue(region, QStringLiteral("Brush"), &assigned));
    EXPECT_NE(region->Brush(), &clear);
    EXPECT_TRUE(region->Transparent());
    EXPECT_FALSE(regionRtti->SetPropValue(region, QStringLiteral("MaxStretchable"), &assigned));

    const TraRTTI *subRtti = raFindRTTI(QStringLiteral("TppSubReport"));
    ASSERT_EQ(subRtti, &TraTppSubReportRTTI::Instance());
    classes::TObject *value = nullptr;
    EXPECT_TRUE(subRtti->GetPropValue(inside, QStringLiteral("Report"), &value));
    EXPECT_EQ(value, inside->Report());
    EXPECT_TRUE(subRtti->GetPropValue(inside, QStringLiteral("MasterReport"), &value));
    EXPECT_EQ(value, &report);
    auto *drill = new TppLabel;
    drill->SetBand(detail);
    inside->SetDrillDownComponent(drill);
    inside->ToggleExpansion(inside->CurrentExpansionKey());
    bool expanded = false;
    EXPECT_TRUE(subRtti->GetPropValue(inside, QStringLiteral("DrillDownExpanded"), &expanded));
    EXPECT_TRUE(expanded);
    QString key;
    std::unique_ptr<TraParamList> keys = subRtti->GetParams(QStringLiteral("Expansions"));
    keys->SetParamValuePointer(0, &index);
    keys->SetParamValuePointer(1, &key);
    index = 0;
    EXPECT_TRUE(subRtti->CallMethod(inside, QStringLiteral("Expansions"), *keys));
    EXPECT_EQ(key, QStringLiteral("       0"));
    EXPECT_TRUE(subRtti->GetPropValue(inside, QStringLiteral("CurrentReportKey"), &key));
    EXPECT_EQ(key, QStringLiteral("       0|"));

    // A subreport not yet on a band gets its child once it is, and a
    // script's CreateReport then makes no second one.
    TppSubReport loose;
    EXPECT_EQ(loose.Report(), nullptr);
    loose.SetBand(detail);
    TppChildReport *made = loose.Report();
    EXPECT_NE(made, nullptr);
    TraParamList none;
    EXPECT_TRUE(subRtti->CallMethod(&loose, QStringLiteral("CreateReport"), none));
    EXPECT_EQ(loose.Report(), made);
    ppContentLayerFinalize();
    EXPECT_EQ(raFindRTTI(QStringLiteral("TppCustomRegion")), nullptr);
    ppModelLayerFinalize();
}

TEST_F(Regions, AChildRunLeavesTheRunsStartToTheMainReportAndSeesTheParentsPageBegun)
{
    // The child prints once per parent record: a dynamic band holding a
    // kept-together region around a subreport of 30 rows (150 mm).
    region->SetKeepTogether(false);
    childData.AddRow({QStringLiteral("0")});
    inside->SetDataPipeline(&childData);
    TppChildReport *child = inside->Report();
    auto *inner = new TppDetailBand(nullptr);
    inner->SetReport(child);
    inner->SetmmHeight(5000);
    inner->SetPrintHeight(TppPrintHeightType::phDynamic);
    auto *kept = new TppRegion;
    kept->SetBand(inner);
    kept->SetBounds(0, 0, 190000, 5000);
    kept->SetKeepTogether(true);
    auto *grandchild = new TppSubReport;
    grandchild->SetBand(inner);
    grandchild->SetBounds(0, 0, 190000, 5000);
    grandchild->SetRegion(kept);
    MemoryPipeline grandchildData;
    grandchildData.AddField(QStringLiteral("R"));
    for (int i = 0; i < 30; ++i)
        grandchildData.AddRow({QString::number(i)});
    grandchild->SetDataPipeline(&grandchildData);
    SubReports::childBandFor<TppDetailBand>(*grandchild->Report(), 5000, QStringLiteral("Row"));

    TppCommunicator listener(nullptr);
    listener.SubscribeEvent(ppEvent::DataStart);
    int dataStarts = 0;
    listener.OnEventNotify.Set(
        [&dataStarts](classes::TObject *, TppCommunicator *, int, TraParamList *) { ++dataStarts; });
    child->AddEventNotify(&listener);
    // The second record's region finds 127 mm below the first's rows, on a
    // page the parent has begun: it moves to the next page whole.
    EXPECT_EQ(print().toStdString(), std::string("1: Detail Row*30\n2: Detail Row*30\n"));
    EXPECT_EQ(dataStarts, 1);
    child->RemoveEventNotify(&listener);
}

TEST_F(Regions, TextsInARegionStandWhereTheRegionWasPlaced)
{
    // The region grows by 5 mm with three rows; a second region shifting
    // below it moves down by as much, and so does the label it holds.
    region->SetKeepTogether(false);
    childRows(3);
    auto *below = new TppRegion;
    below->SetBand(detail);
    below->SetBounds(0, 10000, 190000, 6000);
    below->SetShiftRelativeTo(region);
    auto *label = new TppLabel;
    label->SetBand(detail);
    label->SetCaption(QStringLiteral("Inside"));
    label->SetBounds(0, 12000, 50000, 4000);
    label->SetRegion(below);
    // A frame stretching with the region reaches its grown bottom.
    auto *frame = new TppShape;
    frame->SetBand(detail);
    frame->SetBounds(0, 0, 190000, 10000);
    frame->SetStretchWithParent(true);
    frame->SetRegion(region);
    print();
    EXPECT_EQ(frame->PrintPosRect().Height(), 15000);
    // The second record's detail starts 21 mm below the first's (10 mm).
    EXPECT_EQ(below->PageTop(), 10000 + 21000 + 15000);
    EXPECT_EQ(label->PrintPosRect().Top, below->PageTop() + 2000);
    // In a band of fixed height the region keeps its own, and the frame too.
    detail->SetPrintHeight(TppPrintHeightType::phStatic);
    report.Reset();
    report.Publisher()->ResetPages();
    print();
    EXPECT_EQ(frame->PrintPosRect().Height(), 10000);
}

TEST_F(Regions, TheBorderFramesTheRegionNotTheOffsetOrWhatShiftsBelowIt)
{
    // Three rows take the region to 15 mm; 2 mm of offset below it and a
    // 6 mm region shifting after it count in the space it uses, not in its
    // frame.
    region->SetKeepTogether(false);
    childRows(3);
    region->SetmmBottomOffset(2000);
    auto *below = new TppRegion;
    below->SetBand(detail);
    below->SetBounds(0, 10000, 190000, 6000);
    below->SetShiftRelativeTo(region);
    QList<QPair<int32_t, int32_t>> frames;
    reporttest::TraceDevice device;
    device.OnPageReceive.Set([&frames](classes::TObject *, classes::TObject *aPage) {
        const auto *page = static_cast<TppPage *>(aPage);
        for (int i = 0; !page->Calculation() && i < page->DrawCommandCount(); ++i)
            if (const auto *shape = dynamic_cast<const TppDrawShape *>(page->DrawCommands(i)))
                frames.append({shape->Top(), shape->Height()});
    });
    device.SetPublisher(report.Publisher());
    report.PrintToDevices();
    device.SetPublisher(nullptr);
    // Two records: each the region's frame and the frame shifting below.
    ASSERT_EQ(frames.size(), 4);
    std::sort(frames.begin(), frames.end());
    // Screen pixels in between: within one pixel of the millimetres.
    const int32_t pixel = ppToMMThousandths(1, TppUnitType::utScreenPixels, TppAxisType::atVertical);
    EXPECT_EQ(frames[0].first, 10000);
    EXPECT_NEAR(frames[0].second, 15000, pixel);
    // The shifting region starts below the offset and frames its own 6 mm.
    EXPECT_NEAR(frames[1].first, 10000 + 15000 + 2000, pixel);
    EXPECT_NEAR(frames[1].second, 6000, pixel);
    // The second record's region, 23 mm further down, is framed alike.
    EXPECT_NEAR(frames[2].second, 15000, pixel);
}

TEST(RegionContinuation, WhatDidNotFitContinuesAtTheTopOfTheRegionOnTheNextPage)
{
    // A title leaves 10 mm of the first page; the region's second label,
    // 12 mm below its first, goes over to the second page.
    TppReport report;
    reporttest::SetA4Portrait(*report.PrinterSetup());
    report.SetPageLimit(5);
    auto *title = new TppTitleBand(nullptr);
    title->SetReport(&report);
    title->SetmmHeight(267000);
    auto *detail = new TppDetailBand(nullptr);
    detail->SetReport(&report);
    detail->SetmmHeight(16000);
    detail->SetPrintHeight(TppPrintHeightType::phDynamic);
    auto *region = new TppRegion;
    region->SetBand(detail);
    region->SetBounds(0, 0, 190000, 16000);
    region->SetStretch(true);
    TppLabel *labels[2] = {new TppLabel, new TppLabel};
    for (int i = 0; i < 2; ++i) {
        labels[i]->SetBand(detail);
        labels[i]->SetCaption(QStringLiteral("Label %1").arg(i));
        labels[i]->SetBounds(0, i * 12000, 50000, 4000);
        labels[i]->SetRegion(region);
    }
    QList<int32_t> tops;
    reporttest::TraceDevice device;
    device.OnPageReceive.Set([&tops, &labels](classes::TObject *, classes::TObject *aPage) {
        if (!static_cast<TppPage *>(aPage)->Calculation())
            tops << labels[1]->PrintPosRect().Top;
    });
    device.SetPublisher(report.Publisher());
    report.PrintToDevices();
    device.SetPublisher(nullptr);
    ASSERT_EQ(tops.size(), 2) << device.Text().toStdString();
    // On the second page it stands at the region's top, the page's top.
    EXPECT_EQ(tops[1], 10000);
}

TEST(RegionPrintOrder, ChildrenPrintInTheirOrderInTheRegionWhateverOrderTheyGenerateIn)
{
    // The stretching memo, first of the region, generates after the eleven
    // plain labels; the page takes them all in the region's order, the
    // tenth and eleventh after the ninth.
    TppReport report;
    reporttest::SetA4Portrait(*report.PrinterSetup());
    report.SetPageLimit(3);
    auto *detail = new TppDetailBand(nullptr);
    detail->SetReport(&report);
    detail->SetmmHeight(60000);
    detail->SetPrintHeight(TppPrintHeightType::phDynamic);
    auto *region = new TppRegion;
    region->SetBand(detail);
    region->SetBounds(0, 0, 190000, 60000);
    auto *memo = new TppMemo;
    memo->SetBand(detail);
    memo->Lines()->Add(QStringLiteral("Memo"));
    memo->SetBounds(100000, 0, 50000, 4000);
    memo->SetStretch(true);
    memo->SetRegion(region);
    QStringList expected = {QStringLiteral("Memo")};
    for (int i = 1; i <= 11; ++i) {
        auto *label = new TppLabel;
        label->SetBand(detail);
        label->SetCaption(QStringLiteral("Label %1").arg(i));
        label->SetBounds(0, i * 5000, 50000, 4000);
        label->SetRegion(region);
        expected << QStringLiteral("Label %1").arg(i);
    }
    QStringList printed;
    reporttest::TraceDevice device;
    device.OnPageReceive.Set([&printed](classes::TObject *, classes::TObject *aPage) {
        const auto *page = static_cast<TppPage *>(aPage);
        for (int i = 0; !page->Calculation() && i < page->DrawCommandCount(); ++i)
            if (const auto *text = dynamic_cast<const TppDrawText *>(page->DrawCommands(i)))
                printed << (text->IsMemo() ? text->WrappedText()->Strings(0) : text->Text());
    });
    device.SetPublisher(report.Publisher());
    report.PrintToDevices();
    device.SetPublisher(nullptr);
    EXPECT_EQ(printed, expected) << device.Text().toStdString();
}

} // namespace

namespace {

TEST(SubReportSetup, AChildOnItsParentsSetupTakesANewPaperAtOnceAndTellsItsDesigner)
{
    RecordingDesigner sink;
    TppReport report;
    reporttest::SetA4Portrait(*report.PrinterSetup());
    report.SetDesigner(&sink);
    auto *detail = new TppDetailBand(nullptr);
    detail->SetReport(&report);
    auto *follows = new TppSubReport;
    follows->SetBand(detail);
    auto *own = new TppSubReport;
    own->SetBand(detail);
    own->SetParentPrinterSetup(false);
    TppChildReport *child = follows->Report();
    ASSERT_NE(child, nullptr);
    sink.Messages.clear();
    sink.Objects.clear();

    report.PrinterSetup()->SetOrientation(classes::TPrinterOrientation::poLandscape);
    EXPECT_EQ(child->PrinterSetup()->Orientation(), classes::TPrinterOrientation::poLandscape);
    EXPECT_EQ(child->PrinterSetup()->PageDef()->mmWidth(), report.PrinterSetup()->PageDef()->mmWidth());
    EXPECT_TRUE(follows->ParentPrinterSetup());
    EXPECT_EQ(own->Report()->PrinterSetup()->Orientation(), classes::TPrinterOrientation::poPortrait);
    EXPECT_TRUE(sink.Objects.contains(child)) << sink.Messages.join(' ').toStdString();

    // A pipeline given to the child is its subreport's.
    MemoryPipeline rows;
    child->SetDataPipeline(&rows);
    EXPECT_EQ(follows->DataPipeline(), &rows);
    child->SetDataPipeline(nullptr);
    EXPECT_EQ(follows->DataPipeline(), nullptr);
    report.SetDesigner(nullptr);
}

} // namespace

namespace {

TEST_F(Sections, PreparingTheSubReportStartsItsChildsRun)
{
    TppCustomEngine *child = subreport->Report()->Engine();
    subreport->Init();
    EXPECT_TRUE(child->EngineState() & ppEngineState::Started);
    // Title first, its data at the first record.
    EXPECT_EQ(child->GetBandState(), 2);
    EXPECT_TRUE(childData.GetActive());
    EXPECT_EQ(childData.CurrentRow(), 0);
}

TEST_F(Sections, PagesAskedOutOfOrderShowTheSectionsPagesAsASequentialRunDoes)
{
    for (bool resetPageNo : {false, true}) {
        SCOPED_TRACE(resetPageNo);
        report.Reset();
        report.Publisher()->ResetPages();
        subreport->SetResetPageNo(resetPageNo);
        const QStringList sequential = printNumbers().split(u'\n', Qt::SkipEmptyParts);
        const QStringList sequentialNumbers = numbers;
        ASSERT_EQ(sequential.size(), 4);
        for (int asked : {4, 2, 3, 1, 2}) {
            SCOPED_TRACE(asked);
            TppPageRequest single;
            single.SetPageSetting(TppPageSettingType::psSinglePage);
            single.SetPageRequested(asked);
            QString shown;
            reporttest::TraceDevice device;
            device.SetPageRequest(&single);
            device.OnPageReceive.Set([&shown](classes::TObject *, classes::TObject *aPage) {
                if (auto *page = static_cast<TppPage *>(aPage); page->DrawCommandCount() > 0)
                    shown = QString::number(page->PageNo());
            });
            device.SetPublisher(report.Publisher());
            report.PrintToDevices();
            device.SetPublisher(nullptr);
            EXPECT_EQ(device.Text().trimmed(), sequential[asked - 1]);
            EXPECT_EQ(shown, sequentialNumbers[asked - 1]);
        }
    }
}

} // namespace

namespace {

TEST(SubReportDesigner, ADesignerAttachedLaterReachesTheSubreportsAndIsToldOfComingAndGoing)
{
    TppReport report;
    auto *detail = new TppDetailBand(nullptr);
    detail->SetReport(&report);
    auto *subreport = new TppSubReport;
    subreport->SetBand(detail);
    TppChildReport *child = subreport->Report();
    ASSERT_NE(child, nullptr);
    ASSERT_EQ(child->Designer(), nullptr);

    RecordingDesigner sink;
    report.SetDesigner(&sink);
    EXPECT_EQ(child->Designer(), &sink);
    EXPECT_EQ(sink.Messages, QStringList({QStringLiteral("send 1142"), QStringLiteral("send 1142")}));
    EXPECT_EQ(sink.Objects, QList<classes::TObject *>({&report, child}));

    sink.Messages.clear();
    sink.Objects.clear();
    report.SetDesigner(nullptr);
    EXPECT_EQ(child->Designer(), nullptr);
    EXPECT_EQ(sink.Messages, QStringList({QStringLiteral("send 1143"), QStringLiteral("send 1143")}));
    EXPECT_EQ(sink.Objects, QList<classes::TObject *>({&report, child}));
}

} // namespace

namespace {

// Every column layout at once: a title and a summary on pages of their own,
// groups kept together, a subreport in each group footer, column headers
// and footers. Each run must end, without column footers on the title's or
// the summary's page.
class ColumnLayouts : public TracedReportFixture
{
protected:
    struct Outcome
    {
        QString pages;
        QString error;
        bool complete = false;
    };

    Outcome run(int aColumns, TppColumnTraversalType aTraversal, const QStringList &aPositions)
    {
        report::TppReport layout;
        reporttest::SetA4Portrait(*layout.PrinterSetup());
        layout.SetPageLimit(30);
        MemoryPipeline records, childRecords;
        records.AddField(QStringLiteral("G"));
        childRecords.AddField(QStringLiteral("G"));
        for (int i = 0; i < 120; ++i)
            records.AddRow({QString::number(i / 8)});
        for (int i = 0; i < 3; ++i)
            childRecords.AddRow({QString::number(i)});
        layout.SetDataPipeline(&records);
        auto add = [&layout]<class Band>(Band *aBand, int32_t aHeight, const QString &aName) {
            aBand->SetReport(&layout);
            aBand->SetmmHeight(aHeight);
            aBand->SetUserName(aName);
            auto *object = new BandPrintable;
            object->SetmmHeight(aHeight);
            object->SetBand(aBand);
            return aBand;
        };
        add(new TppHeaderBand(nullptr), 20000, QStringLiteral("Header"));
        add(new TppFooterBand(nullptr), 20000, QStringLiteral("Footer"));
        add(new TppTitleBand(nullptr), 30000, QStringLiteral("Title"))->SetNewPage(true);
        add(new TppSummaryBand(nullptr), 30000, QStringLiteral("Summary"))->SetNewPage(true);
        add(new TppColumnHeaderBand(nullptr), 5000, QStringLiteral("CH"));
        add(new TppColumnFooterBand(nullptr), 5000, QStringLiteral("CF"));
        auto *details = add(new TppDetailBand(nullptr), 5000, QStringLiteral("Detail"));
        details->SetColumnTraversal(aTraversal);
        auto *group = new TppGroup;
        group->SetReport(&layout);
        group->SetDataPipeline(&records);
        group->SetBreakName(QStringLiteral("G"));
        group->SetKeepTogether(true);
        add(new TppGroupHeaderBand(nullptr), 10000, QStringLiteral("GH"))->SetGroup(group);
        auto *footer = add(new TppGroupFooterBand(nullptr), 10000, QStringLiteral("GF"));
        footer->SetGroup(group);
        auto *subreport = new TppSubReport;
        subreport->SetBand(footer);
        subreport->SetBounds(0, 5000, 50000, 5000);
        subreport->SetDataPipeline(&childRecords);
        SubReports::childBandFor<TppDetailBand>(*subreport->Report(), 5000, QStringLiteral("Row"));
        layout.SetColumns(aColumns);
        if (!aPositions.isEmpty())
            layout.SetColumnPositions(aPositions);
        auto *engine = static_cast<TppEngine *>(layout.Engine());
        int printed = 0;
        details->BeforePrint.Set([engine, &printed](classes::TObject *) {
            if (++printed > 1000)
                engine->SetStopped(true);
        });

        Outcome outcome;
        reporttest::TraceDevice device;
        device.SetPublisher(layout.Publisher());
        try {
            layout.PrintToDevices();
        } catch (const EPrintError &e) {
            outcome.error = e.Message();
        }
        device.SetPublisher(nullptr);
        outcome.pages = device.Text();
        outcome.complete = engine->ReportComplete() && !engine->Stopped();
        layout.SetDataPipeline(nullptr);
        group->SetDataPipeline(nullptr);
        subreport->SetDataPipeline(nullptr);
        return outcome;
    }
};

// How often a band prints on a page line, "CF*3" counting three.
int bandCount(const QString &aPage, const QString &aBand)
{
    const QRegularExpression band(QStringLiteral("\\b%1(\\*(\\d+))?\\b").arg(aBand));
    int count = 0;
    for (auto match = band.globalMatch(aPage); match.hasNext();) {
        const QRegularExpressionMatch one = match.next();
        count += one.hasCaptured(2) ? one.captured(2).toInt() : 1;
    }
    return count;
}

TEST_F(ColumnLayouts, TitleAndSummaryPagesOfTheirOwnEndInEveryColumnLayout)
{
    for (const auto traversal : {TppColumnTraversalType::ctTopToBottom, TppColumnTraversalType::ctLeftToRight}) {
        const bool across = traversal == TppColumnTraversalType::ctLeftToRight;
        for (int columns = 1; columns <= 7; ++columns) {
            for (const bool fewerPositions : {false, true}) {
                if (fewerPositions && columns < 3)
                    continue;
                SCOPED_TRACE(std::string(across ? "across, " : "down, ") + std::to_string(columns) +
                             (fewerPositions ? " columns on two positions" : " columns"));
                const Outcome outcome = run(columns, traversal,
                                            fewerPositions ? QStringList{QStringLiteral("0.5"), QStringLiteral("3")}
                                                           : QStringList{});
                if (fewerPositions && across) {
                    EXPECT_TRUE(outcome.error.startsWith(QStringLiteral("Unable to find position for column 3..")))
                        << outcome.error.toStdString();
                    continue;
                }
                EXPECT_EQ(outcome.error, QString());
                EXPECT_TRUE(outcome.complete) << outcome.pages.toStdString();
                // Every record once, kept-together groups moved whole.
                static const QRegularExpression details(QStringLiteral("Detail(\\*(\\d+))?"));
                int records = 0;
                for (auto match = details.globalMatch(outcome.pages); match.hasNext();) {
                    const QRegularExpressionMatch one = match.next();
                    records += one.hasCaptured(2) ? one.captured(2).toInt() : 1;
                }
                EXPECT_EQ(records, 120) << outcome.pages.toStdString();
                for (const QString &page : outcome.pages.split(u'\n', Qt::SkipEmptyParts)) {
                    if (page.contains(QStringLiteral("Title")) || page.contains(QStringLiteral("Summary"))) {
                        EXPECT_FALSE(page.contains(QStringLiteral(" CF"))) << page.toStdString();
                    }
                    // Each column a page started ends there, also when a
                    // group kept together went on to the next page.
                    EXPECT_EQ(bandCount(page, QStringLiteral("CF")), bandCount(page, QStringLiteral("CH")))
                        << page.toStdString();
                }
                EXPECT_TRUE(outcome.pages.startsWith(QStringLiteral("1: Title Footer\n")))
                    << outcome.pages.toStdString();
                EXPECT_TRUE(outcome.pages.trimmed().endsWith(QStringLiteral("Header Summary Footer")))
                    << outcome.pages.toStdString();
            }
        }
    }
}

} // namespace
