// The panning mode on a real display: once a middle drag has ended it, the
// pointer is no longer grabbed and a click reaches another window.

#include "X11Probe.h"

#include <gtest/gtest.h>

namespace {

TEST(TreeListPanningOnX11, TheGrabIsReleasedAfterPanning)
{
    zvotest::X11Session desktop;
    ASSERT_TRUE(desktop.isRunning()) << desktop.error().toStdString();
    QProcess probe;
    QString failure;
    const QStringList at =
        gridtest::startX11Probe(probe, desktop, QStringLiteral(ZVO_TREE_LIST_PANNING_PROBE), failure);
    ASSERT_EQ(at.size(), 5) << failure.toStdString();
    ASSERT_EQ(at[0], QStringLiteral("pan"));

    const QString xdotool = QStringLiteral("xdotool"), move = QStringLiteral("mousemove");
    const QString below = QString::number(at[2].toInt() - 60);
    EXPECT_TRUE(desktop.run(xdotool, {move, at[1], at[2]}));
    EXPECT_TRUE(desktop.run(xdotool, {QStringLiteral("mousedown"), QStringLiteral("2")}));
    EXPECT_TRUE(desktop.run(xdotool, {move, at[1], below}));
    EXPECT_TRUE(desktop.run(xdotool, {QStringLiteral("mouseup"), QStringLiteral("2")}));
    // Clicking before the probe has given the grab back would find it held.
    ASSERT_EQ(gridtest::nextProbeLine(probe).toStdString(), "ended") << probe.readAllStandardError().toStdString();
    EXPECT_TRUE(desktop.run(xdotool, {move, at[3], at[4]}));
    EXPECT_TRUE(desktop.run(xdotool, {QStringLiteral("click"), QStringLiteral("1")}));
    ASSERT_TRUE(gridtest::finishX11Probe(probe));
    EXPECT_EQ(probe.exitCode(), 0) << "the click reached no window: " << probe.readAllStandardError().toStdString();
    EXPECT_EQ(QString::fromLatin1(probe.readAllStandardOutput()).trimmed().toStdString(), "released");
}

} // namespace
