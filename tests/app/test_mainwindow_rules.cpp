#include "app/ColorLegend.h"
#include "app/MainUnit.h"
#include "app/MyConstants.h"
#include "app/SearchEngines.h"
#include "app/StoredDomains.h"
#include "platform/rtl/FormatFloat.h"
#include "platform/rtl/LocalNames.h"

#include <gtest/gtest.h>

#include <limits>

using namespace app;

namespace {

// A stored line becomes a row only when the list can save it and read it back
// as it was: a tab, a line break or another control character in the site
// would shift or split the row in the list's file.
TEST(StoredDomains, OnlyLinesTheListCanKeepBecomeRows)
{
    const std::optional<StoredSite> full = ReadStoredSite("http://stored.example*12345,6*1000* 2 *3*4*5*6");
    ASSERT_TRUE(full);
    EXPECT_EQ(full->Site, "stored.example");
    EXPECT_EQ(full->Counts, (std::array<double, 6>{12345.6, 1000, 2, 3, 4, 5}));
    const std::optional<StoredSite> short_ = ReadStoredSite("short.example*7");
    ASSERT_TRUE(short_);
    EXPECT_EQ(short_->Counts, (std::array<double, 6>{7, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(ReadStoredSite(std::string(253, 'a') + "*1"));
    for (const std::string &bad :
         {std::string("tab\tsite.example*1*2"), std::string("nul\0site.example*1", 19), std::string("bell\a.example"),
          std::string("cr\rsite.example*1"), std::string("del\x7F.example"), std::string(254, 'a') + "*1",
          std::string(10240, 'b'), std::string(""), std::string("   *1*2"), std::string("http://*1"),
          std::string("words.example*many*1"), std::string("huge.example*1e999"), std::string("minus.example*1*-5")})
        EXPECT_FALSE(ReadStoredSite(bad)) << rtl::printableBytes(bad);
}

// The update installs a table only when the program could use it: one with
// no engine would stop every start, one past the bound would lose engines.
TEST(EngineTable, ATableIsUsableWithOneToTheBoundsEngines)
{
    std::string table;
    for (size_t i = 1; i <= MaxSearchEngines; ++i)
        table += "E" + std::to_string(i) + ":http://e.example/?q=YOURDOMAIN.COM\r\n";
    EXPECT_EQ(foundation::SearchEngineTableRefusal(table), "");
    EXPECT_EQ(foundation::SearchEngineTableRefusal("One:http://e.example/?q=YOURDOMAIN.COM"), "");
    table += "Past:http://e.example/?q=YOURDOMAIN.COM\r\n";
    EXPECT_NE(foundation::SearchEngineTableRefusal(table), "");
    for (const char *unusable : {"", "<html>Not found</html>\r\n", "Blank: http://e.example/\r\n"})
        EXPECT_EQ(foundation::SearchEngineTableRefusal(unusable), "holds no search engine") << unusable;
}

TEST(EngineTable, KeepsOnlyNameColonHttpLinesInTheirOrder)
{
    std::string table = "; comment with a colon: and http://example.invalid\r\n"
                        "\r\n"
                        "  Alpha  :http://a.example/q=YOURDOMAIN.COM\r\n"
                        "Blank: http://b.example/q=YOURDOMAIN.COM\r\n"
                        "No colon at all http//c.example\r\n"
                        "Upper:HTTP://D.EXAMPLE/q=link:YourDomain.Com\n" // lone LF ends a line too
                        "Gamma:http://g.example/search?q=link:YOURDOMAIN.COM\n";
    for (int i = 1; i <= 100; ++i)
        table += "E" + std::to_string(i) + ":http://e.example/?q=YOURDOMAIN.COM\r\n";
    table += std::string("\0\x01\xFF:http\0://x\r\n", 15);
    table += "\xC9toile:http://e.example/q=YOURDOMAIN.COM"; // Latin-1 name, no final CR LF
    const auto engines = ParseSearchEngineTable(table);
    ASSERT_EQ(engines.size(), 104u);
    EXPECT_EQ(engines[0].Name, "Alpha");
    EXPECT_EQ(engines[0].URLTemplate, "http://a.example/q=YOURDOMAIN.COM");
    EXPECT_EQ(engines[1].URLTemplate, "HTTP://D.EXAMPLE/q=link:YourDomain.Com");
    // Further colons belong to the template.
    EXPECT_EQ(engines[2].URLTemplate, "http://g.example/search?q=link:YOURDOMAIN.COM");
    EXPECT_EQ(engines[102].Name, "E100");
    EXPECT_EQ(engines[103].Name, "\xC9toile");
}

TEST(QueryURL, HostInLowerCaseOrTheDomainAsTypedPercentEncoded)
{
    const std::string tpl = "http://q.example/search?q=link:yourdomain.com&x=YOURDOMAIN.COM";
    const std::string typed = "http://search.yahoo.com/?p=YOURDOMAIN.COM";
    const struct
    {
        std::string tpl, domain, url;
    } cases[] = {
        {tpl, "WWW.Example.COM:8080/some/path", "http://q.example/search?q=link:www.example.com&x=www.example.com"},
        {tpl, "https://Shop.Example.org/", "http://q.example/search?q=link:shop.example.org&x=shop.example.org"},
        // Another scheme is not reduced.
        {"http://q.example/?q=YOURDOMAIN.COM", "ftp://Files.Example.com",
         "http://q.example/?q=ftp://Files.Example.com"},
        {typed, "my site.com/a\"b<c>", "http://search.yahoo.com/?p=my%20site.com/a%22b%3Cc%3E"},
        // Windows-1252 letters travel as UTF-8; an escape already there stays.
        {typed,
         "b\xFC"
         "cher.de/%41%zz",
         "http://search.yahoo.com/?p=b%C3%BCcher.de/%41%25zz"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(BuildSearchEngineQueryURL(c.tpl, c.domain), c.url) << c.domain;
    EXPECT_EQ(PercentEncodeForURL("\x80"), "%E2%82%AC");
    EXPECT_EQ(PercentEncodeForURL("a-b_c.d~e:f/g?h=i&j"), "a-b_c.d~e:f/g?h=i&j");

    for (const char *host : {"altavista.com", "alltheweb.com", "search.yahoo.com", "search.msn.com"}) {
        const std::string hostTpl = std::string("http://www.") + host + "/q?link=YOURDOMAIN.COM";
        EXPECT_EQ(BuildSearchEngineQueryURL(hostTpl, "WWW.Example.com/Path"),
                  std::string("http://www.") + host + "/q?link=WWW.Example.com/Path");
    }
    EXPECT_TRUE(TakesDomainAsTyped("http://WWW.ALTAVISTA.COM/?q=YOURDOMAIN.COM"));
    EXPECT_FALSE(TakesDomainAsTyped("http://www.google.com/?q=YOURDOMAIN.COM"));
}

TEST(ColorScale, StepsLegendSegmentsAndHints)
{
    const std::pair<int64_t, int> steps[] = {
        {249, 0},     {250, 1},       {-5, 0},         {999999, 8},
        {1000000, 9}, {999999998, 9}, {999999999, -1}, {std::numeric_limits<int64_t>::max(), -1}};
    for (auto [total, step] : steps)
        EXPECT_EQ(ColorScaleStepForTotal(total), step) << total;

    const LegendLayout l = CalcLegendLayout(402, 16);
    EXPECT_EQ(l.fills[0], rtl::Rect(1, 1, 40, 14));
    EXPECT_EQ(l.separators[0], rtl::Rect(40, 1, 41, 14));
    EXPECT_EQ(l.separators[8], rtl::Rect(360, 1, 361, 14));
    // The last segment runs to the frame and takes the remainder.
    EXPECT_EQ(l.fills[9], rtl::Rect(361, 1, 400, 14));
    // The frame covers x 0..400 and y 0..14, as a rectangle to (401, 15).
    EXPECT_EQ(l.frame[1], rtl::Rect(0, 14, 401, 15));
    EXPECT_EQ(l.frame[3], rtl::Rect(400, 0, 401, 15));

    // Too narrow for segments: nothing is under the mouse.
    const std::pair<int, int> under[] = {{0, 0}, {39, 0}, {40, 1}, {399, 9}, {400, -1}};
    for (auto [x, step] : under)
        EXPECT_EQ(LegendStepAt(402, x), step) << x;
    EXPECT_EQ(LegendStepAt(5, 0), -1);
    EXPECT_EQ(LegendStepAt(0, 0), -1);

    const rtl::ScopedFormatSettings formats(rtl::FormatSettingsEnUS());
    EXPECT_EQ(LegendHint(0), "for this color status, the web site must have up to 250 references");
    EXPECT_EQ(LegendHint(9), "for this color status, the web site must have up to 999,999,999 references");
}

TEST(LinkCount, ReadsCountsWhateverTheSeparatorAndNeitherWrapsNorThrows)
{
    const std::pair<const char *, int64_t> cases[] = {
        {"12,345", 12345},
        {"12.345", 12345},
        {"12\xA0"
         "345",
         12345},
        {" 1 234\t567 ", 1234567},
        {"0", 0},
        {"", 0},
        {"n/a", 0},
        // Totals of several engines pass the 32-bit range.
        {"3,000,000,000", 3000000000LL},
        {"99999999999999", 99999999999999LL},
        {"-5", -5},
        {"1e300", std::numeric_limits<int64_t>::max()},
        {"-1e300", std::numeric_limits<int64_t>::min()},
    };
    for (auto [text, count] : cases)
        EXPECT_EQ(TMainForm::GetLinkCountFromText(text), count) << text;
}

} // namespace
