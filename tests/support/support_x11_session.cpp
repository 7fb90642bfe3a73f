#include "tests/support/X11Session.h"

#include <QDeadlineTimer>
#include <QThread>

namespace zvotest {

namespace {

constexpr int StartTime = 60000;
constexpr int PollInterval = 50;

void stop(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

} // namespace

X11Session::X11Session(QSize screen)
{
    if (startServer(screen))
        startWindowManager();
}

X11Session::~X11Session()
{
    stop(m_windowManager);
    stop(m_server);
}

bool X11Session::startServer(QSize screen)
{
    // The server picks a free display itself and writes its number to the
    // descriptor given, here its standard output, once it accepts clients.
    m_server.setProcessChannelMode(QProcess::SeparateChannels);
    m_server.start(QStringLiteral("Xvfb"),
                   {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"), QStringLiteral("0"),
                    QStringLiteral("%1x%2x24").arg(screen.width()).arg(screen.height()), QStringLiteral("-nolisten"),
                    QStringLiteral("tcp")});
    if (!m_server.waitForStarted(StartTime)) {
        m_error = QStringLiteral("Xvfb does not start: ") + m_server.errorString();
        return false;
    }
    QByteArray number;
    const QDeadlineTimer deadline(StartTime);
    while (!number.contains('\n') && !deadline.hasExpired() && m_server.state() == QProcess::Running) {
        m_server.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime())));
        number += m_server.readAllStandardOutput();
    }
    if (!number.contains('\n')) {
        m_error = QStringLiteral("Xvfb names no display: ") + QString::fromLocal8Bit(m_server.readAllStandardError());
        return false;
    }
    m_display = QLatin1Char(':') + QString::fromLatin1(number.trimmed());
    return true;
}

bool X11Session::startWindowManager()
{
    // On a machine loaded far beyond its cores, openbox now and then ends at
    // once, unable to open a display that other clients reach, or comes up
    // without ever naming itself on the root window; one started again in
    // its place has managed the display.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (attempt > 0) {
            m_windowManager.kill();
            m_windowManager.waitForFinished(StartTime);
        }
        m_windowManager.setProcessEnvironment(environment());
        m_windowManager.setProcessChannelMode(QProcess::MergedChannels);
        m_windowManager.start(QStringLiteral("openbox"), {});
        if (!m_windowManager.waitForStarted(StartTime)) {
            m_error = QStringLiteral("openbox does not start: ") + m_windowManager.errorString();
            return false;
        }
        // It names itself on the root window early in its start, before it
        // handles any event: a window mapped then is never managed, never
        // shown. It is ready once it has answered a request sent by a client.
        const QDeadlineTimer deadline(StartTime);
        bool named = false;
        while (!deadline.hasExpired() && m_windowManager.state() == QProcess::Running && !named) {
            named = run(QStringLiteral("wmctrl"), {QStringLiteral("-m")}).has_value();
            if (!named)
                QThread::msleep(PollInterval);
        }
        if (named && showsDesktop(true, deadline) && showsDesktop(false, deadline)) {
            // A first attempt's failure no longer counts.
            m_error.clear();
            return true;
        }
        m_error = QStringLiteral("openbox does not manage the display (%1): ")
                      .arg(named ? QStringLiteral("it named itself but answered no request")
                                 : QStringLiteral("it never named itself")) +
                  QString::fromLocal8Bit(m_windowManager.readAll());
    }
    return false;
}

bool X11Session::showsDesktop(bool on, const QDeadlineTimer &deadline) const
{
    // Asked again at each look: a request that came while it was starting
    // may be lost.
    const QString expected = QStringLiteral("_NET_SHOWING_DESKTOP(CARDINAL) = ") + (on ? u'1' : u'0');
    while (!deadline.hasExpired() && m_windowManager.state() == QProcess::Running) {
        run(QStringLiteral("wmctrl"), {QStringLiteral("-k"), on ? QStringLiteral("on") : QStringLiteral("off")});
        const std::optional<QString> shown =
            run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SHOWING_DESKTOP")});
        if (shown && shown->trimmed() == expected)
            return true;
        QThread::msleep(PollInterval);
    }
    return false;
}

QProcessEnvironment X11Session::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    return env;
}

std::optional<QString> X11Session::run(const QString &program, const QStringList &arguments,
                                       std::chrono::milliseconds timeout) const
{
    QProcess tool;
    tool.setProcessEnvironment(environment());
    tool.start(program, arguments);
    if (!tool.waitForFinished(int(timeout.count()))) {
        tool.kill();
        tool.waitForFinished(1000);
        return std::nullopt;
    }
    if (tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0)
        return std::nullopt;
    return QString::fromLocal8Bit(tool.readAllStandardOutput());
}

QStringList X11Session::windowsOf(qint64 pid) const
{
    QStringList ids;
    const std::optional<QString> list = run(QStringLiteral("wmctrl"), {QStringLiteral("-l"), QStringLiteral("-p")});
    if (!list)
        return ids;
    // Each line: id, desktop, process id, host, title.
    for (const QString &line : list->split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList fields = line.simplified().split(QLatin1Char(' '));
        if (fields.size() >= 3 && fields[2] == QString::number(pid))
            ids << fields[0];
    }
    return ids;
}

QString X11Session::waitForWindow(qint64 pid, std::chrono::milliseconds timeout) const
{
    const QDeadlineTimer deadline(timeout);
    while (!deadline.hasExpired()) {
        for (const QString &id : windowsOf(pid)) {
            const std::optional<QString> extents =
                run(QStringLiteral("xprop"), {QStringLiteral("-id"), id, QStringLiteral("_NET_FRAME_EXTENTS")});
            if (extents && extents->contains(QLatin1Char('=')))
                return id;
        }
        QThread::msleep(PollInterval);
    }
    return QString();
}

QString X11Session::waitForNormalWindow(qint64 pid, std::chrono::milliseconds timeout) const
{
    const QDeadlineTimer deadline(timeout);
    while (!deadline.hasExpired()) {
        for (const QString &id : windowsOf(pid)) {
            const std::optional<QString> properties =
                run(QStringLiteral("xprop"), {QStringLiteral("-id"), id, QStringLiteral("_NET_WM_WINDOW_TYPE"),
                                              QStringLiteral("_NET_FRAME_EXTENTS")});
            // A splash names the normal kind too, as the one to fall back on.
            if (properties &&
                properties->contains(QStringLiteral("_NET_WM_WINDOW_TYPE(ATOM) = _NET_WM_WINDOW_TYPE_NORMAL")) &&
                properties->contains(QStringLiteral("_NET_FRAME_EXTENTS(CARDINAL) =")))
                return id;
        }
        QThread::msleep(PollInterval);
    }
    return QString();
}

bool X11Session::closeWindow(const QString &id) const
{
    return run(QStringLiteral("wmctrl"), {QStringLiteral("-i"), QStringLiteral("-c"), id}).has_value();
}

} // namespace zvotest
