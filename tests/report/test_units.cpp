#include "report/model/base/Font.h"
#include "report/model/printing/PageDef.h"
#include "report/model/base/Units.h"

#include "platform/classes/ClassErrors.h"
#include "tests/support/report/ReportFakes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace report;

namespace {

constexpr auto H = TppAxisType::atHorizontal;
constexpr auto V = TppAxisType::atVertical;

class Units : public ::testing::Test
{
protected:
    ScopedScreenPixelsPerInch screen{96};
    reporttest::FakePrinterResolution printer{600, 600};
};

} // namespace

// The values stored reports were laid out with; one unit off moves a band
// and breaks pages later.
TEST_F(Units, GoldenConversionsAt96PixelsPerInch)
{
    struct ToCase
    {
        float value;
        TppUnitType unit;
        int32_t thousandths;
    };
    const ToCase to[] = {
        {65, TppUnitType::utScreenPixels, 17198}, {17, TppUnitType::utScreenPixels, 4498},
        {50, TppUnitType::utScreenPixels, 13229}, {1.0f, TppUnitType::utInches, 25400},
        {8.5f, TppUnitType::utInches, 215900},    {10, TppUnitType::utInches, 254001},
        {11, TppUnitType::utInches, 279401},      {0.0236f, TppUnitType::utInches, 599},
        {1, TppUnitType::utPrinterPixels, 42},    {2.5f, TppUnitType::utMillimeters, 2500},
        {2.5f, TppUnitType::utMMThousandths, 2},  {3.5f, TppUnitType::utMMThousandths, 4},
    };
    for (const ToCase &c : to)
        EXPECT_EQ(ppToMMThousandths(c.value, c.unit, H, &printer), c.thousandths) << c.value << " " << int(c.unit);

    struct FromCase
    {
        int32_t thousandths;
        TppUnitType unit;
        float value;
    };
    const FromCase from[] = {
        {10000, TppUnitType::utScreenPixels, 38},   {210000, TppUnitType::utScreenPixels, 794},
        {215900, TppUnitType::utScreenPixels, 816}, {25400, TppUnitType::utInches, 1.0f},
        {600, TppUnitType::utInches, 0.0236f},      {25400, TppUnitType::utPrinterPixels, 600},
        {1500, TppUnitType::utMillimeters, 1.5f},   {-7, TppUnitType::utMMThousandths, -7},
    };
    for (const FromCase &c : from)
        EXPECT_EQ(ppFromMMThousandths(c.thousandths, c.unit, V, &printer), c.value) << c.thousandths;

    // 600 thousandths shown in inches and typed back lose one: the drift
    // that later code has to live with.
    EXPECT_EQ(ppToMMThousandths(ppFromMMThousandths(600, TppUnitType::utInches, H), TppUnitType::utInches, H), 599);
}

TEST_F(Units, PrinterPixelsFollowTheAxisAndFallBackToTheScreen)
{
    const reporttest::FakePrinterResolution wide{600, 300};
    EXPECT_EQ(ppFromMMThousandths(25400, TppUnitType::utPrinterPixels, H, &wide), 600);
    EXPECT_EQ(ppFromMMThousandths(25400, TppUnitType::utPrinterPixels, V, &wide), 300);
    EXPECT_EQ(ppFromMMThousandths(25400, TppUnitType::utPrinterPixels, V, nullptr), 96);
}

TEST_F(Units, TenthsOfAMillimetre)
{
    EXPECT_EQ(ppFromTenthMillimeters(2970, TppUnitType::utMillimeters, H), 297);
    EXPECT_EQ(ppFromTenthMillimeters(2975, TppUnitType::utMillimeters, H), 298);
    EXPECT_EQ(ppFromTenthMillimeters(2985, TppUnitType::utMillimeters, H), 298);
    // Inches move in steps of one screen pixel: 210 mm are 794 pixels.
    EXPECT_EQ(ppFromTenthMillimeters(2100, TppUnitType::utInches, H), 8.2708f);
    EXPECT_EQ(ppFromTenthMillimeters(2100, TppUnitType::utScreenPixels, H), 794);
    EXPECT_EQ(ppFromTenthMillimeters(2100, TppUnitType::utMMThousandths, H), 210000);
    EXPECT_EQ(ppToTenthMillimeters(8.5f, TppUnitType::utInches, H), 2159);
    EXPECT_EQ(ppToTenthMillimeters(11, TppUnitType::utInches, H), 2794);
    EXPECT_EQ(ppToTenthMillimeters(297.46f, TppUnitType::utMillimeters, H), 2975);
    EXPECT_EQ(ppToTenthMillimeters(250, TppUnitType::utMMThousandths, H), 2);
    // The remainder of pixels is dropped, towards zero.
    EXPECT_EQ(ppToTenthMillimeters(65, TppUnitType::utScreenPixels, H), 171);
    EXPECT_EQ(ppToTenthMillimeters(-65, TppUnitType::utScreenPixels, H), -171);
}

TEST_F(Units, ScreenPixelsGoThroughThousandths)
{
    EXPECT_EQ(ppToScreenPixels(1.0f, TppUnitType::utInches, H), 96);
    EXPECT_EQ(ppFromScreenPixels(96, TppUnitType::utInches, H), 1.0f);
    EXPECT_EQ(ppFromScreenPixels(65, TppUnitType::utMMThousandths, H), 17198);
    ScopedScreenPixelsPerInch large(120);
    EXPECT_EQ(ppScreenPixelsPerInch(), 120);
    EXPECT_EQ(ppToScreenPixels(1.0f, TppUnitType::utInches, H), 120);
}

TEST_F(Units, BadValuesGiveAResultNeverAFault)
{
    const auto bad = TppUnitType(7);
    EXPECT_EQ(ppFromMMThousandths(25400, bad, H), 0.0f);
    EXPECT_EQ(ppToMMThousandths(1.0f, bad, H), 0);
    EXPECT_EQ(ppFromTenthMillimeters(100, bad, H), 0.0f);
    EXPECT_EQ(ppToTenthMillimeters(1.0f, bad, H), 0);

    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (const TppUnitType unit : {TppUnitType::utScreenPixels, TppUnitType::utInches, TppUnitType::utMillimeters,
                                   TppUnitType::utPrinterPixels, TppUnitType::utMMThousandths}) {
        EXPECT_EQ(ppToMMThousandths(nan, unit, H, &printer), 0);
        EXPECT_EQ(ppToMMThousandths(1e30f, unit, H, &printer), INT32_MAX);
        EXPECT_EQ(ppToMMThousandths(-1e30f, unit, H, &printer), INT32_MIN);
        EXPECT_EQ(ppToMMThousandths(inf, unit, H, &printer), INT32_MAX);
        // Saturated, never wrapped round to a positive value.
        EXPECT_LE(ppToTenthMillimeters(-1e30f, unit, H, &printer), -21000000);
        EXPECT_TRUE(std::isfinite(ppFromTenthMillimeters(INT32_MAX, unit, H, &printer)));
        EXPECT_TRUE(std::isfinite(ppFromMMThousandths(INT32_MIN, unit, H, &printer)));
    }
    EXPECT_EQ(ppRound(2.5), 2);
    EXPECT_EQ(ppRound(-2.5), -2);
    EXPECT_EQ(ppRound(3.5), 4);
}

TEST_F(Units, PageDefinition)
{
    TppPageDef page;
    page.SetmmWidth(210000);
    page.SetmmHeight(297000);
    page.SetmmMarginLeft(6350);
    page.SetmmMarginRight(6350);
    page.SetmmMarginTop(10000);
    page.SetmmMarginBottom(20000);
    EXPECT_EQ(page.mmPrintableWidth(), 197300);
    EXPECT_EQ(page.mmPrintableHeight(), 267000);
    EXPECT_EQ(page.mmPrintableRect(), rtl::Rect(6350, 10000, 203650, 277000));
    EXPECT_EQ(page.spWidth(), 794);
    EXPECT_EQ(page.spHeight(), 1123);
    EXPECT_EQ(page.spPrintableWidth(), 746);

    TppPageDef copy;
    copy.Assign(&page);
    EXPECT_TRUE(copy.IsEqual(page));
    copy.SetmmMarginBottom(0);
    EXPECT_FALSE(copy.IsEqual(page));

    // Nothing clamps margins wider than the paper.
    copy.SetmmMarginLeft(150000);
    copy.SetmmMarginRight(100000);
    EXPECT_EQ(copy.mmPrintableWidth(), -40000);
    EXPECT_LT(copy.spPrintableWidth(), 0);

    TppFont font;
    EXPECT_THROW(copy.Assign(&font), classes::EConvertError);
    EXPECT_THROW(font.Assign(&copy), classes::EConvertError);
    EXPECT_TRUE(copy.ClassType().FindProperty("mmMarginBottom"));
}

// Offscreen (as the tests run) the screen has the resolution stored reports
// are laid out for.
TEST(ScreenMetrics, TheOffscreenScreenHas96PixelsPerInch)
{
    EXPECT_EQ(ppScreenPixelsPerInch(), 96);
    {
        ScopedScreenPixelsPerInch outer(144);
        ScopedScreenPixelsPerInch inner(0);
        EXPECT_EQ(ppScreenPixelsPerInch(), 96);
    }
    EXPECT_EQ(ppScreenPixelsPerInch(), 96);
}
