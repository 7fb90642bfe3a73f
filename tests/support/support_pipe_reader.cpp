#include "tests/support/PipeReader.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace zvotest {

PipeReader::PipeReader(const std::string &fifo)
    : m_fifo(fifo)
    , m_fd(::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC))
{
    if (m_fd < 0)
        return;
    m_thread = std::thread([this] {
        // Until a first writer comes, poll waits rather than report the end.
        for (;;) {
            pollfd ready{m_fd, POLLIN, 0};
            if (::poll(&ready, 1, -1) < 0 && errno != EINTR)
                return;
            char buffer[65536];
            ssize_t n = 0;
            while ((n = ::read(m_fd, buffer, sizeof buffer)) > 0)
                m_received.append(buffer, size_t(n));
            if (n == 0 || (errno != EAGAIN && errno != EINTR))
                return;
        }
    });
}

PipeReader::~PipeReader()
{
    finish();
}

std::string PipeReader::finish()
{
    if (m_thread.joinable()) {
        // A writer of our own, opened and closed, ends the wait of a reader
        // that no writer reached.
        const int release = ::open(m_fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (release >= 0)
            ::close(release);
        m_thread.join();
    }
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    return m_received;
}

} // namespace zvotest
