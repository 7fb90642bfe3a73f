#include "foundation/MyUtilitiesFiles.h"

#include "foundation/MyUtilities.h"
#include "platform/rtl/AtomicSave.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileDescriptor.h"
#include "platform/rtl/QtText.h"
#include "platform/shell/Desktop.h"

#include <QFile>
#include <QTreeWidget>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <mutex>

namespace foundation {

namespace {

bool pathExists(const std::string &name)
{
    struct stat st
    {};
    return ::lstat(name.c_str(), &st) == 0;
}

// Splits at CR LF and at a lone LF: the files are edited with Linux editors
// too. A final line without an ending counts like the others.
bool nextLine(std::string_view &text, std::string_view &line)
{
    if (text.empty())
        return false;
    const auto lf = text.find('\n');
    if (lf == std::string_view::npos) {
        line = text;
        text = {};
        return true;
    }
    line = text.substr(0, lf);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    text.remove_prefix(lf + 1);
    return true;
}

QDateTime fileModified(const struct stat &st)
{
    const qint64 msecs = qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
    return QDateTime::fromMSecsSinceEpoch(msecs);
}

} // namespace

std::string GetApplicationPath()
{
    // The bytes the system gave: a name decoded and encoded again could
    // name another folder, or "/" for one that does not decode.
    std::string path = shell::programFolderName();
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

rtl::FileText ReadTextFile(const std::string &fileName)
{
    if (fileName.empty())
        return {{}, rtl::ReadFailure::Missing, ENOENT, rtl::FileReadLimit};
    return rtl::readWholeFile(fileName);
}

std::string LoadTextFile(const std::string &fileName)
{
    return ReadTextFile(fileName).text;
}

bool SaveTextFile(const std::string &fileName, const std::string &text, bool makeBackup, bool keepDate)
{
    // Not deleted and made anew: a linked file (a site list kept elsewhere)
    // is replaced beside its target and the link stays, and a device or a
    // pipe is written in place. A file made in the link's place would leave
    // the linked one stale, and every later save would miss it.
    const rtl::SaveResult result = rtl::atomicSave(fileName, text, {makeBackup, keepDate, rtl::ExistingFile::Replace});
    if (!result && result.failedStep == rtl::SaveStep::Create) {
        rtl::Exception failure("Cannot create file \"" + fileName + "\". " + result.reason());
        // The caller may tell the user why, as after a failed write.
        errno = result.error;
        throw failure;
    }
    return bool(result);
}

bool AppendLineToFile(const std::string &fileName, const std::string &line)
{
    ZVO_ASSERT(!fileName.empty(), MyUtilitiesUnit);
    // Workers log from several threads at once; one lock keeps each line whole.
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    // What somebody else planted in a shared folder under the name would
    // take the lines, as it would take a save; what is judged is what was
    // opened, so nothing planted between a look and the open wins. A pipe
    // nobody reads would hold the worker, and every worker after it at the
    // lock, for good.
    rtl::FileDescriptor fd = rtl::openUnplanted(fileName, O_WRONLY | O_APPEND | O_CREAT);
    if (!fd.valid())
        return false;
    const std::string record = line + "\r\n";
    const bool written = rtl::writeAll(fd.get(), record.data(), record.size());
    return fd.close() && written;
}

bool DeleteFileForced(const std::string &fileName)
{
    if (fileName.empty() || !pathExists(fileName))
        return false;
    // A read-only file needs no attribute change here: deleting it depends on
    // the folder's permissions only.
    return ::unlink(fileName.c_str()) == 0;
}

bool LoadListViewFromFile(const std::string &fileName, QTreeWidget *listView, const std::string &delimiter)
{
    ZVO_ASSERT(!fileName.empty(), MyUtilitiesUnit);
    ZVO_ASSERT(listView != nullptr, MyUtilitiesUnit);
    return LoadListViewFromText(LoadTextFile(fileName), listView, delimiter);
}

bool LoadListViewFromText(std::string_view content, QTreeWidget *listView, const std::string &delimiter)
{
    ZVO_ASSERT(listView != nullptr, MyUtilitiesUnit);
    try {
        listView->clear();
        std::string_view rest = content;
        std::string_view line;
        while (nextLine(rest, line)) {
            if (line.empty())
                continue;
            auto *item = new QTreeWidgetItem(listView);
            item->setText(0, rtl::ToQString(GetField(line, delimiter, 1)));
            const int fields = GetFieldCount(line, delimiter);
            for (int k = 2; k <= fields; ++k)
                item->setText(k - 1, rtl::ToQString(GetField(line, delimiter, k)));
        }
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

bool SaveListViewToFile(const std::string &fileName, QTreeWidget *listView, const std::string &delimiter)
{
    ZVO_ASSERT(!fileName.empty(), MyUtilitiesUnit);
    ZVO_ASSERT(listView != nullptr, MyUtilitiesUnit);
    const int columns = listView->columnCount();
    std::string text;
    for (int row = 0; row < listView->topLevelItemCount(); ++row) {
        const QTreeWidgetItem *item = listView->topLevelItem(row);
        // The file is the code page's bytes: a character it lacks would come
        // back as "?", so the save is refused before the file is touched.
        for (int column = 0; column < std::min(columns, item->columnCount()); ++column)
            if (!rtl::FitsCodePage(item->text(column)))
                throw rtl::Exception("Row " + std::to_string(row + 1) +
                                     " holds a character that the file's character set (Windows-1252) cannot keep");
        text += rtl::FromQString(item->text(0));
        for (int column = 1; column < columns; ++column) {
            // Sub-item k lives in column k; a row without it is a fault of
            // the caller, reported before the file is touched.
            if (column >= item->columnCount())
                throw rtl::Exception("List index out of bounds (" + std::to_string(column - 1) + ")");
            text += delimiter;
            text += rtl::FromQString(item->text(column));
        }
        text += "\r\n";
    }
    return SaveTextFile(fileName, text, false, false);
}

std::string GetFileVersionString()
{
    const auto version = shell::programVersion();
    if (!version)
        return {};
    char buffer[64];
    if (version->build != 0)
        std::snprintf(buffer, sizeof buffer, "%d.%d.%d.%d", version->major, version->minor, version->release,
                      version->build);
    else if (version->release == 0)
        std::snprintf(buffer, sizeof buffer, "%d.%d", version->major, version->minor);
    else
        std::snprintf(buffer, sizeof buffer, "%d.%d.%d", version->major, version->minor, version->release);
    return buffer;
}

rtl::TDateTime GetFileDateTime(const std::string &fileName)
{
    struct stat st
    {};
    if (fileName.empty() || ::stat(fileName.c_str(), &st) != 0)
        return 0;
    return rtl::FromQDateTime(fileModified(st));
}

std::string GetDateTimeStamp(bool dateOnly, rtl::TDateTime dateTime)
{
    if (dateTime == 0)
        dateTime = rtl::Now();
    const rtl::TDateParts date = rtl::DecodeDate(dateTime);
    rtl::TTimeParts time;
    if (!dateOnly)
        time = rtl::DecodeTime(dateTime);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d%02d%02d%02d%02d%02d", date.year, date.month, date.day, time.hour,
                  time.minute, time.second);
    return buffer;
}

int GetCurrentYear()
{
    return rtl::DecodeDate(rtl::Now()).year;
}

int GetCurrentMonth()
{
    return rtl::DecodeDate(rtl::Now()).month;
}

int GetCurrentDay()
{
    return rtl::DecodeDate(rtl::Now()).day;
}

} // namespace foundation
