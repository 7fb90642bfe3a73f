// The hint window lets the mouse through on a real display: a press over a
// shown hint reaches the window under it.

#include "tests/support/X11Session.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace {

TEST(HintWindowOnX11, APressOverTheHintReachesTheWindowBelow)
{
    zvotest::X11Session desktop;
    ASSERT_TRUE(desktop.isRunning()) << desktop.error().toStdString();
    QProcess probe;
    probe.setProcessEnvironment(desktop.environment());
    probe.start(QStringLiteral(ZVO_HINT_WINDOW_PROBE), {});
    ASSERT_TRUE(probe.waitForStarted(10000)) << probe.errorString().toStdString();
    while (!probe.canReadLine() && probe.waitForReadyRead(30000)) {
    }
    const QStringList shown = QString::fromLatin1(probe.readLine()).simplified().split(QLatin1Char(' '));
    ASSERT_EQ(shown.size(), 3) << shown.join(QLatin1Char(' ')).toStdString()
                               << QString::fromLocal8Bit(probe.readAllStandardError()).toStdString();
    ASSERT_EQ(shown[0], QStringLiteral("hint"));

    EXPECT_TRUE(desktop.run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), shown[1], shown[2],
                                                        QStringLiteral("click"), QStringLiteral("1")}));
    const bool ended = probe.waitForFinished(30000);
    if (!ended) {
        probe.kill();
        probe.waitForFinished(5000);
    }
    ASSERT_TRUE(ended);
    EXPECT_EQ(probe.exitCode(), 0) << "no press arrived anywhere";
    EXPECT_EQ(QString::fromLatin1(probe.readAllStandardOutput()).trimmed().toStdString(), "below");
}

} // namespace
