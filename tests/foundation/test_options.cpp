#include "options_fixture.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Win1252.h"

#include <filesystem>

using namespace std::string_literals;

std::string OptionsTest::programName()
{
    return std::filesystem::read_symlink("/proc/self/exe").filename().string();
}

namespace {

TEST_F(OptionsTest, DefaultsWithoutAFile)
{
    LoadOptions();
    EXPECT_EQ(OptionsFileName, m_dir.filePath("Options.ini").toStdString());
    EXPECT_EQ(OptionsSection, programName());
    EXPECT_EQ(ApplicationHelpFile, m_dir.filePath("ZVO.chm").toStdString());
    EXPECT_EQ(CheckForUpdatesInterval, "Every Week");
    EXPECT_EQ(CheckForUpdatesLastDate, "2000-01-01");
    EXPECT_EQ(ConcurrentConnectionCount, 8);
    EXPECT_EQ(MainWindowX, -1);
    EXPECT_EQ(MainWindowY, -1);
    EXPECT_EQ(MainWindowW, 730);
    EXPECT_EQ(MainWindowH, -1);
    EXPECT_EQ(MainWindowState, TWindowState::wsNormal);
    EXPECT_EQ(ProgressWindowX, -1);
    EXPECT_EQ(ProgressWindowY, -1);
    EXPECT_EQ(ProxyKind, "HTTP");
    EXPECT_EQ(ProxyPassword, "");
    EXPECT_EQ(ProxyPort, 80);
    EXPECT_EQ(ProxyServer, "");
    EXPECT_EQ(ProxyUsername, "");
    EXPECT_TRUE(ShowSplashScreen);
    EXPECT_FALSE(UseProxy);
    EXPECT_EQ(m_beeps, 0);
    // Loading never creates the file.
    EXPECT_FALSE(QFile::exists(optionsPath()));
}

TEST_F(OptionsTest, DefaultWidthFitsTheWorkArea)
{
    shell::setWorkArea(rtl::Rect(0, 0, 700, 500));
    LoadOptions();
    EXPECT_EQ(MainWindowW, 684);
    shell::setWorkArea(rtl::Rect(0, 0, 600, 500));
    LoadOptions();
    EXPECT_EQ(MainWindowW, 630); // never below the window's minimum
    shell::setWorkArea(rtl::TRect{});
    shell::setScreenSize(rtl::TSize{720, 400});
    LoadOptions();
    EXPECT_EQ(MainWindowW, 704);
}

TEST_F(OptionsTest, SectionNameDropsTheExtensionInAnyCase)
{
    EXPECT_EQ(OptionsSectionForProgram("ZARVELLO.EXE"), "ZARVELLO");
    EXPECT_EQ(OptionsSectionForProgram("zarvello"), "zarvello");
    EXPECT_EQ(OptionsSectionForProgram("a.exe.Exe"), "a");
}

TEST_F(OptionsTest, SaveWritesEveryKeyInOrderAndLoadReadsItBack)
{
    LoadOptions();
    CheckForUpdatesInterval = "Every Day";
    CheckForUpdatesLastDate = "2026-12-06";
    ConcurrentConnectionCount = 3;
    MainWindowX = -20;
    MainWindowY = 10;
    MainWindowW = 800;
    MainWindowH = 2147483647;
    MainWindowState = TWindowState::wsMaximized;
    ProgressWindowX = 0;
    ProgressWindowY = -2147483647 - 1;
    ProxyKind = "Socks5";
    ProxyPassword = "";
    ProxyPort = 1080;
    ProxyServer = " 127.0.0.1 ";
    ProxyUsername = "\"me\"";
    ShowSplashScreen = false;
    UseProxy = true;
    SaveOptions();
    EXPECT_EQ(optionsFile(), header()
                                 + "CheckForUpdatesInterval=Every Day\r\n"
                                   "CheckForUpdatesLastDate=2026-12-06\r\n"
                                   "ConcurrentConnectionCount=3\r\n"
                                   "MainWindowX=-20\r\n"
                                   "MainWindowY=10\r\n"
                                   "MainWindowW=800\r\n"
                                   "MainWindowH=2147483647\r\n"
                                   "MainWindowState=Maximized\r\n"
                                   "ProgressWindowX=0\r\n"
                                   "ProgressWindowY=-2147483648\r\n"
                                   "ProxyKind=Socks5\r\n"
                                   "ProxyPassword=Base64:\r\n"
                                   "ProxyPort=1080\r\n"
                                   "ProxyServer=\" 127.0.0.1 \"\r\n"
                                   "ProxyUsername=\"\"me\"\"\r\n"
                                   "ShowSplashScreen=false\r\n"
                                   "UseProxy=true\r\n");

    ConcurrentConnectionCount = 0;
    MainWindowH = 0;
    ProgressWindowY = 0;
    MainWindowState = TWindowState::wsNormal;
    ProxyServer.clear();
    ProxyUsername.clear();
    ShowSplashScreen = true;
    LoadOptions();
    EXPECT_EQ(CheckForUpdatesInterval, "Every Day");
    EXPECT_EQ(ConcurrentConnectionCount, 3);
    EXPECT_EQ(MainWindowX, -20);
    EXPECT_EQ(MainWindowH, 2147483647);
    EXPECT_EQ(MainWindowState, TWindowState::wsMaximized);
    EXPECT_EQ(ProgressWindowY, -2147483647 - 1);
    EXPECT_EQ(ProxyKind, "Socks5");
    EXPECT_EQ(ProxyServer, " 127.0.0.1 ");
    EXPECT_EQ(ProxyUsername, "\"me\"");
    EXPECT_FALSE(ShowSplashScreen);
    EXPECT_TRUE(UseProxy);
}

TEST_F(OptionsTest, LenientAndExactValueForms)
{
    writeOptions(header()
                 + "UseProxy=True\r\n"
                   "MainWindowState=normal\r\n"
                   "ConcurrentConnectionCount=4,5\r\n"
                   "MainWindowX=12abc\r\n"
                   "MainWindowY=-3.5\r\n"
                   "MainWindowH=abc\r\n"
                   "ProgressWindowX=\r\n"
                   "ProxyPort='8080'\r\n"
                   "ShowSplashScreen=truex\r\n"
                   "CheckForUpdatesInterval=Every\0Month\r\n"s
                 + "ProxyServer=" + std::string(5000, 'h') + "\r\n");
    LoadOptions();
    EXPECT_FALSE(UseProxy);
    EXPECT_EQ(MainWindowState, TWindowState::wsMaximized);
    EXPECT_EQ(ConcurrentConnectionCount, 4);
    EXPECT_EQ(MainWindowX, 12);
    EXPECT_EQ(MainWindowY, -4);
    EXPECT_EQ(MainWindowH, 0);
    EXPECT_EQ(ProgressWindowX, -1);
    EXPECT_EQ(ProxyPort, 8080);
    EXPECT_FALSE(ShowSplashScreen);
    EXPECT_EQ(CheckForUpdatesInterval, "Every");
    EXPECT_EQ(ProxyServer, std::string(4096, 'h'));

    writeOptions(header() + "MainWindowState=Minimized\r\nShowSplashScreen=true\r\n");
    LoadOptions();
    EXPECT_EQ(MainWindowState, TWindowState::wsMinimized);
    EXPECT_TRUE(ShowSplashScreen);
}

TEST_F(OptionsTest, ANumberOutsideTheRangeFailsTheLoad)
{
    writeOptions(header() + "ConcurrentConnectionCount=2147483648\r\n");
    EXPECT_THROW(LoadOptions(), rtl::ERangeError);
    writeOptions(header() + "MainWindowX=-1e300\r\n");
    EXPECT_THROW(LoadOptions(), rtl::ERangeError);
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
    const std::string big(10 * 1024 * 1024, 'z');
    const std::string section = rtl::AnsiUpperCase(OptionsSectionForProgram(programName()));
    const std::string original = "; written by hand\n"
                                 "[Other]\n"
                                 "UseProxy=keep\n"
                                 "\n"
                                 "[" + section + "]\n"
                                 "Unknown = 'x' \n"
                                 "UseProxy = 'false'\n"
                                 "useproxy=true\n"
                                 "ProxyServer=\"my host\"\n"
                                 "; comment\n"
                                 "Junk=\0\x01\xff\x80\n"s
                                 + "Big=" + big + "\n"
                                 + "\n"
                                   "[Trailer]\n"
                                   "K=V";
    writeOptions(original);
    LoadOptions();
    EXPECT_FALSE(UseProxy);
    EXPECT_EQ(ProxyServer, "my host");
    SaveOptions();

    std::string expected = original;
    auto replace = [&expected](const std::string &from, const std::string &to) {
        const size_t at = expected.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        expected.replace(at, from.size(), to);
    };
    replace("UseProxy = 'false'\n", "UseProxy =false\n");
    replace("ProxyServer=\"my host\"\n", "ProxyServer=my host\n");
    replace("Big=" + big + "\n",
            "Big=" + big + "\n"
                + "CheckForUpdatesInterval=Every Week\r\n"
                  "CheckForUpdatesLastDate=2000-01-01\r\n"
                  "ConcurrentConnectionCount=8\r\n"
                  "MainWindowX=-1\r\n"
                  "MainWindowY=-1\r\n"
                  "MainWindowW=730\r\n"
                  "MainWindowH=-1\r\n"
                  "MainWindowState=Normal\r\n"
                  "ProgressWindowX=-1\r\n"
                  "ProgressWindowY=-1\r\n"
                  "ProxyKind=HTTP\r\n"
                  "ProxyPassword=Base64:\r\n"
                  "ProxyPort=80\r\n"
                  "ProxyUsername=\r\n"
                  "ShowSplashScreen=true\r\n");
    const std::string saved = optionsFile();
    EXPECT_EQ(saved.size(), expected.size());
    EXPECT_TRUE(saved == expected);
}

} // namespace
