// The hint window lets the mouse through on a real display: a press over a
// shown hint reaches the window under it.

#include "X11Probe.h"

#include <gtest/gtest.h>

namespace {

TEST(HintWindowOnX11, APressOverTheHintReachesTheWindowBelow)
{
    zvotest::X11Session desktop;
    ASSERT_TRUE(desktop.isRunning()) << desktop.error().toStdString();
    QProcess probe;
    QString failure;
    const QStringList shown = gridtest::startX11Probe(probe, desktop, QStringLiteral(ZVO_HINT_WINDOW_PROBE), failure);
    ASSERT_EQ(shown.size(), 3) << failure.toStdString();
    ASSERT_EQ(shown[0], QStringLiteral("hint"));

    EXPECT_TRUE(desktop.run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), shown[1], shown[2],
                                                        QStringLiteral("click"), QStringLiteral("1")}));
    ASSERT_TRUE(gridtest::finishX11Probe(probe));
    EXPECT_EQ(probe.exitCode(), 0) << "no press arrived anywhere";
    EXPECT_EQ(QString::fromLatin1(probe.readAllStandardOutput()).trimmed().toStdString(), "below");
}

} // namespace
