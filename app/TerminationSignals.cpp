#include "app/TerminationSignals.h"

#include <QSocketNotifier>

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace app {

namespace {

// Read by the handler, which may touch nothing else.
volatile sig_atomic_t g_writeFd = -1;

void onSignal(int signalNumber)
{
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    // A full socket means requests are already waiting; one more adds
    // nothing.
    [[maybe_unused]] const ssize_t written = ::write(g_writeFd, &byte, 1);
    errno = savedErrno;
}

} // namespace

TerminationSignals::TerminationSignals(QObject *parent)
    : QObject(parent)
{
    if (g_writeFd != -1 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, m_fds) != 0)
        return;
    g_writeFd = m_fds[0];
    m_notifier = new QSocketNotifier(m_fds[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::readPending);

    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < std::size(Handled); ++i)
        ::sigaction(Handled[i], &action, &m_previous[i]);
}

TerminationSignals::~TerminationSignals()
{
    if (m_fds[0] == -1)
        return;
    for (size_t i = 0; i < std::size(Handled); ++i)
        ::sigaction(Handled[i], &m_previous[i], nullptr);
    g_writeFd = -1;
    delete m_notifier;
    ::close(m_fds[0]);
    ::close(m_fds[1]);
}

void TerminationSignals::readPending()
{
    unsigned char bytes[16];
    unsigned char last = 0;
    for (;;) {
        const ssize_t n = ::read(m_fds[1], bytes, sizeof bytes);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        last = bytes[n - 1];
    }
    // Signals that came together are one request.
    if (last != 0)
        Q_EMIT requested(last);
}

} // namespace app

#include "moc_TerminationSignals.cpp"
