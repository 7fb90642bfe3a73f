#include "options_fixture.h"

#include "platform/rtl/AtomicSave.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Win1252.h"
#include "tests/support/TinyFileSystem.h"

#include <cerrno>

#include <filesystem>
#include <map>
#include <set>
#include <tuple>
#include <vector>

using namespace foundation;
using namespace std::string_literals;

std::string OptionsTest::programName()
{
    return std::filesystem::read_symlink("/proc/self/exe").filename().string();
}

namespace {

// Every key with its default as SaveOptions writes it, in table order.
const std::pair<const char *, const char *> Defaults[] = {{"CheckForUpdatesInterval", "Every Week"},
                                                          {"CheckForUpdatesLastDate", "2000-01-01"},
                                                          {"ConcurrentConnectionCount", "8"},
                                                          {"MainWindowX", "-1"},
                                                          {"MainWindowY", "-1"},
                                                          {"MainWindowW", "730"},
                                                          {"MainWindowH", "-1"},
                                                          {"MainWindowState", "Normal"},
                                                          {"ProgressWindowX", "-1"},
                                                          {"ProgressWindowY", "-1"},
                                                          {"ProxyKind", "HTTP"},
                                                          {"ProxyPassword", "Base64:"},
                                                          {"ProxyPort", "80"},
                                                          {"ProxyServer", ""},
                                                          {"ProxyUsername", ""},
                                                          {"ShowSplashScreen", "true"},
                                                          {"UseProxy", "false"}};

std::string keyLines(std::map<std::string, std::string> changed = {}, const std::set<std::string> &skip = {})
{
    std::string lines;
    for (const auto &[key, value] : Defaults)
        if (!skip.count(key))
            lines += key + "="s + (changed.count(key) ? changed[key] : value) + "\r\n";
    return lines;
}

TEST_F(OptionsTest, DefaultsWithoutAFile)
{
    LoadOptions();
    EXPECT_EQ(OptionsFileName, m_dir.filePath("Options.ini").toStdString());
    EXPECT_EQ(OptionsSection, programName());
    EXPECT_EQ(ApplicationHelpFile, m_dir.filePath("ZVO.chm").toStdString());
    EXPECT_FALSE(QFile::exists(optionsPath())); // loading never creates the file
    SaveOptions();
    EXPECT_EQ(optionsFile(), header() + keyLines());
    EXPECT_EQ(m_beeps, 0);

    // The main window's default width fits the work area, or the screen
    // without one, but never below the window's minimum.
    std::filesystem::remove(optionsPath().toStdString());
    for (const auto &[area, screenWidth, width] :
         {std::tuple(rtl::Rect(0, 0, 700, 500), 1280, 684), std::tuple(rtl::Rect(0, 0, 600, 500), 1280, 630),
          std::tuple(rtl::TRect{}, 720, 704)}) {
        const shell::ScopedWorkArea workArea(area);
        const shell::ScopedScreenSize screen(rtl::TSize{screenWidth, 400});
        LoadOptions();
        EXPECT_EQ(MainWindowW, width);
    }

    EXPECT_EQ(OptionsSectionForProgram("ZARVELLO.EXE"), "ZARVELLO");
    EXPECT_EQ(OptionsSectionForProgram("a.exe.Exe"), "a");
}

TEST_F(OptionsTest, TheDefaultsForAnUnreadableFileAreThoseOfNoFile)
{
    for (const rtl::TRect area : {rtl::Rect(0, 0, 1280, 984), rtl::Rect(0, 0, 600, 500)}) {
        const shell::ScopedWorkArea workArea(area);
        LoadOptions();
        CheckForUpdatesInterval = "Every Day", CheckForUpdatesLastDate = "x", ConcurrentConnectionCount = 1;
        MainWindowX = MainWindowY = MainWindowW = MainWindowH = ProgressWindowX = ProgressWindowY = 5;
        MainWindowState = TWindowState::wsMaximized, ProxyKind = ProxyPassword = ProxyServer = ProxyUsername = "x";
        ProxyPort = 1, ShowSplashScreen = false, UseProxy = true;
        SetDefaultOptions();
        ASSERT_TRUE(SaveOptions());
        EXPECT_EQ(optionsFile(), header() + keyLines({{"MainWindowW", area.Right == 600 ? "630" : "730"}}));
        std::filesystem::remove(optionsPath().toStdString());
    }
}

TEST_F(OptionsTest, ASaveThatFailsKeepsTheWholePreviousFile)
{
    LoadOptions();
    ASSERT_TRUE(SaveOptions());
    const std::string before = optionsFile();
    ProxyServer = "proxy.example", UseProxy = true;
    for (const rtl::SaveStep step : {rtl::SaveStep::Create, rtl::SaveStep::Write, rtl::SaveStep::Sync}) {
        rtl::ScopedSaveHook hook([step](rtl::SaveStep now) { return now == step ? ENOSPC : 0; });
        EXPECT_FALSE(SaveOptions());
        EXPECT_EQ(errno, ENOSPC);
    }
    EXPECT_EQ(optionsFile(), before);

    int saves = 0;
    rtl::ScopedSaveHook count([&saves](rtl::SaveStep step) {
        saves += step == rtl::SaveStep::Create;
        return 0;
    });
    ASSERT_TRUE(SaveOptions());
    EXPECT_EQ(saves, 1) << "all keys go into one replacement of the file";
    EXPECT_EQ(optionsFile(), header() + keyLines({{"ProxyServer", "proxy.example"}, {"UseProxy", "true"}}));
}

TEST_F(OptionsTest, OnAFullDiskOptionsIniKeepsItsContent)
{
    LoadOptions();
    const auto answer = zvotest::onTinyTmpfs([](const std::string &folder) -> std::string {
        OptionsFileName = folder + "/Options.ini";
        if (!SaveOptions())
            return "the first save failed";
        const std::string before = zvotest::readFile(QString::fromStdString(OptionsFileName));
        if (!zvotest::fillFileSystem(folder))
            return "could not fill the disk";
        ProxyServer = "proxy.example";
        if (SaveOptions())
            return "the save on a full disk answered success";
        const std::string after = zvotest::readFile(QString::fromStdString(OptionsFileName));
        if (after != before)
            return "Options.ini went from " + std::to_string(before.size()) + " to " + std::to_string(after.size()) +
                   " bytes";
        return {};
    });
    if (!answer)
        GTEST_SKIP() << "this system does not let the tests mount a tmpfs";
    EXPECT_EQ(*answer, "");
}

TEST_F(OptionsTest, EveryKeySurvivesASaveAndALoad)
{
    LoadOptions();
    CheckForUpdatesInterval = "Every Day", CheckForUpdatesLastDate = "2026-12-06", ConcurrentConnectionCount = 3;
    MainWindowX = -20, MainWindowY = 10, MainWindowW = 800, MainWindowH = 2147483647;
    MainWindowState = TWindowState::wsMaximized, ProgressWindowX = 0, ProgressWindowY = -2147483647 - 1;
    ProxyKind = "Socks5", ProxyPassword = "pw", ProxyPort = 1080, ProxyServer = " 127.0.0.1 ";
    ProxyUsername = "\"me\"", ShowSplashScreen = false, UseProxy = true;
    SaveOptions();
    const std::string saved = optionsFile();
    EXPECT_EQ(saved, header() + keyLines({{"CheckForUpdatesInterval", "Every Day"},
                                          {"CheckForUpdatesLastDate", "2026-12-06"},
                                          {"ConcurrentConnectionCount", "3"},
                                          {"MainWindowX", "-20"},
                                          {"MainWindowY", "10"},
                                          {"MainWindowW", "800"},
                                          {"MainWindowH", "2147483647"},
                                          {"MainWindowState", "Maximized"},
                                          {"ProgressWindowX", "0"},
                                          {"ProgressWindowY", "-2147483648"},
                                          {"ProxyKind", "Socks5"},
                                          {"ProxyPassword", "Base64:" + EncodeBase64Option(ScrambleText("pw"))},
                                          {"ProxyPort", "1080"},
                                          {"ProxyServer", "\" 127.0.0.1 \""},
                                          {"ProxyUsername", "\"\"me\"\""},
                                          {"ShowSplashScreen", "false"},
                                          {"UseProxy", "true"}}));

    // Back to the defaults, then the saved file again: saving what was
    // loaded must give the same file.
    QFile::rename(optionsPath(), optionsPath() + ".keep");
    LoadOptions();
    QFile::rename(optionsPath() + ".keep", optionsPath());
    ASSERT_EQ(ConcurrentConnectionCount, 8);
    LoadOptions();
    SaveOptions();
    EXPECT_EQ(optionsFile(), saved);
}

TEST_F(OptionsTest, LenientAndExactValueForms)
{
    writeOptions(header() + "UseProxy=True\r\nMainWindowState=normal\r\nConcurrentConnectionCount=4,5\r\n" +
                 "MainWindowX=12abc\r\nMainWindowY=-3.5\r\nMainWindowH=abc\r\nProgressWindowX=\r\n" +
                 "ProxyPort='8080'\r\nShowSplashScreen=truex\r\nCheckForUpdatesInterval=Every\0Month\r\n"s +
                 "ProxyServer=" + std::string(5000, 'h') + "\r\n");
    LoadOptions();
    EXPECT_FALSE(UseProxy || ShowSplashScreen);
    EXPECT_EQ(MainWindowState, TWindowState::wsMaximized);
    EXPECT_EQ((std::vector<int32_t>{ConcurrentConnectionCount, MainWindowX, MainWindowY, MainWindowH, ProgressWindowX,
                                    ProxyPort}),
              (std::vector<int32_t>{4, 12, -4, 0, -1, 8080}));
    EXPECT_EQ(CheckForUpdatesInterval, "Every");
    EXPECT_EQ(ProxyServer, std::string(4096, 'h'));

    writeOptions(header() + "MainWindowState=Minimized\r\n");
    LoadOptions();
    EXPECT_EQ(MainWindowState, TWindowState::wsMinimized);

    // A number outside 32 bits gives its own key's default and leaves the
    // other keys as the file has them.
    writeOptions(header() + "ConcurrentConnectionCount=2147483648\r\nMainWindowX=-1e300\r\nMainWindowY=2147483647\r\n" +
                 "ProxyPort=99999999999\r\nProxyServer=px.lan\r\nUseProxy=true\r\nShowSplashScreen=false\r\n");
    LoadOptions();
    EXPECT_EQ((std::vector<int32_t>{ConcurrentConnectionCount, MainWindowX, MainWindowY, ProxyPort}),
              (std::vector<int32_t>{8, -1, 2147483647, 80}));
    EXPECT_EQ(ProxyServer, "px.lan");
    EXPECT_TRUE(UseProxy);
    EXPECT_FALSE(ShowSplashScreen);
}

TEST_F(OptionsTest, WithoutFileVariablesReadsGiveDefaultsAndWritesOnlyBeep)
{
    EXPECT_EQ(ReadNumberOption("ProxyPort", 77), 77);
    EXPECT_EQ(ReadStringOption("ProxyKind", "x"), "x");
    SaveOptions();
    EXPECT_EQ(m_beeps, 2 + 17);
    EXPECT_FALSE(QFile::exists(optionsPath()));
}

TEST_F(OptionsTest, ForeignLinesSurviveASave)
{
    const std::string big = "Big=" + std::string(10 * 1024 * 1024, 'z') + "\n";
    const std::string section = rtl::AnsiUpperCase(OptionsSectionForProgram(programName()));
    const std::string original = "; written by hand\n[Other]\nUseProxy=keep\n\n[" + section + "]\n" +
                                 "Unknown = 'x' \nUseProxy = 'false'\nuseproxy=true\nProxyServer=\"my host\"\n" +
                                 "; comment\nJunk=\0\x01\xff\x80\n"s + big + "\n[Trailer]\nK=V";
    writeOptions(original);
    LoadOptions();
    EXPECT_FALSE(UseProxy);
    EXPECT_EQ(ProxyServer, "my host");
    SaveOptions();

    std::string expected = original;
    auto replace = [&expected](const std::string &from, const std::string &to) {
        expected.replace(expected.find(from), from.size(), to);
    };
    replace("UseProxy = 'false'\n", "UseProxy =false\n");
    replace("ProxyServer=\"my host\"\n", "ProxyServer=my host\n");
    replace(big, big + keyLines({}, {"ProxyServer", "UseProxy"}));
    const std::string saved = optionsFile();
    EXPECT_EQ(saved.size(), expected.size());
    EXPECT_TRUE(saved == expected);
}

} // namespace
