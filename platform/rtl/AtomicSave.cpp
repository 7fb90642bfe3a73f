#include "platform/rtl/AtomicSave.h"

#include "platform/rtl/FileDescriptor.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <optional>
#include <random>

namespace rtl {

namespace {

constexpr size_t SaltDigits = 12;
// Symbolic links followed before the name itself is taken, as a loop of
// links would otherwise never end.
constexpr int MaxLinkDepth = 40;

// The error the test hook asks for before the step, or 0.
int hookError(SaveStep step)
{
    const SaveHook hook = ScopedSaveHook::valueOr({});
    return hook ? hook(step) : 0;
}

SaveResult failure(SaveStep step, int error)
{
    return SaveResult{false, step, error != 0 ? error : EIO};
}

// The folder part including its final "/", or "" for a bare name.
std::string folderOf(const std::string &name)
{
    const auto slash = name.rfind('/');
    return slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
}

// The file a chain of symbolic links ends at, even one that does not exist
// yet (the save creates it); the name itself when there is no link.
std::string followLinks(const std::string &name)
{
    std::string current = name;
    for (int depth = 0; depth < MaxLinkDepth; ++depth) {
        struct stat st
        {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return current;
        std::string target(size_t(st.st_size > 0 ? st.st_size : 4096), '\0');
        const ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
        if (n <= 0)
            return current;
        target.resize(size_t(n));
        current = target.front() == '/' ? target : folderOf(current) + target;
    }
    return name;
}

// A new, empty file beside the target that nobody else can have opened. Its
// mode is the ordinary one for new files (0666 less the umask).
FileDescriptor createTemporaryBeside(const std::string &name, std::string &tempName)
{
    static std::mutex mutex;
    static std::mt19937_64 random{std::random_device{}()};
    const std::string folder = folderOf(name);
    const std::string base = name.substr(folder.size());
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned long long salt = 0;
        {
            std::lock_guard lock(mutex);
            salt = random();
        }
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".%012llx~", salt & 0xFFFFFFFFFFFFull);
        tempName = folder + "." + base + suffix;
        FileDescriptor fd(::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (fd.valid() || errno != EEXIST)
            return fd;
    }
    return FileDescriptor();
}

void syncFolder(const std::string &fileName)
{
    if (hookError(SaveStep::SyncFolder) != 0)
        return;
    const std::string folder = folderOf(fileName);
    FileDescriptor fd(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    // Some file systems cannot sync a folder; the new file is in place anyway.
    if (fd.valid())
        ::fsync(fd.get());
}

// The steps after Create up to the rename, on the temporary file. The
// previous file's stat, when there is one, gives the mode or date to keep.
SaveResult fillTemporary(FileDescriptor &fd, std::string_view bytes, const AtomicSaveOptions &options,
                         const std::optional<struct stat> &previous)
{
    if (previous && options.existing == ExistingFile::Update)
        ::fchmod(fd.get(), previous->st_mode & 07777);
    if (const int error = hookError(SaveStep::Write))
        return failure(SaveStep::Write, error);
    if (!writeAll(fd.get(), bytes.data(), bytes.size()))
        return failure(SaveStep::Write, errno);
    if (previous && options.keepDate) {
        const struct timespec times[2] = {previous->st_atim, previous->st_mtim};
        ::futimens(fd.get(), times);
    }
    if (const int error = hookError(SaveStep::Sync))
        return failure(SaveStep::Sync, error);
    // Data a write accepted may still fail on its way to the disk: only a
    // successful sync and close say that it is there.
    if (::fsync(fd.get()) != 0 || !fd.close())
        return failure(SaveStep::Sync, errno);
    return {};
}

bool copyForBackup(const std::string &from, const std::string &to)
{
    FileDescriptor in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    std::string content;
    if (!in.valid() || !readAll(in.get(), content))
        return false;
    std::string tempName;
    FileDescriptor out = createTemporaryBeside(to, tempName);
    if (!out.valid())
        return false;
    const bool ok = writeAll(out.get(), content.data(), content.size()) && ::fsync(out.get()) == 0 && out.close() &&
                    ::rename(tempName.c_str(), to.c_str()) == 0;
    if (!ok)
        ::unlink(tempName.c_str());
    return ok;
}

void makeBackup(const std::string &fileName)
{
    // A hard link keeps the target in place until the rename swaps in the
    // new content; file systems without links get a copy. A backup that
    // cannot be made does not stop the save.
    const std::string backupName = backupFileName(fileName);
    ::unlink(backupName.c_str());
    if (::link(fileName.c_str(), backupName.c_str()) != 0)
        copyForBackup(fileName, backupName);
}

SaveResult save(const std::string &requestedName, std::string_view bytes, const AtomicSaveOptions &options)
{
    if (requestedName.empty())
        return failure(SaveStep::Create, ENOENT);
    const std::string fileName = options.existing == ExistingFile::Update ? followLinks(requestedName) : requestedName;

    std::optional<struct stat> previous;
    struct stat st
    {};
    if (::stat(fileName.c_str(), &st) == 0)
        previous = st;
    if (previous && S_ISDIR(previous->st_mode))
        return failure(SaveStep::Create, EISDIR);
    if (previous && options.existing == ExistingFile::Update && ::access(fileName.c_str(), W_OK) != 0)
        return failure(SaveStep::Create, errno);

    if (const int error = hookError(SaveStep::Create))
        return failure(SaveStep::Create, error);
    std::string tempName;
    FileDescriptor fd = createTemporaryBeside(fileName, tempName);
    if (!fd.valid())
        return failure(SaveStep::Create, errno);

    if (SaveResult result = fillTemporary(fd, bytes, options, previous); !result) {
        fd.close();
        ::unlink(tempName.c_str());
        return result;
    }

    if (options.makeBackup && previous && hookError(SaveStep::Backup) == 0)
        makeBackup(fileName);

    // A read-only target goes like any other: rename needs only the folder.
    int error = hookError(SaveStep::Rename);
    if (error == 0 && ::rename(tempName.c_str(), fileName.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(tempName.c_str());
        return failure(SaveStep::Rename, error);
    }
    // Without this a power loss could bring back the previous file, or none.
    syncFolder(fileName);
    return {};
}

bool isLowerHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

} // namespace

std::string SaveResult::reason() const
{
    return std::strerror(error);
}

SaveResult atomicSave(const std::string &fileName, std::string_view bytes, const AtomicSaveOptions &options)
{
    const SaveResult result = save(fileName, bytes, options);
    if (!result)
        errno = result.error;
    return result;
}

std::string backupFileName(const std::string &fileName)
{
    const std::string folder = folderOf(fileName);
    const std::string base = fileName.substr(folder.size());
    const auto dot = base.rfind('.');
    const std::string stem = (dot == std::string::npos || dot == 0) ? base : base.substr(0, dot);
    return folder + stem + ".bak";
}

bool isAtomicSaveTemporary(std::string_view name)
{
    // "." + at least one character + "." + digits + "~"
    if (name.size() < SaltDigits + 4 || name.front() != '.' || name.back() != '~')
        return false;
    const std::string_view salt = name.substr(name.size() - 1 - SaltDigits, SaltDigits);
    for (const char c : salt)
        if (!isLowerHexDigit(c))
            return false;
    return name[name.size() - 2 - SaltDigits] == '.';
}

int removeAtomicSaveLeftovers(const std::string &folder)
{
    DIR *dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return 0;
    const int dirFd = ::dirfd(dir);
    int removed = 0;
    while (const dirent *entry = ::readdir(dir)) {
        if (!isAtomicSaveTemporary(entry->d_name))
            continue;
        struct stat st
        {};
        if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
            ::unlinkat(dirFd, entry->d_name, 0) == 0)
            ++removed;
    }
    ::closedir(dir);
    return removed;
}

} // namespace rtl
