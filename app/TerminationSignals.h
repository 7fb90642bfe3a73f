#pragma once

// SIGTERM, SIGINT and SIGHUP as a Qt signal on the GUI thread: a kill, Ctrl+C
// in the terminal or a terminal that goes away end the program as its own
// close does instead of dropping what was not saved yet. The handler only
// writes the signal's number to a socket pair, which is safe in a signal
// handler; a socket notifier takes it from there.

#include <QObject>

#include <csignal>
#include <iterator>

class QSocketNotifier;

namespace app {

class TerminationSignals : public QObject
{
    Q_OBJECT
public:
    // Installs the handlers; the previous ones come back on destruction.
    // One object at a time.
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

    static constexpr int Handled[] = {SIGTERM, SIGINT, SIGHUP};

signals:
    void requested(int signalNumber);

private:
    void readPending();

    int m_fds[2] = {-1, -1};
    QSocketNotifier *m_notifier = nullptr;
    struct sigaction m_previous[std::size(Handled)] = {};
};

} // namespace app
