#include "foundation/MyUtilitiesFiles.h"

#include "foundation/MyUtilities.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/QtText.h"
#include "platform/shell/Desktop.h"

#include <QFile>
#include <QTreeWidget>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <random>

namespace foundation {

namespace {

constexpr const char *UnitName = "MyUtilities";

// Closes a POSIX descriptor on every path out of a routine.
class FileDescriptor
{
public:
    explicit FileDescriptor(int fd = -1)
        : m_fd(fd)
    {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Closes now and reports whether the close, which may flush, succeeded.
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }
    void reset() { close(); }

private:
    int m_fd;
};

bool writeAll(int fd, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

bool pathExists(const std::string &name)
{
    struct stat st
    {};
    return ::lstat(name.c_str(), &st) == 0;
}

// The folder part including its final "/", or "" for a bare name.
std::string folderOf(const std::string &name)
{
    const auto slash = name.rfind('/');
    return slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
}

std::string backupNameOf(const std::string &name)
{
    const std::string folder = folderOf(name);
    const std::string base = name.substr(folder.size());
    const auto dot = base.rfind('.');
    // A leading dot starts a hidden name, not an extension.
    const std::string stem = (dot == std::string::npos || dot == 0) ? base : base.substr(0, dot);
    return folder + stem + ".bak";
}

// A new, empty file beside the target that nobody else can have opened. Its
// mode is the ordinary one for new files (0666 less the umask), whatever the
// target's was.
FileDescriptor createTemporaryBeside(const std::string &name, std::string &tempName)
{
    static std::mutex mutex;
    static std::mt19937_64 random{std::random_device{}()};
    const std::string folder = folderOf(name);
    const std::string base = name.substr(folder.size());
    int lastError = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned long long salt = 0;
        {
            std::lock_guard lock(mutex);
            salt = random();
        }
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".%012llx~", salt & 0xFFFFFFFFFFFFull);
        tempName = folder + "." + base + suffix;
        const int fd = ::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0)
            return FileDescriptor(fd);
        lastError = errno;
        if (lastError != EEXIST)
            break;
    }
    throw rtl::Exception("Cannot create file \"" + name + "\". " + std::strerror(lastError));
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
    const QByteArray folder = QFile::encodeName(shell::programFolder());
    std::string path(folder.constData(), static_cast<size_t>(folder.size()));
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

std::string LoadTextFile(const std::string &fileName)
{
    if (fileName.empty())
        return {};
    FileDescriptor fd(::open(fileName.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st
    {};
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || S_ISDIR(st.st_mode))
        return {};
    std::string text;
    if (S_ISREG(st.st_mode))
        text.reserve(size_t(st.st_size));
    // Read to the end rather than to the size seen at the start: a log that
    // grows meanwhile still comes whole, and a short read is not an error.
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return {};
        if (n == 0)
            break;
        text.append(buffer, size_t(n));
    }
    return text;
}

bool SaveTextFile(const std::string &fileName, const std::string &text, bool makeBackup, bool keepDate)
{
    if (fileName.empty())
        throw rtl::Exception("Cannot create file \"\". " + std::string(std::strerror(ENOENT)));
    struct stat previous
    {};
    const bool existed = ::stat(fileName.c_str(), &previous) == 0;
    if (existed && S_ISDIR(previous.st_mode))
        throw rtl::Exception("Cannot create file \"" + fileName + "\". " + std::strerror(EISDIR));

    // The new content goes to a file of its own first, so that a full disk or
    // a crash can never leave the user with half a file or none.
    std::string tempName;
    FileDescriptor fd = createTemporaryBeside(fileName, tempName);
    bool ok = writeAll(fd.get(), text.data(), text.size()) && ::fsync(fd.get()) == 0;
    if (ok && keepDate && existed) {
        const struct timespec times[2] = {previous.st_atim, previous.st_mtim};
        ::futimens(fd.get(), times);
    }
    ok = fd.close() && ok;
    if (!ok) {
        ::unlink(tempName.c_str());
        return false;
    }

    if (makeBackup && existed) {
        // A hard link keeps the target in place until the rename below swaps
        // in the new content; file systems without links get a copy.
        const std::string backupName = backupNameOf(fileName);
        DeleteFileForced(backupName);
        if (::link(fileName.c_str(), backupName.c_str()) != 0) {
            const std::string old = LoadTextFile(fileName);
            FileDescriptor copy(::open(backupName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
            if (copy.valid())
                writeAll(copy.get(), old.data(), old.size());
        }
    }

    // A read-only target goes like any other: rename needs only the folder.
    if (::rename(tempName.c_str(), fileName.c_str()) != 0) {
        ::unlink(tempName.c_str());
        return false;
    }
    return true;
}

bool AppendLineToFile(const std::string &fileName, const std::string &line)
{
    ZVO_ASSERT(!fileName.empty(), UnitName);
    // Workers log from several threads at once; one lock keeps each line whole.
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    FileDescriptor fd(::open(fileName.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666));
    if (!fd.valid())
        return false;
    const std::string record = line + "\r\n";
    const bool written = writeAll(fd.get(), record.data(), record.size());
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
    ZVO_ASSERT(!fileName.empty(), UnitName);
    ZVO_ASSERT(listView != nullptr, UnitName);
    try {
        listView->clear();
        const std::string content = LoadTextFile(fileName);
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
    ZVO_ASSERT(!fileName.empty(), UnitName);
    ZVO_ASSERT(listView != nullptr, UnitName);
    const int columns = listView->columnCount();
    std::string text;
    for (int row = 0; row < listView->topLevelItemCount(); ++row) {
        const QTreeWidgetItem *item = listView->topLevelItem(row);
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
