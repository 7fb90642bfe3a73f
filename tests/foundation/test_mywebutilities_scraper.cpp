#include "foundation/MyWebUtilities.h"
#include "platform/rtl/Exceptions.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

using namespace foundation;
using namespace std::string_literals;

TEST(ResultCountScraper, RulesPhrasesAndTheirOrder)
{
    const std::pair<std::string, int32_t> cases[] = {
        // Nothing to read.
        {"", -1},
        {"<html><body>No results here</body></html>", -1},
        {std::string(4096, '\0'), -1},
        {"Results 1 to 100 of 5000", -1}, // n stops at 20
        // Bracket rules.
        {"<b>results</b> : 1,234 documents", 1234},
        {"x var IWtotalresults = 56789; y", 56789},
        {"<span class=\"ofSoMany\">12,345</span>", 12345},
        // A rule whose terminator is missing passes on to the next one.
        {"<B>Results</B> : 5 var IWtotalresults = 7;", 7},
        {"<B>Results</B> : 5 ... 1-10 of 99", 99},
        // A rule with both texts decides, even without a number in between.
        {"var IWtotalresults = none; we found 5", 0},
        // Rules are tried in their order, not by place on the page.
        {"var IWtotalresults = 2; <B>Results</B> : 1 documents", 1},
        // Phrases on the cleaned page.
        {"Results 1 - 10 of about 2,340 for <b>x</b>", 2340},
        {"Results 11-20 of 500", 500},
        {"<B>We found</B> 1.234.567 pages", 1234567},
        {"1-10 of&nbsp;<strong>4,321</strong>", 4321},
        {"Sites 300 found 77 pages", 77},
        {"1-10 of more than\r\n\t 8,000", 8000},
        // "we found " beats a range phrase, a higher n beats a lower one, the
        // form without blanks beats the one with blanks for the same n.
        {"1-10 of 100 and we found 3", 3},
        {"1-5 of 50 then 1 - 10 of 100", 100},
        {"1 - 10 of 7 then 1-10 of 8", 8},
        // Only 30 characters behind the phrase are read.
        {"we found " + std::string(30, ' ') + "42", 0},
        // Cut and binary pages.
        {"text we found ", 0},
        {"text var IWtotalresults =", -1},
        {"\0\xff\0we found 42\0 x"s, 42},
        {"we found 12E", 12},
        {"we found 2147483647", 2147483647},
    };
    for (const auto &[html, count] : cases)
        EXPECT_EQ(GetResultCountFromHTML(html), count) << html;
}

TEST(ResultCountScraper, CountsBeyondThirtyTwoBitsRaiseRangeError)
{
    for (const char *html : {"we found 3,000,000,000 results", "var IWtotalresults = -3000000000;", "we found 1e999"})
        EXPECT_THROW(GetResultCountFromHTML(html), rtl::ERangeError) << html;
}

TEST(ResultCountScraper, WorkerThreadsGetTheSameAnswers)
{
    const std::vector<std::string> pages = {"Results 1 - 10 of about 2,340 for x", "var IWtotalresults = 56789;",
                                            std::string(200000, 'a') + " found 9",
                                            "<span class=\"ofSoMany\">12,345</span>"};
    const std::vector<int32_t> expected = {2340, 56789, 9, 12345};
    std::vector<int> wrong(pages.size(), 0);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < pages.size(); ++t)
        threads.emplace_back([&, t] {
            for (int round = 0; round < 50; ++round)
                if (GetResultCountFromHTML(pages[t]) != expected[t])
                    ++wrong[t];
        });
    for (auto &thread : threads)
        thread.join();
    EXPECT_EQ(wrong, std::vector<int>(pages.size(), 0));
}

TEST(SiteRootURL, ReducesToSchemeAndLowerCaseHost)
{
    EXPECT_EQ(GetSiteRootURL("HTTP://WWW.Example.COM:8080/path/page.html", true), "http://www.example.com/");
    EXPECT_EQ(GetSiteRootURL("HTTP://WWW.Example.COM:8080/path/page.html", false), "www.example.com/");
    EXPECT_EQ(GetSiteRootURL("hTTps://Host.org", true), "https://host.org/");
    EXPECT_EQ(GetSiteRootURL("www.Example.com/x", true), "www.Example.com/x");
    EXPECT_EQ(GetSiteRootURL("ftp://x", false), "ftp://x");
    try {
        GetSiteRootURL("", true);
        ADD_FAILURE() << "no assertion";
    } catch (const rtl::EAssertionFailed &e) {
        EXPECT_EQ(e.file(), "MyWebUtilities");
    }
}

TEST(ValidURL, PlausibleAddresses)
{
    // The scheme of https stays, so its first field is "https://www".
    for (const char *url :
         {"www.example.com", "HTTP://www.example.de", " \texample.org\r\n", "https://www.example.com"})
        EXPECT_TRUE(IsValidURL(url)) << url;
    for (const char *url :
         {"https://localhost", "a.b", "www.a.b", "example", ".example.com", "example.c", "http://www.", ""})
        EXPECT_FALSE(IsValidURL(url)) << url;
    // What passes becomes a row: no control character inside, and a site
    // no longer than a host name may be.
    EXPECT_TRUE(IsValidURL("http://" + std::string(249, 'a') + ".com"));
    for (const std::string &url : {std::string("www.exa\tmple.com"), std::string("www.example.com\0x", 17),
                                   std::string("http://www.exam\nple.com"), std::string("example.com/\x1B[2J"),
                                   "http://" + std::string(250, 'a') + ".com", std::string(10240, 'a') + ".com"})
        EXPECT_FALSE(IsValidURL(url)) << url.size();
}
