#include "foundation/MyOptions.h"

#include "foundation/MyUtilities.h"
#include "foundation/MyUtilitiesFiles.h"
#include "foundation/MyUtilitiesUi.h"
#include "foundation/MyWebUtilitiesProxy.h"
#include "platform/ini/PrivateProfile.h"
#include "platform/rtl/Exceptions.h"
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
#include <iterator>
#include <map>
#include <variant>

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

const std::string PasswordPrefix = "Base64:";
// Leads the decoded text of a password stored unescaped. The escaped form
// never holds a ";", so no file written before can begin with one.
constexpr char UnescapedMark = ';';

// Bytes that Windows-1252 leaves undefined, so no character a user can type
// scrambles to NUL, and none of the ASCII range to ";" or "~". Other
// characters can: the escape of ";" as "~~~" then fails for every scrambled
// text holding "~~~", or a "~" directly before a ";" ("~;" and ";~" both
// become "~~~~", which reads back as ";~"), and one ending in NUL loses it.
// A key of 0x7F would rule the first out, but every password stored so far
// is scrambled with these, so they stay; the writer checks its round trip
// instead and stores such a password in the unescaped form below.
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

// Written with a full stop whatever the locale: the reader takes both.
std::string numberText(double value)
{
    char buf[400];
    const bool whole = std::isfinite(value) && value == std::trunc(value);
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, whole ? 0 : 8);
    return std::string(buf, res.ptr);
}

std::string boolText(bool value)
{
    return value ? "true" : "false";
}

std::string windowStateText(TWindowState value)
{
    switch (value) {
    case TWindowState::wsNormal: return "Normal";
    case TWindowState::wsMinimized: return "Minimized";
    case TWindowState::wsMaximized: return "Maximized";
    }
    return "Normal";
}

struct StoredPassword
{
    std::string password;
    // False where the text after the prefix is no Base64: the password is
    // what a lenient decoder makes of it, and the text is no password's form.
    bool decodable = true;
};

StoredPassword passwordFromStored(const std::string &value)
{
    std::string text = value;
    bool decodable = true;
    if (value.starts_with(PasswordPrefix)) {
        // Only what an encoder writes: a decoder that takes a dangling
        // character, missing padding or stray padding bits drops part of the
        // text, which a rewrite would then lose.
        const QByteArray encoded = QByteArray::fromStdString(value.substr(PasswordPrefix.size()));
        const auto strict = QByteArray::fromBase64Encoding(encoded, QByteArray::AbortOnBase64DecodingErrors);
        decodable = strict && strict.decoded.toBase64() == encoded;
        text = decodable ? strict.decoded.toStdString() : DecodeBase64Option(value.substr(PasswordPrefix.size()));
        if (decodable && text.starts_with(UnescapedMark))
            return {ScrambleText(text.substr(1)), true};
        if (!text.empty() && text.back() == '\0')
            text.pop_back();
    }
    return {ScrambleText(ReplaceText(text, "~~~", ";", true)), decodable};
}

// A stored value that is no Base64 cannot be told from a password the user
// meant, so it is written back as it stands while the password read from it
// is unchanged; rewriting it would lose whatever it held for good.
struct KeptPassword
{
    std::string stored;
    std::string password;
};

std::map<std::string, KeptPassword> &keptPasswords()
{
    static std::map<std::string, KeptPassword> kept;
    return kept;
}

std::string keptPasswordKey(const std::string &key)
{
    return OptionsFileName + '\n' + OptionsSection + '\n' + key;
}

std::string passwordText(const std::string &key, const std::string &value)
{
    const auto kept = keptPasswords().find(keptPasswordKey(key));
    if (kept != keptPasswords().end() && kept->second.password == value)
        return kept->second.stored;
    const std::string escaped = PasswordPrefix + EncodeBase64Option(ReplaceText(ScrambleText(value), ";", "~~~", true));
    if (passwordFromStored(escaped).password == value)
        return escaped;
    return PasswordPrefix + EncodeBase64Option(UnescapedMark + ScrambleText(value));
}

template <typename... Ts>
struct Overloaded : Ts...
{
    using Ts::operator()...;
};
// Spelled out for compilers that do not deduce an aggregate's arguments.
template <typename... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

// Every setting with its key and default, in the order a new Options.ini
// lists them. Loading, saving and the defaults all go by this one table.
struct Setting
{
    const char *key;
    std::variant<std::string *, int32_t *, bool *, TWindowState *> variable;
    std::variant<const char *, int32_t, int32_t (*)(), bool, TWindowState> fallback;
    // Stored scrambled and in Base64.
    bool password = false;
};

const Setting Settings[] = {
    {"CheckForUpdatesInterval", &CheckForUpdatesInterval, "Every Week"},
    {"CheckForUpdatesLastDate", &CheckForUpdatesLastDate, "2000-01-01"},
    {"ConcurrentConnectionCount", &ConcurrentConnectionCount, 8},
    {"MainWindowX", &MainWindowX, -1},
    {"MainWindowY", &MainWindowY, -1},
    {"MainWindowW", &MainWindowW, &defaultMainWindowWidth},
    {"MainWindowH", &MainWindowH, -1},
    {"MainWindowState", &MainWindowState, TWindowState::wsNormal},
    {"ProgressWindowX", &ProgressWindowX, -1},
    {"ProgressWindowY", &ProgressWindowY, -1},
    {"ProxyKind", &ProxyKind, "HTTP"},
    {"ProxyPassword", &ProxyPassword, "", true},
    {"ProxyPort", &ProxyPort, 80},
    {"ProxyServer", &ProxyServer, ""},
    {"ProxyUsername", &ProxyUsername, ""},
    {"ShowSplashScreen", &ShowSplashScreen, true},
    {"UseProxy", &UseProxy, false},
};

int32_t numberDefault(const Setting &setting)
{
    if (const auto *compute = std::get_if<int32_t (*)()>(&setting.fallback))
        return (*compute)();
    return std::get<int32_t>(setting.fallback);
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
    // One number out of range must not cost the user the rest of the file:
    // a caller that gave up on the whole load would write every default
    // over it at the next save.
    try {
        return rtl::Round(StrToNumber(value));
    } catch (const rtl::ERangeError &) {
        return defaultValue;
    }
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
    const std::string value = ReadStringOption(key, std::string());
    keptPasswords().erase(keptPasswordKey(key));
    if (value.empty())
        return defaultValue;
    StoredPassword stored = passwordFromStored(value);
    if (!stored.decodable)
        keptPasswords()[keptPasswordKey(key)] = {value, stored.password};
    return std::move(stored.password);
}

void WriteStringOption(const std::string &key, const std::string &value)
{
    if (!fileVariablesSet())
        return;
    ini::WritePrivateProfileString(OptionsSection, key, value, OptionsFileName);
}

void WriteNumberOption(const std::string &key, double value)
{
    WriteStringOption(key, numberText(value));
}

void WriteBoolOption(const std::string &key, bool value)
{
    WriteStringOption(key, boolText(value));
}

void WriteWindowStateOption(const std::string &key, TWindowState value)
{
    WriteStringOption(key, windowStateText(value));
}

void WritePasswordOption(const std::string &key, const std::string &value)
{
    WriteStringOption(key, passwordText(key, value));
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

void SetDefaultOptions()
{
    for (const Setting &setting : Settings) {
        std::visit(Overloaded{[&](std::string *v) { *v = std::get<const char *>(setting.fallback); },
                              [&](int32_t *v) { *v = numberDefault(setting); },
                              [&](bool *v) { *v = std::get<bool>(setting.fallback); },
                              [&](TWindowState *v) { *v = std::get<TWindowState>(setting.fallback); }},
                   setting.variable);
    }
}

void LoadOptions()
{
    const std::string folder = GetApplicationPath();
    OptionsFileName = folder + "Options.ini";
    OptionsSection = OptionsSectionForProgram(programFileName());
    ApplicationHelpFile = folder + "ZVO" + ".chm";

    for (const Setting &setting : Settings) {
        const std::string key = setting.key;
        std::visit(Overloaded{[&](std::string *v) {
                                  const std::string fallback = std::get<const char *>(setting.fallback);
                                  *v = setting.password ? ReadPasswordOption(key, fallback)
                                                        : ReadStringOption(key, fallback);
                              },
                              [&](int32_t *v) { *v = ReadNumberOption(key, numberDefault(setting)); },
                              [&](bool *v) { *v = ReadBoolOption(key, std::get<bool>(setting.fallback)); },
                              [&](TWindowState *v) {
                                  *v = ReadWindowStateOption(key, std::get<TWindowState>(setting.fallback));
                              }},
                   setting.variable);
    }

    if (!UseProxy) {
        std::string server;
        int32_t port = 0;
        // A system setting we cannot read leaves the proxy as the file has it.
        try {
            GetIEProxySettings(server, port);
        } catch (const rtl::ERangeError &) {
            server.clear();
        }
        if (!server.empty()) {
            UseProxy = true;
            ProxyServer = server;
            ProxyPort = port;
        }
    }
}

bool SaveOptions()
{
    if (!fileVariablesSet()) {
        // Written key by key, as the settings once were, every key beeped.
        for (size_t i = 1; i < std::size(Settings); ++i)
            fileVariablesSet();
        return false;
    }
    // One write for all keys: the file is replaced once, and a failure
    // leaves the whole previous file rather than some keys of each.
    return ini::editFile(OptionsFileName, [](ini::IniDocument &doc) {
        for (const Setting &setting : Settings) {
            const std::string text = std::visit(
                Overloaded{[&](const std::string *v) { return setting.password ? passwordText(setting.key, *v) : *v; },
                           [](const int32_t *v) { return numberText(*v); }, [](const bool *v) { return boolText(*v); },
                           [](const TWindowState *v) { return windowStateText(*v); }},
                setting.variable);
            doc.setValue(OptionsSection, setting.key, text);
        }
        return true;
    });
}

} // namespace foundation
