#include "settings/UpdateScript.h"

#include <gtest/gtest.h>

using namespace settings;

using Strings = std::vector<std::string>;

TEST(UpdateScript, SectionsKeysAndWarnings)
{
    TUpdateScript s;
    s.AppDownloadURL = "default";
    Strings warnings;
    const std::string version = ParseUpdateScript(
        "Version: 1.0\r\nRequiresAppVersion: 3\r\nversion: 7\r\n*Application\r\n* Application\r\nVersion: 2.2 \r\n"
        "Link:  http://h/dl \r\nRequiresAppVersion: 9\r\n*  a.txt\t\r\nVersion: 2026-11-30\r\n"
        "RequiresAppVersion: 2.1\r\nLink: one\r\nLink: two\r\n* e.txt\r\n* Application\r\nVersion: 2.3\r\n"
        "* cr.txt\rVersion: 5\r",
        s, [&](const std::string &w) { warnings.push_back(w); });
    EXPECT_EQ(warnings,
              (Strings{"Error in the update script! \"Version:\" found without corresponding file!",
                       "Error in the update script! \"RequiresAppVersion:\" found without corresponding file!"}));
    EXPECT_EQ(version, "2.3");
    EXPECT_EQ(s.AppDownloadURL, "http://h/dl");
    // A CR alone ends no line: the name runs to the end of the text.
    EXPECT_EQ(s.FileNames, (Strings{"a.txt", "e.txt", "cr.txt\rVersion: 5"}));
    EXPECT_EQ(s.FileLinks, (Strings{"two", "", ""}));
    EXPECT_EQ(s.FileRequiredAppVersions, (Strings{"2.1", "", ""}));
    EXPECT_EQ(s.FileVersions, (Strings{"2026-11-30", "", ""}));
}

TEST(UpdateScript, VersionsDatesAndNames)
{
    EXPECT_GT(CompareVersions("10.0", "9.5"), 0);
    EXPECT_GT(CompareVersions("2.10", "2.9"), 0);
    EXPECT_LT(CompareVersions("2.1", "2.1.0.1"), 0);
    EXPECT_EQ(CompareVersions("2.1", "2.1.0.0"), 0);
    EXPECT_EQ(CompareVersions("beta", ""), 0);

    const TUpdateDate fallback;
    EXPECT_EQ(DecodeUpdateDate("2024-02-29"), (TUpdateDate{2024, 2, 29}));
    EXPECT_EQ(DecodeUpdateDate("2026-03-xx-15"), (TUpdateDate{2026, 3, 15}));
    for (const char *bad : {"2023-02-29", "2026-13-01", "", "soon", "9e99-01-01"})
        EXPECT_EQ(DecodeUpdateDate(bad), fallback) << bad;

    EXPECT_TRUE(IsBareFileName("ZVO-SearchEngines.txt"));
    for (const char *bad : {"", ".", "../Options.ini", "sub/f.txt", "/etc/passwd", "a\\b", "evil..txt", "new\nline"})
        EXPECT_FALSE(IsBareFileName(bad)) << bad;
}

// A list from whoever answers in the server's place must not reach the
// program, its libraries, the user's files or their backups, however the
// name is spelled for a case-folding folder.
TEST(UpdateScript, TheProgramsOwnFilesAreNoDataFiles)
{
    // The stored counts are the maker's to renew; the report library's texts
    // are words only, read by its own parser.
    for (const char *data : {"ZVO-SearchEngines.txt", "ZVO-RowIcon.png", "ZVO-Logo.png", "ZVO.chm", "CSHelp.txt",
                             "about.gif", "ZVO-Domains.txt", "zvo-domains.TXT", "bvPrint.dft", "bvPrint.deu",
                             "solo.txt", "notes.sol", "Options-Help.txt", "qt.txt", "desktop.txt"}) {
        EXPECT_FALSE(IsProgramOwnFileName(data, "zarvello")) << data;
        EXPECT_EQ(RuntimeFileRefusal(data), "") << data;
    }
    for (const char *own : {"zarvello",
                            "Zarvello",
                            "zarvello.",
                            "zarvello.txt",
                            "Options.ini",
                            "options.INI",
                            "Options.ini. .",
                            "Options.txt",
                            "Domain-Data.txt",
                            "DOMAIN-DATA.TXT",
                            "Domain-Data.csv",
                            "Domain-Data.bak",
                            "~SE-Errors.txt",
                            ".Zarvello.lock",
                            ".Domain-Data.txt.0123456789ab~",
                            "ZVO-SearchEngines.BAK",
                            "libQt6Core.so.6",
                            "libqxcb.so",
                            "libfoo.so.6.2.0",
                            "LIBFOO.SO",
                            ".hidden"})
        EXPECT_TRUE(IsProgramOwnFileName(own, "zarvello")) << own;
    // What the program keeps of the user's beside the files: the lists set
    // aside as unreadable, and anything named after a file or its copy.
    for (const char *kept : {"Domain-Data.txt.bad", "Domain-Data.txt.bad.1", "domain-data.TXT.BAD.17",
                             "Domain-Data.txt.bad.bak", "Domain-Data.txt.old", "Options.ini.bad", "Options.ini.bak",
                             "~SE-Errors.txt.1", "Domain-Data.bak.1", "Options.bak.txt", "Domain-Data.txt.bad.1. "})
        EXPECT_TRUE(IsProgramOwnFileName(kept, "zarvello")) << kept;
    // The program as it is called, not as it was shipped.
    EXPECT_TRUE(IsProgramOwnFileName("ZVO-Bin", "zvo-bin"));
    EXPECT_TRUE(IsProgramOwnFileName("zvo-bin.txt", "zvo-bin"));
}

// Letters outside ASCII that a case-insensitive folder takes for ASCII ones
// (ext4's casefold folds fully, NTFS and exFAT compare in capitals): the
// name would replace the program's own file there. Other letters, and the
// lookalikes in a data file's name, leave a data file.
TEST(UpdateScript, LettersAFoldingFolderTakesForAsciiSpellNoDataFile)
{
    for (const char *own : {"Option\u017F.ini", "Opt\u0131ons.ini", "OPT\u0130ONS.INI", "~\u017FE-Error\u017F.txt",
                            "libfoo.\u017Fo.6", "libfoo.\u017Fo", "ZVO-SearchEngine\u017F.bak", "Domain-Data.c\u017Fv"})
        EXPECT_TRUE(IsProgramOwnFileName(own, "zarvello")) << own;
    EXPECT_TRUE(IsProgramOwnFileName("\u212Aarl", "karl"));
    for (const char *runtime : {"qtwebengineproce\u00DF", "QtWebEngineProce\u1E9E", "\u017Fnap\u017Fhot_blob.bin",
                                "Zarvello.des\u212Atop", "v8_context_\u017Fnap\u017Fhot.bin"})
        EXPECT_NE(RuntimeFileRefusal(runtime), "") << runtime;
    for (const char *data : {"Gr\u00F6\u00DFe.txt", "\uFF2Fptions.ini", "Opti\u00F6ns.ini", "\u212Aelvin.txt"}) {
        EXPECT_FALSE(IsProgramOwnFileName(data, "zarvello")) << data;
        EXPECT_EQ(RuntimeFileRefusal(data), "") << data;
    }
}

// What Qt, its web engine or the desktop would take from the program folder
// as configuration or code, however a case-folding folder spells it.
TEST(UpdateScript, NamesTheRuntimeReadsAsConfigurationOrCodeAreNoDataFiles)
{
    for (const char *name : {"qt.conf", "QT.CONF", "qt.conf. ", "qt6.conf"})
        EXPECT_NE(RuntimeFileRefusal(name).find("Qt's configuration"), std::string::npos) << name;
    EXPECT_NE(RuntimeFileRefusal("QtWebEngineProcess").find("helper program"), std::string::npos);
    for (const char *name : {"qtwebengine_resources.pak", "qtwebengine_devtools_resources.pak",
                             "QtWebEngine_Resources_100p.pak", "icudtl.dat", "v8_context_snapshot.bin"})
        EXPECT_NE(RuntimeFileRefusal(name).find("resource of the web engine"), std::string::npos) << name;
    EXPECT_NE(RuntimeFileRefusal("Zarvello.desktop").find("launcher"), std::string::npos);
}

TEST(UpdateScript, DownloadedLineBreaksBecomeSingleCrLf)
{
    EXPECT_EQ(NormalizeDownloadedText("a\nb\rc\r\nd\r\n\r\n\r\ne\r\r\nf"), "a\r\nb\r\nc\r\nd\r\ne\r\nf");
    EXPECT_EQ(NormalizeDownloadedText("a" + std::string(16, '\n') + "b"), "a\r\nb");
    // Four halving passes: seventeen breaks in a row leave two.
    EXPECT_EQ(NormalizeDownloadedText("a" + std::string(17, '\n') + "b"), "a\r\n\r\nb");
}
