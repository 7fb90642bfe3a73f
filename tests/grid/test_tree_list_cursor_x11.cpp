// The grid's sizing cursor on a real display: the pointer moved by the X
// server onto a column's edge shows the split cursor.

#include "X11Probe.h"

#include <gtest/gtest.h>

namespace {

TEST(TreeListCursorOnX11, ThePointerOnAColumnEdgeShowsTheSplitCursor)
{
    zvotest::X11Session desktop;
    ASSERT_TRUE(desktop.isRunning()) << desktop.error().toStdString();
    QProcess probe;
    QString failure;
    const QStringList edge =
        gridtest::startX11Probe(probe, desktop, QStringLiteral(ZVO_TREE_LIST_CURSOR_PROBE), failure);
    ASSERT_EQ(edge.size(), 3) << failure.toStdString();
    ASSERT_EQ(edge[0], QStringLiteral("edge"));

    // From outside the grid first, so that the move onto the edge is a move.
    const QString xdotool = QStringLiteral("xdotool"), move = QStringLiteral("mousemove");
    EXPECT_TRUE(desktop.run(xdotool, {move, QStringLiteral("5"), QStringLiteral("5")}));
    EXPECT_TRUE(desktop.run(xdotool, {move, edge[1], edge[2]}));
    ASSERT_TRUE(gridtest::finishX11Probe(probe));
    EXPECT_EQ(probe.exitCode(), 0) << "the pointer never reached the edge";
    EXPECT_EQ(QString::fromLatin1(probe.readAllStandardOutput()).trimmed().toStdString(), "split");
}

} // namespace
