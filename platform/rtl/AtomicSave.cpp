#include "platform/rtl/AtomicSave.h"

#include "platform/rtl/FileDescriptor.h"
#include "platform/rtl/LocalNames.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <optional>
#include <random>
#include <vector>

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
    return SaveResult{false, step, error != 0 ? error : EIO, {}};
}

// The folder part including its final "/", or "" for a bare name.
std::string folderOf(const std::string &name)
{
    const auto slash = name.rfind('/');
    return slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
}

// The kernel's guards for folders that everybody shares (/tmp, a sticky
// folder that anyone may write): a link there is followed, and an existing
// file or pipe there opened to be written, only by its owner, or when the
// folder's owner owns it too. Anyone else could have planted it: a link to a
// file of the caller's, a file the planter reads and changes, a pipe the
// planter reads from. A rename passes no such guard, so the save asks it
// itself, and asks it whether or not the guards are switched on
// (fs.protected_symlinks, protected_regular, protected_fifos): a save may be
// run by root.
bool ownedBySharer(const std::string &name, uid_t owner)
{
    if (owner == ::geteuid())
        return true;
    const std::string folder = folderOf(name);
    struct stat dir
    {};
    if (::stat(folder.empty() ? "." : folder.c_str(), &dir) != 0)
        return false;
    const mode_t shared = S_ISVTX | S_IWOTH;
    return (dir.st_mode & shared) != shared || dir.st_uid == owner;
}

bool inSharedFolder(const std::string &name)
{
    const std::string folder = folderOf(name);
    struct stat dir
    {};
    const mode_t shared = S_ISVTX | S_IWOTH;
    return ::stat(folder.empty() ? "." : folder.c_str(), &dir) == 0 && (dir.st_mode & shared) == shared;
}

// Pushes the parts of a path onto a walk's stack, last part first, so that
// the next part to walk is the stack's last.
void pushPathParts(const std::string &path, std::vector<std::string> &parts)
{
    for (size_t end = path.size(); end > 0;) {
        const size_t start = path.rfind('/', end - 1);
        const size_t from = start == std::string::npos ? 0 : start + 1;
        if (end > from)
            parts.push_back(path.substr(from, end - from));
        if (start == std::string::npos)
            break;
        end = start;
    }
}

// The folders on the way to the name, walked as the kernel walks them, so
// that a link planted as a folder ("/tmp/out" -> "/root") is refused as one
// at the end of the name is. 0, or the error open() would give.
int checkFolderLinks(const std::string &name)
{
    const std::string folder = folderOf(name);
    std::vector<std::string> parts; // the parts still to walk, the next one last
    pushPathParts(folder, parts);
    // The real folders walked so far, ending in "/" ("" for the current one).
    std::string walked = !folder.empty() && folder.front() == '/' ? "/" : "";
    int links = 0;
    while (!parts.empty()) {
        const std::string part = std::move(parts.back());
        parts.pop_back();
        if (part == ".")
            continue;
        if (part == "..") {
            if (walked.empty() || walked.ends_with("../"))
                walked += "../";
            else if (walked != "/")
                walked.erase(walked.rfind('/', walked.size() - 2) + 1);
            continue;
        }
        const std::string next = walked + part;
        struct stat st
        {};
        // Missing or no folder: the save fails there on its own.
        if (::lstat(next.c_str(), &st) != 0)
            return 0;
        if (!S_ISLNK(st.st_mode)) {
            walked = next + "/";
            continue;
        }
        if (++links > MaxLinkDepth)
            return ELOOP;
        if (!ownedBySharer(next, st.st_uid))
            return EACCES;
        std::string target(size_t(st.st_size > 0 ? st.st_size : 4096), '\0');
        const ssize_t n = ::readlink(next.c_str(), target.data(), target.size());
        if (n <= 0)
            return 0;
        target.resize(size_t(n));
        pushPathParts(target, parts);
        if (target.front() == '/')
            walked = "/";
    }
    return 0;
}

struct LinkEnd
{
    std::string name;
    int error = 0; // as open() would have refused the chain
};

// The file a chain of symbolic links ends at, even one that does not exist
// yet (the save creates it); the name itself when there is no link.
LinkEnd followLinks(const std::string &name)
{
    std::string current = name;
    for (int depth = 0; depth <= MaxLinkDepth; ++depth) {
        if (const int error = checkFolderLinks(current))
            return {name, error};
        struct stat st
        {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return {current};
        // A loop, or a chain longer than the kernel would walk.
        if (depth == MaxLinkDepth)
            return {name, ELOOP};
        if (!ownedBySharer(current, st.st_uid))
            return {name, EACCES};
        std::string target(size_t(st.st_size > 0 ? st.st_size : 4096), '\0');
        const ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
        if (n <= 0)
            return {current};
        target.resize(size_t(n));
        std::string next = target.front() == '/' ? target : folderOf(current) + target;
        // The kernel's own links (/dev/stdout, /proc/self/fd/1) name a pipe
        // or a socket by words that are no path; only the link reaches it.
        struct stat reached
        {};
        if (::lstat(next.c_str(), &reached) != 0 && ::stat(current.c_str(), &reached) == 0)
            return {current};
        current = std::move(next);
    }
    return {name, ELOOP};
}

// The new file is the old one in all but its content: a private list stays
// private, and a file root saves stays its owner's. The owner goes first, as
// a change of owner clears the set-id bits. Rights meant for a group or an
// owner the caller cannot give the file are not handed to the caller's own.
// Extra rights are added on top (a replaced read-only file is writable again).
void keepAccess(int fd, const struct stat &previous, mode_t extra = 0)
{
    mode_t mode = (previous.st_mode & 07777) | extra;
    if (::fchown(fd, previous.st_uid, previous.st_gid) != 0) {
        mode &= ~mode_t(S_ISUID);
        if (::fchown(fd, uid_t(-1), previous.st_gid) != 0)
            mode &= ~mode_t(S_ISGID | S_IRWXG);
    }
    ::fchmod(fd, mode);
}

// A new, empty file beside the target that nobody else can have opened. Its
// mode is the ordinary one for new files (0666 less the umask) until the
// caller gives it the previous file's.
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
        FileDescriptor fd(::open(tempName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
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

bool copyForBackup(const std::string &from, const std::string &to)
{
    FileDescriptor in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    std::string content;
    struct stat st
    {};
    if (!in.valid() || ::fstat(in.get(), &st) != 0 || !readAll(in.get(), content))
        return false;
    std::string tempName;
    FileDescriptor out = createTemporaryBeside(to, tempName);
    if (!out.valid())
        return false;
    // A private file's copy is as private as the file.
    keepAccess(out.get(), st);
    const bool ok = writeAll(out.get(), content.data(), content.size()) && ::fsync(out.get()) == 0 && out.close() &&
                    ::rename(tempName.c_str(), to.c_str()) == 0;
    if (!ok) {
        const int error = errno;
        ::unlink(tempName.c_str());
        errno = error;
    }
    return ok;
}

void makeBackup(const std::string &fileName)
{
    // A hard link keeps the target in place until the rename swaps in the
    // new content; file systems without links get a copy. A backup that
    // cannot be made does not stop the save, but is told: the caller counts
    // on the previous content being kept (a file somebody else put under
    // the backup's name in a shared folder, a folder there, stay).
    const std::string backupName = backupFileName(fileName);
    ::unlink(backupName.c_str());
    if (::link(fileName.c_str(), backupName.c_str()) == 0 || copyForBackup(fileName, backupName))
        return;
    const int error = errno;
    std::fprintf(stderr, "%s: the backup \"%s\" was not made: %s; \"%s\" is saved without it\n",
                 program_invocation_short_name, printableBytes(backupName).c_str(), std::strerror(error),
                 printableBytes(fileName).c_str());
}

SaveResult save(const std::string &fileName, std::string_view bytes, const AtomicSaveOptions &options)
{
    AtomicFile file;
    if (SaveResult result = file.open(fileName, options); !result)
        return result;
    if (SaveResult result = file.write(bytes.data(), bytes.size()); !result)
        return result;
    return file.commit();
}

bool isLowerHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

} // namespace

SaveResult AtomicFile::open(const std::string &requestedName, const AtomicSaveOptions &options)
{
    discard();
    if (requestedName.empty())
        return failure(SaveStep::Create, ENOENT);
    m_options = options;
    // A link renamed over would become a file of its own, and the file it
    // pointed at would keep the old content.
    LinkEnd end = followLinks(requestedName);
    m_fileName = std::move(end.name);
    if (end.error != 0)
        return failure(SaveStep::Create, end.error);

    m_previous.reset();
    struct stat st
    {};
    if (::stat(m_fileName.c_str(), &st) == 0)
        m_previous = st;
    if (m_previous && S_ISDIR(m_previous->st_mode))
        return failure(SaveStep::Create, EISDIR);
    if (m_previous && (S_ISREG(m_previous->st_mode) || S_ISFIFO(m_previous->st_mode)) &&
        !ownedBySharer(m_fileName, m_previous->st_uid))
        return failure(SaveStep::Create, EACCES);
    if (m_previous && !S_ISREG(m_previous->st_mode))
        return openInPlace();
    if (m_previous && options.existing == ExistingFile::Update && ::access(m_fileName.c_str(), W_OK) != 0)
        return failure(SaveStep::Create, errno);

    if (options.removeLeftovers) {
        const std::string folder = folderOf(m_fileName);
        removeAtomicSaveLeftovers(folder, std::string_view(m_fileName).substr(folder.size()));
    }
    if (const int error = hookError(SaveStep::Create))
        return failure(SaveStep::Create, error);
    m_fd = createTemporaryBeside(m_fileName, m_tempName);
    if (!m_fd.valid()) {
        // Behind a link, the folder that refused is not the one the caller
        // named; the message has to say which it was.
        SaveResult result = failure(SaveStep::Create, errno);
        const std::string folder = folderOf(m_fileName);
        result.folder = folder.size() > 1 ? folder.substr(0, folder.size() - 1) : folder.empty() ? "." : folder;
        return result;
    }
    // Shared with nobody: the lock only tells a leftover from a running save.
    ::flock(m_fd.get(), LOCK_EX | LOCK_NB);
    // Replace clears a read-only file's protection with the old file, as a
    // deletion would, and keeps who may read it. In a shared folder the
    // caller's content is never handed to another owner, nor opened to the
    // readers another owner's file allowed.
    if (m_previous && (m_previous->st_uid == ::geteuid() || !inSharedFolder(m_fileName)))
        keepAccess(m_fd.get(), *m_previous, options.existing == ExistingFile::Replace ? S_IWUSR : 0);
    return {};
}

SaveResult AtomicFile::openInPlace()
{
    // A device node renamed over would be gone for every other program (as
    // root even /dev/full), and a pipe's reader would wait for ever.
    if (const int error = hookError(SaveStep::Create))
        return failure(SaveStep::Create, error);
    m_fd = openWithoutWaiting(m_fileName, O_WRONLY);
    if (!m_fd.valid())
        return failure(SaveStep::Create, errno);
    m_inPlace = true;
    return {};
}

SaveResult AtomicFile::write(const void *data, size_t size)
{
    if (!m_fd.valid())
        return failure(SaveStep::Write, EBADF);
    if (const int error = hookError(SaveStep::Write))
        return failure(SaveStep::Write, error);
    if (!writeAll(m_fd.get(), static_cast<const char *>(data), size))
        return failure(SaveStep::Write, errno);
    return {};
}

SaveResult AtomicFile::commit()
{
    if (!m_fd.valid())
        return failure(SaveStep::Sync, EBADF);
    const auto fail = [this](SaveStep step, int error) {
        discard();
        return failure(step, error);
    };
    if (m_inPlace) {
        // Written without a buffer, so each write has said whether it went;
        // a disk's own block device holds them in the cache until the sync,
        // and the close reports what a device kept back until then.
        m_inPlace = false;
        if (const int error = hookError(SaveStep::Sync))
            return fail(SaveStep::Sync, error);
        if ((S_ISBLK(m_previous->st_mode) && ::fsync(m_fd.get()) != 0) || !m_fd.close())
            return fail(SaveStep::Sync, errno);
        return {};
    }
    if (m_previous && m_options.keepDate) {
        const struct timespec times[2] = {m_previous->st_atim, m_previous->st_mtim};
        ::futimens(m_fd.get(), times);
    }
    if (const int error = hookError(SaveStep::Sync))
        return fail(SaveStep::Sync, error);
    // Data a write accepted may still fail on its way to the disk: only a
    // successful sync and close say that it is there.
    if (::fsync(m_fd.get()) != 0 || !m_fd.close())
        return fail(SaveStep::Sync, errno);

    if (m_options.makeBackup && m_previous && hookError(SaveStep::Backup) == 0)
        makeBackup(m_fileName);

    // A read-only target goes like any other: rename needs only the folder.
    int error = hookError(SaveStep::Rename);
    if (error == 0 && ::rename(m_tempName.c_str(), m_fileName.c_str()) != 0)
        error = errno;
    if (error != 0)
        return fail(SaveStep::Rename, error);
    m_tempName.clear();
    // Without this a power loss could bring back the previous file, or none.
    syncFolder(m_fileName);
    return {};
}

void AtomicFile::discard()
{
    m_inPlace = false;
    m_fd.close();
    if (!m_tempName.empty())
        ::unlink(m_tempName.c_str());
    m_tempName.clear();
}

std::string SaveResult::reason() const
{
    std::string text = std::strerror(error);
    if (!folder.empty())
        text += " (the folder \"" + folder + "\" refused the temporary file)";
    return text;
}

SaveResult atomicSave(const std::string &fileName, std::string_view bytes, const AtomicSaveOptions &options)
{
    const SaveResult result = save(fileName, bytes, options);
    if (!result)
        errno = result.error;
    return result;
}

FileDescriptor openUnplanted(const std::string &fileName, int flags, unsigned mode)
{
    const LinkEnd end = followLinks(fileName);
    if (end.error != 0) {
        errno = end.error;
        return FileDescriptor();
    }
    if (const std::optional<BeforeInPlaceOpen> hook = ScopedBeforeInPlaceOpen::current())
        (*hook)(end.name);
    // The end of the chain is no link unless it is one of the kernel's own
    // (/proc/self/fd/1 naming a pipe), which only the link reaches.
    struct stat seen
    {};
    const bool kernelLink = end.name != fileName && ::lstat(end.name.c_str(), &seen) == 0 && S_ISLNK(seen.st_mode);
    FileDescriptor fd = openWithoutWaiting(end.name, flags | (kernelLink ? 0 : O_NOFOLLOW), mode);
    if (!fd.valid())
        return fd;
    struct stat st
    {};
    if (::fstat(fd.get(), &st) != 0)
        return FileDescriptor();
    const bool planted = (S_ISREG(st.st_mode) || S_ISFIFO(st.st_mode)) && !ownedBySharer(end.name, st.st_uid);
    // A hard link in a shared folder to a file of the caller's, made where
    // the kernel's protected_hardlinks is off.
    const bool linked = S_ISREG(st.st_mode) && st.st_nlink > 1 && inSharedFolder(end.name);
    if (planted || linked) {
        fd.close();
        errno = EACCES;
        return FileDescriptor();
    }
    return fd;
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

int removeAtomicSaveLeftovers(const std::string &folder, std::string_view targetName)
{
    DIR *dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return 0;
    const int dirFd = ::dirfd(dir);
    int removed = 0;
    while (const dirent *entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (!isAtomicSaveTemporary(name))
            continue;
        if (!targetName.empty() && name.substr(1, name.size() - SaltDigits - 3) != targetName)
            continue;
        struct stat st
        {};
        if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
            continue;
        // A save still running holds its file locked.
        const FileDescriptor fd(::openat(dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
        if (fd.valid() && ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
            continue;
        if (::unlinkat(dirFd, entry->d_name, 0) == 0)
            ++removed;
    }
    ::closedir(dir);
    return removed;
}

} // namespace rtl
