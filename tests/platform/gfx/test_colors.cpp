#include "tests/support/PixelProbes.h"

#include <QPalette>

#include <gtest/gtest.h>

using namespace gfx;
using namespace rtl;
using zvotest::at;
using zvotest::blank;

TEST(GfxGeometry, RectConversionKeepsExclusiveEdges)
{
    const rtl::TRect r{2, 3, 12, 8};
    const QRect q = ToQRect(r);
    EXPECT_EQ(q, QRect(2, 3, 10, 5)); // QRect's right edge is the last pixel
    EXPECT_EQ(FromQRect(q), r);
    EXPECT_EQ(FromQRect(QRect(0, 0, 1, 1)), (rtl::TRect{0, 0, 1, 1}));
    EXPECT_TRUE(ToQRect(rtl::TRect{5, 5, 5, 9}).isEmpty());
}

TEST(GfxColors, QtConversionKeepsTheEncodingAndResolvesSystemColours)
{
    // 0x00BBGGRR: red lives in the low byte.
    EXPECT_EQ(ToQColor(clRed), QColor(255, 0, 0));
    EXPECT_EQ(ToQColor(clNavy), QColor(0, 0, 128));
    EXPECT_EQ(FromQColor(QColor(0x12, 0x34, 0x56)), 0x563412);
    setSystemColors(SystemColors::classic());
    EXPECT_EQ(ToQColor(clBtnFace), QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(ToQColor(clNone).alpha(), 0);
    EXPECT_EQ(FromQColor(QColor(Qt::transparent)), clNone);
}

TEST(GfxColors, PaletteDerivedTableDrivesDrawing)
{
    QPalette pal;
    pal.setColor(QPalette::Active, QPalette::Button, QColor(0x10, 0x20, 0x30));
    pal.setColor(QPalette::Active, QPalette::Highlight, QColor(0x40, 0x50, 0x60));
    setSystemColors(systemColorsFromPalette(pal));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(0x10, 0x20, 0x30));
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), RGB(0x40, 0x50, 0x60));

    QImage img = blank(10, 10);
    zvotest::paint(img, [](Canvas &c) { c.FillRect(rtl::TRect{0, 0, 5, 5}, Brush::solid(clBtnFace)); });
    EXPECT_EQ(at(img, 2, 2), RGB(0x10, 0x20, 0x30));
    setSystemColors(SystemColors::classic());
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), clSilver);
}
