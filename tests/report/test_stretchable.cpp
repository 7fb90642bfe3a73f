#include "MemoFixture.h"

#include "report/model/base/Exceptions.h"
#include "report/model/base/Messages.h"

#include "report/content/ContentRegistration.h"
#include "report/content/text/Label.h"

#include "platform/classes/ObjectText.h"
#include "platform/classes/Reader.h"
#include "platform/classes/Streams.h"
#include "platform/classes/Writer.h"

using namespace memotest;

namespace {

class Shifting : public MemoFixture
{
protected:
    Shifting()
    {
        memo->SetUserName(QStringLiteral("Above"));
        below = addMemo<TppMemo>(LineMM, 20);
        below->SetUserName(QStringLiteral("Below"));
    }

    TppMemo *below = nullptr;
};

TEST_F(Shifting, ACircularChainIsRefusedAndChangesNothing)
{
    below->SetShiftRelativeTo(memo);
    try {
        memo->SetShiftRelativeTo(below);
        ADD_FAILURE() << "no error";
    } catch (const EInvalidPropertyError &e) {
        EXPECT_EQ(e.Message(), ppLoadStr(342));
    }
    EXPECT_EQ(memo->ShiftRelativeTo(), nullptr);
    EXPECT_EQ(below->ShiftRelativeTo(), memo);
    EXPECT_EQ(memo->ShifterCount(), 1);
    EXPECT_THROW(memo->SetShiftRelativeTo(memo), EInvalidPropertyError);
    EXPECT_EQ(ppGetShiftRelativeToTargets(*memo, true), QStringList{});
    EXPECT_EQ(ppGetShiftRelativeToTargets(*below, true), QStringList{"Above"});
}

TEST_F(Shifting, ATargetStretchesWhileItHasShifters)
{
    memo->SetStretch(false);
    EXPECT_FALSE(memo->Stretch());
    below->SetShiftRelativeTo(memo);
    EXPECT_TRUE(memo->Stretch());
    memo->SetStretch(false);
    EXPECT_TRUE(memo->Stretch());
    // A shifter leaves its chain when it is told to move with its parent.
    below->SetShiftWithParent(true);
    EXPECT_EQ(below->ShiftRelativeTo(), nullptr);
    EXPECT_EQ(memo->ShifterCount(), 0);
    memo->SetStretch(false);
    EXPECT_FALSE(memo->Stretch());
}

TEST_F(Shifting, FreeingATargetOrAShifterClearsTheReferences)
{
    below->SetShiftRelativeTo(memo);
    delete below;
    EXPECT_EQ(memo->ShifterCount(), 0);
    auto *shifter = addMemo<TppMemo>(LineMM, 20);
    shifter->SetShiftRelativeTo(memo);
    delete memo;
    memo = nullptr;
    EXPECT_EQ(shifter->ShiftRelativeTo(), nullptr);
}

TEST_F(Shifting, AShiftedMemoSitsRightBelowTheActualBottomOfItsTargetOnEveryPage)
{
    below->SetShiftRelativeTo(memo);
    below->SetText(QStringLiteral("below"));
    QStringList words;
    rows({QStringLiteral("two\r\nlines"), wordsText(180, &words)});
    generate();
    ASSERT_EQ(memoPages.size(), 2);
    // Page 1: the first record's memos, then the second record's long text,
    // whose shifter waits for it.
    ASSERT_EQ(memoPages[0].size(), 3);
    EXPECT_EQ(memoPages[0][1].name, QStringLiteral("Below"));
    EXPECT_EQ(memoPages[0][1].top, memoPages[0][0].top + 2 * LineMM);
    EXPECT_EQ(memoPages[0][2].name, QStringLiteral("Above"));
    EXPECT_EQ(memoPages[0][2].lines.size(), LinesPerPage - 3);
    // Page 2: the rest of the text from the top, the shifter right below it.
    ASSERT_EQ(memoPages[1].size(), 2);
    EXPECT_EQ(memoPages[1][0].top, BodyTop);
    EXPECT_EQ(memoPages[1][1].name, QStringLiteral("Below"));
    EXPECT_EQ(memoPages[1][1].top, BodyTop + memoPages[1][0].height);
    EXPECT_EQ(printedWords(QStringLiteral("Above")).mid(2), words);
    EXPECT_EQ(printedWords(QStringLiteral("Below")), (QStringList{"below", "below"}));
}

// A text that shifts with its band keeps its distance below the memo where
// the memo actually ends, also on a page where the memo continued from the
// top of the band rather than from its own design top.
TEST_F(Shifting, ATextShiftingWithTheBandFollowsTheMemosActualBottom)
{
    delete below;
    memo->SetmmTop(5000);
    auto *label = new TppLabel();
    label->SetBand(detail);
    label->SetAutoSize(false);
    label->SetCaption(QStringLiteral("after"));
    label->SetBounds(0, 5000 + LineMM + 1000, 20000, 6000);
    label->SetShiftWithParent(true);
    rows({wordsText(180), QStringLiteral("next")});
    std::vector<int32_t> labelTops;
    std::vector<int32_t> memoTops;
    std::vector<int32_t> memoBottoms;
    report.OnEndPage.Set([&](classes::TObject *) {
        const TppPage *page = engine()->Page();
        for (int i = 0; i < page->DrawCommandCount(); ++i) {
            const auto *text = dynamic_cast<const TppDrawText *>(page->DrawCommands(i));
            if (text && text->IsMemo()) {
                memoTops.push_back(text->Top());
                memoBottoms.push_back(text->Top() + text->Height());
            } else if (text && text->Text() == QStringLiteral("after")) {
                labelTops.push_back(text->Top());
            }
        }
    });
    generate();
    ASSERT_EQ(memoBottoms.size(), 3u);
    ASSERT_GE(labelTops.size(), 1u);
    EXPECT_EQ(labelTops[0], memoBottoms[1] + 1000);
    // The band ends below the shifted text: the next record does not print
    // over it.
    EXPECT_EQ(memoTops[2], labelTops[0] + 6000 + 5000);
}

// A shifter moved to another band prints there on its own: its old target,
// left behind in the detail, no longer places it below itself.
TEST_F(Shifting, AShifterMovedToAnotherBandPrintsInThatBand)
{
    below->SetShiftRelativeTo(memo);
    below->SetText(QStringLiteral("below"));
    TppBand *header = nullptr;
    for (int i = 0; i < report.BandCount() && !header; ++i)
        header = dynamic_cast<TppHeaderBand *>(report.Bands(i));
    ASSERT_TRUE(header);
    below->SetBand(header);
    rows({QStringLiteral("one"), QStringLiteral("two")});
    generate();
    ASSERT_EQ(memoPages.size(), 1);
    QStringList names;
    for (const MemoText &text : memoPages[0])
        names << text.name;
    EXPECT_EQ(names, (QStringList{"Below", "Above", "Above"}));
    ASSERT_EQ(memoPages[0].size(), 3);
    EXPECT_LT(memoPages[0][0].top, BodyTop);
    EXPECT_EQ(below->ShiftRelativeTo(), nullptr);
    EXPECT_EQ(memo->ShifterCount(), 0);
}

// Every memo of a long chain prints once, each right below the one before
// it, page after page.
TEST_F(Shifting, AChainOfAThousandShiftersPrintsInOrder)
{
    std::vector<TppMemo *> chain;
    TppStretchable *target = memo;
    for (int i = 0; i < 1000; ++i) {
        auto *m = addMemo<TppMemo>(LineMM, 20);
        m->SetText(QStringLiteral("m%1").arg(i));
        m->SetShiftRelativeTo(target);
        target = m;
        chain.push_back(m);
    }
    EXPECT_THROW(memo->SetShiftRelativeTo(chain.back()), EInvalidPropertyError);
    report.SetPageLimit(40);
    rows({QStringLiteral("head")});
    generate();
    QStringList expected{QStringLiteral("head")};
    for (int i = 0; i < 1000; ++i)
        expected << QStringLiteral("m%1").arg(i);
    EXPECT_EQ(printedWords(), expected);
    for (const QList<MemoText> &page : memoPages)
        for (int i = 1; i < page.size(); ++i)
            ASSERT_EQ(page[i].top, page[i - 1].top + page[i - 1].height);
}

// A band written and read again keeps its memos' offsets, leading, lines and
// chain; what was never set is not written.
TEST_F(Shifting, AChainAndItsOffsetsSurviveAStream)
{
    ppContentLayerInit();
    TppDetailBand written(nullptr);
    auto *first = new TppMemo();
    first->SetName(QStringLiteral("First"));
    first->SetBand(&written);
    first->SetStretch(true);
    first->SetmmBottomOffset(2500);
    first->SetmmLeading(1000);
    first->SetText(QStringLiteral("one\r\ntwo"));
    auto *second = new TppMemo();
    second->SetName(QStringLiteral("Second"));
    second->SetBand(&written);
    second->SetShiftRelativeTo(first);

    classes::TMemoryStream binary;
    classes::TWriter(binary).WriteRootComponent(&written);
    binary.SetPosition(0);
    classes::TMemoryStream text;
    classes::ObjectBinaryToText(binary, text);
    const QByteArray stored(text.Memory(), int(text.Size()));
    EXPECT_TRUE(stored.contains("mmBottomOffset = 2500")) << stored.constData();
    EXPECT_TRUE(stored.contains("mmLeading = 1000"));
    EXPECT_TRUE(stored.contains("ShiftRelativeTo = First"));
    EXPECT_FALSE(stored.contains("mmOverFlowOffset"));
    EXPECT_FALSE(stored.contains("mmStopPosition"));

    binary.SetPosition(0);
    TppDetailBand read(nullptr);
    classes::TReader(binary).ReadRootComponent(&read);
    ASSERT_EQ(read.ObjectCount(), 2);
    auto *readFirst = dynamic_cast<TppMemo *>(read.Objects(0));
    auto *readSecond = dynamic_cast<TppMemo *>(read.Objects(1));
    ASSERT_TRUE(readFirst && readSecond);
    EXPECT_EQ(readSecond->ShiftRelativeTo(), readFirst);
    EXPECT_EQ(readFirst->ShifterCount(), 1);
    EXPECT_TRUE(readFirst->Stretch());
    EXPECT_EQ(readFirst->mmBottomOffset(), 2500);
    EXPECT_EQ(readFirst->mmLeading(), 1000);
    EXPECT_EQ(readFirst->GetText(), QStringLiteral("one\r\ntwo\r\n"));
    ppContentLayerFinalize();
}

TEST_F(Shifting, OffsetsFollowTheUnitsAndNumberedNamesMatchTheirPrefix)
{
    below->SetUnits(TppUnitType::utMillimeters);
    below->SetBottomOffset(2.5f);
    EXPECT_EQ(below->mmBottomOffset(), 2500);
    below->SetOverFlowOffset(1.0f);
    EXPECT_EQ(below->mmOverFlowOffset(), 1000);
    EXPECT_FLOAT_EQ(below->StopPosition(), 0.0f);
    EXPECT_TRUE(ppMatchesNamePrefix(*below, QStringLiteral("Bel")) == false);
    below->SetUserName(QStringLiteral("Memo12"));
    EXPECT_TRUE(ppMatchesNamePrefix(*below, QStringLiteral("Memo")));
    below->SetUserName(QStringLiteral("Memo0"));
    EXPECT_FALSE(ppMatchesNamePrefix(*below, QStringLiteral("Memo")));
}

// The tab stops are shown in the report's units: what a stream or a script
// writes into the shown list is what the memo measures with.
TEST_F(Shifting, TabStopsSurviveAStreamAndEditsOfTheShownList)
{
    ppContentLayerInit();
    TppDetailBand written(nullptr);
    written.SetUnits(TppUnitType::utMillimeters);
    auto *first = new TppMemo();
    first->SetName(QStringLiteral("First"));
    first->SetBand(&written);
    classes::TStringList stops;
    stops.Add(QStringLiteral("30"));
    first->SetTabStopPositions(&stops);
    first->TabStopPositions()->Add(QStringLiteral("45.5"));
    EXPECT_EQ(first->mmTabStops(), (QStringList{"30000", "45500"}));

    classes::TMemoryStream binary;
    classes::TWriter(binary).WriteRootComponent(&written);
    binary.SetPosition(0);
    TppDetailBand read(nullptr);
    read.SetUnits(TppUnitType::utMillimeters);
    classes::TReader(binary).ReadRootComponent(&read);
    auto *readFirst = dynamic_cast<TppMemo *>(read.Objects(0));
    ASSERT_TRUE(readFirst);
    EXPECT_EQ(readFirst->mmTabStops(), (QStringList{"30000", "45500"}));
    EXPECT_EQ(readFirst->TabStopPositions()->Strings(1), QStringLiteral("45.5"));
    ppContentLayerFinalize();
}

} // namespace

namespace {

// A text that shifts with its band beside a stretching memo (no stretched
// object ends above it) moves down as far as the band has grown when it is
// placed.
TEST_F(Shifting, ATextShiftingWithTheBandBesideAStretchedMemoMovesDownByTheBandsGrowth)
{
    delete below;
    memo->SetmmTop(0);
    auto *label = new TppLabel();
    label->SetBand(detail);
    label->SetAutoSize(false);
    label->SetCaption(QStringLiteral("beside"));
    label->SetBounds(150000, 1000, 20000, 3000);
    label->SetShiftWithParent(true);
    rows({wordsText(30), wordsText(30)});
    QList<int32_t> labelTops, memoTops, memoHeights;
    report.OnEndPage.Set([&](classes::TObject *) {
        const TppPage *page = engine()->Page();
        for (int i = 0; i < page->DrawCommandCount(); ++i) {
            const auto *text = dynamic_cast<const TppDrawText *>(page->DrawCommands(i));
            if (text && text->IsMemo()) {
                memoTops.append(text->Top());
                memoHeights.append(text->Height());
            } else if (text && text->Text() == QStringLiteral("beside")) {
                labelTops.append(text->Top());
            }
        }
    });
    generate();
    ASSERT_EQ(labelTops.size(), 2);
    ASSERT_EQ(memoTops.size(), 2);
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(labelTops[i], memoTops[i] + 1000 + (memoHeights[i] - detail->mmHeight()));
}

} // namespace

namespace {

// Counts what the designer's utilities ask of it.
class CountingMemo : public TppMemo
{
public:
    void AdjustSize() override
    {
        ++Adjusts;
        TppMemo::AdjustSize();
    }
    void InvalidateDesignControl() override
    {
        ++Repaints;
        TppMemo::InvalidateDesignControl();
    }
    int Adjusts = 0;
    int Repaints = 0;
};

TEST_F(Shifting, TheDesignersUtilitiesReachTheRightComponents)
{
    auto *counted = addMemo<CountingMemo>(LineMM * 4, 10);
    counted->SetName(QStringLiteral("ppCounted"));
    counted->SetShiftRelativeTo(below);
    auto *label = new TppLabel();
    label->SetBand(detail);
    label->SetName(QStringLiteral("ppTotal"));
    label->SetUserName(QStringLiteral("Total"));
    label->SetCaption(QStringLiteral("Sum"));

    // In a designer only, a stretching component's size follows its bounds.
    counted->SetBounds(10000, LineMM * 4, 50000, LineMM);
    EXPECT_EQ(counted->Adjusts, 0);
    counted->IncludeState(ppState::Design);
    counted->SetBounds(10000, LineMM * 4, 60000, LineMM);
    EXPECT_EQ(counted->Adjusts, 1);

    // Renaming a target shows on its shifters.
    counted->Repaints = 0;
    below->SetUserName(QStringLiteral("Lower"));
    EXPECT_EQ(counted->Repaints, 1);

    // Every other component that can print, by description or name.
    const QStringList described = ppGetRelativeTargets(*label, true);
    EXPECT_EQ(described.size(), detail->ObjectCount() - 1);
    EXPECT_FALSE(described.contains(QStringLiteral("Total: Sum")));
    EXPECT_TRUE(ppGetRelativeTargets(*counted, true).contains(QStringLiteral("Total: Sum")));
    EXPECT_TRUE(ppGetRelativeTargets(*counted, false).contains(QStringLiteral("ppTotal")));
    EXPECT_FALSE(ppGetRelativeTargets(*counted, false).contains(QStringLiteral("ppCounted")));

    // Only memos that have tab stops show them again.
    counted->Repaints = 0;
    ppRefreshTabStops(report);
    EXPECT_EQ(counted->Repaints, 0);
    counted->SetmmTabStops({QStringLiteral("10000")});
    ppRefreshTabStops(report);
    EXPECT_EQ(counted->Repaints, 1);
}

} // namespace
