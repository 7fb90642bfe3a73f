#include "platform/shell/Desktop.h"

#include "platform/rtl/Hook.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QScreen>
#include <QUrl>

#include <mutex>

#ifndef ZVO_VERSION_MAJOR
#define ZVO_VERSION_MAJOR -1
#define ZVO_VERSION_MINOR 0
#define ZVO_VERSION_PATCH 0
#define ZVO_VERSION_TWEAK 0
#endif

namespace shell {

namespace {

std::mutex g_mutex;
QString g_programFolder;
bool g_versionPinned = false;
std::optional<ProgramVersion> g_version;
std::optional<rtl::TRect> g_workArea;
std::optional<rtl::TSize> g_screenSize;
rtl::Hook<UrlOpener> g_opener;

std::optional<ProgramVersion> compiledVersion()
{
    if (ZVO_VERSION_MAJOR < 0)
        return std::nullopt;
    return ProgramVersion{ZVO_VERSION_MAJOR, ZVO_VERSION_MINOR, ZVO_VERSION_PATCH, ZVO_VERSION_TWEAK};
}

QScreen *primaryScreen()
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return nullptr;
    return QGuiApplication::primaryScreen();
}

} // namespace

QString programFolder()
{
    {
        std::lock_guard lock(g_mutex);
        if (!g_programFolder.isEmpty())
            return g_programFolder;
    }
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QString();
}

void setProgramFolder(const QString &folder)
{
    std::lock_guard lock(g_mutex);
    g_programFolder = folder;
    while (g_programFolder.size() > 1 && g_programFolder.endsWith(QLatin1Char('/')))
        g_programFolder.chop(1);
}

std::optional<ProgramVersion> programVersion()
{
    std::lock_guard lock(g_mutex);
    return g_versionPinned ? g_version : compiledVersion();
}

void setProgramVersion(std::optional<ProgramVersion> version)
{
    std::lock_guard lock(g_mutex);
    g_versionPinned = true;
    g_version = version;
}

void resetProgramVersion()
{
    std::lock_guard lock(g_mutex);
    g_versionPinned = false;
    g_version.reset();
}

rtl::TRect workArea()
{
    {
        std::lock_guard lock(g_mutex);
        if (g_workArea)
            return *g_workArea;
    }
    QScreen *screen = primaryScreen();
    if (!screen)
        return rtl::TRect{};
    const QRect r = screen->availableGeometry();
    return rtl::Bounds(r.x(), r.y(), r.width(), r.height());
}

rtl::TSize screenSize()
{
    {
        std::lock_guard lock(g_mutex);
        if (g_screenSize)
            return *g_screenSize;
    }
    QScreen *screen = primaryScreen();
    if (!screen)
        return rtl::TSize{};
    const QSize s = screen->geometry().size();
    return rtl::TSize{s.width(), s.height()};
}

void setWorkArea(std::optional<rtl::TRect> area)
{
    std::lock_guard lock(g_mutex);
    g_workArea = area;
}

void setScreenSize(std::optional<rtl::TSize> size)
{
    std::lock_guard lock(g_mutex);
    g_screenSize = size;
}

void openUrl(const QString &url)
{
    if (const UrlOpener opener = g_opener.get()) {
        opener(url);
        return;
    }
    // Links come from the program's own texts and settings; TolerantMode
    // keeps what the user typed (spaces, odd characters) openable.
    QDesktopServices::openUrl(QUrl(url, QUrl::TolerantMode));
}

UrlOpener setUrlOpener(UrlOpener opener)
{
    return g_opener.replace(std::move(opener));
}

} // namespace shell
