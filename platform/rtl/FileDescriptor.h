#pragma once

// A POSIX file descriptor that closes itself, and the whole-buffer reads and
// writes that the system calls leave to their callers.

#include <cstddef>
#include <string>

namespace rtl {

class FileDescriptor
{
public:
    explicit FileDescriptor(int fd = -1)
        : m_fd(fd)
    {}
    ~FileDescriptor() { close(); }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    FileDescriptor(FileDescriptor &&other) noexcept
        : m_fd(other.m_fd)
    {
        other.m_fd = -1;
    }
    FileDescriptor &operator=(FileDescriptor &&other) noexcept
    {
        if (this != &other) {
            close();
            m_fd = other.m_fd;
            other.m_fd = -1;
        }
        return *this;
    }

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Closes now and reports whether the close, which may be the first to
    // see a write error of the file system, succeeded.
    bool close();

private:
    int m_fd;
};

// open() with the flags (and O_CLOEXEC) that does not wait for the other end
// of a pipe: a pipe nobody reads fails at once with ENXIO, one nobody writes
// opens and reads as empty. Once open, reads and writes wait as usual. The
// mode is that of a file O_CREAT makes.
FileDescriptor openWithoutWaiting(const std::string &fileName, int flags, unsigned mode = 0666);

// Writes every byte, going on after short writes and interruptions; false
// with errno set when the file takes no more.
bool writeAll(int fd, const char *data, size_t size);

// Appends everything up to the end of the file to text; false with errno set
// on a read error. Reads to the end rather than to a size seen before: a log
// that grows meanwhile still comes whole.
bool readAll(int fd, std::string &text);

} // namespace rtl
