#include "foundation/MyUtilities.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

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
    EXPECT_EQ(LeftStr("abc", 2), "ab");
    EXPECT_EQ(LeftStr("abc", 9), "abc");
    EXPECT_EQ(LeftStr("abc", 0), "");
    EXPECT_EQ(LeftStr("abc", -1), "");
    EXPECT_EQ(RightStr("abc", 2), "bc");
    EXPECT_EQ(RightStr("abc", 9), "abc");
    EXPECT_EQ(RightStr("abc", 0), "");
    EXPECT_EQ(CopyFrom("abcdef", 3), "cdef");
    EXPECT_EQ(CopyFrom("abc", 0), "abc");
    EXPECT_EQ(CopyFrom("abc", 4), "");
    EXPECT_EQ(CopyStr("abcdef", 2, 3), "bcd");
    EXPECT_EQ(CopyStr("abcdef", 5, 9), "ef");
    EXPECT_EQ(CopyStr("abcdef", 0, 2), "ab");
    EXPECT_EQ(CopyStr("abcdef", 7, 1), "");
    EXPECT_EQ(CopyStr("abcdef", 2, 0), "");
    EXPECT_EQ(CopyStr("abcdef", 2, -3), "");
}

TEST(MyUtilitiesText, ReplaceText)
{
    EXPECT_EQ(ReplaceText("1 of ABOUT 20", "about ", "", false), "1 of 20");
    EXPECT_EQ(ReplaceText("x", "", "y", false), "x");
    EXPECT_EQ(ReplaceText("a\0b"s, "\0"s, "-", true), "a-b");
}

TEST(MyUtilitiesText, GetFieldCountsFromOne)
{
    EXPECT_EQ(GetField("a;b;;d", ";", 1), "a");
    EXPECT_EQ(GetField("a;b;;d", ";", 2), "b");
    EXPECT_EQ(GetField("a;b;;d", ";", 3), "");
    EXPECT_EQ(GetField("a;b;;d", ";", 4), "d");
    EXPECT_EQ(GetField("a;b;;d", ";", 5), "");
    EXPECT_EQ(GetField("a;b;;d", ";", 0), "");
    EXPECT_EQ(GetField("a;b;", ";", 3), "");
    EXPECT_EQ(GetField("whole", "", 1), "whole");
    EXPECT_EQ(GetField("whole", "", 2), "");
    EXPECT_EQ(GetField("oneXYtwoxythree", "xy", 2), "two");
    EXPECT_EQ(GetField("oneXYtwoxythree", "xy", 3), "three");
    // A delimiter that overlaps itself: every hit counts, the overlapped
    // field is empty.
    EXPECT_EQ(GetField("a;;;b", ";;", 1), "a");
    EXPECT_EQ(GetField("a;;;b", ";;", 2), "");
    EXPECT_EQ(GetField("a;;;b", ";;", 3), "b");
    EXPECT_EQ(GetField("domain\t3\thttp://x", "\t", 3), "http://x");

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
        {"1,5", 1.5},     {"1,234,567", 1.234}, {"2340 links", 2340}, {"links", 0},      {"-7", -7},
        {"", 0},          {"   12", 12},        {"+3", 3},            {".5", 0.5},       {"5.", 5},
        {"1e3", 1000},    {"1.5E-2x", 0.015},   {"12E", 12},          {"12e+", 12},      {"-", 0},
        {".", 0},         {"- 5", 0},           {"1e-400", 0},        {"0.1", 0.1},      {"007", 7},
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

TEST(MyUtilitiesText, NormalizeWhitespace)
{
    EXPECT_EQ(NormalizeWhitespace("one\t\r\n   two"), "one two");
    EXPECT_EQ(NormalizeWhitespace("\r\n x  \t"), " x ");
    EXPECT_EQ(NormalizeWhitespace(std::string(1000, ' ')), " ");
}

TEST(MyUtilitiesText, RemoveNonASCIIChars)
{
    EXPECT_EQ(RemoveNonASCIIChars("M\xfcller", "", true), "Mueller");
    EXPECT_EQ(RemoveNonASCIIChars("M\xfcller", "", false), "Mller");
    EXPECT_EQ(RemoveNonASCIIChars("\xc0\xc6\xdf\xe5\xff\xd6", "", true), "AAEssayOe");
    // Letters without an entry and other high characters take the replacement.
    EXPECT_EQ(RemoveNonASCIIChars("\xe6\xf8\x80z", "?", true), "???z");
    EXPECT_EQ(RemoveNonASCIIChars("1\xa0" "000", "", false), "1000");
}

TEST(MyUtilitiesText, ExtractFirstLineSplitsAtCrLf)
{
    std::string text = "ab\r\nc";
    EXPECT_EQ(ExtractFirstLine(text), "ab");
    EXPECT_EQ(text, "c");
    EXPECT_EQ(ExtractFirstLine(text), "c");
    EXPECT_EQ(text, "");

    text = "ab\r\n";
    EXPECT_EQ(ExtractFirstLine(text), "ab");
    EXPECT_EQ(text, "");

    text = "one\ntwo\r\n\r\nthree";
    std::vector<std::string> lines;
    while (!text.empty())
        lines.push_back(ExtractFirstLine(text));
    EXPECT_EQ(lines, (std::vector<std::string>{"one\ntwo", "", "three"}));
}
