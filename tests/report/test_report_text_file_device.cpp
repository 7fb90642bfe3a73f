// The report-text device: texts on a character grid, wrapped lines on rows
// of their own, the lines a page gives, and the grid taken from the fonts.

#include "tests/support/report/SamplePage.h"

#include "report/content/drawcommands/DrawText.h"
#include "report/model/base/Units.h"
#include "report/model/pages/Page.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/output/ReportTextFileDevice.h"

#include "platform/classes/Graphics.h"
#include "platform/classes/StringList.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFontInfo>
#include <QTemporaryDir>

using namespace report;

namespace {

std::unique_ptr<TppPage> gridPage(bool aLast)
{
    auto page = std::make_unique<TppPage>();
    reporttest::SetA4Portrait(*page->PrinterSetup());
    page->SetLastPage(aLast);
    return page;
}

TppDrawText *addGridText(TppPage &aPage, const QString &aText, int32_t aLeft, int32_t aTop, int32_t aWidth,
                         classes::TAlignment aAlignment = classes::TAlignment::taLeftJustify, int aFontSize = 10)
{
    auto *text = new TppDrawText;
    text->SetText(aText);
    text->SetLeft(aLeft);
    text->SetTop(aTop);
    text->SetWidth(aWidth);
    text->SetAlignment(aAlignment);
    classes::TFont font;
    font.SetName(QStringLiteral("Courier New"));
    font.SetSize(aFontSize);
    text->SetFont(&font);
    aPage.AddDrawCommand(text);
    return text;
}

QByteArray gridRun(TppReportTextFileDevice &aDevice, const std::vector<std::unique_ptr<TppPage>> &aPages)
{
    QTemporaryDir folder;
    aDevice.SetFileName(folder.filePath(QStringLiteral("page.txt")));
    aDevice.StartJob();
    for (const auto &page : aPages)
        aDevice.WritePage(page.get());
    aDevice.EndJob();
    QFile file(aDevice.FileName());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// A4 as 21 columns of 10 mm and 33 rows of 9 mm.
void fixedGrid(TppReportTextFileDevice &aDevice)
{
    aDevice.SetAutoCalcGrid(false);
    aDevice.SetAutoFontSize(false);
    aDevice.SetCharsPerLine(21);
    aDevice.SetLinesPerPage(33);
}

} // namespace

TEST(ReportTextFileDevice, TextsLandOnTheirCellsAndEveryPageHasAllItsLines)
{
    std::vector<std::unique_ptr<TppPage>> pages;
    pages.push_back(gridPage(false));
    // Row 1: "ab" right-aligned in 3 columns from column 2, "x" centred in
    // 2 columns from column 5 (half-even: the blank after it).
    addGridText(*pages[0], QStringLiteral("ab"), 10000, 0, 20000, classes::TAlignment::taRightJustify);
    addGridText(*pages[0], QStringLiteral("x"), 40000, 500, 10000, classes::TAlignment::taCenter);
    // Row 3; a text wider than its field is cut, unless it sizes itself.
    addGridText(*pages[0], QStringLiteral("cut here"), 0, 18000, 20000);
    addGridText(*pages[0], QStringLiteral("whole"), 100000, 18000, 0)->SetAutoSize(true);
    // Above the page and below the grid: not on it.
    addGridText(*pages[0], QStringLiteral("above"), 0, -20000, 50000);
    addGridText(*pages[0], QStringLiteral("below"), 0, 400000, 50000);
    // Left of the page: from the first column.
    addGridText(*pages[0], QStringLiteral("left"), -30000, 27000, 30000);
    // Beyond the line: after its last blank.
    addGridText(*pages[0], QStringLiteral("far"), 500000, 36000, 30000);
    // Without texts: nothing.
    pages.push_back(gridPage(false));
    pages.push_back(gridPage(true));
    addGridText(*pages[2], QStringLiteral("end"), 0, 0, 30000);

    TppReportTextFileDevice device;
    fixedGrid(device);
    const QByteArray out = gridRun(device, pages);
    const QList<QByteArray> lines = out.split('\n');
    ASSERT_EQ(lines.size(), 66); // 33 and 33, the last without a line end
    EXPECT_EQ(lines[0], QByteArray("  abx\r"));
    EXPECT_EQ(lines[1], QByteArray("\r"));
    EXPECT_EQ(lines[2], QByteArray("cut       whole\r"));
    EXPECT_EQ(lines[3], QByteArray("left\r"));
    EXPECT_EQ(lines[4], QByteArray(QByteArray(21, ' ') + "far\r"));
    EXPECT_EQ(lines[32], QByteArray("\r"));
    EXPECT_EQ(lines[33], QByteArray("end\r"));
    EXPECT_EQ(lines[65], QByteArray());
    EXPECT_TRUE(out.endsWith("\r\n"));
    EXPECT_FALSE(out.contains("above"));
    EXPECT_FALSE(out.contains("below"));
}

TEST(ReportTextFileDevice, ZeroAndHugeGridsStillWriteAPage)
{
    std::vector<std::unique_ptr<TppPage>> pages;
    pages.push_back(gridPage(true));
    addGridText(*pages[0], QStringLiteral("a"), 0, 0, 1000);
    TppReportTextFileDevice zero;
    fixedGrid(zero);
    zero.SetCharsPerLine(0);
    zero.SetLinesPerPage(0);
    EXPECT_EQ(gridRun(zero, pages), QByteArray("a"));

    TppReportTextFileDevice huge;
    fixedGrid(huge);
    huge.SetCharsPerLine(100000);
    huge.SetLinesPerPage(100000);
    const QByteArray out = gridRun(huge, pages);
    EXPECT_EQ(out.size(), 1 + 2 * 99999);
    EXPECT_TRUE(out.startsWith("a\r\n\r\n"));
}

TEST(ReportTextFileDevice, TheGridFollowsCourierNewAndWrappedLinesTakeRowsOfTheirOwn)
{
    const ScopedScreenPixelsPerInch dpi(96);
    const QFontInfo courier(gfx::ToQFont(gfx::Font{"Courier New", 10}, 96));
    EXPECT_EQ(courier.family(), QStringLiteral("Liberation Mono"));

    std::vector<std::unique_ptr<TppPage>> pages;
    pages.push_back(gridPage(true));
    TppDrawText *memo = addGridText(*pages[0], QString(), 0, 0, 100000);
    classes::TStringList wrapped;
    wrapped.Add(QStringLiteral("one"));
    wrapped.Add(QStringLiteral("two$\u00b6"));
    wrapped.Add(QStringLiteral("three"));
    memo->SetWrappedText(&wrapped);
    TppReportTextFileDevice device;
    const QByteArray out = gridRun(device, pages);
    EXPECT_EQ(device.GridFontSize(), 10);
    EXPECT_GT(device.CharsPerLine(), 60);
    EXPECT_GT(device.LinesPerPage(), 40);
    EXPECT_EQ(out.count('\n'), device.LinesPerPage() - 1);
    EXPECT_TRUE(out.startsWith("one\r\ntwo\r\nthree\r\n\r\n"));

    // The first text's font picks the grid's size.
    for (const auto &[size, want] : std::vector<std::pair<int, int>>{{6, 8}, {8, 8}, {10, 10}, {12, 12}, {20, 12}}) {
        std::vector<std::unique_ptr<TppPage>> sized;
        sized.push_back(gridPage(true));
        addGridText(*sized[0], QStringLiteral("t"), 0, 0, 1000, classes::TAlignment::taLeftJustify, size);
        TppReportTextFileDevice sizedDevice;
        gridRun(sizedDevice, sized);
        EXPECT_EQ(sizedDevice.GridFontSize(), want) << size;
    }
}

// On a grid of one thousandth of a millimetre per cell, positions at the
// ends of the integer range are still cells: a text far right is not pulled
// back to the first column, and one far below is not on the page.
TEST(ReportTextFileDevice, PositionsAtTheEndsOfTheRangeStayWhereTheyAre)
{
    std::vector<std::unique_ptr<TppPage>> pages;
    pages.push_back(gridPage(true));
    addGridText(*pages[0], QStringLiteral("right"), INT32_MAX, 0, 0)->SetAutoSize(true);
    addGridText(*pages[0], QStringLiteral("left"), INT32_MIN, 0, INT32_MIN)->SetAutoSize(true);
    addGridText(*pages[0], QStringLiteral("top"), 10, 0, 0)->SetAutoSize(true);
    addGridText(*pages[0], QStringLiteral("under"), 0, INT32_MAX, 0)->SetAutoSize(true);
    TppReportTextFileDevice device;
    fixedGrid(device);
    device.SetCharsPerLine(300000);
    device.SetLinesPerPage(300000);
    const QByteArray out = gridRun(device, pages);
    const qsizetype lineEnd = out.indexOf('\r');
    const QByteArray first = out.left(lineEnd);
    EXPECT_TRUE(first.startsWith("left      top ")) << first.left(20).constData();
    EXPECT_TRUE(first.endsWith(" right")) << first.right(20).constData();
    EXPECT_EQ(out.count('\n'), 299999);
    EXPECT_FALSE(out.contains("under"));
}

// A character beyond one UTF-16 unit takes one column.
TEST(ReportTextFileDevice, ColumnsCountCharacters)
{
    const QString smile = QStringLiteral("\U0001F600");
    std::vector<std::unique_ptr<TppPage>> pages;
    pages.push_back(gridPage(true));
    addGridText(*pages[0], smile + smile + smile, 0, 0, 20000);
    addGridText(*pages[0], QStringLiteral("x"), 30000, 0, 0);
    addGridText(*pages[0], smile, 40000, 0, 0)->SetAutoSize(true);
    addGridText(*pages[0], QStringLiteral("y"), 50000, 0, 0);
    TppReportTextFileDevice device;
    fixedGrid(device);
    const QByteArray out = gridRun(device, pages);
    EXPECT_EQ(out.left(out.indexOf('\r')), (smile + smile + smile + "x" + smile + "y").toUtf8());
}

// On a grid of one thousandth of a millimetre per column, a field of the
// widest width stands for two thousand million blanks: the line holds what
// it can show, its own length.
TEST(ReportTextFileDevice, AFieldWiderThanTheLineIsPaddedOnlyToTheLinesEnd)
{
    std::vector<std::unique_ptr<TppPage>> pages;
    pages.push_back(gridPage(true));
    addGridText(*pages[0], QStringLiteral("right"), 0, 0, INT32_MAX, classes::TAlignment::taRightJustify);
    addGridText(*pages[0], QStringLiteral("left"), 0, 9000, INT32_MAX);
    addGridText(*pages[0], QStringLiteral("x"), 100, 9000, 0);
    addGridText(*pages[0], QStringLiteral("centre"), 209998, 18000, INT32_MAX, classes::TAlignment::taCenter);
    TppReportTextFileDevice device;
    fixedGrid(device);
    device.SetCharsPerLine(210000);
    const QList<QByteArray> lines = gridRun(device, pages).split('\n');
    ASSERT_EQ(lines.size(), 33);
    EXPECT_EQ(lines[0], QByteArray(210000 - 5, ' ') + "right\r");
    EXPECT_EQ(lines[1], "left" + QByteArray(96, ' ') + "x\r");
    // Two columns left: the text goes on past the line's end, whole.
    EXPECT_EQ(lines[2], QByteArray(209998, ' ') + "centre\r");
}

// A box that ends at the page's right edge runs a column or two past the
// line: its text still ends where its field does. Only a field reaching
// beyond twice the line's length is cut back to the line's end.
TEST(ReportTextFileDevice, AFieldRunningPastTheLinesEndKeepsItsPlaceUpToTwiceTheLine)
{
    std::vector<std::unique_ptr<TppPage>> pages;
    pages.push_back(gridPage(true));
    // Columns 20 to 23 of a line of 21.
    addGridText(*pages[0], QStringLiteral("ab"), 190000, 0, 30000, classes::TAlignment::taRightJustify);
    addGridText(*pages[0], QStringLiteral("xy"), 190000, 9000, 30000, classes::TAlignment::taCenter);
    // Columns 12 to 42: twice the line, still whole.
    addGridText(*pages[0], QStringLiteral("end"), 110000, 18000, 300000, classes::TAlignment::taRightJustify);
    // One column more: cut back to the line's end.
    addGridText(*pages[0], QStringLiteral("end"), 110000, 27000, 310000, classes::TAlignment::taRightJustify);
    // A text after a long field on the same line still lands on its column.
    addGridText(*pages[0], QStringLiteral("L"), 0, 36000, 250000, classes::TAlignment::taRightJustify);
    addGridText(*pages[0], QStringLiteral("r"), 200000, 36000, 10000);
    TppReportTextFileDevice device;
    fixedGrid(device);
    const QList<QByteArray> lines = gridRun(device, pages).split('\n');
    ASSERT_EQ(lines.size(), 33);
    EXPECT_EQ(lines[0], QByteArray(21, ' ') + "ab\r");
    EXPECT_EQ(lines[1], QByteArray(20, ' ') + "xy\r");
    EXPECT_EQ(lines[2], QByteArray(39, ' ') + "end\r");
    EXPECT_EQ(lines[3], QByteArray(18, ' ') + "end\r");
    EXPECT_EQ(lines[4], QByteArray(20, ' ') + "r" + QByteArray(4, ' ') + "L\r");
}
