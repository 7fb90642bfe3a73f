#include "foundation/MyOptions.h"

#include "foundation/MyUtilities.h"
#include "foundation/MyUtilitiesFiles.h"
#include "foundation/MyUtilitiesUi.h"
#include "foundation/MyWebUtilitiesProxy.h"
#include "platform/ini/PrivateProfile.h"
#include "platform/rtl/Rounding.h"
#include "platform/shell/Beep.h"
#include "platform/shell/Desktop.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>

namespace foundation {

std::string CheckForUpdatesInterval;
std::string CheckForUpdatesLastDate;
int32_t ConcurrentConnectionCount = 0;
int32_t MainWindowX = 0;
int32_t MainWindowY = 0;
int32_t MainWindowW = 0;
int32_t MainWindowH = 0;
TWindowState MainWindowState = TWindowState::wsNormal;
int32_t ProgressWindowX = 0;
int32_t ProgressWindowY = 0;
std::string ProxyKind;
std::string ProxyPassword;
int32_t ProxyPort = 0;
std::string ProxyServer;
std::string ProxyUsername;
bool ShowSplashScreen = false;
bool UseProxy = false;

std::string OptionsFileName;
std::string OptionsSection;
std::string ApplicationHelpFile;

namespace {

// Longest value taken per kind, in characters.
constexpr int BoolLimit = 16;
constexpr int NumberLimit = 255;
constexpr int WindowStateLimit = 32;
constexpr int TextLimit = 4096;

// The main window cannot be made narrower than this (its layout's minimum).
constexpr int32_t MainWindowMinWidth = 630;

const std::string PasswordPrefix = "Base64:";

// Bytes that Windows-1252 leaves undefined, so no character a user can type
// scrambles to NUL, and none of the ASCII range to ";" or "~".
constexpr unsigned char ScrambleKeys[3] = {0x9D, 0x81, 0x8D};

std::string programFileName()
{
    if (QCoreApplication::instance())
        return QFile::encodeName(QFileInfo(QCoreApplication::applicationFilePath()).fileName()).toStdString();
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/exe", error).filename().string();
}

int32_t defaultMainWindowWidth()
{
    int32_t width = MainWindowMinWidth + 100;
    const rtl::TRect area = GetWorkArea();
    if (area.Right != 0)
        width = std::min(width, area.Width() - 16);
    else
        width = std::min(width, shell::screenSize().cx - 16);
    return std::max(width, MainWindowMinWidth);
}

bool fileVariablesSet()
{
    if (!OptionsFileName.empty() && !OptionsSection.empty())
        return true;
    shell::MessageBeep(shell::BeepKind::Default);
    return false;
}

} // namespace

std::string OptionsSectionForProgram(const std::string &programFileName)
{
    return ReplaceText(programFileName, ".exe", "", false);
}

std::string ReadIniValue(const std::string &key, int readLimit, const std::string &defaultValue)
{
    if (!fileVariablesSet())
        return defaultValue;
    const std::string value =
        ini::GetPrivateProfileString(OptionsSection, key, std::string(), size_t(readLimit) + 1, OptionsFileName);
    return value.empty() ? defaultValue : value;
}

std::string ReadStringOption(const std::string &key, const std::string &defaultValue)
{
    std::string value = ReadIniValue(key, TextLimit, defaultValue);
    const size_t nul = value.find('\0');
    if (nul != std::string::npos)
        value.resize(nul);
    return value;
}

int32_t ReadNumberOption(const std::string &key, int32_t defaultValue)
{
    const std::string value = ReadIniValue(key, NumberLimit, std::string());
    if (value.empty())
        return defaultValue;
    return rtl::Round(StrToNumber(value));
}

bool ReadBoolOption(const std::string &key, bool defaultValue)
{
    const std::string value = ReadIniValue(key, BoolLimit, std::string());
    if (value.empty())
        return defaultValue;
    return value == "true";
}

TWindowState ReadWindowStateOption(const std::string &key, TWindowState defaultValue)
{
    const std::string value = ReadIniValue(key, WindowStateLimit, std::string());
    if (value.empty())
        return defaultValue;
    if (value == "Normal")
        return TWindowState::wsNormal;
    if (value == "Minimized")
        return TWindowState::wsMinimized;
    return TWindowState::wsMaximized;
}

std::string ReadPasswordOption(const std::string &key, const std::string &defaultValue)
{
    std::string value = ReadStringOption(key, std::string());
    if (value.empty())
        return defaultValue;
    if (value.starts_with(PasswordPrefix)) {
        value = DecodeBase64Option(value.substr(PasswordPrefix.size()));
        if (!value.empty() && value.back() == '\0')
            value.pop_back();
    }
    return ScrambleText(ReplaceText(value, "~~~", ";", true));
}

void WriteStringOption(const std::string &key, const std::string &value)
{
    if (!fileVariablesSet())
        return;
    ini::WritePrivateProfileString(OptionsSection, key, value, OptionsFileName);
}

void WriteNumberOption(const std::string &key, double value)
{
    // Written with a full stop whatever the locale: the reader takes both.
    char buf[400];
    const bool whole = std::isfinite(value) && value == std::trunc(value);
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, whole ? 0 : 8);
    WriteStringOption(key, std::string(buf, res.ptr));
}

void WriteBoolOption(const std::string &key, bool value)
{
    WriteStringOption(key, value ? "true" : "false");
}

void WriteWindowStateOption(const std::string &key, TWindowState value)
{
    switch (value) {
    case TWindowState::wsNormal: WriteStringOption(key, "Normal"); break;
    case TWindowState::wsMinimized: WriteStringOption(key, "Minimized"); break;
    case TWindowState::wsMaximized: WriteStringOption(key, "Maximized"); break;
    }
}

void WritePasswordOption(const std::string &key, const std::string &value)
{
    const std::string escaped = ReplaceText(ScrambleText(value), ";", "~~~", true);
    WriteStringOption(key, PasswordPrefix + EncodeBase64Option(escaped));
}

std::string ScrambleText(const std::string &text)
{
    std::string result = text;
    for (size_t i = 0; i < result.size(); ++i)
        result[i] = char(uint8_t(result[i]) ^ ScrambleKeys[(i + 1) % 3]);
    return result;
}

std::string EncodeBase64Option(const std::string &text)
{
    return QByteArray::fromStdString(text).toBase64().toStdString();
}

std::string DecodeBase64Option(const std::string &text)
{
    return QByteArray::fromBase64(QByteArray::fromStdString(text)).toStdString();
}

void LoadOptions()
{
    const std::string folder = GetApplicationPath();
    OptionsFileName = folder + "Options.ini";
    OptionsSection = OptionsSectionForProgram(programFileName());
    ApplicationHelpFile = folder + "ZVO" + ".chm";
    const int32_t mainWindowW = defaultMainWindowWidth();

    CheckForUpdatesInterval = ReadStringOption("CheckForUpdatesInterval", "Every Week");
    CheckForUpdatesLastDate = ReadStringOption("CheckForUpdatesLastDate", "2000-01-01");
    ConcurrentConnectionCount = ReadNumberOption("ConcurrentConnectionCount", 8);
    MainWindowX = ReadNumberOption("MainWindowX", -1);
    MainWindowY = ReadNumberOption("MainWindowY", -1);
    MainWindowW = ReadNumberOption("MainWindowW", mainWindowW);
    MainWindowH = ReadNumberOption("MainWindowH", -1);
    MainWindowState = ReadWindowStateOption("MainWindowState", TWindowState::wsNormal);
    ProgressWindowX = ReadNumberOption("ProgressWindowX", -1);
    ProgressWindowY = ReadNumberOption("ProgressWindowY", -1);
    ProxyKind = ReadStringOption("ProxyKind", "HTTP");
    ProxyPassword = ReadPasswordOption("ProxyPassword", std::string());
    ProxyPort = ReadNumberOption("ProxyPort", 80);
    ProxyServer = ReadStringOption("ProxyServer", std::string());
    ProxyUsername = ReadStringOption("ProxyUsername", std::string());
    ShowSplashScreen = ReadBoolOption("ShowSplashScreen", true);
    UseProxy = ReadBoolOption("UseProxy", false);

    if (!UseProxy) {
        std::string server;
        int32_t port = 0;
        GetIEProxySettings(server, port);
        if (!server.empty()) {
            UseProxy = true;
            ProxyServer = server;
            ProxyPort = port;
        }
    }
}

void SaveOptions()
{
    WriteStringOption("CheckForUpdatesInterval", CheckForUpdatesInterval);
    WriteStringOption("CheckForUpdatesLastDate", CheckForUpdatesLastDate);
    WriteNumberOption("ConcurrentConnectionCount", ConcurrentConnectionCount);
    WriteNumberOption("MainWindowX", MainWindowX);
    WriteNumberOption("MainWindowY", MainWindowY);
    WriteNumberOption("MainWindowW", MainWindowW);
    WriteNumberOption("MainWindowH", MainWindowH);
    WriteWindowStateOption("MainWindowState", MainWindowState);
    WriteNumberOption("ProgressWindowX", ProgressWindowX);
    WriteNumberOption("ProgressWindowY", ProgressWindowY);
    WriteStringOption("ProxyKind", ProxyKind);
    WritePasswordOption("ProxyPassword", ProxyPassword);
    WriteNumberOption("ProxyPort", ProxyPort);
    WriteStringOption("ProxyServer", ProxyServer);
    WriteStringOption("ProxyUsername", ProxyUsername);
    WriteBoolOption("ShowSplashScreen", ShowSplashScreen);
    WriteBoolOption("UseProxy", UseProxy);
}

} // namespace foundation
