#include "platform/rtl/FileDescriptor.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

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

bool readAll(int fd, std::string &text)
{
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        text.append(buffer, size_t(n));
    }
}

} // namespace rtl
