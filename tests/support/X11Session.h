#pragma once

// A desktop of its own for tests that run the program as a user would: an
// Xvfb server on a free display with the openbox window manager on it. Both
// are stopped (killed and reaped) when the object goes. A start that fails
// leaves isRunning() false and says why in error().

#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSize>
#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

namespace zvotest {

class X11Session
{
public:
    explicit X11Session(QSize screen = QSize(1280, 1024));
    ~X11Session();
    X11Session(const X11Session &) = delete;
    X11Session &operator=(const X11Session &) = delete;

    bool isRunning() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }
    // ":N"
    QString display() const { return m_display; }
    // The caller's environment with the display set and Qt on X11.
    QProcessEnvironment environment() const;

    // Runs an X client on the display, at most `timeout`; its standard output,
    // or nullopt when it failed.
    std::optional<QString> run(const QString &program, const QStringList &arguments,
                               std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;
    // The ids of the windows the window manager manages for a process.
    QStringList windowsOf(qint64 pid) const;
    // Waits, at most `timeout`, until the process has a managed window whose
    // frame the window manager has stated; its id, or empty.
    QString waitForWindow(qint64 pid, std::chrono::milliseconds timeout) const;
    // As waitForWindow, for a window of the normal kind only: a splash or a
    // tool window of the process is passed over.
    QString waitForNormalWindow(qint64 pid, std::chrono::milliseconds timeout) const;
    // Asks the window manager to close a window, as its close button does.
    bool closeWindow(const QString &id) const;

private:
    bool startServer(QSize screen);
    bool startWindowManager();
    // Asks the window manager to show the desktop or not, until it says so.
    bool showsDesktop(bool on, const QDeadlineTimer &deadline) const;

    QProcess m_server;
    QProcess m_windowManager;
    QString m_display;
    QString m_error;
};

} // namespace zvotest
