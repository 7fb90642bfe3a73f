// Where a child report's run starts: a section starts its child again only on
// a page made for the first time, and the look-aheads are computed at the
// end of the main report's run, not of each child's.

#include "ChildRunsFixture.h"

#include "report/model/groups/Group.h"
#include "report/model/groups/GroupBands.h"

using namespace report;
using namespace reporttest;

namespace {

// Counts the look-aheads it is asked to compute.
class LookAheadCounter : public BandPrintable
{
public:
    void ComputeLookAhead() override { ++Computed; }
    int Computed = 0;
};

// Counts how often its report's run prepares it.
class InitCounter : public BandPrintable
{
public:
    void Init() override
    {
        BandPrintable::Init();
        ++Inits;
    }
    int Inits = 0;
};

// A group header whose page break is still to be made after it prepared,
// as one that comes to a section in the middle of its report's run.
class UnbrokenHeader : public TppGroupHeaderBand
{
public:
    void InitObjects() override
    {
        TppGroupHeaderBand::InitObjects();
        SetAlreadyPageBreak(false);
    }
};

class ChildRuns : public ChildRunsFixture
{
protected:
    ChildRuns()
    {
        child = subreport->Report();
        childRunStarts = new InitCounter;
        childRunStarts->SetBand(childRows);
    }

    // The main engine answers that every page it makes is one the cache
    // holds, as it does for pages made again.
    void everyPageCached()
    {
        report.Engine()->OnGetLastCachedPage.Set([](classes::TObject *, int &aPageNo) { aPageNo = 1000; });
    }

    TppCustomReport *child = nullptr;
    // The child's run prepares its bands each time it starts.
    InitCounter *childRunStarts = nullptr;
};

TEST_F(ChildRuns, OnlyTheMainReportComputesItsLookAheadsAtTheEndOfItsRun)
{
    childData.ClearRows();
    for (int i = 0; i < 3; ++i)
        childData.AddRow({QString::number(i)});
    auto *inChild = new LookAheadCounter;
    inChild->SetmmHeight(1000);
    inChild->SetBand(childRows);
    auto *inMain = new LookAheadCounter;
    inMain->SetmmHeight(1000);
    inMain->SetBand(detail);
    print();
    EXPECT_EQ(subreport->RunsCompleted(), 2);
    EXPECT_EQ(inChild->Computed, 0);
    EXPECT_EQ(inMain->Computed, 1);
}

class SectionStart : public ChildRuns
{
protected:
    SectionStart() { subreport->SetPrintBehavior(TppPrintBehaviorType::pbSection); }

    static constexpr const char *Pages = "1: Row*55\n2: Row*5\n3: Row*55\n4: Row*5\n";
};

// The child's run starts as the subreport prepares, and again at each
// section on a page made for the first time.
TEST_F(SectionStart, ASectionOnANewPageStartsItsChildAgain)
{
    EXPECT_EQ(print().toStdString(), Pages);
    EXPECT_EQ(childRunStarts->Inits, 3);
}

// On a page the cache holds the child goes on from where the page left it;
// the run the last section ended starts anew all the same.
TEST_F(SectionStart, ASectionOnACachedPageDoesNotStartItsChildAgain)
{
    everyPageCached();
    EXPECT_EQ(print().toStdString(), Pages);
    EXPECT_EQ(childRunStarts->Inits, 2);
}

// The main report's first page, once later pages are known, is made again.
TEST_F(SectionStart, ASectionOnTheFirstOfSeveralKnownPagesDoesNotStartItsChildAgain)
{
    detail->BeforePrint.Set([this](classes::TObject *) {
        if (report.Engine()->PageNo() == 1)
            report.Engine()->AssignPageCount(4);
    });
    EXPECT_EQ(print().toStdString(), Pages);
    EXPECT_EQ(childRunStarts->Inits, 2);
}

// A group that starts each value on a new page has its first header on the
// section's own page: that header has had its page break.
TEST_F(SectionStart, TheFirstHeaderOfANewPageGroupHasHadItsPageBreak)
{
    auto *group = new TppGroup;
    group->SetReport(child);
    group->SetNewPage(true);
    group->OnGetBreakValue.Set([](classes::TObject *, QString &aValue) { aValue = QStringLiteral("one"); });
    auto *header = new UnbrokenHeader;
    header->SetReport(child);
    header->SetmmHeight(5000);
    header->SetUserName(QStringLiteral("GH"));
    header->SetGroup(group);
    QList<bool> brokenAtPrint;
    header->BeforePrint.Set([&](classes::TObject *) { brokenAtPrint << header->AlreadyPageBreak(); });
    // Without a restart, the header comes to the section as it prepared.
    everyPageCached();
    print();
    ASSERT_FALSE(brokenAtPrint.isEmpty());
    EXPECT_TRUE(brokenAtPrint.front());
}

} // namespace
