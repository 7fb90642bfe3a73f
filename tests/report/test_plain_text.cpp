#include "tests/support/report/FakePrinters.h"

#include "report/model/base/Units.h"
#include "report/model/printing/Printer.h"
#include "report/model/text/PlainText.h"
#include "report/model/text/PlainTextParser.h"
#include "report/model/text/TextMarkups.h"

#include "platform/gfx/Canvas.h"

#include <gtest/gtest.h>

#include <QImage>

using namespace report;

namespace {

// At 600 dpi every character is 60 pixels (2,540 thousandths of a mm) wide
// and every line 120 pixels (5,080) high (give or take the rounding of
// 0.03937 inches a millimetre, so rectangles get a little slack).
constexpr int CharMM = 2540;
constexpr int LineMM = 5080;

class PlainTextTest : public ::testing::Test
{
protected:
    PlainTextTest() { printer.SetPrinterName("Office"); }

    // Wraps into a rectangle `chars` characters wide and `rows` lines high.
    QStringList wrap(const QString &text, int chars, int rows = 20, qsizetype *position = nullptr,
                     TppTextAlignment alignment = TppTextAlignment::taLeftJustified, bool charWrap = false)
    {
        qsizetype start = position ? *position : 0;
        QStringList lines;
        TppPlainText::WordWrap(text, rtl::TRect{0, 0, chars * (CharMM + 1), rows * LineMM + 1}, alignment, false,
                               gfx::Font{}, charWrap, 0, {}, &printer, start, lines);
        if (position)
            *position = start;
        return lines;
    }

    ScopedScreenPixelsPerInch screen{96};
    gfx::FixedTextMeasurer measurer{60, 120, 96};
    reporttest::FakePrinters fake;
    // The printer list is made with the first printer: the fake's printer
    // has to be there before.
    bool officeAdded = (fake->add("Office"), fake->setMeasurer(&measurer), true);
    TppPrinter printer;
};

QStringList tokensOf(const QString &text)
{
    TppPlainTextParser parser;
    parser.SetText(text);
    QStringList tokens;
    while (!parser.EndOfText())
        tokens << parser.NextToken();
    return tokens;
}

} // namespace

TEST(PlainTextParser, SplitsIntoWordsSingleBlanksAndLineBreaks)
{
    using L = QStringList;
    EXPECT_EQ(tokensOf(u"ab  c\td"_qs), (L{"ab", " ", " ", "c", "\t", "d"}));
    // Every kind of break is one "\r\n"; a "$" alone is a letter.
    EXPECT_EQ(tokensOf(u"a\r\nb\nc\rd$\u00B6e$f"_qs), (L{"a", "\r\n", "b", "\r\n", "c", "\r\n", "d", "\r\n", "e$f"}));
    EXPECT_EQ(tokensOf(u"x$\u00B6"_qs), (L{"x", "\r\n"}));
    // A NUL ends the text.
    EXPECT_EQ(tokensOf(QString::fromUtf16(u"ab\0cd", 5)), (L{"ab"}));
}

TEST(PlainTextParser, ReadsTheCallersTextWithoutCopyingIt)
{
    // A memo wraps page by page from where the last page stopped: a copy of
    // its whole text for each page made a large memo never end.
    const QString text = QStringLiteral("word ").repeated(1000) + QStringLiteral("\r\nend");
    TppPlainTextParser parser;
    parser.SetText(text);
    parser.SetPosition(2500);
    QStringList tokens;
    while (!parser.EndOfText())
        tokens << parser.NextToken();
    EXPECT_EQ(tokens.size(), 2 * 500 + 2);
    EXPECT_EQ(parser.Text().constData(), text.constData());
}

TEST_F(PlainTextTest, TheLineBreakMarkupSplitsAtAnyWidth)
{
    for (int chars : {3, 4, 7, 8, 50})
        EXPECT_EQ(wrap(u"one$\u00B6two"_qs, chars), (QStringList{"one", "two"})) << chars;
    EXPECT_EQ(wrap(u"one\r\ntwo\nthree\rfour"_qs, 10), (QStringList{"one", "two", "three", "four"}));
}

TEST_F(PlainTextTest, WordsMoveWholeAndTooWideWordsSplitByCharacters)
{
    EXPECT_EQ(wrap("the quick brown fox", 10), (QStringList{"the quick", "brown fox"}));
    // A word wider than the line fills the rest of the line first.
    EXPECT_EQ(wrap("a abcdefghij", 4), (QStringList{"a ab", "cdef", "ghij"}));
    // CharWrap fills each line before breaking.
    EXPECT_EQ(wrap("ab cdef", 4, 20, nullptr, TppTextAlignment::taLeftJustified, true), (QStringList{"ab c", "def"}));
    // Too narrow for one character: one goes on each line all the same.
    EXPECT_EQ(wrap("abc", 0), (QStringList{"a", "b", "c"}));
}

TEST_F(PlainTextTest, OneOrTwoBlanksAfterABreakGoAndThreeStay)
{
    EXPECT_EQ(wrap("a\n b\n  c\n   d", 10), (QStringList{"a", "b", "c", "   d"}));
    // A break inside a line of words leaves no blank at either end.
    EXPECT_EQ(wrap("abcd efgh", 6), (QStringList{"abcd", "efgh"}));
}

TEST_F(PlainTextTest, FullJustifiedParagraphsMarkTheirLastLine)
{
    EXPECT_EQ(wrap("aa bb cc\ndd", 5, 20, nullptr, TppTextAlignment::taFullJustified),
              (QStringList{"aa bb", u"cc$\u00B6"_qs, "dd"}));
}

TEST_F(PlainTextTest, AFullRectangleLeavesThePositionAtTheFirstCharacterNotPlaced)
{
    const QString text = "one two three four";
    qsizetype position = 0;
    EXPECT_EQ(wrap(text, 5, 2, &position), (QStringList{"one", "two"}));
    EXPECT_EQ(text.mid(position), "three four");
    EXPECT_EQ(wrap(text, 5, 2, &position), (QStringList{"three", "four"}));
    EXPECT_EQ(position, text.size());

    // Not one line fits: nothing is produced and the position stays.
    position = 4;
    QStringList lines{"old"};
    TppPlainText::WordWrap(text, rtl::TRect{0, 0, 50000, LineMM}, TppTextAlignment::taLeftJustified, false, gfx::Font{},
                           false, 0, {}, &printer, position, lines);
    EXPECT_TRUE(lines.isEmpty());
    EXPECT_EQ(position, 4);
}

TEST_F(PlainTextTest, HugeWordsNarrowRectanglesAndTabStops)
{
    // A 1 MB word in a 1 mm label, two lines high: one character a line.
    const QString huge(1 << 20, u'x');
    EXPECT_EQ(wrap(huge, 0, 2), (QStringList{"x", "x"}));
    // A word wider than 65,535 pixels (1,100 characters) does not seem to fit
    // a line a hundred characters wide.
    qsizetype position = 0;
    EXPECT_EQ(wrap(QString("a ") + QString(1100, u'y'), 100, 1, &position),
              (QStringList{QString("a ") + QString(98, u'y')}));
    EXPECT_EQ(position, 100);

    std::vector<int> stops;
    int count = 0;
    TppPlainText::GetTabStopArray(TppUnitType::utPrinterPixels, {"2540", "x", " 5080", "1.5"}, stops, count, &printer);
    EXPECT_EQ(stops, (std::vector<int>{60, 120}));
    EXPECT_EQ(count, 2);
    TppPlainText::GetTabStopArray(TppUnitType::utScreenPixels, {"25400"}, stops, count, nullptr);
    EXPECT_EQ(stops, (std::vector<int>{96}));
    TppPlainText::GetTabStopArray(TppUnitType::utMillimeters, {"2540"}, stops, count, &printer);
    EXPECT_TRUE(stops.empty());

    // 200 stops: the width takes the first hundred.
    QImage image(10, 10, QImage::Format_RGB32);
    gfx::Canvas canvas(&image, &measurer);
    std::vector<int> many;
    for (int i = 1; i <= 200; ++i)
        many.push_back(i * 1000);
    EXPECT_EQ(TppPlainText::GetTabbedTextWidth(canvas, "a\tb", 200, many), 1060);
    EXPECT_EQ(TppPlainText::GetTabbedTextWidth(canvas, "a\tb", 0, many),
              TppPlainText::GetTabbedTextWidth(canvas, "a\tb", 0, {}));
}

TEST_F(PlainTextTest, JustifyingSpreadsALineWithoutBlanksLetterByLetter)
{
    QImage image(10, 10, QImage::Format_RGB32);
    gfx::Canvas canvas(&image, &measurer);
    QString line = "abc";
    TppPlainText::JustifyLine(canvas, rtl::TRect{0, 0, 600, 10}, line, 0, {});
    EXPECT_EQ(line, "a b c");
    line = " ab cd ";
    TppPlainText::JustifyLine(canvas, rtl::TRect{0, 0, 600, 10}, line, 0, {});
    EXPECT_EQ(line, " ab cd ");
}

TEST_F(PlainTextTest, LineHeightAddsTheLeadingAndCountsTheLinesThatFit)
{
    int32_t lineHeight = 0;
    // 120 pixels of font and 60 of leading: 180 pixels, 7,620 thousandths.
    EXPECT_EQ(TppPlainText::LineHeight(gfx::Font{}, 2540, 76200, &printer, lineHeight), 10);
    EXPECT_EQ(lineHeight, 7620);
    EXPECT_EQ(TppPlainText::RemoveAll(u"a$\u00B6b$\u00B6"_qs, TppTextMarkups::NewLineMarkup()), "ab");
    EXPECT_EQ(TppPlainText::RemoveAll("abc", ""), "abc");
}
