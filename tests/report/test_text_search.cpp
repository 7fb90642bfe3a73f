// Text search: matching, the registries, the order and stepping of the
// occurrences, the highlight geometry, and whole searches over a previewed
// report whose pages come cached, generated, or not at all.

#include "report/content/ContentRegistration.h"
#include "report/content/drawcommands/DrawRichText.h"
#include "report/content/drawcommands/DrawShapes.h"
#include "report/content/drawcommands/DrawText.h"
#include "report/content/drawcommands/DrawVariables.h"
#include "report/model/ModelRegistration.h"
#include "report/model/base/Units.h"
#include "report/model/pages/DeviceRegistry.h"
#include "report/model/production/Producer.h"
#include "report/model/production/SearchErrors.h"
#include "report/model/production/TextSearchSettings.h"
#include "report/output/screen/ScreenDevice.h"
#include "report/output/screen/Viewer.h"
#include "report/output/search/PageSearch.h"
#include "report/output/search/SearchEngineRegistry.h"
#include "report/output/search/SearchInfo.h"
#include "report/output/search/SearchRegistration.h"
#include "report/output/search/TextHighlighters.h"
#include "report/output/search/TextSearchEngine.h"
#include "report/output/search/TextSearchToolbox.h"

#include "tests/support/report/PageFakes.h"
#include "tests/support/report/SamplePage.h"

#include "platform/classes/Streams.h"
#include "platform/classes/StringList.h"
#include "platform/gfx/Canvas.h"
#include "platform/richedit/RichEdit.h"

#include <gtest/gtest.h>

using namespace report;

namespace {

int findAt(const QString &aText, const QString &aSearch, bool aWholeWord, bool aCase = false)
{
    int position = -1;
    TppTextSearchToolboxRegistry::GetToolbox().FindText(aText, aSearch, position, aWholeWord, aCase);
    return position;
}

template <class Error, class Work>
QString errorOf(Work &&aWork)
{
    try {
        aWork();
    } catch (const Error &error) {
        return QString::fromUtf8(error.what());
    }
    return QString();
}

} // namespace

TEST(TextSearchMatching, WholeWordsSeparatorsAndFolding)
{
    EXPECT_EQ(findAt("the cat sat", "cat", true), 5);
    EXPECT_EQ(findAt("cats", "cat", true), 0);
    EXPECT_EQ(findAt("concat", "cat", true), 0);
    // Behind an occurrence that is no word the scan goes on.
    EXPECT_EQ(findAt("cats (cat)", "cat", true), 7);
    // A separator searched alone is a plain substring.
    EXPECT_EQ(findAt("well-known", "-", true), 5);
    EXPECT_EQ(findAt("THE CAT", "cat", false), 5);
    EXPECT_EQ(findAt("THE CAT", "cat", false, true), 0);
    // Nothing matches an empty text, which would never move a scan on.
    EXPECT_EQ(findAt("abc", "", false), 0);
    EXPECT_EQ(findAt("ab", "abc", false), 0);
    EXPECT_EQ(TppTextSearchToolboxRegistry::WordSeparators().size(), 30);
}

// Without case sensitivity every script folds, by full folding: "ß" is "ss"
// and "ﬁ" is "fi", so a match may be longer or shorter than what was typed;
// positions and lengths stay those of the text as it stands.
TEST(TextSearchMatching, EveryScriptFoldsAndAMatchKeepsItsPlaceInTheText)
{
    const auto match = [](const QString &aText, const QString &aSearch, bool aWholeWord = false) {
        int position = 0;
        TppTextSearchToolboxRegistry::GetToolbox().FindText(aText, aSearch, position, aWholeWord, false);
        const int length = position ? TppTextSearchToolbox::MatchedLength(aText, position, aSearch, false) : 0;
        return QStringLiteral("%1+%2").arg(position).arg(length);
    };
    EXPECT_EQ(match(QStringLiteral("Иван Петров"), QStringLiteral("иван")), "1+4");
    EXPECT_EQ(match(QStringLiteral("Иван Петров"), QStringLiteral("ПЕТРОВ"), true), "6+6");
    EXPECT_EQ(match(QStringLiteral("CAFÉ"), QStringLiteral("café")), "1+4");
    EXPECT_EQ(match(QStringLiteral("ΟΔΟΣ"), QStringLiteral("οδος")), "1+4");
    EXPECT_EQ(match(QStringLiteral("Die Straße, bitte"), QStringLiteral("STRASSE"), true), "5+6");
    EXPECT_EQ(match(QStringLiteral("DIE STRASSE"), QStringLiteral("straße")), "5+7");
    EXPECT_EQ(match(QStringLiteral("the ﬁle"), QStringLiteral("FILE")), "5+3");
    EXPECT_EQ(match(QStringLiteral("𐐀𐐁 x"), QStringLiteral("𐐨𐐩")), "1+4");
    // Half of a character's folding is no match of the character.
    EXPECT_EQ(match(QStringLiteral("Straße"), QStringLiteral("s"), true), "0+0");
    EXPECT_EQ(match(QStringLiteral("ß s"), QStringLiteral("s")), "3+1");
    EXPECT_EQ(findAt(QStringLiteral("CAFÉ"), QStringLiteral("café"), false, true), 0);
}

// A long text is folded a stretch at a time: a hit behind letters that fold
// longer, one across the end of the first stretch and one after whole-word
// misses there are each found where they stand.
TEST(TextSearchMatching, ALongTextFindsEachHitWhereItStands)
{
    const auto match = [](const QString &aText, const QString &aSearch, bool aWholeWord) {
        int position = 0;
        TppTextSearchToolboxRegistry::GetToolbox().FindText(aText, aSearch, position, aWholeWord, false);
        const int length = position ? TppTextSearchToolbox::MatchedLength(aText, position, aSearch, false) : 0;
        return QStringLiteral("%1+%2").arg(position).arg(length);
    };
    const QString sharp(127, QChar(0x00DF));
    EXPECT_EQ(match(sharp + QStringLiteral("xstraße"), QStringLiteral("STRASSE"), false), "129+6");
    EXPECT_EQ(match(sharp + sharp + QStringLiteral(" Strasse"), QStringLiteral("straße"), true), "256+7");
    EXPECT_EQ(
        match(QStringLiteral("strassen ").repeated(40) + QStringLiteral("STRASSE."), QStringLiteral("straße"), true),
        "361+7");
    EXPECT_EQ(match(sharp + sharp, QStringLiteral("sss"), false), "0+0");
}

// The engine cuts each line behind what it found, and the highlight shows
// the occurrence as written, whatever its length folded.
TEST(TextSearchOccurrences, AFoldedMatchOfAnotherLengthIsFoundAndShownAsWritten)
{
    ScopedScreenPixelsPerInch ppi{96};
    TppTextSearchEngine engine;
    engine.AssignCanvasScale();
    TppDrawText text;
    text.SetText(QStringLiteral("Straße und STRASSE, straße"));
    std::vector<std::unique_ptr<TppDrawCommandSearchInfo>> found;
    engine.BuildDrawTextSearchInfoList(&text, 0, found, QStringLiteral("strasse"));
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0]->TextPosition(), 1);
    EXPECT_EQ(found[1]->TextPosition(), 12);
    EXPECT_EQ(found[2]->TextPosition(), 21);

    QImage image(1, 1, QImage::Format_RGB32);
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    gfx::Canvas canvas(&image);
    text.SetWidth(60000);
    text.SetScreenFontHeight(-13);
    text.SetScreenLineHeight(4000);
    text.SetScreenTextWidth(60000);
    TppDrawTextSelectionHighlighter highlighter;
    const QString shown[] = {QStringLiteral("Straße"), QStringLiteral("STRASSE"), QStringLiteral("straße")};
    for (int i = 0; i < 3; ++i) {
        TppDrawCommandSearchInfo info;
        info.SetOccurrenceNo(i + 1);
        auto highlight = highlighter.CreateHighlight(&text, &info, QStringLiteral("strasse"), &canvas);
        ASSERT_NE(highlight, nullptr);
        EXPECT_EQ(dynamic_cast<TppDrawText &>(*highlight).Text(), shown[i]);
    }
}

TEST(TextSearchRegistries, TheNearestAncestorAndTheLastEngineOfANameWin)
{
    const auto &outer = ppHighlighterClass<TppDrawTextHighlighter>();
    const auto &inner = ppHighlighterClass<TppDrawTextSelectionHighlighter>();
    TppDrawCommandHighlightRegistry::Register(TppDrawCommand::StaticClass(), outer);
    TppDrawCommandHighlightRegistry::Register(TppDrawText::StaticClass(), inner);
    TppDrawVar variable;
    TppDrawShape shape;
    TppDrawCommandHighlighter *forVariable = TppDrawCommandHighlightRegistry::GetHighlighter(&variable);
    EXPECT_NE(dynamic_cast<TppDrawTextSelectionHighlighter *>(forVariable), nullptr);
    EXPECT_EQ(dynamic_cast<TppDrawTextSelectionHighlighter *>(TppDrawCommandHighlightRegistry::GetHighlighter(&shape)),
              nullptr);
    // One shared instance per class.
    TppDrawText text;
    EXPECT_EQ(TppDrawCommandHighlightRegistry::GetHighlighter(&text), forVariable);
    TppDrawCommandHighlightRegistry::UnRegister(TppDrawVar::StaticClass(), inner);
    EXPECT_EQ(
        dynamic_cast<TppDrawTextSelectionHighlighter *>(TppDrawCommandHighlightRegistry::GetHighlighter(&variable)),
        nullptr);
    TppDrawCommandHighlightRegistry::UnRegister(TppDrawShape::StaticClass(), outer);
    EXPECT_FALSE(TppDrawCommandHighlightRegistry::IsRegistered(TppDrawText::StaticClass()));
    EXPECT_EQ(errorOf<ESearchError>([&] { TppDrawCommandHighlightRegistry::GetHighlighter(&shape); }),
              "TppDrawCommandHighlightRegistry.GetHighlighterForDrawCommand: Unable to find highlighter class for: "
              "TppDrawShape.");

    struct OtherFullSearch : TppTextSearchEngine
    {
        using TppTextSearchEngine::TppTextSearchEngine;
        static QString ClassName() { return QStringLiteral("OtherFullSearch"); }
        static QString EngineName() { return QStringLiteral("Full Search"); }
    };
    const auto &standard = ppSearchEngineClass<TppRichTextSearchEngine>();
    const auto &other = ppSearchEngineClass<OtherFullSearch>();
    TppSearchEngineRegistry::Register(&standard);
    TppSearchEngineRegistry::Register(&other);
    TppSearchEngineRegistry::Register(&standard);
    EXPECT_EQ(TppSearchEngineRegistry::GetEngineClass("Full Search"), &other);
    EXPECT_EQ(TppSearchEngineRegistry::GetEngineClass("full search"), nullptr);
    TppSearchEngineRegistry::UnRegister(&other);
    EXPECT_EQ(TppSearchEngineRegistry::GetEngineClass("Full Search"), &standard);
    TppSearchEngineRegistry::UnRegister(&standard);
    EXPECT_THROW(TppSearchEngineRegistry::Register(nullptr), ESearchError);
}

TEST(TextSearchOccurrences, RichHitsSpreadDownTheCommandAndSteppingStopsAtTheEnds)
{
    TppRichTextSearchEngine engine;
    TppDrawRichText rich;
    richedit::RichEdit edit;
    edit.SetText("cat cat cat cat");
    const QByteArray bytes = edit.SaveToBytes();
    rich.RichTextStream().Write(bytes.constData(), bytes.size());
    rich.SetStartCharPos(0);
    rich.SetEndCharPos(edit.TextLength());
    rich.SetTop(5000);
    rich.SetLeft(700);
    rich.SetHeight(40000);
    std::vector<std::unique_ptr<TppDrawCommandSearchInfo>> found;
    engine.BuildDrawTextSearchInfoList(&rich, 3, found, "cat");
    ASSERT_EQ(found.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(found[i]->SortTop(), 5000 + i * 10000);
        EXPECT_EQ(found[i]->TextPosition(), i * 4);
    }

    // Two page searches; equal keys keep their order.
    TppPageSearchList list;
    auto *first = new TppPageSearch();
    first->SetPageNo(2);
    for (auto &info : found)
        first->Add(info.release());
    auto *same = new TppDrawCommandSearchInfo();
    same->SetSortTop(5000);
    same->SetSortLeft(700);
    same->SetDrawCommandIndex(9);
    first->Add(same);
    first->Sort();
    EXPECT_EQ(first->GetDrawCommandForIndex(0)->DrawCommandIndex(), 3);
    EXPECT_EQ(first->GetDrawCommandForIndex(1), same);
    list.Add(first);
    auto *second = new TppPageSearch();
    second->SetPageNo(5);
    second->Add(new TppDrawCommandSearchInfo());
    list.Add(second);
    EXPECT_EQ(list.OccurrenceCount(), 6);
    list.Last();
    EXPECT_EQ(list.CurrentOccurrenceNo(), 5);
    EXPECT_EQ(list.Next(), nullptr);
    EXPECT_EQ(list.CurrentPageNo(), 5);
    EXPECT_NE(list.Prior(), nullptr);
    EXPECT_EQ(list.CurrentOccurrenceNo(), 4);
    list.ResetSearchIndex(1);
    EXPECT_EQ(list.CurrentInfo(), same);
    EXPECT_THROW(list.ResetSearchIndex(6), ESearchError);
    EXPECT_EQ(errorOf<ESearchError>([&] { list.GotoPage(3); }),
              "TppPageSearchList.GotoPage: Cannot find the page number 3 in the list of page info objects of (1-2).");
    // An entry freed from outside leaves its list.
    delete same;
    EXPECT_EQ(list.OccurrenceCount(), 5);
}

TEST(TextSearchHighlights, PlacedFromWhatTheScreenDrew)
{
    ScopedScreenPixelsPerInch ppi{96};
    QImage image(1, 1, QImage::Format_RGB32);
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    gfx::Canvas canvas(&image);
    TppDrawText text;
    text.SetText("the cat sat");
    text.SetLeft(1000);
    text.SetTop(2000);
    text.SetWidth(60000);
    text.SetScreenFontHeight(-13);
    text.SetScreenLineHeight(4000);
    text.SetScreenTextWidth(60000);
    TppDrawCommandSearchInfo info;
    info.SetOccurrenceNo(1);
    TppDrawTextSelectionHighlighter highlighter;

    gfx::Font font = text.Font()->Font();
    font.name = gfx::FaceName(TppDeviceSubstitutions::SubstituteFont(font.name.text()));
    font.height = -13;
    canvas.setFont(font);
    auto toMM = [](int aPixels) {
        return ppToMMThousandths(float(aPixels), TppUnitType::utScreenPixels, TppAxisType::atHorizontal);
    };
    const int catWidth = toMM(canvas.TextWidth(QStringLiteral("cat")));
    const int before = toMM(canvas.TextWidth(QStringLiteral("the ")));

    auto plain = highlighter.CreateHighlight(&text, &info, "cat", &canvas);
    auto *highlight = dynamic_cast<TppDrawText *>(plain.get());
    ASSERT_NE(highlight, nullptr);
    EXPECT_EQ(highlight->Text(), "cat");
    EXPECT_EQ(highlight->Width(), catWidth + 100);
    EXPECT_EQ(highlight->Left(), 1000 + before);
    EXPECT_EQ(highlight->Top(), 2000);
    EXPECT_EQ(highlight->Height(), 4000);
    EXPECT_EQ(info.BackgroundColor(), text.Color());

    text.Font()->SetStyle(gfx::fsItalic);
    font.style = gfx::fsItalic;
    canvas.setFont(font);
    const int italicWidth = toMM(canvas.TextWidth(QStringLiteral("cat")));
    EXPECT_EQ(highlighter.CreateHighlight(&text, &info, "cat", &canvas)->Width(), italicWidth + 750);

    // Right aligned: the highlight ends where the text ends.
    text.Font()->SetStyle(0);
    text.SetText("a cat");
    text.SetTextAlignment(TppTextAlignment::taRightJustified);
    auto right = highlighter.CreateHighlight(&text, &info, "cat", &canvas);
    EXPECT_NEAR(right->Left() + right->Width() - 100, 1000 + 60000, 300);

    text.SetScreenLineHeight(0);
    EXPECT_EQ(errorOf<ESearchHighlightError>([&] { highlighter.CreateHighlight(&text, &info, "cat", &canvas); }),
              "TppDrawTextHighlighter.CalculateSize: Must use a screen device to generate highlights.");
    text.SetScreenFontHeight(0);
    EXPECT_EQ(errorOf<ESearchHighlightError>([&] { highlighter.CreateHighlight(&text, &info, "cat", &canvas); }),
              "TppDrawTextHighlighter.CreateHighlight: Must use a screen device to generate highlights. TppDrawText");
}

TEST(TextSearchOccurrences, MemoHitsSortByTheirLineTopThenLeftToRight)
{
    ScopedScreenPixelsPerInch ppi{96};
    TppTextSearchEngine engine;
    engine.AssignCanvasScale();
    TppDrawText memo;
    memo.SetIsMemo(true);
    classes::TStringList lines;
    lines.Add("nothing here");
    lines.Add("cat and cat");
    memo.SetWrappedText(&lines);
    memo.SetTop(10000);
    memo.SetLeft(5000);
    TppDrawText below;
    below.SetText("a cat");
    below.SetTop(11000);
    below.SetLeft(90000);
    std::vector<std::unique_ptr<TppDrawCommandSearchInfo>> found;
    engine.BuildDrawTextSearchInfoList(&memo, 0, found, "cat");
    ASSERT_EQ(found.size(), 2u);
    EXPECT_GT(engine.LineHeight(), 1000);
    EXPECT_EQ(found[1]->TextPosition(), int(QStringLiteral("nothing here").size()) + 9);
    engine.BuildDrawTextSearchInfoList(&below, 1, found, "cat");
    TppPageSearch pageSearch;
    for (auto &info : found)
        pageSearch.Add(info.release());
    pageSearch.Sort();
    // The memo's second line lies below the text that starts lower.
    EXPECT_EQ(pageSearch.GetDrawCommandForIndex(0)->DrawCommandIndex(), 1);
    EXPECT_EQ(pageSearch.GetDrawCommandForIndex(1)->OccurrenceNo(), 1);
    EXPECT_EQ(pageSearch.GetDrawCommandForIndex(2)->OccurrenceNo(), 2);
    EXPECT_EQ(pageSearch.GetDrawCommandForIndex(2)->LineNo(), 2);

    classes::TStringList many;
    for (int i = 0; i < 10000; ++i)
        many.Add("a cat");
    memo.SetWrappedText(&many);
    found.clear();
    engine.BuildDrawTextSearchInfoList(&memo, 0, found, "cat");
    ASSERT_EQ(found.size(), 10000u);
    EXPECT_EQ(found.back()->TextPosition(), 9999 * 5 + 3);
    EXPECT_EQ(found.back()->SortTop(), 10000 + 9999 * engine.LineHeight());
}

TEST(TextSearchHighlights, AFullyJustifiedMemoIsHighlightedLineWide)
{
    ScopedScreenPixelsPerInch ppi{96};
    QImage image(1, 1, QImage::Format_RGB32);
    gfx::Canvas canvas(&image);
    TppDrawText memo;
    memo.SetIsMemo(true);
    memo.SetTextAlignment(TppTextAlignment::taFullJustified);
    classes::TStringList lines;
    lines.Add("the cat sat on");
    lines.Add(QStringLiteral("the cat$\u00B6"));
    memo.SetWrappedText(&lines);
    memo.SetLeft(3000);
    memo.SetTop(4000);
    memo.SetScreenFontHeight(-13);
    memo.SetScreenLineHeight(4000);
    memo.SetScreenTextWidth(50000);
    TppDrawTextSelectionHighlighter highlighter;
    TppDrawCommandSearchInfo info;
    info.SetOccurrenceNo(1);
    auto first = highlighter.CreateHighlight(&memo, &info, "cat", &canvas);
    auto *spread = dynamic_cast<TppDrawText *>(first.get());
    ASSERT_NE(spread, nullptr);
    EXPECT_EQ(spread->Text(), "the cat sat on");
    EXPECT_EQ(spread->TextAlignment(), TppTextAlignment::taFullJustified);
    EXPECT_EQ(spread->Left(), 3000);
    EXPECT_EQ(spread->Width(), 50000 + 100);
    // The paragraph's last line is not spread, one line lower.
    info.SetLineNo(2);
    auto last = highlighter.CreateHighlight(&memo, &info, "cat", &canvas);
    EXPECT_EQ(dynamic_cast<TppDrawText *>(last.get())->Text(), "the cat");
    EXPECT_NE(dynamic_cast<TppDrawText *>(last.get())->TextAlignment(), TppTextAlignment::taFullJustified);
    EXPECT_EQ(last->Top(), 4000 + 4000);
    // A line that lost its occurrence gets no highlight.
    info.SetOccurrenceNo(3);
    EXPECT_EQ(highlighter.CreateHighlight(&memo, &info, "cat", &canvas), nullptr);
}

TEST(TextSearchHighlights, RichTextIsColouredInPlaceAndGetsItsColoursBack)
{
    TppDrawRichText rich;
    richedit::RichEdit edit;
    edit.SetText("a cat here");
    const QByteArray bytes = edit.SaveToBytes();
    rich.RichTextStream().Write(bytes.constData(), bytes.size());
    TppDrawCommandSearchInfo info;
    info.SetTextPosition(2);
    TppDrawRichTextHighlighter highlighter;
    QImage image(1, 1, QImage::Format_RGB32);
    gfx::Canvas canvas(&image);
    auto colourAt = [&rich](int aPosition) {
        richedit::RichEdit read;
        classes::TMemoryStream &stream = rich.RichTextStream();
        read.LoadFromBytes(QByteArray(stream.Memory(), qsizetype(stream.Size())));
        read.SetSelStart(aPosition);
        read.SetSelLength(1);
        return read.SelAttributes();
    };
    const richedit::TextAttributes plain = colourAt(3);
    EXPECT_EQ(highlighter.CreateHighlight(&rich, &info, "cat", &canvas), nullptr);
    EXPECT_EQ(colourAt(3).backColor, 0x6A240A);
    EXPECT_EQ(colourAt(3).color, 0xF0FBFF);
    EXPECT_EQ(colourAt(0).color, plain.color);
    EXPECT_NE(info.BackgroundColor(), rtl::TColor(-1));
    EXPECT_EQ(info.TextColor(), plain.color);

    highlighter.RemoveHighlight(&rich, &info, "cat");
    EXPECT_EQ(colourAt(3).color, plain.color);
    EXPECT_NE(colourAt(3).backColor, 0x6A240A);
    EXPECT_EQ(info.BackgroundColor(), rtl::TColor(-1));
    TppDrawText text;
    EXPECT_THROW(highlighter.CreateHighlight(&text, &info, "cat", &canvas), ESearchHighlightError);
}

// The pages of one long text share its RTF: each is searched within its own
// range, and a highlight colours only the page it is on.
TEST(TextSearchHighlights, PagesSharingOneTextAreSearchedAndColouredEachOnItsOwn)
{
    richedit::RichEdit edit;
    edit.SetText("cat dog cat dog");
    const QByteArray bytes = edit.SaveToBytes();
    const auto source = std::make_shared<TppRichTextSource>(bytes);
    TppDrawRichText pages[2];
    for (int i = 0; i < 2; ++i) {
        pages[i].SetRichTextSource(source);
        pages[i].SetStartCharPos(8 * i);
        pages[i].SetEndCharPos(8 * i + 7);
        pages[i].SetHeight(10000);
    }
    TppRichTextSearchEngine engine;
    for (int i = 0; i < 2; ++i) {
        std::vector<std::unique_ptr<TppDrawCommandSearchInfo>> found;
        engine.BuildDrawTextSearchInfoList(&pages[1 - i], 0, found, "cat");
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(found[0]->TextPosition(), 8 * (1 - i));
    }
    // A search reads the shared text; it gives no page a copy of its own.
    EXPECT_EQ(pages[0].RichTextBytes().constData(), source->rtf.constData());
    EXPECT_EQ(pages[1].RichTextBytes().constData(), source->rtf.constData());

    TppDrawCommandSearchInfo info;
    info.SetTextPosition(8);
    TppDrawRichTextHighlighter highlighter;
    QImage image(1, 1, QImage::Format_RGB32);
    gfx::Canvas canvas(&image);
    EXPECT_EQ(highlighter.CreateHighlight(&pages[1], &info, "cat", &canvas), nullptr);
    EXPECT_NE(pages[1].RichTextBytes(), bytes);
    EXPECT_EQ(pages[0].RichTextBytes(), bytes);
    EXPECT_EQ(source->rtf, bytes);
    highlighter.RemoveHighlight(&pages[1], &info, "cat");
    richedit::RichEdit back;
    back.LoadFromBytes(pages[1].RichTextBytes());
    back.SetSelStart(8);
    back.SetSelLength(1);
    EXPECT_NE(back.SelAttributes().backColor, 0x6A240A);
}

TEST(TextSearchHighlights, AParagraphsLastLineIsNotSpreadWhenWholeWordsAreSearched)
{
    ScopedScreenPixelsPerInch ppi{96};
    QImage image(1, 1, QImage::Format_RGB32);
    gfx::Canvas canvas(&image);
    TppDrawText memo;
    memo.SetIsMemo(true);
    memo.SetTextAlignment(TppTextAlignment::taFullJustified);
    classes::TStringList lines;
    lines.Add(QStringLiteral("the cat$\u00B6"));
    memo.SetWrappedText(&lines);
    memo.SetScreenFontHeight(-13);
    memo.SetScreenLineHeight(4000);
    memo.SetScreenTextWidth(50000);
    TppDrawTextSelectionHighlighter highlighter;
    highlighter.SetWholeWord(true);
    TppDrawCommandSearchInfo info;
    info.SetOccurrenceNo(1);
    // The paragraph's end mark follows its last word without a blank.
    auto last = highlighter.CreateHighlight(&memo, &info, "cat", &canvas);
    ASSERT_NE(last, nullptr);
    EXPECT_NE(dynamic_cast<TppDrawText *>(last.get())->TextAlignment(), TppTextAlignment::taFullJustified);
}

TEST(TextSearchHighlights, RichTextInAColouredBoxGetsNoWhiteBehindTheWordBack)
{
    for (const rtl::TColor box : {rtl::TColor(0x00FFFF), rtl::TColor(0)}) {
        SCOPED_TRACE(box);
        TppDrawRichText rich;
        rich.SetColor(box);
        richedit::RichEdit edit;
        edit.SetText("a cat here");
        const QByteArray bytes = edit.SaveToBytes();
        rich.RichTextStream().Write(bytes.constData(), bytes.size());
        TppDrawCommandSearchInfo info;
        info.SetTextPosition(2);
        TppDrawRichTextHighlighter highlighter;
        QImage image(1, 1, QImage::Format_RGB32);
        gfx::Canvas canvas(&image);
        highlighter.CreateHighlight(&rich, &info, "cat", &canvas);
        highlighter.RemoveHighlight(&rich, &info, "cat");
        richedit::RichEdit read;
        classes::TMemoryStream &stream = rich.RichTextStream();
        read.LoadFromBytes(QByteArray(stream.Memory(), qsizetype(stream.Size())));
        read.SetSelStart(3);
        read.SetSelLength(1);
        // The box's own colour, or none: either shows the box through.
        const rtl::TColor back = read.SelAttributes().backColor;
        EXPECT_TRUE(back == 0 || back == box) << std::hex << back;
    }
}
