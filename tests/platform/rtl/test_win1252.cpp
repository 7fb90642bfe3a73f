#include "platform/rtl/Win1252.h"

#include <gtest/gtest.h>

using namespace rtl;

TEST(Win1252, UpperCaseCoversAccentedLettersButNotDivisionSignOrSharpS)
{
    EXPECT_EQ(AnsiUpperCase("abc xyz"), "ABC XYZ");
    EXPECT_EQ(AnsiUpper(0xFC), 0xDC); // ü -> Ü
    EXPECT_EQ(AnsiUpper(0xE9), 0xC9); // é -> É
    EXPECT_EQ(AnsiUpper(0xF7), 0xF7); // ÷ has no capital
    EXPECT_EQ(AnsiUpper(0xDF), 0xDF); // ß stays
    EXPECT_EQ(AnsiUpper(0xFF), 0x9F); // ÿ -> Ÿ
    EXPECT_EQ(AnsiUpper(0x9A), 0x8A); // š -> Š
    EXPECT_EQ(AnsiLowerCase("\xDC"
                            "BER"),
              "\xFC"
              "ber");
}

TEST(Win1252, UnicodeRoundTripOfEveryByte)
{
    for (int c = 0; c < 256; ++c)
        EXPECT_EQ(UnicodeToAnsi(AnsiToUnicode(uint8_t(c))), c) << c;
    EXPECT_EQ(AnsiToUnicode(0x80), u'\u20AC');
    EXPECT_EQ(UnicodeToAnsi(u'\u4E2D'), 0);
}
