// The grid's sizing cursor on a real display: the pointer moved by the X
// server onto a column's edge shows the split cursor.

#include "tests/support/X11Session.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace {

TEST(TreeListCursorOnX11, ThePointerOnAColumnEdgeShowsTheSplitCursor)
{
    zvotest::X11Session desktop;
    ASSERT_TRUE(desktop.isRunning()) << desktop.error().toStdString();
    QProcess probe;
    probe.setProcessEnvironment(desktop.environment());
    probe.start(QStringLiteral(ZVO_TREE_LIST_CURSOR_PROBE), {});
    ASSERT_TRUE(probe.waitForStarted(10000)) << probe.errorString().toStdString();
    while (!probe.canReadLine() && probe.waitForReadyRead(30000)) {
    }
    const QStringList edge = QString::fromLatin1(probe.readLine()).simplified().split(QLatin1Char(' '));
    ASSERT_EQ(edge.size(), 3) << edge.join(QLatin1Char(' ')).toStdString()
                              << QString::fromLocal8Bit(probe.readAllStandardError()).toStdString();
    ASSERT_EQ(edge[0], QStringLiteral("edge"));

    // From outside the grid first, so that the move onto the edge is a move.
    EXPECT_TRUE(desktop.run(QStringLiteral("xdotool"),
                            {QStringLiteral("mousemove"), QStringLiteral("5"), QStringLiteral("5")}));
    EXPECT_TRUE(desktop.run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), edge[1], edge[2]}));
    const bool ended = probe.waitForFinished(30000);
    if (!ended) {
        probe.kill();
        probe.waitForFinished(5000);
    }
    ASSERT_TRUE(ended);
    EXPECT_EQ(probe.exitCode(), 0) << "the pointer never reached the edge";
    EXPECT_EQ(QString::fromLatin1(probe.readAllStandardOutput()).trimmed().toStdString(), "split");
}

} // namespace
