// The rich-text engine: a device rectangle in twips, pages of a long text
// that cover every position once, the heights it works out, drawing only
// the lines of the range, and the back colours a search highlighter gets.

#include "report/content/richtext/RTFEngine.h"

#include "report/content/drawcommands/DrawRichText.h"

#include "platform/gfx/Canvas.h"
#include "platform/richedit/RichEdit.h"

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <gtest/gtest.h>

#include <memory>
#include <tuple>

namespace {

using report::TppCharRange;
using report::TppRTFDeviceContext;
using report::TppRTFEngine;

QByteArray richTextEngineDocument(int aParagraphs)
{
    QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1 Times New Roman;}}";
    for (int p = 0; p < aParagraphs; ++p) {
        rtf += (p % 4 == 0) ? "\\pard\\qc\\f1\\fs32\\b " : "\\pard\\qj\\f0\\fs20\\b0 ";
        rtf += "Paragraph " + QByteArray::number(p) +
               " carries enough words to wrap over more than one line of a "
               "narrow column, with a\\tab tab and \\u955? in it.\\par ";
    }
    return rtf + "}";
}

// A copy of the text laid out as the engine lays it out, to tell where its
// lines begin: the engine leaves the rich edit's own document unlaid.
std::unique_ptr<QTextDocument> richTextEngineLines(const richedit::RichEdit &aEdit, double aWidth)
{
    static QImage device = [] {
        QImage image(1, 1, QImage::Format_RGB32);
        image.setDotsPerMeterX(3780);
        image.setDotsPerMeterY(3780);
        return image;
    }();
    std::unique_ptr<QTextDocument> copy(aEdit.Document().clone());
    copy->setDocumentMargin(0);
    copy->setUseDesignMetrics(true);
    QTextOption option = copy->defaultTextOption();
    option.setTabStopDistance(48);
    copy->setDefaultTextOption(option);
    copy->documentLayout()->setPaintDevice(&device);
    copy->setTextWidth(aWidth);
    return copy;
}

TEST(RichTextEngine, FormatRectangleIsInTwipsWithTheInset)
{
    EXPECT_EQ(TppRTFEngine::FormatRect(rtl::Rect(0, 0, 96, 96), 96, 96), rtl::Rect(45, 0, 1440, 1440));
    EXPECT_EQ(TppRTFEngine::FormatRect(rtl::Rect(600, 300, 1200, 900), 600, 300), rtl::Rect(1485, 1440, 2880, 4320));
}

TEST(RichTextEngine, PagesOfALongTextCoverEveryPositionOnce)
{
    richedit::RichEdit edit;
    edit.LoadFromBytes(richTextEngineDocument(60));
    const int length = edit.TextLength();
    const TppRTFDeviceContext printer{nullptr, 600, 600, true};
    const rtl::TRect page = rtl::Rect(0, 0, 3000, 2400); // 5 by 4 inches
    // 7200 - 45 twips, 15 to a layout pixel.
    const std::unique_ptr<QTextDocument> laid = richTextEngineLines(edit, 477);
    int start = 0;
    int pages = 0;
    for (;;) {
        ASSERT_LT(++pages, 100);
        int height = 0;
        int last = -1;
        const bool fits = TppRTFEngine::Fit(edit, printer, height, last, page, {start, length - 1});
        if (fits) {
            EXPECT_GT(height, 0);
            EXPECT_LE(height, page.Height() + 100);
            break;
        }
        EXPECT_EQ(height, page.Height());
        // The page ends at a line's end and the next begins right after it.
        ASSERT_GE(last, start);
        const QTextBlock block = laid->findBlock(last + 1);
        laid->documentLayout()->blockBoundingRect(block);
        const QTextLine line = block.layout()->lineForTextPosition(last + 1 - block.position());
        ASSERT_TRUE(line.isValid());
        EXPECT_EQ(block.position() + line.textStart(), last + 1);
        start = last + 1;
    }
    EXPECT_GT(pages, 3);

    // Drawn again page by page on a page-sized image, each page takes its
    // lines and the next page's first line shows on none of them.
    QImage image(3000, 2400, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const TppRTFDeviceContext canvas{&painter, 600, 600, true};
    EXPECT_GT(TppRTFEngine::Render(edit, canvas, {0, length - 1}, rtl::Rect(0, 0, 3000, 1200), canvas), 0);
    painter.end();
    int inked = 0;
    for (int y = 0; y < 2400; y += 4) {
        for (int x = 0; x < 3000; x += 4) {
            if (qGray(image.pixel(x, y)) < 128) {
                ASSERT_LT(y, 1200) << "a line below the rectangle";
                ++inked;
            }
        }
    }
    EXPECT_GT(inked, 100);
}

TEST(RichTextEngine, AnOverflowOfOnlyALineBreakFits)
{
    richedit::RichEdit edit;
    edit.LoadFromBytes("{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 one line\\par}");
    ASSERT_EQ(edit.Text(), QStringLiteral("one line\n"));
    const TppRTFDeviceContext printer{nullptr, 600, 600, true};
    const int oneLine = TppRTFEngine::CalcLineHeight(edit, printer, {0, 7});
    const rtl::TRect rect = rtl::Rect(0, 0, 3000, oneLine + 20);
    int height = 0;
    int last = -1;
    EXPECT_TRUE(TppRTFEngine::Fit(edit, printer, height, last, rect, {0, edit.TextLength()}));
    EXPECT_TRUE(TppRTFEngine::Fit(edit, printer, height, last, rect, {0, edit.TextLength() - 1}));
}

TEST(RichTextEngine, ALastLineOfOneCharacterThatDoesNotFitIsLeftForTheNextPage)
{
    richedit::RichEdit edit;
    edit.LoadFromBytes("{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 line one\\par X}");
    const TppRTFDeviceContext printer{nullptr, 600, 600, true};
    const int oneLine = TppRTFEngine::CalcLineHeight(edit, printer, {0, 7});
    int height = 0;
    int last = -1;
    EXPECT_FALSE(TppRTFEngine::Fit(edit, printer, height, last, rtl::Rect(0, 0, 3000, oneLine + 20),
                                   {0, edit.TextLength() - 1}));
    EXPECT_EQ(last, 8); // the paragraph break; "X" begins the next page
    EXPECT_TRUE(
        TppRTFEngine::Fit(edit, printer, height, last, rtl::Rect(0, 0, 3000, 3 * oneLine), {0, edit.TextLength() - 1}));
}

TEST(RichTextEngine, HeightsFollowTheLargestFontAndTheLines)
{
    richedit::RichEdit edit;
    edit.LoadFromBytes("{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 small {\\fs48 large} small}");
    const TppRTFDeviceContext screen{nullptr, 96, 96, false};
    const TppRTFDeviceContext printer{nullptr, 600, 600, true};
    // 24 points at 96 dpi is 32 pixels; the printer adds the descent.
    EXPECT_EQ(TppRTFEngine::CalcLineHeight(edit, screen, {0, -1}), 32);
    EXPECT_GT(TppRTFEngine::CalcLineHeight(edit, printer, {0, -1}), 200);
    EXPECT_LT(TppRTFEngine::CalcLineHeight(edit, printer, {0, -1}), 260);

    edit.LoadFromBytes(richTextEngineDocument(3));
    const rtl::TRect tall = rtl::Rect(0, 0, 3000, 20000);
    const int all = TppRTFEngine::CalcHeight(edit, printer, tall, {0, -1});
    const int first = TppRTFEngine::CalcHeight(edit, printer, tall, {0, int(edit.Lines()[0].size())});
    EXPECT_GT(first, 0);
    EXPECT_GT(all, first + 200);
    // What CalcHeight gives is room enough for the text, within a line.
    int height = 0;
    int last = 0;
    EXPECT_TRUE(TppRTFEngine::Fit(edit, printer, height, last, rtl::Rect(0, 0, 3000, all), {0, -1}));
    EXPECT_FALSE(TppRTFEngine::Fit(edit, printer, height, last, rtl::Rect(0, 0, 3000, all - 200), {0, -1}));
}

TEST(RichTextEngine, SelBackColorAnswersTheColourUnderTheSelection)
{
    richedit::RichEdit edit;
    edit.LoadFromBytes("{\\rtf1{\\colortbl;\\red0\\green255\\blue0;}plain {\\highlight1 green}}");
    edit.SetSelStart(0);
    edit.SetSelLength(5);
    bool plain = false;
    EXPECT_EQ(TppRTFEngine::SetSelBackColor(edit, 0x0000FF, plain), 0);
    EXPECT_TRUE(plain);
    EXPECT_EQ(edit.SelAttributes().backColor, 0x0000FF);
    edit.SetSelStart(6);
    edit.SetSelLength(5);
    EXPECT_EQ(TppRTFEngine::SetSelBackColor(edit, 0x0000FF, plain), 0x00FF00);
    EXPECT_TRUE(plain);

    // Without a back colour of its own the control's colour answers.
    edit.SetSelStart(5);
    edit.SetSelLength(1);
    edit.SetColor(0);
    EXPECT_EQ(TppRTFEngine::SetSelBackColor(edit, 0x0000FF, plain), 0xFFFFFF);
    EXPECT_TRUE(plain);
    edit.LoadFromBytes("x");
    edit.SetSelLength(1);
    edit.SetColor(0x808080);
    EXPECT_EQ(TppRTFEngine::SetSelBackColor(edit, 0x0000FF, plain), 0xFFFFFF);
    EXPECT_FALSE(plain);
}

// The rows of an image that hold ink, as bands of [first, last] rows.
QList<std::pair<int, int>> richTextInkBands(const QImage &aImage)
{
    QList<std::pair<int, int>> bands;
    for (int y = 0; y < aImage.height(); ++y) {
        bool ink = false;
        for (int x = 0; x < aImage.width() && !ink; ++x)
            ink = qGray(aImage.pixel(x, y)) < 160;
        if (!ink)
            continue;
        if (!bands.isEmpty() && bands.last().second >= y - 1)
            bands.last().second = y;
        else
            bands.append({y, y});
    }
    return bands;
}

// Fits the pages of the whole text at 600 dpi one after the other, from the
// start: aPage sees the first and last position of each page that does not
// hold the rest. The start of the page that does (-1 past aLimit pages or at
// a fatal failure); aPages counts them all.
template <class PageCheck>
int richTextEnginePages(richedit::RichEdit &aEdit, const rtl::TRect &aPage, int aLimit, int &aPages, PageCheck aCheck)
{
    const TppRTFDeviceContext printer{nullptr, 600, 600, true};
    int start = 0;
    for (aPages = 1; aPages <= aLimit && !::testing::Test::HasFatalFailure(); ++aPages) {
        int height = 0;
        int last = -1;
        if (TppRTFEngine::Fit(aEdit, printer, height, last, aPage, {start, aEdit.TextLength() - 1}))
            return start;
        EXPECT_GE(last, start);
        aCheck(start, last);
        start = std::max(last + 1, start + 1);
    }
    ADD_FAILURE() << "the pages do not end";
    return -1;
}

// 4,500 paragraphs of 22 inches each are taller than the document layout
// holds in one piece (about 8.4 million of its pixels); laid out whole, the
// pages past that height never came.
TEST(RichTextEngine, PagesOfATextTallerThanTheLayoutCanHoldReachItsEnd)
{
    QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20\\sa31680 ";
    for (int p = 0; p < 4500; ++p)
        rtf += "Line " + QByteArray::number(p) + "\\par ";
    richedit::RichEdit edit;
    edit.LoadFromBytes(rtf + "}");
    const int length = edit.TextLength();
    const TppRTFDeviceContext printer{nullptr, 600, 600, true};
    // 30 inches: two lines and the space between them.
    int pages = 0;
    const int start = richTextEnginePages(edit, rtl::Rect(0, 0, 3000, 18000), 3000, pages, [&](int aStart, int) {
        ASSERT_EQ(edit.Document().findBlock(aStart).blockNumber(), 2 * (pages - 1));
    });
    ASSERT_GE(start, 0);
    EXPECT_EQ(pages, 2250);
    EXPECT_EQ(edit.Document().findBlock(start).text(), QStringLiteral("Line 4498"));

    // The last page draws its lines: "Line 4498" at the top.
    QImage image(3000, 600, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    EXPECT_EQ(TppRTFEngine::Render(edit, {&painter, 600, 600, true}, {start, length - 1}, rtl::Rect(0, 0, 3000, 600),
                                   printer),
              edit.Document().findBlock(start).next().position());
    painter.end();
    EXPECT_FALSE(richTextInkBands(image.convertToFormat(QImage::Format_Grayscale8)).isEmpty());
}

// Laid out a few pages at a time, a text of thousands of paragraphs still
// breaks its pages where the lines of the whole text laid out in one piece
// say: at a line's start, and each page as full as the next line allows.
TEST(RichTextEngine, PagesOfATextOfManyParagraphsAreFullPagesOfWholeLines)
{
    richedit::RichEdit edit;
    edit.LoadFromBytes(richTextEngineDocument(3000));
    const std::unique_ptr<QTextDocument> laid = richTextEngineLines(edit, 477);
    QAbstractTextDocumentLayout *layout = laid->documentLayout();
    // The line holding a position, and its top and bottom in the whole text.
    const auto lineAt = [&](int aPosition) {
        const QTextBlock block = laid->findBlock(aPosition);
        const double top = layout->blockBoundingRect(block).top();
        const QTextLine line = block.layout()->lineForTextPosition(aPosition - block.position());
        return std::tuple{line, top + line.y(), top + line.y() + line.height(), block.position()};
    };
    // 384 layout pixels tall.
    int pages = 0;
    const int start = richTextEnginePages(edit, rtl::Rect(0, 0, 3000, 2400), 2000, pages, [&](int aStart, int aLast) {
        const auto [first, top, firstBottom, firstBlock] = lineAt(aStart);
        const auto [next, nextTop, nextBottom, nextBlock] = lineAt(aLast + 1);
        ASSERT_TRUE(next.isValid());
        ASSERT_EQ(nextBlock + next.textStart(), aLast + 1) << "page " << pages;
        ASSERT_GT(nextBottom - top, 384.01) << "page " << pages;
        ASSERT_LE(nextTop - top, 384.01) << "page " << pages;
    });
    ASSERT_GE(start, 0);
    EXPECT_GT(pages, 300);
    EXPECT_EQ(laid->findBlock(start).blockNumber() / 10, 299);
}

TEST(RichTextEngine, PrinterAndScreenDrawTheSameLinesOfTheirRange)
{
    richedit::RichEdit edit;
    edit.LoadFromBytes(richTextEngineDocument(8));
    report::TppDrawRichText command;
    command.SetWidth(127000); // 5 inches
    command.SetHeight(50800); // 2 inches
    const QByteArray rtf = edit.SaveToBytes();
    command.RichTextStream().WriteBuffer(rtf.constData(), rtf.size());
    // The first page's range, as the control would measure it at 300 dpi.
    int height = 0;
    int last = 0;
    const TppRTFDeviceContext printer{nullptr, 300, 300, true};
    ASSERT_FALSE(
        TppRTFEngine::Fit(edit, printer, height, last, rtl::Rect(0, 0, 1500, 600), {0, edit.TextLength() - 1}));
    command.SetStartCharPos(0);
    command.SetEndCharPos(last);
    command.SetColor(0x00FFFF);

    QImage paper(1600, 700, QImage::Format_RGB32);
    paper.fill(Qt::white);
    {
        gfx::Canvas canvas(&paper);
        EXPECT_TRUE(command.DrawToPrinter(canvas, rtl::Rect(50, 50, 1550, 650), {300, 300}));
    }
    QImage screen(1600 * 96 / 300, 700 * 96 / 300, QImage::Format_RGB32);
    screen.fill(Qt::white);
    {
        gfx::Canvas canvas(&screen);
        EXPECT_TRUE(command.DrawToScreen(canvas, rtl::Rect(16, 16, 496, 208), {300, 300}));
    }
    // Opaque: the rectangle takes the colour, the sheet around it does not.
    EXPECT_EQ(paper.pixelColor(60, 640), QColor(255, 255, 0));
    EXPECT_EQ(paper.pixelColor(20, 20), QColor(Qt::white));

    // The same number of text lines, each at the same height of the sheet.
    const auto paperLines = richTextInkBands(paper.convertToFormat(QImage::Format_Grayscale8));
    const auto screenLines = richTextInkBands(screen);
    ASSERT_GE(paperLines.size(), 3);
    ASSERT_EQ(paperLines.size(), screenLines.size());
    for (int i = 0; i < paperLines.size(); ++i)
        EXPECT_NEAR(paperLines[i].first * 96.0 / 300, screenLines[i].first, 3) << i;
    EXPECT_LT(paperLines.last().second, 650);

    // The next page begins with the line after the last one drawn here.
    command.SetStartCharPos(last + 1);
    command.SetEndCharPos(edit.TextLength() - 1);
    command.SetTransparent(true);
    QImage next(1600, 700, QImage::Format_RGB32);
    next.fill(Qt::white);
    {
        gfx::Canvas canvas(&next);
        command.DrawToPrinter(canvas, rtl::Rect(50, 50, 1550, 650), {300, 300});
    }
    EXPECT_EQ(next.pixelColor(60, 640), QColor(Qt::white));
    EXPECT_NE(next, paper);
}

} // namespace
