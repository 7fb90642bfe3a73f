#include "foundation/MyUtilities.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace foundation;
using namespace std::string_literals;

TEST(MyUtilitiesText, StrPosFindsOrGivesZero)
{
    EXPECT_EQ(StrPos("Hello World", "WORLD", false), 7);
    EXPECT_EQ(StrPos("Hello World", "WORLD", true), 0);
    EXPECT_EQ(StrPos("Hello", "", false), 0);
    EXPECT_EQ(StrPos("", "a", false), 0);
    EXPECT_EQ(StrPosFrom(2, "abab", "ab", true), 3);
    EXPECT_EQ(StrPosFrom(0, "abab", "ab", true), 0); // an assertion inside gives 0
    EXPECT_EQ(StrPosFrom(-5, "abab", "ab", false), 0);
    EXPECT_EQ(StrPosFrom(9, "abab", "ab", false), 0);
}

TEST(MyUtilitiesText, SubstringsClampToTheText)
{
    struct Case
    {
        std::string got, want;
    };
    const Case cases[] = {
        {LeftStr("abc", 2), "ab"},
        {LeftStr("abc", 9), "abc"},
        {LeftStr("abc", -1), ""},
        {RightStr("abc", 2), "bc"},
        {RightStr("abc", 9), "abc"},
        {RightStr("abc", 0), ""},
        {CopyFrom("abcdef", 3), "cdef"},
        {CopyFrom("abc", 0), "abc"},
        {CopyFrom("abc", 4), ""},
        {CopyStr("abcdef", 2, 3), "bcd"},
        {CopyStr("abcdef", 5, 9), "ef"},
        {CopyStr("abcdef", 0, 2), "ab"},
        {CopyStr("abcdef", 7, 1), ""},
        {CopyStr("abcdef", 2, -3), ""},
        {ReplaceText("1 of ABOUT 20", "about ", "", false), "1 of 20"},
        {ReplaceText("x", "", "y", false), "x"},
        {ReplaceText("a\0b"s, "\0"s, "-", true), "a-b"},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(cases[i].got, cases[i].want) << "case " << i;
}

TEST(MyUtilitiesText, GetFieldCountsFromOne)
{
    struct Case
    {
        const char *text, *delimiter;
        int index;
        const char *field;
    };
    const Case cases[] = {
        {"a;b;;d", ";", 1, "a"},
        {"a;b;;d", ";", 3, ""},
        {"a;b;;d", ";", 4, "d"},
        {"a;b;;d", ";", 5, ""},
        {"a;b;;d", ";", 0, ""},
        {"a;b;", ";", 3, ""},
        {"whole", "", 1, "whole"},
        {"whole", "", 2, ""},
        {"oneXYtwoxythree", "xy", 2, "two"},
        {"oneXYtwoxythree", "xy", 3, "three"},
        // A delimiter that overlaps itself: every hit counts, the overlapped
        // field is empty.
        {"a;;;b", ";;", 1, "a"},
        {"a;;;b", ";;", 2, ""},
        {"a;;;b", ";;", 3, "b"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(GetField(c.text, c.delimiter, c.index), c.field) << c.text << " " << c.delimiter << c.index;

    EXPECT_EQ(GetFieldCount("a;b;;d", ";"), 4);
    EXPECT_EQ(GetFieldCount("", ";"), 0);
    EXPECT_EQ(GetFieldCount("abc", ""), 0);
    EXPECT_EQ(GetFieldCount("abc", ";"), 1);
    EXPECT_EQ(GetFieldCount("aXYbxyc", "xy"), 3);
    EXPECT_EQ(GetFieldCount("aaa", "a"), 4);
}

TEST(MyUtilitiesText, StrToNumberReadsLeniently)
{
    struct Case
    {
        const char *text;
        double value;
    };
    const Case cases[] = {
        {"1,5", 1.5},
        {"1,234,567", 1.234},
        {"2340 links", 2340},
        {"links", 0},
        {"-7", -7},
        {"", 0},
        {"   12", 12},
        {"+3", 3},
        {".5", 0.5},
        {"5.", 5},
        {"1e3", 1000},
        {"1.5E-2x", 0.015},
        {"12E", 12},
        {"12e+", 12},
        {"-", 0},
        {".", 0},
        {"- 5", 0},
        {"1e-400", 0},
        {"0.1", 0.1},
        {"007", 7},
        {"12 345", 12},
    };
    for (const Case &c : cases)
        EXPECT_EQ(StrToNumber(c.text), c.value) << c.text;
    EXPECT_EQ(StrToNumber("3\0004"s), 3);
    // Correctly rounded: an accumulating reader gets these wrong.
    EXPECT_EQ(StrToNumber("9007199254740993"), 9007199254740992.0);
    EXPECT_EQ(StrToNumber("2.2250738585072011e-308"), 2.2250738585072011e-308);
    EXPECT_TRUE(std::isinf(StrToNumber("1e400")));
    EXPECT_TRUE(std::isinf(StrToNumber("-123456789e99999999999999999")));
    EXPECT_FALSE(std::signbit(StrToNumber("-0")));
    // Not taken by this reader, unlike the C library's.
    EXPECT_EQ(StrToNumber("inf"), 0);
    EXPECT_EQ(StrToNumber("nan"), 0);
    EXPECT_EQ(StrToNumber("0x1A"), 0);
}

TEST(MyUtilitiesText, WhitespaceAndNonAsciiCleaning)
{
    EXPECT_EQ(NormalizeWhitespace("one\t\r\n   two"), "one two");
    EXPECT_EQ(NormalizeWhitespace("\r\n x  \t"), " x ");
    EXPECT_EQ(RemoveNonASCIIChars("M\xfcller", "", true), "Mueller");
    EXPECT_EQ(RemoveNonASCIIChars("M\xfcller", "", false), "Mller");
    EXPECT_EQ(RemoveNonASCIIChars("\xc0\xc6\xdf\xe5\xff\xd6", "", true), "AAEssayOe");
    // Letters without an entry and other high characters take the replacement.
    EXPECT_EQ(RemoveNonASCIIChars("\xe6\xf8\x80z", "?", true), "???z");
    EXPECT_EQ(RemoveNonASCIIChars("1\xa0"
                                  "000",
                                  "", false),
              "1000");
}

TEST(MyUtilitiesText, ExtractFirstLineSplitsAtCrLf)
{
    // A last line with or without its line end.
    for (std::string text : {"one\ntwo\r\n\r\nthree", "one\ntwo\r\n\r\nthree\r\n"}) {
        std::vector<std::string> lines;
        while (!text.empty())
            lines.push_back(ExtractFirstLine(text));
        EXPECT_EQ(lines, (std::vector<std::string>{"one\ntwo", "", "three"}));
    }
}
