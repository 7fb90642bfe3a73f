#include "tests/support/LoopbackHostName.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <functional>
#include <sstream>

namespace zvotest {

namespace {

constexpr const char *Marker = "# zvo-test ";

std::atomic<int> s_counter{0};

// The file open and locked for one edit.
class LockedFile
{
public:
    explicit LockedFile(const char *path)
        : m_fd(::open(path, O_RDWR | O_CLOEXEC))
    {
        if (m_fd >= 0 && ::flock(m_fd, LOCK_EX) != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~LockedFile()
    {
        if (m_fd >= 0)
            ::close(m_fd); // drops the lock
    }
    bool isOpen() const { return m_fd >= 0; }

    bool read(std::string &text) const
    {
        text.clear();
        char buffer[4096];
        off_t at = 0;
        while (true) {
            const ssize_t n = ::pread(m_fd, buffer, sizeof buffer, at);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return false;
            if (n == 0)
                return true;
            text.append(buffer, size_t(n));
            at += n;
        }
    }

    // Rewrites only what differs from the old text.
    bool write(const std::string &before, const std::string &after) const
    {
        size_t same = 0;
        while (same < before.size() && same < after.size() && before[same] == after[same])
            ++same;
        size_t done = same;
        while (done < after.size()) {
            const ssize_t n = ::pwrite(m_fd, after.data() + done, after.size() - done, off_t(done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            done += size_t(n);
        }
        return after.size() >= before.size() || ::ftruncate(m_fd, off_t(after.size())) == 0;
    }

private:
    int m_fd = -1;
};

bool processAlive(long pid)
{
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

// The text without our lines that `drop` picks.
std::string without(const std::string &text, const std::function<bool(const std::string &line)> &drop)
{
    std::string kept;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!drop(line))
            kept += line + "\n";
    }
    return kept;
}

bool stale(const std::string &line)
{
    const size_t at = line.find(Marker);
    if (at == std::string::npos)
        return false;
    return !processAlive(std::strtol(line.c_str() + at + std::strlen(Marker), nullptr, 10));
}

} // namespace

LoopbackHostName::LoopbackHostName()
{
    const std::string pid = std::to_string(::getpid());
    const std::string name = "zvo-" + pid + "-" + std::to_string(s_counter++) + ".engine.test";
    m_line = "127.0.0.1 " + name + " " + Marker + pid;

    LockedFile file(hostsFile());
    std::string before;
    if (!file.isOpen() || !file.read(before)) {
        m_error = std::string("cannot open ") + hostsFile() + " for writing: " + std::strerror(errno);
        return;
    }
    std::string after = without(before, stale);
    if (!after.empty() && after.back() != '\n')
        after += '\n';
    after += m_line + "\n";
    if (!file.write(before, after)) {
        m_error = std::string("cannot write ") + hostsFile() + ": " + std::strerror(errno);
        return;
    }
    m_name = name;
}

LoopbackHostName::~LoopbackHostName()
{
    if (m_name.empty())
        return;
    LockedFile file(hostsFile());
    std::string before;
    if (!file.isOpen() || !file.read(before))
        return;
    file.write(before, without(before, [this](const std::string &line) { return line == m_line || stale(line); }));
}

std::string LoopbackHostName::rename(const std::string &url) const
{
    const size_t scheme = url.find("://");
    const size_t begin = scheme == std::string::npos ? 0 : scheme + 3;
    const size_t end = url.find_first_of(":/?#", begin);
    return url.substr(0, begin) + m_name + (end == std::string::npos ? std::string() : url.substr(end));
}

} // namespace zvotest
