// The outline of a generated report: the tree each page carries, refused
// and rolled-back nodes, page nodes, the report that cannot have one, and
// the command's copies and comparisons.

#include "TracedReportFixture.h"

#include "tests/support/report/BandSequence.h"
#include "tests/support/report/MemoryPipeline.h"

#include "report/model/bands/BandClasses.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/base/Exceptions.h"
#include "report/model/groups/Group.h"
#include "report/model/groups/GroupBands.h"
#include "report/model/objects/EventIds.h"
#include "report/model/objects/ParamList.h"
#include "report/model/outline/Outline.h"
#include "report/model/outline/OutlineDrawCommand.h"
#include "report/model/outline/OutlineHistory.h"
#include "report/model/outline/OutlineNode.h"
#include "report/model/outline/OutlineNodeCreator.h"
#include "report/model/outline/OutlineSettings.h"
#include "report/model/outline/TreeNodeRTTI.h"
#include "report/model/subreports/SubReport.h"

#include <gtest/gtest.h>

using namespace report;
using namespace reporttest;

namespace {

// "Caption@Page" per node, children indented by two blanks.
QString outlineDump(const TppOutlineNode *aNode, int aDepth = 0)
{
    QString text;
    for (int i = 0; aNode && i < aNode->ChildCount(); ++i) {
        const auto *child = static_cast<const TppOutlineNode *>(aNode->ChildAt(i));
        text += QString(aDepth * 2, QLatin1Char(' ')) + child->Caption() + QLatin1Char('@') +
                QString::number(child->PageReference()) + QLatin1Char('\n');
        text += outlineDump(child, aDepth + 1);
    }
    return text;
}

class Outline : public TracedReportFixture
{
protected:
    Outline()
    {
        data.SetUserName(QStringLiteral("Orders"));
        band<TppHeaderBand>(20000, QStringLiteral("Header"));
        band<TppFooterBand>(20000, QStringLiteral("Footer"));
        band<TppDetailBand>(5000, QStringLiteral("Detail"));
    }

    // A group on "G" whose header and footer are aHeight high.
    TppGroup *addGroup(int32_t aHeight)
    {
        report.SetDataPipeline(&data);
        auto *added = new TppGroup;
        added->SetReport(&report);
        added->SetDataPipeline(&data);
        added->SetBreakName(QStringLiteral("G"));
        band<TppGroupHeaderBand>(aHeight, QStringLiteral("GH"))->SetGroup(added);
        band<TppGroupFooterBand>(aHeight, QStringLiteral("GF"))->SetGroup(added);
        return added;
    }

    void groups(std::initializer_list<std::pair<const char *, int>> aGroups)
    {
        for (auto [value, count] : aGroups)
            for (int i = 0; i < count; ++i)
                data.AddRow({QString::fromLatin1(value)});
        group = addGroup(10000);
    }

    // Prints; each page's outline as delivered, "+" ending a complete one.
    // aEach sees the copy of each page's command.
    QStringList printOutlines(const std::function<void(const TppOutlineDrawCommand &)> &aEach = {})
    {
        QStringList outlines;
        TraceDevice device;
        device.OnPageReceive.Set([&](classes::TObject *, classes::TObject *aPage) {
            auto *page = static_cast<TppPage *>(aPage);
            auto *command = dynamic_cast<TppOutlineDrawCommand *>(page->OutlineDrawCommand());
            if (page->Calculation() || !command)
                return;
            // A copy, as the screen device keeps one.
            TppOutlineDrawCommand copy;
            copy.Assign(command);
            EXPECT_TRUE(copy.IsEqual(command));
            if (aEach)
                aEach(copy);
            outlines.append(outlineDump(copy.OutlineNode()) + (copy.OutlineComplete() ? "+" : ""));
        });
        device.SetPublisher(report.Publisher());
        report.PrintToDevices();
        device.SetPublisher(nullptr);
        text = device.Text();
        return outlines;
    }

    TppGroup *group = nullptr;
    QString text;
};

TEST_F(Outline, AGroupedReportCarriesTheTreeAsItStoodAtEachPageEnd)
{
    groups({{"A", 3}, {"B", 50}, {"C", 2}});
    const QStringList outlines = printOutlines();
    EXPECT_EQ(text, QStringLiteral("1: Header GH Detail*3 GF GH Detail*38 Footer\n"
                                   "2: Header GH Detail*12 GF GH Detail*2 GF Footer\n"));
    ASSERT_EQ(outlines.size(), 2);
    // Both pending groups of page 1 get "Page 1"; the report node, whose
    // children are pending, gets none.
    EXPECT_EQ(outlines[0], QStringLiteral("Orders@1\n  A@1\n    Page 1@1\n  B@1\n    Page 1@1\n"));
    EXPECT_EQ(outlines[1], QStringLiteral("Orders@1\n  A@1\n    Page 1@1\n  B@1\n    Page 1@1\n    Page 2@2\n"
                                          "  C@2\n    Page 2@2\n+"));

    // Without page nodes only the report and its groups remain; a report
    // whose outline is off carries none.
    report.OutlineSettings()->SetCreatePageNodes(false);
    EXPECT_EQ(printOutlines().last(), QStringLiteral("Orders@1\n  A@1\n  B@1\n  C@2\n+"));
    report.OutlineSettings()->SetEnabled(false);
    EXPECT_FALSE(report.OutlineSettings()->Visible());
    EXPECT_TRUE(printOutlines().isEmpty());
}

TEST_F(Outline, ARefusedNodeIsInNoCopyAndItsChildrenMoveUp)
{
    groups({{"A", 3}, {"B", 50}, {"C", 2}});
    // Event 88 hears first and may refuse; the handler sees its answer.
    QStringList heard;
    report.OnOutlineNodeCreate.Set([&](classes::TObject *, TppOutlineNode *aNode, bool &aAccept) {
        heard.append(aNode->Caption() + (aAccept ? "" : "-"));
    });
    struct Refuser : TppCommunicator
    {
        Refuser()
            : TppCommunicator(nullptr)
        {
            SubscribeEvent(ppEvent::OnOutlineNodeCreate);
        }
        void EventNotify(TppCommunicator *, int, TraParamList *aParams) override
        {
            classes::TObject *node = nullptr;
            aParams->GetParamValue(0, node);
            if (static_cast<TppOutlineNode *>(node)->Caption() == QLatin1String("B"))
                aParams->SetParamValue(1, false);
        }
    } refuser;
    report.AddEventNotify(&refuser);
    const QStringList outlines = printOutlines();
    ASSERT_EQ(outlines.size(), 2);
    EXPECT_EQ(outlines[1],
              QStringLiteral("Orders@1\n  A@1\n    Page 1@1\n  Page 1@1\n  Page 2@2\n  C@2\n    Page 2@2\n+"));
    EXPECT_TRUE(heard.contains(QStringLiteral("B-")));
    // The live tree keeps the refused node, invisible.
    TppOutlineNode *reportNode = static_cast<TppOutlineNode *>(report.Outline()->RootNode()->ChildAt(0));
    ASSERT_EQ(reportNode->ChildCount(), 3);
    EXPECT_FALSE(static_cast<TppOutlineNode *>(reportNode->ChildAt(1))->Visible());
    report.RemoveEventNotify(&refuser);

    // Refusing every node leaves empty trees; a handler that throws stops
    // the run, and the next run without it is whole again.
    report.OnOutlineNodeCreate.Set([](classes::TObject *, TppOutlineNode *, bool &aAccept) { aAccept = false; });
    report.Reset();
    EXPECT_EQ(printOutlines(), (QStringList{"", "+"}));
    report.OnOutlineNodeCreate.Set(
        [](classes::TObject *, TppOutlineNode *, bool &) { throw EBrevantorError(QStringLiteral("no")); });
    report.Reset();
    EXPECT_THROW(printOutlines(), EBrevantorError);
    report.OnOutlineNodeCreate.Clear();
    report.Reset();
    EXPECT_EQ(printOutlines().size(), 2);

    // A handler may free the node it is offered, or copy a branch into
    // the tree (the copy's nodes are the outline's too).
    report.OnOutlineNodeCreate.Set([&](classes::TObject *, TppOutlineNode *aNode, bool &) {
        if (aNode->Caption() == QLatin1String("B")) {
            delete aNode;
        } else if (aNode->Caption() == QLatin1String("Page 2")) {
            aNode->ParentNode()->CloneNode(report.Outline()->RootNode(), true);
            delete aNode;
        }
    });
    report.Reset();
    EXPECT_EQ(printOutlines().last(), QStringLiteral("Orders@1\n  A@1\n    Page 1@1\n  C@2\nC@2\n  Page 2@2\n+"));
}

TEST_F(Outline, AKeptTogetherGroupTakesBackTheNodeOfThePageItLeaves)
{
    groups({{"A", 3}, {"B", 60}});
    group->SetKeepTogether(true);
    const QStringList outlines = printOutlines();
    EXPECT_EQ(text, QStringLiteral("1: Header GH Detail*3 GF Footer\n2: Header GH Detail*45 Footer\n"
                                   "3: Header GH Detail*15 GF Footer\n"));
    ASSERT_EQ(outlines.size(), 3);
    EXPECT_EQ(outlines[0], QStringLiteral("Orders@1\n  A@1\n    Page 1@1\n"));
    EXPECT_EQ(outlines[2], QStringLiteral("Orders@1\n  A@1\n    Page 1@1\n  B@2\n    Page 2@2\n    Page 3@3\n+"));

    // A kept-together group inside another: each value still once, where
    // it ended up.
    addGroup(5000)->SetKeepTogether(true);
    report.Reset();
    const QString last = printOutlines().last();
    EXPECT_EQ(last.count(QStringLiteral("  B@")), 2) << last.toStdString();
    EXPECT_EQ(last.count(QStringLiteral("  A@1")), 2) << last.toStdString();
}

TEST_F(Outline, ManyGroupsOnAPageAndOddCaptionsAllReachTheTree)
{
    // Bands of no height put every group on one page.
    const QString huge(1 << 20, QLatin1Char('x'));
    data.AddRow({QString()});
    data.AddRow({QStringLiteral("two\nlines")});
    data.AddRow({huge});
    for (int i = 0; i < 10000; ++i)
        data.AddRow({QString::number(i)});
    group = addGroup(0);
    report.GetBand(4)->SetmmHeight(10);
    report.GetBand(4)->Objects(0)->SetmmHeight(10);
    std::unique_ptr<TppOutlineDrawCommand> kept;
    printOutlines([&](const TppOutlineDrawCommand &aCommand) {
        kept = std::make_unique<TppOutlineDrawCommand>();
        kept->Assign(&aCommand);
    });
    EXPECT_EQ(text, QStringLiteral("1: Header Detail*10003 Footer\n"));
    ASSERT_TRUE(kept);
    const int nodes = kept->NodeCount();
    const TppOutlineNode *root = kept->OutlineNode();
    // The report node, each group and its page node.
    EXPECT_EQ(nodes, 1 + 2 * 10003);
    const auto *reportNode = static_cast<TppOutlineNode *>(root->ChildAt(0));
    EXPECT_EQ(static_cast<TppOutlineNode *>(reportNode->ChildAt(0))->Caption(), QString());
    EXPECT_EQ(static_cast<TppOutlineNode *>(reportNode->ChildAt(1))->Caption(), QStringLiteral("two\nlines"));
    EXPECT_EQ(static_cast<TppOutlineNode *>(reportNode->ChildAt(2))->Caption(), huge);
}

TEST_F(Outline, ADrillDownSubreportGivesOnlyItsNoOutlineNode)
{
    auto *sub = new TppSubReport;
    sub->SetBand(report.GetBand(4));
    sub->CreateReport();
    sub->SetDrillDownComponent(report.GetBand(4)->Objects(0));
    TppOutline *outline = report.GetOutline();
    ASSERT_EQ(outline->RootNode()->ChildCount(), 1);
    EXPECT_EQ(outline->NoOutlineNode(), outline->RootNode()->ChildAt(0));
    EXPECT_EQ(outline->NoOutlineNode()->Caption(), QStringLiteral("NoOutline: DrillDown not supported"));
    EXPECT_EQ(outline->NoOutlineNode()->NodeType(), TppOutlineNodeType::ntNoOutline);
    EXPECT_TRUE(outline->OutlineComplete());
    EXPECT_EQ(outline->NodeCreator(), nullptr);

    // Expanded, the subreport takes part like any other.
    sub->SetExpandAll(true);
    outline->Initialize();
    EXPECT_EQ(outline->RootNode()->ChildCount(), 0);
    ASSERT_NE(outline->NodeCreator(), nullptr);
    ASSERT_EQ(outline->NodeCreator()->ChildCount(), 1);
    EXPECT_EQ(outline->NodeCreator()->ChildCreator(0)->NodeCreatorComponent(), sub);
    EXPECT_EQ(sub->GetParentParticipant(), &report);

    // What cannot be outlined says so.
    TppOutline lone;
    try {
        lone.Initialize();
        ADD_FAILURE() << "no report";
    } catch (const EOutlineError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("TppOutline.Initialize: Report is nil."));
    }
    try {
        outline->CreateNodeCreator(report.GetBand(4), nullptr);
        ADD_FAILURE() << "a band is no participant";
    } catch (const EOutlineError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("TppOutline.CreateNodeCreator: The outline participant does not "
                                              "support the IppOutlineParticipant interface."));
    }

    // With groups the last group lists the detail band's subreports (the
    // new group discards the outline with the pages).
    auto *grouped = new TppGroup;
    grouped->SetReport(&report);
    EXPECT_EQ(report.Outline(), nullptr);
    EXPECT_EQ(sub->GetParentParticipant(), grouped);
    EXPECT_EQ(report.GetParticipants(), std::vector<TppCommunicator *>{grouped});
}

TEST_F(Outline, EachRunOfASectionSubreportGetsItsNode)
{
    for (int i = 0; i < 2; ++i)
        data.AddRow({QString::number(i)});
    report.SetDataPipeline(&data);
    TppBand *detail = report.GetBand(4);
    delete detail->Objects(0);
    auto *section = new TppSubReport;
    section->SetBand(detail);
    section->SetBounds(0, 0, 190000, 5000);
    section->SetPrintBehavior(TppPrintBehaviorType::pbSection);
    MemoryPipeline rows;
    rows.AddField(QStringLiteral("R"));
    for (int i = 0; i < 60; ++i)
        rows.AddRow({QString::number(i)});
    section->SetDataPipeline(&rows);
    auto *childDetail = new TppDetailBand(nullptr);
    childDetail->SetReport(section->Report());
    childDetail->SetmmHeight(5000);
    auto *row = new BandPrintable;
    row->SetmmHeight(5000);
    row->SetBand(childDetail);
    const QStringList outlines = printOutlines();
    ASSERT_FALSE(outlines.isEmpty());
    // A run's node closes with the run, so the next run gets its own.
    EXPECT_EQ(outlines.last(), QStringLiteral("Orders@1\n  Page 1@1\n  Main@2\n    Page 2@2\n    Page 3@3\n  Page 4@4\n"
                                              "  Main@5\n    Page 5@5\n    Page 6@6\n+"));
    const TppRelative *reportNode = report.Outline()->RootNode()->ChildAt(0);
    EXPECT_EQ(static_cast<const TppOutlineNode *>(reportNode->ChildAt(1))->NodeType(), TppOutlineNodeType::ntSubReport);
}

TEST(OutlineDrawCommand, CopiesKeepTheVisibleTreeAndCompareByTheirTrees)
{
    auto root = std::make_unique<TppOutlineNode>();
    root->SetNodeType(TppOutlineNodeType::ntRoot);
    auto add = [](TppTreeNode *aParent, const char *aCaption, int aPage, TppOutlineNodeType aType) {
        auto *node = static_cast<TppOutlineNode *>(aParent->Add());
        node->SetCaption(QString::fromLatin1(aCaption));
        node->SetPageReference(aPage);
        node->SetNodeType(aType);
        return node;
    };
    TppOutlineNode *group = add(root.get(), "G", 1, TppOutlineNodeType::ntGroup);
    add(group, "Page 1", 1, TppOutlineNodeType::ntPage);
    TppOutlineNode *hidden = add(group, "H", 1, TppOutlineNodeType::ntGroup);
    hidden->SetVisible(false);
    add(hidden, "Page 1", 1, TppOutlineNodeType::ntPage);
    add(hidden, "Page 2", 2, TppOutlineNodeType::ntPage);
    EXPECT_EQ(root->AbsoluteChildNodeCount(), 5);
    EXPECT_EQ(hidden->Level(), 2);
    EXPECT_EQ(root->GetLastChildDescendent()->GetPrevious(), hidden->GetFirstChild());
    EXPECT_EQ(group->GetFirstChild()->GetNext(), hidden);

    TppOutlineDrawCommand command;
    root.release()->SetParent(&command);
    ASSERT_NE(command.OutlineNode(), nullptr);
    TppOutlineDrawCommand copy;
    copy.Assign(&command);
    // The hidden node's "Page 1" repeats its parent's and goes.
    EXPECT_EQ(outlineDump(copy.OutlineNode()), QStringLiteral("G@1\n  Page 1@1\n  Page 2@2\n"));
    EXPECT_FALSE(copy.IsEqual(&command));
    TppOutlineDrawCommand second;
    second.Assign(&copy);
    EXPECT_TRUE(second.IsEqual(&copy));
    static_cast<TppOutlineNode *>(second.OutlineNode()->ChildAt(0))->SetCaption(QStringLiteral("X"));
    EXPECT_FALSE(second.IsEqual(&copy));
    // Only a root can be copied.
    EXPECT_EQ(ppCopyVisibleTree(group), nullptr);
    // A clone inside the branch it copies copies the branch as it was.
    TppTreeNode *x = second.OutlineNode()->GetFirstChild();
    x->CloneNode(x, true);
    EXPECT_EQ(outlineDump(second.OutlineNode()),
              QStringLiteral("X@1\n  Page 1@1\n  Page 2@2\n  X@1\n    Page 1@1\n    Page 2@2\n"));
}

TEST(OutlineDrawCommand, ScriptsWalkAndMoveNodesThroughTheDescriptor)
{
    const TraTppTreeNodeRTTI &rtti = TraTppTreeNodeRTTI::Instance();
    TppOutlineNode root;
    auto *first = static_cast<TppOutlineNode *>(root.Add());
    auto *second = static_cast<TppOutlineNode *>(root.Add());
    TraParamList params;
    params.AddParam(QStringLiteral("Result"), TraDataType::daClass);
    classes::TObject *found = nullptr;
    params.SetParamValuePointer(0, &found);
    ASSERT_TRUE(rtti.CallMethod(first, QStringLiteral("getnext"), params));
    EXPECT_EQ(found, second);
    // Moved under its sibling, the node is one level deeper.
    classes::TObject *parent = first;
    ASSERT_TRUE(rtti.SetPropValue(second, QStringLiteral("ParentNode"), &parent));
    int32_t level = 0;
    ASSERT_TRUE(rtti.GetPropValue(second, QStringLiteral("Level"), &level));
    EXPECT_EQ(level, 2);
    EXPECT_EQ(root.AbsoluteChildNodeCount(), 2);
    EXPECT_FALSE(rtti.SetPropValue(second, QStringLiteral("Level"), &level));
}

TEST(OutlineSettings, ChangesReachTheReportAndAreNotCopiedWhereTheyMustNotBe)
{
    TppReport report;
    report.GetOutline();
    ASSERT_NE(report.Outline(), nullptr);
    // A change discards the outline with the pages.
    report.OutlineSettings()->SetCreatePageNodes(false);
    EXPECT_EQ(report.Outline(), nullptr);
    EXPECT_TRUE(report.Modified());

    TppOutlineReportSettings settings;
    settings.SetVisible(false);
    settings.SetEnabled(false);
    settings.SetVisible(true);
    EXPECT_FALSE(settings.Visible());
    report.SetOutlineSettings(&settings);
    EXPECT_FALSE(report.OutlineSettings()->Enabled());
    EXPECT_FALSE(report.OutlineSettings()->Visible());
    settings.SetEnabled(true);
    report.SetOutlineSettings(&settings);
    // Visible is not copied.
    EXPECT_FALSE(report.OutlineSettings()->Visible());
    EXPECT_TRUE(report.OutlineSettings()->CreatePageNodes());

    // Reports stored before the outline existed have it off.
    report.Convert(6000);
    EXPECT_FALSE(report.OutlineSettings()->Enabled());
}

} // namespace
