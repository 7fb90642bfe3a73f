#include "platform/rtl/FileDescriptor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace rtl {

bool FileDescriptor::close()
{
    const int fd = m_fd;
    m_fd = -1;
    return fd < 0 || ::close(fd) == 0;
}

FileDescriptor openWithoutWaiting(const std::string &fileName, int flags, unsigned mode)
{
    FileDescriptor fd(::open(fileName.c_str(), flags | O_NONBLOCK | O_CLOEXEC, mode_t(mode)));
    if (!fd.valid())
        return fd;
    // A full pipe would otherwise fail a write with EAGAIN instead of waiting
    // for its reader to catch up, and an empty one a read.
    const int status = ::fcntl(fd.get(), F_GETFL);
    if (status < 0 || ::fcntl(fd.get(), F_SETFL, status & ~O_NONBLOCK) != 0) {
        const int error = errno;
        fd.close();
        errno = error;
    }
    return fd;
}

bool writeAll(int fd, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        data += n;
        size -= size_t(n);
    }
    return true;
}

bool readAll(int fd, std::string &text, uint64_t limit)
{
    char buffer[65536];
    for (;;) {
        if (uint64_t(text.size()) > limit) {
            errno = EFBIG;
            return false;
        }
        // One byte past the limit tells a file of exactly the limit from a
        // longer one, without taking more than that into memory. No limit
        // at all has no byte past it.
        const uint64_t left = limit - text.size();
        const size_t room = left < sizeof buffer ? size_t(left) + 1 : sizeof buffer;
        const ssize_t n = ::read(fd, buffer, room);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        text.append(buffer, size_t(n));
    }
}

std::string FileText::reason(const std::string &fileName) const
{
    const std::string quoted = "\"" + fileName + "\"";
    switch (failure) {
    case ReadFailure::None: return {};
    case ReadFailure::NotRegular: return quoted + " is not a regular file";
    case ReadFailure::TooLarge:
        return quoted + " is larger than " + std::to_string(limit) + " bytes, the most read of such a file";
    case ReadFailure::Missing:
    case ReadFailure::Unreadable: break;
    }
    return quoted + ": " + std::strerror(error);
}

std::string FileText::reasonAfter(const std::string &failed, const std::string &fileName) const
{
    if (failure == ReadFailure::NotRegular || failure == ReadFailure::TooLarge)
        return reason(fileName);
    return failed + " " + reason(fileName);
}

namespace {

ReadFailure failureOfOpen(int error)
{
    return error == ENOENT ? ReadFailure::Missing : ReadFailure::Unreadable;
}

bool takes(const struct stat &st, const FileReadOptions &options)
{
    return !S_ISDIR(st.st_mode) && (S_ISREG(st.st_mode) || !options.regularOnly);
}

} // namespace

FileText readWholeFile(const std::string &fileName, const FileReadOptions &options)
{
    FileText result;
    result.limit = options.limit;
    const auto fail = [&result](ReadFailure failure, int error) {
        result.text = std::string();
        result.failure = failure;
        result.error = error;
        return std::move(result);
    };
    struct stat st
    {};
    if (::stat(fileName.c_str(), &st) != 0)
        return fail(failureOfOpen(errno), errno);
    if (!takes(st, options))
        return fail(ReadFailure::NotRegular, 0);
    if (S_ISREG(st.st_mode) && uint64_t(st.st_size) > options.limit)
        return fail(ReadFailure::TooLarge, EFBIG);
    FileDescriptor fd = options.regularOnly ? openWithoutWaiting(fileName, O_RDONLY)
                                            : FileDescriptor(::open(fileName.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid())
        return fail(failureOfOpen(errno), errno);
    // Something else may have taken the name since it was looked at.
    if (::fstat(fd.get(), &st) != 0)
        return fail(ReadFailure::Unreadable, errno);
    if (!takes(st, options))
        return fail(ReadFailure::NotRegular, 0);
    if (S_ISREG(st.st_mode)) {
        if (uint64_t(st.st_size) > options.limit)
            return fail(ReadFailure::TooLarge, EFBIG);
        result.text.reserve(size_t(st.st_size));
    }
    if (!readAll(fd.get(), result.text, options.limit))
        return fail(errno == EFBIG ? ReadFailure::TooLarge : ReadFailure::Unreadable, errno);
    return result;
}

} // namespace rtl
