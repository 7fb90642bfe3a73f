#include "TracedReportFixture.h"

#include "tests/support/report/BandSequence.h"
#include "tests/support/report/MemoryPipeline.h"

#include "report/content/text/Label.h"
#include "report/model/bands/BandClasses.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/engine/Engine.h"
#include "report/model/pages/DrawCommand.h"
#include "report/model/pages/Page.h"
#include "report/model/reports/Report.h"
#include "report/model/subreports/SubReport.h"

#include <gtest/gtest.h>

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
        auto *b = new Band(nullptr);
        b->SetReport(&aReport);
        b->SetmmHeight(aHeight);
        b->SetUserName(aName);
        auto *object = new BandPrintable;
        object->SetmmHeight(aHeight);
        object->SetBand(b);
        return b;
    }

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

TEST(SubReportCreation, ComponentsAreMadeForAParentOnly)
{
    EXPECT_EQ(ppCreateComponent(TppChildReport::StaticClass(), nullptr), nullptr);
    TppReport owner;
    std::unique_ptr<classes::TComponent> made(ppCreateComponent(TppHeaderBand::StaticClass(), &owner));
    ASSERT_NE(made, nullptr);
    EXPECT_FALSE(static_cast<TppBand *>(made.get())->UserName().isEmpty());
}

} // namespace
