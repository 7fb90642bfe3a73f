#include "tests/support/PixelProbes.h"

#include <QPalette>

#include <gtest/gtest.h>

using namespace gfx;
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

TEST(GfxColors, EncodingAndSystemColourResolution)
{
    // 0x00BBGGRR: red lives in the low byte.
    EXPECT_EQ(ToQColor(clRed), QColor(255, 0, 0));
    EXPECT_EQ(ToQColor(clNavy), QColor(0, 0, 128));
    EXPECT_EQ(FromQColor(QColor(0x12, 0x34, 0x56)), 0x563412);
    EXPECT_EQ(RGB(1, 2, 3), 0x030201);

    setSystemColors(SystemColors::classic());
    EXPECT_EQ(clBtnFace, static_cast<TColor>(0xFF00000F));
    const std::pair<TColor, TColor> classic[] = {
        {clBtnFace, clSilver},          {clBtnShadow, clGray}, {clBtnHighlight, clWhite},
        {cl3DDkShadow, clBlack},        {clHighlight, clNavy}, {clWindow, clWhite},
        {clInfoBk, RGB(255, 255, 225)}, {clTeal, clTeal},      {clNone, clNone}};
    for (const auto &[color, rgb] : classic)
        EXPECT_EQ(ColorToRGB(color), rgb) << std::hex << color;
    EXPECT_EQ(ToQColor(clNone).alpha(), 0);
    EXPECT_EQ(GetSysColor(99), 0);
}

TEST(GfxColors, PaletteDerivedTableDrivesDrawing)
{
    QPalette pal;
    pal.setColor(QPalette::Active, QPalette::Button, QColor(0x10, 0x20, 0x30));
    pal.setColor(QPalette::Active, QPalette::Highlight, QColor(0x40, 0x50, 0x60));
    setSystemColors(SystemColors::fromPalette(pal));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(0x10, 0x20, 0x30));
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), RGB(0x40, 0x50, 0x60));

    QImage img = blank(10, 10);
    zvotest::paint(img, [](Canvas &c) { c.FillRect(rtl::TRect{0, 0, 5, 5}, Brush::solid(clBtnFace)); });
    EXPECT_EQ(at(img, 2, 2), RGB(0x10, 0x20, 0x30));
    setSystemColors(SystemColors::classic());
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), clSilver);
}
