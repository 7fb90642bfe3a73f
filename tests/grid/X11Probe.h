#pragma once

// A probe program run on the test's own X desktop: it shows a window, tells
// on its first line where the pointer is to go, and ends with its finding.

#include "tests/support/X11Session.h"

#include <QProcess>
#include <QStringList>

namespace gridtest {

// Longer than the probe's own waits for its windows and for input, so that a
// probe that gives up is heard from rather than killed.
constexpr int ProbeLineWait = 120000;
constexpr int ProbeEndWait = 120000;

// The probe's next line, trimmed; empty when it ended or hung first.
inline QString nextProbeLine(QProcess &probe)
{
    while (!probe.canReadLine() && probe.state() == QProcess::Running && probe.waitForReadyRead(ProbeLineWait)) {
    }
    return QString::fromLatin1(probe.readLine()).trimmed();
}

// Starts the probe on the desktop and reads its first line, split at
// spaces; empty when it told nothing (its exit code and error output are
// in `failure`).
inline QStringList startX11Probe(QProcess &probe, const zvotest::X11Session &desktop, const QString &program,
                                 QString &failure)
{
    probe.setProcessEnvironment(desktop.environment());
    probe.start(program, {});
    if (!probe.waitForStarted(ProbeLineWait)) {
        failure = probe.errorString();
        return {};
    }
    const QString first = nextProbeLine(probe);
    const QStringList line = first.split(QLatin1Char(' '));
    if (line.size() >= 2)
        return line;
    failure = first;
    if (probe.state() == QProcess::NotRunning)
        failure += QStringLiteral(" (ended with %1) ").arg(probe.exitCode());
    failure += QString::fromLocal8Bit(probe.readAllStandardError());
    return {};
}

// Waits for the probe to end (killing it when it hangs); false when it hung.
inline bool finishX11Probe(QProcess &probe)
{
    if (probe.waitForFinished(ProbeEndWait))
        return true;
    probe.kill();
    probe.waitForFinished(5000);
    return false;
}

} // namespace gridtest
