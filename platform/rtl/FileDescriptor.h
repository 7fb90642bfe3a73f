#pragma once

// A POSIX file descriptor that closes itself, and the whole-buffer reads and
// writes that the system calls leave to their callers.

#include <cstddef>
#include <cstdint>
#include <limits>
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
    // Hands the descriptor over to the caller, who closes it.
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }
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
// on a read error, and with EFBIG once the text would pass the limit (a
// device such as /dev/zero has no end). Reads to the end rather than to a
// size seen before: a log that grows meanwhile still comes whole.
bool readAll(int fd, std::string &text, uint64_t limit = std::numeric_limits<uint64_t>::max());

// The most a whole-file read takes: far above any settings, list, picture,
// template or data file of the program and its tools, and far below what
// would exhaust the memory of the machines it runs on.
inline constexpr uint64_t FileReadLimit = uint64_t(256) << 20;

// Why a whole-file read gave no text.
enum class ReadFailure {
    None,
    Missing,    // nothing at the name, a dangling link among them
    NotRegular, // a folder, a pipe, a device or a socket
    Unreadable, // the open or a read failed; error says why
    TooLarge,   // more bytes than the limit
};

struct FileText
{
    std::string text;
    ReadFailure failure = ReadFailure::None;
    int error = 0;
    uint64_t limit = 0;

    explicit operator bool() const { return failure == ReadFailure::None; }
    // Why, naming the file, as a message shows it.
    std::string reason(const std::string &fileName) const;
    // The same after what failed ("cannot read"): "cannot read "x": No such
    // file or directory", but a reason that is a sentence of its own stands
    // alone rather than run on from it.
    std::string reasonAfter(const std::string &failed, const std::string &fileName) const;
};

struct FileReadOptions
{
    uint64_t limit = FileReadLimit;
    // Only an ordinary file (or a link to one) is read. Otherwise a pipe or
    // a device is read too, up to the limit, and a pipe waits for its writer
    // as pipes do: for input the user names on a command line.
    bool regularOnly = true;
};

// The one way the program and its tools read a whole file. A file that is
// not regular is refused before it is opened, so that a pipe nobody writes,
// or one whose writer never ends, cannot hold up whoever reads.
FileText readWholeFile(const std::string &fileName, const FileReadOptions &options = {});

} // namespace rtl
