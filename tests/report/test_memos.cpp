#include "MemoFixture.h"

#include "report/model/base/Exceptions.h"
#include "report/model/base/Messages.h"
#include "report/model/objects/EventIds.h"

#include "report/content/ContentRegistration.h"
#include "report/content/text/MemoRTTI.h"
#include "report/model/components/ComponentRegistry.h"
#include "report/model/text/PlainText.h"

#include "platform/classes/Streams.h"

using namespace memotest;

namespace {

class Memos : public MemoFixture
{};

// The memo's lines page by page, one record, one memo.
QList<QStringList> linesByPage(const QList<QList<MemoText>> &aPages)
{
    QList<QStringList> result;
    for (const QList<MemoText> &page : aPages) {
        QStringList lines;
        for (const MemoText &text : page)
            lines << text.lines;
        result << lines;
    }
    return result;
}

TEST_F(Memos, ALongMemoPrintsEveryWordOnceInOrderAcrossPages)
{
    QStringList words;
    rows({wordsText(400, &words), QStringLiteral("short")});
    generate();
    // Three words a line, 46 lines a page: 134 lines over three pages.
    ASSERT_EQ(memoPages.size(), 3);
    EXPECT_EQ(printedWords(), words + QStringList{QStringLiteral("short")});
    for (int page = 0; page < 3; ++page) {
        ASSERT_FALSE(memoPages[page].isEmpty());
        // Each page's part starts at the top of the body and is as high as
        // its lines.
        EXPECT_EQ(memoPages[page][0].top, BodyTop) << page;
        EXPECT_EQ(memoPages[page][0].height, memoPages[page][0].lines.size() * LineMM) << page;
    }
    EXPECT_EQ(memoPages[0][0].lines.size(), LinesPerPage);
    EXPECT_EQ(memoPages[0][0].lines[0], QStringLiteral("w0001 w0002 w0003"));
    // The next record follows right below the rest of the long text.
    ASSERT_EQ(memoPages[2].size(), 2);
    EXPECT_EQ(memoPages[2][1].top, BodyTop + memoPages[2][0].height);
}

TEST_F(Memos, APageMadeAgainFromTheCacheContinuesTheTextWhereItDidBefore)
{
    memo->SetKeepTogether(true);
    rows({wordsText(90), wordsText(400)});
    generate();
    ASSERT_EQ(memoPages.size(), 4);
    const QList<QList<MemoText>> first = memoPages;
    // Page 3 and then page 2 again: each starts from the text position and
    // keep-together state its page record kept.
    for (int page : {3, 2}) {
        memoPages.clear();
        generate(TppPageSettingType::psSinglePage, page);
        ASSERT_FALSE(memoPages.isEmpty()) << page;
        EXPECT_EQ(linesByPage({memoPages.last()}), linesByPage({first[page - 1]})) << page;
    }
}

TEST_F(Memos, KeepTogetherMovesTheMemoWholeOnceAndThenSplits)
{
    QStringList words;
    memo->SetKeepTogether(true);
    // 30 lines, then 100 lines: the second does not fit below the first.
    rows({wordsText(90), wordsText(300, &words)});
    generate();
    ASSERT_EQ(memoPages.size(), 4);
    ASSERT_EQ(memoPages[0].size(), 1);
    EXPECT_EQ(memoPages[0][0].lines.size(), 30);
    // Moved whole to page 2, where it still does not fit: it splits.
    EXPECT_EQ(memoPages[1][0].lines.size(), LinesPerPage);
    EXPECT_EQ(memoPages[1][0].lines[0], QStringLiteral("w0001 w0002 w0003"));
    EXPECT_EQ(printedWords().mid(90), words);
}

TEST_F(Memos, StopPositionBoundsTheStretch)
{
    memo->SetmmStopPosition(100000);
    memo->SetmmBottomOffset(5000);
    QStringList words;
    rows({wordsText(90, &words)});
    generate();
    // Down to 95 mm: 65 mm of body, 12 lines a page.
    ASSERT_GE(memoPages.size(), 3);
    EXPECT_EQ(memoPages[0][0].lines.size(), 12);
    EXPECT_LE(memoPages[0][0].top + memoPages[0][0].height, 95000);
    EXPECT_EQ(printedWords(), words);
}

TEST_F(Memos, AMemoThatNeverFitsALineEndsWithTheGuardsError)
{
    memo->SetmmLeading(300000);
    rows({QStringLiteral("never printed")});
    try {
        generate();
        ADD_FAILURE() << "no error";
    } catch (const EPrintError &e) {
        EXPECT_TRUE(e.Message().startsWith(QStringLiteral("Detail: ") + ppLoadStr(44))) << e.Message().toStdString();
    }
    EXPECT_LE(memoPages.size(), 2);
    EXPECT_TRUE(printedWords().isEmpty());
}

// One line a page (a stop position one line below the body's top) shows
// where each page's part of the text begins.
TEST_F(Memos, AContinuedMemoDropsOneOrTwoLeadingBlanksAndKeepsThree)
{
    memo->SetmmStopPosition(BodyTop + LineMM + 100);
    memo->SetmmWidth(9 * CharMM + 1);
    rows({QStringLiteral("aaaa bbbb  cccc dddd   eeee")});
    generate();
    EXPECT_EQ(linesByPage(memoPages), (QList<QStringList>{{"aaaa bbbb"}, {"cccc dddd"}, {"   eeee"}}));
}

TEST_F(Memos, LinesCarryJustificationTabsLeadingAndCharacterWrapping)
{
    memo->SetTextAlignment(TppTextAlignment::taFullJustified);
    memo->SetForceJustifyLastLine(true);
    memo->SetUnits(TppUnitType::utMillimeters);
    classes::TStringList stops;
    stops.Add(QStringLiteral("20"));
    memo->SetTabStopPositions(&stops);
    memo->SetmmLeading(CharMM);
    rows({QStringLiteral("one two three four five six\r\nseven"), QStringLiteral("a\tb"),
          QStringLiteral("abc defghijklmnopqrstuvwxyz")});
    generate();
    ASSERT_EQ(memoPages.size(), 1);
    const QList<MemoText> &texts = memoPages[0];
    ASSERT_EQ(texts.size(), 3);
    // The last line of each paragraph is marked, so that a device leaves it
    // unstretched unless the command asks otherwise.
    EXPECT_EQ(texts[0].lines, (QStringList{"one two three four", u"five six$\u00B6"_qs, u"seven$\u00B6"_qs}));
    EXPECT_TRUE(texts[0].command->ForceJustifyLastLine());
    EXPECT_EQ(texts[0].command->Text(), QStringLiteral("one two three four\r\nfive six\r\nseven"));
    // The leading adds to every line.
    EXPECT_EQ(texts[0].height, 3 * (LineMM + CharMM));
    EXPECT_EQ(texts[1].top, texts[0].top + texts[0].height);
    EXPECT_EQ(texts[0].command->Leading(), CharMM);
    // Tab stops travel in thousandths of a mm; "a" tabbed to 20 mm and "b"
    // fit the 20 characters.
    ASSERT_EQ(texts[1].command->TabStopPositions()->Count(), 1);
    EXPECT_EQ(texts[1].command->TabStopPositions()->Strings(0), QStringLiteral("20000"));
    EXPECT_EQ(texts[1].lines.size(), 1);
    // A word wider than the memo is split at its edge, even without
    // CharWrap.
    EXPECT_EQ(texts[2].lines, (QStringList{"abc defghijklmnopqrs", u"tuvwxyz$\u00B6"_qs}));
}

TEST_F(Memos, CharWrapSplitsEveryWordAtTheEdge)
{
    memo->SetCharWrap(true);
    rows({QStringLiteral("one two three four five six")});
    generate();
    EXPECT_EQ(linesByPage(memoPages), (QList<QStringList>{{"one two three four f", "ive six"}}));
}

TEST_F(Memos, TabsLandOnTheMemosOwnStops)
{
    memo->SetUnits(TppUnitType::utMillimeters);
    memo->SetmmWidth(10 * CharMM + 1);
    classes::TStringList stops;
    stops.Add(QStringLiteral("30"));
    memo->SetTabStopPositions(&stops);
    EXPECT_EQ(memo->mmTabStops(), QStringList{"30000"});
    EXPECT_EQ(memo->TabStopPositions()->Strings(0), QStringLiteral("30"));
    rows({QStringLiteral("a\tb")});
    generate();
    // At 30 mm the tab reaches past the 10 characters (25.4 mm): it starts
    // a line of its own, and "b" the next.
    EXPECT_EQ(linesByPage(memoPages), (QList<QStringList>{{"a", "\t", "b"}}));
}

TEST_F(Memos, ADataMemoReloadsItsLinesUnlessItDisplaysNothingOfItsOwn)
{
    rows({QStringLiteral("first\r\nrecord"), QStringLiteral("second")});
    data.Open();
    data.First();
    EXPECT_EQ(memo->Lines()->Text(), QStringLiteral("first\r\nrecord\r\n"));
    EXPECT_EQ(memo->GetMemoStream()->Size(), 15);
    data.Next();
    EXPECT_EQ(memo->GetText(), QStringLiteral("second\r\n"));
    std::unique_ptr<char[]> buffer = memo->GetTextBuffer();
    ASSERT_TRUE(buffer);
    EXPECT_STREQ(buffer.get(), "second\r\n");

    memo->SetAutoDisplay(false);
    memo->SetText(QStringLiteral("given"));
    data.First();
    EXPECT_EQ(memo->Lines()->Text(), QStringLiteral("given\r\n"));

    // A handler supplies the lines only while the report prints.
    memo->SetAutoDisplay(true);
    int calls = 0;
    memo->OnGetMemo.Set([&calls](classes::TObject *, classes::TStrings *aLines) {
        ++calls;
        aLines->Add(QStringLiteral("handled"));
    });
    EXPECT_EQ(memo->Lines()->Count(), 0);
    EXPECT_EQ(calls, 0);
}

TEST_F(Memos, ADataMemoKeepsTheLinesOfAnUnchangedFieldOnlyUntilTheyAreEdited)
{
    rows({QStringLiteral("same"), QStringLiteral("same"), QStringLiteral("other")});
    data.Open();
    data.First();
    EXPECT_EQ(memo->GetText(), QStringLiteral("same\r\n"));
    memo->Lines()->Add(QStringLiteral("added"));
    data.Next();
    EXPECT_EQ(memo->GetText(), QStringLiteral("same\r\n"));
    data.Next();
    EXPECT_EQ(memo->GetText(), QStringLiteral("other\r\n"));
}

TEST_F(Memos, AHandlerOrEvent86SuppliesTheLinesWhilePrinting)
{
    memo->OnGetMemo.Set([](classes::TObject *, classes::TStrings *aLines) { aLines->Add(QStringLiteral("handled")); });
    // A script's receiver gets the lines as the event's one parameter.
    TppCommunicator receiver(nullptr);
    receiver.SubscribeEvent(ppEvent::OnGetMemo);
    receiver.OnEventNotify.Set([](classes::TObject *, TppCommunicator *, int, TraParamList *aParams) {
        classes::TObject *lines = aParams->ParamValue<classes::TObject *>(0);
        static_cast<classes::TStrings *>(lines)->Add(QStringLiteral("scripted"));
    });
    memo->AddEventNotify(&receiver);
    rows({QStringLiteral("field text")});
    generate();
    EXPECT_EQ(printedWords(), (QStringList{"handled", "scripted"}));
    memo->RemoveEventNotify(&receiver);
}

TEST_F(Memos, RepeatedTextsAreSuppressedUntilThePipelineIsBackAtItsFirstRecord)
{
    memo->SetSuppressRepeatedValues(true);
    rows({QStringLiteral("same"), QStringLiteral("same"), QStringLiteral("other"), QStringLiteral("same")});
    generate();
    EXPECT_EQ(printedWords(), (QStringList{"same", "other", "same"}));

    // Back at the first record the text prints again, however it repeats.
    data.Open();
    data.First();
    memo->EventNotify(&report, ppEvent::Traversal, nullptr);
    EXPECT_FALSE(memo->RepeatedValue());
    data.Next();
    memo->EventNotify(&report, ppEvent::Traversal, nullptr);
    EXPECT_TRUE(memo->RepeatedValue());
    data.First();
    memo->EventNotify(&report, ppEvent::Traversal, nullptr);
    EXPECT_FALSE(memo->RepeatedValue());
}

TEST_F(Memos, HostileTextsPrintEachWordOnceWithoutHanging)
{
    const QString longWord(5000, QLatin1Char('x'));
    const QString tabs(1000, QLatin1Char('\t'));
    rows({QStringLiteral("lone\rcr lone\nlf"), u"$\u00B6both ends$\u00B6"_qs, QStringLiteral("trailing$"),
          QString::fromUtf16(u"before\0after", 12), longWord, tabs + QStringLiteral("tabbed")});
    classes::TStringList stops;
    stops.Add(QStringLiteral("abc"));
    stops.Add(QStringLiteral("-5"));
    memo->SetTabStopPositions(&stops);
    generate();
    const QStringList words = printedWords();
    EXPECT_EQ(words.mid(0, 8), (QStringList{"lone", "cr", "lone", "lf", "both", "ends", "trailing$", "before"}));
    // The long word is split over lines of 20 characters, all of it once.
    EXPECT_EQ(words.mid(8, 1000).join(QString()).count(QLatin1Char('x')), longWord.size());
    EXPECT_EQ(words.last(), QStringLiteral("tabbed"));
    EXPECT_FALSE(words.contains(QStringLiteral("after")));
}

TEST_F(Memos, AMemoOfNoWidthOrNoFontSizeStillEnds)
{
    memo->SetmmWidth(0);
    memo->Font()->SetSize(0);
    rows({QStringLiteral("ab cd")});
    generate();
    EXPECT_EQ(printedWords().join(QString()), QStringLiteral("abcd"));
}

TEST_F(Memos, ScriptsReachTheMemoAndItsChainThroughTheRegisteredDescriptors)
{
    ppContentLayerInit();
    const TppRegComponent *registered = ppFindRegComponent("TppDBMemo");
    ASSERT_NE(registered, nullptr);
    EXPECT_EQ(registered->PalettePage, "Data Components");
    const TraRTTI *rtti = raFindRTTI("TppDBMemo");
    ASSERT_EQ(rtti, &TraTppDBMemoRTTI::Instance());

    rows({QStringLiteral("one two")});
    generate();
    // Read through the data memo's descriptor, down to the stretchable's.
    classes::TObject *object = nullptr;
    ASSERT_TRUE(rtti->GetPropValue(memo, "PrintLines", &object));
    ASSERT_TRUE(dynamic_cast<classes::TStrings *>(object));
    EXPECT_EQ(static_cast<classes::TStrings *>(object)->Text(), QStringLiteral("one two\r\n"));
    bool stretch = false;
    ASSERT_TRUE(rtti->GetPropValue(memo, "stretch", &stretch));
    EXPECT_TRUE(stretch);
    TraPropRec rec;
    ASSERT_TRUE(rtti->GetPropRec(TppDBMemo::StaticClass(), "OnGetMemo", rec));
    EXPECT_EQ(rec.EventID, ppEvent::OnGetMemo);
    ASSERT_TRUE(rec.Params);
    EXPECT_EQ(rec.Params->Count(), 1);

    // A circular chain set by a script is refused as the property refuses it.
    auto *shifter = addMemo<TppMemo>(LineMM, 20);
    shifter->SetShiftRelativeTo(memo);
    classes::TObject *target = shifter;
    EXPECT_THROW(rtti->SetPropValue(memo, "ShiftRelativeTo", &target), EInvalidPropertyError);
    EXPECT_EQ(memo->ShiftRelativeTo(), nullptr);
    ppContentLayerFinalize();
    EXPECT_EQ(raFindRTTI("TppDBMemo"), nullptr);
}

// Endless words are read piece by piece; a line still fills to the memo's
// edge, never halves a surrogate pair, and the next page goes on with the
// character after the last one placed.
TEST_F(Memos, AnEndlessWordFillsEveryLineToTheEdge)
{
    QString word;
    for (int i = 0; i < 1500; ++i)
        word += QString::fromUcs4(U"\U0001F600", 1);
    QStringList lines;
    qsizetype position = 0;
    TppPlainText::WordWrap(word, rtl::TRect{0, 0, 1000 * (CharMM + 1), 2 * LineMM + 1},
                           TppTextAlignment::taLeftJustified, false, gfx::Font{}, false, 0, {}, &printer, position,
                           lines);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0].size(), 2000);
    EXPECT_EQ(lines[1].size(), 1000);
    EXPECT_TRUE(lines[0].back().isLowSurrogate());
    EXPECT_EQ(position, 3000);

    const QString megabyte(1 << 20, QLatin1Char('x'));
    position = 0;
    for (int page = 0; page < 3; ++page)
        TppPlainText::WordWrap(megabyte, rtl::TRect{0, 0, 100 * (CharMM + 1), 40 * LineMM + 1},
                               TppTextAlignment::taLeftJustified, false, gfx::Font{}, false, 0, {}, &printer, position,
                               lines);
    EXPECT_EQ(position, 3 * 40 * 100);
}

// A handler that frees its memo while the lines are loaded: the page goes
// on without it and the other memo prints every record.
TEST_F(Memos, AMemoFreedWhileItsLinesAreLoadedLeavesThePageToTheOthers)
{
    auto *kept = addMemo<TppDBMemo>(LineMM, 20);
    kept->SetDataPipeline(&data);
    kept->SetDataField(QStringLiteral("Key"));
    memo->OnGetMemo.Set([this](classes::TObject *, classes::TStrings *) {
        delete memo;
        memo = nullptr;
    });
    rows({QStringLiteral("one"), QStringLiteral("two")});
    generate();
    EXPECT_EQ(memo, nullptr);
    EXPECT_EQ(printedWords(), QStringList({QStringLiteral("1"), QStringLiteral("2")}));
}

TEST(MemoProperties, LeadingStreamsInThousandthsAndConvertsOldTemplates)
{
    TppMemo memo;
    memo.SetUnits(TppUnitType::utMillimeters);
    memo.SetLeading(2.5f);
    EXPECT_EQ(memo.mmLeading(), 2500);
    EXPECT_FLOAT_EQ(memo.Leading(), 2.5f);
    // A template from before version 3000 held screen pixels.
    memo.SetmmLeading(96);
    memo.Convert(2900);
    EXPECT_EQ(memo.mmLeading(), 25400);
    memo.Convert(3000);
    EXPECT_EQ(memo.mmLeading(), 25400);
    EXPECT_EQ(memo.DefaultPropName(), QStringLiteral("Caption"));
}

} // namespace
