#pragma once

// A probe program run on the test's own X desktop: it shows a window, tells
// on its first line where the pointer is to go, and ends with its finding.

#include "tests/support/X11Session.h"

#include <QProcess>
#include <QStringList>

namespace gridtest {

// Starts the probe on the desktop and reads its first line, split at
// spaces; empty when it told nothing (its error output is in `failure`).
inline QStringList startX11Probe(QProcess &probe, const zvotest::X11Session &desktop, const QString &program,
                                 QString &failure)
{
    probe.setProcessEnvironment(desktop.environment());
    probe.start(program, {});
    if (!probe.waitForStarted(10000)) {
        failure = probe.errorString();
        return {};
    }
    while (!probe.canReadLine() && probe.waitForReadyRead(30000)) {
    }
    const QStringList line = QString::fromLatin1(probe.readLine()).simplified().split(QLatin1Char(' '));
    if (line.size() < 2)
        failure = line.join(QLatin1Char(' ')) + QString::fromLocal8Bit(probe.readAllStandardError());
    return line.size() < 2 ? QStringList() : line;
}

// Waits for the probe to end (killing it after 30 s); false when it hung.
inline bool finishX11Probe(QProcess &probe)
{
    if (probe.waitForFinished(30000))
        return true;
    probe.kill();
    probe.waitForFinished(5000);
    return false;
}

} // namespace gridtest
