// The screen device: page geometry at every zoom, the drawing of each
// command kind onto the page bitmap, and how it takes the pages its
// publisher hands out.

#include "report/content/ContentRegistration.h"
#include "report/content/drawcommands/DrawShapes.h"
#include "report/content/drawcommands/DrawText.h"
#include "report/model/ModelRegistration.h"
#include "report/model/base/Units.h"
#include "report/model/pages/Page.h"
#include "report/model/pages/PageRequest.h"
#include "report/model/printing/PageDef.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/output/screen/CommandRenderer.h"
#include "report/output/screen/ScreenDevice.h"

#include "tests/support/PixelProbes.h"
#include "tests/support/report/PageFakes.h"
#include "tests/support/report/SamplePage.h"

#include "platform/classes/StringList.h"

#include <gtest/gtest.h>

using namespace report;

namespace {

class ScreenDeviceTest : public ::testing::Test
{
protected:
    ScreenDeviceTest()
    {
        ppModelLayerInit();
        ppContentLayerInit();
    }
    ~ScreenDeviceTest() override { ppContentLayerFinalize(); }

    ScopedScreenPixelsPerInch ppi{96};
};

TppScreenPageSize sizeFor(TppZoomSettingType aSetting, int aSW, int aSH, int aPercent = 100)
{
    TppScreenPageSizeInput in;
    in.width100 = 794; // A4 at 96 dpi
    in.height100 = 1123;
    in.scrollBoxWidth = aSW;
    in.scrollBoxHeight = aSH;
    in.hasViewer = true;
    in.zoomSetting = aSetting;
    in.zoomPercentage = aPercent;
    return ppCalcScreenPageSize(in);
}

std::unique_ptr<TppPage> a4Page(int aPageNo = 1)
{
    auto page = std::make_unique<TppPage>();
    reporttest::SetA4Portrait(*page->PrinterSetup());
    page->SetAbsolutePageNo(aPageNo);
    page->SetFirstPage(aPageNo == 1);
    page->SetFinal(true);
    return page;
}

TppDrawShape *addBox(TppPage &aPage, int aLeft, int aTop, int aSize)
{
    auto *shape = new TppDrawShape();
    shape->SetLeft(aLeft);
    shape->SetTop(aTop);
    shape->SetWidth(aSize);
    shape->SetHeight(aSize);
    shape->Brush()->SetColor(rtl::clBlack);
    aPage.AddDrawCommand(shape);
    return shape;
}

} // namespace

TEST_F(ScreenDeviceTest, PageSizesFollowTheZoomSettingAndStayDrawable)
{
    // 100 %: the page and a quarter inch on each side, whatever the box.
    TppScreenPageSize s = sizeFor(TppZoomSettingType::zs100Percent, 2000, 2000);
    EXPECT_EQ(s.bitmapWidth, 794 + 48);
    EXPECT_EQ(s.bitmapHeight, 1123 + 48);
    EXPECT_EQ(s.calculatedZoom, 100);
    // Whole page: the box's height less a quarter inch, the width by ratio.
    s = sizeFor(TppZoomSettingType::zsWholePage, 600, 800);
    EXPECT_EQ(s.bitmapWidth, 600);
    EXPECT_EQ(s.pageHeight, 800 - 24);
    EXPECT_EQ(s.pageWidth, ppRound(776 * 794.0 / 1123));
    EXPECT_EQ(s.calculatedZoom, ppRound(776.0 / 1123 * 100));
    // A box narrower than the page at that height: it shrinks in quarter inches.
    s = sizeFor(TppZoomSettingType::zsWholePage, 300, 800);
    EXPECT_LT(s.pageWidth, 300);
    EXPECT_EQ((800 - 24 - s.pageHeight) % 24, 0);
    // At most half an inch: the page keeps SH - q; below the margins 1 px.
    s = sizeFor(TppZoomSettingType::zsWholePage, 40, 40);
    EXPECT_EQ(s.pageHeight, 16);
    s = sizeFor(TppZoomSettingType::zsWholePage, 0, 0);
    EXPECT_EQ(s.pageHeight, 1);
    EXPECT_EQ(s.pageWidth, 1);
    EXPECT_GE(s.bitmapWidth, 1);
    // Page width: room for the scroll bar, at least the box's height.
    s = sizeFor(TppZoomSettingType::zsPageWidth, 600, 2000);
    EXPECT_EQ(s.pageWidth, 600 - 24 - 14);
    EXPECT_EQ(s.bitmapWidth, s.pageWidth + 24);
    EXPECT_EQ(s.bitmapHeight, 2000);
    s = sizeFor(TppZoomSettingType::zsPageWidth, 10, 10);
    EXPECT_EQ(s.pageWidth, 1);
    // Percentage: clamped, never smaller than the box.
    s = sizeFor(TppZoomSettingType::zsPercentage, 600, 800, 50);
    EXPECT_EQ(s.pageWidth, 397);
    EXPECT_EQ(s.bitmapWidth, 600);
    EXPECT_EQ(s.calculatedZoom, 50);
    EXPECT_EQ(sizeFor(TppZoomSettingType::zsPercentage, 1, 1, 999).calculatedZoom, 250);
    EXPECT_EQ(sizeFor(TppZoomSettingType::zsPercentage, 1, 1, 0).calculatedZoom, 25);
}

TEST_F(ScreenDeviceTest, AHugePageIsDrawnAtTheLargestZoomThatFits)
{
    TppScreenPageSizeInput in;
    in.width100 = 40000;
    in.height100 = 60000;
    in.hasViewer = true;
    in.zoomSetting = TppZoomSettingType::zsPercentage;
    in.zoomPercentage = 250;
    const TppScreenPageSize s = ppCalcScreenPageSize(in);
    EXPECT_TRUE(s.limited);
    EXPECT_LE(s.bitmapWidth, ppMaxPageBitmapSide);
    EXPECT_LE(s.bitmapHeight, ppMaxPageBitmapSide);
    EXPECT_LE((long long)s.bitmapWidth * s.bitmapHeight, ppMaxPageBitmapPixels);
    EXPECT_LT(s.calculatedZoom, 250);
    EXPECT_GT(s.calculatedZoom, 10);
    EXPECT_FALSE(sizeFor(TppZoomSettingType::zsPercentage, 600, 800, 250).limited);
}

TEST_F(ScreenDeviceTest, APageAt100PercentLiesOnItsSurroundWhereItsCommandsSay)
{
    TppScreenDevice device;
    auto page = a4Page();
    addBox(*page, 20000, 30000, 10000);
    auto *line = new TppDrawLine();
    line->SetLeft(20000);
    line->SetTop(60000);
    line->SetWidth(50000);
    line->SetHeight(5000);
    line->SetWeight(1.5f);
    page->AddDrawCommand(line);
    device.ReceivePage(page.get());

    const QImage &bitmap = device.PageBitmap();
    ASSERT_EQ(bitmap.width(), 794 + 48);
    ASSERT_EQ(bitmap.height(), 1123 + 48);
    EXPECT_EQ(device.OffsetX(), 24);
    EXPECT_EQ(device.CalculatedZoom(), 100);
    // 20 mm is 75.59 px, rounded to 76 by the unit conversion.
    const int left = 24 + ppRound(20 * 0.03937f * 96);
    const int top = 24 + ppRound(30 * 0.03937f * 96);
    zvotest::expectPixels(bitmap, {{0, 0, 0x808080},
                                   {24, 24, rtl::clBlack}, // the page frame
                                   {25, 25, rtl::clWhite},
                                   {left - 1, top + 5, rtl::clWhite},
                                   {left, top + 5, rtl::clBlack},
                                   {left + 5, top - 1, rtl::clWhite},
                                   {left + 5, top, rtl::clBlack}});
    // A 1.5-point top line at 96 dpi is two pixels thick.
    const int lineTop = 24 + ppRound(60 * 0.03937f * 96);
    zvotest::expectPixels(bitmap, {{left + 10, lineTop, rtl::clBlack},
                                   {left + 10, lineTop + 1, rtl::clBlack},
                                   {left + 10, lineTop + 2, rtl::clWhite}});
    EXPECT_EQ(device.Page()->DrawCommands(1)->DrawLeft(), left);
}

TEST_F(ScreenDeviceTest, LinesDoubleAndKeepInsideTheirRectangle)
{
    QImage image = zvotest::blank(200, 200);
    gfx::Canvas canvas(&image);
    TppRenderSettings settings;
    settings.scaleX = settings.scaleY = 2.0;
    TppCommandRenderer renderer(canvas, settings);
    TppDrawLine line;
    line.SetWidth(10000);
    line.SetHeight(10000);
    line.SetWeight(0.75f); // one pixel, two at 200 %
    line.SetLineStyle(TppLineStyleType::lsDouble);
    line.SetLinePosition(TppLinePositionType::lpBottom);
    renderer.CalcDrawRect(line);
    const auto strokes = renderer.LineStrokes(line);
    ASSERT_EQ(strokes.size(), 4u);
    const int bottom = line.DrawBottom() - 1;
    EXPECT_EQ(strokes[0].y1, bottom);
    EXPECT_EQ(strokes[1].y1, bottom - 1);
    EXPECT_EQ(strokes[2].y1, bottom - 4); // the second line after a gap of 2n
    // An absurd weight is bounded instead of looping for minutes.
    line.SetWeight(1e9f);
    EXPECT_LE(renderer.LineStrokes(line).size(), size_t(2 * ppMaxPageBitmapSide));
}

TEST_F(ScreenDeviceTest, TextsSizeThemselvesAndSurviveHostileValues)
{
    QImage image = zvotest::blank(800, 800);
    gfx::Canvas canvas(&image);
    TppCommandRenderer renderer(canvas, TppRenderSettings{});
    TppDrawText text;
    text.SetLeft(10000);
    text.SetTop(10000);
    text.SetWidth(50000);
    text.SetHeight(1000);
    text.SetText(QStringLiteral("Wide and right"));
    text.SetAutoSize(true);
    text.SetAlignment(classes::TAlignment::taRightJustify);
    renderer.CalcDrawRect(text);
    const int right = text.DrawRight();
    renderer.DrawText(text);
    // Right-aligned auto size keeps the right edge, the left moves in, and
    // the height becomes a line.
    EXPECT_EQ(text.DrawRight(), right);
    EXPECT_GT(text.DrawLeft(), renderer.ToPixels(10000, TppAxisType::atHorizontal));
    EXPECT_GT(text.DrawBottom() - text.DrawTop(), 4);
    EXPECT_GT(text.ScreenLineHeight(), 0);

    // Font heights of 0 and 10000, a megabyte of text, negative sizes.
    for (int height : {0, 10000, -10000}) {
        TppDrawText hostile;
        hostile.Font()->SetHeight(height);
        hostile.SetWidth(-5000);
        hostile.SetHeight(-5000);
        hostile.SetText(QString(1 << 20, QChar(u'x')));
        renderer.CalcDrawRect(hostile);
        renderer.DrawText(hostile);
        EXPECT_NE(hostile.ScreenFontHeight(), 0);
    }
}

TEST_F(ScreenDeviceTest, AForcedLastLineIsSpreadToTheEdgeLikeTheOthers)
{
    QImage image = zvotest::blank(400, 200);
    gfx::Canvas canvas(&image);
    TppCommandRenderer renderer(canvas, TppRenderSettings{});
    TppDrawText memo;
    memo.SetIsMemo(true);
    memo.SetWordWrap(true);
    memo.SetTextAlignment(TppTextAlignment::taFullJustified);
    memo.SetForceJustifyLastLine(true);
    memo.SetWidth(80000);
    memo.SetHeight(40000);
    classes::TStringList lines;
    lines.Add(QStringLiteral("one two three"));
    lines.Add(QStringLiteral("four five$\u00B6"));
    memo.SetWrappedText(&lines);
    renderer.CalcDrawRect(memo);
    renderer.DrawText(memo);
    // The rightmost ink of each run of inked rows, one run per line.
    QList<int> rights;
    bool inLine = false;
    for (int y = 0; y < image.height(); ++y) {
        const int right = zvotest::inked(image.copy(0, y, image.width(), 1)).Right;
        if (right > 0 && !inLine)
            rights.append(right);
        else if (right > 0)
            rights.back() = std::max(rights.back(), right);
        inLine = right > 0;
    }
    ASSERT_EQ(rights.size(), 2);
    EXPECT_GT(rights[0], memo.DrawRight() - 4);
    EXPECT_NEAR(rights[1], rights[0], 2);
}

TEST_F(ScreenDeviceTest, AMemoThatCannotFitDrawsOnlyTheLinesItHas)
{
    QImage image = zvotest::blank(400, 400);
    gfx::Canvas canvas(&image);
    TppCommandRenderer renderer(canvas, TppRenderSettings{});
    TppDrawText memo;
    memo.SetIsMemo(true);
    memo.SetWordWrap(true);
    memo.SetWidth(20000);
    memo.SetHeight(300); // one pixel: the font cannot shrink far enough
    classes::TStringList lines;
    lines.Add(QStringLiteral("first$\u00B6"));
    lines.Add(QStringLiteral("second"));
    memo.SetWrappedText(&lines);
    renderer.CalcDrawRect(memo);
    renderer.DrawText(memo);
    // No line beyond the last one, and no markup on the page.
    EXPECT_LE(memo.ScreenFontHeight(), 0);
    EXPECT_GE(memo.ScreenFontHeight(), -2);

    TppDrawText empty;
    empty.SetIsMemo(true);
    empty.SetWordWrap(true);
    empty.SetWidth(20000);
    empty.SetHeight(20000);
    renderer.CalcDrawRect(empty);
    renderer.DrawText(empty);
    EXPECT_EQ(empty.DrawBottom() - empty.DrawTop(), renderer.ToPixels(20000, TppAxisType::atVertical));
}

TEST_F(ScreenDeviceTest, UnknownCommandsAreLeftToTheirRegisteredRoutine)
{
    reporttest::StandInCommandClasses standIns;
    TppScreenDevice device;
    auto page = a4Page();
    auto *standIn = new reporttest::StandInLineCommand();
    page->AddDrawCommand(standIn);
    EXPECT_FALSE(device.Draw(standIn));
    int calls = 0;
    TppScreenDevice::RegisterDrawRoutine(reporttest::StandInLineCommand::StaticClass(),
                                         [&](TppScreenDevice &aDevice, TppDrawCommand &) {
                                             ++calls;
                                             return aDevice.Canvas() != nullptr;
                                         });
    EXPECT_TRUE(device.Draw(standIn));
    device.ReceivePage(page.get());
    EXPECT_EQ(calls, 2);
    TppScreenDevice::UnRegisterDrawRoutine(reporttest::StandInLineCommand::StaticClass());
    EXPECT_FALSE(device.Draw(standIn));
}

TEST_F(ScreenDeviceTest, ACalculationPageOutsideTheRequestOnlyUpdatesTheCount)
{
    TppScreenDevice device;
    auto shown = a4Page(1);
    shown->SetAbsolutePageCount(1);
    device.ReceivePage(shown.get());
    ASSERT_EQ(device.AbsolutePageNo(), 1);

    int drawn = 0;
    device.OnPageDrawn.Set([&](classes::TObject *) { ++drawn; });
    auto calc = a4Page(5);
    calc->SetCalculation(true);
    calc->SetAbsolutePageCount(5);
    calc->SetPageCount(5);
    device.ReceivePage(calc.get());
    EXPECT_EQ(device.AbsolutePageNo(), 1);
    EXPECT_EQ(device.Page()->AbsolutePageCount(), 5);
    EXPECT_EQ(device.Page()->PageCount(), 5);
    EXPECT_EQ(drawn, 0);
    EXPECT_TRUE(device.Status().contains(QStringLiteral("Calculating page 5")));

    // A page of the same count leaves the page count alone.
    device.Page()->SetPageCount(2);
    device.ReceivePage(calc.get());
    EXPECT_EQ(device.Page()->PageCount(), 2);

    // Nothing is drawn for a page of no size.
    auto empty = a4Page(1);
    empty->PageDef()->SetmmWidth(0);
    device.PageRequest()->SetPageSetting(TppPageSettingType::psAll);
    device.ReceivePage(empty.get());
    EXPECT_EQ(drawn, 0);
}

TEST_F(ScreenDeviceTest, AMemoShrinksItsFontOneStepForEachLineTooWide)
{
    QImage image = zvotest::blank(400, 400);
    gfx::Canvas canvas(&image);
    TppCommandRenderer renderer(canvas, TppRenderSettings{});
    const auto fitted = [&](const QStringList &aLines) {
        TppDrawText memo;
        memo.SetIsMemo(true);
        memo.SetWordWrap(true);
        memo.SetWidth(10000);  // about 38 px
        memo.SetHeight(90000); // room enough for the lines' height
        memo.Font()->SetHeight(-13);
        classes::TStringList lines;
        for (const QString &line : aLines)
            lines.Add(line);
        memo.SetWrappedText(&lines);
        renderer.CalcDrawRect(memo);
        renderer.DrawText(memo);
        return memo.ScreenFontHeight();
    };
    const QString wide(60, QChar(u'W'));
    EXPECT_EQ(fitted({wide, QStringLiteral("i")}), -12);
    EXPECT_EQ(fitted({wide, wide, wide}), -10);
    EXPECT_EQ(fitted({QStringLiteral("i"), QStringLiteral("i")}), -13);
}
