// The colour encoding and the system colour table, without any graphics
// library: this test links the runtime layer only.

#include "platform/rtl/Colors.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>

using namespace rtl;

TEST(Colors, EncodingAndSystemColourResolution)
{
    EXPECT_EQ(RGB(1, 2, 3), 0x030201);
    EXPECT_EQ((std::tuple{GetRValue(0x563412), GetGValue(0x563412), GetBValue(0x563412)}),
              (std::tuple{0x12, 0x34, 0x56}));

    setSystemColors(SystemColors::classic());
    EXPECT_EQ(clBtnFace, static_cast<TColor>(0xFF00000F));
    const std::pair<TColor, TColor> classic[] = {
        {clBtnFace, clSilver},          {clBtnShadow, clGray}, {clBtnHighlight, clWhite},
        {cl3DDkShadow, clBlack},        {clHighlight, clNavy}, {clWindow, clWhite},
        {clInfoBk, RGB(255, 255, 225)}, {clTeal, clTeal},      {clNone, clNone}};
    for (const auto &[color, rgb] : classic)
        EXPECT_EQ(ColorToRGB(color), rgb) << std::hex << color;
    EXPECT_EQ(GetSysColor(99), 0);

    SystemColors table = SystemColors::classic();
    table.setColor(COLOR_BTNFACE, RGB(0x10, 0x20, 0x30) | 0x7F000000);
    setSystemColors(table);
    EXPECT_EQ(ColorToRGB(clBtnFace), RGB(0x10, 0x20, 0x30)) << "a table entry holds only the RGB";
    setSystemColors(SystemColors::classic());
}
