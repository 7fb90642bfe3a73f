#pragma once

// What the desktop tells the program about itself and the screen: the
// program folder, the program's version, the work area and the screen size,
// and opening links with the user's programs. Each answer can be pinned by a
// test with its scoped override, so that placement and version logic run the
// same on every machine.

#include "platform/rtl/ScopedOverride.h"
#include "platform/rtl/Types.h"

#include <QString>

#include <functional>
#include <optional>
#include <string>

namespace shell {

// The folder of the executable, without a trailing separator; empty when
// its name is not UTF-8 text, which Qt would read as another folder's.
QString programFolder();
// The same folder as the file system's bytes, whatever they are.
std::string programFolderName();
// Pins the program folder (trailing separators are dropped).
using ScopedProgramFolder = rtl::ScopedOverride<struct ProgramFolderTag, QString>;

// The four parts of the program's file version.
struct ProgramVersion
{
    int major = 0;
    int minor = 0;
    int release = 0;
    int build = 0;
    friend bool operator==(const ProgramVersion &, const ProgramVersion &) = default;
};

// The version compiled into the program; nullopt when the build carries none.
std::optional<ProgramVersion> programVersion();
// Pins the version; nullopt pretends the program has none.
using ScopedProgramVersion = rtl::ScopedOverride<struct ProgramVersionTag, std::optional<ProgramVersion>>;

// The primary screen's available area (without panels and docks); the zero
// rectangle when there is no screen.
rtl::TRect workArea();
// The primary screen's full size; zero without a screen.
rtl::TSize screenSize();
// Pin the answers of workArea() and screenSize().
using ScopedWorkArea = rtl::ScopedOverride<struct WorkAreaTag, rtl::TRect>;
using ScopedScreenSize = rtl::ScopedOverride<struct ScreenSizeTag, rtl::TSize>;

// Opens a web page (http, https) or a mailto link with the user's program;
// any other link is only logged. The result of the desktop is not reported:
// the caller has nothing sensible to do with it.
void openUrl(const QString &url);
using UrlOpener = std::function<void(const QString &)>;
// An opener that receives every URL instead of the desktop.
using ScopedUrlOpener = rtl::ScopedOverride<struct UrlOpenerTag, UrlOpener>;

} // namespace shell
