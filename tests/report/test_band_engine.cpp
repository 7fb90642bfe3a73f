#include "BandGeneration.h"

#include "report/model/bands/BandClasses.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/base/Exceptions.h"
#include "report/model/engine/BandEngine.h"
#include "report/model/pages/DrawCommand.h"
#include "report/model/pages/Page.h"

#include <limits>

using namespace report;
using namespace reporttest;

namespace {

// Does not finish the first aFailures times it generates, using no space.
class LateObject : public StandInPrintable
{
public:
    explicit LateObject(int aFailures)
        : m_failures(aFailures)
    {}
    void Generate() override
    {
        ++Generated;
        if (m_failures-- > 0) {
            SetSpaceUsed(0);
            SetGenerationComplete(false);
            return;
        }
        StandInPrintable::Generate();
    }
    int Generated = 0;

private:
    int m_failures;
};

// A stretching object that needs two pages: 5 mm on the first, 3 mm on the
// second.
class TwoPageMemo : public StandInPrintable
{
public:
    bool StretchesBand() const override { return true; }
    void Generate() override
    {
        ++Generated;
        SetSpaceUsed(Generated == 1 ? 5000 : 3000);
        SetGenerationComplete(Generated > 1);
    }
    int Generated = 0;
};

// Placed below another object, which prints it; it may or may not stretch.
class PlacedBelow : public LateObject
{
public:
    explicit PlacedBelow(bool aStretch)
        : LateObject(0)
        , m_stretch(aStretch)
    {}
    bool ShiftsRelative() const override { return true; }
    bool StretchesBand() const override { return m_stretch; }

private:
    bool m_stretch;
};

// Moves itself to the front of its band as it generates; when armed, moves
// another object out of the band as its generation state is reset.
class Reorderer : public StandInPrintable
{
public:
    void Generate() override
    {
        StandInPrintable::Generate();
        if (ToFront)
            Band()->BringObjectToFront(this);
    }
    void ResetGeneration() override
    {
        StandInPrintable::ResetGeneration();
        ++Resets;
        if (Evict && Evict->Band() == Band()) {
            Evict->SetBand(nullptr);
            Evicted.reset(Evict);
        }
    }
    bool ToFront = false;
    Reorderer *Evict = nullptr;
    std::unique_ptr<Reorderer> Evicted;
    int Resets = 0;
};

class DetailEngine : public BandGeneration
{
protected:
    DetailEngine()
    {
        detail = make<TppDetailBand>(5000);
        engine.SetDueBands(ppBandKind::Detail);
        detail->BeforePrint.Set([this](classes::TObject *) {
            ++beforePrints;
            traversesAtCycleStart.append(engine.CallCount(QStringLiteral("Traverse")));
        });
        detail->AfterPrint.Set([this](classes::TObject *) { ++afterPrints; });
    }

    // An object 1 mm down the detail that does not finish the first time.
    LateObject *lateOnce()
    {
        auto *late = new LateObject(1);
        late->SetmmTop(1000);
        late->SetmmHeight(2000);
        late->SetBand(detail);
        return late;
    }

    TppDetailBand *detail = nullptr;
    int beforePrints = 0;
    int afterPrints = 0;
    QList<int> traversesAtCycleStart;
};

TEST_F(DetailEngine, TheDataMovesOnAfterEveryBandsPerRecordCycles)
{
    detail->SetBandsPerRecord(3);
    detail->SetPrintCount(9);
    detail->InitObjects();
    detail->Generate();
    EXPECT_EQ(detail->Count(), 9);
    EXPECT_EQ(traversesAtCycleStart, (QList<int>{0, 0, 0, 1, 1, 1, 2, 2, 2}));
    EXPECT_EQ(engine.CallCount(QStringLiteral("Traverse")), 3);
    EXPECT_EQ(engine.ReportBandCount(), 9);
    EXPECT_TRUE(engine.DetailPrinted());
    EXPECT_TRUE(engine.GetBandsPrinted());

    detail->SetBandsPerRecord(0);
    EXPECT_EQ(detail->BandsPerRecord(), 1);
    detail->SetBandsPerRecord(-4);
    EXPECT_EQ(detail->BandsPerRecord(), 1);
}

// Objects that handlers move within the band or out of it: the one moved
// to the front prints from the place it had when the band was prepared, the
// one taken out is no longer reset.
TEST_F(DetailEngine, ObjectsMovedByHandlersPrintAndResetWhereTheyNowAre)
{
    auto *first = new Reorderer;
    auto *second = new Reorderer;
    auto *third = new Reorderer;
    for (Reorderer *object : {first, second, third}) {
        object->SetmmHeight(1000);
        object->SetBand(detail);
    }
    first->ToFront = true;
    first->Evict = third;
    detail->SetPrintCount(2);
    detail->InitObjects();
    detail->Generate();
    std::vector<const classes::TObject *> order;
    for (int i = 0; i < drawn(); ++i)
        order.push_back(engine.Page()->DrawCommands(i)->Component());
    ASSERT_EQ(order.size(), 6u);
    EXPECT_EQ(order.back(), second);
    EXPECT_EQ(order[order.size() - 2], first);
    EXPECT_EQ(second->Resets, 2);
    EXPECT_EQ(third->Resets, 0);
    EXPECT_EQ(detail->IndexOfObject(third), -1);
}

// In a band of many objects, two objects that move to the front as they
// generate end on the same place one after the other: each prints once a
// cycle, from the place it was prepared with.
TEST_F(DetailEngine, ObjectsMovedToOnePlaceWhileTheyGenerateEachPrintOnceACycle)
{
    std::vector<Reorderer *> objects;
    for (int i = 0; i < 40; ++i) {
        objects.push_back(new Reorderer);
        objects.back()->SetmmHeight(1000);
        objects.back()->SetBand(detail);
    }
    objects[0]->ToFront = true;
    objects[1]->ToFront = true;
    detail->SetPrintCount(2);
    detail->InitObjects();
    detail->Generate();
    std::vector<const classes::TObject *> order;
    for (int i = 0; i < drawn(); ++i)
        order.push_back(engine.Page()->DrawCommands(i)->Component());
    // The band's own object and the 40, twice.
    ASSERT_EQ(order.size(), 82u);
    EXPECT_EQ(std::count(order.begin(), order.end(), objects[0]), 2);
    EXPECT_EQ(std::count(order.begin(), order.end(), objects[1]), 2);
    EXPECT_EQ(order[1], objects[0]);
    EXPECT_EQ(order[2], objects[1]);
    EXPECT_EQ(order[40], objects[39]);
    EXPECT_EQ(order[42], objects[0]);
    EXPECT_EQ(order.back(), objects[39]);
}

TEST_F(DetailEngine, PrintCountBreaksThePageAfterThatManyCycles)
{
    detail->SetPrintCount(5);
    detail->Generate();
    EXPECT_EQ(detail->Count(), 5);
    EXPECT_TRUE(detail->OutOfSpace());
    EXPECT_EQ(engine.PrintTop(), FakePageEngine::TopMargin + 5 * 5000);
    engine.StartPage(2);
    detail->Generate();
    EXPECT_EQ(detail->Count(), 5);
    EXPECT_EQ(engine.CallCount(QStringLiteral("Traverse")), 10);
}

TEST_F(DetailEngine, WithoutPrintCountTheBandFillsThePageWhileDue)
{
    detail->Generate();
    // 10 mm to 270 mm in bands of 5 mm.
    EXPECT_EQ(detail->Count(), 52);
    EXPECT_TRUE(detail->OutOfSpace());

    // The data ends after the third record of the next page.
    engine.StartPage(2);
    engine.OnTraverse = [this] { engine.Exhausted = engine.CallCount(QStringLiteral("Traverse")) == 55; };
    detail->Generate();
    EXPECT_EQ(detail->Count(), 3);
    EXPECT_FALSE(detail->OutOfSpace());
}

TEST_F(DetailEngine, TheBottomOffsetIsLeftBelowEveryBandAndAtThePageBottom)
{
    detail->SetmmBottomOffset(2000);
    detail->Generate();
    // Bands of 7 mm from 10 mm; the last starts at 262 mm, where its 5 mm
    // end above the 268 mm the offset leaves.
    EXPECT_EQ(detail->Count(), 37);
    EXPECT_EQ(detail->PageBottom(), engine.PageBottom - 2000);
    EXPECT_EQ(engine.PrintTop(), FakePageEngine::TopMargin + 37 * 7000);
    EXPECT_EQ(engine.MaxPosition(), 37 * 7000);
}

TEST_F(DetailEngine, AGroupBreakEndsTheDetailRun)
{
    engine.OnTraverse = [this] { engine.IncludeDue(ppBandKind::GroupFooter); };
    detail->Generate();
    EXPECT_EQ(detail->Count(), 1);
    EXPECT_FALSE(detail->OutOfSpace());
}

TEST_F(DetailEngine, AutoStopEndsTheDataAfterTheFirstRecord)
{
    report.Stop = true;
    detail->Generate();
    EXPECT_EQ(detail->Count(), 1);
    EXPECT_EQ(engine.CallCount(QStringLiteral("EndData")), 1);
    EXPECT_TRUE(engine.Exhausted);
}

TEST_F(DetailEngine, AnInvisibleBandRunsOneCycleAndDrawsNothing)
{
    detail->SetVisible(false);
    detail->Generate();
    EXPECT_EQ(beforePrints, 1);
    EXPECT_EQ(afterPrints, 1);
    EXPECT_EQ(drawn(), 0);
    EXPECT_EQ(engine.PrintTop(), FakePageEngine::TopMargin);
    // Its record is still taken.
    EXPECT_EQ(engine.Calls, (QStringList{"AfterTraversal", "Traverse"}));
}

TEST_F(DetailEngine, AnUnfinishedObjectThatDoesNotStretchIsGeneratedAgainOnTheNextPage)
{
    LateObject *late = lateOnce();
    detail->InitObjects();
    detail->Generate();
    EXPECT_TRUE(detail->PartialGeneration());
    EXPECT_TRUE(detail->OutOfSpace());
    EXPECT_EQ(detail->PartialAdjustment(), 1000);
    EXPECT_EQ(detail->CurrentObject(), late);
    EXPECT_EQ(engine.CallCount(QStringLiteral("Traverse")), 0);
    EXPECT_EQ(afterPrints, 0);

    engine.StartPage(2);
    detail->SetPrintCount(1);
    detail->Generate();
    EXPECT_EQ(late->Generated, 2);
    EXPECT_FALSE(detail->PartialGeneration());
    EXPECT_EQ(detail->CurrentObject(), detail->Objects(0));
    // The record counts once, on the page where it was finished.
    EXPECT_EQ(engine.CallCount(QStringLiteral("Traverse")), 1);
    EXPECT_EQ(engine.ReportBandCount(), 1);
    EXPECT_EQ(afterPrints, 1);
}

// The object the band would go on with is freed between the pages: the band
// no longer names it and goes on without it.
TEST_F(DetailEngine, AnUnfinishedObjectFreedBeforeTheNextPageIsForgotten)
{
    LateObject *late = lateOnce();
    detail->InitObjects();
    detail->Generate();
    ASSERT_EQ(detail->CurrentObject(), late);
    delete late;
    EXPECT_EQ(detail->CurrentObject(), nullptr);
    engine.StartPage(2);
    detail->SetPrintCount(1);
    detail->Generate();
    EXPECT_FALSE(detail->PartialGeneration());
    EXPECT_EQ(drawn(), 1);
}

TEST_F(DetailEngine, AStretchingObjectContinuesWithTheStaticObjectsPrintedAgain)
{
    detail->SetPrintHeight(TppPrintHeightType::phDynamic);
    auto *memo = new TwoPageMemo;
    memo->SetmmTop(1000);
    memo->SetBand(detail);
    auto *label = new LateObject(0);
    label->SetmmHeight(1000);
    label->SetBand(detail);
    detail->InitObjects();
    ASSERT_EQ(detail->Section(1).size(), 2u);
    ASSERT_EQ(detail->Section(2).size(), 1u);
    detail->Generate();
    EXPECT_TRUE(detail->OverFlow());
    EXPECT_EQ(detail->MaxStretchable(), memo);
    EXPECT_EQ(drawn(), 3);
    // The lowest object ends 6 mm below the band's top.
    EXPECT_EQ(engine.PrintTop(), FakePageEngine::TopMargin + 6000);

    engine.StartPage(2);
    detail->SetPrintCount(1);
    detail->Generate();
    EXPECT_FALSE(detail->OverFlow());
    EXPECT_EQ(memo->Generated, 2);
    // The static objects generate again; whether they draw again is theirs
    // to say (they were drawn on the first page).
    EXPECT_EQ(label->Generated, 2);
    EXPECT_EQ(drawn(), 4);
    EXPECT_EQ(engine.ReportBandCount(), 1);
    EXPECT_EQ(engine.PageBandCount(), 1);
}

TEST_F(DetailEngine, AnObjectPlacedBelowAnotherIsLeftToIt)
{
    detail->SetPrintHeight(TppPrintHeightType::phDynamic);
    auto *stretching = new PlacedBelow(true);
    auto *fixed = new PlacedBelow(false);
    stretching->SetBand(detail);
    fixed->SetBand(detail);
    detail->InitObjects();
    for (int category = 1; category <= 4; ++category)
        for (TppComponent *object : detail->Section(category))
            EXPECT_TRUE(object != stretching && object != fixed) << category;
    detail->SetPrintCount(1);
    detail->Generate();
    EXPECT_EQ(stretching->Generated, 0);
    EXPECT_EQ(fixed->Generated, 0);
}

TEST_F(DetailEngine, OnlyADetailBandTakesADetailEngineAndDynamicHeightNeedsTopToBottom)
{
    TppDetailBandEngine bandEngine;
    auto *title = make<TppTitleBand>();
    EXPECT_THROW(bandEngine.SetBand(title), EBrevantorError);
    EXPECT_NO_THROW(bandEngine.SetBand(detail));
    EXPECT_EQ(bandEngine.DetailBand(), detail);
    EXPECT_TRUE(dynamic_cast<TppVerticalBandEngine *>(detail->BandEngine()));

    detail->SetPrintHeight(TppPrintHeightType::phDynamic);
    detail->SetColumnTraversal(TppColumnTraversalType::ctLeftToRight);
    EXPECT_EQ(detail->PrintHeight(), TppPrintHeightType::phStatic);
    detail->SetPrintHeight(TppPrintHeightType::phDynamic);
    EXPECT_EQ(detail->PrintHeight(), TppPrintHeightType::phStatic);
}

TEST_F(DetailEngine, ThePrintPositionHoldsBeforeTheFirstDetailBandOfAPage)
{
    detail->SetmmPrintPosition(100000);
    detail->SetPrintCount(2);
    detail->Generate();
    EXPECT_EQ(engine.PrintTop(), 100000 + 2 * 5000);
}

TEST_F(DetailEngine, StoppedEngineOrFullPagePrintsNothing)
{
    engine.SetStopped(true);
    detail->Generate();
    EXPECT_EQ(detail->Count(), 0);
    engine.SetStopped(false);
    engine.Full = true;
    detail->Generate();
    EXPECT_EQ(detail->Count(), 0);
    EXPECT_FALSE(detail->Generating());
}

TEST_F(DetailEngine, ABandBeyondTheRangeOfThousandthsDoesNotFitRatherThanWrapAround)
{
    constexpr int32_t most = std::numeric_limits<int32_t>::max();
    // Grown while dynamic, where the page does not cap the height.
    auto *title = make<TppTitleBand>(5000);
    title->SetPrintHeight(TppPrintHeightType::phDynamic);
    title->SetmmHeight(most - 1000);
    title->SetPrintHeight(TppPrintHeightType::phStatic);
    engine.IncludeDue(ppBandKind::Title);
    title->Generate();
    EXPECT_TRUE(title->OutOfSpace());
    EXPECT_EQ(title->Count(), 0);
    EXPECT_EQ(drawn(), 0);
    // Its print position does not fit either: the page breaks once.
    title->SetmmPrintPosition(20000);
    title->Generate();
    EXPECT_TRUE(title->OutOfSpace());
    EXPECT_TRUE(title->PrintPositionBreak());
    engine.SetPrintArea(FakePageEngine::LeftMargin, FakePageEngine::TopMargin, most, FakePageEngine::TopMargin);
    EXPECT_EQ(engine.PrintRight(), most);

    // An offset below the band as large as the range allows: the band
    // prints and the print area ends at the range's end.
    engine.SetDueBands(ppBandKind::Detail);
    detail->SetPrintCount(1);
    detail->SetmmBottomOffset(std::numeric_limits<int32_t>::min());
    detail->Generate();
    EXPECT_EQ(detail->Count(), 1);
    EXPECT_EQ(engine.PrintTop(), FakePageEngine::TopMargin + 5000 + std::numeric_limits<int32_t>::min());
}

} // namespace
