#include "app/ColorLegend.h"
#include "app/MainUnit.h"
#include "app/MyConstants.h"
#include "app/SearchEngines.h"
#include "platform/rtl/FormatFloat.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

// --- engine table -----------------------------------------------------------

TEST(EngineTable, SkipsEverythingButNameColonHttpLines)
{
    const std::string table =
        "; comment with a colon: and http://example.invalid\r\n"
        "\r\n"
        "  Alpha  :http://a.example/q=YOURDOMAIN.COM\r\n"
        "Blank: http://b.example/q=YOURDOMAIN.COM\r\n"
        "No colon at all http//c.example\r\n"
        "Upper:HTTP://D.EXAMPLE/q=link:YourDomain.Com\n"         // lone LF ends a line too
        "Gamma:http://g.example/search?q=link:YOURDOMAIN.COM\n"
        "\xC9toile:http://e.example/q=YOURDOMAIN.COM";            // Latin-1 name, no final CR LF
    const auto engines = ParseSearchEngineTable(table);
    ASSERT_EQ(engines.size(), 4u);
    EXPECT_EQ(engines[0].Name, "Alpha");
    EXPECT_EQ(engines[0].URLTemplate, "http://a.example/q=YOURDOMAIN.COM");
    EXPECT_EQ(engines[1].Name, "Upper");
    EXPECT_EQ(engines[1].URLTemplate, "HTTP://D.EXAMPLE/q=link:YourDomain.Com");
    // Further colons belong to the template.
    EXPECT_EQ(engines[2].URLTemplate, "http://g.example/search?q=link:YOURDOMAIN.COM");
    EXPECT_EQ(engines[3].Name, "\xC9toile");
}

TEST(EngineTable, HundredEnginesAndBinaryNoiseKeepTheirOrder)
{
    std::string table;
    for (int i = 1; i <= 100; ++i)
        table += "E" + std::to_string(i) + ":http://e" + std::to_string(i) + ".example/?q=YOURDOMAIN.COM\r\n";
    table += std::string("\0\x01\xFF:http\0://x\r\n", 15);
    const auto engines = ParseSearchEngineTable(table);
    ASSERT_EQ(engines.size(), 100u);
    EXPECT_EQ(engines[0].Name, "E1");
    EXPECT_EQ(engines[99].Name, "E100");
}

// --- query URLs -------------------------------------------------------------

TEST(QueryURL, OrdinaryEnginesGetTheLowerCaseHostAlone)
{
    const std::string tpl = "http://q.example/search?q=link:yourdomain.com&x=YOURDOMAIN.COM";
    EXPECT_EQ(BuildSearchEngineQueryURL(tpl, "WWW.Example.COM:8080/some/path"),
              "http://q.example/search?q=link:www.example.com&x=www.example.com");
    EXPECT_EQ(BuildSearchEngineQueryURL(tpl, "https://Shop.Example.org/"),
              "http://q.example/search?q=link:shop.example.org&x=shop.example.org");
    // Another scheme is not reduced.
    EXPECT_EQ(BuildSearchEngineQueryURL("http://q.example/?q=YOURDOMAIN.COM", "ftp://Files.Example.com"),
              "http://q.example/?q=ftp://Files.Example.com");
}

TEST(QueryURL, FourEnginesTakeTheDomainAsTyped)
{
    for (const char *host : {"altavista.com", "alltheweb.com", "search.yahoo.com", "search.msn.com"}) {
        const std::string tpl = std::string("http://www.") + host + "/q?link=YOURDOMAIN.COM";
        EXPECT_TRUE(TakesDomainAsTyped(tpl)) << host;
        EXPECT_EQ(BuildSearchEngineQueryURL(tpl, "WWW.Example.com/Path"),
                  std::string("http://www.") + host + "/q?link=WWW.Example.com/Path");
    }
    EXPECT_TRUE(TakesDomainAsTyped("http://WWW.ALTAVISTA.COM/?q=YOURDOMAIN.COM"));
    EXPECT_FALSE(TakesDomainAsTyped("http://www.google.com/?q=YOURDOMAIN.COM"));
}

TEST(QueryURL, CharactersAURLCannotHoldArePercentEncoded)
{
    const std::string typed = "http://search.yahoo.com/?p=YOURDOMAIN.COM";
    EXPECT_EQ(BuildSearchEngineQueryURL(typed, "my site.com/a\"b<c>"),
              "http://search.yahoo.com/?p=my%20site.com/a%22b%3Cc%3E");
    // Windows-1252 letters travel as UTF-8; an escape already there stays.
    EXPECT_EQ(BuildSearchEngineQueryURL(typed, "b\xFC" "cher.de/%41%zz"),
              "http://search.yahoo.com/?p=b%C3%BCcher.de/%41%25zz");
    EXPECT_EQ(PercentEncodeForURL("\x80"), "%E2%82%AC");
    EXPECT_EQ(PercentEncodeForURL("a-b_c.d~e:f/g?h=i&j"), "a-b_c.d~e:f/g?h=i&j");
}

// --- colour scale and legend ------------------------------------------------

TEST(ColorScale, StepBoundaries)
{
    EXPECT_EQ(ColorScaleStepForTotal(249), 0);
    EXPECT_EQ(ColorScaleStepForTotal(250), 1);
    EXPECT_EQ(ColorScaleStepForTotal(-5), 0);
    EXPECT_EQ(ColorScaleStepForTotal(999999), 8);
    EXPECT_EQ(ColorScaleStepForTotal(1000000), 9);
    EXPECT_EQ(ColorScaleStepForTotal(999999998), 9);
    EXPECT_EQ(ColorScaleStepForTotal(999999999), -1);
    EXPECT_EQ(ColorScaleStepForTotal(std::numeric_limits<int64_t>::max()), -1);
    // Red, green, blue of the first and last step.
    EXPECT_EQ(ColorRed(ColorScaleColors[0]), 153);
    EXPECT_EQ(ColorBlue(ColorScaleColors[0]), 255);
    EXPECT_EQ(ColorBlue(ColorScaleColors[9]), 119);
    EXPECT_EQ(ColorBlue(HighlightColor), 221);
}

TEST(ColorLegend, SegmentsOfA402PixelLegend)
{
    const LegendLayout l = CalcLegendLayout(402, 16);
    EXPECT_EQ(l.fills[0], rtl::Rect(1, 1, 40, 14));
    EXPECT_EQ(l.separators[0], rtl::Rect(40, 1, 41, 14));
    EXPECT_EQ(l.fills[1], rtl::Rect(41, 1, 80, 14));
    EXPECT_EQ(l.separators[8], rtl::Rect(360, 1, 361, 14));
    // The last segment runs to the frame and takes the remainder.
    EXPECT_EQ(l.fills[9], rtl::Rect(361, 1, 400, 14));
    // The frame covers x 0..400 and y 0..14, as a rectangle to (401, 15).
    EXPECT_EQ(l.frame[0], rtl::Rect(0, 0, 401, 1));
    EXPECT_EQ(l.frame[1], rtl::Rect(0, 14, 401, 15));
    EXPECT_EQ(l.frame[3], rtl::Rect(400, 0, 401, 15));
}

TEST(ColorLegend, StepUnderTheMouseAndItsHint)
{
    EXPECT_EQ(LegendStepAt(402, 0), 0);
    EXPECT_EQ(LegendStepAt(402, 39), 0);
    EXPECT_EQ(LegendStepAt(402, 40), 1);
    EXPECT_EQ(LegendStepAt(402, 399), 9);
    EXPECT_EQ(LegendStepAt(402, 400), -1);
    // Too narrow for segments: nothing is under the mouse.
    EXPECT_EQ(LegendStepAt(5, 0), -1);
    EXPECT_EQ(LegendStepAt(0, 0), -1);

    rtl::setFormatSeparators(',', '.');
    EXPECT_EQ(LegendHint(0), "for this color status, the web site must have up to 250 references");
    EXPECT_EQ(LegendHint(9), "for this color status, the web site must have up to 999,999,999 references");
    rtl::setFormatSeparators('\0', '\0');
}

// --- counts -----------------------------------------------------------------

TEST(LinkCount, ReadsCountsWhateverTheSeparator)
{
    EXPECT_EQ(TMainForm::GetLinkCountFromText("12,345"), 12345);
    EXPECT_EQ(TMainForm::GetLinkCountFromText("12.345"), 12345);
    EXPECT_EQ(TMainForm::GetLinkCountFromText("12\xA0" "345"), 12345);
    EXPECT_EQ(TMainForm::GetLinkCountFromText(" 1 234\t567 "), 1234567);
    EXPECT_EQ(TMainForm::GetLinkCountFromText("0"), 0);
    EXPECT_EQ(TMainForm::GetLinkCountFromText(""), 0);
    EXPECT_EQ(TMainForm::GetLinkCountFromText("n/a"), 0);
}

TEST(LinkCount, AbsurdCountsNeitherWrapNorThrow)
{
    // Totals of several engines pass the 32-bit range.
    EXPECT_EQ(TMainForm::GetLinkCountFromText("3,000,000,000"), 3000000000LL);
    EXPECT_EQ(TMainForm::GetLinkCountFromText("99999999999999"), 99999999999999LL);
    EXPECT_EQ(TMainForm::GetLinkCountFromText("-5"), -5);
    EXPECT_EQ(TMainForm::GetLinkCountFromText("1e300"), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(TMainForm::GetLinkCountFromText("-1e300"), std::numeric_limits<int64_t>::min());
}

} // namespace
