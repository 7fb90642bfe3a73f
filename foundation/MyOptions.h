#pragma once

// The program-wide settings, kept in "Options.ini" in the program folder.
// They are plain variables that every part of the program reads and assigns
// directly; only the GUI thread assigns them. LoadOptions fills them,
// SaveOptions writes them back.

#include <cstdint>
#include <string>

namespace foundation {

enum class TWindowState { wsNormal, wsMinimized, wsMaximized };

extern std::string CheckForUpdatesInterval;
extern std::string CheckForUpdatesLastDate;
extern int32_t ConcurrentConnectionCount;
extern int32_t MainWindowX;
extern int32_t MainWindowY;
extern int32_t MainWindowW;
extern int32_t MainWindowH;
extern TWindowState MainWindowState;
extern int32_t ProgressWindowX;
extern int32_t ProgressWindowY;
extern std::string ProxyKind;
extern std::string ProxyPassword;
extern int32_t ProxyPort;
extern std::string ProxyServer;
extern std::string ProxyUsername;
extern bool ShowSplashScreen;
extern bool UseProxy;

// Full path of "Options.ini" and the one section that holds every key; empty
// until LoadOptions has run.
extern std::string OptionsFileName;
extern std::string OptionsSection;
// The application's help file, set by LoadOptions.
extern std::string ApplicationHelpFile;

// The main window cannot be made narrower than this (its layout's minimum);
// its default width is never less.
inline constexpr int32_t MainWindowMinWidth = 630;

// Every setting at its default, as LoadOptions gives them without a file.
void SetDefaultOptions();
// A stored number outside the 32-bit range gives that key's default; a system
// proxy that cannot be read is not imported.
void LoadOptions();
// Writes every setting into Options.ini in one replacement of the file;
// false (errno says why) when it could not be written, and then the previous
// file is as it was.
bool SaveOptions();

// The section name for a program file name: every ".exe" removed, in any case.
std::string OptionsSectionForProgram(const std::string &programFileName);

std::string ReadIniValue(const std::string &key, int readLimit, const std::string &defaultValue);
std::string ReadStringOption(const std::string &key, const std::string &defaultValue);
int32_t ReadNumberOption(const std::string &key, int32_t defaultValue);
bool ReadBoolOption(const std::string &key, bool defaultValue);
TWindowState ReadWindowStateOption(const std::string &key, TWindowState defaultValue);
// A stored value whose text after "Base64:" is no Base64 reads as before and
// is written back as it stands until the password changes.
std::string ReadPasswordOption(const std::string &key, const std::string &defaultValue);

void WriteStringOption(const std::string &key, const std::string &value);
void WriteNumberOption(const std::string &key, double value);
void WriteBoolOption(const std::string &key, bool value);
void WriteWindowStateOption(const std::string &key, TWindowState value);
// Scrambled, ";" escaped and in Base64; a password the escape would not
// carry back is stored unescaped behind a leading ";" of the decoded text.
void WritePasswordOption(const std::string &key, const std::string &value);

std::string ScrambleText(const std::string &text);
std::string EncodeBase64Option(const std::string &text);
std::string DecodeBase64Option(const std::string &text);

} // namespace foundation
