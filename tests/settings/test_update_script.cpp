#include "settings/UpdateScript.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Parsed
{
    TUpdateScript script;
    std::string version;
    std::vector<std::string> warnings;
};

Parsed parse(const std::string &text)
{
    Parsed p;
    p.script.AppDownloadURL = "default";
    p.version = ParseUpdateScript(text, p.script, [&](const std::string &w) { p.warnings.push_back(w); });
    return p;
}

} // namespace

TEST(UpdateScript, SectionsAndKeysLandInTheirOwnEntries)
{
    const Parsed p = parse("* Application\r\n"
                           "Version: 2.2 \r\n"
                           "Link:  http://127.0.0.1:1/download \r\n"
                           "RequiresAppVersion: 9.9\r\n"
                           "*  ZVO-SearchEngines.txt\t\r\n"
                           "Version: 2026-11-30\r\n"
                           "RequiresAppVersion: 2.1\r\n"
                           "Link: http://127.0.0.1:1/a\r\n"
                           "Link: http://127.0.0.1:1/b\r\n"
                           "* Empty.txt\r\n"
                           "* Application\r\n"
                           "Version: 2.3\r\n"
                           "* Last.txt\n"
                           "Version:2025-01-02");
    EXPECT_TRUE(p.warnings.empty());
    EXPECT_EQ(p.version, "2.3");
    EXPECT_EQ(p.script.AppVersion, "2.3");
    EXPECT_EQ(p.script.AppDownloadURL, "http://127.0.0.1:1/download");
    EXPECT_EQ(p.script.FileNames, (std::vector<std::string>{"ZVO-SearchEngines.txt", "Empty.txt", "Last.txt"}));
    // A later key of one kind overwrites the earlier; keys of the
    // "Application" section never reach a file.
    EXPECT_EQ(p.script.FileLinks, (std::vector<std::string>{"http://127.0.0.1:1/b", "", ""}));
    EXPECT_EQ(p.script.FileRequiredAppVersions, (std::vector<std::string>{"2.1", "", ""}));
    EXPECT_EQ(p.script.FileVersions, (std::vector<std::string>{"2026-11-30", "", "2025-01-02"}));
}

TEST(UpdateScript, KeysBeforeAnyFileAreReportedAndDropped)
{
    const Parsed p = parse("Version: 1.0\r\nLink: x\r\nRequiresAppVersion: 3\r\n* Application\r\n"
                           "RequiresAppVersion: 4\r\n* a.txt\r\nLink: y\r\n");
    EXPECT_EQ(p.warnings,
              (std::vector<std::string>{
                  "Error in the update script! \"Version:\" found without corresponding file!",
                  "Error in the update script! \"Link:\" found without corresponding file!",
                  "Error in the update script! \"RequiresAppVersion:\" found without corresponding file!"}));
    EXPECT_EQ(p.version, "");
    EXPECT_EQ(p.script.AppDownloadURL, "default");
    EXPECT_EQ(p.script.FileLinks, (std::vector<std::string>{"y"}));
}

TEST(UpdateScript, LinesThatAreNotExactlyAKeyAreIgnored)
{
    const Parsed p = parse("*Application\r\n version: 2\r\nversion: 3\r\nLINK: z\r\n"
                           "*\tb.txt\r\n\r\n# * c.txt\r\n* Application\rVersion: 5\r");
    EXPECT_TRUE(p.warnings.empty());
    EXPECT_EQ(p.version, "");
    // With CR alone for line ends the whole text is one line, and the name
    // runs up to its end.
    ASSERT_EQ(p.script.FileNames.size(), 1u);
    EXPECT_EQ(p.script.FileNames[0], "Application\rVersion: 5");
    EXPECT_FALSE(IsBareFileName(p.script.FileNames[0]));
}

TEST(UpdateScript, VersionsCompareAsNumbersPartByPart)
{
    EXPECT_GT(CompareVersions("10.0", "9.5"), 0);
    EXPECT_GT(CompareVersions("2.10", "2.9"), 0);
    EXPECT_LT(CompareVersions("2.1", "2.1.0.1"), 0);
    EXPECT_EQ(CompareVersions("2.1", "2.1.0.0"), 0);
    EXPECT_EQ(CompareVersions("", "0.0"), 0);
    EXPECT_LT(CompareVersions("", "2.1"), 0);
    EXPECT_EQ(CompareVersions("beta", ""), 0);
    EXPECT_GT(CompareVersions("3x.0", "2.99"), 0);
    EXPECT_GT(CompareVersions("1e400", "2"), 0);
}

TEST(UpdateScript, DatesThatAreNotRealDatesBecomeTheFallback)
{
    const TUpdateDate fallback{2001, 1, 1};
    EXPECT_EQ(DecodeUpdateDate("2026-12-06"), (TUpdateDate{2026, 12, 6}));
    EXPECT_EQ(DecodeUpdateDate("2024-02-29"), (TUpdateDate{2024, 2, 29}));
    EXPECT_EQ(DecodeUpdateDate("2023-02-29"), fallback);
    EXPECT_EQ(DecodeUpdateDate("2026-13-01"), fallback);
    EXPECT_EQ(DecodeUpdateDate("2026-00-10"), fallback);
    EXPECT_EQ(DecodeUpdateDate(""), fallback);
    EXPECT_EQ(DecodeUpdateDate("soon"), fallback);
    EXPECT_EQ(DecodeUpdateDate("9e99-01-01"), fallback);
    // The day comes from the last two characters, whatever stands between.
    EXPECT_EQ(DecodeUpdateDate("2026-03-xx-15"), (TUpdateDate{2026, 3, 15}));
}

TEST(UpdateScript, OnlyPlainFileNamesMayBeWritten)
{
    EXPECT_TRUE(IsBareFileName("ZVO-SearchEngines.txt"));
    EXPECT_TRUE(IsBareFileName("Domain list.txt"));
    for (const char *name : {"", ".", "..", "../Options.ini", "sub/file.txt", "/etc/passwd", "..\\x.txt",
                             "a\\b.txt", "evil..txt", "tab\tname", "new\nline", "del\x7f"})
        EXPECT_FALSE(IsBareFileName(name)) << name;
}

TEST(UpdateScript, DownloadedLineBreaksBecomeSingleCrLf)
{
    EXPECT_EQ(NormalizeDownloadedText("a\nb\rc\r\nd"), "a\r\nb\r\nc\r\nd");
    EXPECT_EQ(NormalizeDownloadedText("a\r\n\r\n\r\nb\n\n\nc\r\r\rd\r\r\ne"), "a\r\nb\r\nc\r\nd\r\ne");
    EXPECT_EQ(NormalizeDownloadedText("a" + std::string(16, '\n') + "b"), "a\r\nb");
    // Four halving passes: seventeen breaks in a row leave two.
    EXPECT_EQ(NormalizeDownloadedText("a" + std::string(17, '\n') + "b"), "a\r\n\r\nb");
    EXPECT_EQ(NormalizeDownloadedText(std::string("x\0y", 3)), std::string("x\0y", 3));
}
