#include "platform/shell/Desktop.h"

#include "platform/rtl/LocalNames.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QUrl>

#ifndef ZVO_VERSION_MAJOR
#define ZVO_VERSION_MAJOR -1
#define ZVO_VERSION_MINOR 0
#define ZVO_VERSION_PATCH 0
#define ZVO_VERSION_TWEAK 0
#endif

namespace shell {

namespace {

std::optional<ProgramVersion> compiledVersion()
{
    if (ZVO_VERSION_MAJOR < 0)
        return std::nullopt;
    return ProgramVersion{ZVO_VERSION_MAJOR, ZVO_VERSION_MINOR, ZVO_VERSION_PATCH, ZVO_VERSION_TWEAK};
}

// Links also come from texts the network wrote: the update list over plain
// HTTP, and the engine table and help book it may replace. A file, a share or
// a script handed to the desktop would open or run whatever the sender chose.
bool isWebPageOrMail(const QUrl &url)
{
    if (!url.isValid())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("mailto"))
        return !url.path().isEmpty();
    return (scheme == QLatin1String("http") || scheme == QLatin1String("https")) && !url.host().isEmpty();
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
    if (std::optional<QString> pinned = ScopedProgramFolder::current(); pinned && !pinned->isEmpty()) {
        while (pinned->size() > 1 && pinned->endsWith(QLatin1Char('/')))
            pinned->chop(1);
        return *pinned;
    }
    // Qt's own answer turns bytes that are no UTF-8 into U+FFFD, a folder
    // that does not exist or is another's; such a folder has no name here.
    if (const std::string folder = rtl::executableFolderBytes(); !folder.empty())
        return rtl::decodesFaithfully(folder) ? QFile::decodeName(QByteArray::fromStdString(folder)) : QString();
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QString();
}

std::string programFolderName()
{
    if (ScopedProgramFolder::current())
        return QFile::encodeName(programFolder()).toStdString();
    if (std::string folder = rtl::executableFolderBytes(); !folder.empty())
        return folder;
    return QFile::encodeName(programFolder()).toStdString();
}

std::optional<ProgramVersion> programVersion()
{
    if (const auto pinned = ScopedProgramVersion::current())
        return *pinned;
    return compiledVersion();
}

rtl::TRect workArea()
{
    if (const auto pinned = ScopedWorkArea::current())
        return *pinned;
    QScreen *screen = primaryScreen();
    if (!screen)
        return rtl::TRect{};
    const QRect r = screen->availableGeometry();
    return rtl::Bounds(r.x(), r.y(), r.width(), r.height());
}

rtl::TSize screenSize()
{
    if (const auto pinned = ScopedScreenSize::current())
        return *pinned;
    QScreen *screen = primaryScreen();
    if (!screen)
        return rtl::TSize{};
    const QSize s = screen->geometry().size();
    return rtl::TSize{s.width(), s.height()};
}

void openUrl(const QString &url)
{
    // TolerantMode keeps what the user typed (spaces, odd characters)
    // openable.
    const QUrl parsed(url, QUrl::TolerantMode);
    if (!isWebPageOrMail(parsed)) {
        qWarning("Link not opened, as it is no web page or mail address: \"%s\"", qUtf8Printable(url));
        return;
    }
    if (const UrlOpener opener = ScopedUrlOpener::valueOr({})) {
        opener(url);
        return;
    }
    QDesktopServices::openUrl(parsed);
}

} // namespace shell
